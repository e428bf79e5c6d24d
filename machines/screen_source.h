// The consoles' screens as assembler source (File > Save screen > ASM...):
// the origin, a boot block that copies the data into the video chip and
// halts, and the data blocks, printed through con_printf in the Signetics
// notation. Each console's MachineDebug::screen_source names its own.
#pragma once

void arcadia_screen_source();
void interton_screen_source();
void elektor_screen_source();
