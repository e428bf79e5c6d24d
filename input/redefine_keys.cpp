#include "input/redefine_keys.h"

#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/keys.h"

u8 redefine_player_keys[2][28];
u8 redefine_console_keys[4];
RedefineWait redefine_wait;

bool redefine_keys_available() {
    return machine_traits().redefine_keys || machine_live_row().pvi_count > 0;
}

void redefine_keys_load() {
    for (int p = 0; p < 2; p++)
        for (int k = 0; k < KEYPAD_KEYS; k++)
            redefine_player_keys[p][k] = static_cast<u8>(player_keys[p][k] & 0xFF);
    for (int i = 0; i < 4; i++)
        redefine_console_keys[i] = static_cast<u8>(console_keys[i] & 0xFF);
}

void redefine_keys_commit() {
    for (int p = 0; p < 2; p++)
        for (int k = 0; k < KEYPAD_KEYS; k++)
            player_keys[p][k] = redefine_player_keys[p][k];
    for (int i = 0; i < 4; i++)
        console_keys[i] = redefine_console_keys[i];
}

void redefine_keys_defaults() {
    for (int p = 0; p < 2; p++)
        for (int k = 0; k < KEYPAD_KEYS; k++)
            redefine_player_keys[p][k] = static_cast<u8>(default_player_keys[p][k]);
    for (int i = 0; i < 4; i++)
        redefine_console_keys[i] = static_cast<u8>(default_console_keys[i]);
}

bool redefine_keys_are_defaults() {
    for (int p = 0; p < 2; p++)
        for (int k = 0; k < KEYPAD_KEYS; k++)
            if (redefine_player_keys[p][k] != default_player_keys[p][k]) return false;
    for (int i = 0; i < 4; i++)
        if (redefine_console_keys[i] != default_console_keys[i]) return false;
    return true;
}

u8 redefine_pending(int column, int key) {
    if (column == REDEFINE_CONSOLE) return key >= 0 && key < 4 ? redefine_console_keys[key] : 0;
    if (column < 0 || column > 1 || key < 0 || key >= KEYPAD_KEYS) return 0;
    return redefine_player_keys[column][key];
}

bool redefine_key_shown(int column, int key) {
    if (column == REDEFINE_CONSOLE) return key >= 0 && key < 4;
    if (column < 0 || column > 1 || key < 0 || key >= KEYPAD_KEYS) return false;
    return palladium_redefinekeys || key < GK_EXTRA1 || key > GK_EXTRA1 + 3;
}

int redefine_gadget(int column, int key) {
    if (!redefine_key_shown(column, key)) return -1;
    if (column == REDEFINE_CONSOLE) return GID_REDEF_CONSOLE + key;
    return (column ? GID_REDEF_RIGHT : GID_REDEF_LEFT) + key;
}

namespace {

void stop_waiting() {
    redefine_wait = RedefineWait{};
}

void wait_for(int gid) {
    if (gid < GID_REDEF_LEFT)
        redefine_wait = {REDEFINE_CONSOLE, gid - GID_REDEF_CONSOLE};
    else if (gid < GID_REDEF_RIGHT)
        redefine_wait = {0, gid - GID_REDEF_LEFT};
    else
        redefine_wait = {1, gid - GID_REDEF_RIGHT};
}

void reset_to_defaults() {
    redefine_keys_defaults();
    stop_waiting();
}

// The waiting button takes raw key `code` unless the emulator keeps the key.
void capture(int code) {
    if (key_table[code].reserved) return;
    const u8 c = static_cast<u8>(code);
    if (redefine_wait.column == REDEFINE_CONSOLE)
        redefine_console_keys[redefine_wait.key] = c;
    else
        redefine_player_keys[redefine_wait.column][redefine_wait.key] = c;
    stop_waiting();
}

} // namespace

