// Operand forms shared by the front ends (registers, conditions, immediates,
// relative, zero-page and absolute addresses), label definitions, and the
// data, include and CALM directives.
#include "assembler/asm.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/settings_vars.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"
#include "debugger/labels.h"
#include "debugger/literals.h"

#include <cctype>
#include <cstring>
#include <strings.h>

namespace {

char at(u32 offset = 0) {
    return asm_line[asm_cursor + offset];
}

bool blank(char c) {
    return c == ' ' || c == '\t';
}

bool word_end(char c) {
    return !c || blank(c) || std::strchr(",+-)}", c);
}

u32 notation() {
    return dis_notation < NOTATIONS ? dis_notation : 0;
}

// The byte of one character of a quoted string.
u8 string_char(char c, char kind) {
    if (kind == 'A') return static_cast<u8>(c);
    if (kind == 'E') return asm_to_ebcdic(c);
    // The guest's code of the character where its set is not ASCII; a
    // character the set lacks stays as written.
    const std::optional<i32> code = num_parse_char(c);
    return code ? static_cast<u8>(*code) : static_cast<u8>(c);
}

} // namespace

bool asm_match(const char* text, bool whole_word) {
    const size_t n = std::strlen(text);
    if (strncasecmp(asm_line + asm_cursor, text, n) != 0) return false;
    if (whole_word && !word_end(asm_line[asm_cursor + n])) return false;
    asm_cursor += static_cast<u32>(n);
    return true;
}

bool asm_skip_blanks(bool required) {
    const bool none = !blank(at());
    if (required && none) asm_error("whitespace expected");
    while (blank(at()))
        asm_cursor++;
    return none;
}

bool asm_at_end() {
    u32 c = asm_cursor;
    while (blank(asm_line[c]))
        c++;
    return !asm_line[c];
}

i32 asm_eval_here(const char* stops) {
    char text[ASM_LINE_SIZE];
    u32 n = 0;
    while (asm_line[asm_cursor + n] && !std::strchr(stops, asm_line[asm_cursor + n]))
        n++;
    std::memcpy(text, asm_line + asm_cursor, n);
    text[n] = 0;
    const u32 start = asm_cursor;
    const i32 value = asm_eval(text); // which sets asm_cursor to its own offset
    asm_cursor = start + static_cast<u32>(asm_parse_pos - text);
    return value;
}

const char* asm_indirect_prefix() {
    static const char* const prefixes[NOTATIONS] = {"*", "*", "@", "{", "@"};
    return prefixes[notation()];
}

int asm_register(int r0_rule, bool allow_r1_r2) {
    asm_skip_blanks(false);
    static const char* const names[4][4] = {{"r0", "0", nullptr, nullptr},
                                            {"r1", "r4", "1", "4"},
                                            {"r2", "r5", "2", "5"},
                                            {"r3", "r6", "3", "6"}};
    int reg = -1;
    for (int r = 0; r < 4 && reg < 0; r++)
        for (const char* name : names[r])
            if (name && asm_match(name, true)) {
                reg = r;
                break;
            }
    if (reg < 0) {
        if (notation() == NOTATION_NEW_CALM) return 4;
        asm_error("register expected");
        return 0;
    }
    if (reg == 0 && r0_rule == 0) {
        asm_error("r0 is not allowed for this opcode");
        return 4;
    }
    if (reg == 0 && r0_rule == 1) asm_warning("r0 is not allowed for this opcode");
    if ((reg == 1 || reg == 2) && !allow_r1_r2) {
        asm_error(reg == 1 ? "r1 is not allowed for this opcode"
                           : "r2 is not allowed for this opcode");
        return 4;
    }
    return reg;
}

