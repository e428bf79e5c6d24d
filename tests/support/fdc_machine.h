// Test support: a machine with an FD1771 on extended ports 12-16 (command and
// status, track, sector, data, drive select) and a BINBUG disk layout, with a
// synthetic image in drive 0, and small 2650 programs that drive it.
#pragma once

#include "computers/fdc_board.h"
#include "core/emu.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "machines/fd1771.h"
#include "peripherals/floppy.h"
#include "tests/support/fresh_state.h"

#include <initializer_list>
#include <vector>

namespace fdc_machine {

// The byte a synthetic image holds at offset `at`: differs between
// neighbouring bytes and between sectors.
inline u8 pattern(u32 at) {
    return static_cast<u8>(at * 7 + at / 256 * 13 + 1);
}

// BINBUG layout, controller on ports 12-16, drives 0 and 1 usable, drive 0
// holding the pattern image.
inline void install() {
    fresh_cpu(BINBUG, MAP_BINBUG);
    floppy_drives_reset();
    binbug_userdrives = 2;
    fdc_board_install({&binbug_userdrives, "Spun down drive #%d\n", false});
    fdc_reset();
    cpu_bus.port_read = [](u32 port) -> u8 {
        return port >= 12 && port <= 16 ? fdc_port_read(port - 12) : 0;
    };
    cpu_bus.port_write = [](u32 port, u8 value) {
        if (port >= 12 && port <= 16) fdc_port_write(port - 12, value);
    };
    for (u32 i = 0; i < floppy_geometry().image_bytes; i++)
        drives[0].image[i] = pattern(i);
    drives[0].present = 1;
}

// A 2650 program assembled by hand.
struct Program {
    std::vector<u8> bytes;
    u16 origin = 0x0800;
    u16 here() const { return static_cast<u16>(origin + bytes.size()); }
    void emit(std::initializer_list<u8> list) { bytes.insert(bytes.end(), list); }
    void out(u8 port, u8 value) { emit({0x04, value, 0xD4, port}); } // LODI r0 ; WRTE r0
    void in(u8 port, u16 to) {                                        // REDE r0 ; STRA r0
        emit({0x54, port, 0xCC, static_cast<u8>(to >> 8), static_cast<u8>(to & 0xFF)});
    }
    // Reads (or writes) 256 data bytes at `buffer` through r3 as index.
    void transfer(bool write, u16 buffer) {
        emit({0x07, 0x00}); // LODI r3,0
        const u16 loop = here();
        const u8 hi = static_cast<u8>(0x60 | (buffer >> 8)), lo = static_cast<u8>(buffer & 0xFF);
        if (write)
            emit({0x0F, hi, lo, 0xD4, 15}); // LODA r0,buffer,r3 ; WRTE r0,15
        else
            emit({0x54, 15, 0xCF, hi, lo}); // REDE r0,15 ; STRA r0,buffer,r3
        emit({0xDF, static_cast<u8>(loop >> 8), static_cast<u8>(loop & 0xFF)}); // BIRA r3,loop
    }
    void halt() { emit({0x40}); }
};

// Loads the program and runs it until it halts.
inline void run(const Program& p) {
    for (size_t i = 0; i < p.bytes.size(); i++)
        guest_memory[p.origin + i] = p.bytes[i];
    cpu_iar = p.origin;
    cpu_cycle_budget = 400000;
    cpu_run_cycles();
    cpu_cycle_budget = 0;
}

} // namespace fdc_machine
