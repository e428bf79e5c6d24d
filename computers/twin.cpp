#include "computers/twin.h"
#include "computers/computer_views.h"
#include "computers/dos_errors.h"
#include "computers/screen_texts.h"

#include "computers/pipbug.h"
#include "computers/pipbug_vdu.h"
#include "computers/terminal.h"
#include "computers/terminal_rows.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/message.h"
#include "core/savestate_fields.h"
#include "core/savestate_seams.h"
#include "peripherals/floppy.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/memory.h"
#include "display/bands.h"
#include "display/frame.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include "peripherals/device_link.h"
#include "computers/controls_rows.h"

#include "computers/twin_sdos.h"
#include "computers/twin_mod.h"
#include "computers/pipbug_vdu.h"
#include "core/frame.h"
#include "core/guest_roms.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/objfile.h"
#include "core/savestate.h"
#include "core/machine.h"
#include "core/notify.h"
#include "core/recording.h"
#include "cpu/exec.h"
#include "input/key_events.h"
#include "peripherals/papertape.h"
#include "peripherals/printer.h"
#include "sound/voice_update.h"

#include <cstring>
#include <strings.h>
#include <utility>

u8 twin_irq_pending[32];
u32 twin_slave_active;
i32 twin_irq_current = 32;
u32 twin_switch_count;

u8 twin_master_memory[TWIN_MASTER_SIZE];
u8 twin_common_memory[TWIN_COMMON_SIZE];
u8 twin_console_status = 2;
u8 twin_disk_function = 7;
u8 twin_disk_strobe;
u32 twin_disk_phase;

const char* const twin_irq_names[32] = {
    "reset",
    "master RAM parity error",
    "paper tape reader",
    "slave RAM parity error",
    "teletype in",
    "teletype out",
    "RS-232 in",
    "RS-232 out",
    "not assigned",
    "interval timer",
    "printer",
    "floppy disk",
    "not assigned",
    "PROM program #1",
    "PROM program #2",
    "not assigned",
    "slave SVC #1",
    "slave SVC #2",
    "slave SVC #3",
    "slave SVC #4",
    "slave SVC #5",
    "slave SVC #6",
    "debug SVC #1",
    "debug SVC #2",
    "breakpoint #1",
    "breakpoint #2",
    "single cycle",
    "halt",
    "diagnostic control",
    "not assigned",
    "not assigned",
    "not assigned",
};


namespace {

constexpr u32 PORT_CONSOLE = 0xE8, PORT_CONSOLE_CONTROL = 0xE9, PORT_DISK_CONTROL = 0xEA,
              PORT_DISK_DATA = 0xEB, PORT_BANK = 0xEE;
constexpr int LEVEL_KEY = 4, LEVEL_OUTPUT = 5, LEVEL_PRINTER = 10, LEVEL_DISK = 11;
constexpr u32 LAST_TRACK = 76, SECTORS = 32, SECTOR_BYTES = 128;

u32 master_attributes[TWIN_MASTER_SIZE];
u32 common_attributes[TWIN_COMMON_SIZE];
// The processor that is not running: its registers, stack and IAR. The clock
// and the frame's budget belong to the one core both boards share.
CpuState parked;
// A service port written by the slave: the level it raises once the writing
// instruction has completed (-1 none).
int service_level = -1;

u8 latch(u32 port) {
    return port_records[port].last_value;
}

u32 selected_bank() {
    return latch(PORT_BANK) & 1;
}

void view_store(u32 address, u32 size, u8* bytes, u32* attributes) {
    std::memcpy(bytes, guest_memory + address, size);
    std::memcpy(attributes, mem_attributes + address, size * sizeof(u32));
}

void view_load(u32 address, u32 size, const u8* bytes, const u32* attributes) {
    std::memcpy(guest_memory + address, bytes, size);
    std::memcpy(mem_attributes + address, attributes, size * sizeof(u32));
}

void store_bank(u32 bank) {
    view_store(0x4000, TWIN_BANK_SIZE, twin_common_memory + bank * TWIN_BANK_SIZE,
               common_attributes + bank * TWIN_BANK_SIZE);
}

void load_bank(u32 bank) {
    view_load(0x4000, TWIN_BANK_SIZE, twin_common_memory + bank * TWIN_BANK_SIZE,
              common_attributes + bank * TWIN_BANK_SIZE);
}

// The working view of the running processor, from the stores.
void load_view() {
    if (twin_slave_active) {
        view_load(0, TWIN_COMMON_SIZE, twin_common_memory, common_attributes);
    } else {
        view_load(0, TWIN_MASTER_SIZE, twin_master_memory, master_attributes);
        load_bank(selected_bank());
    }
}

// Attributes as a fresh machine has them: the boot ROM unwritable, the
// entry points of the system's programming interface marked.
void reset_attributes() {
    std::memset(master_attributes, 0, sizeof master_attributes);
    std::memset(common_attributes, 0, sizeof common_attributes);
    for (u32 a = 0; a < 0x100; a++)
        master_attributes[a] = MEM_UNWRITABLE | MEM_BIOS;
}

// Swaps the processor's registers, stack and IAR with the parked ones; the
// clock, the budget and the slice stay with the core.
void exchange_processors() {
    CpuState running;
    cpu_state_save(running);
    CpuState next = parked;
    next.cycles = running.cycles;
    next.cycle_budget = running.cycle_budget;
    next.slice_start = running.slice_start;
    next.op_cycles = running.op_cycles;
    next.irq_pending = 0;
    parked = running;
    parked.irq_pending = 0;
    cpu_state_load(next);
}

void switch_processor(bool to_slave) {
    if (cpu_tracing)
        con_printf(to_slave ? "Switching from master IAR $%X to slave IAR $%X!\n\n"
                            : "Switching from slave IAR $%X to master IAR $%X!\n\n",
                   cpu_iar, parked.iar);
    twin_sync_stores();
    twin_switch_count++;
    twin_slave_active = to_slave ? 1 : 0;
    exchange_processors();
    load_view();
    ui_mark(UI_REFRESH_FORCED); // the other board's memory and attributes, shown whole
}

void raise(int level) {
    twin_irq_pending[level] = 1;
    cpu_irq_pending = 1;
}

} // namespace

