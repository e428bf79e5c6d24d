#include "gui/guest_controls_window.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_controls.h"
#include "core/settings_vars.h"
#include "commands/command_table.h"
#include "display/controls_panel.h"
#include "display/host.h"
#include "display/led.h"
#include "gui/images.h"
#include "gui/tool_windows.h"
#include "input/controls.h"
#include "input/paddles.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <vector>

namespace {

constexpr int FIELD_GADGETS[LEGEND_FIELDS] = {GID_CTRL_OVERLAY, GID_CTRL_GUEST_KEY,
                                              GID_CTRL_HOST_KEYS, GID_CTRL_PAD_BUTTONS,
                                              GID_CTRL_MOUSE_BUTTONS};
constexpr std::uint32_t BACKGROUND = 0xB0B0B0; // where a picture is transparent or missing

// The window's copies of its pictures, in the colour indices of `colours`.
struct Picture {
    std::vector<u8> pixels;
    ControlsCanvas canvas;
};
Picture picture, panel;
std::uint32_t colours[256];
int picture_colours = CONTROLS_FIRST_PICTURE_PEN;
// The pointer over the picture, in picture coordinates (far away: none).
int hover_x = -10000, hover_y = -10000;

int window() {
    return gui_subwin_window[TW_CONTROLS];
}

// Each colour once, while there is room; then the nearest.
u8 pen_of(std::uint32_t argb) {
    const std::uint32_t rgb = (argb >> 24) < 128 ? BACKGROUND : argb & 0xFFFFFF;
    for (int i = CONTROLS_FIRST_PICTURE_PEN; i < picture_colours; i++)
        if (colours[i] == rgb) return static_cast<u8>(i);
    if (picture_colours <= CONTROLS_LAST_PEN) {
        colours[picture_colours] = rgb;
        return static_cast<u8>(picture_colours++);
    }
    int best = CONTROLS_FIRST_PICTURE_PEN;
    long best_d = -1;
    for (int i = CONTROLS_FIRST_PICTURE_PEN; i <= CONTROLS_LAST_PEN; i++) {
        long d = 0;
        for (int s = 0; s < 24; s += 8) {
            const long e = static_cast<long>((colours[i] >> s) & 255) - ((rgb >> s) & 255);
            d += e * e;
        }
        if (best_d < 0 || d < best_d) best = i, best_d = d;
    }
    return static_cast<u8>(best);
}

// The host pens, the lamp pens, and the complement of every pen at 255 - i.
void set_colours() {
    for (int i = 0; i < HOST_PENS && i < CONTROLS_PEN_LIT; i++)
        colours[i] = display_colour_table[i];
    colours[CONTROLS_PEN_LIT] = 0xCC0000;
    colours[CONTROLS_PEN_PALE] = 0xFF8888;
    colours[CONTROLS_PEN_UNLIT] = 0x6666FF;
    for (int i = 0; i <= CONTROLS_LAST_PEN; i++)
        colours[255 - i] = ~colours[i] & 0xFFFFFF;
}

// Picture `image` (an interface image row) of `w` x `h` into `out`.
void load_picture(int image, int w, int h, Picture& out) {
    std::vector<std::uint32_t> argb;
    int iw = 0, ih = 0;
    const bool have = gui_image_pixels(gui_image(image), &argb, &iw, &ih);
    if (have) w = iw, h = ih;
    out.pixels.assign(static_cast<std::size_t>(w) * h, pen_of(0xFF000000u | BACKGROUND));
    if (have)
        for (std::size_t i = 0; i < out.pixels.size(); i++)
            out.pixels[i] = pen_of(argb[i]);
    out.canvas = {out.pixels.data(), w, h, w};
}

void show(int gid, Picture& p) {
    if (!window() || p.pixels.empty()) return;
    gui_display_attach(window(), gid, p.pixels.data(), p.canvas.width, p.canvas.height,
                       p.canvas.stride, colours, 256);
    gui_display_refresh(window(), gid);
}

ControlsCanvas* panel_canvas() {
    return panel.pixels.empty() ? nullptr : &panel.canvas;
}

GuiNode text_field(int gid, int number, const char* english) {
    GuiNode n;
    n.kind = GK_STRING;
    n.gid = gid;
    n.readonly = true;
    n.label = cat_str(number, english);
    n.text = "-";
    n.min_w = 220;
    return n;
}

GuiNode hint() {
    GuiNode h;
    h.kind = GK_LABEL;
    h.gid = GID_CTRL_HINT;
    h.text = cat_str(541, "Hover over a button for more information.");
    h.centred = true;
    return h;
}

GuiNode picture_node(int gid, const ControlsCanvas& c) {
    GuiNode p;
    p.kind = GK_PICTURE;
    p.gid = gid;
    p.min_w = c.width;
    p.min_h = c.height;
    p.centred = true;
    return p;
}

GuiWindowDesc describe() {
    const MachineControls& m = machine_controls();
    const bool large = m.large && *m.large;
    GuiWindowDesc d;
    d.title = cat_str(117, "Guest Controls");
    d.help_node = "guestcontrols";
    GuiNode& root = d.root;
    root.kind = GK_VGROUP;

    GuiNode top;
    top.kind = GK_HGROUP;
    if (m.view && m.view_names) {
        int count = 0;
        const char* const* names = m.view_names(&count);
        GuiNode group;
        group.kind = GK_VGROUP;
        group.gid = GID_CTRL_VIEW_GROUP;
        group.framed = true;
        group.text = cat_str(628, "View as");
        GuiNode radio;
        radio.kind = GK_RADIO;
        radio.gid = GID_CTRL_VIEW;
        radio.vertical = true;
        for (int i = 0; i < count; i++)
            radio.items.emplace_back(names[i]);
        radio.value = *m.view();
        group.children.push_back(radio);
        top.children.push_back(group);
    }
    // The hint goes into the top row when the row is there (a view choice or
    // the "Large image?" box) and the large picture leaves it room.
    const bool top_row = (m.view && m.view_names) || m.large;
    const bool hint_on_top = m.legend && top_row && (large || !m.large);
    if (hint_on_top) top.children.push_back(hint());
    if (m.large) {
        GuiNode group;
        group.kind = GK_VGROUP;
        group.gid = GID_CTRL_LARGE_GROUP;
        GuiNode box;
        box.kind = GK_CHECKBOX;
        box.gid = GID_CTRL_LARGE;
        box.text = cat_str(713, "Large image?");
        box.value = large ? 1 : 0;
        group.children.push_back(box);
        top.children.push_back(group);
    }
    if (!top.children.empty()) root.children.push_back(top);

    if (m.legend) {
        GuiNode legend;
        legend.kind = GK_VGROUP;
        legend.gid = GID_CTRL_LEGEND;
        if (m.legend_overlay) legend.children.push_back(text_field(GID_CTRL_OVERLAY, 1025, "Overlay:"));
        legend.children.push_back(m.legend_overlay
                                      ? text_field(GID_CTRL_GUEST_KEY, 1026, "Guest key:")
                                      : text_field(GID_CTRL_GUEST_KEY, 1030, "Overlay/guest key:"));
        legend.children.push_back(text_field(GID_CTRL_HOST_KEYS, 1027, "Host key(s):"));
        if (m.legend_pads) {
            legend.children.push_back(
                text_field(GID_CTRL_PAD_BUTTONS, 1028, "Host gamepad button(s):"));
            legend.children.push_back(
                text_field(GID_CTRL_MOUSE_BUTTONS, 1029, "Host mouse button(s):"));
        }
        root.children.push_back(legend);
        if (!hint_on_top) root.children.push_back(hint());
    }
    if (m.extra_picture) root.children.push_back(picture_node(GID_CTRL_PANEL, panel.canvas));
    root.children.push_back(picture_node(GID_CTRL_PICTURE, picture.canvas));
    return d;
}

void show_legend() {
    if (!window() || !machine_controls().legend) return;
    for (int f = 0; f < LEGEND_FIELDS; f++)
        gui_set_string(TW_CONTROLS, FIELD_GADGETS[f], controls_legend_text[f]);
}

void rebuild_legend() {
    if (controls_labels_rebuild(hover_x, hover_y)) show_legend();
}

void refresh(int) {
    if (!window()) return;
    if (guest_controls_refresh_marks(picture.canvas, panel_canvas())) {
        show(GID_CTRL_PICTURE, picture);
        if (panel_canvas()) show(GID_CTRL_PANEL, panel);
    }
    rebuild_legend();
}

void release() {
    picture.pixels.clear();
    panel.pixels.clear();
    picture.canvas = panel.canvas = ControlsCanvas{};
    virtual_key = -1;
}

void toggle(ToolWindow w) {
    if (gui_tool_window_open(w))
        gui_close_subwindow(w);
    else
        gui_open_tool_window(w);
}

void perform(ControlsAction a) {
    switch (a) {
    case CA_OPEN_FILE:
        file_open_with_requester();
        break;
    case CA_TOGGLE_DIPS:
        toggle(TW_DIPS);
        break;
    case CA_TOGGLE_TAPE:
        toggle(TW_TAPE);
        break;
    case CA_TOGGLE_OPCODES:
        toggle(TW_OPCODES);
        break;
    case CA_TOGGLE_INFO:
        toggle(TW_GAMEINFO);
        break;
    case CA_PALETTE:
        if (!gui_tool_window_open(TW_PALETTE)) gui_open_tool_window(TW_PALETTE);
        break;
    case CA_TOGGLE_SOUND:
        cmd_run(Cmd::SETTINGS_SOUND_ENABLED);
        break;
    case CA_TOGGLE_SWAP:
        cmd_run(Cmd::SETTINGS_INPUT_SWAPPED);
        break;
    case CA_NONE:
        break;
    }
}

// The mouse on one of the pictures: where, relative to it.
bool on_picture(const GuiEvent& e, int* x, int* y, bool* on_panel) {
    if (e.gid != GID_CTRL_PICTURE && e.gid != GID_CTRL_PANEL) return false;
    if (e.x < 0 || e.y < 0) return false; // the pointer left the picture
    const GuiRect r = gui_gadget_rect(window(), e.gid);
    *x = e.x - r.left;
    *y = e.y - r.top;
    *on_panel = e.gid == GID_CTRL_PANEL;
    return true;
}

} // namespace

