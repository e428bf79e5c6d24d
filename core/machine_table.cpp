#include "core/machine_table.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <utility>

namespace {

struct Span {
    int lo, hi;
};
constexpr Span one(int n) {
    return {n, n};
}

template <std::size_t N> constexpr std::array<u8, N> flag_set(std::initializer_list<Span> spans) {
    std::array<u8, N> f{};
    for (Span s : spans)
        for (int i = s.lo; i <= s.hi; i++)
            f[static_cast<std::size_t>(i)] = 1;
    return f;
}

constexpr std::array<u8, GUEST_KEYS> keys(std::initializer_list<Span> spans) {
    return flag_set<GUEST_KEYS>(spans);
}

// Tone voices as spans, then the sampled effects one by one.
constexpr std::array<u8, SOUND_VOICES> sounds(std::initializer_list<Span> tones,
                                              std::initializer_list<int> effects) {
    auto f = flag_set<SOUND_VOICES>(tones);
    for (int e : effects)
        f[static_cast<std::size_t>(e)] = 1;
    return f;
}

// Keypad labels. Key order: fire 1, the twelve keypad keys in reading order,
// four extra keys, Up, Down, Left, Right, fires 2-4, then the four diagonals.
#define DIRECTIONS "Up", "Dn", "Lt", "Rt", "2nd", "3rd", "4th", "UpLt", "UpRt", "DnLt", "DnRt"
#define NO4 "-----", "-----", "-----", "-----"
#define NO15 NO4, NO4, NO4, "-----", "-----", "-----"

const char* const console_keypad[KEYPAD_KEYS] = {"1st", "1",  "2",  "3",  "4",  "5",
                                                 "6",   "7",  "8",  "9",  "Cl", "0",
                                                 "En",  "x1", "x2", "x3", "x4", DIRECTIONS};
const char* const elektor_left[KEYPAD_KEYS] = {
    "1st", "RCAS", "WCAS", "C", "BP", "REG", "8", "PC", "MEM", "4", "-", "+", "0", NO4, DIRECTIONS};
const char* const elektor_right[KEYPAD_KEYS] = {"1st", "D", "E", "F", "9", "A", "B",       "5",
                                                "6",   "7", "1", "2", "3", NO4, DIRECTIONS};
const char* const no_keys[KEYPAD_KEYS] = {NO4, NO4, NO4, NO4, NO4, NO4, NO4};
const char* const si50_left[KEYPAD_KEYS] = {"-----", "WCAS", "BKPT", "C",   "RCAS", "REG", "8",
                                            "STEP",  "MEM",  "4",    "RUN", "NXT",  "0",   NO15};
const char* const si50_right[KEYPAD_KEYS] = {"-----", "D", "E", "F", "9", "A", "B",
                                             "5",     "6", "7", "1", "2", "3", NO15};
const char* const phunsy_left[KEYPAD_KEYS] = {"-----", "0", "4", "8", "1", "5", "9",
                                              "2",     "6", "A", "3", "7", "B", NO15};
const char* const phunsy_right[KEYPAD_KEYS] = {"-----", "C",     "D->M",  "RESET", "D",
                                               "M->D",  "HALT",  "E",     "GO TO", "DUMPC",
                                               "F",     "CLEAR", "LOADC", NO15};
const char* const selbst_left[KEYPAD_KEYS] = {"-----", "C", "D", "E", "8", "9", "A",
                                              "4",     "5", "6", "0", "1", "2", NO15};
const char* const selbst_right[KEYPAD_KEYS] = {"-----", "F",    "CMD", "FLAG", "B",   "RUN", "MON",
                                               "7",     "GOTO", "PC",  "3",    "RST", "NXT", NO15};
const char* const mikit_left[KEYPAD_KEYS] = {"-----", "BLANK", "R", "C", "+", "G", "8",
                                             "H",     "P",     "4", "L", "S", "0", NO15};
// The ball-and-paddle machine: keypad keys 5 and 8 move the side's second
// bat (players 3 and 4); the stick and its fire buttons play the first.
const char* const pong_left[KEYPAD_KEYS] = {"1st", "-----", "-----", "-----", "-----", "P3 Up",
                                            "-----", "-----", "P3 Dn", "-----", "-----", "-----",
                                            "-----", NO4, DIRECTIONS};
const char* const pong_right[KEYPAD_KEYS] = {"1st", "-----", "-----", "-----", "-----", "P4 Up",
                                             "-----", "-----", "P4 Dn", "-----", "-----", "-----",
                                             "-----", NO4, DIRECTIONS};

#undef DIRECTIONS
#undef NO4
#undef NO15


} // namespace

