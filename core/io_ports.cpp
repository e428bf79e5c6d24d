#include "core/io_ports.h"

#include "core/emu.h"
#include "core/machine_ops.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"

u8 port_usage[IO_PORTS];

// Fixed answers of the identification ports 111-114; 115 follows the clock.
static constexpr u8 IDENTIFY_BYTES[4] = {0x55, 0x02, 0x36, 0x40}; // 'U', 2, '6', '@'
static constexpr u32 IDENTIFY_FIRST = 111, IDENTIFY_LAST = 115;

// Machines without ports: a read gives 0, a write is ignored; both are traced.
static u8 default_read(u32 port) {
    dbg_trace_port_access(port, 0, 0);
    return 0;
}
static void default_write(u32 port, u8 value) {
    dbg_trace_port_access(port, value, 1);
}

u8 io_read_port(u32 port) {
    if (port >= IO_PORTS) return 0; // no such port
    if (identifyemulator && port >= IDENTIFY_FIRST && port <= IDENTIFY_LAST) {
        u8 value = port == IDENTIFY_LAST ? static_cast<u8>(cpu_cycles / 3)
                                         : IDENTIFY_BYTES[port - IDENTIFY_FIRST];
        dbg_trace_port_access(port, value, 0);
        return value;
    }
    if (machine_row().port_read) return machine_row().port_read(port);
    return default_read(port);
}

void io_write_port(u32 port, u8 value) {
    if (port >= IO_PORTS) return; // no such port
    if (machine_row().port_write)
        machine_row().port_write(port, value);
    else
        default_write(port, value);
}
