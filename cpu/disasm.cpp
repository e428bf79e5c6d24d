// One 2650 instruction as text: the instruction in the chosen notation, its
// pseudo-code statement, the compact trace line and, for traces and listings,
// the comment columns with clock count, duration, length, address and bytes.
//
// The texts of each opcode family are chosen here per notation; they depend on
// the operand value, on the live status bytes (WC, C) and on what the previous
// instruction made the condition code mean (dis_cc_context).
#include "cpu/disasm.h"
#include "cpu/disasm_internal.h"

#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

char dis_line[DIS_LINE_SIZE];
char dis_pseudo_line[DIS_LINE_SIZE];
char dis_flag_comments[DIS_FLAG_COMMENTS_SIZE];
char dis_trace_line[DIS_LINE_SIZE];
char dis_reg_name[4];
u32 dis_cc_context = DIS_CTX_UNKNOWN;
u32 dis_ea = DIS_EA_NONE;
u32 dis_mode = DIS_INTERACTIVE;
u32 dis_cycles;
u8 dis_taken_extra;

static u32 nt; // notation of the current call, 0..4

static void line(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(dis_line, DIS_LINE_SIZE, format, args);
    va_end(args);
}

static void pseudo(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void pseudo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(dis_pseudo_line, DIS_LINE_SIZE, format, args);
    va_end(args);
}

static const char* reg_spelling(u8 index) {
    static const char* const names[3][7] = {
        {"r0", "r1", "r2", "r3", "r4", "r5", "r6"},
        {"A", "B", "C", "D", "B'", "C'", "D'"},
        {".0", ".1", ".2", ".3", ".4", ".5", ".6"},
    };
    int row = nt == NOTATION_OLD_CALM ? 1 : nt == NOTATION_IEEE ? 2 : 0;
    return names[row][index % 7];
}

// Condition texts by the condition field cc (0 eq, 1 gt, 2 lt, 3 always).
static const char* cond_suffix(u8 cc) {
    static const char* const signetics[4] = {"eq", "gt", "lt", "un"};
    static const char* const calm[4] = {",EQ", ",GT", ",LT", "   "};
    static const char* const ieee[4] = {"EQ", "GT", "LT", "  "};
    return nt <= 1 ? signetics[cc] : nt <= 3 ? calm[cc] : ieee[cc];
}

static const char* taken_prefix(u8 cc) {
    static const char* const plain[4] = {"if CC == EQ then ", "if CC == GT then ",
                                         "if CC == LT then ", ""};
    static const char* const ieee[4] = {"if .CC == EQ then ", "if .CC == GT then ",
                                        "if .CC == LT then ", ""};
    return nt == NOTATION_IEEE ? ieee[cc] : plain[cc];
}

static const char* not_taken_prefix(u8 cc) {
    static const char* const plain[4] = {"if CC != EQ then ", "if CC != GT then ",
                                         "if CC != LT then ", "if 0 then "};
    static const char* const ieee[4] = {"if .CC != EQ then ", "if .CC != GT then ",
                                        "if .CC != LT then ", "if 0 then "};
    return nt == NOTATION_IEEE ? ieee[cc] : plain[cc];
}

// Mnemonic of a conditional branch on true (BCTR/BCTA, cc 0..2), operand follows.
static const char* branch_true_mnemonic(u8 opcode) {
    u8 cc = opcode & 3;
    bool absolute = opcode & 4;
    if (nt == NOTATION_SIGNETICS || (nt == NOTATION_EXTENDED && dis_cc_context == 0)) {
        static const char* const rel[3] = {"BCTR,eq ", "BCTR,gt ", "BCTR,lt "};
        static const char* const abs[3] = {"BCTA,eq ", "BCTA,gt ", "BCTA,lt "};
        return absolute ? abs[cc] : rel[cc];
    }
    if (nt == NOTATION_EXTENDED) {
        // [context - 1][cc]: after a comparison, a value, a test under mask
        static const char* const rel[3][3] = {{"BER     ", "BHR     ", "BLR     "},
                                              {"BZR     ", "BPR     ", "BMR     "},
                                              {"BOR     ", "BCTR,gt ", "BMR     "}};
        static const char* const abs[3][3] = {{"BEA     ", "BHA     ", "BLA     "},
                                              {"BZA     ", "BPA     ", "BMA     "},
                                              {"BOA     ", "BCTA,gt ", "BMA     "}};
        u32 ctx = dis_cc_context <= 3 ? dis_cc_context : 0;
        if (ctx == 0) return absolute ? "BCTA,eq " : "BCTR,eq ";
        return absolute ? abs[ctx - 1][cc] : rel[ctx - 1][cc];
    }
    if (nt == NOTATION_OLD_CALM && dis_cc_context == DIS_CTX_TEST) {
        if (cc == 0) return "JUMP,AO  ";
        if (cc == 2) return "JUMP,NO  ";
    }
    static const char* const calm[3] = {"JUMP,EQ  ", "JUMP,GT  ", "JUMP,LT  "};
    static const char* const ieee[3] = {"BEQ    ", "BGT    ", "BLT    "};
    return nt == NOTATION_IEEE ? ieee[cc] : calm[cc];
}

