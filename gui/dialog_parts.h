// Pieces the settings dialogs and windows build their gadget trees from, and
// the keys their OK, Cancel and Reset buttons answer to.
#pragma once

#include "platform/gui.h"

#include <string>
#include <vector>

GuiNode gui_node(GuiKind kind, int gid = 0);
// A node with its text (a button, a field, a label).
GuiNode gui_node(GuiKind kind, int gid, std::string text);
GuiNode gui_label(const std::string& text);
// A framed group with a title ("" for a plain group).
GuiNode gui_group(GuiKind kind, const std::string& title = "");
// A group of `children`, framed with `frame` as its title when one is given.
GuiNode gui_group(GuiKind kind, std::vector<GuiNode> children, const char* frame = nullptr);
// A button with its catalog text and an interface image beside it (0 none).
GuiNode gui_text_button(int gid, int number, const char* english, int image = 0);
// The row "_Reset to defaults" (above or beside), "_OK", "_Cancel" with their
// pictures; `reset_gid` 0 leaves the reset button out.
GuiNode gui_reset_ok_cancel(int reset_gid, int ok_gid, int cancel_gid, bool reset_alone);

// What a raw key press does in a dialog with these buttons: Return and the
// pad's Enter are OK, Esc is Cancel; with `letters` R resets, O is OK and C
// Cancel too. Releases do nothing.
enum class DialogKey { NONE, RESET, OK, CANCEL };
DialogKey gui_dialog_key(int code, bool letters);

// A framed "Legend" group of read-only fields, one above the other, each
// showing its text on its extra pen (display/host.h), then a gap. The fields
// have ids of their window only, from GID_LEGEND_FIRST (above the shared
// table); gui_legend_paint colours them once the window is open.
struct LegendRow {
    std::string text;
    int pen;
};
constexpr int GID_LEGEND_FIRST = 4000;
GuiNode gui_legend(const std::vector<LegendRow>& rows);
void gui_legend_paint(int win, const std::vector<LegendRow>& rows);
