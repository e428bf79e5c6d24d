// The help document, its nodes and the viewer; the Help menu's web links to
// the README; the script console fed and stopped from the event pass.
#include "commands/arexx.h"
#include "tests/support/checkout_paths.h"
#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "commands/help_links.h"
#include "commands/menu_table.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "app/rexx_host.h"
#include "core/settings_vars.h"
#include "app/startup.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "platform/headless/gui_headless.h"
#include "platform/rexx_script.h"
#include "tests/support/fresh_state.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::string source_root = std::string(test_data()) + "/../..";

std::string shipped_help() {
    return test_read_file(source_root + "/resources/help/index.html");
}

// The anchors of an HTML text (<a name="...">).
std::set<std::string> anchors_of(const std::string& html) {
    std::set<std::string> found;
    const std::regex anchor("<a name=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), anchor);
         it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

class HelpLinks : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        setenv("BRINDLEMOX_HOME", home.path().c_str(), 1);
        help_install();
    }
    void TearDown() override { fresh_state(); }
    void ship_help() { test_write_file(home.path() / "help" / "index.html", shipped_help()); }
    TempHome home{"help_links"};
};

TEST_F(HelpLinks, EachMenuOpensItsNodeAndPausesTheEmulation) {
    ship_help();
    const struct {
        int context;
        const char* node;
    } cases[] = {{-1, "MAIN"}, {0, "Proj"}, {1, "Edit"}, {2, "View"}, {3, "Macr"}, {4, "DebM"},
                 {5, "Tool"},  {6, "Peri"}, {7, "Sett"}, {8, "Help"}, {9, "MAIN"}, {31, "MAIN"}};
    for (const auto& c : cases) {
        emu_unpause();
        const std::size_t before = gui_headless_help_shown().size();
        help_show(c.context);
        ASSERT_EQ(gui_headless_help_shown().size(), before + 1) << c.context;
        EXPECT_EQ(gui_headless_help_shown().back(), help_document() + "#" + c.node) << c.context;
        EXPECT_TRUE(emu_paused) << c.context;
    }
    // The Help menu's manual item is the main node.
    ASSERT_TRUE(cmd_built(*cmd_of_plain(278)));
    gui_menu_pick(278);
    EXPECT_EQ(gui_headless_help_shown().back(), help_document() + "#MAIN");
}

TEST_F(HelpLinks, WithoutTheDocumentNothingOpensAndTheManualIsGhosted) {
    emu_unpause();
    help_show(4);
    help_show_node("memory");
    EXPECT_TRUE(gui_headless_help_shown().empty());
    EXPECT_FALSE(emu_paused);
    EXPECT_FALSE(cmd_built(*cmd_of_plain(278)));
    EXPECT_TRUE(gui_headless_requesters().empty()); // and no message
}

TEST_F(HelpLinks, TheHelpKeyInAWindowOpensItsNode) {
    ship_help();
    // A tool window takes its node from the machine when its opener names none.
    machine = 10;
    GuiWindowDesc tape;
    tape.title = "Tape Deck";
    ASSERT_EQ(gui_open_subwindow(TW_TAPE, tape), 1);
    const int a = gui_subwin_window[TW_TAPE];
    GuiWindowDesc without;
    without.title = "Plain";
    const int b = gui_window_open(without);
    gui_headless_press_help(a);
    EXPECT_TRUE(gui_headless_help_shown().empty()); // answered in the host pump
    gui_host_pump();
    ASSERT_EQ(gui_headless_help_shown().size(), 1u);
    EXPECT_EQ(gui_headless_help_shown()[0], help_document() + "#phunsy-tapedeck");
    // A window without a node gets the key itself.
    gui_headless_press_help(b);
    gui_host_pump();
    EXPECT_EQ(gui_headless_help_shown().size(), 1u);
    GuiEvent e;
    ASSERT_TRUE(gui_window_next_event(b, &e));
    EXPECT_EQ(e.type, GE_RAWKEY);
    EXPECT_EQ(e.code, 0x5F);
}

