// The per-machine tails of the save-state walk, in file order. Values that
// size or select later fields are taken from the field operation's result, so
// that a dry read (which stores nothing) follows the same path as a real one.
#include "core/emu.h"
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_parts.h"
#include "core/savestate.h"
#include "core/savestate_internal.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "machines/seams.h"
#include "machines/coinop.h"
#include "machines/coinop_inputs.h"
#include "machines/malzak.h"
#include "machines/zaccaria.h"
#include "sound/voice_update.h"
#include "machines/uvi2637.h"

static bool reading() {
    return serial_dir != SERIAL_WRITE;
}
static bool applying() {
    return reading() && !serial_dry() && !serial_overrun();
}

// A one-byte setting with a range: out-of-range values mark the state bad.
static void setting_byte(u32* variable, u32 max, const char* what) {
    u32 v = state_field_u32(variable);
    if (reading() && v > max) serial_mark_bad(what);
}

static void setting_byte(i32* variable, u32 max, const char* what) {
    u32 v = state_field_u32(variable);
    if (reading() && v > max) serial_mark_bad(what);
}

// The beam's clock periods into its line, -1 when none is kept.
static void beam_clock_field(u32 m) {
    i32 clocks = state_field_u32_full(&cpu_beam_clock);
    if (reading() && (clocks < -1 || clocks > state_frame_limit(m)))
        serial_mark_bad("beam position");
}

static void line_length_field(u32 m) {
    i32 clocks = state_field_u32_full(&line_clocks);
    if (reading() && (clocks <= 0 || clocks > state_frame_limit(m)))
        serial_mark_bad("line length");
    else if (applying())
        video_set_line_length(clocks);
}

void interton_tail(u32) {
    state_field_u32_full(&loaded_image_size);
    state_field_memory(0x0000, 0x7FFF);
    beam_clock_field(INTERTON);
    line_length_field(INTERTON);
}

void elektor_tail(u32) {
    state_field_memory(0x0800, 0x1FFF);
    beam_clock_field(ELEKTOR);
    line_length_field(ELEKTOR);
    setting_byte(&elektor_biosversion, 1, "Elektor BIOS version");
    u32 n = state_field_u32_full(&tvc_copy_length);
    if (reading() && n > TVC_COPY_BYTES) {
        serial_mark_bad("program copy length");
        return;
    }
    state_field_bytes(tvc_copy, n);
}

void instructor_tail(u32) {
    state_field_memory(0x0000, 0x17FF);
    state_field_memory(0x2000, 0x7FFF);
    state_field_u32(&si50_toggles); // one byte
    setting_byte(&si50_parallelio, 2, "Instructor 50 parallel I/O");
    setting_byte(&si50_interrupts, 1, "Instructor 50 interrupts");
    setting_byte(&si50_intselector, 1, "Instructor 50 interrupt selector");
    state_field_bytes(si50_io_state, sizeof si50_io_state);
}

// A board latch of one byte that holds 0..max; larger values mark the state bad.
static void latch_byte(u8* latch, u32 max, const char* what) {
    const u8 v = state_field_u8(latch);
    if (reading() && v > max) serial_mark_bad(what);
}

// A latch kept in a wider variable, stored as one byte.
template <typename T> static void latch_byte_of(T* latch, u32 max, const char* what) {
    u8 v = static_cast<u8>(*latch);
    latch_byte(&v, max, what);
    if (applying()) *latch = static_cast<T>(v);
}

