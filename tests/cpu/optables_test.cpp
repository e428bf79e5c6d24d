#include "cpu/optables.h"

#include "cpu/dbg_hooks.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// Processor cycles of an opcode (three clock periods each).
u32 cycles_of(u32 op) {
    return op_cycles[op] / 3;
}

bool is_undefined_opcode(u32 op) {
    return op == 0x90 || op == 0x91 || op == 0xB6 || op == 0xB7 || (op >= 0xC4 && op <= 0xC7);
}

bool same_text(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

bool contains(const char* text, const char* part) {
    return std::strstr(text, part) != nullptr;
}

// Everything the adaptation may touch, for before/after comparisons.
struct Snapshot {
    std::vector<u32> length, cycles;
    std::vector<std::string> texts;

    static Snapshot take() {
        Snapshot s;
        s.length.assign(op_length, op_length + 256);
        s.cycles.assign(op_cycles, op_cycles + 256);
        for (u32 n = 0; n < NOTATIONS; n++)
            for (u32 op = 0; op < 256; op++) {
                const OpcodeText& t = op_text[n][op];
                for (const char* f : {t.mnemonic, t.operands, t.pseudocode, t.long_name,
                                      t.flags_read, t.flags_written, t.cc_effect})
                    s.texts.push_back(f);
            }
        return s;
    }
    bool operator==(const Snapshot&) const = default;
};

class OpTables : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        dis_notation = NOTATION_SIGNETICS;
    }
    void TearDown() override { fresh_state(); }
    void adapt(u32 type, u32 notation = NOTATION_SIGNETICS) {
        cpu_type = type;
        dis_notation = notation;
        cpu_apply_type_tables();
    }
};

} // namespace

// Instruction lengths of the published instruction set, by addressing mode.
TEST_F(OpTables, LengthsFollowTheAddressingModes) {
    adapt(CPU_2650B);
    for (u32 op = 0; op < 256; op++) {
        const u32 slot = op & 0x0F;
        SCOPED_TRACE(op);
        if (slot >= 0x0C) {
            EXPECT_EQ(op_length[op], 3u) << "absolute forms and absolute branches";
        } else if (slot >= 0x08) {
            EXPECT_EQ(op_length[op], 2u) << "relative forms, relative and zero-page branches";
        } else if ((op & 0x10) == 0 && slot >= 4) {
            EXPECT_EQ(op_length[op], 2u) << "immediate forms";
        } else if ((op & 0x10) == 0) {
            EXPECT_EQ(op_length[op], 1u) << "register forms";
        }
    }
    // The odd rows between register and relative slots.
    for (u32 op : {0x12, 0x13, 0x14, 0x17, 0x30, 0x34, 0x37, 0x50, 0x70, 0x92, 0x93, 0x94, 0x97,
                   0xB0, 0xD0, 0xF0, 0xF3})
        EXPECT_EQ(op_length[op], 1u) << std::hex << op;
    for (u32 op : {0x54, 0x57, 0x74, 0x75, 0x76, 0x77, 0xB4, 0xB5, 0xD4, 0xD7, 0xF4, 0xF7})
        EXPECT_EQ(op_length[op], 2u) << std::hex << op;
    EXPECT_EQ(op_length[0x10], 3u); // LDPL
    EXPECT_EQ(op_length[0x11], 3u); // STPL
}

// Durations agree with the interpreter's timing in processor cycles.
TEST_F(OpTables, CyclesPerInstructionGroup) {
    adapt(CPU_2650);
    for (u32 hi = 0x00; hi < 0x100; hi += 0x20) {
        for (u32 r = 0; r < 4; r++) {
            EXPECT_EQ(cycles_of(hi + r), 2u) << "register form " << std::hex << hi + r;
            EXPECT_EQ(cycles_of(hi + 4 + r), 2u) << "immediate form " << std::hex << hi + 4 + r;
            EXPECT_EQ(cycles_of(hi + 8 + r), 3u) << "relative form " << std::hex << hi + 8 + r;
            EXPECT_EQ(cycles_of(hi + 12 + r), 4u) << "absolute form " << std::hex << hi + 12 + r;
        }
    }
    // Every branch and call, relative or absolute, conditional or not: 3 cycles.
    for (u32 hi = 0x10; hi < 0x100; hi += 0x20)
        for (u32 slot = 8; slot < 16; slot++)
            EXPECT_EQ(cycles_of(hi + slot), 3u) << std::hex << hi + slot;
    for (u32 op : {0x12, 0x13, 0x92, 0x93, 0x50, 0xD0, 0x30, 0x70, 0xB0, 0xF0})
        EXPECT_EQ(cycles_of(op), 2u) << std::hex << op; // SPSx LPSx RRR RRL REDC REDD WRTC WRTD
    for (u32 op :
         {0x54, 0xD4, 0x94, 0xF4, 0x74, 0x75, 0x76, 0x77, 0xB4, 0xB5, 0x14, 0x17, 0x34, 0x37})
        EXPECT_EQ(cycles_of(op), 3u) << std::hex << op; // REDE WRTE DAR TMI xPSx RETC RETE
}

