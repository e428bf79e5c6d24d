// Golden frames of the coin-op playfields: each board family set up from
// synthetic character, graphics and tile files, its RAM and latches filled by
// the test, the playfield drawn once and compared pixel by pixel with a
// reviewed picture in tests/data/frames (BRINDLEMOX_WRITE_FRAMES=1 writes the
// pictures anew; look at them before committing).
#include "core/machine.h"
#include "cpu/cpu.h"
#include "machines/coinop.h"
#include "machines/coinop_playfield.h"
#include "machines/coinop_video.h"
#include "machines/malzak.h"
#include "machines/zaccaria.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

void write_rom(const TempHome& home, const char* name, const std::vector<u8>& bytes) {
    std::filesystem::create_directories(home.path() / "roms");
    std::ofstream(home.path() / "roms" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Tile shapes by code: 1 a cross, 2 a frame, 3 a diagonal, 0 nothing.
u8 shape(u32 code, u32 line) {
    switch (code % 4) {
    case 1:
        return static_cast<u8>((0x80 >> line) | (0x01 << line));
    case 2:
        return line == 0 || line == 7 ? 0xFF : 0x81;
    case 3:
        return static_cast<u8>(0xF0 >> (line / 2));
    default:
        return 0;
    }
}

class CoinopGolden : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output(); // the program files are missing
    }
    void TearDown() override { fresh_state(); }
};

TEST_F(CoinopGolden, GalaxiaTilesScrollShellsAndStars) {
    TempHome home("coinop_golden");
    std::vector<u8> chars(2048);
    for (u32 code = 0; code < 128; code++)
        for (u32 line = 0; line < 8; line++) {
            chars[8 * code + line] = shape(code, line);
            chars[1024 + 8 * code + line] = (code / 4) % 2 && line >= 2 && line <= 5 ? 0x3C : 0;
        }
    write_rom(home, "galaxia_chars.bin", chars);
    ASSERT_TRUE(machine_switch(ZACCARIA, 23, true, true, false));
    std::memset(coinop_colour_ram, 0, sizeof coinop_colour_ram); // the set-up leaves it
    // The upper half of the map: codes across both palette sets.
    for (u32 r = 2; r < 16; r++)
        for (u32 c = 0; c < 30; c++) {
            guest_memory[0x1800 + 32 * r + c] = static_cast<u8>((5 * r + 3 * c) % 32);
            coinop_colour_ram[32 * r + c] = static_cast<u8>(r + c);
        }
    coinop_io_write(0, 0xF8); // the band of columns 32-111 down by 7 lines
    for (u32 i = 150; i < 170; i += 3)
        guest_memory[0x1400 + i] = static_cast<u8>(20 + 4 * (i - 150));
    coinop_star_scroll = 0;
    std::memset(coinop_collision_planes, 0, sizeof coinop_collision_planes);
    zaccaria_draw_playfield();
    EXPECT_EQ(check_golden_frame("coinop_galaxia"), "");
}

TEST_F(CoinopGolden, LaserBattleTilesLinesAndSprite) {
    TempHome home("coinop_golden");
    std::vector<u8> gfx(6144), sprites(2048);
    for (u32 code = 0; code < 256; code++)
        for (u32 line = 0; line < 8; line++) {
            gfx[8 * code + line] = shape(code, line);
            gfx[2048 + 8 * code + line] = code & 4 ? shape(code + 1, line) : 0;
            gfx[4096 + 8 * code + line] = code & 8 ? 0x18 : 0;
        }
    // Sprite 3: a diamond of the three sprite colours.
    for (u32 y = 0; y < 32; y++)
        for (u32 x = 0; x < 32; x++) {
            const u32 d = (x < 16 ? 15 - x : x - 16) + (y < 16 ? 15 - y : y - 16);
            const u32 colour = d < 6 ? 3 : d < 11 ? 2 : d < 16 ? 1 : 0;
            sprites[256 * 3 + 8 * y + x / 4] |= static_cast<u8>(colour << (6 - 2 * (x % 4)));
        }
    write_rom(home, "laserbattle_gfx.bin", gfx);
    write_rom(home, "laserbattle_sprites.bin", sprites);
    ASSERT_TRUE(machine_switch(ZACCARIA, 24, true, true, false));
    for (u32 r = 2; r < 32; r++)
        for (u32 c = 0; c < 30; c++)
            if ((r + c) % 3 == 0) guest_memory[0x1800 + 32 * r + c] = static_cast<u8>(r * 7 + c);
    for (u32 row = 0; row < 256; row++) {
        coinop_effect_ram[row] = static_cast<u8>(row / 2);
        coinop_effect_ram[256 + row] = static_cast<u8>(100 - row / 3);
    }
    coinop_io_write(0, 0x74); // both lines, colour mode 2
    coinop_io_write(4, 150);  // sprite x and y
    coinop_io_write(5, 120);
    coinop_io_write(1, 0x60); // sprite 3 shown
    zaccaria_draw_playfield();
    EXPECT_EQ(check_golden_frame("coinop_laserbattle"), "");
}

TEST_F(CoinopGolden, MalzakTextUnderScrolledTiles) {
    TempHome home("coinop_golden");
    std::vector<u8> tiles(8192);
    for (u32 g = 0; g < 256; g++)
        for (u32 row = 0; row < 16; row++) {
            const u32 bits = g % 2 ? (row < 4 || row > 11 ? 0xFFFF : 0xC003) // a box
                                   : (0xFFFFu >> (16 - row)) & 0xFFFF;       // a wedge
            tiles[32 * g + 2 * row] = static_cast<u8>(bits);
            tiles[32 * g + 2 * row + 1] = static_cast<u8>(bits >> 8);
        }
    write_rom(home, "malzak_tiles.bin", tiles);
    ASSERT_TRUE(machine_switch(MALZAK, 26, true, true, false));
    auto text = [](u32 t, u32 k, const std::vector<u8>& codes) {
        for (u8 c : codes)
            guest_memory[0x1800 + 64 * t + k++] = c;
    };
    auto line = [&](u32 t, u32 k, const char* s) {
        text(t, k, std::vector<u8>(s, s + std::strlen(s)));
    };
    text(0, 0, {3, 29, 4});
    line(0, 3, "SCORE 001230  Hi 9900");
    text(2, 0, {13, 6});
    line(2, 2, "PLAYER ONE");
    line(5, 0, "abcdefghijklmnopqrstuvwxyz");
    line(6, 0, "0123456789 #$%&'()*+,-./[\\]^_`{|}~");
    text(8, 0, {18});
    for (u32 k = 1; k < 40; k++)
        text(8, k, {static_cast<u8>(0x20 + (k * 5) % 64)});
    text(10, 0, {1, 24});
    line(10, 2, "HIDDEN");
    // Tiles: a strip across the middle and a few over the text.
    for (u32 c = 0; c < 16; c++) {
        malzak_playfield[16 * c + 9] = static_cast<u8>(c % 2 ? 37 : 1 + c);
        malzak_playfield[16 * c + 10] = static_cast<u8>(65 + c);
        malzak_playfield[16 * c + 14] = static_cast<u8>(c < 8 ? 197 : 236);
    }
    malzak_playfield[16 * 5 + 1] = 62;
    malzak_io_write(96, 0x13);
    malzak_io_write(192, 3);
    malzak_x_offset = 0;
    malzak_draw_picture();
    EXPECT_EQ(check_golden_frame("coinop_malzak"), "");
}

} // namespace
