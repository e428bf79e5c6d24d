// The marks the emulation leaves for the interface and the event pass that
// takes them: who marks what, and that each mark is acted on once.
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string tool_log;
bool tool_is_open[TOOL_WINDOWS];

// Operations of tool window N that log what is done to it and keep it open or closed.
template <int N> SubwindowOps logged() {
    return {[] {
                tool_log += "o" + std::to_string(N) + " ";
                tool_is_open[N] = true;
            },
            [] {
                tool_log += "c" + std::to_string(N) + " ";
                tool_is_open[N] = false;
            },
            nullptr, [] { return tool_is_open[N]; }};
}

// The first memory map of `m`.
u32 map_of(u32 m) {
    for (u32 map = 0; map < MEMMAPS; map++)
        if (!memmap_is_empty(map) && static_cast<u32>(memmap_table[map].machine) == m) return map;
    return MEMMAPS;
}

class UiPass : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        tool_log.clear();
        for (bool& b : tool_is_open)
            b = false;
    }
    void TearDown() override { fresh_state(); }
};

} // namespace

TEST_F(UiPass, FreshStateStartsWithNothingMarked) {
    EXPECT_EQ(ui_changes_pending(), 0u);
    EXPECT_EQ(ui_take_tool_window_requests(), 0u);
}

TEST_F(UiPass, AMachineSwitchMarksTitleMenusAndStatusAndClosesToolsOnlyUnderAWindow) {
    const u32 interton = map_of(INTERTON), pipbug = map_of(PIPBUG);
    ASSERT_LT(interton, MEMMAPS);
    ASSERT_LT(pipbug, MEMMAPS);

    ASSERT_TRUE(machine_switch(INTERTON, static_cast<int>(interton), true, false, false));
    u32 c = ui_take_changes();
    EXPECT_EQ(c & (UI_TITLE | UI_MENUS | UI_STATUS), UI_TITLE | UI_MENUS | UI_STATUS);
    EXPECT_EQ(c & (UI_TOOL_WINDOWS | UI_SCALE), 0u); // no window: nothing to close
    EXPECT_EQ(ui_take_changes(), 0u);                // taken once

    gui_open_main_window(0);
    window_resize_pending = 1;
    ASSERT_TRUE(machine_switch(PIPBUG, static_cast<int>(pipbug), true, false, false));
    c = ui_take_changes();
    EXPECT_TRUE(c & UI_TOOL_WINDOWS);
    EXPECT_TRUE(c & UI_SCALE);
    EXPECT_EQ(window_resize_pending, 0);

    // Keeping the windows (a state of the same machine): neither closed nor resized.
    window_resize_pending = 1;
    ASSERT_TRUE(machine_switch(INTERTON, static_cast<int>(interton), false, false, true));
    c = ui_take_changes();
    EXPECT_FALSE(c & UI_TOOL_WINDOWS);
    EXPECT_FALSE(c & UI_SCALE);
    EXPECT_EQ(window_resize_pending, 1);
    window_resize_pending = 0;
}

TEST_F(UiPass, FrameEndPauseAndResetMarkWhatTheyChange) {
    struct Case {
        const char* what;
        void (*act)();
        u32 marks;
    };
    const Case cases[] = {
        {"end of frame", [] { emu_end_of_frame(); }, UI_REFRESH_WINDOWS},
        {"pause", [] { emu_pause(PauseCause::user); }, UI_TITLE | UI_MENUS | UI_TOOLBAR | UI_POINTER},
        {"unpause", [] { emu_unpause(); }, UI_TITLE | UI_MENUS | UI_TOOLBAR | UI_POINTER},
        {"paused mid-frame", [] { emu_mark_paused_mid_frame(); }, UI_MENUS | UI_TOOLBAR},
        {"reset", [] { machine_reset(); }, UI_REFRESH_WINDOWS},
        {"user's reset", [] { emu_reset_request(false); }, UI_REFRESH_WINDOWS | UI_MENUS},
    };
    for (const Case& c : cases) {
        ui_take_changes();
        c.act();
        EXPECT_EQ(ui_take_changes() & c.marks, c.marks) << c.what;
    }
    emu_clear_paused_mid_frame();
    emu_unpause();
}

