// The video chips' register texts and the machines' VIEW words.
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "machines/arcadia_views.h"
#include "machines/pvi_views.h"
#include "core/machine_sound.h"
#include "core/settings_vars.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"
#include "tests/debugger/debugger_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

class ChipViewsTest : public DebuggerTest {
  public:
    using DebuggerTest::run;

  protected:
    static void on(u32 m, u32 map) { ASSERT_TRUE(machine_switch(m, map, true, true, false)); }
};

TEST_F(ChipViewsTest, UviBitsAndMeanings) {
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    char text[64];
    uvi_describe_bits(0xA5, 0x18FE, text, sizeof text);
    EXPECT_STREQ(text, " [%101,0,0,101]");
    uvi_describe_bits(0xA5, 0x19FE, text, sizeof text);
    EXPECT_STREQ(text, "");
    uvi_describe_bits(0x0B, 0x19FD, text, sizeof text);
    EXPECT_STREQ(text, " [%--,0,0,1,0,1,1]");
    uvi_describe_bits(0x1A, 0x1234, text, sizeof text); // code $1A shows 'A'
    EXPECT_STREQ(text, " ['A']");

    std::string meaning;
    EXPECT_FALSE(arcadia_describe_uvi(0x18FF, &meaning));
    guest_memory[0x18FE] = 0x5D; // scroll 2, noise, tone, volume 5
    ASSERT_TRUE(arcadia_describe_uvi(0x18FE, &meaning));
    EXPECT_EQ(meaning, "Horizontal scrolling: 2 pixels\nTone: on\nNoise: on\nVolume: 5 of 7");
    // A sprite is tall while its height bit is clear, as the picture draws it.
    guest_memory[0x19FB] = 0x80;
    ASSERT_TRUE(arcadia_describe_uvi(0x19FB, &meaning));
    EXPECT_EQ(meaning.rfind("Sprite heights: normal, double\n", 0), 0u) << meaning;
    guest_memory[0x19FD] = 0x3E; // only sprites 0 and 1 collide (bit 0 clear)
    ASSERT_TRUE(arcadia_describe_uvi(0x19FD, &meaning));
    EXPECT_NE(meaning.find("Sprite #0 vs. #1/#2/#3: yes, no, no\n"), std::string::npos) << meaning;
    // "=" prints the register's meaning after the rest of the description.
    EXPECT_NE(run("= $18FE").find("Volume: 5 of 7\n\n"), std::string::npos);
}

TEST_F(ChipViewsTest, PviMeanings) {
    on(INTERTON, MAP_INTERTON_A);
    const PviChips chips{0x1F00, 1};
    std::string meaning;
    EXPECT_FALSE(pvi_dump_decoded(chips, 0x1FCC, &meaning));
    EXPECT_FALSE(pvi_dump_decoded(chips, 0x1FCD, &meaning));
    guest_memory[0x1FC0] = 0xE4; // objects 0-3: single, double, quadruple, octuple
    ASSERT_TRUE(pvi_dump_decoded(chips, 0x1FC0, &meaning));
    EXPECT_EQ(meaning, "Sprite sizes: single, double, quadruple, octuple");
    guest_memory[0x1FCB] = 0x21; // pairs 0/1 and 2/3
    ASSERT_TRUE(pvi_dump_decoded(chips, 0x1FCB, &meaning));
    EXPECT_EQ(meaning, "Collisions:\nSprite #0 vs. #1/#2/#3: yes, no, no\n"
                       "Sprite #1 vs. #0/#2/#3: yes, no, no\n"
                       "Sprite #2 vs. #0/#1/#3: no, no, yes\n"
                       "Sprite #3 vs. #0/#1/#2: no, no, yes");
    // The second PVI of a coin-op board numbers its objects 4-7.
    ASSERT_TRUE(pvi_dump_decoded({0x1500, 3}, 0x16CB, &meaning));
    EXPECT_EQ(meaning.rfind("Collisions:\nSprite #4 vs. #5/#6/#7:", 0), 0u) << meaning;
    // The grid view: twenty pairs of bar bytes, then the five width bytes.
    guest_memory[0x1F80] = 0xF0;
    const std::string grid = run("VIEW SCRN");
    EXPECT_EQ(grid.rfind("$1F80: F0 00 ####.... ........\n", 0), 0u) << grid;
    EXPECT_NE(grid.find("$1FA8: 00 00 00 00 00\n\n"), std::string::npos);
}

