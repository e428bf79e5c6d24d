// The processor view and the machine commands (VIEW, DR, GI, CPU, GR, SPR, ED)
// driven through the command interpreter.
#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "app/startup.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "machines/typeright.h"
#include "machines/uvi2637.h"
#include "tests/debugger/debugger_fixture.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class ViewsTest : public DebuggerTest {
  protected:
    static void set_registers() {
        for (int i = 0; i < 7; i++)
            cpu_regs[i] = static_cast<u8>(i + 1);
        for (int i = 0; i < 8; i++)
            cpu_ras[i] = static_cast<u16>(i + 1);
        cpu_psu = 0x53; // flag, user flag 1, SP 3
        cpu_psl = 0xA9; // CC 2, inter-digit carry, with carry, carry
        cpu_iar = 0x1234;
        cpu_cycles = 1234567;
        dbg_time_unit = 1;
    }
};

TEST_F(ViewsTest, ProcessorViewInEachNotation) {
    set_registers();
    struct Case {
        u32 notation;
        const char* text;
    };
    const Case cases[] = {
        {0, "Clock:          1,234,567 R0: $01 R1: $02 R2: $03 R3: $04 PSU: sFi1.  SP: 3\n"
            "    X:   -         Y:   -         R4: $05 R5: $06 R6: $07 PSL: DrWomC CC: lt\n"
            "    RAS: $0001 $0002 $0003 $0004 $0005 $0006 $0007 $0008  IAR: $1234\n\n"},
        {2, "Clock:          1,234,567  A: $01  B: $02  C: $03  D: $04   U: iOf1.  SP: 3\n"
            "    X:   -         Y:   -         B': $05 C': $06 D': $07   L: HbWvlC CC: ,LT\n"
            "    RAS: $0001 $0002 $0003 $0004 $0005 $0006 $0007 $0008   PC: $1234\n\n"},
        {3, "Clock:          1,234,567 R0: $01 R1: $02 R2: $03 R3: $04 PSU: iOf1.  SP: 3\n"
            "    X:   -         Y:   -         R4: $05 R5: $06 R6: $07 PSL: HbWvlC CC: ,LT\n"
            "    RAS: $0001 $0002 $0003 $0004 $0005 $0006 $0007 $0008  PC:  $1234\n\n"},
        {4, "Clock:          1,234,567 .0: $01 .1: $02 .2: $03 .3: $04  .U: sFi1.  .SP: 3\n"
            "    X:   -         Y:   -         .4: $05 .5: $06 .6: $07  .L: DrWomC .CC: LT\n"
            "   .RAS: $0001 $0002 $0003 $0004 $0005 $0006 $0007 $0008  .PC: $1234\n\n"},
    };
    for (const Case& c : cases) {
        dis_notation = c.notation;
        EXPECT_EQ(run("VIEW CPU"), c.text) << "notation " << c.notation;
        EXPECT_EQ(run("dr"), c.text) << "notation " << c.notation;
    }
}

TEST_F(ViewsTest, ProcessorViewShowsTheBeamAndTheChosenUnit) {
    set_registers();
    machine = ARCADIA;
    raster_line = 42;
    raster_clock = 7;
    dbg_time_unit = 0;
    const std::string said = run("v cpu");
    EXPECT_EQ(said.substr(0, 26), "CPU Cycle:        411,522 ") << said;
    EXPECT_NE(said.find("    X:   7         Y:  42 "), std::string::npos) << said;
}

TEST_F(ViewsTest, ViewWordsAndMachines) {
    const std::string usage = "Usage: V|VIEW BASIC|BIOS|CPU|PSG|RAM|SCRN|UDG|XVI\n\n";
    EXPECT_EQ(run("V"), usage);
    EXPECT_EQ(run("VIEW ?"), usage);
    EXPECT_EQ(run("VIEW FOO"), usage);
    const std::string ram = run("VIEW RAM"); // the PIPBUG 2's two blocks
    EXPECT_EQ(ram.rfind("Motherboard RAM:\n$0800: 00", 0), 0u) << ram;
    EXPECT_NE(ram.find("\n\n$0C00: 00"), std::string::npos);
    machine = PONG;
    EXPECT_EQ(run("VIEW CPU"), "Wrong guest machine!\n\n");
    EXPECT_EQ(run("DR"), "Wrong guest machine!\n\n");
}

