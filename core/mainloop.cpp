#include "core/mainloop.h"

#include "core/frame.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "core/shutdown.h"
#include "core/startup.h"
#include "gui/main_window.h"
#include "gui/seams.h"
#include "platform/clock.h"
#include "platform/gui.h"

#include <csignal>
#include <sys/resource.h>

u32 pending_actions = 0;
u8 gui_subwin_reopen[20] = {};
SubwindowOps gui_subwin_ops[20];

static volatile std::sig_atomic_t break_signal = 0;

static void real_events() {
    gui_main_window_events();
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
    for (int id = 0; id < 20; id++) {
        gui_subwin_ops[id] = SubwindowOps{};
        gui_subwin_reopen[id] = 0;
    }
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

static void on_sigint(int) {
    break_signal = 1;
}

void app_install_break_handler() {
    struct sigaction sa = {};
    sa.sa_handler = on_sigint;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
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

void task_pri_low() {
    if (task_priority == 0) setpriority(PRIO_PROCESS, 0, 1);
}
void task_pri_restore() {
    if (task_priority == 0) setpriority(PRIO_PROCESS, 0, task_priority_at_start);
}

// ---- tool sub-windows ------------------------------------------------------------
static bool subwin_open(int id) {
    return gui_subwin_ops[id].is_open && gui_subwin_ops[id].is_open();
}

void gui_close_all_subwindows() {
    for (int id = 0; id < 20; ++id) {
        if (id == 15 || !subwin_open(id)) continue;
        if (gui_subwin_ops[id].close) gui_subwin_ops[id].close();
        gui_subwin_reopen[id] = 1;
    }
}

void gui_reopen_subwindows() {
    static const int order[] = {0, 1, 17, 2, 3, 4, 5, 6, 16, 8, 9, 7, 10, 11, 13, 12, 14, 18, 19};
    if (!gui_main_window_is_open()) return;
    for (int id : order)
        if (gui_subwin_reopen[id] && gui_subwin_ops[id].open) gui_subwin_ops[id].open();
    for (u8& f : gui_subwin_reopen)
        f = 0;
    gui_activate_window();
}

void gui_rebuild_subwindow(int id) {
    if (id < 0 || id >= 20 || !subwin_open(id)) return;
    if (gui_subwin_ops[id].close) gui_subwin_ops[id].close();
    gui_subwin_reopen[id] = 1;
    gui_reopen_subwindows();
}

void gui_subwindows_input() {
    static const int order[] = {0, 1, 17, 2, 3, 4, 13, 12, 5, 6, 18, 16, 9, 8, 7, 10, 11, 14, 19};
    for (int id : order)
        if (gui_subwin_ops[id].input && subwin_open(id)) gui_subwin_ops[id].input();
}

// ---- the loop --------------------------------------------------------------------
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
        if (display_mode == 0) gui_iconify();
    }
    if (pending_actions & PA_PREV_GAME) {
        pending_actions &= ~PA_PREV_GAME;
        games_browse_prev(0);
    } else if (pending_actions & PA_NEXT_GAME) {
        pending_actions &= ~PA_NEXT_GAME;
        games_browse_next(0);
    }
    if (!pending_actions) return;

    if (pending_actions & PA_PUBSCREEN) {
        pending_actions &= ~PA_PUBSCREEN;
        if (display_mode == 0) {
            gui_close_all_subwindows();
            gui_close_main_window();
            // One host screen: the window stays on the default screen.
            gui_pubscreen_name[0][0] = '\0';
            gui_forget_subwindow_positions();
        } else {
            gui_close_main_window();
        }
    } else {
        gui_close_main_window();
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
    gui_open_main_window(1);
}

void app_outer_cycle() {
    pending_actions = 0;
    gui_update_pointer(1, 1);
    while (!pending_actions)
        app_inner_pass();
    app_frame_boundary();
}

void app_main_loop() {
    for (;;)
        app_outer_cycle();
}
