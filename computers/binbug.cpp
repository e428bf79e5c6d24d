#include "computers/binbug.h"

#include "computers/beam_vdu.h"
#include "computers/binbug_dos.h"
#include "computers/dos_files.h"
#include "computers/fdc_board.h"
#include "computers/grid_editor.h"
#include "computers/pipbug.h"
#include "computers/pipbug_notes.h"
#include "computers/pipbug_vdu.h"
#include "core/dump_lines.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/guest_roms.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/objfile.h"
#include "machines/fd1771.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/savestate.h"
#include "core/savestate_fields.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "cpu/bus.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "display/led.h"
#include "input/joysticks.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/controls.h"
#include "input/paddles.h"
#include "peripherals/device_link.h"
#include "peripherals/floppy.h"
#include "peripherals/printer.h"
#include "peripherals/tape.h"
#include "sound/voice_update.h"

#include <cstdint>
#include <cstring>

u8 binbug_char_rom[128 * 16];
u8 binbug_gfx_rom[256 * 16];
u8 binbug_axis_latch;
u8 binbug_fire[2];
u8 binbug_keypad_rows[4];

// Monitors by binbug_biosversion.
constexpr i32 BIOS_35 = 0, BIOS_36 = 1, BIOS_61 = 2, BIOS_GBUG = 3, BIOS_MIKEBUG = 4, BIOS_MYBUG = 5;
enum : u32 {
    ROM_BINBUG3,
    ROM_BINBUG61,
    ROM_GBUG,
    ROM_EDIT5800,
    ROM_MIKEBUG,
    ROM_DISK_BOOT,
    ROM_6400,
    ROM_MICRODOS,
    ROM_VHSDOS,
    ROM_CHARS,
    ROM_GRAPHICS,
};
const GuestRom binbug_roms[BINBUG_ROM_COUNT] = {
    {"binbug3.bin", 1024, "BINBUG, monitors \"BINBUG 3.5\" and \"BINBUG 3.6\"", 0},
    {"binbug61.bin", 1024, "BINBUG, monitor \"BINBUG 6.1\"", 0},
    {"gbug.bin", 1024, "BINBUG, monitor \"GBUG\"", 0},
    {"gbug_edit5800.bin", 616, "BINBUG, the EDIT5800 editor of \"GBUG + EDIT5800\" at $5800", 0},
    {"mikebug.bin", 1024, "BINBUG, monitors \"MIKEBUG 3\" and \"MYBUG\"", 0},
    {"binbug_diskboot.bin", 1024, "BINBUG, the disk boot ROM at $6000", GUEST_ROM_OPTIONAL},
    {"binbug_6400.bin", 816, "BINBUG, the ROM data at $6400", GUEST_ROM_OPTIONAL},
    {"binbug_microdos.bin", 2017, "BINBUG, disk system \"MicroDOS 4.5a\" at $6800",
     GUEST_ROM_OPTIONAL},
    {"binbug_vhsdos.bin", 2042, "BINBUG, disk system \"VHS DOS 2.6a\" at $6800",
     GUEST_ROM_OPTIONAL},
    {"binbug_chars.bin", 2048, "BINBUG, the character ROM (128 x 16)", 0},
    {"binbug_graphics.bin", 4096, "BINBUG, the graphics character ROM (256 x 16)",
     GUEST_ROM_OPTIONAL},
};

// The FD1771 on ports 12-16, drives limited by the user's setting.
static const FdcBoard BOARD = {&binbug_userdrives, "Spun down drive #%d due to drive change.\n",
                               false};

