#include "core/own_outputs.h"

#include "core/filekinds.h"
#include "core/questions.h"
#include "core/serial.h"
#include "core/ui_host.h"
#include "platform/file_identity.h"
#include "platform/paths.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstring>
#include <strings.h>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The record grows by a line or two a write and is cleared of what is no
// longer on disk once it passes RECORD_LIMIT, below the size the previous
// version reads (1 MiB). What is gone from its place is kept within
// RECORD_ROOM (a project moved or copied may still hold it), the files on
// disk as written within RECORD_LIVE_ROOM, the newest of each kept first.
constexpr std::size_t RECORD_BYTES = 8u << 20;      // a larger record is not read
constexpr std::size_t RECORD_LIMIT = 960u << 10;    // a longer one is cleared
constexpr std::size_t RECORD_ROOM = 512u << 10;     // what is gone from its place
constexpr std::size_t RECORD_LIVE_ROOM = 896u << 10; // what is on disk as written
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

// FNV-1a over the contents.
std::uint64_t check_of(const void* data, std::size_t size) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; i++)
        h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}

// A file's or folder's device and inode; both 0: not known.
struct Id {
    std::uint64_t device = 0, inode = 0;
    bool known() const { return device || inode; }
    bool operator==(const Id&) const = default;
};

Id id_at(const std::string& host) {
    const FileIdentity id = file_identity_at(host);
    return id.known ? Id{id.device, id.inode} : Id{};
}

// The folder of a real place.
std::string folder_of(const std::string& where) {
    const std::size_t slash = where.rfind('/');
    return slash == std::string::npos ? "" : slash ? where.substr(0, slash) : "/";
}

// What an output was made of (a source, a recording): that file by its
// device and inode and by where it is, what it held then, and the folder it
// lay in. It is the same thing as the file the writer is given now when that
// is the very file (renamed, moved, reached by a second hard link), a copy of
// it (it holds what it held: a project copied whole), or that file saved anew
// in its place (a file of its name in its folder, however the folder was
// moved or renamed since: an editor's new file). A file of its name beside
// which the output was moved or copied alone is none of these.
struct Thing {
    Id file;
    std::string where;       // real_name of it
    bool held_known = false; // its size and check are of what it held
    std::uint64_t size = 0, check = 0;
    Id folder;
};

