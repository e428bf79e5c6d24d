// The host window layer: windows described as trees of layout groups and
// gadgets, gadgets read and set by (window, gadget id), and one event queue
// per window that its input handler drains once per main-loop pass.
//
// Toolkit-free: platform/qt draws it with Qt Widgets, platform/headless keeps
// it in memory for tests and for runs without a display. Host events are only
// taken in by gui_host_pump and the two waits, so nothing reaches a window's
// queue behind the main loop's back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Raw key qualifiers as the core keeps them.
constexpr std::uint16_t QUAL_LSHIFT = 0x0001;
constexpr std::uint16_t QUAL_RSHIFT = 0x0002;
constexpr std::uint16_t QUAL_CAPSLOCK = 0x0004;
constexpr std::uint16_t QUAL_CONTROL = 0x0008;
constexpr std::uint16_t QUAL_LALT = 0x0010;
constexpr std::uint16_t QUAL_RALT = 0x0020;
constexpr std::uint16_t QUAL_LCOMMAND = 0x0040;
constexpr std::uint16_t QUAL_RCOMMAND = 0x0080;
constexpr std::uint16_t QUAL_NUMERICPAD = 0x0100;
constexpr std::uint16_t QUAL_REPEAT = 0x0200;
constexpr std::uint16_t QUAL_MIDBUTTON = 0x1000;
constexpr std::uint16_t QUAL_RBUTTON = 0x2000;
constexpr std::uint16_t QUAL_LEFTBUTTON = 0x4000;
constexpr std::uint16_t QUAL_SHIFT = QUAL_LSHIFT | QUAL_RSHIFT;
constexpr std::uint16_t QUAL_ALT = QUAL_LALT | QUAL_RALT;

// A raw key code at or above this is the release of code - RAWKEY_UP.
constexpr int RAWKEY_UP = 0x80;

enum GuiKind : std::uint8_t {
    GK_VGROUP,   // children top to bottom
    GK_HGROUP,   // children left to right
    GK_DISPLAY,  // painted host pixel buffer (the guest display)
    GK_BUTTON,   // push button; `toggle` makes it keep a selected state
    GK_IMAGE,    // read-only button showing an image
    GK_STRING,   // one-line text entry; `readonly` for a text field
    GK_INTEGER,  // number entry between `min` and `max`
    GK_CHECKBOX, // labelled check box
    GK_CHOOSER,  // pop-up choice of `items`
    GK_LIST,     // list of `items`, one row selectable; with `columns`, a list of `rows`
    GK_SPEEDBAR, // row of image buttons (`bar`), numbered from 1
    GK_LABEL,    // fixed text
    GK_SPACE,    // empty stretchable space
    GK_RADIO,    // one of `items` chosen (`value`); `vertical` stacks them
    GK_SLIDER,   // level `value` between `min` and `max`; `vertical` stands it up
    GK_SCROLLER, // top `value` of `max` lines of which `visible` show at once
    GK_FUELGAUGE, // read-only level `value` between `min` and `max`, `text` over it
    GK_TEXTEDIT, // multi-line text; `readonly` for a view
    GK_PICTURE,  // painted pixel buffer (as the display) with mouse events
};

struct GuiBarButton {
    int image = 0;       // gui_image_load handle, 0 none
    std::string hint;    // tool tip
    bool toggle = false; // keeps a selected state
    bool selected = false;
    bool disabled = false;
};

// One cell of a list with columns: a picture (gui_image_load handle, 0
// none) before the text, which may be right-aligned.
struct GuiListCell {
    std::string text;
    int image = 0;
    bool right = false;
};
// One row of a list with columns, with its own tool tip ("" none).
struct GuiListRow {
    std::vector<GuiListCell> cells;
    std::string hint;
};

