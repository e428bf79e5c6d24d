// The tool windows' openers on the port, asked for a window that is open but
// minimised: the window comes back on the desktop, in front.
#include "tests/qt/qt_session.h"

#include "commands/arexx.h"
#include "core/machine_table.h"
#include "gui/tool_windows.h"

#include <QApplication>
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
        for (const ToolWindowRow& open : tool_window_table) // an earlier test's windows
            gui_close_subwindow(open.id);
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
