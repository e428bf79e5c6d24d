// Data watchpoints, port traps and the port tracer, with their commands
// WP WC WL IP IC IL.
#include "debugger/watch.h"

#include "assembler/expr.h"
#include "core/emu.h"
#include "core/io_ports.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/disasm.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/debugger.h"
#include "debugger/literals.h"

#include <cctype>
#include <cstdio>
#include <cstring>

static constexpr u32 NONE = static_cast<u32>(REG_NONE);
static constexpr u32 LAST_PORT = PORT_COUNT - 1;                           // $101, the data port
static constexpr u32 LAST_WATCH_TARGET = MEM_REG_BASE + REGISTER_RAS0 + 7; // RAS7

static bool valid_watch_target(u32 target) {
    return target < GUEST_MEMORY_SIZE ||
           (target >= MEM_REG_BASE && target <= MEM_REG_BASE + REGISTER_R0 + 6);
}

static void watch_range_message() {
    const u32 column = REGNAME_LONG + dis_notation;
    dbg_refuse("Valid range is $0000..$7FFF and %s..%s!\n\n", reg_names[REGNAME_R0][column],
               reg_names[REGNAME_R0 + 6][column]);
}

// Watch and break marks recolour the memory views and the monitors' rows.
static void refresh_windows() {
    ui_mark(UI_REFRESH_FORCED);
}

static void warn_if_unwatched() {
    if (!watchreads && !watchwrites)
        con_printf("Warning: watching of reads and writes is currently turned off! (WR and WW "
                   "to enable.)\n");
}

static bool same_condition(const WatchCondition& a, const WatchCondition& b) {
    return a.target == b.target && a.condition == b.condition && a.value == b.value;
}

// The refusals shared by watchpoints and port traps; true when the condition may be stored.
static bool condition_acceptable(u32 target, u32 value) {
    if (target == NONE) {
        dbg_refuse("Conditional token is out of range!\n\n");
        return false;
    }
    if (value == NONE) {
        dbg_refuse("Conditional value is out of range!\n\n");
        return false;
    }
    return true;
}

// " (bits %...% only)", " when t op v" or nothing, then the end of the line.
static void print_condition_tail(const WatchCondition& c) {
    if (c.condition == COND_CHANGED) {
        dis_format_binary(c.value & 0xFF);
        con_printf(" (bits %s only)\n", dis_number_text);
    } else if (c.condition == COND_ALWAYS || c.condition > COND_CHANGED) {
        con_printf("\n");
    } else {
        char t[DBG_ADDRESS_TEXT_SIZE], v[DBG_ADDRESS_TEXT_SIZE];
        dbg_format_condition(c, t, v);
        con_printf(" %s %s %s %s\n", "when", t, dbg_operator_texts[c.condition], v);
    }
}

// ---- Data watchpoints ----------------------------------------------------------------

int dbg_set_watchpoint(u32 address, u32 target, u8 condition, u32 value, u8 mask, int verbose) {
    if (!valid_watch_target(address)) {
        if (verbose) watch_range_message();
        return 0;
    }
    if (mask != 0xFF) {
        target = address;
        condition = COND_CHANGED;
        value = mask;
    }
    const WatchCondition wanted{target, condition, static_cast<u16>(value)};
    if ((mem_attributes[address] & MEM_WATCH) &&
        same_condition(watch_conditions[address], wanted)) {
        if (verbose) con_printf("Watchpoint is already set!\n\n");
        return 0;
    }
    if (!condition_acceptable(target, value)) return 0;
    watch_conditions[address] = wanted;
    mem_attributes[address] |= MEM_WATCH;
    if (!verbose) return 1;

    refresh_windows();
    warn_if_unwatched();
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_address_text(address, where);
    if (condition == COND_ALWAYS) {
        con_printf("Added data watchpoint at %s.\n\n", where);
    } else if (condition == COND_CHANGED) {
        dis_format_binary(value & 0xFF);
        con_printf("Added data watchpoint at %s (bits %s only).\n\n", where, dis_number_text);
    } else {
        char t[DBG_ADDRESS_TEXT_SIZE], v[DBG_ADDRESS_TEXT_SIZE];
        dbg_format_condition(wanted, t, v);
        con_printf("Added data watchpoint at %s when %s %s %s.\n\n", where, t,
                   dbg_operator_texts[condition], v);
    }
    return 1;
}