namespace {

constexpr u32 VDU = 0x7800, COLOURS = 0x7C00, UDG = 0x7000;
constexpr i32 COLUMNS = 64, ROWS = 16, CELL_W = 9, CELL_H = 16;
constexpr i32 LINE_CLOCKS = 768, VISIBLE_X = 576, VISIBLE_LINES = 256, LAST_LINE = BINBUG_LAST_LINE;

u8& mem(u32 a) {
    return guest_memory[a & (GUEST_MEMORY_SIZE - 1)];
}

void set_attributes(u32 first, u32 last, u32 bits) {
    for (u32 a = first; a <= last; a++)
        mem_attributes[a] |= bits;
}
void clear_attributes(u32 first, u32 last, u32 bits) {
    for (u32 a = first; a <= last; a++)
        mem_attributes[a] &= ~bits;
}
void mirror(u32 first, u32 last, u32 target) {
    for (u32 a = first; a <= last; a++)
        mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(target + (a - first));
}

u8 last_written(u32 port) {
    return port_records[port].last_value;
}

// The database's "Hex Keyboard" program is loaded: port 1 reads its keypad.
bool hex_keyboard() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return false;
    const char* name = known_games_db[known_game_id].name;
    return name && std::strcmp(name, "Hex Keyboard") == 0;
}

u8 bcd(int v) {
    return static_cast<u8>((v / 10 % 10) << 4 | v % 10);
}

// ---- the monitor's patches ----------------------------------------------------------------

struct Patch {
    u16 address;
    std::int16_t bytes[4]; // BINBUG 3.5, BINBUG 3.6, MIKEBUG 3, MYBUG; -1 unchanged
};
constexpr Patch MONITOR_PATCHES[] = {
    {0x004F, {-1, -1, 0x84, 0x40}}, {0x0050, {-1, -1, 0x35, 0x09}},
    {0x00F7, {0x01, 0x00, -1, -1}}, {0x00F8, {0x6D, 0x1D, 0x08, 0x06}},
    {0x016D, {0x06, 0x0D, -1, -1}}, {0x016E, {0xF7, 0x04, -1, -1}},
    {0x016F, {0x0E, 0x0D, -1, -1}}, {0x0170, {0x63, 0x3F, -1, -1}},
    {0x0171, {0x09, 0x02, -1, -1}}, {0x0172, {0xC1, 0x69, 0x0E, 0x0C}},
    {0x0173, {0x3F, 0x0D, -1, -1}}, {0x0174, {0x02, 0x04, -1, -1}},
    {0x0175, {0x79, 0x0E, -1, -1}}, {0x0176, {0xDA, 0x3F, -1, -1}},
    {0x0177, {0x77, 0x02, -1, -1}}, {0x0178, {0x9B, 0x69, -1, -1}},
    {0x0179, {0x22, 0x9B, -1, -1}}, {0x017A, {0xC0, 0x22, -1, -1}},
};

// The disk boot ROM's delay constants, normal and fast board.
constexpr u16 BOOT_PATCH_AT[15] = {0x631E, 0x631F, 0x6327, 0x633A, 0x6340, 0x6341, 0x6342, 0x6343,
                                   0x634B, 0x6356, 0x6358, 0x63AF, 0x63BC, 0x63C3, 0x63CE};
constexpr u8 BOOT_PATCH[2][15] = {
    {0xA6, 0x02, 0x32, 0x12, 0x32, 0x24, 0x17, 0x0B, 0x0B, 0x89, 0x0B, 0x14, 0x0D, 0x07, 0x13},
    {0x86, 0x08, 0x6E, 0x2E, 0x66, 0x4A, 0x30, 0x18, 0x18, 0xEF, 0x18, 0x2A, 0x1D, 0x11, 0x29},
};

// Baud table: bit time, and the delay bytes of BINBUG 6.1 at $042D, $042E.
struct Baud {
    u32 bit;
    u8 delay[2];
};
constexpr Baud BAUDS[4] = {{6667, {221, 218}}, {3333, {110, 107}}, {833, {26, 24}}, {417, {12, 10}}};

} // namespace

// ---- set-up ---------------------------------------------------------------------------------

void binbug_set_baud_rate() {
    if (binbug_biosversion != BIOS_61) binbug_baudrate = 1;
    if (binbug_baudrate < 0 || binbug_baudrate > 3) binbug_baudrate = 1;
    const Baud& b = BAUDS[binbug_baudrate];
    serial_bit_cycles = b.bit;
    if (binbug_biosversion == BIOS_61) {
        mem(0x042D) = b.delay[0];
        mem(0x042E) = b.delay[1];
    }
}

