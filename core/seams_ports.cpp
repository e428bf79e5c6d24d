// Stand-in for the debugger's port tracer until the debugger writes it. The
// real tracer also logs and stops on watched ports; this one only marks the
// port used.
#include "core/io_ports.h"
#include "core/seams_services.h"

void dbg_trace_port_access(u32 port, u8, int is_write) {
    if (port < IO_PORTS) port_usage[port] |= is_write ? 1 : 2;
}

