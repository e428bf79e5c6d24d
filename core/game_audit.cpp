// The games drawer audited into the game list: the records of the drawer's
// entries, their hint texts, the row of the loaded game and stepping through
// the rows. The list gadget itself is the interface's: it is told to show
// the records anew by the UI_GAME_LIST mark and a new selection by
// UI_GAME_SELECT.
#include "core/gamesdb.h"

#include "core/loader.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "platform/catalog.h"
#include "platform/file_identity.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <strings.h>

u8 audit_due = 1; // nothing audited yet: the first opening with the list audits
char game_hint_texts[GAMES_MAX][GAME_HINT_SIZE];
char games_report_text[GAMES_REPORT_SIZE];
u8 games_report_pending = 0;

// A drawer's name with its first "_" doubled: the list takes a single one as
// a shortcut mark.
static void drawer_label(const char* name, char* out, std::size_t size) {
    std::size_t o = 0;
    bool doubled = false;
    for (const char* p = name; *p && o + 1 < size; p++) {
        out[o++] = *p;
        if (*p == '_' && !doubled && o + 1 < size) {
            out[o++] = '_';
            doubled = true;
        }
    }
    out[o] = 0;
}

static void add_drawer(const char* name) {
    games_counters[GC_DIRECTORIES]++;
    if (games_count >= GAMES_MAX) return;
    GameEntry& e = games_found[games_count];
    std::snprintf(e.path, sizeof e.path, "%s", name);
    drawer_label(name, e.label, sizeof e.label);
    e.game_row = -1;
    e.picture = 17;
    e.entry_machine = -1;
    e.entry_memmap = -1;
    games_sort_index[games_count] = static_cast<u32>(games_count);
    games_count++;
}

void games_audit_drawer(int report) {
    if (!view_gamelist[display_mode] && !report) {
        audit_due = 1;
        return;
    }
    audit_due = 0;
    games_list_entries();
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string host = path_to_host(games_path[0] ? games_path : ".");
    fs::directory_iterator it(host, ec);
    if (ec) {
        // The leading rows stay, so that the user can still leave the drawer.
        games_build_hints();
        ui_mark(UI_GAME_LIST);
        games_find_loaded();
        ui_warning("Can't lock directory!");
        return;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& d = *it;
        const std::string name = d.path().filename().string();
        std::error_code kind_ec;
        if (d.is_directory(kind_ec)) {
            add_drawer(name.c_str());
        } else {
            char path[513] = "";
            std::snprintf(path, sizeof path, "%s", games_path);
            const std::size_t before = std::strlen(path);
            games_add_part(path, sizeof path, name.c_str());
            if (std::strlen(path) == before) continue; // the name does not fit
            std::error_code size_ec;
            const auto size = d.file_size(size_ec);
            games_scan_file(path, size_ec ? 0u : static_cast<u32>(size), report);
        }
    }
    const bool broken = static_cast<bool>(ec);
    games_list_sort();
    games_build_hints();
    ui_mark(UI_GAME_LIST);
    games_find_loaded(); // its row may have moved, or only now be listed
    if (broken) ui_warning("Can't examine path!");
    if (report) {
        games_dir_report(games_report_text, sizeof games_report_text);
        games_report_pending = ui_unattended ? 2 : 1;
    }
}

static const char* or_empty(const char* text) {
    return text ? text : "";
}

void games_build_hints() {
    for (int r = 0; r < games_count && r < GAMES_MAX; r++) {
        const GameEntry& e = games_found[r];
        char* out = game_hint_texts[r];
        const std::size_t size = GAME_HINT_SIZE;
        if (e.picture >= 17 && e.picture <= 19) {
            std::snprintf(out, size, "%s", cat_str(761, "Click on a game to load it."));
        } else if (e.game_row < 0 || e.game_row >= KNOWN_GAMES) {
            const int map = e.entry_memmap;
            const bool valid = map >= 0 && map < static_cast<int>(MEMMAPS);
            const char* maker = valid ? or_empty(memmap_table[map].maker_year) : "";
            const char* name = r < 10 || !valid ? e.label : or_empty(memmap_table[map].name);
            std::snprintf(out, size, "%s\n%s", name, maker);
        } else {
            const KnownGame& g = known_games_db[e.game_row];
            const char* ref = or_empty(g.reference);
            std::string text = std::string(or_empty(g.name)) + "\n" + path_file_part(e.path) + "\n" +
                               or_empty(g.credits);
            if (std::strcmp(ref, "-") != 0) text += std::string("\n") + ref;
            std::snprintf(out, size, "%s", text.c_str());
        }
    }
}

// Whether the record's file is the loaded one: the same file on disk however
// either path is spelled (a host path or PROGDIR:, "./", a link); by name,
// case ignored, only when the loaded file cannot be examined.
static bool holds_loaded(const GameEntry& e, const char* loaded, const FileIdentity& id) {
    if (!e.path[0] || e.entry_memmap < 0) return false; // no file, or a drawer
    if (!id.known) return strcasecmp(e.path, loaded) == 0;
    return file_identity_same(file_identity_at(path_to_host(e.path)), id);
}

void games_find_loaded() {
    game_list_sel = -1;
    const char* running = file_revert_path();
    const char* loaded = running ? running : "";
    if (loaded[0]) {
        const FileIdentity id = file_identity_at(path_to_host(loaded));
        for (int row = 0; row < games_count; row++) {
            if (holds_loaded(games_found[games_sort_index[row]], loaded, id)) {
                game_list_sel = row;
                break;
            }
        }
    }
    if (game_list_sel < 0) {
        for (int row = 0; row < games_count; row++) {
            const GameEntry& e = games_found[games_sort_index[row]];
            if (!e.path[0] && e.entry_memmap >= 0 && static_cast<u32>(e.entry_memmap) == memmap) {
                game_list_sel = row;
                break;
            }
        }
    }
    ui_mark(UI_GAME_SELECT);
}

void games_select_loaded() {
    ui_mark(UI_GAME_SELECT);
}

bool games_step_selection(int step) {
    if (games_count < 3) return false; // no game below the two leading rows
    const int last = games_count - 1;
    int sel = game_list_sel;
    if (sel < 0)
        sel = step < 0 ? last : 2;
    else if (step < 0)
        sel = sel > 0 ? sel - 1 : 0;
    else
        sel = sel < last ? sel + 1 : last;
    if (sel == game_list_sel) return false;
    game_list_sel = sel;
    return true;
}

void games_list_reset() {
    games_count = 0;
    game_list_sel = -1;
    audit_due = 1;
    games_report_pending = 0;
    games_report_text[0] = 0;
}
