#include "core/guest_roms.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "app/shutdown.h"
#include "core/settings_vars.h"
#include "core/trainers.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "input/console_buttons.h"
#include "machines/coinop.h"
#include "machines/malzak.h"
#include "machines/zaccaria.h"
#include "platform/headless/gui_headless.h"
#include "sound/voice_update.h"
#include "tests/machines/coinop_roms.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A ROM image whose every byte tells its offset apart from its neighbours.
std::vector<u8> pattern(u32 size, u32 seed) {
    std::vector<u8> bytes(size);
    for (u32 i = 0; i < size; i++)
        bytes[i] = static_cast<u8>((i * 7 + i / 251 + seed) ^ (i >> 8));
    return bytes;
}

class Coinop : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output();
        guest_roms_reset_warnings();
    }
    void TearDown() override { fresh_state(); }
    static void go(int map) {
        ASSERT_TRUE(machine_switch(map <= 25 ? ZACCARIA : MALZAK, map, true, true, false));
    }
};

TEST_F(Coinop, ProgramRomsAreLaidOutPerGame) {
    TempHome home("coinop");
    struct Piece {
        u32 from, size, to;
    };
    const struct {
        int map;
        const char* name;
        u32 size;
        std::vector<Piece> pieces;
    } games[] = {
        {22, "astrowars.bin", 10240, {{0, 5120, 0x0000}, {5120, 5120, 0x2000}}},
        {23, "galaxia.bin", 10240, {{0, 5120, 0x0000}, {5120, 5120, 0x2000}}},
        {24,
         "laserbattle.bin",
         20480,
         {{0, 5120, 0x0000}, {5120, 5120, 0x2000}, {10240, 5120, 0x4000}, {15360, 5120, 0x6000}}},
        {25,
         "lazarian.bin",
         22528,
         {{0, 5120, 0x0000},
          {5120, 5120, 0x2000},
          {10240, 1024, 0x3800},
          {11264, 5120, 0x4000},
          {16384, 5120, 0x6000},
          {21504, 1024, 0x7800}}},
        {26, "malzak1.bin", 8704, {{0, 4096, 0x0000}, {4096, 2048, 0x2000}, {6144, 2560, 0x4000}}},
        {27,
         "malzak2.bin",
         8192,
         {{0, 3072, 0x0000}, {3072, 3072, 0x2000}, {6144, 1024, 0x4000}, {7168, 1024, 0x6000}}},
    };
    for (const auto& g : games) {
        SCOPED_TRACE(g.name);
        const std::vector<u8> image = pattern(g.size, static_cast<u32>(g.map));
        write_rom(home.path(), g.name, image);
        go(g.map);
        // The expected memory: the pieces laid in by hand, then the same
        // patches the set-up applies (Astro Wars's fix and the trainer bytes).
        const std::vector<u8> laid(guest_memory, guest_memory + 0x8000);
        for (const Piece& p : g.pieces)
            std::memcpy(guest_memory + p.to, image.data() + p.from, p.size);
        if (g.map == 22) guest_memory[0x2A00] = 0xA4, guest_memory[0x2A01] = 0x01;
        trainer_apply();
        u32 checked = 0;
        for (const Piece& p : g.pieces)
            for (u32 a = p.to; a < p.to + p.size; a++, checked++) {
                ASSERT_EQ(laid[a], guest_memory[a]) << std::hex << a;
                ASSERT_TRUE(mem_attributes[a] & MEM_UNWRITABLE) << std::hex << a;
            }
        EXPECT_EQ(checked, g.size);
        EXPECT_EQ(machine_live[machine].clocks_per_frame, 23608);
        EXPECT_EQ(line_clocks, 75);
    }
}

