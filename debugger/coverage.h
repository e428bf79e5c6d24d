// The coverage report: how the guest used its memory, its I/O ports, its
// branches, loops and video-chip registers since the last CLEARCOV, as the
// debugger's COVER prints it.
#pragma once

#include "core/types.h"

// The five-letter text of access bits 0..4: "AEORW", "-" for a clear bit.
void dbg_access_text(u32 flags, char* out);
// Prints report `type`: 0 all, 1 accessed bytes, 2 I/O ports, 3 branches and
// calls, 4 loops, 5 chip registers. Nothing on a machine without processor.
void dbg_coverage_report(int type);
// One chip register's readers and writers; 1 when any instruction used it.
int dbg_report_register_access(u32 address, int bit);

void dbg_cmd_cover();    // COVER [<reporttype>]
void dbg_cmd_clearcov(); // CLEARCOV
