// The Guest Controls window's hover legend follows the pointer, and forgets
// the key once the pointer has left the picture.
#include "core/emu.h"
#include "tests/support/checkout_paths.h"
#include "core/machine.h"
#include "core/machine_controls.h"
#include "core/machine_table.h"
#include "gui/guest_controls_window.h"
#include "gui/tool_windows.h"
#include "input/controls.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

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

namespace {

// The labels drawn on each layout's keys: the generator that draws them
// writes each beside its rectangle in the table, "}, // <mark> <label>".
std::vector<std::vector<std::string>> drawn_labels() {
    std::ifstream in(std::string(test_data()) + "/../../input/controls_layouts.cpp");
    std::vector<std::vector<std::string>> layouts;
    for (std::string line; std::getline(in, line);) {
        const std::size_t c = line.find("}, // "), label = line.find(' ', c + 6);
        if (line.find(", {  // ") != std::string::npos) layouts.emplace_back();
        if (c != std::string::npos && !layouts.empty())
            layouts.back().push_back(label == std::string::npos ? "" : line.substr(label + 1));
    }
    return layouts;
}

// The name, or a shortening of it that keeps its first character ("CLR" for
// "CLEAR", "E" for "Enter").
bool shortens(std::string drawn, std::string name) {
    for (std::string* s : {&drawn, &name})
        for (char& c : *s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::size_t at = 0;
    for (char c : drawn)
        if ((at = name.find(c, at)) == std::string::npos)
            return false;
        else
            at++;
    return !drawn.empty() && drawn[0] == name[0];
}

// Opens the Guest Controls window on every picture of every machine that has
// one (each controller view, small and large), and hands it to `check`.
void each_picture(const std::function<void(u32 machine, int win)>& check) {
    for (u32 m = 0; m < MACHINES; m++) {
        if (!machine_table[m].traits.controls_window) continue;
        ASSERT_TRUE(machine_switch(static_cast<int>(m), machine_table[m].default_memmap, true, true,
                                   false));
        const MachineControls& mc = machine_controls();
        int views = 1;
        if (mc.view_names) mc.view_names(&views);
        for (int picture = 0; picture < views * (mc.large ? 2 : 1); picture++) {
            if (mc.view) *mc.view() = picture % views;
            if (mc.large) *mc.large = static_cast<u32>(picture / views);
            gui_open_guest_controls_window();
            ASSERT_NE(gui_subwin_window[TW_CONTROLS], 0) << machine_table[m].keyword;
            check(m, gui_subwin_window[TW_CONTROLS]);
            gui_close_subwindow(TW_CONTROLS);
        }
    }
}

} // namespace

// On every picture of every machine, each keypad key's own mark (its first: a
// fire button that also presses a keypad key keeps its own drawing) is drawn
// with the name the legend gives it when the pointer is over it.
TEST_F(GuestControlsWindow, EveryKeypadKeyIsDrawnWithTheNameItIsHoveredWith) {
    const auto labels = drawn_labels();
    ASSERT_EQ(labels.size(), static_cast<std::size_t>(CONTROLS_LAYOUTS));
    int compared = 0;
    each_picture([&](u32 m, int win) {
        const ControlsLayout& l = controls_current_layout();
        const auto& drawn = labels[static_cast<std::size_t>(&l - controls_layouts)];
        const GuiRect r = gui_gadget_rect(win, GID_CTRL_PICTURE);
        std::set<std::pair<int, int>> seen;
        for (int i = 0; i < l.count; i++) {
            const ControlsKeyRect& k = l.rects[i];
            if (k.x < 0 || k.player < 0 || k.key < 1 || k.key > 16 || k.on_panel ||
                !seen.insert({k.player, k.key}).second)
                continue;
            gui_headless_post(win, {GE_MOUSEMOVE,
                                    GID_CTRL_PICTURE,
                                    0,
                                    0,
                                    r.left + k.x + k.width / 2,
                                    r.top + k.y + k.height / 2,
                                    {}});
            gui_guest_controls_window_input();
            gui_subwin_ops[TW_CONTROLS].refresh(0);
            const std::string name = gui_get_text(win, GID_CTRL_GUEST_KEY);
            if (name.empty() || name == "-----") continue; // no legend, or no name
            EXPECT_TRUE(shortens(drawn.at(static_cast<std::size_t>(i)), name))
                << machine_table[m].keyword << " picture " << &l - controls_layouts << " mark " << i
                << ": \"" << drawn.at(static_cast<std::size_t>(i)) << "\" for \"" << name << "\"";
            compared++;
        }
    });
    EXPECT_GT(compared, 300);
}

// The hint stands once in every window with a legend, whichever picture it shows.
TEST_F(GuestControlsWindow, EveryLegendComesWithTheHoverHint) {
    each_picture([](u32 m, int win) {
        int hints = 0;
        std::function<void(const GuiNode&)> count = [&](const GuiNode& n) {
            hints += n.gid == GID_CTRL_HINT;
            for (const GuiNode& c : n.children)
                count(c);
        };
        count(gui_headless_desc(win)->root);
        EXPECT_EQ(hints, machine_controls().legend ? 1 : 0)
            << machine_table[m].keyword << " picture "
            << &controls_current_layout() - controls_layouts;
    });
}
