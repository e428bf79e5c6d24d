#include "computers/pipbug.h"
#include "computers/pipbug_notes.h"

#include "computers/pipbug_vdu.h"
#include "computers/terminal.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/seams_services.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/guest_roms.h"
#include "core/savestate.h"
#include "core/savestate_seams.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "display/led.h"
#include "display/host.h"
#include "core/machine.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "core/recording.h"
#include "core/user_prefs.h"
#include "cpu/cpu.h"
#include "peripherals/device_link.h"
#include "peripherals/lab.h"
#include "peripherals/tape.h"
#include "peripherals/printer.h"
#include "sound/voice_update.h"

#include <cstring>

u32 serial_bit_cycles = 3333;
i32 teletype_rx_state;
u32 teletype_rx_due;
u8 teletype_rx_byte;
u8 teletype_break_held;
u8 teletype_last_key = 0x80;
i32 teletype_tx_state;
u32 teletype_tx_due;
u8 teletype_tx_byte;
u32 teletype_holdoff;
u8 port_read_latch;

// Monitors by pipbug_bios.
constexpr u32 BIOS_ARTEMIS = 0, BIOS_HYBUG = 1, BIOS_PIPBUG1 = 2, BIOS_PIPLA = 3;
const GuestRom pipbug_roms[6] = {
    {"artemis.bin", 4089, "PIPBUG, monitor \"Artemis (PIP4K 3.93)\"", GUEST_ROM_LONGER_OK},
    {"hybug.bin", 1024, "PIPBUG, monitor \"HYBUG\"", GUEST_ROM_LONGER_OK},
    {"pipbug1.bin", 1024, "PIPBUG, monitor \"PIPBUG 1\"", GUEST_ROM_LONGER_OK},
    {"pipbug2.bin", 2048, "PIPBUG, monitor \"PIPBUG 2 + PIPLA\"", GUEST_ROM_LONGER_OK},
    {"pipbug_3000.bin", 561, "PIPBUG memory map 9: the command summary at $3000",
     GUEST_ROM_LONGER_OK | GUEST_ROM_OPTIONAL},
    {"pipbug_3c00.bin", 697, "PIPBUG memory map 9: the block at $3C00",
     GUEST_ROM_LONGER_OK | GUEST_ROM_OPTIONAL},
};
static constexpr u32 BIOS_MAPS[4] = {13, 9, 9, 10};
static constexpr u32 BIT_CYCLES[3] = {9091, 3333, 208}; // 1 MHz / 110, 300, 4800 baud
constexpr u32 RAW_HELP = 95;                            // the break key
constexpr i32 GAME_RYTMON = 555;

static u32 bios() {
    return pipbug_bios & 3;
}

u8 serial_guest_char(u8 code) {
    return (code >= 32 && code <= 127) || code >= 160 ? code : 0;
}

CpuCharStyle ascii_chars() {
    return CHARS_ASCII;
}

// ---- Set-up ---------------------------------------------------------------------

// The debugger's built-in label, comment and note rows of each monitor.
struct LabelRanges {
    i32 labels[2], comments[2], notes[2];
};
static constexpr LabelRanges MONITOR_ROWS[4] = {
    {{-1, -1}, {-1, -1}, {-1, -1}},
    {{-1, -1}, {-1, -1}, {-1, -1}},
    {{424, 529}, {0, 66}, {250, 250}},
    {{2630, 2797}, {5072, 5205}, {619, 631}},
};

// The memory map and the debugger's rows of monitor b.
static void choose_monitor(u32 b) {
    memmap = BIOS_MAPS[b];
    MachineLive& row = machine_live[PIPBUG];
    row.first_label_row = MONITOR_ROWS[b].labels[0];
    row.last_label_row = MONITOR_ROWS[b].labels[1];
    row.first_comment_row = MONITOR_ROWS[b].comments[0];
    row.last_comment_row = MONITOR_ROWS[b].comments[1];
    row.first_note_row = MONITOR_ROWS[b].notes[0];
    row.last_note_row = MONITOR_ROWS[b].notes[1];
}

