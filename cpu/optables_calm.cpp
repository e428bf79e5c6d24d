// Opcode texts in the two CALM notations: old CALM (2) with the registers A,
// B, C, D and the status bytes U and L, and new CALM (3) with r0-r3, PSU and
// PSL.
//
// Placeholders in the templates: old CALM "#imm", ".+rel", "abs", "$port",
// " 0+zero", "$CTRL", "$DATA"; new CALM "#imm", "R^rel", "U^abs", "0+zero",
// "U^{r3}+abs", "$port", "$CTRL", "$DATA". Pseudo-code names the operands
// imm, rel, abs and zero.
#include "cpu/optables_internal.h"

#define CC_NAME "CC"
#define FLAG_IDC "H"
#define FLAG_RS "B"
#define FLAG_WC "W"
#define FLAG_OVF "V"
#define FLAG_COM "LOGICOMP"
#define FLAG_II "IOF"

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

#define FROW(N, F, mn, ops, r, x, lr, lx, n) FAMILY_ROW(F, mn, ops, r, x, LN_##N##_##F(lr, lx), n)

#define UNDEFINED UNDEFINED_ROW("--------")
#define SP_CC SP_WORD ", CC"

// ---------------------------------------------------------------------------
// Old CALM
// ---------------------------------------------------------------------------
#define SP_WORD "STACK"
#define RETI_ACT "{ U &= ~IOF; return; }"