TEST_F(Coinop, MirrorsAndFlagsPerMap) {
    const struct {
        int map;
        u32 address, folds_to, flags;
    } cases[] = {
        {22, 0x3400, 0x1400, 0},
        {22, 0x7C00, 0x1C00, 0},
        {22, 0x6000, 0x6000, 0},
        {22, 0x1600, 0x1600, MEM_UNWRITABLE | MEM_UNREADABLE},
        {22, 0x1C80, 0x1C80, MEM_ROUTED | MEM_DEVICE},
        {23, 0x1450, 0x1450, MEM_DEVICE},
        {23, 0x1A00, 0x1A00, MEM_ROUTED | MEM_DEVICE},
        {24, 0x3800, 0x1800, 0},
        {24, 0x7FFF, 0x1FFF, 0},
        {24, 0x1480, 0x1480, MEM_UNWRITABLE},
        {25, 0x3800, 0x3800, MEM_UNWRITABLE},
        {25, 0x7BFF, 0x7BFF, MEM_UNWRITABLE},
        {25, 0x3C00, 0x1C00, 0},
        {26, 0x3234, 0x1234, 0},
        {26, 0x7F00, 0x1F00, 0},
        {26, 0x6800, 0x6800, MEM_UNWRITABLE},
        {27, 0x1650, 0x1650, MEM_ROUTED},
        {27, 0x14C7, 0x14C7, MEM_SOUND},
        {27, 0x15CA, 0x15CA, MEM_READ_ONCE | MEM_UNWRITABLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "map " << c.map << " $" << std::hex << c.address);
        go(c.map);
        EXPECT_EQ(mem_read_mirror[c.address], c.folds_to);
        EXPECT_EQ(mem_write_mirror[c.address], c.folds_to);
        EXPECT_EQ(mem_attributes[c.address] & c.flags, c.flags);
    }
}

TEST_F(Coinop, MissingAndWrongSizedRomsAreNamed) {
    TempHome home("coinop");
    write_rom(home.path(), "galaxia.bin", pattern(1000, 1));
    capture_output();
    go(23);
    const std::string text = captured_output();
    EXPECT_NE(text.find("galaxia.bin"), std::string::npos) << text;
    EXPECT_NE(text.find("10240 bytes"), std::string::npos) << text;
    EXPECT_NE(text.find("wrong size"), std::string::npos) << text;
    EXPECT_NE(text.find("galaxia_chars.bin"), std::string::npos) << text;
    EXPECT_NE(text.find("missing"), std::string::npos) << text;
    EXPECT_EQ(guest_memory[0x0000], 0); // the short image was not used
}

TEST_F(Coinop, RoutedBytesFollowTheFlag) {
    go(22);
    cpu_psu &= static_cast<u8>(~PSU_F);
    cpu_write_checked(0x1803, 0x55);
    EXPECT_EQ(coinop_colour_ram[3], 0x55);
    EXPECT_EQ(guest_memory[0x1803], 0);
    EXPECT_EQ(cpu_read_checked(0x1803), 0x55);
    cpu_psu |= PSU_F;
    cpu_write_checked(0x1803, 0x66);
    EXPECT_EQ(guest_memory[0x1803], 0x66);
    EXPECT_EQ(coinop_colour_ram[3], 0x55);
    cpu_write_checked(0x1C25, 0x09);
    EXPECT_EQ(coinop_palette_ram[5], 0x09);
    cpu_psu &= static_cast<u8>(~PSU_F);
    EXPECT_EQ(cpu_read_checked(0x1C05), 0x09);

    go(24);
    coinop_io_write(1, 0x10); // effect RAM selected
    cpu_write_checked(0x1A05, 0x77);
    EXPECT_EQ(coinop_effect_ram[0x005], 0x77);
    EXPECT_EQ(guest_memory[0x1A05], 0);
    coinop_io_write(1, 0x00);
    cpu_write_checked(0x1A05, 0x78);
    EXPECT_EQ(guest_memory[0x1A05], 0x78);

    go(26);
    coinop_io_write(0, 0); // not a Malzak port: nothing happens
    malzak_io_write(96, 0x37);
    cpu_write_checked(0x1612, 0xAB);
    EXPECT_EQ(malzak_playfield[0x31], 0xAB);
    EXPECT_EQ(guest_memory[0x1612], 0xAB);
}