Thing thing_of(const std::string& host) {
    Thing t;
    t.where = real_name(host);
    t.file = id_at(host);
    std::string data;
    if (t.file.known() && file_read_whole(host, &data, CHECKED_MAX)) {
        t.held_known = true;
        t.size = data.size();
        t.check = check_of(data.data(), data.size());
    }
    t.folder = id_at(folder_of(t.where));
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

// Whether `now` is the thing `then` recorded. A record of the previous
// version knows neither what the thing held nor its folder: the folder is
// the one at its place now, and a copy is not known for one.
bool same_thing(const Thing& then, const Thing& now) {
    if (then.file.known() && then.file == now.file) return true;
    if (then.held_known && now.held_known && then.size == now.size && then.check == now.check)
        return true;
    const std::string leaf = leaf_of(then.where);
    if (leaf.empty() || leaf != leaf_of(now.where)) return false;
    const Id folder = then.folder.known() ? then.folder : id_at(folder_of(then.where));
    return folder.known() && folder == now.folder;
}

struct Entry {
    std::uint64_t device = 0, inode = 0, size = 0, check = 0;
    std::string path;     // where it was written ("-" for a name the line cannot hold)
    std::string who;      // the writer, "" for a line of a record written before writers were kept
    bool of_some = false; // written of something (a source, a recording)
    Thing of;
    std::uint64_t write = 0; // the write that made it with others, 0 not known
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
    std::snprintf(id, sizeof id, " %" PRIu64 ":%" PRIu64 " ", e.of.file.device, e.of.file.inode);
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
        std::sscanf(of.c_str(), "%" SCNu64 ":%" SCNu64 " %n", &e->of.file.device, &e->of.file.inode,
                    &used) ==
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

// What a writer's thing held and its folder, on a line of its own after its
// entry ("#= size check device:inode", the size "-" where it could not be
// read), then the write that made the entry ("w" and a number shared by the
// outputs of one write): a line a record's reader of the previous version
// passes over as a comment, so that it still reads this record.
constexpr const char* THING_LINE = "#= ";

std::string thing_line(const Entry& e) {
    const Thing& t = e.of;
    char line[128];
    if (t.held_known)
        std::snprintf(line, sizeof line, "%s%" PRIu64 " %016" PRIx64 " %" PRIu64 ":%" PRIu64,
                      THING_LINE, t.size, t.check, t.folder.device, t.folder.inode);
    else
        std::snprintf(line, sizeof line, "%s- - %" PRIu64 ":%" PRIu64, THING_LINE,
                      t.folder.device, t.folder.inode);
    std::string text = line;
    if (e.write) {
        std::snprintf(line, sizeof line, " w%016" PRIx64, e.write);
        text += line;
    }
    return text + "\n";
}

void read_thing_line(const std::string& line, Entry* e) {
    Thing* t = &e->of;
    const char* rest = line.c_str() + std::strlen(THING_LINE);
    std::uint64_t size, check;
    int used = 0;
    if (std::sscanf(rest, "%" SCNu64 " %" SCNx64 " %n", &size, &check, &used) == 2 && used > 0) {
        t->held_known = true;
        t->size = size;
        t->check = check;
    } else {
        used = 0;
        std::sscanf(rest, "- - %n", &used);
        if (used <= 0) return;
    }
    int folder_used = 0;
    if (std::sscanf(rest + used, "%" SCNu64 ":%" SCNu64 "%n", &t->folder.device,
                    &t->folder.inode, &folder_used) == 2 &&
        folder_used > 0)
        std::sscanf(rest + used + folder_used, " w%" SCNx64, &e->write);
}

std::vector<Entry> parse_record(const std::string& host) {
    std::vector<Entry> entries;
    std::string text;
    if (!file_read_whole(host, &text, RECORD_BYTES)) return entries;
    std::istringstream lines(text);
    bool thing_next = false; // the last line was an entry of a writer of something
    for (std::string line; std::getline(lines, line);) {
        const bool of_last = thing_next;
        thing_next = false;
        if (line.rfind(THING_LINE, 0) == 0) {
            if (of_last) read_thing_line(line, &entries.back());
            continue;
        }
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
        thing_next = e.of_some;
    }
    return entries;
}

// The record's entries, read again only when its file changed since (a
// write of this run or another's): an assembly asks about each output, then
// notes it.
const std::vector<Entry>& read_record() {
    static struct {
        struct stat st {};
        bool known = false;
        std::vector<Entry> entries;
    } last;
    const std::string host = record_path();
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
        last.known = false;
        last.entries.clear();
        return last.entries;
    }
    if (!last.known || st.st_dev != last.st.st_dev || st.st_ino != last.st.st_ino ||
        st.st_size != last.st.st_size || st.st_mtim.tv_sec != last.st.st_mtim.tv_sec ||
        st.st_mtim.tv_nsec != last.st.st_mtim.tv_nsec) {
        last.entries = parse_record(host);
        last.st = st;
        last.known = true;
    }
    return last.entries;
}

// The identity of the file a write of `host` lands on (its links followed).
bool target_stat(const std::string& host, struct stat* st) {
    return ::stat(host.c_str(), st) == 0 && S_ISREG(st->st_mode);
}

// Whether the file at `host` (its links followed) holds `size` bytes of
// check `check`, with no second name (a hard link the user made keeps a copy
// that a write in place would change).
bool holds(const std::string& host, std::uint64_t size, std::uint64_t check) {
    struct stat st;
    if (!target_stat(host, &st) || st.st_nlink > 1 || static_cast<std::uint64_t>(st.st_size) != size ||
        size > CHECKED_MAX)
        return false;
    std::string data;
    return file_read_whole(host, &data, CHECKED_MAX) && data.size() == size &&
           check_of(data.data(), data.size()) == check;
}

// The entries of `record` of what the file at `host` (its links followed)
// holds now: those of its size and contents, wherever and as whatever file
// they were written (moved, renamed, copied). A file with a second name has
// none.
std::vector<const Entry*> entries_holding(const std::string& host,
                                          const std::vector<Entry>& record) {
    std::vector<const Entry*> found;
    struct stat st;
    if (!target_stat(host, &st) || st.st_nlink > 1 ||
        static_cast<std::uint64_t>(st.st_size) > CHECKED_MAX)
        return found;
    std::vector<const Entry*> sized;
    for (const Entry& e : record)
        if (e.size == static_cast<std::uint64_t>(st.st_size)) sized.push_back(&e);
    std::string data;
    if (sized.empty() || !file_read_whole(host, &data, CHECKED_MAX)) return found;
    const std::uint64_t check = check_of(data.data(), data.size());
    for (const Entry* e : sized)
        if (e->size == data.size() && e->check == check) found.push_back(e);
    return found;
}

// Whether two records of a thing say the same of it: the same file at the
// same place, holding the same, in the same folder.
bool same_state(const Thing& a, const Thing& b) {
    return a.file == b.file && a.where == b.where && a.held_known == b.held_known &&
           a.size == b.size && a.check == b.check && a.folder == b.folder;
}

// Whether `a` and `b` record the same output: one writer's, of the same
// thing (as recorded), with the same contents.
bool same_output(const Entry& a, const Entry& b) {
    return a.who == b.who && a.size == b.size && a.check == b.check && a.of_some == b.of_some &&
           same_state(a.of, b.of);
}

// Whether the folder `thing` lay in is still at its place: the folder there
// now is the one recorded (not known for a record without it).
bool folder_stayed(const Thing& thing) {
    return !thing.folder.known() || id_at(folder_of(thing.where)) == thing.folder;
}

// Whether the output at `host`, which holds what `e` recorded, came with its
// project to the thing `now` that `w` writes of: `now` has the name of what
// it was made of, the output lies beside it, and so does every other output
// of its write (the listing and the object file of one assembly), each as it
// was written. Outputs found so were moved or copied whole with their thing,
// whatever became of the thing since (edited, on another filesystem); one
// output of several alone is not. A write of one output (a playback
// generating one file) is proved only by its thing's folder having left its
// place (the project moved): copied, it cannot be told from the output copied
// alone.
enum class Came { no, whole, moved };
Came came_with_project(const Entry& e, const OwnWriter& w, const Thing& now,
                       const std::string& host, const std::vector<Entry>& record) {
    if (e.who.empty() || e.who != w.who || !e.of_some || w.of.empty() || !now.file.known())
        return Came::no;
    const std::string leaf = leaf_of(e.of.where);
    const std::string beside = folder_of(now.where);
    if (leaf.empty() || leaf != leaf_of(now.where) || folder_of(real_name(host)) != beside)
        return Came::no;
    std::vector<const Entry*> outputs; // one a place, the newest
    for (auto at = record.rbegin(); at != record.rend(); ++at) {
        if (&*at != &e && (!e.write || at->write != e.write)) continue;
        if (std::none_of(outputs.begin(), outputs.end(),
                         [&](const Entry* o) { return o->path == at->path; }))
            outputs.push_back(&*at);
    }
    bool host_among = false;
    for (const Entry* o : outputs) {
        if (o->path == "-") return Came::no;
        const std::string there = (beside == "/" ? "" : beside) + "/" + leaf_of(o->path);
        if (!holds(there, o->size, o->check)) return Came::no;
        host_among = host_among || leaf_of(o->path) == leaf_of(real_name(host));
    }
    if (!host_among) return Came::no;
    return outputs.size() > 1 ? Came::whole : folder_stayed(e.of) ? Came::no : Came::moved;
}

// What else the file at `host`, holding what `e` of `w` recorded elsewhere,
// may be: that output moved away alone (the folder and the thing it was made
// of still at their places, its own place empty), or a copy of it (it is
// still at its place): outputs of the same contents that came with another
// project do not make it that project's.
enum class Alone { no, moved, copied };
Alone alone_from(const Entry& e, const OwnWriter& w, const std::string& host) {
    if (!e.of_some || e.who != w.who || e.path == "-" || real_name(host) == e.path)
        return Alone::no;
    struct stat st;
    if (::lstat(e.path.c_str(), &st) != 0)
        return e.of.folder.known() && folder_stayed(e.of) && ::stat(e.of.where.c_str(), &st) == 0
                   ? Alone::moved
                   : Alone::no;
    return holds(e.path, e.size, e.check) ? Alone::copied : Alone::no;
}

// The record's head, before its entries.
const char* const RECORD_HEAD =
    "# Files the program wrote at names it made (the assembler, DISGAME, the\n"
    "# debugger's savers, EXTRACT, a recording's\n"
    "# generated outputs): device inode size check @writer path, the writer\n"
    "# with the device, inode and place of what it wrote of, and on a\n"
    "# line \"#=\" after it the size and check of what that held,\n"
    "# the device:inode of its folder and the write it was made in. A file\n"
    "# holding what a line lists, wherever it is, is its writer's own; a later\n"
    "# line of a place is of the file there now.\n";

// The record's lines of `e`.
std::string entry_text(const Entry& e) {
    char id[96];
    std::snprintf(id, sizeof id, "%" PRIu64 " %" PRIu64 " %" PRIu64 " %016" PRIx64 " ", e.device,
                  e.inode, e.size, e.check);
    return id + (e.who.empty() ? "" : "@" + writer_word(e) + " ") + e.path + "\n" +
           (e.of_some ? thing_line(e) : "");
}

// Whether the file `e` recorded is at its place as written: the same file,
// of the same size (what a later write at the place put there is not it).
bool on_disk(const Entry& e) {
    struct stat st;
    return e.path != "-" && (e.device || e.inode) && target_stat(e.path, &st) &&
           static_cast<std::uint64_t>(st.st_dev) == e.device &&
           static_cast<std::uint64_t>(st.st_ino) == e.inode &&
           static_cast<std::uint64_t>(st.st_size) == e.size;
}

// The record's text of `entries` (the newest last), cleared: an output
// written again goes for its earlier entry; then, the oldest first, what a
// later write at its place replaced, then what is no longer at its place
// (moved, removed) go until the record is within RECORD_ROOM; the files on
// disk as written go only past RECORD_LIVE_ROOM. The newest write's outputs
// and those of its folder on disk always stay.
std::string record_text(const std::vector<Entry>& entries) {
    const std::size_t n = entries.size();
    std::vector<std::string> lines(n);
    std::vector<bool> gone(n), replaced(n), live(n), kept(n);
    std::size_t bytes = std::strlen(RECORD_HEAD);
    std::set<std::string> places, outputs;
    std::set<std::pair<std::uint64_t, std::uint64_t>> files;
    for (std::size_t i = n; i-- > 0;) {
        const Entry& e = entries[i];
        lines[i] = entry_text(e);
        // The same output again: its writer, thing, place and contents.
        if (!outputs.insert(lines[i].substr(lines[i].find(' ', lines[i].find(' ') + 1))).second) {
            gone[i] = true;
            continue;
        }
        bytes += lines[i].size();
        replaced[i] = (e.path != "-" && !places.insert(e.path).second) ||
                      ((e.device || e.inode) && !files.insert({e.device, e.inode}).second);
        live[i] = !replaced[i] && on_disk(e);
    }
    if (n) {
        const Entry& newest = entries.back();
        const std::string folder = folder_of(newest.path);
        for (std::size_t i = 0; i < n; i++)
            kept[i] = i + 1 == n || (newest.write && entries[i].write == newest.write) ||
                      (live[i] && newest.path != "-" && folder_of(entries[i].path) == folder);
    }
    const auto give_up = [&](std::size_t room, auto which) {
        for (std::size_t i = 0; i < n && bytes > room; i++)
            if (!gone[i] && !kept[i] && which(i)) {
                gone[i] = true;
                bytes -= lines[i].size();
            }
    };
    give_up(RECORD_ROOM, [&](std::size_t i) { return replaced[i]; });
    give_up(RECORD_ROOM, [&](std::size_t i) { return !live[i]; });
    give_up(RECORD_LIVE_ROOM, [](std::size_t) { return true; });
    std::string text = RECORD_HEAD;
    for (std::size_t i = 0; i < n; i++)
        if (!gone[i]) text += lines[i];
    return text;
}

// A number for the write `added` belongs to: the outputs one writer writes
// of one thing as it is, one after another at places of their own, are one
// write (the listing and the object file of an assembly); 0 for a saver's.
std::uint64_t write_of(const Entry& added) {
    static struct {
        std::string who;
        Thing of;
        std::set<std::string> places;
        std::uint64_t number = 0;
    } current;
    static std::uint64_t count = 0;
    if (!added.of_some) return 0;
    if (current.number && current.who == added.who && same_state(current.of, added.of) &&
        current.places.insert(added.path).second)
        return current.number;
    const std::uint64_t seed[] = {
        static_cast<std::uint64_t>(
            std::chrono::system_clock::now().time_since_epoch().count()),
        static_cast<std::uint64_t>(::getpid()), ++count, added.device, added.inode};
    current = {added.who, added.of, {added.path}, check_of(seed, sizeof seed) | 1};
    return current.number;
}

// Adds `text` to the end of the record, after a line end of its own (a line
// cut short by a run that ended during its write stays a line apart, and a
// blank line is passed over): the record's size after it, 0 when it cannot
// (no record yet: it is made whole).
std::uint64_t append_to_record(const std::string& record, const std::string& text) {
    struct stat st;
    if (::stat(record.c_str(), &st) != 0 || st.st_size == 0) return 0;
    const int out = path_open_regular_write(record, true);
    if (out < 0) return 0;
    const std::string added = "\n" + text;
    const bool written =
        ::write(out, added.data(), added.size()) == static_cast<ssize_t>(added.size()) &&
        ::fstat(out, &st) == 0;
    return ::close(out) == 0 && written ? static_cast<std::uint64_t>(st.st_size) : 0;
}

} // namespace

