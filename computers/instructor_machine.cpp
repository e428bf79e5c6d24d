// The Instructor 50's board: memory map, keypad, digits, lamps, ports and frame.
#include "computers/instructor.h"

#include "computers/pipbug_notes.h"
#include "computers/trainer_boards.h"
#include "core/frame.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/led.h"
#include "input/console_buttons.h"
#include "input/controls.h"
#include "input/keys.h"
#include "peripherals/tape.h"

#include <cstdlib>
#include <cstring>

const GuestRom instructor_rom{"si50.bin", 2048, "Signetics Instructor 50 monitor", 0};

InstructorLatches si50_latches{8, 0, 0};
u8 si50_keypad_rows[7];

namespace {

constexpr u8 NO_DIGIT = 8;
u32 zero_writes[8];

// The player and keypad key of each bit (0-3) of keypad rows 1-6.
struct RowKey {
    u8 player, key;
};
constexpr RowKey ROW_KEYS[6][4] = {
    {{0, 1}, {0, 4}, {0, 7}, {0, 10}}, {{0, 2}, {0, 5}, {0, 8}, {0, 11}},
    {{0, 12}, {0, 9}, {0, 6}, {0, 3}}, {{1, 10}, {1, 7}, {1, 4}, {1, 1}},
    {{1, 11}, {1, 8}, {1, 5}, {1, 2}}, {{1, 12}, {1, 9}, {1, 6}, {1, 3}},
};

// The keypad row that port 254 returns for each digit select.
constexpr int SELECT_ROW[6] = {3, 4, 5, 6, 1, 2};

bool row_bit_of(int player, int key, int* row, int* bit) {
    for (int r = 0; r < 6; r++)
        for (int b = 0; b < 4; b++)
            if (ROW_KEYS[r][b].player == player && ROW_KEYS[r][b].key == key) {
                *row = r + 1;
                *bit = b;
                return true;
            }
    return false;
}

void interrupt() {
    cpu_irq_pending = 1;
    cpu_interrupt();
}

bool playing_back() {
    return rec_state == REC_PLAYBACK;
}

u8 settings_byte() {
    return static_cast<u8>(((si50_interrupts & 1) << 3) | ((si50_intselector & 1) << 2) |
                           (si50_parallelio & 3));
}

// The lamps of the board: red dots along the top.
u32 lamp_colour(int) {
    return LED_LIT;
}

} // namespace

void instructor_setup() {
    load_start_known = 0;
    if (randomizememory) {
        for (u32 a = 0x0000; a <= 0x17FF; a++)
            guest_memory[a] = static_cast<u8>(std::rand());
        for (u32 a = 0x2000; a <= 0x7FFF; a++)
            guest_memory[a] = static_cast<u8>(std::rand());
    }
    guest_rom_read(instructor_rom, guest_memory + 0x1800);
    constexpr u32 UNMAPPED = MEM_UNREADABLE | MEM_UNWRITABLE;
    if (memmap == MAP_INSTRUCTOR_BASIC) {
        trainer_set_attributes(0x0200, 0x0FFE, UNMAPPED);
        trainer_set_attributes(0x2000, 0x7FFF, UNMAPPED);
    }
    trainer_set_attributes(0x1000, 0x177F, UNMAPPED);
    trainer_set_attributes(0x17D1, 0x17D8, MEM_DEVICE);
    trainer_set_attributes(0x1800, 0x1FFF, MEM_BIOS | MEM_UNWRITABLE);
    trainer_set_attributes(0x0FFF, 0x0FFF, MEM_ROUTED);
    trainer_mark_label_rows();
}

void instructor_reset() {
    std::memset(led_digits, 0, sizeof led_digits);
    std::memset(zero_writes, 0, sizeof zero_writes);
    std::memset(si50_keypad_rows, 0, sizeof si50_keypad_rows);
    si50_latches = {NO_DIGIT, 0, 0};
    port_records[248].last_value = 0;
    cpu_iar = load_start_known ? static_cast<u16>(game_start_address & 0x7FFF) : 0x1800;
}

