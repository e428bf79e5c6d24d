// The Guest Controls picture: layouts against their pictures, the hit test,
// the actions of on-screen keys, the virtual key in the guest's registers
// over real frames, the marks and the hover legend.
#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/memory.h"
#include "display/controls_panel.h"
#include "display/led.h"
#include "input/netplay.h"
#include "input/controls.h"
#include "input/controls_help.h"
#include "input/key_events.h"
#include "input/paddles.h"
#include "input/picture_choice.h"
#include "machines/zaccaria.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class Controls : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output(); // missing ROM images are reported
        input_controls_reset();
    }
    void TearDown() override {
        input_clear_key_matrix();
        input_release_latches();
        fresh_state();
    }
    static void go(u32 m, u32 map) {
        ASSERT_TRUE(machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false));
        display_setup_panel_geometry();
        machine_controls_layout();
        controls_clear_marks();
        controller_left = controller_right = 0;
        swapped = 0;
    }
    // The centre of mark i of the current layout.
    static ControlsAction click(int i) {
        const ControlsKeyRect& r = controls_current_layout().rects[i];
        return guest_controls_click(r.x + r.width / 2, r.y + r.height / 2, r.on_panel != 0);
    }
};

// Every layout fits its picture, and a machine's marks are its picture's rows.
TEST_F(Controls, LayoutsLieInsideTheirPicturesAndCountTheMachinesKeys) {
    for (int n = 0; n < CONTROLS_LAYOUTS; n++) {
        const ControlsLayout& l = controls_layouts[n];
        for (int i = 0; i < l.count; i++) {
            const ControlsKeyRect& r = l.rects[i];
            if (r.x < 0) continue;
            const int w = r.on_panel ? controls_extra_picture.width : l.width;
            const int h = r.on_panel ? controls_extra_picture.height : l.height;
            EXPECT_TRUE(r.width > 0 && r.height > 0 && r.x + r.width <= w && r.y + r.height <= h)
                << "layout " << n << " mark " << i;
        }
    }
    const struct {
        u32 machine, map;
        i32 layout, keys;
    } cases[] = {{ARCADIA, 6, 4, 50},  {INTERTON, 3, 17, 42}, {ELEKTOR, 4, 27, 36},
                 {PIPBUG, 9, 12, 62},  {BINBUG, 11, 19, 16},  {TWIN, 12, 13, 55},
                 {MALZAK, 26, 20, 11}, {ZACCARIA, 24, 26, 11}, {PONG, 29, 9, 15},
                 {TYPERIGHT, 30, 23, 52}};
    for (const auto& c : cases) {
        go(c.machine, c.map);
        EXPECT_EQ(controls_layout, c.layout) << c.machine;
        EXPECT_EQ(machine_live_row().controls_keys, c.keys) << c.machine;
        EXPECT_EQ(controls_current_layout().count, c.keys) << c.machine;
    }
    // A machine without an LED panel shows none of the machine before it.
    go(INSTRUCTOR, 14);
    const PanelPatch* patches;
    EXPECT_EQ(display_panel_patches(&patches), 1);
    go(PIPBUG, 9);
    EXPECT_EQ(display_panel_patches(&patches), 0);
    // The first Emerson picture keeps its known rectangles.
    const ControlsKeyRect& slot = controls_layouts[0].rects[48];
    EXPECT_EQ(slot.x, 126);
    EXPECT_EQ(slot.width, 107);
    EXPECT_EQ(controls_layouts[0].rects[16].x, 260);
}

TEST_F(Controls, HitTestTakesLeftAndTopEdgesAndTheLowestIndex) {
    go(ARCADIA, 6);
    bigcontrols_arcadia = 0;
    viewctrlsas_arcadia = 0;
    machine_controls_layout();
    const ControlsKeyRect& r = controls_current_layout().rects[4]; // 60, 48, 12, 11
    EXPECT_EQ(controls_hit(r.x, r.y, false), 4);
    EXPECT_EQ(controls_hit(r.x + r.width - 1, r.y + r.height - 1, false), 4);
    EXPECT_NE(controls_hit(r.x + r.width, r.y, false), 4);
    EXPECT_NE(controls_hit(r.x, r.y + r.height, false), 4);
    // The cartridge slot and the keypad are apart; the first RESET comes before the second.
    EXPECT_EQ(controls_hit(130, 40, false), 48);
    EXPECT_EQ(guest_controls_click(1, 1, false), CA_NONE);
    EXPECT_EQ(virtual_key, -1) << "a press outside every key holds nothing";
    click(9);
    EXPECT_EQ(virtual_key, 9);
    vkey_release();
    EXPECT_EQ(virtual_key, -1);
}

