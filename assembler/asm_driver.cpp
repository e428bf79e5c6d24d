// The assembler's driver: finds and reads the source, splits it into lines,
// runs the two passes, keeps the emitter's bookkeeping, writes the listing and
// the object file, and reports errors and warnings with their line.
#include "assembler/asm.h"

#include "core/helpers.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/message_date.h"
#include "core/objfile.h"
#include "core/own_outputs.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "core/ui_host.h"
#include "cpu/disasm.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/labels.h"
#include "debugger/literals.h"
#include "platform/file_identity.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <strings.h>
#include <vector>
#include <filesystem>
#include <sys/stat.h>

// A whole regular file of at most `limit` bytes into `out` (READ_OK and the
// other outcomes of file_read_regular).
static int read_text(const std::string& name, std::uint64_t limit, std::string* out) {
    return file_read_regular(name, limit, [&](std::size_t n) {
        out->assign(n, '\0');
        return reinterpret_cast<u8*>(out->data());
    });
}

char asm_source_name[ASM_NAME_SIZE];
std::string asm_source;
i32 asm_read_index;
i32 asm_line_start;
char asm_line[ASM_LINE_SIZE];
i32 asm_line_number = 1;
i32 asm_line_location;
u8 asm_line_code[3];
i32 asm_line_code_count;
i32 asm_low_address = 0x7FFF, asm_high_address = 0;
bool asm_origin_set, asm_end_seen, asm_start_set, asm_in_text_block;
i32 asm_start_address;
i32 asm_include_depth;
std::string asm_include_tree;
char asm_include_name[ASM_NAME_SIZE];
u32 asm_warning_count;
std::FILE* asm_listing_file;
char asm_label[ASM_LABEL_SIZE];
std::string asm_object_name;
std::string asm_first_error;
std::string asm_listing_name;

