// The program's windows on a real X display (a virtual 1280 x 1024 frame
// buffer, without a window manager and with one that frames them): where they
// lie and which lies above which, as the X server reports them. Skipped where
// Xvfb or xwininfo (or the window manager, openbox) is missing.
#include "tests/support/program_test.h"
#include "tests/support/x_display.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class WindowFitProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (!XDisplay::available()) GTEST_SKIP() << "Xvfb or xwininfo is not installed";
        ASSERT_TRUE(x.start()) << "no virtual display could be started";
    }
    void TearDown() override {
        ProgramTest::TearDown();
        x.stop();
    }
    // Starts the program on the display and waits for its port.
    bool start_on_display() {
        if (fd >= 0) close(fd);
        fd = -1;
        pid = test_start_program(home.path(), {"PORTNAME", "E2E"}, "xcb");
        return pid > 0 && port_up();
    }
    bool quit() {
        std::string result;
        const bool ok = send("QUIT", &result) == 0 && wait_exit() == 0;
        pid = -1;
        return ok;
    }
    std::vector<XWindow> windows() const { return framed ? x.client_windows() : x.windows(); }
    // The window whose title starts with `title` (the main window:
    // "Brindlemox" and the machine's name), once the program has settled: an
    // empty name when there is none.
    XWindow main_window(const char* title = "Brindlemox ") {
        std::string result;
        send("GETVERSION", &result);
        std::this_thread::sleep_for(std::chrono::milliseconds(framed ? 700 : 500));
        for (const XWindow& w : windows())
            if (w.name.rfind(title, 0) == 0) return w;
        return {};
    }

    XDisplay x;
    bool framed = false; // the windows are in a window manager's frames
};

// Under a window manager, each window's place is that of its own area.
class WindowManagerProgram : public WindowFitProgram {
  protected:
    void SetUp() override {
        WindowFitProgram::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!x.start_window_manager()) GTEST_SKIP() << "openbox is not installed";
        framed = true;
    }
    int saved(const char* key) const {
        const std::string ini = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
        const std::size_t at = ini.find(std::string("\n") + key + "=");
        return at == std::string::npos ? -99999 : std::atoi(ini.c_str() + at + std::strlen(key) + 2);
    }
};

} // namespace

TEST_F(WindowFitProgram, TheMainWindowLiesWhollyOnTheScreen) {
    ASSERT_TRUE(start_on_display()) << log();
    std::string result;
    // Placed low, then three times the size: it moves up so that its menu
    // strip and its status bar are both on the screen.
    ASSERT_EQ(send("MOVEWINDOW 34 300", &result), 0) << result;
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.3XSIZE", &result), 0) << result;
    XWindow w = main_window();
    ASSERT_FALSE(w.name.empty());
    EXPECT_GT(w.height, 900); // the case in point: nearly as tall as the screen
    EXPECT_GE(w.top, 0);
    EXPECT_LE(w.top + w.height, 1024) << w.top << " + " << w.height;
    EXPECT_EQ(w.left, 34);

    // Full screen on the Type-right, whose picture alone is about as wide
    // as the screen: the game list and the status bar fit beside it.
    ASSERT_EQ(send("MENU SETTINGS.MACHINE.TYPERIGHT", &result), 0) << result;
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    w = main_window();
    ASSERT_FALSE(w.name.empty());
    EXPECT_EQ(w.left, 0);
    EXPECT_EQ(w.top, 0);
    EXPECT_EQ(w.width, 1280);
    EXPECT_EQ(w.height, 1024);
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    EXPECT_TRUE(quit()) << log();
}

TEST_F(WindowFitProgram, TheTipAndAWarningAtStartOpenAboveTheMainWindow) {
    // A start on BINBUG, whose set-up asks for the tool windows again (none is
    // open) and warns of its missing monitor images: the warning and the tip
    // opened over the main window stay above it.
    ASSERT_TRUE(start_on_display()) << log();
    std::string result;
    send("MENU SETTINGS.MACHINE.BINBUG", &result); // warns: the images are missing
    ASSERT_TRUE(quit()) << log();

    ASSERT_TRUE(start_on_display()) << log();
    ASSERT_FALSE(main_window().name.empty());
    std::this_thread::sleep_for(std::chrono::seconds(1)); // a few frames
    const std::vector<XWindow> all = windows();
    int tip = -1, warning = -1, main = -1;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].name == "Tip of the Day") tip = static_cast<int>(i);
        if (all[i].name == "Warning") warning = static_cast<int>(i);
        if (all[i].name.rfind("Brindlemox BINBUG", 0) == 0) main = static_cast<int>(i);
    }
    ASSERT_GE(main, 0);
    ASSERT_GE(tip, 0);
    ASSERT_GE(warning, 0);
    EXPECT_LT(tip, main);
    EXPECT_LT(warning, main);
    EXPECT_TRUE(quit()) << log();
}

