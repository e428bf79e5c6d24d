// Two runs of the real program on one home (offscreen): removing the home's
// lock file under the first does not let a second one save, a second run
// leaves the first run's log alone, and a first run whose lock file another
// run has replaced writes nothing at exit.
#include "platform/rexx_port.h"
#include "tests/support/checkout_paths.h"
#include "tests/support/child_wait.h"
#include "tests/support/count_of.h"
#include "tests/support/fresh_state.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// One run of the program with its own port, its output in <home>/<port>.log.
struct ProgramRun {
    explicit ProgramRun(std::string name) : port(std::move(name)) {}
    std::string port;
    pid_t pid = -1;
    int fd = -1;
    ~ProgramRun() {
        if (fd >= 0) close(fd);
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    int send(const char* line) {
        std::string result;
        return rexx_port_send(port.c_str(), line, &result, &fd, nullptr);
    }
    // Starts the run and waits for its port to answer.
    bool start(const fs::path& home) {
        std::string program = test_program(), name = "PORTNAME";
        char* argv[] = {program.data(), name.data(), port.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string log = (home / (port + ".log")).string();
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const bool spawned = posix_spawn(&pid, test_program(), &actions, nullptr, argv,
                                         environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
        while (spawned && std::chrono::steady_clock::now() < end) {
            if (send("GETVERSION") == 0) return true;
            std::this_thread::sleep_for(milliseconds(20));
        }
        return false;
    }
    int answer = -1;  // QUIT's return code
    std::string said; // and its reply
    // Quits the run over its port: its exit code, -1 when it did not end in
    // TEST_HANG_SECONDS.
    int quit() {
        answer = rexx_port_send(port.c_str(), "QUIT", &said, &fd, nullptr);
        const int code = wait_child(pid, TEST_HANG_SECONDS);
        pid = -1;
        return code;
    }
};

class HomeLockProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        setenv("BRINDLEMOX_HOME", home.path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override { fresh_state(); }
    bool waits_for(const fs::path& path) {
        return wait_until([&] { return fs::exists(path); });
    }
    TempHome home{"home_lock_program"};
    const fs::path lock = home.path() / "Configs" / "Brindlemox.lock";
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
};

TEST_F(HomeLockProgram, ARemovedLockFileDoesNotLetASecondRunSave) {
    ProgramRun first{"LOCKA"}, second{"LOCKB"};
    ASSERT_TRUE(first.start(home.path()));
    fs::remove(lock);
    ASSERT_TRUE(waits_for(lock)); // the first run makes its lock file again
    ASSERT_TRUE(second.start(home.path()));
    EXPECT_EQ(second.quit(), 0);
    // Its QUIT says what it leaves unwritten.
    EXPECT_EQ(second.answer, 5);
    EXPECT_EQ(second.said, "This one did not save its settings, its high scores or its autosave: "
                           "another Brindlemox is using \"" +
                               home.path().string() + "\".\n");
    const std::string said = test_read_file(home.path() / "LOCKB.log");
    EXPECT_NE(said.find("Another Brindlemox is using"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(ini));
    EXPECT_EQ(first.quit(), 0);
    EXPECT_EQ(first.answer, 0) << first.said;
    EXPECT_TRUE(fs::exists(ini));
}

// With the log set to replace, a second run on the home neither replaces the
// first run's log at its start nor when the log is chosen in its menu, and
// says why; the first run's log holds all it wrote, opened and closed once.
TEST_F(HomeLockProgram, ASecondRunLeavesTheFirstRunsLogWhole) {
    {
        ProgramRun run{"LOGA"}; // writes the settings
        ASSERT_TRUE(run.start(home.path()));
        ASSERT_EQ(run.quit(), 0);
    }
    std::string settings = test_read_file(ini);
    const std::size_t at = settings.find("\nlogtofile=1\n");
    ASSERT_NE(at, std::string::npos) << settings;
    settings[at + 11] = '2'; // replace
    test_write_file(ini, settings);
    fs::remove(home.path() / "LOGA.log");
    ProgramRun first{"LOGA"}, second{"LOGB"};
    ASSERT_TRUE(first.start(home.path()));
    EXPECT_EQ(first.send("DEBUGGER \"E 1 0\""), 0);
    ASSERT_TRUE(second.start(home.path()));
    EXPECT_EQ(second.send("DEBUGGER \"E 1 0\""), 0);
    for (const char* item : {"MENU SETTINGS.EMULATOR.REPLACELOG", "MENU SETTINGS.EMULATOR.APPENDLOG"})
        EXPECT_EQ(second.send(item), 0) << item;
    EXPECT_EQ(second.quit(), 0);
    EXPECT_EQ(first.send("DEBUGGER \"E 1 1\""), 0);
    EXPECT_EQ(first.quit(), 0);

    const std::string said = test_read_file(home.path() / "LOGB.log");
    EXPECT_NE(said.find("leaves the log (RAM:Brindlemox.log) to the other one"), std::string::npos)
        << said;
    EXPECT_EQ(count_of(said, "No log is written while another Brindlemox is using \"" +
                                 home.path().string() + "\"."),
              2)
        << said;
    const std::string log = test_read_file(home.path() / "Brindlemox.log");
    EXPECT_EQ(log.rfind("Opened RAM:Brindlemox.log for writing at ", 0), 0u) << log;
    EXPECT_EQ(count_of(log, "Opened RAM:Brindlemox.log"), 1) << log;
    EXPECT_EQ(count_of(log, "Closed RAM:Brindlemox.log"), 1) << log;
    EXPECT_EQ(count_of(log, "Changed contents of $1 from"), 2) << log;
    EXPECT_EQ(log.find('\0'), std::string::npos) << "written over from another offset";
}

TEST_F(HomeLockProgram, ARunWhoseLockFileAnotherRunReplacedWritesNothing) {
    ProgramRun run{"LOCKA"};
    ASSERT_TRUE(run.start(home.path()));
    // Another run's lock file in its place (the run may make its own again
    // between the removal and the lock: then try once more).
    int other = -1;
    wait_until(
        [&] {
            fs::remove(lock);
            other = open(lock.c_str(), O_RDWR | O_CREAT, 0644);
            if (other >= 0 && flock(other, LOCK_EX | LOCK_NB) != 0) {
                close(other);
                other = -1;
            }
            return other >= 0;
        },
        TEST_HANG_SECONDS, 0);
    ASSERT_GE(other, 0);
    EXPECT_EQ(run.quit(), 0);
    EXPECT_EQ(run.answer, 5) << run.said;
    close(other);
    const std::string said = test_read_file(home.path() / "LOCKA.log");
    EXPECT_NE(said.find("Brindlemox lost its lock on \"" + home.path().string() + "\""),
              std::string::npos)
        << said;
    EXPECT_FALSE(fs::exists(ini));
    EXPECT_FALSE(fs::exists(home.path() / "Configs" / "Brindlemox.hgh"));
}

} // namespace
