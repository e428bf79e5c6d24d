// The TWIN's own readers: disk image files (".img", ".twin"), the SDOS lister
// with its checks and the file operations over any file list, and the MOD
// reader with its load. (The TWIN's state tail is fuzzed by the savestate
// target through its TWIN seed.) Input: a mode byte, then the file.
#include "computers/twin.h"
#include "computers/twin_mod.h"
#include "computers/twin_sdos.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "peripherals/floppy.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/file_buffer.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    if (size > SDOS_TWIN_BYTES + 1) return 0;
    FuzzInput in{data, size};
    const u8 mode = in.take();
    twin_dosversion = 6;
    machine_switch(TWIN, MAP_TWIN, true, true, false);
    std::filesystem::current_path(fuzz_home());
    switch (mode % 3) {
    case 0: { // an image file, as given or stretched to one of the two sizes
        std::vector<u8> file(in.data, in.data + in.size);
        if (mode & 0x10) file.resize(mode & 0x20 ? SDOS_TWIN_BYTES : SDOS_IMAGE_BYTES);
        static std::vector<u8> image(FLOPPY_IMAGE_MAX);
        if (twin_image_from_file(file, image.data())) floppy_take_image(1, image.data(), "");
        twin_sdos_list_directory(0, 1);
        break;
    }
    case 1: { // a disk whose start is the input: listed, read and changed
        FloppyDrive& d = drives[0];
        std::memset(d.image, 0, FLOPPY_IMAGE_MAX);
        std::memcpy(d.image, in.data, in.size < SDOS_IMAGE_BYTES ? in.size : SDOS_IMAGE_BYTES);
        d.present = 1;
        twin_sdos_list_directory(0, 0);
        for (int e = 0; e < SDOS_ENTRIES; e += 13)
            if (DiskFile file; d.name_cache[e][0] && (mode & 0x40)) twin_sdos_extract_file(e, 0, &file);
        const int victim = in.size ? in.data[0] % SDOS_ENTRIES : 0;
        if (d.name_cache[victim][0]) twin_sdos_delete_file(victim, 0);
        twin_sdos_check_filename((victim + 1) % SDOS_ENTRIES, 0, "FUZZ");
        const std::string put = fuzz_write_file("PUT", data, size % 5000);
        twin_sdos_put_file(put.c_str(), 0);
        twin_sdos_list_directory(0, 0);
        break;
    }
    default: { // a MOD file: parsed, and loaded when accepted
        if (!test_filebuf_alloc(static_cast<u32>(in.size + 1))) break;
        if (in.size) std::memcpy(filebuf, in.data, in.size);
        filebuf_length = static_cast<u32>(in.size);
        if (twin_parse_mod(filebuf_length)) twin_commit_mod();
        break;
    }
    }
    fuzz_restore_folder();
    return 0;
}
