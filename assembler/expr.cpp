// The expression evaluator: terms, tokens, labels, mnemonics and number
// literals, with the operators applied from left to right.
#include "assembler/expr.h"

#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/disasm.h"
#include "cpu/optables.h"
#include "debugger/labels.h"
#include "debugger/literals.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>

bool asm_active = false;
u32 asm_pass = 1;
i32 asm_location = 0;
bool asm_eval_equate = false;
u32 asm_radix = NUM_DECIMAL;
const char* asm_parse_pos = "";
u32 asm_cursor = 0;
u32 asm_error_count = 0;
bool asm_report_in_pass1 = false;
bool (*asm_error_report)(const char* text) = nullptr;
void (*asm_eval_error_report)(const char* text) = nullptr;
void (*asm_eval_label_note)(const char* token, int length, i32 value) = nullptr;

void asm_error(const char* text) {
    if (!asm_active) {
        if (asm_eval_error_report)
            asm_eval_error_report(text);
        else
            con_printf("Error: %s!\n", text);
        return;
    }
    // Pass 1 cannot know the labels further down; it reports only what must
    // show at once (the include directives).
    if (asm_pass == 1 && !asm_report_in_pass1) return;
    if (!asm_error_report)
        con_printf("Error: %s!\n", text);
    else if (!asm_error_report(text))
        return; // told already
    asm_error_count++;
}

void asm_expr_reset() {
    asm_active = false;
    asm_pass = 1;
    asm_location = 0;
    asm_eval_equate = false;
    asm_radix = NUM_DECIMAL;
    asm_parse_pos = "";
    asm_cursor = 0;
    asm_error_count = 0;
    asm_report_in_pass1 = false;
    asm_error_report = nullptr;
    asm_eval_error_report = nullptr;
    asm_eval_label_note = nullptr;
}

