// The program's questions drawn by Qt and answered as a user answers them:
// with Return or with Escape pressed in the box, with its close gadget, or
// with a click. A question that can lose a file or a change keeps it under
// both keys and its close gadget, and one whose
// keeping answer cannot work (a write-protected disk) still has a way on
// other than dropping it.
#include "tests/qt/qt_session.h"
#include "tests/support/writer_lines.h"

#include "app/shutdown.h"
#include "core/machine_table.h"
#include "core/questions.h"
#include "core/recording.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "debugger/commands.h"
#include "gui/main_window.h"
#include "gui/quit_window.h"
#include "gui/requesters.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "input/keys.h"
#include "devicewindows/floppy_window.h"
#include "computers/phunsy.h"
#include "peripherals/floppy.h"
#include "peripherals/mdcr.h"
#include "peripherals/tape.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "platform/qt/gui_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

class QuestionsQt : public QtSession {
  protected:
    // Row `label` of submenu `sub` of the main window's menu `menu`.
    static QAction* row(const char* menu, const char* sub, const char* label) {
        // The text shown, without its key mark and the key after a tab.
        const auto is = [](QAction* a, const char* text) {
            return a->text().remove('&').section('\t', 0, 0) == text;
        };
        for (QMenuBar* bar : widget(main_window, GID_COMMAND)->window()->findChildren<QMenuBar*>())
            for (QAction* title : bar->actions())
                if (is(title, menu) && title->menu())
                    for (QAction* s : title->menu()->actions()) {
                        if (!sub && is(s, label)) return s;
                        if (sub && is(s, sub) && s->menu())
                            for (QAction* a : s->menu()->actions())
                                if (is(a, label)) return a;
                    }
        ADD_FAILURE() << "no row " << menu << " > " << (sub ? sub : "") << " > " << label;
        return nullptr;
    }
    static void pick(QAction* row) {
        ASSERT_NE(row, nullptr);
        row->trigger();
        event_pass();
    }
    static void click(int win, int gid) {
        qobject_cast<QAbstractButton*>(widget(win, gid))->click();
        event_pass();
    }
};

std::string contents(const fs::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

// A TWIN disk image: every byte of track t is 0x40 + t.
std::string twin_image() {
    std::string image;
    for (int t = 0; t < 77; t++)
        image += std::string(32 * 128, static_cast<char>(0x40 + t));
    return image;
}

// The window manager's close button: the top-level window of `w` is asked to
// close as the platform asks it.
constexpr int CLOSE_GADGET = -1;
void close_gadget(QWidget* w) {
    w->window()->windowHandle()->close();
}

void press(QWidget* target, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
    QApplication::sendEvent(target, &up);
}

// The user at the screen while it lives. Each question box is answered with
// `key` pressed where the box has its focus (CLOSE_GADGET: its close
// gadget), or, with `key` 0, by clicking
// the button that `answer` names (the next of `answers`); what each box said
// is kept. A box the key leaves open has no answer under it: it is counted
// and closed with its last button, so that the test goes on. The file
// requester is answered by `file`.
class User {
  public:
    explicit User(int key, std::vector<std::string> answers = {}) : key_(key), answers_(answers) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        gui_host_set_break_poll(nullptr); // the requesters wait for their user
        timer_.start(20);
    }
    ~User() {
        timer_.stop();
        gui_host_set_break_poll([] { return true; });
    }
    std::vector<std::string> asked;
    int unanswered = 0;
    std::function<void(QFileDialog*)> file = [](QFileDialog* d) { d->reject(); };

  private:
    void tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) return file(dialog);
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        if (box == pressed_) {
            // Escape clicks its button after a short show of it.
            if (++waited_ < 25) return;
            ++unanswered;
            box->buttons().back()->click();
            return;
        }
        asked.push_back(box->text().toStdString());
        pressed_ = box;
        waited_ = 0;
        if (key_ == CLOSE_GADGET) return close_gadget(box);
        if (key_) return press(box->focusWidget() ? box->focusWidget() : box, key_);
        const std::string want = next_ < answers_.size() ? answers_[next_++] : "OK";
        for (QAbstractButton* b : box->buttons())
            if (b->text().remove('&').toStdString() == want) return b->click();
        ADD_FAILURE() << "no button \"" << want << "\" under: " << asked.back();
        pressed_ = nullptr;
        box->buttons().back()->click();
    }
    int key_;
    std::vector<std::string> answers_;
    std::size_t next_ = 0;
    QPointer<QMessageBox> pressed_;
    int waited_ = 0;
    QTimer timer_;
};

