// The debugger's disk commands: their refusals, the debugger drive, bytes of
// the image, disk watchpoints that a controller read fires, and the commands
// that reach the machine's disk system.
#include "core/machine_ops.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "tests/debugger/debugger_fixture.h"
#include "tests/support/fdc_machine.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> calls;

void name_entry(int e, const char* name, const char* ext) {
    std::snprintf(drives[0].name_cache[e], 11, "%s", name);
    std::snprintf(drives[0].ext_cache[e], 5, "%s", ext);
}

// A disk system with three entries that notes what it is asked.
const DiskSystem NOTING{
    .list = [](int quiet, int d) { calls.push_back("list " + std::to_string(quiet) + " " + std::to_string(d)); },
    .extract =
        [](int e, int, DiskFile* out) {
            calls.push_back("extract " + std::to_string(e));
            out->name = "ENTRY" + std::to_string(e);
            out->bytes = {1, 2, 3};
            return e != 2;
        },
    .put =
        [](const char* path, int d, std::string* why) {
            calls.push_back(std::string("put ") + path + " " + std::to_string(d));
            if (std::strcmp(path, "full.txt") != 0) return true;
            *why = "Disk is too full!";
            return false;
        },
    .remove = [](int e, int) { calls.push_back("remove " + std::to_string(e)); },
    .rename =
        [](int e, int, const char* name) {
            calls.push_back("rename " + std::to_string(e) + " " + name);
            return std::strlen(name) <= 8 ? 1 : 0;
        },
    .entries = 3,
    .extensions = true,
};

class DiskCommands : public DebuggerTest {
  protected:
    void SetUp() override {
        DebuggerTest::SetUp();
        calls.clear();
    }
    // Runs one command line; returns its return code (10 refused).
    static int rc_of(const char* line) {
        captured.clear();
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", line);
        return dbg_execute();
    }
    static void binbug_with_disk() {
        fdc_machine::install();
        machine = BINBUG;
    }
};

} // namespace

TEST_F(DiskCommands, RefusalsComeBeforeAnythingIsDone) {
    expect_answers({{"DRIVE", "Wrong guest machine!\n\n"},
                    {"FPEEK 0", "Wrong guest machine!\n\n"},
                    {"DIR", "Wrong guest machine!\n\n"},
                    {"FL", "Wrong guest machine!\n\n"}});
    fresh_cpu(BINBUG, MAP_BINBUG);
    machine = BINBUG;
    expect_answers({{"FPEEK 0", "No disk is inserted!\n\n"},
                    {"FPOKE 0 1", "No disk is inserted!\n\n"},
                    {"DIR", "No disk is inserted!\n\n"},
                    {"DEL A.B", "No disk is inserted!\n\n"},
                    {"FPOKE", "No disk is inserted!\n\n"}, // as its item is ghosted
                    {"DRIVE 2", "Invalid drive number!\n\n"},
                    {"DRIVE -1", "Invalid drive number!\n\n"},
                    {"DRIVE 1", "OK.\n\n"},
                    {"DRIVE", "Current drive is #1.\n\n"}});
    EXPECT_EQ(debugger_drive, 1);
    EXPECT_EQ(run("DRIVE ?"), "DRIVE 0: Change debugger drive to unit 0\nDRIVE 1: Change debugger "
                              "drive to unit 1\nDRIVE 2: Change debugger drive to unit 2\nDRIVE 3: "
                              "Change debugger drive to unit 3\nUsage: DRIVE [<drive>]\n\n");
}

TEST_F(DiskCommands, BytesOfTheImageAreShownAndChangedWithinIt) {
    binbug_with_disk();
    const std::vector<u8> before(drives[0].image, drives[0].image + 0x19000);
    // Negative numbers and numbers past 32 bits are no byte of the image nor a
    // byte value: none is folded into one.
    const std::string wide = "Error: number wider than 32 bits!\n";
    const std::string range = wide + "\n";
    expect_answers({{"FPEEK 18FFF", "Valid range is $0..$18FFF!\n\n"},
                    {"FPOKE 19000 1", "Valid range is $0..$18FFF!\n\n"},
                    {"FPOKE 10 100", "Value is out of bounds (limit is 255)!\n\n"},
                    {"FPOKE 10 -1", "Value is out of bounds (limit is 255)!\n\n"},
                    {"FPOKE 10 100000000", range.c_str()},
                    {"FPOKE -1 AB", "Valid range is $0..$18FFF!\n\n"},
                    {"FPOKE FFFFFFFF AC", "Valid range is $0..$18FFF!\n\n"},
                    {"FPOKE 1000000FF AC", range.c_str()},
                    {"FPOKE !4294967551 AC", range.c_str()},
                    {"FPOKE %100000000000000000000000011111111 AC", range.c_str()},
                    {"FPOKE @40000000377 AC", range.c_str()},
                    {"FPEEK -10", "Valid range is $0..$18FFF!\n\n"},
                    {"FPEEK FFFFFFF0", "Valid range is $0..$18FFF!\n\n"},
                    {"FP -1", "Valid range is $0..$18FFF!\n\n"},
                    {"FP 0 -1", "Valid range is $0..$18FFF!\n\n"},
                    {"FC 1000000FF", range.c_str()}});
    EXPECT_TRUE(std::equal(before.begin(), before.end(), drives[0].image));
    EXPECT_FALSE(drives[0].changed);
    EXPECT_EQ(run("FL"), "None.\n\n");
    expect_answers({{"FPOKE 10 FF", "OK.\n\n"}, {"FPOKE @377 @377", "OK.\n\n"}});
    EXPECT_EQ(drives[0].image[0x10], 0xFF);
    EXPECT_EQ(drives[0].image[0xFF], 0xFF);
    EXPECT_TRUE(drives[0].changed);
    const std::string dump = run("FPEEK 18FF0 18FF1"); // raised to the row's end
    char expected[128];
    std::snprintf(expected, sizeof expected, "$18FF0: %02X %02X ", fdc_machine::pattern(0x18FF0),
                  fdc_machine::pattern(0x18FF1));
    EXPECT_EQ(dump.rfind(expected, 0), 0u) << dump;
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 2);
    // A row that starts off the grid near the end shows no bytes beyond the image.
    EXPECT_NE(run("FPEEK 18FF8 18FF9").find("-- -- "), std::string::npos);
    const std::string page = run("FPEEK 100");
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 17); // 16 rows and a blank
}

