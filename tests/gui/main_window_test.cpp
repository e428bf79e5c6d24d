#include "tests/support/quiet_output.h"
#include "commands/arexx.h"
#include "commands/help_links.h"
#include "core/emu.h"
#include "debugger/commands.h"
#include "core/message.h"
#include "core/machine.h"
#include "core/ui_host.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/joysticks.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine_table.h"
#include "app/mainloop.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "gui/main_window.h"
#include "gui/quit_window.h"
#include "gui/ui_pass.h"
#include "input/console_buttons.h"
#include "machines/pong.h"
#include "inspect/magnifier.h"
#include "core/session.h"
#include "core/machine_titles.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/gui_headless.h"
#include "platform/net.h"
#include "tests/support/bound_port.h"
#include "commands/command_table.h"
#include "tests/core/home_fixture.h"
#include "tests/support/indexed_png.h"
#include "display/frame.h"
#include "display/host.h"
#include "display/pointer_text.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

void collect_ids(const GuiNode& n, std::set<int>& ids) {
    if (n.gid) ids.insert(n.gid);
    for (const GuiNode& c : n.children)
        collect_ids(c, ids);
}

std::set<int> gadget_ids() {
    std::set<int> ids;
    collect_ids(gui_headless_desc(main_window)->root, ids);
    return ids;
}

GuiEvent event(GuiEventType type, int gid = 0, int code = 0, u16 qualifier = 0) {
    return {type, gid, code, qualifier, 0, 0, {}};
}

class MainWindow : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        fake_clock_install(5000);
        display_scale = 2;
        display_aspect = 1;
        viewspeedas = 0;
        set_views(1);
    }
    static void set_views(u32 on) {
        view_debugger[0] = view_gamelist[0] = view_statusbar[0] = on;
        view_titlebar[0] = view_toolbar[0] = on;
    }
    void post(const GuiEvent& e) {
        gui_headless_post(main_window, e);
        gui_main_window_events();
    }
};

} // namespace

TEST_F(MainWindow, ViewOptionsChooseTheGadgets) {
    gui_open_main_window(0);
    EXPECT_EQ(gadget_ids(), (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_LABEL), "FPS:");
    gui_close_main_window();

    set_views(0);
    gui_open_main_window(0);
    EXPECT_EQ(gadget_ids(), (std::set<int>{GID_DISPLAY}));
    EXPECT_FALSE(gui_headless_desc(main_window)->title_bar);
    EXPECT_FALSE(gui_headless_desc(main_window)->size_gadget);
}

// With View > Debugger? off the whole Debug menu is disabled, and its title
// tells the user which item enables it.
TEST_F(MainWindow, TheDisabledDebugMenuSaysHowToEnableIt) {
    gui_open_main_window(0);
    const auto debug_title = [] {
        for (const GuiMenuItem& title : *gui_headless_menus(main_window))
            if (title.id == 287) return title;
        return GuiMenuItem{};
    };
    ASSERT_EQ(debug_title().text, "Debug");
    EXPECT_FALSE(debug_title().disabled);
    std::string result;
    ASSERT_EQ(arexx_execute("CMDSHELL CLOSE", &result), 0) << result;
    EXPECT_TRUE(debug_title().disabled);
    EXPECT_EQ(debug_title().hint, "Turn on View > Debugger? to use this menu.");
    ASSERT_EQ(arexx_execute("CMDSHELL OPEN", &result), 0) << result;
    EXPECT_FALSE(debug_title().disabled);
}

// Shift or Ctrl let go while the window was closed must not stay held once
// it opens again; Alt keeps its state.
TEST_F(MainWindow, ReopeningLetsGoOfShiftAndCtrl) {
    for (u32 code : {RAW_LSHIFT, RAW_RSHIFT, RAW_CTRL, RAW_LALT})
        host_key_set(code);
    gui_open_main_window(0);
    EXPECT_FALSE(host_shift_down());
    EXPECT_FALSE(host_key_down(RAW_CTRL));
    EXPECT_TRUE(host_key_down(RAW_LALT));
    host_key_clear(RAW_LALT);
}

TEST_F(MainWindow, DriveButtonsFollowTheMachinesDrives) {
    for (u32 m = 0; m < MACHINES; ++m) {
        machine = m;
        gui_open_main_window(0);
        for (int d = 0; d < 4; ++d)
            EXPECT_EQ(gui_get_disabled(main_window, GID_DRIVE_0 + d), d >= machine_table[m].drives)
                << "machine " << m << " drive " << d;
        gui_close_main_window();
    }
}

// The drive buttons follow each switch: after BINBUG -> TWIN both TWIN drives
// show their track ("00 00 -- --"), not "00 -- -- --". A picture of the same
// size keeps the window (the new picture is attached to its display gadget,
// as the desktop does) and its buttons are drawn afresh; a picture of another
// size, as with every machine here, opens the window again, sized and placed
// for it. Through the Machine menu's switch and through the port's SETMACHINE.
TEST_F(MainWindow, DriveButtonsFollowEverySwitch) {
    const auto by_menu = [](u32 m) {
        for (u32 map = 0; map < MEMMAPS; map++)
            if (memmap_table[map].machine == static_cast<int>(m) && !memmap_is_empty(map)) {
                emu_set_memory_map(static_cast<int>(m), static_cast<int>(map));
                return;
            }
    };
    const auto by_port = [](u32 m) {
        std::string result;
        arexx_execute((std::string("SETMACHINE ") + machine_table[m].keyword).c_str(), &result);
    };
    for (const auto& switch_to : {+by_menu, +by_port}) {
        gui_open_main_window(0);
        int window = main_window;
        for (u32 m : {BINBUG, TWIN, ARCADIA, CD2650, BINBUG, TWIN, PIPBUG}) {
            const int width = display_host_width, height = display_host_height;
            switch_to(m);
            gui_main_window_events();
            ASSERT_EQ(machine, m);
            if (display_host_width == width && display_host_height == height)
                ASSERT_EQ(main_window, window) << "the switch to machine " << m << " built the window anew";
            else
                ASSERT_NE(main_window, window) << "machine " << m << "'s picture in the old window";
            window = main_window;
            for (int d = 0; d < 4; ++d) {
                const bool present = d < machine_table[m].drives;
                EXPECT_EQ(gui_get_disabled(main_window, GID_DRIVE_0 + d), !present)
                    << "machine " << m << " drive " << d;
                EXPECT_EQ(gui_get_text(main_window, GID_DRIVE_0 + d), present ? "00" : "--")
                    << "machine " << m << " drive " << d;
            }
        }
        gui_close_main_window();
    }
}

