#include "gui/host_keyboard_window.h"

#include "core/frame.h"
#include "core/settings_vars.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "input/host_key_labels.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr int IMAGE_CANDY = 92;
constexpr int PEN_PRESSED = 4;

// What each key button shows now, so that only changes reach the window.
struct Shown {
    std::string text, hint;
    int rgb = -1;
    bool pressed = false;
};
Shown shown[RAW_KEYS];
bool has_button[RAW_KEYS];

int window() {
    return gui_subwin_window[TW_HOST_KEYBOARD];
}

// ---- the keyboard pictures ----------------------------------------------------------------

// Sizing texts of the buttons: "123", "1234", "12345", or none (the button
// takes its weight's share).
enum Size { NORMAL, FKEY, WIDE, FREE };

GuiNode key(int code, Size size = NORMAL, int weight = 0) {
    GuiNode b = gui_node(GK_BUTTON, GID_HOSTKEY_FIRST + code);
    static constexpr int WIDTHS[3] = {36, 44, 54};
    if (size != FREE) b.min_w = WIDTHS[size];
    b.weight = weight;
    if (size == FREE && !weight) b.weight = 1;
    has_button[code] = true;
    return b;
}
GuiNode keys(int first, int last, Size size = NORMAL) {
    GuiNode r = gui_group(GK_HGROUP);
    for (int c = first; c <= last; c++)
        r.children.push_back(key(c, size));
    return r;
}
GuiNode gap(int weight = 1) {
    GuiNode g = gui_node(GK_SPACE);
    g.weight = weight;
    return g;
}
GuiNode empty_line(const char* text = "") {
    return gui_label(text);
}
GuiNode group(GuiKind kind, std::initializer_list<GuiNode> children) {
    GuiNode g = gui_group(kind);
    g.children = children;
    return g;
}
GuiNode row(std::initializer_list<GuiNode> children) {
    return group(GK_HGROUP, children);
}
GuiNode column(std::initializer_list<GuiNode> children) {
    return group(GK_VGROUP, children);
}

GuiNode function_row(int gap1, int gap2) {
    return row({key(RAW_ESC), gap(gap1), keys(80, 84, FKEY), gap(gap2), keys(85, 89, FKEY)});
}
GuiNode digit_row() {
    return row({key(0), keys(1, 10), key(11), key(12), key(13), key(65)});
}
GuiNode tab_row() {
    return row({key(RAW_TAB, WIDE), keys(16, 25), key(26), key(27), key(68, WIDE)});
}
GuiNode ctrl_keys() {
    return row({key(RAW_CTRL), key(RAW_CAPS), keys(32, 40), key(41), key(42)});
}
GuiNode space_row(int end_gap) {
    GuiNode r = row({gap(10), key(100), key(102), key(64, FREE, 80), key(103), key(101)});
    if (end_gap) r.children.push_back(gap(end_gap));
    return r;
}

GuiNode amiga600() {
    GuiNode top = function_row(1, 1);
    top.children.push_back(gap());
    top.children.push_back(key(95));
    GuiNode left = column({digit_row(), tab_row(), row({ctrl_keys(), key(43)}),
                           row({key(RAW_LSHIFT, WIDE), key(48), keys(49, 58),
                                key(RAW_RSHIFT, WIDE), key(RAW_UP)}),
                           row({space_row(0), key(RAW_LEFT), key(RAW_DOWN)})});
    GuiNode right = column({key(70), gap(), key(RAW_RIGHT)});
    return column({top, empty_line(), row({left, right})});
}

GuiNode numeric_pad_a1000() {
    return column({gap(), keys(61, 63), keys(45, 47), keys(29, 31),
                   row({key(15, FREE, 66), key(60, FREE, 33)}),
                   row({key(74, FREE, 33), key(67, FREE, 66)})});
}

