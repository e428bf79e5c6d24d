#include "sound/voice_update.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "platform/audio.h"
#include "sound/effects.h"
#include "sound/note_lookup.h"
#include "sound/sound_latches.h"
#include "sound/sound_output.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

namespace {

class Voices : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        snd_fill_waveforms();
        for (SoundSample& e : snd_effect_table)
            e.data.assign(2000, 40);
        snd_enabled = 1;
        snd_master_volume = 8;
    }
    void TearDown() override { snd_free_samples(); }
    static void use(u32 m, u32 map) {
        machine = m;
        memmap = map;
        std::fill(std::begin(guest_memory), std::end(guest_memory), u8{0});
    }
};

TEST_F(Voices, TheIntertonSoundRegisterGivesTheVolumes) {
    use(INTERTON, 0);
    guest_memory[0x1FC7] = 0x20;
    struct Case {
        u8 reg;
        u8 tone, noise;
    };
    for (const Case c : {Case{0x04, 15, 0}, Case{0xC4, 4, 0}, Case{0x84, 6, 0}, Case{0x88, 0, 8},
                         Case{0x4C, 12, 12}, Case{0x00, 0, 0}}) {
        guest_memory[0x1E80] = c.reg;
        snd_update_voices(0);
        EXPECT_EQ(snd_cur_volume[0], c.tone) << int(c.reg);
        EXPECT_EQ(snd_cur_volume[9], c.noise) << int(c.reg);
    }
}

// Bit 4 of $1E80 held up to 7499 clock periods clicks; from 7500 on it explodes.
TEST_F(Voices, TheNoiseBurstClicksOrExplodesByItsLength) {
    for (const u32 held : {7499u, 7500u}) {
        snd_output_reset();
        use(INTERTON, 0);
        snd_effect_latch = SoundEffectLatch{};
        cpu_cycles = 1000;
        guest_memory[0x1E80] = 0x10;
        snd_update_voices(0);
        cpu_cycles += held;
        guest_memory[0x1E80] = 0x00;
        snd_update_voices(0);
        EXPECT_EQ(snd_voice_active[SND_FIRST_EFFECT + 5], held == 7499u) << held; // click
        EXPECT_EQ(snd_voice_active[SND_FIRST_EFFECT + 0], held == 7500u) << held; // explode
    }
}

TEST_F(Voices, FrequenciesFromTheSoundChips) {
    struct Case {
        const char* what;
        u32 machine, map;
        void (*set)();
        int voice;
        float hz; // 0: the voice is silent
    };
    const Case cases[] = {
        {"PSG 1 A period 0", ELEKTOR, 5, [] { guest_memory[0x1D08] = 15; }, 3, 110837.0f},
        {"PSG 1 B period 0", ELEKTOR, 5, [] { guest_memory[0x1D09] = 15; }, 4, 0.0f},
        {"PSG 2 A period 0", ELEKTOR, 5, [] { guest_memory[0x1D18] = 15; }, 6, 0.0f},
        {"PSG 2 B period $123", ELEKTOR, 5,
         [] {
             guest_memory[0x1D12] = 0x23;
             guest_memory[0x1D13] = 0x01;
             guest_memory[0x1D19] = 0x10; // envelope mode: full volume
         },
         7, 110837.0f / 0x123},
        {"Laser Battle bass 3", ZACCARIA, 24, [] { tone_unit_word = 1u << 2 | 1u << 4 | 1u << 8; },
         3, 62500.0f / 426},
        {"Laser Battle bass 5", ZACCARIA, 24, [] { tone_unit_word = 1u << 2 | 1u << 4 | 1u << 8; },
         4, 62500.0f / 379},
        {"Laser Battle treble 2", ZACCARIA, 24, [] { tone_unit_word = 1u << 13; }, 5,
         125000.0f / 451},
        {"Galaxia g = 8", ZACCARIA, 23,
         [] {
             galaxia_tone_b = 8;
             galaxia_sound_latch = 8;
         },
         4, 240.0f},
        {"Galaxia g = 7", ZACCARIA, 23,
         [] {
             galaxia_tone_b = 7;
             galaxia_sound_latch = 8;
         },
         4, 244.0f},
        {"Galaxia tone a", ZACCARIA, 23, [] { galaxia_tone_a = 30; }, 3, 480.0f},
    };
    for (const Case& c : cases) {
        snd_voice_update_reset();
        use(c.machine, c.map);
        c.set();
        snd_update_voices(1);
        if (c.hz == 0.0f) {
            EXPECT_EQ(snd_voice_request[c.voice], 2u) << c.what;
        } else {
            EXPECT_EQ(snd_voice_request[c.voice], 1u) << c.what;
            EXPECT_FLOAT_EQ(snd_voice_frequency[c.voice], c.hz) << c.what;
        }
    }
    EXPECT_EQ(snd_voice_request[6], 2u) << "tone 9 is the third bass tone: dropped";
}