int asm_condition(bool allow_un) {
    asm_skip_blanks(false);
    static const char* const names[4][4] = {{"eq", "0", "z", "a1"},
                                            {"gt", "1", "p", nullptr},
                                            {"lt", "2", "n", "s0"},
                                            {"un", "3", nullptr, nullptr}};
    for (int cc = 0; cc < 4; cc++)
        for (const char* name : names[cc])
            if (name && asm_match(name, true)) {
                if (cc == 3 && !allow_un) {
                    asm_error("un is not allowed for this opcode");
                    return 4;
                }
                return cc;
            }
    asm_error("condition code expected");
    return 4;
}

i32 asm_fold_byte(i32 value) {
    if (value >= 0xFF80 && value <= 0xFFFF) return value - 0xFF00;
    if (value >= -128 && value <= -1) return value + 256;
    return value;
}

void asm_emit_immediate(bool required_blank) {
    asm_skip_blanks(required_blank);
    const i32 v = asm_fold_byte(asm_eval_here());
    if (v < 0 || v > 255) {
        asm_error("immediate value out of range");
        asm_emit(0);
        return;
    }
    asm_emit(static_cast<u8>(v));
}

// Reads an optional indirect prefix; true when there was one.
static bool indirect_prefix() {
    return asm_match(asm_indirect_prefix(), false);
}

static void closing_brace(bool indirect) {
    if (indirect && notation() == NOTATION_NEW_CALM && !asm_match("}", false))
        asm_error("} expected");
}

void asm_emit_relative(bool indirect) {
    asm_skip_blanks(notation() <= NOTATION_EXTENDED);
    if (indirect_prefix()) indirect = true;
    const i32 target = asm_eval_here();
    closing_brace(indirect);
    if (notation() != NOTATION_NEW_CALM && at() == ',') {
        asm_warning("ignoring indexing on relative address");
        while (at())
            asm_cursor++;
    }
    const i32 next = asm_location + 1;
    u8 offset = 0;
    if (((target ^ next) & 0x6000) != 0) {
        asm_error("relative address out of range (wrong page)");
    } else {
        const i32 forward = (target - next) & 0x1FFF;
        const i32 backward = (next - target) & 0x1FFF;
        if (forward <= 63)
            offset = static_cast<u8>(forward);
        else if (backward >= 1 && backward <= 64)
            offset = static_cast<u8>(128 - backward);
        else
            asm_error("relative address out of range (too far)");
    }
    asm_emit(static_cast<u8>((offset & 0x7F) | (indirect ? 0x80 : 0)));
}

void asm_zero_page(bool indirect) {
    asm_skip_blanks(false);
    if (indirect_prefix()) indirect = true;
    i32 v = asm_eval_here();
    closing_brace(indirect);
    if (v >= 0x1FC0 && v <= 0x1FFF)
        v -= 0x1F80;
    else if (v < 0 || v > 63) {
        asm_error("zero page address out of range");
        v = 0;
    }
    asm_emit(static_cast<u8>(v | (indirect ? 0x80 : 0)));
}

void asm_emit_address(i32 address, bool indirect, int mode, u32 where) {
    const bool branch = mode < 0;
    const char* wrong = nullptr;
    if (address < 0 || address > 0x7FFF)
        wrong = "absolute address out of range (beyond 32K)";
    else if (!branch && (address & 0x6000) != (asm_line_location & 0x6000))
        wrong = "absolute address out of range (wrong page)";
    if (wrong) {
        const u32 after = asm_cursor;
        asm_cursor = where; // the caret stands under the address
        asm_error(wrong);
        asm_cursor = after;
        address = 0;
    }
    const u8 flags = static_cast<u8>((indirect ? 0x80 : 0) | (branch ? 0 : mode << 5));
    asm_emit(static_cast<u8>(flags | ((address >> 8) & (branch ? 0x7F : 0x1F))));
    asm_emit(static_cast<u8>(address & 0xFF));
}

