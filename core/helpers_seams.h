// Services of the input layer that the helpers read and that no owner provides
// yet. helpers_seams.cpp holds one plain stand-in for each (no modifier held);
// the input layer that writes the real ones deletes them and moves these
// declarations to its own header.
#pragma once

int host_shift_down(); // nonzero while a host Shift key is held
int host_ctrl_down();  // nonzero while a host Ctrl key is held