struct GuiNode {
    GuiKind kind = GK_VGROUP;
    int gid = 0;       // gadget id, 0 for none
    std::string text;  // button and label text, entry contents, group frame title
    std::string label; // text shown before an entry ("" none)
    std::string hint;  // tool tip
    int background = -1; // buttons and text fields: 0x00RRGGBB, -1 the default
    int min_w = 0, min_h = 0;
    int weight = 0; // share of spare room; 0 keeps the minimum size
    bool disabled = false;
    bool readonly = false; // buttons: shown, but they take no clicks
    bool toggle = false;
    bool selected = false;
    bool framed = false;  // groups: drawn with a frame
    bool centred = false; // the gadget keeps its size, centred in its cell
    bool text_left = false; // buttons: the text starts at the left edge
    bool bold = false;      // labels: in bold
    int align = 0;          // labels and read-only text fields: 0 left, 1 centred, 2 right
    int max_chars = 0;    // entries: length limit, 0 none; read-only fields: their width;
                          // lists with columns: their least width in characters
    // min_w: a button of weight 0 is exactly that wide
    int value = 0;        // checkbox, chooser, integer, list selection (-1 none)
    int min = 0, max = 0; // integer, slider and gauge range; scroller total
    int visible = 0;      // scroller: lines shown at once
    bool vertical = false; // radio buttons, slider, scroller
    int image = 0;        // GK_IMAGE; a picture beside a GK_BUTTON's text
    std::vector<std::string> items;
    std::vector<GuiBarButton> bar;
    // GK_LIST with columns: one title per column (all "" hides the titles)
    // and the rows; `visible` is the rows in view at least (0 any).
    std::vector<std::string> columns;
    std::vector<GuiListRow> rows;
    // GK_LIST: the wheel turned over the list goes to the window's handler
    // (GE_WHEEL with the list's gid) instead of scrolling the list.
    bool wheel_to_window = false;
    std::vector<GuiNode> children;
};

struct GuiMenuItem {
    int id = -1;          // id delivered by GE_MENU; titles and sub-menus carry theirs
                          // for ghosting; -1 for none or a bar
    std::string text;     // "" is a separator bar
    std::string shortcut; // shown beside the text ("Ctrl+O")
    bool checkable = false;
    bool checked = false;
    bool disabled = false;
    int group = 0; // radio group: ticking one member unticks the others (0 none)
    std::string hint; // a title's reason, shown while it is disabled ("" none)
    std::vector<GuiMenuItem> sub; // a menu title or a sub-menu holds items
};

struct GuiWindowDesc {
    std::string title; // "" with a hidden title bar
    std::string icon_title;
    int left = -1, top = -1; // -1 each: centred on the screen
    bool title_bar = true;   // drag bar, depth and close gadgets
    bool size_gadget = false;
    bool borderless = false; // with activate false: floats on top, never focused, input passes through
    bool full_screen = false;
    bool accept_drops = false;
    bool activate = true;
    // Opens minimised (as its earlier window was left), taking no activation.
    bool minimised = false;
    bool under_pointer = false; // without left and top: centred under the mouse pointer
    GuiNode root;
    // The window itself, not its first entry, has the keyboard when it opens
    // (an entry gets it by a click), so that typed keys reach its handler;
    // so do the wheel's turns that no gadget uses (GE_WHEEL, gadget 0).
    bool keys_to_window = false;
    // The help document's node that the Help key opens in this window ("" none).
    std::string help_node;
    // The window this one speaks about and stays over (0 none); inside the
    // modal bracket every window stays over the modal owner.
    int over = 0;
};

enum GuiEventType : std::uint8_t {
    GE_NONE,
    GE_GADGET,      // gid, code: button number, entry end key (13, 9, 69), chooser/list/radio
                    // choice, slider level, integer entry value (each change), scroller top
    GE_EDITKEY,     // gid of an entry, code raw key, qualifier: cursor up/down inside it
    GE_RAWKEY,      // code 0..127 press, RAWKEY_UP + n release; qualifier
    GE_CLOSE,       // close gadget
    GE_MOVED,       // window moved or resized by the user
    GE_NEWSIZE,     // window height changed; x, y = new width, height
    GE_MENU,        // code = menu item id
    GE_ACTIVE,      // window became active
    GE_INACTIVE,    // window lost activation
    GE_MOUSEBUTTON, // code: 1 left, 2 middle, 3 right; +RAWKEY_UP on release; x, y in window;
                    // gid of the display or picture (middle clicks also come from buttons)
    GE_MOUSEMOVE,   // x, y in window; qualifier holds buttons; gid as above; leaving a
                    // picture: x = y = -1
    GE_WHEEL,       // code: -1 up, 1 down; qualifier; gid of the display, picture or list
    GE_DROP,        // text = dropped path (file or drawer); code = number of paths
    GE_ICONIFY,     // the window was minimised by the user
    GE_MENUHELP,    // the Help key over an open menu: code = item id under the pointer
                    // (-1 none, checkable ones as GE_MENU gives them), x = menu number
    GE_MENUVERIFY,  // one of the window's menus is about to be shown
    GE_EDITED,      // gid of an entry whose text the user has just changed (gui_get_text)
};