// A file requester answered as a user does: the name field clicked (the
// requester's window made active: offscreen, in a slow build, it may not be
// yet), `path` typed over the name offered, then Save pressed. `seen` (if
// given) keeps the requester's title and the folder it opened in, "title in
// folder".
std::function<void(QFileDialog*)> save_as(const fs::path& path, std::string* seen = nullptr) {
    return [path, seen](QFileDialog* dialog) {
        if (seen && seen->empty())
            *seen = dialog->windowTitle().toStdString() + " in " +
                    dialog->directory().absolutePath().toStdString();
        qt_type_save_name(dialog, QString::fromStdString(path.string()));
    };
}

const char* key_name(int key) {
    return key == Qt::Key_Return ? "Return" : key == Qt::Key_Escape ? "Escape" : "the close gadget";
}

} // namespace

// Every question that can lose a file or a change, answered with Return, with
// Escape and with its close gadget: the disk's image name that another file
// has, a changed disk on a machine switch and on Eject (Reinitialize keeps
// it in its drive, unasked),
// "Record or play?" with a tape in the deck, and the quit window naming a
// changed disk.
TEST_F(QuestionsQt, ReturnAndEscapeKeepWhatAQuestionCouldLose) {
    const fs::path home = path_progdir();
    const std::string image = twin_image();
    command("SETMACHINE TWIN");
    std::ofstream(home / "game.twin", std::ios::binary) << [&] {
        std::string twin;
        for (int t = 0; t < 77; t++)
            for (int s = 0; s < 32; s++)
                twin += std::string{static_cast<char>(t), static_cast<char>(s)} +
                        image.substr((t * 32 + s) * 128, 128);
        return twin;
    }();
    std::ofstream(home / "game.img") << "the user's own game.img";
    std::ofstream(home / "work.img", std::ios::binary) << image;
    ASSERT_EQ(command("OPEN " + (home / "game.twin").string()), 0);
    ASSERT_EQ(command("OPEN " + (home / "work.img").string()), 0);
    const int twin_drive = fs::path(drives[0].file_name).filename() == "game.twin" ? 0 : 1;
    ASSERT_EQ(fs::path(drives[twin_drive].file_name).filename(), "game.twin");
    const int work_drive = 1 - twin_drive;
    ASSERT_EQ(command("DEBUGGER \"DRIVE " + std::to_string(work_drive) + "\""), 0);
    ASSERT_EQ(command("DEBUGGER \"FPOKE 400 5A\""), 0);
    ASSERT_TRUE(drives[work_drive].changed);
    gui_open_floppy_window(1);
    event_pass();
    const int updated_by = GID_FD_UPDATE + (twin_drive == 1 ? GID_FD_DRIVE1 : 0);
    const int ejected_by = GID_FD_EJECT + (work_drive == 1 ? GID_FD_DRIVE1 : 0);

    for (const int key : {int{Qt::Key_Escape}, CLOSE_GADGET, int{Qt::Key_Return}}) {
        SCOPED_TRACE(key_name(key));
        {
            User user(key);
            click(gui_subwin_window[TW_FLOPPY], updated_by);
            ASSERT_EQ(user.asked.size(), 1u);
            EXPECT_NE(user.asked[0].find("which another file already has"), std::string::npos)
                << user.asked[0];
            EXPECT_EQ(user.unanswered, 0);
        }
        EXPECT_TRUE(contents(home / "game.img") == "the user's own game.img") << "replaced";
        EXPECT_EQ(fs::path(drives[twin_drive].file_name).filename(), "game.twin");

        // Settings > Machine and Eject ask about the changed disk;
        // Reinitialize keeps it where it is without a question.
        if (key != Qt::Key_Return) { // Update disk..., below
            User user(key);
            pick(row("Settings", "Machine", "Emerson Arcadia 2001"));
            ASSERT_EQ(user.asked.size(), 1u);
            EXPECT_EQ(user.asked[0].rfind("The disk in drive " + std::to_string(work_drive), 0),
                      0u);
            EXPECT_EQ(user.unanswered, 0);
            EXPECT_EQ(machine, TWIN);
            EXPECT_TRUE(drives[work_drive].present && drives[work_drive].changed);
        }
        if (key != Qt::Key_Return) {
            User user(key);
            pick(row("Project", nullptr, "Reinitialize machine"));
            EXPECT_TRUE(user.asked.empty()) << user.asked[0];
            EXPECT_EQ(machine, TWIN);
            EXPECT_TRUE(drives[work_drive].present && drives[work_drive].changed);
        }
        {
            User user(key);
            click(gui_subwin_window[TW_FLOPPY], ejected_by);
            EXPECT_EQ(user.asked.size(), 1u);
            EXPECT_EQ(user.unanswered, 0);
        }
        // Escape and the close gadget keep the disk as it is; Return updates
        // it, then ejects it.
        EXPECT_EQ(drives[work_drive].present && drives[work_drive].changed, key != Qt::Key_Return);
        EXPECT_EQ(contents(home / "work.img")[0x400], key != Qt::Key_Return ? '\x40' : '\x5A');
    }
    // The quit window naming a changed disk keeps it (No) under both keys and
    // its close gadget, whether Quit or SYS typed on the debugger's line
    // opened it.
    ASSERT_EQ(command("OPEN " + (home / "work.img").string()), 0);
    ASSERT_EQ(command("DEBUGGER \"FPOKE 401 5B\""), 0);
    ASSERT_TRUE(drives[work_drive].changed);
    const auto answer_quit_window = [](int key, const std::function<void()>& quit) {
        int ticks = 0;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            // Gone, or going: its gadgets go before the window does.
            QWidget* no = quit_window ? qt_gadget_widget(quit_window, GID_QUIT_NO) : nullptr;
            if (!no) return;
            QWidget* w = no->window();
            if (++ticks == 1 && key == CLOSE_GADGET) return close_gadget(w);
            if (ticks == 1) return press(w->focusWidget() ? w->focusWidget() : w, key);
            if (ticks == 100) qobject_cast<QAbstractButton*>(no)->click();
        });
        user.start(20);
        quit();
        EXPECT_GT(ticks, 0) << key_name(key) << ": no quit window";
        EXPECT_LT(ticks, 100) << key_name(key) << " left the quit window open";
    };
    for (const int confirm : {1, 0}) {
        confirmquit = confirm;
        for (const int key : {int{Qt::Key_Escape}, int{Qt::Key_Return}, CLOSE_GADGET}) {
            if (confirm)
                answer_quit_window(key, [&] { EXPECT_EQ(gui_confirm_quit(), 0) << key_name(key); });
            const auto leaves = app_exit_process;
            app_exit_process = [](int) { throw std::runtime_error("the program left"); };
            answer_quit_window(key, [] { EXPECT_NO_THROW(gui_run_command("SYS")); });
            app_exit_process = leaves;
            EXPECT_TRUE(drives[work_drive].present && drives[work_drive].changed) << key_name(key);
        }
    }
    {
        User user(0, {"Eject"});
        click(gui_subwin_window[TW_FLOPPY], ejected_by);
    }

    // The CD2650 turning its tape motor on away from its monitor's routines
    // asks "Record or play?": Return, Escape and the close gadget play the
    // tape in the deck.
    const std::string tape = std::string("RIFF\x2C\1\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x22\x56\0\0"
                                         "\x22\x56\0\0\1\0\x08\0data\x08\1\0\0",
                                         44) +
                             std::string(264, '\x30');
    std::ofstream(home / "song.wav", std::ios::binary) << tape;
    command("SETMACHINE CD2650");
    ASSERT_EQ(command("OPEN " + (home / "song.wav").string()), 0);
    for (const int key : {int{Qt::Key_Return}, int{Qt::Key_Escape}, CLOSE_GADGET}) {
        SCOPED_TRACE(key_name(key));
        ASSERT_NE(cpu_iar, 0x01FD);
        ASSERT_NE(cpu_iar, 0x028D);
        {
            User user(key);
            gui_run_command("WRITEPORT DATA 8"); // typed on the debugger's line
            ASSERT_EQ(user.asked, std::vector<std::string>{"Record or play?"});
            EXPECT_EQ(user.unanswered, 0);
        }
        EXPECT_EQ(tape_state, CASSETTE_PLAYING);
        gui_run_command("WRITEPORT DATA 0");
        EXPECT_TRUE(contents(home / "song.wav") == tape);
    }
    command("SETMACHINE ARCADIA");
}

