// The scripting port's commands: the table, template parsing of every row,
// the guards, and the replies of the handlers.
#include "commands/arexx.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "app/rexx_host.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "core/ui_host.h"
#include "app/mainloop.h"
#include "gui/iconify.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace {

class Arexx : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
    int run(const char* line) { return arexx_execute(line, &result); }
    std::string result;
};

TEST(ArexxTable, EightyNineNamesForEightySixIds) {
    std::set<int> ids;
    int rows = 0;
    for (const ArexxCmd* row = g_arexx_commands; row->name; ++row, ++rows) {
        EXPECT_NE(row->handler, nullptr) << row->name;
        ids.insert(row->id);
        EXPECT_EQ(arexx_find(row->name)->id, row->id) << row->name;
    }
    EXPECT_EQ(rows, AREXX_COMMANDS);
    EXPECT_EQ(ids.size(), 86u);
    EXPECT_EQ(*ids.begin(), 1);
    EXPECT_EQ(*ids.rbegin(), 86);
    EXPECT_EQ(arexx_find("show")->id, arexx_find("ACTIVATE")->id);
    EXPECT_EQ(arexx_find("Hide")->id, 21);
    EXPECT_EQ(arexx_find("REVERT")->id, 57);
    EXPECT_EQ(arexx_find("POKE"), nullptr);
}

struct ParseCase {
    const char* line;
    bool ok;
    int item;         // the argument checked (-1 none)
    const char* text; // its text
    long number;      // its number (for /N)
};

TEST(ArexxParse, TemplatesOfTheRows) {
    const ParseCase cases[] = {
        {"PEEK 100", true, 0, "100", 100},
        {"peek -5", true, 0, "-5", -5},
        {"PEEK", false, -1, "", 0},      // required
        {"PEEK ten", false, -1, "", 0},  // not a number
        {"PEEK 1 2", false, -1, "", 0},  // too many
        {"PAUSE now", false, -1, "", 0}, // no arguments taken
        {"MOVEWINDOW 10 20", true, 1, "20", 20},
        {"MOVEWINDOW TOPEDGE=-1 LEFTEDGE 5", true, 0, "5", 5},
        {"DEBUGGER QUIET D 0", true, 1, "D", 0},
        {"DEBUGGER D 0", true, 2, "0", 0},
        {"DEBUGGER", false, -1, "", 0},
        {"REQUESTNOTIFY TITLE=\"Big news\" \"all is well\"", true, 0, "Big news", 0},
        {"REQUESTNOTIFY TITLE Hello", false, -1, "", 0}, // PROMPT missing
        {"STATUS  three words here  ", true, 0, "three words here", 0},
        {"STATUS", true, -1, "", 0},
        {"STATUS \"two  words\"", true, 0, "two  words", 0}, // one quoted word: its text
        {"STATUS say \"hi\"", true, 0, "say \"hi\"", 0},     // else the line as typed
        {"CMDSHELL \"open\"", true, 0, "open", 0},
        {"CMDSHELL open the shell", true, 0, "open the shell", 0},
        {"SETMACHINE \"PIP*\"BUG\"", true, 0, "PIP\"BUG", 0},
        {"SETMACHINE \"open", false, -1, "", 0}, // unmatched quotes
        {"NOSUCHCOMMAND", false, -1, "", 0},
        {"", false, -1, "", 0},
    };
    for (const ParseCase& c : cases) {
        ArexxCall call;
        std::string why;
        EXPECT_EQ(arexx_parse(c.line, &call, &why), c.ok) << c.line << ": " << why;
        if (!c.ok || c.item < 0) continue;
        ASSERT_LT(static_cast<std::size_t>(c.item), call.args.size()) << c.line;
        EXPECT_TRUE(call.args[c.item].given) << c.line;
        EXPECT_EQ(call.args[c.item].text, c.text) << c.line;
        EXPECT_EQ(call.args[c.item].number, c.number) << c.line;
    }
    ArexxCall call;
    std::string why;
    ASSERT_TRUE(arexx_parse("DEBUGGER QUIET D 0", &call, &why));
    EXPECT_TRUE(call.args[0].given);
    ASSERT_TRUE(arexx_parse("DEBUGGER D 0", &call, &why));
    EXPECT_FALSE(call.args[0].given);
}

