// Disassembly of the program-status instructions (SPSU, SPSL, LPSU, LPSL, LDPL,
// STPL, CPSU, CPSL, PPSU, PPSL, TPSU, TPSL) and their flag comments: one
// comment line per status bit the instruction touches, in the words of the
// current notation's flag names.
#include "cpu/disasm.h"
#include "cpu/disasm_internal.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

static u32 nt; // notation of the current call

static const char* short_name(u32 row) {
    return reg_names[row][nt];
}
static const char* long_name(u32 row) {
    return reg_names[row][nt + REGNAME_LONG];
}

static void comment(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void comment(const char* format, ...) {
    size_t used = std::strlen(dis_flag_comments);
    if (used >= DIS_FLAG_COMMENTS_SIZE - 1) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(dis_flag_comments + used, DIS_FLAG_COMMENTS_SIZE - used, format, args);
    va_end(args);
}

static void set_line(const char* format, const char* a = "", const char* b = "") {
    std::snprintf(dis_line, DIS_LINE_SIZE, format, a, b);
}
static void set_pseudo(const char* format, const char* a = "", const char* b = "") {
    std::snprintf(dis_pseudo_line, DIS_LINE_SIZE, format, a, b);
}

// The selected bit names of a Signetics mask operand, joined by "+".
static void signetics_mask(const char* mnemonic, u8 mask, bool upper) {
    static const char* const psu_names[3] = {"S", "F", "II"};
    static const char* const psl_names[6] = {"IDC", "RS", "WC", "OVF", "COM", "C"};
    char text[64];
    // An empty mask has no names to join: a source file, which must assemble
    // again, gets its number.
    bool named = upper ? (mask & 0x1F) == 0 : (mask & 0xC0) == 0;
    if (mask == 0 && dis_mode == DIS_FILE) named = false;
    if (!named) {
        std::snprintf(dis_line, DIS_LINE_SIZE, "%s    %s", mnemonic, dis_number_text);
        return;
    }
    text[0] = 0;
    int count = upper ? 3 : 6;
    u8 top = upper ? 0x80 : 0x20;
    for (int i = 0; i < count; i++) {
        if (!(mask & (top >> i))) continue;
        if (text[0]) std::strcat(text, "+");
        std::strcat(text, upper ? psu_names[i] : psl_names[i]);
    }
    std::snprintf(dis_line, DIS_LINE_SIZE, "%s    %s", mnemonic, text);
}

// ---- Flag comments ----------------------------------------------------------

// The value now loaded into PSL (LDPL, LPSL).
static void psl_load_comments(u8 v) {
    static const char* const cc_text[4] = {
        ";CC (Condition Code) is now EQ (%00)\n", ";CC (Condition Code) is now GT (%01)\n",
        ";CC (Condition Code) is now LT (%10)\n", ";CC (Condition Code) is now UN (%11)!\n"};
    comment("%s", cc_text[v >> 6]);
    auto bit = [&](u8 mask, u32 row) {
        comment(";%s %s (%s) bit\n", (v & mask) ? "Set" : "Clear", long_name(row), short_name(row));
    };
    bit(PSL_IDC, REGNAME_IDC);
    bool rs = v & PSL_RS;
    comment(";%s %s (%s) bit (now %s..%s)\n", rs ? "Set" : "Clear", long_name(REGNAME_RS),
            short_name(REGNAME_RS), long_name(rs ? 4 : 1), long_name(rs ? 6 : 3));
    bit(PSL_WC, REGNAME_WC);
    bit(PSL_OVF, REGNAME_OVF);
    comment(";%s %s (%s) bit (now %ssigned)\n", (v & PSL_COM) ? "Set" : "Clear",
            long_name(REGNAME_COM), short_name(REGNAME_COM), (v & PSL_COM) ? "un" : "");
    bit(PSL_C, REGNAME_C);
}

// The value now loaded into PSU (LPSU).
static void psu_load_comments(u8 v) {
    comment(";%s %s (%s) bit\n", (v & PSU_F) ? "Set" : "Clear", long_name(REGNAME_F),
            short_name(REGNAME_F));
    comment(";%s %s (%s) bit (now %sinhibited)\n", (v & PSU_II) ? "Set" : "Clear",
            long_name(REGNAME_II), short_name(REGNAME_II), (v & PSU_II) ? "" : "dis");
    if (cpu_type != CPU_2650) {
        comment(";%s User Flag #1\n", (v & PSU_UF1) ? "Set" : "Clear");
        comment(";%s User Flag #2\n", (v & PSU_UF2) ? "Set" : "Clear");
    }
    comment(";Set %s (%s) to %d\n", long_name(REGNAME_SP), short_name(REGNAME_SP), v & PSU_SP);
}

// The current PSL being stored (STPL, SPSL).
static void psl_store_comments() {
    u8 v = cpu_psl;
    static const char* const cc_text[4] = {
        ";CC (Condition Code) is EQ\n", ";CC (Condition Code) is GT\n",
        ";CC (Condition Code) is LT\n", ";CC (Condition Code) is UN (%11)!\n"};
    comment("%s", cc_text[v >> 6]);
    auto bit = [&](u8 mask, u32 row) {
        comment(";%s (%s) bit is %s\n", long_name(row), short_name(row),
                (v & mask) ? "set" : "clear");
    };
    bit(PSL_IDC, REGNAME_IDC);
    bool rs = v & PSL_RS;
    comment(";%s (%s) bit is %s (%s..%s)\n", long_name(REGNAME_RS), short_name(REGNAME_RS),
            rs ? "set" : "clear", long_name(rs ? 4 : 1), long_name(rs ? 6 : 3));
    bit(PSL_WC, REGNAME_WC);
    bit(PSL_OVF, REGNAME_OVF);
    comment(";%s (%s) bit is %s\n", long_name(REGNAME_COM), short_name(REGNAME_COM),
            (v & PSL_COM) ? "set (unsigned)" : "clear (signed)");
    bit(PSL_C, REGNAME_C);
}

// The current PSU being stored (SPSU).
static void psu_store_comments() {
    u8 v = cpu_psu;
    comment(";%s (%s) bit is %s\n", long_name(REGNAME_S), short_name(REGNAME_S),
            (v & PSU_S) ? "set" : "clear");
    comment(";%s (%s) bit is %s\n", long_name(REGNAME_F), short_name(REGNAME_F),
            (v & PSU_F) ? "set" : "clear");
    comment(";%s (%s) bit is %s\n", long_name(REGNAME_II), short_name(REGNAME_II),
            (v & PSU_II) ? "set (inhibited)" : "clear (uninhibited)");
    if (cpu_type != CPU_2650) {
        comment(";User Flag #1 is %s\n", (v & PSU_UF1) ? "set" : "clear");
        comment(";User Flag #2 is %s\n", (v & PSU_UF2) ? "set" : "clear");
    }
    comment(";%s (%s) is %d\n", long_name(REGNAME_SP), short_name(REGNAME_SP), v & PSU_SP);
}

enum MaskOp { MASK_CLEAR = 0, MASK_SET = 1, MASK_TEST = 2 };

// One comment per PSU bit selected by a CPSU, PPSU or TPSU mask.
static void psu_mask_comments(u8 m, MaskOp op) {
    static const char* const verb[3] = {"Clear", "Set", "Test"};
    if ((m & PSU_S) && op == MASK_TEST)
        comment(";Test %s (%s) bit\n", long_name(REGNAME_S), short_name(REGNAME_S));
    if (m & PSU_F)
        comment(";%s %s (%s) bit\n", verb[op], long_name(REGNAME_F), short_name(REGNAME_F));
    if (m & PSU_II) {
        static const char* const suffix[3] = {" (now disinhibited)", " (now inhibited)", ""};
        comment(";%s %s (%s) bit%s\n", verb[op], long_name(REGNAME_II), short_name(REGNAME_II),
                suffix[op]);
    }
    if (cpu_type != CPU_2650) {
        if (m & PSU_UF1) comment(";%s User Flag #1\n", verb[op]);
        if (m & PSU_UF2) comment(";%s User Flag #2\n", verb[op]);
    }
    const char* sp_long = long_name(REGNAME_SP);
    const char* sp_short = short_name(REGNAME_SP);
    if ((m & PSU_SP) == PSU_SP) {
        static const char* const whole[3] = {";Clear %s (%s) to 0!\n", ";Set %s (%s) to 7!\n",
                                             ";Test %s (%s)!\n"};
        comment(whole[op], sp_long, sp_short);
        return;
    }
    static const char* const part[3] = {"high", "middle", "low"};
    for (int i = 0; i < 3; i++)
        if (m & (4 >> i)) comment(";%s %s bit of %s (%s)!\n", verb[op], part[i], sp_long, sp_short);
}

// One comment per PSL bit selected by a CPSL, PPSL or TPSL mask.
static void psl_mask_comments(u8 m, MaskOp op) {
    static const char* const verb[3] = {"Clear", "Set", "Test"};
    if ((m & PSL_CC) == PSL_CC) {
        static const char* const both[3] = {";Set CC (Condition Code) to EQ\n",
                                            ";Set CC (Condition Code) to UN (%11)!\n",
                                            ";Test CC (Condition Code)!\n"};
        comment("%s", both[op]);
    } else if (m & 0x80) {
        comment(";%s high bit of CC (Condition Code)%s\n", verb[op], op == MASK_TEST ? "!" : "");
    } else if (m & 0x40) {
        comment(";%s low bit of CC (Condition Code)%s\n", verb[op], op == MASK_TEST ? "!" : "");
    }
    static const u8 masks[6] = {PSL_IDC, PSL_RS, PSL_WC, PSL_OVF, PSL_COM, PSL_C};
    static const u32 rows[6] = {REGNAME_IDC, REGNAME_RS,  REGNAME_WC,
                                REGNAME_OVF, REGNAME_COM, REGNAME_C};
    for (int i = 0; i < 6; i++) {
        if (!(m & masks[i])) continue;
        u32 row = rows[i];
        if (row == REGNAME_RS && op != MASK_TEST) {
            comment(";%s %s (%s) bit (now %s..%s)\n", verb[op], long_name(row), short_name(row),
                    long_name(op == MASK_CLEAR ? 1 : 4), long_name(op == MASK_CLEAR ? 3 : 6));
        } else if (row == REGNAME_COM && op != MASK_TEST) {
            comment(";%s %s (%s) bit (now %s)\n", verb[op], long_name(row), short_name(row),
                    op == MASK_CLEAR ? "signed/arithmetic" : "unsigned/logical");
        } else {
            comment(";%s %s (%s) bit\n", verb[op], long_name(row), short_name(row));
        }
    }
}

// ---- Instructions -------------------------------------------------------------

static void status_copy(u8 opcode) {
    if (opcode == 0x12) {
        set_line(dis_pick(nt, "SPSU", "LOAD     A,U", "MOVE     PSU,r0", "MOV    .0,.U"));
        set_pseudo(dis_pick_pseudo(nt, "r0 = PSU;", "A = U;", ".0 = .U;"));
        if (dis_mode == DIS_INTERACTIVE) psu_store_comments();
        dis_cc_context = DIS_CTX_VALUE;
    } else if (opcode == 0x13) {
        set_line(dis_pick(nt, "SPSL", "LOAD     A,L", "MOVE     PSL,r0", "MOV    .0,.L"));
        set_pseudo(dis_pick_pseudo(nt, "r0 = PSL;", "A = L;", ".0 = .L;"));
        if (dis_mode == DIS_INTERACTIVE) psl_store_comments();
        dis_cc_context = DIS_CTX_VALUE;
    } else if (opcode == 0x92) {
        set_line(dis_pick(nt, "LPSU", "LOAD     U,A", "MOVE     r0,PSU", "MOV    .U,.0"));
        bool b = cpu_type != CPU_2650;
        set_pseudo("%s", b ? dis_pick_pseudo(nt, "PSU &= %10000000; PSU |= (r0 & %01111111);",
                                             "U &= %10000000; U |= (A & %01111111);",
                                             ".U &= %10000000; .U |= (.0 & %01111111);")
                           : dis_pick_pseudo(nt, "PSU &= %10000000; PSU |= (r0 & %01100111);",
                                             "U &= %10000000; U |= (A & %01100111);",
                                             ".U &= %10000000; .U |= (.0 & %01100111);"));
        if (dis_mode == DIS_INTERACTIVE) psu_load_comments(cpu_regs[0]);
    } else {
        set_line(dis_pick(nt, "LPSL", "LOAD     L,A", "MOVE     r0,PSL", "MOV    .L,.0"));
        set_pseudo(dis_pick_pseudo(nt, "PSL = r0;", "L = A;", ".L = .0;"));
        if (dis_mode == DIS_INTERACTIVE) psl_load_comments(cpu_regs[0]);
        dis_cc_context = DIS_CTX_UNKNOWN;
    }
}

// LDPL and STPL (2650B).
static void status_memory(u8 opcode) {
    dis_operand_branch(1);
    const char* o = dis_operand_text;
    const char* p = dis_pseudo_operand;
    if (opcode == 0x10) {
        set_line(dis_pick(nt, "LDPL    %s", "LOAD     L,%s", "MOVE     %s,PSL", "LD     .L,%s"), o);
        set_pseudo(dis_pick_pseudo(nt, "PSL = *(%s);", "L = *(%s);", ".L = *(%s);"), p);
        if (dis_mode == DIS_INTERACTIVE) psl_load_comments(guest_memory[dis_ea & 0x7FFF]);
    } else {
        set_line(dis_pick(nt, "STPL    %s", "LOAD     %s,L", "MOVE     PSL,%s", "ST     .L,%s"), o);
        set_pseudo(dis_pick_pseudo(nt, "*(%s) = PSL;", "*(%s) = L;", "*(%s) = .L;"), p);
        if (dis_mode == DIS_INTERACTIVE) psl_store_comments();
    }
    dis_cc_context = DIS_CTX_UNKNOWN;
}

static void status_upper_mask(u8 opcode, u8 m) {
    dis_format_binary(m);
    const char* num = dis_number_text;
    const char* plain = dis_number_plain_text;
    bool b = cpu_type != CPU_2650;
    bool calm = nt == NOTATION_OLD_CALM || nt == NOTATION_NEW_CALM;
    if (opcode == 0x74) { // CPSU
        if (calm && (m == 0x07 || m == 0x20 || m == 0x40 || m == 0x80))
            set_line(m == 0x07   ? "CLR      STACK"
                     : m == 0x20 ? "CLR      IOF"
                     : m == 0x40 ? "CLR      OUTPUT"
                                 : "CLR      INPUT");
        else if (nt == NOTATION_OLD_CALM)
            set_line("BIC      U,#%s", num);
        else if (nt == NOTATION_NEW_CALM)
            set_line("BIC      #%s,PSU", num);
        else if (nt == NOTATION_IEEE)
            set_line(m == 0x20 ? "EI" : "AND    .U,#H'FF-%s", num);
        else
            signetics_mask("CPSU", m, true);
        set_pseudo(b ? dis_pick_pseudo(nt, "PSU &= ~(%s & %%01111111);", "U &= ~(%s & %%01111111);",
                                       ".U &= ~(%s & %%01111111);")
                     : dis_pick_pseudo(nt, "PSU &= ~(%s & %%01100111);", "U &= ~(%s & %%01100111);",
                                       ".U &= ~(%s & %%01100111);"),
                   plain);
        psu_mask_comments(m, MASK_CLEAR);
    } else if (opcode == 0x76) { // PPSU
        if (calm && (m == 0x20 || m == 0x40 || m == 0x80))
            set_line(m == 0x20 ? "SET      IOF" : m == 0x40 ? "SET      OUTPUT" : "SET      INPUT");
        else if (nt == NOTATION_OLD_CALM)
            set_line("OR       U,#%s", num);
        else if (nt == NOTATION_NEW_CALM)
            set_line("OR       #%s,PSU", num);
        else if (nt == NOTATION_IEEE)
            set_line(m == 0x20 ? "DI" : "OR     .U,#%s", num);
        else
            signetics_mask("PPSU", m, true);
        if (nt == NOTATION_OLD_CALM)
            set_pseudo(b ? "U |= %s & %%01111111;" : "U |= %s & %%01100111;", plain);
        else if (nt == NOTATION_IEEE) // spelled with PSU and the notation's number
            set_pseudo(b ? "PSU |= %s & %%01111111;" : "PSU |= %s & %%01100111;", num);
        else
            set_pseudo(b ? "PSU |= %s & %%01111111;" : "PSU |= %s & %%01100111;", plain);
        psu_mask_comments(m, MASK_SET);
    } else { // TPSU
        if (calm && (m == 0x20 || m == 0x40 || m == 0x80))
            set_line(m == 0x20 ? "TEST     IOF" : m == 0x40 ? "TEST     OUTPUT" : "TEST     INPUT");
        else if (nt == NOTATION_OLD_CALM)
            set_line("TEST     U,#%s", num);
        else if (nt == NOTATION_NEW_CALM)
            set_line("TEST     PSU:#%s", num);
        else if (nt == NOTATION_IEEE)
            set_line("TEST   .U,#%s", num);
        else
            signetics_mask("TPSU", m, true);
        set_pseudo(dis_pick_pseudo(nt, "CC = (PSU & %s == %s) ? EQ : LT;",
                                   "CC = (U & %s == %s) ? EQ : LT;",
                                   ".CC = (.U & %s == %s) ? EQ : LT;"),
                   plain, plain);
        psu_mask_comments(m, MASK_TEST);
        dis_cc_context = DIS_CTX_TEST;
    }
}

static void status_lower_mask(u8 opcode, u8 m) {
    dis_format_binary(m);
    const char* num = dis_number_text;
    const char* plain = dis_number_plain_text;
    bool calm = nt == NOTATION_OLD_CALM || nt == NOTATION_NEW_CALM;
    static const char* const flag_words[6] = {"CARRY",     "LOGICOMP", "OVERFLOW",
                                              "WITHCARRY", "BANK",     "HALFCARRY"};
    int single = -1; // index into flag_words of a single-bit mask $01..$20
    for (int i = 0; i < 6; i++)
        if (m == (1 << i)) single = i;
    char text[64];
    if (opcode == 0x75) { // CPSL
        if (calm && single >= 0) {
            std::snprintf(text, sizeof text, "CLR      %s", flag_words[single]);
            set_line("%s", text);
        } else if (nt == NOTATION_OLD_CALM)
            set_line("BIC      L,#%s", num);
        else if (nt == NOTATION_NEW_CALM)
            set_line("BIC      #%s,PSL", num);
        else if (nt == NOTATION_IEEE)
            set_line(m == 0x01 ? "CLRC" : m == 0x04 ? "CLRV" : "AND    .L,#H'FF-%s", num);
        else
            signetics_mask("CPSL", m, false);
        if (m == 0xFF)
            set_pseudo(dis_pick_pseudo(nt, "PSL = 0;", "L = 0;", ".L = 0;"));
        else
            set_pseudo(dis_pick_pseudo(nt, "PSL &= ~(%s);", "L &= ~(%s);", ".L &= ~(%s);"), plain);
        psl_mask_comments(m, MASK_CLEAR);
        dis_cc_context = DIS_CTX_UNKNOWN;
    } else if (opcode == 0x77) { // PPSL
        if (calm && single >= 0) {
            std::snprintf(text, sizeof text, "SET      %s", flag_words[single]);
            set_line("%s", text);
        } else if (nt == NOTATION_OLD_CALM)
            set_line("OR       L,#%s", num);
        else if (nt == NOTATION_NEW_CALM)
            set_line("OR       #%s,PSL", num);
        else if (nt == NOTATION_IEEE)
            set_line(m == 0x01 ? "SETC" : m == 0x04 ? "SETV" : "OR     .L,#%s", num);
        else
            signetics_mask("PPSL", m, false);
        if (m == 0xFF)
            set_pseudo(dis_pick_pseudo(nt, "PSL = $FF;", "L = $FF;", ".L = $FF;"));
        else
            set_pseudo(dis_pick_pseudo(nt, "PSL |= %s;", "L |= %s;", ".L |= %s;"), plain);
        psl_mask_comments(m, MASK_SET);
        dis_cc_context = DIS_CTX_UNKNOWN;
    } else { // TPSL
        if (calm && single >= 0) {
            std::snprintf(text, sizeof text, "TEST     %s", flag_words[single]);
            set_line("%s", text);
        } else if (nt == NOTATION_OLD_CALM)
            set_line("TEST     L,#%s", num);
        else if (nt == NOTATION_NEW_CALM)
            set_line("TEST     PSL:#%s", num);
        else if (nt == NOTATION_IEEE)
            set_line("TEST   .L,#%s", num);
        else
            signetics_mask("TPSL", m, false);
        set_pseudo(dis_pick_pseudo(nt, "CC = (PSL & %s == %s) ? EQ : LT;",
                                   "CC = (L & %s == %s) ? EQ : LT;",
                                   ".CC = (.L & %s == %s) ? EQ : LT;"),
                   plain, plain);
        psl_mask_comments(m, MASK_TEST);
    }
}

bool dis_status_instruction(u8 opcode, u8 b1) {
    nt = dis_notation_index();
    switch (opcode) {
    case 0x10:
    case 0x11:
        if (cpu_type == CPU_2650) return false; // data bytes on the 2650/2650A
        status_memory(opcode);
        return true;
    case 0x12:
    case 0x13:
    case 0x92:
    case 0x93:
        status_copy(opcode);
        return true;
    case 0x74:
    case 0x76:
    case 0xB4:
        status_upper_mask(opcode, b1);
        return true;
    case 0x75:
    case 0x77:
    case 0xB5:
        status_lower_mask(opcode, b1);
        return true;
    default:
        return false;
    }
}