// Every question of the program's table (core/questions.h) asked as its
// callers ask it and answered in the real box, or the quit window, with
// Return, with Escape and with the close gadget: each gives its row's button,
// and one that can lose something keeps it under all three.
TEST_F(QuestionsQt, EveryQuestionAnswersReturnEscapeAndCloseWithAKeepingButton) {
    const fs::path home = path_progdir();
    // The quit window's own keys, and whether it said yes.
    const auto quit_answer = [](int key) {
        confirmquit = 1;
        int ticks = 0, yes = -1;
        qt_as_the_user(
            [&] {
                QWidget* no = quit_window ? qt_gadget_widget(quit_window, GID_QUIT_NO) : nullptr;
                if (!no || ++ticks > 1) return;
                QWidget* w = no->window();
                if (key == CLOSE_GADGET) return close_gadget(w);
                press(w->focusWidget() ? w->focusWidget() : w, key);
            },
            [&] { yes = gui_confirm_quit(); });
        app_quit_attended = false;
        EXPECT_EQ(ticks, 1) << "no quit window, or one the key left open";
        return yes;
    };
    for (std::size_t i = 0; i < question_count; ++i) {
        const QuestionRow& q = question_table[i];
        SCOPED_TRACE(q.name);
        if (q.id == Question::quit_losing) { // something held that quitting loses
            command("SETMACHINE TWIN");
            std::ofstream(home / "held.img", std::ios::binary) << twin_image();
            ASSERT_EQ(command("OPEN " + (home / "held.img").string()), 0);
            const int d = fs::path(drives[0].file_name).filename() == "held.img" ? 0 : 1;
            ASSERT_EQ(command("DEBUGGER \"DRIVE " + std::to_string(d) + "\""), 0);
            ASSERT_EQ(command("DEBUGGER \"FPOKE 400 5A\""), 0);
        }
        for (const int key : {int{Qt::Key_Return}, int{Qt::Key_Escape}, CLOSE_GADGET}) {
            SCOPED_TRACE(key_name(key));
            const int button = key == Qt::Key_Return                   ? q.on_return
                               : key == Qt::Key_Escape && q.own_window ? q.on_escape
                                                                       : q.on_close;
            if (q.keeps) {
                EXPECT_TRUE(q.keeps & 1u << button) << "button " << button << " loses";
            }
            if (q.own_window) {
                EXPECT_EQ(quit_answer(key), button == 0 ? 1 : 0);
                continue;
            }
            User user(key);
            const int answer = ui_ask(q.id, "Go on?", "Update", "Drop", "Asked by");
            ASSERT_EQ(user.asked, std::vector<std::string>{"Go on?"});
            EXPECT_EQ(user.unanswered, 0);
            EXPECT_EQ(answer, question_answer(q, button));
        }
    }
    command("SETMACHINE ARCADIA");
}

