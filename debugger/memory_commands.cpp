// The memory and port commands and the register-or-memory edit.
#include "debugger/memory_commands.h"

#include "assembler/expr.h"
#include "core/dump_lines.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/own_outputs.h"
#include "cpu/dbg_hooks.h"
#include "cpu/disasm.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/debugger.h"
#include "debugger/disasm_file.h"
#include "debugger/literals.h"
#include "debugger/watch.h"
#include "sound/voice_update.h"

#include <cstring>
#include <string>

namespace {

constexpr u32 NONE = static_cast<u32>(REG_NONE);
constexpr u32 TOP = GUEST_MEMORY_SIZE - 1;

u32 address_operand(const char* text) {
    return dbg_parse_register_operand(text, TOP, 0);
}

// A value operand as the evaluator reads it, negative numbers kept; nothing
// when unreadable.
std::optional<i64> signed_value(const char* text) {
    char word[81];
    if (!dbg_split_mask(text, word, 0)) return std::nullopt;
    for (u32 n = 0; n < REGISTER_ROWS; n++)
        if (dbg_nocase_equal(word, register_names[n][dis_notation_index()])) return std::nullopt;
    return dbg_eval_operand(word);
}

// Words from word_low_first to word_low_last are kept low byte first.
bool low_first(u32 address) {
    const MachineDebug& d = machine_debug();
    return d.word_low_first != d.word_low_last && address >= d.word_low_first &&
           address <= d.word_low_last;
}

u32 read_word(u32 address) {
    const u8 a = guest_memory[address & TOP], b = guest_memory[(address + 1) & TOP];
    return low_first(address) ? static_cast<u32>(b << 8 | a) : static_cast<u32>(a << 8 | b);
}

// Register edit table: the value of register row n and its largest value.
i32 register_value(u32 n) {
    if (n <= 6) return cpu_regs[n];
    switch (n) {
    case 7: return cpu_psu;
    case 8: return cpu_psl;
    case 9: return cpu_psu & PSU_SP;
    case 10: return cpu_psl >> 6;
    case 11: return cpu_iar;
    default: return cpu_ras[(n - 12) & 7];
    }
}
i32 register_max(u32 n) {
    if (n <= 8) return 255;
    if (n == 9) return 7;
    if (n == 10) return 3;
    return 32767;
}
void register_store(u32 n, i32 v) {
    if (n <= 6)
        cpu_regs[n] = static_cast<u8>(v);
    else if (n == 7)
        cpu_psu = static_cast<u8>(v);
    else if (n == 8)
        cpu_psl = static_cast<u8>(v);
    else if (n == 9)
        cpu_psu = static_cast<u8>((cpu_psu & ~PSU_SP) | (v & PSU_SP));
    else if (n == 10)
        cpu_psl = static_cast<u8>((cpu_psl & 0x3F) | ((v & 3) << 6));
    else if (n == 11)
        cpu_iar = static_cast<u16>(v);
    else
        cpu_ras[(n - 12) & 7] = static_cast<u16>(v);
}

void refresh_memory_views() {
    ui_mark(UI_REFRESH_WINDOWS);
}

} // namespace

u32 edit_target = NONE;
i32 edit_current;
i32 edit_new_value;
i32 edit_max;
char edit_what[81];
char edit_from_text[6];
char edit_to_text[18];
static char edit_label[DBG_ADDRESS_TEXT_SIZE];

int (*dbg_edit_prompt)(const char* what, int quiet, int word) = nullptr;

int dbg_edit_register(const char* name, int quiet, int word) {
    edit_target = NONE;
    // The name is read whole (register names compare without letter case): a
    // copy cut to some length would name another address.
    u32 row = REGISTER_ROWS;
    for (u32 n = 0; n < REGISTER_ROWS; n++)
        if (dbg_nocase_equal(name, register_names[n][dis_notation_index()])) row = n;
    if (row < REGISTER_ROWS) {
        if (word) {
            if (!quiet) dbg_refuse("You can only DOKE memory!\n\n");
            return 0;
        }
        edit_target = MEM_REG_BASE + row;
        edit_current = register_value(row);
        edit_max = register_max(row);
    } else {
        edit_max = word ? 65535 : 255;
        edit_target = dbg_parse_register_operand(name, word ? TOP - 1 : TOP, 0);
        if (edit_target == NONE) {
            if (!quiet) dbg_range_message(0, word ? TOP - 1 : TOP);
            return 0;
        }
        edit_current = static_cast<i32>(word ? read_word(edit_target)
                                             : guest_memory[edit_target]);
    }
    edit_new_value = edit_current;
    std::snprintf(edit_from_text, sizeof edit_from_text, "$%X", static_cast<u32>(edit_current));
    std::snprintf(edit_to_text, sizeof edit_to_text, "%s", edit_from_text);
    return 1;
}

