// The pointer's description in the status bar (Ctrl held over the picture)
// is readable whole at the smallest size, where the field is too narrow for
// it: a note over the window shows all of it while Ctrl is held.
#include "tests/qt/qt_session.h"

#include "app/mainloop.h"
#include "core/session.h"
#include "display/pointer_text.h"
#include "gui/main_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include <string>

namespace {

class StatusField : public QtSession {
  protected:
    // A menu item, acted on as the main loop does at the frame's end.
    static void menu(const std::string& item) {
        ASSERT_EQ(command("MENU " + item), 0) << item;
        app_frame_boundary();
        pending_actions = 0;
        event_pass();
    }
    static void ctrl(QWidget* to, bool down) {
        QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Control,
                    down ? Qt::ControlModifier : Qt::NoModifier);
        QApplication::sendEvent(to, &e);
    }
    static void move(QWidget* to, QPoint at, Qt::KeyboardModifiers mods) {
        QMouseEvent e(QEvent::MouseMove, QPointF(at), to->mapToGlobal(QPointF(at)), Qt::NoButton,
                      Qt::NoButton, mods);
        QApplication::sendEvent(to, &e);
    }
    // The visible note of the main window that shows `text`, nullptr when none.
    static QLabel* note_showing(const QString& text) {
        for (QLabel* l : widget(main_window, GID_DISPLAY)->window()->findChildren<QLabel*>())
            if (l->isVisible() && l->text() == text) return l;
        return nullptr;
    }
};

} // namespace

TEST_F(StatusField, ThePointersDescriptionIsReadableWholeAtSizeOne) {
    menu("SETTINGS.GRAPHICS.1XSIZE");
    menu("SETTINGS.GRAPHICS.BLANKING");
    QWidget* display = widget(main_window, GID_DISPLAY);
    auto* field = qobject_cast<QLineEdit*>(widget(main_window, GID_STATUS_TEXT));
    ASSERT_NE(display, nullptr);
    ASSERT_NE(field, nullptr);
    const QString own = field->text();

    // Near the top left corner: in the blanking areas, the longest texts.
    ctrl(display, true);
    move(display, display->rect().topLeft() + QPoint(40, 20), Qt::ControlModifier);
    event_pass();
    const QString shown = QString::fromUtf8(display_position_text);
    ASSERT_EQ(field->text(), shown);
    ASSERT_GT(field->fontMetrics().horizontalAdvance(shown), field->width()) << "fits anyway";
    const QLabel* note = note_showing(shown);
    ASSERT_NE(note, nullptr) << shown.toStdString();
    // All of it shows, within the window, above the field.
    EXPECT_GE(note->height(), note->heightForWidth(note->width()));
    EXPECT_GE(note->x(), 0);
    EXPECT_LE(note->x() + note->width(), note->window()->width());
    EXPECT_LE(note->y() + note->height(), field->mapTo(field->window(), QPoint(0, 0)).y());
    EXPECT_EQ(field->toolTip(), shown);

    // Ctrl let go: the status bar's own text, and no note.
    ctrl(display, false);
    move(display, display->rect().center(), Qt::NoModifier);
    event_pass();
    EXPECT_EQ(field->text(), own);
    EXPECT_EQ(note_showing(own), nullptr);
    EXPECT_EQ(note_showing(shown), nullptr);
}
