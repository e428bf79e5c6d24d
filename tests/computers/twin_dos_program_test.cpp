// The TWIN's system choice in the running program, through the menu items of
// its scripting port: a chosen system whose disk is missing is named at once,
// the choice is kept, and the next set-up and new disk come from its disk,
// also when the disk was put into the drawer after it was found missing.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class TwinDosProgram : public ProgramTest {
  protected:
    std::string ask(const std::string& line, int rc = 0) {
        std::string result;
        EXPECT_EQ(send(line, &result), rc) << line << ": " << result;
        return result;
    }
    // A system disk of `size` bytes whose file list carries `identifier`.
    void system_disk(const std::string& name, size_t size, const std::string& identifier) {
        std::string disk(size, '\0');
        disk.replace(3, identifier.size(), identifier);
        disk[3 + identifier.size()] = '\r';
        test_write_file(home.path() / "roms" / name, disk);
    }
};

} // namespace

TEST_F(TwinDosProgram, TheMenuChoosesTheSystemOfTheNextSetUp) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    // Our own disks in place of the blank images the start put there.
    system_disk("twin_sdos20.bin", 75136, "SDOS TWO");
    system_disk("twin_udos16.bin", 288768, "UDOS ONE SIX");
    std::filesystem::remove(home.path() / "roms" / "twin_sdos40.bin");
    ask("SETMACHINE TWIN");
    EXPECT_NE(ask("DEBUGGER DIR").find("Disk identifier: \"SDOS TWO\""), std::string::npos);

    // A system without its disk in the drawer is named when it is chosen.
    const std::string missing = ask("MENU SETTINGS.DOS.SDOS40", 5);
    EXPECT_EQ(missing.find("These ROM images are missing"), 0u) << missing;
    EXPECT_NE(missing.find("twin_sdos40.bin (118784 bytes)"), std::string::npos) << missing;

    // One that is there is taken quietly; the machine runs on until it is set up again.
    EXPECT_EQ(ask("MENU SETTINGS.DOS.UDOS"), "");
    EXPECT_NE(ask("DEBUGGER DIR").find("Disk identifier: \"SDOS TWO\""), std::string::npos);
    ask("SETMACHINE TWIN");
    EXPECT_NE(ask("DEBUGGER DIR").find("Disk identifier: \"UDOS ONE SIX\""), std::string::npos);

    // No system: the TWIN has no system tables to show.
    EXPECT_EQ(ask("MENU SETTINGS.DOS.NOTWINDOS"), "");
    std::string result;
    send("DEBUGGER VIEW BIOS", &result);
    EXPECT_EQ(result, "Wrong guest machine!\n\n");
    // Only the TWIN offers the choice.
    ask("SETMACHINE PIPBUG");
    EXPECT_NE(send("MENU SETTINGS.DOS.EXOS", &result), 0);
    EXPECT_EQ(ask("QUIT"), "");
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_NE(test_read_file(home.path() / "Configs" / "Brindlemox.ini").find("twin_dosversion=6\n"),
              std::string::npos);
}

TEST_F(TwinDosProgram, ASystemDiskPutInAfterItWasMissingIsUsed) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::filesystem::remove(home.path() / "roms" / "twin_sdos40.bin");
    ask("SETMACHINE TWIN");
    const std::string missing = ask("MENU SETTINGS.DOS.SDOS40", 5);
    EXPECT_NE(missing.find("twin_sdos40.bin (118784 bytes)"), std::string::npos) << missing;
    system_disk("twin_sdos40.bin", 118784, "SDOS FOUR");
    EXPECT_EQ(ask("MENU SETTINGS.DOS.SDOS40"), "");
    ask("SETMACHINE TWIN");
    EXPECT_NE(ask("DEBUGGER DIR").find("Disk identifier: \"SDOS FOUR\""), std::string::npos);
    EXPECT_NE(log().find("\"twin_sdos40.bin\" in the drawer"), std::string::npos) << log();
    EXPECT_EQ(ask("QUIT"), "");
    EXPECT_EQ(wait_exit(), 0);
}
