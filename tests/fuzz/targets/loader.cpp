// The loader by file kind: the first byte picks the machine that is running
// and the name's suffix, the rest is the file, loaded as FILE= or Open would.
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "tests/fuzz/fuzz_support.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    FuzzInput in{data, size};
    static const char* const suffixes[] = {
        ".bin", ".rom",  ".tvc",  ".aof",  ".obj", ".hex", ".cos", ".cor", ".zip",  ".eof",  ".cmd",
        ".mod", ".imag", ".bpnf", ".sms",  ".wav", ".pap", ".raw", ".img", ".twin", ".mdcr", ".sym",
        ".asm", ".txt",  ".8svx", ".aiff", ".png", ".iff", "",     ".BIN", ".Cos",  ".x"};
    const u8 pick = in.take();
    const u32 map = (pick >> 5) * 4 + 2; // eight maps across the machine families
    if (!memmap_is_empty(map))
        machine_switch(static_cast<int>(memmap_table[map].machine), static_cast<int>(map), true,
                       true, false);
    const std::string path =
        fuzz_write_file((std::string("input") + suffixes[pick & 31]).c_str(), in.data, in.size);
    file_load_by_name(path.c_str(), 1);
    return 0;
}
