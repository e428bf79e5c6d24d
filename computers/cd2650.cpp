#include "computers/cd2650.h"

#include "computers/beam_vdu.h"
#include "computers/cd2650_dos.h"
#include "computers/fdc_board.h"
#include "computers/grid_editor.h"
#include "computers/pipbug_vdu.h"
#include "computers/terminal_rows.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/guest_roms.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/questions.h"
#include "core/savestate.h"
#include "core/savestate_fields.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/bus.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "machines/fd1771.h"
#include "peripherals/device_link.h"
#include "peripherals/floppy.h"
#include "peripherals/printer.h"
#include "peripherals/tape.h"
#include "sound/voice_update.h"

#include <cstring>

const GuestRom cd2650_roms[CD2650_ROM_COUNT] = {
    {"cd2650_ipl.bin", 378, "CD2650, monitor \"IPL 1.1\"", 0},
    {"cd2650_popmon.bin", 3072, "CD2650, monitor \"POPMON\"", 0},
    {"cd2650_supervisor.bin", 1023, "CD2650, monitor \"Supervisor\"", 0},
    {"cd2650_dos.bin", 6912, "CD2650, \"Central Data DOS\" (at $6000 and on new disks)",
     GUEST_ROM_OPTIONAL},
    {"cd2650_p1dos.bin", 6912, "CD2650, \"P1 DOS 1.1\" (at $6000)", GUEST_ROM_OPTIONAL},
    {"cd2650_font.bin", 1280, "CD2650, the character font (128 x 10)", 0},
    {"cd2650_font2.bin", 160, "CD2650, the second set of 16 glyphs (10 rows each)",
     GUEST_ROM_OPTIONAL},
    {"cd2650_p1disk.bin", 22020, "CD2650, the start of a new \"P1 DOS 1.1\" disk",
     GUEST_ROM_OPTIONAL},
};

u8 cd2650_font[128 * 10 + 16 * 10];
u8 cd2650_chargen[128 * 10];
u32 cd2650_key_holdoff;

// The FD1771 on ports 128-132, drives limited by the user's setting.
static const FdcBoard BOARD = {&cd2650_userdrives, "Spun down drive #%d due to drive change.\n",
                               true};

namespace {

constexpr u32 VRAM = 0x1000;
constexpr i32 COLUMNS = 80, ROWS = 16, CELL_W = 8, CELL_H = 12;
constexpr i32 LINE_CLOCKS = 904, VISIBLE_X = 640, VISIBLE_LINES = 192, LINES = CD2650_LINES;
constexpr i32 GAME_ONE_BIT_SOUND = 635;

u32 frame_clocks() {
    return fast_cd2650 ? 29832 : 19888;
}

void set_attributes(u32 first, u32 last, u32 bits) {
    for (u32 a = first; a <= last; a++)
        mem_attributes[a] |= bits;
}

// Label, comment and note rows of the built-in table per monitor.
struct LabelRanges {
    i32 labels[2], comments[2], notes[2];
};

} // namespace

u8 cd2650_display_char(u8 code) {
    code &= 127;
    static const char upper[] = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[ ]^_";
    static const char lower[] = "@abcdefghijklmnopqrstuvwxyz[ ]^_";
    if (code < 32) return static_cast<u8>(upper[code]);
    if (code < 64) return code;
    if (code < 96) return static_cast<u8>(upper[code - 64]);
    return static_cast<u8>(lower[code - 96]);
}

// ---- set-up ---------------------------------------------------------------------------------

void cd2650_load_charset() {
    std::memcpy(cd2650_chargen, cd2650_font, sizeof cd2650_chargen);
    switch (cd2650_vdu) {
    case 0:
        for (u32 i = 0; i < 32 * 10; i++)
            cd2650_chargen[i] = static_cast<u8>(~cd2650_chargen[i]);
        break;
    case 1:
        std::memcpy(cd2650_chargen + 64 * 10, cd2650_font + 128 * 10, 16 * 10);
        std::memcpy(cd2650_chargen + 80 * 10, cd2650_font + 112 * 10, 16 * 10);
        break;
    case 2:
        std::memcpy(cd2650_chargen + 64 * 10, cd2650_font + 96 * 10, 32 * 10);
        break;
    default:
        break;
    }
}

