// Debugger command lines as the user types them into the command line: the
// first byte picks the memory map, the rest are lines (split at line feeds),
// each run through gui_run_command; after each of the first four lines a
// frame runs unless the emulation is paused (a traced frame is slow). Inputs
// naming a host path ('/') are skipped, as the save commands would write
// there. Every frame ends within one step of its budget, and the command line
// is empty again after every line.
#include "core/machine.h"
#include "core/machine_table.h"
#include "cpu/cpu.h"
#include "debugger/commands.h"
#include "gui/main_window.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>
#include <string>

namespace {

void run_lines(const std::string& text) {
    std::size_t at = 0;
    for (int lines = 0; at <= text.size() && lines < 64; lines++) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        gui_run_command(line.c_str());
        if (g_dbg_line[0]) std::abort();
        if (emu_paused || lines >= 4) continue;
        emu_run_frame();
        if (cpu_cycle_budget < -CPU_LONGEST_STEP) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1u << 14 || !fuzz_names_no_path(data, size)) return 0;
    fuzz_reset();
    FuzzInput in{data, size};
    const u32 map = in.take() % MEMMAPS;
    if (!memmap_is_empty(map))
        machine_switch(static_cast<int>(memmap_table[map].machine), static_cast<int>(map), true,
                       true, false);
    try {
        run_lines(std::string(reinterpret_cast<const char*>(in.data), in.size));
    } catch (const FuzzExit&) {
        // SYS went out through the exit path.
    }
    fuzz_restore_folder();
    return 0;
}
