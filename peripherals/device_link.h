// What the printers, papertape units and laboratory instruments need of the
// machine they hang on.
//
// The devices know no machine: each machine that has a printer or a
// papertape unit hands its link over when it wires itself (its bus install);
// every other machine is left with DEVICES_NONE, which the framework attaches
// before each machine's own wiring.
//
//   device_link = {1, false, 1, font5x7_glyph}; // one EA printer, one tape unit
#pragma once

#include "core/types.h"

struct DeviceLink {
    // Printer units whose pages are saved: 0 none, 1 unit 0 alone, 2 both.
    // With fewer than 2 the line printer's unit choice falls back to unit 0.
    u8 printer_units;
    // The 982-dot line printer paper; otherwise the 228-dot EA paper.
    bool line_printer;
    // Papertape units the machine has.
    u8 papertape_units;
    // The terminal's 5 x 7 glyph of codes $20-$5F: seven rows, the leftmost
    // dot in bit 4. nullptr: no terminal font (blank glyphs).
    const u8* (*glyph)(u8 code);
    // The LED panel shows only digits 0-6 (a narrow terminal picture);
    // nullptr: the whole panel.
    bool (*led_panel_short)() = nullptr;
};

constexpr DeviceLink DEVICES_NONE = {0, false, 0, nullptr, nullptr};

extern DeviceLink device_link;

// The glyph of `code` in the attached terminal's font.
const u8* device_glyph(u8 code);
