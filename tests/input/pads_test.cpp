#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A pad device whose read-outs the test sets and whose calls it records.
struct FakePads {
    u32 digital[2] = {};
    u32 analogue[2] = {};
    std::vector<std::string> calls;
};
FakePads fake;

u32 fake_read(int port) {
    return fake.digital[port];
}
u32 fake_analog(int port) {
    return fake.analogue[port];
}
void fake_type(int port, int type) {
    fake.calls.push_back("type " + std::to_string(port) + " " + std::to_string(type));
}
void fake_start(int port) {
    fake.calls.push_back("start " + std::to_string(port));
}
void fake_stop(int port) {
    fake.calls.push_back("stop " + std::to_string(port));
}
const PadDevice fake_device = {fake_read, fake_analog, fake_type, fake_start, fake_stop, true};

class Pads : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        fake = FakePads{};
        pad_device = &fake_device;
    }
    void TearDown() override {
        pad_device = nullptr;
        fresh_state();
    }
    void read_both() {
        host_read_joysticks(0);
        host_read_joysticks(1);
    }
};

// ---- Joysticks ------------------------------------------------------------------------------

TEST_F(Pads, DigitalButtonsFollowTheButtonMap) {
    controller_left = 5;
    fake.digital[0] = PAD_RED | PAD_START;
    read_both();
    EXPECT_EQ(joy_bits[0], JOY_BUTTON1 | JOY_START);
    const u8 map[4] = {3, 1, 2, 4};
    for (int i = 0; i < 4; i++)
        leftbutton[i] = map[i];
    const struct {
        u32 raw, bit;
    } cases[] = {{PAD_RED, 0x40000},    {PAD_BLUE, 0x10000},        {PAD_GREEN, 0x20000},
                 {PAD_YELLOW, 0x80000}, {PAD_REVERSE, JOY_REVERSE}, {PAD_FORWARD, JOY_FORWARD}};
    for (const auto& c : cases) {
        fake.digital[0] = c.raw;
        read_both();
        EXPECT_EQ(joy_bits[0], c.bit) << std::hex << c.raw;
    }
}

TEST_F(Pads, OppositeDirectionsCancel) {
    controller_right = 3;
    const struct {
        u32 raw;
        i32 x, y;
    } cases[] = {
        {PAD_LEFT, -1, 0},         {PAD_RIGHT, 1, 0},           {PAD_LEFT | PAD_RIGHT, 0, 0},
        {PAD_UP | PAD_DOWN, 0, 0}, {PAD_UP | PAD_RIGHT, 1, -1}, {PAD_DOWN, 0, 1}};
    for (const auto& c : cases) {
        fake.digital[1] = c.raw;
        read_both();
        EXPECT_EQ(joy_dir_x[1], c.x) << c.raw;
        EXPECT_EQ(joy_dir_y[1], c.y) << c.raw;
        EXPECT_EQ(joy_bits[1] & 0xFFFF, 0u) << "pad directions never reach the bits";
    }
}

TEST_F(Pads, AnalogueGamepadIgnoresTheMapAndTheWindowButtons) {
    controller_left = 7;
    leftbutton[0] = 4;
    joy_window_bits[0] = JOY_BUTTON1 << 2 | JOY_WIN_LEFT;
    fake.digital[0] = PAD_RED;
    fake.analogue[0] = 0x40000000 | 0x3412;
    read_both();
    EXPECT_EQ(joy_bits[0], JOY_BUTTON1);
    EXPECT_EQ(joy_axis_x[0], 0x12);
    EXPECT_EQ(joy_axis_y[0], 0x34);
    EXPECT_EQ(joy_dir_x[0], -1) << "the window's directions still count";
    fake.analogue[0] = 0x3412;
    read_both();
    EXPECT_EQ(joy_axis_x[0], 128) << "no analogue device: centred";
}