// The shown picture holds guest pixel (x, y) as a block of `across` x `down`
// host pixels of its colour; empty when it does, else the first difference.
static std::string picture_blocks(int across, int down) {
    int w = 0, h = 0;
    const std::vector<u32> shown = gui_headless_display(main_window, GID_DISPLAY, &w, &h);
    const MachineLive& live = machine_live_row();
    if (w != live.width * across || h != live.height * down)
        return "picture " + std::to_string(w) + " x " + std::to_string(h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const u8 colour = guest_frame[(x / across) * GUEST_FRAME_ROWS + y / down];
            if (shown[static_cast<std::size_t>(y) * w + x] != display_colour_table[pen_byte[colour]])
                return "host pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    return "";
}

// The Type-right's 128 x 28 LCD is shown twice as large at every scale,
// chosen through the menu as a user does; its screenshots keep the frame's
// own size. The Arcadia's picture keeps its size.
TEST_F(MainWindow, TheTypeRightLcdIsMagnifiedAtEveryScale) {
    std::string result;
    gui_headless_set_screen_size(2560, 1600); // room for six times its size
    display_scale = 1;
    gui_open_main_window(0);
    ASSERT_EQ(arexx_execute("SETMACHINE ARCADIA", &result), 0) << result;
    gui_main_window_events();
    EXPECT_EQ(picture_blocks(2, 1), "");
    ASSERT_EQ(arexx_execute("SETMACHINE TYPERIGHT", &result), 0) << result;
    for (int f = 0; f < 20; f++) // the power-on asterisks
        emu_run_frame();
    gui_main_window_events();
    EXPECT_EQ(picture_blocks(2, 2), "");
    for (int s = 1; s <= 6; s++) {
        SCOPED_TRACE("scale " + std::to_string(s));
        ASSERT_EQ(arexx_execute(("MENU SETTINGS.GRAPHICS." + std::to_string(s) + "XSIZE").c_str(), &result), 0);
        app_frame_boundary(); // the main loop acts on the menu's choice
        pending_actions = 0;
        gui_main_window_events();
        ASSERT_EQ(display_scale, static_cast<u32>(s));
        EXPECT_EQ(picture_blocks(2 * s, 2 * s), "");
        const GuiRect r = gui_gadget_rect(main_window, GID_DISPLAY);
        EXPECT_EQ(r.right - r.left + 1, 256 * s);
    }
    const std::filesystem::path shot = home / "lcd.png";
    ASSERT_EQ(arexx_execute(("SAVEPNG " + shot.string()).c_str(), &result), 0) << result;
    IndexedPicture pic;
    ASSERT_EQ(png_read_indexed(shot, &pic), "");
    EXPECT_EQ(pic.width, 128u);
    EXPECT_EQ(pic.height, 28u);
    for (u32 y = 0; y < pic.height; y++)
        for (u32 x = 0; x < pic.width; x++)
            ASSERT_EQ(pic.pixels[y * pic.width + x], guest_frame[x * GUEST_FRAME_ROWS + y]) << x << "," << y;
}

// The magnifier under the pointer over the magnified LCD shows the guest
// pixel under it, at twice the size the window shows it.
TEST_F(MainWindow, TheMagnifierFollowsTheMagnifiedLcd) {
    std::string result;
    display_scale = 1;
    gui_open_main_window(0);
    ASSERT_EQ(arexx_execute("SETMACHINE TYPERIGHT", &result), 0) << result;
    for (int f = 0; f < 45; f++) // all eight asterisks
        emu_run_frame();
    gui_main_window_events();
    const GuiRect r = gui_gadget_rect(main_window, GID_DISPLAY);
    // Host pixel (101, 21) of the 256 x 56 picture: guest pixel (50, 10), 1
    // pixel into its 2 x 2 block across and down.
    GuiEvent move = event(GE_MOUSEMOVE, GID_DISPLAY);
    move.x = r.left + 101;
    move.y = r.top + 21;
    post(move);
    host_key_set(RAW_CTRL);
    host_key_set(RAW_LSHIFT);
    gui_main_window_events();
    host_key_clear(RAW_CTRL);
    host_key_clear(RAW_LSHIFT);
    ASSERT_TRUE(gui_magnifier_open());
    MagnifierView v;
    v.gx = 50, v.gy = 10, v.fx = 1, v.fy = 1, v.zx = v.zy = 4, v.width = 128, v.height = 28;
    std::vector<u8> want(MAGNIFIER_SIZE * MAGNIFIER_SIZE);
    magnifier_render(v, guest_frame, want.data());
    int w = 0, h = 0;
    std::vector<u32> shown;
    // The magnifier is the window opened last, whatever number it got.
    const int magnifier = gui_headless_find_window("");
    ASSERT_NE(magnifier, main_window);
    ASSERT_TRUE(gui_headless_desc(magnifier) && gui_headless_desc(magnifier)->borderless);
    shown = gui_headless_display(magnifier, 1, &w, &h);
    ASSERT_EQ(w, MAGNIFIER_SIZE);
    ASSERT_EQ(shown.size(), want.size());
    int lit = 0;
    for (std::size_t i = 0; i < want.size(); i++) {
        ASSERT_EQ(shown[i], display_colour_table[pen_byte[want[i]]]) << "pixel " << i;
        lit += want[i] != guest_frame[0];
    }
    EXPECT_GT(lit, 0) << "the view holds part of an asterisk";
    gui_close_magnifier();
}

// On the full screen the Type-right takes the largest scale whose magnified
// picture fits, as every machine does.
TEST_F(MainWindow, TheFullScreenTypeRightFitsTheScreen) {
    std::string result;
    gui_open_main_window(0);
    ASSERT_EQ(arexx_execute("SETMACHINE TYPERIGHT", &result), 0) << result;
    // The host's screen is 1280 x 1024: a picture as wide as it (five times,
    // 128 x 2 x 5) leaves no room for the game list beside it. The whole
    // window fits, with the picture four times the size.
    ASSERT_EQ(arexx_execute("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    gui_main_window_events();
    ASSERT_EQ(display_mode, 1u);
    int width = 0, height = 0;
    gui_window_position(main_window, nullptr, nullptr, &width, &height);
    EXPECT_LE(width, 1280);
    EXPECT_LE(height, 1024);
    EXPECT_EQ(display_scale, 4u);
    EXPECT_EQ(picture_blocks(8, 8), "");
    display_mode = 0;
}

TEST_F(MainWindow, TheWindowReopensWhereTheUserLeftIt) {
    main_window_pos[0] = 40;
    main_window_pos[1] = 60;
    gui_open_main_window(0);
    EXPECT_EQ(gui_headless_desc(main_window)->left, 40);
    EXPECT_EQ(gui_headless_desc(main_window)->top, 60);
    gui_close_main_window();
    display_mode = 1;
    view_titlebar[1] = 0;
    gui_open_main_window(0);
    EXPECT_TRUE(gui_headless_desc(main_window)->borderless);
    EXPECT_EQ(gui_headless_desc(main_window)->left, -1); // centred
    display_mode = 0;
}

// The button the user presses in the quit window once it waits.
static int quit_answer = 0;

TEST_F(MainWindow, TheCloseGadgetAsksBeforeQuitting) {
    confirmquit = 1;
    app_acquired.host_gui = true;
    gui_open_main_window(0);
    gui_headless_on_wait_events([] {
        GuiEvent e;
        e.type = GE_GADGET;
        e.gid = quit_answer;
        if (quit_window) gui_headless_post(quit_window, e);
    });
    quit_answer = GID_QUIT_NO;
    post(event(GE_CLOSE));
    EXPECT_EQ(pending_actions, 0u);
    EXPECT_EQ(gui_headless_last_closed_desc()->title, machine_title(machine));
    quit_answer = GID_QUIT_YES;
    post(event(GE_CLOSE));
    EXPECT_EQ(pending_actions, PA_QUIT);
    gui_headless_on_wait_events(nullptr);
    app_acquired.host_gui = false;
}

TEST_F(MainWindow, GrowingByWholeGuestHeightsRaisesTheScale) {
    gui_open_main_window(0);
    const int guest_height = machine_live[ARCADIA].height;
    ASSERT_GT(guest_height, 0);
    GuiEvent e = event(GE_NEWSIZE);
    e.y = opened_height + guest_height * 3 / 2; // one whole guest height: scale 2 -> 3
    post(e);
    EXPECT_EQ(display_scale, 3u);
    EXPECT_EQ(pending_actions, PA_SCALE_1 << 2);

    pending_actions = 0;
    e.y = opened_height + guest_height / 2; // half a height: sized back, scale kept
    post(e);
    EXPECT_EQ(display_scale, 3u);
    EXPECT_EQ(pending_actions, 0u);
    int h = 0;
    gui_window_position(main_window, nullptr, nullptr, nullptr, &h);
    EXPECT_EQ(h, opened_height);

    e.y = opened_height - 80; // shrinking never lowers the scale
    post(e);
    EXPECT_EQ(display_scale, 3u);
    EXPECT_EQ(pending_actions, 0u);
}

TEST_F(MainWindow, TheStatusLabelCyclesTheFieldMode) {
    gui_open_main_window(0);
    auto clicks = [&](u16 qualifier) {
        std::string seen;
        for (int i = 0; i < 3; i++) {
            post(event(GE_GADGET, GID_STATUS_LABEL, 0, qualifier));
            seen += std::to_string(viewspeedas);
        }
        return seen;
    };
    EXPECT_EQ(clicks(0), "210");
    EXPECT_EQ(clicks(QUAL_LSHIFT), "120"); // Shift: the other way round
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_LABEL), "FPS:");
}

TEST_F(MainWindow, ControlAndTheWheelStepThroughTheGameList) {
    gui_open_main_window(0);
    post(event(GE_WHEEL, GID_DISPLAY, 1)); // without Control: nothing
    EXPECT_EQ(pending_actions, 0u);
    post(event(GE_WHEEL, GID_DISPLAY, -1, QUAL_CONTROL));
    EXPECT_EQ(pending_actions, PA_PREV_GAME);
    pending_actions = 0;
    post(event(GE_WHEEL, GID_DISPLAY, 1, QUAL_CONTROL));
    EXPECT_EQ(pending_actions, PA_NEXT_GAME);

    // Windows that forward keys send the wheel as raw codes: 122 up, 123 down.
    pending_actions = 0;
    input_host_key_event(RAW_CTRL);
    input_host_key_event(RAW_WHEEL_UP);
    EXPECT_EQ(RAW_WHEEL_UP, 122u);
    EXPECT_EQ(pending_actions, PA_PREV_GAME);
    input_host_key_release(RAW_CTRL);
}

TEST_F(MainWindow, DroppedFilesThatCannotLoadBeep) {
    gui_open_main_window(0);
    GuiEvent two = event(GE_DROP, 0, 2);
    two.text = "/tmp/a.bin";
    post(two);
    EXPECT_EQ(gui_headless_beeps(), 1);
    GuiEvent one = event(GE_DROP, 0, 1);
    one.text = dir + "/missing.bin";
    capture_output();
    post(one);
    captured_output();
    EXPECT_EQ(gui_headless_beeps(), 2);
}

TEST_F(MainWindow, ThePauseButtonPausesAndToolbarsIgnoreEventsWhileHidden) {
    gui_open_main_window(0);
    gui_bar_set(main_window, GID_SPEEDBAR_2, 5, true, true);
    post(event(GE_GADGET, GID_SPEEDBAR_2, 5));
    EXPECT_TRUE(emu_paused);
    gui_bar_set(main_window, GID_SPEEDBAR_2, 5, true, false);
    post(event(GE_GADGET, GID_SPEEDBAR_2, 5));
    EXPECT_FALSE(emu_paused);

    view_toolbar[0] = 0;
    post(event(GE_GADGET, GID_SPEEDBAR_2, 5)); // a stale event of a hidden toolbar
    EXPECT_FALSE(emu_paused);
}

TEST_F(MainWindow, TheTitleNamesTheMachineAndIsLeftAloneWithoutATitleBar) {
    machine = PIPBUG;
    const u8 saved_loaded = file_loaded;
    file_loaded = 0;
    gui_open_main_window(0);
    EXPECT_EQ(gui_headless_title(main_window), machine_title(PIPBUG));
    file_loaded = 1;
    file_name_running("/games/hello.aof", false);
    gui_update_main_title();
    EXPECT_EQ(gui_headless_title(main_window), std::string(machine_title(PIPBUG)) + ": hello.aof");
    file_loaded = saved_loaded;
    file_name_running("", false);
    game_file_name[0] = '\0';
    gui_close_main_window();
    view_titlebar[0] = 0;
    gui_open_main_window(0);
    gui_update_main_title();
    EXPECT_EQ(gui_headless_title(main_window), "");
}

TEST_F(MainWindow, TheDisplayShowsTheGuestFrameScaled) {
    colourset = 3; // "Pure colours"
    display_obtain_pens();
    display_scale = 2;
    display_aspect = 2;
    std::fill(std::begin(guest_frame), std::end(guest_frame), 7); // black
    guest_frame[3 * GUEST_FRAME_ROWS + 5] = 3;                    // red at column 3, line 5
    gui_open_main_window(0);
    int w = 0, h = 0;
    std::vector<std::uint32_t> shown = gui_headless_display(main_window, GID_DISPLAY, &w, &h);
    ASSERT_EQ(h, 2 * machine_live[ARCADIA].height); // the Arcadia's lines, doubled
    ASSERT_EQ(static_cast<int>(shown.size()), w * h);
    // Column 3 covers host columns 12..15 (scale 2, stretch 2), line 5 rows 10..11.
    EXPECT_EQ(shown[10 * w + 12], 0xFF0000u);
    EXPECT_EQ(shown[11 * w + 15], 0xFF0000u);
    EXPECT_EQ(shown[10 * w + 16], 0x000000u);
    EXPECT_EQ(shown[12 * w + 12], 0x000000u);

    // Closed, the window keeps no picture; opened again at another scale, it
    // shows the frame as it stands then.
    gui_close_main_window();
    EXPECT_EQ(display_buffer, nullptr);
    guest_frame[3 * GUEST_FRAME_ROWS + 5] = 7;
    guest_frame[4 * GUEST_FRAME_ROWS + 6] = 3;
    display_scale = 3;
    gui_open_main_window(0);
    shown = gui_headless_display(main_window, GID_DISPLAY, &w, &h);
    ASSERT_EQ(h, 3 * machine_live[ARCADIA].height);
    ASSERT_EQ(static_cast<int>(shown.size()), w * h);
    EXPECT_EQ(shown[18 * w + 24], 0xFF0000u); // column 4 from host column 24, line 6 from row 18
    EXPECT_EQ(shown[20 * w + 29], 0xFF0000u);
    EXPECT_EQ(shown[15 * w + 18], 0x000000u); // the old red pixel's block
}

TEST_F(MainWindow, RawKeysAndClicksInsideTheDisplayReachTheInputFlags) {
    gui_open_main_window(0);
    GuiEvent down = event(GE_MOUSEBUTTON, GID_DISPLAY, 1);
    down.x = display_rect[0] + 1;
    down.y = display_rect[1] + 1;
    post(down);
    EXPECT_EQ(gui_mouse_left, 1);
    GuiEvent outside = down;
    outside.x = display_rect[2] + 10;
    post(outside);
    EXPECT_EQ(gui_mouse_left, 0);
    post(event(GE_INACTIVE));
    post(down); // the click that activates the window again is no fire button
    EXPECT_EQ(gui_mouse_left, 0);
}

// A window opened again (a new scale, the other display mode) has no buttons
// held and was never left: its first click inside the display fires.
TEST_F(MainWindow, AReopenedWindowForgetsTheOldWindowsButtonsAndFocus) {
    gui_open_main_window(0);
    GuiEvent down = event(GE_MOUSEBUTTON, GID_DISPLAY, 1);
    for (int button : {1, 2, 3}) {
        down.code = button;
        down.x = display_rect[0] + 1;
        down.y = display_rect[1] + 1;
        post(down);
    }
    post(event(GE_INACTIVE));
    ASSERT_EQ(gui_mouse_left + gui_mouse_middle + gui_mouse_right, 3);
    gui_close_main_window();
    gui_open_main_window(0);
    EXPECT_EQ(gui_mouse_left, 0);
    EXPECT_EQ(gui_mouse_middle, 0);
    EXPECT_EQ(gui_mouse_right, 0);
    down.code = 1;
    down.x = display_rect[0] + 1;
    down.y = display_rect[1] + 1;
    post(down);
    EXPECT_EQ(gui_mouse_left, 1);
}

// The ball-and-paddle guns and serves fire from the mouse buttons, for the
// players who play with the mouse only.
TEST_F(MainWindow, MouseButtonsFireForThePlayersWhoUseTheMouse) {
    gui_open_main_window(0);
    struct Case {
        i32 left_controller, right_controller;
        int button; // 1 left, 3 right
        u32 guest_rmb;
        u8 left_held, right_held;
    };
    const Case cases[] = {
        {1, 2, 1, 0, 1, 0}, {0, 1, 1, 0, 0, 1}, {1, 1, 1, 0, 1, 1},
        {2, 3, 1, 0, 0, 0}, {1, 0, 3, 0, 0, 0}, {1, 0, 3, 1, 1, 0},
    };
    for (const Case& c : cases) {
        controller_left = c.left_controller;
        controller_right = c.right_controller;
        guestrmb = c.guest_rmb;
        GuiEvent down = event(GE_MOUSEBUTTON, GID_DISPLAY, c.button);
        down.x = display_rect[0] + 1;
        down.y = display_rect[1] + 1;
        post(down);
        EXPECT_EQ(input_mouse_bits(0) != 0, c.left_held != 0) << c.left_controller << " " << c.button;
        EXPECT_EQ(input_mouse_bits(1) != 0, c.right_held != 0) << c.right_controller << " " << c.button;
        GuiEvent up = down;
        up.code = RAWKEY_UP + c.button;
        post(up);
        // Let go before a frame ran: the next frame still sees the press.
        EXPECT_EQ(input_mouse_bits(0) != 0, c.left_held != 0);
        emu_run_frame();
        EXPECT_EQ(input_mouse_bits(0), 0u);
        EXPECT_EQ(input_mouse_bits(1), 0u);
    }
    // Held, then moved with the button let go elsewhere: released.
    controller_left = 1;
    GuiEvent down = event(GE_MOUSEBUTTON, GID_DISPLAY, 1);
    down.x = display_rect[0] + 1;
    down.y = display_rect[1] + 1;
    post(down);
    EXPECT_NE(input_mouse_bits(0), 0u);
    GuiEvent move = event(GE_MOUSEMOVE, GID_DISPLAY, 0, 0);
    move.x = down.x + 1;
    move.y = down.y;
    post(move);
    emu_run_frame();
    EXPECT_EQ(input_mouse_bits(0), 0u);
}

TEST_F(MainWindow, TheStatusTextPrefersTheMessageOverTheGameInformation) {
    gui_open_main_window(0);
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), memmap_table[memmap].name); // no game
    std::snprintf(game_info_fields[0], sizeof game_info_fields[0], "Space Raiders");
    gui_set_status_text();
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "Space Raiders");
    std::snprintf(gui_status_message, sizeof gui_status_message, "Chat: hello");
    gui_set_status_text();
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "Chat: hello");
    gui_status_message[0] = '\0';
    view_statusbar[0] = 0; // hidden in this mode: never touched
    gui_set_status_text_plain("x");
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "Chat: hello");
}

