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
// and the interpreter halts the script at once, so a loop that sends no
// commands ends too. Call it again (once per pass) while the script still
// runs: a halt asked for while the script was starting is sent once more.
void rexx_script_halt();
// Once per main-loop pass: while a script runs, CTRL-C and the other break
// signals stay the program's (the interpreter takes them over as it starts).
void rexx_script_poll();
// Waits up to `timeout_ms` for the running script to end; true when none runs.
bool rexx_script_wait(int timeout_ms);
// Moves what the scripts wrote since the last call into `text`; false when
// there was nothing. Safe to call while a script runs.
bool rexx_script_take_output(std::string* text);
