// The coin-op frame: where the sprite engine puts the PVIs' sprites (plane
// cells and picture pixels), the collision latch and PVI status bits, the
// completion and vertical-blank interrupts, the processor's time per frame,
// and the save-state latches.
#include "core/frame.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "display/frame.h"
#include "input/paddles.h"
#include "machines/coinop.h"
#include "machines/coinop_video.h"
#include "machines/malzak.h"
#include "machines/pvi2636.h"
#include "machines/uvi2637.h"
#include "machines/zaccaria.h"
#include "sound/voice_update.h"
#include "tests/machines/coinop_roms.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"
#include "tests/support/state_load.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Cell = std::pair<int, int>; // raster line, board x

constexpr u8 EMPTY[10] = {};
constexpr u8 FULL[10] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

u32 pvi_at(u32 p) {
    return coinop_first_pvi() + 256 * p;
}

// Sprite n of PVI p: shape rows, HC, VC, size code and colour.
void put_sprite(u32 p, int n, const u8 rows[10], u8 hc, u8 vc, u8 size = 0, u8 colour = 0) {
    const u32 block = pvi_at(p) + pvi_object_block[n];
    std::memcpy(guest_memory + block, rows, 10);
    guest_memory[block + 10] = hc;
    guest_memory[block + 12] = vc;
    u8& sizes = guest_memory[pvi_at(p) + PVI_SIZES];
    sizes = static_cast<u8>((sizes & ~(3u << (2 * n))) | size << (2 * n));
    u8& colours = guest_memory[pvi_at(p) + (n < 2 ? PVI_SPR01COLOURS : PVI_SPR23COLOURS)];
    const u32 shift = n % 2 == 0 ? 3 : 0;
    colours = static_cast<u8>((colours & ~(7u << shift)) | colour << shift);
}

// Every cell of PVI p's plane that carries `bit`.
std::vector<Cell> marked(u32 p, u8 bit) {
    std::vector<Cell> cells;
    for (u32 i = 0; i < COINOP_PLANE_SIZE; i++)
        if (coinop_collision_planes[p][i] & bit)
            cells.emplace_back(static_cast<int>(i / 256), static_cast<int>(i % 256));
    return cells;
}

// A status register and its three copies agree; their value.
u8 status(u32 p, u32 offset) {
    const u8 v = guest_memory[pvi_at(p) + offset];
    for (u32 copy = 1; copy < 4; copy++)
        EXPECT_EQ(guest_memory[pvi_at(p) + offset + 0x10 * copy], v)
            << "PVI " << p << " copy " << copy << " of $" << std::hex << offset;
    return v;
}

class CoinopFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output();
        collisions = 1;
        sprite_mode = 2;
        loginterrupts = 0;
    }
    void TearDown() override { fresh_state(); }

    static void go(int map) {
        ASSERT_TRUE(machine_switch(map <= 25 ? ZACCARIA : MALZAK, map, true, true, false));
    }
    // The board without its ROMs: a loop at $0000, RETE at both vectors.
    static void boot(int map) {
        go(map);
        static const u8 loop[] = {0x1B, 0x7E, 0x00, 0x37, 0, 0, 0, 0, 0, 0, 0x37};
        std::memcpy(guest_memory, loop, sizeof loop);
        machine_reset();
    }
    // The sprite lines of a frame without the processor, the playfield planes
    // marked by `mark` first.
    static void run_engine(const std::function<void()>& mark = {}) {
        std::memset(coinop_collision_planes, 0, sizeof coinop_collision_planes);
        if (mark) mark();
        coinop_sprites_frame_reset();
        for (raster_line = 0; raster_line < COINOP_VBLANK_LINE; raster_line++)
            coinop_sprites_line();
    }
};

// ---- where sprites go ---------------------------------------------------------------

