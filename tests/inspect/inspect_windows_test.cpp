// The inspection core: the shared register rows, the refresh order, the CPU
// monitor's texts and clicks, the memory editor's views and the address
// descriptions, on the headless window layer.
#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "debugger/memory_commands.h"
#include "debugger/symbols_seam.h"
#include "gui/tool_windows.h"
#include "core/savestate_seams.h"
#include "display/controls_panel.h"
#include "display/led.h"
#include "inspect/address_text.h"
#include "inspect/cpu_monitor_window.h"
#include "inspect/magnifier.h"
#include "inspect/memory_editor_window.h"
#include "inspect/memory_views.h"
#include "inspect/monitor_rows.h"
#include "machines/pvi2636.h"
#include "machines/typeright.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

class Inspect : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        cpu_monitor_window_register();
        memory_editor_window_register();
        memedit_views_reset();
    }
    void TearDown() override {
        cpu_monitor_panels = default_panels;
        mem_comments = nullptr;
        mem_comment_rows = 0;
        fresh_state();
    }
    static int cpu_window() { return gui_subwin_window[TW_CPU]; }
    static int mem_window() { return gui_subwin_window[TW_MEMORY]; }
    static std::string text(int win, int gid) { return gui_get_text(win, gid); }
    static inline CpuPanels (*const default_panels)() = cpu_monitor_panels;
};

std::string refresh_log;
template <int N> void spy(int force) {
    refresh_log += std::to_string(N) + (force ? "F " : " ");
}

} // namespace

TEST_F(Inspect, RowTableAndItsAddresses) {
    EXPECT_EQ(MON_ROW_GADGET + MON_ROWS - 1, 799);
    EXPECT_EQ(mon_reg_table[0].address, 0x1908u);
    EXPECT_EQ(mon_reg_table[21].address, 0x18D0u);
    EXPECT_EQ(mon_reg_table[112].address, 0x18F6u);
    EXPECT_EQ(mon_reg_table[187].address, 0x1FADu);
    EXPECT_EQ(mon_reg_table[267].address, 0x1D1Bu);
    EXPECT_EQ(mon_reg_table[MON_CPU_FIRST + 28].address, 0x1000Bu);  // IAR
    EXPECT_EQ(mon_reg_table[MON_CPU2_FIRST + 20].address, 0x10009u); // the slave's SP
    EXPECT_EQ(mon_reg_table[336].address, MON_NO_ADDRESS);
    // The PVI rows move with pvi_base; others do not.
    pvi_base = 0x1F00;
    EXPECT_EQ(monitor_reg_address(MON_PVI1_FIRST), 0x1FCCu);
    EXPECT_EQ(monitor_reg_address(MON_PVI2_FIRST), 0x20CCu);
    pvi_base = 0x1500;
    EXPECT_EQ(monitor_reg_address(MON_PVI1_FIRST), 0x15CCu);
    EXPECT_EQ(monitor_reg_address(MON_PVI3_FIRST + 27), 0x174Du);
    EXPECT_EQ(monitor_reg_address(MON_PSG_FIRST), 0x1D08u);
    EXPECT_EQ(monitor_reg_address(-1), MON_NO_ADDRESS);
}

TEST_F(Inspect, EnabledRowsFollowTheMachineAndItsPvis) {
    auto enabled = [](int first, int last) {
        for (int r = first; r <= last; r++)
            if (!mon_reg_table[r].enabled) return false;
        return true;
    };
    auto count = [] {
        int n = 0;
        for (int r = 0; r <= MON_VIDEO_LAST; r++)
            n += mon_reg_table[r].enabled;
        return n;
    };
    monitor_reset_rows(); // the Arcadia: its UVI rows only
    EXPECT_TRUE(enabled(0, 112));
    EXPECT_EQ(count(), 113);
    ASSERT_TRUE(machine_switch(INTERTON, MAP_INTERTON_A, true, true, false));
    monitor_reset_rows();
    EXPECT_TRUE(enabled(MON_PVI1_FIRST, 140) && enabled(143, 187));
    EXPECT_EQ(count(), 28 + 45);
    ASSERT_TRUE(machine_switch(MALZAK, MAP_MALZAK_1, true, true, false));
    monitor_reset_rows();
    EXPECT_EQ(count(), 28 * machine_live[MALZAK].pvi_count);
    machine_live[MALZAK].pvi_count = 1; // from three PVIs to one: 188..243 off
    monitor_reset_rows();
    EXPECT_EQ(count(), 28);
    EXPECT_FALSE(mon_reg_table[MON_PVI2_FIRST].enabled);
}

