#include "gui/game_list.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "platform/catalog.h"

#include <cstdio>

std::string gui_game_list_label(const char* label) {
    std::string out = label;
    const std::size_t mark = out.find('_');
    if (mark != std::string::npos) out.erase(mark, 1);
    return out;
}

std::vector<GuiListRow> gui_game_list_rows() {
    std::vector<GuiListRow> rows;
    for (int row = 0; row < games_count; row++) {
        const u32 record = games_sort_index[row];
        if (record >= static_cast<u32>(GAMES_MAX)) continue;
        const GameEntry& e = games_found[record];
        GuiListRow r;
        GuiListCell cell;
        cell.image =
            e.picture < static_cast<u32>(GUI_IMAGES) ? gui_image(static_cast<int>(e.picture)) : 0;
        cell.text = " " + gui_game_list_label(e.label);
        r.cells.push_back(cell);
        r.hint = game_hint_texts[record];
        rows.push_back(std::move(r));
    }
    return rows;
}

static bool list_shown() {
    return main_window && view_gamelist[display_mode];
}

void gui_game_list_select() {
    if (list_shown()) gui_set_value(main_window, GID_GAME_LIST, game_list_sel);
}

void gui_game_list_show() {
    if (list_shown()) {
        gui_set_rows(main_window, GID_GAME_LIST, gui_game_list_rows());
        gui_set_value(main_window, GID_GAME_LIST, -1);
        gui_game_list_select();
    }
    if (games_report_pending) {
        const bool wait = games_report_pending == 1;
        games_report_pending = 0;
        if (wait)
            gui_requester(cat_str(370, "Audit Results"), games_report_text, cat_str(143, "OK"), 1);
        else
            gui_notice(cat_str(370, "Audit Results"), games_report_text, 1);
    }
}

static bool list_usable() {
    return list_shown() && !emu_paused_mid_frame && !gui_get_disabled(main_window, GID_GAME_LIST);
}

// Opens the entry of `row`. Loading switches the machine, which looks for the
// loaded game before the file is in: a game or board row stays selected.
static void open_row(int row) {
    game_list_sel = row;
    const bool game = games_found[games_sort_index[row]].entry_memmap >= 0;
    rec_stop_all();
    games_open_entry();
    if (game) {
        game_list_sel = row;
        gui_game_list_select();
    }
}

void gui_game_list_clicked(int row) {
    if (!list_usable() || row < 0 || row >= games_count) return;
    open_row(row);
}

void gui_game_list_drop_drawer(const char* path) {
    std::snprintf(games_path, sizeof games_path, "%s", path);
    games_audit_drawer(0);
}

// Loads the game of the selected row; drawers and the leading rows are only
// selected, so that stepping never leaves the drawer.
static void step(int direction) {
    if (!games_step_selection(direction)) return;
    gui_game_list_select();
    if (games_found[games_sort_index[game_list_sel]].entry_memmap >= 0) open_row(game_list_sel);
}

void games_browse_prev(int) {
    step(-1);
}
void games_browse_next(int) {
    step(1);
}
