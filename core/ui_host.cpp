#include "core/ui_host.h"

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
static int cancelled_prompt() {
    return 0;
}
static int not_confirmed() {
    return 0;
}

static const UiHost batch_host = {
    none_open,        none_open,   no_tool_open, warn_on_stderr, nothing, cancelled_request,
    cancelled_prompt, nothing_int, nothing,      nothing,        nothing, nothing,
    nothing,          nothing,     nothing,      nothing,        nothing, nothing_int,
    not_confirmed,    nothing,     nullptr,
};

UiHost ui_host = batch_host;

void ui_host_defaults() {
    ui_host = batch_host;
}

void ui_host_enter_batch() {
    ui_host.warning = batch_host.warning;
    ui_host.beep = batch_host.beep;
    ui_host.file_request = batch_host.file_request;
    ui_host.choose_load_address = batch_host.choose_load_address;
}

void ui_warning(const char* text) {
    ui_host.warning(text);
}

void ui_beep() {
    ui_host.beep();
}