void twin_sync_stores() {
    if (twin_slave_active) {
        view_store(0, TWIN_COMMON_SIZE, twin_common_memory, common_attributes);
    } else {
        view_store(0, TWIN_MASTER_SIZE, twin_master_memory, master_attributes);
        store_bank(selected_bank());
    }
}

void twin_switch_to_slave() {
    if (!twin_slave_active) switch_processor(true);
}

void twin_switch_to_master() {
    if (twin_slave_active) switch_processor(false);
}

void twin_switch_to_master_if_needed(int level) {
    twin_switch_to_master();
    if (level >= 0 && level < 32) raise(level);
}

void twin_set_slave_start(u16 address) {
    if (twin_slave_active) {
        cpu_iar = cpu_prev_iar = address;
    } else {
        parked.iar = parked.prev_iar = address;
    }
}

// ---- Interrupts ----------------------------------------------------------------------

constexpr u32 TWIN_INTERRUPT_PORT = PORT_DISK_CONTROL; // bit 5 enables the printer, bit 4 the floppy disk

// The highest-priority (lowest-numbered) eligible source, or 32.
static int select_priority() {
    const u8 enables = port_records[TWIN_INTERRUPT_PORT].last_value;
    for (int p = 0; p < 32; ++p) {
        if (!twin_irq_pending[p]) continue;
        if (p == 10 && !(enables & 0x20)) continue;
        if (p == 11 && !(enables & 0x10)) continue;
        return p;
    }
    return 32;
}

bool twin_level_waiting() {
    u64 words[4];
    std::memcpy(words, twin_irq_pending, sizeof words);
    if (!(words[0] | words[1] | words[2] | words[3])) return false;
    return select_priority() < 32;
}
// Each priority has its two-byte vector at twice its number.
static bool interrupt_vector(CpuVector* vector) {
    const int priority = twin_slave_active ? 32 : select_priority();
    twin_irq_current = priority;
    if (priority == 32) return false;
    twin_irq_pending[priority] = 0;
    *vector = {static_cast<u16>(2 * priority), false};
    return true;
}

static void interrupt_log() {
    con_printf("Generated interrupt of priority %d (%s) at %u %s.\n", twin_irq_current,
               twin_irq_names[twin_irq_current], dbg_clocks_to_units(cpu_cycles), dbg_unit_label);
}

static void interrupt_taken() {
    if (logbios && twin_irq_current >= 16 && twin_irq_current <= 21)
        twin_describe_svc(twin_irq_current - 15);
}

static void halt() {
    if (!twin_slave_active) twin_switch_to_slave();
}

// The line printer with its two units, and two papertape units.
static constexpr DeviceLink DEVICES = {
    .printer_units = 2, .line_printer = true, .papertape_units = 2, .glyph = font5x7_glyph};

static constexpr CpuDebugHooks twin_debug_hooks{
    .char_style = ascii_chars,
    .guest_char = serial_guest_char,
    .bios_notes = twin_api_notes,
    .describe_port = twin_describe_analyzer,
};

