#include "input/keys.h"

#include "core/emu.h"
#include "core/helpers.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "platform/catalog.h"
#include "input/controls.h"
#include "input/key_events.h"

#include <cstring>

u8 host_key_matrix[16];
u32 host_key_repeats[RAW_KEYS];
u8 ctrl_latch, left_shift_latch, right_shift_latch, repeat_latch;
u8 controls_marked[CONTROLS_RECTS];

// ---- The key table -------------------------------------------------------------------

namespace {

constexpr u16 N = KEY_NO_CHAR;

const char* const built_in_names[RAW_KEYS] = {
    "`",     "a1",    "a2",    "a3",    "a4",    "a5",   "a6",    "a7",   "a8",    "a9",    "a0",
    "a-",    "=",     "\\",    "Intl3", "n0",    "Q",    "W",     "E",    "R",     "T",     "Y",
    "U",     "I",     "O",     "P",     "[",     "]",    "($1C)", "n1",   "n2",    "n3",    "A",
    "S",     "D",     "F",     "G",     "H",     "J",    "K",     "L",    ";",     "'",     "Intl1",
    "($2C)", "n4",    "n5",    "n6",    "Intl2", "Z",    "X",     "C",    "V",     "B",     "N",
    "M",     ",",     "a.",    "a/",    "Braz1", "n.",   "n7",    "n8",   "n9",    "Space", "BkSp",
    "Tab",   "nE",    "aE",    "Esc",   "Del",   "Ins",  "PgUp",  "PgDn", "n-",    "F11",   "Up",
    "Dn",    "Rt",    "Lt",    "F1",    "F2",    "F3",   "F4",    "F5",   "F6",    "F7",    "F8",
    "F9",    "F10",   "(",     ")",     "n/",    "n*",   "n+",    "Help", "LShft", "RShft", "CL",
    "Ctrl",  "LAlt",  "RAlt",  "LAmi",  "RAmi",  "LMB",  "RMB",   "MMB",  "ScrLk", "PrtSc", "NumLk",
    "Pause", "F12",   "Home",  "End",   "Stop",  "Play", "Prev",  "Next", "Rwnd",  "FFwd",  "Reset",
    "($79)", "WhlDn", "WhlUp", "WhlLt", "WhlRt", "4MB",  "($7F)",
};

// One row's characters: plain, Caps Lock and Shift per keymap 0..2, then
// Ctrl, Ctrl+Shift and the Type-right's two.
struct CharRow {
    u8 row;
    u16 c[KEY_COLUMNS];
};

// A row whose three layouts agree.
constexpr CharRow same(u8 row, u16 plain, u16 caps, u16 shift, u16 ctrl, u16 ctrl_shift, u16 tr,
                       u16 tr_shift) {
    return {row,
            {plain, plain, plain, caps, caps, caps, shift, shift, shift, ctrl, ctrl_shift, tr,
             tr_shift}};
}
// A letter: lower case plain and on the Type-right, upper case shifted or
// with Caps Lock, its control code with Ctrl.
constexpr CharRow letter(u8 row, char upper) {
    const u16 u = static_cast<u16>(upper), l = static_cast<u16>(upper + 32), c = u & 0x1F;
    return {row, {l, l, l, u, u, u, u, u, u, c, c, l, u}};
}
// A digit or sign that types itself in every state but Ctrl.
constexpr CharRow plain_all(u8 row, char ch) {
    const u16 c = static_cast<u16>(ch);
    return same(row, c, c, c, N, N, c, c);
}

const CharRow char_rows[] = {
    {0, {0x60, 0x7F, 0x60, 0x60, 0x7F, 0x60, '~', 0x7F, '~', N, 0x1A, N, N}},
    same(1, '1', '1', '!', N, N, '1', '!'),
    {2, {'2', '2', '2', '2', '2', '2', 0x40, 0x22, 0x22, N, 0x00, '2', 0x40}},
    same(3, '3', '3', '#', N, N, '3', '#'),
    same(4, '4', '4', '$', N, N, '4', '$'),
    same(5, '5', '5', '%', N, N, '5', '%'),
    {6, {'6', '6', '6', '6', '6', '6', '^', '&', '&', N, 0x1E, '6', '-'}},
    {7, {'7', '7', '7', '7', '7', '7', '&', 0x27, 0x27, N, N, '7', '&'}},
    {8, {'8', '8', '8', '8', '8', '8', '*', '(', '(', N, N, '8', '*'}},
    {9, {'9', '9', '9', '9', '9', '9', '(', ')', ')', N, N, '9', '('}},
    {10, {'0', '0', '0', '0', '0', '0', ')', 0x20, 0x20, N, N, '0', ')'}},
    {11, {'-', '-', ':', '-', '-', ':', '_', '=', '*', N, 0x1F, '-', '-'}},
    {12, {'=', '^', '-', '=', '^', '-', '+', '~', '=', N, N, '=', '+'}},
    same(13, 0x5C, 0x5C, 0x7C, 0x1C, N, N, N),
    {14, {N, N, N, N, 0x00, 0x00, N, N, N, N, N, N, N}},
    plain_all(15, '0'),
    letter(16, 'Q'),
    letter(17, 'W'),
    letter(18, 'E'),
    letter(19, 'R'),
    letter(20, 'T'),
    letter(21, 'Y'),
    letter(22, 'U'),
    letter(23, 'I'),
    letter(24, 'O'),
    letter(25, 'P'),
    {26, {'[', 0x40, 0x0A, '[', 0x40, 0x0A, '{', 0x60, 0x0A, 0x1B, N, '=', '+'}},
    {27, {']', '[', 0x0D, ']', '[', 0x0D, '}', '{', 0x0D, 0x1D, N, N, N}},
    plain_all(29, '1'),
    plain_all(30, '2'),
    plain_all(31, '3'),
    letter(32, 'A'),
    letter(33, 'S'),
    letter(34, 'D'),
    letter(35, 'F'),
    letter(36, 'G'),
    letter(37, 'H'),
    letter(38, 'J'),
    letter(39, 'K'),
    letter(40, 'L'),
    {41, {';', ';', ';', ';', ';', ';', ':', '+', '+', N, N, ';', ':'}},
    {42, {0x27, ':', 0x08, 0x27, ':', 0x08, 0x22, '*', 0x08, N, N, 0x27, 0x22}},
    {43, {N, ']', N, N, ']', N, N, '}', N, N, N, N, N}},
    plain_all(45, '4'),
    plain_all(46, '5'),
    plain_all(47, '6'),
    {48,
     {KEY_TYPE_TITLE, KEY_TYPE_TITLE, KEY_TYPE_TITLE, KEY_TYPE_TITLE, KEY_TYPE_TITLE,
      KEY_TYPE_TITLE, N, N, N, N, N, N, N}},
    letter(49, 'Z'),
    letter(50, 'X'),
    letter(51, 'C'),
    letter(52, 'V'),
    letter(53, 'B'),
    letter(54, 'N'),
    letter(55, 'M'),
    same(56, ',', ',', '<', N, N, ',', ','),
    same(57, '.', '.', '>', N, N, '.', '.'),
    same(58, '/', '/', '?', N, 0xFF, '/', '?'),
    plain_all(60, '.'),
    plain_all(61, '7'),
    plain_all(62, '8'),
    plain_all(63, '9'),
    same(64, 0x20, 0x20, 0x20, N, 0x00, 0x20, 0x20),
    same(65, 0x08, 0x08, 0x08, N, N, 0x08, 0x08),
    same(66, 0x09, 0x09, 0x09, N, N, N, N),
    same(67, 0x0D, 0x0D, 0x0D, N, N, 0x0A, 0x0A),
    {68, {0x0D, 0x0A, 0x0D, 0x0D, 0x0A, 0x0D, 0x0D, 0x0A, 0x0D, N, N, 0x0A, 0x0A}},
    same(69, 0x1B, 0x1B, N, N, N, N, N),
    {70,
     {0x7F, KEY_SWALLOW, 0x7F, 0x7F, KEY_SWALLOW, 0x7F, KEY_TYPE_DATE, KEY_TYPE_DATE, KEY_TYPE_DATE,
      N, N, 0x08, 0x08}},
    same(72, 0x19, 0x19, 0x19, N, N, N, N),
    same(73, 0x18, 0x18, 0x18, N, N, N, N),
    plain_all(74, '-'),
    same(76, 0x15, 0x15, 0x15, N, N, N, N),
    same(77, 0x04, 0x04, 0x04, N, N, N, N),
    same(78, 0x20, 0x20, 0x20, N, N, 0x20, 0x20),
    same(79, 0x08, 0x08, 0x08, N, N, 0x08, 0x08),
    plain_all(90, '('),
    plain_all(91, ')'),
    plain_all(92, '/'),
    plain_all(93, '*'),
    plain_all(94, '+'),
    same(95, KEY_SWALLOW, KEY_SWALLOW, N, N, N, N, N),
    same(112, 0x1C, 0x1C, 0x1C, N, N, N, N),
};

constexpr u8 reserved_rows[] = {25,  66,  69,  75,  84,  98,  99,  100, 101, 103,
                                107, 114, 115, 116, 117, 118, 119, 122, 123};

bool undrawn(int code) {
    return code == 14 || code == 28 || code == 44 || code == 59 || (code >= 71 && code <= 73) ||
           code == 75 || code >= 104;
}
bool keypad_key(int code) {
    return code == 15 || (code >= 29 && code <= 31) || (code >= 45 && code <= 47) ||
           (code >= 60 && code <= 63) || code == 67 || code == 74 || (code >= 90 && code <= 94);
}

bool build_key_table() {
    for (int i = 0; i < RAW_KEYS; i++) {
        KeyTableRow& r = key_table[i];
        r.name = built_in_names[i];
        for (u16& c : r.chars)
            c = N;
        r.reserved = 0;
        r.raw = undrawn(i) ? -1 : i;
        r.on_a600 = r.raw >= 0 && !keypad_key(i);
        r.on_a1000 = r.raw >= 0 && i != 43 && !(i >= 90 && i <= 94);
        r.picture_rect = -1;
    }
    for (const CharRow& c : char_rows)
        std::memcpy(key_table[c.row].chars, c.c, sizeof c.c);
    for (u8 r : reserved_rows)
        key_table[r].reserved = 1;
    for (const TyperightPictureKey& k : typeright_picture_keys)
        key_table[k.raw].picture_rect = k.rect;
    return true;
}

} // namespace

