// Stand-ins for the port handlers of the machines that have ports, and for the
// debugger's port tracer, until their owners write them. The real handlers
// drive each machine's I/O chips, the real tracer also logs and stops on
// watched ports. A machine without its own handler yet answers like a machine
// without ports; the tracer stand-in only marks the port used.
#include "core/io_ports.h"
#include "core/seams_services.h"

void dbg_trace_port_access(u32 port, u8, int is_write) {
    if (port < IO_PORTS) port_usage[port] |= is_write ? 1 : 2;
}

#define PORT_STAND_IN(name)                                                                        \
    u8 name##_io_read(u32 port) {                                                                  \
        dbg_trace_port_access(port, 0, 0);                                                         \
        return 0;                                                                                  \
    }                                                                                              \
    void name##_io_write(u32 port, u8 value) {                                                     \
        dbg_trace_port_access(port, value, 1);                                                     \
    }

PORT_STAND_IN(pipbug)
PORT_STAND_IN(binbug)
PORT_STAND_IN(instructor)
PORT_STAND_IN(twin)
PORT_STAND_IN(cd2650)
PORT_STAND_IN(coinop)
PORT_STAND_IN(malzak)
PORT_STAND_IN(phunsy)
PORT_STAND_IN(selbst)
PORT_STAND_IN(mikit)