void twin_bus_install() {
    device_link = DEVICES;
    cpu_bus.interrupt_vector = interrupt_vector;
    cpu_bus.interrupt_log = interrupt_log;
    cpu_bus.interrupt_taken = interrupt_taken;
    cpu_bus.halt = halt;
}

bool twin_has_dos() {
    return twin_dosversion != 6;
}

// The TWIN's monitors that erase a deleted character on the screen name
// themselves at $3FFE-$3FFF.
static bool twin_erases_deleted() {
    const char a = static_cast<char>(guest_memory[0x3FFE]);
    const char b = static_cast<char>(guest_memory[0x3FFF]);
    return (a == '1' && b == '6') || (a == '2' && b == '0') || (a == '4' && b == '0');
}

u8 twin_monitor_key(u8 ch) {
    return term_delete_key(ch, twin_erases_deleted());
}

// ---- Set-up and reset -------------------------------------------------------------------

static void fill_memory(u8* bytes, u32 size) {
    if (randomizememory)
        for (u32 i = 0; i < size; i++)
            bytes[i] = rng_byte(256);
    else
        std::memset(bytes, 0, size);
}

void twin_setup() {
    load_start_known = 0; // a MOD file's load sets it after the set-up
    twin_slave_active = 0;
    parked = CpuState{};
    service_level = -1;
    std::memset(twin_master_memory, 0, sizeof twin_master_memory);
    guest_rom_read(twin_roms[0], twin_master_memory);
    if (post || !twin_has_dos() || !twin_system_area(twin_master_memory + 0x100))
        fill_memory(twin_master_memory + 0x100, TWIN_MASTER_SIZE - 0x100);
    fill_memory(twin_common_memory, TWIN_COMMON_SIZE);
    reset_attributes();
    for (u32 a = 0x2000; a <= 0x201D; a++)
        master_attributes[a] |= MEM_BIOS;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(a);
    port_records[PORT_BANK].last_value = 0;
    load_view();
    MachineLive& row = machine_live[TWIN];
    row.first_label_row = 3017;
    row.last_label_row = twin_dosversion == 1 ? 4155 : 3065;
    vdu_blank_char = ' ';
    fdc_current_drive = 0;
    if (debugger_drive >= floppy_drive_count()) debugger_drive = floppy_drive_count() - 1;
    // The disks in the drives stay; an empty drive belongs to no file, and
    // drive 0 takes a fresh system disk of the chosen system unless it holds
    // a disk of the user's (one from a file, or changed).
    for (int d = 0; d < 2; d++) {
        floppy_clear_watch_bits(d);
        drives[d].head_track = drives[d].head_sector = 0;
        drives[d].byte_index = 0;
        if (!drives[d].present) floppy_forget_file(d);
    }
    if (floppy_takes_new_disk(0)) twin_sdos_format(0);
    guest_roms_report();
}

void twin_reset() {
    drives[0].byte_index = drives[1].byte_index = 0;
    guest_key_latch = 128;
    twin_console_status = 2;
    vdu_cursor_col = vdu_cursor_row = 0;
    port_records[PORT_DISK_CONTROL].last_value = 7;
    twin_disk_phase = 0;
    fdc_mode = FDC_IDLE;
    fdc_current_drive = 0;
    twin_disk_function = 7;
    twin_disk_strobe = 0;
    service_level = -1;
    std::memset(twin_irq_pending, 0, sizeof twin_irq_pending);
    twin_switch_to_master();
    // Neither processor holds a return address after a reset.
    cpu_ras_count_restart();
    cpu_ras_set_held(parked, 0);
    cpu_irq_pending = 0;
    if (post) {
        cpu_iar = 0x0000;
    } else {
        // The system starts at once, as if the boot ROM had loaded it.
        cpu_iar = 0x0100;
        std::memset(cpu_regs, 0, sizeof cpu_regs);
        cpu_regs[0] = 0x10;
        cpu_psl = 0x60;
        cpu_psu = 0;
        std::memset(cpu_ras, 0, sizeof cpu_ras);
        cpu_ras[0] = 0x00DA;
    }
    cpu_prev_iar = cpu_iar;
    if (load_start_known) {
        // A loaded program: the slave's runs from its start when the
        // master halts, the master's at once.
        if (game_start_address >= 0x4000)
            twin_set_slave_start(static_cast<u16>(game_start_address - 0x4000));
        else
            cpu_iar = cpu_prev_iar = static_cast<u16>(game_start_address);
    }
}

