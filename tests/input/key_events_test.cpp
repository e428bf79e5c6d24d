#include "computers/terminal.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "app/mainloop.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "peripherals/papertape.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>

namespace {

int confirm_answer;
int confirm_asked;
int confirm_quit_stub() {
    confirm_asked++;
    return confirm_answer;
}

class KeyEvents : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        confirm_answer = 0;
        confirm_asked = 0;
        ui_host.confirm_quit = confirm_quit_stub;
    }
    void TearDown() override { fresh_state(); }
    void press(u32 code) { input_host_key_event(code); }
    void release(u32 code) { input_host_key_release(code); }
    void tap(u32 code) {
        press(code);
        release(code);
    }
    std::string queue() const {
        return std::string(reinterpret_cast<const char*>(guest_key_queue),
                           static_cast<size_t>(guest_key_queue_len));
    }
};

// ---- Typing -----------------------------------------------------------------------------

TEST_F(KeyEvents, LatchHoldsTheKeyUntilItsReleaseOnly) {
    machine = PIPBUG;
    queuekeystrokes = 0;
    press(32); // A
    EXPECT_EQ(guest_key_latch, 'A') << "upper case without \"lowercase\"";
    release(33);
    EXPECT_EQ(guest_key_latch, 'A') << "another key's release leaves the latch";
    release(32);
    EXPECT_EQ(guest_key_latch, 0x80);
    EXPECT_EQ(guest_key_latch_code, 0xFFFF);
}

TEST_F(KeyEvents, CharacterChoiceByModifiersAndOptions) {
    struct Case {
        u32 machine;
        i32 lowercase, keymap;
        u32 cd_bios;
        u32 modifier; // held before the key, 0 none
        u32 key;
        u8 expected;
    } cases[] = {
        {PIPBUG, 1, 0, 2, 0, 32, 'a'},
        {PIPBUG, 0, 0, 2, 0, 32, 'A'},
        {PIPBUG, 1, 0, 2, RAW_LSHIFT, 32, 'A'},
        {PIPBUG, 1, 0, 2, RAW_CTRL, 32, 0x01},
        {PIPBUG, 1, 1, 2, RAW_LSHIFT, 2, '"'},
        {PIPBUG, 1, 0, 2, RAW_LSHIFT, 2, '@'},
        {TWIN, 1, 0, 2, 0, 32, 'A'},
        {CD2650, 1, 0, 0, 0, 32, 1},
        {CD2650, 1, 0, 2, 0, 32, 'a'},
        {TYPERIGHT, 0, 1, 2, 0, 32, 'a'},
        {TYPERIGHT, 0, 0, 2, 0, RAW_DOWN, 0x04},
        {TYPERIGHT, 0, 1, 2, 0, 68, 0x0A},
    };
    for (const Case& c : cases) {
        fresh_state();
        machine = c.machine;
        lowercase = c.lowercase;
        keymap = c.keymap;
        cd2650_biosversion = c.cd_bios;
        if (c.modifier) press(c.modifier);
        press(c.key);
        ASSERT_EQ(guest_key_queue_len, 1) << "machine " << c.machine << " key " << c.key;
        EXPECT_EQ(guest_key_queue[0], c.expected) << "machine " << c.machine << " key " << c.key;
    }
}

TEST_F(KeyEvents, HeldKeysRepeatEveryTenthPressEventWhenQueued) {
    const auto hold_for_25_presses = [this] {
        for (int i = 0; i < 25; i++)
            press(32);
        const std::string typed = queue();
        release(32);
        guest_key_queue_len = 0;
        return typed;
    };
    machine = PIPBUG;
    EXPECT_EQ(hold_for_25_presses(), "AAA") << "press events 1, 11 and 21";
    machine = TWIN;
    EXPECT_EQ(hold_for_25_presses(), "A") << "the TWIN repeats only with the on-screen Repeat";
    repeat_latch = 1;
    EXPECT_EQ(hold_for_25_presses(), "AAA");
}