// A Galaxia sprite at HC 255 (x 256) is never drawn but still completes.
TEST_F(CoinopFrame, EachBoardPlacesASpriteFromItsHcAndVc) {
    const struct {
        int map;
        u8 hc, vc, offset_byte;
        std::vector<Cell> cells;
    } cases[] = {
        {22, 40, 255, 0, {{2, 41 * 4 / 3}}},
        {22, 40, 99, 0, {{102, 41 * 4 / 3}}},
        {23, 40, 255, 0, {{2, 29}}},
        {23, 12, 99, 0, {{102, 1}}},
        {23, 255, 99, 0, {}},
        {24, 40, 255, 0, {{0, 36}}},
        {25, 40, 99, 0, {{100, 36}}},
        {26, 40, 99, 0, {{100, 37}}},
        {26, 40, 99, 6, {{100, 105}}},
    };
    const u8 dot[10] = {0x80};
    for (const auto& c : cases) {
        boot(c.map);
        put_sprite(0, 0, dot, c.hc, c.vc);
        guest_memory[0x100A] = c.offset_byte;
        emu_run_frame();
        const std::string where = "map " + std::to_string(c.map) + " HC " + std::to_string(c.hc) +
                                  " VC " + std::to_string(c.vc);
        EXPECT_EQ(marked(0, 0x10), c.cells) << where;
        EXPECT_EQ(status(0, PVI_BGCOLLIDE) & 0x08, 0x08) << where;
    }
}

// Scale s stretches each bit to s columns and each row to s lines; the sprite
// shows once, completes on its last line and sets its BGCOLLIDE bit.
TEST_F(CoinopFrame, ScaledSpritesShowOnceAndCompleteOnTheirLastLine) {
    const u8 edges[10] = {0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81};
    const struct {
        u32 pvi;
        int n;
        u8 size, vc;
        bool completes;
    } cases[] = {
        {0, 0, 0, 49, true}, {0, 1, 1, 49, true},   {1, 2, 2, 49, true},
        {2, 3, 3, 49, true}, {0, 0, 3, 249, false}, {1, 1, 2, 219, true},
    };
    loginterrupts = 1;
    for (const auto& c : cases) {
        boot(24);
        put_sprite(c.pvi, c.n, edges, 104, c.vc, c.size);
        OutputCapture out;
        emu_run_frame();
        const int scale = 1 << c.size, start = c.vc + 1, x = 100;
        std::vector<Cell> want;
        for (int line = start; line < start + 10 * scale && line < COINOP_VBLANK_LINE; line++) {
            for (int k = 0; k < scale; k++)
                want.emplace_back(line, x + k);
            for (int k = 0; k < scale; k++)
                want.emplace_back(line, x + 7 * scale + k);
        }
        const std::string where = "PVI " + std::to_string(c.pvi) + " sprite " +
                                  std::to_string(c.n) + " size " + std::to_string(c.size);
        EXPECT_EQ(marked(c.pvi, static_cast<u8>(0x10 << c.n)), want) << where;
        const u8 done = static_cast<u8>(0x08 >> c.n);
        EXPECT_EQ(status(c.pvi, PVI_BGCOLLIDE) & done, c.completes ? done : 0) << where;
        const std::string message = "sprite #" + std::to_string(4 * c.pvi + c.n) +
                                    " display complete interrupt at rastline " +
                                    std::to_string(start + 10 * scale - 1) + ".\n";
        EXPECT_EQ(out.text().find(message) != std::string::npos, c.completes) << where << "\n"
                                                                              << out.text();
    }
}

// Astro Wars draws one more pixel after bits 2 and 5 of a row: eight plane
// cells, ten picture columns.
TEST_F(CoinopFrame, AstroWarsRowsCoverTenColumns) {
    const struct {
        u8 row;
        std::vector<int> cells, columns;
    } cases[] = {
        {0xFF, {40, 41, 42, 44, 45, 46, 48, 49}, {40, 41, 42, 43, 44, 45, 46, 47, 48, 49}},
        {0x24, {42, 46}, {42, 43, 46, 47}},
        {0xDB, {40, 41, 44, 45, 48, 49}, {40, 41, 44, 45, 48, 49}},
    };
    for (const auto& c : cases) {
        boot(22);
        const u8 rows[10] = {c.row};
        put_sprite(0, 0, rows, 29, 99); // x 30, stretched to 40; line 102
        std::memset(guest_frame, 7, sizeof guest_frame);
        emu_run_frame();
        std::vector<int> cells, columns;
        for (const Cell& cell : marked(0, 0x10)) {
            EXPECT_EQ(cell.first, 102);
            cells.push_back(cell.second);
        }
        for (int x = 0; x < 240; x++)
            if (guest_frame[x * GUEST_FRAME_ROWS + 102 - 16] == 0) columns.push_back(x + 16);
        EXPECT_EQ(cells, c.cells) << "row $" << std::hex << int(c.row);
        EXPECT_EQ(columns, c.columns) << "row $" << std::hex << int(c.row);
    }
}

