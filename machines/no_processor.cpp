#include "machines/no_processor.h"

#include "cpu/dbg_hooks.h"
#include "sound/voice_update.h"

static u8 no_text(u8) {
    return 0;
}

static CpuCharStyle ascii_style() {
    return CHARS_ASCII;
}

constexpr CpuDebugHooks pong_debug_hooks{
    .guest_char = no_text,
};

constexpr CpuDebugHooks typeright_debug_hooks{
    .char_style = ascii_style,
    .guest_char = no_text,
};

void snd_voices_tone_hz() {
    if (pong_tone_hz) snd_set_voice(0, 7, static_cast<u16>(pong_tone_hz & 0xFFFF));
}

float snd_tone_hz(u16) {
    return static_cast<float>(pong_tone_hz);
}
