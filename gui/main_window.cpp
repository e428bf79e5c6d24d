// Building, opening and closing the main window.
#include "gui/main_window.h"
#include "gui/main_window_place.h"

#include "inspect/magnifier.h"
#include "debugger/commands.h"

#include "commands/menu_state.h"
#include "commands/menus.h"
#include "core/frame.h"
#include "core/machine_table.h"
#include "app/mainloop.h"
#include "core/message.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "app/startup.h"
#include "gui/dialogs.h"
#include "gui/game_list.h"
#include "gui/images.h"
#include "core/gamesdb.h"
#include "gui/requesters.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "core/machine_titles.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "display/frame.h"
#include "display/host.h"
#include "input/keys.h"

#include <cstdio>
#include <cstring>
#include <string>

int main_window = 0;
u8 gui_main_window_open = 0;
char dbg_line[DBG_LINE_SIZE] = {};
int opened_height = 0;
// The picture the window was opened for: a machine switch attaches a picture
// of another size to the open window, which the toolkit then resizes.
static int opened_picture[2];
int display_rect[4] = {};
std::vector<GuiMenuItem> gui_menu_strip;

// Speedbar pictures (image rows) and hints (catalog numbers and texts).
struct BarButton {
    int image;
    int image_on; // toggles: the picture while selected (unused by the host layer)
    int cat;
    const char* hint;
};
static const BarButton bar1[8] = {
    {39, 39, 125, "Reset to game (F5, Alt-R)"},
    {42, 42, 126, "Open (Ctrl+O)"},
    {43, 43, 127, "Save state (Ctrl+S)"},
    {44, 44, 128, "Save screenshot as IFF ILBM (Ctrl+_)"},
    {45, 45, 332, "Copy screenshot (Ctrl+C)"},
    {46, 46, 129, "Run ARexx script (Ctrl+.)"},
    {47, 47, 243, "Quickload state (Ctrl+(, Alt-L)"},
    {48, 48, 244, "Quicksave state (Ctrl+), Alt-S)"},
};
static const BarButton bar2[10] = {
    {57, 64, 130, "Left autofire? (Ctrl+B)"},
    {58, 65, 962, "Right autofire? (Ctrl+Z)"},
    {59, 66, 131, "Controllers swapped? (Ctrl+J, Alt-J)"},
    {67, 60, 135, "Sound? (Ctrl+U)"},
    {61, 68, 132, "Paused? (P, Play/Pause)"},
    {62, 69, 133, "Turbo speed? (Ctrl+T, Fast Forward, Alt-W)"},
    {70, 63, 134, "Collisions? (Ctrl+L)"},
    {71, 71, 451, "Start recording (Ctrl+{)"},
    {72, 72, 695, "Restart playback"},
    {73, 73, 696, "Stop recording/playback (Ctrl+})"},
};
static const int console_key_images[4] = {74, 75, 76, 77};

static bool toggle_state(int index) {
    switch (index) {
    case 1:
        return autofire_left;
    case 2:
        return autofire_right;
    case 3:
        return swapped;
    case 4:
        return snd_enabled;
    case 5:
        return emu_paused;
    case 6:
        return turbo;
    case 7:
        return collisions;
    default:
        return false;
    }
}

static GuiNode node(GuiKind kind, int gid = 0) {
    GuiNode n;
    n.kind = kind;
    n.gid = gid;
    return n;
}

static GuiNode speedbar1() {
    GuiNode n = node(GK_SPEEDBAR, GID_SPEEDBAR_1);
    for (const BarButton& b : bar1) {
        GuiBarButton x;
        x.image = gui_image(b.image);
        x.hint = cat_str(b.cat, b.hint);
        n.bar.push_back(x);
    }
    return n;
}

// The current machine's console button k (0-3) on the toolbar.
static GuiBarButton console_button(int k) {
    GuiBarButton x;
    const MachineDesc& m = machine_desc();
    x.image = gui_image(m.console_images[k] > 0 ? m.console_images[k] : console_key_images[k]);
    const char* label = machine_live_row().console_labels[k];
    if (!label) label = "-";
    char hint[41];
    std::snprintf(hint, sizeof hint, "%s (F%d)", label, k + 1);
    x.hint = hint;
    x.disabled = std::strcmp(label, "-") == 0;
    return x;
}