// ---- collisions ------------------------------------------------------------------

TEST_F(CoinopFrame, CollisionLatchAndStatusBitsPerBoard) {
    const auto playfield = [] {
        for (u32 i = 0; i < COINOP_PLANE_SIZE; i++)
            coinop_collision_planes[0][i] |= COINOP_PLANE_PLAYFIELD;
    };
    const auto shells = [] {
        for (u32 i = 0; i < COINOP_PLANE_SIZE; i++)
            coinop_collision_planes[0][i] |= COINOP_PLANE_SHELL;
    };
    struct Shown {
        u32 pvi;
        int n;
    };
    const struct {
        const char* what;
        int map;
        std::vector<Shown> sprites;
        std::function<void()> mark;
        u8 latch;
        std::vector<u8> bg, sprite; // BGCOLLIDE and SPRITECOLLIDE per PVI
    } cases[] = {
        {"Galaxia PVI 0 and 1", 23, {{0, 0}, {1, 0}}, {}, 0x01, {0x0F, 0x0F, 0x0F}, {0, 0, 0}},
        {"Galaxia PVI 1 and 2", 23, {{1, 3}, {2, 1}}, {}, 0x02, {0x0F, 0x0F, 0x0F}, {0, 0, 0}},
        {"Galaxia PVI 0 and 2", 23, {{0, 2}, {2, 2}}, {}, 0x04, {0x0F, 0x0F, 0x0F}, {0, 0, 0}},
        {"Galaxia pair in one PVI", 23, {{1, 0}, {1, 3}}, {}, 0, {0x0F, 0x0F, 0x0F}, {0, 0x08, 0}},
        {"Astro Wars playfield", 22, {{0, 0}}, playfield, 0x01, {0x8F}, {0}},
        {"Astro Wars shell", 22, {{0, 1}}, shells, 0x08, {0x0F}, {0}},
        {"Galaxia PVI 0 playfield", 23, {{0, 0}}, playfield, 0, {0x8F, 0x0F, 0x0F}, {0, 0, 0}},
        {"Galaxia PVI 1 playfield", 23, {{1, 1}}, playfield, 0x20, {0x0F, 0x4F, 0x0F}, {0, 0, 0}},
        {"Galaxia PVI 2 playfield", 23, {{2, 3}}, playfield, 0x40, {0x0F, 0x0F, 0x1F}, {0, 0, 0}},
        {"Laser Battle shell", 24, {{0, 0}}, shells, 0, {0x0F, 0x0F, 0x0F}, {0, 0, 0}},
        {"Laser Battle all four",
         24,
         {{2, 0}, {2, 1}, {2, 2}, {2, 3}},
         playfield,
         0,
         {0x0F, 0x0F, 0xFF},
         {0, 0, 0x3F}},
        {"Malzak playfield", 26, {{1, 2}}, playfield, 0, {0x0F, 0x2F}, {0, 0}},
    };
    for (const auto& c : cases) {
        go(c.map);
        for (u32 p = 0; p < coinop_pvi_count(); p++)
            for (int n = 0; n < 4; n++)
                put_sprite(p, n, EMPTY, 80, 100);
        for (const Shown& s : c.sprites)
            put_sprite(s.pvi, s.n, FULL, 80, 100);
        coinop_collision_latch = 0;
        run_engine(c.mark);
        EXPECT_EQ(coinop_collision_latch, c.latch) << c.what;
        for (u32 p = 0; p < coinop_pvi_count(); p++) {
            EXPECT_EQ(status(p, PVI_BGCOLLIDE), c.bg[p]) << c.what << ", PVI " << p;
            EXPECT_EQ(status(p, PVI_SPRITECOLLIDE), c.sprite[p]) << c.what << ", PVI " << p;
        }
    }
}

