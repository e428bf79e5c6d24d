// The command interpreter driven headless: dispatch, usage texts, history,
// help, switches, run control and code breakpoints with their stop messages.
#include "core/emu.h"
#include "tests/support/checkout_paths.h"
#include "core/frame.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "tests/debugger/debugger_fixture.h"
#include "tests/support/fresh_state.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

class CommandsTest : public DebuggerTest {};

TEST_F(CommandsTest, UsageTextsAndUnknownWords) {
    expect_answers({
        {"Foo", "Unknown command \"FOO\" (\"H\" for help).\n\n"},
        {"STEPX", "Unknown command \"STEPX\" (\"H\" for help).\n\n"},
        {"J ?", "Jump to address\nUsage: J|JUMP <address>\n\n"},
        {"j ? 1", "Jump to address\nUsage: J|JUMP <address>\n\n"},
        {"J", "Jump to address\nUsage: J|JUMP <address>\n\n"},
        {"jump 8000", "Valid range is $0..$7FFF!\n\n"},
        {"G ?", "Pause/unpause & optionally set breakpoint\nUsage: G|P [<address>]\n\n"},
        {"L", "Usage: L A|B|C|I|N|S\n\n"},
        {"L X", "Usage: L A|B|C|I|N|S\n\n"},
        {"BC ?", "Clear code breakpoints from address range\nUsage: BC [<start-address> "
                 "[<end-address>]]\n\n"},
        {"BP 1 2 3", "Add code breakpoints to address range\nUsage: BP <start-addr> [<end-addr>] "
                     "[<addr/reg> <condition> <value>]\n"},
        {"TU 3", "TU 0: Set time unit to cycles\nTU 1: Set time unit to clocks\nTU 2: Set "
                 "time unit to pixels\nUsage: TU 0|1|2\n\n"},
        {"VB 5", "VB|VERBOSE 0: Set verbosity to minimum\nVB|VERBOSE 1: Set table tracing "
                 "mode\nVB|VERBOSE 2: Set verbosity to maximum\nUsage: VB 0|1|2\n\n"},
        {"N 4", "Notation is now IEEE-694.\n\n"},
        {"\"hello", "Command is unavailable.\n\n"},
        {"SAY hello", "Command is unavailable.\n\n"},
    });
}

TEST_F(CommandsTest, CommandsNeedingTheProcessorRefuseOnTheMachinesWithout) {
    machine = PONG;
    for (const char* line : {"S", "J 0", "BP 100", "T", "PB"})
        EXPECT_EQ(run(line), "Wrong guest machine!\n\n") << line;
    EXPECT_EQ(dbg_single_step, 0u);
}

TEST_F(CommandsTest, ShellEscapeHandsTheWholeRestToTheShell) {
    static std::string started;
    dbg_shell_start = [](const char* command) { started = command; };
    EXPECT_EQ(run("*echo  a   b"), "");
    EXPECT_EQ(started, "echo  a   b");
}

TEST_F(CommandsTest, AFinishedShellIsReaped) {
    TempHome home("shell_reap");
    const std::string file = (home.path() / "pid").string();
    EXPECT_EQ(run(("*echo $$ > " + file).c_str()), "");
    std::string pid;
    ASSERT_TRUE(wait_until([&] { return (pid = test_read_file(file)).find('\n') != std::string::npos; }));
    const std::string proc = "/proc/" + pid.substr(0, pid.find('\n'));
    EXPECT_TRUE(wait_until([&] { return access(proc.c_str(), F_OK) != 0; })) << proc << " lingers";
}

