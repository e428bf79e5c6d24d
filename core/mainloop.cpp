#include "core/mainloop.h"

#include "core/frame.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "core/shutdown.h"
#include "core/startup.h"
#include "core/rexx_host.h"
#include "core/notify.h"
#include "core/ui_host.h"
#include "platform/clock.h"
#include "platform/gui.h"

#include <csignal>
#include <sys/resource.h>

u32 pending_actions = 0;

static volatile std::sig_atomic_t break_signal = 0;

static void real_events() {
    ui_host.events();
}
static const MainLoopHooks real_hooks = {emu_run_frame, real_events};
static const MainLoopHooks* hooks = &real_hooks;

void app_set_loop_hooks(const MainLoopHooks* h) {
    hooks = h ? h : &real_hooks;
}

void app_loop_reset() {
    hooks = &real_hooks;
    pending_actions = 0;
    break_signal = 0;
}

u32 timer_now_us() {
    return clock_micros();
}

void timer_wait_us(i32 us) {
    if (us < 0) us = 0;
    gui_host_wait_until(clock_micros() + static_cast<u32>(us));
}

// While paused the wait ends at least every 100 ms so that a CTRL-C typed in
// the shell is seen even when the window gets no events.
void app_wait_events() {
    gui_host_wait_events(100);
}

static void on_break(int) {
    app_signal_break();
}

bool app_break_pending() {
    return break_signal != 0;
}

// Polled while a requester is open: the port's clients are answered meanwhile,
// and the requester closes (as cancelled) on a break or when the client whose
// command asked has gone.
static bool requester_poll() {
    const bool asker_gone = rexx_serve_port_waiting();
    return app_break_pending() || asker_gone;
}

// CTRL-C, a kill and a closed terminal or session all leave through the exit
// path, so that the settings, high scores and autosave are written. An open
// requester closes on the break, so that its loop does not hold the program.
void app_install_break_handler() {
    gui_host_set_break_poll(requester_poll);
    struct sigaction sa = {};
    sa.sa_handler = on_break;
    sigemptyset(&sa.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &sa, nullptr);
    app_acquired.sigint_handler = true;
}

void app_signal_break() {
    break_signal = 1;
}

void app_check_break() {
    if (!break_signal || app_exiting) return;
    break_signal = 0;
    con_printf("Brindlemox: User break!\n");
    app_clean_exit(0);
}

// ---- the loop --------------------------------------------------------------------
void app_paused_event_pass() {
    hooks->events();
    if (pending_actions & PA_QUIT) app_clean_exit(0);
}

void app_inner_pass() {
    if (!emu_paused) {
        emu_schedule_frame();
        hooks->run_frame();
    }
    hooks->events();
    if (emu_paused)
        app_wait_events();
    else
        emu_wait_frame();
}

void app_frame_boundary() {
    if (pending_actions & PA_ICONIFY) {
        pending_actions &= ~PA_ICONIFY;
        if (display_mode == 0) ui_host.iconify();
    }
    if (pending_actions & PA_PREV_GAME) {
        pending_actions &= ~PA_PREV_GAME;
        ui_host.browse_games(-1);
    } else if (pending_actions & PA_NEXT_GAME) {
        pending_actions &= ~PA_NEXT_GAME;
        ui_host.browse_games(1);
    }
    if (!pending_actions) return;

    if (pending_actions & PA_PUBSCREEN) {
        pending_actions &= ~PA_PUBSCREEN;
        if (display_mode == 0) {
            ui_host.close_tool_windows();
            ui_host.close_main_window();
            // One host screen: the window stays on the default screen.
            pubscreen_name[0][0] = '\0';
            ui_host.forget_window_positions();
        } else {
            ui_host.close_main_window();
        }
    } else {
        ui_host.close_main_window();
    }
    for (int s = 0; s < 6; ++s)
        if (pending_actions & (PA_SCALE_1 << s)) {
            display_scale = static_cast<u32>(s + 1);
            break;
        }
    if (pending_actions & PA_STRETCH_1)
        display_aspect = 1;
    else if (pending_actions & PA_STRETCH_2)
        display_aspect = 2;
    if (pending_actions & PA_SHOW_GAMELIST)
        view_gamelist[display_mode] = 1;
    else if (pending_actions & PA_HIDE_GAMELIST)
        view_gamelist[display_mode] = 0;
    if (pending_actions & PA_QUIT) app_clean_exit(0);
    ui_host.open_main_window(1);
}

void app_outer_cycle() {
    pending_actions = 0;
    ui_mark(UI_POINTER);
    while (!pending_actions)
        app_inner_pass();
    app_frame_boundary();
}

void app_main_loop() {
    for (;;)
        app_outer_cycle();
}
