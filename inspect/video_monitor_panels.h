// The video monitor's RAM panels and its live picture of the paddles.
//
// The UVI's and the PVI's RAM show as byte cells laid out like a hex dump
// (rows of mon_reg_table, edited and watched as the register rows are); the
// "Paddles" panel holds a 96 x 96 picture with one vector from the centre to
// each paddle's position, redrawn after every refresh of the open window:
//
//   GuiNode strip = mon_build_uvi_ram_panel();  // paddles, then the RAM
//   ...the window opens...
//   mon_paddles_open();                         // a white picture, shown
//   mon_paddles_refresh();                      // after every frame
#pragma once

#include "core/types.h"
#include "platform/gui.h"

constexpr int GID_PADDLES_PANEL = 153;
constexpr int GID_PADDLES_PICTURE = 154;
constexpr int PADDLE_PICTURE = 96; // width and height in pixels

// Interface colours of the picture (gui_pens indices).
enum PaddlePen : u8 {
    PADDLE_PEN_3 = 0,       // paddle 3
    PADDLE_PEN_4 = 1,       // paddle 4
    PADDLE_PEN_NEAR_34 = 7, // paddle 3 or 4 near another end
    PADDLE_PEN_BACKGROUND = 8,
    PADDLE_PEN_NEAR = 9, // paddle 1 or 2 near another end
    PADDLE_PEN_1 = 10,
    PADDLE_PEN_2 = 11,
};

// Where the vectors drawn last end (0..95): paddles 1 and 2 across, 1 to 4
// down. Kept while the window is closed.
extern i32 paddle_pic_x[2];
extern i32 paddle_pic_y[4];

// The "Paddles" panel (gadget GID_PADDLES_PANEL) with its picture
// (GID_PADDLES_PICTURE), centred in its height.
GuiNode mon_build_paddles_panel();
// The Arcadia's strip: the paddles, then the UVI's RAM.
GuiNode mon_build_uvi_ram_panel();
// The Interton's strip: the paddles, then the PVI's spare RAM.
GuiNode mon_build_pvi_ram_panel();

// Whether the current machine's video monitor shows the paddle picture.
bool mon_paddles_shown();
// After the window opened: the picture all background, attached to its gadget.
void mon_paddles_open();
// Erases the old vectors, draws the new ones and shows the picture; nothing
// while the window is closed or on a machine without the picture.
void mon_paddles_refresh();
// A vector from (x0, y0) to (x1, y1) in interface colour `colour`, with a
// 3 x 3 block at its end, clipped to the picture.
void mon_paddles_draw_vector(int x0, int y0, int x1, int y1, int colour);
// Both coordinates less than 3 pixels apart.
bool mon_paddles_near(int ax, int ay, int bx, int by);
// The picture: PADDLE_PICTURE rows of PADDLE_PICTURE gui_pens indices (for tests;
// the window shows it through the display gadget it is attached to).
const u8* mon_paddles_pixels();
