#include "gui/palette_editor.h"

#include "core/frame.h"
#include "core/settings_vars.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "commands/menu_state.h"
#include "gui/tool_windows.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int palette_selected_colour = 0;
u32 palette_at_defaults = 0;

namespace {


// The wheel: WHEEL x WHEEL pixels; inside the circle each pixel is one of
// HUES x SATURATIONS cells, whose colours follow the brightness; outside it
// the window's grey; the marker of the selected colour in black and white.
constexpr int WHEEL = 128, HUES = 24, SATURATIONS = 10;
constexpr int WHEEL_OUTSIDE = HUES * SATURATIONS, WHEEL_DARK = WHEEL_OUTSIDE + 1,
              WHEEL_LIGHT = WHEEL_OUTSIDE + 2, WHEEL_COLOURS = WHEEL_OUTSIDE + 3;
// The strip: the colour from black to full brightness in STEPS columns, and
// a marker at the colour's own brightness.
constexpr int STRIP_W = 128, STRIP_H = 16, STEPS = 128, STRIP_MARK = STEPS,
              STRIP_COLOURS = STEPS + 1;

const int colour_catalog[GUEST_COLOURS] = {340, 341, 342, 343, 344, 345, 346, 347,
                                           348, 349, 350, 351, 352, 353, 354, 355,
                                           481, 482, 483, 484, 485, 486, 487, 488};
const char* const colour_english[GUEST_COLOURS] = {
    "White",     "Yellow",      "Bright Purple", "Bright Red", "Bright Cyan", "Bright Green",
    "Bright Blue", "Black #1",  "Grey #1",       "Brown",      "Dark Purple", "Dark Red",
    "Dark Cyan", "Dark Green",  "Dark Blue",     "Black #2",   "Grey #2",     "Grey #3",
    "Grey #4",   "Grey #5",     "Grey #6",       "Grey #7",    "Orange",      "Pink"};

// The levels of the current set when the editor opened.
u8 backup[GUEST_COLOURS][3];

std::array<u8, WHEEL * WHEEL> wheel_pixels;
std::array<u32, WHEEL_COLOURS> wheel_table;
std::array<u8, STRIP_W * STRIP_H> strip_pixels;
std::array<u32, STRIP_COLOURS> strip_table;
// What the window shows, to notice a change made elsewhere.
u8 shown[3] = {0, 0, 0};

int window() {
    return gui_subwin_window[TW_PALETTE];
}

int set() {
    return colourset >= 0 && colourset < PALETTE_SETS ? colourset : 0;
}

int colour() {
    return std::clamp(palette_selected_colour, 0, GUEST_COLOURS - 1);
}

void levels(u8 out[3]) {
    out[0] = palette_get_red(set(), colour());
    out[1] = palette_get_green(set(), colour());
    out[2] = palette_get_blue(set(), colour());
}

u32 rgb(u8 r, u8 g, u8 b) {
    return (u32{r} << 16) | (u32{g} << 8) | b;
}

// ---- the pictures ------------------------------------------------------------------------

double wheel_radius() {
    return WHEEL / 2.0 - 1.0;
}

void draw_wheel_cells() {
    const double c = WHEEL / 2.0, radius = wheel_radius();
    for (int y = 0; y < WHEEL; y++)
        for (int x = 0; x < WHEEL; x++) {
            const double dx = x + 0.5 - c, dy = y + 0.5 - c;
            const double d = std::sqrt(dx * dx + dy * dy) / radius;
            u8 pen = WHEEL_OUTSIDE;
            if (d <= 1.0) {
                double hue = std::atan2(-dy, dx) * 180.0 / M_PI;
                if (hue < 0) hue += 360.0;
                const int h = static_cast<int>(hue / 360.0 * HUES + 0.5) % HUES;
                const int s = std::min(SATURATIONS - 1, static_cast<int>(d * SATURATIONS));
                pen = static_cast<u8>(h * SATURATIONS + s);
            }
            wheel_pixels[static_cast<std::size_t>(y * WHEEL + x)] = pen;
        }
}

// The wheel's colours at the selected colour's brightness, its marker on the
// colour's place.
void show_wheel() {
    const int win = window();
    if (!win) return;
    u8 l[3];
    levels(l);
    double h, s, v;
    palette_rgb_to_hsv(l[0], l[1], l[2], &h, &s, &v);
    for (int hi = 0; hi < HUES; hi++)
        for (int si = 0; si < SATURATIONS; si++) {
            u8 r, g, b;
            palette_hsv_to_rgb(hi * 360.0 / HUES, (si + 0.5) / SATURATIONS, std::max(v, 0.25), &r,
                               &g, &b);
            wheel_table[static_cast<std::size_t>(hi * SATURATIONS + si)] = rgb(r, g, b);
        }
    wheel_table[WHEEL_OUTSIDE] = 0xC0C0C0;
    wheel_table[WHEEL_DARK] = 0x000000;
    wheel_table[WHEEL_LIGHT] = 0xFFFFFF;
    draw_wheel_cells();
    const double angle = h * M_PI / 180.0, c = WHEEL / 2.0;
    const int mx = static_cast<int>(c + std::cos(angle) * s * wheel_radius());
    const int my = static_cast<int>(c - std::sin(angle) * s * wheel_radius());
    for (int d = -3; d <= 3; d++) {
        const u8 pen = d == 0 ? WHEEL_LIGHT : WHEEL_DARK;
        for (const auto& [x, y] : {std::pair{mx + d, my}, std::pair{mx, my + d}})
            if (x >= 0 && x < WHEEL && y >= 0 && y < WHEEL)
                wheel_pixels[static_cast<std::size_t>(y * WHEEL + x)] = pen;
    }
    gui_display_attach(win, GID_PAL_WHEEL, wheel_pixels.data(), WHEEL, WHEEL, WHEEL,
                       wheel_table.data(), WHEEL_COLOURS);
    gui_display_refresh(win, GID_PAL_WHEEL);
}

void show_strip() {
    const int win = window();
    if (!win) return;
    u8 l[3];
    levels(l);
    double h, s, v;
    palette_rgb_to_hsv(l[0], l[1], l[2], &h, &s, &v);
    for (int i = 0; i < STEPS; i++) {
        u8 r, g, b;
        palette_hsv_to_rgb(h, s, i / double(STEPS - 1), &r, &g, &b);
        strip_table[static_cast<std::size_t>(i)] = rgb(r, g, b);
    }
    strip_table[STRIP_MARK] = v > 0.5 ? 0x000000 : 0xFFFFFF;
    const int mark = static_cast<int>(v * (STRIP_W - 1) + 0.5);
    for (int y = 0; y < STRIP_H; y++)
        for (int x = 0; x < STRIP_W; x++)
            strip_pixels[static_cast<std::size_t>(y * STRIP_W + x)] =
                static_cast<u8>(std::abs(x - mark) <= 1 && (y < 4 || y >= STRIP_H - 4)
                                    ? STRIP_MARK
                                    : x * STEPS / STRIP_W);
    gui_display_attach(win, GID_PAL_GRADIENT, strip_pixels.data(), STRIP_W, STRIP_H, STRIP_W,
                       strip_table.data(), STRIP_COLOURS);
    gui_display_refresh(win, GID_PAL_GRADIENT);
}

// ---- the window ------------------------------------------------------------------------

GuiNode component_row(int which, int number, const char* english, u8 level) {
    GuiNode row = gui_node(GK_HGROUP);
    GuiNode name = gui_node(GK_LABEL);
    name.text = cat_str(number, english);
    name.min_w = 48;
    GuiNode slider = gui_node(GK_SLIDER, GID_PAL_RED_SLIDER + which);
    slider.max = 255;
    slider.value = level;
    slider.weight = 1;
    slider.min_w = 160;
    GuiNode integer = gui_node(GK_INTEGER, GID_PAL_RED_NUMBER + which);
    integer.max = 255;
    integer.value = level;
    integer.max_chars = 4;
    GuiNode hex = gui_node(GK_STRING, GID_PAL_RED_HEX + which);
    hex.label = "$";
    hex.max_chars = 2;
    hex.min_w = 32;
    char text[3];
    std::snprintf(text, sizeof text, "%02X", level);
    hex.text = text;
    row.children = {name, slider, integer, hex};
    return row;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(339, "Palette Editor");
    u8 l[3];
    levels(l);

    GuiNode names = gui_node(GK_RADIO, GID_PAL_COLOURS);
    for (int c = 0; c < GUEST_COLOURS; c++)
        names.items.emplace_back(cat_str(colour_catalog[c], colour_english[c]));
    names.value = colour();
    names.vertical = true;

    GuiNode right = gui_node(GK_VGROUP);
    right.weight = 1;
    right.children.push_back(component_row(0, 411, "Red", l[0]));
    right.children.push_back(component_row(1, 412, "Green", l[1]));
    right.children.push_back(component_row(2, 413, "Blue", l[2]));
    GuiNode wheel = gui_node(GK_PICTURE, GID_PAL_WHEEL);
    wheel.min_w = wheel.min_h = WHEEL;
    wheel.centred = true;
    wheel.disabled = set() == PALETTE_GREY_SET;
    right.children.push_back(wheel);
    GuiNode bright_row = gui_node(GK_HGROUP);
    GuiNode bright_label = gui_node(GK_LABEL);
    bright_label.text = cat_str(622, "Brightness:");
    GuiNode bright = gui_node(GK_SLIDER, GID_PAL_BRIGHTNESS);
    bright.max = 255;
    bright.value = std::max({l[0], l[1], l[2]});
    bright.weight = 1;
    bright_row.children = {bright_label, bright};
    right.children.push_back(bright_row);
    GuiNode strip = gui_node(GK_PICTURE, GID_PAL_GRADIENT);
    strip.min_w = STRIP_W;
    strip.min_h = STRIP_H;
    strip.centred = true;
    right.children.push_back(strip);
    right.children.push_back(gui_reset_ok_cancel(GID_PAL_RESET, GID_PAL_OK, GID_PAL_CANCEL, true));

    d.root = gui_node(GK_HGROUP);
    d.root.children = {names, right};
    return d;
}

void enable_gadgets() {
    bool defaults = true;
    for (int c = 0; c < GUEST_COLOURS && defaults; c++) {
        const u32 v = palette_rgb[set()][c];
        defaults = palette_get_red(set(), c) == ((v >> 16) & 0xFF) &&
                   palette_get_green(set(), c) == ((v >> 8) & 0xFF) &&
                   palette_get_blue(set(), c) == (v & 0xFF);
    }
    palette_at_defaults = defaults ? 1 : 0;
    gui_set_disabled(window(), GID_PAL_RESET, defaults);
}

void set_brightness_slider() {
    u8 l[3];
    levels(l);
    gui_set_value(window(), GID_PAL_BRIGHTNESS, std::max({l[0], l[1], l[2]}));
}

// Everything the window shows of the selected colour.
void show_colour() {
    palette_show_rgb_text();
    set_brightness_slider();
    show_wheel();
    show_strip();
}

// Writes the three levels of the selected colour; the grey set keeps its
// three components equal (the level of component `which`).
void set_levels(const u8 l[3], int which) {
    const int s = set(), c = colour();
    if (s == PALETTE_GREY_SET) {
        const u8 v = l[which];
        palette_set_red_grey(s, c, v);
        palette_set_green_grey(s, c, v);
        palette_set_blue_grey(s, c, v);
    } else {
        palette_set_red_grey(s, c, l[0]);
        palette_set_green_grey(s, c, l[1]);
        palette_set_blue_grey(s, c, l[2]);
    }
    enable_gadgets();
    show_colour();
}

void set_component(int which, int level) {
    u8 l[3];
    levels(l);
    l[which] = static_cast<u8>(std::clamp(level, 0, 255));
    set_levels(l, which);
}

void set_hsv(double h, double s, double v) {
    u8 l[3];
    palette_hsv_to_rgb(h, s, v, &l[0], &l[1], &l[2]);
    set_levels(l, 0);
}

void wheel_at(int x, int y) {
    if (set() == PALETTE_GREY_SET) return;
    const GuiRect r = gui_gadget_rect(window(), GID_PAL_WHEEL);
    const double dx = x - r.left + 0.5 - WHEEL / 2.0, dy = y - r.top + 0.5 - WHEEL / 2.0;
    double hue = std::atan2(-dy, dx) * 180.0 / M_PI;
    if (hue < 0) hue += 360.0;
    const double sat = std::min(1.0, std::sqrt(dx * dx + dy * dy) / wheel_radius());
    u8 l[3];
    levels(l);
    double h, s, v;
    palette_rgb_to_hsv(l[0], l[1], l[2], &h, &s, &v);
    set_hsv(hue, sat, v);
}

void set_brightness(int level) {
    u8 l[3];
    levels(l);
    double h, s, v;
    palette_rgb_to_hsv(l[0], l[1], l[2], &h, &s, &v);
    set_hsv(h, s, std::clamp(level, 0, 255) / 255.0);
}

// A level typed in hex: ended (Return, Tab) it is taken or the field shows the
// level again; while typed, it is taken as soon as it reads as a level.
void hex_entered(int which, bool ended) {
    std::snprintf(gui_text_buffer, GUI_TEXT_BUFFER, "%s",
                  gui_get_text(window(), GID_PAL_RED_HEX + which).c_str());
    const int v = palette_parse_hex_text();
    if (v >= 0)
        set_component(which, v);
    else if (ended)
        palette_show_rgb_text();
}

void reset() {
    for (int c = 0; c < GUEST_COLOURS; c++)
        palette_set_colour(set(), c, true);
    enable_gadgets();
    show_colour();
}

void restore_backup() {
    for (int c = 0; c < GUEST_COLOURS; c++) {
        palette_set_red_grey(set(), c, backup[c][0]);
        palette_set_green_grey(set(), c, backup[c][1]);
        palette_set_blue_grey(set(), c, backup[c][2]);
    }
}

// 1 OK, 2 Cancel, 0 the window stays.
int gadget(int gid, int code) {
    switch (gid) {
    case GID_PAL_RED_SLIDER:
    case GID_PAL_RED_SLIDER + 1:
    case GID_PAL_RED_SLIDER + 2:
        set_component(gid - GID_PAL_RED_SLIDER, code);
        break;
    case GID_PAL_RED_NUMBER:
    case GID_PAL_RED_NUMBER + 1:
    case GID_PAL_RED_NUMBER + 2:
        set_component(gid - GID_PAL_RED_NUMBER, code);
        break;
    case GID_PAL_RED_HEX:
    case GID_PAL_RED_HEX + 1:
    case GID_PAL_RED_HEX + 2:
        hex_entered(gid - GID_PAL_RED_HEX, true);
        break;
    case GID_PAL_COLOURS:
        if (code >= 0 && code < GUEST_COLOURS) palette_selected_colour = code;
        show_colour();
        break;
    case GID_PAL_BRIGHTNESS:
        set_brightness(code);
        break;
    case GID_PAL_RESET:
        reset();
        break;
    case GID_PAL_OK:
        return 1;
    case GID_PAL_CANCEL:
        return 2;
    default:
        break;
    }
    return 0;
}

void refresh(int force) {
    u8 l[3];
    levels(l);
    if (!force && std::memcmp(l, shown, sizeof shown) == 0) return;
    enable_gadgets();
    show_colour();
}

} // namespace