// The PSG view belongs to the expanded Elektor; the basic Elektor and the
// other machines have no PSG; Laser Battle shows its tone units.
TEST_F(ViewsTest, PsgViewOnlyOnTheExpandedElektor) {
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    const std::string view = run("VIEW PSG");
    EXPECT_EQ(view.rfind("---------------PSG #1---------------- ---------------PSG #2", 0), 0u)
        << view;
    ASSERT_TRUE(machine_switch(ELEKTOR, 4, false, false, false));
    ASSERT_EQ(memmap, 4u);
    EXPECT_EQ(run("VIEW PSG"), "Wrong guest machine!\n\n");
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    EXPECT_EQ(run("view psg"), "Wrong guest machine!\n\n");
    machine = ZACCARIA;
    memmap = MAP_LASER_BATTLE;
    EXPECT_EQ(run("VIEW PSG"),
              "1st tone unit (bass):   rest, rest\n2nd tone unit (treble): rest, rest\n\n");
    memmap = MAP_GALAXIA;
    EXPECT_EQ(run("VIEW PSG"), "Wrong guest machine!\n\n");
    machine = ARCADIA;
    memmap = MAP_ARCADIA_EMERSON;
}

// The PIPBUG's row reaches its screen and BASIC dumps, in any letter case;
// the Arcadia has no BASIC view, the ball-and-paddle machine no screen view.
TEST_F(ViewsTest, PipbugScreenAndBasicViews) {
    ASSERT_TRUE(machine_switch(PIPBUG, MAP_PIPBUG_1, true, true, false));
    guest_memory[0x0464] = 0x01; // A = 258
    guest_memory[0x0465] = 0x02;
    const std::string basic = run("VIEW BASIC");
    EXPECT_EQ(basic.rfind("Addresses  Name Contents = Value\n", 0), 0u) << basic;
    EXPECT_NE(basic.find("$464..$465 A       $0102 =   258\n"), std::string::npos) << basic;
    const std::string screen = run("v scrn");
    EXPECT_EQ(screen.rfind(" 0: ", 0), 0u) << screen;
    EXPECT_EQ(run("VIEW UDG"), "Wrong guest machine!\n\n");
    ASSERT_TRUE(machine_switch(ARCADIA, MAP_ARCADIA_EMERSON, true, true, false));
    EXPECT_EQ(run("VIEW BASIC"), "Wrong guest machine!\n\n");
    EXPECT_EQ(run("VIEW SCRN").rfind("$1800: 00", 0), 0u);
    machine = PONG;
    EXPECT_EQ(run("VIEW SCRN"), "Wrong guest machine!\n\n");
    machine = ARCADIA;
}

// The Type-right has no memory to look at: its screen view is the LCD line,
// marked when an indicator is lit, and the cursor marks under it.
TEST_F(ViewsTest, TypeRightScreenIsItsLcd) {
    ASSERT_TRUE(machine_switch(TYPERIGHT, 30, true, true, false));
    machine_reset();
    std::snprintf(typeright_lcd, sizeof typeright_lcd, "%s", "LESSON 7");
    std::memset(typeright_cursor, 0, sizeof typeright_cursor);
    std::memset(typeright_indicators, 0, sizeof typeright_indicators);
    typeright_cursor[0] = typeright_cursor[7] = 1;
    EXPECT_EQ(run("VIEW SCRN"), " LESSON 7\n _      _\n\n");
    typeright_indicators[2] = 1;
    typeright_cursor[0] = 0;
    EXPECT_EQ(run("v scrn"), "<LESSON 7\n        _\n\n");
    EXPECT_EQ(run("VIEW RAM"), "Wrong guest machine!\n\n");
}

TEST_F(ViewsTest, InterruptRequestedByTheUser) {
    machine = ARCADIA;
    EXPECT_EQ(run("GI"), "Wrong guest machine!\n\n");
    machine = INTERTON;
    cpu_bus.interrupt_vector = [](CpuVector* v) {
        *v = CpuVector{0x0003, false};
        return true;
    };
    cpu_iar = 0x0200;
    cpu_psu = PSU_II;
    EXPECT_EQ(run("GI"), "Queued user-requested interrupt.\n\n");
    EXPECT_EQ(cpu_irq_pending, 1u);
    EXPECT_EQ(cpu_iar, 0x0200);
    cpu_psu = 0;
    EXPECT_EQ(run("gi"), "Generated user-requested interrupt.\n\n");
    EXPECT_EQ(cpu_iar, 0x0003) << "accepted at once";
    EXPECT_EQ(cpu_ras[0], 0x0200);
}

