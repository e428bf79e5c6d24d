// The bus of a board with nothing on it but RAM.
#include "cpu/bus.h"

#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"

CpuBus cpu_bus;
i32 raster_line;

static constexpr CpuDebugHooks no_debug_hooks{};
const CpuDebugHooks* cpu_debug_hooks = &no_debug_hooks;

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
    cpu_debug_hooks = &no_debug_hooks;
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

// ---- address traps ----

namespace {
struct Trap {
    u16 first, last;
    u8 opcode;
    CpuTrapAction action;
};
Trap traps[CPU_TRAPS];
int trap_count;
} // namespace

u32 cpu_redirect_pending = CPU_NO_REDIRECT;

static void mark(const Trap& t) {
    for (u32 a = t.first; a <= t.last; ++a)
        mem_attributes[a & (GUEST_MEMORY_SIZE - 1)] |= MEM_TRAP;
}

bool cpu_trap_add_range(u16 first, u16 last, u8 opcode, CpuTrapAction action) {
    if (trap_count >= CPU_TRAPS || !action || first > last) return false;
    traps[trap_count] = {first, last, opcode, action};
    mark(traps[trap_count++]);
    return true;
}

bool cpu_trap_add(u16 address, u8 opcode, CpuTrapAction action) {
    return cpu_trap_add_range(address, address, opcode, action);
}

void cpu_traps_clear() {
    for (int i = 0; i < trap_count; ++i)
        for (u32 a = traps[i].first; a <= traps[i].last; ++a)
            mem_attributes[a & (GUEST_MEMORY_SIZE - 1)] &= ~MEM_TRAP;
    trap_count = 0;
}

void cpu_traps_mark() {
    for (int i = 0; i < trap_count; ++i)
        mark(traps[i]);
}

bool cpu_trap_fire() {
    const u16 at = cpu_iar & (GUEST_MEMORY_SIZE - 1);
    cpu_opcode = guest_memory[at];
    for (int i = 0; i < trap_count; ++i) {
        const Trap& t = traps[i];
        if (at >= t.first && at <= t.last && t.opcode == cpu_opcode && t.action()) return true;
    }
    return false;
}