TEST_F(Arexx, AnswersOfTheQuestions) {
    known_game_id = -1; // no game known: the game questions answer "?"
    struct Case {
        const char* line;
        int rc;
        const char* result;
    } const cases[] = {
        {"GETVERSION", 0, "36.4"},
        {"GETVERSION integer", 0, "36.40"},
        {"GETVERSION HEX", 10, "Usage: GETVERSION [DECIMAL|INTEGER]\n"},
        {"GETATTR application.version", 0, "36.4"},
        {"GETATTR NOTHING.HERE", 0, ""},
        {"GETMACHINE", 0, "ARCADIA"},
        {"GETCREDITS", 0, "?"},
        {"GETNAME", 0, "?"},
        {"GETREFERENCE", 0, "?"},
        {"SETSPEED 101", 10, "SETSPEED: invalid speed\n"},
        {"SETPORT 65536", 10, "SETPORT: port number must be 0..65535\n"},
        {"SETPORT -1", 10, "SETPORT: port number must be 0..65535\n"},
        {"PEEK 32768", 10, "PEEK: address must be 0..32767\n"},
        {"PEEK -1", 10, "PEEK: address must be 0..32767\n"},
        {"TURBO maybe", 10, "Usage: TURBO ON|OFF\n"},
        {"SETMACHINE AMIGA", 10, "SETMACHINE: invalid guest machine\n"},
        {"MENU NO.SUCH.ITEM", 10, "Unknown menu item\n"},
        {"GETHOSTNAME", 0, ""},
        {"frobnicate", 10, "Unknown command\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.line), c.rc) << c.line;
        EXPECT_EQ(result, c.result) << c.line;
    }
}

TEST_F(Arexx, HandlersChangeWhatTheySay) {
    memmap = 26;
    EXPECT_EQ(run("GETMEMMAP"), 0);
    EXPECT_EQ(result, "[");
    EXPECT_EQ(run("SETSPEED 100"), 0);
    EXPECT_EQ(emu_speed, 3);
    EXPECT_EQ(run("SETSPEED 800"), 0);
    EXPECT_EQ(emu_speed, 8);
    EXPECT_EQ(run("SETPORT 65535"), 0);
    EXPECT_EQ(net_port, 65535);
    EXPECT_EQ(run("GETPORT"), 0);
    EXPECT_EQ(result, "65535");
    guest_memory[0x7FFF] = 201;
    EXPECT_EQ(run("PEEK 32767"), 0);
    EXPECT_EQ(result, "201");
    EXPECT_EQ(run("TURBO on"), 0);
    EXPECT_EQ(turbo, 1u);
    EXPECT_EQ(run("TURBO OFF"), 0);
    EXPECT_EQ(turbo, 0u);
    EXPECT_EQ(run("PAUSE"), 0);
    EXPECT_TRUE(emu_paused);
    EXPECT_EQ(run("UNPAUSE"), 0);
    EXPECT_FALSE(emu_paused);
    EXPECT_EQ(run("SETMACHINE pipbug"), 0);
    EXPECT_EQ(machine, static_cast<u32>(PIPBUG));
    EXPECT_EQ(run("GETMACHINE"), 0);
    EXPECT_EQ(result, "PIPBUG");
    EXPECT_EQ(run("OPEN /no/such/file.bin"), 10);
    EXPECT_EQ(result,
              "OPEN: there was a problem opening the file \"/no/such/file.bin\" (not found)\n");
}

// What a script is told when a line is refused: debugger lines the debugger
// refuses answer 10 with the refusal (also under QUIET), those it runs 0;
// unknown menu items 10, ghosted ones 10 with the reason; OPEN and SAVEAS give
// the reason of a failure.
TEST_F(Arexx, RefusalsAnswerWithTheirCodeAndReason) {
    TempHome home("arexx_refusals");
    const std::string empty = (home.path() / "empty.bin").string();
    std::ofstream(empty).close();
    struct Case {
        const char* line;
        int rc;
        const char* said; // the result holds this
        bool mid_frame = false;
        u32 on = ARCADIA;
    } const cases[] = {
        {"DEBUGGER FROB", 10, "Unknown command \"FROB\" (\"H\" for help).\n"},
        {"DEBUGGER QUIET FROB", 10, "Unknown command \"FROB\""},
        {"DEBUGGER LOADSYM /no/such/file.sym", 10,
         "Failed! Can't read /no/such/file.sym: No such file or directory!\n"},
        {"DEBUGGER QUIET LOADSYM /no/such/file.sym", 10,
         "Failed! Can't read /no/such/file.sym: No such file or directory!\n"},
        {"DEBUGGER SAVESYM /no/such/drawer/x.sym", 10,
         "Can't open /no/such/drawer/x.sym: No such file or directory!\nFailed!\n"},
        {"DEBUGGER BP", 10, "Add code breakpoints to address range\nUsage: BP"},
        {"DEBUGGER BP ?", 0, "Add code breakpoints to address range\nUsage: BP"},
        {"DEBUGGER BP 1 2 R0 == 999", 10, "Add code breakpoints"},
        {"DEBUGGER BP 8000", 10, "Valid range is $0..$7FFF!"},
        {"DEBUGGER BP 100:1FF", 0, "Mask is out of range!"}, // BP takes no mask: ignored
        {"DEBUGGER IP 10:1FF", 10, "Mask is out of range!"},
        {"DEBUGGER VB 7", 10, "VB|VERBOSE 0:"},
        {"DEBUGGER VB ?", 0, "VB|VERBOSE 0:"},
        {"DEBUGGER WW", 0, "WW NONE:"},
        {"DEBUGGER WW MANY", 10, "WW NONE:"},
        {"DEBUGGER BASE", 0, "Current default input base is"},
        {"DEBUGGER QUIET BASE 16", 0, ""},
        {"DEBUGGER N 9", 10, "N 0:"},
        {"DEBUGGER VIEW BASIC", 10, "Wrong guest machine!"},
        {"DEBUGGER VIEW", 10, "Usage: V|VIEW"},
        {"DEBUGGER SAY hello", 10, "Command is unavailable."},
        {"DEBUGGER DEFSYM 9LIVES 100", 10, "Error: illegal symbol name \"9LIVES\""},
        {"DEBUGGER QUIET DEFSYM LIVES 9000", 10, "Label LIVES is out of range!"},
        {"DEBUGGER WP 100 NOSUCHLABEL == 1", 10, "Conditional token is out of range!"},
        {"DEBUGGER BC 200", 10, "Breakpoint not found at"},
        {"DEBUGGER S", 10, "Wrong guest machine!", false, PONG},
        {"MENU NO.SUCH.ITEM", 10, "Unknown menu item\n"},
        // A refused item is named with its reason.
        {"MENU help.update", 10, "MENU HELP.UPDATE: command is unavailable now\n"}, // no server
        {"MENU TOOLS.RETROACHIEVEMENTS", 10,
         "MENU TOOLS.RETROACHIEVEMENTS: function is not available yet\n"},
        {"MENU SETTINGS.VDU.VT100", 10, "MENU SETTINGS.VDU.VT100: wrong guest machine\n"},
        {"MENU PROJECT.REVERT", 10, "MENU PROJECT.REVERT: nothing to revert to\n"},
        {"REVERT", 10, "REVERT: nothing to revert to\n"},
        {"MENU PROJECT.RECENT8", 10, "MENU PROJECT.RECENT8: command is unavailable now\n"},
        {"MENU PROJECT.RESETTOGAME", 10,
         "MENU PROJECT.RESETTOGAME: command is unavailable during the frame\n", true},
        {"MENU PROJECT.JUMPTOBIOS", 10, "MENU PROJECT.JUMPTOBIOS: wrong guest machine\n"},
        // The paddles' items want analogue paddles, which are off: not the machine.
        {"MENU SETTINGS.INPUT.SENSITIVITY", 10,
         "MENU SETTINGS.INPUT.SENSITIVITY: \"Analog for guest?\" is off\n"},
        {"MENU SETTINGS.INPUT.SPRINGS", 10,
         "MENU SETTINGS.INPUT.SPRINGS: \"Analog for guest?\" is off\n"},
        {"MENU SETTINGS.INPUT.SENSITIVITY", 10,
         "MENU SETTINGS.INPUT.SENSITIVITY: wrong guest machine\n", false, PIPBUG},
        {"MENU SETTINGS.SPEED.TURBO", 0, ""},
        {"OPEN /no/such/file.bin", 10,
         "OPEN: there was a problem opening the file \"/no/such/file.bin\" (not found)\n"},
        {"OPEN /tmp", 10, "OPEN: there was a problem opening the file \"/tmp\" (a directory)\n"},
        {"SAVEAS /no/such/drawer/x.cos", 10,
         "SAVEAS: can't save the state (can't create a file beside /no/such/drawer/x.cos:"},
    };
    EXPECT_EQ(run(("OPEN " + empty).c_str()), 10);
    EXPECT_EQ(result, "OPEN: there was a problem opening the file \"" + empty + "\" (empty)\n");
    for (const Case& c : cases) {
        if (machine != c.on)
            machine_switch(static_cast<int>(c.on), machine_table[c.on].default_memmap, true, true,
                           false);
        emu_paused_mid_frame = c.mid_frame;
        EXPECT_EQ(run(c.line), c.rc) << c.line << ": " << result;
        EXPECT_NE(result.find(c.said), std::string::npos) << c.line << ": " << result;
        emu_paused_mid_frame = false;
    }
    EXPECT_EQ(rexx_quiet, 0);
}

TEST_F(Arexx, DebuggerRepliesWithItsOwnTextUnlessQuiet) {
    EXPECT_EQ(run("DEBUGGER BASE"), 0);
    EXPECT_FALSE(result.empty());
    EXPECT_EQ(run("DEBUGGER QUIET BASE"), 0);
    EXPECT_EQ(result, "");
    EXPECT_EQ(rexx_quiet, 0); // off again afterwards
}

TEST_F(Arexx, GuardsRefuseAndChangeNothing) {
    // During a frame paused by a breakpoint.
    emu_paused_mid_frame = true;
    for (const char* line :
         {"CLEAR", "NEW", "OPEN x.bin", "RELOAD", "SAVEAS s.cos", "SETMACHINE PIPBUG"}) {
        EXPECT_EQ(run(line), 10) << line;
        EXPECT_NE(result.find("during the frame"), std::string::npos) << line;
    }
    EXPECT_EQ(machine, static_cast<u32>(ARCADIA)); // the stopped frame's machine stays
    emu_paused_mid_frame = false;
    // Netplay on a machine without it, and the monitor jump on one without a monitor.
    machine = PIPBUG;
    EXPECT_EQ(run("CLIENT somehost"), 10);
    EXPECT_EQ(result, "CLIENT: wrong guest machine\n");
    EXPECT_EQ(run("SERVER"), 10);
    machine = ARCADIA;
    EXPECT_EQ(run("JUMPTOMONITOR"), 10);
    EXPECT_EQ(result, "JUMPTOMONITOR: wrong guest machine\n");
    // While iconified (no main window), and SHOW while the window is open.
    ASSERT_EQ(main_window, 0);
    for (const char* line : {"LOCKGUI", "UNLOCKGUI", "HIDE", "WINDOWTOFRONT", "MOVEWINDOW 1 2"}) {
        EXPECT_EQ(run(line), 20) << line;
        EXPECT_NE(result.find("while iconified"), std::string::npos) << line;
    }
    gui_open_main_window(0);
    ASSERT_NE(main_window, 0);
    EXPECT_EQ(run("SHOW"), 20);
    EXPECT_EQ(result, "ACTIVATE/SHOW: command is only available while iconified\n");
}

// STATUS puts the text itself in the status bar, without the quotes that
// kept its words together.
TEST_F(Arexx, StatusShowsItsTextWithoutQuotes) {
    gui_open_main_window(0);
    ASSERT_NE(main_window, 0);
    EXPECT_EQ(run("STATUS \"Level 2 reached\""), 0);
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "Level 2 reached");
    EXPECT_EQ(run("STATUS"), 0); // the game information again
    EXPECT_NE(gui_get_text(main_window, GID_STATUS_TEXT), "Level 2 reached");
}

