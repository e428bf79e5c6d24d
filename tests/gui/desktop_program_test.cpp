// The program on a real X display, used through its windows the way a user
// uses them: keys typed into the debugger's command line, Project > Quit in
// the menu strip, Yes in the quit window, Record in the papertape window.
// Skipped where Xvfb, xwininfo or xdotool is missing (or, for a full disk, no
// small file system can be mounted).
#include "core/frame.h"
#include "core/machine_table.h"
#include "tests/core/loading_support.h"
#include "tests/record/tools.h"
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"
#include "tests/support/row_name.h"
#include "tests/support/small_disk.h"
#include "tests/support/wait_until.h"
#include "tests/support/x_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class DesktopProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (!XDisplay::available() || !fs::exists("/usr/bin/xdotool"))
            GTEST_SKIP() << "Xvfb, xwininfo or xdotool is not installed";
        ASSERT_TRUE(x.start()) << "no virtual display could be started";
    }
    void TearDown() override {
        ProgramTest::TearDown();
        x.stop();
        if (!mounted.empty()) run_tool("umount -l '" + mounted.string() + "'", &rc);
    }
    // The window whose name starts with `name` (is `name`, with `whole`),
    // waited for up to the hang deadline (or, with `to_go`, waited out): its
    // geometry, or an empty name.
    XWindow wait_for(const std::string& name, bool whole = true, bool to_go = false) const {
        XWindow found;
        wait_until([&] {
            found = {};
            for (const XWindow& w : x.windows())
                if (found.name.empty() && (whole ? w.name == name : w.name.rfind(name, 0) == 0)) found = w;
            return found.name.empty() == to_go;
        }, TEST_HANG_SECONDS, 50);
        return found;
    }
    // The number of the program's windows titled `name` once it is `count`
    // (up to TEST_HANG_SECONDS): a question comes titled as the requester
    // it asks over.
    int titled(const std::string& name, int count) const {
        int now = 0;
        wait_until([&] {
            now = 0;
            for (const XWindow& w : x.windows())
                now += w.name == name;
            return now == count;
        });
        return now;
    }    // The user's keys and clicks, through the X server's test extension.
    void keys(const std::string& names) { x.run("/usr/bin/xdotool key --delay 80 " + names); }
    // The keyboard to the main window (its title names the file loaded, if
    // any), for its menus' shortcuts.
    // A machine switch may open the main window anew: wait until it is shown.
    // Its title is the machine (on some machines), the version, then the
    // file loaded and the state in brackets, each only where there is one
    // ("Brindlemox Selbstbaucomputer 36.4", "Brindlemox 36.4 (paused)").
    void focus_main() {
        EXPECT_TRUE(wait_until([&] {
            return x.run("/usr/bin/xdotool search --onlyvisible "
                         "--name '^Brindlemox (.* )?[0-9][0-9.]*(: .*| \\(.*)?$' windowfocus --sync") == 0;
        }, TEST_HANG_SECONDS, 100)) << "the main window never took the keyboard";
    }
    // The program's windows shown now (menus too).
    int shown() const {
        int status = 0;
        const std::string ids =
            run_tool("DISPLAY=" + x.name() + " /usr/bin/xdotool search --onlyvisible --class brindlemox", &status);
        return static_cast<int>(std::count(ids.begin(), ids.end(), '\n'));
    }
    void click(int left, int top) {
        x.run("/usr/bin/xdotool mousemove " + std::to_string(left) + " " + std::to_string(top) +
              " click 1");
    }
    bool running() const { return waitpid(pid, nullptr, WNOHANG) == 0; }
    // The program started on the display, the tip of the day over its main
    // window at start put away: its main window.
    XWindow start_on_display() {
        pid = test_start_program(home.path(), {"PORTNAME", "E2E"}, "xcb");
        EXPECT_GT(pid, 0);
        if (pid <= 0 || !port_up()) return {};
        // The tip shows at every start while the settings say so (the
        // default): put away once it has the keys.
        const std::string ini = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
        if (ini.find("\nshowtips=false\n") == std::string::npos) {
            EXPECT_FALSE(wait_for("Tip of the Day").name.empty()) << log();
            EXPECT_TRUE(x.keys_reach("Tip of the Day"));
            keys("Escape");
            EXPECT_TRUE(wait_for("Tip of the Day", true, true).name.empty());
        }
        return wait_for("Brindlemox ", false);
    }

    // Project > Quit from the main window `main`, answered with the key
    // `yes` in the quit window titled `title`: the notice of what could not
    // be finished is up. Check with ASSERT_NO_FATAL_FAILURE.
    void quit_from_the_menu(const XWindow& main, const std::string& title,
                            const char* yes = "Return") {
        const int before = shown();
        click(main.left + 30, main.top + 10); // the "Project" menu
        ASSERT_TRUE(wait_until([&] { return shown() > before; })) << "the menu did not open";
        keys("Up Return"); // its last item, Quit
        ASSERT_FALSE(wait_for(title).name.empty()) << log();
        ASSERT_TRUE(x.keys_reach(title)) << title;
        keys(yes);
        ASSERT_FALSE(wait_for("Warning").name.empty()) << log();
    }

    // Project > Quit > Yes on the Arcadia: the notice waits until OK, then
    // the program ends with 0. Check with ASSERT_NO_FATAL_FAILURE.
    void quit_and_read_the_notice(const XWindow& main) {
        ASSERT_NO_FATAL_FAILURE(quit_from_the_menu(main, "Brindlemox 36.4"));
        EXPECT_TRUE(running()) << "the program did not wait for the notice to be read";
        ASSERT_TRUE(x.keys_reach("Warning"));
        keys("Return"); // OK
        EXPECT_EQ(wait_exit(), 0) << log();
        pid = -1;
    }

    // The TWIN started on the display with `tape` in papertape unit 0 and the
    // Papertape Units window open: that window (no name when it did not open).
    XWindow papertape_units(const fs::path& tape) {
        if (start_on_display().name.empty()) return {};
        std::string result;
        send("SETMACHINE TWIN", &result); // 5: its ROM images are missing
        EXPECT_EQ(ask("OPEN " + tape.string()), 0);
        EXPECT_EQ(ask("MENU PERIPHERALS.PAPERTAPE"), 0);
        // Where it stays: a window just opened may still be put in its place.
        const std::string name = "Papertape Units: " + tape.filename().string();
        XWindow units = wait_for(name);
        for (int i = 0; i < 20 && !units.name.empty(); i++) {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            const XWindow now = wait_for(name);
            if (now.left == units.left && now.top == units.top && now.width == units.width &&
                now.height == units.height)
                break;
            units = now;
        }
        return units;
    }
    // Clicks the punch unit's transport button `button` pixels across `units`.
    void punch_button(const XWindow& units, int button) {
        click(units.left + button, units.top + 83);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    XDisplay x;
    fs::path mounted;
    int rc = 0;
};

} // namespace

