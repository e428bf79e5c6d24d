// The coin-op boards run whole: small programs of ours in synthetic ROM files
// set up the playfield, the PVIs' sprites and the board latches, then move
// something every frame and read the inputs; the frames run through the frame
// dispatch, so the playfield, the sprite engine, the collision pass and the
// ports meet as they do in the program. Golden frames compare the pictures
// pixel by pixel with reviewed files in tests/data/frames
// (BRINDLEMOX_WRITE_FRAMES=1 writes them anew; look at them before committing).
#include "core/frame.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/frame.h"
#include "input/keys.h"
#include "machines/coinop.h"
#include "machines/coinop_playfield.h"
#include "machines/coinop_video.h"
#include "machines/malzak.h"
#include "machines/pvi2636.h"
#include "machines/uvi2637.h"
#include "machines/zaccaria.h"
#include "tests/machines/coinop_roms.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Just enough of a 2650 assembler for the programs below. Code starts at
// $0400, clear of the bytes the trainer options patch; $0000 jumps there.
// Data addresses lie in the first page ($0000-$1FFF).
class Asm {
  public:
    enum Cond : u8 { EQ = 0, GT = 1, LT = 2, UN = 3 };
    Asm() : code_(0x400, 0) {
        code_[0] = 0x1F; // BCTA,UN $0400
        code_[1] = 0x04;
    }
    u32 here() const { return static_cast<u32>(code_.size()); }

    void lodi(int r, u8 v) { put({static_cast<u8>(0x04 | r), v}); }
    void lodz(int r) { put({static_cast<u8>(0x00 | r)}); }
    void addi(int r, u8 v) { put({static_cast<u8>(0x84 | r), v}); }
    void andi(int r, u8 v) { put({static_cast<u8>(0x44 | r), v}); }
    void eori(int r, u8 v) { put({static_cast<u8>(0x24 | r), v}); }
    void tmi(int r, u8 v) { put({static_cast<u8>(0xF4 | r), v}); }
    void loda(int r, u32 a) { absolute(static_cast<u8>(0x0C | r), a, 0); }
    void stra(int r, u32 a) { absolute(static_cast<u8>(0xCC | r), a, 0); }
    // R0 to a + R1 (indexed).
    void stra_x1(u32 a) { absolute(0xCD, a, 0x60); }
    // R0 from a + R1 (indexed).
    void loda_x1(u32 a) { absolute(0x0D, a, 0x60); }
    void rede(int r, u8 port) { put({static_cast<u8>(0x54 | r), port}); }
    void wrte(int r, u8 port) { put({static_cast<u8>(0xD4 | r), port}); }
    void redc(int r) { put({static_cast<u8>(0x30 | r)}); } // port 256
    void redd(int r) { put({static_cast<u8>(0x70 | r)}); } // port 257
    void ppsu(u8 v) { put({0x76, v}); }
    void cpsu(u8 v) { put({0x74, v}); }
    void tpsu(u8 v) { put({0xB4, v}); }
    void bcta(Cond c, u32 a) { branch(static_cast<u8>(0x1C | c), a); }
    void bcfa(Cond c, u32 a) { branch(static_cast<u8>(0x9C | c), a); }
    void bira(int r, u32 a) { branch(static_cast<u8>(0xDC | r), a); }
    // A forward branch whose target is set later by land().
    u32 bcfa_forward(Cond c) {
        bcfa(c, 0);
        return here() - 2;
    }
    u32 bcta_forward(Cond c) {
        bcta(c, 0);
        return here() - 2;
    }
    void land(u32 at) {
        code_[at] = static_cast<u8>(here() >> 8);
        code_[at + 1] = static_cast<u8>(here());
    }