TEST_F(Coinop, MalzakNvramSurvivesAndDefaults) {
    TempHome home("coinop");
    fs::create_directories(home.path() / "Configs");
    go(27);
    EXPECT_EQ(guest_memory[0x1776], 0x08);
    EXPECT_EQ(guest_memory[0x17FE], 0x05);
    EXPECT_EQ(guest_memory[0x14CC], 0xF0);
    for (u32 i = 0; i < 256; i++)
        guest_memory[0x1700 + i] = static_cast<u8>(i ^ 0x5A);
    guest_memory[0x14CC] = 0x70;
    go(26); // leaving Malzak 2 saves its RAM
    const fs::path file = home.path() / "Configs" / "Malzak2.nvr";
    ASSERT_EQ(fs::file_size(file), 257u);
    EXPECT_FALSE(fs::exists(file.string() + ".new"));
    go(27);
    for (u32 i = 0; i < 256; i++)
        ASSERT_EQ(guest_memory[0x1700 + i], static_cast<u8>(i ^ 0x5A));
    EXPECT_EQ(guest_memory[0x14CC], 0x70);

    // A short file: the unread part stays cleared, the test switch too.
    go(26);
    std::ofstream(file, std::ios::binary | std::ios::trunc).write("\x11\x22", 2);
    go(27);
    EXPECT_EQ(guest_memory[0x1700], 0x11);
    EXPECT_EQ(guest_memory[0x1701], 0x22);
    EXPECT_EQ(guest_memory[0x1776], 0x00);
    EXPECT_EQ(guest_memory[0x14CC], 0x00);
}

TEST_F(Coinop, MalzakBanksSwitchThroughPort64) {
    TempHome home("coinop");
    const std::vector<u8> banks = pattern(6144, 9);
    write_rom(home.path(), "malzak2_banks.bin", banks);
    go(27);
    EXPECT_EQ(0, std::memcmp(guest_memory + 0x0C00, banks.data(), 1024));
    EXPECT_EQ(0, std::memcmp(guest_memory + 0x4400, banks.data() + 4096, 1536));
    malzak_io_write(64, 0x40);
    EXPECT_EQ(0, std::memcmp(guest_memory + 0x0C00, banks.data() + 1024, 1024));
    malzak_io_write(64, 0x00);
    EXPECT_EQ(0, std::memcmp(guest_memory + 0x0C00, banks.data(), 1024));
}

} // namespace

namespace {

class CoinopPorts : public Coinop {};

TEST_F(CoinopPorts, ReadsPerGame) {
    dips_astrowars = 0x8F;
    dips_astrowars_2 = 0x05;
    dips_galaxia = 0x0C;
    dips_laserbattle = 0xB3;
    dips_lazarian_2 = 0xA1;
    dips_lazarian_3 = 0x02;
    const struct {
        int map;
        CoinopInputs inputs;
        u32 mux, port;
        u8 value;
    } cases[] = {
        // start1 start2 coinA coinB left right up down left2 right2 b1 b2 b3 b4
        {22, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, 0, 0, 0x29},
        {22, {}, 0, 172, 0x00},
        {23, {0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0, 172, 0x16},
        {22, {}, 0, 1, 255},
        {23, {}, 0, 5, 255},
        {22, {0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 2, 0x98},
        {23, {0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0}, 0, 2, 0x24},
        {22, {}, 0, 6, 0x0F},
        {22, {}, 0, 7, 0x05},
        {23, {}, 0, 7, 0x00},
        {24, {}, 0, 0, 0x00},
        {24, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0}, 0, 2, 0x6A},
        {24, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}, 0, 2, 0x9F},
        {24, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, 2, 191},
        {25, {}, 1, 2, 255},
        {24, {}, 2, 2, 0xB3},
        {25, {}, 2, 2, 0xA1},
        {24, {0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0}, 3, 2, 0x60},
        {25, {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}, 3, 2, 0x92},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "map " << c.map << " port " << c.port);
        go(c.map);
        coinop_inputs = c.inputs;
        coinop_io_write(6, static_cast<u8>(c.mux << 4));
        EXPECT_EQ(coinop_io_read(c.port), c.value);
        // Through the processor's port dispatch as well.
        EXPECT_EQ(cpu_bus.port_read(c.port), c.value);
    }
}

