#include "input/netplay.h"

#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/savestate.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "platform/catalog.h"
#include "platform/clock.h"
#include "platform/net.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

u32 net_mode = NET_OFF;
int net_socket = -1;
char net_host[NET_HOST_SIZE];
bool net_host_preset = false;
char net_chat_text[NET_CHAT_MAX + 4];
char net_chat_shown[2 * NET_CHAT_MAX + 1];
int net_connect_timeout_ms = 10000;
int net_listen_timeout_ms = 300000;
int (*net_resolver)(const char* host, std::vector<std::uint32_t>* addresses) = net_resolve;
void (*net_link_settled)(bool held) = nullptr;

namespace {

int link_unsettled = 0; // exchanges a link that is up has still to make whole before it settles

// The link made settles: held for its first second, or ended before.
void link_settles(bool held) {
    link_unsettled = 0;
    if (net_link_settled) net_link_settled(held);
}

void set_host_text(const char* text) {
    std::snprintf(net_host, sizeof net_host, "%s", text);
}

// A link that could not be made (a host that does not resolve, a server that
// does not answer, a port that cannot be listened on, a wait that ran out):
// said as the program's other failures are, in a requester over the window,
// in the reply of the port command that asked for the link, on the console
// without an interface. Every such failure of netplay goes through here.
void link_failed(const char* text) {
    std::string said = text;
    while (!said.empty() && said.back() == '\n')
        said.pop_back();
    ui_warning(said.c_str());
}

// The link failed under a transfer: it ends as a disconnect does.
void link_lost() {
    net_disconnect();
}

bool waiting_in_frame = false; // the frame under way is held by a wait for the peer

// The machine as the last frame left it, while connected (net_keep_frame_end),
// and as it stood when the frame under way began to wait for the peer: from
// then on the guest runs no further, and what changes in it is the user's
// (a memory edit, a register, a disk written from the debugger).
struct FrameEnd {
    MachineCopy copy;
    MachineCopy held; // taken as the wait begins
    u32 machine = 0, memmap = 0;
    bool kept = false;
    bool held_kept = false;
} frame_end;

// A link made between frames keeps the machine as it stands: a first frame
// that waits for a peer paused before the link has a frame end to go back to.
void keep_at_link() {
    if (!in_frame && !emu_paused_mid_frame) net_keep_frame_end();
}

// While a receive waits for the peer, the frame counts as held part-way (what
// needs a frame boundary refuses) and the interface's events are served.
// False once the wait must end: the link is gone or the program quits.
bool serve_while_waiting(bool* held) {
    if (!*held && in_frame && !emu_paused_mid_frame) {
        emu_mark_paused_mid_frame();
        *held = waiting_in_frame = true;
        frame_end.held_kept = frame_end.kept && state_take_copy(&frame_end.held);
    }
    ui_host.events();
    return net_socket >= 0 && !(pending_actions & PA_QUIT);
}

// The peer's text for the status bar: control characters become spaces,
// and bytes that are no UTF-8 are read as Latin-1.
void show_chat(char* text) {
    for (char* c = text; *c; c++)
        if (static_cast<unsigned char>(*c) < 32 || *c == 127) *c = ' ';
    text_to_utf8(text, net_chat_shown, sizeof net_chat_shown);
    if (ui_host.status_message) ui_host.status_message(net_chat_shown);
}

} // namespace

bool net_connected() {
    return net_mode == NET_CLIENT || net_mode == NET_SERVER;
}

void net_set_host(const char* text) {
    std::snprintf(net_host, sizeof net_host, "%.*s", NET_HOST_INPUT_MAX, text ? text : "");
}

// ---- the link ---------------------------------------------------------------------------

void net_disconnect() {
    if (net_socket < 0) return;
    net_close(net_socket);
    net_socket = -1;
    net_mode = NET_OFF;
    // The peer's last message goes with the link.
    if (net_chat_shown[0]) {
        net_chat_shown[0] = '\0';
        if (ui_host.status_message) ui_host.status_message("");
    }
    con_printf("%s", cat_str(222, "Disconnected.\n"));
    ui_mark(UI_MENUS | UI_TITLE | UI_TOOLBAR);
    if (link_unsettled) link_settles(false);
}

void net_client_connect(const char* host, u16 port) {
    net_disconnect();
    std::vector<std::uint32_t> addresses;
    if (net_resolver(host, &addresses) == 0) {
        link_failed(cat_str(230, "Can't get hostname!\n"));
        return;
    }
    net_socket = net_connect_to(addresses[0], port, net_connect_timeout_ms);
    if (net_socket < 0) {
        link_failed(cat_str(227, "Can't connect as client!\n"));
        return;
    }
    net_mode = NET_CLIENT;
    keep_at_link();
    link_unsettled = NET_SETTLE_FRAMES;
    con_printf("%s", cat_str(221, "Successfully connected as client!\n"));
}

