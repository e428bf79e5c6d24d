// The settings dialogs that run modally: Choose Paths, Adjust Sound,
// Sensitivity, Rearrange Gamepad Buttons and the tip of the day. Each test
// plays the user's part one step per wait of the dialog's loop.
#include "core/gamesdb.h"
#include "core/recording.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "gui/adjust_sound.h"
#include "gui/choose_paths.h"
#include "gui/dialogs.h"
#include "gui/gamepad_buttons.h"
#include "gui/sensitivity.h"
#include "gui/tip_of_the_day.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "platform/paths.h"
#include "tests/core/home_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The open dialog's window, whichever it is.
int open_dialog() {
    for (int w : {paths_window, sound_window, sensitivity_window, gamepad_buttons_window})
        if (w) return w;
    return 0;
}

// What the user does at each wait; a dialog still open when the steps have
// run out is closed with Esc, and the test fails.
std::vector<std::function<void(int)>> steps;
std::size_t next_step = 0;
bool overran = false;
void user_acts() {
    const int w = open_dialog();
    if (!w) return;
    if (next_step < steps.size()) {
        steps[next_step++](w);
        return;
    }
    overran = true;
    gui_headless_post(w, {GE_RAWKEY, 0, 0x45, 0, 0, 0, {}});
}

GuiEvent key(int code, std::uint16_t qualifier = 0) {
    return {GE_RAWKEY, 0, code, qualifier, 0, 0, {}};
}
GuiEvent gadget(int gid, int code = 0) {
    return {GE_GADGET, gid, code, 0, 0, 0, {}};
}
GuiEvent close_event() {
    return {GE_CLOSE, 0, 0, 0, 0, 0, {}};
}
constexpr int RAW_C = 0x33, RAW_ESC = 0x45, RAW_RETURN = 0x44, RAW_S = 0x21, RAW_LEFT = 0x4F;

// Types `text` into entry `gid` and leaves it with Return.
void enter(int w, int gid, const std::string& text) {
    gui_set_text(w, gid, text.c_str());
    gui_headless_post(w, gadget(gid, 13));
}

class SettingsDialogs : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        app_acquired.host_gui = true;
        steps.clear();
        next_step = 0;
        overran = false;
        gui_headless_on_wait_events(user_acts);
    }
    void TearDown() override {
        EXPECT_FALSE(overran) << "a dialog was still open after the test's steps";
        gui_headless_on_wait_events(nullptr);
        HomeTest::TearDown();
    }
};

} // namespace

// ---- Choose Paths -------------------------------------------------------------------

TEST_F(SettingsDialogs, PathsResetFollowsTheTextsCaseSensitivelyAndOkStripsTheSlash) {
    std::vector<bool> reset_disabled;
    const auto look = [&](int w) { reset_disabled.push_back(gui_get_disabled(w, GID_PATHS_RESET)); };
    steps = {[&](int w) {
                 look(w);
                 enter(w, GID_PATHS_FIELD + 1, "progdir:Games"); // only the case differs
             },
             [&](int w) {
                 look(w);
                 enter(w, GID_PATHS_FIELD + 1, "PROGDIR:Games");
             },
             [&](int w) {
                 look(w);
                 enter(w, GID_PATHS_FIELD, "/tmp/disks/");
                 gui_headless_post(w, gadget(GID_PATHS_OK));
             }};
    gui_choose_paths_window();
    EXPECT_EQ(reset_disabled, (std::vector<bool>{true, false, true}));
    EXPECT_STREQ(disks_path, "/tmp/disks");
    EXPECT_STREQ(games_path, "PROGDIR:Games");
    EXPECT_EQ(paths_window, 0);
}

TEST_F(SettingsDialogs, PathsCloseGadgetKeepsTheEditsEscCAndCancelDropThem) {
    const struct {
        const char* how;
        GuiEvent event;
        bool kept;
    } cases[] = {
        {"close gadget", close_event(), true},
        {"Esc", key(RAW_ESC), false},
        {"C", key(RAW_C), false},
        {"Cancel", gadget(GID_PATHS_CANCEL), false},
        {"Return", key(RAW_RETURN), true},
    };
    for (const auto& c : cases) {
        std::snprintf(tapes_path, sizeof tapes_path, "PROGDIR:Tapes");
        steps = {[&](int w) {
            gui_set_text(w, GID_PATHS_FIELD + 5, "/elsewhere"); // typed, not yet entered
            gui_headless_post(w, c.event);
        }};
        next_step = 0;
        gui_choose_paths_window();
        EXPECT_STREQ(tapes_path, c.kept ? "/elsewhere" : "PROGDIR:Tapes") << c.how;
    }
}

