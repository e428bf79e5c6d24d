// The machines without a 2650 (the AY-3-8500/8550/8600 consoles and the
// Type-right): only the debugger's view of their bytes as text.
#pragma once

// Point cpu_debug_hooks at the machine's (after cpu_bus_reset()).
void pong_bus_install();
void typeright_bus_install();
