// The netplay link over loopback: the program's end of the link in this test
// process, the peer a raw socket of the test that checks every byte the
// program sends and sends the bytes a peer would. Every wait has a deadline.
#include "commands/arexx.h"
#include "commands/command_table.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/hooks.h"
#include "core/machine.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/memory.h"
#include "gui/host_name_prompt.h"
#include "gui/listen_window.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "input/netplay.h"
#include "machines/arcadia.h"
#include "machines/pvi2636.h"
#include "machines/pvi_consoles.h"
#include "platform/headless/gui_headless.h"
#include "platform/net.h"
#include "tests/support/bound_port.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<u8>;

class Netplay : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override {
        if (peer >= 0) net_close(peer);
        app_acquired.host_gui = false;
        fresh_state();
    }

    // The program connects as client to the test's peer and then takes
    // `mode` (the role only decides which player is whose).
    void link(u32 mode) {
        int stage = 0;
        const int listener = net_listen_on(0, &stage);
        ASSERT_GE(listener, 0);
        net_client_connect("127.0.0.1", test_bound_port(listener));
        ASSERT_EQ(net_mode, NET_CLIENT);
        ASSERT_EQ(net_wait_readable(listener, 2000), NET_READY);
        std::uint32_t from = 0;
        peer = net_accept_one(listener, &from);
        net_close(listener);
        ASSERT_GE(peer, 0);
        net_mode = mode;
    }
    void send(const Bytes& bytes) const {
        ASSERT_EQ(net_send_some(peer, bytes.data(), bytes.size()), static_cast<long>(bytes.size()));
    }
    // Exactly `n` bytes from the program, or fewer when none come for a second.
    Bytes take(std::size_t n) const {
        Bytes got;
        while (got.size() < n && net_wait_readable(peer, 1000) == NET_READY) {
            u8 buffer[256];
            const long r = net_recv_some(peer, buffer, std::min(n - got.size(), sizeof buffer));
            if (r <= 0) break;
            got.insert(got.end(), buffer, buffer + r);
        }
        return got;
    }
    bool nothing_sent() const { return net_wait_readable(peer, 100) == NET_TIMEOUT; }

    int peer = -1;
};

std::string many(char c, std::size_t n) {
    return std::string(n, c);
}

// A port nobody listens on now.
u16 free_port() {
    int stage = 0;
    const int probe = net_listen_on(0, &stage);
    const u16 port = test_bound_port(probe);
    net_close(probe);
    return port;
}

void set(u32 address, std::initializer_list<u8> values) {
    for (u8 v : values)
        guest_memory[address++] = v;
}

TEST_F(Netplay, ArcadiaRecordsAreByteExactForServerAndClient) {
    const auto prepare = [] {
        set(0x1900, {1, 2, 3, 4, 5, 6, 7, 8, 5}); // both keypads, console keys
        set(0x19FE, {0xC0, 0x40});                // paddles: right, left
    };
    {
        SCOPED_TRACE("server");
        prepare();
        link(NET_SERVER);
        send({0x9A, 0xBC, 0x77, 0x03, 0});
        arcadia_net_exchange(true);
        EXPECT_EQ(take(5), (Bytes{0x12, 0x34, 0x40, 0x05, 0}));
        EXPECT_EQ(Bytes(guest_memory + 0x1904, guest_memory + 0x1909), (Bytes{9, 10, 11, 12, 5}));
        EXPECT_EQ(guest_memory[0x19FE], 0x77);
        EXPECT_EQ(Bytes(guest_memory + 0x1900, guest_memory + 0x1904), (Bytes{1, 2, 3, 4}));
    }
    net_reset();
    net_close(peer);
    {
        SCOPED_TRACE("client");
        prepare();
        link(NET_CLIENT);
        send({0x21, 0x43, 0x66, 0x07, 0});
        arcadia_net_exchange(true);
        EXPECT_EQ(take(5), (Bytes{0x56, 0x78, 0xC0, 0x00, 0})); // byte 3 is always 0
        EXPECT_EQ(Bytes(guest_memory + 0x1900, guest_memory + 0x1909),
                  (Bytes{2, 1, 4, 3, 5, 6, 7, 8, 7})); // the server's console keys rule
        EXPECT_EQ(guest_memory[0x19FF], 0x66);
    }
    // Under playback the recording gives the inputs: the link only keeps step.
    send({0xFF, 0xFF, 0x01, 0x00, 0});
    arcadia_net_exchange(false);
    EXPECT_EQ(take(5).size(), 5u);
    EXPECT_EQ(guest_memory[0x1900], 2);
}

