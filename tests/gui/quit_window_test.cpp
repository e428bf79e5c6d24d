// The quit window, answered as a user answers it: through the main window's
// close gadget and the quit window's own gadgets and keys.
#include "app/mainloop.h"
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
#include "platform/headless/gui_headless.h"
#include "platform/host_keys.h"
#include "tests/core/home_fixture.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// What the user does while the window waits, one step per wait; after the
// last step the window is left alone with its close gadget.
std::vector<GuiEvent> steps;
std::size_t next_step = 0;
void user_acts() {
    if (!quit_window) return;
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
constexpr int RAW_Y = 0x15, RAW_N = 0x36, RAW_C = 0x33, RAW_V = 0x34, RAW_B = 0x35;

class QuitWindow : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        app_acquired.host_gui = true;
        confirmquit = 1;
        steps.clear();
        next_step = 0;
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
    // A BINBUG with a disk in drive 0 that the guest wrote to.
    void changed_disk() {
        machine_switch(BINBUG, MAP_BINBUG, true, true, false);
        gui_main_window_events(); // the window built anew for the machine
        drives[0].present = 1;
        drives[0].changed = 1;
        std::snprintf(drives[0].file_name, FLOPPY_NAME_SIZE, "%s", (home / "work.raw").c_str());
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

TEST_F(QuitWindow, AKeyHeldFromTheQuitKeyAnswersOnlyOnceLetGo) {
    host_key_set(RAW_ESC);
    EXPECT_TRUE(close_main({press(RAW_ESC), press(RAWKEY_UP + RAW_ESC), press(RAW_Y)}));
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
    // Update disk... writes the image under its name; the disk is then unchanged.
    EXPECT_FALSE(close_main({gadget(GID_QUIT_UPDATE), gadget(GID_QUIT_NO)}));
    EXPECT_FALSE(drives[0].changed);
    EXPECT_EQ(std::filesystem::file_size(home / "work.raw"), 102400u);
    EXPECT_TRUE(close_main({})); // nothing lost and the question off: no window
    EXPECT_EQ(next_step, 0u);
}

// The PHUNSY's MDCR tape, once the guest wrote on it, is listed as a changed
// disk is, and Update writes it back.
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
    EXPECT_FALSE(close_main({gadget(GID_QUIT_UPDATE), gadget(GID_QUIT_NO)}));
    EXPECT_FALSE(mdcr_changed);
    std::ifstream written(home / "t.mdcr", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), std::string(256, '\0'));
    EXPECT_TRUE(close_main({})); // nothing lost and the question off: no window
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
