// The Arcadia's rows: its own parts beside its chips (high scores, score
// digits, controls layout, visible window, sound, save-state tail) and the
// entry that names them.
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/savestate_fields.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "machines/screen_source.h"
#include "cpu/memory.h"
#include "machines/music_rows.h"
#include "machines/arcadia.h"
#include "machines/arcadia_editor.h"
#include "machines/arcadia_views.h"
#include "machines/console_rows.h"
#include "machines/uvi2637.h"
#include "platform/catalog.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"
#include "machines/controls_rows.h"

#include <cstring>
#include <cstdio>

namespace {

int arcadia_hiscore_row() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return -1;
    const int slot = known_games_db[known_game_id].hiscore_slot;
    return slot >= 0 && slot < machine_table[ARCADIA].hiscore_rows ? slot : -1;
}

// The digit a screen character shows in a score (the UVI's characters $10-$19;
// the top two bits are the colour).
int arcadia_score_digit(u8 c) {
    return (c & 0x3F) - 0x10;
}

void arcadia_apply_row_after(const KnownGame& row) {
    if (row.variant != 2) emu_region = row.variant & 1;
    flagline = row.option_word;
    arcadia_take_row(row);
}

void arcadia_tail(u32) {
    state_field_u32_full(&uvi_line_slice);
    state_setting_byte(&emu_region, 1, "video standard");
    console_state_tail();
}

i32 arcadia_controls_layout() {
    return viewctrlsas_arcadia + (bigcontrols_arcadia ? 3 : 0);
}

DisplayWindow display_window_arcadia(i32 w, i32 h) {
    return display_console_window(55, w, h);
}

// The UVI's tone and noise.
void snd_voices_arcadia() {
    const u8 control = guest_memory[0x18FE];
    const u8 volume = control & 7;
    const u8 pitch = guest_memory[0x18FD] & 127;
    if (control & 0x08) snd_set_voice(0, volume, pitch);
    if (control & 0x10) snd_set_voice(9, volume, pitch);
}

// 13 rows of 16 characters (26 rows when the screen shows both halves).
static void arcadia_screen_text(std::string* out) {
    const char* set = uvi_char_codes;
    const bool both = (guest_memory[0x19F8] & 0x40) && (guest_memory[0x19F9] & 0x80);
    for (u32 half = 0; half < (both ? 2u : 1u); half++)
        for (u32 r = 0; r < 13; r++) {
            for (u32 c = 0; c < 16; c++)
                out->push_back(set[guest_memory[0x1800 + half * 0x200 + r * 16 + c] & 63]);
            out->push_back('\n');
        }
}

// Skip level of the known games that have one: the bytes that hold the level
// (or the lives of its stage), then where the game goes on.
void arcadia_skip_level() {
    u8* m = guest_memory;
    switch (known_game_id) {
    case 105: m[0x18DA] = 0x64; break;
    case 23: m[0x18D5] = 1; break;
    case 25: m[0x18E5] = 0x95; break;
    case 41:
    case 54: m[0x18E5] = 0x9A; break;
    case 34:
    case 91:
        m[0x18F2] = 0xCE;
        m[0x18F3] = 0x9B;
        break;
    case 32: std::memset(m + 0x1AD0, 0, 5); break;
    case 40:
        if (m[0x1AF0] > 1) {
            m[0x1AEF] = 0;
            m[0x1AF0] = 2;
        }
        break;
    case 47:
    case 48:
    case 49:
        std::memset(m + 0x1820, 0, 96);
        m[0x18D4] = m[0x18D5] = 0xE4;
        m[0x18E3] = m[0x18E4] = 0x32;
        m[0x18F7] = 0;
        break;
    case 104:
    case 830:
    case 849:
        for (u32 a : {0x1802, 0x1805, 0x1808, 0x180B, 0x180E})
            m[a] = 0x78;
        cpu_iar = known_game_id == 104 ? 0x0AFF : known_game_id == 830 ? 0x0B4E : 0x0B47;
        break;
    case 2: cpu_iar = 0x01DF; break;
    case 5: cpu_iar = 0x0230; break;
    case 29: cpu_iar = 0x0227; break;
    case 36: cpu_iar = 0x0495; break;
    case 37: cpu_iar = 0x0446; break;
    case 45:
    case 123: cpu_iar = 0x03F4; break;
    case 51:
    case 125: cpu_iar = 0x0796; break;
    case 58: cpu_iar = 0x0273; break;
    case 97:
    case 102: cpu_iar = 0x0A6A; break;
    default: break;
    }
}

