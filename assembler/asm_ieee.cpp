// The IEEE-694 front end: registers .0 to .6 and the status halves .U and .L,
// every operand with its mode prefix (# immediate, $ relative, / absolute,
// ! zero page, @ after / for indirection), and its own short directive set.
#include "assembler/asm.h"

#include "cpu/optables.h"
#include "debugger/literals.h"

#include <cstring>

namespace {

char at(u32 offset = 0) {
    return asm_line[asm_cursor + offset];
}

bool comma() {
    if (asm_match(",", false)) return true;
    asm_error("comma expected");
    return false;
}

// ".0" 0, ".1"/".4" 1, ".2"/".5" 2, ".3"/".6" 3; 4 without a message when
// no register is named.
int try_register() {
    asm_skip_blanks(false);
    static const char* const names[] = {".0", ".1", ".4", ".2", ".5", ".3", ".6"};
    static const int numbers[] = {0, 1, 1, 2, 2, 3, 3};
    for (int i = 0; i < 7; i++)
        if (asm_match(names[i], true)) return numbers[i];
    return 4;
}

int ieee_register() {
    const int r = try_register();
    if (r > 3) asm_error("register expected");
    return r;
}

// .U 1, .L 2, else 0 (the cursor then stays).
int status_half() {
    if (asm_match(".U", true)) return 1;
    if (asm_match(".L", true)) return 2;
    return 0;
}

// The absolute operand after "/": "@" indirect, the address, then "(+.r)",
// "(-.r)" or "(.r)" for indexing. Emits opcode + reg (or the index register).
void ieee_absolute(u8 opcode, int reg) {
    const bool indirect = asm_match("@", false);
    const u32 where = asm_cursor;
    const i32 address = asm_eval_here("(");
    int mode = 0;
    if (asm_match("(", false)) {
        mode = asm_match("+", false) ? 1 : asm_match("-", false) ? 2 : 3;
        int index = ieee_register();
        if (index > 3) index = 0;
        if (!asm_match(")", false)) asm_error(") expected");
        if (reg != 0) asm_warning(".0 is required as first register");
        reg = index;
    }
    asm_emit(static_cast<u8>(opcode + reg));
    asm_emit_address(address, indirect, mode, where);
}

// A "$" or "/" branch target; `relative` is the opcode of the "$" form.
void branch_target(u8 relative) {
    asm_skip_blanks(false);
    if (asm_match("$", false)) {
        asm_emit(relative);
        asm_emit_relative(false);
    } else if (asm_match("/", false)) {
        asm_emit(static_cast<u8>(relative + 4));
        asm_branch_address();
    } else {
        asm_error("$ or / expected");
    }
}

// LD, ST and the arithmetic and logic families (`base` the register form).
void arithmetic(u8 base, bool store) {
    asm_skip_blanks(true);
    const int half = status_half();
    if (half) {
        if (!comma()) return;
        if (base == 0x00 || store) { // LD .L,/a and ST .L,/a
            if (half != 2 || !asm_match("/", false)) {
                asm_error("unsupported operation");
                return;
            }
            if (cpu_type != CPU_2650B) asm_error("2650B only");
            asm_emit(store ? 0x11 : 0x10);
            asm_branch_address();
            return;
        }
        if (!asm_match("#", false) || (base != 0x40 && base != 0x60)) {
            asm_error("unsupported operation");
            return;
        }
        if (base == 0x60) {
            asm_emit(static_cast<u8>(0x75 + half)); // OR sets bits: 76, 77
            asm_emit_immediate(false);
            return;
        }
        // AND clears the bits the mask lacks: 74, 75 with the complement.
        asm_emit(static_cast<u8>(0x73 + half));
        const i32 v = asm_fold_byte(asm_eval_here());
        if (v < 0 || v > 255) {
            asm_error("immediate value out of range");
            asm_emit(0);
        } else {
            asm_emit(static_cast<u8>(~v & 0xFF));
        }
        return;
    }
    int r = ieee_register();
    if (r > 3) r = 0;
    if (!comma()) return;
    asm_skip_blanks(false);
    if (!store && asm_match("#", false)) {
        asm_emit(static_cast<u8>(base + 4 + r));
        asm_emit_immediate(false);
    } else if (asm_match("$", false)) {
        asm_emit(static_cast<u8>(base + 8 + r));
        asm_emit_relative(false);
    } else if (asm_match("/", false)) {
        ieee_absolute(static_cast<u8>(base + 0xC), r);
    } else if (base != 0x00 && !store && at() == '.') {
        const int s = ieee_register();
        if (s > 3) return;
        if (r != 0 || (base == 0x40 && s == 0)) {
            asm_error("unsupported operation");
            return;
        }
        asm_emit(static_cast<u8>(base + s));
    } else {
        asm_error(store ? "$ or / expected" : "#, $ or / expected");
    }
}

void move() {
    asm_skip_blanks(true);
    const u32 first = asm_cursor;
    const int a_half = status_half();
    const int a = a_half ? 4 : try_register();
    if (!asm_match(",", false)) {
        asm_error("comma expected");
        return;
    }
    const int b_half = status_half();
    const int b = b_half ? 4 : try_register();
    if (a == 0 && b_half) return asm_emit(b_half == 1 ? 0x12 : 0x13);
    if (a_half && b == 0) return asm_emit(a_half == 1 ? 0x92 : 0x93);
    if (a == 0 && b <= 3) {
        if (b == 0) asm_warning(".0 for both opcodes is not allowed");
        return asm_emit(static_cast<u8>(b));
    }
    if (b == 0 && a >= 1 && a <= 3) return asm_emit(static_cast<u8>(0xC0 + a));
    asm_cursor = first;
    asm_error("unsupported operation");
    while (at())
        asm_cursor++;
}

// IN and OUT: .r,CTRL / .r,DATA / .r,port.
void in_out(u8 ctrl, u8 data, u8 port) {
    asm_skip_blanks(true);
    int r = ieee_register();
    if (r > 3) r = 0;
    if (!comma()) return;
    asm_skip_blanks(false);
    if (asm_match("CTRL", true))
        asm_emit(static_cast<u8>(ctrl + r));
    else if (asm_match("DATA", true))
        asm_emit(static_cast<u8>(data + r));
    else {
        asm_emit(static_cast<u8>(port + r));
        asm_emit_immediate(false);
    }
}

// BR and CALL (`base` 0 or $20).
void unconditional(u8 base) {
    asm_skip_blanks(true);
    if (asm_match("$", false)) {
        asm_emit(static_cast<u8>(0x1B + base));
        asm_emit_relative(false);
    } else if (asm_match("!", false)) {
        asm_emit(static_cast<u8>(0x9B + base));
        asm_zero_page(false);
    } else if (asm_match("/", false)) {
        const bool indirect = asm_match("@", false);
        const u32 where = asm_cursor;
        const i32 v = asm_eval_here("(");
        u8 opcode = static_cast<u8>(0x1F + base);
        if (asm_match("(", false)) {
            if (!asm_match(".3", false) && !asm_match(".6", false)) asm_error(".3 expected");
            if (!asm_match(")", false)) asm_error(") expected");
            opcode = static_cast<u8>(0x9F + base);
        }
        if (at() == ',') asm_error("unexpected comma");
        asm_emit(opcode);
        asm_emit_address(v, indirect, -1, where);
    } else {
        asm_error("$, ! or / expected");
    }
}

struct Simple {
    const char* name;
    u8 a;
    int b; // second byte, -1 none
};
const Simple simple[] = {{"RETEQ", 0x14, -1},  {"RETGT", 0x15, -1},  {"RETLT", 0x16, -1},
                         {"RET", 0x17, -1},    {"RETIEQ", 0x34, -1}, {"RETIGT", 0x35, -1},
                         {"RETILT", 0x36, -1}, {"RETI", 0x37, -1},   {"HALT", 0x40, -1},
                         {"WAIT", 0x40, -1},   {"NOP", 0xC0, -1},    {"CLRC", 0x75, 0x01},
                         {"CLRV", 0x75, 0x04}, {"SETC", 0x77, 0x01}, {"SETV", 0x77, 0x04},
                         {"DI", 0x76, 0x20},   {"EI", 0x74, 0x20}};

struct Single {
    const char* name;
    u8 base;
    int b;
};
const Single single[] = {{"RORC", 0x50, -1},  {"ROR", 0x50, -1},  {"SHR", 0x50, -1},
                         {"ROLC", 0xD0, -1},  {"ROL", 0xD0, -1},  {"SHLA", 0xD0, -1},
                         {"SHL", 0xD0, -1},   {"ADJ", 0x94, -1},  {"INC", 0xD8, 0x00},
                         {"DEC", 0xF8, 0x00}, {"NOT", 0x24, 0xFF}};

struct Branch {
    const char* name;
    u8 relative;
    bool with_register;
};
const Branch branches[] = {
    {"BEQ", 0x18, false},    {"BGT", 0x19, false},    {"BLT", 0x1A, false},
    {"BNE", 0x98, false},    {"BLE", 0x99, false},    {"BGE", 0x9A, false},
    {"CALLEQ", 0x38, false}, {"CALLGT", 0x39, false}, {"CALLLT", 0x3A, false},
    {"CALLNE", 0xB8, false}, {"CALLLE", 0xB9, false}, {"CALLGE", 0xBA, false},
    {"BNZ", 0x58, true},     {"CALLNZ", 0x78, true},  {"IBNZ", 0xD8, true},
    {"DBNZ", 0xF8, true}};

const struct {
    const char* name;
    u8 base;
    bool store;
} families[] = {{"LD", 0x00, false},   {"XOR", 0x20, false},  {"AND", 0x40, false},
                {"OR", 0x60, false},   {"ADDC", 0x80, false}, {"ADD", 0x80, false},
                {"SUBC", 0xA0, false}, {"SUB", 0xA0, false},  {"CMP", 0xE0, false},
                {"ST", 0xC0, true}};

// -1 when the text is no mnemonic.
int instruction() {
    for (const Simple& s : simple)
        if (asm_match(s.name, true)) {
            asm_emit(s.a);
            if (s.b >= 0) asm_emit(static_cast<u8>(s.b));
            return 1;
        }
    for (const auto& f : families)
        if (asm_match(f.name, true)) return arithmetic(f.base, f.store), 1;
    for (const Single& s : single)
        if (asm_match(s.name, true)) {
            asm_skip_blanks(true);
            int r = ieee_register();
            if (r > 3) r = 0;
            asm_emit(static_cast<u8>(s.base + r));
            if (s.b >= 0) asm_emit(static_cast<u8>(s.b));
            return 1;
        }
    for (const Branch& b : branches)
        if (asm_match(b.name, true)) {
            asm_skip_blanks(true);
            int r = 0;
            if (b.with_register) {
                r = ieee_register();
                if (r > 3) r = 0;
                if (!comma()) return 1;
            }
            branch_target(static_cast<u8>(b.relative + r));
            return 1;
        }
    if (asm_match("MOV", true)) return move(), 1;
    if (asm_match("CLR", true)) {
        asm_skip_blanks(true);
        if (try_register() != 0) asm_error(".0 expected");
        asm_emit(0x20);
        return 1;
    }
    if (asm_match("TEST", true)) {
        asm_skip_blanks(true);
        const int half = status_half();
        u8 opcode;
        if (half) {
            opcode = half == 1 ? 0xB4 : 0xB5;
        } else {
            int r = ieee_register();
            if (r > 3) r = 0;
            opcode = static_cast<u8>(0xF4 + r);
        }
        if (!asm_match(",#", false)) {
            asm_error(",# expected");
            return 1;
        }
        asm_emit(opcode);
        asm_emit_immediate(false);
        return 1;
    }
    if (asm_match("IN", true)) return in_out(0x30, 0x70, 0x54), 1;
    if (asm_match("OUT", true)) return in_out(0xB0, 0xF0, 0xD4), 1;
    if (asm_match("BR", true)) return unconditional(0x00), 1;
    if (asm_match("CALL", true)) return unconditional(0x20), 1;
    return -1;
}

// -1 when the text is no directive, else the line's result.
int directive() {
    for (const char* w : {"PAGE", "TITLE"})
        if (asm_match(w, true)) {
            asm_warning("ignoring directive");
            while (at())
                asm_cursor++;
            return 1;
        }
    if (asm_match("RES", true)) {
        asm_skip_blanks(false);
        asm_eval_equate = true;
        const i32 n = asm_eval_here();
        asm_eval_equate = false;
        asm_set_location(asm_location + n, 0x8000);
        return 1;
    }
    if (asm_match("DATAL", true)) return asm_data_words(false);
    if (asm_match("DATAB", true) || asm_match("DATA", true)) return asm_data_bytes();
    if (asm_match("END", true)) return asm_end_directive();
    if (asm_match("ORG", true)) {
        asm_skip_blanks(false);
        asm_eval_equate = true;
        const i32 v = asm_eval_here();
        asm_eval_equate = false;
        if (v < asm_location) asm_warning("setting origin backwards");
        if (asm_set_location(v, 0x7FFF)) asm_origin_set = true;
        return 1;
    }
    if (asm_match("BASE", true)) {
        asm_skip_blanks(false);
        static const struct {
            const char* word;
            u32 radix;
        } bases[] = {{"B", NUM_BINARY}, {"Q", NUM_OCTAL}, {"D", NUM_DECIMAL}, {"H", NUM_HEX}};
        for (const auto& b : bases)
            if (asm_match(b.word, true)) {
                asm_radix = b.radix;
                return 1;
            }
        asm_error("value out of range");
        return 1;
    }
    return -1;
}

} // namespace

bool asm_line_ieee() {
    asm_label[0] = 0;
    static const char* const equates[] = {"EQU", nullptr};
    for (;;) {
        asm_skip_blanks(false);
        if (!at()) return true;
        const int d = directive();
        if (d >= 0) {
            if (d && !asm_at_end()) asm_error("unexpected input");
            return d != 0;
        }
        if (instruction() >= 0) {
            if (!asm_at_end()) asm_error("unexpected input");
            return true;
        }
        if (asm_read_label(":")) return false;
        if (asm_label_definition(equates)) return true;
    }
}
