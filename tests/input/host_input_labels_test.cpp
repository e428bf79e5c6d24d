// The labels, hover texts and colours of the Host Keyboard and Host
// Gamepads/Mouse windows, and what clicks on the pad window latch.
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/controls.h"
#include "input/host_key_labels.h"
#include "input/host_pad_labels.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

class HostInputLabels : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        keyboardtype = KB_OTHER; // every key with a code has a button
    }
    void TearDown() override { fresh_state(); }
    static void on(Machine m, MemoryMap map) {
        ASSERT_TRUE(machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false));
    }
    static const std::string& text(int k) { return hostkey_labels[k].text; }
};

constexpr int RAW_Q = 16, RAW_K = 39, RAW_F1_KEY = 80;

} // namespace

TEST_F(HostInputLabels, HostKeysViewNamesEveryKeyOnEveryMachine) {
    viewkybdas = 1;
    for (Machine m : {ARCADIA, PIPBUG}) {
        on(m, m == ARCADIA ? MAP_ARCADIA_EMERSON : MAP_PIPBUG_2);
        keyboard_help_text_build();
        for (int k = 0; k < RAW_KEYS; k++)
            if (key_table[k].raw != -1) {
                EXPECT_EQ(text(k), key_table[k].name) << m << " key " << k;
            }
    }
}

TEST_F(HostInputLabels, ConsoleKeysShowTheirGuestKeysAndClasses) {
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    viewkybdas = 0;
    keyboard_help_text_build();
    const int left_key1 = player_keys[0][GK_KEYPAD1];
    EXPECT_EQ(text(left_key1), machine_key_label(0, GK_KEYPAD1));
    EXPECT_EQ(hostkey_labels[left_key1].hover, text(left_key1));
    EXPECT_EQ(input_find_guest_key(left_key1), KEYCLASS_LEFT);
    EXPECT_EQ(text(RAW_F1_KEY), machine_live_row().console_labels[0]);
    EXPECT_EQ(input_find_guest_key(RAW_F1_KEY), KEYCLASS_CONSOLE);
    // Reserved and unassigned: its own name, or nothing.
    EXPECT_EQ(text(RAW_ESC), "Esc");
    EXPECT_EQ(input_find_guest_key(RAW_ESC), KEYCLASS_RESERVED);
    const int unused = 122 - 1; // a code no default assigns
    EXPECT_EQ(text(unused), key_table[unused].reserved ? key_table[unused].name : "");

    // Both players on one key, or a player and the console: "#", Multiple.
    player_keys[1][GK_KEYPAD1] = static_cast<u16>(left_key1);
    player_keys[0][GK_FIRE2] = RAW_F1_KEY;
    keyboard_help_text_build();
    EXPECT_EQ(text(left_key1), "#");
    EXPECT_EQ(text(RAW_F1_KEY), "#");
    EXPECT_EQ(input_find_guest_key(left_key1), KEYCLASS_SEVERAL);

    // Swapped: the left player's keys show the right keypad's labels.
    player_keys[1][GK_KEYPAD1] = RAW_NONE;
    swapped = 1;
    keyboard_help_text_build();
    EXPECT_EQ(text(left_key1), machine_key_label(1, GK_KEYPAD1));
    EXPECT_EQ(input_find_guest_key(left_key1), KEYCLASS_RIGHT);

    // A view above 2 leaves the texts; only the colours follow.
    viewkybdas = 3;
    swapped = 0;
    keyboard_help_text_build();
    EXPECT_EQ(text(left_key1), machine_key_label(1, GK_KEYPAD1));
    EXPECT_EQ(input_find_guest_key(left_key1), KEYCLASS_LEFT);
}

