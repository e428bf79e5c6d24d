#include "debugger/inspect_tools.h"

#include "debugger/coverage.h"

#include "core/filekinds.h"
#include "core/machine_debug.h"
#include "core/message.h"
#include "core/objfile.h"
#include "core/own_outputs.h"
#include "core/serial.h"
#include "core/session.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/debugger.h"
#include "debugger/disasm_file.h"
#include "debugger/labels.h"
#include "debugger/literals.h"
#include "debugger/memory_commands.h"
#include "debugger/watch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
constexpr u32 NONE = static_cast<u32>(REG_NONE);
constexpr u32 TOP = GUEST_MEMORY_SIZE - 1;
} // namespace

u32 dbg_trainer_value = NONE;

void dbg_inspect_reset() {
    dbg_trainer_value = NONE;
}

void dbg_coverage_code(u32 address, char* out) {
    dbg_access_text(mem_access[address & TOP], out);
}

// ---- = -----------------------------------------------------------------------------

static void list_labels() {
    label_list_count = 0;
    char text[DBG_ADDRESS_TEXT_SIZE];
    for (u32 a = 0; a <= TOP; a++)
        dbg_format_address(a, text, 0, 2, 15, 1);
    if (label_list_count == 0)
        con_printf("%s.", "None");
    else if (label_list_count % 2)
        con_printf("\n");
    con_printf("\n");
    dbg_audit_labels();
    con_printf("\n");
}

// "%1000001, @101, !65, $41" and the value's character where it has one.
static void describe_bases(u32 v) {
    char binary[17];
    int n = 0;
    for (int bit = 14; bit >= 0; bit--)
        if (n || (v >> bit) & 1 || bit == 0) binary[n++] = (v >> bit) & 1 ? '1' : '0';
    binary[n] = '\0';
    con_printf("%%%s, @%o, !%d, $%X", binary, v, v, v);
    const CpuCharStyle style = cpu_char_style();
    if (style == CHARS_ASCII) {
        if (v <= 31)
            con_printf(", %s\n", ascii_control_names[v]);
        else if (v <= 127)
            con_printf(", '%c'\n", static_cast<char>(v));
        else
            con_printf("\n");
    } else if (style == CHARS_GUEST && v <= 255) {
        char utf8[4];
        con_printf(", '%s'\n", cpu_guest_char_text(static_cast<u8>(v), utf8));
    } else {
        con_printf("\n");
    }
}

static void describe_condition(const char* what, const WatchCondition& c) {
    if (c.condition == COND_ALWAYS || c.condition > COND_GT) {
        con_printf("%s.\n", what);
        return;
    }
    char t[DBG_ADDRESS_TEXT_SIZE], v[DBG_ADDRESS_TEXT_SIZE];
    dbg_format_condition(c, t, v);
    con_printf("%s %s %s %s %s.\n", what, "when", t, dbg_operator_texts[c.condition], v);
}

static void describe_value(u32 v) {
    describe_bases(v);
    if (mem_read_mirror[v] != v || mem_write_mirror[v] != v) {
        char r[DBG_ADDRESS_TEXT_SIZE], w[DBG_ADDRESS_TEXT_SIZE];
        dbg_address_text(mem_read_mirror[v], r);
        dbg_address_text(mem_write_mirror[v], w);
        con_printf("Read mirror of %s. Write mirror of %s.\n", r, w);
    }
    const u32 attributes = mem_attributes[v];
    const bool unreadable = attributes & MEM_UNREADABLE, unwritable = attributes & MEM_UNWRITABLE;
    con_printf("%s.\n", unreadable && unwritable ? "Unmapped"
                        : unreadable             ? "Write-only"
                        : unwritable             ? "Read-only"
                                                 : "Read/write");
    if (attributes & MEM_BREAKPOINT) describe_condition("Breakpoint", bp_conditions[v]);
    if (attributes & MEM_WATCH) describe_condition("Watchpoint", watch_conditions[v]);
    char coverage[6];
    dbg_coverage_code(v, coverage);
    con_printf("Coverage: %s\n", coverage);
    if (v <= 255) {
        const char* mnemonic = op_text[dis_notation_index()][v].mnemonic;
        con_printf("%s %s\n", "Opcode:", mnemonic ? mnemonic : "");
    }
    dis_address_notes(v, 1, nullptr, 0);
    std::string meaning;
    const auto describe = machine_debug().describe_register;
    if (describe && describe(v, &meaning)) con_printf("%s\n", meaning.c_str());
    con_printf("\n");
}

// These commands are Debug menu items: on a machine without a processor
// their rows refuse the line before it gets here (debug_line_refusal).
void dbg_cmd_describe() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_arg1[0]) {
        list_labels();
        return;
    }
    std::string joined = dbg_arg1;
    for (const char* a : {dbg_arg2, dbg_arg3, dbg_arg4, dbg_arg5, dbg_arg6})
        if (a[0]) joined += std::string(" ") + a;
    const u32 v = dbg_parse_register_operand(joined.c_str(), TOP, 0);
    if (v == NONE) {
        dbg_range_message(0, TOP);
        return;
    }
    describe_value(v);
}

// ---- ERROR -------------------------------------------------------------------------

