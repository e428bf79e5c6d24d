// Golden frames of the ball-and-paddle machine: whole games played for a
// number of frames from a fixed random seed with scripted controls, compared
// pixel by pixel with the pictures under tests/data/golden. Setting
// BRINDLEMOX_WRITE_GOLDEN=1 writes the pictures anew instead (look at them
// before committing them).
#include "core/emu.h"
#include "tests/support/checkout_paths.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/host.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "machines/pong.h"
#include "tests/support/fresh_state.h"
#include "tests/support/indexed_png.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// Player `player`'s key `key` is held over frames first..last.
struct Hold {
    int first, last, key, player = 0;
};

struct GoldenGame {
    const char* name;
    int map, variant, chip;
    u32 region;
    int frames;
    unsigned seed;
    i32 robot_left, robot_right;
    std::vector<Hold> holds;
    // The gun's pointer moves by (dx, dy) pixels every eight frames from (x, y).
    i32 gun_x, gun_y, gun_dx, gun_dy;
};

// A game shows as its name in test listings (not as a dump of its bytes).
void PrintTo(const GoldenGame& game, std::ostream* os) {
    *os << game.name;
}

const std::filesystem::path golden_dir = std::filesystem::path(test_data()) / "golden";

IndexedPicture current_picture() {
    IndexedPicture pic;
    pic.width = static_cast<u32>(machine_live[PONG].width);
    pic.height = static_cast<u32>(machine_live[PONG].height);
    for (u32 y = 0; y < pic.height; y++)
        for (u32 x = 0; x < pic.width; x++)
            pic.pixels.push_back(guest_frame[x * GUEST_FRAME_ROWS + y]);
    pic.palette.assign(palette_rgb[3], palette_rgb[3] + GUEST_COLOURS);
    return pic;
}

class PongGolden : public testing::TestWithParam<GoldenGame> {
  protected:
    void SetUp() override {
        fresh_state();
        pong = PongState{};
        colourset = 3; // the default colours
        retune = 0;
        pong_speed = 0;
        pong_angles = 1;
        pong_serving = 0;
        pong_players = 0;
        controller_left = controller_right = 3;
    }
    void TearDown() override {
        input_clear_key_matrix();
        robot_left = robot_right = 0;
    }
};

TEST_P(PongGolden, FrameMatchesTheGoldenPicture) {
    const GoldenGame& g = GetParam();
    pong_machine = g.chip;
    emu_region = g.region;
    pong_variant = g.variant;
    ASSERT_TRUE(machine_switch(PONG, static_cast<u32>(g.map), true, true, false));
    pong_variant = g.variant;
    robot_left = g.robot_left;
    robot_right = g.robot_right;
    std::srand(g.seed);
    machine_reset();
    for (int f = 0; f < g.frames; f++) {
        input_clear_key_matrix();
        for (const Hold& h : g.holds)
            if (f >= h.first && f <= h.last) host_key_set(player_keys[h.player][h.key] & 127);
        pong_pointer_x[0] = g.gun_x + f / 8 * g.gun_dx;
        pong_pointer_y[0] = g.gun_y + f / 8 * g.gun_dy;
        emu_run_frame();
    }
    const IndexedPicture got = current_picture();
    const std::filesystem::path file = golden_dir / (std::string("pong_") + g.name + ".png");
    if (std::getenv("BRINDLEMOX_WRITE_GOLDEN")) {
        std::filesystem::create_directories(golden_dir);
        ASSERT_EQ(png_write_indexed(file, got), "");
        GTEST_SKIP() << "wrote " << file;
    }
    IndexedPicture want;
    ASSERT_EQ(png_read_indexed(file, &want), "") << file;
    ASSERT_EQ(want.width, got.width);
    ASSERT_EQ(want.height, got.height);
    int differ = 0, first_x = -1, first_y = -1;
    for (u32 y = 0; y < got.height; y++)
        for (u32 x = 0; x < got.width; x++)
            if (want.pixels[y * got.width + x] != got.pixels[y * got.width + x] && differ++ == 0) {
                first_x = static_cast<int>(x);
                first_y = static_cast<int>(y);
            }
    EXPECT_EQ(differ, 0) << "first differing pixel at (" << first_x << ", " << first_y << ")";
}