void cd2650_set_clock(u32 fast) {
    fast_cd2650 = fast ? 1 : 0;
    machine_live[CD2650].clocks_per_frame = static_cast<double>(frame_clocks());
}

// Marks (or unmarks) the addresses of the chosen monitor's routine comments.
static void mark_monitor_comments(bool on) {
    const MachineLive& row = machine_live[CD2650];
    machine_mark_comment_rows(row.first_comment_row, row.last_comment_row, on);
}

// The debugger's rows of the chosen monitor (of the P1 DOS under the IPL) and
// what they mark: the monitor's ROM, the P1 DOS at $6000, the addresses of
// its routines. The memory and the other marks are left alone.
static void set_monitor_marks() {
    static const LabelRanges ranges[3] = {
        {{-1, -1}, {-1, -1}, {-1, -1}},
        {{2798, 3016}, {-1, -1}, {-1, -1}},
        {{783, 845}, {528, 920}, {121, 130}},
    };
    const bool p1 = cd2650_dosversion == 1;
    LabelRanges r = ranges[cd2650_biosversion];
    if (cd2650_biosversion == 0 && p1) {
        r.labels[0] = 4170;
        r.labels[1] = 4224;
        r.notes[0] = 632;
        r.notes[1] = 650;
    }
    MachineLive& row = machine_live[CD2650];
    row.first_label_row = r.labels[0];
    row.last_label_row = r.labels[1];
    row.first_comment_row = r.comments[0];
    row.last_comment_row = r.comments[1];
    row.first_note_row = r.notes[0];
    row.last_note_row = r.notes[1];

    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        mem_attributes[a] &= ~MEM_BIOS;
    set_attributes(0x0000, cd2650_roms[cd2650_biosversion].size - 1, MEM_BIOS);
    if (p1) set_attributes(0x6000, 0x7AFF, MEM_BIOS);
    mark_monitor_comments(true);
}

void cd2650_setup() {
    load_start_known = 0;
    cd2650_set_clock(fast_cd2650);
    cpu_beam_clock = 0;
    if (cd2650_biosversion > 2) cd2650_biosversion = 0;
    if (cd2650_dosversion > 2) cd2650_dosversion = 2;
    if (cd2650_vdu < 0 || cd2650_vdu > 2) cd2650_vdu = 0;

    std::memset(guest_memory, 0, 0x1000);
    guest_rom_read(cd2650_roms[cd2650_biosversion], guest_memory);
    const bool p1 = cd2650_dosversion == 1;
    if (cd2650_biosversion == 0) cd2650_vdu = 0;

    std::memset(guest_memory + VRAM, ' ', 0x0500);
    std::memset(guest_memory + 0x1500, 0, 0x6000 - 0x1500);
    std::memset(guest_memory + 0x6000, 0, 0x7B00 - 0x6000);
    if (!post && cd2650_biosversion == 0 && cd2650_dosversion <= 1) {
        guest_rom_read(cd2650_roms[p1 ? CD2650_ROM_P1DOS : CD2650_ROM_DOS], guest_memory + 0x6000);
        cpu_iar = 0x6000;
    }
    std::memset(guest_memory + 0x7B00, 0, 0x0500);

    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_attributes[a] = 0;
        mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(a);
    }
    set_attributes(0x0000, 0x0FFF, MEM_UNWRITABLE);
    set_attributes(VRAM, 0x14FF, MEM_DEVICE);
    set_monitor_marks();

    std::memset(cd2650_font, 0, sizeof cd2650_font);
    guest_rom_read(cd2650_roms[CD2650_ROM_FONT], cd2650_font);
    guest_rom_read(cd2650_roms[CD2650_ROM_FONT2], cd2650_font + 128 * 10);
    cd2650_load_charset();

    fdc_board_setup(BOARD);
    // The IPL boots from the DOS disk, put into drive 0 unless a disk of the
    // user's is there (one from a file, or changed).
    if (cd2650_biosversion == 0 && floppy_takes_new_disk(0)) cd2650_dos_open(0);
}

// ---- the display ----------------------------------------------------------------------------

