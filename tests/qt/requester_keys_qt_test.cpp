// The program's requesters drawn by Qt, as a user meets them: a question's
// buttons answer to Alt and their underlined letter, and each Create button
// of the device windows opens a file requester titled by what it makes.
#include "tests/qt/qt_session.h"

#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "computers/phunsy.h"
#include "core/notify.h"
#include "devicewindows/papertape_window.h"
#include "devicewindows/tape_deck_window.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "gui/tool_windows.h"
#include "peripherals/mdcr.h"
#include "peripherals/tape.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class RequesterKeysQt : public QtSession {
  protected:
    static void click(int win, int gid) {
        qobject_cast<QAbstractButton*>(widget(win, gid))->click();
        event_pass();
    }
};

// The user at the screen: a question is answered with Alt and `key`, a file
// requester is put away, or given the name `save_as` if there is one; what
// each said is kept (the question's text, the file requester's title).
struct User {
    Qt::Key key = Qt::Key_unknown;
    std::string save_as;
    std::vector<std::string> asked, titles;
    QPointer<QMessageBox> pressed;
    int waited = 0;

    void tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (!save_as.empty()) {
                if (qt_type_save_name(dialog, QString::fromStdString(save_as))) save_as.clear();
                return;
            }
            titles.push_back(dialog->windowTitle().toStdString());
            dialog->reject();
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        if (box == pressed) {
            // The key left it open: its last button goes on with the test.
            if (++waited == 25) box->buttons().back()->click();
            return;
        }
        // A key reaches a button's mnemonic only once the box is the active window.
        if (!box->isActiveWindow()) {
            box->activateWindow();
            return;
        }
        asked.push_back(box->text().toStdString());
        pressed = box;
        waited = 0;
        QTest::keyClick(box, key, Qt::AltModifier);
    }
};

std::string contents(const fs::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

} // namespace

// Each question answered with the key of a button that neither Return nor
// Escape chooses: Drop for a changed MDCR tape on a switch to another
// machine (Settings > Machine), Replace for a
// file in the place of the assembler's object file, Yes for the user's file
// at the name typed into a save requester.
TEST_F(RequesterKeysQt, AQuestionsButtonsAnswerToTheirKeys) {
    const fs::path home = path_progdir();
    char saved[513] = "";
    struct Row {
        const char* what;
        Qt::Key key;
        std::function<void()> set_up, act;
        std::function<bool()> answered;
        std::string save_as;
    };
    const Row rows[] = {
        {"a changed MDCR tape", Qt::Key_D,
         [&] {
             std::ofstream(home / "t.mdcr", std::ios::binary) << std::string(256, '\1');
             command("SETMACHINE PHUNSY"); // warns of its missing monitor images
             ASSERT_EQ(command("OPEN " + (home / "t.mdcr").string()), 0);
             ASSERT_EQ(command("DEBUGGER \"WRITEPORT DATA 60\""), 0); // forward, writing
             for (int i = 0; i < 4; i++)
                 phunsy_run_frame();
             ASSERT_TRUE(mdcr_changed);
         },
         [] { cmd_run(*cmd_named("SETTINGS.MACHINE.ARCADIA"), {CmdFrom::MENU}); },
         [] { return !mdcr_changed && !mdcr_file_name[0]; },
         ""},
        {"a file in the object file's place", Qt::Key_R,
         [&] {
             command("SETMACHINE ARCADIA");
             std::ofstream(home / "keys.asm") << "        ORG $0\n        LODI,r0 $42\n        END\n";
             std::ofstream(home / "keys.bin") << "the user's image";
         },
         [&] { gui_run_command(("ASM " + (home / "keys.asm").string()).c_str()); },
         [&] { return contents(home / "keys.bin").substr(0, 2) == "\x04\x42"; }, ""},
        {"a file at the name a save requester is given", Qt::Key_Y,
         [&] { std::ofstream(home / "taken.txt") << "the user's"; },
         [&] {
             saved[0] = 0;
             gui_file_request("Save", "#?", FILE_REQUEST_SAVE, home.c_str(), "", saved);
         },
         [&] { return fs::path(saved) == home / "taken.txt"; }, (home / "taken.txt").string()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NO_FATAL_FAILURE(row.set_up());
        User user;
        user.key = row.key;
        user.save_as = row.save_as;
        qt_as_the_user([&] { user.tick(); }, row.act);
        EXPECT_EQ(user.asked.size(), 1u);
        EXPECT_TRUE(row.answered());
    }
    command("SETMACHINE ARCADIA");
}

// Every Create button of the device windows asks for the new file's name in
// a requester that says what it creates.
TEST_F(RequesterKeysQt, EachCreateRequesterIsTitledByWhatItMakes) {
    struct Row {
        const char* machine;
        ToolWindow window;
        void (*open)();
        int gid;
        const char* title;
    };
    const Row rows[] = {
        {"PIPBUG", TW_PAPERTAPE, gui_open_papertape_window, GID_PAP_CREATE, "Create Papertape"},
        {"PHUNSY", TW_TAPE, gui_open_tape_deck_window, GID_MDCR_CREATE, "Create MDCR Tape"},
        {"ELEKTOR", TW_TAPE, gui_open_tape_deck_window, GID_TAPE_CREATE_WAV, "Create WAV Tape"},
        {"ELEKTOR", TW_TAPE, gui_open_tape_deck_window, GID_TAPE_CREATE_8SVX,
         "Create IFF 8SVX Tape"},
        {"ELEKTOR", TW_TAPE, gui_open_tape_deck_window, GID_TAPE_CREATE_AIFF,
         "Create IFF AIFF Tape"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        command(std::string("SETMACHINE ") + row.machine); // may warn of missing ROM images
        tape_close_sample_file(); // an empty deck, which offers Create
        row.open();
        event_pass();
        ASSERT_NE(gui_subwin_window[row.window], 0);
        User user;
        qt_as_the_user([&] { user.tick(); }, [&] { click(gui_subwin_window[row.window], row.gid); });
        EXPECT_EQ(user.titles, std::vector<std::string>{row.title});
        gui_close_subwindow(row.window);
        event_pass();
    }
    command("SETMACHINE ARCADIA");
}
