#include "commands/menu_state.h"

#include "commands/dispatch.h"
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "gui/seams.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_view.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/startup.h"
#include "core/message.h"
#include "cpu/dbg_hooks.h"
#include "cpu/disasm.h"
#include "cpu/debug_state.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "peripherals/floppy.h"

namespace {

const MachineDesc& row() {
    return machine_desc();
}
const MachineTraits& traits() {
    return machine_traits();
}
const MemmapTraits& map_traits() {
    return memmap_desc().traits;
}
// A machine option that holds with the current settings; false without one.
bool holds(bool (*option)()) {
    return option && option();
}
bool within(int id, i32 first, i32 last) {
    return id >= first && id <= last;
}
bool has_cpu() {
    return !traits().no_processor;
}
bool pvis() {
    return machine_live_row().pvi_count > 0;
}
bool drives() {
    return row().drives > 0;
}
// A UVI or PVIs (a coin-op board's PVIs depend on its game).
bool video_chip() {
    return traits().uvi || pvis();
}
// A display drawn by a video chip or timed along a raster: the
// Sprites/characters window, the beam marker.
bool raster_display() {
    return video_chip() || traits().raster_timed;
}
bool pads() {
    return pvis() || traits().pad_controllers;
}
bool autofire() {
    return pvis() || map_traits().autofire;
}
bool sprites() {
    return pvis() || traits().sprites;
}
bool mid() {
    return emu_paused_mid_frame;
}
bool idle() {
    return rec_state == REC_IDLE;
}
bool full() {
    return fullscreen != 0;
}
bool memmap_has_sound_files() {
    return !memmap_is_empty(memmap) && memmap_sound_count(memmap) > 0;
}

ItemState on(bool enabled) {
    ItemState s;
    s.enabled = enabled;
    return s;
}
ItemState ticked(bool enabled, u32 option) {
    ItemState s;
    s.enabled = enabled;
    s.tick = option != 0;
    return s;
}

struct WindowItem {
    int id;
    ToolWindow window;
};
constexpr WindowItem window_items[] = {
    {173, TW_CONTROLS},   {174, TW_DIPS},      {272, TW_GAMEINFO},      {30, TW_MEMORY},
    {166, TW_CPU},        {275, TW_OPCODES},   {31, TW_PALETTE},        {183, TW_TAPE},
    {33, TW_SPRITES},     {256, TW_SPEED},     {274, TW_HOST_KEYBOARD}, {273, TW_HOST_PADS},
    {168, TW_VIDEO_CHIP}, {167, TW_PSG},       {169, TW_MUSIC},         {187, TW_PRINTER},
    {184, TW_FLOPPY},     {186, TW_PAPERTAPE}, {185, TW_INSTRUMENTS},
};

// The rule of each item by the state it depends on; a tool-window item is
// also off while its window is open.
ItemState rule(int id) {
    switch (id) {
    case 0:
    case 2:
    case 3:
    case 5:
    case 6:
    case 16:
        return on(!mid());
    case 1:
        return on(traits().jump_to_bios);
    case 4:
        return on(!mid() && file_loaded);
    case 14:
    case 35:
        return on(traits().screen_text);
    case 15:
        return on(traits().console_screen);
    case 17:
    case 37:
    case 34:
        return on(true);
    case 27:
        return on(display_mode == 0);
    case 29:
        return on(true);
    case 30:
        return on(has_cpu());
    case 31:
        return on(true);
    case 32:
        return ticked(traits().screen_editing, gui_screen_editing);
    case 33:
        return on(raster_display());
    case 36:
        return on(traits().text_screen && rec_state != REC_PLAYBACK);
    case 38:
        return on(row().first_hiscore_row >= 0);
    case 39:
        return ticked(!full(), view_debugger[display_mode]);
    case 41:
        return ticked(true, view_pointer[display_mode]);
    case 42:
        return ticked(!full(), view_gamelist[display_mode]);
    case 43:
        return ticked(!full(), view_statusbar[display_mode]);
    case 44:
        return ticked(!full(), view_titlebar[display_mode]);
    case 45:
        return ticked(!full(), view_toolbar[display_mode]);
    case 46:
        return ticked(!full(), viewbuiltin);
    case 47:
        return on(!mid() && rec_state != REC_RECORDING);
    case 48:
        return on(!mid() && rec_state == REC_PLAYBACK);
    case 49:
        return on(!mid() && !idle());
    case 50:
        return ticked(true, loop);
    case 51:
        return ticked(idle(), generateanim);
    case 52:
        return ticked(idle(), generategif);
    case 53:
        return ticked(idle(), generatemng);
    case 54:
        return ticked(idle(), generatepng);
    case 62:
        return ticked(idle(), generate);
    case 55:
        return ticked(idle() && memmap_has_sound_files(), generate8svx);
    case 56:
        return ticked(idle() && memmap_has_sound_files(), generateaiff);
    case 57:
        return ticked(idle() && memmap_has_sound_files(), generatesmus);
    case 58:
        return ticked(idle() && memmap_has_sound_files(), generatemidi);
    case 60:
        return ticked(idle() && memmap_has_sound_files(), generatewav);
    case 59:
        return ticked(idle() && map_traits().psg, generatepsg);
    case 61:
        return ticked(idle() && map_traits().psg, generateym);
    case 64:
        return on(rexx_script_path[0] != 0);
    case 65:
        return on(net_mode == 1 || net_mode == 2);
    case 69:
        return on(snd_enabled && speech);
    case 79:
    case 83:
    case 84:
    case 85:
    case 86:
    case 87:
    case 133:
    case 134:
    case 135:
        return on(drives());
    case 82:
        return on(traits().tvc_files);
    case 91:
    case 98:
        return on(drives() && drive_has_disk(debugger_drive & 3));
    case 97:
        return on(traits().dos_errors);
    case 102:
        return on(traits().basic_view);
    case 103:
        return on(holds(machine_debug().bios_view));
    case 105:
        return on(map_traits().psg_view);
    case 107:
        return on(traits().screen_view);
    case 108:
        return on(video_chip() || traits().udg_characters);
    case 109:
        return on(video_chip());
    case 110:
        return ticked(has_cpu(), logreadwrites);
    case 111:
        return ticked(traits().bios_log, logbios);
    case 112:
        return ticked(has_cpu(), loginefficient);
    case 113:
        return ticked(has_cpu(), logillegal);
    case 114:
        return ticked(has_cpu(), loginterrupts);
    case 115:
        return ticked(has_cpu(), logsubroutines);
    case 116:
        return ticked(has_cpu(), pauselog);
    case 117:
        return ticked(has_cpu(), cpu_tracing);
    case 119:
        return on(pvis() || traits().raise_interrupt);
    case 124:
    case 125:
    case 126:
    case 127:
    case 128:
    case 129:
        return ticked(has_cpu(), 0);
    case 142:
        return ticked(has_cpu(), pausebreak);
    case 143:
        return ticked(has_cpu(), watchreads);
    case 161:
        return ticked(raster_display(), guidepixel);
    case 162:
        return ticked(has_cpu(), warn);
    case 165:
        return on(view_debugger[display_mode] != 0);
    case 166:
        return on(traits().cpu_monitor);
    case 167:
        return on(map_traits().psg);
    case 168:
        return on(video_chip() || traits().video_monitor);
    case 169:
        return on(video_chip() || traits().musical_keyboard || known_game_id == 616);
    case 170:
        return ticked(traits().netplay && !mid() && cmd_tcpip_open(), net_mode == 2);
    case 171:
        return ticked(traits().netplay && !mid() && cmd_tcpip_open(), net_mode == 1);
    case 173:
        return on(traits().controls_window);
    case 174:
        return on(map_traits().dip_switches);
    case 176:
    case 177:
    case 180:
    case 181: {
        const bool e = autofire();
        const u32 v = id == 176   ? autofire_left
                      : id == 177 ? requirebutton_left
                      : id == 180 ? autofire_right
                                  : requirebutton_right;
        return ticked(e, v);
    }
    // Force feedback needs a host with rumble on the pads the machines use.
    case 178:
        return ticked(map_traits().force_feedback, forcefeedback_left);
    case 182:
        return ticked(map_traits().force_feedback, forcefeedback_right);
    case 183:
        return on(traits().cassette);
    case 184:
        return on(drives());
    case 185:
        return on(traits().instruments);
    case 186:
        return on(traits().has_papertape);
    case 187:
        return on(traits().has_printer);
    case 194:
        return ticked(traits().cartridge_console, artefacts);
    case 195:
        return ticked(traits().pvi_console, darkenbg);
    case 196:
        return ticked(traits().uvi, flagline);
    case 197:
        return ticked(traits().text_screen, inversevideo);
    case 202:
        return ticked(true, autosave);
    case 203:
        return ticked(true, startupupdates);
    case 204:
        return ticked(true, confirmquit);
    case 205:
        return ticked(true, createicons);
    case 210:
        return ticked(true, sensegame);
    case 211:
        return ticked(true, show_tips);
    case 206:
        return ticked(traits().echo_console, echoconsole);
    case 207:
        return ticked(has_cpu(), identifyemulator);
    case 208:
        return ticked(holds(machine_row().self_test), post);
    case 209:
        return ticked(traits().randomize_memory, randomizememory);
    case 212:
        return ticked(traits().cartridge_console, stubprograms);
    case 217:
        return ticked(traits().scanlines != ScanlineStyle::NONE && display_filter != 0 && display_scale != 1, scanlines);
    case 222:
        return ticked(!mid() && holds(machine_view().blanking_areas), blankingareas);
    case 223:
        return ticked(traits().blinking_cursor, pipbug_blink);
    case 224:
        return ticked(traits().console_screen, dejitter);
    case 226:
        return ticked(traits().fill_intersections, drawcorners);
    case 227:
        return ticked(true, fullscreen);
    case 228:
        return ticked(traits().udg_characters, invertflashed);
    case 229:
        return ticked(!full(), display_aspect == 1);
    case 230:
        return ticked(!memmap_is_empty(memmap) && memmap_desc().may_rotate, rotatescreen);
    case 231:
        return ticked(traits().unlit_leds, drawunlit);
    case 232:
        return ticked(traits().show_leds, showleds);
    case 233:
        return ticked(traits().analog_guest, analog);
    case 234:
        return ticked(traits().show_positions, showpositions);
    case 235:
        return ticked(traits().paddles && analog, springloaded);
    case 236:
        return ticked(row().swappable, swapped);
    case 238:
        return on(row().swappable);
    case 239:
        return on(traits().redefine_keys);
    case 240:
        return on(traits().paddles && analog);
    case 241:
        return ticked(holds(machine_row().lowercase_input), lowercase != 0);
    case 242:
        return ticked(controller_left == 1 || controller_right == 1, confinepointer);
    case 243:
        return ticked(holds(machine_view().erase_deleted), erasedeleted);
    case 244:
        return ticked(row().coinop, autocoin);
    case 245:
        return ticked(true, guestrmb);
    case 246:
        return ticked(traits().queue_keystrokes, queuekeystrokes);
    case 250:
        return ticked(true, snd_enabled);
    case 257:
        return ticked(true, emu_paused);
    case 258:
        return ticked(true, autopause);
    case 259:
        return ticked(true, exactspeed);
    case 260:
        return ticked(true, limitrefreshes);
    case 261:
        return ticked(true, turbo);
    case 251:
        return on(true);
    case 252:
        return ticked(traits().ambient_sounds, teletypesounds);
    case 253:
        return ticked(true, led_filter);
    case 254:
        return ticked(video_chip() || traits().retune, retune);
    case 264:
        return ticked(sprites(), collisions);
    case 266:
        return ticked(traits().trainer_lives, trainer_lives);
    case 268:
        return ticked(traits().trainer_lives, trainer_invincibility);
    case 267:
        return ticked(traits().trainer_time, trainer_time);
    case 269:
        return on(map_traits().skip_level);
    case 272:
        return on(!(known_game_id < 0 && game_info_fields[0][0] == '-'));
    case 276:
        return on(has_cpu());
    case 277:
        return on(true); // offered where the machine has a gaming guide (cmd_plain_available)
    // The whole Debug menu and the sub-menus.
    case 287:
        return on(view_debugger[display_mode] != 0);
    case 298:
        return on(drives());
    case 299:
    case 301:
    case 303:
    case 304:
    case 305:
    case 306:
        return on(has_cpu());
    case 307:
        return on(traits().debug_graphics);
    case 308:
    case 309:
        return on(row().swappable);
    case 310:
        return on(traits().bios_last >= traits().bios_first);
    case 311:
        return on(traits().dos_last >= traits().dos_first);
    case 312:
        return on(display_scale > 1);
    case 313:
        return on(!mid());
    case 314:
        return on(sprites());
    case 315:
        return on(traits().trainer_time);
    case 316:
        return on(traits().vdu_last >= traits().vdu_first);
    default:
        break;
    }
    // The processor-bound Debug items.
    if ((id >= 66 && id <= 162) && !(id >= 83 && id <= 87)) return on(has_cpu());
    return on(true);
}

bool group_enabled(int c) {
    if (c <= 4) return true;                     // sort by, speed as
    if (c <= 8) return row().drives > c - 5;     // DRIVE n
    if (c <= 28) return has_cpu();               // WW, BASE, CPU, N, TU, VERBOSE
    if (c <= 30) return traits().debug_graphics; // DRAW 0, 1
    if (c <= 32) return traits().draw_tables;    // DRAW 2, 3
    if (c == 33) return traits().pvi_console;    // DRAW 4
    if (c <= 36) return sprites();               // SPR
    if (c <= 54) {
        const int k = c <= 45 ? c - 37 : c - 46; // 0 mouse .. 8 2nd analog pad
        if (k == 5 || k == 6) return true;       // the digital gamepads
        if (k == 3 && c > 45) return map_traits().second_joystick;
        if (k == 4 || k == 7 || k == 8) return false; // analog devices: none on this host yet
        return pads();
    }
    if (c <= 75) return within(c, traits().bios_first, traits().bios_last) && idle();
    if (c <= 81) return !gui_tool_window_open(TW_PALETTE);
    if (c <= 94) return within(c, traits().dos_first, traits().dos_last);
    if (c <= 96) return traits().pixel_based;
    if (c <= 99) return true;
    if (c == 102) return display_scale >= 2 && display_scale <= 4;
    if (c == 103) return true;
    if (c >= 107 && c <= 112) return !full();
    if (c >= 113 && c <= 115) return traits().keyboard_layouts;
    if (c >= 125 && c <= 144) return !mid();
    if (c == 145 || c == 146) return true;
    if (c == 147 || c == 148) return traits().region_choice && idle();
    if (c >= 152 && c <= 154) return traits().console_screen;
    if (c >= 155 && c <= 163) return within(c, traits().vdu_first, traits().vdu_last);
    return false;
}

// The value each radio item stands for, compared with its option.
bool group_ticked(int c) {
    static const int left_values[9] = {1, 0, 2, 3, 4, 5, 6, 7, 8}; // c37.. / c46..
    if (c <= 1) return games_sort_by == c;
    if (c <= 4) return viewspeedas == (c == 2 ? 0 : c == 3 ? 2 : 1);
    if (c <= 8) return debugger_drive == c - 5;
    if (c <= 11) return watchwrites == static_cast<u32>(c - 9);
    if (c <= 15) return dbg_base == c - 12;
    if (c <= 17) return cpu_type == static_cast<u32>(c - 16);
    if (c <= 22) return dis_notation == static_cast<u32>(c - 18);
    if (c <= 25) return dbg_time_unit == static_cast<u32>(c - 23);
    if (c <= 28) return verbosity == c - 26;
    if (c <= 33) return cmd_draw_mode == c - 29;
    if (c <= 36) return sprite_mode == (c == 34 ? 0 : c == 35 ? 2 : 1);
    if (c <= 45) return controller_left == left_values[c - 37];
    if (c <= 54) return controller_right == left_values[c - 46];
    if (c <= 56) return elektor_biosversion == c - 55;
    if (c <= 60) return pipbug_bios == static_cast<u32>(c - 57);
    if (c <= 66) return binbug_biosversion == c - 61;
    if (c <= 69) return cd2650_biosversion == static_cast<u32>(c - 67);
    if (c <= 71) return phunsy_biosversion == static_cast<u32>(c - 70);
    if (c <= 75) return selbst_biosversion == static_cast<u32>(c - 72);
    if (c <= 81) return colourset == c - 76;
    if (c <= 84) return binbug_dosversion == c - 82;
    if (c <= 91) return twin_dosversion == c - 85;
    if (c <= 94) return cd2650_dosversion == static_cast<u32>(c - 92);
    if (c <= 96) return (framebased != 0) == (c == 95);
    if (c <= 99) return log_mode == c - 97;
    if (c == 102 || c == 103) return display_filter == (c == 102 ? 2 : 3);
    if (c >= 107 && c <= 112) return display_scale == static_cast<u32>(c - 106);
    if (c >= 113 && c <= 115) return keymap == c - 113;
    if (c >= 125 && c <= 144) return !memmap_is_empty(memmap) && memmap_desc().menu_item == c;
    if (c == 145 || c == 146) return snd_output_mode == c - 145;
    if (c == 147 || c == 148) return emu_region == static_cast<u32>(c - 147);
    if (c >= 152 && c <= 154) return demultiplex == c - 152;
    if (c >= 155 && c <= 160) return pipbug_vdu == c - 155;
    if (c >= 161 && c <= 163) return cd2650_vdu == c - 161;
    return false;
}

} // namespace

