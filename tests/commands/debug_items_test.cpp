// A debugger command that has a Debug menu item is refused exactly where that
// item is ghosted, for the item's reason, when its line comes by the port's
// DEBUGGER. The rows are the command table's rows that run or prefill a
// debugger line (debug_item_line: the line as the item has it, bare where it
// prefills), on every memory map of the machine table. Where the item is
// ghosted the line answers 10 with the item's reason as the debugger words it
// (cmd_debugger_wording); where it is enabled the line is refused for none of
// those reasons (a usage or its own answer instead). Its usage ("<command> ?")
// is shown wherever it is ghosted too.
// Not rows: SYSTEM quits the program and "*" starts a host shell. Left out:
// bare FIND on a machine without text search (a bare FIND searches for text;
// the item prefills FIND for a number search too, which such a machine takes).
#include "commands/arexx.h"
#include "commands/command_table.h"
#include "commands/menu_state.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/ui_host.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

const char* const wrong_machine = "Wrong guest machine!";
const char* const unavailable = "Command is unavailable.";
const char* const no_disk = "No disk is inserted!";
const char* const no_drive = "Invalid drive number!";

bool not_run(const CmdRow& row) {
    return row.cmd == Cmd::DEBUG_SYSTEM || row.cmd == Cmd::DEBUG_SHELL ||
           (row.cmd == Cmd::DEBUG_FIND && machine_debug().no_text_search);
}

TEST(DebugItems, ADebuggerLineIsRefusedExactlyWhereItsItemIsGhosted) {
    fresh_state();
    TempHome home("debug_items");
    std::filesystem::current_path(home.path()); // what a bare line writes lands here
    int ghosted = 0, enabled = 0;
    for (int map = 0; map < static_cast<int>(MEMMAPS); ++map) {
        if (memmap_is_empty(static_cast<u32>(map))) continue;
        for (const CmdRow& row : cmd_rows) {
            const char* text = debug_item_line(row);
            if (!text) continue;
            if (memmap != static_cast<u32>(map)) {
                ASSERT_TRUE(machine_switch(memmap_table[map].machine, map, true, true, false));
            }
            if (not_run(row)) continue;
            std::string line = text;
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            const std::string where = line + " on map " + std::to_string(map);
            const char* why = menu_item_refusal(row);
            std::string escaped; // the port's quoting of a '"'
            for (const char c : line)
                escaped += c == '"' ? std::string("*\"") : std::string(1, c);
            std::string result;
            const int rc =
                ui_unattended_run(arexx_execute, ("DEBUGGER \"" + escaped + "\"").c_str(), &result);
            if (why) {
                ++ghosted;
                EXPECT_EQ(rc, 10) << where;
                EXPECT_EQ(result, cmd_debugger_wording(why)) << where;
                // Its usage is shown all the same.
                const std::string command = line.substr(0, line.find(' '));
                if (command != "\"" && row.cmd != Cmd::DEBUG_SPEAK) { // no speech: no usage
                    ui_unattended_run(arexx_execute, ("DEBUGGER \"" + command + " ?\"").c_str(),
                                      &result);
                    EXPECT_NE(result.find("Usage"), std::string::npos)
                        << command << " ?: " << result;
                }
            } else {
                ++enabled;
                for (const char* said : {wrong_machine, unavailable, no_disk, no_drive})
                    EXPECT_EQ(result.find(said), std::string::npos) << where << ": " << result;
            }
        }
    }
    EXPECT_GT(ghosted, 0);
    EXPECT_GT(enabled, 0);
    fresh_state();
}

} // namespace
