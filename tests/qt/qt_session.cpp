#include "tests/qt/qt_session.h"

#include "app/startup.h"
#include "commands/arexx.h"
#include "core/filekinds.h"
#include "core/machine.h"
#include "core/user_prefs.h"
#include "core/machine_table.h"
#include "core/session.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "gui/dialogs.h"
#include "gui/main_window.h"
#include "gui/ui_pass.h"
#include "peripherals/floppy.h"
#include "peripherals/mdcr.h"
#include "peripherals/papertape.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "platform/qt/gui_qt.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

std::filesystem::path session_home;
char program_name[] = "brindlemox";
char* program_argv[] = {program_name, nullptr};

} // namespace

void QtSession::SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    char pattern[] = "/tmp/brindlemox-qt-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    session_home = pattern;
    setenv("BRINDLEMOX_HOME", pattern, 1);
    setenv("XDG_RUNTIME_DIR", pattern, 1);
    gui_install_ui_host();
    path_fix_progdir();
    emu_reset_all();
    ASSERT_TRUE(path_make_progdir());
    for (const char* drawer : {"PROGDIR:Configs", "PROGDIR:Games", "PROGDIR:Screenshots"})
        path_make_dirs(path_to_host(drawer));
    ASSERT_EQ(chdir(path_progdir().c_str()), 0);
    ASSERT_TRUE(gui_host_init(1, program_argv));
    file_kinds_load_titles(); // the catalog's texts that live in tables, as start-up takes them
    // Nobody answers a requester here: one that opens is closed at once, as a
    // break closes it, rather than waiting.
    gui_host_set_break_poll([] { return true; });
    app_acquired.host_gui = true;
    ui_host.load_images();
    machine_switch(memmap_table[settings_memmap].machine, static_cast<int>(settings_memmap), true,
                   true, true);
    ui_host.open_main_window(0);
    ASSERT_TRUE(ui_host.main_window_open());
    event_pass();
}

void QtSession::SetUp() {
    floppy_reset();
    mdcr_reset();
    papertape_reset();
    ini_read_text(ini_default_text());
    prefs_forget_stretches(); // as the start-up's reset: the defaults choose no stretch
    machine_switch(memmap_table[settings_memmap].machine, static_cast<int>(settings_memmap), true,
                   true, true);
    event_pass();
}

void QtSession::TearDownTestSuite() {
    gui_close_main_window();
    gui_host_pump();
    std::error_code ec;
    std::filesystem::remove_all(session_home, ec);
}

int QtSession::command(const std::string& line, std::string* result) {
    std::string out;
    // As the port runs it: nobody waits at the screen for its dialogs.
    const int rc = ui_unattended_run(arexx_execute, line.c_str(), result ? result : &out);
    event_pass();
    return rc;
}

void QtSession::event_pass() {
    gui_host_pump();
    gui_dialogs_input();
    gui_main_window_events();
}

QWidget* QtSession::widget(int win, int gid) {
    QWidget* w = qt_gadget_widget(win, gid);
    EXPECT_NE(w, nullptr) << "window " << win << " gadget " << gid;
    return w;
}

bool qt_type_save_name(QFileDialog* dialog, const QString& name) {
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!field) {
        dialog->reject();
        return false;
    }
    if (!field->hasFocus()) {
        dialog->activateWindow();
        field->setFocus(Qt::MouseFocusReason);
        return false;
    }
    if (field->text() != name) {
        field->setText(name);
        return false;
    }
    QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
    return true;
}

void qt_as_the_user(const std::function<void()>& tick, const std::function<void()>& act) {
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, tick);
    gui_host_set_break_poll(nullptr);
    user.start(20);
    act();
    user.stop();
    gui_host_set_break_poll([] { return true; });
}
