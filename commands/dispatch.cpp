#include "commands/dispatch.h"

#include "commands/help_links.h"

#include "commands/menu_state.h"
#include "commands/recorder_commands.h"
#include "commands/menus.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/mainloop.h"
#include "core/message.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/rexx_host.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/trainers.h"
#include "display/frame.h"
#include "display/host.h"
#include "gui/about_windows.h"
#include "gui/hiscore_window.h"
#include "gui/iconify.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "gui/seams.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "input/console_buttons.h"
#include "input/joysticks.h"
#include "sound/sound_output.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstring>

i32 cmd_draw_mode = 0;

bool cmd_tcpip_open() {
    return false; // netplay and the update check come with the network services
}

namespace {

// Debug-menu items: the command line each one runs at once, or (prefill) puts
// into the command line for the user to complete.
struct DebugLine {
    int id;
    const char* text;
    bool prefill;
};
constexpr DebugLine debug_lines[] = {
    {65, "\"", true},          {66, "CLEARCOV", false},    {67, "CLS", false},
    {68, "HELP ", true},       {69, "SAY ", true},         {70, "SYSTEM", true},
    {71, "*", true},           {72, "ASM ", true},         {73, "DISGAME ", true},
    {74, "EDIT ", true},       {75, "LOADBIN ", true},     {77, "SAVEBIN ", true},
    {78, "SAVEBPNF ", true},   {80, "SAVEHEX ", true},     {81, "SAVESMS ", true},
    {82, "SAVETVC ", true},    {83, "DELETE ", true},      {84, "DIR", false},
    {85, "EXTRACT ", true},    {86, "INJECT ", true},      {87, "RENAME ", true},
    {89, "DOKE ", true},       {90, "POKE ", true},        {91, "FPOKE ", true},
    {92, "WRITEPORT ", true},  {93, "= ", true},           {94, "COVER ", true},
    {95, "PEEK ", true},       {96, "DIS ", true},         {97, "ERROR ", true},
    {98, "FPEEK ", true},      {99, "HISTORY", false},     {100, "IM ", true},
    {101, "READPORT ", true},  {102, "VIEW BASIC", false}, {103, "VIEW BIOS", false},
    {104, "VIEW CPU", false},  {105, "VIEW PSG", false},   {106, "VIEW RAM", false},
    {107, "VIEW SCRN", false}, {108, "VIEW UDG", false},   {109, "VIEW XVI", false},
    {110, "L A", false},       {111, "L B", false},        {112, "L C", false},
    {113, "L I", false},       {114, "L N", false},        {115, "L S", false},
    {116, "PL", false},        {117, "T", false},          {119, "GI", false},
    {120, "I", false},         {121, "JUMP ", true},       {122, "O", false},
    {123, "S", false},         {124, "R ", true},          {125, "R F", false},
    {126, "R I", false},       {127, "R L", false},        {128, "R R", false},
    {129, "R S", false},       {130, "BP ", true},         {131, "BC ", true},
    {132, "BL", false},        {133, "FP ", true},         {134, "FC ", true},
    {135, "FL", false},        {136, "IP ", true},         {137, "IC ", true},
    {138, "IL", false},        {139, "WP ", true},         {140, "WC ", true},
    {141, "WL", false},        {142, "PB", false},         {143, "WR", false},
    {145, "CLEARSYM ", true},  {146, "DEFSYM ", true},     {147, "LOADSYM ", true},
    {148, "SAVESYM ", true},   {149, "COMP ", true},       {150, "COPY ", true},
    {151, "FILL ", true},      {152, "FIND ", true},       {153, "REL ", true},
    {154, "SWAP ", true},      {155, "TRAIN ", true},      {161, "GR", false},
    {162, "WARN", false},
};

const DebugLine* debug_line(int id) {
    for (const DebugLine& d : debug_lines)
        if (d.id == id) return &d;
    return nullptr;
}

// The Debug menu's radio items: the command each runs.
const char* debug_radio_line(int c, char* out, std::size_t size) {
    static const char* const ww[] = {"WW NONE", "WW SOME", "WW ALL"};
    static const int bases[] = {2, 8, 10, 16};
    if (c >= 5 && c <= 8)
        std::snprintf(out, size, "DRIVE %d", c - 5);
    else if (c >= 9 && c <= 11)
        std::snprintf(out, size, "%s", ww[c - 9]);
    else if (c >= 12 && c <= 15)
        std::snprintf(out, size, "BASE %d", bases[c - 12]);
    else if (c >= 16 && c <= 17)
        std::snprintf(out, size, "CPU %d", c - 16);
    else if (c >= 18 && c <= 22)
        std::snprintf(out, size, "N %d", c - 18);
    else if (c >= 23 && c <= 25)
        std::snprintf(out, size, "TU %d", c - 23);
    else if (c >= 26 && c <= 28)
        std::snprintf(out, size, "VERBOSE %d", c - 26);
    else if (c >= 29 && c <= 33)
        std::snprintf(out, size, "DRAW %d", c - 29);
    else if (c >= 34 && c <= 36) // invisible, visible, numbered
        std::snprintf(out, size, "SPR %d", c == 34 ? 0 : c == 35 ? 2 : 1);
    else
        return nullptr;
    return out;
}

// Flips a check box's option and shows the new tick; the new value.
u32 take_checked(u32* option, int id, bool pass_on) {
    *option = *option ? 0 : 1;
    gui_update_menu_item(id);
    if (pass_on) gui_menu_command_c(id);
    return *option;
}

void reopen_main_window() {
    gui_close_main_window();
    gui_open_main_window(1);
}

void refresh_all() {
    gui_refresh_menus();
    gui_speedbar_update();
    gui_refresh_toolbar();
    gui_update_main_title();
}

void machine_changed(int new_machine, int new_memmap) {
    gui_close_all_subwindows();
    machine_switch(new_machine, new_memmap, true, true, true);
    gui_reopen_subwindows();
    refresh_all();
    display_redraw_all();
}

void open_window(ToolWindow w) {
    gui_open_tool_window(w);
}

bool window_registered(int id) {
    const ToolWindow w = menu_tool_window(id);
    return w != TW_NONE && gui_subwin_ops[w].open != nullptr;
}

void quickload() {
    if (emu_paused_mid_frame) return;
    rec_stop_all();
    std::snprintf(game_file_name, sizeof game_file_name, "QUICKSAV.COS");
    char path[FILE_NAME_SIZE];
    games_add_part(std::strcpy(path, games_path), sizeof path, "QUICKSAV.COS");
    if (!file_load_by_name(path, 0)) gui_beep();
}

void quicksave() {
    if (emu_paused_mid_frame) return;
    char kept[FILE_NAME_SIZE];
    std::memcpy(kept, file_name_buffer, sizeof kept);
    std::snprintf(file_name_buffer, sizeof file_name_buffer, "%s", games_path);
    games_add_part(file_name_buffer, sizeof file_name_buffer, "QUICKSAV.COS");
    state_save_file(8, 1);
    std::memcpy(file_name_buffer, kept, sizeof kept);
}

void jump_to_bios() {
    if (const auto entry = machine_debug().bios_entry) cpu_iar = static_cast<u16>(entry());
    net_command(0);
    gui_update_menu_item(170);
    gui_update_menu_item(171);
}

void full_screen() {
    const u32 old_mode = display_mode;
    display_mode = fullscreen ? 1 : 0;
    gui_close_main_window();
    main_window_pos[0] = main_window_pos[1] = -1;
    if (display_mode == 1 && old_mode == 0) {
        windowed_scale = display_scale;
        windowed_width = display_aspect;
    } else if (display_mode == 0 && old_mode == 1) {
        display_scale = windowed_scale;
        display_aspect = windowed_width;
    }
    gui_open_main_window(1);
    gui_update_pointer(1);
}

void rebuild_geometry_window() {
    gui_close_main_window();
    display_setup_geometry();
    gui_open_main_window(1);
    display_reset_frame();
    display_redraw_all();
}

// The memory map each Machine item selects, with its machine.
struct MachineItem {
    int check, machine, memmap;
};
constexpr MachineItem machine_items[] = {
    {125, 0, 6},   {126, 1, 3},  {127, 2, 5},   {128, 3, 9},   {129, 4, 11},
    {130, 5, 15},  {131, 6, 12}, {132, 7, 16},  {133, 10, 19}, {134, 12, 20},
    {135, 13, 21}, {136, 8, 22}, {137, 8, 23},  {138, 8, 24},  {139, 8, 25},
    {140, 9, 26},  {141, 9, 27}, {142, 11, 28}, {143, 11, 29}, {144, 14, 30},
};

} // namespace

