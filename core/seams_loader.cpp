// Which kinds of file the loader has no reader for on the current machine:
// disk images where the machine has no disk system that reads them.
#include "core/ui_host.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/filekinds.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "peripherals/floppy.h"
#include "platform/paths.h"

#include <cstdio>
#include <filesystem>

#include <string>

bool loader_reader_missing(int kind) {
    switch (kind) {
    case KIND_RAW:
    case KIND_IMG:
    case KIND_TWIN: {
        // Images of another machine's disks are refused as not for this guest.
        const DiskImages own = kind == KIND_RAW ? DiskImages::RAW : DiskImages::TWIN;
        if (machine_traits().disk_images != own) return false;
        const DiskSystem* disks = floppy_disk_system();
        return !disks || !disks->image_from_file;
    }
    default:
        return false;
    }
}
