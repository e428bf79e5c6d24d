#include "core/own_outputs.h"

#include "core/filekinds.h"
#include "core/questions.h"
#include "core/serial.h"
#include "core/ui_host.h"
#include "platform/file_identity.h"
#include "platform/paths.h"

#include <cinttypes>
#include <cstring>
#include <strings.h>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::size_t RECORD_MAX = 2048;        // entries kept, the newest
constexpr std::size_t RECORD_BYTES = 1u << 20;  // a larger record is not read
constexpr std::size_t RECORD_WRITTEN = RECORD_BYTES / 2; // the most written, well under it
constexpr std::size_t CHECKED_MAX = 256u << 20; // a larger file is never ours

// Where a file is, whatever way its name was spelled: every link on the way
// followed, "./" and ".." gone. A name not (or no longer) there keeps the
// part that is not, after its real drawer.
std::string real_name(const std::string& host) {
    std::error_code ec;
    // Not lexically first: "link/.." is where the link leads, then up.
    std::filesystem::path whole = std::filesystem::absolute(host, ec);
    if (!ec) whole = std::filesystem::weakly_canonical(whole, ec);
    return ec ? path_absolute(host) : whole.string();
}

// What an output was made of (a source, a recording): the file by its device
// and inode, and by where it is. The same file (renamed, moved, reached by a
// second hard link) is that thing, and so is a file of its name: an editor's
// new file at its place, the thing of a project moved or copied whole.
struct Thing {
    std::uint64_t device = 0, inode = 0; // both 0: not known
    std::string where;                   // real_name of it
};

Thing thing_of(const std::string& host) {
    Thing t;
    t.where = real_name(host);
    const FileIdentity id = file_identity_at(host);
    if (id.known) {
        t.device = id.device;
        t.inode = id.inode;
    }
    return t;
}

// What `w` writes of; nothing for a saver.
Thing made_of(const OwnWriter& w) {
    return w.of.empty() ? Thing{} : thing_of(w.of);
}

// The file part of a real place.
std::string leaf_of(const std::string& where) {
    return where.substr(where.rfind('/') + 1);
}

bool same_thing(const Thing& a, const Thing& b) {
    const bool known = (a.device || a.inode) && (b.device || b.inode);
    if (known && a.device == b.device && a.inode == b.inode) return true;
    const std::string leaf = leaf_of(a.where);
    return !leaf.empty() && leaf == leaf_of(b.where);
}

struct Entry {
    std::uint64_t device = 0, inode = 0, size = 0, check = 0;
    std::string path;     // where it was written ("-" for a name the line cannot hold)
    std::string who;      // the writer, "" for a line of a record written before writers were kept
    bool of_some = false; // written of something (a source, a recording)
    Thing of;
};

// Line ends, blanks, other control bytes and '%' of a word of a record's line
// as %XX, and back.
std::string escaped(const std::string& plain) {
    std::string word;
    for (const unsigned char c : plain) {
        if (c > ' ' && c != '%' && c != 0x7F) {
            word += static_cast<char>(c);
            continue;
        }
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        word += hex;
    }
    return word;
}

std::string unescaped(const std::string& word) {
    std::string plain;
    for (std::size_t i = 0; i < word.size(); i++) {
        unsigned code;
        if (word[i] == '%' && i + 2 < word.size() &&
            std::sscanf(word.substr(i + 1, 2).c_str(), "%2x", &code) == 1) {
            plain += static_cast<char>(code);
            i += 2;
        } else {
            plain += word[i];
        }
    }
    return plain;
}

// A writer as one word of a record's line: who, then, for a writer of
// something, the device and inode of that thing and where it is
// ("ASM 2049:131 /home/u/Projects/p.asm", escaped). A record of the previous
// version has the thing's name only, as it was spelled then.
std::string writer_word(const Entry& e) {
    if (!e.of_some) return escaped(e.who);
    char id[48];
    std::snprintf(id, sizeof id, " %" PRIu64 ":%" PRIu64 " ", e.of.device, e.of.inode);
    return escaped(e.who + id + e.of.where);
}

void read_writer_word(const std::string& word, Entry* e) {
    const std::string plain = unescaped(word);
    const std::size_t blank = plain.find(' ');
    e->who = plain.substr(0, blank);
    if (blank == std::string::npos) return;
    e->of_some = true;
    std::string of = plain.substr(blank + 1);
    int used = 0;
    if (!of.empty() && of[0] != '/' &&
        std::sscanf(of.c_str(), "%" SCNu64 ":%" SCNu64 " %n", &e->of.device, &e->of.inode, &used) ==
            2 &&
        used > 0) {
        e->of.where = of.substr(static_cast<std::size_t>(used));
        return;
    }
    // The name as the previous version spelled it is looked up as it is now.
    e->of.where = real_name(of);
}

} // namespace