TEST_F(KeyEvents, TwinCursorKeysSendEscapeSequences) {
    machine = TWIN;
    tap(RAW_UP);
    tap(RAW_LEFT);
    EXPECT_EQ(queue(), "\x1b"
                       "A\x1b"
                       "D");
}

TEST_F(KeyEvents, TitleAndDateKeysSwitchQueueingOn) {
    machine = PIPBUG;
    queuekeystrokes = 0;
    input_today = [] { return InputDate{5, 12, 2026}; };
    press(RAW_LSHIFT);
    tap(70); // Shift+Del: the date
    release(RAW_LSHIFT);
    EXPECT_EQ(queuekeystrokes, 1u);
    EXPECT_EQ(queue(), "12-05-26\r");
    guest_key_queue_len = 0;
    tap(48); // the title
    EXPECT_EQ(queue(), "BRINDLEMOX PIPBUG 36.4\r");
}

TEST_F(KeyEvents, TheQueueNeverOverrunsAndSaysSoOnce) {
    machine = PIPBUG;
    capture_output();
    std::string text(GUEST_KEY_QUEUE_SIZE - 3, 'x');
    ASSERT_TRUE(guest_key_queue_append_text(text.c_str()));
    tap(48); // a title does not fit in three places: dropped whole
    EXPECT_EQ(guest_key_queue_len, GUEST_KEY_QUEUE_SIZE - 3);
    tap(32);
    tap(33);
    tap(34);
    EXPECT_EQ(guest_key_queue_len, GUEST_KEY_QUEUE_SIZE);
    tap(35);
    tap(48);
    EXPECT_EQ(guest_key_queue_len, GUEST_KEY_QUEUE_SIZE);
    const std::string out = captured_output();
    EXPECT_NE(out.find("full"), std::string::npos);
    EXPECT_EQ(out.find("full"), out.rfind("full")) << "one message until the queue empties";
}

TEST_F(KeyEvents, NothingIsTypedWhilePausedPlayingBackOrWithAlt) {
    machine = PIPBUG;
    emu_paused = true;
    tap(32);
    emu_paused = false;
    rec_state = REC_PLAYBACK;
    tap(32);
    rec_state = REC_IDLE;
    press(RAW_LALT);
    tap(32);
    EXPECT_EQ(guest_key_queue_len, 0);
}

TEST_F(KeyEvents, HelpAndCapsLockOnKeyboardMachines) {
    machine = PIPBUG;
    tap(95);
    EXPECT_EQ(guest_key_queue_len, 0) << "Help is swallowed";
    // The host's Caps Lock key springs back: each press turns the guest's
    // over, a release or a held key's repeats change nothing.
    press(RAW_CAPS);
    EXPECT_EQ(caps_lock_state, 1);
    press(RAW_CAPS);
    EXPECT_EQ(caps_lock_state, 1) << "a repeat of the held key";
    release(RAW_CAPS);
    EXPECT_EQ(caps_lock_state, 1);
    lowercase = 1;
    tap(32);
    tap(RAW_CAPS);
    EXPECT_EQ(caps_lock_state, 0);
    tap(32);
    EXPECT_EQ(queue(), "Aa");
}

// ---- Commands ---------------------------------------------------------------------------

TEST_F(KeyEvents, AltCommandsKeepTheirKeyOutOfTheMatrix) {
    machine = ARCADIA;
    press(RAW_LALT);
    press(17); // W
    EXPECT_EQ(turbo, 1u);
    EXPECT_EQ(host_key_down(17), 0) << "a machine polling W does not see it";
    release(17);
    press(38); // J
    EXPECT_EQ(swapped, 1u);
    release(RAW_LALT);
    press(17);
    EXPECT_EQ(turbo, 1u) << "without Alt, W is a plain key";
    EXPECT_EQ(host_key_down(17), 1);
}

TEST_F(KeyEvents, PauseKeysAndTheTypeRight) {
    machine = ARCADIA;
    tap(RAW_P);
    EXPECT_TRUE(emu_paused);
    tap(RAW_P);
    EXPECT_FALSE(emu_paused);
    machine = TYPERIGHT;
    tap(RAW_P);
    EXPECT_FALSE(emu_paused) << "P types on the Type-right";
    EXPECT_EQ(guest_key_queue_len, 1);
    tap(115); // Play
    EXPECT_TRUE(emu_paused);
    tap(RAW_P);
    EXPECT_FALSE(emu_paused) << "while paused, P unpauses";
}

