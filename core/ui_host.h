// The few things start-up, the main loop, exit and the loader need from the
// interface: questions about its windows, answers from the user (warnings,
// file requesters) and the main window's life. Everything else the emulation
// tells the interface by marking it (core/notify.h).
//
// The interface fills ui_host with its own functions (gui_install_ui_host)
// before app_main runs. Until then, and in batch runs, the defaults hold:
// no window is open, warnings go to standard error, a requester is answered
// as if cancelled, so a batch job never waits for a user.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The name a saver writes for a path chosen in its requester.
using SaveName = std::function<std::string(const std::string& chosen)>;
// The other files an action writes beside the one named `written` (a
// recording's generated outputs).
using SaveAlso = std::function<std::vector<std::string>(const std::string& written)>;

// The flags of a file requester: a save requester; a load requester whose
// caller looks a typed name up itself (adding its suffixes), so that the name
// need not exist as typed. A load requester without it takes only a file that
// exists.
enum : int { FILE_REQUEST_SAVE = 1, FILE_REQUEST_LOOKUP = 2 };

struct UiHost {
    // Questions.
    bool (*main_window_open)();
    bool (*status_bar_shown)();
    bool (*tool_window_open)(int window);
    // The user: a warning to acknowledge, a beep, a file requester (0 when a
    // file was chosen, its path in `out`; `flags` as above), the load-address
    // prompt (0 cancelled).
    void (*warning)(const char* text);
    void (*beep)();
    int (*file_request)(const char* title, const char* pattern, int flags, const char* drawer,
                        const char* file, char* out);
    // The save requester of a caller that adds its suffix: `out` gets the name
    // `written` gives for the path chosen (the suffix added, "" when it does
    // not fit), and a file of that name is replaced only when the user says so.
    int (*save_request)(const char* title, const char* pattern, const char* drawer,
                        const char* file, const SaveName& written, char* out);
    int (*choose_load_address)();
    // The session: the main window, its event pass, the images, the tools.
    void (*open_main_window)(int reopen_tools);
    void (*close_main_window)();
    void (*close_tool_windows)();
    void (*forget_window_positions)();
    void (*events)();
    void (*load_images)();
    void (*free_images)();
    void (*tip_of_the_day)();
    void (*iconify)();
    void (*release_screen)();
    void (*browse_games)(int step); // -1 the game before the selected one, 1 the next
    // The "Really quit?" question: nonzero when the user confirms.
    int (*confirm_quit)();
    // Activates the main window with the input focus in the debugger's command line.
    void (*activate_command_line)();
    // Named actions of the interface's command table; nullptr in batch runs.
    // The current machine and memory map as a new game (Reinitialize).
    void (*reinitialize)();
    // The video region changed: menus, status bar, and the window's geometry.
    void (*region_changed)();
    // A key pressed with its HK_* qualifiers: true when a command took it.
    bool (*hotkey)(unsigned code, unsigned char qualifiers);
    // The clipboard: a picture as the bytes of an IFF form, and text (as
    // FTXT). Batch runs have none: both beep.
    void (*clip_iff)(const unsigned char* data, unsigned long size);
    void (*clip_text)(const char* text);
    // A short text for the status bar (a tool's hint); nullptr in batch runs.
    void (*status_text)(const char* text);
    // A message the status bar keeps until another replaces it ("" none):
    // the netplay peer's chat; nullptr in batch runs.
    void (*status_message)(const char* text);
    // Netplay's dialogs; nullptr in batch runs, where the prompt counts as
    // cancelled and the listening window as not opened. The host-name prompt
    // edits `host` (`size` bytes) in place: false when cancelled. The
    // "Listening..." window: open (false when it could not) showing `where`
    // (the lines that say where the server is), poll (true once the user gave
    // up), close.
    bool (*enter_hostname)(char* host, int size);
    bool (*listen_open)(const std::string& where);
    bool (*listen_poll)();
    void (*listen_close)();
    // A question with buttons "A|B|...": 1 for the first, 2 for the next,
    // 0 for the last; nullptr in batch runs (answered as the last). A "_"
    // marks a button's key ("_Replace|_Keep").
    int (*question)(const char* title, const char* text, const char* buttons, int preset);
    // On the way out, for a user who quit from a window: `text` (what could
    // not be finished) in a notice that waits for OK, nothing else left on
    // the screen meanwhile; nullptr in batch runs.
    void (*exit_notice)(const char* text);
    // save_request for an action that writes several files: each of `also`'s
    // files for the name chosen is asked about as that name is.
    int (*save_request_also)(const char* title, const char* pattern, const char* drawer,
                             const char* file, const SaveName& written, const SaveAlso& also,
                             char* out);
};

