// The Interton VC 4000: memory maps 0-3 (cartridge types A-D), set-up,
// reset and the title program shown without a cartridge. Its frame and
// inputs are the PVI consoles' (machines/pvi_consoles.h).
#pragma once

#include "core/types.h"

constexpr u32 INTERTON_STUB_SIZE = 287;

// The title program copied to $0000 when "stubprograms" is on.
extern const u8* const interton_stub_program;

void interton_setup();
void interton_reset();
// Lays the cartridge image in the file buffer from $0000 upwards.
void interton_load_cartridge(bool known);
