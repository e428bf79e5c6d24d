#include "machines/coinop_rows.h"

#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "machines/coinop.h"

void coinop_frame_ended() {
    if (autocoin) coinop_auto_coin();
}

bool beam_marker_coinop(i32 clock, i32 line, bool tracing, BeamLine* out) {
    if (!tracing && (line < 1 || line > 239)) return false;
    *out = {0, line, machine_live_row().width - 1, line, clock, line};
    return true;
}