TEST_F(Voices, RetuneSoundsTheNearestNote) {
    use(INTERTON, 0);
    emu_region = 0;
    guest_memory[0x1FC7] = 17;
    guest_memory[0x1E80] = 0x04;
    struct Case {
        u32 retune, exact;
        float hz;
    };
    for (const Case c : {Case{1, 0, 440.0f}, Case{0, 0, 7884.5f / 18}, Case{0, 1, 7874.0f / 18}}) {
        retune = c.retune;
        exactspeed = c.exact;
        snd_choose_tone_reference();
        snd_update_voices(1);
        EXPECT_FLOAT_EQ(snd_voice_frequency[0], c.hz);
    }
}

TEST_F(Voices, RequestsFollowTheChangesOfTheRegisters) {
    use(ARCADIA, 6);
    guest_memory[0x18FD] = 40;
    guest_memory[0x18FE] = 0x08 | 5;
    snd_update_voices(0);
    EXPECT_EQ(snd_voice_request[0], 1u);
    EXPECT_FLOAT_EQ(snd_voice_frequency[0], snd_tone_reference / 41);
    guest_memory[0x18FE] = 0; // silenced in the same frame: it sounds for this frame
    snd_update_voices(0);
    EXPECT_EQ(snd_voice_request[0], 3u);

    snd_voice_play(0, 5, 100.0f);
    snd_voice_request[0] = 0;
    snd_last_pitch[0] = 40;
    snd_last_volume[0] = 5;
    guest_memory[0x18FE] = 0x08 | 5;
    snd_update_voices(0);
    EXPECT_EQ(snd_voice_request[0], 0u) << "unchanged and sounding: no request";
    snd_update_voices(1);
    EXPECT_EQ(snd_voice_request[0], 1u) << "forced";

    snd_enabled = 0;
    snd_voice_request[0] = 0;
    guest_memory[0x18FD] = 41;
    snd_update_voices(1);
    EXPECT_EQ(snd_voice_request[0], 0u) << "sound off: nothing changes";
}

TEST_F(Voices, BeepsSoundOnVoicesOneAndTwo) {
    use(CD2650, 16);
    snd_start_beep(0);
    EXPECT_EQ(beeper_countdowns[0], 5);
    EXPECT_EQ(snd_voice_request[1], 1u);
    EXPECT_FLOAT_EQ(snd_voice_frequency[1], 800.0f);
    snd_start_beep(1);
    EXPECT_EQ(beeper_countdowns[1], 120);
    EXPECT_FLOAT_EQ(snd_voice_frequency[2], 2000.0f);
}

