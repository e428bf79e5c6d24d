// The printer window and the quit window drawn by Qt over the page the guest
// prints on PIPBUG's 7-bit printer, with every page saved as it goes.
#include "tests/qt/qt_session.h"

#include "core/session.h"
#include "core/settings_vars.h"
#include "devicewindows/printer_window.h"
#include "gui/quit_window.h"
#include "gui/requesters.h"
#include "gui/tool_windows.h"
#include "peripherals/printer.h"
#include "platform/paths.h"
#include "gui/main_window.h"
#include "platform/qt/gui_qt.h"
#include "tests/support/printout_rows.h"
#include "tests/support/small_disk.h"
#include "app/shutdown.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class PrinterQt : public QtSession {
  protected:
    void SetUp() override {
        QtSession::SetUp();
        ASSERT_LE(command("SETMACHINE PIPBUG"), 5); // its monitor image is missing
        fs::create_directories(projects);
        test_clear_printouts(projects, screenshots);
        eachpage = 1;
    }
    void TearDown() override { eachpage = 0; }
    static void print_line(const std::string& text) {
        for (const std::string& line : test_printing(text))
            ASSERT_EQ(command(line), 0);
    }
    std::string text_file(const std::string& name) const {
        std::ifstream in(projects / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    const fs::path projects = path_to_host(projects_path);
    const fs::path screenshots = path_to_host(screenshots_path);
};

} // namespace

// "Automatically save each page?" switched off saves the page in progress;
// switched on again and the page ejected, the page is saved once more in the
// place of its own picture and lines, also when more was printed meanwhile:
// no line twice, no picture under a later printout's number.
TEST_F(PrinterQt, EachPageOffAndOnThenEjectSavesThePageOnce) {
    ASSERT_EQ(command("MENU PERIPHERALS.PRINTER"), 0);
    const int win = gui_subwin_window[TW_PRINTER];
    ASSERT_NE(win, 0);
    auto* each = qobject_cast<QCheckBox*>(widget(win, GID_PRN_EACHPAGE));
    auto* eject = qobject_cast<QPushButton*>(widget(win, GID_PRN_EJECT));
    ASSERT_TRUE(each && eject);
    ASSERT_TRUE(each->isChecked());
    for (const char* more : {"", "MORE"}) {
        SCOPED_TRACE(more);
        print_line("HALF");
        each->click();
        event_pass();
        EXPECT_EQ(eachpage, 0u);
        each->click();
        event_pass();
        EXPECT_EQ(eachpage, 1u);
        if (*more) print_line(more);
        eject->click();
        event_pass();
    }
    // Each page's lines end with the empty one the head stood on.
    EXPECT_EQ(text_file("Printer.txt"), "HALF\n\nHALF\nMORE\n\n");
    EXPECT_EQ(test_names_in(screenshots),
              (std::set<std::string>{"Printer-1.ilbm", "Printer-2.ilbm"}));
    gui_close_subwindow(TW_PRINTER);
}

// While pages are not saved as they are printed, the sheet is the only copy
// of what was printed: loading a source (which sets no machine up) saves it
// as a page of the printout it was printed in, picture and text, before the
// new printout begins on fresh paper.
TEST_F(PrinterQt, ALoadSavesAnUnsavedSheetBeforeItGoes) {
    eachpage = 0;
    std::ofstream(projects / "p.asm") << "\tORG $440\nSTART:\tLODI,R0 $12\n\tHALT\n\tEND START\n";
    print_line("BEFORE");
    const PrinterUnit& unit = printer_units[0];
    const std::vector<u8> sheet(std::begin(unit.page), std::end(unit.page));
    ASSERT_LE(command("OPEN " + (projects / "p.asm").string()), 5);
    EXPECT_EQ(test_names_in(screenshots), std::set<std::string>{"Printer-1.ilbm"});
    EXPECT_EQ(text_file("Printer.txt"), "BEFORE\n\n");
    EXPECT_FALSE(std::equal(sheet.begin(), sheet.end(), std::begin(unit.page))) << "fresh paper";
    // The next line goes to the new printout, not to the old one's page.
    print_line("AFTER");
    ASSERT_EQ(command("MENU PROJECT.REINITIALIZE"), 0);
    EXPECT_EQ(text_file("Printer.txt"), "BEFORE\n\n");
    EXPECT_EQ(text_file("p.txt"), "AFTER\n\n");
}

// Eject with pages not saved as they fill saves the sheet as a page before
// the fresh one comes, once, and before it every page that filled since the
// last saving, in order: an empty sheet ejected saves nothing.
TEST_F(PrinterQt, EjectSavesTheSheetWithEachPageOff) {
    eachpage = 0;
    ASSERT_EQ(command("MENU PERIPHERALS.PRINTER"), 0);
    auto* eject = qobject_cast<QPushButton*>(widget(gui_subwin_window[TW_PRINTER], GID_PRN_EJECT));
    ASSERT_TRUE(eject);
    print_line("SHEET");
    for (int i = 0; i < 2; i++, event_pass())
        eject->click();
    EXPECT_EQ(text_file("Printer.txt"), "SHEET\n\n");
    EXPECT_EQ(test_names_in(screenshots), std::set<std::string>{"Printer-1.ilbm"});

    // A page and a line more (after the empty page 2): the filled page first,
    // then the sheet.
    test_clear_printouts(projects, screenshots);
    print_line("FIRST");
    for (u32 i = 0; i < printer_geometry.lines_per_page; i++)
        ASSERT_EQ(command("DEBUGGER \"WRITEPORT 19 0A\""), 0);
    print_line("LAST");
    eject->click();
    event_pass();
    const std::string text = text_file("Printer.txt");
    EXPECT_EQ(text.rfind("FIRST\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nLAST\n"), std::string::npos) << text;
    EXPECT_EQ(test_names_in(screenshots), (std::set<std::string>{"Printer-3.ilbm", "Printer-4.ilbm"}));
    gui_close_subwindow(TW_PRINTER);
}

