// Weak stand-ins for services that later parts of the program provide: each
// does the least its callers need and says so where the user would notice.
#include "gui/seams.h"

#include "core/message.h"

#define WEAK __attribute__((weak))

WEAK int asm_assemble_startup(const char* path) {
    con_printf(0, "Can't assemble \"%s\": the assembler is not available yet.\n", path);
    return -1;
}
WEAK void sym_load_startup(const char* path) {
    con_printf(0, "Can't load symbols from \"%s\": symbol files are not available yet.\n", path);
}
WEAK void rexx_run_script(int, int) {
    con_printf(0, "Can't run the startup script: scripts are not available yet.\n");
}

WEAK void games_browse_prev(int) {}
WEAK void games_browse_next(int) {}
WEAK void gui_iconify() {}
WEAK void gui_menu_command_a(int) {}
WEAK void gui_menu_command_b(int) {}
WEAK void gui_tip_of_the_day() {}
WEAK void gui_floppy_window_toggle() {}
WEAK void dbg_run_command_line(const char*) {
    con_printf(0, "The debugger is not available yet.\n");
}
WEAK void gui_toolbar_command(int, int, bool) {}

WEAK void input_host_key_press(int, u16) {}
WEAK void input_host_key_release(int) {}
WEAK void input_clear_key_matrix() {}