void net_server_listen(u16 port) {
    net_disconnect();
    char name[NET_HOST_SIZE];
    net_local_name(name, sizeof name);
    set_host_text(name);
    std::vector<std::uint32_t> addresses;
    // The addresses only tell the user where the client is to connect: the
    // server listens on every address of this computer all the same, also
    // when its own name does not resolve. The listening window says it too.
    std::string where;
    const auto say_at = [&] {
        char line[NET_HOST_SIZE + 64];
        std::snprintf(line, sizeof line, cat_str(219, "Acting as server at %s on port %d...\n"),
                      net_host, port);
        con_printf("%s", line);
        where += line;
    };
    if (net_resolver(net_host, &addresses) == 0) {
        con_printf("%s\n", cat_str(233, "Can't resolve hostname!"));
        where += cat_str(233, "Can't resolve hostname!");
        where += '\n';
        if (net_host[0]) say_at();
    }
    for (std::uint32_t a : addresses) {
        set_host_text(net_dotted(a).c_str());
        say_at();
    }
    int stage = 0;
    const int listener = net_listen_on(port, &stage);
    if (listener < 0) {
        if (stage == 1)
            link_failed(cat_str(229, "Can't create server socket!\n"));
        else if (stage == 2)
            link_failed(cat_str(226, "Can't bind server socket!\n"));
        else
            link_failed(cat_str(231, "Can't listen!\n"));
        return;
    }
    net_mode = NET_LISTENING;
    ui_mark(UI_TITLE | UI_MENUS);
    con_printf("%s", cat_str(223, "Listening...\n"));

    std::uint32_t peer = 0;
    // A wait that a command of the port began gives up at a deadline too.
    const bool scripted = ui_unattended;
    const u32 begun = clock_micros();
    bool timed_out = false;
    if (ui_host.listen_open && ui_host.listen_open(where)) {
        for (;;) {
            if (ui_host.listen_poll && ui_host.listen_poll()) break; // the user gave up
            if (pending_actions & PA_QUIT) break;
            if (scripted && clock_micros() - begun >= static_cast<u32>(net_listen_timeout_ms) * 1000u) {
                timed_out = true;
                break;
            }
            const NetWait w = net_wait_readable(listener, NET_LISTEN_SLICE_MS);
            if (w == NET_FAILED) break;
            if (w == NET_READY) {
                net_socket = net_accept_one(listener, &peer);
                if (net_socket >= 0) break;
            }
        }
        if (ui_host.listen_close) ui_host.listen_close();
    }
    net_mode = NET_OFF;
    net_close(listener); // one client per listen
    ui_mark(UI_TITLE | UI_MENUS);
    if (net_socket < 0) {
        if (timed_out) {
            char text[80];
            std::snprintf(text, sizeof text, "No client connected within %g seconds.",
                          net_listen_timeout_ms / 1000.0);
            link_failed(text);
        } else {
            con_printf("%s", cat_str(218, "Aborted by user!\n"));
        }
        return;
    }
    net_mode = NET_SERVER;
    keep_at_link();
    link_unsettled = NET_SETTLE_FRAMES;
    set_host_text(net_dotted(peer).c_str());
    con_printf(cat_str(234, "The client at %s has successfully connected to your server!\n"),
               net_host);
}

void net_command(int which) {
    if (which == 0) {
        net_disconnect();
    } else if (which == 1 && net_mode == NET_OFF) {
        bool accepted = true;
        if (!net_host_preset) {
            char edited[NET_HOST_SIZE];
            std::memcpy(edited, net_host, sizeof edited);
            accepted = ui_host.enter_hostname &&
                       ui_host.enter_hostname(edited, NET_HOST_INPUT_MAX + 1);
            if (accepted) net_set_host(edited);
        }
        if (!accepted || !net_host[0]) {
            con_printf("%s", cat_str(279, "Cancelled.\n\n"));
            return;
        }
        for (char* c = net_host; *c; c++)
            if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
        con_printf(cat_str(220, "Connecting as client to server at %s on port %d...please wait...\n"),
                   net_host, net_port);
        net_client_connect(net_host, net_port);
    } else if (which == 2 && net_mode == NET_OFF) {
        net_server_listen(net_port);
    }
    ui_mark(UI_TITLE | UI_MENUS);
}

// ---- transfers --------------------------------------------------------------------------

bool net_send_all(const u8* data, int length) {
    int sent = 0;
    while (sent < length) {
        if (net_socket < 0) return false;
        const long n = net_send_some(net_socket, data + sent, static_cast<std::size_t>(length - sent));
        if (n <= 0) {
            link_lost();
            return false;
        }
        sent += static_cast<int>(n);
    }
    return net_socket >= 0;
}

