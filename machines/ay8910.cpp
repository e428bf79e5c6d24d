#include "machines/ay8910.h"

void ay8910_reset(u8* regs) {
    for (u32 r = 0; r < AY_REGISTERS; r++)
        regs[r] = 0;
}

u16 ay8910_tone_period(const u8* regs, int channel) {
    return static_cast<u16>((regs[2 * channel + 1] & 0x0F) << 8 | regs[2 * channel]);
}

u8 ay8910_noise_period(const u8* regs) {
    return regs[AY_NOISE_PERIOD] & 0x1F;
}

u16 ay8910_envelope_period(const u8* regs) {
    return static_cast<u16>(regs[AY_ENVELOPE_HIGH] << 8 | regs[AY_ENVELOPE_LOW]);
}

bool ay8910_tone_enabled(const u8* regs, int channel) {
    return !(regs[AY_MIXER] >> channel & 1);
}

bool ay8910_noise_enabled(const u8* regs, int channel) {
    return !(regs[AY_MIXER] >> (3 + channel) & 1);
}

bool ay8910_envelope_mode(const u8* regs, int channel) {
    return regs[AY_AMPLITUDE_A + channel] & 0x10;
}

u8 ay8910_amplitude(const u8* regs, int channel) {
    return regs[AY_AMPLITUDE_A + channel] & 0x0F;
}

float ay8910_tone_frequency(u32 period) {
    return AY_TONE_CLOCK / static_cast<float>(period ? period : 1);
}

float ay8910_envelope_frequency(u32 period) {
    return AY_ENVELOPE_CLOCK / static_cast<float>(period ? period : 1);
}

const char* ay8910_shape_picture(u8 shape) {
    // Shapes 0-3 fall once and stay silent, 4-7 rise once and drop to silence;
    // 8-15 repeat unless they hold.
    static const char* const pictures[16] = {"\\_______________",
                                             "\\_______________",
                                             "\\_______________",
                                             "\\_______________",
                                             "/_______________",
                                             "/_______________",
                                             "/_______________",
                                             "/_______________",
                                             "\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\\",
                                             "\\_______________",
                                             "\\/\\/\\/\\/\\/\\/\\/\\/",
                                             "\\\"\"\"\"\"\"\"\"\"\"\"\"\"\"\"",
                                             "////////////////",
                                             "/\"\"\"\"\"\"\"\"\"\"\"\"\"\"\"",
                                             "/\\/\\/\\/\\/\\/\\/\\/\\",
                                             "/_______________"};
    return pictures[shape & 0x0F];
}
