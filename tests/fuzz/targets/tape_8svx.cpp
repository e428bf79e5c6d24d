// The cassette deck's 8SVX reader: a tape it takes plays, records and is
// finished so that it reads back whole.
#include "tests/fuzz/tape_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz_tape("tape.8svx", data, size);
}