// Mnemonic of a conditional branch on false (BCFR/BCFA, cc 0..2), operand follows.
static const char* branch_false_mnemonic(u8 opcode) {
    u8 cc = opcode & 3;
    bool absolute = opcode & 4;
    static const char* const plain_rel[3] = {"BCFR,eq ", "BCFR,gt ", "BCFR,lt "};
    static const char* const plain_abs[3] = {"BCFA,eq ", "BCFA,gt ", "BCFA,lt "};
    if (nt <= 1) {
        if (nt == NOTATION_EXTENDED && dis_cc_context == DIS_CTX_COMPARE) {
            static const char* const rel[3] = {"BNER    ", "BNHR    ", "BNLR    "};
            static const char* const abs[3] = {"BNEA    ", "BNHA    ", "BNLA    "};
            return absolute ? abs[cc] : rel[cc];
        }
        if (nt == NOTATION_EXTENDED && dis_cc_context == DIS_CTX_VALUE) {
            static const char* const rel[3] = {"BNZR    ", "BNPR    ", "BNMR    "};
            static const char* const abs[3] = {"BNZA    ", "BNPA    ", "BNMA    "};
            return absolute ? abs[cc] : rel[cc];
        }
        return absolute ? plain_abs[cc] : plain_rel[cc];
    }
    static const char* const calm[3] = {"JUMP,NE  ", "JUMP,LE  ", "JUMP,GE  "};
    static const char* const ieee[3] = {"BNE    ", "BLE    ", "BGE    "};
    return nt == NOTATION_IEEE ? ieee[cc] : calm[cc];
}

// Pseudo-code annotation of an immediate byte (LODI, COMI).
static void immediate_annotation(u8 value, bool load) {
    char text[48];
    const CpuCharStyle style = cpu_char_style();
    if (style == CHARS_ASCII) {
        char name[8];
        if (value < 32)
            std::snprintf(name, sizeof name, "%s", ascii_control_names[value]);
        else if (value == 127)
            std::snprintf(name, sizeof name, "DEL");
        else if (value < 127)
            std::snprintf(name, sizeof name, "'%c'", value);
        else
            std::snprintf(name, sizeof name, "$%02X", value);
        std::snprintf(text, sizeof text, load ? " [%s];" : " [%s]", name);
    } else if (style == CHARS_NONE) {
        std::snprintf(text, sizeof text, "%s", load ? ";" : "");
    } else {
        char shown[3];
        std::snprintf(text, sizeof text, load ? " ['%s'];" : " ['%s']",
                      cpu_guest_char_text(value, shown));
    }
    size_t used = std::strlen(dis_pseudo_line);
    std::snprintf(dis_pseudo_line + used, DIS_LINE_SIZE - used, "%s", text);
}

static void data_byte(u8 opcode) {
    line(dis_pick(nt, "DB      $%02X", ".DATA    16'%02X", ".DATA    16'%02X", "DATA   H'%02X"),
         opcode);
    pseudo("?");
    dis_cc_context = DIS_CTX_UNKNOWN;
}

// LOD, EOR, AND, IOR, ADD, SUB, STR, COM by opcode bits 7-5.
static void register_family(u8 opcode, const char* r) {
    u8 family = opcode >> 5;
    u8 field = opcode & 3;
    bool wc = cpu_psl & PSL_WC;
    switch (family) {
    case 0: // LODZ
        line(dis_pick(nt, "LODZ    %s", "LOAD     A,%s", "MOVE     %s,r0", "MOV    .0,%s"), r);
        pseudo(dis_pick_pseudo(nt, "r0 = %s;", "A = %s;", ".0 = %s;"), r);
        break;
    case 1: // EORZ
        if (field == 0) {
            line("%s", dis_pick(nt, "EORZ    r0", "CLR      A", "CLR      r0", "CLR    .0"));
            pseudo("%s", dis_pick_pseudo(nt, "r0 = 0;", "A = 0;", ".0 = 0;"));
        } else {
            line(dis_pick(nt, "EORZ    %s", "XOR      A,%s", "XOR      %s,r0", "XOR    .0,%s"), r);
            pseudo(dis_pick_pseudo(nt, "r0 ^= %s;", "A ^= %s;", ".0 ^= %s;"), r);
        }
        break;
    case 2: // HALT, ANDZ
        if (field == 0) {
            line("%s", dis_pick(nt, "HALT", "WAIT", "WAIT", "HALT"));
            pseudo("for (;;);");
            return;
        }
        line(dis_pick(nt, "ANDZ    %s", "AND      A,%s", "AND      %s,r0", "AND    .0,%s"), r);
        pseudo(dis_pick_pseudo(nt, "r0 &= %s;", "A &= %s;", ".0 &= %s;"), r);
        break;
    case 3: // IORZ
        line(dis_pick(nt, "IORZ    %s", "OR       A,%s", "OR       %s,r0", "OR     .0,%s"), r);
        pseudo(dis_pick_pseudo(nt, "r0 |= %s;", "A |= %s;", ".0 |= %s;"), r);
        break;
    case 4: // ADDZ
        if (field == 0) {
            line("%s", dis_pick(nt, "ADDZ    r0", wc ? "ADDC     A,A" : "ADD      A,A",
                                wc ? "ADDC     r0,r0" : "ADD      r0,r0",
                                wc ? "ADC    .0,.0" : "ADD    .0,.0"));
            pseudo("%s", wc ? dis_pick_pseudo(nt, "r0 += r0;", "A += A;", ".0 += .0;")
                            : dis_pick_pseudo(nt, "r0 *= 2;", "A *= 2;", ".0 *= 2;"));
        } else {
            line(dis_pick(nt, "ADDZ    %s", wc ? "ADDC     A,%s" : "ADD      A,%s",
                          wc ? "ADDC     %s,r0" : "ADD      %s,r0",
                          wc ? "ADDC   .0,%s" : "ADD    .0,%s"),
                 r);
            pseudo(dis_pick_pseudo(nt, "r0 += %s;", "A += %s;", ".0 += %s;"), r);
        }
        break;
    case 5: // SUBZ
        if (field == 0) {
            line("%s", dis_pick(nt, "SUBZ    r0", wc ? "SUBB     A,A" : "SUB      A,A",
                                wc ? "SUBC     r0,r0" : "SUB      r0,r0",
                                wc ? "SUBC   .0,.0" : "SUB    .0,.0"));
            pseudo("%s", wc ? dis_pick_pseudo(nt, "r0 -= r0;", "A -= A;", ".0 -= .0;")
                            : dis_pick_pseudo(nt, "r0 = 0;", "A = 0;", ".0 = 0;"));
        } else {
            line(dis_pick(nt, "SUBZ    %s", wc ? "SUBB     A,%s" : "SUB      A,%s",
                          wc ? "SUBC     %s,r0" : "SUB      %s,r0",
                          wc ? "SUBC   .0,%s" : "SUB    .0,%s"),
                 r);
            pseudo(dis_pick_pseudo(nt, "r0 -= %s;", "A -= %s;", ".0 -= %s;"), r);
        }
        break;
    case 6: // NOP, STRZ
        if (field == 0) {
            line("NOP");
            pseudo(";");
            return;
        }
        line(dis_pick(nt, "STRZ    %s", "LOAD     %s,A", "MOVE     r0,%s", "MOV    %s,.0"), r);
        pseudo(dis_pick_pseudo(nt, "%s = r0;", "%s = A;", "%s = .0;"), r);
        break;
    default: // COMZ
        line(dis_pick(nt, "COMZ    %s", "COMP     A,%s", "COMP     %s,r0", "CMP    .0,%s"), r);
        pseudo(dis_pick_pseudo(nt, "compare r0 against %s;", "compare A against %s;",
                               "compare .0 against %s;"),
               r);
        dis_cc_context = DIS_CTX_COMPARE;
        return;
    }
    dis_cc_context = DIS_CTX_VALUE;
}

