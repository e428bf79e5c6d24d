#include "platform/net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A send that the peer does not take within this time fails, so that a
// stalled peer cannot hold the program inside a send.
constexpr int SEND_TIMEOUT_MS = 5000;

sockaddr_in address_of(std::uint32_t address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    return a;
}

bool set_blocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    return fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

// A connected stream: records go out at once, and sends give up in time.
void tune_stream(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    timeval t{};
    t.tv_sec = SEND_TIMEOUT_MS / 1000;
    t.tv_usec = (SEND_TIMEOUT_MS % 1000) * 1000;
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof t);
}

NetWait wait_for(int fd, short events, int timeout_ms) {
    if (fd < 0) return NET_FAILED;
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = poll(&p, 1, timeout_ms);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return NET_FAILED;
        if (n == 0) return NET_TIMEOUT;
        if (p.revents & POLLNVAL) return NET_FAILED;
        return NET_READY; // errors and hang-ups show in the next call
    }
}

} // namespace

int net_resolve(const char* host, std::vector<std::uint32_t>* addresses) {
    addresses->clear();
    if (!host || !host[0]) return 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return 0;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || a->ai_addrlen < sizeof(sockaddr_in)) continue;
        const std::uint32_t ip =
            ntohl(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
        bool seen = false;
        for (std::uint32_t known : *addresses)
            seen = seen || known == ip;
        if (!seen) addresses->push_back(ip);
    }
    freeaddrinfo(found);
    return static_cast<int>(addresses->size());
}

std::string net_dotted(std::uint32_t a) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, (a >> 16) & 255, (a >> 8) & 255,
                  a & 255);
    return text;
}

void net_local_name(char* name, std::size_t size) {
    if (size == 0) return;
    name[0] = '\0';
    if (gethostname(name, size) != 0) name[0] = '\0';
    name[size - 1] = '\0'; // a name that did not fit comes back unterminated
}

int net_connect_to(std::uint32_t address, std::uint16_t port, int timeout_ms) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    const sockaddr_in a = address_of(address, port);
    int result = connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    if (result != 0 && errno == EINPROGRESS && wait_for(fd, POLLOUT, timeout_ms) == NET_READY) {
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) result = 0;
    }
    if (result != 0 || !set_blocking(fd, true)) {
        close(fd);
        return -1;
    }
    tune_stream(fd);
    return fd;
}

int net_listen_on(std::uint16_t port, int* stage) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *stage = 1;
        return -1;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in a = address_of(INADDR_ANY, port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        *stage = 2;
        close(fd);
        return -1;
    }
    if (listen(fd, 1) != 0) {
        *stage = 3;
        close(fd);
        return -1;
    }
    *stage = 0;
    return fd;
}

int net_accept_one(int listen_fd, std::uint32_t* peer) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    const int fd = accept4(listen_fd, reinterpret_cast<sockaddr*>(&a), &length, SOCK_CLOEXEC);
    if (fd < 0) return -1;
    set_blocking(fd, true);
    tune_stream(fd);
    *peer = ntohl(a.sin_addr.s_addr);
    return fd;
}

NetWait net_wait_readable(int fd, int timeout_ms) {
    return wait_for(fd, POLLIN, timeout_ms);
}

long net_send_some(int fd, const void* data, std::size_t length) {
    if (fd < 0) return -1;
    for (;;) {
        const ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        return n < 0 ? -1 : static_cast<long>(n);
    }
}

long net_recv_some(int fd, void* data, std::size_t length) {
    if (fd < 0) return -1;
    for (;;) {
        const ssize_t n = recv(fd, data, length, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? -2 : -1;
        return static_cast<long>(n);
    }
}

void net_close(int fd) {
    if (fd >= 0) close(fd);
}
