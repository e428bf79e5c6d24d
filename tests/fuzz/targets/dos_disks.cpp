// The BINBUG and CD2650 disk systems over random images: the listing (quiet
// and verbose), extracting, deleting and renaming every entry and putting a
// file must end, stay inside the image and leave no write beyond it.
// Input: a byte choosing the machine and the verbosity, then the image (its
// bytes repeated to the image's size).
#include "computers/binbug_dos.h"
#include "computers/cd2650_dos.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/settings_vars.h"
#include "peripherals/floppy.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    if (size > 120000) return 0;
    FuzzInput in{data, size};
    const u8 pick = in.take();
    const bool cd2650 = pick & 1;
    machine_switch(cd2650 ? CD2650 : BINBUG, cd2650 ? MAP_CD2650 : MAP_BINBUG, true, true, false);
    const DiskSystem* s = floppy_disk_system();
    if (!s) std::abort();
    verbose_log = (pick >> 1) & 1;
    const u32 bytes = floppy_geometry().image_bytes;
    FloppyDrive& d = drives[0];
    for (u32 i = 0; i < bytes; i++)
        d.image[i] = in.size ? in.data[i % in.size] : 0;
    std::memset(d.image + bytes, 0xA5, FLOPPY_IMAGE_MAX - bytes);
    d.present = 1;
    const int here = chdir(fuzz_home().c_str());
    (void)here;
    s->list(1, 0);
    s->list(0, 0);
    const std::string host = fuzz_write_file("host.dat", data, size < 600 ? size : 600);
    for (int e = 0; e < s->entries; e++) {
        if (!d.name_cache[e][0]) continue;
        DiskFile file;
        s->extract(e, 0, &file);
        if (e % 3 == 1) s->rename(e, 0, "NEW.TXT");
        if (e % 3 == 2) s->remove(e, 0);
        s->list(1, 0);
    }
    s->put(host.c_str(), 0, nullptr);
    s->list(0, 0);
    for (u32 i = bytes; i < FLOPPY_IMAGE_MAX; i += 97)
        if (d.image[i] != 0xA5) std::abort();
    fuzz_restore_folder();
    return 0;
}
