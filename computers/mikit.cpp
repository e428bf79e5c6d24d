#include "computers/mikit.h"

#include "computers/controls_rows.h"
#include "computers/keypad.h"
#include "computers/note_pitches.h"
#include "computers/pipbug_notes.h"
#include "computers/screen_texts.h"
#include "computers/terminal_rows.h"
#include "computers/trainer_boards.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/dump_lines.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/objfile.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/savestate_fields.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/led.h"
#include "sound/voice_update.h"

#include <cstring>

const u8 mikit_program[30] = {0x04, 0x20, 0xCC, 0x04, 0x02, 0xCC, 0x04, 0x03, 0xCC, 0x04,
                              0x04, 0xCC, 0x04, 0x06, 0xCC, 0x04, 0x07, 0x30, 0xB0, 0xE4,
                              0xFF, 0x98, 0x02, 0x04, 0x20, 0xCC, 0x04, 0x05, 0x1B, 0x73};

namespace {

// Segments a-g in bits 0-6 of the characters the digits show; the rest blank.
struct CharSegments {
    char ch;
    u8 segments;
};
constexpr CharSegments MIKIT_CHARS[] = {
    {'0', 0x3F}, {'1', 0x06}, {'2', 0x5B}, {'3', 0x4F}, {'4', 0x66}, {'5', 0x6D},  {'6', 0x7D},
    {'7', 0x07}, {'8', 0x7F}, {'9', 0x6F}, {'@', 0x5F}, {'A', 0x77}, {'B', 0x7C},  {'C', 0x39},
    {'D', 0x5E}, {'E', 0x79}, {'F', 0x71}, {'G', 0x3D}, {'H', 0x76}, {'I', 0x06},  {'J', 0x1E},
    {'K', 0x76}, {'L', 0x38}, {'M', 0x37}, {'N', 0x37}, {'O', 0x3F}, {'P', 0x73},  {'Q', 0x67},
    {'R', 0x50}, {'S', 0x6D}, {'T', 0x78}, {'U', 0x3E}, {'V', 0x3E}, {'Y', 0x6E},  {'Z', 0x5B},
    {'-', 0x40}, {'_', 0x08}, {'=', 0x48}, {'+', 0x46}, {'"', 0x22}, {'\'', 0x02},
};

// Key codes by keypad group and bit.
constexpr char KEY_CODES[6][4] = {{' ', '+', 'H', 'L'}, {'R', 'G', 'P', 'S'}, {'C', '8', '4', '0'},
                                  {'D', '9', '5', '1'}, {'E', 'A', '6', '2'}, {'F', 'B', '7', '3'}};

} // namespace

u8 mikit_char_segments(u8 code) {
    code &= 0x7F;
    if (code >= 'a' && code <= 'z') code = static_cast<u8>(code - 32);
    for (const CharSegments& c : MIKIT_CHARS)
        if (static_cast<u8>(c.ch) == code) return c.segments;
    return 0;
}

LedDigitPlace mikit_led_digit_place(int digit) {
    return {21 * digit + (digit < 4 ? 21 : 42), 10, 0};
}

void mikit_machine_init() {
    load_start_known = 0;
    std::memcpy(guest_memory, mikit_program, sizeof mikit_program);
    std::memset(guest_memory + sizeof mikit_program, 0x17, 0x0400 - sizeof mikit_program);
    std::memset(guest_memory + 0x0400, 0, GUEST_MEMORY_SIZE - 0x0400);
    trainer_set_attributes(0x0000, 0x03FF, MEM_BIOS | MEM_UNWRITABLE);
    // $0400 is the first byte of the RAM, as writable as the rest of it.
    trainer_set_attributes(0x0800, 0x7FFF, MEM_UNREADABLE | MEM_UNWRITABLE);
    trainer_mark_label_rows();
    machine_live[MIKIT].clocks_per_frame = 20000.0;
}

void mikit_reset() {
    std::memset(led_digits, 0, sizeof led_digits);
    cpu_iar = load_start_known ? static_cast<u16>(game_start_address & 0x7FFF) : 0;
}

u8 mikit_keys() {
    for (int g = 0; g < 6; g++) {
        const u8 n = keypad_nibbles[g] & 15;
        for (int b = 0; b < 4; b++)
            if (n == (1 << b)) return static_cast<u8>(KEY_CODES[g][b]);
    }
    return 255;
}

