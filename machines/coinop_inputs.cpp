#include "machines/coinop_inputs.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "cpu/cpu.h"
#include "input/console_buttons.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "machines/coinop_video.h"
#include "machines/pvi2636.h"
#include "machines/zaccaria.h"
#include "sound/effects.h"
#include "input/controls.h"

namespace {

// Console functions active last frame (start 1, start 2, coin A, coin B) and
// the Malzak test-switch key.
bool console_was_active[CONSOLE_BUTTONS];
bool switch_key_was_held;

bool astro_or_galaxia() {
    return memmap == 22 || memmap == 23;
}
bool laser_battle() {
    return memmap == 24 || memmap == 25;
}

u32 port_bits_of(int controller) {
    const i32 kind = controller == 0 ? controller_left : controller_right;
    if (kind == 2 || kind == 5 || kind == 7) return joy_bits[0];
    if (kind == 3 || kind == 4 || kind == 6 || kind == 8) return joy_bits[1];
    return 0;
}

bool key_held(int controller, int guest_key) {
    const u16 key = player_keys[controller & 1][guest_key];
    return key < RAW_NONE && host_key_down(key);
}

// The console functions: each from its host key or toolbar hold, or a pad
// bit of either port (coin B has none).
bool console_active(int k) {
    static constexpr u32 PAD_BITS[CONSOLE_BUTTONS] = {JOY_START, JOY_REVERSE, JOY_FORWARD, 0};
    return input_console_button_held(k) || ((joy_bits[0] | joy_bits[1]) & PAD_BITS[k]) != 0;
}

u8 position_of(u32 low, u32 high) {
    return low == high ? 128 : high ? 255 : 0;
}

// The DIP bytes a frame record carries after the flags, for the current game.
struct DipRef {
    u8* bytes[2];
    u32 count;
};
DipRef record_dips() {
    switch (memmap) {
    case 22:
        return {{&dips_astrowars, &dips_astrowars_2}, 2};
    case 23:
        return {{&dips_galaxia, nullptr}, 1};
    case 24:
        return {{&dips_laserbattle, nullptr}, 1};
    case 25:
        return {{&dips_lazarian_2, &dips_lazarian_3}, 2};
    default:
        return {{&guest_memory[0x14CC], nullptr}, 1};
    }
}

void play_back_frame() {
    const u8 b0 = rec_read_byte(), b1 = rec_read_byte();
    coinop_unpack_inputs(b0, b1);
    const DipRef dips = record_dips();
    for (u32 i = 0; i < dips.count; i++) {
        const u8 v = rec_read_byte();
        if (*dips.bytes[i] != v) {
            *dips.bytes[i] = v;
            ui_mark(UI_DIP_GADGETS);
        }
    }
    const CoinopInputs& in = coinop_inputs;
    paddle_x[0] = position_of(in.left, in.right);
    if (machine == MALZAK) {
        paddle_y[0] = paddle_x[1] = paddle_y[1] = 128;
        return;
    }
    paddle_y[0] = position_of(in.up, in.down);
    paddle_x[1] = position_of(in.left2, in.right2);
    paddle_y[1] = 128;
}

void record_frame() {
    for (u8 b : coinop_pack_inputs())
        rec_write_byte(b);
    const DipRef dips = record_dips();
    for (u32 i = 0; i < dips.count; i++)
        rec_write_byte(*dips.bytes[i]);
}

void read_both_players() {
    const int first = swapped ? 1 : 0;
    // Only the first player's controller takes the force-feedback request.
    rumble_request[1] = 0;
    coinop_read_controls(first, 0);
    if (machine == ZACCARIA) coinop_read_controls(1 - first, 1);
    rumble_request[0] = rumble_request[1] = 0;
}

} // namespace

void coinop_inputs_reset() {
    for (bool& b : console_was_active)
        b = false;
    switch_key_was_held = false;
}

