// The mouse wheel over the lists whose windows take it themselves: the
// high-score list scrolls by the modifier keys held, the About ReAction list
// steps its selection. Real wheel events go to the real list widgets.
#include "tests/qt/qt_session.h"

#include "gui/about_windows.h"
#include "gui/hiscore_window.h"
#include "platform/gui.h"

#include <QApplication>
#include <QTreeWidget>
#include <QWheelEvent>

namespace {

enum Turn { UP = 120, DOWN = -120 };

// One notch of the wheel over the middle of `list`. With Alt held the desktop
// may report the turn sideways, as X11 does: `sideways` sends it so.
void turn(QAbstractScrollArea* list, Turn notch, Qt::KeyboardModifiers mods = Qt::NoModifier,
          bool sideways = false) {
    QWidget* view = list->viewport();
    const QPointF at(view->width() / 2.0, view->height() / 2.0);
    const QPoint delta = sideways ? QPoint(notch, 0) : QPoint(0, notch);
    QWheelEvent e(at, view->mapToGlobal(at), QPoint(), delta, Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &e);
}

class ListWheel : public QtSession {};

} // namespace

TEST_F(ListWheel, TheHighScoreListScrollsByTheModifiersHeld) {
    ASSERT_EQ(command("VIEWHIGHSCORES"), 0);
    auto* list = qobject_cast<QTreeWidget*>(widget(hiscore_window, GID_HISCORE_LIST));
    ASSERT_NE(list, nullptr);
    const auto top = [](QAbstractScrollArea* l, Turn notch, Qt::KeyboardModifiers mods,
                        bool sideways = false) {
        turn(l, notch, mods, sideways);
        event_pass();
        return gui_list_top(hiscore_window, GID_HISCORE_LIST);
    };
    EXPECT_EQ(top(list, DOWN, Qt::NoModifier), 1); // a line
    EXPECT_EQ(top(list, UP, Qt::NoModifier), 0);
    EXPECT_GT(top(list, DOWN, Qt::ShiftModifier), 3); // a page
    EXPECT_EQ(top(list, UP, Qt::ControlModifier), 0);
    // Alt goes to the end, with Shift as well; reported sideways all the same.
    const int last = top(list, DOWN, Qt::AltModifier, true);
    EXPECT_GT(last, list->topLevelItemCount() / 2);
    EXPECT_EQ(top(list, UP, Qt::AltModifier | Qt::ShiftModifier), 0);
    EXPECT_EQ(top(list, DOWN, Qt::AltModifier | Qt::ShiftModifier), last);
    gui_window_close(hiscore_window);
    event_pass();
}

TEST_F(ListWheel, TheAboutReActionWheelStepsTheSelectedClass) {
    ASSERT_EQ(command("MENU HELP.REACTION"), 0);
    auto* list = qobject_cast<QTreeWidget*>(widget(about_window, GID_ABOUT_CLASSES));
    ASSERT_NE(list, nullptr);
    const auto selected = [list](Turn notch, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        turn(list, notch, mods);
        event_pass();
        return gui_get_value(about_window, GID_ABOUT_CLASSES);
    };
    EXPECT_EQ(selected(UP), 0); // nothing selected: the first class
    EXPECT_EQ(selected(DOWN), 1);
    EXPECT_EQ(selected(DOWN), 2);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_EQ(selected(UP), 1);
    EXPECT_EQ(selected(DOWN, Qt::ShiftModifier), ABOUT_CLASSES - 1); // Shift: the last
    EXPECT_EQ(list->currentItem()->text(0).toStdString(), "window.class");
    EXPECT_EQ(selected(DOWN), ABOUT_CLASSES - 1);
    EXPECT_EQ(selected(UP, Qt::ControlModifier), ABOUT_CLASSES - 2); // and the window stays
    EXPECT_NE(about_window, 0);
    gui_window_close(about_window);
    event_pass();
}
