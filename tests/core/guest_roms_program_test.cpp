// The running program looks at a machine's ROM images at every switch to it
// and says so when they were mended or spoilt since the last look.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class GuestRomsProgram : public ProgramTest {};

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

TEST_F(GuestRomsProgram, EverySwitchLooksAtTheImagesAgain) {
    const std::filesystem::path rom = home.path() / "roms" / "elektor_philips.bin";
    std::filesystem::remove(rom);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_EQ(send("SETMACHINE ELEKTOR", &result), 5);
    EXPECT_NE(result.find("elektor_philips.bin (2048 bytes)"), std::string::npos) << result;
    // Unchanged: nothing to say again.
    EXPECT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    EXPECT_EQ(send("SETMACHINE ELEKTOR", &result), 0) << result;

    // Mended: it is used, and the user is told.
    test_write_file(rom, std::string(2048, '\x1B'));
    EXPECT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    EXPECT_EQ(send("SETMACHINE ELEKTOR", &result), 0) << result;
    EXPECT_EQ(send("PEEK 0", &result), 0);
    EXPECT_EQ(result, "27");
    EXPECT_EQ(count(log(), "\"elektor_philips.bin\" in the drawer"), 1u) << log();
    EXPECT_NE(log().find("is used now."), std::string::npos) << log();

    // Spoilt (cut short): the warning comes again, once.
    test_write_file(rom, std::string(100, '\x1B'));
    EXPECT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    EXPECT_EQ(send("SETMACHINE ELEKTOR", &result), 5);
    EXPECT_NE(result.find("elektor_philips.bin (2048 bytes): the file there has the wrong size"),
              std::string::npos)
        << result;
    EXPECT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    EXPECT_EQ(send("SETMACHINE ELEKTOR", &result), 0) << result;
    EXPECT_EQ(send("QUIT", &result), 0);
}

} // namespace