// A recording played with its GIF and WAV generated onto a disk with no room
// left, and recorded on from there: after Project > Quit > Yes the program
// shows, in one notice, the files it could not finish and why, waits for OK,
// and ends normally.
TEST_F(DesktopProgram, QuitFromTheMenuShowsWhatCouldNotBeFinished) {
    const fs::path dir = home.path() / "full";
    fs::create_directories(dir);
    run_tool("mount -t tmpfs -o size=512k tmpfs '" + dir.string() + "' 2>/dev/null", &rc);
    if (rc != 0) GTEST_SKIP() << "no small file system can be mounted here";
    mounted = dir;
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    // The Arcadia sounding a tone, its state followed by 600 frames of
    // untouched controls: take.cor on the small disk.
    ASSERT_EQ(ask("DEBUGGER E 18FD 40"), 0);
    ASSERT_EQ(ask("DEBUGGER E 18FE 0F"), 0);
    const fs::path state = home.path() / "take.cos";
    ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
    ASSERT_TRUE(write_recording(state, dir / "take.cor", 600, std::vector<u8>(6, 0)));
    struct statvfs room {};
    ASSERT_EQ(statvfs(dir.c_str(), &room), 0);
    const u64 left = u64(room.f_bavail) * room.f_frsize;
    ASSERT_GT(left, 8192u);
    // The outputs start, then run out; the part played replaces the take
    // beside it, which takes room for a second copy of it.
    const u64 take_size = fs::file_size(dir / "take.cor");
    ASSERT_GT(left, 8192u + take_size);
    write_bytes(dir / "filler", std::vector<u8>(left - 8192 - take_size, 'f'));
    for (const char* item : {"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.SOUNDS.WAV"})
        ASSERT_EQ(ask(std::string("MENU ") + item), 0) << item;
    ASSERT_EQ(ask("OPEN " + (dir / "take.cor").string()), 0);
    ASSERT_EQ(ask("MENU MACRO.STARTRECORDING"), 0);
    // Recorded on at full speed, the take outgrows its last block: its
    // writes go through a buffer of a few KiB (six bytes a frame), which two
    // thousand frames fill several times over.
    ASSERT_EQ(statvfs(dir.c_str(), &room), 0);
    write_bytes(dir / "filler2", std::vector<u8>(u64(room.f_bavail) * room.f_frsize, 'f'));
    ASSERT_EQ(ask("MENU SETTINGS.SPEED.TURBO"), 0);
    ASSERT_TRUE(guest_ran(frame_clocks(ARCADIA, 2000)))
        << "two thousand frames recorded";

    const XWindow main = wait_for("Brindlemox ", false);
    ASSERT_FALSE(main.name.empty());
    // The quit window is titled with the machine's title alone (Brindlemox 36.4).
    ASSERT_NO_FATAL_FAILURE(quit_and_read_the_notice(main));
    const std::string said = log();
    for (const char* name : {"take.gif", "take.wav", "take.cor"})
        EXPECT_NE(said.find("Can't write to " + (dir / name).string() + ": No space left on device!"),
                  std::string::npos)
            << name << ": " << said;
    EXPECT_EQ(fs::exists(dir / "take.gif") || fs::exists(dir / "take.wav"), false);
}

// Project > Quit > Yes while the guest is stopped at a breakpoint in the
// middle of a frame: the notice names the autosave that was not written. The
// X server ending while the notice waits is said on the console; the run
// ends with the code it was ending with, and the log, written and closed,
// stays as it was.
TEST_F(DesktopProgram, ADisplayLostOnTheWayOutIsSaid) {
    // Once the display is gone the program frees no window (freeing one would
    // talk to the dead display): the quit window closed just before, waiting
    // to be freed, goes with the process.
    const AddedAsanOptions windows_left("detect_leaks=0");
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    ASSERT_EQ(ask("MENU SETTINGS.EMULATOR.REPLACELOG"), 0);
    ASSERT_NO_FATAL_FAILURE(stop_mid_frame());
    const XWindow main = wait_for("Brindlemox 36.4: a1.bin (paused during frame)");
    ASSERT_FALSE(main.name.empty()) << log();
    ASSERT_NO_FATAL_FAILURE(quit_from_the_menu(main, "Brindlemox 36.4"));
    const std::string named = "Autosave not written (the guest is stopped in the middle of a frame)";
    EXPECT_NE(log().find(named), std::string::npos) << log();
    x.stop();
    EXPECT_EQ(wait_exit(), 0) << log();
    pid = -1;
    EXPECT_NE(log().find("Brindlemox: The display went away!\n"), std::string::npos) << log();
    const std::string kept = test_read_file(home.path() / "Brindlemox.log");
    EXPECT_EQ(kept.rfind("Opened RAM:Brindlemox.log for writing at ", 0), 0u) << kept;
    EXPECT_NE(kept.find("Hit code breakpoint at $0"), std::string::npos) << kept;
    EXPECT_NE(kept.find(named), std::string::npos) << kept;
    EXPECT_NE(kept.find("Closed RAM:Brindlemox.log at "), std::string::npos) << kept;
}

// The settings and the high scores cannot be written on the way out (a
// folder took each file's name while the session ran): after Project > Quit
// > Yes the notice is up and waits for OK, and the console names both.
TEST_F(DesktopProgram, QuitFromTheMenuShowsSettingsAndHighScoresNotSaved) {
    const XWindow main = start_on_display();
    ASSERT_FALSE(main.name.empty()) << log();
    for (const char* file : {"Brindlemox.ini", "Brindlemox.hgh"}) {
        fs::remove(home.path() / "Configs" / file);
        fs::create_directories(home.path() / "Configs" / file / "mine");
    }
    ASSERT_NO_FATAL_FAILURE(quit_and_read_the_notice(main));
    for (const char* what : {"Settings not saved: ", "High scores not saved: "})
        EXPECT_NE(log().find(what), std::string::npos) << what << log();
    EXPECT_TRUE(fs::is_directory(home.path() / "Configs" / "Brindlemox.ini" / "mine"));
}

// In the debugger's command line cursor up recalls the commands given before,
// newest first, and Return runs the one shown.
TEST_F(DesktopProgram, CursorUpInTheCommandLineRecallsEarlierCommands) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    focus_main();
    keys("Tab"); // the keyboard to the command line
    x.run("/usr/bin/xdotool type --delay 40 'E 1800 5'");
    keys("Return");
    x.run("/usr/bin/xdotool type --delay 40 'E 1800 6'");
    keys("Return Up Up Return");
    std::string result;
    ASSERT_EQ(send("DEBUGGER \"D 1800 1800\"", &result), 0) << result;
    EXPECT_EQ(result.rfind("$1800: 05 ", 0), 0u) << result;
    ASSERT_EQ(send("DEBUGGER HISTORY", &result), 0) << result;
    EXPECT_EQ(result.find("E 1800 6\nE 1800 5\n"), 0u) << result;
    ASSERT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0);
    pid = -1;
}

// A recording stepped to in the game list (CTRL+cursor up) that is corrupt,
// while another plays: after the warning the title still names the file
// that runs, as the port's GETNAME still tells its game.
TEST_F(DesktopProgram, ARecordingThatFailsToLoadLeavesTheTitle) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    const fs::path state = home.path() / "take.cos", games = home.path() / "Games";
    ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
    std::vector<u8> take = read_bytes(state);
    ASSERT_GT(take.size(), 40u);
    take[2] = 1; // a recording follows the state
    take.resize(take.size() + 6 * 600);
    write_bytes(games / "take.cor", take);
    write_bytes(games / "take_bad.cor", {take.begin(), take.begin() + 40}); // cut short
    // Saved into the games drawer, the state lists the drawer: take_bad.cor
    // is its last row, below take.cor.
    ASSERT_EQ(ask("SAVEAS " + (games / "saved.cos").string()), 0);
    std::string name;
    ASSERT_EQ(send("OPEN " + (games / "take.cor").string(), &name), 0) << name;
    ASSERT_EQ(send("GETNAME", &name), 0);
    ASSERT_FALSE(wait_for("Brindlemox 36.4: take.cor (playback)").name.empty());
    focus_main();
    keys("ctrl+Down"); // from take.cor, selected as it was opened, to take_bad.cor
    ASSERT_FALSE(wait_for("Warning").name.empty()) << log();
    ASSERT_TRUE(x.keys_reach("Warning"));
    keys("Return");
    ASSERT_TRUE(wait_for("Warning", true, true).name.empty());
    EXPECT_FALSE(wait_for("Brindlemox 36.4: take.cor").name.empty())
        << wait_for("Brindlemox 36.4:", false).name;
    std::string after;
    ASSERT_EQ(send("GETNAME", &after), 0);
    EXPECT_EQ(after, name);
}

