// The laboratory instruments window: its pages, what each control writes into
// the instruments, the refresh that follows them and the picture.
#include "devicewindows/lab_window.h"

#include "core/frame.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "gui/tool_windows.h"
#include "peripherals/lab.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "devicewindows/printer_window.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

class LabWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        lab_window_register();
        printer_window_register();
        pipbug_bios = 2;
        pipbug_vdu = 2;
        ASSERT_TRUE(machine_switch(PIPBUG, 9, false, true, false));
        declinate = 0;
    }
    void TearDown() override {
        pipbug_peripheral = 0; // settings outlive fresh_state
        declinate = 1;
        fresh_state();
    }
    void open(i32 peripheral) {
        pipbug_peripheral = peripheral;
        gui_open_lab_window();
        win = gui_subwin_window[TW_INSTRUMENTS];
        ASSERT_NE(win, 0);
    }
    void post(GuiEventType type, int gid, int code) {
        GuiEvent e;
        e.type = type;
        e.gid = gid;
        e.code = code;
        gui_headless_post(win, e);
    }
    // The user moves a slider or picks a choice: the gadget's level and its event.
    void set(int gid, int value) {
        gui_set_value(win, gid, value);
        post(GE_GADGET, gid, value);
    }
    std::string text(int gid) { return gui_get_text(win, gid); }
    int win = 0;
};

TEST_F(LabWindow, OpensOnlyOnThePipbugWithThePageOfThePeripheral) {
    machine_switch(ARCADIA, 6, true, true, false);
    pipbug_peripheral = LAB_FURNACE;
    gui_open_lab_window();
    EXPECT_EQ(gui_subwin_window[TW_INSTRUMENTS], 0);
    EXPECT_TRUE(gui_headless_requesters().empty());

    ASSERT_TRUE(machine_switch(PIPBUG, 9, false, true, false));
    open(LAB_EA_PRINTER);
    EXPECT_EQ(gui_headless_title(win), "Industrial/Scientific Peripherals: EA printer");
    EXPECT_FALSE(gui_get_disabled(win, GID_LAB_PRINTER));
    gui_headless_move(win, 40, 50);

    // The same peripheral again: nothing happens.
    set(GID_LAB_PERIPHERAL, LAB_EA_PRINTER);
    gui_lab_handle_input();
    EXPECT_EQ(gui_subwin_window[TW_INSTRUMENTS], win);

    // Another: the window is built anew at the same place with the new page.
    set(GID_LAB_PERIPHERAL, LAB_MAGNETOMETER);
    gui_lab_handle_input();
    EXPECT_EQ(pipbug_peripheral, LAB_MAGNETOMETER);
    win = gui_subwin_window[TW_INSTRUMENTS];
    ASSERT_NE(win, 0);
    EXPECT_EQ(gui_headless_title(win), "Industrial/Scientific Peripherals: Vector Magnetometer");
    int left = 0, top = 0;
    gui_window_position(win, &left, &top, nullptr, nullptr);
    EXPECT_EQ(left, 40);
    EXPECT_EQ(top, 50);
    EXPECT_EQ(gui_get_value(win, GID_LAB_PERIPHERAL), LAB_MAGNETOMETER);
    EXPECT_EQ(gui_headless_desc(win)->help_node, "magnetometer");

    // Opening again raises the open window instead of building a second.
    gui_open_tool_window(TW_INSTRUMENTS);
    EXPECT_EQ(gui_subwin_window[TW_INSTRUMENTS], win);
    EXPECT_EQ(gui_headless_open_count(), 1);

    // A program that chooses another instrument gets its page at the next refresh.
    pipbug_peripheral = LAB_FURNACE;
    gui_refresh_windows(0);
    win = gui_subwin_window[TW_INSTRUMENTS];
    EXPECT_EQ(gui_headless_title(win), "Industrial/Scientific Peripherals: Wind Furnace Controller");
}

