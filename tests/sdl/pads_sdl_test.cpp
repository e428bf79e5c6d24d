// The SDL pad device against SDL's virtual joysticks: no hardware needed.
#include "platform/sdl/pads_sdl.h"
#include "tests/sdl/virtual_controller.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

namespace {

class PadsSdl : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        pads = pads_sdl_open(why);
        ASSERT_NE(pads, nullptr) << why;
    }
    void TearDown() override {
        if (index >= 0) SDL_JoystickDetachVirtual(index);
        pads_sdl_close();
    }
    // A plain joystick: two axes, seven buttons, one hat.
    void attach_stick() {
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 7, 1);
        ASSERT_GE(index, 0) << SDL_GetError();
        ASSERT_FALSE(SDL_IsGameController(index));
        pads->read_port(0); // the device is found on the next read
        stick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
        ASSERT_NE(stick, nullptr);
    }
    // Sets the stick's state; SDL takes it over at the next read.
    void set(int button_mask, Uint8 hat, Sint16 x, Sint16 y) {
        for (int b = 0; b < 7; b++)
            SDL_JoystickSetVirtualButton(stick, b, (button_mask >> b) & 1);
        SDL_JoystickSetVirtualHat(stick, 0, hat);
        SDL_JoystickSetVirtualAxis(stick, 0, x);
        SDL_JoystickSetVirtualAxis(stick, 1, y);
    }
    const PadDevice* pads = nullptr;
    int index = -1;
    SDL_Joystick* stick = nullptr;
};

TEST_F(PadsSdl, AJoysticksButtonsHatAndAxesBecomePortBits) {
    attach_stick();
    const struct {
        int buttons;
        Uint8 hat;
        Sint16 x, y;
        std::uint32_t bits;
    } cases[] = {
        {0, SDL_HAT_CENTERED, 0, 0, 0},
        {1 << 0, SDL_HAT_CENTERED, 0, 0, PAD_RED},
        {1 << 1 | 1 << 3, SDL_HAT_CENTERED, 0, 0, PAD_BLUE | PAD_YELLOW},
        {1 << 2, SDL_HAT_CENTERED, 0, 0, PAD_GREEN},
        {1 << 4 | 1 << 5 | 1 << 6, SDL_HAT_CENTERED, 0, 0, PAD_REVERSE | PAD_FORWARD | PAD_START},
        {0, SDL_HAT_LEFTUP, 0, 0, PAD_LEFT | PAD_UP},
        {0, SDL_HAT_RIGHTDOWN, 0, 0, PAD_RIGHT | PAD_DOWN},
        {0, SDL_HAT_CENTERED, -32768, 32767, PAD_LEFT | PAD_DOWN},
        {0, SDL_HAT_CENTERED, 20000, -20000, PAD_RIGHT | PAD_UP},
        {0, SDL_HAT_CENTERED, 5000, -5000, 0}, // inside the dead zone
    };
    for (const auto& c : cases) {
        set(c.buttons, c.hat, c.x, c.y);
        EXPECT_EQ(pads->read_port(0), c.bits) << c.buttons << " " << int(c.hat) << " " << c.x;
    }
    EXPECT_EQ(pads->read_port(1), 0u) << "nothing on the second port";
    EXPECT_EQ(pads->read_analog(1), 0u);
}

TEST_F(PadsSdl, TheAnalogueReadOutCarriesBothAxesAndThePresenceBit) {
    attach_stick();
    set(0, SDL_HAT_CENTERED, -32768, 32767);
    const std::uint32_t a = pads->read_analog(0);
    EXPECT_NE(a & PAD_ANALOG_PRESENT, 0u);
    EXPECT_EQ(a & 0xFF, 0u);
    EXPECT_EQ((a >> 8) & 0xFF, 255u);
    set(0, SDL_HAT_CENTERED, 0, 0);
    EXPECT_EQ(pads->read_analog(0) & 0xFFFF, 0x8080u);
}

TEST_F(PadsSdl, AnUnpluggedDeviceReadsNothingAndTheOpensAreCounted) {
    attach_stick();
    set(1, SDL_HAT_CENTERED, 0, 0);
    ASSERT_EQ(pads->read_port(0), PAD_RED);
    // A second user of the layer: closing it once keeps the device working.
    std::string why;
    ASSERT_EQ(pads_sdl_open(why), pads);
    pads_sdl_close();
    EXPECT_EQ(pads->read_port(0), PAD_RED);
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    index = -1;
    EXPECT_EQ(pads->read_port(0), 0u);
    pads->rumble_start(0); // no device: nothing happens
    pads->rumble_stop(0);
}

} // namespace

namespace {

// A virtual game controller whose motors the test watches.
struct Motor {
    int starts = 0, stops = 0;
};
Motor motor;
int motor_rumble(void*, Uint16 low, Uint16 high) {
    (low || high ? motor.starts : motor.stops)++;
    return 0;
}

class PadsSdlController : public PadsSdl {
  protected:
    void attach_controller() {
        motor = Motor{};
        index = attach_virtual_controller(nullptr, motor_rumble);
        ASSERT_GE(index, 0) << SDL_GetError();
        ASSERT_TRUE(SDL_IsGameController(index));
        pads->read_port(0);
        stick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
        ASSERT_NE(stick, nullptr);
    }
    void stick_at(Sint16 x, Sint16 y) {
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTX, x);
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, y);
    }
};

} // namespace

// The analogue gamepad: the left stick's travel spans the whole paddle range
// with its rest at the centre, and the face buttons are the coloured ones.
TEST_F(PadsSdlController, TheLeftStickIsThePaddleAndTheFaceButtonsAreColoured) {
    attach_controller();
    const struct {
        Sint16 x, y;
        std::uint32_t axes;
    } travel[] = {{0, 0, 0x8080}, {-32768, -32768, 0x0000}, {32767, 32767, 0xFFFF},
                  {-32768, 32767, 0xFF00}, {16384, -16384, 0x40C0}};
    for (const auto& t : travel) {
        stick_at(t.x, t.y);
        const std::uint32_t a = pads->read_analog(0);
        EXPECT_NE(a & PAD_ANALOG_PRESENT, 0u);
        EXPECT_EQ(a & 0xFFFF, t.axes) << t.x << "," << t.y;
    }
    stick_at(0, 0);
    const struct {
        SDL_GameControllerButton button;
        std::uint32_t bit;
    } face[] = {{SDL_CONTROLLER_BUTTON_A, PAD_RED},
                {SDL_CONTROLLER_BUTTON_B, PAD_BLUE},
                {SDL_CONTROLLER_BUTTON_X, PAD_GREEN},
                {SDL_CONTROLLER_BUTTON_Y, PAD_YELLOW},
                {SDL_CONTROLLER_BUTTON_START, PAD_START}};
    for (const auto& f : face) {
        SDL_JoystickSetVirtualButton(stick, f.button, 1);
        EXPECT_EQ(pads->read_port(0), f.bit) << f.button;
        SDL_JoystickSetVirtualButton(stick, f.button, 0);
    }
}

TEST_F(PadsSdlController, RumbleReachesTheControllersMotorsUntilStopped) {
    attach_controller();
    pads->rumble_start(0);
    EXPECT_EQ(motor.starts, 1);
    pads->rumble_stop(0);
    EXPECT_EQ(motor.stops, 1);
    pads->rumble_stop(0); // a motor at rest is not stopped again
    EXPECT_EQ(motor.stops, 1);
    pads->rumble_start(1); // nothing on the second port
    EXPECT_EQ(motor.starts, 1);
}
