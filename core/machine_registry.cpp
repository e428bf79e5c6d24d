// The operations row of every machine, by machine number. This is the one
// place that names every machine; the framework reaches them all through
// machine_ops(). Fields follow MachineOps's order.
#include "core/machine_ops.h"

#include "computers/binbug.h"
#include "computers/cd2650.h"
#include "computers/instructor.h"
#include "computers/phunsy.h"
#include "computers/pipbug.h"
#include "computers/selbst.h"
#include "computers/twin.h"
#include "computers/autorun.h"
#include "computers/phunsy_image.h"
#include "core/machine_parts.h"
#include "display/led.h"
#include "display/machine_display.h"
#include "machines/arcadia.h"
#include "machines/arcadia_rows.h"
#include "machines/coinop.h"
#include "machines/coinop_video.h"
#include "machines/malzak.h"
#include "machines/malzak_rows.h"
#include "machines/zaccaria.h"
#include "machines/zaccaria_rows.h"
#include "machines/elektor.h"
#include "machines/elektor_texts.h"
#include "machines/elektor_rows.h"
#include "machines/interton.h"
#include "machines/interton_rows.h"
#include "machines/no_processor.h"
#include "machines/pong.h"
#include "machines/pvi_consoles.h"
#include "machines/typeright.h"
#include "sound/machine_voices.h"

