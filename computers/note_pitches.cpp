#include "computers/note_pitches.h"

#include <array>
#include <cmath>

namespace {

// Equal temperament: the frequency `semitones` above (or below) A4.
double tempered(int semitones) {
    return 440.0 * std::pow(2.0, semitones / 12.0);
}

double round_to(double hz, int decimals) {
    const double scale = decimals == 2 ? 100.0 : 10.0;
    return std::round(hz * scale) / scale;
}

constexpr u32 FIRST_CODE = 0x30, LAST_CODE = 0x7B;
constexpr int E2_FROM_A4 = -29;

// The music programs' table, indexed by code - $30. Up to $65 the notes are
// kept to two decimals, the rest of octave 6 to one; octave 7 doubles octave 6.
std::array<float, LAST_CODE - FIRST_CODE + 1> build_note_codes() {
    std::array<float, LAST_CODE - FIRST_CODE + 1> table{};
    for (u32 code = FIRST_CODE; code <= LAST_CODE; code++) {
        const u32 octave = code >> 4, semitone = code & 15;
        if (semitone > 11) continue;
        float& hz = table[code - FIRST_CODE];
        if (octave == 7) {
            hz = 2.0f * table[code - 0x10 - FIRST_CODE];
            continue;
        }
        const double exact = tempered(E2_FROM_A4 + static_cast<int>((octave - 3) * 12 + semitone));
        hz = static_cast<float>(round_to(exact, code <= 0x65 ? 2 : 1));
    }
    return table;
}

constexpr int C4_FROM_A4 = -9, ASHARP3_FROM_A4 = -11;
constexpr u32 PHUNSY_HALF_ENTRIES = 64;

} // namespace

double note_code_frequency(u32 code) {
    static const auto table = build_note_codes();
    if (code < FIRST_CODE || code > LAST_CODE) return 0.0;
    return table[code - FIRST_CODE];
}

float phunsy_tone_pitch(u32 n) {
    if (n < 1 || n > 13) return 0.0f;
    return static_cast<float>(round_to(tempered(C4_FROM_A4 + static_cast<int>(n) - 1), 2));
}

float phunsy_tone_pitch_half(u32 n) {
    if (n >= PHUNSY_HALF_ENTRIES) return 0.0f;
    // The table holds the octave above, to two decimals, halved (130.815 for C3).
    const double entry = round_to(tempered(ASHARP3_FROM_A4 + static_cast<int>(n)), 2) / 2.0;
    return static_cast<float>(entry / 2.0);
}

float mikit_note_pitch(u32 value) {
    constexpr int C3_FROM_A4 = -21;
    constexpr int MAJOR_SCALE[8] = {0, 2, 4, 5, 7, 9, 11, 12};
    for (const int step : MAJOR_SCALE) {
        const double exact = tempered(C3_FROM_A4 + step);
        const long stored = step == 12 ? 255 : std::lround(exact);
        if (static_cast<long>(value) == stored) return static_cast<float>(round_to(exact, 2));
    }
    return static_cast<float>(value);
}
