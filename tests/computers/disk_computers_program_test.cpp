// The BINBUG and the CD2650 in the running program, driven through its port:
// each boots our own small monitor from the roms drawer and shows its text;
// a BINBUG disk is inserted, listed, written and read back; SAVECMD and
// SAVEIMAG write the machine's own program file; states with and without disks
// load whatever the drives hold.
#include "tests/support/blank_disks.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class DiskComputersProgram : public ProgramTest {
  protected:
    std::string ask(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    void rom(const std::string& name, std::string bytes, size_t size) {
        bytes.resize(size, '\0');
        test_write_file(home.path() / "roms" / name, bytes);
    }
};

// Writes "HI" at the start of the BINBUG's VDU through pointers at $0020,
// lights the lamps, then idles.
std::string binbug_monitor() {
    std::string m = "\x04\x48\xCC\x80\x20"  // LODI,R0 'H' ; STRA,R0 *$0020
                    "\x04\x49\xCC\x80\x22"  // LODI,R0 'I' ; STRA,R0 *$0022
                    "\x04\x80\xD4\x03"      // port 3 selects the lamps
                    "\x04\x81\xD4\x00"      // lamps 0 and 7
                    "\x1B\x7E";             // BCTR,UN itself
    m.resize(0x20, '\0');
    return m + std::string("\x78\x00\x78\x01", 4); // the two screen addresses
}

// Writes "OK" at column 0 and 1 of the CD2650's first row.
const char CD2650_MONITOR[] = "\x04\x4F\xCC\x10\x00"  // LODI,R0 'O' ; STRA,R0 $1000
                              "\x04\x4B\xCC\x10\x10"  // LODI,R0 'K' ; STRA,R0 $1010
                              "\x1B\x7E";

} // namespace

TEST_F(DiskComputersProgram, BothMachinesBootTheirMonitorAndUseTheirFiles) {
    rom("binbug61.bin", binbug_monitor(), 1024);
    rom("binbug_chars.bin", "", 2048);
    rom("cd2650_supervisor.bin", std::string(CD2650_MONITOR, sizeof CD2650_MONITOR - 1), 1023);
    rom("cd2650_font.bin", "", 1280);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("SETMACHINE BINBUG");
    EXPECT_EQ(ask("PEEK 30720"), "72"); // $7800
    EXPECT_EQ(ask("PEEK 30721"), "73");
    EXPECT_EQ(ask("DEBUGGER VIEW SCRN").substr(0, 26), "$7800: 48 49 20 20 20 20 2");

    // A blank disk made as the format makes it; a host file put on it and back.
    test_write_file(home.path() / "blank.raw", test_blank_binbug_disk());
    test_write_file(home.path() / "Projects" / "notes.txt", std::string(300, 'n'));
    ask("OPEN " + (home.path() / "blank.raw").string());
    EXPECT_NE(ask("DEBUGGER DIR").find(" 99060 bytes free."), std::string::npos);
    EXPECT_EQ(ask("DEBUGGER INJECT notes.txt").substr(0, 5), "OK.\n\n");
    EXPECT_EQ(ask("DEBUGGER REN NOTES.TXT COPY.TXT"), "OK.\n\n");
    EXPECT_EQ(ask("DEBUGGER EXTRACT COPY.TXT"), "OK.\n\n");
    std::string copied = test_read_file(home.path() / "Projects" / "COPY.TXT");
    EXPECT_EQ(copied.substr(0, 300), std::string(300, 'n'));
    EXPECT_EQ(ask("DEBUGGER SAVEIMAG 0 1F prog"), "Assuming you meant SAVECMD.\nOK.\n\n");
    EXPECT_EQ(test_read_file(home.path() / "Projects" / "prog.cmd").size(), 3u + 32 + 3);

    // The disk written on keeps the machine, and the reply says why; a new
    // run of the program without the autosave (which brings the disk back)
    // goes on.
    std::string left;
    EXPECT_EQ(send("SETMACHINE CD2650", &left), 10);
    EXPECT_NE(left.find("drive 0 (\"blank.raw\") was changed"), std::string::npos) << left;
    EXPECT_EQ(ask("GETMACHINE"), "BINBUG");
    send("QUIT", &left);
    ASSERT_EQ(wait_exit(), 0);
    close(fd);
    fd = -1;
    std::filesystem::remove(home.path() / "Games" / "AUTOSAVE.COS");
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("SETMACHINE CD2650");
    EXPECT_EQ(ask("PEEK 4096"), "79"); // $1000
    EXPECT_EQ(ask("PEEK 4112"), "75");
    EXPECT_EQ(ask("DEBUGGER SAVEIMAG 1000 100F screen"), "OK.\n\n");
    EXPECT_EQ(test_read_file(home.path() / "Projects" / "screen.imag").size(), 4u + 16 + 4);
    ask("OPEN " + (home.path() / "Projects" / "prog.cmd").string());
    EXPECT_EQ(ask("GETMACHINE"), "BINBUG");
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
}

// A state is checked against what its file holds, never against the drives of
// the running machine: one holding a disk loads in a new run of the program,
// whose drives are empty, and one without disks while a drive holds one.
TEST_F(DiskComputersProgram, StatesLoadWhateverTheDrivesHold) {
    rom("binbug61.bin", binbug_monitor(), 1024);
    rom("binbug_chars.bin", "", 2048);
    rom("cd2650_supervisor.bin", std::string(CD2650_MONITOR, sizeof CD2650_MONITOR - 1), 1023);
    rom("cd2650_font.bin", "", 1280);
    const auto at = [this](const char* name) { return (home.path() / name).string(); };
    test_write_file(at("binbug.raw"), test_blank_binbug_disk());
    test_write_file(at("cd2650.raw"), std::string(80640, '\0'));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("SETMACHINE CD2650");
    ask("SAVEAS " + at("no-disk.cos"));
    ask("OPEN " + at("cd2650.raw"));
    ask("SAVEAS " + at("cd2650.cos"));
    ask("SETMACHINE BINBUG");
    ask("OPEN " + at("binbug.raw"));
    ask("SAVEAS " + at("binbug.cos"));
    ask("QUIT");
    ASSERT_EQ(wait_exit(), 0);
    close(fd);
    fd = -1;

    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("OPEN " + at("binbug.cos"));
    EXPECT_EQ(ask("GETMACHINE"), "BINBUG");
    EXPECT_NE(ask("DEBUGGER DIR").find(" 99060 bytes free."), std::string::npos);
    ask("SETMACHINE CD2650");
    ask("OPEN " + at("cd2650.cos"));
    EXPECT_NE(ask("DEBUGGER DIR").find("76032 bytes free."), std::string::npos);
    ask("OPEN " + at("no-disk.cos"));
    std::string result;
    EXPECT_EQ(send("DEBUGGER DIR", &result), 10);
    EXPECT_EQ(result, "No disk is inserted!\n\n");
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
}