// The port's TURBO is Settings > Speed > Turbo: the title says so as the
// item makes it say, and no longer once it is off again.
TEST_F(DesktopProgram, TurboFromThePortShowsAsTheItemDoes) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    for (const char* on : {"MENU SETTINGS.SPEED.TURBO", "TURBO ON"}) {
        SCOPED_TRACE(on);
        ASSERT_EQ(ask(on), 0);
        EXPECT_FALSE(wait_for("Brindlemox 36.4 (turbo)").name.empty());
        ASSERT_EQ(ask("TURBO OFF"), 0);
        EXPECT_FALSE(wait_for("Brindlemox 36.4").name.empty());
    }
}

// A name typed without its suffix over a file that has it: each save
// requester asks about the file that would be written, and No keeps it.
TEST_F(DesktopProgram, SaveRequestersAskAboutTheNameWithItsSuffix) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    struct Save {
        const char *keys, *title, *drawer, *typed, *file;
    };
    for (const Save& s :
         {Save{"ctrl+s", "Save State", "Games", "report", "report.cos"},
          Save{"ctrl+braceleft", "Start Recording", "Games", "rec1", "rec1.cor"},
          Save{"ctrl+shift+e", "Save Screenshot as PNG", "Screenshots", "shot", "shot.png"}}) {
        const fs::path mine = home.path() / s.drawer / s.file;
        write_bytes(mine, {'m', 'i', 'n', 'e'});
        focus_main();
        keys(s.keys);
        ASSERT_FALSE(wait_for(s.title).name.empty()) << s.title << "\n" << log();
        ASSERT_TRUE(x.keys_reach(s.title)) << s.title;
        keys("ctrl+a");
        x.run(std::string("/usr/bin/xdotool type --delay 40 ") + s.typed);
        keys("Return");
        // The question, titled as the requester, over it.
        ASSERT_EQ(titled(s.title, 2), 2) << s.file;
        ASSERT_TRUE(x.keys_reach(s.title)) << s.file;
        keys("Return"); // No
        ASSERT_EQ(titled(s.title, 1), 1) << s.file;
        ASSERT_TRUE(x.keys_reach(s.title)) << s.file;
        keys("Escape"); // the requester cancelled
        ASSERT_TRUE(wait_for(s.title, true, true).name.empty()) << s.title;
        EXPECT_EQ(read_bytes(mine), (std::vector<u8>{'m', 'i', 'n', 'e'})) << s.file;
    }
}

// A start that loaded the autosave, then Save state as... with the name it
// offers: the question, Yes, and the autosave is written over, not beside.
TEST_F(DesktopProgram, SavingOverTheLoadedStateKeepsItsSuffix) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    ASSERT_EQ(ask("QUIT"), 0); // writes Games/AUTOSAVE.COS
    ASSERT_EQ(wait_exit(), 0) << log();
    const fs::path autosave = home.path() / "Games" / "AUTOSAVE.COS";
    const auto written = fs::last_write_time(autosave);
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    focus_main();
    keys("ctrl+s");
    ASSERT_FALSE(wait_for("Save State").name.empty()) << log();
    ASSERT_TRUE(x.keys_reach("Save State")) << "Save State";
    keys("Return");
    // The question, titled as the requester, over it.
    ASSERT_EQ(titled("Save State", 2), 2);
    ASSERT_TRUE(x.keys_reach("Save State"));
    keys("shift+Tab space"); // Yes
    ASSERT_TRUE(wait_for("Save State", true, true).name.empty());
    // The requester goes before the state is written.
    EXPECT_TRUE(wait_until([&] { return fs::last_write_time(autosave) > written; }));
    EXPECT_FALSE(fs::exists(autosave.parent_path() / "AUTOSAVE.cos"));
}

