#include "machines/elektor_texts.h"

#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "machines/elektor.h"
#include "sound/note_lookup.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

class ElektorTexts : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        snd_build_note_tables();
        ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    }
    void TearDown() override { fresh_state(); }
    static void set_psg1() {
        const u8 r[16] = {0x45, 0xF3, 0xFF, 0x1F, 0x00, 0x80, 0xE7, 0xA9,
                          0xFA, 0x1F, 0x0C, 0x34, 0x12, 0xF5, 0x77, 0x88};
        std::memcpy(guest_memory + 0x1D00, r, 16);
        std::memset(guest_memory + 0x1D10, 0, 16);
    }
    static std::string describe_psg(u32 a) {
        char out[400] = "unchanged";
        if (!elektor_describe_psg(a, out, sizeof out)) return "(none)";
        return out;
    }
    static std::string describe_input(u32 a) {
        char out[400] = "unchanged";
        if (!pvi_console_describe_input(a, out, sizeof out)) return "(none)";
        return out;
    }
};

TEST_F(ElektorTexts, NearestNoteByMidPoints) {
    EXPECT_EQ(snd_note_for_frequency(440.0), 48); // A4
    EXPECT_EQ(snd_note_for_frequency(10.0), 0);
    EXPECT_EQ(snd_note_for_frequency(20000.0), 99);
    // Either side of the mid-point between A4 and A#4.
    const double mid = (note_table[48].frequency + note_table[49].frequency) / 2.0;
    EXPECT_EQ(snd_note_for_frequency(mid - 0.01), 48);
    EXPECT_EQ(snd_note_for_frequency(mid + 0.01), 49);
    for (int n = 0; n < NOTES; n++)
        EXPECT_EQ(snd_note_for_frequency(note_table[n].frequency), n) << n;
}

TEST_F(ElektorTexts, ConsoleInputRegisters) {
    guest_memory[0x1E80] = 0xC4;
    guest_memory[0x1E88] = 0x90;
    guest_memory[0x1E8E] = 0x60;
    guest_memory[0x1E8B] = 0x40;
    EXPECT_EQ(describe_input(0x1E80), "Volume: \xBC\nInverted grid/background colours: off\n"
                                      "Start explosion: off\nNoise: off\nPVI tone: on");
    guest_memory[0x1E80] = 0x38;
    EXPECT_EQ(describe_input(0x1E80), "Volume: full\nInverted grid/background colours: on\n"
                                      "Start explosion: on\nNoise: on\nPVI tone: off");
    EXPECT_EQ(describe_input(0x1E88),
              "Left '1' button: pressed\nLeft '4' button: unpressed\nLeft '7' button: "
              "unpressed\nLeft 'Clear' button: pressed");
    EXPECT_EQ(describe_input(0x1E8E),
              "Right '3' button: unpressed\nRight '6' button: pressed\nRight '9' button: "
              "pressed\nRight 'Enter' button: unpressed");
    EXPECT_EQ(describe_input(0x1E8B), "'SELECT' button: unpressed\n'START' button: pressed");
    for (u32 a : {0x1E81u, 0x1E87u, 0x1E8Fu, 0x1D00u})
        EXPECT_EQ(describe_input(a), "(none)") << std::hex << a;
}

