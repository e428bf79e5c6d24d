#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/keys.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class Keys : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
};

// ---- Key state ------------------------------------------------------------------------

TEST_F(Keys, EachCodeOwnsOneBitOfTheMatrixLowBitFirst) {
    for (u32 code = 0; code < 128; code++) {
        input_clear_key_matrix();
        host_key_set(code);
        for (int byte = 0; byte < 16; byte++)
            EXPECT_EQ(host_key_matrix[byte], byte == int(code / 8) ? 1u << (code % 8) : 0u)
                << "code " << code << " byte " << byte;
        EXPECT_EQ(host_key_down(code), 1);
        host_key_clear(code);
        EXPECT_EQ(host_key_down(code), 0);
    }
}

TEST_F(Keys, ModifierTestsReadTheirKeysAndLatches) {
    struct Case {
        u32 key;
        int ctrl, shift, left, right, alt;
    } cases[] = {
        {RAW_CTRL, 1, 0, 0, 0, 0},   {RAW_LSHIFT, 0, 1, 1, 0, 0}, {RAW_RSHIFT, 0, 1, 0, 1, 0},
        {RAW_LALT, 0, 0, 0, 0, 1},   {RAW_RALT, 0, 0, 0, 0, 1},   {RAW_CAPS, 0, 0, 0, 0, 0},
        {RAW_RAMIGA, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        input_clear_key_matrix();
        host_key_set(c.key);
        EXPECT_EQ(host_ctrl_down(), c.ctrl) << c.key;
        EXPECT_EQ(host_shift_down(), c.shift) << c.key;
        EXPECT_EQ(host_left_shift_down(), c.left) << c.key;
        EXPECT_EQ(host_right_shift_down(), c.right) << c.key;
        EXPECT_EQ(host_alt_down(), c.alt) << c.key;
    }
    input_clear_key_matrix();
    ctrl_latch = 1;
    EXPECT_EQ(host_ctrl_down(), 1) << "the on-screen Ctrl counts with no key held";
    left_shift_latch = 1;
    EXPECT_EQ(host_left_shift_down(), 1);
    EXPECT_EQ(host_shift_down(), 0) << "the Shift latches do not count for plain Shift";
}

TEST_F(Keys, TypeRightOnScreenShiftsCountOnlyOnTheTypeRight) {
    controls_marked[49] = 1;
    EXPECT_EQ(host_shift_down(), 0);
    EXPECT_EQ(host_left_shift_down(), 0);
    machine = TYPERIGHT;
    EXPECT_EQ(host_shift_down(), 1);
    EXPECT_EQ(host_left_shift_down(), 1);
    EXPECT_EQ(host_right_shift_down(), 0);
}

TEST_F(Keys, ReopeningClearsOnlyShiftsAndCtrl) {
    for (u32 k : {RAW_LSHIFT, RAW_RSHIFT, RAW_CTRL, RAW_CAPS, RAW_LALT, RAW_RAMIGA})
        host_key_set(k);
    input_clear_modifier_keys();
    EXPECT_FALSE(host_key_down(RAW_LSHIFT) || host_key_down(RAW_RSHIFT) || host_key_down(RAW_CTRL));
    EXPECT_TRUE(host_key_down(RAW_CAPS) && host_key_down(RAW_LALT) && host_key_down(RAW_RAMIGA));
}

// ---- Key table ----------------------------------------------------------------------------

TEST_F(Keys, TableRowsDescribeTheirOwnCodes) {
    for (int i = 0; i < RAW_KEYS; i++) {
        const KeyTableRow& r = key_table[i];
        ASSERT_NE(r.name, nullptr);
        EXPECT_TRUE(r.raw == i || r.raw == -1) << i;
        if (r.raw == -1) {
            EXPECT_FALSE(r.on_a600 || r.on_a1000) << i;
        }
    }
    EXPECT_STREQ(key_table[0].name, "`");
    EXPECT_STREQ(key_table[13].name, "\\");
    EXPECT_STREQ(key_table[127].name, "($7F)");
    EXPECT_EQ(key_table[72].raw, -1);
    EXPECT_EQ(key_table[72].chars[KC_PLAIN], 0x19) << "PgUp types though no keyboard draws it";
    EXPECT_EQ(key_table[73].chars[KC_SHIFT], 0x18);
    EXPECT_FALSE(key_table[15].on_a600) << "keypad keys are not on the small keyboard";
    EXPECT_TRUE(key_table[15].on_a1000);
    EXPECT_FALSE(key_table[43].on_a1000);
}

TEST_F(Keys, CharacterColumnsSpotChecks) {
    struct Case {
        int row, column;
        u16 ch;
    } cases[] = {
        {32, KC_PLAIN, 'a'},
        {32, KC_CAPS + 1, 'A'},
        {32, KC_SHIFT + 2, 'A'},
        {32, KC_CTRL, 0x01},
        {55, KC_CTRL_SHIFT, 0x0D},
        {32, KC_TR, 'a'},
        {32, KC_TR_SHIFT, 'A'},
        {2, KC_SHIFT, '@'},
        {2, KC_SHIFT + 1, '"'},
        {2, KC_CTRL_SHIFT, 0x00},
        {0, KC_PLAIN + 1, 0x7F},
        {0, KC_CTRL_SHIFT, 0x1A},
        {11, KC_PLAIN + 2, ':'},
        {11, KC_SHIFT + 2, '*'},
        {12, KC_PLAIN + 1, '^'},
        {14, KC_PLAIN, KEY_NO_CHAR},
        {14, KC_CAPS + 1, 0x00},
        {26, KC_TR, '='},
        {42, KC_PLAIN + 2, 0x08},
        {48, KC_PLAIN, KEY_TYPE_TITLE},
        {48, KC_SHIFT, KEY_NO_CHAR},
        {58, KC_CTRL_SHIFT, 0xFF},
        {68, KC_PLAIN + 1, 0x0A},
        {69, KC_SHIFT, KEY_NO_CHAR},
        {70, KC_PLAIN + 1, KEY_SWALLOW},
        {70, KC_SHIFT, KEY_TYPE_DATE},
        {70, KC_TR, 0x08},
        {95, KC_PLAIN, KEY_SWALLOW},
        {112, KC_PLAIN, 0x1C},
        {6, KC_TR_SHIFT, '-'},
        {84, KC_PLAIN, KEY_NO_CHAR},
    };
    for (const Case& c : cases)
        EXPECT_EQ(key_table[c.row].chars[c.column], c.ch) << "row " << c.row << " col " << c.column;
}

TEST_F(Keys, CatalogNamesReplaceEighteenBuiltInNames) {
    key_table_localise();
    EXPECT_STREQ(key_table[118].name, "Rew.") << "the catalog's English name differs";
    EXPECT_STREQ(key_table[64].name, "Space");
}

// ---- Assignments ----------------------------------------------------------------------

TEST_F(Keys, StartUpAssignmentIsTheDefaultOne) {
    EXPECT_EQ(std::memcmp(default_player_keys, player_keys, sizeof player_keys), 0)
        << "the settings' start values and the restorable defaults agree";
    EXPECT_EQ(std::memcmp(default_console_keys, console_keys, sizeof console_keys), 0);
    EXPECT_STREQ(key_table[player_keys[0][GK_FIRE1]].name, "Space");
    EXPECT_STREQ(key_table[player_keys[0][GK_LEFT]].name, "Lt");
    EXPECT_STREQ(key_table[player_keys[1][GK_UP]].name, "I");
    EXPECT_STREQ(key_table[console_keys[0]].name, "F1");
    for (int k = GK_UP_LEFT; k <= GK_DOWN_RIGHT; k++)
        EXPECT_EQ(player_keys[0][k], RAW_NONE) << "no key presses the left diagonals";
}

TEST_F(Keys, GuestKeysExistingPerMachine) {
    struct Case {
        u32 machine, memmap;
        int key;
        int valid;
    } cases[] = {
        {ARCADIA, 6, 13, 1},   {INTERTON, 0, 13, 0},  {INTERTON, 0, 17, 1},  {ZACCARIA, 22, 17, 0},
        {ZACCARIA, 23, 19, 1}, {ZACCARIA, 24, 17, 1}, {ZACCARIA, 25, 27, 1}, {PIPBUG, 9, 0, 0},
        {PIPBUG, 9, 12, 1},    {PONG, 28, 0, 1},      {MALZAK, 26, 16, 0},   {ARCADIA, 6, 28, 0},
    };
    for (const Case& c : cases) {
        machine = c.machine;
        memmap = c.memmap;
        EXPECT_EQ(key_valid_for_machine(c.key), c.valid)
            << "machine " << c.machine << " map " << c.memmap << " key " << c.key;
    }
}

TEST_F(Keys, HostKeyClassesOnAGameMachine) {
    machine = ARCADIA;
    memmap = 6;
    EXPECT_EQ(input_find_guest_key(64), KEYCLASS_LEFT);
    EXPECT_EQ(input_find_guest_key(15), KEYCLASS_RIGHT);
    EXPECT_EQ(input_find_guest_key(80), KEYCLASS_CONSOLE);
    EXPECT_EQ(input_find_guest_key(25), KEYCLASS_RESERVED);
    EXPECT_EQ(input_find_guest_key(36), KEYCLASS_UNUSED);
    swapped = 1;
    EXPECT_EQ(input_find_guest_key(64), KEYCLASS_RIGHT);
    EXPECT_EQ(input_find_guest_key(15), KEYCLASS_LEFT);
    swapped = 0;
    player_keys[1][5] = 64;
    EXPECT_EQ(input_find_guest_key(64), KEYCLASS_SEVERAL);
}

TEST_F(Keys, HostKeyClassesOnKeyboardMachines) {
    machine = PIPBUG;
    EXPECT_EQ(input_find_guest_key(32), KEYCLASS_CONSOLE) << "a key that types";
    EXPECT_EQ(input_find_guest_key(RAW_CTRL), KEYCLASS_CONSOLE);
    EXPECT_EQ(input_find_guest_key(84), KEYCLASS_RESERVED);
    EXPECT_EQ(input_find_guest_key(80), KEYCLASS_UNUSED) << "console keys do not count here";
    machine = TYPERIGHT;
    EXPECT_EQ(input_find_guest_key(RAW_ESC), KEYCLASS_RESERVED);
    EXPECT_EQ(input_find_guest_key(80), KEYCLASS_CONSOLE);
    console_keys[1] = 32;
    EXPECT_EQ(input_find_guest_key(32), KEYCLASS_SEVERAL) << "types and is a console key";
}

TEST_F(Keys, ConsoleKeysCountOnlyWhereTheMachineReadsThem) {
    selbst_biosversion = 0; // the Selbstbaucomputer's hex keypad, no typing
    for (const u32 m : {MIKIT, SELBST}) {
        machine = m;
        EXPECT_EQ(input_find_guest_key(80), m == SELBST ? KEYCLASS_UNUSED : KEYCLASS_CONSOLE) << m;
    }
}

} // namespace
