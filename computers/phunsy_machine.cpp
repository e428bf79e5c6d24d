// The PHUNSY's board: memory map and banks, ports, keypad, the screen drawn
// by the beam, the LED digits and lamps, the screen editor.
#include "computers/phunsy.h"

#include "computers/keypad.h"
#include "computers/trainer_boards.h"
#include "core/dump_lines.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "display/led.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "peripherals/mdcr.h"
#include "peripherals/tape.h"
#include "sound/voice_update.h"

#include <cstring>

u8 phunsy_ubank_store[16][2048];
u8 phunsy_qbank_store[16][16384];
u8 phunsy_bank_control;
u8 phunsy_irq_period, phunsy_irq_countdown;

const GuestRom phunsy_roms[PHUNSY_ROMS] = {
    {"phunsy_minimon.bin", 512, "PHUNSY, the \"Mini-Monitor\"", 0},
    {"phunsy.bin", 2048, "PHUNSY, the \"PHUNSY\" monitor", 0},
    {"phunsy_u1.bin", 2048, "PHUNSY U bank 1 (MDCR software)", 0},
    {"phunsy_u2.bin", 2048, "PHUNSY U bank 2", 0},
    {"phunsy_u3.bin", 2048, "PHUNSY U bank 3", 0},
    {"phunsy_program.bin", 6532, "PHUNSY built-in program at $4000 (games of type 3)",
     GUEST_ROM_OPTIONAL},
    {"phunsy_chars.bin", 1024, "PHUNSY character generator, 128 characters of 8 rows", 0},
};

namespace {

constexpr int ROM_MINI = 0, ROM_MONITOR = 1, ROM_U1 = 2, ROM_PROGRAM = 5, ROM_CHARS = 6;
constexpr int RAW_SPACE = 64;

u8 charset[1024];
// The three-step cycle of port 257 with "queuekeystrokes": the character and the step.
u8 queued_char = 128, queue_step;
u8 previous_keys; // any keypad key held last frame (the Mini-Monitor's interrupt)

bool phunsy_monitor() {
    return phunsy_biosversion == 1;
}

// The block graphics: the low nibble lights quadrants of the 6 x 8 cell,
// bit 0 top left, bit 1 top right, bit 2 bottom left, bit 3 bottom right.
u8 block_row(u8 pattern, i32 line) {
    const u8 left = line < 4 ? (pattern & 1) : (pattern & 4);
    const u8 right = line < 4 ? (pattern & 2) : (pattern & 8);
    return static_cast<u8>((left ? 0x38 : 0) | (right ? 0x07 : 0));
}

void interrupt_tick() {
    if (phunsy_irq_countdown == 0) return;
    if (--phunsy_irq_countdown != 0) return;
    phunsy_irq_countdown = phunsy_irq_period;
    cpu_irq_pending = 1;
    cpu_interrupt();
}

// Before every instruction: the MDCR with the instruction before, the cassette.
u32 last_cycles;
void peripherals_tick() {
    mdcr_clock(cpu_cycles - last_cycles);
    last_cycles = cpu_cycles;
    tape_tick_if_moving();
}

void run_budget(i32 clocks) {
    cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, clocks);
    last_cycles = cpu_cycles;
    cpu_run_cycles_polled(peripherals_tick);
}

// One instruction at the beam: eight beam positions per clock period.
void beam_step() {
    peripherals_tick();
    const u32 start = cpu_cycles;
    if (!cpu_check_breakpoint()) cpu_execute_one();
    cpu_beam_clock += 8 * static_cast<i32>(cpu_cycles - start);
}

void run_to_beam(i32 target) {
    while (cpu_beam_clock < target)
        beam_step();
}

void plot(i32 x, i32 line, u32 colour) {
    display_plot_clipped(x + 128, line, colour);
}

// A whole line, put as one run (each pixel as plot would put it).
void draw_screen_line(i32 line) {
    u8 colours[384];
    for (i32 x = 0; x < 384; x++)
        colours[x] = phunsy_screen_pixel(x, line);
    display_plot_row(128, line, colours, 384);
}

