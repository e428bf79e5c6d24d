// Every question the program asks, one row each: its title, its buttons,
// which button Return, Escape and the window's close gadget answer with, and
// which buttons keep what the question could lose.
//
// The rule the table holds: a question that can lose a file or a change
// (replace it, drop it, record over it, quit without it) keeps it under
// Return, under Escape and under the close gadget; where keeping it as it is
// cannot work (a write-protected or full target) it still offers Cancel or
// another name, so that dropping is never the only way on. Every question is
// asked through ui_ask with its row, which gives the buttons and the answer
// under Return; Escape, the close gadget and nobody to ask (a port command, a
// batch run) answer with the last button. The rows are checked when the
// program is compiled (questions.cpp).
#pragma once

#include <cstddef>
#include <string>

enum class Question : int {
    replace_file,    // a writer's output name holds a file the program did not write
    output_appeared, // a file appeared at a recording's output while it ran
    changed_medium,  // a changed disk or MDCR tape is about to be replaced, dropped or ejected
    disk_name_taken, // a disk's image name holds another file
    record_or_play,  // the CD2650's tape motor turned on away from its monitor
    save_over,       // the save requester: a file of the chosen name exists
    script_question, // a script's REQUESTRESPONSE
    quit,            // the quit window, nothing held
    quit_losing,     // the quit window naming what quitting loses
};

struct QuestionRow {
    Question id;
    const char* name;    // the row's name in messages and tests
    const char* title;   // nullptr: the caller's (the file requester's, a script's)
    const char* buttons; // "A|B|C": a "_" marks a button's key; "%1" and "%2" the caller's words
    int on_return;       // the button (counted from 0) under Return
    int on_close;        // the button under Escape and the close gadget
    unsigned keeps;      // bit b: button b keeps what the question could lose; 0: it loses nothing
    // Drawn by a window of its own (the quit window: Escape answers No there,
    // and the close gadget as Return), not by the requester.
    bool own_window;
    int on_escape; // own windows only: the button under Escape
};

extern const QuestionRow question_table[];
extern const std::size_t question_count;

const QuestionRow& question_row(Question q);

// The number of buttons of a row's "A|B|C".
constexpr int question_buttons(const char* buttons) {
    int n = 1;
    for (const char* c = buttons; *c; ++c)
        n += *c == '|';
    return n;
}

// The answer a requester gives for button `b` of `row` (counted from 0): 1 for
// the first, 2 for the second and so on, 0 for the last.
int question_answer(const QuestionRow& row, int button);

// Asks question `q` with `text` through the interface (ui_host.question):
// the answer as question_answer gives it; the last button's (0) when nobody
// can be asked. `word1` and `word2` fill the row's "%1" and "%2"; `title`
// stands for a row without a title of its own.
int ui_ask(Question q, const std::string& text, const char* word1 = nullptr,
           const char* word2 = nullptr, const char* title = nullptr);
// The row's buttons with the caller's words filled in.
std::string question_buttons_text(const QuestionRow& row, const char* word1, const char* word2);
