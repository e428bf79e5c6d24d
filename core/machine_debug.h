// The debugger's and the assembler's row of a machine (see core/machine_ops.h):
// the processor's debugger hooks, entry points, the guest's character literals,
// the machine's own views and object files.
#pragma once

#include "core/machine_ops.h"

#include <cstddef>
#include <string>

struct CpuDebugHooks;
struct CpuState;

// The video-chip registers whose use the coverage report lists: a title line
// and the registers with their coverage bits, in the order printed.
struct ChipCoverage {
    const char* title = nullptr; // "UVI accesses:\n"; nullptr: the machine has none
    int count = 0;
    u32 address[32] = {};
    u8 bit[32] = {};
};

// A row of the debugger's built-in label table that a machine names: the
// row number in the table's layout, the address (for the PVI rows an offset
// from the first PVI's base), the name and the kind ('C' code, 'D' data).
struct BuiltinLabel {
    i32 row;
    u16 address;
    const char* name;
    u8 kind;
};
// A run of such rows.
struct BuiltinLabels {
    const BuiltinLabel* rows;
    u32 count;
};
template <std::size_t N> constexpr BuiltinLabels builtin_labels(const BuiltinLabel (&rows)[N]) {
    return {rows, static_cast<u32>(N)};
}
constexpr int MACHINE_LABEL_SETS = 3;

// What a machine did with a word of the debugger's VIEW command.
enum class ViewShown : u8 {
    NONE,    // it has no view of that name
    SHOWN,   // it printed the view
    UNBUILT, // it has what the view shows, but no dump of it is built yet
};

// A kind of object file the debugger's SAVE writes: the suffix, the default
// bytes per block, and the writer (1 when the file was written). With `data`
// the assembler writes it too: the file's bytes, empty when the range does
// not fit one.
struct ObjectFormat {
    const char* suffix;
    u32 block_size;
    int (*save)(const char* name, u32 first, u32 last, u32 start, u32 block_size);
    std::string (*data)(u32 first, u32 last, u32 start) = nullptr;
};

// The glyphs of a machine's video hardware that the sprite editor shows: its
// sprites, and the user-defined and predefined graphics of its character
// generators. A glyph is a column of row bytes, row 0 at the top, bit 7 the
// leftmost pixel (of six-pixel rows, bit 5).
struct GlyphSet {
    int (*count)();   // glyphs on the memory map as it is set up
    int first;        // the glyph shown when none has been chosen
    u8 columns, rows; // pixels a row; rows a glyph
    u8 unlit;         // guest colour of unlit pixels
    bool palette;     // sprite colours are picked from a palette
    int slider_ticks; // tick marks of the glyph slider (0: one a glyph)
    const char* help_node;
    // Guest address of row r of glyph n; -1 when the row is the character
    // generator's (shown, not edited).
    i32 (*row_address)(int n, int r);
    // Row r of glyph n in the character generator (rows without an address).
    u8 (*generator_row)(int n, int r);
    // The guest colour of glyph n's lit pixels; *has_colour tells whether the
    // glyph has a colour register (the palette picks it).
    u8 (*colour)(int n, bool* has_colour);
    // Writes palette colour `colour` (0-7) into glyph n's colour register:
    // the register value written, -1 when the glyph has none.
    int (*set_colour)(int n, int colour);
    // The glyph's name, as the editor shows it.
    void (*name)(int n, char* out, std::size_t size);
};

// The error texts of a guest disk system, by error number (entry 0 unused).
struct DosErrors {
    const char* const* texts;
    int count; // entries, entry 0 among them
};

// What the video-chip monitor shows of a machine besides the panels of its
// PVIs (machine_live's pvi_count): its own chip and console registers and
// where the paddle picture goes.
enum class VideoMonitor : u8 {
    NONE,         // nothing of its own: a PVI board shows its PVIs alone
    UVI,          // the UVI's registers; below, the paddles beside the UVI's RAM
    PVI_CONSOLE,  // the console registers; below, the paddles beside the PVI's RAM
    PVI_CASSETTE, // the console and cassette registers; the paddles to the right
    PADDLES,      // the paddle picture alone
};

