#include "computers/terminal.h"

#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "peripherals/papertape.h"
#include "sound/voice_update.h"

#include <cstdio>
#include <cstring>

i32 vdu_scroll;

// The games-database row of the PIPBUG "Life" program, which prints with bit 7 set.
constexpr i32 GAME_LIFE = 525;
// The monitor whose DEL rubs out the last character.
constexpr u32 PIPBUG_PIPLA = 3;

// The Elekterminal scrolls its 64-row ring itself.
static bool elekterminal() {
    return machine == PIPBUG && pipbug_vdu == 0;
}

// Columns and rows in use, kept inside the buffer whatever the geometry says.
static int columns() {
    return vdu_columns < 1 ? 1 : vdu_columns > VDU_COLUMNS ? VDU_COLUMNS : vdu_columns;
}
static int rows() {
    return vdu_rows < 1 ? 1 : vdu_rows > VDU_ROWS ? VDU_ROWS : vdu_rows;
}
static int visible_rows() {
    return vdu_visible_rows < 1 ? 1 : vdu_visible_rows > rows() ? rows() : vdu_visible_rows;
}

static void blank_row(int row, int cols) {
    for (int c = 0; c < cols; c++)
        vdu_cell(c, row) = vdu_blank_char;
}

// The cursor back inside the screen in use (a geometry change may leave it out).
static void clamp_cursor() {
    if (vdu_cursor_col < 0 || vdu_cursor_col >= columns()) vdu_cursor_col = 0;
    if (vdu_cursor_row < 0 || vdu_cursor_row >= rows()) vdu_cursor_row = rows() - 1;
}

void vdu_scroll_up() {
    const int cols = columns(), n = rows();
    for (int c = 0; c < cols; c++) {
        u8* column = &vdu_text[c * VDU_ROWS];
        std::memmove(column, column + 1, static_cast<size_t>(n - 1));
        column[n - 1] = vdu_blank_char;
    }
}

void pipbug_vdu_scroll(int n) {
    const int total = rows();
    if (n >= 1) {
        vdu_scroll += n;
        if (vdu_scroll >= total) vdu_scroll -= total;
    } else {
        if (vdu_scroll < -n) vdu_scroll += total;
        vdu_scroll += n;
    }
    if (vdu_scroll < 0 || vdu_scroll >= total) vdu_scroll = ((vdu_scroll % total) + total) % total;
}

void pipbug_vdu_clear(int clear) {
    if (clear) std::memset(vdu_text, vdu_blank_char, sizeof vdu_text);
    vdu_cursor_col = 0;
    vdu_scroll = 48;
    vdu_cursor_row = pipbug_vdu == 0 ? 48 : pipbug_vdu == 3 ? 15 : 0;
}

// The TWIN's ESC sequences, on its fixed 80 x 25 console.
static void twin_escape(u8 c) {
    constexpr int cols = 80, last = 24;
    int& col = vdu_cursor_col;
    int& row = vdu_cursor_row;
    if (col < 0 || col >= cols) col = 0;
    if (row < 0 || row > last) row = 0;
    switch (c) {
    case 'A':
        row = row == 0 ? last : row - 1;
        break;
    case 'B':
        row = row == last ? 0 : row + 1;
        break;
    case 'C':
        if (++col == cols) {
            col = 0;
            row = row == last ? 0 : row + 1;
        }
        break;
    case 'D':
        if (col-- == 0) {
            col = cols - 1;
            row = row == 0 ? last : row - 1;
        }
        break;
    case 'E':
        for (int r = 0; r <= last; r++)
            blank_row(r, cols);
        col = row = 0;
        break;
    case 'H':
        col = row = 0;
        break;
    case 'J':
        for (int cc = col; cc < cols; cc++)
            vdu_cell(cc, row) = vdu_blank_char;
        break;
    case 'K':
        blank_row(row, cols);
        break;
    default:
        break;
    }
}

// A printable character at the cursor; true when the line wrapped.
static bool put_char(u8 c) {
    const int cols = columns();
    vdu_cell(vdu_cursor_col, vdu_cursor_row) = c;
    if (++vdu_cursor_col < cols) return false;
    vdu_cursor_col = 0;
    if (vdu_cursor_row >= rows() - 1)
        vdu_scroll_up();
    else
        vdu_cursor_row++;
    return true;
}

// The control codes; false for a code that is not one of them.
static bool control(u8 c) {
    const int cols = columns();
    int& col = vdu_cursor_col;
    int& row = vdu_cursor_row;
    switch (c) {
    case 4:
        if (elekterminal()) pipbug_vdu_scroll(1);
        return true;
    case 7:
        snd_start_beep(0);
        return true;
    case 8:
        if (col != 0) vdu_cell(--col, row) = vdu_blank_char;
        return true;
    case 9:
        if (col < cols - 1) col++;
        return true;
    case 10:
        col = 0;
        if (row >= rows() - 1) {
            vdu_scroll_up();
        } else {
            row++;
            blank_row(row, cols);
        }
        return true;
    case 11:
        if (row != 0) row--;
        return true;
    case 12:
        if (elekterminal()) {
            for (int r = 48; r < 64 && r < rows(); r++)
                blank_row(r, cols);
            row = 48;
        } else {
            for (int r = 0; r < visible_rows(); r++)
                blank_row(r, cols);
            row = 0;
        }
        col = 0;
        return true;
    case 13:
        if (col < cols - 1)
            for (int cc = col; cc < cols; cc++)
                vdu_cell(cc, row) = vdu_blank_char;
        col = 0;
        return true;
    case 17:
        tty_reader_on = 1;
        return true;
    case 18:
        tty_punch_on = 1;
        return true;
    case 19:
        tty_reader_on = 0;
        return true;
    case 20:
        tty_punch_on = 0;
        return true;
    case 21:
        if (elekterminal()) pipbug_vdu_scroll(-1);
        return true;
    case 24:
        if (elekterminal()) pipbug_vdu_scroll(16);
        return true;
    case 25:
        if (elekterminal()) pipbug_vdu_scroll(-16);
        return true;
    case 26:
        blank_row(row, cols);
        return true;
    case 28:
        col = row = 0;
        return true;
    case 29:
        col = 0;
        return true;
    case 127:
        if (col != 0 && ((machine == PIPBUG && pipbug_bios == PIPBUG_PIPLA) || machine == TWIN))
            vdu_cell(--col, row) = vdu_blank_char;
        return true;
    default:
        return false;
    }
}

u8 term_delete_key(u8 ch, bool erases) {
    if (ch == 8) ch = 127;
    if (ch == 127 && erasedeleted && erases) {
        term_output_char(127);
        term_skip_next = 1; // the guest's own echo of the DEL is swallowed
    }
    return ch;
}

void term_output_char(u8 c) {
    if (term_skip_next) {
        term_skip_next = 0;
        return;
    }
    if ((machine == PIPBUG || machine == BINBUG || machine == TWIN) && tty_punch_on)
        papertape_punch(c);
    if (c == 0) return;
    if (known_game_id == GAME_LIFE) c &= 0x7F;
    if (machine == TWIN) {
        if (term_escape_pending) {
            term_escape_pending = 0;
            twin_escape(c);
            return;
        }
        if (c == 27) {
            term_escape_pending = 1;
            return;
        }
    }
    clamp_cursor();
    bool wrapped = false;
    if (!control(c)) {
        if (c < 32) return;
        wrapped = put_char(c);
    }
    if (echoconsole) {
        con_printf("%c", c);
        if (c == 8) con_printf(" \b");
        if (wrapped) con_printf("\n");
        std::fflush(nullptr);
    }
}
