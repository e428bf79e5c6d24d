// Row builders shared by the opcode text tables of the five notations
// (optables_signetics.cpp, optables_calm.cpp, optables_ieee.cpp). Only those
// files include it.
//
// A notation file defines, before its tables, the words its rows use:
//   CC_NAME                          the condition code ("CC" or ".CC")
//   FLAG_IDC, FLAG_RS, FLAG_WC,
//   FLAG_OVF, FLAG_COM, FLAG_II      the PSL/PSU flag names in flag lists
//   SP_WORD                          the stack in flag lists
//   RETI_ACT                         the pseudo-code of a return that clears
//                                    the interrupt inhibit bit
// The builders expand where a row is written, so a file may redefine a word
// between two tables (the CALM file does for SP_WORD and RETI_ACT).
#pragma once

#include "cpu/optables.h"

// Flags read by a register operand: r0 is never banked, r1-r3 depend on the
// bank bit.
#define RS_0 "None"
#define RS_1 FLAG_RS
#define RS_2 FLAG_RS
#define RS_3 FLAG_RS
#define RSWCC_0 FLAG_WC ", C"
#define RSWCC_1 FLAG_RS ", " FLAG_WC ", C"
#define RSWCC_2 RSWCC_1
#define RSWCC_3 RSWCC_1
#define RSCOM_0 FLAG_COM
#define RSCOM_1 FLAG_RS ", " FLAG_COM
#define RSCOM_2 RSCOM_1
#define RSCOM_3 RSCOM_1
#define RSDAR_0 FLAG_IDC ", C"
#define RSDAR_1 FLAG_IDC ", " FLAG_RS ", C"
#define RSDAR_2 RSDAR_1
#define RSDAR_3 RSDAR_1
#define RSSP_0 SP_WORD
#define RSSP_1 SP_WORD ", " FLAG_RS
#define RSSP_2 RSSP_1
#define RSSP_3 RSSP_1

#define PSL_ALL "CC, " FLAG_IDC ", " FLAG_RS ", " FLAG_WC ", " FLAG_OVF ", " FLAG_COM ", C"
#define ARITH_WRITES "CC, " FLAG_IDC ", " FLAG_OVF ", C"

#define SIGN_CC(r)                                                                                 \
    "if (" r " & $80) " CC_NAME " = LT; elif (" r " == 0) " CC_NAME " = EQ; else " CC_NAME " = "   \
                                                                                           "GT;"
#define CMP_CC(a, b)                                                                               \
    "if (" a " > " b ") " CC_NAME " = GT; elif (" a " < " b ") " CC_NAME " = LT; else " CC_NAME    \
    " = EQ;"
#define MASK_CC(v, m) "if ((" v " & " m ") == " m ") " CC_NAME " = EQ; else " CC_NAME " = LT;"

// Condition prefixes of the pseudo-code: true for cc 0-2, false likewise.
#define T_EQ "if " CC_NAME " == EQ then "
#define T_GT "if " CC_NAME " == GT then "
#define T_LT "if " CC_NAME " == LT then "
#define F_EQ "if " CC_NAME " != EQ then "
#define F_GT "if " CC_NAME " != GT then "
#define F_LT "if " CC_NAME " != LT then "

// The eight families with register, immediate, relative and absolute forms:
// pseudo-code, flags read, flags written and condition code of each.
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

// One row of family F on register n: r the register, x the other operand, as
// the pseudo-code names them.
#define FAMILY_ROW(F, mn, ops, r, x, ln, n)                                                        \
    { mn, ops, P_##F(r, x), ln, RD_##F(n), WR_##F, CC_##F(r, x) }

// Four rows, for registers 0-3: FORM(args..., n).
#define X4(FORM, ...)                                                                              \
    FORM(__VA_ARGS__, 0), FORM(__VA_ARGS__, 1), FORM(__VA_ARGS__, 2), FORM(__VA_ARGS__, 3)
#define ALL4(M) M(0), M(1), M(2), M(3)

// Families with one register operand; reg is the register as the row names it.
#define READ_ROW(mn, ops, reg, port, ln, n)                                                        \
    { mn, ops, reg " = IOPORT(" port ");", ln, RS_##n, "CC", SIGN_CC(reg) }
#define WRITE_ROW(mn, ops, reg, port, ln, n)                                                       \
    { mn, ops, "IOPORT(" port ") = " reg ";", ln, RS_##n, "None", "Unchanged" }
#define ROTATE_RIGHT_ROW(mn, reg, ln, n)                                                           \
    { mn, "", reg " = (" reg " >> 1) | (" reg " << 7);", ln, RSWCC_##n, ARITH_WRITES, SIGN_CC(reg) }
#define ROTATE_LEFT_ROW(mn, reg, ln, n)                                                            \
    { mn, "", reg " = (" reg " << 1) | (" reg " >> 7);", ln, RSWCC_##n, ARITH_WRITES, SIGN_CC(reg) }
#define DECIMAL_ADJUST_ROW(mn, reg, ln, n)                                                         \
    { mn, "", reg " = BCD_ADJUST(" reg ");", ln, RSDAR_##n, "CC", "Meaningless" }
#define TEST_MASK_ROW(mn, ops, reg, imm, ln, n)                                                    \
    { mn, ops, MASK_CC(reg, imm), ln, RS_##n, "CC", MASK_CC(reg, imm) }
// Branches on a register: test is "", "++" or "--" before the register.
#define LOOP_ROW(mn, ops, test, reg, act, ln, rd, wr)                                              \
    { mn, ops, "if (" test reg " != 0) " act ";", ln, rd, wr, "Unchanged" }

// Returns, jumps and calls; cond is a condition prefix or "".
#define RET_ROW(mn, cond, ln, rd)                                                                  \
    { mn, "", cond "return;", ln, rd, SP_WORD, "Unchanged" }
#define RETI_ROW(mn, cond, ln, rd)                                                                 \
    { mn, "", cond RETI_ACT, ln, rd, FLAG_II ", " SP_WORD, "Unchanged" }
#define JUMP_ROW(mn, ops, cond, x, ln, rd)                                                         \
    { mn, ops, cond "goto " x ";", ln, rd, "None", "Unchanged" }
#define CALL_ROW(mn, ops, cond, x, ln, rd)                                                         \
    { mn, ops, cond "gosub " x ";", ln, rd, SP_WORD, "Unchanged" }

#define UNDEFINED_ROW(mn)                                                                          \
    { mn, "", "?", "-", "None", "None", "Undefined" }
