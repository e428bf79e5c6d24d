// The disassembler over random memory: notation, processor variant, memory map
// and trace detail from the first bytes, then the rest of the input placed in
// guest memory and listed instruction by instruction, plain and with comments.
#include "core/machine.h"
#include "core/machine_table.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/disasm.h"
#include "cpu/optables.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    FuzzInput in{data, size};
    const u8 setup = in.take();
    const u32 map = in.take() % MEMMAPS;
    if (!memmap_is_empty(map))
        machine_switch(static_cast<int>(memmap_table[map].machine), static_cast<int>(map), true,
                       true, false);
    dis_notation = setup % NOTATIONS;
    cpu_type = setup & 0x08 ? CPU_2650B : CPU_2650;
    cpu_apply_type_tables();
    verbosity = (setup >> 4) % 3;
    dbg_time_unit = (setup >> 6) % 3;
    u16 address = static_cast<u16>((in.take() << 8 | in.take()) & 0x7FFF);
    const std::size_t length = in.size < GUEST_MEMORY_SIZE ? in.size : GUEST_MEMORY_SIZE;
    for (std::size_t i = 0; i < length; i++)
        guest_memory[(address + i) & 0x7FFF] = in.data[i];
    // Each place in the input starts an instruction once, listed both ways.
    for (std::size_t i = 0; i < length + 3 && i < 4096; i++) {
        cpu_iar = static_cast<u16>((address + i) & 0x7FFF);
        dis_instruction(0, 1);
        cpu_iar = static_cast<u16>((address + i) & 0x7FFF);
        cpu_opcode = guest_memory[cpu_iar];
        cpu_regsel = (cpu_psl >> 4) & 1;
        dis_instruction(1, static_cast<int>(i & 1));
    }
    return 0;
}
