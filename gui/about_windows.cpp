#include "core/version.h"
#include "gui/about_windows.h"

#include "app/mainloop.h"
#include "app/rexx_host.h"
#include "app/shutdown.h"
#include "core/message_date.h"
#include "core/settings_vars.h"
#include "app/startup.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

int about_window = 0;

const AboutClass about_classes[ABOUT_CLASSES] = {
    {"arexx.class", 180},           {"bevel.image", 181},        {"bitmap.image", 182},
    {"boingball.image", 180},       {"button.gadget", 183},      {"checkbox.gadget", 184},
    {"chooser.gadget", 185},        {"colorwheel.gadget", 187},  {"fuelgauge.gadget", 188},
    {"gradientslider.gadget", 189}, {"integer.gadget", 190},     {"label.image", 191},
    {"layout.gadget", 192},         {"led.image", 193},          {"listbrowser.gadget", 194},
    {"palette.gadget", 195},        {"radiobutton.gadget", 196}, {"requester.class", 180},
    {"scroller.gadget", 197},       {"slider.gadget", 198},      {"space.gadget", 199},
    {"speedbar.gadget", 200},       {"string.gadget", 201},      {"texteditor.gadget", 202},
    {"window.class", 180},
};

namespace {

constexpr const char* PRODUCT = program_name_version;
constexpr int CLASS_PICTURE_GID = 358;

GuiNode text_node(GuiKind kind, const std::string& text, int gid = 0) {
    GuiNode n;
    n.kind = kind;
    n.text = text;
    n.gid = gid;
    return n;
}

GuiNode pair(const char* label, GuiNode value) {
    GuiNode row;
    row.kind = GK_HGROUP;
    GuiNode l = text_node(GK_LABEL, label);
    l.min_w = 20;
    value.weight = 1;
    row.children = {l, value};
    return row;
}

std::string host_system() {
    struct utsname u {};
    if (uname(&u) != 0) return "?";
    return std::string(u.sysname) + " " + u.release + " (" + u.machine + ")";
}

// The product names no address for its releases page, web site or e-mail:
// each link is shown ghosted, saying so, rather than leading somewhere else.
GuiNode link(int gid, int picture, const char* label, const char* what) {
    GuiNode b = text_node(GK_BUTTON, std::string(" ") + label + " (no address known)", gid);
    b.image = gui_image(picture);
    b.disabled = true;
    b.hint = std::string("No address is known for the ") + what + ".";
    return b;
}

bool about_handle(const GuiEvent& e) {
    switch (e.type) {
    case GE_CLOSE:
        return true;
    case GE_RAWKEY:
        return e.code < RAWKEY_UP && e.code != 0x7A && e.code != 0x7B;
    case GE_GADGET:
        switch (e.gid) {
        case GID_ABOUT_PRIORITY:
            task_priority =
                static_cast<std::int8_t>(gui_get_value(about_window, GID_ABOUT_PRIORITY) & 0xFF);
            app_apply_task_priority();
            break;
        case GID_ABOUT_CLIPUNIT: {
            const int unit = gui_get_value(about_window, GID_ABOUT_CLIPUNIT);
            if (unit >= 0 && unit <= 255) clip_unit = static_cast<u32>(unit);
            break;
        }
        default:
            break;
        }
        return false;
    default:
        return false;
    }
}

void show_class(int row) {
    gui_set_value(about_window, GID_ABOUT_CLASSES, row);
    if (row >= 0)
        gui_set_image(about_window, CLASS_PICTURE_GID, gui_image(about_classes[row].picture));
}

bool classes_handle(const GuiEvent& e) {
    switch (e.type) {
    case GE_CLOSE:
        return true;
    case GE_GADGET:
        if (e.gid == GID_ABOUT_CLASSES && e.code >= 0 && e.code < ABOUT_CLASSES) show_class(e.code);
        return false;
    case GE_WHEEL:
    case GE_RAWKEY: {
        if (e.type == GE_RAWKEY && e.code >= RAWKEY_UP) return false;
        const int key = e.type == GE_WHEEL ? (e.code < 0 ? 0x7A : 0x7B) : e.code;
        const int selected = gui_get_value(about_window, GID_ABOUT_CLASSES);
        const int next = about_class_key(selected, key, e.qualifier);
        if (next == -2) return true;
        if (next != selected) show_class(next);
        return false;
    }
    default:
        return false;
    }
}

void about_closed() {
    about_window = 0;
}

} // namespace

