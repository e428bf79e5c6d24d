// Start-up: app_main acquires the program's resources in one fixed order,
// reads the settings and the command line, sets up the machine, runs a batch
// job (ASM, DISGAME, UPGRADE: no display) or opens the display, loads the
// first file, opens the main window and enters the main loop. Every failure
// leaves through app_clean_exit.
#pragma once

#include "app/hooks.h"
#include "core/session.h"

// The program's entry after main(): never returns.
[[noreturn]] void app_main(int argc, char** argv);

// An ASM, DISGAME or UPGRADE run: no display, window, sound or controllers,
// and none of the session's files (settings, high scores, autosave) written.
bool startup_batch_job();

// Clears the start-up state (options named on the command line, paths).
void startup_reset_state();
// The whole program's state as it starts: the registries filled
// (app_install_hooks), exit path, messages, recording,
// settings, start-up options, frame pacing, high scores, marks, the machine
// table and the loaded game. The first step of app_main; the tests' fresh
// state starts from it as well.
void emu_reset_all();

// A relative path named on the command line, made absolute against the
// directory the program was started in (the program works in its own home).
void startup_absolute_path(char* path, int size);

