// The quit window drawn by Qt: a button renamed while it is open keeps its key
// as the key it underlines, not as a "_" in its text.
#include "tests/qt/qt_session.h"

#include "computers/phunsy.h"
#include "core/settings_vars.h"
#include "core/emu.h"
#include "core/hiscore.h"
#include "core/session.h"
#include "core/ui_host.h"
#include "gui/main_window.h"
#include "gui/quit_window.h"
#include "gui/requesters.h"
#include "peripherals/floppy.h"
#include "peripherals/mdcr.h"
#include "platform/paths.h"
#include "platform/qt/gui_qt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class QuitWindowQt : public QtSession {
  protected:
    // The PHUNSY's MDCR tape `tape` on the deck, written on by the guest.
    static void phunsy_writes_on(const std::filesystem::path& tape) {
        std::ofstream(tape, std::ios::binary) << std::string(256, '\1');
        // Its monitor images are missing: the first switch in a run says so (5).
        ASSERT_LE(command("SETMACHINE PHUNSY"), 5);
        ASSERT_EQ(machine, PHUNSY);
        ASSERT_EQ(command("OPEN " + tape.string()), 0);
        ASSERT_EQ(command("DEBUGGER \"WRITEPORT DATA 60\""), 0); // forward, writing
        for (int i = 0; i < 4; i++)
            phunsy_run_frame();
        ASSERT_TRUE(mdcr_changed);
    }
    // A blank CD2650 disk `disk` in drive 0, written on (a note put on it).
    static void cd2650_writes_on(const std::filesystem::path& disk) {
        const std::filesystem::path home = path_progdir();
        std::filesystem::create_directories(home / "Projects");
        std::ofstream(home / "Projects" / "notes.txt") << "notes\n";
        std::ofstream(disk, std::ios::binary) << std::string(80640, '\0');
        ASSERT_LE(command("SETMACHINE CD2650"), 5);
        ASSERT_EQ(command("OPEN " + disk.string()), 0);
        ASSERT_EQ(command("DEBUGGER \"DRIVE 0\""), 0);
        ASSERT_EQ(command("DEBUGGER \"INJECT notes.txt\""), 0);
    }
};

std::vector<std::string> warnings;

// What the quit window shows around a click on its update button, pressed
// once it is open; it is then left with No.
struct AfterUpdate {
    std::string button_before, button_after, named_after;
};
AfterUpdate update_in_quit_window() {
    const auto warning = ui_host.warning;
    warnings.clear();
    ui_host.warning = [](const char* text) { warnings.emplace_back(text); };
    confirmquit = 1;
    AfterUpdate seen;
    int ticks = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        // Gone, or going: its gadgets go before the window does.
        auto* update =
            quit_window ? qobject_cast<QPushButton*>(qt_gadget_widget(quit_window, GID_QUIT_UPDATE))
                        : nullptr;
        if (!update) return;
        if (seen.button_before.empty()) {
            seen.button_before = update->text().toStdString();
            update->click();
            return;
        }
        if (warnings.empty() && ++ticks < 250) return; // five seconds at most
        seen.button_after = update->text().toStdString();
        if (auto* named = qobject_cast<QLabel*>(qt_gadget_widget(quit_window, GID_QUIT_DISKS)))
            seen.named_after = named->text().toStdString();
        if (auto* no = qobject_cast<QPushButton*>(qt_gadget_widget(quit_window, GID_QUIT_NO)))
            no->click();
        user.stop();
    });
    user.start(20);
    EXPECT_EQ(gui_confirm_quit(), 0);
    ui_host.warning = warning;
    return seen;
}

// Another program puts a file of its own at `path`, as a save of its own does.
void replaced_by_another_program(const std::filesystem::path& path) {
    const std::filesystem::path theirs = path.string() + ".theirs";
    std::ofstream(theirs, std::ios::binary) << "THEIRS";
    std::filesystem::rename(theirs, path);
}

void key(QWidget* to, QEvent::Type type, bool repeat = false) {
    QKeyEvent e(type, Qt::Key_Escape, Qt::NoModifier, QString(), repeat);
    QApplication::sendEvent(to, &e);
}

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

// The PHUNSY's MDCR tape written by the guest, its file then a folder: the
// quit window's "Update tape" fails and is set again, still marked as a key.
TEST_F(QuitWindowQt, UpdateTapeKeepsItsKeyMarkAfterAFailedUpdate) {
    const std::filesystem::path tape = std::filesystem::path(path_progdir()) / "t.mdcr";
    phunsy_writes_on(tape);
    std::filesystem::remove(tape);
    std::filesystem::create_directory(tape);
    const AfterUpdate seen = update_in_quit_window();
    EXPECT_EQ(seen.button_before, "&Update tape");
    EXPECT_EQ(seen.button_after, seen.button_before);
    std::filesystem::remove(tape);
}