u8 mikit_io_read(u32 port) {
    const u8 v = port == IO_CONTROL_PORT ? mikit_keys() : 0;
    dbg_trace_port_access(port, v, 0);
    return v;
}

void mikit_io_write(u32 port, u8 value) {
    if (port == IO_CONTROL_PORT) lamp_latch = value;
    dbg_trace_port_access(port, value, 1);
}

void mikit_run_frame() {
    in_frame = 1;
    cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, 20000);
    cpu_run_cycles();
    keypad_scan();
    if (trainer_frame_drawn()) {
        for (int d = 0; d < 6; d++) {
            led_digits[d] = mikit_char_segments(guest_memory[0x0402 + d]);
            led_draw_digit(d);
        }
        trainer_draw_lamps(14, 21, 49, [](int) { return u32{LED_LIT}; });
    }
    emu_end_of_frame();
}

void mikit_dump_hardware() {
    char ch[6];
    for (int d = 0; d < 6; d++)
        ch[d] = led_segment_char(led_digits[d] & 0x7F);
    con_printf("%02X %02X %02X %02X %02X %02X  %c%c%c%c %c%c\n\n", led_digits[0], led_digits[1],
               led_digits[2], led_digits[3], led_digits[4], led_digits[5], ch[0], ch[1], ch[2],
               ch[3], ch[4], ch[5]);
}

// ---- The MIKIT's rows ----

namespace {

// The games-database row of "Music Fragment", which plays its notes in software.
constexpr int GAME_MUSIC_FRAGMENT = 820;

// The MIKIT shows its bytes on LEDs only: no text.
u8 no_text(u8) {
    return 0;
}

constexpr CpuDebugHooks mikit_debug_hooks{
    .guest_char = no_text,
};

void mikit_tail(u32) {
    state_field_memory(0x0400, 0x07FF);
}

i32 mikit_controls_layout() {
    return bigcontrols_mikit ? 15 : 14;
}

// The big controls picture puts the digits 400 pixels further right.
void led_geometry_mikit() {
    const i32 shift = bigcontrols_mikit ? 400 : 0;
    trainer_digit_panels(
        {74 + shift, 103 + shift, 131 + shift, 159 + shift, 203 + shift, 231 + shift},
        bigcontrols_mikit ? 171 : 33);
}

void snd_voices_mikit() {
    if (known_game_id != GAME_MUSIC_FRAGMENT) return;
    if (cpu_iar >= 0x0528 && cpu_iar <= 0x0560)
        snd_set_voice(0, 7, cpu_regs[3]);
    else
        snd_keep_voice(0);
}

float snd_tone_mikit(u16 p) {
    return retune ? mikit_note_pitch(p & 255) : static_cast<float>(p);
}

ViewShown mikit_debug_view(const char* word) {
    if (trainer_view_is(word, "RAM"))
        dbg_hexdump_rows(0x0400, 0x07FF);
    else if (trainer_view_is(word, "SCRN"))
        mikit_dump_hardware();
    else
        return ViewShown::NONE;
    return ViewShown::SHOWN;
}

constexpr MachineOps MIKIT_OPS{
    .setup = mikit_machine_init,
    .reset = mikit_reset,
    .run_frame = mikit_run_frame,
    .port_read = mikit_io_read,
    .port_write = mikit_io_write,
    .serialise = mikit_tail,
    .save_suffix = ".aof",
    .screen_text = mikit_screen_text,
    .controls = &mikit_controls,
    .guide_section = "mikit",
};

constexpr MachineView MIKIT_VIEW{
    .text_colours = display_panel_colours,
    .frame_takes_paper = true,
    .led_digit_place = mikit_led_digit_place,
    .led_panel_cell = led_cell_double,
    .led_panel_geometry = led_geometry_mikit,
    .controls_layout = mikit_controls_layout,
};

constexpr MachineSound MIKIT_SOUND{
    .sound_voices = snd_voices_mikit,
    .tone_frequency = snd_tone_mikit,
};

constexpr MachineDebug MIKIT_DEBUG{
    .hooks = &mikit_debug_hooks,
    .bios_entry = [] { return i32{0x0000}; },
    .debug_view = mikit_debug_view,
    .no_text_search = true,
    .object_suffix = ".aof",
    .asm_start = 0x0500,
};

} // namespace

extern const MachineEntry mikit_machine_entry{&MIKIT_OPS, &MIKIT_VIEW, &MIKIT_SOUND, &MIKIT_DEBUG};