// On the ball-and-paddle machine the status bar names the game chosen, and
// follows the console's Game button.
TEST_F(MainWindow, TheStatusTextNamesTheBallAndPaddleGame) {
    pong_variant = 4;
    ASSERT_TRUE(machine_switch(PONG, 28, true, true, false));
    gui_open_main_window(0);
    gui_apply_changes();
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "AY-3-8500/8550: Practice");
    emu_run_frame();
    input_press_console_button(1); // Game
    emu_run_frame();
    gui_apply_changes();
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "AY-3-8500/8550: Rifle #1");

    pong_variant = 16;
    prefs_user_chose(&pong_variant);
    ASSERT_TRUE(machine_switch(PONG, 29, true, true, false));
    gui_apply_changes();
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "AY-3-8600: 2 Player Target");
}

// After a switch to another machine the toolbar's console buttons are that
// machine's, as a window opened anew would show them.
TEST_F(MainWindow, TheConsoleButtonsFollowAMachineSwitch) {
    ASSERT_TRUE(machine_switch(ELEKTOR, machine_table[ELEKTOR].default_memmap, true, true, false));
    gui_open_main_window(0);
    const auto faces = [] {
        std::vector<std::string> out;
        const std::vector<GuiBarButton>* bar = gui_headless_bar(main_window, GID_SPEEDBAR_2);
        for (std::size_t i = 10; bar && i < bar->size(); i++)
            out.push_back((*bar)[i].hint + " #" + std::to_string((*bar)[i].image) +
                          ((*bar)[i].disabled ? " off" : " on"));
        return out;
    };
    const std::vector<std::string> elektor = faces();
    ASSERT_EQ(elektor.size(), 4u);
    std::string result;
    ASSERT_EQ(arexx_execute("SETMACHINE PONG", &result), 0) << result;
    gui_apply_changes();
    const std::vector<std::string> switched = faces();
    EXPECT_NE(switched, elektor);
    gui_close_main_window();
    gui_open_main_window(0);
    EXPECT_EQ(switched, faces());
}

