// The disk and save commands of the running program, driven through its port:
// what the guest disk cannot take, disk offsets and byte values that are no
// number of the image, and save operands read only in part are refused with
// rc 10 and their reason, and change no disk and write no file. EXTRACT
// keeps a file of the user's, or another command's output, at the disk's
// name for it, replacing only its own earlier extract.
#include "tests/support/blank_disks.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class DiskRefusalsProgram : public ProgramTest {
  protected:
    // One request; returns its rc and puts its result in `result`.
    int ask(const std::string& line, std::string* result) {
        result->clear();
        return send(line, result);
    }
    // A request that must succeed: its result.
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // Starts the program on `machine` with the blank image `image` (written to
    // `file`) in the debugger's drive, and files of the projects drawer that no
    // disk takes.
    void start_with_disk(const char* machine, const std::string& file, const std::string& image) {
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
        const fs::path projects = home.path() / "Projects";
        test_write_file(projects / "BIG", std::string(400000, 'b'));
        test_write_file(projects / "a.longext", "x");
        test_write_file(projects / "LONGFILENAME.X", "x");
        fs::remove(projects / "fi");
        ASSERT_EQ(mkfifo((projects / "fi").c_str(), 0600), 0);
        fs::create_directories(projects / "fo");
    }
    // Each line answers rc 10 with exactly its reason, over the port and, with
    // QUIET, as the result; the disk's listing is the same afterwards.
    void expect_refused(std::initializer_list<std::pair<const char*, const char*>> cases) {
        const std::string before = fine("DEBUGGER DIR");
        for (const auto& [line, reason] : cases) {
            std::string result;
            EXPECT_EQ(ask(std::string("DEBUGGER ") + line, &result), 10) << line;
            EXPECT_EQ(result, reason) << line;
            EXPECT_EQ(ask(std::string("DEBUGGER QUIET ") + line, &result), 10) << line;
            EXPECT_EQ(result, reason) << line;
        }
        EXPECT_EQ(fine("DEBUGGER DIR"), before);
    }
    // What no disk system takes: a file that cannot be read (`missing`, a name
    // the system accepts; a FIFO, refused without waiting for a writer; a
    // folder), one larger than the disk, names too long.
    void expect_inject_refused(const std::string& missing, bool extensions) {
        const std::string unreadable = "Can't open file \"" + missing + "\" for input!\n\n";
        const std::string line = "INJECT " + missing;
        expect_refused({{line.c_str(), unreadable.c_str()},
                        {"INJECT /nonexistent", "Can't open file \"/nonexistent\" for input!\n\n"},
                        {"INJECT BIG", "Disk is too full!\n\n"},
                        {"INJECT LONGFILENAME.X", "Filename is too long!\n\n"},
                        {"INJECT fi", "Can't open file \"fi\" for input!\n\n"},
                        {"INJECT fo", "Can't open file \"fo\" for input!\n\n"}});
        if (extensions) expect_refused({{"INJECT a.longext", "Extension is too long!\n\n"}});
    }
    // Disk bytes out of the image's range, byte values that are no byte, and
    // offsets read only in part.
    void expect_disk_bytes_refused(const char* range) {
        const std::string first = fine("DEBUGGER FPEEK 0 $F");
        const std::string values = "Value is out of bounds (limit is 255)!\n\n";
        const std::string wide = "Error: number wider than 32 bits!\n\n";
        const std::string missing = "Error: missing term!\n\n";
        const std::string wide_value = wide;
        expect_refused({{"FPOKE -1 AB", range},
                        {"FPOKE FFFFFFFF AC", range},
                        {"FPOKE 1000000FF AC", wide.c_str()},
                        {"FPOKE 5- AB", missing.c_str()},
                        {"FPOKE 5* AB", missing.c_str()},
                        {"FPOKE 4 5--", missing.c_str()},
                        {"FPOKE 2-3 77", range},
                        {"FPOKE 0 -2", values.c_str()},
                        {"FPOKE 0 1000000FE", wide_value.c_str()},
                        {"FPEEK -10", range},
                        {"FP -1", range},
                        {"FC 0 -1", range}});
        EXPECT_EQ(fine("DEBUGGER FPEEK 0 $F"), first);
        EXPECT_EQ(fine("DEBUGGER FL"), "None.\n\n");
    }
    bool project_file(const char* name) const {
        return fs::exists(home.path() / "Projects" / name);
    }
    // QUIT drops the changed disk, naming it; the next start connects anew.
    // The next start goes on without the autosave, which keeps the changed disk.
    void quit_dropping_disk() {
        std::string result;
        EXPECT_EQ(send("QUIT", &result), 5) << result;
        EXPECT_EQ(wait_exit(), 0);
        close(fd);
        fd = -1;
        fs::remove(home.path() / "Games" / "AUTOSAVE.COS");
    }
    // `name` put on the disk from the projects drawer, then the user's own
    // file of that name edited there: EXTRACT, named or not, keeps it and
    // names it; once it is gone, EXTRACT writes the disk's copy and replaces
    // that copy again.
    void expect_user_file_kept(const std::string& name) {
        const fs::path host = home.path() / "Projects" / name;
        test_write_file(host, "the disk's copy\n");
        fine("DEBUGGER QUIET INJECT " + name);
        test_write_file(host, "the user's edit\n");
        const std::string kept = "Kept " + fs::canonical(host).string() + ": EXTRACT writes";
        for (const std::string& line : {"DEBUGGER EXTRACT " + name, std::string("DEBUGGER EXTRACT")}) {
            std::string result;
            EXPECT_EQ(ask(line, &result), 10) << line;
            EXPECT_EQ(result.rfind(kept, 0), 0u) << line << ": " << result;
            EXPECT_EQ(result.find("OK."), std::string::npos) << result;
            EXPECT_EQ(test_read_file(host), "the user's edit\n") << line;
        }
        fs::remove(host);
        EXPECT_EQ(fine("DEBUGGER EXTRACT " + name), "OK.\n\n");
        EXPECT_EQ(test_read_file(host).substr(0, 16), "the disk's copy\n");
        EXPECT_EQ(fine("DEBUGGER EXTRACT " + name), "OK.\n\n") << "its own earlier extract";
        EXPECT_EQ(fine("DEBUGGER EXTRACT"), "OK.\n\n");
    }
};

} // namespace

