// The window layer kept in memory: what the Qt layer would draw is recorded,
// and events come only from gui_headless_post.
#include "platform/headless/gui_headless.h"

#include "platform/clock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <sys/stat.h>

namespace {

struct Gadget {
    GuiKind kind = GK_SPACE;
    std::string text;
    int value = 0;
    int min = 0, max = 0, visible = 0;
    bool disabled = false;
    bool selected = false;
    bool text_selected = false; // an entry's whole text, replaced by what is typed
    int image = 0;
    std::string hint;
    int background = -1;
    std::vector<std::string> items;
    std::vector<GuiBarButton> bar;
    std::vector<std::string> columns;
    std::vector<GuiListRow> rows;
    int top = 0; // lists: first row in view
    GuiRect rect;
    // display
    const std::uint8_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
    const std::uint32_t* table = nullptr;
    std::vector<std::uint32_t> own_table; // a table given by gui_display_set_colours
    int colours = 0;
    // The pens and colours as last refreshed, turned into colours when read
    // (a refresh after every traced instruction stays a copy).
    std::vector<std::uint8_t> shown_pens;
    std::vector<std::uint32_t> shown_table;
};

struct Window {
    GuiWindowDesc desc;
    std::string title;
    std::vector<GuiMenuItem> menus;
    std::map<int, Gadget> gadgets;
    std::deque<GuiEvent> queue;
    int pointer = 0;
    int width = 0, height = 0;
    bool minimised = false;
    int to_back = 0;
    int focus = -1; // the gadget with the keyboard
};

struct Image {
    std::string path;
    int width = 0, height = 0;
};

std::map<int, Window> windows;
std::map<int, Image> images;
int next_window = 1;
int next_image = 1;
long setter_calls = 0;
std::deque<int> answers;
std::vector<std::string> requesters;
std::vector<std::string> notices;
std::deque<GuiFileAnswer> file_answers;
std::vector<std::string> file_requests;
Window last_closed;
bool fail_next_open = false;
bool have_last_closed = false;
int beeps = 0;
void (*wait_hook)() = nullptr;
void (*requester_hook)() = nullptr;
bool (*break_poll)() = nullptr;
int wait_events_count = 0;
int active_window = 0;
int pointer_window = 0, pointer_x = 0, pointer_y = 0; // the host pointer
int wait_until_count = 0;

Window* find(int win) {
    auto it = windows.find(win);
    return it == windows.end() ? nullptr : &it->second;
}

Gadget* gadget(int win, int gid) {
    Window* w = find(win);
    if (!w) return nullptr;
    auto it = w->gadgets.find(gid);
    return it == w->gadgets.end() ? nullptr : &it->second;
}

// Lays the tree out the simple way (groups stack their children) so that
// gadget rectangles are plausible; returns the node's size.
void layout(Window& w, const GuiNode& n, int x, int y, int* out_w, int* out_h) {
    int cw = n.min_w, ch = n.min_h;
    if (n.kind == GK_VGROUP || n.kind == GK_HGROUP) {
        int px = x, py = y, sw = 0, sh = 0;
        for (const GuiNode& c : n.children) {
            int ew = 0, eh = 0;
            layout(w, c, px, py, &ew, &eh);
            if (n.kind == GK_VGROUP) {
                py += eh;
                sh += eh;
                if (ew > sw) sw = ew;
            } else {
                px += ew;
                sw += ew;
                if (eh > sh) sh = eh;
            }
        }
        if (sw > cw) cw = sw;
        if (sh > ch) ch = sh;
    } else {
        if (cw == 0) cw = 8 * static_cast<int>(n.text.size() + 2);
        if (ch == 0) ch = 20;
    }
    if (n.gid) {
        Gadget& g = w.gadgets[n.gid];
        g.rect = GuiRect{x, y, x + cw - 1, y + ch - 1};
    }
    *out_w = cw;
    *out_h = ch;
}

void record(Window& w, const GuiNode& n) {
    if (n.gid) {
        Gadget& g = w.gadgets[n.gid];
        g.kind = n.kind;
        g.text = n.text;
        g.value = n.value;
        g.min = n.min;
        g.max = n.max;
        g.visible = n.visible;
        g.disabled = n.disabled;
        g.selected = n.selected;
        g.image = n.image;
        g.hint = n.hint;
        g.background = n.background;
        g.items = n.items;
        g.bar = n.bar;
        g.columns = n.columns;
        g.rows = n.rows;
        g.top = 0;
    }
    for (const GuiNode& c : n.children)
        record(w, c);
}

GuiMenuItem* find_menu(std::vector<GuiMenuItem>& items, int id) {
    for (GuiMenuItem& m : items) {
        if (m.id == id) return &m;
        if (GuiMenuItem* s = find_menu(m.sub, id)) return s;
    }
    return nullptr;
}

// The highest top a scroller can have: the last lines fill its view.
int scroller_top_max(const Gadget& g) {
    return g.max - g.visible > 0 ? g.max - g.visible : 0;
}

// Keeps a ranged gadget's value inside its range, as the drawn gadgets do.
int clamped(const Gadget& g, int value) {
    int lo = g.min, hi = g.max;
    switch (g.kind) {
    case GK_SCROLLER:
        lo = 0;
        hi = scroller_top_max(g);
        break;
    case GK_RADIO:
        lo = 0;
        hi = static_cast<int>(g.items.size()) - 1;
        break;
    case GK_SLIDER:
    case GK_FUELGAUGE:
    case GK_INTEGER:
        break;
    default:
        return value;
    }
    if (value > hi) value = hi;
    if (value < lo) value = lo;
    return value;
}

// Rows of a list in view at once (its `visible`, else ten).
int list_page(const Gadget& g) {
    return g.visible > 0 ? g.visible : 10;
}
int list_length(const Gadget& g) {
    return static_cast<int>(g.columns.empty() ? g.items.size() : g.rows.size());
}
void list_set_top(Gadget& g, int top) {
    const int last = list_length(g) - list_page(g);
    if (top > last) top = last;
    if (top < 0) top = 0;
    g.top = top;
}

} // namespace

