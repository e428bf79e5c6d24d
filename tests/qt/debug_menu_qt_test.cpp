// The Debug menu of the main window on the two machines without a processor:
// the rows whose commands run there are offered, and picking Run > G|P runs G
// at once.
#include "tests/qt/qt_session.h"

#include "core/settings_vars.h"
#include "gui/main_window.h"
#include "gui/ui_pass.h"

#include <QMenu>
#include <QMenuBar>

#include <string>
#include <utility>

namespace {

class DebugMenuQt : public QtSession {
  protected:
    // Row `label` of submenu `sub` of the main window's Debug menu.
    static QAction* row(const char* sub, const char* label) {
        for (QMenuBar* bar : widget(main_window, GID_COMMAND)->window()->findChildren<QMenuBar*>())
            for (QAction* title : bar->actions())
                if (title->text() == "Debug" && title->menu())
                    for (QAction* s : title->menu()->actions())
                        if (s->text() == sub && s->menu())
                            for (QAction* a : s->menu()->actions())
                                if (a->text() == label) return a;
        ADD_FAILURE() << "no row Debug > " << sub << " > " << label;
        return nullptr;
    }
};

} // namespace

TEST_F(DebugMenuQt, RowsThatRunWithoutAProcessorAreOffered) {
    const std::pair<const char*, const char*> offered[] = {
        {"Run", "G|P [<address>]"}, {"Run", "R F"},      {"General", "CLS"},
        {"General", "H|HELP|? [<page>]"}, {"General", "SYS|SYSTEM"}, {"Project", "*<command>"},
        {"Project", "ED|EDIT <filename>"}, {"View", "HISTORY"}};
    const std::pair<const char*, const char*> greyed[] = {
        {"Run", "S "}, {"Run", "J|JUMP <address>"}, {"Run", "R <number>"}, {"Project", "ASM <filename>"}};
    for (const char* machine : {"PONG", "TYPERIGHT"}) {
        ASSERT_EQ(command(std::string("SETMACHINE ") + machine), 0) << machine;
        gui_apply_changes(); // as the event pass takes the switch in
        for (const auto& [sub, label] : offered)
            if (QAction* a = row(sub, label)) {
                EXPECT_TRUE(a->isEnabled()) << machine << ": " << label;
            }
        for (const auto& [sub, label] : greyed)
            if (QAction* a = row(sub, label)) {
                EXPECT_FALSE(a->isEnabled()) << machine << ": " << label;
            }

        // G|P runs G: the emulation pauses, and the next pick resumes it.
        QAction* go = row("Run", "G|P [<address>]");
        ASSERT_NE(go, nullptr);
        const bool paused = emu_paused;
        go->trigger();
        event_pass();
        EXPECT_NE(emu_paused, paused) << machine;
        go->trigger();
        event_pass();
        EXPECT_EQ(emu_paused, paused) << machine;
    }
    command("SETMACHINE ARCADIA");
}

// A row whose command takes arguments, optional ones too, puts the command
// into the command line and runs nothing (a bare CLEARSYM would clear every
// label); a row whose command takes none runs it at once.
TEST_F(DebugMenuQt, RowsTakingArgumentsFillTheCommandLine) {
    ASSERT_EQ(command("DEBUGGER \"DEFSYM KEPT 1234\""), 0);
    const struct {
        const char* sub;
        const char* label;
        const char* filled; // nullptr: the row runs its command
    } rows[] = {{"General", "H|HELP|? [<page>]", "HELP "},
                {"View", "= [<addr>]", "= "},
                {"View", "COVER [<reporttype>]", "COVER "},
                {"View", "DIS [<start-addr> [<end-addr>]]", "DIS "},
                {"Symbols", "CLEARSYM [<label>]", "CLEARSYM "},
                {"Tools", "TRAIN [<value>]", "TRAIN "},
                {"General", "CLEARCOV", nullptr},
                {"General", "CLS", nullptr},
                {"View", "HISTORY", nullptr}};
    for (const auto& r : rows) {
        gui_set_text(main_window, GID_COMMAND, "");
        QAction* a = row(r.sub, r.label);
        ASSERT_NE(a, nullptr);
        ASSERT_TRUE(a->isEnabled()) << r.label;
        a->trigger();
        event_pass();
        EXPECT_EQ(gui_get_text(main_window, GID_COMMAND), r.filled ? r.filled : "") << r.label;
    }
    std::string result;
    EXPECT_EQ(command("DEBUGGER \"= KEPT\"", &result), 0);
    EXPECT_NE(result.find("$1234"), std::string::npos) << "the labels were cleared: " << result;
    command("DEBUGGER \"CLEARSYM KEPT\"");
}
