// Opcode texts in the IEEE-694 notation (4): registers .0-.3, status bytes .U
// and .L, condition code .CC.
//
// Placeholders in the templates: "#imm", "#~imm", "$rel", "/abs", "port",
// "!zero", "/abs(.3)", "CTRL", "DATA". Pseudo-code names the operands imm,
// rel, abs, port and zero.
#include "cpu/optables_internal.h"

#define CC_NAME ".CC"
#define FLAG_IDC "H"
#define FLAG_RS "B"
#define FLAG_WC "W"
#define FLAG_OVF "V"
#define FLAG_COM "LOGICOMP"
#define FLAG_II "IOF"
#define SP_WORD "STACK"
#define RETI_ACT "{ .U &= ~.I; return; }"

#define PSU_ALL "INPUT, OUTPUT, I, UF1, UF2, STACK"
#define PSU_WRITES "OUTPUT, I, UF1, UF2, STACK"

#define LN_LOD(r, x) "Load " r " with " x
#define LN_EOR(r, x) "XOR " r " and " x ", result in " r
#define LN_AND(r, x) "AND " r " and " x ", result in " r
#define LN_IOR(r, x) "OR " r " and " x ", result in " r
#define LN_ADD(r, x) "Add " r " and " x ", result in " r
#define LN_SUB(r, x) "Subtract " x " from " r ", result in " r
#define LN_STR(r, x) "Store " r " into " x
#define LN_COM(r, x) "Compare " r " with " x

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

#define FROW(F, mn, ops, r, x, n) FAMILY_ROW(F, mn, ops, r, x, LN_##F(r, x), n)
#define Z_ROW(F, n) FROW(F, WZ_##F " .0,." #n, "", ".0", "." #n, n)
#define I_ROW(F, n) FROW(F, WM_##F " ." #n, ",#imm", "." #n, "imm", n)
#define R_ROW(F, n) FROW(F, WM_##F " ." #n, ",$rel", "." #n, "*(rel)", n)
#define A_ROW(F, n) FROW(F, WM_##F " ." #n, ",/abs", "." #n, "*(abs)", n)
#define IRA(F) X4(I_ROW, F), X4(R_ROW, F), X4(A_ROW, F)
#define STZ_ROW(n) FROW(STR, "MOV ." #n ",.0", "", ".0", "." #n, n)

#define REDC(n) READ_ROW("IN ." #n ",CTRL", "", "." #n, "CTRL", "Input ." #n " from CTRL", n)
#define REDD(n) READ_ROW("IN ." #n ",DATA", "", "." #n, "DATA", "Input ." #n " from DATA", n)
#define REDE(n) READ_ROW("LD ." #n, ",port", "." #n, "port", "Load ." #n " with port", n)
#define WRTC(n) WRITE_ROW("OUT ." #n ",CTRL", "", "." #n, "CTRL", "Output ." #n " to CTRL", n)
#define WRTD(n) WRITE_ROW("OUT ." #n ",DATA", "", "." #n, "DATA", "Output ." #n " to DATA", n)
#define WRTE(n) WRITE_ROW("OUT ." #n, ",port", "." #n, "port", "Output ." #n " to port", n)
#define RRR(n) ROTATE_RIGHT_ROW("ROR ." #n, "." #n, "Rotate ." #n " right", n)
#define RRL(n) ROTATE_LEFT_ROW("ROL ." #n, "." #n, "Rotate ." #n " left", n)
#define DAR(n) DECIMAL_ADJUST_ROW("ADJ ." #n, "." #n, "Decimal adjust", n)
#define TMI(n) TEST_MASK_ROW("TEST ." #n, ",#imm", "." #n, "imm", "Test bits", n)
#define LOOP(mn, ops, test, act, ln, rd, wr, n) LOOP_ROW(mn, ops, test, "." #n, act, ln, rd, wr)
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
    LOOP("BNZ", "." #n ",$rel", "", "goto rel", "Branch if ." #n " not zero", RS_##n, "None", n)
#define BNZ_A(n)                                                                                   \
    LOOP("BNZ", "." #n ",/abs", "", "goto abs", "Branch if ." #n " not zero", RS_##n, "None", n)

#define UNDEFINED UNDEFINED_ROW("--------")

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