GuiNode amiga1000() {
    GuiNode top = function_row(33, 50);
    top.children.push_back(gap(16));
    top.children.push_back(key(70));
    GuiNode tab = tab_row();
    tab.children.push_back(key(95));
    GuiNode keys_column =
        column({top, digit_row(), tab, row({ctrl_keys(), gap(66), key(RAW_UP), gap(33)}),
                row({key(RAW_LSHIFT, WIDE), key(48), keys(49, 58), key(RAW_RSHIFT, WIDE),
                     key(RAW_LEFT), key(RAW_RIGHT)}),
                row({space_row(5), key(RAW_DOWN), gap(5)})});
    return row({keys_column, empty_line("    "), numeric_pad_a1000()});
}

GuiNode other_amiga() {
    GuiNode keys_column = column(
        {function_row(1, 1), empty_line(), digit_row(), tab_row(), row({ctrl_keys(), key(43)}),
         row({key(RAW_LSHIFT, WIDE), key(48), keys(49, 58), key(RAW_RSHIFT, WIDE)}),
         space_row(10)});
    GuiNode cursor = column({gap(50), row({gap(), key(70, WIDE), key(95, WIDE), gap()}), gap(25),
                             row({gap(), key(RAW_UP), gap()}),
                             row({gap(), key(RAW_LEFT), key(RAW_DOWN), key(RAW_RIGHT), gap()}),
                             gap(25)});
    GuiNode pad = column({gap(), keys(90, 93), row({keys(61, 63), key(74)}),
                          row({keys(45, 47), key(94)}),
                          row({column({keys(29, 31), row({key(15, FREE), key(60, FREE)})}),
                               key(67)})});
    return row({keys_column, empty_line("  "), cursor, empty_line("  "), pad});
}

GuiNode radio(int gid, std::initializer_list<std::string> items, int value) {
    GuiNode r = gui_node(GK_RADIO, gid);
    r.items = items;
    r.vertical = true;
    r.value = value;
    return r;
}

GuiNode picture(int row_number) {
    GuiNode p = gui_node(GK_IMAGE);
    if (row_number >= 0) p.image = gui_image(row_number);
    p.centred = true;
    return column({gap(), p, gap()});
}

const std::vector<LegendRow>& legend_rows() {
    static const std::vector<LegendRow> rows = {
        {cat_str(651, "Left player"), 0}, {cat_str(652, "Right player"), 1},
        {cat_str(653, "Console"), 2},     {cat_str(654, "Reserved"), 8},
        {cat_str(655, "Unused"), 7},      {cat_str(656, "Multiple"), 5},
        {cat_str(754, "Pressed"), PEN_PRESSED}};
    return rows;
}

GuiWindowDesc describe() {
    for (bool& b : has_button)
        b = false;
    GuiWindowDesc d;
    d.title = cat_str(645, "Host Keyboard");
    d.root = gui_group(GK_VGROUP);
    const int type = keyboardtype >= 0 && keyboardtype <= 2 ? keyboardtype : KB_A600;
    d.root.children.push_back(type == KB_A600    ? amiga600()
                              : type == KB_A1000 ? amiga1000()
                                                 : other_amiga());
    GuiNode hint = gui_label(cat_str(541, "Hover over a button for more information."));
    hint.centred = true;
    d.root.children.push_back(empty_line());
    d.root.children.push_back(row({gap(), hint, gap()}));
    d.root.children.push_back(empty_line());

    GuiNode views = gui_group(GK_VGROUP, cat_str(628, "View as"));
    views.children.push_back(radio(GID_HOSTKEY_VIEW,
                                   {cat_str(646, "Guest keys"), cat_str(647, "Host keys"),
                                    cat_str(648, "Overlays")},
                                   viewkybdas));
    GuiNode pictures = gui_group(GK_VGROUP, cat_str(628, "View as"));
    pictures.children.push_back(
        radio(GID_HOSTKEY_PICTURE, {"Amiga 600", "Amiga 1000", cat_str(697, "Other Amiga")}, type));
    d.root.children.push_back(row({column({views, gap(), pictures}), gap(33),
                                   picture(gui_machine_picture(memmap)), gap(33),
                                   picture(IMAGE_CANDY), gap(33), gui_legend(legend_rows())}));
    return d;
}

