// The registry through which the display, sound and input layers hook into
// core: at each point below core runs whatever the layers added there, in the
// order they added it. The application adds them all at start-up
// (app_install_hooks); core itself knows none of them.
//
//   core_hook_add(CoreHook::sound_stop, stop_output);   // at start-up
//   core_hooks_run(CoreHook::sound_stop);               // in core
#pragma once

enum class CoreHook : int {
    sound_stop,      // sound output stops (a machine switch, a pause, a load)
    sound_start,     // ... and starts again
    sound_changed,   // a sound register was written: the voices follow it
    machine_leave,   // the machine is being left for another memory map
    machine_reset,   // the machine resets: paddles, sound latches, beepers
    state_loaded,    // a save state was written into the machine
    geometry,        // the guest display's size follows the machine's live row
    picture_clear,   // the guest frame is cleared
    picture_setup,   // the plotters follow the machine (and its rotation)
    palette,         // the machine's palette is applied
    picture_reset,   // the guest frame starts anew
    picture_redraw,  // the whole picture is drawn again on the host
    picture_keep,    // the guest frame is kept aside as it stands
    picture_restore, // ... and stands again as kept
    paused,          // the emulation paused (the beam marker shows)
    unpaused,        // ... and runs again
    frame_picture,   // the frame's picture is due on the host
    frame_ending,    // the frame ends, before it is counted
    frame_ended,     // the frame was counted and the machine has seen its end
    link_end,        // the netplay link ends: a reset or a load of one side, a switch
    count
};

void core_hook_add(CoreHook point, void (*hook)());
void core_hooks_run(CoreHook point);
// Empties every point (the application fills them again).
void core_hooks_clear();

// Whether the keys that slow the emulation to one frame a second are held
// (the input layer answers; nobody holds them before it is installed).
extern bool (*core_slow_keys_held)();
// Types text into the guest's type-ahead queue (the input layer's).
extern void (*core_type_keys)(const unsigned char* text, int length);
