// File > Save screen > ASM...: the console's screen as an assembler source
// that rebuilds it, shown on the console as it is written.
#pragma once

// Asks for the file (the loaded game's name with ".asm" suggested) and writes
// the equates, the machine's screen source (MachineDebug::screen_source) and
// END into it, whole or not at all; a cancelled requester writes nothing, a
// file that cannot be written makes the display beep.
void file_save_screen_asm();
