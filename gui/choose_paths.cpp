#include "gui/choose_paths.h"

#include "core/gamesdb.h"
#include "core/settings_vars.h"
#include "gui/dialog_parts.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

int paths_window = 0;

namespace {

constexpr int IMAGE_DRAWER = 281;

struct PathRow {
    int catalog;
    const char* caption;
    char* global;
    const char* fallback;
};
const PathRow rows[PATH_ROWS] = {
    {1002, "Disks:", disks_path, "PROGDIR:Disks"},
    {841, "Games:", games_path, "PROGDIR:Games"},
    {842, "Projects:", projects_path, "PROGDIR:Projects"},
    {843, "Screenshots:", screenshots_path, "PROGDIR:Screenshots"},
    {844, "Scripts:", scripts_path, "PROGDIR:ARexx"},
    {845, "Tapes:", tapes_path, "PROGDIR:Tapes"},
};

char working[PATH_ROWS][PATH_TEXT_MAX + 1];

void copy_path(char* out, const std::string& text) {
    std::snprintf(out, PATH_TEXT_MAX + 1, "%s", text.c_str());
}

void reset_rule() {
    bool changed = false;
    for (int r = 0; r < PATH_ROWS; r++)
        changed = changed || std::strcmp(working[r], rows[r].fallback) != 0;
    gui_set_disabled(paths_window, GID_PATHS_RESET, !changed);
}

GuiWindowDesc describe(bool can_open) {
    GuiWindowDesc d;
    d.title = cat_str(839, "Choose Paths");
    d.size_gadget = true;
    d.root = gui_group(GK_VGROUP);
    for (int r = 0; r < PATH_ROWS; r++) {
        GuiNode row = gui_group(GK_HGROUP);
        GuiNode caption = gui_label(cat_str(rows[r].catalog, rows[r].caption));
        caption.min_w = 96; // the fields start in one column
        GuiNode field = gui_node(GK_STRING, GID_PATHS_FIELD + r);
        field.text = working[r];
        field.max_chars = static_cast<int>(PATH_TEXT_MAX);
        field.min_w = 41 * 8;
        field.weight = 1;
        GuiNode drawer = gui_node(GK_BUTTON, GID_PATHS_DRAWER + r);
        drawer.image = gui_image(IMAGE_DRAWER);
        drawer.hint = cat_str(840, "Choose Path");
        GuiNode open = gui_text_button(GID_PATHS_OPEN + r, 3, "Open...");
        open.weight = 0;
        open.disabled = !can_open;
        row.children = {caption, field, drawer, open};
        d.root.children.push_back(row);
    }
    d.root.children.push_back(gui_label(""));
    d.root.children.push_back(
        gui_reset_ok_cancel(GID_PATHS_RESET, GID_PATHS_OK, GID_PATHS_CANCEL, true));
    return d;
}

// The drawer shown by the desktop's file manager, as a file address.
void open_drawer(int r) {
    const std::string host = path_to_host(working[r]);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        gui_warning("Can't lock directory!");
        return;
    }
    char full[PATH_MAX];
    if (!::realpath(host.c_str(), full)) {
        gui_warning("Can't ascertain full path!");
        return;
    }
    if (!gui_host_open_url(full)) gui_beep();
}

void reset_to_defaults() {
    for (int r = 0; r < PATH_ROWS; r++) {
        copy_path(working[r], rows[r].fallback);
        gui_set_text(paths_window, GID_PATHS_FIELD + r, working[r]);
    }
    gui_set_disabled(paths_window, GID_PATHS_RESET, true);
}

// The drawer without a trailing "/" (a lone "/" is the root and stays).
void strip_slash(char* path) {
    std::size_t n = std::strlen(path);
    if (n > 1 && path[n - 1] == '/') path[n - 1] = '\0';
}

