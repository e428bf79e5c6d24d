#include "core/helpers.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

static const char HEX_DIGITS[] = "0123456789ABCDEF";

void hex_byte_to_text(char* text, u32 value) {
    text[0] = HEX_DIGITS[(value >> 4) & 15];
    text[1] = HEX_DIGITS[value & 15];
    text[2] = '\0';
}

void hex_word_to_text(char* text, u32 value) {
    for (int i = 0; i < 4; i++)
        text[i] = HEX_DIGITS[(value >> (12 - 4 * i)) & 15];
}

int format_long(char* text, long value) {
    return std::snprintf(text, FORMAT_LONG_SIZE, "%ld", value);
}

int num_scan_long(const char* text, long* value) {
    char* end;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (end == text) return 0;
    *value = v;
    return 1;
}

int hex_parse(const char* text, u32* value) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        p++;
    bool negative = *p == '-';
    char* end;
    errno = 0;
    unsigned long long v = std::strtoull(text, &end, 16);
    if (end == text) {
        *value = 0;
        return 0;
    }
    if (negative) v = 0ULL - v; // strtoull negated the magnitude; undo it
    if (errno == ERANGE || v > 0xFFFFFFFFULL)
        *value = 0xFFFFFFFFu;
    else
        *value = negative ? 0u - static_cast<u32>(v) : static_cast<u32>(v);
    return static_cast<int>(end - text);
}

i32 num_bin_value(const char* text, int length) {
    u32 result = 0;
    bool negative = false;
    for (int i = length - 1, pos = 0; i >= 0; i--, pos++) {
        char c = text[i];
        if (c == '-' && i == 0) {
            negative = true;
        } else if (c == '1' || c == '#') {
            if (pos < 32) result |= 1u << pos;
        } else if (c != '0' && c != '.') {
            return NUM_INVALID;
        }
    }
    return static_cast<i32>(negative ? 0u - result : result);
}

i32 num_oct_value(const char* text) {
    int length = static_cast<int>(std::strlen(text));
    u32 result = 0;
    bool negative = false;
    for (int i = length - 1, shift = 0; i >= 0; i--, shift += 3) {
        char c = text[i];
        if (c == '-') {
            if (i != 0) return NUM_INVALID;
            negative = true;
        } else if (shift < 32) {
            result += static_cast<u32>(c - '0') << shift;
        }
    }
    return static_cast<i32>(negative ? 0u - result : result);
}

void format_number_grouped(u64 value, char* text) {
    // Ten digit places, a separator before the last nine, six and three.
    u64 place = 1000000000;
    bool started = false;
    int out = 0;
    for (int digit = 0; digit < 10; digit++, place /= 10) {
        if (digit == 1 || digit == 4 || digit == 7)
            text[out++] = started ? locale_group_separator : ' ';
        const u64 d = (value / place) % 10;
        if (d != 0 || digit == 9) started = true;
        text[out++] = started ? static_cast<char>('0' + d) : ' ';
    }
}

int key_shift_remap(int raw_key, bool shift, bool ctrl, bool lowercase_on) {
    if (!lowercase_on && shift && !ctrl && raw_key >= 75 && raw_key <= 80) return raw_key + 16;
    return raw_key;
}

long file_read_head(const std::string& host, u8* head, std::size_t n) {
    const int fd = path_open_regular(host, nullptr);
    if (fd < 0) return -1;
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, head + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    return static_cast<long>(got);
}

std::string file_host_path(const std::string& name) {
    return path_to_host(name);
}

int file_read_regular(const std::string& host, std::uint64_t limit,
                      const std::function<u8*(std::size_t size)>& place) {
    unsigned long long size = 0;
    const int fd = path_open_regular(host, &size);
    if (fd < 0) return READ_UNAVAILABLE;
    if (size > limit || size > SIZE_MAX) {
        ::close(fd);
        return READ_TOO_LARGE;
    }
    u8* to = place(static_cast<std::size_t>(size));
    if (!to && size) {
        ::close(fd);
        return READ_FAILED;
    }
    std::size_t got = 0;
    bool ok = true;
    while (got < size) {
        const ssize_t n = ::read(fd, to + got, static_cast<std::size_t>(size) - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    u8 extra;
    ssize_t more;
    while ((more = ::read(fd, &extra, 1)) < 0 && errno == EINTR) {
    }
    ::close(fd);
    return ok && more == 0 ? READ_OK : READ_FAILED;
}

std::string text_listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); i++)
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

std::string text_lf_lines(const std::string& text) {
    std::size_t i = 0;
    if (text.size() >= 3 && static_cast<u8>(text[0]) == 0xEF && static_cast<u8>(text[1]) == 0xBB &&
        static_cast<u8>(text[2]) == 0xBF)
        i = 3;
    std::string out;
    out.reserve(text.size() - i);
    for (; i < text.size(); i++) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') i++;
        } else {
            out += text[i];
        }
    }
    return out;
}
