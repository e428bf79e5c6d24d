// Golden runs: every memory map whose machine runs frames is started the same
// way (machine_switch, then a small program of ours where no ROM would give the
// machine anything to do) and run for a fixed number of frames. Each frame's digests of
// the guest picture, the sound and the processor, and the save state after the
// last frame, must match the files in tests/data/states byte for byte.
//
// The files are recorded only by a developer, on purpose:
//   BRINDLEMOX_RECORD_GOLDEN=1 ./build/brindlemox_tests --gtest_filter='*GoldenRuns*'
// writes them anew from the current code. Commit new ones only with a message
// that says why the runs changed.
#include "computers/pipbug.h"
#include "tests/support/checkout_paths.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/objfile.h"
#include "core/savestate.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/frame.h"
#include "input/key_events.h"
#include "machines/pong.h"
#include "machines/pvi2636.h"
#include "platform/audio.h"
#include "sound/effects.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"
#include "tests/computers/pipbug_echo.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int FRAMES = 60;

struct Fnv {
    u64 h = 0xCBF29CE484222325ull;
    template <typename T> Fnv& add(const T& v) { return bytes(&v, sizeof v); }
    Fnv& bytes(const void* p, std::size_t n) {
        for (std::size_t i = 0; i < n; i++)
            h = (h ^ static_cast<const u8*>(p)[i]) * 0x100000001B3ull;
        return *this;
    }
};

// The voices as the sound module leaves them after a frame, and the host
// channels they play on (without the play position, which the device feed moves).
u64 sound_digest() {
    Fnv f;
    f.add(snd_cur_volume).add(snd_cur_pitch).add(snd_voice_volume).add(snd_voice_frequency);
    f.add(snd_voice_active).add(snd_voice_channel).add(beeper_countdowns).add(speaker_latch);
    f.add(tone_unit_word).add(galaxia_tone_a).add(galaxia_tone_b).add(galaxia_sound_latch);
    f.add(pong_tone_hz);
    for (int ch = 0; ch < AUDIO_CHANNELS; ch++) {
        const AudioChannel& c = audio_channel(ch);
        f.add(c.data != nullptr).add(c.length).add(c.rate).add(c.volume).add(c.loop);
    }
    return f.h;
}

u64 cpu_digest() {
    return Fnv{}
        .add(cpu_iar)
        .add(cpu_regs)
        .add(cpu_psu)
        .add(cpu_psl)
        .add(cpu_ras)
        .add(cpu_cycles)
        .h;
}

using Stores = std::vector<std::pair<u32, u8>>;

// Our program at $0000 with interrupts off: sets the chip up with `setup`
// (LODI,r0; STRA,r0 each), then counts up in r0, writing it to every address
// of `moves` and r0 & $7F to `pitch`, with a delay of about a frame between.
void mover(const Stores& setup, std::initializer_list<u32> moves, u32 pitch) {
    std::vector<u8> c = {0x76, 0x20}; // PPSU $20
    auto store = [&c](u8 opcode, u32 a) {
        c.insert(c.end(), {opcode, static_cast<u8>(a >> 8), static_cast<u8>(a)});
    };
    for (const auto& [address, value] : setup) {
        c.insert(c.end(), {0x04, value}); // LODI,r0
        store(0xCC, address);             // STRA,r0
    }
    c.push_back(0x20); // EORZ r0
    const u32 loop = static_cast<u32>(c.size());
    c.insert(c.end(), {0x84, 0x01}); // ADDI,r0 1
    for (u32 a : moves)
        store(0xCC, a);
    c.insert(c.end(), {0xC1, 0x45, 0x7F});                               // STRZ r1; ANDI,r1 $7F
    store(0xCD, pitch);                                                  // STRA,r1
    c.insert(c.end(), {0x06, 0x10, 0x07, 0x00, 0xFB, 0x7E, 0xFA, 0x7A}); // 16 x 256 turns
    store(0x1F, loop);                                                   // BCTA,un loop
    std::memcpy(guest_memory, c.data(), c.size());
    machine_reset();
}