    void store(u32 a, u8 v) {
        lodi(0, v);
        stra(0, a);
    }
    void out(u8 port, u8 v) {
        lodi(0, v);
        wrte(0, port);
    }
    // Bytes a to a + 255: R0 = (R1 AND mask) XOR flip for R1 = 0 to 255.
    void fill_page(u32 a, u8 mask, u8 flip) {
        lodi(1, 0);
        const u32 loop = here();
        lodz(1);
        andi(0, mask);
        eori(0, flip);
        stra_x1(a);
        bira(1, loop);
    }
    // The 256 bytes at `from` to `to`.
    void copy_page(u32 from, u32 to) {
        lodi(1, 0);
        const u32 loop = here();
        loda_x1(from);
        stra_x1(to);
        bira(1, loop);
    }
    // Bytes laid into the image at `at` (a table the program reads).
    void data(u32 at, const std::vector<u8>& bytes) {
        if (tables_.size() < at + bytes.size()) tables_.resize(at + bytes.size());
        std::copy(bytes.begin(), bytes.end(), tables_.begin() + at);
        table_used_.push_back({at, static_cast<u32>(bytes.size())});
    }
    // Sprite n of the PVI at `base`: ten shape rows, HC and VC.
    void sprite(u32 base, int n, const u8 rows[10], u8 hc, u8 vc) {
        const u32 block = base + pvi_object_block[n];
        for (u32 r = 0; r < 10; r++)
            store(block + r, rows[r]);
        store(block + 10, hc);
        store(block + 12, vc);
    }
    // Until Sense (vertical blank) is set, then until the next frame clears it.
    void wait_blank() {
        const u32 set = here();
        tpsu(0x80);
        bcfa(EQ, set);
    }
    void wait_frame() {
        const u32 clear = here();
        tpsu(0x80);
        bcta(EQ, clear);
    }
    // A byte plus `step` each frame.
    void step(u32 a, u8 step) {
        loda(0, a);
        addi(0, step);
        stra(0, a);
    }

    std::vector<u8> image(std::size_t size) const {
        std::vector<u8> bytes = code_;
        bytes.resize(size, 0);
        for (const auto& t : table_used_) {
            EXPECT_GE(t.first, code_.size()) << "a table over the code";
            std::copy(tables_.begin() + t.first, tables_.begin() + t.first + t.second,
                      bytes.begin() + t.first);
        }
        EXPECT_LE(code_.size(), size);
        return bytes;
    }

  private:
    void put(std::initializer_list<u8> bytes) { code_.insert(code_.end(), bytes); }
    void absolute(u8 op, u32 a, u8 index) {
        put({op, static_cast<u8>(index | ((a >> 8) & 0x1F)), static_cast<u8>(a)});
    }
    void branch(u8 op, u32 a) { put({op, static_cast<u8>((a >> 8) & 0x7F), static_cast<u8>(a)}); }
    std::vector<u8> code_, tables_;
    std::vector<std::pair<u32, u32>> table_used_;
};

// Character shapes by code: 1 a cross, 2 a frame, 3 a wedge, 0 nothing.
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

constexpr u8 SHIP[10] = {0x18, 0x18, 0x3C, 0x7E, 0xFF, 0xFF, 0xDB, 0x99, 0x18, 0x3C};
constexpr u8 RING[10] = {0x3C, 0x42, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0x42, 0x3C};
constexpr u8 BLOCK[10] = {0xFF, 0x81, 0xBD, 0xA5, 0xA5, 0xA5, 0xA5, 0xBD, 0x81, 0xFF};
constexpr u8 DOT[10] = {0x80};

class CoinopBoard : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output(); // some ROM files are missing
        collisions = 1;
        sprite_mode = 2;
        controller_left = controller_right = 0; // keyboards
        autofire_left = autofire_right = 0;
        home_ = std::make_unique<TempHome>("coinop_board");
    }
    void TearDown() override {
        input_clear_key_matrix();
        home_.reset();
        fresh_state();
    }
    const fs::path& home() const { return home_->path(); }

    // Switches to the board and runs `frames` frames, the first fire key held
    // from frame `fire_from` on.
    static void run(int map, int frames, int fire_from) {
        ASSERT_TRUE(machine_switch(map <= 25 ? ZACCARIA : MALZAK, map, true, true, false));
        machine_reset();
        for (int f = 0; f < frames; f++) {
            if (f == fire_from) host_key_set(player_keys[0][GK_FIRE1]);
            emu_run_frame();
        }
        host_key_clear(player_keys[0][GK_FIRE1]);
    }

  private:
    std::unique_ptr<TempHome> home_;
};

// ---- where the playfield and the sprites meet -------------------------------------