TEST_F(ChipViewsTest, CoinOpToneUnitsAndScreen) {
    on(ZACCARIA, MAP_ASTRO_WARS);
    EXPECT_EQ(run("VIEW PSG"), "Wrong guest machine!\n\n");
    on(ZACCARIA, MAP_LASER_BATTLE);
    tone_unit_word = 0;
    EXPECT_EQ(run("VIEW PSG"),
              "1st tone unit (bass):   rest, rest\n2nd tone unit (treble): rest, rest\n\n");
    tone_unit_word = (1u << 0) | (1u << 5) | (1u << 9) | (1u << 13); // C3, F3, A3; C#4
    EXPECT_EQ(run("VIEW PSG"),
              "1st tone unit (bass):   C3, F3\n2nd tone unit (treble): C#4, rest\n\n");
    tone_unit_word = 0;
}

// Every place that names a voice's note (the register texts, VIEW PSG, the
// musical keyboard's staves) names the key the MIDI and SMUS files write for
// the frequency the voice sounds, at every pitch, in both regions, retuned or
// not.
struct NoteView {
    const char* name;
    u32 machine, map;
    int voice;
    std::vector<u16> pitches;
    // Sets pitch p for the voice; then the note the view names.
    std::function<void(u16)> set;
    std::function<std::string()> shown;
};

std::vector<u16> span(u16 from, u16 to) {
    std::vector<u16> v;
    for (u16 p = from; p <= to; p++)
        v.push_back(p);
    return v;
}
// The note in "... (note X)".
std::string note_in(const std::string& text) {
    const std::size_t at = text.find("(note ");
    return at == std::string::npos ? "?" : text.substr(at + 6, text.find(')', at) - at - 6);
}
std::string stave_note(int slot) {
    u8 notes[16];
    machine_sound().music->extra_notes(notes);
    return note_table[notes[slot]].name;
}
std::string main_note(u16 code) {
    EXPECT_TRUE(machine_sound().music->play(0, static_cast<u8>(code)));
    u8 pen = 0;
    return note_table[machine_sound().music->main_note(&pen)].name;
}
// A tone unit's bit for bass tone t (voice 3) or treble tone t (voice 5).
void tone_unit(int voice, u16 t) {
    tone_unit_word = voice == 3 ? 1u << (t - 1) : 1u << (t + 11);
}
void psg_tone_a(u16 period) {
    u8* psg = guest_memory + 0x1D00;
    psg[0] = static_cast<u8>(period);
    psg[1] = static_cast<u8>(period >> 8);
    psg[7] = 0x3E;
    psg[8] = 15;
}

std::vector<NoteView> note_views() {
    const auto text = [](const char* line) { return [line] { return note_in(ChipViewsTest::run(line)); }; };
    const auto poke = [](u32 a) { return [a](u16 p) { guest_memory[a] = static_cast<u8>(p); }; };
    std::vector<NoteView> views = {
        {"PviPitchText", INTERTON, 3, 0, span(1, 255), poke(0x1FC7), text("= $1FC7")},
        {"UviPitchText", ARCADIA, MAP_ARCADIA_EMERSON, 0, span(1, 127), poke(0x18FD), text("= $18FD")},
        {"ElektorPsgText", ELEKTOR, MAP_ELEKTOR_EXPANDED, 3, span(1, 4095), psg_tone_a, text("= $1D00")},
        {"ElektorPsgStave", ELEKTOR, MAP_ELEKTOR_EXPANDED, 3, span(1, 4095), psg_tone_a,
         [] { return stave_note(0); }},
    };
    for (u32 map : {u32{MAP_LASER_BATTLE}, u32{MAP_LAZARIAN}}) {
        views.push_back({"ToneUnitBassView", ZACCARIA, map, 3, span(1, 13),
                         [](u16 t) { tone_unit(3, t); },
                         [] {
                             const std::string v = ChipViewsTest::run("VIEW PSG"); // "...(bass):   C3, rest"
                             const std::size_t at = v.find(":   ") + 4;
                             return v.substr(at, v.find(',', at) - at);
                         }});
        views.push_back({"ToneUnitTrebleStave", ZACCARIA, map, 5, span(2, 13),
                         [](u16 t) { tone_unit(5, t); }, [] { return stave_note(2); }});
    }
    // The musical keyboard's main voice on every machine whose clicks play a code.
    for (u32 m = 0; m < MACHINES; m++) {
        const MusicKeyboard* music = machine_sound(m).music;
        if (music && music->play && music->main_note)
            views.push_back({"KeyboardMainNote", m, static_cast<u32>(machine_table[m].default_memmap), 0,
                             span(1, m == ARCADIA ? 127 : 255), [](u16) {}, {}});
    }
    return views;
}