// --- host -------------------------------------------------------------------
bool gui_host_init(int, char**) {
    return true;
}
void gui_host_shutdown() {
    windows.clear();
}
// Help and the script console.
namespace {
void (*help_handler)(const char*) = nullptr;
std::vector<std::string> help_shown;
bool help_open = false;
std::deque<std::string> help_keys; // nodes of Help keys pressed since the last pump
std::string console_text;
bool console_open = false, console_running = false, console_stop = false;
std::string message_console_text;
bool message_console_open = false;
} // namespace

void gui_host_pump() {
    while (!help_keys.empty()) {
        const std::string node = help_keys.front();
        help_keys.pop_front();
        if (help_handler) help_handler(node.c_str());
    }
}
bool gui_help_show(const char* file, const char* node) {
    struct stat st;
    if (!file || ::stat(file, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    help_shown.push_back(std::string(file) + "#" + (node ? node : ""));
    help_open = true;
    return true;
}
void gui_help_close() {
    help_open = false;
}
bool gui_help_is_open() {
    return help_open;
}
void gui_host_set_help_handler(void (*show)(const char* node)) {
    help_handler = show;
}
const std::vector<std::string>& gui_headless_help_shown() {
    return help_shown;
}
void gui_headless_press_help(int win) {
    const GuiWindowDesc* d = gui_headless_desc(win);
    if (!d) return;
    if (!d->help_node.empty()) {
        help_keys.push_back(d->help_node);
        return;
    }
    GuiEvent e;
    e.type = GE_RAWKEY;
    e.code = 0x5F;
    gui_headless_post(win, e);
}
void gui_console_write(const char* text) {
    if (!text || !*text) return;
    console_open = true;
    console_text += text;
    std::fputs(text, stdout);
    std::fflush(stdout);
}
void gui_console_set_running(bool running) {
    console_running = running;
}
bool gui_console_take_stop() {
    const bool stop = console_stop;
    console_stop = false;
    return stop;
}
void gui_console_close() {
    console_open = false;
    console_running = false;
}
void gui_message_console_write(const char* text, bool show) {
    if (!text || !*text) return;
    message_console_text += text;
    if (show) message_console_open = true;
}
bool gui_message_console_is_open() {
    return message_console_open;
}
void gui_message_console_close() {
    message_console_open = false;
}
void gui_message_console_clear() {
    message_console_text.clear();
}
const std::string& gui_headless_message_console_text() {
    return message_console_text;
}
const std::string& gui_headless_console_text() {
    return console_text;
}
bool gui_headless_console_open() {
    return console_open;
}
bool gui_headless_console_running() {
    return console_running;
}
void gui_headless_console_stop() {
    if (console_open && console_running) console_stop = true;
}
void gui_host_wait_until(std::uint32_t due) {
    ++wait_until_count;
    clock_wait_until(due);
}
void gui_host_wait_events(int) {
    ++wait_events_count;
    if (wait_hook) wait_hook();
}
void gui_host_beep() {
    ++beeps;
}
bool gui_host_can_iconify() {
    return true;
}
int gui_host_requester(const char* title, const char* body, const char* buttons, int, int, int) {
    requesters.push_back(std::string(title) + "|" + body + "|" + buttons);
    // The time the user takes to answer; a break meanwhile closes the
    // requester before the user's answer is taken.
    if (requester_hook) requester_hook();
    if (break_poll && break_poll()) return 0;
    if (answers.empty()) return 0;
    int a = answers.front();
    answers.pop_front();
    return a;
}
void gui_host_notice(const char* title, const char* body, const char* button, int, int) {
    notices.push_back(std::string(title) + "|" + body + "|" + button);
}
// The headless requester asks nothing: the answers given are taken as they stand.
int gui_host_file_request(const char* title, const char* pattern, FileRequestMode mode,
                          const char* drawer, const char* file, std::string* chosen_drawer,
                          std::string* chosen_file,
                          const SaveChecks&) {
    const char* kind = mode == FileRequestMode::save     ? "save"
                       : mode == FileRequestMode::lookup ? "lookup"
                                                         : "load";
    file_requests.push_back(std::string(title) + "|" + pattern + "|" + kind + "|" + drawer + "|" +
                            file);
    if (requester_hook) requester_hook();
    if (break_poll && break_poll()) return 1;
    if (file_answers.empty()) return 1;
    GuiFileAnswer a = file_answers.front();
    file_answers.pop_front();
    if (a.result == 0) {
        *chosen_drawer = a.drawer;
        *chosen_file = a.file;
    }
    return a.result;
}
int gui_host_drawer_request(const char* title, const char* drawer, std::string* chosen) {
    file_requests.push_back(std::string(title) + "|drawers|" + drawer);
    if (requester_hook) requester_hook();
    if (break_poll && break_poll()) return 1;
    if (file_answers.empty()) return 1;
    GuiFileAnswer a = file_answers.front();
    file_answers.pop_front();
    if (a.result == 0) *chosen = a.drawer;
    return a.result;
}
void gui_host_set_break_poll(bool (*pending)()) {
    break_poll = pending;
}
void gui_host_set_display_lost(void (*)()) {} // a display kept in memory never goes away
void gui_host_modal_over(int) {} // windows kept in memory never hide one another
static int screen_width = 1280, screen_height = 1024;
void gui_host_screen_size(int* width, int* height) {
    *width = screen_width;
    *height = screen_height;
}
void gui_headless_set_screen_size(int width, int height) {
    screen_width = width;
    screen_height = height;
}

static int toolkit_version = 0, toolkit_revision = 0;
static std::vector<std::string> opened_urls;
static bool url_handler = true;
bool gui_host_url_handler() {
    return url_handler;
}
void gui_headless_set_url_handler(bool present) {
    url_handler = present;
}
void gui_host_toolkit_version(int* version, int* revision) {
    *version = toolkit_version;
    *revision = toolkit_revision;
}
int gui_host_double_click_ms() {
    return 500;
}

bool gui_host_open_url(const char* address) {
    if (!url_handler) return false; // as a desktop without a browser
    opened_urls.push_back(address ? address : "");
    return true;
}
void gui_headless_set_toolkit_version(int version, int revision) {
    toolkit_version = version;
    toolkit_revision = revision;
}
const std::vector<std::string>& gui_headless_opened_urls() {
    return opened_urls;
}

// --- images -----------------------------------------------------------------
int gui_image_load(const char* path, int width, int height, bool* missing) {
    struct stat st;
    bool there = ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
    if (missing) *missing = !there;
    int h = next_image++;
    images[h] = Image{path, width, height};
    return h;
}
void gui_image_free(int image) {
    images.erase(image);
}
bool gui_image_pixels(int, std::vector<std::uint32_t>*, int*, int*) {
    return false; // pictures are not decoded without a display
}
void gui_image_size(int image, int* width, int* height) {
    auto it = images.find(image);
    *width = it == images.end() ? 0 : it->second.width;
    *height = it == images.end() ? 0 : it->second.height;
}

// --- windows ----------------------------------------------------------------
// The first gadget of the tree that takes typed text, -1 none.
static int first_entry(const GuiNode& n) {
    if ((n.kind == GK_STRING || n.kind == GK_INTEGER) && !n.readonly && !n.disabled && n.gid)
        return n.gid;
    for (const GuiNode& c : n.children)
        if (int gid = first_entry(c); gid >= 0) return gid;
    return -1;
}

int gui_window_open(const GuiWindowDesc& desc) {
    if (fail_next_open) {
        fail_next_open = false;
        return 0;
    }
    int h = next_window++;
    Window& w = windows[h];
    w.desc = desc;
    w.title = desc.title;
    w.minimised = desc.minimised;
    record(w, desc.root);
    layout(w, desc.root, 0, 0, &w.width, &w.height);
    for (const auto& [gid, g] : w.gadgets)
        if (g.kind == GK_DISPLAY) w.focus = gid;
    // As on the desktop, a window without a display opens with the keyboard
    // in its first entry, unless it keeps the keyboard for itself.
    if (w.focus < 0 && !desc.keys_to_window) w.focus = first_entry(desc.root);
    return h;
}
void gui_window_close(int win) {
    auto it = windows.find(win);
    if (it == windows.end()) return;
    last_closed = std::move(it->second);
    have_last_closed = true;
    windows.erase(it);
}
bool gui_window_is_open(int win) {
    return find(win) != nullptr;
}
void gui_window_set_title(int win, const char* title) {
    if (Window* w = find(win)) w->title = title;
}
void gui_window_set_menus(int win, const std::vector<GuiMenuItem>& strip) {
    if (Window* w = find(win)) w->menus = strip;
}
void gui_menu_set_state(int win, int id, bool enabled, bool checked) {
    Window* w = find(win);
    if (!w) return;
    if (GuiMenuItem* m = find_menu(w->menus, id)) {
        m->disabled = !enabled;
        m->checked = checked;
    }
}
void gui_menu_set_enabled(int win, int id, bool enabled) {
    Window* w = find(win);
    if (!w) return;
    if (GuiMenuItem* m = find_menu(w->menus, id)) m->disabled = !enabled;
}
void gui_window_activate(int win) {
    if (Window* w = find(win); w && !w->minimised) active_window = win;
}
void gui_window_show_again(int win) {
    if (Window* w = find(win)) w->minimised = false;
    gui_window_activate(win);
}
void gui_window_minimise(int win, bool minimised) {
    if (Window* w = find(win)) w->minimised = minimised;
}
bool gui_window_minimised(int win) {
    Window* w = find(win);
    return w && w->minimised;
}
int gui_host_active_window() {
    return find(active_window) ? active_window : 0;
}
void gui_window_position(int win, int* left, int* top, int* width, int* height) {
    Window* w = find(win);
    if (left) *left = w ? w->desc.left : 0;
    if (top) *top = w ? w->desc.top : 0;
    if (width) *width = w ? w->width : 0;
    if (height) *height = w ? w->height : 0;
}
void gui_window_outer_size(int win, int* width, int* height) {
    gui_window_position(win, nullptr, nullptr, width, height);
}
void gui_window_move(int win, int left, int top) {
    if (Window* w = find(win)) {
        if (left >= 0) w->desc.left = left;
        if (top >= 0) w->desc.top = top;
    }
}
void gui_window_to_back(int win) {
    if (Window* w = find(win)) ++w->to_back;
}
int gui_headless_to_back_count(int win) {
    Window* w = find(win);
    return w ? w->to_back : 0;
}
void gui_window_resize(int win, int width, int height) {
    if (Window* w = find(win)) {
        w->width = width;
        w->height = height;
    }
}
void gui_window_set_pointer(int win, int kind) {
    if (Window* w = find(win)) w->pointer = kind;
}
void gui_window_confine_pointer(int win, const GuiRect& r) {
    Window* w = find(win);
    if (!w || w->minimised || active_window != win || r.right < r.left || r.bottom < r.top) return;
    if (pointer_window != win) return;
    pointer_x = std::clamp(pointer_x, r.left, r.right);
    pointer_y = std::clamp(pointer_y, r.top, r.bottom);
}
bool gui_window_next_event(int win, GuiEvent* event) {
    Window* w = find(win);
    if (!w || w->queue.empty()) return false;
    *event = w->queue.front();
    w->queue.pop_front();
    return true;
}
void gui_window_flush_events(int win) {
    if (Window* w = find(win)) w->queue.clear();
}

// --- gadgets ----------------------------------------------------------------
void gui_set_text(int win, int gid, const char* text) {
    ++setter_calls;
    if (Gadget* g = gadget(win, gid)) {
        g->text = text;
        g->text_selected = false;
    }
}
std::string gui_get_text(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g ? g->text : std::string();
}
void gui_set_value(int win, int gid, int value) {
    ++setter_calls;
    Gadget* g = gadget(win, gid);
    if (!g) return;
    g->value = clamped(*g, value);
    if (g->kind == GK_LIST && value >= 0) { // scrolled into view
        if (value < g->top) list_set_top(*g, value);
        if (value >= g->top + list_page(*g)) list_set_top(*g, value - list_page(*g) + 1);
    }
}
int gui_get_value(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g ? g->value : 0;
}
void gui_set_disabled(int win, int gid, bool disabled) {
    ++setter_calls;
    if (Gadget* g = gadget(win, gid)) g->disabled = disabled;
}
bool gui_get_disabled(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g && g->disabled;
}
void gui_set_selected(int win, int gid, bool selected) {
    ++setter_calls;
    if (Gadget* g = gadget(win, gid)) g->selected = selected;
}
bool gui_get_selected(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g && g->selected;
}
void gui_set_items(int win, int gid, const std::vector<std::string>& items) {
    if (Gadget* g = gadget(win, gid)) g->items = items;
}
void gui_set_range(int win, int gid, int min, int max, int visible) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    g->min = min;
    g->max = max < min ? min : max;
    g->visible = visible < 0 ? 0 : visible;
    g->value = clamped(*g, g->value);
}
void gui_set_image(int win, int gid, int image) {
    ++setter_calls;
    if (Gadget* g = gadget(win, gid)) g->image = image;
}
// Nothing is drawn here: every text is whole in the field.
void gui_show_whole_text(int, int, bool) {}
void gui_set_hint(int win, int gid, const char* text) {
    ++setter_calls;
    if (Gadget* g = gadget(win, gid)) g->hint = text;
}
void gui_set_background(int win, int gid, int rgb) {
    ++setter_calls;
    if (Gadget* g = gadget(win, gid)) g->background = rgb;
}
std::string gui_headless_hint(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g ? g->hint : std::string();
}
int gui_headless_background(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g ? g->background : -1;
}
long gui_headless_setter_calls() {
    return setter_calls;
}
int gui_headless_image(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g ? g->image : 0;
}
const std::vector<GuiBarButton>* gui_headless_bar(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g && g->kind == GK_SPEEDBAR ? &g->bar : nullptr;
}
void gui_set_rows(int win, int gid, const std::vector<GuiListRow>& rows) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    g->rows = rows;
    g->value = -1;
    g->top = 0;
}
void gui_list_scroll(int win, int gid, int command) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    const int page = list_page(*g);
    switch (command) {
    case 1: list_set_top(*g, g->top - 1); break;
    case 2: list_set_top(*g, g->top + 1); break;
    case 3: list_set_top(*g, g->top - page); break;
    case 4: list_set_top(*g, g->top + page); break;
    case 5: list_set_top(*g, 0); break;
    case 6: list_set_top(*g, list_length(*g)); break;
    default: break;
    }
}
int gui_list_top(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g ? g->top : 0;
}
void gui_activate_gadget(int win, int gid) {
    if (gadget(win, gid)) windows[win].focus = gid;
}
int gui_focused_gadget(int win) {
    const Window* w = find(win);
    return w && w->focus > 0 ? w->focus : 0;
}
void gui_select_text(int win, int gid) {
    Gadget* g = gadget(win, gid);
    if (g && g->kind == GK_STRING) g->text_selected = true;
}
int gui_headless_focus(int win) {
    Window* w = find(win);
    return w ? w->focus : -1;
}
void gui_headless_key(int win, int raw, char ch, bool up, std::uint16_t qualifier) {
    Window* w = find(win);
    if (!w) return;
    auto g = w->gadgets.find(w->focus);
    if (g != w->gadgets.end() && g->second.kind == GK_STRING) {
        if (up) return;
        // As an entry of the host's: Return, Enter, Tab and Esc end the edit
        // with their code; cursor up and down go to the window's owner.
        const int end = raw == 0x44 || raw == 0x43 ? 13 : raw == 0x42 ? 9 : raw == 0x45 ? 69 : -1;
        if (end >= 0 || raw == 0x4C || raw == 0x4D) {
            GuiEvent e;
            e.type = end >= 0 ? GE_GADGET : GE_EDITKEY;
            e.gid = w->focus;
            e.code = end >= 0 ? end : raw;
            e.qualifier = qualifier;
            w->queue.push_back(e);
            return;
        }
        if (g->second.text_selected) g->second.text.clear();
        g->second.text_selected = false;
        g->second.text += ch;
        GuiEvent e;
        e.type = GE_EDITED;
        e.gid = w->focus;
        w->queue.push_back(e);
        return;
    }
    if (g != w->gadgets.end() && g->second.kind == GK_INTEGER) {
        if (!up && ch >= '0' && ch <= '9') {
            g->second.value = g->second.value * 10 + (ch - '0');
            GuiEvent e;
            e.type = GE_GADGET;
            e.gid = w->focus;
            e.code = g->second.value;
            w->queue.push_back(e);
        }
        return; // the field takes every key
    }
    GuiEvent e;
    e.type = GE_RAWKEY;
    e.code = up ? raw + RAWKEY_UP : raw;
    e.qualifier = qualifier;
    w->queue.push_back(e);
}
void gui_bar_set(int win, int gid, int index, bool enabled, bool selected) {
    Gadget* g = gadget(win, gid);
    if (!g || index < 1 || index > static_cast<int>(g->bar.size())) return;
    g->bar[index - 1].disabled = !enabled;
    g->bar[index - 1].selected = selected;
}
bool gui_bar_selected(int win, int gid, int index) {
    Gadget* g = gadget(win, gid);
    return g && index >= 1 && index <= static_cast<int>(g->bar.size()) &&
           g->bar[index - 1].selected;
}
void gui_bar_set_face(int win, int gid, int index, int image, const std::string& hint) {
    Gadget* g = gadget(win, gid);
    if (!g || index < 1 || index > static_cast<int>(g->bar.size())) return;
    g->bar[index - 1].image = image;
    g->bar[index - 1].hint = hint;
}
bool gui_bar_enabled(int win, int gid, int index) {
    Gadget* g = gadget(win, gid);
    return g && index >= 1 && index <= static_cast<int>(g->bar.size()) &&
           !g->bar[index - 1].disabled;
}
GuiRect gui_gadget_rect(int win, int gid) {
    Gadget* g = gadget(win, gid);
    if (!g) return GuiRect{};
    if (g->kind != GK_DISPLAY || !g->pixels) return g->rect;
    // As on the desktop: a display's rectangle is the picture attached last,
    // centred in the gadget, which grows to hold it.
    const GuiRect& box = g->rect;
    const int bw = std::max(box.right - box.left + 1, g->width);
    const int bh = std::max(box.bottom - box.top + 1, g->height);
    const int left = box.left + (bw - g->width) / 2, top = box.top + (bh - g->height) / 2;
    return GuiRect{left, top, left + g->width - 1, top + g->height - 1};
}
void gui_display_attach(int win, int gid, const std::uint8_t* pixels, int width, int height,
                        int stride, const std::uint32_t* table, int colours) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    g->pixels = pixels;
    g->width = width;
    g->height = height;
    g->stride = stride;
    g->table = table;
    g->colours = colours;
}
void gui_display_set_colours(int win, int gid, const std::uint32_t* table, int colours) {
    Gadget* g = gadget(win, gid);
    if (!g || !table || colours <= 0) return;
    g->own_table.assign(table, table + colours);
    g->table = g->own_table.data();
    g->colours = colours;
}
void gui_display_refresh_rows(int win, int gid, int first, int count) {
    Gadget* g = gadget(win, gid);
    if (!g || !g->pixels) return;
    const std::size_t w = static_cast<std::size_t>(g->width);
    const std::size_t size = w * static_cast<std::size_t>(g->height);
    // A picture of another size is taken whole.
    if (g->shown_pens.size() != size) {
        g->shown_pens.resize(size);
        first = 0;
        count = g->height;
    }
    const int from = first < 0 ? 0 : first;
    const int to = count > g->height - from ? g->height : from + count;
    for (int y = from; y < to; ++y)
        std::memcpy(&g->shown_pens[y * w], g->pixels + static_cast<std::size_t>(y) * g->stride, w);
    if (g->table) g->shown_table.assign(g->table, g->table + g->colours);
}
void gui_display_refresh(int win, int gid) {
    Gadget* g = gadget(win, gid);
    if (g) gui_display_refresh_rows(win, gid, 0, g->height);
}

