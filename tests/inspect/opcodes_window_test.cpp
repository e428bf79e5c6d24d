// The opcodes chart: groups, addressing modes and manual pages of all 256
// opcodes on both processor types, the descriptions in the help bubbles, and
// the window that shows them.
#include "core/emu.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "cpu/optables.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "inspect/opcode_info.h"
#include "inspect/opcodes_window.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

class OpcodesChart : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
    std::string info(u8 op) {
        char text[513];
        opcode_info_text(op, text, sizeof text);
        return text;
    }
};

bool undefined(int op) {
    return op == 0x90 || op == 0x91 || op == 0xB6 || op == 0xB7 || (op >= 0xC4 && op <= 0xC7);
}

} // namespace

TEST_F(OpcodesChart, ModesAgreeWithTheInstructionLengths) {
    for (u32 type : {0u, 1u}) {
        cpu_type = type;
        cpu_apply_type_tables();
        for (int op = 0; op < 256; op++) {
            const char m = opcode_mode_letter(type, static_cast<u8>(op));
            const u32 length = op_length[op];
            SCOPED_TRACE(testing::Message() << "type " << type << " opcode " << op);
            switch (m) {
            case 'A':
                EXPECT_EQ(length, 3u);
                break;
            case 'I':
            case 'R':
                EXPECT_EQ(length, 2u);
                break;
            case 'G':
            case 'T':
                EXPECT_EQ(length, 1u);
                break;
            case '-':
                EXPECT_TRUE(undefined(op) || op == 0x00 || ((op == 0x10 || op == 0x11) && type == 0));
                break;
            default:
                ADD_FAILURE() << "letter " << m;
            }
        }
    }
    EXPECT_EQ(opcode_mode_letter(0, 0x12), 'T'); // SPSU: no operand, not immediate
    EXPECT_EQ(opcode_mode_letter(0, 0x93), 'T');
    EXPECT_EQ(opcode_mode_letter(1, 0x10), 'A');
    EXPECT_EQ(opcode_mode_letter(0, 0x10), '-');
}

TEST_F(OpcodesChart, GroupsFollowTheInstructionSet) {
    EXPECT_EQ(opcode_group(0, 0x40), OG_SPECIAL); // HALT
    EXPECT_EQ(opcode_group(0, 0xC0), OG_SPECIAL); // NOP
    EXPECT_EQ(opcode_group(0, 0x00), OG_ILLEGAL);
    EXPECT_EQ(opcode_group(0, 0xC5), OG_ILLEGAL);
    EXPECT_EQ(opcode_group(0, 0x10), OG_ILLEGAL);
    EXPECT_EQ(opcode_group(1, 0x10), OG_MIXED); // LDPL on the 2650B
    EXPECT_EQ(opcode_group(0, 0x1F), OG_BRANCH);  // BCTA,un
    EXPECT_EQ(opcode_group(0, 0xFB), OG_BRANCH);  // BDRR
    EXPECT_EQ(opcode_group(0, 0x3C), OG_BRANCH);  // BSTA
    EXPECT_EQ(opcode_group(0, 0x30), OG_MIXED);   // REDC
    EXPECT_EQ(opcode_group(0, 0x0C), OG_ARITHMETIC);
    EXPECT_EQ(opcode_group(0, 0x84), OG_ARITHMETIC); // ADDI
    // Every branch of the processor's own tables is in the branch group.
    for (int op = 0; op < 256; op++) {
        const std::string m = op_text_signetics[op].mnemonic;
        if (m.rfind("BC", 0) == 0 || m.rfind("BR", 0) == 0 || m.rfind("BS", 0) == 0 ||
            m.rfind("BD", 0) == 0 || m.rfind("BI", 0) == 0 || m.rfind("ZB", 0) == 0) {
            EXPECT_EQ(opcode_group(0, static_cast<u8>(op)), OG_BRANCH) << m;
        }
    }
}

TEST_F(OpcodesChart, PagesAndClicks) {
    EXPECT_STREQ(opcode_page_name(0x00), "lodz");
    EXPECT_STREQ(opcode_page_name(0x0C), "loda");
    EXPECT_STREQ(opcode_page_name(0x10), "ldpl");
    EXPECT_STREQ(opcode_page_name(0x11), "stpl");
    EXPECT_STREQ(opcode_page_name(0x40), "halt");
    EXPECT_STREQ(opcode_page_name(0xFB), "bdrr");
    for (int op = 0; op < 256; op++) {
        const std::string page = opcode_page_name(static_cast<u8>(op));
        EXPECT_EQ(page.empty(), undefined(op)) << op;
        for (char c : page)
            EXPECT_TRUE(std::islower(static_cast<unsigned char>(c))) << page;
        EXPECT_EQ(opcode_clickable(1, static_cast<u8>(op)), !undefined(op)) << op;
    }
    EXPECT_FALSE(opcode_clickable(0, 0x10));
    EXPECT_TRUE(opcode_clickable(0, 0x00));
    EXPECT_EQ(opcode_manual_address(0x0C), ""); // no manual site is known
}