void palette_rgb_to_hsv(u8 r, u8 g, u8 b, double* h, double* s, double* v) {
    const double R = r / 255.0, G = g / 255.0, B = b / 255.0;
    const double hi = std::max({R, G, B}), lo = std::min({R, G, B}), d = hi - lo;
    *v = hi;
    *s = hi > 0 ? d / hi : 0.0;
    double hue = 0.0;
    if (d > 0) {
        if (hi == R)
            hue = 60.0 * std::fmod((G - B) / d, 6.0);
        else if (hi == G)
            hue = 60.0 * ((B - R) / d + 2.0);
        else
            hue = 60.0 * ((R - G) / d + 4.0);
    }
    *h = hue < 0 ? hue + 360.0 : hue;
}

void palette_hsv_to_rgb(double h, double s, double v, u8* r, u8* g, u8* b) {
    h = std::fmod(h, 360.0);
    if (h < 0) h += 360.0;
    s = std::clamp(s, 0.0, 1.0);
    v = std::clamp(v, 0.0, 1.0);
    const double c = v * s, x = c * (1.0 - std::fabs(std::fmod(h / 60.0, 2.0) - 1.0)), m = v - c;
    double R = 0, G = 0, B = 0;
    switch (static_cast<int>(h / 60.0)) {
    case 0: R = c; G = x; break;
    case 1: R = x; G = c; break;
    case 2: G = c; B = x; break;
    case 3: G = x; B = c; break;
    case 4: R = x; B = c; break;
    default: R = c; B = x; break;
    }
    *r = static_cast<u8>(std::lround((R + m) * 255.0));
    *g = static_cast<u8>(std::lround((G + m) * 255.0));
    *b = static_cast<u8>(std::lround((B + m) * 255.0));
}

