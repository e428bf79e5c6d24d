// The help texts: one per category, a header and one command form per line,
// the syntax in a column of 32 characters and its description after it.
//
// The forms list every command the category names; a form shows only the
// command words that the interpreter knows, so that a command appears in the
// help once it exists. Forms without their own description take the command
// table's.
#include "core/message.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct HelpForm {
    int category;
    const char* syntax;      // aliases joined by '|', a blank, then the arguments
    const char* description; // nullptr: the command table's description
};

constexpr int HELP_CATEGORIES = 12;
constexpr size_t SYNTAX_COLUMN = 32;
constexpr size_t LINE_WIDTH = 80;

const char* const headers[HELP_CATEGORIES] = {
    "General:", "File:",        "Disk:",    "Edit:",  "View:",    "Log:",
    "Run:",     "Breakpoints:", "Symbols:", "Tools:", "Options:", "Graphics:"};

const HelpForm forms[] = {
    {0, "\"<message>", "send a chat message to the other player"},
    {0, "CLEARCOV", nullptr},
    {0, "CLS", nullptr},
    {0, "H|HELP|? [0|G]", "general commands"},
    {0, "H|HELP|? 1|F", "file commands"},
    {0, "H|HELP|? 2|D", "disk commands"},
    {0, "H|HELP|? 3|E", "edit commands"},
    {0, "H|HELP|? 4|V", "view commands"},
    {0, "H|HELP|? 5|L", "log commands"},
    {0, "H|HELP|? 6|R", "run commands"},
    {0, "H|HELP|? 7|B", "breakpoint commands"},
    {0, "H|HELP|? 8|S", "symbol commands"},
    {0, "H|HELP|? 9|T", "tool commands"},
    {0, "H|HELP|? 10|O", "option commands"},
    {0, "H|HELP|? 11|A", "graphics commands"},
    {0, "SAY|SPEAK|SPK <message>", nullptr},
    {0, "SYS|SYSTEM", nullptr},

    {1, "*<command>", "run a command of the host shell"},
    {1, "ASM <filename>", nullptr},
    {1, "DL", nullptr},
    {1, "DISGAME [<start-address> <end-address>] [<filename>]", nullptr},
    {1, "ED|EDIT <filename>", nullptr},
    {1, "LOADBIN|LOAD <start-address> <filename>", nullptr},
    {1, "SAVEAOF|SAVEEOF <start-address> <end-address> [<filename> [<game-start> [<block-size>]]]",
     nullptr},
    {1, "SAVEBIN <start-address> <end-address> <filename>", nullptr},
    {1, "SAVEBPNF|SAVEBNPF <start-address> <end-address> <filename>", nullptr},
    {1, "SAVECMD|SAVEIMAG|SAVEMOD <start-address> <end-address> [<filename> [<game-start>]]",
     nullptr},
    {1, "SAVEHEX <start-address> <end-address> <filename>", nullptr},
    {1, "SAVETVC <start-address> <end-address> [<filename> [<game-start>]]", nullptr},
    {1, "SAVESMS <end-address> <filename>", nullptr},

    {2, "DEL|DELETE <filename>", nullptr},
    {2, "DIR|LD|LDIR [<drive>]", nullptr},
    {2, "DRIVE [<drive>]", nullptr},
    {2, "EXTRACT [<filename>]", nullptr},
    {2, "INJECT <filename>", nullptr},
    {2, "REN|RENAME <oldname> <newname>", nullptr},

    {3, "DOKE <address> [<value>]", nullptr},
    {3, "E|POKE [<address> [<value>]]", nullptr},
    {3, "FPOKE <address> <value>", nullptr},
    {3, "WRITEPORT <port>|CTRL|DATA <value>", nullptr},

    {4, "= [<address>]", nullptr},
    {4, "COVER [<reporttype>]", nullptr},
    {4, "D|PEEK <start-address> [<end-address>]", nullptr},
    {4, "DIS [<start-address> [<end-address>]]", nullptr},
    {4, "ERROR <number>", nullptr},
    {4, "FPEEK <startaddr> [<endaddr>]", nullptr},
    {4, "HISTORY", nullptr},
    {4, "IM [<start-address> <end-address>] [<filename>]", nullptr},
    {4, "READPORT <port>|CTRL|DATA", nullptr},
    {4, "V|VIEW BASIC", "show the BASIC variables"},
    {4, "V|VIEW BIOS", "show the monitor's RAM variables"},
    {4, "V|VIEW CPU", "show the processor status"},
    {4, "V|VIEW PSG", "show the sound chips"},
    {4, "V|VIEW RAM", "show the machine's RAM"},
    {4, "V|VIEW SCRN", "show the screen contents"},
    {4, "V|VIEW UDG", "show the user-defined graphics"},
    {4, "V|VIEW XVI", "show the video chip registers"},

    {5, "L A", "log illegal reads and writes on/off"},
    {5, "L B", "log BIOS calls on/off"},
    {5, "L C", "log inefficient instructions on/off"},
    {5, "L I", "log illegal instructions on/off"},
    {5, "L N", "log interrupts on/off"},
    {5, "L S", "log subroutine calls and returns on/off"},
    {5, "PL", nullptr},
    {5, "T|SS", nullptr},

    {6, "G|P [<address>]", nullptr},
    {6, "GI", nullptr},
    {6, "I", nullptr},
    {6, "J|JUMP <address>", nullptr},
    {6, "O", nullptr},
    {6, "R <number>", "run to a raster line (a decimal number)"},
    {6, "R F", "run to the next frame"},
    {6, "R I", "run to the next interrupt"},
    {6, "R L", "run to the end of the loop"},
    {6, "R R", "run to the next raster line"},
    {6, "R S", "run to the end of the subroutine"},
    {6, "S", nullptr},

    {7, "BC|FC|IC|WC [<start-address> [<end-address>]]", "clear breakpoints or watchpoints"},
    {7, "BL|FL|IL|WL", "list breakpoints or watchpoints"},
    {7, "BP|WP <start-addr> [<end-addr>] [<addr/reg> <condition> <value>]",
     "add code breakpoints or data watchpoints"},
    {7, "FP <start-address> [<end-address>]", nullptr},
    {7, "IP [<start-port> [<end-port>] [<addr/reg> <condition> <value>]]", nullptr},
    {7, "PB", nullptr},
    {7, "WR", nullptr},
    {7, "WW NONE|SOME|ALL", nullptr},

    {8, "CLEARSYM [<label>]", nullptr},
    {8, "DEFSYM <label> <address> [C|D|P|U]", nullptr},
    {8, "LOADSYM [<filename>]", nullptr},
    {8, "SAVESYM <filename>", nullptr},

    {9, "CO|COMP <1st-start> <1st-end> <2nd-start>", nullptr},
    {9, "COPY|MOVE <source-start> <source-end> <target-start>", nullptr},
    {9, "FILL <start-address> <end-address> <value>", nullptr},
    {9, "FIND [[<start-address> <end-address>] <value>]", nullptr},
    {9, "REL <source-addr> [*]<target-addr>", nullptr},
    {9, "SWAP <1st-start> <1st-end> <2nd-start>", nullptr},
    {9, "TRAIN [<value>]", nullptr},

    {10, "BASE [2|8|10|16|%|@|!|$]", nullptr},
    {10, "CPU 0|1", nullptr},
    {10, "GR", nullptr},
    {10, "N 0|1|2|3|4", nullptr},
    {10, "SPR 0|1|2", nullptr},
    {10, "TU 0|1|2", nullptr},
    {10, "VB|VERBOSE 0|1|2", nullptr},
    {10, "WARN", nullptr},

    {11, "DRAW 0|1|2|3|4", nullptr},
    {11, "SPR 0|1|2", nullptr},
};

