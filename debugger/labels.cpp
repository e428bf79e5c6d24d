// Labels: the user and built-in label tables, the address formatter, SYM text,
// the symbol commands, Tab completion and the name-clash audit.
#include "core/helpers.h"
#include "debugger/labels.h"

#include "assembler/expr.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/gamesdb.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/objfile.h"
#include "core/seams_games.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "cpu/dbg_hooks.h"
#include "cpu/disasm.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/debugger.h"
#include "debugger/literals.h"
#include "platform/paths.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

LabelRow user_labels[USER_LABEL_ROWS];
u32 user_label_count = 0;
LabelRow label_table[LABEL_TABLE_ROWS];
i32 dos_label_first = -1;
i32 dos_label_last = -1;
i32 label_match = -1;
u32 label_list_count = 0;
u32 sym_text_length = 0;

// ---- The built-in rows that are known ---------------------------------------------

namespace {
// Processor flag names (PSU and PSL bit values).
constexpr BuiltinLabel cpu_flag_rows[] = {
    {4156, 0x01, "C", 'D'},   {4157, 0x01, "CAR", 'D'},  {4158, 0x01, "CRY", 'D'},
    {4159, 0x02, "COM", 'D'}, {4160, 0x02, "LCOM", 'D'}, {4161, 0x04, "OVF", 'D'},
    {4162, 0x08, "WC", 'D'},  {4163, 0x10, "RS", 'D'},   {4164, 0x20, "IDC", 'D'},
    {4165, 0x20, "II", 'D'},  {4166, 0x40, "F", 'D'},    {4167, 0x40, "FLAG", 'D'},
    {4168, 0x80, "S", 'D'},   {4169, 0x80, "SENS", 'D'},
};

constexpr BuiltinLabels cpu_flag_set = builtin_labels(cpu_flag_rows);

void fill_rows(const BuiltinLabels& set) {
    for (u32 i = 0; i < set.count; i++) {
        const BuiltinLabel& given = set.rows[i];
        if (given.row < 0 || given.row >= LABEL_TABLE_ROWS) continue;
        LabelRow& row = label_table[given.row];
        row.address = given.address;
        std::snprintf(row.name, sizeof row.name, "%s", given.name);
        row.kind = given.kind;
    }
}

// The processor's rows, then the rows every machine names.
void fill_label_table() {
    std::memset(label_table, 0, sizeof label_table);
    fill_rows(cpu_flag_set);
    for (u32 m = 0; m < MACHINES; m++)
        for (const BuiltinLabels* set : machine_debug(m).label_sets)
            if (set) fill_rows(*set);
}
[[maybe_unused]] const bool table_filled = (fill_label_table(), true);

// ---- The sources ------------------------------------------------------------------

enum Source { SRC_USER, SRC_CPU, SRC_PVI, SRC_MACHINE, SRC_DOS, SRC_ACOS, SRC_GAME };

bool has_cpu() {
    return !machine_traits().no_processor;
}

const KnownGame* loaded_game() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return nullptr;
    const KnownGame& game = known_games_db[known_game_id];
    return game.label_first >= 0 ? &game : nullptr;
}

// Calls visit(row, address, match) for every named row of a source in row
// order until it returns true; returns whether it did.
template <typename Visit> bool each_in(Source source, Visit visit) {
    auto run = [&](i32 first, i32 last, u32 base) {
        if (first < 0) return false;
        for (i32 r = first; r <= last && r < LABEL_TABLE_ROWS; r++) {
            const LabelRow& row = label_table[r];
            if (row.name[0] && visit(row, (base + row.address) & 0xFFFF, r)) return true;
        }
        return false;
    };
    const MachineDesc& m = machine_desc();
    switch (source) {
    case SRC_USER:
        for (u32 i = 0; i < user_label_count && i < USER_LABEL_ROWS; i++)
            if (visit(user_labels[i], user_labels[i].address, 1000000 + static_cast<i32>(i)))
                return true;
        return false;
    case SRC_CPU:
        return run(LABEL_CPU_FIRST, LABEL_CPU_FIRST + LABEL_CPU_ROWS - 1, 0);
    case SRC_PVI:
        for (i32 p = 0; p < machine_live_row().pvi_count; p++) {
            const i32 first = LABEL_PVI_FIRST + p * LABEL_PVI_ROWS;
            if (run(first, first + LABEL_PVI_ROWS - 1, static_cast<u32>(m.first_pvi_base)))
                return true;
        }
        return false;
    case SRC_MACHINE:
        return run(machine_live_row().first_label_row, machine_live_row().last_label_row, 0);
    case SRC_DOS:
        return m.traits.os_symbols && run(dos_label_first, dos_label_last, 0);
    case SRC_ACOS:
        return m.traits.os_symbols &&
               run(LABEL_ACOS_FIRST, LABEL_ACOS_FIRST + LABEL_ACOS_ROWS - 1, 0);
    case SRC_GAME:
        if (const KnownGame* game = loaded_game())
            return run(LABEL_GAME_BASE + game->label_first, LABEL_GAME_BASE + game->label_last, 0);
        return false;
    }
    return false;
}

