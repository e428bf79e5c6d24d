// The display's row of a machine (see core/machine_ops.h): frame sizes and the
// visible window, fixed frame areas, text colours, LED digits and panels, the
// beam marker, the controls-panel layout.
#pragma once

#include <string>

#include "core/machine_ops.h"

struct MachineLive;

// Where one digit of the machine's LED display is drawn in the frame: the
// digit's top left corner and how far its segments are stretched.
struct LedDigitPlace {
    i32 x, y, stretch;
};

// Inclusive bounds of the visible window in the machine's raster positions.
struct DisplayWindow {
    i32 left, top, right, bottom;
};

// The beam marker's line (from x0, y0 to x1, y1, in raster positions) and
// the beam position tested for the start of a frame.
struct BeamLine {
    i32 x0, y0, x1, y1;
    i32 start_clock, start_line;
};

struct MachineView {
    // Sets `row`'s frame size, and the current machine's text geometry when
    // `current`, for the current options; called for every machine.
    // nullptr: the size is fixed.
    void (*display_geometry)(MachineLive& row, bool current) = nullptr;
    // The visible window of a w x h frame with the current options.
    // nullptr: the whole frame, from raster position (0, 0).
    DisplayWindow (*display_window)(i32 w, i32 h) = nullptr;
    // Repaints the fixed areas of the w x h frame (text background, LED
    // strip, blanking). nullptr: the machine has none.
    void (*reset_frame)(i32 w, i32 h) = nullptr;
    // Whether the display has blanking areas to show with the current options.
    // nullptr: it has none.
    bool (*blanking_areas)() = nullptr;
    // The terminal's ink and paper colours for the current options.
    // nullptr: paper 8, the ink as it was.
    void (*text_colours)(u8* ink, u8* paper) = nullptr;
    // Whether the whole frame takes the paper colour when the palette changes.
    bool frame_takes_paper = false;
    // Whether the screen may erase deleted characters with the current options.
    // nullptr: it never does.
    bool (*erase_deleted)() = nullptr;
    // Where LED digit `digit` is drawn in the frame. nullptr: the machine
    // draws no LED digits into the frame.
    LedDigitPlace (*led_digit_place)(int digit) = nullptr;
    // Segment patterns of the hex digits 0-F a written LED digit shows.
    // nullptr: the guest writes the segments themselves.
    const u8* led_font = nullptr;
    // Maps a cell of the LED digits to the panel cells. nullptr: no panel.
    void (*led_panel_cell)(i32 x, i32 y, u32 colour) = nullptr;
    // Sets the LED panel's size and place in the controls window.
    // nullptr: no panel (size and place 0).
    void (*led_panel_geometry)() = nullptr;
    // The controls-panel layout for the current options. nullptr: the layout
    // is left as the set-up chose it.
    i32 (*controls_layout)() = nullptr;
    // The beam marker for the beam at (clock, line); false: none now.
    // nullptr: the machine has no beam marker.
    bool (*beam_marker)(i32 clock, i32 line, bool tracing, BeamLine* out) = nullptr;
    // The pointer text of frame position (x, y) (display/pointer_text.h has
    // its pieces); with `click` (screen editing) the editor's cursor moves
    // there. nullptr: "X=..,Y=.. (colour)" alone.
    void (*describe_position)(i32 x, i32 y, int click, std::string* out) = nullptr;
    // How many host pixels a guest pixel takes at scale 1: a frame much
    // smaller than the others' is shown magnified, so that it fills the
    // window as they do. Screenshots keep the frame's own size.
    u32 picture_zoom = 1;
};

// The display's row of machine `m`, and of the current machine.
inline const MachineView& machine_view(u32 m) {
    return *machine_entry(m).view;
}
inline const MachineView& machine_view() {
    return machine_view(machine);
}