struct GuiEvent {
    GuiEventType type = GE_NONE;
    int gid = 0;
    int code = 0;
    std::uint16_t qualifier = 0;
    int x = 0, y = 0;
    std::string text;
};

struct GuiRect {
    int left = 0, top = 0, right = -1, bottom = -1; // right and bottom inclusive
};

// --- The host ---------------------------------------------------------------
// Connects to the display; false when there is none (the caller reports it).
bool gui_host_init(int argc, char** argv);
void gui_host_shutdown();
// Takes in every host event that is waiting, without blocking.
void gui_host_pump();
// Serves host events until the microsecond clock reaches `due`.
void gui_host_wait_until(std::uint32_t due);
// Blocks until some host event arrives (or `timeout_ms` passes when >= 0).
void gui_host_wait_events(int timeout_ms);
void gui_host_beep();
// Whether the desktop can minimise a window: on X a window manager runs (it
// names itself on the root window); without one a minimised window would
// stay where it is.
bool gui_host_can_iconify();
// Modal message box; `buttons` separated by "|". Returns the chosen button
// counted from 1, the last button giving 0. kind: 1 information, 2 warning, 3 error.
// `preset` (counted from 0) is the button under Return.
// A break (CTRL-C, a kill) closes an open requester, answered with 0, so
// that the program can leave through its exit path. It stands over the modal
// owner (gui_host_modal_over), outside the modal bracket over window `over`
// (0 none).
int gui_host_requester(const char* title, const char* body, const char* buttons, int kind,
                       int preset = 0, int over = 0);
// A message box with one button that does not wait: shown, and the program
// runs on; it closes when the user presses the button. kind as above. It
// stands over window `over` (0 none), the window it speaks about; a window
// opened later over that one (GuiWindowDesc::over) opens under it.
void gui_host_notice(const char* title, const char* body, const char* button, int kind, int over);
// What the file requester takes: a file that exists, a name to save under, or
// a name its caller looks up (adding suffixes), which need not exist as typed;
// that one is also confirmed with no name, which answers an empty file name.
enum class FileRequestMode { existing, save, lookup };
// The file requester, starting in `drawer` with `file` and showing the names
// that the AmigaDOS `pattern` matches (file_pattern.h). Returns 0 when
// confirmed (the drawer and the file name, which may be empty, in
// *chosen_drawer and *chosen_file), 1 when cancelled (a break cancels it as it
// closes a requester), -1 when it cannot be shown.
// A save requester given `checks` checks the files its caller will write for
// a chosen path (`files`: the name with the caller's suffix added, and any
// other file the action writes) rather than the name typed: one that may not
// be written at all is refused with the reason (`refusal`, "" when it may be),
// and each that exists is asked about. A refusal or a No keeps the requester
// open for another name.
struct SaveChecks {
    std::function<std::vector<std::string>(const std::string& chosen)> files;
    std::function<std::string(const std::string& file)> refusal;
    // The program's question about an existing `file`: true replaces it.
    std::function<bool(const std::string& file)> may_replace;
};
int gui_host_file_request(const char* title, const char* pattern, FileRequestMode mode,
                          const char* drawer, const char* file, std::string* chosen_drawer,
                          std::string* chosen_file, const SaveChecks& checks = {});
