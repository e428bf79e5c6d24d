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
    ASSERT_NE(hiscore_window, 0);
    auto* list = qobject_cast<QTreeWidget*>(widget(hiscore_window, GID_HISCORE_LIST));
    ASSERT_NE(list, nullptr);
    const int rows = list->topLevelItemCount();
    ASSERT_GT(rows, 20);
    const auto top = [] { return gui_list_top(hiscore_window, GID_HISCORE_LIST); };
    ASSERT_EQ(top(), 0);

    turn(list, DOWN); // a line
    event_pass();
    EXPECT_EQ(top(), 1);
    turn(list, UP);
    event_pass();
    EXPECT_EQ(top(), 0);

    for (Qt::KeyboardModifiers page : {Qt::ShiftModifier, Qt::ControlModifier}) {
        turn(list, DOWN, page); // a page
        event_pass();
        EXPECT_GT(top(), 3);
        turn(list, UP, page);
        event_pass();
        EXPECT_EQ(top(), 0);
    }

    // Alt goes to the end, with Shift as well; reported sideways all the same.
    turn(list, DOWN, Qt::AltModifier, true);
    event_pass();
    const int last = top();
    EXPECT_GT(last, rows / 2);
    turn(list, UP, Qt::AltModifier | Qt::ShiftModifier);
    event_pass();
    EXPECT_EQ(top(), 0);
    turn(list, DOWN, Qt::AltModifier | Qt::ShiftModifier);
    event_pass();
    EXPECT_EQ(top(), last);
    turn(list, UP, Qt::AltModifier);
    event_pass();
    EXPECT_EQ(top(), 0);

    gui_window_close(hiscore_window);
    event_pass();
}

TEST_F(ListWheel, TheAboutReActionWheelStepsTheSelectedClass) {
    ASSERT_EQ(command("MENU HELP.REACTION"), 0);
    ASSERT_NE(about_window, 0);
    auto* list = qobject_cast<QTreeWidget*>(widget(about_window, GID_ABOUT_CLASSES));
    ASSERT_NE(list, nullptr);
    const auto selected = [] { return gui_get_value(about_window, GID_ABOUT_CLASSES); };
    ASSERT_EQ(selected(), -1);

    turn(list, UP); // nothing selected: the first class
    event_pass();
    EXPECT_EQ(selected(), 0);
    turn(list, DOWN);
    event_pass();
    EXPECT_EQ(selected(), 1);
    turn(list, DOWN);
    event_pass();
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    turn(list, UP);
    event_pass();
    EXPECT_EQ(selected(), 1);
    turn(list, DOWN, Qt::ShiftModifier); // Shift: the last class
    event_pass();
    EXPECT_EQ(selected(), ABOUT_CLASSES - 1);
    EXPECT_EQ(list->currentItem()->text(0).toStdString(), "window.class");
    turn(list, DOWN); // nothing past the last
    event_pass();
    EXPECT_EQ(selected(), ABOUT_CLASSES - 1);
    // The wheel with Ctrl or Alt held does not close the window.
    turn(list, UP, Qt::ControlModifier);
    event_pass();
    EXPECT_NE(about_window, 0);
    EXPECT_EQ(selected(), ABOUT_CLASSES - 2);

    gui_window_close(about_window);
    event_pass();
}
