#include "sound/note_lookup.h"

#include "sound/voice_update.h"

#include <cmath>

int snd_note_for_frequency(double frequency) {
    for (int i = 0; i < NOTES - 1; i++) {
        const float low = note_table[i].frequency, high = note_table[i + 1].frequency;
        if (frequency < std::fmaf(high - low, 0.5f, low)) return i;
    }
    return NOTES - 1;
}
