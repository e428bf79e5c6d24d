// Pieces the settings dialogs and windows build their gadget trees from, and
// the keys their OK, Cancel and Reset buttons answer to.
#pragma once

#include "platform/gui.h"

#include <string>

GuiNode gui_node(GuiKind kind, int gid = 0);
GuiNode gui_label(const std::string& text);
// A framed group with a title ("" for a plain group).
GuiNode gui_group(GuiKind kind, const std::string& title = "");
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
