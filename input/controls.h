// The Guest Controls picture: its layouts of key rectangles, the marks of
// held controls, on-screen keys and the hover legend. No toolkit here: the
// window (gui/guest_controls_window.*) hands in the picture's pixels and
// shows what was drawn.
//
// Every picture has a layout (controls_layouts, generated with the pictures
// by scripts/controls_layouts.py): one rectangle per mark, tied to a guest
// key of a player or to a role (console button, reset, cartridge slot...).
// After every frame guest_controls_refresh_marks finds what is held
// (controls_held) and toggles the marks whose state changed, drawn in
// complement so that drawing twice restores the picture. A click holds the
// key under the pointer in virtual_key (input/paddles.h) until the release;
// the machine's input step ORs it into its registers with
// input_virtual_key_apply, so the guest sees it for exactly the frames it is
// held.
#pragma once

#include "core/machine_controls.h"
#include "core/types.h"
#include "input/keys.h"

#include <cstdint>

// What a mark stands for besides a player's guest key.
enum ControlsRole : u8 {
    CR_KEY,      // a guest key of `player`, or a key of the machine's own pad
    CR_CONSOLE1, // console buttons 1-4
    CR_CONSOLE2,
    CR_CONSOLE3,
    CR_CONSOLE4,
    CR_RESET,    // resets the machine, keeping a netplay link
    CR_SLOT,     // the cartridge slot: the open requester
    CR_INERT,    // drawn, does nothing
    CR_DIPS,     // the DIP-switch window, opened or closed
    CR_TAPE,     // the tape deck window
    CR_OPCODES,  // the opcodes window
    CR_INFO,     // held, and the game information window opened or closed
    CR_ANGLES,   // the ball-and-paddle machine's switches
    CR_SPEED,
    CR_SERVING,
    CR_LOCK,
    CR_SOUND,
    CR_SWAP,
    CR_TERMINAL, // types on a terminal or typewriter keyboard
};

struct ControlsKeyRect {
    std::int16_t x, y, width, height; // in the picture; x = -1: not on this picture
    i32 key;                 // guest key index 0-27, -1 none
    i32 player;              // 0 left, 1 right, -1 none
    u8 round;                // marked with an ellipse
    u8 on_panel;             // lies on the extra front-panel picture
    ControlsRole role;
};

struct ControlsLayout {
    i32 picture;         // interface image row
    std::int16_t width, height;   // the picture's size
    i32 count;           // rectangles drawn on it
    ControlsKeyRect rects[CONTROLS_RECTS];
};
constexpr int CONTROLS_LAYOUTS = 30;
extern const ControlsLayout controls_layouts[CONTROLS_LAYOUTS];

// The PIPBUG's front panel, shown above its terminal keyboards.
struct ControlsPicture {
    i32 picture;
    std::int16_t width, height;
};
extern const ControlsPicture controls_extra_picture;

// Raw keys whose Type-right key is drawn at a rectangle of its picture.
struct TyperightPictureKey {
    u8 raw, rect;
};
constexpr int TYPERIGHT_PICTURE_KEYS = 53;
extern const TyperightPictureKey typeright_picture_keys[TYPERIGHT_PICTURE_KEYS];

// The size of controller picture `image` (an interface image row); false
// for an image that is no controller picture.
bool controls_picture_size(int image, int* width, int* height);

// ---- the current machine's picture ------------------------------------------------
// The controls row of the current machine (an empty one when it has none).
const MachineControls& machine_controls();
// Whether the current machine has a controls picture at all.
bool controls_available();
const ControlsLayout& controls_current_layout();
// The marks of the current machine: its row's count, at most the layout's rows.
int controls_mark_count();
// The first mark of the current layout whose rectangle holds (x, y): the
// left and top edges inside, the right and bottom ones not. `panel` tests
// the front panel's marks instead. -1 for none.
int controls_hit(int x, int y, bool panel);

// ---- marks ----------------------------------------------------------------------------
extern u8 controls_held[CONTROLS_RECTS];

// The colour indices the picture buffers use: the host pens first (the LED
// panel's), then the lamp pens, then the picture's own colours; index
// 255 - i is the complement of index i.
constexpr u8 CONTROLS_PEN_LIT = 42, CONTROLS_PEN_PALE = 43, CONTROLS_PEN_UNLIT = 44;
constexpr u8 CONTROLS_FIRST_PICTURE_PEN = 45, CONTROLS_LAST_PEN = 127;

// A picture buffer of colour indices.
struct ControlsCanvas {
    u8* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
};

// Fills controls_held from the machine's sources and the paddles.
void controls_fill_held();
// Toggles mark i on the picture (or the front panel for its marks).
void gui_controls_draw_key(ControlsCanvas& picture, ControlsCanvas* panel, int i);
// Draws the machine's lamps, solid.
void controls_draw_lamps(ControlsCanvas& picture, ControlsCanvas* panel);
// The refresh after a frame: lamps, then every mark whose held state
// changed. True when anything was drawn.
bool guest_controls_refresh_marks(ControlsCanvas& picture, ControlsCanvas* panel);
// Both mark arrays cleared: the picture is drawn without marks.
void controls_clear_marks();

// ---- on-screen keys ---------------------------------------------------------------------
// What the window does for a key that acts on the interface.
enum ControlsAction : u8 {
    CA_NONE,
    CA_OPEN_FILE,      // the "Open Game/State/Recording/Tape/Disk" requester
    CA_TOGGLE_DIPS,    // open or close these tool windows
    CA_TOGGLE_TAPE,
    CA_TOGGLE_OPCODES,
    CA_TOGGLE_INFO,
    CA_PALETTE,        // open the palette editor
    CA_TOGGLE_SOUND,   // the "sound" setting, through its menu command
    CA_TOGGLE_SWAP,    // the "swapped" setting, likewise
};
// A left-button press at (x, y) of the picture (`panel`: of the front
// panel): holds or acts on the key there.
ControlsAction guest_controls_click(int x, int y, bool panel);
void vkey_release();
// In each machine's input step, after it built its input registers: ORs the
// held on-screen key into them.
void input_virtual_key_apply();
// Marks of the typing keyboards (rows' held handlers): the terminals from
// the host keys that type each key's character, the Type-right from its
// console buttons and the key table's picture places.
void controls_terminal_held(u8* marks);
void controls_typeright_held(u8* marks);
// The character of on-screen terminal key i of the current layout with the
// present modifiers, or -1 when it types none (tests, the marks).
int controls_terminal_char(int i);

// ---- legend --------------------------------------------------------------------------------
constexpr int LEGEND_FIELDS = 5, LEGEND_TEXT = 65;
// Overlay, guest key, host keys, gamepad buttons, mouse buttons.
extern char controls_legend_text[LEGEND_FIELDS][LEGEND_TEXT];
// The mark whose texts are shown, -1 none ("-"), -2 none yet.
extern i32 controls_hover_index;
// The pointer at (x, y) of the picture: true when the texts changed.
bool controls_labels_rebuild(int x, int y);
void controls_legend_for_rect(int i);

// ---- labels of the guest keys ----------------------------------------------------------
// The current overlay's labels into the machine's live key labels, then the
// gamepad slots' names (the coin-op boards and the ball-and-paddle machine).
void input_direction_names();
// Label of guest key k of player p on the current machine: its live label,
// else the machine table's ("-----" for none).
const char* machine_key_label(int player, int k);

void input_controls_reset();