TEST_F(LabWindow, ThePrinterPageOpensAndClosesThePrinterWindow) {
    open(LAB_EA_PRINTER);
    post(GE_GADGET, GID_LAB_PRINTER, 0);
    gui_lab_handle_input();
    EXPECT_NE(gui_subwin_window[TW_PRINTER], 0);
    post(GE_GADGET, GID_LAB_PRINTER, 0);
    gui_lab_handle_input();
    EXPECT_EQ(gui_subwin_window[TW_PRINTER], 0);
}

TEST_F(LabWindow, FurnaceControlsWriteTheirBitsAndTheFieldsFollow) {
    open(LAB_FURNACE);
    EXPECT_EQ(text(GID_LAB_PITCH_SPEED_TEXT), "0.0");
    EXPECT_EQ(text(GID_LAB_MECH_TEXT), "0.000");

    set(GID_LAB_PITCH_SPEED, 64);
    set(GID_LAB_PITCH_DIR, 1); // "Feathering": the speed bits stay
    gui_lab_handle_input();
    EXPECT_EQ(lab_port(FURNACE_PITCH_MOTOR), 0xC0);
    set(GID_LAB_PITCH_SPEED, 127); // the direction bit stays
    gui_lab_handle_input();
    EXPECT_EQ(lab_port(FURNACE_PITCH_MOTOR), 0xFF);
    EXPECT_EQ(text(GID_LAB_PITCH_SPEED_TEXT), "100.0");
    set(GID_LAB_YAW_DIR, 1);
    set(GID_LAB_YAW_SPEED, 1);
    set(GID_LAB_DRIVE, 1);
    set(GID_LAB_FIELD, 255);
    gui_lab_handle_input();
    EXPECT_EQ(lab_port(FURNACE_YAW_MOTOR), 0x81);
    EXPECT_EQ(lab_port(FURNACE_DRIVE), 1);
    EXPECT_EQ(text(GID_LAB_FIELD_TEXT), "994.5");

    // The sensors, and what the model makes of them at the next frame's refresh.
    set(GID_LAB_WIND_SPEED, 10);
    set(GID_LAB_WIND_DIR, 128);
    set(GID_LAB_YAW, 128);
    gui_lab_handle_input();
    EXPECT_EQ(text(GID_LAB_YAW_TEXT), "~180");
    EXPECT_EQ(text(GID_LAB_WIND_SPEED_TEXT), "10");
    lab_set_port(FURNACE_PITCH_MOTOR, 0); // the guest writes: unfeathering, stopped
    frame_counter = 1;
    lab_furnace_tick();
    gui_refresh_windows(0);
    EXPECT_EQ(text(GID_LAB_ROTOR_TEXT), "134");
    EXPECT_EQ(gui_get_value(win, GID_LAB_PITCH_SPEED), 0);
    EXPECT_EQ(gui_get_value(win, GID_LAB_PITCH_DIR), 0);
    EXPECT_EQ(text(GID_LAB_ELEC_TEXT), lab_text("%.3f", lab_mech_power));

    // Nothing changed: the refresh touches no gadget.
    const long calls = gui_headless_setter_calls();
    gui_refresh_windows(0);
    EXPECT_EQ(gui_headless_setter_calls(), calls);

    post(GE_GADGET, GID_LAB_RESET, 0);
    gui_lab_handle_input();
    for (u32 port : {0u, 1u, 2u, 4u})
        EXPECT_EQ(lab_port(port), 0);
    EXPECT_EQ(text(GID_LAB_WIND_SPEED_TEXT), "0");
    EXPECT_EQ(text(GID_LAB_ROTOR_TEXT), "0");
    EXPECT_EQ(text(GID_LAB_ELEC_TEXT), "0.000");
    EXPECT_EQ(gui_get_value(win, GID_LAB_FIELD), 0);
}

