// VIEW BIOS on each machine with a monitor: every variable read from its
// address and shown in its place on its line.
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "tests/debugger/debugger_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class BiosViews : public DebuggerTest {
  protected:
    static void on(u32 m, u32 map) { ASSERT_TRUE(machine_switch(m, map, true, true, false)); }
    // Each byte from `first` to `last` holds the low byte of its address.
    static void stamp(u32 first, u32 last) {
        for (u32 a = first; a <= last; a++)
            guest_memory[a] = static_cast<u8>(a);
    }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find('\n', at);
            out.push_back(text.substr(at, end - at));
            if (end == std::string::npos) break;
            at = end + 1;
        }
        return out;
    }
    static bool ends_with(const std::string& s, const std::string& tail) {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    }
};

} // namespace

TEST_F(BiosViews, ElektorDisplayBufferKeyboardStateAndInputLine) {
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    stamp(0x0890, 0x08BD);
    const std::string view = run("VIEW BIOS");
    const std::vector<std::string> l = lines(view);
    ASSERT_GE(l.size(), 7u) << view;
    EXPECT_EQ(l[0].rfind("MONOB:  \"", 0), 0u) << l[0];
    for (int i = 1; i < 6; i++)
        EXPECT_EQ(l[i].rfind("        \"", 0), 0u) << l[i];
    EXPECT_TRUE(ends_with(l[0], "\" $8A0..$8AB: $A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB")) << l[0];
    EXPECT_TRUE(ends_with(l[1], "\" $8B9..$8BD:                            $B9 BA BB BC BD")) << l[1];
    EXPECT_TRUE(ends_with(l[2], "\"")) << l[2];
    EXPECT_TRUE(ends_with(l[3], "\" LKBST:         $9D RKBST:         $9E MKBST:         $9F")) << l[3];
    EXPECT_EQ(l[6].rfind("MLINE:  \"", 0), 0u) << l[6];
    EXPECT_TRUE(ends_with(view, "\"\n\n"));
}

TEST_F(BiosViews, PipbugWorkspace) {
    on(PIPBUG, MAP_PIPBUG_1);
    stamp(0x0400, 0x0426);
    EXPECT_EQ(run("VIEW BIOS"), "COM  ($400..$408):  $00 01 02 03 04 05 06 07 08\n"
                                "XGOT ($409..$40C):  $09 0A 0B 0C\n"
                                "BUFF ($413..$426):  $13 14 15 16 17 18 19 1A 1B 1C\n"
                                "                    $1D 1E 1F 20 21 22 23 24 25 26\n"
                                "TEMP: $0D0E TEMQ: $0F10 TEMR:   $11 TEMS:   $12\n\n");
}

TEST_F(BiosViews, InstructorCd2650PhunsyAndSelbst) {
    on(INSTRUCTOR, MAP_INSTRUCTOR_BASIC);
    stamp(0x17C0, 0x17FF);
    std::string view = run("VIEW BIOS");
    EXPECT_EQ(view.rfind("$17C0: C0 C1 C2", 0), 0u) << view;
    EXPECT_NE(view.find("\n$17F0: F0 F1 F2"), std::string::npos) << view;
    EXPECT_EQ(lines(view).size(), 4u + 1) << view; // four rows, the blank line
    EXPECT_TRUE(ends_with(view, "\n\n"));

    on(CD2650, MAP_CD2650);
    stamp(0x17F6, 0x17FF);
    EXPECT_EQ(run("VIEW BIOS"), "BIOS RAM: \n"
                                "ADD:  $FAFB BKP:  $F6F7 BPD:  $F8F9 CUR:  $FEFF\n"
                                "LENT:   $FC SUMC:   $FD\n\n");

    on(PHUNSY, MAP_PHUNSY);
    stamp(0x0C00, 0x0FFF);
    view = run("VIEW BIOS");
    EXPECT_EQ(view.rfind("MDCR RAM ($C00..$E40): \n$0C00: 00 01 02", 0), 0u) << view;
    const size_t scratch = view.find("\nBIOS RAM (scratchpad) ($EE0..$F00):\n");
    const size_t buffer = view.find("\nBIOS RAM (command input buffer) ($F01..$FFF):\n");
    ASSERT_NE(scratch, std::string::npos) << view;
    ASSERT_NE(buffer, std::string::npos) << view;
    EXPECT_NE(view.rfind("$0E40: 40", scratch), std::string::npos) << "the MDCR area ends at $E40";
    const std::string vars = view.substr(scratch, buffer - scratch);
    // Twelve words from $EE0, then nine bytes up to $F00.
    for (const char* shown : {"ZB1A   $E0E1", "ZB2A   $E2E3", "CURS   $EEEF", "TOAD   $F6F7",
                              "BRTRES   $F8", "LOENRE   $FF", "INPRAM   $00"})
        EXPECT_NE(vars.find(shown), std::string::npos) << shown << "\n" << vars;
    EXPECT_NE(view.find("$0F01: 01", buffer), std::string::npos) << view;
    EXPECT_TRUE(ends_with(view, "\n\n")) << view;

    on(SELBST, MAP_SELBST);
    selbst_biosversion = 0;
    EXPECT_EQ(run("VIEW BIOS"), "Wrong guest machine!\n\n") << "no monitor, no monitor RAM";
}

// The TWIN's system tables lie where the chosen system keeps them.
TEST_F(BiosViews, TwinTablesFollowTheSystemVersion) {
    twin_dosversion = 6;
    on(TWIN, MAP_TWIN);
    struct Case {
        i32 version;
        const char* devices;
        u32 floppies;
        const char* floppy_heading;
    };
    for (const Case& c : {Case{0, "Devices ($235C..$24B7):", 0x24B9, "Floppy disk drives ($24B9..$24E8):"},
                          Case{1, "Devices ($2346..$24A1):", 0x24A3, "Floppy disk drives ($24A3..$24D2):"},
                          Case{3, "Devices ($2346..$24A1):", 0x24B7, "Floppy disk drives ($24B7..$24E6):"},
                          Case{5, "Devices ($2346..$24A1):", 0x24A3, "Floppy disk drives ($24A3..$24D2):"}}) {
        twin_dosversion = c.version;
        guest_memory[c.floppies] = 1;          // drive 0 valid
        guest_memory[c.floppies + 8] = 12;     // with 12 files
        guest_memory[c.floppies + 16] = 0x01;  // ID 258
        guest_memory[c.floppies + 17] = 0x02;
        guest_memory[c.floppies + 32] = 0x3A;  // bitmap at $3A80
        guest_memory[c.floppies + 33] = 0x80;
        const std::string view = run("VIEW BIOS");
        EXPECT_EQ(view.rfind("Jobs ($2050..$20CF):\n", 0), 0u) << c.version;
        EXPECT_NE(view.find(std::string("\n\n") + c.devices + "\n"), std::string::npos) << view;
        const size_t drives = view.find(std::string("\n\n") + c.floppy_heading + "\n");
        ASSERT_NE(drives, std::string::npos) << view;
        EXPECT_NE(view.find("\n    0 Valid      12   258  $3A80\n", drives), std::string::npos) << view;
        for (u32 a = c.floppies; a < c.floppies + 48; a++)
            guest_memory[a] = 0;
    }
    twin_dosversion = 6;
    EXPECT_EQ(run("VIEW BIOS"), "Wrong guest machine!\n\n");
}
