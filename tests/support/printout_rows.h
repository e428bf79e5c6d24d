// Test support: the program files a load begins a printout with on the
// machine that runs, made as a user makes them, and the names a printout's
// files take.
#pragma once

#include "tests/support/program_savers.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The savers of the program files the machine opens (test_program_savers),
// then a state (SAVEAS) and a source (written, no saver).
inline std::vector<std::pair<std::string, std::string>> test_loaded_kinds() {
    std::vector<std::pair<std::string, std::string>> kinds = test_program_savers(true);
    kinds.push_back({"SAVEAS ", ".cos"});
    kinds.push_back({"", ".asm"});
    return kinds;
}

// The file of `kind` in `drawer`, "k" and its suffix ("khex.hex"), of $440-$44F
// (the source: a program there), made by sending the saver's line to `run`.
inline std::filesystem::path test_make_loaded(const std::pair<std::string, std::string>& kind,
                                              const std::filesystem::path& drawer,
                                              const std::function<void(const std::string&)>& run) {
    const auto& [saver, suffix] = kind;
    const std::string stem = "k" + suffix.substr(1);
    const std::filesystem::path file = drawer / (stem + suffix);
    if (saver.empty())
        std::ofstream(file, std::ios::binary)
            << "\tORG $440\nSTART:\tLODI,R0 $12\n\tHALT\n\tEND START\n";
    else if (saver == "SAVEAS ")
        run(saver + file.string());
    else
        run("DEBUGGER \"" + saver + "440 44F " + stem + "\"");
    return file;
}

// The first page picture of the printout whose text is `name`.txt
// ("game" game-1.ilbm, "game_2" game-1_2.ilbm).
inline std::string test_first_picture(const std::string& name) {
    const std::size_t numbered = name.rfind('_');
    if (numbered == std::string::npos) return name + "-1.ilbm";
    return name.substr(0, numbered) + "-1" + name.substr(numbered) + ".ilbm";
}

// The port lines by which the guest prints `text` as one line on the 7-bit
// printer (PIPBUG's port $19).
inline std::vector<std::string> test_printing(const std::string& text) {
    std::vector<std::string> lines;
    char line[40];
    for (char c : text + "\r\n") {
        std::snprintf(line, sizeof line, "DEBUGGER \"WRITEPORT 19 %02X\"", c);
        lines.push_back(line);
    }
    return lines;
}

// The names in `drawer`.
inline std::set<std::string> test_names_in(const std::filesystem::path& drawer) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(drawer))
        names.insert(e.path().filename().string());
    return names;
}

// Every printout's files gone: the text files in `projects`, all of `screenshots`.
inline void test_clear_printouts(const std::filesystem::path& projects,
                                 const std::filesystem::path& screenshots) {
    for (const auto& e : std::filesystem::directory_iterator(projects))
        if (e.path().extension() == ".txt") std::filesystem::remove(e.path());
    std::filesystem::remove_all(screenshots);
    std::filesystem::create_directories(screenshots);
}