void guest_controls_paint_panel() {
    if (!window() || picture.pixels.empty()) return;
    const PanelPatch* patches;
    const int n = display_panel_patches(&patches);
    ControlsCanvas& c = picture.canvas;
    for (int k = 0; k < n; k++) {
        const PanelPatch& p = patches[k];
        for (int y = 0; y < p.height; y++)
            for (int x = 0; x < p.width; x++) {
                const int px = p.left + x, py = p.top + y;
                if (px < 0 || py < 0 || px >= c.width || py >= c.height) continue;
                c.pixels[static_cast<std::size_t>(py) * c.stride + px] = p.pens[y * p.width + x];
            }
    }
    if (n > 0) {
        set_colours(); // the host pens may have changed with the palette
        show(GID_CTRL_PICTURE, picture);
    }
}

void gui_open_guest_controls_window() {
    if (window()) return;
    display_setup_panel_geometry();
    machine_controls_layout();
    controls_clear_marks();
    virtual_key = -1;
    if (!controls_available()) return;
    const MachineControls& m = machine_controls();
    picture_colours = CONTROLS_FIRST_PICTURE_PEN;
    set_colours();
    const ControlsLayout& l = controls_current_layout();
    if (m.extra_picture)
        load_picture(controls_extra_picture.picture, controls_extra_picture.width,
                     controls_extra_picture.height, panel);
    else
        panel.pixels.clear();
    load_picture(l.picture, l.width, l.height, picture);
    set_colours();
    if (!gui_open_subwindow(TW_CONTROLS, describe())) {
        release();
        return;
    }
    controls_hover_index = -2;
    hover_x = hover_y = -10000;
    guest_controls_paint_panel();
    controls_draw_lamps(picture.canvas, panel_canvas());
    refresh(1);
    show(GID_CTRL_PICTURE, picture);
    if (panel_canvas()) show(GID_CTRL_PANEL, panel);
}

