// The papertape units in the running program, driven through its port: OPEN
// puts a tape in (on the TWIN into the high-speed reader when the punch unit
// holds one), QUIT empties both units.
#include "tests/support/program_test.h"
#include "tests/support/small_disk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class PapertapeProgram : public ProgramTest {
  protected:
    int open(const fs::path& tape) {
        std::string result;
        const int rc = send("OPEN " + tape.string(), &result);
        EXPECT_EQ(rc, 0) << result;
        return rc;
    }
};

} // namespace

// Tapes that were only read leave their files to whoever has them at QUIT: a
// file another program rewrote keeps its new bytes, one it removed stays
// gone, and a tape on a full disk is no cause for a warning.
TEST_F(PapertapeProgram, QuitWritesBackNoTapeThatWasNotPunched) {
    const fs::path t10 = home.path() / "t10.pap", t11 = home.path() / "t11.pap";
    test_write_file(t10, "OLD TEN");
    test_write_file(t11, "OLD ELEVEN");
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("SETMACHINE TWIN", &result);
    open(t10); // the punch unit
    open(t11); // the high-speed reader
    test_write_file(t10, "rewritten by another program");
    fs::remove(t11);
    send("QUIT", &result);
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_EQ(test_read_file(t10), "rewritten by another program");
    EXPECT_FALSE(fs::exists(t11));
    EXPECT_EQ(log().find("papertape"), std::string::npos) << log();

    SmallDisk disk;
    if (!disk.mount(home.path() / "disk", "400k")) GTEST_SKIP() << "no small disk can be mounted";
    const fs::path full = home.path() / "disk" / "full.pap";
    const std::string tape(3000, 'T');
    test_write_file(full, tape);
    disk.fill();
    close(fd);
    fd = -1;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    send("SETMACHINE PIPBUG", &result);
    open(full);
    EXPECT_EQ(send("QUIT", &result), 0) << result;
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_EQ(log().find("Can't write"), std::string::npos) << log();
    EXPECT_EQ(test_read_file(full), tape);
}