// What the monitor marks beyond the ROM: GBUG's editor and its fixed byte at
// $0438; the other monitors leave both as RAM. The memory is left alone.
static void set_monitor_attributes() {
    if (binbug_biosversion == BIOS_GBUG) {
        set_attributes(0x5800, 0x5800 + 616 - 1, MEM_BIOS);
        set_attributes(0x0438, 0x0438, MEM_UNWRITABLE);
    } else {
        clear_attributes(0x5800, 0x5800 + 616 - 1, MEM_BIOS);
        clear_attributes(0x0438, 0x0438, MEM_UNWRITABLE);
    }
}

void binbug_apply_memory_map() {
    if (binbug_biosversion < 0 || binbug_biosversion > 5) binbug_biosversion = 0;
    static constexpr u32 MONITOR_ROM[6] = {ROM_BINBUG3, ROM_BINBUG3, ROM_BINBUG61,
                                           ROM_GBUG,    ROM_MIKEBUG, ROM_MIKEBUG};
    std::memset(guest_memory, 0, 0x0400);
    guest_rom_read(binbug_roms[MONITOR_ROM[binbug_biosversion]], guest_memory);
    if (binbug_biosversion == BIOS_GBUG) {
        guest_rom_read(binbug_roms[ROM_EDIT5800], guest_memory + 0x5800);
        mem(0x0438) = 0xFF;
    }
    set_monitor_attributes();
    int column = -1;
    switch (binbug_biosversion) {
    case BIOS_35: column = 0; break;
    case BIOS_36: column = 1; break;
    case BIOS_MIKEBUG: column = 2; break;
    case BIOS_MYBUG: column = 3; break;
    default: break;
    }
    if (column >= 0)
        for (const Patch& p : MONITOR_PATCHES)
            if (p.bytes[column] >= 0) mem(p.address) = static_cast<u8>(p.bytes[column]);
    // No rows of the built-in label table name the monitors' or the disk
    // systems' routines: no address is marked as a routine entry.
    clear_attributes(0x0000, GUEST_MEMORY_SIZE - 1, MEM_COMMENT);
    MachineLive& row = machine_live[BINBUG];
    row.first_label_row = row.last_label_row = -1;

    if (binbug_dosversion < 0 || binbug_dosversion > 2) binbug_dosversion = 2;
    std::memset(guest_memory + 0x6800, 0, 0x0800);
    if (binbug_dosversion == 0) {
        guest_rom_read(binbug_roms[ROM_MICRODOS], guest_memory + 0x6800);
        std::memset(guest_memory + 0x6FE1, 0, 0x6FFF - 0x6FE1 + 1);
    } else if (binbug_dosversion == 1) {
        guest_rom_read(binbug_roms[ROM_VHSDOS], guest_memory + 0x6800);
        std::memset(guest_memory + 0x6FFA, 0, 0x6FFF - 0x6FFA + 1);
    }
    if (binbug_dosversion != 2) {
        int day, month, year;
        dos_today(&day, &month, &year);
        mem(0x70FC) = 0xFF;
        mem(0x70FD) = bcd(day);
        mem(0x70FE) = bcd(month);
        mem(0x70FF) = bcd(year);
    }
    binbug_set_baud_rate();
}

void binbug_set_clock(u32 fast) {
    fast_binbug = fast ? 1 : 0;
    machine_live[BINBUG].clocks_per_frame = fast_binbug ? 40000.0 : 20000.0;
    // The disk boot ROM's delay loops are patched for the clock.
    for (int i = 0; i < 15; i++)
        mem(BOOT_PATCH_AT[i]) = BOOT_PATCH[fast_binbug][i];
}

bool binbug_set_baud(u32 choice) {
    // Only BINBUG 6.1's delay bytes can be patched: the others run at 300/600.
    if (choice > 3 || (binbug_biosversion != BIOS_61 && choice != 1)) return false;
    binbug_baudrate = static_cast<i32>(choice);
    prefs_user_chose(&binbug_baudrate);
    binbug_set_baud_rate();
    return true;
}