// Two objects of the first PVI: object 0 moves across, object 1 down; the
// score and the tone follow the count.
void pvi_scene() {
    const u32 pvi = static_cast<u32>(machine_table[machine].first_pvi_base);
    static const u8 shape[10] = {0x18, 0x3C, 0x7E, 0xFF, 0xDB, 0xFF, 0x7E, 0x3C, 0x18, 0x00};
    Stores setup;
    for (u32 n : {0u, 1u}) {
        const u32 block = pvi + pvi_object_block[n];
        for (u32 r = 0; r < 10; r++)
            setup.emplace_back(block + r, shape[r]);
        setup.emplace_back(block + 10, static_cast<u8>(40 + 50 * n));
        setup.emplace_back(block + 12, u8{60});
    }
    setup.emplace_back(pvi + PVI_SPR01COLOURS, u8{(2 << 3) | 5});
    setup.emplace_back(pvi + PVI_BGCOLOUR, u8{0x08 | 0x01});
    setup.emplace_back(0x1E80, u8{0xC4}); // Interton and expanded Elektor: tone on, loud
    mover(setup,
          {pvi + pvi_object_block[0] + 10, pvi + pvi_object_block[1] + 12, pvi + PVI_SCORELT},
          pvi + PVI_PITCH);
}

// Four sprites over a row of characters; sprites 0 and 1 move, the tone follows.
void arcadia_scene() {
    static const u8 shape[8] = {0xFF, 0x81, 0xBD, 0xA5, 0xA5, 0xBD, 0x81, 0xFF};
    Stores setup = {{0x18FC, 0xEF}, {0x19F8, 0x00}, {0x19F9, 0x80 | 0x06}};
    for (u32 c = 0; c < 16; c++)
        setup.emplace_back(0x1800 + 16 * 8 + c, static_cast<u8>(0x10 + c));
    for (u32 s = 0; s < 4; s++) {
        for (u32 l = 0; l < 8; l++)
            setup.emplace_back(0x1980 + 8 * s + l, shape[l]);
        setup.emplace_back(0x18F0 + 2 * s, static_cast<u8>(120 + 20 * s));
        setup.emplace_back(0x18F1 + 2 * s, static_cast<u8>(30 + 30 * s));
    }
    setup.emplace_back(0x19FB, u8{0xC0 | (1 << 3) | 2});
    setup.emplace_back(0x19FA, u8{(4 << 3) | 5});
    setup.emplace_back(0x18FE, u8{0x08 | 7}); // tone on, loudest
    mover(setup, {0x18F1, 0x18F2}, 0x18FD);
}

// The echo program answers what is typed on the terminal.
void pipbug_echo(u16 origin) {
    const std::vector<u8> program = echo_program(origin, serial_bit_cycles);
    std::copy(program.begin(), program.end(), guest_memory + origin);
    load_start_known = 1;
    game_start_address = origin;
    machine_reset();
    guest_key_queue_append_text("HELLO, 2650! THE QUICK BROWN FOX.");
}

struct GoldenRun {
    u32 machine, map;
    void (*scene)();
    int frames = FRAMES;
};

// Every map whose machine has a frame of its own; the other computers have none
// yet, and maps 17 and 18 are empty.
const GoldenRun RUNS[] = {
    {INTERTON, 0, pvi_scene},
    {INTERTON, 1, pvi_scene},
    {INTERTON, 2, pvi_scene},
    {INTERTON, 3, pvi_scene},
    {ELEKTOR, 4, pvi_scene},
    {ELEKTOR, 5, pvi_scene},
    {ARCADIA, 6, arcadia_scene},
    {ARCADIA, 7, arcadia_scene},
    {ARCADIA, 8, arcadia_scene},
    {PIPBUG, 9, [] { pipbug_echo(0x0500); }},
    {PIPBUG, 10, [] { pipbug_echo(0x0C00); }},
    {PIPBUG, 13, [] { pipbug_echo(0x1400); }},
    {ZACCARIA, 22, pvi_scene},
    {ZACCARIA, 23, pvi_scene},
    {ZACCARIA, 24, pvi_scene},
    {ZACCARIA, 25, pvi_scene},
    {MALZAK, 26, pvi_scene},
    {MALZAK, 27, pvi_scene},
    // Robots play both sides from a fixed random seed.
    {PONG, 28, [] { machine_reset(); }, 300},
    {PONG, 29, [] { machine_reset(); }, 300},
    {TYPERIGHT, 30, [] { guest_key_queue_append_text("THE QUICK BROWN FOX 2650"); }},
};

