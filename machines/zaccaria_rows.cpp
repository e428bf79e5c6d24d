#include "machines/zaccaria_rows.h"

#include "core/emu.h"
#include "sound/voice_update.h"

namespace {
bool has_tone_units() {
    return memmap == MAP_LASER_BATTLE || memmap == MAP_LAZARIAN;
}
} // namespace

int zaccaria_hiscore_row() {
    return memmap >= MAP_ASTRO_WARS && memmap <= MAP_LAZARIAN ? static_cast<int>(memmap) + 30 : -1;
}

int zaccaria_score_digit(u8 c) {
    return memmap == MAP_GALAXIA ? (c & 0x7F) - 0x60 : c - 0xB0;
}

const char* zaccaria_game_file_name(u32 map) {
    switch (map) {
    case MAP_ASTRO_WARS:
        return "AstroWars.cos";
    case MAP_GALAXIA:
        return "Galaxia.cos";
    case MAP_LASER_BATTLE:
        return "LaserBattle.cos";
    case MAP_LAZARIAN:
        return "Lazarian.cos";
    default:
        return "";
    }
}

u32 zaccaria_map_picture(u32 map) {
    return map == MAP_LAZARIAN ? 10u : map - 14;
}

void snd_voices_zaccaria() {
    if (has_tone_units()) {
        int bass = 0, treble = 0;
        for (int t = 1; t <= 13; t++) {
            if (bass < 2 && (tone_unit_word >> (t - 1) & 1))
                snd_set_voice(3 + bass++, 15, static_cast<u16>(t));
            if (t >= 2 && treble < 2 && (tone_unit_word >> (11 + t) & 1))
                snd_set_voice(5 + treble++, 15, static_cast<u16>(t));
        }
        for (int v = 3; v <= 6; v++)
            snd_cur_volume[v] = 15;
    }
    if (memmap == MAP_GALAXIA) {
        snd_set_voice(3, galaxia_tone_a ? 6 : 0, galaxia_tone_a);
        if (galaxia_sound_latch & 0x08)
            snd_set_voice(4, 4, static_cast<u16>(galaxia_tone_b & 0xFFFF));
    }
}

float zaccaria_voice_frequency(int voice, u16 p) {
    switch (voice) {
    case 3:
    case 4:
        if (has_tone_units() && p <= 13) return 62500.0f / tone_unit_dividers[p];
        if (memmap == MAP_GALAXIA) {
            if (voice == 3) return 16.0f * static_cast<float>(p);
            return p > 7 ? 272.0f - 4.0f * static_cast<float>(p)
                         : 216.0f + 4.0f * static_cast<float>(p);
        }
        return -1.0f;
    case 5:
    case 6:
        if (has_tone_units() && p <= 13) return 125000.0f / tone_unit_dividers[p];
        return -1.0f;
    default:
        return -1.0f;
    }
}
