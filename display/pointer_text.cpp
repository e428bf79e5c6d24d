#include "display/pointer_text.h"

#include "core/dump_lines.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "display/colour_names.h"
#include "display/frame.h"

#include <cstdio>

char display_position_text[POSITION_TEXT_SIZE];

const char* display_ordinal_suffix(i32 n) {
    const i32 tens = n % 100;
    if (tens >= 11 && tens <= 13) return "th";
    switch (n % 10) {
    case 1: return "st";
    case 2: return "nd";
    case 3: return "rd";
    default: return "th";
    }
}

void display_position_prefix(i32 x, i32 y, i32 x_shown, std::string* out) {
    text_appendf(out, "X=%d,Y=%d (%s)", x_shown, y,
                 display_colour_name(guest_frame[x * GUEST_FRAME_ROWS + y]));
}

void display_screen_byte_text(u32 address, std::string* out) {
    const u8 byte = guest_memory[address & (GUEST_MEMORY_SIZE - 1)];
    const u8 shown = cpu_guest_char(byte);
    char utf8[4];
    // A byte the board shows as no character (the middle dot) reads as a full stop.
    text_appendf(out, ". $%X: $%02X ('%s')", address, byte,
                 shown == 183 ? "." : cpu_guest_char_text(byte, utf8));
}

void display_text_cell_text(i32 x, i32 y, std::string* out, i32 store_rows, i32 store_top) {
    if (x < 0 || y < 0 || vdu_cell_width <= 0 || vdu_cell_height <= 0) return;
    const i32 row = y / vdu_cell_height + 1, column = x / vdu_cell_width + 1;
    if (row > vdu_visible_rows || column > vdu_columns) return;
    text_appendf(out, ". Row=%d%s", row, display_ordinal_suffix(row));
    if (store_rows > 0) {
        const i32 stored = (store_top + row - 1) % store_rows + 1;
        text_appendf(out, " (%d%s)", stored, display_ordinal_suffix(stored));
    }
    text_appendf(out, ", column=%d%s", column, display_ordinal_suffix(column));
}

namespace {

// The sync generator's timing at 60 Hz and at 50 Hz.
struct SyncTiming {
    i32 front, retrace, back, burst, burst_end, oe_clock;
    i32 vs_line, vs_clock, vs_end_line, vs_end_clock;
};
constexpr SyncTiming SYNC[2] = {{10, 15, 32, 34, 42, 23, 3, 32, 6, 31},
                                {6, 11, 28, 31, 39, 19, 12, 113, 15, 10}};

// The blanking phase and the sync outputs at raster (clock, line).
void blanking_text(i32 clock, i32 line, std::string* out) {
    const SyncTiming& t = SYNC[emu_region & 1];
    const bool h_phase = clock >= t.front && clock <= 48;
    const bool hs = clock >= t.retrace && clock < t.back;
    const bool burst = clock >= t.burst && clock <= t.burst_end;
    const bool v_phase = line < first_visible_line;
    const auto at_or_after = [](i32 l, i32 c, i32 line0, i32 clock0) {
        return l > line0 || (l == line0 && c >= clock0);
    };
    const bool vs = at_or_after(line, clock, t.vs_line, t.vs_clock) &&
                    !at_or_after(line, clock, t.vs_end_line, t.vs_end_clock + 1);
    if (h_phase)
        *out += hs      ? ". Horizontal retrace"
                : clock < t.retrace ? ". Horizontal front porch"
                : burst ? ". Horizontal back porch (colour burst)"
                        : ". Horizontal back porch";
    if (v_phase)
        *out += vs ? ". Vertical retrace"
                : at_or_after(line, clock, t.vs_line, t.vs_clock) ? ". Vertical back porch"
                                                                  : ". Vertical front porch";
    if (hs) {
        *out += ", CBLNK, HRST, HS";
        if (vs) *out += ", CSYNC";
    } else {
        if (!vs) *out += ", CSYNC";
        if (h_phase) *out += ", CBLNK, HRST";
    }
    if (burst) *out += ", CBF";
    if (v_phase) *out += vs ? ", VRST, VS" : ", VRST";
    // OE runs from the clock on each even line up to the same clock of the next.
    const bool oe = (line % 2 == 0) ? clock >= t.oe_clock : clock < t.oe_clock;
    if (oe) *out += ", OE";
}

} // namespace

bool display_console_position(i32 x, i32 y, char chip, std::string* out, i32* chip_x,
                              i32* chip_y) {
    const i32 usg_x = x + display_window_left, usg_y = y + display_window_top;
    if (usg_x >= BLANKING_CLOCKS) return false;
    *chip_x = usg_x - 49;
    *chip_y = usg_y - first_visible_line;
    text_appendf(out, "USG X=%d,Y=%d. %cVI X=%d,Y=%d (%s)", usg_x, usg_y, chip, *chip_x, *chip_y,
                 display_colour_name(guest_frame[x * GUEST_FRAME_ROWS + y]));
    if (blankingareas) blanking_text(usg_x, usg_y, out);
    return true;
}

void display_describe_position(i32 x, i32 y, int click) {
    const MachineLive& live = machine_live_row();
    const i32 w = display_rotated ? live.height : live.width;
    const i32 h = display_rotated ? live.width : live.height;
    std::string text;
    if (x < 0 || y < 0 || x >= w || y >= h) {
        text = "-,-";
    } else {
        if (display_rotated) { // back to the frame's own orientation
            const i32 turned = x;
            x = y;
            y = live.height - 1 - turned;
        }
        const auto own = machine_view().describe_position;
        if (own)
            own(x, y, click, &text);
        else
            display_position_prefix(x, y, x, &text);
        if (text.empty()) text = "-,-";
    }
    std::snprintf(display_position_text, sizeof display_position_text, "%s", text.c_str());
    if (click) display_screen_edit_clamp();
}

void display_screen_edit_clamp() {
    if (!screen_edit_mode) return;
    const auto clamp = machine_debug().edit_clamp;
    if (clamp) {
        clamp();
        return;
    }
    screen_edit_mode = 0; // nothing here to edit
    ui_mark(UI_MENUS | UI_TITLE | UI_STATUS);
}
