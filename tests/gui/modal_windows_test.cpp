#include "commands/arexx.h"
#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "core/emu.h"
#include "core/hiscore.h"
#include "core/loader.h"
#include "app/mainloop.h"
#include "core/message_date.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "core/ui_host.h"
#include "gui/about_windows.h"
#include "gui/dialogs.h"
#include "gui/hiscore_window.h"
#include "gui/main_window.h"
#include "gui/prompts.h"
#include "gui/requesters.h"
#include "platform/headless/gui_headless.h"
#include "platform/rexx_port.h"
#include "tests/core/home_fixture.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>

namespace {

GuiEvent close_event() {
    return {GE_CLOSE, 0, 0, 0, 0, 0, {}};
}

// What the user does while a modal window waits, one step per wait; the
// steps run against whichever modal window is open.
std::vector<std::function<void(int)>> steps;
std::size_t next_step = 0;
int open_modal() {
    if (hiscore_window) return hiscore_window;
    if (prompt_window) return prompt_window;
    return about_window;
}
void user_acts() {
    if (next_step < steps.size())
        steps[next_step++](open_modal());
    else if (int w = open_modal())
        gui_headless_post(w, close_event());
}

GuiEvent key(int code, std::uint16_t qualifier = 0) {
    return {GE_RAWKEY, 0, code, qualifier, 0, 0, {}};
}
GuiEvent gadget(int gid, int code = 0) {
    return {GE_GADGET, gid, code, 0, 0, 0, {}};
}

class ModalWindows : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        app_acquired.host_gui = true;
        steps.clear();
        next_step = 0;
        gui_headless_on_wait_events(user_acts);
        hiscore_reset();
    }
    void TearDown() override {
        gui_headless_on_wait_events(nullptr);
        HomeTest::TearDown();
    }
};

const GuiNode* find_node(const GuiNode& n, int gid) {
    if (n.gid == gid) return &n;
    for (const GuiNode& c : n.children)
        if (const GuiNode* f = find_node(c, gid)) return f;
    return nullptr;
}
const GuiNode* find_label(const GuiNode& n, const std::string& text) {
    if (n.kind == GK_LABEL && n.text == text) return &n;
    for (const GuiNode& c : n.children)
        if (const GuiNode* f = find_label(c, text)) return f;
    return nullptr;
}

} // namespace

// ---- High scores -----------------------------------------------------------------

TEST(HiScoreTexts, PlayTimeFormatsSwitchAtTheirBounds) {
    const struct {
        u32 seconds;
        const char* text;
    } cases[] = {
        {0, " 0:00"},
        {59, " 0:59"},
        {3599, "59:59"},
        {3600, " 1:00:00"},
        {86399, "23:59:59"},
        {86400, "1:00:00:00"},
        {863999, "9:23:59:59"},
        {864000, "#:##:##:##"},
        {std::numeric_limits<u32>::max(), "#:##:##:##"},
    };
    for (const auto& c : cases) {
        char text[HISCORE_TEXT_SIZE];
        hiscore_format_time(c.seconds, text);
        EXPECT_STREQ(text, c.text) << c.seconds;
    }
}

TEST(HiScoreTexts, ScoresKeepAllTenDigits) {
    for (u32 score : {0u, 999999u, 1234567890u, std::numeric_limits<u32>::max()}) {
        char text[HISCORE_TEXT_SIZE];
        hiscore_format_score(score, text);
        EXPECT_EQ(std::strtoull(text, nullptr, 10), score);
    }
}

