#include "gui/dialogs.h"

#include "app/mainloop.h"
#include "core/message.h"
#include "app/rexx_host.h"
#include "app/shutdown.h"
#include "core/ui_host.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "platform/catalog.h"

#include <string>
#include <vector>

namespace {

struct Modeless {
    int win;
    DialogHandler handle;
    std::function<void()> closed;
};
std::vector<Modeless> modeless;

struct Notice {
    std::string title, body;
    int kind;
};
std::vector<Notice> held_notices;

// Takes the window's waiting events; true when the dialog is done.
bool handle_events(int win, const DialogHandler& handle) {
    if (!gui_window_is_open(win)) return true;
    GuiEvent e;
    while (gui_window_next_event(win, &e))
        if (handle(e)) return true;
    return false;
}

} // namespace

bool gui_dialog_begin() {
    if (ui_unattended) return false;
    gui_modal_begin();
    return true;
}

void gui_dialog_abandon(bool modal) {
    gui_warning(cat_str(156, "Can't open window!"));
    if (modal) gui_modal_end();
}

void gui_dialog_run(bool modal, int win, DialogHandler handle, std::function<void()> closed) {
    if (!modal) {
        modeless.push_back({win, std::move(handle), std::move(closed)});
        return;
    }
    for (;;) {
        gui_host_wait_events(100);
        app_check_break();
        rexx_serve_port_waiting();
        if (handle_events(win, handle)) break;
    }
    gui_window_close(win);
    if (closed) closed();
    gui_modal_end();
}

void gui_dialogs_input() {
    // A nested event pass (a message printed by a handler) leaves them to this one.
    static bool running = false;
    if (running) return;
    struct Running {
        Running() { running = true; }
        ~Running() { running = false; }
    } guard;
    // A handler may open another dialog (the list grows): walk by index, with
    // the handler copied out of the list.
    for (std::size_t i = 0; i < modeless.size();) {
        const DialogHandler handle = modeless[i].handle;
        if (!handle_events(modeless[i].win, handle)) {
            ++i;
            continue;
        }
        Modeless done = std::move(modeless[i]);
        modeless.erase(modeless.begin() + static_cast<std::ptrdiff_t>(i));
        gui_window_close(done.win);
        if (done.closed) done.closed();
    }
}

void gui_dialogs_close_all() {
    std::vector<Modeless> open;
    open.swap(modeless);
    for (Modeless& d : open) {
        gui_window_close(d.win);
        if (d.closed) d.closed();
    }
}

void gui_dialogs_reset() {
    modeless.clear();
    held_notices.clear();
}

void gui_notice(const char* title, const char* body, int image_kind) {
    if (!app_acquired.host_gui) {
        con_printf("%s\n", body);
        return;
    }
    if (ui_unattended_report(body, nullptr)) return;
    if (!main_window) {
        held_notices.push_back({title, body, image_kind});
        return;
    }
    gui_host_notice(title, body, cat_str(143, "OK"), image_kind, main_window);
}

void gui_show_held_notices() {
    if (!main_window) return;
    std::vector<Notice> shown;
    shown.swap(held_notices);
    for (const Notice& n : shown)
        gui_host_notice(n.title.c_str(), n.body.c_str(), cat_str(143, "OK"), n.kind, main_window);
}