// The Help key over an open menu: the item's hint in the status bar where it
// has one and the bar is shown, else the menu's node.
TEST_F(HelpLinks, TheHelpKeyOverAMenuShowsAHintOrTheMenusNode) {
    ship_help();
    gui_open_main_window(0);
    ASSERT_NE(main_window, 0);
    int hinted = -1;
    for (int id = 0; id < MENU_PLAIN_IDS && hinted < 0; ++id)
        if (menu_hint(id)) hinted = id;
    ASSERT_GE(hinted, 0);
    GuiEvent e{GE_MENUHELP, 0, hinted, 0, 6, 0, {}};
    view_statusbar[display_mode] = 1;
    gui_headless_post(main_window, e);
    gui_main_window_events();
    EXPECT_TRUE(gui_headless_help_shown().empty());
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), menu_hint(hinted));
    view_statusbar[display_mode] = 0; // no bar: the document, at the Peripherals menu
    gui_headless_post(main_window, e);
    gui_main_window_events();
    ASSERT_EQ(gui_headless_help_shown().size(), 1u);
    EXPECT_EQ(gui_headless_help_shown()[0], help_document() + "#Peri");
    e.code = -1; // no item under the pointer
    e.x = 4;
    view_statusbar[display_mode] = 1;
    gui_headless_post(main_window, e);
    gui_main_window_events();
    ASSERT_EQ(gui_headless_help_shown().size(), 2u);
    EXPECT_EQ(gui_headless_help_shown()[1], help_document() + "#DebM");
}

// Every node a window or menu opens has its anchor in the shipped document,
// and the document names every scripting command and every menu item's
// script name.
TEST_F(HelpLinks, TheShippedDocumentHasEveryNodeAndName) {
    const std::string html = shipped_help();
    ASSERT_FALSE(html.empty());
    const std::set<std::string> anchors = anchors_of(html);
    std::set<std::string> nodes;
    for (int m = 0; m < 15; ++m)
        for (int w = 0; w < TOOL_WINDOWS; ++w)
            for (pipbug_peripheral = 0; pipbug_peripheral < 4; ++pipbug_peripheral)
                if (help_window_node(w, m)[0]) nodes.insert(help_window_node(w, m));
    EXPECT_EQ(nodes.size(), 24u); // every window section the document has
    for (int context = -1; context <= 9; ++context)
        nodes.insert(help_node_of(context));
    // The nodes the windows of the program name in their descriptions.
    const std::regex named("help_node = \"([^\"]+)\"");
    for (const char* folder : {"gui", "inspect", "devicewindows", "commands"}) {
        if (!fs::exists(source_root + "/" + folder)) continue;
        for (const auto& f : fs::recursive_directory_iterator(source_root + "/" + folder)) {
            const std::string text = test_read_file(f.path());
            for (auto it = std::sregex_iterator(text.begin(), text.end(), named);
                 it != std::sregex_iterator(); ++it)
                nodes.insert((*it)[1]);
        }
    }
    for (const std::string& node : nodes)
        EXPECT_TRUE(anchors.count(node)) << "no anchor for node " << node;
    for (const ArexxCmd* row = g_arexx_commands; row->name; ++row)
        EXPECT_NE(html.find(row->name), std::string::npos) << row->name;
    for (int id = 0; id < MENU_PLAIN_IDS; ++id) {
        if (menu_plain_names[id].name[0]) {
            EXPECT_NE(html.find(menu_plain_names[id].name), std::string::npos)
                << menu_plain_names[id].name;
        }
    }
    for (int id = 0; id < MENU_CHECK_IDS; ++id) {
        if (menu_check_names[id].name[0]) {
            EXPECT_NE(html.find(menu_check_names[id].name), std::string::npos)
                << menu_check_names[id].name;
        }
    }
}