TEST_F(SettingsDialogs, PathsDrawerRequesterAndOpenButtons) {
    const fs::path there = home / "Shots";
    fs::create_directories(there);
    fs::create_directories(fs::path(path_progdir()) / "Games"); // OK lists the games drawer
    std::snprintf(screenshots_path, sizeof screenshots_path, "%s", there.string().c_str());
    std::snprintf(scripts_path, sizeof scripts_path, "%s", (home / "missing").string().c_str());
    gui_headless_answer_file_requests({{0, "/chosen/drawer", ""}, {0, std::string(600, 'x'), ""}});
    std::string projects_shown;
    bool open_enabled = false;
    steps = {[&](int w) {
                 open_enabled = !gui_get_disabled(w, GID_PATHS_OPEN);
                 gui_headless_post(w, gadget(GID_PATHS_DRAWER + 2)); // Projects: chosen
             },
             [&](int w) {
                 projects_shown = gui_get_text(w, GID_PATHS_FIELD + 2);
                 gui_headless_post(w, gadget(GID_PATHS_DRAWER + 5)); // Tapes: too long a name
                 gui_headless_post(w, gadget(GID_PATHS_OPEN + 3));   // Screenshots: shown
                 gui_headless_post(w, gadget(GID_PATHS_OPEN + 4));   // Scripts: no such drawer
             },
             [&](int w) { gui_headless_post(w, gadget(GID_PATHS_OK)); }};
    gui_headless_answer_requesters({1});
    gui_choose_paths_window();
    EXPECT_TRUE(open_enabled);
    EXPECT_EQ(projects_shown, "/chosen/drawer");
    EXPECT_STREQ(projects_path, "/chosen/drawer");
    EXPECT_STREQ(tapes_path, "PROGDIR:Tapes");
    ASSERT_EQ(gui_headless_opened_urls().size(), 1u);
    EXPECT_EQ(gui_headless_opened_urls()[0], fs::canonical(there).string());
    ASSERT_EQ(gui_headless_requesters().size(), 2u);
    EXPECT_NE(gui_headless_requesters()[0].find("Can't lock directory!"), std::string::npos);
    // OK names the drawers that cannot be reached.
    const std::string unreached = gui_headless_requesters()[1];
    EXPECT_NE(unreached.find("Can't lock directory \"/chosen/drawer\" (Projects:)!"),
              std::string::npos)
        << unreached;
    EXPECT_NE(unreached.find("missing\" (Scripts:)!"), std::string::npos) << unreached;
    EXPECT_EQ(unreached.find("Shots"), std::string::npos) << unreached;
    EXPECT_EQ(gui_headless_file_requests()[0], "Choose Path|drawers|");

    // Without a URL handler there is nothing to show drawers with.
    gui_headless_set_url_handler(false);
    steps = {[&](int w) {
        open_enabled = !gui_get_disabled(w, GID_PATHS_OPEN + 1);
        gui_headless_post(w, key(RAW_ESC));
    }};
    next_step = 0;
    gui_choose_paths_window();
    EXPECT_FALSE(open_enabled);
}

// ---- Tip of the day -------------------------------------------------------------------

// The tip waits in the event pass: each event reaches it there.
void tip_event(const GuiEvent& e) {
    gui_headless_post(tip_window, e);
    gui_dialogs_input();
}

TEST_F(SettingsDialogs, TipsCycleThroughAllTwentySix) {
    tip_forget_texts();
    next_tip = 25;
    gui_tip_of_the_day();
    ASSERT_NE(tip_window, 0);
    EXPECT_EQ(gui_headless_wait_events_count(), 0); // the start-up goes on at once
    const std::string shown = gui_get_text(tip_window, GID_TIP_TEXT);
    EXPECT_EQ(shown.rfind("#26. ", 0), 0u) << shown;
    tip_event(gadget(GID_TIP_OK));
    EXPECT_EQ(tip_window, 0);
    EXPECT_EQ(next_tip, 0);

    // "Next tip" twice and the close: three on in all.
    next_tip = 4;
    gui_tip_of_the_day();
    tip_event(gadget(GID_TIP_NEXT));
    tip_event(gadget(GID_TIP_NEXT));
    const std::string third = gui_get_text(tip_window, GID_TIP_TEXT);
    EXPECT_EQ(third.rfind("#7. ", 0), 0u) << third;
    tip_event(key(RAW_RETURN));
    EXPECT_EQ(tip_window, 0);
    EXPECT_EQ(next_tip, 7);
}