TEST_F(DiskRefusalsProgram, BinbugInjectAndDiskBytesAndSaveOperands) {
    start_with_disk("BINBUG", "blank.raw", test_blank_binbug_disk());
    expect_inject_refused("missing.txt", true);
    expect_disk_bytes_refused("Valid range is $0..$18FFF!\n\n");
    std::string result;
    EXPECT_EQ(ask("DEBUGGER SAVECMD t1.cmd 1F q5", &result), 10) << result;
    EXPECT_EQ(result, "Error: invalid label or number (parsed as hexadecimal)!\nError: invalid "
                      "character '.'!\n\n");
    EXPECT_FALSE(project_file("q5.cmd"));
}

// Offsets from $10000 up are offsets like any other, $10014 too.
TEST_F(DiskRefusalsProgram, BinbugDiskBytesPastTheOldFailureValue) {
    start_with_disk("BINBUG", "blank.raw", test_blank_binbug_disk());
    for (const char* line : {"FPOKE 10013 11", "FPOKE 10014 22", "FPOKE 10000+15 33"})
        EXPECT_EQ(fine(std::string("DEBUGGER ") + line), "OK.\n\n") << line;
    EXPECT_EQ(fine("DEBUGGER FPEEK 10010 1001F").substr(0, 33),
              "$10010: E5 E5 E5 11 22 33 E5 E5  ");
    EXPECT_EQ(fine("DEBUGGER FPEEK 10014 10018").substr(0, 14), "$10014: 22 33 ");
}

