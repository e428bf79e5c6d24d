// The quit window drawn by Qt: a button renamed while it is open keeps its key
// as the key it underlines, not as a "_" in its text.
#include "tests/qt/qt_session.h"

#include "computers/phunsy.h"
#include "core/settings_vars.h"
#include "core/emu.h"
#include "core/ui_host.h"
#include "gui/quit_window.h"
#include "gui/requesters.h"
#include "peripherals/mdcr.h"
#include "platform/paths.h"
#include "platform/qt/gui_qt.h"

#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class QuitWindowQt : public QtSession {};

bool warned = false;

} // namespace

// The PHUNSY's MDCR tape written by the guest, its file then a folder: the
// quit window's "Update tape" fails and is set again, still marked as a key.
TEST_F(QuitWindowQt, UpdateTapeKeepsItsKeyMarkAfterAFailedUpdate) {
    const std::filesystem::path tape = std::filesystem::path(path_progdir()) / "t.mdcr";
    std::ofstream(tape, std::ios::binary) << std::string(256, '\1');
    // Its monitor images are missing: the first switch in a run says so (5).
    ASSERT_LE(command("SETMACHINE PHUNSY"), 5);
    ASSERT_EQ(machine, PHUNSY);
    ASSERT_EQ(command("OPEN " + tape.string()), 0);
    ASSERT_EQ(command("DEBUGGER \"WRITEPORT DATA 60\""), 0); // forward, writing
    for (int i = 0; i < 4; i++)
        phunsy_run_frame();
    ASSERT_TRUE(mdcr_changed);
    std::filesystem::remove(tape);
    std::filesystem::create_directory(tape);

    const auto warning = ui_host.warning;
    ui_host.warning = [](const char*) { warned = true; };
    confirmquit = 1;
    std::string before, after;
    int ticks = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        // Gone, or going: its gadgets go before the window does.
        auto* update =
            quit_window ? qobject_cast<QPushButton*>(qt_gadget_widget(quit_window, GID_QUIT_UPDATE))
                        : nullptr;
        if (!update) return;
        if (before.empty()) {
            before = update->text().toStdString();
            update->click();
            return;
        }
        if (!warned && ++ticks < 250) return; // five seconds at most
        after = update->text().toStdString();
        if (auto* no = qobject_cast<QPushButton*>(qt_gadget_widget(quit_window, GID_QUIT_NO)))
            no->click();
        user.stop();
    });
    user.start(20);
    EXPECT_EQ(gui_confirm_quit(), 0);
    ui_host.warning = warning;
    EXPECT_EQ(before, "&Update tape");
    EXPECT_EQ(after, before);
}
