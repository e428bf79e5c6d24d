#include "core/version.h"
#include "gui/update_check.h"

#include "commands/help_links.h"
#include "core/message.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "platform/catalog.h"
#include "platform/clock.h"
#include "platform/gui.h"
#include "platform/net.h"
#include "sound/sound_output.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

const char* const update_server_host = "";
const char* const update_server_fallback = "";
const char* const update_manifest_path = "";
const char* const update_release_page = "";

namespace {

UpdateServer from_constants() {
    UpdateServer s;
    s.host = update_server_host;
    s.fallback = update_server_fallback;
    s.path = update_manifest_path;
    s.release_page = update_release_page;
    return s;
}

constexpr const char* OWN_VERSION = program_version;

// The version at the front of `text` (digits, a point, digits), read the same
// whatever the host's locale.
double leading_number(const char* text, std::size_t length) {
    double value = 0;
    std::from_chars(text, text + length, value, std::chars_format::fixed);
    return value;
}

// Asks the server; the response's bytes (at most UPDATE_RESPONSE_MAX) go to
// `response`. nullptr when all went well, else the warning to show.
const char* fetch(std::string* response) {
    std::vector<std::uint32_t> addresses;
    std::uint32_t address = 0;
    if (net_resolve(update_server.host.c_str(), &addresses) > 0) {
        address = addresses.back();
    } else if (net_resolve(update_server.fallback.c_str(), &addresses) > 0) {
        address = addresses.front();
    } else {
        return "Socket connection failed!";
    }
    const int fd = net_connect_to(address, update_server.port, update_server.timeout_ms);
    if (fd < 0) return "Socket connection failed!";
    const std::string request = "GET " + (update_server.path.empty() ? "/" : update_server.path) +
                                " HTTP/1.1\r\nHost: " + update_server.host + ":" +
                                std::to_string(update_server.port) + "\r\n\r\n";
    if (net_send_some(fd, request.data(), request.size()) != static_cast<long>(request.size())) {
        net_close(fd);
        return "Can't send query to server!";
    }
    // Until 1000 bytes, the end of the stream, an error or the time-out.
    const std::uint32_t start = clock_micros();
    char buffer[UPDATE_RESPONSE_MAX];
    bool failed = false, timed_out = false;
    while (response->size() < UPDATE_RESPONSE_MAX) {
        const std::uint32_t waited_ms = (clock_micros() - start) / 1000;
        const int left_ms = update_server.timeout_ms - static_cast<int>(waited_ms);
        const NetWait w = left_ms > 0 ? net_wait_readable(fd, left_ms) : NET_TIMEOUT;
        if (w == NET_TIMEOUT) {
            timed_out = true;
            break;
        }
        const long n = w == NET_FAILED ? -1
                                       : net_recv_some(fd, buffer, UPDATE_RESPONSE_MAX - response->size());
        if (n == -2) continue;
        if (n < 0) failed = true;
        if (n <= 0) break;
        response->append(buffer, static_cast<std::size_t>(n));
    }
    net_close(fd);
    // A stream that ends at once is an answer, if not a valid one.
    if (response->empty() && (failed || timed_out)) return "Can't receive response from server!";
    return nullptr;
}

} // namespace

UpdateServer update_server = from_constants();

void update_server_reset() {
    update_server = from_constants();
}

bool update_check_available() {
    return !update_server.host.empty();
}

UpdateReply update_read_reply(const char* data, std::size_t length, double* version) {
    length = std::min(length, UPDATE_RESPONSE_MAX);
    const void* nul = std::memchr(data, '\0', length);
    if (nul) length = static_cast<std::size_t>(static_cast<const char*>(nul) - data);
    // The body begins after the last empty line.
    std::size_t body = length;
    for (std::size_t i = length >= 4 ? length - 4 + 1 : 0; i-- > 0;)
        if (std::memcmp(data + i, "\r\n\r\n", 4) == 0) {
            body = i + 4;
            break;
        }
    if (body >= length) return UPDATE_INVALID;
    if (length - body >= 3 && std::memcmp(data + body, "\xEF\xBB\xBF", 3) == 0) body += 3;
    if (body >= length || data[body] < '0' || data[body] > '9') return UPDATE_NO_VERSION;
    *version = leading_number(data + body, length - body);
    return UPDATE_VERSION;
}

std::string update_announcement(double version) {
    char number[32];
    const auto r = std::to_chars(number, number + sizeof number - 1,
                                 static_cast<double>(static_cast<float>(version)),
                                 std::chars_format::fixed, 2);
    *r.ptr = '\0';
    return std::string("Brindlemox ") + number + " " + cat_str(752, "is available") + "!";
}

void net_check_updates(int quiet) {
    snd_close(0); // no tone holds while the network keeps us waiting
    if (main_window) gui_window_set_pointer(main_window, 1);
    std::string response;
    const char* failure = fetch(&response);
    if (main_window) gui_update_pointer(1);
    double version = 0;
    if (!failure) {
        const UpdateReply reply = update_read_reply(response.data(), response.size(), &version);
        if (reply == UPDATE_INVALID) failure = "Invalid response from server!";
        if (reply == UPDATE_NO_VERSION) failure = "Can't download version file!";
    }
    if (failure) {
        gui_warning(failure);
    } else if (version > leading_number(OWN_VERSION, std::strlen(OWN_VERSION))) {
        gui_warning(update_announcement(version).c_str());
        open_url(update_server.release_page.c_str());
    } else if (!quiet) {
        gui_message(cat_str(753, "You are up to date."));
    }
    snd_open(1);
}
