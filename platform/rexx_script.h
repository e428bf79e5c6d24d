// REXX scripts: each runs in this process, on a thread of its own, so the
// emulation keeps running meanwhile. Its default command environment is the
// program's port name; every command it sends reaches the port like a
// request from any other program, and is answered by the main loop between
// frames. After each command RC holds the return code and RESULT the result
// text (dropped when there is none). What the script writes (SAY, trace and
// error texts) is kept, a line at a time, for the main loop to show; reading
// the terminal gives an empty line.
#pragma once

#include <string>

// Starts `path` with `host` as its command environment. False (nothing runs)
// while another script is still running or the thread cannot start.
bool rexx_script_start(const char* path, const char* host);
// Whether a script is running.
bool rexx_script_running();
// Asks the running script to stop: a command waiting for its reply gives up,
// and the interpreter halts the script at its next clause, so a loop that
// sends no commands ends too; a script not yet started does not start. One
// call is enough; calling again asks a script that caught its halt once more.
// CTRL-C and the other break signals stay the program's while a script runs.
void rexx_script_halt();
// Waits up to `timeout_ms` for the running script to end; true when none
// runs, false when it still runs at the deadline.
bool rexx_script_wait(int timeout_ms);
// Moves what the scripts wrote since the last call into `text`; false when
// there was nothing. Safe to call while a script runs.
bool rexx_script_take_output(std::string* text);

// For tests: called on the script's thread as it passes each stage of a run,
// so that a test can act while the thread stands at one.
enum class RexxScriptStage {
    thread_start,       // before the interpreter is called
    interpreter_set_up, // the interpreter is ready, the script not yet read
    clauses_start,      // the script's first clause is next
    clauses_end,        // the script's clauses are over (may come twice)
    thread_end,         // the interpreter has returned; the thread tears down
};
extern void (*rexx_script_stage_hook)(RexxScriptStage stage);
