#include "platform/rexx_port.h"

#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Client {
    int fd = -1;
    std::string in;          // bytes of the request being read
    std::string out;         // reply bytes not yet written
    bool discarding = false; // inside an over-long line: drop up to its line feed
    bool full = false;       // out reached REXX_REPLY_MAX ...
    Clock::time_point full_since; // ... and took none of it since this time
    Clock::time_point heard;      // the last bytes read from it or its last reply
    bool own = false;             // a script of this program (a connection from this process)
    bool busy = false;            // its request is being answered
    bool gone = false;            // closed: forgotten when the outermost pass ends
    bool sent_all = false;        // its end of the connection closed: answer, then close
    bool held = false;            // its reply waits for rexx_port_release; its next requests too
};

// Unanswered request bytes kept per client: room for an over-long line to be
// seen as one, and no more.
constexpr std::size_t IN_MAX = 8 * REXX_LINE_MAX;

int listen_fd = -1;
std::string socket_file;
// Held by pointer: a pass that runs while a handler waits (a requester) may
// accept clients while the outer pass still holds one.
std::vector<std::unique_ptr<Client>> clients;
int passes = 0;           // serving passes running, nested ones included
bool closing = false;     // the last pass: requests being answered are answered too
Client* asking = nullptr; // the client whose request the outermost handler answers
bool hold_asked = false;  // the handler running keeps its reply back
Client* held = nullptr;   // the client whose reply is kept back

// Makes `dir` when missing; true when it is a folder of this user that only
// this user can enter.
bool own_folder(const std::string& dir) {
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
    if (ok && (st.st_mode & 07777) != 0700) ok = fchmod(fd, 0700) == 0;
    close(fd);
    return ok;
}

// The connecting process runs as this user; `own` when it is this process.
bool same_user(int fd, unsigned* uid, bool* own) {
    ucred cred = {};
    socklen_t length = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return false;
    *uid = cred.uid;
    *own = cred.pid == getpid();
    return cred.uid == geteuid();
}

bool set_nonblocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool fill_address(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// True when a program answers on the socket at `path`.
bool in_use(const std::string& path) {
    sockaddr_un addr;
    if (!fill_address(path, &addr)) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answered = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return answered;
}

// Binds and listens at `path`; a socket file nobody answers on is removed first.
// -1 taken, -2 failed, else the descriptor.
int bind_at(const std::string& path) {
    sockaddr_un addr;
    if (!fill_address(path, &addr)) return -2;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode) || in_use(path)) return -1;
        unlink(path.c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -2;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        const int err = errno;
        close(fd);
        return err == EADDRINUSE ? -1 : -2;
    }
    if (chmod(path.c_str(), 0600) != 0 || listen(fd, REXX_CLIENTS_MAX) != 0 ||
        !set_nonblocking(fd)) {
        close(fd);
        unlink(path.c_str());
        return -2;
    }
    return fd;
}

void queue_reply(Client& c, int rc, const std::string& result) {
    char head[40];
    std::snprintf(head, sizeof head, "%d %zu\n", rc, result.size());
    c.out += head;
    c.out += result;
}

// Writes what the socket takes now; false when the connection is gone.
bool flush(Client& c) {
    while (!c.out.empty()) {
        const ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n > 0) {
            c.out.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return false;
        }
    }
    return true;
}

// Closes the client's connection; it is forgotten when the outermost pass ends.
void forget(Client& c) {
    if (held == &c) held = nullptr;
    if (c.fd >= 0) close(c.fd);
    c.fd = -1;
    c.gone = true;
    c.in.clear();
    c.out.clear();
}

void notice(const char* line) {
    if (rexx_port_notice) rexx_port_notice(line);
}