// A name whose file is write-protected (no write permission: so even for the
// superuser): the save requester says so and stays, however the user answers,
// and the file is kept.
TEST_F(DesktopProgram, SaveRequestersKeepAWriteProtectedFile) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    const fs::path mine = home.path() / "Games" / "locked.cos";
    write_bytes(mine, {'m', 'i', 'n', 'e'});
    fs::permissions(mine, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    focus_main();
    keys("ctrl+s");
    ASSERT_FALSE(wait_for("Save State").name.empty()) << log();
    ASSERT_TRUE(x.keys_reach("Save State")) << "Save State";
    keys("ctrl+a");
    x.run("/usr/bin/xdotool type --delay 40 locked");
    keys("Return");
    // The notice, titled as the requester, over it.
    ASSERT_EQ(titled("Save State", 2), 2);
    ASSERT_TRUE(x.keys_reach("Save State"));
    keys("shift+Tab space"); // the other button, where there is one
    // The requester, still asking for a name.
    EXPECT_EQ(titled("Save State", 1), 1);
    ASSERT_TRUE(x.keys_reach("Save State"));
    keys("Escape");
    ASSERT_TRUE(wait_for("Save State", true, true).name.empty());
    EXPECT_EQ(read_bytes(mine), (std::vector<u8>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(ask("QUIT"), 0);
}

// A tape punched through the window's Record goes back to its file before
// that file is opened again on the TWIN, so that the high-speed reader reads
// what was punched. Once the disk is full it cannot go back: opening it
// again is refused, and a switch of machine keeps it. Leaving drops it:
// QUIT names it in its reply (5), a break on the console.
TEST_F(DesktopProgram, APunchedTapeThatCannotGoBackIsNamedOnTheWayOut) {
    SmallDisk disk;
    if (!disk.mount(home.path() / "disk", "64k")) GTEST_SKIP() << "no small file system here";
    const fs::path tape = home.path() / "disk" / "k.pap";
    const std::string named =
        "Papertapes not back in their files: unit 0 (\"k.pap\"); they are dropped.\n";
    for (const std::string way : {"QUIT", "break"}) {
        fs::remove(home.path() / "disk" / "filler");
        write_bytes(tape, {'O', 'L', 'D'});
        const XWindow units = papertape_units(tape);
        ASSERT_FALSE(units.name.empty()) << log();
        std::string result;
        punch_button(units, 40); // Record
        ASSERT_EQ(ask("DEBUGGER \"WRITEPORT E8 4E\""), 0); // the console prints onto the tape
        EXPECT_EQ(send("OPEN " + tape.string(), &result), 0) << result; // into the reader
        EXPECT_EQ(read_bytes(tape), (std::vector<u8>{'N', 'L', 'D'})) << way;
        EXPECT_FALSE(wait_for("Papertape Units: k.pap & k.pap").name.empty());

        ASSERT_EQ(ask("DEBUGGER \"WRITEPORT E8 45\""), 0);
        disk.fill();
        EXPECT_EQ(send("OPEN " + tape.string(), &result), 10) << way; // over the punched one
        EXPECT_NE(result.find("Can't write the papertape to " + tape.string() +
                              ": No space left on device!"),
                  std::string::npos)
            << result;
        send("SETMACHINE PIPBUG", &result);
        if (way == "QUIT") {
            // The try on the way out is made ahead of the reply, which says why it failed.
            EXPECT_EQ(send("QUIT", &result), 5);
            EXPECT_EQ(result, named + "Can't write the papertape to " + tape.string() +
                                  ": No space left on device!\n");
        } else {
            kill(pid, SIGTERM);
        }
        EXPECT_EQ(wait_exit(), 0) << way;
        pid = -1;
        const std::string said = log();
        if (way == "break") {
            EXPECT_NE(said.find("Brindlemox: User break!\n" + named), std::string::npos) << said;
        }
        // Leaving tries once more, and says why it could not.
        EXPECT_NE(said.find("Can't write the papertape to " + tape.string()), std::string::npos)
            << said;
        EXPECT_EQ(read_bytes(tape), (std::vector<u8>{'N', 'L', 'D'})) << way;
        close(fd);
        fd = -1;
    }
}

// A tape punched on the TWIN goes back to its file before that file is read
// in again under another name (a link, "..", a second hard link, "./"), into
// the reader or the punch unit; the punch unit holds what was punched and
// punches on at its end, and the window lets it run there, so that nothing
// punched is lost on the way out.
TEST_F(DesktopProgram, APunchedTapeGoesBackBeforeItsFileIsReadUnderAnotherName) {
    const fs::path dir = home.path() / "tapes", tape = dir / "k.pap";
    fs::create_directories(dir / "sub");
    write_bytes(tape, {'A', 'B', 'C'});
    fs::create_symlink("k.pap", dir / "lnk.pap");
    fs::create_hard_link(tape, dir / "hard.pap");
    const XWindow units = papertape_units(tape);
    ASSERT_FALSE(units.name.empty()) << log();
    std::string result, punched = "ABC";
    const auto press = [&](int button) { punch_button(units, button); };
    for (const char* name : {"lnk.pap", "sub/../k.pap", "hard.pap", "./k.pap", ""}) {
        press(234); // to the end
        press(40);  // Record
        const char frame = static_cast<char>('D' + punched.size() - 3);
        char line[40];
        std::snprintf(line, sizeof line, "DEBUGGER \"WRITEPORT E8 %02X\"", frame);
        ASSERT_EQ(ask(line), 0); // the console prints onto the tape
        press(299);              // Stop
        punched += frame;
        EXPECT_EQ(send(name[0] ? "OPEN " + (dir / name).string() : "QUIT", &result), 0) << result;
        if (!name[0]) {
            EXPECT_EQ(wait_exit(), 0);
        }
        const std::vector<u8> now = read_bytes(tape);
        EXPECT_EQ(std::string(now.begin(), now.end()), punched) << name;
    }
    pid = -1;
}

// A punched tape whose file another program replaced: Eject warns that a
// second Eject writes there all the same, and nothing else does: Project >
// Quit > Yes and the port's QUIT keep the other program's file, as the quit
// window and QUIT's reply say, and OPEN of the name is refused each time.
TEST_F(DesktopProgram, OnlyEjectWritesAPunchedTapeOverAReplacedFile) {
    const fs::path tape = home.path() / "w.pap";
    const std::vector<u8> theirs{'T', 'H', 'I', 'R', 'D'};
    for (const std::string way : {"menu", "QUIT"}) {
        write_bytes(tape, {'O', 'L', 'D'});
        const XWindow units = papertape_units(tape);
        ASSERT_FALSE(units.name.empty()) << log();
        std::string result;
        const auto press = [&](int button) { punch_button(units, button); };
        press(40); // Record
        ASSERT_EQ(ask("DEBUGGER \"WRITEPORT E8 21\""), 0);
        press(299); // Stop
        write_bytes(home.path() / "t", theirs);
        fs::rename(home.path() / "t", tape);
        press(364); // Eject
        ASSERT_FALSE(wait_for("Warning").name.empty()) << log();
        ASSERT_TRUE(x.keys_reach("Warning"));
        keys("Return");
        ASSERT_TRUE(wait_for("Warning", true, true).name.empty());
        EXPECT_EQ(read_bytes(tape), theirs) << way;
        if (way == "menu") {
            const XWindow main = wait_for("Brindlemox ", false);
            // Yes ("y"), past the papertape the quit window names.
            ASSERT_NO_FATAL_FAILURE(quit_from_the_menu(main, "Brindlemox TWIN 36.4", "y"));
            ASSERT_TRUE(x.keys_reach("Warning"));
            keys("Return");
        } else {
            for (int i = 0; i < 2; i++) {
                EXPECT_EQ(send("OPEN " + tape.string(), &result), 10) << result;
                EXPECT_NE(result.find("was replaced by another file"), std::string::npos) << result;
            }
            // Named as dropped, then not written back, ahead of the reply.
            EXPECT_EQ(send("QUIT", &result), 5);
            EXPECT_EQ(result, "Papertapes not back in their files: unit 0 (\"w.pap\"); "
                              "they are dropped.\nCan't write the papertape back: its file " +
                                  tape.string() +
                                  " was replaced by another file since it went in.\n");
        }
        EXPECT_EQ(wait_exit(), 0) << way;
        pid = -1;
        EXPECT_EQ(read_bytes(tape), theirs) << way;
        EXPECT_NE(log().find("Can't write the papertape back: its file " + tape.string() +
                             " was replaced by another file since it went in."),
                  std::string::npos)
            << log();
        close(fd);
        fd = -1;
    }
}

// An empty papertape, as Create papertape... leaves one when nothing was
// punched, goes into the unit when opened through the port and when named on
// the command line, as the window's Insert papertape... takes it.
TEST_F(DesktopProgram, AnEmptyPapertapeGoesInWhereverItIsOpened) {
    write_bytes(home.path() / "e.pap", {});
    write_bytes(home.path() / "f.pap", {});
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    std::string result;
    send("SETMACHINE PIPBUG", &result); // 5: its ROM image is missing
    EXPECT_EQ(send("OPEN " + (home.path() / "e.pap").string(), &result), 0) << result;
    EXPECT_FALSE(wait_for("Papertape Unit: e.pap").name.empty()) << log();
    ASSERT_EQ(ask("QUIT"), 0);
    ASSERT_EQ(wait_exit(), 0);
    close(fd);
    fd = -1;
    // Started again on the PIPBUG it was left on, with the tape to load.
    pid = test_start_program(home.path(), {"PORTNAME", "E2E", "FILE=" + (home.path() / "f.pap").string()},
                             "xcb");
    ASSERT_TRUE(port_up()) << log();
    EXPECT_FALSE(wait_for("Papertape Unit: f.pap").name.empty()) << log();
    EXPECT_EQ(log().find("Can't load"), std::string::npos) << log();
}

// Project > Open... (Ctrl+O) with a name typed without its suffix: the
// requester takes it, and the program finds the file with the machine's
// suffix in either letter case, else as a ZIP archive. Open with no name at
// all confirms the drawer and loads nothing.
TEST_F(DesktopProgram, TheOpenRequesterTakesANameTypedWithoutItsSuffix) {
    const fs::path games = home.path() / "Games";
    fs::create_directories(games);
    loading_test::write_zip(games / "lower.zip", {{"lower.bin", std::vector<u8>(4096, 0x5A)}});
    write_bytes(games / "upper.BIN", std::vector<u8>(4096, 0xA5));
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    const std::string title = "Open Game/State/Recording/Tape/Disk";
    struct Typed {
        const char *name, *first_byte;
    };
    for (const Typed& t : {Typed{"lower", "90"}, Typed{"upper", "165"}, Typed{"", "165"}}) {
        focus_main();
        keys("ctrl+o");
        ASSERT_FALSE(wait_for(title).name.empty()) << log();
        ASSERT_TRUE(x.keys_reach(title)) << title;
        keys("ctrl+a BackSpace");
        if (t.name[0]) x.run(std::string("/usr/bin/xdotool type --delay 40 ") + t.name);
        keys("Return");
        const bool taken = wait_for(title, true, true).name.empty();
        EXPECT_TRUE(taken) << "\"" << t.name << "\" refused";
        if (!taken) {
            keys("Return Escape"); // a refusal put away, and the requester
            ASSERT_TRUE(wait_for(title, true, true).name.empty());
        }
        // The requester goes before the file is loaded.
        std::string first;
        wait_until([&] { return send("PEEK 0", &first) == 0 && first == t.first_byte; });
        EXPECT_EQ(first, t.first_byte) << "\"" << t.name << "\"";
    }
}

// A gamepad map written by hand that is none of the 24 orders (Red and Blue
// both on guest button 1): Settings > Input > Rearrange gamepad buttons...
// shows it on the first order, and OK there, given for the other gamepad,
// leaves it in the settings file.
TEST_F(DesktopProgram, OkInTheRearrangeWindowKeepsAHandWrittenGamepadMap) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    ASSERT_EQ(ask("QUIT"), 0);
    ASSERT_EQ(wait_exit(), 0) << log();
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    const auto settings = [&] {
        std::ifstream in(ini);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::string text = settings();
    const std::string blue = "rightbutton_1=2\n";
    ASSERT_NE(text.find(blue), std::string::npos) << text;
    text.replace(text.find(blue), blue.size(), "rightbutton_1=1\n");
    std::ofstream(ini) << text;

    ASSERT_FALSE(start_on_display().name.empty()) << log();
    ASSERT_EQ(ask("MENU SETTINGS.INPUT.REARRANGE"), 0);
    ASSERT_FALSE(wait_for("Rearrange Gamepad Buttons").name.empty()) << log();
    x.run("/usr/bin/xdotool search --name '^Rearrange Gamepad Buttons$' windowfocus --sync");
    keys("Return");
    ASSERT_TRUE(wait_for("Rearrange Gamepad Buttons", true, true).name.empty());
    ASSERT_EQ(ask("QUIT"), 0);
    ASSERT_EQ(wait_exit(), 0) << log();
    text = settings();
    EXPECT_NE(text.find("rightbutton_0=1\nrightbutton_1=1\nrightbutton_2=3\nrightbutton_3=4\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("leftbutton_0=1\nleftbutton_1=2\nleftbutton_2=3\nleftbutton_3=4\n"),
              std::string::npos);
}

// Keys let go where the program does not see it, on the Selbstbaucomputer
// (whose keyboard port reads the next character): a key released in another
// window is typed again at its next press, and with keystrokes not queued the
// latch lets go of a key released there, or released while Alt is held.
TEST_F(DesktopProgram, AKeyReleasedUnseenIsUpForTheGuest) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    std::string result;
    send("SETMACHINE SELBST", &result); // 5: its ROM images are missing
    const auto port7 = [&] {
        std::string read;
        EXPECT_EQ(send("DEBUGGER \"READPORT 7\"", &read), 0);
        return read.substr(0, read.find('\n'));
    };
    // The guest's port 7 once it reads `wanted` (up to TEST_HANG_SECONDS).
    const auto port7_reads = [&](const std::string& wanted) {
        std::string now;
        wait_until([&] { return (now = port7()) == wanted; });
        return now;
    };
    // Where nothing is to change, a time for a change to show, if it came.
    const auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); };
    // Held in the main window, let go in the Adjust Sound window.
    const auto let_go_elsewhere = [&](const char* key) {
        focus_main();
        x.run(std::string("/usr/bin/xdotool keydown ") + key);
        settle();
        EXPECT_EQ(ask("MENU SETTINGS.SOUND.ADJUST"), 0);
        ASSERT_FALSE(wait_for("Adjust Sound").name.empty());
        ASSERT_TRUE(x.keys_reach("Adjust Sound"));
        x.run(std::string("/usr/bin/xdotool keyup ") + key);
        settle();
        keys("Escape");
        ASSERT_TRUE(wait_for("Adjust Sound", true, true).name.empty());
        focus_main();
        settle();
    };
    // Reading the port takes the character typed: it is read once typed.
    focus_main();
    keys("e");
    EXPECT_EQ(port7_reads("$45"), "$45");
    let_go_elsewhere("f");
    EXPECT_EQ(port7_reads("$46"), "$46");
    keys("f");
    settle();
    EXPECT_EQ(port7(), "$46") << "the press after was not typed";

    ASSERT_EQ(ask("MENU SETTINGS.INPUT.QUEUEKEYSTROKES"), 0); // off: the latch
    focus_main();
    x.run("/usr/bin/xdotool keydown a");
    EXPECT_EQ(port7_reads("$41"), "$41");
    x.run("/usr/bin/xdotool keydown alt keyup a keyup alt");
    EXPECT_EQ(port7_reads("$80"), "$80");
    let_go_elsewhere("b");
    EXPECT_EQ(port7(), "$80");
}

