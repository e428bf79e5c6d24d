// One-field prompts: small modal windows without buttons that ask for one
// value. Return (or the close gadget) accepts, Esc cancels.
#pragma once

constexpr int GID_PROMPT_GROUP = 360;
constexpr int GID_PROMPT_FIELD = 361;
constexpr int GID_EDIT_FROM = 362;
constexpr int GID_EDIT_TO = 363;
constexpr int PROMPT_FIELD_CHARS = 40;

// The prompt while it is open, 0 otherwise.
extern int prompt_window;

// "Choose Load Address": starts with load_address_text and stores the entry
// there when accepted. Nonzero when accepted; 0 when cancelled or the window
// could not be opened (the text is then kept).
int gui_choose_load_address();

// "Edit Register/Memory": the register or address named by `what` (a
// register name, a label, "$" and hexadecimal), its value now, and the new
// value (a byte, or with `word` a 16-bit word), written through the
// debugger's memory edit when accepted. 0 when `what` names nothing
// editable (said unless quiet), else 1 (cancelled too: "Cancelled." unless
// quiet). Does nothing on a machine without a processor.
int gui_edit_value_window(const char* what, int quiet, int word);
