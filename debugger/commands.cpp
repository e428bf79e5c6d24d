// The command interpreter: split, dispatch through the one command table,
// usage and help texts, history, and the run-control, switch and breakpoint
// commands.
#include "debugger/commands.h"
#include "core/held_things.h"
#include "peripherals/changed_media.h"
#include "debugger/commands_internal.h"
#include "debugger/coverage.h"

#include "assembler/expr.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/helpers.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/loader.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "core/objfile.h"
#include "cpu/bus.h"
#include "core/session.h"
#include "core/ui_host.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/disasm.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"
#include "debugger/inspect_tools.h"
#include "debugger/memory_commands.h"
#include "debugger/labels.h"
#include "debugger/literals.h"
#include "debugger/watch.h"
#include "input/netplay.h"
#include "peripherals/floppy.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>

char g_dbg_line[DBG_LINE_LENGTH];
char dbg_cmd[DBG_LINE_LENGTH];
char dbg_arg1[DBG_LINE_LENGTH], dbg_arg2[DBG_LINE_LENGTH], dbg_arg3[DBG_LINE_LENGTH];
char dbg_arg4[DBG_LINE_LENGTH], dbg_arg5[DBG_LINE_LENGTH], dbg_arg6[DBG_LINE_LENGTH];
char cmd_history[DBG_HISTORY_ROWS][DBG_LINE_LENGTH];
u8 dbg_mask = 0xFF;
bool dbg_mask_refused;

extern char** environ;

