#include "gui/gamepad_buttons.h"

#include "core/settings_vars.h"
#include "gui/dialog_parts.h"
#include "gui/dialogs.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstring>

// clang-format off
const GamepadOrder gamepad_button_orders[GAMEPAD_ORDERS] = {
    {"R,B,G,Y", {1, 2, 3, 4}}, {"R,B,Y,G", {1, 2, 4, 3}}, {"R,G,B,Y", {1, 3, 2, 4}},
    {"R,G,Y,B", {1, 3, 4, 2}}, {"R,Y,B,G", {1, 4, 2, 3}}, {"R,Y,G,B", {1, 4, 3, 2}},
    {"B,R,G,Y", {2, 1, 3, 4}}, {"B,R,Y,G", {2, 1, 4, 3}}, {"B,G,R,Y", {2, 3, 1, 4}},
    {"B,G,Y,R", {2, 3, 4, 1}}, {"B,Y,R,G", {2, 4, 1, 3}}, {"B,Y,G,R", {2, 4, 3, 1}},
    {"G,R,B,Y", {3, 1, 2, 4}}, {"G,R,Y,B", {3, 1, 4, 2}}, {"G,B,R,Y", {3, 2, 1, 4}},
    {"G,B,Y,R", {3, 2, 4, 1}}, {"G,Y,R,B", {3, 4, 1, 2}}, {"G,Y,B,R", {3, 4, 2, 1}},
    {"Y,R,B,G", {4, 1, 2, 3}}, {"Y,R,G,B", {4, 1, 3, 2}}, {"Y,B,R,G", {4, 2, 1, 3}},
    {"Y,B,G,R", {4, 2, 3, 1}}, {"Y,G,R,B", {4, 3, 1, 2}}, {"Y,G,B,R", {4, 3, 2, 1}},
};
// clang-format on

int gamepad_buttons_window = 0;

namespace {

int rows[2] = {0, 0};
// A gamepad whose stored map is none of the orders (written by hand, say two
// buttons on one guest button) keeps that map until an order is picked for it
// or the orders are reset: OK for the other gamepad must not replace it.
bool own_map[2] = {false, false};

GuiNode pad(int gid, int number, const char* english, int row) {
    GuiNode group = gui_group(GK_VGROUP, cat_str(number, english));
    GuiNode list = gui_node(GK_RADIO, gid);
    for (const GamepadOrder& o : gamepad_button_orders)
        list.items.emplace_back(o.label);
    list.value = row;
    list.vertical = true;
    group.children.push_back(list);
    return group;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(448, "Rearrange Gamepad Buttons");
    d.root = gui_group(GK_VGROUP);
    GuiNode pads = gui_group(GK_HGROUP);
    pads.children = {pad(GID_PADS_FIRST, 659, "1st gamepad", rows[0]),
                     pad(GID_PADS_SECOND, 660, "2nd gamepad", rows[1])};
    d.root.children = {pads,
                       gui_reset_ok_cancel(GID_PADS_RESET, GID_PADS_OK, GID_PADS_CANCEL, false)};
    return d;
}

void reset_rule() {
    gui_set_disabled(gamepad_buttons_window, GID_PADS_RESET,
                     rows[0] == 0 && rows[1] == 0 && !own_map[0] && !own_map[1]);
}

// 1 confirm, 2 cancel, 0 the dialog stays.
int gadget(int gid, int code) {
    switch (gid) {
    case GID_PADS_FIRST:
    case GID_PADS_SECOND:
        if (code >= 0 && code < GAMEPAD_ORDERS) {
            rows[gid - GID_PADS_FIRST] = code;
            own_map[gid - GID_PADS_FIRST] = false;
        }
        break;
    case GID_PADS_RESET:
        rows[0] = rows[1] = 0;
        own_map[0] = own_map[1] = false;
        gui_set_value(gamepad_buttons_window, GID_PADS_FIRST, 0);
        gui_set_value(gamepad_buttons_window, GID_PADS_SECOND, 0);
        break;
    case GID_PADS_OK:
        return 1;
    case GID_PADS_CANCEL:
        return 2;
    default:
        return 0;
    }
    reset_rule();
    return 0;
}

bool handle(const GuiEvent& e) {
    int result = 0;
    if (e.type == GE_CLOSE) {
        result = 1;
    } else if (e.type == GE_RAWKEY) {
        const DialogKey k = gui_dialog_key(e.code, false);
        result = k == DialogKey::OK ? 1 : k == DialogKey::CANCEL ? 2 : 0;
    } else if (e.type == GE_GADGET) {
        result = gadget(e.gid, e.code);
    }
    if (result == 1) {
        if (!own_map[0]) std::memcpy(leftbutton, gamepad_button_orders[rows[0]].buttons, 4);
        if (!own_map[1]) std::memcpy(rightbutton, gamepad_button_orders[rows[1]].buttons, 4);
    }
    return result != 0;
}

} // namespace

int gamepad_order_of(const u8 map[4]) {
    for (int r = 0; r < GAMEPAD_ORDERS; r++)
        if (std::memcmp(map, gamepad_button_orders[r].buttons, 4) == 0) return r;
    return -1;
}

void gui_gamepad_buttons_window() {
    if (gamepad_buttons_window && gui_window_is_open(gamepad_buttons_window)) {
        gui_window_show_again(gamepad_buttons_window);
        return;
    }
    const bool modal = gui_dialog_begin();
    const u8* maps[2] = {leftbutton, rightbutton};
    for (int p = 0; p < 2; p++) {
        rows[p] = gamepad_order_of(maps[p]);
        own_map[p] = rows[p] < 0;
        if (own_map[p]) rows[p] = 0; // shown on the first order
    }
    gamepad_buttons_window = gui_window_open(describe());
    if (!gamepad_buttons_window) {
        gui_dialog_abandon(modal);
        return;
    }
    reset_rule();
    gui_dialog_run(modal, gamepad_buttons_window, handle, [] { gamepad_buttons_window = 0; });
}