// A changed disk whose file is write-protected, on a switch from the menu:
// Cancel keeps the machine, its memory, the disk and the menu's machine;
// Update disk... is told the file cannot be written and saves the disk under
// another name, and the switch goes on.
TEST_F(QuestionsQt, AWriteProtectedChangedDiskOnASwitchIsKeptOrSavedElsewhere) {
    const fs::path home = path_progdir();
    command("SETMACHINE TWIN");
    fs::remove(home / "ro.img");
    fs::remove(home / "copy.img");
    std::ofstream(home / "ro.img", std::ios::binary) << twin_image();
    fs::permissions(home / "ro.img",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_EQ(command("OPEN " + (home / "ro.img").string()), 0);
    const int d = fs::path(drives[0].file_name).filename() == "ro.img" ? 0 : 1;
    ASSERT_EQ(command("DEBUGGER \"DRIVE " + std::to_string(d) + "\""), 0);
    ASSERT_EQ(command("DEBUGGER \"FPOKE 400 5A\""), 0);
    const u32 map = memmap;
    const std::vector<u8> memory(guest_memory, guest_memory + GUEST_MEMORY_SIZE);
    QAction* twin = row("Settings", "Machine", "Signetics TWIN");
    ASSERT_TRUE(twin && twin->isChecked());

    {
        User user(0, {"Cancel"});
        pick(row("Settings", "Machine", "Emerson Arcadia 2001"));
        EXPECT_EQ(user.asked.size(), 1u);
    }
    EXPECT_EQ(machine, TWIN);
    EXPECT_EQ(memmap, map);
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), guest_memory)) << "the memory changed";
    ASSERT_TRUE(drives[d].present);
    EXPECT_TRUE(drives[d].changed);
    EXPECT_EQ(drives[d].image[0x400], 0x5A);
    EXPECT_EQ(fs::path(drives[d].file_name).filename(), "ro.img");
    EXPECT_TRUE(twin->isChecked());
    EXPECT_FALSE(row("Settings", "Machine", "Emerson Arcadia 2001")->isChecked());

    {
        User user(0, {"Update disk...", "OK"});
        std::string seen;
        fs::create_directories(home / "Disks"); // the drawer it is not to open in
        user.file = save_as(home / "copy.img", &seen);
        pick(row("Settings", "Machine", "Emerson Arcadia 2001"));
        ASSERT_EQ(user.asked.size(), 2u) << user.asked.back();
        EXPECT_EQ(user.asked[1],
                  "Can't write to " + (home / "ro.img").string() + ": Read-only file!");
        EXPECT_EQ(seen, "Save TWIN Floppy Disk in " + home.string()); // the disk's own folder
    }
    EXPECT_EQ(machine, ARCADIA);
    EXPECT_EQ(contents(home / "ro.img")[0x400], '\x40');
    EXPECT_EQ(contents(home / "copy.img").size(), 315392u);
    EXPECT_EQ(contents(home / "copy.img")[0x400], '\x5A');
}