// Whenever the game list is listed anew (a state saved under a new name, the
// quicksave beside what runs, the built-in games hidden, a recording that
// stops) or a file is opened by any spelling of its path, the list selects
// what runs, and Ctrl+Down and Ctrl+wheel step from that row: past the last
// row nothing is loaded and a byte poked into what runs stays.
TEST_F(DesktopProgram, TheGameListStepsFromTheRowOfWhatRuns) {
    const XWindow main = start_on_display();
    ASSERT_FALSE(main.name.empty()) << log();
    const fs::path games = home.path() / "Games";
    ASSERT_EQ(ask("SETMACHINE INTERTON"), 0);
    ASSERT_EQ(ask("SAVEAS Games/s1.cos"), 0);
    ASSERT_EQ(ask("SAVEAS Games/s2.cos"), 0);
    int poked = 0x50;
    const auto nothing_past_the_last_row = [&](const char* after) {
        char poke[32];
        std::snprintf(poke, sizeof poke, "DEBUGGER \"E 1800 %X\"", ++poked);
        ASSERT_EQ(ask(poke), 0);
        const std::string value = std::to_string(poked);
        focus_main();
        keys("ctrl+Down");
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        std::string said;
        EXPECT_EQ(send("GETMACHINE", &said), 0) << after << ": " << said;
        EXPECT_EQ(said, "INTERTON") << after;
        EXPECT_EQ(send("PEEK 6144", &said), 0) << after;
        EXPECT_EQ(said, value) << after << ": what runs was loaded again";
    };
    nothing_past_the_last_row("SAVEAS of a new name");

    focus_main();
    keys("alt+s");
    ASSERT_TRUE(wait_until([&] { return fs::exists(games / "QUICKSAV.COS"); })) << log();
    nothing_past_the_last_row("the quicksave");

    ASSERT_EQ(ask("MENU VIEW.BUILTINGAMES"), 0);
    nothing_past_the_last_row("the built-in games hidden");

    focus_main();
    keys("ctrl+braceleft");
    ASSERT_FALSE(wait_for("Start Recording").name.empty()) << log();
    ASSERT_TRUE(x.keys_reach("Start Recording")) << "Start Recording";
    keys("ctrl+a");
    x.run("/usr/bin/xdotool type --delay 40 aa"); // listed before what runs
    keys("Return");
    ASSERT_TRUE(wait_for("Start Recording", true, true).name.empty());
    // The title names the state saved last, and that a recording is made; the
    // list selects what the title names, not the recording.
    ASSERT_FALSE(wait_for("Brindlemox Interton 36.4: s2.cos (recording)").name.empty());
    ASSERT_EQ(ask("MENU MACRO.STOP"), 0);
    nothing_past_the_last_row("a recording that stopped");

    // Opened by a host path spelled otherwise than the list's, s2.cos is
    // selected: the wheel turned up with Ctrl loads the row above it.
    ASSERT_EQ(ask("OPEN " + (games / ".." / "Games" / "." / "s2.cos").string()), 0);
    x.run("/usr/bin/xdotool mousemove " + std::to_string(main.left + 220) + " " +
          std::to_string(main.top + 200) + " keydown ctrl click 4 keyup ctrl");
    EXPECT_FALSE(wait_for("Brindlemox Interton 36.4: s1.cos").name.empty()) << log();
}

