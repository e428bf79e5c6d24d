// The PIPBUG's debugger views and the monitor routine notes.
#include "computers/pipbug_notes.h"

#include "computers/terminal.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/frame.h"
#include "computers/pipbug.h"
#include "computers/mikit.h"
#include "display/led.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

class PipbugNotes : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        ASSERT_TRUE(machine_switch(PIPBUG, 9, false, true, false));
    }
    void TearDown() override { fresh_state(); }
    static void use_vdu(int type) {
        pipbug_vdu = type;
        display_setup_geometry();
    }
};

TEST_F(PipbugNotes, TheScreenViewListsEveryBufferRowInGroupsOfSixteen) {
    struct Case {
        int vdu;
        int rows, groups;
    };
    for (const Case c : {Case{0, 64, 4}, Case{1, 16, 2}, Case{5, 24, 5}}) {
        use_vdu(c.vdu);
        vdu_scroll = 5; // the view does not follow the scroll position
        OutputCapture out;
        pipbug_view_vdu_ram();
        const std::vector<std::string> lines = lines_of(out.text());
        ASSERT_EQ(lines.size(), static_cast<size_t>(c.rows * c.groups + 3)) << "vdu " << c.vdu;
        EXPECT_EQ(lines[0].substr(0, 4), " 0: ");
        EXPECT_EQ(lines[c.groups].substr(0, 4), " 1: ");
        EXPECT_EQ(lines[(c.rows - 1) * c.groups].substr(0, 4),
                  (c.rows > 10 ? "" : " ") + std::to_string(c.rows - 1) + ": ");
        EXPECT_EQ(lines[1].substr(0, 4), "    ");
        EXPECT_EQ(lines[c.rows * c.groups], "") << "an empty line before the LEDs";
    }
}

TEST_F(PipbugNotes, CellsShowAsHexadecimalAndAsCharacters) {
    use_vdu(0);
    for (int c = 0; c < 16; c++)
        vdu_cell(c, 2) = static_cast<u8>(0x20); // the output channel shows 183 as UTF-8
    vdu_cell(0, 2) = 'H';
    vdu_cell(1, 2) = 'I' | 0x80; // shown without its top bit
    vdu_cell(2, 2) = 0x0D;       // a control code
    vdu_cell(17, 2) = 'Z';
    OutputCapture out;
    pipbug_view_vdu_ram();
    const std::vector<std::string> lines = lines_of(out.text());
    EXPECT_EQ(lines[8],
              " 2: 48 C9 0D 20 20 20 20 20  20 20 20 20 20 20 20 20 HI\xC2\xB7             ");
    EXPECT_EQ(lines[9].substr(0, 10), "    80 5A ");
}

TEST_F(PipbugNotes, TheLedDigitsFollowTheScreen) {
    use_vdu(1);
    for (int d = 0; d < 13; d++)
        led_digits[d] = 0;
    led_digits[0] = led_font_pipbug[1];
    led_digits[1] = static_cast<u8>(led_font_pipbug[2] | 0x80);
    led_digits[4] = led_font_pipbug[7];
    led_digits[6] = 0x49; // no digit
    OutputCapture out;
    pipbug_view_vdu_ram();
    const std::vector<std::string> lines = lines_of(out.text());
    char expect[80];
    std::snprintf(expect, sizeof expect, "%02X %02X 00 00  %02X 00 49  1 2.     7   ? ",
                  led_font_pipbug[1], led_font_pipbug[2] | 0x80, led_font_pipbug[7]);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], expect);
    EXPECT_EQ(out.text().substr(out.text().size() - 2), "\n\n");
}

TEST_F(PipbugNotes, EveryLedFontCharacterReadsBack) {
    for (int d = 0; d < 10; d++)
        EXPECT_EQ(led_segment_char(static_cast<u8>(led_font_pipbug[d] | 0x80)), '0' + d);
    const char* mikit = "aAbCdEFGHIJHLNNO";
    for (int d = 0; d < 16; d++) {
        if (mikit[d] == 'I') continue; // the same pattern as "1"
        if (mikit[d] == 'O') continue; // the same pattern as "0"
        EXPECT_EQ(led_segment_char(mikit_char_segments(static_cast<u8>(0x40 + d))), mikit[d]) << d;
    }
}

TEST_F(PipbugNotes, BasicVariablesAreListedUnsigned) {
    guest_memory[0x0464] = 0x12;
    guest_memory[0x0465] = 0x34;
    guest_memory[0x0496] = 0xFF;
    guest_memory[0x0497] = 0xFF;
    OutputCapture out;
    pipbug_view_basic_vars();
    const std::vector<std::string> lines = lines_of(out.text());
    ASSERT_EQ(lines.size(), 2u + 26u + 1u);
    EXPECT_EQ(lines[0], "Addresses  Name Contents = Value");
    EXPECT_EQ(lines[2], "$464..$465 A       $1234 =  4660");
    EXPECT_EQ(lines[3], "$466..$467 B       $0000 =     0");
    EXPECT_EQ(lines[27], "$496..$497 Z       $FFFF = 65535");
    EXPECT_EQ(lines[28], "");
}

TEST_F(PipbugNotes, TheDosNameEndsAtReturnOrZeroAndHoldsFourteenCharacters) {
    struct Case {
        std::string memory;
        std::string name;
    };
    const Case cases[] = {
        {"\r", ""},
        {std::string(1, '\0'), ""},
        {"FILE.BIN\rJUNK", "FILE.BIN"},
        {std::string("AB\0CD", 5), "AB"},
        {"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMN"},
    };
    for (const Case& c : cases) {
        guest_memory[0x7070] = 0x12;
        guest_memory[0x7071] = 0x80;
        for (size_t i = 0; i < c.memory.size(); i++)
            guest_memory[0x1280 + i] = static_cast<u8>(c.memory[i]);
        EXPECT_EQ(guest_copy_name(), c.name) << c.memory;
    }
}

TEST_F(PipbugNotes, RoutineNotesFollowTheMachineAndItsMonitor) {
    struct Case {
        u32 machine;
        u32 pipbug_bios;
        i32 binbug_bios;
        u32 address;
        const char* notes;
    };
    const char* temp = ";Subr that increments TEMP - must precede STRT\n";
    const Case cases[] = {
        {PIPBUG, 2, 0, 0x0017, temp},
        {PIPBUG, 2, 0, 0x0034,
         ";This routine will abort the current cmd\n;The stack is reset to the user prog level\n"},
        {PIPBUG, 2, 0, 0x02A8, ";Long name:          Delay for one bit time\n"},
        {PIPBUG, 2, 0, 0x02AD, ";Long name:          Delay for half a bit time\n"},
        {PIPBUG, 3, 0, 0x0090, ";PROM binary tape: 0=8-bit, 1=LSN, 2=MSN\n"},
        {PIPBUG, 2, 0, 0x0018, ""},
        {PIPBUG, 1, 0, 0x0017, ""}, // HYBUG
        {BINBUG, 2, 1, 0x0017, temp},
        {BINBUG, 2, 3, 0x0017, ""},
        {BINBUG, 2, 1, 0x02A8, ""}, // the PIPBUG's own serial delay
        {ARCADIA, 2, 1, 0x0017, ""},
    };
    for (const Case& c : cases) {
        machine = c.machine;
        pipbug_bios = c.pipbug_bios;
        binbug_biosversion = c.binbug_bios;
        OutputCapture out;
        pipbug_bios_notes(c.address);
        EXPECT_EQ(out.text(), c.notes) << "machine " << c.machine << " at " << c.address;
    }
}

} // namespace