TEST_F(OpcodesChart, TheDescriptionOfLodaAndItsDurations) {
    dis_notation = NOTATION_SIGNETICS;
    cpu_type = 0;
    cpu_apply_type_tables();
    dbg_time_unit = 0;
    dbg_unit_label = "CPU cycles";
    EXPECT_EQ(info(0x0C), "LODA,r0 $aaaa\nOpcode: $0C\nName: Load Absolute\nPseudocode: r0 = *($aaaa);\n"
                          "Condition code: if (r0 & $80) CC = LT; elif (r0 == 0) CC = EQ; else CC = GT;\n"
                          "Size: 3 byte(s)\nDuration: 4(+2) CPU cycles\nFlags read: None\n"
                          "Flags written: CC\nCategory: Arithmetic, transfer\nAddressing mode: Absolute");
    dbg_time_unit = 1;
    dbg_unit_label = "clock periods";
    EXPECT_NE(info(0x0C).find("Duration: 12(+6) clock periods\n"), std::string::npos);
    EXPECT_NE(info(0x04).find("Duration: 6 clock periods\n"), std::string::npos); // no indirect form
    dbg_time_unit = 2;
    dbg_unit_label = "pixels";
    dbg_pixels_per_clock = 0;
    EXPECT_NE(info(0x0C).find("Duration: 0(+0) pixels\n"), std::string::npos);
    // The title line per notation.
    dis_notation = NOTATION_SIGNETICS;
    EXPECT_EQ(info(0x9F).substr(0, info(0x9F).find('\n')), op_text[0][0x9F].operands);
    dis_notation = NOTATION_NEW_CALM;
    EXPECT_EQ(info(0x0C).substr(0, info(0x0C).find('\n')), op_text[NOTATION_NEW_CALM][0x0C].mnemonic);
}

TEST_F(OpcodesChart, TheWindowLabelsColoursAndPauses) {
    ASSERT_TRUE(machine_switch(ARCADIA, 8, true, true, false));
    gui_open_opcodes_window();
    const int win = gui_subwin_window[TW_OPCODES];
    ASSERT_NE(win, 0);
    const int loda = GID_OPCODE_FIRST + 0x0C;
    EXPECT_EQ(gui_get_text(win, loda), op_text[dis_notation][0x0C].mnemonic);
    EXPECT_EQ(gui_headless_background(win, loda), opcode_group_colour(OG_ARITHMETIC));
    EXPECT_EQ(gui_headless_hint(win, loda).substr(0, 7), "LODA,r0");
    // Every opcode's button starts its text at the left, as a chart column reads.
    int left = 0;
    std::vector<const GuiNode*> todo{&gui_headless_desc(win)->root};
    while (!todo.empty()) {
        const GuiNode* n = todo.back();
        todo.pop_back();
        if (n->gid >= GID_OPCODE_FIRST && n->gid < GID_OPCODE_FIRST + 256) left += n->text_left;
        for (const GuiNode& c : n->children)
            todo.push_back(&c);
    }
    EXPECT_EQ(left, 256);

    // A notation change relabels in place.
    dis_notation = NOTATION_IEEE;
    gui_relabel_opcodes();
    EXPECT_EQ(gui_subwin_window[TW_OPCODES], win);
    EXPECT_EQ(gui_get_text(win, loda), op_text[NOTATION_IEEE][0x0C].mnemonic);

    // The 2650B: $10 becomes LDPL in the mixed group's colour.
    cpu_type = 1;
    gui_relabel_opcodes();
    EXPECT_EQ(gui_headless_background(win, GID_OPCODE_FIRST + 0x10), opcode_group_colour(OG_MIXED));
    cpu_type = 0;
    gui_relabel_opcodes();
    EXPECT_EQ(gui_headless_background(win, GID_OPCODE_FIRST + 0x10), opcode_group_colour(OG_ILLEGAL));

    // A click on an opcode pauses; one on an undefined opcode does nothing.
    emu_paused = 0;
    GuiEvent e;
    e.type = GE_GADGET;
    e.gid = GID_OPCODE_FIRST + 0xC4;
    gui_headless_post(win, e);
    gui_opcodes_window_input();
    EXPECT_FALSE(emu_paused);
    e.gid = loda;
    gui_headless_post(win, e);
    gui_opcodes_window_input();
    EXPECT_TRUE(emu_paused);

    GuiEvent esc;
    esc.type = GE_RAWKEY;
    esc.code = 0x45;
    gui_headless_post(win, esc);
    gui_opcodes_window_input();
    EXPECT_EQ(gui_subwin_window[TW_OPCODES], 0);

    // The machines without a 2650 have no chart.
    ASSERT_TRUE(machine_switch(PONG, 28, true, true, false));
    gui_open_opcodes_window();
    EXPECT_EQ(gui_subwin_window[TW_OPCODES], 0);
}