// A disk or an MDCR tape whose file another program replaced since it went in
// is not written over by the quit window's update: the warning says why, the
// window goes on naming it as not saved, and the other program's file stays.
TEST_F(QuitWindowQt, UpdateWritesNoMediumOverAFileThatReplacedItsOwn) {
    const std::filesystem::path home = path_progdir();
    const std::filesystem::path disk = home / "blank.raw", tape = home / "t.mdcr";
    ASSERT_NO_FATAL_FAILURE(cd2650_writes_on(disk));
    replaced_by_another_program(disk);
    AfterUpdate seen = update_in_quit_window();
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings[0], "Can't write the disk in drive 0 back: its file " + disk.string() +
                               " was replaced by another file since it went in.");
    EXPECT_EQ(seen.named_after, "Changed disks not saved: drive 0 (\"blank.raw\").");
    EXPECT_EQ(contents(disk), "THEIRS");

    floppy_reset(); // the kept disk let go, as the next test starts
    phunsy_writes_on(tape);
    replaced_by_another_program(tape);
    seen = update_in_quit_window();
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings[0], "Can't write the MDCR tape back: its file " + tape.string() +
                               " was replaced by another file since it went in.");
    EXPECT_EQ(seen.named_after, "Changed tapes not saved: MDCR tape (\"t.mdcr\").");
    EXPECT_EQ(contents(tape), "THEIRS");
}

// Escape pressed in the main window while the emulation runs opens the quit
// window, and is let go before that window is up: the main window gets its
// release. Held on, it repeats in the window and answers nothing; the next
// Escape pressed there answers No.
TEST_F(QuitWindowQt, TheEscapeAfterTheQuitKeyAnswersNo) {
    confirmquit = 1;
    ASSERT_FALSE(emu_paused);
    QWidget* main = widget(main_window, GID_DISPLAY)->window();
    int ticks = 0;
    qt_as_the_user(
        [&] {
            QWidget* no = quit_window ? qt_gadget_widget(quit_window, GID_QUIT_NO) : nullptr;
            if (!no) return;
            if (++ticks > 1) return qobject_cast<QPushButton*>(no)->click(); // not answered
            QWidget* w = no->window()->focusWidget() ? no->window()->focusWidget() : no->window();
            key(main, QEvent::KeyRelease);
            key(w, QEvent::KeyPress, true);
            key(w, QEvent::KeyPress);
            key(w, QEvent::KeyRelease);
        },
        [&] {
            key(main, QEvent::KeyPress);
            event_pass();
        });
    EXPECT_EQ(ticks, 1) << "no quit window, or one the Escape left open";
    EXPECT_FALSE(pending_actions & PA_QUIT);
    EXPECT_EQ(quit_window, 0);
}

// The quit window says the autosave keeps a changed disk only once it is
// written. Where it cannot be (a folder in its place) Yes asks again, now
// naming why and the disk as not saved, and No stays with the disk as it
// was; the next Quit writes the autosave afresh once it can.
TEST_F(QuitWindowQt, AQuitThatSaysTheAutosaveKeepsADiskAsksAgainWhenItCannotBeWritten) {
    const std::filesystem::path kept = path_to_host(autosave_path());
    ASSERT_NO_FATAL_FAILURE(cd2650_writes_on(std::filesystem::path(path_progdir()) / "blank.raw"));
    app_acquired.machine_ready = true; // a session that writes its autosave
    autosave = 1;
    confirmquit = 1;
    std::filesystem::create_directories(kept);
    // Quits, answering the questions with `answers` in turn: each one's text
    // as it opens goes into `shown`.
    std::vector<std::string> shown;
    const auto quit = [&shown](std::vector<int> answers) {
        shown.clear();
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            auto* named = quit_window
                              ? qobject_cast<QLabel*>(qt_gadget_widget(quit_window, GID_QUIT_DISKS))
                              : nullptr;
            if (!named || shown.size() >= answers.size()) return;
            const std::string text = named->text().toStdString();
            if (!shown.empty() && shown.back() == text) return; // the last one, still going
            const int gid = answers[shown.size()];
            shown.push_back(text);
            if (auto* button = qobject_cast<QPushButton*>(qt_gadget_widget(quit_window, gid)))
                button->click();
        });
        user.start(20);
        return gui_confirm_quit();
    };
    const std::string named = "Changed disks not saved: drive 0 (\"blank.raw\")";
    const std::string keeps = named + "; the autosave keeps them for the next start.";
    EXPECT_EQ(quit({GID_QUIT_YES, GID_QUIT_NO}), 0);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], keeps);
    EXPECT_EQ(shown[1].rfind("Autosave not written (can't write " + kept.string(), 0), 0u)
        << shown[1];
    EXPECT_NE(shown[1].find("\n" + named + "."), std::string::npos) << shown[1];
    EXPECT_EQ(shown[1].find("keeps them"), std::string::npos) << shown[1];
    EXPECT_EQ(std::string(floppy_disk_name(0)), "\"blank.raw\"");
    EXPECT_TRUE(drives[0].changed);

    std::filesystem::remove(kept);
    EXPECT_EQ(quit({GID_QUIT_YES}), 1);
    EXPECT_EQ(shown, std::vector<std::string>{keeps});
    EXPECT_TRUE(std::filesystem::is_regular_file(kept));
    app_acquired.machine_ready = false;
    floppy_reset();
}
