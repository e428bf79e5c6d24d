// The LED panel as the guest controls window shows it, and the per-frame
// recording step of the copy to the main window.
//
// The display keeps the panel's pictures: one patch (Instructor 50, PHUNSY,
// Type-right) or six digit patches (Selbstbaucomputer, MIKIT 2650), each a
// rectangle of host pens at a place relative to the origin of the controls
// window's picture. While that window is open the copy of every shown frame
// refreshes the patches and marks UI_CONTROLS_PANEL; the window, at its next
// event pass, paints each patch at its origin plus the patch's place. The
// display opens no window of its own.
#pragma once

#include "core/types.h"

constexpr int PANEL_PATCHES = 6;
constexpr int PANEL_PATCH_MAX_WIDTH = 160, PANEL_PATCH_MAX_HEIGHT = 18;

struct PanelPatch {
    i32 left, top;     // relative to the controls picture's origin
    i32 width, height; // in host pixels
    // Row-major pens, `width` per row.
    u8 pens[PANEL_PATCH_MAX_WIDTH * PANEL_PATCH_MAX_HEIGHT];
};

// The places of the six digit panels, set with the panel geometry (count 0:
// the machine shows its panel as one patch at led_panel_left/top).
extern int led_digit_panels;
extern i32 led_digit_panel_left[PANEL_PATCHES], led_digit_panel_top;

// The patches of the current machine with their pens from the panel cells;
// returns how many (0: no panel).
int display_panel_patches(const PanelPatch** patches);
// Refreshes the patches and marks them for the controls window, when it is
// open and the machine has a panel.
void display_panel_copy();

// ---- The CPU monitor's LED image ------------------------------------------------
// The CPU monitor paints the digits' segments itself, from led_digits.
// The current machine's LED digits (0..13); their segment patterns (bits 0-6
// segments a-g, bit 7 the point) are led_digits.
int led_digit_count();
// The image's background: colour 14 with "drawunlit", else 7.
u8 display_led_background();
// Marks the LED image for the CPU monitor when it is open and the machine
// has LED digits.
void display_monitor_leds();

// ---- Recording step ----------------------------------------------------------------
// What a recording or playback feeds once per frame counter value: the picture
// recorders (each when its setting is on), then the sound register loggers.
struct FrameRecorders {
    void (*png)();
    void (*anim)();
    void (*gif)();
    void (*mng)();
    void (*psg_log)();
    void (*ym_frame)();
};
extern FrameRecorders frame_recorders;
// Only while recording or playing back, once per value of frame_counter; run
// at the end of every frame, shown or not.
void display_recording_hooks();
// Forgets the counter seen last (a new session feeds its first frame).
void display_recording_hooks_reset();
