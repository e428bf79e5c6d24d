// On-screen keys: what a click on the Guest Controls picture does, the
// characters of the terminal and typewriter keyboards drawn there, and the
// marks those keyboards take from the host keys.
#include "input/controls.h"

#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "input/console_buttons.h"
#include "input/key_events.h"
#include "input/paddles.h"
#include "machines/pong.h"

namespace {

// Layouts of the keyboards whose keys type.
constexpr i32 LAYOUT_ELEKTERMINAL = 12, LAYOUT_TWIN = 13, LAYOUT_BINBUG = 19,
              LAYOUT_TYPERIGHT = 23, LAYOUT_VT100 = 28, LAYOUT_RADIO_BULLETIN = 29;

// What a terminal key does: a, b, c are characters as the kind uses them.
enum KeyKind : u8 {
    TK_FIXED,   // a, whatever the modifiers
    TK_LETTER,  // capital a, its control code with Ctrl
    TK_SHIFTED, // a, or b with Shift
    TK_CTRL3,   // a, b with Shift, c with Ctrl
    TK_CTRL_OR, // a, or b with Ctrl
    TK_VDU,     // a on the Elekterminal, b on the other VDUs
    TK_CTRL_LATCH,
    TK_LSHIFT_LATCH,
    TK_RSHIFT_LATCH,
    TK_REPEAT_LATCH,
    TK_CAPS,
    TK_RESET,  // resets, ending a netplay link
    TK_HOLD,   // held only
    TK_PALETTE // the palette editor
};

struct TerminalKey {
    KeyKind kind;
    u8 a, b, c;
};

constexpr TerminalKey F(u8 a) {
    return {TK_FIXED, a, 0, 0};
}
constexpr TerminalKey L(char a) {
    return {TK_LETTER, static_cast<u8>(a), 0, 0};
}
constexpr TerminalKey S(char a, char b) {
    return {TK_SHIFTED, static_cast<u8>(a), static_cast<u8>(b), 0};
}
constexpr TerminalKey C3(char a, char b, u8 c) {
    return {TK_CTRL3, static_cast<u8>(a), static_cast<u8>(b), c};
}
constexpr TerminalKey K(KeyKind kind) {
    return {kind, 0, 0, 0};
}

// clang-format off
constexpr TerminalKey VT100_KEYS[79] = {
    F(0x0B), F(0x0A), F(0x08), F(0x0C), F(0x1B),
    S('1', '!'), S('2', '@'), S('3', '#'), S('4', '$'), S('5', '%'), S('6', '^'), S('7', '&'),
    S('8', '*'), S('9', '('), S('0', ')'), S('-', '_'), S('=', '+'), S('~', '`'),
    F(0x08), F(0x00), F('7'), F('8'), F('9'), F('-'), F(0x1B),
    L('Q'), L('W'), L('E'), L('R'), L('T'), L('Y'), L('U'), L('I'), L('O'), L('P'),
    C3('[', '{', 0x1B), C3(']', '}', 0x1D), F(0x0D), F(0x7F), F('4'), F('5'), F('6'), F(','),
    K(TK_CTRL_LATCH), K(TK_CAPS),
    L('A'), L('S'), L('D'), L('F'), L('G'), L('H'), L('J'), L('K'), L('L'),
    S(';', ':'), S('\'', '"'), S('\\', '|'),
    F('1'), F('2'), F('3'), // the keypad row under 4, 5, 6
    F(0x0D), K(TK_HOLD), K(TK_LSHIFT_LATCH),
    L('Z'), L('X'), L('C'), L('V'), L('B'), L('N'), L('M'), S(',', '<'), S('.', '>'), S('/', '?'),
    K(TK_RSHIFT_LATCH), F(0x0A), F('0'), F('.'), F(0x20), K(TK_RESET),
};

constexpr TerminalKey OTHER_VDU_KEYS[62] = {
    S('1', '!'), S('2', '"'), S('3', '#'), S('4', '$'), S('5', '%'), S('6', '&'), S('7', '\''),
    S('8', '('), S('9', ')'), S('0', ' '), S(':', '*'), S('-', '='), S('@', '`'),
    F(0x0C), F(0x19), F(0x1B),
    L('Q'), L('W'), L('E'), L('R'), L('T'), L('Y'), L('U'), L('I'), L('O'), L('P'),
    C3('[', '{', 0x1B), C3(']', '}', 0x1D), {TK_VDU, 0x04, 0x0A, 0}, F(0x0D), F(0x1A),
    K(TK_CTRL_LATCH),
    L('A'), L('S'), L('D'), L('F'), L('G'), L('H'), L('J'), L('K'), L('L'),
    S(';', '+'), F(0x1C), {TK_CTRL_OR, 0x08, 0x1F, 0}, F(0x09), F(0x18), K(TK_LSHIFT_LATCH),
    L('Z'), L('X'), L('C'), L('V'), L('B'), L('N'), L('M'), S(',', '<'), S('.', '>'), S('/', '?'),
    K(TK_RSHIFT_LATCH), {TK_VDU, 0x15, 0x0B, 0}, F(0x00), F(0x20), K(TK_RESET),
};

constexpr TerminalKey TWIN_KEYS[55] = {
    S('1', '!'), S('2', '"'), S('3', '#'), S('4', '$'), S('5', '%'), S('6', '&'), S('7', '\''),
    S('8', '('), S('9', ')'), S('0', ' '), S(':', '*'), S('-', '='), K(TK_HOLD), F(0x1B),
    L('Q'), L('W'), L('E'), L('R'), L('T'), L('Y'), L('U'), L('I'),
    C3('O', '_', 0x0F), C3('P', '@', 0x10), F(0x0A), F(0x0D), K(TK_CTRL_LATCH),
    L('A'), L('S'), L('D'), L('F'), L('G'), L('H'), L('J'),
    C3('K', '[', 0x0B), C3('L', '\\', 0x0C), S(';', '+'), F(0x08), K(TK_REPEAT_LATCH), F(0x00),
    K(TK_LSHIFT_LATCH), L('Z'), L('X'), L('C'), L('V'), L('B'),
    C3('N', '^', 0x0E), C3('M', ']', 0x0D), S(',', '<'), S('.', '>'), S('/', '?'),
    K(TK_RSHIFT_LATCH), F(0x20), K(TK_PALETTE), K(TK_RESET),
};

// The raw host keys that show on each TWIN key.
constexpr u8 TWIN_RAW[53][3] = {
    {1, 29}, {2, 30}, {3, 31}, {4, 45}, {5, 46}, {6, 47}, {7, 61}, {8, 62}, {9, 63}, {10, 15},
    {41, 93}, {11, 12, 74}, {}, {69}, {16}, {17}, {18}, {19}, {20}, {21}, {22}, {23}, {24}, {25},
    {67}, {68}, {99}, {32}, {33}, {34}, {35}, {36}, {37}, {38}, {39}, {40}, {41, 94}, {65, 70},
    {}, {}, {96}, {49}, {50}, {51}, {52}, {53}, {54}, {55}, {56}, {57, 60}, {58, 92}, {97}, {64},
};

// BINBUG's hex keypad: the raw key and the digit each key types.
constexpr struct {
    u8 raw;
    char ch;
} BINBUG_KEYS[16] = {
    {0x33, 'C'}, {0x08, '8'}, {0x04, '4'}, {0x0A, '0'}, {0x22, 'D'}, {0x09, '9'}, {0x05, '5'},
    {0x01, '1'}, {0x12, 'E'}, {0x20, 'A'}, {0x06, '6'}, {0x02, '2'}, {0x23, 'F'}, {0x35, 'B'},
    {0x07, '7'}, {0x03, '3'},
};
// clang-format on

constexpr u8 RADIO_SPECIALS[4][4] = {
    {0x0A, 0x0B, 0x0D, 0x07}, {0x1A, 0x1B, 0x1D, 0x1F}, {0x6A, 0x6B, 0x6D, 0x6F},
    {0x7A, 0x7B, 0x7D, 0x7F}};

bool shift_held() {
    return host_shift_down() || left_shift_latch || right_shift_latch;
}

// The key of terminal layout `layout`, nullptr for a layout without a table.
const TerminalKey* terminal_key(i32 layout, int i) {
    static TerminalKey radio;
    switch (layout) {
    case LAYOUT_VT100:
        return i >= 0 && i < 79 ? &VT100_KEYS[i] : nullptr;
    case LAYOUT_ELEKTERMINAL:
        return i >= 0 && i < 62 ? &OTHER_VDU_KEYS[i] : nullptr;
    case LAYOUT_TWIN:
        return i >= 0 && i < 55 ? &TWIN_KEYS[i] : nullptr;
    case LAYOUT_RADIO_BULLETIN: {
        if (i < 0 || i >= 80) return nullptr;
        const int r = i / 20, c = i % 20;
        radio = F(static_cast<u8>(c < 16 ? 0x20 + 16 * r + c : RADIO_SPECIALS[r][c - 16]));
        return &radio;
    }
    default:
        return nullptr;
    }
}

// The character key k types now, -1 for none.
int key_char(const TerminalKey& k) {
    const bool ctrl = host_ctrl_down() != 0;
    switch (k.kind) {
    case TK_FIXED:
        return k.a;
    case TK_LETTER:
        return ctrl ? k.a - 0x40 : k.a;
    case TK_SHIFTED:
        return shift_held() ? k.b : k.a;
    case TK_CTRL3:
        return ctrl ? k.c : shift_held() ? k.b : k.a;
    case TK_CTRL_OR:
        return ctrl ? k.b : k.a;
    case TK_VDU:
        return pipbug_vdu == 0 ? k.a : k.b;
    default:
        return -1;
    }
}

// Characters of the on-screen keys take the host keyboard's road: the queue,
// or the latch while keystrokes are not queued. The one-shot modifiers are
// used up.
void type_char(u8 ch) {
    if (queuekeystrokes || machine_traits().keys_always_queued)
        guest_key_queue_append(&ch, 1);
    else {
        guest_key_latch = ch;
        guest_key_latch_code = 65535;
    }
    input_release_latches();
}

void terminal_press(const TerminalKey& k, ControlsAction* action) {
    switch (k.kind) {
    case TK_CTRL_LATCH:
        ctrl_latch = 1;
        return;
    case TK_LSHIFT_LATCH:
        left_shift_latch = 1;
        return;
    case TK_RSHIFT_LATCH:
        right_shift_latch = 1;
        return;
    case TK_REPEAT_LATCH:
        repeat_latch = 1;
        return;
    case TK_CAPS:
        caps_lock_state ^= 1;
        caps_lock_sync();
        return;
    case TK_RESET:
        virtual_key = -1;
        emu_reset_request(false);
        return;
    case TK_PALETTE:
        virtual_key = -1;
        *action = CA_PALETTE;
        return;
    case TK_HOLD:
        return;
    default: {
        const int ch = key_char(k);
        if (ch >= 0) type_char(static_cast<u8>(ch));
        return;
    }
    }
}

// The first raw key whose Type-right key is drawn at rectangle `rect`.
int typeright_raw_of(int rect) {
    for (int r = 0; r < RAW_KEYS; r++)
        if (key_table[r].picture_rect == rect) return r;
    return -1;
}

void typed_key_press(i32 layout, int i, ControlsAction* action) {
    if (layout == LAYOUT_BINBUG) {
        if (i < 16) term_cursor_key(BINBUG_KEYS[i].raw, static_cast<u8>(BINBUG_KEYS[i].ch));
        return;
    }
    if (layout == LAYOUT_TYPERIGHT) {
        const int raw = typeright_raw_of(i);
        if (raw < 0) return;
        const KeyTableRow& row = key_table[raw];
        const u16 ch = row.chars[caps_lock_state || host_shift_down() ? KC_TR_SHIFT : KC_TR];
        if (ch < KEY_NO_CHAR) term_cursor_key(static_cast<u32>(raw), static_cast<u8>(ch));
        return;
    }
    if (const TerminalKey* k = terminal_key(layout, i)) terminal_press(*k, action);
}

// Steps a ball-and-paddle option through its values and shows it.
void step_option(i32* value, i32 values) {
    *value = *value + 1 >= values || *value < 0 ? 0 : *value + 1;
    prefs_user_chose(value);
    pong_gui_sync();
}


} // namespace

