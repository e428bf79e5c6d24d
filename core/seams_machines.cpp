// Weak stand-ins for the machines' own set-up and reset routines and for the
// machine state that switching and reset touch, until each machine is written.
// A set-up stand-in builds the generic memory map (cleared memory, no
// attributes, identity mirrors); a reset stand-in does nothing.
#include "core/machine.h"
#include "core/seams_games.h"
#include "core/seams_services.h"

#define WEAK __attribute__((weak))

// ---- Video-game machines -------------------------------------------------------
WEAK void malzak_save_nvram() {}
WEAK void arcadia_setup() {
    machine_setup_generic();
}
WEAK void interton_setup() {
    machine_setup_generic();
}
WEAK void elektor_setup() {
    machine_setup_generic();
}
WEAK void malzak_setup() {
    machine_setup_generic();
}
WEAK void pong_machine_init() {
    machine_setup_generic();
}
WEAK void typeright_machine_init() {
    machine_setup_generic();
}
WEAK void zaccaria_setup_astro_wars() {
    machine_setup_generic();
}
WEAK void zaccaria_setup_galaxia() {
    machine_setup_generic();
}
WEAK void zaccaria_setup_laser_battle() {
    machine_setup_generic();
}
WEAK void arcadia_reset() {}
WEAK void interton_reset() {}
WEAK void elektor_reset() {}
WEAK void pong_reset() {}
WEAK void typeright_reset() {}
WEAK void coinop_auto_coin() {}
WEAK void coinop_clear_latches() {}
WEAK DeflickerSettings deflicker_settings = {0, 26, -1, 0, {0, 0, 0, 0}, {0, 0, 0, 0}};

// ---- Computers and peripherals ---------------------------------------------------
WEAK void pipbug_setup() {
    machine_setup_generic();
}
WEAK void binbug_setup() {
    machine_setup_generic();
}
WEAK void instructor_setup() {
    machine_setup_generic();
}
WEAK void twin_setup() {
    machine_setup_generic();
}
WEAK void cd2650_setup() {
    machine_setup_generic();
}
WEAK void phunsy_machine_init() {
    machine_setup_generic();
}
WEAK void selbst_machine_init() {
    machine_setup_generic();
}
WEAK void mikit_machine_init() {
    machine_setup_generic();
}
WEAK void pipbug_reset() {}
WEAK void binbug_reset() {}
WEAK void instructor_reset() {}
WEAK void twin_reset() {}
WEAK void cd2650_reset() {}
WEAK void phunsy_reset() {}
WEAK void selbst_reset() {}
WEAK void mikit_reset() {}
WEAK void printer_flush(int) {}
WEAK void printer_setup_geometry() {}
WEAK void term_reset_states() {}
WEAK u8 drive_present[4];
WEAK u8 lamp_latch;
WEAK i32 tape_state;
WEAK i32 tape_reel_phase;
WEAK i32 beeper_countdowns[2];
WEAK u8 vdu_text[VDU_COLUMNS * VDU_ROWS];
WEAK u8 vdu_blank_char = 0x20;
WEAK i32 binbug_serial_bit_time = 3333;

// ---- Games database -----------------------------------------------------------------
// No rows yet: every row is empty and names no usable memory map.
extern const KnownGame known_games_db[KNOWN_GAMES] WEAK = {};
WEAK u16 game_start_address;
WEAK char game_file_name[513];
WEAK u32 state_length;
