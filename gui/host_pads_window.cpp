#include "gui/host_pads_window.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/settings_vars.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "input/host_pad_labels.h"
#include "input/joysticks.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr int PEN_PRESSED = 4;
constexpr int WIDE = 66, NARROW = 30; // "1234567" and "123"

struct Shown {
    std::string text;
    int rgb = -1;
    bool pressed = false;
};
Shown shown[HOSTPAD_BUTTONS];

int window() {
    return gui_subwin_window[TW_HOST_PADS];
}

GuiNode button(int gid, int width) {
    GuiNode b = gui_node(GK_BUTTON, gid);
    b.min_w = width;
    return b;
}
GuiNode space(int weight = 1) {
    GuiNode g = gui_node(GK_SPACE);
    g.weight = weight;
    return g;
}
// An empty cell as wide as a button.
GuiNode cell(int width) {
    GuiNode g = gui_node(GK_SPACE);
    g.min_w = width;
    return g;
}
GuiNode group(GuiKind kind, std::initializer_list<GuiNode> children) {
    GuiNode g = gui_group(kind);
    g.children = children;
    return g;
}
GuiNode centred(GuiKind kind, const GuiNode& n) {
    return group(kind, {space(), n, space()});
}

GuiNode cross(int base) {
    return group(GK_VGROUP,
                 {centred(GK_HGROUP, button(base + HPB_UP, WIDE)),
                  group(GK_HGROUP, {button(base + HPB_LEFT, WIDE), cell(WIDE),
                                    button(base + HPB_RIGHT, WIDE)}),
                  centred(GK_HGROUP, button(base + HPB_DOWN, WIDE))});
}

GuiNode cd32_pad(int base) {
    const int c = base + HPB_COLOUR1;
    GuiNode diamond = group(
        GK_VGROUP, {centred(GK_HGROUP, button(c + 3, WIDE)),
                    group(GK_HGROUP, {button(c + 2, WIDE), cell(WIDE), button(c + 1, WIDE)}),
                    centred(GK_HGROUP, button(c, WIDE))});
    return group(GK_VGROUP,
                 {group(GK_HGROUP, {button(base + HPB_CONSOLE2, WIDE), space(),
                                    button(base + HPB_CONSOLE3, WIDE)}),
                  group(GK_HGROUP, {cross(base), space(),
                                    centred(GK_VGROUP, button(base + HPB_START, WIDE)),
                                    gui_label(" "), diamond})});
}

GuiNode megadrive_pad(int base) {
    // Four rows of four cells; 0 an empty cell, else the button's index.
    static constexpr int GRID[4][4] = {{0, 0, HPB_CONSOLE3, 0},
                                       {0, HPB_CONSOLE2, 0, HPB_COLOUR1 + 2},
                                       {HPB_COLOUR1 + 3, 0, HPB_COLOUR1 + 1, 0},
                                       {0, HPB_COLOUR1, 0, 0}};
    GuiNode grid = gui_group(GK_VGROUP);
    for (const auto& r : GRID) {
        GuiNode line = gui_group(GK_HGROUP);
        for (int c : r) {
            line.children.push_back(c ? button(base + c, NARROW) : cell(NARROW));
        }
        grid.children.push_back(line);
    }
    return group(GK_HGROUP, {cross(base), space(),
                             centred(GK_VGROUP, button(base + HPB_START, WIDE)), space(), grid});
}

GuiNode pad_group(int pad) {
    const bool megadrive = viewpadsas2 == 1;
    GuiNode g = gui_group(GK_VGROUP, hostpad_caption(pad, megadrive));
    const int base = pad ? GID_HOSTPAD_SECOND : GID_HOSTPAD_FIRST;
    g.children.push_back(megadrive ? megadrive_pad(base) : cd32_pad(base));
    return g;
}

GuiNode radio(int gid, const std::vector<std::string>& items, int value) {
    GuiNode r = gui_node(GK_RADIO, gid);
    r.items = items;
    r.vertical = true;
    r.value = value;
    return r;
}

const std::vector<LegendRow>& legend_rows() {
    static const std::vector<LegendRow> rows = {
        {cat_str(651, "Left player"), 0}, {cat_str(652, "Right player"), 1},
        {cat_str(653, "Console"), 2},     {cat_str(654, "Reserved"), 8},
        {cat_str(656, "Multiple"), 5},    {cat_str(754, "Pressed"), PEN_PRESSED}};
    return rows;
}

