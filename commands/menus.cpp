#include "commands/menus.h"

#include "commands/menu_state.h"
#include "commands/menu_table.h"
#include "core/gamesdb.h"
#include "core/emu.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "gui/main_window.h"
#include "platform/file_identity.h"
#include "platform/catalog.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

struct PackedIds {
    std::array<u32, MENU_PLAIN_IDS> plain;
    std::array<u32, MENU_CHECK_IDS> check;
};

// Walks the rows and numbers every item by its place: menu, item, sub-item.
PackedIds pack_ids() {
    PackedIds p;
    p.plain.fill(MENU_NONE);
    p.check.fill(MENU_NONE);
    int menu = -1, item = -1, sub = -1;
    for (const MenuRow& r : menu_table) {
        u32 n;
        if (r.type == MR_TITLE) {
            menu++;
            item = -1;
            n = menu_pack(menu, 63, 31);
        } else if (r.type == MR_ITEM) {
            item++;
            sub = -1;
            n = menu_pack(menu, item, 31);
        } else {
            sub++;
            n = menu_pack(menu, item, sub);
        }
        if (r.plain >= 0 && r.plain < MENU_PLAIN_IDS) p.plain[r.plain] = n;
        if (r.check >= 0 && r.check < MENU_CHECK_IDS) p.check[r.check] = n;
    }
    return p;
}

const PackedIds packed = pack_ids();

int find_name(const MenuCommandName* names, int count, const char* name) {
    if (!name || !name[0]) return -1;
    for (int i = 0; i < count; i++)
        if (names[i].name[0] && strcasecmp(names[i].name, name) == 0) return i;
    return -1;
}

constexpr int MENU_DEBUG_TITLE = 287;

GuiMenuItem item_of(const MenuRow& r, int recent) {
    GuiMenuItem m;
    if (r.kind == MK_BAR) return m;
    if (recent >= 0) {
        char label[8 + SETTINGS_PATH_LEN];
        std::snprintf(label, sizeof label, "%d: %s", recent + 1, recent_files[recent]);
        m.text = label;
    } else {
        m.text = r.cat ? cat_str(static_cast<int>(r.cat), r.label) : r.label;
    }
    char key[32];
    m.shortcut = menu_shortcut_text(r, key, sizeof key);
    m.id = r.check >= 0 ? MENU_CHECK_BASE + r.check : r.plain;
    m.checkable = r.kind == MK_TOGGLE || r.kind == MK_RADIO;
    m.group = r.group;
    return m;
}

std::vector<GuiMenuItem>* owner_of(std::vector<GuiMenuItem>& strip, MenuRowType type) {
    if (type == MR_TITLE || strip.empty()) return &strip;
    std::vector<GuiMenuItem>& items = strip.back().sub;
    if (type == MR_ITEM || items.empty()) return &items;
    return &items.back().sub;
}

} // namespace

const u32* const menu_plain_ids = packed.plain.data();
const u32* const menu_check_ids = packed.check.data();

int menu_plain_id_named(const char* name) {
    return find_name(menu_plain_names, MENU_PLAIN_IDS, name);
}
int menu_check_id_named(const char* name) {
    return find_name(menu_check_names, MENU_CHECK_IDS, name);
}

const char* menu_hint(int item_id) {
    const MenuCommandName* row = nullptr;
    if (item_id >= MENU_CHECK_BASE && item_id < MENU_CHECK_BASE + MENU_CHECK_IDS)
        row = &menu_check_names[item_id - MENU_CHECK_BASE];
    else if (item_id >= 0 && item_id < MENU_PLAIN_IDS)
        row = &menu_plain_names[item_id];
    if (!row || !row->hint_cat) return nullptr;
    return cat_str(static_cast<int>(row->hint_cat), row->hint);
}

const char* menu_shortcut_text(const MenuRow& row, char* out, int size) {
    if (size <= 0) return "";
    out[0] = '\0';
    if (row.key) std::snprintf(out, size, "Ctrl+%s%c", row.shifted ? "Shift+" : "", row.key);
    return out;
}

