// Debugger commands of the running program that cannot do what was typed,
// driven through its port: a port number past 255, a drive that is not the
// one to list, a breakpoint, watchpoint or label that is not set, and a raster
// line the frame does not have (or a word that is no decimal number), a
// symbol file's address past the top and a range that ends before it starts
// are refused with rc 10 and change nothing; "R R" wraps at the frame's own
// last line.
#include "tests/support/blank_disks.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

class CommandRefusalsProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
    }
    int ask(const std::string& line, std::string* result) {
        result->clear();
        return send(line, result);
    }
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(ask(line, &result), 0) << line << ": " << result;
        return result;
    }
    // Each debugger line answers rc 10 with exactly its reason.
    void expect_refused(std::initializer_list<std::pair<const char*, const char*>> cases) {
        for (const auto& [line, reason] : cases) {
            std::string result;
            EXPECT_EQ(ask(std::string("DEBUGGER ") + line, &result), 10) << line;
            EXPECT_EQ(result, reason) << line;
        }
    }
    // The raster line the guest stopped at, once the program has said it
    // reached the line of the latest R (it pauses as it says so); -1 when it
    // has not said so by the hang deadline.
    int stopped_line() {
        if (!printed("Reached raster line ", ++reached)) return -1;
        const std::string now = fine("DEBUGGER DR");
        const std::size_t y = now.find("Y:");
        return y == std::string::npos ? -1 : std::stoi(now.substr(y + 2));
    }
    int reached = 0; // the stops at a raster line so far
    void switch_machine(const char* name) {
        std::string result;
        ask(std::string("SETMACHINE ") + name, &result);
        ASSERT_EQ(fine("GETMACHINE"), name);
    }
};

} // namespace

// A port number that is no port of 0..255 (FFFFFFFF, -1) reaches no port:
// the trap on port $FF does not fire.
TEST_F(CommandRefusalsProgram, PortsPast255AreRefused) {
    fine("DEBUGGER IP FF");
    const char* read_usage = "Read from I/O port\nUsage: READPORT <port>|CTRL|DATA\n\n";
    const char* write_usage = "Write to I/O port\nUsage: WRITEPORT <port>|CTRL|DATA <value>\n\n";
    expect_refused({{"READPORT FFFFFFFF", read_usage},
                    {"READPORT -1", read_usage},
                    {"READPORT 100", read_usage},
                    {"WRITEPORT FFFFFFFF 5", write_usage},
                    {"WRITEPORT -1 5", write_usage}});
    EXPECT_EQ(fine("DEBUGGER READPORT FF").rfind("Handled read of ", 0), 0u);
}

// Clearing what is not set is refused with the command's own text.
TEST_F(CommandRefusalsProgram, ClearingWhatIsNotSetIsRefused) {
    expect_refused({{"BC 5", "Breakpoint not found at $5!\n\n"},
                    {"BC", "No breakpoints to clear!\n\n"},
                    {"WC 5", "Watchpoint not found at $5!\n\n"},
                    {"WC", "No watchpoints to clear!\n\n"},
                    {"IC 5", "I/O port watchpoint not found on I/O extended port $05.\n\n"},
                    {"IC", "No watchpoints to clear!\n\n"},
                    {"BC 5 10", "No breakpoints to clear in $5..$10!\n\n"},
                    {"WC 5 10", "No watchpoints to clear in $5..$10!\n\n"},
                    {"IC 5 10", "No I/O port watchpoints to clear in $5..$10!\n\n"},
                    {"CLEARSYM NOPE", "Label not found.\n\n"},
                    {"CLEARSYM", "No user-defined labels to clear!\n\n"}});
    // What is set is cleared as before.
    fine("DEBUGGER BP 5");
    EXPECT_EQ(fine("DEBUGGER BC 5"), "Cleared code breakpoint at $5.\n\n");
    fine("DEBUGGER BP 7");
    EXPECT_EQ(fine("DEBUGGER BC 5 10"), "OK.\n\n");
}

