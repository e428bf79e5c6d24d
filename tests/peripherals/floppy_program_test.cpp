// The floppy window and the debugger's disk commands in the running program,
// driven through its port.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <tuple>
#include <unistd.h>

namespace {

class FloppyProgram : public ProgramTest {
  protected:
    std::string ask(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // A debugger line the debugger refuses: answered with 10 and its reason.
    std::string refused(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 10) << line << ": " << result;
        return result;
    }
};

} // namespace

TEST_F(FloppyProgram, TheWindowOpensAndTheDiskCommandsAnswerOnDiskMachinesOnly) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("SETMACHINE ARCADIA");
    EXPECT_EQ(refused("DEBUGGER DRIVE"), "Wrong guest machine!\n\n");
    // Without its ROMs the machine still runs, after one warning naming them.
    std::string warned;
    EXPECT_EQ(send("SETMACHINE CD2650", &warned), 5);
    EXPECT_NE(warned.find("cd2650_font.bin (1280 bytes)"), std::string::npos) << warned;
    ask("OPENDISKDRIVE");
    EXPECT_EQ(ask("DEBUGGER DRIVE 3"), "OK.\n\n");
    EXPECT_EQ(ask("DEBUGGER DRIVE"), "Current drive is #3.\n\n");
    EXPECT_EQ(refused("DEBUGGER FPEEK 0"), "No disk is inserted!\n\n");
    EXPECT_EQ(ask("DEBUGGER FP 13AFF"), "Added data watchpoint at $13AFF.\n\n");
    EXPECT_EQ(refused("DEBUGGER FP 13B00"), "Valid range is $0..$13AFF!\n\n");
    EXPECT_EQ(ask("DEBUGGER FL"), "$13AFF\n\n");
    ask("CLOSEDISKDRIVE");
    ask("SETMACHINE TWIN");
    ask("OPENDISKDRIVE");
    EXPECT_EQ(refused("DEBUGGER DRIVE 3"), "Invalid drive number!\n\n");
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
}

// A TWIN disk stays with the TWIN: the BINBUG's drives are empty after the
// switch.
TEST_F(FloppyProgram, ASwitchToAnotherDiskSystemEmptiesTheDrives) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("SETMACHINE TWIN", &result);
    EXPECT_NE(ask("DEBUGGER DIR").find("Disk identifier"), std::string::npos);
    send("SETMACHINE BINBUG", &result);
    EXPECT_EQ(refused("DEBUGGER DIR"), "No disk is inserted!\n\n");
    EXPECT_EQ(refused("DEBUGGER FPEEK 0"), "No disk is inserted!\n\n");
    send("SETMACHINE CD2650", &result);
    EXPECT_EQ(ask("DEBUGGER DRIVE 1"), "OK.\n\n");
    EXPECT_EQ(refused("DEBUGGER DIR"), "No disk is inserted!\n\n");
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
}

// With every drive full OPEN would replace drive 0: a changed disk there is
// kept and OPEN refused; DIR shows a hostile disk's names made safe; QUIT
// names the changed disk it drops.
TEST_F(FloppyProgram, OpenKeepsAChangedDiskAndListingsShowNamesSafely) {
    std::string hostile(315392, '\0');
    hostile[2] = 1; // one file
    const std::string identity = "\x1b]0;owned\x07X\r";
    hostile.replace(3, identity.size(), identity);
    hostile.replace(128, 8, "\x1b[2J\x9b" "AB ");
    test_write_file(home.path() / "hostile.img", hostile);
    test_write_file(home.path() / "hostile2.img", hostile);
    test_write_file(home.path() / "Projects" / "k1024", std::string(1024, 'k'));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("SETMACHINE TWIN", &result);
    ask("DEBUGGER \"INJECT k1024\"");
    const std::string image = (home.path() / "hostile.img").string();
    ask("OPEN " + image); // into the empty drive 1
    EXPECT_EQ(send("OPEN " + (home.path() / "hostile2.img").string(), &result), 10);
    EXPECT_NE(result.find("Answered \"Cancel\""), std::string::npos) << result;
    EXPECT_NE(result.find("(the disk in drive 0 was changed and not saved)"), std::string::npos);
    EXPECT_NE(ask("DEBUGGER DIR").find("K1024           1024"), std::string::npos);
    ask("DEBUGGER \"DRIVE 1\"");
    const std::string listing = ask("DEBUGGER DIR");
    EXPECT_NE(listing.find("Disk identifier: \"_]0;owned_X\""), std::string::npos) << listing;
    EXPECT_NE(listing.find(" _[2J_AB "), std::string::npos) << listing;
    for (char c : listing)
        EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << static_cast<int>(c);
    EXPECT_EQ(send("QUIT", &result), 5);
    EXPECT_EQ(result, "Changed disks not saved: drive 0 (a new disk); the autosave keeps them for "
                      "the next start.\n");
    EXPECT_EQ(wait_exit(), 0);
}