// Actions of single keys: resets, switches of the ball-and-paddle machine,
// the terminal's control keys and the Type-right's shared key.
TEST_F(Controls, KeysActAsTheirMachineSays) {
    go(ARCADIA, 6);
    EXPECT_EQ(click(48), CA_OPEN_FILE);
    cpu_iar = 0x1234;
    ui_take_changes();
    click(3);
    EXPECT_EQ(virtual_key, -1);
    EXPECT_EQ(ui_take_changes() & UI_MENUS, 0u) << "the Arcadia's RESET keeps the link";

    go(PIPBUG, 9);
    pipbug_vdu = 5;
    prefs_user_chose(&pipbug_vdu);
    go(PIPBUG, 9);
    ASSERT_EQ(controls_layout, 28);
    ui_take_changes();
    click(78);
    EXPECT_NE(ui_take_changes() & UI_MENUS, 0u) << "the PIPBUG's RESET ends the link";

    queuekeystrokes = 1;
    guest_key_queue_len = 0;
    host_key_set(RAW_CTRL);
    click(25);
    host_key_clear(RAW_CTRL);
    click(43); // CTRL, then Q
    click(25);
    click(25); // the on-screen CTRL was used up
    ASSERT_EQ(guest_key_queue_len, 3);
    EXPECT_EQ(guest_key_queue[0], 0x11);
    EXPECT_EQ(guest_key_queue[1], 0x11);
    EXPECT_EQ(guest_key_queue[2], 'Q');
    click(62); // SHIFT, then '1'
    click(5);
    EXPECT_EQ(guest_key_queue[3], '!');

    for (u32 map : {29u, 28u}) {
        go(PONG, map);
        pong_speed = 0;
        std::vector<int> seen = {pong_speed};
        for (int i = 0; i < 3; i++) {
            click(5);
            seen.push_back(pong_speed);
        }
        EXPECT_EQ(seen, map == 29 ? std::vector<int>({0, 1, 0, 1}) : std::vector<int>({0, 1, 2, 0}));
    }

    go(TYPERIGHT, 30);
    guest_key_queue_len = 0;
    caps_lock_state = 0;
    EXPECT_EQ(key_table[6].picture_rect, 9);
    EXPECT_EQ(key_table[11].picture_rect, 9);
    click(9);
    EXPECT_EQ(virtual_key, 9);
    ASSERT_EQ(guest_key_queue_len, 1);
    EXPECT_EQ(guest_key_queue[0], key_table[6].chars[KC_TR]) << "row 6 types, not row 11";
}

TEST_F(Controls, VirtualKeyReachesTheRegistersAndFlags) {
    go(ARCADIA, 6);
    bigcontrols_arcadia = 0;
    machine_controls_layout();
    virtual_key = 37; // a left fire button
    guest_memory[0x1901] = 0;
    input_virtual_key_apply();
    EXPECT_EQ(guest_memory[0x1901], 0x08);

    virtual_key = 30; // left player down: the paddle moves, no register
    const std::vector<u8> before(guest_memory + 0x1900, guest_memory + 0x1909);
    input_virtual_key_apply();
    EXPECT_EQ(std::vector<u8>(guest_memory + 0x1900, guest_memory + 0x1909), before);
    analog = 0;
    input_update_paddle(0, 0);
    EXPECT_EQ(paddle_dy[0], 1);
    EXPECT_EQ(paddle_y[0], machine_live_row().paddle_max);

    // Nothing held: nothing written, so a write watch stays quiet.
    virtual_key = -1;
    mem_attributes[0x1901] |= MEM_WATCH;
    watch_conditions[0x1901] = WatchCondition{0, COND_ALWAYS, 0};
    watchwrites = 2;
    pause_pending = 0;
    input_virtual_key_apply();
    EXPECT_EQ(pause_pending, 0u);
    mem_attributes[0x1901] &= ~MEM_WATCH;
    watchwrites = 0;

    go(MALZAK, 26);
    coinop_inputs = CoinopInputs{};
    virtual_key = 8;
    input_virtual_key_apply();
    EXPECT_TRUE(coinop_inputs.down && coinop_inputs.left);
    EXPECT_FALSE(coinop_inputs.up || coinop_inputs.right);
    virtual_key = -1;
}

