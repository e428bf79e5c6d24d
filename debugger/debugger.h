// The debugger's services to the layers below it: the address formatter and
// the guest character conversion.
#pragma once

#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"

// Room for one formatted address.
constexpr int DBG_ADDRESS_TEXT_SIZE = CPU_ADDRESS_TEXT_SIZE;

// Writes the text of a guest address into out (DBG_ADDRESS_TEXT_SIZE bytes):
// the label known for it, or hexadecimal, "$%X" when plain, else with the
// notation's hexadecimal prefix; with_suffix appends " ($%X)" to a label.
// Returns the label's kind byte, or 0 when none is known.
char dbg_format_address(u32 address, char* out, int with_suffix, int collect, int kind, int plain);

// The flag letters of the current notation: PSU bits 7..5, then PSL bits 5..0.
const char* dbg_flag_word();
// The condition code's name (PSL bits 7..6) in the current notation.
const char* dbg_condition_text(u8 psl);
// The caption of the time unit ("CPU Cycle:", "Clock:", "Pixel:").
const char* dbg_unit_caption();

// Prints the processor view (registers, flags, stack).
void dbg_view_cpu(int arg);
// VIEW RAM and VIEW BIOS: the machine's RAM areas; its monitor's variables.
void dbg_view_ram();
void dbg_view_bios();

// Printable host character (Latin-1) for a guest character code on the current machine.
u8 dbg_guest_char_to_ascii(u8 code);

// Fills cpu_host with the debugger's address texts and comments, the frame
// pacing's pause, the tracer's redraws and `event_pass`, the interface's one
// pass over its events (a session's start-up gives the main loop's, a batch
// run none).
void dbg_install_cpu_host(void (*event_pass)());
