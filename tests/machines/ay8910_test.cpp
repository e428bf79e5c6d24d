#include "machines/ay8910.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

TEST(Ay8910, DecodersMaskTheUnusedBits) {
    std::array<u8, AY_REGISTERS> r{};
    const u8 written[16] = {0x45, 0xF3, 0xFF, 0x1F, 0x00, 0x80, 0xE7, 0xA9,
                            0xFA, 0x1F, 0x0C, 0x34, 0x12, 0xF5, 0x77, 0x88};
    std::memcpy(r.data(), written, sizeof written);

    EXPECT_EQ(ay8910_tone_period(r.data(), 0), 0x345);
    EXPECT_EQ(ay8910_tone_period(r.data(), 1), 0xFFF);
    EXPECT_EQ(ay8910_tone_period(r.data(), 2), 0x000);
    EXPECT_EQ(ay8910_noise_period(r.data()), 0x07);
    EXPECT_EQ(ay8910_envelope_period(r.data()), 0x1234);
    // Mixer $A9: bits 0 and 3 and 5 set disable tone A, noise A, noise C.
    const bool tones[3] = {false, true, true}, noises[3] = {false, true, false};
    for (int c = 0; c < 3; c++) {
        EXPECT_EQ(ay8910_tone_enabled(r.data(), c), tones[c]) << c;
        EXPECT_EQ(ay8910_noise_enabled(r.data(), c), noises[c]) << c;
    }
    const bool envelope[3] = {true, true, false};
    const u8 amplitude[3] = {0x0A, 0x0F, 0x0C};
    for (int c = 0; c < 3; c++) {
        EXPECT_EQ(ay8910_envelope_mode(r.data(), c), envelope[c]) << c;
        EXPECT_EQ(ay8910_amplitude(r.data(), c), amplitude[c]) << c;
    }

    ay8910_reset(r.data());
    for (u32 i = 0; i < AY_REGISTERS; i++)
        EXPECT_EQ(r[i], 0) << i;
}

TEST(Ay8910, FrequenciesAndShapes) {
    EXPECT_FLOAT_EQ(ay8910_tone_frequency(0), 110837.0f); // 0 counts as 1
    EXPECT_FLOAT_EQ(ay8910_tone_frequency(1), 110837.0f);
    EXPECT_FLOAT_EQ(ay8910_tone_frequency(0x100), 110837.0f / 256);
    EXPECT_FLOAT_EQ(ay8910_envelope_frequency(0), 6927.313f);
    EXPECT_FLOAT_EQ(ay8910_envelope_frequency(1000), 6.927313f);

    const std::string fall_once = "\\" + std::string(15, '_');
    const std::string rise_once = "/" + std::string(15, '_');
    const struct {
        u8 shape;
        std::string picture;
    } cases[] = {
        {0, fall_once},
        {3, fall_once},
        {9, fall_once},
        {4, rise_once},
        {7, rise_once},
        {15, rise_once},
        {8, std::string(16, '\\')},
        {12, std::string(16, '/')},
        {10, "\\/\\/\\/\\/\\/\\/\\/\\/"},
        {14, "/\\/\\/\\/\\/\\/\\/\\/\\"},
        {11, "\\" + std::string(15, '"')},
        {13, "/" + std::string(15, '"')},
        {0xF8, std::string(16, '\\')}, // the high bits are not part of the shape
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ay8910_shape_picture(c.shape), c.picture) << int(c.shape);
        EXPECT_EQ(std::strlen(ay8910_shape_picture(c.shape)), 16u);
    }
}

} // namespace
