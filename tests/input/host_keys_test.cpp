// Host key events to raw codes, checked against the key table's named keys.
#include "input/keys.h"
#include "platform/host_keys.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace {

// The raw code of the key table row called `name`.
int row_named(const char* name) {
    for (int i = 0; i < RAW_KEYS; i++)
        if (key_table[i].name && std::strcmp(key_table[i].name, name) == 0) return i;
    return -2;
}

// A PC keyboard: the key table's name, the X11 key code of the key's position
// and the toolkit's key number (with the keypad flag the toolkit gives).
const struct {
    const char* name;
    int x11;
    int key;
    bool keypad;
} pc_keys[] = {
    {"Esc", 9, QK_ESCAPE, false},
    {"a1", 10, QK_1, false},
    {"a0", 19, QK_0, false},
    {"a-", 20, QK_MINUS, false},
    {"=", 21, QK_EQUAL, false},
    {"BkSp", 22, QK_BACKSPACE, false},
    {"Tab", 23, QK_TAB, false},
    {"Q", 24, QK_Q, false},
    {"P", 33, QK_P, false},
    {"[", 34, QK_BRACKET_LEFT, false},
    {"]", 35, QK_BRACKET_RIGHT, false},
    {"aE", 36, QK_RETURN, false},
    {"Ctrl", 37, QK_CONTROL, false},
    {"A", 38, QK_A, false},
    {"L", 46, QK_L, false},
    {";", 47, QK_SEMICOLON, false},
    {"'", 48, QK_APOSTROPHE, false},
    {"`", 49, QK_QUOTE_LEFT, false},
    {"LShft", 50, QK_SHIFT, false},
    {"\\", 51, QK_BACKSLASH, false},
    {"Z", 52, QK_Z, false},
    {"M", 58, QK_M, false},
    {",", 59, QK_COMMA, false},
    {"a.", 60, QK_PERIOD, false},
    {"a/", 61, QK_SLASH, false},
    {"n*", 63, QK_ASTERISK, true},
    {"LAlt", 64, QK_ALT, false},
    {"Space", 65, QK_SPACE, false},
    {"CL", 66, QK_CAPS_LOCK, false},
    {"F1", 67, QK_F1, false},
    {"F10", 76, QK_F10, false},
    {"NumLk", 77, QK_NUM_LOCK, false},
    {"ScrLk", 78, QK_SCROLL_LOCK, false},
    {"n7", 79, QK_7, true},
    {"n8", 80, QK_8, true},
    {"n9", 81, QK_9, true},
    {"n-", 82, QK_MINUS, true},
    {"n4", 83, QK_4, true},
    {"n5", 84, QK_5, true},
    {"n6", 85, QK_6, true},
    {"n+", 86, QK_PLUS, true},
    {"n1", 87, QK_1, true},
    {"n2", 88, QK_2, true},
    {"n3", 89, QK_3, true},
    {"n0", 90, QK_0, true},
    {"n.", 91, QK_PERIOD, true},
    {"F11", 95, QK_F11, false},
    {"F12", 96, QK_F12, false},
    {"nE", 104, QK_ENTER, true},
    {"n/", 106, QK_SLASH, true},
    {"PrtSc", 107, QK_PRINT, false},
    {"RAlt", 108, QK_ALT_GR, false},
    {"Home", 110, QK_HOME, false},
    {"Up", 111, QK_UP, false},
    {"PgUp", 112, QK_PAGE_UP, false},
    {"Lt", 113, QK_LEFT, false},
    {"Rt", 114, QK_RIGHT, false},
    {"End", 115, QK_END, false},
    {"Dn", 116, QK_DOWN, false},
    {"PgDn", 117, QK_PAGE_DOWN, false},
    {"Ins", 118, QK_INSERT, false},
    {"Del", 119, QK_DELETE, false},
    {"Pause", 127, QK_PAUSE, false},
    {"LAmi", 133, QK_SUPER_L, false},
    {"RAmi", 134, QK_SUPER_R, false},
    {"Help", 135, QK_MENU, false},
};

class HostKeys : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
};

TEST_F(HostKeys, EveryPcKeyReachesItsNamedRowByPositionAndByKey) {
    for (const auto& k : pc_keys) {
        const int row = row_named(k.name);
        ASSERT_GE(row, 0) << k.name << " is not in the key table";
        EXPECT_EQ(host_raw_from_x11(k.x11), row) << k.name << " by X11 code " << k.x11;
        EXPECT_EQ(host_raw_from_toolkit(k.key, k.keypad), row) << k.name << " by toolkit key";
        EXPECT_EQ(host_raw_is_keypad(row), k.keypad) << k.name;
    }
}

// The keypad's keys share the toolkit's numbers with the main keys: only the
// keypad flag tells them apart, and keys without a keypad meaning ignore it.
TEST_F(HostKeys, TheKeypadFlagSelectsTheKeypadRow) {
    EXPECT_EQ(host_raw_from_toolkit(QK_5, false), row_named("a5"));
    EXPECT_EQ(host_raw_from_toolkit(QK_5, true), row_named("n5"));
    EXPECT_EQ(host_raw_from_toolkit(QK_SLASH, false), row_named("a/"));
    EXPECT_EQ(host_raw_from_toolkit(QK_HOME, true), row_named("Home"));
    EXPECT_EQ(host_raw_from_toolkit(0x7E, false), -1) << "a key with no row";
    EXPECT_EQ(host_raw_from_x11(0), -1);
    EXPECT_EQ(host_raw_from_x11(255), -1);
}

// Two X11 positions give one raw code only for the two Ctrl keys.
TEST_F(HostKeys, OnlyTheCtrlKeysShareARawCode) {
    std::map<int, int> first;
    for (int code = 8; code < 256; code++) {
        const int raw = host_raw_from_x11(code);
        if (raw < 0) continue;
        EXPECT_LT(raw, RAW_KEYS) << code;
        const auto [it, fresh] = first.emplace(raw, code);
        if (!fresh) {
            EXPECT_EQ(raw, row_named("Ctrl")) << "X11 " << it->second << " and " << code;
        }
    }
}

} // namespace