// ---- Frame -------------------------------------------------------------------------------

// After every instruction: a service call the slave made, then a level the
// master may accept.
static void after_instruction() {
    if (service_level >= 0) [[unlikely]] {
        const int level = service_level;
        service_level = -1;
        twin_switch_to_master_if_needed(level);
    }
    // The levels interrupt the master alone.
    if (!twin_slave_active && !(cpu_psu & PSU_II) && twin_level_waiting()) [[unlikely]] {
        cpu_irq_pending = 1;
        cpu_interrupt();
    }
}

static void run_slice() {
    if (cpu_cycle_budget <= 0) return;
    const u32 length = static_cast<u32>(cpu_cycle_budget);
    const u32 start = cpu_cycles;
    while (cpu_cycles - start < length) {
        if (!cpu_check_breakpoint()) cpu_execute_one();
        after_instruction();
    }
    cpu_cycle_budget -= static_cast<i32>(cpu_cycles - start);
}

static void poll_keyboard() {
    if (queuekeystrokes && guest_key_latch != 128) return;
    guest_key_latch = bios_key_input();
    if (guest_key_latch == 128) return;
    twin_switch_to_master();
    twin_console_status |= 1;
    raise(LEVEL_KEY);
}

// Glyph rows 0-6 of the console font; lower case shows as capitals, control
// codes as the capitals they are typed with.
static const u8* console_glyph(u8 code) {
    const u8 c = code & 0x7F;
    return font5x7_glyph(c < 32 ? c + 32 : c >= 96 ? c - 32 : c);
}

// The console's cells are 7 x 10 pixels; glyph rows 0-6 sit in columns 1-5.
constexpr u32 CELL_W = 7, CELL_H = 10, CONSOLE_COLUMNS = 80, CONSOLE_ROWS = 25;

// The pictures of the 128 codes' cells in the text colours, column-major like
// the frame: [code][x][y], each column padded to 16 bytes (paper) so that it
// moves as one. Control codes and codes from 96 show reversed. They follow
// from the font and the two colours alone, so they are built again only when
// a colour changes.
constexpr u32 COLUMN_BYTES = 16;
struct ConsoleCells {
    u8 ink, paper;
    u8 pixels[128][CELL_W][COLUMN_BYTES];
};
static const ConsoleCells& console_cells(u8 ink, u8 paper) {
    static ConsoleCells cells{0, 0, {}};
    static bool built = false;
    if (built && cells.ink == ink && cells.paper == paper) return cells;
    for (u32 code = 0; code < 128; code++) {
        const u8* glyph = console_glyph(static_cast<u8>(code));
        const bool reversed = code < 32 || code >= 96;
        for (u32 x = 0; x < CELL_W; x++)
            for (u32 y = 0; y < COLUMN_BYTES; y++) {
                bool lit = false;
                if (x >= 1 && x <= 5 && y <= 6) lit = ((glyph[y] >> (5 - x)) & 1) != reversed;
                cells.pixels[code][x][y] = lit ? ink : paper;
            }
    }
    cells.ink = ink;
    cells.paper = paper;
    built = true;
    return cells;
}

// Every pixel put once, column by column: a column of the text unchanged
// since the frame before costs one comparison.
static void draw_console() {
    u8 ink, paper;
    display_terminal_colours(&ink, &paper);
    const bool cursor_shown = (!pipbug_blink || frame_counter % 20 <= 9) && vdu_cursor_col >= 0 &&
                              vdu_cursor_col < static_cast<i32>(CONSOLE_COLUMNS) &&
                              vdu_cursor_row >= 0 &&
                              vdu_cursor_row < static_cast<i32>(CONSOLE_ROWS);
    const ConsoleCells& cells = console_cells(ink, paper);
    // Each cell's column is copied whole: its padding lands on the next
    // cell's place, which is copied after, or past the end.
    u8 column[CONSOLE_ROWS * CELL_H + COLUMN_BYTES - CELL_H];
    for (u32 c = 0; c < CONSOLE_COLUMNS; c++) {
        const u8* codes = &vdu_cell(static_cast<int>(c), 0);
        for (u32 x = 0; x < CELL_W; x++) {
            for (u32 r = 0; r < CONSOLE_ROWS; r++)
                std::memcpy(column + r * CELL_H, cells.pixels[codes[r] & 0x7F][x], COLUMN_BYTES);
            // The cursor: rows 7-8 of columns 1-5 in the text colour.
            if (cursor_shown && c == static_cast<u32>(vdu_cursor_col) && x >= 1 && x <= 5) {
                u8* cell = column + static_cast<u32>(vdu_cursor_row) * CELL_H;
                cell[7] = cell[8] = ink;
            }
            const u32 frame_x = c * CELL_W + x;
            if (draw_mode != 0)
                vdu_cell_grid_column(column, CONSOLE_ROWS * CELL_H, frame_x, 0, 0, 0);
            display_plot_column(frame_x, 0, column, CONSOLE_ROWS * CELL_H);
        }
    }
}