TEST_F(Netplay, PviRecordsCarryTheKeypadsPotsAndBothSidesConsoleKeys) {
    ASSERT_TRUE(machine_switch(INTERTON, MAP_INTERTON_A, false, false, false));
    const u32 pots = (pvi_base & (GUEST_MEMORY_SIZE - 1)) + 0xCC;
    const auto prepare = [pots] {
        set(0x1E88, {0x8F, 0x4F, 0x2F, 0x4F, 0xFF, 0x1F, 0xEF}); // keys, START, keys
        set(pots, {0x33, 0x44});
    };
    {
        SCOPED_TRACE("server");
        prepare();
        link(NET_SERVER);
        send({0x18, 0x22, 0x99, 0}); // the client's console key joins the server's
        pvi_net_exchange(true);
        EXPECT_EQ(take(4), (Bytes{0x84, 0x42, 0x33, 0}));
        EXPECT_EQ(Bytes(guest_memory + 0x1E8B, guest_memory + 0x1E8F), (Bytes{0x6F, 0x1F, 0x8F, 0x2F}));
        EXPECT_EQ(guest_memory[pots + 1], 0x99);
    }
    net_reset();
    net_close(peer);
    {
        SCOPED_TRACE("client");
        prepare();
        guest_memory[0x1E8B] = 0x2F; // the client's own console key
        link(NET_CLIENT);
        send({0x84, 0x42, 0x55, 0});
        pvi_net_exchange(true);
        EXPECT_EQ(take(4), (Bytes{0xF1, 0x2E, 0x44, 0})); // the client's console key goes too
        EXPECT_EQ(Bytes(guest_memory + 0x1E88, guest_memory + 0x1E8C), (Bytes{0x8F, 0x4F, 0x2F, 0x6F}));
        EXPECT_EQ(guest_memory[pots], 0x55);
    }
    // Through the frame's input step: the peer's keypad arrives whatever the
    // host holds, and the own keypad is read from the host (nothing held).
    send({0x10, 0x01, 0x80, 0});
    pvi_read_inputs();
    EXPECT_EQ(take(4).size(), 4u);
    EXPECT_EQ(Bytes(guest_memory + 0x1E88, guest_memory + 0x1E8B), (Bytes{0x1F, 0x0F, 0x1F}));
    EXPECT_EQ(Bytes(guest_memory + 0x1E8C, guest_memory + 0x1E8F), (Bytes{0x0F, 0x0F, 0x0F}));
}

