#include "core/user_prefs.h"

#include "core/settings_vars.h"

#include <array>
#include <cstring>

namespace {

// One kept setting: its variable, whatever its width.
struct Kept {
    void* at;
    std::size_t size;
};

template <typename T> constexpr Kept keep(T& variable) {
    static_assert(sizeof(T) <= 4);
    return {&variable, sizeof(T)};
}

// Every setting a load, a state, a games-database row, a machine's set-up or
// a playback writes, but those that make the machine what it is: the memory
// map, and the monitor, disk system and chip that choose its ROMs and map,
// are written as they run, so that the settings name one machine.
const Kept kept[] = {
    // the paddles (the first PADDLES): a games-database row and a machine's
    // set-up may bring their own
    keep(sensitivity_left), keep(sensitivity_right), keep(analog), keep(swapped),
    // video: the machine's standard, a game's colours (the stretch keeps a
    // choice of its own per kind of machine: machine_choose_stretch)
    keep(emu_region), keep(darkenbg), keep(flagline), keep(blankingareas),
    // serial lines, terminals, drives, clocks and board switches
    keep(pipbug_baudrate), keep(pipbug_vdu), keep(pipbug_peripheral), keep(binbug_baudrate),
    keep(binbug_userdrives), keep(cd2650_vdu), keep(cd2650_userdrives), keep(fast_selbst),
    keep(si50_interrupts), keep(si50_intselector), keep(si50_parallelio), keep(si50_toggles),
    keep(twin_printerunit), keep(debugger_drive),
    // the ball-and-paddle games' switches
    keep(pong_variant), keep(pong_players), keep(pong_angles), keep(pong_speed), keep(pong_serving),
    keep(pong_lockhorizontal), keep(pong_playerid), keep(pong_batsizes),
    // the coin-op boards' DIP switches
    keep(dips_astrowars), keep(dips_astrowars_2), keep(dips_galaxia), keep(dips_laserbattle),
    keep(dips_lazarian_2), keep(dips_lazarian_3)};

constexpr std::size_t KEPT = std::size(kept), PADDLES = 4;
using Value = std::array<unsigned char, 4>;

Value user[KEPT];    // the user's own choice
Value applied[KEPT]; // what the last load or switch left
Value seen[KEPT];    // what held when the outermost PrefsForRun began, or at its last run end
bool set_for_run[KEPT]; // set by the load or switch under way
bool captured = false;
int depth = 0; // PrefsForRun alive

Value live(const Kept& k) {
    Value v{};
    std::memcpy(v.data(), k.at, k.size);
    return v;
}

void put(const Kept& k, const Value& v) {
    std::memcpy(k.at, v.data(), k.size);
}

void take_all() {
    for (std::size_t i = 0; i < KEPT; i++)
        user[i] = applied[i] = live(kept[i]);
    captured = true;
}

// What changed since the last load or switch was changed by the user.
void settle() {
    if (!captured) {
        take_all();
        return;
    }
    for (std::size_t i = 0; i < KEPT; i++) {
        const Value now = live(kept[i]);
        if (now != applied[i]) user[i] = applied[i] = now;
    }
}

void mark_applied() {
    for (std::size_t i = 0; i < KEPT; i++)
        applied[i] = live(kept[i]);
}

Value running[KEPT]; // put aside while PrefsUserChoice lives

} // namespace

PrefsForRun::PrefsForRun(bool active) : active_(active) {
    if (!active_ || depth++ != 0) return;
    settle();
    for (std::size_t i = 0; i < KEPT; i++) {
        seen[i] = live(kept[i]);
        set_for_run[i] = false;
    }
}

PrefsForRun::~PrefsForRun() {
    if (active_ && --depth == 0) mark_applied();
}

PrefsUserChoice::PrefsUserChoice(bool active) : active_(active) {
    if (!active_) return;
    // Inside a load what changed so far is the load's.
    if (depth == 0) settle();
    if (!captured) take_all();
    for (std::size_t i = 0; i < KEPT; i++) {
        running[i] = live(kept[i]);
        put(kept[i], user[i]);
    }
}

PrefsUserChoice::~PrefsUserChoice() {
    if (!active_) return;
    for (std::size_t i = 0; i < KEPT; i++)
        put(kept[i], running[i]);
}

void prefs_take_user_choice() {
    take_all();
}

void prefs_end_run() {
    if (depth == 0) return;
    for (std::size_t i = 0; i < KEPT; i++) {
        if (live(kept[i]) != seen[i]) set_for_run[i] = true;
        if (!set_for_run[i]) put(kept[i], user[i]);
        seen[i] = live(kept[i]);
    }
}

void prefs_restore_paddles() {
    if (!captured) take_all();
    for (std::size_t i = 0; i < PADDLES; i++)
        put(kept[i], user[i]);
}