// DIR lists the drive it names, or refuses; never another drive's files.
TEST_F(CommandRefusalsProgram, DirListsTheDriveNamed) {
    switch_machine("BINBUG");
    test_write_file(home.path() / "first.raw", test_blank_binbug_disk());
    test_write_file(home.path() / "second.raw", test_blank_binbug_disk());
    test_write_file(home.path() / "Projects" / "HELLO.TXT", "hello");
    fine("OPEN " + (home.path() / "first.raw").string());
    fine("DEBUGGER INJECT HELLO.TXT");
    const std::string first = fine("DEBUGGER DIR");
    ASSERT_NE(first.find("HELLO"), std::string::npos) << first;
    expect_refused({{"DIR 1", "No disk is inserted!\n\n"},
                    {"DIR 7", "Invalid drive number!\n\n"},
                    {"DIR X", "Invalid drive number!\n\n"},
                    {"DIR 0 1", "Usage: DIR|LD|LDIR [<drive>]\n\n"},
                    {"FC 11", "Watchpoint not found at $11!\n\n"},
                    {"FC", "No watchpoints to clear!\n\n"},
                    {"FC 5 10", "No watchpoints to clear in $5..$10!\n\n"}});
    EXPECT_EQ(fine("DEBUGGER DIR 0"), first);
    fine("OPEN " + (home.path() / "second.raw").string());
    const std::string second = fine("DEBUGGER DIR 1");
    EXPECT_EQ(second.find("HELLO"), std::string::npos) << second;
    EXPECT_NE(second.find("bytes free"), std::string::npos) << second;
    EXPECT_EQ(fine("DEBUGGER DIR"), first) << "the debugger drive is still drive 0";
}

// A 60 Hz frame ends at line 261: R R there stops at line 0 of the next
// frame, and a line past it is refused.
TEST_F(CommandRefusalsProgram, RunToLineFollowsTheFrame) {
    fine("MENU SETTINGS.SPEED.NTSC");
    fine("DEBUGGER R 261");
    ASSERT_EQ(stopped_line(), 261);
    fine("DEBUGGER R R");
    EXPECT_EQ(stopped_line(), 0);
    const std::string before = fine("DEBUGGER DR");
    expect_refused({{"R 300", "Raster line 300 is not in the frame (lines 0..261)!\n\n"},
                    {"R 262", "Raster line 262 is not in the frame (lines 0..261)!\n\n"},
                    {"R -1", "Raster line -1 is not in the frame (lines 0..261)!\n\n"}});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(fine("DEBUGGER DR"), before) << "a refused R leaves the guest paused";
}

// The BINBUG's pixel-based frame has a line 312 (a half line) before line 0.
TEST_F(CommandRefusalsProgram, RunToNextLineReachesTheBinbugsHalfLine) {
    switch_machine("BINBUG");
    fine("MENU SETTINGS.EMULATOR.PIXELBASED");
    fine("DEBUGGER R 311");
    ASSERT_EQ(stopped_line(), 311);
    fine("DEBUGGER R R");
    EXPECT_EQ(stopped_line(), 312);
    fine("DEBUGGER R R");
    EXPECT_EQ(stopped_line(), 0);
    expect_refused({{"R 313", "Raster line 313 is not in the frame (lines 0..312)!\n\n"}});
}

// R reads its line whole, as a decimal number: a word that is none is
// refused and the guest stays paused where it was, which the help says.
TEST_F(CommandRefusalsProgram, RunToLineReadsTheWholeWord) {
    fine("MENU SETTINGS.SPEED.NTSC");
    fine("PAUSE");
    const std::string before = fine("DEBUGGER DR");
    expect_refused(
        {{"R 1E", "Raster line 1E is no decimal number (lines 0..261)!\n\n"},
         {"R 7X", "Raster line 7X is no decimal number (lines 0..261)!\n\n"},
         {"R $20", "Raster line $20 is no decimal number (lines 0..261)!\n\n"},
         {"R FFFFFFFF", "Raster line FFFFFFFF is no decimal number (lines 0..261)!\n\n"},
         {"R -", "Raster line - is no decimal number (lines 0..261)!\n\n"},
         {"R 4294967303", "Raster line 4294967303 is not in the frame (lines 0..261)!\n\n"}});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(fine("DEBUGGER DR"), before) << "a refused R leaves the guest paused";
    fine("DEBUGGER R 30");
    EXPECT_EQ(stopped_line(), 30);
    EXPECT_NE(fine("DEBUGGER H R")
                  .find("R <number>                      run to a raster line "
                        "(a decimal number)\n"),
              std::string::npos);
}