TEST_F(Netplay, ChatGoesWithTheNextRecordAndShowsInThePeersStatusBar) {
    EXPECT_FALSE(net_store_chat("nobody listens"));
    link(NET_SERVER);
    const std::string whole = many('a', 80);
    ASSERT_TRUE(net_store_chat(whole.c_str()));
    send({0, 0, 0, 0, 0});
    arcadia_net_exchange(true);
    Bytes expected = {0x00, 0x00, guest_memory[0x19FF], guest_memory[0x1908], 80};
    expected.insert(expected.end(), whole.begin(), whole.end());
    EXPECT_EQ(take(85), expected);
    EXPECT_STREQ(net_chat_text, "");

    ASSERT_TRUE(net_store_chat((many('b', 78) + "cd!").c_str())); // 81 characters
    send({0, 0, 0, 0, 0});
    arcadia_net_exchange(true);
    const Bytes cut = take(85);
    ASSERT_EQ(cut.size(), 85u);
    EXPECT_EQ(cut[4], 80);
    EXPECT_EQ(std::string(cut.begin() + 5, cut.end()), many('b', 77) + "...");

    // The peer's message: control characters become spaces, Latin-1 is read.
    send({0, 0, 0, 0, 6, 'h', 'i', 0x01, '!', 0xE9, 0x00});
    arcadia_net_exchange(true);
    EXPECT_STREQ(gui_status_message, "hi !\xC3\xA9"); // a NUL ends it
    EXPECT_EQ(net_mode, NET_SERVER);
    // The debugger's line stores it, and says so.
    OutputCapture out;
    gui_run_command("\"see you");
    EXPECT_STREQ(net_chat_text, "see you");
    EXPECT_NE(out.text().find("OK.\n\n"), std::string::npos);
}

TEST_F(Netplay, ElektorRandomBytesTravelOnTheExpandedMapOnly) {
    ASSERT_TRUE(machine_switch(ELEKTOR, MAP_ELEKTOR_BASIC, false, false, false));
    link(NET_SERVER);
    cpu_read_checked(0x1FFF);
    EXPECT_TRUE(nothing_sent());
    net_reset();
    net_close(peer);

    ASSERT_TRUE(machine_switch(ELEKTOR, MAP_ELEKTOR_EXPANDED, false, false, false));
    link(NET_SERVER);
    Bytes read;
    for (u32 a : {0x1FFFu, 0x1D20u, 0x1FAFu})
        read.push_back(cpu_read_checked(a));
    EXPECT_EQ(take(3), read);

    net_mode = NET_CLIENT;
    send({0x11, 0x22});
    EXPECT_EQ(cpu_read_checked(0x1FFF), 0x11);
    EXPECT_EQ(cpu_read_checked(0x1FFF), 0x22);
}

TEST_F(Netplay, AUserResetEndsTheLinkFirstAndTheConnectingResetKeepsIt) {
    link(NET_CLIENT);
    static u32 mode_at_reset;
    core_hook_add(CoreHook::machine_reset, [] { mode_at_reset = net_mode; });
    emu_reset_request(true);
    EXPECT_EQ(mode_at_reset, NET_CLIENT);
    OutputCapture out;
    emu_reset_request(false);
    EXPECT_EQ(mode_at_reset, NET_OFF);
    EXPECT_EQ(out.text(), "Disconnected.\n");
    EXPECT_EQ(net_socket, -1);
}

TEST_F(Netplay, APeerThatGoesEndsTheLinkAndTheGameGoesOnAlone) {
    link(NET_SERVER);
    set(0x1904, {1, 1, 1, 1});
    net_close(peer);
    peer = -1;
    OutputCapture out;
    arcadia_net_exchange(true);
    EXPECT_EQ(out.text(), "Disconnected.\n");
    EXPECT_EQ(net_mode, NET_OFF);
    EXPECT_EQ(Bytes(guest_memory + 0x1904, guest_memory + 0x1908), (Bytes{1, 1, 1, 1}));
    arcadia_net_exchange(true); // not connected: nothing at all
    EXPECT_EQ(out.text(), "Disconnected.\n");
}

// The peer's last message leaves the status bar with the link.
TEST_F(Netplay, AChatInTheStatusBarGoesWhenTheLinkEnds) {
    gui_open_main_window(0);
    ASSERT_NE(main_window, 0);
    gui_set_status_message(""); // the game information
    const std::string before = gui_get_text(main_window, GID_STATUS_TEXT);
    link(NET_SERVER);
    send({0, 0, 0, 0, 3, 'b', 'y', 'e'});
    arcadia_net_exchange(true);
    ASSERT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "bye");
    net_close(peer);
    peer = -1;
    OutputCapture out;
    arcadia_net_exchange(true);
    EXPECT_EQ(net_mode, NET_OFF);
    EXPECT_STREQ(gui_status_message, "");
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), before);
}

