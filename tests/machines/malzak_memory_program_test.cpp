// Malzak 2's battery-backed memory (Configs/Malzak2.nvr) in the running
// program, driven through its port: the file holds the user's own board,
// whatever recording is played on it; a memory that cannot be written is
// named (the machine switch and QUIT answer 5); a file at its name that could
// not be read is named and kept as it is; and a run on a home that another run
// holds writes it neither at a switch nor at the end.
#include "core/emu.h"
#include "tests/record/tools.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class MalzakMemory : public ProgramTest {
  protected:
    // The program on Malzak 2 (its ROM images are missing here: the switch
    // answers 5), the first byte of its memory ($1700) set to `first`.
    // Check with ASSERT_NO_FATAL_FAILURE.
    void start_malzak(const std::string& first = "55") {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        ASSERT_EQ(ask("MENU SETTINGS.MACHINE.MALZAK2"), 5);
        ASSERT_EQ(ask("DEBUGGER \"E 1700 " + first + "\""), 0);
    }
    u8 first_byte() const {
        const std::vector<u8> bytes = read_bytes(file);
        return bytes.empty() ? 0 : bytes[0];
    }
    const fs::path file = home.path() / "Configs" / "Malzak2.nvr";
};

// The tests of what the file holds across sessions, on the same fixture.
using MalzakNvram = MalzakMemory;

// A recording made on a board whose RAM starts with $11 is played on the
// user's board, whose RAM ($22) is in the file: the recording's RAM is the
// guest's while it plays, and the file keeps the user's after the program
// quits, and after the next session resumed from the exit autosave. A live
// session's RAM still goes to the file when the machine is left.
TEST_F(MalzakNvram, APlayedRecordingLeavesTheUsersRam) {
    ASSERT_NO_FATAL_FAILURE(start_malzak("11"));
    const fs::path state = home.path() / "take.cos", take = home.path() / "take.cor";
    request("SAVEAS " + state.string());
    // Untouched controls, the test switch off.
    ASSERT_TRUE(write_recording(state, take, 3000, {0, 0, 0xF0}));
    request("DEBUGGER \"E 1700 22\"");
    request("SETMACHINE ARCADIA");
    ASSERT_EQ(first_byte(), 0x22) << "the live board's RAM is saved when it is left";

    request("MENU SETTINGS.MACHINE.MALZAK2");
    std::string said;
    ASSERT_EQ(send("OPEN " + take.string(), &said), 0) << said;
    // Quit while it plays, some of its frames played.
    ASSERT_TRUE(guest_ran(frame_clocks(MALZAK, 20))) << log();
    ASSERT_EQ(send("QUIT", &said), 0) << said;
    ASSERT_EQ(wait_exit(), 0) << log();
    EXPECT_EQ(first_byte(), 0x22) << "the recording's RAM replaced the user's";

    // The next start resumes the exit autosave, on the user's board: the RAM
    // it leaves with is the user's, not the recording's.
    ::close(fd);
    fd = -1;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ASSERT_EQ(send("GETMACHINE", &said), 0) << said;
    ASSERT_EQ(said, "MALZAK") << "the autosave resumed";
    ASSERT_EQ(send("QUIT", &said), 0) << said;
    ASSERT_EQ(wait_exit(), 0) << log();
    EXPECT_EQ(first_byte(), 0x22) << "the autosave brought the recording's RAM back";
}

// Where the file cannot be read (a folder stands at its name), the board
// names it and leaves it as it is.
TEST_F(MalzakNvram, AFileThatCannotBeReadIsNamedAndKept) {
    fs::create_directories(file);
    ASSERT_NO_FATAL_FAILURE(start_malzak("33"));
    request("SETMACHINE ARCADIA");
    // A folder at the name cannot be read: it is named and kept, never
    // written over.
    EXPECT_TRUE(printed("so that \"" + file.string() + "\" is kept")) << log();
    EXPECT_TRUE(fs::is_directory(file));
    std::string said;
    ASSERT_EQ(send("QUIT", &said), 0) << said;
    ASSERT_EQ(wait_exit(), 0) << log();
}

// A folder that took the file's place: the switch to another machine and
// QUIT name the memory that was not saved, never answering 0.
TEST_F(MalzakMemory, AMemoryThatCannotBeWrittenIsNamed) {
    ASSERT_NO_FATAL_FAILURE(start_malzak());
    fs::create_directories(file);
    std::string said;
    EXPECT_EQ(ask("SETMACHINE PIPBUG", &said), 5);
    EXPECT_NE(said.find("Malzak 2's memory was not saved: can't write to " + file.string()),
              std::string::npos)
        << said;
    fs::remove(file);
    ASSERT_EQ(ask("MENU SETTINGS.MACHINE.MALZAK2"), 0);
    fs::create_directories(file);
    EXPECT_EQ(ask("QUIT", &said), 5);
    EXPECT_NE(said.find("Malzak 2's memory was not saved"), std::string::npos) << said;
    EXPECT_EQ(wait_exit(), 0);
}

// A file the load could not take (here larger than any memory file) is not
// written over on the way out, and the load says so.
TEST_F(MalzakMemory, AFileThatCouldNotBeReadIsKept) {
    fs::create_directories(file.parent_path());
    const std::string theirs(1536 * 1024, 'x');
    std::ofstream(file, std::ios::binary) << theirs;
    ASSERT_NO_FATAL_FAILURE(start_malzak());
    EXPECT_EQ(ask("QUIT"), 0);
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_TRUE(test_read_file(file) == theirs) << "the file was written over";
    EXPECT_NE(log().find("so that \"" + file.string() + "\" is kept"), std::string::npos) << log();
}

// Another run holds the home: leaving Malzak 2 for another machine, and
// quitting, leave its memory file as the other run has it.
TEST_F(MalzakMemory, ARunOnAHomeAnotherRunHoldsWritesNoMemory) {
    fs::create_directories(file.parent_path());
    const int held = open((file.parent_path() / "Brindlemox.lock").c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    std::ofstream(file, std::ios::binary) << "the other run's";
    ASSERT_NO_FATAL_FAILURE(start_malzak());
    EXPECT_NE(log().find("Another Brindlemox is using"), std::string::npos) << log();
    std::string said;
    EXPECT_EQ(ask("SETMACHINE PIPBUG", &said), 0) << said;
    EXPECT_EQ(test_read_file(file), "the other run's") << "written at the switch";
    ASSERT_EQ(ask("MENU SETTINGS.MACHINE.MALZAK2"), 0);
    // QUIT says that this run does not save its files.
    EXPECT_EQ(ask("QUIT", &said), 5) << said;
    EXPECT_EQ(said.rfind("This one did not save its settings", 0), 0u) << said;
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_EQ(test_read_file(file), "the other run's") << "written at the end";
    close(held);
}

} // namespace