// LODI, EORI, ANDI, IORI, ADDI, SUBI, COMI by opcode bits 7-5 ($C4-$C7 are data).
static void immediate_family(u8 opcode, u8 b1, const char* r) {
    u8 family = opcode >> 5;
    bool wc = cpu_psl & PSL_WC;
    bool binary = family == 1 || family == 2 || family == 3;
    if (binary)
        dis_format_binary(b1);
    else
        dis_format_hex(b1);
    const char* num = dis_number_text;
    const char* plain = dis_number_plain_text;
    const char* rn_fmt = nullptr; // R then N
    const char* nr_fmt = nullptr; // N then R (new CALM)
    switch (family) {
    case 0:
        line("LODI,%s %s", r, num);
        rn_fmt = nt == NOTATION_OLD_CALM ? "LOAD     %s,#%s" : "LD     %s,#%s";
        nr_fmt = "MOVE     #%s,%s";
        break;
    case 1:
        if (b1 == 0xFF && nt >= NOTATION_OLD_CALM) {
            line(nt == NOTATION_IEEE ? "NOT    %s" : "NOT      %s", r);
            pseudo("%s ^= %s;", r, plain);
            dis_cc_context = DIS_CTX_VALUE;
            return;
        }
        line("EORI,%s %s", r, num);
        rn_fmt = nt == NOTATION_OLD_CALM ? "XOR      %s,#%s" : "XOR    %s,#%s";
        nr_fmt = "XOR      #%s,%s";
        break;
    case 2:
        line("ANDI,%s %s", r, num);
        rn_fmt = nt == NOTATION_OLD_CALM ? "AND      %s,#%s" : "AND    %s,#%s";
        nr_fmt = "AND      #%s,%s";
        break;
    case 3:
        line("IORI,%s %s", r, num);
        rn_fmt = nt == NOTATION_OLD_CALM ? "OR       %s,#%s" : "OR     %s,#%s";
        nr_fmt = "OR       #%s,%s";
        break;
    case 4:
        line("ADDI,%s %s", r, num);
        if (nt == NOTATION_OLD_CALM)
            rn_fmt = wc ? "ADDC     %s,#%s" : "ADD      %s,#%s";
        else
            rn_fmt = wc ? "ADDC   %s,#%s" : "ADD    %s,#%s";
        nr_fmt = wc ? "ADDC     #%s,%s" : "ADD      #%s,%s";
        break;
    case 5:
        line("SUBI,%s %s", r, num);
        if (nt == NOTATION_OLD_CALM)
            rn_fmt = wc ? "SUBB     %s,#%s" : "SUB      %s,#%s";
        else
            rn_fmt = wc ? "SUBC   %s,#%s" : "SUB    %s,#%s";
        nr_fmt = wc ? "SUBC     #%s,%s" : "SUB      #%s,%s";
        break;
    default:
        line("COMI,%s %s", r, num);
        rn_fmt = nt == NOTATION_OLD_CALM ? "COMP     %s,#%s" : "CMP    %s,#%s";
        nr_fmt = "COMP     #%s,%s";
        break;
    }
    if (nt == NOTATION_NEW_CALM)
        line(nr_fmt, num, r);
    else if (nt >= NOTATION_OLD_CALM)
        line(rn_fmt, r, num);

    switch (family) {
    case 0:
        pseudo("%s = %s", r, plain);
        immediate_annotation(b1, true);
        break;
    case 1:
        pseudo("%s ^= %s;", r, plain);
        break;
    case 2:
        pseudo("%s &= %s;", r, plain);
        break;
    case 3:
        pseudo("%s |= %s;", r, plain);
        break;
    case 4:
        if (b1 == 1)
            pseudo("%s++;", r);
        else
            pseudo("%s += %s;", r, plain);
        break;
    case 5:
        if (b1 == 1)
            pseudo("%s--;", r);
        else
            pseudo("%s -= %s;", r, plain);
        break;
    default:
        pseudo("compare %s against %s;", r, plain);
        immediate_annotation(b1, false);
        dis_cc_context = DIS_CTX_COMPARE;
        return;
    }
    dis_cc_context = DIS_CTX_VALUE;
}