void coinop_read_controls(int controller, int player) {
    controller &= 1;
    CoinopInputs& in = coinop_inputs;
    const bool second = astro_or_galaxia() && player == 1;
    const u32 port = port_bits_of(controller);
    const bool fire = (port & JOY_BUTTON1) != 0 || key_held(controller, GK_FIRE1);
    const bool autofire = controller == 0 ? autofire_left : autofire_right;
    const bool need_button = controller == 0 ? requirebutton_left : requirebutton_right;
    if (autofire) {
        if (!need_button || fire) {
            const u32 period = autofire_period > 0 ? static_cast<u32>(autofire_period) : 1;
            if (laser_battle()) {
                if (frame_counter % 2 == 0) in.button4 = 1;
            } else if (frame_counter % period < static_cast<u32>(autofire_duty)) {
                (second ? in.button3 : in.button1) = 1;
            }
        }
    } else if (fire) {
        (second ? in.button3 : in.button1) = 1;
    }
    static constexpr int FIRE_KEYS[3] = {GK_FIRE2, GK_FIRE3, GK_FIRE4};
    u32* const laser_buttons[3] = {&in.button2, &in.button3, &in.button4};
    for (int b = 0; b < 3; b++) {
        if (!(port & (JOY_BUTTON1 << (b + 1))) && !key_held(controller, FIRE_KEYS[b])) continue;
        if (second)
            in.button3 = 1;
        else if (laser_battle())
            *laser_buttons[b] = 1;
        else
            in.button1 = 1;
    }
    input_update_paddle(controller, player);
    const i32 x = paddle_x[player & 1], y = paddle_y[player & 1];
    if (x < 65) (second ? in.left2 : in.left) = 1;
    if (x > 191) (second ? in.right2 : in.right) = 1;
    if (!second) {
        if (y < 65) in.up = 1;
        if (y > 191) in.down = 1;
    }
}

void coinop_poll_inputs() {
    host_read_joysticks(0);
    host_read_joysticks(1);
    if (rec_state == REC_PLAYBACK) {
        play_back_frame();
    } else {
        const CoinopInputs last = coinop_inputs;
        coinop_inputs = CoinopInputs{};
        read_both_players();
        u32* const flags[CONSOLE_BUTTONS] = {&coinop_inputs.start1, &coinop_inputs.start2,
                                             &coinop_inputs.coin_a, &coinop_inputs.coin_b};
        const u32 was[CONSOLE_BUTTONS] = {last.start1, last.start2, last.coin_a, last.coin_b};
        for (int k = 0; k < CONSOLE_BUTTONS; k++) {
            const bool active = console_active(k);
            if (active && !console_was_active[k]) {
                *flags[k] = 1;
                if (k >= 2 && teletypesounds && !was[k]) snd_play_effect(3);
            }
            console_was_active[k] = active;
        }
        input_virtual_key_apply();
        if (rec_state == REC_RECORDING) record_frame();
    }
    if (memmap == 23) pvi_write_register(0x7214, coinop_port_value(0), false);
    input_console_buttons_tick();
}

void malzak_poll_inputs() {
    host_read_joysticks(0);
    host_read_joysticks(1);
    if (rec_state == REC_PLAYBACK) {
        play_back_frame();
        input_console_buttons_tick();
        return;
    }
    const u32 coin_before = coinop_inputs.coin_a;
    coinop_inputs = CoinopInputs{};
    read_both_players();
    CoinopInputs& in = coinop_inputs;
    in.start1 = console_active(0);
    in.start2 = console_active(1);
    // The coin slot reads 1 while no coin is in it.
    const bool coin = console_active(2);
    in.coin_a = !coin;
    if (coin && coin_before && teletypesounds) snd_play_effect(3);
    const bool switch_key = console_active(3);
    if (memmap == 27 && switch_key_was_held && !switch_key) {
        int position = malzak_test_switch_position();
        if (position < 0) position = 0;
        position = (position + (host_shift_down() ? 3 : 1)) & 3;
        malzak_test_switch_set(position);
    }
    switch_key_was_held = switch_key;
    input_virtual_key_apply();
    if (rec_state == REC_RECORDING) record_frame();
    input_console_buttons_tick();
}