constexpr MachineOps OPS{
    .setup = arcadia_setup,
    .install_bus = arcadia_bus_install,
    .reset = arcadia_reset,
    .run_frame = arcadia_run_frame,
    .any_state_loaded = uvi_demux_forget,
    .map_image = arcadia_map_cartridge,
    .apply_row_after = arcadia_apply_row_after,
    .stub_game = 118,
    .serialise = arcadia_tail,
    .save_suffix = ".bin",
    .hiscore_row = arcadia_hiscore_row,
    .screen_text = arcadia_screen_text,
    .score_digit = arcadia_score_digit,
    .keypad_keys = [] { return KeypadKeys::ALL; },
    .controls = &arcadia_controls,
    .skip_level = arcadia_skip_level,
    .guide_section = "arcadia",
    .sprites_help = "arcadia-sprites",
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_console,
    .display_window = display_window_arcadia,
    .reset_frame = display_reset_console,
    .blanking_areas = [] { return true; },
    .controls_layout = arcadia_controls_layout,
    .beam_marker = beam_marker_console,
    .describe_position = arcadia_describe_position,
};

// The musical keyboard: the UVI's pitch at $18FD (7 bits), its tone (bit 3)
// and noise (bit 4) switches and volume (bits 0-2) at $18FE.
constexpr u32 UVI_PITCH = 0x18FD, UVI_SOUND = 0x18FE;

constexpr MusicKeyboard MUSIC{
    .play = [](int channel, u8 code) {
        u8& sound = guest_memory[UVI_SOUND];
        const u8 on = channel == 0 ? 0x08 : 0x10;
        if (!code) {
            sound = static_cast<u8>(sound & ~on);
            return true;
        }
        if (code >= 128) return false; // seven bits of pitch
        guest_memory[UVI_PITCH] = static_cast<u8>((guest_memory[UVI_PITCH] & 0x80) | code);
        // A silent UVI gets a volume too.
        sound = static_cast<u8>(sound | on | ((sound & 7) ? 0 : 7));
        return true;
    },
    .playable = [](int note) { return note_table[note].code_60 != 0 && note_table[note].code_60 < 128; },
    .main_note = [](u8* pen) {
        const u8 sound = guest_memory[UVI_SOUND];
        const u8 on = sound & 0x18;
        if (!on || !(sound & 7)) return int{NOTE_REST};
        *pen = on == 0x18 ? MUSIC_PEN_BOTH : on == 0x10 ? MUSIC_PEN_NOISE : MUSIC_PEN_TONE;
        // Noise alone sounds on voice 9, at the UVI's pitch too.
        return snd_voice_note(on == 0x10 ? 9 : 0, guest_memory[UVI_PITCH] & 127);
    },
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_arcadia,
    .noise_latch_follows = [] { return true; },
    .music = &MUSIC,
};

// The sprite editor's glyphs: character codes 0-55 of the normal set, the
// four sprites (56-59), the four further user-defined graphics (60-63) and the
// 64 shapes of the block set (64-127). Only 56-63 lie in guest memory.
constexpr u32 UDG_FIRST = 56, UDG_BASE = 0x1980;

// Sprites 0 and 1 take their colours from $19FB, 2 and 3 from $19FA; the even
// one in bits 5-3.
u32 sprite_colour_register(int n) {
    return n < 58 ? 0x19FB : 0x19FA;
}
int sprite_colour_shift(int n) {
    return (n & 1) ? 0 : 3;
}
// The colour row the Flag line selects.
int colour_row() {
    return flagline && (cpu_psu & PSU_F) ? 1 : 0;
}