// A symbol file's address past $7FFF is refused with the range, as DEFSYM
// refuses it, a value that cannot be read and a line that is no label line
// are said, each with its line; the file's other lines load. A file that
// cannot be read is named with the reason.
TEST_F(CommandRefusalsProgram, SymbolFileAddressesPastTheTopAreRefused) {
    test_write_file(home.path() / "Projects" / "big.sym",
                    "symbol 99999 DEC\nword 0xFFFF BIGW\nbyte 0100000 OCT\ncode 0x7FFF TOPC\n"
                    "symbol 32767 TOPD\nrubbish here\n");
    const std::string range = "Valid range is $0..$7FFF!\n\n";
    EXPECT_EQ(fine("DEBUGGER LOADSYM big.sym"),
              "Label DEC is out of range on line 1 of big.sym!\n" + range +
                  "Label BIGW is out of range on line 2 of big.sym!\n" + range +
                  "Label OCT on line 3 of big.sym has a value that can't be read: \"0100000\" "
                  "(0x and four hex digits, 0 and five octal digits, or five decimal digits)!\n\n" +
                  "Adding user-defined code label TOPC as $7FFF.\n"
                  "Adding user-defined unknown label TOPD as $7FFF.\n"
                  "Line 6 of big.sym is skipped: \"rubbish\" is no keyword of a label line!\nOK.\n\n");
    expect_refused(
        {{"LOADSYM nosuch", ("Failed! Can't read " + (home.path() / "Projects" / "nosuch.sym").string() +
                             ": No such file or directory!\n\n").c_str()}});
    expect_refused(
        {{"CLEARSYM DEC", "Label not found.\n\n"},
         {"CLEARSYM BIGW", "Label not found.\n\n"},
         {"CLEARSYM OCT", "Label not found.\n\n"},
         {"DEFSYM DEC 99999", "Label DEC is out of range!\nValid range is $0..$7FFF!\n\n"}});
    EXPECT_EQ(fine("DEBUGGER CLEARSYM TOPC"), "Clearing user-defined label TOPC (was $7FFF).\n");
}

// The Elektor's cassette file of a range that ends before it starts says so,
// as the other range commands do, and writes nothing.
TEST_F(CommandRefusalsProgram, AnObjectFileRangeEndingBeforeItsStartIsSaidToBeOne) {
    switch_machine("ELEKTOR");
    expect_refused({{"SAVEEOF 910 900 x.eof", "End address lies before start address!\n\n"}});
    EXPECT_FALSE(std::filesystem::exists(home.path() / "Projects" / "x.eof"));
    EXPECT_EQ(fine("DEBUGGER SAVEEOF 900 910 x.eof"), "OK.\n\n");
    EXPECT_TRUE(std::filesystem::exists(home.path() / "Projects" / "x.eof"));
}

