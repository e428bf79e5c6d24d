// Slow paths of the checked accessors and the side tables.
#include "cpu/memory.h"

#include "core/emu.h"

#include <cstring>

u16 mem_attributes[MEM_ATTR_SIZE];
u32 mem_access[GUEST_MEMORY_SIZE];
u16 mem_read_mirror[GUEST_MEMORY_SIZE];
u16 mem_write_mirror[GUEST_MEMORY_SIZE];
u32 coverage_read_flags[GUEST_MEMORY_SIZE];
u32 coverage_flags[GUEST_MEMORY_SIZE];

void mem_clear_access() {
    std::memset(mem_access, 0, sizeof mem_access);
    std::memset(coverage_read_flags, 0, sizeof coverage_read_flags);
    std::memset(coverage_flags, 0, sizeof coverage_flags);
}

void mem_reset_tables() {
    std::memset(mem_attributes, 0, sizeof mem_attributes);
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_read_mirror[a] = static_cast<u16>(a);
        mem_write_mirror[a] = static_cast<u16>(a);
    }
    mem_clear_access();
}

u8 mem_read_once_value() { return machine == ARCADIA ? 0xFF : 0x00; }

u8 mem_read_slow(u32 address) {
    u32 a = mem_read_mirror[address & (GUEST_MEMORY_SIZE - 1)];
    mem_access[a] |= ACC_READ;
    return guest_memory[a];
}

void mem_write_slow(u32 address, u8 value) {
    u32 a = mem_write_mirror[address & (GUEST_MEMORY_SIZE - 1)];
    mem_access[a] |= ACC_WRITTEN;
    if (!(mem_attributes[a] & MEM_UNWRITABLE))
        guest_memory[a] = value;
}