// The 2650 lacks LDPL/STPL and the user flags, and its register forms take two
// cycles; the 2650B has all three and runs register forms in one cycle.
TEST_F(OpTables, VariantSwitchAdaptsPsuLdplStplAndRegisterForms) {
    cpu_psu = 0xFF;
    adapt(CPU_2650);
    EXPECT_EQ(cpu_psu, 0xE7) << "UF1 and UF2 cleared, other PSU bits kept";
    for (u32 op : {0x10, 0x11}) {
        EXPECT_EQ(op_length[op], 1u);
        EXPECT_EQ(op_cycles[op], 6u);
    }
    EXPECT_EQ(op_cycles[0x40], 6u);
    EXPECT_EQ(op_cycles[0xC0], 6u);
    // A board that treats $10 as three bytes long, and one that does not.
    static constexpr CpuDebugHooks three_byte_10{.opcode_10_three_bytes = true}, plain{};
    cpu_debug_hooks = &three_byte_10;
    adapt(CPU_2650);
    EXPECT_EQ(op_length[0x10], 3u);
    EXPECT_EQ(op_length[0x11], 1u);
    cpu_debug_hooks = &plain;
    adapt(CPU_2650);
    EXPECT_EQ(op_length[0x10], 1u);

    cpu_psu = 0x18;
    adapt(CPU_2650B);
    EXPECT_EQ(cpu_psu, 0x18) << "the 2650B keeps its user flags";
    for (u32 op : {0x00, 0x40, 0x81, 0xC0, 0xE3, 0x22})
        EXPECT_EQ(op_cycles[op], 3u) << std::hex << op;
    EXPECT_EQ(op_cycles[0x84], 6u) << "immediate forms are not affected";
    for (u32 op : {0x10, 0x11}) {
        EXPECT_EQ(op_length[op], 3u);
        EXPECT_EQ(op_cycles[op], 12u);
    }

    const u32 psu_rows[] = {0x12, 0xB4};
    const u32 writers[] = {0x74, 0x76, 0x92};
    for (u32 n = 0; n < NOTATIONS; n++) {
        SCOPED_TRACE(n);
        adapt(CPU_2650, n);
        for (u32 op : psu_rows)
            EXPECT_FALSE(contains(op_text[n][op].flags_read, "UF"));
        for (u32 op : writers) {
            EXPECT_FALSE(contains(op_text[n][op].flags_written, "UF"));
            EXPECT_TRUE(contains(op_text[n][op].pseudocode, "%01100111"));
        }
        adapt(CPU_2650B, n);
        for (u32 op : psu_rows)
            EXPECT_TRUE(contains(op_text[n][op].flags_read, "UF1, UF2"));
        for (u32 op : writers) {
            EXPECT_TRUE(contains(op_text[n][op].flags_written, "UF1, UF2"));
            EXPECT_TRUE(contains(op_text[n][op].pseudocode, "%01111111"));
        }
        EXPECT_STRNE(op_text[n][0x10].mnemonic, "-------");
    }
}

// Switching the variant back and forth returns the tables exactly, and changes
// only the entries of LDPL, STPL, the register forms and the PSU texts.
TEST_F(OpTables, AdaptationTogglesOnlyTheVariantEntriesWithoutDrift) {
    Snapshot plain, model_b;
    for (u32 n = NOTATIONS; n-- > 0;) {
        SCOPED_TRACE(n);
        adapt(CPU_2650, n);
        plain = Snapshot::take();
        adapt(CPU_2650B, n);
        model_b = Snapshot::take();
        adapt(CPU_2650, n);
        EXPECT_TRUE(Snapshot::take() == plain);
        adapt(CPU_2650B, n);
        EXPECT_TRUE(Snapshot::take() == model_b);
    }
    std::set<u32> length_changes, cycle_changes, text_changes;
    for (u32 op = 0; op < 256; op++) {
        if (plain.length[op] != model_b.length[op]) length_changes.insert(op);
        if (plain.cycles[op] != model_b.cycles[op]) cycle_changes.insert(op);
    }
    for (size_t i = 0; i < plain.texts.size(); i++)
        if (plain.texts[i] != model_b.texts[i]) text_changes.insert(static_cast<u32>(i / 7));
    EXPECT_EQ(length_changes, (std::set<u32>{0x10, 0x11}));
    std::set<u32> expect_cycles{0x10, 0x11};
    for (u32 hi = 0; hi < 0x100; hi += 0x20)
        for (u32 r = 0; r < 4; r++)
            expect_cycles.insert(hi + r);
    EXPECT_EQ(cycle_changes, expect_cycles);
    // Rows of notation 0 only (row index = notation * 256 + opcode).
    EXPECT_EQ(text_changes, (std::set<u32>{0x10, 0x11, 0x12, 0x74, 0x76, 0x92, 0xB4}));
}

