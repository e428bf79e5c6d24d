// What the tip of the day and the Guest Controls window's hover legend show,
// in the program's own windows drawn by Qt.
#include "tests/qt/qt_session.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "gui/gamepad_buttons.h"
#include "gui/guest_controls_window.h"
#include "gui/tip_of_the_day.h"
#include "gui/tool_windows.h"
#include "input/controls.h"
#include "input/host_pad_labels.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
class WindowTextsQt : public QtSession {
  protected:
    static void click(int win, int gid) {
        auto* button = qobject_cast<QAbstractButton*>(widget(win, gid));
        ASSERT_NE(button, nullptr) << gid;
        button->click();
        event_pass();
    }
    // Picks the choice labelled `label` of radio group `gid`.
    static void choose(int win, int gid, const char* label) {
        for (QRadioButton* r : widget(win, gid)->findChildren<QRadioButton*>())
            if (r->text() == label) {
                r->click();
                event_pass();
                return;
            }
        ADD_FAILURE() << "no choice " << label;
    }
    // The pointer over the picture's key `key` of `player`: the host gamepad
    // buttons the legend names.
    static std::string pad_buttons_of(int player, int key) {
        const int win = gui_subwin_window[TW_CONTROLS];
        QWidget* picture = widget(win, GID_CTRL_PICTURE);
        const ControlsLayout& layout = controls_current_layout();
        for (int i = 0; picture && i < layout.count; i++) {
            const ControlsKeyRect& r = layout.rects[i];
            if (r.role != CR_KEY || r.key != key || r.player != player || r.x < 0) continue;
            for (const QPointF at : {QPointF(0, 0), QPointF(r.x + r.width / 2, r.y + r.height / 2)}) {
                QMouseEvent move(QEvent::MouseMove, at, picture->mapToGlobal(at), Qt::NoButton,
                                 Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(picture, &move);
                event_pass();
            }
            return gui_get_text(win, GID_CTRL_PAD_BUTTONS);
        }
        ADD_FAILURE() << "no key " << key << " of player " << player;
        return std::string();
    }
};
} // namespace

// A user's tips.txt with blank lines between its tips: each tip shows in
// turn, and no blank line shows as a tip that could not be read.
TEST_F(WindowTextsQt, BlankLinesOfTheUsersTipsAreNoTips) {
    const std::filesystem::path file = std::filesystem::path(path_progdir()) / "tips.txt";
    std::ofstream(file) << "First.\n\n \t\nSecond.\r\n\r\nThird.\n\n";
    tip_forget_texts();
    next_tip = 1;
    gui_tip_of_the_day(); // as the start-up opens it
    ASSERT_NE(tip_window, 0);
    const int win = tip_window;
    event_pass();
    EXPECT_EQ(gui_get_text(win, GID_TIP_TEXT), "#2. Second.");
    auto* next = qobject_cast<QAbstractButton*>(widget(win, GID_TIP_NEXT));
    ASSERT_NE(next, nullptr);
    for (const char* shown : {"#3. Third.", "#1. First.", "#2. Second."}) {
        next->click();
        event_pass();
        EXPECT_EQ(gui_get_text(win, GID_TIP_TEXT), shown);
    }
    qobject_cast<QAbstractButton*>(widget(win, GID_TIP_OK))->click();
    event_pass();
    EXPECT_EQ(tip_window, 0);
    std::filesystem::remove(file);
    tip_forget_texts();
}

