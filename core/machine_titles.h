// The program title per guest machine ("Brindlemox PIPBUG 36.4" and so
// on), also quoted by file headers such as the disassembler's.
#pragma once

#include "cpu/cpu.h"

// The display name of a machine (0..14); an unknown number gets the plain
// program title.
const char* machine_title(u32 machine_number);
