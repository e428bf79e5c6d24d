#include "core/message.h"
#include "core/message_date.h"
#include "core/notify.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <string>
#include <unistd.h>

std::FILE* log_file = nullptr;
int log_mode = LOG_OFF;
int log_mode_failed = -1;
std::FILE* asm_output_file = nullptr;
int rexx_quiet = 0;
int con_output_seen = 0;
void (*con_event_hook)() = nullptr;
void (*con_console_mirror)(const char* text) = nullptr;

static char con_buffer[CON_BUFFER_SIZE];
static char con_utf8[CON_BUFFER_SIZE];
static bool in_event_pass = false;
static bool log_held = false;
static std::string log_kept_back;
static std::string log_left_why; // why this session writes no log ("" when it may)
static std::string log_open_failure; // why the last open failed ("" when it did not)
// What start-up may say before its session starts is a few lines; a flood
// beyond this is not kept for the log.
constexpr size_t LOG_KEPT_BACK_MAX = 64 * 1024;

// A text being built in a fixed buffer; what does not fit is cut off.
struct TextBuf {
    char* data;
    size_t size; // capacity, including the NUL
    size_t used;
};

static void append_v(TextBuf& b, const char* format, va_list args) {
    if (b.used + 1 >= b.size) return;
    int n = std::vsnprintf(b.data + b.used, b.size - b.used, format, args);
    if (n < 0) {
        b.data[b.used] = '\0';
        return;
    }
    size_t room = b.size - 1 - b.used;
    b.used += static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room;
}

static void append(TextBuf& b, const char* format, ...) {
    va_list args;
    va_start(args, format);
    append_v(b, format, args);
    va_end(args);
}

// The line that starts a log: how the file was opened, or that it could not be.
// `opened_mode` is the mode the open was attempted in.
static void put_opening_line(TextBuf& b, int opened_mode) {
    if (!log_file) {
        append(b, cat_str(971, "Can't open %s for writing!\n\n"), LOG_FILE_NAME);
        return;
    }
    const char* text = opened_mode == LOG_REPLACE
                           ? cat_str(762, "Opened %s for writing at %s.\n\n")
                           : cat_str(461, "Opened %s for appending at %s.\n\n");
    append(b, text, LOG_FILE_NAME, format_date_time_long());
}

// Length of the well-formed UTF-8 sequence at p (2..4), or 0 when there is none.
static size_t utf8_sequence(const unsigned char* p) {
    const unsigned char c = p[0];
    size_t n;
    unsigned char lo = 0x80, hi = 0xBF; // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (p[1] < lo || p[1] > hi) return 0;
    for (size_t i = 2; i < n; i++)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return n;
}

const char* latin1_char_utf8(unsigned char c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        out[1] = '\0';
    } else {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        out[2] = '\0';
    }
    return out;
}

size_t text_to_utf8(const char* in, char* out, size_t out_size) {
    if (!out || out_size == 0) return 0;
    size_t used = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in ? in : "");
    while (*p) {
        char one[3];
        size_t n = *p < 0x80 ? 1 : utf8_sequence(p);
        const char* from = reinterpret_cast<const char*>(p);
        size_t take = n;
        if (n == 0) { // a Latin-1 byte
            from = latin1_char_utf8(*p, one);
            n = 2;
            take = 1;
        }
        if (used + n >= out_size) break;
        std::memcpy(out + used, from, n);
        used += n;
        p += take;
    }
    out[used] = '\0';
    return used;
}

static ConSink sinks[CON_SINKS_MAX] = {con_console_sink};
static int sink_count = 1;

void con_console_sink(const char* text) {
    for (const char* p = text; *p; p++) {
        std::putchar(*p);
        if (*p == '\n') std::fflush(stdout);
    }
    if (con_console_mirror) con_console_mirror(text);
}

bool con_push_sink(ConSink sink) {
    if (!sink || sink_count >= CON_SINKS_MAX) return false;
    sinks[sink_count++] = sink;
    return true;
}

void con_pop_sink() {
    if (sink_count > 1) sink_count--;
}

ConSink con_top_sink() {
    return sinks[sink_count - 1];
}

