#include "commands/menu_state.h"

#include "commands/command_actions.h"
#include "commands/command_table.h"
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "core/frame.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "gui/main_window.h"
#include "debugger/commands.h"
#include "gui/tool_windows.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

const char* menu_item_refusal(const CmdRow& row) {
    return cmd_refusal(row);
}

bool menu_item_enabled(const CmdRow& row) {
    return !menu_item_refusal(row) && !cmd_window_shown(row);
}

const char* debug_item_line(const CmdRow& row) {
    if (row.run == act_debug_line || row.run == act_debug_radio)
        return static_cast<const char*>(row.arg);
    if (row.run == act_object_save) return machine_debug().object_save_command;
    if (row.run == act_disk_save) {
        const char* command = machine_debug().disk_save_command;
        return command ? command : "SAVEIMAG ";
    }
    if (row.run == act_go) return "G";
    return nullptr;
}

namespace {

// A line's words; the netplay message and the host shell are a leading '"'
// or '*' and the rest.
std::vector<std::string> line_words(const char* line) {
    std::vector<std::string> words;
    if (line[0] == '"' || line[0] == '*') {
        words.emplace_back(1, line[0]);
        return words;
    }
    for (const char* p = line; *p;) {
        while (*p && std::isspace(static_cast<unsigned char>(*p)))
            p++;
        const char* start = p;
        while (*p && !std::isspace(static_cast<unsigned char>(*p)))
            p++;
        if (p > start) words.emplace_back(start, p);
    }
    return words;
}

bool same_word(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); i++)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

const char* debug_line_refusal(const char* line) {
    const std::vector<std::string> words = line_words(line);
    // A command's usage ("SAVETVC ?") is shown wherever it is asked for.
    if (words.empty() || (words.size() == 2 && words[1] == "?")) return nullptr;
    const CmdRow* item = nullptr;
    std::size_t matched = 0;
    for (const CmdRow& row : cmd_rows) {
        const char* text = debug_item_line(row);
        if (!text) continue;
        const std::vector<std::string> own = line_words(text);
        // An item that runs a whole line is that line; one that prefills a
        // command (and G, and the machine's save commands) covers its lines.
        const bool whole = row.run == act_debug_radio || (row.run == act_debug_line && !row.value);
        if (own.empty() || own.size() > words.size() || own.size() <= matched) continue;
        if (whole && own.size() != words.size()) continue;
        const bool command = own[0] == "\"" || own[0] == "*"
                                 ? own[0] == words[0]
                                 : dbg_same_command(own[0].c_str(), words[0].c_str());
        if (!command) continue;
        std::size_t i = 1;
        while (i < own.size() && same_word(own[i], words[i]))
            i++;
        if (i < own.size()) continue;
        item = &row;
        matched = own.size();
    }
    return item ? menu_item_refusal(*item) : nullptr;
}

const char* debug_line_wording(const char* line) {
    return cmd_debugger_wording(debug_line_refusal(line));
}

namespace {
// The debugger asks the Debug menu's rows before it runs a line.
[[maybe_unused]] const bool debugger_asks_items = (dbg_item_refusal = debug_line_wording, true);
} // namespace

namespace {

ItemState state_of(const CmdRow* row) {
    ItemState s;
    if (!row) {
        s.enabled = false;
        return s;
    }
    s.enabled = menu_item_enabled(*row);
    if (row->tick) s.tick = row->tick(*row);
    return s;
}

bool toolbar_shown() {
    return main_window && view_toolbar[display_mode];
}

} // namespace

ToolWindow menu_tool_window(int id) {
    const CmdRow* row = cmd_of_plain(id);
    return row ? static_cast<ToolWindow>(cmd_tool_window(*row)) : TW_NONE;
}

int menu_tool_window_item(ToolWindow window) {
    for (const CmdRow& row : cmd_rows)
        if (cmd_tool_window(row) == window && window != TW_NONE) return row.plain;
    return -1;
}

ItemState menu_plain_state(int id) {
    return state_of(cmd_of_plain(id));
}

ItemState menu_check_state(int id) {
    return state_of(cmd_of_check(id));
}

void gui_update_menu_item(int id) {
    if (!main_window || gui_menu_strip.empty() || id < 0 || id >= MENU_PLAIN_IDS) return;
    if (menu_plain_ids[id] == MENU_NONE) return;
    const ItemState s = menu_plain_state(id);
    menu_set_state(id, s.enabled, s.tick > 0);
}

void gui_refresh_menus() {
    if (!main_window || gui_menu_strip.empty()) return;
    for (const CmdRow& row : cmd_rows) {
        if (row.plain >= 0) {
            gui_update_menu_item(row.plain);
        } else if (row.check >= 0 && menu_check_ids[row.check] != MENU_NONE) {
            const ItemState s = menu_check_state(row.check);
            menu_check_item_set_state(row.check, s.enabled, s.tick > 0);
        }
    }
}

ButtonState toolbar_button_state(int index) {
    ButtonState b;
    const CmdRow* row = cmd_toolbar_row(2, index + 1);
    if (!row) {
        b.enabled = false;
        return b;
    }
    const ItemState s = state_of(row);
    b.enabled = s.enabled;
    // The recorders' buttons show what the recorders do; the others their option.
    switch (row->cmd) {
    case Cmd::MACRO_STARTRECORDING:
        b.selected = rec_state == REC_RECORDING;
        break;
    case Cmd::MACRO_RESTARTPLAYBACK:
        b.selected = rec_state == REC_PLAYBACK;
        break;
    case Cmd::MACRO_STOP:
        b.selected = rec_state == REC_IDLE;
        break;
    default:
        b.selected = s.tick > 0;
        break;
    }
    if (emu_paused_mid_frame && (row->flags & CF_FRAME)) b.selected = false;
    return b;
}

bool toolbar1_button_enabled(int index) {
    const CmdRow* row = cmd_toolbar_row(1, index + 1);
    return row && menu_item_enabled(*row);
}

void gui_update_toolbar_button(int index) {
    if (!toolbar_shown() || index < 0 || index > 9) return;
    const ButtonState b = toolbar_button_state(index);
    gui_bar_set(main_window, GID_SPEEDBAR_2, index + 1, b.enabled, b.selected);
}

void gui_refresh_toolbar() {
    if (!toolbar_shown()) return;
    for (int i = 0; i < 8; i++)
        gui_bar_set(main_window, GID_SPEEDBAR_1, i + 1, toolbar1_button_enabled(i), false);
    for (int i = 0; i <= 9; i++)
        gui_update_toolbar_button(i);
    gui_console_buttons_refresh(); // another machine has other buttons
    for (int k = 0; k < 4; k++) {
        const char* label = machine_live_row().console_labels[k];
        if (!label) label = "-";
        const bool present = label[0] != '-' || label[1] != '\0';
        gui_bar_set(main_window, GID_SPEEDBAR_2, 11 + k, present && rec_state != REC_PLAYBACK,
                    false);
    }
}