// The 4 x 7 dots of a hex digit: a seven-segment figure drawn as a dot matrix.
u8 digit_dots(int value, int row) {
    static constexpr u8 SEGMENTS[16] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07,
                                        0x7F, 0x6F, 0x77, 0x7C, 0x39, 0x5E, 0x79, 0x71};
    const u8 s = SEGMENTS[value & 15];
    const bool a = s & 1, b = s & 2, c = s & 4, d = s & 8, e = s & 16, f = s & 32, g = s & 64;
    auto bar = [](bool full, bool left, bool right) {
        return static_cast<u8>(full ? 15 : (left ? 8 : 0) | (right ? 1 : 0));
    };
    switch (row) {
    case 0:
        return bar(a, f, b);
    case 1:
    case 2:
        return bar(false, f, b);
    case 3:
        return bar(g, f || e, b || c);
    case 4:
    case 5:
        return bar(false, e, c);
    default:
        return bar(d, e, c);
    }
}

u32 dot_colour(bool lit) {
    return lit ? 23 : drawunlit ? LED_UNLIT : LED_ERASED;
}

void draw_dot(i32 x, i32 y, u32 colour) {
    const i32 w = machine_live_row().width, h = machine_live_row().height;
    for (i32 j = 0; j < 4; j++)
        for (i32 i = 0; i < 4; i++) {
            const bool middle = i >= 1 && i <= 2 && j >= 1 && j <= 2;
            const i32 px = x + i, py = y + j;
            if (px < 0 || py < 0 || px >= w || py >= h) continue;
            display_plot_pixel(static_cast<u32>(px), static_cast<u32>(py),
                               drawcorners || middle ? colour : LED_ERASED);
        }
}

i32 strip_left() {
    return (machine_live_row().width - 172) / 2;
}

void draw_digit(int n) {
    const u8 latch = port_records[16 + n / 2].last_value;
    const int value = n % 2 == 0 ? latch >> 4 : latch & 15;
    const i32 x0 = strip_left() + 28 * n, y0 = machine_live_row().height - 34;
    for (int row = 0; row < 7; row++) {
        const i32 shift = row <= 1 ? 1 : row >= 5 ? -1 : 0;
        const u8 dots = digit_dots(value, row);
        for (int col = 0; col < 4; col++) {
            if ((row == 1 || row == 2 || row == 4 || row == 5) && (col == 1 || col == 2)) continue;
            draw_dot(x0 + 4 * col + shift, y0 + 4 * row, dot_colour(dots & (8 >> col)));
        }
    }
}

void draw_lamp(int n) {
    bool lit;
    if (n == 0)
        lit = guest_memory[cpu_prev_iar & (GUEST_MEMORY_SIZE - 1)] == 0x40;
    else
        lit = (port_records[19].last_value & 7) == n;
    draw_dot(strip_left() + 28 * n - 9, machine_live_row().height - 10, dot_colour(lit));
}

void draw_leds() {
    if (!showleds) return;
    for (int n = 0; n < 7; n++)
        draw_lamp(n);
    for (int d = 0; d < 6; d++)
        draw_digit(d);
}

void draw_cursor() {
    const u32 offset = (screen_edit_address - 0x1000) & 0x7FF;
    const i32 col = static_cast<i32>(offset % 64), row = static_cast<i32>(offset / 64);
    const i32 x0 = 6 * col - 1, x1 = 6 * col + 6, y0 = 8 * row - 1, y1 = 8 * row + 8;
    auto put = [](i32 x, i32 y) {
        if (x >= 0 && x < 384 && y >= 0 && y < 256) plot(x, y, 3);
    };
    for (i32 x = x0; x <= x1; x++) {
        put(x, y0);
        put(x, y1);
    }
    for (i32 y = y0; y <= y1; y++) {
        put(x0, y);
        put(x1, y);
    }
}

void draw_grid() {
    for (i32 line = 0; line < 256; line++)
        for (i32 x = 0; x < 384; x++)
            if (line % 8 == 0 || line % 8 == 7 || x % 6 == 0 || x % 6 == 5) plot(x, line, 8);
}

// The views of memory show the new bank whole: contents, colours and hints.
void map_window(u8* window, const u8* store, u32 size) {
    std::memcpy(window, store, size);
    ui_mark(UI_REFRESH_FORCED);
}

// Moves the cursor one cell on, or back, through the whole screen.
void cursor_step(int by) {
    const u32 offset = (screen_edit_address - 0x1000 + static_cast<u32>(by)) & 0x7FF;
    screen_edit_address = 0x1000 + offset;
}

} // namespace

u8 phunsy_glyph_row(int n, int r) {
    r &= 7;
    return n < 128 ? charset[8 * (n & 127) + r] : block_row(static_cast<u8>(n & 15), r);
}

