// Pause request and loop, breakpoint and step-out check, register watches and
// the run-time reports of branches into BIOS code, DOS vectors, loops and wraps.
#include "cpu/dbg_hooks.h"

#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/debug_state.h"
#include "cpu/optables.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstring>

u8 pause_pending;
u32 logbios;
u32 logillegal;
u32 loginefficient;
u32 loginterrupts;
u32 logreadwrites;
u32 logsubroutines;
u32 pausebreak = 1;
u32 pauselog;
u32 watchreads = 1;
u32 watchwrites = 2;
i32 verbosity = 2;
u32 guidepixel = 1;
char watch_annotation[WATCH_ANNOTATION_SIZE];
CpuHost cpu_host;

static constexpr u32 ADDR_MASK = GUEST_MEMORY_SIZE - 1;

void dbg_hooks_reset() {
    pause_pending = 0;
    logbios = logillegal = loginefficient = loginterrupts = logreadwrites = logsubroutines = 0;
    pausebreak = 1;
    pauselog = 0;
    watchreads = 1;
    watchwrites = 2;
    watch_annotation[0] = '\0';
}

char cpu_format_address(u32 address, char* out, int with_suffix, int collect, int kind, int plain) {
    out[0] = '\0';
    if (cpu_host.format_address)
        return cpu_host.format_address(address, out, with_suffix, collect, kind, plain);
    cpu_format_address_plain(address, out, plain);
    return 0;
}

void cpu_format_address_plain(u32 address, char* out, int plain) {
    const u32 notation = dis_notation < NOTATIONS ? dis_notation : 0;
    if (address >= MEM_REG_BASE && address < MEM_REG_BASE + MEM_REG_COUNT)
        std::snprintf(out, CPU_ADDRESS_TEXT_SIZE, "%s",
                      register_names[address - MEM_REG_BASE][notation]);
    else if (plain)
        std::snprintf(out, CPU_ADDRESS_TEXT_SIZE, "$%X", address);
    else
        std::snprintf(out, CPU_ADDRESS_TEXT_SIZE, "%s%X", dis_hex_prefix[notation], address);
}

u8 cpu_guest_char(u8 code) {
    if (cpu_debug_hooks->guest_char) {
        const u8 shown = cpu_debug_hooks->guest_char(code);
        return shown ? shown : CON_NO_CHAR;
    }
    return static_cast<u8>(con_shown_char(code)); // a board with plain ASCII
}

u8 cpu_char_from_runs(const CpuCharRun* runs, std::size_t count, u32 code) {
    for (std::size_t r = 0; r < count; r++) {
        if (code < runs[r].first) continue;
        const std::size_t offset = code - runs[r].first;
        if (offset < std::strlen(runs[r].text)) return static_cast<u8>(runs[r].text[offset]);
    }
    return 0;
}

const char* cpu_guest_char_text(u8 code, char* out) {
    return latin1_char_utf8(cpu_guest_char(code), out);
}

namespace {
// Address text for reports: label or "$%X".
struct AddrText {
    char text[CPU_ADDRESS_TEXT_SIZE];
    explicit AddrText(u32 address) { cpu_format_address(address, text, 1, 0, 15, 1); }
};
} // namespace

void dbg_request_pause(int reason) {
    if (reason == PAUSE_ALWAYS || (reason == PAUSE_BREAK && pausebreak) ||
        (reason == PAUSE_LOG && pauselog))
        pause_pending = 1;
}

void cpu_host_pause() {
    if (!cpu_host.pause) return;
    if (cpu_bus.picture_due) cpu_bus.picture_due();
    cpu_host.pause();
}

void cpu_host_blit() {
    if (!cpu_host.blit) return;
    if (cpu_bus.picture_due) cpu_bus.picture_due();
    cpu_host.blit();
}

void dbg_pause_loop() {
    pause_pending = 0;
    cpu_host_pause();
    if (cpu_host.refresh) cpu_host.refresh();
    // Only the interface can continue: without an event pass nothing waits.
    if (cpu_host.paused && cpu_host.paused()) dbg_serve_events_while_paused();
}

