#include "computers/trainer_boards.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/machine_table.h"
#include "core/machine.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "display/controls_panel.h"
#include "display/led.h"

#include <strings.h>

void trainer_set_attributes(u32 first, u32 last, u32 bits) {
    for (u32 a = first; a <= last && a < GUEST_MEMORY_SIZE; a++)
        mem_attributes[a] |= bits;
}

void trainer_mark_label_rows() {
    const MachineLive& row = machine_live_row();
    machine_mark_comment_rows(row.first_comment_row, row.last_comment_row, true);
}

bool trainer_frame_drawn() {
    const u32 skip = frame_skip > 0 ? static_cast<u32>(frame_skip) : 1;
    return frame_skip != FRAME_SKIP_NO_DRAW && frame_counter % skip == 0;
}

u32 trainer_lamp_colour(bool on, u32 lit) {
    return on ? lit : drawunlit ? LED_UNLIT : LED_ERASED;
}

void trainer_draw_lamps(i32 x0, i32 dx, i32 y, u32 (*lit_colour)(int n)) {
    for (int n = 0; n < 8; n++)
        led_draw_dot(x0 + dx * n, y,
                     trainer_lamp_colour((lamp_latch >> (7 - n)) & 1, lit_colour(n)));
}

void trainer_digit_panels(const i32 (&left)[6], i32 top) {
    led_panel_width = 108;
    led_panel_rows = 18;
    led_digit_panels = PANEL_PATCHES;
    for (int d = 0; d < PANEL_PATCHES && d < 6; d++)
        led_digit_panel_left[d] = left[d];
    led_digit_panel_top = top;
}

bool trainer_view_is(const char* word, const char* name) {
    return strcasecmp(word, name) == 0;
}