// clang-format off
constexpr MachineDesc machine_table[MACHINES] = {
    // keyword, memmap, region, rates, stretch, read-once, version, pixels/clock, LEDs,
    // PVI base, coin-op, console images, high scores, swappable, disk bytes,
    // drives, keypads,
    // {width, height, labels, controls keys, clocks, PVIs, paddle min/centre/max,
    //  comments, notes, console buttons} as a run starts, then the traits
    {"ARCADIA", 6, 0, {60.1867202475031, 50.0804105952784}, 2, 255, 38, 4, 0,
     0, 0, {74, 75, 76, 77}, 0, 52, 1, 0, 0, console_keypad, console_keypad,
     {0, 0, 0, 29, 50, 0.0, 0, 1, 112, 254,
      -1, -1, 355, 382, {"START", "A", "B", "-"}},
     {.console_raster = true, .keeps_region = true, .line_clocks = 227, .longest_frame = 17706.0,
      .console_names = {{666, "START"}}, .code_in_rom = true,
      .hiscore_page = HiscorePage::GAME_LIST, .takes_bin = true, .game_rows = true,
      .scans_hiscores = true, .netplay = true, .screen_text = true, .console_screen = true,
      .screen_editing = true, .uvi = true, .screen_view = true, .cpu_monitor = true,
      .controls_window = true, .cartridge_console = true, .randomize_memory = true,
      .analog_guest = true, .paddles = true, .pad_controllers = true, .redefine_keys = true,
      .sprites = true, .trainer_lives = true, .trainer_time = true, .debug_graphics = true,
      .draw_tables = true, .pixel_based = true, .region_choice = true}},
    {"INTERTON", 3, 1, {0.0, 50.0804105952784}, 2, 0, 38, 4, 0,
     0x1F00, 0, {74, 75, 76, 77}, -1, 0, 1, 0, 0, console_keypad, console_keypad,
     {0, 0, 30, 37, 42, 0.0, 1, 1, 112, 225,
      -1, -1, 98, 120, {"START", "SELECT", "-", "-"}},
     {.console_raster = true, .line_clocks = 227, .longest_frame = 17706.0,
      .console_names = {{666, "START"}, {669, "SELECT"}}, .volume_bits = 4, .code_in_rom = true,
      .takes_bin = true, .game_rows = true, .netplay = true, .console_screen = true,
      .screen_editing = true, .screen_view = true, .cpu_monitor = true, .controls_window = true,
      .cartridge_console = true, .pvi_console = true, .randomize_memory = true,
      .fill_intersections = true, .analog_guest = true, .paddles = true, .redefine_keys = true,
      .trainer_lives = true, .trainer_time = true, .debug_graphics = true, .draw_tables = true}},
    {"ELEKTOR", 5, 1, {0.0, 50.0804105952784}, 2, 0, 38, 4, 0,
     0x1F00, 0, {74, 83, 84, 77}, -1, 0, 1, 0, 0, elektor_left, elektor_right,
     {0, 0, -1, -1, 36, 0.0, 1, 1, 111, 225,
      -1, -1, -1, -1, {"START", "UC", "LC", "RESET"}},
     {.console_raster = true, .line_clocks = 226, .longest_frame = 17706.0,
      .console_click_frames = {24, 24, 5, 5},
      .console_names = {{666, "START"}, {}, {}, {671, "RESET"}}, .volume_bits = 4,
      .game_rows = true, .cassette = true, .netplay = true, .jump_to_bios = true,
      .screen_text = true, .console_screen = true, .screen_editing = true, .tvc_files = true,
      .screen_view = true, .bios_log = true, .cpu_monitor = true, .controls_window = true,
      .pvi_console = true, .fill_intersections = true, .analog_guest = true, .paddles = true,
      .redefine_keys = true, .trainer_lives = true, .trainer_time = true, .debug_graphics = true,
      .draw_tables = true, .bios_first = 55, .bios_last = 56}},
    {"PIPBUG", 9, 1, {0.0, 50.0}, 1, 0, 42, 0, 4,
     0, 0, {74, 75, 76, 77}, -1, 0, 0, 0, 0, nullptr, nullptr,
     {0, 0, -1, -1, 0, 20000.0, 0, 0, 128, 255,
      -1, -1, -1, -1, {"-", "-", "-", "-"}},
     {.console_reads_tape = true, .led_strip_optional = true, .led_points = 4, .takes_aof = true,
      .game_rows = true, .keeps_swap = true, .state_led_bytes = 13, .cassette = true,
      .jump_to_bios = true, .screen_text = true, .text_screen = true, .basic_view = true,
      .screen_view = true, .bios_log = true, .cpu_monitor = true, .controls_window = true,
      .instruments = true, .has_papertape = true, .has_printer = true, .echo_console = true,
      .blinking_cursor = true, .fill_intersections = true, .unlit_leds = true, .show_leds = true,
      .queue_keystrokes = true, .ambient_sounds = true, .trainer_time = true,
      .debug_graphics = true, .keyboard_layouts = true, .bios_first = 57, .bios_last = 60,
      .vdu_first = 155, .vdu_last = 160}},
    {"BINBUG", 11, 1, {0.0, 50.0}, 1, 0, 45, 0, 0,
     0, 0, {74, 75, 76, 77}, -1, 0, 1, 102400, 2, no_keys, no_keys,
     {0, 0, -1, -1, 16, 20000.0, 0, 0, 128, 255,
      -1, -1, -1, -1, {"-", "-", "-", "-"}},
     {.raster_timed = true, .console_reads_tape = true, .led_strip_optional = true,
      .board_interrupt = true, .os_symbols = true, .takes_aof = true, .game_rows = true,
      .cassette = true, .disk_images = DiskImages::RAW,
      .disk_layout = DiskLayout::BINBUG, .jump_to_bios = true,
      .screen_text = true, .screen_editing = true, .text_screen = true, .screen_view = true,
      .udg_characters = true, .bios_log = true, .cpu_monitor = true,
      .controls_window = true, .has_papertape = true, .has_printer = true, .echo_console = true,
      .unlit_leds = true, .show_leds = true, .analog_guest = true, .paddles = true,
      .pad_controllers = true, .queue_keystrokes = true, .ambient_sounds = true,
      .trainer_time = true, .debug_graphics = true, .pixel_based = true, .keyboard_layouts = true,
      .bios_first = 61, .bios_last = 66, .dos_first = 82, .dos_last = 84}},
    {"INSTRUCTOR", 15, 1, {0.0, 50.0}, 1, 0, 36, 0, 8,
     0, 0, {74, 85, 86, 77}, -1, 0, 0, 0, 0, si50_left, si50_right,
     {280, 64, 530, 782, 32, 17900.0, 0, 0, 0, 0,
      1922, 2692, 305, 354, {"SENS", "INT", "MON", "RST"}},
     {.console_names = {{670, "SENS"}, {}, {}, {672, "RST"}}, .slanted_leds = true,
      .scanlines = ScanlineStyle::NONE, .board_interrupt = true, .takes_bin = true,
      .takes_aof = true, .game_rows = true, .idle_start_address = 0x1800, .cassette = true,
      .jump_to_bios = true, .screen_text = true, .screen_view = true, .bios_log = true,
      .raise_interrupt = true, .cpu_monitor = true, .controls_window = true,
      .randomize_memory = true, .fill_intersections = true, .unlit_leds = true,
      .redefine_keys = true, .queue_keystrokes = true}},
    {"TWIN", 12, 0, {60.0, 0.0}, 1, 0, 41, 0, 0,
     0, 0, {74, 75, 76, 77}, -1, 0, 0, 315392, 2, nullptr, nullptr,
     {0, 0, -1, -1, 55, 20800.0, 0, 0, 0, 0,
      -1, -1, -1, -1, {"-", "-", "-", "-"}},
     {.capitals_only = true, .cursor_keys_escape = true, .repeat_needs_latch = true,
      .ctrl_passes_keys = true, .escape_to_terminal = true, .console_reads_tape = true,
      .reader_port = 0xE9, .reader_bit = 0x01, .reader_bit_clears = true,
      .board_interrupt = true,
      .disk_images = DiskImages::TWIN,
      .disk_layout = DiskLayout::TWIN, .screen_text = true, .text_screen = true,
      .dos_errors = true, .screen_view = true, .bios_log = true, .cpu_monitor = true,
      .controls_window = true, .has_papertape = true,
      .has_printer = true, .blinking_cursor = true, .queue_keystrokes = true,
      .ambient_sounds = true, .debug_graphics = true, .dos_first = 85, .dos_last = 91}},
    {"CD2650", 16, 0, {59.4690265486726, 0.0}, 1, 0, 45, 12, 0,
     0, 0, {74, 75, 76, 77}, -1, 0, 0, 80640, 4, nullptr, nullptr,
     {0, 0, -1, -1, 0, 19888.0, 0, 0, 0, 0,
      -1, -1, -1, -1, {"-", "-", "-", "-"}},
     {.raster_timed = true, .key_input_polled = true, .takes_aof = true, .game_rows = true,
      .cassette = true, .disk_images = DiskImages::RAW,
      .disk_layout = DiskLayout::CD2650, .jump_to_bios = true,
      .screen_text = true, .screen_editing = true, .text_screen = true, .basic_view = true,
      .screen_view = true, .bios_log = true, .cpu_monitor = true, .has_printer = true,
      .queue_keystrokes = true, .ambient_sounds = true, .debug_graphics = true, .pixel_based = true,
      .keyboard_layouts = true, .bios_first = 67, .bios_last = 69, .dos_first = 92, .dos_last = 94,
      .vdu_first = 161, .vdu_last = 163}},
    {"ZACCARIA", 22, 1, {60.0, 50.0}, 1, 0, 34, 0, 0,
     0x1500, 1, {78, 79, 80, 81}, 52, 6, 1, 0, 0, nullptr, nullptr,
     {240, 240, -1, -1, 0, 23608.0, 0, 0, 128, 255,
      -1, -1, -1, -1, {"1UP", "2UP", "Coin A", "Coin B"}},
     {.longest_frame = 23608.0,
      .console_names = {{667, "1UP"}, {668, "2UP"}, {381, "Coin A"}, {382, "Coin B"}},
      .hiscore_page = HiscorePage::COINOP, .maps_are_games = true, .scans_hiscores = true,
      .screen_text = true, .screen_editing = true, .screen_view = true, .cpu_monitor = true,
      .controls_window = true, .ambient_sounds = true, .trainer_lives = true, .trainer_time = true,
      .debug_graphics = true}},
    {"MALZAK", 26, 1, {60.0, 50.0}, 1, 0, 34, 0, 0,
     0x1400, 1, {78, 79, 80, 82}, 52, 6, 1, 0, 0, nullptr, nullptr,
     {240, 240, -1, -1, 11, 0.0, 2, 0, 128, 255,
      -1, -1, 651, 680, {"1UP", "2UP", "Coin", "Switch"}},
     {.longest_frame = 23608.0,
      .console_names = {{667, "1UP"}, {668, "2UP"}, {381, "Coin A"}, {676, "Test switch"}},
      .volume_bits = 4, .hiscore_page = HiscorePage::COINOP, .maps_are_games = true,
      .scans_hiscores = true, .screen_text = true, .screen_view = true, .cpu_monitor = true,
      .controls_window = true, .redefine_keys = true, .ambient_sounds = true, .trainer_lives = true,
      .trainer_time = true, .debug_graphics = true, .draw_tables = true}},
    {"PHUNSY", 19, 1, {0.0, 50.0}, 1, 0, 36, 0, 0,
     0, 0, {74, 75, 76, 77}, -1, 0, 0, 0, 0, phunsy_left, phunsy_right,
     {0, 0, 846, 1298, 24, 20032.0, 0, 0, 0, 0,
      -1, -1, -1, -1, {"-", "-", "-", "-"}},
     {.raster_timed = true, .led_strip_optional = true, .board_interrupt = true, .takes_bin = true,
      .game_rows = true, .cassette = true, .mdcr = true, .jump_to_bios = true, .screen_text = true,
      .screen_editing = true, .text_screen = true, .screen_view = true, .bios_log = true,
      .raise_interrupt = true, .cpu_monitor = true, .controls_window = true,
      .fill_intersections = true, .unlit_leds = true, .show_leds = true, .redefine_keys = true,
      .queue_keystrokes = true, .debug_graphics = true, .pixel_based = true, .bios_first = 70,
      .bios_last = 71}},
    {"PONG", 28, 1, {60.0, 50.0}, 2, 0, 34, 0, 0,
     0, 0, {90, 89, 91, 87}, 58, 6, 1, 0, 0, pong_left, pong_right,
     {0, 0, -1, -1, 15, 1.0, 0, 0, 128, 255,
      -1, -1, -1, -1, {"Start", "Game", "Serve", "Bat size"}},
     {.no_processor = true, .keeps_region = true,
      .console_names = {{666, "START"}, {673, "Game"}, {674, "Serve"}, {675, "Bat size"}},
      .hiscore_page = HiscorePage::BALL_AND_PADDLE, .maps_are_games = true, .scans_hiscores = true,
      .screen_text = true, .musical_keyboard = true, .controls_window = true,
      .show_positions = true, .paddles = true, .pad_controllers = true, .redefine_keys = true,
      .retune = true, .sprites = true, .region_choice = true}},
    {"SELBST", 20, 1, {60.0, 50.0}, 1, 0, 40, 0, 6,
     0, 0, {74, 75, 76, 77}, -1, 0, 0, 0, 0, selbst_left, selbst_right,
     {512, 194, -1, -1, 24, 20000.0, 0, 0, 0, 0,
      -1, -1, -1, -1, {"-", "-", "-", "-"}},
     {.longest_frame = 20000.0, .console_keys_unused = true, .led_strip_optional = true,
      .led_points = 0, .takes_aof = true, .game_rows = true, .cassette = true, .jump_to_bios = true,
      .screen_text = true, .text_screen = true, .screen_view = true, .bios_log = true,
      .cpu_monitor = true, .controls_window = true, .echo_console = true, .blinking_cursor = true,
      .fill_intersections = true, .unlit_leds = true, .show_leds = true, .redefine_keys = true,
      .queue_keystrokes = true, .ambient_sounds = true, .debug_graphics = true,
      .keyboard_layouts = true, .bios_first = 72, .bios_last = 75}},
    {"MIKIT", 21, 1, {60.0, 50.0}, 1, 0, 39, 0, 6,
     0, 0, {74, 75, 76, 77}, -1, 0, 0, 0, 0, mikit_left, no_keys,
     {184, 64, -1, -1, 24, 20000.0, 0, 0, 0, 0,
      -1, -1, -1, -1, {"-", "-", "-", "-"}},
     {.led_points = 0, .scanlines = ScanlineStyle::NONE, .takes_aof = true, .game_rows = true,
      .idle_start_address = 0x0000, .jump_to_bios = true, .screen_text = true, .screen_view = true,
      .cpu_monitor = true, .controls_window = true, .fill_intersections = true, .unlit_leds = true,
      .redefine_keys = true, .queue_keystrokes = true, .retune = true}},
    {"TYPERIGHT", 30, 1, {0.0, 50.0}, 1, 0, 33, 0, 0,
     0, 0, {88, 89, 74, 75}, 64, 23, 0, 0, 0, nullptr, nullptr,
     {128, 28, -1, -1, 52, 1.0, 0, 0, 0, 0,
      -1, -1, -1, -1, {"Class", "Game", "Speed", "Accuracy"}},
     {.no_processor = true, .keys_always_queued = true, .pause_on_play_only = true,
      .typewriter_keyboard = true, .panel_shift_keys = true, .console_click_frames = {2, 2, 2, 2},
      .scanlines = ScanlineStyle::GRID, .hiscore_page = HiscorePage::DRILLS, .maps_are_games = true,
      .screen_text = true, .text_screen = true, .screen_view = true, .cpu_monitor = true,
      .musical_keyboard = true, .controls_window = true, .redefine_keys = true,
      .queue_keystrokes = true}},
};