void asm_absolute(u8 opcode, int reg) {
    asm_skip_blanks(true);
    const bool indirect = asm_match("*", false);
    const u32 where = asm_cursor;
    const i32 address = asm_eval_here();
    int mode = 0;
    int index = -1;
    if (asm_match(",+", false) || asm_match("+", false)) {
        mode = 1;
    } else if (asm_match(",-", false) || asm_match("-", false)) {
        mode = 2;
    } else if (asm_match(",", false)) {
        index = asm_register(2, true);
        if (index > 3) index = 0;
        if (asm_match(",+", false) || asm_match("+", false))
            mode = 1;
        else if (asm_match(",-", false) || asm_match("-", false))
            mode = 2;
        else
            mode = 3;
        if (reg != 0) asm_warning("r0 is required as first register");
        reg = index;
    }
    asm_emit(static_cast<u8>(opcode + (reg & 3)));
    asm_emit_address(address, indirect, mode, where);
}

void asm_branch_address() {
    if (notation() <= NOTATION_EXTENDED)
        asm_skip_blanks(true);
    else
        asm_skip_blanks(false);
    const bool indirect = indirect_prefix();
    const u32 where = asm_cursor;
    const i32 v = asm_eval_here();
    closing_brace(indirect);
    if (at() == ',') asm_error("unexpected comma");
    asm_emit_address(v, indirect, -1, where);
}

void asm_indexed_branch(u8 opcode) {
    asm_emit(opcode);
    asm_skip_blanks(true);
    const bool indirect = asm_match("*", false);
    const u32 where = asm_cursor;
    const i32 v = asm_eval_here();
    if (asm_match(",", false)) {
        asm_register(0, false);
        if (asm_match(",+", false) || asm_match("+", false) || asm_match(",-", false) ||
            asm_match("-", false))
            asm_error("auto-increment not allowed");
    }
    asm_emit_address(v, indirect, -1, where);
}

// ---- Labels ------------------------------------------------------------------------------

void asm_define_label(const char* name, i32 value) {
    for (const char* p = name; *p; p++) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
        if (!((c >= 'A' && c <= 'Z') || c == '_' || (p != name && c >= '0' && c <= '9'))) {
            asm_error("illegal label name");
            return;
        }
    }
    if (asm_pass == 2)
        for (u32 i = 0; i < user_label_count && i < USER_LABEL_ROWS; i++) {
            const LabelRow& row = user_labels[i];
            // A value that moved between the passes (an equate of a label
            // further down, an origin that depends on one) is taken from here
            // on; only uses above this line got the old value.
            if (strcasecmp(row.name, name) == 0 && row.address != (value & 0xFFFF) && row.used)
                asm_error("label used before its value was known (forward reference)");
        }
    sym_add_quiet(name, static_cast<u32>(value & 0xFFFF), 'U');
}

int asm_read_label(const char* terminators) {
    if (asm_label[0] || asm_cursor != 0) {
        asm_error("syntax error");
        return 1;
    }
    u32 n = 0;
    while (at(n) && !blank(at(n)) && !std::strchr(terminators, at(n)))
        n++;
    if (n > LABEL_NAME_MAX) {
        asm_error("label too long");
        return 1;
    }
    std::memcpy(asm_label, asm_line + asm_cursor, n);
    asm_label[n] = 0;
    asm_cursor += n;
    if (at() && std::strchr(terminators, at())) asm_cursor++;
    return 0;
}

bool asm_label_definition(const char* const* words) {
    asm_skip_blanks(false);
    for (const char* const* w = words; *w; w++)
        if (asm_match(*w, true)) {
            asm_skip_blanks(false);
            asm_eval_equate = true;
            const i32 v = asm_eval_here();
            asm_eval_equate = false;
            // Defined in pass 1; pass 2 evaluates it again, so an equate of a
            // label further down is not left at 0.
            asm_define_label(asm_label, v);
            while (at())
                asm_cursor++;
            return true;
        }
    asm_define_label(asm_label, asm_location);
    return false;
}

// ---- Data directives -----------------------------------------------------------------------

// A directive's operand: nothing of the line is emitted yet, so the location
// counter symbol stands for the location itself.
static i32 directive_eval(const char* stops = "") {
    const bool was = asm_eval_equate;
    asm_eval_equate = true;
    const i32 v = asm_eval_here(stops);
    asm_eval_equate = was;
    return v;
}

