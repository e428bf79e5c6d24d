// The coin-op playfields drawn straight after set-up: tile decoding per
// board, the Galaxia palettes and scroll band, shells and their latch bits,
// the star field, the Laser Battle line layer and sprite, and the Malzak
// teletext page under its tiles.
#include "core/frame.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/frame.h"
#include "input/paddles.h"
#include "machines/coinop.h"
#include "machines/coinop_playfield.h"
#include "machines/coinop_video.h"
#include "machines/malzak.h"
#include "machines/saa5050.h"
#include "machines/zaccaria.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

u8 px(u32 x, u32 y) {
    return guest_frame[x * GUEST_FRAME_ROWS + y];
}

// The first collision plane's cell under picture pixel (x, y).
u8 zaccaria_mark(u32 x, u32 y) {
    return coinop_collision_planes[0][(y + 16) * 256 + x + 16];
}
u8 malzak_mark(u32 x, u32 y) {
    return coinop_collision_planes[0][y * 256 + x + 16];
}

// The playfield being drawn, before it reaches the guest frame.
u8 picture(u32 x, u32 y) {
    return coinop_picture[x * 240 + y];
}

void fill_frame(u8 colour) {
    for (u32 x = 0; x < 240; x++)
        for (u32 y = 0; y < 240; y++)
            guest_frame[x * GUEST_FRAME_ROWS + y] = colour;
}

class Playfield : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output(); // the ROM files are missing
    }
    void TearDown() override { fresh_state(); }
    // Set up the board with empty images, no stars and clean planes.
    static void go(u32 map) {
        ASSERT_TRUE(machine_switch(map <= 25 ? ZACCARIA : MALZAK, map, true, true, false));
        std::memset(zaccaria_chars, 0, sizeof zaccaria_chars);
        std::memset(coinop_collision_planes, 0, sizeof coinop_collision_planes);
        coinop_star_count = 0;
        collisions = 1;
    }
    static void screen(u32 r, u32 c, u8 code) { guest_memory[0x1800 + 32 * r + c] = code; }
};