namespace {

// In machine-number order.
constexpr MachineOps ROWS[MACHINES] = {
    // ARCADIA
    {
        .setup = arcadia_setup,
        .install_bus = arcadia_bus_install,
        .reset = arcadia_reset,
        .run_frame = arcadia_run_frame,
        .serialise = arcadia_tail,
        .map_image = arcadia_map_cartridge,
        .apply_row_after = arcadia_apply_row_after,
        .controls_layout = arcadia_controls_layout,
        .hiscore_row = arcadia_hiscore_row,
        .keypad_keys = [] { return KeypadKeys::ALL; },
        .guest_chars = [] { return GuestChars::ARCADIA; },
        .save_suffix = ".bin",
        .sound_voices = snd_voices_arcadia,
        .display_window = display_window_arcadia,
        .reset_frame = display_reset_console,
        .beam_marker = beam_marker_console,
        .object_gap_start = 0x1000,
        .object_gap_end = 0x2000,
        .blanking_areas = [] { return true; },
        .guide_section = "arcadia",
        .sprites_help = "arcadia-sprites",
        .stub_game = 118,
        .score_digit = arcadia_score_digit,
        .display_geometry = display_geometry_console,
        .noise_latch_follows = [] { return true; },
    },
    // INTERTON
    {
        .setup = interton_setup,
        .install_bus = interton_bus_install,
        .reset = interton_reset,
        .run_frame = pvi_run_frame,
        .serialise = interton_tail,
        .map_image = interton_load_cartridge,
        .apply_row_after = interton_apply_row_after,
        .controls_layout = interton_controls_layout,
        .interrupt_entry = [] { return i32{0x0003}; },
        .keypad_keys = [] { return KeypadKeys::NO_EXTRAS; },
        .save_suffix = ".bin",
        .sound_voices = snd_voices_pvi_console,
        .display_window = display_window_pvi,
        .reset_frame = display_reset_console,
        .beam_marker = beam_marker_console,
        .blanking_areas = [] { return true; },
        .guide_section = "interton",
        .sprites_help = "pvi-sprites",
        .stub_game = 132,
        .paddle_range = interton_paddle_range,
        .display_geometry = display_geometry_console,
        .tone_volume = interton_tone_volume,
        .noise_latch_follows = [] { return true; },
    },
    // ELEKTOR
    {
        .setup = elektor_setup,
        .install_bus = elektor_bus_install,
        .reset = elektor_reset,
        .run_frame = pvi_run_frame,
        .serialise = elektor_tail,
        .apply_row_before = elektor_apply_row_before,
        .apply_row_after = elektor_apply_row_after,
        .controls_layout = elektor_controls_layout,
        .interrupt_entry = [] { return i32{0x0003}; },
        .bios_entry = [] { return i32{0x0023}; },
        .keypad_keys = [] { return KeypadKeys::NO_EXTRAS; },
        .guest_chars = [] { return GuestChars::ELEKTOR; },
        .save_suffix = ".tvc",
        .object_suffix = ".tvc",
        .asm_start = 0x0900,
        .sound_voices = snd_voices_elektor,
        .display_window = display_window_pvi,
        .reset_frame = display_reset_console,
        .beam_marker = beam_marker_console,
        .debug_view = elektor_debug_view,
        .object_format = &elektor_object_format,
        .program_entry = 0x0903,
        .object_save_command = "SAVEEOF ",
        .bios_view = [] { return true; },
        .blanking_areas = [] { return true; },
        .guide_section = "elektor",
        .sprites_help = "pvi-sprites",
        .paddle_range = elektor_paddle_range,
        .display_geometry = display_geometry_console,
        .tone_volume = elektor_tone_volume,
        .noise_latch_follows = elektor_noise_latch_follows,
    },
    // PIPBUG
    {
        .setup = pipbug_setup,
        .install_bus = pipbug_bus_install,
        .reset = pipbug_reset,
        .run_frame = pipbug_run_frame,
        .serialise = pipbug_serialise,
        .port_read = pipbug_io_read,
        .port_write = pipbug_io_write,
        .apply_row_before = pipbug_apply_row_before,
        .controls_layout = pipbug_controls_layout,
        .bios_entry = [] { return i32{0x0000}; },
        .typed_keyboard = [] { return true; },
        .led_digit_place = pipbug_led_digit_place,
        .old_states_first = 41,
        .old_states_last = 41,
        .save_suffix = ".aof",
        .object_suffix = ".aof",
        .asm_start = 0x0440,
        .sound_voices = snd_voices_pipbug,
        .tone_frequency = snd_tone_note_code,
        .text_colours = display_pipbug_colours,
        .display_window = display_window_pipbug,
        .reset_frame = display_reset_pipbug,
        .led_panel_geometry = led_geometry_pipbug,
        .bios_view = [] { return true; },
        .self_test = pipbug_monitor_2,
        .blanking_areas = pipbug_vdu_blanks,
        .lowercase_input = [] { return true; },
        .erase_deleted = pipbug_monitor_2,
        .guide_section = "pipbug-and-binbug",
        .monitor_key = pipbug_monitor_key,
        .paste_char = pipbug_paste_char,
        .run_loaded = pipbug_run_loaded,
        .display_geometry = display_geometry_pipbug,
        .led_font = led_font_pipbug,
    },
    // BINBUG
    {
        .install_bus = binbug_bus_install,
        .apply_row_before = binbug_apply_row_before,
        .bios_entry = [] { return i32{0x0000}; },
        .typed_keyboard = [] { return true; },
        .old_states_first = 42,
        .old_states_last = 255,
        .save_suffix = ".aof",
        .object_suffix = ".aof",
        .asm_start = 0x0440,
        .text_colours = display_terminal_colours,
        .reset_frame = display_reset_binbug,
        .beam_marker = beam_marker_binbug,
        .disk_save_command = "SAVECMD ",
        .blanking_areas = [] { return true; },
        .lowercase_input = [] { return true; },
        .guide_section = "pipbug-and-binbug",
        .sprites_help = "binbug-sprites",
        .paste_char = binbug_paste_char,
        .run_loaded = binbug_run_loaded,
        .display_geometry = display_geometry_binbug,
    },
    // INSTRUCTOR
    {
        .install_bus = instructor_bus_install,
        .serialise = instructor_tail,
        .map_image = image_map_at_zero,
        .apply_row_after = instructor_apply_row_after,
        .controls_layout = instructor_controls_layout,
        .interrupt_entry = [] { return i32{0x0007}; },
        .bios_entry = [] { return i32{0x1800}; },
        .guest_chars = [] { return GuestChars::INSTRUCTOR; },
        .led_digit_place = instructor_led_digit_place,
        .save_suffix = ".bin",
        .sound_voices = snd_voices_instructor,
        .tone_frequency = snd_tone_instructor,
        .text_colours = display_panel_colours,
        .frame_takes_paper = true,
        .led_panel_cell = led_cell_instructor,
        .led_panel_geometry = led_geometry_instructor,
        .boots_at_zero = false,
        .bios_view = [] { return true; },
        .guide_section = "instructor-50",
        .dips_help = "si50-dips",
    },
    // TWIN
    {
        .install_bus = twin_bus_install,
        .serialise = twin_tail,
        .bios_entry = [] { return i32{0x0100}; },
        .typed_keyboard = [] { return true; },
        .old_states_first = 39,
        .old_states_last = 39,
        .save_suffix = ".bin",
        .object_suffix = ".aof",
        .reset_frame = display_reset_twin,
        .disk_save_command = "SAVEMOD ",
        .bios_view = twin_has_dos,
        .self_test = [] { return true; },
        .blanking_areas = [] { return true; },
        .erase_deleted = [] { return true; },
        .guide_section = "twin",
        .printer_help = "twin-printer",
        .floppy_help = "floppydrives",
        .papertape_help = "papertape-twin",
        .monitor_key = twin_monitor_key,
        .display_geometry = display_geometry_twin,
    },
    // CD2650
    {
        .install_bus = cd2650_bus_install,
        .apply_row_before = cd2650_apply_row_before,
        .bios_entry = [] { return i32{0x0000}; },
        .typed_keyboard = [] { return true; },
        .old_states_first = 42,
        .old_states_last = 255,
        .save_suffix = ".aof",
        .object_suffix = ".aof",
        .asm_start = 0x1510,
        .sound_voices = snd_voices_speaker,
        .tone_frequency = snd_tone_note_code,
        .text_colours = display_terminal_colours,
        .frame_takes_paper = true,
        .reset_frame = display_reset_cd2650,
        .beam_marker = beam_marker_cd2650,
        .disk_save_command = "SAVEIMAG ",
        .bios_view = [] { return true; },
        .blanking_areas = [] { return true; },
        .lowercase_input = cd2650_lowercase_input,
        .guide_section = "cd2650",
        .sprites_help = "binbug-sprites",
        .six_bit_keys = cd2650_six_bit_keys,
        .key_routine = "KBIN",
        .paste_char = cd2650_paste_char,
        .run_loaded = cd2650_run_loaded,
        .display_geometry = display_geometry_cd2650,
    },
    // ZACCARIA
    {
        .setup =
            [] {
                if (memmap == 22)
                    zaccaria_setup_astro_wars();
                else if (memmap == 23)
                    zaccaria_setup_galaxia();
                else
                    zaccaria_setup_laser_battle();
            },
        .install_bus = zaccaria_bus_install,
        .run_frame = coinop_run_frame,
        .serialise = zaccaria_tail,
        .port_read = coinop_io_read,
        .port_write = coinop_io_write,
        .hiscore_row = zaccaria_hiscore_row,
        // Laser Battle and Lazarian take their interrupts at $000A.
        .interrupt_entry = [] { return memmap == 24 || memmap == 25 ? i32{0x000A} : i32{0x0003}; },
        .keypad_keys =
            [] {
                // Laser Battle and Lazarian: all but the extra keys; the others a stick.
                return memmap == 24 || memmap == 25 ? KeypadKeys::NO_EXTRAS
                                                    : KeypadKeys::STICK_AND_FIRE;
            },
        .guest_chars =
            [] {
                switch (memmap) {
                case 22:
                    return GuestChars::ASTRO_WARS;
                case 23:
                    return GuestChars::GALAXIA;
                case 24:
                case 25:
                    return GuestChars::LASER_BATTLE;
                default:
                    return GuestChars::MISSING;
                }
            },
        .save_suffix = ".bin",
        .sound_voices = snd_voices_zaccaria,
        .display_window = display_window_coinop,
        .beam_marker = beam_marker_coinop,
        .debug_view = zaccaria_debug_view,
        .self_test = [] { return true; },
        .guide_section = "coin-op-boards",
        .dips_help = "zaccaria-dips",
        .sprites_help = "pvi-sprites",
        .game_file_name = zaccaria_game_file_name,
        .program_kind = "Machine code",
        .score_digit = zaccaria_score_digit,
        .voice_frequency = zaccaria_voice_frequency,
        .map_picture = zaccaria_map_picture,
    },
    // MALZAK
    {
        .setup = malzak_setup,
        .install_bus = malzak_bus_install,
        .run_frame = coinop_run_frame,
        .serialise = malzak_tail,
        .port_read = malzak_io_read,
        .port_write = malzak_io_write,
        .hiscore_row = malzak_hiscore_row,
        .interrupt_entry = [] { return i32{0x0003}; },
        .keypad_keys = [] { return KeypadKeys::NO_EXTRAS; },
        .save_suffix = ".bin",
        .display_window = display_window_coinop,
        .beam_marker = beam_marker_coinop,
        .self_test = [] { return true; },
        .guide_section = "coin-op-boards",
        .dips_help = "malzak2-dips",
        .sprites_help = "pvi-sprites",
        .game_file_name = malzak_game_file_name,
        .program_kind = "Machine code",
        .score_digit = malzak_score_digit,
    },
    // PHUNSY
    {
        .install_bus = phunsy_bus_install,
        .serialise = phunsy_tail,
        .map_image = phunsy_map_image,
        .apply_row_before = phunsy_apply_row_before,
        .apply_row_after = phunsy_apply_row_after,
        .interrupt_entry = [] { return i32{0x001D}; },
        .bios_entry = phunsy_bios_entry,
        .typed_keyboard = phunsy_typed_keyboard,
        .save_suffix = ".bin",
        .asm_start = 0x0800,
        .sound_voices = snd_voices_phunsy,
        .tone_frequency = snd_tone_phunsy,
        .text_colours = display_terminal_colours,
        .display_window = display_window_phunsy,
        .reset_frame = display_reset_phunsy,
        .led_panel_cell = led_cell_phunsy,
        .led_panel_geometry = led_geometry_phunsy,
        .beam_marker = beam_marker_phunsy,
        .bios_view = [] { return true; },
        .blanking_areas = [] { return true; },
        .lowercase_input = [] { return true; },
        .guide_section = "phunsy",
        .sprites_help = "binbug-sprites",
        .tape_help = "phunsy-tapedeck",
        .image_refused = phunsy_image_refused,
        .run_loaded = phunsy_run_loaded,
        .before_state_save = phunsy_before_state_save,
        .after_state_load = phunsy_after_state_load,
        .display_geometry = display_geometry_phunsy,
    },
    // PONG
    {
        .setup = pong_machine_init,
        .install_bus = pong_bus_install,
        .reset = pong_reset,
        .run_frame = pong_run_frame,
        .serialise = pong_save_state,
        .controls_layout = pong_controls_layout,
        .hiscore_row = pong_hiscore_row,
        .game_text = pong_game_text,
        .keypad_keys = [] { return KeypadKeys::NO_EXTRAS; },
        .save_suffix = ".bin",
        .sound_voices = snd_voices_tone_hz,
        .tone_frequency = snd_tone_hz,
        .display_window = display_window_pong,
        .reset_frame = display_reset_pong,
        .blanking_areas = [] { return true; },
        .dips_help = "pong-dips",
        .game_file_name = pong_game_file_name,
        .program_kind = "Microcode",
        .own_score = pong_own_score,
        .display_geometry = pong_display_geometry,
    },
    // SELBST
    {
        .install_bus = selbst_bus_install,
        .serialise = selbst_tail,
        .apply_row_before = selbst_apply_row_before,
        .apply_row_after = selbst_apply_row_after,
        .bios_entry = [] { return i32{0x0000}; },
        .typed_keyboard = selbst_typed_keyboard,
        .led_digit_place = selbst_led_digit_place,
        .save_suffix = ".aof",
        .object_suffix = ".aof",
        .asm_start = 0x0900,
        .sound_voices = snd_voices_speaker,
        .tone_frequency = snd_tone_note_code,
        .text_colours = display_terminal_colours,
        .reset_frame = display_reset_selbst,
        .led_panel_cell = led_cell_double,
        .led_panel_geometry = led_geometry_selbst,
        .listing_note_key = selbst_listing_note_key,
        .bios_view = [] { return true; },
        .lowercase_input = [] { return true; },
        .guide_section = "selbstbaucomputer",
        .display_geometry = display_geometry_selbst,
    },
    // MIKIT
    {
        .install_bus = mikit_bus_install,
        .serialise = mikit_tail,
        .controls_layout = mikit_controls_layout,
        .bios_entry = [] { return i32{0x0000}; },
        .led_digit_place = mikit_led_digit_place,
        .save_suffix = ".aof",
        .object_suffix = ".aof",
        .asm_start = 0x0500,
        .sound_voices = snd_voices_mikit,
        .tone_frequency = snd_tone_mikit,
        .text_colours = display_panel_colours,
        .frame_takes_paper = true,
        .led_panel_cell = led_cell_double,
        .led_panel_geometry = led_geometry_mikit,
        .guide_section = "mikit",
        .led_font = led_font_mikit,
    },
    // TYPERIGHT
    {
        .setup = typeright_machine_init,
        .install_bus = typeright_bus_install,
        .reset = typeright_reset,
        .run_frame = typeright_run_frame,
        .serialise = typeright_save_state,
        .typed_keyboard = [] { return true; },
        .save_suffix = ".bin",
        .sound_voices = snd_voices_tone_hz,
        .tone_frequency = snd_tone_hz,
        .text_colours = display_typeright_colours,
        .led_panel_cell = led_cell_typeright,
        .led_panel_geometry = led_geometry_typeright,
        .debug_view = typeright_debug_view,
        .guide_section = "type-right",
        .coding_guide = false,
        .key_char = typeright_key_char,
        .game_file_name = typeright_game_file_name,
    },
};

// A machine number out of range: every operation at its default.
constexpr MachineOps NO_MACHINE = {.save_suffix = ".bin"};

} // namespace

const MachineOps& machine_ops(u32 m) {
    return m < MACHINES ? ROWS[m] : NO_MACHINE;
}