// Project > Open... (Ctrl+O) and Save state as... (Ctrl+S) put away with
// Escape, or Open... confirmed with no name (which only reads the drawer
// again), change nothing: the recording being played back plays on.
TEST_F(DesktopProgram, AFileRequesterPutAwayLeavesThePlaybackRunning) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    const fs::path state = home.path() / "take.cos";
    ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
    // Untouched Arcadia controls, 100 seconds.
    ASSERT_TRUE(write_recording(state, home.path() / "take.cor", 6000, std::vector<u8>(6, 0)));
    ASSERT_EQ(ask("OPEN " + (home.path() / "take.cor").string()), 0);
    auto playing = [this] {
        for (const XWindow& w : x.windows())
            if (w.name.rfind("Brindlemox ", 0) == 0 &&
                w.name.find("(playback)") != std::string::npos)
                return true;
        return false;
    };
    ASSERT_TRUE(wait_until(playing)) << "the title does not say so: " << log(); // its next pass
    struct Requester {
        const char *keys, *title;
        std::vector<const char*> ways_away;
    };
    const Requester requesters[] = {
        {"ctrl+o", "Open Game/State/Recording/Tape/Disk", {"Escape", "ctrl+a BackSpace Return"}},
        {"ctrl+s", "Save State", {"Escape"}}};
    for (const auto& [keys_down, title, ways_away] : requesters) {
        for (const char* away : ways_away) {
            SCOPED_TRACE(std::string(title) + " put away with " + away);
            focus_main();
            keys(keys_down);
            ASSERT_FALSE(wait_for(title).name.empty()) << log();
            ASSERT_TRUE(x.keys_reach(title)) << title;
            keys(away);
            ASSERT_TRUE(wait_for(title, true, true).name.empty());
            EXPECT_TRUE(wait_until(playing)) << "the title no longer says so";
            // Restart playback is offered only while a recording plays.
            EXPECT_EQ(ask("MENU MACRO.RESTARTPLAYBACK"), 0) << "the playback stopped";
        }
    }
}

namespace {

// One kind of file opened over a state of the machine that runs: `probe` is
// a byte of the machine's memory that the file holds as $5A (the state has
// $77 there; -1: a machine with no processor), `make` the port lines that
// write the file from the guest (the debugger's savers), `runs` whether the
// file is then what runs rather than something taken beside it.
struct Opened {
    const char* machine;
    int probe;
    std::string file;
    std::vector<std::string> make;
    bool runs;
};

std::string poke(int address, int value) {
    char line[48];
    std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%02X\"", address, value);
    return line;
}

std::string jump(int address) {
    char line[32];
    std::snprintf(line, sizeof line, "DEBUGGER \"JUMP $%X\"", address);
    return line;
}

} // namespace

// Every kind of file the loader takes, opened over a saved state: what runs
// afterwards (a state, a recording, a game, a program file, a source) names
// the window's title, Revert loads it again (assembles a source again) and
// it heads the recent files; a tape, disk, papertape or labels taken beside
// what runs leave the title and Revert on the state, as does a source where
// no processor runs it.
TEST_F(DesktopProgram, TheTitleAndRevertFollowWhatRuns) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    const fs::path projects = home.path() / "Projects";
    std::string image(4096, '\0');
    put_bytes(image, 0x0000, {0x1B, 0x7E});
    put_bytes(image, 0x0100, {0x5A});
    write_bytes(home.path() / "prog.bin", {image.begin(), image.end()});
    loading_test::write_zip(home.path() / "prog.zip",
                            {{"prog.bin", std::vector<u8>(image.begin(), image.end())}});
    std::vector<u8> wav = {'R', 'I', 'F',  'F',  236, 0,   0,    0,    'W', 'A', 'V',
                           'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                           1,   0,   0x22, 0x56, 0,   0,   0x22, 0x56, 0,   0,   1,
                           0,   8,   0,    'd',  'a', 't', 'a',  200,  0,   0,   0};
    wav.resize(244, 0xD0);
    write_bytes(home.path() / "song.wav", wav);
    put("labels.sym", "code 0x0 START\n");
    put("tape.pap", "HELLO");
    put("blank.raw", std::string(80640, '\0'));
    put("blank.img", std::string(315392, '\0'));
    put("t.mdcr", std::string(512, '\2'));
    put("prog.asm", "        ORG $0500\n        DB $5A\nLOOP:   BCTR,UN LOOP\n        END LOOP\n");
    put("pong.asm", "        ORG $0000\nLOOP:   BCTR,UN LOOP\n        END LOOP\n");
    const std::string prog_cos = (home.path() / "prog.cos").string();
    const auto from_projects = [&projects](const char* name) { return (projects / name).string(); };
    // A program file the debugger's saver writes from the probe on, running
    // from the loop behind it where the file keeps a start address.
    const auto saved = [&projects](const char* machine, int probe, const char* saver,
                                   const std::string& suffix, bool start = true) {
        char line[96], from[8] = "";
        if (start) std::snprintf(from, sizeof from, " $%X", probe + 1);
        std::snprintf(line, sizeof line, "DEBUGGER \"%s $%X $%X prog.%s%s\"", saver, probe,
                      probe + 2, suffix.c_str(), from);
        return Opened{machine, probe, (projects / ("prog." + suffix)).string(), {line}, true};
    };
    const Opened kinds[] = {
        {"ARCADIA", 0x100, (home.path() / "prog.bin").string(), {}, true},
        {"ARCADIA", 0x100, (home.path() / "prog.zip").string(), {}, true},
        {"ARCADIA", 0x100, prog_cos, {"SAVEAS " + prog_cos}, true},
        {"ARCADIA", 0x100, (home.path() / "prog.cor").string(), {"SAVEAS " + prog_cos}, true},
        {"ARCADIA", 0x100, from_projects("prog.sms"), {"DEBUGGER \"SAVESMS $102 prog.sms\""}, true},
        {"ARCADIA", 0x100, (home.path() / "labels.sym").string(), {}, false},
        saved("PIPBUG", 0x500, "SAVEHEX", "hex", false),
        saved("PIPBUG", 0x500, "SAVEAOF", "aof"),
        {"PIPBUG", 0x500, (home.path() / "prog.asm").string(), {}, true},
        {"PIPBUG", 0x500, (home.path() / "tape.pap").string(), {}, false},
        {"PIPBUG", 0x500, (home.path() / "song.wav").string(), {}, false},
        saved("ELEKTOR", 0x900, "SAVETVC", "tvc"),
        saved("ELEKTOR", 0x900, "SAVEEOF", "eof"),
        saved("BINBUG", 0x800, "SAVECMD", "cmd"),
        saved("CD2650", 0x1811, "SAVEIMAG", "imag"),
        {"CD2650", 0x1811, (home.path() / "blank.raw").string(), {}, false},
        saved("TWIN", 0x1000, "SAVEMOD", "mod"),
        {"TWIN", 0x1000, (home.path() / "blank.img").string(), {}, false},
        {"PHUNSY", 0x900, (home.path() / "t.mdcr").string(), {}, false},
        {"PONG", -1, (home.path() / "pong.asm").string(), {}, false},
    };
    // The title once it names `file` (a playback's title goes on with its
    // state), waited for up to five seconds; else what it says.
    const auto title_naming = [this](const std::string& file) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
        std::string seen;
        for (;;) {
            for (const XWindow& w : x.windows())
                if (w.name.rfind("Brindlemox ", 0) == 0) seen = w.name;
            const std::size_t at = seen.find(": " + file);
            const std::size_t after = at + 2 + file.size();
            if (at != std::string::npos && (after == seen.size() || seen[after] == ' '))
                return seen;
            if (std::chrono::steady_clock::now() > end) return "not named, but: " + seen;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    };
    const auto peek = [this](int address) {
        std::string result;
        send("PEEK " + std::to_string(address), &result);
        return result;
    };
    for (const Opened& k : kinds) {
        const std::string file = fs::path(k.file).filename().string();
        SCOPED_TRACE(file + " on " + k.machine);
        request(std::string("SETMACHINE ") + k.machine);
        if (k.probe >= 0) {
            // The processor loops just past the probe; the file holds $5A there.
            for (const std::string& line : {poke(k.probe + 1, 0x1B), poke(k.probe + 2, 0x7E),
                                            jump(k.probe + 1), poke(k.probe, 0x5A)})
                ASSERT_EQ(ask(line), 0) << line;
        }
        for (const std::string& line : k.make)
            ASSERT_EQ(ask(line), 0) << line;
        if (file == "prog.cor") {
            std::vector<u8> take = read_bytes(prog_cos);
            ASSERT_GT(take.size(), 40u);
            take[2] = 1; // a recording follows the state
            take.resize(take.size() + 6 * 600);
            write_bytes(k.file, take);
        }
        if (k.probe >= 0) {
            ASSERT_EQ(ask(poke(k.probe, 0x77)), 0);
        }
        ASSERT_EQ(ask("SAVEAS " + (home.path() / "base.cos").string()), 0);
        EXPECT_EQ(title_naming("base.cos").rfind("Brindlemox ", 0), 0u) << title_naming("base.cos");
        std::string result;
        ASSERT_EQ(send("OPEN " + k.file, &result), 0) << result;
        const std::string named = k.runs ? file : "base.cos";
        EXPECT_EQ(title_naming(named).rfind("Brindlemox ", 0), 0u) << title_naming(named);

        // Revert loads what runs again: the probe as the file or the state has it.
        const int assembled = count_of(log(), "Assembling ");
        if (k.probe >= 0) {
            ASSERT_EQ(ask(poke(k.probe, 0)), 0);
        }
        EXPECT_EQ(send("MENU PROJECT.REVERT", &result), 0) << result;
        if (k.probe >= 0) {
            EXPECT_EQ(peek(k.probe), k.runs ? "90" : "119");
        }
        const bool source = file.size() > 4 && file.substr(file.size() - 4) == ".asm";
        EXPECT_EQ(count_of(log(), "Assembling "), assembled + (source && k.runs));
        EXPECT_EQ(title_naming(named).rfind("Brindlemox ", 0), 0u) << title_naming(named);
        if (k.runs) {
            ASSERT_EQ(ask(poke(k.probe, 0)), 0);
            EXPECT_EQ(send("MENU PROJECT.RECENT1", &result), 0) << result;
            EXPECT_EQ(peek(k.probe), "90") << "the recent files' first";
        }
    }
    EXPECT_EQ(ask("QUIT"), 0);
}

