// Start-up: app_main acquires the program's resources in one fixed order,
// reads the settings and the command line, sets up the machine, runs a batch
// job (ASM, DISGAME, UPGRADE: no display) or opens the display, loads the
// first file, opens the main window and enters the main loop. Every failure
// leaves through app_clean_exit.
#pragma once

#include "cpu/cpu.h"

constexpr int PUBSCREEN_NAME_LEN = 139;
constexpr int STARTUP_PATH_LEN = 513;

extern u32 startup_mode; // 0 normal, 1 ASM, 2 DISGAME
extern char asm_source_path[STARTUP_PATH_LEN];
extern char rexx_script_path[STARTUP_PATH_LEN];
extern char startup_sym_path[STARTUP_PATH_LEN];
extern char rexx_port_name[STARTUP_PATH_LEN];
extern char pubscreen_name[2][PUBSCREEN_NAME_LEN]; // [0] windowed, [1] own screen
extern char program_path[512];
extern u8 use_lowlevel;
extern int task_priority;
extern u8 task_priority_given;
extern int task_priority_at_start;
extern char startup_dir[STARTUP_PATH_LEN]; // the directory the program was started in
extern u32 games_rescan_pending;
// The user's locale: number separators, and whether the host text is Latin-1.
extern char locale_decimal_point, locale_group_separator;
extern u8 locale_latin1;

// The program's entry after main(): never returns.
[[noreturn]] void app_main(int argc, char** argv);

// An ASM, DISGAME or UPGRADE run: no display, window, sound or controllers,
// and none of the session's files (settings, high scores, autosave) written.
bool startup_batch_job();

// Clears the start-up state (options named on the command line, paths).
void startup_reset_state();
// The whole program's state as it starts: exit path, messages, recording,
// settings, start-up options, frame pacing, high scores, marks, the machine
// table and the loaded game. The first step of app_main; the tests' fresh
// state starts from it as well.
void emu_reset_all();

// A relative path named on the command line, made absolute against the
// directory the program was started in (the program works in its own home).
void startup_absolute_path(char* path, int size);

void dir_enter_projects();
// Returns to the program's home after a drawer operation.
void dir_restore();