// A disk image is held in one drive, however its name is spelled: OPEN of it
// again (through a link, "..", a second hard link) says which drive has it
// and leaves that disk as it is, changed or not, so that no second drive
// takes a copy whose update would write over the first one's. Nor does
// another medium take it: a papertape unit refuses it.
TEST_F(FloppyProgram, AnImageIsHeldInOneDriveHoweverItIsNamed) {
    namespace fs = std::filesystem;
    const fs::path disk = home.path() / "Disks" / "blank.raw";
    test_write_file(disk, std::string(80640, '\0'));
    fs::create_symlink("blank.raw", home.path() / "Disks" / "link.raw");
    fs::create_hard_link(disk, home.path() / "hard.raw");
    const fs::path twin = home.path() / "twin.img";
    test_write_file(twin, std::string(315392, '\0'));
    fs::create_symlink(twin, home.path() / "tape.pap");
    test_write_file(home.path() / "Projects" / "notes.txt", "notes\n");
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("SETMACHINE TWIN", &result);
    ask("OPEN " + twin.string()); // into drive 1, beside the system disk
    const std::string pap = (home.path() / "tape.pap").string();
    EXPECT_EQ(send("OPEN " + pap, &result), 10);
    EXPECT_EQ(result.rfind("Can't insert " + pap + ": it is already the disk in drive 1.\n", 0),
              0u)
        << result;
    send("SETMACHINE CD2650", &result);
    ask("OPEN PROGDIR:Disks/blank.raw");
    ask("DEBUGGER \"DRIVE 0\"");
    ask("DEBUGGER \"INJECT notes.txt\"");
    for (const std::string& name :
         {std::string("PROGDIR:Disks/blank.raw"), std::string("PROGDIR:Disks/link.raw"),
          (home.path() / "Disks" / ".." / "hard.raw").string()}) {
        EXPECT_EQ(send("OPEN " + name, &result), 5) << name;
        EXPECT_NE(result.find(" is already in drive 0; it stays there as it is.\n"),
                  std::string::npos)
            << name << ": " << result;
        EXPECT_NE(ask("DEBUGGER DIR").find("NOTES   .TXT"), std::string::npos) << name;
    }
    ask("DEBUGGER \"DRIVE 1\"");
    EXPECT_EQ(refused("DEBUGGER DIR"), "No disk is inserted!\n\n");
    EXPECT_EQ(send("QUIT", &result), 5);
    EXPECT_EQ(wait_exit(), 0);
}

// A TWIN state carries its disks: loading one over a disk changed since it was
// saved keeps that disk (nobody to ask under the port) and refuses the load.
TEST_F(FloppyProgram, AStateLoadKeepsAChangedDiskItWouldReplace) {
    test_write_file(home.path() / "Projects" / "k1024", std::string(1024, 'k'));
    test_write_file(home.path() / "Projects" / "later", std::string(300, 'l'));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("SETMACHINE TWIN", &result);
    ask("DEBUGGER \"INJECT k1024\"");
    const std::string state = (home.path() / "twin.cos").string();
    ask("SAVEAS " + state);
    ask("DEBUGGER \"INJECT later\"");
    EXPECT_EQ(send("OPEN " + state, &result), 10);
    EXPECT_NE(result.find("(the disk in drive 0 was changed and not saved)"), std::string::npos)
        << result;
    EXPECT_NE(ask("DEBUGGER DIR").find("LATER"), std::string::npos);
    send("QUIT", &result);
    EXPECT_EQ(wait_exit(), 0);
}

