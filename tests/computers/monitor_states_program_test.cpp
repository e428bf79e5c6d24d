// A state brings back the monitor it was saved under, with its memory map,
// whatever monitor was chosen before it was opened: the program saved in it
// runs as it did (the running program, driven through its port).
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <string>
#include <thread>

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
    // Whether the guest comes to hold `value` at `address` within five seconds.
    bool comes_to_hold(int address, int value) {
        const std::string want = std::to_string(value);
        std::string result;
        for (int i = 0; i < 50; i++) {
            if (send("PEEK " + std::to_string(address), &result) == 0 && result == want) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
};

// PIPBUG 1 keeps its RAM from $0400 on (memory map 9); Artemis makes
// $0000-$0FFF its ROM (map 13). A PIPBUG 1 state opened with Artemis chosen
// is a PIPBUG 1 again: its program writes its RAM, and the settings written
// at the end name one monitor and its map.
TEST_F(MonitorStatesProgram, APipbugStateTakesItsMonitorAndMemoryMap) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_NE(send("SETMACHINE PIPBUG", &result), -1); // its ROMs missing: a warning
    ASSERT_EQ(send("MENU SETTINGS.BIOS.PIPBUG1", &result), 0) << result;
    ASSERT_EQ(send("PAUSE", &result), 0);
    put_store_loop(0x0500);
    const std::string state = (home.path() / "pipbug1.cos").string();
    ASSERT_EQ(send("SAVEAS \"" + state + "\"", &result), 0) << result;

    ASSERT_NE(send("MENU SETTINGS.BIOS.ARTEMIS", &result), -1);
    ASSERT_EQ(send("GETMEMMAP", &result), 0);
    ASSERT_EQ(result, "N");
    ASSERT_EQ(send("OPEN \"" + state + "\"", &result), 0) << result;
    EXPECT_EQ(send("GETMEMMAP", &result), 0);
    EXPECT_EQ(result, "J");
    ASSERT_EQ(send("UNPAUSE", &result), 0);
    EXPECT_TRUE(comes_to_hold(0x0500, 0x55));

    ASSERT_EQ(send("QUIT", &result), 0);
    ASSERT_EQ(wait_exit(), 0) << log();
    const std::string settings = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
    EXPECT_NE(settings.find("\nmemorymap=9\n"), std::string::npos);
    EXPECT_NE(settings.find("\npipbug_biosversion=2\n"), std::string::npos);
}

// GBUG keeps $0438 as a fixed byte; BINBUG 3.5 has RAM there. A BINBUG 3.5
// state opened with GBUG chosen writes it.
TEST_F(MonitorStatesProgram, ABinbugStateTakesItsMonitorsMarks) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_NE(send("SETMACHINE BINBUG", &result), -1);
    ASSERT_NE(send("MENU SETTINGS.BIOS.BINBUG35", &result), -1) << result;
    ASSERT_EQ(send("PAUSE", &result), 0);
    put_store_loop(0x0438);
    poke(0x0438, 0);
    const std::string state = (home.path() / "binbug35.cos").string();
    ASSERT_EQ(send("SAVEAS \"" + state + "\"", &result), 0) << result;

    ASSERT_NE(send("MENU SETTINGS.BIOS.GBUG", &result), -1);
    ASSERT_EQ(send("OPEN \"" + state + "\"", &result), 0) << result;
    ASSERT_EQ(send("UNPAUSE", &result), 0);
    EXPECT_TRUE(comes_to_hold(0x0438, 0x55));
    ASSERT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

// The PHUNSY monitor has RAM at $2000-$3FFF; under the Mini-Monitor that
// area is not there.
TEST_F(MonitorStatesProgram, APhunsyStateTakesItsMonitorsMemoryMap) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_NE(send("SETMACHINE PHUNSY", &result), -1);
    ASSERT_NE(send("MENU SETTINGS.BIOS.PHUNSY", &result), -1) << result;
    ASSERT_EQ(send("PAUSE", &result), 0);
    put_store_loop(0x2100, 0x2440);
    const std::string state = (home.path() / "phunsy.cos").string();
    ASSERT_EQ(send("SAVEAS \"" + state + "\"", &result), 0) << result;

    ASSERT_NE(send("MENU SETTINGS.BIOS.MINIMONITOR", &result), -1);
    ASSERT_EQ(send("OPEN \"" + state + "\"", &result), 0) << result;
    ASSERT_EQ(send("UNPAUSE", &result), 0);
    EXPECT_TRUE(comes_to_hold(0x2100, 0x55));
    ASSERT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

// The Selbstbaucomputer's state holds its RAM, not the monitor ROM below it:
// opened with another monitor chosen, the state's monitor ROM is read again.
TEST_F(MonitorStatesProgram, ASelbstStateTakesItsMonitorsRom) {
    std::filesystem::create_directories(home.path() / "roms");
    test_write_file(home.path() / "roms" / "selbst10.bin", std::string(2048, '\x10'));
    test_write_file(home.path() / "roms" / "selbst20.bin", std::string(2048, '\x20'));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_NE(send("SETMACHINE SELBST", &result), -1);
    ASSERT_NE(send("MENU SETTINGS.BIOS.SELBST10", &result), -1) << result;
    ASSERT_EQ(send("PEEK 0", &result), 0);
    ASSERT_EQ(result, "16");
    const std::string state = (home.path() / "selbst10.cos").string();
    ASSERT_EQ(send("SAVEAS \"" + state + "\"", &result), 0) << result;

    ASSERT_NE(send("MENU SETTINGS.BIOS.SELBST20", &result), -1);
    ASSERT_EQ(send("PEEK 0", &result), 0);
    ASSERT_EQ(result, "32");
    ASSERT_EQ(send("OPEN \"" + state + "\"", &result), 0) << result;
    EXPECT_EQ(send("PEEK 0", &result), 0);
    EXPECT_EQ(result, "16");
    ASSERT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
    const std::string settings = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
    EXPECT_NE(settings.find("\nselbst_biosversion=2\n"), std::string::npos);
}

} // namespace