TEST_F(SettingsDialogs, TheSKeyAndTheBoxSwitchTipsAtOnce) {
    tip_forget_texts();
    show_tips = 1;
    gui_tip_of_the_day();
    EXPECT_EQ(gui_get_value(tip_window, GID_TIP_SHOW), 1);
    tip_event(key(RAW_S));
    EXPECT_EQ(show_tips, 0u);
    EXPECT_EQ(gui_get_value(tip_window, GID_TIP_SHOW), 0); // the box follows the key
    tip_event(gadget(GID_TIP_SHOW, 1));
    EXPECT_EQ(show_tips, 1u);
    tip_event(key(0x33)); // C means nothing here
    EXPECT_NE(tip_window, 0);
    tip_event(key(RAW_ESC));
    EXPECT_EQ(tip_window, 0);
    EXPECT_EQ(show_tips, 1u);
}

TEST_F(SettingsDialogs, TipsComeFromTheHomesFileAndAreCutToTheirBuffer) {
    const fs::path file = fs::path(path_progdir()) / "tips.txt";
    std::ofstream(file) << "First.\r\n" << std::string(5000, 'w') << "\n";
    tip_forget_texts();
    EXPECT_EQ(tip_format(0), "#1. First.");
    const std::string long_tip = tip_format(1);
    EXPECT_EQ(long_tip.size(), TIP_TEXT_SIZE - 1);
    EXPECT_EQ(long_tip.rfind("#2. www", 0), 0u);
    // The window walks the two tips the file has.
    next_tip = 1;
    gui_tip_of_the_day();
    EXPECT_EQ(gui_get_text(tip_window, GID_TIP_TEXT).rfind("#2. www", 0), 0u);
    tip_event(gadget(GID_TIP_NEXT));
    EXPECT_EQ(gui_get_text(tip_window, GID_TIP_TEXT), "#1. First.");
    tip_event(gadget(GID_TIP_OK));
    EXPECT_EQ(next_tip, 1);
}

// ---- Adjust Sound -------------------------------------------------------------------

TEST_F(SettingsDialogs, SoundOpensOnTheStoredChoicesAndWritesThemBackInTheirForm) {
    speech_sex = 'x';
    speech_race = 'n';
    snd_record_rate = 16000;
    int sex = -1, rate = -1;
    steps = {[&](int w) {
        sex = gui_get_value(w, GID_SOUND_SEX);
        rate = gui_get_value(w, GID_SOUND_SAMPLE_RATE);
        gui_headless_post(w, gadget(GID_SOUND_OK));
    }};
    gui_adjust_sound_window();
    EXPECT_EQ(sex, 1);
    EXPECT_EQ(rate, 1);
    EXPECT_EQ(speech_sex, 'f');
    EXPECT_EQ(snd_record_rate, 22050);
}