void pipbug_load_monitor(int reconfigure) {
    const u32 b = bios();
    guest_rom_read(pipbug_roms[b], guest_memory);
    choose_monitor(b);
    if (reconfigure) {
        pipbug_setup();
        guest_roms_report();
        ui_mark(UI_TOOL_WINDOWS | UI_REOPEN_WINDOWS | UI_SPEED);
    }
    pipbug_patch_monitor();
}

static void set_map_attributes();

static void set_attributes(u32 first, u32 last, u32 bits) {
    for (u32 a = first; a <= last; a++)
        mem_attributes[a] |= bits;
}

void pipbug_set_clock(u32 fast) {
    fast_pipbug = fast ? 1 : 0;
    machine_live[PIPBUG].clocks_per_frame = fast_pipbug ? 40000.0 : 20000.0;
}

void pipbug_setup() {
    load_start_known = 0;
    pipbug_set_clock(fast_pipbug);
    pipbug_load_monitor(0);
    switch (memmap) {
    case 9:
        std::memset(guest_memory + 0x0400, 0, 0x8000 - 0x0400);
        guest_rom_read(pipbug_roms[4], guest_memory + 0x3000);
        guest_rom_read(pipbug_roms[5], guest_memory + 0x3C00);
        guest_memory[0x0059] = '0';
        guest_memory[0x005A] = 0;
        break;
    case 10:
        std::memset(guest_memory + 0x0800, 0, 0x8000 - 0x0800);
        break;
    default:
        std::memset(guest_memory + 0x1000, 0, 0x8000 - 0x1000);
        break;
    }
    set_map_attributes();
    std::memset(led_digits, 15, sizeof led_digits);
    vdu_blank_char = 0x80;
}

// What the memory map marks: ROM, unmapped areas, the mirror of map 10 and
// the addresses of the monitor's routines. The memory itself is left alone.
static void set_map_attributes() {
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_attributes[a] = 0;
        mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(a);
    }
    switch (memmap) {
    case 9:
        set_attributes(0x0000, 0x03FF, MEM_BIOS | MEM_UNWRITABLE);
        set_attributes(0x3000, 0x41FF, MEM_UNWRITABLE);
        break;
    case 10:
        set_attributes(0x0000, 0x07FF, MEM_BIOS | MEM_UNWRITABLE);
        set_attributes(0x0880, 0x0BFF, MEM_UNREADABLE | MEM_UNWRITABLE);
        set_attributes(0x1000, 0x1EFF, MEM_UNREADABLE | MEM_UNWRITABLE);
        set_attributes(0x2000, 0x7FFF, MEM_UNREADABLE | MEM_UNWRITABLE);
        for (u32 a = 0x1F00; a <= 0x1FFF; a++)
            mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(a - 0x1000);
        break;
    default:
        set_attributes(0x0000, 0x0FFF, MEM_BIOS | MEM_UNWRITABLE);
        break;
    }
    const MachineLive& row = machine_live[PIPBUG];
    machine_mark_comment_rows(row.first_comment_row, row.last_comment_row, true);
}

void pipbug_patch_monitor() {
    const u32 b = bios();
    if (b == BIOS_HYBUG) pipbug_baudrate = 1;
    if (b == BIOS_ARTEMIS) pipbug_baudrate = 2;
    if (pipbug_baudrate < 0 || pipbug_baudrate > 2) pipbug_baudrate = 1;
    if (b == BIOS_PIPBUG1) {
        // The delay constants of the one-bit and half-bit routines.
        static constexpr u8 OFFSETS[6] = {0, 1, 2, 5, 6, 8};
        static constexpr u8 FAST[6] = {0xC0, 0x04, 0x07, 0xC0, 0xC0, 0x07};
        const u8 v = pipbug_baudrate == 0 ? 0xF8 : 0xA4;
        const u8 slow[6] = {0x20, v, 0x7E, v, 0x7E, 0xE5};
        for (int i = 0; i < 6; i++)
            guest_memory[0x02A8 + OFFSETS[i]] = pipbug_baudrate == 2 ? FAST[i] : slow[i];
    }
    if (b == BIOS_PIPLA) {
        if (pipbug_baudrate == 2) pipbug_baudrate = 1;
        guest_memory[0x0816] = pipbug_baudrate == 0 ? 0xF9 : 0x59;
    }
    serial_bit_cycles = BIT_CYCLES[pipbug_baudrate];
}