const char* own_output_upgraded_writer(const std::string& path) {
    static const struct {
        const char* suffix;
        const char* who;
    } only_one[] = {
        {".lst", "ASM"},       {".sym", "SAVESYM"},   {".bpnf", "SAVEBPNF"}, {".sms", "SAVESMS"},
        {".eof", "SAVEAOF"},   {".cmd", "SAVECMD"},   {".imag", "SAVECMD"},  {".pcx", "PICTURE"},
        {".tiff", "PICTURE"},  {".psg", "PLAYBACK"},  {".ym", "PLAYBACK"},   {".mid", "PLAYBACK"},
        {".smus", "PLAYBACK"}, {".8svx", "PLAYBACK"}, {".aiff", "PLAYBACK"}, {".wav", "PLAYBACK"},
    };
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    for (const auto& row : only_one)
        if (strcasecmp(path.c_str() + dot, row.suffix) == 0) return row.who;
    return "";
}

namespace {

// Whether entry `e` was written by `w`. An upgraded record's entry is its
// one possible writer's, of whatever thing: the name was made from that
// thing, the writer's own naming leads to it.
bool written_by(const Entry& e, const OwnWriter& w, const Thing& of) {
    if (e.who.empty()) return !w.who.empty() && w.who == own_output_upgraded_writer(e.path);
    if (e.who != w.who || e.of_some != !w.of.empty()) return false;
    return !e.of_some || same_thing(e.of, of);
}

std::string record_path() {
    return path_to_host("PROGDIR:Configs/Outputs.txt");
}

// FNV-1a over the contents.
std::uint64_t check_of(const void* data, std::size_t size) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; i++)
        h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}

std::vector<Entry> read_record() {
    std::vector<Entry> entries;
    std::string text;
    if (!file_read_whole(record_path(), &text, RECORD_BYTES)) return entries;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        Entry e;
        int used = 0;
        if (line.empty() || line[0] == '#' ||
            std::sscanf(line.c_str(), "%" SCNu64 " %" SCNu64 " %" SCNu64 " %" SCNx64 " %n",
                        &e.device, &e.inode, &e.size, &e.check, &used) != 4 ||
            used <= 0)
            continue;
        e.path = line.substr(static_cast<std::size_t>(used));
        // "@writer path"; a line without the writer is of an older record.
        if (!e.path.empty() && e.path[0] == '@') {
            const std::size_t blank = e.path.find(' ');
            if (blank == std::string::npos) continue;
            read_writer_word(e.path.substr(1, blank - 1), &e);
            e.path.erase(0, blank + 1);
            if (e.who.empty()) continue;
        }
        entries.push_back(e);
    }
    return entries;
}

// The identity of the file a write of `host` lands on (its links followed).
bool target_stat(const std::string& host, struct stat* st) {
    return ::stat(host.c_str(), st) == 0 && S_ISREG(st->st_mode);
}

// The record's entries of what the file at `host` (its links followed) holds
// now: those of its size and contents, wherever and as whatever file they were
// written (moved, renamed, copied). A file with a second name (a hard link the
// user made keeps a copy that a write in place would change) has none.
std::vector<Entry> entries_holding(const std::string& host) {
    std::vector<Entry> found;
    struct stat st;
    if (!target_stat(host, &st) || st.st_nlink > 1 ||
        static_cast<std::uint64_t>(st.st_size) > CHECKED_MAX)
        return found;
    std::vector<Entry> sized;
    for (const Entry& e : read_record())
        if (e.size == static_cast<std::uint64_t>(st.st_size)) sized.push_back(e);
    std::string data;
    if (sized.empty() || !file_read_whole(host, &data, CHECKED_MAX)) return found;
    const std::uint64_t check = check_of(data.data(), data.size());
    for (const Entry& e : sized)
        if (e.size == data.size() && e.check == check) found.push_back(e);
    return found;
}

// Whether `a` and `b` record the same output: one writer's, of the same
// thing (as recorded), with the same contents.
bool same_output(const Entry& a, const Entry& b) {
    return a.who == b.who && a.size == b.size && a.check == b.check && a.of_some == b.of_some &&
           a.of.device == b.of.device && a.of.inode == b.of.inode && a.of.where == b.of.where;
}

} // namespace

bool own_output_is(const std::string& host, const OwnWriter& writer) {
    const Thing of = made_of(writer);
    for (const Entry& e : entries_holding(host))
        if (written_by(e, writer, of)) return true;
    return false;
}

std::string own_output_not_own(const std::string& host, const std::string& other) {
    const std::vector<Entry> found = entries_holding(host);
    if (found.empty()) return other;
    for (const Entry& e : found)
        if (!e.who.empty() || own_output_upgraded_writer(e.path)[0]) return other;
    return "was written by an earlier version of the program, which did not record which "
           "command wrote it";
}

