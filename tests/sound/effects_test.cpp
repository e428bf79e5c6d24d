#include "sound/effects.h"
#include "tests/support/checkout_paths.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/settings_vars.h"
#include "platform/audio.h"
#include "sound/sound_output.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string chunk(const std::string& id, const std::string& data) {
    std::string bytes = id + be32(static_cast<std::uint32_t>(data.size())) + data;
    if (data.size() & 1) bytes += '\0'; // pad byte
    return bytes;
}

std::string vhdr(std::uint32_t one_shot, std::uint32_t repeat, std::uint16_t rate) {
    std::string v = be32(one_shot) + be32(repeat) + be32(0);
    v += static_cast<char>(rate >> 8);
    v += static_cast<char>(rate & 0xFF);
    v += std::string("\x01\x00", 2) + be32(0x10000);
    return v;
}

std::string form(const std::string& body) {
    return "FORM" + be32(static_cast<std::uint32_t>(body.size())) + body;
}

class Effects : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        dir = std::filesystem::temp_directory_path() /
              ("brindlemox-8svx-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        snd_free_samples();
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::filesystem::path dir;
};

TEST_F(Effects, BrokenFilesGiveTheirErrorCodes) {
    const std::string good_body = "8SVX" + chunk("VHDR", vhdr(4, 0, 8000)) + chunk("BODY", "abcd");
    struct Case {
        const char* what;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"short header", "FORM", SVX_HEADER_SHORT},
        {"empty", "", SVX_HEADER_SHORT},
        {"not FORM", "LIST" + be32(4) + "8SVX", SVX_NOT_FORM},
        {"FORM longer than the file", "FORM" + be32(1000) + "8SVX", SVX_BODY_SHORT},
        {"FORM of 4 GB", "FORM" + be32(0xFFFFFFF0u) + "8SVX", SVX_BODY_SHORT},
        {"not 8SVX", form("AIFF" + chunk("BODY", "ab")), SVX_NOT_8SVX},
        {"no VHDR before BODY", form("8SVX" + chunk("BODY", "abcd") + chunk("VHDR", vhdr(4, 0, 1))),
         SVX_NOT_8SVX},
        {"no BODY", form("8SVX" + chunk("VHDR", vhdr(4, 0, 8000))), SVX_NOT_8SVX},
        {"VHDR too short", form("8SVX" + chunk("VHDR", "abc") + chunk("BODY", "abcd")),
         SVX_NOT_8SVX},
        {"good", form(good_body), SVX_OK},
    };
    for (const Case& c : cases) {
        SoundSample s{"x", {}, 0, 0};
        EXPECT_EQ(snd_load_8svx(write("f.8svx", c.bytes), s), c.code) << c.what;
        EXPECT_EQ(s.data.empty(), c.code != SVX_OK) << c.what;
    }
    SoundSample s{"x", {}, 0, 0};
    EXPECT_EQ(snd_load_8svx((dir / "missing.8svx").string(), s), SVX_OPEN);
}

// Odd chunks carry a pad byte; the length is the VHDR's, clamped to the BODY.
TEST_F(Effects, ChunksArePaddedAndTheLengthIsClampedToTheBody) {
    const std::string bytes = form("8SVX" + chunk("NAME", "odd") + chunk("VHDR", vhdr(2, 3, 0)) +
                                   chunk("BODY", std::string("\x01\x02\x03\x04\x05\x06\x07", 7)));
    SoundSample s{"x", {}, 0, 0};
    ASSERT_EQ(snd_load_8svx(write("pad.8svx", bytes), s), SVX_OK);
    EXPECT_EQ(s.data, (std::vector<std::int8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(s.rate, 0u);

    const std::string over =
        form("8SVX" + chunk("VHDR", vhdr(100, 100, 11025)) + chunk("BODY", "xyz"));
    ASSERT_EQ(snd_load_8svx(write("over.8svx", over), s), SVX_OK);
    EXPECT_EQ(s.data.size(), 3u);
    EXPECT_EQ(s.rate, 11025u);

    // A BODY whose length runs past the FORM keeps what the FORM holds.
    const std::string cut =
        form("8SVX" + chunk("VHDR", vhdr(100, 0, 8000)) + "BODY" + be32(50) + "ab");
    ASSERT_EQ(snd_load_8svx(write("cut.8svx", cut), s), SVX_OK);
    EXPECT_EQ(s.data.size(), 2u);
}

TEST_F(Effects, TheShippedEffectsAllLoad) {
    const std::string root = std::string(test_data()) + "/../../resources/sounds/";
    for (const char* name : {"explode", "shoot", "bang", "coin", "printer", "click", "spin", "step",
                             "grind", "punch"}) {
        SoundSample s{"x", {}, 0, 0};
        EXPECT_EQ(snd_load_8svx(root + name + ".8svx", s), SVX_OK) << name;
        EXPECT_GT(s.data.size(), 100u) << name;
        EXPECT_EQ(s.rate, 11025u) << name;
    }
}

TEST_F(Effects, MissingFilesAreReportedAndTheProgramGoesOn) {
    TempHome home("nosounds");
    OutputCapture out;
    snd_load_samples();
    EXPECT_NE(out.text().find("Can't load \"PROGDIR:sounds/explode.8svx\" (error code 1)!\n"),
              std::string::npos);
    EXPECT_NE(out.text().find("Can't load \"PROGDIR:sounds/punch.8svx\" (error code 1)!\n"),
              std::string::npos);
    EXPECT_EQ(snd_square_buffer.size(), 65536u);
    snd_play_effect(3);
    EXPECT_FALSE(snd_voice_active[SND_FIRST_EFFECT + 3]) << "an unloaded effect stays silent";
}

TEST_F(Effects, AnEffectPlaysAtItsRateAndEndsAtItsEndFrame) {
    struct Case {
        int effect;
        std::uint32_t rate, length, region, end_frames;
        bool loops;
        u32 machine, map; // one that sounds the effect
    };
    for (const Case c : {Case{3, 0, 11025, 0, 60, false, ZACCARIA, 22},
                         Case{3, 8000, 4000, 1, 25, false, ZACCARIA, 22},
                         Case{6, 11025, 5512, 0, 29, true, TWIN, 12}}) {
        snd_output_reset();
        machine = c.machine;
        memmap = c.map; // each effect on its own channel
        emu_region = c.region;
        frame_counter = 100;
        snd_effect_table[c.effect].data.assign(c.length, 50);
        snd_effect_table[c.effect].rate = c.rate;
        snd_play_effect(c.effect);
        const int voice = SND_FIRST_EFFECT + c.effect;
        ASSERT_TRUE(snd_voice_active[voice]);
        const AudioChannel& ch = audio_channel(snd_voice_channel[voice]);
        EXPECT_EQ(ch.rate, c.rate ? c.rate : 11025u);
        EXPECT_EQ(ch.volume, 64);
        EXPECT_EQ(ch.loop, c.loops);
        EXPECT_EQ(snd_effect_table[c.effect].end_frame, 100 + c.end_frames);
        frame_counter = 100 + c.end_frames - 1;
        snd_expire_effects();
        EXPECT_TRUE(snd_voice_active[voice]);
        frame_counter++;
        snd_expire_effects();
        EXPECT_FALSE(snd_voice_active[voice]);
        EXPECT_EQ(audio_channel(voice).data, nullptr);
    }
}

} // namespace
