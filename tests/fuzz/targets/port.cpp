// Requests to the scripting port as a client sends them: the input goes over
// a connection to the program's port (opened once, in the scratch runtime
// folder), and the port is served as the main loop serves it, a frame
// between the first passes, until the client has a reply to every line. Inputs naming a
// host path ('/') are skipped: OPEN, SAVEAS and the debugger's save commands
// would write there. Every reply is "<rc> <length>" and that many bytes, and
// every line gets one unless a command ended the program.
#include "core/machine.h"
#include "app/rexx_host.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "platform/rexx_port.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

int connect_port() {
    const std::string path = rexx_port_socket_path(rexx_host_name);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) std::abort();
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) std::abort();
    return fd;
}

// Takes the complete replies off the front of `got`; aborts on a malformed one.
int take_replies(std::string& got) {
    int taken = 0;
    for (;;) {
        const std::size_t lf = got.find('\n');
        if (lf == std::string::npos) {
            if (got.size() > 32) std::abort(); // no header is that long
            return taken;
        }
        long rc = 0;
        unsigned long length = 0;
        char end = 0;
        const std::string head = got.substr(0, lf + 1);
        if (std::sscanf(head.c_str(), "%ld %lu%c", &rc, &length, &end) != 3 || end != '\n' ||
            length > REXX_REPLY_MAX)
            std::abort();
        if (got.size() < lf + 1 + length) return taken;
        got.erase(0, lf + 1 + length);
        taken++;
    }
}

// Sends what the socket takes of `request` from `*sent` on, reads what has
// come into `got`; false once the server has closed the connection.
bool exchange(int fd, const std::string& request, std::size_t* sent, std::string* got) {
    while (*sent < request.size()) {
        const ssize_t n =
            send(fd, request.data() + *sent, request.size() - *sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        *sent += static_cast<std::size_t>(n);
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            got->append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        return n < 0;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1u << 14 || !fuzz_names_no_path(data, size)) return 0;
    fuzz_reset();
    std::string request(reinterpret_cast<const char*>(data), size);
    if (request.empty() || request.back() != '\n') request += '\n';
    int lines = 0;
    for (char c : request)
        lines += c == '\n';
    int fd = -1;
    try {
        if (!rexx_host_name[0]) { // the port's name is set while it is open
            std::snprintf(rexx_port_name, sizeof rexx_port_name, "FUZZ");
            rexx_open_port();
        }
        fd = connect_port();
        std::size_t sent = 0;
        std::string got;
        int replies = 0;
        bool open = true;
        for (int pass = 0; pass < 64 && open && replies < lines; pass++) {
            open = exchange(fd, request, &sent, &got);
            rexx_serve_port();
            open = exchange(fd, request, &sent, &got) && open;
            replies += take_replies(got);
            if (!emu_paused && pass < 4) emu_run_frame(); // a traced frame is slow
        }
        if (replies != lines) std::abort();
    } catch (const FuzzExit&) {
        // QUIT, or a command that ended the program.
    }
    if (fd >= 0) close(fd);
    try {
        rexx_serve_port(); // the port forgets the connection
    } catch (const FuzzExit&) {
    }
    fuzz_restore_folder();
    return 0;
}
