// The Zaccaria boards' switches: coinage, lives, high score and four options,
// each existing only on some of the games.
#include "devicewindows/dips_window.h"

#include "core/session.h"
#include "machines/coinop_inputs.h"
#include "platform/catalog.h"

#include <string>

namespace {

// Each gadget and the switch it sets.
struct Control {
    int gid;
    CoinopDip dip;
    bool checkbox;
};
constexpr Control CONTROLS[] = {
    {GID_ZAC_FREEZE, DIP_FREEZE, true},         {GID_ZAC_GRID, DIP_GRID, true},
    {GID_ZAC_COLLISIONS, DIP_COLLISIONS, true}, {GID_ZAC_RAPID, DIP_RAPID_FIRE, true},
    {GID_ZAC_LIVES, DIP_LIVES, false},          {GID_ZAC_COIN_A, DIP_COIN_A, false},
    {GID_ZAC_COIN_B, DIP_COIN_B, false},        {GID_ZAC_HIGH_SCORE, DIP_HIGH_SCORE, false},
};

const Control* control_of(int gid) {
    for (const Control& c : CONTROLS)
        if (c.gid == gid) return &c;
    return nullptr;
}

// "1/2 credit" or, on a Latin-1 locale, with the one-character half.
std::vector<std::string> coin_labels(bool seven) {
    const std::string credit = cat_str(414, "credit"), credits = cat_str(415, "credits");
    const std::string half = locale_latin1 ? "\xC2\xBD " : "1/2 ";
    std::vector<std::string> items = {half + credit, "1 " + credit, "2 " + credits, "3 " + credits,
                                      "5 " + credits};
    if (seven) items.push_back("7 " + credits);
    return items;
}

GuiNode framed(GuiNode inner, const char* title) {
    return dips_group(GK_VGROUP, {inner}, title);
}

GuiWindowDesc describe() {
    GuiNode coins = dips_group(
        GK_HGROUP, {framed(dips_radio(GID_ZAC_COIN_A, coin_labels(false)), cat_str(381, "Coin A")),
                    framed(dips_radio(GID_ZAC_COIN_B, coin_labels(true)), cat_str(382, "Coin B"))});
    GuiNode lives = dips_radio(GID_ZAC_LIVES, {"2", "3", "4", "5", "6", cat_str(624, "Infinite")});
    GuiNode high = dips_radio(GID_ZAC_HIGH_SCORE, {"0", "5000", "7500", "10000", "12500"});
    GuiNode middle = dips_group(GK_HGROUP, {framed(lives, cat_str(379, "Lives")),
                                            framed(high, cat_str(813, "High score"))});
    GuiNode options = dips_group(
        GK_VGROUP, {dips_checkbox(GID_ZAC_GRID, cat_str(730, "Calibration grid?")),
                    dips_checkbox(GID_ZAC_COLLISIONS, cat_str(625, "Detect collisions?")),
                    dips_checkbox(GID_ZAC_FREEZE, cat_str(380, "_Freeze?")),
                    dips_checkbox(GID_ZAC_RAPID, cat_str(731, "Rapid fire?"))});
    GuiNode bottom = dips_group(GK_HGROUP, {options, dips_space(), dips_picture(), dips_space()});
    GuiWindowDesc d;
    d.title = cat_str(378, "Zaccaria DIP Switches");
    d.root = dips_group(GK_VGROUP, {coins, middle, bottom});
    return d;
}

void refresh() {
    for (const Control& c : CONTROLS) {
        const int choice = coinop_dip_choice(c.dip);
        if (choice >= 0) dips_show(c.gid, choice);
    }
}

void input(int gid, int code) {
    const Control* c = control_of(gid);
    if (!c) return;
    // A choice the game does not have springs back to what its bytes say.
    if (!coinop_dip_set(c->dip, c->checkbox ? (code != 0) : code)) gui_dips_refresh(1);
}

bool exists(int gid) {
    const Control* c = control_of(gid);
    return c && coinop_dip_enabled(c->dip);
}

constexpr int GADGETS[] = {GID_ZAC_FREEZE, GID_ZAC_GRID,   GID_ZAC_COLLISIONS, GID_ZAC_RAPID,
                           GID_ZAC_LIVES,  GID_ZAC_COIN_A, GID_ZAC_COIN_B,     GID_ZAC_HIGH_SCORE};

} // namespace

const DipsWindow dips_zaccaria_window{describe, input, refresh, GADGETS, 8, exists};