bool dbg_spawn(char* const* argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", 0, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
    // The program ignores SIGPIPE for itself; the child has it as usual.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t usual;
    sigemptyset(&usual);
    sigaddset(&usual, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &usual);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    const int failed = posix_spawnp(&pid, argv[0], &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return false;
    // A thread of its own waits for the end, so no finished child lingers and
    // no frame waits.
    try {
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    } catch (const std::system_error&) {
        waitpid(pid, nullptr, WNOHANG);
    }
    return true;
}

// The host shell runs the command; its input and output go nowhere.
static void shell_start(const char* command) {
    char sh[] = "/bin/sh", dash_c[] = "-c";
    char* argv[] = {sh, dash_c, const_cast<char*>(command), nullptr};
    dbg_spawn(argv);
}
void (*dbg_shell_start)(const char* command) = shell_start;

static char* const args[6] = {dbg_arg1, dbg_arg2, dbg_arg3, dbg_arg4, dbg_arg5, dbg_arg6};

int dbg_arg_count() {
    int n = 0;
    while (n < 6 && args[n][0])
        n++;
    return n;
}
bool dbg_nocase_equal(const char* a, const char* b) {
    for (; *a && *b; a++, b++)
        if (std::toupper(static_cast<unsigned char>(*a)) !=
            std::toupper(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}
bool dbg_lone_question() {
    return std::strcmp(dbg_arg1, "?") == 0 && !dbg_arg2[0];
}
void dbg_ok() {
    con_printf("%s.\n\n", "OK");
}

namespace {
bool line_refused = false;
bool operand_said = false; // an operand of the line said what was wrong with it
bool block_ended = false;  // and the reply's block was ended after it
std::string refusal;       // what the refusals of the line said
void refuse_v(const char* format, va_list args) {
    char text[CON_BUFFER_SIZE], utf8[CON_BUFFER_SIZE * 2];
    std::vsnprintf(text, sizeof text, format, args);
    line_refused = true;
    text_to_utf8(text, utf8, sizeof utf8);
    refusal += utf8;
    con_printf("%s", text);
}
} // namespace

void dbg_refuse(const char* format, ...) {
    va_list args;
    va_start(args, format);
    refuse_v(format, args);
    va_end(args);
}
bool dbg_enter_projects(const char* name) {
    std::string why;
    if (dir_enter_projects(&why, name)) return true;
    dbg_refuse("%s\n\n", why.c_str());
    return false;
}
void dbg_cleared_range(bool any, const char* what, u32 start, u32 end) {
    if (any)
        dbg_ok();
    else
        dbg_refuse("No %s to clear in $%X..$%X!\n\n", what, start, end);
}
void dbg_usage_text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (dbg_operand_said()) {
        // The operand's own error says more than the usage would.
    } else if (dbg_lone_question()) {
        char text[CON_BUFFER_SIZE];
        std::vsnprintf(text, sizeof text, format, args);
        con_printf("%s", text);
    } else {
        refuse_v(format, args);
    }
    va_end(args);
}
const std::string& dbg_refusal_text() {
    return refusal;
}

bool dbg_operand_said() {
    if (!operand_said) return false;
    if (!block_ended) dbg_refuse("\n");
    block_ended = true;
    return true;
}

void dbg_wrong_machine() {
    dbg_refuse("Wrong guest machine!\n\n");
}
void dbg_range_message(u32 low, u32 high) {
    if (dbg_operand_said()) return;
    dbg_refuse("Valid range is $%X..$%X!\n\n", low, high);
}
void dbg_order_message() {
    dbg_refuse("End address lies before start address!\n\n");
}

bool dbg_machine_has_cpu(bool verbose) {
    if (machine_traits().no_processor) {
        if (verbose) dbg_wrong_machine();
        return false;
    }
    return true;
}

// ---- Operands ----------------------------------------------------------------------

namespace {
u32 operand_errors = 0;
void operand_error(const char* text) {
    operand_errors++;
    operand_said = true;
    dbg_refuse("Error: %s!\n", text);
}
} // namespace

bool dbg_split_mask(const char* text, char (&word)[81], int mask_allowed) {
    const size_t length = std::strlen(text);
    if (length == 0) return false;
    if (length >= sizeof word) {
        char why[64];
        std::snprintf(why, sizeof why, "operand of %zu characters is longer than %zu", length,
                      sizeof word - 1);
        operand_error(why);
        return false;
    }
    std::memcpy(word, text, length + 1);
    dbg_mask_refused = false;
    if (mask_allowed) dbg_mask = 0xFF;
    char* colon = std::strchr(word, ':');
    if (!colon) return true;
    *colon = '\0';
    if (!colon[1]) return true;
    // A hex number, optionally ending in "h" as the debugger's literals may;
    // text that is no number, or has more after it, is refused as too large is.
    u32 mask = 0;
    const int used = hex_parse(colon + 1, &mask);
    const char* rest = colon + 1 + used;
    if (used > 0 && (*rest == 'h' || *rest == 'H')) rest++;
    if (used == 0 || *rest || mask > 0xFF) {
        // Refused only where the mask counts; elsewhere it is ignored as a good one is.
        (mask_allowed ? dbg_refuse : con_printf)("Mask is out of range!\n");
        dbg_mask_refused = true;
    } else if (!mask_allowed)
        con_printf("Ignoring :%02X mask specifier.\n", mask);
    else
        dbg_mask = static_cast<u8>(mask);
    return true;
}

u32 dbg_parse_register_operand(const char* text, u32 limit, int mask_allowed) {
    if (!dbg_machine_has_cpu(false)) return REG_NONE;
    char word[81];
    if (!dbg_split_mask(text, word, mask_allowed)) return REG_NONE;
    for (u32 n = 0; n < REGISTER_ROWS; n++) {
        if (!dbg_nocase_equal(word, register_names[n][dis_notation])) continue;
        const u32 value = MEM_REG_BASE + n;
        return value > limit ? REG_NONE : value;
    }
    const std::optional<i64> value = dbg_eval_operand(word);
    if (!value || *value < 0 || *value > limit) return REG_NONE;
    return static_cast<u32>(*value);
}

namespace {
// Labels win over hexadecimal digits: the reply says when a word that is
// also a number was read as a label, and how to write the number.
void operand_label_note(const char* token, int length, i32 value) {
    static const char* const hex_forms[3] = {"$%.*s", "16'%.*s", "H'%.*s'"};
    const u32 n = dis_notation_index();
    char number[96];
    std::snprintf(number, sizeof number, hex_forms[n <= 1 ? 0 : n <= 3 ? 1 : 2], length, token);
    con_printf("%.*s is the label %.*s = $%X; write %s for the number.\n", length, token, length,
               token, static_cast<u32>(value), number);
}
} // namespace

std::optional<i64> dbg_eval_operand(const char* word) {
    // A term the evaluator could not read still leaves it a value (0 after a
    // stray character): an operand read only in part is no operand.
    void (*const saved)(const char*) = asm_eval_error_report;
    void (*const saved_note)(const char*, int, i32) = asm_eval_label_note;
    asm_eval_error_report = operand_error;
    asm_eval_label_note = operand_label_note;
    const u32 before = operand_errors;
    const i64 value = asm_eval_wide(word);
    asm_eval_error_report = saved;
    asm_eval_label_note = saved_note;
    if (operand_errors != before) return std::nullopt;
    return value;
}

u8 dbg_parse_operator(const char* text) {
    static const struct {
        const char* word;
        u8 code;
    } words[] = {{"<", 1},  {"LT", 1}, {"<=", 2}, {"LE", 2}, {"=<", 2}, {"==", 3},
                 {"EQ", 3}, {"IS", 3}, {"=", 3},  {"!=", 4}, {"NE", 4}, {"<>", 4},
                 {">", 6},  {"GT", 6}, {">=", 5}, {"GE", 5}, {"=>", 5}};
    for (const auto& w : words)
        if (dbg_nocase_equal(text, w.word)) return w.code;
    return 0;
}

const char* const dbg_operator_texts[7] = {"", "<", "<=", "==", "!=", ">=", ">"};

void dbg_address_text(u32 address, char* out) {
    dbg_format_address(address, out, 1, 0, 15, 1);
}

// ---- The command table -------------------------------------------------------------

namespace {
struct DbgCommand {
    // Aliases joined by '|', upper case.
    const char* names;
    // The words it takes, as the usage line shows them: a line with more
    // argument words than these gets the usage. "" takes none; a text with
    // "..." takes any number (a message, or an expression written with blanks).
    const char* arguments;
    bool frame_boundary;     // refused while paused inside a frame
    void (*run)();           // the command's body
    const char* hint;        // the Debug-menu hint printed above the usage
    const char* usage;       // the usage line; nullptr for commands without one
    int help;                // help category, -1 for none
    const char* description; // the help text's one-line description
    // The usage of a command that chooses one of several values: a line per
    // value, then the usage line (instead of the hint and `usage`).
    void (*value_usage)() = nullptr;
    // A command that writes a file: the suffixes it gives the file it names
    // from <filename> (own_output_name), its own on each machine (ASM: its
    // listing's; the object file beside it takes the machine's object suffix);
    // "" for one that writes files under names of another's (EXTRACT: the disk's).
    const char* writes = nullptr;
};
extern const DbgCommand commands[];
extern const int command_count;
const DbgCommand* current = nullptr;
} // namespace

void dbg_usage() {
    if (!current) return;
    if (current->value_usage) {
        current->value_usage();
        return;
    }
    if (current->hint) dbg_usage_text("%s\n", current->hint);
    if (current->usage)
        dbg_usage_text("%s", current->usage);
    else if (!current->arguments[0]) // takes no words: the words alone are its usage
        dbg_usage_text("Usage: %s\n\n", current->names);
}

// ---- History and help --------------------------------------------------------------

void dbg_history_add() {
    if (!g_dbg_line[0]) return;
    std::memmove(cmd_history[1], cmd_history[0], sizeof cmd_history[0] * (DBG_HISTORY_ROWS - 1));
    std::snprintf(cmd_history[0], DBG_LINE_LENGTH, "%s", g_dbg_line);
    for (int row = 1; row < DBG_HISTORY_ROWS && cmd_history[row][0];) {
        if (std::strcmp(cmd_history[row], cmd_history[0]) != 0) {
            row++;
            continue;
        }
        std::memmove(cmd_history[row], cmd_history[row + 1],
                     sizeof cmd_history[0] * (DBG_HISTORY_ROWS - 1 - row));
        cmd_history[DBG_HISTORY_ROWS - 1][0] = '\0';
    }
}

static void cmd_history_list() {
    for (int row = DBG_HISTORY_ROWS - 1; row >= 0; row--)
        if (cmd_history[row][0]) con_printf("%s\n", cmd_history[row]);
    con_printf("\n");
}

static void cmd_help() {
    static const char* const selectors[12][2] = {{"0", "G"}, {"1", "F"}, {"2", "D"},  {"3", "E"},
                                                 {"4", "V"}, {"5", "L"}, {"6", "R"},  {"7", "B"},
                                                 {"8", "S"}, {"9", "T"}, {"10", "O"}, {"11", "A"}};
    for (int c = 1; c < 12; c++)
        if (std::strcmp(dbg_arg1, selectors[c][0]) == 0 ||
            dbg_nocase_equal(dbg_arg1, selectors[c][1])) {
            dbg_help(c);
            return;
        }
    dbg_help(0);
}

// ---- Run control -------------------------------------------------------------------

static u32 next_address(u32 address) {
    return (address & 0x6000) | ((address + op_length[guest_memory[address & 0x7FFF]]) & 0x1FFF);
}

// S, O, I, J, T, PB, PL, WARN, WR, BP, BC and BL are Debug menu items: on a
// machine without a processor their rows refuse the line before it gets here.
static void cmd_step() {
    dbg_single_step = 1;
    emu_unpause();
}

static void cmd_step_over() {
    const u8 opcode = guest_memory[cpu_iar & 0x7FFF];
    if ((opcode & 0x78) != 0x38) {
        cmd_step();
        return;
    }
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_format_address(cpu_iar, where, 0, 0, 15, 1);
    con_printf("Stepping over subroutine call (%s) at %s.\n",
               op_text[dis_notation][opcode].mnemonic, where);
    if (verbosity == 0) con_printf("\n");
    mem_attributes[next_address(cpu_iar)] |= MEM_STEP_OUT;
    emu_unpause();
}

static void cmd_go() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_arg1[0]) {
        if (emu_paused) {
            emu_unpause();
            con_printf("Unpausing...\n\n");
        } else {
            emu_pause(PauseCause::user);
            con_printf("Pausing...\n\n");
        }
        return;
    }
    if (!emu_paused) return;
    const u32 address = dbg_parse_register_operand(dbg_arg1, 0x7FFF, 0);
    if (address == static_cast<u32>(REG_NONE)) { // stays paused: no breakpoint to run to
        dbg_range_message(0, 0x7FFF);
        return;
    }
    bp_conditions[address] = WatchCondition{0, COND_ALWAYS, 0};
    if (!(mem_attributes[address] & MEM_BREAKPOINT)) {
        mem_attributes[address] |= MEM_BREAKPOINT;
        char where[DBG_ADDRESS_TEXT_SIZE];
        dbg_address_text(address, where);
        con_printf("Added code breakpoint at %s.\n\n", where);
    }
    emu_unpause();
    con_printf("Unpausing...\n\n");
}

