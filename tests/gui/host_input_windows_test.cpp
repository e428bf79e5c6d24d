// The Host Keyboard and Host Gamepads/Mouse windows and the Redefine Keys
// dialog on the headless window layer, and the mouse buttons as fire buttons.
#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "core/ui_host.h"
#include "display/host.h"
#include "gui/dialogs.h"
#include "gui/host_keyboard_window.h"
#include "gui/main_window.h"
#include "gui/redefine_keys_window.h"
#include "gui/tool_windows.h"
#include "input/controls.h"
#include "input/host_key_labels.h"
#include "input/host_pad_labels.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/redefine_keys.h"
#include "machines/arcadia.h"
#include "machines/pvi_consoles.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

namespace {

class HostInputWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        ASSERT_TRUE(machine_switch(ARCADIA, MAP_ARCADIA_EMERSON, true, true, false));
        gui_open_main_window(0);
    }
    void TearDown() override { fresh_state(); }
    static GuiEvent gadget(int gid, int code = 0) {
        GuiEvent e;
        e.type = GE_GADGET;
        e.gid = gid;
        e.code = code;
        return e;
    }
    static GuiEvent raw(int code) {
        GuiEvent e;
        e.type = GE_RAWKEY;
        e.code = code;
        return e;
    }
    static bool has_gadget(const GuiNode& n, int gid) {
        if (n.gid == gid) return true;
        for (const GuiNode& c : n.children)
            if (has_gadget(c, gid)) return true;
        return false;
    }
};

constexpr int PRESSED = 0xFFCC88, LEFT_PLAYER = 0xFF8888;

} // namespace

TEST_F(HostInputWindows, KeyboardClickPressesForOneFrameEvenWhilePaused) {
    keyboardtype = KB_A600;
    viewkybdas = 0;
    gui_open_tool_window(TW_HOST_KEYBOARD);
    const int win = gui_subwin_window[TW_HOST_KEYBOARD];
    ASSERT_NE(win, 0);
    const int k = player_keys[0][GK_KEYPAD1];
    const int gid = GID_HOSTKEY_FIRST + k;
    EXPECT_EQ(gui_get_text(win, gid), machine_key_label(0, GK_KEYPAD1));
    EXPECT_EQ(gui_headless_background(win, gid), LEFT_PLAYER);

    emu_pause(PauseCause::user);
    gui_headless_post(win, gadget(gid));
    gui_subwindows_input();
    EXPECT_TRUE(host_key_down(static_cast<u32>(k)));
    EXPECT_EQ(gui_headless_background(win, gid), PRESSED);
    gui_subwindows_input(); // more passes while paused: still held
    EXPECT_TRUE(host_key_down(static_cast<u32>(k)));
    emu_end_of_frame(); // the next frame ends
    EXPECT_FALSE(host_key_down(static_cast<u32>(k)));
    gui_subwindows_input();
    EXPECT_EQ(gui_headless_background(win, gid), LEFT_PLAYER);

    // Escape closes the window and reaches neither the guest nor the quit key.
    gui_headless_post(win, raw(RAW_ESC));
    gui_subwindows_input();
    EXPECT_EQ(gui_subwin_window[TW_HOST_KEYBOARD], 0);
    EXPECT_FALSE(host_key_down(RAW_ESC));
    EXPECT_EQ(pending_actions & PA_QUIT, 0u);
}

TEST_F(HostInputWindows, KeyboardPictureChangeReopensInPlace) {
    keyboardtype = KB_A600;
    gui_open_tool_window(TW_HOST_KEYBOARD);
    int win = gui_subwin_window[TW_HOST_KEYBOARD];
    EXPECT_TRUE(has_gadget(gui_headless_desc(win)->root, GID_HOSTKEY_FIRST + 43));
    EXPECT_FALSE(has_gadget(gui_headless_desc(win)->root, GID_HOSTKEY_FIRST + 15));
    gui_headless_move(win, 123, 45);
    gui_headless_post(win, gadget(GID_HOSTKEY_PICTURE, KB_A1000));
    gui_subwindows_input();
    win = gui_subwin_window[TW_HOST_KEYBOARD];
    ASSERT_NE(win, 0);
    EXPECT_EQ(keyboardtype, KB_A1000);
    int left = 0, top = 0;
    gui_window_position(win, &left, &top, nullptr, nullptr);
    EXPECT_EQ(left, 123);
    EXPECT_EQ(top, 45);
    // The numeric pad, without key 43; keys 90-94 only on "Other Amiga".
    EXPECT_FALSE(has_gadget(gui_headless_desc(win)->root, GID_HOSTKEY_FIRST + 43));
    EXPECT_TRUE(has_gadget(gui_headless_desc(win)->root, GID_HOSTKEY_FIRST + 15));
    EXPECT_FALSE(has_gadget(gui_headless_desc(win)->root, GID_HOSTKEY_FIRST + 90));

    gui_headless_post(win, gadget(GID_HOSTKEY_VIEW, 1)); // a view change only relabels
    gui_subwindows_input();
    EXPECT_EQ(gui_subwin_window[TW_HOST_KEYBOARD], win);
    EXPECT_EQ(gui_get_text(win, GID_HOSTKEY_FIRST + RAW_TAB), "Tab");
}

