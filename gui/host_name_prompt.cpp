#include "gui/host_name_prompt.h"

#include "core/session.h"
#include "core/ui_host.h"
#include "gui/prompts.h"
#include "platform/catalog.h"

#include <cstdio>
#include <string>

bool gui_enter_hostname(char* host, int size) {
    if (size < 1 || prompt_window || !app_acquired.host_gui) return false;
    GuiWindowDesc d;
    d.title = cat_str(120, "Enter Hostname");
    if (ui_unattended_report(d.title.c_str(), "Cancel")) return false;
    d.root.kind = GK_VGROUP;
    d.root.gid = GID_HOST_GROUP;
    GuiNode field = gui_prompt_field(GID_HOST_FIELD, "", host, size - 1, false);
    field.min_w = 16;
    d.root.children.push_back(field);
    std::string text;
    if (gui_run_prompt(d, GID_HOST_FIELD, nullptr, &text) != PROMPT_ACCEPTED) return false;
    std::snprintf(host, static_cast<std::size_t>(size), "%.*s", size - 1, text.c_str());
    return true;
}
