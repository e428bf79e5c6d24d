#include "gui/redefine_keys_window.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "input/redefine_keys.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <initializer_list>
#include <string>

int redefine_keys_window = 0;

namespace {

constexpr int KEY_WIDTH = 80; // "123456789"
RedefineClose close_reason = RedefineClose::NONE;
int last_left = -1, last_top = -1;

std::string key_name(u8 code) {
    const char* name = code < RAW_KEYS ? key_table[code].name : nullptr;
    return name ? name : "-";
}

GuiNode key_button(int column, int key) {
    GuiNode b = gui_node(GK_BUTTON, redefine_gadget(column, key));
    b.text = key_name(redefine_pending(column, key));
    b.min_w = KEY_WIDTH;
    b.weight = 1;
    return b;
}
GuiNode empty_cell() {
    GuiNode g = gui_node(GK_SPACE);
    g.min_w = KEY_WIDTH;
    g.weight = 1;
    return g;
}
// A row of guest keys of `column`; -1 an empty cell.
GuiNode key_row(int column, std::initializer_list<int> keys) {
    GuiNode r = gui_group(GK_HGROUP);
    for (int k : keys)
        r.children.push_back(k < 0 ? empty_cell() : key_button(column, k));
    return r;
}

std::string with_colon(const char* text) {
    return std::string(text) + ":";
}

// Each label beside its button, the buttons lined up at the right.
GuiNode labelled(const std::string* labels, const GuiNode* buttons, int n) {
    GuiNode rows = gui_group(GK_VGROUP);
    for (int i = 0; i < n; i++) {
        GuiNode text = gui_label(labels[i]);
        text.weight = 1;
        GuiNode button = buttons[i];
        button.weight = 0;
        GuiNode r = gui_group(GK_HGROUP);
        r.children = {text, button};
        rows.children.push_back(r);
    }
    return rows;
}

GuiNode player_group(int column) {
    GuiNode g = gui_group(GK_VGROUP, column ? cat_str(281, "Right") : cat_str(280, "Left"));
    GuiNode dirs = gui_group(GK_VGROUP, " ");
    dirs.children = {key_row(column, {GK_UP_LEFT, GK_UP, GK_UP_RIGHT}),
                     key_row(column, {GK_LEFT, -1, GK_RIGHT}),
                     key_row(column, {GK_DOWN_LEFT, GK_DOWN, GK_DOWN_RIGHT})};
    GuiNode pad = gui_group(GK_VGROUP, " ");
    if (palladium_redefinekeys) {
        pad.children.push_back(key_row(column, {-1, 2, -1}));
        pad.children.push_back(key_row(column, {13, 14, 15}));
        pad.children.push_back(key_row(column, {1, 16, 3}));
    } else {
        pad.children.push_back(key_row(column, {1, 2, 3}));
    }
    pad.children.push_back(key_row(column, {4, 5, 6}));
    pad.children.push_back(key_row(column, {7, 8, 9}));
    pad.children.push_back(key_row(column, {10, 11, 12}));

    static constexpr struct {
        int key, number;
        const char* english;
    } FIRE[4] = {{GK_FIRE1, 435, "1st button"},
                 {GK_FIRE2, 436, "2nd button"},
                 {GK_FIRE3, 437, "3rd button"},
                 {GK_FIRE4, 438, "4th button"}};
    std::string labels[4];
    GuiNode buttons[4];
    for (int i = 0; i < 4; i++) {
        labels[i] = with_colon(cat_str(FIRE[i].number, FIRE[i].english));
        buttons[i] = key_button(column, FIRE[i].key);
    }
    GuiNode fire = gui_group(GK_VGROUP, " ");
    fire.children.push_back(labelled(labels, buttons, 4));
    g.children = {dirs, pad, fire};
    g.weight = 1;
    return g;
}

GuiNode middle_column() {
    std::string labels[4];
    GuiNode buttons[4];
    for (int i = 0; i < 4; i++) {
        const char* l = machine_live_row().console_labels[i];
        labels[i] = with_colon(l ? l : "-");
        buttons[i] = key_button(REDEFINE_CONSOLE, i);
    }
    GuiNode console = gui_group(GK_VGROUP, cat_str(653, "Console"));
    console.children.push_back(labelled(labels, buttons, 4));
    GuiNode box = gui_node(GK_CHECKBOX, GID_REDEF_PALLADIUM);
    box.text = cat_str(642, "Show Palladium keys?");
    box.value = palladium_redefinekeys ? 1 : 0;
    GuiNode picture = gui_node(GK_IMAGE);
    const int row = gui_machine_picture(memmap);
    if (row >= 0) picture.image = gui_image(row);
    picture.centred = true;
    GuiNode c = gui_group(GK_VGROUP);
    c.children = {console, box, picture};
    return c;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(123, "Redefine Keys");
    d.left = last_left;
    d.top = last_top;
    d.root = gui_group(GK_VGROUP);
    GuiNode columns = gui_group(GK_HGROUP);
    columns.children = {player_group(0), middle_column(), player_group(1)};
    d.root.children = {columns,
                       gui_reset_ok_cancel(GID_REDEF_RESET, GID_REDEF_OK, GID_REDEF_CANCEL, true)};
    return d;
}

// Every shown button's text and pressed state from the pending copy, the
// fire buttons on their colours, and the reset rule.
void show() {
    const int win = redefine_keys_window;
    static constexpr int FIRE[4] = {GK_FIRE1, GK_FIRE2, GK_FIRE3, GK_FIRE4};
    for (int column = 0; column <= REDEFINE_CONSOLE; column++)
        for (int key = 0; key < (column == REDEFINE_CONSOLE ? 4 : KEYPAD_KEYS); key++) {
            const int gid = redefine_gadget(column, key);
            if (gid < 0) continue;
            gui_set_text(win, gid, key_name(redefine_pending(column, key)).c_str());
            const bool waiting = redefine_wait.column == column && redefine_wait.key == key;
            gui_set_selected(win, gid, waiting);
            int pen = -1;
            for (int f = 0; f < 4 && column != REDEFINE_CONSOLE; f++)
                if (key == FIRE[f]) pen = f;
            const int rgb = waiting ? static_cast<int>(display_extra_pen_rgb(4))
                            : pen >= 0 ? static_cast<int>(display_extra_pen_rgb(pen))
                                       : -1;
            gui_set_background(win, gid, rgb);
        }
    gui_set_disabled(win, GID_REDEF_RESET, redefine_keys_are_defaults());
}

bool handle(const GuiEvent& e) {
    RedefineClose reason = RedefineClose::NONE;
    switch (e.type) {
    case GE_CLOSE:
        reason = RedefineClose::OK;
        break;
    case GE_RAWKEY:
        reason = redefine_on_key(e.code);
        break;
    case GE_GADGET:
        reason = redefine_on_gadget(e.gid, e.code);
        break;
    default:
        return false;
    }
    if (reason == RedefineClose::NONE) {
        show();
        return false;
    }
    close_reason = reason;
    gui_window_position(redefine_keys_window, &last_left, &last_top, nullptr, nullptr);
    if (reason == RedefineClose::OK) redefine_keys_commit();
    return true;
}

// After the window closed: what OK and the toggle still do.
void closed() {
    redefine_keys_window = 0;
    redefine_wait = RedefineWait{};
    gui_flush_main_port();
    input_clear_key_matrix();
    if (close_reason == RedefineClose::OK) {
        // Every window that shows key names shows the new ones.
        gui_close_all_subwindows();
        gui_reopen_subwindows();
    }
}

} // namespace

