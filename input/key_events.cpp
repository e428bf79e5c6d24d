#include "input/key_events.h"

#include "computers/terminal.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/machine_titles.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/loader.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "core/ui_host.h"
#include "core/helpers.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "peripherals/papertape.h"
#include "platform/catalog.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

u8 guest_key_queue[GUEST_KEY_QUEUE_SIZE];
int guest_key_queue_len;
u8 guest_key_latch = 0x80;
u16 guest_key_latch_code = 0xFFFF;
u8 caps_lock_state;

static bool queue_full_told; // the "queue full" message was given since it last emptied

static InputDate host_today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900};
}
InputDate (*input_today)() = host_today;

void input_key_events_reset() {
    guest_key_queue_len = 0;
    guest_key_latch = 0x80;
    guest_key_latch_code = 0xFFFF;
    caps_lock_state = 0;
    queue_full_told = false;
    input_today = host_today;
}

// ---- The type-ahead queue ---------------------------------------------------------------

bool guest_key_queue_append(const u8* chars, int count) {
    if (count <= 0) return true;
    if (count > GUEST_KEY_QUEUE_SIZE - guest_key_queue_len) {
        if (!queue_full_told)
            con_printf("The keyboard buffer is full: keys typed are dropped until the guest "
                       "reads it.\n");
        queue_full_told = true;
        return false;
    }
    std::memcpy(guest_key_queue + guest_key_queue_len, chars, static_cast<size_t>(count));
    guest_key_queue_len += count;
    return true;
}

bool guest_key_queue_append_text(const char* text) {
    return guest_key_queue_append(reinterpret_cast<const u8*>(text),
                                  static_cast<int>(std::strlen(text)));
}

u8 guest_key_queue_take() {
    if (guest_key_queue_len <= 0) return 0x80;
    u8 ch = guest_key_queue[0];
    guest_key_queue_len--;
    std::memmove(guest_key_queue, guest_key_queue + 1, static_cast<size_t>(guest_key_queue_len));
    if (guest_key_queue_len == 0) queue_full_told = false;
    return ch;
}

void caps_lock_sync() {
    ui_mark(UI_STATUS);
}

// ---- Typing ------------------------------------------------------------------------------

void input_release_latches() {
    ctrl_latch = left_shift_latch = right_shift_latch = repeat_latch = 0;
}

void term_cursor_key(u32 code, u8 ch) {
    // A new key uses the on-screen Ctrl and Shift up; the Repeat key stays
    // for the repeats of the key it lets repeat.
    if (host_key_repeats[code & 127] <= 1) ctrl_latch = left_shift_latch = right_shift_latch = 0;
    const MachineTraits& traits = machine_traits();
    if (traits.cursor_keys_escape && code >= RAW_UP && code <= RAW_LEFT) {
        static const char seq[] = "ABCD";
        u8 pair[2] = {27, static_cast<u8>(seq[code - RAW_UP])};
        guest_key_queue_append(pair, 2);
        return;
    }
    const u32 presses = host_key_repeats[code & 127];
    if (traits.keys_always_queued) {
        if (presses == 1 || !host_key_down(code)) guest_key_queue_append(&ch, 1);
        return;
    }
    if (!queuekeystrokes) {
        guest_key_latch = ch;
        guest_key_latch_code = static_cast<u16>(code);
        return;
    }
    if (presses == 1) {
        guest_key_queue_append(&ch, 1);
        return;
    }
    if (traits.repeat_needs_latch && !repeat_latch) return;
    if ((presses - 1) % 10 == 0) guest_key_queue_append(&ch, 1);
}

static bool debugger_shown() {
    return view_debugger[display_mode & 1] != 0;
}

void input_queue_typing() {
    if (!machine_traits().keys_always_queued && !queuekeystrokes) {
        queuekeystrokes = 1;
        ui_mark(UI_MENUS);
    }
}

// The title or the date typed into the guest, ended by a carriage return.
static void type_text(u16 what) {
    input_queue_typing();
    char text[128];
    if (what == KEY_TYPE_TITLE) {
        std::snprintf(text, sizeof text, "%s\r", machine_title(machine));
        if (machine_traits().capitals_only || !lowercase)
            for (char* p = text; *p; p++)
                *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    } else {
        InputDate d = input_today();
        std::snprintf(text, sizeof text, "%02d-%02d-%02d\r", d.month % 100, d.day % 100,
                      d.year % 100);
    }
    guest_key_queue_append_text(text);
}