namespace {
constexpr auto KEYS_INTERTON = keys({{0, 1}, {12, 59}});
constexpr auto KEYS_ELEKTOR = keys({{0, 3}, {12, 59}});
constexpr auto KEYS_ARCADIA = keys({{0, 2}, {4, 59}});
constexpr auto KEYS_SI50 = keys({{0, 3}, {36, 59}});
constexpr auto KEYS_KEYPAD = keys({{36, 59}});
constexpr auto KEYS_NONE = keys({});
constexpr auto KEYS_ASTRO = keys({{0, 3}, one(12), one(16), {20, 21}, {28, 29}, one(37), one(49)});
constexpr auto KEYS_LASER = keys({{0, 3}, {12, 15}, {20, 27}, one(40), {42, 44}});
constexpr auto KEYS_MALZAK1 = keys({{0, 2}, one(12), one(16), {20, 35}, one(37), one(49)});
constexpr auto KEYS_MALZAK2 = keys({{0, 3}, one(12), one(16), {20, 35}, one(37), one(49)});
constexpr auto KEYS_8550 = keys({{0, 3}, {12, 15}, {17, 35}, one(37), one(43), one(46), one(55), one(58)});
constexpr auto KEYS_8600 = keys({{0, 1}, one(3), one(12), one(16), {20, 35}, one(37), one(49)});

// The voices each memory map sounds: every one is heard live and mixed into
// the sound files (a voice a machine sounds but its row leaves out is lost to
// both). The beeps are voice 1 (the terminal's) and 2 (the printer's bell).
constexpr auto SND_INTERTON = sounds({one(0), one(9)}, {SFX_EXPLODE, SFX_CLICK});
constexpr auto SND_ELEKTOR = sounds({one(0), one(9)}, {});
constexpr auto SND_ELEKTOR_X = sounds({one(0), {3, 15}}, {SFX_EXPLODE, SFX_CLICK});
constexpr auto SND_TONE0 = sounds({one(0)}, {});
constexpr auto SND_NONE = sounds({}, {});
} // namespace