TEST_F(Playfield, AstroWarsTilesTakeTheirAttributeAndMarkThePlane) {
    go(22);
    zaccaria_chars[8 * 5 + 0] = 0x81; // code 5, line 0: leftmost and rightmost pixels
    zaccaria_chars[8 * 5 + 7] = 0x10;
    screen(2, 0, 5);
    coinop_colour_ram[32 * 2 + 0] = 0xFB; // colour 3
    screen(31, 29, 5);
    coinop_colour_ram[32 * 31 + 29] = 0x06;
    fill_frame(0);
    zaccaria_draw_playfield();

    const struct {
        u32 x, y;
        u8 colour;
        bool marked;
    } cases[] = {
        {0, 0, 3, true},      {7, 0, 3, true},     {1, 0, 7, false},    {3, 7, 3, true},
        {3, 6, 7, false},     {232, 232, 6, true}, {239, 232, 6, true}, {235, 239, 6, true},
        {100, 100, 7, false}, {8, 0, 7, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(px(c.x, c.y), c.colour);
        EXPECT_EQ((zaccaria_mark(c.x, c.y) & COINOP_PLANE_PLAYFIELD) != 0, c.marked);
    }
}

TEST_F(Playfield, GalaxiaPaletteSetsAndGroups) {
    // Planes 0 and 1 of the tile line give the pixel values 3, 2, 1, 0 in
    // columns 0-3.
    const struct {
        u8 code, attribute;
        u8 colours[4]; // values 3, 2, 1, 0
    } cases[] = {
        {0x10, 0, {2, 2, 6, 7}}, // codes 16-127: set one
        {0x90, 1, {4, 6, 4, 7}}, // bit 7 of the code does not count
        {0x7F, 3, {1, 3, 5, 7}}, {0x52, 2, {0, 0, 0, 0}},
        {0x0F, 0, {1, 6, 3, 7}}, // codes 0-15: set two
        {0x8F, 4, {1, 6, 3, 7}}, // only the low two attribute bits choose the group
        {0x00, 1, {0, 0, 0, 0}}, {0x03, 7, {1, 3, 5, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "code " << int(c.code) << " attribute " << int(c.attribute));
        go(23);
        const u32 line = (8u * c.code) & 0x3F8;
        zaccaria_chars[line] = 0xC0;        // plane 0
        zaccaria_chars[1024 + line] = 0xA0; // plane 1
        screen(2, 0, c.code);
        coinop_colour_ram[64] = c.attribute;
        fill_frame(9);
        zaccaria_draw_playfield();
        for (u32 x = 0; x < 4; x++) {
            EXPECT_EQ(px(x, 0), c.colours[x]) << "column " << x;
            EXPECT_EQ((zaccaria_mark(x, 0) & COINOP_PLANE_PLAYFIELD) != 0, x < 3) << "column " << x;
        }
    }
}

TEST_F(Playfield, GalaxiaScrollMovesTheBandOfColumns32To111) {
    go(23);
    // Every tile solid (code 16, value 2: colour 2); one tile of code 17
    // (value 1: colour 6) at picture (32, 0).
    for (u32 i = 0; i < 8; i++) {
        zaccaria_chars[8 * 16 + i] = 0xFF;
        zaccaria_chars[1024 + 8 * 17 + i] = 0xFF;
    }
    for (u32 r = 2; r < 32; r++)
        for (u32 c = 0; c < 30; c++)
            screen(r, c, 16);
    screen(2, 4, 17);

    const struct {
        u8 written;
        u32 blank_first, blank_last; // rows blanked in the band (first > last: none)
        u32 marker_row;              // where the tile of picture row 0 lands
    } cases[] = {
        {0xFF, 1, 0, 0},     // S = 0
        {0xF0, 0, 14, 15},   // S = 15
        {0x0F, 224, 239, 0}, // S = -16: the band moves up, its top tile row leaves
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "written " << int(c.written));
        coinop_io_write(0, c.written);
        fill_frame(0);
        zaccaria_draw_playfield();
        for (u32 y = 0; y < 240; y++) {
            const bool blank = y >= c.blank_first && y <= c.blank_last;
            const bool marker = c.written != 0x0F && y >= c.marker_row && y < c.marker_row + 8;
            const u8 want = blank ? 7 : marker ? 6 : 2;
            ASSERT_EQ(px(32, y), want) << "row " << y;
            ASSERT_EQ(px(111, y), blank ? 7 : 2) << "row " << y;
            ASSERT_EQ(px(31, y), 2) << "row " << y; // outside the band
            ASSERT_EQ(px(112, y), 2) << "row " << y;
        }
    }
}

TEST_F(Playfield, ShellsDrawFourPixelsAndSetTheirLatchBits) {
    // Astro Wars: a shell over any colour but 0 sets bit 1.
    go(22);
    guest_memory[0x1C00 + 20] = 10; // row 12, columns 238 down to 235
    guest_memory[0x1C00 + 30] = 8;  // row 22: column 240 is outside, 239-237 drawn
    zaccaria_draw_playfield();
    for (u32 x = 235; x <= 238; x++) {
        EXPECT_EQ(px(x, 12), 1) << x;
        EXPECT_TRUE(zaccaria_mark(x, 12) & COINOP_PLANE_SHELL) << x;
    }
    EXPECT_EQ(px(234, 12), 7);
    EXPECT_EQ(px(239, 12), 7);
    EXPECT_EQ(px(239, 22), 1);
    EXPECT_EQ(px(236, 22), 7);
    EXPECT_EQ(coinop_collision_latch, 0x02);

    // Over colour 0 the latch stays clear; so it does with collisions off.
    coinop_collision_latch = 0;
    guest_memory[0x1C00 + 30] = 0;
    zaccaria_chars[8 * 1 + 4] = 0xFF; // code 1, line 4: row 12 in tile row 3
    for (u32 c = 29; c >= 26; c--)
        screen(3, c, 1), coinop_colour_ram[32 * 3 + c] = 0;
    zaccaria_draw_playfield();
    EXPECT_EQ(coinop_collision_latch, 0);
    EXPECT_EQ(px(236, 12), 1);
    collisions = 0;
    guest_memory[0x1C00 + 20] = 0;
    guest_memory[0x1C00 + 100] = 50; // over the blank colour
    zaccaria_draw_playfield();
    EXPECT_EQ(coinop_collision_latch, 0);
    EXPECT_EQ(px(198, 92), 1);

    // Galaxia: bit 7 and a force-feedback request only over a coloured
    // pixel in columns 211-223.
    const struct {
        u8 shell;       // the shell's columns are 248 - shell down to 245 - shell
        bool over_tile; // a solid tile under it
        u8 latch;
        u32 rumble;
    } galaxia[] = {
        {30, false, 0x00, 0}, // columns 215-218 over the blank colour
        {30, true, 0x80, 25}, // the same over a tile
        {60, true, 0x00, 0},  // columns 185-188: outside
        {24, true, 0x80, 25}, // columns 221-224: partly inside
        {22, true, 0x80, 25}, // columns 223-226: 223 is the last inside
        {20, true, 0x00, 0},  // columns 225-228
    };
    for (const auto& g : galaxia) {
        SCOPED_TRACE(testing::Message()
                     << "shell " << int(g.shell) << (g.over_tile ? " over a tile" : ""));
        go(23);
        rumble_request[0] = 0;
        coinop_collision_latch = 0;
        for (u32 i = 0; i < 8; i++)
            zaccaria_chars[8 * 16 + i] = 0xFF;
        if (g.over_tile)
            for (u32 c = 0; c < 30; c++)
                screen(3, c, 16);            // picture rows 8-15
        guest_memory[0x1400 + 18] = g.shell; // picture row 10
        zaccaria_draw_playfield();
        EXPECT_EQ(px(248u - g.shell - 1, 10), 1);
        EXPECT_EQ(coinop_collision_latch, g.latch);
        EXPECT_EQ(rumble_request[0], g.rumble);
    }
}

// The star generator as a bit sequence: bit k of the shift register after
// step n is s[n - k], with s[n] = NOT s[n - 17] XOR s[n - 5] (bits before the
// start are 0).
TEST_F(Playfield, StarFieldIsThe128StarsOfTheShiftRegister) {
    ASSERT_TRUE(machine_switch(ZACCARIA, 23, true, true, false));
    ASSERT_EQ(coinop_star_count, 128u); // the set-up built it
    std::vector<u8> s;
    auto bit = [&](long i) { return i < 0 ? 0 : s[static_cast<size_t>(i)]; };
    u32 found = 0;
    for (long n = 0; n < 256 * 512; n++) {
        s.push_back(static_cast<u8>((bit(n - 17) ^ 1) ^ bit(n - 5)));
        bool star = true;
        for (long k = 1; k <= 7; k++)
            star = star && bit(n - k) == 1;
        star = star && bit(n - 12) == 0 && bit(n - 13) == 0 && bit(n - 16) == 0;
        if (!star) continue;
        ASSERT_LT(found, coinop_star_count);
        ASSERT_EQ(coinop_star_y[found], static_cast<u32>(255 - n / 512)) << "star " << found;
        ASSERT_EQ(coinop_star_x[found], static_cast<u32>(511 - n % 512)) << "star " << found;
        found++;
    }
    EXPECT_EQ(found, 128u);
}

TEST_F(Playfield, StarsShowOnlyOnTheBlankColourAndDriftEveryOtherFrame) {
    go(22);
    coinop_star_count = 2;
    coinop_star_x[0] = 10, coinop_star_y[0] = 3; // (5, 3): colour 3 mod 6 + 1
    coinop_star_x[1] = 40, coinop_star_y[1] = 3; // (20, 3): bit 4 of x equals bit 0 of y
    coinop_star_scroll = 0;
    zaccaria_draw_playfield();
    EXPECT_EQ(px(5, 3), 4);
    EXPECT_EQ(px(20, 3), 7);
    EXPECT_EQ(coinop_star_scroll, 1u);
    zaccaria_draw_playfield(); // v = 11: still column 5
    EXPECT_EQ(px(5, 3), 4);
    zaccaria_draw_playfield(); // v = 12: column 6
    EXPECT_EQ(px(5, 3), 7);
    EXPECT_EQ(px(6, 3), 4);
    // A tile pixel hides it.
    zaccaria_chars[8 * 1 + 3] = 0x02;
    screen(2, 0, 1);
    coinop_colour_ram[64] = 2;
    coinop_star_scroll = 2;
    zaccaria_draw_playfield();
    EXPECT_EQ(px(6, 3), 2);
}

// A frame whose tiles, colours, characters and scroll are those of the last
// takes the last tile pass: the same picture and the same playfield marks in
// a cleared plane; a changed tile byte is drawn again.
TEST_F(Playfield, GalaxiaUnchangedTilesKeepTheirPictureAndMarks) {
    go(23);
    for (u32 i = 0; i < 1024; i++)
        zaccaria_chars[i] = static_cast<u8>(i * 37);
    for (u32 r = 2; r < 32; r++)
        for (u32 c = 0; c < 30; c++)
            screen(r, c, static_cast<u8>(r * 7 + c)), coinop_colour_ram[32 * r + c] = static_cast<u8>(c);
    coinop_scroll = -20;
    zaccaria_draw_playfield();
    const std::vector<u8> marks(coinop_collision_planes[0], coinop_collision_planes[0] + COINOP_PLANE_SIZE);
    const std::vector<u8> picture_before(coinop_picture, coinop_picture + 240 * 240);
    ASSERT_NE(std::count(marks.begin(), marks.end(), COINOP_PLANE_PLAYFIELD), 0);

    std::memset(coinop_collision_planes, 0, sizeof coinop_collision_planes);
    std::memset(coinop_picture, 3, sizeof coinop_picture);
    coinop_star_scroll = 0;
    zaccaria_draw_playfield();
    EXPECT_TRUE(std::equal(marks.begin(), marks.end(), coinop_collision_planes[0]));
    EXPECT_TRUE(std::equal(picture_before.begin(), picture_before.end(), coinop_picture));

    // Tile (2, 0) is code 14, group 0, its line 0 $30: pixel (0, 0) is clear.
    EXPECT_EQ(picture(0, 0), 7);
    EXPECT_EQ(zaccaria_mark(0, 0) & COINOP_PLANE_PLAYFIELD, 0);
    zaccaria_chars[8 * 14] = 0x80; // now value 2 there: colour 6
    std::memset(coinop_collision_planes, 0, sizeof coinop_collision_planes);
    zaccaria_draw_playfield();
    EXPECT_EQ(picture(0, 0), 6);
    EXPECT_NE(zaccaria_mark(0, 0) & COINOP_PLANE_PLAYFIELD, 0);
}

TEST_F(Playfield, LaserBattleTilesHaveThreePlanes) {
    go(24);
    zaccaria_chars[8 * 1] = 0x90;        // plane 0
    zaccaria_chars[2048 + 8 * 1] = 0xC0; // plane 1
    zaccaria_chars[4096 + 8 * 1] = 0xE0; // plane 2
    screen(31, 1, 1);                    // picture (8, 232)
    fill_frame(9);
    zaccaria_draw_playfield();
    const u8 want[8] = {0, 4, 6, 3, 7, 7, 7, 7};
    for (u32 x = 0; x < 8; x++)
        EXPECT_EQ(px(8 + x, 232), want[x]) << x;
    EXPECT_EQ(px(0, 0), 7);
    EXPECT_EQ(zaccaria_mark(8, 232), 0); // the tiles take no part in collisions
}

TEST_F(Playfield, LaserBattleLinesShowWhereTheTilesAreBlank) {
    go(24);
    // Picture row 0 reads effect row 16: left 16, right 4.
    coinop_effect_ram[16] = 16;
    coinop_effect_ram[16 + 256] = 0x84; // bit 7 does not count
    const struct {
        u8 port0;
        u32 first, last; // the columns of row 0 that hold a line
        bool outside;    // the line shows outside first-last instead
        int colour;
    } cases[] = {
        {0x6D, 104, 135, false, 5}, // left line, colour mode 1: counter 112-143
        {0x6E, 116, 123, false, 5}, // right line: counter 124-131
        {0x7B, 1, 0, false, 7},     // no line on
        {0x69, 8, 8, false, 0},     // left line as a single point at counter 16
        {0x2D, 104, 135, true, 5},  // left line inverted
        {0x74, 104, 135, false, 3}, // both lines, colour mode 2 with the right line on
        {0x75, 104, 135, false, 1}, // colour mode 2, the left line alone
        {0x7D, 104, 135, false, 6}, // colour mode 3
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "port 0 = " << std::hex << int(c.port0));
        coinop_io_write(0, c.port0);
        fill_frame(9);
        zaccaria_draw_playfield();
        for (u32 x = 0; x < 240; x++) {
            const bool shown = (x >= c.first && x <= c.last) != c.outside;
            ASSERT_EQ(px(x, 0), shown ? c.colour : 7) << "column " << x;
        }
        // Row 1 reads an empty effect row: only an inverted line covers it.
        EXPECT_EQ(px(110, 1), c.outside ? c.colour : 7);
    }
    // A tile pixel stands over the line.
    coinop_io_write(0, 0x6D);
    zaccaria_chars[8 * 2] = 0x80; // plane 0: colour 3
    screen(2, 13, 2);             // picture (104, 0)
    zaccaria_draw_playfield();
    EXPECT_EQ(px(104, 0), 3);
    EXPECT_EQ(px(105, 0), 5);
}

