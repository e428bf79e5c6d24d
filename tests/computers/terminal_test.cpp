#include "display/pointer_text.h"
#include "computers/terminal.h"
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "peripherals/papertape.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Terminal : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        use(PIPBUG, 2);
    }
    // The machine and VDU type with their geometry, a blank screen, cursor home.
    void use(Machine m, int vdu) {
        machine = m;
        pipbug_vdu = vdu;
        pipbug_bios = 2;
        display_setup_geometry();
        vdu_blank_char = 0x80;
        std::fill(std::begin(vdu_text), std::end(vdu_text), vdu_blank_char);
        vdu_cursor_col = vdu_cursor_row = 0;
        vdu_scroll = 0;
        term_reset_states();
    }
    void type(const std::string& s) {
        for (char c : s)
            term_output_char(static_cast<u8>(c));
    }
    // Row `r` from column 0 up to the first blank cell.
    std::string row(int r) {
        std::string out;
        for (int c = 0; c < VDU_COLUMNS && vdu_cell(c, r) != vdu_blank_char; c++)
            out += static_cast<char>(vdu_cell(c, r));
        return out;
    }
};

TEST_F(Terminal, PrintableTextAdvancesTheCursorAndHighCodesAreKept) {
    type("AB");
    term_output_char(0xC1);
    EXPECT_EQ(row(0), "AB\xC1");
    EXPECT_EQ(vdu_cursor_col, 3);
    // Codes 0-3 and unlisted controls print nothing and move nothing.
    for (u8 c : {u8{1}, u8{2}, u8{3}, u8{5}, u8{14}, u8{31}})
        term_output_char(c);
    EXPECT_EQ(vdu_cursor_col, 3);
    EXPECT_EQ(row(0), "AB\xC1");
}

TEST_F(Terminal, LineFeedBlanksTheNewRowExceptOnTheLastRowWhereItScrolls) {
    vdu_cell(0, 1) = 'x';
    type("A\n");
    EXPECT_EQ(vdu_cursor_row, 1);
    EXPECT_EQ(vdu_cursor_col, 0);
    EXPECT_EQ(vdu_cell(0, 1), vdu_blank_char); // the new row was blanked
    // On the last row: everything moves up one row, the last row is blank.
    vdu_cursor_row = vdu_rows - 1;
    vdu_cell(5, vdu_rows - 1) = 'L';
    type("\n");
    EXPECT_EQ(vdu_cursor_row, vdu_rows - 1);
    EXPECT_EQ(vdu_cell(5, vdu_rows - 2), 'L');
    EXPECT_EQ(vdu_cell(5, vdu_rows - 1), vdu_blank_char);
    EXPECT_EQ(row(vdu_rows - 2).size(), 0u); // column 0 of that row was blank
}

TEST_F(Terminal, WrapAfterTheLastColumnDoesNotBlankTheNextRow) {
    vdu_cell(3, 1) = 'z';
    vdu_cursor_col = vdu_columns - 1;
    type("QR");
    EXPECT_EQ(vdu_cell(vdu_columns - 1, 0), 'Q');
    EXPECT_EQ(vdu_cell(0, 1), 'R');
    EXPECT_EQ(vdu_cell(3, 1), 'z');
    EXPECT_EQ(vdu_cursor_row, 1);
    EXPECT_EQ(vdu_cursor_col, 1);
    // A wrap on the last row scrolls.
    vdu_cursor_row = vdu_rows - 1;
    vdu_cursor_col = vdu_columns - 1;
    type("S");
    EXPECT_EQ(vdu_cell(vdu_columns - 1, vdu_rows - 2), 'S');
    EXPECT_EQ(vdu_cursor_row, vdu_rows - 1);
}

TEST_F(Terminal, CursorControlCodes) {
    struct Case {
        const char* name;
        int col, row;
        u8 code;
        int want_col, want_row;
    } const cases[] = {
        {"BS at column 0 stays", 0, 3, 8, 0, 3},
        {"BS moves left", 5, 3, 8, 4, 3},
        {"HT moves right", 5, 3, 9, 6, 3},
        {"HT stops at the last column", 63, 3, 9, 63, 3},
        {"VT moves up", 5, 3, 11, 5, 2},
        {"VT stops at row 0", 5, 0, 11, 5, 0},
        {"FS goes home", 5, 3, 28, 0, 0},
        {"GS returns the carriage", 5, 3, 29, 0, 3},
        {"CR returns the carriage", 5, 3, 13, 0, 3},
        {"DEL does nothing under PIPBUG 1", 5, 3, 127, 5, 3},
    };
    for (const Case& c : cases) {
        vdu_cursor_col = c.col;
        vdu_cursor_row = c.row;
        term_output_char(c.code);
        EXPECT_EQ(vdu_cursor_col, c.want_col) << c.name;
        EXPECT_EQ(vdu_cursor_row, c.want_row) << c.name;
    }
}

