// The musical keyboard: the keys under the pointer, the notes a click plays
// in each machine's sound registers, the keys and staves each machine cannot
// use, and the notes the window shows of the guest's voices.
#include "core/emu.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "devicewindows/music_window.h"
#include "display/host.h"
#include "gui/tool_windows.h"
#include "input/music_keys.h"
#include "inspect/piano_grey.h"
#include "machines/pvi2636.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "sound/voice_update.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

class MusicKeyboard : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
    void on(int m, int map) { ASSERT_TRUE(machine_switch(m, map, true, true, false)); }
    // The middle of key k's upper band, in picture pixels.
    static int key_x(int k) { return note_table[k].outline[0] + note_table[k].outline[1] - 12 + 1; }
    static constexpr int UPPER_Y = 12;
    // The colour the window shows at (x, y) of a picture, and that of extra pen `pen`.
    static u32 shown(int gid, int x, int y) {
        int w = 0, h = 0;
        const std::vector<u32> px = gui_headless_display(gui_subwin_window[TW_MUSIC], gid, &w, &h);
        return x < w && y < h ? px[static_cast<std::size_t>(y * w + x)] : 0xDEADBEEF;
    }
    static u32 stave_pixel(int x, int y) { return shown(GID_MUSIC_STAVES, x, y); }
    static u32 pen(int p) { return display_extra_pen_rgb(p); }
};

} // namespace

TEST_F(MusicKeyboard, KeysLieWhereThePictureDrawsThem) {
    const u16* a0 = note_table[0].outline;
    EXPECT_EQ((std::array<u16, 4>{a0[0], a0[1], a0[2], a0[3]}), (std::array<u16, 4>{8, 10, 8, 11}));
    const u16* c9 = note_table[99].outline;
    EXPECT_EQ((std::array<u16, 4>{c9[0], c9[1], c9[2], c9[3]}), (std::array<u16, 4>{298, 301, 298, 301}));
    for (int k = 0; k < NOTES; k++)
        EXPECT_EQ(music_note_at(key_x(k), UPPER_Y), k) << note_table[k].name;
    // Upper bands never overlap; the lower band holds white keys only.
    for (int k = 1; k < NOTES; k++)
        EXPECT_GT(note_table[k].outline[0], note_table[k - 1].outline[1]) << k;
    const int c4 = 39, c_sharp_4 = 40;
    EXPECT_EQ(music_note_at(2 * (note_table[c4].outline[3] - 6), 30), c4);
    EXPECT_EQ(music_note_at(key_x(c_sharp_4), 30), -1); // below a black key: the gap between two white ones
    EXPECT_EQ(music_note_at(key_x(48), 2), -1);  // the top margin
    EXPECT_EQ(music_note_at(key_x(48), 36), -1); // below the keys
}

TEST_F(MusicKeyboard, WhatEachMachineCannotPlayIsGrey) {
    on(ARCADIA, 8);
    EXPECT_FALSE(music_key_playable(13)); // A#1: beyond the UVI's seven bits
    EXPECT_TRUE(music_key_playable(14));  // B1
    EXPECT_FALSE(music_key_playable(53)); // D5: no divider sounds it
    EXPECT_TRUE(music_key_playable(54));
    EXPECT_EQ(music_extra_staves(), 0);
    on(INTERTON, 3);
    EXPECT_TRUE(music_key_playable(2)); // B0
    EXPECT_FALSE(music_key_playable(1));
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    EXPECT_EQ(music_extra_staves(), 6);
    on(ZACCARIA, MAP_LASER_BATTLE);
    EXPECT_EQ(music_extra_staves(), 4);
    int playable = 0;
    for (int k = 0; k < NOTES; k++)
        playable += music_key_playable(k);
    EXPECT_EQ(playable, 25); // C3 to C5, as the tone units sound
    EXPECT_TRUE(music_key_playable(27));
    EXPECT_TRUE(music_key_playable(51));
}