TEST_F(SettingsDialogs, SoundResetFollowsTheWorkingCopiesAndEscDropsThem) {
    std::vector<bool> disabled;
    steps = {[&](int w) {
                 disabled.push_back(gui_get_disabled(w, GID_SOUND_RESET));
                 gui_headless_post(w, gadget(GID_SOUND_VOLUME, 5));
             },
             [&](int w) {
                 disabled.push_back(gui_get_disabled(w, GID_SOUND_RESET));
                 gui_headless_post(w, gadget(GID_SOUND_RESET));
             },
             [&](int w) {
                 disabled.push_back(gui_get_disabled(w, GID_SOUND_RESET));
                 gui_headless_post(w, gadget(GID_SOUND_SAMPLE_RATE, 1));
                 gui_headless_post(w, gadget(GID_SOUND_FIELD + 1, 300)); // pitch
             },
             [&](int w) {
                 EXPECT_EQ(gui_get_value(w, GID_SOUND_PITCH_SLIDER), 300);
                 gui_headless_post(w, key(RAW_ESC));
             }};
    gui_adjust_sound_window();
    EXPECT_EQ(disabled, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(snd_master_volume, 8);
    EXPECT_EQ(snd_record_rate, 11025);
    EXPECT_EQ(speech_pitch, 110);
}

TEST_F(SettingsDialogs, SoundShiftLeftSetsTheSlowestRateOnlyWithSpeechOn) {
    speech = 0;
    int rate_off = -1, rate_on = -1;
    steps = {[&](int w) { gui_headless_post(w, key(RAW_LEFT, QUAL_LSHIFT)); },
             [&](int w) {
                 rate_off = gui_get_value(w, GID_SOUND_FIELD);
                 gui_headless_post(w, gadget(GID_SOUND_SPEECH, 1));
                 gui_headless_post(w, key(RAW_LEFT, QUAL_LSHIFT));
             },
             [&](int w) {
                 rate_on = gui_get_value(w, GID_SOUND_FIELD);
                 gui_headless_post(w, key(RAW_LEFT)); // at the end it stays
                 gui_headless_post(w, gadget(GID_SOUND_OK));
             }};
    gui_adjust_sound_window();
    EXPECT_EQ(rate_off, 200);
    EXPECT_EQ(rate_on, 40);
    EXPECT_EQ(speech_wpm, 40);
    EXPECT_EQ(speech, 1u);
}

TEST_F(SettingsDialogs, SoundRowsASynthesiserWouldUseAndTheRateWhileRecordingAreDisabled) {
    rec_state = REC_RECORDING;
    bool rate_disabled = false, enunciation_disabled = false, pitch_enabled = false;
    steps = {[&](int w) {
        rate_disabled = gui_get_disabled(w, GID_SOUND_SAMPLE_RATE);
        enunciation_disabled = gui_get_disabled(w, GID_SOUND_FIELD + 4);
        pitch_enabled = !gui_get_disabled(w, GID_SOUND_FIELD + 1);
        gui_headless_post(w, gadget(GID_SOUND_CANCEL));
    }};
    gui_adjust_sound_window();
    rec_state = REC_IDLE;
    EXPECT_TRUE(rate_disabled);
    EXPECT_TRUE(enunciation_disabled);
    EXPECT_TRUE(pitch_enabled);
}

// ---- Sensitivity -------------------------------------------------------------------

TEST_F(SettingsDialogs, SensitivityResetIsTheDefaultAndTheFieldsStayWithinOneToFive) {
    known_game_id = -1;
    sensitivity_left = sensitivity_right = 3;
    std::vector<bool> disabled;
    steps = {[&](int w) {
                 disabled.push_back(gui_get_disabled(w, GID_SENS_RESET));
                 gui_headless_post(w, gadget(GID_SENS_LEFT_SLIDER, 4));
             },
             [&](int w) {
                 disabled.push_back(gui_get_disabled(w, GID_SENS_RESET));
                 EXPECT_EQ(gui_get_value(w, GID_SENS_LEFT_NUMBER), 4);
                 gui_headless_post(w, gadget(GID_SENS_LEFT_SLIDER, 3));
             },
             [&](int w) {
                 disabled.push_back(gui_get_disabled(w, GID_SENS_RESET));
                 gui_headless_post(w, gadget(GID_SENS_RIGHT_NUMBER, 9));
                 gui_headless_post(w, gadget(GID_SENS_LEFT_NUMBER, 0));
                 gui_headless_post(w, close_event());
             }};
    gui_sensitivity_window();
    EXPECT_EQ(disabled, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(sensitivity_left, 1);
    EXPECT_EQ(sensitivity_right, 5);

    // With a known game loaded the reset takes its recommended value; Esc drops it all.
    known_game_id = 0;
    while (known_games_db[known_game_id].sensitivity == 0) // a row the database fills
        known_game_id++;
    const int recommended = known_games_db[known_game_id].sensitivity;
    sensitivity_left = 1;
    int left_after_reset = 0;
    steps = {[&](int w) { gui_headless_post(w, gadget(GID_SENS_RESET)); },
             [&](int w) {
                 left_after_reset = gui_get_value(w, GID_SENS_LEFT_SLIDER);
                 gui_headless_post(w, key(RAW_ESC));
             }};
    next_step = 0;
    gui_sensitivity_window();
    EXPECT_EQ(left_after_reset, recommended);
    EXPECT_EQ(sensitivity_left, 1);
}

// ---- Gamepad buttons ----------------------------------------------------------------

TEST_F(SettingsDialogs, GamepadOrdersAreThePermutationsInOrderWithTheirLabels) {
    std::array<u8, 4> p = {1, 2, 3, 4};
    const char letters[5] = {'?', 'R', 'B', 'G', 'Y'};
    for (int r = 0; r < GAMEPAD_ORDERS; r++) {
        const GamepadOrder& o = gamepad_button_orders[r];
        EXPECT_TRUE(std::equal(p.begin(), p.end(), o.buttons)) << r;
        // The label spells the four numbers with the buttons' letters (1 R, 2 B, 3 G, 4 Y).
        std::string label;
        for (u8 b : o.buttons)
            label += std::string(label.empty() ? "" : ",") + letters[b];
        EXPECT_EQ(label, o.label) << r;
        std::next_permutation(p.begin(), p.end());
    }
}

TEST_F(SettingsDialogs, GamepadStoredMapsOpenOnTheirRowAndOkKeepsAMapThatIsNoOrder) {
    // Two buttons on guest button 1: no order, written by hand; shown on the
    // first order, and kept by OK while no order is picked for it.
    const u8 swapped[4] = {2, 1, 3, 4}, repeated[4] = {1, 1, 2, 3};
    std::copy(swapped, swapped + 4, leftbutton);
    std::copy(repeated, repeated + 4, rightbutton);
    int first = -1, second = -1;
    bool reset_enabled = false;
    steps = {[&](int w) {
        first = gui_get_value(w, GID_PADS_FIRST);
        second = gui_get_value(w, GID_PADS_SECOND);
        reset_enabled = !gui_get_disabled(w, GID_PADS_RESET);
        gui_headless_post(w, gadget(GID_PADS_FIRST, 3)); // "R,G,Y,B"
        gui_headless_post(w, key(RAW_RETURN));
    }};
    gui_gamepad_buttons_window();
    EXPECT_EQ(first, 6);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(reset_enabled);
    EXPECT_EQ(std::vector<u8>(leftbutton, leftbutton + 4), (std::vector<u8>{1, 3, 4, 2}));
    EXPECT_EQ(std::vector<u8>(rightbutton, rightbutton + 4), (std::vector<u8>{1, 1, 2, 3}));

    // Alone on the first order it still differs from the defaults: Reset is
    // offered, and the close gadget keeps it as well.
    std::copy(swapped, swapped + 4, rightbutton);
    rightbutton[3] = 1; // 2, 1, 3, 1
    leftbutton[0] = 1, leftbutton[1] = 2, leftbutton[2] = 3, leftbutton[3] = 4;
    steps = {[&](int w) {
        reset_enabled = !gui_get_disabled(w, GID_PADS_RESET);
        second = gui_get_value(w, GID_PADS_SECOND);
        gui_headless_post(w, close_event());
    }};
    next_step = 0;
    gui_gamepad_buttons_window();
    EXPECT_TRUE(reset_enabled);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(std::vector<u8>(rightbutton, rightbutton + 4), (std::vector<u8>{2, 1, 3, 1}));

    // An order picked for it, or Reset, replaces it.
    steps = {[&](int w) {
        gui_headless_post(w, gadget(GID_PADS_SECOND, 1)); // "R,B,Y,G"
        gui_headless_post(w, gadget(GID_PADS_OK));
    }};
    next_step = 0;
    gui_gamepad_buttons_window();
    EXPECT_EQ(std::vector<u8>(rightbutton, rightbutton + 4), (std::vector<u8>{1, 2, 4, 3}));
    std::copy(repeated, repeated + 4, rightbutton);
    steps = {[&](int w) {
        gui_headless_post(w, gadget(GID_PADS_RESET));
        gui_headless_post(w, gadget(GID_PADS_OK));
    }};
    next_step = 0;
    gui_gamepad_buttons_window();
    EXPECT_EQ(std::vector<u8>(rightbutton, rightbutton + 4), (std::vector<u8>{1, 2, 3, 4}));
    leftbutton[0] = 1, leftbutton[1] = 3, leftbutton[2] = 4, leftbutton[3] = 2;

    // Reset, then Cancel: nothing changes.
    steps = {[&](int w) { gui_headless_post(w, gadget(GID_PADS_RESET)); },
             [&](int w) {
                 EXPECT_TRUE(gui_get_disabled(w, GID_PADS_RESET));
                 gui_headless_post(w, gadget(GID_PADS_CANCEL));
             }};
    next_step = 0;
    gui_gamepad_buttons_window();
    EXPECT_EQ(std::vector<u8>(leftbutton, leftbutton + 4), (std::vector<u8>{1, 3, 4, 2}));
}

// ---- Under a command of the port --------------------------------------------------

TEST_F(SettingsDialogs, UnderAPortCommandADialogOpensWithoutALoopAndTheEventPassServesIt) {
    ui_unattended = true;
    gui_sensitivity_window();
    ui_unattended = false;
    ASSERT_NE(sensitivity_window, 0);
    EXPECT_EQ(gui_headless_wait_events_count(), 0); // returned at once
    sensitivity_left = 3;
    gui_headless_post(sensitivity_window, gadget(GID_SENS_LEFT_SLIDER, 2));
    gui_headless_post(sensitivity_window, gadget(GID_SENS_OK));
    gui_dialogs_input();
    EXPECT_EQ(sensitivity_window, 0);
    EXPECT_EQ(sensitivity_left, 2);
}
