// The computers' rows for the Guest Controls picture: their keyboards'
// marks and the lamps of the PIPBUG's front panel and the Instructor 50.
#include "computers/controls_rows.h"

#include "computers/binbug.h"
#include "computers/instructor.h"
#include "computers/keypad.h"

#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "input/controls.h"

namespace {

// Front-panel lamps in the PIPBUG's own frame, moved onto the panel picture.
constexpr i32 PANEL_DX = 153, PANEL_DY = -396, PIPBUG_LAMP = 7;

void pipbug_lamp(ControlsLamp* out, int* n, int max, i32 x, i32 y, bool lit) {
    if (*n < max) out[(*n)++] = {x + PANEL_DX, y + PANEL_DY, PIPBUG_LAMP, lit, true, false};
}

// The running lamp, the instruction's address and data, and the bytes last
// written to the control and data ports. (The power lamp the frame places
// above the panel lies off the picture.)
int pipbug_lamps(ControlsLamp* out, int max) {
    int n = 0;
    const u16 iar = cpu_iar & (GUEST_MEMORY_SIZE - 1);
    const u8 data = guest_memory[iar];
    pipbug_lamp(out, &n, max, 321, 473, data != 0x40);
    for (int i = 0; i < 15; i++) {
        const i32 x = 557 - 17 * i - 2 * (i & ~7);
        pipbug_lamp(out, &n, max, x, 411, (iar >> i) & 1);
        if (i < 8) pipbug_lamp(out, &n, max, x, 444, (data >> i) & 1);
    }
    const u8 data_port = port_records[257].last_value, control_port = port_records[256].last_value;
    for (int i = 0; i < 8; i++) {
        pipbug_lamp(out, &n, max, 145 - 18 * i, 411, (data_port >> i) & 1);
        pipbug_lamp(out, &n, max, 145 - 18 * i, 444, (control_port >> i) & 1);
    }
    return n;
}

// The eight output lamps (bit 7 first), RUN and FLAG.
int instructor_lamps(ControlsLamp* out, int max) {
    const bool big = bigcontrols_si50 != 0;
    const i32 size = big ? 6 : 4;
    int n = 0;
    auto lamp = [&](i32 x, i32 y, bool lit) {
        if (n < max) out[n++] = {x, y, size, lit, false, true};
    };
    for (int i = 0; i < 8; i++) {
        const bool lit = (lamp_latch >> (7 - i)) & 1;
        if (big)
            lamp(i < 4 ? 72 + 18 * i : 69 + 19 * i, 319, lit);
        else
            lamp(94 + 8 * i, 227, lit);
    }
    const bool running = guest_memory[cpu_iar & (GUEST_MEMORY_SIZE - 1)] != 0x40;
    lamp(big ? 276 : 182, big ? 320 : 228, running);
    lamp(big ? 277 : 182, big ? 351 : 242, (cpu_psu & 0x40) != 0);
    return n;
}

} // namespace

i32 binbug_controls_layout() {
    return 19;
}
i32 twin_controls_layout() {
    return 13;
}
i32 phunsy_controls_layout() {
    return 21;
}
i32 selbst_controls_layout() {
    return 22;
}

const MachineControls pipbug_controls{
    .held = controls_terminal_held,
    .lamps = pipbug_lamps,
    .extra_picture = true,
};

const MachineControls binbug_controls{
    .held = controls_terminal_held,
    .apply = binbug_keypad_apply,
    .legend = true,
    .legend_host_is_overlay = true,
};

const MachineControls twin_controls{
    .held = controls_terminal_held,
};

const MachineControls instructor_controls{
    .held = instructor_key_marks,
    .apply = instructor_apply_key,
    .lamps = instructor_lamps,
    .legend = true,
    .legend_overlay = true,
    .large = &bigcontrols_si50,
};

const MachineControls phunsy_controls{
    .held = keypad_held,
    .apply = keypad_apply,
    .legend = true,
    .legend_overlay = true,
};

const MachineControls selbst_controls{
    .held = keypad_held,
    .apply = keypad_apply,
    .legend = true,
    .legend_overlay = true,
};

const MachineControls mikit_controls{
    .held = keypad_held,
    .apply = keypad_apply,
    .legend = true,
    .legend_overlay = true,
    .large = &bigcontrols_mikit,
};
