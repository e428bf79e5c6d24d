#include "core/ui_host.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/session.h"

#include <cstdio>

static bool none_open() {
    return false;
}
static bool no_tool_open(int) {
    return false;
}
static void warn_on_stderr(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}
static void nothing() {}
static void nothing_int(int) {}
static int cancelled_request(const char*, const char*, int, const char*, const char*, char*) {
    return 1;
}
static int cancelled_save(const char*, const char*, const char*, const char*, const SaveName&,
                          char*) {
    return 1;
}
static int cancelled_save_also(const char*, const char*, const char*, const char*,
                               const SaveName&, const SaveAlso&, char*) {
    return 1;
}
static int cancelled_prompt() {
    return 0;
}
static int not_confirmed() {
    return 0;
}

static void no_clip_iff(const unsigned char*, unsigned long) {
    ui_beep();
}
static void no_clip_text(const char*) {
    ui_beep();
}

static const UiHost batch_host = {
    none_open,      none_open,        no_tool_open, warn_on_stderr, nothing, cancelled_request,
    cancelled_save, cancelled_prompt, nothing_int,  nothing,        nothing, nothing,
    nothing,        nothing,          nothing,      nothing,        nothing, nothing,
    nothing_int,    not_confirmed,    nothing,      nullptr,        nullptr, nullptr,
    no_clip_iff,    no_clip_text,     nullptr,      nullptr,        nullptr, nullptr,
    nullptr,        nullptr,          nullptr,      nullptr,         cancelled_save_also,
};

UiHost ui_host = batch_host;

void ui_host_defaults() {
    ui_host = batch_host;
}

static UiWarningsTo* warnings_to = nullptr; // the last made of those alive
static std::string run_reported; // what the run reported since the port's last answer

void ui_warning(const char* text) {
    if (warnings_to) {
        warnings_to->sink_(text ? text : "");
        return;
    }
    ui_host.warning(text);
}

UiWarningsTo::UiWarningsTo(std::function<void(const std::string&)> sink)
    : sink_(std::move(sink)), outer_(warnings_to) {
    warnings_to = this;
}
UiWarningsTo::~UiWarningsTo() {
    end();
}
void UiWarningsTo::end() {
    if (ended_) return;
    ended_ = true;
    warnings_to = outer_;
}

UiWarningsGathered::UiWarningsGathered()
    : UiWarningsTo([this](const std::string& text) {
          said_ += text;
          if (said_.empty() || said_.back() != '\n') said_ += '\n';
      }) {}
UiWarningsGathered::~UiWarningsGathered() {
    end();
    // What nobody took is said all the same.
    if (said_.empty()) return;
    if (said_.back() == '\n') said_.pop_back();
    ui_warning(said_.c_str());
}
std::string UiWarningsGathered::take() {
    std::string said;
    said.swap(said_);
    return said;
}

void ui_status_text(const char* text) {
    if (ui_host.status_text) ui_host.status_text(text);
}

void ui_beep() {
    ui_host.beep();
}

void ui_reinitialize() {
    if (ui_host.reinitialize)
        ui_host.reinitialize();
    else
        machine_switch(static_cast<int>(machine), static_cast<int>(memmap), true, false, false);
}

bool ui_unattended = false;
static std::string reported; // what the running command's requesters said
static std::string exit_reported; // what the requesters said on the way out

// On the way out nobody is asked either: the exit path must end the program
// however it is left (a signal, a logout, QUIT from a script).
bool ui_nobody_to_ask() {
    return ui_unattended || app_exiting;
}

bool ui_unattended_report(const char* text, const char* answer) {
    if (!ui_nobody_to_ask()) return false;
    std::string said = text ? text : "";
    if (said.empty() || said.back() != '\n') said += '\n';
    if (answer)
        said += "Answered \"" + std::string(answer) + "\" without asking: " +
                (app_exiting ? "the program is quitting" : "a script command is running") + ".\n";
    con_printf("%s", said.c_str());
    reported += said;
    if (app_exiting) exit_reported += said;
    return true;
}

void ui_report_failure(const std::string& text) {
    if (!ui_unattended_report(text.c_str(), nullptr)) con_printf("%s", text.c_str());
}

void ui_report_in_run(const std::string& text) {
    std::string said = text;
    if (said.empty() || said.back() != '\n') said += '\n';
    if (!ui_unattended_report(said.c_str(), nullptr)) {
        con_printf("%s", said.c_str());
        run_reported += said;
    }
    const std::string line = said.substr(0, said.find('\n'));
    ui_status_text(line.c_str());
}

std::string ui_take_exit_reports() {
    std::string said;
    said.swap(exit_reported);
    return said;
}

int ui_unattended_run(int (*command)(const char* line, std::string* result), const char* line,
                      std::string* result) {
    // What the run reported since the last answer leads this one.
    reported.swap(run_reported);
    run_reported.clear();
    const bool was = ui_unattended;
    ui_unattended = true;
    int rc = command(line, result);
    ui_unattended = was;
    if (!reported.empty()) {
        if (result->find(reported) == std::string::npos) *result = reported + *result;
        if (rc < 5) rc = 5;
        reported.clear();
    }
    return rc;
}
