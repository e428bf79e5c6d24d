// Pause requests, the breakpoint and step-out check, register watches through
// the accessors, branch completion and the texts of the run-time reports, and
// what the reports ask of the board (cpu_debug_hooks) and of the layers above (cpu_host).
#include "tests/support/quiet_output.h"
#include "core/emu.h"
#include "core/frame.h"
#include "app/mainloop.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "debugger/debugger.h"
#include "gui/tool_windows.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<u32> notes_seen; // addresses the board's note hooks were given
CpuCharStyle style_now;

// Fake boards' rules: a monitor whose entry code at $0003-$0015 counts as game
// code; a character set with lower-case letters at codes 1..25; a chip that
// describes each value with its address.
bool entry_code_is_game_code(u16 caller) {
    return caller >= 3 && caller <= 0x15;
}
u8 letters_from_one(u8 code) {
    return code >= 1 && code < 26 ? static_cast<u8>('a' + code - 1) : 0;
}
void describe_hex(u8 value, u32 address, char* out, std::size_t size) {
    std::snprintf(out, size, " <%02X@%X>", value, address);
}

// A tool window whose input handler continues the emulation, as the debugger's
// "go" would: it ends the pause loop on its first event pass.
int event_passes;
void continue_input() {
    event_passes++;
    emu_unpause();
}
bool always_open() {
    return true;
}
constexpr int CONTINUE_SLOT = 19;

class DbgHooksTest : public ::testing::Test {
  protected:
    CpuDebugHooks board_hooks{};

    void SetUp() override {
        fresh_state();
        use(MALZAK);
        gui_subwin_ops[CONTINUE_SLOT] = SubwindowOps{nullptr, nullptr, continue_input, always_open};
        event_passes = 0;
    }
    void TearDown() override { fresh_state(); }

    // A fresh processor on a bus with nothing special for the debugger; the
    // tests give the board its debugger hooks in board_hooks.
    void use(u32 m) {
        fresh_cpu(m, 0);
        cpu_bus_reset();
        board_hooks = {};
        cpu_debug_hooks = &board_hooks;
        cpu_iar = 0x0100;
        cpu_prev_iar = 0x00FE;
        raster_line = 0;
        dis_notation = 0;
    }

    template <typename F> std::string output_of(F f) {
        capture_output();
        f();
        return captured_output();
    }

    void watch_register(u32 n, u8 condition = COND_ALWAYS, u16 value = 0) {
        mem_attributes[MEM_REG_BASE + n] |= MEM_WATCH;
        watch_conditions[MEM_REG_BASE + n] = WatchCondition{MEM_REG_BASE + n, condition, value};
    }
};

TEST_F(DbgHooksTest, PauseRequestsAreGatedByTheirSwitch) {
    struct Case {
        int reason;
        u32 log, brk;
        u8 pending;
    } cases[] = {
        {PAUSE_LOG, 0, 1, 0},   {PAUSE_LOG, 1, 1, 1},    {PAUSE_BREAK, 1, 0, 0},
        {PAUSE_BREAK, 1, 1, 1}, {PAUSE_ALWAYS, 0, 0, 1}, {7, 0, 0, 0}, // unknown: ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        pause_pending = 0;
        pauselog = c.log;
        pausebreak = c.brk;
        dbg_request_pause(c.reason);
        EXPECT_EQ(pause_pending, c.pending) << "pauselog " << c.log << ", pausebreak " << c.brk;
    }
    dbg_request_pause(PAUSE_ALWAYS);
    dbg_request_pause(7); // an unknown reason leaves a request in place
    EXPECT_EQ(pause_pending, 1);
}

TEST_F(DbgHooksTest, PauseLoopRunsEventPassesUntilContinued) {
    dbg_run_to_loop_end = 1;
    pause_pending = 1;
    dbg_pause_loop();
    EXPECT_EQ(pause_pending, 0);
    EXPECT_EQ(event_passes, 1);
    EXPECT_FALSE(emu_paused);
    EXPECT_EQ(dbg_run_to_loop_end, 0u); // pausing ends the run targets
}

// Both ways of stopping (a pause request and a single step) wait for host
// events between passes instead of spinning, and a quit request ends the wait
// even though the emulation stays paused.
int passes_until_continue; // the pass that continues; 0 = never
bool quit_on_first_pass;
void scripted_pass() {
    event_passes++;
    if (quit_on_first_pass && event_passes == 1) pending_actions |= PA_QUIT;
    if (event_passes == passes_until_continue) emu_unpause();
    if (event_passes > 50) emu_unpause(); // a loop that ignores quitting stops here
}