TEST_F(Inspect, RefreshRunsInItsOwnOrderAndPassesForce) {
    refresh_log.clear();
    auto open = [](ToolWindow w, void (*refresh)(int)) {
        gui_subwin_ops[w].is_open = [] { return true; };
        gui_subwin_ops[w].refresh = refresh;
    };
    open(TW_INSTRUMENTS, spy<7>);
    open(TW_VIDEO_CHIP, spy<6>);
    open(TW_PSG, spy<5>);
    open(TW_CPU, spy<4>);
    open(TW_TAPE, spy<3>);
    open(TW_MUSIC, spy<2>);
    open(TW_MEMORY, spy<1>);
    open(TW_CONTROLS, spy<0>);
    open(TW_FLOPPY, spy<9>);
    gui_refresh_windows(0);
    EXPECT_EQ(refresh_log, "0 1 2 3 4 5 6 7 9 ");
    refresh_log.clear();
    gui_refresh_windows(0x100); // only the low byte forces
    EXPECT_EQ(refresh_log, "0 1 2 3 4 5 6 7 9 ");
    refresh_log.clear();
    gui_refresh_windows(1);
    EXPECT_EQ(refresh_log, "0F 1F 2F 3F 4F 5F 6F 7F 9F ");
}

TEST_F(Inspect, DebuggerChangesAskForAForcedRefresh) {
    ui_take_changes();
    std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", "WP 1000");
    dbg_execute();
    EXPECT_TRUE(ui_take_changes() & UI_REFRESH_FORCED);
    emu_end_of_frame();
    EXPECT_FALSE(ui_take_changes() & UI_REFRESH_FORCED);
}

TEST_F(Inspect, CpuMonitorShowsChangedRowsOnly) {
    mon_open_cpu_window();
    const int win = cpu_window();
    ASSERT_NE(win, 0);
    const int r0 = MON_ROW_GADGET + MON_CPU_FIRST;
    cpu_regs[0] = 0x5A;
    gui_refresh_windows(0);
    EXPECT_EQ(text(win, r0), "5A");
    EXPECT_EQ(gui_headless_background(win, r0), static_cast<int>(gui_pens[2]));
    // Unchanged: nothing is set.
    const long calls = gui_headless_setter_calls();
    cpu_monitor_refresh(0);
    EXPECT_EQ(gui_headless_setter_calls(), calls);
    // A watched register is coloured at the next forced refresh.
    mem_attributes[MEM_REG_BASE + 0] |= MEM_WATCH;
    cpu_monitor_refresh(1);
    EXPECT_EQ(gui_headless_background(win, r0), static_cast<int>(gui_pens[4]));
    // A call moves SP: the RAS entry at the new SP stands out, the old one not.
    cpu_psu = (cpu_psu & ~7) | 3;
    cpu_monitor_refresh(0);
    EXPECT_EQ(text(win, MON_ROW_GADGET + MON_CPU_FIRST + 20), "3");
    EXPECT_EQ(gui_headless_background(win, MON_ROW_GADGET + MON_CPU_FIRST + 7 + 3),
              static_cast<int>(gui_pens[8]));
    EXPECT_EQ(gui_headless_background(win, MON_ROW_GADGET + MON_CPU_FIRST + 7),
              static_cast<int>(gui_pens[7]));
    // The instruction follows new bytes at an unchanged IAR.
    cpu_iar = 0x0100;
    guest_memory[0x100] = 0xC0; // NOP
    cpu_monitor_refresh(0);
    const std::string nop = text(win, MON_ROW_GADGET + MON_CPU_FIRST + 29);
    guest_memory[0x100] = 0x1F; // BCTA,un
    guest_memory[0x101] = 0x12;
    guest_memory[0x102] = 0x34;
    cpu_monitor_refresh(0);
    EXPECT_NE(text(win, MON_ROW_GADGET + MON_CPU_FIRST + 29), nop);
    EXPECT_NE(text(win, MON_ROW_GADGET + MON_CPU_FIRST + 29).find("1234"), std::string::npos);
}