// A click held for N frames is in the keypad register for exactly N frames,
// with netplay up as well (the register is built before the exchange).
TEST_F(Controls, AClickHeldForFramesReadsForExactlyThoseFrames) {
    for (u32 mode : {0u, 2u}) {
        go(ARCADIA, 6);
        net_mode = mode;
        for (auto& keys : player_keys)
            for (u16& k : keys)
                k = RAW_NONE;
        std::vector<int> seen;
        for (int frame = 0; frame < 9; frame++) {
            if (frame == 2) click(4); // left keypad key 1: $1900 bit 3
            if (frame == 6) vkey_release();
            emu_run_frame();
            seen.push_back((guest_memory[0x1900] & 0x08) != 0);
        }
        EXPECT_EQ(seen, std::vector<int>({0, 0, 1, 1, 1, 1, 0, 0, 0})) << "net mode " << mode;
        net_mode = 0;
    }
}

TEST_F(Controls, MarksToggleInComplementAndFollowThePaddles) {
    go(ARCADIA, 6);
    const ControlsLayout& l = controls_current_layout();
    std::vector<u8> pixels(static_cast<std::size_t>(l.width) * l.height);
    for (std::size_t i = 0; i < pixels.size(); i++)
        pixels[i] = static_cast<u8>(CONTROLS_FIRST_PICTURE_PEN + i % 7);
    const std::vector<u8> clean = pixels;
    ControlsCanvas c{pixels.data(), l.width, l.height, l.width};
    for (int i = 0; i < controls_mark_count(); i++) {
        gui_controls_draw_key(c, nullptr, i);
        if (l.rects[i].x >= 0) {
            EXPECT_NE(pixels, clean) << "mark " << i;
        }
        gui_controls_draw_key(c, nullptr, i);
        EXPECT_EQ(pixels, clean) << "mark " << i;
    }
    // A held key is drawn once, and its release restores the picture; a mark
    // without a rectangle changes state only.
    viewctrlsas_arcadia = 0; // the Emerson pictures have no side buttons
    machine_controls_layout();
    guest_memory[0x1901] = 0x08;
    guest_controls_refresh_marks(c, nullptr);
    EXPECT_TRUE(controls_marked[8] && controls_marked[36] && controls_marked[37]);
    const std::vector<u8> held = pixels;
    guest_controls_refresh_marks(c, nullptr);
    EXPECT_EQ(pixels, held);
    guest_memory[0x1901] = 0;
    paddle_x[0] = paddle_y[0] = paddle_x[1] = paddle_y[1] = 128;
    guest_controls_refresh_marks(c, nullptr);
    guest_controls_refresh_marks(c, nullptr); // the lamp is drawn again, solid
    // Paddles at the ends mark their directions whatever the keys say.
    paddle_dx[0] = paddle_dy[0] = 0;
    paddle_x[0] = 64;
    paddle_x[1] = 192;
    controls_fill_held();
    EXPECT_TRUE(controls_held[29]);  // left player left
    EXPECT_FALSE(controls_held[31]);
    EXPECT_TRUE(controls_held[35]);  // right player right
    EXPECT_FALSE(controls_held[33]);
}

