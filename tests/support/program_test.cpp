#include "tests/support/program_test.h"
#include "tests/support/checkout_paths.h"

#include "computers/pipbug.h"
#include "computers/twin_sdos.h"
#include "core/guest_roms.h"
#include "core/machine_table.h"
#include "tests/support/child_wait.h"
#include "tests/support/count_of.h"
#include "tests/support/port_client.h"
#include "tests/support/wait_until.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

void ProgramTest::TearDown() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (fd >= 0) close(fd);
    fresh_state();
}

bool ProgramTest::start(std::vector<std::string> args) {
    pid = test_start_program(home.path(), std::move(args), platform, audio, prefix);
    return pid > 0;
}

AddedAsanOptions::AddedAsanOptions(const std::string& extra) {
    const char* set = std::getenv("ASAN_OPTIONS");
    had_ = set != nullptr;
    kept_ = set ? set : "";
    const std::string options = kept_ + (kept_.empty() ? "" : ":") + extra;
    setenv("ASAN_OPTIONS", options.c_str(), 1);
}

AddedAsanOptions::~AddedAsanOptions() {
    if (had_)
        setenv("ASAN_OPTIONS", kept_.c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
}

pid_t test_start_program(const std::filesystem::path& home, std::vector<std::string> args,
                         const char* platform, const char* audio,
                         const std::vector<std::string>& prefix) {
    setenv("BRINDLEMOX_HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("QT_QPA_PLATFORM", platform, 1);
    setenv("SDL_AUDIODRIVER", audio, 1);
    // The machines the scripts choose find their monitor images (blank, as
    // a missing one leaves the area), so that no requester waits for a user.
    std::filesystem::create_directories(home / "roms");
    auto blank = [&home](const GuestRom& rom) {
        std::ofstream(home / "roms" / rom.name) << std::string(rom.size, '\0');
    };
    for (const GuestRom& rom : pipbug_roms)
        blank(rom);
    for (const GuestRom& rom : twin_roms)
        blank(rom);
    args.insert(args.begin(), test_program());
    args.insert(args.begin(), prefix.begin(), prefix.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log_path = (home / "program.log").string();
    posix_spawn_file_actions_addopen(&actions, 1, log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int err = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return err == 0 ? pid : -1;
}

IndexedPicture ProgramTest::picture(const std::string& name) {
    std::string result;
    const std::string path = (home.path() / name).string();
    EXPECT_EQ(send("SAVEPNG " + path, &result), 0) << result;
    IndexedPicture pic;
    EXPECT_EQ(png_read_indexed(path, &pic), "") << name;
    return pic;
}

// A program that never answers does not hold the test.
bool ProgramTest::port_up() {
    std::string result;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    while (std::chrono::steady_clock::now() < end) {
        if (send_within("GETVERSION", &result, &fd) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int ProgramTest::send_within(const std::string& line, std::string* result, int* over, int seconds) {
    return test_port_send("E2E", line, result, over, seconds);
}

int ProgramTest::send_while(int rc, const std::string& line, std::string* result, int* over) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    for (;;) {
        const int got = send_within(line, result, over);
        if (got != rc || std::chrono::steady_clock::now() >= end) return got;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int ProgramTest::wait_exit() {
    const int code = wait_child(pid, TEST_HANG_SECONDS);
    pid = -1;
    return code;
}

int ProgramTest::send(const std::string& line, std::string* result) {
    return send_within(line, result, &fd);
}

std::string ProgramTest::put(const std::string& name, const std::string& bytes) {
    test_write_file(home.path() / name, bytes);
    return (home.path() / name).string();
}

int ProgramTest::ask(const std::string& line, std::string* said) {
    std::string result;
    const int rc = send(line, &result);
    if (said) *said = result;
    return rc;
}

void ProgramTest::request(const std::string& line) {
    std::string result;
    const int rc = send(line, &result);
    EXPECT_GE(rc, 0) << line << ": no answer";
    EXPECT_LE(rc, 5) << line << ": " << result;
}

void ProgramTest::stop_mid_frame() {
    const std::string game = put("a1.bin", std::string("\x04\x12\xCC\x18\x00\x1B\x7E", 7));
    for (const std::string& line :
         {std::string("SETMACHINE ARCADIA"), "OPEN " + game, std::string("DEBUGGER \"E 1 0\""),
          std::string("DEBUGGER \"BP 0\""), std::string("MENU PROJECT.RESETTOGAME")}) {
        std::string result;
        ASSERT_EQ(send(line, &result), 0) << line << ": " << result;
    }
    ASSERT_TRUE(printed("Hit code breakpoint at $0")) << log();
}

std::uint32_t ProgramTest::guest_clocks() {
    std::string view;
    if (send("DEBUGGER TU 1", &view) != 0 || send("DEBUGGER V CPU", &view) != 0) return 0;
    return test_clocks_in_view(view);
}

std::uint32_t test_clocks_in_view(const std::string& view) {
    const std::size_t at = view.find("Clock:");
    if (at == std::string::npos) return 0;
    std::uint32_t clocks = 0;
    for (std::size_t i = view.find_first_not_of(' ', at + 6); i < view.size(); i++)
        if (view[i] >= '0' && view[i] <= '9')
            clocks = clocks * 10 + static_cast<std::uint32_t>(view[i] - '0');
        else if (view[i] != ',')
            break;
    return clocks;
}

std::string ProgramTest::log() const {
    return test_read_file(home.path() / "program.log");
}

bool ProgramTest::printed(const std::string& text, int times) const {
    return wait_until([&] { return count_of(log(), text) >= times; });
}

std::uint32_t ProgramTest::frame_clocks(unsigned m, unsigned frames) {
    double row = machine_live[m].clocks_per_frame;
    if (row < 1000.0) row = machine_table[m].start.clocks_per_frame;
    return static_cast<std::uint32_t>((row >= 1000.0 ? row : 14900.0) * frames);
}

bool ProgramTest::guest_ran(std::uint32_t clocks) {
    std::uint32_t last = guest_clocks();
    std::uint64_t ran = 0;
    return wait_until([&] {
        const std::uint32_t now = guest_clocks();
        if (now == 0) return false;
        if (last != 0 && now > last) ran += now - last; // a step back is a state loaded
        last = now;
        return ran >= clocks;
    });
}

bool ProgramTest::frames_ran(unsigned frames) {
    constexpr const char* REACHED = "Reached next frame (";
    unsigned long ran = 0, last = 0;
    bool counted = false;
    return wait_until(
        [&] {
            const int before = count_of(log(), REACHED);
            std::string said;
            if (send("DEBUGGER \"R F\"", &said) != 0 || !printed(REACHED, before + 1)) return false;
            const std::string text = log();
            const unsigned long now = std::strtoul(
                text.c_str() + text.rfind(REACHED) + std::strlen(REACHED), nullptr, 10);
            if (counted && now > last) ran += now - last;
            counted = true;
            last = now;
            if (send("DEBUGGER G", &said) != 0) return false;
            return ran >= frames;
        },
        TEST_HANG_SECONDS, 50);
}