void dbg_serve_events_while_paused() {
    if (!cpu_host.event_pass) return;
    for (;;) {
        cpu_host.event_pass();
        if (!cpu_host.paused || !cpu_host.paused()) return;
        if (cpu_host.quit_requested && cpu_host.quit_requested()) return;
        if (cpu_host.wait_events) cpu_host.wait_events();
    }
}

bool cpu_check_breakpoint_slow() {
    const u32 iar = cpu_iar & ADDR_MASK;
    if (mem_attributes[iar] & MEM_STEP_OUT) {
        mem_attributes[iar] &= ~MEM_STEP_OUT;
        con_printf(cat_str(274, "Reached end of subroutine or interrupt and returned to $%X.\n\n"),
                   iar);
        dbg_request_pause(PAUSE_ALWAYS);
    }
    if ((mem_attributes[iar] & MEM_BREAKPOINT) && dbg_test_condition(bp_conditions[iar], 0, 0, 0)) {
        AddrText at(iar), prev(cpu_prev_iar);
        con_printf(cat_str(193, "Hit code breakpoint at %s! Previous IAR/PC was %s.\n\n"), at.text,
                   prev.text);
        dbg_request_pause(PAUSE_BREAK);
    }
    if (pause_pending) dbg_pause_loop();
    return (mem_attributes[cpu_iar & ADDR_MASK] & MEM_TRAP) && cpu_trap_fire();
}

const char* cpu_byte_name(u8 value, char* out) {
    static constexpr struct {
        u8 code;
        const char* name;
    } named[] = {{127, "DEL"}, {128, "NC"}, {129, "Brk"}, {130, "HI"},
                 {149, "MW"},  {164, "CQ"}, {165, "ELL"}};
    if (value < 32) return std::strcpy(out, ascii_control_names[value]);
    for (const auto& n : named)
        if (n.code == value) return std::strcpy(out, n.name);
    char shown[3];
    std::snprintf(out, 8, "'%s'", latin1_char_utf8(value, shown));
    return out;
}

// " [NUL]" .. " [US]", the few named codes above, else the character between quotes.
static void annotate_ascii_name(u8 value) {
    char name[8];
    std::snprintf(watch_annotation, sizeof watch_annotation, " [%s]", cpu_byte_name(value, name));
}

static void annotate_char(u8 value) {
    char shown[3];
    std::snprintf(watch_annotation, sizeof watch_annotation, " ['%s']",
                  cpu_guest_char_text(value, shown));
}

const char* cpu_char_name(u8 value, char* out) {
    static const struct {
        u8 code;
        const char* name;
    } named[] = {{12, "ZFF"}, {127, "DEL"}, {128, "NC"}, {129, "Brk"},
                 {130, "HI"}, {149, "MW"},  {164, "CQ"}, {165, "ELL"}};
    for (const auto& n : named)
        if (n.code == value) return std::strcpy(out, n.name);
    if (value < 32) return std::strcpy(out, ascii_control_names[value]);
    if (value < 128) {
        std::snprintf(out, 8, "'%c'", value);
    } else { // Latin-1 as UTF-8
        const char utf8[3] = {static_cast<char>(0xC0 | (value >> 6)),
                              static_cast<char>(0x80 | (value & 0x3F)), '\0'};
        std::snprintf(out, 8, "'%s'", utf8);
    }
    return out;
}

const char* cpu_char_name_hex(u8 value, char* out) {
    char name[8];
    std::snprintf(out, 16, "%s ($%02X)", cpu_char_name(value, name), value);
    return out;
}

void cpu_annotate_value(u8 value, u32 address) {
    const CpuCharStyle style = cpu_char_style();
    if (style == CHARS_ASCII)
        annotate_ascii_name(value);
    else if (cpu_debug_hooks->describe_value)
        cpu_debug_hooks->describe_value(value, address, watch_annotation, sizeof watch_annotation);
    else if (style == CHARS_NONE)
        watch_annotation[0] = '\0';
    else
        annotate_char(value);
}

void cpu_annotate_register_value(u8 value) {
    const CpuCharStyle style = cpu_char_style();
    if (style == CHARS_ASCII)
        annotate_ascii_name(value);
    else if (style == CHARS_NONE)
        watch_annotation[0] = '\0';
    else
        annotate_char(value);
}

