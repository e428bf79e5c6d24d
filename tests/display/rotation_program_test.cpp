// Settings > Graphics > Rotate screen? in the running program, driven over
// its scripting port: the picture turns at once, both ways.
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

class RotationProgram : public ProgramTest {
  protected:
    std::string screen_view() {
        std::string result;
        EXPECT_EQ(send("DEBUGGER \"VIEW SCRN\"", &result), 0) << result;
        return result.substr(0, result.find('\n'));
    }
};

} // namespace

// Astro Wars starts turned. Each use of the item turns the same paused frame
// a quarter back or on, in the saved picture and in the screen RAM's view,
// without a machine switch; the picture stays 240 x 240.
TEST_F(RotationProgram, TheItemTurnsThePictureAtOnceBothWays) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("MENU SETTINGS.MACHINE.ASTROWARS", &result), 5) << result; // no ROMs
    ASSERT_EQ(send("PAUSE", &result), 0);
    // The video chip's first object: a solid block near the board's top-left
    // corner, in a colour, drawn by one frame.
    const int frames = count_of(log(), "Reached next frame");
    for (const char* poke : {"FILL $1500 $1509 $FF", "FILL $150A $150B 20", "FILL $150C $150D 30",
                             "POKE $15C1 $08", "R F"})
        ASSERT_EQ(send(std::string("DEBUGGER \"") + poke + "\"", &result), 0) << poke << result;
    ASSERT_TRUE(printed("Reached next frame", frames + 1)) << log(); // the frame drawn

    const IndexedPicture turned = picture("turned.png");
    EXPECT_EQ(screen_view(), "---Left Half---");
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.ROTATE", &result), 0) << result;
    const IndexedPicture plain = picture("plain.png");
    EXPECT_EQ(screen_view().rfind("$1800:", 0), 0u);
    for (const IndexedPicture* p : {&turned, &plain}) {
        ASSERT_EQ(p->width, 240u);
        ASSERT_EQ(p->height, 240u);
    }
    // Turned, the picture's (x, y) is the board's (y, 239 - x).
    int apart = 0;
    for (u32 y = 0; y < 240; y++)
        for (u32 x = 0; x < 240; x++)
            apart += turned.pixels[y * 240 + x] != plain.pixels[(239 - x) * 240 + y];
    EXPECT_EQ(apart, 0);
    EXPECT_NE(turned.pixels, plain.pixels);

    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.ROTATE", &result), 0) << result;
    EXPECT_TRUE(picture("again.png").pixels == turned.pixels);
    EXPECT_EQ(screen_view(), "---Left Half---");
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}