TEST_F(Terminal, ErasingCodes) {
    type("HELLO");
    term_output_char(8); // BS blanks the cell it moves to
    EXPECT_EQ(row(0), "HELL");
    vdu_cursor_col = 2;
    term_output_char(13); // CR blanks to the end of the row
    EXPECT_EQ(row(0), "HE");
    // CR in the last column blanks nothing.
    vdu_cell(vdu_columns - 1, 0) = 'E';
    vdu_cursor_col = vdu_columns - 1;
    term_output_char(13);
    EXPECT_EQ(vdu_cell(vdu_columns - 1, 0), 'E');
    // SUB blanks the cursor row and leaves the cursor.
    vdu_cursor_col = 7;
    term_output_char(26);
    EXPECT_EQ(row(0), "");
    EXPECT_EQ(vdu_cursor_col, 7);
    // FF clears the shown rows and homes the cursor.
    vdu_cell(4, 9) = 'x';
    vdu_cursor_row = 9;
    term_output_char(12);
    EXPECT_EQ(vdu_cell(4, 9), vdu_blank_char);
    EXPECT_EQ(vdu_cursor_col, 0);
    EXPECT_EQ(vdu_cursor_row, 0);
}

TEST_F(Terminal, DeleteRubsOutOnlyUnderPiplaAndOnTheTwin) {
    pipbug_bios = 3;
    type("AB");
    term_output_char(127);
    EXPECT_EQ(row(0), "A");
    EXPECT_EQ(vdu_cursor_col, 1);
    use(TWIN, 0);
    type("AB");
    term_output_char(127);
    EXPECT_EQ(row(0), "A");
}

TEST_F(Terminal, TeletypeSwitchesAndTheSwallowedCharacter) {
    type("\x13\x14"); // DC3, DC4
    EXPECT_EQ(tty_reader_on, 0);
    EXPECT_EQ(tty_punch_on, 0);
    type("\x11\x12"); // DC1, DC2
    EXPECT_EQ(tty_reader_on, 1);
    EXPECT_EQ(tty_punch_on, 1);
    term_skip_next = 1;
    type("XY");
    EXPECT_EQ(row(0), "Y");
    EXPECT_EQ(term_skip_next, 0);
}

TEST_F(Terminal, ElekterminalScrollsItsRing) {
    use(PIPBUG, 0);
    EXPECT_EQ(vdu_rows, 64);
    EXPECT_EQ(vdu_visible_rows, 16);
    pipbug_vdu_clear(1);
    EXPECT_EQ(vdu_scroll, 48);
    EXPECT_EQ(vdu_cursor_row, 48);
    vdu_scroll = 0;
    pipbug_vdu_scroll(-16);
    EXPECT_EQ(vdu_scroll, vdu_rows - 16);
    pipbug_vdu_scroll(16);
    EXPECT_EQ(vdu_scroll, 0);
    vdu_scroll = 63;
    term_output_char(4); // EOT: one down, wrapping
    EXPECT_EQ(vdu_scroll, 0);
    term_output_char(21); // NAK: one up
    EXPECT_EQ(vdu_scroll, 63);
    term_output_char(24); // CAN: 16 down
    EXPECT_EQ(vdu_scroll, 15);
    term_output_char(25); // EM: 16 up
    EXPECT_EQ(vdu_scroll, 63);
    // FF blanks only rows 48-63 and puts the cursor on row 48.
    vdu_cell(0, 10) = 'k';
    vdu_cell(0, 50) = 'g';
    vdu_cursor_row = 55;
    term_output_char(12);
    EXPECT_EQ(vdu_cell(0, 10), 'k');
    EXPECT_EQ(vdu_cell(0, 50), vdu_blank_char);
    EXPECT_EQ(vdu_cursor_row, 48);
    // The scroll codes do nothing on the other VDU types.
    use(PIPBUG, 2);
    vdu_scroll = 5;
    type("\x04\x15\x18\x19");
    EXPECT_EQ(vdu_scroll, 5);
}