TEST_F(Inspect, CpuFlagAndConditionTextsInEachNotation) {
    const struct {
        u32 notation;
        const char* set;
        const char* cc[4];
    } cases[] = {{0, "SFIDRWOMC", {"eq", "gt", "lt", "un"}},
                 {1, "SFIDRWOMC", {"eq", "gt", "lt", "un"}},
                 {2, "IOFHBWVLC", {",EQ", ",GT", ",LT", "   "}},
                 {3, "IOFHBWVLC", {",EQ", ",GT", ",LT", "   "}},
                 {4, "SFIDRWOMC", {"EQ", "GT", "LT", "  "}}};
    for (const auto& c : cases) {
        dis_notation = c.notation;
        for (int f = 0; f < 9; f++) {
            EXPECT_EQ(cpu_flag_letter(f, true), c.set[f]) << c.notation;
            EXPECT_EQ(cpu_flag_letter(f, false), c.set[f] + 0x20) << c.notation;
        }
        for (u32 cc = 0; cc < 4; cc++)
            EXPECT_STREQ(cpu_condition_name(cc), c.cc[cc]) << c.notation;
    }
}

TEST_F(Inspect, CpuMonitorClicksEditAndToggle) {
    mon_open_cpu_window();
    const int win = cpu_window();
    ASSERT_NE(win, 0);
    // UF buttons by processor type.
    EXPECT_EQ(gui_get_disabled(win, MON_ROW_GADGET + MON_CPU_FIRST + 18), cpu_type == 0);
    cpu_psu = 0;
    cpu_psl = 0;
    auto click = [win](int offset) {
        GuiEvent e;
        e.type = GE_GADGET;
        e.gid = MON_ROW_GADGET + MON_CPU_FIRST + offset;
        gui_headless_post(win, e);
        gui_subwindows_input();
    };
    click(16); // F
    EXPECT_EQ(cpu_psu, 0x40);
    EXPECT_EQ(text(win, MON_ROW_GADGET + MON_CPU_FIRST + 16), "F");
    click(27); // C
    EXPECT_EQ(cpu_psl, 0x01);
    click(22); // IDC
    EXPECT_EQ(cpu_psl, 0x21);
    click(29); // the instruction: nothing
    EXPECT_EQ(cpu_psl, 0x21);
}

TEST_F(Inspect, TwinPanelsFromAParkedContext) {
    static CpuState parked{};
    parked.regs[2] = 0x77;
    parked.psu = 0x02;
    parked.iar = 0x0456;
    static int running = 1;
    cpu_monitor_panels = [] {
        CpuPanels p;
        p.count = 2;
        p.running = running;
        p.parked = &parked;
        return p;
    };
    cpu_regs[2] = 0x11;
    mon_open_cpu_window();
    const int win = cpu_window();
    ASSERT_NE(win, 0);
    EXPECT_EQ(gui_headless_title(win), "Real-Time CPUs Monitor");
    // The slave runs: the master panel shows the parked context.
    EXPECT_EQ(text(win, MON_ROW_GADGET + MON_CPU_FIRST + 2), "77");
    EXPECT_EQ(text(win, MON_ROW_GADGET + MON_CPU_FIRST + 28), "0456");
    EXPECT_EQ(text(win, MON_ROW_GADGET + MON_CPU2_FIRST + 2), "11");
    // The parked panel's RAS mark follows its own SP.
    EXPECT_EQ(gui_headless_background(win, MON_ROW_GADGET + MON_CPU_FIRST + 7 + 2),
              static_cast<int>(gui_pens[8]));
    // Clicks on the parked panel do nothing; the running one's act on the processor.
    cpu_psu = 0;
    GuiEvent e;
    e.type = GE_GADGET;
    e.gid = MON_ROW_GADGET + MON_CPU_FIRST + 16;
    gui_headless_post(win, e);
    e.gid = MON_ROW_GADGET + MON_CPU2_FIRST + 15;
    gui_headless_post(win, e);
    gui_subwindows_input();
    EXPECT_EQ(cpu_psu, 0x80);
    EXPECT_EQ(parked.psu, 0x02);
}