std::array<u8, 2> coinop_pack_inputs() {
    const CoinopInputs& in = coinop_inputs;
    auto bits = [](std::initializer_list<u32> flags) {
        u32 v = 0;
        for (u32 f : flags)
            v = v << 1 | (f & 1);
        return v;
    };
    return {static_cast<u8>(bits(
                {in.start1, in.start2, in.coin_a, in.coin_b, in.left, in.right, in.up, in.down})),
            static_cast<u8>(
                bits({in.left2, in.right2, in.button1, in.button3, in.button4, in.button2, 0, 0}))};
}

void coinop_unpack_inputs(u8 byte0, u8 byte1) {
    CoinopInputs& in = coinop_inputs;
    u32* const first[8] = {&in.start1, &in.start2, &in.coin_a, &in.coin_b,
                           &in.left,   &in.right,  &in.up,     &in.down};
    u32* const second[6] = {&in.left2,   &in.right2,  &in.button1,
                            &in.button3, &in.button4, &in.button2};
    for (int i = 0; i < 8; i++)
        *first[i] = (byte0 >> (7 - i)) & 1;
    for (int i = 0; i < 6; i++)
        *second[i] = (byte1 >> (7 - i)) & 1;
}

void coinop_save_inputs() {
    CoinopInputs& in = coinop_inputs;
    u32* const fields[14] = {&in.start1,  &in.start2,  &in.coin_a,  &in.coin_b, &in.button1,
                             &in.button3, &in.button4, &in.button2, &in.left,   &in.right,
                             &in.up,      &in.down,    &in.left2,   &in.right2};
    for (u32* f : fields)
        state_field_u32(f);
    state_field_u32(&coinop_autocoin_countdown);
}

// ---- DIP switches ----------------------------------------------------------------------------

const char* const coinop_dip_labels[COINOP_DIPS] = {
    "Coin A",
    "Coin B",
    "Lives",
    "High score",
    "Detect collisions?",
    "_Freeze?",
    "Rapid fire?",
    "Calibration grid?",
};

namespace {

// A field of a DIP byte: `mask` at `shift`, set by the user.
void put(u8* byte, u32 shift, u32 mask, u32 value) {
    *byte = static_cast<u8>((*byte & ~(mask << shift)) | ((value & mask) << shift));
    prefs_user_chose(byte);
}
u32 get(u8 byte, u32 shift, u32 mask) {
    return (byte >> shift) & mask;
}

// Choices and field values of the lists that are not plain counts.
constexpr int HIGH_SCORE_VALUES[5] = {0, 1, 3, 5, 7};
constexpr int LASER_LIVES_VALUES[6] = {0, 1, -1, 2, 3, 4}; // choice 2 is not a setting

// The DIP byte of the current Zaccaria game and the games' own rules.
u8* main_dips() {
    switch (memmap) {
    case 22:
        return &dips_astrowars;
    case 23:
        return &dips_galaxia;
    case 24:
        return &dips_laserbattle;
    case 25:
        return &dips_lazarian_2;
    default:
        return nullptr;
    }
}

bool in_range(int choice, int low, int high) {
    return choice >= low && choice <= high;
}

} // namespace

bool coinop_dip_enabled(int dip) {
    switch (memmap) {
    case 22:
        return dip == DIP_COIN_A || dip == DIP_COIN_B || dip == DIP_LIVES ||
               dip == DIP_HIGH_SCORE || dip == DIP_FREEZE;
    case 23:
        return dip == DIP_COIN_A || dip == DIP_COIN_B || dip == DIP_LIVES || dip == DIP_FREEZE;
    case 24:
        return dip == DIP_COIN_A || dip == DIP_COIN_B || dip == DIP_LIVES || dip == DIP_COLLISIONS;
    case 25:
        return dip >= 0 && dip < COINOP_DIPS && dip != DIP_HIGH_SCORE;
    default:
        return false;
    }
}

