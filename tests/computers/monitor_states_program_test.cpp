// A state brings back the monitor it was saved under, with its memory map,
// whatever monitor was chosen before it was opened: the program saved in it
// runs as it did (the running program, driven through its port).
#include "tests/support/program_test.h"
#include "tests/support/checkout_paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>

namespace {

class MonitorStatesProgram : public ProgramTest {
  protected:
    void poke(int address, int value) {
        std::string result;
        char line[64];
        std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%X\"", address, value);
        ASSERT_EQ(send(line, &result), 0) << result;
    }
    // At `at` (xx40 of a page), paused: a loop that stores $55 at `target`
    // of the same 8K page forever, and the processor set to start it.
    void put_store_loop(int target, int at = 0x0440) {
        const int code[] = {0x04, 0x55, 0xCC, (target >> 8) & 0x1F, target & 0xFF,
                            0x1F, at >> 8, 0x45};
        for (int i = 0; i < 8; i++)
            poke(at + i, code[i]);
        std::string result;
        char line[64];
        std::snprintf(line, sizeof line, "DEBUGGER \"E IAR $%X\"", at);
        ASSERT_EQ(send(line, &result), 0) << result;
    }
    // The byte at `address` as PEEK gives it.
    std::string peek(int address) {
        std::string result;
        EXPECT_EQ(send("PEEK " + std::to_string(address), &result), 0) << result;
        return result;
    }
    // Whether the guest comes to hold `value` at `address`.
    bool comes_to_hold(int address, int value) {
        const std::string want = std::to_string(value);
        std::string result;
        return wait_until([&] {
            return send("PEEK " + std::to_string(address), &result) == 0 && result == want;
        });
    }
    // The program on `machine` with the monitor `monitor` chosen: choosing
    // it answers 0 when `present` (its image is in the roms drawer), else at
    // most a warning. Check with ASSERT_NO_FATAL_FAILURE.
    void start_on(const char* machine, const char* monitor, bool present = false) {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        std::string result;
        ASSERT_NE(send(std::string("SETMACHINE ") + machine, &result),
                  -1); // its ROMs missing: a warning
        const int rc = send(std::string("MENU SETTINGS.BIOS.") + monitor, &result);
        if (present)
            ASSERT_EQ(rc, 0) << result;
        else
            ASSERT_NE(rc, -1) << result;
    }
    // The machine saved as the state `name` in the home, its path in
    // `*state`. Check with ASSERT_NO_FATAL_FAILURE.
    void save_state(const std::string& name, std::string* state) {
        *state = (home.path() / name).string();
        std::string result;
        ASSERT_EQ(send("SAVEAS \"" + *state + "\"", &result), 0) << result;
    }
    // The monitor `monitor` chosen (its image may be missing: a warning).
    void choose(const char* monitor) {
        std::string result;
        ASSERT_NE(send(std::string("MENU SETTINGS.BIOS.") + monitor, &result), -1);
    }
    void open_state(const std::string& state) {
        std::string result;
        ASSERT_EQ(send("OPEN \"" + state + "\"", &result), 0) << result;
    }
    // Quits; the settings written then hold every line of `settings`.
    void quit(std::initializer_list<const char*> settings = {}) {
        std::string result;
        ASSERT_EQ(send("QUIT", &result), 0);
        ASSERT_EQ(wait_exit(), 0) << log();
        if (settings.size() == 0) return;
        const std::string written = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
        for (const char* line : settings)
            EXPECT_NE(written.find(line), std::string::npos) << line;
    }

