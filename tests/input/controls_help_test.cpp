#include "input/controls_help.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/keys.h"
#include "platform/catalog_file.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr u16 SPACE = 64, TAB = 66, DEL = 70, UP = 76, DOWN = 77;

class ControlsHelp : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        key_table_localise();
    }
    void TearDown() override {
        fresh_state();
        cat_reload();
    }
    static std::string help(int slot) {
        char buf[256];
        const int n = controls_help_text(slot, buf, sizeof buf);
        EXPECT_EQ(n, static_cast<int>(std::strlen(buf))) << slot;
        return buf;
    }
    static std::string players(int left, int right, int fire) {
        char buf[256];
        const int n = controls_help_text_players(left, right, fire, buf, sizeof buf);
        EXPECT_EQ(n, static_cast<int>(std::strlen(buf)));
        return buf;
    }
};

TEST_F(ControlsHelp, ConsoleButtonsTakeTheCatalogNames) {
    const auto labels = [](u32 m) {
        const MachineLive& d = machine_live[m];
        return std::string(d.console_labels[0]) + "|" + d.console_labels[1] + "|" +
               d.console_labels[2] + "|" + d.console_labels[3];
    };
    const std::string typeright = labels(TYPERIGHT);
    controls_names_localise();
    EXPECT_EQ(labels(MALZAK), "1UP|2UP|Coin A|Test switch");
    EXPECT_EQ(labels(ARCADIA), "START|A|B|-") << "buttons 2-4 keep the built-in texts";
    EXPECT_EQ(labels(PONG), "START|Game|Serve|Bat size");
    EXPECT_EQ(labels(INSTRUCTOR), "SENS|INT|MON|RST");
    EXPECT_EQ(labels(TYPERIGHT), typeright) << "a machine without catalog names";

    TempHome home("controls_help");
    test_write_file(home.path() / "test.catalog", "666=GO\n676=Service\n");
    setenv("BRINDLEMOX_CATALOG", (home.path() / "test.catalog").c_str(), 1);
    cat_reload();
    controls_names_localise();
    EXPECT_EQ(labels(ARCADIA), "GO|A|B|-");
    EXPECT_EQ(labels(INTERTON), "GO|SELECT|-|-");
    EXPECT_EQ(labels(MALZAK), "1UP|2UP|Coin A|Service");
}

TEST_F(ControlsHelp, KeyHelpNamesTheOverlayTheGuestKeyAndTheHostKeys) {
    machine = ARCADIA;
    memmap = 6;
    current_overlay = 0;
    const i32 fire[4] = {2, 1, 3, 0};
    std::memcpy(fire_button_assign, fire, sizeof fire);
    player_keys[0][2] = TAB;
    player_keys[0][0] = SPACE;
    player_keys[1][2] = DEL;
    player_keys[0][1] = UP;
    player_keys[0][21] = DOWN;
    player_keys[1][16] = UP;
    // Key 2 is fire button 1's: two host keys.
    EXPECT_EQ(help(0), "Overlay: 2/Fi\nGuest key: 2/Fi\nHost keys: Tab, Space");
    EXPECT_EQ(help(36), help(0));
    EXPECT_EQ(help(37), help(0));
    EXPECT_EQ(help(38), help(1));
    // Key 1 is fire button 2's.
    EXPECT_EQ(help(8), "Overlay: 1\nGuest key: 1\nHost keys: Up, Dn");
    // Right player's x4: no fire button.
    EXPECT_EQ(help(12), "Overlay: x4\nGuest key: x4\nHost key: Up");
    player_keys[1][12] = SPACE;
    EXPECT_EQ(help(31), "Overlay: Enter\nGuest key: Enter\nHost key: Space");

    // An overlay without texts of its own shows the machine's key labels.
    current_overlay = 22;
    player_keys[0][10] = DEL;
    EXPECT_EQ(help(26), "Overlay: Cl\nGuest key: Clear\nHost key: Del");

    // Both players' key 2 with fire button 1, and with fire button 2 (index 21).
    current_overlay = 0;
    player_keys[1][0] = DOWN;
    EXPECT_EQ(players(0, 1, 32), "Guest key: 2/Fi\n\nLeft player:\nOverlay: 2/Fi\nHost keys: Tab, "
                                 "Space\n\nRight player:\nOverlay: 2/Fi\nHost keys: Del, Dn");
    player_keys[1][21] = TAB;
    EXPECT_EQ(players(36, 39, 33), "Guest key: 2/Fi\n\nLeft player:\nOverlay: 2/Fi\nHost keys: "
                                   "Tab, Dn\n\nRight player:\nOverlay: 2/Fi\nHost keys: Del, Tab");
}

TEST_F(ControlsHelp, OutOfRangeSlotsGiveNoText) {
    char buf[64] = "old";
    for (const int slot : {-1, 32, 35, 40, 1000}) {
        std::strcpy(buf, "old");
        EXPECT_EQ(controls_help_text(slot, buf, sizeof buf), 0) << slot;
        EXPECT_STREQ(buf, "") << slot;
    }
    for (const int fire : {31, 36, -1}) {
        std::strcpy(buf, "old");
        EXPECT_EQ(controls_help_text_players(0, 1, fire, buf, sizeof buf), 0) << fire;
        EXPECT_STREQ(buf, "");
    }
    EXPECT_EQ(controls_help_text_players(0, 32, 32, buf, sizeof buf), 0);
    // A host key code outside the key table, a short buffer: still a text.
    player_keys[1][12] = 500;
    char small[8];
    const int n = controls_help_text(31, small, sizeof small);
    EXPECT_GT(n, 7) << "the full length is returned";
    EXPECT_STREQ(small, "Overlay");
}

} // namespace
