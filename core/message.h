// Message output: the one printf-style channel of every diagnostic, trace and
// reply, to standard output, the log file and an open disassembly file.
//
// Where the text goes besides the two files is a stack of sinks: the console
// (standard output) is the bottom one and cannot be popped; a part of the
// program that wants the text instead (a window showing replies, a script
// port answering a command, a test) pushes its sink and pops it when done.
// Only the top sink gets the text; the log file and the disassembly file get
// it whichever sink is on top.
//
// The log file is "RAM:Brindlemox.log". It is opened lazily by the first
// message while logging is on, and every message written to it also reaches
// the console and the disassembly file being written.
#pragma once

#include <cstdio>
#include <string>

constexpr int CON_BUFFER_SIZE = 16384; // longer messages are cut to fit
constexpr const char* LOG_FILE_NAME = "RAM:Brindlemox.log";

// The "logtofile" setting.
enum LogMode : int { LOG_APPEND = 0, LOG_OFF = 1, LOG_REPLACE = 2 };

extern std::FILE* log_file;        // open log file, or nullptr
extern int log_mode;               // LogMode; initially LOG_OFF
// The mode that a log which could not be opened switched off for this session
// (the settings file keeps it), or -1.
extern int log_mode_failed;
extern std::FILE* asm_output_file; // disassembly or source file being written, or nullptr
extern int rexx_quiet;             // set while a scripted debugger command runs quietly
extern int con_output_seen;        // set by every message that was output

// One event pass of the main window, run after each message so that a long run
// of messages keeps the interface alive. nullptr (the default) runs nothing.
// A message printed from inside the pass does not start another one.
extern void (*con_event_hook)();

// A sink takes each finished message (NUL-terminated, cut to CON_BUFFER_SIZE).
using ConSink = void (*)(const char* text);
constexpr int CON_SINKS_MAX = 8; // the console and seven pushed sinks

// Puts `sink` on top; false (nothing pushed) when the stack is full.
bool con_push_sink(ConSink sink);
// Takes the top sink off again; the console stays.
void con_pop_sink();
// The sink that gets the next message.
ConSink con_top_sink();
// The console: standard output, flushed at every line end, and the mirror.
void con_console_sink(const char* text);
// Also gets every text the console writes (the interface's window standing in
// for a console that nobody sees). nullptr: none. message_reset leaves it.
extern void (*con_console_mirror)(const char* text);

// Format and arguments as for printf. Every message leaves as UTF-8 (see
// text_to_utf8), to the sinks and to both files alike.
void con_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Copies `in` to `out` as UTF-8: well-formed UTF-8 sequences stay as they are,
// every other byte above $7F is read as a Latin-1 character and encoded in
// two bytes. The copy is cut at a character boundary to fit `out_size` (with
// its terminator); returns its length.
size_t text_to_utf8(const char* in, char* out, size_t out_size);
// A guest byte in a view that shows bytes as characters: printable ASCII as
// itself, any other byte (a NUL would end the text) as a middle dot.
constexpr unsigned char CON_NO_CHAR = 0xB7;
constexpr char con_shown_char(unsigned char byte) {
    return static_cast<char>(byte >= 32 && byte < 127 ? byte : CON_NO_CHAR);
}
// One Latin-1 character as UTF-8 text (one or two bytes) in `out`, which has
// room for three; returns `out`.
const char* latin1_char_utf8(unsigned char c, char* out);

// Opens the log file as `log_mode` says ("w" to replace, "a" to append). On
// failure logging is switched off. Unless `quiet`, prints the opening line.
// The log is the one file written as a stream, not through the replacing
// writer: it is appended to by design, and a crash leaves what it said.
void log_file_open(int quiet);
// Why the last open of the log failed ("can't write <host path>: <reason>"),
// "" when it did not; taking it forgets it. A menu item that chose a log mode
// and opened nothing has failed, and says so on the port.
std::string log_take_open_failure();

// Prints the closing line (so that it reaches the file) and closes the log file.
void log_file_close();

// Start-up holds the log until the session has really started: what is said
// meanwhile is kept back (and shown on the console as ever), so that a run
// that ends earlier, on a mistyped argument say, opens no log and replaces
// none. log_release writes what was kept back, opening the log as its
// setting then says (nothing when it is off), and logs directly from then on.
void log_hold();
void log_release();

// A session on a home that another session holds leaves the log to that one:
// logging is off and stays off, so that the other session's log is never
// replaced or written into. Choosing a log mode then says `why` on the
// console and opens nothing.
void log_leave_to_other(const char* why);

// The log-setting menu items: choosing another mode closes the log file, and
// for append or replace opens it again at once with its opening line; then
// the menu item is refreshed. Choosing the current mode, or no valid mode,
// does nothing.
void log_mode_select(int mode);

// Back to the start-up state: log file closed without its closing line, logging
// off and not held, no output file, hook or quiet flag, only the console sink.
void message_reset();
