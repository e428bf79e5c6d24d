#include "inspect/psg_monitor_window.h"

#include "core/machine_table.h"
#include "cpu/bus.h"
#include "gui/dialog_parts.h"
#include "gui/main_window.h"
#include "gui/prompts.h"
#include "gui/tool_windows.h"
#include "inspect/address_text.h"
#include "inspect/monitor_rows.h"
#include "platform/catalog.h"

#include <cstdio>

namespace {

// A field of a chip's panel: its label stem and its row for PSG #1 and #2.
struct PsgField {
    const char* name;
    int row[2];
};
// The left and right columns, top to bottom.
constexpr PsgField LEFT_COLUMN[6] = {
    {"PITCHA", {260, 261}},     {"PITCHB", {262, 263}},     {"PITCHC", {264, 265}},
    {"AMPLITUDEA", {244, 252}}, {"AMPLITUDEB", {245, 253}}, {"AMPLITUDEC", {246, 254}},
};
constexpr PsgField RIGHT_COLUMN[6] = {
    {"PITCHD", {247, 255}}, {"MIXER", {248, 256}}, {"PERIOD", {266, 267}},
    {"SHAPE", {249, 257}},  {"PORTA", {250, 258}}, {"PORTB", {251, 259}},
};

int window() {
    return gui_subwin_window[TW_PSG];
}

bool has_psgs() {
    return memmap_desc().traits.psg;
}

GuiNode group(GuiKind kind, std::vector<GuiNode> children) {
    return gui_group(kind, std::move(children));
}

GuiNode space(bool stretch) {
    GuiNode n = gui_node(GK_SPACE);
    n.weight = stretch ? 1 : 0;
    return n;
}

// "PITCHA1:" and its value button, with the address's description as hint.
GuiNode field_node(const PsgField& f, int chip) {
    const int row = f.row[chip];
    GuiNode caption = gui_label(std::string(f.name) + static_cast<char>('1' + chip) + ":");
    caption.min_w = 110;
    GuiNode button = monitor_row_button(row, mon_psg_row_digits(row));
    char hint[513];
    addr_info_text(monitor_reg_address(row), hint, sizeof hint);
    button.hint = hint;
    return group(GK_HGROUP, {caption, button, space(true)});
}

GuiNode chip_node(int chip) {
    GuiNode columns = group(GK_HGROUP, {});
    for (const PsgField* column : {LEFT_COLUMN, RIGHT_COLUMN}) {
        GuiNode c = group(GK_VGROUP, {});
        for (int i = 0; i < 6; i++)
            c.children.push_back(field_node(column[i], chip));
        columns.children.push_back(c);
    }
    GuiNode g = group(GK_VGROUP, {columns});
    g.framed = true;
    g.text = chip ? cat_str(150, "AY-3-8910 PSG #2 Status") : cat_str(149, "AY-3-8910 PSG #1 Status");
    return g;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(690, "Real-Time PSGs Monitor");
    d.root.kind = GK_VGROUP;
    d.root.children.push_back(
        group(GK_HGROUP, {space(true), chip_node(0), space(true), chip_node(1), space(true)}));
    d.root.children.push_back(mon_hint_line());
    return d;
}

bool pair_row(int row) {
    return row >= MON_PSG_PAIRS_FIRST && row <= MON_PSG_LAST;
}

// A click edits the register, a pair as one word (the prompt keeps the
// PSGs' pairs low byte first).
void edit(int row) {
    if (!pair_row(row)) {
        monitor_edit_row(row);
        return;
    }
    char what[12];
    std::snprintf(what, sizeof what, "$%X", monitor_reg_address(row));
    gui_edit_value_window(what, 1, 1);
}

bool handle(const GuiEvent& e) {
    return mon_window_event(TW_PSG, e, MON_PSG_FIRST, MON_PSG_LAST, edit);
}

void input() {
    if (gui_tool_window_events(TW_PSG, handle)) gui_flush_main_port();
}

} // namespace

int mon_psg_row_digits(int row) {
    return pair_row(row) ? 4 : 2;
}

u16 mon_psg_row_value(int row) {
    const u32 a = monitor_reg_address(row);
    if (a >= GUEST_MEMORY_SIZE) return 0;
    if (!pair_row(row)) return guest_memory[a];
    return static_cast<u16>(guest_memory[a] | guest_memory[(a + 1) & (GUEST_MEMORY_SIZE - 1)] << 8);
}

void mon_psg_refresh(int force) {
    if (!window()) return;
    for (int row = MON_PSG_FIRST; row <= MON_PSG_LAST; row++)
        mon_show_row(TW_PSG, row, mon_psg_row_value(row), mon_psg_row_digits(row), force);
}

void mon_open_psg_window() {
    if (window() || !has_psgs()) return;
    if (!gui_open_subwindow(TW_PSG, describe())) return;
    gui_refresh_windows(1);
}

void psg_monitor_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_PSG];
    ops.open = mon_open_psg_window;
    ops.input = input;
    ops.refresh = mon_psg_refresh;
}
