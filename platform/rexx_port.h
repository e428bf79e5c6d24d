// The scripting port on the host: a Unix-domain stream socket in the runtime
// folder (RAM:), named after the port name. Other programs and our own
// scripts connect to it and send command lines; the program serves it once
// per main-loop pass without blocking.
//
// Wire format: a request is one line of text ended by a line feed (a carriage
// return before it is dropped), at most REXX_LINE_MAX bytes. The reply is a
// header line "<rc> <length>\n" followed by exactly <length> bytes of result
// text (0 for none). Requests of one connection are answered in order.
//
//   std::string name;
//   if (rexx_port_open("BRINDLEMOX", false, &name) == 0) ...
//   rexx_port_serve(handler); // every pass
//   rexx_port_close();
#pragma once

#include <cstddef>
#include <string>

constexpr std::size_t REXX_LINE_MAX = 4096; // longest request line, line feed excluded
constexpr int REXX_CLIENTS_MAX = 16;        // connections served at once

// Runs one request line; returns the return code and sets the result text.
using RexxPortHandler = int (*)(const char* line, std::string* result);

// Why the port could not be made (the numbers the start-up messages go by).
enum RexxPortError : int {
    REXX_PORT_OK = 0,
    REXX_PORT_NO_NAME = 2,    // empty name, or one that cannot name a socket file
    REXX_PORT_NOT_UNIQUE = 3, // the name (or every numbered name) is taken
    REXX_PORT_NO_MEMORY = 4,
    REXX_PORT_FAILED = 5, // the socket calls failed
};

// Makes the port. With `exact` the name is used as it stands; without, the
// first free name of "<name>.1" .. "<name>.99" is taken. A name whose socket
// is left over from a program that ended is free. The chosen name goes to
// `chosen`. Returns a RexxPortError.
int rexx_port_open(const char* name, bool exact, std::string* chosen);
// Closes every connection and the port, and removes its socket file.
void rexx_port_close();
bool rexx_port_is_open();

// Accepts waiting connections, reads what arrived and answers every complete
// request through `handler`. Never blocks; a call from inside a handler (a
// nested event pass) does nothing. Over-long and malformed requests (a NUL
// byte) are answered with 10 and dropped; a connection that goes away is
// forgotten.
void rexx_port_serve(RexxPortHandler handler);

// Host path of the socket of port `name`, "" when the name cannot be one.
std::string rexx_port_socket_path(const char* name);

// The client side: sends `line` to port `name` over a new connection, or over
// `*fd` when it is open (>= 0; a new connection is kept there). Waits for the
// reply, giving up when `give_up` (may be nullptr) says so; -1 when there is
// no such port or the connection failed, else the reply's return code.
int rexx_port_send(const char* name, const char* line, std::string* result, int* fd,
                   bool (*give_up)());
