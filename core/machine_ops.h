// The rows of every machine: what differs between the machines and what the
// framework calls, one row per consumer. MachineOps (here) holds the life
// cycle, loading, states, input and the interface; MachineView
// (core/machine_view.h) the display, MachineSound (core/machine_sound.h) the
// sound, MachineDebug (core/machine_debug.h) the debugger and the assembler.
//
// Each machine fills its rows in its own files and names them in one
// MachineEntry; core/machine_registry.cpp alone lists the entries. An
// operation left nullptr takes the framework's default, named at each field.
#pragma once

#include <string>
#include <vector>

#include "core/emu.h"

struct GuestRom;
struct KnownGame;
struct MachineControls;
struct MachineView;
struct MachineSound;
struct MachineDebug;
struct TapeRule;
struct DiskSystem;

// The DIP-switch window a board has (devicewindows/dips_window.h).
enum class DipWindow : u8 { NONE, SI50, ZACCARIA, MALZAK2, PONG };

// The processor clock and serial line rates a machine lets the user choose
// (the Adjust Speed window). Every change takes effect on the running machine;
// set_clock and set_baud are the user's picks and mark a kept setting so
// (prefs_user_chose).
struct MachineRates {
    // The two clock choices: a text with "%s" for the unit, and whether that
    // unit is Hz rather than MHz.
    const char* clock_formats[2] = {nullptr, nullptr};
    bool clock_hertz[2] = {false, false};
    // The clock choice in force, 0 or 1; nullptr: the machine has no choice.
    u32 (*clock)() = nullptr;
    // Sets the clock option and the clock periods of a frame.
    void (*set_clock)(u32 choice) = nullptr;
    // The serial line rates shown; baud_count 0: none.
    const char* const* bauds = nullptr;
    u32 baud_count = 0;
    // The rate in force, an index into bauds.
    u32 (*baud)() = nullptr;
    // Whether the monitor lets the rate be chosen at all. nullptr: it does.
    bool (*baud_enabled)() = nullptr;
    // Takes choice `choice` and applies it to the monitor; false when the
    // monitor cannot run at that rate (nothing changes).
    bool (*set_baud)(u32 choice) = nullptr;
};

// Which keys of the game keypad the machine's controllers have.
enum class KeypadKeys : u8 {
    NONE,           // no game keypad
    ALL,            // every key, the extra ones included
    NO_EXTRAS,      // all but the extra keys
    STICK_AND_FIRE, // the stick's directions and the fire buttons
    BATS,           // the stick with its diagonals, fire buttons 1 and 3, keypad keys 5 and 8
};

struct MachineOps {
    // ---- life cycle ----
    // Builds the memory map of the current `memmap` on top of the generic one
    // (cleared memory, plain RAM, the framework's port dispatch on the bus):
    // attributes, mirrors, ROMs, the bus hooks. nullptr: the generic map alone.
    void (*setup)() = nullptr;
    // Fills the processor's bus with the machine's hooks, on top of plain RAM
    // and the framework's port dispatch. nullptr: nothing of its own.
    void (*install_bus)() = nullptr;
    // Puts the machine's chips into their power-on state after the processor's
    // reset. nullptr: nothing to reset.
    void (*reset)() = nullptr;
    // Runs one frame. nullptr: the processor for the frame's clock periods
    // (machine_table's clocks_per_frame), then the end of frame.
    void (*run_frame)() = nullptr;
    // Called at the end of every frame, after the high scores. nullptr: nothing.
    void (*frame_ended)() = nullptr;
    // Called before the machine is left: at every machine switch (to another
    // memory map of its own too) and when the program ends. nullptr: nothing.
    void (*leave)() = nullptr;
    // Every firmware image the machine may read from the roms/ drawer
    // (core/guest_roms.h); entries without a name are skipped. nullptr: none.
    const GuestRom* roms = nullptr;
    u32 rom_count = 0;
    // Guest I/O ports 0-257, behind the framework's identification ports and
    // port tracing. nullptr: reads give 0, writes are dropped.
    u8 (*port_read)(u32 port) = nullptr;
    void (*port_write)(u32 port, u8 value) = nullptr;

    // ---- notices to every machine, whichever runs ----
    // At every machine reset: clears what the machine keeps beside its memory
    // map (a state load may come back to the machine without a reset of its
    // own). nullptr: nothing.
    void (*any_reset)() = nullptr;
    // After every state load. nullptr: nothing.
    void (*any_state_loaded)() = nullptr;
    // When the settings of no known game are applied: forgets what a
    // games-database row chose. nullptr: nothing.
    void (*unknown_game)() = nullptr;

