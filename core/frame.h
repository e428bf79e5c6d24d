// Frame pacing, pause, the speed display and the end of every guest frame.
//
// The main loop runs one guest frame per pass: emu_schedule_frame fixes when
// the frame is due, the machine's frame routine runs and ends with
// emu_end_of_frame, and emu_wait_frame waits for the due time, grows the frame
// skip when the host falls behind and, once a second, measures the speed.
//
// Times are unsigned 32-bit microsecond counts of the platform clock; they are
// only ever compared through their unsigned difference. The pacing settings
// (emu_speed, frame_skip, turbo, auto_frame_skip, exactspeed, limitrefreshes,
// viewspeedas, emu_region, emu_paused) live in core/settings_vars.h.
#pragma once

#include "core/machine.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"

#include "cpu/cpu.h"

#include <cstddef>

constexpr int SPEED_STEPS = 9;
constexpr int SPEED_NORMAL = 3; // 100 %
constexpr int FRAME_SKIP_NO_DRAW = 11;
constexpr int FRAME_SKIP_AUTO_MAX = 10;
constexpr u32 LATE_FRAMES_PER_SKIP = 50;
constexpr int RAW_KEY_SLOW = 0x2A; // with Ctrl: one frame per second
constexpr int SPEED_TEXT_SIZE = 80;

extern const int speed_percent[SPEED_STEPS]; // 25 .. 800

extern u32 frame_period_scaled_us; // period of the current speed step
extern u32 frame_due_us;           // when the next frame is due
extern u32 frame_now_us;           // last clock reading of scheduling and waiting
extern u32 late_frame_count;       // consecutive late frames
extern u32 speed_measure_start_us; // start of the current speed measurement
extern u32 speed_last_count;       // cycles (or frames) at that start
extern u32 refresh_due_us;         // earliest next display refresh when limited
extern bool emu_paused_mid_frame;  // paused while a frame was under way
extern u32 frame_counter;          // frames since the last reset
extern u8 in_frame;                // a frame routine is running
// The beam of the raster machines: the pixel clock being drawn in raster_line
// (cpu/bus.h), and the clock at which the processor's next instruction begins.
extern i32 raster_clock;
extern i32 cpu_beam_clock;
// One instruction at the processor's beam clock (none when a trap has run it
// itself), which moves on by four beam clocks per clock period it took.
inline void beam_step_one() {
    const u32 start = cpu_cycles;
    cpu_step();
    cpu_beam_clock += 4 * static_cast<i32>(cpu_cycles - start);
}
// The last beam clock of a raster line (227 clocks, 0-226).
constexpr i32 BEAM_LAST_CLOCK = 226;
// An instruction that ran past the line's end puts the processor on the next
// line, late by the overshoot.
inline void beam_wrap_to_next_line() {
    if (cpu_beam_clock > BEAM_LAST_CLOCK) cpu_beam_clock -= line_clocks;
}
// While the processor idles on a branch to itself (cpu_idles), each run of
// the branch takes 36 beam clocks (its 9 clock periods).
constexpr i32 BEAM_IDLE_RUN = 4 * 9;
// The runs from cpu_beam_clock that begin before beam clock `target`.
inline i32 beam_idle_runs_before(i32 target) {
    return cpu_beam_clock >= target ? 0 : (target - 1 - cpu_beam_clock) / BEAM_IDLE_RUN + 1;
}
// Counts out the runs that begin before beam clock `target` and moves
// cpu_beam_clock past them.
inline void beam_idle_to(i32 target) {
    const i32 n = beam_idle_runs_before(target);
    if (n == 0) return;
    cpu_idle_runs(static_cast<u32>(n));
    cpu_beam_clock += n * BEAM_IDLE_RUN;
}
// A yes from a frame loop's idle test (cpu_idles and the machine's own
// conditions), carried to the next place that would ask while nothing the
// test reads can have changed. Between the processor's instructions only
// three things change it: a write to memory by a chip or the inputs (the
// branch's bytes are kept and compared), a requested pause, and an accepted
// interrupt (the loop drops the mark then); the rest changes only in a pause,
// which follows an instruction, and an instruction runs only after the test
// has said no, which drops the mark.
struct BeamIdleMark {
    u32 bytes = 0; // the three bytes from the branch's address
    u16 iar = 0;
    bool set = false;
};
// The mark of the processor idling where it stands, found just now; none
// when its bytes wrap round the end of their page (the test is asked again).
void beam_idle_mark_here(BeamIdleMark& m);
// The three bytes from address `iar`, the first lowest.
inline u32 beam_branch_bytes(u16 iar) {
    return guest_memory[iar] | guest_memory[iar + 1] << 8 | guest_memory[iar + 2] << 16;
}
// A loop's idle test `idling`, answered by mark `m` while it holds; a yes
// asked afresh is marked, a no drops the mark. Inline: on an idle line the
// mark answers several times, and without a mark the answer is the test's own.
inline bool beam_idling_marked(BeamIdleMark& m, bool (*idling)()) {
    if (m.set) [[unlikely]] {
        if (!pause_pending && cpu_iar == m.iar && beam_branch_bytes(m.iar) == m.bytes)
            return true;
        m.set = false;
    }
    if (!idling()) return false;
    beam_idle_mark_here(m);
    return true;
}
// A yes from a frame loop's poll test (cpu_polls and the machine's own
// conditions), carried while the loop stands: up to the next place that
// would ask, no instruction has run but those counted out (one runs only
// where the mark cannot hold or after the test has said no, which drops
// it), no interrupt has been accepted (the loop drops the mark then) and no
// pause is asked for. The loop's bytes and the byte polled are compared
// each time: a chip or the inputs may have written them.
struct BeamPollMark {
    CpuPoll poll{};
    bool set = false;
};
// Whether mark `m` holds (at whichever of the loop's instructions the
// processor stands); it is dropped when not. And a loop's poll test
// `polling`, answered by the mark while it holds; a yes asked afresh sets
// the mark, a no drops it.
inline bool beam_poll_mark_holds(BeamPollMark& m) {
    if (!m.set) return false;
    m.set = !pause_pending && cpu_iar == m.poll.at[m.poll.phase] && cpu_poll_steady(m.poll);
    return m.set;
}
inline bool beam_polling_marked(BeamPollMark& m, bool (*polling)(CpuPoll&)) {
    if (beam_poll_mark_holds(m)) return true;
    if (!polling(m.poll)) return false;
    m.set = true;
    return true;
}
// Counts out the poll loop's instructions that begin from cpu_beam_clock
// before beam clock `target` (the first one always), but no LODA after the
// first instruction that begins at or after `loads_before` (the byte may
// have changed by then), and moves cpu_beam_clock past them.
inline void beam_poll_to(CpuPoll& p, i32 target, i32 loads_before) {
    // The clock periods from cpu_beam_clock in which beam clock c begins.
    const auto periods_to = [](i32 c) {
        return c <= cpu_beam_clock ? 0u : static_cast<u32>(c - cpu_beam_clock + 3) / 4;
    };
    cpu_beam_clock += 4 * static_cast<i32>(cpu_poll_runs(p, periods_to(target), periods_to(loads_before)));
}
extern char speed_text[SPEED_TEXT_SIZE]; // measured speed " of " target