// The same for the PHUNSY's MDCR tape the guest wrote to, its file
// write-protected: Update MDCR tape is told the file cannot be written and
// saves the tape under another name, which the deck then holds.
TEST_F(QuestionsQt, AWriteProtectedChangedMdcrTapeOnASwitchIsSavedElsewhere) {
    const fs::path home = path_progdir();
    fs::remove(home / "ro.mdcr");
    fs::remove(home / "kept.mdcr");
    std::ofstream(home / "ro.mdcr", std::ios::binary) << std::string(256, '\1');
    fs::permissions(home / "ro.mdcr", fs::perms::owner_read);
    // Its monitor images are missing: the first switch in a run says so (5).
    ASSERT_LE(command("SETMACHINE PHUNSY"), 5);
    ASSERT_EQ(machine, PHUNSY);
    ASSERT_EQ(command("OPEN " + (home / "ro.mdcr").string()), 0);
    ASSERT_EQ(command("DEBUGGER \"WRITEPORT DATA 60\""), 0); // forward, writing
    for (int i = 0; i < 4; i++)
        phunsy_run_frame();
    ASSERT_TRUE(mdcr_changed);
    const std::string written(mdcr_image, mdcr_image + mdcr_blocks * MDCR_BLOCK_SIZE);
    {
        User user(0, {"Update MDCR tape", "OK"});
        std::string seen;
        user.file = save_as(home / "kept.mdcr", &seen);
        pick(row("Settings", "Machine", "Emerson Arcadia 2001"));
        ASSERT_EQ(user.asked.size(), 2u) << user.asked.back();
        EXPECT_EQ(user.asked[1],
                  "Can't write to " + (home / "ro.mdcr").string() + ": Read-only file!");
        EXPECT_EQ(seen, "Save MDCR Tape in " + home.string());
    }
    EXPECT_EQ(machine, ARCADIA);
    EXPECT_EQ(contents(home / "ro.mdcr"), std::string(256, '\1'));
    EXPECT_TRUE(contents(home / "kept.mdcr") == written) << "the tape as the guest wrote it";
}

// ASM typed on the debugger's line with a file the assembler did not write at
// the object's name (the image a disassembly came from): the question keeps it
// under Return and Escape. Replace lets it go; from then on the assembler's
// own object is replaced without a question.
TEST_F(QuestionsQt, AsmAsksBeforeItReplacesAFileItDidNotWrite) {
    const fs::path home = path_progdir();
    command("SETMACHINE ARCADIA");
    const fs::path source = home / "round.asm";
    std::ofstream(source) << "        ORG $0\n        LODI,r0 $42\n        HALT\n        END\n";
    fs::remove(home / "round.lst");
    std::ofstream(home / "round.bin") << "the image it came from";
    const std::string typed = "ASM " + source.string();
    for (const int key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key_name(key));
        User user(key);
        gui_run_command(typed.c_str());
        ASSERT_EQ(user.asked.size(), 1u);
        EXPECT_EQ(user.asked[0].rfind((home / "round.bin").string() + " is in the place of", 0), 0u)
            << user.asked[0];
        EXPECT_EQ(user.unanswered, 0);
        EXPECT_EQ(contents(home / "round.bin"), "the image it came from");
        EXPECT_FALSE(fs::exists(home / "round.lst"));
    }
    {
        User user(0, {"Replace"});
        gui_run_command(typed.c_str());
        EXPECT_EQ(user.asked.size(), 1u);
    }
    EXPECT_EQ(contents(home / "round.bin").substr(0, 3), "\x04\x42\x40");
    {
        User user(Qt::Key_Escape);
        gui_run_command(typed.c_str());
        EXPECT_TRUE(user.asked.empty()) << user.asked[0];
    }
    EXPECT_TRUE(fs::exists(home / "round.lst"));
}