// The relative and absolute memory forms of LOD .. COM (operand already formatted).
static void memory_family(u8 opcode) {
    u8 family = opcode >> 5;
    bool absolute = opcode & 4;
    bool wc = cpu_psl & PSL_WC;
    const char* r = dis_reg_name;
    const char* o = dis_operand_text;
    const char* p = dis_pseudo_operand;
    static const char* const signetics[8] = {"LOD", "EOR", "AND", "IOR",
                                             "ADD", "SUB", "STR", "COM"};
    static const char* const old_calm[8] = {"LOAD     ", "XOR      ", "AND      ", "OR       ",
                                            "ADD      ", "SUB      ", "LOAD     ", "COMP     "};
    static const char* const new_calm[8] = {"MOVE     ", "XOR      ", "AND      ", "OR       ",
                                            "ADD      ", "SUB      ", "MOVE     ", "COMP     "};
    static const char* const ieee[8] = {"LD     ", "XOR    ", "AND    ", "OR     ",
                                        "ADD    ", "SUB    ", "ST     ", "CMP    "};
    const char* word = "";
    switch (nt) {
    case NOTATION_OLD_CALM:
        word = family == 4 && wc ? "ADDC     " : family == 5 && wc ? "SUBB     " : old_calm[family];
        break;
    case NOTATION_NEW_CALM:
        word = family == 4 && wc ? "ADDC     " : family == 5 && wc ? "SUBC     " : new_calm[family];
        break;
    case NOTATION_IEEE:
        word = family == 4 && wc ? "ADDC   " : family == 5 && wc ? "SUBC   " : ieee[family];
        break;
    default:
        break;
    }
    if (nt <= NOTATION_EXTENDED)
        line("%s%c,%s %s", signetics[family], absolute ? 'A' : 'R', r, o);
    else if (family == 6 ? nt == NOTATION_OLD_CALM : nt == NOTATION_NEW_CALM)
        line("%s%s,%s", word, o, r);
    else
        line("%s%s,%s", word, r, o);

    static const char* const pseudo_ops[8] = {"=", "^=", "&=", "|=", "+=", "-=", "", ""};
    if (family == 6) {
        pseudo("*(%s) = %s;", p, r);
        return;
    }
    if (family == 7) {
        pseudo("compare %s against *(%s);", r, p);
        dis_cc_context = DIS_CTX_COMPARE;
        return;
    }
    pseudo("%s %s *(%s);", r, pseudo_ops[family], p);
    dis_cc_context = DIS_CTX_VALUE;
}

// REDC, REDD, WRTC, WRTD.
static void io_register(u8 opcode, const char* r) {
    bool data = opcode & 0x40;
    const char* port = data ? "DATA" : "CTRL";
    if (opcode < 0x80) {
        if (nt <= NOTATION_EXTENDED)
            line("RED%c,%s", data ? 'D' : 'C', r);
        else if (nt == NOTATION_OLD_CALM)
            line("LOAD     %s,$%s", r, port);
        else if (nt == NOTATION_NEW_CALM)
            line("MOVE     $%s,%s", port, r);
        else
            line("IN     %s,%s", r, port);
        pseudo("%s = IOPORT(%s);", r, port);
        dis_cc_context = DIS_CTX_VALUE;
    } else {
        if (nt <= NOTATION_EXTENDED)
            line("WRT%c,%s", data ? 'D' : 'C', r);
        else if (nt == NOTATION_OLD_CALM)
            line("LOAD     $%s,%s", port, r);
        else if (nt == NOTATION_NEW_CALM)
            line("MOVE     %s,$%s", r, port);
        else
            line("OUT    %s,%s", r, port);
        pseudo("IOPORT(%s) = %s;", port, r);
    }
}