struct MachineDebug {
    // What the processor's reports and the disassembler ask of the board; the
    // machine switch points cpu_debug_hooks at it. nullptr: the defaults.
    const CpuDebugHooks* hooks = nullptr;
    // The rows of the built-in label table that name this machine's hardware,
    // its monitors and its chips' registers (several machines may give the
    // same rows); which of them the debugger consults follows the machine's
    // label range and its PVI count.
    const BuiltinLabels* label_sets[MACHINE_LABEL_SETS] = {};
    // Where the guest's interrupt routine starts, for the disassembler to
    // follow; -1 for none. nullptr: none.
    i32 (*interrupt_entry)() = nullptr;
    // Where the machine's monitor program starts, for the command that jumps
    // there. nullptr: the processor stays where it is.
    i32 (*bios_entry)() = nullptr;
    // The last raster line of the frame the board runs, as the video standard
    // and the emulation mode now make it: "R R" wraps after it to line 0, and
    // "R <line>" refuses a line past it. nullptr: line 311.
    i32 (*last_raster_line)() = nullptr;
    // How many character codes, from 0 up, the debugger's character literals
    // search on the current memory map for the character they name, through
    // the board's guest_char hook; 0 when the map's character set is unknown
    // (no literal reads). nullptr: the guest's text is ASCII and a literal is
    // its own code.
    u32 (*literal_codes)() = nullptr;
    // Shows the machine's own VIEW `word` ("PSG", "SCRN"...). nullptr: none.
    ViewShown (*debug_view)(const char* word) = nullptr;
    // Whether VIEW BIOS has a monitor to list with the current options.
    // nullptr: it never has.
    bool (*bios_view)() = nullptr;
    // The meaning of hardware register `address` as it stands, as lines of
    // text without a final line end, for the debugger's "=": false when the
    // machine has no description of that address. nullptr: none.
    bool (*describe_register)(u32 address, std::string* out) = nullptr;
    // The character code a byte of guest text holds (colour or attribute bits
    // masked off), for FIND and the text it prints. nullptr: the byte itself.
    u8 (*text_code)(u8 byte) = nullptr;
    // Whether a text code is a letter of the guest's character set, for the
    // text listing of FIND. nullptr: none is.
    bool (*text_letter)(u8 code) = nullptr;
    // The error texts that the debugger's ERROR shows with the current
    // options; nullptr (or a null result): the machine has none.
    const DosErrors* (*dos_errors)() = nullptr;
    // Called when draw_mode changed (DRAW, a machine switch). nullptr: the
    // machine reads draw_mode as it draws.
    void (*draw_mode_changed)() = nullptr;
    // The screen editor's key: host raw `code`, true when the editor used it.
    // nullptr: the machine has no editor of its own (keys reach the guest).
    bool (*edit_key)(u32 code) = nullptr;
    // Keeps the screen editor's cursor inside screen memory. nullptr: the
    // machine's screen cannot be edited, and the editor switches itself off.
    void (*edit_clamp)() = nullptr;
    // The guest's memory holds no text to search: FIND's text forms refuse.
    bool no_text_search = false;
    // Words that DOKE and the edit prompt read and write low byte first, from
    // word_low_first to word_low_last inclusive; equal bounds: none.
    u16 word_low_first = 0;
    u16 word_low_last = 0;
    // What the monitor notes of an address in a listing are looked up by.
    // nullptr: the address itself.
    u32 (*listing_note_key)(u32 address) = nullptr;
    // An entry of every program that the disassembler follows besides 0 and
    // the interrupt's; -1 for none.
    i32 program_entry = -1;
    // The processor starts at 0: the disassembler names code there BOOT.
    bool boots_at_zero = true;
    // The object file the debugger's SAVE writes. nullptr: a Signetics
    // absolute object file (".aof", 30 bytes a block).
    const ObjectFormat* object_format = nullptr;
    // The debugger command the object-file item of the Debug menu starts.
    const char* object_save_command = "SAVEAOF ";
    // The debugger command the disk-file item of the Debug menu starts.
    // nullptr: the item does nothing.
    const char* disk_save_command = nullptr;
    // Prints, through con_printf, the assembler source that rebuilds the
    // screen (its origin, a boot block and the data; File > Save screen >
    // ASM...). nullptr: only the equates and END are written.
    void (*screen_source)() = nullptr;
    // The program file of the machine's disk system that SAVECMD, SAVEIMAG
    // and SAVEMOD write (its block size unused), and the one of those words
    // that names it. nullptr: the commands fail.
    const ObjectFormat* disk_program = nullptr;
    const char* disk_program_word = nullptr;
    // Suffix of the object file the assembler writes for this machine: a kind
    // the machine opens again with the program where it was assembled (".aof"
    // only where it takes AOF programs, ".bin" only where a binary image is
    // put from $0000; its disk program's suffix writes that file's `data`;
    // ".hex" opens on every machine).
    const char* object_suffix = ".bin";
    // The start address the assembler gives an object file whose source
    // names none.
    u16 asm_start = 0x0000;
    // The binary object file the assembler writes leaves out the addresses
    // object_gap_start up to object_gap_end when the code goes beyond them;
    // equal bounds: no gap.
    u16 object_gap_start = 0;
    u16 object_gap_end = 0;
    // The glyphs the sprite editor shows. nullptr: the machine has none.
    const GlyphSet* glyphs = nullptr;
    // ---- inspection windows ----
    // The video monitor's register rows of the machine's own (mon_reg_table
    // rows), beyond those of its PVIs; -1: none.
    i16 video_rows_first = -1;
    i16 video_rows_last = -1;
    // The video monitor's panels of the machine's own.
    VideoMonitor video_monitor = VideoMonitor::NONE;
    // The paddle picture counts the first two paddles as near when their ends
    // come close to the second pair of bats too (on the centre column).
    bool paddle_bats_near = false;
    // The chip registers of the coverage report. nullptr: none.
    void (*chip_coverage)(ChipCoverage* out) = nullptr;
    // A second processor board: the context parked while the other runs, and
    // which board runs (0 the first, 1 the second). nullptr: one processor.
    const CpuState* (*parked_cpu)(int* running) = nullptr;
};

// Letters of ASCII text, for the rows' text_letter.
inline bool debug_ascii_letter(u8 c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
// Text bytes whose bit 7 is no part of the character, for the rows' text_code.
inline u8 debug_seven_bits(u8 c) {
    return static_cast<u8>(c & 127);
}

// The debugger's row of machine `m`, and of the current machine.
inline const MachineDebug& machine_debug(u32 m) {
    return *machine_entry(m).debug;
}
inline const MachineDebug& machine_debug() {
    return machine_debug(machine);
}