TEST_F(MusicKeyboard, ClicksPlayInTheSoundRegisters) {
    on(ARCADIA, 8);
    guest_memory[0x18FE] = 0;
    music_key_press(0, key_x(10), UPPER_Y); // G1: code 160, too high for the UVI
    EXPECT_EQ(music_note_slot[0], -2);
    music_key_press(0, key_x(48), UPPER_Y); // A4: code 17
    EXPECT_EQ(music_note_slot[0], 48);
    EXPECT_EQ(guest_memory[0x18FD] & 127, note_table[48].code_60);
    EXPECT_EQ(guest_memory[0x18FE], 0x0F); // tone on, and a volume
    music_key_release(0);
    EXPECT_EQ(guest_memory[0x18FE], 0x07);
    EXPECT_EQ(music_note_slot[0], -2);

    // The Interton: both channels through one pitch register, their own bits.
    on(INTERTON, 3);
    const u32 pitch = (pvi_base + 0xC7) & 0x7FFF;
    guest_memory[0x1E80] = 0;
    music_key_press(0, key_x(48), UPPER_Y);
    music_key_press(1, key_x(50), UPPER_Y);
    EXPECT_EQ(guest_memory[0x1E80], 0x0C);
    EXPECT_EQ(guest_memory[pitch], note_table[50].code_60);
    music_key_release(1);
    EXPECT_EQ(guest_memory[0x1E80], 0x04);
    EXPECT_EQ(guest_memory[pitch], note_table[50].code_60); // channel 1 leaves the pitch
    // A press between keys holds nothing, but its release still silences the channel.
    music_key_press(1, key_x(50), 40);
    EXPECT_EQ(music_note_slot[1], -1);
    guest_memory[0x1E80] |= 0x08;
    music_key_release(1);
    EXPECT_EQ(guest_memory[0x1E80], 0x04);
    EXPECT_EQ(music_note_slot[1], -2);
    guest_memory[0x1E80] |= 0x08;
    // While a recording plays back, clicks do nothing and releases write nothing.
    rec_state = REC_PLAYBACK;
    music_key_release(0);
    EXPECT_EQ(guest_memory[0x1E80], 0x0C);
    music_key_press(0, key_x(40), UPPER_Y);
    EXPECT_EQ(music_note_slot[0], -2);
    rec_state = REC_IDLE;
}

TEST_F(MusicKeyboard, TheWindowShowsTheGuestsNotes) {
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    gui_music_window();
    ASSERT_NE(gui_subwin_window[TW_MUSIC], 0);
    // PSG 1 channel A at period 252: 110837 / 252 = 439.8 Hz, A4; channel B
    // with period 0: the top note; channel C silent.
    u8* psg = guest_memory + 0x1D00;
    for (int r = 0; r < 32; r++)
        psg[r] = 0;
    psg[0] = 252;
    psg[8] = 15;
    psg[9] = 15;
    psg[7] = 0x3C; // tones on, noise off
    music_window_refresh(0);
    EXPECT_EQ(music_shown_notes[0], 48);
    EXPECT_EQ(music_shown_notes[1], NOTES - 1);
    EXPECT_EQ(music_shown_notes[2], NOTE_REST);
    psg[7] = 0x3D; // channel A's tone off
    music_window_refresh(0);
    EXPECT_EQ(music_shown_notes[0], NOTE_REST);

    // Laser Battle: the two lowest notes of each tone unit (bass tones 1 and
    // 2, C3 and C#3; treble tone 2, C#4).
    gui_close_subwindow(TW_MUSIC);
    on(ZACCARIA, MAP_LASER_BATTLE);
    gui_music_window();
    tone_unit_word = 0x7 | (1u << 13);
    music_window_refresh(0);
    EXPECT_EQ(music_shown_notes[0], 27);
    EXPECT_EQ(music_shown_notes[1], 28);
    EXPECT_EQ(music_shown_notes[2], 40);
    EXPECT_EQ(music_shown_notes[3], NOTE_REST);
    tone_unit_word = 0;

    // The Arcadia's main voice on stave 0: middle C with its ledger line and
    // its stem up; the key in the tone's colour.
    gui_close_subwindow(TW_MUSIC);
    on(ARCADIA, 8);
    gui_music_window();
    guest_memory[0x18FD] = note_table[39].code_60;
    guest_memory[0x18FE] = 0x0F;
    music_window_refresh(0);
    EXPECT_EQ(music_shown_notes[MUSIC_EXTRA_VOICES], 39);
    EXPECT_EQ(stave_pixel(91 - 80 + 2, 74), pen(9)); // ledger line, black
    EXPECT_EQ(stave_pixel(104 - 80, 60), pen(9));    // stem above the notehead
    EXPECT_EQ(stave_pixel(100 - 80, 77), pen(12));   // the head's inside, green
    const u16* c4 = note_table[39].outline;
    EXPECT_EQ(shown(GID_MUSIC_KEYS, 2 * (c4[2] - 6) + 1, 30), pen(12));
    // Stave 1 stays grey on the Arcadia.
    EXPECT_EQ(stave_pixel(40 + 81 - 80 + 5, 70), pen(7));
    // Closing lets go of a held note.
    music_key_press(0, key_x(48), UPPER_Y);
    EXPECT_EQ(music_note_slot[0], 48);
    gui_close_subwindow(TW_MUSIC);
    EXPECT_EQ(music_note_slot[0], -2);
}