TEST_F(ModalWindows, ArcadiaListShowsEveryGameAndClearsTheMachinesRecordsOnly) {
    machine = ARCADIA;
    memmap = 6;
    hiscores[3].score = 4000000000u;
    hiscores[3].play_seconds = 3600;
    std::strcpy(hiscores[3].who, "Ann");
    hiscores[60].score = 77; // a ball-and-paddle record: not this machine's
    bool enabled_before = false, disabled_after = false;
    std::vector<GuiListRow> before, after;
    steps = {[&](int w) {
                 before = *gui_headless_rows(w, GID_HISCORE_LIST);
                 enabled_before = !gui_get_disabled(w, GID_HISCORE_CLEAR);
                 gui_headless_post(w, gadget(GID_HISCORE_CLEAR));
             },
             [&](int w) {
                 after = *gui_headless_rows(w, GID_HISCORE_LIST);
                 disabled_after = gui_get_disabled(w, GID_HISCORE_CLEAR);
                 gui_headless_post(w, key(0x44)); // Return closes
             }};
    gui_high_scores_window();
    EXPECT_EQ(hiscore_window, 0);
    EXPECT_EQ(gui_modal_active, 0);
    ASSERT_EQ(before.size(), 52u);
    EXPECT_EQ(before[3].cells[1].text, hiscore_game_name(3));
    EXPECT_EQ(before[3].cells[2].text, "4000000000");
    EXPECT_EQ(before[3].cells[4].text, "Ann");
    EXPECT_EQ(before[3].cells[5].text, " 1:00:00");
    EXPECT_TRUE(enabled_before);
    ASSERT_EQ(after.size(), 52u);
    EXPECT_EQ(after[3].cells[2].text, "0");
    EXPECT_EQ(after[3].cells[3].text, "-");
    EXPECT_EQ(after[3].cells[4].text, "-");
    EXPECT_EQ(after[3].cells[5].text, " 0:00");
    EXPECT_TRUE(disabled_after);
    EXPECT_EQ(hiscores[3].score, 0u);
    EXPECT_EQ(hiscores[60].score, 77u);
}

TEST_F(ModalWindows, ArcadiaListScrollsByTheQualifiersHeld) {
    machine = ARCADIA;
    memmap = 6;
    std::vector<int> tops;
    auto then_top = [&](GuiEvent e) {
        return [&tops, e](int w) {
            tops.push_back(gui_list_top(w, GID_HISCORE_LIST));
            gui_headless_post(w, e);
        };
    };
    GuiEvent wheel_up;
    wheel_up.type = GE_WHEEL;
    wheel_up.code = -1;
    wheel_up.qualifier = QUAL_CONTROL;
    steps = {then_top(key(0x4D, QUAL_LALT)),               // to the bottom
             then_top(key(0x4C, QUAL_CAPSLOCK)),           // one line up
             then_top(key(0x7A)),                          // wheel: one line up
             then_top(wheel_up),                           // a page up
             then_top(key(0x4C, QUAL_RALT | QUAL_LSHIFT)), // to the top
             then_top(key(0x4D)),                          // one line down
             then_top(key(0x45))};                         // Esc closes
    gui_high_scores_window();
    ASSERT_EQ(tops.size(), 7u);
    const int page = gui_headless_last_closed_desc()->root.children[2].visible;
    ASSERT_GT(page, 0);
    const int bottom = tops[1];
    EXPECT_EQ(bottom, 52 - page);
    EXPECT_EQ(tops[2], bottom - 1);
    EXPECT_EQ(tops[3], bottom - 2);
    EXPECT_EQ(tops[4], bottom - 2 - page);
    EXPECT_EQ(tops[5], 0);
    EXPECT_EQ(tops[6], 1);
}

TEST_F(ModalWindows, GadgetPagesFillTheirRowsAndAnyKeyCloses) {
    const struct {
        u32 machine;
        int rows;
        const char* title;
    } pages[] = {
        {8, 6, "Coin-Op"}, {9, 6, "Coin-Op"}, {PONG, 6, "Pong"}, {TYPERIGHT, 23, "Type-right"}};
    for (const auto& p : pages) {
        SCOPED_TRACE(p.title);
        machine = p.machine;
        memmap = 22;
        hiscore_reset();
        const int first = p.machine == PONG ? 58 : p.machine == TYPERIGHT ? 64 : 52;
        hiscores[first + p.rows - 1].score = 123;
        hiscores[first + p.rows - 1].play_seconds = 61;
        std::string title, score, time, cleared_time;
        bool no_row_past_end = false;
        steps.clear();
        next_step = 0;
        steps = {[&](int w) {
                     title = gui_headless_title(w);
                     score = gui_get_text(w, GID_HISCORE_SCORE + p.rows - 1);
                     time = gui_get_text(w, GID_HISCORE_TIME + p.rows - 1);
                     no_row_past_end = p.rows == 23 || !find_node(gui_headless_desc(w)->root,
                                                                  GID_HISCORE_SCORE + p.rows);
                     gui_headless_post(w, gadget(GID_HISCORE_CLEAR));
                 },
                 [&](int w) {
                     cleared_time = gui_get_text(w, GID_HISCORE_TIME + p.rows - 1);
                     gui_headless_post(w, key(0x20)); // any key
                 }};
        gui_high_scores_window();
        EXPECT_EQ(next_step, 2u);
        EXPECT_EQ(title.rfind(p.title, 0), 0u) << title;
        EXPECT_EQ(score, "123");
        EXPECT_EQ(time, " 1:01");
        EXPECT_EQ(cleared_time, "0:00");
        EXPECT_TRUE(no_row_past_end);
        EXPECT_EQ(hiscores[first + p.rows - 1].score, 0u);
    }
}