TEST_F(Netplay, AChatLengthAbove80EndsTheLinkUnapplied) {
    link(NET_SERVER);
    set(0x1904, {0, 0, 0, 0});
    send({0xFF, 0xFF, 0xFF, 0xFF, 81});
    OutputCapture out;
    arcadia_net_exchange(true);
    EXPECT_EQ(out.text(), "Disconnected.\n");
    EXPECT_EQ(net_mode, NET_OFF);
    EXPECT_EQ(guest_memory[0x1904], 0);
}

// While the peer is silent the frame is held part-way and the interface's
// events keep being served; a disconnect picked meanwhile ends the wait.
TEST_F(Netplay, ASilentPeerLeavesTheEventPassRunning) {
    link(NET_SERVER);
    static std::atomic<int> passes;
    static bool held_each_time;
    passes = 0;
    held_each_time = true;
    ui_host.events = [] {
        passes++;
        held_each_time = held_each_time && emu_paused_mid_frame;
    };
    in_frame = 1;
    const int to = peer;
    // The peer's record comes once the held frame has served twenty event
    // passes (or at the hang deadline, which the count below then tells).
    std::thread late([to] {
        wait_until([] { return passes >= 20; });
        const u8 record[5] = {0x77, 0x77, 0x10, 0, 0};
        net_send_some(to, record, sizeof record);
    });
    arcadia_net_exchange(true);
    late.join();
    EXPECT_GE(passes, 20);
    EXPECT_TRUE(held_each_time);
    EXPECT_FALSE(emu_paused_mid_frame);
    EXPECT_EQ(guest_memory[0x1904], 7);

    // The user disconnects from inside the wait: the menu item works there.
    ui_host.events = [] { cmd_run(cmd_row(Cmd::TOOLS_SERVER), {CmdFrom::MENU}); };
    OutputCapture out;
    arcadia_net_exchange(true);
    EXPECT_EQ(net_mode, NET_OFF);
    EXPECT_EQ(out.text(), "Disconnected.\n");
    EXPECT_FALSE(emu_paused_mid_frame);
    in_frame = 0;
}

// ---- the commands --------------------------------------------------------------------

std::vector<std::string> asked;
std::vector<std::uint32_t> answer;
int fake_resolver(const char* host, std::vector<std::uint32_t>* out) {
    asked.emplace_back(host);
    *out = answer;
    return static_cast<int>(out->size());
}

class NetplayCommands : public Netplay {
  protected:
    void SetUp() override {
        Netplay::SetUp();
        asked.clear();
        answer.clear();
        net_resolver = fake_resolver;
    }
    int script(const std::string& line) { return arexx_execute(line.c_str(), &result); }
    std::string result;
};

TEST_F(NetplayCommands, TheClientArgumentIsCutAndLowered) {
    OutputCapture out;
    EXPECT_EQ(script("CLIENT " + many('A', 300)), 5);
    EXPECT_EQ(result, "CLIENT: not connected\n");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], many('a', 256));
    EXPECT_EQ(out.text(), "Connecting as client to server at " + many('a', 256) +
                              " on port 6666...please wait...\nCan't get hostname!\n");
    EXPECT_EQ(script("GETHOSTNAME"), 0);
    EXPECT_EQ(result, many('a', 256));
    asked.clear();
    script("CLIENT Mixed.Case-9.ÄB");
    EXPECT_EQ(asked.at(0), "mixed.case-9.Äb");
    // Wrong machine.
    ASSERT_TRUE(machine_switch(PIPBUG, MAP_PIPBUG_1, false, false, false));
    EXPECT_EQ(script("CLIENT localhost"), 10);
    EXPECT_EQ(result, "CLIENT: wrong guest machine\n");
}