// The pointer moves from the Interton's START button to its drawn ON switch,
// which nothing plays: the legend names no key, rather than START's.
TEST_F(WindowTextsQt, TheIntertonsOnSwitchShowsNoKeysLegend) {
    ASSERT_EQ(command("SETMACHINE INTERTON"), 0);
    ASSERT_EQ(command("OPENCONTROLS"), 0);
    ASSERT_EQ(command("PAUSE"), 0); // the legend then follows the pointer in the event pass
    const int win = gui_subwin_window[TW_CONTROLS];
    QWidget* picture = widget(win, GID_CTRL_PICTURE);
    ASSERT_NE(picture, nullptr);
    const auto hover = [&](ControlsRole role) {
        const ControlsLayout& layout = controls_current_layout();
        for (int i = 0; i < layout.count; i++) {
            const ControlsKeyRect& r = layout.rects[i];
            if (r.role != role || r.x < 0) continue;
            const QPointF at(r.x + r.width / 2, r.y + r.height / 2);
            QMouseEvent move(QEvent::MouseMove, at, picture->mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(picture, &move);
            event_pass();
            return gui_get_text(win, GID_CTRL_OVERLAY) + "|" + gui_get_text(win, GID_CTRL_GUEST_KEY) +
                   "|" + gui_get_text(win, GID_CTRL_HOST_KEYS) + "|" +
                   gui_get_text(win, GID_CTRL_PAD_BUTTONS) + "|" +
                   gui_get_text(win, GID_CTRL_MOUSE_BUTTONS);
        }
        ADD_FAILURE() << "no such control drawn";
        return std::string();
    };
    EXPECT_EQ(hover(CR_CONSOLE1).rfind("START|START|", 0), 0u);
    EXPECT_EQ(hover(CR_INERT), "-|-|-|-|-");
    EXPECT_EQ(hover(CR_RESET).rfind("RESET|RESET|F5|", 0), 0u);
    command("UNPAUSE");
    command("CLOSECONTROLS");
    command("SETMACHINE ARCADIA");
}

// The left player plays on the 2nd gamepad, the right one on the 1st, whose
// buttons are rearranged to "R,G,Y,B" (Yellow is guest button 2, Blue 3).
// Hovering a key, the Guest Controls legend names the buttons of the
// gamepad the key's player uses, swapped or not; the Host Gamepads window
// labels each gamepad's buttons by that gamepad's own order.
TEST_F(WindowTextsQt, TheLegendNamesTheButtonsOfThePlayersOwnGamepad) {
    ASSERT_EQ(command("SETMACHINE ARCADIA"), 0);
    ASSERT_EQ(command("MENU PERIPHERALS.LEFT.2NDDPAD"), 0);
    ASSERT_EQ(command("MENU PERIPHERALS.RIGHT.1STDPAD"), 0);
    ASSERT_EQ(command("MENU SETTINGS.INPUT.REARRANGE"), 0);
    ASSERT_NE(gamepad_buttons_window, 0);
    choose(gamepad_buttons_window, GID_PADS_FIRST, "R,G,Y,B");
    click(gamepad_buttons_window, GID_PADS_OK);
    ASSERT_EQ(gamepad_buttons_window, 0);

    ASSERT_EQ(command("OPENCONTROLS"), 0);
    ASSERT_EQ(command("PAUSE"), 0); // the legend then follows the pointer in the event pass
    choose(gui_subwin_window[TW_CONTROLS], GID_CTRL_VIEW, "MPT-03");
    const int win = gui_subwin_window[TW_CONTROLS];
    if (gui_get_value(win, GID_CTRL_LARGE)) click(win, GID_CTRL_LARGE);
    // Fire button 2 plays key "1", fire button 1 the key "2".
    ASSERT_EQ(fire_button_assign[1], 1);
    ASSERT_EQ(fire_button_assign[0], 2);
    EXPECT_EQ(pad_buttons_of(0, 1), "Blue");
    EXPECT_EQ(pad_buttons_of(1, 1), "Yellow");
    EXPECT_EQ(pad_buttons_of(1, 2), "Red");

    // Swapped: the left keypad is the right player's, on the 1st gamepad.
    ASSERT_EQ(command("MENU SETTINGS.INPUT.SWAPPED"), 0);
    EXPECT_EQ(pad_buttons_of(0, 1), "Yellow");
    EXPECT_EQ(pad_buttons_of(1, 1), "Blue");
    // The 1st gamepad serves the left keypad: its Yellow button names key "1",
    // its Blue one key "3" (fire button 3).
    ASSERT_EQ(command("OPENGAMEPADS"), 0);
    const int pads = gui_subwin_window[TW_HOST_PADS];
    ASSERT_NE(pads, 0);
    choose(pads, GID_HOSTPAD_VIEW, "Guest keys");
    const auto label = [&](int pad, int colour) {
        const int gid = (pad ? GID_HOSTPAD_SECOND : GID_HOSTPAD_FIRST) + HPB_COLOUR1 + colour;
        auto* button = qobject_cast<QAbstractButton*>(widget(gui_subwin_window[TW_HOST_PADS], gid));
        return button ? button->text().toStdString() : std::string();
    };
    EXPECT_EQ(label(0, 3), machine_key_label(1, fire_button_assign[1]));
    EXPECT_EQ(label(0, 1), machine_key_label(1, fire_button_assign[2]));
    EXPECT_EQ(label(1, 1), machine_key_label(0, fire_button_assign[1]));

    command("MENU SETTINGS.INPUT.SWAPPED");
    command("CLOSEGAMEPADS");
    command("UNPAUSE");
    command("CLOSECONTROLS");
    command("MENU PERIPHERALS.LEFT.2NDDJOY");
    command("MENU PERIPHERALS.RIGHT.KEYBOARD");
    std::copy(gamepad_button_orders[0].buttons, gamepad_button_orders[0].buttons + 4, leftbutton);
}