namespace {

constexpr unsigned char TIMES = 0xD7;  // multiplication sign (Latin-1)
constexpr unsigned char DIVIDE = 0xF7; // division sign (Latin-1)

u32 notation() {
    return dis_notation < NOTATIONS ? dis_notation : 0;
}

// A token's value, or nothing when it failed (its error said why).
using Value = std::optional<i64>;

bool is_operator(unsigned char c) {
    return (c && std::strchr("+-*/^|&%<>~}", c)) || c == TIMES || c == DIVIDE;
}

bool equal_nocase(const char* text, int length, const char* word) {
    const int n = static_cast<int>(std::strlen(word));
    if (n != length) return false;
    for (int i = 0; i < n; i++)
        if (std::toupper(static_cast<unsigned char>(text[i])) !=
            std::toupper(static_cast<unsigned char>(word[i])))
            return false;
    return true;
}

bool starts_nocase(const char* text, int length, const char* prefix) {
    const int n = static_cast<int>(std::strlen(prefix));
    if (n > length) return false;
    for (int i = 0; i < n; i++)
        if (std::toupper(static_cast<unsigned char>(text[i])) !=
            std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

const char* const location_symbols[3] = {"$", "APC", "*"};
// Radix prefixes per notation family: hexadecimal, decimal, octal, binary.
const char* const radix_prefixes[3][4] = {
    {"'H'", "'D'", "'O'", "'B'"}, {"16'", "10'", "8'", "2'"}, {"H'", "D'", "Q'", "B'"}};
const char* const radix_errors[4] = {"invalid hex number", "invalid decimal number",
                                     "invalid octal number", "invalid binary number"};

u32 family() {
    const u32 n = notation();
    return n <= 1 ? 0 : n <= 3 ? 1 : 2;
}

// Digits in radix index r (0 hex, 1 decimal, 2 octal, 3 binary); an error when bad.
Value digits(int r, const char* text, int length) {
    if (length > 0 && text[length - 1] == '\'') length--; // H'1F' closes its quote
    Value v;
    if (length > 0) switch (r) {
        case 0:
            v = num_parse_hex(text, length);
            break;
        case 1:
            v = num_parse_dec(text, length);
            break;
        case 2:
            v = num_parse_oct(text, length);
            break;
        default:
            v = num_parse_bin(text, length);
            break;
        }
    if (!v) asm_error(radix_errors[r]);
    return v;
}

// A number literal without any error: nothing when it is none.
Value number_or_none(const char* name, int length) {
    int n = 0;
    while (n < length && name[n] && name[n] != ' ' && name[n] != '\t' && name[n] != ';' &&
           !(asm_active && notation() == NOTATION_IEEE && (name[n] == '(' || name[n] == ')')))
        n++;
    if (n >= 3 && (name[0] == 'E' || name[0] == 'e') && name[1] == '\'') {
        num_last_base = NUM_EBCDIC;
        return asm_to_ebcdic(name[2]);
    }
    const i32 saved = dbg_base;
    if (asm_active) dbg_base = static_cast<i32>(asm_radix);
    const Value v = num_parse_literal(name, n);
    dbg_base = saved;
    return v;
}

const char* const base_words[7] = {"binary",    "octal",  "decimal", "hexadecimal",
                                   "character", "EBCDIC", "label"};

Value not_found() {
    char text[80];
    std::snprintf(text, sizeof text, "invalid label or number (parsed as %s)",
                  base_words[num_last_base < 7 ? num_last_base : 6]);
    asm_error(text);
    return std::nullopt;
}

// The value of a label or number after "^C", "^L" or "^M"; false after the error.
bool label_or_number(const char* name, int length, const char* error, i64* value) {
    const Value v = length > 0 ? asm_symbol_value(name, length, true) : std::nullopt;
    if (v) {
        *value = *v;
        return true;
    }
    asm_error(error);
    return false;
}

} // namespace

u8 asm_to_ebcdic(char c) {
    num_last_base = NUM_EBCDIC;
    if (c >= '0' && c <= '9') return static_cast<u8>(0xF0 + c - '0');
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (u >= 'A' && u <= 'I') return static_cast<u8>(0xC1 + u - 'A');
    if (u >= 'J' && u <= 'R') return static_cast<u8>(0xD1 + u - 'J');
    if (u >= 'S' && u <= 'Z') return static_cast<u8>(0xE2 + u - 'S');
    static const struct {
        char c;
        u8 code;
    } others[] = {{' ', 0x40}, {'!', 0x5A},  {'"', 0x7F}, {'#', 0x7B}, {'$', 0x5B}, {'%', 0x6C},
                  {'&', 0x50}, {'\'', 0x7D}, {'(', 0x4D}, {')', 0x5D}, {'*', 0x5C}, {'+', 0x4E},
                  {',', 0x6B}, {'-', 0x60},  {'.', 0x4B}, {'/', 0x61}, {':', 0x7A}, {';', 0x5E},
                  {'<', 0x4C}, {'=', 0x7E},  {'>', 0x6E}, {'?', 0x6F}, {'@', 0x7C}, {'_', 0x6D},
                  {'|', 0x4F}, {'~', 0x5F}};
    for (const auto& o : others)
        if (o.c == c) return o.code;
    return 0;
}

bool asm_term_end(char c) {
    switch (c) {
    case '\0':
    case '\r':
    case '\n':
    case ' ':
    case '\t':
    case ';':
    case ':':
    case '.':
    case '}':
        return true;
    case ',':
        return asm_active;
    default:
        return false;
    }
}

i32 asm_opcode_value(const char* name, int length) {
    const u32 n = notation();
    for (int op = 0; op < 256; op++) {
        const char* m = op_text[n][op].mnemonic;
        if (m && equal_nocase(name, length, m)) return op;
    }
    if (n <= NOTATION_EXTENDED) { // the register-to-r0 forms written with a comma
        static const char* const families[8] = {"LODZ", "EORZ", "ANDZ", "IORZ",
                                                "ADDZ", "SUBZ", "STRZ", "COMZ"};
        static const u8 bases[8] = {0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0};
        for (int f = 0; f < 8; f++)
            for (int r = 0; r < 4; r++) {
                char form[12];
                std::snprintf(form, sizeof form, "%s,R%d", families[f], r);
                if (equal_nocase(name, length, form)) return bases[f] + r;
            }
    }
    return ASM_NO_VALUE;
}

std::optional<i64> asm_number_value(const char* name, int length) {
    const Value v = number_or_none(name, length);
    if (v) return v;
    if (asm_active && asm_pass == 2) {
        const u32 b = num_last_base;
        asm_error(b == NUM_BINARY    ? "invalid binary number"
                  : b == NUM_OCTAL   ? "invalid octal number"
                  : b == NUM_DECIMAL ? "invalid decimal number"
                                     : "invalid hex number");
    }
    return std::nullopt;
}

std::optional<i64> asm_symbol_value(const char* name, int length, bool fallback) {
    i32 value;
    if (length > 0 && sym_lookup(name, static_cast<size_t>(length), &value)) {
        if (!asm_active && asm_eval_label_note) {
            const u32 base = num_last_base;
            const bool wide = num_last_wide;
            if (number_or_none(name, length)) asm_eval_label_note(name, length, value);
            num_last_base = base;
            num_last_wide = wide;
        }
        return value;
    }
    num_last_base = NUM_LABEL;
    if (!fallback) return std::nullopt;
    const i32 op = asm_opcode_value(name, length);
    if (op != ASM_NO_VALUE) return op;
    return number_or_none(name, length);
}

namespace {
Value token_value(const char* token, int length) {
    if (length <= 0) return 0;
    const u32 fam = family();
    if (equal_nocase(token, length, location_symbols[fam])) {
        if (!asm_active) { // a command's operand has no location to count from
            char text[80];
            std::snprintf(text, sizeof text,
                          "%s (the location counter) has no value outside an assembly",
                          location_symbols[fam]);
            asm_error(text);
            return std::nullopt;
        }
        return asm_eval_equate ? asm_location : asm_location - 1;
    }
    for (int r = 0; r < 4; r++)
        if (starts_nocase(token, length, radix_prefixes[fam][r])) {
            const int skip = static_cast<int>(std::strlen(radix_prefixes[fam][r]));
            return digits(r, token + skip, length - skip);
        }
    const char first = token[0];
    switch (first) {
    case '!':
        if (fam == 2) {
            asm_error("unexpected !");
            return std::nullopt;
        }
        return digits(1, token + 1, length - 1);
    case '\'':
    case '"': {
        const std::optional<i32> v = length >= 2 ? num_parse_char(token[1]) : std::nullopt;
        if (!v) return not_found();
        return *v;
    }
    case '$':
        if (fam != 0) {
            asm_error("unexpected $");
            return std::nullopt;
        }
        return digits(0, token + 1, length - 1);
    case '%':
        return digits(3, token + 1, length - 1);
    case '@':
        if (fam != 0) {
            asm_error("unexpected @");
            return std::nullopt;
        }
        return digits(2, token + 1, length - 1);
    case '^':
        if (fam == 1) break; // the CALM notations look it up whole
        if (length >= 2) {
            const char* rest = token + 2;
            const int n = length - 2;
            switch (std::toupper(static_cast<unsigned char>(token[1]))) {
            case 'B':
                return digits(3, rest, n);
            case 'D':
                return digits(1, rest, n);
            case 'H':
                return digits(0, rest, n);
            case 'O':
                return digits(2, rest, n);
            case 'C': {
                i64 v;
                if (!label_or_number(rest, n, "invalid label or number for ^C", &v))
                    return std::nullopt;
                return 65535 - v;
            }
            case 'L': {
                i64 v;
                if (!label_or_number(rest, n, "invalid label or number for ^L", &v))
                    return std::nullopt;
                return v - 256 * (v / 256);
            }
            case 'M': {
                i64 v;
                if (!label_or_number(rest, n, "invalid label or number for ^M", &v))
                    return std::nullopt;
                return v / 256;
            }
            default:
                break;
            }
        }
        asm_error("B/C/D/H/L/M/O expected");
        return std::nullopt;
    default:
        break;
    }
    const Value v = asm_symbol_value(token, length, true);
    if (v) return v;
    const u32 tried = num_last_base;
    if (dbg_ascii_terminal())
        for (int c = 0; c < 32; c++)
            if (equal_nocase(token, length, ascii_control_names[c])) return c;
    num_last_base = tried;
    return not_found();
}
} // namespace

std::optional<i64> asm_token_value(const char* token, int length) {
    // A sign with nothing after it is no term; nor, in a command's operand
    // (which is read whole: no term left out, no digit dropped), is nothing.
    if ((length == 1 && (token[0] == '-' || token[0] == '+')) || (!asm_active && length <= 0)) {
        asm_error("missing term");
        return std::nullopt;
    }
    num_last_wide = false;
    const Value value = token_value(token, length);
    if (value && num_last_wide) {
        asm_error("number wider than 32 bits");
        return std::nullopt;
    }
    return value;
}

i64 asm_eval_term() {
    const char* p = asm_parse_pos;
    if (*p == '(') {
        asm_parse_pos = p + 1;
        const i64 v = asm_eval_expr();
        if (*asm_parse_pos != ')') {
            asm_error(") expected");
            return 0;
        }
        asm_parse_pos++;
        return v;
    }
    const bool hi = starts_nocase(p, 3, "HI(");
    const bool lo = starts_nocase(p, 3, "LO(");
    if (hi || lo) {
        asm_parse_pos = p + 3;
        const i64 v = asm_eval_expr();
        if (*asm_parse_pos != ')') {
            asm_error(") expected");
            return 0;
        }
        asm_parse_pos++;
        return hi ? v / 256 : v - 256 * (v / 256);
    }
    if ((*p == '<' && p[1] != '<') || (*p == '>' && p[1] != '>')) {
        asm_parse_pos = p + 1;
        const i64 v = asm_eval_expr();
        return *p == '<' ? v / 256 : v - 256 * (v / 256);
    }
    // A token: a quoted part first, then up to a term end or an operator. Its
    // first character belongs to it (the prefixes $, %, ^ and the location
    // counter * of notation 4), unless it is '~', which is no prefix.
    const char* q = p;
    if (*q == '\'' || *q == '"') {
        const char quote = *q++;
        while (*q && *q != quote && *q != '\r' && *q != '\n')
            q++;
        if (*q == quote) q++;
    } else if (*q && *q != '~' && !asm_term_end(*q)) {
        q++;
    }
    // A closing bracket ends a token too, or no bracketed expression could end.
    while (!asm_term_end(*q) && *q != ')' && !is_operator(static_cast<unsigned char>(*q))) {
        if (*q == '\'' && q[1] && q[2] == '\'') { // A'x', N'x', E'x': the character is quoted
            q += 3;
            continue;
        }
        q++;
    }
    asm_parse_pos = q;
    const Value v = asm_token_value(p, static_cast<int>(q - p));
    return v ? *v : 0;
}

namespace {
const char* eval_text = ""; // the text asm_eval reads, for naming a result

// A result as it is kept: during an assembly its low 32 bits, sign-extended,
// as the assembler has always wrapped; outside one a result that 32 bits
// cannot hold, signed or unsigned (below -$80000000 or above $FFFFFFFF), or
// that overflowed on the way, is an error, as a literal that wide is.
i64 kept(i64 v, bool overflowed = false) {
    if (asm_active) return static_cast<i32>(static_cast<u32>(static_cast<u64>(v)));
    constexpr i64 highest = 0xFFFFFFFF, lowest = -0x80000000LL;
    if (!overflowed && v <= highest && v >= lowest) return v;
    char text[160];
    const std::ptrdiff_t shown = asm_parse_pos - eval_text; // the expression read so far
    if (shown > 0 && shown <= 120)
        std::snprintf(text, sizeof text, "%.*s is wider than 32 bits", static_cast<int>(shown),
                      eval_text);
    else
        std::snprintf(text, sizeof text, "result wider than 32 bits");
    asm_error(text);
    return 0;
}
} // namespace

i64 asm_eval_expr() {
    i64 sign = 1;
    if (*asm_parse_pos == '+') {
        asm_parse_pos++;
    } else if (*asm_parse_pos == '-') {
        sign = -1;
        asm_parse_pos++;
    }
    // "~X" is X exclusive-or 255: the term before a leading '~' is empty.
    i64 value = *asm_parse_pos == '~' ? 0 : kept(asm_eval_term() * sign);
    for (;;) {
        const unsigned char op = static_cast<unsigned char>(*asm_parse_pos);
        if (!op || op == '<' || op == '>' || op == '}' || !is_operator(op)) break;
        asm_parse_pos++;
        // An operator followed by '~' ("1+~0") has no term: the '~' drops
        // the value so far anyway.
        if (*asm_parse_pos == '~') continue;
        const i64 t = kept(asm_eval_term());
        switch (op) {
        case '+':
            value = kept(value + t);
            break;
        case '-':
            value = kept(value - t);
            break;
        case '*':
        case TIMES: {
            i64 product = 0;
            const bool overflowed = __builtin_mul_overflow(value, t, &product);
            value = kept(product, overflowed);
            break;
        }
        case '/':
        case DIVIDE:
        case '%':
            if (t == 0) { // no division: the error, and the value 0
                asm_error("divide by zero");
                value = 0;
            } else {
                value = kept(op == '%' ? value % t : value / t);
            }
            break;
        case '&':
            value = kept(value & t);
            break;
        case '|':
            value = kept(value | t);
            break;
        case '^':
            value = kept(value ^ t);
            break;
        case '~':
            value = kept(t ^ 255);
            break;
        default:
            break;
        }
    }
    return value;
}

i32 asm_eval(const char* text) {
    return static_cast<i32>(static_cast<u32>(static_cast<u64>(asm_eval_wide(text))));
}

i64 asm_eval_wide(const char* text) {
    asm_parse_pos = text;
    eval_text = text;
    if (!text[0]) {
        asm_error("empty expression");
        return 0;
    }
    i64 value = asm_eval_expr();
    const char c = *asm_parse_pos;
    if (c && !(asm_active && std::strchr(",\t ;+-.}", c))) {
        char message[40];
        std::snprintf(message, sizeof message, "invalid character '%c'", c);
        asm_error(message);
        value = 0;
    }
    if (asm_active) asm_cursor = static_cast<u32>(asm_parse_pos - text);
    return value;
}
