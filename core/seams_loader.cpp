// Stand-ins for the services the file loader hands files to, until the
// subsystems that own them are written. The real readers load each kind of
// file into the machine, its drives or its recorders; each stand-in reader is
// an alias of a local function that does nothing, so that
// loader_reader_missing can tell that the reader is not written yet: the loader
// then refuses that kind of file with a message before it changes anything.
// Whoever writes a reader deletes its stand-in (both steps) here and its case
// below.
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

#define STAND_IN(ret, name, params, local, body)                                                   \
    extern "C" ret local params body ret name params __attribute__((alias(#local)));


template <typename F, typename G> static bool same(F* a, G* b) {
    return reinterpret_cast<const void*>(a) == reinterpret_cast<const void*>(b);
}

bool loader_reader_missing(int kind) {
    switch (kind) {
    case KIND_RAW:
    case KIND_IMG:
    case KIND_TWIN: {
        const DiskSystem* disks = floppy_disk_system();
        return !disks || !disks->image_from_file;
    }
    default:
        return false;
    }
}

// ---- Machines, input and recorders ---------------------------------------------------------
// The real ones belong to the machines, the paste queue, the debugger's
// coverage, the recorders and the device windows; those below do nothing.
void dbg_clear_coverage() {}
