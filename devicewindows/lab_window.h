// The laboratory instruments window (tool window TW_INSTRUMENTS), PIPBUG only:
// picks the peripheral on the board's ports and, for the three instruments,
// sets what the guest writes and what it reads with sliders and choosers,
// showing the values in physical units and a 192 x 192 picture.
//
// The window is built for the chosen peripheral only; choosing another one
// rebuilds it at the same place. Its refresher lab_format_value touches a
// gadget only when the value behind it changed, so a running guest that
// leaves the instrument alone costs nothing.
//
//   lab_window_register();   // once: gui_subwin_ops[TW_INSTRUMENTS]
//   gui_open_lab_window();   // the "Industrial/scientific..." menu item
#pragma once

#include "core/types.h"

struct GuiEvent;

enum LabGadget : int {
    GID_LAB_PICTURE = 230,
    GID_LAB_PERIPHERAL = 231,
    GID_LAB_RESET = 232,
    GID_LAB_PRINTER = 233,
    GID_LAB_PITCH_DIR = 234,
    GID_LAB_YAW_DIR = 235,
    GID_LAB_DRIVE = 236,
    GID_LAB_FIELD = 237,
    GID_LAB_PITCH_SPEED = 238,
    GID_LAB_YAW_SPEED = 239,
    GID_LAB_PITCH_ANGLE = 240,
    GID_LAB_YAW = 241,
    GID_LAB_WIND_SPEED = 242,
    GID_LAB_WIND_DIR = 243,
    GID_LAB_FIELD_TEXT = 244,
    GID_LAB_PITCH_SPEED_TEXT = 245,
    GID_LAB_YAW_SPEED_TEXT = 246,
    GID_LAB_PITCH_ANGLE_TEXT = 247,
    GID_LAB_YAW_TEXT = 248,
    GID_LAB_WIND_SPEED_TEXT = 249,
    GID_LAB_WIND_DIR_TEXT = 250,
    GID_LAB_ROTOR_TEXT = 251,
    GID_LAB_MECH_TEXT = 252,
    GID_LAB_ELEC_TEXT = 253,
    GID_LAB_LIN = 254,      // 254-257: X, Y, U, V sliders
    GID_LAB_LIN_TEXT = 258, // 258-261: their value fields
    GID_LAB_MAG = 263,      // 263-267: plane Hx, Hy, Hz, pitch, roll sliders
    GID_LAB_MAG_TEXT = 268, // 268-272: their value fields
    GID_LAB_EARTH_HX = 273,
    GID_LAB_EARTH_HY = 274,
    GID_LAB_EARTH_HZ = 275,
    GID_LAB_PLANE_YAW = 276,
    GID_LAB_LAT_INCLINATION = 277,
    GID_LAB_LAT_INTENSITY = 278,
    GID_LAB_DECLINATE = 279,
};

void lab_window_register();
// Opens the window on the chosen peripheral's page (PIPBUG only).
void gui_open_lab_window();
void gui_lab_handle_input();
// Follows a slider of the page while it moves (dragged or released): stores
// its level as the instrument's value and refreshes. Always 1.
int gui_lab_idcmp_hook(const GuiEvent& event);
// Brings the window's gadgets and picture up to the model; `force` redraws
// everything. Nothing while the window is closed or shows the EA printer.
void lab_format_value(int force);