// The hint line ends the CPU monitor on every machine it opens on, the
// typing tutor's included.
TEST_F(Inspect, CpuMonitorEndsWithTheHintLine) {
    for (const auto& [m, map] : {std::pair{ARCADIA, 8}, std::pair{TWIN, int{MAP_TWIN}},
                                std::pair{TYPERIGHT, int{MAP_TYPERIGHT}}}) {
        ASSERT_TRUE(machine_switch(m, map, true, true, false));
        mon_open_cpu_window();
        const int win = cpu_window();
        ASSERT_NE(win, 0) << m;
        const GuiNode& root = gui_headless_desc(win)->root;
        ASSERT_FALSE(root.children.empty());
        EXPECT_EQ(root.children.back().text, "Hover over a button for more information.") << m;
        gui_close_subwindow(TW_CPU);
    }
}

TEST_F(Inspect, ElapsedTime) {
    locale_decimal_point = '.';
    // 3599.999 s: the hundredths are cut, never rounded up.
    EXPECT_EQ(emu_elapsed_time_text(3599999, 1000.0), "00:59:59.99");
    EXPECT_EQ(emu_elapsed_time_text(0, 50.0), "00:00:00.00");
    EXPECT_EQ(emu_elapsed_time_text(50 * 3600 * 101 + 25, 50.0), "01:00:00.50"); // hours mod 100
    locale_decimal_point = ',';
    EXPECT_EQ(emu_elapsed_time_text(75, 50.0), "00:00:01,50");
    locale_decimal_point = '.';
}

TEST_F(Inspect, TypingStatistics) {
    typeright_state = TR_COPY_TEXT;
    typeright_text_pos = 0;
    typeright_errors = 0;
    TypingTexts t = cpu_monitor_typing_texts();
    EXPECT_EQ(t.speed, "0"); // before any key
    EXPECT_EQ(t.accuracy, "100");
    typeright_text_pos = 6; // one word in one second
    typeright_timer = 50;
    EXPECT_EQ(cpu_monitor_typing_texts().speed, "60");
    typeright_text_pos = 60; // ten words in ten seconds
    typeright_timer = 500;
    typeright_errors = 3;
    t = cpu_monitor_typing_texts();
    EXPECT_EQ(t.speed, "60");
    EXPECT_EQ(t.accuracy, "95");
    EXPECT_EQ(t.errors, "3");
    typeright_text_pos = 6; // a first key within a frame counts a whole second
    typeright_timer = 1;
    EXPECT_EQ(cpu_monitor_typing_texts().speed, "60");
    typeright_errors = 50; // more errors than keys
    EXPECT_EQ(cpu_monitor_typing_texts().accuracy, "0");
    typeright_state = TR_IDLE;
    t = cpu_monitor_typing_texts();
    EXPECT_EQ(t.speed, "-");
    EXPECT_EQ(t.expecting, "-");
    typeright_state = TR_DRILL;
    typeright_target = 'k';
    EXPECT_EQ(cpu_monitor_typing_texts().expecting, "'k'");
}

