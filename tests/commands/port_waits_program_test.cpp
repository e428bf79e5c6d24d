// Waits that the running program enters for a person or a peer (the netplay
// server's "Listening...", the host-name prompt, the file requester of
// REQUESTFILE and of OPEN without a name) and a start whose games
// drawer is gone: none of them holds the scripting port.
#include "platform/net.h"
#include "platform/rexx_port.h"
#include "tests/support/bound_port.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace {

std::atomic<bool> asker_leaves{false};

class PortWaits : public ProgramTest {};

// Each command below waits (for a client to connect, for a host name or a file);
// meanwhile another client is answered, and the wait ends
// when the client that sent the command goes away.
TEST_F(PortWaits, AWaitAnswersOtherClientsAndEndsWhenItsAskerLeaves) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    int stage = 0;
    const int probe = net_listen_on(0, &stage);
    const unsigned free_port = test_bound_port(probe);
    net_close(probe);
    ASSERT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    ASSERT_EQ(send("SETPORT " + std::to_string(free_port), &result), 0) << result;
    for (const char* line :
         {"SERVER", "MENU TOOLS.SERVER", "CLIENT \"\"", "CLIENT", "REQUESTFILE", "OPEN", "OPEN \"\""}) {
        int asker = -1, other = -1;
        std::string asked;
        asker_leaves = false;
        std::thread asking([&] {
            rexx_port_send("E2E", line, &asked, &asker, [] { return asker_leaves.load(); });
        });
        // Answered as usual until the wait is up, then "A requester is open.".
        int rc = send_while(0, "GETVERSION", &result, &other);
        EXPECT_EQ(rc, 5) << line;
        EXPECT_EQ(result, "A requester is open.\n") << line;
        asker_leaves = true;
        asking.join();
        rc = send_while(5, "GETVERSION", &result, &other);
        EXPECT_EQ(rc, 0) << line << ": the wait goes on after its asker left";
        if (other >= 0) close(other);
    }
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

// A settings file whose games drawer is gone (an unplugged drive): the start
// says so on the console, goes on in the home's games drawer, and asks nobody.
TEST_F(PortWaits, AStartWithAMissingGamesDrawerAnswersAtOnce) {
    // A first start writes the settings; their games drawer is then changed.
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("QUIT", &result), 0);
    ASSERT_EQ(wait_exit(), 0) << log();
    close(fd);
    fd = -1;
    const std::filesystem::path ini = home.path() / "Configs" / "Brindlemox.ini";
    std::string settings = test_read_file(ini);
    const std::size_t at = settings.find("\npath_games=");
    ASSERT_NE(at, std::string::npos);
    const std::filesystem::path gone = home.path() / "unplugged" / "Games";
    settings.replace(at + 1, settings.find('\n', at + 1) - at - 1, "path_games=" + gone.string());
    std::ofstream(ini, std::ios::binary | std::ios::trunc) << settings;

    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    EXPECT_EQ(send_within("GETVERSION", &result, &fd), 0) << result;
    EXPECT_EQ(send_within("OPENMEMORY", &result, &fd), 0) << result;
    EXPECT_EQ(send("QUIT", &result), 0) << result;
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_NE(log().find("Can't lock directory \"" + gone.string() +
                         "\"! The games drawer is \"PROGDIR:Games\" instead.\n"),
              std::string::npos)
        << log();
    // The drive may come back: the settings still name its drawer.
    EXPECT_NE(test_read_file(ini).find("\npath_games=" + gone.string() + "\n"), std::string::npos);
}

} // namespace
