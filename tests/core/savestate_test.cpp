#include "computers/binbug.h"
#include "computers/instructor.h"
#include "computers/phunsy.h"
#include "computers/pipbug.h"
#include "computers/selbst.h"
#include "cpu/debug_state.h"
#include "tests/support/file_buffer.h"
#include "tests/support/quiet_output.h"
#include "tests/support/state_load.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/savestate_seams.h"
#include "input/paddles.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "cpu/exec.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include "machines/coinop.h"
#include "machines/malzak.h"
#include "machines/zaccaria.h"
#include "sound/voice_update.h"
#include "machines/pvi_consoles.h"
#include "machines/uvi2637.h"
#include "home_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <numeric>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<u8>;

Bytes read_file(const fs::path& path) {
    const std::string t = test_read_file(path);
    return Bytes(t.begin(), t.end());
}

u32 be32(const Bytes& b, size_t at) {
    return u32(b[at]) << 24 | u32(b[at + 1]) << 16 | u32(b[at + 2]) << 8 | b[at + 3];
}

u16 be16(const Bytes& b, size_t at) {
    return static_cast<u16>(b[at] << 8 | b[at + 1]);
}

// Everything the walk of the current machine covers, as the walk writes it.
Bytes snapshot() {
    Bytes buf(STATE_BUFFER_SIZE);
    u32 dir = serial_dir;
    serial_dir = SERIAL_WRITE;
    serial_attach(buf.data(), STATE_BUFFER_SIZE, 0);
    state_serialise();
    u32 length = serial_cursor();
    serial_detach();
    serial_dir = dir;
    buf.resize(length);
    return buf;
}

// Puts random but acceptable values into everything a state holds.
void scramble(std::mt19937& rng) {
    auto fill = [&rng](auto& array) {
        for (auto& x : array)
            x = static_cast<std::remove_reference_t<decltype(x)>>(rng());
    };
    fill(guest_memory);
    cpu_iar = static_cast<u16>(rng() & 0x7FFF);
    cpu_psu = static_cast<u8>(rng());
    cpu_psl = static_cast<u8>(rng());
    for (u16& entry : cpu_ras)
        entry = static_cast<u16>(rng() & 0x7FFF);
    fill(cpu_regs);
    cpu_irq_pending = rng() & 1;
    known_game_id = static_cast<i32>(rng() % 860);
    frame_counter = rng();
    cpu_cycles = rng();
    cpu_slice_start = rng();
    cpu_beam_clock = static_cast<i32>(rng() % 300);
    cpu_halt_reported = rng() & 1;
    cpu_irq_level = static_cast<u8>(rng() % 9);
    cpu_cycle_budget = -static_cast<i32>(rng() % (CPU_LONGEST_STEP + 1));
    vdu_cursor_col = static_cast<i32>(rng() & 0x3F);
    vdu_cursor_row = static_cast<i32>(rng() & 0x0F);
    lamp_latch = static_cast<u8>(rng());
    fill(led_digits);
    for (int p = 0; p < 2; p++) {
        paddle_x[p] = static_cast<i32>(rng() & 0xFF);
        paddle_y[p] = static_cast<i32>(rng() & 0xFF);
    }
    uvi_line_slice = rng();
    loaded_image_size = rng() & 0x7FFF;
    tvc_copy_length = rng() % 300;
    for (u32 i = 0; i < tvc_copy_length; i++)
        tvc_copy[i] = static_cast<u8>(rng());
    si50_toggles = rng() & 0xFF;
    si50_parallelio = rng() % 3;
    si50_interrupts = static_cast<i32>(rng() % 2);
    fill(coinop_colour_ram);
    fill(coinop_effect_ram);
    fill(malzak_playfield);
    malzak_scroll = static_cast<i32>(rng() & 0xFF);
    malzak_v_scroll = static_cast<u8>(rng());
    malzak_bank_a = static_cast<u8>(rng() & 1);
    malzak_collision_flag = static_cast<u8>(rng());
    dips_galaxia = static_cast<u8>(rng());
    dips_laserbattle = static_cast<u8>(rng());
    tone_unit_word = rng() & 0x1FFFFFF;
    laserbattle.sprite_x = static_cast<u8>(rng());
    laserbattle.colour_mode = static_cast<u8>(rng() & 3);
    for (int b = 0; b < 16; b++) {
        phunsy_ubank_store[b][rng() % 2048] = static_cast<u8>(rng());
        phunsy_qbank_store[b][rng() % 16384] = static_cast<u8>(rng());
    }
    phunsy_bank_control = static_cast<u8>(rng());
    phunsy_irq_period = static_cast<u8>(rng());
    phunsy_irq_countdown = static_cast<u8>(rng());
    for (u32 port = 16; port <= 19; port++)
        port_records[port].last_value = static_cast<u8>(rng());
    selbst_data_latch = static_cast<u8>(rng());
    si50_latches = {static_cast<u8>(rng() % 9), static_cast<u8>(rng()), static_cast<u8>(rng())};
}

