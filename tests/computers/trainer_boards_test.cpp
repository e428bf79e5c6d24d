// The trainer boards: the Instructor 50, the PHUNSY, the Selbstbaucomputer
// and the MIKIT run their ports, keypads, digits, lamps and screens.
#include "computers/instructor.h"
#include "computers/keypad.h"
#include "computers/mikit.h"
#include "computers/phunsy.h"
#include "computers/selbst.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/io_ports.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/led.h"
#include "input/console_buttons.h"
#include "input/key_events.h"
#include "peripherals/tape.h"
#include "sound/voice_update.h"
#include "tests/machines/coinop_roms.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

class TrainerBoards : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output();
    }
    void TearDown() override { fresh_state(); }
    void on(u32 m, u32 map) {
        ASSERT_TRUE(machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false));
    }
    static void code(u16 at, std::initializer_list<u8> bytes) {
        for (u8 b : bytes)
            guest_memory[at++] = b;
    }
    static void frames(int n) {
        for (int i = 0; i < n; i++)
            emu_run_frame();
    }
};

// ---- Instructor 50 ----------------------------------------------------------------------------

TEST_F(TrainerBoards, InstructorKeypadPortAndDigitSelect) {
    on(INSTRUCTOR, MAP_INSTRUCTOR_BASIC);
    instructor_io_write(250, 0x01); // digit 0: keypad row 3
    si50_keypad_rows[3] = 0x05;
    frame_counter = 2;
    EXPECT_EQ(instructor_io_read(254), 0xFF); // even frames read nothing
    frame_counter = 3;
    EXPECT_EQ(instructor_io_read(254), 0xFA);
    instructor_io_write(250, 0x40); // digit 6: no keypad row
    EXPECT_EQ(instructor_io_read(254), 0xFF);

    // Two bits select no digit: the digit port is then ignored.
    instructor_io_write(250, 0x02);
    instructor_io_write(249, 0x06);
    instructor_io_write(250, 0x03);
    instructor_io_write(249, 0x5B);
    EXPECT_EQ(led_digits[1], 0x06);
    for (u8 d = 0; d < 8; d++) {
        if (d == 1) continue;
        EXPECT_EQ(led_digits[d], 0) << int(d);
    }
}

TEST_F(TrainerBoards, InstructorZeroesClearADigitOnlyWhenRepeated) {
    on(INSTRUCTOR, MAP_INSTRUCTOR_BASIC);
    for (u8 digit : {0, 1, 7}) {
        instructor_io_write(250, static_cast<u8>(1u << digit));
        instructor_io_write(249, 0x3F);
        const int zeroes = digit == 0 ? 3 : 2;
        for (int z = 1; z <= zeroes; z++) {
            instructor_io_write(249, 0);
            EXPECT_EQ(led_digits[digit], z < zeroes ? 0x3F : 0) << int(digit) << " zero " << z;
        }
    }
}

TEST_F(TrainerBoards, InstructorParallelPortFollowsItsSetting) {
    on(INSTRUCTOR, MAP_INSTRUCTOR_EXPANDED);
    si50_toggles = 0xA5;
    si50_parallelio = 0;
    code(0x0000, {0x0C, 0x0F, 0xFF}); // LODA,R0 $0FFF
    machine_reset();
    cpu_iar = 0x0000;
    cpu_execute_one();
    EXPECT_EQ(cpu_regs[0], 0xA5);
    // Port 7 then gives what the last read gave.
    EXPECT_EQ(instructor_io_read(254), 0xFF);
    EXPECT_EQ(instructor_io_read(7), 0xFF);
    si50_parallelio = 1;
    EXPECT_EQ(instructor_io_read(7), 0xA5);
    instructor_io_write(7, 0x81);
    EXPECT_EQ(lamp_latch, 0x81);
    si50_parallelio = 2;
    EXPECT_EQ(instructor_io_read(IO_DATA_PORT), 0xA5);
    instructor_io_write(IO_DATA_PORT, 0x18);
    EXPECT_EQ(lamp_latch, 0x18);
}

