// Weak stand-ins for the computers' settings, lamps and routine describers;
// the computers subsystem replaces them.
#include "cpu/seams.h"

__attribute__((weak)) u32 pipbug_bios;
__attribute__((weak)) u32 phunsy_biosversion;
__attribute__((weak)) u32 selbst_biosversion;
__attribute__((weak)) u32 cd2650_biosversion;
__attribute__((weak)) u32 cd2650_dosversion;
__attribute__((weak)) u32 si50_parallelio;
__attribute__((weak)) u32 si50_toggles;

// Describers know no routines yet and print nothing.
__attribute__((weak)) void pipbug_bios_notes(u32) {}
__attribute__((weak)) void twin_api_notes(u32) {}
__attribute__((weak)) void cd2650_bios_notes(u32) {}
__attribute__((weak)) void phunsy_rom_comment(u32) {}
__attribute__((weak)) void selbst_rom_comment(u32) {}
__attribute__((weak)) void instructor_monitor_notes(u32) {}
__attribute__((weak)) void cd2650_dos_call_notes(u32) {}