TEST_F(DiskRefusalsProgram, Cd2650InjectAndDiskBytesAndSaveOperands) {
    start_with_disk("CD2650", "blank.raw", std::string(80640, '\0'));
    expect_inject_refused("missing.txt", true);
    expect_disk_bytes_refused("Valid range is $0..$13AFF!\n\n");
    std::string result;
    EXPECT_EQ(ask("DEBUGGER SAVEIMAG t.imag 1000 10ff 1000", &result), 10) << result;
    EXPECT_EQ(result.rfind("Error: ", 0), 0u) << result;
    EXPECT_FALSE(project_file("10ff.imag"));
    EXPECT_FALSE(project_file("t.imag"));
    // What is refused leaves room for what fits.
    test_write_file(home.path() / "Projects" / "notes.txt", "some notes");
    EXPECT_EQ(fine("DEBUGGER INJECT notes.txt").substr(0, 5), "OK.\n\n");
}

TEST_F(DiskRefusalsProgram, TwinInjectAndDiskBytes) {
    start_with_disk("TWIN", "blank.img", std::string(315392, '\0'));
    expect_inject_refused("MISSING", false);
    expect_disk_bytes_refused("Valid range is $0..$4CFFF!\n\n");
}

// A rename to a name the disk holds already, in either letter case, is
// refused with rc 10 and the reason, as putting a second file of that name
// is, so that EXTRACT writes each file to a host file of its own. A file may
// be renamed to its own name.
TEST_F(DiskRefusalsProgram, RenameToANameTheDiskHoldsIsRefused) {
    for (const char* machine : {"BINBUG", "CD2650", "TWIN"}) {
        const bool twin = machine[0] == 'T';
        const std::string image = machine[0] == 'B' ? test_blank_binbug_disk()
                                                    : std::string(twin ? 315392 : 80640, '\0');
        start_with_disk(machine, twin ? "blank.img" : "blank.raw", image);
        const std::string one = twin ? "one" : "one.txt", two = twin ? "two" : "two.txt";
        test_write_file(home.path() / "Projects" / one, "first file");
        test_write_file(home.path() / "Projects" / two, "second file");
        fine("DEBUGGER QUIET INJECT " + one);
        fine("DEBUGGER QUIET INJECT " + two);
        const std::string listed = fine("DEBUGGER DIR");
        for (const std::string& to : {one, std::string(twin ? "ONE" : "ONE.TXT")}) {
            std::string result;
            EXPECT_EQ(ask("DEBUGGER RENAME " + two + " " + to, &result), 10) << to;
            EXPECT_EQ(result, "File already exists on disk!\n\nFailed!\n\n") << to;
        }
        EXPECT_EQ(fine("DEBUGGER DIR"), listed);
        EXPECT_EQ(fine("DEBUGGER RENAME " + two + " " + two), "OK.\n\n");
        EXPECT_EQ(fine("DEBUGGER EXTRACT"), "OK.\n\n") << machine;
        const fs::path extracted = home.path() / "Projects" / (twin ? "TWO" : "TWO.TXT");
        EXPECT_EQ(test_read_file(extracted).rfind("second file", 0), 0u) << machine;
        quit_dropping_disk();
    }
}

TEST_F(DiskRefusalsProgram, ExtractKeepsTheUsersFileAtTheDisksName) {
    for (const char* machine : {"BINBUG", "CD2650", "TWIN"}) {
        const bool twin = machine[0] == 'T';
        const std::string image = machine[0] == 'B' ? test_blank_binbug_disk()
                                                    : std::string(twin ? 315392 : 80640, '\0');
        start_with_disk(machine, twin ? "blank.img" : "blank.raw", image);
        expect_user_file_kept(twin ? "NOTES" : "NOTES.BIN");
        if (twin) { // the TWIN's disks keep a file's length
            EXPECT_EQ(test_read_file(home.path() / "Projects" / "NOTES"), "the disk's copy\n");
        } else { // another command's output there stays as the user's file does
            const fs::path host = home.path() / "Projects" / "NOTES.BIN";
            EXPECT_EQ(fine("DEBUGGER SAVEBIN $0 $F NOTES.BIN"), "OK.\n\n");
            const std::string saved = test_read_file(host);
            std::string result;
            EXPECT_EQ(ask("DEBUGGER EXTRACT NOTES.BIN", &result), 10) << result;
            EXPECT_EQ(test_read_file(host), saved) << machine;
        }
        quit_dropping_disk();
    }
}