TEST_F(NetplayCommands, PickingEitherRoleWhileConnectedOnlyDisconnects) {
    answer = {0x7F000001};
    link(NET_CLIENT);
    asked.clear();
    OutputCapture out;
    EXPECT_EQ(script("SERVER"), 5);
    EXPECT_EQ(result, "SERVER: not connected\n");
    EXPECT_EQ(out.text(), "Disconnected.\n");
    EXPECT_EQ(net_mode, NET_OFF);
    EXPECT_TRUE(asked.empty()); // no listening
}

TEST_F(NetplayCommands, AnEmptyOrEscapedHostNameCancels) {
    app_acquired.host_gui = true;
    net_set_host("before");
    // Escape after editing: the old text stays.
    gui_headless_on_wait_events([] {
        const int w = gui_headless_find_window("Enter Hostname");
        if (!w) return;
        gui_set_text(w, GID_HOST_FIELD, "edited");
        GuiEvent e;
        e.type = GE_RAWKEY;
        e.code = 0x45;
        gui_headless_post(w, e);
    });
    OutputCapture out;
    cmd_run(cmd_row(Cmd::TOOLS_CLIENT), {CmdFrom::MENU});
    EXPECT_EQ(out.text(), "Cancelled.\n\n");
    EXPECT_STREQ(net_host, "before");
    // Return on an emptied field.
    gui_headless_on_wait_events([] {
        const int w = gui_headless_find_window("Enter Hostname");
        if (!w) return;
        gui_set_text(w, GID_HOST_FIELD, "");
        GuiEvent e;
        e.type = GE_GADGET;
        e.gid = GID_HOST_FIELD;
        e.code = 13;
        gui_headless_post(w, e);
    });
    out.restart();
    cmd_run(cmd_row(Cmd::TOOLS_CLIENT), {CmdFrom::MENU});
    EXPECT_EQ(out.text(), "Cancelled.\n\n");
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(gui_modal_active, 0);
    // The close gadget accepts the edited name.
    gui_headless_on_wait_events([] {
        const int w = gui_headless_find_window("Enter Hostname");
        if (!w) return;
        gui_set_text(w, GID_HOST_FIELD, "Server.LAN");
        GuiEvent e;
        e.type = GE_CLOSE;
        gui_headless_post(w, e);
    });
    cmd_run(cmd_row(Cmd::TOOLS_CLIENT), {CmdFrom::MENU});
    EXPECT_EQ(asked, (std::vector<std::string>{"server.lan"}));
    gui_headless_on_wait_events(nullptr);
}

TEST_F(NetplayCommands, AServerNamesEveryAddressOfItsHost) {
    answer = {0x0A000001, 0xC0A80002, 0x7F000001};
    ui_host.listen_open = [](const std::string&) { return false; };
    net_port = free_port();
    const std::string on = " on port " + std::to_string(net_port) + "...\n";
    OutputCapture out;
    net_command(2);
    EXPECT_EQ(out.text(), "Acting as server at 10.0.0.1" + on + "Acting as server at 192.168.0.2" +
                              on + "Acting as server at 127.0.0.1" + on +
                              "Listening...\nAborted by user!\n");
    EXPECT_STREQ(net_host, "127.0.0.1");
    EXPECT_EQ(net_mode, NET_OFF);
    // A name that does not resolve is said, and the server listens all the same.
    answer.clear();
    out.restart();
    net_command(2);
    char name[NET_HOST_SIZE];
    net_local_name(name, sizeof name);
    EXPECT_EQ(out.text(), "Can't resolve hostname!\nActing as server at " + std::string(name) + on +
                              "Listening...\nAborted by user!\n");
}

