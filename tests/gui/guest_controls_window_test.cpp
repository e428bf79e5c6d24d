// The Guest Controls window's hover legend follows the pointer, and forgets
// the key once the pointer has left the picture.
#include "core/emu.h"
#include "core/machine.h"
#include "gui/guest_controls_window.h"
#include "gui/tool_windows.h"
#include "input/controls.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {
class GuestControlsWindow : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
};
} // namespace

TEST_F(GuestControlsWindow, TheLegendForgetsTheKeyWhenThePointerLeaves) {
    ASSERT_TRUE(machine_switch(ARCADIA, 8, true, true, false));
    gui_open_guest_controls_window();
    const int win = gui_subwin_window[TW_CONTROLS];
    ASSERT_NE(win, 0);
    // A point of the picture over a key.
    int kx = -1, ky = -1;
    for (int y = 0; y < 200 && kx < 0; y++)
        for (int x = 0; x < 320 && kx < 0; x++)
            if (controls_hit(x, y, false) >= 0) kx = x, ky = y;
    ASSERT_GE(kx, 0);
    const GuiRect r = gui_gadget_rect(win, GID_CTRL_PICTURE);
    GuiEvent move;
    move.type = GE_MOUSEMOVE;
    move.gid = GID_CTRL_PICTURE;
    move.x = r.left + kx;
    move.y = r.top + ky;
    gui_headless_post(win, move);
    gui_guest_controls_window_input();
    gui_subwin_ops[TW_CONTROLS].refresh(0);
    EXPECT_EQ(controls_hover_index, controls_hit(kx, ky, false));
    // The fields show the key's legend.
    const std::string guest_key = gui_get_text(win, GID_CTRL_GUEST_KEY);
    EXPECT_NE(guest_key, "");
    EXPECT_EQ(guest_key, controls_legend_text[1]);
    EXPECT_EQ(gui_get_text(win, GID_CTRL_HOST_KEYS), controls_legend_text[2]);
    move.x = move.y = -1; // the pointer left the picture
    gui_headless_post(win, move);
    gui_guest_controls_window_input();
    gui_subwin_ops[TW_CONTROLS].refresh(0);
    EXPECT_EQ(controls_hover_index, -1);
    EXPECT_EQ(gui_get_text(win, GID_CTRL_GUEST_KEY), controls_legend_text[1]);
}
