// The tool-window machinery: opening and closing by id at the remembered
// place, the menu item that follows, the warning of a window that cannot be
// opened, the setters by global gadget id, the refreshers and the gadget kinds.
#include "app/shutdown.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

constexpr int GID_PLAY = 96, GID_LEVEL = 97, GID_SPEED = 98, GID_NAME = 99, GID_TAPE = 100;

std::string log_text;
int refresh_force = -1;

GuiNode gadget(GuiKind kind, int gid) {
    GuiNode n;
    n.kind = kind;
    n.gid = gid;
    return n;
}

// A tool window as the real ones are made: its opener builds the description
// and hands it over.
template <ToolWindow W> void open_sample() {
    GuiWindowDesc d;
    d.title = "Sample " + std::to_string(W);
    d.root.kind = GK_VGROUP;
    GuiNode play = gadget(GK_BUTTON, GID_PLAY);
    play.toggle = true;
    play.text = "Play";
    GuiNode level = gadget(GK_SLIDER, GID_LEVEL);
    level.max = 15;
    GuiNode speed = gadget(GK_RADIO, GID_SPEED);
    speed.items = {"slow", "normal", "fast"};
    GuiNode tape = gadget(GK_PICTURE, GID_TAPE);
    tape.min_w = 40;
    tape.min_h = 30;
    d.root.children = {play, level, speed, gadget(GK_STRING, GID_NAME), tape};
    gui_open_subwindow(W, d);
    log_text += "o" + std::to_string(W) + " ";
}

template <ToolWindow W> SubwindowOps sample_ops() {
    SubwindowOps ops;
    ops.open = open_sample<W>;
    ops.refresh = [](int force) {
        log_text += "r" + std::to_string(W) + " ";
        refresh_force = force;
    };
    ops.release = [] { log_text += "x" + std::to_string(W) + " "; };
    return ops;
}

const GuiMenuItem* find(const std::vector<GuiMenuItem>& items, int id) {
    for (const GuiMenuItem& m : items) {
        if (m.id == id) return &m;
        if (const GuiMenuItem* s = find(m.sub, id)) return s;
    }
    return nullptr;
}

class ToolWindowFramework : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        log_text.clear();
        refresh_force = -1;
        gui_subwin_ops[TW_CONTROLS] = sample_ops<TW_CONTROLS>();
        gui_subwin_ops[TW_CPU] = sample_ops<TW_CPU>();
        gui_subwin_ops[TW_OPCODES] = sample_ops<TW_OPCODES>();
        gui_subwin_ops[TW_TAPE] = sample_ops<TW_TAPE>();
    }
    void TearDown() override { fresh_state(); }
};

} // namespace

TEST_F(ToolWindowFramework, AWindowReopensWhereItWasClosedUntilThePlacesAreForgotten) {
    gui_open_tool_window(TW_TAPE);
    const int first = gui_subwin_window[TW_TAPE];
    ASSERT_NE(first, 0);
    EXPECT_EQ(gui_headless_desc(first)->left, -1); // nowhere remembered: centred
    gui_headless_move(first, 120, 45);
    gui_close_subwindow(TW_TAPE);
    EXPECT_EQ(gui_subwin_window[TW_TAPE], 0);
    EXPECT_FALSE(gui_window_is_open(first));
    EXPECT_FALSE(gui_tool_window_open(TW_TAPE));

    gui_open_tool_window(TW_TAPE);
    const GuiWindowDesc* d = gui_headless_desc(gui_subwin_window[TW_TAPE]);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->left, 120);
    EXPECT_EQ(d->top, 45);

    gui_close_subwindow(TW_TAPE);
    gui_forget_subwindow_positions(); // another screen
    gui_open_tool_window(TW_TAPE);
    EXPECT_EQ(gui_headless_desc(gui_subwin_window[TW_TAPE])->left, -1);
    EXPECT_EQ(log_text, "o7 x7 o7 x7 o7 ");
}

TEST_F(ToolWindowFramework, TheMenuItemFollowsItsWindow) {
    gui_open_main_window(0);
    const int item = gui_subwin_menu_id[TW_CONTROLS];
    ASSERT_EQ(item, 173);
    auto state = [item] { return find(*gui_headless_menus(main_window), item); };
    ASSERT_NE(state(), nullptr);
    EXPECT_FALSE(state()->disabled);
    gui_open_tool_window(TW_CONTROLS);
    EXPECT_TRUE(state()->disabled); // open: picking it again has nothing to do
    gui_close_subwindow(TW_CONTROLS);
    EXPECT_FALSE(state()->disabled);
}

