// The Elektor's rows: its own parts beside its set-up (games-database rows,
// paddle ranges, the sound of the expanded machine, controls layout,
// save-state tail) and the entry that names them.
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/guest_roms.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/savestate_fields.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "machines/screen_source.h"
#include "sound/note_lookup.h"
#include "machines/ay8910.h"
#include "machines/music_rows.h"
#include "machines/pvi_glyphs.h"
#include "machines/pvi_editor.h"
#include "machines/pvi_views.h"
#include "machines/console_rows.h"
#include "machines/elektor.h"
#include "machines/elektor_texts.h"
#include "machines/pvi_consoles.h"
#include "peripherals/tape.h"
#include "platform/catalog.h"
#include "core/message.h"
#include "cpu/dbg_hooks.h"
#include "sound/voice_update.h"
#include "machines/controls_rows.h"

namespace {

// The two AY-3-8910s of the expanded Elektor at $1D00 and $1D10.
void psg_voices() {
    for (int psg = 0; psg < 2; psg++) {
        const u8* r = guest_memory + 0x1D00 + 16 * psg;
        for (int c = 0; c < 3; c++) {
            const u8 volume = (r[8 + c] & 0x10) ? 15 : (r[8 + c] & 15);
            u16 tone = 0;
            if (!(r[7] >> c & 1)) {
                tone = static_cast<u16>(r[2 * c] + ((r[2 * c + 1] & 15) << 8));
                if (psg == 0 && c == 0 && tone == 0) tone = 1;
            }
            const u16 noise = (r[7] >> (3 + c) & 1) ? 0 : (r[6] & 31);
            snd_set_voice(3 + 3 * psg + c, volume, tone);
            snd_set_voice(10 + 3 * psg + c, volume, noise);
        }
    }
}

// Some games want the paddles' lowest value 0 and their centre 1.
void elektor_paddle_range(i32 game) {
    const bool low = (game >= 402 && game <= 405) || game == 409 || game == 411 || game == 415;
    machine_live[ELEKTOR].paddle_min = low ? 0 : 1;
    machine_live[ELEKTOR].paddle_centre = low ? 1 : 111;
}

// The expanded machine's PVI noise and the voices of its two PSGs.
void snd_voices_elektor() {
    if (memmap == MAP_ELEKTOR_BASIC) return;
    snd_voices_pvi_console();
    if (memmap == MAP_ELEKTOR_EXPANDED) psg_voices();
}

// The tone's volume: from the first PSG's register when it takes the tone
// over, from the sound register at $1E80 on the expanded machine, else full.
u8 elektor_tone_volume() {
    if (memmap == MAP_ELEKTOR_EXPANDED && (guest_memory[0x1D07] & 0x40))
        return guest_memory[0x1D0E] & 15;
    if (memmap != MAP_ELEKTOR_EXPANDED) return 15;
    return snd_pvi_tone_volume(guest_memory[0x1E80]);
}

// Only the expanded machine's noise-burst latch follows its sound register.
bool elektor_noise_latch_follows() {
    return memmap == MAP_ELEKTOR_EXPANDED;
}

void elektor_apply_row_before(const KnownGame& row) {
    elektor_biosversion = row.variant;
}

void elektor_apply_row_after(const KnownGame& row) {
    darkenbg = row.option_word;
    if (known_game_id == 311) dbg_pixels_per_clock = 2;
}

void elektor_tail(u32) {
    state_field_memory(0x0800, 0x1FFF);
    state_beam_clock_field(ELEKTOR);
    state_line_length_field(ELEKTOR);
    state_monitor_field(&elektor_biosversion, 1, "Elektor BIOS version", elektor_take_bios);
    u32 n = state_field_u32_full(&tvc_copy_length);
    if (state_reading() && n > TVC_COPY_BYTES) {
        serial_mark_bad("program copy length");
        return;
    }
    state_field_bytes(tvc_copy, n);
}

i32 elektor_controls_layout() {
    return bigcontrols_elektor ? 27 : 18;
}

// What the BIOS's tape routines are doing, by the instruction about to run.
void elektor_trace_load() {
    char name[8];
    const int position = static_cast<int>(tape_position);
    switch (cpu_iar) {
    case 0x00D4:
        if (cpu_prev_iar == 0x026A)
            con_printf("%s", cat_str(873, "BIOS has finished loading from tape.\n"));
        break;
    case 0x0722:
        con_printf("Read bit %d as %d at tape position %d (%s).\n", guest_memory[0x089B] - 1,
                   guest_memory[0x089C] & 1, position, tape_position_text());
        break;
    case 0x072F:
        con_printf(cat_str(496, "Read $%02X (%s) from tape position %d (%s).\n"), cpu_regs[1],
                   cpu_byte_name(cpu_regs[1], name), position, tape_position_text());
        break;
    default:
        break;
    }
}

void elektor_trace_save() {
    char name[8];
    const int position = static_cast<int>(tape_position);
    switch (cpu_iar) {
    case 0x00D4:
        if (cpu_prev_iar == 0x06E9)
            con_printf("%s", cat_str(874, "BIOS has finished saving to tape.\n"));
        break;
    case 0x06D3:
        con_printf(cat_str(497, "Wrote $%02X (%s) to tape position %d (%s).\n"), cpu_regs[0],
                   cpu_byte_name(cpu_regs[0], name), position, tape_position_text());
        break;
    case 0x06EC:
    case 0x06F0:
        con_printf("Writing bit %d as %d at tape position %d (%s).\n", cpu_regs[5] - 1,
                   cpu_iar == 0x06EC ? 1 : 0, position, tape_position_text());
        break;
    default:
        break;
    }
}

// The cassette port is memory: the level written at $1DFF is recorded, and
// the played level reads at $1DBF as $FF (high) or $00.
constexpr TapeRule ELEKTOR_TAPE{.input = TapeInput::MEMORY_LEVEL,
                                .output = TapeOutput::MEMORY_BYTE,
                                .in_address = 0x1DBF,
                                .out_address = 0x1DFF,
                                .port = 0,
                                .edge_limit = 0,
                                .period = 0,
                                .trace_load = elektor_trace_load,
                                .trace_save = elektor_trace_save,
                                .traced = [] { return true; }};

// The six rows of the monitor's display, read back from the objects it drew.
static void elektor_screen_text(std::string* out) {
    for (int line = 0; line < 6; line++) {
        elektor_decode_monitor_display(line);
        *out += elektor_display_text;
        *out += '\n';
    }
}

constexpr MachineOps OPS{
    .setup = elektor_setup,
    .install_bus = elektor_bus_install,
    .reset = elektor_reset,
    .run_frame = pvi_run_frame,
    .roms = elektor_roms,
    .rom_count = 3,
    .apply_row_before = elektor_apply_row_before,
    .apply_row_after = elektor_apply_row_after,
    .paddle_range = elektor_paddle_range,
    .serialise = elektor_tail,
    .save_suffix = ".tvc",
    .screen_text = elektor_screen_text,
    .keypad_keys = [] { return KeypadKeys::NO_EXTRAS; },
    .tape = [] { return &ELEKTOR_TAPE; },
    .controls = &elektor_controls,
    .guide_section = "elektor",
    .sprites_help = "pvi-sprites",
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_console,
    .display_window = display_window_pvi,
    .reset_frame = display_reset_console,
    .blanking_areas = [] { return true; },
    .controls_layout = elektor_controls_layout,
    .beam_marker = beam_marker_console,
    .describe_position = pvi_console_describe_position,
};

// The musical keyboard: on the expanded map the console's switches and the
// PSGs' enables go with a click, and the PSGs' six channels have staves.
constexpr u32 PSG_REGISTERS = 0x1D00;

constexpr MusicKeyboard MUSIC{
    .play = [](int channel, u8 code) {
        return memmap == MAP_ELEKTOR_EXPANDED ? pvi_console_music_play(channel, code)
                                              : pvi_music_play(channel, code);
    },
    .main_note = [](u8* pen) {
        return memmap == MAP_ELEKTOR_EXPANDED ? pvi_console_music_main_note(pen) : pvi_music_main_note(pen);
    },
    .extra_notes = [](u8* notes) {
        if (memmap != MAP_ELEKTOR_EXPANDED) return 0;
        for (int chip = 0; chip < 2; chip++) {
            const u8* regs = guest_memory + PSG_REGISTERS + 16 * chip;
            for (int c = 0; c < 3; c++) {
                u8& note = notes[3 * chip + c];
                note = NOTE_REST;
                if (!(regs[8 + c] & 31) || !ay8910_tone_enabled(regs, c)) continue; // silent or noise alone
                const u16 period = ay8910_tone_period(regs, c);
                // A period of 0 is the highest tone there is.
                note = static_cast<u8>(period ? snd_voice_note(3 + 3 * chip + c, period) : NOTES - 1);
            }
        }
        return 6;
    },
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_elektor,
    .tone_volume = elektor_tone_volume,
    .noise_latch_follows = elektor_noise_latch_follows,
    .music = &MUSIC,
};

// The first monitor's rows (30-324) begin with the console's I/O area, then
// the I/O lines with the cassette's names for their last ones, then the
// registers of both PSGs; the second monitor's (1707-1716) name its entry
// points and keyboard variables.
constexpr BuiltinLabel LABEL_ROWS[] = {
    {38, 0x1D9C, "LINEIN0", 'D'},     {39, 0x1D9D, "LINEIN1", 'D'},
    {40, 0x1D9E, "LINEIN2", 'D'},     {41, 0x1D9F, "LINEIN3", 'D'},
    {42, 0x1DBC, "LINEIN4", 'D'},     {43, 0x1DBD, "LINEIN5", 'D'},
    {44, 0x1DBE, "LINEIN6", 'D'},     {45, 0x1DBF, "LINEIN7", 'D'},
    {46, 0x1DBF, "CASIN", 'D'},       {47, 0x1DBF, "CASR", 'D'},
    {48, 0x1DDC, "LINEOUT0", 'D'},    {49, 0x1DDD, "LINEOUT1", 'D'},
    {50, 0x1DDE, "LINEOUT2", 'D'},    {51, 0x1DDF, "LINEOUT3", 'D'},
    {52, 0x1DFC, "LINEOUT4", 'D'},    {53, 0x1DFD, "LINEOUT5", 'D'},
    {54, 0x1DFE, "LINEOUT6", 'D'},    {55, 0x1DFF, "LINEOUT7", 'D'},
    {56, 0x1DFF, "CASOUT", 'D'},      {57, 0x1DFF, "CASW", 'D'},
    {58, 0x1D00, "PITCHA1_L", 'D'},   {59, 0x1D01, "PITCHA1_H", 'D'},
    {60, 0x1D02, "PITCHB1_L", 'D'},   {61, 0x1D03, "PITCHB1_H", 'D'},
    {62, 0x1D04, "PITCHC1_L", 'D'},   {63, 0x1D05, "PITCHC1_H", 'D'},
    {64, 0x1D06, "PITCHD1", 'D'},     {65, 0x1D07, "MIXER1", 'D'},
    {66, 0x1D08, "AMPLITUDEA1", 'D'}, {67, 0x1D09, "AMPLITUDEB1", 'D'},
    {68, 0x1D0A, "AMPLITUDEC1", 'D'}, {69, 0x1D0B, "PERIOD1_L", 'D'},
    {70, 0x1D0C, "PERIOD1_H", 'D'},   {71, 0x1D0D, "SHAPE1", 'D'},
    {72, 0x1D0E, "PORTA1", 'D'},      {73, 0x1D0F, "PORTB1", 'D'},
    {74, 0x1D10, "PITCHA2_L", 'D'},   {75, 0x1D11, "PITCHA2_H", 'D'},
    {76, 0x1D12, "PITCHB2_L", 'D'},   {77, 0x1D13, "PITCHB2_H", 'D'},
    {78, 0x1D14, "PITCHC2_L", 'D'},   {79, 0x1D15, "PITCHC2_H", 'D'},
    {80, 0x1D16, "PITCHD2", 'D'},     {81, 0x1D17, "MIXER2", 'D'},
    {82, 0x1D18, "AMPLITUDEA2", 'D'}, {83, 0x1D19, "AMPLITUDEB2", 'D'},
    {84, 0x1D1A, "AMPLITUDEC2", 'D'}, {85, 0x1D1B, "PERIOD2_L", 'D'},
    {86, 0x1D1C, "PERIOD2_H", 'D'},   {87, 0x1D1D, "SHAPE2", 'D'},
    {88, 0x1D1E, "PORTA2", 'D'},      {89, 0x1D1F, "PORTB2", 'D'},
    {1707, 0x0057, "OUTPUT1", 'C'},   {1708, 0x006F, "OUTPUT2", 'C'},
    {1709, 0x014E, "KEYSCN", 'C'},    {1710, 0x01D0, "CONVRT", 'C'},
    {1711, 0x028A, "SCROLL6", 'C'},   {1712, 0x028C, "SCROLL15", 'C'},
    {1713, 0x0575, "CLRSCR", 'C'},    {1714, 0x089D, "LKBST", 'D'},
    {1715, 0x089E, "RKBST", 'D'},     {1716, 0x089F, "MKBST", 'D'},
};
constexpr BuiltinLabels LABELS = builtin_labels(LABEL_ROWS);

constexpr MachineDebug DEBUG{
    .hooks = &elektor_debug_hooks,
    .label_sets = {&LABELS, &console_label_rows, &pvi_label_rows},
    .interrupt_entry = [] { return i32{0x0003}; },
    .bios_entry = [] { return i32{0x0023}; },
    .last_raster_line = console_last_raster_line,
    .literal_codes = [] { return u32{256}; },
    .debug_view = elektor_debug_view,
    .bios_view = [] { return true; },
    .describe_register = pvi_consoles_describe,
    .text_letter = [](u8 c) { return c >= 10 && c <= 21; },
    .draw_mode_changed = pvi_follow_draw_mode,
    .edit_key = pvi_edit_key,
    .edit_clamp = pvi_edit_clamp,
    // The PSG's registers hold their 16-bit values low byte first.
    .word_low_first = 0x1D00,
    .word_low_last = 0x1D1E,
    .program_entry = 0x0903,
    .object_format = &elektor_object_format,
    .object_save_command = "SAVEEOF ",
    .screen_source = elektor_screen_source,
    .object_suffix = ".tvc",
    .asm_start = 0x0900,
    .glyphs = &pvi_console_glyphs,
    .video_rows_first = 141,
    .video_rows_last = 150,
    .video_monitor = VideoMonitor::PVI_CASSETTE,
    .chip_coverage = [](ChipCoverage* out) { pvi_chip_coverage(out, true); },
};

} // namespace

extern const MachineEntry elektor_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