std::vector<GuiMenuItem> menu_build_strip() {
    std::vector<GuiMenuItem> strip;
    for (const MenuRow& r : menu_table) {
        const int recent = r.plain >= 19 && r.plain <= 26 ? r.plain - 19 : -1;
        std::vector<GuiMenuItem>* owner = owner_of(strip, r.type);
        owner->push_back(item_of(r, recent));
        if (r.type == MR_TITLE) strip.back().id = r.plain;
    }
    // The Debug menu is disabled while View > Debugger? is off: its title says
    // so, in the words of the View menu's own items.
    for (GuiMenuItem& title : strip)
        if (title.id == MENU_DEBUG_TITLE) {
            char hint[160];
            std::snprintf(hint, sizeof hint, "Turn on %s > %s to use this menu.",
                          cat_str(54, "View"), cat_str(76, "Debugger?"));
            title.hint = hint;
        }
    return strip;
}

namespace {

// One entry per file. Names that differ only in letter case are two files
// here, unless they lead to one file (on a drive that ignores case).
bool same_recent_file(const char* listed, const char* path) {
    if (std::strcmp(listed, path) == 0) return true;
    if (strcasecmp(listed, path) != 0) return false;
    return file_identity_same(file_identity_at(listed), file_identity_at(path));
}

} // namespace

bool menu_recent_add(const char* path, int memmap_now, int game_now) {
    if (!path || !path[0]) return false;
    // The list is kept in the settings file, one name a line: a name with a
    // line break could not be read back, so it is not listed.
    if (!ini_text_storable(path)) return false;
    int count = recent_count < 0 ? 0 : recent_count > 8 ? 8 : recent_count;
    int match = -1;
    for (int i = 0; i < count && match < 0; i++)
        if (same_recent_file(recent_files[i], path)) match = i;
    if (match == 0) {
        // Already first: it keeps its place, and is now of the machine it ran on last.
        recent_memmaps[0] = memmap_now;
        recent_games[0] = game_now;
        return false;
    }
    // Take the match out, or make room for a new entry; then all move down one.
    const int last = match > 0 ? match : (count < 8 ? count++ : 7);
    for (int i = last; i > 0; i--) {
        std::memcpy(recent_files[i], recent_files[i - 1], SETTINGS_PATH_LEN);
        recent_memmaps[i] = recent_memmaps[i - 1];
        recent_games[i] = recent_games[i - 1];
    }
    std::snprintf(recent_files[0], SETTINGS_PATH_LEN, "%s", path);
    recent_memmaps[0] = memmap_now;
    recent_games[0] = game_now;
    recent_count = count;
    return true;
}

void gui_rebuild_menus(const char* path) {
    if (!menu_recent_add(path, static_cast<int>(memmap), known_game_id)) return;
    if (!main_window) return;
    gui_menu_strip = menu_build_strip();
    gui_window_set_menus(main_window, gui_menu_strip);
    gui_refresh_menus();
}

void menu_item_enable(int id, bool enabled) {
    if (main_window && id >= 0 && id < MENU_PLAIN_IDS && menu_plain_ids[id] != MENU_NONE)
        gui_menu_set_enabled(main_window, id, enabled);
}

void menu_check_item_enable(int id, bool enabled) {
    if (main_window && id >= 0 && id < MENU_CHECK_IDS && menu_check_ids[id] != MENU_NONE)
        gui_menu_set_enabled(main_window, MENU_CHECK_BASE + id, enabled);
}

void menu_set_state(int id, bool enabled, bool checked) {
    if (main_window && id >= 0 && id < MENU_PLAIN_IDS && menu_plain_ids[id] != MENU_NONE)
        gui_menu_set_state(main_window, id, enabled, checked);
}

void menu_check_item_set_state(int id, bool enabled, bool checked) {
    if (main_window && id >= 0 && id < MENU_CHECK_IDS && menu_check_ids[id] != MENU_NONE)
        gui_menu_set_state(main_window, MENU_CHECK_BASE + id, enabled, checked);
}

void menu_enable_recent() {
    for (int k = 0; k < 8; k++)
        menu_item_enable(19 + k, k < recent_count);
}
