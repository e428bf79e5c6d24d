// REXX scripts: each runs in this process, on a thread of its own, so the
// emulation keeps running meanwhile. Its default command environment is the
// program's port name; every command it sends reaches the port like a
// request from any other program, and is answered by the main loop between
// frames. After each command RC holds the return code and RESULT the result
// text (dropped when there is none). SAY writes to standard output.
#pragma once

// Starts `path` with `host` as its command environment. False (nothing runs)
// while another script is still running or the thread cannot start.
bool rexx_script_start(const char* path, const char* host);
// Whether a script is running.
bool rexx_script_running();
// Asks the running script to stop: a command waiting for its reply gives up,
// and the script ends in the interpreter at its next command. (A loop that
// sends no commands runs on until it ends; it holds only its own thread.)
void rexx_script_halt();
// Waits up to `timeout_ms` for the running script to end; true when none runs.
bool rexx_script_wait(int timeout_ms);
