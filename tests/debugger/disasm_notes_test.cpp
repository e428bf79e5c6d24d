// Equate sections of the label sources, and the notes and comments that the
// disassembler prints for an address.
#include "tests/support/quiet_output.h"
#include "debugger/disasm_file.h"
#include "tests/cpu/disasm_fixture_test.h"

#include "core/machine_table.h"
#include "core/seams_services.h"

#include <gtest/gtest.h>

namespace {

// The machine row a test rewrites comes back with fresh_state; the note and
// comment tables are put back here.
class DisasmSources : public ::testing::Test {
  protected:
    void SetUp() override {
        dis_test_reset();
        machine = INTERTON;
        std::memset(label_table, 0, sizeof label_table);
        std::memset(user_labels, 0, sizeof user_labels);
    }
    void TearDown() override {
        std::memset(label_table, 0, sizeof label_table);
        mem_notes = saved_notes;
        mem_note_rows = saved_note_rows;
        mem_comments = saved_comments;
        mem_comment_rows = saved_comment_rows;
        fresh_state();
    }
    static void row(int index, const char* name, u16 address, u8 kind) {
        LabelRow& r = label_table[index];
        std::snprintf(r.name, sizeof r.name, "%s", name);
        r.address = address;
        r.kind = kind;
        r.hide = 0;
    }
    const MemNote* saved_notes = mem_notes;
    int saved_note_rows = mem_note_rows;
    const MemComment* saved_comments = mem_comments;
    int saved_comment_rows = mem_comment_rows;
};

// ";CPU Equates---...": a section header padded with dashes to 74 columns.
std::string header(const std::string& name) {
    return ";" + name + " Equates" + std::string(74 - 9 - name.size(), '-') + "\n";
}

} // namespace

TEST_F(DisasmSources, EquateSectionsInOrderWithHiddenRowsLeftOut) {
    row(LABEL_CPU_FIRST, "C", 0x01, 'D');
    row(LABEL_CPU_FIRST + 1, "CAR", 0x01, 'D');
    machine_live[INTERTON].pvi_count = 1;
    row(LABEL_PVI_FIRST, "OBJ1", 0x00C0, 'D');
    machine_live[INTERTON].first_label_row = 100;
    machine_live[INTERTON].last_label_row = 101;
    row(100, "RESET", 0x0000, 'C');
    row(101, "SERVICE", 0x0300, 'U');
    label_table[101].hide = 1;
    sym_add("SCORE", 0x1F80, 'P');
    std::string out = dis_test_capture([] { dis_write_equates("EQU"); });
    EXPECT_EQ(out, header("CPU") + "C:                EQU $0001 ;data\n" +
                       "CAR:              EQU $0001 ;data\n" + header("PVI") +
                       "OBJ1:             EQU $1FC0 ;data\n" + header("Machine") +
                       "RESET:            EQU $0000 ;code\n" + header("User") +
                       "SCORE:            EQU $1F80 ;pointer\n");
    // A source whose rows are all hidden prints no header.
    label_table[100].hide = 1;
    out = dis_test_capture([] { dis_write_equates(".EQU"); });
    EXPECT_EQ(out.find(header("Machine")), std::string::npos);
    EXPECT_NE(out.find("SCORE:            .EQU $1F80 ;pointer\n"), std::string::npos);
    EXPECT_STREQ(dis_memory_type_name('X'), "unknown");
}

TEST_F(DisasmSources, NotesCoverTheirAddresses) {
    static const MemNote notes[] = {{0x1800, 0x18CF, "Upper display"},
                                    {0x1A00, 0x1ACF, "Lower display"},
                                    {0x1F00, -1, "Object 1\nsize"},
                                    {0x1F10, -2, "Pair"}};
    mem_notes = notes;
    mem_note_rows = 4;
    machine_live[INTERTON].first_note_row = 0;
    machine_live[INTERTON].last_note_row = 3;
    // Mode 1: label lines, the first with its screen position.
    std::string out = dis_test_capture([] { dis_address_notes(0x1A15, 1, nullptr, 0); });
    EXPECT_EQ(out, "Lower display (X=5,Y=14)\n");
    // -1 covers the first address only, -2 the first and the next.
    const struct {
        u16 address;
        const char* text;
    } rows[] = {{0x1F00, "\nObject 1\nsize"}, {0x1F01, ""}, {0x1F11, "\nPair"}, {0x1F12, ""}};
    char buffer[64];
    for (const auto& r : rows) {
        buffer[0] = 0;
        dis_address_notes(r.address, 2, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, r.text) << std::hex << r.address;
    }
    // A small buffer is never overrun.
    char small[4] = "";
    dis_address_notes(0x1F00, 2, small, sizeof small);
    EXPECT_STREQ(small, "\nOb");
    // Mode 0: a comment block, only at the first address.
    out = dis_test_capture([] { dis_address_notes(0x1F00, 0, nullptr, 0); });
    EXPECT_EQ(out, ";Object 1\n;size\n");
    out = dis_test_capture([] { dis_address_notes(0x1823, 0, nullptr, 0); });
    EXPECT_EQ(out, "");
}

TEST_F(DisasmSources, AddressCommentsFollowTheInstruction) {
    static const MemComment comments[] = {{0x0100, "Main loop"}, {0x0200, "Elsewhere"}};
    mem_comments = comments;
    mem_comment_rows = 2;
    machine_live[INTERTON].first_comment_row = 0;
    machine_live[INTERTON].last_comment_row = 1;
    verbosity = 2;
    mem_attributes[0x0100] = MEM_COMMENT;
    guest_memory[0x0100] = 0xC0;
    capture_output();
    dis_list_range(0x0100, 0x0100, 0);
    std::string out = captured_output();
    // Without a file the pseudo-code goes on a comment line of its own.
    EXPECT_NE(out.find("C0      \n;;\n;Main loop\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Elsewhere"), std::string::npos);
    // The set-up marks the addresses its rows name; rows past the table name none.
    EXPECT_EQ(addr_comment_address(1), 0x0200);
    EXPECT_EQ(addr_comment_address(2), -1);
    EXPECT_EQ(addr_comment_address(-1), -1);
}