TEST_F(HostInputWindows, BallAndPaddleKeysAreNamedForWhatTheyDo) {
    // The left player's keypad lies on the main keys: 5 and 8 move the second
    // bat, the fire buttons serve, and the keys the machine never reads are unused.
    ASSERT_TRUE(machine_switch(PONG, MAP_PONG_8550, true, true, false));
    keyboardtype = KB_A600;
    gui_open_tool_window(TW_HOST_KEYBOARD);
    const int win = gui_subwin_window[TW_HOST_KEYBOARD];
    ASSERT_NE(win, 0);
    const int unused = static_cast<int>(display_extra_pen_rgb(7));
    for (int view : {0, 2}) {
        gui_headless_post(win, gadget(GID_HOSTKEY_VIEW, view));
        gui_subwindows_input();
        const u16* left = player_keys[0];
        EXPECT_EQ(gui_get_text(win, GID_HOSTKEY_FIRST + left[GK_FIRE1]), "1st") << view;
        EXPECT_EQ(gui_get_text(win, GID_HOSTKEY_FIRST + left[GK_KEYPAD1 + 4]), "P3 Up") << view;
        EXPECT_EQ(gui_get_text(win, GID_HOSTKEY_FIRST + left[GK_KEYPAD1 + 7]), "P3 Dn") << view;
        EXPECT_EQ(gui_headless_background(win, GID_HOSTKEY_FIRST + left[GK_KEYPAD1 + 4]),
                  LEFT_PLAYER);
        for (int k = GK_KEYPAD1; k < GK_EXTRA1; k++) {
            if (k == GK_KEYPAD1 + 4 || k == GK_KEYPAD1 + 7) continue;
            const int gid = GID_HOSTKEY_FIRST + left[k];
            EXPECT_EQ(gui_get_text(win, gid), "") << "keypad key " << k;
            EXPECT_EQ(gui_headless_background(win, gid), unused) << "keypad key " << k;
        }
    }
    EXPECT_STREQ(machine_key_label(1, GK_KEYPAD1 + 4), "P4 Up");
}

TEST_F(HostInputWindows, PadsWindowRebuildsAndLetsGoWhenClosed) {
    controller_left = 5;
    controller_right = 1;
    viewpadsas2 = 0;
    gui_open_tool_window(TW_HOST_PADS);
    int win = gui_subwin_window[TW_HOST_PADS];
    ASSERT_NE(win, 0);
    gui_headless_post(win, gadget(GID_HOSTPAD_FIRST + HPB_LEFT));
    gui_headless_post(win, gadget(GID_HOSTPAD_MOUSE));
    gui_headless_post(win, gadget(GID_HOSTPAD_FIRST + HPB_UP));
    gui_subwindows_input();
    EXPECT_EQ(joy_window_bits[0], JOY_WIN_UP); // the mouse click let the left go
    EXPECT_EQ(mouse_buttons_held[0], 1);
    EXPECT_EQ(gui_headless_background(win, GID_HOSTPAD_MOUSE), PRESSED);

    gui_headless_move(win, 77, 66);
    gui_headless_post(win, gadget(GID_HOSTPAD_KIND, 1)); // Megadrive
    gui_subwindows_input();
    win = gui_subwin_window[TW_HOST_PADS];
    ASSERT_NE(win, 0);
    EXPECT_EQ(viewpadsas2, 1);
    EXPECT_EQ(joy_window_bits[0], 0u);
    EXPECT_EQ(mouse_buttons_held[0], 0);
    int left = 0, top = 0;
    gui_window_position(win, &left, &top, nullptr, nullptr);
    EXPECT_EQ(left, 77);

    // "guestrmb" off: the right button stays the host's and reads "Right".
    guestrmb = 0;
    viewpadsas = 0;
    gui_headless_post(win, gadget(GID_HOSTPAD_VIEW, 0));
    gui_subwindows_input();
    EXPECT_EQ(gui_get_text(win, GID_HOSTPAD_MOUSE + 2), "Right");
    EXPECT_EQ(gui_get_text(win, GID_HOSTPAD_MOUSE), machine_key_label(0, fire_button_assign[0]));

    gui_headless_post(win, raw(RAW_ESC));
    gui_subwindows_input();
    EXPECT_EQ(gui_subwin_window[TW_HOST_PADS], 0);

    // A computer has no such window.
    ASSERT_TRUE(machine_switch(PIPBUG, MAP_PIPBUG_2, true, true, false));
    gui_open_tool_window(TW_HOST_PADS);
    EXPECT_EQ(gui_subwin_window[TW_HOST_PADS], 0);
}