// RRR and RRL.
static void rotate(u8 opcode, const char* r) {
    bool left = opcode >= 0x80;
    bool wc = cpu_psl & PSL_WC, carry = cpu_psl & PSL_C;
    if (nt <= NOTATION_EXTENDED)
        line(left ? "RRL,%s" : "RRR,%s", r);
    else if (nt == NOTATION_IEEE)
        line(wc && carry ? (left ? "ROLC   %s" : "RORC   %s")
             : wc        ? (left ? "SHL    %s" : "SHR    %s")
                         : (left ? "ROL    %s" : "ROR    %s"),
             r);
    else
        line(wc && carry ? (left ? "RLC      %s" : "RRC      %s")
             : wc        ? (left ? "SL       %s" : "SR       %s")
                         : (left ? "RL       %s" : "RR       %s"),
             r);
    pseudo(left ? "%s <<= 1;" : "%s >>= 1;", r);
    dis_cc_context = DIS_CTX_VALUE;
}

// REDE and WRTE with the port number b1.
static void io_extended(u8 opcode, u8 b1, const char* r) {
    dis_format_hex(b1);
    const char* num = dis_number_text;
    if (opcode < 0x80) {
        if (nt <= NOTATION_EXTENDED)
            line("REDE,%s %s", r, num);
        else if (nt == NOTATION_OLD_CALM)
            line("LOAD     %s,$%s", r, num);
        else if (nt == NOTATION_NEW_CALM)
            line("MOVE     $%s,%s", num, r);
        else
            line("IN     %s,%s", r, num);
        pseudo("%s = IOPORT(%s);", r, dis_number_plain_text);
        dis_cc_context = DIS_CTX_VALUE;
    } else {
        if (nt <= NOTATION_EXTENDED)
            line("WRTE,%s %s", r, num);
        else if (nt == NOTATION_OLD_CALM)
            line("LOAD     $%s,%s", num, r);
        else if (nt == NOTATION_NEW_CALM)
            line("MOVE     %s,$%s", r, num);
        else
            line("OUT    %s,%s", r, num);
        pseudo("IOPORT(%s) = %s;", dis_number_plain_text, r);
    }
}

static void test_under_mask(u8 b1, const char* r) {
    dis_format_binary(b1);
    line(dis_pick(nt, "TMI,%s  %s", "TEST     %s,#%s", "TEST     %s:#%s", "TEST   %s,#%s"), r,
         dis_number_text);
    pseudo(nt == NOTATION_IEEE ? ".CC = (%s & %s == %s) ? EQ : LT;"
                               : "CC = (%s & %s == %s) ? EQ : LT;",
           r, dis_number_plain_text, dis_number_plain_text);
    dis_cc_context = DIS_CTX_TEST;
}

static void decimal_adjust(const char* r) {
    line(dis_pick(nt, "DAR,%s", "DA       %s", "DAA      %s", "ADJ    %s"), r);
    pseudo("%s = BCD(%s);", r, r);
    dis_cc_context = DIS_CTX_UNKNOWN;
}

// RETC and RETE ($14-$17, $34-$37).
static void return_family(u8 opcode) {
    u8 cc = opcode & 3;
    bool enable = opcode & 0x20;
    if (!enable) {
        if (cc == 3) {
            line("%s", nt == NOTATION_SIGNETICS ? "RETC,un" : "RET");
            pseudo("return;");
            return;
        }
        if (nt <= NOTATION_EXTENDED)
            line("RETC,%s", cond_suffix(cc));
        else if (nt == NOTATION_OLD_CALM && dis_cc_context == DIS_CTX_TEST && cc != 1)
            line("%s", cc == 0 ? "RET,AO" : "RET,NO");
        else
            line("RET%s", cond_suffix(cc));
        pseudo("%sreturn;", taken_prefix(cc));
        return;
    }
    const char* body = dis_pick_pseudo(nt, "PSU &= ~PSU_II; return;", "U &= ~U_IOF; return;",
                                       ".U &= ~.U_II; return;");
    if (nt == NOTATION_NEW_CALM) body = "PSU &= ~PSU_IOF; return;";
    if (cc == 3) {
        line("%s", dis_pick(nt, "RETE,un", "RETION", "RETI", "RETI"));
        pseudo("%s", body);
        return;
    }
    if (nt <= NOTATION_EXTENDED)
        line("RETE,%s", cond_suffix(cc));
    else if (nt == NOTATION_OLD_CALM && dis_cc_context == DIS_CTX_TEST && cc != 1)
        line("%s", cc == 0 ? "RETION,AO" : "RETION,NO");
    else if (nt == NOTATION_OLD_CALM)
        line("RETION%s", cond_suffix(cc));
    else
        line("RETI%s", cond_suffix(cc));
    pseudo("%s{ %s }", taken_prefix(cc), body);
}

// Formats the operand of a branch-family opcode and returns nothing; the text is
// in dis_operand_text / dis_pseudo_operand.
static void branch_operand(u8 opcode) {
    if (opcode == 0x9B || opcode == 0xBB)
        dis_operand_zero_page(1);
    else if (opcode & 4)
        dis_operand_branch(opcode == 0x9F || opcode == 0xBF ? 0 : 1);
    else
        dis_operand_relative();
}