// Malzak's ship (sprite 0) on the playfield: the port-0 position and a frame
// of force feedback; the other sprites ask for none.
TEST_F(CoinopFrame, MalzakRemembersWhereTheShipHitThePlayfield) {
    go(26);
    malzak_x_offset = 0; // no frame has run on this board
    for (int n = 0; n < 4; n++)
        put_sprite(0, n, EMPTY, 80, 100);
    const u8 nose[10] = {0, 0, 0, 0x10};
    const auto playfield = [] {
        for (u32 x = 0; x < 256; x++)
            coinop_collision_planes[0][104 * 256 + x] |= COINOP_PLANE_PLAYFIELD;
    };
    put_sprite(0, 1, nose, 80, 100);
    rumble_request[0] = 0;
    run_engine(playfield);
    EXPECT_EQ(rumble_request[0], 0u);
    put_sprite(0, 0, nose, 80, 100);
    run_engine(playfield);
    EXPECT_EQ(rumble_request[0], 1u);
    EXPECT_EQ(malzak_last_line, 104);
    EXPECT_EQ(malzak_last_x, 80 - 3 + 3);
}

// With "collisions" off the pass does not run; with sprite mode 0 nothing is
// plotted. Completion bits and interrupts are the same in every case.
TEST_F(CoinopFrame, CollisionsOffAndInvisibleSprites) {
    const struct {
        u32 collide;
        i32 mode;
        u8 sprite_status, latch;
        bool plotted;
    } cases[] = {
        {1, 2, 0x40 | 0x20, 0x01, true},
        {0, 2, 0x40, 0, true},
        {1, 0, 0x40 | 0x20, 0x01, false},
    };
    loginterrupts = 1;
    for (const auto& c : cases) {
        boot(23);
        collisions = c.collide;
        sprite_mode = c.mode;
        put_sprite(0, 0, FULL, 80, 100, 0, 6); // colour 6: guest colour 0
        put_sprite(0, 1, FULL, 84, 100);
        put_sprite(1, 0, FULL, 82, 100);
        std::memset(guest_frame, 7, sizeof guest_frame);
        OutputCapture out;
        emu_run_frame();
        const std::string where =
            "collisions " + std::to_string(c.collide) + ", sprite mode " + std::to_string(c.mode);
        EXPECT_EQ(status(0, PVI_SPRITECOLLIDE), c.sprite_status) << where;
        EXPECT_EQ(status(0, PVI_BGCOLLIDE), 0x0F) << where;
        EXPECT_EQ(coinop_collision_latch, c.latch) << where;
        EXPECT_EQ(marked(0, 0x10).size(), 80u) << where;
        EXPECT_NE(out.text().find("sprite #4 display complete interrupt at rastline 112."),
                  std::string::npos)
            << where;
        bool white = false;
        for (u32 x = 0; x < 240; x++)
            white |= guest_frame[x * GUEST_FRAME_ROWS + 103 - 16] == 0;
        EXPECT_EQ(white, c.plotted) << where;
    }
}

// Malzak sprites on lines 0-10 mark their planes but are not plotted.
TEST_F(CoinopFrame, MalzakHidesTheFirstElevenLines) {
    const u8 bar[10] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    boot(26);
    put_sprite(0, 0, bar, 50, 255); // lines 0-9
    put_sprite(1, 3, bar, 90, 5);   // lines 6-15
    std::memset(guest_frame, 7, sizeof guest_frame);
    emu_run_frame();
    EXPECT_EQ(marked(0, 0x10).size(), 80u);
    for (int row = 0; row < 20; row++) {
        bool white = false;
        for (u32 x = 0; x < 240; x++)
            white |= guest_frame[x * GUEST_FRAME_ROWS + row] == 0;
        EXPECT_EQ(white, row >= 11 && row <= 15) << "row " << row;
    }
}

// ---- timing ------------------------------------------------------------------------