TEST_F(HostInputWindows, MouseButtonsFireOnTheArcadiaAndThePviConsoles) {
    controller_left = 1;
    for (auto& keys : player_keys)
        for (u16& k : keys)
            k = RAW_NONE;
    input_clear_key_matrix();
    arcadia_read_side(0, 0);
    u8 idle[4];
    for (int i = 0; i < 4; i++)
        idle[i] = guest_memory[0x1900 + i];
    mouse_buttons_held[0] = 1;
    arcadia_read_side(0, 0);
    bool pressed = false;
    for (int i = 0; i < 4; i++)
        pressed |= guest_memory[0x1900 + i] != idle[i];
    EXPECT_TRUE(pressed) << "Arcadia";

    ASSERT_TRUE(machine_switch(INTERTON, MAP_INTERTON_A, true, true, false));
    controller_left = 1;
    mouse_buttons_held[0] = 0;
    pvi_read_keypad(0, 0);
    const u32 keypad = 0x1E88;
    u8 before[3];
    for (int i = 0; i < 3; i++)
        before[i] = guest_memory[keypad + i];
    mouse_buttons_held[0] = 1;
    pvi_read_keypad(0, 0);
    pressed = false;
    for (int i = 0; i < 3; i++)
        pressed |= guest_memory[keypad + i] != before[i];
    EXPECT_TRUE(pressed) << "Interton";
    // Not for a player on another controller.
    controller_left = 0;
    pvi_read_keypad(0, 0);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(guest_memory[keypad + i], before[i]);
}

TEST_F(HostInputWindows, RedefineKeysCommitsOnlyOnOkAndReopensToolWindows) {
    gui_open_tool_window(TW_HOST_KEYBOARD);
    const int keyboard = gui_subwin_window[TW_HOST_KEYBOARD];
    ASSERT_NE(keyboard, 0);
    // Under the scripting port the dialog runs without its own loop: the
    // event pass hands it its events.
    ui_unattended = true;
    EXPECT_EQ(gui_redefine_keys_window(0), 0);
    int win = redefine_keys_window;
    ASSERT_NE(win, 0);
    EXPECT_EQ(gui_get_text(win, GID_REDEF_LEFT + GK_UP_LEFT), "($7F)");
    EXPECT_TRUE(gui_get_disabled(win, GID_REDEF_RESET));
    EXPECT_TRUE(gui_get_disabled(win, GID_REDEF_CONSOLE + 3)); // the Arcadia has three
    gui_headless_post(win, gadget(GID_REDEF_LEFT + GK_FIRE1));
    gui_headless_post(win, raw(0x32)); // X
    gui_headless_post(win, raw(0x33)); // C: cancel
    gui_dialogs_input();
    EXPECT_EQ(redefine_keys_window, 0);
    EXPECT_EQ(player_keys[0][GK_FIRE1], default_player_keys[0][GK_FIRE1]);
    EXPECT_EQ(gui_subwin_window[TW_HOST_KEYBOARD], keyboard) << "Cancel leaves the windows";

    // The toggle reopens in the other layout with the change still pending.
    gui_redefine_keys_window(0);
    win = redefine_keys_window;
    gui_headless_post(win, gadget(GID_REDEF_LEFT + GK_FIRE1));
    gui_headless_post(win, raw(0x32));
    gui_headless_post(win, gadget(GID_REDEF_PALLADIUM, 1));
    gui_dialogs_input();
    win = redefine_keys_window;
    ASSERT_NE(win, 0);
    EXPECT_EQ(gui_get_text(win, GID_REDEF_LEFT + GK_FIRE1), key_table[0x32].name);
    EXPECT_FALSE(gui_get_disabled(win, GID_REDEF_RESET));
    ASSERT_NE(gui_headless_desc(win), nullptr) << "the window is not open";
    EXPECT_TRUE(has_gadget(gui_headless_desc(win)->root, GID_REDEF_LEFT + GK_EXTRA1));
    gui_headless_post(win, raw(0x44)); // Return: OK
    gui_dialogs_input();
    EXPECT_EQ(player_keys[0][GK_FIRE1], 0x32);
    EXPECT_NE(gui_subwin_window[TW_HOST_KEYBOARD], 0);
    EXPECT_NE(gui_subwin_window[TW_HOST_KEYBOARD], keyboard) << "OK reopens the windows";
    ui_unattended = false;

    // A computer has no keys to redefine.
    ASSERT_TRUE(machine_switch(PIPBUG, MAP_PIPBUG_2, true, true, false));
    EXPECT_EQ(gui_redefine_keys_window(0), 0);
    EXPECT_EQ(redefine_keys_window, 0);
}