// Branches and calls: opcodes $x8-$xF of the odd high nibbles.
static void branch_family(u8 opcode) {
    branch_operand(opcode);
    const char* r = dis_reg_name;
    const char* o = dis_operand_text;
    const char* p = dis_pseudo_operand;
    u8 cc = opcode & 3;
    bool absolute = opcode & 4;
    switch (opcode & 0xF0) {
    case 0x10: // BCTR, BCTA
        if (cc == 3) {
            if (nt == NOTATION_SIGNETICS)
                line("%s%s", absolute ? "BCTA,un " : "BCTR,un ", o);
            else if (nt == NOTATION_EXTENDED)
                line("%s%s", absolute ? "BA      " : "BR      ", o);
            else
                line("%s%s", nt == NOTATION_IEEE ? "BR     " : "JUMP     ", o);
            pseudo("goto %s;", p);
        } else {
            line("%s%s", branch_true_mnemonic(opcode), o);
            pseudo("%sgoto %s;", taken_prefix(cc), p);
        }
        break;
    case 0x30: // BSTR, BSTA
        if (cc == 3) {
            if (nt == NOTATION_SIGNETICS)
                line("%s%s", absolute ? "BSTA,un " : "BSTR,un ", o);
            else if (nt == NOTATION_EXTENDED)
                line("%s%s", absolute ? "BSA     " : "BSR     ", o);
            else
                line("%s%s", nt == NOTATION_IEEE ? "CALL   " : "CALL     ", o);
            pseudo("gosub %s;", p);
        } else {
            if (nt <= NOTATION_EXTENDED)
                line("%s,%s %s", absolute ? "BSTA" : "BSTR", cond_suffix(cc), o);
            else
                line("CALL%s %s", cond_suffix(cc), o);
            pseudo("%sgosub %s;", taken_prefix(cc), p);
        }
        break;
    case 0x50: // BRNR, BRNA
        if (nt <= NOTATION_EXTENDED)
            line("%s,%s %s", absolute ? "BRNA" : "BRNR", r, o);
        else
            line(dis_pick(nt, "", "JUMP,%sNE %s", "JUMP,NE  %s,%s", "BNZ    %s,%s"), r, o);
        pseudo("if (%s != 0) goto %s;", r, p);
        break;
    case 0x70: // BSNR, BSNA
        if (nt <= NOTATION_EXTENDED)
            line("%s,%s %s", absolute ? "BSNA" : "BSNR", r, o);
        else
            line(dis_pick(nt, "", "CALL,%sNE %s", "CALL,NE  %s,%s", "CALLNZ %s,%s"), r, o);
        pseudo("if (%s != 0) gosub %s;", r, p);
        break;
    case 0x90: // BCFR, BCFA, ZBRR, BXA
        if (opcode == 0x9B) {
            line(dis_pick(nt, "ZBRR    %s", "JUMP     %s", "JUMP     %s", "BR     %s"), o);
            pseudo("goto %s;", p);
        } else if (opcode == 0x9F) {
            if (nt <= NOTATION_EXTENDED)
                line("BXA,%s  %s", r, o);
            else if (nt == NOTATION_OLD_CALM)
                line("JUMP     (%s)+%s", r, o);
            else if (nt == NOTATION_NEW_CALM)
                line("JUMP     U^{%s}+%s", r, o + 2);
            else
                line("BR     %s(%s)", o, r);
            pseudo("goto %s + %s;", p, r);
        } else {
            line("%s%s", branch_false_mnemonic(opcode), o);
            pseudo("%sgoto %s;", not_taken_prefix(cc), p);
        }
        break;
    case 0xB0: // BSFR, BSFA, ZBSR, BSXA
        if (opcode == 0xBB) {
            line(dis_pick(nt, "ZBSR    %s", "CALL     %s", "CALL     %s", "CALL   %s"), o);
            pseudo("gosub %s;", p);
        } else if (opcode == 0xBF) {
            if (nt <= NOTATION_EXTENDED)
                line("BSXA,%s %s", r, o);
            else if (nt == NOTATION_OLD_CALM)
                line("CALL     (%s)+%s", r, o);
            else if (nt == NOTATION_NEW_CALM)
                line("CALL     U^{%s}+%s", r, o + 2);
            else
                line("CALL   %s(%s)", o, r);
            pseudo("gosub %s + %s;", p, r);
        } else {
            static const char* const signetics_rel[3] = {"BSFR,EQ ", "BSFR,GT ", "BSFR,LT "};
            static const char* const signetics_abs[3] = {"BSFA,EQ ", "BSFA,GT ", "BSFA,LT "};
            static const char* const calm[3] = {"CALL,NE  ", "CALL,LE  ", "CALL,GE  "};
            static const char* const ieee[3] = {"CALLNE ", "CALLLE ", "CALLGE "};
            const char* mnemonic = nt <= NOTATION_EXTENDED
                                       ? (absolute ? signetics_abs[cc] : signetics_rel[cc])
                                   : nt == NOTATION_IEEE ? ieee[cc]
                                                         : calm[cc];
            line("%s%s", mnemonic, o);
            pseudo("%sgosub %s;", not_taken_prefix(cc), p);
        }
        break;
    case 0xD0:   // BIRR, BIRA
    case 0xF0: { // BDRR, BDRA
        bool inc = (opcode & 0xF0) == 0xD0;
        u8 b1 = guest_memory[page_add(cpu_iar, 1)];
        if (nt <= NOTATION_EXTENDED) {
            line("%s,%s %s", inc ? (absolute ? "BIRA" : "BIRR") : (absolute ? "BDRA" : "BDRR"), r,
                 o);
        } else if (!absolute && b1 == 0) {
            line(inc ? dis_pick(nt, "", "INC      %s", "INC      %s", "INC    %s")
                     : dis_pick(nt, "", "DEC      %s", "DEC      %s", "DEC    %s"),
                 r);
        } else {
            line(inc ? dis_pick(nt, "", "INCJ,NE  %s,%s", "IJ,NE    %s,%s", "IBNZ   %s,%s")
                     : dis_pick(nt, "", "DECJ,NE  %s,%s", "DJ,NE    %s,%s", "DBNZ   %s,%s"),
                 r, o);
        }
        if (!absolute && b1 == 0)
            pseudo(inc ? "%s++;" : "%s--;", r);
        else
            pseudo(inc ? "if (++%s != 0) goto %s;" : "if (--%s != 0) goto %s;", r, p);
        break;
    }
    default:
        break;
    }
}