// One warning names each drawer that cannot be reached: what would be read
// from or written to it is refused until it can. The game list, when shown,
// says so itself of the games drawer as it reads it again.
void warn_unreached() {
    std::string text;
    for (int r = 0; r < PATH_ROWS; r++) {
        if (!rows[r].global[0] || (rows[r].global == games_path && view_gamelist[display_mode]))
            continue;
        struct stat st;
        if (::stat(path_to_host(rows[r].global).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        if (!text.empty()) text += "\n";
        text += std::string("Can't lock directory \"") + rows[r].global + "\" (" +
                cat_str(rows[r].catalog, rows[r].caption) + ")!";
    }
    if (!text.empty()) gui_warning(text.c_str());
}

void commit() {
    for (int r = 0; r < PATH_ROWS; r++) {
        copy_path(working[r], gui_get_text(paths_window, GID_PATHS_FIELD + r));
        strip_slash(working[r]);
        std::snprintf(rows[r].global, SETTINGS_PATH_LEN, "%s", working[r]);
    }
    warn_unreached();
    games_audit_drawer(0); // the game list from the games drawer, without a report
}

// 1 OK, 2 Cancel, 0 the dialog stays.
int gadget(int gid, int code) {
    if (gid >= GID_PATHS_FIELD && gid < GID_PATHS_FIELD + PATH_ROWS) {
        if (code == 69) return 2; // Esc in a field
        copy_path(working[gid - GID_PATHS_FIELD], gui_get_text(paths_window, gid));
        reset_rule();
        return 0;
    }
    if (gid >= GID_PATHS_DRAWER && gid < GID_PATHS_DRAWER + PATH_ROWS) {
        const int r = gid - GID_PATHS_DRAWER;
        if (gui_choose_path_requester(working[r])) {
            gui_set_text(paths_window, GID_PATHS_FIELD + r, working[r]);
            reset_rule();
        }
        return 0;
    }
    if (gid >= GID_PATHS_OPEN && gid < GID_PATHS_OPEN + PATH_ROWS) {
        open_drawer(gid - GID_PATHS_OPEN);
        return 0;
    }
    switch (gid) {
    case GID_PATHS_RESET:
        reset_to_defaults();
        return 0;
    case GID_PATHS_OK:
        return 1;
    case GID_PATHS_CANCEL:
        return 2;
    default:
        return 0;
    }
}

// One event: true when it closes the dialog (OK has then been carried out).
bool handle(const GuiEvent& e) {
    int result = 0;
    switch (e.type) {
    case GE_CLOSE:
        result = 1;
        break;
    case GE_RAWKEY:
        switch (gui_dialog_key(e.code, true)) {
        case DialogKey::RESET:
            reset_to_defaults();
            break;
        case DialogKey::OK:
            result = 1;
            break;
        case DialogKey::CANCEL:
            result = 2;
            break;
        case DialogKey::NONE:
            break;
        }
        break;
    case GE_GADGET:
        result = gadget(e.gid, e.code);
        break;
    case GE_EDITED: // the reset button follows the fields as they are typed in
        if (e.gid >= GID_PATHS_FIELD && e.gid < GID_PATHS_FIELD + PATH_ROWS) {
            copy_path(working[e.gid - GID_PATHS_FIELD], gui_get_text(paths_window, e.gid));
            reset_rule();
        }
        break;
    default:
        break;
    }
    if (result == 1) commit();
    return result != 0;
}

} // namespace

int gui_choose_path_requester(char* buffer) {
    std::string chosen;
    if (gui_drawer_request(cat_str(840, "Choose Path"), "", &chosen) != 0) return 0;
    if (chosen.size() > PATH_TEXT_MAX) {
        gui_beep(); // a drawer whose name does not fit
        return 0;
    }
    copy_path(buffer, chosen);
    return 1;
}

void gui_choose_paths_window() {
    if (paths_window && gui_window_is_open(paths_window)) {
        gui_window_show_again(paths_window);
        return;
    }
    const bool modal = gui_dialog_begin();
    for (int r = 0; r < PATH_ROWS; r++)
        copy_path(working[r], rows[r].global);
    paths_window = gui_window_open(describe(gui_host_url_handler()));
    if (!paths_window) {
        gui_dialog_abandon(modal);
        return;
    }
    reset_rule();
    gui_activate_gadget(paths_window, GID_PATHS_FIELD + 1);
    gui_dialog_run(modal, paths_window, handle, [] { paths_window = 0; });
}