// Two names of one disk that make one host name ("A/B" and "A_B"): EXTRACT
// writes the first, keeps it against the second, names both and says no
// "OK."; a second run replaces only its own first file again.
TEST_F(DiskRefusalsProgram, ExtractKeepsWhatItJustWroteAgainstANameOfTheSameHostFile) {
    start_with_disk("TWIN", "blank.img", std::string(315392, '\0'));
    const fs::path projects = home.path() / "Projects", host = projects / "A_B";
    test_write_file(projects / "ONE", "first file");
    fine("DEBUGGER QUIET INJECT ONE");
    fine("DEBUGGER QUIET RENAME ONE A/B");
    test_write_file(host, "second file");
    fine("DEBUGGER QUIET INJECT A_B");
    fs::remove(projects / "ONE");
    fs::remove(host);
    const std::string kept = "Kept " + (fs::canonical(projects) / "A_B").string() +
                             ": EXTRACT wrote A/B there just now, and A_B is not written.";
    for (int run = 0; run < 2; run++) {
        std::string result;
        EXPECT_EQ(ask("DEBUGGER EXTRACT", &result), 10) << run;
        EXPECT_EQ(result.rfind(kept, 0), 0u) << run << ": " << result;
        EXPECT_EQ(result.find("OK."), std::string::npos) << result;
        EXPECT_EQ(test_read_file(host).rfind("first file", 0), 0u) << run;
    }
    EXPECT_EQ(fine("DEBUGGER EXTRACT A_B"), "OK.\n\n") << "named, its own earlier extract";
    EXPECT_EQ(test_read_file(host).rfind("second file", 0), 0u);
}

// A disk name with a leading "." and a ":" (put there by RENAME, or by
// FPOKE where RENAME refuses them) is extracted under one safe host name on
// every disk system: no hidden file, no ":" (the TWIN's ";" before the kind
// becomes ".").
TEST_F(DiskRefusalsProgram, ExtractGivesEveryDiskSystemsNamesOneSafeHostName) {
    struct Case {
        const char* machine;
        const char* put; // injected from the projects drawer
        std::vector<std::string> made_awkward;
        const char* host;
    };
    const Case cases[] = {
        {"TWIN", "ABCD", {"RENAME ABCD .B:D"}, "_.B_D"},
        {"TWIN", "ABCD", {"RENAME ABCD :B;TXT"}, "_B.TXT"},
        {"BINBUG", "ABCD.TXT", {"FPOKE 10 2E", "FPOKE 12 3A"}, "_.B_D.TXT"}, // the entry at $10
        {"CD2650", "ABCD.TXT", {"FPOKE 0 2E", "FPOKE 2 3A"}, "_.B_D.TXT"},   // the entry at 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        const char m = c.machine[0];
        start_with_disk(c.machine, m == 'T' ? "blank.img" : "blank.raw",
                        m == 'B' ? test_blank_binbug_disk() : std::string(m == 'T' ? 315392 : 80640, '\0'));
        const fs::path projects = home.path() / "Projects";
        test_write_file(projects / c.put, "a file\n");
        fine(std::string("DEBUGGER QUIET INJECT ") + c.put);
        fs::remove(projects / c.put);
        for (const std::string& line : c.made_awkward)
            fine("DEBUGGER " + line);
        std::set<std::string> was;
        for (const auto& e : fs::directory_iterator(projects))
            was.insert(e.path().filename().string());
        EXPECT_EQ(fine("DEBUGGER EXTRACT"), "OK.\n\n");
        std::set<std::string> made;
        for (const auto& e : fs::directory_iterator(projects))
            if (!was.count(e.path().filename().string())) made.insert(e.path().filename().string());
        EXPECT_EQ(made, std::set<std::string>{c.host});
        EXPECT_EQ(test_read_file(projects / c.host).rfind("a file\n", 0), 0u);
        fs::remove(projects / c.host);
        quit_dropping_disk();
    }
}