// The guides of the Help menu open the machine's section of the help
// document; without the document they are ghosted.
TEST_F(HelpLinks, GuideLinksOpenSectionsOfTheHelpDocument) {
    const std::set<std::string> anchors = anchors_of(shipped_help());
    const struct {
        u32 machine;
        int id;
        const char* anchor; // "" nothing opens and the item is ghosted
    } cases[] = {{0, 276, "arcadia"},
                 {1, 277, "interton"},
                 {2, 276, "elektor"},
                 {3, 276, "pipbug-and-binbug"},
                 {4, 277, "pipbug-and-binbug"},
                 {5, 276, "instructor-50"},
                 {6, 276, "twin"},
                 {7, 277, "cd2650"},
                 {9, 276, "coin-op-boards"},
                 {10, 276, "phunsy"},
                 {11, 276, "pong"},
                 {11, 277, "pong"},
                 {12, 276, "selbstbaucomputer"},
                 {13, 276, "mikit"},
                 {14, 276, ""},
                 {14, 277, "type-right"}};
    for (const bool shipped : {false, true}) {
        if (shipped) ship_help();
        for (const auto& c : cases) {
            machine = c.machine;
            const std::size_t before = gui_headless_help_shown().size();
            const bool offered = shipped && c.anchor[0] != '\0';
            EXPECT_EQ(cmd_built(*cmd_of_plain(c.id)), offered) << c.machine << " " << c.id;
            gui_menu_pick(c.id);
            if (!offered) {
                EXPECT_EQ(gui_headless_help_shown().size(), before) << c.machine;
                continue;
            }
            ASSERT_EQ(gui_headless_help_shown().size(), before + 1) << c.machine << " " << c.id;
            EXPECT_EQ(gui_headless_help_shown().back(), help_document() + "#" + c.anchor);
            EXPECT_TRUE(anchors.count(c.anchor)) << "the help has no section " << c.anchor;
        }
    }
    EXPECT_TRUE(gui_headless_opened_urls().empty()); // no browser is needed
}

// On the ball-and-paddle machine the guides asked for from the port open its
// section of the help document rather than answering "not available".
TEST_F(HelpLinks, TheBallAndPaddleGuidesOpenItsSectionFromThePort) {
    ship_help();
    ASSERT_TRUE(machine_switch(PONG, MAP_PONG_8600, true, true, false));
    for (const char* line : {"MENU HELP.CODINGGUIDE", "MENU HELP.GAMINGGUIDE"}) {
        std::string result;
        const std::size_t before = gui_headless_help_shown().size();
        EXPECT_EQ(arexx_execute(line, &result), 0) << line << ": " << result;
        ASSERT_EQ(gui_headless_help_shown().size(), before + 1) << line;
        EXPECT_EQ(gui_headless_help_shown().back(), help_document() + "#pong");
    }
}

// A link that no browser opens says so, besides the beep.
TEST_F(HelpLinks, ALinkWithoutABrowserSaysSo) {
    gui_open_main_window(0);
    view_statusbar[display_mode] = 1;
    gui_headless_set_url_handler(false);
    open_url("https://example.org/guide");
    gui_headless_set_url_handler(true);
    EXPECT_TRUE(gui_headless_opened_urls().empty());
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT),
              "No web browser could open https://example.org/guide");
}

// A script started for the running program writes into the console window,
// and the console's Stop ends it even in a loop that sends no commands.
TEST_F(HelpLinks, TheConsoleShowsScriptOutputAndStopsALoop) {
    setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
    std::snprintf(rexx_port_name, sizeof rexx_port_name, "%s", "HELPCONSOLE");
    rexx_open_port();
    const std::string script = (home.path() / "spin.rexx").string();
    std::ofstream(script) << "/* spin */\n'GETVERSION INTEGER'\nsay 'version' result\n"
                          << "do forever; end\n";
    ASSERT_TRUE(rexx_script_start(script.c_str(), rexx_host_name));
    wait_until(
        [] {
            rexx_serve_port();
            return gui_headless_console_text().find("version 36.40\n") != std::string::npos;
        },
        TEST_HANG_SECONDS, 1);
    EXPECT_EQ(gui_headless_console_text(), "version 36.40\n");
    EXPECT_TRUE(gui_headless_console_open());
    EXPECT_TRUE(gui_headless_console_running());
    gui_headless_console_stop();
    // The loop sends no commands: only the halt the Stop asked for ends it.
    wait_until(
        [] {
            rexx_serve_port();
            return !rexx_script_running();
        },
        TEST_HANG_SECONDS, 1);
    EXPECT_FALSE(rexx_script_running());
    rexx_serve_port();
    EXPECT_FALSE(gui_headless_console_running());
    rexx_close_port();
    EXPECT_FALSE(gui_headless_console_open());
}

} // namespace