KeyTableRow key_table[RAW_KEYS];
static const bool key_table_built = build_key_table();

void key_table_localise() {
    static const struct {
        u8 row;
        int number;
        const char* english;
    } names[] = {
        {64, 293, "Space"}, {66, 294, "Tab"},   {70, 295, "Del"},   {76, 296, "Up"},
        {77, 297, "Dn"},    {78, 298, "Rt"},    {79, 299, "Lt"},    {95, 300, "Help"},
        {96, 301, "LShft"}, {97, 302, "RShft"}, {99, 303, "Ctrl"},  {100, 304, "LAlt"},
        {101, 305, "RAlt"}, {102, 306, "LAmi"}, {114, 794, "Stop"}, {115, 798, "Play"},
        {118, 792, "Rew."}, {119, 800, "FFwd"},
    };
    (void)key_table_built;
    for (const auto& n : names)
        key_table[n.row].name = cat_str(n.number, n.english);
}

// ---- Key state ---------------------------------------------------------------------------

int host_key_down(u32 code) {
    return (host_key_matrix[code >> 3] >> (code & 7)) & 1;
}
void host_key_set(u32 code) {
    host_key_matrix[(code >> 3) & 15] |= static_cast<u8>(1u << (code & 7));
}
void host_key_clear(u32 code) {
    host_key_matrix[(code >> 3) & 15] &= static_cast<u8>(~(1u << (code & 7)));
}

