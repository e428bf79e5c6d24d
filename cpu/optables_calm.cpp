// Opcode texts in the two CALM notations: old CALM (2) with the registers A,
// B, C, D and the status bytes U and L, and new CALM (3) with r0-r3, PSU and
// PSL.
//
// Placeholders in the templates: old CALM "#imm", ".+rel", "abs", "$port",
// " 0+zero", "$CTRL", "$DATA"; new CALM "#imm", "R^rel", "U^abs", "0+zero",
// "U^{r3}+abs", "$port", "$CTRL", "$DATA". Pseudo-code names the operands
// imm, rel, abs and zero.
#include "cpu/optables.h"

// Flags read by a register operand: only r1-r3 depend on the bank bit.
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

#define PSL_ALL "CC, H, B, W, V, LOGICOMP, C"
#define ARITH_WRITES "CC, H, V, C"

#define SIGN_CC(r) "if (" r " & $80) CC = LT; elif (" r " == 0) CC = EQ; else CC = GT;"
#define CMP_CC(a, b) "if (" a " > " b ") CC = GT; elif (" a " < " b ") CC = LT; else CC = EQ;"
#define MASK_CC(v, m) "if ((" v " & " m ") == " m ") CC = EQ; else CC = LT;"

// The eight families with register, immediate, relative and absolute forms.
#define P_LOD(r, x) r " = " x ";"
#define P_EOR(r, x) r " ^= " x ";"
#define P_AND(r, x) r " &= " x ";"
#define P_IOR(r, x) r " |= " x ";"
#define P_ADD(r, x) r " += " x ";"
#define P_SUB(r, x) r " -= " x ";"
#define P_STR(r, x) x " = " r ";"
#define P_COM(r, x) "compare(" r ", " x ");"
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

// Long names, old CALM: "Load A with *(abs)", "Add A and imm, result in A".
#define LN_OC_LOD(r, x) "Load " r " with " x
#define LN_OC_EOR(r, x) "XOR " r " and " x ", result in " r
#define LN_OC_AND(r, x) "AND " r " and " x ", result in " r
#define LN_OC_IOR(r, x) "OR " r " and " x ", result in " r
#define LN_OC_ADD(r, x) "Add " r " and " x ", result in " r
#define LN_OC_SUB(r, x) "Subtract " x " from " r ", result in " r
#define LN_OC_STR(r, x) "Load " x " with " r
#define LN_OC_COM(r, x) "Compare " r " with " x
// Long names, new CALM: "Move *abs into R0".
#define LN_NC_LOD(r, x) "Move " x " into " r
#define LN_NC_EOR(r, x) "XOR " x " into " r
#define LN_NC_AND(r, x) "AND " x " into " r
#define LN_NC_IOR(r, x) "OR " x " into " r
#define LN_NC_ADD(r, x) "Add " x " to " r
#define LN_NC_SUB(r, x) "Subtract " x " from " r
#define LN_NC_STR(r, x) "Move " r " into " x
#define LN_NC_COM(r, x) "Compare " r " with " x

