// Shared set-up of the disassembler tests: a clean processor, memory, opcode
// tables and disassembler state, and helpers that place and disassemble bytes.
#pragma once

#include "core/emu.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/seams_games.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/disasm.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"
#include "debugger/labels.h"
#include "debugger/symbols_seam.h"
#include "tests/support/fresh_state.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

// The debugger hooks of the disassembler tests' board, all empty after
// dis_test_reset(); a test fills what its board answers.
inline CpuDebugHooks dis_test_board;

// Everything back to start-up, then the disassembler tests' own machine: an
// Arcadia with a 2650B on a bus with nothing special for the debugger, no
// labels or game, plain texts.
inline void dis_test_reset(u32 notation = 0) {
    fresh_state();
    cpu_bus_reset();
    dis_test_board = {};
    cpu_debug_hooks = &dis_test_board;
    dis_notation = notation;
    cpu_type = CPU_2650B;
    verbosity = 0;
    dbg_time_unit = 1;
    dbg_pixels_per_clock = 1;
}

// Writes bytes from address on, wrapping inside its 8 KB page.
inline void dis_test_poke(u16 address, std::initializer_list<u8> bytes) {
    int n = 0;
    for (u8 b : bytes)
        guest_memory[page_add(address, n++)] = b;
}

// Places bytes at address and disassembles them as the windows do (log 0).
inline std::string dis_test_line(u16 address, std::initializer_list<u8> bytes) {
    dis_test_poke(address, bytes);
    cpu_iar = address;
    dis_instruction(0, 1);
    return dis_line;
}

// The same as a trace or listing does (log 1): comment columns appended.
inline std::string dis_test_logged(u16 address, std::initializer_list<u8> bytes) {
    dis_test_poke(address, bytes);
    cpu_iar = address;
    cpu_opcode = guest_memory[address];
    dis_instruction(1, 1);
    return dis_line;
}

// Captures everything con_printf prints while fn runs.
template <typename Fn> std::string dis_test_capture(Fn fn) {
    std::FILE* saved = asm_output_file;
    std::FILE* capture = std::tmpfile();
    asm_output_file = capture;
    fn();
    asm_output_file = saved;
    std::string text;
    if (!capture) return text;
    std::fflush(capture);
    std::rewind(capture);
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, capture)) > 0)
        text.append(chunk, n);
    std::fclose(capture);
    return text;
}
