// The controls window's LED panel patches and the per-frame recording step.
#include "display/controls_panel.h"

#include "display/host.h"
#include "display/led.h"

#include "core/frame.h"
#include "core/machine_table.h"
#include "core/savestate_seams.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "record/recorder.h"

#include <cstdint>

int led_digit_panels;
i32 led_digit_panel_left[PANEL_PATCHES], led_digit_panel_top;

namespace {

PanelPatch patches[PANEL_PATCHES];

i32 clamp(i32 v, i32 limit) {
    return v < 0 ? 0 : v > limit ? limit : v;
}

// Pens of the w x h cells from cell column `column` on.
void fill(PanelPatch& p, i32 column) {
    for (i32 y = 0; y < p.height; y++)
        for (i32 x = 0; x < p.width; x++)
            p.pens[y * p.width + x] = pen_byte[led_panel_cells[(column + x) * LED_PANEL_ROWS + y]];
}

bool controls_open() {
    return ui_host.tool_window_open && ui_host.tool_window_open(TW_CONTROLS);
}

std::int64_t last_counter = -1;

} // namespace

int display_panel_patches(const PanelPatch** out) {
    *out = patches;
    if (led_digit_panels > 0) {
        // Six digits of 12 x 18 pixels: the first 12 of each digit's 18 cell columns.
        const int n = led_digit_panels < PANEL_PATCHES ? led_digit_panels : PANEL_PATCHES;
        for (int d = 0; d < n; d++) {
            PanelPatch& p = patches[d];
            p.left = led_digit_panel_left[d];
            p.top = led_digit_panel_top;
            p.width = 12;
            p.height = LED_PANEL_ROWS;
            fill(p, 18 * d);
        }
        return n;
    }
    if (led_panel_width <= 0 || led_panel_rows <= 0) return 0;
    PanelPatch& p = patches[0];
    p.left = led_panel_left;
    p.top = led_panel_top;
    p.width = clamp(led_panel_width, PANEL_PATCH_MAX_WIDTH);
    p.height = clamp(led_panel_rows, PANEL_PATCH_MAX_HEIGHT);
    fill(p, 0);
    return 1;
}

void display_panel_copy() {
    if (!controls_open()) return;
    const PanelPatch* p;
    if (display_panel_patches(&p) > 0) ui_mark(UI_CONTROLS_PANEL);
}

int led_digit_count() {
    const i32 n = machine_desc().led_digits;
    return n < 0 ? 0 : n > 13 ? 13 : n;
}

u8 display_led_background() {
    return drawunlit ? 14 : 7;
}

void display_monitor_leds() {
    if (!ui_host.tool_window_open || !ui_host.tool_window_open(TW_CPU)) return;
    if (led_digit_count() > 0) ui_mark(UI_MONITOR_LEDS);
}

FrameRecorders frame_recorders = {rec_png_frame, rec_anim_frame, rec_gif_frame,
                                  rec_mng_frame, psg_log_frame,  ym_write_frame};

void display_recording_hooks() {
    if (rec_state != REC_RECORDING && rec_state != REC_PLAYBACK) return;
    if (last_counter == static_cast<std::int64_t>(frame_counter)) return;
    last_counter = frame_counter;
    if (generatepng) frame_recorders.png();
    if (generateanim) frame_recorders.anim();
    if (generategif) frame_recorders.gif();
    if (generatemng) frame_recorders.mng();
    // Each of these does nothing while its recording is not open.
    frame_recorders.psg_log();
    frame_recorders.ym_frame();
}

void display_recording_hooks_reset() {
    last_counter = -1;
}
