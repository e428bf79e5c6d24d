#include "platform/file_pattern.h"

#include <cstddef>

namespace {

constexpr std::size_t MAX_FILTERS = 64;

struct Parser {
    const std::string& p;
    std::size_t at = 0;
    bool failed = false;

    bool end() const { return at >= p.size(); }

    // Every pair of a and b, concatenated; fails when it grows too large.
    std::vector<std::string> join(const std::vector<std::string>& a,
                                  const std::vector<std::string>& b) {
        std::vector<std::string> out;
        if (a.size() * b.size() > MAX_FILTERS) {
            failed = true;
            return out;
        }
        for (const std::string& x : a)
            for (const std::string& y : b)
                out.push_back(x + y);
        return out;
    }

    // A shell filter for one literal character.
    static std::string literal(char c) {
        if (c == '*' || c == '?' || c == '[' || c == ']') return std::string("[") + c + "]";
        return std::string(1, c);
    }

    std::vector<std::string> item() {
        const char c = p[at++];
        switch (c) {
        case '?':
            return {"?"};
        case '%':
            return {""};
        case '#': {
            if (end()) {
                failed = true;
                return {};
            }
            item(); // any number of it: a shell filter can only say "anything"
            return {"*"};
        }
        case '\'':
            if (end()) {
                failed = true;
                return {};
            }
            return {literal(p[at++])};
        case '[': {
            std::string cls = "[";
            if (!end() && p[at] == '~') {
                cls += '!';
                ++at;
            }
            while (!end() && p[at] != ']')
                cls += p[at++];
            if (end()) {
                failed = true;
                return {};
            }
            ++at;
            return {cls + "]"};
        }
        case '(': {
            std::vector<std::string> alts = alternatives();
            if (end() || p[at] != ')') {
                failed = true;
                return {};
            }
            ++at;
            return alts;
        }
        case '~':
        case ')':
        case '|':
            failed = true;
            return {};
        default:
            return {literal(c)};
        }
    }

    std::vector<std::string> sequence() {
        std::vector<std::string> out{""};
        while (!failed && !end() && p[at] != '|' && p[at] != ')')
            out = join(out, item());
        return out;
    }

    std::vector<std::string> alternatives() {
        std::vector<std::string> out = sequence();
        while (!failed && !end() && p[at] == '|') {
            ++at;
            for (std::string& s : sequence())
                out.push_back(std::move(s));
            if (out.size() > MAX_FILTERS) failed = true;
        }
        return out;
    }
};

} // namespace

std::vector<std::string> file_pattern_globs(const std::string& pattern) {
    if (pattern.empty()) return {"*"};
    Parser parser{pattern};
    std::vector<std::string> out = parser.alternatives();
    if (parser.failed || !parser.end()) return {"*"};
    std::vector<std::string> unique;
    for (std::string& s : out) {
        if (s.empty()) continue; // only the empty name: never a file
        bool seen = false;
        for (const std::string& u : unique)
            seen = seen || u == s;
        if (!seen) unique.push_back(std::move(s));
    }
    if (unique.empty()) return {"*"};
    return unique;
}

std::string file_pattern_filter_line(const std::string& pattern) {
    std::string line;
    for (const std::string& g : file_pattern_globs(pattern)) {
        if (!line.empty()) line += ' ';
        line += g;
    }
    return line;
}