// Ctrl held over the picture shows the guest position in the status bar;
// letting go of Ctrl brings the status bar's own text back.
TEST_F(MainWindow, ThePointersPositionLastsWhileCtrlIsHeld) {
    gui_open_main_window(0);
    const std::string own = gui_get_text(main_window, GID_STATUS_TEXT);
    post(event(GE_RAWKEY, 0, RAW_CTRL, QUAL_CONTROL));
    GuiEvent move = event(GE_MOUSEMOVE, GID_DISPLAY, 0, QUAL_CONTROL);
    move.x = display_rect[0] + 20;
    move.y = display_rect[1] + 20;
    post(move);
    const std::string shown = gui_get_text(main_window, GID_STATUS_TEXT);
    EXPECT_NE(shown, own);
    EXPECT_EQ(shown, display_position_text);
    post(event(GE_RAWKEY, 0, RAWKEY_UP + RAW_CTRL));
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), own);
    // A move without Ctrl leaves the status bar alone.
    gui_set_status_text_plain("kept");
    move.qualifier = 0;
    post(move);
    EXPECT_EQ(gui_get_text(main_window, GID_STATUS_TEXT), "kept");
}

TEST_F(MainWindow, LockingTheInterfaceDisablesMenusListAndToolbars) {
    gui_open_main_window(0);
    gui_close_main_window(); // the strip is attached again at every opening
    gui_open_main_window(0);
    gui_bar_set(main_window, GID_SPEEDBAR_2, 4, true, true); // sound on
    gui_lock_menus();
    const auto& titles = *gui_headless_menus(main_window);
    ASSERT_EQ(titles.size(), 9u);
    EXPECT_EQ(titles[0].id, 283);
    EXPECT_TRUE(titles[0].disabled);
    EXPECT_FALSE(titles[6].disabled); // 289, Peripherals, is not one of them
    EXPECT_TRUE(titles[8].disabled);
    EXPECT_TRUE(gui_get_disabled(main_window, GID_GAME_LIST));
    EXPECT_FALSE(gui_bar_enabled(main_window, GID_SPEEDBAR_1, 4));
    EXPECT_FALSE(gui_bar_enabled(main_window, GID_SPEEDBAR_2, 4));
    EXPECT_TRUE(gui_bar_selected(main_window, GID_SPEEDBAR_2, 4)); // states are kept

    emu_paused_mid_frame = true;
    gui_unlock_menus();
    EXPECT_FALSE(titles[0].disabled);
    EXPECT_TRUE(gui_bar_enabled(main_window, GID_SPEEDBAR_1, 4));
    EXPECT_FALSE(gui_bar_enabled(main_window, GID_SPEEDBAR_1, 1)); // reset waits for the frame end
    EXPECT_TRUE(gui_get_disabled(main_window, GID_GAME_LIST));
    emu_paused_mid_frame = false; // the frame ends
    gui_speedbar_update();
    EXPECT_TRUE(gui_bar_enabled(main_window, GID_SPEEDBAR_1, 1));
}