    // A state of `machine` saved under the monitor `saved_under` (`present`:
    // see start_on), paused with a loop at `at` that stores $55 at `target`
    // (which holds 0), is opened with `opened_under` chosen: its program runs
    // under its own monitor's memory map and writes `target`. The port's
    // GETMEMMAP answers `map_before` before the state is opened, `map_after`
    // then (when given). Check with ASSERT_NO_FATAL_FAILURE.
    struct StoreLoopState {
        const char* machine;
        const char* saved_under;
        bool present;
        const char* opened_under;
        int target;
        int at;
        const char* map_before = nullptr;
        const char* map_after = nullptr;
    };
    void store_loop_state_runs(const StoreLoopState& c) {
        ASSERT_NO_FATAL_FAILURE(start_on(c.machine, c.saved_under, c.present));
        std::string result;
        ASSERT_EQ(send("PAUSE", &result), 0);
        ASSERT_NO_FATAL_FAILURE(put_store_loop(c.target, c.at));
        ASSERT_NO_FATAL_FAILURE(poke(c.target, 0));
        std::string state;
        ASSERT_NO_FATAL_FAILURE(save_state(std::string(c.saved_under) + ".cos", &state));

        ASSERT_NO_FATAL_FAILURE(choose(c.opened_under));
        if (c.map_before) {
            ASSERT_EQ(send("GETMEMMAP", &result), 0);
            ASSERT_EQ(result, c.map_before);
        }
        ASSERT_NO_FATAL_FAILURE(open_state(state));
        if (c.map_after) {
            EXPECT_EQ(send("GETMEMMAP", &result), 0);
            EXPECT_EQ(result, c.map_after);
        }
        ASSERT_EQ(send("UNPAUSE", &result), 0);
        EXPECT_TRUE(comes_to_hold(c.target, 0x55));
    }
};

// Every machine whose monitor or disk system ROM is chosen in the settings:
// a state saved under one choice and opened under the other brings its own
// ROM back, with the debugger's rows of it (the listing of the ROM shows its
// bytes and labels as under that choice). Each ROM image is filled with a
// byte of its own.
TEST_F(MonitorStatesProgram, AStateBringsItsRomAndItsDebuggerRows) {
    struct Image {
        const char* file;
        int size;
        char fill;
    };
    struct Choice {
        const char* machine;
        const char* saved_under; // MENU SETTINGS.<item>
        const char* opened_under;
        Image images[2];
        const char* listing; // DIS range inside the ROM
    };
    const Choice choices[] = {
        {"ELEKTOR", "BIOS.HOBBYMODULE", "BIOS.PHILIPS",
         {{"elektor_philips.bin", 2048, '\x11'}, {"elektor_hobby.bin", 2048, '\x22'}},
         "$56 $58"}, // the Hobby Module's OUTPUT1 at $57
        {"ELEKTOR", "BIOS.PHILIPS", "BIOS.HOBBYMODULE",
         {{"elektor_philips.bin", 2048, '\x11'}, {"elektor_hobby.bin", 2048, '\x22'}},
         "$FF $101"},
        {"SELBST", "BIOS.SELBST10", "BIOS.SELBST20",
         {{"selbst10.bin", 2048, '\x10'}, {"selbst20.bin", 2048, '\x20'}}, "$0 $2"},
        {"PHUNSY", "BIOS.PHUNSY", "BIOS.MINIMONITOR",
         {{"phunsy.bin", 2048, '\x33'}, {"phunsy_minimon.bin", 512, '\x44'}}, "$0 $2"},
        {"PIPBUG", "BIOS.PIPBUG1", "BIOS.PIPBUG2",
         {{"pipbug1.bin", 1024, '\x55'}, {"pipbug2.bin", 2048, '\x66'}}, "$0 $2"},
        {"BINBUG", "BIOS.BINBUG61", "BIOS.GBUG",
         {{"binbug61.bin", 1024, '\x77'}, {"gbug.bin", 1024, '\x08'}}, "$0 $2"},
        {"BINBUG", "DOS.MICRODOS", "DOS.VHSDOS",
         {{"binbug_microdos.bin", 2017, '\x0B'}, {"binbug_vhsdos.bin", 2042, '\x0C'}},
         "$6800 $6802"},
        {"CD2650", "BIOS.POPMON", "BIOS.SUPERVISOR",
         {{"cd2650_popmon.bin", 3072, '\x19'}, {"cd2650_supervisor.bin", 1023, '\x2A'}},
         "$0 $2"},
    };
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    for (const Choice& c : choices)
        for (const Image& image : c.images)
            test_write_file(home.path() / "roms" / image.file, std::string(image.size, image.fill));
    std::string result;
    for (const Choice& c : choices) {
        SCOPED_TRACE(std::string(c.machine) + " " + c.saved_under);
        const std::string listing = std::string("DEBUGGER \"DIS ") + c.listing + "\"";
        ASSERT_NE(send(std::string("SETMACHINE ") + c.machine, &result), -1);
        ASSERT_EQ(send("PAUSE", &result), 0);
        ASSERT_NE(send(std::string("MENU SETTINGS.") + c.saved_under, &result), -1); // a warning
        std::string saved_rom;
        ASSERT_EQ(send(listing, &saved_rom), 0);
        std::string state;
        ASSERT_NO_FATAL_FAILURE(save_state("rom_choice.cos", &state));
        ASSERT_NE(send(std::string("MENU SETTINGS.") + c.opened_under, &result), -1);
        ASSERT_EQ(send(listing, &result), 0);
        ASSERT_NE(result, saved_rom) << "the other choice lists another ROM";
        ASSERT_NO_FATAL_FAILURE(open_state(state));
        ASSERT_EQ(send(listing, &result), 0);
        EXPECT_EQ(result, saved_rom);
    }
    quit();
}

