// The one naming rule of the writers that name their own files.
#include "core/own_outputs.h"

#include <gtest/gtest.h>

TEST(OwnOutputName, TheWritersSuffixTakesThePlaceOfTheOneTyped) {
    const struct {
        const char *base, *suffix, *infix, *expected;
    } rows[] = {
        {"a.txt", ".aof", "", "a.aof"},   // another kind's suffix
        {"q2.eof", ".aof", "", "q2.aof"}, // a loadable kind's too
        {"cl.asm", ".aof", "", "cl.aof"},
        {"X.AOF", ".aof", "", "X.AOF"}, // its own, in any letter case, stays
        {"prog", ".sym", "", "prog.sym"},
        {"old.d/prog", ".lst", "", "old.d/prog.lst"}, // a drawer's dot is no suffix
        {"take.cor", ".wav", "_1", "take_1.wav"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(own_output_name(r.base, r.suffix, r.infix), r.expected) << r.base;
}