void own_output_note(const std::string& host, const void* data, std::size_t size,
                     const OwnWriter& writer) {
    struct stat st;
    if (!target_stat(host, &st)) return;
    std::string path = real_name(host);
    if (path.front() != '/' || path.find_first_of("\r\n") != std::string::npos) path = "-";
    Entry added{static_cast<std::uint64_t>(st.st_dev),
                static_cast<std::uint64_t>(st.st_ino),
                static_cast<std::uint64_t>(size),
                check_of(data, size),
                path,
                writer.who,
                !writer.of.empty(),
                made_of(writer)};
    // No entry goes for where its file is now: what it held may lie anywhere
    // (moved, renamed, copied with its project). The same output written
    // again takes the place of its entry; an entry of the file this write
    // replaced keeps its contents but not that file's identity, which is the
    // new file's now.
    std::vector<Entry> kept;
    for (Entry e : read_record()) {
        if (same_output(e, added)) continue;
        if (e.device == added.device && e.inode == added.inode) e.device = e.inode = 0;
        kept.push_back(e);
    }
    // A full record gives up the oldest entries of the new file's own drawer
    // first: a long printout's pages make room among themselves, and push
    // no other writer's output out.
    const auto drawer = [](const std::string& path) { return path.substr(0, path.rfind('/') + 1); };
    for (auto it = kept.begin(); kept.size() >= RECORD_MAX && it != kept.end();)
        it = path != "-" && drawer(it->path) == drawer(path) ? kept.erase(it) : it + 1;
    kept.push_back(added);
    if (kept.size() > RECORD_MAX) kept.erase(kept.begin(), kept.end() - RECORD_MAX);
    const std::string head = "# Files the program wrote at names it made (the assembler, DISGAME, the\n"
                             "# debugger's savers, EXTRACT, a recording's\n"
                             "# generated outputs): device inode size check @writer path, the writer\n"
                             "# with the device, inode and place of what it wrote of. A file\n"
                             "# holding what a line lists, wherever it is, is its writer's own.\n";
    std::vector<std::string> lines;
    std::size_t bytes = head.size();
    for (const Entry& e : kept) {
        char id[96];
        std::snprintf(id, sizeof id, "%" PRIu64 " %" PRIu64 " %" PRIu64 " %016" PRIx64 " ",
                      e.device, e.inode, e.size, e.check);
        lines.push_back(id + (e.who.empty() ? "" : "@" + writer_word(e) + " ") + e.path + "\n");
        bytes += lines.back().size();
    }
    // Long names could make a record too long to read: the oldest go.
    std::size_t first = 0;
    while (bytes > RECORD_WRITTEN && first + 1 < lines.size())
        bytes -= lines[first++].size();
    std::string text = head;
    for (std::size_t i = first; i < lines.size(); i++)
        text += lines[i];
    const std::string record = record_path();
    path_make_dirs(std::filesystem::path(record).parent_path().string());
    file_write_replace(record, text.data(), text.size(), nullptr, false);
}

void own_output_note_file(const std::string& host, const OwnWriter& writer) {
    std::string data;
    if (file_read_whole(host, &data, CHECKED_MAX))
        own_output_note(host, data.data(), data.size(), writer);
}

namespace {
// Whether a file is at `host` that is not `writer`'s own earlier output.
bool another_file_at(const std::string& host, const OwnWriter& writer) {
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !own_output_is(host, writer);
}

bool someone_to_ask() {
    return !ui_nobody_to_ask() && ui_host.question;
}
} // namespace

bool own_output_may_go(const std::string& host, const OwnWriter& writer,
                       const std::string& question) {
    if (!another_file_at(host, writer)) return true;
    return someone_to_ask() && ui_ask(Question::replace_file, question) == 1;
}

bool own_output_typed_may_go(const std::string& host, const OwnWriter& writer,
                             const std::string& question) {
    if (!someone_to_ask() || !another_file_at(host, writer)) return true;
    return ui_ask(Question::replace_file, question) == 1;
}

std::string own_output_name_refusal(const char* given) {
    const char* slash = std::strrchr(given, '/');
    const char* part = slash ? slash + 1 : given;
    if (!given[0] || (part[0] && part[0] != '.')) return "";
    return std::string(given) + " names no file: type " +
           (part[0] ? "a file name that does not start with a dot." : "a file name after the drawer.");
}

bool own_output_name_made(const char* given, const std::string& written) {
    if (!given || !given[0]) return true;
    const char* slash = std::strrchr(given, '/');
    const char* dot = std::strrchr(given, '.');
    const bool typed_suffix = dot && (!slash || dot > slash) && dot[1];
    if (!typed_suffix) return true; // the command put its suffix on
    const std::size_t at = written.find_last_of('.');
    return at == std::string::npos || strcasecmp(written.c_str() + at, dot) != 0;
}

std::string own_output_name(const std::string& base, const char* suffix, const char* infix) {
    std::string name(base.size() + std::strlen(infix) + std::strlen(suffix) + 1, '\0');
    std::memcpy(name.data(), base.c_str(), base.size() + 1);
    file_set_extension(suffix, name.data(), name.size(), 1, infix);
    name.resize(std::strlen(name.c_str()));
    return name;
}
