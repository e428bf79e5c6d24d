// A command of the scripting port that does what a menu item does answers as
// that item: wherever the item refuses to run the command is refused, with 10
// and the item's reason; wherever it runs it is refused for no such reason.
// An item whose tool window is open already refuses nothing: the command
// brings the window to the front and answers 0. The rows are the command
// table's rows that have a script name (asked as MENU <name>) and the port's
// commands that name their item; the states are every memory map of the
// machine table, between frames and inside a frame stopped part-way, with and
// without the main window (an item run in one state leaves its tool window
// open for the next).
// Not rows: SETMACHINE, CMDSHELL, HIDE and OPENMONITOR pick their item from
// their word, the machine or the three monitors (arexx_test and the program
// tests ask them); ACTIVATE and JUMPTOMONITOR keep answers of their own.
#include "commands/arexx.h"
#include "commands/command_table.h"
#include "commands/menu_state.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/ui_host.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "platform/gui.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Asked {
    std::string line;
    const CmdRow* item;
    std::string prefix; // a refusal names the command, MENU's its item too
};

// Enabled rows not run, with why: a link waits for a peer, QUIT is the way out
// (the netplay and quit tests drive them). Their refusals are asked.
bool not_run(const CmdRow& row) {
    return row.cmd == Cmd::TOOLS_SERVER || row.cmd == Cmd::TOOLS_CLIENT ||
           row.cmd == Cmd::PROJECT_QUIT;
}

// The port's answer to a refusal for `why`.
std::string refusal(const Asked& a, const char* why) {
    if (why == cmd_between_frames_text) why = "command is unavailable during the frame";
    return a.prefix + why + "\n";
}

// Asked again while the window its item opened is open: the window comes to
// the front (from behind the main window) and the command answers 0.
bool asked_while_open(const Asked& a, const std::string& where) {
    const auto w = static_cast<ToolWindow>(cmd_tool_window(*a.item));
    if (w == TW_NONE || !gui_tool_window_open(w)) return false;
    if (main_window) gui_window_activate(main_window);
    std::string result;
    EXPECT_EQ(ui_unattended_run(arexx_execute, a.line.c_str(), &result), 0)
        << where << ", its window open: " << result;
    EXPECT_EQ(result, "") << where << ", its window open";
    EXPECT_TRUE(gui_tool_window_open(w)) << where;
    if (gui_subwin_window[w]) {
        EXPECT_EQ(gui_host_active_window(), gui_subwin_window[w]) << where << ": not in front";
    }
    return true;
}

TEST(PortItems, APortCommandIsRefusedExactlyWhereItsItemIsGhosted) {
    fresh_state();
    TempHome home("port_items");
    std::vector<Asked> asked;
    for (const CmdRow& row : cmd_rows) // a name another row has first is that row's
        if (cmd_script_name(row)[0] && cmd_named(cmd_script_name(row)) == &row)
            asked.push_back({std::string("MENU ") + cmd_script_name(row), &row,
                             std::string("MENU ") + cmd_script_name(row) + ": "});
    for (const ArexxCmd* c = g_arexx_commands; c->name; ++c) {
        if (c->item == Cmd::COUNT) continue;
        // Run without a requester: a file to write or not to find, or the word.
        const std::string name = c->name, file = (home.path() / name).string();
        const std::string arg = name == "TURBO"                       ? " ON"
                                : !c->tmpl || name == "CLIENT"        ? ""
                                : name == "OPEN"                      ? " \"" + file + ".bin\""
                                                                      : " \"" + file + "\"";
        asked.push_back({name + arg, &cmd_row(c->item), name + ": "});
    }
    std::vector<int> ghosted(asked.size()), enabled(asked.size()), again(asked.size());
    std::set<std::string> reasons = {cmd_between_frames_text, cmd_iconified_text};
    for (int map = 0; map < static_cast<int>(MEMMAPS); ++map) // every item's reason
        if (!memmap_is_empty(static_cast<u32>(map)) &&
            machine_switch(memmap_table[map].machine, map, true, true, false))
            for (const CmdRow& row : cmd_rows)
                if (const char* why = cmd_refusal(row)) {
                    reasons.insert(why);
                    // The drawing modes' own reason is theirs alone.
                    if (std::string(why) == "drawing mode out of range") {
                        EXPECT_TRUE(row.cmd >= Cmd::DEBUG_DRAW_0 && row.cmd <= Cmd::DEBUG_DRAW_4)
                            << cmd_script_name(row) << " on map " << map;
                    }
                }
    for (int map = 0; map < static_cast<int>(MEMMAPS); ++map)
        for (const bool window : {false, true})
            for (const bool mid_frame : {false, true}) {
                if (memmap_is_empty(static_cast<u32>(map))) continue;
                // Set again after every line: an item run may change it.
                const auto set_state = [&] {
                    if (memmap != static_cast<u32>(map))
                        machine_switch(memmap_table[map].machine, map, true, true, false);
                    if (window != (main_window != 0))
                        window ? gui_open_main_window(0) : gui_close_main_window();
                    emu_paused_mid_frame = mid_frame;
                };
                set_state();
                for (std::size_t i = 0; i < asked.size(); ++i) {
                    const Asked& a = asked[i];
                    const char* why = menu_item_refusal(*a.item);
                    if (!why) why = cmd_run_refusal(*a.item);
                    if (why ? ghosted[i] > 2 : enabled[i] > 2 || not_run(*a.item)) continue;
                    std::string result;
                    const int rc = ui_unattended_run(arexx_execute, a.line.c_str(), &result);
                    const std::string where = a.line + " on map " + std::to_string(map) +
                                              (window ? ", window" : "") +
                                              (mid_frame ? ", in a frame" : "");
                    if (why) {
                        ++ghosted[i];
                        EXPECT_EQ(rc, 10) << where;
                        EXPECT_EQ(result, refusal(a, why)) << where;
                    } else {
                        ++enabled[i];
                        for (const std::string& r : reasons)
                            EXPECT_NE(result, refusal(a, r.c_str())) << where;
                        again[i] += asked_while_open(a, where);
                    }
                    set_state();
                }
            }
    for (std::size_t i = 0; i < asked.size(); ++i) { // QUIT's item is never ghosted
        if (not_run(*asked[i].item)) continue;
        EXPECT_GT(ghosted[i] + enabled[i], 0) << asked[i].line;
        // Every opener was asked again with its window open.
        if (cmd_tool_window(*asked[i].item) != TW_NONE) {
            EXPECT_GT(again[i], 0) << asked[i].line;
        }
    }
    fresh_state();
}

} // namespace
