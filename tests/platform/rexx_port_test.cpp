// The scripting port's socket: naming, serving, replies, and robustness
// against clients that misbehave; then one script through the interpreter.
#include "platform/rexx_port.h"
#include "platform/rexx_script.h"
#include "tests/support/fresh_state.h"
#include "tests/support/port_client.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// How long a wait for a script's end may take before the script counts as
// hung, in milliseconds.
constexpr int SCRIPT_HANG_MS = TEST_HANG_SECONDS * 1000;

// Keeps back its reply to every request, the first kept until the port
// closes (the others wait behind it on their connection): a port that never
// answers. Counts what reached it.
std::atomic<int> unanswered{0};
int silent_handler(const char*, std::string*) {
    ++unanswered;
    rexx_port_hold();
    return 0;
}

// Answers "ECHO <text>" with 0 and the text, "FAIL" with 10, "WARN" with 5,
// anything else 20.
std::atomic<int> handled{0};
int echo_handler(const char* line, std::string* result) {
    ++handled;
    const std::string text = line;
    if (text.rfind("ECHO ", 0) == 0) {
        *result = text.substr(5);
        return 0;
    }
    if (text == "FAIL") {
        *result = "FAIL: as asked\n";
        return 10;
    }
    if (text == "WARN") {
        *result = "WARN: as asked\n";
        return 5;
    }
    *result = "unknown\n";
    return 20;
}

// Serves the port through `handler` until `ready()` holds (asked after each
// pass) or the hang deadline passes: whether it held.
template <typename Ready> bool serving(RexxPortHandler handler, Ready&& ready) {
    return wait_until(
        [&] {
            rexx_port_serve(handler);
            return ready();
        },
        TEST_HANG_SECONDS, 1);
}

class RexxPort : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
        handled = 0;
    }
    void TearDown() override {
        rexx_port_close();
        rexx_port_notice = nullptr;
        fresh_state();
    }
    int raw_connect() {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        const std::string path = rexx_port_socket_path(name.c_str());
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        return fd;
    }
    // Sends `line` from another thread while this one serves the port; the
    // client gives up at the hang deadline, as the serving does.
    int request(const std::string& line, std::string* result) {
        std::atomic<bool> done{false};
        int rc = -2;
        std::thread client([&] {
            rc = test_port_send(name.c_str(), line, result, nullptr);
            done = true;
        });
        serving(echo_handler, [&] { return done.load(); });
        client.join();
        return rc;
    }
    TempHome home{"rexx_port"};
    std::string name;
};

TEST_F(RexxPort, NamesTakeTheFirstFreeSlotOrStandExactly) {
    ASSERT_EQ(rexx_port_open("BRINDLEMOX", false, &name), REXX_PORT_OK);
    EXPECT_EQ(name, "BRINDLEMOX.1");
    // A second program would get slot 2: the socket of slot 1 answers.
    const int fd = raw_connect();
    close(fd);
    EXPECT_EQ(rexx_port_socket_path("a/b"), "");
    EXPECT_EQ(rexx_port_socket_path(""), "");
    EXPECT_EQ(rexx_port_socket_path(std::string(200, 'x').c_str()), "");
    rexx_port_close();
    EXPECT_EQ(access(rexx_port_socket_path("BRINDLEMOX.1").c_str(), F_OK), -1); // removed
    ASSERT_EQ(rexx_port_open("MYPORT", true, &name), REXX_PORT_OK);
    EXPECT_EQ(name, "MYPORT");
    EXPECT_EQ(rexx_port_open("bad/name", true, &name), REXX_PORT_NO_NAME);
}

