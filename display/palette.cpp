// The six built-in colour sets, their working copies and the host pens.
#include "display/frame.h"
#include "display/host.h"

#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/settings_vars.h"
#include "platform/gui.h"

#include <cstring>

#define RGB(r, g, b) ((u32{r} << 16) | (u32{g} << 8) | u32{b})

// 0 "Amber screen", 1 "Green screen", 2 "Greyscale", 3 "Pure colours",
// 4 "PVI colours", 5 "UVI colours".
constexpr u32 palette_rgb[PALETTE_SETS][GUEST_COLOURS] = {
    {RGB(255, 128, 0), RGB(226, 113, 0), RGB(104, 52, 0), RGB(76, 38, 0),  RGB(178, 89, 0),
     RGB(132, 66, 0),  RGB(74, 37, 0),   RGB(0, 0, 0),    RGB(187, 94, 0), RGB(166, 83, 0),
     RGB(76, 38, 0),   RGB(45, 23, 0),   RGB(119, 60, 0), RGB(110, 56, 0), RGB(29, 15, 0),
     RGB(0, 0, 0),     RGB(37, 19, 0),   RGB(73, 37, 0),  RGB(109, 55, 0), RGB(146, 73, 0),
     RGB(182, 91, 0),  RGB(219, 110, 0), RGB(157, 79, 0), RGB(157, 79, 0)},
    {RGB(0, 255, 0), RGB(0, 226, 0), RGB(0, 104, 0), RGB(0, 76, 0),  RGB(0, 178, 0),
     RGB(0, 132, 0), RGB(0, 74, 0),  RGB(0, 0, 0),   RGB(0, 187, 0), RGB(0, 166, 0),
     RGB(0, 76, 0),  RGB(0, 45, 0),  RGB(0, 119, 0), RGB(0, 110, 0), RGB(0, 29, 0),
     RGB(0, 0, 0),   RGB(0, 37, 0),  RGB(0, 73, 0),  RGB(0, 109, 0), RGB(0, 146, 0),
     RGB(0, 182, 0), RGB(0, 219, 0), RGB(0, 157, 0), RGB(0, 157, 0)},
    {RGB(255, 255, 255), RGB(216, 216, 216), RGB(104, 104, 104), RGB(76, 76, 76),
     RGB(178, 178, 178), RGB(132, 132, 132), RGB(74, 74, 74),    RGB(0, 0, 0),
     RGB(187, 187, 187), RGB(166, 166, 166), RGB(76, 76, 76),    RGB(45, 45, 45),
     RGB(119, 119, 119), RGB(110, 110, 110), RGB(29, 29, 29),    RGB(0, 0, 0),
     RGB(37, 37, 37),    RGB(73, 73, 73),    RGB(109, 109, 109), RGB(146, 146, 146),
     RGB(182, 182, 182), RGB(219, 219, 219), RGB(157, 157, 157), RGB(157, 157, 157)},
    {RGB(255, 255, 255), RGB(255, 255, 0),   RGB(255, 0, 255),   RGB(255, 0, 0),
     RGB(0, 255, 255),   RGB(0, 221, 0),     RGB(68, 68, 255),   RGB(0, 0, 0),
     RGB(187, 187, 187), RGB(187, 187, 0),   RGB(187, 0, 187),   RGB(153, 0, 0),
     RGB(0, 170, 170),   RGB(0, 170, 0),     RGB(0, 0, 170),     RGB(0, 0, 0),
     RGB(37, 37, 37),    RGB(73, 73, 73),    RGB(109, 109, 109), RGB(146, 146, 146),
     RGB(182, 182, 182), RGB(219, 219, 219), RGB(255, 128, 0),   RGB(255, 128, 128)},
    {RGB(210, 233, 236), RGB(215, 227, 0),   RGB(255, 34, 254),  RGB(248, 21, 0),
     RGB(4, 219, 255),   RGB(0, 198, 0),     RGB(0, 13, 255),    RGB(16, 18, 26),
     RGB(215, 238, 239), RGB(164, 167, 61),  RGB(214, 31, 212),  RGB(133, 33, 17),
     RGB(44, 155, 159),  RGB(36, 141, 39),   RGB(6, 16, 123),    RGB(16, 18, 26),
     RGB(37, 37, 37),    RGB(73, 73, 73),    RGB(109, 109, 109), RGB(146, 146, 146),
     RGB(182, 182, 182), RGB(219, 219, 219), RGB(255, 128, 0),   RGB(255, 128, 128)},
    {RGB(255, 252, 255), RGB(255, 254, 108), RGB(216, 44, 216),  RGB(255, 0, 0),
     RGB(93, 253, 255),  RGB(71, 244, 63),   RGB(3, 3, 169),     RGB(0, 0, 0),
     RGB(187, 187, 187), RGB(187, 187, 0),   RGB(187, 0, 187),   RGB(153, 0, 0),
     RGB(0, 170, 170),   RGB(0, 170, 0),     RGB(0, 0, 119),     RGB(0, 0, 0),
     RGB(37, 37, 37),    RGB(73, 73, 73),    RGB(109, 109, 109), RGB(146, 146, 146),
     RGB(182, 182, 182), RGB(219, 219, 219), RGB(255, 128, 0),   RGB(255, 128, 128)},
};