TEST_F(TrainerBoards, InstructorMonKeyActsOnceAndTheLineInterruptsEveryFrame) {
    on(INSTRUCTOR, MAP_INSTRUCTOR_EXPANDED);
    si50_intselector = 0;
    si50_interrupts = 0;
    code(0x0000, {0x1B, 0x7E});                                           // BCTR,UN $0000
    code(0x0007, {0x0C, 0x01, 0x00, 0x84, 0x01, 0xCC, 0x01, 0x00, 0x37}); // count, RETE
    machine_reset();
    cpu_iar = 0x0000;
    cpu_psu = 0;
    frames(3); // each frame's interrupt is served in the next
    EXPECT_EQ(guest_memory[0x0100], 2);
    frames(1);
    EXPECT_EQ(guest_memory[0x0100], 3);

    si50_intselector = 1;          // the INT key's interrupts only
    input_press_console_button(2); // MON, held for several frames
    frames(1);
    EXPECT_GE(cpu_iar, 0x1800);
    cpu_iar = 0x0000;
    frames(2);
    EXPECT_LT(cpu_iar, 0x0002);
    EXPECT_EQ(guest_memory[0x0100], 4); // the last line interrupt, then none
}

TEST_F(TrainerBoards, InstructorDigitsAndLampsGoldenFrame) {
    on(INSTRUCTOR, MAP_INSTRUCTOR_EXPANDED);
    si50_parallelio = 1;
    code(0x0000, {0x04, 0x01, 0xD4, 0xFA, 0x04, 0x06, 0xD4, 0xF9, // digit 0: "1"
                  0x04, 0x80, 0xD4, 0xFA, 0x04, 0xDB, 0xD4, 0xF9, // digit 7: "2."
                  0x04, 0xA5, 0xD4, 0x07, 0x1B, 0x6A});           // lamps, again
    machine_reset();
    cpu_iar = 0x0000;
    frames(3);
    EXPECT_EQ(check_golden_frame("instructor_digits"), "");
}

// ---- PHUNSY ------------------------------------------------------------------------------------

class Phunsy : public TrainerBoards {
  protected:
    void SetUp() override {
        TrainerBoards::SetUp();
        phunsy_biosversion = 1;
        on(PHUNSY, 19);
    }
};

TEST_F(Phunsy, BankSwitchesCopyOnlyOnAChange) {
    phunsy_ubank_store[5][0] = 0x11;
    phunsy_io_write(IO_CONTROL_PORT, 0x50);
    EXPECT_EQ(guest_memory[0x1800], 0x11);
    guest_memory[0x1800] = 0xAA;
    phunsy_io_write(IO_CONTROL_PORT, 0x50); // the same banks: nothing copied
    EXPECT_EQ(guest_memory[0x1800], 0xAA);
    EXPECT_EQ(phunsy_ubank_store[5][0], 0x11);
    phunsy_io_write(IO_CONTROL_PORT, 0x53); // another Q bank only
    EXPECT_EQ(phunsy_ubank_store[5][0], 0x11);
    phunsy_io_write(IO_CONTROL_PORT, 0x03);
    EXPECT_EQ(phunsy_ubank_store[5][0], 0xAA); // saved when it was left

    // Q banks likewise, and the control port reads the low bits back.
    guest_memory[0x4000] = 0x33;
    phunsy_io_write(IO_CONTROL_PORT, 0x07);
    EXPECT_EQ(phunsy_qbank_store[3][0], 0x33);
    EXPECT_EQ(phunsy_io_read(IO_CONTROL_PORT) & 0x1F, 0x0F);
}

TEST_F(Phunsy, UBanksOneToThreeAreReadOnly) {
    for (int bank = 0; bank < 16; bank++) {
        phunsy_io_write(IO_CONTROL_PORT, static_cast<u8>(bank << 4));
        const bool rom = (mem_attributes[0x1800] & MEM_UNWRITABLE) != 0;
        EXPECT_EQ(rom, bank >= 1 && bank <= 3) << bank;
        EXPECT_EQ(rom, (mem_attributes[0x1FFF] & MEM_UNWRITABLE) != 0) << bank;
    }
}

TEST_F(Phunsy, ScreenBytesPickTheirGlyphs) {
    EXPECT_EQ(phunsy_glyph(0x00), 32);
    EXPECT_EQ(phunsy_glyph(0x01), 0x41);
    EXPECT_EQ(phunsy_glyph(0x41), 0x01);
    EXPECT_EQ(phunsy_glyph(0x20), 0x20);
    EXPECT_EQ(phunsy_glyph(0x7F), 0x7F);
}