TEST_F(DbgHooksTest, PausedLoopsSleepBetweenPassesAndEndOnQuit) {
    struct Case {
        const char* what;
        void (*stop)();
        bool quit;
        int continue_at;
        int passes, waits;
    };
    auto pause_request = [] {
        pause_pending = 1;
        dbg_pause_loop();
    };
    auto single_step = [] {
        cpu_host.pause = [] { emu_pause(PauseCause::debugger); };
        guest_memory[cpu_iar] = 0x01; // LODZ r1
        dbg_single_step = 1;
        verbosity = 0;
        capture_output();
        cpu_execute_one();
        captured_output();
    };
    const Case cases[] = {
        {"pause, continued on the 4th pass", pause_request, false, 4, 4, 3},
        {"pause, quit on the 1st pass", pause_request, true, 0, 1, 0},
        {"single step, continued on the 3rd pass", single_step, false, 3, 3, 2},
        {"single step, quit on the 1st pass", single_step, true, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dbg_install_cpu_host(scripted_pass);
        event_passes = 0;
        pending_actions = 0;
        quit_on_first_pass = c.quit;
        passes_until_continue = c.continue_at;
        const int waits_before = gui_headless_wait_events_count();
        c.stop();
        EXPECT_EQ(event_passes, c.passes);
        EXPECT_EQ(gui_headless_wait_events_count() - waits_before, c.waits);
        emu_unpause();
    }
    pending_actions = 0;
}

TEST_F(DbgHooksTest, StepOutAndBreakpointOnOneAddress) {
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }), ""); // no mark: nothing happens
    pause_pending = 1; // an earlier report's request waits for the next pause point
    cpu_check_breakpoint();
    EXPECT_EQ(event_passes, 0);
    pause_pending = 0;
    cpu_iar = 0x1234;
    cpu_prev_iar = 0x1230;
    mem_attributes[0x1234] = MEM_STEP_OUT | MEM_BREAKPOINT;
    pausebreak = 0;
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }),
              "Reached end of subroutine or interrupt and returned to $1234.\n\n"
              "Hit code breakpoint at $1234! Previous IAR/PC was $1230.\n\n");
    EXPECT_EQ(mem_attributes[0x1234], MEM_BREAKPOINT); // marker gone, breakpoint kept
    EXPECT_EQ(pause_pending, 0);                       // served by the pause loop
    EXPECT_EQ(event_passes, 1);                        // one pause for both
    // The marker fires once; the breakpoint keeps firing.
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }),
              "Hit code breakpoint at $1234! Previous IAR/PC was $1230.\n\n");
}

TEST_F(DbgHooksTest, BreakpointConditions) {
    cpu_iar = 0x0200;
    mem_attributes[0x0200] = MEM_BREAKPOINT;
    bp_conditions[0x0200] = WatchCondition{MEM_REG_BASE + 0, COND_EQ, 0x10};
    pausebreak = 0;
    cpu_regs[0] = 0x0F;
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }), "");
    cpu_regs[0] = 0x10;
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }),
              "Hit code breakpoint at $200! Previous IAR/PC was $FE.\n\n");
    EXPECT_EQ(event_passes, 0); // "pausebreak" off
    pausebreak = 1;
    output_of([] { cpu_check_breakpoint(); });
    EXPECT_EQ(event_passes, 1); // paused before the instruction runs
}

TEST_F(DbgHooksTest, RegisterWriteWatch) {
    cpu_write_register(4, 0x99); // no watch: stored silently
    EXPECT_EQ(cpu_regs[4], 0x99);
    EXPECT_EQ(cpu_read_register(4), 0x99);
    watch_register(1);
    pausebreak = 1;
    cpu_regs[1] = 0x41;
    watchwrites = 1;
    EXPECT_EQ(output_of([] { cpu_write_register(1, 0x41); }), "");
    EXPECT_EQ(pause_pending, 0);
    watchwrites = 2;
    EXPECT_EQ(output_of([] { cpu_write_register(1, 0x41); }),
              "Instruction at $100 (raster 0) is writing $41 ['A'] to R1! "
              "Previous IAR/PC was $FE.\n\n");
    EXPECT_EQ(pause_pending, 1);
    watchwrites = 0;
    EXPECT_EQ(output_of([] { cpu_write_register(1, 0x42); }), "");
    EXPECT_EQ(cpu_regs[1], 0x42); // stored in every case
    // Condition 7: only writes that change a bit of the mask.
    watchwrites = 2;
    watch_register(2, COND_CHANGED, 0x01);
    cpu_regs[2] = 0x10;
    EXPECT_EQ(output_of([] { cpu_write_register(2, 0x20); }), ""); // bit 0 unchanged
    EXPECT_EQ(cpu_regs[2], 0x20);
    EXPECT_NE(output_of([] { cpu_write_register(2, 0x21); }), "");
}

