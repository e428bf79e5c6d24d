// Lengths, durations, names and prefixes of the 2650 opcode tables, and their
// adaptation to the 2650 or the 2650B. The opcode texts of each notation live
// in optables_signetics.cpp, optables_calm.cpp and optables_ieee.cpp.
#include "cpu/optables.h"

#include "cpu/dbg_hooks.h"

#include <cstring>
#include <initializer_list>

u32 dis_notation = NOTATION_SIGNETICS;

u32 op_length[256];
u32 op_cycles[256];
OpcodeText op_text[NOTATIONS][256];

// Lengths as the tables start out. Each line is one high nibble; the groups of
// four are the register, immediate, relative and absolute slots.
static const u32 fixed_length[256] = {
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $0 LODZ LODI LODR LODA
    3, 3, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, // $1 LDPL STPL SPSx RETC BCTR BCTA
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $2 EOR
    1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, // $3 REDC RETE BSTR BSTA
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $4 AND (HALT)
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $5 RRR REDE BRNR BRNA
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $6 IOR
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $7 REDD CPSx PPSx BSNR BSNA
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $8 ADD
    1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, // $9 LPSx DAR BCFR BCFA
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $A SUB
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $B WRTC TPSx BSFR BSFA
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $C STR (NOP)
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $D RRL WRTE BIRR BIRA
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $E COM
    1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, // $F WRTD TMI BDRR BDRA
};

// Durations in clock periods as the tables start out.
static const u32 fixed_cycles[256] = {
    6,  6,  6, 6, 6, 6, 6, 6, 9, 9, 9, 9, 12, 12, 12, 12, // $0
    12, 12, 6, 6, 9, 9, 9, 9, 9, 9, 9, 9, 9,  9,  9,  9,  // $1
    6,  6,  6, 6, 6, 6, 6, 6, 9, 9, 9, 9, 12, 12, 12, 12, // $2
    6,  6,  6, 6, 9, 9, 9, 9, 9, 9, 9, 9, 9,  9,  9,  9,  // $3
    3,  6,  6, 6, 6, 6, 6, 6, 9, 9, 9, 9, 12, 12, 12, 12, // $4
    6,  6,  6, 6, 9, 9, 9, 9, 9, 9, 9, 9, 9,  9,  9,  9,  // $5
    6,  6,  6, 6, 6, 6, 6, 6, 9, 9, 9, 9, 12, 12, 12, 12, // $6
    6,  6,  6, 6, 9, 9, 9, 9, 9, 9, 9, 9, 9,  9,  9,  9,  // $7
    6,  6,  6, 6, 6, 6, 6, 6, 9, 9, 9, 9, 12, 12, 12, 12, // $8
    6,  6,  6, 6, 9, 9, 9, 9, 9, 9, 9, 9, 9,  9,  9,  9,  // $9
    6,  6,  6, 6, 6, 6, 6, 6, 9, 9, 9, 9, 12, 12, 12, 12, // $A
    6,  6,  6, 6, 9, 9, 6, 6, 9, 9, 9, 9, 9,  9,  9,  9,  // $B
    6,  6,  6, 6, 6, 6, 6, 6, 9, 9, 9, 9, 12, 12, 12, 12, // $C
    6,  6,  6, 6, 9, 9, 9, 9, 9, 9, 9, 9, 9,  9,  9,  9,  // $D
    6,  6,  6, 6, 6, 6, 6, 6, 9, 9, 9, 9, 12, 12, 12, 12, // $E
    6,  6,  6, 6, 9, 9, 9, 9, 9, 9, 9, 9, 9,  9,  9,  9,  // $F
};