bool asm_data_bytes() {
    asm_skip_blanks(true);
    for (;;) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(at())));
        char kind = 0;
        u32 skip = 0;
        if (at() == '\'' || at() == '"') {
            kind = 'N';
        } else if ((c == 'N' || c == 'A' || c == 'E' || c == 'H') &&
                   (at(1) == '\'' || at(1) == '"')) {
            kind = c;
            skip = 1;
        }
        // H'1F with no closing quote is a hexadecimal number where H' is the
        // radix prefix; with one it is a hex string.
        if (kind == 'H' && at(1) == '\'' && !std::strchr(asm_line + asm_cursor + 2, '\'')) kind = 0;
        if (kind == 'H' && at(1) == '\'') {
            asm_cursor += 2;
            for (;;) {
                int digits = 0, value = 0;
                while (digits < 2 && std::isxdigit(static_cast<unsigned char>(at()))) {
                    value = value * 16 + hex_char_value(at());
                    asm_cursor++;
                    digits++;
                }
                if (!digits || (at() != ',' && at() != '\'')) {
                    asm_error(at() ? "unexpected character" : "string not terminated");
                    asm_emit(0);
                    return true;
                }
                asm_emit(static_cast<u8>(value));
                if (at() == '\'') {
                    asm_cursor++;
                    break;
                }
                asm_cursor++;
            }
        } else if (kind) {
            asm_cursor += skip;
            const char quote = at();
            asm_cursor++;
            while (at() && at() != quote) {
                if (at() == '\\' && (at(1) == 'x' || at(1) == 'X') &&
                    std::isxdigit(static_cast<unsigned char>(at(2))) &&
                    std::isxdigit(static_cast<unsigned char>(at(3)))) {
                    asm_emit(static_cast<u8>(hex_char_value(at(2)) * 16 + hex_char_value(at(3))));
                    asm_cursor += 4;
                    continue;
                }
                asm_emit(string_char(at(), kind));
                asm_cursor++;
            }
            if (!at()) {
                asm_error("string not terminated");
                return true;
            }
            asm_cursor++;
        } else {
            const i32 v = asm_fold_byte(directive_eval());
            if (v < 0 || v > 255) {
                asm_error("immediate value out of range");
                asm_emit(0);
            } else {
                asm_emit(static_cast<u8>(v));
            }
        }
        if (at() != ',') return true;
        asm_cursor++;
        asm_skip_blanks(false);
    }
}

bool asm_data_words(bool little_endian) {
    asm_skip_blanks(true);
    for (;;) {
        i32 v = directive_eval();
        if (v < -32768 || v > 65535) {
            asm_error("immediate value out of range");
            v = 0;
        }
        const u8 hi = static_cast<u8>((v >> 8) & 0xFF), lo = static_cast<u8>(v & 0xFF);
        asm_emit(little_endian ? lo : hi);
        asm_emit(little_endian ? hi : lo);
        if (at() != ',') break;
        asm_cursor++;
        asm_skip_blanks(false);
    }
    if (little_endian) asm_warning("wrong endianness");
    return true;
}

bool asm_data_bits() {
    asm_skip_blanks(true);
    if (at() != '"') {
        asm_error("\" expected");
        asm_emit(0);
        return true;
    }
    asm_cursor++;
    u8 value = 0;
    for (int i = 0; i < 8; i++) {
        if (!at()) {
            asm_error("unexpected end of line");
            asm_emit(0);
            return true;
        }
        if (at() == '"') {
            asm_error("string too short");
            asm_emit(0);
            return true;
        }
        if (at() != '.' && at() != ' ') value |= static_cast<u8>(0x80 >> i);
        asm_cursor++;
    }
    if (at() == '"')
        asm_cursor++;
    else
        asm_warning("\" expected");
    asm_emit(value);
    return true;
}