// The character of a key on a terminal's keyboard: the key table's column for
// the held modifiers, the keymap and the case options.
static u16 terminal_key_char(u32 code) {
    const KeyTableRow& row = key_table[code];
    const int k = input_keymap();
    if (host_ctrl_down() && !(code >= RAW_UP && code <= RAW_LEFT))
        return row.chars[host_shift_down() ? KC_CTRL_SHIFT : KC_CTRL];
    if (host_shift_down()) {
        const u16 ch = row.chars[KC_SHIFT + k];
        return ch < 0x80 ? static_cast<u16>(host_key_shift_remap(ch)) : ch;
    }
    if (caps_lock_state || machine_traits().capitals_only || !lowercase)
        return row.chars[KC_CAPS + k];
    const auto six_bit = machine_row().six_bit_keys;
    if (six_bit && six_bit()) {
        const u16 ch = row.chars[KC_CAPS + k];
        return ch < 0x80 ? static_cast<u16>(ch & 63) : ch;
    }
    return row.chars[KC_PLAIN + k];
}

u16 input_typed_char(u32 code) {
    const auto own = machine_row().key_char;
    return own ? own(code) : terminal_key_char(code & 127);
}

// Step 5: the character of a key on a keyboard machine. Returns true when the
// key was used up (typed, swallowed, or a VDU scroll).
static bool type_key(u32 code) {
    host_key_set(code);
    host_key_repeats[code]++;
    if (code == RAW_TAB && host_shift_down() && !host_ctrl_down() && debugger_shown()) {
        ui_host.activate_command_line();
        return true;
    }
    const u16 ch = input_typed_char(code);
    if (ch == KEY_SWALLOW) return true;
    if (ch == KEY_NO_CHAR) return false;
    if (ch == KEY_TYPE_TITLE || ch == KEY_TYPE_DATE) {
        type_text(ch);
        return true;
    }
    term_cursor_key(code, static_cast<u8>(ch));
    return true;
}

// ---- Commands ---------------------------------------------------------------------------

static bool game_list_usable() {
    return view_gamelist[display_mode & 1] && games_count > 0 && !emu_paused_mid_frame;
}

static void toggle_pause(bool play_key) {
    if (emu_paused)
        emu_unpause();
    else if (play_key || !machine_traits().pause_on_play_only)
        emu_pause(PauseCause::user);
}

static void change_speed(int step) {
    int s = emu_speed + step;
    if (s < 0 || s > 8) return;
    emu_speed = s;
    emu_restart_timing();
    ui_mark(UI_STATUS | UI_SPEED);
}

static void quit_key() {
    if (!ui_host.confirm_quit()) return;
    if (emu_paused_mid_frame) app_clean_exit(0);
    pending_actions |= PA_QUIT;
}

static void command_key(u32 code) {
    const bool ctrl = host_ctrl_down(), shift = host_shift_down(), alt = host_alt_down();
    // The keys of the interface's commands (turbo, reset, quick save and load,
    // swap, full screen, the machine keys) go to its command table.
    const u8 qualifiers = static_cast<u8>((ctrl ? 1 : 0) | (shift ? 2 : 0) | (alt ? 4 : 0));
    if (ui_host.hotkey && ui_host.hotkey(code, qualifiers)) return;
    switch (code) {
    case RAW_P:
        toggle_pause(false);
        break;
    case RAW_APOSTROPHE:
        host_key_set(RAW_APOSTROPHE); // Ctrl + "'": slow motion
        break;
    case 51: // C
        if (alt) {
            input_centre_paddles();
            ui_mark(UI_REFRESH_WINDOWS);
        }
        break;
    case RAW_TAB:
        if ((!input_keyboard_machine() || shift) && debugger_shown())
            ui_host.activate_command_line();
        break;
    case RAW_ESC:
        quit_key();
        break;
    case 74: // n-
        if (ctrl && !shift) change_speed(-1);
        break;
    case RAW_UP:
    case RAW_LEFT:
    case RAW_DOWN:
    case RAW_RIGHT:
        if (ctrl && game_list_usable() && ui_host.main_window_open())
            pending_actions |= (code == RAW_UP || code == RAW_LEFT) ? PA_PREV_GAME : PA_NEXT_GAME;
        break;
    case 94: // n+
        if (ctrl && !shift) change_speed(+1);
        break;
    case 114: // Stop
        rec_stop_all();
        break;
    case 115: // Play
        toggle_pause(true);
        break;
    case 116: // Prev
    case 117: // Next
        if (game_list_usable()) pending_actions |= code == 116 ? PA_PREV_GAME : PA_NEXT_GAME;
        break;
    case 118: // Rwnd
        rec_restart_playback();
        break;
    default:
        break;
    }
    if (code >= RAW_F1 && code <= RAW_F1 + 9) {
        const int n = static_cast<int>(code - RAW_F1);
        if (ctrl && !shift && n < 6 && display_scale != static_cast<u32>(n + 1))
            pending_actions |= PA_SCALE_1 << n;
    }
}