void instructor_apply_key(i32 rect) {
    if (rect < 0 || rect >= controls_mark_count()) return;
    const ControlsKeyRect& r = controls_current_layout().rects[rect];
    if (r.role >= CR_CONSOLE1 && r.role <= CR_CONSOLE4) {
        si50_keypad_rows[0] |= static_cast<u8>(1 << (r.role - CR_CONSOLE1));
        return;
    }
    int row, bit;
    if (r.role == CR_KEY && row_bit_of(r.player, r.key, &row, &bit))
        si50_keypad_rows[row] |= static_cast<u8>(1 << bit);
}

void instructor_key_marks(u8* marks) {
    const int n = controls_mark_count();
    const ControlsLayout& layout = controls_current_layout();
    for (int i = 0; i < n; i++) {
        const ControlsKeyRect& r = layout.rects[i];
        int row = 0, bit = -1;
        if (r.role >= CR_CONSOLE1 && r.role <= CR_CONSOLE4)
            bit = r.role - CR_CONSOLE1;
        else if (r.role != CR_KEY || !row_bit_of(r.player, r.key, &row, &bit))
            bit = -1;
        marks[i] = bit >= 0 && ((si50_keypad_rows[row] >> bit) & 1);
    }
}

void instructor_scan_keys() {
    u8* rows = si50_keypad_rows;
    if (playing_back()) {
        const u8 b0 = rec_read_byte(), b1 = rec_read_byte(), b2 = rec_read_byte();
        const u8 b3 = rec_read_byte(), b4 = rec_read_byte();
        rows[0] = b0 >> 4;
        rows[1] = b0 & 15;
        rows[2] = b1 >> 4;
        rows[3] = b1 & 15;
        rows[4] = b2 >> 4;
        rows[5] = b2 & 15;
        rows[6] = b3 >> 4;
        const u8 before = settings_byte();
        const u32 toggles = si50_toggles;
        si50_interrupts = (b3 >> 3) & 1;
        si50_intselector = (b3 >> 2) & 1;
        si50_parallelio = (b3 & 3) <= 2 ? b3 & 3 : 2;
        si50_toggles = b4;
        if (before != settings_byte() || toggles != si50_toggles) ui_mark(UI_DIP_GADGETS);
    } else {
        std::memset(rows, 0, 7);
        for (int k = 0; k < 4; k++)
            if (input_console_button_held(k)) rows[0] |= static_cast<u8>(1 << k);
        for (int r = 0; r < 6; r++)
            for (int b = 0; b < 4; b++) {
                const u16 code = player_keys[ROW_KEYS[r][b].player][ROW_KEYS[r][b].key];
                if (code < RAW_NONE && host_key_down(code)) rows[r + 1] |= static_cast<u8>(1 << b);
            }
        input_virtual_key_apply();
    }
    if (rec_state == REC_RECORDING) {
        rec_write_byte(static_cast<u8>(rows[0] << 4 | rows[1]));
        rec_write_byte(static_cast<u8>(rows[2] << 4 | rows[3]));
        rec_write_byte(static_cast<u8>(rows[4] << 4 | rows[5]));
        rec_write_byte(static_cast<u8>(rows[6] << 4 | settings_byte()));
        rec_write_byte(static_cast<u8>(si50_toggles));
    }
    input_console_buttons_tick();
}

