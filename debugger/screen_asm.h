// File > Save screen > ASM...: the console's screen as an assembler source
// that rebuilds it, shown on the console as it is written.
#pragma once

#include <string>

// Asks for the file (the loaded game's name with ".asm" suggested) and writes
// the equates, the machine's screen source (MachineDebug::screen_source) and
// END into it, whole or not at all; a cancelled requester writes nothing, a
// file that cannot be written makes the display beep and is told in a
// warning. Returns why nothing was written ("" when written or cancelled).
std::string file_save_screen_asm();
