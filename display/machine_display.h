// The display's part of each machine's operations row (core/machine_ops.h):
// text colours, visible windows, fixed frame areas, LED panel cells and
// geometry, beam markers. Each is reached only through the machine's row.
#pragma once

#include "core/machine_ops.h"

// Text colours.
void display_terminal_colours(u8* ink, u8* paper); // white on black, inverse swaps
void display_pipbug_colours(u8* ink, u8* paper);   // the same; the Elekterminal on grey
void display_panel_colours(u8* ink, u8* paper);    // LED machines: paper black
void display_typeright_colours(u8* ink, u8* paper);

// Visible windows.
DisplayWindow display_window_arcadia(i32 w, i32 h);
DisplayWindow display_window_pvi(i32 w, i32 h);
DisplayWindow display_window_pipbug(i32 w, i32 h);
DisplayWindow display_window_coinop(i32 w, i32 h);
DisplayWindow display_window_phunsy(i32 w, i32 h);
DisplayWindow display_window_pong(i32 w, i32 h);

// Frame sizes (and the current machine's text geometry).
void display_geometry_console(MachineLive& row, bool current); // Arcadia, Interton, Elektor
void display_geometry_pipbug(MachineLive& row, bool current);
void display_geometry_binbug(MachineLive& row, bool current);
void display_geometry_twin(MachineLive& row, bool current);
void display_geometry_cd2650(MachineLive& row, bool current);
void display_geometry_phunsy(MachineLive& row, bool current);
void display_geometry_selbst(MachineLive& row, bool current);

// Fixed frame areas.
void display_reset_console(i32 w, i32 h);
void display_reset_pipbug(i32 w, i32 h);
void display_reset_binbug(i32 w, i32 h);
void display_reset_twin(i32 w, i32 h);
void display_reset_cd2650(i32 w, i32 h);
void display_reset_phunsy(i32 w, i32 h);
void display_reset_pong(i32 w, i32 h);
void display_reset_selbst(i32 w, i32 h);

// LED panel cells and geometry.
void led_cell_instructor(i32 x, i32 y, u32 colour);
void led_cell_phunsy(i32 x, i32 y, u32 colour);
void led_cell_double(i32 x, i32 y, u32 colour); // Selbstbaucomputer, MIKIT
void led_cell_typeright(i32 x, i32 y, u32 colour);
void led_geometry_pipbug();
void led_geometry_instructor();
void led_geometry_phunsy();
void led_geometry_selbst();
void led_geometry_mikit();
void led_geometry_typeright();

// Beam markers.
bool beam_marker_console(i32 clock, i32 line, bool tracing, BeamLine* out);
bool beam_marker_binbug(i32 clock, i32 line, bool tracing, BeamLine* out);
bool beam_marker_cd2650(i32 clock, i32 line, bool tracing, BeamLine* out);
bool beam_marker_phunsy(i32 clock, i32 line, bool tracing, BeamLine* out);
bool beam_marker_coinop(i32 clock, i32 line, bool tracing, BeamLine* out);