struct Running {
    u32 machine, memmap;
    Bytes state;
};

Running running() {
    return {machine, memmap, snapshot()};
}

class SaveStates : public HomeTest {
  protected:
    std::mt19937 rng{2650};

    void SetUp() override {
        HomeTest::SetUp();
        stubprograms = 0;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    }

    // Saves the current machine as `name` in the temporary home; returns the file.
    Bytes save(const char* name, int kind = FILE_KIND_COS) {
        std::snprintf(file_name_buffer, FILE_NAME_SIZE, "PROGDIR:%s", name);
        EXPECT_TRUE(state_save_file(kind, 0));
        return read_file(home / name);
    }

    void go(u32 m, u32 map) {
        ASSERT_TRUE(machine_switch(m, map, false, false, false));
        ASSERT_EQ(memmap, map);
    }
};

// ---- Layout -----------------------------------------------------------------------------------

TEST_F(SaveStates, HeaderAndCommonPartOffsets) {
    go(ARCADIA, 7);
    paddle_x[0] = 1;
    paddle_y[0] = 2;
    paddle_x[1] = 3;
    paddle_y[1] = 0x1FF; // a paddle byte keeps the low 8 bits
    cpu_iar = 0x1234;
    cpu_psu = 0x65;
    cpu_psl = 0xC3;
    std::iota(std::begin(cpu_ras), std::end(cpu_ras), u16{0x1000});
    std::iota(std::begin(cpu_regs), std::end(cpu_regs), u8{0x10});
    cpu_irq_pending = 1;
    known_game_id = 300;
    game_start_address = 0xABCD;
    frame_counter = 0x01020304;
    cpu_cycles = 0x05060708;
    cpu_slice_start = 0x090A0B0C;
    cpu_beam_clock = -1;
    cpu_halt_reported = 1;
    cpu_irq_level = 3;
    cpu_cycle_budget = -5;
    vdu_cursor_col = 7;
    vdu_cursor_row = 9;
    lamp_latch = 0x5A;
    std::iota(std::begin(led_digits), std::end(led_digits), u8{0x80});
    uvi_line_slice = 0xCAFEF00D;
    emu_region = 1;
    loaded_image_size = 4096;
    guest_memory[0] = 0x77;
    guest_memory[0x7FFF] = 0x88;

    Bytes b = save("a.cos");
    ASSERT_EQ(b.size(), 73u + 4 + 1 + 4 + 32768 + 4 + 4);
    // clang-format off
    const Bytes header = {
        0xBF, 38, 0, 7,                        // magic, version, COS, memory map
        1, 2, 3, 0xFF,                         // paddles: a paddle byte keeps the low 8 bits
        0x12, 0x34, 0x65, 0xC3,                // IAR, PSU, PSL
        0x10, 0, 0x10, 1, 0x10, 2, 0x10, 3, 0x10, 4, 0x10, 5, 0x10, 6, 0x10, 7, // return stack
        0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 1, // registers, interrupt pending
        0x01, 0x2C, 0x85, 0x7A, 0xAB, 0xCD,    // games database row 300, five return
                                               // addresses held (as SP tells) marked, start address
        1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, // frame counter, cycles, slice start
        0xFF, 0xFF, 1, 3, 0xFF, 0xFF, 0xFF, 0xFB, // beam clock -1, halt, level, budget -5
        7, 9, 0x5A, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, // cursor, lamps, 8 digits
        // The Arcadia tail: UVI slice counter and region before the memory image.
        0xCA, 0xFE, 0xF0, 0x0D, 1, 0, 0, 0x10, 0, 0x77};
    // clang-format on
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 83), header);
    EXPECT_EQ(b[82 + 0x7FFF], 0x88);
    EXPECT_EQ(state_length, b.size());
    EXPECT_EQ(file_loaded, 1);
}

