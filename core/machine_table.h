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

// How scanlines look on a machine's display.
enum class ScanlineStyle : u8 {
    ROWS, // every other host row of a scaled picture dark
    NONE, // never (LED-only displays)
    GRID, // a grid of dark rows and columns over the whole picture
};

// The floppy image files a machine's drives take.
enum class DiskImages : u8 {
    NONE,
    RAW,  // sector dumps (RAW)
    TWIN, // the TWIN's own images (IMG, TWIN)
};

// The layout of a machine's floppy disks: geometry and disk system
// (peripherals/floppy.h gives each one's shape).
enum class DiskLayout : u8 {
    NONE,
    BINBUG, // 40 tracks of 10 sectors of 256 bytes, sectors from 1
    TWIN,   // 77 tracks of 32 sectors of 128 bytes, sectors from 0; 1 KB clusters
    CD2650, // 35 tracks of 9 sectors of 256 bytes, sectors from 1
};

// What a machine is and has, asked by everything outside the machines instead
// of testing machine numbers. Grouped by the part of the program that asks.
struct MachineTraits {
    // ---- processor and timing ----
    bool no_processor = false; // the ball-and-paddle chips and the Type-right
    bool console_raster = false; // Arcadia and PVI consoles: 227-clock raster lines drawn by the beam
    bool raster_timed = false;   // a raster display timed in clocks beside a processor (BINBUG, CD2650, PHUNSY)
    bool keeps_region = false;   // switching to it keeps the chosen video standard, else its row's
    i32 line_clocks = 0;         // raster line length an unknown game starts with; 0: left as it is
    double longest_frame = 0.0;  // clock periods of its longest frame in any mode; 0: its row's
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
    // The port latch bit that switches that reader on; with reader_bit_clears
    // every character read switches it off again.
    u16 reader_port = 256;
    u8 reader_bit = 0x80;
    bool reader_bit_clears = false;
    u8 console_click_frames[4] = {5, 5, 5, 5}; // frames a click holds each console button down
    CatalogText console_names[4] = {};         // localised button labels; number 0: as the table
    // ---- display and sound ----
    bool led_strip_optional = false; // its LED strip is in the frame only with "showleds"
    bool slanted_leds = false;       // LED digits lean right, the decimal point further out
    i32 led_points = 13;             // digits from the first that have a decimal point
    ScanlineStyle scanlines = ScanlineStyle::ROWS;
    u8 volume_bits = 3; // bits of a guest tone volume (3: higher values play at full volume)
    // ---- devices ----
    // ---- debugger ----
    bool board_interrupt = false; // besides any PVI, the board interrupts the processor
    bool os_symbols = false;      // the disk system's label, comment and note rows name addresses
    bool code_in_rom = false;     // assembled code belongs in ROM: the assembler warns outside it
    // ---- interface ----
    HiscorePage hiscore_page = HiscorePage::NONE; // the high-score window's page
    // ---- games, files and states ----
    bool takes_bin = false;      // runs BIN images of games the database does not know
    bool takes_aof = false;      // runs AOF programs the database does not know
    bool game_rows = false;      // the games database lists its programs; a state names one
    bool maps_are_games = false; // each memory map is one game (no game files)
    bool scans_hiscores = false; // the high-score table follows the game's score every frame
    bool keeps_swap = false;     // a game's settings leave the controller swap as it is
    i32 idle_start_address = -1; // start address a state records with no file loaded; -1: the last
    i32 state_led_bytes = 8;     // LED digit bytes of a save state
    bool cassette = false;       // a cassette interface (WAV, 8SVX, AIFF tapes)
    bool mdcr = false;           // a mini digital cassette recorder (MDCR tapes)
    DiskImages disk_images = DiskImages::NONE;
    DiskLayout disk_layout = DiskLayout::NONE;
    // ---- menus ----
    bool netplay = false; // two copies can play one game over the network
    // What the menu items need:
    bool jump_to_bios = false;   // Jump to BIOS: a monitor the menu jumps into
    bool screen_text = false;    // the screen reads as text: ASCII text export, Copy text
    bool console_screen = false; // a console's video-chip screen: ASM export, Dejitter, Multiplex
    bool screen_editing = false; // the Screen item edits the guest's screen
    bool uvi = false;            // a 2637 UVI: the video-chip items, Flag line emulation
    bool text_screen = false; // a text screen typed on from a keyboard: Paste text, Inverse video
    bool tvc_files = false;   // SAVETVC writes the machine's tape files
    bool dos_errors = false;  // ERROR explains the disk operating system's error numbers
    bool basic_view = false;  // VIEW BASIC lists a BASIC program
    bool screen_view = false; // VIEW SCRN dumps the screen
    bool udg_characters = false;     // user-defined, flashing characters: VIEW UDG, Invert flashed
    bool bios_log = false;           // L B logs the monitor's calls
    bool raise_interrupt = false;    // GI raises an interrupt, besides on the PVI machines
    bool cpu_monitor = false;        // the CPU monitor window
    bool musical_keyboard = false;   // the musical keyboard window, besides the video-chip machines
    bool controls_window = false;    // the Controls window
    bool instruments = false;        // industrial and scientific instruments on the serial port
    bool has_papertape = false;      // papertape units
    bool has_printer = false;        // printers
    bool cartridge_console = false;  // a cartridge console: Artefacts, Use stub programs
    bool pvi_console = false;        // a PVI console: Darken backgrounds, DRAW 4 (DMA writes)
    bool echo_console = false;       // its serial I/O may be echoed to the console
    bool randomize_memory = false;   // memory may start random
    bool blinking_cursor = false;    // a cursor that may blink
    bool fill_intersections = false; // the display may fill the intersections of its dots
    bool unlit_leds = false;         // LEDs that may be drawn unlit
    bool show_leds = false;          // LEDs that may be shown or hidden
    bool analog_guest = false;       // the guest's controllers may be analog
    bool show_positions = false;     // the controller positions may be shown
    bool paddles = false;            // analog paddles: Spring-loaded, Sensitivity
    bool pad_controllers = false;    // host pads and mice as controllers, besides the PVI machines
    bool redefine_keys = false;      // the guest keys may be redefined
    bool queue_keystrokes = false;   // typed keys may be queued
    bool ambient_sounds = false;     // ambient sounds of the devices and cabinet
    bool retune = false;             // tones that may be retuned, besides the video-chip machines
    bool sprites = false;        // sprites and collisions besides the PVI machines: Collisions, SPR
    bool trainer_lives = false;  // trainers: infinite lives, invincibility
    bool trainer_time = false;   // trainers: infinite time; the Trainers sub-menu follows it
    bool debug_graphics = false; // the debugger's Graphics sub-menu, DRAW 0 and 1
    bool draw_tables = false;    // DRAW 2 and 3: collision, CHARLINE or DMA tables, grids
    bool pixel_based = false;    // frame/line-based or pixel-based emulation may be chosen
    bool keyboard_layouts = false; // the terminal's keyboard layouts
    bool region_choice = false;    // NTSC or PAL may be chosen, and the display size follows
    // Inclusive ranges of checkable menu ids, none when last < first:
    i32 bios_first = 0, bios_last = -1; // the monitors it may run
    i32 dos_first = 0, dos_last = -1;   // its disk operating systems
    i32 vdu_first = 0, vdu_last = -1;   // its video display units
};

