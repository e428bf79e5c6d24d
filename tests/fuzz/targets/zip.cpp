// ZIP archives as the loader and the games-drawer audit open them.
#include "core/zipfile.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    const std::string path = fuzz_write_file("input.zip", data, size);
    if (!zip_is_archive(path.c_str())) return 0;
    for (bool games_only : {false, true}) {
        ZipMember member;
        zip_extract_first(path.c_str(), games_only, true, member);
    }
    return 0;
}
