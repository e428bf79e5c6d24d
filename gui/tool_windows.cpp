#include "gui/tool_windows.h"

#include "commands/help_links.h"
#include "commands/menu_state.h"
#include "core/frame.h"
#include "core/machine.h"
#include "gui/iconify.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "gui/ui_pass.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "platform/catalog.h"

// clang-format off
const ToolWindowRow tool_window_table[TOOL_WINDOWS] = {
    {TW_CONTROLS,      "guest controls",          0,  0,  0},
    {TW_DIPS,          "DIP switches",            1,  1,  9},
    {TW_GAMEINFO,      "game information",        3,  3, 11},
    {TW_MEMORY,        "memory editor",           4,  4,  2},
    {TW_CPU,           "CPU monitor",             5,  5,  5},
    {TW_OPCODES,       "opcodes",                 8,  6, 12},
    {TW_PALETTE,       "palette editor",          9,  7, 13},
    {TW_TAPE,          "tape deck",              14, 11,  4},
    {TW_SPRITES,       "sprite editor",          13,  9,  1},
    {TW_SPEED,         "speed",                  12, 10, 16},
    {TW_HOST_KEYBOARD, "host keyboard",          15, 12, 17},
    {TW_HOST_PADS,     "host gamepads",          16, 13, 18},
    {TW_VIDEO_CHIP,    "video chip monitor",      7, 15,  7},
    {TW_PSG,           "PSG monitor",             6, 14,  6},
    {TW_MUSIC,         "musical keyboard",       17, 16,  3},
    {TW_NONE,          "",                       -1, -1, -1},
    {TW_PRINTER,       "printer",                11,  8, 15},
    {TW_FLOPPY,        "floppy drives",           2,  2, 10},
    {TW_PAPERTAPE,     "papertape",              10, 17, 14},
    {TW_INSTRUMENTS,   "laboratory instruments", 18, 18,  8},
};
// clang-format on

static ToolWindowOrder order_by(int ToolWindowRow::*rank) {
    ToolWindowOrder order{};
    for (const ToolWindowRow& row : tool_window_table)
        if (row.*rank >= 0 && row.*rank < TOOL_WINDOWS_USED) order[row.*rank] = row.id;
    return order;
}

const ToolWindowOrder tool_window_event_order = order_by(&ToolWindowRow::event_rank);
const ToolWindowOrder tool_window_reopen_order = order_by(&ToolWindowRow::reopen_rank);
const ToolWindowOrder tool_window_refresh_order = order_by(&ToolWindowRow::refresh_rank);

const i32 gui_subwin_menu_id[TOOL_WINDOWS] = {173, 174, 272, 30,  166, 275, 31,  183, 33,  256,
                                              274, 273, 168, 167, 169, -1,  187, 184, 186, 185};

SubwindowOps gui_subwin_ops[TOOL_WINDOWS];
u8 gui_subwin_reopen[TOOL_WINDOWS];
int gui_subwin_window[TOOL_WINDOWS];
std::int16_t gui_subwin_pos[TOOL_WINDOWS][2] = {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1},
                                                {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1},
                                                {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1},
                                                {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}};
int gui_gadgets[GUI_GADGETS];
char gui_text_buffer[GUI_TEXT_BUFFER];

// Inside gui_reopen_subwindows.
static bool reopening = false;
// Inside a rebuild of the program's own (gui_reopen_subwindows,
// gui_rebuild_subwindow): a window comes back minimised when it was closed so.
static int rebuilding = 0;
// Whether each window was minimised when it last closed.
static bool closed_minimised[TOOL_WINDOWS];

// Runs `open` as a rebuild of the program's own.
template <class Open> static void as_rebuilt(const Open& open) {
    ++rebuilding;
    open();
    --rebuilding;
}

static bool valid(int w) {
    return w >= 0 && w < TOOL_WINDOWS;
}

bool gui_tool_window_open(ToolWindow w) {
    if (!valid(w)) return false;
    if (gui_subwin_window[w]) return true;
    return gui_subwin_ops[w].is_open && gui_subwin_ops[w].is_open();
}

bool gui_tool_window_shown(ToolWindow w) {
    return gui_tool_window_open(w) && !(gui_subwin_window[w] && gui_window_minimised(gui_subwin_window[w]));
}

static void open_or_raise(ToolWindow w, void (*raise)(int)) {
    if (!valid(w)) return;
    if (gui_tool_window_open(w)) {
        if (gui_subwin_window[w]) raise(gui_subwin_window[w]);
        return;
    }
    if (gui_subwin_ops[w].open) gui_subwin_ops[w].open();
}

void gui_open_tool_window(ToolWindow w) {
    open_or_raise(w, gui_window_show_again);
}

void gui_offer_tool_window(ToolWindow w) {
    open_or_raise(w, gui_window_activate);
}