TEST_F(Terminal, ClearPutsTheCursorWhereEachVduStarts) {
    const int want_row[6] = {48, 0, 0, 15, 0, 0};
    for (int vdu = 0; vdu < 6; vdu++) {
        use(PIPBUG, vdu);
        vdu_cell(3, 3) = 'q';
        vdu_cursor_col = 9;
        pipbug_vdu_clear(0);
        EXPECT_EQ(vdu_cell(3, 3), 'q') << vdu;
        EXPECT_EQ(vdu_cursor_row, want_row[vdu]) << vdu;
        EXPECT_EQ(vdu_cursor_col, 0) << vdu;
        pipbug_vdu_clear(1);
        EXPECT_EQ(vdu_cell(3, 3), vdu_blank_char) << vdu;
    }
}

TEST_F(Terminal, TwinEscapeSequencesOnTheFixedConsole) {
    use(TWIN, 0);
    struct Case {
        char letter;
        int col, row, want_col, want_row;
    } const cases[] = {
        {'A', 5, 0, 5, 24}, {'A', 5, 3, 5, 2},   {'B', 5, 24, 5, 0}, {'C', 79, 24, 0, 0},
        {'C', 79, 3, 0, 4}, {'D', 0, 0, 79, 24}, {'D', 0, 5, 79, 4}, {'H', 9, 9, 0, 0},
        {'Z', 9, 9, 9, 9},  {'F', 9, 9, 9, 9},
    };
    for (const Case& c : cases) {
        vdu_cursor_col = c.col;
        vdu_cursor_row = c.row;
        term_output_char(27);
        EXPECT_EQ(term_escape_pending, 1);
        term_output_char(static_cast<u8>(c.letter));
        EXPECT_EQ(term_escape_pending, 0);
        EXPECT_EQ(vdu_cursor_col, c.want_col) << c.letter;
        EXPECT_EQ(vdu_cursor_row, c.want_row) << c.letter;
    }
    // ESC Z is swallowed: nothing printed.
    EXPECT_EQ(vdu_cell(9, 9), vdu_blank_char);
    type("\x1bH"
         "ABCDEF");
    vdu_cursor_col = 2;
    type("\x1bJ");
    EXPECT_EQ(row(0), "AB");
    type("\x1bK");
    EXPECT_EQ(row(0), "");
    EXPECT_EQ(vdu_cursor_col, 2);
    vdu_cell(79, 24) = 'w';
    type("\x1b"
         "E");
    EXPECT_EQ(vdu_cell(79, 24), vdu_blank_char);
    EXPECT_EQ(vdu_cursor_col, 0);
}

TEST_F(Terminal, LifePrintsWithBitSevenStripped) {
    known_game_id = 525;
    term_output_char(0xC1);
    EXPECT_EQ(vdu_cell(0, 0), 'A');
}

TEST_F(Terminal, EveryCharacterIsPunchedWhileThePunchRuns) {
    papertape_state[0] = TAPE_PUNCHING;
    papertape_length[0] = papertape_position[0] = 0;
    type(std::string("A\0\n", 3));
    EXPECT_EQ(papertape_length[0], 3u);
    EXPECT_EQ(papertape_buffer[0][0], 'A');
    EXPECT_EQ(papertape_buffer[0][1], 0);
    EXPECT_EQ(papertape_buffer[0][2], '\n');
    EXPECT_EQ(row(0), "A"); // the NUL printed nothing
    // The punch switch off: nothing punched.
    type("\x14Q");
    EXPECT_EQ(papertape_length[0], 4u); // DC4 itself still went to the punch
    EXPECT_EQ(papertape_buffer[0][3], 0x14);
    // Machines without a teletype punch never punch.
    use(SELBST, 0);
    papertape_state[0] = TAPE_PUNCHING;
    type("Z");
    EXPECT_EQ(papertape_length[0], 4u);
}

TEST_F(Terminal, OrdinalSuffixes) {
    const std::pair<int, const char*> cases[] = {
        {1, "st"},  {2, "nd"},  {3, "rd"},  {4, "th"},   {11, "th"},  {12, "th"},
        {13, "th"}, {21, "st"}, {22, "nd"}, {101, "st"}, {111, "th"}, {0, "th"},
    };
    for (const auto& [n, s] : cases)
        EXPECT_STREQ(display_ordinal_suffix(n), s) << n;
}

} // namespace