bool pipbug_baud_choosable() {
    return bios() == BIOS_PIPBUG1 || bios() == BIOS_PIPLA;
}

bool pipbug_set_baud(u32 choice) {
    // Only PIPBUG 1's delay loops can be patched down to 4800 baud.
    if (choice > 2 || !pipbug_baud_choosable() || (choice == 2 && bios() != BIOS_PIPBUG1))
        return false;
    pipbug_baudrate = static_cast<i32>(choice);
    prefs_user_chose(&pipbug_baudrate);
    pipbug_patch_monitor();
    return true;
}

// ---- The serial line ---------------------------------------------------------------

static void set_sense(bool mark) {
    if (mark)
        cpu_psu |= PSU_S;
    else
        cpu_psu &= static_cast<u8>(~PSU_S);
}

static bool due(u32 when) {
    return static_cast<i32>(cpu_cycles - when) >= 0;
}

void teletype_bit_timing() {
    if (teletype_rx_state != 0 && due(teletype_rx_due)) {
        const i32 old = teletype_rx_state++;
        teletype_rx_due += serial_bit_cycles;
        if (old <= 8)
            set_sense((teletype_rx_byte >> (old - 1)) & 1);
        else if (old <= 10)
            set_sense(true); // stop bits
        else if (old == 22) {
            set_sense(true);
            teletype_rx_state = 0;
        }
    }
    if (teletype_tx_state != 0 && due(teletype_tx_due)) {
        const i32 old = teletype_tx_state++;
        teletype_tx_due += serial_bit_cycles;
        if (cpu_psu & PSU_F) teletype_tx_byte |= static_cast<u8>(1u << (old - 1));
        if (old == 8) {
            teletype_tx_state = 0;
            term_output_char(teletype_tx_byte);
        }
    }
}

void pipbug_poll_teletype_key() {
    if (rec_state == REC_IDLE && host_key_down(RAW_HELP)) {
        teletype_break_held = 1;
        set_sense(false);
        return;
    }
    if (teletype_break_held) {
        teletype_break_held = 0;
        set_sense(true);
        return;
    }
    if (teletype_holdoff != 0) {
        if (!due(teletype_holdoff)) return;
        teletype_holdoff = 0;
    }
    if (teletype_rx_state != 0) return;
    const u8 key = bios_key_input();
    teletype_last_key = key;
    if (key == 0x80) return;
    teletype_rx_byte = key;
    teletype_rx_state = 1;
    teletype_rx_due = cpu_cycles + serial_bit_cycles;
    set_sense(false); // the start bit
}

// FLAG low with an idle transmitter starts a character on the serial line:
// one and a half bit times to the middle of bit 0.
static void flag_written(u8) {
    if (teletype_tx_state == 0 && !(cpu_psu & PSU_F)) {
        teletype_tx_state = 1;
        teletype_tx_byte = 0;
        teletype_tx_due = cpu_cycles + serial_bit_cycles + serial_bit_cycles / 2;
    }
}

// ---- Frame ------------------------------------------------------------------------------

// Before every instruction: the cassette, then the serial line.
static void pipbug_tick() {
    tape_tick_if_moving();
    teletype_bit_timing();
}

void pipbug_run_cpu_slice() {
    cpu_run_cycles_polled(pipbug_tick);
}

void pipbug_run_frame() {
    std::memset(led_digits, 0, 4);
    in_frame = 1;
    pipbug_poll_teletype_key();
    cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, fast_pipbug ? 40000 : 20000);
    pipbug_run_cpu_slice();
    const i32 skip = frame_skip > 0 ? frame_skip : 1;
    if (frame_skip != FRAME_SKIP_NO_DRAW && frame_counter % static_cast<u32>(skip) == 0) {
        pipbug_draw_screen();
        lab_redraw_leds();
    }
    lab_furnace_tick();
    if (draw_mode == 1) pipbug_draw_cell_grid();
    emu_end_of_frame();
}

