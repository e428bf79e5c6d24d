#include "core/held_things.h"

#include "core/message.h"
#include "core/ui_host.h"

#include <cctype>

namespace {
std::vector<HeldThing> things;
} // namespace

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
    std::vector<std::string> said;
    for (const HeldThing& t : things)
        if (t.lost)
            if (std::string clause = t.lost(); !clause.empty()) said.push_back(std::move(clause));
    return said;
}

std::vector<std::string> held_running() {
    std::vector<std::string> said;
    for (const HeldThing& t : things)
        if (t.running)
            if (std::string clause = t.running(); !clause.empty())
                said.push_back(std::move(clause));
    return said;
}

void held_report_lost(const char* what) {
    std::string text;
    for (std::string clause : held_lost()) {
        if (!text.empty()) {
            clause[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(clause[0])));
            text += "; ";
        }
        text += clause;
    }
    if (text.empty()) return;
    text += std::string("; ") + what + ".";
    if (!ui_unattended_report(text.c_str(), nullptr)) con_printf("%s\n", text.c_str());
}

void held_finish(HeldScope scope) {
    for (const HeldThing& t : things)
        if (t.finish && (scope == HeldScope::program || t.with_machine)) t.finish();
}
