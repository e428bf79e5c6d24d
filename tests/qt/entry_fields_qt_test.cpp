// The number and text fields of the dialogs drawn by Qt: what a field shows
// when OK is clicked is what OK applies, however it got there (its arrows or
// typing, no Return or Tab before the click); a small window fits its title.
#include "tests/qt/qt_session.h"

#include "core/settings_vars.h"
#include "display/host.h"
#include "gui/adjust_sound.h"
#include "gui/choose_paths.h"
#include "gui/host_name_prompt.h"
#include "gui/palette_editor.h"
#include "gui/prompts.h"
#include "gui/sensitivity.h"
#include "gui/tool_windows.h"
#include "platform/gui.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTimer>

#include <functional>
#include <string>

namespace {

class EntryFieldsQt : public QtSession {};

// A click on the up or down arrow of a number field, where its style draws it.
void click_arrow(QWidget* field, bool up) {
    auto* spin = qobject_cast<QAbstractSpinBox*>(field);
    QStyleOptionSpinBox opt;
    opt.initFrom(spin);
    opt.subControls = QStyle::SC_All;
    opt.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    const QPoint at = spin->style()
                          ->subControlRect(QStyle::CC_SpinBox, &opt,
                                           up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown, spin)
                          .center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, spin->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(spin, &e);
    }
}

// The field clicked into, its text selected with Ctrl+A and `text` typed over it.
void type_over(QWidget* field, const std::string& text) {
    field->setFocus(Qt::MouseFocusReason);
    QKeyEvent all(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(field, &all);
    for (char c : text) {
        const QString s(QChar::fromLatin1(c));
        QKeyEvent down(QEvent::KeyPress, QKeySequence(s.toUpper())[0].key(), Qt::NoModifier, s);
        QApplication::sendEvent(field, &down);
    }
}

} // namespace

// Each dialog's field changed by its arrows or by typing, then OK clicked at
// once: the setting holds the value the field showed.
TEST_F(EntryFieldsQt, OkAppliesWhatTheFieldShows) {
    const auto red = [] { return static_cast<int>(palette_get_red(colourset, palette_selected_colour)); };
    struct Case {
        const char* open; // the port command that opens the dialog
        std::function<int()> win;
        int field, ok;
        int arrows;       // clicks on the up (above 0) or down arrow
        const char* text; // else typed over the field
        std::function<int()> applied;
        int expected; // -1: the value at the start plus `arrows`
    } const cases[] = {
        {"MENU SETTINGS.INPUT.SENSITIVITY", [] { return sensitivity_window; }, GID_SENS_LEFT_NUMBER,
         GID_SENS_OK, -2, nullptr, [] { return int(sensitivity_left); }, -1},
        {"MENU SETTINGS.INPUT.SENSITIVITY", [] { return sensitivity_window; }, GID_SENS_LEFT_NUMBER,
         GID_SENS_OK, 0, "4", [] { return int(sensitivity_left); }, 4},
        {"MENU SETTINGS.SOUND.ADJUST", [] { return sound_window; }, GID_SOUND_FIELD, GID_SOUND_OK,
         3, nullptr, [] { return int(speech_wpm); }, -1},
        {"MENU SETTINGS.SOUND.ADJUST", [] { return sound_window; }, GID_SOUND_FIELD, GID_SOUND_OK,
         0, "203", [] { return int(speech_wpm); }, 203},
        {"OPENPALETTE", [] { return gui_subwin_window[TW_PALETTE]; }, GID_PAL_RED_NUMBER, GID_PAL_OK,
         -3, nullptr, red, -1},
        {"OPENPALETTE", [] { return gui_subwin_window[TW_PALETTE]; }, GID_PAL_RED_HEX, GID_PAL_OK, 0,
         "3f", red, 0x3F},
    };
    ASSERT_EQ(command("SETMACHINE PONG"), 0); // a machine played with paddles
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.open) + " " + (c.text ? c.text : "arrows"));
        ASSERT_EQ(command(c.open), 0);
        const int win = c.win(), expected = c.expected >= 0 ? c.expected : c.applied() + c.arrows;
        if (c.text) type_over(widget(win, c.field), c.text);
        for (int i = 0; i < (c.arrows < 0 ? -c.arrows : c.arrows); i++)
            click_arrow(widget(win, c.field), c.arrows > 0);
        event_pass();
        qobject_cast<QAbstractButton*>(widget(win, c.ok))->click();
        event_pass();
        EXPECT_EQ(c.win(), 0);
        EXPECT_EQ(c.applied(), expected);
    }
}

// "Reset to defaults" of the Paths dialog follows a field as it is typed in.
TEST_F(EntryFieldsQt, PathsResetFollowsTheFieldsAsTheyAreTyped) {
    ASSERT_EQ(command("MENU SETTINGS.EMULATOR.PATHS"), 0);
    QWidget* games = widget(paths_window, GID_PATHS_FIELD + 1);
    for (const char* typed : {"/tmp/elsewhere", "PROGDIR:Games"}) {
        type_over(games, typed);
        event_pass();
        EXPECT_EQ(gui_get_disabled(paths_window, GID_PATHS_RESET), typed[0] == 'P') << typed;
    }
    qobject_cast<QAbstractButton*>(widget(paths_window, GID_PATHS_CANCEL))->click();
    event_pass();
}

// The prompts are wider than their titles in bold by room for the title
// bar's icon and buttons.
TEST_F(EntryFieldsQt, PromptsAreWideEnoughForTheirTitles) {
    static char host[64];
    gui_host_set_break_poll(nullptr); // the prompts wait for their user
    for (const auto& open : std::vector<std::function<void()>>{
             [] { gui_enter_hostname(host, sizeof host); },
             [] { gui_edit_value_window("r0", 0, 0); }}) {
        int width = 0, needed = 0;
        QTimer::singleShot(50, [&] {
            QWidget* top = QApplication::activeWindow();
            QFont bold = QApplication::font();
            bold.setBold(true);
            const QFontMetrics m(bold);
            width = top->width();
            needed = m.horizontalAdvance(top->windowTitle()) + 4 * m.height();
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(QApplication::focusWidget(), &esc);
        });
        open();
        EXPECT_GE(width, needed);
        EXPECT_GT(needed, 0);
    }
    gui_host_set_break_poll([] { return true; });
}
