#include "tests/support/port_client.h"

#include "platform/rexx_port.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Each client thread waits against its own deadline.
thread_local std::chrono::steady_clock::time_point deadline;

bool past_deadline() {
    return std::chrono::steady_clock::now() >= deadline;
}

} // namespace

int test_port_send(const char* name, const std::string& line, std::string* result, int* fd_io,
                   int seconds) {
    // Waiting for a port whose socket cannot exist would only time out.
    const std::string wanted = rexx_port_socket_path_wanted(name);
    if (wanted.size() > REXX_SOCKET_PATH_MAX) {
        static std::atomic<const testing::TestInfo*> told{nullptr}; // once a test is enough
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        if (told.exchange(test) != test)
            ADD_FAILURE() << "port " << name << " has no socket: the path \"" << wanted << "\" is "
                          << wanted.size() << " bytes long, a Unix socket takes at most "
                          << REXX_SOCKET_PATH_MAX << " (is TMPDIR very long?)";
        if (result) *result = "no socket";
        return -1;
    }
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    return rexx_port_send(name, line, result, fd_io, past_deadline);
}

std::vector<std::pair<int, std::string>>
test_port_send_all_as_nobody(const std::string& socket, const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines)
        joined += line + "\n";
    setenv("PORT_LINES", joined.c_str(), 1); // as they stand, past the shell's quoting
    // Each reply comes back as "<rc> <size>\n<text>".
    const std::string command =
        "setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/python3 -c '"
        "import os, socket, sys\n"
        "for line in os.environ[\"PORT_LINES\"].splitlines():\n"
        "    s = socket.socket(socket.AF_UNIX)\n"
        "    s.connect(sys.argv[1])\n"
        "    s.sendall(line.encode() + b\"\\n\")\n"
        "    got = b\"\"\n"
        "    while b\"\\n\" not in got: got += s.recv(4096)\n"
        "    head, _, rest = got.partition(b\"\\n\")\n"
        "    rc, size = head.split()[:2]\n"
        "    while len(rest) < int(size): rest += s.recv(4096)\n"
        "    s.close()\n"
        "    sys.stdout.buffer.write(rc + b\" \" + str(len(rest)).encode() + b\"\\n\" + rest)\n"
        "    sys.stdout.flush()' '" +
        socket + "' 2>/dev/null";
    FILE* client = popen(command.c_str(), "r");
    std::string got;
    char buffer[4096];
    for (std::size_t k; client && (k = std::fread(buffer, 1, sizeof buffer, client)) > 0;)
        got.append(buffer, k);
    if (client) pclose(client);
    std::vector<std::pair<int, std::string>> replies;
    for (std::size_t at = 0; at < got.size();) {
        const std::size_t header = got.find('\n', at);
        if (header == std::string::npos) break;
        const int rc = std::atoi(got.c_str() + at);
        const std::size_t space = got.find(' ', at);
        const std::size_t size = std::strtoul(got.c_str() + space + 1, nullptr, 10);
        if (space > header || header + 1 + size > got.size()) break;
        replies.emplace_back(rc, got.substr(header + 1, size));
        at = header + 1 + size;
    }
    return replies;
}

int test_port_send_as_nobody(const std::string& socket, const std::string& line,
                             std::string* said) {
    said->clear();
    const auto replies = test_port_send_all_as_nobody(socket, {line});
    if (replies.empty()) return -1;
    *said = replies.front().second;
    return replies.front().first;
}