#define FROW(N, F, mn, ops, r, x, lr, lx, n)                                                       \
    { mn, ops, P_##F(r, x), LN_##N##_##F(lr, lx), RD_##F(n), WR_##F, CC_##F(r, x) }

// Old CALM registers and family words.
#define OC_0 "A"
#define OC_1 "B"
#define OC_2 "C"
#define OC_3 "D"
#define W_OC_LOD "LOAD"
#define W_OC_EOR "XOR"
#define W_OC_AND "AND"
#define W_OC_IOR "OR"
#define W_OC_ADD "ADD"
#define W_OC_SUB "SUB"
#define W_OC_COM "COMP"

#define OC_Z(F, n) FROW(OC, F, W_OC_##F " A," OC_##n, "", "A", OC_##n, "A", OC_##n, n)
#define OC_I(F, n) FROW(OC, F, W_OC_##F " " OC_##n, ",#imm", OC_##n, "imm", OC_##n, "imm", n)
#define OC_R(F, n) FROW(OC, F, W_OC_##F " " OC_##n, ",.+rel", OC_##n, "*(rel)", OC_##n, "*(rel)", n)
#define OC_A(F, n) FROW(OC, F, W_OC_##F " " OC_##n, ",abs", OC_##n, "*(abs)", OC_##n, "*(abs)", n)
#define OC_X4(FORM, F) FORM(F, 0), FORM(F, 1), FORM(F, 2), FORM(F, 3)
#define OC_IRA(F) OC_X4(OC_I, F), OC_X4(OC_R, F), OC_X4(OC_A, F)
#define OC_SZ(n) FROW(OC, STR, "LOAD " OC_##n ",A", "", "A", OC_##n, "A", OC_##n, n)
#define OC_SR(n)                                                                                   \
    FROW(OC, STR, "LOAD " OC_##n, "LOAD .+rel," OC_##n, OC_##n, "*(rel)", OC_##n, "*(rel)", n)
#define OC_SA(n)                                                                                   \
    FROW(OC, STR, "LOAD " OC_##n, "LOAD abs," OC_##n, OC_##n, "*(abs)", OC_##n, "*(abs)", n)

// New CALM registers and family words.
#define NC_0 "r0"
#define NC_1 "r1"
#define NC_2 "r2"
#define NC_3 "r3"
#define NL_0 "R0"
#define NL_1 "R1"
#define NL_2 "R2"
#define NL_3 "R3"
#define W_NC_LOD "MOVE"
#define W_NC_EOR "XOR"
#define W_NC_AND "AND"
#define W_NC_IOR "OR"
#define W_NC_ADD "ADD"
#define W_NC_SUB "SUB"
#define W_NC_COM "COMP"

#define NC_Z(F, n) FROW(NC, F, W_NC_##F " " NC_##n ",r0", "", "r0", NC_##n, "R0", NL_##n, n)
#define NC_I(F, n) FROW(NC, F, W_NC_##F " #imm," NC_##n, "", NC_##n, "imm", NL_##n, "imm", n)
#define NC_R(F, n) FROW(NC, F, W_NC_##F " R^rel," NC_##n, "", NC_##n, "*(rel)", NL_##n, "*rel", n)
#define NC_A(F, n) FROW(NC, F, W_NC_##F " U^abs," NC_##n, "", NC_##n, "*(abs)", NL_##n, "*abs", n)
#define NC_X4(FORM, F) FORM(F, 0), FORM(F, 1), FORM(F, 2), FORM(F, 3)
#define NC_IRA(F) NC_X4(NC_I, F), NC_X4(NC_R, F), NC_X4(NC_A, F)
// The absolute XOR names its register on both sides.
#define NC_XA(n)                                                                                   \
    FROW(NC, EOR, "XOR " NC_##n "^abs," NC_##n, "", NC_##n, "*(abs)", NL_##n, "*abs", n)
#define NC_SZ(n) FROW(NC, STR, "MOVE r0," NC_##n, "", "r0", NC_##n, "R0", NL_##n, n)
#define NC_SR(n) FROW(NC, STR, "MOVE " NC_##n ",R^rel", "", NC_##n, "*(rel)", NL_##n, "*rel", n)
#define NC_SA(n) FROW(NC, STR, "MOVE " NC_##n ",U^abs", "", NC_##n, "*(abs)", NL_##n, "*abs", n)

#define UNDEFINED                                                                                  \
    { "--------", "", "?", "-", "None", "None", "Undefined" }

// Conditions: true prefixes for cc 0-2, false prefixes likewise.
#define T_EQ "if CC == EQ then "
#define T_GT "if CC == GT then "
#define T_LT "if CC == LT then "
#define F_EQ "if CC != EQ then "
#define F_GT "if CC != GT then "
#define F_LT "if CC != LT then "

#define JUMP_ROW(mn, ops, cond, x, ln, rd)                                                         \
    { mn, ops, cond "goto " x ";", ln, rd, "None", "Unchanged" }
#define CALL_ROW(mn, ops, cond, x, ln, rd)                                                         \
    { mn, ops, cond "gosub " x ";", ln, rd, SP_WORD, "Unchanged" }

// Rows shared by both CALM notations in shape; each table below spells its own.

// ---------------------------------------------------------------------------
// Old CALM
// ---------------------------------------------------------------------------
#define SP_WORD "STACK"
#define SP_CC "STACK, CC"

#define OC_RET(mn, cond, ln, rd)                                                                   \
    { mn, "", cond "return;", ln, rd, "STACK", "Unchanged" }
#define OC_RETI(mn, cond, ln, rd)                                                                  \
    { mn, "", cond "{ U &= ~IOF; return; }", ln, rd, "IOF, STACK", "Unchanged" }
#define OC_ONE(mn, ops, ps, ln, rd, wr, cc)                                                        \
    { mn, ops, ps, ln, rd, wr, cc }
#define OC_X4N(M) M(0), M(1), M(2), M(3)

#define OC_REDC(n)                                                                                 \
    {                                                                                              \
        "LOAD " OC_##n ",$CTRL", "", OC_##n " = IOPORT($CTRL);", "Load " OC_##n " with $CTRL",     \
            RS_##n, "CC", SIGN_CC(OC_##n)                                                          \
    }
#define OC_REDD(n)                                                                                 \
    {                                                                                              \
        "LOAD " OC_##n ",$DATA", "", OC_##n " = IOPORT($DATA);", "Load " OC_##n " with $DATA",     \
            RS_##n, "CC", SIGN_CC(OC_##n)                                                          \
    }
#define OC_REDE(n)                                                                                 \
    {                                                                                              \
        "LOAD " OC_##n, ",$port", OC_##n " = IOPORT($port);", "Load " OC_##n " with $port",        \
            RS_##n, "CC", SIGN_CC(OC_##n)                                                          \
    }
#define OC_WRTC(n)                                                                                 \
    {                                                                                              \
        "LOAD $CTRL," OC_##n, "", "IOPORT($CTRL) = " OC_##n ";", "Load $CTRL with " OC_##n,        \
            RS_##n, "None", "Unchanged"                                                            \
    }
#define OC_WRTD(n)                                                                                 \
    {                                                                                              \
        "LOAD $DATA," OC_##n, "", "IOPORT($DATA) = " OC_##n ";", "Load $DATA with " OC_##n,        \
            RS_##n, "None", "Unchanged"                                                            \
    }
#define OC_WRTE(n)                                                                                 \
    {                                                                                              \
        "LOAD " OC_##n, "LOAD $port," OC_##n, "IOPORT($port) = " OC_##n ";",                       \
            "Load $port with " OC_##n, RS_##n, "None", "Unchanged"                                 \
    }
#define OC_RRR(n)                                                                                  \
    {                                                                                              \
        "RR " OC_##n, "", OC_##n " = (" OC_##n " >> 1) | (" OC_##n " << 7);",                      \
            "Rotate " OC_##n " right", RSWCC_##n, ARITH_WRITES, SIGN_CC(OC_##n)                    \
    }
#define OC_RRL(n)                                                                                  \
    {                                                                                              \
        "RL " OC_##n, "", OC_##n " = (" OC_##n " << 1) | (" OC_##n " >> 7);",                      \
            "Rotate " OC_##n " left", RSWCC_##n, ARITH_WRITES, SIGN_CC(OC_##n)                     \
    }
#define OC_DAR(n)                                                                                  \
    {                                                                                              \
        "DA " OC_##n, "", OC_##n " = BCD_ADJUST(" OC_##n ");", "Decimal adjust", RSDAR_##n, "CC",  \
            "Meaningless"                                                                          \
    }
#define OC_TMI(n)                                                                                  \
    {                                                                                              \
        "TEST " OC_##n, ",#imm", MASK_CC(OC_##n, "imm"), "Test bits", RS_##n, "CC",                \
            MASK_CC(OC_##n, "imm")                                                                 \
    }
#define OC_LOOP(mn, ops, test, act, ln, rd, wr, n)                                                 \
    { mn, ops, "if (" test OC_##n " != 0) " act ";", ln, rd, wr, "Unchanged" }
#define OC_BRNR(n)                                                                                 \
    OC_LOOP("JUMP," OC_##n "NE", " .+rel", "", "goto rel", "Jump if " OC_##n " not zero", RS_##n,  \
            "None", n)
#define OC_BRNA(n)                                                                                 \
    OC_LOOP("JUMP," OC_##n "NE", " abs", "", "goto abs", "Jump if " OC_##n " not zero", RS_##n,    \
            "None", n)
#define OC_BSNR(n)                                                                                 \
    OC_LOOP("CALL," OC_##n "NE", " .+rel", "", "gosub rel", "Call if " OC_##n " not zero",         \
            OC_RSSP_##n, "STACK", n)
#define OC_BSNA(n)                                                                                 \
    OC_LOOP("CALL," OC_##n "NE", " abs", "", "gosub abs", "Call if " OC_##n " not zero",           \
            OC_RSSP_##n, "STACK", n)
#define OC_BIRR(n)                                                                                 \
    OC_LOOP("INCJ,NE " OC_##n, ",.+rel", "++", "goto rel",                                         \
            "Increment " OC_##n ", jump if not zero", RS_##n, "None", n)
#define OC_BIRA(n)                                                                                 \
    OC_LOOP("INCJ,NE " OC_##n, ",abs", "++", "goto abs", "Increment " OC_##n ", jump if not zero", \
            RS_##n, "None", n)
#define OC_BDRR(n)                                                                                 \
    OC_LOOP("DECJ,NE " OC_##n, ",.+rel", "--", "goto rel",                                         \
            "Decrement " OC_##n ", jump if not zero", RS_##n, "None", n)
#define OC_BDRA(n)                                                                                 \
    OC_LOOP("DECJ,NE " OC_##n, ",abs", "--", "goto abs", "Decrement " OC_##n ", jump if not zero", \
            RS_##n, "None", n)
#define OC_RSSP_0 "STACK"
#define OC_RSSP_1 "STACK, B"
#define OC_RSSP_2 "STACK, B"
#define OC_RSSP_3 "STACK, B"
#define OC_PSU "INPUT, OUTPUT, IOF, UF1, UF2, STACK"

const OpcodeText op_text_old_calm[256] = {
    // $0
    {"LOAD A,A", "", ";", "Load A with A", "None", "CC", SIGN_CC("A")},
    OC_Z(LOD, 1),
    OC_Z(LOD, 2),
    OC_Z(LOD, 3),
    OC_IRA(LOD),
    // $1
    {"LOAD L", ",abs", "L = *(abs);", "Load L with *(abs)", "None", PSL_ALL,
     "CC = (*(abs) & $C0) >> 6;"},
    {"LOAD L", "LOAD abs,L", "*(abs) = L;", "Load *(abs) with L", PSL_ALL, "None", "Undefined"},
    {"LOAD A,U", "", "A = U;", "Load A with U", OC_PSU, "CC", SIGN_CC("A")},
    {"LOAD A,L", "", "A = L;", "Load A with L", PSL_ALL, "CC", SIGN_CC("A")},
    OC_RET("RET,EQ", T_EQ, "Return if EQ true", SP_CC),
    OC_RET("RET,GT", T_GT, "Return if GT true", SP_CC),
    OC_RET("RET,LT", T_LT, "Return if LT true", SP_CC),
    OC_RET("RET", "", "Return always", "STACK"),
    JUMP_ROW("JUMP,EQ", " .+rel", T_EQ, "rel", "Jump if EQ true", "CC"),
    JUMP_ROW("JUMP,GT", " .+rel", T_GT, "rel", "Jump if GT true", "CC"),
    JUMP_ROW("JUMP,LT", " .+rel", T_LT, "rel", "Jump if LT true", "CC"),
    JUMP_ROW("JUMP", " .+rel", "", "rel", "Jump always", "None"),
    JUMP_ROW("JUMP,EQ", " abs", T_EQ, "abs", "Jump if EQ true", "CC"),
    JUMP_ROW("JUMP,GT", " abs", T_GT, "abs", "Jump if GT true", "CC"),
    JUMP_ROW("JUMP,LT", " abs", T_LT, "abs", "Jump if LT true", "CC"),
    JUMP_ROW("JUMP", " abs", "", "abs", "Jump always", "None"),
    // $2
    {"CLR A", "", "A = 0;", "Clear A", "None", "CC", "CC = EQ;"},
    OC_Z(EOR, 1),
    OC_Z(EOR, 2),
    OC_Z(EOR, 3),
    OC_IRA(EOR),
    // $3
    OC_X4N(OC_REDC),
    OC_RETI("RETION,EQ", T_EQ, "Return and clear interrupt mask if EQ true", SP_CC),
    OC_RETI("RETION,GT", T_GT, "Return and clear interrupt mask if GT true", SP_CC),
    OC_RETI("RETION,LT", T_LT, "Return and clear interrupt mask if LT true", SP_CC),
    OC_RETI("RETION", "", "Return and clear interrupt mask always", "STACK"),
    CALL_ROW("CALL,EQ", " .+rel", T_EQ, "rel", "Call if EQ true", SP_CC),
    CALL_ROW("CALL,GT", " .+rel", T_GT, "rel", "Call if GT true", SP_CC),
    CALL_ROW("CALL,LT", " .+rel", T_LT, "rel", "Call if LT true", SP_CC),
    CALL_ROW("CALL", " .+rel", "", "rel", "Call always", "STACK"),
    CALL_ROW("CALL,EQ", " abs", T_EQ, "abs", "Call if EQ true", SP_CC),
    CALL_ROW("CALL,GT", " abs", T_GT, "abs", "Call if GT true", SP_CC),
    CALL_ROW("CALL,LT", " abs", T_LT, "abs", "Call if LT true", SP_CC),
    CALL_ROW("CALL", " abs", "", "abs", "Call always", "STACK"),
    // $4
    {"WAIT", "", "halt;", "Wait for interrupt", "None", "None", "Unchanged"},
    OC_Z(AND, 1),
    OC_Z(AND, 2),
    OC_Z(AND, 3),
    OC_IRA(AND),
    // $5
    OC_X4N(OC_RRR),
    OC_X4N(OC_REDE),
    OC_X4N(OC_BRNR),
    OC_X4N(OC_BRNA),
    // $6
    OC_X4(OC_Z, IOR),
    OC_IRA(IOR),
    // $7
    OC_X4N(OC_REDD),
    {"BIC U", ",#imm", "U &= ~(imm & %01100111);", "Bit clear", "None",
     "OUTPUT, IOF, UF1, UF2, STACK", "Unchanged"},
    {"BIC L", ",#imm", "L &= ~imm;", "Bit clear", "None", PSL_ALL, "CC &= ~((imm & $C0) >> 6);"},
    {"OR U", ",#imm", "U |= imm & %01100111;", "Bit set", "None", "OUTPUT, IOF, UF1, UF2, STACK",
     "Unchanged"},
    {"OR L", ",#imm", "L |= imm;", "Bit set", "None", PSL_ALL, "CC |= (imm & $C0) >> 6;"},
    OC_X4N(OC_BSNR),
    OC_X4N(OC_BSNA),
    // $8
    OC_X4(OC_Z, ADD),
    OC_IRA(ADD),
    // $9
    UNDEFINED,
    UNDEFINED,
    {"LOAD U,A", "", "U &= %10000000; U |= (A & %01100111);", "Load U with A", "None",
     "OUTPUT, IOF, UF1, UF2, STACK", "Unchanged"},
    {"LOAD L,A", "", "L = A;", "Load L with A", "None", PSL_ALL, "CC = (A & $C0) >> 6;"},
    OC_X4N(OC_DAR),
    JUMP_ROW("JUMP,NE", " .+rel", F_EQ, "rel", "Jump if NE true", "CC"),
    JUMP_ROW("JUMP,LE", " .+rel", F_GT, "rel", "Jump if LE true", "CC"),
    JUMP_ROW("JUMP,GE", " .+rel", F_LT, "rel", "Jump if GE true", "CC"),
    JUMP_ROW("JUMP", " 0+zero", "", "zero", "Jump always to page zero", "None"),
    JUMP_ROW("JUMP,NE", " abs", F_EQ, "abs", "Jump if NE true", "CC"),
    JUMP_ROW("JUMP,LE", " abs", F_GT, "abs", "Jump if LE true", "CC"),
    JUMP_ROW("JUMP,GE", " abs", F_LT, "abs", "Jump if GE true", "CC"),
    JUMP_ROW("JUMP (D)+", "abs", "", "abs + D", "Jump always, indexed by D", "B"),
    // $A
    {"SUB A,A", "", "A = 0;", "Subtract A from A, result in A", "W, C", ARITH_WRITES, SIGN_CC("A")},
    OC_Z(SUB, 1),
    OC_Z(SUB, 2),
    OC_Z(SUB, 3),
    OC_IRA(SUB),
    // $B
    OC_X4N(OC_WRTC),
    {"TEST U", ",#imm", MASK_CC("U", "imm"), "Test bits", OC_PSU, "CC", MASK_CC("U", "imm")},
    {"TEST L", ",#imm", MASK_CC("L", "imm"), "Test bits", PSL_ALL, "CC", MASK_CC("L", "imm")},
    UNDEFINED,
    UNDEFINED,
    CALL_ROW("CALL,NE", " .+rel", F_EQ, "rel", "Call if NE true", SP_CC),
    CALL_ROW("CALL,LE", " .+rel", F_GT, "rel", "Call if LE true", SP_CC),
    CALL_ROW("CALL,GE", " .+rel", F_LT, "rel", "Call if GE true", SP_CC),
    CALL_ROW("CALL", " 0+zero", "", "zero", "Call always to page zero", "STACK"),
    CALL_ROW("CALL,NE", " abs", F_EQ, "abs", "Call if NE true", SP_CC),
    CALL_ROW("CALL,LE", " abs", F_GT, "abs", "Call if LE true", SP_CC),
    CALL_ROW("CALL,GE", " abs", F_LT, "abs", "Call if GE true", SP_CC),
    CALL_ROW("CALL (D)+", "abs", "", "abs + D", "Call always, indexed by D", "STACK, B"),
    // $C
    {"NOP", "", ";", "No operation", "None", "None", "Unchanged"},
    OC_SZ(1),
    OC_SZ(2),
    OC_SZ(3),
    UNDEFINED,
    UNDEFINED,
    UNDEFINED,
    UNDEFINED,
    OC_X4N(OC_SR),
    OC_X4N(OC_SA),
    // $D
    OC_X4N(OC_RRL),
    OC_X4N(OC_WRTE),
    OC_X4N(OC_BIRR),
    OC_X4N(OC_BIRA),
    // $E
    OC_X4(OC_Z, COM),
    OC_IRA(COM),
    // $F
    OC_X4N(OC_WRTD),
    OC_X4N(OC_TMI),
    OC_X4N(OC_BDRR),
    OC_X4N(OC_BDRA),
};

#undef SP_WORD
#undef SP_CC

// ---------------------------------------------------------------------------
// New CALM
// ---------------------------------------------------------------------------
#define SP_WORD "SP"
#define SP_CC "SP, CC"

#define NC_RET(mn, cond, ln, rd)                                                                   \
    { mn, "", cond "return;", ln, rd, "SP", "Unchanged" }
#define NC_RETI(mn, cond, ln, rd)                                                                  \
    { mn, "", cond "{ PSU &= ~IOF; return; }", ln, rd, "IOF, SP", "Unchanged" }
#define NC_X4N(M) M(0), M(1), M(2), M(3)

#define NC_REDC(n)                                                                                 \
    {                                                                                              \
        "MOVE $CTRL," NC_##n, "", NC_##n " = IOPORT($CTRL);", "Move $CTRL into " NL_##n, RS_##n,   \
            "CC", SIGN_CC(NC_##n)                                                                  \
    }
#define NC_REDD(n)                                                                                 \
    {                                                                                              \
        "MOVE $DATA," NC_##n, "", NC_##n " = IOPORT($DATA);", "Move $DATA into " NL_##n, RS_##n,   \
            "CC", SIGN_CC(NC_##n)                                                                  \
    }
#define NC_REDE(n)                                                                                 \
    {                                                                                              \
        "MOVE $port," NC_##n, "", NC_##n " = IOPORT($port);", "Move $port into " NL_##n, RS_##n,   \
            "CC", SIGN_CC(NC_##n)                                                                  \
    }
#define NC_WRTC(n)                                                                                 \
    {                                                                                              \
        "MOVE " NC_##n ",$CTRL", "", "IOPORT($CTRL) = " NC_##n ";", "Move " NL_##n " into $CTRL",  \
            RS_##n, "None", "Unchanged"                                                            \
    }
#define NC_WRTD(n)                                                                                 \
    {                                                                                              \
        "MOVE " NC_##n ",$DATA", "", "IOPORT($DATA) = " NC_##n ";", "Move " NL_##n " into $DATA",  \
            RS_##n, "None", "Unchanged"                                                            \
    }
#define NC_WRTE(n)                                                                                 \
    {                                                                                              \
        "MOVE " NC_##n ",$port", "", "IOPORT($port) = " NC_##n ";", "Move " NL_##n " into $port",  \
            RS_##n, "None", "Unchanged"                                                            \
    }
#define NC_RRR(n)                                                                                  \
    {                                                                                              \
        "RR " NC_##n, "", NC_##n " = (" NC_##n " >> 1) | (" NC_##n " << 7);",                      \
            "Rotate " NL_##n " right", RSWCC_##n, ARITH_WRITES, SIGN_CC(NC_##n)                    \
    }
#define NC_RRL(n)                                                                                  \
    {                                                                                              \
        "RL " NC_##n, "", NC_##n " = (" NC_##n " << 1) | (" NC_##n " >> 7);",                      \
            "Rotate " NL_##n " left", RSWCC_##n, ARITH_WRITES, SIGN_CC(NC_##n)                     \
    }
#define NC_DAR(n)                                                                                  \
    {                                                                                              \
        "DAA " NC_##n, "", NC_##n " = BCD_ADJUST(" NC_##n ");", "Decimal adjust", RSDAR_##n, "CC", \
            "Meaningless"                                                                          \
    }
#define NC_TMI(n)                                                                                  \
    {                                                                                              \
        "TEST " NC_##n ":#imm", "", MASK_CC(NC_##n, "imm"), "Test bits", RS_##n, "CC",             \
            MASK_CC(NC_##n, "imm")                                                                 \
    }
#define NC_LOOP(mn, test, act, ln, rd, wr, n)                                                      \
    { mn, "", "if (" test NC_##n " != 0) " act ";", ln, rd, wr, "Unchanged" }
#define NC_RSSP_0 "SP"
#define NC_RSSP_1 "SP, B"
#define NC_RSSP_2 "SP, B"
#define NC_RSSP_3 "SP, B"
#define NC_BRNR(n)                                                                                 \
    NC_LOOP("JUMP,NE " NC_##n ",R^rel", "", "goto rel", "Jump if " NL_##n " not zero", RS_##n,     \
            "None", n)
#define NC_BRNA(n)                                                                                 \
    NC_LOOP("JUMP,NE " NC_##n ",U^abs", "", "goto abs", "Jump if " NL_##n " not zero", RS_##n,     \
            "None", n)
#define NC_BSNR(n)                                                                                 \
    NC_LOOP("CALL,NE " NC_##n ",R^rel", "", "gosub rel", "Call if " NL_##n " not zero",            \
            NC_RSSP_##n, "SP", n)
#define NC_BSNA(n)                                                                                 \
    NC_LOOP("CALL,NE " NC_##n ",U^abs", "", "gosub abs", "Call if " NL_##n " not zero",            \
            NC_RSSP_##n, "SP", n)
#define NC_BIRR(n)                                                                                 \
    NC_LOOP("IJ,NE " NC_##n ",R^rel", "++", "goto rel", "Increment " NL_##n ", jump if not zero",  \
            RS_##n, "None", n)
#define NC_BIRA(n)                                                                                 \
    NC_LOOP("IJ,NE " NC_##n ",U^abs", "++", "goto abs", "Increment " NL_##n ", jump if not zero",  \
            RS_##n, "None", n)
#define NC_BDRR(n)                                                                                 \
    NC_LOOP("DJ,NE " NC_##n ",R^rel", "--", "goto rel", "Decrement " NL_##n ", jump if not zero",  \
            RS_##n, "None", n)
#define NC_BDRA(n)                                                                                 \
    NC_LOOP("DJ,NE " NC_##n ",U^abs", "--", "goto abs", "Decrement " NL_##n ", jump if not zero",  \
            RS_##n, "None", n)
#define NC_PSU "INPUT, OUTPUT, IOF, UF1, UF2, SP"

const OpcodeText op_text_new_calm[256] = {
    // $0
    NC_X4(NC_Z, LOD),
    NC_IRA(LOD),
    // $1
    {"MOVE U^abs,PSL", "", "PSL = *(abs);", "Move *abs into PSL", "None", PSL_ALL,
     "CC = (*(abs) & $C0) >> 6;"},
    {"MOVE PSL,U^abs", "", "*(abs) = PSL;", "Move PSL into *abs", PSL_ALL, "None", "Undefined"},
    {"MOVE PSU,r0", "", "r0 = PSU;", "Move PSU into R0", NC_PSU, "CC", SIGN_CC("r0")},
    {"MOVE PSL,r0", "", "r0 = PSL;", "Move PSL into R0", PSL_ALL, "CC", SIGN_CC("r0")},
    NC_RET("RET,EQ", T_EQ, "Return if EQ true", SP_CC),
    NC_RET("RET,GT", T_GT, "Return if GT true", SP_CC),
    NC_RET("RET,LT", T_LT, "Return if LT true", SP_CC),
    NC_RET("RET", "", "Return always", "SP"),
    JUMP_ROW("JUMP,EQ R^rel", "", T_EQ, "rel", "Jump if EQ true", "CC"),
    JUMP_ROW("JUMP,GT R^rel", "", T_GT, "rel", "Jump if GT true", "CC"),
    JUMP_ROW("JUMP,LT R^rel", "", T_LT, "rel", "Jump if LT true", "CC"),
    JUMP_ROW("JUMP R^rel", "", "", "rel", "Jump always", "None"),
    JUMP_ROW("JUMP,EQ U^abs", "", T_EQ, "abs", "Jump if EQ true", "CC"),
    JUMP_ROW("JUMP,GT U^abs", "", T_GT, "abs", "Jump if GT true", "CC"),
    JUMP_ROW("JUMP,LT U^abs", "", T_LT, "abs", "Jump if LT true", "CC"),
    JUMP_ROW("JUMP U^abs", "", "", "abs", "Jump always", "None"),
    // $2
    {"CLR r0", "", "r0 = 0;", "Clear R0", "None", "CC", "CC = EQ;"},
    NC_Z(EOR, 1),
    NC_Z(EOR, 2),
    NC_Z(EOR, 3),
    NC_X4(NC_I, EOR),
    NC_X4(NC_R, EOR),
    NC_XA(0),
    NC_XA(1),
    NC_XA(2),
    NC_XA(3),
    // $3
    NC_X4N(NC_REDC),
    NC_RETI("RETI,EQ", T_EQ, "Return and clear interrupt mask if EQ true", SP_CC),
    NC_RETI("RETI,GT", T_GT, "Return and clear interrupt mask if GT true", SP_CC),
    NC_RETI("RETI,LT", T_LT, "Return and clear interrupt mask if LT true", SP_CC),
    NC_RETI("RETI", "", "Return and clear interrupt mask always", "SP"),
    CALL_ROW("CALL,EQ R^rel", "", T_EQ, "rel", "Call if EQ true", SP_CC),
    CALL_ROW("CALL,GT R^rel", "", T_GT, "rel", "Call if GT true", SP_CC),
    CALL_ROW("CALL,LT R^rel", "", T_LT, "rel", "Call if LT true", SP_CC),
    CALL_ROW("CALL R^rel", "", "", "rel", "Call always", "SP"),
    CALL_ROW("CALL,EQ U^abs", "", T_EQ, "abs", "Call if EQ true", SP_CC),
    CALL_ROW("CALL,GT U^abs", "", T_GT, "abs", "Call if GT true", SP_CC),
    CALL_ROW("CALL,LT U^abs", "", T_LT, "abs", "Call if LT true", SP_CC),
    CALL_ROW("CALL U^abs", "", "", "abs", "Call always", "SP"),
    // $4
    {"HALT", "", "halt;", "Halt", "None", "None", "Unchanged"},
    NC_Z(AND, 1),
    NC_Z(AND, 2),
    NC_Z(AND, 3),
    NC_IRA(AND),
    // $5
    NC_X4N(NC_RRR),
    NC_X4N(NC_REDE),
    NC_X4N(NC_BRNR),
    NC_X4N(NC_BRNA),
    // $6
    NC_X4(NC_Z, IOR),
    NC_IRA(IOR),
    // $7
    NC_X4N(NC_REDD),
    {"BIC #imm,PSU", "", "PSU &= ~(imm & %01100111);", "Bit clear", "None",
     "OUTPUT, IOF, UF1, UF2, SP", "Unchanged"},
    {"BIC #imm,PSL", "", "PSL &= ~imm;", "Bit clear", "None", PSL_ALL,
     "CC &= ~((imm & $C0) >> 6);"},
    {"OR #imm,PSU", "", "PSU |= imm & %01100111;", "Bit set", "None", "OUTPUT, IOF, UF1, UF2, SP",
     "Unchanged"},
    {"OR #imm,PSL", "", "PSL |= imm;", "Bit set", "None", PSL_ALL, "CC |= (imm & $C0) >> 6;"},
    NC_X4N(NC_BSNR),
    NC_X4N(NC_BSNA),
    // $8
    NC_X4(NC_Z, ADD),
    NC_IRA(ADD),
    // $9
    UNDEFINED,
    UNDEFINED,
    {"MOVE r0,PSU", "", "PSU &= %10000000; PSU |= (r0 & %01100111);", "Move R0 into PSU", "None",
     "OUTPUT, IOF, UF1, UF2, SP", "Unchanged"},
    {"MOVE r0,PSL", "", "PSL = r0;", "Move R0 into PSL", "None", PSL_ALL, "CC = (r0 & $C0) >> 6;"},
    NC_X4N(NC_DAR),
    JUMP_ROW("JUMP,NE R^rel", "", F_EQ, "rel", "Jump if NE true", "CC"),
    JUMP_ROW("JUMP,LE R^rel", "", F_GT, "rel", "Jump if LE true", "CC"),
    JUMP_ROW("JUMP,GE R^rel", "", F_LT, "rel", "Jump if GE true", "CC"),
    JUMP_ROW("JUMP 0+zero", "", "", "zero", "Jump always to page zero", "None"),
    JUMP_ROW("JUMP,NE U^abs", "", F_EQ, "abs", "Jump if NE true", "CC"),
    JUMP_ROW("JUMP,LE U^abs", "", F_GT, "abs", "Jump if LE true", "CC"),
    JUMP_ROW("JUMP,GE U^abs", "", F_LT, "abs", "Jump if GE true", "CC"),
    JUMP_ROW("JUMP U^{r3}+abs", "", "", "abs + r3", "Jump always, indexed by R3", "B"),
    // $A
    {"SUB r0,r0", "", "r0 = 0;", "Subtract R0 from R0", "W, C", ARITH_WRITES, SIGN_CC("r0")},
    NC_Z(SUB, 1),
    NC_Z(SUB, 2),
    NC_Z(SUB, 3),
    NC_IRA(SUB),
    // $B
    NC_X4N(NC_WRTC),
    {"TEST PSU:#imm", "", MASK_CC("PSU", "imm"), "Test bits", NC_PSU, "CC", MASK_CC("PSU", "imm")},
    {"TEST PSL:#imm", "", MASK_CC("PSL", "imm"), "Test bits", PSL_ALL, "CC", MASK_CC("PSL", "imm")},
    UNDEFINED,
    UNDEFINED,
    CALL_ROW("CALL,NE R^rel", "", F_EQ, "rel", "Call if NE true", SP_CC),
    CALL_ROW("CALL,LE R^rel", "", F_GT, "rel", "Call if LE true", SP_CC),
    CALL_ROW("CALL,GE R^rel", "", F_LT, "rel", "Call if GE true", SP_CC),
    CALL_ROW("CALL 0+zero", "", "", "zero", "Call always to page zero", "SP"),
    CALL_ROW("CALL,NE U^abs", "", F_EQ, "abs", "Call if NE true", SP_CC),
    CALL_ROW("CALL,LE U^abs", "", F_GT, "abs", "Call if LE true", SP_CC),
    CALL_ROW("CALL,GE U^abs", "", F_LT, "abs", "Call if GE true", SP_CC),
    CALL_ROW("CALL U^{r3}+abs", "", "", "abs + r3", "Call always, indexed by R3", "SP, B"),
    // $C
    {"NOP", "", ";", "No operation", "None", "None", "Unchanged"},
    NC_SZ(1),
    NC_SZ(2),
    NC_SZ(3),
    UNDEFINED,
    UNDEFINED,
    UNDEFINED,
    UNDEFINED,
    NC_X4N(NC_SR),
    NC_X4N(NC_SA),
    // $D
    NC_X4N(NC_RRL),
    NC_X4N(NC_WRTE),
    NC_X4N(NC_BIRR),
    NC_X4N(NC_BIRA),
    // $E
    NC_X4(NC_Z, COM),
    NC_IRA(COM),
    // $F
    NC_X4N(NC_WRTD),
    NC_X4N(NC_TMI),
    NC_X4N(NC_BDRR),
    NC_X4N(NC_BDRA),
};
