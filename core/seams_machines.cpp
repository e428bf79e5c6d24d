// Stand-ins for the machines' own set-up and reset routines and for the
// machine state that switching and reset touch, until each machine is written.
// The real set-up builds the machine's memory map and hardware, the real reset
// puts its chips into their power-on state. A set-up stand-in builds the
// generic memory map (cleared memory, no attributes, identity mirrors); a
// reset stand-in does nothing.
#include "core/machine.h"
#include "core/seams_services.h"

// ---- Video-game machines -------------------------------------------------------
// The real one writes the Malzak's non-volatile RAM to its file.
void malzak_save_nvram() {}
void arcadia_setup() {
    machine_setup_generic();
}
void interton_setup() {
    machine_setup_generic();
}
void elektor_setup() {
    machine_setup_generic();
}
void malzak_setup() {
    machine_setup_generic();
}
void pong_machine_init() {
    machine_setup_generic();
}
void typeright_machine_init() {
    machine_setup_generic();
}
void zaccaria_setup_astro_wars() {
    machine_setup_generic();
}
void zaccaria_setup_galaxia() {
    machine_setup_generic();
}
void zaccaria_setup_laser_battle() {
    machine_setup_generic();
}
void arcadia_reset() {}
void interton_reset() {}
void elektor_reset() {}
void pong_reset() {}
void typeright_reset() {}
// The real ones drop a coin when "autocoin" is on, and clear the coin-ops' latches.
void coinop_auto_coin() {}
void coinop_clear_latches() {}
DeflickerSettings deflicker_settings = {0, 26, -1, 0, {0, 0, 0, 0}, {0, 0, 0, 0}};

// ---- Computers and peripherals ---------------------------------------------------
void pipbug_setup() {
    machine_setup_generic();
}
void binbug_setup() {
    machine_setup_generic();
}
void instructor_setup() {
    machine_setup_generic();
}
void twin_setup() {
    machine_setup_generic();
}
void cd2650_setup() {
    machine_setup_generic();
}
void phunsy_machine_init() {
    machine_setup_generic();
}
void selbst_machine_init() {
    machine_setup_generic();
}
void mikit_machine_init() {
    machine_setup_generic();
}
void pipbug_reset() {}
void binbug_reset() {}
void instructor_reset() {}
void twin_reset() {}
void cd2650_reset() {}
void phunsy_reset() {}
void selbst_reset() {}
void mikit_reset() {}
// The real ones print a printer's buffered line, size the printer's paper and
// put the terminal's character input and output state bytes to 1.
void printer_flush(int) {}
void printer_setup_geometry() {}
void term_reset_states() {}
u8 drive_present[4];
u8 lamp_latch;
i32 tape_state;
i32 tape_reel_phase;
i32 beeper_countdowns[2];
u8 vdu_text[VDU_COLUMNS * VDU_ROWS];
u8 vdu_blank_char = 0x20;
i32 binbug_serial_bit_time = 3333;