void gui_prefill_command(const char* text) {
    std::snprintf(dbg_line, sizeof dbg_line, "%s", text);
    if (main_window && view_debugger[display_mode]) {
        gui_set_text(main_window, GID_COMMAND, dbg_line);
        gui_activate_gadget(main_window, GID_COMMAND);
    }
}

bool cmd_needs_frame_boundary(int id) {
    switch (id) {
    case 0:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 16:
    case 47:
    case 48:
    case 49:
        return true;
    default:
        return false;
    }
}

bool cmd_plain_available(int id) {
    if (id < 0 || id > 316) return false;
    if (id >= 283) return true; // the menus and sub-menus themselves
    if (menu_tool_window(id) != TW_NONE) return window_registered(id);
    switch (id) {
    case 15: // the screen as assembler source
    case 170:
    case 171: // netplay
    case 215:
    case 238:
    case 239:
    case 240:
    case 251: // settings dialogs
    case 269: // skip level
    case 279: // the update check
        return false;
    case 276:
        return coding_guide_section(static_cast<int>(machine))[0] != '\0';
    case 277:
        return gaming_guide_section(static_cast<int>(machine))[0] != '\0';
    case 278:
        return help_available();
    default:
        return true;
    }
}

bool cmd_check_available(int id) {
    if (id < 0 || id >= 164) return false;
    if (id >= 57 && id <= 69) return false;   // PIPBUG, BINBUG and CD2650 monitor loading
    if (id >= 82 && id <= 94) return false;   // the disk operating systems
    if (id >= 155 && id <= 163) return false; // VDU types and character sets
    return true;
}

