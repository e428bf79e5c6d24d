// The Tools menu's monitors on every machine, picked through the port of the
// running program and held against the debugger's views of the same parts:
// an item is offered where the machine has what its window shows.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

class ToolItemsProgram : public ProgramTest {};

} // namespace

TEST_F(ToolItemsProgram, MonitorsAreOfferedWhereTheDebuggerViewsTheirParts) {
    const char* const machines[] = {"8550",     "8600",   "ARCADIA",   "ASTROWARS",   "BINBUG",
                                    "CD2650",   "ELEKTOR", "GALAXIA",  "INSTRUCTOR",  "INTERTON",
                                    "LASERBATTLE", "LAZARIAN", "MALZAK1", "MALZAK2", "MIKIT",
                                    "PHUNSY",   "PIPBUG", "SELBST",    "TWIN",        "TYPERIGHT"};
    // Their video monitor shows the paddles alone; the Type-right's CPU
    // monitor its typing statistics.
    const std::set<std::string> paddles_only = {"8550", "8600", "BINBUG"};
    const std::string no_processor = "TYPERIGHT";
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    for (const std::string m : machines) {
        ask("MENU SETTINGS.MACHINE." + m); // missing ROM images only warn
        const auto offered = [&](const char* item) {
            std::string said;
            const int rc = ask(std::string("MENU TOOLS.") + item, &said);
            EXPECT_TRUE(rc == 0 || said == std::string("MENU TOOLS.") + item + ": wrong guest machine\n")
                << m << " " << item << ": " << said;
            return rc == 0;
        };
        const auto viewed = [&](const char* part) {
            return ask(std::string("DEBUGGER \"V ") + part + "\"") == 0;
        };
        EXPECT_EQ(offered("CPU"), viewed("CPU") || m == no_processor) << m;
        EXPECT_EQ(offered("XVI"), viewed("XVI") || paddles_only.count(m) > 0) << m;
        // The PSG monitor shows sound chips' registers, which some boards'
        // tone units have not.
        EXPECT_TRUE(!offered("PSG") || viewed("PSG")) << m;
        ask("CLOSEMONITOR");
    }
}
