// The Redefine Keys dialog's capture rules on the pending copy, and the
// memory maps' guest-key flags.
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/keys.h"
#include "input/redefine_keys.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class RedefineKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        redefine_keys_load();
        redefine_wait = RedefineWait{};
    }
    void TearDown() override { fresh_state(); }
};

constexpr int RAW_R = 0x13, RAW_O = 0x18, RAW_C = 0x33, RAW_X = 0x32;

} // namespace

TEST_F(RedefineKeys, CaptureTakesOnlyAssignableKeyPresses) {
    EXPECT_EQ(redefine_on_gadget(GID_REDEF_LEFT + GK_UP, 0), RedefineClose::NONE);
    EXPECT_EQ(redefine_wait.column, 0);
    EXPECT_EQ(redefine_wait.key, GK_UP);
    const u8 before = redefine_player_keys[0][GK_UP];
    for (int reserved : {int{RAW_P}, int{RAW_TAB}, 84 /* F5 */, int{RAW_CAPS}, int{RAW_CTRL},
                         int{RAW_LALT}, int{RAW_RAMIGA}, int{RAW_WHEEL_UP}})
        redefine_on_key(reserved);
    redefine_on_key(0x80 + RAW_X); // a release
    EXPECT_EQ(redefine_player_keys[0][GK_UP], before);
    EXPECT_EQ(redefine_wait.column, 0); // still waiting
    // While waiting R, O, C and Return are keys like any other.
    EXPECT_EQ(redefine_on_key(RAW_R), RedefineClose::NONE);
    EXPECT_EQ(redefine_player_keys[0][GK_UP], RAW_R);
    EXPECT_EQ(redefine_wait.column, -1);
    // The live assignment is untouched until OK.
    EXPECT_EQ(player_keys[0][GK_UP], default_player_keys[0][GK_UP]);

    // Esc only ends a wait; the slot keeps its code.
    redefine_on_gadget(GID_REDEF_CONSOLE + 1, 0);
    EXPECT_EQ(redefine_on_key(RAW_ESC), RedefineClose::NONE);
    EXPECT_EQ(redefine_wait.column, -1);
    EXPECT_EQ(redefine_console_keys[1], default_console_keys[1]);
    // A second button clicked while one waits takes the wait over.
    redefine_on_gadget(GID_REDEF_RIGHT + GK_FIRE1, 0);
    redefine_on_gadget(GID_REDEF_CONSOLE + 2, 0);
    redefine_on_key(RAW_RETURN);
    EXPECT_EQ(redefine_console_keys[2], RAW_RETURN);
    EXPECT_EQ(redefine_player_keys[1][GK_FIRE1], default_player_keys[1][GK_FIRE1]);
}

TEST_F(RedefineKeys, ShortcutsOnlyWhileIdleAndTheResetRule) {
    EXPECT_TRUE(redefine_keys_are_defaults());
    redefine_on_gadget(GID_REDEF_LEFT + GK_FIRE1, 0);
    redefine_on_key(RAW_X);
    EXPECT_FALSE(redefine_keys_are_defaults());
    EXPECT_EQ(redefine_on_key(RAW_R), RedefineClose::NONE); // idle: reset
    EXPECT_TRUE(redefine_keys_are_defaults());
    EXPECT_EQ(redefine_on_key(RAW_O), RedefineClose::OK);
    EXPECT_EQ(redefine_on_key(RAW_RETURN), RedefineClose::OK);
    EXPECT_EQ(redefine_on_key(RAW_ENTER), RedefineClose::OK);
    EXPECT_EQ(redefine_on_key(RAW_C), RedefineClose::CANCEL);
    EXPECT_EQ(redefine_on_key(RAW_ESC), RedefineClose::CANCEL);
    EXPECT_EQ(redefine_on_key(RAW_X), RedefineClose::NONE);

    // A capture back to the default code makes the copy equal again.
    redefine_on_gadget(GID_REDEF_LEFT + GK_FIRE1, 0);
    redefine_on_key(RAW_X);
    redefine_on_gadget(GID_REDEF_LEFT + GK_FIRE1, 0);
    redefine_on_key(default_player_keys[0][GK_FIRE1]);
    EXPECT_TRUE(redefine_keys_are_defaults());

    // Hidden extra keys keep their pending codes and go back with a reset.
    palladium_redefinekeys = 0;
    EXPECT_EQ(redefine_gadget(0, GK_EXTRA1), -1);
    redefine_player_keys[1][GK_EXTRA1 + 2] = RAW_X;
    EXPECT_FALSE(redefine_keys_are_defaults());
    redefine_on_gadget(GID_REDEF_RESET, 0);
    EXPECT_EQ(redefine_player_keys[1][GK_EXTRA1 + 2], default_player_keys[1][GK_EXTRA1 + 2]);

    // The check box changes the setting at once and asks for the other layout.
    EXPECT_EQ(redefine_on_gadget(GID_REDEF_PALLADIUM, 1), RedefineClose::TOGGLE);
    EXPECT_EQ(palladium_redefinekeys, 1u);
    EXPECT_EQ(redefine_gadget(0, GK_EXTRA1), GID_REDEF_LEFT + GK_EXTRA1);
}

TEST_F(RedefineKeys, OkCommitsEverySlot) {
    redefine_player_keys[0][GK_UP_LEFT] = RAW_X;
    redefine_player_keys[1][GK_EXTRA1] = RAW_X;
    redefine_console_keys[3] = RAW_X;
    redefine_keys_commit();
    EXPECT_EQ(player_keys[0][GK_UP_LEFT], RAW_X);
    EXPECT_EQ(player_keys[1][GK_EXTRA1], RAW_X);
    EXPECT_EQ(console_keys[3], RAW_X);
    // The default diagonals are no key.
    EXPECT_EQ(default_player_keys[0][GK_UP_LEFT], RAW_NONE);
    EXPECT_STREQ(key_table[RAW_NONE].name, "($7F)");
}

TEST_F(RedefineKeys, GuestKeyFlagsNameTheirButtons) {
    std::set<int> here, info;
    for (int f = 0; f < GUEST_KEYS; f++) {
        if (int g = redefine_flag_gadget(f, true); g >= 0) {
            EXPECT_TRUE(here.insert(g).second) << f;
        }
        if (int g = gameinfo_flag_gadget(f, true); g >= 0) {
            EXPECT_TRUE(info.insert(g).second) << f;
        }
    }
    EXPECT_EQ(here.size(), 60u);
    EXPECT_EQ(*here.begin(), GID_REDEF_CONSOLE);
    EXPECT_EQ(*here.rbegin(), GID_REDEF_LAST);
    EXPECT_EQ(info.size(), 32u);
    EXPECT_EQ(*info.begin(), 367);
    EXPECT_EQ(*info.rbegin(), 398);
    // Spot checks against the table: left directions left, right, up, down.
    EXPECT_EQ(redefine_flag_gadget(20, false), 426);
    EXPECT_EQ(redefine_flag_gadget(23, false), 425);
    EXPECT_EQ(redefine_flag_gadget(31, false), 453);
    EXPECT_EQ(redefine_flag_gadget(35, false), 462);
    EXPECT_EQ(redefine_flag_gadget(4, false), -1);
    EXPECT_EQ(redefine_flag_gadget(8, true), 448);
    EXPECT_EQ(gameinfo_flag_gadget(11, true), 374);
    EXPECT_EQ(gameinfo_flag_gadget(11, false), -1);
    EXPECT_EQ(gameinfo_flag_gadget(48, false), 387);
    EXPECT_EQ(gameinfo_flag_gadget(12, true), -1);
}