TEST_F(WindowFitProgram, AMachineOfAnotherSizeOpensTheWindowOnTheScreen) {
    ASSERT_TRUE(start_on_display()) << log();
    std::string result;
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.2XSIZE", &result), 0) << result;
    ASSERT_EQ(send("MOVEWINDOW 278 318", &result), 0) << result;
    XWindow w = main_window();
    ASSERT_EQ(w.left, 278);
    // The PIPBUG's terminal is wider than the Arcadia's picture: the window
    // moves left so that its right edge stays on the screen.
    send("SETMACHINE PIPBUG", &result); // warns of its missing monitor image
    w = main_window();
    ASSERT_EQ(w.name.rfind("Brindlemox PIPBUG", 0), 0u) << w.name;
    EXPECT_GT(w.width, 1000);
    EXPECT_LE(w.left + w.width, 1280) << w.left << " + " << w.width;
    EXPECT_EQ(w.top, 318);
    // An 80-column terminal at 2x is wider than the screen: shown from its left edge.
    send("MENU SETTINGS.MACHINE.CD2650", &result);
    w = main_window();
    ASSERT_EQ(w.name.rfind("Brindlemox CD2650", 0), 0u) << w.name;
    EXPECT_GT(w.width, 1280);
    EXPECT_EQ(w.left, 0);
    EXPECT_GE(w.top, 0);
    EXPECT_TRUE(quit()) << log();
}

TEST_F(WindowFitProgram, TheChosenSizeSurvivesAMachineAndFullScreenRoundTrip) {
    ASSERT_TRUE(start_on_display()) << log();
    std::string result;
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.3XSIZE", &result), 0) << result;
    const XWindow arcadia = main_window();
    ASSERT_FALSE(arcadia.name.empty());
    ASSERT_EQ(send("SETMACHINE TYPERIGHT", &result), 0) << result;
    const XWindow typeright = main_window();
    EXPECT_LT(typeright.height, arcadia.height / 2); // the Type-right's one line of LCD
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    XWindow w = main_window();
    EXPECT_EQ(w.width, typeright.width);
    EXPECT_EQ(w.height, typeright.height);
    // Back on the Arcadia: three times its size, as chosen, not five.
    ASSERT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    w = main_window();
    EXPECT_EQ(w.width, arcadia.width);
    EXPECT_EQ(w.height, arcadia.height);
    EXPECT_TRUE(quit()) << log();
    const std::string ini = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
    EXPECT_NE(ini.find("\nsize=3\n"), std::string::npos);
}

// Three starts and quits: the main window opens each time where the one
// before was left, and the place saved is where it lay.
TEST_F(WindowManagerProgram, TheMainWindowOpensWhereItWasLeft) {
    XWindow before;
    for (int run = 1; run <= 3; run++) {
        SCOPED_TRACE("start " + std::to_string(run));
        ASSERT_TRUE(start_on_display()) << log();
        const XWindow w = main_window();
        ASSERT_FALSE(w.name.empty());
        if (run > 1) {
            EXPECT_EQ(w.left, before.left);
            EXPECT_EQ(w.top, before.top);
        }
        ASSERT_TRUE(quit()) << log();
        EXPECT_EQ(saved("winleftx"), w.left);
        EXPECT_EQ(saved("wintopy"), w.top);
        before = w;
    }
}

// Within a session: a move puts the window where it was asked, a reopened
// main window (Narrow? rebuilds it) and a tool window closed and opened again
// keep their places.
TEST_F(WindowManagerProgram, WindowsKeepTheirPlacesWhenOpenedAgain) {
    ASSERT_TRUE(start_on_display()) << log();
    std::string result;
    ASSERT_EQ(send("MOVEWINDOW 100 100", &result), 0) << result;
    XWindow w = main_window();
    EXPECT_EQ(w.left, 100);
    EXPECT_EQ(w.top, 100);
    for (int reopen = 1; reopen <= 2; reopen++) {
        ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.NARROW", &result), 0) << result;
        w = main_window();
        EXPECT_EQ(w.left, 100) << "reopened " << reopen;
        EXPECT_EQ(w.top, 100) << "reopened " << reopen;
    }
    ASSERT_EQ(send("OPENMEMORY", &result), 0) << result;
    const XWindow first = main_window("Memory");
    ASSERT_FALSE(first.name.empty());
    for (int again = 1; again <= 2; again++) {
        ASSERT_EQ(send("CLOSEMEMORY", &result), 0) << result;
        ASSERT_EQ(send("OPENMEMORY", &result), 0) << result;
        const XWindow w2 = main_window("Memory");
        EXPECT_EQ(w2.left, first.left) << "opened again " << again;
        EXPECT_EQ(w2.top, first.top) << "opened again " << again;
    }
    ASSERT_TRUE(quit()) << log();
}