void binbug_setup() {
    load_start_known = 0;
    machine_live[BINBUG].clocks_per_frame = fast_binbug ? 40000.0 : 20000.0;
    cpu_beam_clock = 0;
    std::memset(guest_memory + 0x0400, 0, 0x5800 - 0x0400);
    std::memset(guest_memory + 0x5C00, 0, 0x7800 - 0x5C00);
    std::memset(guest_memory + VDU, ' ', 0x0400);
    std::memset(guest_memory + COLOURS, 0xE0, 0x0400);
    std::memset(guest_memory + 0x5800, 0, 0x0400);
    std::memset(guest_memory + 0x6000, 0, 0x0800);

    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_attributes[a] = 0;
        mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(a);
    }
    set_attributes(0x0000, 0x03FF, MEM_UNWRITABLE | MEM_BIOS);
    set_attributes(0x4000, 0x53FF, MEM_UNREADABLE | MEM_UNWRITABLE);
    mirror(0x5400, 0x57FF, 0x0400);
    set_attributes(0x5800, 0x5BFF, MEM_UNWRITABLE);
    set_attributes(0x6000, 0x63FF, MEM_UNWRITABLE | MEM_BIOS);
    // The 816 bytes at $6400 are ROM; the rest of that kilobyte mirrors RAM.
    set_attributes(0x6400, 0x6400 + 816 - 1, MEM_UNWRITABLE | MEM_BIOS);
    mirror(0x6400 + 816, 0x67FF, 0x0400 + 816);
    set_attributes(0x6800, 0x6FFF, MEM_UNWRITABLE | MEM_BIOS);
    set_attributes(VDU, 0x7FFF, MEM_DEVICE);

    guest_rom_read(binbug_roms[ROM_DISK_BOOT], guest_memory + 0x6000);
    binbug_set_clock(fast_binbug);
    guest_rom_read(binbug_roms[ROM_6400], guest_memory + 0x6400);
    std::memset(binbug_char_rom, 0, sizeof binbug_char_rom);
    std::memset(binbug_gfx_rom, 0, sizeof binbug_gfx_rom);
    guest_rom_read(binbug_roms[ROM_CHARS], binbug_char_rom);
    guest_rom_read(binbug_roms[ROM_GRAPHICS], binbug_gfx_rom);

    fdc_board_setup(BOARD);
    binbug_apply_memory_map();
}

// ---- the display ----------------------------------------------------------------------------

u8 binbug_glyph_row(u8 code, u8 attr, u32 line, u32 frame) {
    u8 row;
    if (attr & 2)
        row = binbug_gfx_rom[code * 16u + line];
    else if (attr & 4)
        row = guest_memory[UDG + (code & 127u) * 16u + line];
    else {
        row = binbug_char_rom[(code & 127u) * 16u + line];
        if (code & 128) row = static_cast<u8>(~row);
    }
    if ((attr & 1) && frame % 50 < 25) row = invertflashed ? static_cast<u8>(~row) : 0;
    return row;
}