TEST_F(ModalWindows, NoWindowForAMachineWithoutRecords) {
    machine = 3; // no high scores
    gui_high_scores_window();
    EXPECT_EQ(gui_headless_wait_events_count(), 0);
    EXPECT_EQ(gui_headless_last_closed_desc(), nullptr);
}

TEST_F(ModalWindows, GamePicturesAreLoadedOnlyOnFirstOpening) {
    machine = ARCADIA;
    hiscore_images_pending[0] = 1;
    gui_high_scores_window();
    EXPECT_EQ(hiscore_images_pending[0], 0);
    const int images = gui_headless_image_count();
    gui_high_scores_window();
    EXPECT_EQ(gui_headless_image_count(), images);
}

// ---- The load-address prompt -----------------------------------------------------

TEST_F(ModalWindows, LoadAddressPromptKeepsTheLastAcceptedAnswer) {
    std::snprintf(load_address_text, sizeof load_address_text, "$0");
    std::string shown[3];
    auto type = [&](int i, std::string text, GuiEvent end) {
        return [&, i, text, end](int w) {
            shown[i] = gui_get_text(w, GID_PROMPT_FIELD);
            gui_set_text(w, GID_PROMPT_FIELD, text.c_str());
            gui_headless_post(w, end);
        };
    };
    steps = {type(0, "$1234", gadget(GID_PROMPT_FIELD, 13))};
    EXPECT_EQ(gui_choose_load_address(), 1);
    EXPECT_STREQ(load_address_text, "$1234");

    steps = {type(1, "$7F", key(0x45))};
    next_step = 0;
    EXPECT_EQ(gui_choose_load_address(), 0); // Esc: the typed text is not kept
    EXPECT_STREQ(load_address_text, "$1234");

    steps = {type(2, "$20", close_event())};
    next_step = 0;
    EXPECT_EQ(gui_choose_load_address(), 1); // the close gadget accepts
    EXPECT_STREQ(load_address_text, "$20");
    EXPECT_EQ(shown[0], "$0");
    EXPECT_EQ(shown[1], "$1234");
    EXPECT_EQ(shown[2], "$1234");
    EXPECT_EQ(gui_modal_active, 0);
}

TEST_F(ModalWindows, LoadAddressPromptThatCannotOpenIsCancelled) {
    gui_headless_fail_next_open();
    gui_headless_answer_requesters({1});
    EXPECT_EQ(gui_choose_load_address(), 0);
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    EXPECT_NE(gui_headless_requesters()[0].find("Can't open window!"), std::string::npos);
}

// ---- The edit prompt ------------------------------------------------------------------

// What the user types into the entry that has the keyboard.
void type(int w, const char* text) {
    for (const char* c = text; *c; c++)
        gui_headless_key(w, 0x20, *c, false);
}

