// The settings file as text: read, written back, and the written text read again.
#include "core/settings.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!ini_read_text(text)) return 0;
    // What was taken in must survive its own round trip unchanged.
    const std::string written = ini_write_text();
    if (!ini_read_text(written) || ini_write_text() != written) std::abort();
    return 0;
}
