#include "gui/requesters.h"

#include "core/files_in_use.h"
#include "core/frame.h"
#include "core/message.h"
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

#include <cstring>
#include <string>

u8 gui_modal_active = 0;

// The windows and requesters opened from the outermost of nested modal
// brackets to its end stay over the main window, which cannot hide them.
static int modal_depth = 0;
static void hold_over_main() {
    if (modal_depth++ == 0) gui_host_modal_over(main_window);
}
static void release_main() {
    if (modal_depth > 0 && --modal_depth == 0) gui_host_modal_over(0);
}

void gui_modal_begin() {
    gui_close_magnifier(); // no picture floats over the main window while the user answers
    hold_over_main();
    gui_modal_active = 1;
    gui_update_main_title();
    snd_close(0);
}

// The end of every modal window and requester: the frame timing starts
// afresh, the sound comes back, and what reached the main window meanwhile
// is dropped; keys let go elsewhere are up for the guest.
static void modal_over() {
    emu_restart_timing();
    snd_open(1);
    gui_flush_main_port();
    input_clear_key_matrix();
}

void gui_modal_end() {
    release_main();
    gui_modal_active = 0;
    gui_update_main_title();
    modal_over();
    gui_focus_guest();
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
SaveChecks save_checks(const SaveName& written, const SaveAlso& also) {
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
    return checks;
}

int request(const char* title, const char* pattern, int flags, const char* drawer, const char* file,
            const SaveName& written, const SaveAlso& also, char* path) {
    constexpr std::size_t PATH_SIZE = 513;
    if (ui_unattended_report(title, "Cancel")) return 1;
    snd_close(0);
    std::string chosen_drawer, chosen_file;
    hold_over_main();
    const FileRequestMode mode = flags & FILE_REQUEST_SAVE     ? FileRequestMode::save
                                 : flags & FILE_REQUEST_LOOKUP ? FileRequestMode::lookup
                                                               : FileRequestMode::existing;
    const int answer =
        gui_host_file_request(title ? title : "", pattern && pattern[0] ? pattern : "#?", mode,
                              path_to_host(drawer ? drawer : "").c_str(), file ? file : "",
                              &chosen_drawer, &chosen_file, save_checks(written, also));
    release_main();
    modal_over(); // the title and the focus were left alone
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