void gui_guest_controls_window_input() {
    const int win = window();
    if (!win) return;
    bool close = false, reopen = false;
    ControlsAction action = CA_NONE;
    const MachineControls& m = machine_controls();
    GuiEvent e;
    while (gui_window_next_event(win, &e)) {
        int x = 0, y = 0;
        bool on_panel = false;
        switch (e.type) {
        case GE_CLOSE:
            close = true;
            break;
        case GE_MOVED:
            emu_restart_timing();
            break;
        case GE_GADGET:
            if (e.gid == GID_CTRL_LARGE && m.large) {
                *m.large = gui_get_value(win, GID_CTRL_LARGE) ? 1 : 0;
                reopen = true;
            } else if (e.gid == GID_CTRL_VIEW && m.view) {
                *m.view() = e.code;
                // The game information's key legend follows the controller.
                if (gui_tool_window_open(TW_GAMEINFO)) gui_rebuild_subwindow(TW_GAMEINFO);
                reopen = true;
            }
            break;
        case GE_MOUSEBUTTON:
            if (!on_picture(e, &x, &y, &on_panel) || (e.code & ~RAWKEY_UP) != 1) break;
            if (e.code & RAWKEY_UP)
                vkey_release();
            else
                action = guest_controls_click(x, y, on_panel);
            break;
        case GE_MOUSEMOVE:
            if (!(e.qualifier & QUAL_LEFTBUTTON)) vkey_release();
            if (!on_picture(e, &x, &y, &on_panel)) {
                hover_x = hover_y = -10000; // the pointer left: no key is named
            } else if (!on_panel) {
                hover_x = x;
                hover_y = y;
            }
            break;
        case GE_RAWKEY:
            gui_forward_raw_key(e.code);
            break;
        default:
            break;
        }
    }
    if (close || reopen) {
        gui_close_subwindow(TW_CONTROLS);
        if (reopen) gui_open_guest_controls_window();
    }
    perform(action);
    // No frames run while paused: the legend follows the pointer here.
    if (emu_paused && window()) rebuild_legend();
}

void guest_controls_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_CONTROLS];
    ops.open = gui_open_guest_controls_window;
    ops.input = gui_guest_controls_window_input;
    ops.refresh = refresh;
    ops.release = release;
}
