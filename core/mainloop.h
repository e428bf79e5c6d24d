// The main loop: one guest frame per pass, then the event pass, then the
// timed wait (or, while paused, a wait for host events). Interface handlers
// never rebuild windows inside a pass: they set bits of pending_actions, and
// the loop acts on them at the frame boundary.
#pragma once

#include "cpu/cpu.h"

constexpr u32 PA_SCALE_1 = 0x00001; // ... PA_SCALE_1 << 5 = scale 6
constexpr u32 PA_SCALE_MASK = 0x0003F;
constexpr u32 PA_STRETCH_1 = 0x00040;
constexpr u32 PA_STRETCH_2 = 0x00080;
constexpr u32 PA_SHOW_GAMELIST = 0x00100;
constexpr u32 PA_HIDE_GAMELIST = 0x00200;
constexpr u32 PA_PREV_GAME = 0x00400;
constexpr u32 PA_NEXT_GAME = 0x00800;
constexpr u32 PA_REBUILD = 0x01000;
constexpr u32 PA_SOUND_RESTART = 0x02000;
constexpr u32 PA_PUBSCREEN = 0x04000;
constexpr u32 PA_QUIT = 0x10000;
constexpr u32 PA_ICONIFY = 0x20000;
constexpr u32 PA_UNICONIFY = 0x40000;

extern u32 pending_actions;

// Never returns: the program leaves through app_clean_exit.
[[noreturn]] void app_main_loop();
// One outer cycle: inner passes until a deferred action is pending, then the
// action at the frame boundary.
void app_outer_cycle();
// One inner pass: frame (unless paused), event pass, wait.
void app_inner_pass();
// Acts on pending_actions after the inner loop ended.
void app_frame_boundary();
// The event pass of a debugger stop inside a frame: a quit asked in it ends
// the program at once, as the frame cannot be finished first.
void app_paused_event_pass();

// Time of the host clock in microseconds (wraps every 71.6 minutes).
u32 timer_now_us();
// Waits `us` microseconds while serving host events.
void timer_wait_us(i32 us);
// Waits until a host event arrives (paused).
void app_wait_events();
// CTRL-C: prints "Brindlemox: User break!" and leaves through the exit path.
void app_check_break();
// Records a CTRL-C for the next check (the SIGINT handler and tests call it).
void app_signal_break();
// True while a break waits for its check (long jobs stop early on it).
bool app_break_pending();
// SIGINT, SIGTERM and SIGHUP record a break for the next check; a requester
// open meanwhile closes, answered as cancelled.
void app_install_break_handler();

// Test seam: the frame and the event pass the loop runs (nullptr restores them).
struct MainLoopHooks {
    void (*run_frame)();
    void (*events)();
};
void app_set_loop_hooks(const MainLoopHooks* hooks);
// Back to the start-up state: real hooks, no pending action or break signal.
void app_loop_reset();