void app_apply_task_priority() {
    // The host's niceness runs the other way: more priority is less niceness.
    int nice = task_priority_at_start - task_priority;
    if (nice < -20) nice = -20;
    if (nice > 19) nice = 19;
    setpriority(PRIO_PROCESS, 0, nice); // may be refused without privileges
}

std::string about_build_date(const char* build_date) {
    std::tm t{};
    const char* end = strptime(build_date, "%b %d %Y", &t);
    if (!end || *end) return "";
    t.tm_isdst = -1;
    if (std::mktime(&t) == -1) return "";
    char weekday[32];
    if (!std::strftime(weekday, sizeof weekday, "%A", &t)) return "";
    return std::string(weekday) + " " + format_date_at(t);
}

void gui_open_about_window() {
    if (about_window) {
        gui_window_show_again(about_window);
        return;
    }
    if (!app_acquired.host_gui) return;
    app_apply_task_priority();

    GuiWindowDesc d;
    d.title = cat_str(115, "About Brindlemox");
    d.keys_to_window = true; // any key closes it, so no field takes the keys first
    d.root.kind = GK_VGROUP;
    GuiNode header;
    header.kind = GK_HGROUP;
    GuiNode picture = text_node(GK_BUTTON, "", GID_ABOUT_PICTURE);
    picture.image = gui_image(94);
    picture.disabled = true; // it leads to the web site
    picture.hint = "No address is known for the web site.";
    GuiNode left, right;
    left.kind = right.kind = GK_IMAGE;
    left.image = gui_image(93);
    right.image = gui_image(95);
    GuiNode heading;
    heading.kind = GK_VGROUP;
    heading.weight = 1;
    GuiNode product = text_node(GK_LABEL, PRODUCT);
    product.bold = true;
    char port_line[160];
    std::snprintf(port_line, sizeof port_line, cat_str(468, "%s port compiled by %s"), "Linux",
                  "the Brindlemox developers");
    heading.children = {
        product, text_node(GK_LABEL, about_build_date(__DATE__)), text_node(GK_LABEL, " "),
        text_node(GK_LABEL, cat_str(356, "An emulator of Signetics-based machines")),
        text_node(GK_LABEL, "Free software, with no warranty of any kind."),
        text_node(GK_LABEL, cat_str(325, "English text by the Brindlemox developers")),
        text_node(GK_LABEL, port_line), text_node(GK_LABEL, " ")};
    header.children = {left, picture, heading, right};
    d.root.children.push_back(header);

    GuiNode facts;
    facts.kind = GK_VGROUP;
    facts.framed = true;
    facts.children.push_back(pair(cat_str(454, "Compiled for:"), text_node(GK_LABEL, "Linux")));
    facts.children.push_back(
        pair(cat_str(512, "Compiled with:"), text_node(GK_LABEL, "GCC " __VERSION__)));
    facts.children.push_back(pair(cat_str(445, "Running on:"), text_node(GK_LABEL, host_system())));
    facts.children.push_back(
        pair(cat_str(145, "ARexx port name:"),
             text_node(GK_LABEL, rexx_host_name[0] ? rexx_host_name : cat_str(142, "None"))));
    GuiNode clip = text_node(GK_INTEGER, "", GID_ABOUT_CLIPUNIT);
    clip.min = 0;
    clip.max = 255;
    clip.value = static_cast<int>(clip_unit);
    clip.min_w = 5;
    facts.children.push_back(pair(cat_str(715, "Clipboard unit:"), clip));
    GuiNode priority = text_node(GK_INTEGER, "", GID_ABOUT_PRIORITY);
    priority.min = -128;
    priority.max = task_priority > 5 ? task_priority : 5;
    priority.value = task_priority;
    priority.min_w = 5;
    facts.children.push_back(pair(cat_str(440, "Priority:"), priority));
    facts.children.push_back(
        pair(cat_str(369, "Process number:"), text_node(GK_LABEL, std::to_string(getpid()))));
    d.root.children.push_back(facts);
    d.root.children.push_back(link(GID_ABOUT_RELEASES, 513, "Releases page", "releases page"));
    d.root.children.push_back(link(GID_ABOUT_WEB, 513, "Web site", "web site"));
    d.root.children.push_back(link(GID_ABOUT_MAIL, 514, "E-mail", "e-mail address"));

    const bool modal = gui_dialog_begin();
    about_window = gui_window_open(d);
    if (!about_window) {
        gui_dialog_abandon(modal);
        return;
    }
    gui_dialog_run(modal, about_window, about_handle, about_closed);
}