// Answers the complete requests in the client's buffer while its unsent
// replies leave room.
void answer(Client& c, RexxPortHandler handler) {
    for (;;) {
        if (c.gone || c.held || c.out.size() >= REXX_REPLY_MAX) return;
        const std::size_t lf = c.in.find('\n');
        if (c.discarding) {
            if (lf == std::string::npos) {
                c.in.clear();
                return;
            }
            c.in.erase(0, lf + 1);
            c.discarding = false;
            continue;
        }
        if (lf == std::string::npos) {
            if (c.in.size() > REXX_LINE_MAX) {
                queue_reply(c, 10, "Command line too long\n");
                c.in.clear();
                c.discarding = true;
            }
            return;
        }
        std::string line = c.in.substr(0, lf);
        c.in.erase(0, lf + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > REXX_LINE_MAX) {
            queue_reply(c, 10, "Command line too long\n");
        } else if (line.find('\0') != std::string::npos) {
            queue_reply(c, 10, "Malformed command line\n");
        } else {
            std::string result;
            int rc = 20;
            bool hold = false;
            if (handler) {
                // A handler may leave by an exception (a test's exit).
                struct Asking {
                    Client& c;
                    Client* const outer = asking;
                    explicit Asking(Client& client) : c(client) {
                        c.busy = true;
                        asking = &c;
                    }
                    ~Asking() {
                        c.busy = false;
                        asking = outer;
                    }
                } guard(c);
                const bool outer_hold = hold_asked; // a handler this one runs inside
                hold_asked = false;
                rc = handler(line.c_str(), &result);
                hold = hold_asked;
                hold_asked = outer_hold;
            }
            if (hold) { // answered by rexx_port_release
                c.held = true;
                held = &c;
                return;
            }
            queue_reply(c, rc, result);
            c.heard = Clock::now();
        }
    }
}

std::size_t open_clients() {
    std::size_t n = 0;
    for (const auto& c : clients)
        if (!c->gone) ++n;
    return n;
}

// Makes room in a full table: the client heard from longest ago goes, unless
// its request is being answered or it is a script of this program.
bool drop_idle_longest(Clock::time_point now) {
    Client* idle = nullptr;
    for (const auto& c : clients)
        if (!c->gone && !c->busy && !c->held && !c->own && (!idle || c->heard < idle->heard))
            idle = c.get();
    if (!idle) return false;
    forget(*idle);
    char line[120];
    std::snprintf(line, sizeof line,
                  "ARexx port: %d connections open; closed the one idle longest (%lld s).\n",
                  REXX_CLIENTS_MAX,
                  static_cast<long long>(
                      std::chrono::duration_cast<std::chrono::seconds>(now - idle->heard).count()));
    notice(line);
    return true;
}

void accept_waiting(Clock::time_point now) {
    for (;;) {
        const int fd = accept4(listen_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) break;
        unsigned uid = 0;
        bool own = false;
        if (!same_user(fd, &uid, &own)) {
            close(fd);
            char line[80];
            std::snprintf(line, sizeof line, "ARexx port: refused a connection from user %u.\n",
                          uid);
            notice(line);
            continue;
        }
        if (open_clients() >= static_cast<std::size_t>(REXX_CLIENTS_MAX) &&
            !drop_idle_longest(now)) {
            close(fd);
            char line[80];
            std::snprintf(line, sizeof line,
                          "ARexx port: %d connections busy; refused a new one.\n",
                          REXX_CLIENTS_MAX);
            notice(line);
            continue;
        }
        auto c = std::make_unique<Client>();
        c->fd = fd;
        c->own = own;
        c->heard = now;
        clients.push_back(std::move(c));
    }
}