int controls_terminal_char(int i) {
    const TerminalKey* k = terminal_key(controls_layout, i);
    return k ? key_char(*k) : -1;
}

ControlsAction guest_controls_click(int x, int y, bool panel) {
    if (rec_state == REC_PLAYBACK) return CA_NONE;
    virtual_key = -1;
    const int i = controls_hit(x, y, panel);
    if (i < 0) return CA_NONE;
    const ControlsKeyRect& r = controls_current_layout().rects[i];
    ControlsAction action = CA_NONE;
    switch (r.role) {
    case CR_RESET:
        emu_reset_request(true);
        break;
    case CR_SLOT:
        action = CA_OPEN_FILE;
        break;
    case CR_INERT:
        break;
    case CR_DIPS:
        action = CA_TOGGLE_DIPS;
        break;
    case CR_TAPE:
        action = CA_TOGGLE_TAPE;
        break;
    case CR_OPCODES:
        action = CA_TOGGLE_OPCODES;
        break;
    case CR_INFO:
        virtual_key = i;
        action = CA_TOGGLE_INFO;
        break;
    case CR_ANGLES:
        step_option(&pong_angles, 3);
        break;
    case CR_SPEED:
        step_option(&pong_speed, pong_speed_choices());
        break;
    case CR_SERVING:
        step_option(&pong_serving, 2);
        break;
    case CR_LOCK:
        pong_lockhorizontal = pong_lockhorizontal ? 0 : 1;
        prefs_user_chose(&pong_lockhorizontal);
        pong_gui_sync();
        break;
    case CR_SOUND:
        action = CA_TOGGLE_SOUND;
        break;
    case CR_SWAP:
        action = CA_TOGGLE_SWAP;
        break;
    case CR_TERMINAL:
        virtual_key = i;
        typed_key_press(controls_layout, i, &action);
        break;
    default: // a guest key or a console button
        virtual_key = i;
        break;
    }
    return action;
}

