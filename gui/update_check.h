// The update check: asks the update server for its one-line version manifest
// over HTTP/1.1 and compares the number in it with the program's own version.
// A newer release is announced and its page opened; otherwise the menu
// command says "You are up to date." and the start-up run says nothing.
//
// The server is ours to publish: while its host is empty the Help menu's
// item is ghosted and the start-up run does nothing.
#pragma once

#include "core/types.h"

#include <cstddef>
#include <string>

// The update server: its host name, the IPv4 address used when the name
// does not resolve, the manifest's path and the page of the releases.
extern const char* const update_server_host;
extern const char* const update_server_fallback;
extern const char* const update_manifest_path;
extern const char* const update_release_page;

// Where the check asks: the constants above on port 80, waiting at most
// `timeout_ms` for each step; tests point it at a server of their own.
struct UpdateServer {
    std::string host, fallback, path, release_page;
    u16 port = 80;
    int timeout_ms = 10000;
};
extern UpdateServer update_server;
// Back to the constants.
void update_server_reset();
// Whether a server is known (the menu item and the start-up run).
bool update_check_available();

// What a response says.
enum UpdateReply : int {
    UPDATE_VERSION,    // a version number, in *version
    UPDATE_INVALID,    // no empty line, or nothing after the last one
    UPDATE_NO_VERSION, // the body does not begin with a digit
};
constexpr std::size_t UPDATE_RESPONSE_MAX = 1000; // bytes of the response read
// Reads the response's first `length` bytes (up to a NUL): the body after
// the last empty line, less a byte-order mark, read as a decimal number.
UpdateReply update_read_reply(const char* data, std::size_t length, double* version);
// "Brindlemox 37.00 is available!" for `version`.
std::string update_announcement(double version);

// Runs the check; `quiet` (the start-up run) says nothing when no newer
// release exists. Failures are warned about either way.
void net_check_updates(int quiet);
