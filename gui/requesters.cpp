#include "gui/requesters.h"

#include "core/files_in_use.h"
#include "core/frame.h"
#include "core/message.h"
#include "core/questions.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "core/ui_host.h"
#include "gui/main_window.h"
#include "inspect/magnifier.h"
#include "input/keys.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "sound/sound_output.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

u8 gui_modal_active = 0;

// The brackets open, innermost last: whether each marks the title.
static std::vector<bool> brackets;
// The window the outermost bracket was opened from (0: none of the program's)
// and its gadget that had the keyboard (0 none).
static int asked_from = 0;
static int asked_gadget = 0;

void gui_modal_begin(ModalMark mark) {
    if (brackets.empty()) {
        asked_from = gui_host_active_window();
        asked_gadget = asked_from ? gui_focused_gadget(asked_from) : 0;
        gui_close_magnifier(); // no picture floats over the main window while the user answers
        gui_host_modal_over(main_window);
        snd_close(0);
    }
    const bool marks = mark == ModalMark::title;
    if (marks && !gui_modal_active) {
        gui_modal_active = 1;
        gui_update_main_title();
    }
    brackets.push_back(marks);
}

void gui_modal_end() {
    if (brackets.empty()) return;
    const bool marked = brackets.back();
    brackets.pop_back();
    if (marked && gui_modal_active &&
        std::find(brackets.begin(), brackets.end(), true) == brackets.end()) {
        gui_modal_active = 0;
        gui_update_main_title();
    }
    if (!brackets.empty()) return; // an inner one: the outer window is still open
    gui_host_modal_over(0);
    // The keys go back where the question was asked, not to whichever window
    // lies under the pointer or the desktop picks (before the main window's
    // events are dropped: its activation among them).
    // Within it, the gadget that had them (the debugger's command line the
    // question came from), else the guest.
    const int back = asked_from && gui_window_is_open(asked_from) ? asked_from : main_window;
    const int gadget = back == asked_from ? asked_gadget : 0;
    asked_from = asked_gadget = 0;
    if (back) gui_window_activate(back); // a minimised one stays so
    emu_restart_timing();
    snd_open(1);
    gui_flush_main_port();
    input_clear_key_matrix();
    if (gadget)
        gui_activate_gadget(back, gadget);
    else if (marked && back == main_window)
        gui_focus_guest();
}

void gui_modal_reset() {
    brackets.clear();
    asked_from = asked_gadget = 0;
    gui_modal_active = 0;
}

// The requester itself, asked unless a command of the scripting port runs
// (then the last button answers), in the modal bracket.
static int ask(const char* title, const char* body, const char* buttons, int image_kind,
               int preset = 0) {
    const char* bar = std::strrchr(buttons, '|');
    std::string last = bar ? bar + 1 : "";
    std::erase(last, '_'); // the key mark
    if (ui_unattended_report(body, bar ? last.c_str() : nullptr)) return 0;
    gui_modal_begin();
    const int answer = gui_host_requester(title, body, buttons, image_kind, preset);
    gui_modal_end();
    return answer;
}

int gui_requester(const char* title, const char* body, const char* buttons, int image_kind,
                  int preset) {
    if (!app_acquired.host_gui) {
        con_printf("%s\n", body);
        return 0;
    }
    return ask(title, body, buttons, image_kind, preset);
}

void gui_fatal(const char* text) {
    gui_requester(cat_str(119, "Fatal Error"), text, cat_str(67, "Quit"), 3);
    app_clean_exit(1);
}

int gui_warning(const char* text) {
    return gui_requester(cat_str(124, "Warning"), text, cat_str(143, "OK"), 2);
}

int gui_message(const char* text) {
    return gui_requester(cat_str(755, "Message"), text, cat_str(143, "OK"), 1);
}

bool gui_join_path(char* out, std::size_t size, const char* drawer, const char* file) {
    std::string joined = drawer ? drawer : "";
    const char last = joined.empty() ? ':' : joined.back();
    if (last != ':' && last != '/') joined += '/';
    joined += file ? file : "";
    if (!out || joined.size() + 1 > size) return false;
    std::memcpy(out, joined.c_str(), joined.size() + 1);
    return true;
}