int palette_parse_hex_text() {
    char* t = gui_text_buffer;
    for (char* p = t; *p; p++)
        if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
    if (std::strlen(t) != 2) return -1;
    int v = 0;
    for (int i = 0; i < 2; i++) {
        const char ch = t[i];
        if (ch >= '0' && ch <= '9')
            v = v * 16 + (ch - '0');
        else if (ch >= 'A' && ch <= 'F')
            v = v * 16 + (ch - 'A' + 10);
        else
            return -1;
    }
    return v;
}

void palette_show_rgb_text() {
    const int win = window();
    if (!win) return;
    levels(shown);
    for (int i = 0; i < 3; i++) {
        gui_set_value(win, GID_PAL_RED_SLIDER + i, shown[i]);
        gui_set_value(win, GID_PAL_RED_NUMBER + i, shown[i]);
        std::snprintf(gui_text_buffer, GUI_TEXT_BUFFER, "%02X", shown[i]);
        gui_set_string_shared(TW_PALETTE, GID_PAL_RED_HEX + i, 0);
    }
}

void gui_palette_window() {
    if (gui_subwin_window[TW_PALETTE]) return;
    if (!gui_open_subwindow(TW_PALETTE, describe())) return; // it has warned
    enable_gadgets();
    gui_refresh_menus(); // the colour sets are ghosted while the editor is open
    show_colour();
    for (int c = 0; c < GUEST_COLOURS; c++) {
        backup[c][0] = palette_get_red(set(), c);
        backup[c][1] = palette_get_green(set(), c);
        backup[c][2] = palette_get_blue(set(), c);
    }
}