// A set-up of the machine that runs keeps its disks; a switch to another
// machine empties the drives, and each path to one asks first about a
// changed disk: with nobody to ask, each keeps the disk, the machine and its
// memory as they were, and answers 10 as OPEN does.
TEST_F(FloppyProgram, EverySetUpAsksBeforeItDropsAChangedDisk) {
    test_write_file(home.path() / "Projects" / "k1024", std::string(1024, 'k'));
    for (const char* name : {"blank.raw", "b1.raw", "b3.raw"})
        test_write_file(home.path() / name, std::string(80640, '\0'));
    test_write_file(home.path() / "binbug.raw", std::string(102400, '\0'));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    const auto kept = [&](const std::string& line) {
        EXPECT_EQ(send(line, &result), 10) << line;
        EXPECT_NE(result.find("Answered \"Cancel\""), std::string::npos) << line << ": " << result;
        EXPECT_NE(result.find("(the disk in drive 2 was changed and not saved)"),
                  std::string::npos)
            << line << ": " << result;
        EXPECT_EQ(ask("GETMACHINE"), "CD2650") << line;
        EXPECT_EQ(ask("PEEK 4096"), "66") << line;
        EXPECT_NE(ask("DEBUGGER DIR").find("K1024"), std::string::npos) << line;
    };

    // A disk nobody changed goes without a word, from every drive.
    send("SETMACHINE TWIN", &result);
    ask("DEBUGGER \"SAVEMOD 1500 15FF prog\"");
    const std::string twin_state = (home.path() / "twin.cos").string();
    ask("SAVEAS " + twin_state);
    send("SETMACHINE BINBUG", &result);
    ask("OPEN " + (home.path() / "binbug.raw").string());
    EXPECT_EQ(ask("DEBUGGER \"FPEEK 0\"").substr(0, 3), "$00") << "a disk in drive 0";
    send("SETMACHINE BINBUG", &result);
    EXPECT_EQ(ask("DEBUGGER \"FPEEK 0\"").substr(0, 3), "$00") << "a set-up keeps the disk";
    send("SETMACHINE CD2650", &result);
    EXPECT_EQ(refused("DEBUGGER \"FPEEK 0\"").substr(0, 3), "No ") << "a switch takes it out";
    send("MENU SETTINGS.BIOS.IPL", &result);
    // One file is held in one drive: each takes a file of its own.
    for (const char* name : {"b1.raw", "blank.raw", "b3.raw"})
        ask("OPEN " + (home.path() / name).string());
    send("SETMACHINE TWIN", &result);
    send("SETMACHINE CD2650", &result);
    for (int d = 1; d < 4; d++) {
        ask("DEBUGGER \"DRIVE " + std::to_string(d) + "\"");
        EXPECT_EQ(refused("DEBUGGER DIR"), "No disk is inserted!\n\n") << "drive " << d;
    }

    // A changed one keeps every load and switch away: a program or a state of
    // another machine, a switch to another one.
    ask("OPEN " + (home.path() / "b1.raw").string());
    ask("OPEN " + (home.path() / "blank.raw").string());
    ask("DEBUGGER \"DRIVE 2\"");
    ask("DEBUGGER \"INJECT k1024\"");
    ask("DEBUGGER \"POKE 1000 42\"");
    for (const char* line : {"SETMACHINE TWIN", "MENU SETTINGS.MACHINE.ARCADIA"})
        kept(line);
    kept("OPEN " + (home.path() / "Projects" / "prog.mod").string());
    kept("OPEN " + twin_state);
    // A set-up of the machine that runs, a new monitor or disk system, keeps
    // it, changed as it is.
    for (const char* line : {"SETMACHINE CD2650", "MENU PROJECT.REINITIALIZE",
                             "MENU SETTINGS.BIOS.POPMON", "MENU SETTINGS.DOS.NOCD2650DOS"}) {
        EXPECT_LE(send(line, &result), 5) << line << ": " << result;
        EXPECT_EQ(ask("GETMACHINE"), "CD2650") << line;
        EXPECT_NE(ask("DEBUGGER DIR").find("K1024"), std::string::npos) << line;
    }
    EXPECT_EQ(send("QUIT", &result), 5);
    EXPECT_EQ(result, "Changed disks not saved: drive 2 (\"blank.raw\"); the autosave keeps them "
                      "for the next start.\n");
    EXPECT_EQ(wait_exit(), 0);
}

// A break leaves as QUIT does: the changed disks are named, and the
// autosave brings them back, changed, into the next start.
TEST_F(FloppyProgram, ABreakNamesTheChangedDisksItDrops) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string file = "k" + std::to_string(signal);
        test_write_file(home.path() / "Projects" / file, std::string(1024, 'k'));
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        std::string result;
        send("SETMACHINE TWIN", &result);
        ask("DEBUGGER \"DRIVE 0\"");
        ask("DEBUGGER \"INJECT " + file + "\"");
        kill(pid, signal);
        EXPECT_EQ(wait_exit(), 0) << signal;
        close(fd);
        fd = -1;
        EXPECT_NE(log().find("Brindlemox: User break!\n"
                             "Changed disks not saved: drive 0 (a new disk); the autosave keeps "
                             "them for the next start.\n"),
                  std::string::npos)
            << signal << ": " << log();
    }
}

// An image of the wrong size is refused: OPEN answers 10 with the reason, and
// the drive it was meant for (on the TWIN drive 1, beside the system disk)
// stays empty.
TEST_F(FloppyProgram, OpenRefusesADiskImageOfTheWrongSize) {
    test_write_file(home.path() / "short.raw", std::string(1000, '\0'));
    test_write_file(home.path() / "short.img", std::string(1000, '\0'));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    for (const auto& [system, image, drive] :
         {std::tuple{"BINBUG", "short.raw", "0"}, std::tuple{"TWIN", "short.img", "1"}}) {
        send(std::string("SETMACHINE ") + system, &result);
        const std::string path = (home.path() / image).string();
        EXPECT_EQ(send("OPEN " + path, &result), 10) << system;
        EXPECT_EQ(result,
                  "File is wrong size!\nOPEN: there was a problem opening the file \"" + path +
                      "\"\n")
            << system;
        ask(std::string("DEBUGGER \"DRIVE ") + drive + "\"");
        EXPECT_EQ(refused("DEBUGGER DIR"), "No disk is inserted!\n\n") << system;
    }
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
}
