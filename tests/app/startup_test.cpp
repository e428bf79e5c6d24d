#include "tests/support/count_of.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/seams_services.h"
#include "core/settings.h"
#include "app/mainloop.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "display/frame.h"
#include "display/led.h"
#include "gui/main_window.h"
#include "input/joysticks.h"
#include "machines/uvi2637.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/gui_headless.h"
#include "platform/paths.h"
#include "tests/core/home_fixture.h"
#include "tests/support/child_wait.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int passes = 0;
bool window_seen = false;
void no_frame() {}
void quit_after_two() {
    window_seen = window_seen || gui_main_window_is_open();
    if (++passes == 2) pending_actions |= PA_QUIT;
}
const MainLoopHooks quitting = {no_frame, quit_after_two};

// An event pass that gets a signal from outside, then checks for a break as the
// window's event pass does.
int signal_to_raise = 0;
void signalled_events() {
    std::raise(signal_to_raise);
    app_check_break();
}
const MainLoopHooks signalled = {no_frame, signalled_events};

// An event pass that checks for a break, then quits on the second pass.
void checking_events() {
    ++passes;
    app_check_break();
    if (passes == 2) pending_actions |= PA_QUIT;
}
const MainLoopHooks breaking = {no_frame, checking_events};

class Startup : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        setenv("BRINDLEMOX_HOME", (dir + "/home").c_str(), 1);
        fs::current_path(dir);
        fake_clock_install(1000);
        app_exit_process = throw_exit;
        app_set_loop_hooks(&quitting);
        passes = 0;
        window_seen = false;
    }
    // Runs app_main with the arguments; returns the exit code, output in *out
    // and the standard error in *err. The start-up's own reset leaves the
    // console as the only sink, so what it prints is read on standard output.
    int run(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
        args.insert(args.begin(), "brindlemox");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int code = -1;
        try {
            app_main(static_cast<int>(args.size()), argv.data());
        } catch (const Exited& e) {
            code = e.code;
        }
        std::string errors = testing::internal::GetCapturedStderr();
        std::string printed = testing::internal::GetCapturedStdout();
        if (out) *out = printed;
        if (err) *err = errors;
        return code;
    }
};

} // namespace

TEST_F(Startup, ANormalStartOpensTheWindowRunsTheLoopAndQuitsWithZero) {
    EXPECT_EQ(run({}), 0);
    EXPECT_TRUE(window_seen);
    EXPECT_EQ(passes, 2);
    EXPECT_FALSE(gui_main_window_is_open());
    const fs::path home = dir + "/home";
    EXPECT_TRUE(fs::is_regular_file(home / "Configs" / "Brindlemox.ini"));
    EXPECT_TRUE(fs::is_directory(home / "Games"));
    EXPECT_EQ(fs::current_path(), fs::path(dir)); // the start directory again
    EXPECT_EQ(app_exit_steps.back(), "end");
}

// A kill or a closed terminal ends the program like CTRL-C: through the exit
// path, which writes the settings, high scores and autosave, with code 0. The
// run is in a child process, so that a signal that is not handled ends only it.
TEST_F(Startup, TerminationSignalsLeaveThroughTheExitPath) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        const fs::path home = dir + "/home-" + std::to_string(sig);
        setenv("BRINDLEMOX_HOME", home.c_str(), 1);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // What the run prints ("User break!") is not looked at.
            if (!std::freopen("/dev/null", "w", stdout)) _exit(98);
            signal_to_raise = sig;
            app_set_loop_hooks(&signalled);
            int code = 99;
            try {
                char name[] = "brindlemox";
                char* argv[] = {name, nullptr};
                app_main(1, argv);
            } catch (const Exited& e) {
                code = e.code;
            }
            std::fflush(stdout);
            _exit(code);
        }
        EXPECT_EQ(wait_child(child, 60), 0) << "signal " << sig << " ended the run, or it hung";
        // Written only at exit.
        EXPECT_TRUE(fs::is_regular_file(home / "Configs" / "Brindlemox.ini")) << sig;
        EXPECT_TRUE(fs::is_regular_file(home / "Configs" / "Brindlemox.hgh")) << sig;
        EXPECT_TRUE(fs::is_regular_file(home / "Games" / "AUTOSAVE.COS")) << sig;
    }
}