// The form's syntax with only the command words the interpreter knows; empty
// when it knows none. `description` receives the first known word's text.
std::string known_syntax(const HelpForm& form, const char** description) {
    *description = form.description;
    if (form.syntax[0] == '"' || form.syntax[0] == '*') return form.syntax; // line forms
    const char* blank = std::strchr(form.syntax, ' ');
    const std::string words(form.syntax, blank ? blank - form.syntax : std::strlen(form.syntax));
    std::string kept;
    for (size_t start = 0; start <= words.size();) {
        size_t bar = words.find('|', start);
        if (bar == std::string::npos) bar = words.size();
        const std::string word = words.substr(start, bar - start);
        if (const char* known = dbg_command_description(word.c_str())) {
            if (!*description) *description = known;
            kept += (kept.empty() ? "" : "|") + word;
        }
        start = bar + 1;
    }
    if (kept.empty()) return kept;
    return blank ? kept + blank : kept;
}

// A syntax wider than a line goes on at its last blank that fits, on a line
// of its own after one blank.
void print_syntax_lines(const std::string& syntax) {
    std::string rest = syntax;
    bool first = true;
    while (rest.size() + (first ? 0 : 1) > LINE_WIDTH) {
        const size_t room = LINE_WIDTH - (first ? 0 : 1);
        size_t cut = rest.rfind(' ', room);
        if (cut == std::string::npos || cut == 0) cut = room;
        con_printf("%s%s\n", first ? "" : " ", rest.substr(0, cut).c_str());
        rest = rest.substr(cut + (rest[cut] == ' ' ? 1 : 0));
        first = false;
    }
    con_printf("%s%s\n", first ? "" : " ", rest.c_str());
}

} // namespace

void dbg_help(int category) {
    if (category < 0 || category >= HELP_CATEGORIES) return;
    con_printf("%s\n", headers[category]);
    for (const HelpForm& form : forms) {
        if (form.category != category) continue;
        const char* description = nullptr;
        const std::string syntax = known_syntax(form, &description);
        if (syntax.empty()) continue;
        if (syntax.size() < SYNTAX_COLUMN) {
            con_printf("%-32s%s\n", syntax.c_str(), description);
        } else {
            print_syntax_lines(syntax);
            con_printf("%32s%s\n", "", description);
        }
    }
    if (category == 0)
        con_printf("\nOperands are looked up as labels before numbers: the processor's flag\n"
                   "names (C, F, S, CAR, FLAG...) are labels, so write $C or $F for those\n"
                   "numbers.\n");
    con_printf("\n");
}