// The real listening window: a client that connects is taken; a key given up.
TEST_F(NetplayCommands, TheListeningWindowTakesOneClientOrGivesUp) {
    app_acquired.host_gui = true;
    answer = {0x7F000001};
    net_port = free_port();
    static int client;
    client = -1;
    const u16 port = net_port;
    std::thread knock([port] {
        wait_until([port] { return (client = net_connect_to(0x7F000001, port, 1000)) >= 0; });
    });
    // The test gives up at the hang deadline, as a user would in the end.
    static std::chrono::steady_clock::time_point give_up;
    give_up = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    ui_host.listen_poll = [] {
        return std::chrono::steady_clock::now() > give_up || gui_listen_window_poll();
    };
    OutputCapture out;
    cmd_run(cmd_row(Cmd::TOOLS_SERVER), {CmdFrom::MENU});
    knock.join();
    ASSERT_GE(client, 0);
    peer = client;
    EXPECT_EQ(net_mode, NET_SERVER);
    EXPECT_NE(out.text().find("Listening...\nThe client at 127.0.0.1 has successfully connected "
                              "to your server!\n"),
              std::string::npos);
    EXPECT_EQ(listen_window, 0);
    EXPECT_EQ(gui_modal_active, 0);
    net_command(0);

    // A key in the window: the listening socket is closed, mode 0.
    ui_host.listen_poll = [] {
        GuiEvent e;
        e.type = GE_RAWKEY;
        e.code = 0x40;
        gui_headless_post(listen_window, e);
        return gui_listen_window_poll();
    };
    out.restart();
    net_command(2);
    EXPECT_NE(out.text().find("Listening...\nAborted by user!\n"), std::string::npos);
    EXPECT_EQ(net_mode, NET_OFF);
    EXPECT_EQ(listen_window, 0);
    EXPECT_EQ(net_connect_to(0x7F000001, net_port, 500), -1);
}

// The "Listening..." window itself names where the server is: each address
// of its computer, or that the computer's name does not resolve and the name.
TEST_F(NetplayCommands, TheListeningWindowNamesWhereTheServerIs) {
    app_acquired.host_gui = true;
    net_port = free_port();
    const std::string on = " on port " + std::to_string(net_port) + "...";
    char name[NET_HOST_SIZE];
    net_local_name(name, sizeof name);
    static std::vector<std::string> shown;
    ui_host.listen_poll = [] { // the user reads the window's lines, then gives up
        for (const GuiNode& n : gui_headless_desc(listen_window)->root.children)
            shown.push_back(n.text);
        return true;
    };
    for (const auto& [addresses, lines] : std::vector<std::pair<std::vector<u32>, std::string>>{
             {{0x0A000001, 0x7F000001}, "Acting as server at 10.0.0.1" + on +
                                            "|Acting as server at 127.0.0.1" + on + "|"},
             {{}, "Can't resolve hostname!|Acting as server at " + std::string(name) + on + "|"}}) {
        answer = addresses;
        shown.clear();
        OutputCapture out;
        cmd_run(cmd_row(Cmd::TOOLS_SERVER), {CmdFrom::MENU});
        std::string said;
        for (const std::string& line : shown)
            said += line + "|";
        EXPECT_EQ(said, lines + "Any key or the close gadget stops waiting.|");
    }
}

// Only a key pressed while "Listening..." stands gives up: the release of the
// hotkey that opened it (Shift+H) and a key's repeat do not.
TEST_F(NetplayCommands, OnlyAKeyPressedWhileListeningGivesUp) {
    app_acquired.host_gui = true;
    answer = {0x7F000001};
    net_port = free_port();
    static int polls;
    polls = 0;
    ui_host.listen_poll = [] {
        GuiEvent e;
        e.type = GE_RAWKEY;
        if (++polls == 1) {
            e.code = 0x25 + RAWKEY_UP; // H let go
            gui_headless_post(listen_window, e);
            e.code = 0x60 + RAWKEY_UP; // Shift let go
            gui_headless_post(listen_window, e);
            e.code = 0x25;
            e.qualifier = QUAL_REPEAT;
            gui_headless_post(listen_window, e);
        } else if (polls == 3) {
            e.code = 0x40; // a key pressed now
            gui_headless_post(listen_window, e);
        }
        return gui_listen_window_poll() || polls > 10;
    };
    OutputCapture out;
    cmd_run(cmd_row(Cmd::TOOLS_SERVER), {CmdFrom::MENU});
    EXPECT_EQ(polls, 3);
    EXPECT_NE(out.text().find("Listening...\nAborted by user!\n"), std::string::npos);
    EXPECT_EQ(listen_window, 0);
}