namespace {
// What a save requester checks of a chosen path: the name written for it and
// the files written beside, none of them a file the program has in use, nor
// one that a save does not replace (write-protected, a folder, a FIFO or a
// device).
SaveChecks save_checks(const std::string& title, const SaveName& written, const SaveAlso& also) {
    SaveChecks checks;
    checks.files = [written, also](const std::string& chosen) {
        std::vector<std::string> files{written ? written(chosen) : chosen};
        if (also) {
            const std::vector<std::string> more = also(files.front());
            files.insert(files.end(), more.begin(), more.end());
        }
        return files;
    };
    checks.refusal = [](const std::string& f) {
        const std::string name = path_file_part(f.c_str());
        if (const std::string use = file_in_use(f); !use.empty())
            return name + " is " + use + ": no other file is written over it.\nChoose another name.";
        switch (path_save_place(f)) {
        case PATH_SAVE_READ_ONLY:
            return name + " is write-protected.\nIt is not replaced: choose another name.";
        case PATH_SAVE_FOLDER: return name + " is a folder.\nIt is not replaced: choose another name.";
        case PATH_SAVE_NOT_FILE:
            return name + " is not a regular file.\nIt is not replaced: choose another name.";
        default: return std::string();
        }
    };
    checks.may_replace = [title](const std::string& f) {
        const std::string text =
            std::string(path_file_part(f.c_str())) + " already exists.\nDo you want to replace it?";
        return ui_ask(Question::save_over, text, nullptr, nullptr, title.c_str()) == 1;
    };
    return checks;
}

int request(const char* title, const char* pattern, int flags, const char* drawer, const char* file,
            const SaveName& written, const SaveAlso& also, char* path) {
    constexpr std::size_t PATH_SIZE = 513;
    if (ui_unattended_report(title, "Cancel")) return 1;
    std::string chosen_drawer, chosen_file;
    // The title keeps the main window's state; the focus stays where it was.
    gui_modal_begin(ModalMark::none);
    const FileRequestMode mode = flags & FILE_REQUEST_SAVE     ? FileRequestMode::save
                                 : flags & FILE_REQUEST_LOOKUP ? FileRequestMode::lookup
                                                               : FileRequestMode::existing;
    const int answer =
        gui_host_file_request(title ? title : "", pattern && pattern[0] ? pattern : "#?", mode,
                              path_to_host(drawer ? drawer : "").c_str(), file ? file : "",
                              &chosen_drawer, &chosen_file,
                              save_checks(title ? title : "", written, also));
    gui_modal_end();
    if (answer < 0) {
        gui_beep(); // the requester cannot be shown
        return 1;
    }
    if (answer != 0) return 1;
    if (chosen_file.empty()) return 5;
    if (!gui_join_path(path, PATH_SIZE, chosen_drawer.c_str(), chosen_file.c_str())) {
        gui_beep();
        return 1;
    }
    if (!written) return 0;
    const std::string name = written(path);
    if (name.empty() || name.size() + 1 > PATH_SIZE) {
        gui_beep();
        return 1;
    }
    std::memcpy(path, name.c_str(), name.size() + 1);
    return 0;
}
} // namespace

int gui_file_request(const char* title, const char* pattern, int flags, const char* drawer,
                     const char* file, char* path) {
    return request(title, pattern, flags, drawer, file, {}, {}, path);
}

int gui_save_request(const char* title, const char* pattern, const char* drawer, const char* file,
                     const SaveName& written, char* path) {
    return request(title, pattern, FILE_REQUEST_SAVE, drawer, file, written, {}, path);
}

int gui_save_request_also(const char* title, const char* pattern, const char* drawer,
                          const char* file, const SaveName& written, const SaveAlso& also,
                          char* path) {
    return request(title, pattern, FILE_REQUEST_SAVE, drawer, file, written, also, path);
}

int gui_drawer_request(const char* title, const char* drawer, std::string* chosen) {
    if (ui_unattended_report(title, "Cancel")) return 1;
    gui_modal_begin(ModalMark::none);
    const int answer = gui_host_drawer_request(title, drawer, chosen);
    gui_modal_end();
    return answer;
}