namespace {

u8 ink() {
    return inversevideo ? 7 : 0;
}
u8 paper() {
    return inversevideo ? 0 : 7;
}

// The span's pixels gathered, then put as one run of the line.
void draw_span(i32 x0, i32 x1, i32 line) {
    const u32 row = static_cast<u32>(line) / CELL_H, glyph_line = static_cast<u32>(line) % CELL_H;
    const u8 on = ink(), off = paper();
    u8 colours[VISIBLE_X];
    i32 x = x0;
    while (x < x1) {
        const i32 column = x / CELL_W;
        const u32 at = row * COLUMNS + static_cast<u32>(column);
        const u8 bits =
            binbug_glyph_row(guest_memory[VDU + at], guest_memory[COLOURS + at], glyph_line,
                             frame_counter);
        const i32 end = column * CELL_W + CELL_W < x1 ? column * CELL_W + CELL_W : x1;
        for (; x < end; x++) {
            const i32 px = x - column * CELL_W;
            const bool set = px < 8 && (bits & (0x80 >> px));
            colours[x - x0] = set ? on : off;
        }
    }
    display_plot_row(x0, line, colours, x1 - x0);
}

void tick() {
    tape_tick_if_moving();
    teletype_bit_timing();
}

const BeamVdu BEAM = {LINE_CLOCKS, 12, tick, draw_span};
const BeamVdu FAST_BEAM = {LINE_CLOCKS, 6, tick, draw_span};

int us_key(u32 raw, bool shift) {
    static const char plain[] = "`1234567890-=\\", shifted[] = "~!@#$%^&*()_+|";
    if (raw <= 13) return shift ? shifted[raw] : plain[raw];
    switch (raw) {
    case 26: return shift ? '{' : '[';
    case 27: return shift ? '}' : ']';
    case 41: return shift ? ':' : ';';
    case 42: return shift ? '"' : '\'';
    case 56: return shift ? '<' : ',';
    case 57: return shift ? '>' : '.';
    case 58: return shift ? '?' : '/';
    case 64: return shift ? 127 : ' ';
    default: return -1;
    }
}

const GridScreen SCREEN = {
    VDU, COLUMNS, ROWS, false, us_key,
    [](bool shift) { return lowercase && !caps_lock_state && !shift; },
};

// Lowest-numbered held fire button of a player (1-4), 0 none.
u8 fire_code(int player) {
    // The controller's buttons: a joystick's, or the mouse's three.
    const u32 port = input_player_port_bits(player);
    static constexpr int KEYS[4] = {GK_FIRE1, GK_FIRE2, GK_FIRE3, GK_FIRE4};
    bool held[4];
    for (int b = 0; b < 4; b++) {
        const u16 key = player_keys[player][KEYS[b]];
        held[b] = (port & (JOY_BUTTON1 << b)) || (key < RAW_NONE && host_key_down(key));
    }
    const bool autofire = player == 0 ? autofire_left : autofire_right;
    if (autofire) {
        const bool need = player == 0 ? requirebutton_left : requirebutton_right;
        const u32 period = autofire_period > 0 ? static_cast<u32>(autofire_period) : 1;
        const bool on = frame_counter % period < static_cast<u32>(autofire_duty);
        return on && (!need || held[0]) ? 1 : 0;
    }
    for (int b = 0; b < 4; b++)
        if (held[b]) return static_cast<u8>(b + 1);
    return 0;
}

void read_inputs() {
    host_read_joysticks(0);
    host_read_joysticks(1);
    const u8 first = fire_code(0), second = fire_code(1);
    binbug_fire[0] = swapped ? second : first;
    binbug_fire[1] = swapped ? first : second;
    input_update_paddle(0, 0);
    input_update_paddle(1, 1);
    std::memset(binbug_keypad_rows, 0, sizeof binbug_keypad_rows);
    input_virtual_key_apply();
}

void draw_lamps() {
    const i32 h = machine_live[BINBUG].height;
    // The strip below the text area, when the frame has it.
    if (!showleds || h < VISIBLE_LINES + 17) return;
    for (int i = 0; i < 8; i++) {
        const bool lit = (lamp_latch >> (7 - i)) & 1;
        const i32 x = (blankingareas ? 303 : 207) + 21 * i;
        led_draw_dot(x, h - 17, lit ? 3 : drawunlit ? 14 : 7);
    }
}

} // namespace

void binbug_draw_screen() {
    for (i32 line = 0; line < VISIBLE_LINES; line++)
        draw_span(0, VISIBLE_X, line);
}

