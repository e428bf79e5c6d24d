#include "devicewindows/gameinfo_window.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "gui/dialog_parts.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/redefine_keys_window.h"
#include "gui/requesters.h"
#include "gui/tool_windows.h"
#include "input/controls_help.h"
#include "input/host_key_labels.h"
#include "input/host_pad_labels.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/redefine_keys.h"
#include "display/host.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstring>
#include <initializer_list>
#include <string>

std::string gameinfo_hints[36];

namespace {

constexpr int KEY_WIDTH = 54; // "12345"
constexpr int BOX_GAMES = 850;

int window() {
    return gui_subwin_window[TW_GAMEINFO];
}

// What the open window shows, to notice a new load.
std::string shown_state;

std::string current_state() {
    std::string s = std::to_string(memmap) + "/" + std::to_string(known_game_id) + "/" +
                    std::to_string(current_overlay) + "/" + std::to_string(palladium_gameinfo);
    for (const auto& field : game_info_fields)
        s += std::string("/") + field;
    return s;
}

// The fire buttons take part on the machines with game controllers.
bool fire_buttons_used() {
    return host_pads_available();
}

// A bounded help text, grown until it holds the whole text.
template <typename Fill> std::string whole_text(Fill fill) {
    std::string buf(256, '\0');
    int n = fill(buf.data(), buf.size());
    if (n >= static_cast<int>(buf.size())) {
        buf.assign(static_cast<std::size_t>(n) + 1, '\0');
        n = fill(buf.data(), buf.size());
    }
    buf.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buf;
}

std::string host_key_name(int player, int key) {
    const u16 code = player_keys[player & 1][key];
    return code < RAW_KEYS && key_table[code].name ? key_table[code].name : "-";
}

// The fire button's slot, when it names a keypad key (1-16); else -1.
int fire_slot(int k) {
    const i32 s = fire_button_assign[k];
    return s >= GK_KEYPAD1 && s < GK_UP ? s : -1;
}

GuiNode key_button(int row) {
    const OverlayKeySlot& slot = overlay_key_slots[row];
    GuiNode b = gui_node(GK_BUTTON, gameinfo_key_gadget(slot.player, slot.key));
    b.text = overlay_label(current_overlay, row);
    b.min_w = KEY_WIDTH;
    b.hint = gameinfo_hints[row];
    return b;
}
GuiNode cell() {
    GuiNode g = gui_node(GK_SPACE);
    g.min_w = KEY_WIDTH;
    return g;
}
GuiNode row_of(std::initializer_list<GuiNode> children) {
    GuiNode r = gui_group(GK_HGROUP);
    r.children = children;
    return r;
}
GuiNode spacer() {
    GuiNode g = gui_node(GK_SPACE);
    g.weight = 1;
    return g;
}
GuiNode centred(const GuiNode& n) {
    return row_of({spacer(), n, spacer()});
}

GuiNode keypad(int player) {
    // Overlay rows of this player's keys: key "2", x1-x3, 1, x4, 3, then
    // 4-6, 7-9, Clear, 0, Enter.
    const int p = player;
    GuiNode g = gui_group(GK_VGROUP, p ? cat_str(281, "Right") : cat_str(280, "Left"));
    if (palladium_gameinfo) {
        g.children.push_back(row_of({cell(), key_button(p), cell()}));
        g.children.push_back(row_of({key_button(2 + 3 * p), key_button(3 + 3 * p), key_button(4 + 3 * p)}));
        g.children.push_back(row_of({key_button(8 + 3 * p), key_button(9 + 3 * p), key_button(10 + 3 * p)}));
    } else {
        g.children.push_back(row_of({key_button(8 + 3 * p), key_button(p), key_button(10 + 3 * p)}));
    }
    for (int first : {14, 20, 26})
        g.children.push_back(row_of({key_button(first + 3 * p), key_button(first + 1 + 3 * p),
                                     key_button(first + 2 + 3 * p)}));
    return g;
}

GuiNode legend() {
    static constexpr struct {
        int number;
        const char* english;
    } NAMES[4] = {{435, "1st button"}, {436, "2nd button"}, {437, "3rd button"}, {438, "4th button"}};
    GuiNode g = gui_group(GK_VGROUP, cat_str(633, "Legend"));
    const bool used = fire_buttons_used();
    for (int k = 0; k < 4; k++) {
        GuiNode b = gui_node(GK_BUTTON, GID_INFO_LEGEND + k);
        b.text = cat_str(NAMES[k].number, NAMES[k].english);
        b.disabled = !used;
        b.hint = gameinfo_hints[32 + k];
        g.children.push_back(b);
    }
    g.children.push_back(spacer());
    return g;
}

GuiNode picture_column(int row) {
    GuiNode p = gui_node(GK_IMAGE);
    p.image = gui_image(row);
    p.centred = true;
    GuiNode c = gui_group(GK_VGROUP);
    c.children = {spacer(), p, spacer()};
    return c;
}

GuiNode information() {
    static constexpr struct {
        int number;
        const char* english;
    } LABELS[GAME_INFO_FIELDS] = {{107, "Game name:"}, {292, "Credits, Year:"},
                                  {444, "Reference:"}, {108, "Machine:"},
                                  {109, "Size:"},      {0, "CRC32/64:"},
                                  {480, "Language:"},  {110, "Start address:"}};
    GuiNode labels = gui_group(GK_VGROUP), values = gui_group(GK_VGROUP);
    for (int i = 0; i < GAME_INFO_FIELDS; i++) {
        labels.children.push_back(gui_label(
            LABELS[i].number ? cat_str(LABELS[i].number, LABELS[i].english) : LABELS[i].english));
        GuiNode v = gui_node(GK_STRING);
        v.readonly = true;
        v.text = game_info_fields[i];
        v.min_w = 320;
        values.children.push_back(v);
    }
    values.weight = 1;
    GuiNode r = gui_group(GK_HGROUP);
    const int machine_picture = gui_machine_picture(memmap);
    if (machine_picture >= 0) r.children.push_back(picture_column(machine_picture));
    r.children.push_back(labels);
    r.children.push_back(values);
    const int box = gameinfo_box_picture(known_game_id);
    if (box >= 0) r.children.push_back(picture_column(box));
    return r;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(121, "Game Information");
    d.help_node = "gameinfo";
    d.root = gui_group(GK_VGROUP);
    GuiNode instructions = gui_node(GK_BUTTON, GID_INFO_INSTRUCTIONS);
    instructions.text = cat_str(638, "Instructions...");
    instructions.disabled = game_overlay_text[0] == '\0';
    GuiNode hint = gui_label(cat_str(541, "Hover over a button for more information."));
    hint.gid = GID_INFO_HINT;
    GuiNode box = gui_node(GK_CHECKBOX, GID_INFO_PALLADIUM);
    box.text = cat_str(642, "Show Palladium keys?");
    box.value = palladium_gameinfo ? 1 : 0;
    d.root.children = {information(),
                       gui_label(""),
                       centred(instructions),
                       gui_label(""),
                       centred(hint),
                       row_of({keypad(0), keypad(1), legend()}),
                       gui_label(""),
                       box};
    return d;
}

// The keys the fire buttons press, in the fire buttons' colours; a key of
// several takes the lowest-numbered one's.
void paint_fire_keys() {
    if (!fire_buttons_used()) return;
    const int win = window();
    for (int k = 0; k < 4; k++)
        gui_set_background(win, GID_INFO_LEGEND + k, static_cast<int>(display_extra_pen_rgb(k)));
    const bool left_only = memmap_desc().traits.fire_keys_left_only;
    for (int k = 3; k >= 0; k--) {
        const int s = fire_slot(k);
        bool lower = false;
        for (int j = 0; j < k; j++)
            lower |= fire_slot(j) == s;
        if (s < 0 || lower) continue;
        const int rgb = static_cast<int>(display_extra_pen_rgb(k));
        gui_set_background(win, gameinfo_key_gadget(0, s), rgb);
        if (!left_only) gui_set_background(win, gameinfo_key_gadget(1, s), rgb);
    }
}

void close_window() {
    gui_close_subwindow(TW_GAMEINFO);
}

void rebuild() {
    close_window();
    gui_open_gameinfo_window();
}

// A new game, overlay or machine while open: shown at once.
void refresh(int) {
    if (window() && current_state() != shown_state) rebuild();
}

} // namespace