void twin_run_frame() {
    in_frame = 1;
    cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, 20800);
    run_slice();
    poll_keyboard();
    const i32 skip = frame_skip > 0 ? frame_skip : 1;
    if (frame_skip != FRAME_SKIP_NO_DRAW && frame_counter % static_cast<u32>(skip) == 0)
        draw_console();
    if (draw_mode != 0) vdu_draw_cell_grid(0, 0);
    emu_end_of_frame();
}

// ---- Ports -----------------------------------------------------------------------------------

namespace {

FloppyDrive& current_drive() {
    return drives[fdc_current_drive < 2 ? fdc_current_drive : 0];
}

bool position_valid(const FloppyDrive& d) {
    return d.head_track <= LAST_TRACK && d.head_sector < SECTORS;
}

void advance_head(int drive) {
    FloppyDrive& d = drives[drive];
    if (++d.byte_index < SECTOR_BYTES) return;
    d.byte_index = 0;
    floppy_stop(FLOPPY_GRIND);
    if (++d.head_sector < SECTORS) return;
    d.head_sector = 0;
    d.head_track++;
    floppy_play(FLOPPY_STEP);
}

// The narration of a transferred byte, and the pause a watch mark asks for.
void log_transfer(bool write, bool watched, u8 value, u32 at) {
    if (!verbose_log && !watched) return;
    char where[CPU_ADDRESS_TEXT_SIZE], before[CPU_ADDRESS_TEXT_SIZE], name[8];
    cpu_format_address(cpu_iar, where, 1, 0, 15, 1);
    cpu_format_address(cpu_prev_iar, before, 1, 0, 15, 1);
    cpu_char_name(value, name);
    con_printf(write ? "Instruction at %s wrote $%02X [%s] to floppy byte $%X. Previous IAR/PC was %s.\n\n"
                     : "Instruction at %s read $%02X [%s] from floppy byte $%X. Previous IAR/PC was %s.\n\n",
               where, value, name, at, before);
    if (watched) dbg_request_pause(PAUSE_BREAK);
}

// Checks the drive and the head position of a transfer; false after the
// narration of why nothing moves.
bool transfer_possible(const char* what, int drive) {
    const FloppyDrive& d = drives[drive];
    if (!d.present) {
        if (verbose_log) con_printf("Attempted to %s empty drive %d!\n", what, drive);
        return false;
    }
    if (d.head_track > LAST_TRACK) {
        if (verbose_log) con_printf("Attempted to %s track %d on drive %d!\n", what, d.head_track, drive);
        return false;
    }
    if (d.head_sector >= SECTORS) {
        if (verbose_log)
            con_printf("Attempted to %s sector %d on drive %d!\n", what, d.head_sector, drive);
        return false;
    }
    return true;
}

void transferred(int drive) {
    advance_head(drive);
    raise(LEVEL_DISK);
    disk_image_offset(drive, false);
    if (!disk_invalid) drives[drive].view_offset = disk_offset;
}

u8 read_disk_byte() {
    const int drive = static_cast<int>(fdc_current_drive < 2 ? fdc_current_drive : 0);
    if (!transfer_possible("read from", drive)) return 0;
    FloppyDrive& d = drives[drive];
    disk_image_offset(drive, true);
    const u32 at = disk_offset;
    const u8 value = d.image[at];
    log_transfer(false, floppy_watched(drive, at) && watchreads, value, at);
    if (d.byte_index == 0) floppy_play(FLOPPY_GRIND);
    transferred(drive);
    return value;
}

void write_disk_byte(u8 value) {
    const int drive = static_cast<int>(fdc_current_drive < 2 ? fdc_current_drive : 0);
    if (!transfer_possible("write to", drive)) return;
    FloppyDrive& d = drives[drive];
    disk_image_offset(drive, true);
    const u32 at = disk_offset;
    const bool locked = floppy_write_protected(drive);
    const bool watched = floppy_watched(drive, at) && watchwrites &&
                         (watchwrites != 1 || (!locked && value != d.image[at]));
    log_transfer(true, watched, value, at);
    if (!locked && d.image[at] != value) {
        d.image[at] = value;
        d.changed = 1;
    }
    if (d.byte_index == 0) floppy_play(FLOPPY_GRIND);
    transferred(drive);
}

u8 disk_status() {
    const FloppyDrive& d = current_drive();
    u8 status = 0;
    if (floppy_write_protected(static_cast<int>(fdc_current_drive < 2 ? fdc_current_drive : 0)))
        status |= 0x08;
    if (!position_valid(d)) status |= 0x20;
    return status;
}

// The line printer: the character waiting on port $EB.
void print_request(u8 value) {
    twin_disk_strobe = 0;
    twin_disk_function = 2;
    const u8 ch = latch(PORT_DISK_DATA);
    PrinterUnit& unit = printer_units[twin_printerunit == 1 && device_link.printer_units > 1 ? 1 : 0];
    if ((ch & 0x7F) == 13) {
        twin_print_line();
    } else {
        if (unit.line_buffer_count < PRINTER_LINE_BUFFER && unit.line_buffer_count < 132)
            unit.line_buffer[unit.line_buffer_count++] = ch;
        if (unit.line_buffer_count >= 132) twin_print_line();
    }
    raise(LEVEL_PRINTER);
    if (value == 0x22) current_drive().byte_index = 0;
}

void disk_data_write(u8 value) {
    if (twin_disk_function == 6) {
        if (value == 0x0E) {
            fdc_set_mode(FDC_WRITING);
            twin_disk_phase = 1;
        } else if (value == 0x88) {
            fdc_set_mode(FDC_READING);
            twin_disk_phase = 1;
        } else {
            fdc_set_mode(FDC_IDLE);
            twin_disk_phase = 0;
        }
        return;
    }
    if (twin_disk_function != 4) return;
    switch (twin_disk_phase) {
    case 1:
        // Two drives: a larger number names the second.
        fdc_current_drive = value < 2 ? value : 1;
        twin_disk_phase = 2;
        break;
    case 2:
        current_drive().head_sector = value;
        twin_disk_phase = 3;
        break;
    case 3:
        current_drive().head_track = value;
        twin_disk_phase = 4;
        raise(LEVEL_DISK);
        break;
    case 4:
        if (fdc_mode == FDC_WRITING) write_disk_byte(value);
        break;
    default:
        break;
    }
}

struct Seen {
    u32 drive, mode, byte_index;
    u8 track, sector;
};

Seen seen() {
    const FloppyDrive& d = current_drive();
    return {fdc_current_drive, fdc_mode, d.byte_index, d.head_track, d.head_sector};
}

void redraw_after(const Seen& before, bool write) {
    const Seen now = seen();
    const bool moved = now.track != before.track || now.sector != before.sector;
    if (!moved && now.byte_index == before.byte_index && now.mode == before.mode &&
        now.drive == before.drive)
        return;
    floppy_refresh(write && moved ? 2 : 1, static_cast<int>(now.drive < 2 ? now.drive : 0));
}

} // namespace

