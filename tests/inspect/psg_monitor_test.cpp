// The PSG monitor on the headless window layer: where it opens, how its rows
// follow guest memory (the pairs low byte first), and what clicks do.
#include "core/emu.h"
#include "core/machine.h"
#include "cpu/bus.h"
#include "cpu/memory.h"
#include "debugger/memory_commands.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "inspect/address_text.h"
#include "inspect/monitor_rows.h"
#include "inspect/psg_monitor_window.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PsgMonitor : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        psg_monitor_window_register();
    }
    void TearDown() override { fresh_state(); }
    static int win() { return gui_subwin_window[TW_PSG]; }
    static int gid(int row) { return MON_ROW_GADGET + row; }
    static void post(const GuiEvent& e) {
        gui_headless_post(win(), e);
        gui_subwindows_input();
    }
    static void click(int row) {
        GuiEvent e;
        e.type = GE_GADGET;
        e.gid = gid(row);
        post(e);
    }
    static void open_on_expanded_elektor() {
        ASSERT_TRUE(machine_switch(ELEKTOR, MAP_ELEKTOR_EXPANDED, false, false, false));
        gui_open_tool_window(TW_PSG);
        ASSERT_NE(win(), 0);
    }
};

} // namespace

TEST_F(PsgMonitor, OpensOnlyWhereThereArePsgs) {
    gui_open_tool_window(TW_PSG); // the Arcadia
    EXPECT_EQ(win(), 0);
    ASSERT_TRUE(machine_switch(ELEKTOR, MAP_ELEKTOR_BASIC, false, false, false));
    ASSERT_EQ(memmap, MAP_ELEKTOR_BASIC);
    gui_open_tool_window(TW_PSG);
    EXPECT_EQ(win(), 0);
    EXPECT_TRUE(gui_headless_requesters().empty());
    open_on_expanded_elektor();
    EXPECT_EQ(gui_headless_title(win()), "Real-Time PSGs Monitor");
    // Every row has its button, labelled at the opening, with its address as hover text.
    char hint[513];
    for (int row = MON_PSG_FIRST; row <= MON_PSG_LAST; row++) {
        EXPECT_EQ(gui_get_text(win(), gid(row)).size(), static_cast<std::size_t>(mon_psg_row_digits(row)))
            << row;
        addr_info_text(monitor_reg_address(row), hint, sizeof hint);
        EXPECT_EQ(gui_headless_hint(win(), gid(row)), hint) << row;
    }
    EXPECT_EQ(monitor_reg_address(259), 0x1D1Fu); // PORTB2
    EXPECT_EQ(mon_psg_row_digits(259), 2);
    EXPECT_EQ(mon_psg_row_digits(260), 4);
}

TEST_F(PsgMonitor, PairsShowLowByteFirstAndOnlyWhenChanged) {
    open_on_expanded_elektor();
    guest_memory[0x1D00] = 0x34;
    guest_memory[0x1D01] = 0x12;
    guest_memory[0x1D1D] = 0x0E;
    mon_psg_refresh(0);
    EXPECT_EQ(gui_get_text(win(), gid(260)), "1234"); // PITCHA1
    EXPECT_EQ(gui_get_text(win(), gid(257)), "0E");   // SHAPE2
    const long calls = gui_headless_setter_calls();
    mon_psg_refresh(0); // nothing changed: nothing rewritten
    EXPECT_EQ(gui_headless_setter_calls(), calls);
    mon_psg_refresh(0x100); // only the low byte forces
    EXPECT_EQ(gui_headless_setter_calls(), calls);
    mon_psg_refresh(1);
    EXPECT_GE(gui_headless_setter_calls(), calls + 24);
    guest_memory[0x1D1C] = 0xAB; // PERIOD2's high byte
    mon_psg_refresh(0);
    EXPECT_EQ(gui_get_text(win(), gid(267)), "AB00");
}

TEST_F(PsgMonitor, ClicksEditPairsAsWordsAndMiddleClicksWatch) {
    open_on_expanded_elektor();
    guest_memory[0x1D1B] = 0x21;
    guest_memory[0x1D1C] = 0x43;
    click(267); // PERIOD2: the pair as one value
    EXPECT_EQ(edit_target, 0x1D1Bu);
    EXPECT_EQ(edit_max, 65535);
    EXPECT_EQ(edit_current, 0x4321);
    click(257); // SHAPE2: one byte
    EXPECT_EQ(edit_target, 0x1D1Du);
    EXPECT_EQ(edit_max, 255);
    // A middle click on MIXER1 sets a watchpoint on $1D07, a second clears it.
    const GuiRect r = gui_gadget_rect(win(), gid(248));
    GuiEvent e;
    e.type = GE_MOUSEBUTTON;
    e.code = 2 + RAWKEY_UP;
    e.x = (r.left + r.right) / 2;
    e.y = (r.top + r.bottom) / 2;
    post(e);
    EXPECT_TRUE(mem_attributes[0x1D07] & MEM_WATCH);
    post(e);
    EXPECT_FALSE(mem_attributes[0x1D07] & MEM_WATCH);
    e.code = 1 + RAWKEY_UP; // the left button sets nothing
    post(e);
    EXPECT_FALSE(mem_attributes[0x1D07] & MEM_WATCH);
    // Esc closes.
    e = GuiEvent{};
    e.type = GE_RAWKEY;
    e.code = RAW_ESC;
    post(e);
    EXPECT_EQ(win(), 0);
}