// 104 lines of 75 clock periods and 208 of 76 per frame, the overshoot of a
// slice carried into the next and the interrupts taken inside the budget;
// vertical blank on line 269.
TEST_F(CoinopFrame, FrameBudgetAndVerticalBlank) {
    // With interrupts inhibited (PPSU II), and taking every sprite's and the
    // vertical blank's interrupt (RETE at both vectors).
    static const u8 inhibited[] = {0x76, 0x20, 0x1B, 0x7E};
    static const u8 taking[] = {0x1B, 0x7E, 0x00, 0x37, 0, 0, 0, 0, 0, 0, 0x37};
    const struct {
        const u8* code;
        std::size_t size;
        const char* blank;
    } programs[] = {{inhibited, sizeof inhibited, "Pended vblank interrupt at rastline 269.\n"},
                    {taking, sizeof taking, "Generated vblank interrupt at rastline 269.\n"}};
    for (const auto& program : programs)
        for (int map : {22, 24, 26}) {
            go(map);
            std::memcpy(guest_memory, program.code, program.size);
            machine_reset();
            emu_run_frame();
            const u32 before = cpu_cycles;
            const i32 carried = cpu_cycle_budget;
            loginterrupts = 1;
            OutputCapture out;
            for (int f = 0; f < 10; f++)
                emu_run_frame();
            loginterrupts = 0;
            const std::string where = "map " + std::to_string(map) + ", " + program.blank;
            EXPECT_EQ(static_cast<long long>(cpu_cycles - before),
                      10 * 23608LL + carried - cpu_cycle_budget)
                << where;
            EXPECT_LE(cpu_cycle_budget, 0) << where;
            EXPECT_GT(cpu_cycle_budget, -12) << where;
            int blanks = 0;
            for (std::size_t at = out.text().find(program.blank); at != std::string::npos;
                 at = out.text().find(program.blank, at + 1))
                blanks++;
            EXPECT_EQ(blanks, 10) << where;
            int any = 0; // and no vertical blank on any other line
            for (std::size_t at = out.text().find("vblank"); at != std::string::npos;
                 at = out.text().find("vblank", at + 1))
                any++;
            EXPECT_EQ(any, 10) << where;
        }
}

// The vertical blank sets every PVI's status bit 6, and Sense; on Astro Wars
// and Galaxia Sense only with bit 7 of the DIP byte.
TEST_F(CoinopFrame, SenseFollowsTheDipSwitchOnAstroWarsAndGalaxia) {
    const struct {
        int map;
        u8 dips;
        bool sense;
    } cases[] = {{22, 0x8F, true},  {22, 0x0F, false}, {23, 0x80, true},
                 {23, 0x7F, false}, {24, 0x00, true},  {26, 0x00, true}};
    for (const auto& c : cases) {
        boot(c.map);
        dips_astrowars = dips_galaxia = c.dips;
        emu_run_frame();
        EXPECT_EQ((cpu_psu & PSU_S) != 0, c.sense) << "map " << c.map << " dips " << int(c.dips);
        for (u32 p = 0; p < coinop_pvi_count(); p++) // every PVI's vertical-blank bit
            EXPECT_EQ(status(p, PVI_SPRITECOLLIDE) & 0x40, 0x40) << "map " << c.map << " PVI " << p;
    }
}

// Galaxia's shot tone falls from where port 257 started it; the siren cycles.
TEST_F(CoinopFrame, GalaxiaSoundCountersStepEachFrame) {
    boot(23);
    coinop_io_write(257, 0x09); // shot on, siren on
    EXPECT_EQ(galaxia_shot_counter, 255);
    EXPECT_EQ(galaxia_cycle_counter, 1);
    const u8 shot[] = {247, 239, 231};
    const u32 siren[] = {2, 3, 4};
    for (int f = 0; f < 3; f++) {
        emu_run_frame();
        EXPECT_EQ(galaxia_tone_a, shot[f]) << "frame " << f;
        EXPECT_EQ(galaxia_tone_b, siren[f]) << "frame " << f;
    }
    galaxia_cycle_counter = 12;
    galaxia_shot_counter = 5;
    emu_run_frame();
    EXPECT_EQ(galaxia_tone_b, 1u);
    EXPECT_EQ(galaxia_tone_a, 0);
    coinop_io_write(257, 0x00); // both off
    emu_run_frame();
    emu_run_frame();
    EXPECT_EQ(galaxia_tone_a, 0);
    EXPECT_EQ(galaxia_tone_b, 0u);
}

// ---- save states -------------------------------------------------------------------

