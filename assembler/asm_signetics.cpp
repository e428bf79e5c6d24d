// The Signetics front end (non-extended and extended notation): ignored
// directives, directives, the instruction table, the extended branch
// mnemonics, and labels with their equates.
#include "assembler/asm.h"

#include "cpu/optables.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

enum Form : u8 {
    F_REG,      // register after "," or blanks; `rule` is the r0 rule
    F_IMM,      // register, then an immediate byte
    F_REL,      // register, then a relative address
    F_ABS,      // asm_absolute
    F_REG_BRA,  // register, then an absolute branch address
    F_COND_REL, // condition (or alone: un), then a relative address
    F_COND_ABS, // condition (or alone: un), then an absolute branch address
    F_NCOND_REL,
    F_NCOND_ABS,
    F_RET,   // condition (or alone: un)
    F_NONE,  // no operand
    F_BYTE,  // an immediate byte
    F_ZERO,  // zero-page address
    F_PAGE,  // LDPL/STPL
    F_INDEX, // BXA, BSXA
};

struct Op {
    const char* name;
    u8 base;
    Form form;
    u8 rule; // r0 rule of F_REG
};

const Op ops[] = {
    {"LODZ", 0x00, F_REG, 1},       {"EORZ", 0x20, F_REG, 2},       {"XORZ", 0x20, F_REG, 2},
    {"IORZ", 0x60, F_REG, 2},       {"ADDZ", 0x80, F_REG, 2},       {"SUBZ", 0xA0, F_REG, 2},
    {"COMZ", 0xE0, F_REG, 2},       {"ANDZ", 0x40, F_REG, 0},       {"STRZ", 0xC0, F_REG, 0},
    {"LODI", 0x04, F_IMM, 2},       {"EORI", 0x24, F_IMM, 2},       {"XORI", 0x24, F_IMM, 2},
    {"ANDI", 0x44, F_IMM, 2},       {"IORI", 0x64, F_IMM, 2},       {"ADDI", 0x84, F_IMM, 2},
    {"SUBI", 0xA4, F_IMM, 2},       {"COMI", 0xE4, F_IMM, 2},       {"REDE", 0x54, F_IMM, 2},
    {"RDE", 0x54, F_IMM, 2},        {"WRTE", 0xD4, F_IMM, 2},       {"WRE", 0xD4, F_IMM, 2},
    {"TMI", 0xF4, F_IMM, 2},        {"LODR", 0x08, F_REL, 2},       {"EORR", 0x28, F_REL, 2},
    {"XORR", 0x28, F_REL, 2},       {"ANDR", 0x48, F_REL, 2},       {"IORR", 0x68, F_REL, 2},
    {"ADDR", 0x88, F_REL, 2},       {"SUBR", 0xA8, F_REL, 2},       {"STRR", 0xC8, F_REL, 2},
    {"COMR", 0xE8, F_REL, 2},       {"LODA", 0x0C, F_ABS, 2},       {"EORA", 0x2C, F_ABS, 2},
    {"XORA", 0x2C, F_ABS, 2},       {"ANDA", 0x4C, F_ABS, 2},       {"IORA", 0x6C, F_ABS, 2},
    {"ADDA", 0x8C, F_ABS, 2},       {"SUBA", 0xAC, F_ABS, 2},       {"STRA", 0xCC, F_ABS, 2},
    {"COMA", 0xEC, F_ABS, 2},       {"LDPL", 0x10, F_PAGE, 2},      {"STPL", 0x11, F_PAGE, 2},
    {"SPSU", 0x12, F_NONE, 2},      {"SPU", 0x12, F_NONE, 2},       {"SPSL", 0x13, F_NONE, 2},
    {"SPL", 0x13, F_NONE, 2},       {"LPSU", 0x92, F_NONE, 2},      {"LPU", 0x92, F_NONE, 2},
    {"LPSL", 0x93, F_NONE, 2},      {"LPL", 0x93, F_NONE, 2},       {"CPSU", 0x74, F_BYTE, 2},
    {"CPU", 0x74, F_BYTE, 2},       {"CPSL", 0x75, F_BYTE, 2},      {"CPL", 0x75, F_BYTE, 2},
    {"PPSU", 0x76, F_BYTE, 2},      {"PPU", 0x76, F_BYTE, 2},       {"PPSL", 0x77, F_BYTE, 2},
    {"PPL", 0x77, F_BYTE, 2},       {"TPSU", 0xB4, F_BYTE, 2},      {"TPU", 0xB4, F_BYTE, 2},
    {"TPSL", 0xB5, F_BYTE, 2},      {"TPL", 0xB5, F_BYTE, 2},       {"RETC", 0x14, F_RET, 2},
    {"RTC", 0x14, F_RET, 2},        {"RETE", 0x34, F_RET, 2},       {"RTE", 0x34, F_RET, 2},
    {"BCTR", 0x18, F_COND_REL, 2},  {"BSTR", 0x38, F_COND_REL, 2},  {"BCTA", 0x1C, F_COND_ABS, 2},
    {"BSTA", 0x3C, F_COND_ABS, 2},  {"BCFR", 0x98, F_NCOND_REL, 2}, {"BSFR", 0xB8, F_NCOND_REL, 2},
    {"BCFA", 0x9C, F_NCOND_ABS, 2}, {"BSFA", 0xBC, F_NCOND_ABS, 2}, {"BRNR", 0x58, F_REL, 2},
    {"BSNR", 0x78, F_REL, 2},       {"BIRR", 0xD8, F_REL, 2},       {"BDRR", 0xF8, F_REL, 2},
    {"BRNA", 0x5C, F_REG_BRA, 2},   {"BSNA", 0x7C, F_REG_BRA, 2},   {"BIRA", 0xDC, F_REG_BRA, 2},
    {"BDRA", 0xFC, F_REG_BRA, 2},   {"ZBRR", 0x9B, F_ZERO, 2},      {"ZBSR", 0xBB, F_ZERO, 2},
    {"BXA", 0x9C, F_INDEX, 2},      {"BSXA", 0xBC, F_INDEX, 2},     {"REDC", 0x30, F_REG, 2},
    {"RDC", 0x30, F_REG, 2},        {"REDD", 0x70, F_REG, 2},       {"RDD", 0x70, F_REG, 2},
    {"WRTC", 0xB0, F_REG, 2},       {"WRC", 0xB0, F_REG, 2},        {"WRTD", 0xF0, F_REG, 2},
    {"WRD", 0xF0, F_REG, 2},        {"RRR", 0x50, F_REG, 2},        {"RRL", 0xD0, F_REG, 2},
    {"DAR", 0x94, F_REG, 2},        {"DA", 0x94, F_REG, 2},         {"HALT", 0x40, F_NONE, 2},
    {"HLT", 0x40, F_NONE, 2},       {"NOP", 0xC0, F_NONE, 2},
};

