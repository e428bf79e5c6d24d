// What a frame leaves behind on the consoles: picture, RAM, the chip's cells,
// the access marks and the processor (its registers, and the opcode,
// address, register and cycles its last instruction left). Two ways of
// running the same frames must leave equal snapshots.
#pragma once

#include "core/frame.h"
#include "core/types.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "display/frame.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

struct MachineSnapshot {
    std::vector<u8> frame, memory, cells;
    std::vector<u32> access;
    u32 cycles = 0;
    i32 beam = 0, raster = 0;
    u16 iar = 0, prev_iar = 0;
    u8 psu = 0, psl = 0;
    // The registers and what the last instruction left.
    std::vector<u8> regs;
    u32 ea = 0, op_cycles = 0;
    u8 opcode = 0, regsel = 0;

    static MachineSnapshot take(const u8* cells, std::size_t cell_count) {
        MachineSnapshot s;
        s.frame.assign(guest_frame, guest_frame + sizeof guest_frame);
        s.memory.assign(guest_memory, guest_memory + 0x8000);
        s.cells.assign(cells, cells + cell_count);
        s.access.assign(mem_access, mem_access + 0x8000);
        s.cycles = cpu_cycles;
        s.beam = cpu_beam_clock;
        s.raster = raster_clock;
        s.iar = cpu_iar;
        s.prev_iar = cpu_prev_iar;
        s.psu = cpu_psu;
        s.psl = cpu_psl;
        s.regs.assign(cpu_regs, cpu_regs + sizeof cpu_regs);
        s.ea = cpu_ea;
        s.op_cycles = cpu_op_cycles;
        s.opcode = cpu_opcode;
        s.regsel = cpu_regsel;
        return s;
    }
};

inline void expect_same_snapshot(const MachineSnapshot& a, const MachineSnapshot& b) {
    EXPECT_EQ(a.cycles, b.cycles);
    EXPECT_EQ(a.beam, b.beam);
    EXPECT_EQ(a.raster, b.raster);
    EXPECT_EQ(a.iar, b.iar);
    EXPECT_EQ(a.prev_iar, b.prev_iar);
    EXPECT_EQ(a.psu, b.psu);
    EXPECT_EQ(a.psl, b.psl);
    EXPECT_TRUE(a.regs == b.regs);
    EXPECT_EQ(a.ea, b.ea);
    EXPECT_EQ(a.op_cycles, b.op_cycles);
    EXPECT_EQ(a.opcode, b.opcode);
    EXPECT_EQ(a.regsel, b.regsel);
    EXPECT_TRUE(a.frame == b.frame);
    EXPECT_TRUE(a.memory == b.memory);
    EXPECT_TRUE(a.cells == b.cells);
    EXPECT_TRUE(a.access == b.access);
}