// Asking the user is what these commands are for: they ask even from the port,
// where nobody else is asked.
TEST_F(Arexx, RequestersAnswerWithinTheReturnCodes) {
    app_acquired.host_gui = true; // requesters are shown (the headless layer answers them)
    const auto from_port = [this](const char* line) {
        return ui_unattended_run(arexx_execute, line, &result);
    };
    gui_headless_answer_requesters({1, 0});
    EXPECT_EQ(from_port("REQUESTRESPONSE PROMPT \"Go on?\""), 0);
    EXPECT_EQ(from_port("REQUESTRESPONSE TITLE=Q PROMPT=\"Go on?\""), 5);
    ASSERT_EQ(gui_headless_requesters().size(), 2u);
    EXPECT_EQ(gui_headless_requesters()[1], "Q|Go on?|OK|Cancel");
    EXPECT_EQ(from_port("REQUESTFILE"), 5); // cancelled
    EXPECT_EQ(result, "REQUESTFILE: cancelled\n");
    EXPECT_EQ(gui_headless_file_requests().size(), 1u);
}

TEST_F(Arexx, HelpWritesItsListWhole) {
    TempHome home("arexx_help");
    const std::string path = (home.path() / "commands.txt").string();
    EXPECT_EQ(run(("HELP " + path).c_str()), 0);
    EXPECT_EQ(test_read_file(path), arexx_help_text());
    EXPECT_EQ(run("HELP /no/such/drawer/list.txt"), 10);
    EXPECT_EQ(result, "HELP: can't open specified output file (can't create a file beside "
                      "/no/such/drawer/list.txt: No such file or directory)\n");
}