TEST_F(OpTables, AdaptationRewritesOnlyTheCurrentNotation) {
    adapt(CPU_2650, NOTATION_OLD_CALM);
    EXPECT_STREQ(op_text[NOTATION_OLD_CALM][0x10].mnemonic, "-------");
    EXPECT_STREQ(op_text[NOTATION_SIGNETICS][0x10].mnemonic, "LDPL");
    EXPECT_STREQ(op_text[NOTATION_IEEE][0x11].mnemonic, "ST .L");
    // A notation number out of range is treated as the first notation.
    adapt(CPU_2650, 7);
    EXPECT_STREQ(op_text[NOTATION_SIGNETICS][0x10].mnemonic, "-------");
}

TEST(OpTablesNames, RelativeOffsetsAreSevenBitSigned) {
    for (u32 b = 0; b < 256; b++) {
        EXPECT_EQ(rel_offset_table[b], rel_offset_table[b ^ 0x80]) << "indirect bit ignored";
        EXPECT_GE(rel_offset_table[b], -64);
        EXPECT_LE(rel_offset_table[b], 63);
        EXPECT_EQ(static_cast<u32>(rel_offset_table[b]) & 0x7F, b & 0x7F);
    }
}

namespace {

// Whether a comma-separated flag list names the flag.
bool lists(const char* text, const char* flag) {
    return (", " + std::string(text) + ", ").find(", " + std::string(flag) + ", ") !=
           std::string::npos;
}

// Opcodes whose two low bits select a register (r0 is never banked).
bool has_register_field(u32 op) {
    if ((op & 0x10) == 0) return op != 0x40 && op != 0xC0 && !is_undefined_opcode(op);
    const u32 hi = op & 0xF0, slot = op & 0x0F;
    switch (hi) {
    case 0x30:
    case 0x70:
    case 0xB0:
        return slot < 4 || (hi == 0x70 && slot >= 8);
    case 0x50:
    case 0xD0:
    case 0xF0:
        return true;
    case 0x90:
        return slot >= 4 && slot < 8;
    default:
        return false;
    }
}

} // namespace

TEST_F(OpTables, FlagListsAgreeWithTheOperationInEveryNotation) {
    for (u32 n = 0; n < NOTATIONS; n++) {
        adapt(CPU_2650B, n);
        const char* bank = n <= NOTATION_EXTENDED ? "RS" : "B";
        const char* stack = (n == NOTATION_OLD_CALM || n == NOTATION_IEEE) ? "STACK" : "SP";
        for (u32 op = 0; op < 256; op++) {
            const OpcodeText& t = op_text[n][op];
            SCOPED_TRACE(testing::Message() << "notation " << n << " opcode " << std::hex << op);
            const bool writes_cc = lists(t.flags_written, "CC");
            EXPECT_EQ(writes_cc,
                      !same_text(t.cc_effect, "Unchanged") && !same_text(t.cc_effect, "Undefined"));
            if (has_register_field(op)) {
                EXPECT_EQ(lists(t.flags_read, bank), (op & 3) != 0);
            }
        }
        // Calls and returns move the stack pointer; plain branches write nothing.
        for (u32 op : {0x14, 0x17, 0x34, 0x37, 0x38, 0x3F, 0x7A, 0x7D, 0xB8, 0xBB, 0xBF}) {
            EXPECT_TRUE(lists(op_text[n][op].flags_written, stack)) << std::hex << op;
            EXPECT_TRUE(lists(op_text[n][op].flags_read, stack)) << std::hex << op;
        }
        for (u32 op : {0x18, 0x1F, 0x59, 0x5E, 0x98, 0x9B, 0x9F, 0xDA, 0xFC})
            EXPECT_STREQ(op_text[n][op].flags_written, "None") << std::hex << op;
        // The conditional rows of branches, calls and returns read CC; "un" does not.
        for (u32 base : {0x14u, 0x18u, 0x1Cu, 0x34u, 0x38u, 0x3Cu, 0x98u, 0x9Cu, 0xB8u, 0xBCu})
            for (u32 cc = 0; cc < 4; cc++)
                EXPECT_EQ(lists(op_text[n][base + cc].flags_read, "CC"), cc != 3)
                    << std::hex << base + cc;
    }
}