TEST_F(CommandsTest, HistoryKeepsDistinctLinesNewestFirst) {
    for (const char* line : {"A", "B", "A"}) {
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", line);
        dbg_history_add();
    }
    EXPECT_STREQ(cmd_history[0], "A");
    EXPECT_STREQ(cmd_history[1], "B");
    EXPECT_STREQ(cmd_history[2], "");
    for (int i = 0; i < 21; i++) {
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "line %d", i);
        dbg_history_add();
    }
    EXPECT_STREQ(cmd_history[0], "line 20");
    EXPECT_STREQ(cmd_history[19], "line 1");
    std::snprintf(g_dbg_line, sizeof g_dbg_line, "HISTORY");
    dbg_history_add();
    const std::string listed = run("HISTORY");
    EXPECT_EQ(listed.substr(0, 7), "line 2\n");
    EXPECT_EQ(listed.substr(listed.size() - 9), "HISTORY\n\n");
}

TEST_F(CommandsTest, HelpCategoriesBySelector) {
    EXPECT_EQ(run("h r").substr(0, 5), "Run:\n");
    EXPECT_EQ(run("H 6").substr(0, 5), "Run:\n");
    for (const char* line : {"H", "H 12", "H G", "HELP zz"})
        EXPECT_EQ(run(line).substr(0, 9), "General:\n") << line;
    const std::string run_help = run("H R");
    EXPECT_NE(run_help.find("J|JUMP <address>                set the instruction address\n"),
              std::string::npos);
    EXPECT_EQ(run_help.substr(run_help.size() - 2), "\n\n");
    // A syntax wider than the column stands alone, its description indented below.
    const std::string bp_help = run("H B");
    EXPECT_NE(bp_help.find("[<addr/reg> <condition> <value>]\n" + std::string(32, ' ') +
                           "add code breakpoints or data watchpoints\n"),
              std::string::npos);
}

