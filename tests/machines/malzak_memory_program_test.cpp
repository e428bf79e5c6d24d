// Malzak 2's battery-backed memory in the running program, driven through its
// port: a memory that cannot be written is named (the machine switch and QUIT
// answer 5), a file at its name that could not be read is kept as it is, and
// a run on a home that another run holds writes it neither at a switch nor at
// the end.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class MalzakMemory : public ProgramTest {
  protected:
    int ask(const std::string& line, std::string* said = nullptr) {
        std::string result;
        const int rc = send(line, &result);
        if (said) *said = result;
        return rc;
    }
    void start_malzak() {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        ASSERT_EQ(ask("MENU SETTINGS.MACHINE.MALZAK2"), 5); // its ROM images are missing
        ASSERT_EQ(ask("DEBUGGER \"E 1700 55\""), 0);
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    const fs::path file = home.path() / "Configs" / "Malzak2.nvr";
};

} // namespace

// A folder that took the file's place: the switch to another machine and
// QUIT name the memory that was not saved, never answering 0.
TEST_F(MalzakMemory, AMemoryThatCannotBeWrittenIsNamed) {
    start_malzak();
    ASSERT_FALSE(HasFatalFailure());
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
    start_malzak();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(ask("QUIT"), 0);
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_TRUE(read(file) == theirs) << "the file was written over";
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
    start_malzak();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NE(log().find("Another Brindlemox is using"), std::string::npos) << log();
    std::string said;
    EXPECT_EQ(ask("SETMACHINE PIPBUG", &said), 0) << said;
    EXPECT_EQ(read(file), "the other run's") << "written at the switch";
    ASSERT_EQ(ask("MENU SETTINGS.MACHINE.MALZAK2"), 0);
    EXPECT_EQ(ask("QUIT", &said), 0) << said;
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_EQ(read(file), "the other run's") << "written at the end";
    close(held);
}
