#include "core/game_traps.h"

#include "core/hooks.h"
#include "core/message.h"
#include "cpu/bus.h"
#include "core/seams_services.h"

namespace {

bool update_voices() {
    core_hooks_run(CoreHook::sound_changed);
    return false;
}

// BCTA,lt: the voices change only when the branch is taken.
bool update_voices_if_negative() {
    if ((cpu_psl & PSL_CC) == CC_NEGATIVE) core_hooks_run(CoreHook::sound_changed);
    return false;
}

// This game prints its text through a ZBSR at $1771 with the character in r0.
bool echo_r0() {
    con_printf("%c", cpu_regs[0]);
    return false;
}

struct GameTrap {
    i32 game;
    u16 first, last;
    u8 opcode;
    CpuTrapAction action;
};

constexpr GameTrap game_traps[] = {
    {457, 0x049B, 0x049B, 0x06, update_voices}, // LODI r2
    {457, 0x04AC, 0x04AC, 0x06, update_voices},
    {479, 0x04A5, 0x04A5, 0x1E, update_voices_if_negative},
    {488, 0x04A5, 0x04A5, 0x1E, update_voices_if_negative},
    {555, 0x1771, 0x1771, 0xBB, echo_r0},
    {616, 0x001F, 0x001F, 0xC3, update_voices}, // STRZ r3
    {652, 0x182A, 0x182A, 0xD0, update_voices}, // RRL r0
    {653, 0x303A, 0x303A, 0xD0, update_voices},
    {654, 0x1819, 0x1819, 0xC3, update_voices},
    {655, 0x1816, 0x1816, 0x05, update_voices}, // LODI r1
    {820, 0x0528, 0x0560, 0x3F, update_voices}, // BSTA,un anywhere in the loop
};

} // namespace

void game_traps_install(i32 game) {
    if (game < 0) return;
    for (const GameTrap& t : game_traps)
        if (t.game == game) cpu_trap_add_range(t.first, t.last, t.opcode, t.action);
}
