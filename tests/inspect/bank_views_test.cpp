// The memory editor follows what the guest switches in: a PHUNSY bank, the
// TWIN's other processor board and a coin-op ROM bank show with their own
// contents, colours and hints after the next event pass.
#include "computers/phunsy.h"
#include "computers/twin.h"
#include "core/emu.h"
#include "core/io_ports.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "inspect/memory_editor_window.h"
#include "inspect/memory_views.h"
#include "machines/malzak.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class BankViews : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        memory_editor_window_register();
        memedit_views_reset();
    }
    void TearDown() override {
        gui_close_subwindow(TW_MEMORY);
        fresh_state();
    }
    // The memory editor open on the page of `address`, showing the guest as it is.
    void show(u32 machine_number, u32 map, u32 address) {
        ASSERT_TRUE(machine_switch(static_cast<int>(machine_number), static_cast<int>(map), true,
                                   true, false));
        memedit_base = address & ~0xFFu;
        gui_memory_window();
        ASSERT_NE(window(), 0);
        gui_apply_changes();
        mon_memory_view_refresh(1);
        cell = static_cast<int>(address & 0xFF);
    }
    static int window() { return gui_subwin_window[TW_MEMORY]; }
    std::string hint() const { return gui_headless_hint(window(), GID_MEM_CELL + cell); }
    int background() const { return gui_headless_background(window(), GID_MEM_CELL + cell); }
    static std::string contents(u8 byte) {
        char text[32];
        std::snprintf(text, sizeof text, "Contents: $%02X", byte);
        return text;
    }
    int cell = 0;
};

TEST_F(BankViews, ASwitchedBankIsShownWhole) {
    // PHUNSY: U bank 1 is ROM where bank 0 is RAM, with the same byte at $1800.
    phunsy_biosversion = 1;
    show(PHUNSY, MAP_PHUNSY, 0x1800);
    guest_memory[0x1800] = 0x00;
    phunsy_ubank_store[1][0] = 0x00;
    phunsy_ubank_store[1][1] = 0x3C;
    mon_memory_view_refresh(1);
    const int ram = background();
    io_write_port(IO_CONTROL_PORT, 0x10); // the guest selects U bank 1
    gui_apply_changes();
    EXPECT_TRUE(mem_attributes[0x1800] & MEM_UNWRITABLE);
    EXPECT_NE(background(), ram) << "the ROM bank's colour";
    cell = 1;
    EXPECT_NE(hint().find(contents(0x3C)), std::string::npos) << hint();
    gui_close_subwindow(TW_MEMORY);

    // TWIN: the slave's shared memory replaces the master's boot ROM at $0000.
    show(TWIN, MAP_TWIN, 0x0000);
    ASSERT_EQ(twin_slave_active, 0u);
    twin_common_memory[0] = guest_memory[0];
    twin_common_memory[1] = static_cast<u8>(guest_memory[1] ^ 0x5A);
    const int rom = background();
    twin_switch_to_slave(); // what the master's HALT does
    gui_apply_changes();
    EXPECT_FALSE(mem_attributes[0] & MEM_UNWRITABLE);
    EXPECT_NE(background(), rom) << "the slave's RAM colour";
    cell = 1;
    EXPECT_NE(hint().find(contents(twin_common_memory[1])), std::string::npos) << hint();
    gui_close_subwindow(TW_MEMORY);

    // Malzak 2: the guest's port 64 selects the other ROM bank of region A.
    show(MALZAK, MAP_MALZAK_2, 0x0C00);
    malzak_banks[1024] = static_cast<u8>(guest_memory[0x0C00] ^ 0x81);
    io_write_port(64, 0x40);
    gui_apply_changes();
    EXPECT_EQ(malzak_bank_a, 1);
    EXPECT_NE(hint().find(contents(malzak_banks[1024])), std::string::npos) << hint();
}

} // namespace
