#include "gui/sensitivity.h"

#include "core/user_prefs.h"
#include "core/gamesdb.h"
#include "core/seams_games.h"
#include "core/settings_vars.h"
#include "gui/dialog_parts.h"
#include "gui/dialogs.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <algorithm>

int sensitivity_window = 0;

namespace {

constexpr int LOW = 1, HIGH = 5;
int values[2] = {3, 3}; // left, right
// "Reset to defaults" pressed, the side not moved since: OK gives the choice
// back to the machine.
bool given_back[2];

i32& setting(int side) {
    return side ? sensitivity_right : sensitivity_left;
}

// What a side runs at when nobody chose it: the running machine's own value,
// else the known game's recommended one, else 3.
int machines_value(int side) {
    i32 own = 0;
    if (prefs_run_own(&setting(side), &own)) return std::clamp(static_cast<int>(own), LOW, HIGH);
    return sensitivity_default();
}

GuiNode player(int side, int number, const char* english) {
    GuiNode group = gui_group(GK_HGROUP, cat_str(number, english));
    GuiNode slider = gui_node(GK_SLIDER, side ? GID_SENS_RIGHT_SLIDER : GID_SENS_LEFT_SLIDER);
    slider.min = LOW;
    slider.max = HIGH;
    slider.value = values[side];
    slider.min_w = 128;
    slider.weight = 1;
    GuiNode field = gui_node(GK_INTEGER, side ? GID_SENS_RIGHT_NUMBER : GID_SENS_LEFT_NUMBER);
    field.min = LOW;
    field.max = HIGH;
    field.value = values[side];
    field.max_chars = 2;
    group.children = {slider, field};
    return group;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(312, "Sensitivity");
    d.root = gui_group(GK_VGROUP);
    d.root.children = {player(0, 651, "Left player"), player(1, 652, "Right player"),
                       gui_reset_ok_cancel(GID_SENS_RESET, GID_SENS_OK, GID_SENS_CANCEL, false)};
    return d;
}

// Nothing to reset: each side shows the machine's value, and no choice of
// the user's stands behind it.
void reset_rule() {
    bool nothing = true;
    for (int side = 0; side < 2; side++)
        nothing = nothing && values[side] == machines_value(side) &&
                  (given_back[side] || !prefs_is_chosen(&setting(side)));
    gui_set_disabled(sensitivity_window, GID_SENS_RESET, nothing);
}

void set_side(int side, int value) {
    values[side] = std::clamp(value, LOW, HIGH);
    gui_set_value(sensitivity_window, side ? GID_SENS_RIGHT_SLIDER : GID_SENS_LEFT_SLIDER,
                  values[side]);
    gui_set_value(sensitivity_window, side ? GID_SENS_RIGHT_NUMBER : GID_SENS_LEFT_NUMBER,
                  values[side]);
}

// 1 confirm, 2 cancel, 0 the dialog stays.
int gadget(int gid, int code) {
    switch (gid) {
    case GID_SENS_LEFT_SLIDER:
    case GID_SENS_LEFT_NUMBER:
        set_side(0, code);
        given_back[0] = false;
        break;
    case GID_SENS_RIGHT_SLIDER:
    case GID_SENS_RIGHT_NUMBER:
        set_side(1, code);
        given_back[1] = false;
        break;
    case GID_SENS_RESET:
        for (int side = 0; side < 2; side++) {
            set_side(side, machines_value(side));
            given_back[side] = true;
        }
        break;
    case GID_SENS_OK:
        return 1;
    case GID_SENS_CANCEL:
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
        for (int side = 0; side < 2; side++) {
            setting(side) = values[side];
            if (given_back[side])
                prefs_give_back(&setting(side));
            else
                prefs_user_chose(&setting(side));
        }
    }
    return result != 0;
}

} // namespace

int sensitivity_default() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return 3;
    const int recommended = known_games_db[known_game_id].sensitivity;
    return recommended >= LOW && recommended <= HIGH ? recommended : 3;
}

void gui_sensitivity_window() {
    if (sensitivity_window && gui_window_is_open(sensitivity_window)) {
        gui_window_show_again(sensitivity_window);
        return;
    }
    const bool modal = gui_dialog_begin();
    for (int side = 0; side < 2; side++) {
        values[side] = std::clamp(static_cast<int>(setting(side)), LOW, HIGH);
        given_back[side] = false;
    }
    sensitivity_window = gui_window_open(describe());
    if (!sensitivity_window) {
        gui_dialog_abandon(modal);
        return;
    }
    reset_rule();
    gui_dialog_run(modal, sensitivity_window, handle, [] { sensitivity_window = 0; });
}