void dbg_no_effect() {
    con_printf("No effect (no change to contents of address).\n\n");
}

void dbg_edit_memory(int quiet, int word) {
    // A negative value is the two's complement of the byte or word edited.
    const i32 span = word ? 65536 : 256;
    if (edit_new_value >= -span && edit_new_value <= -1) edit_new_value += span;
    if (edit_target == NONE || edit_new_value < 0 || edit_new_value > edit_max) {
        if (!quiet && !dbg_operand_said()) dbg_refuse("Value is out of bounds (limit is %d)!\n\n", edit_max);
        return;
    }
    const i32 old = edit_current;
    const i32 v = edit_new_value;
    if (edit_target >= MEM_REG_BASE) {
        const u32 row = edit_target - MEM_REG_BASE;
        register_store(row, v);
        std::snprintf(edit_label, sizeof edit_label, "%s",
                      register_names[row][dis_notation_index()]);
    } else {
        const u32 target = mem_write_mirror[edit_target] & TOP;
        const u32 next = (target + 1) & TOP;
        if (!word) {
            guest_memory[target] = static_cast<u8>(v);
        } else if (low_first(target)) {
            guest_memory[target] = static_cast<u8>(v);
            guest_memory[next] = static_cast<u8>(v >> 8);
        } else {
            guest_memory[target] = static_cast<u8>(v >> 8);
            guest_memory[next] = static_cast<u8>(v);
        }
        if ((mem_attributes[target] & MEM_SOUND) || (word && (mem_attributes[next] & MEM_SOUND)))
            snd_update_voices(0);
        dbg_address_text(target, edit_label);
        edit_target = target;
    }
    if (v == old) {
        if (!quiet) dbg_no_effect();
        return;
    }
    if (!quiet) {
        if (word)
            con_printf("Changed contents of %s..$%04X from $%04X to $%04X.\n\n", edit_label,
                       edit_target + 1, static_cast<u32>(old), static_cast<u32>(v));
        else
            con_printf("Changed contents of %s from $%X to $%X.\n\n", edit_label,
                       static_cast<u32>(old), static_cast<u32>(v));
    }
    refresh_memory_views();
}

u8 dbg_text_code(u8 byte) {
    const auto code = machine_debug().text_code;
    return code ? code(byte) : byte;
}

void dbg_print_memory_text(u32 start, u32 end) {
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_format_address(start, where, 0, 0, 15, 1);
    std::string text;
    for (u32 a = start; a <= end && a <= TOP; a++) {
        char utf8[4];
        text += cpu_guest_char_text(dbg_text_code(guest_memory[a]), utf8);
    }
    con_printf("%s: \"%s\"\n", where, text.c_str());
}

void dbg_print_db_listing(u32 start, u32 end, std::FILE* file) {
    for (u32 a = start; a <= end && a <= TOP; a++) {
        char bits[9], line[48];
        dbg_bit_picture(guest_memory[a], bits);
        std::snprintf(line, sizeof line, "        db      $%02X ;%s $%04X\n", guest_memory[a], bits,
                      a);
        con_printf("%s", line);
        if (file) std::fputs(line, file);
    }
    con_printf("\n");
}

// ---- D, E, DOKE --------------------------------------------------------------------

// These commands are Debug menu items: on a machine without a processor
// their rows refuse the line before it gets here (debug_line_refusal).
void dbg_cmd_display_memory() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    const u32 start = address_operand(dbg_arg1);
    u32 end = NONE;
    if (dbg_arg2[0])
        end = address_operand(dbg_arg2);
    else if (start != NONE)
        end = start + 255 > TOP ? TOP : start + 255;
    if (end != NONE && (end & 15) != 15) end = (end & ~15u) + 15;
    if (end != NONE && end > TOP) end = TOP; // the last row ends at the top of memory
    if (!dbg_check_range(start, end)) return;
    for (u32 a = start; a <= end; a += 16)
        dbg_hexdump_line(a);
    con_printf("\n");
}