int host_ctrl_down() {
    return host_key_down(RAW_CTRL) || ctrl_latch;
}
// A Shift key of the controls panel held down by a click.
static bool panel_shift_mark(int rect) {
    return machine_traits().panel_shift_keys && controls_marked[rect];
}
int host_shift_down() {
    return host_key_down(RAW_LSHIFT) || host_key_down(RAW_RSHIFT) || panel_shift_mark(49) ||
           panel_shift_mark(50);
}
int host_left_shift_down() {
    return host_key_down(RAW_LSHIFT) || panel_shift_mark(49) || left_shift_latch;
}
int host_right_shift_down() {
    return host_key_down(RAW_RSHIFT) || panel_shift_mark(50) || right_shift_latch;
}
int host_alt_down() {
    return host_key_down(RAW_LALT) || host_key_down(RAW_RALT);
}

void input_clear_key_matrix() {
    std::memset(host_key_matrix, 0, sizeof host_key_matrix);
    // Their releases went elsewhere: the next press of a key is its first,
    // and a character a held key left in the latch goes with it (one an
    // on-screen key put there waits for the guest).
    std::memset(host_key_repeats, 0, sizeof host_key_repeats);
    if (guest_key_latch_code != 0xFFFF) {
        guest_key_latch = 0x80;
        guest_key_latch_code = 0xFFFF;
    }
}
void input_clear_modifier_keys() {
    host_key_clear(RAW_LSHIFT);
    host_key_clear(RAW_RSHIFT);
    host_key_clear(RAW_CTRL);
}

