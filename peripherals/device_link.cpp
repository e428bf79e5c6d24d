#include "peripherals/device_link.h"

DeviceLink device_link = DEVICES_NONE;

const u8* device_glyph(u8 code) {
    static constexpr u8 BLANK[7] = {};
    return device_link.glyph ? device_link.glyph(code) : BLANK;
}
