// The screen editors reached through the host keys, the pointer text, and
// the DRAW overlays in the frames the machines draw.
#include "computers/terminal.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/pointer_text.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "machines/arcadia_editor.h"
#include "machines/pvi2636.h"
#include "machines/pvi_editor.h"
#include "machines/uvi2637.h"
#include "tests/debugger/debugger_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class ScreenEditorTest : public DebuggerTest {
  protected:
    void SetUp() override {
        DebuggerTest::SetUp();
        screen_edit_address = 0;
    }
    void TearDown() override {
        host_key_clear(RAW_LSHIFT);
        screen_edit_mode = 0;
        screen_edit_address = 0;
        DebuggerTest::TearDown();
    }
    static void on(u32 m, u32 map) { ASSERT_TRUE(machine_switch(m, map, true, true, false)); }
    static void edit() {
        screen_edit_mode = 1;
        display_screen_edit_clamp();
    }
    static void key(u32 code, bool shift = false) {
        if (shift) host_key_set(RAW_LSHIFT);
        input_host_key_event(code);
        input_host_key_release(code);
        if (shift) host_key_clear(RAW_LSHIFT);
    }
};

TEST_F(ScreenEditorTest, ArcadiaTypesIntoItsScreenRam) {
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    edit();
    EXPECT_EQ(screen_edit_address, 0x1800u); // the clamp puts the cursor on the screen
    key(34);                                  // D
    key(3);                                   // 3
    EXPECT_EQ(guest_memory[0x1800], 0x1A + 3);
    EXPECT_EQ(guest_memory[0x1801], 0x13);
    screen_edit_address = 0x18CF; // the first area's last cell goes on to the second area
    key(32);                      // A
    EXPECT_EQ(screen_edit_address, 0x1A00u);
    key(0x4C); // cursor up from row 13 to row 12
    EXPECT_EQ(screen_edit_address, 0x18C0u);
    key(0x1B);     // the pen one colour on
    key(33);       // S, in that colour
    EXPECT_EQ(guest_memory[0x18C0], 0x1A + 18 + 0x40);
    key(0x45); // Esc leaves the editor; keys reach the guest again
    EXPECT_EQ(screen_edit_mode, 0);
    // Ctrl keeps a key from the editor.
    EXPECT_FALSE(machine_handle_host_key(32, true));
}

TEST_F(ScreenEditorTest, PviGridKeys) {
    on(INTERTON, MAP_INTERTON_A);
    edit();
    pvi_edit_row = 3; // the thin row of band 1
    pvi_edit_column = 9;
    key(64); // Space: the cell's bar bit and only its own group bit
    EXPECT_EQ(guest_memory[0x1F85], 0x40);
    EXPECT_EQ(guest_memory[0x1FA8], 0x08); // bands 0 and 1 share one width byte
    pvi_edit_row = 4; // the thick row's upper half: both halves widen
    key(64);
    EXPECT_EQ(guest_memory[0x1F87], 0x40);
    EXPECT_EQ(guest_memory[0x1FA8], 0x08 | 0x10 | 0x20);
    key(2, true); // Shift+2: every bar on, every width byte $40
    for (u32 a = 0x1F80; a < 0x1FA8; a++)
        ASSERT_EQ(guest_memory[a], 0xFF) << a;
    for (u32 a = 0x1FA8; a <= 0x1FAC; a++)
        ASSERT_EQ(guest_memory[a], 0x40) << a;
    pvi_edit_row = 0;
    key(76); // up from row 0 wraps to row 29
    EXPECT_EQ(pvi_edit_row, 29);
}

TEST_F(ScreenEditorTest, LaserBattleClearsItsTileMap) {
    on(ZACCARIA, MAP_LASER_BATTLE);
    edit();
    EXPECT_EQ(screen_edit_address, 0x1840u);
    key(70, true); // Shift+Del: every tile blank
    for (u32 a = 0x1800; a <= 0x1BFF; a++)
        ASSERT_EQ(guest_memory[a], 0xFF) << a;
    key(32); // A
    EXPECT_EQ(guest_memory[0x1840], 192);
    EXPECT_EQ(screen_edit_address, 0x1841u);
}

TEST_F(ScreenEditorTest, MachinesWithoutAnEditorSwitchItOff) {
    on(PIPBUG, MAP_PIPBUG_1);
    edit();
    EXPECT_EQ(screen_edit_mode, 0);
}

