// The video chip monitor on the headless window layer: which panels each
// machine shows, where its buttons point, how the rows follow guest memory,
// what clicks do, and the paddle picture against reviewed pictures.
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "cpu/bus.h"
#include "cpu/memory.h"
#include "debugger/memory_commands.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "inspect/address_text.h"
#include "inspect/monitor_rows.h"
#include "inspect/video_monitor_panels.h"
#include "inspect/video_monitor_window.h"
#include "machines/pvi2636.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

class VideoMonitor : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        video_monitor_window_register();
    }
    void TearDown() override { fresh_state(); }
    static int win() { return gui_subwin_window[TW_VIDEO_CHIP]; }
    static int gid(int row) { return MON_ROW_GADGET + row; }
    static void post(const GuiEvent& e) {
        gui_headless_post(win(), e);
        gui_subwindows_input();
    }
    static void open_on(u32 m, u32 map) {
        gui_close_subwindow(TW_VIDEO_CHIP);
        ASSERT_TRUE(machine_switch(m, map, false, false, false));
        gui_open_tool_window(TW_VIDEO_CHIP);
    }
    static const GuiNode& root() { return gui_headless_desc(win())->root; }
};

void walk(const GuiNode& n, const std::function<void(const GuiNode&)>& visit) {
    visit(n);
    for (const GuiNode& c : n.children)
        walk(c, visit);
}
// The framed groups' titles, top to bottom and left to right.
std::vector<std::string> titles(const GuiNode& root) {
    std::vector<std::string> out;
    walk(root, [&](const GuiNode& n) {
        if (n.framed) out.push_back(n.text);
    });
    return out;
}
// The line or cell that starts with the label `text`: the gadget ids after
// it, 0 for a blank cell.
std::vector<int> cell(const GuiNode& root, const std::string& text) {
    std::vector<int> gids;
    walk(root, [&](const GuiNode& n) {
        if (!gids.empty() || n.kind != GK_HGROUP || n.children.empty() ||
            n.children[0].text != text)
            return;
        for (std::size_t i = 1; i < n.children.size(); i++)
            if (n.children[i].kind != GK_SPACE) gids.push_back(n.children[i].gid);
    });
    return gids;
}
bool has_text(const GuiNode& root, const std::string& text) {
    bool found = false;
    walk(root, [&](const GuiNode& n) { found = found || n.text == text; });
    return found;
}

} // namespace

TEST_F(VideoMonitor, EachMachineShowsItsPanelsAndHints) {
    struct Case {
        u32 machine, map;
        std::vector<std::string> titles;
        std::size_t hints;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {ARCADIA, MAP_ARCADIA_EMERSON, {"2637 UVI Status", "Paddles", "UVI RAM Contents"}, 113},
        {INTERTON, MAP_INTERTON_A,
         {"2636 PVI Status", "Other Registers", "Paddles", "PVI RAM Contents"}, 73},
        {ELEKTOR, MAP_ELEKTOR_BASIC, {"2636 PVI Status", "Other Registers", "Paddles"}, 38},
        {BINBUG, MAP_BINBUG, {"Paddles"}, 0},
        {PONG, MAP_PONG_8600, {"Paddles"}, 0},
        {ZACCARIA, MAP_ASTRO_WARS, {"2636 PVI Status"}, 28},
        {ZACCARIA, MAP_GALAXIA, {"2636 PVI #1 Status", "2636 PVI #2 Status", "2636 PVI #3 Status"}, 84},
        {MALZAK, MAP_MALZAK_1, {"2636 PVI #1 Status", "2636 PVI #2 Status"}, 56},
    };
    // clang-format on
    for (const Case& c : cases) {
        paddle_pic_x[0] = 7; // the opening's refresh draws the picture, where there is one
        paddle_x[0] = 255;
        open_on(c.machine, c.map);
        ASSERT_NE(win(), 0) << c.machine;
        EXPECT_EQ(gui_headless_title(win()), "Real-Time UVI/PVI(s) Monitor");
        EXPECT_EQ(titles(root()), c.titles) << c.machine << "/" << c.map;
        EXPECT_EQ(mon_video_hints.size(), c.hints) << c.machine << "/" << c.map;
        EXPECT_EQ(has_text(root(), "Hover over a button for more information."), c.hints > 0);
        const bool paddles =
            std::find(c.titles.begin(), c.titles.end(), "Paddles") != c.titles.end();
        EXPECT_EQ(paddle_pic_x[0], paddles ? 95 : 7) << c.machine;
        EXPECT_EQ(gui_gadgets[GID_PADDLES_PICTURE] == win(), paddles);
    }
    // Only the Elektor's console panel has the cassette bytes; the paddles
    // stand to the right of its panels (the main row's second child).
    open_on(ELEKTOR, MAP_ELEKTOR_BASIC);
    EXPECT_EQ(cell(root(), "CASIN:"), std::vector<int>{gid(141)});
    EXPECT_EQ(root().children[0].children.size(), 2u);
    open_on(INTERTON, MAP_INTERTON_A);
    EXPECT_TRUE(cell(root(), "CASIN:").empty());
    // Other machines have no window, and say nothing.
    open_on(PIPBUG, MAP_PIPBUG_1);
    EXPECT_EQ(win(), 0);
    EXPECT_TRUE(gui_headless_requesters().empty());
}