int gameinfo_box_picture(int game) {
    if (game < 0 || game >= BOX_GAMES) return -1;
    // The games whose boxes the program knows, by the box's file: the first
    // name, and the second in the MPT-03 view ("" the same box).
    static constexpr struct {
        int games[9]; // ended by -1
        const char* box;
        const char* mpt03;
    } BOXES[] = {
        {{0, 65, 122, -1}, "boxes/box-GOLF.gif", "boxes/box-mg324.gif"},
        {{3, -1}, "boxes/box-MACROSS.gif", ""},
        {{255, 256, 257, 258, 259, 260, 262, 263, -1}, "boxes/box-essrecord.gif", ""},
        {{404, 439, 440, 441, 442, 443, -1}, "boxes/box-hobbymodule.gif", ""},
    };
    for (const auto& b : BOXES)
        for (int i = 0; b.games[i] >= 0; i++)
            if (b.games[i] == game) {
                const char* name = viewctrlsas_arcadia == 1 && b.mpt03[0] ? b.mpt03 : b.box;
                for (int row = 0; row < GUI_IMAGES; row++)
                    if (gui_image_names[row] && std::strcmp(gui_image_names[row], name) == 0)
                        return row;
                return -1;
            }
    return -1;
}

void gui_gameinfo_build_hints() {
    for (int row = 0; row < OVERLAY_SLOTS; row++)
        gameinfo_hints[row] =
            whole_text([row](char* b, std::size_t n) { return controls_help_text(row, b, n); });
    for (int k = 0; k < 4; k++) {
        std::string& hint = gameinfo_hints[OVERLAY_SLOTS + k];
        hint.clear();
        if (!fire_buttons_used()) continue;
        const int s = fire_slot(k);
        const int left = s >= 0 ? guest_key_overlay_slot(0, s) : -1;
        const int right = s >= 0 ? guest_key_overlay_slot(1, s) : -1;
        if (left >= 0 && right >= 0) {
            hint = whole_text([=](char* b, std::size_t n) {
                return controls_help_text_players(left, right, 32 + k, b, n);
            });
        } else {
            // A fire button that presses no keypad key: its host keys alone.
            static constexpr int FIRE_KEYS[4] = {GK_FIRE1, GK_FIRE2, GK_FIRE3, GK_FIRE4};
            hint = std::string(cat_str(1402, "Host keys:")) + " " + host_key_name(0, FIRE_KEYS[k]) +
                   ", " + host_key_name(1, FIRE_KEYS[k]);
        }
    }
}