TEST_F(Phunsy, KeypadAndQueuedKeys) {
    std::memset(keypad_nibbles, 0, sizeof keypad_nibbles);
    EXPECT_EQ(phunsy_io_read(16), 255);
    keypad_nibbles[0] = 8; // key 3
    keypad_nibbles[1] = 8; // key 7
    EXPECT_EQ(phunsy_io_read(16), 3);

    queuekeystrokes = 1;
    guest_key_queue_len = 0;
    guest_key_queue_append_text("AB");
    std::vector<int> got;
    for (int i = 0; i < 7; i++)
        got.push_back(phunsy_io_read(IO_DATA_PORT));
    EXPECT_EQ(got, (std::vector<int>{'A', 'A', 128, 'B', 'B', 128, 128}));
}

TEST_F(Phunsy, ScreenEditorTypesAndMoves) {
    screen_edit_mode = 1;
    screen_edit_address = 0x1000 + 64 * 31 + 63; // the last cell
    lowercase = 0;
    ASSERT_TRUE(phunsy_edit_key(0x20)); // A
    EXPECT_EQ(guest_memory[0x17FF], 'A');
    EXPECT_EQ(screen_edit_address, 0x1000u); // on to the first cell
    ASSERT_TRUE(phunsy_edit_key(64));       // Space
    EXPECT_EQ(screen_edit_address, 0x1001u);
    ASSERT_TRUE(phunsy_edit_key(65)); // Backspace: back, and a space there
    EXPECT_EQ(screen_edit_address, 0x1000u);
    EXPECT_EQ(guest_memory[0x1000], ' ');
    ASSERT_TRUE(phunsy_edit_key(68)); // Return
    EXPECT_EQ(screen_edit_address, 0x1040u);
    ASSERT_TRUE(phunsy_edit_key(76)); // up
    EXPECT_EQ(screen_edit_address, 0x1000u);
    ASSERT_TRUE(phunsy_edit_key(76)); // up from row 0: row 31
    EXPECT_EQ(screen_edit_address, 0x17C0u);
    ASSERT_TRUE(phunsy_edit_key(95)); // Help: the byte one up
    EXPECT_EQ(guest_memory[0x17C0], 1);
    EXPECT_FALSE(phunsy_edit_key(80)); // a function key: not the editor's
    ASSERT_TRUE(phunsy_edit_key(69)); // Esc leaves
    EXPECT_EQ(screen_edit_mode, 0);
}

TEST_F(Phunsy, PianoPortSilencesItsNote) {
    known_game_id = 655;
    cpu_iar = 0x1816;
    cpu_regs[3] = 4;
    snd_update_voices(0);
    ASSERT_NE(snd_cur_volume[0], 0);
    cpu_iar = 0x1827;
    phunsy_io_write(IO_DATA_PORT, 0x00);
    EXPECT_EQ(snd_cur_volume[0], 0);
}

TEST_F(Phunsy, BlocksAndLedsGoldenFrame) {
    TempHome home("phunsy");
    std::vector<u8> chars(1024);
    for (int c = 0; c < 128; c++)
        for (int r = 0; r < 8; r++)
            chars[8 * c + r] = static_cast<u8>((c >> (r % 4)) & 1 ? 0x2A : 0x15);
    write_rom(home.path(), "phunsy_chars.bin", chars);
    showleds = 1;
    on(PHUNSY, 19);
    for (int i = 0; i < 64; i++) {
        guest_memory[0x1000 + i] = static_cast<u8>(0x80 + i); // blocks in every colour
        guest_memory[0x1040 + i] = static_cast<u8>(i);        // characters
    }
    code(0x2000, {0x1B, 0x7E});
    machine_reset();
    cpu_iar = 0x2000;
    port_records[16].last_value = 0x12;
    port_records[17].last_value = 0x3A;
    port_records[18].last_value = 0xBF;
    port_records[19].last_value = 0x03;
    frames(2);
    EXPECT_EQ(check_golden_frame("phunsy_blocks"), "");
}

