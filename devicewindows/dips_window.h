// The DIP-switch window (tool window TW_DIPS): the switches of the board
// that the current machine carries, set live while it runs. Four machines
// have one, each its own window under the one tool window: the Instructor 50
// (dips_si50.cpp), the Zaccaria boards (dips_zaccaria.cpp), Malzak 2
// (dips_malzak2.cpp) and the ball-and-paddle machine (dips_pong.cpp); which
// one, the machine's row says (MachineOps::dips).
//
// The windows show settings the machines own. They write them when a gadget
// is released and follow them by themselves: the refresher after every frame
// (and on UI_DIP_GADGETS after a load) sets the gadgets whose value changed.
// While an input recording plays back, the recording decides the switches
// and every gadget is disabled.
//
//   dips_window_register();  // once: gui_subwin_ops[TW_DIPS]
//   gui_open_dips_window();  // "DIP switches...", OPENDIPS
#pragma once

#include "core/machine_ops.h"
#include "platform/gui.h"

#include <string>
#include <vector>

enum DipsGadget : int {
    // Instructor 50: the toggles "7" to "0", then the three radio buttons.
    GID_SI50_TOGGLE = 400, // 400-407
    GID_SI50_PARALLEL = 408,
    GID_SI50_INTERRUPTS = 409,
    GID_SI50_SELECTOR = 410,
    GID_DIPS_PICTURE = 411,
    // Zaccaria
    GID_ZAC_FREEZE = 412,
    GID_ZAC_GRID = 413,
    GID_ZAC_COLLISIONS = 414,
    GID_ZAC_RAPID = 415,
    GID_ZAC_LIVES = 416,
    GID_ZAC_COIN_A = 417,
    GID_ZAC_COIN_B = 418,
    GID_ZAC_HIGH_SCORE = 419,
    // Malzak 2
    GID_MALZAK_TEST = 420,
    // Ball-and-paddle machine
    GID_PONG_LOCK = 421,
    GID_PONG_PLAYER_ID = 422,
    GID_PONG_BATS = 423,
    GID_PONG_SPEED = 424,
    GID_PONG_ANGLES = 425,
    GID_PONG_GAME = 426,
    GID_PONG_SERVING = 427,
    GID_PONG_MACHINE = 428,
    GID_PONG_PLAYERS = 429,
    GID_PONG_LEFT = 430,
    GID_PONG_RIGHT = 431,
};

void dips_window_register();
// Opens the current machine's switch window unless one is open; nothing on
// a machine without switches.
void gui_open_dips_window();
void gui_dips_handle_input();
// Enables (1) or disables (0) the open window's switches.
void gui_dips_playback_refresh(int enable);
// Sets the gadgets from the switches: every one with `force`, else those
// whose value changed since they were last set.
void gui_dips_refresh(int force);

// ---- One machine's window -----------------------------------------------------------
struct DipsWindow {
    GuiWindowDesc (*describe)();
    void (*input)(int gid, int code); // a gadget released
    void (*refresh)();                // every gadget through dips_show
    // The gadgets a playback disables, and whether the game has each
    // (nullptr: all of them).
    const int* gadgets;
    int gadget_count;
    bool (*exists)(int gid);
};
extern const DipsWindow dips_si50_window, dips_zaccaria_window, dips_malzak2_window,
    dips_pong_window;

// ---- What the windows share ----------------------------------------------------------
// The open window (0 none).
int dips_window();
// Shows `value` in gadget `gid` (a radio's entry, a checkbox's or a toggle
// button's state, a slider's level) unless it shows it already.
void dips_show(int gid, int value);
GuiNode dips_node(GuiKind kind, int gid = 0, std::string text = {});
GuiNode dips_group(GuiKind kind, std::vector<GuiNode> children, const char* frame = nullptr);
GuiNode dips_radio(int gid, std::vector<std::string> items);
GuiNode dips_checkbox(int gid, const char* text);
// The machine picture of the current memory map, and stretchable space.
GuiNode dips_picture();
GuiNode dips_space();