TEST_F(Inspect, MemoryCellClassesAndPictureModes) {
    fresh_cpu(ARCADIA, 6);
    const u32 rom = 0x100, ram = 0x200, wo = 0x300, un = 0x400, mir = 0x500, ro_mir = 0x600;
    mem_attributes[rom] = MEM_UNWRITABLE;
    mem_attributes[wo] = MEM_UNREADABLE;
    mem_attributes[un] = MEM_UNWRITABLE | MEM_UNREADABLE;
    mem_read_mirror[mir] = mem_write_mirror[mir] = 0x700;
    mem_read_mirror[ro_mir] = 0x701; // a mirror for reads only
    guest_memory[0x700] = 0x90;
    guest_memory[ro_mir] = 0x05;
    EXPECT_EQ(memedit_cell_class_of(rom), 11); // zero ROM byte: dark
    guest_memory[rom] = 0x12;
    EXPECT_EQ(memedit_cell_class_of(rom), 1);
    EXPECT_EQ(memedit_cell_class_of(ram), 12);
    EXPECT_EQ(memedit_cell_class_of(wo), 3);
    EXPECT_EQ(memedit_cell_class_of(un), 0);
    EXPECT_EQ(memedit_cell_class_of(mir), 5);
    EXPECT_EQ(memedit_shown_byte(mir), 0x90);
    EXPECT_EQ(memedit_cell_class_of(ro_mir), 2) << "a read-only mirror is no mirror here";
    mem_attributes[rom] |= MEM_BREAKPOINT;
    EXPECT_EQ(memedit_cell_class_of(rom), 6);
    mem_attributes[ram] |= MEM_WATCH;
    EXPECT_EQ(memedit_cell_class_of(ram), 4);
    // Contents: zero black, high light, low dark.
    EXPECT_EQ(memedit_picture_class(MAP_CONTENTS, 0x201), 9);
    guest_memory[0x201] = 0x80;
    EXPECT_EQ(memedit_picture_class(MAP_CONTENTS, 0x201), 2);
    guest_memory[0x201] = 0x7F;
    EXPECT_EQ(memedit_picture_class(MAP_CONTENTS, 0x201), 12);
    EXPECT_EQ(memedit_picture_class(MAP_CONTENTS, mir), 5);
    EXPECT_EQ(memedit_picture_class(MAP_CONTENTS, ro_mir), 12);
    // Memory map: either mirror counts.
    EXPECT_EQ(memedit_picture_class(MAP_MEMORY_MAP, ro_mir), 5);
    EXPECT_EQ(memedit_picture_class(MAP_MEMORY_MAP, un), 0);
    // Coverage: read and executed shows as read.
    mem_access[0x800] = ACC_READ | ACC_OPCODE;
    mem_access[0x801] = ACC_OPERAND;
    mem_access[0x802] = ACC_INDIRECT;
    mem_access[0x803] = ACC_WRITTEN | ACC_READ;
    mem_access[0x804] = ACC_WRITTEN;
    EXPECT_EQ(memedit_picture_class(MAP_COVERAGE, 0x800), 1);
    EXPECT_EQ(memedit_picture_class(MAP_COVERAGE, 0x801), 6);
    EXPECT_EQ(memedit_picture_class(MAP_COVERAGE, 0x802), 5);
    EXPECT_EQ(memedit_picture_class(MAP_COVERAGE, 0x803), 2);
    EXPECT_EQ(memedit_picture_class(MAP_COVERAGE, 0x804), 3);
    EXPECT_EQ(memedit_picture_class(MAP_COVERAGE, 0x805), 9);
}

