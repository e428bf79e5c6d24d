// Speed of whole guest frames, headless and unthrottled: the machine switch
// and reset, then one frame per iteration through the frame dispatch and the
// end of frame, with and without the pacing calls of the main loop (in turbo,
// so nothing waits). The counter reports guest frames per host second; real
// time is 50 or 60 of them.
#include "computers/twin.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "display/host.h"
#include "machines/pvi2636.h"
#include "machines/pong.h"
#include "peripherals/tape.h"
#include "record/recorder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <initializer_list>
#include <vector>

// A counting loop that stores to RAM: LODI r1,$00; loop: ADDI r0,$01;
// STRA r0,$0400; BDRR r1,loop; BCTA,UN $0000.
static void load_loop_program() {
    static const u8 program[] = {0x05, 0x00, 0x84, 0x01, 0xCC, 0x04,
                                 0x00, 0xF9, 0x79, 0x1F, 0x00, 0x00};
    for (unsigned i = 0; i < sizeof program; i++)
        guest_memory[i] = program[i];
}

// Runs one guest frame per iteration and reports frames per host second and,
// given the guest's own frame rate, the ratio to real time.
static void run_frames(benchmark::State& state, double guest_rate = 0.0) {
    for (auto _ : state)
        emu_run_frame();
    const double frames = static_cast<double>(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    if (guest_rate > 0.0)
        state.counters["x real time"] =
            benchmark::Counter(frames / guest_rate, benchmark::Counter::kIsRate);
}

static void start_machine(int m, int map) {
    turbo = 1;
    machine_switch(m, map, true, true, false);
    load_loop_program();
    machine_reset();
}

static void BM_ProcessorFrames(benchmark::State& state) {
    start_machine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    run_frames(state);
}
BENCHMARK(BM_ProcessorFrames)->Args({MIKIT, 21})->Args({TWIN, 12})->Args({PIPBUG, 9});

// The TWIN with both boards busy: the master counts, halts and so hands over;
// the slave counts and makes a service call, which hands back; the master's
// routine returns at once. Reports frames and hand-overs per host second.
static void BM_TwinBothBoardsFrames(benchmark::State& state) {
    turbo = 1;
    post = 0; // the system's start, not the boot ROM's
    machine_switch(TWIN, 12, true, true, false);
    machine_reset();
    static const u8 master[] = {0x05, 0x20, 0xF9, 0x7E, 0x40, 0x1F, 0x01, 0x00};
    static const u8 slave[] = {0x05, 0x20, 0xF9, 0x7E, 0xD4, 0xF7, 0x1F, 0x00, 0x00};
    std::copy(std::begin(master), std::end(master), guest_memory + 0x0100);
    std::copy(std::begin(slave), std::end(slave), guest_memory + 0x4000);
    guest_memory[0x0020] = 0x37; // the first service call's routine: RETE,UN
    const u32 before = twin_switch_count;
    run_frames(state, 60.0);
    state.counters["switches/s"] =
        benchmark::Counter(static_cast<double>(twin_switch_count - before), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TwinBothBoardsFrames);

// The memory-mapped VDUs of the BINBUG and the CD2650, drawn by the beam
// between instructions (third argument 0) or once a frame (1).
static void BM_VduComputerFrames(benchmark::State& state) {
    framebased = static_cast<u32>(state.range(2));
    start_machine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    run_frames(state, state.range(0) == CD2650 ? 59.47 : 50.0);
    framebased = 0;
}
BENCHMARK(BM_VduComputerFrames)
    ->Args({BINBUG, MAP_BINBUG, 0})
    ->Args({BINBUG, MAP_BINBUG, 1})
    ->Args({CD2650, MAP_CD2650, 0})
    ->Args({CD2650, MAP_CD2650, 1});

static void BM_PacedTurboFrames(benchmark::State& state) {
    start_machine(MIKIT, 21);
    emu_restart_timing();
    for (auto _ : state) {
        emu_schedule_frame();
        emu_run_frame();
        emu_wait_frame();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PacedTurboFrames);

static void BM_FramesWithoutProcessor(benchmark::State& state) {
    start_machine(PONG, 28);
    run_frames(state);
}
BENCHMARK(BM_FramesWithoutProcessor);

// A ball-and-paddle game in play on each chip: playfield, collision map, bats
// and ball every frame, with both bats played by the computer.
static void BM_BallAndPaddleFrames(benchmark::State& state) {
    turbo = 1;
    robot_left = robot_right = 3;
    pong_machine = 2;
    pong_variant = static_cast<i32>(state.range(1));
    machine_switch(PONG, static_cast<int>(state.range(0)), true, true, false);
    pong_variant = static_cast<i32>(state.range(1));
    machine_reset();
    run_frames(state);
}
BENCHMARK(BM_BallAndPaddleFrames)->Args({28, 0})->Args({29, 8})->Args({29, 12});

// The Type-right in its idle blink after power-on: the state step and the
// LCD's 64 x 14 dots every frame.
static void BM_TyperightFrames(benchmark::State& state) {
    turbo = 1;
    machine_switch(TYPERIGHT, 30, true, true, false);
    machine_reset();
    for (int i = 0; i < 41; i++)
        emu_run_frame();
    run_frames(state);
}
BENCHMARK(BM_TyperightFrames);

// The Arcadia's whole frame in both frame modes, running its title program:
// processor, UVI rows and sprites, and the guest frame. "x real time" divides
// the frame rate by the guest's own 60 frames a second.
static void BM_ArcadiaFrames(benchmark::State& state) {
    turbo = 1;
    stubprograms = 1;
    framebased = static_cast<u32>(state.range(0));
    emu_region = 0;
    machine_switch(ARCADIA, 6, true, true, false);
    run_frames(state, 60.0);
}
BENCHMARK(BM_ArcadiaFrames)->Arg(0)->Arg(1);

// The Arcadia with all four sprites over a screen of text, in both frame
// modes: the sprite latch, drawing and collisions every frame on top of the
// character rows.
static void arcadia_sprite_screen(benchmark::State& state, const std::vector<u8>& program) {
    turbo = 1;
    stubprograms = 0;
    framebased = static_cast<u32>(state.range(0));
    emu_region = 0;
    machine_switch(ARCADIA, 6, true, true, false);
    std::copy(program.begin(), program.end(), guest_memory);
    machine_reset();
    guest_memory[0x18FC] = 0xEF; // 13 rows of 16 lines from line 16
    guest_memory[0x19F9] = 0x0E;
    for (u32 i = 0; i < 13 * 16; i++)
        guest_memory[0x1800 + i] = static_cast<u8>(0x1A + i % 26 + (i % 4) * 0x40);
    for (u32 s = 0; s < 4; s++) {
        for (u32 l = 0; l < 8; l++)
            guest_memory[0x1980 + 8 * s + l] = static_cast<u8>(0x3C ^ (l * 0x11));
        guest_memory[0x18F0 + 2 * s] = static_cast<u8>(200 - 30 * s); // vertical
        guest_memory[0x18F1 + 2 * s] = static_cast<u8>(40 + 25 * s);  // horizontal
    }
    guest_memory[0x19FA] = (4 << 3) | 5;
    guest_memory[0x19FB] = 0xC0 | (1 << 3) | 2;
    run_frames(state, 60.0);
}

static void BM_ArcadiaSpriteFrames(benchmark::State& state) {
    arcadia_sprite_screen(state, {0x1B, 0x7E}); // BCTR,UN to itself
}
BENCHMARK(BM_ArcadiaSpriteFrames)->Arg(0)->Arg(1);

// The sprite screen above with a processor that never idles: a game's main
// loop of arithmetic, stores to RAM and a poll of the sense bit (vertical
// blank) that branches back every few instructions, so the beam and the
// processor interleave instruction by instruction.
static void BM_ArcadiaBusyFrames(benchmark::State& state) {
    // loop: ADDI r0,1; STRA r0,$1A00; TPSU $80; BCTR,UN loop
    arcadia_sprite_screen(state, {0x84, 0x01, 0xCC, 0x1A, 0x00, 0xB4, 0x80, 0x1B, 0x77});
}
BENCHMARK(BM_ArcadiaBusyFrames)->Arg(0)->Arg(1);

// The PVI consoles' whole frame: the Interton running its title program
// (objects, duplicates, grid and score on every line) and the Elektor on its
// expanded map (its monitor when the ROM is present, else empty memory). The
// processor interleaves with the beam clock by clock. "x real time" divides
// the frame rate by the machine's own frame rate.
static void BM_PviConsoleFrames(benchmark::State& state) {
    turbo = 1;
    stubprograms = 1;
    const int m = static_cast<int>(state.range(0));
    machine_switch(m, m == INTERTON ? 3 : 5, true, true, false);
    const double rate = lines_per_frame == 312 ? 50.0 : 60.0;
    run_frames(state, rate);
}
BENCHMARK(BM_PviConsoleFrames)->Arg(INTERTON)->Arg(ELEKTOR);

// The Elektor's frame unthrottled without a tape (0) and with one playing
// (1): the tape is sampled before every instruction and no idle branch is
// counted out, so the second shows what playing costs. A minute of tape is
// wound back whenever it runs out.
static void BM_ElektorTapeFrames(benchmark::State& state) {
    turbo = 1;
    stubprograms = 1;
    machine_switch(ELEKTOR, 5, true, true, false);
    const bool playing = state.range(0) != 0;
    const std::string path =
        (std::filesystem::temp_directory_path() / "brindlemox_bench_tape.wav").string();
    if (playing) {
        const u32 n = 44100 * 60;
        std::string wav = snd_wav_header(n, 44100);
        for (u32 i = 0; i < n; i++)
            wav.push_back(static_cast<char>((i / 19) % 2 ? 224 : 32));
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(wav.data(), 1, wav.size(), f) != wav.size()) {
            state.SkipWithError("cannot write the tape");
            if (f) std::fclose(f);
            return;
        }
        std::fclose(f);
        if (!tape_insert_file(path.c_str())) {
            state.SkipWithError("the tape was refused");
            return;
        }
        tape_play();
    }
    for (auto _ : state) {
        emu_run_frame();
        if (playing && tape_state != CASSETTE_PLAYING) {
            tape_wind_to(0);
            tape_play();
        }
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["x real time"] = benchmark::Counter(frames / 50.0, benchmark::Counter::kIsRate);
    if (playing) {
        tape_close_sample_file();
        std::filesystem::remove(path);
    }
}
BENCHMARK(BM_ElektorTapeFrames)->Arg(0)->Arg(1);

// The coin-op boards' frame with every PVI sprite on screen at scale 2, in
// pairs that overlap, so the sprite engine and the collision pass do their
// full work. The program is a loop that takes each interrupt and returns.
// "x real time" divides by the boards' 50 frames a second.
static void BM_CoinopFrames(benchmark::State& state) {
    turbo = 1;
    collisions = 1;
    const int map = static_cast<int>(state.range(0));
    machine_switch(map <= 25 ? ZACCARIA : MALZAK, map, true, true, false);
    static const u8 loop[] = {0x1B, 0x7E, 0x00, 0x37, 0, 0, 0, 0, 0, 0, 0x37};
    for (unsigned i = 0; i < sizeof loop; i++)
        guest_memory[i] = loop[i];
    machine_reset();
    const u32 first = map >= 26 ? 0x1400 : 0x1500;
    const u32 pvis = map == 22 ? 1 : map >= 26 ? 2 : 3;
    static constexpr u32 BLOCK[4] = {0x00, 0x10, 0x20, 0x40};
    for (u32 p = 0; p < pvis; p++) {
        const u32 base = first + 0x100 * p;
        for (u32 n = 0; n < 4; n++) {
            for (u32 r = 0; r < 10; r++)
                guest_memory[base + BLOCK[n] + r] = static_cast<u8>(0xA5 ^ (r * 0x11));
            guest_memory[base + BLOCK[n] + 10] = static_cast<u8>(30 + 40 * n + 4 * p);
            guest_memory[base + BLOCK[n] + 12] = static_cast<u8>(20 + 60 * p + 10 * n);
        }
        guest_memory[base + 0xC0] = 0x55; // scale 2
        guest_memory[base + 0xC1] = 0x0A;
        guest_memory[base + 0xC2] = 0x1C;
    }
    run_frames(state, 50.0);
}
BENCHMARK(BM_CoinopFrames)->Arg(22)->Arg(23)->Arg(24)->Arg(26);

// Four objects with their duplicates, the background grid and the score on a
// PVI console's screen.
static void pvi_objects_and_grid() {
    for (u32 n = 0; n < 4; n++) {
        const u32 block = 0x1F00 + pvi_object_block[n];
        for (u32 r = 0; r < 10; r++)
            guest_memory[block + r] = static_cast<u8>(0x3C ^ (r * 0x11) ^ n);
        guest_memory[block + 10] = static_cast<u8>(20 + 36 * n); // horizontal
        guest_memory[block + 11] = static_cast<u8>(30 + 36 * n); // duplicates' horizontal
        guest_memory[block + 12] = static_cast<u8>(15 + 20 * n); // vertical
        guest_memory[block + 13] = 12;                           // duplicates' offset
    }
    for (u32 i = 0; i < 0x28; i++) // the grid's bars
        guest_memory[0x1F80 + i] = static_cast<u8>(i % 3 ? 0x81 : 0xFF);
    guest_memory[0x1FC0] = 0x1B; // sizes
    guest_memory[0x1FC1] = 0x0A;
    guest_memory[0x1FC2] = 0x1C;
    guest_memory[0x1FC3] = 0x01; // score at the top, two pairs
    guest_memory[0x1FC6] = 0x2B; // grid on
    guest_memory[0x1FC8] = 0x12;
    guest_memory[0x1FC9] = 0x34;
}

// The PVI consoles with a processor that never idles: a main loop of
// arithmetic, a store to RAM and a poll of the sense bit, and an interrupt
// routine each frame that moves two of the four objects. Objects, their
// duplicates, the grid and the score are on screen, so the beam draws,
// collides and draws again ahead between the instructions.
static void BM_PviBusyFrames(benchmark::State& state) {
    turbo = 1;
    stubprograms = 0;
    collisions = 1;
    const int m = static_cast<int>(state.range(0));
    machine_switch(m, m == INTERTON ? 3 : 5, true, true, false);
    machine_reset();
    // $0000: BCTA,UN $0020. $0003, the interrupt: LODA r1,$1F0A; ADDI r1,1;
    // STRA r1,$1F0A; LODA r1,$1F1C; ADDI r1,1; STRA r1,$1F1C; RETE,UN.
    // $0020: ADDI r0,1; STRA r0,$1800; TPSU $80; BCTR,UN $0020.
    static const u8 start[] = {0x1F, 0x00, 0x20, 0x0D, 0x1F, 0x0A, 0x85, 0x01, 0xCD, 0x1F,
                               0x0A, 0x0D, 0x1F, 0x1C, 0x85, 0x01, 0xCD, 0x1F, 0x1C, 0x37};
    static const u8 loop[] = {0x84, 0x01, 0xCC, 0x18, 0x00, 0xB4, 0x80, 0x1B, 0x77};
    for (unsigned i = 0; i < sizeof start; i++)
        guest_memory[i] = start[i];
    for (unsigned i = 0; i < sizeof loop; i++)
        guest_memory[0x20 + i] = loop[i];
    cpu_iar = 0;
    cpu_psu &= static_cast<u8>(~PSU_II);
    pvi_objects_and_grid();
    const double rate = lines_per_frame == 312 ? 50.0 : 60.0;
    run_frames(state, rate);
}
BENCHMARK(BM_PviBusyFrames)->Arg(INTERTON)->Arg(ELEKTOR);

// Four objects that move every frame over the background grid, with their
// duplicates and the score, as a game drives them: the program polls the
// status register for the vertical blank, then moves each object one pixel
// right and one line down, and polls again for the blank's end. Between the
// polls the beam meets the processor instruction by instruction, drawing the
// lines and writing the collisions of objects that cross each other and the
// grid.
static void pvi_moving_objects_over_grid() {
    turbo = 1;
    stubprograms = 0;
    collisions = 1;
    machine_switch(INTERTON, 3, true, true, false);
    machine_reset();
    static constexpr u32 HC[4] = {0x1F0A, 0x1F1A, 0x1F2A, 0x1F4A};
    u8 program[0x80] = {0x1F, 0x00, 0x20, 0x37}; // BCTA,UN $0020; the interrupt: RETE,UN
    u32 at = 0x20;
    const auto put = [&](std::initializer_list<u8> bytes) {
        for (u8 b : bytes)
            program[at++] = b;
    };
    put({0x0C, 0x1F, 0xCB, 0xF4, 0x40, 0x98, 0x79}); // LODA r0,$1FCB; TMI r0,$40; BCFR,EQ $0020
    for (u32 hc : HC)
        for (u32 a : {hc, hc + 2}) // HC, then VC
            put({0x0D, static_cast<u8>(a >> 8), static_cast<u8>(a), 0x85, 0x01, 0xCD,
                 static_cast<u8>(a >> 8), static_cast<u8>(a)}); // LODA r1; ADDI r1,1; STRA r1
    put({0x0C, 0x1F, 0xCB, 0xF4, 0x40, 0x18, 0x79}); // LODA r0,$1FCB; TMI r0,$40; BCTR,EQ back
    put({0x1F, 0x00, 0x20});                         // BCTA,UN $0020
    for (u32 i = 0; i < sizeof program; i++)
        guest_memory[i] = program[i];
    cpu_iar = 0;
    cpu_psu |= PSU_II;
    pvi_objects_and_grid();
}

static void BM_PviMovingObjectsOverGrid(benchmark::State& state) {
    pvi_moving_objects_over_grid();
    run_frames(state, lines_per_frame == 312 ? 50.0 : 60.0);
}
BENCHMARK(BM_PviMovingObjectsOverGrid);

// The same scene with the picture shown, as in the running program: the
// visible window is the console's, and every changed pixel also goes into
// the host picture at scale 2 (the case above draws into an empty window).
static void BM_PviMovingObjectsOverGridShown(benchmark::State& state) {
    pvi_moving_objects_over_grid();
    display_setup_geometry();
    display_scale = 2;
    display_obtain_pens();
    display_select_plotter();
    run_frames(state, lines_per_frame == 312 ? 50.0 : 60.0);
    // The cases after this one draw into an empty window again.
    display_free_bitmap();
    display_window_left = display_window_top = display_window_right = display_window_bottom = 0;
}
BENCHMARK(BM_PviMovingObjectsOverGridShown);

// The trainer boards' whole frames, running the counting loop: the
// Instructor 50 (digits and lamps), the PHUNSY in both frame modes (the beam
// draws its screen clock by clock in mode 0), the Selbstbaucomputer at its
// fast clock (screen, digits, lamps) and the MIKIT.
static void BM_TrainerFrames(benchmark::State& state) {
    framebased = static_cast<u32>(state.range(2));
    fast_selbst = 1;
    phunsy_biosversion = 1;
    start_machine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (state.range(0) == PHUNSY || state.range(0) == INSTRUCTOR) {
        // Their RAM starts elsewhere: the loop at $2000, jumped to.
        for (u32 i = 0; i < 12; i++)
            guest_memory[0x2000 + i] = guest_memory[i];
        guest_memory[0x200A] = 0x20;
        cpu_iar = 0x2000;
    }
    run_frames(state, 50.0);
}
BENCHMARK(BM_TrainerFrames)
    ->Args({INSTRUCTOR, 15, 0})
    ->Args({PHUNSY, 19, 0})
    ->Args({PHUNSY, 19, 1})
    ->Args({SELBST, 20, 0})
    ->Args({MIKIT, 21, 0});
