// Services that start-up, the main loop and the main window call on but that
// later parts of the program provide. gui/seams_services.cpp holds one plain
// stand-in for each, with the least behaviour; the owner that writes the real
// service deletes the stand-in and moves the declaration to its own header.
#pragma once

#include "cpu/cpu.h"

// ---- Loading and batch jobs ---------------------------------------------------
// Assembles the ASM source: 0 clean, 5 warnings, 10 errors, -1 not available.
int asm_assemble_startup(const char* path);
// Loads the SYM symbol file.
void sym_load_startup(const char* path);
// Runs the STARTUP script.
void rexx_run_script(int a, int b);

// ---- Game list, iconify, menus, commands -------------------------------------------
void games_browse_prev(int flag);
void games_browse_next(int flag);
void gui_iconify();
void gui_menu_command_a(int id);
void gui_menu_command_b(int id);
void gui_tip_of_the_day();
void gui_floppy_window_toggle();
// Debugger: runs one command line; keeps the command history.
void dbg_run_command_line(const char* line);
// Speedbar commands: button `index` of toolbar 1 or 2 was pressed.
void gui_toolbar_command(int bar, int index, bool selected);

// ---- Input -----------------------------------------------------------------------
void input_host_key_press(int code, u16 qualifier);
void input_host_key_release(int code);
void input_clear_key_matrix();