TEST_F(SaveStates, PipbugCarriesThirteenLedDigits) {
    go(PIPBUG, 9);
    std::iota(std::begin(led_digits), std::end(led_digits), u8{0x40});
    Bytes b = save("p.cos");
    EXPECT_EQ(b[1], 42);
    for (int i = 0; i < 13; i++)
        EXPECT_EQ(b[65 + i], 0x40 + i);
    ASSERT_GE(b.size(), 78u);
}

TEST_F(SaveStates, MachinesWithoutProcessorHaveOnlyThePaddles) {
    for (u32 map : {28u, 30u}) {
        go(static_cast<u32>(memmap_table[map].machine), map);
        paddle_x[0] = 0x21;
        paddle_y[1] = 0x24;
        cpu_iar = 0x100;
        Bytes a = snapshot();
        cpu_iar = 0x200;
        cpu_cycles += 12345;
        Bytes b = snapshot();
        EXPECT_EQ(a, b) << "no processor field in machine " << machine;
        ASSERT_GE(a.size(), 8u);
        EXPECT_EQ(a[4], 0x21);
        EXPECT_EQ(a[7], 0x24);
        EXPECT_EQ(state_length, a.size());
    }
}

TEST_F(SaveStates, InstructorAndMikitStartAddressBeforeAnyLoad) {
    go(INSTRUCTOR, 15);
    game_start_address = 0x4242;
    file_loaded = 0;
    Bytes b = save("i.cos");
    EXPECT_EQ(be16(b, 40), 0x1800);
    go(MIKIT, 21);
    game_start_address = 0x4242;
    file_loaded = 0;
    b = save("m.cos");
    EXPECT_EQ(be16(b, 40), 0x0000);
    game_start_address = 0x4242;
    b = save("m2.cos"); // file_loaded is now 1
    EXPECT_EQ(be16(b, 40), 0x4242);
}

// ---- Field operations ---------------------------------------------------------------------------

TEST_F(SaveStates, SignedAndNoneFieldsRoundTrip) {
    u8 buf[16] = {};
    serial_dir = SERIAL_WRITE;
    serial_attach(buf, sizeof buf, 0);
    i32 budget = -123456;
    i32 beam = -1;
    i32 beam_max = 65535;
    u32 wide = 0x1234ABCD;
    state_field_u32_full(&budget);
    state_field_word_or_none(&beam);
    state_field_word_or_none(&beam_max);
    state_field_u32(&wide);
    EXPECT_EQ(serial_cursor(), 9u);
    EXPECT_EQ(buf[4], 0xFF);
    EXPECT_EQ(buf[5], 0xFF);
    EXPECT_EQ(buf[8], 0xCD);

    serial_dir = SERIAL_READ;
    serial_attach(buf, 9, 0);
    budget = beam = beam_max = 0;
    wide = 0xFFFFFFFF;
    state_field_u32_full(&budget);
    EXPECT_EQ(state_field_word_or_none(&beam), -1);
    state_field_word_or_none(&beam_max);
    state_field_u32(&wide);
    EXPECT_EQ(budget, -123456);
    EXPECT_EQ(beam, -1);
    EXPECT_EQ(beam_max, -1) << "a stored 65535 comes back as -1";
    EXPECT_EQ(wide, 0xCDu) << "one byte, zero-extended";
    EXPECT_FALSE(serial_overrun());

    // Past the end: 0, nothing stored, the overrun noted.
    u8 kept = 9;
    EXPECT_EQ(state_field_u8(&kept), 0);
    EXPECT_EQ(kept, 9);
    EXPECT_TRUE(serial_overrun());
    serial_detach();
    EXPECT_FALSE(serial_overrun());
}

