// The Guest Controls rows of the computers (core/machine_controls.h), named
// by their MachineOps, and the layouts of the pictures their set-ups choose.
#pragma once

#include "core/machine_controls.h"

extern const MachineControls pipbug_controls;
extern const MachineControls binbug_controls;
extern const MachineControls twin_controls;
extern const MachineControls instructor_controls;
extern const MachineControls phunsy_controls;
extern const MachineControls selbst_controls;
extern const MachineControls mikit_controls;

// Controls-picture layouts of the machines with one picture.
i32 binbug_controls_layout();
i32 twin_controls_layout();
i32 phunsy_controls_layout();
i32 selbst_controls_layout();