// ---- showing the state --------------------------------------------------------------------

void show_key(int k) {
    const int win = window();
    const int gid = GID_HOSTKEY_FIRST + k;
    const HostKeyLabel& l = hostkey_labels[k];
    Shown& s = shown[k];
    if (s.text != l.text) gui_set_text(win, gid, l.text.c_str());
    const std::string hint = l.text.empty() ? "" : l.hover;
    if (s.hint != hint) gui_set_hint(win, gid, hint.c_str());
    const bool pressed = host_key_down(static_cast<u32>(k)) != 0;
    const int rgb = static_cast<int>(
        display_extra_pen_rgb(pressed ? PEN_PRESSED : input_find_guest_key(key_table[k].raw)));
    if (s.rgb != rgb) gui_set_background(win, gid, rgb);
    if (s.pressed != pressed) gui_set_selected(win, gid, pressed);
    s = {l.text, hint, rgb, pressed};
}

// The key matrix as last shown: a change of it relabels (the labels follow
// the modifier keys) and shows the keys pressed or let go.
u8 matrix_shown[sizeof host_key_matrix];

void show_all() {
    keyboard_help_text_build();
    for (int k = 0; k < RAW_KEYS; k++)
        if (has_button[k] && hostkey_on_picture(k, keyboardtype)) show_key(k);
    for (std::size_t i = 0; i < sizeof host_key_matrix; i++)
        matrix_shown[i] = host_key_matrix[i];
}

bool matrix_changed() {
    for (std::size_t i = 0; i < sizeof host_key_matrix; i++)
        if (matrix_shown[i] != host_key_matrix[i]) return true;
    return false;
}

void refresh(int force) {
    if (window() && (force || matrix_changed())) show_all();
}

void close_window() {
    gui_close_subwindow(TW_HOST_KEYBOARD);
}

} // namespace

void gui_open_host_keyboard_window() {
    if (window()) return;
    gui_load_image(IMAGE_CANDY, IMAGE_CANDY, 0);
    const GuiWindowDesc d = describe();
    if (!gui_open_subwindow(TW_HOST_KEYBOARD, d)) return;
    for (Shown& s : shown) // the buttons open with no text, hint or colour
        s = Shown{};
    gui_legend_paint(window(), legend_rows());
    show_all();
}

void gui_host_keyboard_window_input() {
    static bool reopen;
    reopen = false;
    const bool closed = gui_tool_window_events(TW_HOST_KEYBOARD, [](const GuiEvent& e) {
        if (e.type == GE_RAWKEY) {
            if (e.code == RAW_ESC) return true;
            gui_forward_raw_key(e.code);
        } else if (e.type == GE_GADGET) {
            if (e.gid == GID_HOSTKEY_VIEW) {
                viewkybdas = e.code;
                show_all();
            } else if (e.gid == GID_HOSTKEY_PICTURE) {
                keyboardtype = e.code >= 0 && e.code <= 2 ? e.code : KB_A600;
                return reopen = true;
            } else if (e.gid >= GID_HOSTKEY_FIRST && e.gid < GID_HOSTKEY_FIRST + RAW_KEYS) {
                const int k = e.gid - GID_HOSTKEY_FIRST;
                // A key clicked while another click's release is due lets that go first.
                if (hostkey_clicked != -1 && hostkey_clicked != k)
                    input_host_key_release(static_cast<u32>(hostkey_clicked));
                hostkey_clicked = k;
                input_host_key_event(static_cast<u32>(k));
            }
        }
        return false;
    });
    if (closed) {
        gui_flush_main_port();
        if (reopen) gui_open_host_keyboard_window();
        return;
    }
    refresh(0);
}

void host_keyboard_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_HOST_KEYBOARD];
    ops.open = gui_open_host_keyboard_window;
    ops.close = close_window;
    ops.input = gui_host_keyboard_window_input;
    ops.refresh = refresh;
}
