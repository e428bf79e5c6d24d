// What the opcodes chart knows of each of the 256 opcodes besides the
// processor's own tables: its instruction group (the chart's colour), its
// addressing mode, the page of the 2650 manual that describes it, and the
// full description shown when the pointer rests on its button.
#pragma once

#include "core/types.h"

#include <cstddef>
#include <string>

// Instruction groups; 0 and 4 are given to no opcode.
enum OpcodeGroup : u8 {
    OG_SPECIAL = 1,
    OG_ILLEGAL = 2,
    OG_ARITHMETIC = 3,
    OG_BRANCH = 5,
    OG_MIXED = 6,
};

// The group of `opcode` on processor type `type` (0 the 2650/2650A, 1 the 2650B).
OpcodeGroup opcode_group(u32 type, u8 opcode);
// The chart colour of a group (0x00RRGGBB) and its name, as the legend shows them.
int opcode_group_colour(OpcodeGroup group);
const char* opcode_group_text(OpcodeGroup group);
// The five groups in legend order.
extern const OpcodeGroup opcode_legend[5];

// The addressing-mode letter of `opcode` on processor type `type`: A absolute,
// I immediate, T implicit, G register, R relative, - illegal.
char opcode_mode_letter(u32 type, u8 opcode);
// The mode's name ("Absolute" ... "Illegal").
const char* opcode_mode_text(char letter);

// The manual's page name of `opcode`: the first word of its Signetics
// mnemonic (2650B form), lower-cased; "" for the eight undefined opcodes.
const char* opcode_page_name(u8 opcode);
// Whether a click on the opcode's button opens its page: never for the
// undefined opcodes, nor for $10 and $11 on the 2650.
bool opcode_clickable(u32 type, u8 opcode);
// The address of the manual page of `opcode` ("" when there is none to open).
std::string opcode_manual_address(u8 opcode);

// The full description of `opcode` in the current notation, processor type and
// debugger time unit, into `out` (`size` bytes, always ended).
void opcode_info_text(u8 opcode, char* out, std::size_t size);