// The boards whose bytes are ASCII text (their control codes have names).
bool ascii_terminal_machine() {
    return cpu_char_style() == CHARS_ASCII;
}

bool same_name(const char* a, const char* b) {
    for (; *a && *b; a++, b++)
        if (std::toupper(static_cast<unsigned char>(*a)) !=
            std::toupper(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

// One entry of the formatter's list modes.
void list_entry(const char* name, u8 kind, u32 address, int mode) {
    if (mode == 1) {
        const char* word = kind == 'C'   ? "code"
                           : kind == 'D' ? "data"
                           : kind == 'P' ? "pointer"
                           : kind == 'R' ? "register"
                                         : "unknown";
        con_printf("%s (%s)\n", name, word);
        return;
    }
    if (std::strlen(name) < 31) {
        if (label_list_count % 2 == 0)
            con_printf("%30s %c $%04X", name, kind, address);
        else
            con_printf(" %30s %c $%04X\n", name, kind, address);
        label_list_count++;
        return;
    }
    if (label_list_count % 2) {
        con_printf("\n");
        label_list_count++;
    }
    con_printf("%69s %c $%04X\n", name, kind, address);
    label_list_count += 2;
}
} // namespace

bool dbg_ascii_terminal() {
    return ascii_terminal_machine();
}

// ---- The formatter ----------------------------------------------------------------

char dbg_format_address(u32 addr, char* out, int with_value, int list_mode, int sources,
                        int dollar) {
    if (!has_cpu()) {
        out[0] = '\0';
        return 0;
    }
    u8 found = 0;
    // Writes a match into out; true ends the search (not in list mode).
    auto take = [&](const char* name, u8 kind, bool suffix, i32 match) {
        if (suffix && with_value)
            std::snprintf(out, DBG_ADDRESS_TEXT_SIZE, "%s ($%X)", name, addr);
        else
            std::snprintf(out, DBG_ADDRESS_TEXT_SIZE, "%s", name);
        label_match = match;
        if (!list_mode) {
            found = kind;
            return true;
        }
        list_entry(out, kind, addr, list_mode);
        return false;
    };
    const u32 notation = dis_notation < NOTATIONS ? dis_notation : 0;
    if (addr >= MEM_REG_BASE && addr < MEM_REG_BASE + MEM_REG_COUNT &&
        take(register_names[addr - MEM_REG_BASE][notation], 'R', false, REG_NONE))
        return found;
    auto rows = [&](Source source) {
        return each_in(source, [&](const LabelRow& row, u32 address, i32 match) {
            return address == addr && take(row.name, row.kind, true, match);
        });
    };
    if (rows(SRC_USER)) return found;
    if (sources == 0 && rows(SRC_CPU)) return found;
    if (sources == 0 || sources == 15)
        for (Source s : {SRC_PVI, SRC_MACHINE, SRC_DOS, SRC_ACOS, SRC_GAME})
            if (rows(s)) return found;
    if (sources == 0 && ascii_terminal_machine() && addr <= 31 &&
        take(ascii_control_names[addr], 'D', false, -1))
        return found;
    if (addr < MEM_REG_BASE)
        cpu_format_address_plain(addr, out, dollar);
    else if (dollar)
        std::snprintf(out, DBG_ADDRESS_TEXT_SIZE, "$%X", addr);
    else
        std::snprintf(out, DBG_ADDRESS_TEXT_SIZE, "%s%X", dis_hex_prefix[notation], addr);
    label_match = -1;
    return 0;
}

// ---- User labels --------------------------------------------------------------------

// Where a label's errors are printed: con_printf, or dbg_refuse for the
// debugger's DEFSYM (a bad name refuses the line).
using ErrorPrinter = void (*)(const char* format, ...);

static void define(const char* name, u32 address, u8 kind, bool report,
                   ErrorPrinter error = con_printf) {
    const size_t length = std::strlen(name);
    if (length == 0) {
        error("Error: %s\n", "symbol has zero-length name");
        return;
    }
    if (length > LABEL_NAME_MAX) {
        error("Error: %s\n", "symbol name is too long");
        return;
    }
    char upper[LABEL_NAME_MAX + 1];
    for (size_t i = 0; i <= length; i++)
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    for (size_t i = 0; i < length; i++) {
        const char c = upper[i];
        if (!((c >= 'A' && c <= 'Z') || c == '_' || (i > 0 && c >= '0' && c <= '9'))) {
            error("Error: illegal symbol name \"%s\"\n", upper);
            return;
        }
    }
    for (u32 i = 0; i < user_label_count && i < USER_LABEL_ROWS; i++) {
        LabelRow& row = user_labels[i];
        if (std::strcmp(row.name, upper) != 0) continue;
        if (row.address == address && row.kind == kind) return;
        if (report)
            con_printf("Redefining user-defined label %s (was $%X (%c), now $%X (%c)).\n", upper,
                       row.address, row.kind, address, kind);
        row.address = static_cast<u16>(address);
        row.kind = kind;
        return;
    }
    if (user_label_count >= USER_LABEL_ROWS) {
        error("Error: %s\n", "too many user-defined symbols");
        return;
    }
    int clash = 0; // 1 redundant, 2 overriding
    for (Source s : {SRC_CPU, SRC_MACHINE, SRC_DOS, SRC_ACOS, SRC_GAME, SRC_PVI}) {
        each_in(s, [&](const LabelRow& row, u32 row_address, i32) {
            if (!same_name(row.name, upper)) return false;
            clash = row_address == address ? 1 : 2;
            return true;
        });
        if (clash) break;
    }
    if (clash == 1) {
        if (report) con_printf("Ignoring redundant definition of %s as $%X.\n", upper, address);
        return;
    }
    if (report) {
        if (clash == 2)
            con_printf("Overriding built-in label %s as $%X.\n", upper, address);
        else
            con_printf("Adding user-defined %s label %s as $%X.\n", dis_memory_type_name(kind),
                       upper, address);
    }
    LabelRow& row = user_labels[user_label_count++];
    std::memset(&row, 0, sizeof row);
    row.address = static_cast<u16>(address);
    std::snprintf(row.name, sizeof row.name, "%s", upper);
    row.kind = kind;
}

void sym_add(const char* name, u32 address, u8 kind) {
    define(name, address, kind, true);
}

void sym_add_quiet(const char* name, u32 address, u8 kind) {
    define(name, address, kind, false);
}

bool sym_lookup(const char* name, size_t length, i32* value) {
    bool found = false;
    for (Source s : {SRC_USER, SRC_CPU, SRC_PVI, SRC_MACHINE, SRC_DOS, SRC_ACOS, SRC_GAME}) {
        found = each_in(s, [&](const LabelRow& row, u32 address, i32 match) {
            if (std::strlen(row.name) != length) return false;
            for (size_t i = 0; i < length; i++)
                if (std::toupper(static_cast<unsigned char>(row.name[i])) !=
                    std::toupper(static_cast<unsigned char>(name[i])))
                    return false;
            *value = static_cast<i32>(address);
            if (asm_active && match >= 1000000) user_labels[match - 1000000].used = 1;
            return true;
        });
        if (found) return true;
    }
    return false;
}

void labels_reset() {
    std::memset(user_labels, 0, sizeof user_labels);
    user_label_count = 0;
    fill_label_table();
    dos_label_first = dos_label_last = -1;
    label_match = -1;
    label_list_count = 0;
}

// ---- SYM text -----------------------------------------------------------------------

namespace {
struct Keyword {
    const char* word;
    u8 kind;
};
// "data" is what the writer puts on data labels, so that they read back.
const Keyword keywords[] = {{"code", 'C'},    {"vector", 'P'}, {"vectab", 'P'},
                            {"addrtab", 'D'}, {"byte", 'D'},   {"string", 'D'},
                            {"word", 'D'},    {"data", 'D'},   {"symbol", 'U'}};

bool blank(char c) {
    return c == ' ' || c == '\t';
}
bool prefix_nocase(const char* text, const char* end, const char* word) {
    for (; *word; word++, text++)
        if (text >= end ||
            std::tolower(static_cast<unsigned char>(*text)) != static_cast<unsigned char>(*word))
            return false;
    return true;
}
bool all_of(const char* p, const char* end, int n, int (*test)(int)) {
    if (end - p < n) return false;
    for (int i = 0; i < n; i++)
        if (!test(static_cast<unsigned char>(p[i]))) return false;
    return p + n == end || blank(p[n]) || p[n] == '\r' || p[n] == '\n';
}
int is_octal(int c) {
    return c >= '0' && c <= '7';
}
void out_of_range(const char* name, ErrorPrinter error = con_printf, const char* where = "") {
    error("Label %s is out of range%s!\n", name, where);
    error("Valid range is $%X..$%X!\n\n", 0u, 0x7FFFu);
}

// The line of a symbol file being read, and the file ("" none), for its
// messages; line_where is " on line 3 of x.sym".
int line_number = 0;
std::string line_file, line_where;

// A message about the line being read, which it names before the end of the
// message's first line.
void line_error(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::string said = text;
    std::size_t at = said.find('\n');
    if (at == std::string::npos) at = said.size();
    if (at > 0 && said[at - 1] == '!') at--;
    said.insert(at, line_where);
    con_printf("%s", said.c_str());
}

// The first word of a line, for a message (at most 20 characters).
std::string first_word(const char* p, const char* end) {
    const char* stop = p;
    while (stop < end && !blank(*stop) && *stop != '\r' && stop - p < 20)
        stop++;
    return std::string(p, stop);
}

// One line from `line` up to `end` (without its LF).
void parse_line(const char* line, const char* end) {
    const char* p = line;
    while (p < end && (blank(*p) || *p == '\r'))
        p++;
    if (p >= end || *p == ';') return;
    const Keyword* keyword = nullptr;
    for (const Keyword& k : keywords)
        if (prefix_nocase(p, end, k.word)) {
            keyword = &k;
            break;
        }
    if (!keyword) {
        con_printf("Line %d%s%s is skipped: \"%s\" is no keyword of a label line!\n",
                   line_number, line_file.empty() ? "" : " of ", line_file.c_str(),
                   first_word(p, end).c_str());
        return;
    }
    while (p < end && !blank(*p))
        p++;
    while (p < end && blank(*p))
        p++;
    const char* value_text = p;
    while (p < end && !blank(*p) && *p != '\r')
        p++;
    const char* value_end = p;
    while (p < end && blank(*p))
        p++;
    char name[LABEL_NAME_MAX + 1];
    int n = 0;
    while (p < end && !blank(*p) && *p != '\r' && n < LABEL_NAME_MAX)
        name[n++] = *p++;
    name[n] = '\0';
    std::optional<i64> value;
    if (value_end - value_text == 6 && value_text[0] == '0' &&
        (value_text[1] == 'x' || value_text[1] == 'X'))
        value = num_parse_hex(value_text + 2, 4);
    else if (value_end - value_text == 6 && value_text[0] == '0' &&
             all_of(value_text + 1, value_end, 5, is_octal))
        value = num_parse_oct(value_text + 1, 5);
    else if (value_end - value_text == 5 && value_text[0] >= '1' && value_text[0] <= '9')
        value = num_parse_dec(value_text, 5);
    if (!value) {
        con_printf("Label %s%s has a value that can't be read: \"%.*s\" (0x and four hex "
                   "digits, 0 and five octal digits, or five decimal digits)!\n\n",
                   name, line_where.c_str(), static_cast<int>(value_end - value_text), value_text);
        return;
    }
    if (*value < 0 || *value > 0x7FFF) {
        out_of_range(name, con_printf, line_where.c_str());
        return;
    }
    define(name, static_cast<u32>(*value), keyword->kind, true, line_error);
}
} // namespace

void sym_parse_file(const char* given, const std::string& file) {
    const char* given_end = given;
    while (static_cast<u32>(given_end - given) < sym_text_length && *given_end)
        given_end++;
    // Lines end in CR LF, a lone CR or LF alike.
    const std::string lines = text_lf_lines(std::string(given, given_end));
    const char* text = lines.c_str();
    const char* end = text + lines.size();
    line_file = file;
    line_number = 1;
    for (const char* line = text; line < end; line_number++) {
        const char* stop = static_cast<const char*>(std::memchr(line, '\n', end - line));
        if (!stop) stop = end;
        line_where = " on line " + std::to_string(line_number) + (file.empty() ? "" : " of " + file);
        parse_line(line, stop);
        line = stop + 1;
    }
    line_where.clear();
}

const char* dbg_label_type_word(u8 kind) {
    switch (kind) {
    case 'D':
        return "data  ";
    case 'C':
        return "code  ";
    case 'P':
        return "vector";
    default:
        return "symbol";
    }
}

void sym_write_file(std::FILE* file) {
    auto write = [&](const LabelRow& row, u32 address, i32) {
        std::fprintf(file, "%s          0x%04X  %s\n", dbg_label_type_word(row.kind), address,
                     row.name);
        return false;
    };
    std::fprintf(file, ";CPU flags:\n");
    each_in(SRC_CPU, write);
    if (machine_live_row().first_label_row >= 0 || machine_live_row().pvi_count > 0) {
        std::fprintf(file, ";Guest-specific:\n");
        each_in(SRC_MACHINE, write);
        each_in(SRC_DOS, write);
        each_in(SRC_PVI, write);
    }
    if (loaded_game()) {
        std::fprintf(file, ";Game-specific:\n");
        each_in(SRC_GAME, write);
    }
    if (user_label_count) {
        std::fprintf(file, ";User-defined:\n");
        each_in(SRC_USER, [&](const LabelRow& row, u32 address, i32) {
            if (asm_active && !row.used)
                std::fprintf(file, "%s          0x%04X  %-17s ;Unused\n",
                             dbg_label_type_word(row.kind), address, row.name);
            else
                write(row, address, 0);
            return false;
        });
    }
}

void dbg_load_symbols(const char* filename) {
    if (!dbg_enter_projects(filename)) return;
    char name[1024];
    std::snprintf(name, sizeof name, "%s", filename);
    struct stat st;
    if (stat(name, &st) != 0 || st.st_size == 0)
        file_set_extension_found(".sym", name, sizeof name, 0);
    // The symbol file limit of the loader: 4 MiB.
    std::string text, why;
    if (file_read_telling(name, &text, 4u << 20, &why) != READ_OK) {
        dbg_refuse("Failed! %s\n\n", file_failure_text("Can't read", path_absolute(name), why).c_str());
    } else {
        sym_text_length = static_cast<u32>(text.size());
        sym_parse_file(text.c_str(), name);
        con_printf("%s.\n\n", "OK");
    }
    dir_restore();
}

// ---- Tab completion -----------------------------------------------------------------

void dbg_complete_label() {
    const char* space = std::strrchr(g_dbg_line, ' ');
    const char* prefix = space ? space + 1 : g_dbg_line;
    const size_t length = std::strlen(prefix);
    int count = 0;
    const char* only = nullptr;
    for (Source s : {SRC_USER, SRC_CPU, SRC_PVI, SRC_MACHINE, SRC_DOS, SRC_ACOS, SRC_GAME})
        each_in(s, [&](const LabelRow& row, u32, i32) {
            for (size_t i = 0; i < length; i++)
                if (std::toupper(static_cast<unsigned char>(row.name[i])) !=
                    std::toupper(static_cast<unsigned char>(prefix[i])))
                    return false;
            count++;
            only = row.name;
            return false;
        });
    if (count != 1) return;
    const size_t used = std::strlen(g_dbg_line);
    std::snprintf(g_dbg_line + used, sizeof g_dbg_line - used, "%s", only + length);
}

// ---- The audit ----------------------------------------------------------------------

void dbg_audit_labels() {
    if (!has_cpu()) return;
    struct Named {
        const char* name;
        u32 address;
    };
    auto collect = [](Source s) {
        std::vector<Named> v;
        each_in(s, [&](const LabelRow& row, u32 address, i32) {
            v.push_back({row.name, address});
            return false;
        });
        return v;
    };
    struct Group {
        const char* upper;
        const char* lower;
        std::vector<Named> rows;
    };
    std::vector<Group> groups = {{"User-defined", "user-defined", collect(SRC_USER)},
                                 {"PVI", "PVI", collect(SRC_PVI)},
                                 {"Machine", "machine", collect(SRC_MACHINE)},
                                 {"DOS", "DOS", collect(SRC_DOS)},
                                 {"ACOS", "ACOS", collect(SRC_ACOS)},
                                 {"Game", "game", collect(SRC_GAME)}};
    const u32 notation = dis_notation < NOTATIONS ? dis_notation : 0;
    if (ascii_terminal_machine())
        for (u32 v = 0; v < 32; v++) {
            const char* ascii = ascii_control_names[v];
            for (u32 r = 0; r < REGISTER_ROWS; r++)
                if (same_name(ascii, register_names[r][notation]))
                    con_printf("ASCII name %s ($%X) matches built-in token %s!\n", ascii, v,
                               register_names[r][notation]);
            for (const Group& g : groups)
                for (const Named& n : g.rows)
                    if (same_name(ascii, n.name))
                        con_printf("ASCII name %s ($%X) matches %s label %s ($%X)!\n", ascii, v,
                                   g.lower, n.name, n.address);
        }
    for (u32 r = 0; r < REGISTER_ROWS; r++)
        for (const Group& g : groups)
            for (const Named& n : g.rows)
                if (same_name(register_names[r][notation], n.name))
                    con_printf("Built-in token %s matches %s label!\n", register_names[r][notation],
                               g.lower);
    for (size_t a = 0; a < groups.size(); a++)
        for (size_t b = a + 1; b < groups.size(); b++)
            for (const Named& x : groups[a].rows)
                for (const Named& y : groups[b].rows)
                    if (same_name(x.name, y.name))
                        con_printf("%s label %s ($%X) matches %s label %s ($%X)!\n",
                                   groups[a].upper, x.name, x.address, groups[b].lower, y.name,
                                   y.address);
}

// ---- Commands -----------------------------------------------------------------------

static bool lone_question() {
    return std::strcmp(dbg_arg1, "?") == 0 && !dbg_arg2[0];
}

bool dbg_defsym() {
    if (lone_question() || !dbg_arg1[0] || !dbg_arg2[0] || dbg_arg4[0]) return false;
    u8 kind = 'U';
    if (dbg_arg3[0]) {
        const char k = static_cast<char>(std::toupper(static_cast<unsigned char>(dbg_arg3[0])));
        if (dbg_arg3[1] || (k != 'C' && k != 'D' && k != 'P' && k != 'U')) return false;
        kind = static_cast<u8>(k);
    }
    if (!dbg_machine_has_cpu(true)) return true;
    const u32 address = dbg_parse_register_operand(dbg_arg2, 0x7FFF, 0);
    if (address == static_cast<u32>(REG_NONE)) {
        char upper[DBG_LINE_LENGTH];
        size_t i = 0;
        for (; dbg_arg1[i]; i++)
            upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(dbg_arg1[i])));
        upper[i] = '\0';
        out_of_range(upper, dbg_refuse);
        return true;
    }
    define(dbg_arg1, address, kind, true, dbg_refuse);
    con_printf("\n");
    return true;
}