static void cmd_jump() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    const u32 address = dbg_parse_register_operand(dbg_arg1, 0x7FFF, 0);
    if (address == static_cast<u32>(REG_NONE)) {
        dbg_range_message(0, 0x7FFF);
        return;
    }
    const u32 old = cpu_iar;
    if (address == old) {
        dbg_no_effect();
        return;
    }
    cpu_iar = static_cast<u16>(address);
    con_printf("Changed IAR from $%X to $%X.\n\n", old, address);
}

static void cmd_ignore() {
    const u8 opcode = guest_memory[cpu_iar & 0x7FFF];
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_format_address(cpu_iar, where, 0, 0, 15, 1);
    con_printf("Ignoring %s instruction at %s.\n", op_text[dis_notation][opcode].mnemonic, where);
    cpu_iar = static_cast<u16>(next_address(cpu_iar));
    if (verbosity > 0)
        dis_log_next_instruction();
    else
        con_printf("\n");
}

static void switch_state(u32 on) {
    con_printf(" %s.\n\n", on ? "on" : "off");
}

static void cmd_trace() {
    cpu_tracing = !cpu_tracing;
    con_printf("CPU tracing");
    switch_state(cpu_tracing);
    if (cpu_tracing && verbosity == 1)
        con_printf("Loca InOpAd Mnemoni XRU  IAdd IV EAdd    R0 R1 R2 R3 R4 R5 R6 PU PL IAR\n"
                   "---- ------ ------- --- ----- -- ----    -- -- -- -- -- -- -- -- -- ----\n");
    if (!emu_paused) emu_paused_mid_frame = true;
}

// A single digit 0..top, else -1.
static int digit_argument(int top) {
    if (std::strlen(dbg_arg1) != 1) return -1;
    const int d = dbg_arg1[0] - '0';
    return d >= 0 && d <= top ? d : -1;
}

static void verbosity_usage() {
    dbg_usage_text("VB|VERBOSE 0: %s\nVB|VERBOSE 1: %s\nVB|VERBOSE 2: %s\n",
                   "Set verbosity to minimum", "Set table tracing mode",
                   "Set verbosity to maximum");
    dbg_usage_text("Usage: VB 0|1|2\n\n");
}

static void cmd_verbosity() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    const int d = digit_argument(2);
    if (d < 0) {
        dbg_usage();
        return;
    }
    verbosity = d;
    static const char* const said[3] = {"Minimum verbosity.\n\n", "Table tracing mode.\n\n",
                                        "Maximum verbosity.\n\n"};
    con_printf("%s", said[d]);
}

static void time_unit_usage() {
    dbg_usage_text("TU 0: %s\nTU 1: %s\nTU 2: %s\n", "Set time unit to cycles",
                   "Set time unit to clocks", "Set time unit to pixels");
    dbg_usage_text("Usage: TU 0|1|2\n\n");
}

static void cmd_time_unit() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    const int d = digit_argument(2);
    if (d < 0) {
        dbg_usage();
        return;
    }
    dbg_time_unit = static_cast<u32>(d);
    static const char* const names[3] = {"CPU cycles", "clock periods", "pixels"};
    dbg_unit_label = names[d];
    ui_mark(UI_OPCODES); // the opcodes chart gives durations in the unit
    dbg_ok();
}

// A signed decimal number, the whole word; a number of more digits than a
// long holds reads as the largest one.
static bool decimal_word(const char* word, long* value) {
    const char* digits = word[0] == '-' ? word + 1 : word;
    if (!digits[0] || std::strspn(digits, "0123456789") != std::strlen(digits)) return false;
    *value = std::strtol(word, nullptr, 10);
    return true;
}

static void cmd_run_to() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    const char t = static_cast<char>(std::toupper(static_cast<unsigned char>(dbg_arg1[0])));
    const bool letter = dbg_arg1[1] == '\0';
    if (letter && t == 'F') {
        dbg_clear_run_targets();
        dbg_run_to_frame = 1;
    } else if (letter && t == 'L') { // R L, R I, R S and R R: the Debug menu's rows
        dbg_clear_run_targets();       // refuse them where the machine has none
        dbg_run_to_loop_end = 1;
    } else if (letter && t == 'I') {
        dbg_clear_run_targets();
        dbg_run_to_interrupt = 1;
    } else if (letter && t == 'S') {
        const u32 target = cpu_ras[((cpu_psu & 7) - 1) & 7] & 0x7FFF;
        con_printf("Running to $%X.\n\n", target);
        dbg_clear_run_targets();
        // A breakpoint set there keeps its condition; one set here stops
        // whatever the registers hold, not by the condition a breakpoint
        // cleared there earlier left behind.
        if (!(mem_attributes[target] & MEM_BREAKPOINT))
            bp_conditions[target] = WatchCondition{0, COND_ALWAYS, 0};
        mem_attributes[target] |= MEM_BREAKPOINT;
    } else {
        // R R and R <line>, the line a decimal number read whole.
        if (!(letter && t == 'R') && !dbg_machine_has_raster()) {
            dbg_wrong_machine();
            return;
        }
        // The frame's own last line: 261 on a 60 Hz console, 312 on the BINBUG.
        const auto last_line = machine_debug().last_raster_line;
        const i32 last = last_line ? last_line() : 311;
        long line = 0;
        if (letter && t == 'R') {
            line = raster_line + 1 > last ? 0 : raster_line + 1;
        } else if (!decimal_word(dbg_arg1, &line)) {
            dbg_refuse("Raster line %s is no decimal number (lines 0..%d)!\n\n", dbg_arg1, last);
            return;
        } else if (line < 0 || line > last) {
            dbg_refuse("Raster line %s is not in the frame (lines 0..%d)!\n\n", dbg_arg1, last);
            return;
        }
        dbg_clear_run_targets();
        raster_break_line = static_cast<i32>(line);
    }
    emu_unpause();
}

// ---- Switches ----------------------------------------------------------------------

static void toggle(u32& option) {
    option = option ? 0 : 1;
    switch_state(option);
}

static void log_usage() {
    dbg_usage_text("%s: L A|B|C|I|N|S\n\n", "Usage");
}