TEST_F(ElektorTexts, PsgRegisterDescriptions) {
    set_psg1();
    const struct {
        u32 address;
        const char* text;
    } cases[] = {
        {0x1D00, "Tone A1 pitch: 132.422 Hz (note C3)"},
        {0x1D01, "Tone A1 pitch: 132.422 Hz (note C3)"},
        {0x1D04, "Tone C1 pitch: 110837.000 Hz (note C9)"}, // period 0
        {0x1D12, "Tone B2 pitch: 110837.000 Hz (note C9)"},
        {0x1D06, "1st noises pitch: 15833.857 Hz (note C9)"},
        {0x1D16, "2nd noises pitch: 110837.000 Hz (note C9)"},
        {0x1D07, "Tone A1=off, tone B1=on, tone C1=on\nNoise A1=off, noise B1=on, noise C1=off\n"
                 "I/O port A1=disbld, I/O port B1=output"},
        {0x1D17, "Tone A2=on, tone B2=on, tone C2=on\nNoise A2=on, noise B2=on, noise C2=on\n"
                 "I/O port A2=disbld, I/O port B2=disbld"},
        {0x1D08, "A1 amplitude mode: envlpe\nA1 volume: 10 of 15"},
        {0x1D0A, "C1 amplitude mode: normal\nC1 volume: 12 of 15"},
        {0x1D0B, "1st envelope period: 1.487 Hz"},
        {0x1D1C, "2nd envelope period: 6927.313 Hz"},
        {0x1D0D, "1st envelope shape: /_______________\nHold: on\nAlternate: off\nAttack: on\n"
                 "Continue: off"},
        {0x1D0E, "(none)"}, // the I/O ports have no description
        {0x1D1F, "(none)"},
        {0x1D20, "(none)"},
        {0x1CFF, "(none)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe_psg(c.address), c.text) << std::hex << c.address;
}

TEST_F(ElektorTexts, ViewPsgRegisters) {
    set_psg1();
    const std::string raw =
        "---------------PSG #1---------------- ---------------PSG #2----------------\n"
        "PITCHA1:      F345 PITCHD1:        E7 PITCHA2:      0000 PITCHD2:        00\n"
        "PITCHB1:      1FFF MIXER1:         A9 PITCHB2:      0000 MIXER2:         00\n"
        "PITCHC1:      8000 PERIOD1:      1234 PITCHC2:      0000 PERIOD2:      0000\n"
        "AMPLITUDEA1:    FA SHAPE1:         F5 AMPLITUDEA2:    00 SHAPE2:         00\n"
        "AMPLITUDEB1:    1F PORTA1:         77 AMPLITUDEB2:    00 PORTA2:         00\n"
        "AMPLITUDEC1:    0C PORTB1:         88 AMPLITUDEC2:    00 PORTB2:         00\n";
    {
        verbosity = 0;
        OutputCapture out;
        elektor_view_psg_registers();
        EXPECT_EQ(out.text(), raw + "\n");
    }
    {
        verbosity = 1;
        OutputCapture out;
        elektor_view_psg_registers();
        const std::string pad26(26, ' ');
        const std::string decoded =
            "                 -----------PSG #1----------- -----------PSG #2------------\n"
            "Tone A pitch:    132.422 Hz (note C3)         110837.000 Hz (note C9)\n"
            "Tone B pitch:    27.066 Hz (note A0)          110837.000 Hz (note C9)\n"
            "Tone C pitch:    110837.000 Hz (note C9)      110837.000 Hz (note C9)\n"
            "Noises pitch:    15833.857 Hz (note C9)       110837.000 Hz (note C9)\n"
            "Tone channels:   A=off   , B=on    , C=on     A=on    , B=on    , C=on    \n"
            "Noise channels:  A=off   , B=on    , C=off    A=on    , B=on    , C=on    \n"
            "I/O ports:       A=disbld, B=output           A=disbld, B=disbld\n"
            "Channel volumes: A=    10, B=    15, C=    12 A=     0, B=     0, C=0 of 15\n"
            "Amplitude modes: A=envlpe, B=envlpe, C=normal A=normal, B=normal, C=normal\n"
            "Envelope:\n"
            " Period:           1.487 Hz                  6927.313 Hz\n"
            " Shape:          /_______________             \\_______________\n"
            " Hold:           on" +
            pad26 +
            " off\n"
            " Alternate:      off" +
            std::string(25, ' ') +
            " off\n"
            " Attack:         on" +
            pad26 +
            " off\n"
            " Continue:       off" +
            std::string(25, ' ') + " off\n";
        EXPECT_EQ(out.text(), raw + decoded + "\n");
    }
    ASSERT_TRUE(machine_switch(ELEKTOR, 4, false, false, false));
    OutputCapture out;
    elektor_view_psg_registers();
    EXPECT_EQ(out.text(), "") << "the basic map has no PSGs";
}

TEST_F(ElektorTexts, BiosNotesPerVersion) {
    const auto notes = [](u32 a) {
        OutputCapture out;
        elektor_bios_notes(a);
        return out.text();
    };
    elektor_biosversion = 0;
    EXPECT_EQ(notes(0x0181), ";Long name:      Keyboard scan\n");
    EXPECT_EQ(notes(0x0183), notes(0x0181));
    EXPECT_EQ(notes(0x0758), ";Long name:      Read cassette\n");
    EXPECT_EQ(notes(0x014E), "") << "a Hobby Module routine";
    EXPECT_EQ(notes(0x0182), "");
    cpu_psl = 0;
    cpu_regs[1] = 0x3C;
    cpu_regs[4] = 0x99;
    EXPECT_EQ(notes(0x035E), ";Long name:      Split register\n"
                             ";Input:          Byte to split:  $3C\n");
    cpu_psl = PSL_RS; // the other bank's r1
    EXPECT_NE(notes(0x035E).find("Byte to split:  $99\n"), std::string::npos);
    const std::string codes = ";Message code data is:\n"
                              "; $04='PC=',  $08='AD=',  $0C='R=',   $10='BP1=', $14='BP2',\n"
                              "; $18='BEG=', $1C='END=', $20='SAD=', $24='FIL=', $28='IIII'\n";
    for (u32 a : {0x02E3u, 0x02EAu, 0x0602u}) {
        const std::string text = notes(a);
        ASSERT_GT(text.size(), codes.size());
        EXPECT_EQ(text.substr(text.size() - codes.size()), codes) << std::hex << a;
    }
    EXPECT_EQ(notes(0x0594).find(codes), std::string::npos);

    elektor_biosversion = 1;
    EXPECT_EQ(notes(0x014E), ";Long name:      Keyboard scan routine\n");
    EXPECT_EQ(notes(0x0575), ";Long name:      Clear screen routine\n");
    EXPECT_EQ(notes(0x0181), "") << "a Philips routine";
}

TEST_F(ElektorTexts, MonitorDisplayDecode) {
    // A BIOS image table where entry 0 holds the images of '0' (left, bits
    // 7-5) and '1' (right, bits 3-1) and no other entry matches anything.
    std::memset(guest_memory + 0x027B, 0xFF, 6 * 128);
    const u8 zero[6] = {0xE0, 0xA0, 0xA0, 0xA0, 0xA0, 0xE0};
    const u8 one[6] = {0x04, 0x0C, 0x04, 0x04, 0x04, 0x0E};
    const u8 h[6] = {0x0A, 0x0A, 0x0E, 0x0A, 0x0A, 0x0A}; // only among the fallbacks
    for (int i = 0; i < 6; i++) {
        guest_memory[0x027B + i] = zero[i] | one[i];
        const u32 line2 = 0x0800 + 24 * 2;
        guest_memory[line2 + i] = zero[i] | one[i];                                // "01"
        guest_memory[line2 + 6 + i] = static_cast<u8>(one[i] << 4 | zero[i] >> 4); // "10"
        guest_memory[line2 + 12 + i] = static_cast<u8>(h[i] << 4 | h[i]);          // "HH"
        guest_memory[line2 + 18 + i] = 0x00;                                       // "##"
    }
    elektor_decode_monitor_display(2);
    EXPECT_STREQ(elektor_display_text, "0110HH##");
    std::memset(guest_memory + 0x0800, 0x00, 24);
    elektor_decode_monitor_display(0);
    EXPECT_STREQ(elektor_display_text, "########");
    // An entry past 13 without a character of its own reads as the middle dot.
    for (int i = 0; i < 6; i++)
        guest_memory[0x027B + 6 * 20 + i] = 0x00;
    elektor_decode_monitor_display(0);
    EXPECT_STREQ(elektor_display_text, "\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7");
    elektor_decode_monitor_display(6);
    EXPECT_STREQ(elektor_display_text, "");
}

TEST_F(ElektorTexts, PsgWriteSoundsAtOnceAndResetSilences) {
    snd_enabled = 1;
    guest_memory[0x1D00] = 0x10;
    guest_memory[0x1D08] = 0x0F;
    mem_write_slow(0x1D07, 0x3E); // tone A on
    EXPECT_EQ(snd_cur_volume[3], 15);
    EXPECT_EQ(snd_cur_pitch[3], 0x10);
    mem_write_slow(0x1D07, 0x3F); // tone A off
    EXPECT_EQ(snd_cur_pitch[3], 0);
    mem_write_slow(0x1D0F, 0x55); // the I/O port B of PSG 1 is not writable here
    EXPECT_EQ(guest_memory[0x1D0F], 0);
    std::memset(guest_memory + 0x1D00, 0x5A, 0x20);
    elektor_reset();
    for (u32 a = 0x1D00; a <= 0x1D1F; a++)
        EXPECT_EQ(guest_memory[a], 0) << std::hex << a;
    snd_enabled = 0;
}

TEST_F(ElektorTexts, ResetPatchesAndInhibitedStart) {
    const ElektorResetPatch table[2] = {{0x0900, 0x81}, {0x08C0, 0x04}};
    const struct {
        int row, step;
        bool applied;
        u32 address;
        u8 value;
    } cases[] = {
        {-1, 0, false, 0x0900, 0x10}, {2, 0, false, 0x0900, 0x10}, {0, 0, true, 0x0900, 0x91},
        {0, -3, true, 0x08F4, 0x91},  {1, 2, true, 0x08C8, 0x14},  {1, 0x7FFF, false, 0x08C0, 0x10},
    };
    for (const auto& c : cases) {
        std::memset(guest_memory + 0x0800, 0x10, 0x800);
        EXPECT_EQ(elektor_apply_reset_patch(table, c.row, c.step), c.applied) << c.row;
        EXPECT_EQ(guest_memory[c.address], c.value) << c.row << " " << c.step;
    }
    std::memset(guest_memory + 0x0800, 0x10, 0x800);
    EXPECT_FALSE(elektor_apply_reset_patch(elektor_reset_patches, 0, 0));
    EXPECT_EQ(guest_memory[0x0900], 0x10);

    // The row's flag: 1 inhibits, the blank -1 ("none") and 0 do not.
    KnownGame g{};
    for (const auto& [slot, inhibited] : {std::pair{1, true}, {0, false}, {-1, false}}) {
        g.hiscore_slot = static_cast<std::int8_t>(slot);
        EXPECT_EQ(row_start_inhibited(g), inhibited) << slot;
    }
    // Every known Elektor game's reset follows its row.
    for (int row = 0; row < KNOWN_GAMES; row++) {
        if (known_games_db[row].machine != ELEKTOR || known_games_db[row].memmap < 4) continue;
        known_game_id = row;
        cpu_psu = 0;
        elektor_reset();
        EXPECT_EQ((cpu_psu & PSU_II) != 0, known_games_db[row].hiscore_slot == 1) << row;
    }
    known_game_id = -1;
    cpu_psu = 0;
    elektor_reset();
    EXPECT_EQ(cpu_psu & PSU_II, 0);
}

} // namespace
