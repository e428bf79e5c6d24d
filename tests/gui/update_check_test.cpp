// The update check against an HTTP server of the test's own on loopback: it
// answers one request with canned bytes (or stays silent), and the check's
// requesters say what it made of them. Nothing leaves the machine.
#include "commands/command_table.h"
#include "core/session.h"
#include "gui/requesters.h"
#include "gui/update_check.h"
#include "platform/headless/gui_headless.h"
#include "platform/net.h"
#include "tests/support/bound_port.h"
#include "tests/support/fresh_state.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

// Serves one connection: reads the request (until its empty line), answers
// `reply` unless `silent`, and closes; a silent one keeps the connection
// open until let go (the check has given up on it) or the hang deadline.
class OneShotServer {
  public:
    OneShotServer(std::string reply, bool silent) {
        int stage = 0;
        listener_ = net_listen_on(0, &stage);
        port_ = test_bound_port(listener_);
        thread_ = std::thread([this, reply, silent] {
            const int hang_ms = TEST_HANG_SECONDS * 1000;
            if (net_wait_readable(listener_, hang_ms) != NET_READY) return;
            std::uint32_t peer = 0;
            const int fd = net_accept_one(listener_, &peer);
            if (fd < 0) return;
            while (request_.find("\r\n\r\n") == std::string::npos &&
                   net_wait_readable(fd, hang_ms) == NET_READY) {
                char buffer[512];
                const long n = net_recv_some(fd, buffer, sizeof buffer);
                if (n <= 0) break;
                request_.append(buffer, static_cast<std::size_t>(n));
            }
            if (silent)
                wait_until([this] { return let_go_.load(); });
            else
                net_send_some(fd, reply.data(), reply.size());
            net_close(fd);
        });
    }
    ~OneShotServer() {
        finish();
        net_close(listener_);
    }
    // The check is over: a silent server closes its connection, and the
    // request it read can be looked at.
    void finish() {
        let_go_ = true;
        if (thread_.joinable()) thread_.join();
    }
    u16 port() const { return port_; }
    const std::string& request() const { return request_; }

  private:
    int listener_ = -1;
    u16 port_ = 0;
    std::string request_;
    std::atomic<bool> let_go_{false};
    std::thread thread_;
};

class UpdateCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        app_acquired.host_gui = true; // requesters are shown (and recorded)
    }
    void TearDown() override {
        app_acquired.host_gui = false;
        fresh_state();
    }
    // Runs the check against a server answering `reply`; the requesters shown.
    // A silent server is waited for half a second (it stays silent until the
    // check is over); a server that answers, up to the hang deadline.
    std::vector<std::string> check(const std::string& reply, int quiet = 0, bool silent = false) {
        OneShotServer server(reply, silent);
        update_server.host = "127.0.0.1"; // no name service is asked
        update_server.fallback = "127.0.0.1";
        update_server.path = "/releases/version.txt";
        update_server.release_page = "https://example.invalid/releases";
        update_server.port = server.port();
        update_server.timeout_ms = silent ? 500 : TEST_HANG_SECONDS * 1000;
        const std::size_t before = gui_headless_requesters().size();
        net_check_updates(quiet);
        server.finish();
        request = server.request();
        return {gui_headless_requesters().begin() + static_cast<long>(before),
                gui_headless_requesters().end()};
    }
    std::string request;
};

std::string http(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
}
const std::string warning = "Warning|";
const std::string up_to_date = "Message|You are up to date.|OK";

TEST_F(UpdateCheck, TheVersionsAreComparedAsNumbers) {
    EXPECT_EQ(check(http("36.4\n")), std::vector<std::string>{up_to_date});
    EXPECT_EQ(request, "GET /releases/version.txt HTTP/1.1\r\nHost: 127.0.0.1:" +
                           std::to_string(update_server.port) + "\r\n\r\n");
    EXPECT_TRUE(gui_headless_opened_urls().empty());
    EXPECT_EQ(check(http("36.41")), std::vector<std::string>{warning + "Brindlemox 36.41 is available!|OK"});
    ASSERT_EQ(gui_headless_opened_urls().size(), 1u);
    EXPECT_EQ(gui_headless_opened_urls()[0], "https://example.invalid/releases");
    EXPECT_EQ(check(http("37")), std::vector<std::string>{warning + "Brindlemox 37.00 is available!|OK"});
    EXPECT_EQ(check(http("36.10")), std::vector<std::string>{up_to_date}); // 36.10 < 36.4
    EXPECT_EQ(check(http("\xEF\xBB\xBF" "36.5")),
              std::vector<std::string>{warning + "Brindlemox 36.50 is available!|OK"});
    // The start-up run says nothing when no newer release exists.
    EXPECT_TRUE(check(http("36.4"), 1).empty());
    EXPECT_EQ(check(http("99"), 1).size(), 1u);
}