TEST_F(Inspect, MemoryEditorPagesCellsAndWatchpoints) {
    memedit_base = 4660; // "regionstart" $1234
    gui_memory_window();
    const int win = mem_window();
    ASSERT_NE(win, 0);
    EXPECT_EQ(memedit_page, 18);
    EXPECT_EQ(memedit_base, 0x1200);
    EXPECT_EQ(text(win, GID_MEM_REGION), "1200..12FF");
    EXPECT_EQ(text(win, GID_MEM_ROW), "$120x:");
    // The picture's top and bottom rows give pages 0 and 127.
    const GuiRect p = gui_gadget_rect(win, GID_MEM_PICTURE);
    gui_memory_map_hook(1 + RAWKEY_UP, p.left, p.top);
    EXPECT_EQ(memedit_page, 0);
    gui_memory_map_hook(1 + RAWKEY_UP, p.left + 5, p.bottom);
    EXPECT_EQ(memedit_page, 127);
    EXPECT_EQ(text(win, GID_MEM_REGION), "7F00..7FFF");
    gui_memory_map_hook(1 + RAWKEY_UP, p.left - 1, p.top + 20); // outside: nothing
    EXPECT_EQ(memedit_page, 127);
    // Cursor right at the last page stays; a key only moves the page number.
    GuiEvent e;
    e.type = GE_RAWKEY;
    e.code = 0x4E;
    gui_headless_post(win, e);
    e.code = 0x4F;
    gui_headless_post(win, e);
    gui_memory_window_input();
    EXPECT_EQ(memedit_page, 126);
    EXPECT_EQ(memedit_base, 0x7F00);
    mon_memory_view_refresh(0);
    EXPECT_EQ(memedit_base, 0x7E00);
    // Page Up goes back a page, Page Down on (their releases do nothing).
    for (int code : {0x48, 0x48 | RAWKEY_UP, 0x48, 0x49, 0x49 | RAWKEY_UP}) {
        e.code = code;
        gui_headless_post(win, e);
    }
    gui_memory_window_input();
    mon_memory_view_refresh(0);
    EXPECT_EQ(memedit_page, 125);
    EXPECT_EQ(text(win, GID_MEM_REGION), "7D00..7DFF");
    // A changed byte relabels its cell.
    memedit_page = 7;
    mon_memory_view_refresh(0);
    guest_memory[0x7F0] = 0xAB;
    mon_memory_view_refresh(0);
    EXPECT_EQ(text(win, GID_MEM_CELL + 240), "AB");
    // Middle release on a cell: a watchpoint, then none; the cell recolours.
    const GuiRect c = gui_gadget_rect(win, GID_MEM_CELL + 240);
    gui_memory_map_hook(2, c.left, c.top); // the press does nothing
    EXPECT_FALSE(mem_attributes[0x7F0] & MEM_WATCH);
    gui_memory_map_hook(2 + RAWKEY_UP, c.left, c.top);
    EXPECT_TRUE(mem_attributes[0x7F0] & MEM_WATCH);
    gui_refresh_windows(1);
    EXPECT_EQ(gui_headless_background(win, GID_MEM_CELL + 240), static_cast<int>(gui_pens[4]));
    gui_memory_map_hook(2 + RAWKEY_UP, c.left, c.top);
    EXPECT_FALSE(mem_attributes[0x7F0] & MEM_WATCH);
    // The memory editor does not open on a machine without processor.
    gui_close_subwindow(TW_MEMORY);
    ASSERT_TRUE(machine_switch(PONG, 28, true, true, false));
    gui_memory_window();
    EXPECT_EQ(mem_window(), 0);
}