TEST_F(KeyEvents, SpeedAndScaleNeedCtrlWithoutShift) {
    machine = ARCADIA;
    emu_speed = 8;
    press(RAW_CTRL);
    tap(94);
    EXPECT_EQ(emu_speed, 8) << "no step above 8";
    tap(74);
    EXPECT_EQ(emu_speed, 7);
    display_scale = 2;
    pending_actions = 0;
    tap(RAW_F1 + 1);
    EXPECT_EQ(pending_actions, 0u) << "already at scale 2";
    tap(RAW_F1 + 3);
    EXPECT_EQ(pending_actions, PA_SCALE_1 << 3);
    press(RAW_LSHIFT);
    tap(74);
    EXPECT_EQ(emu_speed, 7);
}

TEST_F(KeyEvents, CtrlShiftFunctionKeysSelectMemoryMaps) {
    press(RAW_CTRL);
    press(RAW_LSHIFT);
    tap(84); // F5
    EXPECT_EQ(machine, ZACCARIA);
    EXPECT_EQ(memmap, 25u);
}

TEST_F(KeyEvents, EscapeQuitsOnlyWhenConfirmed) {
    tap(RAW_ESC);
    EXPECT_EQ(confirm_asked, 1);
    EXPECT_EQ(pending_actions & PA_QUIT, 0u);
    confirm_answer = 1;
    tap(RAW_ESC);
    EXPECT_EQ(pending_actions & PA_QUIT, PA_QUIT);
}

TEST_F(KeyEvents, SlowMotionKeyStaysHeldUnderCtrl) {
    press(RAW_CTRL);
    press(RAW_APOSTROPHE);
    EXPECT_EQ(host_key_down(RAW_APOSTROPHE), 1);
    press(32);
    EXPECT_EQ(host_key_down(32), 0) << "other keys with Ctrl stay out of the matrix";
}

TEST_F(KeyEvents, CtrlKeepsOtherKeysOutOfTheMatrixExceptOnTheTwin) {
    for (const u32 m : {PIPBUG, TWIN}) {
        fresh_state();
        machine = m;
        emu_paused = true; // nothing is typed: the key goes the command way
        press(RAW_CTRL);
        press(32);
        EXPECT_EQ(host_key_down(32), m == TWIN ? 1 : 0) << m;
    }
}

TEST_F(KeyEvents, AltCCentresThePaddles) {
    machine = ARCADIA;
    paddle_x[0] = 1;
    paddle_y[3] = 200;
    press(RAW_LALT);
    tap(51);
    EXPECT_EQ(paddle_x[0], 112);
    EXPECT_EQ(paddle_y[3], 112);
}

// ---- Monitor ROM input -----------------------------------------------------------------------

TEST_F(KeyEvents, BiosInputTakesTheQueueFromTheFront) {
    machine = PIPBUG;
    guest_key_queue_append_text("AB");
    EXPECT_EQ(bios_key_input(), 'A');
    EXPECT_EQ(bios_key_input(), 'B');
    EXPECT_EQ(bios_key_input(), 0x80);
}

TEST_F(KeyEvents, BiosInputReadsTheLatchWithoutTakingIt) {
    machine = PIPBUG;
    queuekeystrokes = 0;
    press(32);
    EXPECT_EQ(bios_key_input(), 'A');
    EXPECT_EQ(bios_key_input(), 'A');
}

TEST_F(KeyEvents, BiosInputReportNamesTheRoutine) {
    logbios = 1;
    queuekeystrokes = 0;
    machine = PIPBUG;
    capture_output();
    bios_key_input();
    EXPECT_EQ(captured_output(), "Returning from CHIN with input of NC ($80).\n\n");
    // Characters by their names, with their codes.
    queuekeystrokes = 1;
    ASSERT_TRUE(guest_key_queue_append_text("A\r\x0C"));
    capture_output();
    for (int i = 0; i < 3; i++)
        bios_key_input();
    EXPECT_EQ(captured_output(), "Returning from CHIN with input of 'A' ($41).\n\n"
                                 "Returning from CHIN with input of CR ($0D).\n\n"
                                 "Returning from CHIN with input of ZFF ($0C).\n\n");
    queuekeystrokes = 0;
    machine = CD2650;
    capture_output();
    bios_key_input();
    EXPECT_EQ(captured_output(), "") << "no report of no key on the CD2650";
}

