// Every machine's entry, by machine number. This is the one place that names
// every machine: each machine fills its rows in its own files, and the
// framework reaches them all through machine_entry() and its row accessors.
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"

extern const MachineEntry arcadia_machine;
extern const MachineEntry interton_machine;
extern const MachineEntry elektor_machine;
extern const MachineEntry pipbug_machine;
extern const MachineEntry binbug_machine;
extern const MachineEntry instructor_machine;
extern const MachineEntry twin_machine;
extern const MachineEntry cd2650_machine;
extern const MachineEntry zaccaria_machine;
extern const MachineEntry malzak_machine;
extern const MachineEntry phunsy_machine;
extern const MachineEntry pong_machine;
extern const MachineEntry selbst_machine;
extern const MachineEntry mikit_machine;
extern const MachineEntry typeright_machine;

namespace {

// In machine-number order.
constexpr const MachineEntry* ENTRIES[MACHINES] = {
    &arcadia_machine,  &interton_machine, &elektor_machine, &pipbug_machine,
    &binbug_machine,   &instructor_machine, &twin_machine,  &cd2650_machine,
    &zaccaria_machine, &malzak_machine,   &phunsy_machine,  &pong_machine,
    &selbst_machine,   &mikit_machine,    &typeright_machine,
};

// A machine number out of range: every operation at its default.
constexpr MachineOps NO_OPS{};
constexpr MachineView NO_VIEW{};
constexpr MachineSound NO_SOUND{};
constexpr MachineDebug NO_DEBUG{};
constexpr MachineEntry NO_MACHINE{&NO_OPS, &NO_VIEW, &NO_SOUND, &NO_DEBUG};

} // namespace

const MachineEntry& machine_entry(u32 m) {
    return m < MACHINES ? *ENTRIES[m] : NO_MACHINE;
}