void binbug_run_frame() {
    in_frame = 1;
    read_inputs();
    pipbug_poll_teletype_key();
    if (framebased) {
        cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, fast_binbug ? 40000 : 20000);
        pipbug_run_cpu_slice();
        binbug_draw_screen();
    } else {
        const BeamVdu& beam = fast_binbug ? FAST_BEAM : BEAM;
        for (i32 line = 0; line < LAST_LINE; line++)
            beam_vdu_line(beam, line, line < VISIBLE_LINES ? VISIBLE_X : 0, LINE_CLOCKS);
        beam_vdu_line(beam, LAST_LINE, 0, LINE_CLOCKS / 2);
    }
    if (screen_edit_mode) grid_draw_cursor(SCREEN, CELL_W, CELL_H);
    draw_lamps();
    fdc_check_spin_down();
    if (draw_mode) grid_draw_cells(SCREEN, CELL_W, CELL_H);
    emu_end_of_frame();
}

bool binbug_key_handler(u32 raw) {
    return grid_edit_key(SCREEN, raw);
}

void binbug_keypad_apply(i32 key) {
    // Marks 0-15 run down the keypad's four columns: rows C-F, 8-B, 4-7, 0-3.
    if (key >= 0 && key < 16) binbug_keypad_rows[key % 4] |= static_cast<u8>(1u << (key / 4));
}

// ---- ports ----------------------------------------------------------------------------------

namespace {

// Bits 0-3 of a keypad row in reverse order.
u8 reversed_nibble(u8 v) {
    return static_cast<u8>((v & 1) << 3 | (v & 2) << 1 | (v & 4) >> 1 | (v & 8) >> 3);
}

u8 keypad_row() {
    switch (last_written(0)) {
    case 1: return reversed_nibble(binbug_keypad_rows[0]);
    case 2: return reversed_nibble(binbug_keypad_rows[1]);
    case 4: return reversed_nibble(binbug_keypad_rows[2]);
    case 8: return reversed_nibble(binbug_keypad_rows[3]);
    default: return 0;
    }
}

bool keyboard_selected() {
    switch (last_written(3)) {
    case 0x82: case 0x83: case 0x8A: case 0x8B: case 0x92: case 0x93: case 0x9A: case 0x9B:
        return true;
    default:
        return false;
    }
}

bool lamps_selected() {
    const u8 v = last_written(3);
    return (v >= 0x80 && v <= 0x83) || (v >= 0x88 && v <= 0x8B);
}

u8 fire_bits(u8 code) {
    return code >= 1 && code <= 4 ? static_cast<u8>(code - 1) : 7;
}

u8 axis(i32 value) {
    return static_cast<u8>((value < 0 ? 0 : value > 255 ? 255 : value) / 2);
}

void motor(u8 before, u8 now, u8 bit, const char* on, const char* off) {
    if ((before ^ now) & bit) {
        if (tape_verbose) con_printf("%s", now & bit ? on : off);
        if (!(now & bit) && tape_state >= CASSETTE_PLAYING) tape_stop();
    }
}

} // namespace

u8 binbug_io_read(u32 port) {
    u8 v = 0;
    switch (port) {
    case 1:
        if (keyboard_selected()) v = hex_keyboard() ? keypad_row() : teletype_rx_byte;
        break;
    case 5:
    case 53:
        v = teletype_rx_byte;
        teletype_rx_byte = 0xFF;
        break;
    case 9:
        v = static_cast<u8>(fire_bits(binbug_fire[0]) << 3 | fire_bits(binbug_fire[1]));
        break;
    case 12: case 13: case 15: case 16:
        v = fdc_port_read(port - 12);
        if (port == 16) v = 0x80 | v;
        break;
    case 14: {
        const u32 d = fdc_current_drive < FLOPPY_DRIVES ? fdc_current_drive : 0;
        v = drives[d].head_sector;
        if (verbose_log)
            con_printf("Code at $%X read %d from sector register.\n", cpu_prev_iar, v);
        break;
    }
    case 25:
    case 257:
        v = 0x80;
        break;
    case 50:
        v = static_cast<u8>((last_written(50) & 15) | (binbug_baudrate & 3) << 4);
        if (tape_state == CASSETTE_PLAYING && tape_level >= tapeskewage) v |= 0x80;
        break;
    case 239:
        switch (binbug_axis_latch) {
        case 0: v = static_cast<u8>(127 - axis(paddle_x[1])); break;
        case 1: v = axis(paddle_y[1]); break;
        case 2: v = static_cast<u8>(127 - axis(paddle_x[0])); break;
        case 3: v = axis(paddle_y[0]); break;
        default: break;
        }
        break;
    default:
        break;
    }
    dbg_trace_port_access(port, v, 0);
    return v;
}