static void cmd_log() {
    if (dbg_lone_question() || !dbg_arg1[0] || dbg_arg1[1]) {
        if (!dbg_lone_question() && !dbg_machine_has_cpu(true)) return;
        log_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    switch (std::toupper(static_cast<unsigned char>(dbg_arg1[0]))) {
    case 'A':
        con_printf("Log illegal reads/writes");
        toggle(logreadwrites);
        break;
    case 'B': // the Debug menu's row refuses it where the machine has no BIOS log
        con_printf("Log BIOS calls");
        toggle(logbios);
        break;
    case 'C':
        con_printf("Log inefficient instructions");
        toggle(loginefficient);
        break;
    case 'I':
        con_printf("Log illegal instructions");
        toggle(logillegal);
        break;
    case 'N':
        con_printf("Log interrupts");
        toggle(loginterrupts);
        break;
    case 'S':
        con_printf("Log subroutine calls/returns");
        toggle(logsubroutines);
        break;
    default:
        log_usage();
    }
}

static void cmd_pause_break() {
    pausebreak = !pausebreak;
    con_printf("Pause after breakpoints/watchpoints is now %s.\n\n", pausebreak ? "on" : "off");
}

static void cmd_pause_log() {
    pauselog = !pauselog;
    con_printf("Pause after logging is now %s.\n\n", pauselog ? "on" : "off");
}

static void cmd_warn() {
    con_printf("Assembler warnings");
    toggle(warn);
}

static void cmd_watch_reads() {
    watchreads = !watchreads;
    con_printf("Watch reads %s.\n\n", watchreads ? "on" : "off");
}

static const char* const watch_write_words[3][4] = {
    {"NONE", "N", "0", "OFF"}, {"SOME", "S", "1", nullptr}, {"ALL", "A", "2", nullptr}};

// The choices and the setting: told without a word, a refusal with one.
static void watch_writes_usage() {
    const auto say = dbg_arg1[0] ? dbg_usage_text : con_printf;
    say("WW NONE: %s\nWW SOME: %s\nWW ALL:  %s\n", "Watch no writes", "Watch some writes",
        "Watch all writes");
    say("%s: WW NONE|SOME|ALL\n", "Usage");
    say("Current setting is %s.\n\n", watch_write_words[watchwrites > 2 ? 2 : watchwrites][0]);
}

static void cmd_watch_writes() {
    if (!dbg_lone_question() && !dbg_machine_has_cpu(true)) return;
    const auto& words = watch_write_words;
    if (dbg_arg1[0])
        for (u32 v = 0; v < 3; v++)
            for (const char* w : words[v])
                if (w && dbg_nocase_equal(dbg_arg1, w)) {
                    watchwrites = v;
                    dbg_ok();
                    return;
                }
    watch_writes_usage();
}

static const char* const base_names[4] = {"binary", "octal", "decimal", "hexadecimal"};

static void cmd_base() {
    static const char* const words[4][2] = {{"2", "%"}, {"8", "@"}, {"10", "!"}, {"16", "$"}};
    if (!dbg_arg1[0]) {
        con_printf("Current default input base is");
        con_printf(" %s.\n\n", base_names[dbg_base & 3]);
        return;
    }
    for (int b = 0; b < 4; b++)
        if (std::strcmp(dbg_arg1, words[b][0]) == 0 || std::strcmp(dbg_arg1, words[b][1]) == 0) {
            dbg_base = b;
            con_printf("%s %s.\n\n", "Set default input base to", base_names[b]);
            return;
        }
    dbg_usage();
}

static void base_usage() {
    dbg_usage_text("BASE 2|%%: %s\nBASE 8|@: %s\nBASE 10|!: %s\nBASE 16|$: %s\n",
                   "Set default input base to binary", "Set default input base to octal",
                   "Set default input base to decimal", "Set default input base to hexadecimal");
    dbg_usage_text("%s: BASE [2|8|10|16|%%|@|!|$]\n\n", "Usage");
}

static void notation_usage() {
    dbg_usage_text("N 0: %s\nN 1: %s\nN 2: %s\nN 3: %s\nN 4: %s\n",
                   "Set notation to non-extended Signetics", "Set notation to extended Signetics",
                   "Set notation to old CALM", "Set notation to new CALM",
                   "Set notation to IEEE-694");
    dbg_usage_text("%s: N 0|1|2|3|4\n\n", "Usage");
}

static void cmd_notation() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    const int d = digit_argument(4);
    if (d < 0) {
        dbg_usage();
        return;
    }
    dis_notation = static_cast<u32>(d);
    static const char* const names[5] = {"non-extended Signetics", "extended Signetics", "old CALM",
                                         "new CALM", "IEEE-694"};
    con_printf("Notation is now %s.\n\n", names[d]);
    ui_mark(UI_MENUS | UI_NOTATION);
}

static void cmd_say() {
    dbg_refuse("Command is unavailable.\n\n"); // no speech facility on this host
}

// The terminal and the interface's console window alike.
static void cmd_cls() {
    std::fputc(12, stdout);
    std::fflush(stdout);
    gui_message_console_clear();
}

static void cmd_quit() {
    // Sent through the port (by a client or a script): the port's QUIT, whose
    // reply names what is dropped and reaches the client before the end.
    if (ui_unattended) {
        if (const std::string saved = rexx_quit_after_reply(); !saved.empty())
            con_printf("%s", saved.c_str());
        return;
    }
    // Typed in the window's command line or picked from its menu: a changed
    // disk or tape, or a punched papertape not back in its file, is asked
    // about as the window's Quit asks, and whoever quit is shown what could
    // not be finished.
    if (app_acquired.host_gui) {
        if ((!held_lost().empty() || !held_kept().empty()) && ui_host.confirm_quit &&
            !ui_host.confirm_quit())
            return;
        app_quit_attended = true;
    }
    held_report_lost("they are dropped");
    app_clean_exit(0);
}

// ---- Code breakpoints --------------------------------------------------------------

void dbg_format_condition(const WatchCondition& c, char* target, char* value) {
    if (c.target > 0xFFFF)
        std::snprintf(target, DBG_ADDRESS_TEXT_SIZE, "%s",
                      register_names[(c.target - MEM_REG_BASE) % REGISTER_ROWS][dis_notation]);
    else
        dbg_format_address(c.target, target, 1, 0, 0, 1);
    dbg_format_address(c.value, value, 1, 0, 0, 1);
}

static int set_breakpoint(u32 address, u32 target, u8 condition, u32 value) {
    if (address > 0x7FFF) {
        dbg_range_message(0, 0x7FFF);
        return 0;
    }
    const WatchCondition& old = bp_conditions[address];
    if ((mem_attributes[address] & MEM_BREAKPOINT) && old.target == target &&
        old.condition == condition && old.value == value) {
        con_printf("Breakpoint is already set!\n\n");
        return 0;
    }
    if (target == static_cast<u32>(REG_NONE)) {
        dbg_refuse("Conditional token is out of range!\n\n");
        return 0;
    }
    if (value == static_cast<u32>(REG_NONE)) {
        dbg_refuse("Conditional value is out of range!\n\n");
        return 0;
    }
    bp_conditions[address] = WatchCondition{target, condition, static_cast<u16>(value)};
    mem_attributes[address] |= MEM_BREAKPOINT;
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_address_text(address, where);
    if (condition == COND_ALWAYS) {
        con_printf("Added code breakpoint at %s.\n\n", where);
    } else {
        char t[DBG_ADDRESS_TEXT_SIZE], v[DBG_ADDRESS_TEXT_SIZE];
        dbg_format_condition(bp_conditions[address], t, v);
        con_printf("Added code breakpoint at %s when %s %s %s.\n\n", where, t,
                   dbg_operator_texts[condition], v);
    }
    return 1;
}

