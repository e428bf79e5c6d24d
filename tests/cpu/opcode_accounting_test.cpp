// The interpreter and the opcode tables must agree: the disassembler lays out
// listings by op_length and the debugger and the speed figures quote
// op_cycles, so after a machine switch (which adapts the tables) every opcode
// has to advance and charge exactly what the tables say, on both processor
// variants and on every machine with a 2650.
//
// Exceptions, each checked on its own terms:
// - Transfers that are taken leave the IAR at their target; their length shows
//   in the fall-through case or, for calls, in the pushed return address. The
//   unconditional branches and returns never fall through, so only their
//   clock periods are compared.
// - HALT stays on its own address.
// - Indirect operands cost two processor cycles (six clock periods) more than
//   the tables' figure, which is that of the direct form.
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "cpu/debug_state.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr u16 START = 0x0C40;

bool is_transfer(u32 op) {
    return (op & 0x18) == 0x18 || (op & 0xDC) == 0x14; // branches, calls; RETC, RETE
}
bool is_call(u32 op) {
    return (op & 0x38) == 0x38 || (op & 0xF8) == 0x78;
}
bool never_falls_through(u32 op) {
    switch (op) {
    case 0x17:
    case 0x37: // RETC,UN  RETE,UN
    case 0x1B:
    case 0x1F: // BCTR,UN  BCTA,UN
    case 0x3B:
    case 0x3F: // BSTR,UN  BSTA,UN
    case 0x9B:
    case 0x9F: // ZBRR     BXA
    case 0xBB:
    case 0xBF: // ZBSR     BSXA
        return true;
    default:
        return false;
    }
}
// Opcodes whose second byte can ask for indirection: memory forms (relative,
// absolute) and every branch and call but the zero-page ones, which take it too.
bool takes_indirect(u32 op) {
    if (op == 0x10 || op == 0x11) return cpu_type == CPU_2650B;
    if (is_transfer(op)) return (op & 0xDC) != 0x14;
    const u32 slot = op & 0x0F;
    if (slot < 8) return false;
    const u32 group = op & 0xF0;
    // Slots 8-F of even rows: LOD STR ADD SUB AND IOR EOR COM in R/A forms.
    return (group & 0x10) == 0;
}

struct Outcome {
    u32 clocks;
    u16 iar;
    u16 pushed; // the return address a call pushed, 0xFFFF when none
};

// One instruction at START with operand bytes b1 b2, the condition code and
// every register set as given.
Outcome run_one(u8 op, u8 b1, u8 b2, u8 cc, u8 regs) {
    guest_memory[START] = op;
    guest_memory[START + 1] = b1;
    guest_memory[START + 2] = b2;
    // Pointer targets of indirect operands stay inside the page.
    guest_memory[START + 4] = 0x0D;
    guest_memory[START + 5] = 0x00;
    for (u8& r : cpu_regs)
        r = regs;
    cpu_psl = static_cast<u8>(cc << 6);
    cpu_psu = PSU_II | 1; // interrupts inhibited, one return address stacked
    cpu_ras[0] = 0x0E00;
    cpu_ras[1] = 0xFFFF;
    cpu_irq_pending = 0;
    cpu_iar = START;
    const u32 before = cpu_cycles;
    cpu_execute_one();
    const bool pushed = (cpu_psu & PSU_SP) == 2;
    return {cpu_cycles - before, cpu_iar, pushed ? cpu_ras[1] : static_cast<u16>(0xFFFF)};
}

struct Family {
    u32 machine, memmap;
};

std::vector<Family> processor_machines() {
    std::vector<Family> out;
    for (u32 m = 0; m < MACHINES; m++) {
        if (m == PONG || m == TYPERIGHT) continue; // no 2650 on board
        for (u32 map = 0; map < MEMMAPS; map++)
            if (!memmap_is_empty(map) && memmap_table[map].machine == static_cast<i32>(m)) {
                out.push_back({m, map});
                break;
            }
    }
    return out;
}

class OpcodeAccounting : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
    }
    void TearDown() override { fresh_state(); }

    // The machine as a user selects it, on processor `type`, with the tables
    // adapted the way the program does it.
    static void enter(const Family& f, u32 type) {
        cpu_type = type;
        ASSERT_TRUE(machine_switch(static_cast<int>(f.machine), static_cast<int>(f.memmap), true,
                                   true, true));
        // Board traps, port side effects (a port that redirects the IAR) and
        // the TWIN's hand-over at HALT are not the interpreter's accounting.
        cpu_traps_clear();
        cpu_bus.halt = nullptr;
        cpu_bus.port_read = [](u32) -> u8 { return 0; };
        cpu_bus.port_write = [](u32, u8) {};
        logillegal = loginefficient = logsubroutines = logbios = loginterrupts = 0;
    }
};

} // namespace