TEST_F(Arexx, QuitWaitsForItsReply) {
    rexx_quit_requested = false;
    EXPECT_EQ(run("QUIT"), 0);
    EXPECT_TRUE(rexx_quit_requested);
    rexx_quit_requested = false;
}

// Commands sent while the program waits iconified: the wait serves them.
std::vector<std::pair<int, std::string>> iconified_replies;
int iconified_passes = 0;
void serve_while_iconified() {
    ++iconified_passes;
    if (iconified_passes == 1) {
        for (const char* line : {"HIDE", "LOCKGUI", "MOVEWINDOW 1 2", "SCREENTOFRONT", "SHOW"}) {
            std::string result;
            const int rc = arexx_execute(line, &result);
            iconified_replies.emplace_back(rc, result);
        }
    }
    if (iconified_passes > 20) pending_actions |= PA_UNICONIFY; // never wait for good
}

TEST_F(Arexx, TheIconifiedWaitAnswersAndShowEndsIt) {
    gui_open_main_window(0);
    ASSERT_NE(main_window, 0);
    iconified_replies.clear();
    iconified_passes = 0;
    gui_iconified_service = serve_while_iconified;
    gui_iconify();
    gui_iconified_service = nullptr;
    EXPECT_EQ(iconified_passes, 1); // SHOW ended the wait at once
    ASSERT_EQ(iconified_replies.size(), 5u);
    EXPECT_EQ(iconified_replies[0],
              std::make_pair(20, std::string("DEACTIVATE/HIDE: command is unavailable while "
                                             "iconified\n")));
    EXPECT_EQ(iconified_replies[1].first, 20);
    EXPECT_EQ(iconified_replies[2].first, 20);
    EXPECT_EQ(iconified_replies[3],
              std::make_pair(20, std::string("SCREENTOFRONT: can't lock screen\n")));
    EXPECT_EQ(iconified_replies[4], std::make_pair(0, std::string()));
    EXPECT_FALSE(gui_window_minimised(main_window));
    // Open again: HIDE asks for the iconified state at the next frame boundary.
    pending_actions = 0;
    EXPECT_EQ(run("HIDE"), 0);
    EXPECT_TRUE(pending_actions & PA_ICONIFY);
    pending_actions = 0;
}

TEST_F(Arexx, TheMainWindowMovesAndGoesBack) {
    gui_open_main_window(0);
    ASSERT_NE(main_window, 0);
    int left = 0, top = 0;
    EXPECT_EQ(run("MOVEWINDOW 30 40"), 0);
    gui_window_position(main_window, &left, &top, nullptr, nullptr);
    EXPECT_EQ(std::make_pair(left, top), std::make_pair(30, 40));
    EXPECT_EQ(run("MOVEWINDOW -1 50"), 0); // -1 keeps the left edge
    gui_window_position(main_window, &left, &top, nullptr, nullptr);
    EXPECT_EQ(std::make_pair(left, top), std::make_pair(30, 50));
    EXPECT_EQ(run("WINDOWTOBACK"), 0);
    EXPECT_EQ(gui_headless_to_back_count(main_window), 1);
    EXPECT_EQ(run("SCREENTOBACK"), 0);
    EXPECT_EQ(gui_headless_to_back_count(main_window), 2);
    EXPECT_EQ(run("JUMPSCREEN Workbench"), 10);
    EXPECT_EQ(result, "JUMPSCREEN: Can't find specified public screen\n");
}

} // namespace
