// Every modal window and requester, opened with the user at the screen,
// stays over the main window (transient for it): a click on the main window
// cannot hide it behind that window.
#include "tests/qt/qt_session.h"

#include "core/frame.h"
#include "core/recording.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "gui/about_windows.h"
#include "gui/adjust_sound.h"
#include "gui/choose_paths.h"
#include "gui/hiscore_window.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "gui/prompts.h"
#include "gui/requesters.h"
#include "gui/sensitivity.h"
#include "input/keys.h"
#include "platform/paths.h"
#include "platform/qt/gui_qt.h"
#include "sound/sound_output.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QAbstractItemView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
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

// Whether `w` is one of the open tool windows (which never hold the program):
// a window that holds one of their gadgets.
bool is_tool_window(const QWidget* w) {
    for (int gid = 1; gid < GUI_GADGETS; ++gid) {
        const int win = gui_gadgets[gid];
        if (!win) continue;
        bool tool = false;
        for (const int open : gui_subwin_window)
            tool |= open == win;
        if (!tool) continue;
        const QWidget* g = qt_gadget_widget(win, gid);
        if (g && g->window() == w) return true;
    }
    return false;
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

namespace {

// The main window's menu rows, each with its path of titles ("Project >
// Open..."). The strip is rebuilt as the program runs: rows are looked up
// afresh by path.
void menu_rows(QMenu* menu, const QString& path, std::vector<std::pair<QString, QAction*>>* rows) {
    for (QAction* a : menu->actions()) {
        const QString name = path + " > " + a->text().remove('&').section('\t', 0, 0);
        if (a->menu())
            menu_rows(a->menu(), name, rows);
        else if (!a->isSeparator())
            rows->push_back({name, a});
    }
}
std::vector<std::pair<QString, QAction*>> main_menu() {
    std::vector<std::pair<QString, QAction*>> rows;
    for (QWidget* w : QApplication::topLevelWidgets())
        for (QMenuBar* bar : w->findChildren<QMenuBar*>())
            for (QAction* title : bar->actions())
                if (title->menu()) menu_rows(title->menu(), title->text().remove('&'), &rows);
    return rows;
}

} // namespace

// Every menu row that opens a window or asks (its text ends in "...", and
// Quit), picked during a playback, and the debugger line's edit prompt with a
// value that a warning over it refuses: while any modal window or requester
// is open, also after one opened from inside it is put away, no frame runs,
// the sound is off, the main window's title says so (the file requesters
// leave it alone) and the window stays over another; what is typed into it is not held for
// the guest afterwards. Each is put away with Escape.
TEST_F(ModalWindowsQt, WhileAModalWindowIsOpenNothingRunsAndItsKeysStayThere) {
    const std::filesystem::path home = path_progdir();
    command("SETMACHINE ARCADIA");
    ASSERT_EQ(command("SAVEAS " + (home / "take.cos").string()), 0);
    std::ostringstream take;
    take << std::ifstream(home / "take.cos", std::ios::binary).rdbuf() << std::string(7000, '\0');
    std::string recording = take.str();
    recording[2] = 1; // a recording follows the state: 1000 untouched frames
    std::ofstream(home / "take.cor", std::ios::binary) << recording;
    confirmquit = 1;

    std::vector<std::pair<std::string, std::function<void()>>> rows;
    for (const auto& [name, action] : main_menu()) {
        // Left out: the update check asks a server on the network.
        if ((!name.endsWith("...") && !name.endsWith("> Quit")) || name.endsWith("updates..."))
            continue;
        rows.push_back({name.toStdString(), [name = name] {
                            for (const auto& [now, row] : main_menu())
                                if (now == name && row->isEnabled()) { // else not for this machine
                                    row->trigger();
                                    event_pass(); // the pass takes the pick in
                                }
                        }});
    }
    rows.push_back({"E typed on the debugger's line", [] { gui_run_command("E $500"); }});

    int modals = 0;
    for (const auto& [name, open] : rows) {
        SCOPED_TRACE(name);
        ASSERT_EQ(command("OPEN " + (home / "take.cor").string()), 0);
        ASSERT_EQ(rec_state, REC_PLAYBACK);
        event_pass();
        const bool sound = snd_output_running();
        const u32 frames = frame_counter;
        int ticks = 0;
        QPointer<QWidget> seen, typed_in;
        std::set<QWidget*> old; // shown before (a window freed since may lend its address)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) old.insert(w);
        qt_as_the_user(
            [&] {
                // The user is asked: a requester, or a window shown while the
                // program waits in the window's own loop (seen on two ticks
                // running). A tool window holds nothing: on a busy machine two
                // ticks may come while it opens.
                QWidget* modal = QApplication::activeModalWidget();
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (!modal && !old.count(w) && w->isVisible() && w->windowHandle() && !is_tool_window(w))
                        modal = w;
                const bool waited = modal == seen;
                seen = modal;
                if (!modal || !waited) return;
                const std::string title = modal->windowTitle().toStdString();
                EXPECT_EQ(frame_counter, frames) << "a frame ran in " << title;
                EXPECT_FALSE(sound && snd_output_running()) << "the sound plays in " << title;
                const bool requester = qobject_cast<QFileDialog*>(modal) != nullptr;
                EXPECT_TRUE(gui_modal_active || requester) << title;
                QWindow* main = main_window_handle();
                EXPECT_TRUE(main && main->title().endsWith(QStringLiteral(" (close subwindow)")) != requester)
                    << title;
                EXPECT_NE(modal->windowHandle()->transientParent(), nullptr) << title;
                QWidget* focus = modal->focusWidget() ? modal->focusWidget() : modal;
                if (auto* box = qobject_cast<QMessageBox*>(modal))
                    return box->buttons().back()->click(); // a requester from inside
                // A window before it (the "Loading..." gauge of its pictures)
                // may have taken the first Escape: each window gets its own.
                if (typed_in != modal) ticks = 0;
                if (typed_in != modal && title == "Edit Register/Memory") {
                    QTest::keyClicks(focus, "$300"); // above $FF
                    QTest::keyClick(focus, Qt::Key_Return);
                } else if (++ticks == 1) {
                    QTest::keyClick(focus, Qt::Key_Escape);
                } else if (ticks == 50) {
                    modal->close(); // Escape left it open
                }
                modals += typed_in != modal;
                typed_in = modal;
            },
            open);
        EXPECT_LT(ticks, 50) << "Escape left it open";
        event_pass();
        EXPECT_EQ(gui_modal_active, 0);
        EXPECT_EQ(snd_output_running(), sound);
        for (u32 k = 0; k < RAW_KEYS; k++)
            EXPECT_EQ(host_key_down(k), 0) << "raw key " << k << " held";
        gui_close_all_subwindows();
        pending_actions = 0;
        command("MENU MACRO.STOP");
    }
    EXPECT_GT(modals, 10);
}

// A question asked from the main window's menu while a tool window is open,
// answered as the user answers it: while it is up, a click on the main
// window's game list is not taken (the question keeps the keys); once it is
// put away, the keys are the main window's again, not the tool window's.
TEST_F(ModalWindowsQt, AQuestionKeepsTheKeysAndGivesThemBackToItsWindow) {
    QWindow* main = main_window_handle();
    ASSERT_NE(main, nullptr);
    auto* list = qobject_cast<QAbstractItemView*>(widget(main_window, GID_GAME_LIST));
    ASSERT_NE(list, nullptr);
    const int rows_shown = list->model()->rowCount();
    ASSERT_GT(rows_shown, 1);
    confirmquit = 1;
    // Each row's item as its path ends (a key's name may follow): the quit
    // window, the file requesters, a window of its own.
    const char* const rows[] = {"> Quit", "> Open...", "> Save state as...", "> Paths..."};
    for (const char* name : rows) {
        SCOPED_TRACE(name);
        QAction* item = nullptr;
        for (const auto& [path, row] : main_menu())
            if (path.contains(name)) item = row;
        ASSERT_NE(item, nullptr);
        ASSERT_EQ(command("OPENMEMORY"), 0);
        gui_window_activate(main_window);
        event_pass();
        int taken = 0;
        const QMetaObject::Connection click =
            QObject::connect(list, &QAbstractItemView::pressed, [&taken] { taken++; });
        std::set<QWidget*> old;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) old.insert(w);
        int ticks = 0;
        bool clicked = false;
        qt_as_the_user(
            [&] {
                QWidget* modal = QApplication::activeModalWidget();
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (!modal && !old.count(w) && w->isVisible() && w->windowHandle()) modal = w;
                if (!modal) return;
                if (!clicked) {
                    clicked = true;
                    // Through the window, as the display's click comes.
                    const QRect last = list->visualRect(list->model()->index(rows_shown - 1, 0));
                    QTest::mouseClick(main, Qt::LeftButton, Qt::NoModifier,
                                      list->viewport()->mapTo(list->window(), last.center()));
                    return;
                }
                if (++ticks > 50)
                    modal->close();
                else if (auto* box = qobject_cast<QMessageBox*>(modal))
                    box->buttons().back()->click();
                else
                    QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_Escape);
            },
            [item] {
                item->trigger();
                event_pass();
            });
        EXPECT_TRUE(clicked) << "no question";
        QObject::disconnect(click);
        EXPECT_EQ(taken, 0) << "the game list took the click";
        event_pass();
        EXPECT_EQ(QApplication::activeWindow() ? QApplication::activeWindow()->windowHandle() : nullptr,
                  main);
        gui_close_all_subwindows();
        event_pass();
    }
}