static void cmd_breakpoint() {
    const int n = dbg_arg_count();
    if (n == 0 || n == 3 || dbg_lone_question()) {
        dbg_usage();
        return;
    }
    const u32 none = static_cast<u32>(REG_NONE);
    const u32 start = dbg_parse_register_operand(dbg_arg1, 0x7FFF, 0);
    if (n == 1) {
        set_breakpoint(start, 0, COND_ALWAYS, 0);
        return;
    }
    if (n == 4) {
        const u8 op = dbg_parse_operator(dbg_arg3);
        const u32 target = dbg_parse_register_operand(dbg_arg2, static_cast<u32>(REG_NONE), 0);
        const u32 value = dbg_parse_register_operand(dbg_arg4, 0x7FFF, 0);
        if (start == none || op == 0) {
            dbg_usage();
            return;
        }
        set_breakpoint(start, target, op, value);
        return;
    }
    const u32 end = dbg_parse_register_operand(dbg_arg2, 0x7FFF, 0);
    if (start == none || end == none || start > end) {
        dbg_usage();
        return;
    }
    WatchCondition c{0, COND_ALWAYS, 0};
    if (n == 5) {
        const u32 target = dbg_parse_register_operand(dbg_arg3, static_cast<u32>(REG_NONE), 0);
        const u8 op = dbg_parse_operator(dbg_arg4);
        const u32 value = dbg_parse_register_operand(dbg_arg5, 0xFF, 0);
        if (target == none || op == 0 || value == none) {
            dbg_usage();
            return;
        }
        c = WatchCondition{target, op, static_cast<u16>(value)};
    }
    for (u32 a = start; a <= end; a++) {
        if (n == 5)
            bp_conditions[a] = c;
        else
            bp_conditions[a].condition = COND_ALWAYS;
        mem_attributes[a] |= MEM_BREAKPOINT;
    }
    dbg_ok();
}

static void cmd_clear_breakpoints() {
    const int n = dbg_arg_count();
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (n == 0) {
        bool any = false;
        for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
            if (mem_attributes[a] & MEM_BREAKPOINT) {
                mem_attributes[a] &= ~MEM_BREAKPOINT;
                any = true;
            }
        if (any)
            con_printf("Cleared all code breakpoints.\n\n");
        else
            dbg_refuse("No breakpoints to clear!\n\n");
        return;
    }
    const u32 start = dbg_parse_register_operand(dbg_arg1, 0x7FFF, 0);
    const u32 end = n == 2 ? dbg_parse_register_operand(dbg_arg2, 0x7FFF, 0) : 0x7FFF;
    if (!dbg_check_range(start, end)) return;
    if (n == 2) {
        bool any = false;
        for (u32 a = start; a <= end; a++) {
            any = any || (mem_attributes[a] & MEM_BREAKPOINT);
            mem_attributes[a] &= ~MEM_BREAKPOINT;
        }
        dbg_cleared_range(any, "breakpoints", start, end);
        return;
    }
    char where[DBG_ADDRESS_TEXT_SIZE];
    dbg_address_text(start, where);
    if (mem_attributes[start] & MEM_BREAKPOINT) {
        mem_attributes[start] &= ~MEM_BREAKPOINT;
        con_printf("Cleared code breakpoint at %s.\n\n", where);
    } else {
        dbg_refuse("Breakpoint not found at %s!\n\n", where);
    }
}

static void cmd_list_breakpoints() {
    bool any = false;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        if (!(mem_attributes[a] & MEM_BREAKPOINT)) continue;
        any = true;
        char where[DBG_ADDRESS_TEXT_SIZE];
        dbg_address_text(a, where);
        const WatchCondition& c = bp_conditions[a];
        if (c.condition == COND_ALWAYS || c.condition > COND_GT) {
            con_printf("%s\n", where);
        } else {
            char t[DBG_ADDRESS_TEXT_SIZE], v[DBG_ADDRESS_TEXT_SIZE];
            dbg_format_condition(c, t, v);
            con_printf("%s %s %s %s %s\n", where, "when", t, dbg_operator_texts[c.condition], v);
        }
    }
    if (any)
        con_printf("\n");
    else
        con_printf("%s.\n\n", "None");
}

// ---- Symbols ----------------------------------------------------------------------

static void cmd_defsym() {
    if (!dbg_defsym()) dbg_usage();
}
static void cmd_clearsym() {
    if (!dbg_clearsym()) dbg_usage();
}
static void cmd_loadsym() {
    if (!dbg_loadsym()) dbg_usage();
}
static void cmd_savesym() {
    if (!dbg_savesym()) dbg_usage();
}

// ---- Saving memory -----------------------------------------------------------------

// The range and game start of the save commands (arguments 1, 2 and 4);
// false after the range or order message.
struct SaveRange {
    u32 start, end, game_start;
};
static bool save_range(int n, SaveRange* r) {
    r->start = dbg_parse_register_operand(dbg_arg1, 0x7FFF, 0);
    r->end = dbg_parse_register_operand(dbg_arg2, 0x7FFF, 0);
    r->game_start = n >= 4 ? dbg_parse_register_operand(dbg_arg4, 0x7FFF, 0) : game_start_address;
    if (!dbg_check_range(r->start, r->end)) return false;
    if (r->game_start == static_cast<u32>(REG_NONE)) {
        dbg_range_message(0, 0x7FFF);
        return false;
    }
    return true;
}

// Writes `format`'s file, named by argument 3 or after the game, in the
// projects drawer; "OK." or "Failed!".
static void save_file(int n, const ObjectFormat& format, const SaveRange& r, u32 block_size) {
    dbg_save_in_projects(n >= 3 ? dbg_arg3 : "", format.suffix, [&](const char* path) {
        return format.save(path, r.start, r.end, r.game_start, block_size);
    });
}

const ObjectFormat* dbg_object_format() {
    static constexpr ObjectFormat signetics = {".aof", 30, objfile_save_aof};
    if (const ObjectFormat* own = machine_debug().object_format) return own;
    return machine_traits().takes_aof ? &signetics : nullptr;
}

// SAVEAOF and SAVEEOF: the machine's object file (dbg_object_format).
static void cmd_save_object() {
    const int n = dbg_arg_count();
    if (n < 2 || dbg_lone_question()) {
        dbg_usage();
        return;
    }
    // A machine that takes no object file: the Debug menu's SAVEAOF row
    // refused the line; the pointer is still checked.
    const ObjectFormat* object = dbg_object_format();
    if (!object) {
        dbg_wrong_machine();
        return;
    }
    SaveRange r;
    if (!save_range(n, &r)) return;
    const ObjectFormat& format = *object;
    u32 block_size = format.block_size;
    if (n >= 5) {
        block_size = dbg_parse_register_operand(dbg_arg5, 0xFF, 0);
        if (block_size == static_cast<u32>(REG_NONE) || block_size == 0) {
            dbg_range_message(1, 0xFF);
            return;
        }
    }
    save_file(n, format, r, block_size);
}

// SAVECMD, SAVEIMAG and SAVEMOD: the program file of the machine's disk
// system, whichever of the three words was typed.
static void cmd_save_disk_program() {
    const int n = dbg_arg_count();
    if (n < 2 || n > 4 || dbg_lone_question()) {
        dbg_usage();
        return;
    }
    // A machine without drives: the Debug menu's SAVEIMAG row refused the line.
    SaveRange r;
    if (!save_range(n, &r)) return;
    const MachineDebug& row = machine_debug();
    if (!row.disk_program) {
        dbg_refuse("Failed!\n\n");
        return;
    }
    if (row.disk_program_word && !dbg_nocase_equal(dbg_cmd, row.disk_program_word))
        con_printf("Assuming you meant %s.\n", row.disk_program_word);
    save_file(n, *row.disk_program, r, 0);
}


// ---- The table and the dispatch ----------------------------------------------------