TEST_F(OpcodeAccounting, InterpreterChargesWhatTheTablesSay) {
    const std::vector<Family> families = processor_machines();
    ASSERT_GE(families.size(), 10u);
    for (const Family& f : families) {
        for (u32 type : {CPU_2650, CPU_2650B}) {
            enter(f, type);
            if (HasFatalFailure()) return;
            for (u32 op = 0; op < 256; op++) {
                SCOPED_TRACE(testing::Message()
                             << "machine " << f.machine << " map " << f.memmap << " type " << type
                             << " opcode $" << std::hex << op);
                bool fell_through = false;
                for (u8 cc = 0; cc < 4; cc++)
                    for (u8 regs : {0x00, 0x01, 0xFF}) {
                        const Outcome o = run_one(static_cast<u8>(op), 0x00, 0x00, cc, regs);
                        EXPECT_EQ(o.clocks, op_cycles[op]) << "cc " << +cc << " regs " << +regs;
                        if (op == 0x40) {
                            EXPECT_EQ(o.iar, START) << "HALT stays";
                            continue;
                        }
                        const u16 next = page_add(START, static_cast<int>(op_length[op]));
                        if (o.iar == next) fell_through = true;
                        if (!is_transfer(op)) {
                            EXPECT_EQ(o.iar, next) << "cc " << +cc << " regs " << +regs;
                        }
                        if (is_call(op) && o.pushed != 0xFFFF) {
                            EXPECT_EQ(o.pushed, next);
                        }
                    }
                if (is_transfer(op) && !never_falls_through(op)) {
                    EXPECT_TRUE(fell_through) << "no case fell through by op_length";
                }
            }
        }
    }
}

TEST_F(OpcodeAccounting, IndirectOperandsCostTwoCyclesMore) {
    for (const Family& f : processor_machines())
        for (u32 type : {CPU_2650, CPU_2650B}) {
            enter(f, type);
            if (HasFatalFailure()) return;
            for (u32 op = 0; op < 256; op++) {
                if (!takes_indirect(op)) continue;
                SCOPED_TRACE(testing::Message()
                             << "type " << type << " opcode $" << std::hex << op);
                // Relative operand +2 points at the pointer at START+4; the
                // absolute ones name it directly.
                const bool absolute = (op & 0x0C) == 0x0C || op == 0x10 || op == 0x11;
                const u8 b1 = absolute ? 0x80 | ((START + 4) >> 8 & 0x1F) : 0x82;
                const u8 b2 = absolute ? static_cast<u8>(START + 4) : 0x00;
                // A transfer pays for the pointer only when it is taken.
                bool taken = false;
                for (u8 cc = 0; cc < 4; cc++) {
                    const Outcome o = run_one(static_cast<u8>(op), b1, b2, cc, 0x05);
                    const bool fell = o.iar == page_add(START, static_cast<int>(op_length[op]));
                    if (is_transfer(op) && fell) {
                        EXPECT_EQ(o.clocks, op_cycles[op]) << "not taken, cc " << +cc;
                        continue;
                    }
                    taken = true;
                    EXPECT_EQ(o.clocks, op_cycles[op] + 6) << "cc " << +cc;
                }
                EXPECT_TRUE(taken);
            }
        }
}

// Switching machines adapts the tables on its own and tells the interface.
TEST_F(OpcodeAccounting, MachineSwitchAdaptsTablesAndMarksTheInterface) {
    struct Row {
        u32 machine, memmap, type;
        u32 length_10, cycles_40;
    };
    const std::vector<Row> rows = {
        {ARCADIA, 6, CPU_2650, 1, 6},
        {INTERTON, 3, CPU_2650, 3, 6}, // the Interton's $10 takes three bytes
        {ARCADIA, 6, CPU_2650B, 3, 3},
        {INTERTON, 3, CPU_2650B, 3, 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "machine " << r.machine << " type " << r.type);
        cpu_reset_op_tables();
        ui_take_changes();
        cpu_type = r.type;
        ASSERT_TRUE(machine_switch(static_cast<int>(r.machine), static_cast<int>(r.memmap), true,
                                   true, true));
        EXPECT_EQ(op_length[0x10], r.length_10);
        EXPECT_EQ(op_cycles[0x40], r.cycles_40);
        EXPECT_TRUE(ui_take_changes() & UI_OPCODES);
    }
}
