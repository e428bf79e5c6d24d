// Host key events: the key state, typing into the keyboard machines, and the
// emulator's keyboard commands.
//
// Every window hands its raw key presses (0..127) to input_host_key_event and
// its releases (code less 128) to input_host_key_release. On the keyboard
// machines a key types a character from key_table into the type-ahead queue
// (guest_key_queue, "queuekeystrokes" on) or the single-key latch
// (guest_key_latch); the monitor ROMs fetch it through bios_key_input. Keys
// that type nothing go through the command table (pause, reset, speed, scale,
// memory map, quit ...).
#pragma once

#include "core/types.h"

constexpr int GUEST_KEY_QUEUE_SIZE = 10240;
extern u8 guest_key_queue[GUEST_KEY_QUEUE_SIZE];
extern int guest_key_queue_len;
extern u8 guest_key_latch;       // 128 = no key waits
extern u16 guest_key_latch_code; // the raw key that put it there, 65535 = none
extern u8 caps_lock_state;       // the guest's Caps Lock, 0 or 1

void input_host_key_event(u32 code);
void input_host_key_release(u32 code);

// Hands character `ch` typed by raw key `code` to the keyboard machine.
// The one-shot modifiers of the on-screen keys are used up by it.
void term_cursor_key(u32 code, u8 ch);
// The character raw key `code` types on the current machine with the held
// modifiers (or KEY_NO_CHAR and the other commands of the key table).
u16 input_typed_char(u32 code);
// The on-screen Ctrl, Shift and Repeat keys let go.
void input_release_latches();

// Switches "queuekeystrokes" on for typing that must not be lost (a title, a
// date, a paste), unless the machine always queues its keys.
void input_queue_typing();

// Appends characters to the type-ahead queue. A text that does not fit whole
// is dropped whole, and the user told once until the queue empties again;
// false then.
bool guest_key_queue_append(const u8* chars, int count);
bool guest_key_queue_append_text(const char* text);
// Removes and returns the front character, 128 when the queue is empty.
u8 guest_key_queue_take();

// Shows the guest Caps Lock in the status bar (and on the Type-right).
void caps_lock_sync();

// The next character for a monitor ROM's input routine or a keyboard port,
// 128 for none; it consumes what it returns (except the latch).
u8 bios_key_input();

// Where the date typed by Shift+Del comes from (tests set their own).
struct InputDate {
    int day, month, year;
};
extern InputDate (*input_today)();

// Queue, latch and Caps Lock back to start-up.
void input_key_events_reset();