TEST_F(ModalWindows, EditPromptWritesWhatIsTypedAndRefusesValuesOutOfRange) {
    fresh_cpu(PIPBUG, MAP_PIPBUG_1);
    machine = PIPBUG;
    guest_memory[0x0500] = 0x12;
    std::string shown[4], said;
    OutputCapture out;
    // The old value is selected: typing replaces it.
    steps = {[&](int w) {
        shown[0] = gui_get_text(w, GID_PROMPT_FIELD);
        shown[1] = gui_get_text(w, GID_EDIT_FROM);
        shown[2] = gui_get_text(w, GID_EDIT_TO);
        type(w, "5A");
        gui_headless_post(w, gadget(GID_EDIT_TO, 13));
    }};
    EXPECT_EQ(gui_edit_value_window("$500", 0, 0), 1);
    EXPECT_EQ(shown[0], "$500");
    EXPECT_EQ(shown[1], "$12");
    EXPECT_EQ(shown[2], "$12");
    EXPECT_EQ(guest_memory[0x0500], 0x5A);
    EXPECT_NE(out.text().find("Changed contents of $500 from $12 to $5A."), std::string::npos);
    // Above the limit: refused with the range, the prompt stays open with the
    // text as typed, and what is typed next replaces it.
    gui_headless_answer_requesters({1});
    steps = {[&](int w) {
                 type(w, "$300");
                 gui_headless_post(w, gadget(GID_EDIT_TO, 13));
             },
             [&](int w) {
                 shown[3] = gui_get_text(w, GID_EDIT_TO);
                 type(w, "77");
                 gui_headless_post(w, gadget(GID_EDIT_TO, 13));
             }};
    next_step = 0;
    EXPECT_EQ(gui_edit_value_window("$500", 0, 0), 1);
    EXPECT_EQ(shown[3], "$300");
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    EXPECT_NE(gui_headless_requesters()[0].find("valid range is $0..$FF"), std::string::npos)
        << gui_headless_requesters()[0];
    EXPECT_EQ(guest_memory[0x0500], 0x77);
    EXPECT_EQ(out.text().find("to $FF."), std::string::npos);
    // Esc: nothing changes, and the debugger's own call says so.
    steps = {[&](int w) {
        gui_set_text(w, GID_EDIT_TO, "$1");
        gui_headless_post(w, key(0x45));
    }};
    next_step = 0;
    EXPECT_EQ(gui_edit_value_window("$500", 0, 0), 1);
    EXPECT_EQ(guest_memory[0x0500], 0x77);
    EXPECT_NE(out.text().find("Cancelled.\n\n"), std::string::npos);
    // A register, a word, and nothing to edit.
    steps = {[&](int w) {
        gui_set_text(w, GID_EDIT_TO, "$7");
        gui_headless_post(w, close_event());
    }};
    next_step = 0;
    EXPECT_EQ(gui_edit_value_window("R2", 1, 0), 1);
    EXPECT_EQ(cpu_regs[2], 7);
    EXPECT_EQ(gui_edit_value_window("R2", 1, 1), 0); // a register is no word
    EXPECT_EQ(gui_edit_value_window("NOSUCHLABEL", 1, 0), 0);
    // A tool window's edit closed with a value out of range says why too.
    gui_headless_answer_requesters({1});
    steps = {[&](int w) {
        type(w, "$1FF");
        gui_headless_post(w, close_event());
    }};
    next_step = 0;
    EXPECT_EQ(gui_edit_value_window("$500", 1, 0), 1);
    EXPECT_EQ(guest_memory[0x0500], 0x77);
    ASSERT_EQ(gui_headless_requesters().size(), 2u);
    EXPECT_NE(gui_headless_requesters()[1].find("\"$1FF\" is refused"), std::string::npos);
    EXPECT_EQ(gui_modal_active, 0);
}

// ---- About windows -----------------------------------------------------------------

TEST_F(ModalWindows, AboutWindowEditsItsFieldsAndIgnoresTheWheel) {
    task_priority = 0;
    clip_unit = 0;
    steps = {[](int w) {
                 gui_set_value(w, GID_ABOUT_CLIPUNIT, 7);
                 gui_headless_post(w, gadget(GID_ABOUT_CLIPUNIT));
                 gui_set_value(w, GID_ABOUT_PRIORITY, -3);
                 gui_headless_post(w, gadget(GID_ABOUT_PRIORITY));
                 gui_headless_post(w, gadget(GID_ABOUT_WEB));
                 gui_headless_post(w, key(0x7A));
             },
             [](int w) { gui_headless_post(w, key(0x10)); }};
    gui_open_about_window();
    EXPECT_EQ(next_step, 2u); // the wheel left it open, the key closed it
    EXPECT_EQ(clip_unit, 7u);
    EXPECT_EQ(task_priority, -3);
    EXPECT_TRUE(gui_headless_opened_urls().empty()) << "no link leads anywhere";
    task_priority = 0;
    app_apply_task_priority();
}