namespace {

u8 ink() {
    u8 i, p;
    display_terminal_colours(&i, &p);
    return i;
}
u8 paper() {
    return term_text_background();
}

void draw_span(i32 x0, i32 x1, i32 line) {
    const i32 row = line / CELL_H, scan = line % CELL_H;
    const u8 on = ink(), off = paper();
    if (scan >= 10) {
        display_fill_row(x0, line, x1 - x0, off);
        return;
    }
    u8 colours[VISIBLE_X];
    for (i32 x = x0; x < x1; x++) {
        const u8 code = guest_memory[VRAM + (x / CELL_W) * ROWS + row] & 127;
        const u8 bits = cd2650_chargen[code * 10 + scan];
        colours[x - x0] = bits & (0x80 >> (x % CELL_W)) ? on : off;
    }
    display_plot_row(x0, line, colours, x1 - x0);
}

void tick() {
    tape_tick_if_moving();
}

const BeamVdu BEAM = {LINE_CLOCKS, 12, tick, draw_span};
const BeamVdu FAST_BEAM = {LINE_CLOCKS, 8, tick, draw_span};

int cd2650_key(u32 raw, bool shift) {
    static const char plain[] = "@1234567890-=", shifted[] = "^!\x00#$%\x1e&*()\x1f+";
    if (raw <= 12) return shift ? shifted[raw] : plain[raw];
    switch (raw) {
    case 13: return shift ? '\\' : 28;
    case 26: return shift ? '[' : 27;
    case 27: return shift ? ']' : 29;
    case 41: return shift ? ':' : ';';
    case 42: return shift ? '"' : '\'';
    case 56: return shift ? '<' : ',';
    case 57: return shift ? '>' : '.';
    case 58: return shift ? '?' : '/';
    case 64: return shift ? '_' : ' ';
    default: return -1;
    }
}

const GridScreen SCREEN = {
    VRAM, COLUMNS, ROWS, true, cd2650_key,
    [](bool shift) {
        return lowercase && !caps_lock_state && !shift && cd2650_biosversion == 0;
    },
};

} // namespace

void cd2650_draw_screen() {
    for (i32 line = 0; line < VISIBLE_LINES; line++)
        draw_span(0, VISIBLE_X, line);
}

void cd2650_run_frame() {
    in_frame = 1;
    if (framebased) {
        cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, frame_clocks());
        cpu_run_cycles_polled(tick);
        cd2650_draw_screen();
    } else {
        const BeamVdu& beam = fast_cd2650 ? FAST_BEAM : BEAM;
        for (i32 line = 0; line < LINES; line++)
            beam_vdu_line(beam, line, line < VISIBLE_LINES ? VISIBLE_X : 0, LINE_CLOCKS);
    }
    if (screen_edit_mode) grid_draw_cursor(SCREEN, CELL_W, CELL_H);
    fdc_check_spin_down();
    if (draw_mode) grid_draw_cells(SCREEN, CELL_W, CELL_H);
    emu_end_of_frame();
}

bool cd2650_key_handler(u32 raw) {
    return grid_edit_key(SCREEN, raw);
}

// ---- ports ----------------------------------------------------------------------------------

namespace {

// Both ways of typing go through the key input, which reports and records
// the key: the latch is emptied once read; queued keys come at most two a frame.
u8 read_key() {
    if (queuekeystrokes && static_cast<i32>(cpu_cycles - cd2650_key_holdoff) < 0) return 128;
    const u8 v = bios_key_input();
    if (!queuekeystrokes)
        guest_key_latch = 128;
    else if (v != 128)
        cd2650_key_holdoff = cpu_cycles + frame_clocks() / 2;
    return v;
}

void cassette_motor(bool on) {
    if (on && tape_state == CASSETTE_STOPPED) {
        if (tape_verbose) con_printf("Tape motor has been turned on.\n");
        if (cpu_iar == 0x01FD)
            tape_record();
        else if (cpu_iar == 0x028D)
            tape_play();
        else if (ui_ask(Question::record_or_play, "Record or play?") == 1) // Return plays
            tape_record();
        else
            tape_play();
    } else if (!on && tape_state >= CASSETTE_PLAYING) {
        if (tape_verbose) con_printf("Tape motor has been turned off.\n");
        tape_stop();
    }
}

} // namespace