TEST_F(ViewsTest, ProcessorVariantGuidePixelAndSpriteMode) {
    const std::string cpu_usage =
        "CPU 0: Set CPU to 2650/2650A\nCPU 1: Set CPU to 2650B\nUsage: CPU 0|1\n\n";
    EXPECT_EQ(run("CPU 2"), cpu_usage);
    EXPECT_EQ(run("CPU"), cpu_usage);
    EXPECT_EQ(run("CPU 1"), "CPU is now 2650B.\n\n");
    EXPECT_EQ(cpu_type, static_cast<u32>(CPU_2650B));
    EXPECT_EQ(run("CPU 0"), "CPU is now 2650/2650A.\n\n");
    EXPECT_EQ(cpu_type, static_cast<u32>(CPU_2650));

    EXPECT_EQ(run("GR"), "Wrong guest machine!\n\n") << "PIPBUG draws no beam";
    machine = ARCADIA;
    guidepixel = 1;
    EXPECT_EQ(run("GR"), "Use guide pixel off.\n\n");
    EXPECT_EQ(run("GR"), "Use guide pixel on.\n\n");
    EXPECT_EQ(guidepixel, 1u);

    machine = PIPBUG;
    EXPECT_EQ(run("SPR 1"), "Wrong guest machine!\n\n");
    machine = PONG;
    EXPECT_EQ(run("SPR 1"), "OK.\n\n");
    EXPECT_EQ(sprite_mode, 1);
    EXPECT_EQ(run("SPR 3").substr(0, 6), "SPR 0:");
    EXPECT_EQ(sprite_mode, 1);
}

// The commands that need some hardware refuse on the machines without it: a
// monitor whose calls are logged, a source of interrupts (R I) or one the user
// may raise (GI), a beam (GR), sprites (SPR). "x": the machine takes the
// command; machines in number order, ARCADIA first.
TEST_F(ViewsTest, HardwareCommandsFollowTheMachine) {
    const struct {
        const char* line;
        const char* takes;
    } cases[] = {{"L B", "..xxxxxx..x.x.."},
                 {"R I", ".xx.xxx..xx...."},
                 {"GI", ".xx..x...xx...."},
                 {"GR", "xxx.x..x.xx...."},
                 {"SPR 1", "xxx......x.x..."}};
    for (const auto& c : cases)
        for (u32 m = 0; m < MACHINES; m++) {
            machine = m;
            cpu_psu = PSU_II; // GI only queues its interrupt
            const bool refused = run(c.line) == "Wrong guest machine!\n\n";
            EXPECT_EQ(refused, c.takes[m] != 'x') << c.line << " on machine " << m;
        }
    machine = PIPBUG;
}

std::vector<std::string> editor_argv;
bool fake_editor(char* const* argv) {
    editor_argv.clear();
    for (; *argv; argv++)
        editor_argv.push_back(*argv);
    return true;
}

TEST_F(ViewsTest, EditorGetsTheFileNameAsOneArgument) {
    TempHome home("editor");
    setenv("VISUAL", "myedit --wait", 1);
    dbg_editor_start = fake_editor;
    const std::string existing = (home.path() / "game.txt").string();
    test_write_file(existing, "x");
    struct Case {
        std::string line;
        std::vector<std::string> argv;
    };
    const Case cases[] = {
        {"ED " + existing, {"myedit", "--wait", existing}},
        {"edit " + (home.path() / "prog").string(),
         {"myedit", "--wait", (home.path() / "prog.asm").string()}},
        {"ED " + (home.path() / "a;rm").string(),
         {"myedit", "--wait", (home.path() / "a;rm.asm").string()}},
    };
    for (const Case& c : cases) {
        editor_argv.clear();
        EXPECT_EQ(run(c.line.c_str()), "") << c.line;
        EXPECT_EQ(editor_argv, c.argv) << c.line;
    }
    unsetenv("EDITOR");
    setenv("VISUAL", " \t", 1); // blanks name no editor: the file is not the program
    EXPECT_EQ(run(("ED " + existing).c_str()), "");
    EXPECT_EQ(editor_argv, (std::vector<std::string>{"xdg-open", existing}));
    EXPECT_EQ(run("ED"), "Edit source code\nUsage: ED|EDIT <filename>\n\n");
    editor_argv.clear();
    EXPECT_EQ(run(("ED " + std::string(513, 'n')).c_str()), "Pathname is too long!\n\n");
    EXPECT_TRUE(editor_argv.empty());
    unsetenv("VISUAL");
}

TEST_F(ViewsTest, ProgramResetEmptiesTheHistory) {
    std::snprintf(g_dbg_line, sizeof g_dbg_line, "BP 100");
    dbg_history_add();
    emu_reset_all();
    con_push_sink(capture); // the reset left only the console
    EXPECT_STREQ(cmd_history[0], "");
}

} // namespace
