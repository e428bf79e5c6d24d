// The Selbstbaucomputer's board: memory map, ports, display commands, keypad
// and frame.
#include "computers/selbst.h"

#include "computers/keypad.h"
#include "computers/pipbug_notes.h"
#include "computers/terminal.h"
#include "computers/trainer_boards.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/objfile.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/recording.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "display/led.h"
#include "input/key_events.h"
#include "peripherals/tape.h"
#include "sound/voice_update.h"

#include <cstring>

u8 selbst_data_latch;

const GuestRom selbst_roms[4] = {
    {"selbst09.bin", 2048, "Selbstbaucomputer, monitor 0.9", 0},
    {"selbst10.bin", 2048, "Selbstbaucomputer, monitor 1.0", 0},
    {"selbst20.bin", 2048, "Selbstbaucomputer, monitor 2.0", 0},
    {"selbst_font.bin", 2048, "Selbstbaucomputer 8 x 8 font, 256 characters of 8 rows",
     GUEST_ROM_LONGER_OK},
};

namespace {

constexpr int COLUMNS = 64, ROWS = 16;

// Games-database rows: the programs that play the speaker on port 9, and
// those that want the SENSE edge at a random point of the frame.
bool speaker_game() {
    return known_game_id == 796 || known_game_id == 809 || known_game_id == 812;
}
bool random_sense_game() {
    return known_game_id == 802 || known_game_id == 805 || known_game_id == 808 ||
           known_game_id == 809;
}

u8 font[2048];

// Port 23's code of each keypad group's bits 0-3; 0 where the key acts directly.
constexpr u8 KEY_CODES[6][4] = {{0x8C, 0x88, 0x84, 0x80}, {0x8D, 0x89, 0x85, 0x81},
                                {0x8E, 0x8A, 0x86, 0x82}, {0x8F, 0x8B, 0x87, 0x83},
                                {0xE0, 0xC0, 0xA0, 0x00}, {0x00, 0xD0, 0xB0, 0x90}};

void set_sense(bool on) {
    if (on)
        cpu_psu |= PSU_S;
    else
        cpu_psu &= static_cast<u8>(~PSU_S);
}

void run_polled(i32 clocks) {
    cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, clocks);
    cpu_run_cycles_polled(tape_tick_if_moving);
}

// Line by line, each put as one run.
void draw_screen() {
    const u8 ink = display_ink, paper = display_paper;
    const bool cursor_on = !pipbug_blink || frame_counter % 50 < 25;
    u8 colours[8 * COLUMNS];
    for (int r = 0; r < ROWS; r++)
        for (int line = 0; line < 8; line++) {
            for (int c = 0; c < COLUMNS; c++) {
                u8 bits = font[8 * vdu_cell(c, r) + line];
                if (c == vdu_cursor_col && r == vdu_cursor_row) {
                    if (cursor_on)
                        bits = static_cast<u8>(~bits);
                    else if (line == 7)
                        bits = 0xFF;
                }
                for (int b = 0; b < 8; b++)
                    colours[8 * c + b] = (bits & (0x80 >> b)) ? ink : paper;
            }
            display_plot_row(0, 8 * r + line, colours, 8 * COLUMNS);
        }
}

// The lamps' colours: red, yellow, green, blue, blue, red, yellow, green.
u32 lamp_colour(int n) {
    static constexpr u8 COLOURS[8] = {3, 22, 5, 1, 1, 3, 22, 5};
    return COLOURS[n & 7];
}

} // namespace

void selbst_set_clock(u32 fast) {
    fast_selbst = fast ? 1 : 0;
    machine_live[SELBST].clocks_per_frame = fast_selbst ? 20000.0 : 0.02;
}