namespace {
const GuiNode* find_gadget(const GuiNode& n, int gid) {
    if (n.gid == gid) return &n;
    for (const GuiNode& c : n.children)
        if (const GuiNode* f = find_gadget(c, gid)) return f;
    return nullptr;
}
bool has_text(const GuiNode& n, const std::string& text) {
    if (n.text == text) return true;
    for (const GuiNode& c : n.children)
        if (has_text(c, text)) return true;
    return false;
}
} // namespace

// The window shows when the program was built, and links without an address
// are ghosted and say why instead of opening something else.
TEST_F(ModalWindows, AboutWindowShowsTheBuildDateAndGhostsLinksWithoutAddress) {
    const GuiWindowDesc* shown = nullptr;
    GuiWindowDesc copy;
    steps = {[&](int w) {
        shown = gui_headless_desc(w);
        if (shown) copy = *shown;
        gui_headless_post(w, close_event());
    }};
    gui_open_about_window();
    ASSERT_NE(shown, nullptr);
    const std::string date = about_build_date(__DATE__);
    EXPECT_FALSE(date.empty());
    EXPECT_TRUE(has_text(copy.root, date)) << date;
    for (int gid : {GID_ABOUT_RELEASES, GID_ABOUT_WEB, GID_ABOUT_MAIL, GID_ABOUT_PICTURE}) {
        const GuiNode* link = find_gadget(copy.root, gid);
        ASSERT_NE(link, nullptr) << gid;
        EXPECT_TRUE(link->disabled) << gid;
        EXPECT_NE(link->hint.find("No address is known for the "), std::string::npos) << gid;
    }
    EXPECT_EQ(find_gadget(copy.root, GID_ABOUT_SCREEN), nullptr) << "no public screens here";

    // The product in bold, then the description, notice, translation and port lines.
    const auto& heading = copy.root.children.at(0).children.at(2).children;
    ASSERT_GE(heading.size(), 7u);
    EXPECT_TRUE(heading[0].bold);
    EXPECT_EQ(heading[0].text, "Brindlemox 36.4");
    const std::vector<std::string> lines = {"An emulator of Signetics-based machines",
                                            "Free software, with no warranty of any kind.",
                                            "English text by the Brindlemox developers",
                                            "Linux port compiled by the Brindlemox developers"};
    for (const std::string& line : lines)
        EXPECT_TRUE(has_text(copy.root, line)) << line;

    // The date in the order of the log's and the headers' dates; a text that
    // is no date gives no line.
    date_month_first = false;
    EXPECT_EQ(about_build_date("Aug 12 2026"), "Wednesday 12/8/2026");
    date_month_first = true;
    EXPECT_EQ(about_build_date("Aug 12 2026"), "Wednesday 8/12/2026");
    date_month_first = false;
    EXPECT_EQ(about_build_date("Feb 30 2026x"), "");
    EXPECT_EQ(about_build_date(""), "");
}

// Typed keys reach the window, not its clipboard-unit field: any key closes it.
TEST_F(ModalWindows, AnyTypedKeyClosesTheAboutWindow) {
    for (const auto& [raw, ch] : std::vector<std::pair<int, char>>{{0x10, 'q'}, {0x40, ' '}, {0x05, '5'}}) {
        clip_unit = 0;
        bool still_open = false;
        steps = {[raw = raw, ch = ch](int w) {
                     gui_headless_key(w, raw, ch, false);
                     gui_headless_key(w, raw, ch, true);
                 },
                 [&still_open](int) { still_open = true; }};
        next_step = 0;
        gui_open_about_window();
        EXPECT_EQ(about_window, 0) << ch;
        EXPECT_FALSE(still_open) << ch << ": the key did not close it";
        EXPECT_EQ(clip_unit, 0u) << ch;
    }
}