// In the window: Save state as... (Ctrl+S, a name, Return) of three states
// makes each in turn what runs, named by the title and first in the recent
// files; Revert (Ctrl+R, then the port's REVERT) while a recording of a game
// is made ends the take, whole, and loads the game the title names again,
// not the take; and a start that loads the autosave names it in the title,
// which is what Revert loads.
TEST_F(DesktopProgram, SaveStateAsRevertAndTheRecentFilesNameWhatRuns) {
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    request("SETMACHINE ARCADIA");
    for (const std::string& line : {poke(0x101, 0x1B), poke(0x102, 0x7E), jump(0x101)})
        ASSERT_EQ(ask(line), 0) << line;
    // What the title names, once it is `wanted` (waited for up to five seconds).
    const auto title = [this](const std::string& wanted) {
        std::string named;
        wait_until([&] {
            const std::string name = wait_for("Brindlemox ", false).name;
            named = name.find(": ") == std::string::npos ? "" : name.substr(name.find(": ") + 2);
            return named == wanted;
        }, TEST_HANG_SECONDS, 100);
        return named;
    };
    const auto save_through = [this](const char* shortcut, const char* requester, const std::string& name) {
        focus_main();
        keys(shortcut);
        ASSERT_FALSE(wait_for(requester).name.empty()) << log();
        ASSERT_TRUE(x.keys_reach(requester)) << requester;
        keys("ctrl+a");
        x.run("/usr/bin/xdotool type --delay 40 " + name);
        keys("Return");
        ASSERT_TRUE(wait_for(requester, true, true).name.empty());
    };
    std::string peeked;
    for (int n = 1; n <= 3; n++) {
        const std::string name = "sa" + std::to_string(n);
        ASSERT_EQ(ask(poke(0x100, n)), 0);
        ASSERT_NO_FATAL_FAILURE(save_through("ctrl+s", "Save State", name));
        EXPECT_EQ(title(name + ".cos"), name + ".cos");
        ASSERT_EQ(ask(poke(0x100, 0)), 0);
        EXPECT_EQ(ask("MENU PROJECT.RECENT1"), 0);
        EXPECT_EQ(send("PEEK 256", &peeked), 0);
        EXPECT_EQ(peeked, std::to_string(n)) << "the recent files' first";
    }

    std::string image(4096, '\0');
    put_bytes(image, 0x0100, {0x5A, 0x1B, 0x7E});
    const std::string game = put("game.bin", image);
    for (const std::string revert : {"ctrl+r", "REVERT"}) {
        SCOPED_TRACE(revert);
        const std::string take = revert == "REVERT" ? "take2" : "take1";
        ASSERT_EQ(ask("OPEN " + game), 0);
        ASSERT_EQ(ask(jump(0x101)), 0);
        ASSERT_EQ(ask(poke(0x100, 0x11)), 0); // in the take's state
        ASSERT_NO_FATAL_FAILURE(save_through("ctrl+braceleft", "Start Recording", take));
        EXPECT_EQ(title("game.bin (recording)"), "game.bin (recording)");
        if (revert == "REVERT") {
            EXPECT_EQ(ask(revert), 0);
        } else {
            focus_main();
            keys(revert);
        }
        EXPECT_EQ(title("game.bin"), "game.bin") << "neither recording nor playing";
        EXPECT_EQ(send("PEEK 256", &peeked), 0);
        EXPECT_EQ(peeked, "90") << "the game loaded again, not the take played";
        const std::vector<u8> taken = read_bytes(home.path() / "Games" / (take + ".cor"));
        EXPECT_TRUE(taken.size() > 3 && taken[2] == 1) << "a recording, ended whole";
    }

    ASSERT_EQ(ask("QUIT"), 0); // the autosave
    ASSERT_EQ(wait_exit(), 0) << log();
    ::close(fd);
    fd = -1;
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    EXPECT_EQ(title("AUTOSAVE.COS"), "AUTOSAVE.COS");
    ASSERT_EQ(ask(poke(0x100, 0)), 0);
    EXPECT_EQ(ask("REVERT"), 0);
    EXPECT_EQ(send("PEEK 256", &peeked), 0);
    EXPECT_EQ(peeked, "90") << "Revert loads the autosave the title names";
    EXPECT_EQ(ask("QUIT"), 0);
}

// Every cause of a pause, driven where the user meets it, then Quit: only the
// user's own pause is written as "paused", and only then does the next start
// begin paused. The rows are the program's own causes, a test each, so that
// each stays well within a test's time on a busy host.
class PauseCauseProgram : public DesktopProgram, public ::testing::WithParamInterface<int> {};