TEST_F(UiPass, TheEventPassActsOnceOnMarksAndRequests) {
    gui_subwin_ops[TW_CONTROLS] = logged<TW_CONTROLS>();
    gui_subwin_ops[TW_CPU] = logged<TW_CPU>();
    gui_subwin_ops[TW_TAPE] = logged<TW_TAPE>();
    gui_open_main_window(0);
    tool_is_open[TW_CONTROLS] = tool_is_open[TW_CPU] = true;

    ui_mark(UI_TOOL_WINDOWS);
    ui_mark(UI_TOOL_WINDOWS);
    ui_request_tool_window(TW_TAPE);
    ui_request_tool_window(TW_TAPE);
    gui_main_window_events();
    EXPECT_EQ(tool_log, "c0 c4 o7 ");
    EXPECT_EQ(ui_changes_pending(), 0u);

    tool_log.clear();
    gui_main_window_events(); // nothing marked since: nothing done
    EXPECT_EQ(tool_log, "");

    // Closed for the switch, reopened after the load: in reopen order, in one pass.
    ui_mark(UI_REOPEN_WINDOWS);
    gui_main_window_events();
    EXPECT_EQ(tool_log, "o0 o4 ");
    gui_tool_windows_reset();
}

// The relabelling mark adapts the opcode tables to the variant now in force.
TEST_F(UiPass, TheOpcodeMarkRelabelsAtTheNextPass) {
    gui_open_main_window(0);
    ui_take_changes();
    cpu_type = CPU_2650B;
    cpu_reset_op_tables();
    op_length[0x11] = 1;
    gui_main_window_events(); // nothing marked: the tables stay
    EXPECT_EQ(op_length[0x11], 1u);
    ui_mark(UI_OPCODES);
    gui_main_window_events();
    EXPECT_EQ(op_length[0x11], 3u);
    EXPECT_EQ(op_cycles[0x01], 3u);
    EXPECT_STREQ(op_text[dis_notation][0x11].mnemonic, "STPL");
}

TEST_F(UiPass, TheTitleFollowsTheLoadedFileAtTheNextPass) {
    gui_open_main_window(0);
    ui_take_changes();
    const std::string before = gui_headless_title(main_window);
    file_loaded = 1;
    file_name_running("/games/marked.bin", false);
    ui_take_changes(); // as though the naming were not marked
    EXPECT_EQ(gui_headless_title(main_window), before); // not yet: nothing marked
    emu_pause(PauseCause::user);                                        // marks the title
    gui_main_window_events();
    const std::string after = gui_headless_title(main_window);
    EXPECT_NE(after.find("marked.bin"), std::string::npos) << after;
    EXPECT_NE(after.find("(paused)"), std::string::npos) << after;
    emu_unpause();
}

// The debugger's N (and the notation menu items, which send it) rebuilds an
// open CPU monitor so that its register names follow; a closed one stays closed.
TEST_F(UiPass, ANotationChangeRebuildsAnOpenCpuMonitor) {
    gui_subwin_ops[TW_CPU] = logged<TW_CPU>();
    gui_open_main_window(0);
    ui_take_changes();
    for (bool open : {true, false}) {
        tool_log.clear();
        tool_is_open[TW_CPU] = open;
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", "N 3");
        dbg_execute();
        EXPECT_EQ(dis_notation, 3u);
        EXPECT_TRUE(ui_changes_pending() & UI_NOTATION);
        gui_main_window_events();
        EXPECT_EQ(tool_log, open ? "c4 o4 " : "") << "open " << open;
        EXPECT_EQ(tool_is_open[TW_CPU], open);
    }
    dis_notation = 0;
    gui_tool_windows_reset();
}
