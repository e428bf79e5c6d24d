// The quit window, answered as a user answers it: through the main window's
// close gadget and the quit window's own gadgets and keys.
#include "app/mainloop.h"
#include "app/rexx_host.h"
#include "app/shutdown.h"
#include "commands/arexx.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_titles.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "gui/main_window.h"
#include "gui/quit_window.h"
#include "input/keys.h"
#include "peripherals/floppy.h"
#include "peripherals/mdcr.h"
#include "peripherals/papertape.h"
#include "peripherals/tape.h"
#include "platform/headless/gui_headless.h"
#include "platform/host_keys.h"
#include "tests/core/home_fixture.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

// What the user does while the window waits, one step per wait; after the
// last step the window is left alone with its close gadget.
std::vector<GuiEvent> steps;
std::size_t next_step = 0;
// What the window's disk label and update button said at each step.
std::vector<std::string> seen_disks, seen_update;
void user_acts() {
    if (!quit_window) return;
    seen_disks.push_back(gui_get_text(quit_window, GID_QUIT_DISKS));
    seen_update.push_back(gui_get_text(quit_window, GID_QUIT_UPDATE));
    GuiEvent e;
    e.type = GE_CLOSE;
    if (next_step < steps.size()) e = steps[next_step++];
    gui_headless_post(quit_window, e);
}

GuiEvent press(int code, std::uint16_t qualifier = 0) {
    return {GE_RAWKEY, 0, code, qualifier, 0, 0, {}};
}
GuiEvent gadget(int gid, int code = 0) {
    return {GE_GADGET, gid, code, 0, 0, 0, {}};
}
constexpr int RAW_Y = 0x15, RAW_N = 0x36, RAW_C = 0x33, RAW_V = 0x34, RAW_B = 0x35, RAW_U = 0x16;