// The file name of INCLUDE and INCBIN into asm_include_name; false ends the pass.
static bool include_name() {
    asm_skip_blanks(false);
    const char quote = at();
    u32 n = 0;
    if (quote == '"' || quote == '\'') {
        asm_cursor++;
        while (at(n) && at(n) != quote)
            n++;
        if (!at(n)) {
            asm_report_in_pass1 = true;
            asm_error("unexpected end of line");
            asm_report_in_pass1 = false;
            return false;
        }
        std::snprintf(asm_include_name, sizeof asm_include_name, "%.*s", static_cast<int>(n),
                      asm_line + asm_cursor);
        asm_cursor += n + 1;
        if (!asm_at_end()) {
            asm_report_in_pass1 = true;
            asm_error("EOL expected");
            asm_report_in_pass1 = false;
            return false;
        }
    } else {
        std::snprintf(asm_include_name, sizeof asm_include_name, "%s", asm_line + asm_cursor);
    }
    while (at())
        asm_cursor++;
    return true;
}

static bool include_directive(bool binary) {
    if (!include_name()) return false;
    return binary ? asm_incbin() : asm_include();
}

bool asm_end_directive() {
    asm_skip_blanks(false);
    if (!asm_at_end()) {
        asm_start_address = directive_eval();
        asm_start_set = true;
    }
    asm_end_seen = true;
    return false;
}

// ORG and its relatives.
static void origin(bool fill) {
    asm_skip_blanks(false);
    const i32 target = directive_eval(",");
    if (!fill) {
        if (target < asm_location) asm_warning("setting origin backwards");
        if (asm_set_location(target, 0x7FFF)) asm_origin_set = true;
        return;
    }
    if (!asm_match(",", false)) {
        asm_error("comma expected");
        return;
    }
    asm_skip_blanks(false);
    const i32 value = asm_fold_byte(directive_eval());
    if (target < asm_location || target > 0x8000) {
        asm_error("invalid address");
        return;
    }
    if (value < 0 || value > 255)
        asm_error("immediate value out of range"); // the location moves, nothing is filled
    else
        std::memset(guest_memory + asm_location, value, static_cast<size_t>(target - asm_location));
    asm_location = target;
    asm_origin_set = true;
}

static void reserve(i32 scale) {
    asm_skip_blanks(false);
    const i32 n = directive_eval();
    asm_set_location(asm_location + n * scale, 0x8000);
}

// A string in double quotes after blanks (.ASCII and its relatives); false
// after the error when the opening quote is missing.
static bool quoted_text(std::string& text, const char* missing) {
    asm_skip_blanks(false);
    if (at() != '"') {
        asm_error(missing);
        return false;
    }
    asm_cursor++;
    while (at() && at() != '"')
        text += at(), asm_cursor++;
    if (!at())
        asm_error("string not terminated");
    else
        asm_cursor++;
    return true;
}

// Whether `word` (`length` characters, any case) names one of the directives
// asm_signetics_directive takes.
bool asm_signetics_directive_word(const char* word, size_t length) {
    static const char* const words[] = {
        "INCBIN", "INCLUDE", "INCL", "DATA",  "DB",     ".BYTE", "BYTE",    "FCB",
        "DBX",    "ACON",    "DW",   ".DBYTE", "WORD",  "FDB",   ".ADDR",   "DFLT",
        ".BIN",   ".OCT",    ".DECM", ".HEX",  "END",   ".END",  "ORGF",    "ORG",
        ".ORG",   "RES",     "DS",   "RESERVE", "RMB",  ".ZERO", "START",   "ASCI",
        "STRING", "FCC"};
    for (const char* w : words)
        if (std::strlen(w) == length && strncasecmp(w, word, length) == 0) return true;
    return false;
}

