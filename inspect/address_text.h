// Descriptions of a guest address for the hover texts of the inspection
// windows, and the one-instruction disassembly that the monitors show.
// Looking changes nothing: every processor and disassembler field is as it
// was afterwards.
#pragma once

#include "core/types.h"

#include <cstddef>

// Room for one hover text (512 characters and the NUL).
constexpr std::size_t INFO_TEXT_SIZE = 513;

// "Address: " and the address (its label and " ($%X)", or "$%X"), the read
// and write mirrors, the byte, the instruction that starts there, the
// address's comments and the memory-map notes covering it; lines end in "\n"
// and the text is cut to `size`.
void mem_info_text(u32 address, char* buffer, std::size_t size);
// The address text alone, then the notes covering it.
void addr_info_text(u32 address, char* buffer, std::size_t size);
// The instruction at `address` in the current notation at trace verbosity
// `verbosity`, into `out`.
void inspect_disassemble(u32 address, int verbosity, char* out, std::size_t size);
