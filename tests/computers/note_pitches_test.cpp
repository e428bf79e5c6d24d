#include "computers/note_pitches.h"

#include <gtest/gtest.h>

namespace {

TEST(NotePitches, NoteCodesGiveTheMusicProgramsFrequencies) {
    struct Case {
        u32 code;
        double hz;
    };
    // Two decimals up to $65, one for the rest of octave 6, octave 7 doubles octave 6.
    for (const Case c :
         {Case{0x30, 82.41}, Case{0x35, 110.0}, Case{0x3B, 155.56}, Case{0x40, 164.81},
          Case{0x55, 440.0}, Case{0x64, 830.61}, Case{0x65, 880.0}, Case{0x66, 932.3},
          Case{0x67, 987.8}, Case{0x6B, 1244.5}, Case{0x70, 1318.52}, Case{0x74, 1661.22},
          Case{0x77, 1975.6}, Case{0x7B, 2489.0}})
        EXPECT_NEAR(note_code_frequency(c.code), c.hz, 0.0005) << std::hex << c.code;
    // Outside the range and the unused semitones 12-15 of every octave.
    for (const u32 code : {0x00u, 0x2Fu, 0x3Cu, 0x3Fu, 0x4Du, 0x6Cu, 0x7Cu, 0x80u, 0x155u})
        EXPECT_EQ(note_code_frequency(code), 0.0) << std::hex << code;
}

TEST(NotePitches, PhunsyTonesAreTheSemitonesFromMiddleC) {
    const float expected[14] = {0,       261.63f, 277.18f, 293.66f, 311.13f, 329.63f, 349.23f,
                                369.99f, 392.0f,  415.3f,  440.0f,  466.16f, 493.88f, 523.25f};
    for (u32 n = 0; n < 14; n++)
        EXPECT_FLOAT_EQ(phunsy_tone_pitch(n), expected[n]) << n;
    EXPECT_EQ(phunsy_tone_pitch(14), 0.0f);
    EXPECT_EQ(phunsy_tone_pitch(256), 0.0f);

    // Half of the chromatic table from A#2: 116.54, 123.47, 130.815, 138.59 ...
    struct Case {
        u32 n;
        float hz;
    };
    for (const Case c : {Case{0, 58.27f}, Case{1, 61.735f}, Case{2, 65.4075f}, Case{3, 69.295f},
                         Case{11, 110.0f}, Case{23, 220.0f}})
        EXPECT_FLOAT_EQ(phunsy_tone_pitch_half(c.n), c.hz) << c.n;
    EXPECT_GT(phunsy_tone_pitch_half(63), phunsy_tone_pitch_half(62));
    EXPECT_EQ(phunsy_tone_pitch_half(64), 0.0f);
}

TEST(NotePitches, MikitWholeFrequenciesBecomeTheExactScale) {
    struct Case {
        u32 value;
        float hz;
    };
    for (const Case c :
         {Case{131, 130.81f}, Case{147, 146.83f}, Case{165, 164.81f}, Case{175, 174.61f},
          Case{196, 196.0f}, Case{220, 220.0f}, Case{247, 246.94f}, Case{255, 261.63f},
          Case{130, 130.0f}, Case{262, 262.0f}, Case{0, 0.0f}, Case{1, 1.0f}})
        EXPECT_FLOAT_EQ(mikit_note_pitch(c.value), c.hz) << c.value;
}

} // namespace