void dbg_cmd_error() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    const auto errors_of = machine_debug().dos_errors;
    const DosErrors* errors = errors_of ? errors_of() : nullptr;
    if (!errors) {
        dbg_wrong_machine();
        return;
    }
    if (!dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    // A signed decimal number; anything else is out of range.
    char* end = nullptr;
    const long number = std::strtol(dbg_arg1, &end, 10);
    const bool read = end != dbg_arg1 && *end == '\0';
    if (!read || number < 1 || number > 69) {
        dbg_refuse("<number> must be %d-%d!\n\n", 1, 69);
        return;
    }
    if (number >= errors->count) {
        dbg_refuse("<number> must be %d-%d!\n\n", 1, errors->count - 1);
        return;
    }
    con_printf("%s.\n\n", errors->texts[number]);
}

// ---- IM ----------------------------------------------------------------------------

void dbg_cmd_imagery() {
    const int n = dbg_arg_count();
    if (dbg_lone_question() || n > 3) {
        dbg_usage();
        return;
    }
    u32 start = 0, end = TOP;
    const char* file_name = "";
    if (n >= 2) {
        start = dbg_parse_register_operand(dbg_arg1, TOP, 0);
        end = dbg_parse_register_operand(dbg_arg2, TOP, 0);
        if (!dbg_check_range(start, end)) return;
        file_name = dbg_arg3;
    } else if (n == 1) {
        file_name = dbg_arg1;
    }
    if (!file_name[0]) {
        dbg_print_db_listing(start, end, nullptr);
        return;
    }
    // The listing is a source: ".asm" in place of the suffix typed. Made whole
    // in memory, then written through the shared replacement: a failed write
    // leaves no half listing.
    dbg_save_in_projects(
        file_name, ".asm",
        [&](const char* name) {
            char* text = nullptr;
            std::size_t size = 0;
            std::FILE* file = open_memstream(&text, &size);
            if (!file) return 0;
            dbg_print_db_listing(start, end, file);
            const bool made = std::ferror(file) == 0;
            const bool closed = std::fclose(file) == 0;
            const bool written = made && closed && objfile_write_file(name, text, size);
            std::free(text);
            return written ? 1 : 0;
        },
        false);
}

// ---- REL ---------------------------------------------------------------------------

void dbg_cmd_relative() {
    if (dbg_lone_question() || !dbg_arg1[0] || !dbg_arg2[0]) {
        dbg_usage();
        return;
    }
    const u32 source = dbg_parse_register_operand(dbg_arg1, TOP, 0);
    const bool indirect = dbg_arg2[0] == '*';
    const u32 target = dbg_parse_register_operand(dbg_arg2 + (indirect ? 1 : 0), TOP, 0);
    if (source == NONE || target == NONE) {
        dbg_range_message(0, TOP);
        return;
    }
    const u32 page = source & 0x6000;
    if ((target & 0x6000) != page) {
        dbg_refuse("Addresses must be on the same page!\n\n");
        return;
    }
    // The offset counts from the instruction after the two-byte branch, and
    // relative addresses wrap inside the 8 KB page.
    i32 s = static_cast<i32>((source + 2) & 0x1FFF);
    i32 t = static_cast<i32>(target & 0x1FFF);
    if (t < s - 64)
        t += 0x2000;
    else if (t > s + 63)
        s += 0x2000;
    if (t < s - 64 || t > s + 63) {
        dbg_range_message(page + static_cast<u32>((s - 64) & 0x1FFF),
                          page + static_cast<u32>((s + 63) & 0x1FFF));
        return;
    }
    const i32 d = t - s;
    const u32 operand = static_cast<u32>(d < 0 ? d + 128 : d) + (indirect ? 128 : 0);
    con_printf("$%02X\n\n", operand);
}

// ---- SWAP --------------------------------------------------------------------------

void dbg_cmd_swap() {
    u32 start, end, second;
    if (!dbg_block_operands(&start, &end, &second)) return;
    for (u32 k = 0; k <= end - start; k++) {
        const u8 a = guest_memory[start + k];
        guest_memory[start + k] = guest_memory[second + k];
        guest_memory[second + k] = a;
    }
    dbg_ok();
}

// ---- TRAIN -------------------------------------------------------------------------

void dbg_cmd_train() {
    if (dbg_lone_question() || dbg_arg2[0]) {
        dbg_usage();
        return;
    }
    char where[DBG_ADDRESS_TEXT_SIZE];
    if (dbg_arg1[0]) {
        const u32 value = dbg_parse_register_operand(dbg_arg1, 0xFF, 0);
        if (value == NONE) {
            dbg_range_message(0, 0xFF);
            return;
        }
        dbg_trainer_value = value;
        for (u32 a = 0; a <= TOP; a++) {
            const bool plain = !(mem_attributes[a] & (MEM_UNREADABLE | MEM_UNWRITABLE));
            if (plain && guest_memory[a] == value) {
                mem_attributes[a] |= MEM_TRAIN;
                dbg_address_text(a, where);
                con_printf("%s\n", where);
            } else {
                mem_attributes[a] &= ~MEM_TRAIN;
            }
        }
        con_printf("\n");
        return;
    }
    bool any = false;
    for (u32 a = 0; a <= TOP; a++) {
        if (!(mem_attributes[a] & MEM_TRAIN) || guest_memory[a] == dbg_trainer_value) continue;
        any = true;
        dbg_address_text(a, where);
        const i32 difference = static_cast<i32>(guest_memory[a]) - static_cast<i32>(dbg_trainer_value);
        if (difference > 0)
            con_printf("%s (+%3d) \n", where, difference);
        else
            con_printf("%s (-%3d) \n", where, -difference);
    }
    if (!any) con_printf("Nothing found.\n");
    con_printf("\n");
}