// The Signetics directives; -1 not one, else the line's result.
int asm_signetics_directive() {
    if (asm_match("INCBIN", true)) return include_directive(true);
    if (asm_match("INCLUDE", true) || asm_match("INCL", true)) return include_directive(false);
    for (const char* w : {"DATA", "DB", ".BYTE", "BYTE", "FCB"})
        if (asm_match(w, true)) return asm_data_bytes();
    if (asm_match("DBX", true)) return asm_data_bits();
    for (const char* w : {"ACON", "DW", ".DBYTE", "WORD", "FDB"})
        if (asm_match(w, true)) return asm_data_words(false);
    if (asm_match(".ADDR", true)) return asm_data_words(true);
    if (asm_match("DFLT", true)) {
        asm_skip_blanks(false);
        const i32 v = directive_eval();
        if (v == 0 || v == 10)
            asm_radix = NUM_DECIMAL;
        else if (v == 1 || v == 16)
            asm_radix = NUM_HEX;
        else
            asm_error("value out of range");
        return 1;
    }
    static const struct {
        const char* word;
        u32 radix;
    } radixes[] = {
        {".BIN", NUM_BINARY}, {".OCT", NUM_OCTAL}, {".DECM", NUM_DECIMAL}, {".HEX", NUM_HEX}};
    for (const auto& r : radixes)
        if (asm_match(r.word, true)) {
            asm_radix = r.radix;
            return 1;
        }
    if (asm_match("END", true) || asm_match(".END", true)) return asm_end_directive();
    if (asm_match("ORGF", true)) return origin(true), 1;
    if (asm_match("ORG", true) || asm_match(".ORG", true)) return origin(false), 1;
    for (const char* w : {"RES", "DS", "RESERVE", "RMB"})
        if (asm_match(w, true)) return reserve(1), 1;
    if (asm_match(".ZERO", true)) {
        asm_skip_blanks(false);
        const i32 n = directive_eval();
        for (i32 i = 0; i < n && asm_location < 0x8000; i++)
            asm_emit(0);
        if (n > 0 && asm_location >= 0x8000 && asm_line_location + n > 0x8000)
            asm_error("attempted to emit code/data beyond 32K");
        return 1;
    }
    if (asm_match("START", true)) {
        asm_skip_blanks(false);
        asm_start_address = directive_eval();
        asm_start_set = true;
        return 1;
    }
    for (const char* w : {"ASCI", "STRING", "FCC"})
        if (asm_match(w, true)) {
            asm_skip_blanks(false);
            const char delimiter = at();
            if (!delimiter) {
                asm_error("string delimiter expected");
                return 1;
            }
            asm_cursor++;
            while (at() && at() != delimiter)
                asm_emit(static_cast<u8>(at())), asm_cursor++;
            if (!at())
                asm_error("string not terminated");
            else
                asm_cursor++;
            return 1;
        }
    return -1;
}

void asm_switch_cpu(u32 type) {
    if (type == cpu_type) return;
    cpu_type = type;
    machine_adapt_opcode_tables(); // the mnemonics and the opcode views
    ui_mark(UI_MENUS);             // the CPU item's tick
}