TEST_F(HostInputLabels, KeyboardMachinesShowCharactersAndFollowShift) {
    on(PIPBUG, MAP_PIPBUG_2);
    viewkybdas = 0;
    keymap = 0;
    lowercase = 0;
    keyboard_help_text_build();
    // P and Tab type although they are the emulator's keys; Esc and Shift are named.
    EXPECT_EQ(text(RAW_P), "'p'");
    EXPECT_EQ(text(RAW_TAB), "HT");
    EXPECT_EQ(text(RAW_ESC), "Esc");
    EXPECT_EQ(text(RAW_LSHIFT), key_table[RAW_LSHIFT].name);
    const std::string& k_hover = hostkey_labels[RAW_K].hover;
    EXPECT_NE(k_hover.find("Shifted: 'K' ($4B)"), std::string::npos) << k_hover;
    EXPECT_EQ(std::count(k_hover.begin(), k_hover.end(), '\n'), 4);
    // Shift held, Ctrl not, "lowercase" off: K to P shift to "[" to "`".
    host_key_set(RAW_LSHIFT);
    keyboard_help_text_build();
    EXPECT_NE(hostkey_labels[RAW_K].hover.find("Shifted: '[' ($5B)"), std::string::npos)
        << hostkey_labels[RAW_K].hover;
    EXPECT_NE(hostkey_labels[RAW_P].hover.find("Shifted: '`' ($60)"), std::string::npos);
    host_key_clear(RAW_LSHIFT);
}

TEST_F(HostInputLabels, TyperightConsoleKeyThatTypesShowsHash) {
    on(TYPERIGHT, MAP_TYPERIGHT);
    viewkybdas = 0;
    keymap = 0;
    console_keys[0] = RAW_Q; // types 'q' as well
    keyboard_help_text_build();
    EXPECT_EQ(text(RAW_Q), "#");
    EXPECT_EQ(text(console_keys[1]), machine_live_row().console_labels[1]);
    const std::string& hover = hostkey_labels[17].hover; // W
    EXPECT_EQ(hover, "Unshifted: 'w' ($77)\nShifted/Caps Lock: 'W' ($57)");
}

TEST_F(HostInputLabels, PadCaptionsAndColoursFollowTheControllers) {
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    controller_left = 5;
    controller_right = 2;
    hostpad_assign_compute();
    EXPECT_EQ(hostpad_assign[0], HPA_BOTH);
    EXPECT_EQ(hostpad_assign[1], HPA_NONE);
    EXPECT_EQ(hostpad_caption(0, false), "1st digital gamepad (both players)");
    EXPECT_EQ(hostpad_caption(1, false), "2nd digital gamepad (unassigned)");
    EXPECT_EQ(hostpad_caption(1, true), "2nd digital gamepad");
    EXPECT_EQ(hostpad_pen_of(GID_HOSTPAD_FIRST + HPB_UP), 5);
    EXPECT_EQ(hostpad_pen_of(GID_HOSTPAD_FIRST + HPB_START), 2);
    EXPECT_EQ(hostpad_pen_of(GID_HOSTPAD_SECOND + HPB_START), 7);
    EXPECT_EQ(hostpad_pen_of(GID_HOSTPAD_SECOND + HPB_COLOUR1), 7);

    controller_left = 3;
    controller_right = 0;
    swapped = 1;
    hostpad_assign_compute();
    EXPECT_EQ(hostpad_assign[1], HPA_RIGHT);
    EXPECT_EQ(hostpad_pen_of(GID_HOSTPAD_SECOND + HPB_DOWN), 1);
    EXPECT_EQ(hostpad_assign[2], HPA_NONE);
}

