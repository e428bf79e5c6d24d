// Guest I/O port dispatch: every port access of the processor and of the
// debugger's port commands goes through io_read_port / io_write_port, which hand
// it to the current machine's port handler or answer it themselves.
//
// Ports 0-255 are the extended ports, 256 the control port and 257 the data
// port. With "identifyemulator" on, reads of ports 111-115 identify the
// emulator to the guest whatever the machine.
#pragma once

#include "cpu/cpu.h"

constexpr u32 IO_PORTS = 258;
constexpr u32 IO_CONTROL_PORT = 256;
constexpr u32 IO_DATA_PORT = 257;

// Bit 1 = written, 2 = read since the last clear (machine switch).
extern u8 port_usage[IO_PORTS];

u8 io_read_port(u32 port);
void io_write_port(u32 port, u8 value);

// The debugger's port tracer: records the access in port_usage and tests the
// port's trap. Machine handlers call it for every access they serve.
void dbg_trace_port_access(u32 port, u8 value, int is_write);