constexpr MemmapDesc memmap_table[MEMMAPS] = {
    {1, "Interton VC 4000, type \"A\" (2K ROM + 0K RAM)", 0, 15, "", KEYS_INTERTON, 0, 126, 1, SND_INTERTON,
     {.force_feedback = true, .second_joystick = true}},
    {1, "Interton VC 4000, type \"B\" (4K ROM + 0K RAM)", 0, 15, "", KEYS_INTERTON, 0, 126, 1, SND_INTERTON,
     {.force_feedback = true, .second_joystick = true}},
    {1, "Interton VC 4000, type \"C\" (4K ROM + 1K RAM)", 0, 15, "", KEYS_INTERTON, 0, 126, 1, SND_INTERTON,
     {.force_feedback = true, .second_joystick = true}},
    {1, "Interton VC 4000, type \"D\" (6K ROM + 1K RAM)", 0, 15, "", KEYS_INTERTON, 0, 126, 1, SND_INTERTON,
     {.force_feedback = true, .second_joystick = true}},
    {2, "Elektor TV Games Computer (basic)", 0, 1, "", KEYS_ELEKTOR, 0, 127, 2, SND_ELEKTOR,
     {.force_feedback = true, .second_joystick = true}},
    {2, "Elektor TV Games Computer (expanded)", 0, 1, "", KEYS_ELEKTOR, 0, 127, 2, SND_ELEKTOR_X,
     {.psg = true, .psg_view = true, .force_feedback = true, .second_joystick = true}},
    {0, "Emerson Arcadia 2001, type \"G\" (Emerson)", 0, 0, "", KEYS_ARCADIA, 0, 125, 0, SND_ELEKTOR,
     {.autofire = true, .force_feedback = true, .second_joystick = true, .skip_level = true}},
    {0, "Emerson Arcadia 2001, type \"H\" (Tele-Fever)", 0, 0, "", KEYS_ARCADIA, 0, 125, 0, SND_ELEKTOR,
     {.autofire = true, .force_feedback = true, .second_joystick = true, .skip_level = true}},
    {0, "Emerson Arcadia 2001, type \"I\" (Palladium)", 0, 0, "", KEYS_ARCADIA, 0, 125, 0, SND_ELEKTOR,
     {.autofire = true, .force_feedback = true, .second_joystick = true, .skip_level = true}},
    {3, "PIPBUG 1-based machine", 0, 3, "", KEYS_NONE, 0, 128, 3,
     sounds({{0, 2}}, {SFX_PRINTER, SFX_PUNCH}), {}},
    {3, "PIPBUG 2-based machine (modified ABC1500)", 0, 3, "", KEYS_NONE, 0, 128, 3,
     sounds({{0, 2}}, {SFX_PRINTER, SFX_PUNCH}), {}},
    {4, "BINBUG-based machine", 0, 202, "", KEYS_NONE, 0, 129, 4,
     sounds({{1, 2}}, {SFX_PRINTER, SFX_STEP, SFX_GRIND, SFX_PUNCH}),
     {.autofire = true, .second_joystick = true}},
    {6, "Signetics TWIN", 0, 3, "", KEYS_NONE, 0, 131, 6,
     sounds({{1, 2}}, {SFX_PRINTER, SFX_SPIN, SFX_STEP, SFX_GRIND, SFX_PUNCH}), {}},
    {3, "Artemis", 0, 3, "", KEYS_NONE, 0, 128, 0, sounds({{0, 2}}, {SFX_PRINTER, SFX_PUNCH}), {}},
    {5, "Signetics Instructor 50 (basic)", 0, 2, "", KEYS_SI50, 0, 130, 5, SND_TONE0, {.dip_switches = true}},
    {5, "Signetics Instructor 50 (expanded)", 0, 2, "", KEYS_SI50, 0, 130, 5, SND_TONE0, {.dip_switches = true}},
    {7, "Central Data 2650", 0, 3, "", KEYS_NONE, 0, 132, 7,
     sounds({{0, 2}}, {SFX_PRINTER, SFX_STEP, SFX_GRIND}), {}},
    {0, "", 0, 0, "", KEYS_NONE, 0, 0, 0, SND_NONE, {}},
    {0, "", 0, 0, "", KEYS_NONE, 0, 0, 0, SND_NONE, {}},
    {10, "PHUNSY", 0, 183, "", KEYS_KEYPAD, 0, 133, 12, SND_TONE0, {}},
    {12, "Selbstbaucomputer", 0, 203, "", KEYS_KEYPAD, 0, 134, 14, sounds({{0, 1}}, {}), {}},
    {13, "MIKIT 2650", 0, 209, "", KEYS_KEYPAD, 0, 135, 15, SND_TONE0, {}},
    {8, "Coin-op (Astro Wars)", 12800, 160, "Zaccaria, 1980", KEYS_ASTRO, 1, 136, 8,
     sounds({one(0)}, {SFX_SHOOT, SFX_BANG, SFX_COIN}),
     {.dip_switches = true, .second_joystick = true, .skip_level = true}},
    {8, "Coin-op (Galaxia)", 12800, 231, "Zaccaria, 1979", KEYS_ASTRO, 1, 137, 9,
     sounds({{0, 4}}, {SFX_SHOOT, SFX_BANG, SFX_COIN}),
     {.dip_switches = true, .force_feedback = true, .second_joystick = true, .skip_level = true}},
    {8, "Coin-op (Laser Battle)", 20480, 197, "Zaccaria, 1981", KEYS_LASER, 0, 138, 10,
     sounds({{0, 6}}, {SFX_COIN}),
     {.psg_view = true, .dip_switches = true, .tone_units = true, .fire_keys_left_only = true}},
    {8, "Coin-op (Lazarian)", 22528, 197, "Zaccaria/Midway, 1981", KEYS_LASER, 0, 139, 10,
     sounds({{0, 6}}, {SFX_COIN}),
     {.psg_view = true, .dip_switches = true, .tone_units = true, .fire_keys_left_only = true}},
    {9, "Coin-op (Malzak 1)", 8704, 161, "Kitronix, 1981?", KEYS_MALZAK1, 0, 140, 11,
     sounds({{0, 1}}, {SFX_COIN}),
     {.force_feedback = true, .second_joystick = true, .fire_keys_left_only = true}},
    {9, "Coin-op (Malzak 2)", 8192, 173, "Kitronix, 1981?", KEYS_MALZAK2, 0, 141, 11,
     sounds({{0, 1}}, {SFX_COIN}),
     {.dip_switches = true, .force_feedback = true, .second_joystick = true,
      .fire_keys_left_only = true}},
    {11, "AY-3-8500/8550/8550-1 + AY-3-8515", 0, 195, "General Instrument, 1975?", KEYS_8550, 0, 142, 13, SND_TONE0,
     {.dip_switches = true, .force_feedback = true, .second_joystick = true, .four_paddles = true}},
    {11, "AY-3-8600/AY-3-8600-1 + AY-3-8615", 0, 206, "General Instrument, 1976?", KEYS_8600, 0, 143, 13, SND_TONE0,
     {.dip_switches = true, .autofire = true, .force_feedback = true, .second_joystick = true}},
    {14, "VTech Type-right", 0, 236, "VTech, 1985", keys({{0, 3}}), 0, 144, 16, SND_TONE0, {}},
};
// clang-format on

int memmap_sound_count(u32 map) {
    int count = 0;
    if (map < MEMMAPS)
        for (u8 f : memmap_table[map].sounds)
            count += f;
    return count;
}

namespace {
template <std::size_t... M> constexpr std::array<MachineLive, MACHINES> starts(std::index_sequence<M...>) {
    return {machine_table[M].start...};
}
constexpr std::array<MachineLive, MACHINES> LIVE_AT_START = starts(std::make_index_sequence<MACHINES>());
} // namespace

MachineLive machine_live[MACHINES] = {
    LIVE_AT_START[0],  LIVE_AT_START[1],  LIVE_AT_START[2],  LIVE_AT_START[3],  LIVE_AT_START[4],
    LIVE_AT_START[5],  LIVE_AT_START[6],  LIVE_AT_START[7],  LIVE_AT_START[8],  LIVE_AT_START[9],
    LIVE_AT_START[10], LIVE_AT_START[11], LIVE_AT_START[12], LIVE_AT_START[13], LIVE_AT_START[14],
};

void machine_table_reset() {
    std::copy(LIVE_AT_START.begin(), LIVE_AT_START.end(), machine_live);
}