// The tool windows' fixed colours.
static constexpr u32 extra_rgb[EXTRA_PENS] = {
    RGB(255, 136, 136), RGB(170, 170, 255), RGB(136, 255, 136), RGB(255, 255, 136),
    RGB(255, 204, 136), RGB(255, 136, 255), RGB(136, 255, 255), RGB(136, 136, 136),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(204, 0, 0),     RGB(102, 102, 255),
    RGB(0, 204, 0),     RGB(204, 204, 102), RGB(204, 102, 0),   RGB(204, 0, 204),
    RGB(0, 204, 204),   RGB(255, 204, 204),
};
#undef RGB

namespace {

constexpr u32 repeat(u32 byte) {
    return byte * 0x01010101u;
}

struct Work {
    u32 v[PALETTE_SETS][GUEST_COLOURS][3];
};
constexpr Work built_in_work() {
    Work w{};
    for (int s = 0; s < PALETTE_SETS; s++)
        for (int c = 0; c < GUEST_COLOURS; c++) {
            const u32 rgb = palette_rgb[s][c];
            w.v[s][c][0] = repeat((rgb >> 16) & 0xFF);
            w.v[s][c][1] = repeat((rgb >> 8) & 0xFF);
            w.v[s][c][2] = repeat(rgb & 0xFF);
        }
    return w;
}

bool in_range(int set, int colour) {
    return set >= 0 && set < PALETTE_SETS && colour >= 0 && colour < GUEST_COLOURS;
}

int current_set() {
    return colourset >= 0 && colourset < PALETTE_SETS ? colourset : 0;
}

// The working copy of all six sets, each component as b * 0x01010101; it holds
// the built-in sets before anything reads it (no start-up order to mind).
constinit Work work = built_in_work();
constexpr Work built_in = built_in_work();

u32 work_rgb(int set, int colour) {
    const u32* w = work.v[set][colour];
    return ((w[0] & 0xFF) << 16) | ((w[1] & 0xFF) << 8) | (w[2] & 0xFF);
}

// The working palette changed: a colour of the current set is recoloured live.
void colour_changed(int set, int colour) {
    if (set != current_set() || !display_pens_owned[colour]) return;
    display_colour_table[display_pens[colour]] = work_rgb(set, colour);
    if (display_host_window)
        gui_display_set_colours(display_host_window, display_host_gadget, display_colour_table,
                                HOST_PENS);
}

void set_component(int set, int colour, int which, u8 value) {
    if (!in_range(set, colour)) return;
    work.v[set][colour][which] = repeat(value);
    colour_changed(set, colour);
}

u8 component(int set, int colour, int which) {
    return in_range(set, colour) ? static_cast<u8>(work.v[set][colour][which] & 0xFF) : 0;
}

} // namespace

