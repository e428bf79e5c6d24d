// The host's game controllers as the input layer reads them: two ports (0 and
// 1), each giving a word of button and direction bits, an analogue read-out
// and a rumble motor. The program's device is platform/sdl; tests use a fake.
#pragma once

#include <cstdint>

// Port read-out bits, as a PadDevice returns them.
constexpr std::uint32_t PAD_RIGHT = 0x1, PAD_LEFT = 0x2, PAD_DOWN = 0x4, PAD_UP = 0x8;
constexpr std::uint32_t PAD_START = 0x20000, PAD_FORWARD = 0x40000, PAD_REVERSE = 0x80000;
constexpr std::uint32_t PAD_GREEN = 0x100000, PAD_YELLOW = 0x200000, PAD_RED = 0x400000,
                        PAD_BLUE = 0x800000;
// Analogue read-out: X in bits 0-7, Y in bits 8-15; a device present sets one
// of the top three bits (PAD_ANALOG_DEVICE).
constexpr std::uint32_t PAD_ANALOG_PRESENT = 0xE0000000;
constexpr std::uint32_t PAD_ANALOG_DEVICE = 0x40000000;

// Port types sent to the device.
enum PadPortType : int {
    PORT_AUTOSENSE = 0,
    PORT_GAME_CONTROLLER = 1,
    PORT_MOUSE = 2,
    PORT_JOYSTICK = 3,
    PORT_ANALOG = 14,
};

struct PadDevice {
    std::uint32_t (*read_port)(int port);   // the digital read-out bits above
    std::uint32_t (*read_analog)(int port); // the analogue read-out
    void (*set_port_type)(int port, int type);
    void (*rumble_start)(int port); // full strength until stopped
    void (*rumble_stop)(int port);
    bool analog; // the device reads axes and rumbles
};