struct Extended {
    const char* name;
    u8 opcode;
    bool absolute;
};
const Extended extended[] = {
    {"RET", 0x17, false},  {"BER", 0x18, false},  {"BZR", 0x18, false},  {"BOR", 0x18, false},
    {"BHR", 0x19, false},  {"BPR", 0x19, false},  {"BLR", 0x1A, false},  {"BMR", 0x1A, false},
    {"BR", 0x1B, false},   {"BSR", 0x3B, false},  {"BNER", 0x98, false}, {"BNZR", 0x98, false},
    {"BNHR", 0x99, false}, {"BNPR", 0x99, false}, {"BNLR", 0x9A, false}, {"BNMR", 0x9A, false},
    {"BEA", 0x1C, true},   {"BZA", 0x1C, true},   {"BOA", 0x1C, true},   {"BHA", 0x1D, true},
    {"BPA", 0x1D, true},   {"BLA", 0x1E, true},   {"BMA", 0x1E, true},   {"BA", 0x1F, true},
    {"BSA", 0x3F, true},   {"BNEA", 0x9C, true},  {"BNZA", 0x9C, true},  {"BNHA", 0x9D, true},
    {"BNPA", 0x9D, true},  {"BNLA", 0x9E, true},  {"BNMA", 0x9E, true},
};