bool cmd_toolbar_available(int) {
    return true;
}

void gui_menu_command_c(int id) {
    switch (id) {
    case 1:
        jump_to_bios();
        break;
    case 2:
        machine_switch(static_cast<int>(machine), static_cast<int>(memmap), true, true, false);
        refresh_all();
        display_redraw_all();
        gui_reopen_subwindows();
        break;
    case 4:
        if (!emu_paused_mid_frame && file_loaded) {
            char path[FILE_NAME_SIZE];
            std::memcpy(path, file_name_buffer, sizeof path);
            rec_stop_all();
            file_load_by_name(path, 0);
        }
        break;
    case 5:
        quickload();
        break;
    case 16:
        quicksave();
        break;
    case 32:
        display_screen_edit_clamp();
        gui_update_main_title();
        if (!gui_screen_editing) gui_set_status_text();
        break;
    case 39:
        reopen_main_window();
        if (view_debugger[display_mode]) gui_activate_window();
        gui_refresh_menus();
        break;
    case 41:
    case 242:
        gui_update_menu_item(id);
        gui_update_pointer(1);
        break;
    case 42:
        pending_actions |= view_gamelist[display_mode] ? PA_SHOW_GAMELIST : PA_HIDE_GAMELIST;
        break;
    case 43:
    case 44:
    case 45:
        reopen_main_window();
        break;
    case 165:
        gui_activate_window();
        break;
    case 175:
    case 179:
        gui_update_menu_item(id);
        gui_update_menu_item(242);
        gui_refresh_menus();
        gui_update_pointer(1);
        host_rumble_stop_all();
        break;
    case 176:
    case 180:
        gui_update_toolbar_button(id == 176 ? 0 : 1);
        gui_update_menu_item(id);
        break;
    case 194:
    case 195:
    case 196:
    case 226:
    case 231:
        gui_update_menu_item(id);
        break;
    case 227:
        full_screen();
        break;
    case 232:
        gui_update_menu_item(id);
        rebuild_geometry_window();
        break;
    case 236:
        gui_update_toolbar_button(2);
        gui_update_menu_item(id);
        gui_close_all_subwindows();
        gui_reopen_subwindows();
        break;
    case 250:
        if (snd_enabled)
            snd_open(0);
        else
            snd_close(1);
        gui_update_toolbar_button(3);
        gui_update_menu_item(id);
        break;
    case 259: {
        const MachineDesc& m = machine_desc();
        for (int r = 0; r < 2; r++)
            frame_period_us[r] = exactspeed ? (r ? 20000 : 16666)
                                 : m.refresh_rate[r] > 0
                                     ? static_cast<u32>(1000000.0 / m.refresh_rate[r])
                                     : frame_period_us[r];
        break;
    }
    case 261:
        if (!turbo) frame_due_us = timer_now_us();
        gui_update_toolbar_button(5);
        gui_update_menu_item(id);
        gui_update_main_title();
        gui_status_bar_update();
        break;
    case 262:
        gui_update_menu_item(id);
        gui_refresh_menus();
        gui_status_bar_update();
        if (machine_traits().region_choice) rebuild_geometry_window();
        break;
    case 264:
        gui_update_toolbar_button(6);
        gui_update_menu_item(id);
        break;
    default:
        break;
    }
}

