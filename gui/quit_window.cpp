#include "gui/quit_window.h"

#include "core/emu.h"
#include "core/held_things.h"
#include "core/machine_titles.h"
#include "core/message.h"
#include "core/questions.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "gui/dialog_parts.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "gui/requesters.h"
#include "input/keys.h"
#include "peripherals/changed_media.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

int quit_window = 0;

namespace {

constexpr int IMAGE_YES = 37, IMAGE_NO = 38;
constexpr int RAW_V = 0x34, RAW_B = 0x35;

const char* yes_text() {
    return cat_str(1216, "_Yes");
}
const char* no_text() {
    return cat_str(1217, "_No");
}
const char* confirm_text() {
    return cat_str(1223, "_Confirm on quit?");
}
// The update button names what it saves: the disks (one never saved asks
// for a name), the tape, or both.
std::string update_text(int kinds) {
    if (kinds == MEDIA_TAPES) return "_Update tape";
    if (kinds == (MEDIA_DISKS | MEDIA_TAPES)) return "_Update disks and tapes...";
    return cat_str(977, "_Update disk...");
}

std::string lines(const std::string& first, const std::string& second) {
    return first.empty() || second.empty() ? first + second : first + "\n" + second;
}

// Why the autosave that was to keep something could not be written, when
// the question is asked again for it; "" otherwise.
std::string unkept;

// What quitting loses, one line for each kind of held thing, then what the
// autosave keeps; "" when nothing.
std::string lost_text() {
    std::string text = unkept;
    for (const std::string& clause : held_lost())
        text = lines(text, clause + ".");
    for (const std::string& clause : held_kept())
        text = lines(text, clause + "; " + held_kept_words + ".");
    for (const std::string& clause : held_kept_apart())
        text = lines(text, clause + ".");
    return text;
}

// What quitting finishes (held_running), "" when nothing runs.
std::string running_text() {
    std::string list;
    for (const std::string& clause : held_running())
        list += (list.empty() ? "" : ", ") + clause;
    return list.empty() ? "" : "Still running: " + list + "; quitting finishes them.";
}

enum class Answer { NONE, YES, NO };

struct QuitState {
    Answer answer = Answer::NONE;
    bool confirm = true; // the switch as the user left it
    int kinds = 0;       // the kinds of changed media the window named (MEDIA_DISKS...)
};
QuitState state;

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = machine_title(machine);
    d.icon_title = "Brindlemox";
    d.under_pointer = true;
    GuiNode picture = gui_node(GK_IMAGE);
    picture.image = gui_image(games_machine_label_id(-1, static_cast<int>(memmap)));
    GuiNode texts = gui_group(GK_VGROUP);
    texts.weight = 1;
    texts.children.push_back(gui_label(cat_str(447, "Really quit?")));
    const std::string lost = lost_text();
    if (!lost.empty()) texts.children.push_back(gui_node(GK_LABEL, GID_QUIT_DISKS, lost));
    const std::string running = running_text();
    if (!running.empty()) texts.children.push_back(gui_node(GK_LABEL, GID_QUIT_RUNNING, running));
    GuiNode top = gui_group(GK_HGROUP, {picture, texts});
    GuiNode confirm = gui_node(GK_CHECKBOX, GID_QUIT_CONFIRM, confirm_text());
    confirm.value = state.confirm;
    GuiNode buttons = gui_group(GK_HGROUP);
    buttons.children = {gui_text_button(GID_QUIT_YES, 1216, "_Yes", IMAGE_YES),
                        gui_text_button(GID_QUIT_NO, 1217, "_No", IMAGE_NO)};
    if (state.kinds) {
        GuiNode update = gui_node(GK_BUTTON, GID_QUIT_UPDATE, update_text(state.kinds));
        update.weight = 1;
        buttons.children.push_back(update);
    }
    d.root = gui_group(GK_VGROUP, {top, confirm, buttons});
    return d;
}

// Every changed disk and tape saved in turn (a disk never saved asks for a
// name); the window then names what is still unsaved, or says that what it
// named is saved.
void update_media() {
    media_update_all();
    if (!gui_window_is_open(quit_window)) return;
    std::string text = lost_text();
    if (!media_changed_kinds()) {
        text = lines(std::string("All ") + media_kinds_name(state.kinds) + " are saved.", text);
        gui_set_disabled(quit_window, GID_QUIT_UPDATE, true);
    } else {
        gui_set_text(quit_window, GID_QUIT_UPDATE, update_text(media_changed_kinds()).c_str());
    }
    gui_set_text(quit_window, GID_QUIT_DISKS, text.c_str());
}