// PIPBUG 1 keeps its RAM from $0400 on (memory map 9); Artemis makes
// $0000-$0FFF its ROM (map 13). A PIPBUG 1 state opened with Artemis chosen
// is a PIPBUG 1 again: its program writes its RAM, and the settings written
// at the end name one monitor and its map.
TEST_F(MonitorStatesProgram, APipbugStateTakesItsMonitorAndMemoryMap) {
    ASSERT_NO_FATAL_FAILURE(
        store_loop_state_runs({"PIPBUG", "PIPBUG1", true, "ARTEMIS", 0x0500, 0x0440, "N", "J"}));
    quit({"\nmemorymap=9\n", "\npipbug_biosversion=2\n"});
}

// GBUG keeps $0438 as a fixed byte; BINBUG 3.5 has RAM there. A BINBUG 3.5
// state opened with GBUG chosen writes it.
TEST_F(MonitorStatesProgram, ABinbugStateTakesItsMonitorsMarks) {
    ASSERT_NO_FATAL_FAILURE(
        store_loop_state_runs({"BINBUG", "BINBUG35", false, "GBUG", 0x0438, 0x0440}));
    quit();
}

// The PHUNSY monitor has RAM at $2000-$3FFF; under the Mini-Monitor that
// area is not there.
TEST_F(MonitorStatesProgram, APhunsyStateTakesItsMonitorsMemoryMap) {
    ASSERT_NO_FATAL_FAILURE(
        store_loop_state_runs({"PHUNSY", "PHUNSY", false, "MINIMONITOR", 0x2100, 0x2440}));
    quit();
}

// The Selbstbaucomputer's state holds its RAM, not the monitor ROM below it:
// opened with another monitor chosen, the state's monitor ROM is read again.
TEST_F(MonitorStatesProgram, ASelbstStateTakesItsMonitorsRom) {
    std::filesystem::create_directories(home.path() / "roms");
    test_write_file(home.path() / "roms" / "selbst10.bin", std::string(2048, '\x10'));
    test_write_file(home.path() / "roms" / "selbst20.bin", std::string(2048, '\x20'));
    ASSERT_NO_FATAL_FAILURE(start_on("SELBST", "SELBST10"));
    ASSERT_EQ(peek(0), "16");
    std::string state;
    ASSERT_NO_FATAL_FAILURE(save_state("selbst10.cos", &state));

    ASSERT_NO_FATAL_FAILURE(choose("SELBST20"));
    ASSERT_EQ(peek(0), "32");
    ASSERT_NO_FATAL_FAILURE(open_state(state));
    EXPECT_EQ(peek(0), "16");
    quit({"\nselbst_biosversion=2\n"});
}

