// The game machines' rows for the Guest Controls picture: the input
// registers and flags its keys stand for, and the lamps.
#include "machines/controls_rows.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "input/controls.h"
#include "machines/pong.h"
#include "machines/pvi2636.h"
#include "machines/uvi2637.h"
#include "machines/zaccaria.h"

namespace {

using R = ControlsRegisterKey;

// A keypad of three registers, four keys each, column by column.
#define PAD(a, b, c, m0, m1, m2, m3)                                                          \
    R{a, m0}, R{a, m1}, R{a, m2}, R{a, m3}, R{b, m0}, R{b, m1}, R{b, m2}, R{b, m3}, R{c, m0},  \
        R{c, m1}, R{c, m2}, R{c, m3}
#define NONE4 R{0, 0}, R{0, 0}, R{0, 0}, R{0, 0}

// clang-format off
constexpr R ARCADIA_KEYS[48] = {
    {0x1908, 0x01}, {0x1908, 0x02}, {0x1908, 0x04}, {0, 0},
    PAD(0x1900, 0x1901, 0x1902, 0x08, 0x04, 0x02, 0x01),
    PAD(0x1904, 0x1905, 0x1906, 0x08, 0x04, 0x02, 0x01),
    NONE4, NONE4, // the directions move the paddles
    {0x1901, 0x08}, {0x1901, 0x08}, {0x1905, 0x08}, {0x1905, 0x08},
    {0x1903, 0x01}, {0x1903, 0x02}, {0x1903, 0x04}, {0x1903, 0x08},
    {0x1907, 0x01}, {0x1907, 0x02}, {0x1907, 0x04}, {0x1907, 0x08},
};
constexpr R INTERTON_KEYS[40] = {
    {0x1E8B, 0x40}, {0x1E8B, 0x80}, {0, 0}, {0, 0},
    PAD(0x1E88, 0x1E89, 0x1E8A, 0x80, 0x40, 0x20, 0x10),
    PAD(0x1E8C, 0x1E8D, 0x1E8E, 0x80, 0x40, 0x20, 0x10),
    NONE4, NONE4,
    {0x1E89, 0x80}, {0x1E89, 0x80}, {0x1E8D, 0x80}, {0x1E8D, 0x80},
};
constexpr R ELEKTOR_KEYS[36] = {
    {0x1E8B, 0x40}, {0x1E8B, 0x80}, {0x1E8B, 0x20}, {0x1E8B, 0x10},
    PAD(0x1E88, 0x1E89, 0x1E8A, 0x80, 0x40, 0x20, 0x10),
    PAD(0x1E8C, 0x1E8D, 0x1E8E, 0x80, 0x40, 0x20, 0x10),
    NONE4, NONE4,
};
// clang-format on
#undef PAD
#undef NONE4

void pvi_absolute(u32 address, u8 value) {
    pvi_write_register(address, value, false);
}

// The power lamp of the Emerson and MPT-03 consoles, by layout.
int arcadia_lamps(ControlsLamp* out, int max) {
    static constexpr struct {
        i32 layout, x, y, size;
    } LAMPS[4] = {{0, 217, 79, 1}, {1, 135, 50, 1}, {3, 430, 156, 5}, {4, 271, 100, 2}};
    for (const auto& l : LAMPS)
        if (l.layout == controls_layout && max > 0) {
            out[0] = {l.x, l.y, l.size, true, false, false};
            return 1;
        }
    return 0;
}

const char* const* arcadia_views(int* count) {
    static const char* const NAMES[3] = {"Emerson Arcadia 2001", "MPT-03", "Palladium VGC"};
    *count = 3;
    return NAMES;
}
i32* arcadia_view() {
    return &viewctrlsas_arcadia;
}

// ---- coin-op boards ----

bool laser_battle() {
    return memmap == MAP_LASER_BATTLE || memmap == MAP_LAZARIAN;
}

void zaccaria_held(u8* m) {
    const CoinopInputs& in = coinop_inputs;
    if (laser_battle()) {
        const u32 flags[10] = {in.button1, in.start1, in.start2, in.left,    in.right,
                               in.up,      in.down,   in.button2, in.button3, in.button4};
        for (int i = 0; i < 10; i++)
            m[i] = flags[i] != 0;
        return;
    }
    m[0] = in.button1 || in.button3;
    m[1] = in.start1 != 0;
    m[2] = in.start2 != 0;
    m[3] = in.left || in.left2;
    m[4] = in.right || in.right2;
}

void zaccaria_apply(i32 key) {
    CoinopInputs& in = coinop_inputs;
    u32* const flags[10] = {&in.button1, &in.start1, &in.start2, &in.left,    &in.right,
                            &in.up,      &in.down,   &in.button2, &in.button3, &in.button4};
    if (key >= 0 && key < 10) *flags[key] |= 1;
}

// Malzak's stick: the eight directions from up clockwise, as flag pairs
// (left, right, up, down).
constexpr u8 MALZAK_WAYS[8][4] = {{0, 0, 1, 0}, {0, 1, 1, 0}, {0, 1, 0, 0}, {0, 1, 0, 1},
                                  {0, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 0}, {1, 0, 1, 0}};

void malzak_held(u8* m) {
    const CoinopInputs& in = coinop_inputs;
    m[0] = in.button1 != 0;
    m[1] = in.start1 != 0;
    m[2] = in.start2 != 0;
    const bool l = in.left, r = in.right, u = in.up, d = in.down;
    m[3] = u && !l && !r;
    m[4] = u && r && !l;
    m[5] = r && !u && !d;
    m[6] = d && r && !l;
    m[7] = d && !l && !r;
    m[8] = l && d && !r;
    m[9] = l && !u && !d;
    m[10] = l && u && !r;
}

void malzak_apply(i32 key) {
    CoinopInputs& in = coinop_inputs;
    if (key == 0) in.button1 |= 1;
    if (key == 1) in.start1 |= 1;
    if (key == 2) in.start2 |= 1;
    if (key < 3 || key > 10) return;
    const u8* w = MALZAK_WAYS[key - 3];
    if (w[0]) in.left |= 1;
    if (w[1]) in.right |= 1;
    if (w[2]) in.up |= 1;
    if (w[3]) in.down |= 1;
}

// ---- ball-and-paddle ----

void pong_held(u8* m) {
    for (int i = 0; i < 4; i++)
        m[i] = pong_console_held(i);
}

const char* const* pong_views(int* count) {
    static const char* const MAP_28[2] = {"Interton Video 3000", "Sheen/Conic TVG-201(-4)"};
    static const char* const OTHERS[2] = {"Coleco Telstar Galaxy", "Philco Telejogo ]["};
    *count = 2;
    return memmap == MAP_PONG_8550 ? MAP_28 : OTHERS;
}
i32* pong_view() {
    return memmap == MAP_PONG_8550 ? &viewctrlsas_8550 : &viewctrlsas_8600;
}

} // namespace

