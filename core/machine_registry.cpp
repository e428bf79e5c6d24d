// Every machine's entry, by machine number. This is the one place that names
// every machine: each machine fills its rows in its own files, and the
// framework reaches them all through machine_entry() and the row accessors.
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"

#include <algorithm>

extern const MachineEntry arcadia_machine_entry;
extern const MachineEntry interton_machine_entry;
extern const MachineEntry elektor_machine_entry;
extern const MachineEntry pipbug_machine_entry;
extern const MachineEntry binbug_machine_entry;
extern const MachineEntry instructor_machine_entry;
extern const MachineEntry twin_machine_entry;
extern const MachineEntry cd2650_machine_entry;
extern const MachineEntry zaccaria_machine_entry;
extern const MachineEntry malzak_machine_entry;
extern const MachineEntry phunsy_machine_entry;
extern const MachineEntry pong_machine_entry;
extern const MachineEntry selbst_machine_entry;
extern const MachineEntry mikit_machine_entry;
extern const MachineEntry typeright_machine_entry;

// In machine-number order.
constexpr const MachineEntry* machine_entries[MACHINES] = {
    &arcadia_machine_entry, &interton_machine_entry, &elektor_machine_entry,
    &pipbug_machine_entry,  &binbug_machine_entry,   &instructor_machine_entry,
    &twin_machine_entry,    &cd2650_machine_entry,   &zaccaria_machine_entry,
    &malzak_machine_entry,  &phunsy_machine_entry,   &pong_machine_entry,
    &selbst_machine_entry,  &mikit_machine_entry,    &typeright_machine_entry,
};

namespace {

// A machine number out of range: every operation at its default.
constexpr MachineOps NO_OPS{};
constexpr MachineView NO_VIEW{};
constexpr MachineSound NO_SOUND{};
constexpr MachineDebug NO_DEBUG{};

} // namespace

constexpr MachineEntry machine_entry_defaults{&NO_OPS, &NO_VIEW, &NO_SOUND, &NO_DEBUG};

void machine_notice_all(void (*MachineOps::*notice)()) {
    void (*done[MACHINES])() = {};
    u32 count = 0;
    for (u32 m = 0; m < MACHINES; m++) {
        const auto op = machine_ops(m).*notice;
        if (!op || std::find(done, done + count, op) != done + count) continue;
        done[count++] = op;
        op();
    }
}
