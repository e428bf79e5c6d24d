// Files the user write-protected (no write permission: taken as such even by
// the superuser) and things that are no file, at the names the real program
// saves to: every save of the port refuses with rc 10 and leaves them as they
// were; the settings and high scores written at exit pass over them, and an
// exit autosave that cannot be written is named.
#include "tests/support/port_client.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr fs::perms READ_ONLY = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

class WriteProtected : public ProgramTest {
  protected:
    // The file as the user left it: its bytes and which file it is.
    struct Kept {
        std::string bytes;
        ino_t inode = 0;
    };
    static Kept protect(const fs::path& file, const std::string& bytes) {
        test_write_file(file, bytes);
        fs::permissions(file, READ_ONLY);
        struct stat st {};
        stat(file.c_str(), &st);
        return {bytes, st.st_ino};
    }
    static void expect_kept(const fs::path& file, const Kept& kept) {
        struct stat st {};
        ASSERT_EQ(stat(file.c_str(), &st), 0) << file;
        EXPECT_EQ(st.st_ino, kept.inode) << file << " was replaced";
        EXPECT_EQ(test_read_file(file), kept.bytes) << file;
        EXPECT_EQ(fs::status(file).permissions(), READ_ONLY) << file;
    }
};

} // namespace

TEST_F(WriteProtected, EverySaveOfThePortRefusesAndKeepsTheFile) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const fs::path projects = home.path() / "Projects";
    fs::create_directories(projects);
    std::string result;
    // Each save over the user's write-protected file, over one that a link
    // leads to, and over a FIFO.
    const auto walk = [&](const std::string& line, const fs::path& file) {
        SCOPED_TRACE(line);
        const Kept kept = protect(file, "the user's own " + file.filename().string() + "\n");
        EXPECT_EQ(send(line, &result), 10) << result;
        expect_kept(file, kept);
        // Through a link the file it leads to is kept, and so is the link.
        const fs::path elsewhere = home.path() / "elsewhere";
        fs::rename(file, elsewhere);
        fs::create_symlink(elsewhere, file);
        EXPECT_EQ(send(line, &result), 10) << result;
        EXPECT_TRUE(fs::is_symlink(file));
        expect_kept(elsewhere, kept);
        fs::remove(file);
        fs::remove(elsewhere);
        // A FIFO is not replaced by a file, and nothing waits on it.
        ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
        EXPECT_EQ(send(line, &result), 10) << result;
        EXPECT_TRUE(fs::is_fifo(file));
        fs::remove(file);
    };
    walk("SAVEAS " + (home.path() / "s.cos").string(), home.path() / "s.cos");
    walk("SAVEPNG " + (home.path() / "p.png").string(), home.path() / "p.png");
    walk("HELP " + (home.path() / "help.txt").string(), home.path() / "help.txt");
    walk("DEBUGGER \"SAVEBIN 0 10 b\"", projects / "b.bin");
    walk("DEBUGGER \"SAVEHEX 0 10 h\"", projects / "h.hex");
    walk("DEBUGGER \"SAVESYM y\"", projects / "y.sym");
    walk("DEBUGGER \"DISGAME 0 10 d\"", projects / "d.asm");
    walk("DEBUGGER \"IM 0 10 i\"", projects / "i.asm");
    // The assembler's object file: the run fails, and says which file.
    test_write_file(projects / "w.asm", "        ORG $0\n        HALT\n        END\n");
    walk("DEBUGGER \"ASM w\"", projects / "w.bin");
    EXPECT_EQ(result.find("OK."), std::string::npos) << result;
    EXPECT_NE(result.find("Can't write w.bin: Not a regular file!"), std::string::npos) << result;
    send("SETMACHINE MIKIT", &result); // a machine that opens object records
    walk("DEBUGGER \"SAVEAOF 0 10 a\"", projects / "a.aof");
    send("SETMACHINE ELEKTOR", &result); // without its monitor image: it runs all the same
    walk("DEBUGGER \"SAVEEOF 800 8FF e\"", projects / "e.eof");

    // The state's refusal says why.
    protect(home.path() / "s.cos", "mine");
    EXPECT_EQ(send("SAVEAS " + (home.path() / "s.cos").string(), &result), 10);
    EXPECT_EQ(result, "SAVEAS: can't save the state (can't write " +
                          (home.path() / "s.cos").string() + ": Read-only file)\n");

    // The log is not emptied: it is refused as a log that cannot be opened,
    // and the item that chose it has failed.
    const Kept log_kept = protect(home.path() / "Brindlemox.log", "an old log\n");
    EXPECT_EQ(send("MENU SETTINGS.EMULATOR.REPLACELOG", &result), 10) << result;
    EXPECT_TRUE(printed("Can't open RAM:Brindlemox.log for writing!")) << log();
    expect_kept(home.path() / "Brindlemox.log", log_kept);
    send("QUIT", &result);
    EXPECT_EQ(wait_exit(), 0);
}