int asm_calm_directive() {
    if (asm_in_text_block) {
        if (asm_match(".ENDTEXT", true)) asm_in_text_block = false;
        while (at())
            asm_cursor++;
        return 1;
    }
    if (!at()) return 1;
    static const char* const ignored[] = {
        ".BASE",       ".CHAP",    ".ELSE",       ".ENDIF", ".ENDLIST",   ".ENDMACRO",
        ".ERROR",      ".IF",      ".IMPORT",     ".INS",   ".EXPORT",    ".LAYOUT",
        ".LISTIF",     ".LIST",    ".LOCALMACRO", ".MACRO", ".MESSAGE",   ".PAGE",
        ".PROCSET",    ".PROCVAL", ".RANGE",      ".REF",   ".SYSCALL.8", ".SYSCALL.16",
        ".SYSCALL.32", ".TITLE"};
    for (const char* w : ignored)
        if (asm_match(w, true)) {
            asm_warning("ignoring directive");
            while (at())
                asm_cursor++;
            return 1;
        }
    if (asm_match(".ALIGN", true)) {
        asm_skip_blanks(false);
        const i32 n = directive_eval();
        if (n <= 0)
            asm_error("alignment must be 1 or more");
        else if (asm_location % n)
            asm_set_location(asm_location + n - asm_location % n, 0x8000);
        return 1;
    }
    for (const char* w : {".ASCIZE", ".ASCIZ", ".ASCII"})
        if (asm_match(w, true)) {
            std::string text;
            if (!quoted_text(text, "\" expected")) return 1;
            for (char c : text)
                asm_emit(static_cast<u8>(c));
            if (w[5] == 'Z') asm_emit(0); // .ASCIZ and .ASCIZE end the text with a 0
            if (w[6] == 'E' && (asm_location & 1)) asm_location++;
            return 1;
        }
    if (asm_match(".BLK.8", true)) return reserve(1), 1;
    if (asm_match(".BLK.16", true)) return reserve(2), 1;
    if (asm_match(".BLK.32", true)) return reserve(4), 1;
    if (asm_match(".DATA.16", true) || asm_match(".16", true)) return asm_data_words(false), 1;
    if (asm_match(".DATA.8", true) || asm_match(".DATA", true) || asm_match(".8", true))
        return asm_data_bytes(), 1;
    if (asm_match(".END", true)) return asm_end_directive(), -1;
    if (asm_match(".EVEN", true)) {
        if (asm_location & 1) asm_location++;
        return 1;
    }
    if (asm_match(".ODD", true)) {
        if (!(asm_location & 1)) asm_location++;
        return 1;
    }
    for (int width : {8, 16, 32}) {
        char word[12];
        std::snprintf(word, sizeof word, ".FILL.%d", width);
        if (!asm_match(word, true)) continue;
        asm_skip_blanks(false);
        const i32 n = directive_eval(",");
        if (!asm_match(",", false)) {
            asm_error("comma expected");
            return 1;
        }
        asm_skip_blanks(false);
        i32 value = directive_eval();
        if (width == 8) value = asm_fold_byte(value);
        if ((width == 8 && (value < 0 || value > 255)) ||
            (width == 16 && (value < -32768 || value > 65535))) {
            asm_error("immediate value out of range");
            return 1;
        }
        const int bytes = width / 8;
        for (i32 i = 0; i < n && asm_location < 0x8000;)
            for (int b = bytes - 1; b >= 0 && i < n; b--, i++)
                asm_emit(static_cast<u8>(static_cast<u32>(value) >> (8 * b)));
        return 1;
    }
    if (asm_match(".INCLUDE", true)) return include_directive(false) ? 1 : -1;
    if (asm_match(".LOCF", true)) return origin(true), 1;
    if (asm_match(".LOC", true)) return origin(false), 1;
    if (asm_match(".PROC", true)) {
        asm_skip_blanks(false);
        u32 type;
        if (asm_match("S2650B", true))
            type = CPU_2650B;
        else if (asm_match("S2650A", true) || asm_match("S2650", true))
            type = CPU_2650;
        else {
            asm_error("unsupported CPU");
            return 1;
        }
        if (type != cpu_type) {
            asm_warning(type == CPU_2650B ? "switching to 2650B CPU"
                                          : "switching to 2650/2650A CPU");
            asm_switch_cpu(type);
        }
        return 1;
    }
    if (asm_match(".START", true)) {
        asm_skip_blanks(false);
        asm_start_address = directive_eval();
        asm_start_set = true;
        return 1;
    }
    if (asm_match(".STRING", true)) {
        std::string text;
        if (!quoted_text(text, "opening \" expected")) return 1;
        if (text.size() > 255) {
            asm_error("string too long");
            return 1;
        }
        asm_emit(static_cast<u8>(text.size()));
        for (char c : text)
            asm_emit(static_cast<u8>(c));
        return 1;
    }
    if (asm_match(".TEXT", true)) {
        asm_in_text_block = true;
        return 1;
    }
    return 0;
}