void zaccaria_tail(u32 map) {
    coinop_save_inputs();
    if (map == 22 || map == 23) {
        state_field_memory(0x1400, 0x1FFF);
        state_field_bytes(coinop_colour_ram, sizeof coinop_colour_ram);
        state_field_bytes(coinop_palette_ram, sizeof coinop_palette_ram);
        // The video latches: scroll, collision latch, the sound-trigger port.
        latch_byte_of(&coinop_scroll, 255, "scroll");
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
    latch_byte(&l.sprite_code, 7, "sprite code");
    latch_byte_of(&coinop_effect_select, 1, "effect RAM select");
    latch_byte(&l.two_bits, 3, "port 1 latch");
    latch_byte(&l.sprite_enable, 1, "sprite enable");
    state_field_u8(&l.tone_data);
    state_field_u8(&l.sprite_x);
    state_field_u8(&l.sprite_y);
    latch_byte(&l.input_mux, 3, "input multiplexer");
    const u32 keys = state_field_u32_full(&tone_unit_word);
    if (reading() && keys >> 25) serial_mark_bad("tone keys");
    state_field_memory(0x1500, 0x1FFF);
    latch_byte(&l.colour_mode, 3, "colour mode");
    state_field_bytes(coinop_effect_ram, sizeof coinop_effect_ram);
    for (u8* flag : {&l.right_line, &l.left_line, &l.single_point, &l.invert_right, &l.invert_left})
        latch_byte(flag, 1, "line effect");
}

void malzak_tail(u32 map) {
    coinop_save_inputs();
    state_field_memory(0x1000, 0x1FFF);
    state_field_bytes(malzak_playfield, sizeof malzak_playfield);
    // The video registers: both scroll latches, the ROM bank, the collision flag.
    latch_byte_of(&malzak_scroll, 255, "horizontal scroll");
    latch_byte_of(&malzak_v_scroll, 255, "vertical scroll");
    latch_byte_of(&malzak_bank_a, 1, "ROM bank");
    latch_byte_of(&malzak_collision_flag, 255, "collision flag");
    if (applying() && map == 27) malzak_switch_rom_bank(1);
}

void phunsy_tail(u32) {
    u32 version = state_field_u32(&phunsy_biosversion);
    if (reading() && version > 1) {
        serial_mark_bad("PHUNSY BIOS version");
        return;
    }
    if (version == 0) {
        state_field_memory(0x0000, 0x1DFF);
    } else {
        state_field_memory(0x0800, 0x17FF);
        state_field_bytes(phunsy_ubank_store[0], 2048);
        for (int b = 4; b < 16; b++)
            state_field_bytes(phunsy_ubank_store[b], 2048);
        for (int b = 1; b < 16; b++)
            state_field_bytes(phunsy_qbank_store[b], 16384);
        state_field_memory(0x2000, 0x3FFF);
        for (int b = 1; b < 4; b++)
            state_field_bytes(phunsy_ubank_store[b], 2048);
        state_field_bytes(phunsy_qbank_store[0], 16384);
    }
    state_field_u8(&phunsy_bank);
    state_field_bytes(phunsy_io_state, sizeof phunsy_io_state);
    beam_clock_field(PHUNSY);
    state_field_bytes(phunsy_latches, sizeof phunsy_latches);
}

void selbst_tail(u32) {
    state_field_memory(0x0800, 0x1FFF);
    // Rows 0-15 of the screen, 64 columns each, row by row (vdu_text is column-major).
    for (int row = 0; row < 16; row++)
        for (int col = 0; col < 64; col++)
            state_field_u8(&vdu_text[col * VDU_ROWS + row]);
    setting_byte(&selbst_biosversion, 3, "Selbstbaucomputer BIOS version");
    state_field_u8(&selbst_io_state);
}

void arcadia_tail(u32 map) {
    state_field_u32_full(&uvi_line_slice);
    setting_byte(&emu_region, 1, "video standard");
    interton_tail(map);
}

void twin_tail(u32) {
    if (applying()) {
        floppy_clear_watch_bits(0);
        floppy_clear_watch_bits(1);
    }
}

void mikit_tail(u32) {
    state_field_memory(0x0400, 0x07FF);
}

void state_machine_tail(u32 m, u32 map) {
    if (m >= MACHINES) {
        serial_mark_bad("machine");
        return;
    }
    if (machine_ops(m).serialise) machine_ops(m).serialise(map);
}