// The chosen monitor's ROM at $0000 and the marks of the memory map; with no
// monitor $0000-$07FF is RAM.
static void load_monitor_map() {
    const u32 bios = selbst_biosversion;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        mem_attributes[a] &= ~(MEM_BIOS | MEM_UNWRITABLE | MEM_UNREADABLE | MEM_COMMENT);
    if (bios >= 1 && bios <= 3) {
        guest_rom_read(selbst_roms[bios - 1], guest_memory);
        trainer_set_attributes(0x0000, 0x07FF, MEM_BIOS | MEM_UNWRITABLE);
    }
    trainer_set_attributes(0x2000, 0x7FFF, MEM_UNREADABLE | MEM_UNWRITABLE);
    trainer_mark_label_rows();
}

void selbst_take_monitor(u32 was) {
    // Under no monitor the area is RAM, which the state brings; one saved
    // before states held it finds it empty rather than the ROM that was there.
    if (selbst_biosversion == 0 && was != 0) std::memset(guest_memory, 0, 0x0800);
    load_monitor_map();
}

void selbst_machine_init() {
    load_start_known = 0;
    load_monitor_map();
    std::memset(font, 0, sizeof font);
    guest_rom_read(selbst_roms[3], font);
    selbst_set_clock(fast_selbst);
    vdu_blank_char = 128;
}

void selbst_reset() {
    vdu_cursor_col = vdu_cursor_row = 0;
    guest_key_queue_len = 0;
    speaker_latch = 0;
    selbst_data_latch = 0;
    std::memset(led_digits, 0, sizeof led_digits);
    cpu_iar = load_start_known ? static_cast<u16>(game_start_address & 0x7FFF) : 0;
}

u8 selbst_keypad_code() {
    for (int g = 0; g < 6; g++)
        for (int b = 0; b < 4; b++)
            if (KEY_CODES[g][b] && ((keypad_nibbles[g] >> b) & 1)) return KEY_CODES[g][b];
    return 0;
}

u8 selbst_io_read(u32 port) {
    u8 v = 0;
    switch (port) {
    case 7:
        v = bios_key_input();
        break;
    case 10:
        v = rng_byte(256);
        break;
    case 23:
        v = selbst_keypad_code();
        break;
    default:
        break;
    }
    dbg_trace_port_access(port, v, 0);
    return v;
}

void selbst_io_write(u32 port, u8 value) {
    switch (port) {
    case 9:
        if (speaker_game()) {
            speaker_latch = value == 255;
            snd_update_voices(0);
        } else {
            lamp_latch = value;
        }
        break;
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21: {
        const int digit = 21 - static_cast<int>(port);
        led_digits[digit] = value;
        led_draw_digit(digit);
        break;
    }
    case 27:
        selbst_display_command(value, selbst_data_latch);
        break;
    case 28:
        selbst_data_latch = value;
        break;
    case IO_DATA_PORT: {
        const bool was_on = port_records[IO_DATA_PORT].last_value & 8;
        const bool on = value & 8;
        if (on != was_on && tape_verbose)
            con_printf(on ? "Tape motor has been turned on.\n"
                          : "Tape motor has been turned off.\n");
        if (!on && tape_moving()) tape_stop();
        break;
    }
    default:
        break;
    }
    dbg_trace_port_access(port, value, 1);
}