TEST_F(KeyEvents, TwinTurnsBackspaceIntoDelete) {
    machine = TWIN;
    guest_key_queue_append_text("\b");
    EXPECT_EQ(bios_key_input(), 127);
}

TEST_F(KeyEvents, BiosInputReadsTheTeletypeTapeWhenTheReaderFeedsTheConsole) {
    struct Case {
        u32 machine;
        u8 port256;
        u8 reader_on;
        bool from_tape;
    };
    for (const Case c :
         {Case{PIPBUG, 0x80, 1, true}, Case{BINBUG, 0x81, 1, true}, Case{PIPBUG, 0x7F, 1, false},
          Case{PIPBUG, 0x80, 0, false}, Case{CD2650, 0x80, 1, false}}) {
        fresh_state();
        machine = c.machine;
        port_records[256].last_value = c.port256;
        tty_reader_on = c.reader_on;
        std::memcpy(papertape_buffer[0], "HI", 2);
        papertape_length[0] = 2;
        papertape_position[0] = 0;
        papertape_state[0] = TAPE_READING;
        guest_key_queue_append_text("Q");
        std::string got;
        for (int n = 0; n < 3; n++)
            got += static_cast<char>(bios_key_input());
        EXPECT_EQ(got, c.from_tape ? "HIQ" : std::string("Q\x80\x80")) << c.machine;
        if (c.from_tape) {
            EXPECT_EQ(papertape_last_byte[0], 'I');
            EXPECT_EQ(papertape_state[0], TAPE_STOPPED) << "stopped at the end of the tape";
        }
    }
}

TEST_F(KeyEvents, BiosInputEscapesErasesAndEchoesForTheMonitors) {
    // The TWIN keeps an Esc for its terminal and gives the guest nothing.
    machine = TWIN;
    guest_key_queue_append_text("\x1b");
    EXPECT_EQ(bios_key_input(), 0x80);
    EXPECT_EQ(term_escape_pending, 1);

    // A delete is erased on the screen by the monitors that expect it.
    struct Case {
        u32 machine;
        u32 bios;
        const char* signature;
        u32 erase;
        u8 skip;
    };
    for (const Case c :
         {Case{TWIN, 0, "20", 1, 1}, Case{TWIN, 0, "40", 1, 1}, Case{TWIN, 0, "30", 1, 0},
          Case{TWIN, 0, "16", 0, 0}, Case{PIPBUG, 3, "", 1, 1}, Case{PIPBUG, 0, "", 1, 0}}) {
        fresh_state();
        machine = c.machine;
        pipbug_biosversion = c.bios;
        erasedeleted = c.erase;
        if (c.signature[0]) std::memcpy(guest_memory + 0x3FFE, c.signature, 2);
        guest_key_queue_append_text("\b");
        EXPECT_EQ(bios_key_input(), c.machine == TWIN || c.bios == 3 ? 127 : 8);
        EXPECT_EQ(term_skip_next, c.skip) << c.machine << " " << c.signature;
    }

    // The Mini-Disassembler expects its input echoed; no key is not echoed.
    for (const i32 game : {460, 461, 12}) {
        fresh_state();
        machine = PIPBUG;
        known_game_id = game;
        tty_punch_on = 1;
        papertape_state[0] = TAPE_PUNCHING;
        papertape_position[0] = 0;
        guest_key_queue_append_text("K");
        EXPECT_EQ(bios_key_input(), 'K');
        EXPECT_EQ(bios_key_input(), 0x80);
        EXPECT_EQ(papertape_position[0], game == 12 ? 0u : 1u) << game;
    }
}

} // namespace
