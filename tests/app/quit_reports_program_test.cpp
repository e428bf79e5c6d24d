// The ways out of the real program (offscreen) with its Configs drawer on a
// full disk: each names the settings and high scores it could not write
// where it names the rest, the port's QUIT and the debugger's SYS sent
// through the port in their reply (5), a signal on the console; each file is
// tried once, and a run that writes no settings names none.
#include "platform/rexx_port.h"
#include "tests/support/blank_disks.h"
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"
#include "tests/support/small_disk.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class QuitReports : public ProgramTest {
  protected:
    // Leaves the program by `command` through the port (its reply 5), or by
    // SIGTERM (none): the reply, or what the program printed.
    std::string leave(const char* command) {
        std::string result;
        if (command) {
            EXPECT_EQ(send(command, &result), 5) << result;
        } else {
            kill(pid, SIGTERM);
        }
        EXPECT_EQ(wait_exit(), 0);
        close(fd);
        fd = -1;
        return command ? result : log();
    }
    // A BINBUG session whose disk in drive 0 (`disk`) holds a note written
    // since it went in.
    void start_with_changed_disk(const fs::path& disk) {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up()) << log();
        EXPECT_LE(ask("SETMACHINE BINBUG"), 5);
        EXPECT_EQ(ask("OPEN " + disk.string()), 0);
        EXPECT_EQ(ask("DEBUGGER \"INJECT note.txt\""), 0);
    }
};

} // namespace

TEST_F(QuitReports, TheWaysOutNameTheSettingsAndHighScoresTheyCouldNotWrite) {
    SmallDisk disk;
    const fs::path configs = home.path() / "Configs";
    if (!disk.mount(configs, "256k")) GTEST_SKIP() << "no small file system here";
    const std::string settings = "Settings not saved: can't write " +
                                 (configs / "Brindlemox.ini").string() +
                                 ": No space left on device!\n";
    const std::string scores = "High scores not saved: can't write " +
                               (configs / "Brindlemox.hgh").string() +
                               ": No space left on device!\n";
    struct Way {
        const char* name;
        std::vector<std::string> args;
        const char* command; // sent through the port; none: SIGTERM
        bool settings_named;
    };
    const Way ways[] = {
        {"QUIT", {}, "QUIT", true},
        {"SYS from the port", {}, "DEBUGGER \"SYS\"", true},
        {"LOCKCONFIG", {"LOCKCONFIG"}, "QUIT", false},
        {"signal", {}, nullptr, true},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        fs::remove(configs / "filler");
        std::vector<std::string> args = way.args;
        args.insert(args.end(), {"PORTNAME", "E2E"});
        ASSERT_TRUE(start(args));
        ASSERT_TRUE(port_up()) << log();
        disk.fill();
        const std::string said = leave(way.command);
        EXPECT_EQ(count_of(said, settings), way.settings_named ? 1 : 0) << said;
        EXPECT_EQ(count_of(said, scores), 1) << said;
        // Each file is tried once: the exit path does not write again what
        // the reply named.
        EXPECT_EQ(count_of(log(), settings), way.settings_named ? 1 : 0) << log();
        EXPECT_EQ(count_of(log(), scores), 1) << log();
    }
}

// Written ahead of QUIT's reply, the settings still hold what the session
// changed, the main window's place among it; a request sent after QUIT in
// the same breath is refused, as it could no longer reach them.
TEST_F(QuitReports, SettingsWrittenBeforeTheReplyHoldTheSession) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up()) << log();
    EXPECT_EQ(ask("SETSPEED 50"), 0);
    EXPECT_EQ(ask("MOVEWINDOW 123 77"), 0);
    const int client = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = rexx_port_socket_path("E2E");
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const timeval patience{20, 0}; // a program that never ends does not hold the test
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    const std::string requests = "QUIT\nSETSPEED 100\n";
    ASSERT_EQ(write(client, requests.data(), requests.size()),
              static_cast<ssize_t>(requests.size()));
    std::string replies;
    char buffer[256];
    for (ssize_t n; (n = read(client, buffer, sizeof buffer)) > 0;)
        replies.append(buffer, static_cast<std::size_t>(n));
    close(client);
    EXPECT_EQ(replies, "0 0\n10 24\nBrindlemox is quitting!\n");
    EXPECT_EQ(wait_exit(), 0);
    const std::string ini = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
    for (const char* line : {"\nspeed=1\n", "\nwinleftx=123\n", "\nwintopy=77\n"})
        EXPECT_EQ(count_of(ini, line), 1) << line << ini;
}