TEST_F(CoinopPorts, CollisionLatchClearsOnPort257) {
    go(23);
    coinop_collision_latch = 0x85;
    EXPECT_EQ(coinop_io_read(256), 0x85);
    EXPECT_EQ(coinop_io_read(257), 255);
    EXPECT_EQ(coinop_io_read(256), 0);
}

TEST_F(CoinopPorts, ScrollAndGalaxiaSoundCounters) {
    go(23);
    coinop_io_write(0, 0xF0);
    EXPECT_EQ(coinop_scroll, 15);
    coinop_io_write(0, 0xFF);
    EXPECT_EQ(coinop_scroll, 0);
    coinop_io_write(0, 0x00);
    EXPECT_EQ(coinop_scroll, -1);

    coinop_io_write(257, 0x09);
    EXPECT_EQ(galaxia_shot_counter, 255);
    EXPECT_EQ(galaxia_cycle_counter, 1);
    EXPECT_EQ(galaxia_sound_latch, 0x09);
    coinop_io_write(257, 0x00);
    EXPECT_EQ(galaxia_shot_counter, 0);
    EXPECT_EQ(galaxia_cycle_counter, 0);
}

TEST_F(CoinopPorts, LaserBattleLatches) {
    go(24);
    coinop_io_write(0, 0x52); // right line, single point, colour mode 2, invert right
    EXPECT_TRUE(laserbattle.right_line);
    EXPECT_FALSE(laserbattle.left_line);
    EXPECT_TRUE(laserbattle.single_point);
    EXPECT_EQ(laserbattle.colour_mode, 2);
    EXPECT_TRUE(laserbattle.invert_right);
    EXPECT_FALSE(laserbattle.invert_left);
    coinop_io_write(1, 0xB4);
    EXPECT_EQ(laserbattle.sprite_code, 5);
    EXPECT_EQ(coinop_effect_select, 1);
    EXPECT_EQ(laserbattle.two_bits, 2);
    EXPECT_TRUE(laserbattle.sprite_enable);
    coinop_io_write(4, 0x33);
    coinop_io_write(5, 0x44);
    EXPECT_EQ(laserbattle.sprite_x, 0x33);
    EXPECT_EQ(laserbattle.sprite_y, 0x44);

    // Tone keys: the data byte lands in the byte the select names.
    const struct {
        u8 data, select;
        u32 word;
    } tones[] = {
        {0x12, 0x14, 0x00000012},
        {0x34, 0x18, 0x00003412},
        {0x56, 0x1E, 0x01563412},
        {0x99, 0x10, 0x00563412}, // select %100 changes no byte; bit 1 clear drops bit 24
    };
    for (const auto& t : tones) {
        coinop_io_write(2, t.data);
        coinop_io_write(7, t.select);
        EXPECT_EQ(tone_unit_word, t.word) << std::hex << t.word;
    }
}

