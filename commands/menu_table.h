// The menu strip: the static rows of the nine menus (Project, Edit, View,
// Macros, Debug, Tools, Peripherals, Settings, Help), the two command-id spaces
// and their packed menu numbers, and the ARexx name and status-bar hint of
// every id.
//
// Plain ids 0-316 name ordinary items, check boxes, the nine whole menus
// (283-291) and the sub-menu parents (294-316); checkable ids 0-163 name the
// radio items. A packed menu number is menu | item << 5 | sub-item << 11,
// counting rows from 0 with separators; an item without sub-items has
// sub-item 31, a whole menu item 63 and sub-item 31.
#pragma once

#include "core/types.h"

#include <cstdint>

constexpr int MENU_PLAIN_IDS = 317;
constexpr int MENU_CHECK_IDS = 164;
constexpr int MENU_ROWS = 497;
constexpr u32 MENU_NONE = 0xFFFFFFFFu; // an id without an item

enum MenuRowType : u8 { MR_TITLE, MR_ITEM, MR_SUB };
enum MenuKind : u8 { MK_ITEM, MK_TOGGLE, MK_RADIO, MK_SUBMENU, MK_BAR };

struct MenuRow {
    MenuRowType type;
    MenuKind kind;
    std::int16_t plain; // plain id, -1 none
    std::int16_t check; // checkable id, -1 none
    u16 cat;            // catalog number of the label, 0 for a fixed text
    const char* label;
    char key;     // shortcut character taken with the command key, 0 none
    bool shifted; // the shortcut wants Shift as well
    u8 group;     // radio group (1..), 0 none: one member of a group is ticked
};

struct MenuCommandName {
    const char* name; // ARexx MENU name, "" none
    u32 hint_cat;     // catalog number of the status-bar hint, 0 none
    const char* hint;
};

extern const MenuRow menu_table[MENU_ROWS];
extern const MenuCommandName menu_plain_names[MENU_PLAIN_IDS];
extern const MenuCommandName menu_check_names[MENU_CHECK_IDS];

// The packed menu number of each id (MENU_NONE without an item).
extern const u32* const menu_plain_ids;
extern const u32* const menu_check_ids;

constexpr u32 menu_pack(u32 menu, u32 item, u32 sub) {
    return menu | item << 5 | sub << 11;
}
constexpr u32 menu_unpack_menu(u32 n) {
    return n & 31;
}
constexpr u32 menu_unpack_item(u32 n) {
    return n >> 5 & 63;
}
constexpr u32 menu_unpack_sub(u32 n) {
    return n >> 11 & 31;
}

// The plain id named `name` (case-insensitive), else -1; likewise checkable.
int menu_plain_id_named(const char* name);
int menu_check_id_named(const char* name);
// The status-bar hint of a menu item id as the strip numbers it (checkable
// ids from MENU_CHECK_BASE), from the catalog; nullptr when it has none.
const char* menu_hint(int item_id);
// The shortcut of a row as the host shows it ("Ctrl+O", "Ctrl+Shift+A"); "" none.
const char* menu_shortcut_text(const MenuRow& row, char* out, int size);
