#include "gui/tip_of_the_day.h"
#include "gui/main_window.h"

#include "core/serial.h"
#include "core/settings_vars.h"
#include "gui/dialog_parts.h"
#include "gui/dialogs.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <cstdio>
#include <vector>

int tip_window = 0;

namespace {

constexpr int RAW_S = 0x21;
constexpr int IMAGE_OK = 37;
constexpr const char* TIPS_FILE = "PROGDIR:tips.txt";
constexpr std::size_t TIPS_FILE_MAX = 64 * 1024;

const int tip_catalog[TIPS] = {969, 937, 938, 939, 940, 941, 942, 943,  944,  945, 946, 947, 1367,
                               948, 949, 950, 951, 952, 968, 1380, 957, 958, 959, 960, 961, 1290};

std::vector<std::string> texts;
bool texts_read = false;
// The tips shown in turn: those the file has, or all of them when it has
// none, each then saying so.
int tip_count = TIPS;

// The file's tips, one a line; blank lines hold none and are passed over (a
// missing or short file leaves the rest empty).
void read_texts() {
    if (texts_read) return;
    texts_read = true;
    texts.assign(TIPS, "");
    tip_count = TIPS; // a file read before counts no more
    std::string data;
    if (!file_read_whole(path_to_host(TIPS_FILE), &data, TIPS_FILE_MAX)) return;
    int count = 0;
    for (std::size_t at = 0; count < TIPS && at < data.size();) {
        std::size_t end = data.find('\n', at);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        texts[static_cast<std::size_t>(count++)] = line;
    }
    tip_count = count > 0 ? count : TIPS;
}

// Shows tip `next_tip` (in the window when it is open) and moves on to the next.
std::string take_tip() {
    read_texts();
    if (next_tip < 0 || next_tip >= tip_count) next_tip = 0;
    std::string text = tip_format(next_tip);
    next_tip = next_tip == tip_count - 1 ? 0 : next_tip + 1;
    return text;
}

GuiWindowDesc describe(const std::string& tip) {
    GuiWindowDesc d;
    d.title = cat_str(933, "Tip of the Day");
    d.over = main_window;
    d.size_gadget = true;
    d.root = gui_group(GK_VGROUP);
    GuiNode text = gui_node(GK_TEXTEDIT, GID_TIP_TEXT);
    text.readonly = true;
    text.text = tip;
    text.min_w = 256;
    text.min_h = 192;
    text.weight = 1;
    GuiNode show = gui_node(GK_CHECKBOX, GID_TIP_SHOW);
    show.text = cat_str(932, "_Show tips at startup?");
    show.value = show_tips != 0;
    GuiNode buttons = gui_group(GK_HGROUP);
    buttons.children = {gui_text_button(GID_TIP_OK, 765, "_OK", IMAGE_OK),
                        gui_text_button(GID_TIP_NEXT, 936, "_Next tip")};
    d.root.children = {text, show, buttons};
    return d;
}

bool handle(const GuiEvent& e) {
    switch (e.type) {
    case GE_CLOSE:
        return true;
    case GE_RAWKEY:
        if (e.code == RAW_S) {
            show_tips = show_tips ? 0 : 1;
            gui_set_value(tip_window, GID_TIP_SHOW, show_tips != 0);
            return false;
        }
        // O, Return, Enter and Esc close the window; R and C mean nothing here.
        return gui_dialog_key(e.code, true) == DialogKey::OK ||
               gui_dialog_key(e.code, false) == DialogKey::CANCEL;
    case GE_GADGET:
        switch (e.gid) {
        case GID_TIP_OK:
            return true;
        case GID_TIP_NEXT:
            gui_set_text(tip_window, GID_TIP_TEXT, take_tip().c_str());
            return false;
        case GID_TIP_SHOW:
            show_tips = e.code ? 1 : 0;
            return false;
        default:
            return false;
        }
    default:
        return false;
    }
}

} // namespace

std::string tip_format(int index) {
    if (index < 0 || index >= TIPS) index = 0;
    read_texts();
    const std::string& english = texts[static_cast<std::size_t>(index)];
    const char* text = english.empty() ? "" : cat_str(tip_catalog[index], english.c_str());
    if (!text[0]) text = "(The tips could not be read from tips.txt in the program's home.)";
    char out[TIP_TEXT_SIZE];
    std::snprintf(out, sizeof out, "#%d. %s", index + 1, text);
    return out;
}

void tip_forget_texts() {
    texts.clear();
    texts_read = false;
}

void gui_tip_of_the_day() {
    if (tip_window && gui_window_is_open(tip_window)) return;
    // Shown or not, the tip counts as seen: the next one comes next time.
    const std::string tip = take_tip();
    // At start-up the port already answers and nobody need be at the screen:
    // the window waits in the event pass while the program runs on.
    tip_window = gui_window_open(describe(tip));
    if (!tip_window) {
        gui_dialog_abandon(false);
        return;
    }
    gui_dialog_run(false, tip_window, handle, [] { tip_window = 0; });
}