void gui_open_gameinfo_window() {
    if (window()) return;
    gui_gameinfo_build_hints();
    const int box = gameinfo_box_picture(known_game_id);
    if (box >= 0) gui_load_image(box, box, 0);
    // A box whose picture is not there is left out, not drawn as a frame.
    GuiWindowDesc d = describe();
    if (box >= 0 && gui_image_missing[box]) {
        GuiNode& info = d.root.children.front();
        info.children.pop_back();
    }
    if (!gui_open_subwindow(TW_GAMEINFO, d)) return;
    shown_state = current_state();
    paint_fire_keys();
    gui_key_gadgets_for_map();
}

void gui_gameinfo_window_input() {
    static bool reopen, instructions;
    reopen = instructions = false;
    const bool closed = gui_tool_window_events(TW_GAMEINFO, [](const GuiEvent& e) {
        if (e.type == GE_RAWKEY) {
            if (e.code == RAW_ESC) return true;
            gui_forward_raw_key(e.code);
        } else if (e.type == GE_GADGET && e.gid == GID_INFO_INSTRUCTIONS) {
            instructions = true;
        } else if (e.type == GE_GADGET && e.gid == GID_INFO_PALLADIUM) {
            palladium_gameinfo = e.code ? 1 : 0;
            return reopen = true;
        }
        return false;
    });
    if (closed) gui_flush_main_port();
    if (reopen) gui_open_gameinfo_window();
    if (instructions && window() && game_overlay_text[0])
        gui_requester(cat_str(637, "Instructions"), game_overlay_text, cat_str(143, "OK"), 1);
}

void gameinfo_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_GAMEINFO];
    ops.open = gui_open_gameinfo_window;
    ops.close = close_window;
    ops.input = gui_gameinfo_window_input;
    ops.refresh = refresh;
}
