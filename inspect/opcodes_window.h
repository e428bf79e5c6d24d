// The opcodes window: a chart of all 256 opcodes, one button each, labelled in
// the current notation and coloured by instruction group, with the opcode's
// full description in its help bubble. A click pauses the emulation and opens
// the opcode's page of the 2650 manual where one is known.
#pragma once

// The button of opcode n has gadget id GID_OPCODE_FIRST + n.
constexpr int GID_OPCODE_FIRST = 801;

void gui_open_opcodes_window();
void gui_opcodes_window_input();
// Labels, colours and help texts anew after a change of the processor type,
// the notation or the debugger's time unit; nothing while the window is closed.
void opcodes_window_relabel();
void opcodes_window_register();