// Six PSG tones on the expanded Elektor: each plays on its own host channel,
// and one that falls silent frees nothing the others wait for.
TEST_F(Voices, EveryPsgToneHasAHostChannelOfItsOwn) {
    use(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    for (u32 chip : {0x1D00u, 0x1D10u}) {
        guest_memory[chip + 7] = 0x38; // three tones
        for (u32 c = 0; c < 3; c++) {
            guest_memory[chip + 2 * c] = static_cast<u8>(0x60 + 0x10 * c);
            guest_memory[chip + 8 + c] = 15;
        }
    }
    snd_update_voices(0);
    snd_frame_ended();
    for (int v = 3; v <= 8; v++) {
        EXPECT_TRUE(snd_voice_active[v]) << v;
        EXPECT_EQ(snd_voice_channel[v], v);
        EXPECT_NE(audio_channel(v).data, nullptr) << v;
    }
    guest_memory[0x1D08] = 0; // voice 3 falls silent
    snd_update_voices(0);
    snd_frame_ended();
    EXPECT_FALSE(snd_voice_active[3]);
    EXPECT_EQ(audio_channel(3).data, nullptr);
    for (int v = 4; v <= 8; v++)
        EXPECT_NE(audio_channel(v).data, nullptr) << v;
}

TEST_F(Voices, TheHostVolumeFollowsTheTablesAndTheMasterVolume) {
    struct Case {
        u32 machine, map;
        int master, volume, host;
    };
    for (const Case c :
         {Case{INTERTON, 0, 8, 15, 64}, Case{INTERTON, 0, 8, 8, 35}, Case{INTERTON, 0, 4, 15, 32},
          Case{ARCADIA, 6, 8, 7, 64}, Case{ARCADIA, 6, 3, 5, 17}, Case{BINBUG, 11, 8, 7, 64},
          Case{TWIN, 12, 8, 3, 27}, Case{ZACCARIA, 24, 8, 15, 64}}) {
        snd_output_reset();
        use(c.machine, c.map);
        snd_master_volume = c.master;
        const int voice = snd_voice_in_mix(0) ? 0 : 1; // a voice the map sounds
        snd_voice_play(voice, c.volume, 440.0f);
        ASSERT_TRUE(snd_voice_active[voice]) << c.machine;
        const AudioChannel& ch = audio_channel(snd_voice_channel[voice]);
        EXPECT_EQ(ch.volume, c.host) << c.machine << " " << c.volume;
        EXPECT_EQ(ch.rate, 880u);
        EXPECT_TRUE(ch.loop);
    }
    snd_output_reset();
    snd_master_volume = 0;
    snd_voice_play(0, 7, 440.0f);
    EXPECT_FALSE(snd_voice_active[0]) << "master volume 0 starts nothing";
}

TEST_F(Voices, RestartingAVoiceStopsItFirstAndTheChannelRouteCountsPeriods) {
    use(ZACCARIA, 24);
    snd_voice_play(0, 7, 440.0f);
    snd_voice_play(1, 7, 440.0f);
    snd_voice_stop(0);
    snd_voice_play(1, 7, 220.0f);
    EXPECT_EQ(snd_voice_channel[1], 1);
    EXPECT_EQ(audio_channel(1).rate, 440u);
    EXPECT_EQ(audio_channel(0).data, nullptr);
    snd_output_mode = 1;
    snd_voice_play(2, 7, 440.0f);
    const u32 period = static_cast<u32>(snd_audio_clock / 880.0f);
    EXPECT_EQ(audio_channel(snd_voice_channel[2]).rate, static_cast<u32>(snd_audio_clock / period));
    snd_output_mode = 0;
}

TEST_F(Voices, TheNoteTablesHoldEveryNote) {
    EXPECT_STREQ(note_table[0].name, "A0");
    EXPECT_FLOAT_EQ(note_table[0].frequency, 27.5f);
    EXPECT_STREQ(note_table[48].name, "A4");
    EXPECT_FLOAT_EQ(note_table[48].frequency, 440.0f);
    EXPECT_STREQ(note_table[99].name, "C9");
    EXPECT_NEAR(note_table[99].frequency, 8372.018f, 0.01f);
    EXPECT_STREQ(note_table[NOTE_REST].name, "rest");
    struct Code {
        int note, code_60, code_50;
    };
    for (const Code c : {Code{2, 254, 252}, Code{39, 29, 29}, Code{48, 17, 17}}) {
        EXPECT_EQ(note_table[c.note].code_60, c.code_60) << note_table[c.note].name;
        EXPECT_EQ(note_table[c.note].code_50, c.code_50) << note_table[c.note].name;
    }
    struct Staff {
        const char* name;
        int index, staff, kind;
    };
    for (const Staff s : {Staff{"G3", 34, 40, 8}, Staff{"C4", 39, 55, 8}, Staff{"F5", 56, 105, 8},
                          Staff{"F#5", 57, 105, 9}, Staff{"G5", 58, 75, 8}, Staff{"F3", 32, 35, 8},
                          Staff{"A0", 0, 10, 8}}) {
        EXPECT_STREQ(note_table[s.index].name, s.name);
        EXPECT_EQ(note_table[s.index].staff, s.staff) << s.name;
        EXPECT_EQ(note_table[s.index].kind, s.kind) << s.name;
    }
    EXPECT_STREQ(retune_table_60[17].name, "A4");
    EXPECT_EQ(retune_table_60[17].note, 48);
    EXPECT_STREQ(retune_table_60[22].name, "f4") << "rows after the first are lower case";
    EXPECT_STREQ(retune_table_50[22].name, "E4");
    EXPECT_EQ(retune_table_60[0].note, NOTE_REST);
    EXPECT_EQ(retune_table_60[255].note, 2);
    for (int p = 2; p < 256; p++)
        EXPECT_LE(retune_table_50[p].note, retune_table_50[p - 1].note) << p;
}

} // namespace

namespace {

TEST(SoundTables, ToneUnitNotesAndLevels) {
    fresh_state();
    // The tone units' notes as their voices sound them: bass tone 1 is
    // 62500 / 478 Hz, C3; the treble unit sounds an octave above the bass.
    machine = ZACCARIA;
    memmap = MAP_LASER_BATTLE;
    struct Case {
        int voice, tone;
        const char* note;
    };
    for (const Case c : {Case{3, 0, "rest"}, Case{3, 1, "C3"}, Case{4, 13, "C4"},
                         Case{5, 2, "C#4"}, Case{6, 13, "C5"}})
        EXPECT_STREQ(note_table[snd_voice_note(c.voice, static_cast<u16>(c.tone))].name, c.note)
            << "voice " << c.voice << " tone " << c.tone;

    const int steps_8[8] = {0, 18, 36, 54, 73, 91, 109, 127};
    for (int v = 0; v < 8; v++) {
        EXPECT_EQ(snd_levels_8[v].amplitude >> 8, steps_8[v]) << v;
        EXPECT_EQ(snd_levels_8[v].high, 128 + steps_8[v]) << v;
        EXPECT_EQ(snd_levels_8[v].low, 128 - steps_8[v]) << v;
    }
    const int steps_16[16] = {0, 8, 17, 25, 34, 42, 51, 59, 68, 76, 85, 93, 102, 110, 119, 127};
    for (int v = 0; v < 16; v++) {
        EXPECT_EQ(snd_levels_16[v].amplitude >> 8, steps_16[v]) << v;
        EXPECT_EQ(snd_levels_16[v].high, 128 + steps_16[v]) << v;
        EXPECT_EQ(snd_levels_16[v].low, 128 - steps_16[v]) << v;
    }
    EXPECT_EQ(snd_levels_8[7].amplitude, 32767);
    EXPECT_EQ(snd_levels_16[1].amplitude, 2184);
    EXPECT_EQ(snd_levels_16[15].amplitude, 32767);
}

} // namespace