// The file requester in its drawers-only form: only drawers are shown and
// chosen. 0 with the chosen drawer in *chosen, 1 cancelled (or a break), -1
// when it cannot be shown.
int gui_host_drawer_request(const char* title, const char* drawer, std::string* chosen);
// The program's check, polled every 50 ms or so while a requester or the file
// requester is open (nullptr: none): true closes it as a break does (the
// program serves its port meanwhile and closes a requester whose asker has
// gone). Called outside any signal handler.
void gui_host_set_break_poll(bool (*pending)());
// While `win` is set (0 none), every window, requester, notice and file
// requester opened stays over it (transient for it), or over the newest of
// them still open, so that none can be hidden behind it; the modal bracket
// sets the main window.
void gui_host_modal_over(int win);
// What the program does when its display goes away under it (the X server
// ended, the link to it dropped), where the toolkit would end the process:
// `lost` is called once, on the thread that takes in the events, and does not
// return. From then on the host sends nothing to the display: pumps and waits
// take in no events, requesters and file requesters answer as cancelled, and
// nothing is shown or closed.
void gui_host_set_display_lost(void (*lost)());
// Screen size available to windows.
void gui_host_screen_size(int* width, int* height);
// The toolkit that draws the windows: its version and revision (0, 0 none).
void gui_host_toolkit_version(int* version, int* revision);
// Opens `address` with the desktop's handler; false when that cannot be done.
bool gui_host_open_url(const char* address);
// Whether the desktop has a handler that gui_host_open_url can hand addresses to.
bool gui_host_url_handler();
// The longest time between the two clicks of a double click, in milliseconds.
int gui_host_double_click_ms();

// --- Images -------------------------------------------------------------------
// Loads a picture file; a missing or unreadable file gives an empty frame of
// `width` x `height`. Returns a handle above 0. *missing reports which it was.
int gui_image_load(const char* path, int width, int height, bool* missing);
void gui_image_free(int image);
void gui_image_size(int image, int* width, int* height);
// The image's pixels as 0xAARRGGBB, row by row; false (nothing written) when
// the host keeps no pixels for it.
bool gui_image_pixels(int image, std::vector<std::uint32_t>* argb, int* width, int* height);

// --- Windows ------------------------------------------------------------------
// Returns a window handle above 0, or 0 when the window cannot be made.
int gui_window_open(const GuiWindowDesc& desc);
void gui_window_close(int win);
bool gui_window_is_open(int win);
void gui_window_set_title(int win, const char* title);
void gui_window_set_menus(int win, const std::vector<GuiMenuItem>& strip);
void gui_menu_set_state(int win, int id, bool enabled, bool checked);
void gui_menu_set_enabled(int win, int id, bool enabled);
// Raises the window and gives it the keyboard; a minimised window stays
// minimised (the program's own moves never bring it back on the desktop).
void gui_window_activate(int win);
// What the user's request to see the window does (an opener, SHOW): shown
// again when minimised, raised, given the keyboard.
void gui_window_show_again(int win);
// Moves the window to (left, top) keeping its size; -1 keeps that coordinate.
void gui_window_move(int win, int left, int top);
// Sends the window behind the other windows of the desktop.
void gui_window_to_back(int win);
// Minimises the window to the desktop's icon or task bar, or restores it.
void gui_window_minimise(int win, bool minimised);
bool gui_window_minimised(int win);
// The window of ours that is active, 0 when a window of another program is.
int gui_host_active_window();
void gui_window_position(int win, int* left, int* top, int* width, int* height);
// The window's size with the frame a window manager put around it (its own
// size while it has none, or the frame is not known yet).
void gui_window_outer_size(int win, int* width, int* height);
void gui_window_resize(int win, int width, int height);
// 0 normal, 1 busy, 2 invisible, 6 aiming
void gui_window_set_pointer(int win, int kind);
// Keeps the host pointer inside `r` (window coordinates) while the window is
// the active one, is not minimised and shows no menu: a pointer outside is
// moved to the nearest point of `r`. Called once per pass while it applies.
void gui_window_confine_pointer(int win, const GuiRect& r);
// Takes the next event of the window's queue; false when it is empty.
bool gui_window_next_event(int win, GuiEvent* event);
void gui_window_flush_events(int win);