// ---- Selbstbaucomputer ------------------------------------------------------------------------

class Selbst : public TrainerBoards {
  protected:
    void SetUp() override {
        TrainerBoards::SetUp();
        selbst_biosversion = 0;
        on(SELBST, 20);
    }
};

TEST_F(Selbst, SlowClockRunsOnePeriodASecond) {
    fast_selbst = 0;
    prefs_user_chose(&fast_selbst);
    on(SELBST, 20);
    code(0x0000, {0x04, 0x01, 0x04, 0x02, 0x04, 0x03}); // LODI: 6 clock periods each
    machine_reset();
    cpu_cycle_budget = 0;
    frames(1);
    EXPECT_EQ(cpu_iar, 2);
    frames(299); // five more periods come in 250 frames; the sixth at frame 300
    EXPECT_EQ(cpu_iar, 2);
    frames(1);
    EXPECT_EQ(cpu_iar, 4);
}

TEST_F(Selbst, DisplayCommands) {
    auto row_of = [](int r) {
        std::string s;
        for (int c = 0; c < 64; c++)
            s.push_back(static_cast<char>(vdu_cell(c, r)));
        return s;
    };
    selbst_io_write(28, '0');
    selbst_io_write(27, 8); // fill, home
    EXPECT_EQ(row_of(0), std::string(64, '0'));
    EXPECT_EQ(row_of(15), std::string(64, '0'));
    EXPECT_EQ(vdu_cursor_col, 0);
    EXPECT_EQ(vdu_cursor_row, 0);

    vdu_cell(5, 0) = 'A';
    selbst_display_command(2, 0); // rotate up: row 0 becomes row 15
    EXPECT_EQ(vdu_cell(5, 15), 'A');
    selbst_display_command(7, 0);
    selbst_display_command(7, 0);
    EXPECT_EQ(vdu_cursor_col, 2);
    selbst_display_command(4, 0);
    EXPECT_EQ(vdu_cursor_col, 1);
    selbst_display_command(12, 0);
    selbst_display_command(12, 0); // not past column 0
    EXPECT_EQ(vdu_cursor_col, 0);
    vdu_cursor_col = 63;
    selbst_display_command(7, 0); // not past column 63
    EXPECT_EQ(vdu_cursor_col, 63);
    selbst_display_command(1, 0);
    EXPECT_EQ(vdu_cursor_col, 0);
    vdu_cursor_row = 3;
    selbst_display_command(6, 0);
    EXPECT_EQ(vdu_cursor_row, 2);
    vdu_cursor_row = 0;
    selbst_display_command(14, 0);
    EXPECT_EQ(vdu_cursor_row, 0);
    vdu_cursor_row = 4;
    selbst_display_command(5, 0);
    EXPECT_EQ(row_of(4), std::string(64, static_cast<char>(128)));
    vdu_cursor_row = 5;
    vdu_cursor_col = 9;
    selbst_display_command(9, 0); // from column 10 on
    EXPECT_EQ(row_of(5), std::string(10, '0') + std::string(54, '\0'));
    EXPECT_EQ(vdu_cursor_col, 0);
    const std::string before = row_of(6);
    selbst_display_command(3, 0);
    selbst_display_command(11, 0);
    selbst_display_command(0x88, 'X'); // bit 7: ignored
    EXPECT_EQ(row_of(6), before);
    vdu_cursor_row = 6;
    selbst_display_command(0, 0);
    EXPECT_EQ(vdu_cursor_row, 0);
    selbst_display_command(15, 'Q');
    EXPECT_EQ(vdu_cell(0, 0), 'Q');
    EXPECT_EQ(vdu_cursor_col, 1);
    selbst_display_command(10, 0);
    EXPECT_EQ(vdu_cursor_row, 1);
}