TEST_F(Controls, LegendNamesKeysFireButtonsAndLeavesWithDashes) {
    go(ARCADIA, 6);
    bigcontrols_arcadia = 0;
    viewctrlsas_arcadia = 0;
    machine_controls_layout();
    player_keys[0][GK_KEYPAD1 + 1] = 0x20; // key 2: fire buttons 1 and 2 stand for it
    player_keys[1][GK_KEYPAD1 + 1] = 0x21;
    player_keys[0][GK_FIRE1] = 0x22;
    player_keys[0][GK_FIRE2] = 0x23;
    fire_button_assign[0] = fire_button_assign[1] = 2;
    fire_button_assign[2] = fire_button_assign[3] = 7;
    leftbutton[0] = 1, leftbutton[1] = 2;
    const ControlsKeyRect& k2 = controls_current_layout().rects[8];
    ASSERT_TRUE(controls_labels_rebuild(k2.x, k2.y));
    const std::string host = controls_legend_text[2];
    EXPECT_EQ(host, std::string(key_table[0x20].name) + ", " + key_table[0x22].name + ", " +
                        key_table[0x23].name);
    EXPECT_STREQ(controls_legend_text[3], "Red, Blue");
    EXPECT_STREQ(controls_legend_text[4], "Left, Middle");
    EXPECT_FALSE(controls_labels_rebuild(k2.x + 1, k2.y + 1)) << "same key: nothing rewritten";
    // Swapped: the left keypad shows the right player's keys.
    swapped = 1;
    controls_legend_for_rect(8);
    EXPECT_EQ(std::string(controls_legend_text[2]).rfind(key_table[0x21].name, 0), 0u);
    swapped = 0;
    // The right and bottom edges belong to no key here; off every key all is "-".
    ASSERT_TRUE(controls_labels_rebuild(k2.x + k2.width, k2.y + k2.height));
    for (const auto& t : controls_legend_text)
        EXPECT_STREQ(t, "-");
    // A console button names its host key and pad button.
    controls_legend_for_rect(0);
    EXPECT_STREQ(controls_legend_text[0], machine_live_row().console_labels[0]);
    EXPECT_STREQ(controls_legend_text[3], "Play");
}

// The coin-op boards and the ball-and-paddle machine name their gamepad
// slots; the other machines keep the table's labels.
TEST_F(Controls, DirectionNamesFillTheLiveLabels) {
    const struct {
        u32 machine, map;
        int player, key;
        const char* label;
    } cases[] = {
        {MALZAK, 26, 0, GK_FIRE1, "1st"},     {MALZAK, 26, 1, GK_DOWN_RIGHT, "DnRt"},
        {ZACCARIA, 23, 0, GK_LEFT, "Lt"},     {ZACCARIA, 24, 1, GK_FIRE4, "4th"},
        {PONG, 28, 0, GK_UP, "Up"},           {PONG, 29, 1, GK_FIRE2, "2nd"},
    };
    for (const auto& c : cases) {
        go(c.machine, c.map);
        EXPECT_STREQ(machine_key_label(c.player, c.key), c.label) << c.machine << " " << c.key;
        // The overlay's keys keep the overlay's labels.
        const OverlayKeySlot& s = overlay_key_slots[14];
        EXPECT_STREQ(machine_key_label(s.player, s.key), overlay_label(current_overlay, 14));
    }
    go(ELEKTOR, 4);
    EXPECT_STREQ(machine_key_label(1, 1), machine_desc().right_keys[1]);
    EXPECT_EQ(machine_live_row().key_labels[0][GK_FIRE1], nullptr);
}

TEST_F(Controls, PictureChoiceAndMonitorClasses) {
    EXPECT_EQ(game_image_number(-1, 25), 10);
    EXPECT_EQ(game_image_number(-1, 6), 0);
    EXPECT_EQ(game_image_number(-1, 99), 0);
    const u8 psu[2] = {0x03, 0x05};
    int a = -1, b = -1;
    int eights = 0;
    for (int row = 275; row <= 282; row++) {
        ASSERT_EQ(monitor_label_pen(row, 0x10014, psu, &a, &b), 1);
        eights += a == 8;
        EXPECT_EQ(a, b);
    }
    EXPECT_EQ(eights, 1);
    EXPECT_EQ((monitor_label_pen(278, 0x10014, psu, &a, &b), a), 8);
    cpu_type = 0;
    EXPECT_EQ((monitor_label_pen(286, 0x10014, psu, &a, &b), a), 0);
    cpu_type = 1;
    EXPECT_EQ((monitor_label_pen(286, 0x10014, psu, &a, &b), a), 2);
    cpu_type = 0;
    a = 77;
    EXPECT_EQ(monitor_label_pen(297, 0x10014, psu, &a, &b), 0);
    EXPECT_EQ(a, 77) << "a row that shows nothing writes nothing";
    mem_attributes[0x0100] = MEM_UNWRITABLE;
    EXPECT_EQ((monitor_label_pen(400, 0x0100, psu, &a, &b), a), 1);
    mem_attributes[0x0100] |= MEM_BREAKPOINT;
    EXPECT_EQ((monitor_label_pen(400, 0x0100, psu, &a, &b), a), 6);
    mem_attributes[0x0100] = 0;
}

} // namespace