class QuitWindow : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        app_acquired.host_gui = true;
        confirmquit = 1;
        steps.clear();
        next_step = 0;
        seen_disks.clear();
        seen_update.clear();
        gui_headless_on_wait_events(user_acts);
        gui_open_main_window(0);
    }
    void TearDown() override {
        gui_headless_on_wait_events(nullptr);
        app_acquired.host_gui = false;
        HomeTest::TearDown();
    }
    // The gadget `gid` in the tree under `n`, or nullptr.
    static const GuiNode* find(const GuiNode& n, int gid) {
        if (n.gid == gid) return &n;
        for (const GuiNode& c : n.children)
            if (const GuiNode* f = find(c, gid)) return f;
        return nullptr;
    }
    // The user closes the main window and then does `acts`: true when the program quits.
    bool close_main(std::vector<GuiEvent> acts) {
        steps = std::move(acts);
        next_step = 0;
        pending_actions = 0;
        GuiEvent e;
        e.type = GE_CLOSE;
        gui_headless_post(main_window, e);
        gui_main_window_events();
        return (pending_actions & PA_QUIT) != 0;
    }
    // A command of the scripting port, run as the port runs it: its return code.
    static int port(const std::string& line) {
        std::string result;
        return ui_unattended_run(arexx_execute, line.c_str(), &result);
    }
    // The CD2650 generating a GIF and a WAV from a recording played from
    // <home>/out/take.cor, its cassette deck recording on <home>/t.wav.
    void recording_and_taping() {
        port("SETMACHINE CD2650"); // its monitor image missing: it runs without
        gui_main_window_events();  // the window built anew for the machine
        ASSERT_EQ(port("DEBUGGER \"FILL 500 5FF 0\""), 0);
        ASSERT_EQ(port("DEBUGGER \"POKE 500 1B\""), 0); // the guest loops at $0500
        ASSERT_EQ(port("DEBUGGER \"POKE 501 7E\""), 0);
        const std::filesystem::path state = home / "take.cos";
        ASSERT_EQ(port("SAVEAS " + state.string()), 0);
        std::ifstream in(state, std::ios::binary);
        std::string take((std::istreambuf_iterator<char>(in)), {});
        ASSERT_GT(take.size(), 3u);
        take[2] = 1;                            // a recording follows the state
        take.append(6 * 50, '\0');              // 50 frames of untouched controls
        std::filesystem::remove_all(home / "out");
        std::filesystem::create_directories(home / "out");
        test_write_file(home / "out" / "take.cor", take);
        // An 8-bit mono WAV tape of 1000 silent samples at 22050 Hz.
        const auto le = [](std::uint32_t v, int n) {
            std::string o;
            for (int i = 0; i < n; i++)
                o += static_cast<char>(v >> (8 * i));
            return o;
        };
        test_write_file(home / "t.wav", "RIFF" + le(1036, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
                                            le(1, 2) + le(22050, 4) + le(22050, 4) + le(1, 2) +
                                            le(8, 2) + "data" + le(1000, 4) + std::string(1000, '\x80'));
        ASSERT_EQ(port("OPEN " + (home / "t.wav").string()), 0);
        // The motor on at the monitor's save routine: the deck records.
        ASSERT_EQ(port("DEBUGGER \"JUMP 1FD\""), 0);
        ASSERT_EQ(port("DEBUGGER \"WRITEPORT DATA 8\""), 0);
        for (const char* item : {"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.SOUNDS.WAV"})
            ASSERT_EQ(port(std::string("MENU ") + item), 0) << item;
        ASSERT_EQ(port("OPEN " + (home / "out" / "take.cor").string()), 0);
        ASSERT_EQ(tape_state, static_cast<u32>(CASSETTE_RECORDING));
    }
    // The generated outputs' folder becomes a file: they cannot be finished.
    void outputs_go_astray() {
        std::filesystem::remove_all(home / "out");
        test_write_file(home / "out", "");
    }
    // The program leaves through `way` (by default as the main loop does on
    // a quit): the requesters shown on the way out.
    static std::vector<std::string> leave(const std::function<void()>& way = [] { app_clean_exit(0); }) {
        const std::size_t before = gui_headless_requesters().size();
        app_exit_process = throw_exit;
        try {
            way();
            ADD_FAILURE() << "the program did not leave";
        } catch (const Exited& e) {
            EXPECT_EQ(e.code, 0);
        }
        const std::vector<std::string>& all = gui_headless_requesters();
        return {all.begin() + static_cast<long>(before), all.end()};
    }
    // A BINBUG with a disk in drive 0 that the guest wrote to.
    void changed_disk() {
        machine_switch(BINBUG, MAP_BINBUG, true, true, false);
        gui_main_window_events(); // the window built anew for the machine
        // The disk read from work.raw, then written on.
        test_write_file(home / "work.raw", std::string(102400, '\0'));
        floppy_take_image(0, drives[0].image, (home / "work.raw").c_str());
        drives[0].changed = 1;
    }
    // A TWIN with k.pap (as the test left it) in its punch unit, one frame punched.
    void punched_tape() {
        port("SETMACHINE TWIN");
        gui_main_window_events();
        ASSERT_EQ(port("OPEN " + (home / "k.pap").string()), 0);
        papertape_punch_run(0);
        ASSERT_EQ(port("DEBUGGER \"WRITEPORT E8 4E\""), 0); // the console prints onto the tape
    }
    // The quit window last shown named k.pap as not back in its file.
    void named_the_held_tape() {
        const GuiWindowDesc* d = gui_headless_last_closed_desc();
        ASSERT_NE(d, nullptr);
        ASSERT_NE(find(d->root, GID_QUIT_DISKS), nullptr);
        EXPECT_EQ(find(d->root, GID_QUIT_DISKS)->text,
                  "Papertapes not back in their files: unit 0 (\"k.pap\").");
    }
};

} // namespace

TEST_F(QuitWindow, ShowsTheMachineAndAnswersByButtonsKeysAndTheCloseGadget) {
    EXPECT_FALSE(close_main({gadget(GID_QUIT_NO)}));
    const GuiWindowDesc* d = gui_headless_last_closed_desc();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->title, machine_title(machine));
    EXPECT_TRUE(d->under_pointer);
    EXPECT_TRUE(close_main({gadget(GID_QUIT_YES)}));
    EXPECT_TRUE(close_main({})); // the close gadget answers yes
    EXPECT_FALSE(close_main({press(RAW_N)}));
    EXPECT_TRUE(close_main({press(RAW_Y)}));
    EXPECT_FALSE(close_main({press(RAW_ESC)}));
    EXPECT_TRUE(close_main({press(RAW_RETURN)}));
    // The command key held, as the host's key layer reports it (Super_L, X11
    // key code 133): V answers yes (before the Esc that would say no), B no.
    host_keys_follow_sides(host_raw_from_x11(133), true);
    HostModifiers held;
    held.command = true;
    EXPECT_TRUE(close_main({press(RAW_V, host_qualifiers(held, RAW_V, false)), press(RAW_ESC)}));
    EXPECT_FALSE(close_main({press(RAW_B, host_qualifiers(held, RAW_B, false))}));
    host_keys_follow_sides(host_raw_from_x11(133), false);
    // Repeats and releases answer nothing: the close gadget answers after them.
    EXPECT_TRUE(close_main({press(RAW_ESC, QUAL_REPEAT), press(RAWKEY_UP + RAW_N)}));
    EXPECT_EQ(confirmquit, 1u);
}

