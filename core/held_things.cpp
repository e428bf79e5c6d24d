#include "core/held_things.h"

#include "core/message.h"
#include "core/ui_host.h"

#include <cctype>

namespace {
std::vector<HeldThing> things;
bool (*autosave_check)() = nullptr;
std::string (*keeper)() = nullptr;
void (*keeper_forget)() = nullptr;

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

// The clauses one question of every holder answers, those that say anything.
std::vector<std::string> clauses_of(std::string (*HeldThing::*question)()) {
    std::vector<std::string> said;
    for (const HeldThing& t : things)
        if (t.*question)
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

void held_set_keeper(std::string (*keep)(), void (*forget)()) {
    keeper = keep;
    keeper_forget = forget;
}

std::string held_keep() {
    return keeper ? keeper() : "";
}

void held_keep_forget() {
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
    held_keep(); // one not written says so, and what it was to keep is lost
    std::string text = joined(held_lost());
    if (!text.empty()) text += std::string("; ") + what + ".";
    for (const std::string& clause : held_kept())
        text += (text.empty() ? "" : " ") + clause + "; " + held_kept_words + ".";
    if (text.empty()) return;
    if (!ui_unattended_report(text.c_str(), nullptr)) con_printf("%s\n", text.c_str());
}

void held_finish(HeldScope scope) {
    for (const HeldThing& t : things)
        if (t.finish && (scope == HeldScope::program || t.with_machine)) t.finish();
}
