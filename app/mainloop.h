// The main loop: one guest frame per pass, then the event pass, then the
// timed wait (or, while paused, a wait for host events). Interface handlers
// never rebuild windows inside a pass: they set bits of pending_actions, and
// the loop acts on them at the frame boundary.
#pragma once

#include "core/session.h"

// Never returns: the program leaves through app_clean_exit.
[[noreturn]] void app_main_loop();
// One outer cycle: inner passes until a deferred action is pending, then the
// action at the frame boundary.
void app_outer_cycle();
// One inner pass: frame (unless paused), event pass, wait. While paused, a
// picture that no frame has drawn yet is drawn first.
void app_inner_pass();
// A paused guest whose picture no frame has drawn (a session started paused,
// a machine switched or a game or state loaded while paused): its picture is
// drawn without moving the machine on (emu_draw_standing_picture), and the
// guest stays paused. Needs the main window.
void app_draw_paused_picture();
// Acts on pending_actions after the inner loop ended.
void app_frame_boundary();
// The event pass of a debugger stop inside a frame: a quit asked in it ends
// the program at once, as the frame cannot be finished first.
void app_paused_event_pass();

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
