// Malzak 2's non-volatile RAM in the real program: Configs/Malzak2.nvr holds
// the user's own board, whatever recording is played on it, and a file that
// cannot be written is named.
#include "tests/record/tools.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class MalzakNvram : public ProgramTest {
  protected:
    void ask(const std::string& line) {
        std::string result;
        // The Malzak ROM images are missing here: the switch says so (rc 5).
        EXPECT_LE(send(line, &result), 5) << line << ": " << result;
    }
    fs::path nvram() const { return home.path() / "Configs" / "Malzak2.nvr"; }
    u8 first_nvram_byte() const {
        const std::vector<u8> bytes = read_bytes(nvram());
        return bytes.empty() ? 0 : bytes[0];
    }
};

// A recording made on a board whose RAM starts with $11 is played on the
// user's board, whose RAM ($22) is in the file: the recording's RAM is the
// guest's while it plays, and the file keeps the user's after the program
// quits, and after the next session resumed from the exit autosave. A live
// session's RAM still goes to the file when the machine is left.
TEST_F(MalzakNvram, APlayedRecordingLeavesTheUsersRam) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("MENU SETTINGS.MACHINE.MALZAK2");
    ask("DEBUGGER \"E 1700 11\"");
    const fs::path state = home.path() / "take.cos", take = home.path() / "take.cor";
    ask("SAVEAS " + state.string());
    std::vector<u8> recording = read_bytes(state);
    ASSERT_GT(recording.size(), 3u);
    recording[2] = 1; // a recording follows the state
    for (int frame = 0; frame < 3000; frame++)
        recording.insert(recording.end(), {0, 0, 0xF0}); // untouched controls, test switch off

    write_bytes(take, recording);
    ask("DEBUGGER \"E 1700 22\"");
    ask("SETMACHINE ARCADIA");
    ASSERT_EQ(first_nvram_byte(), 0x22) << "the live board's RAM is saved when it is left";

    ask("MENU SETTINGS.MACHINE.MALZAK2");
    std::string said;
    ASSERT_EQ(send("OPEN " + take.string(), &said), 0) << said;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(send("QUIT", &said), 0) << said;
    ASSERT_EQ(wait_exit(), 0) << log();
    EXPECT_EQ(first_nvram_byte(), 0x22) << "the recording's RAM replaced the user's";

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
    EXPECT_EQ(first_nvram_byte(), 0x22) << "the autosave brought the recording's RAM back";
}

// Where the file cannot be read (a folder stands at its name), the board
// names it and leaves it as it is.
TEST_F(MalzakNvram, AFileThatCannotBeReadIsNamedAndKept) {
    fs::create_directories(nvram());
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("MENU SETTINGS.MACHINE.MALZAK2");
    ask("DEBUGGER \"E 1700 33\"");
    ask("SETMACHINE ARCADIA");
    // A folder at the name cannot be read: it is named and kept, never
    // written over.
    EXPECT_TRUE(printed("so that \"" + nvram().string() + "\" is kept")) << log();
    EXPECT_TRUE(fs::is_directory(nvram()));
    std::string said;
    ASSERT_EQ(send("QUIT", &said), 0) << said;
    ASSERT_EQ(wait_exit(), 0) << log();
}

} // namespace