TEST_F(ChipViewsTest, EveryNoteViewNamesTheKeyTheMusicFilesWrite) {
    std::string faults;
    int checked = 0;
    for (NoteView& view : note_views()) {
        on(view.machine, view.map);
        for (u32 region : {0u, 1u})
            for (u32 retuned : {0u, 1u}) {
                emu_region = region;
                retune = retuned;
                snd_choose_tone_reference();
                for (u16 p : view.pitches) {
                    view.set(p);
                    const std::string shown = view.shown ? view.shown() : main_note(p);
                    // What the music files write: the key of the frequency sounding.
                    const int key = snd_key_for_frequency(snd_voice_pitch_frequency(view.voice, p));
                    const std::string want = note_table[std::clamp(key - 21, 0, NOTES - 1)].name;
                    checked++;
                    if (shown != want && std::count(faults.begin(), faults.end(), '\n') < 8)
                        faults += std::string(view.name) + " map " + std::to_string(view.map) +
                                  (region ? " 50 Hz" : " 60 Hz") + (retuned ? " retuned" : "") +
                                  " pitch " + std::to_string(p) + ": shows " + shown +
                                  ", the music files " + want + "\n";
                }
            }
    }
    retune = 0;
    emu_region = 0;
    EXPECT_EQ(faults, "");
    EXPECT_GT(checked, 1000);
}

// Every VIEW word on every machine either shows its view or names the wrong machine.
TEST_F(ChipViewsTest, ViewMatrix) {
    struct Case {
        u32 machine, map;
        const char* shown; // the words that show a view
    };
    const Case cases[] = {
        {ARCADIA, MAP_ARCADIA_EMERSON, "CPU RAM SCRN UDG XVI"},
        {INTERTON, MAP_INTERTON_A, "CPU RAM SCRN UDG XVI"},
        {ELEKTOR, MAP_ELEKTOR_EXPANDED, "CPU RAM SCRN UDG XVI PSG BIOS"},
        {ZACCARIA, MAP_GALAXIA, "CPU RAM SCRN UDG XVI"},
        {MALZAK, MAP_MALZAK_2, "CPU RAM SCRN UDG XVI"},
        {PIPBUG, MAP_PIPBUG_1, "CPU RAM BIOS SCRN BASIC"},
        {INSTRUCTOR, MAP_INSTRUCTOR_BASIC, "CPU RAM BIOS SCRN"},
        {PONG, MAP_PONG_8550, ""},
    };
    for (const Case& c : cases) {
        on(c.machine, c.map);
        for (const char* word : {"CPU", "RAM", "BIOS", "SCRN", "UDG", "XVI", "PSG", "BASIC"}) {
            const std::string line = std::string("VIEW ") + word;
            const std::string said = run(line.c_str());
            const bool expected = std::strstr(c.shown, word) != nullptr;
            const bool wrong = said == "Wrong guest machine!\n\n";
            const bool unbuilt = said == "Command is unavailable.\n\n";
            if (expected)
                EXPECT_FALSE(wrong || unbuilt || said.empty()) << c.machine << " " << word;
            else
                EXPECT_TRUE(wrong || unbuilt) << c.machine << " " << word << ": " << said;
        }
    }
    // The TWIN's RAM view is only its heading.
    on(TWIN, MAP_TWIN);
    EXPECT_EQ(run("VIEW RAM"), "Motherboard RAM:\n");
}

} // namespace
