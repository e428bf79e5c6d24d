// Stand-ins for the computers' routine describers until the computers
// subsystem writes them: the real ones name the monitor or DOS routine at an
// address in the disassembly; these know no routines yet and print nothing.
#include "machines/seams.h"

void twin_api_notes(u32) {}
