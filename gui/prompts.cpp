#include "gui/prompts.h"

#include "core/loader.h"
#include "app/mainloop.h"
#include "app/rexx_host.h"
#include "app/shutdown.h"
#include "core/message.h"
#include "debugger/commands.h"
#include "debugger/memory_commands.h"
#include "gui/tool_windows.h"
#include "core/ui_host.h"
#include "gui/dialogs.h"
#include "gui/requesters.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstdio>
#include <string>

int prompt_window = 0;

namespace {

enum Decision { UNDECIDED = PROMPT_UNDECIDED, ACCEPTED = PROMPT_ACCEPTED, CANCELLED = PROMPT_CANCELLED };

// What one event decides. Return in the editable field `field` asks
// `field_return` first (nullptr: accept), which may keep the prompt open.
// The editable field gets the keyboard with its text selected: what is typed
// replaces the value shown.
void activate_field(int field) {
    gui_activate_gadget(prompt_window, field);
    gui_select_text(prompt_window, field);
}

Decision decide(const GuiEvent& e, int field, bool (*field_return)()) {
    switch (e.type) {
    case GE_CLOSE:
        return ACCEPTED;
    case GE_GADGET:
        if (e.gid != field) return UNDECIDED;
        if (e.code == 13) return !field_return || field_return() ? ACCEPTED : UNDECIDED;
        if (e.code == 69) return CANCELLED; // Esc inside the field
        if (e.code == 9) activate_field(field);
        return UNDECIDED;
    case GE_RAWKEY:
        switch (e.code) {
        case 0x45:
            return CANCELLED;
        case 0x43:
        case 0x44:
            return ACCEPTED;
        case 0x42:
            activate_field(field);
            return UNDECIDED;
        default:
            return UNDECIDED;
        }
    default:
        return UNDECIDED;
    }
}

// Opens the prompt `d` in modal mode and runs it until decided; the text of
// `field` when accepted goes to `text`. UNDECIDED when the window could not
// be opened.
Decision run_prompt(const GuiWindowDesc& d, int field, bool (*field_return)(), std::string* text) {
    gui_modal_begin();
    prompt_window = gui_window_open(d);
    if (!prompt_window) {
        gui_warning(cat_str(156, "Can't open window!"));
        gui_modal_end();
        return UNDECIDED;
    }
    activate_field(field);
    Decision decision = UNDECIDED;
    while (decision == UNDECIDED) {
        gui_host_wait_events(100);
        app_check_break();
        // The port's other clients are answered meanwhile; the prompt a
        // client's command opened is cancelled once that client has gone.
        if (rexx_serve_port_waiting() || !gui_window_is_open(prompt_window)) {
            decision = CANCELLED;
            break;
        }
        GuiEvent e;
        while (decision == UNDECIDED && gui_window_next_event(prompt_window, &e))
            decision = decide(e, field, field_return);
    }
    if (decision == ACCEPTED) *text = gui_get_text(prompt_window, field);
    gui_window_close(prompt_window);
    prompt_window = 0;
    gui_modal_end();
    return decision;
}

GuiNode field_node(int gid, const std::string& label, const std::string& text, int chars,
                   bool readonly) {
    GuiNode n;
    n.kind = GK_STRING;
    n.gid = gid;
    n.label = label;
    n.text = text;
    n.max_chars = chars;
    n.min_w = chars;
    n.readonly = readonly;
    return n;
}

// The value of `text` for the edit's target; above edit_max when it is out
// of range or no value, which a warning then says with the valid range.
i32 edit_value_of(const std::string& text) {
    const i32 value = static_cast<i32>(dbg_parse_register_operand(text.c_str(), static_cast<u32>(edit_max), 0));
    if (value > edit_max) {
        char why[96];
        std::snprintf(why, sizeof why, "\"%.20s\" is refused: valid range is $0..$%X!", text.c_str(),
                      static_cast<u32>(edit_max));
        gui_warning(why);
    }
    return value;
}

// The range rule of the edit prompt: a value above the target's largest (or
// text that is no value) is refused with the range it must lie in; the prompt
// stays open with the text selected for another try.
bool edit_value_in_range() {
    const i32 value = edit_value_of(gui_get_text(prompt_window, GID_EDIT_TO));
    if (value > edit_max) {
        gui_window_activate(prompt_window); // the keyboard comes back from the warning
        activate_field(GID_EDIT_TO);
        return false;
    }
    edit_new_value = value;
    return true;
}

} // namespace

