// Intel HEX object files from the file buffer: the walk, and the commit of what it staged.
#include "core/objfile.h"
#include "core/recording.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/file_buffer.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    if (!size || size > 1u << 20 || !test_filebuf_alloc(static_cast<u32>(size))) return 0;
    std::memcpy(filebuf, data, size);
    filebuf_length = static_cast<u32>(size);
    if (objfile_parse(filebuf_length, OBJ_HEX)) objfile_commit();
    return 0;
}
