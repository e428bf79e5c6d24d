// Test support: the debugger's line of a command that writes a file, from
// its row of the command table's `writes` column.
#pragma once

#include "debugger/commands.h"

#include <algorithm>
#include <sstream>
#include <string>

// The command's name: the first of its row's names.
inline std::string test_writer_name(const DbgFileWriter& w) {
    const std::string names = w.names;
    return names.substr(0, names.find('|'));
}

// The command line of `w` writing `file`: its argument words up to
// <filename>, a range where the words name one; "" when it takes no file name.
inline std::string test_writer_line(const DbgFileWriter& w, const std::string& file) {
    std::string line = test_writer_name(w);
    std::istringstream words(w.arguments);
    for (std::string word; words >> word;) {
        std::erase(word, '[');
        std::erase(word, ']');
        if (word == "<filename>") return line + " " + file;
        line += word.find("end") != std::string::npos ? " $90F" : " $900";
    }
    return "";
}
