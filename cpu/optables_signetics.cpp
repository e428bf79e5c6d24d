// Opcode texts in the Signetics notations: non-extended (0) and extended (1).
// The extended notation differs only in the branch and return mnemonics and in
// the shorter conditions of its pseudo-code ("if == goto $aaaa;").
//
// Placeholders: "$vv" an immediate value or port number, "$aaaa" an address.
#include "cpu/optables_internal.h"

#define CC_NAME "CC"
#define FLAG_IDC "IDC"
#define FLAG_RS "RS"
#define FLAG_WC "WC"
#define FLAG_OVF "OVF"
#define FLAG_COM "COM"
#define FLAG_II "II"
#define SP_WORD "SP"
#define RETI_ACT "{ PSU &= ~PSU_II; return; }"

#define PSU_ALL "S, F, II, UF1, UF2, SP"

// One row of a form; F the family, mn its mnemonic stem, ln its long name stem.
#define ROW_Z(F, mn, ln, n) FAMILY_ROW(F, mn "Z r" #n, "", "r0", "r" #n, ln, n)
#define ROW_I(F, mn, ln, n) FAMILY_ROW(F, mn "I,r" #n, "$vv", "r" #n, "$vv", ln " Immediate", n)
#define ROW_R(F, mn, ln, n)                                                                        \
    FAMILY_ROW(F, mn "R,r" #n, "$aaaa", "r" #n, "*($aaaa)", ln " Relative", n)
#define ROW_A(F, mn, ln, n)                                                                        \
    FAMILY_ROW(F, mn "A,r" #n, "$aaaa", "r" #n, "*($aaaa)", ln " Absolute", n)
#define FORMS_IRA(F, mn, ln) X4(ROW_I, F, mn, ln), X4(ROW_R, F, mn, ln), X4(ROW_A, F, mn, ln)
#define FORMS_RA(F, mn, ln) X4(ROW_R, F, mn, ln), X4(ROW_A, F, mn, ln)

// Families with one register operand.
#define REDC(n) READ_ROW("REDC,r" #n, "", "r" #n, "CTRL", "Read Control", n)
#define REDD(n) READ_ROW("REDD,r" #n, "", "r" #n, "DATA", "Read Data", n)
#define REDE(n) READ_ROW("REDE,r" #n, "$vv", "r" #n, "$vv", "Read Extended", n)
#define WRTC(n) WRITE_ROW("WRTC,r" #n, "", "r" #n, "CTRL", "Write Control", n)
#define WRTD(n) WRITE_ROW("WRTD,r" #n, "", "r" #n, "DATA", "Write Data", n)
#define WRTE(n) WRITE_ROW("WRTE,r" #n, "$vv", "r" #n, "$vv", "Write Extended", n)
#define RRR(n) ROTATE_RIGHT_ROW("RRR,r" #n, "r" #n, "Rotate Register Right", n)
#define RRL(n) ROTATE_LEFT_ROW("RRL,r" #n, "r" #n, "Rotate Register Left", n)
#define DAR(n) DECIMAL_ADJUST_ROW("DAR,r" #n, "r" #n, "Decimal Adjust Register", n)
#define TMI(n) TEST_MASK_ROW("TMI,r" #n, "$vv", "r" #n, "$vv", "Test under Mask Immediate", n)
#define LOOP(mn, test, act, ln, rd, wr, n)                                                         \
    LOOP_ROW(mn ",r" #n, "$aaaa", test, "r" #n, act " $aaaa", ln, rd, wr)
#define BRNR(n) LOOP("BRNR", "", "goto", "Branch on Non-Zero Register, Relative", RS_##n, "None", n)
#define BRNA(n) LOOP("BRNA", "", "goto", "Branch on Non-Zero Register, Absolute", RS_##n, "None", n)
#define BSNR(n)                                                                                    \
    LOOP("BSNR", "", "gosub", "Branch to Subroutine on Non-Zero Register, Relative", RSSP_##n,     \
         "SP", n)
#define BSNA(n)                                                                                    \
    LOOP("BSNA", "", "gosub", "Branch to Subroutine on Non-Zero Register, Absolute", RSSP_##n,     \
         "SP", n)
#define BIRR(n)                                                                                    \
    LOOP("BIRR", "++", "goto", "Branch on Incrementing Register, Relative", RS_##n, "None", n)
#define BIRA(n)                                                                                    \
    LOOP("BIRA", "++", "goto", "Branch on Incrementing Register, Absolute", RS_##n, "None", n)
#define BDRR(n)                                                                                    \
    LOOP("BDRR", "--", "goto", "Branch on Decrementing Register, Relative", RS_##n, "None", n)
#define BDRA(n)                                                                                    \
    LOOP("BDRA", "--", "goto", "Branch on Decrementing Register, Absolute", RS_##n, "None", n)

#define UNDEFINED UNDEFINED_ROW("-------")

// Conditional returns, branches and calls. The condition prefixes of the two
// notations: T for "condition true", F for "condition false".
#define S0_TEQ T_EQ
#define S0_TGT T_GT
#define S0_TLT T_LT
#define S0_FEQ F_EQ
#define S0_FGT F_GT
#define S0_FLT F_LT
#define S1_TEQ "if == "
#define S1_TGT "if > "
#define S1_TLT "if < "
#define S1_FEQ "if != "
#define S1_FGT "if <= "
#define S1_FLT "if >= "

#define RETE_ROW(mn, cond, ln, rd) RETI_ROW(mn, cond, ln, rd)
#define GOTO_ROW(mn, ops, cond, ln, rd) JUMP_ROW(mn, ops, cond, "$aaaa", ln, rd)
#define GOSUB_ROW(mn, cond, ln, rd) CALL_ROW(mn, "$aaaa", cond, "$aaaa", ln, rd)

// Rows $14-$17, $34-$37, $38-$3F and $B8-$BF: the same mnemonics in both
// notations except the unconditional call (BSTR,un / BSR).
#define RETC_GROUP(N, m3)                                                                          \
    RET_ROW("RETC,eq", N##_TEQ, "Return from Subroutine, Conditional", "SP, CC"),                  \
        RET_ROW("RETC,gt", N##_TGT, "Return from Subroutine, Conditional", "SP, CC"),              \
        RET_ROW("RETC,lt", N##_TLT, "Return from Subroutine, Conditional", "SP, CC"),              \
        RET_ROW(m3, "", "Return from Subroutine", "SP")
#define RETE_GROUP(N)                                                                              \
    RETE_ROW("RETE,eq", N##_TEQ, "Return from Subroutine and Enable Interrupt, Conditional",       \
             "SP, CC"),                                                                            \
        RETE_ROW("RETE,gt", N##_TGT, "Return from Subroutine and Enable Interrupt, Conditional",   \
                 "SP, CC"),                                                                        \
        RETE_ROW("RETE,lt", N##_TLT, "Return from Subroutine and Enable Interrupt, Conditional",   \
                 "SP, CC"),                                                                        \
        RETE_ROW("RETE,un", "", "Return from Subroutine and Enable Interrupt", "SP")
#define BST_GROUP(N, mn, m3, form)                                                                 \
    GOSUB_ROW(mn ",eq", N##_TEQ, "Branch to Subroutine on Condition True, " form, "SP, CC"),       \
        GOSUB_ROW(mn ",gt", N##_TGT, "Branch to Subroutine on Condition True, " form, "SP, CC"),   \
        GOSUB_ROW(mn ",lt", N##_TLT, "Branch to Subroutine on Condition True, " form, "SP, CC"),   \
        GOSUB_ROW(m3, "", "Branch to Subroutine, " form, "SP")
#define BSF_ROWS(N, mn, form)                                                                      \
    GOSUB_ROW(mn ",eq", N##_FEQ, "Branch to Subroutine on Condition False, " form, "SP, CC"),      \
        GOSUB_ROW(mn ",gt", N##_FGT, "Branch to Subroutine on Condition False, " form, "SP, CC"),  \
        GOSUB_ROW(mn ",lt", N##_FLT, "Branch to Subroutine on Condition False, " form, "SP, CC")

// $B0-$BF: identical mnemonics in both notations.
#define B_LINE(N)                                                                                  \
    ALL4(WRTC), {"TPSU",  "$vv", MASK_CC("PSU", "$vv"), "Test Program Status, Upper",              \
                 PSU_ALL, "CC",  MASK_CC("PSU", "$vv")},                                           \
        {"TPSL",  "$vv", MASK_CC("PSL", "$vv"), "Test Program Status, Lower",                      \
         PSL_ALL, "CC",  MASK_CC("PSL", "$vv")},                                                   \
        UNDEFINED, UNDEFINED, BSF_ROWS(N, "BSFR", "Relative"),                                     \
        {"ZBSR", "$aaaa", "gosub $aaaa;", "Zero Branch to Subroutine, Relative",                   \
         "SP",   "SP",    "Unchanged"},                                                            \
        BSF_ROWS(N, "BSFA", "Absolute"), {                                                         \
        "BSXA,r3", "BSXA $aaaa,r3", "gosub $aaaa + r3;", "Branch to Subroutine Indexed, Absolute", \
            "SP, RS", "SP", "Unchanged"                                                            \
    }

// Every row that is the same in both notations, as lines of 16 opcodes.
#define LINE_0                                                                                     \
    {"LODZ r0", "", ";", "Load from Register Zero", "None", "CC", SIGN_CC("r0")},                  \
        ROW_Z(LOD, "LOD", "Load from Register Zero", 1),                                           \
        ROW_Z(LOD, "LOD", "Load from Register Zero", 2),                                           \
        ROW_Z(LOD, "LOD", "Load from Register Zero", 3), FORMS_IRA(LOD, "LOD", "Load")
#define LINE_1_START                                                                               \
    {"LDPL",                                                                                       \
     "$aaaa",                                                                                      \
     "PSL = *($aaaa);",                                                                            \
     "Load Program Status, Lower, Absolute",                                                       \
     "None",                                                                                       \
     PSL_ALL,                                                                                      \
     "CC = (*($aaaa) & $C0) >> 6;"},                                                               \
        {"STPL",  "$aaaa", "*($aaaa) = PSL;", "Store Program Status, Lower, Absolute",             \
         PSL_ALL, "None",  "Undefined"},                                                           \
        {"SPSU", "", "r0 = PSU;", "Store Program Status, Upper", PSU_ALL, "CC", SIGN_CC("r0")}, {  \
        "SPSL", "", "r0 = PSL;", "Store Program Status, Lower to Register Zero", PSL_ALL, "CC",    \
            SIGN_CC("r0")                                                                          \
    }
#define LINE_2                                                                                     \
    {"EORZ r0", "", "r0 = 0;", "Exclusive OR to Register Zero", "None", "CC", "CC = EQ;"},         \
        ROW_Z(EOR, "EOR", "Exclusive OR to Register Zero", 1),                                     \
        ROW_Z(EOR, "EOR", "Exclusive OR to Register Zero", 2),                                     \
        ROW_Z(EOR, "EOR", "Exclusive OR to Register Zero", 3),                                     \
        FORMS_IRA(EOR, "EOR", "Exclusive OR")
#define LINE_4                                                                                     \
    {"HALT", "", "halt;", "Halt, Enter Wait State", "None", "None", "Unchanged"},                  \
        ROW_Z(AND, "AND", "AND to Register Zero", 1),                                              \
        ROW_Z(AND, "AND", "AND to Register Zero", 2),                                              \
        ROW_Z(AND, "AND", "AND to Register Zero", 3), FORMS_IRA(AND, "AND", "AND")
#define LINE_5 ALL4(RRR), ALL4(REDE), ALL4(BRNR), ALL4(BRNA)
#define LINE_6                                                                                     \
    X4(ROW_Z, IOR, "IOR", "Inclusive OR to Register Zero"), FORMS_IRA(IOR, "IOR", "Inclusive OR")
#define LINE_7                                                                                     \
    ALL4(REDD),                                                                                    \
        {"CPSU",                                                                                   \
         "$vv",                                                                                    \
         "PSU &= ~($vv & %01100111);",                                                             \
         "Clear Program Status, Upper",                                                            \
         "None",                                                                                   \
         "F, II, UF1, UF2, SP",                                                                    \
         "Unchanged"},                                                                             \
        {"CPSL",                                                                                   \
         "$vv",                                                                                    \
         "PSL &= ~$vv;",                                                                           \
         "Clear Program Status, Lower",                                                            \
         "None",                                                                                   \
         PSL_ALL,                                                                                  \
         "CC &= ~(($vv & $C0) >> 6);"},                                                            \
        {"PPSU",                                                                                   \
         "$vv",                                                                                    \
         "PSU |= $vv & %01100111;",                                                                \
         "Preset Program Status, Upper",                                                           \
         "None",                                                                                   \
         "F, II, UF1, UF2, SP",                                                                    \
         "Unchanged"},                                                                             \
        {"PPSL",                                                                                   \
         "$vv",                                                                                    \
         "PSL |= $vv;",                                                                            \
         "Preset Program Status, Lower",                                                           \
         "None",                                                                                   \
         PSL_ALL,                                                                                  \
         "CC |= ($vv & $C0) >> 6;"},                                                               \
        ALL4(BSNR), ALL4(BSNA)
#define LINE_8 X4(ROW_Z, ADD, "ADD", "Add to Register Zero"), FORMS_IRA(ADD, "ADD", "Add")
#define LINE_9_START                                                                               \
    UNDEFINED, UNDEFINED,                                                                          \
        {"LPSU",                                                                                   \
         "",                                                                                       \
         "PSU &= %10000000; PSU |= (r0 & %01100111);",                                             \
         "Load Program Status, Upper",                                                             \
         "None",                                                                                   \
         "F, II, UF1, UF2, SP",                                                                    \
         "Unchanged"},                                                                             \
        {"LPSL",                                                                                   \
         "",                                                                                       \
         "PSL = r0;",                                                                              \
         "Load Program Status, Lower from Register Zero",                                          \
         "None",                                                                                   \
         PSL_ALL,                                                                                  \
         "CC = (r0 & $C0) >> 6;"},                                                                 \
        ALL4(DAR)
#define BXA_ROW                                                                                    \
    {                                                                                              \
        "BXA,r3", "BXA $aaaa,r3", "goto $aaaa + r3;", "Branch Indexed, Absolute", "RS", "None",    \
            "Unchanged"                                                                            \
    }
#define ZBRR_ROW                                                                                   \
    { "ZBRR", "$aaaa", "goto $aaaa;", "Zero Branch, Relative", "None", "None", "Unchanged" }
#define LINE_A                                                                                     \
    {                                                                                              \
        "SUBZ r0", "",           "r0 = 0;",    "Subtract from Register Zero",                      \
        "WC, C",   ARITH_WRITES, SIGN_CC("r0")},                                                   \
        ROW_Z(SUB, "SUB", "Subtract from Register Zero", 1),                                       \
        ROW_Z(SUB, "SUB", "Subtract from Register Zero", 2),                                       \
        ROW_Z(SUB, "SUB", "Subtract from Register Zero", 3), FORMS_IRA(SUB, "SUB", "Subtract")
#define LINE_C                                                                                     \
    {"NOP", "", ";", "No Operation", "None", "None", "Unchanged"},                                 \
        ROW_Z(STR, "STR", "Store to Register Zero", 1),                                            \
        ROW_Z(STR, "STR", "Store to Register Zero", 2),                                            \
        ROW_Z(STR, "STR", "Store to Register Zero", 3), UNDEFINED, UNDEFINED, UNDEFINED,           \
        UNDEFINED, FORMS_RA(STR, "STR", "Store")
#define LINE_D ALL4(RRL), ALL4(WRTE), ALL4(BIRR), ALL4(BIRA)
#define LINE_E X4(ROW_Z, COM, "COM", "Compare to Register Zero"), FORMS_IRA(COM, "COM", "Compare")
#define LINE_F ALL4(WRTD), ALL4(TMI), ALL4(BDRR), ALL4(BDRA)
#define LINE_3_START ALL4(REDC)

const OpcodeText op_text_signetics[256] = {
    LINE_0,
    LINE_1_START,
    RETC_GROUP(S0, "RETC,un"),
    GOTO_ROW("BCTR,eq", "$aaaa", S0_TEQ, "Branch on Condition True, Relative", "CC"),
    GOTO_ROW("BCTR,gt", "$aaaa", S0_TGT, "Branch on Condition True, Relative", "CC"),
    GOTO_ROW("BCTR,lt", "$aaaa", S0_TLT, "Branch on Condition True, Relative", "CC"),
    GOTO_ROW("BCTR,un", "$aaaa", "", "Branch Relative", "None"),
    GOTO_ROW("BCTA,eq", "$aaaa", S0_TEQ, "Branch on Condition True, Absolute", "CC"),
    GOTO_ROW("BCTA,gt", "$aaaa", S0_TGT, "Branch on Condition True, Absolute", "CC"),
    GOTO_ROW("BCTA,lt", "$aaaa", S0_TLT, "Branch on Condition True, Absolute", "CC"),
    GOTO_ROW("BCTA,un", "$aaaa", "", "Branch Absolute", "None"),
    LINE_2,
    LINE_3_START,
    RETE_GROUP(S0),
    BST_GROUP(S0, "BSTR", "BSTR,un", "Relative"),
    BST_GROUP(S0, "BSTA", "BSTA,un", "Absolute"),
    LINE_4,
    LINE_5,
    LINE_6,
    LINE_7,
    LINE_8,
    LINE_9_START,
    GOTO_ROW("BCFR,eq", "$aaaa", S0_FEQ, "Branch on Condition False, Relative", "CC"),
    GOTO_ROW("BCFR,gt", "$aaaa", S0_FGT, "Branch on Condition False, Relative", "CC"),
    GOTO_ROW("BCFR,lt", "$aaaa", S0_FLT, "Branch on Condition False, Relative", "CC"),
    ZBRR_ROW,
    GOTO_ROW("BCFA,eq", "$aaaa", S0_FEQ, "Branch on Condition False, Absolute", "CC"),
    GOTO_ROW("BCFA,gt", "$aaaa", S0_FGT, "Branch on Condition False, Absolute", "CC"),
    GOTO_ROW("BCFA,lt", "$aaaa", S0_FLT, "Branch on Condition False, Absolute", "CC"),
    BXA_ROW,
    LINE_A,
    B_LINE(S0),
    LINE_C,
    LINE_D,
    LINE_E,
    LINE_F,
};

// The extended mnemonics: each alternative on a line of its own.
#define EQ_NAMES(form)                                                                             \
    "Branch if Equal, " form "\nor Branch if Zero, " form "\nor Branch if Ones, " form
#define GT_NAMES(form) "Branch if Higher, " form "\nor Branch if Positive, " form
#define LT_NAMES(form) "Branch if Lower, " form "\nor Branch if Minus/Mixed, " form
#define NE_NAMES(form) "Branch if Not Equal, " form "\nor Branch if Not Zero, " form
#define NH_NAMES(form) "Branch if Not Higher, " form "\nor Branch if Not Positive, " form
#define NL_NAMES(form) "Branch if Not Lower, " form "\nor Branch if Not Minus, " form

const OpcodeText op_text_extended[256] = {
    LINE_0,
    LINE_1_START,
    RETC_GROUP(S1, "RET"),
    GOTO_ROW("BER/BZR/BOR", "$aaaa", S1_TEQ, EQ_NAMES("Relative"), "CC"),
    GOTO_ROW("BHR/BPR", "$aaaa", S1_TGT, GT_NAMES("Relative"), "CC"),
    GOTO_ROW("BLR/BMR", "$aaaa", S1_TLT, LT_NAMES("Relative"), "CC"),
    GOTO_ROW("BR", "$aaaa", "", "Branch Relative", "None"),
    GOTO_ROW("BEA/BZA/BOA", "$aaaa", S1_TEQ, EQ_NAMES("Absolute"), "CC"),
    GOTO_ROW("BHA/BPA", "$aaaa", S1_TGT, GT_NAMES("Absolute"), "CC"),
    GOTO_ROW("BLA/BMA", "$aaaa", S1_TLT, LT_NAMES("Absolute"), "CC"),
    GOTO_ROW("BA", "$aaaa", "", "Branch Absolute", "None"),
    LINE_2,
    LINE_3_START,
    RETE_GROUP(S1),
    BST_GROUP(S1, "BSTR", "BSR", "Relative"),
    BST_GROUP(S1, "BSTA", "BSA", "Absolute"),
    LINE_4,
    LINE_5,
    LINE_6,
    LINE_7,
    LINE_8,
    LINE_9_START,
    GOTO_ROW("BNER/BNZR", "$aaaa", S1_FEQ, NE_NAMES("Relative"), "CC"),
    GOTO_ROW("BNHR/BNPR", "$aaaa", S1_FGT, NH_NAMES("Relative"), "CC"),
    GOTO_ROW("BNLR/BNMR", "$aaaa", S1_FLT, NL_NAMES("Relative"), "CC"),
    ZBRR_ROW,
    GOTO_ROW("BNEA/BNZA", "$aaaa", S1_FEQ, NE_NAMES("Absolute"), "CC"),
    GOTO_ROW("BNHA/BNPA", "$aaaa", S1_FGT, NH_NAMES("Absolute"), "CC"),
    GOTO_ROW("BNLA/BNMA", "$aaaa", S1_FLT, NL_NAMES("Absolute"), "CC"),
    BXA_ROW,
    LINE_A,
    B_LINE(S1),
    LINE_C,
    LINE_D,
    LINE_E,
    LINE_F,
};