TEST_F(SaveStates, FieldReadsOnTheSharedFileBufferAfterAFailedWalk) {
    // A refused state must not stop the next reader of the file buffer (a game
    // image read byte by byte) from storing its bytes.
    std::string error;
    u8 junk[6] = {0xBF, 38, 0, 6, 1, 2};
    EXPECT_FALSE(state_check(junk, sizeof junk, &error));
    ASSERT_TRUE(test_filebuf_alloc(3));
    filebuf[0] = 0xA1;
    filebuf[1] = 0xA2;
    filebuf[2] = 0xA3;
    filebuf_length = 2; // only the loaded bytes are read
    filebuf_cursor = 0;
    serial_dir = SERIAL_READ;
    u8 out[3] = {0, 0, 0x55};
    state_field_bytes(out, 3);
    EXPECT_EQ(out[0], 0xA1);
    EXPECT_EQ(out[1], 0xA2);
    EXPECT_EQ(out[2], 0x55);
    EXPECT_EQ(filebuf_cursor, 2u);
    EXPECT_TRUE(serial_overrun());
    serial_clear_status();
}

// ---- Versions and header refusals
// ----------------------------------------------------------------

TEST_F(SaveStates, VersionAcceptanceMatrix) {
    const struct {
        u32 map;
        u8 version;
        bool accepted;
    } rows[] = {{6, 38, true},   {6, 37, false},  {6, 39, false},  {9, 42, true},   {13, 41, true},
                {10, 40, false}, {10, 43, false}, {11, 41, false}, {16, 41, false}, {12, 40, true},
                {12, 39, true},  {12, 38, false}, {30, 33, true},  {27, 34, true},  {17, 38, false},
                {18, 0, false},  {31, 38, false}, {20, 40, true},  {20, 39, true},  {20, 38, false},
                {20, 41, false}};
    for (const auto& r : rows)
        EXPECT_EQ(state_version_accepted(r.map, r.version), r.accepted)
            << r.map << " " << +r.version;
    // Every version up to their own, none after it (a later program's).
    for (int v = 42; v <= 255; v++) {
        EXPECT_EQ(state_version_accepted(11, static_cast<u8>(v)), v <= 45) << v; // BINBUG
        EXPECT_EQ(state_version_accepted(16, static_cast<u8>(v)), v <= 45) << v; // CD2650
    }
}

TEST_F(SaveStates, HeaderRefusals) {
    go(ARCADIA, 6);
    Bytes good = save("g.cos");
    std::string error;
    ASSERT_TRUE(state_check(good.data(), static_cast<u32>(good.size()), &error)) << error;

    auto refused = [&](size_t at, u8 value) {
        Bytes b = good;
        b[at] = value;
        std::string e;
        EXPECT_FALSE(state_check(b.data(), static_cast<u32>(b.size()), &e));
        return e;
    };
    const std::string newer =
        "This COS/COR file was made by a newer version of Brindlemox, which this one cannot read!";
    EXPECT_EQ(refused(3, 31), newer);
    EXPECT_EQ(refused(3, 255), newer);
    EXPECT_EQ(refused(1, 39), newer);
    EXPECT_EQ(refused(1, 255), newer);
    EXPECT_EQ(refused(1, 37), "Unsupported COS/COR version (obsolete/future version)!");
    EXPECT_EQ(refused(2, 2), "Quillfrondex COS files are not supported!");
    EXPECT_EQ(refused(2, 3), "Corrupt COS/COR file!");
    EXPECT_EQ(refused(3, 17), "Corrupt COS/COR file!");
    EXPECT_EQ(refused(3, 18), "Corrupt COS/COR file!");
    EXPECT_EQ(refused(0, 0xBE), "Corrupt COS/COR file!");
    // A memory map of another machine: that machine's version decides.
    EXPECT_EQ(refused(3, 9), "Unsupported COS/COR version (obsolete/future version)!");
    // The same Arcadia state under another Arcadia memory map is accepted.
    Bytes other = good;
    other[3] = 8;
    EXPECT_TRUE(state_check(other.data(), static_cast<u32>(other.size()), &error));
}

TEST_F(SaveStates, ValuesOutsideTheirRangeAreRefused) {
    go(ARCADIA, 6);
    Bytes good = save("g.cos");
    std::string e;
    // The games database row: its last row is 859; any row past it, $FFFF
    // included, is no known game, and the state loads.
    for (const u16 row : {0, 859, 860, 900, 0xFFFE, 0xFFFF}) {
        Bytes b = good;
        b[36] = static_cast<u8>(row >> 8);
        b[37] = static_cast<u8>(row);
        e.clear();
        EXPECT_TRUE(state_check(b.data(), static_cast<u32>(b.size()), &e)) << row;
        EXPECT_EQ(e, "") << row;
    }
    Bytes b = good;
    b[57] = 9; // interrupt level
    EXPECT_FALSE(state_check(b.data(), static_cast<u32>(b.size()), &e));
    b = good;
    b[8] = 0x80; // instruction address $8000
    EXPECT_FALSE(state_check(b.data(), static_cast<u32>(b.size()), &e));
}

