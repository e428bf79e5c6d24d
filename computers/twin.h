// The TWIN's side of the processor bus: 32 prioritised interrupt sources with
// their enables on port $EA, the master's HALT handing over to the slave, and
// how the system's text and calls are shown.
#pragma once

#include "core/types.h"

extern u8 twin_irq_pending[32]; // one request flag per priority
extern u32 twin_slave_active;   // the slave board runs
extern i32 twin_irq_current;    // the priority accepted last, 32 = none
extern const char* const twin_irq_names[32];

// The master's HALT hands over to the slave; supervisor-call description.
void twin_switch_to_slave();
void twin_describe_svc(int call);

// The monitor's key input: a Backspace as DEL, erased on the screen by the
// monitors that expect it.
u8 twin_monitor_key(u8 ch);

// Fills cpu_bus and cpu_debug_hooks for the TWIN (after cpu_bus_reset()).
void twin_bus_install();

// Whether a disk operating system is chosen, whose monitor VIEW BIOS lists.
bool twin_has_dos();
