// Our echo program for the PIPBUG machines' serial line, shared by the tests
// that type into a PIPBUG machine and read its terminal.
#pragma once

#include "core/types.h"

#include <initializer_list>
#include <vector>

// A small assembler for the echo program: bytes with backward branch targets.
struct EchoCode {
    std::vector<u8> bytes;
    u16 origin;
    u16 here() const { return static_cast<u16>(origin + bytes.size()); }
    void op(std::initializer_list<u8> b) { bytes.insert(bytes.end(), b); }
    // A relative branch to `target` (opcode then 7-bit displacement).
    void rel(u8 opcode, u16 target) {
        const int d = target - (here() + 2);
        op({opcode, static_cast<u8>(d & 0x7F)});
    }
    // A delay of `n` turns of a loop of (9 + 6 * pad) clock periods, in r3.
    void delay(int n, int pad) {
        op({0x07, static_cast<u8>(n)}); // LODI,r3 n
        const u16 loop = here();
        for (int i = 0; i < pad; i++)
            op({0xC0});  // NOP
        rel(0xFB, loop); // BDRR,r3 loop
    }
};

// Our echo program: waits for a start bit on SENSE, samples eight bits in the
// middle of each bit time, then sends the byte back through FLAG, least
// significant bit first, with two stop bits. Its delays are set for one bit
// time of `bit` clock periods.
inline std::vector<u8> echo_program(u16 origin, u32 bit) {
    const int pad = bit > 5000 ? 5 : bit > 1000 ? 1 : 0;
    const int turn = 9 + 6 * pad;
    auto turns = [&](int clocks) { return clocks / turn < 1 ? 1 : (clocks + turn / 2) / turn; };
    EchoCode c{{}, origin};
    c.op({0x76, 0x40}); // PPSU $40: the line marks
    const u16 wait = c.here();
    c.op({0xB4, 0x80}); // TPSU $80
    c.rel(0x18, wait);  // BCTR,eq wait: still marking
    c.op({0x20});       // EORZ r0
    c.op({0x05, 0x08}); // LODI,r1 8
    c.delay(turns(static_cast<int>(bit / 2) - 30), pad);
    const u16 bits = c.here();
    c.delay(turns(static_cast<int>(bit) - 45), pad);
    c.op({0x50});       // RRR,r0
    c.op({0xB4, 0x80}); // TPSU $80
    c.op({0x98, 0x02}); // BCFR,eq: a space
    c.op({0x64, 0x80}); // IORI,r0 $80
    c.rel(0xF9, bits);  // BDRR,r1 bits
    c.op({0xC1});       // STRZ r1
    c.op({0x06, 0x08}); // LODI,r2 8
    c.op({0x74, 0x40}); // CPSU $40: the start bit
    c.delay(turns(static_cast<int>(bit) - 12), pad);
    const u16 send = c.here();
    c.op({0xF5, 0x01}); // TMI,r1 $01
    c.op({0x98, 0x04}); // BCFR,eq: a zero
    c.op({0x76, 0x40}); // PPSU $40
    c.op({0x1B, 0x02}); // BCTR,un
    c.op({0x74, 0x40}); // CPSU $40
    c.op({0x51});       // RRR,r1
    c.delay(turns(static_cast<int>(bit) - 50), pad);
    c.rel(0xFA, send);  // BDRR,r2 send
    c.op({0x76, 0x40}); // PPSU $40: stop bits
    c.delay(turns(static_cast<int>(bit)), pad);
    c.delay(turns(static_cast<int>(bit)), pad);
    c.op({0x1F, static_cast<u8>(wait >> 8), static_cast<u8>(wait)}); // BCTA,un wait
    return c.bytes;
}
