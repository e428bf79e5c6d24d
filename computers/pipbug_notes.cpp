#include "computers/pipbug_notes.h"

#include "computers/terminal.h"
#include "display/led.h"
#include "core/emu.h"
#include "core/message.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/frame.h"

#include <algorithm>
#include <iterator>

constexpr u32 BASIC_VARIABLES = 0x0464;
constexpr u32 NAME_POINTER = 0x7070;
constexpr u32 NOTES_TOP = 0x67FF; // the PIPBUG has no routines above this
constexpr i32 MONITOR_HYBUG = 1;

// Segment patterns (bits 0-6 = a-g) and what they read as.
static constexpr struct {
    u8 pattern;
    char ch;
} SEGMENT_CHARS[] = {
    {0x3F, '0'}, {0x06, '1'}, {0x5B, '2'}, {0x4F, '3'}, {0x66, '4'}, {0x6D, '5'},
    {0x7D, '6'}, {0x07, '7'}, {0x7F, '8'}, {0x67, '9'}, {0x6F, '9'}, {0x77, 'A'},
    {0x7C, 'b'}, {0x39, 'C'}, {0x58, 'c'}, {0x5E, 'd'}, {0x79, 'E'}, {0x71, 'F'},
    {0x3D, 'G'}, {0x76, 'H'}, {0x74, 'h'}, {0x1E, 'J'}, {0x38, 'L'}, {0x37, 'N'},
    {0x54, 'n'}, {0x5C, 'o'}, {0x73, 'P'}, {0x50, 'r'}, {0x78, 't'}, {0x3E, 'U'},
    {0x1C, 'u'}, {0x6E, 'y'}, {0x5F, 'a'}, {0x40, '-'}, {0x08, '_'}, {0x00, ' '},
};

char led_segment_char(u8 pattern) {
    pattern &= 0x7F;
    for (const auto& s : SEGMENT_CHARS)
        if (s.pattern == pattern) return s.ch;
    return '?';
}

void pipbug_view_vdu_ram() {
    for (int r = 0; r < vdu_rows && r < VDU_ROWS; r++)
        for (int c0 = 0; c0 < vdu_columns && c0 + 16 <= VDU_COLUMNS; c0 += 16) {
            u8 cell[16];
            char chars[17];
            for (int i = 0; i < 16; i++) {
                cell[i] = vdu_cell(c0 + i, r);
                chars[i] = con_shown_char(cell[i] & 127);
            }
            chars[16] = 0;
            if (c0 == 0)
                con_printf("%2d: ", r);
            else
                con_printf("    ");
            con_printf("%02X %02X %02X %02X %02X %02X %02X %02X  %02X %02X %02X %02X %02X %02X "
                       "%02X %02X %s\n",
                       cell[0], cell[1], cell[2], cell[3], cell[4], cell[5], cell[6], cell[7],
                       cell[8], cell[9], cell[10], cell[11], cell[12], cell[13], cell[14], cell[15],
                       chars);
        }
    con_printf("\n");
    char ch[7], dot[7];
    for (int d = 0; d < 7; d++) {
        ch[d] = led_segment_char(led_digits[d]);
        dot[d] = (led_digits[d] & 0x80) ? '.' : ' ';
    }
    con_printf("%02X %02X %02X %02X  %02X %02X %02X  %c%c%c%c%c%c%c%c %c%c%c%c%c%c\n\n",
               led_digits[0], led_digits[1], led_digits[2], led_digits[3], led_digits[4],
               led_digits[5], led_digits[6], ch[0], dot[0], ch[1], dot[1], ch[2], dot[2], ch[3],
               dot[3], ch[4], dot[4], ch[5], dot[5], ch[6], dot[6]);
}

void pipbug_view_basic_vars() {
    con_printf("Addresses  Name Contents = Value\n---------- ---- -------- = -----\n");
    for (u32 v = 0; v < 26; v++) {
        const u32 a = BASIC_VARIABLES + 2 * v;
        const u8 high = guest_memory[a], low = guest_memory[a + 1];
        con_printf("$%X..$%X %c       $%02X%02X = %5d\n", a, a + 1, static_cast<char>('A' + v),
                   high, low, high * 256 + low);
    }
    con_printf("\n");
}

std::string guest_copy_name() {
    u32 a = static_cast<u32>(guest_memory[NAME_POINTER]) << 8 | guest_memory[NAME_POINTER + 1];
    std::string name;
    for (int i = 0; i < 14; i++) {
        const u8 c = guest_memory[a & 0x7FFF];
        if (c == 13 || c == 0) break;
        name += static_cast<char>(c);
        a++;
    }
    return name;
}

// ---- The notes table ---------------------------------------------------------------

// Which firmware an entry belongs to.
enum NoteFirmware : u8 {
    FW_PIPBUG,        // the PIPBUG monitors
    FW_PIPBUG_BINBUG, // routines the BINBUG monitor keeps at the PIPBUG's addresses
};

struct RoutineNote {
    u16 address;
    NoteFirmware firmware;
    const char* text;
};

// Sorted by address.
static const RoutineNote NOTES[] = {
    {0x0017, FW_PIPBUG_BINBUG, ";Subr that increments TEMP - must precede STRT\n"},
    {0x0034, FW_PIPBUG_BINBUG,
     ";This routine will abort the current cmd\n;The stack is reset to the user prog level\n"},
    {0x0090, FW_PIPBUG_BINBUG, ";PROM binary tape: 0=8-bit, 1=LSN, 2=MSN\n"},
    {0x02A8, FW_PIPBUG, ";Long name:          Delay for one bit time\n"},
    {0x02AD, FW_PIPBUG, ";Long name:          Delay for half a bit time\n"},
    {0x03E6, FW_PIPBUG,
     ";This code will auto-synch its baud rate\n;On startup or reset of PIPBUG, type a 'U'\n"},
};

static bool applies(const RoutineNote& note) {
    if (machine == PIPBUG) return true;
    if (machine == BINBUG) return note.firmware == FW_PIPBUG_BINBUG;
    return false;
}

void pipbug_bios_notes(u32 address) {
    if (machine == PIPBUG && (address > NOTES_TOP || pipbug_bios == MONITOR_HYBUG)) return;
    if (machine == BINBUG && binbug_biosversion != 1 && binbug_biosversion != 2 &&
        address <= 0x03FF)
        return;
    const auto first =
        std::lower_bound(std::begin(NOTES), std::end(NOTES), address,
                         [](const RoutineNote& note, u32 a) { return note.address < a; });
    for (auto it = first; it != std::end(NOTES) && it->address == address; ++it)
        if (applies(*it)) con_printf("%s", it->text);
}
