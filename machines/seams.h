// Services that the machines' bus hooks call and that no owner provides yet:
// the monitor routine describers. computers/seams_describers.cpp holds one
// plain stand-in for each, with the least behaviour; the owner that writes the
// real service deletes the stand-in and moves the declaration to its header.
#pragma once

#include "core/recording.h"
#include "cpu/cpu.h"

// Computers and peripherals: describers of the monitor and DOS routines
void twin_api_notes(u32 address);
void cd2650_bios_notes(u32 address);
void cd2650_dos_call_notes(u32 address);
