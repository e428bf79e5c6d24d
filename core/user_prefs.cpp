#include "core/user_prefs.h"

#include "core/settings_vars.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace {

using Kept = PrefsKept;

template <typename T> constexpr Kept keep(T& variable, const char* key) {
    static_assert(sizeof(T) <= 4);
    return {&variable, sizeof(T), key};
}

// Every setting a load, a state, a games-database row, a machine's set-up or
// a playback writes, but those that make the machine what it is: the memory
// map, and the monitor, disk system and chip that choose its ROMs and map,
// are written as they run, so that the settings name one machine.
const Kept kept[] = {
    // the paddles (the first PADDLES): a games-database row and a machine's
    // set-up may bring their own
    keep(sensitivity_left, "sensitivity_left"), keep(sensitivity_right, "sensitivity_right"),
    keep(analog, "analog"), keep(swapped, "swapped"),
    // video: the machine's standard, a game's colours (the stretch is kept
    // per kind of machine, below)
    keep(emu_region, "region"), keep(darkenbg, "darkenbg"), keep(flagline, "flagline"),
    keep(blankingareas, "blankingareas"),
    // serial lines, terminals, drives, clocks and board switches
    keep(pipbug_baudrate, "pipbug_baudrate"), keep(pipbug_vdu, "pipbug_vdu"),
    keep(pipbug_peripheral, "pipbug_peripheral"), keep(binbug_baudrate, "binbug_baudrate"),
    keep(binbug_userdrives, "binbug_userdrives"), keep(cd2650_vdu, "cd2650_vdu"),
    keep(cd2650_userdrives, "cd2650_userdrives"), keep(fast_selbst, "fastselbstbaucomputer"),
    keep(si50_interrupts, "si50_interrupts"), keep(si50_intselector, "si50_intselector"),
    keep(si50_parallelio, "si50_parallelio"), keep(si50_toggles, "si50_toggles"),
    keep(twin_printerunit, "twin_printerunit"), keep(debugger_drive, "debugger_drive"),
    // the ball-and-paddle games' switches
    keep(pong_variant, "pong_variant"), keep(pong_players, "pong_players"),
    keep(pong_angles, "pong_angles"), keep(pong_speed, "pong_speed"),
    keep(pong_serving, "pong_serving"), keep(pong_lockhorizontal, "pong_lockhorizontal"),
    keep(pong_playerid, "pong_playerid"), keep(pong_batsizes, "pong_batsizes"),
    // the coin-op boards' DIP switches
    keep(dips_astrowars, "dips_astrowars"), keep(dips_astrowars_2, "dips_astrowars_2"),
    keep(dips_galaxia, "dips_galaxia"), keep(dips_laserbattle, "dips_laserbattle"),
    keep(dips_lazarian_2, "dips_lazarian_2"), keep(dips_lazarian_3, "dips_lazarian_3")};

constexpr std::size_t KEPT = std::size(kept), PADDLES = 4;
using Value = std::array<unsigned char, 4>;

Value live(const Kept& k);
// The settings as the program starts, before any file is read: each one's
// default, what the user's own value is while nobody chose it.
const std::array<Value, KEPT> defaults = [] {
    std::array<Value, KEPT> all{};
    for (std::size_t i = 0; i < KEPT; i++)
        all[i] = live(kept[i]);
    return all;
}();

Value user[KEPT];       // the user's own choice
Value seen[KEPT];       // what held when the outermost PrefsForRun began, or at its last run end
bool set_for_run[KEPT]; // set by the load or switch under way
bool chosen[KEPT];      // the user has chosen it: a set-up's own value gives way to it
Value own[KEPT];        // the value the running machine's set-up offered
bool has_own[KEPT];     // the running machine's set-up offered one
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
        user[i] = live(kept[i]);
    captured = true;
}

void capture() {
    if (!captured) take_all();
}

Value running[KEPT]; // put aside while PrefsUserChoice lives

std::size_t index_of(const void* at) {
    for (std::size_t i = 0; i < KEPT; i++)
        if (kept[i].at == at) return i;
    return KEPT;
}

} // namespace

std::size_t prefs_kept_count() {
    return KEPT;
}

const PrefsKept& prefs_kept(std::size_t i) {
    return kept[i < KEPT ? i : 0];
}

void prefs_user_chose(const void* at) {
    const std::size_t i = index_of(at);
    // What a load, a switch or a playback's frame sets holds for its run.
    if (i == KEPT || depth != 0) return;
    capture();
    user[i] = live(kept[i]);
    chosen[i] = true;
}

void prefs_give_back(const void* at) {
    const std::size_t i = index_of(at);
    if (i == KEPT || depth != 0) return;
    capture();
    user[i] = defaults[i];
    chosen[i] = false;
}