TEST_F(HostInputLabels, PadClicksLatchByTheRules) {
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    controller_left = 5;
    controller_right = 6;
    hostpad_assign_compute();
    const int first = GID_HOSTPAD_FIRST, second = GID_HOSTPAD_SECOND;
    hostpad_click(first + HPB_UP);
    hostpad_click(first + HPB_DOWN);
    EXPECT_EQ(joy_window_bits[0], JOY_WIN_DOWN);
    hostpad_click(first + HPB_LEFT);
    hostpad_click(first + HPB_RIGHT);
    EXPECT_EQ(joy_window_bits[0], JOY_WIN_DOWN | JOY_WIN_RIGHT);
    hostpad_click(first + HPB_RIGHT); // again: let go
    EXPECT_EQ(joy_window_bits[0], JOY_WIN_DOWN);
    hostpad_click(second + HPB_START); // the other pad lets the first go
    EXPECT_EQ(joy_window_bits[0], 0u);
    EXPECT_EQ(joy_window_bits[1], JOY_START);
    hostpad_background_click();
    EXPECT_EQ(joy_window_bits[1], 0u);

    // The button map 3, 1, 2, 4: colour slot 1 is guest button 3.
    leftbutton[0] = 3, leftbutton[1] = 1, leftbutton[2] = 2, leftbutton[3] = 4;
    hostpad_click(first + HPB_COLOUR1);
    EXPECT_EQ(joy_window_bits[0], 0x40000u);
    host_read_joysticks(0);
    EXPECT_TRUE(hostpad_shown_pressed(first + HPB_COLOUR1 + 2));
    EXPECT_FALSE(hostpad_shown_pressed(first + HPB_COLOUR1));

    // The mouse: unassigned, nothing latches; assigned, a click toggles and
    // lets the pads go; the right button only while the guest has it.
    hostpad_click(GID_HOSTPAD_MOUSE);
    EXPECT_EQ(mouse_buttons_held[0], 0);
    controller_right = 1;
    hostpad_assign_compute();
    hostpad_click(GID_HOSTPAD_MOUSE);
    EXPECT_EQ(mouse_buttons_held[0], 1);
    EXPECT_EQ(joy_window_bits[0], 0u);
    hostpad_click(GID_HOSTPAD_MOUSE + 2);
    EXPECT_EQ(mouse_buttons_held[2], 0);
    guestrmb = 1;
    hostpad_click(GID_HOSTPAD_MOUSE + 2);
    EXPECT_EQ(mouse_buttons_held[2], 1);
    hostpad_click(GID_HOSTPAD_MOUSE);
    EXPECT_EQ(mouse_buttons_held[0], 0);
    // A click on the now unassigned second pad latches nothing.
    hostpad_click(second + HPB_UP);
    EXPECT_EQ(joy_window_bits[1], 0u);
}

TEST_F(HostInputLabels, PadLabelsInTheThreeViews) {
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    controller_left = 5;
    controller_right = 0;
    guestrmb = 0;
    hostpad_assign_compute();
    // The default fire keys 2, 1, 3, 0 and button map: slot 1 is key 2 ...
    fire_button_assign[0] = 2, fire_button_assign[1] = 1, fire_button_assign[2] = 3,
    fire_button_assign[3] = 0;
    EXPECT_EQ(hostpad_colour_key(0, 0), 2);
    EXPECT_EQ(hostpad_colour_key(0, 1), 1);
    EXPECT_EQ(hostpad_colour_key(0, 2), 3);
    EXPECT_EQ(hostpad_colour_key(0, 3), 0);
    rightbutton[0] = 4; // swapped: the first pad keeps its own map, as it is read
    swapped = 1;
    EXPECT_EQ(hostpad_colour_key(0, 0), 2);
    EXPECT_EQ(hostpad_colour_key(1, 0), 0);
    swapped = 0;

    viewpadsas = 0;
    hostpad_labels_build();
    const auto label = [](int gid) { return hostpad_labels[gid - GID_HOSTPAD_FIRST]; };
    EXPECT_EQ(label(GID_HOSTPAD_FIRST + HPB_COLOUR1), machine_key_label(0, 2));
    EXPECT_EQ(label(GID_HOSTPAD_FIRST + HPB_START), machine_live_row().console_labels[0]);
    EXPECT_EQ(label(GID_HOSTPAD_FIRST + HPB_UP), "Up");
    EXPECT_EQ(label(GID_HOSTPAD_SECOND + HPB_UP), "");
    EXPECT_EQ(label(GID_HOSTPAD_MOUSE), "");
    EXPECT_EQ(label(GID_HOSTPAD_MOUSE + 2), "Right");

    viewpadsas = 1;
    viewpadsas2 = 1;
    controller_right = 1;
    hostpad_assign_compute();
    hostpad_labels_build();
    EXPECT_EQ(label(GID_HOSTPAD_FIRST + HPB_COLOUR1 + 3), "X");
    EXPECT_EQ(label(GID_HOSTPAD_FIRST + HPB_CONSOLE2), "Y");
    EXPECT_EQ(label(GID_HOSTPAD_MOUSE + 1), "Middle");
    EXPECT_EQ(label(GID_HOSTPAD_SECOND + HPB_START), "");

    viewpadsas = 0;
    hostpad_labels_build();
    EXPECT_EQ(label(GID_HOSTPAD_MOUSE + 2), "Right"); // "guestrmb" off
    guestrmb = 1;
    hostpad_labels_build();
    EXPECT_EQ(label(GID_HOSTPAD_MOUSE + 2), machine_key_label(1, 3));
}
