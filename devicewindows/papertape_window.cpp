#include "devicewindows/papertape_window.h"

#include "core/frame.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "devicewindows/tape_deck_window.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/images.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "peripherals/device_link.h"
#include "peripherals/papertape.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {


struct Shown {
    u32 position, length, state;
    u8 last;
} shown[PAPERTAPE_UNITS];

u32 colours[EXTRA_PENS];

int window() {
    return gui_subwin_window[TW_PAPERTAPE];
}

int units() {
    return device_link.papertape_units > 1 ? 2 : 1;
}

u32 extra_rgb(int pen) {
    return display_colour_table[display_extra_pens[pen] % HOST_PENS] & 0xFFFFFF;
}

// Gadget ids of unit u's parts.
int position_id(int u) {
    return u ? GID_PAP1_POSITION : GID_PAP_POSITION;
}
int length_id(int u) {
    return u ? GID_PAP1_LENGTH : GID_PAP_LENGTH;
}
int byte_id(int u) {
    return u ? GID_PAP1_BYTE : GID_PAP_BYTE;
}
int first_transport(int u) { // Rewind
    return u ? GID_PAP1_REWIND : GID_PAP_REWIND;
}

GuiNode counter(int gid, const char* sizing) {
    GuiNode t = gui_node(GK_STRING, gid);
    t.readonly = true;
    t.max_chars = static_cast<int>(std::strlen(sizing));
    t.min_w = 8 * t.max_chars + 12;
    return t;
}

GuiNode button(int gid, int number, const char* english) {
    GuiNode b = gui_node(GK_BUTTON, gid, cat_str(number, english));
    b.weight = 1;
    return b;
}

GuiNode space() {
    GuiNode s = gui_node(GK_SPACE);
    s.weight = 1;
    return s;
}

// The picture, the position slider, the counters and the last character.
GuiNode picture_row(int u, bool of_in_row) {
    GuiNode pic = gui_node(GK_PICTURE, GID_PAP_PICTURE + u);
    pic.min_w = PAPERTAPE_PICTURE_WIDTH;
    pic.min_h = PAPERTAPE_PICTURE_HEIGHT;
    GuiNode slider = gui_node(GK_SLIDER, GID_PAP_SLIDER + u);
    slider.vertical = true;
    slider.min = 0;
    slider.max = 1;
    GuiNode of = gui_node(GK_LABEL, 0, cat_str(552, "of"));
    GuiNode counters =
        of_in_row ? gui_group(GK_VGROUP, {space(), counter(position_id(u), "##:##.#"), of,
                                      counter(length_id(u), "##:##.#"), space()})
                  : gui_group(GK_VGROUP, {space(), counter(position_id(u), "##:##.#"),
                                      gui_group(GK_HGROUP, {space(), of, space()}),
                                      counter(length_id(u), "##:##.#"), space()});
    GuiNode position = gui_group(GK_HGROUP, {slider, counters}, cat_str(643, "Position"));
    GuiNode byte = counter(byte_id(u), "##");
    byte.text = "--";
    GuiNode last = gui_group(GK_VGROUP, {space(), gui_group(GK_HGROUP, {gui_node(GK_LABEL, 0, "$"), byte}), space()});
    return gui_group(GK_HGROUP, {pic, position, last});
}

GuiNode unit0() {
    GuiNode protect = gui_node(GK_CHECKBOX, GID_PAP_PROTECT, cat_str(979, "Write protect?"));
    protect.value = papertape_write_protect ? 1 : 0;
    return gui_group(GK_VGROUP,
                 {gui_group(GK_HGROUP, {button(GID_PAP_CREATE, 1240, "Create papertape..."),
                                    button(GID_PAP_INSERT, 1242, "Insert papertape...")}),
                  protect, gui_make_transport_row(GID_PAP_RECORD, true), picture_row(0, units() == 1)});
}

GuiNode unit1() {
    GuiNode transport = gui_make_transport_row(GID_PAP1_REWIND, false);
    transport.children.insert(transport.children.begin(), space());
    return gui_group(GK_VGROUP, {gui_group(GK_HGROUP, {space(), button(GID_PAP1_INSERT, 1242,
                                                               "Insert papertape...")}),
                             space(), transport, picture_row(1, false)});
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = units() > 1 ? cat_str(1245, "Papertape Units") : cat_str(1239, "Papertape Unit");
    if (units() == 1) {
        d.root = unit0();
    } else {
        GuiNode first = unit0();
        first.framed = true;
        first.text = "Teletype Reader (TTYR)/Punch";
        GuiNode second = unit1();
        second.framed = true;
        second.text = "High-Speed Paper Tape (HSPT) Reader";
        d.root = gui_group(GK_HGROUP, {first, gui_node(GK_LABEL, 0, " "), second});
    }
    return d;
}