TEST_F(CoinopPorts, MalzakInputsAndCollisionPort) {
    go(26);
    coinop_inputs = {1, 0, 1, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(malzak_io_read(128), 0xB5);
    EXPECT_EQ(malzak_io_read(160), 0xB5);
    EXPECT_EQ(malzak_io_read(129), 0);
    EXPECT_EQ(malzak_io_read(0), 0); // no collision flag
    malzak_collision_flag = 0x80;
    malzak_last_line = 0x57;
    malzak_last_x = 0x30;
    malzak_io_write(96, 0x20);
    EXPECT_EQ(malzak_io_read(0), (0x57 & 0xF0) | (((0x20 + 0x30 + 32) & 255) >> 4));
    malzak_io_write(192, 0x12);
    EXPECT_EQ(malzak_v_scroll, 0x12);
}

// Auto-coin: coin A held for 5 frames when the credits are 0 or 1, then a
// pause of 100 (Astro Wars, Galaxia) or 10 frames before the next look.
TEST_F(Coinop, AutoCoinTiming) {
    const struct {
        int map;
        u32 credit_address;
        i32 pause;
    } games[] = {{22, 0x150E, 100}, {23, 0x1D22, 100}, {24, 0x1C7D, 10}, {25, 0x1F00, 10}};
    for (const auto& g : games) {
        SCOPED_TRACE(g.map);
        go(g.map);
        console_hold[2] = 0;
        guest_memory[g.credit_address] = 2;
        coinop_auto_coin();
        EXPECT_EQ(console_hold[2], 0);
        guest_memory[g.credit_address] = 1;
        coinop_auto_coin();
        EXPECT_EQ(console_hold[2], 5);
        console_hold[2] = 0;
        guest_memory[g.credit_address] = 0;
        for (i32 f = 0; f < g.pause; f++) {
            coinop_auto_coin();
            ASSERT_EQ(console_hold[2], 0) << f;
        }
        coinop_auto_coin();
        EXPECT_EQ(console_hold[2], 5);
    }
    // Malzak counts the credits in two ASCII digits; Malzak 2 only in the
    // test switch's play positions.
    go(27);
    console_hold[2] = 0;
    guest_memory[0x101C] = '1';
    guest_memory[0x101D] = '0';
    EXPECT_EQ(coinop_credits(), 10u);
    coinop_auto_coin();
    EXPECT_EQ(console_hold[2], 0);
    guest_memory[0x101C] = 0;
    guest_memory[0x101D] = '1';
    guest_memory[0x14CC] = 0x70;
    coinop_auto_coin();
    EXPECT_EQ(console_hold[2], 0);
    guest_memory[0x14CC] = 0x90;
    coinop_auto_coin();
    EXPECT_EQ(console_hold[2], 5);
}

} // namespace

namespace {

TEST_F(Coinop, MissingImagesMakeOneRequesterAndOptionalOnesOnlyAMessage) {
    TempHome home("coinop");
    app_acquired.host_gui = true;
    go(24); // Laser Battle, nothing in the drawer
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    const std::string shown = gui_headless_requesters()[0];
    for (const GuestRom& rom : zaccaria_roms[2])
        EXPECT_NE(shown.find(std::string(rom.name) + " (" + std::to_string(rom.size) + " bytes)"),
                  std::string::npos)
            << shown;
    EXPECT_NE(shown.find(home.path().string() + "/roms"), std::string::npos) << shown;

    elektor_biosversion = 0;
    write_rom(home.path(), "elektor_philips.bin", pattern(2048, 3));
    capture_output();
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false)); // the expanded map
    EXPECT_EQ(gui_headless_requesters().size(), 1u);
    EXPECT_NE(captured_output().find("optional ROM image \"elektor_expansion.bin\""),
              std::string::npos);
    app_acquired.host_gui = false;
}

TEST_F(Coinop, TheRomsDrawerIsMadeWithAReadmeOfEveryMachinesImages) {
    TempHome home("coinop");
    guest_roms_seed_drawer();
    std::ifstream in(home.path() / "roms" / "README.txt");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (u32 m = 0; m < MACHINES; m++)
        for (u32 i = 0; i < machine_ops(m).rom_count; i++) {
            const char* name = machine_ops(m).roms[i].name;
            if (name) {
                EXPECT_NE(text.find(name), std::string::npos) << name;
            }
        }
    EXPECT_NE(text.find("elektor_expansion.bin"), std::string::npos);
}

} // namespace
