// The shell command line: a template parser ("FILE,ASM/K,PRI/K/N,LOCKCONFIG/S")
// and the program's own arguments taken from it.
//
// Template items are separated by commas; "NAME=ALIAS" gives a second name.
// /K: the value must follow the keyword ("KEY value" or "KEY=value");
// /S: a switch, set by its keyword alone; /N: the value is a decimal number;
// /A: required; /F: the rest of the line, from this value on, as one text.
// Items without /K or /S also take values by position.
// Keywords match without regard to case.
#pragma once

#include <string>
#include <vector>

struct CmdArg {
    bool given = false;
    std::string text; // the value as typed (/K and positional)
    long number = 0;  // /N
    bool by_position = false; // taken by position, not after its keyword
};

// Parses argv[1..argc-1] against `tmpl` into one CmdArg per template item.
// Returns false when the line does not fit the template; `why` then says how.
// `rest`, when given, holds for each argv index the raw text of the line from
// that word on (what a /F item takes); without it /F joins the words by blanks.
bool cmdline_parse(const char* tmpl, int argc, const char* const* argv, std::vector<CmdArg>& out,
                   std::string* why, const char* const* rest = nullptr);

// Splits a command line into words: blanks separate them; double quotes
// enclose blanks (also after "KEY="), inside them *" is a quote, ** a star,
// *N a line feed and *E an escape. `rests` gets the raw line from each word
// on. False ("unmatched quotes") when a quote is left open.
bool cmdline_split_line(const char* line, std::vector<std::string>& words,
                        std::vector<std::string>& rests, std::string* why);
// Splits `line` and parses its words against `tmpl` (all of them: the command
// word is the caller's to take off first).
bool cmdline_parse_line(const char* tmpl, const char* line, std::vector<CmdArg>& out,
                        std::string* why);

// The program's template and its item indices.
extern const char* const cmdline_template;
enum CmdItem {
    ARG_FILE,
    ARG_ASM,
    ARG_CLIPUNIT,
    ARG_DISGAME,
    ARG_FULLSCREEN,
    ARG_LOCKCONFIG,
    ARG_NOLOWLEVEL,
    ARG_PORT,
    ARG_PORTNAME,
    ARG_PRI,
    ARG_PUBSCREEN,
    ARG_SETTINGS,
    ARG_STARTUP,
    ARG_SYM,
    ARG_UPGRADE,
    ARG_COUNT
};

// What the arguments ask for, taken in the program's order. A failure prints
// its message on standard output and returns the exit code (1); success returns 0.
// An UPGRADE run without LOCKCONFIG sets `cmdline_upgrade` and returns 0.
int cmdline_take(int argc, const char* const* argv);
// "?", "-h" or "--help" among the arguments: the caller prints the help and ends.
bool cmdline_help_asked(int argc, const char* const* argv);
// "--version" among the arguments: the caller prints cmdline_version and ends.
bool cmdline_version_asked(int argc, const char* const* argv);
extern const char* const cmdline_version; // "Brindlemox <version>"
// The template and one line per argument, on standard output.
void cmdline_print_help(const char* me);
extern bool cmdline_upgrade;    // UPGRADE given (the caller runs the upgrade and exits)
extern bool cmdline_file_named; // FILE or DISGAME named a file
extern bool cmdline_settings_given;
extern bool cmdline_fullscreen_given;
extern int cmdline_fullscreen; // 0 OFF, 1 ON when given
extern long cmdline_net_port;  // PORT when given, else -1
extern long cmdline_clip_unit; // CLIPUNIT when given, else -1
