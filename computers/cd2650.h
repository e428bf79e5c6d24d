// The CD2650's side of the processor bus: its VDU character set, the P1 DOS
// called through vectors, and the wide clock column of its listings.
#pragma once

// Points cpu_debug_hooks at the CD2650's (after cpu_bus_reset()).
void cd2650_bus_install();
