#include "core/held_things.h"

#include "core/message.h"
#include "core/ui_host.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>

namespace {
std::vector<HeldThing> things;
bool (*autosave_check)() = nullptr;
std::string (*older_autosave)() = nullptr;
std::string (*keeper)() = nullptr;
void (*keeper_forget)() = nullptr;
bool first_finished = false;       // held_finish_first ran on this way out
std::vector<std::string> named_lost; // the clauses held_report_lost named
std::vector<std::string> named_kept; // the sentences of what is kept it named

// The clauses of one kind, the first letter of each after the first in lower case.
std::string joined(const std::vector<std::string>& clauses) {
    std::string text;
    for (std::string clause : clauses) {
        if (!text.empty()) {
            clause[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(clause[0])));
            text += "; ";
        }
        text += clause;
    }
    return text;
}

// The clauses one question of every holder answers, those that say anything
// (of the holders that keep something in the autosave only, with `keepers`).
std::vector<std::string> clauses_of(std::string (*HeldThing::*question)(), bool keepers = false) {
    std::vector<std::string> said;
    for (const HeldThing& t : things)
        if (t.*question && (!keepers || t.kept))
            if (std::string clause = (t.*question)(); !clause.empty())
                said.push_back(std::move(clause));
    return said;
}
} // namespace

void held_set_autosave_check(bool (*writes)()) {
    autosave_check = writes;
}

bool held_autosave_written() {
    return autosave_check && autosave_check();
}

void held_set_older_autosave(std::string (*older)()) {
    older_autosave = older;
}

std::string held_older_autosave() {
    return older_autosave ? older_autosave() : "";
}

std::vector<std::string> held_kept_older() {
    if (held_older_autosave().empty()) return {};
    return clauses_of(&HeldThing::kept_older);
}

std::string held_kept_older_words() {
    return "the older autosave \"" + path_to_host(held_older_autosave()) +
           "\" keeps them as they were when it was written";
}

// What is kept for the next start, each clause with the words that say
// where: what the autosave keeps (unless `keepers`: it was not written),
// what is kept apart from it, what the older autosave keeps.
static std::vector<std::string> kept_sentences(bool keepers) {
    std::vector<std::string> said;
    for (const std::string& clause : keepers ? std::vector<std::string>{} : held_kept())
        said.push_back(clause + "; " + held_kept_words + ".");
    for (const std::string& clause : held_kept_apart())
        said.push_back(clause + ".");
    for (const std::string& clause : held_kept_older())
        said.push_back(clause + "; " + held_kept_older_words() + ".");
    return said;
}

// The clauses that follow `lost` (said with `what`): what is kept.
static std::string with_kept(std::string text, const char* what, bool keepers) {
    if (!text.empty()) text += std::string("; ") + what + ".";
    for (const std::string& sentence : kept_sentences(keepers))
        text += (text.empty() ? "" : " ") + sentence;
    return text;
}

std::vector<std::string> held_kept_apart() {
    return clauses_of(&HeldThing::kept_apart);
}

std::string held_unkept_text() {
    return with_kept(joined(clauses_of(&HeldThing::lost, true)), "they are dropped", true);
}

void held_set_keeper(std::string (*keep)(), void (*forget)()) {
    keeper = keep;
    keeper_forget = forget;
}

std::string held_keep() {
    return keeper ? keeper() : "";
}

void held_keep_forget() {
    first_finished = false;
    named_lost.clear();
    named_kept.clear();
    if (keeper_forget) keeper_forget();
}

std::vector<std::string> held_kept() {
    if (!held_autosave_written()) return {};
    return clauses_of(&HeldThing::kept);
}

std::vector<std::string> held_finished() {
    return clauses_of(&HeldThing::finished);
}

const char* const held_kept_words = "the autosave keeps them for the next start";

void held_things_add(const HeldThing& thing) {
    things.push_back(thing);
}

void held_things_clear() {
    things.clear();
    first_finished = false;
    named_lost.clear();
    named_kept.clear();
}

const std::vector<HeldThing>& held_things() {
    return things;
}

std::vector<std::string> held_lost() {
    return clauses_of(&HeldThing::lost);
}

std::vector<std::string> held_running() {
    return clauses_of(&HeldThing::running);
}

void held_report_lost(const char* what) {
    held_finish_first();
    held_keep(); // one not written says so, and what it was to keep is lost
    const std::vector<std::string> lost = held_lost();
    named_lost.insert(named_lost.end(), lost.begin(), lost.end());
    const std::vector<std::string> kept = kept_sentences(false);
    named_kept.insert(named_kept.end(), kept.begin(), kept.end());
    const std::string text = with_kept(joined(lost), what, false);
    if (text.empty()) return;
    if (!ui_unattended_report(text.c_str(), nullptr)) con_printf("%s\n", text.c_str());
}

void held_finish(HeldScope scope) {
    if (scope == HeldScope::program) held_finish_first();
    for (const HeldThing& t : things) {
        if (!t.finish || !(scope == HeldScope::program ? !t.finish_first : t.with_machine))
            continue;
        if (scope == HeldScope::machine && t.finish_with_machine)
            t.finish_with_machine();
        else
            t.finish();
    }
}

void held_finish_first() {
    if (first_finished) return;
    first_finished = true;
    // On the way out nobody is asked: what cannot be finished is said.
    const bool unattended = ui_unattended;
    ui_unattended = true;
    for (const HeldThing& t : things)
        if (t.finish && t.finish_first) t.finish();
    ui_unattended = unattended;
}

void held_report_unnamed_lost(const char* what) {
    std::vector<std::string> lost;
    for (const std::string& clause : held_lost())
        if (std::find(named_lost.begin(), named_lost.end(), clause) == named_lost.end())
            lost.push_back(clause);
    std::string text = lost.empty() ? "" : joined(lost) + "; " + what + ".";
    named_lost.insert(named_lost.end(), lost.begin(), lost.end());
    for (const std::string& sentence : kept_sentences(false))
        if (std::find(named_kept.begin(), named_kept.end(), sentence) == named_kept.end()) {
            named_kept.push_back(sentence);
            text += (text.empty() ? "" : " ") + sentence;
        }
    if (!text.empty()) ui_report_failure(text + "\n");
}