void PrintTo(const GoldenRun& run, std::ostream* os) {
    *os << "map " << run.map;
}

// The monitor each PIPBUG map is built for.
u32 pipbug_bios_of(u32 map) {
    return map == 13 ? 0 : map == 10 ? 3 : 2;
}

class GoldenRuns : public testing::TestWithParam<GoldenRun> {
  protected:
    void SetUp() override {
        fresh_state();
        // A home of the run's own: what other tests left in the process's
        // home (Malzak 2's NVRAM) is not read, and what this run keeps there
        // reaches no other test.
        home.emplace("golden");
        stubprograms = 0;
        randomizememory = 0;
        blankingareas = 1;
        collisions = 1;
        snd_enabled = 1;
        pipbug_baudrate = 2;
        robot_left = 3;
        robot_right = 2;
        pong = PongState{};
        // The effect samples come from the program home: none, in every run.
        snd_free_samples();
        std::srand(2650);
        snd_fill_waveforms();
    }
    void TearDown() override {
        guest_key_queue_len = 0;
        // The machine is left (its NVRAM saved) while the run's home is set.
        machine_switch(ARCADIA, 6, true, true, false);
        home.reset();
        fresh_state();
    }
    std::optional<TempHome> home;
};

TEST_P(GoldenRuns, FramesAndFinalStateMatchTheRecording) {
    const GoldenRun& run = GetParam();
    if (run.machine == PIPBUG) pipbug_bios = pipbug_bios_of(run.map);
    // A forced switch takes a console to its default map; the second picks the run's.
    const int m = static_cast<int>(run.machine), map = static_cast<int>(run.map);
    ASSERT_TRUE(machine_switch(m, map, false, true, false));
    ASSERT_TRUE(machine_switch(m, map, false, false, false));
    ASSERT_EQ(memmap, run.map);
    run.scene();

    std::vector<std::string> lines;
    for (int f = 0; f < run.frames; f++) {
        emu_run_frame();
        char line[80];
        std::snprintf(line, sizeof line, "%d %016llx %016llx %016llx", f + 1,
                      static_cast<unsigned long long>(Fnv{}.add(guest_frame).h),
                      static_cast<unsigned long long>(sound_digest()),
                      static_cast<unsigned long long>(cpu_digest()));
        lines.push_back(line);
    }
    std::vector<u8> state;
    ASSERT_TRUE(state_write_buffer(0, &state));

    const fs::path dir = fs::path(test_data()) / "states";
    const std::string name = "map_" + std::to_string(run.map);
    if (std::getenv("BRINDLEMOX_RECORD_GOLDEN")) {
        std::string text;
        for (const std::string& l : lines)
            text += l + "\n";
        test_write_file(dir / (name + ".txt"), text);
        test_write_file(dir / (name + ".cos"), std::string(state.begin(), state.end()));
        GTEST_SKIP() << "recorded " << name;
    }

    std::istringstream want(test_read_file(dir / (name + ".txt")));
    std::string line;
    for (std::size_t f = 0; f < lines.size(); f++) {
        ASSERT_TRUE(std::getline(want, line))
            << "map " << run.map << ": no recording of frame " << f + 1;
        ASSERT_EQ(lines[f], line) << "map " << run.map << " first differs in frame " << f + 1
                                  << " (frame, video, sound, processor digests)";
    }
    EXPECT_FALSE(std::getline(want, line)) << "map " << run.map << ": more frames recorded";

    const std::string want_state = test_read_file(dir / (name + ".cos"));
    std::size_t byte = 0;
    while (byte < state.size() && byte < want_state.size() &&
           state[byte] == static_cast<u8>(want_state[byte]))
        byte++;
    EXPECT_TRUE(byte == state.size() && byte == want_state.size())
        << "map " << run.map << ": the save state after " << run.frames
        << " frames first differs at byte " << byte << " of " << state.size() << " (recorded "
        << want_state.size() << ")";
}

INSTANTIATE_TEST_SUITE_P(Maps, GoldenRuns, testing::ValuesIn(RUNS),
                         [](const testing::TestParamInfo<GoldenRun>& info) {
                             return "map" + std::to_string(info.param.map);
                         });

} // namespace