constexpr GlyphSet GLYPHS{
    .count = [] { return 128; },
    .first = 56,
    .columns = 8,
    .rows = 8,
    .unlit = 8,
    .palette = true,
    .slider_ticks = 0,
    .help_node = "arcadia-sprites",
    .row_address = [](int n, int r) {
        return n >= 56 && n < 64 ? static_cast<i32>(UDG_BASE + 8 * (n - UDG_FIRST) + r) : i32{-1};
    },
    .generator_row = [](int n, int r) {
        return n < 64 ? uvi_char_rom[8 * n + r] : uvi_char_rom[UVI_BLOCK_SET + 8 * (n - 64) + r];
    },
    .colour = [](int n, bool* has) {
        *has = n >= 56 && n < 60;
        const u8 v = *has ? (guest_memory[sprite_colour_register(n)] >> sprite_colour_shift(n)) & 7 : 0;
        return uvi_colour_table[colour_row()][v];
    },
    .set_colour = [](int n, int colour) {
        if (n < 56 || n >= 60) return -1;
        // Each colour row is its own inverse on 0-7.
        const u8 v = uvi_colour_table[colour_row()][colour & 7];
        u8& reg = guest_memory[sprite_colour_register(n)];
        const int shift = sprite_colour_shift(n);
        reg = static_cast<u8>((reg & ~(7 << shift)) | (v << shift));
        return int{v};
    },
    .name = [](int n, char* out, std::size_t size) {
        const char c = uvi_char_codes[n & 63];
        if (n < 56)
            std::snprintf(out, size, cat_str(591, "Character PDG #%d ('%c')"), n, c);
        else if (n < 60)
            std::snprintf(out, size, cat_str(590, "Sprite #%d ('%c')"), n - 56, c);
        else if (n < 64)
            std::snprintf(out, size, cat_str(593, "UDG #%d ('%c')"), n - 60, c);
        else
            std::snprintf(out, size, cat_str(592, "Block PDG #%d ('%c')"), n - 64, c);
    },
};

// The UVI's registers, rows 0-28, in address order.
constexpr BuiltinLabel LABEL_ROWS[] = {
    {0, 0x18F0, "SPRITE0Y", 'D'},       {1, 0x18F1, "SPRITE0X", 'D'},
    {2, 0x18F2, "SPRITE1Y", 'D'},       {3, 0x18F3, "SPRITE1X", 'D'},
    {4, 0x18F4, "SPRITE2Y", 'D'},       {5, 0x18F5, "SPRITE2X", 'D'},
    {6, 0x18F6, "SPRITE3Y", 'D'},       {7, 0x18F7, "SPRITE3X", 'D'},
    {8, 0x18FC, "VSCROLL", 'D'},        {9, 0x18FD, "PITCH", 'D'},
    {10, 0x18FE, "VOLUME", 'D'},        {11, 0x18FF, "CHARLINE", 'D'},
    {12, 0x1900, "P1LEFTKEYS", 'D'},    {13, 0x1901, "P1MIDDLEKEYS", 'D'},
    {14, 0x1902, "P1RIGHTKEYS", 'D'},   {15, 0x1903, "P1PALLADIUM", 'D'},
    {16, 0x1904, "P2LEFTKEYS", 'D'},    {17, 0x1905, "P2MIDDLEKEYS", 'D'},
    {18, 0x1906, "P2RIGHTKEYS", 'D'},   {19, 0x1907, "P2PALLADIUM", 'D'},
    {20, 0x1908, "CONSOLE", 'D'},       {21, 0x19F8, "GFXMODE", 'D'},
    {22, 0x19F9, "BGCOLOUR", 'D'},      {23, 0x19FA, "SPRITES23CTRL", 'D'},
    {24, 0x19FB, "SPRITES01CTRL", 'D'}, {25, 0x19FC, "BGCOLLIDE", 'D'},
    {26, 0x19FD, "SPRITECOLLIDE", 'D'}, {27, 0x19FE, "P2PADDLE", 'D'},
    {28, 0x19FF, "P1PADDLE", 'D'},
};
constexpr BuiltinLabels LABELS = builtin_labels(LABEL_ROWS);

constexpr MachineDebug DEBUG{
    .hooks = &arcadia_debug_hooks,
    .label_sets = {&LABELS},
    .last_raster_line = console_last_raster_line,
    .literal_codes = [] { return u32{64}; },
    .debug_view = arcadia_debug_view,
    .describe_register = arcadia_describe_uvi,
    // Bits 7 and 6 of a screen byte are its colour.
    .text_code = [](u8 c) { return static_cast<u8>(c & 63); },
    .text_letter = [](u8 c) { return c >= 26 && c <= 51; },
    .edit_key = arcadia_key_handler,
    .edit_clamp = arcadia_edit_clamp,
    .screen_source = arcadia_screen_source,
    .object_gap_start = 0x1000,
    .object_gap_end = 0x2000,
    .glyphs = &GLYPHS,
    .video_rows_first = 0,
    .video_rows_last = 112,
    .video_monitor = VideoMonitor::UVI,
    .chip_coverage = arcadia_chip_coverage,
};

} // namespace

extern const MachineEntry arcadia_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