// Closes one window the way it closes itself.
static void close_one(ToolWindow w) {
    if (gui_subwin_ops[w].close) gui_subwin_ops[w].close();
    gui_close_subwindow(w); // nothing when its own close did it
}

void gui_close_all_subwindows() {
    for (const ToolWindowRow& row : tool_window_table) {
        if (row.reopen_rank < 0 || !gui_tool_window_open(row.id)) continue;
        close_one(row.id);
        gui_subwin_reopen[row.id] = 1;
    }
}

static void enter_gadgets(const GuiNode& n, int win) {
    if (n.gid > 0 && n.gid < GUI_GADGETS) gui_gadgets[n.gid] = win;
    for (const GuiNode& c : n.children)
        enter_gadgets(c, win);
}

int gui_open_subwindow(ToolWindow id, GuiWindowDesc desc) {
    if (!valid(id)) return 0;
    if (gui_subwin_window[id]) return 1;
    if (desc.help_node.empty()) desc.help_node = help_window_node(id, static_cast<int>(machine));
    // Reopened, it takes no activation: the keys stay with the main window
    // (a window manager would give them to the last window it mapped).
    if (reopening) desc.activate = false;
    // Rebuilt, it comes back as the user left it, minimised included; the
    // user's own request opens it on the desktop.
    desc.minimised = rebuilding > 0 && closed_minimised[id];
    if (gui_subwin_pos[id][0] != -1) {
        desc.left = gui_subwin_pos[id][0];
        desc.top = gui_subwin_pos[id][1];
    }
    const int win = gui_window_open(desc);
    if (!win) {
        gui_warning(cat_str(156, "Can't open window!"));
        return 0;
    }
    gui_subwin_window[id] = win;
    enter_gadgets(desc.root, win);
    gui_update_menu_item(gui_subwin_menu_id[id]);
    return 1;
}

void gui_close_subwindow(ToolWindow id) {
    if (!valid(id) || !gui_subwin_window[id]) return;
    const int win = gui_subwin_window[id];
    int left = -1, top = -1;
    gui_window_position(win, &left, &top, nullptr, nullptr);
    gui_subwin_pos[id][0] = static_cast<std::int16_t>(left);
    gui_subwin_pos[id][1] = static_cast<std::int16_t>(top);
    closed_minimised[id] = gui_window_minimised(win);
    gui_window_close(win);
    gui_subwin_window[id] = 0;
    if (gui_subwin_ops[id].release) gui_subwin_ops[id].release();
    if (id == TW_PALETTE) gui_refresh_menus(); // the colour sets come back
    gui_update_menu_item(gui_subwin_menu_id[id]);
}

void gui_activate_subwindow(ToolWindow id) {
    if (valid(id) && gui_subwin_window[id] && !reopening) gui_window_activate(gui_subwin_window[id]);
}

void gui_rebuild_subwindow(ToolWindow id) {
    if (!valid(id) || !gui_tool_window_open(id)) return;
    close_one(id);
    as_rebuilt([id] { gui_open_tool_window(id); });
}

void gui_open_monitor(int id) {
    if (id == TW_CPU || id == TW_VIDEO_CHIP || id == TW_PSG)
        gui_open_tool_window(static_cast<ToolWindow>(id));
}

void gui_toggle_cpu_monitor() {
    gui_relabel_opcodes();
    if (!gui_tool_window_open(TW_CPU)) return;
    close_one(TW_CPU);
    as_rebuilt([] { gui_open_monitor(TW_CPU); });
}

