// The CPU monitor drawn by Qt: the instruction at IAR, set into its button
// while the window is open, shows its operand's "_" as it stands.
#include "tests/qt/qt_session.h"

#include "debugger/debugger.h"
#include "gui/tool_windows.h"
#include "inspect/monitor_rows.h"
#include "platform/gui.h"

#include <QAbstractButton>
#include <QWidget>

#include <string>

namespace {
class CpuMonitorQt : public QtSession {};
} // namespace

TEST_F(CpuMonitorQt, TheInstructionNamesItsLabelWithItsUnderscore) {
    dbg_install_cpu_host(nullptr); // the debugger names addresses, as at the program's start
    command("MENU SETTINGS.MACHINE.ELEKTOR"); // expanded; warns of its missing monitor image
    for (const char* poke : {"POKE $900 $CC", "POKE $901 $1D", "POKE $902 $00"})
        ASSERT_EQ(command(std::string("DEBUGGER \"") + poke + "\""), 0); // STRA,r0 $1D00
    ASSERT_EQ(command("PAUSE"), 0);
    ASSERT_EQ(command("DEBUGGER \"J 900\""), 0);
    ASSERT_EQ(command("MENU TOOLS.CPU"), 0);
    event_pass();
    const int win = gui_subwin_window[TW_CPU];
    ASSERT_NE(win, 0);
    QWidget* window = widget(win, MON_ROW_GADGET + MON_CPU_FIRST)->window();
    std::string shown;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->text().startsWith("STRA")) shown = b->text().toStdString();
    EXPECT_EQ(shown, "STRA,r0 PITCHA1_L");
    command("MENU TOOLS.CPU");
    command("UNPAUSE");
}
