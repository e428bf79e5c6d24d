// The ball-and-paddle machine's switches: the game, bats, speed, angles,
// serving, chip variant, players, the robots' speeds and two options. The
// AY-3-8600 has fewer of them than the AY-3-8500/8550.
#include "devicewindows/dips_window.h"

#include "core/emu.h"
#include "core/notify.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "display/frame.h"
#include "display/host.h"
#include "machines/pong.h"
#include "platform/catalog.h"

#include <string>

namespace {

constexpr const char* one_bat_text =
    "One-player games: the left player's controls and Left: play the bat";

// The AY-3-8600's games follow the AY-3-8500/8550's seven in pong_variant.
constexpr int FIRST_8600_GAME = 7;

GuiNode framed(GuiNode inner, const char* title) {
    return dips_group(GK_VGROUP, {inner}, title);
}

GuiNode robot(int gid, const char* label) {
    GuiNode s = dips_node(GK_SLIDER, gid);
    s.label = label;
    s.min = 0;
    s.max = 4;
    s.weight = 1;
    return s;
}

GuiWindowDesc describe() {
    const bool b8600 = pong_chip_8600();
    const std::string s = cat_str(517, "Short"), t = cat_str(518, "Tall");
    std::vector<std::string> bats = {s, t};
    if (b8600) {
        bats.push_back(s + ", " + t);
        bats.push_back(t + ", " + s);
    }
    std::vector<std::string> speeds = {cat_str(519, "Slow"), cat_str(520, "Fast")};
    if (!b8600) speeds.push_back(cat_str(831, "Random"));
    std::vector<std::string> games;
    if (b8600)
        games = {cat_str(523, "Tennis"),          cat_str(699, "Hockey"),
                 cat_str(700, "Soccer"),          cat_str(701, "Squash"),
                 cat_str(527, "Practice"),        cat_str(702, "Gridball"),
                 cat_str(703, "Basketball"),      cat_str(704, "Basketball Practice"),
                 cat_str(705, "1-Player Target"), cat_str(706, "2-Player Target")};
    else
        games = {cat_str(523, "Tennis"),   cat_str(524, "Soccer/Hockey"),
                 cat_str(525, "Handicap"), cat_str(526, "Squash/Handball"),
                 cat_str(527, "Practice"), cat_str(535, "Rifle #1"),
                 cat_str(536, "Rifle #2")};

    GuiNode top = dips_group(
        GK_HGROUP,
        {framed(dips_radio(GID_PONG_GAME, games), cat_str(516, "Game (F2)")),
         dips_group(GK_VGROUP,
                    {framed(dips_radio(GID_PONG_BATS, bats), cat_str(514, "Bat size (F4)")),
                     framed(dips_radio(GID_PONG_SPEED, speeds), cat_str(94, "Speed"))})});
    if (!b8600) {
        top.children.push_back(dips_group(
            GK_VGROUP, {framed(dips_radio(GID_PONG_SERVING,
                                          {cat_str(522, "Automatic"), cat_str(521, "Manual")}),
                               cat_str(515, "Serving")),
                        framed(dips_radio(GID_PONG_ANGLES, {"2", "4", cat_str(831, "Random")}),
                               cat_str(513, "Angles"))}));
        top.children.push_back(dips_group(
            GK_VGROUP, {framed(dips_radio(GID_PONG_MACHINE,
                                          {"AY-3-8500 (1976)", "AY-3-8500 (1977)", "AY-3-8550"}),
                               cat_str(90, "Machine")),
                        framed(dips_radio(GID_PONG_PLAYERS, {"2", cat_str(836, "3 (left team)"),
                                                             cat_str(837, "3 (right team)"), "4"}),
                               cat_str(835, "Players"))}));
    }
    // The one bat of Practice and Basketball Practice is the left side's,
    // though Practice draws it on the right.
    GuiNode robots = dips_group(GK_VGROUP,
                                {robot(GID_PONG_LEFT, cat_str(985, "Left:")),
                                 robot(GID_PONG_RIGHT, cat_str(986, "Right:")),
                                 dips_node(GK_LABEL, 0, one_bat_text)},
                                cat_str(980, "Robot speed"));
    robots.weight = 1;
    GuiNode checks = dips_group(
        GK_VGROUP, {dips_checkbox(GID_PONG_LOCK, cat_str(532, "Lock horizontal axis?"))});
    if (!b8600)
        checks.children.push_back(
            dips_checkbox(GID_PONG_PLAYER_ID, cat_str(830, "Player identification?")));
    GuiNode bottom = dips_group(GK_HGROUP, {robots});
    if (!b8600) {
        bottom.children.push_back(dips_space());
        bottom.children.push_back(dips_picture());
        bottom.children.push_back(dips_space());
    }
    bottom.children.push_back(dips_node(GK_LABEL, 0, " "));
    bottom.children.push_back(checks);

    GuiWindowDesc d;
    d.title = b8600 ? cat_str(698, "AY-3-8600 DIP Switches")
                    : cat_str(531, "AY-3-8500/8550 DIP Switches");
    d.root = dips_group(GK_VGROUP, {top, bottom});
    return d;
}

void input(int gid, int code) {
    switch (gid) {
    case GID_PONG_LOCK:
        pong_lockhorizontal = code ? 1 : 0;
        prefs_user_chose(&pong_lockhorizontal);
        break;
    case GID_PONG_PLAYER_ID:
        pong_playerid = code ? 1 : 0;
        prefs_user_chose(&pong_playerid);
        break;
    case GID_PONG_BATS:
        pong_batsizes = code;
        prefs_user_chose(&pong_batsizes);
        pong_apply_bat_heights();
        break;
    case GID_PONG_SPEED:
        pong_speed = code;
        prefs_user_chose(&pong_speed);
        break;
    case GID_PONG_ANGLES:
        pong_angles = code;
        prefs_user_chose(&pong_angles);
        break;
    case GID_PONG_GAME:
        pong_variant = code + (pong_chip_8600() ? FIRST_8600_GAME : 0);
        prefs_user_chose(&pong_variant);
        ui_mark(UI_STATUS); // the status bar names the game
        break;
    case GID_PONG_SERVING:
        pong_serving = code;
        prefs_user_chose(&pong_serving);
        break;
    case GID_PONG_MACHINE:
        // The chip variant changes the display geometry: the main window
        // opens again at the frame boundary.
        pong_machine = code;
        pong_gui_sync();
        display_setup_geometry();
        display_reset_frame();
        pending_actions |= PA_REBUILD;
        break;
    case GID_PONG_PLAYERS:
        pong_players = code;
        prefs_user_chose(&pong_players);
        break;
    case GID_PONG_LEFT:
        robot_left = code;
        break;
    case GID_PONG_RIGHT:
        robot_right = code;
        break;
    default:
        break;
    }
}

void refresh() {
    dips_show(GID_PONG_LOCK, pong_lockhorizontal ? 1 : 0);
    dips_show(GID_PONG_BATS, pong_batsizes);
    dips_show(GID_PONG_SPEED, pong_speed);
    dips_show(GID_PONG_GAME, pong_variant - (pong_chip_8600() ? FIRST_8600_GAME : 0));
    dips_show(GID_PONG_LEFT, robot_left);
    dips_show(GID_PONG_RIGHT, robot_right);
    if (pong_chip_8600()) return;
    dips_show(GID_PONG_PLAYER_ID, pong_playerid ? 1 : 0);
    dips_show(GID_PONG_ANGLES, pong_angles);
    dips_show(GID_PONG_SERVING, pong_serving);
    dips_show(GID_PONG_MACHINE, pong_machine);
    dips_show(GID_PONG_PLAYERS, pong_players);
}

// Player identification needs the colour set of its own, the horizontal
// lock the AY-3-8550.
bool exists(int gid) {
    if (pong_chip_8600())
        return gid == GID_PONG_LOCK || gid == GID_PONG_BATS || gid == GID_PONG_SPEED ||
               gid == GID_PONG_GAME || gid == GID_PONG_LEFT || gid == GID_PONG_RIGHT;
    if (gid == GID_PONG_PLAYER_ID) return colourset == 2;
    if (gid == GID_PONG_LOCK) return pong_machine == 2;
    return true;
}

constexpr int GADGETS[] = {GID_PONG_LOCK,    GID_PONG_PLAYER_ID, GID_PONG_BATS,    GID_PONG_SPEED,
                           GID_PONG_ANGLES,  GID_PONG_GAME,      GID_PONG_SERVING, GID_PONG_MACHINE,
                           GID_PONG_PLAYERS, GID_PONG_LEFT,      GID_PONG_RIGHT};

} // namespace

const DipsWindow dips_pong_window{describe, input, refresh, GADGETS, 11, exists};
