// The tool-window registry: one row per window, the event pass's order and
// the reopen order.
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string input_log;
template <int N> SubwindowOps polled(bool open) {
    static bool is_open;
    is_open = open;
    return {nullptr, nullptr, [] { input_log += std::to_string(N) + " "; }, [] { return is_open; }};
}

class ToolWindows : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
};

void expect_every_used_window_once(const ToolWindowOrder& order, const char* what) {
    std::set<int> seen;
    for (ToolWindow w : order) {
        EXPECT_NE(w, TW_NONE) << what;
        EXPECT_TRUE(seen.insert(w).second) << what << ": " << w << " twice";
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(TOOL_WINDOWS_USED)) << what;
}

} // namespace

TEST_F(ToolWindows, EveryWindowHasItsOwnRow) {
    for (int w = 0; w < TOOL_WINDOWS; w++) {
        const ToolWindowRow& row = tool_window_table[w];
        EXPECT_EQ(row.id, w);
        if (w == TW_NONE) {
            EXPECT_EQ(row.event_rank, -1);
            EXPECT_EQ(row.reopen_rank, -1);
        } else {
            EXPECT_NE(std::string(row.name), "") << w;
            EXPECT_GE(row.event_rank, 0) << row.name;
            EXPECT_GE(row.reopen_rank, 0) << row.name;
        }
    }
    expect_every_used_window_once(tool_window_event_order, "event order");
    expect_every_used_window_once(tool_window_reopen_order, "reopen order");
}

TEST_F(ToolWindows, InputHandlersRunForOpenWindowsInEventOrder) {
    input_log.clear();
    gui_subwin_ops[TW_TAPE] = polled<TW_TAPE>(true);
    gui_subwin_ops[TW_PSG] = polled<TW_PSG>(true);
    gui_subwin_ops[TW_MEMORY] = polled<TW_MEMORY>(false);
    gui_subwin_ops[TW_FLOPPY] = polled<TW_FLOPPY>(true);
    gui_subwin_ops[TW_NONE] = polled<TW_NONE>(true);
    gui_subwindows_input();
    EXPECT_EQ(input_log, "17 13 7 "); // floppy, PSG, tape; the memory editor is closed
    EXPECT_TRUE(gui_tool_window_open(TW_TAPE));
    EXPECT_FALSE(gui_tool_window_open(TW_MEMORY));
    EXPECT_FALSE(gui_tool_window_open(static_cast<ToolWindow>(TOOL_WINDOWS)));
    gui_tool_windows_reset();
}