// The assembler's question (its outputs' names hold the user's files), asked
// from the debugger's command line as the user types it and answered with
// Escape: the keys go back to the command line, not to the guest.
TEST_F(ModalWindowsQt, AQuestionGivesTheKeysBackToTheCommandLineItWasAskedFrom) {
    QWidget* line = widget(main_window, GID_COMMAND);
    ASSERT_NE(line, nullptr);
    const std::filesystem::path dir = std::filesystem::path(path_progdir()) / "asked";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "p.asm") << "        ORG $0000\n        NOP\n        END\n";
    for (const char* other : {"p.bin", "p.lst"})
        std::ofstream(dir / other) << "the user's own\n";
    gui_window_activate(main_window);
    line->setFocus();
    event_pass();
    ASSERT_EQ(QApplication::focusWidget(), line);
    QTest::keyClicks(line, QString::fromStdString("ASM " + (dir / "p.asm").string()));
    bool asked = false;
    qt_as_the_user(
        [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            asked = true;
            QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_Escape);
        },
        [line] {
            QTest::keyClick(line, Qt::Key_Return);
            event_pass();
        });
    event_pass();
    EXPECT_TRUE(asked) << "no question";
    std::ifstream kept(dir / "p.bin");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the user's own\n");
    EXPECT_EQ(QApplication::focusWidget(), line);
    std::filesystem::remove_all(dir);
}