TEST_F(Pads, DigitalReadWinsOverAnalogueOnTheSamePort) {
    controller_left = 8;
    controller_right = 3;
    fake.analogue[1] = 0x40000000 | 0x1010;
    read_both();
    EXPECT_EQ(joy_axis_x[1], 128);
}

// The analog joystick reads the second port's axes and buttons as the second
// analogue gamepad does, and sets that port's type, but has no motor.
TEST_F(Pads, AnalogJoystickReadsTheSecondPortWithoutRumble) {
    controller_left = 0;
    controller_right = 4;
    fake.digital[1] = PAD_BLUE;
    fake.analogue[1] = 0x40000000 | 0xF003;
    read_both();
    EXPECT_EQ(joy_bits[1], JOY_BUTTON1 << 1);
    EXPECT_EQ(joy_axis_x[1], 0x03);
    EXPECT_EQ(joy_axis_y[1], 0xF0);
    host_set_joyport_types();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"type 0 0", "type 1 14"}));
    EXPECT_EQ(controller_kind(1), 2);
    input_update_paddle(1, 1);
    EXPECT_EQ(paddle_x[1], 0x03);
    EXPECT_EQ(paddle_y[1], 0xF0);
}

TEST_F(Pads, NoDeviceReadsNothing) {
    pad_device = nullptr;
    controller_left = 2;
    read_both();
    EXPECT_EQ(joy_bits[0], 0u);
    host_set_joyport_types();
    host_rumble_start(0, 5);
    EXPECT_EQ(rumble_frames[0], 0u);
}

TEST_F(Pads, PortTypesFirstMatchWins) {
    const struct {
        i32 left, right;
        const char* port0;
        const char* port1;
    } cases[] = {{2, 5, "type 0 3", "type 1 0"},
                 {5, 0, "type 0 1", "type 1 0"},
                 {7, 8, "type 0 14", "type 1 14"},
                 {1, 6, "type 0 2", "type 1 1"},
                 {0, 3, "type 0 0", "type 1 3"}};
    for (const auto& c : cases) {
        fake.calls.clear();
        controller_left = c.left;
        controller_right = c.right;
        host_set_joyport_types();
        ASSERT_EQ(fake.calls.size(), 2u);
        EXPECT_EQ(fake.calls[0], c.port0) << c.left << "," << c.right;
        EXPECT_EQ(fake.calls[1], c.port1) << c.left << "," << c.right;
    }
}

// ---- Rumble -------------------------------------------------------------------------------

TEST_F(Pads, RumbleRunsItsFramesOutAndIgnoresRequestsMeanwhile) {
    host_rumble_start(0, 3);
    host_rumble_tick(0);
    host_rumble_start(0, 10);
    host_rumble_tick(0);
    host_rumble_tick(0);
    host_rumble_tick(0);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"start 0", "stop 0"}));
    EXPECT_EQ(rumble_frames[0], 0u);
}

TEST_F(Pads, StopAllStopsOnlyRunningMotors) {
    host_rumble_start(1, 4);
    host_rumble_stop_all();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"start 1", "stop 1"}));
    EXPECT_EQ(rumble_frames[1], 0u);
}

TEST_F(Pads, MachineSwitchStopsTheRumble) {
    host_rumble_start(0, 50);
    ASSERT_TRUE(machine_switch(INTERTON, 0, true, true, false));
    EXPECT_EQ(rumble_frames[0], 0u);
    EXPECT_EQ(fake.calls.back(), "stop 0");
}

TEST_F(Pads, PaddleUpdateStartsOrTicksTheRumble) {
    controller_left = 7;
    rumble_request[0] = 5;
    forcefeedback_left = 0;
    input_update_paddle(0, 0);
    EXPECT_EQ(rumble_frames[0], 0u) << "force feedback off";
    forcefeedback_left = 1;
    input_update_paddle(0, 0);
    EXPECT_EQ(rumble_frames[0], 5u);
    rumble_request[0] = 0;
    input_update_paddle(0, 0);
    EXPECT_EQ(rumble_frames[0], 4u);
}