TEST_F(Inspect, AddressDescriptionsLookWithoutChanging) {
    fresh_cpu(ARCADIA, 6);
    static const MemComment comments[] = {{0x0150, "first game comment"},
                                          {0x0150, "second game comment"}};
    mem_comments = comments;
    mem_comment_rows = 2;
    guest_memory[0x150] = 0xC0; // NOP
    mem_write_mirror[0x150] = 0x250;
    cpu_iar = 0x0007;
    cpu_regs[0] = 0x42;
    cpu_psl = 0x40;
    CpuState before, after;
    std::memset(&before, 0, sizeof before); // padding too
    std::memset(&after, 0, sizeof after);
    cpu_state_save(before);
    char text[INFO_TEXT_SIZE];
    mem_info_text(0x150, text, sizeof text);
    const std::string s = text;
    EXPECT_EQ(s.rfind("Address: $150\nWrite mirror of $250.\nContents: $C0\n", 0), 0u) << s;
    EXPECT_EQ(s.find("Read mirror"), std::string::npos);
    EXPECT_EQ(s.find("comment"), std::string::npos) << "no comment rows for the machine";
    machine_live[ARCADIA].first_comment_row = 0;
    machine_live[ARCADIA].last_comment_row = 1;
    mem_info_text(0x150, text, sizeof text);
    EXPECT_NE(std::string(text).find("\nfirst game comment\nsecond game comment"), std::string::npos)
        << text;
    cpu_state_save(after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    // Cut to the buffer, never past it.
    char small[24];
    std::memset(small, 'x', sizeof small);
    mem_info_text(0x150, small, 20);
    EXPECT_EQ(std::strlen(small), 19u);
    EXPECT_EQ(small[21], 'x');
    addr_info_text(0x150, text, sizeof text);
    EXPECT_STREQ(text, "$150");
}

TEST_F(Inspect, MagnifierRasters) {
    static u8 frame[GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS];
    // Guest pixel (x, y) holds colour (x + 2y) % 6, never 7.
    for (int x = 0; x < 200; x++)
        for (int y = 0; y < 100; y++)
            frame[GUEST_FRAME_ROWS * x + y] = static_cast<u8>((x + 2 * y) % 6);
    static u8 out[MAGNIFIER_SIZE * MAGNIFIER_SIZE];
    auto at = [](int c, int r) { return out[r * MAGNIFIER_SIZE + c]; };
    MagnifierView v;
    v.gx = 100, v.gy = 50, v.width = 200, v.height = 100, v.zx = 2, v.zy = 2;
    magnifier_render(v, frame, out);
    // Scale 1: 96 x 96 guest pixels in 2 x 2 blocks, the pointer's in the middle.
    EXPECT_EQ(at(96, 96), frame[GUEST_FRAME_ROWS * 100 + 50]);
    EXPECT_EQ(at(0, 0), frame[GUEST_FRAME_ROWS * 52 + 2]);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            EXPECT_EQ(at(c, r), at(c & ~1, r & ~1)) << c << "," << r;
    EXPECT_NE(at(0, 0), at(2, 0));
    // With stretch: 4 x 2 blocks.
    v.zx = 4;
    magnifier_render(v, frame, out);
    EXPECT_EQ(at(3, 1), at(0, 0));
    EXPECT_NE(at(4, 0), at(0, 0));
    EXPECT_NE(at(0, 2), at(0, 0));
    // The pointer at the top left pixel: black (colour 7) left of and above it.
    v.zx = 2, v.gx = 0, v.gy = 0;
    magnifier_render(v, frame, out);
    EXPECT_EQ(at(0, 0), 7);
    EXPECT_EQ(at(95, 96), 7);
    EXPECT_EQ(at(96, 95), 7);
    EXPECT_EQ(at(96, 96), frame[0]);
    // Turned: shown (x, y) is guest column y, row width - 1 - x; the bounds swap.
    v.rotated = true;
    v.width = 100, v.height = 200; // the turned picture of a 200 x 100 frame
    v.gx = 10, v.gy = 150;
    magnifier_render(v, frame, out);
    EXPECT_EQ(at(96, 96), frame[GUEST_FRAME_ROWS * 150 + (100 - 1 - 10)]);
    v.gx = 99, v.gy = 199; // the far corner is inside, one further is not
    magnifier_render(v, frame, out);
    EXPECT_EQ(at(96, 96), frame[GUEST_FRAME_ROWS * 199 + 0]);
    EXPECT_EQ(at(98, 96), 7);
    EXPECT_EQ(at(96, 98), 7);
}

TEST_F(Inspect, LedDigitsInTheCpuMonitor) {
    ASSERT_TRUE(machine_switch(INSTRUCTOR, 15, true, true, false));
    mon_open_cpu_window();
    const int win = cpu_window();
    ASSERT_NE(win, 0);
    led_digits[0] = 0x06; // "1": segments b and c
    cpu_monitor_draw_leds();
    int w = 0, h = 0;
    const std::vector<std::uint32_t> px = gui_headless_display(win, GID_CPU_LEDS, &w, &h);
    ASSERT_EQ(h, 26);
    ASSERT_GE(w, 18);
    u32 colours[256];
    guest_colour_table(colours);
    EXPECT_EQ(px[5 * w + 14], colours[LED_LIT]);   // segment b
    EXPECT_EQ(px[2 * w + 6], colours[display_led_background()]); // segment a, unlit
    EXPECT_EQ(px[0], colours[LED_ERASED]);
}

// Every value the CPU monitor edits is named so that the edit prompt finds
// it, in every notation.
TEST_F(Inspect, EditedRegistersAreNamedForThePrompt) {
    for (u32 n = 0; n < 5; n++) {
        dis_notation = n;
        for (int offset : {0, 6, 7, 14, 20, 21, 28})
            EXPECT_EQ(dbg_edit_register(reg_names[offset][n], 1, 0), 1) << n << " " << offset;
    }
    dis_notation = 0;
}

