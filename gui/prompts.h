// One-field prompts: small modal windows without buttons that ask for one
// value. Return (or the close gadget) accepts, Esc cancels.
#pragma once

#include "platform/gui.h"

#include <string>

constexpr int GID_PROMPT_GROUP = 360;
constexpr int GID_PROMPT_FIELD = 361;
constexpr int GID_EDIT_FROM = 362;
constexpr int GID_EDIT_TO = 363;
constexpr int PROMPT_FIELD_CHARS = 40;

// The prompt while it is open, 0 otherwise.
extern int prompt_window;

enum PromptDecision : int { PROMPT_UNDECIDED, PROMPT_ACCEPTED, PROMPT_CANCELLED };
// Opens the prompt `d` in modal mode and runs it until decided; the text of
// entry `field` when accepted goes to `text`. Return in the entry asks
// `field_return` first (nullptr: accept), which may keep the prompt open.
// PROMPT_UNDECIDED when the window could not be opened (said with a warning).
// While it waits the port's other clients are answered "A requester is
// open."; a prompt that a client's command opened is cancelled when that
// client leaves.
PromptDecision gui_run_prompt(const GuiWindowDesc& d, int field, bool (*field_return)(),
                              std::string* text);
// An entry of a prompt: `chars` characters at most, as many shown.
GuiNode gui_prompt_field(int gid, const std::string& label, const std::string& text, int chars,
                         bool readonly);

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