// The part of a machine's row that its set-up, its options and the games
// change while the program runs: machine_live[m] starts as machine_table[m].start
// and goes back to it on every full reset.
struct MachineLive {
    i32 width;               // guest display width; 0 until the display geometry sets it
    i32 height;              // guest display height; same rule
    i32 first_label_row;     // built-in label rows, -1 = none
    i32 last_label_row;
    i32 controls_keys;       // guest keys drawn on the controls panel
    double clocks_per_frame; // 2650 clock periods per frame (1.0 without a processor)
    i32 pvi_count;           // 2636 PVI chips
    u8 paddle_min;           // lowest paddle value
    u8 paddle_centre;        // paddle value after every reset
    u8 paddle_max;           // highest paddle value
    i32 first_comment_row;   // address-comment rows that mark addresses, -1 = none
    i32 last_comment_row;
    i32 first_note_row;      // address-note rows the disassembler lists, -1 = none
    i32 last_note_row;
    const char* console_labels[4]; // "-" = button absent; localised at start-up
    // Guest key labels the set-up gave, per player (nullptr: the table's).
    const char* key_labels[2][KEYPAD_KEYS] = {};
};

struct MachineDesc {
    const char* keyword;    // "ARCADIA" .. "TYPERIGHT"
    i32 default_memmap;     // map of a game of this machine that no database row names
    i32 default_region;     // video standard: 0 = 60 Hz, 1 = 50 Hz
    double refresh_rate[2]; // frames per second in standard 0 and 1; 0 = never runs so
    i32 default_stretch;    // horizontal stretch 1 or 2
    u8 read_once_value;     // value a read-once register takes after each read
    u8 state_version;       // byte 1 of every save state of this machine
    i32 pixels_per_clock;   // for the debugger's "pixels" time unit
    i32 led_digits;         // seven-segment digits of the LED display
    i32 first_pvi_base;     // guest address of the first PVI, 0 = none
    u8 coinop;              // Zaccaria and Malzak boards
    i32 console_images[4];  // speedbar image of each console button
    i32 first_hiscore_row;  // -1 = none
    i32 hiscore_rows;
    u8 swappable;                 // left and right controllers may be swapped
    i32 disk_image_bytes;         // one floppy image; 0 = no disks
    i32 drives;                   // floppy drives used
    const char* const* left_keys; // KEYPAD_KEYS labels, "-----" = key absent; null = no keypad
    const char* const* right_keys;
    MachineLive start; // the live fields as a run starts
    MachineTraits traits;
};

