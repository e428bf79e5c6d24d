// The scripting port and the scripts of the program: the port is made at
// start-up under the PORTNAME argument exactly, or as "BRINDLEMOX" with the
// first free slot number ("BRINDLEMOX.1"); the event pass serves it; the exit
// path closes it. Scripts run with the port's name as their command
// environment, so their commands take the same road as any other program's.
#pragma once

#include "app/startup.h"
#include "core/session.h"

#include <string>

extern char rexx_host_name[STARTUP_PATH_LEN]; // the port's name ("" until made)

// Runs one command line of the port: the return code (0, 5, 10 or 20) and the
// result text. The command layer installs its table here; until then every
// line is answered 20, "Commands are not available yet\n".
extern int (*rexx_command)(const char* line, std::string* result);

// Makes the port. A port that cannot be made ends the program after a
// warning that says why ("Can't create ARexx object (...)!").
void rexx_open_port();
// Closes the port and stops a running script; every client that sent a
// command is answered first (10, "Brindlemox is quitting!", or what a reply
// kept back says when the program ends first).
void rexx_close_port();
// Answers the requests that arrived (once per event pass; never blocks).
// After a request that asked to quit, the program ends through the exit path
// once the replies are written; a request that came after it is refused (10,
// "Brindlemox is quitting!"): the session's files are written already.
void rexx_serve_port();
// Inside a command of the port: its reply waits for rexx_reply_release, or
// `ms` milliseconds at most (a requester open meanwhile does not stop the
// clock), after which it is `late`. When the program ends first it is `ended`,
// sent before the port closes. False when it cannot wait (the command came
// from inside the program, or another reply waits): the command answers at
// once.
struct RexxLateReply {
    int rc = 0;
    std::string result;
};
bool rexx_reply_hold(int ms, const RexxLateReply& late, const RexxLateReply& ended);
// Sends the reply that waits (nothing when none does).
void rexx_reply_release(int rc, const std::string& result);
// A request that asks to quit sets rexx_quit_requested (core/session.h).
// While a requester or a modal window holds the program (called from its
// wait): every other client's command is answered at once with 5, "A
// requester is open.", instead of waiting for the user. True when the client
// whose command opened the requester has gone, so that it can close.
bool rexx_serve_port_waiting();

// Runs a script. `ask`: show the script requester first (drawer
// scripts_path); `relative`: rexx_script_path is relative to the program's
// home. A script that cannot be found prints 'Can't lock file "%s"!' on
// standard output and nothing runs.
void rexx_run_script(int ask, int relative);
