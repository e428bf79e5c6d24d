#include "commands/help_links.h"

#include "core/frame.h"
#include "core/machine_ops.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <sys/stat.h>

namespace {

bool is_file(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The machine's own node, else the common one.
const char* own_or(const char* own, const char* common) {
    return own ? own : common;
}

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
    emu_pause(PauseCause::manual);
    gui_help_show(help_document().c_str(), node && *node ? node : "MAIN");
}

void help_show(int context) {
    help_show_node(help_node_of(context));
}

const char* help_window_node(int window, int m) {
    const MachineOps& row = machine_ops(static_cast<u32>(m));
    switch (window) {
    case TW_DIPS:
        return own_or(row.dips_help, "");
    case TW_GAMEINFO:
        return "gameinfo";
    case TW_MEMORY:
        return "memory";
    case TW_OPCODES:
        return "opcodes";
    case TW_TAPE:
        return own_or(row.tape_help, "tapedeck");
    case TW_SPRITES:
        return own_or(row.sprites_help, "");
    case TW_SPEED:
        return "speed";
    case TW_MUSIC:
        return "music";
    case TW_PRINTER:
        return own_or(row.printer_help, "printer");
    case TW_FLOPPY:
        return own_or(row.floppy_help, "floppydrive");
    case TW_PAPERTAPE:
        return own_or(row.papertape_help, "papertape");
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

void help_check_closed() {
    if (!emu_paused_by(PauseCause::manual) || gui_help_is_open()) return;
    emu_release(PauseCause::manual);
}

void help_install() {
    gui_host_set_help_handler(help_show_node);
}

void open_url(const char* address) {
    if (!address || !*address) return;
    if (gui_host_open_url(address)) return;
    // Without a browser the click would only beep: say what could not be opened.
    const std::string text = std::string("No web browser could open ") + address;
    con_printf("%s\n", text.c_str());
    ui_status_text(text.c_str());
    ui_beep();
}

const char* coding_guide_section(int m) {
    const MachineOps& row = machine_ops(static_cast<u32>(m));
    return row.coding_guide ? own_or(row.guide_section, "") : "";
}

const char* gaming_guide_section(int m) {
    return own_or(machine_ops(static_cast<u32>(m)).guide_section, "");
}
