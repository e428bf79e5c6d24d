// The Zaccaria boards' rows: their own parts beside the boards (high-score
// tables, score digits, the file a new game is saved under, the tone units'
// and Galaxia's voices, save-state tail) and the entry that names them.
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"
#include "core/savestate_fields.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "machines/music_rows.h"
#include "machines/pvi_glyphs.h"
#include "machines/coinop_editor.h"
#include "machines/coinop_views.h"
#include "machines/pvi_consoles.h"
#include "machines/coinop.h"
#include "machines/coinop_inputs.h"
#include "machines/coinop_rows.h"
#include "machines/coinop_video.h"
#include "machines/zaccaria.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"
#include "machines/controls_rows.h"

namespace {

bool has_tone_units() {
    return memmap == MAP_LASER_BATTLE || memmap == MAP_LAZARIAN;
}

// The high-score table of the map's game, -1 for none.
int zaccaria_hiscore_row() {
    return memmap >= MAP_ASTRO_WARS && memmap <= MAP_LAZARIAN ? static_cast<int>(memmap) + 30 : -1;
}

// The digit a screen character shows in a score: Galaxia's low seven bits
// $60-$69, the other boards' $B0-$B9.
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

// The game list's picture of each board (Laser Battle and Lazarian share one).
u32 zaccaria_map_picture(u32 map) {
    return map == MAP_LAZARIAN ? 10u : map - 14;
}

// The tone units' and Galaxia's voices of one voice update.
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

// Voices 3-6 of the tone units and of Galaxia; below 0 for the framework's.
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

void zaccaria_tail(u32 map) {
    coinop_save_inputs();
    if (map == 22 || map == 23) {
        state_field_memory(0x1400, 0x1FFF);
        state_field_bytes(coinop_colour_ram, sizeof coinop_colour_ram);
        state_field_bytes(coinop_palette_ram, sizeof coinop_palette_ram);
        // The video latches: scroll, collision latch, the sound-trigger port.
        state_latch_byte_of(&coinop_scroll, 255, "scroll");
        state_field_u8(&coinop_collision_latch);
        state_field_u8(&galaxia_sound_latch);
        if (map == 22) {
            state_field_u8(&dips_astrowars);
            state_field_u8(&dips_astrowars_2);
        } else {
            state_field_u8(&dips_galaxia);
        }
        return;
    }
    if (map == 25) {
        state_field_u8(&dips_lazarian_2);
        state_field_u8(&dips_lazarian_3);
    } else {
        state_field_u8(&dips_laserbattle);
        state_field_skip(1);
    }
    LaserBattleLatches& l = laserbattle;
    state_latch_byte(&l.sprite_code, 7, "sprite code");
    state_latch_byte_of(&coinop_effect_select, 1, "effect RAM select");
    state_latch_byte(&l.two_bits, 3, "port 1 latch");
    state_latch_byte(&l.sprite_enable, 1, "sprite enable");
    state_field_u8(&l.tone_data);
    state_field_u8(&l.sprite_x);
    state_field_u8(&l.sprite_y);
    state_latch_byte(&l.input_mux, 3, "input multiplexer");
    const u32 keys = state_field_u32_full(&tone_unit_word);
    if (state_reading() && keys >> 25) serial_mark_bad("tone keys");
    state_field_memory(0x1500, 0x1FFF);
    state_latch_byte(&l.colour_mode, 3, "colour mode");
    state_field_bytes(coinop_effect_ram, sizeof coinop_effect_ram);
    for (u8* flag : {&l.right_line, &l.left_line, &l.single_point, &l.invert_right, &l.invert_left})
        state_latch_byte(flag, 1, "line effect");
}

void zaccaria_setup() {
    if (memmap == 22)
        zaccaria_setup_astro_wars();
    else if (memmap == 23)
        zaccaria_setup_galaxia();
    else
        zaccaria_setup_laser_battle();
}

// Skip level: Astro Wars jumps to its next wave while the wave counter is
// low; Galaxia goes on from its wave end, or clears its flags and restarts it.
void zaccaria_skip_level() {
    if (memmap == 22) {
        if ((guest_memory[0x1401] & 0x0F) <= 3) cpu_iar = 0x131A;
    } else if (memmap == 23) {
        if (guest_memory[0x1C00] & 0x40) {
            cpu_iar = 0x29F1;
        } else {
            guest_memory[0x1D88] = guest_memory[0x1D89] = 0;
            cpu_iar = 0x2B5E;
        }
    }
}

constexpr MachineOps OPS{
    .setup = zaccaria_setup,
    .install_bus = zaccaria_bus_install,
    .run_frame = coinop_run_frame,
    .frame_ended = coinop_frame_ended,
    .roms = &zaccaria_roms[0][0],
    .rom_count = 4 * ZACCARIA_MAX_ROMS,
    .port_read = coinop_io_read,
    .port_write = coinop_io_write,
    .any_reset = coinop_clear_latches,
    .serialise = zaccaria_tail,
    .save_suffix = ".bin",
    .game_file_name = zaccaria_game_file_name,
    .hiscore_row = zaccaria_hiscore_row,
    .screen_text = [](std::string* out) { coinop_screen_text(out, 32, 32, display_rotated, false); },
    .program_kind = "Machine code",
    .score_digit = zaccaria_score_digit,
    .map_picture = zaccaria_map_picture,
    .keypad_keys =
        [] {
            // Laser Battle and Lazarian: all but the extra keys; the others a stick.
            return memmap == 24 || memmap == 25 ? KeypadKeys::NO_EXTRAS
                                                : KeypadKeys::STICK_AND_FIRE;
        },
    .controls = &zaccaria_controls,
    .dips = [] { return DipWindow::ZACCARIA; },
    .skip_level = zaccaria_skip_level,
    .self_test = [] { return true; },
    .guide_section = "coin-op-boards",
    .dips_help = "zaccaria-dips",
    .sprites_help = "pvi-sprites",
};

constexpr MachineView VIEW{
    .beam_marker = beam_marker_coinop,
    .describe_position = zaccaria_describe_position,
};

// The musical keyboard: Laser Battle and Lazarian play two octaves on their
// tone units, whose latch has a bit a note (bass tones 1-13 on voices 3 and
// 4, treble tones 2-13 on voices 5 and 6); two notes of each unit are shown,
// as the voices sound them.
bool tone_units() {
    return memmap == MAP_LASER_BATTLE || memmap == MAP_LAZARIAN;
}

constexpr MusicKeyboard MUSIC{
    .play = pvi_music_play,
    .playable = [](int note) {
        if (tone_units()) return note >= snd_voice_note(3, 1) && note <= snd_voice_note(5, 13);
        return note_table[note].code_60 != 0;
    },
    .main_note = pvi_music_main_note,
    .extra_notes = [](u8* notes) {
        if (!tone_units()) return 0;
        for (int unit = 0; unit < 2; unit++) {
            // Bit b of the latch is bass tone b + 1, or treble tone b - 11.
            const int from = unit ? 13 : 0, to = unit ? 25 : 13, voice = unit ? 5 : 3;
            int shown = 0;
            notes[2 * unit] = notes[2 * unit + 1] = NOTE_REST;
            for (int b = from; b < to && shown < 2; b++)
                if (tone_unit_word >> b & 1)
                    notes[2 * unit + shown++] =
                        static_cast<u8>(snd_voice_note(voice, static_cast<u16>(unit ? b - 11 : b + 1)));
        }
        return 4;
    },
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_zaccaria,
    .voice_frequency = zaccaria_voice_frequency,
    .music = &MUSIC,
};

// The letters of each game's character set.
bool zaccaria_text_letter(u8 c) {
    switch (memmap) {
    case MAP_ASTRO_WARS: return c >= 0xC1 && c <= 0xDA;
    case MAP_GALAXIA: return c >= 0x41 && c <= 0x59;
    default: return c >= 0xC0 && c <= 0xD9;
    }
}

// The boards' objects, their colour fields read through the board's colour
// map: Astro Wars' map is its own inverse, the three-PVI games' is not.
constexpr u8 COLOUR_MAP_A[8] = {0, 3, 5, 1, 4, 2, 6, 7};
constexpr u8 COLOUR_MAP_B[8] = {4, 6, 1, 5, 3, 2, 0, 7};
constexpr u8 COLOUR_UNMAP_B[8] = {6, 2, 5, 4, 0, 3, 1, 7};

const u8* colour_map() {
    if (memmap == MAP_ASTRO_WARS) return COLOUR_MAP_A;
    return memmap >= MAP_GALAXIA && memmap <= MAP_LAZARIAN ? COLOUR_MAP_B : nullptr;
}
const u8* colour_unmap() {
    if (memmap == MAP_ASTRO_WARS) return COLOUR_MAP_A;
    return memmap >= MAP_GALAXIA && memmap <= MAP_LAZARIAN ? COLOUR_UNMAP_B : nullptr;
}


constexpr MachineDebug DEBUG{
    .hooks = &zaccaria_debug_hooks,
    .label_sets = {&pvi_label_rows},
    // Laser Battle and Lazarian take their interrupts at $000A.
    .interrupt_entry = [] { return memmap == 24 || memmap == 25 ? i32{0x000A} : i32{0x0003}; },
    .last_raster_line = [] { return COINOP_LINES - 1; },
    .literal_codes = zaccaria_literal_codes,
    .debug_view = zaccaria_debug_view,
    .describe_register = zaccaria_describe,
    .text_code = [](u8 c) { return memmap == MAP_GALAXIA ? debug_seven_bits(c) : c; },
    .text_letter = zaccaria_text_letter,
    .draw_mode_changed = pvi_follow_draw_mode,
    .edit_key = coinop_edit_key,
    .edit_clamp = zaccaria_edit_clamp,
    // The board opens no program file of its own but Intel HEX, which every
    // machine opens at its addresses.
    .object_suffix = ".hex",
    .glyphs = &pvi_board_glyphs<colour_map, colour_unmap>,
    .chip_coverage = [](ChipCoverage* out) { pvi_chip_coverage(out, false); },
};

} // namespace

extern const MachineEntry zaccaria_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
