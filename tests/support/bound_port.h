// Test support: the port a socket is bound to, for tests that listen on port 0
// (any free port) and then tell a client where to connect.
#pragma once

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

// The port socket `fd` is bound to (0 when none).
inline std::uint16_t test_bound_port(int fd) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0) return 0;
    return ntohs(a.sin_port);
}
