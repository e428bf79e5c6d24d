#include "platform/catalog.h"
#include "platform/catalog_file.h"
#include "platform/paths.h"

#include <cstdlib>
#include <deque>
#include <string_view>
#include <sstream>
#include <unistd.h>
#include <string>
#include <unordered_map>

constexpr long CATALOG_MAX_NUMBER = 99999;
constexpr unsigned long long CATALOG_MAX_BYTES = 16u << 20; // a larger file is no catalog

// Every text ever loaded, kept for the program's life so that pointers handed
// out by cat_str never dangle, even across a reload.
static std::deque<std::string> texts;
static std::unordered_map<int, const char*> overrides;
static bool loaded = false;

// Decodes the escapes of one text; false on an unknown or unfinished escape.
static bool unescape(const std::string& in, std::string& out) {
    out.clear();
    for (size_t i = 0; i < in.size(); i++) {
        char c = in[i];
        if (c == '\0') return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == in.size()) return false;
        switch (in[i]) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return false;
        }
    }
    return true;
}

static bool parse_number(const std::string& s, int& number) {
    size_t a = s.find_first_not_of(" \t");
    size_t b = s.find_last_not_of(" \t");
    if (a == std::string::npos) return false;
    long n = 0;
    for (size_t i = a; i <= b; i++) {
        if (s[i] < '0' || s[i] > '9') return false;
        n = n * 10 + (s[i] - '0');
        if (n > CATALOG_MAX_NUMBER) return false;
    }
    number = static_cast<int>(n);
    return true;
}

static void load_catalog() {
    loaded = true;
    const char* env = std::getenv("BRINDLEMOX_CATALOG");
    std::string path =
        env && env[0] ? path_to_host(env) : path_to_host("PROGDIR:catalogs/Brindlemox.catalog");
    // Only a regular file is read: a FIFO or device in the catalog's place
    // must not hold up the program.
    unsigned long long size = 0;
    const int fd = path_open_regular(path, &size);
    if (fd < 0) return;
    std::string data;
    if (size <= CATALOG_MAX_BYTES) {
        data.resize(static_cast<size_t>(size));
        size_t got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        data.resize(got);
    }
    ::close(fd);
    std::istringstream in(data);
    std::string line, text;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        int number;
        if (eq == std::string::npos || !parse_number(line.substr(0, eq), number)) continue;
        if (!unescape(line.substr(eq + 1), text)) continue;
        texts.push_back(text);
        overrides[number] = texts.back().c_str();
    }
}

void cat_reload() {
    overrides.clear();
    loaded = false;
}

// Skips the width or precision of a conversion: "*" takes an argument of its
// own, digits do not.
static void skip_count(const char*& f, std::string& sig) {
    if (*f == '*') {
        sig += "*,";
        f++;
    } else {
        while (*f >= '0' && *f <= '9')
            f++;
    }
}

// The argument signature of a printf format: one token per consumed
// argument. False for formats that cannot be checked ("%n", positional
// arguments, unknown conversions).
static bool format_signature(const char* f, std::string& sig) {
    sig.clear();
    for (; *f; f++) {
        if (*f != '%') continue;
        f++;
        if (*f == '%') continue;
        while (*f && std::string_view("-+ #0'").find(*f) != std::string_view::npos)
            f++;
        skip_count(f, sig);
        if (*f == '$') return false;
        if (*f == '.') {
            f++;
            skip_count(f, sig);
        }
        std::string len;
        while (*f && std::string_view("hlLqjzt").find(*f) != std::string_view::npos)
            len += *f++;
        if (len == "h" || len == "hh") len.clear(); // promoted to int
        switch (*f) {
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X':
        case 'c':
            sig += len + "int,";
            break;
        case 's':
            sig += len + "str,";
            break;
        case 'p':
            sig += "ptr,";
            break;
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            sig += len + "dbl,";
            break;
        default:
            return false; // also the end of the text and %n
        }
    }
    return true;
}

bool cat_formats_match(const char* english, const char* override_text) {
    std::string a, b;
    return format_signature(english, a) && format_signature(override_text, b) && a == b;
}

const char* cat_str(int number, const char* english_default) {
    if (!loaded) load_catalog();
    auto it = overrides.find(number);
    if (it == overrides.end()) return english_default;
    if (english_default && !cat_formats_match(english_default, it->second)) return english_default;
    return it->second;
}
