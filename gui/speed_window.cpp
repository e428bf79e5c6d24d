#include "gui/speed_window.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "gui/dialog_parts.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int LINE_MIN = 192, LINE_MAX = 227;
constexpr int RAW_PAD_MINUS = 0x4A, RAW_RIGHT = 0x4E, RAW_LEFT = 0x4F, RAW_PAD_PLUS = 0x5E;

int window() {
    return gui_subwin_window[TW_SPEED];
}

GuiNode number(int gid, int value, int digits) {
    GuiNode n = gui_node(GK_INTEGER, gid);
    n.readonly = true;
    n.value = value;
    n.min = 0;
    n.max = 999;
    n.max_chars = digits;
    return n;
}

// A slider between its two end captions, with its number (and captions around
// that) to the right.
GuiNode slider_row(int gid, int min, int max, int value, const char* low, const char* high,
                   const char* before, GuiNode shown, const char* after) {
    GuiNode s = gui_node(GK_SLIDER, gid);
    s.min = min;
    s.max = max;
    s.value = value;
    s.min_w = 256;
    s.weight = 1;
    GuiNode ends = gui_group(GK_HGROUP);
    ends.children = {gui_label(low), gui_node(GK_SPACE), gui_label(high)};
    ends.children[1].weight = 1;
    GuiNode column = gui_group(GK_VGROUP);
    column.weight = 1;
    column.children = {s, ends};
    GuiNode row = gui_group(GK_HGROUP);
    row.children.push_back(column);
    if (before[0]) row.children.push_back(gui_label(before));
    row.children.push_back(shown);
    if (after[0]) row.children.push_back(gui_label(after));
    return row;
}

GuiNode radio_group(int gid, const std::string& title, std::vector<std::string> items, int value,
                    bool disabled) {
    GuiNode r = gui_node(GK_RADIO, gid);
    r.items = std::move(items);
    r.value = value;
    r.vertical = true;
    r.disabled = disabled;
    GuiNode g = gui_group(GK_VGROUP, title);
    g.children.push_back(r);
    return g;
}

// The clock choices with their unit filled in.
std::vector<std::string> clock_choices(const MachineRates& rates) {
    std::vector<std::string> out;
    for (int i = 0; i < 2; i++) {
        char text[21];
        std::snprintf(text, sizeof text, rates.clock_formats[i] ? rates.clock_formats[i] : "%s",
                      rates.clock_hertz[i] ? cat_str(616, "Hz") : cat_str(773, "MHz"));
        out.emplace_back(text);
    }
    return out;
}

// The clock and baud column of a machine that has rates (empty group: none).
GuiNode rates_column() {
    GuiNode column = gui_group(GK_VGROUP);
    const MachineRates* rates = machine_row().rates;
    if (!rates) return column;
    if (rates->clock)
        column.children.push_back(radio_group(GID_SPEED_CLOCK, cat_str(775, "Clock Speed"),
                                              clock_choices(*rates),
                                              static_cast<int>(rates->clock()), false));
    if (rates->baud_count) {
        column.children.push_back(gui_label(""));
        std::vector<std::string> bauds(rates->bauds, rates->bauds + rates->baud_count);
        const bool enabled = !rates->baud_enabled || rates->baud_enabled();
        column.children.push_back(radio_group(GID_SPEED_BAUD, cat_str(812, "Baud Rate"), bauds,
                                              static_cast<int>(rates->baud()), !enabled));
    }
    return column;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(810, "Adjust Speed");
    d.activate = false;

    GuiNode first = gui_group(GK_VGROUP);
    GuiNode speed = gui_group(GK_VGROUP, cat_str(811, "Emulation Speed"));
    speed.children.push_back(slider_row(GID_SPEED_SLIDER, 0, SPEED_STEPS - 1, emu_speed, "25%",
                                        "800%", "", number(GID_SPEED_PERCENT, emu_speed_percent(), 3),
                                        "%"));
    GuiNode skip = gui_group(GK_VGROUP, cat_str(311, "Frame Skipping"));
    skip.children.push_back(slider_row(GID_SPEED_SKIP_SLIDER, 1, FRAME_SKIP_NO_DRAW, frame_skip,
                                       "1/1", "Inf.", "1/",
                                       number(GID_SPEED_SKIP_NUMBER, frame_skip, 2), ""));
    GuiNode autoskip = gui_node(GK_CHECKBOX, GID_SPEED_AUTOSKIP);
    autoskip.text = cat_str(1047, "Increase frame skipping automatically as needed?");
    autoskip.value = auto_frame_skip != 0;
    skip.children.push_back(autoskip);
    first.children = {speed, gui_node(GK_SPACE), skip};
    if (machine_traits().console_raster) {
        GuiNode line = gui_group(GK_VGROUP, cat_str(846, "Pixels per Scanline"));
        line.children.push_back(slider_row(GID_SPEED_LINE_SLIDER, LINE_MIN, LINE_MAX, line_clocks,
                                           "192", "227", "",
                                           number(GID_SPEED_LINE_NUMBER, line_clocks, 3), ""));
        first.children.push_back(gui_node(GK_SPACE));
        first.children.push_back(line);
    }

    GuiNode picture = gui_node(GK_IMAGE);
    picture.image = gui_image(gui_machine_picture(memmap));
    picture.centred = true;
    GuiNode second = gui_group(GK_VGROUP);
    second.children = {gui_node(GK_SPACE), picture, gui_node(GK_SPACE)};

    d.root = gui_group(GK_HGROUP);
    d.root.children = {first, second};
    if (machine_row().rates) d.root.children.push_back(rates_column());
    return d;
}