// A file a command names after the game, or with its own suffix in place of
// the one typed, is not written over another file there: DISGAME, SAVEAOF and
// SAVEBIN keep the user's files (rc 10, naming them). A name given whole is
// written, and a command replaces its own earlier output at a name it made.
TEST_F(CommandRefusalsProgram, AFileNamedAfterTheGameKeepsTheUsersFileThere) {
    const std::filesystem::path projects = home.path() / "Projects";
    const std::string image("\x04\x12\xCC\x18\x00\x1B\x7E\x00\x00", 9);
    test_write_file(projects / "tiny.bin", image);
    test_write_file(projects / "tiny.asm", "my source\n");
    test_write_file(projects / "tiny.aof", "my object\n"); // SAVEAOF's suffix in place of ".bin"
    // The Instructor 50 runs both BIN images and object records.
    request("SETMACHINE INSTRUCTOR");
    fine("OPEN " + (projects / "tiny.bin").string());
    std::string result;
    for (const char* line : {"DISGAME 0 8 tiny.bin", "DISGAME", "SAVEAOF 0 8", "SAVEBIN 0 8 tiny.asm"}) {
        EXPECT_EQ(ask(std::string("DEBUGGER \"") + line + "\"", &result), 10) << line << ": " << log();
        EXPECT_NE(result.find("Kept " + projects.string() + "/tiny."), std::string::npos)
            << line << ": " << result;
    }
    EXPECT_EQ(test_read_file(projects / "tiny.asm"), "my source\n");
    EXPECT_EQ(test_read_file(projects / "tiny.aof"), "my object\n");
    EXPECT_EQ(test_read_file(projects / "tiny.bin"), image);

    fine("DEBUGGER \"DISGAME 0 8 tiny.asm\"");
    EXPECT_NE(test_read_file(projects / "tiny.asm"), "my source\n");
    fine("DEBUGGER \"DISGAME 0 8 tiny.bin\""); // now its own output
    std::filesystem::remove(projects / "tiny.aof");
    for (int pass = 0; pass < 2; pass++)
        fine("DEBUGGER \"SAVEAOF 0 8\"");
}

// IM's listing takes ".asm" in place of the suffix typed: it keeps a source of
// the user's at that name (rc 10, naming it) and replaces only its own
// earlier listing; a name given with ".asm" is written as asked.
TEST_F(CommandRefusalsProgram, AnImageryListingKeepsTheUsersSourceAtItsName) {
    const std::filesystem::path projects = home.path() / "Projects";
    test_write_file(projects / "notes.asm", "my source\n");
    std::string result;
    EXPECT_EQ(ask("DEBUGGER \"IM 0 1 notes.txt\"", &result), 10) << result;
    EXPECT_NE(result.find("Kept " + (projects / "notes.asm").string()), std::string::npos) << result;
    EXPECT_EQ(test_read_file(projects / "notes.asm"), "my source\n");

    for (int pass = 0; pass < 2; pass++) {
        fine("DEBUGGER \"IM 0 1 pics.txt\"");
        EXPECT_EQ(test_read_file(projects / "pics.asm").rfind("        db      $", 0), 0u);
    }
    fine("DEBUGGER \"IM 0 1 notes.asm\"");
    EXPECT_NE(test_read_file(projects / "notes.asm"), "my source\n");
}

