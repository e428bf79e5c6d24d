// The log file in a shared runtime folder (RAM: is /tmp when
// $XDG_RUNTIME_DIR is not set): a link that someone else put at its name is
// not written through, nor is a file of another user's; the program says it
// cannot open the log and runs on without it, for that session only.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SharedLogProgram : public ProgramTest {
  protected:
    // One session that logs (replacing the log, as "logtofile=2" says) the
    // messages of a file it cannot load, then quits.
    void session() {
        test_write_file(home.path() / "bad.hex", "no records\n");
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up()) << log();
        std::string result;
        send("OPEN " + (home.path() / "bad.hex").string(), &result);
        EXPECT_EQ(send("QUIT", &result), 0) << result;
        EXPECT_EQ(wait_exit(), 0) << log();
        ::close(fd);
        fd = -1;
    }
};

} // namespace

TEST_F(SharedLogProgram, ALinkOrAnotherUsersFileAtTheLogNameIsNotWritten) {
    session(); // the settings file, to turn the log on in
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    const auto log_on = [&ini] {
        std::string text = test_read_file(ini);
        ASSERT_NE(text.find("\nlogtofile="), std::string::npos);
        text.replace(text.find("\nlogtofile="), 13, "\nlogtofile=2\n");
        test_write_file(ini, text);
    };
    log_on();
    // The runtime folder (the test's home) becomes one that everybody may
    // write to, as /tmp is.
    ASSERT_EQ(::chmod(home.path().c_str(), 01777), 0);
    const fs::path precious = home.path() / "precious.txt";
    test_write_file(precious, "the user's own text\n");
    fs::create_symlink(precious, home.path() / "Brindlemox.log");
    session();
    EXPECT_EQ(test_read_file(precious), "the user's own text\n");
    EXPECT_NE(log().find("Can't open RAM:Brindlemox.log for writing!"), std::string::npos) << log();
    // The log is off for that session only: the settings keep it on.
    EXPECT_NE(test_read_file(ini).find("\nlogtofile=2\n"), std::string::npos);

    if (::geteuid() == 0) { // a file another user owns
        fs::remove(home.path() / "Brindlemox.log");
        test_write_file(home.path() / "Brindlemox.log", "someone else's log\n");
        ASSERT_EQ(::chown((home.path() / "Brindlemox.log").c_str(), 65534, 65534), 0);
        session();
        EXPECT_EQ(test_read_file(home.path() / "Brindlemox.log"), "someone else's log\n");
    }
    // A private runtime folder keeps the log as before.
    ASSERT_EQ(::chmod(home.path().c_str(), 0700), 0);
    fs::remove(home.path() / "Brindlemox.log");
    session();
    EXPECT_NE(test_read_file(home.path() / "Brindlemox.log").find("Opened RAM:Brindlemox.log"),
              std::string::npos);
}