// The help texts of all categories against the reviewed file;
// BRINDLEMOX_UPDATE_GOLDEN=1 rewrites it from the current output.
TEST_F(CommandsTest, HelpTextsMatchTheReviewedFile) {
    const std::string path = std::string(test_data()) + "/debugger/help.txt";
    std::string fresh;
    for (const char* line :
         {"H", "H F", "H D", "H E", "H V", "H L", "H R", "H B", "H S", "H T", "H O", "H A"})
        fresh += run(line);
    if (std::getenv("BRINDLEMOX_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << fresh;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << path;
    std::stringstream golden;
    golden << in.rdbuf();
    std::istringstream a(golden.str()), b(fresh);
    std::string expected, actual;
    for (int number = 1;; number++) {
        const bool more_a = static_cast<bool>(std::getline(a, expected));
        const bool more_b = static_cast<bool>(std::getline(b, actual));
        if (!more_a && !more_b) break;
        ASSERT_EQ(expected, actual) << "line " << number;
    }
    // Every help line fits the console: syntax wider than a line goes on after a blank.
    std::istringstream lines(fresh);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 80u) << line;
}

TEST_F(CommandsTest, SwitchesAndSettings) {
    EXPECT_EQ(run("l a"), "Log illegal reads/writes on.\n\n");
    EXPECT_EQ(logreadwrites, 1u);
    EXPECT_EQ(run("L A"), "Log illegal reads/writes off.\n\n");
    EXPECT_EQ(run("L B"), "Log BIOS calls on.\n\n"); // PIPBUG has a BIOS
    machine = ARCADIA;
    EXPECT_EQ(run("L B"), "Wrong guest machine!\n\n");
    EXPECT_EQ(run("PB"), "Pause after breakpoints/watchpoints is now off.\n\n");
    EXPECT_EQ(run("BASE"), "Current default input base is hexadecimal.\n\n");
    EXPECT_EQ(run("BASE !"), "Set default input base to decimal.\n\n");
    EXPECT_EQ(dbg_base, 2);
    EXPECT_EQ(run("BASE 16"), "Set default input base to hexadecimal.\n\n");
    EXPECT_EQ(run("BASE 0x10").substr(0, 5), "BASE ");
    EXPECT_EQ(run("WW s"), "OK.\n\n");
    EXPECT_EQ(watchwrites, 1u);
    EXPECT_NE(run("WW x").find("Current setting is SOME.\n\n"), std::string::npos);
    EXPECT_EQ(run("WR"), "Watch reads off.\n\n");
}

TEST_F(CommandsTest, StepOverMarksTheInstructionAfterTheCall) {
    struct Case {
        u16 iar;
        u8 opcode;
        u32 marked; // 0xFFFF: stepped like S
    };
    const Case cases[] = {{0x0100, 0x3F, 0x0103},
                          {0x1FFE, 0x3F, 0x0001},
                          {0x0200, 0x38, 0x0202},
                          {0x0300, 0x7F, 0xFFFF}};
    for (const auto& c : cases) {
        fresh_cpu(PIPBUG, 0);
        emu_paused = true;
        cpu_iar = c.iar;
        guest_memory[c.iar] = c.opcode;
        const std::string said = run("o");
        if (c.marked == 0xFFFF) {
            EXPECT_EQ(dbg_single_step, 1u);
            EXPECT_EQ(said, "");
        } else {
            EXPECT_TRUE(mem_attributes[c.marked] & MEM_STEP_OUT) << std::hex << c.iar;
            EXPECT_EQ(said.rfind("Stepping over subroutine call (", 0), 0u) << said;
        }
        EXPECT_FALSE(emu_paused);
    }
}

TEST_F(CommandsTest, GoWithAnInvalidAddressStaysPaused) {
    emu_paused = true;
    EXPECT_EQ(run("G 9000"), "Valid range is $0..$7FFF!\n\n");
    EXPECT_TRUE(emu_paused);
    EXPECT_EQ(run("G 1234"), "Added code breakpoint at $1234.\n\nUnpausing...\n\n");
    EXPECT_FALSE(emu_paused);
    EXPECT_TRUE(mem_attributes[0x1234] & MEM_BREAKPOINT);
}

TEST_F(CommandsTest, CodeBreakpointsAddListClearAndStopWithTheirCondition) {
    EXPECT_EQ(run("BL"), "None.\n\n");
    EXPECT_EQ(run("BP 100"), "Added code breakpoint at $100.\n\n");
    EXPECT_EQ(run("BP 100"), "Breakpoint is already set!\n\n");
    EXPECT_EQ(run("BP 200 r0 == 42"), "Added code breakpoint at $200 when R0 == $42.\n\n");
    EXPECT_EQ(run("BL"), "$100\n$200 when R0 == $42\n\n");

    pausebreak = 1;
    cpu_host.event_pass = nullptr; // the stop pauses without waiting for the user
    emu_paused = false;
    cpu_iar = 0x200;
    cpu_regs[0] = 0x41;
    captured.clear();
    cpu_check_breakpoint();
    EXPECT_EQ(captured, "") << "condition false: no stop";
    cpu_regs[0] = 0x42;
    cpu_check_breakpoint();
    EXPECT_EQ(captured.rfind("Hit code breakpoint at $200!", 0), 0u) << captured;
    EXPECT_TRUE(emu_paused);

    EXPECT_EQ(run("BC 300"), "Breakpoint not found at $300!\n\n");
    EXPECT_EQ(run("BC 100"), "Cleared code breakpoint at $100.\n\n");
    EXPECT_EQ(run("BP 10 1F"), "OK.\n\n");
    EXPECT_TRUE(mem_attributes[0x1F] & MEM_BREAKPOINT);
    EXPECT_EQ(run("BP 20 10"), run("BP ?"));
    EXPECT_EQ(run("BC"), "Cleared all code breakpoints.\n\n");
    EXPECT_EQ(run("BC"), "No breakpoints to clear!\n\n");
}

TEST_F(CommandsTest, TraceSwitchPrintsTheTableHeaderAtVerbosityOne) {
    EXPECT_EQ(run("VB 1"), "Table tracing mode.\n\n");
    const std::string on = run("T");
    EXPECT_EQ(on.rfind("CPU tracing on.\n\nLoca InOpAd", 0), 0u) << on;
    EXPECT_EQ(cpu_tracing, 1u);
    EXPECT_EQ(run("ss"), "CPU tracing off.\n\n");
    run("VB 2");
    EXPECT_EQ(run("T"), "CPU tracing on.\n\n");
}

} // namespace