const char* const ignored[] = {"CEJE", "CSECT", "ENTRY", "EJE",   "LIBR",  "NAME", "PAGE",
                               "PAG",  "PCH",   "PLEN",  "PRT",   "REPRO", "SPAC", "SPA",
                               "SPC",  "TITL",  ".LIST", ".PAGE", ".TITLE"};

bool comma() {
    if (asm_line[asm_cursor] != ',') return false;
    asm_cursor++;
    return true;
}

// Condition after the comma; 4 after an error.
int condition_or_un(bool allow_un, bool* alone) {
    *alone = !comma();
    return *alone ? 3 : asm_condition(allow_un);
}

void instruction(const Op& op) {
    bool alone;
    switch (op.form) {
    case F_REG: {
        comma();
        const int r = asm_register(op.rule, true);
        if (r <= 3) asm_emit(static_cast<u8>(op.base + r));
        return;
    }
    case F_IMM:
    case F_REL:
    case F_REG_BRA: {
        comma();
        int r = asm_register(2, true);
        if (r > 3) r = 0;
        asm_emit(static_cast<u8>(op.base + r));
        if (op.form == F_IMM)
            asm_emit_immediate(true);
        else if (op.form == F_REL)
            asm_emit_relative(false);
        else
            asm_branch_address();
        return;
    }
    case F_ABS: {
        int r = 0;
        if (comma()) {
            r = asm_register(2, true);
            if (r > 3) r = 0;
        }
        asm_absolute(op.base, r);
        return;
    }
    case F_COND_REL:
    case F_COND_ABS:
    case F_NCOND_REL:
    case F_NCOND_ABS: {
        const bool allow_un = op.form == F_COND_REL || op.form == F_COND_ABS;
        int cc = condition_or_un(allow_un, &alone);
        if (alone && !allow_un) asm_error("condition code expected");
        if (cc > 3) cc = 0;
        asm_emit(static_cast<u8>(op.base + cc));
        if (op.form == F_COND_REL || op.form == F_NCOND_REL)
            asm_emit_relative(false);
        else
            asm_branch_address();
        return;
    }
    case F_RET: {
        int cc = condition_or_un(true, &alone);
        if (cc > 3) cc = 0;
        asm_emit(static_cast<u8>(op.base + cc));
        return;
    }
    case F_NONE:
        asm_emit(op.base);
        return;
    case F_BYTE:
        asm_emit(op.base);
        asm_emit_immediate(true);
        return;
    case F_ZERO:
        asm_emit(op.base);
        asm_skip_blanks(true);
        asm_zero_page(false);
        return;
    case F_PAGE:
        if (cpu_type != CPU_2650B) asm_error("2650B only");
        asm_emit(op.base);
        asm_branch_address();
        return;
    case F_INDEX:
        if (comma()) {
            const int r = asm_register(0, false);
            if (r <= 3 && r != 3) asm_error("register 3 expected");
            asm_emit(static_cast<u8>(op.base + 3));
            asm_branch_address();
        } else {
            asm_indexed_branch(static_cast<u8>(op.base + 3));
        }
        return;
    }
}

// The instruction whose mnemonic stands at `pos` (followed by the end of the
// line, a blank or a comma), or none.
const Op* mnemonic_at(u32 pos) {
    for (const Op& op : ops) {
        const size_t n = std::strlen(op.name);
        if (strncasecmp(asm_line + pos, op.name, n) != 0) continue;
        const char next = asm_line[pos + n];
        if (!next || next == ' ' || next == '\t' || next == ',') return &op;
    }
    return nullptr;
}

// Whether the directive `word` takes a list of operands after commas.
bool takes_list(const char* word, size_t length) {
    for (const char* w : {"DATA", "DB", ".BYTE", "BYTE", "FCB", "ACON", "DW", ".DBYTE", "WORD",
                          "FDB", ".ADDR", "ORGF"})
        if (std::strlen(w) == length && strncasecmp(w, word, length) == 0) return true;
    return false;
}