u8 display_pens[GUEST_COLOURS];
bool display_pens_owned[GUEST_COLOURS];
bool display_own_pens;
u8 display_extra_pens[EXTRA_PENS];
u32 display_extra_pens_quad[EXTRA_PENS];
u8 pen_byte[256];
u16 pen_double[256];
u32 pen_quad[256];
u64 pen_oct[256];
u32 display_colour_table[HOST_PENS];

void palette_reset() {
    work = built_in;
}

void palette_set_colour(int set, int colour, bool apply) {
    if (!in_range(set, colour)) return;
    std::memcpy(work.v[set][colour], built_in.v[set][colour], sizeof work.v[set][colour]);
    if (apply) colour_changed(set, colour);
}

u8 palette_get_red(int set, int colour) {
    return component(set, colour, 0);
}
u8 palette_get_green(int set, int colour) {
    return component(set, colour, 1);
}
u8 palette_get_blue(int set, int colour) {
    return component(set, colour, 2);
}
void palette_set_red_grey(int set, int colour, u8 value) {
    set_component(set, colour, 0, value);
}
void palette_set_green_grey(int set, int colour, u8 value) {
    set_component(set, colour, 1, value);
}
void palette_set_blue_grey(int set, int colour, u8 value) {
    set_component(set, colour, 2, value);
}

// A true-colour desktop has a pen for every colour: guest colour c is pen c,
// the extra pens follow; the table entries take the current set's colours.
void display_obtain_pens() {
    const int set = current_set();
    for (int c = 0; c < GUEST_COLOURS; c++) {
        display_pens[c] = static_cast<u8>(c);
        display_pens_owned[c] = true;
        display_colour_table[c] = work_rgb(set, c);
    }
    display_own_pens = true;
    for (int i = 0; i < 256; i++) {
        const u8 pen = display_pens[i < GUEST_COLOURS ? i : 7];
        pen_byte[i] = pen;
        pen_double[i] = static_cast<u16>(pen * 0x0101u);
        pen_quad[i] = pen * 0x01010101u;
        pen_oct[i] = pen * 0x0101010101010101ull;
    }
    for (int e = 0; e < EXTRA_PENS; e++) {
        display_extra_pens[e] = static_cast<u8>(GUEST_COLOURS + e);
        display_extra_pens_quad[e] = display_extra_pens[e] * 0x01010101u;
        display_colour_table[GUEST_COLOURS + e] = extra_rgb[e];
    }
    if (display_host_window)
        gui_display_set_colours(display_host_window, display_host_gadget, display_colour_table,
                                HOST_PENS);
}

u32 display_extra_pen_rgb(int pen) {
    return pen >= 0 && pen < EXTRA_PENS ? extra_rgb[pen] : 0;
}

void display_release_pens() {
    for (bool& owned : display_pens_owned)
        owned = false;
    display_own_pens = false;
}

void display_realloc_pens() {
    display_release_pens();
    display_obtain_pens();
}

void display_apply_palette() {
    const MachineView& row = machine_view();
    if (row.text_colours)
        row.text_colours(&display_ink, &display_paper);
    else
        display_paper = 8;
    if (row.frame_takes_paper) {
        const int w = machine_live_row().width, h = machine_live_row().height;
        for (int x = 0; x < w && x < GUEST_FRAME_COLUMNS; x++)
            std::memset(&guest_frame[x * GUEST_FRAME_ROWS], display_paper,
                        static_cast<std::size_t>(h < GUEST_FRAME_ROWS ? h : GUEST_FRAME_ROWS));
    }
    display_reset_frame();
    display_realloc_pens();
    display_redraw_all();
}