u8 twin_io_read(u32 port) {
    u8 value = 0;
    if (!twin_slave_active) {
        const Seen before = seen();
        switch (port) {
        case 0xD0:
            value = 127;
            break;
        case 0xD1:
            value = papertape_state[1] == TAPE_READING ? papertape_read(1) : 0;
            break;
        case PORT_CONSOLE:
            value = guest_key_latch == 128 ? 255 : guest_key_latch;
            guest_key_latch = 128;
            twin_console_status &= static_cast<u8>(~1);
            break;
        case PORT_CONSOLE_CONTROL:
            value = twin_console_status;
            break;
        case PORT_DISK_CONTROL:
            value = twin_disk_strobe ? 127 : 255;
            break;
        case PORT_DISK_DATA:
            if (twin_disk_function == 0 && fdc_mode == FDC_READING && twin_disk_phase == 4 &&
                !twin_disk_strobe)
                value = read_disk_byte();
            else
                value = disk_status();
            break;
        default:
            break;
        }
        redraw_after(before, false);
    }
    dbg_trace_port_access(port, value, 0);
    return value;
}

void twin_io_write(u32 port, u8 value) {
    if (twin_slave_active) {
        // $F7 is the first service call, $F2 the sixth; the switch waits for
        // the end of the writing instruction.
        const bool service = port >= 0xF2 && port <= 0xF7;
        if (service) service_level = static_cast<int>(16 + (0xF7 - port));
        // The trace sees the write; the master's latches (its bank and its
        // interrupt enables) stay as the master left them.
        const u8 kept = latch(port < PORT_COUNT ? port : 0);
        dbg_trace_port_access(port, value, 1);
        if (!service && port < PORT_COUNT) port_records[port].last_value = kept;
        return;
    }
    const Seen before = seen();
    switch (port) {
    case PORT_CONSOLE:
        term_output_char(value & 0x7F);
        twin_console_status |= 2;
        raise(LEVEL_OUTPUT);
        break;
    case PORT_DISK_CONTROL: {
        const u8 f = value & 7;
        if (f == 2) {
            print_request(value);
        } else if (f == 7) {
            twin_disk_strobe = 1;
        } else {
            twin_disk_strobe = 0;
            twin_disk_function = f;
        }
        break;
    }
    case PORT_DISK_DATA:
        disk_data_write(value);
        break;
    case PORT_BANK:
        store_bank(selected_bank());
        load_bank(value & 1);
        break;
    default:
        break;
    }
    redraw_after(before, true);
    dbg_trace_port_access(port, value, 1);
}