bool coinop_dip_set(int dip, int choice) {
    if (!coinop_dip_enabled(dip)) return false;
    u8* const byte = main_dips();
    const bool lazarian = memmap == 25, laser = memmap == 24;
    switch (dip) {
    case DIP_COIN_A:
        if (lazarian) {
            if (!in_range(choice, 0, 3)) return false;
            put(byte, 0, 3, static_cast<u32>(choice));
        } else {
            if (!in_range(choice, 1, 4)) return false;
            put(byte, 0, 3, static_cast<u32>(choice - 1));
        }
        return true;
    case DIP_COIN_B:
        if (laser || lazarian) {
            if (!in_range(choice, 2, 5)) return false;
            put(byte, 2, 3, static_cast<u32>(choice - 2));
        } else {
            if (!in_range(choice, 0, 1)) return false;
            put(byte, 2, 1, static_cast<u32>(choice));
        }
        return true;
    case DIP_LIVES:
        if (lazarian) {
            if (!in_range(choice, 0, 3)) return false;
            put(byte, 4, 3, static_cast<u32>(choice));
        } else if (laser) {
            if (!in_range(choice, 0, 5) || LASER_LIVES_VALUES[choice] < 0) return false;
            put(byte, 4, 7, static_cast<u32>(LASER_LIVES_VALUES[choice]));
        } else {
            if (choice != 1 && choice != 3) return false;
            put(byte, 3, 1, choice == 3 ? 1 : 0);
        }
        return true;
    case DIP_HIGH_SCORE:
        if (!in_range(choice, 0, 4)) return false;
        put(&dips_astrowars_2, 0, 7, static_cast<u32>(HIGH_SCORE_VALUES[choice]));
        return true;
    case DIP_COLLISIONS:
    case DIP_GRID:
        if (!in_range(choice, 0, 1)) return false;
        put(byte, dip == DIP_COLLISIONS ? 7 : 6, 1, static_cast<u32>(choice));
        return true;
    case DIP_FREEZE:
        if (!in_range(choice, 0, 1)) return false;
        if (lazarian)
            put(&dips_lazarian_3, 2, 1, static_cast<u32>(choice));
        else
            put(byte, 7, 1, choice ? 0 : 1); // the switch is active low
        return true;
    case DIP_RAPID_FIRE:
        if (!in_range(choice, 0, 1)) return false;
        put(&dips_lazarian_3, 1, 1, static_cast<u32>(choice));
        return true;
    default:
        return false;
    }
}

int coinop_dip_choice(int dip) {
    if (!coinop_dip_enabled(dip)) return -1;
    const u8 byte = *main_dips();
    const bool lazarian = memmap == 25, laser = memmap == 24;
    switch (dip) {
    case DIP_COIN_A:
        return static_cast<int>(get(byte, 0, 3)) + (lazarian ? 0 : 1);
    case DIP_COIN_B:
        return laser || lazarian ? static_cast<int>(get(byte, 2, 3)) + 2
                                 : static_cast<int>(get(byte, 2, 1));
    case DIP_LIVES:
        if (lazarian) return static_cast<int>(get(byte, 4, 3));
        if (laser) {
            const u32 v = get(byte, 4, 7);
            return v <= 1 ? static_cast<int>(v) : v >= 4 ? 5 : static_cast<int>(v) + 1;
        }
        return get(byte, 3, 1) ? 3 : 1;
    case DIP_HIGH_SCORE: {
        // The highest choice whose value the field reaches.
        const int v = static_cast<int>(get(dips_astrowars_2, 0, 7));
        int choice = 0;
        for (int c = 0; c < 5; c++)
            if (HIGH_SCORE_VALUES[c] <= v) choice = c;
        return choice;
    }
    case DIP_COLLISIONS:
        return static_cast<int>(get(byte, 7, 1));
    case DIP_GRID:
        return static_cast<int>(get(byte, 6, 1));
    case DIP_FREEZE:
        return lazarian ? static_cast<int>(get(dips_lazarian_3, 2, 1)) : get(byte, 7, 1) ? 0 : 1;
    case DIP_RAPID_FIRE:
        return static_cast<int>(get(dips_lazarian_3, 1, 1));
    default:
        return -1;
    }
}

bool malzak_test_switch_set(int position) {
    if (position < 0 || position > 3) return false;
    guest_memory[0x14CC] = MALZAK_TEST_SWITCH[position];
    ui_mark(UI_DIP_GADGETS);
    return true;
}

int malzak_test_switch_position() {
    for (int p = 0; p < 4; p++)
        if (guest_memory[0x14CC] == MALZAK_TEST_SWITCH[p]) return p;
    return -1;
}