    // ---- games, loading and states ----
    // Writes the game image in the file buffer into the machine. `known`: the
    // games database identified it. nullptr: nothing to copy (the machine's
    // set-up reads its images itself).
    void (*map_image)(bool known) = nullptr;
    // Settings of a games-database row, applied before and after the machine
    // switch it asks for. nullptr: none.
    void (*apply_row_before)(const KnownGame& row) = nullptr;
    void (*apply_row_after)(const KnownGame& row) = nullptr;
    // The games-database row of the built-in program a fresh machine starts
    // with under "stubprograms"; -1: none.
    i32 stub_game = -1;
    // Sets the paddle range in the machine's row for games-database row
    // `game` (-1: no known game). nullptr: the row's range stays.
    void (*paddle_range)(i32 game) = nullptr;
    // Why the machine refuses the image of a known game that is `size` bytes
    // long (the warning shown). nullptr: every image is taken.
    const char* (*image_refused)(const KnownGame& row, u32 size) = nullptr;
    // Types what starts a known program just loaded from a file of `kind`
    // (KIND_BIN, KIND_AOF) written in `language`. nullptr: nothing.
    void (*run_loaded)(int kind, u8 language) = nullptr;
    // The machine's own fields of a save state, after the common part.
    // nullptr: none.
    void (*serialise)(u32 map) = nullptr;
    // Around the common part of a save state: before one is written, after
    // one was read in. nullptr: nothing.
    void (*before_state_save)() = nullptr;
    void (*after_state_load)() = nullptr;
    // Older save-state versions still read, besides the machine's own:
    // first..last, none when first is 0.
    u8 old_states_first = 0;
    u8 old_states_last = 0;
    // Suffix given to a file saved for this machine.
    const char* save_suffix = ".bin";
    // The file name a new game of memory map `map` is saved under.
    // nullptr: none.
    const char* (*game_file_name)(u32 map) = nullptr;

    // ---- game information and scores ----
    // The high-score table of the running game, -1 for none. nullptr: none.
    int (*hiscore_row)() = nullptr;
    // The description of the game chosen on the machine itself, shown with
    // the game information. nullptr: none.
    const char* (*game_text)() = nullptr;
    // The name of the game chosen on the machine itself, which the status bar
    // shows instead of the game information line. nullptr: that line.
    const char* (*status_name)() = nullptr;
    // The screen as plain text (rows ended by LF), for the text export and
    // "Copy text". nullptr: the screen has no text.
    void (*screen_text)(std::string* out) = nullptr;
    // The game information's language field where the memory map is the
    // game. nullptr: "n/a".
    const char* program_kind = nullptr;
    // The digit a character on the screen shows in a score, any value
    // outside 0-9 for none. nullptr: the machine shows no scores.
    int (*score_digit)(u8 c) = nullptr;
    // The running game's score where the machine keeps it itself.
    // nullptr: the score is read off the screen.
    u32 (*own_score)() = nullptr;
    // The game list's small picture of memory map `map`. nullptr: the
    // machine's picture.
    u32 (*map_picture)(u32 map) = nullptr;

    // ---- input ----
    // Whether the guest reads the host keyboard as its own typewriter
    // keyboard, with the current options. nullptr: it does not.
    bool (*typed_keyboard)() = nullptr;
    // The game keypad's keys for the current memory map (the keypad's digit
    // keys always count). nullptr: none.
    KeypadKeys (*keypad_keys)() = nullptr;
    // The character host key `code` types with the held modifiers and the
    // options (or KEY_NO_CHAR, KEY_SWALLOW, KEY_TYPE_TITLE, KEY_TYPE_DATE).
    // nullptr: the key table's terminal columns.
    u16 (*key_char)(u32 code) = nullptr;
    // Whether the keyboard types six-bit capitals (the Caps column masked to
    // $3F) with the current monitor. nullptr: it never does.
    bool (*six_bit_keys)() = nullptr;
    // What the monitor's key input makes of key `ch` (a Backspace as DEL, the
    // deleted character erased on the screen). nullptr: the key as typed.
    u8 (*monitor_key)(u8 ch) = nullptr;
    // The monitor routine that reads a key, as the BIOS log names it.
    const char* key_routine = "CHIN";
    // Puts the key codes pasted character `c` becomes into `out` (room for
    // 14) and returns their count. nullptr: `c` alone.
    int (*paste_char)(u8 c, u8* out) = nullptr;
    // Whether the guest takes lowercase typed input with the current options.
    // nullptr: it never does.
    bool (*lowercase_input)() = nullptr;

    // ---- peripherals ----
    // The cassette interface with the current options: its clock, how a
    // played sample reaches the guest and how the guest's output becomes a
    // sample (peripherals/tape.h). nullptr: the machine has no cassette.
    const TapeRule* (*tape)() = nullptr;