static GuiNode speedbar2() {
    GuiNode n = node(GK_SPEEDBAR, GID_SPEEDBAR_2);
    for (int i = 0; i < 10; ++i) {
        GuiBarButton x;
        x.image = gui_image(bar2[i].image);
        x.hint = cat_str(bar2[i].cat, bar2[i].hint);
        x.toggle = i < 7;
        x.selected = toggle_state(i + 1);
        n.bar.push_back(x);
    }
    for (int k = 0; k < 4; ++k)
        n.bar.push_back(console_button(k));
    return n;
}

void gui_console_buttons_refresh() {
    if (!main_window || !view_toolbar[display_mode]) return;
    for (int k = 0; k < 4; ++k) {
        const GuiBarButton b = console_button(k);
        gui_bar_set_face(main_window, GID_SPEEDBAR_2, 11 + k, b.image, b.hint);
    }
}

static const char* status_label_text() {
    switch (viewspeedas) {
    case 1:
        return cat_str(494, "Speed:");
    case 2:
        return cat_str(621, "kHz:");
    default:
        return cat_str(140, "FPS:");
    }
}

static GuiNode build_tree() {
    const u32 mode = display_mode;
    GuiNode root = node(GK_VGROUP, GID_MAIN_ROOT);

    GuiNode top = node(GK_HGROUP);
    top.weight = 1;
    GuiNode column = node(GK_VGROUP);
    column.weight = 1;
    if (view_toolbar[mode]) {
        column.children.push_back(speedbar1());
        column.children.push_back(speedbar2());
    }
    GuiNode display_group = node(GK_VGROUP);
    display_group.weight = 1;
    GuiNode display = node(GK_DISPLAY, GID_DISPLAY);
    display_compute_layout();
    display.min_w = display_host_width;
    display.min_h = display_host_height;
    display.weight = 1;
    display_group.children.push_back(display);
    if (view_debugger[mode]) {
        GuiNode cmd = node(GK_STRING, GID_COMMAND);
        cmd.label = ">";
        cmd.max_chars = DBG_LINE_SIZE - 1;
        cmd.text = dbg_line;
        cmd.weight = 1;
        display_group.children.push_back(cmd);
    }
    column.children.push_back(display_group);
    top.children.push_back(column);
    if (view_gamelist[mode]) {
        GuiNode list = node(GK_LIST, GID_GAME_LIST);
        list.min_w = game_list_width > 128 ? game_list_width : 128;
        list.columns = {""};
        list.rows = gui_game_list_rows();
        list.hint = cat_str(761, "Click on a game to load it.");
        list.value = game_list_sel < static_cast<int>(list.rows.size()) ? game_list_sel : -1;
        top.children.push_back(list);
    }
    root.children.push_back(top);

    if (view_statusbar[mode]) {
        GuiNode bar = node(GK_HGROUP);
        GuiNode pic = node(GK_IMAGE, GID_MACHINE_PICTURE);
        pic.image = gui_image(games_machine_label_id(-1, static_cast<int>(memmap)));
        bar.children.push_back(pic);
        GuiNode text = node(GK_STRING, GID_STATUS_TEXT);
        text.readonly = true;
        text.weight = 1;
        bar.children.push_back(text);
        GuiNode label = node(GK_BUTTON, GID_STATUS_LABEL);
        label.text = status_label_text();
        bar.children.push_back(label);
        GuiNode value = node(GK_STRING, GID_STATUS_VALUE);
        value.readonly = true;
        value.text = viewspeedas == 1 ? "0%" : "0";
        char sample[64];
        std::snprintf(sample, sizeof sample, "####%% %s #####.###", cat_str(552, "of"));
        value.min_w = 7 * static_cast<int>(std::strlen(sample));
        bar.children.push_back(value);
        const int drives = machine_desc().drives;
        for (int d = 0; d < 4; ++d) {
            GuiNode b = node(GK_BUTTON, GID_DRIVE_0 + d);
            b.text = "--";
            b.min_w = 28;
            b.disabled = d >= drives;
            bar.children.push_back(b);
        }
        GuiNode caps = node(GK_STRING, GID_CAPS);
        caps.readonly = true;
        caps.text = gui_caps_text();
        caps.min_w = 8 * static_cast<int>(std::strlen(cat_str(618, "CAPS"))) + 12;
        bar.children.push_back(caps);
        root.children.push_back(bar);
    }
    return root;
}

// Whether the main window was minimised when it last closed: a rebuild brings
// it back so.
static bool closed_minimised = false;