class CoinopStates : public CoinopFrame {
  protected:
    void SetUp() override {
        CoinopFrame::SetUp();
        home_ = std::make_unique<TempHome>("coinop_states");
    }
    void TearDown() override {
        home_.reset();
        CoinopFrame::TearDown();
    }
    const fs::path& home() const { return home_->path(); }
    std::vector<u8> save() {
        std::snprintf(file_name_buffer, FILE_NAME_SIZE, "PROGDIR:coinop.cos");
        EXPECT_TRUE(state_save_file(FILE_KIND_COS, 0));
        const std::string t = test_read_file(home() / "coinop.cos");
        return std::vector<u8>(t.begin(), t.end());
    }

  private:
    std::unique_ptr<TempHome> home_;
};

TEST_F(CoinopStates, BoardLatchesRoundTripAndBadOnesAreRefused) {
    std::string error;
    // Laser Battle: every latch, the tone keys and the colour mode.
    go(24);
    laserbattle = {5, 2, 1, 0x9C, 17, 201, 3, 1, 0, 1, 1, 0, 2};
    coinop_effect_select = 1;
    tone_unit_word = 0x1ABCDEF;
    std::vector<u8> state = save();
    go(24);
    ASSERT_TRUE(test_state_load(state.data(), static_cast<u32>(state.size()), &error)) << error;
    const LaserBattleLatches& l = laserbattle;
    EXPECT_EQ(std::vector<int>({l.sprite_code, l.two_bits, l.sprite_enable, l.tone_data, l.sprite_x,
                                l.sprite_y, l.input_mux, l.right_line, l.left_line, l.single_point,
                                l.invert_right, l.invert_left, l.colour_mode}),
              std::vector<int>({5, 2, 1, 0x9C, 17, 201, 3, 1, 0, 1, 1, 0, 2}));
    EXPECT_EQ(coinop_effect_select, 1);
    EXPECT_EQ(tone_unit_word, 0x1ABCDEFu);
    state.back() = 2; // a line flag
    EXPECT_FALSE(test_state_load(state.data(), static_cast<u32>(state.size()), &error));

    // Astro Wars: scroll, collision latch, sound trigger.
    go(22);
    coinop_scroll = -7;
    coinop_collision_latch = 0x0B;
    galaxia_sound_latch = 0x06;
    state = save();
    go(22);
    ASSERT_TRUE(test_state_load(state.data(), static_cast<u32>(state.size()), &error)) << error;
    EXPECT_EQ(coinop_scroll, -7);
    EXPECT_EQ(coinop_collision_latch, 0x0B);
    EXPECT_EQ(galaxia_sound_latch, 0x06);
}

// Malzak 2: the scroll latches, the collision flag and the ROM bank, which
// brings its bank back into $0C00-$0FFF.
TEST_F(CoinopStates, MalzakBankComesBackWithTheState) {
    std::vector<u8> banks(6144);
    for (u32 i = 0; i < banks.size(); i++)
        banks[i] = static_cast<u8>(i / 1024 + 1);
    write_rom(home(), "malzak2_banks.bin", banks);
    go(27);
    ASSERT_EQ(guest_memory[0x0C00], 1);
    malzak_io_write(64, 0x40);
    ASSERT_EQ(guest_memory[0x0C00], 2);
    malzak_io_write(96, 0x37);
    malzak_io_write(192, 0x21);
    malzak_collision_flag = 0x90;
    std::vector<u8> state = save();
    go(27);
    ASSERT_EQ(guest_memory[0x0C00], 1);
    std::string error;
    ASSERT_TRUE(test_state_load(state.data(), static_cast<u32>(state.size()), &error)) << error;
    EXPECT_EQ(malzak_bank_a, 1);
    EXPECT_EQ(guest_memory[0x0C00], 2);
    EXPECT_EQ(guest_memory[0x0FFF], 2);
    EXPECT_EQ(malzak_scroll, 0x37);
    EXPECT_EQ(malzak_v_scroll, 0x21);
    EXPECT_EQ(malzak_collision_flag, 0x90);
    state[state.size() - 2] = 2; // the bank
    EXPECT_FALSE(test_state_load(state.data(), static_cast<u32>(state.size()), &error));
}

} // namespace
