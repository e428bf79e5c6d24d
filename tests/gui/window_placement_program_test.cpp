// Where the running program puts its main window on the screen (offscreen,
// whose one screen is 800 x 600), read from the position it saves at exit.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <unistd.h>

namespace {

class WindowPlacementProgram : public ProgramTest {
  protected:
    int saved(const char* key) const {
        const std::string ini = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
        const std::size_t at = ini.find(std::string("\n") + key + "=");
        return at == std::string::npos ? -99999 : std::atoi(ini.c_str() + at + std::strlen(key) + 2);
    }
    bool run(std::initializer_list<const char*> lines) {
        if (fd >= 0) close(fd);
        fd = -1;
        if (!start({"PORTNAME", "E2E"}) || !port_up()) return false;
        std::string result;
        for (const char* line : lines)
            if (send(line, &result) != 0) return false;
        return send("QUIT", &result) == 0 && wait_exit() == 0;
    }
};

} // namespace

TEST_F(WindowPlacementProgram, AWindowLargerThanTheScreenOpensAtItsTopLeft) {
    // Three times the size is wider and taller than the screen: the window
    // shows its menus and its left edge, not a part beyond the screen's. Its
    // frame (2 pixels wide offscreen) lies at the corner, the place saved is
    // that of its area inside.
    ASSERT_TRUE(run({"MENU SETTINGS.GRAPHICS.3XSIZE"})) << log();
    EXPECT_EQ(saved("winleftx"), 2);
    EXPECT_EQ(saved("wintopy"), 2);
    ASSERT_TRUE(run({})) << log(); // and it opens there again
    EXPECT_EQ(saved("winleftx"), 2);
    EXPECT_EQ(saved("wintopy"), 2);
}

TEST_F(WindowPlacementProgram, ARememberedPlaceOffTheScreenIsBroughtBack) {
    ASSERT_TRUE(run({"MOVEWINDOW 790 590"})) << log();
    ASSERT_EQ(saved("winleftx"), 790);
    ASSERT_TRUE(run({})) << log();
    const int left = saved("winleftx"), top = saved("wintopy");
    EXPECT_GE(left, 0);
    EXPECT_GE(top, 0);
    EXPECT_LT(left, 790); // moved back so that the whole window is on the screen
    EXPECT_LT(top, 590);
}