    // ---- interface ----
    // The Guest Controls picture's row (core/machine_controls.h): its keys'
    // registers, marks, lamps and settings. nullptr: the machine has none.
    const MachineControls* controls = nullptr;
    // The DIP-switch window of the current memory map. nullptr: none.
    DipWindow (*dips)() = nullptr;
    // The Skip level trainer: moves the running game on to its next level
    // where the machine knows how (between frames). nullptr: nothing.
    void (*skip_level)() = nullptr;
    // A Settings radio of the machine's own ranges (its monitors, disk
    // systems or VDUs; `item` is the radio's checkable id) was picked and its
    // option already holds the choice: the machine takes it in. nullptr: the
    // option alone.
    void (*menu_choice)(int item) = nullptr;
    // The clock and serial rates the user may choose. nullptr: none.
    const MachineRates* rates = nullptr;
    // Whether the monitor has a power-on self-test with the current options.
    // nullptr: it has none.
    bool (*self_test)() = nullptr;
    // The README section of the machine's guides. nullptr: the guides have none.
    const char* guide_section = nullptr;
    // Whether the coding guide has the section too, besides the gaming guide.
    bool coding_guide = true;
    // Help nodes of the machine's own sections for tool windows. nullptr: the
    // common node, "" for the DIP-switch and sprite windows (none there).
    const char* dips_help = nullptr;
    const char* sprites_help = nullptr;
    const char* tape_help = nullptr;      // common: "tapedeck"
    const char* printer_help = nullptr;   // common: "printer"
    const char* floppy_help = nullptr;    // common: "floppydrive"
    const char* papertape_help = nullptr; // common: "papertape"

    // ---- devices ----
    // The guest disk system on the machine's floppy drives. nullptr: none.
    const DiskSystem* disks = nullptr;
};

// A file of a guest disk as the host gets it: the name it takes in the current
// drawer (made safe: no other drawer, no hidden file) and its bytes.
struct DiskFile {
    std::string name;
    std::vector<u8> bytes;
};

// A guest disk system: what the host side understands of the machine's disks
// (peripherals/floppy.h holds the drives and their images). An operation left
// nullptr is missing: the debugger's disk command answers "Wrong guest
// machine!", the loader refuses the image and the window's button does nothing.
struct DiskSystem {
    // Turns the bytes of an image file into the drive's image (the layout's
    // image_bytes in `image`); false after its own warning ("File is wrong
    // size!") when the file is no image of this system.
    bool (*image_from_file)(const std::vector<u8>& file, u8* image) = nullptr;
    // Reads the directory into the drive's caches and block map; unless
    // `quiet` it also prints the listing.
    void (*list)(int quiet, int drive) = nullptr;
    // Puts a blank disk into the drive (floppy_take_image).
    void (*format)(int drive) = nullptr;
    // Whether an image (the layout's image_bytes) is a new disk as the format
    // or the machine's set-up makes it, the day it was made aside: a disk
    // nobody wrote on. nullptr: no image is.
    bool (*fresh)(const u8* image) = nullptr;
    // Reads directory entry `entry` as the host file it makes; false when it
    // cannot be read (after its own complaint, where it has one). The caller
    // writes the file.
    bool (*extract)(int entry, int drive, DiskFile* out) = nullptr;
    // Copies host file `path` onto the disk and reports it ("OK." and the
    // listing); false, with nothing changed and the reason in `why`, when the
    // disk cannot take it.
    bool (*put)(const char* path, int drive, std::string* why) = nullptr;
    // Deletes directory entry `entry`.
    void (*remove)(int entry, int drive) = nullptr;
    // Checks `name` and gives it to entry `entry`; 1 taken, 0 refused (after
    // its own complaint).
    int (*rename)(int entry, int drive, const char* name) = nullptr;
    // Appends what the floppy window tells after the name of entry `entry`
    // that owns a block (the TWIN's overlay commands). nullptr: nothing.
    void (*owner_note)(int drive, int entry, std::string* text) = nullptr;
    // Directory entries of a disk (the name caches' rows in use).
    u8 entries = 0;
    // Names are compared as name "." extension (else as the name alone).
    bool extensions = false;
};

// Everything one machine fills: a row of each kind, none of them null.
struct MachineEntry {
    const MachineOps* ops;
    const MachineView* view;
    const MachineSound* sound;
    const MachineDebug* debug;
};

// Every machine's entry by machine number (core/machine_registry.cpp), and
// the entry of defaults, which is no machine's.
extern const MachineEntry* const machine_entries[MACHINES];
extern const MachineEntry machine_entry_defaults;

// The entry of machine `m`; numbers out of range get the entry of defaults.
inline const MachineEntry& machine_entry(u32 m) {
    return m < MACHINES ? *machine_entries[m] : machine_entry_defaults;
}

// The life-cycle row of machine `m`, and of the current machine.
inline const MachineOps& machine_ops(u32 m) {
    return *machine_entry(m).ops;
}

// Runs a notice to every machine (any_reset, any_state_loaded, unknown_game):
// each distinct operation once, however many machines name it.
void machine_notice_all(void (*MachineOps::*notice)());
inline const MachineOps& machine_row() {
    return machine_ops(machine);
}