// ---- Ports ------------------------------------------------------------------------------

static u8 last_written(u32 port) {
    return port_records[port].last_value;
}

u8 pipbug_io_read(u32 port) {
    u8& latch = port_read_latch;
    u8 value = 0;
    if (lab_port_read(port, &value)) {
        latch = value;
    } else {
        switch (port) {
        case 2:
        case 5:
        case 6:
        case 256:
            break; // an instrument's port that the chosen one leaves alone
        case 25:
            latch = 0x80;
            break;
        case 255:
            latch = bios() == BIOS_PIPLA ? last_written(255) : 0;
            break;
        case 257:
            if (pipbug_peripheral == LAB_EA_PRINTER) latch = 0x80;
            break;
        default:
            latch = 0;
            break;
        }
    }
    dbg_trace_port_access(port, latch, 0);
    return latch;
}

void pipbug_io_write(u32 port, u8 value) {
    const bool taken = lab_port_write(port, &value);
    if (port == 25) printer_write_byte(value, 1);
    // The data port lights digits 0-3: bits 7-4 select them, the low nibble shows.
    if (port == 257 && !taken && bios() != BIOS_PIPLA && known_game_id != GAME_RYTMON) {
        if (pipbug_peripheral == LAB_EA_PRINTER) printer_write_byte(value, 0);
        for (int d = 0; d < 4; d++)
            if (value & (0x80 >> d)) led_set_digit(d, value & 15);
    }
    dbg_trace_port_access(port, value, 1);
}

// ---- Reset and save state -------------------------------------------------------------

void pipbug_reset() {
    port_records[16].last_value = 7; // the idle teletype port
    teletype_rx_state = teletype_tx_state = 0;
    teletype_rx_due = teletype_tx_due = 0;
    teletype_break_held = 0;
    term_skip_next = 0;
    guest_key_queue_len = 0;
    pipbug_vdu_clear(0);
    cpu_psu |= PSU_S | PSU_F;
    pipbug_patch_monitor();
    // PIPBUG 2 measures the baud rate from a "U" typed at start-up.
    if (bios() == BIOS_PIPLA && !post) guest_key_queue_append_text("U");
    std::memset(led_digits, 0, sizeof led_digits);
    snd_silence_voice(0); // the music programs' note would otherwise be held
    snd_update_voices(0);
    cpu_iar = load_start_known ? static_cast<u16>(game_start_address & 0x7FFF) : 0;
}

static bool reading() {
    return serial_dir != SERIAL_WRITE;
}
static bool applying() {
    return reading() && !serial_dry() && !serial_overrun();
}

// A state saved under another monitor brings that monitor's memory map back
// with its memory: ROM, unmapped areas, mirror and the debugger's rows follow
// the state, not the monitor chosen meanwhile. Breakpoints and watches stay.
static void take_monitor_of_state(u32 b) {
    if (b > 3 || (b == bios() && memmap == BIOS_MAPS[b])) return;
    constexpr u32 MAP_BITS = MEM_BIOS | MEM_UNWRITABLE | MEM_UNREADABLE | MEM_COMMENT;
    static u32 kept[GUEST_MEMORY_SIZE];
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        kept[a] = mem_attributes[a] & ~MAP_BITS;
    choose_monitor(b);
    set_map_attributes();
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        mem_attributes[a] |= kept[a];
    ui_mark(UI_MENUS | UI_TITLE | UI_STATUS | UI_SPEED);
}

