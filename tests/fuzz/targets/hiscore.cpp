// The high-score file: loaded from the program home, and written back; what
// is read back again keeps every record's play time.
#include "core/hiscore.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    fuzz_write_file("Configs/Brindlemox.hgh", data, size);
    hiscore_load();
    u32 seconds[HISCORE_SLOTS];
    for (int slot = 0; slot < HISCORE_SLOTS; slot++) {
        hiscore_add_play_time(slot, 1);
        seconds[slot] = hiscores[slot].play_seconds;
    }
    if (!hiscore_write_file()) return 0;
    hiscore_load();
    for (int slot = 0; slot < HISCORE_SLOTS; slot++)
        if (hiscores[slot].play_seconds != seconds[slot]) std::abort();
    return 0;
}