void selbst_display_command(u8 command, u8 data) {
    if (command & 0x80) return;
    i32& col = vdu_cursor_col;
    i32& row = vdu_cursor_row;
    switch (command & 15) {
    case 0:
        col = row = 0;
        break;
    case 1:
        col = 0;
        break;
    case 2:
        for (int c = 0; c < COLUMNS; c++) {
            const u8 first = vdu_cell(c, 0);
            for (int r = 0; r < ROWS - 1; r++)
                vdu_cell(c, r) = vdu_cell(c, r + 1);
            vdu_cell(c, ROWS - 1) = first;
        }
        break;
    case 4:
    case 12:
        if (col > 0) col--;
        break;
    case 5:
    case 13:
        if (row >= 0 && row < ROWS)
            for (int c = 0; c < COLUMNS; c++)
                vdu_cell(c, row) = vdu_blank_char;
        break;
    case 6:
    case 14:
        if (row > 0) row--;
        break;
    case 7:
        if (col < COLUMNS - 1) col++;
        break;
    case 8:
        for (int c = 0; c < COLUMNS; c++)
            for (int r = 0; r < ROWS; r++)
                vdu_cell(c, r) = data;
        col = row = 0;
        break;
    case 9:
        if (row >= 0 && row < ROWS)
            for (int c = col + 1; c < COLUMNS; c++)
                vdu_cell(c, row) = 0;
        col = 0;
        break;
    case 10:
        term_output_char('\n');
        break;
    case 15:
        term_output_char(data);
        break;
    default: // 3 and 11 do nothing
        break;
    }
}

void selbst_keys() {
    keypad_scan();
    if (keypad_nibbles[4] & 8) machine_reset();
    if (keypad_nibbles[5] & 1)
        cpu_psu |= PSU_F;
    else
        cpu_psu &= static_cast<u8>(~PSU_F);
}

void selbst_run_frame() {
    std::memset(led_digits, 0, 6);
    in_frame = 1;
    if (fast_selbst) {
        i32 first = 10000;
        if (random_sense_game()) first = (rng_byte(256) << 8 | rng_byte(256)) % 19999 + 1;
        set_sense(false);
        run_polled(first);
        set_sense(true);
        run_polled(20000 - first);
    } else {
        // One clock period a second: the budget grows by one every 50th frame.
        if (frame_counter % 50 == 0) cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, 1);
        if (cpu_cycle_budget > 0) {
            set_sense(!(cpu_psu & PSU_S));
            cpu_run_cycles_polled(tape_tick_if_moving);
        }
    }
    selbst_keys();
    if (trainer_frame_drawn()) {
        draw_screen();
        for (int d = 0; d < 6; d++)
            led_draw_digit(d);
        trainer_draw_lamps(178, 21, 171, lamp_colour);
    }
    if (draw_mode) selbst_draw_grid();
    emu_end_of_frame();
}

void selbst_draw_grid() {
    for (int r = 0; r < ROWS; r++)
        for (int c = 0; c < COLUMNS; c++) {
            const u32 x0 = 8 * c, y0 = 8 * r;
            for (u32 i = 0; i < 8; i++) {
                display_plot_pixel(x0 + i, y0, 8);
                display_plot_pixel(x0 + i, y0 + 7, 8);
                display_plot_pixel(x0, y0 + i, 8);
                display_plot_pixel(x0 + 7, y0 + i, 8);
            }
        }
}

void selbst_dump_hardware() {
    for (int r = 0; r < ROWS; r++)
        for (int c0 = 0; c0 < COLUMNS; c0 += 16) {
            u8 cell[16];
            char chars[17];
            for (int i = 0; i < 16; i++) {
                cell[i] = vdu_cell(c0 + i, r);
                chars[i] = con_shown_char(cell[i]);
            }
            chars[16] = 0;
            if (c0 == 0)
                con_printf("%2d: ", r);
            else
                con_printf("    ");
            for (u8 b : cell)
                con_printf("%02X ", b);
            con_printf(" %s\n", chars);
        }
    char ch[6], dot[6];
    for (int d = 0; d < 6; d++) {
        ch[d] = led_segment_char(led_digits[d]);
        dot[d] = (led_digits[d] & 0x80) ? '.' : ' ';
    }
    con_printf("%02X %02X %02X %02X %02X %02X  %c%c%c%c%c%c%c%c%c%c%c%c\n\n", led_digits[0],
               led_digits[1], led_digits[2], led_digits[3], led_digits[4], led_digits[5], ch[0],
               dot[0], ch[1], dot[1], ch[2], dot[2], ch[3], dot[3], ch[4], dot[4], ch[5], dot[5]);
}