void binbug_io_write(u32 port, u8 value) {
    switch (port) {
    case 0:
        if (lamps_selected() && !hex_keyboard()) lamp_latch = value;
        break;
    case 12: case 13: case 14: case 15: case 16:
        fdc_port_write(port - 12, value);
        break;
    case 25:
        printer_write_byte(value, 1);
        break;
    case 50: {
        const u8 before = last_written(50);
        motor(before, value, 1, "Output tape motor has been turned on.\n",
              "Output tape motor has been turned off.\n");
        motor(before, value, 2, "Input tape motor has been turned on.\n",
              "Input tape motor has been turned off.\n");
        break;
    }
    case 239:
        binbug_axis_latch = value;
        break;
    case 257:
        printer_write_byte(value, 0);
        break;
    default:
        break;
    }
    dbg_trace_port_access(port, value, 1);
}

// ---- reset and save state -------------------------------------------------------------------

void binbug_reset() {
    cpu_psu |= PSU_S | PSU_F;
    teletype_rx_state = 0;
    teletype_rx_due = 0;
    teletype_rx_byte = 0xFF;
    guest_key_queue_len = 0;
    binbug_axis_latch = 0;
    binbug_set_baud_rate();
    fdc_reset();
    snd_silence_voice(0);
    snd_update_voices(0);
    cpu_iar = load_start_known ? static_cast<u16>(game_start_address & 0x7FFF) : 0;
}

void binbug_serialise(u32) {
    const bool reading = state_reading();
    state_field_memory(0x0000, 0x7FFF);
    state_setting_byte(&binbug_biosversion, 5, "BINBUG monitor");
    state_setting_byte(&binbug_baudrate, 3, "BINBUG baud rate");
    if (state_applying()) binbug_set_baud_rate();
    if (state_field_u32(&teletype_rx_state) > 22 && reading) serial_mark_bad("serial input");
    state_field_u8(&teletype_rx_byte);
    state_field_u32_full(&teletype_rx_due);
    state_field_skip(1);
    if (state_applying()) {
        display_setup_geometry();
        for (int d = 0; d < FLOPPY_DRIVES; d++)
            floppy_clear_watch_bits(d);
    }
    state_field_u8(&binbug_axis_latch);
    state_setting_byte(&binbug_biosversion, 5, "BINBUG monitor");
    state_setting_byte(&binbug_dosversion, 2, "BINBUG disk system");
    // The state's memory holds its monitor: the marks follow it, not the
    // monitor chosen since.
    if (state_applying() && binbug_biosversion <= 5) set_monitor_attributes();
    state_field_skip(1);
    fdc_board_serialise(DiskLayout::BINBUG, 2, !reading || state_guest_version > 43,
                        !reading || state_guest_version >= 45);
    state_setting_byte(&binbug_userdrives, 2, "BINBUG drives");
    for (u32 port : {0u, 3u, 50u, 256u})
        state_field_u8(&port_records[port].last_value);
    state_field_u8(&lamp_latch);
    state_field_u8(&tty_reader_on);
    state_field_u8(&tty_punch_on);
    if (!reading || state_guest_version >= 43)
        state_field_u32(&beeper_countdowns[0]);
    else if (state_applying())
        beeper_countdowns[0] = 0;
    state_field_u32_full(&fdc_spin_down_frame);
    if (state_applying())
        for (int d = 0; d < 2; d++)
            disk_list_dispatch(1, d);
}

// ---- views ----------------------------------------------------------------------------------