// Whether a register or condition name (r0 to r6, eq, gt, lt, un) stands at
// `pos`, as the operand after a mnemonic's comma.
bool register_or_condition_at(u32 pos) {
    for (const char* name : {"R0", "R1", "R2", "R3", "R4", "R5", "R6", "EQ", "GT", "LT", "UN"}) {
        const char next = asm_line[pos + 2];
        if (strncasecmp(asm_line + pos, name, 2) == 0 &&
            (!next || next == ' ' || next == '\t' || next == ',' || next == '+' || next == '-'))
            return true;
    }
    return false;
}

// Whether the operand text from `pos` on can be the operands of the directive
// `word`: a mnemonic there is then its value (DB HALT is the byte $40). Text
// after a blank that follows no comma, a register or condition after a comma,
// or a comma where the directive takes one operand, are an instruction's
// operands instead.
bool directive_takes(const char* word, size_t length, u32 pos) {
    const bool list = takes_list(word, length);
    char quote = 0;
    bool after_comma = false;
    for (; asm_line[pos]; pos++) {
        const char c = asm_line[pos];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == ',') {
            if (!list || register_or_condition_at(pos + 1)) return false;
            after_comma = true;
            continue;
        } else if (c == ' ' || c == '\t') {
            if (!after_comma) return false;
            continue;
        } else if (c == '\'' || c == '"') {
            quote = c;
        }
        after_comma = false;
    }
    return true;
}

// A directive's name in column 1 followed by an instruction with operands the
// directive cannot take was meant as a label; the directive would report a
// puzzling expression error. Says what is wrong instead; the line then goes
// on as the label and its instruction, so that no error follows from it.
bool directive_as_label() {
    if (asm_cursor != 0) return false;
    u32 end = 0;
    while (asm_line[end] && asm_line[end] != ' ' && asm_line[end] != '\t')
        end++;
    u32 next = end;
    while (asm_line[next] == ' ' || asm_line[next] == '\t')
        next++;
    if (next == end || !mnemonic_at(next) || !asm_signetics_directive_word(asm_line, end) ||
        directive_takes(asm_line, end, next))
        return false;
    char text[96];
    std::snprintf(text, sizeof text,
                  "%.*s is a directive, not a label (write %.*s: to make it a label)",
                  static_cast<int>(end), asm_line, static_cast<int>(end), asm_line);
    asm_error(text);
    return true;
}

} // namespace

bool asm_line_signetics() {
    asm_label[0] = 0;
    static const char* const equates[] = {"EQU", "SET", ".EQU", ".SET", nullptr};
    for (;;) {
        asm_skip_blanks(false);
        if (!asm_line[asm_cursor]) return true;
        for (const char* w : ignored)
            if (asm_match(w, true)) {
                char text[48];
                std::snprintf(text, sizeof text, "ignoring directive %s", w);
                asm_warning(text);
                return true;
            }
        const bool label_first = directive_as_label();
        const int d = label_first ? -1 : asm_signetics_directive();
        if (d >= 0) {
            if (d && !asm_at_end()) asm_error("unexpected input");
            return d != 0;
        }
        if (const Op* op = mnemonic_at(asm_cursor)) {
            asm_cursor += static_cast<u32>(std::strlen(op->name));
            instruction(*op);
            if (!asm_at_end()) asm_error("unexpected input");
            return true;
        }
        if (dis_notation == NOTATION_EXTENDED)
            for (const Extended& e : extended)
                if (asm_match(e.name, true)) {
                    asm_emit(e.opcode);
                    if (e.opcode != 0x17) {
                        if (e.absolute)
                            asm_branch_address();
                        else
                            asm_emit_relative(false);
                    }
                    if (!asm_at_end()) asm_error("unexpected input");
                    return true;
                }
        if (asm_read_label(":,>")) return false;
        if (asm_label_definition(equates)) return true;
    }
}