// The quit key held on repeats in the window and answers nothing; let go
// where the window did not see it (the main window took its release before
// this one was up), its next press answers.
TEST_F(QuitWindow, AKeyHeldFromTheQuitKeyAnswersOnlyOnceLetGo) {
    host_key_set(RAW_ESC);
    EXPECT_TRUE(close_main({press(RAW_ESC, QUAL_REPEAT), press(RAWKEY_UP + RAW_ESC), press(RAW_Y)}));
    host_key_set(RAW_ESC);
    EXPECT_FALSE(close_main({press(RAW_ESC, QUAL_REPEAT), press(RAW_ESC)}));
    host_key_clear(RAW_ESC);
}

TEST_F(QuitWindow, TheSwitchWritesTheSettingWhateverTheAnswer) {
    EXPECT_FALSE(close_main({press(RAW_C), press(RAW_N)}));
    EXPECT_EQ(confirmquit, 0u);
    EXPECT_TRUE(close_main({})); // off: no window, yes at once
    EXPECT_EQ(next_step, 0u);
    confirmquit = 1;
    EXPECT_TRUE(close_main({gadget(GID_QUIT_CONFIRM, 0), gadget(GID_QUIT_YES)}));
    EXPECT_EQ(confirmquit, 0u);
}

TEST_F(QuitWindow, NamesChangedDisksAndOffersToUpdateThem) {
    changed_disk();
    confirmquit = 0; // a changed disk is never lost without a word
    gui_headless_answer_file_requests({});
    EXPECT_FALSE(close_main({gadget(GID_QUIT_NO)}));
    const GuiWindowDesc* d = gui_headless_last_closed_desc();
    ASSERT_NE(d, nullptr);
    const GuiNode* named = find(d->root, GID_QUIT_DISKS);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->text, "Changed disks not saved: drive 0 (\"work.raw\").");
    ASSERT_NE(find(d->root, GID_QUIT_UPDATE), nullptr);
    EXPECT_EQ(find(d->root, GID_QUIT_UPDATE)->text, "_Update disk...");
    // Update disk... writes the image under its name; the disk is then unchanged.
    seen_disks.clear();
    EXPECT_FALSE(close_main({gadget(GID_QUIT_UPDATE), gadget(GID_QUIT_NO)}));
    ASSERT_EQ(seen_disks.size(), 2u);
    EXPECT_EQ(seen_disks[1], "All disks are saved.");
    EXPECT_FALSE(drives[0].changed);
    EXPECT_EQ(std::filesystem::file_size(home / "work.raw"), 102400u);
    EXPECT_TRUE(close_main({})); // nothing lost and the question off: no window
    EXPECT_EQ(next_step, 0u);
}

// The PHUNSY's MDCR tape, once the guest wrote on it, is listed as a changed
// disk is, and Update writes it back; the window speaks of a tape, not a disk.
TEST_F(QuitWindow, NamesAChangedMdcrTapeAndOffersToUpdateIt) {
    machine_switch(PHUNSY, MAP_PHUNSY, true, true, false);
    gui_main_window_events();
    const std::string tape = (home / "t.mdcr").string();
    std::FILE* f = std::fopen(tape.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(std::string(256, '\1').c_str(), f);
    std::fclose(f);
    ASSERT_EQ(mdcr_insert_file(tape.c_str()), 1);
    mdcr_control = 0x60; // forward, writing from the tape's start: it is cleared
    for (int i = 0; i < 4; i++)
        mdcr_clock(6);
    confirmquit = 0;
    EXPECT_FALSE(close_main({gadget(GID_QUIT_NO)}));
    const GuiWindowDesc* d = gui_headless_last_closed_desc();
    ASSERT_NE(d, nullptr);
    const GuiNode* named = find(d->root, GID_QUIT_DISKS);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->text, "Changed tapes not saved: MDCR tape (\"t.mdcr\").");
    ASSERT_NE(find(d->root, GID_QUIT_UPDATE), nullptr);
    EXPECT_EQ(find(d->root, GID_QUIT_UPDATE)->text, "_Update tape");
    seen_disks.clear();
    EXPECT_FALSE(close_main({press(RAW_U), gadget(GID_QUIT_NO)})); // U is the button's key
    ASSERT_EQ(seen_disks.size(), 2u);
    EXPECT_EQ(seen_disks[1], "All tapes are saved.");
    EXPECT_FALSE(mdcr_changed);
    std::ifstream written(home / "t.mdcr", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), std::string(256, '\0'));
    EXPECT_TRUE(close_main({})); // nothing lost and the question off: no window
}

