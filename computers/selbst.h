// The Selbstbaucomputer's and the MIKIT's side of the processor bus: how their
// text and monitor routines are shown.
#pragma once

// Fill cpu_bus (after cpu_bus_reset()).
void selbst_bus_install();
void mikit_bus_install();

// Whether the chosen monitor program reads a typewriter keyboard.
bool selbst_typed_keyboard();
