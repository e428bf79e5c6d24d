// Pause request and loop, breakpoint and step-out check, register watches and
// the run-time reports of branches into BIOS code, DOS vectors, loops and wraps.
#include "cpu/dbg_hooks.h"

#include "cpu/bus.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/optables.h"
#include "cpu/seams.h"
#include "cpu/seams_exec.h"
#include "debugger/debugger.h"
#include "gui/main_window.h"
#include "platform/catalog.h"

#include <cstdio>

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
char watch_annotation[WATCH_ANNOTATION_SIZE];

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

namespace {
// Address text for reports: label or "$%X".
struct AddrText {
    char text[DBG_ADDRESS_TEXT_SIZE];
    explicit AddrText(u32 address) { dbg_format_address(address, text, 1, 0, 15, 1); }
};
} // namespace

void dbg_request_pause(int reason) {
    if (reason == PAUSE_ALWAYS || (reason == PAUSE_BREAK && pausebreak) ||
        (reason == PAUSE_LOG && pauselog))
        pause_pending = 1;
}

void dbg_pause_loop() {
    pause_pending = 0;
    emu_pause();
    gui_refresh_windows(0);
    while (emu_paused)
        gui_main_window_events();
}

void cpu_check_breakpoint_slow() {
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
    if (mem_attributes[cpu_iar & ADDR_MASK] & MEM_TRAP) cpu_trap_arm();
}

// The machines that show bytes as ASCII text.
static bool text_machine() {
    switch (machine) {
    case PIPBUG:
    case BINBUG:
    case TWIN:
    case CD2650:
    case TYPERIGHT:
        return true;
    case PHUNSY:
        return phunsy_biosversion == 1;
    case SELBST:
        return selbst_biosversion == 3;
    default:
        return false;
    }
}

// " [NUL]" .. " [US]", the few named codes above, else the character between quotes.
static void annotate_ascii_name(u8 value) {
    static constexpr struct {
        u8 code;
        const char* name;
    } named[] = {{127, "DEL"}, {128, "NC"}, {129, "Brk"}, {130, "HI"},
                 {149, "MW"},  {164, "CQ"}, {165, "ELL"}};
    const char* name = value < 32 ? ascii_control_names[value] : nullptr;
    for (const auto& n : named)
        if (n.code == value) name = n.name;
    if (name)
        std::snprintf(watch_annotation, sizeof watch_annotation, " [%s]", name);
    else
        std::snprintf(watch_annotation, sizeof watch_annotation, " ['%c']",
                      static_cast<char>(value));
}

static void annotate_char(u8 value) {
    std::snprintf(watch_annotation, sizeof watch_annotation, " ['%c']",
                  static_cast<char>(dbg_guest_char_to_ascii(value)));
}

void cpu_annotate_value(u8 value, u32 address) {
    if (text_machine())
        annotate_ascii_name(value);
    else if (machine == ARCADIA)
        uvi_describe_bits(value, address);
    else if (machine == INTERTON || machine == ELEKTOR)
        hw_format_register_bits(value, address);
    else
        annotate_char(value);
}

void cpu_annotate_register_value(u8 value) {
    if (text_machine())
        annotate_ascii_name(value);
    else if (machine == INTERTON)
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

// The CD2650 with the P1 DOS and no BIOS calls the DOS through vectors.
static bool cd2650_dos_vectors() {
    return machine == CD2650 && cd2650_dosversion == 1 && cd2650_biosversion == 0;
}

static bool bios_call_reported() {
    if (machine == INSTRUCTOR || cd2650_dos_vectors() || !logbios || cpu_tracing) return false;
    if (!(mem_attributes[cpu_ea & ADDR_MASK] & MEM_BIOS)) return false;
    if (!(mem_attributes[cpu_iar & ADDR_MASK] & MEM_BIOS)) return true;
    // PIPBUG monitor 3 keeps game entry code at $0003-$0015 inside its ROM.
    return machine == PIPBUG && pipbug_bios == 3 && cpu_iar >= 0x0003 && cpu_iar <= 0x0015;
}

void cpu_report_bios_call(u32 indirect) {
    if (bios_call_reported()) {
        const u32 target = cpu_ea & ADDR_MASK;
        AddrText to(target), from(cpu_iar);
        con_printf(cat_str(240, "BIOS code at %s was called by game code at %s.\n"), to.text,
                   from.text);
        switch (machine) {
        case ELEKTOR:
            elektor_bios_notes(target);
            break;
        case PIPBUG:
        case BINBUG:
            pipbug_bios_notes(target);
            break;
        case TWIN:
            twin_api_notes(target);
            break;
        case CD2650:
            cd2650_bios_notes(target);
            break;
        case PHUNSY:
            phunsy_rom_comment(target);
            break;
        case SELBST:
            selbst_rom_comment(target);
            break;
        default:
            break;
        }
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
    if (!(machine == INSTRUCTOR || cd2650_dos_vectors()) || !logbios) return;
    const u32 pointer = cpu_ea & ADDR_MASK;
    if ((mem_attributes[cpu_iar & ADDR_MASK] & MEM_BIOS) || !(mem_attributes[pointer] & MEM_BIOS))
        return;
    AddrText at(pointer), from(cpu_iar);
    con_printf(cat_str(1374, "%s vector at %s was called by game code at %s.\n"), "P1 DOS", at.text,
               from.text);
    if (machine == INSTRUCTOR)
        instructor_monitor_notes(pointer);
    else
        cd2650_dos_call_notes(pointer);
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