bool net_recv_all(u8* data, int length) {
    int got = 0;
    bool held = false;
    while (got < length) {
        if (net_socket < 0) break;
        const long n = net_recv_some(net_socket, data + got, static_cast<std::size_t>(length - got));
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        if (n != -2) { // end of stream or an error
            link_lost();
            break;
        }
        const NetWait w = net_wait_readable(net_socket, NET_WAIT_SLICE_MS);
        if (w == NET_FAILED) {
            link_lost();
            break;
        }
        if (w == NET_TIMEOUT && !serve_while_waiting(&held)) break;
    }
    if (held) {
        waiting_in_frame = false;
        if (emu_paused_mid_frame) emu_clear_paused_mid_frame();
    }
    return got == length;
}

void net_keep_frame_end() {
    frame_end.kept = net_connected() && state_take_copy(&frame_end.copy);
    frame_end.machine = machine;
    frame_end.memmap = memmap;
}


bool net_frame_end_kept() {
    return waiting_in_frame && emu_paused_mid_frame && frame_end.kept &&
           frame_end.machine == machine && frame_end.memmap == memmap;
}

// The frame end with what the user changed while the frame waited: every byte
// of the state that differs from the machine as the wait began is the user's
// and goes over the frame end's. False when the states differ in length (the
// change cannot be placed): the frame end is then taken as it is.
static bool with_held_changes(MachineCopy* end) {
    if (!frame_end.held_kept) return true;
    MachineCopy now;
    if (!state_take_copy(&now)) return false;
    const std::vector<u8>& before = frame_end.held.bytes;
    if (now.bytes == before) return true;
    if (now.bytes.size() != before.size() || end->bytes.size() != before.size()) return false;
    for (std::size_t i = 0; i < before.size(); i++)
        if (now.bytes[i] != before[i]) end->bytes[i] = now.bytes[i];
    return true;
}

bool net_back_to_frame_end() {
    if (!net_frame_end_kept()) return false;
    if (!with_held_changes(&frame_end.copy))
        ui_report_failure("The changes made while the frame waited for the netplay peer are not "
                          "in the autosave: it holds the machine as the last frame left it.\n");
    frame_end.held_kept = false;
    state_put_back(frame_end.copy);
    state_settle();
    frame_end.kept = false;
    emu_clear_paused_mid_frame();
    return true;
}

bool net_send_byte(u8 value) {
    return net_send_all(&value, 1);
}

u8 net_recv_byte() {
    u8 value = 0;
    return net_recv_all(&value, 1) ? value : 0;
}

void net_send_chat(u8 length) {
    if (length == 0) return;
    const int n = std::min<int>(length, static_cast<int>(std::strlen(net_chat_text)));
    net_send_all(reinterpret_cast<const u8*>(net_chat_text), n);
    net_chat_text[0] = '\0';
}

bool net_recv_chat(u8 length) {
    if (length == 0) return true;
    if (length > NET_CHAT_MAX) { // the peer does not speak this protocol
        link_lost();
        return false;
    }
    char text[NET_CHAT_MAX + 1];
    if (!net_recv_all(reinterpret_cast<u8*>(text), length)) return false;
    text[length] = '\0';
    show_chat(text);
    return true;
}

bool net_exchange(const u8* own, int size, u8* peer) {
    if (!net_connected() || size <= 0 || size > 8) return false;
    u8 record[9];
    std::memcpy(record, own, static_cast<std::size_t>(size));
    const u8 chat = static_cast<u8>(std::min<std::size_t>(std::strlen(net_chat_text), NET_CHAT_MAX));
    record[size] = chat;
    net_send_all(record, size + 1);
    net_send_chat(chat);
    if (!net_recv_all(peer, size + 1)) return false;
    if (peer[size] > NET_CHAT_MAX) { // nothing of such a record can be trusted
        link_lost();
        return false;
    }
    if (net_recv_chat(peer[size]) && link_unsettled && --link_unsettled == 0) link_settles(true);
    return true;
}

bool net_store_chat(const char* text) {
    if (!net_connected()) return false;
    const std::size_t n = std::strlen(text);
    if (n <= NET_CHAT_MAX)
        std::memcpy(net_chat_text, text, n + 1);
    else
        std::snprintf(net_chat_text, sizeof net_chat_text, "%.*s...", NET_CHAT_MAX - 3, text);
    return true;
}

void net_reset() {
    link_unsettled = 0;
    net_link_settled = nullptr;
    net_close(net_socket);
    net_socket = -1;
    net_mode = NET_OFF;
    net_host[0] = '\0';
    net_host_preset = false;
    net_chat_text[0] = '\0';
    net_chat_shown[0] = '\0';
    net_connect_timeout_ms = 10000;
    net_listen_timeout_ms = 300000;
    net_resolver = net_resolve;
    frame_end.kept = frame_end.held_kept = false;
}
