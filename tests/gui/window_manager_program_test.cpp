// The program's windows under a window manager that frames them (title bar,
// borders) on a virtual X display: each opens again where it was left, at
// every start, reopening and move. Skipped where Xvfb, xwininfo or the window
// manager (openbox) is missing.
#include "tests/support/program_test.h"
#include "tests/support/x_display.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

class WindowManagerProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (!XDisplay::available()) GTEST_SKIP() << "Xvfb or xwininfo is not installed";
        ASSERT_TRUE(x.start()) << "no virtual display could be started";
        if (!x.start_window_manager()) GTEST_SKIP() << "openbox is not installed";
    }
    void TearDown() override {
        ProgramTest::TearDown();
        x.stop();
    }
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
    // The window whose title starts with `title` once the program and the
    // window manager have settled; an empty name when there is none.
    XWindow window(const char* title) {
        std::string result;
        send("GETVERSION", &result);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        for (const XWindow& w : x.client_windows())
            if (w.name.rfind(title, 0) == 0) return w;
        return {};
    }
    int saved(const char* key) const {
        const std::string ini = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
        const std::size_t at = ini.find(std::string("\n") + key + "=");
        return at == std::string::npos ? -99999 : std::atoi(ini.c_str() + at + std::strlen(key) + 2);
    }

    XDisplay x;
};

} // namespace

// Three starts and quits: the main window opens each time where the one
// before was left, and the place saved is where it lay.
TEST_F(WindowManagerProgram, TheMainWindowOpensWhereItWasLeft) {
    XWindow before;
    for (int run = 1; run <= 3; run++) {
        SCOPED_TRACE("start " + std::to_string(run));
        ASSERT_TRUE(start_on_display()) << log();
        const XWindow w = window("Brindlemox ");
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
    XWindow w = window("Brindlemox ");
    EXPECT_EQ(w.left, 100);
    EXPECT_EQ(w.top, 100);
    for (int reopen = 1; reopen <= 2; reopen++) {
        ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.NARROW", &result), 0) << result;
        w = window("Brindlemox ");
        EXPECT_EQ(w.left, 100) << "reopened " << reopen;
        EXPECT_EQ(w.top, 100) << "reopened " << reopen;
    }
    ASSERT_EQ(send("OPENMEMORY", &result), 0) << result;
    const XWindow first = window("Memory");
    ASSERT_FALSE(first.name.empty());
    for (int again = 1; again <= 2; again++) {
        ASSERT_EQ(send("CLOSEMEMORY", &result), 0) << result;
        ASSERT_EQ(send("OPENMEMORY", &result), 0) << result;
        const XWindow w2 = window("Memory");
        EXPECT_EQ(w2.left, first.left) << "opened again " << again;
        EXPECT_EQ(w2.top, first.top) << "opened again " << again;
    }
    ASSERT_TRUE(quit()) << log();
}