// ---- The interface classes ---------------------------------------------------------

std::string about_class_version(int row) {
    if (row < 0 || row >= ABOUT_CLASSES) return "";
    // No boing ball is drawn, and the multi-line text view is the toolkit's own.
    if (row == 3 || row == 23) return "  -";
    int version = 0, revision = 0;
    gui_host_toolkit_version(&version, &revision);
    if (version <= 0) return "  -";
    char text[12];
    std::snprintf(text, sizeof text, "%2d.%d", version % 100, revision % 1000);
    return text;
}

int about_class_key(int selected, int key, u32 qualifier) {
    const bool shifted = qualifier & QUAL_SHIFT;
    if (key == 0x4C || key == 0x7A) {
        if (selected == 0) return 0;
        if (selected < 0 || shifted) return 0;
        return selected - 1;
    }
    if (key == 0x4D || key == 0x7B) {
        if (selected == ABOUT_CLASSES - 1) return selected;
        if (selected < 0 || shifted) return ABOUT_CLASSES - 1;
        return selected + 1;
    }
    return qualifier & 0x3B ? selected : -2;
}

void gui_open_about_reaction_window() {
    if (about_window) {
        gui_window_show_again(about_window);
        return;
    }
    if (!app_acquired.host_gui) return;
    GuiWindowDesc d;
    d.title = cat_str(757, "About ReAction");
    d.root.kind = GK_VGROUP;
    d.root.children.push_back(text_node(GK_LABEL, cat_str(758, "ReAction GUI")));
    GuiNode body;
    body.kind = GK_HGROUP;
    GuiNode list;
    list.kind = GK_LIST;
    list.gid = GID_ABOUT_CLASSES;
    list.value = -1;
    list.weight = 1;
    list.wheel_to_window = true; // the wheel steps the selection
    list.visible = 12;
    list.columns = {cat_str(1003, "Class"), cat_str(1004, "Version")};
    for (int r = 0; r < ABOUT_CLASSES; r++) {
        GuiListRow row;
        row.cells = {{about_classes[r].name, 0, false}, {about_class_version(r), 0, true}};
        list.rows.push_back(row);
    }
    GuiNode picture;
    picture.kind = GK_IMAGE;
    picture.gid = CLASS_PICTURE_GID;
    picture.image = gui_image(179);
    body.children = {list, picture};
    d.root.children.push_back(body);

    const bool modal = gui_dialog_begin();
    gui_load_images_progress(179, 202, -1, -1); // loads only what is not loaded yet
    about_window = gui_window_open(d);
    if (!about_window) {
        gui_dialog_abandon(modal);
        return;
    }
    gui_dialog_run(modal, about_window, classes_handle, about_closed);
}
