// The memory editor turned by its keys and the wheel while the emulation is
// paused: no frame ends then, and each turn shows at once all the same.
#include "tests/qt/qt_session.h"

#include "core/emu.h"
#include "core/settings_vars.h"
#include "gui/tool_windows.h"
#include "inspect/memory_editor_window.h"
#include "platform/gui.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

namespace {
class MemoryEditorQt : public QtSession {};
} // namespace

TEST_F(MemoryEditorQt, KeysAndTheWheelTurnPagesWhilePaused) {
    command("SETMACHINE ELEKTOR"); // warns of its missing monitor image
    memedit_base = 0;
    ASSERT_EQ(command("OPENMEMORY"), 0);
    ASSERT_EQ(command("PAUSE"), 0);
    const int win = gui_subwin_window[TW_MEMORY];
    QWidget* window = widget(win, GID_MEM_CELL)->window();
    // A key, or a notch of the wheel over a cell, which hands the turn on.
    const auto turn = [&](Qt::Key k, int notch = 0) {
        const QPointF at = widget(win, GID_MEM_CELL + 17)->mapTo(window, QPointF(4, 4));
        QWheelEvent wheel(at, window->mapToGlobal(at), QPoint(), QPoint(0, notch), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(window, notch ? static_cast<QEvent*>(&wheel) : &press);
        event_pass();
        return gui_get_text(win, GID_MEM_REGION) + " " + gui_get_text(win, GID_MEM_ROW);
    };
    EXPECT_EQ(turn(Qt::Key_Right), "0100..01FF $010x:");
    EXPECT_EQ(turn(Qt::Key_PageDown), "0200..02FF $020x:");
    EXPECT_EQ(turn(Qt::Key_unknown, 120), "0300..03FF $030x:");
    EXPECT_EQ(gui_get_value(win, GID_MEM_SLIDER), 3);
    EXPECT_EQ(turn(Qt::Key_unknown, -120), "0200..02FF $020x:");
    EXPECT_EQ(turn(Qt::Key_Left), "0100..01FF $010x:");
    EXPECT_TRUE(emu_paused);
    command("UNPAUSE");
    command("CLOSEMEMORY");
}
