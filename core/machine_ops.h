// One row of operations per machine: everything that differs between the
// machines and that the framework calls, reached through machine_ops().
//
// A row is filled by the machine's own code; core/machine_registry.cpp alone
// names every machine. An operation left nullptr takes the framework's default,
// named at each field. Rows are indexed by the machine number.
#pragma once

#include "core/emu.h"

struct KnownGame;
struct MachineLive;

// Which keys of the game keypad the machine's controllers have.
enum class KeypadKeys : u8 {
    NONE,           // no game keypad
    ALL,            // every key, the extra ones included
    NO_EXTRAS,      // all but the extra keys
    STICK_AND_FIRE, // the stick's directions and the fire buttons
};

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

// The character code the guest's text is written in.
enum class GuestChars : u8 {
    ASCII,   // plain ASCII
    MISSING, // a memory map without a known character table
    ARCADIA,
    ELEKTOR,
    INSTRUCTOR,
    ASTRO_WARS,
    GALAXIA,
    LASER_BATTLE,
};

// What a machine did with a word of the debugger's VIEW command.
enum class ViewShown : u8 {
    NONE,    // it has no view of that name
    SHOWN,   // it printed the view
    UNBUILT, // it has what the view shows, but no dump of it is built yet
};

// A kind of object file the debugger's SAVE writes: the suffix, the default
// bytes per block, and the writer (1 when the file was written).
struct ObjectFormat {
    const char* suffix;
    u32 block_size;
    int (*save)(const char* name, u32 first, u32 last, u32 start, u32 block_size);
};

struct MachineOps {
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
    // The machine's own fields of a save state, after the common part.
    // nullptr: none.
    void (*serialise)(u32 map) = nullptr;
    // Writes the game image in the file buffer into the machine. `known`: the
    // games database identified it. nullptr: nothing to copy (the machine's
    // set-up reads its images itself).
    void (*map_image)(bool known) = nullptr;
    // Guest I/O ports 0-257, behind the framework's identification ports and
    // port tracing. nullptr: reads give 0, writes are dropped.
    u8 (*port_read)(u32 port) = nullptr;
    void (*port_write)(u32 port, u8 value) = nullptr;
    // Settings of a games-database row, applied before and after the machine
    // switch it asks for. nullptr: none.
    void (*apply_row_before)(const KnownGame& row) = nullptr;
    void (*apply_row_after)(const KnownGame& row) = nullptr;
    // The controls-panel layout for the current options. nullptr: the layout
    // is left as the set-up chose it.
    i32 (*controls_layout)() = nullptr;
    // The high-score table of the running game, -1 for none. nullptr: none.
    int (*hiscore_row)() = nullptr;
    // The description of the game chosen on the machine itself, shown with
    // the game information. nullptr: none.
    const char* (*game_text)() = nullptr;
    // Brings the DIP-switch window's gadgets in line with the machine's
    // switches after a load. nullptr: the machine has no switches.
    void (*sync_dips)() = nullptr;
    // Where the guest's interrupt routine starts, for the disassembler to
    // follow; -1 for none. nullptr: none.
    i32 (*interrupt_entry)() = nullptr;
    // Where the machine's monitor program starts, for the command that jumps
    // there. nullptr: the processor stays where it is.
    i32 (*bios_entry)() = nullptr;
    // Whether the guest reads the host keyboard as its own typewriter
    // keyboard, with the current options. nullptr: it does not.
    bool (*typed_keyboard)() = nullptr;
    // The game keypad's keys for the current memory map (the keypad's digit
    // keys always count). nullptr: none.
    KeypadKeys (*keypad_keys)() = nullptr;
    // The character code of the guest's text for the current memory map, for
    // the debugger's character literals and tables. nullptr: ASCII.
    GuestChars (*guest_chars)() = nullptr;
    // Where LED digit `digit` is drawn in the frame. nullptr: the machine
    // draws no LED digits into the frame.
    LedDigitPlace (*led_digit_place)(int digit) = nullptr;
    // Older save-state versions still read, besides the machine's own:
    // first..last, none when first is 0.
    u8 old_states_first = 0;
    u8 old_states_last = 0;
    // Suffix given to a file saved for this machine.
    const char* save_suffix = ".bin";
    // Suffix of the object file the assembler writes for this machine.
    const char* object_suffix = ".bin";
    // The start address the assembler gives an object file whose source
    // names none.
    u16 asm_start = 0x0000;
    // The machine's own sound voices in a voice update, after its PVIs'.
    // nullptr: none beyond the PVIs' and the beeps.
    void (*sound_voices)() = nullptr;
    // Voice 0's frequency in Hz at pitch value p. nullptr: a PVI's divider
    // (the retune table's note with "retune" on).
    float (*tone_frequency)(u16 p) = nullptr;
    // The terminal's ink and paper colours for the current options.
    // nullptr: paper 8, the ink as it was.
    void (*text_colours)(u8* ink, u8* paper) = nullptr;
    // Whether the whole frame takes the paper colour when the palette changes.
    bool frame_takes_paper = false;
    // The visible window of a w x h frame with the current options.
    // nullptr: the whole frame, from raster position (0, 0).
    DisplayWindow (*display_window)(i32 w, i32 h) = nullptr;
    // Repaints the fixed areas of the w x h frame (text background, LED
    // strip, blanking). nullptr: the machine has none.
    void (*reset_frame)(i32 w, i32 h) = nullptr;
    // Maps a cell of the LED digits to the panel cells. nullptr: no panel.
    void (*led_panel_cell)(i32 x, i32 y, u32 colour) = nullptr;
    // Sets the LED panel's size and place in the controls window.
    // nullptr: no panel (size and place 0).
    void (*led_panel_geometry)() = nullptr;
    // The beam marker for the beam at (clock, line); false: none now.
    // nullptr: the machine has no beam marker.
    bool (*beam_marker)(i32 clock, i32 line, bool tracing, BeamLine* out) = nullptr;
    // ---- debugger and assembler ----
    // Shows the machine's own VIEW `word` ("PSG", "SCRN"...). nullptr: none.
    ViewShown (*debug_view)(const char* word) = nullptr;
    // The object file the debugger's SAVE writes. nullptr: a Signetics
    // absolute object file (".aof", 30 bytes a block).
    const ObjectFormat* object_format = nullptr;
    // What the monitor notes of an address in a listing are looked up by.
    // nullptr: the address itself.
    u32 (*listing_note_key)(u32 address) = nullptr;
    // An entry of every program that the disassembler follows besides 0 and
    // the interrupt's; -1 for none.
    i32 program_entry = -1;
    // The processor starts at 0: the disassembler names code there BOOT.
    bool boots_at_zero = true;
    // The binary object file the assembler writes leaves out the addresses
    // object_gap_start up to object_gap_end when the code goes beyond them;
    // equal bounds: no gap.
    u16 object_gap_start = 0;
    u16 object_gap_end = 0;
    // ---- commands ----
    // The debugger command the object-file item of the Debug menu starts.
    const char* object_save_command = "SAVEAOF ";
    // The debugger command the disk-file item of the Debug menu starts.
    // nullptr: the item does nothing.
    const char* disk_save_command = nullptr;
    // Whether VIEW BIOS has a monitor to list with the current options.
    // nullptr: it never has.
    bool (*bios_view)() = nullptr;
    // Whether the monitor has a power-on self-test with the current options.
    // nullptr: it has none.
    bool (*self_test)() = nullptr;
    // Whether the display has blanking areas to show with the current options.
    // nullptr: it has none.
    bool (*blanking_areas)() = nullptr;
    // Whether the guest takes lowercase typed input with the current options.
    // nullptr: it never does.
    bool (*lowercase_input)() = nullptr;
    // Whether the screen may erase deleted characters with the current options.
    // nullptr: it never does.
    bool (*erase_deleted)() = nullptr;
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
    // ---- input and interface ----
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

