// VIEW RAM on the PHUNSY: every U and Q bank, after a guest program has
// filled two of them and switched banks through the control port.
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "tests/debugger/debugger_fixture.h"
#include "tests/support/count_of.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PhunsyRamView : public DebuggerTest {
  protected:
    // Enters the program at $0800 with the debugger's E and runs `count` of
    // its instructions on the processor.
    static void run_program(std::initializer_list<u8> program, int count) {
        char line[32];
        u32 at = 0x0800;
        for (u8 b : program) {
            std::snprintf(line, sizeof line, "E $%X $%02X", at++, b);
            run(line);
        }
        run("J 800");
        for (int i = 0; i < count; i++)
            if (!cpu_check_breakpoint()) cpu_execute_one();
    }
};

// $5A entered at $4000 (Q0); LODI,r0 $5A; STRA,r0 $1800 (U0); LODI,r0 $72;
// WRTC,r0 (U7 and Q2 mapped in); LODI,r0 $A5; STRA,r0 $1801.
TEST_F(PhunsyRamView, EveryBankIsListedWithTheOneMappedIn) {
    for (u32 bios : {1u, 0u}) {
        SCOPED_TRACE(bios);
        phunsy_biosversion = bios;
        ASSERT_TRUE(machine_switch(PHUNSY, MAP_PHUNSY, true, true, false));
        run("E $4000 $5A");
        run_program({0x04, 0x5A, 0xCC, 0x18, 0x00, 0x04, 0x72, 0xB0, 0x04, 0xA5, 0xCC, 0x18, 0x01},
                    6);
        const std::string view = run("VIEW RAM");
        EXPECT_EQ(view.rfind("Motherboard RAM:\n$0800: 04 5A CC 18 00 04 72 B0", 0), 0u) << view;
        EXPECT_EQ(count_of(view, "($1800..$1FFF) (currently using U7):\n$1800: "), 16);
        EXPECT_EQ(count_of(view, "($4000..$7FFF) (currently using Q2):\n$4000: "), 16);
        EXPECT_EQ(count_of(view, "\n$1800: "), 16);
        EXPECT_EQ(count_of(view, "\n$1FF0: "), 16) << "2048 bytes a U bank";
        EXPECT_EQ(count_of(view, "\n$4000: "), 16);
        EXPECT_EQ(count_of(view, "\n$7FF0: "), 16) << "16384 bytes a Q bank";
        // The blocks in their order: $0800, the U banks, $2000, the Q banks.
        const size_t u0 = view.find("\nBank U0 "), uf = view.find("\nBank UF ");
        const size_t ram = view.find("\n$2000: "), q0 = view.find("\nBank Q0 ");
        EXPECT_LT(view.find("\n$0FF0: "), u0);
        EXPECT_LT(u0, uf);
        EXPECT_LT(uf, ram);
        EXPECT_LT(ram, q0);
        EXPECT_EQ(view.find("\n$4000: ", ram), view.find("\n$4000: ", q0));
        if (bios == 1) {
            // The monitor switches banks: U0 and Q0 were stored when they
            // were left, U7 shows the byte written since.
            EXPECT_NE(view.find("Bank U0 ($1800..$1FFF) (currently using U7):\n$1800: 5A 00 00"),
                      std::string::npos)
                << view.substr(0, 4000);
            EXPECT_NE(view.find("Bank Q0 ($4000..$7FFF) (currently using Q2):\n$4000: 5A 00"),
                      std::string::npos);
            EXPECT_NE(view.find("Bank U7 ($1800..$1FFF) (currently using U7):\n$1800: 00 A5 00"),
                      std::string::npos);
            // Bank bytes below 32 show as dots.
            EXPECT_NE(view.find("00 00 00 00 00 00 00 00 Z..............."), std::string::npos);
        }
    }
}

} // namespace