// The instruction text and pseudo-code of cpu_opcode.
static void instruction_text(u8 opcode) {
    u8 b1 = guest_memory[page_add(cpu_iar, 1)];
    u8 slot = (opcode >> 2) & 3; // register, immediate, relative, absolute
    bool even = !(opcode & 0x10);
    const char* r = dis_reg_name;

    if (dis_status_instruction(opcode, b1)) return;
    if (opcode == 0x90 || opcode == 0x91 || opcode == 0xB6 || opcode == 0xB7 ||
        (opcode >= 0xC4 && opcode <= 0xC7) || opcode == 0x10 || opcode == 0x11) {
        data_byte(opcode);
        return;
    }
    if (even) {
        switch (slot) {
        case 0:
            register_family(opcode, r);
            return;
        case 1:
            immediate_family(opcode, b1, r);
            return;
        case 2:
            dis_operand_relative();
            memory_family(opcode);
            return;
        default:
            dis_operand_absolute();
            memory_family(opcode);
            return;
        }
    }
    if (slot >= 2) {
        branch_family(opcode);
        return;
    }
    switch (opcode & 0xFC) {
    case 0x14:
    case 0x34:
        return_family(opcode);
        return;
    case 0x30:
    case 0x70:
    case 0xB0:
    case 0xF0:
        io_register(opcode, r);
        return;
    case 0x50:
    case 0xD0:
        rotate(opcode, r);
        return;
    case 0x54:
    case 0xD4:
        io_extended(opcode, b1, r);
        return;
    case 0x94:
        decimal_adjust(r);
        return;
    case 0xF4:
        test_under_mask(b1, r);
        return;
    default:
        data_byte(opcode);
        return; // not reached: every other slot is handled above
    }
}

// The compact trace line (verbosity 1).
static void trace_line(u8 opcode) {
    u8 b1 = guest_memory[page_add(cpu_iar, 1)];
    u8 b2 = guest_memory[page_add(cpu_iar, 2)];
    u32 length = op_length[opcode];
    char* out = dis_trace_line;
    int size = DIS_LINE_SIZE;
    int used = std::snprintf(out, size, "%04X %02X", cpu_iar, opcode);
    if (length >= 3)
        used += std::snprintf(out + used, size - used, "%02X%02X ", b1, b2);
    else if (length == 2)
        used += std::snprintf(out + used, size - used, "%02X   ", b1);
    else
        used += std::snprintf(out + used, size - used, "     ");

    bool absolute_data = (opcode & 0x1F) >= 0x0C && (opcode & 0x1F) <= 0x0F;
    u8 index = (b1 >> 5) & 3;
    if (absolute_data && index) {
        const char* family = opcode <= 0x0F   ? "LOD"
                             : opcode <= 0x2F ? "EOR"
                             : opcode <= 0x4F ? "AND"
                             : opcode <= 0x6F ? "IOR"
                             : opcode <= 0x8F ? "ADD"
                             : opcode <= 0xAF ? "SUB"
                             : opcode <= 0xCF ? "STR"
                                              : "COM";
        used += std::snprintf(out + used, size - used, "%sA,r0 r%d%c", family, opcode & 3,
                              index == 1   ? '+'
                              : index == 2 ? '-'
                                           : '.');
    } else {
        const char* mnemonic = op_text[nt][opcode].mnemonic;
        used += std::snprintf(out + used, size - used, "%-7s    ", mnemonic ? mnemonic : "");
    }

    // Addresses only; LDPL and STPL count as having no memory operand here.
    bool memory_form = (opcode & 0x0F) > 7;
    u32 named = 0;
    if ((opcode & 0x1F) > 0x1B) {
        dis_operand_branch(1);
        named = ((b1 << 8) & 0x7F00) | b2;
    } else if ((opcode & 0x0F) > 0x0B) {
        dis_operand_absolute();
        named = (cpu_iar & 0x6000) + ((b1 & 0x1F) << 8) + b2;
    } else if (opcode == 0x9B || opcode == 0xBB) {
        dis_operand_zero_page(1);
        named = rel_offset_table[b1] & 0x1FFF;
    } else if (memory_form) {
        dis_operand_relative();
        named = (cpu_iar & 0x6000) + ((cpu_iar + 2 + rel_offset_table[b1]) & 0x1FFF);
    }
    if (used > size - 1) used = size - 1;
    if (!memory_form)
        used += std::snprintf(out + used, size - used, "      ");
    else if (b1 & 0x80)
        used += std::snprintf(out + used, size - used, " *%04X", named);
    else if ((opcode & 0x1F) >= 0x0C && (opcode & 0x1F) <= 0x0F)
        used += std::snprintf(out + used, size - used, "  %04X", named);
    else
        used += std::snprintf(out + used, size - used, "  %04X", dis_ea);
    if (used > size - 1) used = size - 1;
    if (absolute_data && index)
        used += std::snprintf(out + used, size - used, "+%02X", cpu_regs[cpu_regsel]);
    else
        used += std::snprintf(out + used, size - used, "   ");
    if (used > size - 1) used = size - 1;
    if (memory_form)
        std::snprintf(out + used, size - used, "=%04X", dis_ea);
    else
        std::snprintf(out + used, size - used, "     ");
}