ToolWindow menu_tool_window(int id) {
    for (const WindowItem& w : window_items)
        if (w.id == id) return w.window;
    return TW_NONE;
}

int menu_tool_window_item(ToolWindow window) {
    for (const WindowItem& w : window_items)
        if (w.window == window) return w.id;
    return -1;
}

ItemState menu_plain_state(int id) {
    if (id < 0 || id >= MENU_PLAIN_IDS) return on(false);
    ItemState s = rule(id);
    const ToolWindow w = menu_tool_window(id);
    if (w != TW_NONE && gui_tool_window_open(w)) s.enabled = false;
    if (!cmd_plain_available(id)) s.enabled = false;
    return s;
}

ItemState menu_check_state(int id) {
    ItemState s;
    if (id < 0 || id >= MENU_CHECK_IDS) return on(false);
    s.enabled = group_enabled(id) && cmd_check_available(id);
    s.tick = group_ticked(id);
    return s;
}

void gui_update_menu_item(int id) {
    if (!main_window || gui_menu_strip.empty() || id < 0 || id >= MENU_PLAIN_IDS) return;
    if (menu_plain_ids[id] == MENU_NONE) return;
    const ItemState s = menu_plain_state(id);
    menu_set_state(id, s.enabled, s.tick > 0);
}

