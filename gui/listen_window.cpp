#include "gui/listen_window.h"

#include "app/rexx_host.h"
#include "core/session.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "platform/catalog.h"
#include "platform/gui.h"

int listen_window = 0;

bool gui_listen_window_open(const std::string& where) {
    if (listen_window || !app_acquired.host_gui) return false;
    gui_modal_begin();
    GuiWindowDesc d;
    d.title = cat_str(122, "Listening...");
    d.root.kind = GK_VGROUP;
    // Where the client is to connect, one line each, then how to stop.
    std::size_t from = 0;
    while (from < where.size()) {
        std::size_t end = where.find('\n', from);
        if (end == std::string::npos) end = where.size();
        GuiNode line;
        line.kind = GK_LABEL;
        line.text = where.substr(from, end - from);
        d.root.children.push_back(line);
        from = end + 1;
    }
    GuiNode hint;
    hint.kind = GK_LABEL;
    hint.text = "Any key or the close gadget stops waiting.";
    d.root.children.push_back(hint);
    listen_window = gui_window_open(d);
    if (!listen_window) {
        gui_warning(cat_str(156, "Can't open window!"));
        gui_modal_end();
        return false;
    }
    gui_lock_menus();
    gui_update_main_title(); // it says "listening" now
    return true;
}

bool gui_listen_window_poll() {
    if (!listen_window) return true;
    gui_host_pump();
    app_check_break();
    if (app_exiting || !gui_window_is_open(listen_window)) return true;
    // The port's other clients are answered meanwhile; a wait that a client's
    // command began ends when that client has gone.
    if (rexx_serve_port_waiting()) return true;
    bool gave_up = false;
    GuiEvent e;
    while (gui_window_next_event(listen_window, &e)) {
        // Only a key pressed while the window stands stops the wait: the
        // release of the hotkey that opened it, or its repeat, does not.
        const bool key_down =
            e.type == GE_RAWKEY && e.code < RAWKEY_UP && !(e.qualifier & QUAL_REPEAT);
        if (e.type == GE_CLOSE || key_down) gave_up = true;
    }
    return gave_up;
}

void gui_listen_window_close() {
    if (!listen_window) return;
    gui_window_close(listen_window);
    listen_window = 0;
    gui_unlock_menus();
    gui_modal_end();
}