GuiWindowDesc describe() {
    const bool megadrive = viewpadsas2 == 1;
    GuiWindowDesc d;
    d.title = cat_str(658, "Host Gamepads/Mouse");
    d.root = gui_group(GK_VGROUP);
    d.root.children = {pad_group(0), gui_label(""), pad_group(1), gui_label("")};

    GuiNode views = gui_group(GK_VGROUP, cat_str(628, "View as"));
    views.children.push_back(radio(
        GID_HOSTPAD_VIEW,
        {cat_str(646, "Guest keys"), cat_str(647, "Host keys"), cat_str(648, "Overlays")},
        viewpadsas));
    GuiNode kinds = gui_group(GK_VGROUP, cat_str(628, "View as"));
    kinds.children.push_back(radio(GID_HOSTPAD_KIND, {"CD\u00b3\u00b2", "Megadrive"}, viewpadsas2));

    GuiNode mouse = gui_group(GK_HGROUP, hostpad_caption(2, megadrive));
    for (int n = 0; n < 3; n++)
        mouse.children.push_back(button(GID_HOSTPAD_MOUSE + n, WIDE));
    GuiNode picture = gui_node(GK_IMAGE);
    const int row = gui_machine_picture(memmap);
    if (row >= 0) picture.image = gui_image(row);
    picture.centred = true;
    GuiNode mouse_column = group(GK_VGROUP, {mouse, space(), centred(GK_HGROUP, picture), space()});

    d.root.children.push_back(group(
        GK_HGROUP, {group(GK_VGROUP, {views, kinds}), mouse_column, gui_legend(legend_rows())}));
    return d;
}

void show_button(int gid, bool relabel) {
    const int i = gid - GID_HOSTPAD_FIRST;
    Shown& s = shown[i];
    const int win = window();
    const std::string& label = hostpad_labels[i];
    if (relabel && s.text != label) {
        gui_set_text(win, gid, label.c_str());
        gui_set_hint(win, gid, label.c_str());
        s.text = label;
    }
    const bool pressed = hostpad_shown_pressed(gid);
    const int rgb =
        static_cast<int>(display_extra_pen_rgb(pressed ? PEN_PRESSED : hostpad_pen_of(gid)));
    if (s.rgb != rgb) gui_set_background(win, gid, rgb);
    if (s.pressed != pressed) gui_set_selected(win, gid, pressed);
    s.rgb = rgb;
    s.pressed = pressed;
}

void show_all(bool relabel) {
    if (!window()) return;
    for (int i = 0; i < HOSTPAD_BUTTONS; i++)
        show_button(GID_HOSTPAD_FIRST + i, relabel);
}

void refresh(int) {
    show_all(false);
}

} // namespace

void gui_controls_labels() {
    if (!window()) return;
    hostpad_labels_build();
    show_all(true);
}

void gui_open_host_pads_window() {
    if (window() || !host_pads_available()) return;
    joy_window_bits[0] = joy_window_bits[1] = 0;
    hostpad_assign_compute();
    for (std::string& l : hostpad_labels)
        l.clear();
    const GuiWindowDesc d = describe();
    if (!gui_open_subwindow(TW_HOST_PADS, d)) return;
    for (Shown& s : shown)
        s = Shown{};
    gui_legend_paint(window(), legend_rows());
    gui_controls_labels();
}

void gui_host_pads_window_input() {
    static bool rebuild;
    rebuild = false;
    const bool closed = gui_tool_window_events(TW_HOST_PADS, [](const GuiEvent& e) {
        switch (e.type) {
        case GE_RAWKEY:
            if (e.code == RAW_ESC) return true;
            gui_forward_raw_key(e.code);
            break;
        case GE_MOUSEBUTTON:
            if (e.code < RAWKEY_UP) hostpad_background_click();
            break;
        case GE_GADGET:
            if (e.gid == GID_HOSTPAD_VIEW) {
                viewpadsas = e.code >= 0 && e.code <= 2 ? e.code : 2;
                gui_controls_labels();
            } else if (e.gid == GID_HOSTPAD_KIND) {
                viewpadsas2 = e.code == 1 ? 1 : 0;
                rebuild = true;
            }
            hostpad_click(e.gid);
            return rebuild;
        default:
            break;
        }
        return false;
    });
    if (closed) {
        gui_flush_main_port();
        if (rebuild) gui_open_host_pads_window();
        return;
    }
    show_all(false);
}

void host_pads_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_HOST_PADS];
    ops.open = gui_open_host_pads_window;
    ops.input = gui_host_pads_window_input;
    ops.refresh = refresh;
    // Closing lets go of everything latched in it.
    ops.release = [] {
        joy_window_bits[0] = joy_window_bits[1] = 0;
        mouse_buttons_held[0] = mouse_buttons_held[1] = mouse_buttons_held[2] = 0;
    };
}
