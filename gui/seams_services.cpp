// Stand-ins for services that later parts of the program provide: each does
// the least its callers need and says so where the user would notice.
#include "gui/seams.h"

#include "core/message.h"

// The real ones assemble the ASM source, load the SYM file and run the script.
int asm_assemble_startup(const char* path) {
    con_printf("Can't assemble \"%s\": the assembler is not available yet.\n", path);
    return -1;
}
void sym_load_startup(const char* path) {
    con_printf("Can't load symbols from \"%s\": symbol files are not available yet.\n", path);
}
void rexx_run_script(int, int) {
    con_printf("Can't run the startup script: scripts are not available yet.\n");
}

// The real ones browse the game list, iconify, run the menu commands, show a
// tip, toggle the floppy window, run debugger commands and the toolbar's buttons.
void games_browse_prev(int) {}
void games_browse_next(int) {}
void gui_iconify() {}
void gui_menu_command_a(int) {}
void gui_menu_command_b(int) {}
void gui_tip_of_the_day() {}
void gui_floppy_window_toggle() {}
void dbg_run_command_line(const char*) {
    con_printf("The debugger is not available yet.\n");
}
void gui_toolbar_command(int, int, bool) {}

// The real ones press and release guest keys from host keys and clear them all.
void input_host_key_press(int, u16) {}
void input_host_key_release(int) {}
void input_clear_key_matrix() {}
