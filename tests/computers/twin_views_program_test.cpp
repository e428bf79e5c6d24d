// The TWIN's system tables through the port, as a script reads them.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

class TwinViewsProgram : public ProgramTest {};

// Device names hold NUL bytes before the system sets them: each is shown as a
// middle dot, so that every device keeps its own line and the reply its end.
TEST_F(TwinViewsProgram, TheDeviceTableKeepsOneLinePerDevice) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_NE(send("SETMACHINE TWIN", &result), -1); // without its ROMs: a warning
    ASSERT_EQ(send("DEBUGGER \"VIEW BIOS\"", &result), 0) << result;
    EXPECT_EQ(result.find('\0'), std::string::npos);
    const std::size_t devices = result.find("Devices (");
    ASSERT_NE(devices, std::string::npos) << result;
    std::istringstream lines(result.substr(devices));
    std::string line;
    std::getline(lines, line); // the title and the two heading lines
    std::getline(lines, line);
    std::getline(lines, line);
    for (int d = 0; d < 15; d++) {
        ASSERT_TRUE(std::getline(lines, line)) << d;
        EXPECT_EQ(line.rfind((d < 10 ? "  " : " ") + std::to_string(d) + " ", 0), 0u) << line;
        EXPECT_EQ(line.substr(line.size() - 10), "\"\xC2\xB7\xC2\xB7\xC2\xB7\xC2\xB7\"") << line;
    }
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.substr(line.size() - 6), "(Disk)");
    EXPECT_NE(result.find("Floppy disk drives ("), std::string::npos) << "the reply runs on";
    EXPECT_NE(result.find("Command Location"), std::string::npos);
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

} // namespace