// Reads from and answers every client but those whose request is being
// answered, and writes out what they are owed.
void serve_pass(RexxPortHandler handler) {
    struct Pass {
        Pass() { ++passes; }
        ~Pass() {
            if (--passes == 0)
                clients.erase(std::remove_if(clients.begin(), clients.end(),
                                             [](const auto& c) { return c->gone; }),
                              clients.end());
        }
    } pass;
    const Clock::time_point now = Clock::now();
    accept_waiting(now);
    // A handler may accept clients or close the port: walk by index.
    for (std::size_t i = 0; i < clients.size(); ++i) {
        Client& c = *clients[i];
        if (c.gone || (c.busy && !closing)) continue;
        bool gone = false;
        char buffer[4096];
        // A client that leaves its replies unread is not read from until they drain.
        for (int reads = 0; reads < 64 && !c.gone && !c.sent_all &&
                            c.out.size() < REXX_REPLY_MAX && c.in.size() < IN_MAX;
             ++reads) {
            const ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                c.in.append(buffer, static_cast<std::size_t>(n));
                c.heard = now;
                // Keep at most one over-long line's worth while reading.
                if (c.in.size() > 4 * REXX_LINE_MAX && c.in.find('\n') == std::string::npos)
                    answer(c, handler);
                continue;
            }
            // A client that sent its requests and closed its side is still
            // owed the replies: the connection goes once they are written.
            if (n == 0)
                c.sent_all = true;
            else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                gone = true;
            break;
        }
        answer(c, handler);
        if (listen_fd < 0) break; // closed by a handler
        if (c.gone) continue;
        const std::size_t owed = c.out.size();
        if (!gone && flush(c)) {
            if (c.sent_all && !c.held && c.out.empty() && c.in.find('\n') == std::string::npos)
                gone = true;
            if (c.out.size() < REXX_REPLY_MAX) {
                c.full = false;
            } else if (!c.full || c.out.size() < owed) { // full, or it took some
                c.full = true;
                c.full_since = now;
            } else if (now - c.full_since > std::chrono::milliseconds(REXX_STALL_MS)) {
                gone = true;
            }
        } else {
            gone = true;
        }
        if (gone) forget(c);
    }
}

} // namespace

void (*rexx_port_notice)(const char* line) = nullptr;

std::string rexx_port_folder() {
    // The runtime folder serves when it is this user's alone (as $XDG_RUNTIME_DIR
    // is); a shared one (/tmp) does not.
    if (path_ram_is_private()) return path_ram() + "/brindlemox";
    return path_progdir() + "/Port";
}

static_assert(REXX_SOCKET_PATH_MAX + 1 == sizeof(sockaddr_un{}.sun_path));

std::string rexx_port_socket_path_wanted(const char* name) {
    if (!name || !*name) return "";
    for (const char* p = name; *p; ++p)
        if (*p == '/' || static_cast<unsigned char>(*p) < 0x20) return "";
    if (!std::strcmp(name, ".") || !std::strcmp(name, "..")) return "";
    return rexx_port_folder() + "/" + name;
}

std::string rexx_port_socket_path(const char* name) {
    std::string path = rexx_port_socket_path_wanted(name);
    if (path.size() > REXX_SOCKET_PATH_MAX) return "";
    return path;
}

namespace {
// The socket path of `name` into `*path`: REXX_PORT_OK, or why there is none.
int socket_path_for(const char* name, std::string* path) {
    *path = rexx_port_socket_path_wanted(name);
    if (path->empty()) return REXX_PORT_NO_NAME;
    return path->size() > REXX_SOCKET_PATH_MAX ? REXX_PORT_PATH_TOO_LONG : REXX_PORT_OK;
}
} // namespace

int rexx_port_open(const char* name, bool exact, std::string* chosen) {
    rexx_port_close();
    try {
        if (!own_folder(rexx_port_folder())) return REXX_PORT_FAILED;
        std::string path;
        if (exact) {
            if (const int error = socket_path_for(name, &path)) {
                if (chosen && error == REXX_PORT_PATH_TOO_LONG) *chosen = path;
                return error;
            }
            const int fd = bind_at(path);
            if (fd == -1) return REXX_PORT_NOT_UNIQUE;
            if (fd < 0) return REXX_PORT_FAILED;
            listen_fd = fd;
            socket_file = path;
            if (chosen) *chosen = name;
            return REXX_PORT_OK;
        }
        if (!name || !*name) return REXX_PORT_NO_NAME;
        for (int slot = 1; slot <= 99; ++slot) {
            const std::string numbered = std::string(name) + "." + std::to_string(slot);
            if (const int error = socket_path_for(numbered.c_str(), &path)) {
                if (chosen && error == REXX_PORT_PATH_TOO_LONG) *chosen = path;
                return error;
            }
            const int fd = bind_at(path);
            if (fd == -1) continue;
            if (fd < 0) return REXX_PORT_FAILED;
            listen_fd = fd;
            socket_file = path;
            if (chosen) *chosen = numbered;
            return REXX_PORT_OK;
        }
        return REXX_PORT_NOT_UNIQUE;
    } catch (const std::bad_alloc&) {
        return REXX_PORT_NO_MEMORY;
    }
}