int gui_point_in_gadget(int gid, int x, int y) {
    if (gid < 0 || gid >= GUI_GADGETS) return 0;
    const int win = gui_gadgets[gid] ? gui_gadgets[gid] : main_window;
    if (!win || !gui_window_is_open(win)) return 0;
    const GuiRect r = gui_gadget_rect(win, gid);
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

void gui_refresh_windows(int force) {
    force &= 0xFF;
    for (ToolWindow w : tool_window_refresh_order)
        if (gui_subwin_ops[w].refresh && gui_tool_window_open(w)) gui_subwin_ops[w].refresh(force);
}

void gui_forget_subwindow_positions() {
    for (auto& p : gui_subwin_pos)
        p[0] = p[1] = -1;
}

// ---- setters -------------------------------------------------------------------------
static int open_window(ToolWindow w) {
    return valid(w) ? gui_subwin_window[w] : 0;
}
static bool flag16(u32 flag) {
    return (flag & 0xFFFFu) != 0;
}
static void set_value(ToolWindow w, int gid, u32 value) {
    if (const int win = open_window(w)) gui_set_value(win, gid, static_cast<int>(value));
}
static void set_text(ToolWindow w, int gid, const char* text) {
    if (const int win = open_window(w)) gui_set_text(win, gid, text ? text : "");
}
static void set_disabled(ToolWindow w, int gid, bool disabled) {
    if (const int win = open_window(w)) gui_set_disabled(win, gid, disabled);
}
static void set_selected(ToolWindow w, int gid, bool selected) {
    if (const int win = open_window(w)) gui_set_selected(win, gid, selected);
}

void gui_set_selected_refresh(ToolWindow w, int gid, u32 flag) {
    set_selected(w, gid, flag16(flag));
}
void gui_set_selected(ToolWindow w, int gid, u32 flag) {
    set_selected(w, gid, flag16(flag));
}
void gui_set_disabled_refresh(ToolWindow w, int gid, u32 enabled) {
    set_disabled(w, gid, enabled == 0);
}
void gui_set_enabled_refresh(ToolWindow w, int gid, u32 enabled) {
    set_disabled(w, gid, enabled == 0);
}
void gui_set_enabled(ToolWindow w, int gid, u32 enabled) {
    set_disabled(w, gid, enabled == 0);
}
void gui_set_disabled(ToolWindow w, int gid, u32 flag) {
    set_disabled(w, gid, flag16(flag));
}
void gui_set_chooser(ToolWindow w, int gid, u32 value) {
    set_value(w, gid, value);
}
void gui_set_chooser_b(ToolWindow w, int gid, u32 value) {
    set_value(w, gid, value);
}
void gui_set_slider(ToolWindow w, int gid, u32 value) {
    set_value(w, gid, value);
}
void gui_set_radio_refresh(ToolWindow w, int gid, u32 value) {
    set_value(w, gid, value);
}
void gui_set_string(ToolWindow w, int gid, const char* text) {
    set_text(w, gid, text);
}
void gui_set_text(ToolWindow w, int gid, const char* text) {
    set_text(w, gid, text);
}
void gui_set_string_shared(ToolWindow w, int gid, u32) {
    set_text(w, gid, gui_text_buffer);
}
void gui_set_text_shared(ToolWindow w, int gid, u32) {
    set_text(w, gid, gui_text_buffer);
}
void gui_nop_gadget(ToolWindow, int, u32) {}

void gui_reopen_subwindows() {
    // While the main window is iconified its tool windows stay closed: they
    // come back with it (gui_uniconify).
    if (!gui_main_window_is_open() || gui_iconified) return;
    bool reopened = false;
    reopening = true;
    for (ToolWindow w : tool_window_reopen_order)
        if (gui_subwin_reopen[w] && gui_subwin_ops[w].open) {
            as_rebuilt(gui_subwin_ops[w].open);
            reopened = true;
        }
    reopening = false;
    for (u8& f : gui_subwin_reopen)
        f = 0;
    // The main window gets back what the reopened windows took; with none
    // reopened it stays as it is, under a requester or tip opened over it.
    if (reopened) gui_activate_window();
}

// Whether each window was minimised at the last pass, for its menu item.
static bool minimised_at_pass[TOOL_WINDOWS];

void gui_subwindows_input() {
    for (ToolWindow w : tool_window_event_order) {
        const bool minimised = gui_tool_window_open(w) && !gui_tool_window_shown(w);
        if (minimised == minimised_at_pass[w]) continue;
        minimised_at_pass[w] = minimised;
        gui_update_menu_item(gui_subwin_menu_id[w]);
    }
    for (ToolWindow w : tool_window_event_order)
        if (gui_subwin_ops[w].input && gui_tool_window_open(w)) gui_subwin_ops[w].input();
}

void gui_tool_windows_reset() {
    for (int w = 0; w < TOOL_WINDOWS; w++) {
        gui_subwin_ops[w] = SubwindowOps{};
        gui_subwin_reopen[w] = 0;
        gui_subwin_window[w] = 0;
        closed_minimised[w] = false;
    }
    gui_forget_subwindow_positions();
    for (int& g : gui_gadgets)
        g = 0;
    gui_text_buffer[0] = 0;
}

bool gui_tool_window_events(ToolWindow id, bool (*handle)(const GuiEvent& e)) {
    const int win = gui_subwin_window[id];
    if (!win) return false;
    bool close = false;
    GuiEvent e;
    while (gui_window_next_event(win, &e)) {
        if (e.type == GE_CLOSE)
            close = true;
        else if (e.type == GE_MOVED)
            emu_restart_timing();
        else if (handle(e))
            close = true;
        if (gui_subwin_window[id] != win) return false;
    }
    if (close) gui_close_subwindow(id);
    return close;
}

void gui_forward_raw_key(int code) {
    if (code < 0) return;
    if (code < RAWKEY_UP)
        input_host_key_event(static_cast<u32>(code));
    else
        input_host_key_release(static_cast<u32>(code & 0x7F));
}

bool gui_closing_key(int code) {
    return code == RAW_ENTER || code == RAW_RETURN || code == RAW_ESC;
}