// 13 characters, right-aligned, digits grouped in threes.
static void grouped_number(u32 value, char* out) {
    char digits[16];
    int n = std::snprintf(digits, sizeof digits, "%u", value);
    char text[20];
    int len = 0;
    for (int i = 0; i < n; i++) {
        if (i > 0 && (n - i) % 3 == 0) text[len++] = ',';
        text[len++] = digits[i];
    }
    text[len] = 0;
    int pad = 13 - len;
    for (int i = 0; i < 13; i++)
        out[i] = i < pad ? ' ' : text[i - pad];
    out[13] = 0;
}

// The comment columns of a traced or listed instruction.
static void comment_columns(u8 opcode) {
    u8 b1 = guest_memory[page_add(cpu_iar, 1)];
    u8 b2 = guest_memory[page_add(cpu_iar, 2)];
    dis_cycles = op_cycles[opcode];
    dis_taken_extra = 0;
    if ((opcode & 0x0F) > 7 && (b1 & 0x80)) {
        bool unconditional = opcode == 0x1B || opcode == 0x1F || opcode == 0x3B || opcode == 0x3F ||
                             opcode == 0x9B || opcode == 0x9F || opcode == 0xBB || opcode == 0xBF;
        if (!(opcode & 0x10) || unconditional)
            dis_cycles += 6;
        else
            dis_taken_extra = 1;
    }

    char* out = dis_line;
    int len = static_cast<int>(std::strlen(out));
    if (dis_mode != DIS_INTERACTIVE || verbosity == 0) {
        for (; len < 49; len++)
            out[len] = ' ';
        out[49] = ';';
        len = 50;
    } else {
        for (; len < 35; len++)
            out[len] = ' ';
        out[35] = ';';
        char clock[16];
        grouped_number(dbg_clocks_to_units(cpu_cycles), clock);
        std::memcpy(out + 36, clock, 13);
        out[49] = ' ';
        len = 50;
    }
    out[len] = 0;

    u32 length = op_length[opcode];
    u32 p = dbg_pixels_per_clock;
    int size = DIS_LINE_SIZE;
    switch (dbg_time_unit) {
    case 0:
        len += std::snprintf(out + len, size - len,
                             dis_taken_extra ? "2+%d,%d $%04X " : "  %d,%d $%04X ", dis_cycles / 3,
                             length, cpu_iar);
        break;
    case 1:
        len += std::snprintf(out + len, size - len,
                             dis_taken_extra ? "6+%d,%d $%04X " : " %2d,%d $%04X ", dis_cycles,
                             length, cpu_iar);
        break;
    case 2:
        if (dis_taken_extra)
            len += std::snprintf(out + len, size - len,
                                 cpu_debug_hooks->wide_clock_column ? "%2d+%3d,%d $%04X "
                                                                    : "%2d+%2d,%d $%04X ",
                                 6 * p, dis_cycles * p, length, cpu_iar);
        else
            len += std::snprintf(out + len, size - len,
                                 cpu_debug_hooks->wide_clock_column ? "   %3d,%d $%04X "
                                                                    : "   %2d,%d $%04X ",
                                 dis_cycles * p, length, cpu_iar);
        break;
    default:
        break;
    }
    if (len > size - 1) len = size - 1;
    if (length >= 3)
        std::snprintf(out + len, size - len, "%02X %02X %02X", opcode, b1, b2);
    else if (length == 2)
        std::snprintf(out + len, size - len, "%02X %02X   ", opcode, b1);
    else
        std::snprintf(out + len, size - len, "%02X      ", opcode);
}

void dis_instruction(int log, int no_label) {
    nt = dis_notation_index();
    if (!log) {
        cpu_opcode = guest_memory[cpu_iar & 0x7FFF];
    } else if (!no_label && (verbosity != 0 || dis_mode == DIS_FILE)) {
        // A source file always defines its code labels, so that it assembles again.
        char label[CPU_ADDRESS_TEXT_SIZE];
        if (cpu_format_address(cpu_iar, label, 0, 0, 15, 1))
            con_printf("%s: ;$%X\n", label, cpu_iar);
    }
    u8 opcode = cpu_opcode;
    cpu_regsel = cpu_reg_index(opcode & 3);
    std::snprintf(dis_reg_name, sizeof dis_reg_name, "%s", reg_spelling(cpu_regsel));
    dis_flag_comments[0] = 0;
    if (verbosity == 1) {
        // The trace line's address pass may rename the register; keep the instruction's.
        char saved[sizeof dis_reg_name];
        std::memcpy(saved, dis_reg_name, sizeof saved);
        trace_line(opcode);
        std::memcpy(dis_reg_name, saved, sizeof saved);
    }
    dis_line[0] = 0;
    dis_pseudo_line[0] = 0;
    instruction_text(opcode);
    if (log) comment_columns(opcode);
}
