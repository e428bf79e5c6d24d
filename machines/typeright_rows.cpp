// The Type-right's rows: its text colours and LED panel beside the machine
// itself (machines/typeright.cpp), and the entry that names them.
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"
#include "core/settings_vars.h"
#include "display/led.h"
#include "machines/music_rows.h"
#include "machines/no_processor.h"
#include "machines/typeright.h"
#include "machines/controls_rows.h"

namespace {

void display_typeright_colours(u8* ink, u8* paper) {
    *ink = inversevideo ? 0 : 7;
    *paper = 19;
}

void led_cell_typeright(i32 x, i32 y, u32 colour) {
    led_panel_store(x, y, colour);
}

void led_geometry_typeright() {
    led_panel_width = 64;
    led_panel_rows = 14;
    led_panel_left = 230;
    led_panel_top = 41;
}

// The display's characters; a marked blank shows as "_".
static void typeright_screen_text(std::string* out) {
    for (int i = 0; i < TYPERIGHT_CHARS; i++) {
        const char c = typeright_lcd[i] ? typeright_lcd[i] : ' ';
        out->push_back(c == ' ' && typeright_cursor[i] ? '_' : c);
    }
}

constexpr MachineOps OPS{
    .setup = typeright_machine_init,
    .reset = typeright_reset,
    .run_frame = typeright_run_frame,
    .serialise = typeright_save_state,
    .save_suffix = ".bin",
    .game_file_name = typeright_game_file_name,
    .screen_text = typeright_screen_text,
    .typed_keyboard = [] { return true; },
    .key_char = typeright_key_char,
    .controls = &typeright_controls,
    .guide_section = "type-right",
    .coding_guide = false,
};

constexpr MachineView VIEW{
    .text_colours = display_typeright_colours,
    .led_panel_cell = led_cell_typeright,
    .led_panel_geometry = led_geometry_typeright,
    .controls_layout = [] { return i32{23}; },
    // The 128 x 28 LCD: each of its dots 4 x 4 host pixels at scale 1.
    .picture_zoom = 2,
};

constexpr MusicKeyboard MUSIC{
    .main_note = tone_hz_music_main_note,
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_tone_hz,
    .tone_frequency = snd_tone_hz,
    .music = &MUSIC,
};

constexpr MachineDebug DEBUG{
    .hooks = &typeright_debug_hooks,
    .debug_view = typeright_debug_view,
};

} // namespace

extern const MachineEntry typeright_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