namespace {
const DbgCommand commands[] = {
    {"SAY|SPEAK|SPK", "<message>...", false, cmd_say, nullptr, nullptr, 0, "speak the message"},
    {"S", "", false, cmd_step, "Step next instruction", nullptr, 6,
     "execute one instruction, then pause"},
    {"SPR", "0|1|2", false, dbg_cmd_sprite_mode, nullptr, nullptr, 10, "sprite display mode",
     dbg_sprite_mode_usage},
    {"O", "", false, cmd_step_over, "Step over subroutine", nullptr, 6,
     "step over a subroutine call"},
    {"BASE", "[2|8|10|16|%|@|!|$]", false, cmd_base, nullptr, nullptr, 10,
     "show or set the default input base", base_usage},
    {"BC|DB", "[<start-address> [<end-address>]]", false, cmd_clear_breakpoints,
     "Clear code breakpoints from address range", "Usage: BC [<start-address> [<end-address>]]\n\n",
     7, "clear code breakpoints"},
    {"BL|LB", "", false, cmd_list_breakpoints, "List all code breakpoints", nullptr, 7,
     "list code breakpoints"},
    {"BP|SB", "<start-addr> [<end-addr>] [<addr/reg> <condition> <value>]", false, cmd_breakpoint,
     "Add code breakpoints to address range",
     "Usage: BP <start-addr> [<end-addr>] [<addr/reg> <condition> <value>]\n", 7,
     "add code breakpoints"},
    {"V|VIEW", "BASIC|BIOS|CPU|PSG|RAM|SCRN|UDG|XVI", false, dbg_cmd_view, nullptr, nullptr, 4,
     "dump a part of the machine", dbg_view_usage},
    {"CLEARSYM", "[<label>]", false, cmd_clearsym, "Clear symbol(s)",
     "Usage: CLEARSYM [<label>]\n\n", 8, "clear one or all user labels"},
    {"CLS", "", false, cmd_cls, "Clear screen (of console window)", nullptr, 0,
     "clear the console"},
    {"CPU", "0|1", false, dbg_cmd_cpu_type, nullptr, nullptr, 10,
     "processor variant 2650/2650A or 2650B", dbg_cpu_type_usage},
    {"DEFSYM", "<label> <address> [C|D|P|U]", false, cmd_defsym, "Define symbol",
     "Usage: DEFSYM <label> <address> [C|D|P|U]\n\n", 8, "define a user label"},
    {"DR", "", false, dbg_cmd_view_cpu, "View CPU status", nullptr, -1,
     "show the processor status (as VIEW CPU)"},
    {"DEL|DELETE", "<filename>", false, dbg_cmd_delete, "Delete file from floppy disk",
     "Usage: DEL|DELETE <filename>\n\n", 2, "delete a file on the guest disk"},
    {"DIR|LD|LDIR", "[<drive>]", false, dbg_cmd_dir, nullptr, "Usage: DIR|LD|LDIR [<drive>]\n\n", 2,
     "list the guest disk"},
    {"DRIVE", "[<drive>]", false, dbg_cmd_drive, nullptr, "Usage: DRIVE [<drive>]\n\n", 2,
     "choose the debugger's floppy drive"},
    {"EXTRACT", "[<filename>]", false, dbg_cmd_extract, "Extract files from floppy disk",
     "Usage: EXTRACT [<filename>]\n\n", 2, "copy files from the guest disk to the host", nullptr,
     ""},
    {"FC", "[<start-address> [<end-address>]]", false, dbg_cmd_fc, nullptr,
     "Usage: FC [<start-address> [<end-address>]]\n\n", 7, "clear disk watchpoints"},
    {"FL", "", false, dbg_cmd_fl, "List all disk watchpoints", nullptr, 7, "list disk watchpoints"},
    {"FP", "<start-address> [<end-address>]", false, dbg_cmd_fp, nullptr,
     "Usage: FP <start-address> [<end-address>]\n\n", 7, "add disk watchpoints"},
    {"FPEEK", "<startaddr> [<endaddr>]", false, dbg_cmd_fpeek, nullptr,
     "Usage: FPEEK <startaddr> [<endaddr>]\n\n", 4, "show bytes of the guest disk"},
    {"FPOKE", "<address> <value>", false, dbg_cmd_fpoke, nullptr,
     "Usage: FPOKE <address> <value>\n\n", 3, "change a byte of the guest disk"},
    {"INJECT", "<filename>", false, dbg_cmd_inject, "Inject file onto floppy disk",
     "Usage: INJECT <filename>\n\n", 2, "copy a host file onto the guest disk"},
    {"REN|RENAME", "<oldname> <newname>", false, dbg_cmd_rename, "Rename file on floppy disk",
     "Usage: REN|RENAME <oldname> <newname>\n\n", 2, "rename a file on the guest disk"},
    {"ED|EDIT", "<filename>", false, dbg_cmd_edit, "Edit source code",
     "Usage: ED|EDIT <filename>\n\n", 1, "edit a source file with the host editor"},
    {"G|P|GO", "[<address>]", false, cmd_go, "Pause/unpause & optionally set breakpoint",
     "Usage: G|P [<address>]\n\n", 6, "pause or resume; resume to a breakpoint"},
    {"GI", "", false, dbg_cmd_interrupt, "Generate an interrupt", nullptr, 6, "raise an interrupt"},
    {"GR", "", false, dbg_cmd_guide_pixel, "Use guide ray on/off", nullptr, 10,
     "guide pixel on/off"},
    {"H|HELP|?", "[category]", false, cmd_help, nullptr, "Usage: H|HELP|? [category]\n\n", 0,
     "help text"},
    {"I", "", false, cmd_ignore, "Ignore next instruction", nullptr, 6,
     "skip the next instruction"},
    {"IC", "[<start-port> [<end-port>]]", false, dbg_cmd_clear_port_traps,
     "Clear I/O port watchpoints from port range", "Usage: IC [<start-port> [<end-port>]]\n\n", 7,
     "clear I/O port watchpoints"},
    {"IL", "", false, dbg_cmd_list_port_traps, "List all I/O port watchpoints", nullptr, 7,
     "list I/O port watchpoints"},
    {"HISTORY", "", false, cmd_history_list, "View command history", nullptr, 4,
     "list the command history"},
    {"IP", "[<start-port> [<end-port>] [<addr/reg> <condition> <value>]]", false, dbg_cmd_port_trap,
     "Add I/O port watchpoints to port range",
     "Usage: IP [<start-port> [<end-port>] [<addr/reg> <condition> <value>]]\n\n", 7,
     "add I/O port watchpoints"},
    {"J|JUMP", "<address>", false, cmd_jump, "Jump to address", "Usage: J|JUMP <address>\n\n", 6,
     "set the instruction address"},
    {"L", "A|B|C|I|N|S", false, cmd_log, nullptr, nullptr, 5, "logging switches", log_usage},
    {"LOADSYM", "[<filename>]", false, cmd_loadsym, "Load symbol table from filename",
     "Usage: LOADSYM [<filename>]\n\n", 8, "load a symbol file"},
    {"N", "0|1|2|3|4", false, cmd_notation, nullptr, nullptr, 10,
     "notation of disassembly and registers", notation_usage},
    {"PB", "", false, cmd_pause_break, "Pause after breakpoints/watchpoints on/off", nullptr, 7,
     "pause after breakpoints/watchpoints on/off"},
    {"PL", "", false, cmd_pause_log, "Pause after logging on/off", nullptr, 5,
     "pause after logging on/off"},
    {"R", "F|I|L|R|S|<number>", false, cmd_run_to, "Run to rasterline number",
     "Usage: R F|I|L|R|S|<number>\n\n", 6, "run to a target"},
    {"SAVEAOF|SAVEEOF", "<start-address> <end-address> [<filename> [<game-start> [<block-size>]]]",
     false, cmd_save_object, "Save address range as filename (AOF/EOF)",
     "Usage: SAVEAOF|SAVEEOF <start-address> <end-address> [<filename> [<game-start> "
     "[<block-size>]]]\n\n",
     1, "save as object records", nullptr, ".aof .eof"},
    {"SAVECMD|SAVEIMAG|SAVEMOD", "<start-address> <end-address> [<filename> [<game-start>]]", false,
     cmd_save_disk_program, "Save address range as filename (CMD/IMAG/MOD)",
     "Usage: SAVECMD|SAVEIMAG|SAVEMOD <start-address> <end-address> [<filename> "
     "[<game-start>]]\n\n",
     1, "save as the disk system's program file", nullptr, ".cmd .imag .mod"},
    {"SAVESYM", "<filename>", false, cmd_savesym, "Save symbol table as filename",
     "Usage: SAVESYM <filename>\n\n", 8, "save the user labels", nullptr, ".sym"},
    {"SYS|SYSTEM", "", false, cmd_quit, "Quit emulator", nullptr, 0, "quit the emulator"},
    {"T|SS", "", false, cmd_trace, "Trace CPU on/off", nullptr, 5, "processor trace on/off"},
    {"TU", "0|1|2", false, cmd_time_unit, nullptr, nullptr, 10, "unit of the times shown",
     time_unit_usage},
    {"VB|VERBOSE", "0|1|2", false, cmd_verbosity, nullptr, nullptr, 10,
     "verbosity of trace and step output", verbosity_usage},
    {"WARN", "", false, cmd_warn, "Assembler warnings on/off", nullptr, 10,
     "assembler warnings on/off"},
    {"WC|DT", "[<start-address> [<end-address>]]", false, dbg_cmd_clear_watchpoints,
     "Clear data watchpoints from address range", "Usage: WC [<start-address> [<end-address>]]\n\n",
     7, "clear data watchpoints"},
    {"WL|LT", "", false, dbg_cmd_list_watchpoints, "List all data watchpoints", nullptr, 7,
     "list data watchpoints"},
    {"WP|ST", "<start-addr> [<end-addr>] [<addr/reg> <condition> <value>]", false,
     dbg_cmd_watchpoint, "Add data watchpoints to address range",
     "Usage: WP <start-addr> [<end-addr>] [<addr/reg> <condition> <value>]\n", 7,
     "add data watchpoints"},
    {"WR", "", false, cmd_watch_reads, "Watch reads on/off", nullptr, 7, "watch reads on/off"},
    {"WW", "NONE|SOME|ALL", false, cmd_watch_writes, nullptr, nullptr, 7,
     "which writes are watched", watch_writes_usage},

    // ---- memory and port commands (memory_commands.cpp), inspection tools
    // (inspect_tools.cpp) and DRAW (commands_machine.cpp) ----
    {"D|PEEK|DM", "<start-address> [<end-address>]", false, dbg_cmd_display_memory,
     "Display memory", "Usage: D|PEEK <start-address> [<end-address>]\n\n", 4,
     "show memory as hexadecimal and text"},
    {"E|POKE|PM|PR", "[<address> [<value>]]", false, dbg_cmd_poke, "Change memory or register",
     "Usage: E|POKE [<address> [<value>]]\n\n", 3, "change a byte or a register"},
    {"DOKE", "<address> [<value>]", false, dbg_cmd_doke, "Change a word of memory",
     "Usage: DOKE <address> [<value>]\n\n", 3, "change a 16-bit word"},
    {"FILL", "<start-address> <end-address> <value>", false, dbg_cmd_fill,
     "Fill address range with value", "Usage: FILL <start-address> <end-address> <value>\n\n", 9,
     "fill memory with a byte"},
    {"COPY|MOVE", "<source-start> <source-end> <target-start>", false, dbg_cmd_copy,
     "Copy memory block", "Usage: COPY|MOVE <source-start> <source-end> <target-start>\n\n", 9,
     "copy a block"},
    {"CO|COMP", "<1st-start> <1st-end> <2nd-start>", false, dbg_cmd_compare,
     "Compare memory blocks", "Usage: CO|COMP <1st-start> <1st-end> <2nd-start>\n\n", 9,
     "compare two blocks"},
    {"FIND", "[[<start-address> <end-address>] <value>]", false, dbg_cmd_find,
     "Find value or text in memory", "Usage: FIND [[<start-address> <end-address>] <value>]\n\n", 9,
     "search memory for a byte or a text"},
    {"READPORT", "<port>|CTRL|DATA", false, dbg_cmd_read_port, "Read from I/O port",
     "Usage: READPORT <port>|CTRL|DATA\n\n", 4, "read a guest I/O port"},
    {"WRITEPORT", "<port>|CTRL|DATA <value>", false, dbg_cmd_write_port, "Write to I/O port",
     "Usage: WRITEPORT <port>|CTRL|DATA <value>\n\n", 3, "write a guest I/O port"},
    {"DIS|DI", "[<start-address> [<end-address>]]", false, dbg_cmd_disassemble,
     "Disassemble address range", "Usage: DIS [<start-address> [<end-address>]]\n\n", 4,
     "disassemble memory"},
    {"DISGAME", "[<start-address> <end-address>] [<filename>]", false, dbg_cmd_disgame,
     "Disassemble game to source file",
     "Usage: DISGAME [<start-address> <end-address>] [<filename>]\n\n", 1,
     "disassemble into a source file", nullptr, ".asm"},
    {"=", "[<address>...]", false, dbg_cmd_describe, "List any or all known labels",
     "Usage: = [<address>]\n\n", 4, "describe a value, or list the labels"},
    {"ERROR", "<number>", false, dbg_cmd_error, "Show error message", "Usage: ERROR <number>\n\n",
     4, "text of a guest disk error"},
    {"IM", "[<start-address> <end-address>] [<filename>]", false, dbg_cmd_imagery,
     "View address range as imagery", "Usage: IM [<start-address> <end-address>] [<filename>]\n\n",
     4, "show memory as bit pictures", nullptr, ".asm"},
    {"REL", "<source-addr> [*]<target-addr>", false, dbg_cmd_relative,
     "Calculate relative offset of target-addr", "Usage: REL <source-addr> [*]<target-addr>\n\n", 9,
     "operand of a relative branch"},
    {"SWAP", "<1st-start> <1st-end> <2nd-start>", false, dbg_cmd_swap, "Swap memory blocks",
     "Usage: SWAP <1st-start> <1st-end> <2nd-start>\n\n", 9, "exchange two blocks"},
    {"TRAIN", "[<value>]", false, dbg_cmd_train, "Make trainer", "Usage: TRAIN [<value>]\n\n", 9,
     "find a game's counter"},
    {"DRAW", "0|1|2|3|4", false, dbg_cmd_draw, nullptr, nullptr, 11, "drawing mode",
     dbg_draw_usage},

    // ---- file commands (file_commands.cpp) ----
    {"LOADBIN|LOAD", "<start-address> <filename>", false, dbg_cmd_loadbin,
     "Load binary to start-addr from filename", "Usage: LOADBIN <start-address> <filename>\n\n", 1,
     "load a binary file into memory"},
    {"SAVEBIN", "<start-address> <end-address> <filename>", false, dbg_cmd_savebin,
     "Save address range as filename (BIN)",
     "Usage: SAVEBIN <start-address> <end-address> <filename>\n\n", 1, "save as a binary file",
     nullptr, ".bin"},
    {"SAVEHEX", "<start-address> <end-address> <filename>", false, dbg_cmd_savehex,
     "Save address range as filename (Intel hex)",
     "Usage: SAVEHEX <start-address> <end-address> <filename>\n\n", 1, "save as Intel HEX", nullptr,
     ".hex"},
    {"SAVEBPNF|SAVEBNPF", "<start-address> <end-address> <filename>", false, dbg_cmd_savebpnf,
     "Save address range as filename (BPNF)",
     "Usage: SAVEBPNF <start-address> <end-address> <filename>\n\n", 1, "save as a BPNF tape",
     nullptr, ".bpnf"},
    {"SAVESMS", "<end-address> <filename>", false, dbg_cmd_savesms,
     "Save address $0 to end-addr as filename (SMS)", "Usage: SAVESMS <end-address> <filename>\n\n",
     1, "save as an SMS tape", nullptr, ".sms"},
    {"SAVETVC", "<start-address> <end-address> [<filename> [<game-start>]]", false, dbg_cmd_savetvc,
     "Save address range as filename (TVC)",
     "Usage: SAVETVC <start-address> <end-address> [<filename> [<game-start>]]\n\n", 1,
     "save as an Elektor program file", nullptr, ".tvc"},
    {"ASM", "<filename>", false, dbg_cmd_asm, "Assemble source code", "Usage: ASM <filename>\n\n",
     1, "assemble a source file", nullptr, ".lst"},
    {"DL", "", true, dbg_cmd_dl, nullptr, nullptr, 1, "open a file with the requester"},
    // ---- the coverage report (coverage.cpp) ----
    {"COVER", "[<reporttype>]", false, dbg_cmd_cover, nullptr, "Usage: COVER [<reporttype>]\n\n", 4,
     "report what the guest used"},
    {"CLEARCOV", "", false, dbg_cmd_clearcov, "Clear coverage report", nullptr, 0,
     "forget the coverage record"},
};
const int command_count = static_cast<int>(std::size(commands));

// The most argument words a command takes; -1 for any number.
int most_arguments(const DbgCommand& c) {
    if (std::strstr(c.arguments, "...")) return -1;
    int words = 0;
    for (const char* p = c.arguments; *p; p++)
        if (*p != ' ' && (p == c.arguments || p[-1] == ' ')) words++;
    return words;
}

bool names_match(const char* names, const char* word) {
    const size_t length = std::strlen(word);
    for (const char* p = names;;) {
        const char* bar = std::strchr(p, '|');
        const size_t n = bar ? static_cast<size_t>(bar - p) : std::strlen(p);
        if (n == length) {
            size_t i = 0;
            while (i < n && std::toupper(static_cast<unsigned char>(word[i])) == p[i])
                i++;
            if (i == n) return true;
        }
        if (!bar) return false;
        p = bar + 1;
    }
}
} // namespace

