// The menu rows: ids, packed menu numbers, shortcuts, radio groups, names, and
// the strip built from them.
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "core/settings_vars.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

class MenuTable : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
};

const GuiMenuItem* find(const std::vector<GuiMenuItem>& items, int id) {
    for (const GuiMenuItem& m : items) {
        if (m.id == id) return &m;
        if (const GuiMenuItem* s = find(m.sub, id)) return s;
    }
    return nullptr;
}

} // namespace

TEST_F(MenuTable, EveryIdStandsOnOneRowAtAPlaceOfItsOwn) {
    std::set<int> plain, check;
    std::set<u32> places;
    for (const MenuRow& r : menu_table) {
        if (r.plain >= 0) {
            EXPECT_TRUE(plain.insert(r.plain).second) << "p" << r.plain;
        }
        if (r.check >= 0) {
            EXPECT_TRUE(check.insert(r.check).second) << "c" << r.check;
        }
        EXPECT_FALSE(r.plain >= 0 && r.check >= 0);
    }
    for (int id = 0; id < MENU_PLAIN_IDS; id++) {
        const u32 n = menu_plain_ids[id];
        EXPECT_EQ(n != MENU_NONE, plain.count(id) == 1) << "p" << id;
        if (n != MENU_NONE) {
            EXPECT_TRUE(places.insert(n).second) << "p" << id;
            EXPECT_EQ(menu_pack(menu_unpack_menu(n), menu_unpack_item(n), menu_unpack_sub(n)), n);
        }
    }
    for (int id = 0; id < MENU_CHECK_IDS; id++) {
        const u32 n = menu_check_ids[id];
        EXPECT_EQ(n != MENU_NONE, check.count(id) == 1) << "c" << id;
        if (n != MENU_NONE) {
            EXPECT_TRUE(places.insert(n).second) << "c" << id;
        }
    }
    // Ids without an item, and the places of a few that have one.
    for (int id : {18, 28, 40, 88, 144, 156, 172, 218, 282, 292, 293})
        EXPECT_EQ(menu_plain_ids[id], MENU_NONE) << "p" << id;
    for (int id : {100, 101, 104, 116, 124, 149, 153})
        EXPECT_EQ(menu_check_ids[id], MENU_NONE) << "c" << id;
    EXPECT_EQ(menu_plain_ids[283], menu_pack(0, 63, 31)); // the Project menu itself
    EXPECT_EQ(menu_plain_ids[0], menu_pack(0, 0, 31));
    EXPECT_EQ(menu_plain_ids[9], menu_pack(0, 9, 0));  // BMP, first in its sub-menu
    EXPECT_EQ(menu_plain_ids[14], menu_pack(0, 9, 8)); // after the separator
    EXPECT_EQ(menu_plain_ids[16], menu_pack(0, 10, 31));
    EXPECT_EQ(menu_plain_ids[281], menu_pack(8, 12, 31));
}

TEST_F(MenuTable, ShortcutsAreUniqueAndShiftZIsTakenOnce) {
    std::map<std::string, int> seen;
    for (const MenuRow& r : menu_table) {
        if (!r.key) continue;
        char text[32];
        const std::string key = menu_shortcut_text(r, text, sizeof text);
        const int id = r.plain >= 0 ? r.plain : MENU_CHECK_BASE + r.check;
        EXPECT_TRUE(seen.emplace(key, id).second) << key << " on " << id << " and " << seen[key];
    }
    EXPECT_EQ(seen["Ctrl+Shift+Z"], 184);
    EXPECT_EQ(seen["Ctrl+O"], 3);
    EXPECT_EQ(seen["Ctrl+1"], MENU_CHECK_BASE + 125);
}

TEST_F(MenuTable, RadioGroupsAreExclusiveWithinOneSubMenu) {
    // Members of one group share their menu and parent item and no other group
    // reaches into them; every radio item is in a group.
    std::map<int, u32> parent_of_group;
    std::map<int, std::set<int>> members;
    for (const MenuRow& r : menu_table) {
        if (r.kind != MK_RADIO) {
            EXPECT_EQ(r.group, 0);
            continue;
        }
        ASSERT_GE(r.check, 0);
        ASSERT_GT(r.group, 0) << "c" << r.check;
        const u32 n = menu_check_ids[r.check];
        const u32 parent = menu_unpack_menu(n) | menu_unpack_item(n) << 5;
        auto [it, fresh] = parent_of_group.emplace(r.group, parent);
        EXPECT_EQ(it->second, parent) << "c" << r.check;
        members[r.group].insert(r.check);
    }
    // The groups are the ranges of ids that one option chooses between (c153
    // has no item).
    for (auto& [group, ids] : members) {
        const int span = *ids.rbegin() - *ids.begin() + 1;
        EXPECT_EQ(span, static_cast<int>(ids.size()) + (ids.count(152) ? 1 : 0)) << group;
    }
    EXPECT_EQ(members[menu_table[0].group].size(), 0u); // titles are in no group
    // DRAW 4 and the colour sets are one group each, whatever their sub-menu
    // holds around them.
    std::set<int> draw_group, colour_group;
    for (const MenuRow& r : menu_table) {
        if (r.check == 29 || r.check == 33) draw_group.insert(r.group);
        if (r.check == 76 || r.check == 81) colour_group.insert(r.group);
    }
    EXPECT_EQ(draw_group.size(), 1u);
    EXPECT_EQ(colour_group.size(), 1u);
}

