#include "core/frame.h"

#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/hiscore.h"
#include "core/hooks.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/session.h"
#include "core/message.h"
#include "core/notify.h"
#include "cpu/exec.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "peripherals/tape.h"
#include "platform/catalog.h"
#include "platform/clock.h"

#include <cstdio>
#include <cstring>

const int speed_percent[SPEED_STEPS] = {25, 50, 75, 100, 125, 150, 200, 400, 800};

u32 frame_period_scaled_us;
u32 frame_due_us;
u32 frame_now_us;
u32 late_frame_count;
u32 speed_measure_start_us;
u32 speed_last_count;
u32 refresh_due_us;
bool emu_paused_mid_frame;
u32 frame_counter;
u8 in_frame;
i32 raster_clock;

void beam_idle_mark_here(BeamIdleMark& m) {
    const u16 iar = cpu_iar;
    m = (iar & 0x1FFF) > 0x1FFD ? BeamIdleMark{} : BeamIdleMark{beam_branch_bytes(iar), iar, true};
}
i32 cpu_beam_clock = -1;
char speed_text[SPEED_TEXT_SIZE];

static constexpr u32 ONE_SECOND_US = 1000000;
static constexpr u32 WAIT_SLEEP_US = 990; // one sleep of the wait loop
static constexpr u32 WAIT_POLL_US = 1000; // the last stretch before the due time

// Wrapping time comparisons: a strictly before / after b.
static bool time_before(u32 a, u32 b) {
    return !clock_reached(a, b);
}
static bool time_after(u32 a, u32 b) {
    return time_before(b, a);
}

// Machines without a processor count frames instead of processor cycles.
static bool counts_frames() {
    return machine_traits().no_processor;
}

// Ctrl + raw key $2A: one frame per second.
static bool slow_keys_held() {
    return core_slow_keys_held();
}

static int speed_step() {
    return emu_speed >= 0 && emu_speed < SPEED_STEPS ? emu_speed : SPEED_NORMAL;
}

u32 frame_period_for_step(u32 p, int step) {
    switch (step) {
    case 0:
        return p * 4;
    case 1:
        return p * 2;
    case 2:
        return (p * 4) / 3;
    case 4:
        return (p * 4) / 5;
    case 5:
        return (p * 2) / 3;
    case 6:
        return p >> 1;
    case 7:
        return p >> 2;
    case 8:
        return p >> 3;
    default:
        return p;
    }
}

void emu_schedule_frame() {
    frame_now_us = clock_micros();
    if (turbo) return;
    const u32 period = slow_keys_held()
                           ? ONE_SECOND_US
                           : frame_period_for_step(frame_period_us[emu_region & 1], speed_step());
    frame_period_scaled_us = period;
    frame_due_us += period;
    // A late frame restarts the schedule from now: no burst of catch-up frames.
    if (time_before(frame_due_us, frame_now_us)) frame_due_us = frame_now_us + period;
}

void emu_wait_frame() {
    frame_now_us = clock_micros();
    if (!turbo) {
        if (auto_frame_skip && frame_skip <= FRAME_SKIP_AUTO_MAX - 1 &&
            time_after(frame_now_us, frame_due_us)) {
            if (++late_frame_count >= LATE_FRAMES_PER_SKIP) {
                late_frame_count = 0;
                frame_skip++;
                ui_mark(UI_SPEED);
            }
        } else {
            late_frame_count = 0;
        }
        // Sleep in short steps; the last stretch is one precise wait.
        while (time_before(frame_now_us, frame_due_us)) {
            if (time_before(frame_now_us + WAIT_POLL_US, frame_due_us))
                timer_wait_us(static_cast<i32>(WAIT_SLEEP_US));
            else
                timer_wait_us(static_cast<i32>(frame_due_us - frame_now_us));
            frame_now_us = clock_micros();
        }
    }
    if (frame_now_us - speed_measure_start_us > ONE_SECOND_US - 1) emu_measure_speed();
}

FrameClock frame_clock() {
    FrameClock c;
    c.rate = machine_frame_rate(static_cast<int>(emu_region & 1));
    if (!machine_traits().no_processor) {
        // The raster consoles' rows count lines of 227 clock periods.
        const double line_scale = machine_traits().console_raster ? line_clocks / 227.0 : 1.0;
        c.units_per_frame = machine_live_row().clocks_per_frame * line_scale;
    }
    return c;
}

static u32 to_unsigned(double v) {
    return v >= 4294967295.0 ? 0xFFFFFFFFu : v > 0 ? static_cast<u32>(v) : 0;
}