TEST_F(ToolWindowFramework, AWindowThatCannotOpenWarnsOnceAndStaysClosed) {
    app_acquired.host_gui = true;
    gui_headless_answer_requesters({1});
    gui_headless_fail_next_open();
    gui_open_tool_window(TW_TAPE);
    app_acquired.host_gui = false;
    EXPECT_EQ(gui_subwin_window[TW_TAPE], 0);
    EXPECT_FALSE(gui_tool_window_open(TW_TAPE));
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    EXPECT_EQ(gui_headless_requesters()[0], "Warning|Can't open window!|OK");
    EXPECT_EQ(gui_gadgets[GID_PLAY], 0);
    // The next try opens it.
    gui_open_tool_window(TW_TAPE);
    EXPECT_NE(gui_subwin_window[TW_TAPE], 0);
}

TEST_F(ToolWindowFramework, SettersChangeGadgetsOfOpenWindowsByGlobalId) {
    gui_open_tool_window(TW_TAPE);
    const int win = gui_subwin_window[TW_TAPE];
    ASSERT_NE(win, 0);
    EXPECT_EQ(gui_gadgets[GID_PLAY], win);
    EXPECT_EQ(gui_gadgets[GID_TAPE], win);

    struct Case {
        const char* what;
        void (*set)(ToolWindow, int, u32);
        u32 value;
        bool disabled; // expected afterwards
    };
    const Case enabling[] = {
        {"disabled by a flag", gui_set_disabled, 1, true},
        {"a flag counts by its low half", gui_set_disabled, 0x10000, false},
        {"enabled by any value", gui_set_disabled_refresh, 0, true},
        {"enabled by a high bit", gui_set_enabled, 0x10000, false},
        {"enabled, redrawn", gui_set_enabled_refresh, 0, true},
        {"enabled again", gui_set_enabled_refresh, 7, false},
    };
    for (const Case& c : enabling) {
        c.set(TW_TAPE, GID_PLAY, c.value);
        EXPECT_EQ(gui_get_disabled(win, GID_PLAY), c.disabled) << c.what;
    }

    gui_set_selected(TW_TAPE, GID_PLAY, 1u);
    EXPECT_TRUE(gui_get_selected(win, GID_PLAY));
    gui_set_selected_refresh(TW_TAPE, GID_PLAY, 0x10000u);
    EXPECT_FALSE(gui_get_selected(win, GID_PLAY));

    gui_set_slider(TW_TAPE, GID_LEVEL, 9);
    EXPECT_EQ(gui_get_value(win, GID_LEVEL), 9);
    gui_set_radio_refresh(TW_TAPE, GID_SPEED, 2);
    EXPECT_EQ(gui_get_value(win, GID_SPEED), 2);

    std::snprintf(gui_text_buffer, GUI_TEXT_BUFFER, "Side %c", 'B');
    gui_set_string_shared(TW_TAPE, GID_NAME, 0);
    EXPECT_EQ(gui_get_text(win, GID_NAME), "Side B");
    gui_set_string(TW_TAPE, GID_NAME, "Side A");
    EXPECT_EQ(gui_get_text(win, GID_NAME), "Side A");
    gui_nop_gadget(TW_TAPE, GID_NAME, 0);
    EXPECT_EQ(gui_get_text(win, GID_NAME), "Side A");

    // A closed window's gadgets are left alone.
    gui_close_subwindow(TW_TAPE);
    gui_set_string(TW_TAPE, GID_NAME, "gone");
    gui_set_slider(TW_TAPE, GID_LEVEL, 3);
    gui_set_string(static_cast<ToolWindow>(TOOL_WINDOWS), GID_NAME, "out of range");
    EXPECT_EQ(gui_subwin_window[TW_TAPE], 0);
}

