#include "inspect/video_monitor_panels.h"

#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "gui/dialog_parts.h"
#include "gui/tool_windows.h"
#include "input/paddles.h"
#include "inspect/monitor_rows.h"
#include "platform/catalog.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

i32 paddle_pic_x[2];
i32 paddle_pic_y[4];

namespace {

constexpr int CENTRE = PADDLE_PICTURE / 2;
constexpr int LAST = PADDLE_PICTURE - 1;
constexpr int CELL_CHARS = 2;

std::array<u8, PADDLE_PICTURE * PADDLE_PICTURE> picture;

int window() {
    return gui_subwin_window[TW_VIDEO_CHIP];
}

// A line of RAM cells: `count` rows from `first`, each in the column of its
// address's low nibble, blanks in the other columns, so that the lines read
// as a hex dump.
struct RamLine {
    int first, count;
};
constexpr RamLine UVI_RAM[] = {{21, 16}, {37, 16}, {53, 4}, {57, 16}, {73, 16}, {89, 16}};
constexpr RamLine PVI_RAM[] = {{151, 2}, {153, 2}, {155, 2}, {157, 16}, {173, 14}, {187, 1}};

GuiNode blank_cell() {
    GuiNode b = gui_label(" ");
    b.min_w = monitor_row_button(0, CELL_CHARS).min_w;
    return b;
}

GuiNode ram_line(const RamLine& l) {
    const u32 first = monitor_reg_address(l.first);
    const u32 last = monitor_reg_address(l.first + l.count - 1);
    char caption[24];
    if (l.count == 1)
        std::snprintf(caption, sizeof caption, "$%04X:", first);
    else
        std::snprintf(caption, sizeof caption, "$%04X..$%04X:", first, last);
    GuiNode label = gui_label(caption);
    label.min_w = 100;
    GuiNode line = gui_group(GK_HGROUP, {label});
    const int column = static_cast<int>(first & 15);
    for (int c = 0; c < 16; c++) {
        const int row = l.first + c - column;
        line.children.push_back(c >= column && row < l.first + l.count
                                    ? monitor_row_button(row, CELL_CHARS)
                                    : blank_cell());
    }
    return line;
}

template <std::size_t N>
GuiNode ram_strip(const RamLine (&lines)[N], const char* title, bool spacer_after) {
    GuiNode ram = gui_group(GK_VGROUP, {}, title);
    for (const RamLine& l : lines)
        ram.children.push_back(ram_line(l));
    ram.centred = true;
    GuiNode strip = gui_group(GK_HGROUP, {mon_build_paddles_panel(), gui_node(GK_SPACE), ram});
    if (spacer_after) strip.children.push_back(gui_node(GK_SPACE));
    return strip;
}

void plot(int x, int y, u8 pen) {
    if (x >= 0 && x < PADDLE_PICTURE && y >= 0 && y < PADDLE_PICTURE)
        picture[static_cast<std::size_t>(y * PADDLE_PICTURE + x)] = pen;
}

} // namespace

GuiNode mon_build_paddles_panel() {
    GuiNode pic = gui_node(GK_PICTURE, GID_PADDLES_PICTURE);
    pic.min_w = pic.min_h = PADDLE_PICTURE;
    pic.centred = true;
    GuiNode frame = gui_group(GK_VGROUP, {pic}, cat_str(543, "Paddles"));
    frame.centred = true;
    GuiNode panel = gui_group(GK_VGROUP, {gui_node(GK_SPACE), frame, gui_node(GK_SPACE)});
    panel.gid = GID_PADDLES_PANEL;
    return panel;
}

GuiNode mon_build_uvi_ram_panel() {
    return ram_strip(UVI_RAM, cat_str(276, "UVI RAM Contents"), true);
}

GuiNode mon_build_pvi_ram_panel() {
    return ram_strip(PVI_RAM, cat_str(277, "PVI RAM Contents"), false);
}

bool mon_paddles_shown() {
    switch (machine_debug().video_monitor) {
    case VideoMonitor::UVI:
    case VideoMonitor::PVI_CONSOLE:
    case VideoMonitor::PVI_CASSETTE:
    case VideoMonitor::PADDLES:
        return true;
    case VideoMonitor::NONE:
        break;
    }
    return false;
}

void mon_paddles_open() {
    picture.fill(PADDLE_PEN_BACKGROUND);
    if (!window() || !mon_paddles_shown()) return;
    gui_display_attach(window(), GID_PADDLES_PICTURE, picture.data(), PADDLE_PICTURE,
                       PADDLE_PICTURE, PADDLE_PICTURE, gui_pens, GUI_PENS);
}