void emu_speed_text(u32 count, u32 elapsed_us, char* out, std::size_t size) {
    const FrameClock clock = frame_clock();
    const double refresh = clock.rate;
    const double nominal_rate = clock.units_per_second();
    char measured[40];
    if (count == 0 || elapsed_us == 0 || nominal_rate <= 0.0) {
        std::snprintf(measured, sizeof measured, "-");
    } else {
        const double rate = count / (elapsed_us / 1000000.0);
        switch (viewspeedas) {
        case 0: {
            u32 fps = to_unsigned(rate / nominal_rate * refresh + 0.5);
            if (fps > 99999)
                std::snprintf(measured, sizeof measured, "#####");
            else
                std::snprintf(measured, sizeof measured, "%u", fps);
            break;
        }
        case 1: {
            u32 percent = to_unsigned(rate / nominal_rate * 100.0 + 0.5);
            // Past 9999% (turbo on a fast host) the speed reads as a multiple,
            // which keeps to the field's width.
            if (percent > 9999)
                std::snprintf(measured, sizeof measured, "%ux",
                              to_unsigned(rate / nominal_rate + 0.5));
            else
                std::snprintf(measured, sizeof measured, "%u%%", percent);
            break;
        }
        default: {
            u32 c = to_unsigned(rate);
            if (counts_frames())
                std::snprintf(measured, sizeof measured, "-");
            else if (c > 999999999)
                std::snprintf(measured, sizeof measured, ">= 1 GHz");
            else if (c > 999999)
                std::snprintf(measured, sizeof measured, "%u,%03u.%01u", c / 1000000,
                              (c % 1000000) / 1000, (c % 1000) / 100);
            else
                std::snprintf(measured, sizeof measured, "%u.%03u", c / 1000, c % 1000);
            break;
        }
        }
    }

    char target[40];
    const bool held = slow_keys_held();
    const int s = speed_percent[speed_step()];
    if (turbo) {
        std::snprintf(target, sizeof target, "%s", cat_str(619, "Turbo"));
    } else if (viewspeedas == 0) {
        if (held)
            std::snprintf(target, sizeof target, "1");
        else
            std::snprintf(target, sizeof target, "%0.2f", refresh * s / 100.0);
    } else if (viewspeedas == 1) {
        if (held)
            std::snprintf(target, sizeof target, "2%%");
        else
            std::snprintf(target, sizeof target, "%d%%", s);
    } else {
        const double clocks = clock.units_per_frame;
        double khz = held ? clocks / 1000.0 : refresh * clocks / 100000.0 * s;
        std::snprintf(target, sizeof target, machine_traits().console_raster ? "%0.3f" : "%f", khz);
    }
    std::snprintf(out, size, "%s %s %s", measured, cat_str(552, "of"), target);
}

void emu_measure_speed() {
    if (!ui_host.status_bar_shown()) return;
    const u32 now = clock_micros();
    const u32 current = counts_frames() ? frame_counter : cpu_cycles;
    const u32 count = current - speed_last_count;
    speed_last_count = current;
    const u32 elapsed = now - speed_measure_start_us;
    speed_measure_start_us = now;
    emu_speed_text(count, elapsed, speed_text, sizeof speed_text);
    ui_mark(UI_SPEED);
}

void frame_reset() {
    emu_restore_user_pause(false);
    turbo = 0;
    auto_frame_skip = 0;
    frame_skip = 1;
    emu_speed = SPEED_NORMAL;
    frame_period_scaled_us = frame_due_us = frame_now_us = 0;
    late_frame_count = speed_measure_start_us = speed_last_count = refresh_due_us = 0;
    emu_paused_mid_frame = false;
    frame_counter = 0;
    in_frame = 0;
    speed_text[0] = '\0';
}

void emu_restart_timing() {
    const u32 now = clock_micros();
    frame_now_us = speed_measure_start_us = frame_due_us = now;
    speed_last_count = counts_frames() ? frame_counter : cpu_cycles;
    late_frame_count = 0;
    if (ui_host.status_bar_shown()) {
        std::snprintf(speed_text, sizeof speed_text, "-");
        ui_mark(UI_SPEED);
    }
}

int emu_speed_percent() {
    return speed_percent[speed_step()];
}

