#include "inspect/opcodes_window.h"

#include "commands/help_links.h"
#include "core/frame.h"
#include "core/machine_table.h"
#include "cpu/cpu.h"
#include "cpu/optables.h"
#include "gui/dialog_parts.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "inspect/opcode_info.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstdio>
#include <string>

namespace {

constexpr std::size_t HINT_SIZE = 513;

int window() {
    return gui_subwin_window[TW_OPCODES];
}

const char* label_of(int op) {
    const char* m = op_text[dis_notation < NOTATIONS ? dis_notation : 0][op].mnemonic;
    return m ? m : "";
}

std::string hint_of(int op) {
    char text[HINT_SIZE];
    opcode_info_text(static_cast<u8>(op), text, sizeof text);
    return text;
}

// The button of one opcode. The undefined opcodes, and $10 and $11 on the
// 2650, take no clicks; that is settled when the window opens.
GuiNode opcode_button(int op) {
    GuiNode b = gui_node(GK_BUTTON, GID_OPCODE_FIRST + op);
    b.text = label_of(op);
    b.text_left = true;
    b.weight = 1;
    b.readonly = !opcode_clickable(cpu_type, static_cast<u8>(op));
    b.background = opcode_group_colour(opcode_group(cpu_type, static_cast<u8>(op)));
    b.hint = hint_of(op);
    return b;
}

GuiNode chart() {
    GuiNode rows = gui_group(GK_VGROUP);
    for (int first = 0; first < 256; first += 8) {
        char caption[16];
        std::snprintf(caption, sizeof caption, "$%02X..$%02X:", first, first + 7);
        GuiNode row = gui_group(GK_HGROUP);
        row.children.push_back(gui_label(caption));
        for (int op = first; op < first + 8; op++)
            row.children.push_back(opcode_button(op));
        rows.children.push_back(row);
    }
    return rows;
}

GuiNode legend() {
    GuiNode groups = gui_group(GK_HGROUP);
    for (OpcodeGroup g : opcode_legend) {
        GuiNode b = gui_node(GK_BUTTON);
        b.text = opcode_group_text(g);
        b.readonly = true;
        b.weight = 1;
        b.background = opcode_group_colour(g);
        groups.children.push_back(b);
    }
    GuiNode hover = gui_group(GK_HGROUP);
    hover.children = {gui_node(GK_SPACE), gui_label(cat_str(541, "Hover over a button for more information.")),
                      gui_node(GK_SPACE)};
    hover.children[0].weight = hover.children[2].weight = 1;
    GuiNode box = gui_group(GK_VGROUP, cat_str(633, "Legend"));
    box.children = {groups, hover};
    return box;
}

bool opcodes_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_GADGET: {
        const int op = e.gid - GID_OPCODE_FIRST;
        if (op < 0 || op > 255 || !opcode_clickable(cpu_type, static_cast<u8>(op))) break;
        emu_pause(PauseCause::web_page);
        open_url(opcode_manual_address(static_cast<u8>(op)).c_str());
        break;
    }
    case GE_RAWKEY:
        if (e.code == RAW_ESC) return true;
        gui_forward_raw_key(e.code);
        break;
    default:
        break;
    }
    return false;
}

} // namespace

void gui_open_opcodes_window() {
    if (window() || machine_traits().no_processor) return;
    GuiWindowDesc desc;
    desc.title = cat_str(500, "Opcodes");
    desc.size_gadget = true;
    desc.help_node = "opcodes";
    desc.root = gui_group(GK_VGROUP);
    desc.root.children = {chart(), gui_label(" "), legend()};
    if (gui_open_subwindow(TW_OPCODES, desc)) opcodes_window_relabel();
}

void opcodes_window_relabel() {
    const int win = window();
    if (!win) return;
    for (int op = 0; op < 256; op++) {
        const int gid = GID_OPCODE_FIRST + op;
        gui_set_text(win, gid, label_of(op));
        gui_set_background(win, gid, opcode_group_colour(opcode_group(cpu_type, static_cast<u8>(op))));
        gui_set_hint(win, gid, hint_of(op).c_str());
    }
}

void gui_opcodes_window_input() {
    if (gui_tool_window_events(TW_OPCODES, opcodes_event)) gui_flush_main_port();
}

void opcodes_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_OPCODES];
    ops.open = gui_open_opcodes_window;
    ops.input = gui_opcodes_window_input;
}
