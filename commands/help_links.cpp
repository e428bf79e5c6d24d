#include "commands/help_links.h"

#include "core/frame.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace {

bool is_file(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The README section of each machine, by machine number.
const char* const machine_sections[15] = {
    "arcadia",           "interton",       "elektor",   "pipbug-and-binbug",
    "pipbug-and-binbug", "instructor-50",  "twin",      "cd2650",
    "coin-op-boards",    "coin-op-boards", "phunsy",    "",
    "selbstbaucomputer", "mikit",          "type-right"};

} // namespace

const char* help_node_of(int context) {
    static const char* const nodes[9] = {"Proj", "Edit", "View", "Macr", "DebM",
                                         "Tool", "Peri", "Sett", "Help"};
    return context >= 0 && context < 9 ? nodes[context] : "MAIN";
}

std::string help_document() {
    return path_to_host("PROGDIR:help/index.html");
}

bool help_available() {
    return is_file(help_document());
}

void help_show_node(const char* node) {
    if (!help_available()) return;
    emu_pause();
    gui_help_show(help_document().c_str(), node && *node ? node : "MAIN");
}

void help_show(int context) {
    help_show_node(help_node_of(context));
}

const char* help_window_node(int window, int m) {
    switch (window) {
    case TW_DIPS:
        return m == 5    ? "si50-dips"
               : m == 8  ? "zaccaria-dips"
               : m == 9  ? "malzak2-dips"
               : m == 11 ? "pong-dips"
                         : "";
    case TW_GAMEINFO:
        return "gameinfo";
    case TW_MEMORY:
        return "memory";
    case TW_OPCODES:
        return "opcodes";
    case TW_TAPE:
        return m == 10 ? "phunsy-tapedeck" : "tapedeck";
    case TW_SPRITES:
        return m == 0                                 ? "arcadia-sprites"
               : m == 1 || m == 2 || m == 8 || m == 9 ? "pvi-sprites"
               : m == 4 || m == 7 || m == 10          ? "binbug-sprites"
                                                      : "";
    case TW_SPEED:
        return "speed";
    case TW_MUSIC:
        return "music";
    case TW_PRINTER:
        return m == 6 ? "twin-printer" : "printer";
    case TW_FLOPPY:
        return m == 6 ? "floppydrives" : "floppydrive";
    case TW_PAPERTAPE:
        return m == 6 ? "papertape-twin" : "papertape";
    case TW_INSTRUMENTS: {
        static const char* const instruments[4] = {"eaprinter", "linearization", "magnetometer",
                                                   "furnace"};
        return pipbug_peripheral >= 0 && pipbug_peripheral < 4 ? instruments[pipbug_peripheral]
                                                               : "";
    }
    default:
        return "";
    }
}

void help_install() {
    gui_host_set_help_handler(help_show_node);
}

void open_url(const char* address) {
    if (!address || !*address) return;
    if (!gui_host_open_url(address)) ui_beep();
}

std::string readme_address(const char* anchor) {
    // The README beside the shipped files (a build tree), else in the home.
    std::string readme = path_to_host("PROGDIR:README.md");
    const std::string resources = path_resources();
    if (!is_file(readme) && !resources.empty() && is_file(resources + "/../README.md")) {
        char full[4096];
        if (realpath((resources + "/../README.md").c_str(), full)) readme = full;
    }
    std::string address = "file://" + readme;
    if (anchor && *anchor) address += std::string("#") + anchor;
    return address;
}

const char* coding_guide_section(int m) {
    if (m < 0 || m >= 15 || m == 14) return "";
    return machine_sections[m];
}

const char* gaming_guide_section(int m) {
    if (m < 0 || m >= 15) return "";
    return machine_sections[m];
}
