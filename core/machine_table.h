// The machine table and the memory-map table: one row per guest machine (15)
// and one per memory map (31). Every machine-specific decision reads them,
// indexed by `machine` and `memmap`.
//
// The rows are data, but the machines' set-up code rewrites a few fields
// (display size, clocks per frame, PVI count, label/comment/note ranges) and
// the new-game settings rewrite the Interton and Elektor paddle limits, so both
// tables live in writable storage.
#pragma once

#include "core/emu.h"

#include <array>

constexpr int KEYPAD_KEYS = 28;  // keys of one guest keypad, fire button 1 first
constexpr int GUEST_KEYS = 60;   // guest-key numbers; 0-3 are the console buttons
constexpr int TONE_VOICES = 16;  // tone voices, before the sampled effects
constexpr int SOUND_VOICES = 26; // tone voices + sampled effects

// Sampled effects, numbered after the 16 tone voices.
enum SoundEffect : int {
    SFX_EXPLODE = 16,
    SFX_SHOOT,
    SFX_BANG,
    SFX_COIN,
    SFX_PRINTER,
    SFX_CLICK,
    SFX_SPIN,
    SFX_STEP,
    SFX_GRIND,
    SFX_PUNCH
};

// A text of the message catalog: its number and the English text without a catalog.
struct CatalogText {
    i32 number; // 0: none
    const char* english;
};

// The page of records the high-score window shows.
enum class HiscorePage : u8 {
    NONE,            // no records
    GAME_LIST,       // one scrolling list row per game, with its picture (Arcadia)
    COINOP,          // a row per coin-op game, with its picture
    BALL_AND_PADDLE, // two framed groups of three, one per chip
    DRILLS,          // a row per class and level of the typing drills, then the games
};

// What a machine is and has, asked by everything outside the machines instead
// of testing machine numbers. Grouped by the part of the program that asks.
struct MachineTraits {
    // ---- processor and timing ----
    bool no_processor = false; // the ball-and-paddle chips and the Type-right
    bool console_raster = false; // Arcadia and PVI consoles: 227-clock raster lines drawn by the beam
    bool raster_timed = false;   // a raster display timed in clocks beside a processor (BINBUG, CD2650, PHUNSY)
    // ---- input ----
    bool capitals_only = false;       // the keyboard types capitals whatever "lowercase" says
    bool cursor_keys_escape = false;  // the cursor keys type Esc A, B, C, D
    bool repeat_needs_latch = false;  // a held key repeats only with the on-screen Repeat key
    bool ctrl_passes_keys = false;    // Ctrl with another key still presses it for the guest
    bool escape_to_terminal = false;  // a typed Esc starts a terminal escape; the guest gets none
    bool keys_always_queued = false;  // typed keys always queue, never repeating or latched
    bool pause_on_play_only = false;  // P is a typing key: only the Play key pauses
    bool typewriter_keyboard = false; // no Ctrl or Esc key; console-button keys may also type
    bool panel_shift_keys = false;    // controls-panel keys 49 and 50 are the left and right Shift
    bool console_keys_unused = false; // the console buttons' host keys are no guest keys
    bool key_input_polled = false;    // the monitor polls for keys: finding none is not logged
    bool console_reads_tape = false;  // the teletype's tape reader can feed the console input
    u8 console_click_frames[4] = {5, 5, 5, 5}; // frames a click holds each console button down
    CatalogText console_names[4] = {};         // localised button labels; number 0: as the table
    // ---- display and sound ----
    // ---- devices ----
    // ---- debugger ----
    // ---- interface ----
    HiscorePage hiscore_page = HiscorePage::NONE; // the high-score window's page
    // ---- menus ----
    bool netplay = false; // two copies can play one game over the network
};

struct MachineDesc {
    const char* keyword;    // "ARCADIA" .. "TYPERIGHT"
    i32 width;              // guest display width; 0 until the display geometry sets it
    i32 height;             // guest display height; same rule
    i32 default_memmap;     // map of a game of this machine that no database row names
    i32 default_region;     // video standard: 0 = 60 Hz, 1 = 50 Hz
    double refresh_rate[2]; // frames per second in standard 0 and 1; 0 = never runs so
    i32 default_stretch;    // horizontal stretch 1 or 2
    i32 first_label_row;    // built-in label rows, -1 = none
    i32 last_label_row;
    i32 controls_keys;       // guest keys drawn on the controls panel
    u8 read_once_value;      // value a read-once register takes after each read
    u8 state_version;        // byte 1 of every save state of this machine
    double clocks_per_frame; // 2650 clock periods per frame (1.0 without a processor)
    i32 pvi_count;           // 2636 PVI chips
    i32 pixels_per_clock;    // for the debugger's "pixels" time unit
    i32 led_digits;          // seven-segment digits of the LED display
    u8 paddle_min;           // lowest paddle value
    u8 paddle_centre;        // paddle value after every reset
    u8 paddle_max;           // highest paddle value
    i32 first_pvi_base;      // guest address of the first PVI, 0 = none
    u8 coinop;               // Zaccaria and Malzak boards
    i32 first_comment_row;   // address-comment rows that mark addresses, -1 = none
    i32 last_comment_row;
    i32 first_note_row; // address-note rows the disassembler lists, -1 = none
    i32 last_note_row;
    const char* console_labels[4]; // "-" = button absent
    i32 console_images[4];         // speedbar image of each console button
    i32 first_hiscore_row;         // -1 = none
    i32 hiscore_rows;
    u8 swappable;                 // left and right controllers may be swapped
    u8 sound_channel_offset;      // 1: the free host channel search starts at channel 2
    i32 disk_image_bytes;         // one floppy image; 0 = no disks
    i32 drives;                   // floppy drives used
    const char* const* left_keys; // KEYPAD_KEYS labels, "-----" = key absent; null = no keypad
    const char* const* right_keys;
    MachineTraits traits;
};

struct MemmapDesc {
    i32 machine;
    const char* name;                    // "" for the empty rows 17 and 18
    i32 rom_size;                        // ROM image size of a coin-op game, else 0
    i32 default_overlay;                 // keypad overlay
    const char* maker_year;              // coin-op games, ball-and-paddle chips, Type-right
    std::array<u8, GUEST_KEYS> keys;     // 1 = that guest key exists on this map
    u8 may_rotate;                       // "rotatescreen" applies (Astro Wars, Galaxia)
    i32 menu_item;                       // 125..144; 0 for the empty rows
    std::array<u8, SOUND_VOICES> sounds; // tone voices 0-15, then the ten effects
    i32 sound_count;                     // flags set in `sounds`; computed at start-up
};

extern MachineDesc machine_table[MACHINES];
extern MemmapDesc memmap_table[MEMMAPS];

// The current machine's row; the first row while no machine is set up.
inline const MachineDesc& machine_desc() {
    return machine_table[machine < MACHINES ? machine : 0];
}
// What the current machine is and has.
inline const MachineTraits& machine_traits() {
    return machine_desc().traits;
}
// The current memory map's row; the first row while no map is set.
inline const MemmapDesc& memmap_desc() {
    return memmap_table[memmap < MEMMAPS ? memmap : 0];
}

// Counts each memory map's sound flags into its sound count; start-up calls it once.
void memmap_count_sounds();

// True for the rows that nothing may select (17 and 18).
inline bool memmap_is_empty(u32 map) {
    return map >= MEMMAPS || memmap_table[map].name[0] == 0;
}

// Every field of the machine table back to its start-up value.
void machine_table_reset();
