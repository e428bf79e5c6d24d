// The machine's part of the save-state walk, and the field helpers that the
// machines' tails (their rows' serialise operations) share.
#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/notify.h"
#include "core/savestate_fields.h"
#include "core/savestate_internal.h"
#include "core/serial.h"
#include "cpu/cpu.h"

bool state_reading() {
    return serial_dir != SERIAL_WRITE;
}

bool state_applying() {
    return state_reading() && !serial_dry() && !serial_overrun();
}

void state_setting_byte(u32* variable, u32 max, const char* what) {
    u32 v = state_field_u32(variable);
    if (state_reading() && v > max) serial_mark_bad(what);
}

void state_setting_byte(i32* variable, u32 max, const char* what) {
    u32 v = state_field_u32(variable);
    if (state_reading() && v > max) serial_mark_bad(what);
}

template <typename T>
static u32 monitor_field(T* version, u32 max, const char* what, void (*take)(u32 was)) {
    u32 v = static_cast<u32>(*version);
    v = state_field_u32(&v); // the value read also when the walk only checks
    if (state_reading() && v > max) {
        serial_mark_bad(what);
    } else if (state_applying() && v != static_cast<u32>(*version)) {
        const u32 was = static_cast<u32>(*version);
        *version = static_cast<T>(v);
        take(was);
        ui_mark(UI_MENUS | UI_TITLE | UI_STATUS);
    }
    return v;
}

u32 state_monitor_field(u32* version, u32 max, const char* what, void (*take)(u32 was)) {
    return monitor_field(version, max, what, take);
}

u32 state_monitor_field(i32* version, u32 max, const char* what, void (*take)(u32 was)) {
    return monitor_field(version, max, what, take);
}

void state_beam_clock_field(u32 m) {
    i32 clocks = state_field_u32_full(&cpu_beam_clock);
    if (state_reading() && (clocks < -1 || clocks > state_frame_limit(m)))
        serial_mark_bad("beam position");
}

void state_line_length_field(u32 m) {
    i32 clocks = state_field_u32_full(&line_clocks);
    if (state_reading() && (clocks <= 0 || clocks > state_frame_limit(m)))
        serial_mark_bad("line length");
    else if (state_applying())
        video_set_line_length(clocks);
}

void state_latch_byte(u8* latch, u32 max, const char* what) {
    const u8 v = state_field_u8(latch);
    if (state_reading() && v > max) serial_mark_bad(what);
}

static constexpr u8 RAS_HELD_MARK = 0x80;

int state_ras_held_field(const CpuState& cpu) {
    u8 mark = static_cast<u8>(RAS_HELD_MARK | cpu_ras_held(cpu));
    u8 check = static_cast<u8>(~mark);
    mark = state_field_u8(&mark);
    check = state_field_u8(&check);
    if (!(mark & RAS_HELD_MARK) || check != static_cast<u8>(~mark)) return -1;
    const int held = mark & ~RAS_HELD_MARK;
    if (state_reading() && held > 8) serial_mark_bad("return-address count");
    return held;
}

void state_ras_held_apply(CpuState& cpu, int held) {
    cpu_ras_set_held(cpu, static_cast<u8>(held >= 0 ? held : cpu.psu & PSU_SP));
}

void state_machine_tail(u32 m, u32 map) {
    if (m >= MACHINES) {
        serial_mark_bad("machine");
        return;
    }
    if (machine_ops(m).serialise) machine_ops(m).serialise(map);
}