void vkey_release() {
    virtual_key = -1;
}

// ---- marks of the typing keyboards ---------------------------------------------------------------

void controls_terminal_held(u8* marks) {
    const int n = controls_mark_count();
    for (int i = 0; i < n; i++)
        marks[i] = 0;
    if (virtual_key >= 0 && virtual_key < n) marks[virtual_key] = 1;
    const i32 layout = controls_layout;
    if (layout == LAYOUT_TWIN) {
        for (int i = 0; i < 53 && i < n; i++)
            for (u8 raw : TWIN_RAW[i])
                if (raw && host_key_down(raw)) marks[i] = 1;
        return;
    }
    // A key is marked while a held host key types its character.
    for (u32 raw = 0; raw < RAW_KEYS; raw++) {
        if (raw >= RAW_LSHIFT && raw <= RAW_RAMIGA) continue;
        if (!host_key_down(raw)) continue;
        const u16 ch = input_typed_char(raw);
        if (ch >= KEY_NO_CHAR) continue;
        for (int i = 0; i < n; i++)
            if (controls_terminal_char(i) == ch) marks[i] = 1;
    }
    for (int i = 0; i < n; i++) {
        const TerminalKey* k = terminal_key(layout, i);
        if (!k) continue;
        if ((k->kind == TK_CTRL_LATCH && host_key_down(RAW_CTRL)) ||
            (k->kind == TK_LSHIFT_LATCH && host_key_down(RAW_LSHIFT)) ||
            (k->kind == TK_RSHIFT_LATCH && host_key_down(RAW_RSHIFT)))
            marks[i] = 1;
    }
}

void controls_typeright_held(u8* marks) {
    const int n = controls_mark_count();
    for (int b = 0; b < CONSOLE_BUTTONS; b++)
        marks[b] = console_hold[b] != 0 || input_console_button_held(b);
    for (int i = CONSOLE_BUTTONS; i < n; i++)
        marks[i] = 0;
    if (virtual_key >= 0 && virtual_key < n) marks[virtual_key] = 1;
    for (u32 raw = 0; raw < RAW_KEYS; raw++) {
        const i32 rect = key_table[raw].picture_rect;
        if (rect >= 0 && rect < n && host_key_down(raw)) marks[rect] = 1;
    }
}