// --- Gadgets ------------------------------------------------------------------
void gui_set_text(int win, int gid, const char* text);
std::string gui_get_text(int win, int gid);
void gui_set_value(int win, int gid, int value);
int gui_get_value(int win, int gid);
void gui_set_disabled(int win, int gid, bool disabled);
bool gui_get_disabled(int win, int gid);
void gui_set_selected(int win, int gid, bool selected);
bool gui_get_selected(int win, int gid);
void gui_set_items(int win, int gid, const std::vector<std::string>& items);
// New range of a slider, scroller, gauge or integer entry (`visible` for a
// scroller); the value is kept inside it.
void gui_set_range(int win, int gid, int min, int max, int visible);
void gui_set_image(int win, int gid, int image);
// The tool tip shown while the pointer rests on the gadget ("" none).
void gui_set_hint(int win, int gid, const char* text);
// While on, read-only text field `gid` shows a text too wide for it whole as
// well: on a note over the window just above the field, wrapped to the
// window's width (and as the field's tool tip). Off by default.
void gui_show_whole_text(int win, int gid, bool on);
// The background of a button or text field: 0x00RRGGBB, or -1 the default.
void gui_set_background(int win, int gid, int rgb);
// New rows of a list with columns; the selection is cleared (-1).
void gui_set_rows(int win, int gid, const std::vector<GuiListRow>& rows);
// Moves the view of a list: 1 a line up, 2 a line down, 3 a page up, 4 a page
// down, 5 to the first row, 6 to the last. Selecting a row (gui_set_value)
// also scrolls it into view.
void gui_list_scroll(int win, int gid, int command);
// The first row in view of a list.
int gui_list_top(int win, int gid);
void gui_activate_gadget(int win, int gid);
// The gadget of `win` that has the keyboard, 0 none.
int gui_focused_gadget(int win);
// Selects the whole text of an entry, so that what is typed next replaces it.
void gui_select_text(int win, int gid);
// Speedbar button `index` counted from 1.
void gui_bar_set(int win, int gid, int index, bool enabled, bool selected);
bool gui_bar_selected(int win, int gid, int index);
bool gui_bar_enabled(int win, int gid, int index);
// Gives speedbar button `index` another picture (gui_image_load handle) and tool tip.
void gui_bar_set_face(int win, int gid, int index, int image, const std::string& hint);
GuiRect gui_gadget_rect(int win, int gid);

// The display and picture gadgets show `width` x `height` colour indices (row-major,
// `stride` bytes a row) through the 0x00RRGGBB colour table of `colours` entries.
// The buffer stays owned by the caller and must live until replaced.
void gui_display_attach(int win, int gid, const std::uint8_t* pixels, int width, int height,
                        int stride, const std::uint32_t* table, int colours);
// Shows the buffer's current contents (on the next host pump).
void gui_display_refresh(int win, int gid);
// The same for the `count` rows from row `first` on, the only ones that
// changed since the last refresh (none: only the colour table is taken again).
void gui_display_refresh_rows(int win, int gid, int first, int count);
// New colours for the attached buffer's pens (the table is copied): the picture
// is recoloured without a new buffer.
void gui_display_set_colours(int win, int gid, const std::uint32_t* table, int colours);

// --- Clipboard ----------------------------------------------------------------
// The system clipboard, numbered by unit (0 the desktop's own; the others kept
// by the program). A clip is the raw bytes of an IFF form; text is offered to
// other programs beside them as plain text. False when the clipboard cannot be
// written (the caller reports it).
bool gui_clip_write(int unit, const std::vector<std::uint8_t>& iff, const std::string& text);
// The clip of `unit`: its IFF bytes when it holds a clip of ours, else the
// plain text another program put there (`iff` then empty). False when the
// clipboard cannot be read; an empty clipboard reads as true with both empty.
bool gui_clip_read(int unit, std::vector<std::uint8_t>* iff, std::string* text);

// --- Help viewer ----------------------------------------------------------------
// Shows the HTML document `file` at the anchor `node` ("" its top) in the help
// viewer, a window of its own that opens on first use and is raised after.
// False (nothing shown) when the file cannot be read.
bool gui_help_show(const char* file, const char* node);
void gui_help_close();
bool gui_help_is_open();
// The program's answer to the Help key pressed in a window that names a help
// node: called with that node from gui_host_pump (nullptr: none).
void gui_host_set_help_handler(void (*show)(const char* node));

// --- Script console ---------------------------------------------------------------
// The console window that shows what scripts write, with a Stop control. It
// opens on the first output without taking the input focus and stays until
// the user closes it or gui_console_close. Without a display the text goes to
// standard output.
void gui_console_write(const char* text);
// Whether a script runs: the Stop control is usable only then.
void gui_console_set_running(bool running);
// True once after the user chose Stop.
bool gui_console_take_stop();
void gui_console_close();

// --- Message console --------------------------------------------------------------
// The window that shows the program's messages while standard output is no
// terminal: the text with a Clear control. It keeps what is written while it
// is closed; `show` opens it (again) without taking the input focus.
void gui_message_console_write(const char* text, bool show);
bool gui_message_console_is_open();
void gui_message_console_close();
// Empties the message console (open or not).
void gui_message_console_clear();
