// Stand-ins for the computers' routine describers until the computers
// subsystem writes them: the real ones name the monitor or DOS routine at an
// address in the disassembly; these know no routines yet and print nothing.
#include "machines/seams.h"

void cd2650_bios_notes(u32) {}
void cd2650_dos_call_notes(u32) {}