TEST_F(ModalWindows, ToolkitClassVersionsArePaddedAndOptionalOnesDashed) {
    gui_headless_set_toolkit_version(44, 7);
    EXPECT_EQ(about_class_version(0), "44.7");
    EXPECT_EQ(about_class_version(3), "  -");
    EXPECT_EQ(about_class_version(23), "  -");
    gui_headless_set_toolkit_version(5, 12);
    EXPECT_EQ(about_class_version(14), " 5.12");
}

TEST(AboutClassKeys, SelectionMovesAndOnlyPlainKeysClose) {
    const int last = ABOUT_CLASSES - 1;
    const struct {
        int selected, key;
        u32 qualifier;
        int result;
    } cases[] = {
        {-1, 0x4C, 0, 0},
        {0, 0x4C, 0, 0},
        {5, 0x4C, 0, 4},
        {5, 0x7A, QUAL_LSHIFT, 0},
        {5, 0x4D, QUAL_RSHIFT, last},
        {-1, 0x4D, 0, last},
        {last, 0x7B, 0, last},
        {5, 0x7B, 0, 6},
        {5, 0x20, QUAL_CONTROL, 5},
        {5, 0x20, QUAL_LALT, 5},
        {5, 0x20, 0, -2},
        {5, 0x20, QUAL_CAPSLOCK, -2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(about_class_key(c.selected, c.key, c.qualifier), c.result)
            << c.selected << " " << c.key << " " << c.qualifier;
}

TEST_F(ModalWindows, TheClassListShowsEveryClassAndClosesOnAKey) {
    std::size_t rows = 0;
    int after_down = -2;
    steps = {[&](int w) {
                 rows = gui_headless_rows(w, GID_ABOUT_CLASSES)->size();
                 gui_headless_post(w, key(0x4D, QUAL_LSHIFT));
             },
             [&](int w) {
                 after_down = gui_get_value(w, GID_ABOUT_CLASSES);
                 gui_headless_post(w, key(0x21));
             }};
    gui_open_about_reaction_window();
    EXPECT_EQ(rows, static_cast<std::size_t>(ABOUT_CLASSES));
    EXPECT_EQ(after_down, ABOUT_CLASSES - 1);
    EXPECT_EQ(next_step, 2u);
}

TEST_F(ModalWindows, MenuItemsOpenTheWindows) {
    machine = ARCADIA;
    for (int id : {38, 280, 281}) {
        EXPECT_TRUE(cmd_built(*cmd_of_plain(id))) << id;
        steps.clear();
        next_step = 0;
        const int before = gui_headless_wait_events_count();
        gui_menu_pick(id); // the default step closes it
        EXPECT_GT(gui_headless_wait_events_count(), before) << id;
    }
}

// Asked for by a command of the port nobody waits at the screen: the windows
// open without a loop of their own (the command answers at once), the event
// pass hands them their events, and iconifying waits for the frame boundary.
TEST_F(ModalWindows, UnderAPortCommandTheyOpenWithoutALoop) {
    machine = ARCADIA;
    memmap = 6;
    hiscores[3].score = 500;
    hiscores[60].score = 77; // a ball-and-paddle record
    std::string result;
    const auto from_port = [&result](const char* line) {
        return ui_unattended_run(arexx_execute, line, &result);
    };
    const int waits = gui_headless_wait_events_count();
    EXPECT_EQ(from_port("VIEWHIGHSCORES"), 0);
    EXPECT_EQ(from_port("MENU HELP.ABOUT"), 0);
    EXPECT_EQ(gui_headless_wait_events_count(), waits);
    EXPECT_EQ(gui_modal_active, 0);
    ASSERT_NE(hiscore_window, 0);
    ASSERT_NE(about_window, 0);
    const int about = about_window;
    EXPECT_EQ(from_port("MENU HELP.REACTION"), 0); // one About window at a time
    EXPECT_EQ(about_window, about);
    gui_dialogs_input();
    EXPECT_TRUE(gui_window_is_open(about));
    gui_headless_post(about, close_event());
    gui_dialogs_input();
    EXPECT_EQ(about_window, 0);
    EXPECT_FALSE(gui_window_is_open(about));
    // Left open over a machine switch, the page closes rather than clear
    // another machine's records.
    const int scores = hiscore_window;
    machine = PONG;
    gui_headless_post(scores, gadget(GID_HISCORE_CLEAR));
    gui_dialogs_input();
    EXPECT_EQ(hiscore_window, 0);
    EXPECT_FALSE(gui_window_is_open(scores));
    EXPECT_EQ(hiscores[3].score, 500u);
    EXPECT_EQ(hiscores[60].score, 77u);
    machine = ARCADIA;

    gui_open_main_window(0);
    pending_actions = 0;
    EXPECT_EQ(from_port("MENU PROJECT.ICONIFY"), 0);
    EXPECT_TRUE(pending_actions & PA_ICONIFY);
    EXPECT_FALSE(gui_window_minimised(main_window));
    EXPECT_EQ(gui_headless_wait_events_count(), waits);
    pending_actions = 0;
}

// A modal window the user opened: meanwhile every command of the port is
// answered that a requester is open.
std::atomic<bool> client_answered{false};
TEST_F(ModalWindows, WhileOneIsOpenThePortAnswersThatARequesterIs) {
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    std::string name;
    ASSERT_EQ(rexx_port_open("MODAL", true, &name), REXX_PORT_OK);
    client_answered = false;
    int rc = -2;
    std::string result;
    std::thread client([&] {
        rc = rexx_port_send("MODAL", "GETVERSION", &result, nullptr, nullptr);
        client_answered = true;
    });
    // The user closes the window once the client has its answer (or at the
    // hang deadline, when the answer below is not the one due).
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(TEST_HANG_SECONDS);
    steps.assign(100000, [end](int w) {
        if (client_answered || std::chrono::steady_clock::now() > end)
            gui_headless_post(w, close_event());
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    gui_open_about_window();
    client.join();
    rexx_port_close();
    EXPECT_EQ(about_window, 0);
    EXPECT_EQ(rc, 5);
    EXPECT_EQ(result, "A requester is open.\n");
}

// ---- Who sets a score ------------------------------------------------------------------

TEST(UserName, ComesFromTheEnvironment) {
    const char* saved_user = std::getenv("USER");
    const std::string user = saved_user ? saved_user : "";
    setenv("username", "Ann Example", 1);
    setenv("USER", "ann", 1);
    user_name_read();
    EXPECT_STREQ(user_name, "Ann Example");
    unsetenv("username");
    user_name_read();
    EXPECT_STREQ(user_name, "ann");
    setenv("USER", std::string(40, 'x').c_str(), 1);
    user_name_read();
    EXPECT_EQ(std::strlen(user_name), 30u);
    unsetenv("USER");
    user_name_read();
    EXPECT_STREQ(user_name, "Brindlemox User");
    if (saved_user) setenv("USER", user.c_str(), 1);
}

// The gadget pages' columns: the score 7 characters wide and right-aligned,
// "Achieved on" centred, "Played for" right-aligned, "Achieved by" taking
// the spare width; each heading aligned as its column.
TEST_F(ModalWindows, GadgetPageColumnsHaveTheirWidthsAndAlignments) {
    machine = TYPERIGHT;
    hiscore_reset();
    GuiWindowDesc copy;
    steps = {[&](int w) { copy = *gui_headless_desc(w); }};
    gui_high_scores_window();
    const struct {
        int gid;
        const char* heading;
        int chars, align, weight;
    } columns[] = {{GID_HISCORE_SCORE, "Score", 7, 2, 0},
                   {GID_HISCORE_WHEN, "Achieved on", 15, 1, 0},
                   {GID_HISCORE_WHO, "Achieved by", 0, 0, 1},
                   {GID_HISCORE_TIME, "Played for", 10, 2, 0}};
    for (const auto& c : columns) {
        SCOPED_TRACE(c.heading);
        for (int row : {0, 22}) {
            const GuiNode* f = find_node(copy.root, c.gid + row);
            ASSERT_NE(f, nullptr);
            EXPECT_TRUE(f->readonly);
            EXPECT_EQ(f->max_chars, c.chars);
            EXPECT_EQ(f->align, c.align);
            EXPECT_EQ(f->weight, c.weight);
        }
        const GuiNode* heading = find_label(copy.root, c.heading);
        ASSERT_NE(heading, nullptr);
        EXPECT_EQ(heading->align, c.align);
    }
}