bool mon_paddles_near(int ax, int ay, int bx, int by) {
    return std::abs(ax - bx) < 3 && std::abs(ay - by) < 3;
}

void mon_paddles_draw_vector(int x0, int y0, int x1, int y1, int colour) {
    const u8 pen = static_cast<u8>(colour);
    const int dx = std::abs(x1 - x0), sx = x1 >= x0 ? 1 : -1;
    const int dy = std::abs(y1 - y0), sy = y1 >= y0 ? 1 : -1;
    int x = x0, y = y0;
    // Steps along the longer axis; the shorter one follows the error term.
    int& along = dx > dy ? x : y;
    int& across = dx > dy ? y : x;
    const int d_along = dx > dy ? dx : dy, d_across = dx > dy ? dy : dx;
    const int s_along = dx > dy ? sx : sy, s_across = dx > dy ? sy : sx;
    int e = 2 * d_across - d_along;
    for (int i = 0; i <= d_along; i++) {
        plot(x, y, pen);
        if (e >= 0) {
            e -= 2 * d_along;
            across += s_across;
        }
        e += 2 * d_across;
        along += s_along;
    }
    // The end block, cut where the picture ends.
    for (int by = y1 - 1; by <= y1 + 1; by++)
        for (int bx = x1 - 1; bx <= x1 + 1; bx++)
            plot(bx, by, pen);
}

void mon_paddles_refresh() {
    const int win = window();
    if (!win || !mon_paddles_shown()) return;
    const bool four = memmap_desc().traits.four_paddles;
    // Erase the vectors drawn last.
    mon_paddles_draw_vector(CENTRE, CENTRE, paddle_pic_x[0], paddle_pic_y[0],
                            PADDLE_PEN_BACKGROUND);
    mon_paddles_draw_vector(CENTRE, CENTRE, paddle_pic_x[1], paddle_pic_y[1],
                            PADDLE_PEN_BACKGROUND);
    if (four) {
        mon_paddles_draw_vector(CENTRE, CENTRE, paddle_pic_x[0], paddle_pic_y[2],
                                PADDLE_PEN_BACKGROUND);
        mon_paddles_draw_vector(CENTRE, CENTRE, paddle_pic_x[1], paddle_pic_y[3],
                                PADDLE_PEN_BACKGROUND);
    }
    // 0..255 to 0..95.
    auto scale = [](i32 v) { return std::clamp(v, 0, 255) * 3 / 8; };
    for (int i = 0; i < 2; i++)
        paddle_pic_x[i] = scale(paddle_x[i]);
    for (int i = 0; i < 4; i++)
        paddle_pic_y[i] = scale(paddle_y[i]);
    const int x1 = paddle_pic_x[0], y1 = paddle_pic_y[0], x2 = paddle_pic_x[1],
              y2 = paddle_pic_y[1];
    const int y3 = paddle_pic_y[2], y4 = paddle_pic_y[3];
    // The second bats count as near by their ends on the centre column.
    const bool bats = machine_debug().paddle_bats_near;
    auto near_bats = [&](int x, int y) {
        return bats && (mon_paddles_near(x, y, CENTRE, y3) || mon_paddles_near(x, y, CENTRE, y4));
    };
    const bool near12 = mon_paddles_near(x1, y1, x2, y2);
    mon_paddles_draw_vector(CENTRE, CENTRE, x1, y1,
                            near12 || near_bats(x1, y1) ? PADDLE_PEN_NEAR : PADDLE_PEN_1);
    mon_paddles_draw_vector(CENTRE, CENTRE, x2, y2,
                            near12 || near_bats(x2, y2) ? PADDLE_PEN_NEAR : PADDLE_PEN_2);
    if (four) {
        const bool near34 = mon_paddles_near(CENTRE, y3, CENTRE, y4);
        const bool near3 =
            near34 || mon_paddles_near(CENTRE, y3, x1, y1) || mon_paddles_near(CENTRE, y3, x2, y2);
        const bool near4 =
            near34 || mon_paddles_near(CENTRE, y4, x1, y1) || mon_paddles_near(CENTRE, y4, x2, y2);
        mon_paddles_draw_vector(CENTRE, CENTRE, x1, y3, near3 ? PADDLE_PEN_NEAR_34 : PADDLE_PEN_3);
        mon_paddles_draw_vector(CENTRE, CENTRE, x2, y4, near4 ? PADDLE_PEN_NEAR_34 : PADDLE_PEN_4);
    }
    gui_display_refresh(win, GID_PADDLES_PICTURE);
}

const u8* mon_paddles_pixels() {
    return picture.data();
}
