#include "machines/chip_watch.h"

#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec_internal.h"

void chip_report_watched_write(const char* chip, u32 a, u8 value,
                               void (*describe)(u8 value, u32 address)) {
    const bool same = guest_memory[a] == value;
    if ((watchwrites == 2 || !same) && dbg_test_condition(watch_conditions[a], value, 1, 0)) {
        if (describe)
            describe(value, a);
        else
            watch_annotation[0] = '\0';
        con_printf("%s is writing $%X%s to %s at raster %ld!\n\n", chip, value, watch_annotation,
                   cpu_address_text(a, 1), static_cast<long>(raster_line));
        dbg_request_pause(PAUSE_BREAK);
    }
}