bool display_refresh_due() {
    if (!limitrefreshes || (!turbo && emu_speed <= SPEED_NORMAL)) return true;
    const u32 now = clock_micros();
    const u32 period = frame_period_us[emu_region & 1];
    if (time_before(now, refresh_due_us)) {
        if (refresh_due_us - now > ONE_SECOND_US - 1) refresh_due_us = now + period; // clock reset
        return false;
    }
    refresh_due_us = now + period;
    return true;
}

// The causes holding the emulation paused, one bit each; emu_paused is set
// exactly while any is held, and only the functions below change either.
static u32 pause_holders;

static constexpr u32 bit(PauseCause why) {
    return 1u << static_cast<u32>(why);
}

const char* pause_cause_name(PauseCause why) {
    static constexpr const char* names[PAUSE_CAUSES] = {"user", "autopause", "debugger",
                                                        "manual", "web page"};
    const auto i = static_cast<std::size_t>(why);
    return i < std::size(names) ? names[i] : "?";
}

void emu_pause(PauseCause why) {
    pause_holders |= bit(why);
    if (emu_paused) return;
    emu_paused = true;
    if (in_frame && !emu_paused_mid_frame) emu_mark_paused_mid_frame();
    dbg_clear_run_targets();
    ui_mark(UI_TOOLBAR | UI_MENUS | UI_TITLE | UI_POINTER);
    core_hooks_run(CoreHook::paused);
}

static void run_again() {
    if (!emu_paused) return;
    emu_paused = false;
    ui_mark(UI_TOOLBAR | UI_MENUS | UI_TITLE | UI_POINTER);
    core_hooks_run(CoreHook::unpaused);
}

void emu_unpause() {
    pause_holders = 0;
    run_again();
}

void emu_release(PauseCause why) {
    pause_holders &= ~bit(why);
    if (!pause_holders) run_again();
}

bool emu_paused_by(PauseCause why) {
    return emu_paused && (pause_holders & bit(why));
}

void emu_restore_user_pause(bool paused) {
    pause_holders = paused ? bit(PauseCause::user) : 0;
    emu_paused = paused;
}

// What can be chosen between frames only is ghosted while a frame is under way.
void emu_mark_paused_mid_frame() {
    emu_paused_mid_frame = true;
    ui_mark(UI_MENUS | UI_TOOLBAR);
}

void emu_clear_paused_mid_frame() {
    emu_paused_mid_frame = false;
    ui_mark(UI_MENUS | UI_TOOLBAR);
}

int hiscore_row_of_game() {
    return machine_row().hiscore_row ? machine_row().hiscore_row() : -1;
}

// The trainers change the guest's program, so they spoil the scores of a
// machine that runs one.
bool hiscore_scan_allowed() {
    if (!machine_traits().scans_hiscores) return false;
    if (!collisions || emu_speed < SPEED_NORMAL) return false;
    if (rec_state == REC_PLAYBACK || emu_paused) return false;
    return machine_traits().no_processor ||
           !(trainer_lives || trainer_time || trainer_invincibility);
}

void emu_end_of_frame() {
    if (emu_previewing) {
        frame_counter++;
        in_frame = 0;
        return;
    }
    const u32 skip = frame_skip > 0 ? static_cast<u32>(frame_skip) : 1;
    if (frame_skip != FRAME_SKIP_NO_DRAW && frame_counter % skip == 0)
        core_hooks_run(CoreHook::frame_picture);
    core_hooks_run(CoreHook::frame_ending);
    frame_counter++;

    if ((tape_state == 2 || tape_state == 3) && frame_counter % 3 == 0)
        tape_reel_phase = tape_reel_phase >= 5 ? 0 : tape_reel_phase + 1;

    in_frame = 0;
    if (emu_paused_mid_frame) emu_clear_paused_mid_frame();

    const int row = hiscore_row_of_game();
    if (row >= 0) {
        hiscore_add_play_time(row, (emu_region & 1) ? 20000 : 16667);
        if (hiscore_scan_allowed()) hiscore_scan(row);
    }

    if (machine_row().frame_ended) machine_row().frame_ended();

    if (rec_state == REC_PLAYBACK && filebuf_cursor >= rec_length) {
        if (loop && filebuf_cursor > state_length)
            rec_restart_playback();
        else
            rec_stop_all();
    }

    core_hooks_run(CoreHook::frame_ended);

    if (dbg_run_to_frame) {
        dbg_clear_run_targets();
        dbg_run_to_frame = 0;
        con_printf(cat_str(200, "Reached next frame (%d).\n\n"), static_cast<int>(frame_counter));
        emu_pause(PauseCause::debugger);
    }

    ui_mark(UI_REFRESH_WINDOWS);
}
