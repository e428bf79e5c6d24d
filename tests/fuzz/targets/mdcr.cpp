// The MDCR deck's image reader: an image it takes runs forward and back and
// is saved and read again unchanged.
#include "peripherals/mdcr.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    mdcr_reset();
    const std::string path = fuzz_write_file("tape.mdcr", data, size);
    if (!mdcr_insert_file(path.c_str())) return 0;
    if (mdcr_blocks * MDCR_BLOCK_SIZE != size) std::abort();
    mdcr_position = MDCR_FIRST_BLOCK - 100;
    mdcr_control = 0x20;
    for (int i = 0; i < 40000; i++)
        mdcr_clock(3);
    mdcr_control = 0x10;
    for (int i = 0; i < 2000; i++)
        mdcr_clock(4);
    static u8 kept[MDCR_IMAGE_SIZE];
    std::memcpy(kept, mdcr_image, sizeof kept);
    const u32 blocks = mdcr_blocks;
    if (!mdcr_save_image()) std::abort();
    if (!mdcr_insert_file(path.c_str()) || mdcr_blocks != blocks ||
        std::memcmp(kept, mdcr_image, blocks * MDCR_BLOCK_SIZE) != 0)
        std::abort();
    return 0;
}