void gui_palette_window_input() {
    const int win = window();
    if (!win) return;
    int result = 0;
    GuiEvent e;
    while (gui_window_next_event(win, &e)) {
        switch (e.type) {
        case GE_CLOSE:
            result = 1;
            break;
        case GE_RAWKEY:
            switch (gui_dialog_key(e.code, true)) {
            case DialogKey::RESET:
                reset();
                break;
            case DialogKey::OK:
                result = 1;
                break;
            case DialogKey::CANCEL:
                result = 2;
                break;
            case DialogKey::NONE:
                break;
            }
            break;
        case GE_MOUSEBUTTON:
            if (e.gid == GID_PAL_WHEEL && e.code == 1) wheel_at(e.x, e.y);
            break;
        case GE_MOUSEMOVE:
            if (e.gid == GID_PAL_WHEEL && (e.qualifier & QUAL_LEFTBUTTON) && e.x >= 0) wheel_at(e.x, e.y);
            break;
        case GE_MOVED:
            emu_restart_timing();
            break;
        case GE_GADGET:
            if (const int r = gadget(e.gid, e.code)) result = r;
            break;
        case GE_EDITED:
            if (e.gid >= GID_PAL_RED_HEX && e.gid < GID_PAL_RED_HEX + 3)
                hex_entered(e.gid - GID_PAL_RED_HEX, false);
            break;
        default:
            break;
        }
    }
    if (result == 2) restore_backup();
    if (result) gui_close_subwindow(TW_PALETTE);
}

void palette_editor_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_PALETTE];
    ops.open = gui_palette_window;
    ops.input = gui_palette_window_input;
    ops.refresh = refresh;
}