// A way out says the autosave keeps a changed disk only once it is written:
// where it cannot be, QUIT, SYS from the port and a signal each say why and
// name the disk as dropped, never as kept; the disk's file stays as it was.
TEST_F(QuitReports, AWayOutSaysTheAutosaveKeepsADiskOnlyOnceItIsWritten) {
    const fs::path games = home.path() / "Games", autosave = games / "AUTOSAVE.COS";
    const fs::path disk = home.path() / "work.raw";
    const std::string dropped =
        "Changed disks not saved: drive 0 (\"work.raw\"); they are dropped.";
    test_write_file(home.path() / "Projects" / "note.txt", "a note\n");
    SmallDisk small;
    const bool full_disk = small.mount(games, "256k");
    const struct {
        const char* name;
        std::function<void()> make;
    } faults[] = {
        {"a folder in its place", [&] { fs::create_directory(autosave); }},
        {"a write-protected file",
         [&] {
             test_write_file(autosave, "old");
             fs::permissions(autosave, fs::perms::owner_read | fs::perms::group_read |
                                           fs::perms::others_read);
         }},
        {"a full disk", [&] { small.fill(); }},
    };
    for (const auto& fault : faults) {
        if (std::string(fault.name) == "a full disk" && !full_disk) continue; // none here
        for (const char* way : {"QUIT", "DEBUGGER \"SYS\"", static_cast<const char*>(nullptr)}) {
            SCOPED_TRACE(std::string(fault.name) + ", " + (way ? way : "a signal"));
            std::error_code ec;
            fs::permissions(autosave, fs::perms::owner_all, ec);
            fs::remove_all(autosave, ec);
            fs::remove(games / "filler", ec);
            test_write_file(disk, test_blank_binbug_disk());
            ASSERT_NO_FATAL_FAILURE(start_with_changed_disk(disk));
            fault.make();
            const std::string said = leave(way);
            EXPECT_NE(said.find("Autosave not written ("), std::string::npos) << said;
            EXPECT_EQ(count_of(said, dropped), 1) << said;
            EXPECT_EQ(said.find("keeps them"), std::string::npos) << said;
            EXPECT_TRUE(test_read_file(disk) == test_blank_binbug_disk());
        }
    }
}

// An autosave that cannot be written leaves the older one, which the next
// start resumes: a changed disk that older autosave holds is named as kept
// there, as it was when it was written, and comes back; one it does not
// hold is dropped, and where nothing there is a state the reply says the
// next start resumes none.
TEST_F(QuitReports, AnAutosaveNotWrittenSaysWhatTheOlderOneBringsBack) {
    const fs::path autosave = home.path() / "Games" / "AUTOSAVE.COS";
    const fs::path disk = home.path() / "work.raw";
    const std::string named = "Changed disks not saved: drive 0 (\"work.raw\")";
    test_write_file(home.path() / "Projects" / "note.txt", "a note\n");
    const struct {
        const char* name;
        bool older_holds_disk; // the run before wrote the autosave with the disk
        const char* then;      // what the reply says of the disk
        const char* resumes;   // what it says the next start resumes
    } rows[] = {
        {"the older autosave holds the disk", true,
         "; the older autosave \"", "the next start resumes the older \""},
        {"the older autosave is no state", false, "; they are dropped.",
         "the next start resumes no state."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::error_code ec;
        fs::permissions(autosave, fs::perms::owner_all, ec);
        fs::remove(autosave, ec);
        test_write_file(disk, test_blank_binbug_disk());
        ASSERT_NO_FATAL_FAILURE(start_with_changed_disk(disk));
        if (row.older_holds_disk) {
            std::string said;
            EXPECT_EQ(send("QUIT", &said), 5) << said;
            EXPECT_EQ(said, named + "; the autosave keeps them for the next start.\n");
            EXPECT_EQ(wait_exit(), 0);
            close(fd);
            fd = -1;
            ASSERT_TRUE(start({"PORTNAME", "E2E"}));
            ASSERT_TRUE(port_up()) << log();
        } else {
            test_write_file(autosave, "old");
        }
        fs::permissions(autosave, fs::perms::owner_read | fs::perms::group_read |
                                      fs::perms::others_read);
        const std::string said = leave("QUIT");
        EXPECT_NE(said.find(row.resumes), std::string::npos) << said;
        EXPECT_EQ(count_of(said, named + row.then), 1) << said;
        EXPECT_EQ(said.find("they are dropped") == std::string::npos, row.older_holds_disk) << said;
        fs::permissions(autosave, fs::perms::owner_all);
        if (row.older_holds_disk) { // it comes back from the older autosave
            ASSERT_TRUE(start({"PORTNAME", "E2E"}));
            ASSERT_TRUE(port_up()) << log();
            EXPECT_EQ(ask("DEBUGGER \"DRIVE 0\""), 0);
            std::string dir;
            EXPECT_EQ(send("DEBUGGER DIR", &dir), 0);
            EXPECT_NE(dir.find("NOTE"), std::string::npos) << dir;
            leave("QUIT");
        }
        EXPECT_TRUE(test_read_file(disk) == test_blank_binbug_disk());
    }
}
