// The CD2650's side of the processor bus: its VDU character set, the P1 DOS
// called through vectors, and the wide clock column of its listings.
#pragma once

// Fills cpu_bus for the CD2650 (after cpu_bus_reset()).
void cd2650_bus_install();

// Whether the monitor (IPL 1.1) takes lowercase typed input.
bool cd2650_lowercase_input();
