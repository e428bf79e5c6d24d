// What the command bodies share across the debugger's files: the argument
// helpers, the common answers, the condition texts, and the bodies that the
// command table in commands.cpp names but other files define.
#pragma once

#include "core/own_outputs.h"

#include "cpu/cpu.h"
#include "cpu/debug_state.h"

#include <functional>

// Number of non-empty argument words (0..6).
int dbg_arg_count();
// The first argument is "?" and no second one follows.
bool dbg_lone_question();
bool dbg_nocase_equal(const char* a, const char* b);
// "OK." and a blank line.
void dbg_ok();
// The end of clearing a range: "OK." when `any` was set there, else the
// refusal that none of `what` ("breakpoints", ...) were in $start..$end.
void dbg_cleared_range(bool any, const char* what, u32 start, u32 end);
// A refusal of the line being run: printed as con_printf prints it, kept for
// dbg_refusal_text, and the line answers as refused.
void dbg_refuse(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Enters the projects drawer for the command's file `name` (nullptr: names
// not known yet); false after the refusal that names the drawer and why it
// cannot be entered. A full path needs no drawer.
bool dbg_enter_projects(const char* name);
// The name a saver writes for `given` (the name typed; "" for none: the
// loaded game's name, else "Untitled"): own_output_name with `suffix`.
std::string dbg_saved_name(const char* given, const char* suffix);
// The first name of the command being run (its row's, whatever alias was
// typed): the writer of the files it saves.
std::string dbg_command_name();
// Writes a file of the projects drawer with `save` and answers "OK." or,
// after what its writer says of the failure, "Failed!". The file's name is
// dbg_saved_name's; a file there that is not the command's own earlier
// output is asked about in the window; with nobody to ask it is kept
// (refused) where the command made the name itself (the game's name, or its
// own suffix in place of the one typed), and replaced where the name was
// typed whole (dbg_name_free). A name typed for no file (".hidden") is
// refused. With `answer` false a written file is not answered with "OK."
// (IM's listing ends the reply).
void dbg_save_in_projects(const char* given, const char* suffix,
                          const std::function<int(const char*)>& save, bool answer = true);
// Refuses a save whose file was not written: the writer's failure (the file
// and why, objfile_take_write_failure), then "Failed!".
void dbg_save_failed();
// The check dbg_save_in_projects makes of `name` (in the current folder)
// before `writer` writes it: true when the file may be written there; false
// after the refusal that names the file kept and ends with `remedy`
// (nullptr: name the file with its suffix, or another file, or move that
// file). A name the command `made` goes through own_output_may_go, one typed
// whole through own_output_typed_may_go.
bool dbg_name_free(const std::string& name, const OwnWriter& writer, bool made,
                   const char* remedy = nullptr);
// The refusal of a file name typed that names no file (own_output_name_refusal):
// false after it.
bool dbg_name_names_a_file(const char* given);
// A usage text: a refusal unless the line only asked for it (a lone "?").
void dbg_usage_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Refusals: "Wrong guest machine!" and a blank line.
void dbg_wrong_machine();
// "Valid range is $low..$high!" and a blank line.
// True when an operand of the line has already said what was wrong with it:
// the command's own range, bounds or usage line is then left out (the reply's
// block is ended instead).
bool dbg_operand_said();
void dbg_range_message(u32 low, u32 high);
// "End address lies before start address!" and a blank line.
void dbg_order_message();
// The hint and usage line of the command being run.
void dbg_usage();

// Operator texts of conditions 1..6 ("<" .. ">"); 0 is "".
extern const char* const dbg_operator_texts[7];
// An address as the lists show it: the label with the address in brackets, or "$%X".
void dbg_address_text(u32 address, char* out);
// Target and value texts of a condition (DBG_ADDRESS_TEXT_SIZE bytes each).
void dbg_format_condition(const WatchCondition& c, char* target, char* value);

// The help text's description of the command named by `word` (any alias,
// any case); nullptr when no command has that name.
const char* dbg_command_description(const char* word);

// Command bodies defined outside commands.cpp.
void dbg_cmd_watchpoint();        // WP|ST
void dbg_cmd_clear_watchpoints(); // WC|DT
void dbg_cmd_list_watchpoints();  // WL|LT
void dbg_cmd_port_trap();         // IP
void dbg_cmd_clear_port_traps();  // IC
void dbg_cmd_list_port_traps();   // IL
void dbg_cmd_view();              // V|VIEW
void dbg_cmd_view_cpu();          // DR
void dbg_cmd_interrupt();         // GI
void dbg_cmd_cpu_type();          // CPU
void dbg_cmd_guide_pixel();       // GR
void dbg_cmd_sprite_mode();       // SPR
void dbg_cmd_edit();              // ED|EDIT
void dbg_cmd_draw();              // DRAW
// The usages of the commands that choose one of several values.
void dbg_view_usage();
void dbg_cpu_type_usage();
void dbg_sprite_mode_usage();
void dbg_draw_usage();
// The file commands (file_commands.cpp).
void dbg_cmd_loadbin();  // LOADBIN|LOAD
void dbg_cmd_savebin();  // SAVEBIN
void dbg_cmd_savehex();  // SAVEHEX
void dbg_cmd_savebpnf(); // SAVEBPNF|SAVEBNPF
void dbg_cmd_savesms();  // SAVESMS
void dbg_cmd_savetvc();  // SAVETVC
void dbg_cmd_asm();      // ASM
void dbg_cmd_dl();       // DL
// The disk commands (disk_commands.cpp).
void dbg_cmd_drive();   // DRIVE
void dbg_cmd_dir();     // DIR|LD|LDIR
void dbg_cmd_delete();  // DEL|DELETE
void dbg_cmd_rename();  // REN|RENAME
void dbg_cmd_extract(); // EXTRACT
void dbg_cmd_inject();  // INJECT
void dbg_cmd_fpeek();   // FPEEK
void dbg_cmd_fpoke();   // FPOKE
void dbg_cmd_fp();      // FP
void dbg_cmd_fc();      // FC
void dbg_cmd_fl();      // FL
// Starts argv[0] (looked up on PATH) with `argv`, its input and output on
// /dev/null, and reaps it when it ends without making anyone wait; false when
// it could not be started (no such program, not executable).
bool dbg_spawn(char* const* argv);
// dbg_editor_start back to the host editor.
void dbg_editor_reset();
