// The tool windows' openers on the port and in the menu, asked for a window
// that is open but minimised: the window comes back on the desktop, in front.
#include "tests/qt/qt_session.h"

#include "commands/arexx.h"
#include "commands/command_table.h"
#include "commands/menu_state.h"
#include "commands/menu_table.h"
#include "core/machine_table.h"
#include "gui/tool_windows.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include <set>
#include <vector>
#include <string>

namespace {

class ToolWindowsQt : public QtSession {};

std::set<QWidget*> shown_windows() {
    std::set<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) shown.insert(w);
    return shown;
}

void close_every_tool_window() {
    for (const ToolWindowRow& open : tool_window_table)
        gui_close_subwindow(open.id);
}

// The main window's menu item of plain id `id`, looked up afresh (a switch
// builds the strip anew) along the menu table's labels: title, item, sub-item.
QAction* menu_item(int id) {
    QStringList path, at;
    for (const MenuRow& row : menu_table) {
        if (!row.label) continue;
        const QString label = QString::fromUtf8(row.label).remove('&');
        if (row.type == MR_TITLE) at = {label};
        if (row.type == MR_ITEM) at = {at.value(0), label};
        if (row.type == MR_SUB) at = {at.value(0), at.value(1), label};
        if (row.plain == id && row.kind == MK_ITEM) path = at;
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        for (QMenuBar* bar : w->findChildren<QMenuBar*>()) {
            QList<QAction*> level = bar->actions();
            QAction* found = nullptr;
            for (const QString& step : path) {
                found = nullptr;
                for (QAction* a : level)
                    if (a->text().remove('&').section('\t', 0, 0) == step) found = a;
                if (!found) break;
                if (found->menu()) level = found->menu()->actions();
            }
            if (found) return found;
        }
    return nullptr;
}

} // namespace

// Every OPEN... command of the port that opens a tool window, on the first
// machine that has the window: minimised, the window is shown again by the
// command (rc 0) and is the active one.
TEST_F(ToolWindowsQt, AnOpenerShowsItsMinimisedWindowAgain) {
    int rows = 0;
    for (const ArexxCmd* row = g_arexx_commands; row->name; ++row) {
        const std::string name = row->name;
        if (name.rfind("OPEN", 0) != 0 || name == "OPEN") continue;
        SCOPED_TRACE(name);
        close_every_tool_window(); // an earlier test's windows
        event_pass();
        std::set<QWidget*> opened;
        for (int m = 0; m < static_cast<int>(MACHINES) && opened.empty(); ++m) {
            command(std::string("SETMACHINE ") + machine_table[m].keyword);
            const std::set<QWidget*> before = shown_windows();
            if (command(name) != 0) continue; // not this machine's
            for (QWidget* w : shown_windows())
                if (!before.count(w)) opened.insert(w);
        }
        ASSERT_FALSE(opened.empty()) << "no machine opens a window";
        rows++;
        for (QWidget* w : opened) {
            w->showMinimized();
            event_pass();
            ASSERT_TRUE(w->isMinimized());
        }
        ASSERT_EQ(command(name), 0);
        for (QWidget* w : opened) {
            EXPECT_FALSE(w->isMinimized()) << w->windowTitle().toStdString();
            EXPECT_TRUE(w->isVisible()) << w->windowTitle().toStdString();
        }
        // The one window (a monitor opens three) is the active one.
        if (opened.size() == 1) {
            EXPECT_EQ(QApplication::activeWindow(), *opened.begin());
        }
        // CLOSEMONITOR deletes the monitor's windows: the others are closed by hand.
        std::vector<QPointer<QWidget>> still(opened.begin(), opened.end());
        command("CLOSEMONITOR");
        for (const QPointer<QWidget>& w : still) {
            if (w && w->isVisible()) w->close();
        }
        event_pass();
    }
    EXPECT_GE(rows, 13);
}

// Every menu item that opens a tool window, on the first machine where it
// runs: ghosted while its window is shown, enabled while it is minimised, and
// picked then it shows the window again, in front (as its port command does).
TEST_F(ToolWindowsQt, AnItemIsEnabledWhileItsWindowIsMinimisedAndShowsItAgain) {
    int rows = 0;
    for (const CmdRow& row : cmd_rows) {
        const auto window = static_cast<ToolWindow>(cmd_tool_window(row));
        if (window == TW_NONE || row.plain < 0) continue;
        SCOPED_TRACE(menu_plain_names[row.plain].name);
        close_every_tool_window();
        event_pass();
        std::set<QWidget*> opened;
        QAction* item = nullptr;
        for (int m = 0; m < static_cast<int>(MACHINES) && opened.empty(); ++m) {
            command(std::string("SETMACHINE ") + machine_table[m].keyword);
            event_pass();
            item = menu_item(row.plain);
            if (menu_item_refusal(row) || !item) continue;
            ASSERT_TRUE(item->isEnabled()) << machine_table[m].keyword;
            const std::set<QWidget*> before = shown_windows();
            item->trigger();
            event_pass();
            for (QWidget* w : shown_windows())
                if (!before.count(w)) opened.insert(w);
        }
        if (opened.empty() && !cmd_built(row)) continue; // a window this build has not
        ASSERT_FALSE(opened.empty()) << "no machine opens the window";
        ASSERT_TRUE(gui_tool_window_open(window));
        rows++;
        EXPECT_FALSE(item->isEnabled()) << "not ghosted while its window is shown";
        for (QWidget* w : opened)
            w->showMinimized();
        event_pass();
        EXPECT_TRUE(item->isEnabled()) << "ghosted while its window is minimised";
        item->trigger();
        event_pass();
        for (QWidget* w : opened) {
            EXPECT_FALSE(w->isMinimized()) << w->windowTitle().toStdString();
            EXPECT_TRUE(w->isVisible()) << w->windowTitle().toStdString();
        }
        if (opened.size() == 1) {
            EXPECT_EQ(QApplication::activeWindow(), *opened.begin());
        }
        EXPECT_FALSE(item->isEnabled()) << "not ghosted once shown again";
        close_every_tool_window();
        event_pass();
        EXPECT_TRUE(item->isEnabled()) << "ghosted once closed";
    }
    EXPECT_GE(rows, 19);
}