TEST_F(DiskCommands, DiskWatchpointsAreSetListedClearedAndFireOnAControllerRead) {
    binbug_with_disk();
    watchreads = 0;
    watchwrites = 0;
    EXPECT_EQ(run("FP A01"), "Added data watchpoint at $A01.\n\nWarning: watching of reads and "
                             "writes is currently turned off! (WR and WW to enable.)\n\n");
    expect_answers({{"FP A01", "Watchpoint is already set!\n\n"},
                    {"FP 10 12", "OK.\n\nWarning: watching of reads and writes is currently "
                                 "turned off! (WR and WW to enable.)\n\n"},
                    {"FP 12 10", "End address lies before start address!\n\n"},
                    {"FL", "$10\n$11\n$12\n$A01\n\n"},
                    {"FC 11", "Cleared data watchpoint at $11.\n\n"},
                    {"FC 11", "Watchpoint not found at $11!\n\n"},
                    {"FC 10 12", "OK.\n\n"},
                    {"FL", "$A01\n\n"}});
    // The guest reads byte $A01 (track 1, sector 1, byte 1) with read watching on.
    watchreads = 1;
    fdc_port_write(3, 1);
    fdc_port_write(0, 0x18);
    fdc_port_write(2, 1);
    fdc_port_write(0, 0x84);
    fdc_port_read(3);
    EXPECT_EQ(pause_pending, 0);
    captured.clear();
    fdc_port_read(3);
    EXPECT_NE(pause_pending, 0);
    EXPECT_NE(captured.find("read $"), std::string::npos);
    pause_pending = 0;
    expect_answers({{"FC", "Cleared all data watchpoints.\n\n"},
                    {"FC", "No watchpoints to clear!\n\n"},
                    {"FL", "None.\n\n"}});
}

TEST_F(DiskCommands, FileCommandsFindEntriesAndReachTheDiskSystem) {
    binbug_with_disk();
    disk_system_override = &NOTING;
    name_entry(0, "HELLO", "CMD");
    name_entry(2, "DATA", "TXT");
    expect_answers({{"DEL hello.cmd", "OK.\n\n"},
                    {"DEL NOPE.CMD", "Failed!\n\n"},
                    {"REN DATA.TXT SHORT", "OK.\n\n"},
                    {"REN DATA.TXT MUCHTOOLONG", "Failed!\n\n"},
                    {"EXTRACT HELLO.CMD", "OK.\n\n"},
                    {"EXTRACT", "Failed!\n\n"}, // entry 2 cannot be written
                    {"DEL", "Delete file from floppy disk\nUsage: DEL|DELETE <filename>\n\n"}});
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "list 1 0", "remove 0", "list 1 0", "list 1 0", "list 1 0",
                         "rename 2 SHORT", "list 1 0", "list 1 0", "rename 2 MUCHTOOLONG",
                         "list 1 0", "extract 0", "list 1 0", "extract 0", "extract 2"}));
    calls.clear();
    // The host files exist: a file that cannot be read is refused before the disk system is asked.
    TempHome files{"inject"};
    std::snprintf(projects_path, sizeof projects_path, "%s", files.path().c_str());
    test_write_file(files.path() / "notes.txt", "notes");
    test_write_file(files.path() / "full.txt", "full");
    EXPECT_EQ(rc_of("INJECT notes.txt"), 0);
    run("DIR");
    EXPECT_EQ(calls, (std::vector<std::string>{"list 1 0", "put notes.txt 0", "list 0 0"}));
    // A put the disk system refuses refuses the line with its reason.
    EXPECT_EQ(rc_of("INJECT full.txt"), 10);
    EXPECT_EQ(captured, "Disk is too full!\n\n");
    EXPECT_EQ(dbg_refusal_text(), "Disk is too full!\n\n");
    calls.clear();
    EXPECT_EQ(rc_of("INJECT missing.txt"), 10);
    EXPECT_EQ(captured, "Can't open file \"missing.txt\" for input!\n\n");
    EXPECT_EQ(calls, (std::vector<std::string>{"list 1 0"}));
}
