// Save states (COS and COR, any machine and memory map the header names): the
// check alone, then the load, which must leave a refused machine unchanged;
// an accepted state then runs a frame, which leaves its budget at most one
// step overdrawn.
#include "core/machine.h"
#include "core/savestate.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/state_load.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    if (size > STATE_BUFFER_SIZE * 2) return 0;
    const u32 n = static_cast<u32>(size);
    std::string error;
    const bool accepted = state_check(data, n, &error);
    if (accepted != test_state_load(data, n, &error)) std::abort(); // the two must agree
    if (!accepted && (machine != ARCADIA || memmap != 6)) std::abort();
    if (accepted) {
        emu_run_frame();
        if (cpu_cycle_budget < -CPU_LONGEST_STEP) std::abort();
    }
    return 0;
}