TEST_F(Playfield, LaserBattleSpriteIsPlacedFromItsLatches) {
    go(24);
    zaccaria_sprites[256 * 2 + 0] = 0xE4;          // code 2, row 0, bytes 0: 3 2 1 -
    zaccaria_sprites[256 * 2 + 8 * 31 + 7] = 0x40; // row 31, byte 7: 1 - - -
    zaccaria_sprites[256 * 3] = 0xFF;
    const struct {
        u8 x, y;
        u8 enable_port1; // port 1: code in bits 7-5, bit 0 clear enables
        i32 ox, oy;      // where row 0 byte 0 lands (-1: nowhere)
    } cases[] = {
        {250, 239, 0x40, 0, 0},
        {200, 200, 0x40, 50, 39},
        {250, 239, 0x41, -1, -1}, // disabled
        {2, 239, 0x40, -1, -1},   // column 248: outside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.x) << "," << int(c.y));
        coinop_io_write(4, c.x);
        coinop_io_write(5, c.y);
        coinop_io_write(1, c.enable_port1);
        fill_frame(9);
        zaccaria_draw_playfield();
        u32 drawn = 0;
        for (u32 x = 0; x < 240; x++)
            for (u32 y = 0; y < 240; y++)
                drawn += px(x, y) != 7;
        if (c.ox < 0) {
            EXPECT_EQ(drawn, 0u);
            continue;
        }
        const u32 ox = static_cast<u32>(c.ox), oy = static_cast<u32>(c.oy);
        EXPECT_EQ(drawn, 4u);
        EXPECT_EQ(px(ox, oy), 3);
        EXPECT_EQ(px(ox + 1, oy), 2);
        EXPECT_EQ(px(ox + 2, oy), 1);
        EXPECT_EQ(px(ox + 3, oy), 7);
        EXPECT_EQ(px(ox + 28, oy + 31), 1);
    }
}

