#include "computers/terminal_rows.h"

#include "computers/note_pitches.h"
#include "core/settings_vars.h"
#include "display/led.h"
#include "sound/voice_update.h"

void display_terminal_colours(u8* ink, u8* paper) {
    *ink = inversevideo ? 7 : 0;
    *paper = inversevideo ? 0 : 7;
}

void display_panel_colours(u8*, u8* paper) {
    *paper = 7;
}

u8 term_text_background() {
    return inversevideo ? 0 : 7;
}

void led_cell_block(i32 c, i32 y, u32 colour) {
    for (i32 dy = 0; dy < 2; dy++)
        for (i32 dx = 0; dx < 2; dx++)
            led_panel_store(c + dx, 2 * y + dy, colour);
}

void led_cell_double(i32 x, i32 y, u32 colour) {
    led_cell_block(2 * x, y, colour);
}

void snd_voices_speaker() {
    if (speaker_latch) snd_set_voice(0, 7, TERM_BEEP_NOTE);
}

float snd_tone_note_code(u16 p) {
    return static_cast<float>(note_code_frequency(p));
}
