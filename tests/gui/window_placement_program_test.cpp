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
    // opens smaller, centred; the settings keep the size chosen, and no place
    // the user did not give the window.
    ASSERT_TRUE(run({"MENU SETTINGS.GRAPHICS.3XSIZE"})) << log();
    EXPECT_EQ(saved("size"), 3);
    EXPECT_EQ(saved("winleftx"), -1);
    EXPECT_EQ(saved("wintopy"), -1);
    // Moved to the corner, it opens there again.
    ASSERT_TRUE(run({"MOVEWINDOW 2 2"})) << log();
    ASSERT_TRUE(run({})) << log();
    EXPECT_EQ(saved("winleftx"), 2);
    EXPECT_EQ(saved("wintopy"), 2);
}

// The window itself is brought back onto the screen (window_fit's tests see
// it there); the place kept is still the user's.
TEST_F(WindowPlacementProgram, ARememberedPlaceOffTheScreenIsBroughtBack) {
    ASSERT_TRUE(run({"MOVEWINDOW 790 590"})) << log();
    ASSERT_EQ(saved("winleftx"), 790);
    ASSERT_TRUE(run({})) << log();
    EXPECT_EQ(saved("winleftx"), 790);
    EXPECT_EQ(saved("wintopy"), 590);
}
