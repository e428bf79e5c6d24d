#include "gui/hiscore_window.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "app/mainloop.h"
#include "app/shutdown.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "gui/requesters.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstdio>
#include <string>
#include <vector>

char hiscore_score_text[HISCORE_SLOTS][HISCORE_TEXT_SIZE];
char hiscore_time_text[HISCORE_SLOTS][HISCORE_TEXT_SIZE];
u8 hiscore_images_pending[2] = {1, 1};
int hiscore_window = 0;

namespace {

constexpr int ARCADIA_GAMES = 52;
constexpr int ARCADIA_PICTURE = 121;
constexpr int COINOP_PICTURE = 173;
constexpr int CLEAR_PICTURE = 40;

const char* const coinop_names[6] = {"Astro Wars", "Galaxia",  "Laser Battle",
                                     "Lazarian",   "Malzak 1", "Malzak 2"};
const char* const typeright_names[23] = {
    "Class 1",         "Class 2",         "Class 3",         "Class 4",         "Class 5",
    "Class 6 Level 1", "Class 6 Level 2", "Class 6 Level 3", "Class 6 Level 4", "Class 7 Level 1",
    "Class 7 Level 2", "Class 7 Level 3", "Class 7 Level 4", "Class 8 Level 1", "Class 8 Level 2",
    "Class 8 Level 3", "Class 8 Level 4", "Class 9 Level 1", "Class 9 Level 2", "Class 9 Level 3",
    "Class 9 Level 4", "Game 1",          "Game 2",
};

int first_row = 0, row_count = 0;
HiscorePage page = HiscorePage::NONE;

void format_rows() {
    for (int r = 0; r < row_count; r++) {
        const HiScoreRecord& rec = hiscores[first_row + r];
        hiscore_format_score(rec.score, hiscore_score_text[r]);
        hiscore_format_time(rec.play_seconds, hiscore_time_text[r]);
    }
}

std::vector<GuiListRow> list_rows() {
    std::vector<GuiListRow> rows;
    for (int r = 0; r < row_count; r++) {
        const HiScoreRecord& rec = hiscores[first_row + r];
        GuiListRow row;
        row.cells = {{"", gui_image(ARCADIA_PICTURE + r), false},
                     {hiscore_game_name(r), 0, false},
                     {hiscore_score_text[r], 0, true},
                     {rec.when, 0, false},
                     {rec.who, 0, false},
                     {hiscore_time_text[r], 0, true}};
        rows.push_back(std::move(row));
    }
    return rows;
}

GuiNode label(const std::string& text, int align = 0) {
    GuiNode n;
    n.kind = GK_LABEL;
    n.text = text;
    n.align = align;
    return n;
}

// A read-only field `chars` characters wide (0: it takes the spare width).
GuiNode field(int gid, const std::string& text, int chars, int align) {
    GuiNode n;
    n.kind = GK_STRING;
    n.gid = gid;
    n.text = text;
    n.readonly = true;
    n.max_chars = chars;
    n.weight = chars ? 0 : 1;
    n.align = align;
    return n;
}

// A column headed by `heading`, aligned as its fields are.
GuiNode column(const std::string& heading, int align, int weight) {
    GuiNode n;
    n.kind = GK_VGROUP;
    n.weight = weight;
    n.children.push_back(label(heading, align));
    return n;
}

constexpr int LEFT = 0, CENTRED = 1, RIGHT = 2;

// Five columns for the rows first..first+count-1 of the page (row numbers
// within the machine's range); captions as given.
GuiNode field_grid(int first, int count, const char* const* captions, bool pictures) {
    GuiNode game = column("", LEFT, 0);
    GuiNode score = column(cat_str(1014, "Score"), RIGHT, 0);
    GuiNode when = column(cat_str(1015, "Achieved on"), CENTRED, 0);
    GuiNode who = column(cat_str(1297, "Achieved by"), LEFT, 1);
    GuiNode time = column(cat_str(1016, "Played for"), RIGHT, 0);
    for (int r = first; r < first + count; r++) {
        const HiScoreRecord& rec = hiscores[first_row + r];
        GuiNode caption;
        caption.kind = GK_HGROUP;
        if (pictures) {
            GuiNode pic;
            pic.kind = GK_IMAGE;
            pic.image = gui_image(COINOP_PICTURE + r);
            caption.children.push_back(pic);
        }
        caption.children.push_back(label(captions[r - first]));
        GuiNode space;
        space.kind = GK_SPACE;
        space.weight = 1;
        caption.children.push_back(space);
        game.children.push_back(caption);
        score.children.push_back(field(GID_HISCORE_SCORE + r, hiscore_score_text[r], 7, RIGHT));
        when.children.push_back(field(GID_HISCORE_WHEN + r, rec.when, 15, CENTRED));
        who.children.push_back(field(GID_HISCORE_WHO + r, rec.who, 0, LEFT));
        time.children.push_back(field(GID_HISCORE_TIME + r, "", 10, RIGHT)); // filled once open
    }
    GuiNode grid;
    grid.kind = GK_HGROUP;
    grid.weight = 1;
    grid.children = {game, score, when, who, time};
    return grid;
}

GuiNode page_body() {
    switch (page) {
    case HiscorePage::GAME_LIST: {
        if (hiscore_images_pending[0]) {
            gui_load_images_progress(ARCADIA_PICTURE, ARCADIA_PICTURE + ARCADIA_GAMES - 1, -1, -1);
            hiscore_images_pending[0] = 0;
        }
        GuiNode list;
        list.kind = GK_LIST;
        list.gid = GID_HISCORE_LIST;
        list.readonly = true;
        list.weight = 1;
        list.wheel_to_window = true; // scrolled by the modifier keys held
        list.value = -1;
        list.max_chars = 63; // least width
        list.visible = 16;   // rows in view at least
        list.columns = {"",
                        cat_str(673, "Game"),
                        cat_str(1014, "Score"),
                        cat_str(1015, "Achieved on"),
                        cat_str(1297, "Achieved by"),
                        cat_str(1016, "Played for")};
        list.rows = list_rows();
        return list;
    }
    case HiscorePage::COINOP:
        if (hiscore_images_pending[1]) {
            gui_load_images_progress(COINOP_PICTURE, COINOP_PICTURE + 5, -1, -1);
            hiscore_images_pending[1] = 0;
        }
        return field_grid(0, row_count, coinop_names, true);
    case HiscorePage::BALL_AND_PADDLE: {
        static const char* first_names[3] = {"", "", ""};
        static const char* second_names[3] = {"", "", ""};
        first_names[0] = cat_str(527, "Practice");
        first_names[1] = cat_str(535, "Rifle #1");
        first_names[2] = cat_str(536, "Rifle #2");
        second_names[0] = cat_str(527, "Practice");
        second_names[1] = cat_str(704, "Basketball Practice");
        second_names[2] = cat_str(705, "1-Player Target");
        GuiNode body;
        body.kind = GK_VGROUP;
        body.weight = 1;
        GuiNode a = field_grid(0, 3, first_names, false);
        a.framed = true;
        a.text = "AY-3-8500/8550";
        GuiNode b = field_grid(3, 3, second_names, false);
        b.framed = true;
        b.text = "AY-3-8600";
        body.children = {a, b};
        return body;
    }
    default:
        return field_grid(0, row_count, typeright_names, false);
    }
}

const char* page_title() {
    switch (page) {
    case HiscorePage::GAME_LIST:
        return cat_str(391, "Emerson Arcadia 2001 High Scores");
    case HiscorePage::COINOP:
        return cat_str(459, "Coin-Op High Scores");
    case HiscorePage::BALL_AND_PADDLE:
        return cat_str(534, "Pong High Scores");
    default:
        return cat_str(732, "Type-right High Scores");
    }
}

GuiWindowDesc window_desc() {
    GuiWindowDesc d;
    d.title = page_title();
    d.size_gadget = true;
    GuiNode& root = d.root;
    root.kind = GK_VGROUP;

    GuiNode picture_row;
    picture_row.kind = GK_HGROUP;
    GuiNode space;
    space.kind = GK_SPACE;
    space.weight = 1;
    GuiNode picture;
    picture.kind = GK_IMAGE;
    picture.image = gui_image(gui_machine_picture(memmap));
    picture_row.children = {space, picture, space};
    root.children.push_back(picture_row);
    root.children.push_back(label(" "));
    root.children.push_back(page_body());

    GuiNode clear;
    clear.kind = GK_BUTTON;
    clear.gid = GID_HISCORE_CLEAR;
    clear.image = gui_image(CLEAR_PICTURE);
    clear.text = std::string(" ") + cat_str(1017, "Clear data");
    clear.disabled = true;
    root.children.push_back(clear);
    return d;
}

void show_times() {
    for (int r = 0; r < row_count; r++)
        gui_set_text(hiscore_window, GID_HISCORE_TIME + r, hiscore_time_text[r]);
}

void clear_data() {
    hiscore_clear();
    format_rows();
    if (page == HiscorePage::GAME_LIST) {
        gui_set_rows(hiscore_window, GID_HISCORE_LIST, list_rows());
    } else {
        for (int r = 0; r < row_count; r++) {
            const HiScoreRecord& rec = hiscores[first_row + r];
            gui_set_text(hiscore_window, GID_HISCORE_SCORE + r, hiscore_score_text[r]);
            gui_set_text(hiscore_window, GID_HISCORE_WHEN + r, rec.when);
            gui_set_text(hiscore_window, GID_HISCORE_WHO + r, rec.who);
            gui_set_text(hiscore_window, GID_HISCORE_TIME + r, "0:00");
        }
    }
    gui_set_disabled(hiscore_window, GID_HISCORE_CLEAR, true);
}

// One event; true when it closes the window.
bool handle(const GuiEvent& e) {
    switch (e.type) {
    case GE_CLOSE:
        return true;
    case GE_GADGET:
        if (e.gid != GID_HISCORE_CLEAR) return false;
        // Left open over a machine switch, the page is no longer the machine's: it
        // closes instead of clearing another machine's records.
        if (machine_desc().first_hiscore_row != first_row) return true;
        clear_data();
        return false;
    case GE_WHEEL:
        if (page != HiscorePage::GAME_LIST) return false;
        if (e.code < 0)
            gui_list_scroll_up(GID_HISCORE_LIST, hiscore_window, e.qualifier);
        else
            gui_list_scroll_down(GID_HISCORE_LIST, hiscore_window, e.qualifier);
        return false;
    case GE_RAWKEY:
        if (e.code >= RAWKEY_UP) return false;
        if (page != HiscorePage::GAME_LIST) return true;
        switch (e.code) {
        case 0x43:
        case 0x44:
        case 0x45:
            return true;
        case 0x4C:
        case 0x7A:
            gui_list_scroll_up(GID_HISCORE_LIST, hiscore_window, e.qualifier);
            return false;
        case 0x4D:
        case 0x7B:
            gui_list_scroll_down(GID_HISCORE_LIST, hiscore_window, e.qualifier);
            return false;
        default:
            return false;
        }
    default:
        return false;
    }
}

} // namespace

