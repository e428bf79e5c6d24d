// The scripting port on the host: a Unix-domain stream socket in the runtime
// folder (RAM:), named after the port name. Other programs and our own
// scripts connect to it and send command lines; the program serves it once
// per main-loop pass without blocking.
//
// The socket lies in a folder of the user's own (mode 0700): "brindlemox" in
// the runtime folder when $XDG_RUNTIME_DIR names one, else "Port" in the
// program home; a shared folder such as /tmp is never used. The socket is
// mode 0600, and a connection from another user is refused.
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
// Connections served at once. When the table is full a new connection takes
// the place of the one heard from longest ago (never one whose request is
// being answered, nor a script of this program), and the notice says so.
constexpr int REXX_CLIENTS_MAX = 16;
// Reply bytes kept for a client that does not read them: past this nothing
// more is read from it until they drain; one that stays full this long,
// taking none of its replies, is dropped (one that reads a long reply on,
// however slowly this program writes it, is not).
constexpr std::size_t REXX_REPLY_MAX = 1 << 20;
constexpr int REXX_STALL_MS = 5000;

// Runs one request line; returns the return code and sets the result text.
using RexxPortHandler = int (*)(const char* line, std::string* result);

// Why the port could not be made (the numbers the start-up messages go by).
enum RexxPortError : int {
    REXX_PORT_OK = 0,
    REXX_PORT_NO_NAME = 2,    // empty name, or one that cannot name a socket file
    REXX_PORT_NOT_UNIQUE = 3, // the name (or every numbered name) is taken
    REXX_PORT_NO_MEMORY = 4,
    REXX_PORT_FAILED = 5, // the socket calls failed
    REXX_PORT_PATH_TOO_LONG = 6, // the socket's path is longer than a Unix socket takes
};
// The longest path a Unix socket takes (its terminator excluded).
constexpr std::size_t REXX_SOCKET_PATH_MAX = 107;

// Makes the port. With `exact` the name is used as it stands; without, the
// first free name of "<name>.1" .. "<name>.99" is taken. A name whose socket
// is left over from a program that ended is free. The chosen name goes to
// `chosen`, or with REXX_PORT_PATH_TOO_LONG the path that is too long.
// Returns a RexxPortError.
int rexx_port_open(const char* name, bool exact, std::string* chosen);
// Closes every connection and the port, and removes its socket file.
void rexx_port_close();
// The same, once every client that sent a request has its answer: the
// request being answered, the reply kept back (release it first to say
// otherwise) and every request already sent are answered through `last`
// (its line is "" for the first two), and the replies owed are written,
// waiting `ms` at most for clients that read slowly.
void rexx_port_close_answering(RexxPortHandler last, int ms);

// Called with a line for the message channel (a connection refused or
// dropped); nullptr says nothing.
extern void (*rexx_port_notice)(const char* line);

// Accepts waiting connections, reads what arrived and answers every complete
// request through `handler`. Never blocks; a call from inside a handler (a
// nested event pass) does nothing. Over-long and malformed requests (a NUL
// byte) are answered with 10 and dropped; a connection that goes away is
// forgotten.
void rexx_port_serve(RexxPortHandler handler);
// The same, also from inside a handler that waits on the user (a requester):
// every client is served except those whose request is being answered.
void rexx_port_serve_waiting(RexxPortHandler handler);
// Inside a handler: its reply is kept back until rexx_port_release (the
// client's later requests wait behind it). False when it cannot be: no client
// asks (a call from inside the program), or another reply is kept back.
bool rexx_port_hold();
// A reply is kept back.
bool rexx_port_holding();
// Sends the reply kept back (nothing when none is, or its client has gone).
void rexx_port_release(int rc, const std::string& result);
// Inside a handler: true once the client whose request it answers has closed
// its connection (nobody is left to take the answer).
bool rexx_port_asker_gone();

// Host path of the socket of port `name`, "" when the name cannot be one or
// the path is longer than REXX_SOCKET_PATH_MAX.
std::string rexx_port_socket_path(const char* name);
// The path the socket of port `name` would have, however long ("" when the
// name cannot be one).
std::string rexx_port_socket_path_wanted(const char* name);
// The folder the sockets lie in.
std::string rexx_port_folder();

// The client side: sends `line` (all its bytes) to port `name` over a new connection, or over
// `*fd` when it is open (>= 0; a new connection is kept there). Waits for the
// reply, giving up when `give_up` (may be nullptr) says so; -1 when there is
// no such port or the connection failed, else the reply's return code.
int rexx_port_send(const char* name, const std::string& line, std::string* result, int* fd,
                   bool (*give_up)());