TEST_F(MenuTable, NamesAreUniqueAndFindTheirIds) {
    std::set<std::string> names;
    for (int id = 0; id < MENU_PLAIN_IDS; id++) {
        const std::string name = menu_plain_names[id].name;
        if (name.empty()) continue;
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(menu_plain_id_named(name.c_str()), id);
    }
    for (int id = 0; id < MENU_CHECK_IDS; id++) {
        const std::string name = menu_check_names[id].name;
        if (name.empty()) continue;
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(menu_check_id_named(name.c_str()), id);
    }
    EXPECT_EQ(menu_plain_id_named("project.resettogame"), 0);
    EXPECT_EQ(menu_plain_id_named("PROJECT.UNICONIFY"), 28); // named without an item
    EXPECT_EQ(menu_check_id_named("SETTINGS.LANGUAGE.SPA"), 124);
    EXPECT_EQ(menu_plain_id_named("NO.SUCH.ITEM"), -1);
    // Only the Debug menu has hints.
    EXPECT_STREQ(menu_hint(66), "Clear coverage report");
    EXPECT_STREQ(menu_hint(MENU_CHECK_BASE + 33), "Show DMA write table (Interton/Elektor)");
    // "SPR 1" draws numbered boxes, "SPR 2" the guest's own shapes.
    EXPECT_STREQ(menu_hint(MENU_CHECK_BASE + 35), "Set sprite mode to numbered");
    EXPECT_STREQ(menu_hint(MENU_CHECK_BASE + 36), "Set sprite mode to visible");
    EXPECT_EQ(menu_hint(0), nullptr);
}

TEST_F(MenuTable, TheStripHoldsNineMenusWithTheirItems) {
    const std::vector<GuiMenuItem> strip = menu_build_strip();
    ASSERT_EQ(strip.size(), 9u);
    const char* titles[] = {"Project", "Edit",        "View",     "Macros", "Debug",
                            "Tools",   "Peripherals", "Settings", "Help"};
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(strip[i].text, titles[i]);
        EXPECT_EQ(strip[i].id, 283 + i);
    }
    const GuiMenuItem* open = find(strip, 3);
    ASSERT_TRUE(open);
    EXPECT_EQ(open->text, "Open...");
    EXPECT_EQ(open->shortcut, "Ctrl+O");
    const GuiMenuItem* amber = find(strip, MENU_CHECK_BASE + 76);
    ASSERT_TRUE(amber);
    EXPECT_TRUE(amber->checkable);
    EXPECT_GT(amber->group, 0);
    const GuiMenuItem* debugger = find(strip, 39);
    ASSERT_TRUE(debugger);
    EXPECT_TRUE(debugger->checkable);
    EXPECT_EQ(debugger->group, 0);
    const GuiMenuItem* message = find(strip, 65);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "\"<message>");
    // Sub-menus carry their ids for ghosting.
    const GuiMenuItem* disk = find(strip, 298);
    ASSERT_TRUE(disk);
    EXPECT_FALSE(disk->sub.empty());
}

TEST_F(MenuTable, RecentFilesKeepOrderTellCaseApartAndLongPaths) {
    recent_count = 0;
    EXPECT_TRUE(menu_recent_add("/g/a.bin", 6, 1));
    EXPECT_TRUE(menu_recent_add("/g/b.bin", 6, 2));
    EXPECT_TRUE(menu_recent_add("/g/c.bin", 3, -1));
    EXPECT_EQ(recent_count, 3);
    EXPECT_STREQ(recent_files[0], "/g/c.bin");
    EXPECT_EQ(recent_memmaps[0], 3);
    // Already first: the order and the strip stay; the entry is of the machine
    // it was opened on last.
    EXPECT_FALSE(menu_recent_add("/g/c.bin", 6, 9));
    EXPECT_STREQ(recent_files[0], "/g/c.bin");
    EXPECT_EQ(recent_memmaps[0], 6);
    EXPECT_EQ(recent_games[0], 9);
    EXPECT_TRUE(menu_recent_add("/g/a.bin", 5, 7)); // third moves to the front
    EXPECT_STREQ(recent_files[0], "/g/a.bin");
    EXPECT_STREQ(recent_files[1], "/g/c.bin");
    EXPECT_STREQ(recent_files[2], "/g/b.bin");
    EXPECT_EQ(recent_games[2], 2);
    EXPECT_EQ(recent_count, 3);
    // A name in other letter case is another file: both stay listed.
    EXPECT_TRUE(menu_recent_add("/G/C.BIN", 6, 9));
    EXPECT_STREQ(recent_files[0], "/G/C.BIN");
    EXPECT_STREQ(recent_files[2], "/g/c.bin");
    EXPECT_EQ(recent_count, 4);
    for (int i = 0; i < 8; i++) {
        const std::string p = "/n/" + std::to_string(i);
        menu_recent_add(p.c_str(), 0, i);
    }
    EXPECT_EQ(recent_count, 8); // the oldest went
    EXPECT_STREQ(recent_files[0], "/n/7");
    EXPECT_STREQ(recent_files[7], "/n/0");

    const std::string longest(600, 'x');
    EXPECT_TRUE(menu_recent_add(longest.c_str(), 0, 0));
    EXPECT_EQ(std::string(recent_files[0]), longest.substr(0, SETTINGS_PATH_LEN - 1));
    const std::vector<GuiMenuItem> strip = menu_build_strip();
    const GuiMenuItem* first = find(strip, 19);
    const GuiMenuItem* second = find(strip, 20);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->text, "1: " + longest.substr(0, SETTINGS_PATH_LEN - 1));
    EXPECT_EQ(second->text, "2: /n/7"); // the long path does not run into the next entry
}
