// Opcode texts in the IEEE-694 notation (4): registers .0-.3, status bytes .U
// and .L, condition code .CC.
//
// Placeholders in the templates: "#imm", "#~imm", "$rel", "/abs", "port",
// "!zero", "/abs(.3)", "CTRL", "DATA". Pseudo-code names the operands imm,
// rel, abs, port and zero.
#include "cpu/optables.h"

// Flags read by a register operand: only .1-.3 depend on the bank bit.
#define RS_0 "None"
#define RS_1 "B"
#define RS_2 "B"
#define RS_3 "B"
#define RSWCC_0 "W, C"
#define RSWCC_1 "B, W, C"
#define RSWCC_2 "B, W, C"
#define RSWCC_3 "B, W, C"
#define RSCOM_0 "LOGICOMP"
#define RSCOM_1 "B, LOGICOMP"
#define RSCOM_2 "B, LOGICOMP"
#define RSCOM_3 "B, LOGICOMP"
#define RSDAR_0 "H, C"
#define RSDAR_1 "H, B, C"
#define RSDAR_2 "H, B, C"
#define RSDAR_3 "H, B, C"
#define RSSP_0 "STACK"
#define RSSP_1 "STACK, B"
#define RSSP_2 "STACK, B"
#define RSSP_3 "STACK, B"

#define PSU_ALL "INPUT, OUTPUT, I, UF1, UF2, STACK"
#define PSU_WRITES "OUTPUT, I, UF1, UF2, STACK"
#define PSL_ALL "CC, H, B, W, V, LOGICOMP, C"
#define ARITH_WRITES "CC, H, V, C"

#define SIGN_CC(r) "if (" r " & $80) .CC = LT; elif (" r " == 0) .CC = EQ; else .CC = GT;"
#define CMP_CC(a, b) "if (" a " > " b ") .CC = GT; elif (" a " < " b ") .CC = LT; else .CC = EQ;"
#define MASK_CC(v, m) "if ((" v " & " m ") == " m ") .CC = EQ; else .CC = LT;"

// The eight families with register, immediate, relative and absolute forms.
#define P_LOD(r, x) r " = " x ";"
#define P_EOR(r, x) r " ^= " x ";"
#define P_AND(r, x) r " &= " x ";"
#define P_IOR(r, x) r " |= " x ";"
#define P_ADD(r, x) r " += " x ";"
#define P_SUB(r, x) r " -= " x ";"
#define P_STR(r, x) x " = " r ";"
#define P_COM(r, x) "compare(" r ", " x ");"
#define LN_LOD(r, x) "Load " r " with " x
#define LN_EOR(r, x) "XOR " r " and " x ", result in " r
#define LN_AND(r, x) "AND " r " and " x ", result in " r
#define LN_IOR(r, x) "OR " r " and " x ", result in " r
#define LN_ADD(r, x) "Add " r " and " x ", result in " r
#define LN_SUB(r, x) "Subtract " x " from " r ", result in " r
#define LN_STR(r, x) "Store " r " into " x
#define LN_COM(r, x) "Compare " r " with " x
#define RD_LOD(n) RS_##n
#define RD_EOR(n) RS_##n
#define RD_AND(n) RS_##n
#define RD_IOR(n) RS_##n
#define RD_ADD(n) RSWCC_##n
#define RD_SUB(n) RSWCC_##n
#define RD_STR(n) RS_##n
#define RD_COM(n) RSCOM_##n
#define WR_LOD "CC"
#define WR_EOR "CC"
#define WR_AND "CC"
#define WR_IOR "CC"
#define WR_ADD ARITH_WRITES
#define WR_SUB ARITH_WRITES
#define WR_STR "None"
#define WR_COM "CC"
#define CC_LOD(r, x) SIGN_CC(r)
#define CC_EOR(r, x) SIGN_CC(r)
#define CC_AND(r, x) SIGN_CC(r)
#define CC_IOR(r, x) SIGN_CC(r)
#define CC_ADD(r, x) SIGN_CC(r)
#define CC_SUB(r, x) SIGN_CC(r)
#define CC_STR(r, x) "Unchanged"
#define CC_COM(r, x) CMP_CC(r, x)