// E and DOKE with their arguments, in byte or word mode.
static void edit_command(int word) {
    if (!dbg_arg2[0]) {
        if (dbg_edit_prompt)
            dbg_edit_prompt(dbg_arg1, 0, word);
        else
            dbg_refuse("Command is unavailable.\n\n");
        return;
    }
    if (!dbg_edit_register(dbg_arg1, 0, word)) return;
    // A value past what the target can hold is refused, however many bits it has.
    const std::optional<i64> value = signed_value(dbg_arg2);
    edit_new_value =
        value && *value >= -65536 && *value <= edit_max ? static_cast<i32>(*value) : edit_max + 1;
    dbg_edit_memory(0, word);
}

void dbg_cmd_poke() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_arg1[0]) {
        ui_request_tool_window(TW_MEMORY);
        dbg_ok();
        return;
    }
    edit_command(0);
}

void dbg_cmd_doke() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    edit_command(1);
}

// ---- FILL, COPY, COMP ------------------------------------------------------------------

void dbg_cmd_fill() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    const u32 start = address_operand(dbg_arg1), end = address_operand(dbg_arg2);
    if (!dbg_check_range(start, end)) return;
    const std::optional<i64> value = signed_value(dbg_arg3);
    if (!value || *value < -128 || *value > 255) {
        dbg_usage();
        return;
    }
    const u8 byte = static_cast<u8>(*value);
    for (u32 a = start; a <= end; a++)
        guest_memory[a] = byte;
    refresh_memory_views();
    con_printf("Filled $%X..$%X with $%X.\n\n", start, end, byte);
}

// The three addresses of COPY and COMP (and SWAP): false after the usage or the
// range message. A second block that would run past the top of memory is refused.
bool dbg_block_operands(u32* start, u32* end, u32* second) {
    if (dbg_lone_question() || !dbg_arg3[0]) {
        dbg_usage();
        return false;
    }
    *start = address_operand(dbg_arg1);
    *end = address_operand(dbg_arg2);
    *second = address_operand(dbg_arg3);
    if (*start == NONE || *end == NONE || *second == NONE || *start > *end ||
        *second + (*end - *start) > TOP) {
        dbg_range_message(0, TOP);
        return false;
    }
    return true;
}

void dbg_cmd_copy() {
    u32 start, end, target;
    if (!dbg_block_operands(&start, &end, &target)) return;
    const u32 count = end - start + 1;
    if (start < target)
        for (u32 i = count; i-- > 0;)
            guest_memory[target + i] = guest_memory[start + i];
    else
        for (u32 i = 0; i < count; i++)
            guest_memory[target + i] = guest_memory[start + i];
    refresh_memory_views();
    dbg_ok();
}

void dbg_cmd_compare() {
    u32 start, end, second;
    if (!dbg_block_operands(&start, &end, &second)) return;
    int mismatches = 0;
    for (u32 i = 0; i <= end - start; i++) {
        const u8 a = guest_memory[start + i], b = guest_memory[second + i];
        if (a == b) continue;
        con_printf("$%04X/$%04X: $%02X vs. $%02X\n", start + i, second + i, a, b);
        mismatches++;
    }
    con_printf("%d mismatch(es) found.\n\n", mismatches);
}

// ---- FIND --------------------------------------------------------------------------

static bool is_letter(u8 byte) {
    const auto letter = machine_debug().text_letter;
    return letter && letter(dbg_text_code(byte));
}

// Every run of two or more letters in memory.
static void list_text() {
    u32 run = 0;
    for (u32 a = 0; a <= TOP + 1; a++) {
        if (a <= TOP && is_letter(guest_memory[a])) {
            run++;
            continue;
        }
        if (run >= 2) dbg_print_memory_text(a - run, a - 1);
        run = 0;
    }
    dbg_ok();
}

// The guest code that shows host character c: its first exact match in the
// board's character set, else the character itself.
static u8 guest_code(char c) {
    const auto literal_codes = machine_debug().literal_codes;
    if (!literal_codes) return dbg_text_code(static_cast<u8>(c));
    const u32 codes = literal_codes();
    for (u32 code = 0; code < codes && code < 256; code++)
        if (dbg_guest_char_to_ascii(static_cast<u8>(code)) == static_cast<u8>(c))
            return static_cast<u8>(code);
    return static_cast<u8>(c);
}

