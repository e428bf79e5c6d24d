// A session quit paused starts paused, showing the picture it was quit with.
#include "tests/support/indexed_png.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <unistd.h>

namespace {

class PausedStart : public ProgramTest {
  protected:
    IndexedPicture picture(const std::string& name) {
        std::string result;
        const std::string path = (home.path() / name).string();
        EXPECT_EQ(send("SAVEPNG " + path, &result), 0) << result;
        IndexedPicture pic;
        EXPECT_EQ(png_read_indexed(path, &pic), "") << name;
        return pic;
    }
};

TEST_F(PausedStart, TheRestoredPictureIsDrawn) {
    // An Interton program that colours the background and loops.
    std::string image("\x04\x2D\xCC\x1F\xC6\x1B\x7E", 7);
    image.resize(2048, '\0');
    test_write_file(home.path() / "colour.bin", image);
    std::string result;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    EXPECT_EQ(send("SETMACHINE INTERTON", &result), 0) << result;
    EXPECT_EQ(send("OPEN " + (home.path() / "colour.bin").string(), &result), 0) << result;
    EXPECT_EQ(send("PAUSE", &result), 0);
    const IndexedPicture quit_with = picture("quit.png");
    EXPECT_EQ(send("QUIT", &result), 0);
    ASSERT_EQ(wait_exit(), 0) << log();
    ::close(fd);
    fd = -1;

    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const IndexedPicture shown = picture("start.png");
    EXPECT_EQ(shown.width, quit_with.width);
    EXPECT_EQ(shown.height, quit_with.height);
    EXPECT_EQ(shown.pixels, quit_with.pixels);
    const std::set<u8> colours(shown.pixels.begin(), shown.pixels.end());
    EXPECT_GT(colours.size(), 1u);
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

} // namespace