TEST_F(DbgHooksTest, RegisterReadWatch) {
    dis_notation = NOTATION_OLD_CALM;
    watch_register(3);
    cpu_regs[3] = 0x5A;
    u8 v = 0;
    EXPECT_EQ(output_of([&] { v = cpu_read_register(3); }),
              "Instruction at $100 (raster 0) is reading $5A ['Z'] from D! "
              "Previous IAR/PC was $FE.\n\n");
    EXPECT_EQ(v, 0x5A);
    watchreads = 0;
    EXPECT_EQ(output_of([&] { v = cpu_read_register(3); }), "");
    watchreads = 1;
    watch_register(3, COND_LT, 0x50);
    EXPECT_EQ(output_of([&] { v = cpu_read_register(3); }), "");
}

// A call from game code into the BIOS is reported and charged as a branch;
// BIOS code calling itself is not reported. The P1 DOS vectors have their own report.
TEST_F(DbgHooksTest, BiosCallAndDosVectorReports) {
    use(PIPBUG);
    notes_seen.clear();
    board_hooks.bios_notes = [](u32 a) { notes_seen.push_back(a); };
    for (u32 a = 0; a < 0x400; a++)
        mem_attributes[a] |= MEM_BIOS;
    logbios = 1;
    pauselog = 1;
    cpu_iar = 0x0440;
    cpu_ea = 0x0100;
    EXPECT_EQ(output_of([] { cpu_report_bios_call(0); }),
              "BIOS code at $100 was called by game code at $440.\n\n");
    EXPECT_EQ(pause_pending, 1);
    EXPECT_EQ(cpu_iar, 0x0100);
    EXPECT_EQ(cpu_op_cycles, 3u);
    EXPECT_EQ(cpu_cycles, 9u);
    cpu_iar = 0x0200;
    EXPECT_EQ(output_of([] { cpu_report_bios_call(1); }), "");
    EXPECT_EQ(cpu_cycles, 9u + 15u); // an indirect branch costs 15 clock periods
    EXPECT_EQ(cpu_op_cycles, 5u);
    EXPECT_EQ(cpu_iar, 0x0100);
    EXPECT_EQ(notes_seen, std::vector<u32>{0x0100}); // notes of the reported call only

    // A monitor entered through vectors: no BIOS-call reports, vector reports instead.
    use(INSTRUCTOR);
    board_hooks.calls_through_vectors = [] { return true; };
    notes_seen.clear();
    board_hooks.vector_notes = [](u32 a) { notes_seen.push_back(a); };
    mem_attributes[0x0020] = MEM_BIOS;
    logbios = 1;
    pauselog = 0;
    cpu_iar = 0x0800;
    cpu_ea = 0x0020;
    EXPECT_EQ(output_of([] { cpu_report_dos_vector_call(); }),
              "P1 DOS vector at $20 was called by game code at $800.\n\n");
    cpu_ea = 0x0021; // pointer outside the BIOS
    EXPECT_EQ(output_of([] { cpu_report_dos_vector_call(); }), "");
    EXPECT_EQ(notes_seen, std::vector<u32>{0x0020});
    cpu_ea = 0x0020;
    EXPECT_EQ(output_of([] { cpu_report_bios_call(0); }), "");
    EXPECT_EQ(cpu_iar, 0x0020);                  // the branch is completed all the same
    board_hooks.calls_through_vectors = nullptr; // an ordinary board has no vector reports
    cpu_iar = 0x0800;
    EXPECT_EQ(output_of([] { cpu_report_dos_vector_call(); }), "");
}

// Callers outside MEM_BIOS are game code on every board; a board's rule adds
// callers inside it that count as game code too.
TEST_F(DbgHooksTest, BiosCallerRuleOfTheBoard) {
    for (u32 a = 0; a < 0x400; a++)
        mem_attributes[a] |= MEM_BIOS;
    logbios = 1;
    struct Case {
        bool rule;
        u16 caller;
        bool reported;
    } cases[] = {
        {false, 0x0440, true}, {false, 0x0010, false}, // caller outside / inside the BIOS
        {true, 0x0010, true},  {true, 0x0016, false},  // the rule counts $0003-$0015 as game code
        {true, 0x0440, true},                          // and leaves callers outside the BIOS so
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caller);
        board_hooks.bios_caller = c.rule ? entry_code_is_game_code : nullptr;
        cpu_iar = c.caller;
        cpu_ea = 0x0100;
        EXPECT_EQ(!output_of([] { cpu_report_bios_call(0); }).empty(), c.reported);
    }
    cpu_tracing = 1; // never while tracing
    board_hooks.bios_caller = nullptr;
    cpu_iar = 0x0440;
    cpu_ea = 0x0100;
    EXPECT_EQ(output_of([] { cpu_report_bios_call(0); }), "");
    cpu_tracing = 0;
}