u8 phunsy_glyph(u8 byte) {
    if (byte == 0) return 32;
    if (byte < 32) return static_cast<u8>(byte + 64);
    if (byte >= 64 && byte < 96) return static_cast<u8>(byte - 64);
    return byte & 127;
}

u8 phunsy_screen_pixel(i32 x, i32 line) {
    const i32 column = x / 6, pixel = x % 6, row = line / 8, cell_line = line % 8;
    const u8 byte = guest_memory[0x1000 + 64 * row + column];
    const u8 ink = display_ink, paper = display_paper;
    const u8 bit = static_cast<u8>(0x20 >> pixel);
    if (byte < 128) return (charset[8 * phunsy_glyph(byte) + cell_line] & bit) ? ink : paper;
    const int c = (byte >> 4) & 7;
    u8 colour = c == 0 ? paper : c == 7 ? ink : static_cast<u8>(inversevideo ? 22 - c : 15 + c);
    return (block_row(byte & 15, cell_line) & bit) ? colour : paper;
}

void phunsy_ubank_save(int bank) {
    if (phunsy_monitor()) std::memcpy(phunsy_ubank_store[bank & 15], guest_memory + 0x1800, 2048);
}

void phunsy_qbank_save(int bank) {
    if (phunsy_monitor()) std::memcpy(phunsy_qbank_store[bank & 15], guest_memory + 0x4000, 16384);
}

const u8* phunsy_bank_bytes(char kind, int bank) {
    bank &= 15;
    const bool u = kind == 'U';
    // The bank mapped in lives in its window until it is switched out.
    if (phunsy_monitor() && bank == (u ? phunsy_bank_control >> 4 : phunsy_bank_control & 15))
        return guest_memory + (u ? 0x1800 : 0x4000);
    return u ? phunsy_ubank_store[bank] : phunsy_qbank_store[bank];
}

void phunsy_ubank_select(int bank) {
    if (!phunsy_monitor()) return;
    bank &= 15;
    map_window(guest_memory + 0x1800, phunsy_ubank_store[bank], 2048);
    const bool rom = bank >= 1 && bank <= 3;
    for (u32 a = 0x1800; a <= 0x1FFF; a++) {
        if (rom)
            mem_attributes[a] |= MEM_BIOS | MEM_UNWRITABLE;
        else
            mem_attributes[a] &= ~(MEM_BIOS | MEM_UNWRITABLE);
    }
}

void phunsy_qbank_select(int bank) {
    if (phunsy_monitor()) map_window(guest_memory + 0x4000, phunsy_qbank_store[bank & 15], 16384);
}

// The chosen monitor's ROMs and the marks of its memory map. The RAM and the
// banks' RAM are left alone: a state brings them.
static void load_monitor_map() {
    constexpr u32 MAP_BITS = MEM_BIOS | MEM_UNWRITABLE | MEM_UNREADABLE | MEM_DEVICE |
                             MEM_PHUNSY_AREA | MEM_PHUNSY_U | MEM_PHUNSY_Q | MEM_COMMENT;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        mem_attributes[a] &= ~MAP_BITS;
    if (phunsy_monitor()) {
        guest_rom_read(phunsy_roms[ROM_MONITOR], guest_memory);
        for (int b = 1; b <= 3; b++)
            guest_rom_read(phunsy_roms[ROM_U1 + b - 1], phunsy_ubank_store[b]);
        trainer_set_attributes(0x0000, 0x07FF, MEM_BIOS | MEM_UNWRITABLE);
        trainer_set_attributes(0x0EE0, 0x0FFF, MEM_PHUNSY_AREA);
        trainer_set_attributes(0x1000, 0x17FF, MEM_DEVICE);
        trainer_set_attributes(0x1800, 0x1FFF, MEM_PHUNSY_U);
        trainer_set_attributes(0x4000, 0x7FFF, MEM_PHUNSY_Q);
        trainer_mark_label_rows();
    } else {
        guest_rom_read(phunsy_roms[ROM_MINI], guest_memory + 0x1E00);
        trainer_set_attributes(0x1000, 0x17FF, MEM_DEVICE);
        trainer_set_attributes(0x1DF0, 0x1DFD, MEM_PHUNSY_AREA);
        trainer_set_attributes(0x1E00, 0x1FFF, MEM_BIOS | MEM_UNWRITABLE);
        trainer_set_attributes(0x2000, 0x7FFF, MEM_UNREADABLE | MEM_UNWRITABLE);
    }
}

void phunsy_take_monitor(u32) {
    load_monitor_map();
}

