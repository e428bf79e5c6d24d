// The update server's response: the body after the last empty line of the
// first 1000 bytes, read as a version number and announced when newer.
#include "gui/update_check.h"
#include "tests/fuzz/fuzz_support.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double version = -1;
    const UpdateReply reply =
        update_read_reply(reinterpret_cast<const char*>(data), size, &version);
    if (reply == UPDATE_VERSION) {
        if (!(version >= 0) || std::isnan(version)) std::abort();
        if (update_announcement(version).find(" is available!") == std::string::npos) std::abort();
    }
    return 0;
}