std::string dbg_command_name() {
    if (!current) return dbg_cmd;
    const char* bar = std::strchr(current->names, '|');
    return bar ? std::string(current->names, bar) : std::string(current->names);
}

std::vector<DbgFileWriter> dbg_file_writers() {
    std::vector<DbgFileWriter> writers;
    for (const DbgCommand& c : commands)
        if (c.writes) writers.push_back({c.names, c.arguments, c.writes});
    return writers;
}

const char* dbg_command_description(const char* word) {
    for (const DbgCommand& c : commands)
        if (names_match(c.names, word)) return c.description;
    return nullptr;
}

bool dbg_command_known(const char* word) {
    return dbg_command_description(word) != nullptr;
}

const char* (*dbg_item_refusal)(const char* line) = nullptr;

bool dbg_same_command(const char* a, const char* b) {
    for (const DbgCommand& c : commands)
        if (names_match(c.names, a)) return names_match(c.names, b);
    return false;
}

int dbg_execute() {
    line_refused = false;
    operand_said = block_ended = false;
    refusal.clear();
    // A command that is a Debug menu item is refused where its item is ghosted.
    if (const char* why = dbg_item_refusal ? dbg_item_refusal(g_dbg_line) : nullptr) {
        dbg_refuse("%s", why);
        return 10;
    }
    if (g_dbg_line[0] == '*') {
        if (dbg_shell_start) dbg_shell_start(g_dbg_line + 1);
        return 0;
    }
    char* const words[7] = {dbg_cmd, dbg_arg1, dbg_arg2, dbg_arg3, dbg_arg4, dbg_arg5, dbg_arg6};
    for (char* w : words)
        w[0] = '\0';
    const char* p = g_dbg_line;
    for (char* w : words) {
        while (*p && std::isspace(static_cast<unsigned char>(*p)))
            p++;
        size_t n = 0;
        while (p[n] && !std::isspace(static_cast<unsigned char>(p[n])))
            n++;
        std::memcpy(w, p, n);
        w[n] = '\0';
        p += n;
    }
    if (g_dbg_line[0] == '"') { // a chat message for the netplay peer
        if (!net_store_chat(g_dbg_line + 1)) {
            dbg_refuse("Command is unavailable.\n\n");
            return 10;
        }
        con_printf("%s.\n\n", cat_str(143, "OK"));
        return 0;
    }
    for (const DbgCommand& c : commands) {
        if (!names_match(c.names, dbg_cmd)) continue;
        if (c.frame_boundary && emu_paused_mid_frame) return 0;
        current = &c;
        // More words than the command takes: its usage, whatever the command.
        const int most = most_arguments(c);
        if (most >= 0 && dbg_arg_count() > most)
            dbg_usage();
        else
            c.run();
        current = nullptr;
        // A command may have changed anything the tool windows show.
        ui_mark(UI_REFRESH_FORCED);
        return line_refused ? 10 : 0;
    }
    char upper[DBG_LINE_LENGTH];
    size_t i = 0;
    for (; dbg_cmd[i]; i++)
        upper[i] = (dbg_cmd[i] >= 'a' && dbg_cmd[i] <= 'z') ? static_cast<char>(dbg_cmd[i] - 32)
                                                            : dbg_cmd[i];
    upper[i] = '\0';
    dbg_refuse("Unknown command \"%s\" (\"H\" for help).\n\n", upper);
    return 10;
}

void dbg_commands_reset() {
    line_refused = false;
    operand_said = block_ended = false;
    refusal.clear();
    std::memset(cmd_history, 0, sizeof cmd_history);
    g_dbg_line[0] = '\0';
    for (char* w : {dbg_cmd, dbg_arg1, dbg_arg2, dbg_arg3, dbg_arg4, dbg_arg5, dbg_arg6})
        w[0] = '\0';
    dbg_mask = 0xFF;
    dbg_shell_start = shell_start;
    dbg_editor_reset();
    dbg_inspect_reset();
}