void phunsy_machine_init() {
    load_start_known = 0;
    std::memset(phunsy_ubank_store, 0, sizeof phunsy_ubank_store);
    std::memset(phunsy_qbank_store, 0, sizeof phunsy_qbank_store);
    if (phunsy_monitor()) {
        std::memset(guest_memory + 0x0800, 0xFF, 0x0400);
        if (known_game_id >= 0 && known_game_id < KNOWN_GAMES &&
            known_games_db[known_game_id].language == 3)
            guest_rom_read(phunsy_roms[ROM_PROGRAM], guest_memory + 0x4000);
    } else {
        guest_memory[0] = guest_memory[1] = 0x1F;
        guest_memory[2] = 0x3F;
    }
    load_monitor_map();
    std::memset(charset, 0, sizeof charset);
    guest_rom_read(phunsy_roms[ROM_CHARS], charset);
    cpu_beam_clock = 0; // a state keeps the beam from -1 on
    phunsy_irq_period = phunsy_irq_countdown = 0;
    phunsy_bank_control = 0;
    phunsy_ubank_save(0);
    phunsy_qbank_save(0);
    mdcr_stop_deck();
}

void phunsy_reset() {
    guest_key_queue_len = 0;
    queued_char = 128;
    queue_step = 0;
    previous_keys = 0;
    if (phunsy_monitor()) {
        static constexpr u8 VARIABLES[][2] = {
            {0xE8, 5},   {0xE9, 250},  {0xEA, 5},    {0xEB, 230},  {0xEC, 5},  {0xED, 224},
            {0xEE, 254}, {0xEF, 0x20}, {0xF2, 0x1F}, {0xF3, 0x3F}, {0xF4, 16}, {0xF5, 0x41}};
        for (const auto& v : VARIABLES)
            guest_memory[0x0E00 + v[0]] = v[1];
        guest_memory[0x0EF7] = phunsy_bank_control;
        guest_memory[0x0F01] = 13;
        cpu_ras[0] = 0x023E;
        cpu_psu = 1; // the stack pointer at 1
    } else {
        std::memset(guest_memory + 0x1DF0, 0, 14);
    }
    cpu_iar = load_start_known ? static_cast<u16>(game_start_address & 0x7FFF) : 0;
    std::memset(led_digits, '?', sizeof led_digits);
}

u8 phunsy_keypad_code() {
    for (int key = 0; key < 20; key++)
        if ((keypad_nibbles[key / 4] >> (key % 4)) & 1) return static_cast<u8>(key);
    return 255;
}

u8 phunsy_io_read(u32 port) {
    u8 v = 0;
    switch (port) {
    case IO_CONTROL_PORT:
        v = mdcr_status() | 0x0A;
        break;
    case IO_DATA_PORT:
        if (!queuekeystrokes) {
            v = guest_key_latch;
        } else if (queue_step == 0) {
            queued_char = bios_key_input();
            v = queued_char;
            if (v != 128) queue_step = 1;
        } else if (queue_step == 1) {
            v = queued_char;
            queue_step = 2;
        } else {
            v = 128;
            queue_step = 0;
        }
        break;
    case 16:
        v = phunsy_keypad_code();
        break;
    default:
        break;
    }
    dbg_trace_port_access(port, v, 0);
    return v;
}

void phunsy_io_write(u32 port, u8 value) {
    switch (port) {
    case 16:
    case 17:
    case 18:
        port_records[port].last_value = value;
        if (showleds) {
            draw_digit(2 * static_cast<int>(port - 16));
            draw_digit(2 * static_cast<int>(port - 16) + 1);
        }
        break;
    case 19:
        port_records[port].last_value = value;
        if (showleds)
            for (int n = 1; n <= 6; n++)
                draw_lamp(n);
        break;
    case 126:
        phunsy_irq_period = phunsy_irq_countdown = value;
        break;
    case 127:
        con_printf("%c", value);
        break;
    case IO_CONTROL_PORT: {
        const u8 old = phunsy_bank_control;
        if ((old ^ value) & 0xF0) {
            phunsy_ubank_save(old >> 4);
            phunsy_ubank_select(value >> 4);
        }
        if ((old ^ value) & 0x0F) {
            phunsy_qbank_save(old & 15);
            phunsy_qbank_select(value & 15);
        }
        phunsy_bank_control = value;
        break;
    }
    case IO_DATA_PORT:
        mdcr_control = value;
        if (known_game_id == 655 && cpu_iar == 0x1827) snd_update_voices(0);
        break;
    default:
        break;
    }
    dbg_trace_port_access(port, value, 1);
}

