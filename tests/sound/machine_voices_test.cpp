
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class MachineVoices : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        snd_enabled = 1;
    }
    static void use(u32 m, u32 map, i32 game) {
        machine = m;
        memmap = map;
        known_game_id = game;
        std::fill(std::begin(guest_memory), std::end(guest_memory), u8{0});
    }
    // One update with the processor at `iar`; voice 0's frequency, 0 when silent.
    static float voice0_at(u16 iar) {
        cpu_iar = iar;
        snd_update_voices(1);
        return snd_voice_request[0] == 1 ? snd_voice_frequency[0] : 0.0f;
    }
};

// The programs that play notes in software: each sounds at its address only.
TEST_F(MachineVoices, SoftwareNotesSoundWhileTheProgramPlaysThem) {
    struct Case {
        const char* what;
        u32 machine, map;
        i32 game;
        u8 r0, r3;
        u16 at;
        float hz; // 0: silent
    };
    const Case cases[] = {
        {"Yankee Doodle $35", PIPBUG, 9, 479, 0x35, 0, 0x04A5, 110.0f},
        {"Bach $67", PIPBUG, 9, 488, 0x67, 0, 0x04A5, 987.8f},
        {"Bach, code without a note", PIPBUG, 9, 488, 0x3C, 0, 0x04A5, 0.0f},
        {"Random Morse at its beep", PIPBUG, 9, 457, 0, 0, 0x049B, 440.0f},
        {"Random Morse elsewhere", PIPBUG, 9, 457, 0, 0, 0x04AC, 0.0f},
        {"PIPBUG, another game", PIPBUG, 9, 12, 0x35, 0, 0x04A5, 0.0f},
        {"Music Theme", INSTRUCTOR, 14, 616, 0, 39, 0x001F, 7812.5f * 1.5f / 40},
        {"PIANO tone 10", PHUNSY, 19, 655, 0, 9, 0x1816, 440.0f},
        {"PIANO past its table", PHUNSY, 19, 655, 0, 13, 0x1816, 0.0f},
        {"PIANO at $1827", PHUNSY, 19, 655, 0, 9, 0x1827, 0.0f},
        {"50-THEME", PHUNSY, 19, 654, 0, 99, 0x1819, 7812.5f / 100},
        {"BELMACH", PHUNSY, 19, 652, 0x0B, 0, 0x182A, 110.0f},
        {"BELMACH quiet", PHUNSY, 19, 653, 0x7E, 0, 0x303A, 0.0f},
        {"PHUNSY, another game", PHUNSY, 19, 600, 0x0B, 9, 0x1816, 0.0f},
        {"Music Fragment", MIKIT, 21, 820, 0, 220, 0x0530, 220.0f},
        {"Music Fragment, first address", MIKIT, 21, 820, 0, 131, 0x0528, 131.0f},
    };
    for (const Case& c : cases) {
        snd_voice_update_reset();
        use(c.machine, c.map, c.game);
        snd_tone_reference = 7812.5f;
        retune = 0;
        cpu_regs[0] = c.r0;
        cpu_regs[3] = c.r3;
        EXPECT_NEAR(voice0_at(c.at), c.hz, 0.001f) << c.what;
    }
}

// Between two notes the music programs' voice holds the last one.
TEST_F(MachineVoices, NotesHoldBetweenThePlayingAddresses) {
    struct Case {
        const char* what;
        u32 machine, map;
        i32 game;
        u16 play, elsewhere;
        float hz;
    };
    const Case cases[] = {
        {"Yankee Doodle", PIPBUG, 9, 479, 0x04A5, 0x0400, 110.0f},
        {"Music Theme", INSTRUCTOR, 14, 616, 0x001F, 0x0100, 7812.5f * 1.5f / 0x36},
        {"Music Fragment", MIKIT, 21, 820, 0x0560, 0x0561, 53.0f},
    };
    for (const Case& c : cases) {
        snd_voice_update_reset();
        use(c.machine, c.map, c.game);
        snd_tone_reference = 7812.5f;
        retune = 0;
        cpu_regs[0] = 0x35;
        cpu_regs[3] = 0x35;
        EXPECT_FLOAT_EQ(voice0_at(c.play), c.hz) << c.what;
        cpu_regs[0] = cpu_regs[3] = 0x40;
        EXPECT_FLOAT_EQ(voice0_at(c.elsewhere), c.hz) << c.what << ": held";
        snd_silence_voice(0);
        EXPECT_EQ(voice0_at(c.elsewhere), 0.0f) << c.what << ": silenced by a reset";
    }
}

TEST_F(MachineVoices, LatchesAndTheRetuneOptionChooseTheTone) {
    for (const u32 m : {CD2650, SELBST}) {
        use(m, m == CD2650 ? 16 : 20, -1);
        speaker_latch = 1;
        EXPECT_FLOAT_EQ(voice0_at(0), 440.0f) << m;
        speaker_latch = 0;
        EXPECT_EQ(voice0_at(0), 0.0f) << m;
    }
    for (const u32 m : {PONG, TYPERIGHT}) {
        use(m, m == PONG ? 28 : 30, -1);
        pong_tone_hz = 70000; // above 16 bits: the pitch is its low half, the tone itself
        EXPECT_FLOAT_EQ(voice0_at(0), 70000.0f) << m;
        pong_tone_hz = 0;
        EXPECT_EQ(voice0_at(0), 0.0f) << m;
    }
    // MIKIT: the whole frequency as it stands, or the exact note with "retune".
    use(MIKIT, 21, 820);
    cpu_regs[3] = 247;
    retune = 0;
    EXPECT_FLOAT_EQ(voice0_at(0x0540), 247.0f);
    retune = 1;
    EXPECT_FLOAT_EQ(voice0_at(0x0540), 246.94f);
    retune = 0;
    // Machines without voices of their own keep voice 0 silent.
    for (const u32 m : {BINBUG, TWIN}) {
        use(m, m == BINBUG ? 11 : 12, 479);
        cpu_regs[0] = 0x35;
        EXPECT_EQ(voice0_at(0x04A5), 0.0f) << m;
    }
}
} // namespace