static const char* register_name(u32 n) {
    return register_names[n][dis_notation < NOTATIONS ? dis_notation : 0];
}

u8 cpu_read_register_watched(u32 n) {
    const u8 value = cpu_regs[n];
    if (watchreads && dbg_test_condition(watch_conditions[MEM_REG_BASE + n], 0, 0, 0)) {
        cpu_annotate_register_value(value);
        AddrText iar(cpu_iar), prev(cpu_prev_iar);
        con_printf(cat_str(166, "Instruction at %s (raster %d) is reading $%X%s from %s! Previous "
                                "IAR/PC was %s.\n"),
                   iar.text, raster_line, value, watch_annotation, register_name(n), prev.text);
        con_printf("\n");
        dbg_request_pause(PAUSE_BREAK);
    }
    return value;
}

void cpu_write_register_watched(u32 n, u8 value) {
    if (watchwrites && (watchwrites == 2 || value != cpu_regs[n]) &&
        dbg_test_condition(watch_conditions[MEM_REG_BASE + n], value, 1, 0)) {
        cpu_annotate_register_value(value);
        AddrText iar(cpu_iar), prev(cpu_prev_iar);
        con_printf(cat_str(194, "Instruction at %s (raster %d) is writing $%X%s to %s! Previous "
                                "IAR/PC was %s.\n\n"),
                   iar.text, raster_line, value, watch_annotation, register_name(n), prev.text);
        dbg_request_pause(PAUSE_BREAK);
    }
    cpu_regs[n] = value;
}

// Boards whose monitor is entered through vectors in RAM.
static bool calls_through_vectors() {
    return cpu_debug_hooks->calls_through_vectors && cpu_debug_hooks->calls_through_vectors();
}

static bool bios_call_reported() {
    if (calls_through_vectors() || !logbios || cpu_tracing) return false;
    if (!(mem_attributes[cpu_ea & ADDR_MASK] & MEM_BIOS)) return false;
    if (!(mem_attributes[cpu_iar & ADDR_MASK] & MEM_BIOS)) return true;
    return cpu_debug_hooks->bios_caller && cpu_debug_hooks->bios_caller(cpu_iar);
}

void cpu_report_bios_call(u32 indirect) {
    if (bios_call_reported()) {
        const u32 target = cpu_ea & ADDR_MASK;
        AddrText to(target), from(cpu_iar);
        con_printf(cat_str(240, "BIOS code at %s was called by game code at %s.\n"), to.text,
                   from.text);
        if (cpu_debug_hooks->bios_notes) cpu_debug_hooks->bios_notes(target);
        con_printf("\n");
        dbg_request_pause(PAUSE_LOG);
    }
    cpu_iar = static_cast<u16>(cpu_ea);
    if (indirect) {
        cpu_op_cycles = 5;
        cpu_cycles += 15;
    } else {
        cpu_op_cycles = 3;
        cpu_cycles += 9;
    }
}

void cpu_report_dos_vector_call() {
    if (!calls_through_vectors() || !logbios) return;
    const u32 pointer = cpu_ea & ADDR_MASK;
    if ((mem_attributes[cpu_iar & ADDR_MASK] & MEM_BIOS) || !(mem_attributes[pointer] & MEM_BIOS))
        return;
    AddrText at(pointer), from(cpu_iar);
    con_printf(cat_str(1374, "%s vector at %s was called by game code at %s.\n"), "P1 DOS", at.text,
               from.text);
    if (cpu_debug_hooks->vector_notes) cpu_debug_hooks->vector_notes(pointer);
    con_printf("\n");
    dbg_request_pause(PAUSE_LOG);
}

void cpu_log_end_of_loop() {
    AddrText at(cpu_iar);
    con_printf(cat_str(358, "Reached end of loop at %s.\n\n"), at.text);
    dbg_request_pause(PAUSE_ALWAYS);
}

void cpu_log_iar_wrapped() {
    AddrText at(cpu_prev_iar);
    con_printf(cat_str(634, "IAR has wrapped after instruction at %s (%u %s)!\n\n"), at.text,
               dbg_clocks_to_units(cpu_cycles), dbg_unit_label);
}
