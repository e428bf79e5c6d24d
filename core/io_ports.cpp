#include "core/io_ports.h"

#include "core/emu.h"
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
    switch (machine) {
    case PIPBUG:
        return pipbug_io_read(port);
    case BINBUG:
        return binbug_io_read(port);
    case INSTRUCTOR:
        return instructor_io_read(port);
    case TWIN:
        return twin_io_read(port);
    case CD2650:
        return cd2650_io_read(port);
    case ZACCARIA:
        return coinop_io_read(port);
    case MALZAK:
        return malzak_io_read(port);
    case PHUNSY:
        return phunsy_io_read(port);
    case SELBST:
        return selbst_io_read(port);
    case MIKIT:
        return mikit_io_read(port);
    default:
        return default_read(port); // Arcadia, Interton, Elektor, ball-and-paddle, Type-right
    }
}

void io_write_port(u32 port, u8 value) {
    if (port >= IO_PORTS) return; // no such port
    switch (machine) {
    case PIPBUG:
        pipbug_io_write(port, value);
        break;
    case BINBUG:
        binbug_io_write(port, value);
        break;
    case INSTRUCTOR:
        instructor_io_write(port, value);
        break;
    case TWIN:
        twin_io_write(port, value);
        break;
    case CD2650:
        cd2650_io_write(port, value);
        break;
    case ZACCARIA:
        coinop_io_write(port, value);
        break;
    case MALZAK:
        malzak_io_write(port, value);
        break;
    case PHUNSY:
        phunsy_io_write(port, value);
        break;
    case SELBST:
        selbst_io_write(port, value);
        break;
    case MIKIT:
        mikit_io_write(port, value);
        break;
    default:
        default_write(port, value);
        break;
    }
}