void instructor_run_frame() {
    std::memset(led_digits, 0, 8);
    in_frame = 1;
    cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, 17900);
    cpu_run_cycles_polled(tape_tick_if_moving);

    const u8 before = si50_latches.last_console_row = si50_keypad_rows[0];
    instructor_scan_keys();
    const u8 now = si50_keypad_rows[0];
    const u8 pressed = static_cast<u8>(now & ~before);
    if (now & 1)
        cpu_psu |= PSU_S;
    else
        cpu_psu &= static_cast<u8>(~PSU_S);
    if ((pressed & 2) && si50_intselector == 1) interrupt();
    if (pressed & 4) cpu_iar = 0x1800;
    if (pressed & 8) cpu_iar = 0x0000;
    if (si50_intselector == 0) interrupt();

    if (trainer_frame_drawn()) {
        for (int d = 0; d < 8; d++)
            led_draw_digit(d);
        trainer_draw_lamps(20, 33, 49, lamp_colour);
    }
    emu_end_of_frame();
}

u8 instructor_io_read(u32 port) {
    u8& latch = si50_latches.read_latch;
    switch (port) {
    case 7:
        if (si50_parallelio == 1) latch = static_cast<u8>(si50_toggles);
        break;
    case 252:
    case 253:
        latch = port_records[port].last_value;
        break;
    case 254: {
        const u8 select = si50_latches.digit_select;
        latch = 0xFF;
        if ((frame_counter & 1) && select < 6)
            latch = static_cast<u8>(~si50_keypad_rows[SELECT_ROW[select]]);
        break;
    }
    case IO_DATA_PORT:
        if (si50_parallelio == 2) latch = static_cast<u8>(si50_toggles);
        break;
    default:
        latch = 0;
        break;
    }
    dbg_trace_port_access(port, latch, 0);
    return latch;
}

void instructor_io_write(u32 port, u8 value) {
    switch (port) {
    case 7:
        if (si50_parallelio == 1) lamp_latch = value;
        if (tape_verbose && (cpu_iar == 0x1EBC || cpu_iar == 0x1F07)) con_printf("%c", cpu_regs[0]);
        break;
    case 249: {
        const u8 d = si50_latches.digit_select;
        if (d >= NO_DIGIT) return; // an ignored write
        if (value == 0 && ++zero_writes[d] < (d == 0 ? 3u : 2u)) break;
        led_digits[d] = value;
        zero_writes[d] = 0;
        led_draw_digit(d);
        break;
    }
    case 250: {
        u8 select = NO_DIGIT;
        for (u8 b = 0; b < 8; b++)
            if (value == (1u << b)) select = b;
        si50_latches.digit_select = select;
        break;
    }
    case 251:
        port_records[252].last_value = static_cast<u8>(cpu_iar);
        port_records[253].last_value = static_cast<u8>(cpu_iar >> 8);
        break;
    case IO_DATA_PORT:
        if (si50_parallelio == 2) lamp_latch = value;
        break;
    default: // 248, the cassette output, is read from its last value
        break;
    }
    dbg_trace_port_access(port, value, 1);
}

char instructor_segment_char(u8 pattern) {
    return led_segment_char(pattern & 0x7F);
}

void instructor_view_state() {
    char shown[17];
    for (int d = 0; d < 8; d++) {
        shown[2 * d] = instructor_segment_char(led_digits[d]);
        shown[2 * d + 1] = (led_digits[d] & 0x80) ? '.' : ' ';
    }
    shown[16] = 0;
    con_printf("Ports:        %02X %02X %02X %02X %02X %02X %02X %02X  %s\n", led_digits[0],
               led_digits[1], led_digits[2], led_digits[3], led_digits[4], led_digits[5],
               led_digits[6], led_digits[7], shown);
    const u8* buffer = guest_memory + 0x17D1;
    for (int d = 0; d < 8; d++) {
        const char c = static_cast<char>(instructor_display_char(buffer[d]));
        shown[2 * d] = c ? c : '?';
        shown[2 * d + 1] = ' ';
    }
    con_printf("$17D1..$17D8: %02X %02X %02X %02X %02X %02X %02X %02X  %s\n\n", buffer[0],
               buffer[1], buffer[2], buffer[3], buffer[4], buffer[5], buffer[6], buffer[7], shown);
}