// Every key of the keyboard, on each kind of machine, greyed or left as the
// machine's sound hardware allows; and the staves of the voices it lacks.
TEST_F(MusicKeyboard, EveryKeyOfEachMachinesSetIsGreyOrPlayable) {
    // The keys above C#5 that a divider still hits.
    const std::vector<int> high = {54, 55, 56, 58, 60, 62, 64, 67, 70, 74, 79, 86};
    auto playable_set = [&](int lowest) {
        std::vector<bool> set(NOTES, false);
        for (int k = lowest; k <= 52; k++)
            set[k] = true;
        for (int k : high)
            set[k] = true;
        return set;
    };
    std::vector<bool> tone_units(NOTES, false);
    for (int k = 27; k <= 51; k++) // C3-C5
        tone_units[k] = true;
    struct Case {
        int machine, map;
        std::vector<bool> playable;
        int grey_staves; // staves 1-6 greyed, counted from 6 down
    };
    const Case cases[] = {
        {ARCADIA, 8, playable_set(14), 6},
        {INTERTON, 3, playable_set(2), 6},
        {ELEKTOR, MAP_ELEKTOR_EXPANDED, playable_set(2), 0},
        {ZACCARIA, MAP_GALAXIA, playable_set(2), 6},
        {ZACCARIA, MAP_LASER_BATTLE, tone_units, 2},
        {ZACCARIA, MAP_LAZARIAN, tone_units, 2},
    };
    for (const Case& c : cases) {
        on(c.machine, c.map);
        gui_music_window();
        ASSERT_NE(gui_subwin_window[TW_MUSIC], 0);
        for (int k = 0; k < NOTES; k++) {
            const u16* o = note_table[k].outline;
            // A greyed key is grey across its upper band.
            const u32 at = shown(GID_MUSIC_KEYS, 2 * (o[0] - 5) + 1, 10);
            EXPECT_EQ(at == pen(7), !c.playable[k]) << c.map << " key " << note_table[k].name;
        }
        for (int box = 1; box <= MUSIC_EXTRA_VOICES; box++)
            EXPECT_EQ(stave_pixel(40 * box + 81 - 80 + 5, 70) == pen(7), box > 6 - c.grey_staves)
                << c.map << " stave " << box;
        gui_close_subwindow(TW_MUSIC);
    }
}

// Press a key, drag off the keyboard with the button held, let go: the note
// that kept sounding while dragged stops with the button.
TEST_F(MusicKeyboard, ANoteDraggedOffTheKeysStopsOnRelease) {
    on(ARCADIA, 8);
    gui_music_window();
    const int win = gui_subwin_window[TW_MUSIC];
    ASSERT_NE(win, 0);
    const GuiRect keys = gui_gadget_rect(win, GID_MUSIC_KEYS);
    guest_memory[0x18FE] = 0;
    const auto post = [&](GuiEventType type, int code, u16 qualifier, int x, int y) {
        GuiEvent e;
        e.type = type;
        e.code = code;
        e.qualifier = qualifier;
        e.x = keys.left + x;
        e.y = keys.top + y;
        gui_headless_post(win, e);
        gui_music_window_input();
    };
    post(GE_MOUSEBUTTON, 1, QUAL_LEFTBUTTON, key_x(48), UPPER_Y);
    EXPECT_EQ(guest_memory[0x18FE], 0x0F);
    post(GE_MOUSEMOVE, 0, QUAL_LEFTBUTTON, key_x(48), 36); // below the keys
    EXPECT_EQ(music_note_slot[0], -1);
    EXPECT_EQ(guest_memory[0x18FE], 0x0F); // still sounding while held
    post(GE_MOUSEBUTTON, 1 | RAWKEY_UP, 0, key_x(48), 36);
    EXPECT_EQ(guest_memory[0x18FE], 0x07);
    EXPECT_EQ(music_note_slot[0], -2);
}