void phunsy_run_frame() {
    in_frame = 1;
    draw_leds();
    const bool drawn = trainer_frame_drawn();
    if (framebased) {
        for (int half = 0; half < 2; half++) {
            run_budget(10016);
            interrupt_tick();
        }
        if (drawn)
            for (i32 line = 0; line < 256; line++)
                draw_screen_line(line);
    } else {
        raster_clock = 0;
        if (phunsy_monitor()) interrupt_tick();
        for (i32 line = 0; line < PHUNSY_LINES; line++) {
            raster_line = line;
            dbg_check_raster_breakpoint();
            if (line < 256) {
                if (line == 156 && phunsy_monitor()) interrupt_tick();
                run_to_beam(128);
                for (raster_clock = 128; raster_clock < 512; raster_clock++) {
                    if (line == 156 && raster_clock == 256) interrupt_tick();
                    if (drawn)
                        plot(raster_clock - 128, line,
                             phunsy_screen_pixel(raster_clock - 128, line));
                    if (raster_clock == cpu_beam_clock) beam_step();
                }
            } else {
                run_to_beam(512);
            }
            cpu_beam_clock -= 512;
        }
        raster_line = 0;
    }
    if (screen_edit_mode) draw_cursor();
    keypad_scan();
    bool any = false;
    for (u8 n : keypad_nibbles)
        any = any || n;
    if (!phunsy_monitor() && any && !previous_keys) {
        cpu_irq_pending = 1;
        cpu_interrupt();
    }
    previous_keys = any;
    if (draw_mode) draw_grid();
    emu_end_of_frame();
}

bool phunsy_edit_key(u32 code) {
    if (!screen_edit_mode) return false;
    u8& at = guest_memory[0x1000 + ((screen_edit_address - 0x1000) & 0x7FF)];
    const bool shift = host_shift_down() != 0;
    switch (code) {
    case 65:
        cursor_step(-1);
        guest_memory[screen_edit_address] = ' ';
        return true;
    case 67:
    case 68:
        screen_edit_address = 0x1000 + ((((screen_edit_address - 0x1000) / 64 + 1) * 64) & 0x7FF);
        return true;
    case 69:
        screen_edit_mode = 0;
        ui_mark(UI_MENUS | UI_TITLE);
        return true;
    case 70:
        at = ' ';
        return true;
    case 76:
        cursor_step(-64);
        return true;
    case 77:
        cursor_step(64);
        return true;
    case 78:
        cursor_step(1);
        return true;
    case 79:
        cursor_step(-1);
        return true;
    case 95:
        at = static_cast<u8>(at + (shift ? -1 : 1));
        return true;
    default:
        break;
    }
    if (code > 94 || (code > 64 && code != 74 && code < 90)) return false;
    u16 ch;
    if (code == RAW_SPACE) {
        ch = shift ? 127 : ' ';
    } else {
        ch = key_table[code].chars[shift ? KC_SHIFT : KC_PLAIN];
        if (ch >= KEY_NO_CHAR) return false;
        if (ch >= 'a' && ch <= 'z' && (!lowercase || shift)) ch = static_cast<u16>(ch - 32);
        if (ch >= 'A' && ch <= 'Z' && lowercase && !shift) ch = static_cast<u16>(ch + 32);
    }
    at = static_cast<u8>(ch);
    cursor_step(1);
    return true;
}

void phunsy_dump_hardware() {
    for (u32 row = 0; row < 32; row++) {
        for (u32 part = 0; part < 4; part++)
            dbg_hexdump_line(0x1000 + 64 * row + 16 * part);
        con_printf("\n");
    }
    char pictured[14];
    for (int n = 0; n < 7; n++) {
        const bool lit = n == 0 ? guest_memory[cpu_prev_iar & (GUEST_MEMORY_SIZE - 1)] == 0x40
                                : (port_records[19].last_value & 7) == n;
        pictured[n] = lit ? '.' : ' ';
    }
    for (int d = 0; d < 6; d++) {
        const u8 latch = port_records[16 + d / 2].last_value;
        pictured[7 + d] = "0123456789ABCDEF"[d % 2 == 0 ? latch >> 4 : latch & 15];
    }
    pictured[13] = 0;
    con_printf("%02X %02X %02X %02X  %s\n\n", port_records[19].last_value,
               port_records[16].last_value, port_records[17].last_value,
               port_records[18].last_value, pictured);
}