// Registers and family words.
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
#define OC_IRA(F) X4(OC_I, F), X4(OC_R, F), X4(OC_A, F)
#define OC_SZ(n) FROW(OC, STR, "LOAD " OC_##n ",A", "", "A", OC_##n, "A", OC_##n, n)
#define OC_SR(n)                                                                                   \
    FROW(OC, STR, "LOAD " OC_##n, "LOAD .+rel," OC_##n, OC_##n, "*(rel)", OC_##n, "*(rel)", n)
#define OC_SA(n)                                                                                   \
    FROW(OC, STR, "LOAD " OC_##n, "LOAD abs," OC_##n, OC_##n, "*(abs)", OC_##n, "*(abs)", n)

#define OC_REDC(n)                                                                                 \
    READ_ROW("LOAD " OC_##n ",$CTRL", "", OC_##n, "$CTRL", "Load " OC_##n " with $CTRL", n)
#define OC_REDD(n)                                                                                 \
    READ_ROW("LOAD " OC_##n ",$DATA", "", OC_##n, "$DATA", "Load " OC_##n " with $DATA", n)
#define OC_REDE(n)                                                                                 \
    READ_ROW("LOAD " OC_##n, ",$port", OC_##n, "$port", "Load " OC_##n " with $port", n)
#define OC_WRTC(n)                                                                                 \
    WRITE_ROW("LOAD $CTRL," OC_##n, "", OC_##n, "$CTRL", "Load $CTRL with " OC_##n, n)
#define OC_WRTD(n)                                                                                 \
    WRITE_ROW("LOAD $DATA," OC_##n, "", OC_##n, "$DATA", "Load $DATA with " OC_##n, n)
#define OC_WRTE(n)                                                                                 \
    WRITE_ROW("LOAD " OC_##n, "LOAD $port," OC_##n, OC_##n, "$port", "Load $port with " OC_##n, n)
#define OC_RRR(n) ROTATE_RIGHT_ROW("RR " OC_##n, OC_##n, "Rotate " OC_##n " right", n)
#define OC_RRL(n) ROTATE_LEFT_ROW("RL " OC_##n, OC_##n, "Rotate " OC_##n " left", n)
#define OC_DAR(n) DECIMAL_ADJUST_ROW("DA " OC_##n, OC_##n, "Decimal adjust", n)
#define OC_TMI(n) TEST_MASK_ROW("TEST " OC_##n, ",#imm", OC_##n, "imm", "Test bits", n)
#define OC_LOOP(mn, ops, test, act, ln, rd, wr, n) LOOP_ROW(mn, ops, test, OC_##n, act, ln, rd, wr)
#define OC_BRNR(n)                                                                                 \
    OC_LOOP("JUMP," OC_##n "NE", " .+rel", "", "goto rel", "Jump if " OC_##n " not zero", RS_##n,  \
            "None", n)
#define OC_BRNA(n)                                                                                 \
    OC_LOOP("JUMP," OC_##n "NE", " abs", "", "goto abs", "Jump if " OC_##n " not zero", RS_##n,    \
            "None", n)
#define OC_BSNR(n)                                                                                 \
    OC_LOOP("CALL," OC_##n "NE", " .+rel", "", "gosub rel", "Call if " OC_##n " not zero",         \
            RSSP_##n, "STACK", n)
#define OC_BSNA(n)                                                                                 \
    OC_LOOP("CALL," OC_##n "NE", " abs", "", "gosub abs", "Call if " OC_##n " not zero", RSSP_##n, \
            "STACK", n)
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
    RET_ROW("RET,EQ", T_EQ, "Return if EQ true", SP_CC),
    RET_ROW("RET,GT", T_GT, "Return if GT true", SP_CC),
    RET_ROW("RET,LT", T_LT, "Return if LT true", SP_CC),
    RET_ROW("RET", "", "Return always", "STACK"),
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
    ALL4(OC_REDC),
    RETI_ROW("RETION,EQ", T_EQ, "Return and clear interrupt mask if EQ true", SP_CC),
    RETI_ROW("RETION,GT", T_GT, "Return and clear interrupt mask if GT true", SP_CC),
    RETI_ROW("RETION,LT", T_LT, "Return and clear interrupt mask if LT true", SP_CC),
    RETI_ROW("RETION", "", "Return and clear interrupt mask always", "STACK"),
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
    ALL4(OC_RRR),
    ALL4(OC_REDE),
    ALL4(OC_BRNR),
    ALL4(OC_BRNA),
    // $6
    X4(OC_Z, IOR),
    OC_IRA(IOR),
    // $7
    ALL4(OC_REDD),
    {"BIC U", ",#imm", "U &= ~(imm & %01100111);", "Bit clear", "None",
     "OUTPUT, IOF, UF1, UF2, STACK", "Unchanged"},
    {"BIC L", ",#imm", "L &= ~imm;", "Bit clear", "None", PSL_ALL, "CC &= ~((imm & $C0) >> 6);"},
    {"OR U", ",#imm", "U |= imm & %01100111;", "Bit set", "None", "OUTPUT, IOF, UF1, UF2, STACK",
     "Unchanged"},
    {"OR L", ",#imm", "L |= imm;", "Bit set", "None", PSL_ALL, "CC |= (imm & $C0) >> 6;"},
    ALL4(OC_BSNR),
    ALL4(OC_BSNA),
    // $8
    X4(OC_Z, ADD),
    OC_IRA(ADD),
    // $9
    UNDEFINED,
    UNDEFINED,
    {"LOAD U,A", "", "U &= %10000000; U |= (A & %01100111);", "Load U with A", "None",
     "OUTPUT, IOF, UF1, UF2, STACK", "Unchanged"},
    {"LOAD L,A", "", "L = A;", "Load L with A", "None", PSL_ALL, "CC = (A & $C0) >> 6;"},
    ALL4(OC_DAR),
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
    ALL4(OC_WRTC),
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
    ALL4(OC_SR),
    ALL4(OC_SA),
    // $D
    ALL4(OC_RRL),
    ALL4(OC_WRTE),
    ALL4(OC_BIRR),
    ALL4(OC_BIRA),
    // $E
    X4(OC_Z, COM),
    OC_IRA(COM),
    // $F
    ALL4(OC_WRTD),
    ALL4(OC_TMI),
    ALL4(OC_BDRR),
    ALL4(OC_BDRA),
};

#undef SP_WORD
#undef RETI_ACT

// ---------------------------------------------------------------------------
// New CALM
// ---------------------------------------------------------------------------
#define SP_WORD "SP"
#define RETI_ACT "{ PSU &= ~IOF; return; }"

// Registers (short and long) and family words.
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
#define NC_IRA(F) X4(NC_I, F), X4(NC_R, F), X4(NC_A, F)
// The absolute XOR names its register on both sides.
#define NC_XA(n)                                                                                   \
    FROW(NC, EOR, "XOR " NC_##n "^abs," NC_##n, "", NC_##n, "*(abs)", NL_##n, "*abs", n)
#define NC_SZ(n) FROW(NC, STR, "MOVE r0," NC_##n, "", "r0", NC_##n, "R0", NL_##n, n)
#define NC_SR(n) FROW(NC, STR, "MOVE " NC_##n ",R^rel", "", NC_##n, "*(rel)", NL_##n, "*rel", n)
#define NC_SA(n) FROW(NC, STR, "MOVE " NC_##n ",U^abs", "", NC_##n, "*(abs)", NL_##n, "*abs", n)

#define NC_REDC(n) READ_ROW("MOVE $CTRL," NC_##n, "", NC_##n, "$CTRL", "Move $CTRL into " NL_##n, n)
#define NC_REDD(n) READ_ROW("MOVE $DATA," NC_##n, "", NC_##n, "$DATA", "Move $DATA into " NL_##n, n)
#define NC_REDE(n) READ_ROW("MOVE $port," NC_##n, "", NC_##n, "$port", "Move $port into " NL_##n, n)
#define NC_WRTC(n)                                                                                 \
    WRITE_ROW("MOVE " NC_##n ",$CTRL", "", NC_##n, "$CTRL", "Move " NL_##n " into $CTRL", n)
#define NC_WRTD(n)                                                                                 \
    WRITE_ROW("MOVE " NC_##n ",$DATA", "", NC_##n, "$DATA", "Move " NL_##n " into $DATA", n)
#define NC_WRTE(n)                                                                                 \
    WRITE_ROW("MOVE " NC_##n ",$port", "", NC_##n, "$port", "Move " NL_##n " into $port", n)
#define NC_RRR(n) ROTATE_RIGHT_ROW("RR " NC_##n, NC_##n, "Rotate " NL_##n " right", n)
#define NC_RRL(n) ROTATE_LEFT_ROW("RL " NC_##n, NC_##n, "Rotate " NL_##n " left", n)
#define NC_DAR(n) DECIMAL_ADJUST_ROW("DAA " NC_##n, NC_##n, "Decimal adjust", n)
#define NC_TMI(n) TEST_MASK_ROW("TEST " NC_##n ":#imm", "", NC_##n, "imm", "Test bits", n)
#define NC_LOOP(mn, test, act, ln, rd, wr, n) LOOP_ROW(mn, "", test, NC_##n, act, ln, rd, wr)
#define NC_BRNR(n)                                                                                 \
    NC_LOOP("JUMP,NE " NC_##n ",R^rel", "", "goto rel", "Jump if " NL_##n " not zero", RS_##n,     \
            "None", n)
#define NC_BRNA(n)                                                                                 \
    NC_LOOP("JUMP,NE " NC_##n ",U^abs", "", "goto abs", "Jump if " NL_##n " not zero", RS_##n,     \
            "None", n)
#define NC_BSNR(n)                                                                                 \
    NC_LOOP("CALL,NE " NC_##n ",R^rel", "", "gosub rel", "Call if " NL_##n " not zero", RSSP_##n,  \
            "SP", n)
#define NC_BSNA(n)                                                                                 \
    NC_LOOP("CALL,NE " NC_##n ",U^abs", "", "gosub abs", "Call if " NL_##n " not zero", RSSP_##n,  \
            "SP", n)
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
    X4(NC_Z, LOD),
    NC_IRA(LOD),
    // $1
    {"MOVE U^abs,PSL", "", "PSL = *(abs);", "Move *abs into PSL", "None", PSL_ALL,
     "CC = (*(abs) & $C0) >> 6;"},
    {"MOVE PSL,U^abs", "", "*(abs) = PSL;", "Move PSL into *abs", PSL_ALL, "None", "Undefined"},
    {"MOVE PSU,r0", "", "r0 = PSU;", "Move PSU into R0", NC_PSU, "CC", SIGN_CC("r0")},
    {"MOVE PSL,r0", "", "r0 = PSL;", "Move PSL into R0", PSL_ALL, "CC", SIGN_CC("r0")},
    RET_ROW("RET,EQ", T_EQ, "Return if EQ true", SP_CC),
    RET_ROW("RET,GT", T_GT, "Return if GT true", SP_CC),
    RET_ROW("RET,LT", T_LT, "Return if LT true", SP_CC),
    RET_ROW("RET", "", "Return always", "SP"),
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
    X4(NC_I, EOR),
    X4(NC_R, EOR),
    NC_XA(0),
    NC_XA(1),
    NC_XA(2),
    NC_XA(3),
    // $3
    ALL4(NC_REDC),
    RETI_ROW("RETI,EQ", T_EQ, "Return and clear interrupt mask if EQ true", SP_CC),
    RETI_ROW("RETI,GT", T_GT, "Return and clear interrupt mask if GT true", SP_CC),
    RETI_ROW("RETI,LT", T_LT, "Return and clear interrupt mask if LT true", SP_CC),
    RETI_ROW("RETI", "", "Return and clear interrupt mask always", "SP"),
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
    ALL4(NC_RRR),
    ALL4(NC_REDE),
    ALL4(NC_BRNR),
    ALL4(NC_BRNA),
    // $6
    X4(NC_Z, IOR),
    NC_IRA(IOR),
    // $7
    ALL4(NC_REDD),
    {"BIC #imm,PSU", "", "PSU &= ~(imm & %01100111);", "Bit clear", "None",
     "OUTPUT, IOF, UF1, UF2, SP", "Unchanged"},
    {"BIC #imm,PSL", "", "PSL &= ~imm;", "Bit clear", "None", PSL_ALL,
     "CC &= ~((imm & $C0) >> 6);"},
    {"OR #imm,PSU", "", "PSU |= imm & %01100111;", "Bit set", "None", "OUTPUT, IOF, UF1, UF2, SP",
     "Unchanged"},
    {"OR #imm,PSL", "", "PSL |= imm;", "Bit set", "None", PSL_ALL, "CC |= (imm & $C0) >> 6;"},
    ALL4(NC_BSNR),
    ALL4(NC_BSNA),
    // $8
    X4(NC_Z, ADD),
    NC_IRA(ADD),
    // $9
    UNDEFINED,
    UNDEFINED,
    {"MOVE r0,PSU", "", "PSU &= %10000000; PSU |= (r0 & %01100111);", "Move R0 into PSU", "None",
     "OUTPUT, IOF, UF1, UF2, SP", "Unchanged"},
    {"MOVE r0,PSL", "", "PSL = r0;", "Move R0 into PSL", "None", PSL_ALL, "CC = (r0 & $C0) >> 6;"},
    ALL4(NC_DAR),
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
    ALL4(NC_WRTC),
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
    ALL4(NC_SR),
    ALL4(NC_SA),
    // $D
    ALL4(NC_RRL),
    ALL4(NC_WRTE),
    ALL4(NC_BIRR),
    ALL4(NC_BIRA),
    // $E
    X4(NC_Z, COM),
    NC_IRA(COM),
    // $F
    ALL4(NC_WRTD),
    ALL4(NC_TMI),
    ALL4(NC_BDRR),
    ALL4(NC_BDRA),
};
