// Test support: a client of the scripting port that gives up at a deadline, so
// that a port that never answers fails the test instead of holding it.
#pragma once

#include "tests/support/hang_deadline.h"

#include <string>
#include <utility>
#include <vector>

// rexx_port_send (see platform/rexx_port.h) that also gives up, returning -1,
// when no reply has come `seconds` after the call.
int test_port_send(const char* name, const std::string& line, std::string* result, int* fd_io,
                   int seconds = TEST_HANG_SECONDS);

// One request to the port's socket at `socket` from a client run as the
// ordinary user `nobody` (the port answers its own user only): the reply's
// code, its text in `said`; -1 when no whole reply came.
int test_port_send_as_nobody(const std::string& socket, const std::string& line,
                             std::string* said);

// The requests `lines`, one after the other, from one such client: each
// reply's code and text, in order (fewer when the port stopped answering).
std::vector<std::pair<int, std::string>>
test_port_send_all_as_nobody(const std::string& socket, const std::vector<std::string>& lines);