// Laser Battle's processor reads its screen RAM back whatever FLAG says; the
// colour RAM belongs to Astro Wars and Galaxia.
TEST_F(CoinopBoard, LaserBattleReadsItsScreenRamBack) {
    for (u8 psu : {u8{0x00}, u8{0x40}}) {
        Asm a;
        a.ppsu(0x20);
        a.cpsu(0x40);
        a.ppsu(psu);
        a.store(0x1850, 0x5A);
        a.loda(0, 0x1850);
        a.addi(0, 1);
        a.stra(0, 0x1851);
        const u32 end = a.here();
        a.bcta(Asm::UN, end);
        write_rom(home(), "laserbattle.bin", a.image(20480));
        run(24, 1, -1);
        EXPECT_EQ(guest_memory[0x1851], 0x5B) << "PSU $" << std::hex << int(psu);
    }
}

// Programs that plant a one-pixel sprite of one PVI on a playfield pixel, on
// a shell or on nothing, and read the latch back through port 256 in the
// vertical blank (having cleared it through port 257 a frame before).
TEST_F(CoinopBoard, ProgramsSeeTheirSpritesHitThePlayfieldAndShells) {
    std::vector<u8> chars(2048);
    for (u32 line = 0; line < 8; line++)
        chars[8 * 20 + line] = 0xFF; // code 20: solid (Galaxia: colour 6 in group 0)
    write_rom(home(), "galaxia_chars.bin", chars);
    write_rom(home(), "astrowars_chars.bin", chars);
    // Tile row 12, column 15: picture (120-127, 80-87), raster lines 96-103,
    // board x 136-143. The shell of row 150 at s = 100: picture (145-148,
    // 150), raster line 166. Galaxia: x = HC - 11; Astro Wars: x = (HC + 1)
    // x 4 / 3; both start on line VC + 3.
    const struct {
        const char* what;
        int map;
        u32 pvi;
        u8 hc, vc;
        u8 latch; // what the program reads after the second frame
    } cases[] = {
        {"Galaxia PVI 1 on the playfield", 23, 1, 150, 95, 0x20},
        {"Galaxia PVI 2 on the playfield", 23, 2, 150, 95, 0x40},
        {"Galaxia PVI 0 on the playfield", 23, 0, 150, 95, 0x00},
        {"Galaxia PVI 0 on a shell", 23, 0, 172, 163, 0x08},
        {"Galaxia sprite on nothing", 23, 1, 150, 40, 0x00},
        {"Galaxia sprite beside the tile", 23, 1, 146, 95, 0x00},
        // Astro Wars: bit 1 for the shell drawn over blank (not colour 0).
        {"Astro Wars on the playfield", 22, 0, 102, 95, 0x03},
        {"Astro Wars on a shell", 22, 0, 120, 163, 0x0A},
        {"Astro Wars sprite on nothing", 22, 0, 102, 40, 0x02},
    };
    for (const auto& c : cases) {
        const bool galaxia = c.map == 23;
        Asm a;
        a.ppsu(0x20); // interrupts inhibited, FLAG low: Astro Wars's shells
        a.store((galaxia ? 0x1400 : 0x1C00) + 158, 100);
        a.ppsu(0x40); // FLAG high: the screen RAM
        a.store(0x1800 + 32 * 12 + 15, 20);
        for (u32 p = 0; p < (galaxia ? 3u : 1u); p++)
            for (int n = 0; n < 4; n++)
                a.store(0x1500 + 0x100 * p + pvi_object_block[n] + 12, 250); // off
        a.sprite(0x1500 + 0x100 * c.pvi, 0, DOT, c.hc, c.vc);
        a.wait_blank();
        a.redd(0); // the latch from before the sprites were placed
        a.wait_frame();
        a.wait_blank();
        a.redc(0);
        a.stra(0, 0x14FF);
        const u32 end = a.here();
        a.bcta(Asm::UN, end);
        write_rom(home(), galaxia ? "galaxia.bin" : "astrowars.bin", a.image(10240));
        run(c.map, 3, -1);
        EXPECT_EQ(guest_memory[0x14FF], c.latch) << c.what;
    }
}