// ---- Paddles -------------------------------------------------------------------------------

class Paddles : public Pads {
  protected:
    void SetUp() override {
        Pads::SetUp();
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        controller_left = 0;
    }
    void hold(int slot) { host_key_set(player_keys[0][slot]); }
};

TEST_F(Paddles, DigitalModeSnapsToTheMachinesBytes) {
    hold(GK_LEFT);
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_x[0], 1);
    EXPECT_EQ(paddle_y[0], 112);
    hold(GK_RIGHT);
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_x[0], 112) << "both held: centre";
    input_clear_key_matrix();
    hold(GK_DOWN);
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_y[0], 254);
}

TEST_F(Paddles, AnalogModeStepsBySensitivityAndClampsAtTheByte) {
    analog = 1;
    prefs_user_chose(&analog);
    sensitivity_left = 5;
    paddle_x[0] = 253;
    hold(GK_RIGHT);
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_x[0], 255);
    stubprograms = 0; // the title program is a known game, whose row would set analog
    ASSERT_TRUE(machine_switch(INTERTON, 0, true, true, false));
    sensitivity_left = 3;
    hold(GK_RIGHT);
    for (int i = 0; i < 60; i++)
        input_update_paddle(0, 0);
    EXPECT_EQ(paddle_x[0], 255) << "the Interton's maximum does not limit analog movement";
}

TEST_F(Paddles, SpringLoadedPaddlesReturnToTheCentre) {
    analog = 1;
    paddle_x[0] = 30;
    paddle_y[0] = 40;
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_x[0], 30) << "not spring-loaded: it stays";
    springloaded = 1;
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_x[0], 112);
    EXPECT_EQ(paddle_y[0], 112);
}

TEST_F(Paddles, DiagonalsCountOnlyAlone) {
    player_keys[0][GK_UP_LEFT] = 36;
    player_keys[0][GK_DOWN_RIGHT] = 37;
    hold(GK_UP_LEFT);
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_dx[0], -1);
    EXPECT_EQ(paddle_dy[0], -1);
    hold(GK_DOWN_RIGHT);
    hold(GK_RIGHT);
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_dx[0], 1) << "two diagonals: the straight keys decide";
    EXPECT_EQ(paddle_dy[0], 0);
}

TEST_F(Paddles, OnScreenKeyMovesOneAxisOfItsPlayer) {
    virtual_key = 32;
    input_update_paddle(1, 1);
    EXPECT_EQ(paddle_dy[1], -1);
    EXPECT_EQ(paddle_dx[1], 0);
    EXPECT_EQ(paddle_dy[0], 0);
}

TEST_F(Paddles, DigitalJoystickDrivesTheGuestPlayerPassed) {
    controller_right = 3;
    fake.digital[1] = PAD_LEFT;
    read_both();
    input_update_paddle(1, 1);
    EXPECT_EQ(paddle_dx[1], -1);
    EXPECT_EQ(paddle_x[1], 1);
}

TEST_F(Paddles, MouseFollowsThePointerScaledToTheDisplay) {
    controller_left = 1;
    pointer_display[0] = 10;
    pointer_display[1] = 0;
    pointer_display[2] = 10 + 328;
    pointer_display[3] = 256;
    const struct {
        i32 x;
        i32 paddle;
    } cases[] = {{10 + 327, 254}, {10 + 328, 254}, {10 + 500, 254}, {0, 0}, {10 + 164, 127}};
    for (const auto& c : cases) {
        pointer_x = c.x;
        input_update_paddle(0, 0);
        EXPECT_EQ(paddle_x[0], c.paddle) << c.x;
    }
    hold(GK_LEFT);
    pointer_x = 200;
    pointer_y = 100;
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_x[0], 1) << "a key with analog off snaps x";
    EXPECT_EQ(paddle_y[0], 112) << "and centres y";
}

