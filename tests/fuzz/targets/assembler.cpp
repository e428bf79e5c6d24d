// Assembler source: the first byte picks the notation and the processor
// variant, the rest is the source file; both passes, the listing and the
// object file run on it.
#include "assembler/asm.h"
#include "core/settings_vars.h"
#include "cpu/optables.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    if (!size || size > 1u << 16) return 0;
    dis_notation = data[0] % 2; // the notations the assembler reads
    cpu_type = data[0] & 8 ? CPU_2650B : CPU_2650;
    const std::string path = fuzz_write_file("fuzz.asm", data + 1, size - 1);
    std::snprintf(projects_path, sizeof projects_path, "%s", fuzz_home().c_str());
    std::snprintf(asm_source_name, sizeof asm_source_name, "%s", path.c_str());
    asm_assemble_file();
    return 0;
}
