// The number and text fields of the dialogs drawn by Qt: what a field shows
// when OK is clicked is what OK applies, however it got there (its arrows or
// typing, with no Return or Tab before the click), and a small window is wide
// enough for its title.
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

#include <cstring>
#include <functional>
#include <string>

namespace {

class EntryFieldsQt : public QtSession {};

// A click on the up or down arrow of a number field, where its style draws it.
void click_arrow(QWidget* field, bool up) {
    auto* spin = qobject_cast<QAbstractSpinBox*>(field);
    ASSERT_NE(spin, nullptr);
    QStyleOptionSpinBox opt;
    opt.initFrom(spin);
    opt.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown | QStyle::SC_SpinBoxFrame |
                      QStyle::SC_SpinBoxEditField;
    opt.buttonSymbols = spin->buttonSymbols();
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
    field->window()->activateWindow();
    field->setFocus(Qt::MouseFocusReason);
    QKeyEvent all(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(field, &all);
    for (char c : text) {
        const QString s(QChar::fromLatin1(c));
        const int key = QKeySequence(s.toUpper())[0].key();
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, s);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, s);
        QApplication::sendEvent(field, &down);
        QApplication::sendEvent(field, &up);
    }
}

int palette_red() {
    return palette_get_red(colourset, palette_selected_colour);
}

} // namespace

// Each dialog's field changed by its arrows or by typing, then OK clicked at
// once: the setting holds the value the field showed.
TEST_F(EntryFieldsQt, OkAppliesWhatTheFieldShows) {
    struct Dialog {
        const char* open;        // the port command that opens it
        std::function<int()> win;
        int field, ok;
        std::function<int()> applied; // the setting OK writes
    };
    const Dialog sensitivity{"MENU SETTINGS.INPUT.SENSITIVITY", [] { return sensitivity_window; },
                             GID_SENS_LEFT_NUMBER, GID_SENS_OK,
                             [] { return static_cast<int>(sensitivity_left); }};
    const Dialog sound{"MENU SETTINGS.SOUND.ADJUST", [] { return sound_window; },
                       GID_SOUND_FIELD, GID_SOUND_OK,
                       [] { return static_cast<int>(speech_wpm); }};
    const Dialog palette{"OPENPALETTE", [] { return gui_subwin_window[TW_PALETTE]; },
                         GID_PAL_RED_NUMBER, GID_PAL_OK, palette_red};
    Dialog palette_hex = palette;
    palette_hex.field = GID_PAL_RED_HEX;
    struct Case {
        const char* what;
        const Dialog& dialog;
        int arrows;       // clicks on the up (above 0) or down arrow
        const char* text; // else typed over the field
        int expected;     // -1: the value at the start plus `arrows`
    };
    const Case cases[] = {
        {"sensitivity, down arrow", sensitivity, -2, nullptr, -1},
        {"sensitivity, typed", sensitivity, 0, "4", 4},
        {"speech rate, up arrow", sound, 3, nullptr, -1},
        {"speech rate, typed", sound, 0, "203", 203},
        {"palette red, down arrow", palette, -3, nullptr, -1},
        {"palette red, typed", palette, 0, "77", 77},
        {"palette red, typed in hex", palette_hex, 0, "3f", 0x3F},
    };
    ASSERT_EQ(command("SETMACHINE PONG"), 0); // a machine played with paddles
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string said;
        ASSERT_EQ(command(c.dialog.open, &said), 0) << said;
        const int win = c.dialog.win();
        ASSERT_NE(win, 0);
        QWidget* field = widget(win, c.dialog.field);
        const int start = c.dialog.applied();
        if (c.text) {
            type_over(field, c.text);
        } else {
            for (int i = 0; i < (c.arrows < 0 ? -c.arrows : c.arrows); i++)
                click_arrow(field, c.arrows > 0);
        }
        event_pass();
        const int expected = c.expected >= 0 ? c.expected : start + c.arrows;
        if (!c.text) {
            EXPECT_EQ(gui_get_value(win, c.dialog.field), expected);
        }
        qobject_cast<QAbstractButton*>(widget(win, c.dialog.ok))->click();
        event_pass();
        EXPECT_EQ(c.dialog.win(), 0);
        EXPECT_EQ(c.dialog.applied(), expected);
    }
}

// A drawer typed into the Paths dialog: "Reset to defaults" is offered as
// soon as a field differs from its default (no Return or Tab needed), and
// withdrawn again once it is typed back; OK keeps what the field shows.
TEST_F(EntryFieldsQt, PathsFollowTheFieldsAsTheyAreTyped) {
    ASSERT_EQ(command("MENU SETTINGS.EMULATOR.PATHS"), 0);
    const int win = paths_window;
    ASSERT_NE(win, 0);
    ASSERT_TRUE(gui_get_disabled(win, GID_PATHS_RESET));
    QWidget* games = widget(win, GID_PATHS_FIELD + 1);
    type_over(games, "/tmp/elsewhere");
    event_pass();
    EXPECT_FALSE(gui_get_disabled(win, GID_PATHS_RESET));
    type_over(games, "PROGDIR:Games");
    event_pass();
    EXPECT_TRUE(gui_get_disabled(win, GID_PATHS_RESET));
    type_over(widget(win, GID_PATHS_FIELD + 2), "/tmp");
    qobject_cast<QAbstractButton*>(widget(win, GID_PATHS_OK))->click();
    event_pass();
    EXPECT_EQ(paths_window, 0);
    EXPECT_STREQ(projects_path, "/tmp");
}

// The small prompts show their whole titles: each window is wider than its
// title in bold by room for the title bar's icon and buttons.
TEST_F(EntryFieldsQt, PromptsAreWideEnoughForTheirTitles) {
    struct Prompt {
        const char* title;
        std::function<void()> open;
    };
    static char host[64];
    gui_host_set_break_poll(nullptr); // the prompts wait for their user
    const Prompt prompts[] = {
        {"Enter Hostname", [] { gui_enter_hostname(host, sizeof host); }},
        {"Edit Register/Memory", [] { gui_edit_value_window("r0", 0, 0); }},
    };
    for (const Prompt& p : prompts) {
        SCOPED_TRACE(p.title);
        int width = 0, needed = 0;
        QTimer::singleShot(50, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (!top->isVisible() || top->windowTitle() != p.title) continue;
                QFont bold = QApplication::font();
                bold.setBold(true);
                const QFontMetrics m(bold);
                width = top->width();
                needed = m.horizontalAdvance(top->windowTitle()) + 4 * m.height();
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget()
                                                                    : top,
                                        &esc);
            }
        });
        p.open();
        ASSERT_GT(width, 0) << "the prompt did not open";
        EXPECT_GE(width, needed);
    }
    gui_host_set_break_poll([] { return true; });
}