TEST_F(Startup, AHomeThatCannotBeMadeIsReportedWithItsReason) {
    std::ofstream(dir + "/plain") << "a file where a folder should be";
    setenv("BRINDLEMOX_HOME", (dir + "/plain/home").c_str(), 1);
    std::string out;
    EXPECT_EQ(run({}, &out), 1);
    EXPECT_NE(out.find("Can't create the program's home folder \"" + dir +
                       "/plain/home\" (Not a directory)!\n"),
              std::string::npos)
        << out;
    EXPECT_FALSE(window_seen);
}

// A scripting port whose socket cannot lie in the runtime folder, as that
// lies too deep for a Unix socket's path, is refused with that path.
TEST_F(Startup, APortWhoseSocketPathIsTooLongNamesThePath) {
    const std::string run_dir = dir + "/" + std::string(100, 'r');
    fs::create_directories(run_dir);
    fs::permissions(run_dir, fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", run_dir.c_str(), 1);
    std::string out;
    EXPECT_EQ(run({"PORTNAME", "DEEP"}, &out), 1);
    const std::string path = run_dir + "/brindlemox/DEEP";
    const std::string text = "Can't create ARexx object (its socket path \"" + path + "\" is " +
                             std::to_string(path.size()) +
                             " bytes long; a socket path takes at most 107)!";
    EXPECT_NE(out.find(text + "\n"), std::string::npos) << out;
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    EXPECT_NE(gui_headless_requesters()[0].find(text), std::string::npos)
        << gui_headless_requesters()[0];
    // The port's own numbered names meet the same folder.
    EXPECT_EQ(run({}, &out), 1);
    EXPECT_NE(out.find("(its socket path \"" + run_dir + "/brindlemox/BRINDLEMOX.1\" is "),
              std::string::npos)
        << out;
}

// Shipped files that are missing are copied at every start; a copy the user
// changed (even to nothing) stays as it is; copies that fail are reported in
// one line.
TEST_F(Startup, AStartCopiesOnlyMissingShippedFiles) {
    const fs::path shipped = path_resources();
    ASSERT_FALSE(shipped.empty());
    const fs::path home = dir + "/home";
    fs::create_directories(home);
    std::ofstream(home / "typeright") << "a file where a folder should be";
    std::string out;
    EXPECT_EQ(run({}, &out), 0) << out;
    EXPECT_EQ(count_of(out, "of the program's files could not be copied"), 1) << out;
    fs::remove(home / "typeright");
    fs::remove(home / "help" / "index.html");
    std::ofstream(home / "sounds" / "coin.8svx", std::ios::trunc).flush();
    passes = 0;
    EXPECT_EQ(run({}, &out), 0);
    EXPECT_EQ(count_of(out, "could not be copied"), 0) << out;
    for (const auto& e : fs::recursive_directory_iterator(shipped)) {
        if (e.is_directory()) continue;
        const fs::path copy = home / fs::relative(e.path(), shipped);
        if (copy.filename() == "coin.8svx")
            EXPECT_EQ(fs::file_size(copy), 0u);
        else
            EXPECT_TRUE(test_read_file(copy) == test_read_file(e.path())) << copy;
    }
}

// A relative home is the folder it names from where the program started, also
// after the program has entered it.
TEST_F(Startup, ARelativeHomeIsTakenFromTheStartFolder) {
    setenv("BRINDLEMOX_HOME", "relhome", 1);
    EXPECT_EQ(run({}), 0);
    EXPECT_EQ(path_progdir(), dir + "/relhome");
    EXPECT_TRUE(fs::is_regular_file(dir + "/relhome/Configs/Brindlemox.ini"));
    EXPECT_TRUE(fs::is_regular_file(dir + "/relhome/help/index.html"));
    EXPECT_FALSE(fs::exists(dir + "/relhome/relhome"));
}

// A second run on a home another one holds says so, runs, and writes none of
// the session's files at exit.
TEST_F(Startup, ASecondRunOnALockedHomeWritesNothingAtExit) {
    const fs::path configs = dir + "/home/Configs";
    fs::create_directories(configs);
    const int held = open((configs / "Brindlemox.lock").c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    std::string out;
    EXPECT_EQ(run({}, &out), 0);
    EXPECT_EQ(count_of(out, "Another Brindlemox is using \"" + dir + "/home\""), 1) << out;
    EXPECT_TRUE(window_seen);
    for (const char* never : {"settings", "high scores", "autosave"})
        EXPECT_EQ(std::count(app_exit_steps.begin(), app_exit_steps.end(), never), 0) << never;
    EXPECT_FALSE(fs::exists(configs / "Brindlemox.ini"));
    close(held);

    // Once free, the home is this run's again.
    passes = 0;
    EXPECT_EQ(run({}, &out), 0);
    EXPECT_EQ(count_of(out, "Another Brindlemox"), 0) << out;
    EXPECT_TRUE(fs::exists(configs / "Brindlemox.ini"));
}

// An event pass that removes the home's lock file on the first pass, and with
// `other_run` set locks a new file there as another run starting then would.
std::string lock_path;
bool other_run = false;
int other_lock = -1;
void lock_file_events() {
    fake_clock_advance(600000); // the loop looks at its lock twice a second
    if (++passes == 1) {
        unlink(lock_path.c_str());
        if (other_run) {
            other_lock = open(lock_path.c_str(), O_RDWR | O_CREAT, 0644);
            if (flock(other_lock, LOCK_EX | LOCK_NB) != 0) other_lock = -1;
        }
    }
    if (passes == 3) pending_actions |= PA_QUIT;
}
const MainLoopHooks lock_removing = {no_frame, lock_file_events};

// A lock file removed under a running session is made again and held; once
// another run has locked a file in its place, the session says it lost the
// home and writes nothing at exit.
TEST_F(Startup, ARunThatLostItsHomeLockWritesNothingAtExit) {
    const fs::path configs = dir + "/home/Configs";
    lock_path = (configs / "Brindlemox.lock").string();
    app_set_loop_hooks(&lock_removing);
    other_run = false;
    std::string out;
    EXPECT_EQ(run({}, &out), 0);
    EXPECT_EQ(count_of(out, "lost its lock"), 0) << out;
    EXPECT_TRUE(fs::exists(configs / "Brindlemox.ini"));
    EXPECT_EQ(std::count(app_exit_steps.begin(), app_exit_steps.end(), "settings"), 1);
    EXPECT_TRUE(fs::exists(lock_path)); // made again while the run held the home

    fs::remove(configs / "Brindlemox.ini");
    fs::remove(configs / "Brindlemox.hgh");
    passes = 0;
    other_run = true;
    app_set_loop_hooks(&lock_removing);
    EXPECT_EQ(run({}, &out), 0);
    ASSERT_GE(other_lock, 0);
    EXPECT_EQ(count_of(out, "Brindlemox lost its lock on \"" + dir + "/home\""), 1) << out;
    for (const char* never : {"settings", "high scores", "autosave"})
        EXPECT_EQ(std::count(app_exit_steps.begin(), app_exit_steps.end(), never), 0) << never;
    EXPECT_FALSE(fs::exists(configs / "Brindlemox.ini"));
    EXPECT_FALSE(fs::exists(configs / "Brindlemox.hgh"));
    close(other_lock);
}

TEST_F(Startup, ABadArgumentStopsBeforeTheWindowWithOne) {
    std::string out;
    EXPECT_EQ(run({"PRI", "9"}, &out), 1);
    EXPECT_NE(out.find("brindlemox: Priority range is -128 to 5!\n"), std::string::npos);
    EXPECT_FALSE(window_seen);
    EXPECT_EQ(passes, 0);
    EXPECT_EQ(std::count(app_exit_steps.begin(), app_exit_steps.end(), "autosave"), 0);
    EXPECT_EQ(std::count(app_exit_steps.begin(), app_exit_steps.end(), "high scores"), 0);
}

TEST_F(Startup, DisgameWritesTheDisassemblyBesideTheNamedFileAndEnds) {
    { std::ofstream(dir + "/game.bin", std::ios::binary) << std::string(64, '\0'); }
    std::string out;
    EXPECT_EQ(run({"DISGAME", "game.bin"}, &out), 0); // relative to the start directory
    EXPECT_FALSE(window_seen);
    EXPECT_TRUE(fs::is_regular_file(dir + "/game.asm"));
    EXPECT_EQ(startup_mode, 2u);
    EXPECT_EQ(out.find("END"), std::string::npos) << out; // the listing is not echoed
    EXPECT_FALSE(fs::exists(dir + "/game.asm.tmp"));
}

// A file that cannot be disassembled is named, nothing is written and the run
// ends with 10.
TEST_F(Startup, ABatchDisassemblyOfAFileThatWasNotLoadedWritesNothingAndEndsWithTen) {
    fs::create_directory(dir + "/drawer.bin");
    for (const auto& [name, why] : {std::pair{"missing.bin", "not found"},
                                    std::pair{"drawer.bin", "a directory"}}) {
        SCOPED_TRACE(name);
        std::string out;
        EXPECT_EQ(run({"DISGAME", name}, &out), 10);
        const std::string said =
            "Can't load \"" + dir + "/" + name + "\" (" + std::string(why) + ")!\n\n";
        EXPECT_EQ(out.find(said), 0u) << out;
        EXPECT_EQ(out.find("Can't load", 1), std::string::npos) << out; // once
        EXPECT_FALSE(window_seen);
        const std::string stem = dir + "/" + std::string(name, std::strlen(name) - 4);
        EXPECT_FALSE(fs::exists(stem + ".asm"));
        EXPECT_FALSE(fs::exists(stem + ".asm.tmp"));
    }
}

TEST_F(Startup, ABatchDisassemblyOfACorruptFileWarnsOnStandardErrorAndEndsWithTen) {
    // A state file whose header is wrong: the loader refuses it with a warning.
    { std::ofstream(dir + "/broken.cos", std::ios::binary) << std::string(40, '\x7F'); }
    std::string out, err;
    EXPECT_EQ(run({"DISGAME", "broken.cos"}, &out, &err), 10);
    EXPECT_NE(err.find("Corrupt COS/COR file!"), std::string::npos) << err;
    EXPECT_EQ(out.find("Corrupt COS/COR file!"), std::string::npos);
    EXPECT_TRUE(gui_headless_requesters().empty()); // no box waits for a user
    EXPECT_FALSE(window_seen);
    EXPECT_FALSE(fs::exists(dir + "/broken.asm"));
}

namespace {
int assembler_result = 0;
std::vector<std::string> assembled;
int fake_assembler(const char* path) {
    assembled.push_back(path);
    return assembler_result;
}
} // namespace

// ASM assembles the named source and ends with the assembler's result (10
// errors, 5 warnings, 0 clean); an assembler that is not there ends it with 1.
// No window opens either way.
TEST_F(Startup, AnAssemblyRunEndsWithTheAssemblersResult) {
    struct Case {
        int result;
        int code;
    } cases[] = {{10, 10}, {5, 5}, {0, 0}, {-1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        assembled.clear();
        assembler_result = c.result;
        asm_assemble_startup = fake_assembler;
        EXPECT_EQ(run({"ASM", "game.asm"}), c.code);
        EXPECT_EQ(assembled, std::vector<std::string>{dir + "/game.asm"});
        EXPECT_EQ(startup_mode, 1u);
        EXPECT_FALSE(window_seen);
        EXPECT_EQ(passes, 0);
        fs::current_path(dir);
    }

    // The real assembler counts a source it cannot read as an error.
    asm_assemble_startup = asm_assemble_batch;
    EXPECT_EQ(run({"ASM", "missing.asm"}), 10);
    EXPECT_FALSE(window_seen);
    EXPECT_EQ(passes, 0);
}

// A batch run leaves the log alone even when the settings say to replace it.
TEST_F(Startup, ABatchRunLeavesTheLogAloneWhateverTheSettingsSay) {
    const fs::path run_dir = dir + "/run";
    fs::create_directories(run_dir);
    setenv("XDG_RUNTIME_DIR", run_dir.c_str(), 1);
    ASSERT_EQ(run({}), 0); // a session writes the settings file
    const fs::path ini = home / "home" / "Configs" / "Brindlemox.ini";
    std::string settings = test_read_file(ini.string());
    const size_t at = settings.find("logtofile=");
    ASSERT_NE(at, std::string::npos);
    settings.replace(at, settings.find('\n', at) - at, "logtofile=2");
    test_write_file(ini, settings);
    const fs::path log = run_dir / "Brindlemox.log";
    test_write_file(log, "an earlier session's log\n");
    fs::current_path(dir);
    asm_assemble_startup = asm_assemble_batch;
    EXPECT_EQ(run({"ASM", "missing.asm"}), 10);
    EXPECT_EQ(test_read_file(log.string()), "an earlier session's log\n");
}

// The start-up warning about a corrupt file does not wait for an answer (the
// port already answers, and nobody need be at the screen); CTRL-C while it
// is shown leaves through the exit path with 0, writing its settings.
TEST_F(Startup, ABreakWhileAStartUpWarningIsOpenClosesItAndLeaves) {
    { std::ofstream(dir + "/broken.cos", std::ios::binary) << std::string(40, '\x7F'); }
    app_set_loop_hooks(&breaking);
    gui_headless_answer_requesters({1});
    app_signal_break(); // the CTRL-C arrives while the program starts
    std::string out;
    EXPECT_EQ(run({"FILE=broken.cos"}, &out), 0);
    EXPECT_EQ(gui_headless_requesters().size(), 0u);
    ASSERT_EQ(gui_headless_notices().size(), 1u);
    // The file's warning, in the start's word on the file it did not load.
    EXPECT_EQ(gui_headless_notices()[0].rfind("Warning|\"", 0), 0u) << gui_headless_notices()[0];
    EXPECT_NE(gui_headless_notices()[0].find("/broken.cos\" was not loaded: Corrupt COS/COR file!"),
              std::string::npos)
        << gui_headless_notices()[0];
    EXPECT_EQ(gui_headless_answers_left(), 1); // nobody was asked
    EXPECT_NE(out.find("Brindlemox: User break!\n"), std::string::npos) << out;
    EXPECT_EQ(passes, 1); // the first check left
    EXPECT_NE(std::find(app_exit_steps.begin(), app_exit_steps.end(), "settings"),
              app_exit_steps.end());
    EXPECT_EQ(app_exit_steps.back(), "end");
}

TEST_F(Startup, AStartFromAnyStateBeginsWithTheProgramsOwnReset) {
    emu_speed = 7;
    turbo = 1;
    machine_live[PIPBUG].clocks_per_frame = 1.0;
    known_game_id = 3;
    file_loaded = 1;
    ui_mark(UI_TITLE | UI_SCALE);
    sprite_mode = 0;
    emu_reset_all();
    EXPECT_EQ(emu_speed, SPEED_NORMAL);
    EXPECT_EQ(sprite_mode, 2);
    EXPECT_EQ(turbo, 0u);
    EXPECT_NE(machine_live[PIPBUG].clocks_per_frame, 1.0);
    EXPECT_EQ(known_game_id, -1);
    EXPECT_EQ(file_loaded, 0);
    EXPECT_EQ(ui_changes_pending(), 0u);
    EXPECT_EQ(ini_write_text(), ini_default_text());
    EXPECT_EQ(app_exit_steps.size(), 0u);
}

// Whatever runs after the reset (a batch job, a test, the first frame) finds
// the fixed pictures drawn: the consoles' blanking bands show in the frame.
TEST_F(Startup, TheResetDrawsTheFixedPicturesOfTheFrame) {
    std::memset(blanking_picture_50, 0, sizeof blanking_picture_50);
    std::memset(blanking_picture_60, 0, sizeof blanking_picture_60);
    std::memset(led_panel_cells, 0x55, sizeof led_panel_cells);
    std::memset(guest_frame, 0x55, sizeof guest_frame);
    emu_reset_all();
    EXPECT_EQ(guest_frame[0], GUEST_FRAME_FILL);
    EXPECT_EQ(led_panel_cells[0], LED_ERASED);
    blankingareas = 1;
    prefs_user_chose(&blankingareas);
    const struct {
        u32 region;
        int x, y;
        u8 colour;
    } cases[] = {
        {0, 10, 0, 3},   // vertical blanking, front porch
        {0, 20, 30, 4},  // horizontal sync on an active line
        {0, 100, 4, 2},  // vertical sync
        {1, 20, 100, 4}, // the same at 50 Hz
        {1, 100, 13, 2},
    };
    for (const auto& c : cases) {
        emu_region = c.region;
        prefs_user_chose(&emu_region); // the user's video standard
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        ASSERT_EQ(emu_region, c.region);
        emu_run_frame();
        EXPECT_EQ(guest_frame[c.x * GUEST_FRAME_ROWS + c.y], c.colour)
            << c.region << ": " << c.x << "," << c.y;
    }
}

TEST_F(Startup, FullscreenOnTheCommandLineChoosesTheDisplayMode) {
    EXPECT_EQ(run({"FULLSCREEN", "on", "LOCKCONFIG"}), 0);
    EXPECT_EQ(display_mode, 1u);
    // LOCKCONFIG: the settings file is not written at exit.
    EXPECT_FALSE(fs::exists(dir + "/home/Configs/Brindlemox.ini"));
    display_mode = 0;
    fullscreen = 0;
}

namespace {
int pad_layer_opens = 0, pad_layer_closes = 0;
std::vector<std::string> pad_types;
u32 no_buttons(int) {
    return 0;
}
void note_type(int port, int type) {
    pad_types.push_back(std::to_string(port) + ":" + std::to_string(type));
}
void no_rumble(int) {}
const PadDevice quiet_pads = {no_buttons, no_buttons, note_type, no_rumble, no_rumble, true};
const PadDevice* open_quiet_pads(std::string&) {
    ++pad_layer_opens;
    return &quiet_pads;
}
void close_quiet_pads() {
    ++pad_layer_closes;
}
} // namespace

// The game controllers are opened at start-up unless NOLOWLEVEL is given, get
// their port types from the settings, and are closed by the exit path.
class StartupPads : public Startup, public testing::WithParamInterface<bool> {};

TEST_P(StartupPads, GameControllersOpenUnlessNoLowLevelAndCloseAtExit) {
    pad_layer = {open_quiet_pads, close_quiet_pads};
    {
        const bool nolowlevel = GetParam();
        SCOPED_TRACE(nolowlevel ? "NOLOWLEVEL" : "controllers wanted");
        pad_layer_opens = pad_layer_closes = 0;
        pad_types.clear();
        std::vector<std::string> args;
        if (nolowlevel) args.push_back("NOLOWLEVEL");
        EXPECT_EQ(run(args), 0);
        const long pads_steps = std::count(app_exit_steps.begin(), app_exit_steps.end(), "pads");
        EXPECT_EQ(pad_device, nullptr);
        if (nolowlevel) {
            EXPECT_EQ(pad_layer_opens, 0);
            EXPECT_EQ(pads_steps, 0);
            EXPECT_TRUE(pad_types.empty());
        } else {
            EXPECT_EQ(pad_layer_opens, 1);
            EXPECT_EQ(pad_layer_closes, 1);
            EXPECT_EQ(pads_steps, 1);
            // Sent once at start-up (controller_right defaults to the 2nd
            // digital joystick), then both ports back to autosense at exit.
            EXPECT_EQ(pad_types, (std::vector<std::string>{"0:0", "1:3", "0:0", "1:0"}));
        }
    }
    pad_layer = {};
}
INSTANTIATE_TEST_SUITE_P(NoLowLevel, StartupPads, testing::Bool());