    // ---- frames, loading, states, display and sound ----
    // The games-database row of the built-in program a fresh machine starts
    // with under "stubprograms"; -1: none.
    i32 stub_game = -1;
    // Sets the paddle range in the machine's row for games-database row
    // `game` (-1: no known game). nullptr: the row's range stays.
    void (*paddle_range)(i32 game) = nullptr;
    // The file name a new game of memory map `map` is saved under.
    // nullptr: none.
    const char* (*game_file_name)(u32 map) = nullptr;
    // The game information's language field where the memory map is the
    // game. nullptr: "n/a".
    const char* program_kind = nullptr;
    // Why the machine refuses the image of a known game that is `size` bytes
    // long (the warning shown). nullptr: every image is taken.
    const char* (*image_refused)(const KnownGame& row, u32 size) = nullptr;
    // Types what starts a known program just loaded from a file of `kind`
    // (KIND_BIN, KIND_AOF) written in `language`. nullptr: nothing.
    void (*run_loaded)(int kind, u8 language) = nullptr;
    // Around the common part of a save state: before one is written, after
    // one was read in. nullptr: nothing.
    void (*before_state_save)() = nullptr;
    void (*after_state_load)() = nullptr;
    // The digit a character on the screen shows in a score, any value
    // outside 0-9 for none. nullptr: the machine shows no scores.
    int (*score_digit)(u8 c) = nullptr;
    // The running game's score where the machine keeps it itself.
    // nullptr: the score is read off the screen.
    u32 (*own_score)() = nullptr;
    // Sets `row`'s frame size, and the current machine's text geometry when
    // `current`, for the current options; called for every machine.
    // nullptr: the size is fixed.
    void (*display_geometry)(MachineLive& row, bool current) = nullptr;
    // Segment patterns of the hex digits 0-F a written LED digit shows.
    // nullptr: the guest writes the segments themselves.
    const u8* led_font = nullptr;
    // Voice 0's volume while a PVI plays its tone. nullptr: 15.
    u8 (*tone_volume)() = nullptr;
    // Voice 1-15's frequency in Hz at pitch value p, below 0 for the
    // framework's. nullptr: the framework's.
    float (*voice_frequency)(int voice, u16 p) = nullptr;
    // Whether the noise-burst latch starts from bit 4 of the sound register
    // at $1E80 after a reset or a state load. nullptr: it starts clear.
    bool (*noise_latch_follows)() = nullptr;
    // The game list's small picture of memory map `map`. nullptr: the
    // machine's picture.
    u32 (*map_picture)(u32 map) = nullptr;
};

// The row of machine `m` (the current machine's row when m is out of range is
// never returned: out-of-range numbers get the row of defaults).
const MachineOps& machine_ops(u32 m);

// The row of the current machine.
inline const MachineOps& machine_row() {
    return machine_ops(machine);
}