const char* const reg_names[REGNAME_ROWS][10] = {
    {"r0", "r0", "A", "r0", ".0", "Register 0", "Register 0", "Register A", "Register 0",
     "Register 0"},
    {"r1", "r1", "B", "r1", ".1", "Register 1", "Register 1", "Register B", "Register 1",
     "Register 1"},
    {"r2", "r2", "C", "r2", ".2", "Register 2", "Register 2", "Register C", "Register 2",
     "Register 2"},
    {"r3", "r3", "D", "r3", ".3", "Register 3", "Register 3", "Register D", "Register 3",
     "Register 3"},
    {"r4", "r4", "B'", "r4", ".4", "Register 4", "Register 4", "Register B'", "Register 4",
     "Register 4"},
    {"r5", "r5", "C'", "r5", ".5", "Register 5", "Register 5", "Register C'", "Register 5",
     "Register 5"},
    {"r6", "r6", "D'", "r6", ".6", "Register 6", "Register 6", "Register D'", "Register 6",
     "Register 6"},
#define RAS_ROW(n)                                                                                 \
    {                                                                                              \
        "RAS" #n, "RAS" #n, "RAS" #n, "RAS" #n, ".RAS" #n, "Return Address Stack #" #n,            \
            "Return Address Stack #" #n, "Return Address Stack #" #n, "Return Address Stack #" #n, \
            "Return Address Stack #" #n                                                            \
    }
    RAS_ROW(0),
    RAS_ROW(1),
    RAS_ROW(2),
    RAS_ROW(3),
    RAS_ROW(4),
    RAS_ROW(5),
    RAS_ROW(6),
    RAS_ROW(7),
#undef RAS_ROW
    {"S", "S", "INPUT", "INPUT", ".S", "Sense", "Sense", "Input", "Input", "Sense"},
    {"F", "F", "OUTPUT", "OUTPUT", ".F", "Flag", "Flag", "Output", "Output", "Flag"},
    {"II", "II", "IOF", "IOF", ".I", "Interrupt Inhibit", "Interrupt Inhibit", "Interrupt Off",
     "Interrupt Off", "Interrupt Inhibit"},
    {"UF1", "UF1", "UF1", "UF1", ".UF1", "User Flag #1", "User Flag #1", "User Flag #1",
     "User Flag #1", "User Flag #1"},
    {"UF2", "UF2", "UF2", "UF2", ".UF2", "User Flag #2", "User Flag #2", "User Flag #2",
     "User Flag #2", "User Flag #2"},
    {"SP", "SP", "STACK", "SP", ".SP", "Stack Pointer", "Stack Pointer", "Stack Pointer",
     "Stack Pointer", "Stack Pointer"},
    {"CC", "CC", "CC", "CC", ".CC", "Condition Code", "Condition Code", "Condition Code",
     "Condition Code", "Condition Code"},
    {"IDC", "IDC", "HALFCARRY", "HALFCARRY", ".IDC", "Inter-Digit Carry", "Inter-Digit Carry",
     "Half Carry", "Half Carry", "Inter-Digit Carry"},
    {"RS", "RS", "BANK1", "BANK1", ".RS", "Register Select", "Register Select", "Register Bank",
     "Register Bank", "Register Select"},
    {"WC", "WC", "WITHCARRY", "WITHCARRY", ".WC", "With Carry", "With Carry", "With Carry",
     "With Carry", "With Carry"},
    {"OVF", "OVF", "OVERFLOW", "OVERFLOW", ".V", "Overflow", "Overflow", "Overflow", "Overflow",
     "Overflow"},
    {"COM", "COM", "LOGICOMP", "LOGICOMP", ".COM", "Compare", "Compare", "Logical Compare",
     "Logical Compare", "Compare"},
    {"C", "C", "CARRY", "CARRY", ".C", "Carry", "Carry", "Carry", "Carry", "Carry"},
    {"IAR", "IAR", "PC", "PC", ".PC", "Instruction Address Register",
     "Instruction Address Register", "Program Counter", "Program Counter", "Program Counter"},
    {"Opcode", "Opcode", "Opcode", "Opcode", "Opcode", "Operation Code", "Operation Code",
     "Operation Code", "Operation Code", "Operation Code"},
};