namespace {

int include_count;     // text includes expanded in pass 1
bool origin_warned;    // "origin not set" was given in this pass
bool line_too_long;    // the current line was cut to fit asm_line
std::string listing;   // the listing text, written out at the end
std::string list_name; // its file name
bool stopped;          // a break ended the run
std::string unwritten; // which output could not be written, and why ("" when all were)

const char* const notation_names[NOTATIONS] = {"non-extended Signetics", "extended Signetics",
                                               "old CALM", "new CALM", "IEEE-694"};

bool exists(const std::string& name) {
    struct stat st;
    return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The name with its last extension (after the last '.' of the last part) replaced.
std::string with_extension(const std::string& name, const char* ext) {
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return name.substr(0, dot) + ext;
    return name + ext;
}

bool has_known_extension(const std::string& name) {
    for (int k = 0; k < FILE_KINDS; k++) {
        const char* ext = file_kinds[k].extension;
        if (!ext || !*ext) continue;
        const size_t n = std::strlen(ext);
        if (name.size() >= n && strncasecmp(name.c_str() + name.size() - n, ext, n) == 0)
            return true;
    }
    return false;
}

// Where the lines of the expanded text come from. From `line` (a line of the
// expanded text) on, the lines are those of file `file` from its line `own`
// on; a `held` stretch (the end mark of an include and the rest of its INCLUDE
// line) counts as that one line. Sorted by `line`; empty until pass 1 expands
// a text include, so that a source without one keeps plain line numbers.
struct LineOrigin {
    i32 line;
    size_t file; // in origin_files
    i32 own;
    bool held;
};
std::vector<LineOrigin> origins;
// The source, then each include as written, with the lines the file holds (a
// file ending in a line end holds no empty line after it).
struct OriginFile {
    std::string name;
    i32 lines;
};
std::vector<OriginFile> origin_files;

// The first origin past expanded line `line`.
std::vector<LineOrigin>::iterator origin_after(i32 line) {
    return std::upper_bound(origins.begin(), origins.end(), line,
                            [](i32 l, const LineOrigin& o) { return l < o.line; });
}

// The file and own line number of expanded line `line` (origins not empty).
LineOrigin own_line(i32 line) {
    const LineOrigin& o = *std::prev(origin_after(line));
    return {line, o.file, o.held ? o.own : o.own + (line - o.line), false};
}

// Notes an include expanded at the current line: `lines` line ends were
// inserted, the file's text `text` holding `file_line_ends` of them;
// `line_end_after` tells whether the INCLUDE line had its own line end after
// the insertion.
void note_include(i32 lines, const std::string& text, i32 file_line_ends, bool line_end_after) {
    const i32 at = asm_line_number;
    if (origins.empty()) {
        // The splitter ends with the source's last line: it reads none past it.
        origin_files.assign(1, {asm_source_name, std::numeric_limits<i32>::max()});
        origins.push_back({1, 0, 1, false});
    }
    const LineOrigin here = own_line(at);
    for (LineOrigin& o : origins)
        if (o.line > at) o.line += lines;
    origin_files.push_back(
        {asm_include_name, file_line_ends + (!text.empty() && text.back() != '\n' ? 1 : 0)});
    // The file's lines, then its end mark and the rest of the INCLUDE line,
    // then the including file's next line.
    const i32 mark = at + file_line_ends + 2;
    const LineOrigin added[] = {{at + 1, origin_files.size() - 1, 1, false},
                                {mark, here.file, here.own, true},
                                {mark + (line_end_after ? 2 : 1), here.file, here.own + 1, false}};
    origins.insert(origin_after(at), std::begin(added), std::end(added));
}

// The message of a problem at the current line, with its line end: the line's
// number, and once the source has text includes, its number in its own file
// and that file's name.
std::string message_head(const char* kind, const std::string& text) {
    std::string place = std::to_string(asm_line_number);
    if (!origins.empty()) {
        const LineOrigin o = own_line(asm_line_number);
        place = std::to_string(o.own) + " of " + origin_files[o.file].name;
    }
    return std::string(kind) + " at line " + place + ": " + text + "!\n";
}

// How many lines of the source and its includes come before expanded line
// `line`: an include's end mark (with the rest of its INCLUDE line) and the
// empty line after an included file's last line end are none of them.
i32 source_lines_before(i32 line) {
    if (origins.empty()) return line - 1;
    i32 count = 0;
    for (size_t i = 0; i < origins.size() && origins[i].line < line; i++) {
        const LineOrigin& o = origins[i];
        if (o.held) continue;
        const i32 end = i + 1 < origins.size() ? std::min(origins[i + 1].line, line) : line;
        count += std::max(0, std::min(end - o.line, origin_files[o.file].lines - o.own + 1));
    }
    return count;
}

} // namespace

std::string asm_find_source(std::string name) {
    if (exists(name)) return name;
    if (!has_known_extension(name)) name += ".asm";
    if (exists(name)) return name;
    name = with_extension(name, ".2650");
    if (exists(name)) return name;
    return with_extension(name, ".asm");
}

namespace {

void list(const std::string& text) {
    if (asm_pass == 2) listing += text;
}

// The caret line under a message: the line at its address (where the
// listing puts it, also once some of its bytes are out), then the cursor's
// column marked.
enum class Caret { as_is, tabs_as_blanks, none };
void caret(Caret kind) {
    if (kind == Caret::none) return;
    std::string line = asm_line;
    if (kind == Caret::tabs_as_blanks)
        for (char& c : line)
            if (c == '\t') c = ' ';
    con_printf("$%04X: %s\n       %s^\n", static_cast<unsigned>(asm_line_location & 0xFFFF),
               line.c_str(), std::string(asm_cursor, ' ').c_str());
}

// What pass 1 told (only the include directives tell there), at which
// expanded line. Pass 2 lists each above its line and tells none a second time.
struct Told {
    i32 line;
    const char* kind; // "Error" or "Warning"
    std::string text;
    std::string head; // the message as the console had it
    bool shown;       // on the console and in the listing (warnings may be off)
    bool listed;
};
std::vector<Told> told_in_pass1;

bool told_in_pass1_at(i32 line) {
    return std::any_of(told_in_pass1.begin(), told_in_pass1.end(),
                       [line](const Told& t) { return t.line == line; });
}

// Lists what pass 1 told up to `line` and has not listed yet, as pass 2 lists
// its own messages: above the line they belong to.
void list_told_in_pass1(i32 line) {
    for (Told& t : told_in_pass1)
        if (!t.listed && t.line <= line) {
            t.listed = true;
            if (t.shown) listing += "*** " + t.head;
        }
}

// Tells one error or warning of the current line, `shown` on the console and
// in the listing or only counted; false when pass 1 told it already (it counts
// once).
bool tell(const char* kind, const char* text, bool shown, Caret caret_kind) {
    if (asm_pass == 2) {
        for (const Told& t : told_in_pass1)
            if (t.line == asm_line_number && !std::strcmp(t.kind, kind) && t.text == text)
                return false;
    }
    const std::string head = message_head(kind, text);
    if (asm_pass == 1) told_in_pass1.push_back({asm_line_number, kind, text, head, shown, false});
    if (shown) {
        if (asm_pass == 2) listing += "*** " + head;
        con_printf("%s", head.c_str());
        caret(caret_kind);
    }
    return true;
}

bool report_error(const char* text) {
    if (!tell("Error", text, true, Caret::tabs_as_blanks)) return false;
    if (asm_first_error.empty()) {
        asm_first_error = message_head("Error", text);
        asm_first_error.pop_back();
    }
    return true;
}

// A warning of the current line (`caret_kind`: how its caret line shows it).
void warning(const char* text, Caret caret_kind) {
    if (asm_pass != 2 && !asm_report_in_pass1) return;
    if (tell("Warning", text, warn, caret_kind)) asm_warning_count++;
}

// Everything a line can change that a later line or the end of the run reads:
// the location, the reading position, the flags of the pass, the default
// radix (DFLT, .BIN .. .HEX, BASE), the CPU (.PROC), the text block (.TEXT),
// the start address (START, END) and the span of emitted code. Taken once
// before pass 1 and given back before each pass, so that every line sees in
// pass 2 what it saw in pass 1 and the object spans what pass 2 emitted.
struct PassStart {
    i32 location, line_number, read_index;
    bool end_seen, origin_set, in_text_block, start_set;
    u32 radix, cpu;
    i32 start_address, low_address, high_address, include_depth;
};

PassStart pass_start_now() {
    return {asm_location,      asm_line_number,  asm_read_index,   asm_end_seen, asm_origin_set,
            asm_in_text_block, asm_start_set,    asm_radix,        cpu_type,     asm_start_address,
            asm_low_address,   asm_high_address, asm_include_depth};
}

void begin_pass(u32 pass, const PassStart& at) {
    asm_location = at.location;
    asm_line_number = at.line_number;
    asm_read_index = at.read_index;
    asm_end_seen = at.end_seen;
    asm_origin_set = at.origin_set;
    asm_in_text_block = at.in_text_block;
    asm_start_set = at.start_set;
    asm_radix = at.radix;
    asm_switch_cpu(at.cpu);
    asm_start_address = at.start_address;
    asm_low_address = at.low_address;
    asm_high_address = at.high_address;
    asm_include_depth = at.include_depth;
    asm_pass = pass;
    origin_warned = false;
    for (LabelRow& row : user_labels)
        row.used = 0; // pass 2 marks the labels it reads
}

i32 default_start() {
    return machine_debug().asm_start;
}

const char* object_extension() {
    return machine_debug().object_suffix;
}

// The writer of the listing and object file: the assembler, of this source.
OwnWriter assembler() {
    return {"ASM", asm_source_name};
}

// Writes `data` to `name` whole or not at all. A failure is told with
// `message` (filled with the name) and fails the run: the first one is kept,
// with the system's reason, for its end. The source itself (a source named
// with the listing's or the object's suffix) is never written over.
bool write_whole(const std::string& name, const std::string& data,
                 const char* message = "Can't open %s for output!\n") {
    std::string why = "it is the source being assembled";
    const bool is_source =
        file_identity_same(file_identity_at(name), file_identity_at(asm_source_name));
    if (is_source || !file_write_replace(name, data.data(), data.size(), &why)) {
        con_printf(message, name.c_str());
        if (unwritten.empty()) unwritten = file_failure_text("Can't write", name, why);
        return false;
    }
    own_output_note(name, data.data(), data.size(), assembler());
    return true;
}

// Whether the listing or object file (`what`) may go to `name`: nothing is
// there, or the assembler's own earlier output, or another file that the user
// lets go in the window. Anything else stays, and the run says so in
// `unwritten` (it fails as a run that could not write its files). What the
// write itself refuses (the source, a folder, a read-only file, a file in use)
// is left to it.
bool may_replace(const std::string& name, const char* what) {
    std::string target;
    if (!file_save_target(name, &target, nullptr) ||
        file_identity_same(file_identity_at(name), file_identity_at(asm_source_name)))
        return true;
    const std::string shown = path_absolute(name);
    const std::string source = path_file_part(asm_source_name);
    const std::string whose = own_output_not_own(
        name, "is not the assembler's own output of " + source + " as the assembler left it");
    if (own_output_may_go(name, assembler(),
                          shown + " is in the place of the " + what + " of " + source +
                              ", and it " + whose +
                              ".\nReplace loses that file; Keep leaves it as it is."))
        return true;
    if (unwritten.empty())
        unwritten = "Kept " + shown + ": the " + what + " of " + source +
                    " goes there, and that file " + whose +
                    ". Move or rename it (or the source) and assemble again.";
    return false;
}

// Whether the current line is the end mark asm_include put after an included
// text: only that mark ends an include, never a comment of the source that
// reads like it.
bool at_include_end() {
    const auto next = origin_after(asm_line_number);
    return next != origins.begin() && std::prev(next)->held &&
           std::prev(next)->line == asm_line_number;
}

// Copies the current raw line into asm_line (comment cut) and advances the
// splitter to its LF; in pass 2 an include end marker lowers the depth.
void split_line() {
    int n = 0;
    bool comment = false;
    line_too_long = false;
    const i32 length = static_cast<i32>(asm_source.size());
    // The indentation is kept as one blank: the front ends tell a label in
    // column 1 by it, and it takes no room from the line's text.
    if (asm_read_index < length &&
        (asm_source[asm_read_index] == ' ' || asm_source[asm_read_index] == '\t'))
        asm_line[n++] = ' ';
    while (asm_read_index < length &&
           (asm_source[asm_read_index] == ' ' || asm_source[asm_read_index] == '\t'))
        asm_read_index++;
    const int most = n + ASM_LINE_SIZE - 2; // 259 characters after it
    while (asm_read_index < length && asm_source[asm_read_index] != '\n') {
        const char c = asm_source[asm_read_index];
        if (c == ';' && !comment) {
            comment = true;
            if (asm_pass == 2 && asm_include_depth > 0 && at_include_end()) asm_include_depth--;
        }
        if (!comment) {
            if (n < most)
                asm_line[n++] = c;
            else
                line_too_long = true;
        }
        asm_read_index++;
    }
    asm_line[n] = 0;
}

std::string raw_line() {
    size_t end = asm_source.find('\n', static_cast<size_t>(asm_line_start));
    if (end == std::string::npos) end = asm_source.size();
    return asm_source.substr(static_cast<size_t>(asm_line_start),
                             end - static_cast<size_t>(asm_line_start));
}

// One pass over the text; false when it ended early (END or a given-up line).
bool run_pass() {
    while (asm_read_index < static_cast<i32>(asm_source.size())) {
        if (app_break_pending()) {
            stopped = true;
            return false;
        }
        asm_line_start = asm_read_index;
        if (asm_pass == 2) list_told_in_pass1(asm_line_number);
        // The line keeps its leading blanks: a front end tells a label in
        // column 1 from a word further in by them.
        const i32 length = static_cast<i32>(asm_source.size()); // an include makes it grow
        i32 first = asm_read_index;
        while (first < length && (asm_source[first] == ' ' || asm_source[first] == '\t'))
            first++;
        if (first < length && asm_source[first] == '*') {
            const size_t lf = asm_source.find('\n', static_cast<size_t>(first));
            asm_read_index = lf == std::string::npos ? static_cast<i32>(asm_source.size())
                                                     : static_cast<i32>(lf);
            list("              :" + raw_line() + "\n");
        } else {
            split_line();
            const bool at_end = asm_read_index >= static_cast<i32>(asm_source.size());
            if (!at_end || asm_line[std::strspn(asm_line, " \t")]) {
                if (line_too_long) asm_error("line too long (cut to 259 characters)");
                if (!asm_assemble_line()) return false;
            }
        }
        if (asm_read_index < static_cast<i32>(asm_source.size())) asm_read_index++; // the LF
        asm_line_number++;
    }
    return true;
}

std::string object_data(const std::string& ext, i32 start) {
    std::string data;
    if (ext == ".tvc")
        return objfile_tvc_data(static_cast<u32>(asm_low_address),
                                static_cast<u32>(asm_high_address), static_cast<u32>(start));
    if (ext == ".hex")
        return objfile_hex_text(static_cast<u32>(asm_low_address),
                                static_cast<u32>(asm_high_address));
    if (const ObjectFormat* own = machine_debug().disk_program; own && own->data && ext == own->suffix)
        return own->data(static_cast<u32>(asm_low_address), static_cast<u32>(asm_high_address),
                         static_cast<u32>(start));
    // The image runs from $0000 to the last byte emitted, or on to where the
    // location stands when reserved room follows it: an origin set backwards
    // for the last part leaves the code above it in the image.
    const i32 reach = std::max(asm_location, asm_high_address + 1);
    const i32 end = std::min(std::max(reach, 0), static_cast<i32>(GUEST_MEMORY_SIZE));
    const char* mem = reinterpret_cast<const char*>(guest_memory);
    // The gap the machine leaves in a binary image is left out when the code
    // reaches past it.
    const MachineDebug& ops = machine_debug();
    const i32 gap_start = ops.object_gap_start, gap_end = ops.object_gap_end;
    if (gap_start < gap_end && end > gap_end) {
        data.append(mem, static_cast<size_t>(gap_start));
        data.append(mem + gap_end, static_cast<size_t>(end - gap_end));
    } else {
        data.append(mem, static_cast<size_t>(end));
    }
    return data;
}

void finish(bool completed_pass2) {
    const u32 n = dis_notation_index();
    list_told_in_pass1(std::numeric_limits<i32>::max());
    // Only a pass that ran out of text misses its END. It is missing past the
    // last line: no line to show.
    if (completed_pass2)
        warning(n == 2 || n == 3 ? "missing .END directive"
                : n == 4         ? "missing END directive"
                                 : "missing END/.END directive",
                Caret::none);
    listing += "\nSymbol Table" + std::string(62, '-') + "\n\n";
    {
        char* buffer = nullptr;
        size_t size = 0;
        std::FILE* mem = open_memstream(&buffer, &size);
        if (mem) {
            sym_write_file(mem);
            std::fclose(mem);
            listing.append(buffer, size);
            std::free(buffer);
        }
    }
    if (!asm_include_tree.empty())
        listing += "\nInclude Tree Graph" + std::string(56, '-') + "\n\n" + asm_include_tree + "\n";
    char summary[160];
    std::snprintf(summary, sizeof summary, "Assembled %d line(s) (%u warning(s), %u error(s)).\n",
                  source_lines_before(asm_line_number), asm_warning_count, asm_error_count);
    con_printf("%s", summary);
    // A blank line sets the summary apart from the tables; its line ends the file.
    while (listing.size() < 2 || listing.compare(listing.size() - 2, 2, "\n\n") != 0)
        listing += '\n';
    listing += summary;
    const i32 start = asm_start_address & 0x7FFF;
    cpu_iar = static_cast<u16>(start);
    game_start_address = static_cast<u16>(start);
    if (!asm_start_set)
        con_printf("Assuming start address of $%02X%02X.\n", (start >> 8) & 0xFF, start & 0xFF);
    const std::string ext = object_extension();
    asm_object_name = own_output_name(list_name, ext.c_str());
    // Both places are looked at, and both files made, before either is written.
    const bool object_due = !asm_error_count && asm_low_address <= asm_high_address;
    const std::string object =
        !object_due ? std::string()
        : ext == ".aof"
            ? objfile_aof_text(static_cast<u32>(asm_low_address),
                               static_cast<u32>(asm_high_address), static_cast<u32>(start), 30)
            : object_data(ext, start);
    const bool places_free = may_replace(list_name, "listing") &&
                             (!object_due || may_replace(asm_object_name, "object file"));
    // A break up to here leaves the listing and object file as they were
    // (whoever wrote them); once the first is written, both are, and the
    // break is taken after the run.
    if (app_break_pending()) {
        stopped = true;
        return;
    }
    if (places_free && write_whole(list_name, listing))
        asm_listing_name = path_absolute(list_name);

    if (asm_error_count) {
        // A source with errors makes no program: the last good object stays.
        con_printf("Errors were found: no object file written.\n");
        asm_object_name.clear();
    } else if (!object_due) {
        con_printf("No code or data was produced: no object file written.\n");
        asm_object_name.clear();
    } else if (!unwritten.empty()) {
        // A run whose listing failed has failed: its object would stand for it.
        asm_object_name.clear();
    } else if (object.empty()) {
        unwritten = "Can't write " + asm_object_name + " (the program does not fit that file).";
        asm_object_name.clear();
    } else if (!write_whole(asm_object_name, object,
                            ext == ".aof" ? "Can't open \"%s\" for writing!\n"
                                          : "Can't open %s for output!\n")) {
        asm_object_name.clear();
    } else if (ext == ".aof") {
        file_write_icon(KIND_AOF, asm_object_name.c_str());
    }
    if (asm_error_count) {
        if (!unwritten.empty()) con_printf("%s\n", unwritten.c_str());
        con_printf("%u error(s) and %u warning(s).\n\n", asm_error_count, asm_warning_count);
    } else if (!unwritten.empty())
        con_printf("%s\n\n", unwritten.c_str());
    else
        con_printf("%s.\n\n", "OK");
}

} // namespace

void asm_warning(const char* text) {
    warning(text, Caret::as_is);
}

void asm_emit(u8 byte) {
    if (asm_location >= 0x8000 || asm_location < 0) {
        asm_error("attempted to emit code/data beyond 32K");
        return;
    }
    if (((asm_location ^ (asm_location + 1)) & 0x6000) != 0)
        asm_warning("about to cross 8K page boundary");
    if (machine_traits().code_in_rom) {
        const u32 attr = mem_attributes[asm_location];
        if (!(attr & MEM_UNWRITABLE) || (attr & MEM_UNREADABLE))
            asm_warning("code or data in non-ROM area");
    }
    if (asm_location < asm_low_address) asm_low_address = asm_location;
    if (asm_location > asm_high_address) asm_high_address = asm_location;
    if (asm_pass == 2 && !asm_origin_set && !origin_warned) {
        origin_warned = true;
        char text[48];
        std::snprintf(text, sizeof text, "origin not set (assuming $%X)",
                      static_cast<unsigned>(asm_location));
        asm_warning(text);
    }
    guest_memory[asm_location++] = byte;
    if (asm_line_code_count < 3) asm_line_code[asm_line_code_count++] = byte;
}

bool asm_set_location(i32 value, i32 limit) {
    if (value < 0 || value > limit) {
        char text[64];
        std::snprintf(text, sizeof text, "location $%X outside guest memory",
                      static_cast<unsigned>(value));
        asm_error(text);
        return false;
    }
    asm_location = value;
    return true;
}

bool asm_assemble_line() {
    asm_line_code_count = 0;
    asm_line_location = asm_location;
    size_t n = std::strlen(asm_line);
    while (n > 0 && (asm_line[n - 1] == ' ' || asm_line[n - 1] == '\t'))
        asm_line[--n] = 0;
    asm_cursor = 0;
    while (asm_line[asm_cursor] == ' ' || asm_line[asm_cursor] == '\t')
        asm_cursor++;
    bool go_on;
    switch (dis_notation_index()) {
    case NOTATION_OLD_CALM:
        go_on = asm_line_old_calm();
        break;
    case NOTATION_NEW_CALM:
        go_on = asm_line_new_calm();
        break;
    case NOTATION_IEEE:
        go_on = asm_line_ieee();
        break;
    default:
        go_on = asm_line_signetics();
        break;
    }
    if (asm_pass == 2) {
        const std::string raw = raw_line();
        char head[32];
        if (asm_location > asm_line_location) {
            std::snprintf(head, sizeof head, "%04X  ", static_cast<unsigned>(asm_line_location));
            listing += head;
            switch (asm_line_code_count) {
            case 0:
                listing += "        :";
                break;
            case 1:
                std::snprintf(head, sizeof head, "%02X      :", asm_line_code[0]);
                listing += head;
                break;
            case 2:
                std::snprintf(head, sizeof head, "%02X%02X    :", asm_line_code[0],
                              asm_line_code[1]);
                listing += head;
                break;
            default:
                std::snprintf(head, sizeof head, "%02X%02X%02X  :", asm_line_code[0],
                              asm_line_code[1], asm_line_code[2]);
                listing += head;
                break;
            }
            listing += raw;
        } else if (!raw.empty()) {
            listing += "              :" + raw;
        }
        listing += "\n";
    }
    return go_on;
}

namespace {
// Reads the file an INCLUDE or INCBIN names: a relative name is looked for
// beside the source first, then in the Projects drawer (the current folder
// while assembling). The result of file_read_regular; when no file was there,
// `looked` names the places tried.
int read_include(std::uint64_t limit, std::string* out, std::string* looked) {
    namespace fs = std::filesystem;
    const fs::path name = asm_include_name;
    std::vector<fs::path> places;
    std::error_code error;
    if (!name.is_absolute()) {
        const fs::path beside = fs::path(asm_source_name).parent_path();
        if (!beside.empty()) places.push_back(fs::absolute(beside / name, error));
    }
    const fs::path here = fs::absolute(name, error);
    if (places.empty() || places[0].lexically_normal() != here.lexically_normal())
        places.push_back(here);
    looked->clear();
    for (const fs::path& place : places) {
        const int read = read_text(place.string(), limit, out);
        if (read != READ_UNAVAILABLE) return read;
        *looked += (looked->empty() ? "" : " and ") + place.lexically_normal().string();
    }
    return READ_UNAVAILABLE;
}

// The error of an include whose file is not there, naming where it was looked for.
std::string include_missing(const std::string& looked) {
    return "can't open include file for reading (looked for " + looked + ")";
}
} // namespace

// A text include. Pass 1 expands it, or tells why it cannot and goes on
// after its line; pass 2 goes on there too, with no include to note.
bool asm_include() {
    if (asm_pass == 2) {
        if (told_in_pass1_at(asm_line_number)) return true;
        if (asm_include_tree.empty())
            asm_include_tree = "$0000 " + std::string(asm_source_name) + "\n";
        asm_include_depth++;
        char entry[ASM_NAME_SIZE + 80];
        std::snprintf(
            entry, sizeof entry, "%s$%04X %s\n",
            std::string(static_cast<size_t>(std::min(asm_include_depth, 64)), ' ').c_str(),
            static_cast<unsigned>(asm_location & 0xFFFF), asm_include_name);
        if (asm_include_tree.size() + std::strlen(entry) < ASM_INCLUDE_TREE_SIZE)
            asm_include_tree += entry;
        return true;
    }
    asm_report_in_pass1 = true;
    const auto failed = [](const std::string& text) {
        asm_error(text.c_str());
        asm_report_in_pass1 = false;
        return true;
    };
    std::string text, looked;
    const int read = read_include(ASM_SOURCE_MAX, &text, &looked);
    if (read == READ_UNAVAILABLE) return failed(include_missing(looked));
    if (read != READ_OK)
        return failed(read == READ_TOO_LARGE ? "out of memory" : "can't read from include file");
    text = text_lf_lines(text);
    std::string insert = "\n" + text;
    insert += "\n;END INCLUDE ";
    insert += asm_include_name;
    insert += "\n";
    // A file that includes itself would grow the text without end.
    if (++include_count > ASM_INCLUDES_MAX || asm_source.size() + insert.size() > ASM_SOURCE_MAX)
        return failed(include_count > ASM_INCLUDES_MAX ? "too many includes" : "out of memory");
    const auto line_ends = [](const std::string& t) {
        return static_cast<i32>(std::count(t.begin(), t.end(), '\n'));
    };
    note_include(line_ends(insert), text, line_ends(text),
                 asm_read_index < static_cast<i32>(asm_source.size()));
    asm_source.insert(static_cast<size_t>(asm_read_index), insert);
    asm_report_in_pass1 = false;
    return true;
}

bool asm_incbin() {
    // A file pass 1 could not read ended it at this line, and ends pass 2 there too.
    if (asm_pass == 2 && told_in_pass1_at(asm_line_number)) return false;
    if (asm_pass == 1) asm_report_in_pass1 = true;
    // More than the address space holds is cut by the emitter's 32K check.
    std::string data, looked;
    const int read = read_include(0x10000, &data, &looked);
    if (read != READ_OK) {
        if (read == READ_UNAVAILABLE)
            asm_error(include_missing(looked).c_str());
        else
            asm_error(read == READ_TOO_LARGE ? "attempted to emit code/data beyond 32K"
                                             : "can't read from include file");
        asm_report_in_pass1 = false;
        return false;
    }
    asm_report_in_pass1 = false;
    if (asm_pass == 2) {
        if (asm_include_tree.empty())
            asm_include_tree = "$0000 " + std::string(asm_source_name) + "\n";
        char entry[ASM_NAME_SIZE + 80];
        std::snprintf(
            entry, sizeof entry, "%s$%04X %s\n",
            std::string(static_cast<size_t>(std::min(asm_include_depth + 1, 64)), ' ').c_str(),
            static_cast<unsigned>(asm_location & 0xFFFF), asm_include_name);
        if (asm_include_tree.size() + std::strlen(entry) < ASM_INCLUDE_TREE_SIZE)
            asm_include_tree += entry;
    }
    for (char c : data) {
        if (asm_location >= 0x8000) {
            asm_error("attempted to emit code/data beyond 32K");
            break;
        }
        asm_emit(static_cast<u8>(c));
    }
    return true;
}

void asm_assemble_file() {
    stopped = false;
    unwritten.clear();
    std::string drawer_failure;
    if (!dir_enter_projects(&drawer_failure, asm_source_name)) {
        con_printf("%s\n\n", drawer_failure.c_str());
        asm_first_error = drawer_failure;
        return;
    }
    const std::string name = asm_find_source(asm_source_name);
    std::snprintf(asm_source_name, sizeof asm_source_name, "%s", name.c_str());
    const int read = read_text(name, ASM_SOURCE_MAX, &asm_source);
    if (read == READ_UNAVAILABLE) {
        con_printf("Can't open %s for reading!\n\n", name.c_str());
        dir_restore();
        return;
    }
    if (read != READ_OK) {
        con_printf("Failed!\n\n");
        asm_source.clear();
        dir_restore();
        return;
    }
    list_name = own_output_name(name, ".lst");
    const u32 n = dis_notation_index();
    con_printf("Assembling %s as %s...\n", name.c_str(), notation_names[n]);

    // Every label of earlier sources, symbol files and commands goes.
    std::memset(user_labels, 0, sizeof user_labels);
    user_label_count = 0;
    asm_radix = NUM_DECIMAL;
    asm_location = 0;
    asm_line_number = 1;
    asm_read_index = 0;
    asm_end_seen = asm_origin_set = asm_in_text_block = false;
    asm_low_address = 0x7FFF;
    asm_high_address = 0;
    asm_start_set = false;
    asm_active = true;
    asm_error_count = 0;
    asm_warning_count = 0;
    asm_first_error.clear();
    asm_listing_name.clear();
    asm_include_tree.clear();
    asm_include_depth = 0;
    include_count = 0;
    origins.clear();
    origin_files.clear();
    told_in_pass1.clear();
    asm_report_in_pass1 = false;
    asm_start_address = default_start();
    asm_error_report = report_error;
    asm_object_name.clear();
    listing = "Assembled by Brindlemox 36.4 at ";
    listing += format_date_time_long();
    listing += ' ';
    if (listing.size() < 74) listing += std::string(74 - listing.size(), '-');
    listing += "\n\n";

    asm_source = text_lf_lines(asm_source);
    const PassStart start = pass_start_now();
    begin_pass(1, start);
    {
        // Nothing pass 1 emitted stays: with a label further down counting 0
        // there, its code may lie where pass 2 puts none.
        const std::vector<u8> memory(guest_memory, guest_memory + GUEST_MEMORY_SIZE);
        run_pass();
        std::memcpy(guest_memory, memory.data(), GUEST_MEMORY_SIZE);
    }
    if (!stopped) {
        begin_pass(2, start);
        const bool ran_out = run_pass();
        if (!stopped) finish(ran_out);
    }
    // A run broken off (CTRL-C, SIGTERM, SIGHUP) wrote nothing (finish).
    if (stopped) {
        asm_object_name.clear();
        asm_listing_name.clear();
        con_printf("Assembly stopped by a break: no files written.\n");
    }

    asm_active = false;
    asm_error_report = nullptr;
    asm_source.clear();
    asm_source.shrink_to_fit();
    listing.clear();
    dir_restore();
    if (!stopped) file_loaded = 1;
}

namespace {
void stderr_sink(const char* text) {
    std::fputs(text, stderr);
}
} // namespace

int asm_assemble_checked(const char* path, bool outputs_optional) {
    std::snprintf(asm_source_name, sizeof asm_source_name, "%s", path);
    // What the assembly changes in the guest, the processor and the label table, kept for a
    // run that fails.
    std::vector<u8> memory(guest_memory, guest_memory + GUEST_MEMORY_SIZE);
    const u16 iar = cpu_iar, start = game_start_address;
    const u32 cpu = cpu_type;
    const u8 loaded = file_loaded;
    const std::vector<LabelRow> labels(user_labels, user_labels + USER_LABEL_ROWS);
    const u32 label_count = user_label_count;
    // A source that cannot be read leaves the counts alone: count it as the error.
    asm_error_count = 1;
    asm_warning_count = 0;
    asm_assemble_file();
    // A run that could not write its listing or object file has failed too,
    // unless the program is all that was wanted.
    if (asm_error_count || stopped || (!unwritten.empty() && !outputs_optional)) {
        std::copy(labels.begin(), labels.end(), user_labels);
        user_label_count = label_count;
        std::memcpy(guest_memory, memory.data(), GUEST_MEMORY_SIZE);
        cpu_iar = iar;
        asm_switch_cpu(cpu);
        game_start_address = start;
        file_loaded = loaded;
        return 10;
    }
    // The program reaches the guest as a loaded one does, through the loader,
    // which keeps the ROM's bytes (the object file has the code as assembled).
    const std::vector<u8> assembled(guest_memory, guest_memory + GUEST_MEMORY_SIZE);
    std::memcpy(guest_memory, memory.data(), GUEST_MEMORY_SIZE);
    load_put_bytes(0, assembled.data(), GUEST_MEMORY_SIZE);
    // The program starts at its start address without a reset: like a program
    // loaded, it holds no return address yet, and no byte of it has a past.
    cpu_ras_count_restart();
    mem_clear_access();
    game_info_text(); // the game information shows the new start address
    return asm_warning_count || !unwritten.empty() ? 5 : 0;
}

std::string asm_unwritten_text() {
    if (unwritten.empty()) return "";
    return path_file_part(asm_source_name) +
           std::string(" was assembled into memory and runs, but its files were not all "
                       "written.\n") +
           unwritten;
}

std::string asm_failure_text() {
    std::string text = path_file_part(asm_source_name);
    text += " did not assemble";
    if (asm_error_count) text += " (" + std::to_string(asm_error_count) + " error(s))";
    text += ".";
    if (!asm_first_error.empty()) text += "\n" + asm_first_error;
    if (!asm_listing_name.empty()) text += "\nThe listing has every error: " + asm_listing_name;
    return text;
}

int asm_assemble_batch(const char* path) {
    const bool pushed = con_push_sink(stderr_sink);
    const int result = asm_assemble_checked(path);
    load_take_rom_kept(); // the run writes files only: no program stays behind
    if (pushed) con_pop_sink();
    return result;
}

void asm_reset() {
    asm_expr_reset();
    asm_source_name[0] = 0;
    asm_source.clear();
    asm_read_index = asm_line_start = 0;
    asm_line[0] = 0;
    asm_line_number = 1;
    asm_line_code_count = 0;
    asm_low_address = 0x7FFF;
    asm_high_address = 0;
    asm_origin_set = asm_end_seen = asm_start_set = asm_in_text_block = false;
    asm_start_address = 0;
    asm_include_depth = 0;
    asm_include_tree.clear();
    asm_include_name[0] = 0;
    origins.clear();
    origin_files.clear();
    told_in_pass1.clear();
    asm_report_in_pass1 = false;
    asm_warning_count = 0;
    asm_listing_file = nullptr;
    asm_label[0] = 0;
    asm_object_name.clear();
    asm_first_error.clear();
    asm_listing_name.clear();
}