// The platform reports a slider's every move while it is dragged: each one
// reaches the model, its field and the picture before the release.
TEST_F(LabWindow, DraggedSlidersUpdateBeforeTheyAreReleased) {
    open(LAB_LINEARIZATION);
    int w = 0, h = 0;
    const auto before = gui_headless_display(win, GID_LAB_PICTURE, &w, &h);
    EXPECT_EQ(w, LAB_CANVAS);
    for (int level : {2100, 2600, 3100}) {
        set(GID_LAB_LIN + 0, level);
        gui_lab_handle_input();
        EXPECT_EQ(lab_linear[LIN_IN_X], level);
        EXPECT_EQ(text(GID_LAB_LIN_TEXT), lab_linear_text(static_cast<u16>(level)));
    }
    EXPECT_NE(gui_headless_display(win, GID_LAB_PICTURE, &w, &h), before);
    set(GID_LAB_LIN + 3, 100);
    gui_lab_handle_input();
    EXPECT_EQ(lab_linear[LIN_OUT_Y], 100);

    post(GE_GADGET, GID_LAB_RESET, 0);
    gui_lab_handle_input();
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(lab_linear[i], 2048);
        EXPECT_EQ(text(GID_LAB_LIN_TEXT + i), "+0.000");
    }
}

TEST_F(LabWindow, MagnetometerFieldsAndDeclination) {
    open(LAB_MAGNETOMETER);
    EXPECT_EQ(text(GID_LAB_EARTH_HX), "0.000000");
    EXPECT_EQ(text(GID_LAB_PLANE_YAW), "+0.00000");
    EXPECT_EQ(text(GID_LAB_LAT_INCLINATION), "0.0");
    EXPECT_EQ(text(GID_LAB_LAT_INTENSITY), "0.0");
    set(GID_LAB_MAG + 2, 2048 + 100); // Hz shows in its own field
    set(GID_LAB_MAG + 0, 2048 + 1000);
    gui_lab_handle_input();
    EXPECT_EQ(text(GID_LAB_MAG_TEXT + 2), "+29.200");
    EXPECT_EQ(text(GID_LAB_LIN_TEXT + 2), ""); // not the linearization's output X field
    EXPECT_EQ(text(GID_LAB_EARTH_HX), "292.000000");
    gui_set_value(win, GID_LAB_DECLINATE, 1);
    post(GE_GADGET, GID_LAB_DECLINATE, 1);
    gui_lab_handle_input();
    EXPECT_EQ(declinate, 1u);
    EXPECT_EQ(text(GID_LAB_PLANE_YAW), "-9.60000");

    lab_magnetometer[MAG_HX] = 7; // a loaded state: the refresh follows
    gui_refresh_windows(0);
    EXPECT_EQ(gui_get_value(win, GID_LAB_MAG), 7);
    post(GE_GADGET, GID_LAB_RESET, 0);
    gui_lab_handle_input();
    for (u16 v : lab_magnetometer)
        EXPECT_EQ(v, 2048);
    EXPECT_EQ(text(GID_LAB_MAG_TEXT), "+0.000");
}

TEST_F(LabWindow, ReturnEnterAndEscClose) {
    for (int key : {0x43, 0x44, 0x45}) {
        open(LAB_FURNACE);
        post(GE_RAWKEY, 0, 0x40); // Space: nothing
        post(GE_RAWKEY, 0, key + RAWKEY_UP); // a release: nothing
        gui_lab_handle_input();
        EXPECT_EQ(gui_subwin_window[TW_INSTRUMENTS], win);
        post(GE_RAWKEY, 0, key);
        gui_lab_handle_input();
        EXPECT_EQ(gui_subwin_window[TW_INSTRUMENTS], 0) << key;
    }
    open(LAB_FURNACE);
    post(GE_CLOSE, 0, 0);
    gui_lab_handle_input();
    EXPECT_EQ(gui_subwin_window[TW_INSTRUMENTS], 0);
}

} // namespace