TEST_F(ToolWindowFramework, APointOnEitherEdgeOfAGadgetIsInsideIt) {
    gui_open_tool_window(TW_TAPE);
    const GuiRect r = gui_gadget_rect(gui_subwin_window[TW_TAPE], GID_TAPE);
    ASSERT_EQ(r.right - r.left + 1, 40);
    const int mid_y = (r.top + r.bottom) / 2;
    EXPECT_EQ(gui_point_in_gadget(GID_TAPE, r.left, mid_y), 1);
    EXPECT_EQ(gui_point_in_gadget(GID_TAPE, r.right, mid_y), 1);
    EXPECT_EQ(gui_point_in_gadget(GID_TAPE, r.right + 1, mid_y), 0);
    EXPECT_EQ(gui_point_in_gadget(GID_TAPE, r.left - 1, mid_y), 0);
    EXPECT_EQ(gui_point_in_gadget(GID_TAPE, r.left, r.bottom + 1), 0);
    EXPECT_EQ(gui_point_in_gadget(GUI_GADGETS, r.left, mid_y), 0);
    gui_close_subwindow(TW_TAPE);
    EXPECT_EQ(gui_point_in_gadget(GID_TAPE, r.left, mid_y), 0);
}

TEST_F(ToolWindowFramework, RefreshersRunForOpenWindowsInEventOrder) {
    gui_open_tool_window(TW_TAPE);
    gui_open_tool_window(TW_CONTROLS);
    log_text.clear();
    gui_refresh_windows(1);
    EXPECT_EQ(log_text, "r0 r7 "); // the CPU monitor is closed
    EXPECT_EQ(refresh_force, 1);
}

TEST_F(ToolWindowFramework, OnlyTheRealTimeMonitorsOpenAsMonitors) {
    gui_open_monitor(TW_OPCODES);
    EXPECT_FALSE(gui_tool_window_open(TW_OPCODES));
    gui_open_monitor(TW_CPU);
    EXPECT_TRUE(gui_tool_window_open(TW_CPU));
    gui_open_monitor(TW_CPU); // open: nothing
    EXPECT_EQ(log_text, "o4 ");

    // A new notation: the CPU monitor is built again at its place.
    gui_headless_move(gui_subwin_window[TW_CPU], 300, 200);
    gui_toggle_cpu_monitor();
    EXPECT_EQ(log_text, "o4 x4 o4 ");
    EXPECT_EQ(gui_headless_desc(gui_subwin_window[TW_CPU])->left, 300);
}

TEST_F(ToolWindowFramework, CloseAllClosesAndReopensTheWindowsThatWereOpen) {
    gui_open_main_window(0);
    gui_open_tool_window(TW_TAPE);
    gui_open_tool_window(TW_CPU);
    log_text.clear();
    gui_close_all_subwindows();
    EXPECT_FALSE(gui_tool_window_open(TW_TAPE));
    EXPECT_FALSE(gui_tool_window_open(TW_CPU));
    EXPECT_EQ(log_text, "x4 x7 ");
    log_text.clear();
    gui_reopen_subwindows();
    EXPECT_EQ(log_text, "o4 o7 ");
}

TEST(GadgetKinds, RangedGadgetsKeepTheirValueInRange) {
    fresh_state();
    GuiWindowDesc d;
    d.title = "ranges";
    GuiNode slider = gadget(GK_SLIDER, 1);
    slider.min = 10;
    slider.max = 20;
    GuiNode scroller = gadget(GK_SCROLLER, 2);
    scroller.max = 100; // lines
    scroller.visible = 30;
    GuiNode gauge = gadget(GK_FUELGAUGE, 3);
    gauge.max = 92;
    GuiNode radio = gadget(GK_RADIO, 4);
    radio.items = {"a", "b", "c"};
    GuiNode text = gadget(GK_TEXTEDIT, 5);
    d.root.children = {slider, scroller, gauge, radio, text};
    const int win = gui_window_open(d);
    struct Case {
        int gid, set, expected;
    };
    const Case cases[] = {
        {1, 25, 20}, {1, 5, 10},  {1, 15, 15}, // slider
        {2, 90, 70}, {2, -4, 0},  {2, 12, 12}, // scroller: the last full view is at 70
        {3, 93, 92}, {3, 92, 92},              // gauge
        {4, 5, 2},   {4, 1, 1},                // radio buttons
    };
    for (const Case& c : cases) {
        gui_set_value(win, c.gid, c.set);
        EXPECT_EQ(gui_get_value(win, c.gid), c.expected) << c.gid << " set to " << c.set;
    }
    gui_set_value(win, 2, 70);
    gui_set_range(win, 2, 0, 50, 30); // fewer lines: the top moves up
    EXPECT_EQ(gui_get_value(win, 2), 20);
    gui_set_text(win, 5, "line 1\nline 2");
    EXPECT_EQ(gui_get_text(win, 5), "line 1\nline 2");
    fresh_state();
}