// The period of the current speed step (x4 .. /8) for a period at 100 %.
u32 frame_period_for_step(u32 period, int step);

void emu_schedule_frame();
void emu_wait_frame();
void emu_measure_speed();
// The speed text for `count` cycles (frames on machines 11 and 14) measured
// over `elapsed_us`: the measured value, " of ", and the target.
void emu_speed_text(u32 count, u32 elapsed_us, char* out, std::size_t size);
void emu_restart_timing();
// Back to the start-up state: normal speed, no turbo, frame skip 1, not paused,
// counters and timing cleared.
void frame_reset();
// Who holds the emulation paused. It stays paused while any cause holds it,
// and each cause lets go on its own. Only the user's own pause is a
// preference: the settings' "paused" reads and writes that cause alone, so a
// pause the program made for itself never outlives the run.
enum class PauseCause : u8 {
    user,      // the Pause item, its key and button, the port's PAUSE, the debugger's G/P,
               // and "paused" read from the settings at start-up
    autopause, // another program's window became active, with "autopause" on
    debugger,  // a breakpoint, watchpoint, logged warning, step or run target reached
    manual,    // the help viewer is open
    web_page,  // an opcode's page in the browser, opened from the opcodes chart
    count
};
constexpr int PAUSE_CAUSES = static_cast<int>(PauseCause::count);
// The cause's name (test support: the rows of the pause test).
const char* pause_cause_name(PauseCause why);
// `why` holds the emulation paused (pausing it, when nothing held it yet).
void emu_pause(PauseCause why);
// The emulation runs again: every cause lets go (the user resumes, or the
// debugger runs to its next stop).
void emu_unpause();
// `why` lets go; the emulation runs again once no other cause holds it.
void emu_release(PauseCause why);
bool emu_paused_by(PauseCause why);
// The settings' "paused" read at start-up: the user's own pause, set before
// anything runs (no sound, menus or hooks to tell yet).
void emu_restore_user_pause(bool paused);
void emu_mark_paused_mid_frame();
void emu_clear_paused_mid_frame();
bool display_refresh_due();
// The speed step's percentage (25 .. 800).
int emu_speed_percent();
// The frame clock: the one time base of everything that writes or shows the
// guest's time (the sound, music and sound-chip files, the animations, the
// tape's samples, the elapsed time, the speed). A frame lasts 1 / rate
// seconds, the machine's own rate in the current video standard
// (machine_frame_rate: 60.19 Hz on the Arcadia, 50.08 Hz on the Elektor,
// 59.47 Hz on the CD2650; exactly 60 or 50 with "Exactly 50/60 FPS"), and it
// runs units_per_frame guest time units: clock periods of the processor as
// the frame really runs them (a raster console's line length counted), or
// frames on the machines without a processor. N frames are N / rate seconds
// in every file a recorder writes; no recorder assumes 50 or 60 Hz.
struct FrameClock {
    double rate = 50.0;           // frames per second
    double units_per_frame = 1.0; // guest time units per frame
    double units_per_second() const { return rate * units_per_frame; }
};
FrameClock frame_clock();

// The reference of the tone voices: the video standard's, and the exact
// or the nominal one at 60 Hz.

// The high-score row of the running game, or -1.
int hiscore_row_of_game();
// Whether the end of frame scans the running game's score: on the Arcadia, the
// coin-op boards and the ball-and-paddle machine, with "collisions" on, at full
// speed or faster, without playback or pause, and (except on the ball-and-paddle
// machine) without trainers.
bool hiscore_scan_allowed();
// The common end of every machine's frame.
void emu_end_of_frame();