const char* const register_names[REGISTER_ROWS][NOTATIONS] = {
    {"R0", "R0", "A", "R0", ".0"},
    {"R1", "R1", "B", "R1", ".1"},
    {"R2", "R2", "C", "R2", ".2"},
    {"R3", "R3", "D", "R3", ".3"},
    {"R4", "R4", "B'", "R4", ".4"},
    {"R5", "R5", "C'", "R5", ".5"},
    {"R6", "R6", "D'", "R6", ".6"},
    {"PSU", "PSU", "U", "PSU", ".U"},
    {"PSL", "PSL", "L", "PSL", ".L"},
    {"SP", "SP", "STACK", "SP", ".SP"},
    {"CC", "CC", "CC", "CC", ".CC"},
    {"IAR", "IAR", "PC", "PC", ".PC"},
#define RAS_NAMES(n)                                                                               \
    { "RAS" #n, "RAS" #n, "RAS" #n, "RAS" #n, ".RAS" #n }
    RAS_NAMES(0),
    RAS_NAMES(1),
    RAS_NAMES(2),
    RAS_NAMES(3),
    RAS_NAMES(4),
    RAS_NAMES(5),
    RAS_NAMES(6),
    RAS_NAMES(7),
#undef RAS_NAMES
};

const char ascii_control_names[32][4] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

// Bits 0-6 of the operand byte, sign-extended from bit 6; bit 7 is the
// indirect flag and takes no part.
static constexpr i32 rel_offset(u32 b) {
    const i32 d = static_cast<i32>(b & 0x7F);
    return d < 64 ? d : d - 128;
}

#define REL4(b) rel_offset(b), rel_offset(b + 1), rel_offset(b + 2), rel_offset(b + 3)
#define REL16(b) REL4(b), REL4(b + 4), REL4(b + 8), REL4(b + 12)
#define REL64(b) REL16(b), REL16(b + 16), REL16(b + 32), REL16(b + 48)
const i32 rel_offset_table[256] = {REL64(0), REL64(64), REL64(128), REL64(192)};
#undef REL64
#undef REL16
#undef REL4

const char* const dis_hex_prefix[NOTATIONS] = {"$", "$", "16'", "16'", "H'"};
const char* const dis_binary_prefix[NOTATIONS] = {"%", "%", "2'", "2'", "B'"};

// The texts that change with the processor variant, per notation.

// Flag lists of SPSU/TPSU (read) and CPSU/PPSU/LPSU (written), and the
// pseudo-code of CPSU, PPSU and LPSU.
struct PsuTexts {
    const char* flags_read;
    const char* flags_written;
    const char* cpsu;
    const char* ppsu;
    const char* lpsu;
};

// The 2650 has no user flags: lists without UF1/UF2, mask %01100111.
static const PsuTexts psu_2650[NOTATIONS] = {
    {"S, F, II, SP", "F, II, SP", "PSU &= ~($vv & %01100111);", "PSU |= $vv & %01100111;",
     "PSU = (r0 & %01100111);"},
    {"S, F, II, SP", "F, II, SP", "PSU &= ~($vv & %01100111);", "PSU |= $vv & %01100111;",
     "PSU = (r0 & %01100111);"},
    {"INPUT, OUTPUT, IOF, STACK", "OUTPUT, IOF, STACK", "U &= ~(imm & %01100111);",
     "U |= imm & %01100111;", "U = (A & %01100111);"},
    {"INPUT, OUTPUT, IOF, SP", "OUTPUT, IOF, SP", "PSU &= ~(imm & %01100111);",
     "PSU |= imm & %01100111;", "PSU = (r0 & %01100111);"},
    {"INPUT, OUTPUT, I, STACK", "OUTPUT, I, STACK", ".U &= ~(imm & %01100111);",
     ".U |= imm & %01100111;", ".U = (.0 & %01100111);"},
};

// The 2650B writes UF1 and UF2 too: mask %01111111.
static const PsuTexts psu_2650b[NOTATIONS] = {
    {"S, F, II, UF1, UF2, SP", "F, II, UF1, UF2, SP", "PSU &= ~($vv & %01111111);",
     "PSU |= $vv & %01111111;", "PSU = (r0 & %01111111);"},
    {"S, F, II, UF1, UF2, SP", "F, II, UF1, UF2, SP", "PSU &= ~($vv & %01111111);",
     "PSU |= $vv & %01111111;", "PSU = (r0 & %01111111);"},
    {"INPUT, OUTPUT, IOF, UF1, UF2, STACK", "OUTPUT, IOF, UF1, UF2, STACK",
     "U &= ~(imm & %01111111);", "U |= imm & %01111111;", "U = (A & %01111111);"},
    {"INPUT, OUTPUT, IOF, UF1, UF2, SP", "OUTPUT, IOF, UF1, UF2, SP", "PSU &= ~(imm & %01111111);",
     "PSU |= imm & %01111111;", "PSU = (r0 & %01111111);"},
    {"INPUT, OUTPUT, I, UF1, UF2, STACK", "OUTPUT, I, UF1, UF2, STACK", ".U &= ~(imm & %01111111);",
     ".U |= imm & %01111111;", ".U = (.0 & %01111111);"},
};

// LDPL ($10) and STPL ($11) exist on the 2650B only.
struct PslTexts {
    const char* ldpl_mnemonic;
    const char* ldpl_operands;
    const char* ldpl_pseudocode;
    const char* ldpl_long_name;
    const char* ldpl_flags_written;
    const char* ldpl_cc_effect;
    const char* stpl_mnemonic;
    const char* stpl_operands;
    const char* stpl_pseudocode;
    const char* stpl_long_name;
    const char* stpl_flags_read;
};

static const PslTexts psl_2650b[NOTATIONS] = {
    {"LDPL", "$aaaa", "PSL = *($aaaa);", "Load Program Status, Lower, Absolute",
     "CC, IDC, RS, WC, OVF, COM, C", "CC = (*($aaaa) & $C0) >> 6;", "STPL", "$aaaa",
     "*($aaaa) = PSL;", "Store Program Status, Lower, Absolute", "CC, IDC, RS, WC, OVF, COM, C"},
    {"LDPL", "$aaaa", "PSL = *($aaaa);", "Load Program Status, Lower, Absolute",
     "CC, IDC, RS, WC, OVF, COM, C", "CC = (*($aaaa) & $C0) >> 6;", "STPL", "$aaaa",
     "*($aaaa) = PSL;", "Store Program Status, Lower, Absolute", "CC, IDC, RS, WC, OVF, COM, C"},
    {"LOAD L", ",abs", "L = *(abs);", "Load L with *(abs)", "CC, H, B, W, V, LOGICOMP, C",
     "CC = (*(abs) & $C0) >> 6;", "LOAD L", "LOAD abs,L", "*(abs) = L;", "Load *(abs) with L",
     "CC, H, B, W, V, LOGICOMP, C"},
    {"MOVE U^abs,PSL", "", "PSL = *(abs);", "Load PSL with *(abs)", "CC, H, B, W, V, LOGICOMP, C",
     "CC = (*(abs) & $C0) >> 6;", "MOVE PSL,U^abs", "", "*(abs) = PSL;", "Load *(abs) with PSL",
     "CC, H, B, W, V, LOGICOMP, C"},
    {"LD .L", ",/abs", ".L = *(abs);", "Load .L with *(abs)", "CC, H, B, W, V, LOGICOMP, C",
     ".CC = (*(abs) & $C0) >> 6;", "ST .L", ",/abs", "*(abs) = .L;", "Store .L into *(abs)",
     "CC, H, B, W, V, LOGICOMP, C"},
};

static const OpcodeText* const fixed_rows[NOTATIONS] = {
    op_text_signetics, op_text_extended, op_text_old_calm, op_text_new_calm, op_text_ieee,
};

void cpu_reset_op_tables() {
    std::memcpy(op_length, fixed_length, sizeof op_length);
    std::memcpy(op_cycles, fixed_cycles, sizeof op_cycles);
    for (u32 n = 0; n < NOTATIONS; n++)
        for (u32 op = 0; op < 256; op++)
            op_text[n][op] = fixed_rows[n][op];
}

// Start with the fixed contents before anything reads the tables.
[[maybe_unused]] static const bool op_tables_ready = (cpu_reset_op_tables(), true);

// The register-zero forms: $x0-$x3 for every even high nibble x.
static void set_register_zero_cycles(u32 periods) {
    for (u32 hi = 0x00; hi < 0x100; hi += 0x20)
        for (u32 r = 0; r < 4; r++)
            op_cycles[hi + r] = periods;
}

static void set_psu_texts(OpcodeText* rows, const PsuTexts& t) {
    rows[0x12].flags_read = t.flags_read; // SPSU
    rows[0xB4].flags_read = t.flags_read; // TPSU
    rows[0x74].flags_written = t.flags_written;
    rows[0x74].pseudocode = t.cpsu;
    rows[0x76].flags_written = t.flags_written;
    rows[0x76].pseudocode = t.ppsu;
    rows[0x92].flags_written = t.flags_written;
    rows[0x92].pseudocode = t.lpsu;
}

void cpu_apply_type_tables() {
    const u32 n = dis_notation < NOTATIONS ? dis_notation : NOTATION_SIGNETICS;
    OpcodeText* rows = op_text[n];
    OpcodeText& ldpl = rows[0x10];
    OpcodeText& stpl = rows[0x11];

    if (cpu_type != CPU_2650) {
        set_register_zero_cycles(3);
        op_length[0x10] = op_length[0x11] = 3;
        op_cycles[0x10] = op_cycles[0x11] = 12;

        const PslTexts& t = psl_2650b[n];
        ldpl.mnemonic = t.ldpl_mnemonic;
        ldpl.operands = t.ldpl_operands;
        ldpl.pseudocode = t.ldpl_pseudocode;
        ldpl.long_name = t.ldpl_long_name;
        ldpl.flags_written = t.ldpl_flags_written;
        ldpl.cc_effect = t.ldpl_cc_effect;
        stpl.mnemonic = t.stpl_mnemonic;
        stpl.operands = t.stpl_operands;
        stpl.pseudocode = t.stpl_pseudocode;
        stpl.long_name = t.stpl_long_name;
        stpl.flags_read = t.stpl_flags_read;
        set_psu_texts(rows, psu_2650b[n]);
        return;
    }

    cpu_psu &= static_cast<u8>(~(PSU_UF1 | PSU_UF2));
    set_register_zero_cycles(6);
    op_cycles[0x10] = op_cycles[0x11] = 6;
    op_length[0x11] = 1;
    // Some boards treat $10 as a three-byte instruction.
    op_length[0x10] = cpu_debug_hooks->opcode_10_three_bytes ? 3 : 1;

    for (OpcodeText* row : {&ldpl, &stpl}) {
        row->mnemonic = "-------";
        row->operands = "";
        row->pseudocode = "?";
        row->long_name = "-";
    }
    ldpl.flags_written = "None";
    ldpl.cc_effect = "Undefined";
    stpl.flags_read = "None";
    set_psu_texts(rows, psu_2650[n]);
}