// Without a monitor the Selbstbaucomputer's $0000-$07FF is RAM that holds the
// user's program: a state keeps it, also when it is opened under a monitor.
TEST_F(MonitorStatesProgram, ASelbstStateWithoutAMonitorKeepsItsRam) {
    std::filesystem::create_directories(home.path() / "roms");
    test_write_file(home.path() / "roms" / "selbst20.bin", std::string(2048, '\x20'));
    ASSERT_NO_FATAL_FAILURE(start_on("SELBST", "SELBSTNONE", true));
    std::string result;
    ASSERT_EQ(send("PAUSE", &result), 0);
    ASSERT_NO_FATAL_FAILURE(put_store_loop(0x0500, 0x0140));
    poke(0x07FF, 0xA7);
    std::string state;
    ASSERT_NO_FATAL_FAILURE(save_state("none.cos", &state));

    poke(0x0140, 0xCD);
    poke(0x07FF, 0x00);
    ASSERT_NO_FATAL_FAILURE(open_state(state));
    EXPECT_EQ(peek(0x0140), "4"); // LODI,r0 of the loop
    EXPECT_EQ(peek(0x0141), "85");
    EXPECT_EQ(peek(0x07FF), "167");

    ASSERT_NO_FATAL_FAILURE(choose("SELBST20"));
    ASSERT_EQ(peek(0x0140), "32");
    ASSERT_NO_FATAL_FAILURE(open_state(state));
    EXPECT_EQ(peek(0x0140), "4");
    EXPECT_EQ(peek(0x07FF), "167");
    poke(0x0140, 0x11);
    EXPECT_EQ(peek(0x0140), "17") << "the area is RAM again";
    quit();
}

// A Selbstbaucomputer state saved before states held that RAM (version 39,
// no monitor, $0900 = $5A, $1234 = $77) opens as it did: its memory from
// $0800 on comes back, the area below is left empty; saved again it is of
// today's version and holds that area.
TEST_F(MonitorStatesProgram, AnEarlierSelbstStateStillOpens) {
    const std::filesystem::path old =
        std::filesystem::path(test_data()) / "old_states" / "selbst_none_v39.cos";
    const std::string old_bytes = test_read_file(old);
    ASSERT_EQ(old_bytes[1], 39);
    ASSERT_NO_FATAL_FAILURE(start_on("SELBST", "SELBST20", true));
    std::string result;
    ASSERT_EQ(send("PAUSE", &result), 0);
    ASSERT_NO_FATAL_FAILURE(open_state(old.string()));
    ASSERT_EQ(send("GETMACHINE", &result), 0);
    EXPECT_EQ(result, "SELBST");
    EXPECT_EQ(peek(0x0900), "90");
    EXPECT_EQ(peek(0x1234), "119");
    EXPECT_EQ(peek(0x0100), "0");

    poke(0x0100, 0x3C);
    std::string again;
    ASSERT_NO_FATAL_FAILURE(save_state("again.cos", &again));
    const std::string now = test_read_file(again);
    ASSERT_EQ(now.size(), old_bytes.size() + 0x0800);
    EXPECT_EQ(now[1], 40) << "saved again in today's form";
    poke(0x0100, 0);
    ASSERT_NO_FATAL_FAILURE(open_state(again));
    EXPECT_EQ(peek(0x0100), "60");
    EXPECT_EQ(peek(0x0900), "90");
    quit();
}

// POPMON's 3 KB ROM makes $0500 monitor code; under the 1 KB Supervisor it
// is not. A POPMON state opened with the Supervisor chosen reports a call
// into $0500 as a call into the monitor.
TEST_F(MonitorStatesProgram, ACd2650StateTakesItsMonitorsMarks) {
    ASSERT_NO_FATAL_FAILURE(start_on("CD2650", "POPMON"));
    std::string result;
    ASSERT_EQ(send("PAUSE", &result), 0);
    const int call[] = {0x3F, 0x05, 0x00}; // BSTA,un $0500
    for (int i = 0; i < 3; i++)
        poke(0x1500 + i, call[i]);
    ASSERT_EQ(send("DEBUGGER \"E IAR $1500\"", &result), 0) << result;
    std::string state;
    ASSERT_NO_FATAL_FAILURE(save_state("popmon.cos", &state));

    ASSERT_NO_FATAL_FAILURE(choose("SUPERVISOR"));
    ASSERT_NO_FATAL_FAILURE(open_state(state));
    ASSERT_EQ(send("DEBUGGER \"L B\"", &result), 0);
    ASSERT_EQ(result, "Log BIOS calls on.\n\n");
    ASSERT_EQ(send("UNPAUSE", &result), 0);
    EXPECT_TRUE(printed("BIOS code at $500 was called by game code at $1500."));
    quit({"\ncd2650_biosversion=1\n"});
}

} // namespace
