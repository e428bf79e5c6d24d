#include "devicewindows/dips_window.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/machine_ops.h"
#include "core/recording.h"
#include "gui/images.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "input/key_events.h"

#include <map>

namespace {


// The window that is open, and the values its gadgets show.
const DipsWindow* open_window;
std::map<int, int> shown, shown_enabled;

const DipsWindow* window_of_machine() {
    switch (machine_row().dips ? machine_row().dips() : DipWindow::NONE) {
    case DipWindow::SI50:
        return &dips_si50_window;
    case DipWindow::ZACCARIA:
        return &dips_zaccaria_window;
    case DipWindow::MALZAK2:
        return &dips_malzak2_window;
    case DipWindow::PONG:
        return &dips_pong_window;
    default:
        return nullptr;
    }
}

// Enables what the game has, unless a playback runs (or `enable` is false).
void set_enabled(bool enable) {
    const int win = dips_window();
    if (!win || !open_window) return;
    for (int i = 0; i < open_window->gadget_count; i++) {
        const int gid = open_window->gadgets[i];
        const int on = enable && (!open_window->exists || open_window->exists(gid));
        const auto it = shown_enabled.find(gid);
        if (it != shown_enabled.end() && it->second == on) continue;
        shown_enabled[gid] = on;
        gui_set_disabled(win, gid, !on);
    }
}

} // namespace

int dips_window() {
    return gui_subwin_window[TW_DIPS];
}

void dips_show(int gid, int value) {
    const int win = dips_window();
    if (!win) return;
    const auto it = shown.find(gid);
    if (it != shown.end() && it->second == value) return;
    shown[gid] = value;
    if (gid >= GID_SI50_TOGGLE && gid < GID_SI50_TOGGLE + 8)
        gui_set_selected(win, gid, value != 0);
    else
        gui_set_value(win, gid, value);
}

GuiNode dips_node(GuiKind kind, int gid, std::string text) {
    GuiNode n;
    n.kind = kind;
    n.gid = gid;
    n.text = std::move(text);
    return n;
}

GuiNode dips_group(GuiKind kind, std::vector<GuiNode> children, const char* frame) {
    GuiNode g = dips_node(kind);
    g.children = std::move(children);
    if (frame) {
        g.framed = true;
        g.text = frame;
    }
    return g;
}

GuiNode dips_radio(int gid, std::vector<std::string> items) {
    GuiNode r = dips_node(GK_RADIO, gid);
    r.items = std::move(items);
    r.vertical = true;
    return r;
}

GuiNode dips_checkbox(int gid, const char* text) {
    return dips_node(GK_CHECKBOX, gid, text);
}

GuiNode dips_picture() {
    GuiNode pic = dips_node(GK_IMAGE, GID_DIPS_PICTURE);
    pic.image = gui_image(gui_machine_picture(memmap));
    pic.centred = true;
    return pic;
}

GuiNode dips_space() {
    GuiNode s = dips_node(GK_SPACE);
    s.weight = 1;
    return s;
}

void gui_dips_refresh(int force) {
    if (!dips_window() || !open_window) return;
    if (force) {
        shown.clear();
        shown_enabled.clear();
    }
    open_window->refresh();
    set_enabled(rec_state != REC_PLAYBACK);
}

void gui_dips_playback_refresh(int enable) {
    if (!dips_window()) return;
    set_enabled(enable != 0);
}

void gui_open_dips_window() {
    if (dips_window()) return;
    const DipsWindow* w = window_of_machine();
    if (!w) return;
    GuiWindowDesc desc = w->describe();
    const char* help = machine_row().dips_help;
    desc.help_node = help ? help : "";
    open_window = w;
    shown.clear();
    shown_enabled.clear();
    if (!gui_open_subwindow(TW_DIPS, desc)) {
        open_window = nullptr;
        return;
    }
    gui_dips_refresh(1);
}

static bool dips_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_RAWKEY:
        // The guest can be played while the window is active.
        if ((e.code & 0xFF) == RAW_ESC) return true;
        gui_forward_raw_key(e.code);
        break;
    case GE_GADGET:
        // During a playback the recording decides: the gadget goes back.
        if (rec_state != REC_PLAYBACK) open_window->input(e.gid, e.code);
        gui_dips_refresh(rec_state == REC_PLAYBACK);
        break;
    default:
        break;
    }
    return false;
}

void gui_dips_handle_input() {
    if (!open_window) return;
    gui_tool_window_events(TW_DIPS, dips_event);
}

void dips_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_DIPS];
    ops.open = gui_open_dips_window;
    ops.input = gui_dips_handle_input;
    ops.refresh = gui_dips_refresh;
    ops.release = [] {
        open_window = nullptr;
        shown.clear();
        shown_enabled.clear();
    };
}
