// File > Save screen > ASM...: the consoles' screens as assembler source that
// our own assembler takes back, with every data byte of the screen in it.
#include "assembler/asm.h"
#include "commands/command_table.h"
#include "core/emu.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "debugger/screen_asm.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ScreenAsm : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        std::snprintf(projects_path, sizeof projects_path, "%s", home.path().c_str());
    }
    void TearDown() override { fresh_state(); }
    std::string file(const char* name) const {
        std::ifstream f(home.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    // Saves the screen under `name`, clears `first`..`last`, assembles the
    // source and tells whether those bytes were found again in the result.
    void round_trip(const char* name, u32 first, u32 last) {
        for (u32 a = first; a <= last; a++)
            guest_memory[a] = static_cast<u8>(a * 7 + 3);
        const std::vector<u8> screen(guest_memory + first, guest_memory + last + 1);
        gui_headless_answer_file_requests({{0, home.path().string(), name}});
        file_save_screen_asm();
        const std::string source = file((std::string(name) + ".asm").c_str());
        ASSERT_FALSE(source.empty());
        EXPECT_EQ(source.substr(source.size() - 13), "\n        END\n");
        std::memset(guest_memory + first, 0, last - first + 1);
        EXPECT_EQ(asm_assemble_checked((home.path() / (std::string(name) + ".asm")).c_str()), 0)
            << source;
        const u8* found = std::search(guest_memory, guest_memory + GUEST_MEMORY_SIZE,
                                      screen.begin(), screen.end());
        EXPECT_NE(found, guest_memory + GUEST_MEMORY_SIZE) << source;
    }
    TempHome home{"screen-asm"};
};

TEST_F(ScreenAsm, ArcadiaScreenAssemblesBackWithItsBytes) {
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    round_trip("arcadia", 0x1800, 0x18CF); // the upper screen, one block of 13 rows
    const std::string source = file("arcadia.asm");
    for (const char* expected :
         {"        ORG     0\n\n        BCTA,un BOOT\n\n        RETE,un\n\nBOOT:\n",
          "        LODI,r1 208\nFIRST:\n        LODA,r0 UPPERSCRN-1,r1\n",
          "        BDRR,r1 FIFTH\n\n        HALT\n", "WRITEONLY:\n        DB      $", "IMAGERY:\n"})
        EXPECT_NE(source.find(expected), std::string::npos) << expected;
}

TEST_F(ScreenAsm, PviConsolesCarryTheirSpritesAndGrid) {
    ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
    round_trip("interton", 0x1F80, 0x1FAC); // the grid
    EXPECT_NE(file("interton.asm").find("        ORG     0\n"), std::string::npos);
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    round_trip("elektor", 0x1F00, 0x1F0D); // the first sprite
    EXPECT_NE(file("elektor.asm").find("        ORG     $900\n\n        BCTA,un BOOT\n"),
              std::string::npos);
}

TEST_F(ScreenAsm, TheItemSuggestsTheGameAndACancelWritesNothing) {
    ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
    file_loaded = 1;
    std::snprintf(game_file_name, sizeof game_file_name, "%s", "race.bin");
    gui_headless_answer_file_requests({{1, "", ""}});
    EXPECT_EQ(cmd_run(Cmd::PROJECT_SAVESCRN_ASM), nullptr);
    ASSERT_FALSE(gui_headless_file_requests().empty());
    const std::string shown = gui_headless_file_requests().back();
    EXPECT_NE(shown.find("|#?.ASM|save|"), std::string::npos) << shown;
    EXPECT_NE(shown.find("|race.asm"), std::string::npos) << shown;
    EXPECT_TRUE(fs::is_empty(home.path()));
    // Only the consoles have a screen to save this way.
    ASSERT_TRUE(machine_switch(PIPBUG, 9, true, true, false));
    EXPECT_NE(cmd_refusal(Cmd::PROJECT_SAVESCRN_ASM), nullptr);
}

} // namespace
