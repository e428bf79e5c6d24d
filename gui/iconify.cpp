#include "gui/iconify.h"

#include "core/frame.h"
#include "core/loader.h"
#include "app/mainloop.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "display/host.h"
#include "gui/game_list.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "gui/tool_windows.h"
#include "platform/gui.h"
#include "sound/sound_output.h"


u8 gui_iconified = 0;
void (*gui_iconified_service)() = nullptr;

// A file or drawer dropped on the minimised window: a drop that names
// nothing restores the window, as a double-click on the icon does.
static void dropped(const GuiEvent& e) {
    switch (gui_take_drop(e)) {
    case GuiDrop::NOTHING:
    case GuiDrop::LOADED:
        gui_uniconify();
        break;
    case GuiDrop::FAILED:
        gui_beep();
        break;
    default:
        break;
    }
}

const char* gui_iconify_refusal() {
    return gui_host_can_iconify() ? nullptr : "no window manager can iconify the window";
}

void gui_iconify() {
    if (!main_window || gui_iconified) return;
    if (gui_iconify_refusal()) {
        gui_set_status_message("Not iconified: no window manager");
        return;
    }
    if (ui_unattended) {
        // A command of the port answers first; the wait begins at the frame
        // boundary, where the port is served again.
        pending_actions |= PA_ICONIFY;
        return;
    }
    snd_close(0);
    gui_close_all_subwindows();
    gui_window_minimise(main_window, true);
    gui_iconified = 1;
    while (gui_iconified && main_window) {
        gui_host_wait_events(100);
        app_check_break();
        GuiEvent e;
        while (gui_iconified && main_window && gui_window_next_event(main_window, &e)) {
            if (e.type == GE_DROP) dropped(e);
        }
        if (!gui_iconified) break;
        if (gui_iconified_service) gui_iconified_service();
        if (pending_actions & PA_UNICONIFY) {
            pending_actions &= ~PA_UNICONIFY;
            gui_uniconify();
        } else if (!gui_window_minimised(main_window)) {
            gui_uniconify(); // restored by the user
        }
    }
    gui_iconified = 0;
}

void gui_uniconify() {
    if (!main_window) return;
    gui_iconified = 0;
    if (gui_window_minimised(main_window)) gui_window_minimise(main_window, false);
    gui_flush_main_port();
    gui_update_pointer(1);
    display_redraw_all();
    gui_update_main_title();
    gui_reopen_subwindows();
    snd_open(0);
    emu_restart_timing();
}

void gui_autopause_check() {
    if (!autopause || emu_paused_mid_frame || emu_paused) return;
    const int active = gui_host_active_window();
    if (active && (active == main_window || gui_window_is_open(active))) return;
    emu_pause(PauseCause::autopause);
}
