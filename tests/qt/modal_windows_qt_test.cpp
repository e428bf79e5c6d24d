// Every modal window and requester, opened with the user at the screen,
// stays over the main window (transient for it): a click on the main window
// cannot hide it behind that window.
#include "tests/qt/qt_session.h"

#include "core/settings_vars.h"
#include "gui/about_windows.h"
#include "gui/adjust_sound.h"
#include "gui/choose_paths.h"
#include "gui/hiscore_window.h"
#include "gui/prompts.h"
#include "gui/requesters.h"
#include "gui/sensitivity.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <set>
#include <string>

namespace {

class ModalWindowsQt : public QtSession {};

struct Seen {
    std::string title;
    QWindow* over = nullptr;
    bool dialog = false; // X11 keeps only a dialog over the window it is transient for
};

// Opens a window with `act` as the user would and takes the first window that
// shows meanwhile: its title and the window it stays over. It is then closed
// as the user closes it.
Seen first_window_of(const std::function<void()>& act) {
    const QWidgetList before = QApplication::topLevelWidgets();
    const std::set<QWidget*> old(before.begin(), before.end());
    Seen seen;
    bool found = false;
    int ticks = 0;
    qt_as_the_user(
        [&] {
            if (++ticks > 250) { // five seconds at most
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
                return;
            }
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (old.count(w) || !w->isVisible() || !w->windowHandle()) continue;
                if (!found) {
                    found = true;
                    seen.title = w->windowTitle().toStdString();
                    seen.over = w->windowHandle()->transientParent();
                    seen.dialog = w->windowHandle()->type() == Qt::Dialog;
                }
                if (auto* dialog = qobject_cast<QDialog*>(w))
                    dialog->reject();
                else
                    w->close();
                return;
            }
        },
        act);
    return seen;
}

QWindow* main_window_handle() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle().startsWith(QStringLiteral("Brindlemox")) &&
            w->windowHandle() && !w->windowHandle()->transientParent())
            return w->windowHandle();
    return nullptr;
}

} // namespace

TEST_F(ModalWindowsQt, EveryModalWindowAndRequesterStaysOverTheMainWindow) {
    QWindow* main = main_window_handle();
    ASSERT_NE(main, nullptr);
    char path[513] = "";
    const struct {
        const char* kind;
        std::function<void()> open;
    } cases[] = {
        {"quit window",
         [] {
             confirmquit = 1;
             gui_confirm_quit();
         }},
        {"message requester", [] { gui_message("A message."); }},
        {"warning requester", [] { gui_warning("A warning."); }},
        {"question", [] { gui_requester("Question", "Go on?", "_Yes|_No", 2); }},
        {"file requester", [&path] { gui_file_request("Load", "#?", 0, "", "", path); }},
        {"save requester",
         [&path] { gui_file_request("Save", "#?", FILE_REQUEST_SAVE, "", "", path); }},
        {"load address prompt", [] { gui_choose_load_address(); }},
        {"sensitivity", [] { gui_sensitivity_window(); }},
        {"sound settings", [] { gui_adjust_sound_window(); }},
        {"paths settings", [] { gui_choose_paths_window(); }},
        {"high scores", [] { gui_high_scores_window(); }},
        {"about window", [] { gui_open_about_window(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const Seen seen = first_window_of(c.open);
        EXPECT_FALSE(seen.title.empty()) << "no window opened";
        EXPECT_EQ(seen.over, main) << seen.title;
        EXPECT_TRUE(seen.dialog) << seen.title;
        event_pass();
    }
}