bool gui_main_window_is_open() {
    return main_window != 0;
}

void gui_screen_setup() {
    // One desktop: the window goes on the default screen, full screen by a
    // flag; the picture is sized to fit that screen.
    main_place_screen_setup();
}

void gui_unlock_pubscreen() {}

// Opens the main window described by `d`, its picture laid out anew, with
// the menu strip.
static void open_with_menus(GuiWindowDesc& d) {
    d.root = build_tree();
    main_window = gui_window_open(d);
    if (!main_window) gui_fatal(cat_str(156, "Can't open window!"));
    gui_window_set_menus(main_window, gui_menu_strip);
}

void gui_open_main_window(int reopen_tools) {
    if (main_window) return;
    gui_screen_setup();
    GuiWindowDesc d;
    d.title = view_titlebar[display_mode] ? machine_title(machine) : "";
    d.icon_title = "Brindlemox";
    d.title_bar = view_titlebar[display_mode] != 0;
    d.size_gadget = view_gamelist[display_mode] != 0;
    d.borderless = display_mode == 1;
    d.full_screen = display_mode == 1;
    d.accept_drops = true;
    d.minimised = closed_minimised;
    main_place_desc(&d);
    gui_menu_strip = menu_build_strip();
    open_with_menus(d);
    // A window larger than the screen (the bars and the game list beside the
    // picture, or a picture too large alone) opens again with a smaller
    // picture, as often as that makes it smaller.
    for (int tries = 0; tries < 12 && main_place_refit(main_window); tries++) {
        gui_window_close(main_window);
        open_with_menus(d);
    }
    main_place_opened(main_window);
    gui_main_window_open = 1;
    // Modifiers let go while no window took the keys must not stay held (the
    // status bar, Caps Lock's state included, is drawn below).
    input_clear_modifier_keys();
    gui_refresh_menus();
    display_host_window = main_window;
    display_host_gadget = GID_DISPLAY;
    display_redraw_all();
    gui_display_rect_refresh();
    gui_window_position(main_window, nullptr, nullptr, nullptr, &opened_height);
    opened_picture[0] = display_host_width;
    opened_picture[1] = display_host_height;
    if (view_gamelist[display_mode] && audit_due) {
        games_audit_drawer(0);
        gui_game_list_show();
    }
    if (reopen_tools) gui_reopen_subwindows();
    gui_speedbar_update();
    gui_refresh_toolbar();
    gui_update_main_title();
    gui_set_status_text();
    gui_status_bar_update();
    gui_update_pointer(1);
    gui_flush_main_port();
    gui_show_held_notices();
}

void gui_display_rect_refresh() {
    if (!main_window) return;
    const GuiRect r = gui_gadget_rect(main_window, GID_DISPLAY);
    display_rect[0] = r.left;
    display_rect[1] = r.top;
    display_rect[2] = r.right;
    display_rect[3] = r.bottom;
}

void gui_close_main_window() {
    gui_close_magnifier();
    if (!main_window) return;
    main_place_take(main_window);
    if (display_mode == 0 && view_gamelist[0]) {
        GuiRect r = gui_gadget_rect(main_window, GID_GAME_LIST);
        if (r.right >= r.left) game_list_width = r.right - r.left + 1;
    }
    display_host_window = 0;
    closed_minimised = gui_window_minimised(main_window);
    gui_window_close(main_window);
    // The picture is drawn afresh at the next opening, maybe at another size.
    display_free_bitmap();
    main_window = 0;
    gui_main_window_open = 0;
    // Buttons held in, or a focus lost by, the closed window are not the next one's.
    gui_mouse_left = gui_mouse_middle = gui_mouse_right = gui_window_left = 0;
}

bool gui_main_picture_changed() {
    return main_window && (display_host_width != opened_picture[0] ||
                           display_host_height != opened_picture[1]);
}

void gui_set_scale(int scale) {
    if (scale < 1 || scale > 6) return;
    display_compute_layout();
    if (static_cast<u32>(scale) == display_scale && main_window && !gui_main_picture_changed())
        return;
    display_scale = static_cast<u32>(scale);
    if (main_window) {
        gui_close_main_window();
        gui_open_main_window(0);
    }
}

void gui_run_command(const char* text) {
    std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", text);
    dbg_history_add();
    con_printf(">%s\n", g_dbg_line);
    dbg_execute();
    g_dbg_line[0] = '\0';
    dbg_line[0] = '\0';
}