// The settings and the high scores, write-protected, are what the next start
// reads: the exit passes over them without a word.
TEST_F(WriteProtected, TheExitPassesOverWriteProtectedSettingsAndHighScores) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("QUIT", &result);
    ASSERT_EQ(wait_exit(), 0);
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini",
                   hgh = home.path() / "Configs" / "Brindlemox.hgh";
    const Kept settings = protect(ini, test_read_file(ini) + "# kept as I wrote it\n");
    const Kept scores = protect(hgh, test_read_file(hgh));
    ::close(fd);
    fd = -1;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    send("SETMACHINE PIPBUG", &result); // a setting that changed
    send("QUIT", &result);
    EXPECT_EQ(wait_exit(), 0);
    expect_kept(ini, settings);
    expect_kept(hgh, scores);
    EXPECT_EQ(log().find("not saved"), std::string::npos) << log();
}

// A quick save that wrote nothing answers 10 with the file and the reason:
// at a folder, or at a write-protected quick save (kept as it was).
TEST_F(WriteProtected, AQuickSaveThatWroteNothingAnswersTen) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const fs::path games = home.path() / "Games", quick = games / "QUICKSAV.COS";
    fs::create_directories(quick);
    std::string result;
    EXPECT_EQ(send("MENU PROJECT.QUICKSAVE", &result), 10);
    EXPECT_EQ(result, "MENU: the state was not saved (can't write " + quick.string() +
                          ": Is a directory)\n");
    fs::remove(quick);
    const Kept kept = protect(quick, "an older quick save");
    EXPECT_EQ(send("MENU PROJECT.QUICKSAVE", &result), 10);
    EXPECT_NE(result.find(quick.string() + ": Read-only file"), std::string::npos) << result;
    expect_kept(quick, kept);
}

// As an ordinary user whose games drawer the program cannot write, the exit
// autosave is not written: QUIT answers 5 naming it and the older autosave
// the next start would resume, and a break says the same on the console.
TEST_F(WriteProtected, AnExitAutosaveThatCannotBeWrittenIsNamed) {
    if (geteuid() != 0 || !fs::exists("/usr/bin/setpriv") || !fs::exists("/usr/bin/python3"))
        GTEST_SKIP() << "only the superuser can run the program as an ordinary user";
    prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
    ASSERT_EQ(std::system(("chown -R nobody:nogroup '" + home.path().string() + "'").c_str()), 0);
    fs::permissions(home.path(), fs::perms::owner_all); // a runtime folder of its own
    // The port answers its own user only: QUIT comes from a client run as that
    // user, to the socket in the runtime folder that is that user's.
    const fs::path socket = home.path() / "brindlemox" / "E2E";
    const auto quit = [&](std::string* result) {
        return test_port_send_as_nobody(socket.string(), "QUIT", result);
    };
    const auto port_file = [&] { return fs::exists(socket); };
    const auto session = [&] {
        EXPECT_TRUE(start({"PORTNAME", "E2E"}));
        EXPECT_TRUE(wait_until(port_file)) << log();
    };
    std::string result;
    session();
    EXPECT_EQ(quit(&result), 0) << result;
    ASSERT_EQ(wait_exit(), 0);
    const fs::path games = home.path() / "Games", older = games / "AUTOSAVE.COS";
    const std::string kept = test_read_file(older);
    ASSERT_FALSE(kept.empty()) << log();
    // The drawer is the superuser's now.
    ASSERT_EQ(chown(games.c_str(), 0, 0), 0);
    const std::string named = "Autosave not written (can't create a file beside " + older.string() +
                              ": Permission denied): the next start resumes the older \"" +
                              older.string() + "\".\n";
    session();
    EXPECT_EQ(quit(&result), 5) << result;
    EXPECT_NE(result.find(named), std::string::npos) << result;
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_EQ(test_read_file(older), kept);

    session();
    kill(pid, SIGTERM);
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_NE(log().find(named), std::string::npos) << log();
    EXPECT_EQ(test_read_file(older), kept);
}