void input_host_key_event(u32 code) {
    code &= 127;
    if ((code == RAW_WHEEL_DOWN || code == RAW_WHEEL_UP) && host_ctrl_down() &&
        game_list_usable()) {
        pending_actions |= code == RAW_WHEEL_UP ? PA_PREV_GAME : PA_NEXT_GAME;
        return;
    }
    // A PC keyboard's Caps Lock does not stay down: each press turns the
    // guest's Caps Lock over, and a key held down turns it only once.
    if (code == RAW_CAPS) {
        if (!host_key_down(code)) {
            caps_lock_state ^= 1;
            caps_lock_sync();
        }
        host_key_set(code);
        return;
    }
    if (machine_handle_host_key(code, host_ctrl_down() != 0)) return;
    if (input_keyboard_machine() && !emu_paused && rec_state != REC_PLAYBACK &&
        guest_key_queue_len < GUEST_KEY_QUEUE_SIZE && !host_alt_down()) {
        if (type_key(code)) return;
    }
    const bool modifier = code == RAW_CTRL || code == RAW_LSHIFT || code == RAW_RSHIFT ||
                          code == RAW_LALT || code == RAW_RALT;
    if (modifier ||
        !(host_alt_down() || (host_ctrl_down() && !machine_traits().ctrl_passes_keys))) {
        host_key_set(code);
        host_key_repeats[code]++;
    }
    command_key(code);
}

void input_host_key_release(u32 code) {
    code &= 127;
    host_key_clear(code);
    host_key_repeats[code] = 0;
    if (code == RAW_CAPS) return;
    // Also under Alt (an Alt held down since the key was typed).
    if (!queuekeystrokes && code == guest_key_latch_code) {
        guest_key_latch = 0x80;
        guest_key_latch_code = 0xFFFF;
    }
}

// ---- Monitor ROM input ----------------------------------------------------------------

namespace {
// The games-database rows whose programs need their input translated or echoed.
constexpr i32 GAME_MASTERMIND = 501, GAME_MASTERMIND_REVISED = 523;
constexpr i32 GAME_MINI_DISASSEMBLER = 460, GAME_MINI_DISASSEMBLER_2 = 461;

// The teletype's reader feeds the console: the machine's reader bit (port
// 256 bit 7, the TWIN's $E9 bit 0) on the machines whose teletype has one,
// the reader switched on by DC1, and a tape reading in unit 0.
bool console_reads_papertape() {
    const MachineTraits& t = machine_traits();
    if (!t.console_reads_tape) return false;
    return (port_records[t.reader_port].last_value & t.reader_bit) && tty_reader_on &&
           papertape_state[0] == TAPE_READING;
}
} // namespace

u8 bios_key_input() {
    u8 result;
    if (rec_state == REC_PLAYBACK) {
        result = rec_read_byte();
    } else if (console_reads_papertape()) {
        result = papertape_read(0);
        const MachineTraits& t = machine_traits();
        if (t.reader_bit_clears)
            port_records[t.reader_port].last_value &= static_cast<u8>(~t.reader_bit);
    } else if (queuekeystrokes) {
        result = guest_key_queue_take();
    } else {
        result = guest_key_latch;
    }

    const MachineOps& row = machine_row();
    if (row.monitor_key) result = row.monitor_key(result);
    if (known_game_id == GAME_MASTERMIND || known_game_id == GAME_MASTERMIND_REVISED) {
        if (result == 13) result = 12;
    } else if (machine_traits().escape_to_terminal && result == 27) {
        term_escape_pending = 1;
        result = 0x80;
    }
    if (result != 0x80 &&
        (known_game_id == GAME_MINI_DISASSEMBLER || known_game_id == GAME_MINI_DISASSEMBLER_2))
        term_output_char(result);
    if ((logbios || cpu_tracing) && (!machine_traits().key_input_polled || result != 0x80)) {
        char name[16];
        cpu_char_name_hex(result, name);
        con_printf(cat_str(269, "Returning from %s with input of %s.\n\n"), row.key_routine, name);
    }
    if (rec_state == REC_RECORDING) {
        rec_write_byte(1);
        rec_write_byte(result);
    }
    return result;
}