// The board RAM beside guest memory belongs to the game set up: colours,
// palette, effect lines and scroll of an earlier game are gone.
TEST_F(CoinopBoard, SetUpClearsTheBoardRamOfAnEarlierGame) {
    const struct {
        int map;
        u8 stale_colour; // never shown by this game's first frame
    } cases[] = {{23, 0}, {24, 3}, {22, 0}};
    for (const auto& c : cases) {
        Asm a;
        a.ppsu(0x20);
        if (c.map == 24) a.out(0, 0x74); // both lines on, colour mode 2: colour 3
        const u32 end = a.here();
        a.bcta(Asm::UN, end);
        write_rom(home(),
                  c.map == 24   ? "laserbattle.bin"
                  : c.map == 23 ? "galaxia.bin"
                                : "astrowars.bin",
                  a.image(c.map == 24 ? 20480 : 10240));
        std::memset(coinop_colour_ram, 0x02, sizeof coinop_colour_ram); // Galaxia: black
        std::memset(coinop_effect_ram, 0x7F, sizeof coinop_effect_ram); // lines everywhere
        std::memset(coinop_palette_ram, 0x33, sizeof coinop_palette_ram);
        coinop_scroll = 9;
        coinop_star_scroll = 77;
        run(c.map, 2, -1);
        u32 stale = 0;
        for (u32 x = 0; x < 240; x++)
            for (u32 y = 0; y < 240; y++)
                stale += guest_frame[x * GUEST_FRAME_ROWS + y] == c.stale_colour;
        EXPECT_EQ(stale, 0u) << "map " << c.map;
        EXPECT_EQ(coinop_palette_ram[5], 0) << "map " << c.map;
        EXPECT_EQ(coinop_scroll, 0) << "map " << c.map;
        if (c.map != 24) {
            EXPECT_EQ(coinop_star_scroll, 2u) << "map " << c.map;
        }
    }
}

// ---- golden frames ----------------------------------------------------------------

// Galaxia: tiles of both palette sets in colour, the scrolled band, shells,
// stars, a sprite of each PVI over them. Every frame the program moves the
// first sprite right, and while the fire button is held moves the second
// up; it shows the collision latch as the tile code at row 2, column 0.
TEST_F(CoinopBoard, GalaxiaGoldenFrame) {
    std::vector<u8> chars(2048);
    for (u32 code = 0; code < 128; code++)
        for (u32 line = 0; line < 8; line++) {
            chars[8 * code + line] = shape(code, line);
            chars[1024 + 8 * code + line] = (code / 4) % 2 && line >= 2 && line <= 5 ? 0x3C : 0;
        }
    write_rom(home(), "galaxia_chars.bin", chars);
    Asm a;
    a.ppsu(0x20);
    a.cpsu(0x40); // FLAG low: the colour RAM
    a.fill_page(0x1900, 0xFF, 0x00);
    a.fill_page(0x1A00, 0x3F, 0x15);
    a.ppsu(0x40); // FLAG high: the screen RAM
    a.fill_page(0x1900, 0x1F, 0x00);
    a.fill_page(0x1A00, 0x07, 0x10);
    a.out(0, 0xF8); // the band of columns 32-111 down by 7 lines
    for (u32 i = 30; i < 200; i += 17)
        a.store(0x1400 + i, static_cast<u8>(10 + i));
    a.sprite(0x1500, 0, SHIP, 40, 60);
    a.sprite(0x1600, 1, RING, 120, 150);
    a.sprite(0x1700, 2, BLOCK, 180, 100);
    a.store(0x1500 + PVI_SIZES, 0x01);
    a.store(0x1600 + PVI_SIZES, 0x08);
    a.store(0x1700 + PVI_SIZES, 0x10);
    a.store(0x1500 + PVI_SPR01COLOURS, 0x08);
    a.store(0x1600 + PVI_SPR01COLOURS, 0x03);
    a.store(0x1700 + PVI_SPR23COLOURS, 0x28);
    const u32 loop = a.here();
    a.wait_blank();
    a.step(0x1C81, 1); // frames counted
    a.step(0x1500 + 10, 3);
    a.rede(1, 0);
    a.tmi(1, 0x20);
    const u32 no_fire = a.bcfa_forward(Asm::EQ);
    a.step(0x1600 + pvi_object_block[1] + 12, 0xFE);
    a.land(no_fire);
    a.redc(0);
    a.stra(0, 0x1840);
    a.redd(0);
    a.wait_frame();
    a.bcta(Asm::UN, loop);
    write_rom(home(), "galaxia.bin", a.image(10240));
    // The ring (PVI 1) lies over the tiles; the latch read last shows it.
    run(23, 24, 12);
    EXPECT_GT(guest_memory[0x1C81], 12);
    EXPECT_EQ(guest_memory[0x1500 + 10], 40 + 3 * guest_memory[0x1C81]);
    EXPECT_EQ(guest_memory[0x1600 + pvi_object_block[1] + 12], 150 - 2 * 12)
        << "frames the program saw the fire button";
    EXPECT_EQ(guest_memory[0x1840] & 0x20, 0x20);
    EXPECT_EQ(check_golden_frame("coinop_galaxia_frame"), "");
}

