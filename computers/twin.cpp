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
#include "machines/seams.h"
#include "peripherals/device_link.h"
#include "computers/controls_rows.h"

u8 twin_irq_pending[32];
u32 twin_slave_active;
i32 twin_irq_current = 32;

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

constexpr u32 TWIN_INTERRUPT_PORT = 0xEA; // bit 5 enables the printer, bit 4 the floppy disk

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

// Each priority has its two-byte vector at twice its number.
static bool interrupt_vector(CpuVector* vector) {
    const int priority = select_priority();
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

// ---- The TWIN's rows ----

namespace {

using enum ColumnBand;
using enum RowBand;

// The drives' watch bits start clear after a state load.
void twin_tail(u32) {
    if (state_applying()) {
        floppy_clear_watch_bits(0);
        floppy_clear_watch_bits(1);
    }
}

void display_geometry_twin(MachineLive& row, bool current) {
    if (current) {
        vdu_columns = 80;
        vdu_visible_rows = vdu_rows = 25;
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

constexpr MachineOps OPS{
    .install_bus = twin_bus_install,
    .serialise = twin_tail,
    .old_states_first = 39,
    .old_states_last = 39,
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
    .bios_view = twin_has_dos,
    .text_letter = debug_ascii_letter,
    .dos_errors = [] { return &twin_sdos_errors; },
    .disk_save_command = "SAVEMOD ",
    .object_suffix = ".aof",
};

} // namespace

extern const MachineEntry twin_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