TEST_F(RexxPort, ATakenExactNameIsRefusedAndALeftOverOneReused) {
    ASSERT_EQ(rexx_port_open("TAKEN", true, &name), REXX_PORT_OK);
    // Another listener on a second name, to test the taken one from outside.
    const std::string path = rexx_port_socket_path("TAKEN");
    const int other = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    EXPECT_NE(bind(other, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(other);
    rexx_port_close();
    // A socket file nobody listens on (a program that was killed).
    const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(stale);
    EXPECT_EQ(rexx_port_open("TAKEN", true, &name), REXX_PORT_OK);
}

TEST_F(RexxPort, TheSocketIsPrivateUnderAnyUmask) {
    const mode_t mask = umask(0);
    const int opened = rexx_port_open("PRIVATE", true, &name);
    umask(mask);
    ASSERT_EQ(opened, REXX_PORT_OK);
    const std::string path = rexx_port_socket_path("PRIVATE");
    const std::string folder = path.substr(0, path.rfind('/'));
    EXPECT_NE(folder, home.path().string());
    struct stat st;
    ASSERT_EQ(lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, geteuid());
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // Without a runtime folder of the user's own the program home holds it, not /tmp.
    unsetenv("XDG_RUNTIME_DIR");
    setenv("BRINDLEMOX_HOME", home.path().c_str(), 1);
    EXPECT_EQ(rexx_port_socket_path("P"), home.path().string() + "/Port/P");
}

TEST_F(RexxPort, AnotherUsersConnectionIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "connecting as another user needs root";
    static std::string noticed;
    noticed.clear();
    rexx_port_notice = [](const char* line) { noticed += line; };
    ASSERT_EQ(rexx_port_open("GUARDED", true, &name), REXX_PORT_OK);
    // Open the way as a careless umask would, so that only the peer check stands.
    const std::string path = rexx_port_socket_path("GUARDED");
    chmod(home.path().c_str(), 0755);
    chmod(path.substr(0, path.rfind('/')).c_str(), 0755);
    chmod(path.c_str(), 0666);
    sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    const pid_t child = fork();
    if (child == 0) {
        // 0: closed unanswered, 1: answered, 2: no connection, 3: no user change.
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) _exit(2);
        // The server may have closed the connection already: that is no signal here.
        const ssize_t sent = send(fd, "ECHO hi\n", 8, MSG_NOSIGNAL);
        if (sent != 8 && !(sent < 0 && (errno == EPIPE || errno == ECONNRESET))) _exit(2);
        pollfd p = {fd, POLLIN, 0};
        poll(&p, 1, TEST_HANG_SECONDS * 1000);
        char c;
        const ssize_t n = recv(fd, &c, 1, MSG_DONTWAIT);
        _exit(n == 0 || (n < 0 && errno == ECONNRESET) ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    int status = -1;
    const bool ended =
        serving(echo_handler, [&] { return waitpid(child, &status, WNOHANG) == child; });
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    ASSERT_TRUE(ended);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(noticed, "ARexx port: refused a connection from user 65534.\n");
    std::string result;
    EXPECT_EQ(request("ECHO mine", &result), 0);
    EXPECT_EQ(result, "mine");
}

TEST_F(RexxPort, AClientThatNeverReadsIsNotAnsweredPastTheCap) {
    ASSERT_EQ(rexx_port_open("FLOOD", true, &name), REXX_PORT_OK);
    const int fd = raw_connect();
    ASSERT_EQ(fcntl(fd, F_SETFL, O_NONBLOCK), 0);
    const std::string text(4000, 'r');
    const std::string line = "ECHO " + text + "\n", reply = "0 4000\n" + text;
    constexpr int LINES = 2000; // 8 MB of replies
    std::size_t sent = 0;
    auto send_more = [&] {
        while (sent < line.size() * LINES) {
            const std::size_t at = sent % line.size();
            const ssize_t n = send(fd, line.data() + at, line.size() - at, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
    };
    for (int pass = 0; pass < 300; ++pass) {
        send_more();
        rexx_port_serve(echo_handler);
    }
    EXPECT_GT(handled, 0);
    EXPECT_LT(handled * reply.size(), 2 * REXX_REPLY_MAX);
    // Once it reads, every reply arrives, in order.
    std::string got;
    char buffer[65536];
    wait_until(
        [&] {
            send_more();
            rexx_port_serve(echo_handler);
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
                got.append(buffer, static_cast<std::size_t>(n));
            return got.size() >= reply.size() * LINES;
        },
        TEST_HANG_SECONDS, 0);
    close(fd);
    ASSERT_EQ(got.size(), reply.size() * LINES);
    for (std::size_t at = 0; at < got.size(); at += reply.size())
        ASSERT_EQ(got.compare(at, reply.size(), reply), 0) << at;
}

// A reply over the cap (a whole game disassembled to the port) goes whole to
// a client that reads it on, however long this program takes to write it: a
// pass now and then, as on a busy host, each taking a little of it, until the
// reply has stayed over the cap longer than the stall allows.
TEST_F(RexxPort, AClientThatReadsALongReplyOnIsNotDroppedHoweverSlowlyItIsWritten) {
    ASSERT_EQ(rexx_port_open("LONG", true, &name), REXX_PORT_OK);
    const std::string text(3 * REXX_REPLY_MAX, 'l');
    const std::string reply = "0 " + std::to_string(text.size()) + "\n" + text;
    const RexxPortHandler long_reply = [](const char*, std::string* result) {
        *result = std::string(3 * REXX_REPLY_MAX, 'l');
        return 0;
    };
    const int fd = raw_connect();
    ASSERT_EQ(fcntl(fd, F_SETFL, O_NONBLOCK), 0);
    ASSERT_EQ(send(fd, "LONG\n", 5, MSG_NOSIGNAL), 5);
    std::string got;
    char buffer[24 * 1024]; // a little of it each pass
    const auto read_some = [&] {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        return n;
    };
    const auto began = std::chrono::steady_clock::now();
    bool over_the_stall = false; // the reply still over the cap past the stall
    for (;;) {
        rexx_port_serve(long_reply);
        if (read_some() == 0) break; // dropped
        if (got.size() >= reply.size()) break;
        const bool over = reply.size() - got.size() > REXX_REPLY_MAX + 256 * 1024;
        if (over && std::chrono::steady_clock::now() - began >
                        std::chrono::milliseconds(REXX_STALL_MS + 500))
            over_the_stall = true;
        // While over the cap, a pass a tenth of a second; then as fast as it goes.
        if (over) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(TEST_HANG_SECONDS));
    }
    close(fd);
    EXPECT_TRUE(over_the_stall) << "the reply drained before the stall's time: no case";
    ASSERT_EQ(got.size(), reply.size()) << "dropped part way";
    EXPECT_EQ(got, reply);
}

TEST_F(RexxPort, RepliesCarryCodeAndResult) {
    ASSERT_EQ(rexx_port_open("BMX", true, &name), REXX_PORT_OK);
    std::string result;
    EXPECT_EQ(request("ECHO two\nlines", &result), 0); // the line ends at the line feed
    EXPECT_EQ(result, "two");
    EXPECT_EQ(request("FAIL", &result), 10);
    EXPECT_EQ(result, "FAIL: as asked\n");
    EXPECT_EQ(request("ECHO ", &result), 0);
    EXPECT_EQ(result, "");
}

// A handler may keep its reply back: the client gets it on release, after
// its own later requests have waited behind it, while other clients are
// answered meanwhile; one reply is kept back at a time. A client that has
// closed its sending side still gets it.
int holding_handler(const char* line, std::string* result) {
    if (std::string(line) == "HOLD") {
        EXPECT_TRUE(rexx_port_hold());
        EXPECT_FALSE(rexx_port_hold()); // asked once per reply
        return 0;
    }
    if (std::string(line) == "HOLD AGAIN") {
        EXPECT_FALSE(rexx_port_hold()); // another reply is kept back
        *result = "at once";
        return 0;
    }
    return echo_handler(line, result);
}

TEST_F(RexxPort, AReplyKeptBackGoesOnReleaseAndTheClientsNextRequestWaitsBehindIt) {
    ASSERT_EQ(rexx_port_open("BMX", true, &name), REXX_PORT_OK);
    EXPECT_FALSE(rexx_port_hold()); // no request is being answered
    const int fd = raw_connect();
    const std::string asked = "HOLD\nECHO after\n";
    ASSERT_EQ(send(fd, asked.data(), asked.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(asked.size()));
    shutdown(fd, SHUT_WR);
    // What arrives over `passes` passes of serving (a socket's bytes are there
    // to read as soon as they are written: passes count, not time), or until
    // `size` bytes are in.
    const auto serve = [&](int passes, std::size_t size = 0) {
        std::string got;
        char buffer[256];
        const auto pass = [&] {
            rexx_port_serve(holding_handler);
            const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        };
        if (size)
            wait_until([&] { return pass(), got.size() >= size; }, TEST_HANG_SECONDS, 1);
        else
            for (int i = 0; i < passes; ++i)
                pass();
        return got;
    };
    EXPECT_TRUE(serving(holding_handler, [] { return rexx_port_holding(); }));
    EXPECT_EQ(serve(50), "");
    EXPECT_EQ(handled, 0); // ECHO after waits
    // Another client is answered meanwhile, and cannot keep a reply back.
    std::atomic<bool> done{false};
    std::string result;
    int rc = -2;
    std::thread other([&] {
        rc = test_port_send(name.c_str(), "HOLD AGAIN", &result, nullptr, 10);
        done = true;
    });
    while (!done)
        serve(1);
    other.join();
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(result, "at once");
    rexx_port_release(5, "late\n");
    EXPECT_FALSE(rexx_port_holding());
    const std::string both = "5 5\nlate\n0 5\nafter";
    EXPECT_EQ(serve(0, both.size()), both);
    rexx_port_release(0, "twice"); // nothing kept back: nothing sent
    EXPECT_EQ(serve(10), "");
    close(fd);
}

// The port closing (the program ending) answers every client that sent a
// request: the reply kept back as released, the request whose handler ends
// the program, and every request already sent, in order.
int closing_handler(const char* line, std::string* result) {
    if (std::string(line) == "HOLD") {
        rexx_port_hold();
        return 0;
    }
    if (std::string(line) == "END") {
        rexx_port_close_answering(
            [](const char*, std::string* said) {
                *said = "ending\n";
                return 10;
            },
            1000);
        return 0; // never sent: the port has closed
    }
    return echo_handler(line, result);
}

TEST_F(RexxPort, ClosingAnswersEveryRequestSent) {
    ASSERT_EQ(rexx_port_open("BMX", true, &name), REXX_PORT_OK);
    const int ender = raw_connect(), held = raw_connect(), waiting = raw_connect();
    const auto put = [](int fd, const std::string& bytes) {
        ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    };
    put(held, "HOLD\nECHO after\n");
    ASSERT_TRUE(serving(closing_handler, [] { return rexx_port_holding(); }));
    rexx_port_release(5, "ended\n");
    // Sent just before the end, read by nobody yet.
    put(waiting, "ECHO one\nECHO two\n");
    put(ender, "END\nECHO never\n");
    rexx_port_serve(closing_handler);
    const auto all_of = [](int fd) {
        std::string got;
        char buffer[256];
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
            got.append(buffer, static_cast<std::size_t>(n));
        close(fd);
        return got;
    };
    EXPECT_EQ(all_of(held), "5 6\nended\n10 7\nending\n");
    EXPECT_EQ(all_of(waiting), "10 7\nending\n10 7\nending\n");
    EXPECT_EQ(all_of(ender), "10 7\nending\n10 7\nending\n");
}

TEST_F(RexxPort, SurvivesDisconnectsGarbageAndOverlongLines) {
    ASSERT_EQ(rexx_port_open("BMX", true, &name), REXX_PORT_OK);
    // A client that sends half a line and goes away.
    int fd = raw_connect();
    ASSERT_EQ(send(fd, "ECHO half", 9, MSG_NOSIGNAL), 9);
    rexx_port_serve(echo_handler);
    close(fd);
    for (int i = 0; i < 3; ++i)
        rexx_port_serve(echo_handler);
    EXPECT_EQ(handled, 0);

    // Garbage bytes with a NUL: answered 10, nothing handled.
    fd = raw_connect();
    const char garbage[] = {'\x01', '\xff', '\0', 'Q', '\n'};
    ASSERT_EQ(send(fd, garbage, sizeof garbage, MSG_NOSIGNAL),
              static_cast<ssize_t>(sizeof garbage));
    std::string reply;
    char buffer[256];
    serving(echo_handler, [&] {
        const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) reply.append(buffer, static_cast<std::size_t>(n));
        return reply.find('\n') != std::string::npos;
    });
    EXPECT_EQ(reply.substr(0, 3), "10 ");
    EXPECT_EQ(handled, 0);
    close(fd);

    // A 100 KB line: one refusal, and the port keeps serving.
    std::string result;
    EXPECT_EQ(request(std::string(100 * 1024, 'A'), &result), 10);
    EXPECT_EQ(result, "Command line too long\n");
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(request("ECHO still here", &result), 0);
    EXPECT_EQ(result, "still here");
}

// A client that writes its requests and closes its side at once (a pipe
// into socat) still reads every reply before the port closes the connection.
TEST_F(RexxPort, AClientThatClosedItsSideGetsEveryReplyThenTheEnd) {
    ASSERT_EQ(rexx_port_open("BMX", true, &name), REXX_PORT_OK);
    const int fd = raw_connect();
    const std::string requests = "ECHO one\nFAIL\nECHO two\n";
    ASSERT_EQ(send(fd, requests.data(), requests.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(requests.size()));
    ASSERT_EQ(shutdown(fd, SHUT_WR), 0);
    std::string replies;
    char buffer[256];
    const bool ended = serving(echo_handler, [&] {
        const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) replies.append(buffer, static_cast<std::size_t>(n));
        return n == 0;
    });
    close(fd);
    EXPECT_EQ(replies, "0 3\none10 15\nFAIL: as asked\n0 3\ntwo");
    EXPECT_TRUE(ended);
}

TEST_F(RexxPort, ScriptCommandsReachThePortWithRcAndResult) {
    ASSERT_EQ(rexx_port_open("SCRIPTED", true, &name), REXX_PORT_OK);
    const std::string out = (home.path() / "out.txt").string();
    const std::string script = (home.path() / "s.rexx").string();
    std::ofstream(script) << "/* test */\n"
                          << "'ECHO hello'\n"
                          << "a = rc result\n"
                          << "'FAIL'\n"
                          << "b = rc\n"
                          << "call lineout '" << out << "', a b\n"
                          << "call lineout '" << out << "'\n"
                          << "address SCRIPTED 'ECHO done'\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), "SCRIPTED"));
    EXPECT_FALSE(rexx_script_start(script.c_str(), "SCRIPTED")); // one at a time
    ASSERT_TRUE(serving(echo_handler, [] { return !rexx_script_running(); }));
    EXPECT_EQ(test_read_file(out), "0 hello 10\n");
    EXPECT_EQ(handled, 3);
}

TEST_F(RexxPort, ANulInAScriptsCommandIsRefusedAsOnTheSocket) {
    ASSERT_EQ(rexx_port_open("NUL", true, &name), REXX_PORT_OK);
    std::string socket_result;
    const int socket_rc = request(std::string("ECHO a\0b", 8), &socket_result);
    EXPECT_EQ(socket_rc, 10);
    const std::string out = (home.path() / "out.txt").string();
    const std::string script = (home.path() / "nul.rexx").string();
    std::ofstream(script) << "/* nul */\n'ECHO a' || '00'x || 'b'\n"
                          << "call lineout '" << out << "', rc c2x(result)\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), "NUL"));
    ASSERT_TRUE(serving(echo_handler, [] { return !rexx_script_running(); }));
    std::string hex;
    for (const unsigned char c : socket_result) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", c);
        hex += two;
    }
    EXPECT_EQ(test_read_file(out), std::to_string(socket_rc) + " " + hex + "\n");
    EXPECT_EQ(handled, 0);
}

TEST_F(RexxPort, AScriptToldToStopGivesUpWaiting) {
    ASSERT_EQ(rexx_port_open("BUSY", true, &name), REXX_PORT_OK);
    const std::string script = (home.path() / "wait.rexx").string();
    std::ofstream(script) << "/* nobody answers */\n'ECHO one'\n'ECHO two'\n'ECHO three'\n";
    unanswered = 0;
    ASSERT_TRUE(rexx_script_start(script.c_str(), "BUSY"));
    // Its first command has reached the port, whose reply never comes.
    ASSERT_TRUE(serving(silent_handler, [] { return unanswered > 0; }));
    EXPECT_TRUE(rexx_script_running()); // waiting for its first reply
    rexx_script_halt();
    EXPECT_TRUE(rexx_script_wait(SCRIPT_HANG_MS));
    for (int i = 0; i < 3; ++i)
        rexx_port_serve(silent_handler);
    EXPECT_EQ(unanswered, 1); // it sent nothing more
    EXPECT_EQ(handled, 0);
}

} // namespace

namespace {

// Collects what the scripts wrote until `want` shows up (up to the hang
// deadline); with no `want`, what they wrote so far (all of it once the
// script has ended: its thread keeps each line before it goes on).
std::string output_until(const std::string& want = "") {
    std::string all, part;
    wait_until(
        [&] {
            if (rexx_script_take_output(&part)) all += part;
            return want.empty() || all.find(want) != std::string::npos;
        },
        TEST_HANG_SECONDS, 2);
    return all;
}


std::atomic<int> breaks{0};
void count_break(int) {
    ++breaks;
}

TEST_F(RexxPort, ALoopThatSendsNoCommandsStopsWhenHalted) {
    // The program's break handler answers CTRL-C while the script runs and
    // is its own again afterwards.
    struct sigaction mine = {}, before;
    mine.sa_handler = count_break;
    sigemptyset(&mine.sa_mask);
    sigaction(SIGINT, &mine, &before);
    breaks = 0;
    ASSERT_EQ(rexx_port_open("LOOPING", true, &name), REXX_PORT_OK);
    const std::string script = (home.path() / "loop.rexx").string();
    std::ofstream(script) << "/* spin */\nsay 'spinning'\ndo forever; end\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), "LOOPING"));
    // It has said its line: it is in the loop, which only a halt ends.
    EXPECT_NE(output_until("spinning").find("spinning\n"), std::string::npos);
    ASSERT_TRUE(rexx_script_running());
    raise(SIGINT);
    EXPECT_EQ(breaks, 1);
    // A break of the program is not a halt. (The pause gives a script that
    // took it for one time to end; a correct one runs on however long.)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(rexx_script_running());
    rexx_script_halt();
    EXPECT_TRUE(rexx_script_wait(SCRIPT_HANG_MS)); // else it spins on: no halt reached it
    EXPECT_EQ(handled, 0);
    struct sigaction now;
    sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, count_break);
    sigaction(SIGINT, &before, nullptr);
    // A new script runs after a halted one, and is not halted itself.
    std::ofstream(script) << "/* again */\nsay 'again'\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), "LOOPING"));
    EXPECT_TRUE(rexx_script_wait(SCRIPT_HANG_MS));
    EXPECT_NE(output_until("again").find("again\n"), std::string::npos);
}

// Another script called as a routine starts and ends inside the first: the
// first still stops when halted afterwards.
TEST_F(RexxPort, ALoopAfterACallToAnotherScriptStillStops) {
    const std::string helper = (home.path() / "helper.rexx").string();
    const std::string script = (home.path() / "caller.rexx").string();
    std::ofstream(helper) << "/* helper */\nreturn 5\n";
    std::ofstream(script) << "/* caller */\ncall '" << helper << "'\nsay 'back' result\n"
                          << "do forever; end\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), "NOBODY"));
    EXPECT_NE(output_until("back 5\n").find("back 5\n"), std::string::npos);
    rexx_script_halt();
    EXPECT_TRUE(rexx_script_wait(SCRIPT_HANG_MS));
}

// Holds the script's thread at one stage (the first time it passes) until the
// test lets it go, or the hang deadline passes.
std::atomic<RexxScriptStage> hold_stage;
std::atomic<bool> held{false}, let_go{false};
void hold_at_stage(RexxScriptStage stage) {
    if (stage != hold_stage.load() || held.exchange(true)) return;
    wait_until([] { return let_go.load(); }, TEST_HANG_SECONDS, 1);
}
bool wait_until_held() {
    return wait_until([] { return held.load(); }, TEST_HANG_SECONDS, 1);
}

TEST_F(RexxPort, AHaltAtAnyStageLeavesNoScriptRunning) {
    const std::string script = (home.path() / "stage.rexx").string();
    const std::string again = (home.path() / "again.rexx").string();
    std::ofstream(script) << "/* stage */\nsay 'ran'\n";
    std::ofstream(again) << "/* again */\nsay 'again'\n";
    // A halt with no script running is not kept for the next one.
    rexx_script_halt();
    ASSERT_TRUE(rexx_script_start(again.c_str(), "NOBODY"));
    ASSERT_TRUE(rexx_script_wait(SCRIPT_HANG_MS));
    EXPECT_EQ(output_until("again\n"), "again\n");
    rexx_script_stage_hook = hold_at_stage;
    const struct {
        RexxScriptStage stage;
        bool clauses_ran;
    } stages[] = {{RexxScriptStage::thread_start, false},
                  {RexxScriptStage::interpreter_set_up, false},
                  {RexxScriptStage::clauses_start, false},
                  {RexxScriptStage::clauses_end, true},
                  {RexxScriptStage::thread_end, true}};
    for (const auto& at : stages) {
        const int which = static_cast<int>(at.stage);
        hold_stage = at.stage;
        held = false;
        let_go = false;
        ASSERT_TRUE(rexx_script_start(script.c_str(), "NOBODY")) << which;
        ASSERT_TRUE(wait_until_held()) << which;
        rexx_script_halt();
        let_go = true;
        EXPECT_TRUE(rexx_script_wait(SCRIPT_HANG_MS)) << which;
        EXPECT_FALSE(rexx_script_running()) << which;
        const std::string said = output_until();
        EXPECT_EQ(said.find("ran\n") != std::string::npos, at.clauses_ran) << which << said;
        // The next script runs to its end, not halted by what came before.
        hold_stage = RexxScriptStage(-1);
        ASSERT_TRUE(rexx_script_start(again.c_str(), "NOBODY")) << which;
        EXPECT_TRUE(rexx_script_wait(SCRIPT_HANG_MS)) << which;
        EXPECT_EQ(output_until("again\n"), "again\n") << which;
    }
}

TEST_F(RexxPort, WaitingForAScriptEndsAtItsDeadline) {
    const std::string script = (home.path() / "held.rexx").string();
    std::ofstream(script) << "/* held */\nsay 'held'\n";
    rexx_script_stage_hook = hold_at_stage;
    hold_stage = RexxScriptStage::thread_end;
    held = false;
    let_go = false;
    ASSERT_TRUE(rexx_script_start(script.c_str(), "NOBODY"));
    ASSERT_TRUE(wait_until_held());
    rexx_script_halt();
    // The script stays held until the test lets it go: a wait that came back
    // meanwhile ended at its own deadline.
    EXPECT_FALSE(rexx_script_wait(100));
    EXPECT_TRUE(rexx_script_running());
    let_go = true;
    EXPECT_TRUE(rexx_script_wait(SCRIPT_HANG_MS));
}

TEST_F(RexxPort, ScriptOutputIsKeptAndTerminalInputIsEmpty) {
    ASSERT_EQ(rexx_port_open("TALKING", true, &name), REXX_PORT_OK);
    const std::string script = (home.path() / "talk.rexx").string();
    std::ofstream(script) << "/* talk */\nsay 'one'\nparse pull answer\nsay 'two['answer']'\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), "TALKING"));
    ASSERT_TRUE(rexx_script_wait(SCRIPT_HANG_MS)); // a PULL does not wait for a keyboard
    EXPECT_EQ(output_until(), "one\ntwo[]\n");
    std::string none;
    EXPECT_FALSE(rexx_script_take_output(&none));
}

// The trace of a command that did not succeed shows the code the port
// answered, and the script's RC is that code.
TEST_F(RexxPort, TheTraceOfAFailedCommandShowsItsCode) {
    ASSERT_EQ(rexx_port_open("TRACED", true, &name), REXX_PORT_OK);
    const std::string script = (home.path() / "traced.rexx").string();
    std::ofstream(script) << "/* traced */\ntrace c\n'FAIL'\nsay 'rc' rc\n'WARN'\nsay 'rc' rc\n"
                          << "'ECHO fine'\n'NOSUCH'\nsay 'rc' rc\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), "TRACED"));
    std::string said, part;
    ASSERT_TRUE(serving(echo_handler, [&] {
        if (rexx_script_take_output(&part)) said += part;
        return !rexx_script_running();
    }));
    said += output_until("");
    EXPECT_NE(said.find("+++ RC=10 +++\nrc 10\n"), std::string::npos) << said;
    EXPECT_NE(said.find("+++ RC=5 +++\nrc 5\n"), std::string::npos) << said;
    EXPECT_NE(said.find("+++ RC=20 +++\nrc 20\n"), std::string::npos) << said;
    EXPECT_EQ(said.find("RC=1 "), std::string::npos) << said;
}

TEST_F(RexxPort, ACommandWithoutAPortFailsAndSaysSo) {
    const std::string script = (home.path() / "alone.rexx").string();
    std::ofstream(script) << "/* nobody there */\n'ECHO hello'\nsay 'rc' rc\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), "NOBODY"));
    ASSERT_TRUE(rexx_script_wait(SCRIPT_HANG_MS));
    // The interpreter traces the failed command after our line.
    const std::string said = output_until();
    EXPECT_EQ(said.rfind("REXX: port \"NOBODY\" did not answer\n", 0), 0u) << said;
    EXPECT_EQ(said.substr(said.size() - 6), "rc 20\n") << said;
    // Told to stop while waiting for a reply, it gives up without a word.
    ASSERT_EQ(rexx_port_open("SILENT", true, &name), REXX_PORT_OK);
    std::ofstream(script) << "/* wait */\n'ECHO one'\nsay 'after'\n";
    unanswered = 0;
    ASSERT_TRUE(rexx_script_start(script.c_str(), "SILENT"));
    ASSERT_TRUE(serving(silent_handler, [] { return unanswered > 0; })); // its command is in
    rexx_script_halt();
    EXPECT_TRUE(rexx_script_wait(SCRIPT_HANG_MS));
    EXPECT_EQ(output_until().find("did not answer"), std::string::npos);
}

// A child process (a client of another program) that holds `count` idle
// connections to the port until the pipe it is given closes.
pid_t hold_connections(const std::string& path, int count, int* ready_fd, int* release_fd) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        close(release[1]);
        sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        for (int i = 0; i < count; ++i) {
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) _exit(2);
        }
        if (write(ready[1], "r", 1) != 1) _exit(2);
        char c;
        while (read(release[0], &c, 1) > 0) {
        }
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    *ready_fd = ready[0];
    *release_fd = release[1];
    return child;
}

