// The commands of the scripting port: 89 names for 86 commands (SHOW, HIDE
// and REVERT are second names of ACTIVATE, DEACTIVATE and RELOAD), each with
// its argument template, its guards and its handler. Every reply is a return
// code (0 success, 5 warning, 10 error, 20 failure) and a result text; error
// texts name the command and end with a line feed.
//
//   std::string result;
//   int rc = arexx_execute("GETVERSION INTEGER", &result); // 0, "36.40"
#pragma once

#include "app/cmdline.h"
#include "commands/command_table.h"
#include "core/types.h"

#include <string>
#include <vector>

struct ArexxCall;

// One command row: its name, id (1..86), handler and argument template
// (nullptr: no arguments), and the menu item it does what it does
// (Cmd::COUNT none): such a command is refused exactly when its item is
// ghosted, with 10 and the item's reason, before its handler runs.
struct ArexxCmd {
    const char* name;
    u16 id;
    void (*handler)(ArexxCall& call);
    const char* tmpl;
    Cmd item = Cmd::COUNT;
};

// One call: the row, its parsed arguments (one per template item), and the
// reply the handler sets.
struct ArexxCall {
    const ArexxCmd* row = nullptr;
    std::vector<CmdArg> args;
    int rc = 0;
    std::string result;
};

constexpr int AREXX_COMMANDS = 89;
// The rows in stored order, then one whose name is nullptr.
extern const ArexxCmd g_arexx_commands[AREXX_COMMANDS + 1];

// Finds the row of the command word (any letter case); nullptr when none.
const ArexxCmd* arexx_find(const char* word);

// Splits a request into its command word and arguments and parses them with
// the row's template. False (with the reply's text in `why`) for an empty or
// unknown command, unmatched quotes, or arguments that do not fit.
bool arexx_parse(const char* line, ArexxCall* call, std::string* why);

// Runs one request line: parse, guard, handle. Returns the return code and
// sets the result text ("" none). Malformed requests answer 10.
int arexx_execute(const char* line, std::string* result);

// The HELP command's list of command words, one command per line, made from
// the table (the spellings of one command joined by '|').
std::string arexx_help_text();