// ---- Save state --------------------------------------------------------------------------------

static bool reading() {
    return serial_dir != SERIAL_WRITE;
}

static void drive_images_field() {
    for (int d = 0; d < 2; d++) {
        u8 present = drives[d].present;
        // A dry read stores nothing: the flag read is the result.
        present = state_field_u8(&present);
        if (present) state_field_bytes(drives[d].image, FLOPPY_IMAGE_MAX);
        if (state_applying()) drives[d].present = present ? 1 : 0;
        floppy_file_field(d, present != 0, !reading() || state_guest_version >= 41,
                          DiskLayout::TWIN);
    }
}

static void cpu_state_field(CpuState& s) {
    state_field_u16(&s.iar);
    state_field_u8(&s.psu);
    state_field_u8(&s.psl);
    for (u16& r : s.ras)
        state_field_u16(&r);
    state_field_bytes(s.regs, 7);
    u8 sp = s.psu & PSU_SP;
    state_field_u8(&sp);
    state_field_u32_full(&s.cycle_budget);
}

void twin_serialise(u32) {
    u32 slave = twin_slave_active;
    if (state_field_u32(&slave) > 1 && reading()) serial_mark_bad("TWIN processor");
    const u8 old_bank = latch(PORT_BANK);
    u8 bank = old_bank;
    state_field_u8(&bank);
    if (!reading()) twin_sync_stores();
    // The stores are read aside and taken only when the whole state is good.
    static u8 master[TWIN_MASTER_SIZE], common[TWIN_COMMON_SIZE];
    if (!reading()) {
        std::memcpy(master, twin_master_memory, sizeof master);
        std::memcpy(common, twin_common_memory, sizeof common);
    }
    state_field_bytes(master, sizeof master);
    state_field_bytes(common, sizeof common);
    for (int r = 0; r < 25; r++)
        for (int c = 0; c < 80; c++)
            state_field_u8(&vdu_cell(c, r));
    drive_images_field();
    for (int d = 0; d < 2; d++) {
        FloppyDrive& f = drives[d];
        state_field_u8(&f.head_track);
        state_field_u8(&f.head_sector);
        state_field_u32_full(&f.byte_index);
        u32 locked = floppy_write_protected(d) ? 1 : 0;
        state_field_u32(&locked);
        if (state_applying()) floppy_set_write_protect(d, locked != 0);
    }
    u32 drive = fdc_current_drive;
    if (state_field_u32(&drive) > 1 && reading()) serial_mark_bad("TWIN drive");
    u32 mode = fdc_mode;
    if (state_field_u32(&mode) > 2 && reading()) serial_mark_bad("TWIN disk mode");
    u32 phase = twin_disk_phase;
    if (state_field_u32(&phase) > 4 && reading()) serial_mark_bad("TWIN disk phase");
    state_field_u8(&twin_console_status);
    for (u32 port : {0xE0u, PORT_CONSOLE_CONTROL, PORT_DISK_CONTROL, PORT_DISK_DATA, 0xECu})
        state_field_u8(&port_records[port].last_value);
    state_field_u8(&twin_disk_strobe);
    state_field_u8(&twin_disk_function);
    const int parked_held = state_ras_held_field(parked);
    CpuState other = parked;
    cpu_state_field(other);
    state_field_u8(&term_escape_pending);
    for (u8& level : twin_irq_pending)
        state_field_u8(&level);
    state_field_u8(&term_skip_next);
    u8 spare_terminal = 0;
    state_field_u8(&spare_terminal);
    u8 beep = static_cast<u8>(beeper_countdowns[0]), other_sound = static_cast<u8>(beeper_countdowns[1]);
    if (!reading() || state_guest_version >= 40) {
        state_field_u8(&beep);
        state_field_u8(&other_sound);
    } else {
        beep = other_sound = 0;
    }
    if (!state_applying()) return;
    if (twin_disk_function > 7) twin_disk_function = 7;
    twin_slave_active = slave;
    port_records[PORT_BANK].last_value = bank;
    std::memcpy(twin_master_memory, master, sizeof master);
    std::memcpy(twin_common_memory, common, sizeof common);
    reset_attributes();
    load_view();
    fdc_current_drive = drive;
    fdc_mode = mode;
    twin_disk_phase = phase;
    parked.iar = parked.prev_iar = other.iar;
    parked.psu = other.psu;
    parked.psl = other.psl;
    std::memcpy(parked.ras, other.ras, sizeof parked.ras);
    std::memcpy(parked.regs, other.regs, sizeof parked.regs);
    parked.cycle_budget = other.cycle_budget;
    state_ras_held_apply(parked, parked_held);
    beeper_countdowns[0] = beep;
    beeper_countdowns[1] = other_sound;
    service_level = -1;
    for (int d = 0; d < 2; d++) {
        floppy_clear_watch_bits(d);
        twin_sdos_list_directory(1, d);
    }
}

