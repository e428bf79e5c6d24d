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
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::size_t RECORD_MAX = 512;         // entries kept, the newest
constexpr std::size_t RECORD_BYTES = 1u << 20;  // a larger record is not read
constexpr std::size_t CHECKED_MAX = 256u << 20; // a larger file is never ours

struct Entry {
    std::uint64_t device = 0, inode = 0, size = 0, check = 0;
    std::string path;   // where it was written ("-" for a name the line cannot hold)
    std::string writer; // writer_key of who wrote it
    bool named = false; // false: a line of a record written before writers were kept
};

// A writer as one word of a record's line: who, a blank and what of, with
// blanks, line ends, other control bytes and '%' written as %XX.
std::string writer_key(const OwnWriter& w) {
    const std::string plain = w.of.empty() ? w.who : w.who + " " + w.of;
    std::string key;
    for (const unsigned char c : plain) {
        if (c > ' ' && c != '%' && c != 0x7F) {
            key += static_cast<char>(c);
            continue;
        }
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        key += hex;
    }
    return key;
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
            e.writer = e.path.substr(1, blank - 1);
            e.path.erase(0, blank + 1);
            e.named = true;
        }
        entries.push_back(e);
    }
    return entries;
}

// The identity of the file a write of `host` lands on (its links followed).
bool target_stat(const std::string& host, struct stat* st) {
    return ::stat(host.c_str(), st) == 0 && S_ISREG(st->st_mode);
}

bool same_file(const Entry& e, const struct stat& st) {
    return e.device == static_cast<std::uint64_t>(st.st_dev) &&
           e.inode == static_cast<std::uint64_t>(st.st_ino) &&
           e.size == static_cast<std::uint64_t>(st.st_size);
}

} // namespace

bool own_output_is(const std::string& host, const OwnWriter& writer) {
    struct stat st;
    if (!target_stat(host, &st) || st.st_nlink > 1 ||
        static_cast<std::uint64_t>(st.st_size) > CHECKED_MAX)
        return false;
    const std::string key = writer_key(writer);
    for (const Entry& e : read_record()) {
        if (!same_file(e, st)) continue;
        if (!e.named || e.writer != key) return false; // another's, or nobody's known
        std::string data;
        if (!file_read_whole(host, &data, CHECKED_MAX)) return false;
        return data.size() == e.size && check_of(data.data(), data.size()) == e.check;
    }
    return false;
}

void own_output_note(const std::string& host, const void* data, std::size_t size,
                     const OwnWriter& writer) {
    struct stat st;
    if (!target_stat(host, &st)) return;
    std::string path = path_absolute(host);
    if (path.front() != '/' || path.find_first_of("\r\n") != std::string::npos) path = "-";
    Entry added{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                static_cast<std::uint64_t>(size), check_of(data, size), path, writer_key(writer),
                true};
    // Entries whose file is gone from its place, or is this one, are dropped.
    std::vector<Entry> kept;
    for (const Entry& e : read_record()) {
        struct stat now;
        if (e.device == added.device && e.inode == added.inode) continue;
        if (e.path == added.path && path != "-") continue;
        if (e.path != "-" && !(target_stat(e.path, &now) && same_file(e, now))) continue;
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
    std::string text = "# Files the program wrote at names it made (the assembler, DISGAME, the\n"
                       "# debugger's savers, EXTRACT, a recording's\n"
                       "# generated outputs): device inode size check @writer path. A file\n"
                       "# listed here is its writer's own while unchanged.\n";
    for (const Entry& e : kept) {
        char head[96];
        std::snprintf(head, sizeof head, "%" PRIu64 " %" PRIu64 " %" PRIu64 " %016" PRIx64 " ",
                      e.device, e.inode, e.size, e.check);
        text += head + (e.named ? "@" + e.writer + " " : "") + e.path + "\n";
    }
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
