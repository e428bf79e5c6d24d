// A machine's row for the Guest Controls window: where its on-screen keys
// reach the guest, what it holds that the picture marks, the lamps it shows
// and how the picture follows its settings. The pictures and their key
// rectangles are the input subsystem's (input/controls.h); a machine only
// answers for its own state through this row.
#pragma once

#include "core/types.h"

// A lamp on the controls picture: its top left corner in picture
// coordinates, its size, and whether it is lit. `panel`: it lies on the
// extra front-panel picture instead.
struct ControlsLamp {
    i32 x, y, size;
    bool lit, panel, pale; // pale: lit in the light red of the trainer boards
};

// An on-screen key that stands for bits of a guest input register: the
// register's address (0 none) and the bits set while the key is held.
struct ControlsRegisterKey {
    u16 target;
    u8 mask;
};

// How held direction keys and the paddles show on the picture.
enum class ControlsPaddleMarks : u8 {
    NONE,
    FOUR_WAYS, // up, left, down, right of each player at marks 28-31 and 32-35
    BATS,      // up and down of each player at marks 11, 12 and 13, 14
};

struct MachineControls {
    // Keys read from and written to guest registers, by mark. The refresh
    // marks a key while its bits are set; a held on-screen key ORs them in
    // through write_register, once per frame in the machine's input step.
    const ControlsRegisterKey* registers = nullptr;
    u32 register_count = 0;
    void (*write_register)(u32 address, u8 value) = nullptr;
    // Marks from the machine's other inputs (flags, counters, host keys),
    // after the register marks. nullptr: none.
    void (*held)(u8* marks) = nullptr;
    // Applies held on-screen key `key` where no register stands for it.
    // nullptr: nothing.
    void (*apply)(i32 key) = nullptr;
    // The lamps shown now; returns how many (at most `max`). nullptr: none.
    int (*lamps)(ControlsLamp* out, int max) = nullptr;
    ControlsPaddleMarks paddle_marks = ControlsPaddleMarks::NONE;
    // The legend under the picture: shown at all, with the overlay field,
    // with the gamepad and mouse fields.
    bool legend = false;
    bool legend_overlay = false;
    bool legend_pads = false;
    // The host keys field names the overlay's text instead of a host key.
    bool legend_host_is_overlay = false;
    // The "Large image?" setting of the machine (nullptr: one size).
    u32* large = nullptr;
    // The controller drawn: its setting for the current options and the
    // names of its choices (nullptr: one look).
    i32* (*view)() = nullptr;
    const char* const* (*view_names)(int* count) = nullptr;
    // The front panel picture is shown above the keyboard.
    bool extra_picture = false;
};
