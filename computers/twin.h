// The TWIN: a master and a slave 2650 taking turns on one processor core. The
// master owns its 16 KB (boot ROM and system RAM), the console, the line
// printer, the papertape reader and two drives, and sees one of the two 16 KB
// banks of common memory above it; the slave sees all 32 KB of common memory
// and calls the master through six service ports. 32 prioritised interrupt
// levels with their enables on port $EA; the master's HALT hands over to the
// slave, every level raised while the slave runs hands back.
#pragma once

#include "core/types.h"

#include <cstdio>
#include <string>

extern u8 twin_irq_pending[32]; // one request flag per priority
extern u32 twin_slave_active;   // the slave board runs
extern i32 twin_irq_current;    // the priority accepted last, 32 = none
extern u32 twin_switch_count;   // hand-overs between the boards (a speed measure)
extern const char* const twin_irq_names[32];

// The stores behind the processor's working view (guest_memory), brought up
// to date whenever the view changes (twin_sync_stores does it on demand).
constexpr u32 TWIN_MASTER_SIZE = 0x4000, TWIN_COMMON_SIZE = 0x8000, TWIN_BANK_SIZE = 0x4000;
extern u8 twin_master_memory[TWIN_MASTER_SIZE];
extern u8 twin_common_memory[TWIN_COMMON_SIZE];

extern u8 twin_console_status; // bit 0 a key waits, bit 1 the console took the last output
extern u8 twin_disk_function;  // function code last written to $EA (0-6), 7 after reset
extern u8 twin_disk_strobe;    // $EA was last written with function code 7
extern u32 twin_disk_phase;    // $EB set-up: 0 idle, 1 drive, 2 sector, 3 track, 4 data

// Life cycle (the TWIN's MachineOps row).
void twin_setup();
void twin_reset();
void twin_run_frame();
u8 twin_io_read(u32 port);
void twin_io_write(u32 port, u8 value);
void twin_serialise(u32 map);

// Processor switching: the master's HALT starts the slave; a level raised while
// the slave runs returns to the master first.
void twin_switch_to_slave();
void twin_switch_to_master();
void twin_switch_to_master_if_needed(int level);
// Whether a level that the core may accept now is pending.
bool twin_level_waiting();
// The stores take the working view's bytes and attributes.
void twin_sync_stores();
// Places the slave at `address` (a program loaded into its memory).
void twin_set_slave_start(u16 address);

// The console text as the debugger's VIEW SCRN dumps it.
void twin_view_vdu_ram();
// Describes slave service call `call` (1-6): its request block in common memory.
void twin_describe_svc(int call);
// Describes an access of the guest to TWIN port `port` (the port traps' log).
void twin_describe_analyzer(u32 port, u8 value, int is_write);
// The notes of the system's programming-interface entry points.
void twin_api_notes(u32 address);
// The system's job, channel, file, device and drive tables, and its commands.
void twin_view_jobs();
// Builds the system's command table from the master's memory; unless `quiet`
// also prints it. Returns the number of commands.
int twin_sdos_commands(int quiet);
// The commands overlay file `entry` of `drive` holds (drive 0 alone): mode 1
// one per line for the directory listing (appended to *out after it is
// emptied), mode 0 as " (A, B)" for the floppy window's tree.
void twin_sdos_overlay_commands(int drive, int entry, int mode, std::string* out);

// The monitor's key input: a Backspace as DEL, erased on the screen by the
// monitors that expect it.
u8 twin_monitor_key(u8 ch);

// Fills cpu_bus for the TWIN (after cpu_bus_reset()).
void twin_bus_install();

// Whether a disk operating system is chosen, whose monitor VIEW BIOS lists.
bool twin_has_dos();
