// The bus of a board with nothing on it but RAM.
#include "cpu/bus.h"

CpuBus cpu_bus;

static u8 plain_read(u32 address) {
    return guest_memory[address & (GUEST_MEMORY_SIZE - 1)];
}
static void no_write(u32, u8) {}
static u8 reads_zero(u32) {
    return 0;
}
static u32 no_coverage(u32) {
    return 0;
}
static void nothing_at(u32) {}
static bool vector_zero(CpuVector* vector) {
    *vector = {0x0000, false};
    return true;
}

void cpu_bus_reset() {
    cpu_bus = CpuBus{};
    cpu_bus.read_routed = plain_read;
    cpu_bus.write_routed = no_write;
    cpu_bus.unreadable = reads_zero;
    cpu_bus.read_once_value = 0;
    cpu_bus.coverage_bit = no_coverage;
    cpu_bus.sound_written = nothing_at;
    cpu_bus.port_read = reads_zero;
    cpu_bus.port_write = no_write;
    cpu_bus.interrupt_vector = vector_zero;
}