// Laser Battle: tiles of three bit-planes over the two effect lines, the
// board's own sprite, and PVI sprites of all three PVIs. Every frame the
// program moves the board's sprite left (port 4 from a RAM copy); while
// button 1 is held (port 2 with multiplexer 0, active low) it moves the PVI 1
// sprite down.
TEST_F(CoinopBoard, LaserBattleGoldenFrame) {
    std::vector<u8> gfx(6144), sprites(2048);
    for (u32 code = 0; code < 256; code++)
        for (u32 line = 0; line < 8; line++) {
            gfx[8 * code + line] = shape(code, line);
            gfx[2048 + 8 * code + line] = code & 4 ? shape(code + 1, line) : 0;
            gfx[4096 + 8 * code + line] = code & 8 ? 0x18 : 0;
        }
    // Sprite code 3: a diamond of the three sprite colours.
    for (u32 y = 0; y < 32; y++)
        for (u32 x = 0; x < 32; x++) {
            const u32 d = (x < 16 ? 15 - x : x - 16) + (y < 16 ? 15 - y : y - 16);
            const u32 colour = d < 6 ? 3 : d < 11 ? 2 : d < 16 ? 1 : 0;
            sprites[256 * 3 + 8 * y + x / 4] |= static_cast<u8>(colour << (6 - 2 * (x % 4)));
        }
    write_rom(home(), "laserbattle_gfx.bin", gfx);
    write_rom(home(), "laserbattle_sprites.bin", sprites);
    Asm a;
    std::vector<u8> left(256), right(256);
    for (u32 row = 0; row < 256; row++) {
        left[row] = static_cast<u8>(row / 2);
        right[row] = static_cast<u8>(100 - row / 3);
    }
    a.data(0x1000, left);
    a.data(0x1100, right);
    constexpr u32 SPRITE_X = 0x1C80; // the program's copy of port 4
    a.ppsu(0x20);
    a.out(1, 0x11); // the effect RAM selected, the sprite off
    a.copy_page(0x1000, 0x1800);
    a.copy_page(0x1100, 0x1900);
    a.out(1, 0x60); // the screen RAM, sprite code 3 shown
    a.fill_page(0x1900, 0x3F, 0x40);
    a.fill_page(0x1A00, 0x1F, 0x88);
    a.out(0, 0x74); // both lines, colour mode 2
    a.store(SPRITE_X, 120);
    a.out(5, 120);
    a.out(6, 0x00); // input multiplexer 0
    a.sprite(0x1500, 0, SHIP, 60, 40);
    a.sprite(0x1600, 1, RING, 120, 60);
    a.sprite(0x1700, 3, BLOCK, 180, 170);
    a.store(0x1600 + PVI_SIZES, 0x04);
    a.store(0x1700 + PVI_SIZES, 0x40);
    a.store(0x1500 + PVI_SPR01COLOURS, 0x10);
    a.store(0x1600 + PVI_SPR01COLOURS, 0x01);
    a.store(0x1700 + PVI_SPR23COLOURS, 0x05);
    const u32 loop = a.here();
    a.wait_blank();
    a.step(0x1C81, 1);
    a.step(SPRITE_X, 2);
    a.wrte(0, 4);
    a.rede(1, 2);
    a.tmi(1, 0x10);
    const u32 released = a.bcta_forward(Asm::EQ);
    a.step(0x1600 + pvi_object_block[1] + 12, 3);
    a.land(released);
    a.wait_frame();
    a.bcta(Asm::UN, loop);
    write_rom(home(), "laserbattle.bin", a.image(20480));
    run(24, 20, 10);
    EXPECT_GT(guest_memory[0x1C81], 10);
    EXPECT_EQ(laserbattle.sprite_x, 120 + 2 * guest_memory[0x1C81]);
    EXPECT_EQ(guest_memory[0x1600 + pvi_object_block[1] + 12], 60 + 3 * 10);
    EXPECT_EQ(check_golden_frame("coinop_laserbattle_frame"), "");
}

