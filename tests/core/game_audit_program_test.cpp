// The games drawer's audit in the running program, picked from its menu
// through the port (offscreen, in a program home of the test's own).
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class GameAuditProgram : public ProgramTest {};

} // namespace

// What the recorders write into the games drawer (animations and pictures
// far larger than any game), disk images and tapes are counted by their kind,
// never as unknown files; a large file of no kind still is.
TEST_F(GameAuditProgram, LargeFilesOfAKnownKindAreNotUnknown) {
    const std::filesystem::path games = home.path() / "Games";
    std::filesystem::create_directories(games);
    for (const char* name : {"run.gif", "run.png", "run.mng", "disk.raw", "tape.wav", "big.dat"})
        std::ofstream(games / name, std::ios::binary) << std::string(200000, 'x');
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_EQ(send("MENU PROJECT.AUDIT", &result), 0) << result;
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0);
    const std::string printed = log();
    EXPECT_NE(printed.find("big.dat is unknown.\n"), std::string::npos) << printed;
    for (const char* name : {"run.gif", "run.png", "run.mng", "disk.raw", "tape.wav"})
        EXPECT_EQ(printed.find(std::string(name) + " is unknown"), std::string::npos)
            << name << "\n" << printed;
}