void toggle_confirm() {
    state.confirm = !state.confirm;
    gui_set_value(quit_window, GID_QUIT_CONFIRM, state.confirm);
}

bool answered(Answer a) {
    state.answer = a;
    return true;
}

// The window's question: quitting loses a changed disk or tape or a punched
// papertape, or nothing.
const QuestionRow& question() {
    return question_row(lost_text().empty() ? Question::quit : Question::quit_losing);
}
Answer answer_of(int button) {
    return button == 0 ? Answer::YES : Answer::NO;
}
// What Return, the close gadget and a window closed from outside answer: yes
// (quit), unless quitting loses something: then no, which keeps it, as
// Escape does.
Answer keeping_answer() {
    return answer_of(question().on_close);
}

// A key's press answers; its release and its repeats do not. The quit key
// held on after it opened the window only repeats here; let go, its release
// may well reach the main window, before this one is up, so that its next
// press is a new one whichever window saw the release.
bool key(const GuiEvent& e) {
    if (e.code < 0 || e.code >= RAWKEY_UP || (e.qualifier & QUAL_REPEAT)) return false;
    if (e.qualifier & QUAL_LCOMMAND) {
        if (e.code == RAW_V) return answered(Answer::YES);
        if (e.code == RAW_B) return answered(Answer::NO);
    }
    if (e.code == RAW_RETURN || e.code == RAW_ENTER)
        return answered(answer_of(question().on_return));
    if (e.code == RAW_ESC) return answered(answer_of(question().on_escape));
    const u16 ch = key_table[e.code].chars[KC_PLAIN + input_keymap()];
    if (ch == 0 || ch >= 0x80) return false;
    const char typed = static_cast<char>(std::toupper(ch));
    if (typed == gui_hotkey_of(yes_text())) return answered(Answer::YES);
    if (typed == gui_hotkey_of(no_text())) return answered(Answer::NO);
    if (typed == gui_hotkey_of(confirm_text())) {
        toggle_confirm();
    } else if (media_changed_kinds() && typed == gui_hotkey_of(update_text(state.kinds).c_str())) {
        update_media();
    }
    return false;
}

bool handle(const GuiEvent& e) {
    switch (e.type) {
    case GE_CLOSE:
        return answered(keeping_answer());
    case GE_RAWKEY:
        return key(e);
    case GE_GADGET:
        switch (e.gid) {
        case GID_QUIT_YES:
            return answered(Answer::YES);
        case GID_QUIT_NO:
            return answered(Answer::NO);
        case GID_QUIT_CONFIRM:
            state.confirm = e.code != 0;
            return false;
        case GID_QUIT_UPDATE:
            update_media();
            return false;
        default:
            return false;
        }
    default:
        return false;
    }
}

} // namespace

char gui_hotkey_of(const char* text) {
    if (!text || !text[0] || !text[1]) return 0;
    const char* mark = std::strchr(text, '_');
    if (!mark || !mark[1]) return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(mark[1])));
}

namespace {

int ask_to_quit() {
    const std::string lost = lost_text();
    // A changed disk or tape is never dropped without a word, asked or not.
    if (!confirmquit && lost.empty()) return 1;
    const std::string question =
        std::string(cat_str(447, "Really quit?")) + (lost.empty() ? "" : "\n" + lost);
    if (ui_unattended_report(question.c_str(), "No")) return 0;
    if (!app_acquired.host_gui) {
        con_printf("%s\n", lost.c_str());
        return 1;
    }
    state = QuitState{};
    state.confirm = confirmquit != 0;
    state.kinds = media_changed_kinds();
    if (!gui_dialog_begin()) return 0;
    quit_window = gui_window_open(describe());
    if (!quit_window) {
        gui_dialog_abandon(true);
        return 1; // nothing to ask with: the answer is yes
    }
    gui_dialog_run(true, quit_window, handle, [] { quit_window = 0; });
    // The window closed by the host answers as its close gadget does.
    if (state.answer == Answer::NONE) state.answer = keeping_answer();
    confirmquit = state.confirm ? 1 : 0;
    return state.answer == Answer::YES ? 1 : 0;
}

} // namespace

int gui_confirm_quit() {
    // The answer to a question that said the autosave keeps something holds
    // once it is written; otherwise the question is asked again, saying so.
    int yes = 0;
    for (unkept.clear();;) {
        const bool promised = !held_kept().empty() || !held_kept_apart().empty();
        yes = ask_to_quit();
        if (!yes || !promised || (unkept = held_keep()).empty()) break;
    }
    if (!yes) held_keep_forget();
    unkept.clear();
    // Asked in a window, not by a command of the port: someone is there.
    if (yes && !ui_unattended && app_acquired.host_gui) app_quit_attended = true;
    return yes;
}