// Watch annotations follow the board's character style: ASCII names, the
// board's own character set, nothing, or the board's description of a value.
TEST_F(DbgHooksTest, AnnotationsFollowTheBoard) {
    struct Case {
        CpuCharStyle style;
        bool own_chars, describes;
        u8 value;
        const char* memory;
        const char* reg;
    } cases[] = {
        {CHARS_GUEST, false, false, 'A', " ['A']", " ['A']"},
        {CHARS_GUEST, false, false, 0x0D, " ['\xC2\xB7']",
         " ['\xC2\xB7']"}, // no glyph: a middle dot
        {CHARS_GUEST, true, false, 0x01, " ['a']", " ['a']"},
        {CHARS_GUEST, true, false, 'A', " ['\xC2\xB7']", " ['\xC2\xB7']"},
        {CHARS_ASCII, false, false, 0x0D, " [CR]", " [CR]"},
        {CHARS_ASCII, false, false, 0x7F, " [DEL]", " [DEL]"},
        {CHARS_ASCII, false, false, 0x81, " [Brk]", " [Brk]"},
        {CHARS_ASCII, false, true, 'Z', " ['Z']", " ['Z']"}, // names win over descriptions
        {CHARS_NONE, false, false, 'A', "", ""},
        {CHARS_NONE, false, true, 0x12, " <12@1F0E>", ""},
        {CHARS_GUEST, false, true, 'B', " <42@1F0E>", " ['B']"}, // registers are never described
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style << " value " << int(c.value));
        style_now = c.style;
        board_hooks.char_style = [] { return style_now; };
        board_hooks.guest_char = c.own_chars ? letters_from_one : nullptr;
        board_hooks.describe_value = c.describes ? describe_hex : nullptr;
        cpu_annotate_value(c.value, 0x1F0E);
        EXPECT_STREQ(watch_annotation, c.memory);
        cpu_annotate_register_value(c.value);
        EXPECT_STREQ(watch_annotation, c.reg);
    }
    board_hooks.char_style = nullptr; // no style: the board's characters
    cpu_annotate_register_value('Q');
    EXPECT_STREQ(watch_annotation, " ['Q']");
}

// Without a host the reports still print hexadecimal addresses and nothing
// waits; a host's formatter names the addresses of every report.
TEST_F(DbgHooksTest, HostServicesAndTheirAbsence) {
    cpu_host = CpuHost{};
    char text[CPU_ADDRESS_TEXT_SIZE];
    struct Case {
        u32 address, notation;
        int plain;
        const char* shown;
    } cases[] = {
        {0x1234, NOTATION_SIGNETICS, 1, "$1234"},
        {0x1234, NOTATION_OLD_CALM, 0, "16'1234"},
        {0x1234, NOTATION_IEEE, 1, "$1234"},
        {MEM_REG_BASE + 3, NOTATION_OLD_CALM, 1, "D"},
        {MEM_REG_BASE + 0, NOTATION_SIGNETICS, 0, "R0"},
    };
    for (const Case& c : cases) {
        dis_notation = c.notation;
        EXPECT_EQ(cpu_format_address(c.address, text, 1, 0, 15, c.plain), 0);
        EXPECT_STREQ(text, c.shown);
    }
    dis_notation = 0;
    pause_pending = 1;
    dbg_pause_loop(); // returns at once: no interface to continue from
    EXPECT_EQ(pause_pending, 0);
    EXPECT_EQ(event_passes, 0);

    cpu_host.format_address = [](u32 address, char* out, int, int, int, int) -> char {
        std::snprintf(out, CPU_ADDRESS_TEXT_SIZE, "L%X", address);
        return 'C';
    };
    cpu_iar = 0x0104;
    EXPECT_EQ(output_of([] { cpu_log_end_of_loop(); }), "Reached end of loop at L104.\n\n");
}

TEST_F(DbgHooksTest, EndOfLoopAndIarWrapReports) {
    pausebreak = 0;
    pauselog = 0;
    cpu_iar = 0x0104;
    EXPECT_EQ(output_of([] { cpu_log_end_of_loop(); }), "Reached end of loop at $104.\n\n");
    EXPECT_EQ(pause_pending, 1);

    // The wrap report never pauses and counts in the chosen time unit.
    pause_pending = 0;
    pauselog = 1;
    cpu_prev_iar = 0x1FFF;
    cpu_cycles = 300;
    EXPECT_EQ(output_of([] { cpu_log_iar_wrapped(); }),
              "IAR has wrapped after instruction at $1FFF (100 CPU cycles)!\n\n");
    EXPECT_EQ(pause_pending, 0);
}

} // namespace
