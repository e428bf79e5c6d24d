// The error texts of the guest disk systems, for the debugger's ERROR.
#pragma once

#include "core/machine_debug.h"

extern const DosErrors twin_sdos_errors;   // numbers 1-69
extern const DosErrors cd2650_dos_errors;  // numbers 1-18