TEST_P(PauseCauseProgram, OnlyTheUsersOwnPauseOutlivesTheRun) {
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    test_write_file(home.path() / "a1.bin", std::string("\x04\x12\xCC\x18\x00\x1B\x7E", 7));
    // Whether the title says "paused" (waited for up to `seconds`, after a
    // pass of the program's loop has put its title on the display).
    const auto paused_shown = [&](double seconds = TEST_HANG_SECONDS) {
        std::string version;
        send("GETVERSION", &version);
        return wait_until([&] {
            return wait_for("Brindlemox 36", false).name.find("paused") != std::string::npos;
        }, seconds, 100);
    };
    const auto quit = [&](int rc) {
        EXPECT_EQ(ask("QUIT"), rc);
        EXPECT_EQ(wait_exit(), 0) << log();
        pid = -1;
    };
    const auto cause = static_cast<PauseCause>(GetParam());
    SCOPED_TRACE(pause_cause_name(cause));
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    int quit_rc = 0;
    switch (cause) {
    case PauseCause::user:
        ASSERT_EQ(ask("PAUSE"), 0);
        break;
    case PauseCause::autopause: { // another program's window made active, then ours again
        ASSERT_EQ(ask("MENU SETTINGS.SPEED.AUTOPAUSE"), 0);
        focus_main();
        x.run("/usr/bin/xmessage -geometry +700+700 other & echo $! > '" +
              (home.path() / "other.pid").string() + "'");
        wait_until([&] {
            return x.run("/usr/bin/xdotool search --name '^xmessage$' windowfocus --sync") == 0;
        }, TEST_HANG_SECONDS, 100);
        EXPECT_TRUE(paused_shown());
        x.run("kill $(cat '" + (home.path() / "other.pid").string() + "')");
        focus_main();
        ASSERT_EQ(ask("MENU SETTINGS.SPEED.AUTOPAUSE"), 0); // the option itself back off
        break;
    }
    case PauseCause::debugger: // stopped at a breakpoint inside a frame
        ASSERT_EQ(ask("SETMACHINE ARCADIA"), 0);
        ASSERT_EQ(ask("OPEN " + (home.path() / "a1.bin").string()), 0);
        ASSERT_EQ(ask("DEBUGGER \"E 1 0\""), 0);
        ASSERT_EQ(ask("DEBUGGER \"BP 0\""), 0);
        ASSERT_EQ(ask("MENU PROJECT.RESETTOGAME"), 0);
        ASSERT_TRUE(printed("Hit code breakpoint at $0")) << log();
        quit_rc = 5; // names the autosave it cannot write
        break;
    case PauseCause::manual:
        ASSERT_EQ(ask("MENU HELP.MANUAL"), 0);
        break;
    case PauseCause::web_page: { // a click on LODZ r0 in the opcodes chart
        ASSERT_EQ(ask("MENU HELP.OPCODES"), 0);
        const XWindow chart = wait_for("Opcodes");
        ASSERT_FALSE(chart.name.empty()) << log();
        click(chart.left + 90, chart.top + 12);
        break;
    }
    case PauseCause::count:
        break;
    }
    EXPECT_TRUE(paused_shown()) << "the cause did not pause";
    quit(quit_rc);
    const bool users = cause == PauseCause::user;
    EXPECT_NE(test_read_file(ini).find(users ? "\npaused=true\n" : "\npaused=false\n"),
              std::string::npos);
    ASSERT_FALSE(start_on_display().name.empty()) << log();
    EXPECT_EQ(paused_shown(users ? TEST_HANG_SECONDS : 0), users);
    ASSERT_EQ(ask("UNPAUSE"), 0);
    quit(0);
}

INSTANTIATE_TEST_SUITE_P(EveryCause, PauseCauseProgram, ::testing::Range(0, PAUSE_CAUSES),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return row_name_of(
                                 pause_cause_name(static_cast<PauseCause>(info.param)),
                                 static_cast<std::size_t>(info.param));
                         });

// Sensitivity chosen in its window on the ball-and-paddle machine, whose
// set-up brings 5 and 5 of its own, holds across a restart and whatever
// machine's set-up ran since: its window shows it, and a step of the left
// slider from there is what the exit writes. The rows are the program's
// machines, five to a test, and the choice typed into the file by hand, so
// that each test stays well within a test's time on a busy host.
struct SensitivityRows {
    u32 from, to; // the machines from..to-1; none: the file typed by hand
};

void PrintTo(const SensitivityRows& rows, std::ostream* out) {
    if (rows.from < rows.to)
        *out << "machines " << rows.from << " to " << rows.to - 1;
    else
        *out << "typed by hand";
}

class Sensitivity : public DesktopProgram, public ::testing::WithParamInterface<SensitivityRows> {
  protected:
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    bool kept(int left) const {
        const std::string text = test_read_file(ini);
        return text.find("\nsensitivity_left=" + std::to_string(left) + "\nsensitivity_right=1\n") !=
               std::string::npos;
    }
    // The window, as the user meets it, left with OK after `moves`.
    void sensitivity_ok(const std::string& moves) {
        ASSERT_FALSE(wait_for("Sensitivity").name.empty()) << log();
        x.run("/usr/bin/xdotool search --name '^Sensitivity$' windowfocus --sync");
        keys(moves + " Return");
        ASSERT_TRUE(wait_for("Sensitivity", true, true).name.empty());
    }
    void quit() {
        EXPECT_EQ(ask("QUIT"), 0);
        EXPECT_EQ(wait_exit(), 0) << log();
        pid = -1;
    }
    // A start on Pong, its window left with OK after `moves`, and what the
    // exit wrote.
    void pong_runs(const std::string& moves, const std::string& written) {
        std::string result;
        ASSERT_FALSE(start_on_display().name.empty()) << log();
        ASSERT_LT(send("SETMACHINE PONG", &result), 10) << result;
        ASSERT_EQ(ask("MENU SETTINGS.INPUT.SENSITIVITY"), 0);
        ASSERT_NO_FATAL_FAILURE(sensitivity_ok(moves));
        quit();
        EXPECT_NE(test_read_file(ini).find(written), std::string::npos) << written;
    }
};

TEST_P(Sensitivity, TheSensitivityTheUserChoseWinsOverAMachinesOwn) {
    const SensitivityRows rows = GetParam();
    ASSERT_NO_FATAL_FAILURE(pong_runs("Left Left Left Tab Tab Left Left Left Left",
                                      "\nsensitivity_left=2\nsensitivity_right=1\n"));

    // Each row: a restart on Pong, a switch to the row's machine and back
    // (both set-ups run), and the window's step from what it shows.
    int left = 2;
    std::string result;
    for (u32 m = rows.from; m < rows.to; m++) {
        SCOPED_TRACE(machine_table[m].keyword);
        ASSERT_FALSE(start_on_display().name.empty()) << log();
        ASSERT_LT(send(std::string("SETMACHINE ") + machine_table[m].keyword, &result), 10);
        ASSERT_LT(send("SETMACHINE PONG", &result), 10) << result;
        ASSERT_EQ(ask("MENU SETTINGS.INPUT.SENSITIVITY"), 0);
        const bool up = left == 2;
        ASSERT_NO_FATAL_FAILURE(sensitivity_ok(up ? "Right" : "Left"));
        left += up ? 1 : -1;
        quit();
        EXPECT_TRUE(kept(left)) << left;
    }
    if (rows.from < rows.to) return;

    // Typed into the file by hand, with no list of choices: the left side's 2
    // is the user's and runs; the right side's default is no choice, and
    // Pong's own 5 runs there.
    std::string typed, line;
    std::istringstream file(test_read_file(ini));
    while (std::getline(file, line))
        if (line.rfind("userchosen=", 0) != 0)
            typed += line.rfind("sensitivity_left=", 0) == 0    ? "  Sensitivity_Left = 2\n"
                     : line.rfind("sensitivity_right=", 0) == 0 ? "sensitivity_right=3\n"
                                                                : line + "\n";
    test_write_file(ini, typed);
    pong_runs("", "\nsensitivity_left=2\nsensitivity_right=5\n");
    // "Reset to defaults" gives the choice back to the machine: the file keeps
    // the defaults, chosen by nobody, and Pong's own values run again.
    pong_runs("alt+r", "\nsensitivity_left=3\nsensitivity_right=3\n");
    EXPECT_EQ(test_read_file(ini).find("sensitivity_", test_read_file(ini).find("userchosen=")),
              std::string::npos);
    pong_runs("", "\nsensitivity_left=5\nsensitivity_right=5\n");
}

std::vector<SensitivityRows> sensitivity_rows() {
    std::vector<SensitivityRows> rows;
    for (u32 m = 0; m < MACHINES; m += 5)
        rows.push_back({m, std::min<u32>(m + 5, MACHINES)});
    rows.push_back({0, 0});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(EveryMachine, Sensitivity, ::testing::ValuesIn(sensitivity_rows()),
                         [](const ::testing::TestParamInfo<SensitivityRows>& info) {
                             return info.param.from < info.param.to
                                        ? "Machines" + std::to_string(info.param.from) + "To" +
                                              std::to_string(info.param.to - 1)
                                        : std::string("TypedByHand");
                         });