TEST_F(Playfield, MalzakTextRowsControlCodesAndDoubleHeight) {
    go(26);
    auto text = [](u32 t, u32 k, std::vector<u8> codes) {
        for (u8 c : codes)
            guest_memory[0x1800 + 64 * t + k++] = c;
    };
    text(0, 0, {'A', 1, 'B', 29, 'C', 28, 'D'});
    text(1, 0, {17, 0x7F, 'A', 0x35, 24, 'E', 2, 'F'});
    text(2, 0, {'G', 13, 'H', 30, 31});
    text(3, 0, {'X', 'X', 'X'}); // skipped: the row above is double height
    text(4, 0, {8, 'I', 9, 'J'});
    frame_counter = 45;
    malzak_draw_picture();

    // Each cell: its code, ink and paper as guest colours, mosaic, height.
    const struct {
        u32 t, k;
        u8 ch;
        u8 ink, paper;
        bool mosaic, tall;
    } cells[] = {
        {0, 0, 'A', 0, 7, false, false}, {0, 1, ' ', 3, 7, false, false},
        {0, 2, 'B', 3, 7, false, false}, {0, 3, ' ', 3, 3, false, false},
        {0, 4, 'C', 3, 3, false, false}, {0, 5, ' ', 3, 7, false, false},
        {0, 6, 'D', 3, 7, false, false}, {0, 7, ' ', 0, 7, false, false},
        {1, 0, ' ', 3, 7, true, false},  {1, 1, 0x7F, 3, 7, true, false},
        {1, 2, 'A', 3, 7, true, false},  {1, 3, 0x35, 3, 7, true, false},
        {1, 4, ' ', 3, 7, false, false}, {1, 5, ' ', 3, 7, false, false},
        {1, 6, ' ', 5, 7, false, false}, {1, 7, 'F', 5, 7, false, false},
        {2, 0, 'G', 0, 7, false, false}, {2, 1, ' ', 0, 7, false, true},
        {2, 2, 'H', 0, 7, false, true},  {2, 3, 'H', 0, 7, false, true},
        {2, 4, ' ', 0, 7, false, true},  {4, 0, ' ', 0, 7, false, false},
        {4, 1, ' ', 0, 7, false, false}, {4, 3, 'J', 0, 7, false, false},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(testing::Message() << "row " << c.t << " column " << c.k);
        const u32 scale = c.tall ? 2 : 1;
        for (u32 row = 0; row < 10 * scale; row++) {
            const u8 bits = c.mosaic && (c.ch & 0x20)
                                ? saa5050_mosaic_row(c.ch, static_cast<int>(row / scale))
                                : saa5050_alpha_row(c.ch, static_cast<int>(row / scale));
            for (u32 col = 0; col < 6; col++)
                ASSERT_EQ(px(6 * c.k + col, 10 * c.t + row), bits & (0x20 >> col) ? c.ink : c.paper)
                    << "pixel " << col << "," << row;
        }
    }
    // The flash shows its characters while the frame counter is 0-38 of 50.
    frame_counter = 10;
    malzak_draw_picture();
    for (int row = 0; row < 10; row++)
        for (u32 col = 0; col < 6; col++)
            ASSERT_EQ(px(6 + col, 40 + static_cast<u32>(row)),
                      saa5050_alpha_row('I', row) & (0x20 >> col) ? 0 : 7);
}

