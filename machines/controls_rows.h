// The Guest Controls rows of the game machines (core/machine_controls.h),
// named by their MachineOps.
#pragma once

#include "core/machine_controls.h"

extern const MachineControls arcadia_controls;
extern const MachineControls interton_controls;
extern const MachineControls elektor_controls;
extern const MachineControls zaccaria_controls;
extern const MachineControls malzak_controls;
extern const MachineControls pong_controls;
extern const MachineControls typeright_controls;