// Register forms use the family's register word, memory forms its load word.
#define WZ_LOD "MOV"
#define WZ_EOR "XOR"
#define WZ_AND "AND"
#define WZ_IOR "OR"
#define WZ_ADD "ADD"
#define WZ_SUB "SUB"
#define WZ_COM "COMP"
#define WM_LOD "LD"
#define WM_EOR "XOR"
#define WM_AND "AND"
#define WM_IOR "OR"
#define WM_ADD "ADD"
#define WM_SUB "SUB"
#define WM_COM "COMP"
#define WM_STR "ST"

#define FROW(F, mn, ops, r, x, n)                                                                  \
    { mn, ops, P_##F(r, x), LN_##F(r, x), RD_##F(n), WR_##F, CC_##F(r, x) }
#define Z_ROW(F, n) FROW(F, WZ_##F " .0,." #n, "", ".0", "." #n, n)
#define I_ROW(F, n) FROW(F, WM_##F " ." #n, ",#imm", "." #n, "imm", n)
#define R_ROW(F, n) FROW(F, WM_##F " ." #n, ",$rel", "." #n, "*(rel)", n)
#define A_ROW(F, n) FROW(F, WM_##F " ." #n, ",/abs", "." #n, "*(abs)", n)
#define X4(FORM, F) FORM(F, 0), FORM(F, 1), FORM(F, 2), FORM(F, 3)
#define IRA(F) X4(I_ROW, F), X4(R_ROW, F), X4(A_ROW, F)
#define STZ_ROW(n) FROW(STR, "MOV ." #n ",.0", "", ".0", "." #n, n)

#define ALL4(M) M(0), M(1), M(2), M(3)
#define REDC(n)                                                                                    \
    {                                                                                              \
        "IN ." #n ",CTRL", "", "." #n " = IOPORT(CTRL);", "Input ." #n " from CTRL", RS_##n, "CC", \
            SIGN_CC("." #n)                                                                        \
    }
#define REDD(n)                                                                                    \
    {                                                                                              \
        "IN ." #n ",DATA", "", "." #n " = IOPORT(DATA);", "Input ." #n " from DATA", RS_##n, "CC", \
            SIGN_CC("." #n)                                                                        \
    }
#define REDE(n)                                                                                    \
    {                                                                                              \
        "LD ." #n, ",port", "." #n " = IOPORT(port);", "Load ." #n " with port", RS_##n, "CC",     \
            SIGN_CC("." #n)                                                                        \
    }
#define WRTC(n)                                                                                    \
    {                                                                                              \
        "OUT ." #n ",CTRL", "", "IOPORT(CTRL) = ." #n ";", "Output ." #n " to CTRL", RS_##n,       \
            "None", "Unchanged"                                                                    \
    }
#define WRTD(n)                                                                                    \
    {                                                                                              \
        "OUT ." #n ",DATA", "", "IOPORT(DATA) = ." #n ";", "Output ." #n " to DATA", RS_##n,       \
            "None", "Unchanged"                                                                    \
    }
#define WRTE(n)                                                                                    \
    {                                                                                              \
        "OUT ." #n, ",port", "IOPORT(port) = ." #n ";", "Output ." #n " to port", RS_##n, "None",  \
            "Unchanged"                                                                            \
    }
#define RRR(n)                                                                                     \
    {                                                                                              \
        "ROR ." #n, "", "." #n " = (." #n " >> 1) | (." #n " << 7);", "Rotate ." #n " right",      \
            RSWCC_##n, ARITH_WRITES, SIGN_CC("." #n)                                               \
    }
#define RRL(n)                                                                                     \
    {                                                                                              \
        "ROL ." #n, "", "." #n " = (." #n " << 1) | (." #n " >> 7);", "Rotate ." #n " left",       \
            RSWCC_##n, ARITH_WRITES, SIGN_CC("." #n)                                               \
    }
#define DAR(n)                                                                                     \
    {                                                                                              \
        "ADJ ." #n, "", "." #n " = BCD_ADJUST(." #n ");", "Decimal adjust", RSDAR_##n, "CC",       \
            "Meaningless"                                                                          \
    }
#define TMI(n)                                                                                     \
    {                                                                                              \
        "TEST ." #n, ",#imm", MASK_CC("." #n, "imm"), "Test bits", RS_##n, "CC",                   \
            MASK_CC("." #n, "imm")                                                                 \
    }
#define LOOP(mn, ops, test, act, ln, rd, wr, n)                                                    \
    { mn, ops, "if (" test "." #n " != 0) " act ";", ln, rd, wr, "Unchanged" }
#define BSNR(n)                                                                                    \
    LOOP("CALLNZ ." #n, ",$rel", "", "gosub rel", "Call if ." #n " not zero", RSSP_##n, "STACK", n)
#define BSNA(n)                                                                                    \
    LOOP("CALLNZ ." #n, ",/abs", "", "gosub abs", "Call if ." #n " not zero", RSSP_##n, "STACK", n)
#define BIRR(n)                                                                                    \
    LOOP("IBNZ ." #n, ",$rel", "++", "goto rel", "Increment ." #n ", branch if not zero", RS_##n,  \
         "None", n)
#define BIRA(n)                                                                                    \
    LOOP("IBNZ ." #n, ",/abs", "++", "goto abs", "Increment ." #n ", branch if not zero", RS_##n,  \
         "None", n)
#define BDRR(n)                                                                                    \
    LOOP("DBNZ ." #n, ",$rel", "--", "goto rel", "Decrement ." #n ", branch if not zero", RS_##n,  \
         "None", n)
#define BDRA(n)                                                                                    \
    LOOP("DBNZ ." #n, ",/abs", "--", "goto abs", "Decrement ." #n ", branch if not zero", RS_##n,  \
         "None", n)
// BRNR and BRNA put the register into the template: "BNZ" + ".1,$rel".
#define BNZ_R(n)                                                                                   \
    {                                                                                              \
        "BNZ", "." #n ",$rel", "if (." #n " != 0) goto rel;", "Branch if ." #n " not zero",        \
            RS_##n, "None", "Unchanged"                                                            \
    }
#define BNZ_A(n)                                                                                   \
    {                                                                                              \
        "BNZ", "." #n ",/abs", "if (." #n " != 0) goto abs;", "Branch if ." #n " not zero",        \
            RS_##n, "None", "Unchanged"                                                            \
    }

#define UNDEFINED                                                                                  \
    { "--------", "", "?", "-", "None", "None", "Undefined" }

#define T_EQ "if .CC == EQ then "
#define T_GT "if .CC == GT then "
#define T_LT "if .CC == LT then "
#define F_EQ "if .CC != EQ then "
#define F_GT "if .CC != GT then "
#define F_LT "if .CC != LT then "

#define RET_ROW(mn, cond, ln, rd)                                                                  \
    { mn, "", cond "return;", ln, rd, "STACK", "Unchanged" }
#define RETI_ROW(mn, cond, ln, rd)                                                                 \
    { mn, "", cond "{ .U &= ~.I; return; }", ln, rd, "IOF, STACK", "Unchanged" }
#define JUMP_ROW(mn, ops, cond, x, ln, rd)                                                         \
    { mn, ops, cond "goto " x ";", ln, rd, "None", "Unchanged" }
#define CALL_ROW(mn, ops, cond, x, ln, rd)                                                         \
    { mn, ops, cond "gosub " x ";", ln, rd, "STACK", "Unchanged" }

const OpcodeText op_text_ieee[256] = {
    // $0
    X4(Z_ROW, LOD),
    IRA(LOD),
    // $1
    {"LD .L", ",/abs", ".L = *(abs);", "Load .L with *(abs)", "None", PSL_ALL,
     ".CC = (*(abs) & $C0) >> 6;"},
    {"ST .L", ",/abs", "*(abs) = .L;", "Store .L in *(abs)", PSL_ALL, "None", "Undefined"},
    {"MOV .0,.U", "", ".0 = .U;", "Load .0 with .U", PSU_ALL, "CC", SIGN_CC(".0")},
    {"MOV .0,.L", "", ".0 = .L;", "Load .0 with .L", PSL_ALL, "CC", SIGN_CC(".0")},
    RET_ROW("RETEQ", T_EQ, "Return if EQ true", "STACK, CC"),
    RET_ROW("RETGT", T_GT, "Return if GT true", "STACK, CC"),
    RET_ROW("RETLT", T_LT, "Return if LT true", "STACK, CC"),
    RET_ROW("RET", "", "Return always", "STACK"),
    JUMP_ROW("BEQ", " $rel", T_EQ, "rel", "Branch if EQ true", "CC"),
    JUMP_ROW("BGT", " $rel", T_GT, "rel", "Branch if GT true", "CC"),
    JUMP_ROW("BLT", " $rel", T_LT, "rel", "Branch if LT true", "CC"),
    JUMP_ROW("BR", " $rel", "", "rel", "Branch always", "None"),
    JUMP_ROW("BEQ", " /abs", T_EQ, "abs", "Branch if EQ true", "CC"),
    JUMP_ROW("BGT", " /abs", T_GT, "abs", "Branch if GT true", "CC"),
    JUMP_ROW("BLT", " /abs", T_LT, "abs", "Branch if LT true", "CC"),
    JUMP_ROW("BR", " /abs", "", "abs", "Branch always", "None"),
    // $2
    {"CLR .0", "", ".0 = 0;", "Clear .0", "None", "CC", ".CC = EQ;"},
    Z_ROW(EOR, 1),
    Z_ROW(EOR, 2),
    Z_ROW(EOR, 3),
    IRA(EOR),
    // $3
    ALL4(REDC),
    RETI_ROW("RETIEQ", T_EQ, "Return and clear interrupt mask if EQ true", "STACK, CC"),
    RETI_ROW("RETIGT", T_GT, "Return and clear interrupt mask if GT true", "STACK, CC"),
    RETI_ROW("RETILT", T_LT, "Return and clear interrupt mask if LT true", "STACK, CC"),
    RETI_ROW("RETI", "", "Return and clear interrupt mask always", "STACK"),
    CALL_ROW("CALLEQ", " $rel", T_EQ, "rel", "Call if EQ true", "STACK, CC"),
    CALL_ROW("CALLGT", " $rel", T_GT, "rel", "Call if GT true", "STACK, CC"),
    CALL_ROW("CALLLT", " $rel", T_LT, "rel", "Call if LT true", "STACK, CC"),
    CALL_ROW("CALL", " $rel", "", "rel", "Call always", "STACK"),
    CALL_ROW("CALLEQ", " /abs", T_EQ, "abs", "Call if EQ true", "STACK, CC"),
    CALL_ROW("CALLGT", " /abs", T_GT, "abs", "Call if GT true", "STACK, CC"),
    CALL_ROW("CALLLT", " /abs", T_LT, "abs", "Call if LT true", "STACK, CC"),
    CALL_ROW("CALL", " /abs", "", "abs", "Call always", "STACK"),
    // $4
    {"HALT", "", "halt;", "Halt", "None", "None", "Unchanged"},
    Z_ROW(AND, 1),
    Z_ROW(AND, 2),
    Z_ROW(AND, 3),
    IRA(AND),
    // $5
    ALL4(RRR),
    ALL4(REDE),
    ALL4(BNZ_R),
    ALL4(BNZ_A),
    // $6
    X4(Z_ROW, IOR),
    IRA(IOR),
    // $7
    ALL4(REDD),
    {"AND .U", ",#~imm", ".U &= ~(imm & %01100111);", "Bit clear", "None", PSU_WRITES, "Unchanged"},
    {"AND .L", ",#~imm", ".L &= ~imm;", "Bit clear", "None", PSL_ALL,
     ".CC &= ~((imm & $C0) >> 6);"},
    {"OR .U", ",#imm", ".U |= imm & %01100111;", "Bit set", "None", PSU_WRITES, "Unchanged"},
    {"OR .L", ",#imm", ".L |= imm;", "Bit set", "None", PSL_ALL, ".CC |= (imm & $C0) >> 6;"},
    ALL4(BSNR),
    ALL4(BSNA),
    // $8
    X4(Z_ROW, ADD),
    IRA(ADD),
    // $9
    UNDEFINED,
    UNDEFINED,
    {"MOV .U,.0", "", ".U &= %10000000; .U |= (.0 & %01100111);", "Load .U with .0", "None",
     PSU_WRITES, "Unchanged"},
    {"MOV .L,.0", "", ".L = .0;", "Load .L with .0", "None", PSL_ALL, ".CC = (.0 & $C0) >> 6;"},
    ALL4(DAR),
    JUMP_ROW("BNE", " $rel", F_EQ, "rel", "Branch if NE true", "CC"),
    JUMP_ROW("BLE", " $rel", F_GT, "rel", "Branch if LE true", "CC"),
    JUMP_ROW("BGE", " $rel", F_LT, "rel", "Branch if GE true", "CC"),
    JUMP_ROW("BR", " !zero", "", "zero", "Branch always to page zero", "None"),
    JUMP_ROW("BNE", " /abs", F_EQ, "abs", "Branch if NE true", "CC"),
    JUMP_ROW("BLE", " /abs", F_GT, "abs", "Branch if LE true", "CC"),
    JUMP_ROW("BGE", " /abs", F_LT, "abs", "Branch if GE true", "CC"),
    JUMP_ROW("BR", " /abs(.3)", "", "abs + .3", "Branch always", "B"),
    // $A
    {"SUB .0,.0", "", ".0 = 0;", "Subtract .0 from .0, result in .0", "W, C", ARITH_WRITES,
     SIGN_CC(".0")},
    Z_ROW(SUB, 1),
    Z_ROW(SUB, 2),
    Z_ROW(SUB, 3),
    IRA(SUB),
    // $B
    ALL4(WRTC),
    {"TEST .U", ",#imm", MASK_CC(".U", "imm"), "Test bits", PSU_ALL, "CC", MASK_CC(".U", "imm")},
    {"TEST .L", ",#imm", MASK_CC(".L", "imm"), "Test bits", PSL_ALL, "CC", MASK_CC(".L", "imm")},
    UNDEFINED,
    UNDEFINED,
    CALL_ROW("CALLNE", " $rel", F_EQ, "rel", "Call if NE true", "STACK, CC"),
    CALL_ROW("CALLLE", " $rel", F_GT, "rel", "Call if LE true", "STACK, CC"),
    CALL_ROW("CALLGE", " $rel", F_LT, "rel", "Call if GE true", "STACK, CC"),
    CALL_ROW("CALL", " !zero", "", "zero", "Call always to page zero", "STACK"),
    CALL_ROW("CALLNE", " /abs", F_EQ, "abs", "Call if NE true", "STACK, CC"),
    CALL_ROW("CALLLE", " /abs", F_GT, "abs", "Call if LE true", "STACK, CC"),
    CALL_ROW("CALLGE", " /abs", F_LT, "abs", "Call if GE true", "STACK, CC"),
    {"CALL /abs(.3)", "", "gosub abs + .3;", "Call always", "STACK, B", "STACK", "Unchanged"},
    // $C
    {"NOP", "", ";", "No operation", "None", "None", "Unchanged"},
    STZ_ROW(1),
    STZ_ROW(2),
    STZ_ROW(3),
    UNDEFINED,
    UNDEFINED,
    UNDEFINED,
    UNDEFINED,
    X4(R_ROW, STR),
    X4(A_ROW, STR),
    // $D
    ALL4(RRL),
    ALL4(WRTE),
    ALL4(BIRR),
    ALL4(BIRA),
    // $E
    X4(Z_ROW, COM),
    IRA(COM),
    // $F
    ALL4(WRTD),
    ALL4(TMI),
    ALL4(BDRR),
    ALL4(BDRA),
};
