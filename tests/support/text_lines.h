// Test support: texts of lines (settings files, listings) taken apart, put
// together and compared line by line.
#pragma once

#include <algorithm>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> text_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline std::string text_joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The lines where `got` differs from `wanted` ("" when it does not), each as
// "line: got / wanted"; a line that begins with `skipped` on both sides (a
// value that changes by itself) is not compared.
inline std::string text_differences(const std::string& got, const std::string& wanted,
                                    const std::string& skipped = "") {
    const std::vector<std::string> a = text_lines(got), b = text_lines(wanted);
    std::string out;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); i++) {
        const std::string x = i < a.size() ? a[i] : "(none)", y = i < b.size() ? b[i] : "(none)";
        const bool skip = !skipped.empty() && x.rfind(skipped, 0) == 0 && y.rfind(skipped, 0) == 0;
        if (x != y && !skip) out += std::to_string(i + 1) + ": " + x + " / " + y + "\n";
    }
    return out;
}