TEST_F(Playfield, Malzak2TextRow3KeepsItsOwnBackground) {
    // On Malzak 2, row 3's double-height code also sets background 7 and its
    // new-background code does nothing; other rows and Malzak 1 go by the codes.
    for (u32 map : {26u, 27u})
        for (u32 t : {3u, 5u}) {
            SCOPED_TRACE(testing::Message() << "map " << map << " row " << t);
            go(map);
            const u8 row[] = {1, 29, ' ', 13, ' '};
            std::memcpy(guest_memory + 0x1800 + 64 * t, row, sizeof row);
            malzak_draw_picture();
            const bool quirk = map == 27 && t == 3;
            EXPECT_EQ(px(6 * 2, 10 * t), quirk ? 7 : 3);      // after code 29
            EXPECT_EQ(px(6 * 4, 10 * t), quirk ? 0 : 3);      // after code 13
            EXPECT_EQ(px(6 * 4, 10 * t + 19), quirk ? 0 : 3); // twenty rows high
        }
}

TEST_F(Playfield, MalzakTilesByCodeOverTheText) {
    go(26);
    // Glyph g: row 0 shows the bits of g (bit 0 leftmost), the rest is clear.
    for (u32 g = 0; g < 256; g++)
        malzak_tiles[32 * g] = static_cast<u8>(g);
    const struct {
        u8 code;
        int colour; // -1: not drawn
        u8 glyph;
        bool inverted;
    } cases[] = {
        {0, -1, 0, false},   {64, -1, 0, false},  {96, -1, 0, false},  {128, -1, 0, false},
        {224, -1, 0, false}, {1, 1, 1, false},    {31, 1, 31, false},  {33, 5, 1, false},
        {37, 5, 5, true},    {59, 5, 27, false},  {60, 3, 28, false},  {65, 6, 1, false},
        {95, 6, 31, false},  {97, 5, 1, false},   {127, 5, 31, false}, {197, 3, 5, true},
        {200, 3, 8, false},  {236, 3, 44, false}, {238, 3, 46, false}, {239, 3, 15, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << int(c.code));
        std::memset(coinop_picture, 2, sizeof coinop_picture);
        std::memset(coinop_collision_planes, 0, sizeof coinop_collision_planes);
        malzak_draw_tile(c.code, 100, 50);
        for (u32 x = 0; x < 8; x++) {
            const bool lit = c.colour >= 0 && (((c.glyph >> x) & 1) != 0) != c.inverted;
            EXPECT_EQ(picture(100 + x, 50), lit ? c.colour : 2) << "column " << x;
            EXPECT_EQ(malzak_mark(100 + x, 50) != 0, lit) << "column " << x;
        }
        EXPECT_EQ(picture(100, 51), c.inverted ? c.colour : 2);
        EXPECT_EQ(picture(99, 50), 2);
        EXPECT_EQ(picture(116, 50), 2);
    }
    // Clipped at the picture's edges.
    std::memset(coinop_picture, 2, sizeof coinop_picture);
    malzak_draw_tile(37, 232, -8);
    EXPECT_EQ(picture(239, 0), 5);
    EXPECT_EQ(picture(232, 7), 5);
}