void binbug_view_characters() {
    for (u32 group = 0; group < 128; group += 4) {
        for (u32 line = 0; line < 16; line++) {
            for (u32 c = group; c < group + 4; c++) {
                char dots[9];
                const u8 bits = guest_memory[UDG + c * 16 + line];
                for (int b = 0; b < 8; b++)
                    dots[b] = bits & (0x80 >> b) ? '#' : '.';
                dots[8] = 0;
                if (line == 0)
                    con_printf("  UDG%03u: %s ", c, dots);
                else
                    con_printf("          %s ", dots);
            }
            con_printf("\n");
        }
        con_printf("\n");
    }
}

void binbug_view_colour_ram() {
    for (u32 row = 0; row < 16; row++) {
        for (u32 i = 0; i < 4; i++)
            dbg_hexdump_line(VDU + row * 64 + i * 16);
        con_printf("\n");
    }
    con_printf("Colour attribute RAM:\n");
    for (u32 row = 0; row < 16; row++) {
        for (u32 i = 0; i < 4; i++) {
            const u32 a = COLOURS + row * 64 + i * 16;
            const u8* m = guest_memory + a;
            con_printf("$%04X: %02X %02X %02X %02X %02X %02X %02X %02X  %02X %02X %02X %02X %02X "
                       "%02X %02X %02X\n",
                       a, m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11],
                       m[12], m[13], m[14], m[15]);
        }
        con_printf("\n");
    }
}

void binbug_describe_tape_postamble() {
    const u8* m = guest_memory;
    con_printf("Postamble is:\n Execute address:          $%02X%02X\n", m[0x045E], m[0x045F]);
    static const char* const kinds[16] = {"program",
                                          "data",
                                          "data",
                                          "data",
                                          "data",
                                          "data",
                                          "data",
                                          "data",
                                          "BASIC source",
                                          "assembler source",
                                          "text",
                                          "unassigned text type",
                                          "unassigned text type",
                                          "unassigned text type",
                                          "unassigned text type",
                                          "unassigned text type"};
    con_printf(" File identification:      $%02X (%s file)\n # of data bytes in block: %d\n",
               m[0x045D], kinds[m[0x045D] >> 4], m[0x045C]);
    con_printf(" Store address:            $%02X%02X\n", m[0x045A], m[0x045B]);
    char name[9];
    for (int i = 0; i < 8; i++) {
        name[i] = con_shown_char(m[0x0459 - i]);
    }
    name[8] = 0;
    con_printf(" Filename:                 %s\n", name);
    con_printf(" Unassigned:               %d\n", m[0x0451]);
    con_printf(" Block number in file:     %d\n", m[0x0450]);
    con_printf(" 16-bit CRC word:          $%02X%02X\n", m[0x044E], m[0x044F]);
}

// ---- the bus --------------------------------------------------------------------------------

namespace {

// The fast serial input of monitor 2: the LODA at $0369 that starts the bit
// loop instead delivers the whole character (LF for r2 = 2, FF for r2 = 1).
bool fast_serial_input() {
    if (binbug_biosversion != 2 || binbug_baudrate != 3) return false;
    cpu_regsel = cpu_reg_index(cpu_opcode);
    const u8 r2 = cpu_regs[2];
    if (r2 == 2 || r2 == 1) {
        const u8 v = r2 == 2 ? 0x0A : 0x0C;
        cpu_write_register(0, v);
        cpu_set_cc(v);
    }
    const u8 b1 = guest_memory[page_add(cpu_iar, 1)];
    cpu_prev_iar = cpu_iar;
    cpu_iar = page_add(cpu_iar, 3);
    cpu_op_cycles = b1 & 0x80 ? 6 : 4;
    cpu_cycles += 3 * cpu_op_cycles;
    return true;
}

// The printers on unit 0 and the teletype's papertape unit.
constexpr DeviceLink DEVICES = {
    .printer_units = 1, .line_printer = false, .papertape_units = 1, .glyph = font5x7_glyph};

} // namespace

void binbug_bus_install() {
    device_link = DEVICES;
    cpu_trap_add(0x0369, 0x0D, fast_serial_input);
    fdc_board_install(BOARD);
}

int binbug_paste_char(u8 c, u8* out) {
    out[0] = c == 0x0A ? 0x0D : c;
    return 1;
}
