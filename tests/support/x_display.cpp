#include "tests/support/x_display.h"

#include "tests/support/hang_deadline.h"
#include "tests/support/wait_until.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

bool XDisplay::available() {
    return std::filesystem::exists("/usr/bin/Xvfb") && std::filesystem::exists("/usr/bin/xwininfo");
}

bool XDisplay::start() {
    // The server picks a free display number itself and writes it to the pipe
    // once it takes connections: two tests starting servers at once can never
    // share one, as they could by guessing a number whose socket was not there yet.
    int ready[2];
    if (pipe(ready) != 0) return false;
    const std::string fd = std::to_string(ready[1]);
    std::vector<std::string> args = {"/usr/bin/Xvfb", "-displayfd", fd, "-screen", "0", "1280x1024x24",
                                     "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&xvfb_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) xvfb_ = -1;
    close(ready[1]);
    std::string number;
    pollfd in{ready[0], POLLIN, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    while (xvfb_ > 0 && std::chrono::steady_clock::now() < end && poll(&in, 1, 100) >= 0) {
        char c = 0;
        if (!(in.revents & (POLLIN | POLLHUP))) continue;
        if (read(ready[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(ready[0]);
    if (number.empty()) {
        stop();
        return false;
    }
    display_ = ":" + number;
    if (const char* before = std::getenv("DISPLAY")) outer_display_ = before;
    setenv("DISPLAY", display_.c_str(), 1);
    display_set_ = true;
    return true;
}

bool XDisplay::start_window_manager(const char* program) {
    if (xvfb_ <= 0 || !std::filesystem::exists(program)) return false;
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    // It has taken the display once it names itself on the root window, or,
    // one that does not (twm), once it has made its own windows there. One
    // that gave up at once (it could not open the display of a server still
    // busy starting on a loaded machine) is started again.
    const char* taken = path == "/usr/bin/openbox"
                            ? "/usr/bin/xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
                            : "/usr/bin/xwininfo -root -children 2>/dev/null | grep -Eq '^ +[1-9][0-9]* child'";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    while (std::chrono::steady_clock::now() < end) {
        if (window_manager_ > 0 && waitpid(window_manager_, nullptr, WNOHANG) == window_manager_)
            window_manager_ = -1;
        if (window_manager_ <= 0 && posix_spawn(&window_manager_, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
            window_manager_ = -1;
            return false;
        }
        if (run(taken) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void XDisplay::hold_window_manager(bool held) const {
    if (window_manager_ > 0) kill(window_manager_, held ? SIGSTOP : SIGCONT);
}

// Ends `child`: asked with SIGTERM again every tenth of a second, killed
// after five. An X server asked while it still sets itself up forgets the
// request (it clears it as its dispatch loop begins), so one SIGTERM and a
// wait could wait forever.
static void end_child(pid_t child) {
    for (int tenths = 0; tenths < 50; tenths++) {
        kill(child, SIGTERM);
        kill(child, SIGCONT); // one held ends too
        if (waitpid(child, nullptr, WNOHANG) != 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

void XDisplay::stop() {
    if (window_manager_ > 0) {
        end_child(window_manager_);
        window_manager_ = -1;
    }
    if (xvfb_ > 0) {
        end_child(xvfb_);
        xvfb_ = -1;
    }
    if (!display_set_) return;
    display_set_ = false;
    if (outer_display_.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", outer_display_.c_str(), 1);
}

// The program's windows with a title that `xwininfo -root <which>` lists,
// each with its place on the screen, as the tool reports them:
// 0x400010 "title": ("brindlemox" "Brindlemox")  723x406+1+20  +438+406
static std::vector<XWindow> listed(const std::string& display, const char* which) {
    std::vector<XWindow> out;
    const std::string command =
        "DISPLAY=" + display + " /usr/bin/xwininfo -root " + which + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        const std::string text = line;
        const std::size_t open = text.find('"'), close = text.find("\": (\"brindlemox\"");
        if (open == std::string::npos || close == std::string::npos) continue;
        XWindow w;
        w.id = std::strtoul(text.c_str(), nullptr, 16);
        w.name = text.substr(open + 1, close - open - 1);
        const std::size_t at = text.find(')', close);
        int x = 0, y = 0;
        if (std::sscanf(text.c_str() + at + 1, " %dx%d+%d+%d %d%d", &w.width, &w.height, &x, &y,
                        &w.left, &w.top) == 6)
            out.push_back(w);
    }
    pclose(pipe);
    return out;
}

std::vector<XWindow> XDisplay::windows() const {
    return listed(display_, "-children");
}

std::vector<XWindow> XDisplay::client_windows() const {
    return listed(display_, "-tree");
}

unsigned long XDisplay::focus() const {
    const std::string command = "DISPLAY=" + display_ + " /usr/bin/xdotool getwindowfocus 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0;
    unsigned long id = 0;
    if (std::fscanf(pipe, "%lu", &id) != 1) id = 0;
    pclose(pipe);
    return id;
}

bool XDisplay::keys_reach(const std::string& name) const {
    return wait_until(
        [&] {
            const unsigned long has = focus();
            for (const XWindow& w : windows()) {
                if (w.name != name) continue;
                if (has == w.id) return true;
                // With no window manager the keyboard goes back to the root
                // when a window over this one goes: given to it, as a click would.
                run("/usr/bin/xdotool windowfocus " + std::to_string(w.id) + " 2>/dev/null");
                return false;
            }
            return false;
        },
        TEST_HANG_SECONDS, 50);
}

int XDisplay::run(const std::string& command) const {
    const int status = std::system(("DISPLAY=" + display_ + " " + command).c_str());
    return status < 0 || !WIFEXITED(status) ? -1 : WEXITSTATUS(status);
}