// SAVEAOF and SAVESYM typed on the debugger's line with a name of another
// suffix: the user's file of that name stays and no question comes; a file of
// the user's at the name they make (their own suffix in place of the one
// typed) is asked about and kept under Return.
TEST_F(QuestionsQt, ASaverTypedInTheWindowKeepsTheUsersFileOfAnotherSuffix) {
    const fs::path home = path_progdir();
    ASSERT_LE(command("SETMACHINE PIPBUG"), 5);
    const struct {
        const char *line, *made;
    } savers[] = {{"SAVEAOF $440 $460 ", ".aof"}, {"SAVESYM ", ".sym"}};
    for (const auto& s : savers) {
        SCOPED_TRACE(s.line);
        for (const char* stem : {"mine", "theirs"}) {
            std::ofstream(home / (std::string(stem) + ".txt")) << "my notes\n";
            fs::remove(home / (std::string(stem) + s.made));
        }
        std::ofstream(home / (std::string("theirs") + s.made)) << "my own\n";
        {
            User user(Qt::Key_Return);
            gui_run_command((s.line + (home / "mine.txt").string()).c_str());
            EXPECT_TRUE(user.asked.empty()) << user.asked[0];
            gui_run_command((s.line + (home / "theirs.txt").string()).c_str());
            EXPECT_EQ(user.asked.size(), 1u);
        }
        EXPECT_EQ(contents(home / "mine.txt"), "my notes\n");
        EXPECT_TRUE(fs::exists(home / (std::string("mine") + s.made)));
        EXPECT_EQ(contents(home / (std::string("theirs") + s.made)), "my own\n");
    }
}

// Every saver of the command table's `writes` column given on the debugger's
// line the whole name of a file it did not write (DISGAME over the user's
// source): the question keeps the file under Return and Escape; the
// command's own earlier output at a whole name goes without a question, and
// from the port the name typed whole is written as given. Each writer on the
// first machine that runs it; ASM (its name is the source it reads) and
// EXTRACT (the disk's names) name no file to write.
TEST_F(QuestionsQt, ANameTypedWholeOnTheDebuggersLineAsksBeforeItReplaces) {
    const fs::path home = path_progdir();
    const std::vector<DbgFileWriter> writers = dbg_file_writers();
    std::set<std::string> done;
    const std::string mine = "the user's own\n";
    for (const MachineDesc& machine : machine_table) {
        if (!machine.keyword || !machine.keyword[0]) continue;
        ASSERT_LE(command(std::string("SETMACHINE ") + machine.keyword), 5);
        for (const DbgFileWriter& w : writers) {
            const std::string word = test_writer_name(w);
            if (!w.suffixes[0] || word == "ASM" || done.count(word)) continue;
            // The command's words up to the name, a range where they take one.
            std::string line = word;
            std::istringstream args(w.arguments);
            for (std::string arg; args >> arg && arg.find("filename") == std::string::npos;)
                line += arg.find("end") != std::string::npos ? " $90F" : " $900";
            // Its file for a name without a suffix: which suffix it adds here.
            const fs::path first = home / ("typed_" + word);
            gui_run_command((line + " " + first.string()).c_str());
            if (dbg_refusal_text() == "Wrong guest machine!\n\n") continue;
            done.insert(word);
            SCOPED_TRACE(line + " on " + machine.keyword);
            fs::path made;
            for (const auto& entry : fs::directory_iterator(home))
                if (entry.path().stem() == first.filename()) made = entry.path();
            ASSERT_FALSE(made.empty()) << dbg_refusal_text();
            const std::string theirs = (home / ("users_" + word)).string() + made.extension().string();
            std::ofstream(theirs) << mine;
            for (const int key : {Qt::Key_Return, Qt::Key_Escape}) {
                User user(key);
                gui_run_command((line + " " + theirs).c_str());
                ASSERT_EQ(user.asked.size(), 1u) << key_name(key);
                EXPECT_EQ(user.asked[0].rfind(theirs + " exists", 0), 0u) << user.asked[0];
                EXPECT_EQ(contents(theirs), mine) << key_name(key);
            }
            {
                User user(Qt::Key_Escape);
                gui_run_command((line + " " + made.string()).c_str());
                EXPECT_TRUE(user.asked.empty()) << "its own output: " << user.asked[0];
            }
            std::string said;
            EXPECT_EQ(command("DEBUGGER \"" + line + " " + theirs + "\"", &said), 0) << said;
            EXPECT_NE(contents(theirs), mine);
        }
    }
    EXPECT_GE(done.size(), 10u);
}

// A state saved through the port gives Revert its file: the window's Project
// > Revert is offered from then on, as the port's MENU PROJECT.REVERT is.
TEST_F(QuestionsQt, RevertIsOfferedOnceAStateWasSavedThroughThePort) {
    const fs::path home = path_progdir();
    command("SETMACHINE ARCADIA");
    gui_apply_changes(); // as the event pass takes the switch in
    QAction* revert = row("Project", nullptr, "Revert");
    ASSERT_NE(revert, nullptr);
    EXPECT_FALSE(revert->isEnabled());
    ASSERT_EQ(command("SAVEAS " + (home / "r.cos").string()), 0);
    gui_apply_changes();
    revert = row("Project", nullptr, "Revert"); // the strip was rebuilt: r.cos heads the recent files
    ASSERT_NE(revert, nullptr);
    EXPECT_TRUE(revert->isEnabled());
    std::string result;
    EXPECT_EQ(command("MENU PROJECT.REVERT", &result), 0) << result;
}

