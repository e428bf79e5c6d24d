// A test row's name from the program's own words: the letters and digits of
// `words` run together, each word's first letter upper case ("changed disks
// and MDCR tape" -> "ChangedDisksAndMDCRTape"), else "Row<n>".
#pragma once

#include <cctype>
#include <cstddef>
#include <string>

inline std::string row_name_of(const std::string& words, std::size_t row) {
    std::string name;
    bool word = true;
    for (const char c : words) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) {
            name += word ? static_cast<char>(std::toupper(u)) : c;
            word = false;
        } else {
            word = true;
        }
    }
    return name.empty() ? "Row" + std::to_string(row) : name;
}