void show_picture(int u) {
    const int win = window();
    if (!win) return;
    papertape_draw_holes(u);
    for (int i = 0; i < EXTRA_PENS; i++)
        colours[i] = extra_rgb(i);
    gui_display_attach(win, GID_PAP_PICTURE + u, papertape_picture[u], PAPERTAPE_PICTURE_WIDTH,
                       PAPERTAPE_PICTURE_HEIGHT, PAPERTAPE_PICTURE_WIDTH, colours, EXTRA_PENS);
    gui_display_refresh(win, GID_PAP_PICTURE + u);
}

void set_position(int u, u32 position) {
    if (papertape_state[u] == TAPE_EMPTY) return;
    papertape_position[u] = position < papertape_length[u] ? position : papertape_length[u];
    gui_papertape_refresh(u, 1);
}

void gadget(int gid, int code) {
    switch (gid) {
    case GID_PAP_RECORD:
        papertape_punch_run(0);
        gui_papertape_refresh(0, 1);
        break;
    case GID_PAP_REWIND:
    case GID_PAP1_REWIND:
        set_position(gid == GID_PAP1_REWIND, 0);
        break;
    case GID_PAP_PLAY:
    case GID_PAP1_PLAY:
        papertape_read_run(gid == GID_PAP1_PLAY);
        gui_papertape_refresh(gid == GID_PAP1_PLAY, 1);
        break;
    case GID_PAP_FORWARD:
    case GID_PAP1_FORWARD: {
        const int u = gid == GID_PAP1_FORWARD;
        set_position(u, papertape_length[u]);
        break;
    }
    case GID_PAP_STOP:
    case GID_PAP1_STOP:
        papertape_stop(gid == GID_PAP1_STOP);
        gui_papertape_refresh(gid == GID_PAP1_STOP, 1);
        break;
    case GID_PAP_EJECT:
    case GID_PAP1_EJECT:
        papertape_eject(gid == GID_PAP1_EJECT);
        gui_papertape_refresh(gid == GID_PAP1_EJECT, 1);
        break;
    case GID_PAP_CREATE:
        papertape_create(0);
        break;
    case GID_PAP_INSERT:
    case GID_PAP1_INSERT:
        papertape_load(1, gid == GID_PAP1_INSERT);
        break;
    case GID_PAP_PROTECT:
        papertape_write_protect = gui_get_value(window(), gid) ? 1 : 0;
        show_picture(0);
        break;
    case GID_PAP_SLIDER:
    case GID_PAP_SLIDER + 1: {
        const int u = gid - GID_PAP_SLIDER;
        if (papertape_state[u] == TAPE_STOPPED)
            set_position(u, static_cast<u32>(code < 0 ? 0 : code) *
                                papertape_slider_step(papertape_length[u]));
        break;
    }
    default:
        break;
    }
}

// A press on the picture of an empty unit asks for a tape.
void mouse(const GuiEvent& e) {
    if (e.code != 1) return;
    for (int u = 0; u < units(); u++)
        if (papertape_state[u] == TAPE_EMPTY && gui_point_in_gadget(GID_PAP_PICTURE + u, e.x, e.y))
            papertape_load(1, u);
}

} // namespace

void papertape_counter_text(u32 count, char* out, std::size_t size) {
    std::snprintf(out, size, "%u:%02u.%u", count / 600, (count % 600) / 10, count % 10);
}

u32 papertape_slider_step(u32 length) {
    return length / 2048 + 1;
}

PapertapeControls papertape_controls(u32 s, u32 p, u32 n) {
    PapertapeControls c{};
    c.slider = s != TAPE_STOPPED;
    c.record = s != TAPE_STOPPED || p >= PAPERTAPE_SIZE;
    c.create = s != TAPE_EMPTY;
    c.rewind = s != TAPE_STOPPED || p == 0;
    c.play = s != TAPE_STOPPED || p >= n;
    c.forward = s != TAPE_STOPPED || p >= n;
    c.stop = s == TAPE_EMPTY || s == TAPE_STOPPED;
    c.eject = s == TAPE_EMPTY;
    c.insert = s != TAPE_EMPTY;
    c.record_pressed = s == TAPE_PUNCHING;
    c.play_pressed = s == TAPE_READING;
    c.stop_pressed = s == TAPE_STOPPED;
    c.eject_pressed = s == TAPE_EMPTY;
    return c;
}

