// Stand-ins for the machine services that switching and reset call and for
// the machine state they touch, until each machine is written. A machine's own
// set-up, reset and ports are operations of its row (core/machine_ops.h).
#include "core/machine.h"
#include "core/seams_services.h"

// ---- Computers and peripherals ---------------------------------------------------
u8 lamp_latch;
