#include "app/mainloop.h"

#include "core/frame.h"
#include "core/machine.h"
#include "core/user_prefs.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "app/rexx_host.h"
#include "core/notify.h"
#include "core/ui_host.h"
#include "display/host.h"
#include "input/netplay.h"
#include "platform/clock.h"
#include "platform/gui.h"

#include <csignal>
#include <sys/resource.h>

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
    app_clear_break();
}

static void on_break(int) {
    app_signal_break();
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
// A display that goes away leaves the same way, from where the host found it.
void app_install_break_handler() {
    gui_host_set_break_poll(requester_poll);
    gui_host_set_display_lost(app_display_lost);
    struct sigaction sa = {};
    sa.sa_handler = on_break;
    sigemptyset(&sa.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &sa, nullptr);
    // A write to a display whose server has ended fails, and the display's
    // connection says it broke, instead of ending the program unannounced.
    sa.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &sa, nullptr);
    app_acquired.sigint_handler = true;
}

// ---- the loop --------------------------------------------------------------------
// The home's lock is looked at twice a second: a lock file removed while the
// program runs is made again, so that a run started later finds the home taken.
static void keep_home_lock() {
    static u32 last_check = 0;
    const u32 now = clock_micros();
    if (now - last_check < 500000) return;
    last_check = now;
    app_check_home_lock();
}

void app_paused_event_pass() {
    hooks->events();
    if (pending_actions & PA_QUIT) app_clean_exit(0);
}

void app_draw_paused_picture() {
    if (!emu_paused || emu_paused_mid_frame || !ui_host.main_window_open()) return;
    paused_picture_pending = false;
    // A linked peer would take the frame's record for a frame it never sees.
    if (net_connected()) return;
    if (emu_draw_standing_picture()) display_redraw_all();
}

void app_inner_pass() {
    keep_home_lock();
    if (emu_paused && paused_picture_pending) app_draw_paused_picture();
    if (!emu_paused) {
        paused_picture_pending = false; // the running frames draw it
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
    if (pending_actions & (PA_STRETCH_1 | PA_STRETCH_2)) {
        display_aspect = pending_actions & PA_STRETCH_1 ? 1 : 2;
        prefs_user_chose_stretch(machine_stretch_kind(), display_aspect);
    }
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
