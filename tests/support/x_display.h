// Test support: a virtual X display of the test's own (Xvfb, 1280 x 1024, no
// window manager unless one is started) for the program started on the "xcb"
// platform, and what the X server says of the program's windows.
//
//   XDisplay x;
//   if (!x.available()) GTEST_SKIP();
//   ASSERT_TRUE(x.start());   // DISPLAY names it until stop() or the end
//   pid = test_start_program(home.path(), {"PORTNAME", "E2E"}, "xcb");
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct XWindow {
    unsigned long id = 0;
    std::string name;
    int width = 0, height = 0, left = 0, top = 0;
};

class XDisplay {
  public:
    ~XDisplay() { stop(); }
    // Whether Xvfb and xwininfo are installed.
    static bool available();
    // Starts the server on a free display number and names it in DISPLAY;
    // false when none could be started.
    bool start();
    // Starts a window manager (openbox, or `program`) on the display, which
    // frames every window with a title bar and borders; false when it is not
    // installed or did not take the display.
    bool start_window_manager(const char* program = "/usr/bin/openbox");
    // Ends the window manager and the server and gives DISPLAY its value from before.
    void stop();
    // Holds the window manager (true) or lets it go on: what the program asks
    // of it meanwhile waits, as on a busy desktop.
    void hold_window_manager(bool held) const;
    const std::string& name() const { return display_; }
    // The windows of the program with a title, topmost first.
    std::vector<XWindow> windows() const;
    // The program's windows with a title wherever they lie in the window tree
    // (inside a window manager's frames too), each with the place of its own
    // area on the screen.
    std::vector<XWindow> client_windows() const;
    // The window that has the keyboard (xdotool's answer), 0 when none does
    // or xdotool is missing.
    unsigned long focus() const;
    // Waits until the topmost of the program's windows titled `name` has the
    // keyboard, giving it the keyboard when another window or none has it (as
    // a click on it would), up to TEST_HANG_SECONDS: whether it came to have
    // it. Keys typed then reach it, not the window under it.
    bool keys_reach(const std::string& name) const;
    // Runs `command` (a shell command line) with DISPLAY naming this display:
    // its exit status, -1 when it could not run.
    int run(const std::string& command) const;

  private:
    std::string display_, outer_display_;
    bool display_set_ = false;
    pid_t xvfb_ = -1, window_manager_ = -1;
};