bool prefs_is_chosen(const void* at) {
    const std::size_t i = index_of(at);
    return i != KEPT && chosen[i];
}

bool prefs_setup_may_set(const void* at) {
    const std::size_t i = index_of(at);
    return i == KEPT || !chosen[i];
}

bool prefs_setup_offers(const void* at, const void* value) {
    const std::size_t i = index_of(at);
    if (i == KEPT) return true;
    own[i] = Value{};
    std::memcpy(own[i].data(), value, kept[i].size);
    has_own[i] = true;
    return prefs_setup_may_set(at);
}

bool prefs_run_own(const void* at, void* value) {
    const std::size_t i = index_of(at);
    if (i == KEPT || !has_own[i]) return false;
    std::memcpy(value, own[i].data(), kept[i].size);
    return true;
}

std::string prefs_chosen_keys() {
    std::string keys;
    for (std::size_t i = 0; i < KEPT; i++) {
        if (!chosen[i]) continue;
        if (!keys.empty()) keys += ',';
        keys += kept[i].key;
    }
    return keys;
}

namespace {
bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
bool same_name(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) &&
           std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}
} // namespace

std::string prefs_read_chosen_keys(const std::string& keys, bool (*in_file)(const char* key)) {
    for (std::size_t i = 0; i < KEPT; i++)
        chosen[i] = in_file && in_file(kept[i].key) && user[i] != defaults[i];
    std::string unknown;
    for (std::size_t at = 0; at <= keys.size();) {
        std::size_t end = keys.find(',', at);
        if (end == std::string::npos) end = keys.size();
        std::size_t from = at, to = end;
        while (from < to && is_blank(keys[from]))
            from++;
        while (to > from && is_blank(keys[to - 1]))
            to--;
        const std::string name = keys.substr(from, to - from);
        at = end + 1;
        if (name.empty()) continue;
        std::size_t i = 0;
        while (i < KEPT && !same_name(name, kept[i].key))
            i++;
        if (i < KEPT)
            chosen[i] = true;
        else
            unknown += (unknown.empty() ? "" : ", ") + name;
    }
    return unknown;
}

PrefsForRun::PrefsForRun(bool active) : active_(active) {
    if (!active_ || depth++ != 0) return;
    capture();
    for (std::size_t i = 0; i < KEPT; i++) {
        seen[i] = live(kept[i]);
        set_for_run[i] = false;
    }
}

PrefsForRun::~PrefsForRun() {
    if (active_) --depth;
}

PrefsUserChoice::PrefsUserChoice(bool active) : active_(active) {
    if (!active_) return;
    capture();
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

void prefs_reset() {
    for (bool& c : chosen)
        c = false;
    for (bool& h : has_own)
        h = false;
    captured = false;
}

void prefs_end_run() {
    if (depth == 0) return;
    for (std::size_t i = 0; i < KEPT; i++) {
        has_own[i] = false; // the machine to come offers its own
        if (live(kept[i]) != seen[i]) set_for_run[i] = true;
        if (!set_for_run[i]) put(kept[i], user[i]);
        seen[i] = live(kept[i]);
    }
}

void prefs_restore_paddles() {
    capture();
    for (std::size_t i = 0; i < PADDLES; i++)
        put(kept[i], user[i]);
}

// The stretch the user chose, apart for the machines whose default stretch is
// 1 and those whose default is 2 (indexed by it; 0: none chosen), and the ones
// read from the settings file, which belong to the machine of the next switch
// and to the other kind; until that switch takes them they are what is kept.
namespace {
unsigned chosen_stretch[3];
unsigned stretch_read, other_stretch_read;
bool stretches_pending;

unsigned kind_index(unsigned kind) {
    return kind == 2 ? 2 : 1;
}
} // namespace

void prefs_user_chose_stretch(unsigned kind, unsigned stretch) {
    if (depth == 0) chosen_stretch[kind_index(kind)] = stretch;
}

void prefs_stretch_read(unsigned stretch, unsigned other_kind) {
    if (stretch) stretch_read = stretch;
    other_stretch_read = other_kind;
    stretches_pending = true;
}

unsigned prefs_take_stretch(unsigned kind) {
    const unsigned k = kind_index(kind);
    if (stretch_read) chosen_stretch[k] = stretch_read;
    if (other_stretch_read) chosen_stretch[3 - k] = other_stretch_read;
    stretch_read = other_stretch_read = 0;
    stretches_pending = false;
    return chosen_stretch[k];
}

unsigned prefs_other_kind_stretch(unsigned kind) {
    return stretches_pending ? other_stretch_read : chosen_stretch[3 - kind_index(kind)];
}

void prefs_forget_stretches() {
    chosen_stretch[1] = chosen_stretch[2] = stretch_read = other_stretch_read = 0;
    stretches_pending = false;
}