// A punched papertape that an Eject could not write back (its file became a
// folder) stays in its unit; the window names it as it names changed disks,
// also with the question switched off, and No keeps it.
TEST_F(QuitWindow, NamesAPunchedPapertapeNotBackInItsFile) {
    test_write_file(home / "k.pap", "old");
    punched_tape();
    std::filesystem::remove(home / "k.pap");
    std::filesystem::create_directory(home / "k.pap");
    EXPECT_FALSE(papertape_close(0));
    confirmquit = 0;
    EXPECT_FALSE(close_main({gadget(GID_QUIT_NO)}));
    named_the_held_tape();
    EXPECT_EQ(find(gui_headless_last_closed_desc()->root, GID_QUIT_UPDATE), nullptr);
    EXPECT_EQ(papertape_buffer[0][0], 'N');
}

TEST_F(QuitWindow, UnderAScriptTheQuestionIsNamedAndAnsweredNo) {
    changed_disk();
    ui_unattended = true;
    capture_output();
    EXPECT_FALSE(close_main({gadget(GID_QUIT_YES)}));
    ui_unattended = false;
    const std::string out = captured_output();
    EXPECT_NE(out.find("Really quit?\nChanged disks not saved: drive 0 (\"work.raw\")."),
              std::string::npos)
        << out;
    EXPECT_EQ(next_step, 0u); // no window was shown
}

TEST_F(QuitWindow, HotkeysAreTheLettersAfterTheMark) {
    EXPECT_EQ(gui_hotkey_of("_Yes"), 'Y');
    EXPECT_EQ(gui_hotkey_of("_confirm on quit?"), 'C');
    EXPECT_EQ(gui_hotkey_of("Update _disk"), 'D');
    EXPECT_EQ(gui_hotkey_of("Yes"), 0);
    EXPECT_EQ(gui_hotkey_of("_"), 0);
    EXPECT_EQ(gui_hotkey_of("x_"), 0);
}

// While recorders and the tape deck are writing, the quit window names their
// files: quitting finishes them.
TEST_F(QuitWindow, NamesTheRecordersAndTheTapeStillRunning) {
    recording_and_taping();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(close_main({gadget(GID_QUIT_NO)}));
    const GuiWindowDesc* d = gui_headless_last_closed_desc();
    ASSERT_NE(d, nullptr);
    const GuiNode* running = find(d->root, GID_QUIT_RUNNING);
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(running->text, "Still running: recorders (\"take.wav\", \"take.gif\"), tape deck "
                             "(\"t.wav\"); quitting finishes them.");
    EXPECT_EQ(find(d->root, GID_QUIT_UPDATE), nullptr); // nothing is lost
    port("MENU MACRO.STOP");
    port("DEBUGGER \"WRITEPORT DATA 0\"");
    EXPECT_FALSE(close_main({gadget(GID_QUIT_NO)}));
    EXPECT_EQ(find(gui_headless_last_closed_desc()->root, GID_QUIT_RUNNING), nullptr);
}