// Malzak: the teletext page (colours, mosaics, double height, concealed and
// held characters) under tiles scrolled both ways, with the x offset of
// $100A = 6 moving tiles and sprites alike. Every frame the program moves a
// sprite right; while button 1 is held (port 128) it scrolls the tiles up.
// It keeps what port 0 says of the last object-on-playfield position.
TEST_F(CoinopBoard, MalzakGoldenFrame) {
    std::vector<u8> tiles(8192);
    for (u32 g = 0; g < 256; g++)
        for (u32 row = 0; row < 16; row++) {
            const u32 bits = g % 2 ? (row < 4 || row > 11 ? 0xFFFF : 0xC003) // a box
                                   : (0xFFFFu >> (16 - row)) & 0xFFFF;       // a wedge
            tiles[32 * g + 2 * row] = static_cast<u8>(bits);
            tiles[32 * g + 2 * row + 1] = static_cast<u8>(bits >> 8);
        }
    write_rom(home(), "malzak_tiles.bin", tiles);
    std::vector<u8> page(1024, ' ');
    auto text = [&](u32 t, u32 k, const std::vector<u8>& codes) {
        for (u8 c : codes)
            page[64 * t + k++] = c;
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
    text(12, 0, {17, 0x7F, 30, 2, 0x41, 30, 31, 30});
    Asm a;
    a.data(0x0C00, page);
    constexpr u32 V_SCROLL = 0x1FF1; // the program's copy of port 192
    a.ppsu(0x20);
    a.store(0x100A, 6);
    for (u32 p = 0; p < 4; p++)
        a.copy_page(0x0C00 + 0x100 * p, 0x1800 + 0x100 * p);
    // Tiles: a strip across the middle, a column and a few over the text;
    // the scroll latch picks the map column each write goes to.
    for (u32 c = 0; c < 16; c++) {
        a.out(96, static_cast<u8>(16 * c));
        a.store(0x1600 + 16 * 9, static_cast<u8>(c % 2 ? 37 : 1 + c));
        a.store(0x1600 + 16 * 10, static_cast<u8>(65 + c));
        a.store(0x1600 + 16 * 14, static_cast<u8>(c < 8 ? 197 : 236));
        if (c == 5) a.store(0x1600 + 16 * 1, 62);
    }
    a.out(96, 0x13);
    a.store(V_SCROLL, 3);
    a.out(192, 3);
    a.sprite(0x1400, 0, SHIP, 50, 120);
    a.sprite(0x1400, 1, RING, 100, 60);
    a.sprite(0x1500, 2, BLOCK, 60, 4); // partly in the hidden first lines
    a.store(0x1400 + PVI_SIZES, 0x04);
    a.store(0x1500 + PVI_SIZES, 0x20);
    a.store(0x1400 + PVI_SPR01COLOURS, 0x13);
    a.store(0x1500 + PVI_SPR23COLOURS, 0x28);
    const u32 loop = a.here();
    a.wait_blank();
    a.step(0x1FF0, 1);
    a.step(0x1400 + 10, 2);
    a.rede(0, 0);
    a.stra(0, 0x1FF2);
    a.rede(1, 128);
    a.tmi(1, 0x10);
    const u32 released = a.bcfa_forward(Asm::EQ);
    a.step(V_SCROLL, 2);
    a.wrte(0, 192);
    a.land(released);
    a.wait_frame();
    a.bcta(Asm::UN, loop);
    write_rom(home(), "malzak1.bin", a.image(8704));
    run(26, 20, 12);
    EXPECT_GT(guest_memory[0x1FF0], 8);
    EXPECT_EQ(guest_memory[0x1400 + 10], 50 + 2 * guest_memory[0x1FF0]);
    EXPECT_EQ(malzak_v_scroll, 3 + 2 * 8);
    // The ship (PVI 0 sprite 0) touches the strip of tiles every frame.
    EXPECT_EQ(malzak_collision_flag & 0x80, 0x80);
    EXPECT_NE(guest_memory[0x1FF2], 0);
    EXPECT_EQ(check_golden_frame("coinop_malzak_frame"), "");
}

} // namespace