std::string noticed_lines;
void note(const char* line) {
    noticed_lines += line;
}

// Sixteen idle connections of another program do not shut the port: the
// client heard from longest ago makes room. This program's own connections
// (its scripts) are never dropped: with sixteen of them a newcomer is refused.
TEST_F(RexxPort, AFullTableDropsTheClientIdleLongestButNeverAScript) {
    noticed_lines.clear();
    rexx_port_notice = note;
    ASSERT_EQ(rexx_port_open("CROWDED", true, &name), REXX_PORT_OK);
    int ready = -1, release = -1;
    const pid_t child =
        hold_connections(rexx_port_socket_path("CROWDED"), REXX_CLIENTS_MAX, &ready, &release);
    ASSERT_GT(child, 0);
    char c;
    ASSERT_EQ(read(ready, &c, 1), 1);
    rexx_port_serve(echo_handler); // all sixteen taken in
    std::string result;
    EXPECT_EQ(request("ECHO seventeenth", &result), 0);
    EXPECT_EQ(result, "seventeenth");
    EXPECT_NE(noticed_lines.find("ARexx port: 16 connections open; closed the one idle longest ("),
              std::string::npos)
        << noticed_lines;
    close(release);
    close(ready);
    waitpid(child, nullptr, 0);
    for (int i = 0; i < 3; ++i)
        rexx_port_serve(echo_handler); // the child's connections are gone

    // Sixteen connections of this process: a seventeenth from outside is refused.
    noticed_lines.clear();
    std::vector<int> own;
    for (int i = 0; i < REXX_CLIENTS_MAX; ++i)
        own.push_back(raw_connect());
    rexx_port_serve(echo_handler);
    const pid_t outsider = hold_connections(rexx_port_socket_path("CROWDED"), 1, &ready, &release);
    ASSERT_GT(outsider, 0);
    ASSERT_EQ(read(ready, &c, 1), 1);
    rexx_port_serve(echo_handler);
    EXPECT_EQ(noticed_lines, "ARexx port: 16 connections busy; refused a new one.\n");
    close(release);
    close(ready);
    waitpid(outsider, nullptr, 0);
    ASSERT_EQ(write(own[0], "ECHO kept\n", 10), 10);
    std::string reply;
    char buffer[64];
    serving(echo_handler, [&] {
        const ssize_t n = recv(own[0], buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) reply.append(buffer, static_cast<std::size_t>(n));
        return reply.size() >= 8;
    });
    EXPECT_EQ(reply, "0 4\nkept");
    for (int fd : own)
        close(fd);
}

