// The tape deck window (tool window TW_TAPE): the cassette's transport, its
// create and insert buttons, the reels, the waveform of the whole tape with
// the playhead (a click there winds the stopped tape), the skew of the
// playback threshold, the invert, write-protect and trace switches, the
// BINBUG's interface choice, and on the PHUNSY the MDCR deck.
//
// The window follows the tape by itself: its refresher runs after every
// frame and redraws what moved since it last looked.
//
//   tape_deck_window_register();  // once: gui_subwin_ops[TW_TAPE]
//   gui_open_tape_deck_window();  // "Cassette tape deck(s)...", OPENTAPEDECK
#pragma once

#include "core/types.h"
#include "platform/gui.h"

enum TapeDeckGadget : int {
    GID_TAPE_RECORD = 96,
    GID_TAPE_REWIND = 97,
    GID_TAPE_PLAY = 98,
    GID_TAPE_FORWARD = 99,
    GID_TAPE_STOP = 100,
    GID_TAPE_EJECT = 101,
    GID_TAPE_CREATE_8SVX = 102,
    GID_TAPE_CREATE_WAV = 103,
    GID_TAPE_POSITION = 104,
    GID_TAPE_LENGTH = 105,
    GID_TAPE_INSERT = 106,
    GID_TAPE_CREATE_AIFF = 107,
    GID_MDCR_CREATE = 108,
    GID_MDCR_INSERT = 109,
    GID_MDCR_UPDATE = 110,
    GID_MDCR_STATUS = 111,
    GID_TAPE_BYTE = 112,
    GID_TAPE_VERBOSE = 113,
    GID_TAPE_INVERT = 114,
    GID_TAPE_PROTECT = 115,
    GID_TAPE_SKEW = 116,
    GID_TAPE_INTERFACE = 117,
    GID_TAPE_SKEW_SLIDER = 118,
    GID_TAPE_SLIDER = 119,
    GID_TAPE_WAVEFORM = 120,
    GID_MDCR_POSITION = 121,
    GID_MDCR_LENGTH = 122,
    GID_MDCR_BLOCK = 123,
    GID_MDCR_BLOCKS = 124,
    GID_TAPE_DECK_PICTURE = 125,
    GID_TAPE_LEVEL = 126,
};

// Interface image rows of the deck.
constexpr int IMAGE_TRANSPORT = 208; // taperec .. tapeeject
constexpr int IMAGE_TAPE_EMPTY = 285, IMAGE_TAPE_PLAY = 286, IMAGE_TAPE_RECORD = 292,
              IMAGE_TAPE_STOP = 298, IMAGE_TAPE_PROTECT = 304;
constexpr int IMAGE_ANIM_STOP = 310, IMAGE_ANIM_PLAY = 313, IMAGE_ANIM_RECORD = 316;

void tape_deck_window_register();
void gui_open_tape_deck_window();
void gui_tape_deck_handle_input();
void gui_tape_deck_refresh(int force);

// The transport buttons Record, Rewind, Play, Fast Forward, Stop and Eject as
// image buttons with their hints, ids from `first` on; without `record` the
// row starts with Rewind at `first`. The papertape window has them too.
GuiNode gui_make_transport_row(int first, bool record);

// ---- What the window shows, by the deck's state ---------------------------------
// Transport buttons in row order (Record .. Eject).
struct TapeDeckControls {
    bool disabled[6];
    bool pressed[6];
    bool slider_disabled;
    bool media_disabled; // the create and insert buttons
};
TapeDeckControls tape_deck_controls(u32 state, u32 position, u32 length);
// The position slider moves in steps of this many samples (under 2048 steps).
u32 tape_slider_step(u32 length);
// The deck picture's image row for a state and reel frame (0-5).
int tape_deck_picture(u32 state, int frame, bool write_protected);
// The level indicator: 0 low, 1 silence or level, 2 high; and its image row.
int tape_level_indicator(u32 state, u8 level, u8 threshold);
int tape_indicator_image(u32 state, int indicator);
// The skew (-96..97) of a threshold, its slider level and back.
int tape_skew_of(u8 threshold);
u8 tape_threshold_of(int skew);
// The sample a click `x` pixels into the waveform stands for.
double tape_click_sample(int x, u32 buffer_size);
// The MDCR's status text and its extra pen.
void mdcr_status_text(char* out, int size);
int mdcr_status_pen();