const MachineControls arcadia_controls{
    .registers = ARCADIA_KEYS,
    .register_count = 48,
    .write_register = uvi_write_register,
    .lamps = arcadia_lamps,
    .paddle_marks = ControlsPaddleMarks::FOUR_WAYS,
    .legend = true,
    .legend_overlay = true,
    .legend_pads = true,
    .large = &bigcontrols_arcadia,
    .view = arcadia_view,
    .view_names = arcadia_views,
};

const MachineControls interton_controls{
    .registers = INTERTON_KEYS,
    .register_count = 40,
    .write_register = pvi_absolute,
    .paddle_marks = ControlsPaddleMarks::FOUR_WAYS,
    .legend = true,
    .legend_overlay = true,
    .legend_pads = true,
    .large = &bigcontrols_interton,
};

const MachineControls elektor_controls{
    .registers = ELEKTOR_KEYS,
    .register_count = 36,
    .write_register = pvi_absolute,
    .paddle_marks = ControlsPaddleMarks::FOUR_WAYS,
    .legend = true,
    .legend_overlay = true,
    .legend_pads = true,
    .large = &bigcontrols_elektor,
};

const MachineControls zaccaria_controls{
    .held = zaccaria_held,
    .apply = zaccaria_apply,
    .legend = true,
    .legend_pads = true,
};

const MachineControls malzak_controls{
    .held = malzak_held,
    .apply = malzak_apply,
    .legend = true,
    .legend_pads = true,
};

const MachineControls pong_controls{
    .held = pong_held,
    .paddle_marks = ControlsPaddleMarks::BATS,
    .legend = true,
    .legend_pads = true,
    .view = pong_view,
    .view_names = pong_views,
};

const MachineControls typeright_controls{
    .held = controls_typeright_held,
};
