#include "sound/note_lookup.h"

#include "sound/voice_update.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int KEYS = 128, KEY_A4 = 69, KEY_A0 = 21; // note_table[0] is A0

double key_frequency(int key) {
    return 440.0 * std::exp2((key - KEY_A4) / 12.0);
}

// The boundary between key k and key k + 1.
double upper_mid_point(int key) {
    return (key_frequency(key) + key_frequency(key + 1)) / 2.0;
}
} // namespace

int snd_key_for_frequency(double frequency) {
    if (std::isnan(frequency)) return KEYS - 1;
    if (!(frequency > 0.0)) return 0;
    // The key nearest in pitch, then moved to the side of the mid-points the
    // frequency lies on (they lie a little above the geometric ones).
    const double pitch = KEY_A4 + 12.0 * std::log2(frequency / 440.0);
    int key =
        static_cast<int>(std::clamp(std::lround(std::clamp(pitch, -1.0, 128.0)), 0L, KEYS - 1L));
    while (key < KEYS - 1 && frequency >= upper_mid_point(key))
        key++;
    while (key > 0 && frequency < upper_mid_point(key - 1))
        key--;
    return key;
}

int snd_note_for_frequency(double frequency) {
    return std::clamp(snd_key_for_frequency(frequency) - KEY_A0, 0, NOTES - 1);
}

int snd_voice_note(int voice, u16 p) {
    if (p == 0) return NOTE_REST;
    const double frequency = snd_voice_pitch_frequency(voice, p);
    return frequency > 0.0 ? snd_note_for_frequency(frequency) : NOTE_REST;
}