void con_printf(const char* format, ...) {
    if (rexx_quiet) return;
    con_output_seen = 1;
    TextBuf b{con_buffer, sizeof con_buffer, 0};
    con_buffer[0] = '\0';
    if (!log_file && log_mode != LOG_OFF && !log_held) {
        int mode = log_mode;
        log_file_open(1);
        put_opening_line(b, mode);
    }
    if (format) {
        va_list args;
        va_start(args, format);
        append_v(b, format, args);
        va_end(args);
    }
    const size_t length = text_to_utf8(con_buffer, con_utf8, sizeof con_utf8);
    if (log_held) {
        if (log_kept_back.size() + length <= LOG_KEPT_BACK_MAX) log_kept_back.append(con_utf8, length);
    } else if (log_file) {
        std::fwrite(con_utf8, 1, length, log_file);
    }
    if (asm_output_file) std::fwrite(con_utf8, 1, length, asm_output_file);
    con_top_sink()(con_utf8);

    if (con_event_hook && !in_event_pass) {
        in_event_pass = true;
        con_event_hook();
        in_event_pass = false;
    }
}

void log_file_open(int quiet) {
    if (log_mode == LOG_OFF) return;
    if (!log_left_why.empty()) {
        log_mode = LOG_OFF;
        ui_mark(UI_MENUS); // the log setting
        if (!quiet) con_printf("%s\n", log_left_why.c_str());
        return;
    }
    if (log_file) { // reopening: drop the old handle first
        std::fclose(log_file);
        log_file = nullptr;
    }
    int mode = log_mode;
    // The host path is absolute, so the current directory does not matter here.
    std::string path = path_to_host(LOG_FILE_NAME);
    // Only a regular file is taken: a FIFO would hold the program until
    // something reads it. In a shared RAM: (/tmp) a link or another user's
    // file at the name is not written through.
    const bool append = mode != LOG_REPLACE;
    const int fd = path_ram_is_private() ? path_open_regular_write(path, append)
                                         : path_open_own_regular_write(path, append);
    if (fd >= 0) {
        log_file = fdopen(fd, mode == LOG_REPLACE ? "w" : "a");
        if (!log_file) close(fd);
    }
    log_open_failure = log_file ? "" : "can't write " + path + ": " + std::strerror(errno);
    if (!log_file) {
        log_mode_failed = mode;
        log_mode = LOG_OFF;
        ui_mark(UI_MENUS); // the log setting
    }
    if (!quiet) {
        char line[512];
        line[0] = '\0';
        TextBuf b{line, sizeof line, 0};
        put_opening_line(b, mode);
        con_printf("%s", line);
    }
}

std::string log_take_open_failure() {
    std::string why;
    why.swap(log_open_failure);
    return why;
}

void log_file_close() {
    if (!log_file) return;
    con_printf(cat_str(462, "Closed %s at %s.\n\n"), LOG_FILE_NAME, format_date_time_long());
    std::fclose(log_file);
    log_file = nullptr;
}

void log_hold() {
    log_held = true;
    log_kept_back.clear();
}

void log_release() {
    if (!log_held) return;
    log_held = false;
    std::string text;
    text.swap(log_kept_back);
    if (text.empty() || log_mode == LOG_OFF) return;
    if (!log_file) con_printf(nullptr); // opens it, with its opening line
    if (log_file) std::fwrite(text.data(), 1, text.size(), log_file);
}

void log_leave_to_other(const char* why) {
    log_left_why = why && *why ? why : "No log is written.";
    log_mode = LOG_OFF;
}

void message_reset() {
    log_held = false;
    log_kept_back.clear();
    log_left_why.clear();
    if (log_file) std::fclose(log_file);
    log_file = nullptr;
    log_mode = LOG_OFF;
    log_mode_failed = -1;
    log_open_failure.clear();
    asm_output_file = nullptr;
    rexx_quiet = 0;
    con_output_seen = 0;
    con_event_hook = nullptr;
    in_event_pass = false;
    sink_count = 1;
}

void log_mode_select(int mode) {
    // The user's choice; what its open says is this choice's alone.
    if (mode >= LOG_APPEND && mode <= LOG_REPLACE) log_mode_failed = -1;
    log_open_failure.clear();
    if (mode < LOG_APPEND || mode > LOG_REPLACE || mode == log_mode) return;
    log_file_close();
    log_mode = mode;
    if (mode != LOG_OFF) log_file_open(0);
    ui_mark(UI_MENUS); // the log setting
}
