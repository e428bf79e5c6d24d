// The real-time CPU monitor (tool window TW_CPU): the processor's registers,
// flags, return-address stack, instruction, cycles, raster position, frame
// count and elapsed time, refreshed after every frame. A click on a value
// edits it, a click on a flag toggles it. The TWIN shows both processors; the
// Type-right, which has no 2650, shows its typing statistics.
//
//   cpu_monitor_window_register();  // once: gui_subwin_ops[TW_CPU]
#pragma once

#include "core/types.h"

#include <string>

struct CpuState;

// Gadget ids beside the rows' buttons (731..790).
enum CpuMonitorGadget : int {
    GID_CPU_TR_SPEED = 155, // Type-right: speed, accuracy, errors, expecting
    GID_CPU_TR_ACCURACY = 156,
    GID_CPU_TR_ERRORS = 157,
    GID_CPU_TR_EXPECTING = 158,
    GID_CPU_UNIT = 791, // the caption of the cycle counter
    GID_CPU_CYCLES = 792,
    GID_CPU_Y = 793,
    GID_CPU_X = 794,
    GID_CPU_FRAME = 795,
    GID_CPU_TIME = 796,
    GID_CPU_RUNNING_1 = 797, // the marks of the running processor (TWIN)
    GID_CPU_RUNNING_2 = 798,
    GID_CPU_LEDS = 799,
};

void cpu_monitor_window_register();
void mon_open_cpu_window();
void cpu_monitor_refresh(int force);
// Redraws the LED image from the machine's digits (UI_MONITOR_LEDS).
void cpu_monitor_draw_leds();

// The processors the monitor shows: one, or the TWIN's two with the context
// of the one that is not running. Replaceable for tests.
struct CpuPanels {
    int count = 1;
    int running = 0;                  // the panel whose context is in the processor
    const CpuState* parked = nullptr; // the other panel's context
};
extern CpuPanels (*cpu_monitor_panels)();
// The PSU that panel 0 or 1 shows.
u8 cpu_panel_psu(int panel);

// "hh:mm:ss.uu" of `frames` frames at `rate` frames a second, the hours
// modulo 100, the hundredths cut off; the decimal point is the locale's.
std::string emu_elapsed_time_text(u32 frames, double rate);
// The frame rate the elapsed time counts with on the current machine.
double emu_elapsed_rate();

// The Type-right's statistics texts as the monitor shows them.
struct TypingTexts {
    std::string speed, accuracy, errors, expecting;
};
TypingTexts cpu_monitor_typing_texts();

// The flag letter of a panel's flag row, by notation (upper case when set).
char cpu_flag_letter(int flag, bool set);
// The condition name of `cc` (0..3) in the current notation.
const char* cpu_condition_name(u32 cc);