TEST_F(Paddles, ZeroWidthDisplayLeavesThePaddle) {
    controller_left = 1;
    paddle_x[0] = 77;
    pointer_display[0] = pointer_display[2] = 50;
    pointer_display[3] = 100;
    pointer_x = 60;
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_x[0], 77);
}

} // namespace

// ---- The pad layer ------------------------------------------------------------------------

namespace {
int layer_opens = 0, layer_closes = 0;
bool layer_fails = false;
const PadDevice* fake_layer_open(std::string& why) {
    ++layer_opens;
    if (layer_fails) {
        why = "no joystick support";
        return nullptr;
    }
    return &fake_device;
}
void fake_layer_close() {
    ++layer_closes;
}
} // namespace

class PadLayerTest : public Pads {
  protected:
    void SetUp() override {
        Pads::SetUp();
        pad_device = nullptr;
        pad_layer = {fake_layer_open, fake_layer_close};
        layer_opens = layer_closes = 0;
        layer_fails = false;
    }
    void TearDown() override {
        pad_layer = {};
        Pads::TearDown();
    }
};

TEST_F(PadLayerTest, OpeningSendsThePortTypesAndClosingLetsGoInOrder) {
    controller_left = 2;
    controller_right = 6;
    ASSERT_TRUE(input_pads_open(true));
    EXPECT_EQ(pad_device, &fake_device);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"type 0 3", "type 1 1"}));
    host_rumble_start(1, 9);
    fake.calls.clear();
    input_pads_close();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"stop 1", "type 0 0", "type 1 0"}));
    EXPECT_EQ(rumble_frames[1], 0u);
    EXPECT_EQ(pad_device, nullptr);
    EXPECT_EQ(layer_opens, 1);
    EXPECT_EQ(layer_closes, 1);
    input_pads_close(); // nothing left to close
    EXPECT_EQ(layer_closes, 1);
}

// A stored analogue controller whose device is missing is reported and
// replaced by the keyboard before the port types go out; one that is there
// stays.
TEST_F(PadLayerTest, AMissingAnalogueControllerFallsBackToTheKeyboard) {
    controller_left = 7;
    controller_right = 8;
    fake.analogue[0] = 0x40000000 | 0x8080;
    OutputCapture out;
    ASSERT_TRUE(input_pads_open(true));
    EXPECT_EQ(out.text(),
              "Right controller: no 2nd analog gamepad is connected; the keyboard is used instead.\n");
    EXPECT_EQ(controller_left, 7);
    EXPECT_EQ(controller_right, 0);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"type 0 14", "type 1 0"}));
    input_pads_close();

    // Without the pad layer (NOLOWLEVEL) no analogue controller is there.
    controller_right = 4;
    out.restart();
    EXPECT_FALSE(input_pads_open(false));
    EXPECT_EQ(out.text(),
              "Left controller: no 1st analog gamepad is connected; the keyboard is used instead.\n"
              "Right controller: no analog joystick is connected; the keyboard is used instead.\n");
    EXPECT_EQ(controller_left, 0);
    EXPECT_EQ(controller_right, 0);
}

TEST_F(PadLayerTest, NotWantedOrFailingLeavesTheProgramWithoutPads) {
    controller_left = 2;
    EXPECT_FALSE(input_pads_open(false));
    EXPECT_EQ(layer_opens, 0);
    EXPECT_EQ(pad_device, nullptr);

    layer_fails = true;
    OutputCapture out;
    EXPECT_FALSE(input_pads_open(true));
    EXPECT_EQ(out.text(), "Can't open the game controllers (no joystick support)!\n");
    EXPECT_EQ(pad_device, nullptr);
    EXPECT_TRUE(fake.calls.empty());
    host_read_joysticks(0);
    EXPECT_EQ(joy_bits[0], 0u);
}