const GoldenGame games[] = {
    // Tennis on the 1977 chip, two robots rallying.
    {"tennis_robots", 28, 0, 1, 0, 600, 7, 3, 2, {}, 0, 0, 0, 0},
    // Squash at 50 Hz: the player holds up, then down, against a robot.
    {"squash_50hz", 28, 3, 2, 1, 420, 11, 0, 3, {{0, 40, GK_UP}, {120, 200, GK_DOWN}}, 0, 0, 0, 0},
    // Hockey on the AY-3-8600: four bats a side, robots on both.
    {"hockey", 29, 8, 2, 0, 500, 3, 2, 4, {}, 0, 0, 0, 0},
    // Gridball at 50 Hz: both players ask for the serve; the grids scroll with
    // the paddles.
    {"gridball_50hz",
     29,
     12,
     2,
     1,
     300,
     5,
     0,
     0,
     {{0, 299, GK_FIRE1}, {0, 299, GK_FIRE1, 1}, {10, 90, GK_DOWN}, {30, 60, GK_UP, 1}},
     0,
     0,
     0,
     0},
    // Shooting gallery: the cross follows the pointer and fires.
    {"target", 29, 15, 2, 0, 240, 9, 0, 0, {{100, 104, GK_FIRE1}}, 20, 40, 2, 3},
};

INSTANTIATE_TEST_SUITE_P(Games, PongGolden, testing::ValuesIn(games),
                         [](const testing::TestParamInfo<GoldenGame>& info) {
                             return std::string(info.param.name);
                         });

// ---- The picture files themselves -----------------------------------------------

TEST(IndexedPng, WrittenPictureReadsBackExactly) {
    IndexedPicture pic;
    pic.width = 37;
    pic.height = 11;
    for (u32 i = 0; i < pic.width * pic.height; i++)
        pic.pixels.push_back(static_cast<u8>((i * 7 + i / 37) % 24));
    pic.palette.assign(palette_rgb[0], palette_rgb[0] + GUEST_COLOURS);
    const auto file = std::filesystem::temp_directory_path() /
                      ("brindlemox_png_" + std::to_string(::getpid()) + ".png");
    ASSERT_EQ(png_write_indexed(file, pic), "");
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".part"));
    IndexedPicture back;
    ASSERT_EQ(png_read_indexed(file, &back), "");
    EXPECT_EQ(back.width, pic.width);
    EXPECT_EQ(back.height, pic.height);
    EXPECT_EQ(back.pixels, pic.pixels);
    EXPECT_EQ(back.palette, pic.palette);
    std::filesystem::remove(file);
}

TEST(IndexedPng, DamagedFilesAreNamedNotRead) {
    IndexedPicture pic;
    pic.width = pic.height = 4;
    pic.pixels.assign(16, 1);
    pic.palette = {0, 0xFFFFFF};
    const auto file = std::filesystem::temp_directory_path() /
                      ("brindlemox_pngd_" + std::to_string(::getpid()) + ".png");
    ASSERT_EQ(png_write_indexed(file, pic), "");
    std::vector<u8> good;
    {
        IndexedPicture tmp;
        ASSERT_EQ(png_read_indexed(file, &tmp), "");
        FILE* f = std::fopen(file.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        int c;
        while ((c = std::fgetc(f)) != EOF)
            good.push_back(static_cast<u8>(c));
        std::fclose(f);
    }
    std::filesystem::remove(file);
    struct Case {
        const char* what;
        std::size_t at;
        int delta; // added to the byte at `at`; -1000 cuts the file there
        const char* message;
    } cases[] = {
        {"signature", 1, 1, "not a PNG file"},
        {"header byte", 8 + 8 + 9, 1, "chunk checksum wrong"},
        {"cut in a chunk", 40, -1000, "chunk cut short"},
        {"chunk length", 8, 0x40, "chunk longer than the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<u8> bad = good;
        if (c.delta == -1000)
            bad.resize(c.at);
        else
            bad[c.at] = static_cast<u8>(bad[c.at] + c.delta);
        IndexedPicture out;
        out.width = 99;
        EXPECT_EQ(png_decode_indexed(bad, &out), c.message);
        EXPECT_EQ(out.width, 99u) << "a failed read leaves the picture alone";
    }
    // A pixel index beyond the palette is refused on writing.
    pic.pixels[5] = 2;
    EXPECT_EQ(png_write_indexed(file, pic), "pixel index beyond the palette");
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