// --- test access ------------------------------------------------------------
void gui_headless_reset() {
    gui_headless_clip_reset();
    screen_width = 1280;
    screen_height = 1024;
    windows.clear();
    images.clear();
    answers.clear();
    requesters.clear();
    notices.clear();
    file_answers.clear();
    file_requests.clear();
    last_closed = Window{};
    have_last_closed = false;
    fail_next_open = false;
    beeps = 0;
    wait_hook = nullptr;
    requester_hook = nullptr;
    wait_events_count = 0;
    wait_until_count = 0;
    active_window = 0;
    toolkit_version = toolkit_revision = 0;
    opened_urls.clear();
    url_handler = true;
    help_shown.clear();
    help_keys.clear();
    help_open = false;
    console_text.clear();
    console_open = console_running = console_stop = false;
    message_console_text.clear();
    message_console_open = false;
}
void gui_headless_post(int win, const GuiEvent& event) {
    if (Window* w = find(win)) w->queue.push_back(event);
}
int gui_headless_find_window(const char* prefix) {
    std::string p = prefix;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (it->second.title.compare(0, p.size(), p) == 0) return it->first;
    return 0;
}
int gui_headless_open_count() {
    return static_cast<int>(windows.size());
}
const GuiWindowDesc* gui_headless_desc(int win) {
    Window* w = find(win);
    return w ? &w->desc : nullptr;
}
std::string gui_headless_title(int win) {
    Window* w = find(win);
    return w ? w->title : std::string();
}
int gui_headless_pointer(int win) {
    Window* w = find(win);
    return w ? w->pointer : -1;
}
const std::vector<GuiMenuItem>* gui_headless_menus(int win) {
    Window* w = find(win);
    return w ? &w->menus : nullptr;
}
void gui_headless_answer_requesters(const std::vector<int>& a) {
    answers.assign(a.begin(), a.end());
}
int gui_headless_answers_left() {
    return static_cast<int>(answers.size());
}
const std::vector<std::string>& gui_headless_requesters() {
    return requesters;
}
void gui_headless_fail_next_open() {
    fail_next_open = true;
}
void gui_headless_move(int win, int left, int top) {
    if (Window* w = find(win)) {
        w->desc.left = left;
        w->desc.top = top;
    }
}
void gui_headless_answer_file_requests(const std::vector<GuiFileAnswer>& a) {
    file_answers.assign(a.begin(), a.end());
}
const std::vector<std::string>& gui_headless_file_requests() {
    return file_requests;
}
const GuiWindowDesc* gui_headless_last_closed_desc() {
    return have_last_closed ? &last_closed.desc : nullptr;
}
int gui_headless_last_closed_value(int gid) {
    auto it = last_closed.gadgets.find(gid);
    return it == last_closed.gadgets.end() ? 0 : it->second.value;
}
void gui_headless_range(int win, int gid, int* min, int* max, int* visible) {
    Gadget* g = gadget(win, gid);
    if (min) *min = g ? g->min : 0;
    if (max) *max = g ? g->max : 0;
    if (visible) *visible = g ? g->visible : 0;
}
const std::vector<std::string>& gui_headless_notices() {
    return notices;
}
int gui_headless_beeps() {
    return beeps;
}
void gui_headless_on_wait_events(void (*hook)()) {
    wait_hook = hook;
}
void gui_headless_on_requester(void (*hook)()) {
    requester_hook = hook;
}
int gui_headless_wait_events_count() {
    return wait_events_count;
}
int gui_headless_wait_until_count() {
    return wait_until_count;
}
std::vector<std::uint32_t> gui_headless_display(int win, int gid, int* width, int* height) {
    Gadget* g = gadget(win, gid);
    if (width) *width = g ? g->width : 0;
    if (height) *height = g ? g->height : 0;
    std::vector<std::uint32_t> shown;
    if (!g) return shown;
    shown.reserve(g->shown_pens.size());
    for (std::uint8_t c : g->shown_pens)
        shown.push_back(c < g->shown_table.size() ? g->shown_table[c] : 0);
    return shown;
}
std::string gui_headless_image_path(int image) {
    auto it = images.find(image);
    return it == images.end() ? std::string() : it->second.path;
}
int gui_headless_image_count() {
    return static_cast<int>(images.size());
}
const std::vector<GuiListRow>* gui_headless_rows(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g ? &g->rows : nullptr;
}
void gui_headless_set_active(int win) {
    active_window = win;
}
void gui_headless_move_pointer(int win, int x, int y) {
    pointer_window = win;
    pointer_x = x;
    pointer_y = y;
}
void gui_headless_pointer_at(int* x, int* y) {
    *x = pointer_x;
    *y = pointer_y;
}
