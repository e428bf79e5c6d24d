// Cold paths of the interpreter, kept out of the hot translation unit
// (exec.cpp): fetch diagnostics, the tracer, reports of single instructions and
// the inline code advice. Only the cpu/ sources include this header.
#pragma once

#include "cpu/cpu.h"

// Mnemonic of an opcode in the current notation ("???" when the table has none).
const char* cpu_mnemonic(u8 opcode);
// Guest address as reports show it (label or "$%X", see cpu_format_address);
// slot 0..3 selects one of four buffers so that a message can name several
// addresses.
const char* cpu_address_text(u32 address, int slot);

// cpu_execute_one with "logillegal": access bits of the operand bytes with the
// opcode/operand and unusual-region reports. old_bits: the opcode's history.
void cpu_fetch_logged(u32 old_bits);
// The trace and single-step path around cpu_execute_instruction.
void cpu_trace_execute();

// Reports of single instructions ("logillegal", "loginterrupts").
void cpu_report_lodz_r0();
void cpu_report_operand_and_index();
void cpu_report_strange_opcode();
void cpu_report_undefined(bool pause);
void cpu_report_halt();
void cpu_report_cc_un();
// PSU about to change from old_psu to new_psu by CPSU, PPSU or LPSU.
void cpu_report_psu_change(u8 old_psu, u8 new_psu);
void cpu_report_ii_enabled(); // RETE clearing a set II

// Inline advice ("loginefficient"), called with cpu_iar still at the instruction.
// len: instruction length; plain: LODR/LODA without indirection or indexing.
void cpu_advise_immediate_or_load(u32 len, bool plain, u8 value);
// BSTR,un / BSTA,un followed by RETC,un.
void cpu_advise_call_return(u32 len);
// "Omit %s at %s." for the instruction at cpu_iar (BCFR/BCFA to the next one).
void cpu_advise_omit_here();
void cpu_advise_mask(u8 mask); // CPSU, PPSU, CPSL, PPSL
// Absolute branch target before indirection (zero-page and relative-form advice).
void cpu_advise_absolute_branch(u16 target);