static void find_text(u32 start, u32 end, const char* quoted) {
    std::string text = quoted + 1;
    if (!text.empty() && text.back() == '"') text.pop_back();
    if (text.empty()) return;
    std::string codes;
    for (char c : text)
        codes += static_cast<char>(guest_code(c));
    const u32 n = static_cast<u32>(codes.size());
    for (u32 a = start; a + n - 1 <= end && a + n - 1 <= TOP; a++) {
        u32 i = 0;
        while (i < n && dbg_text_code(guest_memory[a + i]) == static_cast<u8>(codes[i]))
            i++;
        if (i < n) continue;
        char where[DBG_ADDRESS_TEXT_SIZE];
        dbg_format_address(a, where, 0, 0, 15, 1);
        con_printf("%s\n", where);
    }
    dbg_ok();
}

void dbg_cmd_find() {
    const int n = dbg_arg_count();
    if (dbg_lone_question() || n == 2) {
        dbg_usage();
        return;
    }
    const char* value_text = n == 3 ? dbg_arg3 : dbg_arg1;
    const bool text = n == 0 || value_text[0] == '"';
    if (text && machine_debug().no_text_search) {
        dbg_wrong_machine();
        return;
    }
    if (n == 0) {
        list_text();
        return;
    }
    u32 start = 0, end = TOP;
    if (n == 3) {
        start = address_operand(dbg_arg1);
        end = address_operand(dbg_arg2);
        if (!dbg_check_range(start, end)) return;
    }
    if (text) {
        find_text(start, end, value_text);
        return;
    }
    const u32 value = dbg_parse_register_operand(value_text, 0xFF, 0);
    if (value == NONE) {
        dbg_range_message(0, 0xFF);
        return;
    }
    bool found = false;
    for (u32 a = start; a <= end; a++) {
        if (guest_memory[a] != value) continue;
        char where[DBG_ADDRESS_TEXT_SIZE];
        dbg_format_address(a, where, 0, 0, 15, 1);
        con_printf("%s\n", where);
        found = true;
    }
    con_printf(found ? "\n" : "Nothing found.\n\n");
}

// ---- Ports ---------------------------------------------------------------------------

// A port word: CTRL, DATA or 0..255; NONE otherwise (a negative number too:
// it means no port).
static u32 port_word(const char* text) {
    if (dbg_nocase_equal(text, "CTRL")) return IO_CONTROL_PORT;
    if (dbg_nocase_equal(text, "DATA")) return IO_DATA_PORT;
    const u32 port = dbg_parse_port_operand(text);
    return port <= 255 ? port : NONE;
}

void dbg_cmd_read_port() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    const u32 port = port_word(dbg_arg1);
    if (port == NONE) {
        dbg_usage();
        return;
    }
    con_printf("$%02X\n\n", io_read_port(port));
}

void dbg_cmd_write_port() {
    if (dbg_lone_question() || !dbg_arg2[0]) {
        dbg_usage();
        return;
    }
    const u32 port = port_word(dbg_arg1);
    const u32 value = dbg_parse_address_operand(dbg_arg2, 0);
    if (port == NONE || value > 255) {
        dbg_usage();
        return;
    }
    io_write_port(port, static_cast<u8>(value));
    dbg_ok();
}

// ---- DIS, DISGAME ----------------------------------------------------------------------

void dbg_cmd_disassemble() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    const u32 start = dbg_arg1[0] ? address_operand(dbg_arg1) : dis_next_address & TOP;
    u32 end = NONE;
    if (dbg_arg2[0])
        end = address_operand(dbg_arg2);
    else if (start != NONE)
        end = start + (verbosity == 2 ? 10 : 22);
    if (end != NONE && end > TOP) end = TOP;
    if (!dbg_check_range(start, end)) return;
    dis_list_range(start, end, 0);
    con_printf("\n");
}

void dbg_cmd_disgame() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    // A machine without a processor: the Debug menu's row refused the line.
    u32 start = 0, end = TOP;
    const char* name = dbg_arg1;
    if (dbg_arg2[0]) {
        start = address_operand(dbg_arg1);
        end = address_operand(dbg_arg2);
        if (!dbg_check_range(start, end)) return;
        name = dbg_arg3;
    }
    const char* given = name;
    if (!dbg_name_names_a_file(given)) return;
    if (!name[0]) name = game_file_name;
    dis_to_file(start, end, name,
                own_output_name_made(given, dis_file_name(name)) ? DisName::made : DisName::typed);
}