bool own_output_is(const std::string& host, const OwnWriter& writer) {
    const Thing of = made_of(writer);
    const std::vector<Entry>& record = read_record();
    const std::vector<const Entry*> found = entries_holding(host, record);
    for (const Entry* e : found)
        if (written_by(*e, writer, of)) return true;
    // Came with its project: the outputs of its write beside it, or the one
    // output of a write whose project moved, unless a copy of an output kept
    // in its place could be what it is.
    bool whole = false, moved = false, copied = false;
    for (const Entry* e : found) {
        const Alone alone = alone_from(*e, writer, host);
        if (alone == Alone::moved) return false;
        copied = copied || alone == Alone::copied;
        const Came came = came_with_project(*e, writer, of, host, record);
        whole = whole || came == Came::whole;
        moved = moved || came == Came::moved;
    }
    return whole || (moved && !copied);
}

std::string own_output_not_own(const std::string& host, const std::string& other) {
    const std::vector<Entry>& record = read_record();
    const std::vector<const Entry*> found = entries_holding(host, record);
    if (found.empty()) return other;
    for (const Entry* e : found)
        if (!e->who.empty() || own_output_upgraded_writer(e->path)[0]) return other;
    return "was written by an earlier version of the program, which did not record which "
           "command wrote it";
}

// No entry goes for where its file is now: what it held may lie anywhere
// (moved, renamed, copied with its project). Each write adds its lines at the
// record's end; a later line of a place is of the file there now, and a
// record past RECORD_LIMIT is cleared of what is no longer on disk.
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
    added.write = write_of(added);
    const std::string record = record_path();
    const std::uint64_t grown = append_to_record(record, entry_text(added));
    if (grown && grown <= RECORD_LIMIT) return;
    std::vector<Entry> entries = read_record();
    const Entry* last = entries.empty() ? nullptr : &entries.back();
    if (!last || !same_output(*last, added) || last->path != added.path ||
        last->device != added.device || last->inode != added.inode)
        entries.push_back(added);
    const std::string text = record_text(entries);
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
