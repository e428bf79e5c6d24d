#include "core/text_screen.h"

u8 vdu_text[VDU_COLUMNS * VDU_ROWS];
u8 vdu_blank_char = 0x20;
i32 vdu_cursor_col, vdu_cursor_row;
u8 term_escape_pending;
u8 term_skip_next;
u8 tty_reader_on = 1;
u8 tty_punch_on = 1;

void term_reset_states() {
    tty_reader_on = 1;
    tty_punch_on = 1;
    term_escape_pending = 0;
    term_skip_next = 0;
}
