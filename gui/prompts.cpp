#include "gui/prompts.h"

#include "core/loader.h"
#include "core/mainloop.h"
#include "core/shutdown.h"
#include "core/ui_host.h"
#include "gui/dialogs.h"
#include "gui/requesters.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstdio>
#include <string>

int prompt_window = 0;

namespace {

enum Decision { UNDECIDED, ACCEPTED, CANCELLED };

Decision decide(const GuiEvent& e) {
    switch (e.type) {
    case GE_CLOSE:
        return ACCEPTED;
    case GE_GADGET:
        if (e.gid != GID_PROMPT_FIELD) return UNDECIDED;
        if (e.code == 13) return ACCEPTED;
        if (e.code == 69) return CANCELLED; // Esc inside the field
        if (e.code == 9) gui_activate_gadget(prompt_window, GID_PROMPT_FIELD);
        return UNDECIDED;
    case GE_RAWKEY:
        switch (e.code) {
        case 0x45:
            return CANCELLED;
        case 0x43:
        case 0x44:
            return ACCEPTED;
        case 0x42:
            gui_activate_gadget(prompt_window, GID_PROMPT_FIELD);
            return UNDECIDED;
        default:
            return UNDECIDED;
        }
    default:
        return UNDECIDED;
    }
}

} // namespace

int gui_choose_load_address() {
    if (prompt_window || !app_acquired.host_gui) return 0; // no display: as if cancelled
    GuiWindowDesc d;
    d.title = cat_str(1232, "Choose Load Address");
    if (ui_unattended_report(d.title.c_str(), "Cancel")) return 0;
    d.root.kind = GK_VGROUP;
    d.root.gid = GID_PROMPT_GROUP;
    GuiNode field;
    field.kind = GK_STRING;
    field.gid = GID_PROMPT_FIELD;
    field.label = cat_str(995, "Address:");
    field.text = load_address_text;
    field.max_chars = PROMPT_FIELD_CHARS;
    field.min_w = PROMPT_FIELD_CHARS;
    d.root.children.push_back(field);

    // Always modal: the answer is awaited here (a command of the port never gets this far).
    gui_modal_begin();
    prompt_window = gui_window_open(d);
    if (!prompt_window) {
        gui_dialog_abandon(true);
        return 0;
    }
    gui_activate_gadget(prompt_window, GID_PROMPT_FIELD);
    // A window gone without a word is cancelled.
    Decision decision = UNDECIDED;
    const auto handle = [&decision](const GuiEvent& e) {
        decision = decide(e);
        if (decision == ACCEPTED) {
            const std::string text = gui_get_text(prompt_window, GID_PROMPT_FIELD);
            std::snprintf(load_address_text, sizeof load_address_text, "%.*s", PROMPT_FIELD_CHARS,
                          text.c_str());
        }
        return decision != UNDECIDED;
    };
    gui_dialog_run(true, prompt_window, handle, [] { prompt_window = 0; });
    return decision == ACCEPTED;
}