void gui_menu_command_a(int id) {
    if (id < 0 || id > 281 || !cmd_plain_available(id)) {
        gui_update_pointer(0);
        return;
    }
    if (cmd_needs_frame_boundary(id) && emu_paused_mid_frame) {
        con_printf("You can only do this between frames!\n");
        gui_update_pointer(0);
        return;
    }
    if (const DebugLine* d = debug_line(id)) {
        if (d->prefill)
            gui_prefill_command(d->text);
        else
            gui_run_command(d->text);
        gui_update_pointer(0);
        return;
    }
    const ToolWindow w = menu_tool_window(id);
    if (w != TW_NONE) {
        open_window(w);
        gui_update_pointer(0);
        return;
    }
    if (recorder_menu_command(id)) {
        gui_update_pointer(0);
        return;
    }
    switch (id) {
    case 0:
        emu_reset_request(false);
        break;
    case 1:
    case 4:
    case 5:
    case 16:
    case 2:
    case 269:
        gui_menu_command_c(id);
        break;
    case 32:
        gui_screen_editing = gui_screen_editing ? 0 : 1;
        gui_update_menu_item(id);
        gui_menu_command_c(id);
        break;
    case 3:
        file_open_with_requester();
        break;
    case 17:
        games_audit_drawer(1);
        break;
    case 19:
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 25:
    case 26:
        if (id - 19 < recent_count) {
            char path[SETTINGS_PATH_LEN];
            std::memcpy(path, recent_files[id - 19], sizeof path);
            file_load_by_name(path, 0);
        }
        break;
    case 27:
        if (display_mode == 0) gui_iconify();
        break;
    case 29:
        if (gui_confirm_quit()) pending_actions |= PA_QUIT;
        break;
    case 38:
        gui_high_scores_window();
        break;
    case 276:
        open_url(readme_address(coding_guide_section(static_cast<int>(machine))).c_str());
        break;
    case 277:
        open_url(readme_address(gaming_guide_section(static_cast<int>(machine))).c_str());
        break;
    case 278:
        help_show(-1);
        break;
    case 280:
        gui_open_about_reaction_window();
        break;
    case 281:
        gui_open_about_window();
        break;
    case 39:
        take_checked(&view_debugger[display_mode], id, true);
        break;
    case 41:
        take_checked(&view_pointer[display_mode], id, true);
        break;
    case 42:
        take_checked(&view_gamelist[display_mode], id, true);
        break;
    case 43:
        take_checked(&view_statusbar[display_mode], id, true);
        break;
    case 44:
        take_checked(&view_titlebar[display_mode], id, true);
        break;
    case 45:
        take_checked(&view_toolbar[display_mode], id, true);
        break;
    case 46:
        take_checked(&viewbuiltin, id, false);
        games_audit_drawer(0);
        break;
    case 48:
        rec_restart_playback();
        break;
    case 49:
        rec_stop_all();
        break;
    case 50:
        take_checked(&loop, id, false);
        break;
    case 62:
        take_checked(&generate, id, false);
        break;
    case 51:
        take_checked(&generateanim, id, false);
        break;
    case 52:
        take_checked(&generategif, id, false);
        break;
    case 53:
        take_checked(&generatemng, id, false);
        break;
    case 54:
        take_checked(&generatepng, id, false);
        break;
    case 55:
        take_checked(&generate8svx, id, false);
        break;
    case 56:
        take_checked(&generateaiff, id, false);
        break;
    case 57:
        take_checked(&generatesmus, id, false);
        break;
    case 58:
        take_checked(&generatemidi, id, false);
        break;
    case 59:
        take_checked(&generatepsg, id, false);
        break;
    case 60:
        take_checked(&generatewav, id, false);
        break;
    case 61:
        take_checked(&generateym, id, false);
        break;
    case 63:
        rexx_run_script(1, 0);
        break;
    case 64:
        rexx_run_script(0, 0);
        break;
    case 76:
        gui_prefill_command(machine_debug().object_save_command);
        break;
    case 79:
        if (const char* command = machine_debug().disk_save_command) gui_prefill_command(command);
        break;
    case 118:
        if (machine_traits().no_processor)
            gui_run_command("G");
        else
            gui_prefill_command("G ");
        break;
    case 165:
        gui_menu_command_c(id);
        break;
    case 176:
        take_checked(&autofire_left, id, true);
        break;
    case 180:
        take_checked(&autofire_right, id, true);
        break;
    case 177:
        take_checked(&requirebutton_left, id, false);
        break;
    case 181:
        take_checked(&requirebutton_right, id, false);
        break;
    case 178:
    case 182:
        if (!take_checked(id == 178 ? &forcefeedback_left : &forcefeedback_right, id, false))
            host_rumble_stop_all();
        break;
    case 194:
        take_checked(&artefacts, id, true);
        break;
    case 195:
        take_checked(&darkenbg, id, true);
        break;
    case 196:
        take_checked(&flagline, id, true);
        break;
    case 197:
        take_checked(&inversevideo, id, false);
        display_apply_palette();
        display_redraw_all();
        break;
    case 202:
        take_checked(&autosave, id, false);
        break;
    case 203:
        take_checked(&startupupdates, id, false);
        break;
    case 204:
        take_checked(&confirmquit, id, false);
        break;
    case 205:
        take_checked(&createicons, id, false);
        break;
    case 206:
        take_checked(&echoconsole, id, false);
        break;
    case 207:
        take_checked(&identifyemulator, id, false);
        break;
    case 209:
        take_checked(&randomizememory, id, false);
        break;
    case 210:
        take_checked(&sensegame, id, false);
        break;
    case 211:
        take_checked(&show_tips, id, false);
        break;
    case 212:
        take_checked(&stubprograms, id, false);
        break;
    case 208:
        take_checked(&post, id, false);
        if (machine_desc().coinop) trainer_apply();
        break;
    case 217:
        take_checked(&scanlines, id, false);
        display_select_plotter();
        display_redraw_all();
        break;
    case 222:
        take_checked(&blankingareas, id, false);
        display_setup_geometry();
        display_reset_frame();
        pending_actions |= PA_REBUILD;
        break;
    case 223:
        take_checked(&pipbug_blink, id, false);
        break;
    case 224:
        take_checked(&dejitter, id, false);
        break;
    case 228:
        take_checked(&invertflashed, id, false);
        break;
    case 226:
        take_checked(&drawcorners, id, true);
        break;
    case 227:
        take_checked(&fullscreen, id, true);
        break;
    case 231:
        take_checked(&drawunlit, id, true);
        break;
    case 232:
        take_checked(&showleds, id, true);
        break;
    case 236:
        take_checked(&swapped, id, true);
        break;
    case 229:
        // Ticked means narrow (stretch 1); the window is rebuilt at the frame's end.
        if (display_aspect == 2)
            pending_actions |= PA_STRETCH_1;
        else if (display_aspect == 1)
            pending_actions |= PA_STRETCH_2;
        break;
    case 230:
        take_checked(&rotatescreen, id, false);
        display_select_plotter();
        display_redraw_all();
        break;
    case 233:
        take_checked(&analog, id, false);
        gui_refresh_menus();
        break;
    case 234:
        take_checked(&showpositions, id, false);
        break;
    case 235:
        take_checked(&springloaded, id, false);
        break;
    case 241: {
        u32 v = lowercase != 0;
        take_checked(&v, id, false);
        lowercase = static_cast<i32>(v);
        gui_update_menu_item(id);
        break;
    }
    case 244:
        take_checked(&autocoin, id, false);
        break;
    case 254:
        take_checked(&retune, id, false);
        break;
    case 258:
        take_checked(&autopause, id, false);
        break;
    case 260:
        take_checked(&limitrefreshes, id, false);
        break;
    case 242:
        take_checked(&confinepointer, id, true);
        break;
    case 243:
        take_checked(&erasedeleted, id, true);
        break;
    case 246:
        take_checked(&queuekeystrokes, id, true);
        break;
    case 250:
        take_checked(&snd_enabled, id, true);
        break;
    case 259:
        take_checked(&exactspeed, id, true);
        break;
    case 261:
        take_checked(&turbo, id, true);
        break;
    case 264:
        take_checked(&collisions, id, true);
        break;
    case 245:
        take_checked(&guestrmb, id, false);
        break;
    case 252:
        if (!take_checked(&teletypesounds, id, false) && snd_enabled)
            for (int v = 16; v <= 25; v++)
                snd_voice_stop(v);
        break;
    case 253:
        take_checked(&led_filter, id, false);
        break;
    case 257:
        if (emu_paused)
            emu_unpause();
        else
            emu_pause();
        gui_update_menu_item(id);
        break;
    case 266:
        take_checked(&trainer_lives, id, false);
        trainer_apply();
        break;
    case 267:
        take_checked(&trainer_time, id, false);
        trainer_apply();
        break;
    case 268:
        take_checked(&trainer_invincibility, id, false);
        trainer_apply();
        break;
    default:
        break;
    }
    gui_update_pointer(0);
}