void put_be32(Bytes& b, size_t at, u32 v) {
    for (int i = 0; i < 4; i++)
        b[at + i] = static_cast<u8>(v >> (24 - 8 * i));
}

// A budget, return address, beam position or line length the program could not
// have saved is refused before anything changes; the edges of each range load.
TEST_F(SaveStates, ClockFieldsOutsideAFrameAreRefused) {
    struct Case {
        u32 m, map;
        size_t at; // offset of the field (from the end when `from_end`)
        bool from_end;
        int width; // 2 or 4 bytes
        long long value;
        bool accepted;
    };
    const long long step = CPU_LONGEST_STEP;
    const Case cases[] = {
        // cycle budget: one step overdrawn up to one frame
        {PIPBUG, 9, 58, false, 4, 0x7FFFFFFF, false},
        {PIPBUG, 9, 58, false, 4, -0x80000000LL, false},
        {PIPBUG, 9, 58, false, 4, 0x7FFF0000, false},
        {PIPBUG, 9, 58, false, 4, 20001, false},
        {PIPBUG, 9, 58, false, 4, -step - 1, false},
        {PIPBUG, 9, 58, false, 4, 20000, true},
        {PIPBUG, 9, 58, false, 4, -step, true},
        {ARCADIA, 6, 58, false, 4, 17707, false},
        {ARCADIA, 6, 58, false, 4, 17706, true},
        {INTERTON, 2, 58, false, 4, 0x40000000, false},
        // return-address stack entries 0 and 7
        {PIPBUG, 9, 12, false, 2, 0x8000, false},
        {PIPBUG, 9, 26, false, 2, 0xFFFF, false},
        {PIPBUG, 9, 26, false, 2, 0x7FFF, true},
        // Interton's beam position and line length, the last two fields
        {INTERTON, 2, 4, true, 4, 0x7FFFFFFF, false},
        {INTERTON, 2, 4, true, 4, 17707, false},
        {INTERTON, 2, 4, true, 4, 230, true},
        {INTERTON, 2, 8, true, 4, -2, false},
        {INTERTON, 2, 8, true, 4, 0x00FFFFFF, false},
        {INTERTON, 2, 8, true, 4, -1, true},
    };
    for (const Case& c : cases) {
        go(c.m, c.map);
        cpu_beam_clock = 100;
        Bytes b = save("c.cos");
        const size_t at = c.from_end ? b.size() - c.at : c.at;
        if (c.width == 4)
            put_be32(b, at, static_cast<u32>(c.value));
        else {
            b[at] = static_cast<u8>(c.value >> 8);
            b[at + 1] = static_cast<u8>(c.value);
        }
        go(ARCADIA, 8);
        scramble(rng);
        Running was = running();
        std::string e;
        const std::string where = std::string(machine_table[c.m].keyword) + " at " +
                                  std::to_string(at) + " = " + std::to_string(c.value);
        if (c.accepted) {
            EXPECT_TRUE(test_state_load(b.data(), static_cast<u32>(b.size()), &e)) << where << ": " << e;
            continue;
        }
        EXPECT_FALSE(test_state_load(b.data(), static_cast<u32>(b.size()), &e)) << where;
        EXPECT_EQ(e, "Corrupt COS/COR file!") << where;
        EXPECT_EQ(machine, was.machine) << where;
        EXPECT_EQ(snapshot(), was.state) << where;
    }
}