RedefineClose redefine_on_gadget(int gid, int value) {
    stop_waiting();
    if (gid >= GID_REDEF_CONSOLE && gid <= GID_REDEF_LAST) {
        wait_for(gid);
        return RedefineClose::NONE;
    }
    switch (gid) {
    case GID_REDEF_RESET:
        reset_to_defaults();
        return RedefineClose::NONE;
    case GID_REDEF_OK:
        return RedefineClose::OK;
    case GID_REDEF_CANCEL:
        return RedefineClose::CANCEL;
    case GID_REDEF_PALLADIUM:
        palladium_redefinekeys = value ? 1 : 0;
        return RedefineClose::TOGGLE;
    default:
        return RedefineClose::NONE;
    }
}

RedefineClose redefine_on_key(int code) {
    if (code < 0 || code >= RAW_KEYS) return RedefineClose::NONE; // releases
    if (redefine_wait.column >= 0) {
        if (code == RAW_ESC)
            stop_waiting();
        else
            capture(code);
        return RedefineClose::NONE;
    }
    switch (code) {
    case 0x13: // R
        reset_to_defaults();
        return RedefineClose::NONE;
    case 0x18: // O
    case RAW_ENTER:
    case RAW_RETURN:
        return RedefineClose::OK;
    case 0x33: // C
    case RAW_ESC:
        return RedefineClose::CANCEL;
    default:
        return RedefineClose::NONE;
    }
}

// ---- the memory maps' guest-key flags -------------------------------------------------

void guest_key_flag(int flag, int* column, int* key) {
    static constexpr int FIRE[4] = {GK_FIRE1, GK_FIRE2, GK_FIRE3, GK_FIRE4};
    static constexpr int DIRS[4] = {GK_LEFT, GK_RIGHT, GK_UP, GK_DOWN};
    *column = -1;
    *key = -1;
    if (flag < 0 || flag >= GUEST_KEYS) return;
    if (flag < 4) {
        *column = REDEFINE_CONSOLE, *key = flag;
    } else if (flag < 12) {
        *column = (flag - 4) / 4, *key = GK_EXTRA1 + (flag - 4) % 4;
    } else if (flag < 20) {
        *column = (flag - 12) / 4, *key = FIRE[(flag - 12) % 4];
    } else if (flag < 36) {
        // Directions then diagonals, the left player's eight before the right's.
        const int n = flag - 20;
        *column = n / 8;
        *key = n % 8 < 4 ? DIRS[n % 4] : GK_UP_LEFT + n % 4;
    } else {
        *column = (flag - 36) / 12, *key = GK_KEYPAD1 + (flag - 36) % 12;
    }
}

int redefine_flag_gadget(int flag, bool extras_shown) {
    int column, key;
    guest_key_flag(flag, &column, &key);
    if (column < 0) return -1;
    const bool extra = column != REDEFINE_CONSOLE && key >= GK_EXTRA1 && key < GK_EXTRA1 + 4;
    if (extra && !extras_shown) return -1;
    if (column == REDEFINE_CONSOLE) return GID_REDEF_CONSOLE + key;
    return (column ? GID_REDEF_RIGHT : GID_REDEF_LEFT) + key;
}

int gameinfo_key_gadget(int player, int key) {
    if (player < 0 || player > 1) return -1;
    if (key >= GK_EXTRA1 && key < GK_EXTRA1 + 4) return GID_INFO_EXTRA + 4 * player + key - GK_EXTRA1;
    if (key >= GK_KEYPAD1 && key < GK_EXTRA1) return GID_INFO_KEYPAD + 12 * player + key - GK_KEYPAD1;
    return -1;
}

int gameinfo_flag_gadget(int flag, bool extras_shown) {
    int column, key;
    guest_key_flag(flag, &column, &key);
    if (column == REDEFINE_CONSOLE) return -1;
    if (!extras_shown && key >= GK_EXTRA1 && key < GK_EXTRA1 + 4) return -1;
    return gameinfo_key_gadget(column, key);
}