u8 cd2650_io_read(u32 port) {
    u8 v = 0;
    switch (port) {
    case 128: case 129: case 130: case 131: case 132:
        v = fdc_port_read(port - 128);
        if (verbose_log && port == 129)
            con_printf("Code at $%X read %d from track register.\n", cpu_prev_iar, v);
        if (verbose_log && port == 130)
            con_printf("Code at $%X read %d from sector register.\n", cpu_prev_iar, v);
        break;
    case 253:
        v = 2;
        break;
    case 257:
        v = read_key();
        break;
    default:
        break;
    }
    dbg_trace_port_access(port, v, 0);
    return v;
}

void cd2650_io_write(u32 port, u8 value) {
    switch (port) {
    case 6:
        snd_start_beep(0);
        break;
    case 128: case 129: case 130: case 131: case 132:
        fdc_port_write(port - 128, value);
        break;
    case 252: case 253:
        printer_write_byte(value, 1);
        break;
    case 257:
        if (known_game_id == GAME_ONE_BIT_SOUND) {
            speaker_latch = value == 15 ? 1 : 0;
            snd_update_voices(0);
        } else {
            cassette_motor((value & 8) != 0);
        }
        break;
    default:
        break;
    }
    dbg_trace_port_access(port, value, 1);
}

// ---- reset and save state -------------------------------------------------------------------

void cd2650_reset() {
    guest_key_queue_len = 0;
    cd2650_key_holdoff = 0;
    guest_key_latch = 128;
    guest_key_latch_code = 65535;
    guest_memory[0x17FF] = 0;
    guest_memory[0x17FE] = 0x10;
    guest_memory[0x1000] = '\\';
    fdc_reset();
    fdc.sector_end = 0;
    if (cd2650_dosversion == 1) guest_memory[0x60BE] = static_cast<u8>(cd2650_userdrives - 1);
    cpu_iar = load_start_known ? static_cast<u16>(game_start_address & 0x7FFF) : 0;
}

void cd2650_serialise(u32) {
    const bool reading = state_reading();
    state_field_memory(reading && state_guest_version < 44 ? 0x03FF : 0x0000, 0x7FFF);
    if (state_applying())
        for (int d = 0; d < FLOPPY_DRIVES; d++)
            floppy_clear_watch_bits(d);
    // The state's memory holds its monitor: the debugger's rows and the marks
    // follow it, not the monitor chosen since.
    state_monitor_field(&cd2650_biosversion, 2, "CD2650 monitor", [](u32) {
        mark_monitor_comments(false); // the rows are still those of the monitor before
        set_monitor_marks();
    });
    state_setting_byte(&cd2650_vdu, 2, "CD2650 character set");
    fdc_board_serialise(DiskLayout::CD2650, FLOPPY_DRIVES, !reading || state_guest_version >= 44,
                        !reading || state_guest_version >= 45);
    state_setting_byte(&cd2650_userdrives, 4, "CD2650 drives");
    if (state_applying() && cd2650_dosversion == 1)
        guest_memory[0x60BE] = static_cast<u8>(cd2650_userdrives - 1);
    state_latch_byte(&fdc.sector_end, 1, "sector end");
    state_field_u32_full(&fdc_spin_down_frame);
    if (!reading || state_guest_version >= 43)
        state_field_u32(&beeper_countdowns[0]);
    else if (state_applying())
        beeper_countdowns[0] = 0;
    if (state_applying()) {
        cd2650_load_charset();
        for (int d = 0; d < FLOPPY_DRIVES; d++)
            disk_list_dispatch(1, d);
    }
}

void cd2650_switch_charset() {
    if (cd2650_biosversion == 0 && cd2650_dosversion != 2)
        cd2650_vdu = 0;
    else if (cd2650_vdu == 0)
        cd2650_vdu = 2;
    cd2650_load_charset();
}

// ---- the bus --------------------------------------------------------------------------------

namespace {
// A printer on unit 0; no papertape unit.
constexpr DeviceLink DEVICES = {
    .printer_units = 1, .line_printer = false, .papertape_units = 0, .glyph = font5x7_glyph};
} // namespace

void cd2650_bus_install() {
    device_link = DEVICES;
    fdc_board_install(BOARD);
}

bool cd2650_lowercase_input() {
    return cd2650_biosversion == 0;
}
bool cd2650_six_bit_keys() {
    return cd2650_biosversion == 0;
}

int cd2650_paste_char(u8 c, u8* out) {
    out[0] = c >= 'a' && c <= 'z' ? static_cast<u8>(c - 0x60) : c;
    out[1] = 0xFF;
    return 2;
}
