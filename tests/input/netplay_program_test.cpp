// Two copies of the program on this machine, offscreen, linked over loopback
// on a free port and driven through their scripting ports: one acts as
// server, the other connects as client. Every wait has a deadline.
#include "platform/net.h"
#include "tests/support/checkout_paths.h"
#include "platform/rexx_port.h"
#include "tests/support/bound_port.h"
#include "tests/support/child_wait.h"
#include "tests/support/fresh_state.h"
#include "tests/support/port_client.h"
#include "tests/support/program_test.h"
#include "tests/support/wait_until.h"
#include "tests/support/x_display.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sched.h>
#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A monitor image for the Elektor: after the reset it reads the random
// register $1FFF 256 times, a short delay between reads, into $0900-$09FF,
// then idles.
const unsigned char random_reader[] = {
    0x76, 0x20,       //        PPSU  $20          no interrupts
    0x05, 0x00,       //        LODI,R1 0
    0x0C, 0x1F, 0xFF, // loop:  LODA,R0 $1FFF
    0xCD, 0x69, 0x00, //        STRA,R0 $0900,R1   indexed
    0x85, 0x01,       //        ADDI,R1 1
    0x18, 0x06,       //        BCTR,EQ done
    0x06, 0x00,       //        LODI,R2 0
    0xFA, 0x7E,       // wait:  BDRR,R2 wait
    0x1B, 0x70,       //        BCTR,UN loop
    0x1B, 0x7E,       // done:  BCTR,UN done
};

// A monitor image for the Elektor: it reads the console keys; while one is
// held it keeps their byte in $0900, reads the random register $1D20 into
// $0901 and counts the reads in $0902.
const unsigned char key_reader[] = {
    0x76, 0x20,       //        PPSU  $20
    0x20,             //        EORZ  R0
    0xCC, 0x09, 0x00, //        STRA,R0 $0900
    0xCC, 0x09, 0x01, //        STRA,R0 $0901
    0xCC, 0x09, 0x02, //        STRA,R0 $0902
    0x0C, 0x1E, 0x8B, // loop:  LODA,R0 $1E8B
    0xE4, 0x0F,       //        COMI,R0 $0F
    0x18, 0x79,       //        BCTR,EQ loop
    0xCC, 0x09, 0x00, //        STRA,R0 $0900
    0x0C, 0x1D, 0x20, //        LODA,R0 $1D20
    0xCC, 0x09, 0x01, //        STRA,R0 $0901
    0x0C, 0x09, 0x02, //        LODA,R0 $0902
    0x84, 0x01,       //        ADDI,R0 1
    0xCC, 0x09, 0x02, //        STRA,R0 $0902
    0x1B, 0x66,       //        BCTR,UN loop
};

// True when `host` has no IPv4 address (a resolver that knows every name
// would make the test moot).
bool getaddrinfo_fails(const char* host) {
    std::vector<std::uint32_t> found;
    return net_resolve(host, &found) == 0;
}