TEST_F(DiskRefusalsProgram, ABinbugTextFileComesBackByteForByte) {
    start_with_disk("BINBUG", "blank.raw", test_blank_binbug_disk());
    const fs::path projects = home.path() / "Projects";
    // Nine bytes; texts whose end mark is the last byte of a block of the
    // disk, or the first of the next.
    const std::pair<const char*, std::string> texts[] = {
        {"NOTE.TXT", "Hi there\n"}, {"FULL.SRC", std::string(252, 'x')}, {"OVER.SRC", std::string(253, 'y')}};
    for (const auto& [name, text] : texts) {
        test_write_file(projects / name, text);
        fine(std::string("DEBUGGER QUIET INJECT ") + name);
        fs::remove(projects / name);
    }
    EXPECT_EQ(fine("DEBUGGER EXTRACT"), "OK.\n\n");
    for (const auto& [name, text] : texts)
        EXPECT_EQ(test_read_file(projects / name), text) << name;
    // On the disk as the DOS keeps a text: STX, the text, ETX.
    const std::string dir = fine("DEBUGGER DIR");
    const std::size_t at = dir.find("NOTE      .TXT $");
    ASSERT_NE(at, std::string::npos) << dir;
    std::string start = dir.substr(at + 16, dir.find("..", at) - at - 16);
    start.erase(0, start.find_first_not_of(' '));
    const std::string bytes = fine("DEBUGGER FPEEK " + start);
    EXPECT_NE(bytes.find("02 48 69 20 74 68 65 72  65 0A 03 00"), std::string::npos) << bytes;
    // A byte that would end the text early is refused with its reason.
    test_write_file(projects / "ETX.TXT", "one\x03two");
    expect_refused({{"INJECT ETX.TXT", "File \"ETX.TXT\" holds the byte $03, which ends a text "
                                       "file on this disk: give it another extension than SRC "
                                       "or TXT!\n\n"}});
}

// The save commands of a machine without disks: a start, end or game-start
// operand that the evaluator stops on part-way is no address.
TEST_F(DiskRefusalsProgram, SaveOperandsReadOnlyInPartWriteNothing) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ask("SETMACHINE ELEKTOR", &result);
    ASSERT_EQ(fine("GETMACHINE"), "ELEKTOR");
    for (const char* line : {"SAVEEOF t1.eof 8FF q5", "SAVEEOF 800 8FF q5 8z0", "SAVEEOF 800 8x q5",
                             "SAVEBIN 0 1z0 q5", "SAVEHEX 1-2z 10 q5"}) {
        EXPECT_EQ(ask(std::string("DEBUGGER ") + line, &result), 10) << line;
        EXPECT_EQ(result.rfind("Error: ", 0), 0u) << line << ": " << result;
        EXPECT_EQ(ask(std::string("DEBUGGER QUIET ") + line, &result), 10) << line;
        EXPECT_EQ(result.rfind("Error: ", 0), 0u) << line << ": " << result;
    }
    for (const auto& entry : fs::directory_iterator(home.path() / "Projects"))
        EXPECT_EQ(entry.path().stem().string().rfind("q5", 0), std::string::npos) << entry.path();
    EXPECT_EQ(fine("DEBUGGER SAVEEOF 800 8FF q5"), "OK.\n\n");
    EXPECT_TRUE(project_file("q5.eof"));
}