// ---- The TWIN's rows ----

namespace {

using enum ColumnBand;
using enum RowBand;

void display_geometry_twin(MachineLive& row, bool current) {
    if (current) {
        vdu_columns = 80;
        vdu_visible_rows = vdu_rows = 25;
        vdu_cell_width = 7;
        vdu_cell_height = 10;
    }
    if (blankingareas)
        display_set_frame_size(row, 700, 270);
    else
        display_set_frame_size(row, 560, 250);
}

void display_reset_twin(i32, i32) {
    display_fill_area(0, 559, 0, 249, term_text_background());
    if (!blankingareas) return;
    display_paint_bands(
        700, 270, [](int x) { return x <= 559 ? ACTIVE : PORCH; },
        [](int, int y) { return y <= 249 ? ACTIVE_LINE : VBLANK; });
}

// VIEW SCRN: the console; VIEW BIOS: the system's tables and commands.
ViewShown twin_debug_view(const char* word) {
    if (strcasecmp(word, "SCRN") == 0) {
        twin_view_vdu_ram();
        return ViewShown::SHOWN;
    }
    if (strcasecmp(word, "BIOS") == 0 && twin_has_dos()) {
        twin_view_jobs();
        return ViewShown::SHOWN;
    }
    return ViewShown::NONE;
}

constexpr ObjectFormat MOD_FILES{".mod", 0,
                                 [](const char* name, u32 first, u32 last, u32 start, u32) {
                                     return twin_save_mod(name, first, last, start);
                                 },
                                 twin_mod_data};

constexpr MachineOps OPS{
    .setup = twin_setup,
    .install_bus = twin_bus_install,
    .reset = twin_reset,
    .run_frame = twin_run_frame,
    .roms = twin_roms,
    .rom_count = 7,
    .port_read = twin_io_read,
    .port_write = twin_io_write,
    .serialise = twin_serialise,
    .old_states_first = 39,
    .old_states_last = 40,
    .save_suffix = ".bin",
    .screen_text = twin_screen_text,
    .typed_keyboard = [] { return true; },
    .monitor_key = twin_monitor_key,
    .controls = &twin_controls,
    .self_test = [] { return true; },
    .guide_section = "twin",
    .printer_help = "twin-printer",
    .floppy_help = "floppydrives",
    .papertape_help = "papertape-twin",
    .disks = &twin_disk_system,
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_twin,
    .reset_frame = display_reset_twin,
    .blanking_areas = [] { return true; },
    .erase_deleted = [] { return true; },
    .controls_layout = twin_controls_layout,
    .describe_position = twin_describe_position,
};

constexpr MachineSound SOUND{};

constexpr MachineDebug DEBUG{
    .hooks = &twin_debug_hooks,
    .bios_entry = [] { return i32{0x0100}; },
    .debug_view = twin_debug_view,
    .bios_view = twin_has_dos,
    .text_letter = debug_ascii_letter,
    .dos_errors = [] { return &twin_sdos_errors; },
    .disk_save_command = "SAVEMOD ",
    .disk_program = &MOD_FILES,
    .disk_program_word = "SAVEMOD",
    .object_suffix = ".mod",
    // The CPU monitor shows both boards: the one that runs and the parked one.
    .parked_cpu = [](int* running) {
        *running = twin_slave_active ? 1 : 0;
        return static_cast<const CpuState*>(&parked);
    },
};

} // namespace

extern const MachineEntry twin_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