TEST_F(UpdateCheck, MalformedResponsesAreWarnedAbout) {
    const std::string invalid = warning + "Invalid response from server!|OK";
    const std::string no_version = warning + "Can't download version file!|OK";
    EXPECT_EQ(check(http("v36.5")), std::vector<std::string>{no_version});
    EXPECT_EQ(check("HTTP/1.1 200 OK\r\n36.5"), std::vector<std::string>{invalid});
    EXPECT_EQ(check(http("")), std::vector<std::string>{invalid});
    EXPECT_EQ(check(http("\xEF\xBB")), std::vector<std::string>{no_version}); // half a mark
    // Only the text after the last empty line counts.
    EXPECT_EQ(check(http("notes\r\n\r\n99")),
              std::vector<std::string>{warning + "Brindlemox 99.00 is available!|OK"});
    // A NUL ends the text; only the first 1000 bytes are read.
    EXPECT_EQ(check(http(std::string("36.9\0", 5) + "\r\n\r\n99")),
              std::vector<std::string>{warning + "Brindlemox 36.90 is available!|OK"});
    // The body's first byte is the 1000th: "7" is read, "5" is not.
    const std::string head = "HTTP/1.1 200 OK\r\nX: " + std::string(UPDATE_RESPONSE_MAX - 25, 'x');
    ASSERT_EQ(head.size() + 4, UPDATE_RESPONSE_MAX - 1);
    EXPECT_EQ(check(head + "\r\n\r\n75"), std::vector<std::string>{up_to_date});
    EXPECT_EQ(check(head + "x\r\n\r\n40"), std::vector<std::string>{invalid}); // ends at the line
}

TEST_F(UpdateCheck, NetworkFailuresAreWarnedAboutInTime) {
    // The silent server holds its connection open until the check is over: a
    // check without a time limit would wait for it to the hang deadline and
    // then find the stream ended ("Invalid response"), not this.
    EXPECT_EQ(check("", 0, true),
              std::vector<std::string>{warning + "Can't receive response from server!|OK"});
    // The quiet run warns too; a stream that ends at once is no valid answer.
    EXPECT_EQ(check("", 1), std::vector<std::string>{warning + "Invalid response from server!|OK"});
    // Nobody listens: the name does not resolve, the fallback refuses.
    int stage = 0;
    const int probe = net_listen_on(0, &stage);
    update_server.port = test_bound_port(probe);
    net_close(probe);
    update_server.host = ""; // resolves to nothing (and asks nobody)
    update_server.fallback = "127.0.0.1";
    net_check_updates(0);
    EXPECT_EQ(gui_headless_requesters().back(), warning + "Socket connection failed!|OK");
}

TEST_F(UpdateCheck, TheMenuItemIsGhostedUntilAServerIsKnown) {
    EXPECT_STREQ(update_server_host, "");
    EXPECT_FALSE(update_check_available());
    EXPECT_NE(cmd_refusal(cmd_row(Cmd::HELP_UPDATE)), nullptr);
    update_server.host = "updates.example";
    EXPECT_EQ(cmd_refusal(cmd_row(Cmd::HELP_UPDATE)), nullptr);
}

TEST(UpdateReply, TheBodyIsReadAfterTheLastEmptyLine) {
    double v = 0;
    EXPECT_EQ(update_read_reply("a\r\n\r\n1.5", 8, &v), UPDATE_VERSION);
    EXPECT_EQ(v, 1.5);
    EXPECT_EQ(update_read_reply("\r\n\r\n", 4, &v), UPDATE_INVALID);
    EXPECT_EQ(update_read_reply("", 0, &v), UPDATE_INVALID);
    EXPECT_EQ(update_read_reply("\r\n\r\n.5", 6, &v), UPDATE_NO_VERSION);
    EXPECT_EQ(update_announcement(36.5), "Brindlemox 36.50 is available!");
}

} // namespace