void gui_menu_command_b(int id) {
    if (id < 0 || id > 163 || !cmd_check_available(id)) return;
    char line[32];
    if (debug_radio_line(id, line, sizeof line)) {
        if (id >= 29 && id <= 33) cmd_draw_mode = id - 29;
        gui_run_command(line);
        gui_refresh_menus();
    } else if (id <= 1) {
        games_sort_by = id;
        gui_refresh_menus();
    } else if (id <= 4) {
        viewspeedas = id == 2 ? 0 : id == 3 ? 2 : 1;
        gui_refresh_menus();
        gui_status_bar_update();
    } else if (id >= 37 && id <= 54) {
        static const int values[9] = {1, 0, 2, 3, 4, 5, 6, 7, 8};
        if (id <= 45)
            controller_left = values[id - 37];
        else
            controller_right = values[id - 46];
        gui_menu_command_c(id <= 45 ? 175 : 179);
    } else if (id == 55 || id == 56) {
        elektor_biosversion = id - 55;
        machine_changed(ELEKTOR, static_cast<int>(memmap));
    } else if (id == 70 || id == 71) {
        phunsy_biosversion = static_cast<u32>(id - 70);
        machine_changed(PHUNSY, static_cast<int>(memmap));
    } else if (id >= 72 && id <= 75) {
        selbst_biosversion = static_cast<u32>(id - 72);
        machine_changed(SELBST, MAP_SELBST);
    } else if (id >= 76 && id <= 81) {
        colourset = id - 76;
        gui_refresh_menus();
        display_apply_palette();
        if (gui_tool_window_open(TW_SPRITES)) {
            gui_subwin_ops[TW_SPRITES].close();
            gui_open_tool_window(TW_SPRITES);
        }
        display_redraw_all();
    } else if (id == 95 || id == 96) {
        framebased = id == 95;
        gui_refresh_menus();
    } else if (id >= 97 && id <= 99) {
        log_mode_select(id - 97);
        gui_refresh_menus();
    } else if (id == 102 || id == 103) {
        display_filter = id == 102 ? 2 : 3;
        display_select_plotter();
        display_redraw_all();
        gui_refresh_menus();
    } else if (id >= 107 && id <= 112) {
        if (display_scale != static_cast<u32>(id - 106))
            pending_actions |= PA_SCALE_1 << (id - 107);
    } else if (id >= 113 && id <= 115) {
        keymap = id - 113;
        if (gui_tool_window_open(TW_HOST_KEYBOARD)) {
            gui_subwin_ops[TW_HOST_KEYBOARD].close();
            gui_open_tool_window(TW_HOST_KEYBOARD);
        }
        gui_refresh_menus();
    } else if (id >= 125 && id <= 144) {
        if (!emu_paused_mid_frame)
            for (const MachineItem& mi : machine_items)
                if (mi.check == id) machine_changed(mi.machine, mi.memmap);
    } else if (id == 145 || id == 146) {
        snd_close(1);
        snd_output_mode = id - 145;
        gui_refresh_menus();
        snd_open(0);
    } else if (id == 147 || id == 148) {
        emu_region = static_cast<u32>(id - 147);
        gui_menu_command_c(262);
    } else if (id == 152 || id == 154) {
        demultiplex = id - 152;
        display_redraw_all();
        gui_refresh_menus();
    }
    gui_update_pointer(0);
}