struct Program {
    explicit Program(const char* tag, std::string name) : home(tag), port(std::move(name)) {}
    ~Program() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (fd >= 0) net_close(fd);
    }
    // Started with `monitor` as the Elektor's monitor image, on the Qt
    // platform `platform`.
    bool start(u16 net, const std::string& monitor, const char* platform) {
        std::filesystem::create_directories(home.path() / "roms");
        std::ofstream image(home.path() / "roms" / "elektor_philips.bin", std::ios::binary);
        image << monitor << std::string(2048 - monitor.size(), '\0');
        image.close();
        std::ofstream(home.path() / "roms" / "elektor_expansion.bin") << std::string(512, '\0');
        // No tip of the day: on a display it would take the keys meant for the
        // main window.
        std::filesystem::create_directories(home.path() / "Configs");
        std::ofstream(home.path() / "Configs" / "Brindlemox.ini") << "showtips=0\n";
        pid = test_start_program(home.path(), {"PORTNAME", port, "PORT=" + std::to_string(net)},
                                 platform);
        if (pid <= 0) return false;
        const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
        std::string result;
        while (Clock::now() < end) {
            if (send("GETVERSION", &result) == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    int send(const std::string& line, std::string* result, int seconds = TEST_HANG_SECONDS) {
        return test_port_send(port.c_str(), line, result, &fd, seconds);
    }
    std::string ask(const std::string& line) {
        std::string result;
        return send(line, &result) == 0 ? result : "(failed: " + result + ")";
    }
    // `ask` for a command that needs a frame boundary: while linked, a frame
    // that waits for the peer's record refuses it, so it is sent again until
    // it comes between frames (TEST_HANG_SECONDS at most).
    std::string between_frames(const std::string& line) {
        const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
        std::string result = ask(line);
        while (result.find("unavailable during the frame") != std::string::npos &&
               Clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            result = ask(line);
        }
        return result;
    }
    // A new connection to the port (-1 when none can be made); the socket is
    // looked up in this side's runtime folder.
    int connection() {
        setenv("BRINDLEMOX_HOME", home.path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
        int made = -1;
        std::string result;
        test_port_send(port.c_str(), "GETVERSION", &result, &made);
        return made;
    }
    std::string log() const { return test_read_file(home.path() / "program.log"); }
    // Waits until the log holds `text` (TEST_HANG_SECONDS at most).
    bool says(const std::string& text) const {
        const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
        while (Clock::now() < end) {
            if (log().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // The guest's time in clock periods, as the debugger's processor view
    // shows it (0 when it cannot be read).
    std::uint32_t guest_clocks() {
        std::string view;
        if (send("DEBUGGER TU 1", &view) != 0 || send("DEBUGGER V CPU", &view) != 0) return 0;
        return test_clocks_in_view(view);
    }
    // Waits until the guest has run `clocks` clock periods on from where it is
    // now (TEST_HANG_SECONDS at most): whether it did.
    bool ran(std::uint32_t clocks) {
        std::uint32_t last = guest_clocks();
        std::uint64_t run = 0;
        return wait_until([&] {
            const std::uint32_t now = guest_clocks();
            if (now == 0) return false;
            if (last != 0 && now > last) run += now - last;
            last = now;
            return run >= clocks;
        });
    }
    // How often the log holds `text`.
    int count(const std::string& text) const {
        const std::string all = log();
        int n = 0;
        for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
            n++;
        return n;
    }
    // Waits until the log holds `text` `n` times (TEST_HANG_SECONDS at most).
    bool says_again(const std::string& text, int n) const {
        const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
        while (Clock::now() < end) {
            if (count(text) >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // The exit code, or -1 when it has not ended within TEST_HANG_SECONDS
    // (it is then killed).
    int ended() {
        const int code = wait_child(pid, TEST_HANG_SECONDS);
        pid = -1;
        return code;
    }

    TempHome home;
    std::string port;
    pid_t pid = -1;
    int fd = -1;
};

class NetplayPrograms : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        int stage = 0;
        const int probe = net_listen_on(0, &stage);
        ASSERT_GE(probe, 0);
        net = test_bound_port(probe);
        net_close(probe);
        for (Program* side : {&server, &client})
            ASSERT_TRUE(side->start(net, monitor, platform));
    }
    void TearDown() override { fresh_state(); }

    // The server listens (its command answers once a client came), the
    // client connects; both answer 0.
    void connect(const char* machine) {
        ASSERT_EQ(server.ask(std::string("SETMACHINE ") + machine), "");
        ASSERT_EQ(client.ask(std::string("SETMACHINE ") + machine), "");
        int server_rc = -1;
        std::string server_said;
        std::thread listening([&] { server_rc = server.send("SERVER", &server_said); });
        const bool listens = server.says_again("Listening...\n", links + 1);
        std::string said;
        const int client_rc = listens ? client.send("CLIENT 127.0.0.1", &said) : -1;
        listening.join();
        ASSERT_TRUE(listens) << server.log();
        EXPECT_EQ(client_rc, 0) << said << client.log();
        EXPECT_EQ(server_rc, 0) << server_said << server.log();
        EXPECT_EQ(client.count("Successfully connected as client!\n"), ++links);
        EXPECT_EQ(server.count("The client at 127.0.0.1 has successfully connected to your "
                               "server!\n"),
                  links);
    }

    // Both sides say the link is gone, and neither takes a chat line.
    void both_disconnected() {
        EXPECT_TRUE(server.says_again("Disconnected.\n", links)) << server.log();
        EXPECT_TRUE(client.says_again("Disconnected.\n", links)) << client.log();
        for (Program* side : {&server, &client})
            EXPECT_EQ(side->ask("DEBUGGER \"*\"still there?\""),
                      "(failed: Command is unavailable.\n\n)");
    }

    std::string monitor{reinterpret_cast<const char*>(random_reader), sizeof random_reader};
    const char* platform = "offscreen";
    XDisplay x; // before the programs: it ends after them
    Program server{"netplay-server", "NETS"}, client{"netplay-client", "NETC"};
    u16 net = 0;
    int links = 0; // connections made so far
};

TEST_F(NetplayPrograms, AnArcadiaGameRunsInLockstepWithChatUntilOneSideLeaves) {
    connect("ARCADIA");
    EXPECT_EQ(client.ask("GETHOSTNAME"), "127.0.0.1");
    EXPECT_EQ(server.ask("GETHOSTNAME"), "127.0.0.1");
    // Chat both ways: the debugger's line stores it for the next record.
    EXPECT_EQ(client.ask("DEBUGGER \"*\"hello from the client\""), "OK.\n\n");
    EXPECT_EQ(server.ask("DEBUGGER \"*\"and back\""), "OK.\n\n");
    // Both keep running frames together: fifty of them on each side (at the
    // shortest frame a console has) and the link holds.
    constexpr std::uint32_t fifty_frames = 50 * 14900;
    EXPECT_TRUE(server.ran(fifty_frames)) << server.log();
    EXPECT_TRUE(client.ran(fifty_frames)) << client.log();
    EXPECT_EQ(client.log().find("Disconnected."), std::string::npos);
    EXPECT_EQ(server.log().find("Disconnected."), std::string::npos);
    // The client leaves: the server says so and carries on alone.
    EXPECT_EQ(client.ask("QUIT"), "");
    EXPECT_EQ(client.ended(), 0);
    EXPECT_TRUE(server.says("Disconnected.\n")) << server.log();
    EXPECT_EQ(server.ask("GETMACHINE"), "ARCADIA");
    EXPECT_EQ(server.ask("DEBUGGER \"*\"anyone?\""), "(failed: Command is unavailable.\n\n)");
}

// A side whose frame waits for its paused peer (a client on a paused server,
// a server on a paused client, a peer paused already before the link) quits
// with its autosave all the same, of the machine as its last frame left it
// with what the user changed while it waited (a memory edit), which its next
// start resumes.
TEST_F(NetplayPrograms, ASideHeldOnItsPausedPeerQuitsWithItsAutosave) {
    const struct {
        bool client_held;
        bool paused_before_link;
        const char* name;
    } rows[] = {{true, false, "a client held on a paused server"},
                {false, false, "a server held on a paused client"},
                {true, true, "a client linked to a server paused before"},
                {false, true, "a server linked to a client paused before"}};
    for (const auto& row : rows) {
        Program& held = row.client_held ? client : server;
        Program& paused = row.client_held ? server : client;
        SCOPED_TRACE(row.name);
        const std::filesystem::path autosave = held.home.path() / "Games" / "AUTOSAVE.COS";
        std::filesystem::remove(autosave);
        if (row.paused_before_link) {
            ASSERT_EQ(paused.ask("SETMACHINE ARCADIA"), "");
            ASSERT_EQ(paused.ask("PAUSE"), "");
            // The link cannot settle: each command answers once its wait ends.
            ASSERT_EQ(held.ask("SETMACHINE ARCADIA"), "");
            int server_rc = -1, client_rc = -1;
            std::string server_said, client_said;
            std::thread listening([&] { server_rc = server.send("SERVER", &server_said); });
            ASSERT_TRUE(server.says_again("Listening...\n", links + 1)) << server.log();
            client_rc = client.send("CLIENT 127.0.0.1", &client_said);
            listening.join();
            EXPECT_EQ(client_rc, 0) << client_said;
            EXPECT_EQ(server_rc, 0) << server_said;
        } else {
            connect("ARCADIA");
            ASSERT_EQ(paused.ask("PAUSE"), "");
        }
        // Held: what needs a frame boundary is refused until the peer goes on.
        const std::string save = "SAVEAS " + (held.home.path() / "s.cos").string();
        const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
        std::string said;
        while ((said = held.ask(save)).find("unavailable during the frame") == std::string::npos &&
               Clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_NE(said.find("unavailable during the frame"), std::string::npos) << said;
        // The user's edit while it waits goes into the autosave.
        EXPECT_EQ(held.ask("DEBUGGER \"E 18F0 AB\""),
                  "Changed contents of SPRITE0Y ($18F0) from $0 to $AB.\n\n");
        EXPECT_EQ(held.ask("QUIT"), "");
        EXPECT_EQ(held.ended(), 0) << held.log();
        EXPECT_EQ(held.log().find("Autosave not written"), std::string::npos) << held.log();
        ASSERT_TRUE(std::filesystem::is_regular_file(autosave));
        EXPECT_EQ(paused.ask("QUIT"), "");
        EXPECT_EQ(paused.ended(), 0) << paused.log();
        for (Program* side : {&server, &client})
            ASSERT_TRUE(side->start(net, monitor, platform));
        links = 0; // their logs begin afresh
        // Resumed: the state reads back whole, the edit in it.
        EXPECT_EQ(held.ask("GETMACHINE"), "ARCADIA");
        EXPECT_EQ(held.log().find("Corrupt"), std::string::npos) << held.log();
        EXPECT_EQ(held.ask("DEBUGGER \"PEEK 18F0 18F0\"").rfind("$18F0: AB ", 0), 0u);
    }
}

// The expanded Elektor's random numbers are the server's on both sides.
TEST_F(NetplayPrograms, TheExpandedElektorSharesTheServersRandomNumbers) {
    connect("ELEKTOR");
    ASSERT_EQ(server.ask("GETMEMMAP"), "F"); // map 5, the expanded one
    std::string on_server, on_client;
    const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    do { // until both have read all 256 (the last one is seldom 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        on_server = server.ask("DEBUGGER PEEK 900 9FF");
        on_client = client.ask("DEBUGGER PEEK 900 9FF");
    } while ((on_server != on_client || on_server.find("$09F0") == std::string::npos) &&
             Clock::now() < end);
    EXPECT_EQ(on_server, on_client);
    EXPECT_NE(on_server.find("$09F0"), std::string::npos) << on_server;
    EXPECT_NE(on_server.find("$0900: "), std::string::npos);
    // The server menu's item ends the link on both sides.
    EXPECT_EQ(server.ask("MENU TOOLS.SERVER"), "");
    EXPECT_TRUE(client.says("Disconnected.\n")) << client.log();
    EXPECT_EQ(server.ask("QUIT"), "");
    EXPECT_EQ(server.ended(), 0);
}

// A switch to a machine without netplay ends the link on both sides, so that
// neither waits for records that never come; either side can link again.
TEST_F(NetplayPrograms, ASwitchToAMachineWithoutNetplayEndsTheLink) {
    connect("INTERTON");
    ASSERT_EQ(client.between_frames("SETMACHINE PIPBUG"), "");
    both_disconnected();
    // The server runs on by itself: it takes commands between frames again.
    EXPECT_EQ(server.ask("SETMACHINE ARCADIA"), "");
    EXPECT_EQ(server.ask("GETMACHINE"), "ARCADIA");
    std::string said;
    EXPECT_EQ(client.send("CLIENT 127.0.0.1", &said), 10);
    EXPECT_EQ(said, "CLIENT: wrong guest machine\n");

    // The server's switch ends it the same way.
    connect("INTERTON");
    ASSERT_EQ(server.between_frames("SETMACHINE TWIN"), "");
    both_disconnected();
    EXPECT_EQ(client.ask("SETMACHINE ELEKTOR"), "");
    EXPECT_EQ(client.ask("GETMACHINE"), "ELEKTOR");
}

// A link that ends at once, here to a peer whose machine sends records of
// another size, is no link made: both commands that made it answer 5 and say
// so, not 0. A link that holds answers 0 once it has held for a second.
TEST_F(NetplayPrograms, ALinkThatEndsAtOnceIsNotAnsweredAsMade) {
    ASSERT_EQ(server.ask("SETMACHINE ARCADIA"), "");
    ASSERT_EQ(client.ask("SETMACHINE INTERTON"), "");
    int server_rc = -1;
    std::string server_said, client_said;
    std::thread listening([&] { server_rc = server.send("SERVER", &server_said); });
    const bool listens = server.says("Listening...\n");
    const int client_rc = listens ? client.send("CLIENT 127.0.0.1", &client_said) : -1;
    listening.join();
    ASSERT_TRUE(listens) << server.log();
    EXPECT_EQ(client_rc, 5) << client.log();
    EXPECT_EQ(client_said, "CLIENT: not connected (the link ended at once)\n");
    EXPECT_EQ(server_rc, 5) << server.log();
    EXPECT_EQ(server_said, "SERVER: not connected (the link ended at once)\n");
    EXPECT_EQ(server.count("Disconnected.\n"), 1);
    EXPECT_EQ(client.count("Disconnected.\n"), 1);
    // On the same machine the link is made (the second one both sides count).
    links = 1;
    connect("ARCADIA");
}

// A command sent over a connection of its own, answered in the background
// (TEST_HANG_SECONDS at most).
thread_local Clock::time_point sent_deadline;
bool sent_too_long() {
    return Clock::now() >= sent_deadline;
}
struct Sent {
    Sent(Program& side, const std::string& line)
        : fd(side.connection()), thread([this, port = side.port, line] {
              sent_deadline = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
              rc = rexx_port_send(port.c_str(), line, &said, &fd, sent_too_long);
              answered = true;
          }) {}
    ~Sent() {
        answer();
        if (fd >= 0) net_close(fd);
    }
    int answer() {
        if (thread.joinable()) thread.join();
        return rc;
    }
    int rc = -1;
    std::string said;
    std::atomic<bool> answered{false};
    int fd;
    std::thread thread; // last: it uses the members above
};

// SERVER and CLIENT keep their reply back until the link they made has
// settled. Here it cannot (their own guest is paused), and the wait ends each
// way it can: its five seconds run out (the link stands: 0), also while a
// requester holds the program, or another client's QUIT ends the program
// first, which answers the command as broken off before the program ends.
TEST_F(NetplayPrograms, AHeldLinkCommandIsAnsweredHoweverItsWaitEnds) {
    enum class End { deadline, requester, quit };
    struct Way {
        End end;
        const char* name;
    };
    const Way ways[] = {{End::deadline, "its time runs out"},
                        {End::requester, "a requester is open"},
                        {End::quit, "another client quits"}};
    for (const bool on_server : {true, false})
        for (const Way& way : ways) {
            Program& holder = on_server ? server : client;
            const std::string command = on_server ? "SERVER" : "CLIENT";
            SCOPED_TRACE(command + " while " + way.name);
            ASSERT_EQ(server.ask("SETMACHINE ARCADIA"), "");
            ASSERT_EQ(client.ask("SETMACHINE ARCADIA"), "");
            ASSERT_EQ(holder.ask("PAUSE"), "");
            const int listening = server.count("Listening...\n");
            Sent served(server, "SERVER");
            ASSERT_TRUE(server.says_again("Listening...\n", listening + 1)) << server.log();
            const std::string taken =
                "The client at 127.0.0.1 has successfully connected to your server!\n";
            const int linked = client.count("Successfully connected as client!\n");
            const int took = server.count(taken);
            Sent connected(client, "CLIENT 127.0.0.1");
            ASSERT_TRUE(client.says_again("Successfully connected as client!\n", linked + 1))
                << client.log();
            // The server has taken the client in and put its "Listening..."
            // window away (the client's connection is made before that, and
            // until then the server answers every other request that a
            // requester is open).
            ASSERT_TRUE(server.says_again(taken, took + 1)) << server.log();
            Sent& held = on_server ? served : connected;
            Sent& other = on_server ? connected : served;
            if (way.end == End::deadline) {
                EXPECT_EQ(held.answer(), 0) << held.said << holder.log();
                EXPECT_EQ(held.said, "");
            } else if (way.end == End::requester) {
                // A requester that stays open while its asker is connected.
                const int asker = holder.connection();
                const std::string ask = "REQUESTNOTIFY \"Still there?\"\n";
                ASSERT_EQ(::send(asker, ask.data(), ask.size(), MSG_NOSIGNAL),
                          static_cast<ssize_t>(ask.size()));
                std::string result;
                const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
                while (holder.send("GETVERSION", &result) == 0 && Clock::now() < end)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ASSERT_EQ(result, "A requester is open.\n");
                // The link's wait runs five seconds of the program's own: a
                // host too busy to open the requester before they are out
                // has the command answered first, and the same answer is due.
                if (held.answered)
                    std::cout << "[   NOTE   ] " << command
                              << " was answered before the requester opened (a busy host)\n";
                EXPECT_EQ(held.answer(), 0) << held.said << holder.log();
                EXPECT_EQ(held.said, "");
                // Answered while the requester is still open.
                EXPECT_EQ(holder.send("GETVERSION", &result), 5) << result;
                EXPECT_EQ(result, "A requester is open.\n");
                net_close(asker);
                // Until the program has seen its asker go and put the requester
                // away, however long a loaded machine takes.
                const auto closed = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
                while (holder.send("GETVERSION", &result) == 5 && Clock::now() < closed)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ASSERT_EQ(holder.send("GETVERSION", &result), 0) << result;
            } else {
                EXPECT_EQ(holder.ask("QUIT"), "");
                EXPECT_EQ(held.answer(), 5) << holder.log();
                EXPECT_EQ(held.said,
                          command + ": not connected (broken off: Brindlemox is quitting)\n");
                EXPECT_EQ(holder.ended(), 0) << holder.log();
            }
            // The peer's command is answered too, whichever way its link went.
            EXPECT_NE(other.answer(), -1) << other.said;
            // Both sides start afresh for the next way (a side whose frame
            // waits for its paused peer quits without its autosave: rc 5).
            for (Program* side : {&server, &client})
                if (side->pid > 0) {
                    // QUIT is taken once nothing holds the program (rc 0, or 5
                    // naming what it could not finish), not refused.
                    std::string said;
                    const auto taken = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
                    int rc = side->send("QUIT", &said);
                    while (said == "A requester is open.\n" && Clock::now() < taken) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                        rc = side->send("QUIT", &said);
                    }
                    EXPECT_TRUE(rc == 0 || rc == 5) << rc << ": " << said;
                    EXPECT_EQ(side->ended(), 0) << side->log();
                }
            for (Program* side : {&server, &client})
                ASSERT_TRUE(side->start(net, monitor, platform));
        }
}

// So does a load that takes the machine elsewhere: a state, a program file.
TEST_F(NetplayPrograms, ALoadThatLeavesTheNetplayMachinesEndsTheLink) {
    const std::string state = (server.home.path() / "pipbug.cos").string();
    ASSERT_EQ(server.ask("SETMACHINE PIPBUG"), "");
    ASSERT_EQ(server.ask("SAVEAS " + state), "");
    ASSERT_EQ(client.ask("SETMACHINE TWIN"), "");
    ASSERT_EQ(client.ask("DEBUGGER SAVEMOD 100 11F prog"), "OK.\n\n");
    const std::string program = (client.home.path() / "Projects" / "prog.mod").string();

    connect("ARCADIA");
    ASSERT_EQ(server.between_frames("OPEN " + state), "");
    EXPECT_EQ(server.ask("GETMACHINE"), "PIPBUG");
    both_disconnected();

    connect("ELEKTOR");
    ASSERT_EQ(client.between_frames("OPEN " + program), "");
    EXPECT_EQ(client.ask("GETMACHINE"), "TWIN");
    both_disconnected();
}

// The 16 bytes PEEK shows on its line for `address` ("$09F0"); none when the
// reply has no such line.
std::vector<int> peeked(const std::string& reply, const std::string& address) {
    std::vector<int> bytes;
    const auto at = reply.find(address + ": ");
    if (at == std::string::npos) return bytes;
    std::istringstream line(reply.substr(at + address.size() + 2, 49));
    std::string word;
    while (bytes.size() < 16 && line >> word)
        bytes.push_back(std::stoi(word, nullptr, 16));
    return bytes;
}

// One side's switch between the Interton and the Elektor, its set-up again or
// a load of a state of the same machine ends the link on both sides: the
// guests would run different programs, and on the expanded Elektor the
// client would wait for random numbers that the server never sends while the
// server waits for the client's record. Neither side is left held.
TEST_F(NetplayPrograms, AOneSidedSwitchSetUpOrLoadEndsTheLinkOnBothSides) {
    connect("INTERTON");
    // The client goes first; its Elektor's guest reads random numbers.
    ASSERT_EQ(client.between_frames("SETMACHINE ELEKTOR"), "");
    both_disconnected();
    // The server is not held in a frame: its own switch is taken at once.
    EXPECT_EQ(server.ask("SETMACHINE ELEKTOR"), "");
    EXPECT_EQ(server.ask("GETMACHINE"), "ELEKTOR");
    // The client's guest read all its numbers alone (sixteen zeros in a row
    // would be chance beyond belief).
    std::vector<int> last;
    const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        last = peeked(client.ask("DEBUGGER PEEK 9F0 9FF"), "$09F0");
    } while (last == std::vector<int>(16, 0) && Clock::now() < end);
    ASSERT_EQ(last.size(), 16u);
    EXPECT_NE(last, std::vector<int>(16, 0));
    const std::string state = (client.home.path() / "elektor.cos").string();
    ASSERT_EQ(client.ask("SAVEAS " + state), "");

    // Linked again on the Elektor: the server sets its machine up again.
    connect("ELEKTOR");
    ASSERT_EQ(server.between_frames("MENU PROJECT.REINITIALIZE"), "");
    both_disconnected();

    // The client loads a state of the machine it runs.
    connect("ELEKTOR");
    ASSERT_EQ(client.between_frames("OPEN " + state), "");
    both_disconnected();
    EXPECT_EQ(client.ask("SETMACHINE INTERTON"), "");
    EXPECT_EQ(server.ask("SETMACHINE INTERTON"), "");
}

// The programs on a real display, played with the host keyboard.
class NetplayOnDisplay : public NetplayPrograms {
  protected:
    void SetUp() override {
        if (!XDisplay::available() || !std::filesystem::exists("/usr/bin/xdotool"))
            GTEST_SKIP() << "Xvfb, xwininfo or xdotool is not installed";
        ASSERT_TRUE(x.start()) << "no virtual display could be started";
        monitor.assign(reinterpret_cast<const char*>(key_reader), sizeof key_reader);
        platform = "xcb";
        NetplayPrograms::SetUp();
    }
    // Holds the host key `key` down in the main window of the side `role`
    // ("server" or "client", the last word of its title) until both guests
    // keep the byte `seen` it gives in $0900, then lets it go: whether they did.
    bool hold(const std::string& role, const std::string& key, int seen) {
        const std::string window = "/usr/bin/xdotool search --name '\\(" + role + "\\)$' ";
        x.run(window + "windowfocus --sync keydown " + key);
        const auto held = [&](Program& side) {
            const std::vector<int> at = peeked(side.ask("DEBUGGER PEEK 900 90F"), "$0900");
            return !at.empty() && at[0] == seen;
        };
        const bool reached =
            wait_until([&] { return held(server) && held(client); }, TEST_HANG_SECONDS, 100);
        x.run(window + "windowfocus --sync keyup " + key);
        return reached;
    }
};

// A console key held on either side reaches both guests at the same frame:
// on the expanded Elektor both then read the server's random numbers as
// often, and neither waits for a byte the other never sends.
TEST_F(NetplayOnDisplay, AConsoleKeyHeldOnEitherSideReachesBothGuests) {
    connect("ELEKTOR");
    ASSERT_EQ(server.ask("GETMEMMAP"), "F");
    struct Hold {
        const char* role;
        const char* key;
        int seen; // the console byte with the key held
    };
    for (const Hold h : {Hold{"client", "F1", 0x4F}, Hold{"server", "F3", 0x2F}}) {
        SCOPED_TRACE(h.role);
        ASSERT_TRUE(hold(h.role, h.key, h.seen)) << "the key did not reach both guests";
        std::vector<int> on_server, on_client;
        const auto end = Clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
        do { // until both guests stand still alike after the key's release
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            on_server = peeked(server.ask("DEBUGGER PEEK 900 90F"), "$0900");
            on_client = peeked(client.ask("DEBUGGER PEEK 900 90F"), "$0900");
        } while ((on_server != on_client || on_server.empty() || on_server[0] != h.seen) &&
                 Clock::now() < end);
        ASSERT_EQ(on_server.size(), 16u);
        EXPECT_EQ(on_server[0], h.seen);
        EXPECT_EQ(on_client, on_server); // the same numbers, read as often
    }
    EXPECT_EQ(server.count("Disconnected."), 0) << server.log();
    EXPECT_EQ(client.count("Disconnected."), 0) << client.log();
}

// A computer whose own name does not resolve (here: a name given in a UTS
// namespace of its own, so the superuser's): Act as server says so, and the
// server listens and takes a client all the same.
TEST(NetplayServer, ListensWhenItsOwnNameDoesNotResolve) {
    fresh_state();
    TempHome home("netplay-noname");
    int stage = 0;
    const int probe = net_listen_on(0, &stage);
    ASSERT_GE(probe, 0);
    const u16 net = test_bound_port(probe);
    net_close(probe);
    std::filesystem::create_directories(home.path() / "Configs");
    std::ofstream(home.path() / "Configs" / "Brindlemox.ini") << "showtips=0\n";
    setenv("BRINDLEMOX_HOME", home.path().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string log_path = (home.path() / "program.log").string();
    const std::string port_arg = "PORT=" + std::to_string(net);
    static const char name[] = "brindlemox-no-such-host";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) { // system calls only, between fork and exec
        if (unshare(CLONE_NEWUTS) != 0 || sethostname(name, sizeof name - 1) != 0) _exit(77);
        const int log = open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (log >= 0) dup2(log, 1), dup2(log, 2);
        execl(test_program(), test_program(), "PORTNAME", "NONAME", port_arg.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int fd = -1;
    std::string result;
    bool up = false, ended = false;
    int status = 0;
    wait_until([&] {
        ended = waitpid(pid, &status, WNOHANG) == pid;
        up = !ended && test_port_send("NONAME", "GETVERSION", &result, &fd) == 0;
        return up || ended;
    });
    if (ended && WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no UTS namespace of its own can be made here";
    ASSERT_FALSE(ended) << "the program ended at start";
    ASSERT_TRUE(up);
    if (getaddrinfo_fails(name)) {
        int server_rc = -1;
        std::thread listening(
            [&] { server_rc = test_port_send("NONAME", "SERVER", &result, &fd); });
        int client = -1;
        wait_until([&] { return (client = net_connect_to(0x7F000001, net, 500)) >= 0; },
                   TEST_HANG_SECONDS, 50);
        listening.join();
        EXPECT_GE(client, 0);
        EXPECT_EQ(server_rc, 0) << result;
        if (client >= 0) net_close(client);
        const std::string log = test_read_file(home.path() / "program.log");
        EXPECT_NE(log.find(std::string("Can't resolve hostname!\nActing as server at ") + name +
                           " on port " + std::to_string(net) + "...\nListening...\n"),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("The client at 127.0.0.1 has successfully connected to your server!\n"),
                  std::string::npos)
            << log;
    }
    test_port_send("NONAME", "QUIT", &result, &fd);
    wait_child(pid, TEST_HANG_SECONDS); // killed when it has not ended by then
    if (fd >= 0) net_close(fd);
    fresh_state();
}

} // namespace