bool dbg_clearsym() {
    if (lone_question() || dbg_arg2[0]) return false;
    if (!dbg_machine_has_cpu(true)) return true;
    if (dbg_arg1[0]) {
        for (u32 i = 0; i < user_label_count; i++) {
            if (!same_name(user_labels[i].name, dbg_arg1)) continue;
            con_printf("Clearing user-defined label %s (was $%X).\n", user_labels[i].name,
                       user_labels[i].address);
            std::memmove(&user_labels[i], &user_labels[i + 1],
                         sizeof(LabelRow) * (user_label_count - 1 - i));
            std::memset(&user_labels[--user_label_count], 0, sizeof(LabelRow));
            return true;
        }
        dbg_refuse("Label not found.\n\n");
        return true;
    }
    if (user_label_count == 0) {
        dbg_refuse("No user-defined labels to clear!\n\n");
        return true;
    }
    std::memset(user_labels, 0, sizeof user_labels);
    user_label_count = 0;
    con_printf("%s.\n\n", "OK");
    return true;
}

bool dbg_loadsym() {
    if (lone_question() || dbg_arg2[0]) return false;
    if (!dbg_machine_has_cpu(true)) return true;
    if (dbg_arg1[0]) {
        dbg_load_symbols(dbg_arg1);
        return true;
    }
    std::memset(user_labels, 0, sizeof user_labels);
    user_label_count = 0;
    con_printf("%s.\n\n", "OK");
    return true;
}

bool dbg_savesym() {
    if (lone_question() || !dbg_arg1[0] || dbg_arg2[0]) return false;
    if (!dbg_machine_has_cpu(true)) return true;
    // Made in memory, then written whole through the replacing writer: a failed
    // write leaves the old file, and no fixed temporary name is followed.
    dbg_save_in_projects(dbg_arg1, ".sym", [](const char* name) {
        char* text = nullptr;
        size_t size = 0;
        std::FILE* f = open_memstream(&text, &size);
        bool ok = f != nullptr;
        if (f) {
            sym_write_file(f);
            ok = std::fclose(f) == 0;
            ok = ok && objfile_write_file(name, text, size);
        }
        std::free(text);
        return ok ? 1 : 0;
    });
    return true;
}