// The quit window names the page in progress as the printer window does, and
// where quitting saves it; where a folder it goes to cannot be written (a
// read-only file system), that it cannot be saved there and where quitting
// keeps it for the next start instead, never a save that is not made.
TEST_F(PrinterQt, TheQuitWindowNamesThePageInProgress) {
    confirmquit = 1;
    // A session of its own home, as the program's (not a second one, which writes nothing).
    const bool ready = app_acquired.machine_ready;
    app_acquired.machine_ready = true;
    struct Back {
        bool ready;
        ~Back() { app_acquired.machine_ready = ready; }
    } back{ready};
    const std::string kept = app_printer_pages_files().front();
    struct Row {
        const char* what;
        fs::path read_only; // mounted read-only while the window asks
    };
    for (const Row& row : {Row{"folders writable", {}}, Row{"pictures read-only", screenshots},
                           Row{"texts read-only", projects}}) {
        for (const u32 each : {1u, 0u}) {
            SCOPED_TRACE(std::string(row.what) +
                         (each ? ", each page saved" : ", pages not saved as they fill"));
            eachpage = each;
            print_line("HALF");
            std::string running;
            {
                SmallDisk disk;
                if (!row.read_only.empty() &&
                    (!disk.mount(row.read_only, "64k") || !disk.make_read_only()))
                    GTEST_SKIP() << "no read-only file system can be made here";
                qt_as_the_user(
                    [&] {
                        auto* label = qobject_cast<QLabel*>(
                            quit_window ? qt_gadget_widget(quit_window, GID_QUIT_RUNNING)
                                        : nullptr);
                        auto* no = qobject_cast<QPushButton*>(
                            quit_window ? qt_gadget_widget(quit_window, GID_QUIT_NO) : nullptr);
                        if (!label || !no || !running.empty()) return;
                        running = label->text().toStdString();
                        no->click();
                    },
                    [] { EXPECT_EQ(gui_confirm_quit(), 0); });
            }
            EXPECT_EQ(running,
                      row.read_only.empty()
                          ? "Still running: page 1 of the printer (saved as \"Printer-1.ilbm\" and "
                            "\"Printer.txt\"); quitting finishes them."
                          : "Still running: page 1 of the printer (not to be saved: \"" +
                                row.read_only.string() +
                                "\" cannot be written; kept for the next "
                                "start in \"" +
                                kept + "\"); quitting finishes them.");
            ASSERT_EQ(command("MENU PROJECT.REINITIALIZE"), 0);
            test_clear_printouts(projects, screenshots);
        }
    }
}

// Open... in the window (the requester answered) and a file dropped on the
// main window load as OPEN does: the page in progress goes whole to the
// printout it was printed in, the next to a new one named after the file
// loaded, for each program file PIPBUG's savers write, a state and a source.
TEST_F(PrinterQt, OpenAndADropBeginAPrintoutNamedAfterTheFile) {
    ASSERT_EQ(command("DEBUGGER \"SAVEAOF 440 44F lead\""), 0);
    const std::string lead = (projects / "lead.aof").string();
    const auto open_row = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            for (QMenuBar* bar : w->findChildren<QMenuBar*>())
                for (QAction* title : bar->actions())
                    if (title->menu() && title->text().remove('&') == "Project")
                        for (QAction* row : title->menu()->actions())
                            if (row->text().remove('&').section('\t', 0, 0) == "Open...")
                                return row;
        return static_cast<QAction*>(nullptr);
    };
    ASSERT_NE(open_row(), nullptr);
    for (const auto& kind : test_loaded_kinds()) {
        const fs::path file = test_make_loaded(
            kind, projects, [](const std::string& line) { ASSERT_EQ(command(line), 0) << line; });
        for (const bool drop : {false, true}) {
            SCOPED_TRACE(file.string() + (drop ? " dropped" : " opened"));
            ASSERT_EQ(command("OPEN " + lead), 0);
            test_clear_printouts(projects, screenshots);
            print_line("BEFORE");
            if (drop) {
                QMimeData mime;
                mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
                QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                                   Qt::NoModifier);
                // Straight to the window's own handler: a drop sent through
                // the application with no drag under way does not reach it.
                QObject* window = widget(main_window, GID_DISPLAY)->window();
                window->event(&dropped);
                ASSERT_TRUE(dropped.isAccepted());
                event_pass();
            } else {
                qt_as_the_user(
                    [&] {
                        if (auto* dialog =
                                qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
                            qt_type_save_name(dialog, QString::fromStdString(file.string()));
                    },
                    [&] {
                        open_row()->trigger();
                        event_pass();
                    });
            }
            print_line("AFTER");
            ASSERT_EQ(command("MENU PROJECT.REINITIALIZE"), 0);
            EXPECT_EQ(text_file("lead.txt"), "BEFORE\n\n");
            EXPECT_EQ(text_file(file.stem().string() + ".txt"), "AFTER\n\n");
            EXPECT_EQ(test_names_in(screenshots),
                      (std::set<std::string>{"lead-1.ilbm", file.stem().string() + "-1.ilbm"}));
        }
    }
}
