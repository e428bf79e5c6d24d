// Test support: waiting for a child process with a deadline, so that a child
// that hangs fails its test instead of holding the whole run.
#pragma once

#include "tests/support/hang_deadline.h"

#include <sys/types.h>

// Waits up to `seconds` for child `pid` to end: its exit code, or -1 when it
// was ended by a signal or did not end in time (it is then killed and reaped).
int wait_child(pid_t pid, double seconds);