void pipbug_serialise(u32) {
    state_field_memory(0x0000, 0x7FFF);
    u32 b = bios();
    if (state_field_u32(&b) > 3 && reading()) serial_mark_bad("PIPBUG monitor");
    i32 baud = pipbug_baudrate;
    if (state_field_u32(&baud) > 2 && reading()) serial_mark_bad("PIPBUG baud rate");
    if (applying()) {
        take_monitor_of_state(b);
        pipbug_bios = b;
        pipbug_baudrate = baud;
    }
    if (applying()) pipbug_patch_monitor();
    for (u32 port : {0u, 1u, 2u, 4u, 5u, 6u, 8u, 16u, 255u, 256u, 257u})
        state_field_u8(&port_records[port].last_value);
    for (int r = 0; r < VDU_ROWS; r++)
        for (int c = 0; c < VDU_COLUMNS; c++)
            state_field_u8(&vdu_cell(c, r));
    if (state_field_u32(&vdu_scroll) >= VDU_ROWS && reading()) serial_mark_bad("VDU scroll");
    if (state_field_u32(&teletype_rx_state) > 22 && reading()) serial_mark_bad("serial input");
    if (state_field_u32(&teletype_tx_state) > 8 && reading()) serial_mark_bad("serial output");
    state_field_u8(&teletype_rx_byte);
    state_field_u8(&teletype_tx_byte);
    state_field_u32_full(&teletype_rx_due);
    state_field_u32_full(&teletype_tx_due);
    const i32 old_vdu = pipbug_vdu;
    i32 vdu = pipbug_vdu;
    u32 stored = state_field_u32(&vdu);
    if (reading() && state_guest_version < 42 && stored > 2) stored++;
    if (reading() && stored > 5) serial_mark_bad("VDU type");
    state_field_u8(&tty_reader_on);
    state_field_u8(&tty_punch_on);
    if (reading() ? state_guest_version >= 42 : true) state_field_u32(&beeper_countdowns[0]);
    for (u8& v : lab_furnace)
        state_field_u8(&v);
    i32 peripheral = pipbug_peripheral;
    if (state_field_u32(&peripheral) > 3 && reading()) serial_mark_bad("PIPBUG peripheral");
    state_field_u8(&lab_select);
    for (u16& v : lab_linear)
        state_field_u16(&v);
    for (u16& v : lab_magnetometer)
        state_field_u16(&v);
    if (applying()) {
        pipbug_peripheral = peripheral;
        pipbug_vdu = static_cast<i32>(stored);
        guest_key_queue_len = 0;
        if (pipbug_vdu != old_vdu) {
            display_setup_geometry();
            display_apply_palette();
            window_resize_pending = 1;
            ui_mark(UI_SCALE | UI_TOOL_WINDOWS | UI_REOPEN_WINDOWS);
        }
    }
}

// The 32-column VDU leaves room for LED digits 0-6 only.
static bool short_led_panel() {
    return pipbug_vdu == 1;
}

// The EA and 7-bit printers on unit 0, the teletype's papertape unit, the LED panel.
static constexpr DeviceLink DEVICES = {.printer_units = 1,
                                       .line_printer = false,
                                       .papertape_units = 1,
                                       .glyph = font5x7_glyph,
                                       .led_panel_short = short_led_panel};

// Monitor 3 keeps the games' entry code at $0003-$0015 inside its ROM: calls
// from there count as game code too.
static bool bios_caller(u16 caller) {
    return pipbug_bios == 3 && caller >= 0x0003 && caller <= 0x0015;
}

constexpr CpuDebugHooks pipbug_debug_hooks{
    .char_style = ascii_chars,
    .guest_char = serial_guest_char,
    .bios_caller = bios_caller,
    .bios_notes = pipbug_bios_notes,
};

void pipbug_bus_install() {
    device_link = DEVICES;
    cpu_bus.flag_written = flag_written;
}

LedDigitPlace pipbug_led_digit_place(int digit) {
    const i32 w = machine_live[PIPBUG].width, h = machine_live[PIPBUG].height;
    i32 x = 21 * digit + (pipbug_vdu == 1 ? (w - 162) / 2 : (w - 330) / 2);
    if (digit >= 4) x += 21;
    if (digit >= 7) x += 21;
    if (digit >= 10) x += 21;
    return {x, h - 35, 0};
}

bool pipbug_monitor_2() {
    return pipbug_bios == BIOS_PIPLA;
}

bool pipbug_vdu_blanks() {
    return pipbug_vdu == 3;
}
