// How often a text holds a part (overlapping matches counted), for tests that
// read what the program printed.
#pragma once

#include <string>

inline int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}