TEST_F(Selbst, KeypadLampsSpeakerAndMotor) {
    std::memset(keypad_nibbles, 0, sizeof keypad_nibbles);
    EXPECT_EQ(selbst_io_read(23), 0);
    keypad_nibbles[0] = 8; // digit 0
    keypad_nibbles[1] = 4; // digit 5
    EXPECT_EQ(selbst_io_read(23), 0x80);
    std::memset(keypad_nibbles, 0, sizeof keypad_nibbles);
    keypad_nibbles[5] = 2;
    EXPECT_EQ(selbst_io_read(23), 0xD0);

    selbst_io_write(9, 0x42);
    EXPECT_EQ(lamp_latch, 0x42);
    known_game_id = 796;
    selbst_io_write(9, 255);
    EXPECT_EQ(speaker_latch, 1);
    EXPECT_EQ(lamp_latch, 0x42);
    selbst_io_write(9, 254);
    EXPECT_EQ(speaker_latch, 0);

    tape_state = CASSETTE_STOPPED;
    selbst_io_write(IO_DATA_PORT, 0x08); // motor on starts nothing
    EXPECT_EQ(tape_state, u32{CASSETTE_STOPPED});
    tape_state = CASSETTE_PLAYING;
    selbst_io_write(IO_DATA_PORT, 0x00);
    EXPECT_EQ(tape_state, u32{CASSETTE_STOPPED});
    tape_state = CASSETTE_EMPTY;
}

TEST_F(Selbst, ScreenDigitsAndLampsGoldenFrame) {
    TempHome home("selbst");
    std::vector<u8> font(2048);
    for (int c = 0; c < 256; c++)
        for (int r = 0; r < 8; r++)
            font[8 * c + r] = static_cast<u8>(r == 0 || r == 7 ? 0 : (c << (r & 1)) | 0x81);
    write_rom(home.path(), "selbst_font.bin", font);
    showleds = 1;
    fast_selbst = 1;
    on(SELBST, 20);
    code(0x0800, {0x04, 0x06, 0xD4, 0x15, 0x04, 0xDB, 0xD4, 0x10, 0x04, 0x81, 0xD4, 0x09, 0x1B,
                  0x72}); // digit 0 "1", digit 5 "2.", lamps 0 and 7; again
    machine_reset();
    for (int c = 0; c < 64; c++)
        vdu_cell(c, 1) = static_cast<u8>('A' + c % 26);
    vdu_cursor_row = 1;
    cpu_iar = 0x0800;
    frames(2);
    EXPECT_EQ(check_golden_frame("selbst_screen"), "");
}

// ---- MIKIT
// ---------------------------------------------------------------------------------------

TEST_F(TrainerBoards, MikitSetUpAndKeys) {
    on(MIKIT, 21);
    EXPECT_EQ(std::memcmp(guest_memory, mikit_program, sizeof mikit_program), 0);
    EXPECT_EQ(guest_memory[0x001D], 0x73);
    for (u32 a = 0x001E; a <= 0x03FF; a++)
        ASSERT_EQ(guest_memory[a], 0x17) << a;
    EXPECT_FALSE(mem_attributes[0x0400] & MEM_UNWRITABLE);
    EXPECT_TRUE(mem_attributes[0x03FF] & MEM_UNWRITABLE);

    std::memset(keypad_nibbles, 0, sizeof keypad_nibbles);
    EXPECT_EQ(mikit_io_read(IO_CONTROL_PORT), 255);
    keypad_nibbles[0] = 3; // ' ' and '+': two keys, skipped
    keypad_nibbles[1] = 1; // 'R'
    EXPECT_EQ(mikit_io_read(IO_CONTROL_PORT), 'R');
    keypad_nibbles[1] = 0;
    keypad_nibbles[5] = 8;
    EXPECT_EQ(mikit_io_read(IO_CONTROL_PORT), '3');
    mikit_io_write(IO_CONTROL_PORT, 0x99);
    EXPECT_EQ(lamp_latch, 0x99);
    EXPECT_EQ(mikit_char_segments('A' | 0x80), mikit_char_segments('A'));
}

TEST_F(TrainerBoards, MikitDigitsAndLampsGoldenFrame) {
    on(MIKIT, 21);
    code(0x0402, {'1', 'A' | 0x80, '2', 'b', '-', '9'});
    code(0x0500, {0x04, 0xA5, 0xB0, 0x1B, 0x7E}); // lamps $A5, then loop
    machine_reset();
    cpu_iar = 0x0500;
    frames(2);
    EXPECT_EQ(led_digits[1], mikit_char_segments('A'));
    EXPECT_EQ(check_golden_frame("mikit_digits"), "");
}

} // namespace
