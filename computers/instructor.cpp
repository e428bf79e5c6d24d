#include "computers/instructor.h"

#include "core/io_ports.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "machines/seams.h"

// With the parallel port in memory-mapped mode (si50_parallelio 0) the routed
// byte reads the toggle switches and drives the lamps.
static u8 routed_read(u32 a) {
    return si50_parallelio == 0 ? static_cast<u8>(si50_toggles) : guest_memory[a];
}

static void routed_write(u32 a, u8 v) {
    if (si50_parallelio == 0)
        lamp_latch = v;
    else
        guest_memory[a] = v;
}

// The interrupt takes $0007 directly, or with the indirect setting the address
// held at $0007-$0008.
static bool interrupt_vector(CpuVector* vector) {
    *vector = {0x0007, si50_interrupts == 1};
    return true;
}

// The board's WRTC hands control to the monitor at $1800, leaving the return
// address in the last values of extended ports $FC and $FD.
static void port_write(u32 port, u8 value) {
    io_write_port(port, value);
    if (port != IO_CONTROL_PORT) return;
    const u16 back = page_add(cpu_iar, 1); // WRTC is one byte long
    port_records[0xFC].last_value = static_cast<u8>(back);
    port_records[0xFD].last_value = static_cast<u8>(back >> 8);
    cpu_redirect_after(0x1800);
}

static constexpr CpuDebugHooks instructor_debug_hooks{
    .calls_through_vectors = [] { return true; },
    .vector_notes = instructor_monitor_notes,
};

void instructor_bus_install() {
    cpu_bus.read_routed = routed_read;
    cpu_bus.write_routed = routed_write;
    cpu_bus.interrupt_vector = interrupt_vector;
    cpu_bus.interrupt_plain_jump = true;
    cpu_bus.port_read = io_read_port;
    cpu_bus.port_write = port_write;
    cpu_debug_hooks = &instructor_debug_hooks;
}

LedDigitPlace instructor_led_digit_place(int digit) {
    return {33 * digit + 10, 10, 6};
}