// Every debugger saver, and HELP with a file, that cannot write its file says
// which file and why (rc 10): a name under a file that is no folder, a folder
// at the name, a write-protected file, which stays as it was.
TEST_F(CommandRefusalsProgram, ASaveThatCannotWriteItsFileSaysWhichAndWhy) {
    namespace fs = std::filesystem;
    const fs::path here = home.path() / "targets";
    fs::create_directories(here / "folder.hex");
    test_write_file(here / "plain", "a file, no folder\n");
    test_write_file(here / "kept.bin", "the user's\n");
    fs::permissions(here / "kept.bin", fs::perms::owner_read | fs::perms::group_read);
    const std::string under = (here / "plain").string() + "/x";
    struct Save {
        const char* machine;
        std::string line, file, reason;
    };
    const std::string no_folder = "Not a directory";
    const Save saves[] = {
        {"ARCADIA", "SAVEBIN 0 8 " + under + ".bin", under + ".bin", no_folder},
        {"ARCADIA", "SAVEHEX 0 8 " + under + ".hex", under + ".hex", no_folder},
        {"ARCADIA", "SAVEBPNF 0 8 " + under + ".bpnf", under + ".bpnf", no_folder},
        {"ARCADIA", "SAVESMS 8 " + under + ".sms", under + ".sms", no_folder},
        {"ARCADIA", "SAVESYM " + under + ".sym", under + ".sym", no_folder},
        {"ARCADIA", "IM 0 8 " + under + ".asm", under + ".asm", no_folder},
        {"ARCADIA", "DISGAME 0 8 " + under + ".asm", under + ".asm", no_folder},
        {"ARCADIA", "SAVEHEX 0 8 " + (here / "folder.hex").string(), (here / "folder.hex").string(),
         "Is a directory"},
        {"ARCADIA", "SAVEBIN 0 8 " + (here / "kept.bin").string(), (here / "kept.bin").string(),
         "Read-only file"},
        {"ELEKTOR", "SAVEEOF 900 908 " + under + ".eof", under + ".eof", no_folder},
        {"ELEKTOR", "SAVETVC 900 908 " + under + ".tvc", under + ".tvc", no_folder},
        {"PIPBUG", "SAVEAOF 400 408 " + under + ".aof", under + ".aof", no_folder},
        {"BINBUG", "SAVECMD 800 808 " + under + ".cmd", under + ".cmd", no_folder},
        {"CD2650", "SAVEIMAG 1500 1508 " + under + ".imag", under + ".imag", no_folder},
        {"TWIN", "SAVEMOD 800 808 " + under + ".mod", under + ".mod", no_folder},
    };
    std::string result;
    for (const Save& s : saves) {
        SCOPED_TRACE(s.line);
        if (fine("GETMACHINE") != s.machine) switch_machine(s.machine);
        EXPECT_EQ(ask("DEBUGGER \"" + s.line + "\"", &result), 10);
        EXPECT_NE(result.find(s.file + ": " + s.reason + "!"), std::string::npos) << result;
    }
    EXPECT_EQ(test_read_file(here / "kept.bin"), "the user's\n");
    EXPECT_EQ(ask("HELP " + under + ".txt", &result), 10);
    EXPECT_EQ(result, "HELP: can't open specified output file (can't create a file beside " +
                          under + ".txt: " + no_folder + ")\n");
}

// A text file read line by line (a symbol file, a HEX file's records) ends
// its lines in LF, CR LF or a lone CR alike, after a byte-order mark or not:
// LOADSYM and Open load every label of a symbol file, Open every record of a
// HEX file.
TEST_F(CommandRefusalsProgram, ATextFileLoadsWholeWhateverItsLineEnds) {
    const struct {
        const char *name, *end, *head;
    } files[] = {
        {"lf", "\n", ""}, {"crlf", "\r\n", ""}, {"cr", "\r", ""}, {"bom", "\r", "\xEF\xBB\xBF"}};
    const std::filesystem::path projects = home.path() / "Projects";
    for (const auto& f : files)
        for (const std::string load : {"DEBUGGER LOADSYM ", "OPEN "}) {
            SCOPED_TRACE(load + f.name);
            const std::filesystem::path file = projects / (std::string(f.name) + ".sym");
            test_write_file(file, std::string(f.head) + "code 0x0100 ONE" + f.end +
                                      "code 0x0200 TWO" + f.end + "data 0x0300 THREE" + f.end);
            fine(load + file.string());
            for (const char* label : {"ONE", "TWO", "THREE"})
                EXPECT_EQ(fine(std::string("DEBUGGER CLEARSYM ") + label).rfind("Clearing", 0), 0u)
                    << label;
        }
    switch_machine("PIPBUG");
    for (const auto& f : files) {
        SCOPED_TRACE(std::string(f.name) + ".hex");
        const std::filesystem::path file = projects / (std::string(f.name) + ".hex");
        test_write_file(file, std::string(f.head) + ":020500001234B3" + f.end + ":0105020056A2" +
                                  f.end + ":00000001FF" + f.end);
        fine("DEBUGGER \"FILL $500 $502 0\"");
        fine("OPEN " + file.string());
        EXPECT_EQ(fine("PEEK 1281"), "52");
        EXPECT_EQ(fine("PEEK 1282"), "86");
    }
}