int dbg_clear_watchpoint(u32 address) {
    if (address >= GUEST_MEMORY_SIZE) {
        dbg_range_message(0, GUEST_MEMORY_SIZE - 1);
        return 0;
    }
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_address_text(address, where);
    if (!(mem_attributes[address] & MEM_WATCH)) {
        con_printf("Watchpoint not found at %s!\n\n", where);
        return 0;
    }
    mem_attributes[address] &= ~MEM_WATCH;
    con_printf("Cleared data watchpoint at %s.\n\n", where);
    refresh_windows();
    return 1;
}

int dbg_check_range(u32 start, u32 end) {
    if (start != NONE && end != NONE && static_cast<i32>(start) <= static_cast<i32>(end)) return 1;
    if (start != NONE && end != NONE)
        dbg_order_message();
    else
        dbg_range_message(0, GUEST_MEMORY_SIZE - 1);
    return 0;
}

void dbg_cmd_watchpoint() {
    const int n = dbg_arg_count();
    if (n == 0 || n == 3 || n == 6 || dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    if (n == 1) {
        const u32 address = dbg_parse_register_operand(dbg_arg1, LAST_WATCH_TARGET, 1);
        if (address == NONE) {
            watch_range_message();
            return;
        }
        dbg_set_watchpoint(address, 0, COND_ALWAYS, 0, dbg_mask, 1);
        return;
    }
    const u32 start = dbg_parse_register_operand(dbg_arg1, LAST_WATCH_TARGET, 0);
    if (n == 4) {
        const u32 target = dbg_parse_register_operand(dbg_arg2, NONE, 0);
        const u8 op = dbg_parse_operator(dbg_arg3);
        const u32 value = dbg_parse_register_operand(dbg_arg4, GUEST_MEMORY_SIZE - 1, 0);
        if (start == NONE || op == 0) {
            dbg_usage();
            return;
        }
        dbg_set_watchpoint(start, target, op, value, 0xFF, 1);
        return;
    }
    const u32 end = dbg_parse_register_operand(dbg_arg2, LAST_WATCH_TARGET, 0);
    WatchCondition c{0, COND_ALWAYS, 0};
    if (n == 5) {
        c.target = dbg_parse_register_operand(dbg_arg3, NONE, 0);
        c.condition = dbg_parse_operator(dbg_arg4);
        const u32 value = dbg_parse_register_operand(dbg_arg5, GUEST_MEMORY_SIZE - 1, 0);
        if (c.target == NONE || c.condition == 0 || value == NONE) {
            dbg_usage();
            return;
        }
        c.value = static_cast<u16>(value);
    }
    if (start == NONE || end == NONE || start > end) {
        dbg_usage();
        return;
    }
    for (u32 a = start; a <= end; a++)
        if (valid_watch_target(a)) {
            watch_conditions[a] = c;
            mem_attributes[a] |= MEM_WATCH;
        }
    refresh_windows();
    warn_if_unwatched();
    dbg_ok();
}

void dbg_cmd_clear_watchpoints() {
    const int n = dbg_arg_count();
    if (n >= 3 || dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    if (n == 0) {
        bool any = false;
        for (u32 a = 0; a <= LAST_WATCH_TARGET; a++)
            if (mem_attributes[a] & MEM_WATCH) {
                mem_attributes[a] &= ~MEM_WATCH;
                any = true;
            }
        if (!any) {
            dbg_refuse("No watchpoints to clear!\n\n");
            return;
        }
        con_printf("Cleared all data watchpoints.\n\n");
        refresh_windows();
        return;
    }
    const u32 start = dbg_parse_register_operand(dbg_arg1, LAST_WATCH_TARGET, 0);
    if (n == 2) {
        const u32 end = dbg_parse_register_operand(dbg_arg2, LAST_WATCH_TARGET, 0);
        if (start == NONE || end == NONE || start > end) {
            (start == NONE || end == NONE ? watch_range_message : dbg_order_message)();
            return;
        }
        bool any = false;
        for (u32 a = start; a <= end; a++) {
            any = any || (mem_attributes[a] & MEM_WATCH);
            mem_attributes[a] &= ~MEM_WATCH;
        }
        refresh_windows();
        dbg_cleared_range(any, "watchpoints", start, end);
        return;
    }
    if (start == NONE) {
        watch_range_message();
        return;
    }
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_address_text(start, where);
    if (!(mem_attributes[start] & MEM_WATCH)) {
        dbg_refuse("Watchpoint not found at %s!\n\n", where);
        return;
    }
    mem_attributes[start] &= ~MEM_WATCH;
    con_printf("Cleared data watchpoint at %s.\n\n", where);
    refresh_windows();
}

void dbg_cmd_list_watchpoints() {
    if (!dbg_machine_has_cpu(true)) return;
    bool any = false;
    for (u32 a = 0; a <= LAST_WATCH_TARGET; a++) {
        if (!(mem_attributes[a] & MEM_WATCH)) continue;
        any = true;
        char where[DBG_ADDRESS_TEXT_SIZE];
        dbg_address_text(a, where);
        con_printf("%s", where);
        print_condition_tail(watch_conditions[a]);
    }
    if (any)
        con_printf("\n");
    else
        con_printf("%s.\n\n", "None");
}

// ---- Port traps ----------------------------------------------------------------------

// The port's name in the trap commands' texts.
static const char* port_name(u32 port, char* out, size_t size) {
    if (port == IO_CONTROL_PORT)
        std::snprintf(out, size, "I/O control port");
    else if (port == IO_DATA_PORT)
        std::snprintf(out, size, "I/O data port");
    else
        std::snprintf(out, size, "I/O extended port $%02X", port);
    return out;
}

int dbg_set_ioport_watch(u32 port, u32 target, u8 condition, u32 value, u8 mask, int verbose) {
    if (port > LAST_PORT) {
        if (verbose) dbg_range_message(0, LAST_PORT);
        return 0;
    }
    if (mask != 0xFF) {
        target = port;
        condition = COND_CHANGED;
        value = mask;
    }
    PortRecord& p = port_records[port];
    const WatchCondition wanted{target, condition, static_cast<u16>(value)};
    if (p.watched && same_condition(p.condition, wanted)) {
        if (verbose) con_printf("Watchpoint is already set!\n\n");
        return 0;
    }
    // Only ports have a last value to compare: any other target is refused.
    if (!condition_acceptable(target > LAST_PORT ? NONE : target, value)) return 0;
    p.condition = wanted;
    p.watched = 1;
    if (!verbose) return 1;

    warn_if_unwatched();
    char name[40];
    port_name(port, name, sizeof name);
    if (condition == COND_ALWAYS) {
        con_printf("Added I/O port watchpoint on %s.\n\n", name);
    } else if (condition == COND_CHANGED) {
        dis_format_binary(value & 0xFF);
        con_printf("Added I/O port watchpoint on %s (bits %s only).\n\n", name, dis_number_text);
    } else {
        char t[DBG_ADDRESS_TEXT_SIZE], v[DBG_ADDRESS_TEXT_SIZE];
        dbg_format_condition(wanted, t, v);
        con_printf("Added I/O port watchpoint on %s when %s %s %s.\n\n", name, t,
                   dbg_operator_texts[condition], v);
    }
    return 1;
}

// Opcode or evaluated value of a port or byte operand, negative values as
// read; nothing when unreadable (the evaluator has said why).
static std::optional<i64> address_operand_signed(const char* text, int mask_allowed) {
    char word[81];
    if (!dbg_split_mask(text, word, mask_allowed)) return std::nullopt;
    const int word_length = static_cast<int>(std::strlen(word));
    if (word_length == 0) return std::nullopt;
    const i32 opcode = asm_opcode_value(word, word_length);
    if (opcode != ASM_NO_VALUE) return opcode;
    return dbg_eval_operand(word);
}

u32 dbg_parse_address_operand(const char* text, int mask_allowed) {
    const std::optional<i64> value = address_operand_signed(text, mask_allowed);
    if (!value) return NONE;
    const i64 byte = *value < 0 ? *value + 256 : *value;
    return byte < 0 || byte > 0xFFFFFFFF ? NONE : static_cast<u32>(byte);
}

u32 dbg_parse_unsigned_operand(const char* text) {
    const std::optional<i64> value = address_operand_signed(text, 0);
    return value && *value >= 0 && *value < DBG_NO_COUNT ? static_cast<u32>(*value) : DBG_NO_COUNT;
}

// A port operand of the trap commands: 0..257, else REG_NONE. A negative
// number or a bad mask is refused rather than read as some other port.
static u32 port_operand(const char* text, int mask_allowed) {
    const std::optional<i64> value = address_operand_signed(text, mask_allowed);
    if (dbg_mask_refused || !value || *value < 0 || *value > LAST_PORT) return NONE;
    return static_cast<u32>(*value);
}

u32 dbg_parse_port_operand(const char* text) {
    return port_operand(text, 0);
}

void dbg_cmd_port_trap() {
    const int n = dbg_arg_count();
    if (n == 3 || n == 6 || dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    if (n == 0) {
        for (u32 p = 0; p <= LAST_PORT; p++)
            dbg_set_ioport_watch(p, 0, COND_ALWAYS, 0, 0xFF, 0);
        dbg_ok();
        return;
    }
    const u32 start = port_operand(dbg_arg1, n == 1);
    if (n == 1) {
        if (dbg_mask_refused) return; // said so already
        if (start == NONE) {
            dbg_range_message(0, LAST_PORT);
            return;
        }
        dbg_set_ioport_watch(start, 0, COND_ALWAYS, 0, dbg_mask, 1);
        return;
    }
    if (n == 4) {
        const u32 target = dbg_parse_register_operand(dbg_arg2, NONE, 0);
        const u8 op = dbg_parse_operator(dbg_arg3);
        const u32 value = dbg_parse_register_operand(dbg_arg4, GUEST_MEMORY_SIZE - 1, 0);
        if (start == NONE) {
            dbg_range_message(0, LAST_PORT);
            return;
        }
        if (op == 0) {
            dbg_usage();
            return;
        }
        dbg_set_ioport_watch(start, target, op, value, 0xFF, 1);
        return;
    }
    const u32 end = port_operand(dbg_arg2, 0);
    if (start == NONE || end == NONE || start > end) {
        dbg_usage();
        return;
    }
    WatchCondition c{0, COND_ALWAYS, 0};
    if (n == 5) {
        c.target = dbg_parse_register_operand(dbg_arg3, NONE, 0);
        c.condition = dbg_parse_operator(dbg_arg4);
        const u32 value = dbg_parse_register_operand(dbg_arg5, GUEST_MEMORY_SIZE - 1, 0);
        if (c.condition == 0) {
            dbg_usage();
            return;
        }
        if (!condition_acceptable(c.target > LAST_PORT ? NONE : c.target, value)) return;
        c.value = static_cast<u16>(value);
    }
    for (u32 p = start; p <= end; p++) {
        port_records[p].condition = c;
        port_records[p].watched = 1;
    }
    refresh_windows();
    warn_if_unwatched();
    dbg_ok();
}

void dbg_cmd_clear_port_traps() {
    const int n = dbg_arg_count();
    if (n >= 3 || dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    if (n == 0) {
        bool any = false;
        for (PortRecord& p : port_records) {
            any = any || p.watched;
            p.watched = 0;
        }
        if (any)
            con_printf("Cleared all I/O port watchpoints.\n\n");
        else
            dbg_refuse("No watchpoints to clear!\n\n");
        return;
    }
    const u32 start = port_operand(dbg_arg1, 0);
    const u32 end = n == 2 ? port_operand(dbg_arg2, 0) : start;
    if (start == NONE || end == NONE || start > end) {
        if (start == NONE || end == NONE)
            dbg_range_message(0, LAST_PORT);
        else
            dbg_order_message();
        return;
    }
    if (n == 2) {
        bool any = false;
        for (u32 p = start; p <= end; p++) {
            any = any || port_records[p].watched;
            port_records[p].watched = 0;
        }
        dbg_cleared_range(any, "I/O port watchpoints", start, end);
        return;
    }
    char name[40];
    port_name(start, name, sizeof name);
    if (!port_records[start].watched) {
        dbg_refuse("I/O port watchpoint not found on %s.\n\n", name);
        return;
    }
    con_printf("Cleared I/O port watchpoint on %s.\n\n", name);
    port_records[start].watched = 0;
}

void dbg_cmd_list_port_traps() {
    if (!dbg_machine_has_cpu(true)) return;
    bool any = false;
    for (u32 p = 0; p <= LAST_PORT; p++) {
        if (!port_records[p].watched) continue;
        any = true;
        char name[40];
        con_printf("%s", port_name(p, name, sizeof name));
        print_condition_tail(port_records[p].condition);
    }
    if (any)
        con_printf("\n");
    else
        con_printf("%s.\n\n", "None");
}

// ---- The port tracer -----------------------------------------------------------------

const char* dbg_char_name(u8 value, char* out) {
    return cpu_char_name(value, out);
}

void dbg_trace_port_access(u32 port, u8 value, int is_write) {
    if (port >= PORT_COUNT) return;
    PortRecord& p = port_records[port];
    u8 previous = p.last_value;
    if (is_write) {
        port_usage[port] |= 1;
        const bool fires = p.watched && watchwrites &&
                           !(watchwrites == 1 && value == p.last_value) &&
                           dbg_test_condition(p.condition, value, 1, 1);
        p.last_value = value;
        if (!fires) return;
    } else {
        port_usage[port] |= 2;
        if (!p.watched || !watchreads || !dbg_test_condition(p.condition, value, 0, 1)) return;
    }
    char name[40];
    if (port == IO_CONTROL_PORT)
        std::snprintf(name, sizeof name, "I/O control port");
    else if (port == IO_DATA_PORT)
        std::snprintf(name, sizeof name, "I/O data port");
    else
        std::snprintf(name, sizeof name, "extended I/O port $%02X", port);
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_format_address(cpu_iar, where, 1, 0, 15, 1);
    char shown[8];
    dbg_char_name(value, shown);
    if (is_write)
        con_printf("Handled write of $%02X (%s) to %s at address %s. Previous value was $%02X.\n",
                   value, shown, name, where, previous);
    else
        con_printf("Handled read of $%02X (%s) from %s at address %s.\n", value, shown, name,
                   where);
    if (cpu_debug_hooks->describe_port) cpu_debug_hooks->describe_port(port, value, is_write);
    dbg_request_pause(PAUSE_BREAK);
    con_printf("\n");
}

// ---- Raster timing -------------------------------------------------------------------

bool dbg_machine_has_raster() {
    const MachineTraits& t = machine_traits();
    if (t.console_raster || machine_live_row().pvi_count > 0) return true;
    return !framebased && t.raster_timed;
}

bool dbg_machine_has_beam_line() {
    return dbg_machine_has_raster() || machine_traits().raster_timed;
}
