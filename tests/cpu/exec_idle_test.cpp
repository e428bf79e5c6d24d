// A branch to itself at the end of a slice: the run loop moves the clock on
// without running it again and again, and nothing else may tell the
// difference from executing every instruction.
#include "exec_fixture.h"

#include <array>

namespace {

// Everything an instruction can leave behind.
struct IdleState {
    u16 iar, prev_iar;
    u32 ea, cycles, op_cycles, regsel;
    i32 budget;
    u8 psl, psu;
    std::array<u8, 7> regs;
    std::vector<u32> access;
    std::vector<u8> memory;
    bool operator==(const IdleState&) const = default;
};

IdleState snapshot() {
    IdleState s;
    s.iar = cpu_iar;
    s.prev_iar = cpu_prev_iar;
    s.ea = cpu_ea;
    s.cycles = cpu_cycles;
    s.op_cycles = cpu_op_cycles;
    s.regsel = cpu_regsel;
    s.budget = cpu_cycle_budget;
    s.psl = cpu_psl;
    s.psu = cpu_psu;
    std::copy(cpu_regs, cpu_regs + 7, s.regs.begin());
    s.access.assign(mem_access, mem_access + 0x8000);
    s.memory.assign(guest_memory, guest_memory + 0x8000);
    return s;
}

// The run loop's own rule, one instruction at a time.
void run_plainly() {
    if (cpu_cycle_budget <= 0) return;
    const u32 length = static_cast<u32>(cpu_cycle_budget);
    const u32 start = cpu_cycles;
    while (cpu_cycles - start < length)
        if (!cpu_check_breakpoint()) cpu_execute_one();
    cpu_cycle_budget -= static_cast<i32>(cpu_cycles - start);
}

struct IdleCase {
    const char* what;
    u16 at;
    std::vector<u8> code;
    u8 psl;
};

const IdleCase idle_cases[] = {
    {"BCTR,UN to itself", 0x0100, {0x1B, 0x7E}, 0},
    {"BCTA,UN to itself", 0x0200, {0x1F, 0x02, 0x00}, 0},
    {"BCTR,EQ to itself, condition true", 0x0100, {0x18, 0x7E}, 0x00},
    {"BCTR,GT to itself, condition false", 0x0100, {0x19, 0x7E, 0x1B, 0x7E}, 0x80},
    {"BCTR,UN indirect to itself", 0x0100, {0x1B, 0x80 | 0x04, 0, 0, 0, 0, 0x01, 0x00}, 0},
    {"BCTA,UN through a mirror", 0x0300, {0x1F, 0x23, 0x00}, 0},
    {"counting loop first", 0x0000, {0x05, 0x03, 0xF9, 0x7E, 0x1B, 0x7E}, 0},
    {"BCFR to itself (not skipped)", 0x0100, {0x98, 0x7E}, 0x40},
};

} // namespace

class ExecIdle : public ExecTest {};

TEST_F(ExecIdle, SlicesEndInTheSameStateAsExecutingEveryInstruction) {
    // A map whose $2300 folds onto $0300 (the mirror case).
    for (u32 a = 0; a < 0x8000; a++)
        mem_read_mirror[a] = static_cast<u16>(a >= 0x2000 && a < 0x2400 ? a - 0x2000 : a);
    const std::vector<u16> mirror(mem_read_mirror, mem_read_mirror + 0x8000);
    const struct {
        u32 cycles;
        i32 budgets[3]; // three slices in a row
    } runs[] = {
        {0, {1, 100, 3 * 14868}},
        {0, {9, 18, 27}},
        {0, {10, 8, 1000}},
        {0xFFFFFF00u, {200, 200, 200}}, // the counter passes $FFFFFFFF
    };
    for (const IdleCase& c : idle_cases) {
        for (const auto& r : runs) {
            SCOPED_TRACE(std::string(c.what) + ", from cycle " + std::to_string(r.cycles));
            IdleState results[2];
            for (int way = 0; way < 2; way++) {
                std::memset(guest_memory, 0, 0x8000);
                mem_clear_access();
                std::copy(mirror.begin(), mirror.end(), mem_read_mirror);
                for (std::size_t i = 0; i < c.code.size(); i++)
                    guest_memory[c.at + i] = c.code[i];
                cpu_iar = cpu_prev_iar = c.at;
                cpu_psl = c.psl;
                cpu_psu = 0;
                cpu_ea = 0;
                cpu_cycles = r.cycles;
                cpu_cycle_budget = 0;
                for (i32 budget : r.budgets) {
                    cpu_cycle_budget += budget;
                    if (way == 0)
                        cpu_run_cycles();
                    else
                        run_plainly();
                }
                results[way] = snapshot();
            }
            EXPECT_EQ(results[0].iar, results[1].iar);
            EXPECT_EQ(results[0].cycles, results[1].cycles);
            EXPECT_EQ(results[0].budget, results[1].budget);
            EXPECT_TRUE(results[0] == results[1]);
        }
    }
}

// Debugger features that look at every instruction see every one of them.
static int refreshes;

TEST_F(ExecIdle, TracingAndBreakpointsSeeEveryRun) {
    load(0x0100, {0x1B, 0x7E});
    struct Feature {
        const char* what;
        void (*arm)();
        int (*count)();
    };
    static const Feature features[] = {
        {"CPU tracing",
         [] {
             cpu_tracing = 1;
             cpu_host.refresh = [] { refreshes++; };
         },
         [] { return refreshes; }},
        {"code breakpoint",
         [] {
             pausebreak = 0;
             mem_attributes[0x0100] |= MEM_BREAKPOINT;
         },
         [] { return count_of(quiet_output_text(), "Hit code breakpoint"); }},
    };
    for (const Feature& f : features) {
        SCOPED_TRACE(f.what);
        refreshes = 0;
        const int before = f.count();
        f.arm();
        cpu_iar = 0x0100;
        cpu_cycle_budget = 10 * 9; // ten runs of the branch
        cpu_run_cycles();
        EXPECT_EQ(f.count() - before, 10);
        EXPECT_EQ(cpu_cycle_budget, 0);
        cpu_tracing = 0;
        cpu_host.refresh = nullptr;
        mem_attributes[0x0100] &= ~MEM_BREAKPOINT;
    }
}
