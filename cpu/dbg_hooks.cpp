// Pause request and loop, breakpoint check, register watches and run-time reports.
#include "cpu/dbg_hooks.h"

u8 pause_pending;
u32 logbios;
u32 logillegal;
u32 loginefficient;
u32 loginterrupts;
u32 logreadwrites;
u32 logsubroutines;
u32 pausebreak = 1;
u32 pauselog;
u32 watchreads = 1;
u32 watchwrites = 2;
char watch_annotation[WATCH_ANNOTATION_SIZE];

void dbg_hooks_reset() {
    pause_pending = 0;
    logbios = logillegal = loginefficient = loginterrupts = logreadwrites = logsubroutines = 0;
    pausebreak = 1;
    pauselog = 0;
    watchreads = 1;
    watchwrites = 2;
    watch_annotation[0] = '\0';
}

void dbg_request_pause(int reason) {
    if (reason == PAUSE_ALWAYS || (reason == PAUSE_BREAK && pausebreak) ||
        (reason == PAUSE_LOG && pauselog))
        pause_pending = 1;
}

void dbg_pause_loop() { pause_pending = 0; }

void cpu_check_breakpoint_slow() {}

u8 cpu_read_register_watched(u32 n) { return cpu_regs[n]; }

void cpu_write_register_watched(u32 n, u8 value) { cpu_regs[n] = value; }

void cpu_annotate_value(u8, u32) { watch_annotation[0] = '\0'; }

void cpu_annotate_register_value(u8) { watch_annotation[0] = '\0'; }

void cpu_report_bios_call(u32 indirect) {
    cpu_iar = static_cast<u16>(cpu_ea);
    cpu_op_cycles = indirect ? 5 : 3;
    cpu_cycles += indirect ? 15 : 9;
}

void cpu_report_dos_vector_call() {}
void cpu_log_end_of_loop() { dbg_request_pause(PAUSE_ALWAYS); }
void cpu_log_iar_wrapped() {}
