// TCP streams over IPv4 for the netplay link and the update check.
//
// Sockets are plain descriptors. Every wait has a time-out in milliseconds
// (-1 waits for ever), so that a caller can serve its own events between
// waits; nothing here raises SIGPIPE.
//
//   std::vector<std::uint32_t> addresses;
//   if (net_resolve("localhost", &addresses) > 0) {
//       const int fd = net_connect_to(addresses[0], 6666, 5000);
//       ...
//       net_close(fd);
//   }
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a wait ended with.
enum NetWait : int {
    NET_READY = 1,    // the socket can be read (or written, or accepted from)
    NET_TIMEOUT = 0,  // the time ran out first
    NET_FAILED = -1,  // the socket failed or is no socket
};

// The IPv4 addresses of `host` (a name or a dotted address), in the order the
// resolver gives them, as 32-bit numbers with the first byte most significant.
// Returns how many were found (0 when none).
int net_resolve(const char* host, std::vector<std::uint32_t>* addresses);
// "a.b.c.d" for an address as net_resolve gives it.
std::string net_dotted(std::uint32_t address);
// This computer's host name, terminated, cut to fit `size` bytes.
void net_local_name(char* name, std::size_t size);

// A connected stream to `address`:`port`, in blocking mode; -1 when the
// connection was refused or did not succeed within `timeout_ms`.
int net_connect_to(std::uint32_t address, std::uint16_t port, int timeout_ms);
// A listening socket on `port` of every interface (one connection waiting at
// most), not blocking; -1 when it cannot be made, with `stage` set to 1 for
// the socket, 2 for the bind, 3 for the listen.
int net_listen_on(std::uint16_t port, int* stage);
// Takes a waiting connection off a listening socket, in blocking mode, and
// its peer's address; -1 when none waits.
int net_accept_one(int listen_fd, std::uint32_t* peer);

// Waits until `fd` can be read (or a listening socket accepted from).
NetWait net_wait_readable(int fd, int timeout_ms);
// Sends up to `length` bytes: the count sent, -1 on failure.
long net_send_some(int fd, const void* data, std::size_t length);
// Receives what has arrived, up to `length` bytes, without waiting: the
// count, 0 when the peer closed the stream, -1 on failure, -2 when nothing
// has arrived yet.
long net_recv_some(int fd, void* data, std::size_t length);
void net_close(int fd);