// A frame's budget addition holds at the ends of the range instead of wrapping.
TEST(FrameBudget, AdditionNeverWraps) {
    struct Case {
        i32 budget;
        long long clocks;
        i32 expected;
    } const cases[] = {
        {-5, 20000, 19995},
        {0x7FFFFFFF, 17706, 0x7FFFFFFF},
        {0x7FFF0000, 0x10000, 0x7FFFFFFF},
        {0x7FFF0000, 0xFFFF, 0x7FFFFFFF},
        {-0x7FFFFFFF - 1, 17706, -0x7FFFFFFF - 1 + 17706},
        {-10, -0x7FFFFFFF, -0x7FFFFFFF - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(emu_budget_add(c.budget, c.clocks), c.expected) << c.budget << " + " << c.clocks;
}

TEST_F(SaveStates, TailLengthsTakenFromTheFileAreChecked) {
    go(ELEKTOR, 5);
    tvc_copy_length = 10;
    Bytes b = save("e.cos");
    size_t n_at = b.size() - 10 - 4;
    ASSERT_EQ(be32(b, n_at), 10u);
    std::string e;
    EXPECT_TRUE(state_check(b.data(), static_cast<u32>(b.size()), &e)) << e;
    b[n_at] = 0x7F; // a huge program copy
    EXPECT_FALSE(state_check(b.data(), static_cast<u32>(b.size()), &e));
    b[n_at] = 0;
    b[n_at + 3] = 11; // one byte more than the file holds
    EXPECT_FALSE(state_check(b.data(), static_cast<u32>(b.size()), &e));

    go(PHUNSY, 19);
    phunsy_biosversion = 0;
    b = save("p.cos");
    EXPECT_EQ(b.size(), 73u + 1 + 0x1E00 + 1 + 2 + 4 + 4);
    b[73] = 2;
    EXPECT_FALSE(state_check(b.data(), static_cast<u32>(b.size()), &e));
    phunsy_biosversion = 1;
    b = save("p1.cos");
    EXPECT_EQ(b.size(), 73u + 1 + 0x1000 + 13 * 2048 + 15 * 16384 + 0x2000 + 3 * 2048 + 16384 + 1 +
                            2 + 4 + 4);
}

TEST_F(SaveStates, TruncatedAndOversizedStates) {
    go(MIKIT, 21);
    Bytes b = save("m.cos");
    std::string e;
    for (size_t n = 0; n < b.size(); n++) {
        EXPECT_FALSE(state_check(b.data(), static_cast<u32>(n), &e)) << n;
        EXPECT_EQ(e, "Corrupt COS/COR file!");
    }
    Bytes longer = b;
    longer.push_back(0);
    EXPECT_FALSE(state_check(longer.data(), static_cast<u32>(longer.size()), &e));
    longer[2] = 1; // as a COR state, the extra byte is the recording
    EXPECT_TRUE(state_check(longer.data(), static_cast<u32>(longer.size()), &e)) << e;
}

// ---- Loading
// -------------------------------------------------------------------------------------

TEST_F(SaveStates, SavedMachinesLoadBackIdentically) {
    for (u32 map : {0u,  3u,  5u,  6u,  8u,  9u,  11u, 12u, 14u, 15u, 16u, 19u,
                    20u, 21u, 22u, 23u, 24u, 25u, 26u, 27u, 28u, 29u, 30u}) {
        u32 m = static_cast<u32>(memmap_table[map].machine);
        go(m, map);
        scramble(rng);
        // A running PIPBUG's monitor always carries its baud-rate patches; a load
        // puts them back.
        if (m == PIPBUG) pipbug_patch_monitor();
        if (m == BINBUG) binbug_set_baud_rate();
        // A save copies the PHUNSY's mapped windows into their banks' stores first.
        if (m == PHUNSY) {
            phunsy_ubank_save(phunsy_bank_control >> 4);
            phunsy_qbank_save(phunsy_bank_control & 15);
        }
        Bytes before = snapshot();
        Bytes file = save("s.cos");

        // Run another machine in between, then load.
        go(map == 6 ? INTERTON : ARCADIA, map == 6 ? 2 : 6);
        scramble(rng);
        std::string error;
        ASSERT_TRUE(test_state_load(file.data(), static_cast<u32>(file.size()), &error))
            << "memory map " << map << ": " << error;
        EXPECT_EQ(machine, m);
        EXPECT_EQ(memmap, map);
        EXPECT_EQ(snapshot(), before) << "memory map " << map;
        EXPECT_EQ(state_guest_version, machine_table[m].state_version);
    }
}

TEST_F(SaveStates, RefusedLoadsLeaveTheMachineAlone) {
    go(ELEKTOR, 5);
    scramble(rng);
    Bytes file = save("e.cos");
    go(ARCADIA, 8);
    scramble(rng);
    Running was = running();
    std::string error;
    for (size_t n : {size_t(0), size_t(3), size_t(4), size_t(40), size_t(73), file.size() - 1})
        EXPECT_FALSE(test_state_load(file.data(), static_cast<u32>(n), &error)) << n;
    std::mt19937 flip(95);
    int refused = 0;
    for (int round = 0; round < 200; round++) {
        Bytes b = file;
        for (int k = 0; k < 3; k++)
            b[flip() % 80] ^= static_cast<u8>(1 + flip() % 255);
        if (!state_check(b.data(), static_cast<u32>(b.size()), &error)) {
            refused++;
            EXPECT_FALSE(test_state_load(b.data(), static_cast<u32>(b.size()), &error));
            ASSERT_EQ(machine, was.machine);
            ASSERT_EQ(memmap, was.memmap);
            ASSERT_EQ(snapshot(), was.state) << "round " << round;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST_F(SaveStates, RandomBytesNeverCrashTheLoader) {
    std::mt19937 junk(7);
    std::string error;
    for (int round = 0; round < 300; round++) {
        Bytes b(junk() % 300);
        for (u8& x : b)
            x = static_cast<u8>(junk());
        if (b.size() >= 4 && round % 2) {
            b[0] = 0xBF;
            b[3] = static_cast<u8>(junk() % 31);
            b[1] = state_version_of(static_cast<u32>(memmap_table[b[3]].machine));
            b[2] = static_cast<u8>(junk() % 2);
        }
        state_check(b.data(), static_cast<u32>(b.size()), &error);
    }
    EXPECT_EQ(machine, static_cast<u32>(ARCADIA));
}

TEST_F(SaveStates, CorStateLeavesTheCursorAtItsRecording) {
    go(MIKIT, 21);
    scramble(rng);
    Bytes before = snapshot();
    Bytes file = save("r.cos");
    file[2] = 1;
    file.push_back(0x11); // two recorded input bytes
    file.push_back(0x22);
    ASSERT_TRUE(test_filebuf_alloc(static_cast<u32>(file.size())));
    std::memcpy(filebuf, file.data(), file.size());
    filebuf_length = static_cast<u32>(file.size());
    go(ARCADIA, 6);
    std::string error;
    ASSERT_TRUE(test_state_load(filebuf, filebuf_length, &error)) << error;
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(filebuf_cursor, state_length);
    rec_length = filebuf_length;
    rec_state = REC_PLAYBACK;
    EXPECT_EQ(rec_read_byte(), 0x11);
    EXPECT_EQ(rec_read_byte(), 0x22);
}

TEST_F(SaveStates, CorSaveKeepsTheFileOpenForTheRecording) {
    go(MIKIT, 21);
    Bytes b = save("rec.cor", FILE_KIND_COR);
    EXPECT_EQ(b[2], 1);
    ASSERT_NE(rec_file, nullptr);
    EXPECT_EQ(rec_state, REC_RECORDING);
    rec_write_byte(0x5C);
    std::fflush(rec_file);
    Bytes after = read_file(home / "rec.cor");
    ASSERT_EQ(after.size(), b.size() + 1);
    EXPECT_EQ(after.back(), 0x5C);

    // A quick save during the recording gives the recording's name back.
    save("quick.cos");
    EXPECT_STREQ(file_name_buffer, "PROGDIR:rec.cor");
    EXPECT_TRUE(fs::exists(home / "quick.cos"));
}

TEST_F(SaveStates, FailedSaveKeepsTheOldFileAndChangesNothing) {
    go(MIKIT, 21);
    fs::create_directories(home / "busy.cos" / "inside"); // the name is taken by a folder
    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "PROGDIR:busy.cos");
    file_loaded = 0;
    capture_output();
    EXPECT_FALSE(state_save_file(FILE_KIND_COS, 0));
    std::string out = captured_output();
    EXPECT_NE(out.find("State not saved"), std::string::npos);
    EXPECT_EQ(file_loaded, 0);
    EXPECT_TRUE(fs::is_directory(home / "busy.cos" / "inside"));
    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "PROGDIR:no/such/drawer/x.cos");
    capture_output();
    EXPECT_FALSE(state_save_file(FILE_KIND_COR, 0));
    captured_output();
    EXPECT_EQ(rec_file, nullptr);
    EXPECT_EQ(rec_state, REC_IDLE);
}

} // namespace