// Every menu row that opens a file requester, picked while a recording plays
// back and while one records, and put away (Escape): the playback plays on,
// the recording records on, as they do after Open... (Start recording... asks
// for no name then: it records on, or is not offered).
TEST_F(QuestionsQt, AFileRequesterPutAwayLeavesThePlaybackOrRecordingRunning) {
    const fs::path home = path_progdir();
    command("SETMACHINE ARCADIA");
    ASSERT_EQ(command("SAVEAS " + (home / "take.cos").string()), 0);
    std::string take = contents(home / "take.cos");
    ASSERT_GT(take.size(), 3u);
    take[2] = 1; // a recording follows the state: 1000 untouched frames
    std::ofstream(home / "take.cor", std::ios::binary) << take << std::string(7000, '\0');
    struct Row {
        const char *menu, *sub, *label;
    };
    const char* shot = "Save screenshot as";
    const Row rows[] = {
        {"Project", nullptr, "Open..."},   {"Project", nullptr, "Save state as..."},
        {"Project", shot, "BMP..."},       {"Project", shot, "GIF..."},
        {"Project", shot, "IFF ACBM..."},  {"Project", shot, "IFF ILBM..."},
        {"Project", shot, "PCX..."},       {"Project", shot, "PNG..."},
        {"Project", shot, "TIFF..."},      {"Project", shot, "ASM..."},
        {"Macros", nullptr, "Run ARexx script..."},
    };
    for (const u32 state : {REC_PLAYBACK, REC_RECORDING}) {
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(r.label) + (state == REC_PLAYBACK ? " in a playback" : " recording"));
            ASSERT_EQ(command("OPEN " + (home / "take.cor").string()), 0);
            if (state == REC_RECORDING) {
                ASSERT_EQ(command("MENU MACRO.STARTRECORDING"), 0);
            }
            ASSERT_EQ(rec_state, state);
            std::vector<std::string> shown;
            {
                User user(Qt::Key_Escape);
                user.file = [&shown](QFileDialog* d) {
                    shown.push_back(d->windowTitle().toStdString());
                    press(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Escape);
                };
                pick(row(r.menu, r.sub, r.label));
            }
            EXPECT_EQ(shown.size(), 1u) << "no requester";
            EXPECT_EQ(rec_state, state);
            command("MENU MACRO.STOP");
        }
    }
}

// A key held for the guest and let go while a requester is open, the file
// requester or a message, is up for the guest once the requester is put
// away, as after a modal window.
TEST_F(QuestionsQt, AKeyLetGoInARequesterIsUpForTheGuest) {
    command("SETMACHINE ARCADIA");
    const auto held = [] {
        int n = 0;
        for (u32 k = 0; k < RAW_KEYS; k++)
            n += host_key_down(k) != 0;
        return n;
    };
    struct Requester {
        const char* row;
        const char* kind;
    };
    for (const Requester& r : {Requester{"Open...", "file"}, Requester{"Audit games...", "message"}}) {
        SCOPED_TRACE(r.kind);
        QWidget* display = widget(main_window, GID_DISPLAY);
        QKeyEvent down(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QApplication::sendEvent(display, &down);
        event_pass();
        ASSERT_EQ(held(), 1);
        // Let go where the requester has the focus, then put away.
        int asked = 0;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&asked] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!qobject_cast<QFileDialog*>(modal) && !qobject_cast<QMessageBox*>(modal)) return;
            QWidget* focus = modal->focusWidget() ? modal->focusWidget() : modal;
            if (asked++ == 0) {
                QKeyEvent up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
                QApplication::sendEvent(focus, &up);
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                box->buttons().back()->click();
            } else {
                press(focus, Qt::Key_Escape);
            }
        });
        gui_host_set_break_poll(nullptr); // the requester waits for its user
        user.start(20);
        pick(row("Project", nullptr, r.row));
        user.stop();
        gui_host_set_break_poll([] { return true; });
        EXPECT_GT(asked, 0) << "no requester";
        EXPECT_EQ(held(), 0);
    }
}

