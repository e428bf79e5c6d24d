#include "computers/screen_texts.h"

#include "computers/pipbug_notes.h"
#include "display/led.h"
#include "core/machine_table.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "core/text_screen.h"
#include "cpu/cpu.h"
#include "display/frame.h"

namespace {
// Digit d as the character its segments read as, "." after it when its point is lit.
void led_digit(std::string* out, int d, bool points) {
    out->push_back(led_segment_char(led_digits[d]));
    if (points && (led_digits[d] & 0x80)) out->push_back('.');
}

// `rows` rows of `columns` bytes from `base`; zero bytes left out, or read
// as blanks; a row gets its LF when `every_lf`, else only when it holds a character.
void memory_rows(std::string* out, u32 base, int rows, int columns, bool zero_blank, bool every_lf) {
    for (int r = 0; r < rows; r++) {
        bool any = false;
        for (int c = 0; c < columns; c++) {
            const u8 b = guest_memory[(base + r * columns + c) & (GUEST_MEMORY_SIZE - 1)];
            if (b == 0 && !zero_blank) continue;
            out->push_back(b ? static_cast<char>(b) : ' ');
            any = true;
        }
        if (every_lf || any) out->push_back('\n');
    }
}
} // namespace

void pipbug_screen_text(std::string* out) {
    for (int r = 0; r < vdu_rows && r < VDU_ROWS; r++) {
        for (int c = 0; c < vdu_columns && c < VDU_COLUMNS; c++)
            if (vdu_cell(c, r) != vdu_blank_char) out->push_back(static_cast<char>(vdu_cell(c, r)));
        out->push_back('\n');
    }
    const int digits = pipbug_vdu == 1 ? 7 : 13;
    for (int d = 0; d < digits; d++) {
        if (d == 4 || d == 7 || d == 10) out->push_back(' ');
        led_digit(out, d, true);
    }
}

void binbug_screen_text(std::string* out) {
    // A zero byte is a blank cell, not the end of the text.
    memory_rows(out, 0x7800, 16, 64, true, true);
}

void twin_screen_text(std::string* out) {
    int first = 0;
    auto blank_row = [](int r) {
        for (int c = 0; c < 80; c++)
            if (vdu_cell(c, r) != ' ') return false;
        return true;
    };
    while (first < 25 && blank_row(first)) first++;
    for (int r = first; r < 25; r++) {
        int end = 80;
        while (end > 0 && vdu_cell(end - 1, r) == ' ') end--;
        for (int c = 0; c < end; c++)
            out->push_back(static_cast<char>(vdu_cell(c, r)));
        out->push_back('\n');
    }
}

void cd2650_screen_text(std::string* out) {
    for (int r = 0; r < 16; r++) {
        bool any = false;
        for (int c = 0; c < 80; c++) {
            u8 code = guest_memory[0x1000 + r + 16 * c];
            if (code == 0) continue;
            code &= 127;
            char ch = static_cast<char>(code < 32                   ? code + 0x40
                                        : code == 96 || code >= 123 ? code - 32
                                                                    : code);
            if (ch == '\\') ch = ' ';
            out->push_back(ch);
            any = true;
        }
        if (any && r < 15) out->push_back('\n');
    }
}

void phunsy_screen_text(std::string* out) {
    memory_rows(out, 0x1000, 32, 64, false, false);
    for (int d = 0; d < 6; d++)
        led_digit(out, d, true);
    out->push_back('\n');
}

void instructor_screen_text(std::string* out) {
    for (int d = 0; d < 8; d++)
        led_digit(out, d, true);
}

void selbst_screen_text(std::string* out) {
    for (int d = 0; d < 6; d++)
        led_digit(out, d, true);
}

void mikit_screen_text(std::string* out) {
    for (int d = 0; d < 6; d++) {
        if (d == 4) out->push_back(' ');
        led_digit(out, d, false);
    }
}
