// The two CALM front ends: old CALM (destination first, registers A to D,
// ".+" relative, "@" indirect, "(reg)+" indexing, "0+" zero page) and new
// CALM (source first, r0 to r3, PSU and PSL, "R^" relative, "U^" absolute,
// braces for indirection and indexing). Both offer each line to the CALM
// directives first and share the status-flag words.
#include "assembler/asm.h"

#include "cpu/optables.h"

#include <cstring>

namespace {

char at(u32 offset = 0) {
    return asm_line[asm_cursor + offset];
}

bool comma() {
    return asm_match(",", false);
}

// Index of the last comma of the line from the cursor on, or -1.
int last_comma() {
    const char* c = std::strrchr(asm_line + asm_cursor, ',');
    return c ? static_cast<int>(c - asm_line) : -1;
}

// Runs `parse` on the text up to `end` (the line is cut there meanwhile);
// the cursor then stands on `end`.
template <class F> void within(int end, F parse) {
    const char saved = asm_line[end];
    asm_line[end] = 0;
    parse();
    if (!asm_at_end()) asm_error("unexpected input");
    asm_line[end] = saved;
    asm_cursor = static_cast<u32>(end);
}

void emit2(u8 a, u8 b) {
    asm_emit(a);
    asm_emit(b);
}

// Status flag words: bit and whether it lives in the upper status byte.
struct Flag {
    const char* name;
    u8 bit;
    bool upper;
};
const Flag flags[] = {{"IOF", 0x20, true},        {"OUTPUT", 0x40, true},
                      {"INPUT", 0x80, true},      {"CARRY", 0x01, false},
                      {"LOGICOMP", 0x02, false},  {"OVERFLOW", 0x04, false},
                      {"WITHCARRY", 0x08, false}, {"BANK1", 0x10, false},
                      {"BANK", 0x10, false},      {"HALFCARRY", 0x20, false}};

const Flag* flag_word() {
    asm_skip_blanks(false);
    for (const Flag& f : flags)
        if (asm_match(f.name, true)) return &f;
    return nullptr;
}

// CLR, SET and TEST of a flag word: true when one was named.
bool flag_instruction(u8 upper, u8 lower) {
    const u32 before = asm_cursor;
    const Flag* f = flag_word();
    if (!f) {
        asm_cursor = before;
        return false;
    }
    emit2(f->upper ? upper : lower, f->bit);
    return true;
}

// The simple instructions both CALM notations share; -1 when the mnemonic is
// none of them.
int shared_instruction(int (*reg)()) {
    static const struct {
        const char* name;
        u8 a, b;
        int count;
    } fixed[] = {{"CLRC", 0x75, 0x01, 2}, {"CLRV", 0x75, 0x04, 2}, {"SETC", 0x77, 0x01, 2},
                 {"SETV", 0x77, 0x04, 2}, {"ION", 0x74, 0x20, 2},  {"IOF", 0x76, 0x20, 2},
                 {"WAIT", 0x40, 0, 1},    {"NOP", 0xC0, 0, 1}};
    for (const auto& f : fixed)
        if (asm_match(f.name, true)) {
            asm_emit(f.a);
            if (f.count == 2) asm_emit(f.b);
            return 1;
        }
    static const struct {
        const char* name;
        u8 base;
        int extra; // -1 none, else a second byte
    } single[] = {{"NOT", 0x24, 0xFF}, {"RRC", 0x50, -1}, {"RR", 0x50, -1},  {"SR", 0x50, -1},
                  {"RLC", 0xD0, -1},   {"RL", 0xD0, -1},  {"SL", 0xD0, -1},  {"ASL", 0xD0, -1},
                  {"INC", 0xD8, 0x00}, {"DEC", 0xF8, 0},  {"DAA", 0x94, -1}, {"DAR", 0x94, -1},
                  {"DA", 0x94, -1}};
    for (const auto& s : single) {
        const u32 before = asm_cursor;
        if (!asm_match(s.name, true)) continue;
        if (!asm_line[asm_cursor]) {
            asm_cursor = before; // a label of that name
            continue;
        }
        asm_skip_blanks(true);
        int r = reg();
        if (r > 3) {
            asm_error("register expected");
            r = 0;
        }
        asm_emit(static_cast<u8>(s.base + r));
        if (s.extra >= 0) asm_emit(static_cast<u8>(s.extra));
        return 1;
    }
    return -1;
}

// A port operand after "$" that is neither CTRL nor DATA: its byte.
void port_byte() {
    asm_emit_immediate(false);
}

// ---- Old CALM ------------------------------------------------------------------

// "A" 0, "B"/"B'" 1, "C"/"C'" 2, "D"/"D'" 3; 4 when no register is named.
int calm_register(int a_rule, bool allow_bcd) {
    asm_skip_blanks(false);
    static const char* const names[] = {"A", "B'", "B", "C'", "C", "D'", "D"};
    static const int numbers[] = {0, 1, 1, 2, 2, 3, 3};
    for (int i = 0; i < 7; i++) {
        if (!asm_match(names[i], true)) continue;
        const int r = numbers[i];
        if (r == 0 && a_rule == 0) {
            asm_error("A is not allowed for this opcode");
            return 4;
        }
        if (r == 0 && a_rule == 1) asm_warning("A is not allowed for this opcode");
        if ((r == 1 || r == 2) && !allow_bcd) {
            asm_error(r == 1 ? "B is not allowed for this opcode"
                             : "C is not allowed for this opcode");
            return 4;
        }
        return r;
    }
    return 4;
}

int old_reg() {
    return calm_register(2, true);
}

// A register at the cursor followed by `after` (or the end of the text):
// its number, else 4 with the cursor back where it was.
int register_then(int (*reg)(), const char* after) {
    const u32 before = asm_cursor;
    const int r = reg();
    if (r <= 3 && (after ? at() == *after : asm_at_end())) return r;
    asm_cursor = before;
    return 4;
}

// The absolute operand with its optional index part. Emits opcode (or the
// index register in its low bits), then the two address bytes.
void calm_absolute(u8 opcode) {
    asm_skip_blanks(false);
    int mode = 0, index = 0;
    if (asm_match("(-", false))
        mode = 2;
    else if (asm_match("(+", false))
        mode = 1;
    else if (asm_match("(", false))
        mode = 3;
    if (mode) {
        index = calm_register(2, true);
        if (index > 3) {
            asm_error("register expected");
            index = 0;
        }
        if (!asm_match(")+", false)) asm_error(")+ expected");
        opcode = static_cast<u8>((opcode & ~3) | index);
    }
    const bool indirect = asm_match("@", false);
    const u32 where = asm_cursor;
    const i32 address = asm_eval_here();
    asm_emit(opcode);
    asm_emit_address(address, indirect, mode, where);
}

// ".+" or "@.+" at the cursor: the relative byte after `opcode`; false when
// the operand is not relative.
bool old_relative(u8 opcode) {
    bool indirect = false;
    if (asm_match("@.+", false))
        indirect = true;
    else if (!asm_match(".+", false))
        return false;
    asm_emit(opcode);
    asm_emit_relative(indirect);
    return true;
}

// A conditional branch or call target: relative with `opcode`, else absolute
// with opcode + 4.
void calm_branch(u8 opcode) {
    asm_skip_blanks(true);
    if (old_relative(opcode)) return;
    asm_emit(static_cast<u8>(opcode + 4));
    asm_branch_address();
}

int calm_condition() {
    asm_skip_blanks(false);
    static const char* const names[] = {"EQ", "AO", "GT", "LT", "NO"};
    static const int codes[] = {0, 0, 1, 2, 2};
    for (int i = 0; i < 5; i++)
        if (asm_match(names[i], true)) return codes[i];
    asm_error("condition code expected");
    return 4;
}

// RET/RETION (new CALM RETI) with an optional condition.
void return_instruction(u8 always, u8 conditional) {
    if (!comma()) {
        asm_emit(always);
        return;
    }
    const int cc = calm_condition();
    if (cc <= 3) asm_emit(static_cast<u8>(conditional + cc));
}

// "$CTRL", "$DATA" or "$port" at the cursor: the opcode of the form (with
// `r`) and the port byte; false when there is no port.
bool port_operand(u8 ctrl, u8 data, u8 extended, int r, bool defer_port = false) {
    if (at() != '$') return false;
    asm_cursor++;
    if (asm_match("CTRL", true))
        asm_emit(static_cast<u8>(ctrl + r));
    else if (asm_match("DATA", true))
        asm_emit(static_cast<u8>(data + r));
    else {
        asm_emit(static_cast<u8>(extended + r));
        if (!defer_port) port_byte();
    }
    return true;
}

const struct {
    const char* name;
    u8 base;
} arithmetic[] = {{"XOR", 0x20},  {"AND", 0x40},  {"OR", 0x60},  {"ADDC", 0x80}, {"ADD", 0x80},
                  {"SUBB", 0xA0}, {"SUBC", 0xA0}, {"SUB", 0xA0}, {"COMP", 0xE0}};

// OP dest,source of old CALM.
void old_arithmetic(u8 base) {
    asm_skip_blanks(true);
    if (base == 0x60) { // OR U,#m and OR L,#m set status bits
        const u32 before = asm_cursor;
        const bool upper = asm_match("U", true), lower = !upper && asm_match("L", true);
        if ((upper || lower) && comma() && asm_match("#", false)) {
            asm_emit(static_cast<u8>(0x76 + lower));
            asm_emit_immediate(false);
            return;
        }
        asm_cursor = before;
    }
    int d = calm_register(2, true);
    if (d > 3) {
        asm_error("register expected");
        d = 0;
    }
    if (!comma()) asm_error("comma expected");
    asm_skip_blanks(false);
    if (asm_match("#", false)) {
        asm_emit(static_cast<u8>(base + 4 + d));
        asm_emit_immediate(false);
        return;
    }
    if (old_relative(static_cast<u8>(base + 8 + d))) return;
    if (d == 0) {
        const int s =
            register_then(base == 0x40 ? +[] { return calm_register(0, true); } : old_reg, nullptr);
        if (s <= 3) {
            asm_emit(static_cast<u8>(base + s));
            return;
        }
    }
    calm_absolute(static_cast<u8>(base + 0xC + d));
}

// LOAD dest,source with every form of old CALM.
void old_load() {
    asm_skip_blanks(true);
    static const struct {
        const char* text;
        u8 opcode;
    } status[] = {{"U,A", 0x92}, {"L,A", 0x93}, {"A,U", 0x12}, {"A,L", 0x13}};
    for (const auto& s : status) {
        const u32 before = asm_cursor;
        if (asm_match(s.text, false) && (asm_at_end())) {
            asm_emit(s.opcode);
            return;
        }
        asm_cursor = before;
    }
    if (asm_match("L,", false)) {
        if (cpu_type != CPU_2650B) asm_error("2650B only");
        asm_emit(0x10);
        asm_branch_address();
        return;
    }
    const int split = last_comma();
    if (split < 0) {
        asm_error("comma expected");
        return;
    }
    const u32 first = asm_cursor;
    const int dest = register_then(old_reg, ",");
    if (dest <= 3) { // LOAD reg,source
        asm_cursor++;
        asm_skip_blanks(false);
        if (asm_match("#", false)) {
            asm_emit(static_cast<u8>(0x04 + dest));
            asm_emit_immediate(false);
            return;
        }
        if (old_relative(static_cast<u8>(0x08 + dest))) return;
        if (port_operand(0x30, 0x70, 0x54, dest)) return;
        const int s = register_then(old_reg, nullptr);
        if (s <= 3) {
            if (dest == 0) {
                if (s == 0) asm_warning("indeterminate opcode");
                asm_emit(static_cast<u8>(s));
            } else if (s == 0) {
                asm_emit(static_cast<u8>(0xC0 + dest));
            } else {
                asm_error("one register must be A");
            }
            return;
        }
        calm_absolute(static_cast<u8>(0x0C + dest));
        return;
    }
    // LOAD destination,reg: the register decides the opcode.
    asm_cursor = static_cast<u32>(split + 1);
    asm_skip_blanks(false);
    if (asm_match("L", true) && asm_at_end()) {
        asm_cursor = first;
        if (cpu_type != CPU_2650B) asm_error("2650B only");
        asm_emit(0x11);
        within(split, [] { asm_branch_address(); });
    } else {
        asm_cursor = static_cast<u32>(split + 1);
        const int s = register_then(old_reg, nullptr);
        asm_cursor = first;
        if (s > 3) {
            asm_error("register expected");
            return;
        }
        within(split, [s] {
            if (port_operand(0xB0, 0xF0, 0xD4, s)) return;
            if (old_relative(static_cast<u8>(0xC8 + s))) return;
            const bool indexed = at() == '(';
            if (indexed && s != 0) asm_error("bad operand");
            calm_absolute(static_cast<u8>(0xCC + s));
        });
    }
    asm_cursor = static_cast<u32>(split + 1);
    while (at())
        asm_cursor++;
}

// JUMP and CALL, conditional or not (`base` 0 for JUMP, $20 for CALL).
void old_jump(u8 base) {
    if (comma()) {
        static const struct {
            const char* name;
            u8 opcode;
        } conditions[] = {{"EQ", 0x18},   {"AO", 0x18},  {"GT", 0x19},   {"LT", 0x1A},
                          {"NO", 0x1A},   {"NE", 0x98},  {"LE", 0x99},   {"GE", 0x9A},
                          {"ANE", 0x58},  {"BNE", 0x59}, {"B'NE", 0x59}, {"CNE", 0x5A},
                          {"C'NE", 0x5A}, {"DNE", 0x5B}, {"D'NE", 0x5B}};
        for (const auto& c : conditions)
            if (asm_match(c.name, true)) {
                calm_branch(static_cast<u8>(c.opcode + base));
                return;
            }
        asm_error("condition code expected");
        return;
    }
    asm_skip_blanks(true);
    if (asm_match("(D)+", false)) {
        asm_emit(static_cast<u8>(0x9F + base));
        asm_branch_address();
    } else if (asm_match("@0+", false)) {
        asm_emit(static_cast<u8>(0x9B + base));
        asm_zero_page(true);
    } else if (asm_match("0+", false)) {
        asm_emit(static_cast<u8>(0x9B + base));
        asm_zero_page(false);
    } else if (!old_relative(static_cast<u8>(0x1B + base))) {
        asm_emit(static_cast<u8>(0x1F + base));
        asm_branch_address();
    }
}

// INCJ,NE and DECJ,NE reg,target.
void old_count_jump(u8 relative) {
    if (!comma() || !asm_match("NE", true)) {
        asm_error("condition code expected");
        return;
    }
    asm_skip_blanks(true);
    int r = calm_register(2, true);
    if (r > 3) {
        asm_error("register expected");
        r = 0;
    }
    if (!comma()) asm_error("comma expected");
    asm_skip_blanks(false);
    if (old_relative(static_cast<u8>(relative + r))) return;
    asm_emit(static_cast<u8>(relative + 4 + r));
    asm_branch_address();
}

// Status flags: CLR, SET and TEST with their operands.
void old_status(const char* word) {
    asm_skip_blanks(true);
    if (word[0] == 'C') { // CLR
        if (asm_match("STACK", true)) return emit2(0x74, 0x07);
        if (register_then(old_reg, nullptr) == 0) return asm_emit(0x20);
        if (!flag_instruction(0x74, 0x75)) {
            asm_error("bad operand");
            emit2(0x75, 0x00);
        }
        return;
    }
    if (word[0] == 'S') { // SET
        if (!flag_instruction(0x76, 0x77)) {
            asm_error("bad operand");
            emit2(0x76, 0x00);
        }
        return;
    }
    if (flag_instruction(0xB4, 0xB5)) return; // TEST
    const u32 before = asm_cursor;
    const bool upper = asm_match("U", true), lower = !upper && asm_match("L", true);
    if (upper || lower) {
        if (!asm_match(",#", false)) asm_error(",# expected");
        asm_emit(upper ? 0xB4 : 0xB5);
        asm_emit_immediate(false);
        return;
    }
    asm_cursor = before;
    int r = calm_register(2, true);
    if (r > 3) {
        asm_error("register expected");
        r = 0;
    }
    if (!asm_match(",#", false)) asm_error(",# expected");
    asm_emit(static_cast<u8>(0xF4 + r));
    asm_emit_immediate(false);
}

int old_instruction() {
    for (const auto& a : arithmetic)
        if (asm_match(a.name, true)) {
            old_arithmetic(a.base);
            return 1;
        }
    if (asm_match("BIC", true)) {
        asm_skip_blanks(true);
        const bool upper = asm_match("U", true), lower = !upper && asm_match("L", true);
        if (!(upper || lower) || !comma() || !asm_match("#", false)) {
            asm_error("bad operand");
            return 1;
        }
        asm_emit(upper ? 0x74 : 0x75);
        asm_emit_immediate(false);
        return 1;
    }
    if (asm_match("LOAD", true)) return old_load(), 1;
    if (asm_match("JUMP", true)) return old_jump(0x00), 1;
    if (asm_match("CALL", true)) return old_jump(0x20), 1;
    if (asm_match("INCJ", true)) return old_count_jump(0xD8), 1;
    if (asm_match("DECJ", true)) return old_count_jump(0xF8), 1;
    if (asm_match("RETION", true)) return return_instruction(0x37, 0x34), 1;
    if (asm_match("RET", true)) return return_instruction(0x17, 0x14), 1;
    for (const char* w : {"CLR", "SET", "TEST"})
        if (asm_match(w, true)) return old_status(w), 1;
    return shared_instruction(old_reg);
}

// ---- New CALM -------------------------------------------------------------------

int new_reg() {
    const u32 before = asm_cursor;
    const int r = asm_register(2, true); // 4 without a message in this notation
    if (r > 3) asm_cursor = before;
    return r;
}

struct Absolute {
    int index = -1; // index register, -1 none
    int mode = 0;   // 1 increment, 2 decrement, 3 plain
    bool indirect = false;
    i32 address = 0;
    u32 where = 0; // the address's column
};

// The operand after "U^": "{-r}+", "{+r}+" or "{r}+" index parts, then the
// address, in braces for indirection.
Absolute new_absolute() {
    Absolute a;
    const u32 before = asm_cursor;
    if (asm_match("{-", false))
        a.mode = 2;
    else if (asm_match("{+", false))
        a.mode = 1;
    else if (asm_match("{", false)) {
        const u32 inner = asm_cursor;
        if (new_reg() <= 3 && asm_match("}+", false)) a.mode = 3;
        asm_cursor = inner;
        if (!a.mode) asm_cursor = before;
    }
    if (a.mode) {
        a.index = new_reg();
        if (a.index > 3) {
            asm_error("register expected");
            a.index = 0;
        }
        if (!asm_match("}+", false)) asm_error("}+ expected");
    }
    a.indirect = asm_match("{", false);
    a.where = asm_cursor;
    a.address = asm_eval_here();
    if (a.indirect && !asm_match("}", false)) asm_error("} expected");
    return a;
}

void emit_absolute(u8 opcode, const Absolute& a) {
    asm_emit(opcode);
    asm_emit_address(a.address, a.indirect, a.mode, a.where);
}

// Parses the destination after the last comma: `parse_dest` reads it; then
// the source is read by `source` with the line cut at the comma.
template <class D, class S> void source_then_destination(D parse_dest, S source) {
    const int split = last_comma();
    if (split < 0) {
        asm_error("comma expected");
        return;
    }
    const u32 first = asm_cursor;
    asm_cursor = static_cast<u32>(split + 1);
    asm_skip_blanks(false);
    parse_dest();
    const u32 end = asm_cursor;
    asm_cursor = first;
    within(split, source);
    asm_cursor = end;
}

// OP source,destination of new CALM, with `base` the family's register form.
void new_arithmetic(u8 base) {
    asm_skip_blanks(true);
    int dest = 4;
    bool psu = false, psl = false;
    source_then_destination(
        [&] {
            if (base == 0x60 && asm_match("PSU", true))
                psu = true;
            else if (base == 0x60 && asm_match("PSL", true))
                psl = true;
            else
                dest = new_reg();
        },
        [&] {
            if (psu || psl) { // OR #m,PSU and OR #m,PSL
                if (!asm_match("#", false)) asm_error("# expected");
                asm_emit(psu ? 0x76 : 0x77);
                asm_emit_immediate(false);
                return;
            }
            int d = dest;
            if (d > 3) {
                asm_error("register expected");
                d = 0;
            }
            if (asm_match("#", false)) {
                asm_emit(static_cast<u8>(base + 4 + d));
                asm_emit_immediate(false);
            } else if (asm_match("R^", false)) {
                asm_emit(static_cast<u8>(base + 8 + d));
                asm_emit_relative(false);
            } else if (asm_match("U^", false)) {
                const Absolute a = new_absolute();
                if (a.index >= 0) {
                    if (d != 0) asm_error(",r0 expected");
                    d = a.index;
                }
                emit_absolute(static_cast<u8>(base + 0xC + d), a);
            } else {
                int s = new_reg();
                if (s > 3) {
                    asm_error("register expected");
                    s = 0;
                }
                if (d != 0) asm_error("r0 expected");
                if (base == 0x40 && s == 0) {
                    asm_error("r1 or r2 or r3 expected");
                    return;
                }
                asm_emit(static_cast<u8>(base + s));
            }
        });
}

// MOVE source,destination.
void new_move() {
    asm_skip_blanks(true);
    static const struct {
        const char* text;
        u8 opcode;
    } status[] = {{"r0,PSU", 0x92}, {"r0,PSL", 0x93}, {"PSU,r0", 0x12}, {"PSL,r0", 0x13}};
    for (const auto& s : status) {
        const u32 before = asm_cursor;
        if (asm_match(s.text, true) && asm_at_end()) {
            asm_emit(s.opcode);
            return;
        }
        asm_cursor = before;
    }
    if (asm_match("PSL,", false)) { // a store of PSL
        if (cpu_type != CPU_2650B) asm_error("2650B only");
        asm_emit(0x11);
        asm_match("U^", false);
        asm_branch_address();
        return;
    }
    int dest = 4;
    bool into_psl = false;
    source_then_destination(
        [&] {
            if (asm_match("PSL", true))
                into_psl = true;
            else
                dest = new_reg();
        },
        [&] {
            if (into_psl) { // a load of PSL from an address
                if (cpu_type != CPU_2650B) asm_error("2650B only");
                asm_emit(0x10);
                asm_match("U^", false);
                asm_branch_address();
                return;
            }
            if (dest <= 3) {
                if (port_operand(0x30, 0x70, 0x54, dest)) return;
                if (asm_match("#", false)) {
                    asm_emit(static_cast<u8>(0x04 + dest));
                    asm_emit_immediate(false);
                    return;
                }
                if (asm_match("R^", false)) {
                    asm_emit(static_cast<u8>(0x08 + dest));
                    asm_emit_relative(false);
                    return;
                }
                if (asm_match("U^", false)) {
                    const Absolute a = new_absolute();
                    int r = dest;
                    if (a.index >= 0) {
                        if (dest != 0) asm_error(",r0 expected");
                        r = a.index;
                    }
                    emit_absolute(static_cast<u8>(0x0C + r), a);
                    return;
                }
                const int s = new_reg();
                if (s <= 3) {
                    if (dest == 0) {
                        if (s == 0) asm_warning("indeterminate opcode");
                        asm_emit(static_cast<u8>(s));
                    } else if (s == 0) {
                        asm_emit(static_cast<u8>(0xC0 + dest));
                    } else {
                        asm_error("one register must be r0");
                    }
                    return;
                }
                asm_error("unexpected input");
                return;
            }
            asm_error("unexpected input"); // no register, PSU or PSL to move into
        });
}

// MOVE reg,destination where the destination is memory or a port; true when
// the line was one.
bool new_store() {
    const u32 before = asm_cursor;
    asm_skip_blanks(true);
    const int s = register_then(new_reg, ",");
    if (s > 3) {
        asm_cursor = before;
        return false;
    }
    asm_cursor++;
    asm_skip_blanks(false);
    if (port_operand(0xB0, 0xF0, 0xD4, s)) return true;
    if (asm_match("R^", false)) {
        asm_emit(static_cast<u8>(0xC8 + s));
        asm_emit_relative(false);
        return true;
    }
    if (asm_match("U^", false)) {
        const Absolute a = new_absolute();
        int r = s;
        if (a.index >= 0) {
            if (s != 0) asm_error("bad operand");
            r = a.index;
        }
        emit_absolute(static_cast<u8>(0xCC + r), a);
        return true;
    }
    asm_cursor = before;
    return false;
}

// A branch target after R^ or U^ (`relative` the R^ opcode, +4 for U^).
void new_branch(u8 relative, const char* missing) {
    asm_skip_blanks(false);
    if (asm_match("R^", false)) {
        asm_emit(relative);
        asm_emit_relative(false);
    } else if (asm_match("U^", false)) {
        asm_emit(static_cast<u8>(relative + 4));
        asm_branch_address();
    } else {
        asm_error(missing);
    }
}

void new_jump(u8 base) {
    if (comma()) {
        static const struct {
            const char* name;
            u8 opcode;
        } conditions[] = {{"EQ", 0x18}, {"GT", 0x19}, {"LT", 0x1A},
                          {"NE", 0x98}, {"LE", 0x99}, {"GE", 0x9A}};
        for (const auto& c : conditions)
            if (asm_match(c.name, true)) {
                asm_skip_blanks(true);
                if (c.opcode == 0x98) {
                    const int r = register_then(new_reg, ",");
                    if (r <= 3) {
                        asm_cursor++;
                        new_branch(static_cast<u8>(0x58 + base + r), "R^ or U^ expected");
                        return;
                    }
                    new_branch(static_cast<u8>(c.opcode + base), "R^ or U^ or register expected");
                    return;
                }
                new_branch(static_cast<u8>(c.opcode + base), "R^ or U^ expected");
                return;
            }
        asm_error("condition code expected");
        return;
    }
    asm_skip_blanks(true);
    if (asm_match("U^{r3}+", false) || asm_match("U^{r6}+", false)) {
        asm_emit(static_cast<u8>(0x9F + base));
        asm_branch_address();
    } else if (asm_match("0+", false)) {
        asm_emit(static_cast<u8>(0x9B + base));
        asm_zero_page(false);
    } else if (asm_match("R^", false)) {
        asm_emit(static_cast<u8>(0x1B + base));
        asm_emit_relative(false);
    } else if (asm_match("U^", false)) {
        asm_emit(static_cast<u8>(0x1F + base));
        asm_branch_address();
    } else {
        asm_error("0+ or R^ or U^ expected");
    }
}

void new_count_jump(u8 relative) {
    if (!comma() || !asm_match("NE", true)) {
        asm_error("condition code expected");
        return;
    }
    asm_skip_blanks(true);
    int r = new_reg();
    if (r > 3) {
        asm_error("register expected");
        r = 0;
    }
    if (!comma()) asm_error("comma expected");
    new_branch(static_cast<u8>(relative + r), "R^ or U^ expected");
}

void new_status(char word) {
    asm_skip_blanks(true);
    if (word == 'C') {
        // The stack pointer by its register name or, as the disassembler
        // writes it, by its flag word.
        if (asm_match("SP", true) || asm_match("STACK", true)) return emit2(0x74, 0x07);
        if (register_then(new_reg, nullptr) == 0) return asm_emit(0x20);
        if (!flag_instruction(0x74, 0x75)) {
            asm_error("bad operand");
            emit2(0x75, 0x00);
        }
        return;
    }
    if (word == 'S') {
        if (!flag_instruction(0x76, 0x77)) {
            asm_error("bad operand");
            emit2(0x76, 0x00);
        }
        return;
    }
    if (flag_instruction(0xB4, 0xB5)) return;
    u8 opcode;
    if (asm_match("PSU", false))
        opcode = 0xB4;
    else if (asm_match("PSL", false))
        opcode = 0xB5;
    else {
        // The register of "r1:#m" ends at the colon, which no register word allows.
        const u32 pos = std::strlen(asm_line + asm_cursor) > 2 ? asm_cursor + 2 : asm_cursor;
        const bool colon = asm_line[pos] == ':';
        if (colon) asm_line[pos] = 0;
        const int r = new_reg();
        if (colon) asm_line[pos] = ':';
        if (r > 3) {
            asm_error("PSU:# or PSL:# or register expected");
            return;
        }
        opcode = static_cast<u8>(0xF4 + r);
    }
    if (!asm_match(":#", false) && !asm_match(",#", false)) asm_error(":# expected");
    asm_emit(opcode);
    asm_emit_immediate(false);
}

int new_instruction() {
    for (const auto& a : arithmetic)
        if (asm_match(a.name, true)) {
            new_arithmetic(a.base);
            return 1;
        }
    if (asm_match("BIC", true)) {
        asm_skip_blanks(true);
        u8 opcode = 0x00;
        source_then_destination(
            [&] {
                if (asm_match("PSU", true))
                    opcode = 0x74;
                else if (asm_match("PSL", true))
                    opcode = 0x75;
                else
                    asm_error("PSU or PSL expected");
            },
            [&] {
                if (!asm_match("#", false)) {
                    asm_error("# expected");
                    return;
                }
                asm_emit(opcode);
                asm_emit_immediate(false);
            });
        return 1;
    }
    if (asm_match("MOVE", true)) {
        if (!new_store()) new_move();
        return 1;
    }
    if (asm_match("JUMP", true)) return new_jump(0x00), 1;
    if (asm_match("CALL", true)) return new_jump(0x20), 1;
    if (asm_match("IJ", true)) return new_count_jump(0xD8), 1;
    if (asm_match("DJ", true)) return new_count_jump(0xF8), 1;
    if (asm_match("RETI", true)) return return_instruction(0x37, 0x34), 1;
    if (asm_match("RET", true)) return return_instruction(0x17, 0x14), 1;
    if (asm_match("CLR", true)) return new_status('C'), 1;
    if (asm_match("SET", true)) return new_status('S'), 1;
    if (asm_match("TEST", true)) return new_status('T'), 1;
    if (asm_match("HALT", true)) return asm_emit(0x40), 1;
    return shared_instruction(new_reg);
}

// The line loop both CALM front ends share.
bool calm_line(int (*instruction)()) {
    asm_label[0] = 0;
    static const char* const equates[] = {".EQU", nullptr};
    for (;;) {
        asm_skip_blanks(false);
        const int d = asm_calm_directive();
        if (d < 0) return false;
        if (d > 0) {
            if (!asm_at_end()) asm_error("unexpected input");
            return true;
        }
        if (instruction() >= 0) {
            if (!asm_at_end()) asm_error("unexpected input");
            return true;
        }
        if (asm_read_label(":")) return false;
        if (asm_label_definition(equates)) return true;
    }
}

} // namespace

bool asm_line_old_calm() {
    return calm_line(old_instruction);
}

bool asm_line_new_calm() {
    return calm_line(new_instruction);
}