// A handler that waits on the user, as a requester does: meanwhile the other
// clients are answered by the waiting handler, and it ends when its asker goes.
bool asker_left = false;
int busy_handler(const char*, std::string* result) {
    *result = "busy\n";
    return 5;
}
int asking_handler(const char* line, std::string* result) {
    if (std::string(line) != "ASK") return echo_handler(line, result);
    asker_left = wait_until(
        [] {
            rexx_port_serve(echo_handler); // a nested event pass: does nothing
            rexx_port_serve_waiting(busy_handler);
            return rexx_port_asker_gone();
        },
        TEST_HANG_SECONDS, 1);
    return 0;
}

TEST_F(RexxPort, AWaitingHandlerAnswersTheOthersAndNoticesItsAskerLeave) {
    asker_left = false;
    ASSERT_EQ(rexx_port_open("ASKING", true, &name), REXX_PORT_OK);
    const int asker = raw_connect();
    ASSERT_EQ(write(asker, "ASK\n", 4), 4);
    int rc = -2;
    std::string result;
    std::thread other([&] {
        rc = rexx_port_send(name.c_str(), "ECHO later", &result, nullptr, nullptr);
        close(asker); // the asker goes once the other client has its answer
    });
    serving(asking_handler, [] { return asker_left; });
    other.join();
    EXPECT_TRUE(asker_left);
    EXPECT_EQ(rc, 5);
    EXPECT_EQ(result, "busy\n");
    EXPECT_EQ(handled, 0); // nothing reached the full handler meanwhile
    EXPECT_EQ(request("ECHO after", &result), 0);
    EXPECT_EQ(result, "after");
}

} // namespace
