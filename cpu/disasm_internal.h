// Notation choice shared by the disassembler's files (disasm.cpp and
// disasm_psw.cpp): which of a row of per-notation texts a notation uses.
#pragma once

#include "cpu/optables.h"

// The text of notation n: Signetics (0, 1), old CALM, new CALM, IEEE-694.
inline const char* dis_pick(u32 n, const char* signetics, const char* old_calm,
                            const char* new_calm, const char* ieee) {
    switch (n) {
    case NOTATION_OLD_CALM:
        return old_calm;
    case NOTATION_NEW_CALM:
        return new_calm;
    case NOTATION_IEEE:
        return ieee;
    default:
        return signetics;
    }
}

// Pseudo-code texts: Signetics and new CALM share the first.
inline const char* dis_pick_pseudo(u32 n, const char* common, const char* old_calm,
                                   const char* ieee) {
    return n == NOTATION_OLD_CALM ? old_calm : n == NOTATION_IEEE ? ieee : common;
}
