// The event pass's handling of the emulation's marks (core/notify.h) and the
// interface's answers to what the emulation asks (core/ui_host.h).
#pragma once

#include <cstddef>

// Points ui_host at this layer's functions (before app_main, and in the tests'
// fresh state).
void gui_install_ui_host();
// Takes the marks and tool-window requests since the last pass and acts on
// each once: tool windows closed, resized, reopened and opened, then title,
// menus, toolbars, status bar, speed, pointer and the open windows' contents.
void gui_apply_changes();

// Brings everything that shows opcodes in line with the processor variant,
// the notation and the machine: the opcode tables themselves
// (cpu_apply_type_tables), then the labels of the open windows that list them.
void gui_relabel_opcodes();

// The status bar's speed label for the "viewspeedas" setting, the speed
// measured anew and the timing restarted (after a speed or display change).
void gui_status_bar_update();
// The measured speed in the status bar and the speed window's values.
void gui_show_speed();
// Appends the state words (" (paused)" ...) to the title text in `title`.
void gui_title_state(char* title, std::size_t size);
