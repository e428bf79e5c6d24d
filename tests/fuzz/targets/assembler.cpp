// Assembler source: the first byte picks the notation (any of the five, bits
// 0-2) and the processor variant (bit 3), the rest is the source file; both
// passes, the listing and the object file run on it. The same text assembled
// twice gives the same guest memory, counts, messages, object file and
// listing (but for the listing's date line).
#include "assembler/asm.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/optables.h"
#include "core/message.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Outcome {
    std::vector<u8> memory;
    u32 errors = 0, warnings = 0;
    i32 low = 0, high = 0, start = 0;
    std::string said, object, listing;
    bool operator==(const Outcome&) const = default;
};

std::string said;
void keep(const char* text) {
    said += text;
}

// The whole file, which is removed ("" when there is none).
std::string take_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    return text;
}

Outcome assemble(u8 setup, const std::uint8_t* text, std::size_t size) {
    fuzz_reset();
    dis_notation = (setup & 7) % NOTATIONS;
    cpu_type = setup & 8 ? CPU_2650B : CPU_2650;
    const std::string path = fuzz_write_file("fuzz.asm", text, size);
    std::snprintf(projects_path, sizeof projects_path, "%s", fuzz_home().c_str());
    std::snprintf(asm_source_name, sizeof asm_source_name, "%s", path.c_str());
    said.clear();
    con_push_sink(keep);
    asm_assemble_file();
    con_pop_sink();
    fuzz_restore_folder();
    Outcome o;
    o.memory.assign(guest_memory, guest_memory + sizeof guest_memory);
    o.errors = asm_error_count;
    o.warnings = asm_warning_count;
    o.low = asm_low_address;
    o.high = asm_high_address;
    o.start = asm_start_address;
    o.said = said;
    if (!asm_object_name.empty()) o.object = take_file(asm_object_name);
    o.listing = take_file(fuzz_home() + "/fuzz.lst");
    o.listing.erase(0, o.listing.find('\n')); // "Assembled by ... at <date>"
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!size || size > 1u << 16) return 0;
    const Outcome first = assemble(data[0], data + 1, size - 1);
    if (!(assemble(data[0], data + 1, size - 1) == first)) std::abort();
    return 0;
}