PromptDecision gui_run_prompt(const GuiWindowDesc& d, int field, bool (*field_return)(),
                              std::string* text) {
    return static_cast<PromptDecision>(run_prompt(d, field, field_return, text));
}

GuiNode gui_prompt_field(int gid, const std::string& label, const std::string& text, int chars,
                         bool readonly) {
    return field_node(gid, label, text, chars, readonly);
}

int gui_choose_load_address() {
    if (prompt_window || !app_acquired.host_gui) return 0; // no display: as if cancelled
    GuiWindowDesc d;
    d.title = cat_str(1232, "Choose Load Address");
    if (ui_unattended_report(d.title.c_str(), "Cancel")) return 0;
    d.root.kind = GK_VGROUP;
    d.root.gid = GID_PROMPT_GROUP;
    d.root.children.push_back(field_node(GID_PROMPT_FIELD, cat_str(995, "Address:"),
                                         load_address_text, PROMPT_FIELD_CHARS, false));
    std::string text;
    if (run_prompt(d, GID_PROMPT_FIELD, nullptr, &text) != ACCEPTED) return 0;
    std::snprintf(load_address_text, sizeof load_address_text, "%.*s", PROMPT_FIELD_CHARS,
                  text.c_str());
    return 1;
}

int gui_edit_value_window(const char* what, int quiet, int word) {
    if (!dbg_machine_has_cpu(false)) return 1;
    if (prompt_window) return 1; // one prompt at a time
    std::snprintf(edit_what, sizeof edit_what, "%s", what);
    if (!dbg_edit_register(what, quiet, word)) return 0;
    if (!app_acquired.host_gui) { // no display: as if cancelled
        if (!quiet) con_printf("Cancelled.\n\n");
        return 1;
    }
    GuiWindowDesc d;
    d.title = cat_str(118, "Edit Register/Memory");
    if (ui_unattended_report(d.title.c_str(), "Cancel")) return 1;
    d.root.kind = GK_VGROUP;
    d.root.gid = GID_PROMPT_GROUP;
    d.root.children.push_back(field_node(GID_PROMPT_FIELD, cat_str(137, "Change"), edit_what, 13, true));
    d.root.children.push_back(field_node(GID_EDIT_FROM, cat_str(141, "from"), edit_from_text, 5, true));
    d.root.children.push_back(field_node(GID_EDIT_TO, cat_str(152, "to"), edit_to_text, 17, false));
    std::string text;
    const Decision decision = run_prompt(d, GID_EDIT_TO, edit_value_in_range, &text);
    if (decision == UNDECIDED) return 1; // the window was not built
    std::snprintf(edit_to_text, sizeof edit_to_text, "%s", text.c_str());
    if (decision == ACCEPTED && edit_what[0]) {
        // Closing the window accepts without the range rule: a quiet edit
        // (a tool window's) says here why a value is refused.
        // The text as typed, not its copy cut to the field's width.
        edit_new_value = quiet ? edit_value_of(text)
                               : static_cast<i32>(dbg_parse_register_operand(
                                     text.c_str(), static_cast<u32>(edit_max), 0));
        dbg_edit_memory(quiet, word);
        gui_refresh_windows(0);
    } else if (!quiet) {
        con_printf("Cancelled.\n\n");
    }
    return 1;
}