void gui_papertape_refresh(int u, int force) {
    const int win = window();
    if (!win || u < 0 || u >= units()) return;
    const u32 s = papertape_state[u], p = papertape_position[u], n = papertape_length[u];
    const u8 c = papertape_last_byte[u];
    Shown& was = shown[u];
    char text[32];
    if (force || p != was.position || n != was.length) {
        const u32 d = papertape_slider_step(n);
        gui_set_range(win, GID_PAP_SLIDER + u, 0, static_cast<int>(n / d), 0);
        gui_set_value(win, GID_PAP_SLIDER + u, static_cast<int>(p / d));
        if (force || n != was.length) {
            papertape_counter_text(s == TAPE_EMPTY ? 0 : n, text, sizeof text);
            gui_set_text(win, length_id(u), text);
        }
    }
    if (force || p != was.position) {
        papertape_counter_text(s == TAPE_EMPTY ? 0 : p, text, sizeof text);
        gui_set_text(win, position_id(u), text);
    }
    // A new tape of another length may come in without the state showing a change.
    if (force || s != was.state || n != was.length) {
        char title[600];
        papertape_title(title, sizeof title);
        gui_window_set_title(win, title);
        const PapertapeControls k = papertape_controls(s, p, n);
        const int t = first_transport(u);
        gui_set_disabled(win, GID_PAP_SLIDER + u, k.slider);
        gui_set_disabled(win, t, k.rewind);
        gui_set_disabled(win, t + 1, k.play);
        gui_set_selected(win, t + 1, k.play_pressed);
        gui_set_disabled(win, t + 2, k.forward);
        gui_set_disabled(win, t + 3, k.stop);
        gui_set_selected(win, t + 3, k.stop_pressed);
        gui_set_disabled(win, t + 4, k.eject);
        gui_set_selected(win, t + 4, k.eject_pressed);
        gui_set_disabled(win, u ? GID_PAP1_INSERT : GID_PAP_INSERT, k.insert);
        if (u == 0) {
            gui_set_disabled(win, GID_PAP_RECORD, k.record);
            gui_set_selected(win, GID_PAP_RECORD, k.record_pressed);
            gui_set_disabled(win, GID_PAP_CREATE, k.create);
        }
    }
    if (force || c != was.last || s != was.state) {
        std::snprintf(text, sizeof text, "%02X", c);
        gui_set_text(win, byte_id(u), text);
        int pen = 2;
        if (s == TAPE_READING) pen = 6;
        if (s == TAPE_PUNCHING) pen = u == 0 && papertape_write_protect ? 3 : 0;
        gui_set_background(win, byte_id(u), static_cast<int>(extra_rgb(pen)));
    }
    if (force || p != was.position || s != was.state || c != was.last) show_picture(u);
    was = {p, n, s, c};
}

void gui_open_papertape_window() {
    if (!machine_traits().has_papertape || device_link.papertape_units == 0) return;
    if (const int win = window()) {
        gui_window_activate(win); // raised, not built twice
        return;
    }
    gui_load_image(IMAGE_TRANSPORT, IMAGE_TRANSPORT + 5, 0);
    if (!gui_open_subwindow(TW_PAPERTAPE, describe())) return;
    for (int u = 0; u < units(); u++)
        gui_papertape_refresh(u, 1);
}

static bool papertape_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_RAWKEY:
        return gui_closing_key(e.code);
    case GE_GADGET:
        gadget(e.gid, e.code);
        break;
    case GE_MOUSEBUTTON:
        mouse(e);
        break;
    default:
        break;
    }
    return false;
}

void gui_papertape_handle_input() {
    gui_tool_window_events(TW_PAPERTAPE, papertape_event);
}

void papertape_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_PAPERTAPE];
    ops.open = gui_open_papertape_window;
    ops.input = gui_papertape_handle_input;
    ops.refresh = [](int force) {
        for (int u = 0; u < units(); u++)
            gui_papertape_refresh(u, force);
    };
}