void change_speed(int step) {
    const int next = emu_speed + step;
    if (next < 0 || next >= SPEED_STEPS) return;
    emu_speed = next;
    gui_status_bar_update();
}

void choose_clock(u32 choice) {
    const MachineRates* rates = machine_row().rates;
    // A pick of the rate in force is the user's choice too.
    if (!rates || !rates->clock || choice > 1) return;
    rates->set_clock(choice);
    gui_status_bar_update();
}

void choose_baud(u32 choice) {
    const MachineRates* rates = machine_row().rates;
    if (!rates || !rates->baud_count) return;
    const bool enabled = !rates->baud_enabled || rates->baud_enabled();
    // A rate the monitor cannot run at snaps back without a word.
    if (!enabled || choice >= rates->baud_count || !rates->set_baud(choice))
        gui_set_value(window(), GID_SPEED_BAUD, static_cast<int>(rates->baud()));
}

void gadget(int gid, int code) {
    const int win = window();
    switch (gid) {
    case GID_SPEED_AUTOSKIP:
        auto_frame_skip = code ? 1 : 0;
        break;
    case GID_SPEED_SLIDER:
        if (code < 0 || code >= SPEED_STEPS) break;
        emu_speed = code;
        gui_set_value(win, GID_SPEED_PERCENT, emu_speed_percent());
        gui_update_main_title();
        break;
    case GID_SPEED_SKIP_SLIDER:
        if (code < 1 || code > FRAME_SKIP_NO_DRAW) break;
        frame_skip = code;
        gui_set_value(win, GID_SPEED_SKIP_NUMBER, frame_skip);
        break;
    case GID_SPEED_LINE_SLIDER:
        if (code < LINE_MIN || code > LINE_MAX) break;
        video_set_line_length(code);
        gui_set_value(win, GID_SPEED_LINE_NUMBER, line_clocks);
        break;
    case GID_SPEED_CLOCK:
        choose_clock(static_cast<u32>(code));
        break;
    case GID_SPEED_BAUD:
        choose_baud(static_cast<u32>(code));
        break;
    default:
        break;
    }
}

} // namespace

void gui_speed_window() {
    if (gui_subwin_window[TW_SPEED]) return;
    gui_open_subwindow(TW_SPEED, describe()); // it warns when the window cannot open
}

void gui_speed_window_show() {
    const int win = window();
    if (!win) return;
    gui_set_value(win, GID_SPEED_SLIDER, emu_speed);
    gui_set_value(win, GID_SPEED_PERCENT, emu_speed_percent());
    gui_set_value(win, GID_SPEED_SKIP_SLIDER, frame_skip);
    gui_set_value(win, GID_SPEED_SKIP_NUMBER, frame_skip);
}

static bool speed_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_RAWKEY:
        switch (e.code) {
        case RAW_PAD_MINUS:
        case RAW_LEFT:
            change_speed(-1);
            break;
        case RAW_RIGHT:
        case RAW_PAD_PLUS:
            change_speed(1);
            break;
        default: // releases and other keys
            break;
        }
        return gui_dialog_key(e.code, false) != DialogKey::NONE;
    case GE_GADGET:
        gadget(e.gid, e.code);
        break;
    default:
        break;
    }
    return false;
}

void gui_speed_window_input() {
    if (gui_tool_window_events(TW_SPEED, speed_event)) gui_flush_main_port();
}

void speed_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_SPEED];
    ops.open = gui_speed_window;
    ops.input = gui_speed_window_input;
}
