// Stand-in for the debugger's processor view until the debugger views are
// written: the real one prints the registers, flags and stack; this prints
// nothing.
#include "debugger/debugger.h"

void dbg_view_cpu(int) {}
