// The papertape window (tool window TW_PAPERTAPE): the teletype's reader and
// punch (unit 0) and, on a machine with two units, the high-speed reader
// (unit 1), each with its transport, insert (and for unit 0 create and
// write-protect) buttons, a position slider, the position and length as
// time at ten characters a second, the character last read or punched, and
// the picture of the tape around the position.
//
// The window follows the units by itself: its refresher runs after every
// frame and redraws what moved since it last looked.
//
//   papertape_window_register();  // once: gui_subwin_ops[TW_PAPERTAPE]
//   gui_open_papertape_window();  // "Papertape unit(s)..."
#pragma once

#include "core/types.h"

#include <cstddef>

enum PapertapeGadget : int {
    GID_PAP_POSITION = 205, // unit 1: 222
    GID_PAP_LENGTH = 206,   // unit 1: 223
    GID_PAP_BYTE = 207,     // unit 1: 224
    GID_PAP_RECORD = 208,
    GID_PAP_REWIND = 209,
    GID_PAP_PLAY = 210,
    GID_PAP_FORWARD = 211,
    GID_PAP_STOP = 212,
    GID_PAP_EJECT = 213,
    GID_PAP_CREATE = 214,
    GID_PAP_INSERT = 215,
    GID_PAP1_REWIND = 216,
    GID_PAP1_PLAY = 217,
    GID_PAP1_FORWARD = 218,
    GID_PAP1_STOP = 219,
    GID_PAP1_EJECT = 220,
    GID_PAP1_INSERT = 221,
    GID_PAP1_POSITION = 222,
    GID_PAP1_LENGTH = 223,
    GID_PAP1_BYTE = 224,
    GID_PAP_PROTECT = 225,
    GID_PAP_SLIDER = 226, // unit 1: 227
    GID_PAP_PICTURE = 228, // unit 1: 229
};

void papertape_window_register();
void gui_open_papertape_window();
void gui_papertape_handle_input();
void gui_papertape_refresh(int unit, int force);

// ---- What the window shows ----------------------------------------------------------
// `count` characters as time at ten a second: "m:ss.t".
void papertape_counter_text(u32 count, char* out, std::size_t size);
// The slider's step: it moves `length` / 2048 + 1 characters.
u32 papertape_slider_step(u32 length);
struct PapertapeControls {
    bool slider, record, create, rewind, play, forward, stop, eject, insert; // disabled
    bool record_pressed, play_pressed, stop_pressed, eject_pressed;
};
PapertapeControls papertape_controls(u32 state, u32 position, u32 length);
