// Test support: the program files a machine opens, as its table rows give
// them, with the debugger's savers that write each.
#pragma once

#include "core/machine_debug.h"
#include "core/machine_table.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// The savers (the debugger command with its space, the suffix) of the program
// files the machine that runs opens again: HEX everywhere, its object files
// (AOF, or a format of its own), its disk system's program files, and with
// `images` the BIN and TVC images it takes.
inline std::vector<std::pair<std::string, std::string>> test_program_savers(bool images) {
    const MachineDebug& debug = machine_debug();
    const MachineTraits& traits = machine_traits();
    std::vector<std::pair<std::string, std::string>> savers = {{"SAVEHEX ", ".hex"}};
    if (debug.object_format || traits.takes_aof)
        savers.push_back({debug.object_save_command,
                          debug.object_format ? debug.object_format->suffix : ".aof"});
    if (debug.disk_program) savers.push_back({debug.disk_save_command, debug.disk_program->suffix});
    if (images && traits.takes_bin) savers.push_back({"SAVEBIN ", ".bin"});
    if (images && traits.tvc_files) savers.push_back({"SAVETVC ", ".tvc"});
    return savers;
}

// `value` in hexadecimal digits, as the debugger reads an address.
inline std::string test_hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}
