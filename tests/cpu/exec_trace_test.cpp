// The trace path: the instruction is listed, executed exactly as without
// tracing, and a single step ends after one instruction.
#include "exec_fixture.h"

using ExecTrace = ExecTest;

TEST_F(ExecTrace, TracedInstructionIsListedAndExecuted) {
    at(0x0100, {0x84, 0x01, 0x1B, 0x7E});
    cpu_regs[0] = 0x7F;
    cpu_tracing = 1;
    verbosity = 0;
    emu_paused = 0;
    OutputCapture out;
    EXPECT_EQ(step(), 6u);
    cpu_tracing = 0;
    EXPECT_EQ(cpu_regs[0], 0x80);
    EXPECT_EQ(cpu_psl, CC_NEGATIVE | PSL_IDC | PSL_OVF);
    const std::string text = out.text();
    EXPECT_NE(text.find("ADDI,r0 1"), std::string::npos);
    EXPECT_NE(text.find("$0100 84 01"), std::string::npos);
}

namespace {

// The host services the tracer calls, in order, and how many event passes the
// interface needs before the user continues.
std::string host_calls;
int passes_until_continued;

void fake_host() {
    cpu_host = CpuHost{};
    host_calls.clear();
    cpu_host.pause = [] { host_calls += "pause "; };
    cpu_host.paused = [] { return passes_until_continued > 0; };
    cpu_host.event_pass = [] {
        host_calls += "events ";
        passes_until_continued--;
    };
    cpu_host.refresh = [] { host_calls += "refresh "; };
    cpu_host.view_cpu = [] { host_calls += "view "; };
    cpu_host.blit = [] { host_calls += "blit "; };
    cpu_host.beam_marker = [](int on) { host_calls += on ? "marker+ " : "marker- "; };
}

} // namespace

// Tracing redraws around the instruction and keeps the interface alive; a single
// step pauses after its instruction and waits until the user continues.
TEST_F(ExecTrace, TracerUsesTheHostServices) {
    struct Case {
        u32 tracing, single_step, guide;
        i32 detail;
        int passes;
        const char* calls;
    } cases[] = {
        {1, 0, 1, 2, 0, "view refresh marker- blit marker+ events "},
        {1, 0, 0, 0, 0, "refresh blit events "},
        {1, 0, 1, 1, 2, "refresh marker- blit marker+ events events "},
        {0, 1, 1, 0, 3, "refresh pause events events events "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls);
        at(0x0100, {0x04, 0x12}); // LODI,r0 $12
        mem_attributes[0x0102] |= MEM_STEP_OUT;
        fake_host();
        cpu_tracing = c.tracing;
        dbg_single_step = c.single_step;
        guidepixel = c.guide;
        verbosity = c.detail;
        passes_until_continued = c.passes;
        OutputCapture out;
        EXPECT_EQ(step(), 6u);
        EXPECT_EQ(host_calls, c.calls);
        EXPECT_EQ(cpu_regs[0], 0x12);
        EXPECT_EQ(dbg_single_step, 0u);
        // A finished single step takes the step-out mark with it.
        EXPECT_EQ((mem_attributes[0x0102] & MEM_STEP_OUT) != 0, !c.single_step);
        mem_attributes[0x0102] &= ~MEM_STEP_OUT;
    }
    cpu_tracing = 0;
}