void rexx_port_close() {
    for (const auto& c : clients)
        forget(*c);
    if (passes == 0) clients.clear(); // else when the outermost pass ends
    if (listen_fd >= 0) {
        close(listen_fd);
        listen_fd = -1;
        unlink(socket_file.c_str());
    }
    socket_file.clear();
}

void rexx_port_close_answering(RexxPortHandler last, int ms) {
    if (listen_fd >= 0) {
        closing = true;
        struct Done {
            ~Done() { closing = false; }
        } done;
        // A request being answered (its handler never gets to reply) and the
        // reply kept back are answered first, then what every client has sent.
        for (const auto& c : clients)
            if (!c->gone && (c->busy || c->held)) {
                std::string result;
                const int rc = last("", &result);
                queue_reply(*c, rc, result);
                c->held = false;
            }
        held = nullptr;
        serve_pass(last);
        // Owed replies written out, waiting a little for clients that read slowly.
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            std::vector<pollfd> waiting;
            for (const auto& c : clients)
                if (!c->gone && !c->out.empty()) waiting.push_back({c->fd, POLLOUT, 0});
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (waiting.empty() || left <= 0) break;
            if (poll(waiting.data(), waiting.size(), static_cast<int>(left)) < 0 && errno != EINTR)
                break;
            for (const auto& c : clients)
                if (!c->gone && !c->out.empty() && !flush(*c)) forget(*c);
        }
    }
    rexx_port_close();
}

void rexx_port_serve(RexxPortHandler handler) {
    if (listen_fd < 0 || passes > 0) return;
    serve_pass(handler);
}

void rexx_port_serve_waiting(RexxPortHandler handler) {
    if (listen_fd >= 0) serve_pass(handler);
}

bool rexx_port_hold() {
    if (!asking || held || hold_asked || asking->gone) return false;
    hold_asked = true;
    return true;
}

bool rexx_port_holding() {
    return held != nullptr;
}

void rexx_port_release(int rc, const std::string& result) {
    if (!held) return;
    Client& c = *held;
    held = nullptr;
    c.held = false;
    queue_reply(c, rc, result);
    c.heard = Clock::now();
}

bool rexx_port_asker_gone() {
    if (!asking) return false;
    if (asking->gone) return true;
    pollfd p = {asking->fd, 0, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

int rexx_port_send(const char* name, const std::string& line, std::string* result, int* fd_io,
                   bool (*give_up)()) {
    if (result) result->clear();
    int fd = fd_io ? *fd_io : -1;
    if (fd < 0) {
        sockaddr_un addr;
        if (!fill_address(rexx_port_socket_path(name), &addr)) return -1;
        fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(fd);
            return -1;
        }
        if (fd_io) *fd_io = fd;
    }
    auto fail = [&]() {
        close(fd);
        if (fd_io) *fd_io = -1;
        return -1;
    };
    std::string request = line;
    request += '\n';
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail();
        sent += static_cast<std::size_t>(n);
    }
    // The header line, then the counted result.
    std::string got;
    long rc = 0;
    std::size_t length = 0, body = std::string::npos;
    for (;;) {
        if (body == std::string::npos) {
            const std::size_t lf = got.find('\n');
            if (lf != std::string::npos) {
                char* end = nullptr;
                rc = std::strtol(got.c_str(), &end, 10);
                const unsigned long long len = std::strtoull(end, nullptr, 10);
                if (len > (1u << 30)) return fail();
                length = static_cast<std::size_t>(len);
                body = lf + 1;
            } else if (got.size() > 64) {
                return fail();
            }
        }
        if (body != std::string::npos && got.size() >= body + length) break;
        pollfd p = {fd, POLLIN, 0};
        const int ready = poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR) return fail();
        if (ready <= 0) {
            if (give_up && give_up()) return fail();
            continue;
        }
        char buffer[4096];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail();
        got.append(buffer, static_cast<std::size_t>(n));
    }
    if (result) result->assign(got, body, length);
    if (!fd_io) close(fd);
    return static_cast<int>(rc);
}