// Quit while the outputs' folder is a file and the tape's file is gone: what
// cannot be finished is said on the console either way. Quit from the window
// also shows it, in one notice, before the program ends; a break, QUIT from
// a script, or a break that comes after Yes leave at once, as before.
TEST_F(QuitWindow, OnlyAQuitFromTheWindowShowsWhatCouldNotBeFinished) {
    for (const char* way : {"Yes", "break", "QUIT", "Yes, then a break"}) {
        SCOPED_TRACE(way);
        const std::string how = way;
        recording_and_taping();
        ASSERT_FALSE(HasFatalFailure());
        outputs_go_astray();
        std::filesystem::remove(home / "t.wav");
        capture_output();
        std::vector<std::string> notices;
        std::string reply;
        if (how[0] == 'Y') {
            ASSERT_TRUE(close_main({gadget(GID_QUIT_YES)}));
        }
        if (how == "Yes") {
            notices = leave(); // as the main loop does at the frame's end
        } else if (how == "QUIT") {
            // Finished ahead of the reply: the reply names what was not.
            ASSERT_EQ(ui_unattended_run(arexx_execute, "QUIT", &reply), 5);
            notices = leave(rexx_serve_port);
        } else {
            app_signal_break();
            notices = leave(gui_main_window_events);
        }
        app_clear_break();
        const std::string said = captured_output() + reply;
        const std::string lines[] = {"Can't write to " + (home / "out" / "take.gif").string() + ": ",
                                     "Can't write to " + (home / "out" / "take.wav").string() + ": ",
                                     "its file " + (home / "t.wav").string() + " was removed"};
        for (const std::string& line : lines)
            EXPECT_NE(said.find(line), std::string::npos) << line << "\n" << said;
        if (how != "Yes") {
            EXPECT_TRUE(notices.empty()) << notices[0];
        } else {
            ASSERT_EQ(notices.size(), 1u) << said;
            const std::string& notice = notices[0];
            EXPECT_EQ(notice.rfind("Warning|Not everything could be finished on the way out:\n\n", 0), 0u)
                << notice;
            EXPECT_EQ(notice.substr(notice.size() - 3), "|OK");
            for (const std::string& line : lines)
                EXPECT_NE(notice.find(line), std::string::npos) << line << "\n" << notice;
        }
        TearDown(); // the next way starts from a fresh program and home
        SetUp();
    }
}

// What was changed in memory and cannot go back because the user
// write-protected its file (as the superuser too) stays held and named: the
// disk and the MDCR tape after Update, the punched papertape after Eject.
TEST_F(QuitWindow, KeepsWhatCannotGoBackOverAWriteProtectedFile) {
    const auto protect = [](const std::filesystem::path& file, const std::string& bytes) {
        test_write_file(file, bytes);
        std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read);
    };
    confirmquit = 0;
    changed_disk();
    protect(home / "work.raw", "my disk");
    EXPECT_FALSE(close_main({gadget(GID_QUIT_UPDATE), gadget(GID_QUIT_NO)}));
    EXPECT_TRUE(drives[0].changed);
    EXPECT_EQ(test_read_file(home / "work.raw"), "my disk");
    ASSERT_FALSE(seen_disks.empty());
    EXPECT_EQ(seen_disks.back(), "Changed disks not saved: drive 0 (\"work.raw\").");
    drives[0].changed = 0;

    machine_switch(PHUNSY, MAP_PHUNSY, true, true, false);
    gui_main_window_events();
    test_write_file(home / "t.mdcr", std::string(256, '\1'));
    ASSERT_EQ(mdcr_insert_file((home / "t.mdcr").c_str()), 1);
    std::filesystem::permissions(home / "t.mdcr", std::filesystem::perms::owner_read);
    mdcr_control = 0x60; // the guest clears the tape from its start
    for (int i = 0; i < 4; i++)
        mdcr_clock(6);
    seen_disks.clear();
    EXPECT_FALSE(close_main({press(RAW_U), gadget(GID_QUIT_NO)}));
    EXPECT_TRUE(mdcr_changed);
    EXPECT_EQ(test_read_file(home / "t.mdcr"), std::string(256, '\1'));
    ASSERT_FALSE(seen_disks.empty());
    EXPECT_EQ(seen_disks.back(), "Changed tapes not saved: MDCR tape (\"t.mdcr\").");
    mdcr_changed = 0;

    protect(home / "k.pap", "old");
    punched_tape();
    EXPECT_FALSE(papertape_close(0));
    EXPECT_TRUE(papertape_held_back(0));
    EXPECT_EQ(test_read_file(home / "k.pap"), "old");
    EXPECT_FALSE(close_main({gadget(GID_QUIT_NO)}));
    named_the_held_tape();
}