void input_keys_reset() {
    input_clear_key_matrix();
    std::memset(host_key_repeats, 0, sizeof host_key_repeats);
    ctrl_latch = left_shift_latch = right_shift_latch = repeat_latch = 0;
    std::memset(controls_marked, 0, sizeof controls_marked);
}

// ---- Assignments -----------------------------------------------------------------------

int key_valid_for_machine(int k) {
    if (k < 0 || k >= KEYPAD_KEYS) return 0;
    const bool keypad = k >= GK_KEYPAD1 && k < GK_EXTRA1;
    const bool extra = k >= GK_EXTRA1 && k <= 16;
    const auto keys = machine_row().keypad_keys;
    const KeypadKeys kind = keys ? keys() : KeypadKeys::NONE;
    if (kind == KeypadKeys::BATS)
        return k == GK_FIRE1 || k == GK_FIRE3 || k == GK_KEYPAD1 + 4 || k == GK_KEYPAD1 + 7 ||
               (k >= GK_UP && k <= GK_RIGHT) || k >= GK_UP_LEFT;
    if (keypad) return 1;
    switch (kind) {
    case KeypadKeys::ALL:
        return 1;
    case KeypadKeys::NO_EXTRAS:
        return !extra;
    case KeypadKeys::STICK_AND_FIRE:
        return k == GK_FIRE1 || (k >= GK_LEFT && k <= GK_FIRE4);
    case KeypadKeys::NONE:
    case KeypadKeys::BATS:
        break;
    }
    return 0;
}

int input_keymap() {
    return keymap >= 0 && keymap <= 2 ? keymap : 0;
}

int input_keyboard_machine() {
    const auto keyboard = machine_row().typed_keyboard;
    return keyboard && keyboard();
}

int input_find_guest_key(int code) {
    int row = -1;
    for (int i = 0; i < RAW_KEYS; i++)
        if (key_table[i].raw == code) {
            row = i;
            break;
        }
    if (row < 0) return KEYCLASS_LEFT;
    const KeyTableRow& r = key_table[row];
    const MachineTraits& traits = machine_traits();
    if (input_keyboard_machine()) {
        const bool typewriter = traits.typewriter_keyboard;
        bool guest = r.chars[0] != KEY_NO_CHAR || row == RAW_TAB || row == RAW_CAPS ||
                     row == RAW_LSHIFT || row == RAW_RSHIFT || (row == RAW_CTRL && !typewriter);
        if (typewriter && row == RAW_ESC) guest = false;
        int cls = guest ? KEYCLASS_CONSOLE : r.reserved ? KEYCLASS_RESERVED : KEYCLASS_UNUSED;
        if (!typewriter) return cls;
        int uses = guest ? 1 : 0, matches = 0;
        for (u16 k : console_keys)
            if (k == code) uses++, matches++;
        if (!matches) return cls;
        return uses > 1 ? KEYCLASS_SEVERAL : KEYCLASS_CONSOLE;
    }
    if (r.reserved) return KEYCLASS_RESERVED;
    int uses = 0, cls = KEYCLASS_UNUSED;
    if (!traits.console_keys_unused)
        for (u16 k : console_keys)
            if (k == code) uses++, cls = KEYCLASS_CONSOLE;
    for (int p = 0; p < 2; p++)
        for (int k = 0; k < KEYPAD_KEYS; k++)
            if (player_keys[p][k] == code && key_valid_for_machine(k)) {
                uses++;
                cls = p;
            }
    if (uses == 0) return KEYCLASS_UNUSED;
    if (uses > 1) return KEYCLASS_SEVERAL;
    if (cls != KEYCLASS_CONSOLE && machine_desc().swappable && swapped) cls ^= 1;
    return cls;
}

int host_key_shift_remap(int raw_key) {
    return key_shift_remap(raw_key, host_shift_down() != 0, host_ctrl_down() != 0, lowercase != 0);
}
