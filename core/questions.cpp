#include "core/questions.h"

#include "core/ui_host.h"

#include <iterator>

namespace {
constexpr unsigned bit(int b) {
    return 1u << b;
}
} // namespace

constexpr QuestionRow question_table[] = {
    {Question::replace_file, "a file at a name the program makes", "Brindlemox", "_Replace|_Keep",
     1, 1, bit(1), false, 0},
    {Question::output_appeared, "a file that appeared at a recording's output", "Brindlemox",
     "_Replace|_Keep", 1, 1, bit(1), false, 0},
    // %1 the update ("Update disk..."), %2 what loses the changes ("Drop").
    // Return updates, Escape keeps the medium as it is.
    {Question::changed_medium, "a changed disk or tape", "Brindlemox", "_%1|_%2|_Cancel", 0, 2,
     bit(0) | bit(2), false, 0},
    {Question::disk_name_taken, "a disk's image name that another file has", "Brindlemox",
     "_Replace|_Save as...|_Cancel", 2, 2, bit(1) | bit(2), false, 0},
    {Question::record_or_play, "Record or play?", "Question", "_Record|_Play", 1, 1, bit(1), false,
     0},
    {Question::save_over, "a file the save requester would replace", nullptr, "_Yes|_No", 1, 1,
     bit(1), false, 0},
    {Question::script_question, "a script's question", nullptr, "OK|Cancel", 0, 1, 0, false, 0},
    // The quit window: Return and the close gadget quit, Escape does not.
    {Question::quit, "Really quit?", "Brindlemox", "_Yes|_No", 0, 0, 0, true, 1},
    // %1 the update button. Nothing but Yes loses what is held.
    {Question::quit_losing, "Really quit? with changed media", "Brindlemox", "_Yes|_No|_%1", 1, 1,
     bit(1) | bit(2), true, 1},
};

namespace {

// A row keeps what it could lose under Return, Escape and the close gadget,
// and a requester's Escape and close gadget are its last button.
constexpr bool keeps_under_every_key(const QuestionRow& r) {
    const int last = question_buttons(r.buttons) - 1;
    if (r.on_return < 0 || r.on_return > last || r.on_close < 0 || r.on_close > last) return false;
    if (!r.own_window && r.on_close != last) return false;
    if (r.keeps == 0) return true;
    const int escape = r.own_window ? r.on_escape : r.on_close;
    return (r.keeps & bit(r.on_return)) && (r.keeps & bit(r.on_close)) && (r.keeps & bit(escape));
}

constexpr bool table_in_order() {
    for (std::size_t i = 0; i < std::size(question_table); ++i)
        if (static_cast<std::size_t>(question_table[i].id) != i ||
            !keeps_under_every_key(question_table[i]))
            return false;
    return true;
}
static_assert(table_in_order(), "a question row out of order, or one that loses under a key");

} // namespace

const std::size_t question_count = std::size(question_table);

const QuestionRow& question_row(Question q) {
    return question_table[static_cast<std::size_t>(q)];
}

int question_answer(const QuestionRow& row, int button) {
    return button >= question_buttons(row.buttons) - 1 ? 0 : button + 1;
}

std::string question_buttons_text(const QuestionRow& row, const char* word1, const char* word2) {
    std::string text = row.buttons;
    for (const auto& [mark, word] : {std::pair{"%1", word1}, std::pair{"%2", word2}})
        if (const std::size_t at = text.find(mark); at != std::string::npos)
            text.replace(at, 2, word ? word : "");
    return text;
}

int ui_ask(Question q, const std::string& text, const char* word1, const char* word2,
           const char* title) {
    const QuestionRow& row = question_row(q);
    if (row.own_window || !ui_host.question) return 0;
    const std::string buttons = question_buttons_text(row, word1, word2);
    return ui_host.question(row.title ? row.title
                            : title   ? title
                                      : "Brindlemox",
                            text.c_str(), buttons.c_str(), row.on_return);
}