void hiscore_format_time(u32 t, char out[HISCORE_TEXT_SIZE]) {
    const u32 days = t / 86400, hours = t / 3600 % 24, minutes = t / 60 % 60, seconds = t % 60;
    if (t > 863999)
        std::snprintf(out, HISCORE_TEXT_SIZE, "#:##:##:##");
    else if (t >= 86400)
        std::snprintf(out, HISCORE_TEXT_SIZE, "%u:%02u:%02u:%02u", days, hours, minutes, seconds);
    else if (t >= 3600)
        std::snprintf(out, HISCORE_TEXT_SIZE, "%2u:%02u:%02u", hours, minutes, seconds);
    else
        std::snprintf(out, HISCORE_TEXT_SIZE, "%2u:%02u", minutes, seconds);
}

void hiscore_format_score(u32 score, char out[HISCORE_TEXT_SIZE]) {
    std::snprintf(out, HISCORE_TEXT_SIZE, "%u", score);
}

// The Arcadia records are kept in the order of their games' titles.
const char* hiscore_game_name(int row) {
    static const char* const names[ARCADIA_GAMES] = {
        "3D Attack",     "3D Soccer",     "Home Run",       "Alien Invaders", "American Football",
        "Astro Invader", "Baseball",      "Basketball",     "Boxing",         "Breakaway",
        "Capture",       "Cat Trax",      "Circus",         "Crazy Climber",  "Crazy Gobbler",
        "Doraemon",      "Dr. Slump",     "Escape",         "Frogger",        "Funky Fish",
        "Gundam",        "Hobo",          "Journey",        "JTron",          "Jump Bug",
        "Jungler",       "Kotonoha",      "Macross",        "Missile War",    "Monaco Grand Prix",
        "Nibblemen",     "Parashooter",   "Pleiades",       "R2D Tank",       "Red Clash",
        "Robot Killer",  "Route 16",      "Soccer",         "Space Attack",   "Space Buster",
        "Space Mission", "Space Raiders", "Space Squadron", "Space Vulture",  "Spiders",
        "Super Bug #1",  "Super Bug #2",  "Tanks a Lot",    "Tetris #1",      "Tetris #2",
        "The End",       "Turtles",
    };
    return row >= 0 && row < ARCADIA_GAMES ? names[row] : "";
}