// SERVER sent through the port, with nobody connecting: the wait ends at its
// deadline, the command answers, and the listening socket is closed.
TEST_F(NetplayCommands, AServerWaitThePortBeganEndsAtItsDeadline) {
    app_acquired.host_gui = true;
    answer = {0x7F000001};
    net_port = free_port();
    net_listen_timeout_ms = 300;
    // A wait without a deadline is given up by the test at the hang deadline,
    // which says "Aborted by user!": the answer below tells the two apart.
    static std::chrono::steady_clock::time_point give_up;
    give_up = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    ui_host.listen_poll = [] {
        return std::chrono::steady_clock::now() > give_up || gui_listen_window_poll();
    };
    OutputCapture out;
    EXPECT_EQ(ui_unattended_run(arexx_execute, "SERVER", &result), 5);
    EXPECT_EQ(result, "No client connected within 0.3 seconds.\nSERVER: not connected\n");
    EXPECT_NE(out.text().find("Listening...\nNo client connected within 0.3 seconds.\n"),
              std::string::npos)
        << out.text();
    EXPECT_EQ(net_mode, NET_OFF);
    EXPECT_EQ(listen_window, 0);
    EXPECT_EQ(gui_modal_active, 0);
    EXPECT_EQ(net_connect_to(0x7F000001, net_port, 500), -1);
}

} // namespace

// A link that cannot be made, asked for from the Tools menu: the reason is
// shown in a requester over the window, as the program's other failures are.
TEST_F(NetplayCommands, AFailedLinkIsShownInTheWindow) {
    app_acquired.host_gui = true;
    int stage = 0;
    const int taken = net_listen_on(0, &stage); // a port another program listens on
    ASSERT_GE(taken, 0);
    const u16 busy = test_bound_port(taken), closed = free_port();
    static std::string typed;
    gui_headless_on_wait_events([] {
        const int w = gui_headless_find_window("Enter Hostname");
        if (!w) return;
        gui_set_text(w, GID_HOST_FIELD, typed.c_str());
        GuiEvent e;
        e.type = GE_GADGET;
        e.gid = GID_HOST_FIELD;
        e.code = 13;
        gui_headless_post(w, e);
    });
    ui_host.listen_open = [](const std::string&) { return false; };
    const struct {
        Cmd item;
        const char* host;
        std::vector<std::uint32_t> addresses;
        u16 port;
        const char* shown;
    } rows[] = {
        {Cmd::TOOLS_CLIENT, "nowhere", {}, closed, "Can't get hostname!"},
        {Cmd::TOOLS_CLIENT, "localhost", {0x7F000001}, closed, "Can't connect as client!"},
        {Cmd::TOOLS_SERVER, "", {0x7F000001}, busy, "Can't bind server socket!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shown);
        typed = row.host;
        answer = row.addresses;
        net_port = row.port;
        const std::size_t before = gui_headless_requesters().size();
        cmd_run(cmd_row(row.item), {CmdFrom::MENU});
        EXPECT_EQ(net_mode, NET_OFF);
        ASSERT_EQ(gui_headless_requesters().size(), before + 1);
        EXPECT_EQ(gui_headless_requesters().back(), std::string("Warning|") + row.shown + "|OK");
    }
    gui_headless_on_wait_events(nullptr);
    net_close(taken);
}