void gui_toolbar_command(int bar, int index, bool selected) {
    if (bar == 2 && index >= 11 && index <= 14) {
        // A console button: pressed for the guest unless the machine has none
        // there, or an input recording plays back (it gives the buttons then).
        const int k = index - 11;
        const char* label = machine_live_row().console_labels[k];
        if (!label || std::strcmp(label, "-") == 0 || rec_state == REC_PLAYBACK) return;
        input_press_console_button(k);
        return;
    }
    static const int bar1_ids[9] = {-1, 0, 3, 6, 8, 34, 63, 5, 16};
    static const int bar2_ids[11] = {-1, 176, 180, 236, 250, 257, 261, 264, 47, 48, 49};
    int id = -1;
    if (bar == 1 && index >= 1 && index <= 8) id = bar1_ids[index];
    if (bar == 2 && index >= 1 && index <= 10) id = bar2_ids[index];
    if (id < 0 || !cmd_plain_available(id)) return;
    if (emu_paused_mid_frame && (bar == 1 || index >= 8)) {
        con_printf("You can only do this between frames!\n");
        return;
    }
    if (bar == 2 && index <= 7) {
        // A toggle button: its option follows the button, then the shared action.
        u32* options[8] = {nullptr,      &autofire_left, &autofire_right, &swapped,
                           &snd_enabled, nullptr,        &turbo,          &collisions};
        if (index == 5) {
            if (selected)
                emu_pause();
            else
                emu_unpause();
            gui_update_menu_item(257);
            return;
        }
        *options[index] = selected ? 1 : 0;
        gui_menu_command_c(id);
        return;
    }
    if (id == 5 || id == 16)
        gui_menu_command_c(id);
    else
        gui_menu_command_a(id);
}