TEST_F(ScreenEditorTest, PointerTexts) {
    struct Case {
        u32 machine, map;
        i32 x, y;
        const char* text;
    };
    on(BINBUG, MAP_BINBUG);
    guest_frame[20 * GUEST_FRAME_ROWS + 30] = 0;
    guest_memory[0x7842] = 0;
    display_describe_position(20, 30, 0);
    EXPECT_STREQ(display_position_text, "X=20,Y=30 (White). $7842: $00 ('.')");
    on(CD2650, MAP_CD2650);
    display_describe_position(100, 100, 0);
    EXPECT_NE(std::string(display_position_text).find(". $10C8: $"), std::string::npos);
    on(ZACCARIA, MAP_GALAXIA);
    display_rotated = 0; // the board's own orientation
    display_describe_position(30, 40, 0);
    const std::string z = display_position_text;
    EXPECT_EQ(z.rfind("X=46,Y=40", 0), 0u) << z;
    EXPECT_NE(z.find(". $18E3: $"), std::string::npos) << z;
    on(PIPBUG, MAP_PIPBUG_1);
    const i32 kept_vdu = pipbug_vdu;
    pipbug_vdu = 5; // VT100
    display_setup_geometry();
    display_describe_position(120, 130, 0);
    EXPECT_NE(std::string(display_position_text).find(". Row=11th, column=16th"), std::string::npos)
        << display_position_text;
    // The Elekterminal also names the row of its scrolling text store.
    pipbug_vdu = 0;
    display_setup_geometry();
    vdu_scroll = 62;
    display_describe_position(12, 60, 0);
    EXPECT_NE(std::string(display_position_text).find(". Row=5th (3rd), column="), std::string::npos)
        << display_position_text;
    pipbug_vdu = kept_vdu;
    // The ball-and-paddle chips with the blanking areas shown name the bands.
    on(PONG, MAP_PONG_8550);
    blankingareas = 1;
    emu_region = 0;
    display_setup_geometry();
    display_describe_position(30, 40, 0);
    EXPECT_NE(std::string(display_position_text)
                  .find(". Horizontal back porch (colour burst). Vertical back porch"),
              std::string::npos)
        << display_position_text;
    blankingareas = 0;
    on(INSTRUCTOR, MAP_INSTRUCTOR_BASIC);
    display_describe_position(100, 100, 0);
    EXPECT_STREQ(display_position_text, "-,-");
    // The consoles: sync generator and chip positions; frame column 0 of the
    // Arcadia is USG X 55, UVI X 6.
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    blankingareas = 0;
    display_describe_position(0, 0, 0);
    char expected[64];
    std::snprintf(expected, sizeof expected, "USG X=55,Y=%d. UVI X=6,Y=%d (", display_window_top,
                  display_window_top - first_visible_line);
    EXPECT_EQ(std::string(display_position_text).rfind(expected, 0), 0u) << display_position_text;
    // With the blanking areas, a clock of the horizontal retrace names its outputs.
    blankingareas = 1;
    display_setup_geometry();
    display_describe_position(20 - display_window_left, 100, 0);
    EXPECT_NE(std::string(display_position_text).find(". Horizontal retrace, CBLNK, HRST, HS"),
              std::string::npos)
        << display_position_text;
    blankingareas = 0;
    display_setup_geometry();
    EXPECT_EQ(display_ordinal_suffix(11), std::string("th"));
    EXPECT_EQ(display_ordinal_suffix(22), std::string("nd"));
}

// DRAW 2 on the Arcadia paints each pixel's collision cell: sprites 0 and 1
// over a character show 16 + 1 + 2.
TEST_F(ScreenEditorTest, CollisionTableOverlay) {
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    EXPECT_EQ(run("DRAW 2"), "OK.\n\n");
    emu_run_frame();
    const i32 line = first_visible_line + 30, clock = 100;
    uvi_line_cells[line * UVI_LINE_CLOCKS + clock] = UVI_CELL_CHAR | 1 | 2;
    uvi_post_filter();
    const i32 fx = clock - display_window_left, fy = line - display_window_top;
    EXPECT_EQ(guest_frame[fx * GUEST_FRAME_ROWS + fy], 19);
    EXPECT_EQ(run("DRAW 4"), "Allowable range is 0..3!\n\n");
    on(PIPBUG, MAP_PIPBUG_1);
    EXPECT_EQ(draw_mode, 0); // a machine switch ends the overlays
    EXPECT_EQ(run("DRAW 2"), "Allowable range is 0..1!\n\n");
    EXPECT_EQ(run("DRAW 1"), "OK.\n\n");
    emu_run_frame();
    EXPECT_EQ(guest_frame[0], 8); // the top left cell's outline
    on(INSTRUCTOR, MAP_INSTRUCTOR_BASIC);
    EXPECT_EQ(run("DRAW 1"), "Wrong guest machine!\n\n");
    on(INTERTON, MAP_INTERTON_A);
    EXPECT_EQ(run("DRAW 4"), "OK.\n\n");
    EXPECT_EQ(pvi_overlay_mode, 4);
}

} // namespace

namespace {

// The colour a PVI pixel (x, y) shows in the guest frame.
u8 pvi_pixel(i32 x, i32 y) {
    const i32 fx = x + 49 - display_window_left, fy = y + first_visible_line - display_window_top;
    return guest_frame[fx * GUEST_FRAME_ROWS + fy];
}

TEST_F(ScreenEditorTest, PviCollisionCellsAndGuideGrid) {
    on(INTERTON, MAP_INTERTON_A);
    pvi_overlay_mode = 2;
    std::memset(pvi_pixel_cells, 0, sizeof pvi_pixel_cells);
    pvi_pixel_cells[50 * PVI_WIDTH + 60] = 16 | 32 | 8; // two objects on the grid
    pvi_pixel_cells[50 * PVI_WIDTH + 61] = 16 | 32;     // two objects
    pvi_pixel_cells[50 * PVI_WIDTH + 62] = 64 | 8;      // one object on the grid
    pvi_pixel_cells[50 * PVI_WIDTH + 63] = 64;          // one object
    pvi_pixel_cells[50 * PVI_WIDTH + 64] = 8;           // the grid alone
    pvi_overlay_grid_and_cells();
    const u8 expected[6] = {0, 6, 4, 14, 13, 7};
    for (i32 i = 0; i < 6; i++)
        EXPECT_EQ(pvi_pixel(60 + i, 50), expected[i]) << i;
    pvi_overlay_mode = 1;
    pvi_overlay_grid_and_cells();
    EXPECT_EQ(pvi_pixel(40, 20), 8);  // a horizontal line
    EXPECT_EQ(pvi_pixel(40, 31), 8);  // 11 below it
    EXPECT_EQ(pvi_pixel(41, 25), 7);  // inside a cell: untouched (the overlay of mode 2)
    EXPECT_EQ(pvi_pixel(160, 100), 8); // the rightmost vertical line
    pvi_overlay_mode = 0;
}

} // namespace