TEST_F(VideoMonitor, ButtonsShowTheirRegistersAndRamAsAHexDump) {
    open_on(ARCADIA, MAP_ARCADIA_EMERSON);
    const std::vector<int> sprite0 = cell(root(), "SPRITE0X,Y:");
    ASSERT_EQ(sprite0.size(), 2u);
    EXPECT_EQ(monitor_reg_address(sprite0[0] - MON_ROW_GADGET), 0x18F1u);
    EXPECT_EQ(monitor_reg_address(sprite0[1] - MON_ROW_GADGET), 0x18F0u);
    // The RAM cells stand in the column of their address's low nibble.
    const std::vector<int> line = cell(root(), "$18F8..$18FB:");
    ASSERT_EQ(line.size(), 16u);
    for (int c = 0; c < 16; c++)
        EXPECT_EQ(line[c], c >= 8 && c <= 11 ? gid(53 + c - 8) : 0) << c;
    char hint[INFO_TEXT_SIZE];
    addr_info_text(0x18F1, hint, sizeof hint);
    EXPECT_EQ(gui_headless_hint(win(), sprite0[0]), hint);

    open_on(INTERTON, MAP_INTERTON_A);
    const std::vector<int> sprite0a = cell(root(), "SPRITE0AX,Y:");
    ASSERT_EQ(sprite0a.size(), 2u);
    EXPECT_EQ(monitor_reg_address(sprite0a[0] - MON_ROW_GADGET), pvi_base + 0x0Au);
    EXPECT_EQ(monitor_reg_address(sprite0a[1] - MON_ROW_GADGET), pvi_base + 0x0Cu);
    const std::vector<int> last = cell(root(), "$1FAD:");
    ASSERT_EQ(last.size(), 16u);
    for (int c = 0; c < 16; c++)
        EXPECT_EQ(last[c], c == 13 ? gid(187) : 0) << c;
    EXPECT_EQ(cell(root(), "$1F60..$1F6D:").back(), 0);
}

TEST_F(VideoMonitor, RowsFollowMemoryAndOnlyALowByteForces) {
    open_on(ARCADIA, MAP_ARCADIA_EMERSON);
    guest_memory[0x18F1] = 0x5A;
    guest_memory[0x1AFF] = 0xC3;
    mon_video_refresh(0);
    EXPECT_EQ(gui_get_text(win(), gid(105)), "5A");
    EXPECT_EQ(gui_get_text(win(), gid(104)), "C3");
    const long calls = gui_headless_setter_calls();
    mon_video_refresh(0x100); // nothing changed, and 0x100 is no force
    EXPECT_EQ(gui_headless_setter_calls(), calls);
    guest_memory[0x19F9] = 0x11; // BGCOLOUR: its text and its colour
    mon_video_refresh(0);
    EXPECT_EQ(gui_headless_setter_calls(), calls + 2);
    mon_video_refresh(1);
    EXPECT_EQ(gui_headless_setter_calls(), calls + 2 + 2 * 113);
    // Rows of a machine without them stay untouched: the PVI's on the Arcadia.
    EXPECT_FALSE(mon_reg_table[MON_PVI1_FIRST].enabled);
}

TEST_F(VideoMonitor, ClicksEditTheirRegisterAndMiddleClicksWatch) {
    open_on(ZACCARIA, MAP_GALAXIA);
    ASSERT_EQ(pvi_base, 0x1500u);
    const std::vector<int> sizes2 = cell(root(), "SIZES2:");
    ASSERT_EQ(sizes2.size(), 1u);
    GuiEvent e;
    e.type = GE_GADGET;
    e.gid = sizes2[0];
    post(e);
    EXPECT_EQ(edit_target, 0x16C0u);
    EXPECT_EQ(edit_max, 255);
    // A middle click on PVI #3's first sprite's X sets a watchpoint, a second
    // clears it; the left button does nothing.
    const int row = MON_PVI3_FIRST + (125 - MON_PVI1_FIRST);
    const u32 a = monitor_reg_address(row);
    EXPECT_EQ(a, 0x170Au);
    const GuiRect r = gui_gadget_rect(win(), gid(row));
    e = GuiEvent{};
    e.type = GE_MOUSEBUTTON;
    e.code = 2 + RAWKEY_UP;
    e.x = (r.left + r.right) / 2;
    e.y = (r.top + r.bottom) / 2;
    post(e);
    EXPECT_TRUE(mem_attributes[a] & MEM_WATCH);
    post(e);
    EXPECT_FALSE(mem_attributes[a] & MEM_WATCH);
    e.code = 1 + RAWKEY_UP;
    post(e);
    EXPECT_FALSE(mem_attributes[a] & MEM_WATCH);
    e = GuiEvent{};
    e.type = GE_RAWKEY;
    e.code = RAW_ESC;
    post(e);
    EXPECT_EQ(win(), 0);
}