int gui_redefine_keys_window(int keep) {
    if (redefine_keys_window || !redefine_keys_available()) return 0;
    const bool modal = gui_dialog_begin();
    if (!keep) redefine_keys_load();
    redefine_wait = RedefineWait{};
    close_reason = RedefineClose::NONE;
    gui_load_image(37, 39, 0); // ok, cancel, reset
    redefine_keys_window = gui_window_open(describe());
    if (!redefine_keys_window) {
        gui_dialog_abandon(modal);
        return 0;
    }
    gui_key_gadgets_for_map();
    show();
    gui_dialog_run(modal, redefine_keys_window, handle, [modal] {
        closed();
        // Without the modal loop (a command of the scripting port) the
        // dialog reopens itself in the other layout.
        if (!modal && close_reason == RedefineClose::TOGGLE) gui_redefine_keys_window(1);
    });
    return modal && close_reason == RedefineClose::TOGGLE ? 1 : 0;
}

void gui_redefine_keys() {
    int keep = 0;
    while (gui_redefine_keys_window(keep))
        keep = 1;
}

void gui_key_gadgets_enable(int flag, bool enable) {
    if (redefine_keys_window) {
        const int gid = redefine_flag_gadget(flag, palladium_redefinekeys != 0);
        if (gid >= 0) gui_set_disabled(redefine_keys_window, gid, !enable);
    }
    // The setter leaves a closed Game Information window alone.
    const int gid = gameinfo_flag_gadget(flag, palladium_gameinfo != 0);
    if (gid >= 0) gui_set_enabled(TW_GAMEINFO, gid, enable ? 1u : 0u);
}

void gui_key_gadgets_for_map() {
    const MemmapDesc& map = memmap_desc();
    for (int i = 0; i < GUEST_KEYS; i++)
        gui_key_gadgets_enable(i, map.keys[i] != 0);
}
