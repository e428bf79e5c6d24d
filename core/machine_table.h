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

// What a machine is and has, asked by everything outside the machines instead
// of testing machine numbers. Grouped by the part of the program that asks.
struct MachineTraits {
    // ---- processor and timing ----
    bool no_processor = false; // the ball-and-paddle chips and the Type-right
    bool console_raster = false; // Arcadia and PVI consoles: 227-clock raster lines drawn by the beam
    bool raster_timed = false;   // a raster display timed in clocks beside a processor (BINBUG, CD2650, PHUNSY)
    // ---- input ----
    // ---- display and sound ----
    // ---- devices ----
    // ---- debugger ----
    bool bios_call_log = false;   // calls from the game into the monitor can be logged
    bool board_interrupt = false; // besides any PVI, the board interrupts the processor
    bool user_interrupt = false;  // besides any PVI, the debugger may raise the interrupt by hand
    bool sprite_display = false;  // besides any PVI's sprites, objects take the sprite display mode
    bool os_symbols = false;      // the disk system's label, comment and note rows name addresses
    bool code_in_rom = false;     // assembled code belongs in ROM: the assembler warns outside it
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