extern UiHost ui_host;

// The batch-safe defaults for everything (what the tests' fresh state starts
// from before the interface installs itself).
void ui_host_defaults();

// Shorthands for the calls through ui_host.
void ui_warning(const char* text);
void ui_status_text(const char* text);
void ui_beep();
// Questions are asked through ui_ask with their row (core/questions.h).
// Reinitialize through the interface; without one, the current machine and
// memory map are switched to as a new game.
void ui_reinitialize();

// While a command of the scripting port runs, nobody is asked: the warnings
// and requesters the program raises on its own are not shown. Their text goes
// to the message channel and into the command's reply; a question takes its
// default answer and says so. Requesters a command shows on purpose lift it.
// The same holds on the way out (app_exiting): what the exit path cannot
// finish is said on the console, and nothing waits for an answer.
extern bool ui_unattended;
// True while nobody may be asked: a command of the port runs, or the program
// is on its way out.
bool ui_nobody_to_ask();
// Called by the requester road before it shows anything: false while someone
// may be asked (no port command runs and the program is not on its way out);
// else reports `text` (and `answer`, the default answer of a question, or
// nullptr) and returns true.
bool ui_unattended_report(const char* text, const char* answer);
// A failure nobody is asked about (a file the exit path could not write):
// said on the console, and on the way out kept for the notice that a Quit
// from the window shows.
void ui_report_failure(const std::string& text);
// What was reported on the way out so far (every report of the exit path),
// forgotten once taken.
std::string ui_take_exit_reports();
// A failure met while the guest runs, with no action of the user's behind it
// (a printer page that could not be saved as it filled): said on the console
// and the status line, and leading the port's next answer (its return code at
// least 5); never in a window, which would hold a script. Within a command of
// the port it goes into that command's reply.
void ui_report_in_run(const std::string& text);
// While one lives, the warnings raised on the program's own (ui_warning) go
// to `sink` instead of a window; the one made last takes them.
class UiWarningsTo {
  public:
    explicit UiWarningsTo(std::function<void(const std::string&)> sink);
    ~UiWarningsTo();
    UiWarningsTo(const UiWarningsTo&) = delete;
    UiWarningsTo& operator=(const UiWarningsTo&) = delete;

  protected:
    // From here on the warnings go where they went before it was made.
    void end();

  private:
    friend void ui_warning(const char* text);
    const std::function<void(const std::string&)> sink_;
    UiWarningsTo* const outer_;
    bool ended_ = false;
};
// While one lives, those warnings are reported as ui_report_in_run reports them.
class UiRunReports : public UiWarningsTo {
  public:
    UiRunReports() : UiWarningsTo(ui_report_in_run) {}
};
// While one lives, the warnings raised are gathered, not said: whoever
// gathers them says them once, with what they come to ("Can't write to …!
// Printed pages not saved: …"), as one warning. What is left when it goes is
// said then.
class UiWarningsGathered : public UiWarningsTo {
  public:
    UiWarningsGathered();
    ~UiWarningsGathered();
    // What was gathered so far, each warning on a line of its own; forgotten.
    std::string take();

  private:
    std::string said_;
};
// Runs one command of the port unattended. What was reported meanwhile leads
// its result (unless the result already holds it) and raises its return
// code to at least 5.
int ui_unattended_run(int (*command)(const char* line, std::string* result), const char* line,
                      std::string* result);