// ---- the paddle picture ----------------------------------------------------------------------

namespace {

IndexedPicture paddle_picture() {
    IndexedPicture p;
    p.width = p.height = PADDLE_PICTURE;
    p.pixels.assign(mon_paddles_pixels(), mon_paddles_pixels() + PADDLE_PICTURE * PADDLE_PICTURE);
    p.palette.assign(gui_pens, gui_pens + GUI_PENS);
    return p;
}

void set_paddles(i32 x1, i32 y1, i32 x2, i32 y2, i32 y3 = 128, i32 y4 = 128) {
    paddle_x[0] = x1;
    paddle_y[0] = y1;
    paddle_x[1] = x2;
    paddle_y[1] = y2;
    paddle_y[2] = y3;
    paddle_y[3] = y4;
    mon_paddles_refresh();
}

} // namespace

TEST_F(VideoMonitor, PaddlePictureMatchesReviewedPictures) {
    struct Case {
        const char* name;
        u32 machine, map;
        i32 x1, y1, x2, y2, y3, y4;
    };
    // Picture coordinates are value * 3 / 8: 128 -> 48, 54 -> 20, 59 -> 22,
    // 62 -> 23, 80 -> 30, 86 -> 32, 255 -> 95.
    const Case cases[] = {
        // Paddle 1's block at the centre; paddle 2's vector, drawn later,
        // starts from its middle pixel.
        {"paddles_centre", ARCADIA, MAP_ARCADIA_EMERSON, 128, 128, 200, 40, 128, 128},
        // Both corners: the end blocks lose what lies outside.
        {"paddles_corners", INTERTON, MAP_INTERTON_A, 0, 0, 255, 255, 128, 128},
        // Ends 2 pixels apart on both axes: both black; 3 apart: their own colours.
        {"paddles_near", ELEKTOR, MAP_ELEKTOR_BASIC, 54, 80, 59, 86, 128, 128},
        {"paddles_apart", ELEKTOR, MAP_ELEKTOR_BASIC, 54, 80, 62, 80, 128, 128},
        // Four bats; bat 4's end is near paddle 2's (bats 3 and 4 are
        // tested on the centre column).
        {"paddles_four_bats", PONG, MAP_PONG_8550, 40, 200, 133, 60, 20, 64},
        // Two bats, but paddle 1 turns black near where bat 3's end would be.
        {"paddles_second_bats_near", PONG, MAP_PONG_8600, 123, 54, 220, 200, 59, 250},
    };
    for (const Case& c : cases) {
        open_on(c.machine, c.map);
        ASSERT_NE(win(), 0) << c.name;
        set_paddles(c.x1, c.y1, c.x2, c.y2, c.y3, c.y4);
        EXPECT_EQ(check_golden_picture(c.name, paddle_picture()), "") << c.name;
        // The window shows what was drawn.
        int w = 0, h = 0;
        const std::vector<u32> shown = gui_headless_display(win(), GID_PADDLES_PICTURE, &w, &h);
        std::vector<u32> drawn;
        for (int i = 0; i < PADDLE_PICTURE * PADDLE_PICTURE; i++)
            drawn.push_back(gui_pens[mon_paddles_pixels()[i]]);
        EXPECT_EQ(shown, drawn) << c.name;
    }
}

TEST_F(VideoMonitor, PaddleVectorsMoveWithoutTraces) {
    open_on(INTERTON, MAP_INTERTON_A);
    set_paddles(10, 250, 240, 30);
    set_paddles(100, 200, 180, 128);
    const std::vector<u8> moved(mon_paddles_pixels(),
                                mon_paddles_pixels() + PADDLE_PICTURE * PADDLE_PICTURE);
    open_on(INTERTON, MAP_INTERTON_A); // a fresh picture with the same vectors
    set_paddles(100, 200, 180, 128);
    EXPECT_EQ(std::vector<u8>(mon_paddles_pixels(),
                              mon_paddles_pixels() + PADDLE_PICTURE * PADDLE_PICTURE),
              moved);
}