void gui_list_scroll_up(int gid, int win, u32 qualifiers) {
    gui_list_scroll(win, gid, qualifiers & QUAL_ALT ? 5 : qualifiers & 0x0B ? 3 : 1);
}

void gui_list_scroll_down(int gid, int win, u32 qualifiers) {
    gui_list_scroll(win, gid, qualifiers & QUAL_ALT ? 6 : qualifiers & 0x0B ? 4 : 2);
}

void gui_high_scores_window() {
    if (hiscore_window) {
        gui_window_show_again(hiscore_window);
        return;
    }
    if (!app_acquired.host_gui) return;
    const MachineDesc& row = machine_desc();
    page = row.traits.hiscore_page;
    if (page == HiscorePage::NONE || row.first_hiscore_row < 0 || row.hiscore_rows <= 0) return;
    first_row = row.first_hiscore_row;
    row_count = row.hiscore_rows;
    if (first_row + row_count > HISCORE_SLOTS) return;

    const bool modal = gui_dialog_begin();
    format_rows();
    hiscore_window = gui_window_open(window_desc());
    if (!hiscore_window) {
        gui_dialog_abandon(modal);
        return;
    }
    if (page != HiscorePage::GAME_LIST) show_times();
    if (hiscore_count()) gui_set_disabled(hiscore_window, GID_HISCORE_CLEAR, false);
    gui_dialog_run(modal, hiscore_window, handle, [] { hiscore_window = 0; });
}
