// What the tip of the day and the Guest Controls window's hover legend show,
// in the program's own windows drawn by Qt.
#include "tests/qt/qt_session.h"

#include "core/emu.h"
#include "core/settings_vars.h"
#include "gui/guest_controls_window.h"
#include "gui/tip_of_the_day.h"
#include "gui/tool_windows.h"
#include "input/controls.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <string>

namespace {
class WindowTextsQt : public QtSession {};
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
    EXPECT_EQ(hover(CR_RESET).rfind("RESET|RESET|F5 (ends a netplay link)|", 0), 0u);
    command("UNPAUSE");
    command("CLOSECONTROLS");
    command("SETMACHINE ARCADIA");
}