namespace {

TEST_F(MainWindow, TheGuestHasTheKeyboardExceptWhileTheCommandLineIsInUse) {
    constexpr int RAW_K = 0x27;
    const int map = machine_table[PONG].default_memmap;
    ASSERT_TRUE(machine_switch(PONG, map, true, true, false));
    gui_open_main_window(0);
    EXPECT_EQ(gui_headless_focus(main_window), GID_DISPLAY);
    ui_host.activate_command_line(); // the hotkey
    gui_headless_key(main_window, RAW_K, 'k', false);
    EXPECT_EQ(gui_get_text(main_window, GID_COMMAND), "k");
    ASSERT_TRUE(machine_switch(PONG, map, true, true, false)); // another game
    gui_main_window_events();
    gui_headless_key(main_window, RAW_K, 'k', false);
    gui_main_window_events();
    EXPECT_TRUE(host_key_down(RAW_K));
    EXPECT_EQ(gui_get_text(main_window, GID_COMMAND), "k");
    // Escape hands the keyboard back and keeps the line.
    gui_set_text(main_window, GID_COMMAND, "k");
    ui_host.activate_command_line();
    post(event(GE_GADGET, GID_COMMAND, 69));
    EXPECT_EQ(gui_headless_focus(main_window), GID_DISPLAY);
    EXPECT_EQ(gui_get_text(main_window, GID_COMMAND), "k");
    EXPECT_EQ(quiet_output_text().find(">k\n"), std::string::npos);
}

// Commands typed one after another all reach the debugger: Return runs the
// line and the keyboard stays there; Return on an empty line gives it back
// to the guest.
TEST_F(MainWindow, TheCommandLineKeepsTheKeyboardFromOneCommandToTheNext) {
    constexpr int RAW_B = 0x35, RAW_C = 0x33;
    gui_open_main_window(0);
    gui_messages_to_console(true);
    con_pop_sink(); // the console itself, mirrored into its window
    const auto type = [](const char* text, int raw) {
        for (const char* c = text; *c; ++c)
            gui_headless_key(main_window, raw, *c, false);
    };
    ui_host.activate_command_line();
    type("BASE", RAW_B);
    post(event(GE_GADGET, GID_COMMAND, 13));
    EXPECT_EQ(gui_headless_focus(main_window), GID_COMMAND);
    EXPECT_EQ(gui_get_text(main_window, GID_COMMAND), "");
    type("CPU", RAW_C); // the next command goes into the line, not to the guest
    EXPECT_FALSE(host_key_down(RAW_C));
    EXPECT_EQ(gui_get_text(main_window, GID_COMMAND), "CPU");
    post(event(GE_GADGET, GID_COMMAND, 13));
    EXPECT_EQ(gui_headless_focus(main_window), GID_COMMAND);
    const std::string said = gui_headless_message_console_text();
    EXPECT_LT(said.find(">BASE\n"), said.find(">CPU\n"));
    EXPECT_NE(said.find(">CPU\n"), std::string::npos) << said;

    // CLS empties the console window as well as the terminal.
    gui_set_text(main_window, GID_COMMAND, "CLS");
    post(event(GE_GADGET, GID_COMMAND, 13));
    EXPECT_EQ(gui_headless_message_console_text(), "");
    EXPECT_EQ(gui_headless_focus(main_window), GID_COMMAND);

    post(event(GE_GADGET, GID_COMMAND, 13)); // nothing typed
    EXPECT_EQ(gui_headless_focus(main_window), GID_DISPLAY);
    gui_messages_to_console(false);
    quiet_output_rearm();
}

// Cursor up and down in the command line walk the commands given before,
// newest first; with Shift or Ctrl to the oldest one and back to an empty
// line. Return runs the line shown.
TEST_F(MainWindow, TheCursorKeysRecallEarlierCommandsIntoTheCommandLine) {
    gui_open_main_window(0);
    ui_host.activate_command_line();
    const auto key = [](int raw, u16 qualifier = 0) {
        gui_headless_key(main_window, raw, 0, false, qualifier);
        gui_main_window_events();
    };
    const auto enter = [&key](const char* text) {
        for (const char* c = text; *c; ++c)
            gui_headless_key(main_window, 0x40, *c, false);
        key(RAW_RETURN);
    };
    const auto line = [] { return gui_get_text(main_window, GID_COMMAND); };
    key(RAW_UP); // nothing given yet: the line keeps what it holds
    EXPECT_EQ(line(), "");
    enter("E 1800 5");
    enter("E 1800 6");
    ASSERT_EQ(guest_memory[0x1800], 6);
    key(RAW_UP);
    EXPECT_EQ(line(), "E 1800 6");
    key(RAW_UP);
    EXPECT_EQ(line(), "E 1800 5");
    key(RAW_UP); // the oldest stays
    EXPECT_EQ(line(), "E 1800 5");
    key(RAW_RETURN);
    EXPECT_EQ(guest_memory[0x1800], 5);
    EXPECT_EQ(line(), "");
    // The line run last is the newest; the walk starts again from it.
    EXPECT_STREQ(cmd_history[0], "E 1800 5");
    key(RAW_UP);
    EXPECT_EQ(line(), "E 1800 5");
    key(RAW_UP);
    EXPECT_EQ(line(), "E 1800 6");
    key(RAW_DOWN);
    EXPECT_EQ(line(), "E 1800 5");
    key(RAW_DOWN); // past the newest: an empty line
    EXPECT_EQ(line(), "");
    key(RAW_DOWN);
    EXPECT_EQ(line(), "");
    enter("BASE");
    key(RAW_UP, QUAL_LSHIFT); // the oldest at once
    EXPECT_EQ(line(), "E 1800 6");
    key(RAW_DOWN);
    EXPECT_EQ(line(), "E 1800 5");
    key(RAW_DOWN, QUAL_CONTROL); // back to an empty line at once
    EXPECT_EQ(line(), "");
    key(RAW_UP, QUAL_CONTROL);
    key(RAW_RETURN);
    EXPECT_EQ(guest_memory[0x1800], 6);
    EXPECT_EQ(gui_headless_focus(main_window), GID_COMMAND);
}

TEST_F(MainWindow, MessagesOpenTheConsoleWindowAfterATypedCommand) {
    gui_open_main_window(0);
    gui_messages_to_console(true);
    con_pop_sink(); // the console itself
    con_printf("before\n");
    EXPECT_FALSE(gui_message_console_is_open());
    for (int round = 0; round < 2; round++) { // opened, closed by the user, reopened
        gui_set_text(main_window, GID_COMMAND, "BASE");
        post(event(GE_GADGET, GID_COMMAND, 13));
        EXPECT_TRUE(gui_message_console_is_open()) << round;
        gui_message_console_close();
        con_printf("later\n");
        EXPECT_FALSE(gui_message_console_is_open());
    }
    gui_messages_to_console(false); // a terminal: nothing changes
    con_printf("terminal\n");
    quiet_output_rearm();
    const std::string& text = gui_headless_message_console_text();
    EXPECT_EQ(text.find("before\n>BASE\n"), 0u) << text;
    EXPECT_NE(text.find("later\n>BASE\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("terminal"), std::string::npos) << text;
}

TEST_F(MainWindow, ClosingTheHelpViewerResumesTheEmulationItPaused) {
    std::filesystem::create_directories(home / "help");
    std::ofstream(home / "help" / "index.html") << "<a name=\"MAIN\"></a>";
    gui_open_main_window(0);
    help_show(-1);
    EXPECT_TRUE(emu_paused);
    gui_main_window_events();
    EXPECT_TRUE(emu_paused); // still open
    gui_help_close();
    gui_main_window_events();
    EXPECT_FALSE(emu_paused);
    emu_pause(PauseCause::user); // the user's own pause outlives the viewer
    help_show(-1);
    gui_help_close();
    gui_main_window_events();
    EXPECT_TRUE(emu_paused);
}

} // namespace

// With the mouse as a controller and "confinepointer" on, each event pass
// brings a pointer that left the guest picture back to its nearest edge, but
// only while the window is the user's and the guest runs.
TEST_F(MainWindow, TheConfinedPointerStaysOverTheGuestPicture) {
    ASSERT_TRUE(machine_switch(ARCADIA, MAP_ARCADIA_EMERSON, true, true, false));
    gui_open_main_window(0);
    gui_headless_set_active(main_window);
    controller_left = 1;
    confinepointer = 1;
    const int left = display_rect[0], top = display_rect[1];
    const int right = display_rect[2], bottom = display_rect[3];
    ASSERT_LT(left, right);
    const struct {
        int x, y, to_x, to_y;
    } moves[] = {{left - 40, top - 7, left, top},
                 {right + 90, bottom + 3, right, bottom},
                 {left + 5, bottom + 50, left + 5, bottom},
                 {left + 5, top + 6, left + 5, top + 6}}; // inside: left alone
    for (const auto& m : moves) {
        gui_headless_move_pointer(main_window, m.x, m.y);
        gui_main_window_events();
        int x = 0, y = 0;
        gui_headless_pointer_at(&x, &y);
        EXPECT_EQ(x, m.to_x) << m.x << "," << m.y;
        EXPECT_EQ(y, m.to_y) << m.x << "," << m.y;
    }
    // Let go: paused, another window active, the option off, no mouse controller.
    const struct {
        const char* why;
        void (*set)(), (*reset)();
    } free_cases[] = {
        {"paused", [] { emu_paused = true; }, [] { emu_paused = false; }},
        {"inactive", [] { gui_headless_set_active(0); },
         [] { gui_headless_set_active(main_window); }},
        {"option off", [] { confinepointer = 0; }, [] { confinepointer = 1; }},
        {"keyboard", [] { controller_left = 0; }, [] { controller_left = 1; }},
    };
    for (const auto& c : free_cases) {
        c.set();
        gui_headless_move_pointer(main_window, left - 40, top - 7);
        gui_main_window_events();
        int x = 0, y = 0;
        gui_headless_pointer_at(&x, &y);
        EXPECT_EQ(x, left - 40) << c.why;
        c.reset();
    }
    confinepointer = 0;
}

// The status bar's Caps field says "CAPS", in lower case while the guest's
// Caps Lock is off; each press of the host's Caps Lock turns it over, and a
// window opened again shows the state it finds.
TEST_F(MainWindow, TheCapsFieldFollowsCapsLock) {
    gui_open_main_window(0);
    EXPECT_EQ(gui_get_text(main_window, GID_CAPS), "caps");
    post(event(GE_RAWKEY, 0, RAW_CAPS));
    post(event(GE_RAWKEY, 0, RAWKEY_UP + RAW_CAPS));
    EXPECT_EQ(gui_get_text(main_window, GID_CAPS), "CAPS");
    gui_close_main_window();
    gui_open_main_window(0);
    EXPECT_EQ(gui_get_text(main_window, GID_CAPS), "CAPS");
    post(event(GE_RAWKEY, 0, RAW_CAPS));
    post(event(GE_RAWKEY, 0, RAWKEY_UP + RAW_CAPS));
    EXPECT_EQ(gui_get_text(main_window, GID_CAPS), "caps");
}

namespace {
int rumble_stops = 0;
u32 no_pad(int) {
    return 0;
}
void no_type(int, int) {}
void motor_on(int) {}
void motor_off(int) {
    rumble_stops++;
}
const PadDevice rumbling_pads = {no_pad, no_pad, no_type, motor_on, motor_off, true};
} // namespace

// Showing a menu stops a controller's motor that a guest started.
TEST_F(MainWindow, OpeningAMenuStopsTheRumble) {
    pad_device = &rumbling_pads;
    rumble_stops = 0;
    gui_open_main_window(0);
    host_rumble_start(0, 50);
    post(event(GE_MENUVERIFY));
    EXPECT_EQ(rumble_stops, 1);
    EXPECT_EQ(rumble_frames[0], 0u);
    pad_device = nullptr;
}

// Ctrl and Shift held for Ctrl+Shift+H (Act as server) show the magnifier
// over the picture; the listening wait that the command opens takes it away.
TEST_F(MainWindow, TheListeningWaitTakesTheMagnifierAway) {
    app_acquired.host_gui = true;
    int stage = 0;
    const int probe = net_listen_on(0, &stage);
    net_port = test_bound_port(probe);
    net_close(probe);
    gui_open_main_window(0);
    GuiEvent move = event(GE_MOUSEMOVE, GID_DISPLAY);
    move.x = display_rect[0] + 20;
    move.y = display_rect[1] + 20;
    post(move);
    post(event(GE_RAWKEY, 0, RAW_CTRL, QUAL_CONTROL));
    post(event(GE_RAWKEY, 0, RAW_LSHIFT, QUAL_CONTROL | QUAL_LSHIFT));
    ASSERT_TRUE(gui_magnifier_open());
    static int polls;
    static bool magnified;
    polls = 0;
    magnified = false;
    const auto kept_poll = ui_host.listen_poll;
    ui_host.listen_poll = [] {
        polls++;
        magnified = magnified || gui_magnifier_open();
        return polls > 2; // then the user gives up
    };
    OutputCapture out;
    post(event(GE_MENU, 0, cmd_row(Cmd::TOOLS_SERVER).plain));
    ui_host.listen_poll = kept_poll;
    EXPECT_GT(polls, 0) << out.text();
    EXPECT_FALSE(magnified);
    EXPECT_FALSE(gui_magnifier_open());
    gui_close_magnifier();
    app_acquired.host_gui = false;
}
