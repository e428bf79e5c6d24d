// A command of the scripting port that does what a menu item does answers as
// that item: wherever the item is ghosted the command is refused, with 10 and
// the item's reason, and does nothing; wherever it is enabled the command is
// not refused. The rows are the command table's rows that have a script name
// (asked as MENU <name>) and the port's commands that name their item; the
// states are every memory map of the machine table, between frames and inside
// a frame stopped part-way, with and without the main window (an item run in
// one state leaves its tool window open for the next: ghosted there).
// Not rows: SETMACHINE, CMDSHELL, HIDE and OPENMONITOR pick their item from
// their word, the machine or the three monitors (arexx_test and the program
// tests ask them); ACTIVATE and JUMPTOMONITOR keep answers of their own.
#include "commands/arexx.h"
#include "commands/command_table.h"
#include "commands/menu_state.h"
#include "commands/menu_table.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/ui_host.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const char* script_name(const CmdRow& row) {
    if (row.plain >= 0) return menu_plain_names[row.plain].name;
    if (row.check >= 0) return menu_check_names[row.check].name;
    return "";
}

// Why the port must refuse the row now: its item is ghosted, or it needs the
// main window while there is none.
const char* refusal_now(const CmdRow& row) {
    if (const char* why = menu_item_refusal(row)) return why;
    return cmd_run_refusal(row);
}

struct Asked {
    std::string line;
    const CmdRow* item;
    std::string prefix; // what a refusal starts with
};

// Rows whose item is not run where it is enabled, with the reason (their
// refusals are still asked wherever they are ghosted).
bool not_run(const CmdRow& row, const char** why) {
    switch (row.cmd) {
    case Cmd::TOOLS_SERVER:
    case Cmd::TOOLS_CLIENT:
        *why = "a link waits for a peer (the netplay tests drive it)";
        return true;
    case Cmd::PROJECT_QUIT:
        *why = "the way out (the quit tests drive it)";
        return true;
    default:
        return false;
    }
}

std::vector<Asked> rows_to_ask(const std::string& drawer) {
    std::vector<Asked> asked;
    for (const CmdRow& row : cmd_rows) {
        const char* name = script_name(row);
        // A name another row has first is that row's (cmd_named finds it).
        if (!name || !name[0] || cmd_named(name) != &row) continue;
        asked.push_back({std::string("MENU ") + name, &row, ""});
    }
    for (const ArexxCmd* c = g_arexx_commands; c->name; ++c) {
        if (c->item == Cmd::COUNT) continue;
        std::string line = c->name;
        // What the command needs to run without a requester: a file it may
        // write or fail to read, or its word.
        const std::string t = c->tmpl ? c->tmpl : "";
        if (std::string(c->name) == "TURBO")
            line += " ON";
        else if (std::string(c->name) == "OPEN")
            line += " \"" + drawer + "/none.bin\"";
        else if (t == "FOO" && std::string(c->name) != "CLIENT")
            line += " \"" + drawer + "/" + c->name + "\"";
        asked.push_back({line, &cmd_row(c->item), std::string(c->name) + ": "});
    }
    return asked;
}

class PortItems : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
};

TEST_F(PortItems, APortCommandIsRefusedExactlyWhereItsItemIsGhosted) {
    TempHome home("port_items");
    const std::vector<Asked> asked = rows_to_ask(home.path().string());
    std::vector<int> ghosted(asked.size()), enabled(asked.size());
    for (int map = 0; map < static_cast<int>(MEMMAPS); ++map) {
        if (memmap_is_empty(static_cast<u32>(map))) continue;
        for (const bool window : {false, true})
            for (const bool mid_frame : {false, true}) {
                // The state, set again before every line (an item run may change it).
                const auto set_state = [&] {
                    if (memmap != static_cast<u32>(map))
                        machine_switch(memmap_table[map].machine, map, true, true, false);
                    if (window && !main_window) gui_open_main_window(0);
                    if (!window && main_window) gui_close_main_window();
                    emu_paused_mid_frame = mid_frame;
                };
                set_state();
                const std::string state = std::string(memmap_table[map].name) +
                                          (window ? ", window" : ", no window") +
                                          (mid_frame ? ", in a frame" : "");
                for (std::size_t i = 0; i < asked.size(); ++i) {
                    const Asked& a = asked[i];
                    const char* why = refusal_now(*a.item);
                    const char* kept;
                    if (!why && (enabled[i] > 2 || not_run(*a.item, &kept))) continue;
                    if (why && ghosted[i] > 2) continue; // enough of this row's refusals
                    std::string result;
                    const int rc = ui_unattended_run(arexx_execute, a.line.c_str(), &result);
                    if (why) {
                        ++ghosted[i];
                        std::string expected = a.prefix + why;
                        if (!a.prefix.empty()) {
                            if (why == cmd_between_frames_text)
                                expected = a.prefix + "command is unavailable during the frame";
                            expected += "\n";
                        }
                        EXPECT_EQ(rc, 10) << a.line << " (" << state << "): " << result;
                        EXPECT_EQ(result, expected) << a.line << " (" << state << ")";
                    } else {
                        ++enabled[i];
                        const std::string refused = a.prefix + "command is unavailable";
                        EXPECT_FALSE(rc == 10 && (result.rfind(refused, 0) == 0 ||
                                                  result.find("wrong guest machine") !=
                                                      std::string::npos ||
                                                  result.find(menu_window_open_text) !=
                                                      std::string::npos))
                            << a.line << " (" << state << "): " << result;
                    }
                    set_state();
                }
            }
    }
    // Every row was asked in some state (but QUIT, whose item is never ghosted).
    const char* kept;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        if (!not_run(*asked[i].item, &kept)) EXPECT_GT(ghosted[i] + enabled[i], 0) << asked[i].line;
    }
}

} // namespace