// What the board of one memory map has, where it differs between the games
// of one machine.
struct MemmapTraits {
    // ---- menus ----
    bool psg = false;             // AY-3-8910 PSGs: the PSG monitor, PSG and YM sound files
    bool psg_view = false;        // VIEW PSG dumps its PSGs or tone units
    bool dip_switches = false;    // the DIP switches window
    bool autofire = false;        // autofire, besides the PVI machines
    bool force_feedback = false;  // host pads may rumble
    bool second_joystick = false; // the right controller may be the second digital joystick
    bool skip_level = false;      // the Skip level trainer
    bool tone_units = false;      // tone units: pitches are tone numbers of the bass and treble units
    bool four_paddles = false;    // four bats: the video monitor's paddle picture draws all four
    // ---- game information ----
    bool fire_keys_left_only = false; // the fire buttons' keys are marked on the left keypad only
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
    i32 picture;                         // the console's picture row when a game names none; 0 none
    std::array<u8, SOUND_VOICES> sounds; // tone voices 0-15, then the ten effects
    MemmapTraits traits;
};

extern const MachineDesc machine_table[MACHINES];
extern const MemmapDesc memmap_table[MEMMAPS];
extern MachineLive machine_live[MACHINES];

// The current machine's row number: a bounds check, the first row while no
// machine is set up.
inline u32 machine_row_index() {
    return machine < MACHINES ? machine : 0;
}
// The current machine's row.
inline const MachineDesc& machine_desc() {
    return machine_table[machine_row_index()];
}
// The live fields of the current machine's row.
inline MachineLive& machine_live_row() {
    return machine_live[machine_row_index()];
}
// What the current machine is and has.
inline const MachineTraits& machine_traits() {
    return machine_desc().traits;
}
// The current memory map's row (a bounds check: the first row while no map is set).
inline const MemmapDesc& memmap_desc() {
    return memmap_table[memmap < MEMMAPS ? memmap : 0];
}

// The sounds a memory map makes: the flags set in its row's `sounds`.
int memmap_sound_count(u32 map);

// True for the rows that nothing may select (17 and 18).
inline bool memmap_is_empty(u32 map) {
    return map >= MEMMAPS || memmap_table[map].name[0] == 0;
}

// Every machine's live fields back to their start-up values.
void machine_table_reset();