void gui_refresh_menus() {
    if (!main_window || gui_menu_strip.empty()) return;
    for (int id = 0; id < MENU_PLAIN_IDS; id++)
        if (!(id >= 19 && id <= 26)) gui_update_menu_item(id);
    for (int c = 0; c < MENU_CHECK_IDS; c++) {
        if (menu_check_ids[c] == MENU_NONE) continue;
        const ItemState s = menu_check_state(c);
        menu_check_item_set_state(c, s.enabled, s.tick > 0);
    }
    menu_enable_recent();
}

ButtonState toolbar_button_state(int index) {
    ButtonState b;
    switch (index) {
    case 0:
    case 1:
        b.enabled = autofire();
        b.selected = index == 0 ? autofire_left : autofire_right;
        break;
    case 2:
        b.enabled = pads();
        b.selected = swapped;
        break;
    case 3:
        b.selected = snd_enabled;
        break;
    case 4:
        b.selected = emu_paused;
        break;
    case 5:
        b.selected = turbo;
        break;
    case 6:
        b.enabled = sprites();
        b.selected = collisions;
        break;
    case 7:
        b.selected = rec_state == REC_RECORDING;
        b.enabled = !mid() && rec_state != REC_RECORDING;
        break;
    case 8:
        b.selected = rec_state == REC_PLAYBACK;
        b.enabled = !mid() && b.selected;
        break;
    case 9:
        b.selected = idle();
        b.enabled = !mid() && !idle();
        break;
    default:
        b.enabled = false;
        break;
    }
    if (mid() && index >= 7) b.selected = false;
    if (!cmd_toolbar_available(index)) b.enabled = false;
    return b;
}

void gui_update_toolbar_button(int index) {
    if (!main_window || !view_toolbar[display_mode] || index < 0 || index > 9) return;
    const ButtonState b = toolbar_button_state(index);
    gui_bar_set(main_window, GID_SPEEDBAR_2, index + 1, b.enabled, b.selected);
}

void gui_refresh_toolbar() {
    if (!main_window || !view_toolbar[display_mode]) return;
    for (int i = 0; i <= 9; i++)
        gui_update_toolbar_button(i);
    for (int k = 0; k < 4; k++) {
        const char* label = machine_live_row().console_labels[k];
        if (!label) label = "-";
        const bool present = label[0] != '-' || label[1] != '\0';
        gui_bar_set(main_window, GID_SPEEDBAR_2, 11 + k, present && rec_state != REC_PLAYBACK,
                    false);
    }
}