// A disk that moves takes what is known of its file along: Swap disks (two
// disks, one into an empty drive either way), a state that brings it, Revert,
// a disk saved under another name after its file was replaced. Update disk...
// then writes the file the disk belongs to now, asking for a name only for a
// disk that has none, and leaves every other file alone; a file another
// program put in that one's place is still kept.
TEST_F(QuestionsQt, AnUpdateAfterADiskMovedWritesItsOwnFile) {
    const fs::path home = path_progdir();
    const fs::path f0 = home / "f0.img", f1 = home / "f1.img", g = home / "g.img",
                   h = home / "h.img", state = home / "s.cos";
    const auto window = [] {
        event_pass();
        gui_open_floppy_window(0);
        event_pass();
        return gui_subwin_window[TW_FLOPPY];
    };
    const auto of = [](int base, int drive) { return base + (drive == 1 ? GID_FD_DRIVE1 : 0); };
    const auto open = [](const fs::path& file) { EXPECT_EQ(command("OPEN " + file.string()), 0); };
    const auto replace = [&](const fs::path& file) {
        std::ofstream(home / "theirs") << "theirs";
        fs::rename(home / "theirs", file);
    };
    const auto byte_at = [](const fs::path& file, std::size_t at) {
        const std::string bytes = contents(file);
        return bytes.size() > at ? bytes[at] : '\0';
    };
    // Update disk... on drive 1, answered with the name `file` (after a
    // warning, with `warned`).
    const auto name_it = [&](const fs::path& file, bool warned) {
        User user(0);
        user.file = save_as(file);
        click(window(), of(GID_FD_UPDATE, 1));
        EXPECT_EQ(user.asked.size(), warned ? 1u : 0u);
        EXPECT_EQ(byte_at(file, 0x4000), '\x44'); // track 4 of f0.img
    };
    const auto state_of_f0 = [&] {
        open(f0);
        ASSERT_EQ(command("SAVEAS " + state.string()), 0);
        open(state);
        ASSERT_EQ(fs::path(drives[1].file_name), f0);
    };
    struct Way {
        const char* name;
        int drive;        // where the disk ends up
        fs::path file;    // the file it belongs to there
        std::function<void()> move;
    };
    const auto swap = [&] { click(window(), GID_FD_SWAP); };
    const auto eject = [&](int drive) { click(window(), of(GID_FD_EJECT, drive)); };
    const Way ways[] = {
        {"Swap disks", 0, f0, [&] { open(f0); open(f1); swap(); }},
        {"Swap disks into an empty drive 0", 0, f0, [&] { open(f0); eject(0); swap(); }},
        {"Swap disks into an empty drive 1", 1, f1, [&] { open(f0); open(f1); eject(1); swap(); }},
        {"Save as... after the file was replaced", 1, g,
         [&] { open(f0); replace(f0); name_it(g, true); }},
        {"a state that brings it", 1, f0, [&] { state_of_f0(); }},
        {"Revert", 1, f0,
         [&] {
             state_of_f0();
             ASSERT_EQ(command("REVERT"), 0);
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        // A new system disk in drive 0, drive 1 empty.
        command("SETMACHINE PIPBUG");
        command("SETMACHINE TWIN");
        for (const fs::path& file : {g, h})
            fs::remove(file);
        std::ofstream(f0, std::ios::binary) << twin_image();
        std::ofstream(f1, std::ios::binary) << std::string(315392, '\x11');
        way.move();
        const int d = way.drive;
        ASSERT_TRUE(drives[d].present);
        ASSERT_EQ(command("DEBUGGER \"DRIVE " + std::to_string(d) + "\""), 0);
        ASSERT_EQ(command("DEBUGGER \"FPOKE 4000 5A\""), 0);
        // Every file but the disk's own, as it is before the update.
        const auto others = [&] {
            std::string all;
            for (const fs::path& file : {f0, f1, g, h})
                if (file != way.file && fs::exists(file)) all += file.string() + contents(file);
            return all;
        };
        const std::string before = others();
        {
            User user(0);
            click(window(), of(GID_FD_UPDATE, d));
            EXPECT_TRUE(user.asked.empty()) << user.asked[0];
        }
        EXPECT_EQ(byte_at(way.file, 0x4000), '\x5A');
        EXPECT_FALSE(drives[d].changed);
        EXPECT_TRUE(others() == before) << "another file was written";
        std::string said;
        EXPECT_EQ(command("OPEN " + way.file.string(), &said), 5);
        EXPECT_EQ(said, way.file.string() + " is already in drive " + std::to_string(d) +
                            "; it stays there as it is.\n");

        replace(way.file);
        ASSERT_EQ(command("DEBUGGER \"FPOKE 4001 5B\""), 0);
        {
            User user(0, {"OK"});
            click(window(), of(GID_FD_UPDATE, d));
            ASSERT_EQ(user.asked.size(), 1u);
            EXPECT_EQ(user.asked[0], "Can't write the disk in drive " + std::to_string(d) +
                                         " back: its file " + way.file.string() +
                                         " was replaced by another file since it went in.");
        }
        EXPECT_EQ(contents(way.file), "theirs");
        EXPECT_TRUE(drives[d].changed);
        User user(0, {"Eject"});
        click(window(), of(GID_FD_EJECT, d));
    }
}
