// EXTRACT in the running program, driven through its port: the host file
// takes the disk's name in the projects drawer, so a file the user has there
// stays (rc 10 naming it) while EXTRACT's own earlier output is replaced; and
// a text file goes onto a BINBUG disk and comes back byte for byte.
#include "tests/support/blank_disks.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class ExtractProgram : public ProgramTest {
  protected:
    int ask(const std::string& line, std::string* result) {
        result->clear();
        return send(line, result);
    }
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    fs::path projects() const { return home.path() / "Projects"; }
    // QUIT drops the changed disk, naming it.
    void quit() {
        std::string result;
        EXPECT_EQ(ask("QUIT", &result), 5) << result;
        EXPECT_EQ(wait_exit(), 0);
    }
    // The machine with the blank `image` (written as `file`) in the
    // debugger's drive.
    void start_with_disk(const char* machine, const char* file, const std::string& image) {
        if (fd >= 0) ::close(fd);
        fd = -1;
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        std::string result;
        ask(std::string("SETMACHINE ") + machine, &result);
        ASSERT_EQ(fine("GETMACHINE"), machine);
        test_write_file(home.path() / file, image);
        fine("OPEN " + (home.path() / file).string());
        // The image went into the first empty drive: that is the debugger's.
        for (int d = 0; d < 2; d++) {
            fine("DEBUGGER DRIVE " + std::to_string(d));
            if (ask("DEBUGGER DIR", &result) == 0) break;
        }
    }
    // `name` put on the disk from the projects drawer, then the user's own
    // file of that name edited there: EXTRACT, named or not, keeps it and
    // names it; once it is gone, EXTRACT writes the disk's copy and replaces
    // that copy again.
    void expect_user_file_kept(const std::string& name) {
        const fs::path host = projects() / name;
        test_write_file(host, "the disk's copy\n");
        EXPECT_NE(fine("DEBUGGER \"INJECT " + name + "\"").find("OK."), std::string::npos);
        test_write_file(host, "the user's edit\n");
        for (const std::string& line : {"DEBUGGER \"EXTRACT " + name + "\"", std::string("DEBUGGER EXTRACT")}) {
            std::string result;
            EXPECT_EQ(ask(line, &result), 10) << line << ": " << result;
            EXPECT_NE(result.find("Kept " + fs::canonical(host).string() + ": EXTRACT writes"),
                      std::string::npos)
                << line << ": " << result;
            EXPECT_EQ(result.find("OK."), std::string::npos) << result;
            EXPECT_EQ(test_read_file(host), "the user's edit\n") << line;
        }
        fs::remove(host);
        EXPECT_EQ(fine("DEBUGGER \"EXTRACT " + name + "\""), "OK.\n\n");
        EXPECT_EQ(test_read_file(host).substr(0, 16), "the disk's copy\n");
        EXPECT_EQ(fine("DEBUGGER \"EXTRACT " + name + "\""), "OK.\n\n") << "its own output";
        EXPECT_EQ(fine("DEBUGGER EXTRACT"), "OK.\n\n");
    }
};

} // namespace

TEST_F(ExtractProgram, TheUsersFileAtTheDisksNameIsKeptOnEveryDiskSystem) {
    start_with_disk("TWIN", "blank.img", std::string(315392, '\0'));
    expect_user_file_kept("NOTES");
    EXPECT_EQ(test_read_file(projects() / "NOTES"), "the disk's copy\n") << "byte for byte";
    quit();
    start_with_disk("BINBUG", "blank.raw", test_blank_binbug_disk());
    expect_user_file_kept("NOTES.BIN");
    quit();
    start_with_disk("CD2650", "blank.raw", std::string(80640, '\0'));
    expect_user_file_kept("NOTES.BIN");
    quit();
}

TEST_F(ExtractProgram, ABinbugTextFileComesBackByteForByte) {
    start_with_disk("BINBUG", "blank.raw", test_blank_binbug_disk());
    // Nine bytes, then a text that ends exactly where a block of the disk
    // ends once its start and end marks are on.
    const std::string note = "Hi there\n";
    const std::string full(252, 'x');
    test_write_file(projects() / "NOTE.TXT", note);
    test_write_file(projects() / "FULL.SRC", full);
    fine("DEBUGGER \"INJECT NOTE.TXT\"");
    fine("DEBUGGER \"INJECT FULL.SRC\"");
    fs::remove(projects() / "NOTE.TXT");
    fs::remove(projects() / "FULL.SRC");
    EXPECT_EQ(fine("DEBUGGER EXTRACT"), "OK.\n\n");
    EXPECT_EQ(test_read_file(projects() / "NOTE.TXT"), note);
    EXPECT_EQ(test_read_file(projects() / "FULL.SRC"), full);
    // On the disk as the DOS keeps a text: STX, the text, ETX.
    const std::string dir = fine("DEBUGGER DIR");
    const std::size_t at = dir.find("NOTE      .TXT $");
    ASSERT_NE(at, std::string::npos) << dir;
    const std::size_t dots = dir.find("..", at);
    std::string start = dir.substr(at + 16, dots - at - 16);
    start.erase(0, start.find_first_not_of(' '));
    const std::string bytes = fine("DEBUGGER FPEEK " + start);
    EXPECT_NE(bytes.find("02 48 69 20 74 68 65 72  65 0A 03 00"), std::string::npos) << bytes;
    // A byte that would end the text early is refused with its reason.
    test_write_file(projects() / "ETX.TXT", "one\x03two");
    std::string result;
    EXPECT_EQ(ask("DEBUGGER \"INJECT ETX.TXT\"", &result), 10);
    EXPECT_EQ(result, "File \"ETX.TXT\" holds the byte $03, which ends a text file on this disk: "
                      "give it another extension than SRC or TXT!\n\n");
    quit();
}