TEST_F(Playfield, MalzakScrollPlacesTheTileMap) {
    go(26);
    for (u32 g = 0; g < 256; g++)
        for (u32 i = 0; i < 32; i++)
            malzak_tiles[32 * g + i] = 0xFF; // solid
    guest_memory[0x1800] = 'A';              // text at the top left
    // Tile column 3, row 0 lands at x 0 without scroll.
    malzak_playfield[16 * 3 + 0] = 1;
    const struct {
        i32 h, v, offset;
        i32 x, y; // the tile's top left corner
    } cases[] = {
        {0, 0, 0, 0, 0},   {1, 0, 0, -1, 0},       {0, 4, 0, 0, -4},
        {0, 0, 68, 68, 0}, {0xF8, 0, 0, 8 + 0, 0}, // ((48 + 479 - 248) mod 256) - 15 = 8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "H " << c.h << " V " << c.v << " offset " << c.offset);
        malzak_io_write(96, static_cast<u8>(c.h));
        malzak_io_write(192, static_cast<u8>(c.v));
        malzak_x_offset = c.offset;
        malzak_draw_picture();
        u32 lit = 0;
        i32 left = 999, top = 999;
        for (i32 x = 0; x < 240; x++)
            for (i32 y = 0; y < 240; y++)
                if (px(static_cast<u32>(x), static_cast<u32>(y)) == 1) {
                    lit++;
                    left = std::min(left, x), top = std::min(top, y);
                }
        const i32 w = 16 - (c.x < 0 ? -c.x : 0), h = 16 - (c.y < 0 ? -c.y : 0);
        EXPECT_EQ(lit, static_cast<u32>(w * h));
        EXPECT_EQ(left, std::max(c.x, 0));
        EXPECT_EQ(top, std::max(c.y, 0));
    }
    // Code 0 leaves the text beneath visible.
    malzak_io_write(96, 0);
    malzak_io_write(192, 0);
    malzak_x_offset = 0;
    malzak_playfield[16 * 3] = 0;
    malzak_draw_picture();
    for (int row = 0; row < 10; row++)
        for (int col = 0; col < 6; col++)
            ASSERT_EQ(px(static_cast<u32>(col), static_cast<u32>(row)),
                      saa5050_alpha_row('A', row) & (0x20 >> col) ? 0 : 7);
}

} // namespace
