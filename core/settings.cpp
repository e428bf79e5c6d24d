// The settings file: its typed field operations, load, save and UPGRADE.
// The walk over all keys (ini_process) is the application's (app/settings_table.cpp).
#include "core/settings.h"

#include "core/machine.h"
#include "core/helpers.h"
#include "core/message.h"
#include "core/serial.h"
#include "core/serial_seams.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>

char settings_path[INI_PATH_LEN] = "PROGDIR:Configs/Brindlemox.ini";
u8 ini_loaded = 0;
u8 ini_load_ran = 0;

// A settings file larger than this is not a settings file.
constexpr size_t INI_FILE_LIMIT = 1 << 20;

// The text being read or written (built on first use, so that the walk also
// works during static initialisation).
static std::string& text_buffer() {
    static std::string text;
    return text;
}
#define ini_buf (text_buffer())

// Reading is by key, as a person types a line: blanks before the key and
// around "=" do not count, nor the key's letter case, a UTF-8 byte order mark
// at the start or CR LF line ends (text_lf_lines). Each line holding a key and "=" is indexed
// under its key in lower case, and a field looks its key up wherever its line
// stands. A key written twice takes its later line; a key with no line keeps
// its setting. Blank lines and comments (";" or "#" first) are passed over.
//
// Every other line the reader cannot take (no "=", a key the walk does not
// know, a line a later one of its key overrides, a value out of range or of
// the wrong kind) is named with its line number once the walk is done; its
// setting keeps its value. A refused value is kept as the line held it: the
// next write puts it back unless the setting was changed meanwhile, so that a
// typo the user was told about is not replaced by the default behind their back.
// A line with no key the walk knows (a key of another version, a misspelt
// one, a line without "=") is written back after the walk's own lines, as it
// was typed, so that the next start names it again rather than losing it.
struct IniLine {
    size_t key, key_end, value, end; // the key, its value (blanks trimmed), the line end
    int number;                      // counted from 1
    bool taken;                      // a field read it
    std::string why;                 // why it was not taken, when a field refused it
};
// A line with no key: as typed, and why.
struct LooseLine {
    int number;
    std::string text, why;
};
struct IniIndex {
    std::vector<IniLine> lines;                                // in file order
    std::unordered_map<std::string, std::vector<size_t>> keys; // lower-case key -> lines
    std::vector<LooseLine> loose;                              // lines with no key
    std::unordered_map<std::string, bool> asked;               // keys the walk looked up
};
static IniIndex& text_index() { // built on first use, as the text
    static IniIndex index;
    return index;
}
#define ini_lines (text_index().lines)
#define ini_keys (text_index().keys)

// Values refused by the last read: lower-case key -> the line's own value and
// the setting's value as written when it was refused.
struct KeptValue {
    std::string typed, setting;
};
static std::unordered_map<std::string, KeptValue>& kept_values() {
    static std::unordered_map<std::string, KeptValue> kept;
    return kept;
}
// The lines of the last read that name no setting, as typed: the next write
// puts them back.
static std::vector<std::string>& foreign_lines() {
    static std::vector<std::string> lines;
    return lines;
}
// The note for the window about the lines the last read of a named file did not take.
static std::string& unread_note() {
    static std::string note;
    return note;
}

static bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

static std::string lower(const char* text, size_t n) {
    std::string out(text, n);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

void ini_begin(const std::string& text) {
    ini_buf = text_lf_lines(text);
    ini_lines.clear();
    ini_keys.clear();
    text_index().loose.clear();
    text_index().asked.clear();
    size_t at = 0;
    for (int number = 1; at < ini_buf.size(); number++) {
        size_t end = ini_buf.find('\n', at);
        if (end == std::string::npos) end = ini_buf.size();
        const size_t next = end + 1;
        size_t key = at;
        while (key < end && is_blank(ini_buf[key]))
            key++;
        size_t last = end;
        while (last > key && is_blank(ini_buf[last - 1]))
            last--;
        const size_t eq = ini_buf.find('=', key);
        if (key == last || ini_buf[key] == ';' || ini_buf[key] == '#') {
            // a blank line or a comment
        } else if (eq >= last) {
            const std::string typed = ini_buf.substr(key, last - key);
            text_index().loose.push_back({number, typed, "\"" + typed + "\" holds no \"=\"!"});
        } else {
            size_t key_end = eq;
            while (key_end > key && is_blank(ini_buf[key_end - 1]))
                key_end--;
            size_t value = eq + 1;
            while (value < last && is_blank(ini_buf[value]))
                value++;
            if (key_end == key) {
                text_index().loose.push_back(
                    {number, ini_buf.substr(key, last - key), "no key before \"=\"!"});
            } else {
                ini_keys[lower(ini_buf.data() + key, key_end - key)].push_back(ini_lines.size());
                ini_lines.push_back({key, key_end, value, last, number, false, {}});
            }
        }
        at = next;
    }
}

// The line of `key` (the last when there are several), marked as taken. Null
// when the text has none.
static IniLine* find_key(const char* key) {
    const std::string name = lower(key, std::strlen(key));
    text_index().asked[name] = true;
    const auto found = ini_keys.find(name);
    if (found == ini_keys.end()) return nullptr;
    IniLine& line = ini_lines[found->second.back()];
    line.taken = true;
    return &line;
}

static std::string value_of(const IniLine& line) {
    return ini_buf.substr(line.value, line.end - line.value);
}

// The field's line refused: `why` names it, and the setting keeps `setting`
// (its value as written) until the user changes it.
static void refuse(IniLine* line, const char* key, const std::string& why,
                   const std::string& setting) {
    line->why = why;
    kept_values()[lower(key, std::strlen(key))] = {value_of(*line), setting};
}

void ini_refuse_value(const char* key, const std::string& why, const std::string& setting) {
    if (serial_dir == SERIAL_WRITE) return;
    const auto found = ini_keys.find(lower(key, std::strlen(key)));
    if (found != ini_keys.end()) refuse(&ini_lines[found->second.back()], key, why, setting);
}

bool ini_line_taken(const char* key) {
    const auto found = ini_keys.find(lower(key, std::strlen(key)));
    if (found == ini_keys.end()) return false;
    const IniLine& line = ini_lines[found->second.back()];
    return line.taken && line.why.empty();
}

bool ini_keeps_refused(const char* key) {
    return kept_values().count(lower(key, std::strlen(key))) != 0;
}

// A decimal number at `p` within its line, as "%d" reads it: blanks,
// an optional sign, at least one digit. Values beyond 32 bits saturate.
static bool parse_decimal(size_t p, size_t end, long long* out) {
    while (p < end && is_blank(ini_buf[p]))
        p++;
    bool neg = false;
    if (p < end && (ini_buf[p] == '+' || ini_buf[p] == '-')) neg = ini_buf[p++] == '-';
    if (p >= end || !std::isdigit(static_cast<unsigned char>(ini_buf[p]))) return false;
    long long v = 0;
    while (p < end && std::isdigit(static_cast<unsigned char>(ini_buf[p]))) {
        if (v < (1LL << 40)) v = v * 10 + (ini_buf[p] - '0');
        p++;
    }
    *out = neg ? -v : v;
    return true;
}

static int as_int(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

bool ini_first_key_is(const char* key) {
    if (ini_lines.empty()) return false;
    const IniLine& first = ini_lines.front();
    const size_t n = std::strlen(key);
    return first.key_end - first.key == n && lower(ini_buf.data() + first.key, n) == lower(key, n);
}

// Whether the walk never asked for the line's key: a key of another version,
// or a misspelt one.
static bool names_no_setting(const IniLine& line) {
    return !text_index().asked.count(lower(ini_buf.data() + line.key, line.key_end - line.key));
}

// What the last walk could not take, by line: each line as "line N: why".
static std::vector<std::string> unread_lines() {
    std::vector<std::pair<int, std::string>> all;
    for (const LooseLine& line : text_index().loose)
        all.emplace_back(line.number, line.why);
    for (const IniLine& line : ini_lines) {
        const std::string key = ini_buf.substr(line.key, line.key_end - line.key);
        const std::string name = lower(key.data(), key.size());
        if (!line.why.empty()) {
            all.emplace_back(line.number, line.why);
        } else if (names_no_setting(line)) {
            all.emplace_back(line.number, key + ": no such setting!");
        } else if (!line.taken) {
            all.emplace_back(line.number, key + ": given again on line " +
                                              std::to_string(ini_lines[ini_keys[name].back()].number) +
                                              ", which is the one read!");
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (const auto& [number, why] : all)
        out.push_back("line " + std::to_string(number) + ": " + why);
    return out;
}

// ---- Writing --------------------------------------------------------------------

// A setting whose line was refused on reading and that still holds the value
// it kept then gets the line's own value back.
static void put_line(const char* key, const std::string& value) {
    const auto kept = kept_values().find(lower(key, std::strlen(key)));
    ini_buf += key;
    ini_buf += '=';
    ini_buf += kept != kept_values().end() && kept->second.setting == value ? kept->second.typed
                                                                           : value;
    ini_buf += '\n';
}

// ---- Field operations -----------------------------------------------------------

bool ini_text_storable(const char* text) {
    return std::strpbrk(text, "\r\n") == nullptr;
}

// Blanks around a value are not read, so a text with blanks of its own at
// either end (a folder "My Games "), or one itself in double quotes, is
// written in double quotes, and the reader takes what lies between them.
static bool in_quotes(const std::string& text) {
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}
static std::string text_as_written(const std::string& text) {
    const bool quote = !text.empty() && (is_blank(text.front()) || is_blank(text.back()) ||
                                         in_quotes(text));
    return quote ? '"' + text + '"' : text;
}

void ini_field_text(const char* key, char* buffer, int size) {
    if (serial_dir == SERIAL_WRITE) {
        const std::string value(buffer, strnlen(buffer, static_cast<size_t>(size)));
        // A line break would end the value early and make the rest of it lines
        // of their own: such a value is left out, and its setting starts from
        // its default next time (a key with no line keeps its setting).
        if (!ini_text_storable(value.c_str())) {
            con_printf("%s: not saved, its text holds a line break!\n", key);
            return;
        }
        put_line(key, text_as_written(value));
        return;
    }
    IniLine* line = find_key(key);
    if (!line) return;
    size_t from = line->value, to = line->end;
    if (in_quotes(value_of(*line))) {
        from++;
        to--;
    }
    const size_t length = to - from;
    size_t n = std::min(length, static_cast<size_t>(size - 1));
    std::memcpy(buffer, ini_buf.data() + from, n);
    buffer[n] = 0;
    if (length > n)
        refuse(line, key,
               std::string(key) + ": text longer than " + std::to_string(size - 1) +
                   " characters!",
               text_as_written(buffer));
}

static bool word_at(size_t p, size_t end, const char* word) {
    size_t n = std::strlen(word);
    if (end - p < n) return false;
    for (size_t i = 0; i < n; i++)
        if (std::tolower(static_cast<unsigned char>(ini_buf[p + i])) != word[i]) return false;
    return true;
}

void ini_field_bool(const char* key, u32* setting) {
    if (serial_dir == SERIAL_WRITE) {
        put_line(key, *setting ? "true" : "false");
        return;
    }
    IniLine* line = find_key(key);
    if (!line) return;
    if (word_at(line->value, line->end, "true"))
        *setting = 1;
    else if (word_at(line->value, line->end, "false"))
        *setting = 0;
    else
        refuse(line, key, std::string(key) + ": invalid boolean!", *setting ? "true" : "false");
}

void ini_field_bool(const char* key, bool* setting) {
    u32 v = *setting ? 1 : 0;
    ini_field_bool(key, &v);
    *setting = v != 0;
}

// The number on `key`'s line: false when there is no line, or (refused, the
// setting written as `setting`) when it holds no number.
static bool read_number(const char* key, long long* value, const std::string& setting) {
    IniLine* line = find_key(key);
    if (!line) return false;
    if (parse_decimal(line->value, line->end, value)) return true;
    refuse(line, key,
           std::string(key) + ": " +
               (line->value == line->end ? std::string("no value!")
                                         : "\"" + value_of(*line) + "\" is not a number!"),
           setting);
    return false;
}

// A number kept in T within min..max; `kind` names T in the range message.
template <typename T>
static void field_in_range(const char* key, T* setting, i32 min, i32 max, const char* kind) {
    const std::string written = std::to_string(*setting);
    if (serial_dir == SERIAL_WRITE) {
        put_line(key, written);
        return;
    }
    long long v;
    if (!read_number(key, &v, written)) return;
    if (v >= min && v <= max) {
        *setting = static_cast<T>(v);
        return;
    }
    char why[160];
    std::snprintf(why, sizeof why, "%s: %s value of %d is out of range! (Range is %d..%d.)", key,
                  kind, as_int(v), min, max);
    ini_refuse_value(key, why, written);
}

void ini_field_int(const char* key, i32* setting, i32 min, i32 max) {
    field_in_range(key, setting, min, max, "integer");
}

void ini_field_word(const char* key, u16* setting, i32 min, i32 max) {
    field_in_range(key, setting, min, max, "unsigned word");
}

void ini_field_byte(const char* key, u8* setting) {
    const std::string written = std::to_string(*setting);
    if (serial_dir == SERIAL_WRITE) {
        put_line(key, written);
        return;
    }
    long long v;
    if (!read_number(key, &v, written)) return;
    if (v >= 0 && v <= 255) {
        *setting = static_cast<u8>(v);
        return;
    }
    char why[120];
    std::snprintf(why, sizeof why, "%s: unsigned byte value of %d is out of range!", key, as_int(v));
    ini_refuse_value(key, why, written);
}

static int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

void ini_field_colour(const char* key, u8* red, u8* green, u8* blue) {
    if (serial_dir == SERIAL_WRITE) {
        char text[8];
        std::snprintf(text, sizeof text, "$%02X%02X%02X", *red, *green, *blue);
        put_line(key, text);
        return;
    }
    // No line of this colour, or one that holds no colour, leaves the colour
    // as it was (as every other setting is left by a line it cannot read).
    IniLine* line = find_key(key);
    if (line && (line->value == line->end || ini_buf[line->value] != '$')) {
        char text[8];
        std::snprintf(text, sizeof text, "$%02X%02X%02X", *red, *green, *blue);
        refuse(line, key,
               std::string(key) + ": \"" + value_of(*line) + "\" is no colour ($RRGGBB)!", text);
    } else if (line) {
        const size_t end = line->end;
        *red = *green = *blue = 0;
        u8* parts[3] = {red, green, blue};
        size_t p = line->value + 1;
        for (u8* part : parts) {
            int hi = p < end ? hex_digit(ini_buf[p]) : -1;
            if (hi < 0) break;
            int value = hi;
            p++;
            int lo = p < end ? hex_digit(ini_buf[p]) : -1;
            if (lo >= 0) {
                value = value * 16 + lo;
                p++;
            }
            *part = static_cast<u8>(value);
        }
    }
}

static bool (*settings_walk)() = nullptr;

void ini_set_walk(bool (*walk)()) {
    settings_walk = walk;
}

bool ini_process() {
    return settings_walk && settings_walk();
}

std::string ini_write_text() {
    u32 saved_dir = serial_dir;
    serial_dir = SERIAL_WRITE;
    ini_begin("");
    ini_process();
    for (const std::string& line : foreign_lines())
        ini_buf += line + '\n';
    serial_dir = saved_dir;
    std::string text;
    text.swap(ini_buf);
    return text;
}

bool ini_read_text(const std::string& text, const std::string& name) {
    u32 saved_dir = serial_dir;
    serial_dir = SERIAL_READ;
    kept_values().clear();
    foreign_lines().clear();
    unread_note().clear();
    ini_begin(text);
    bool accepted = ini_process();
    if (accepted) {
        std::vector<std::pair<int, std::string>> foreign;
        for (const LooseLine& line : text_index().loose)
            foreign.emplace_back(line.number, line.text);
        for (const IniLine& line : ini_lines)
            if (names_no_setting(line))
                foreign.emplace_back(line.number, ini_buf.substr(line.key, line.end - line.key));
        std::sort(foreign.begin(), foreign.end());
        for (auto& [number, line] : foreign)
            foreign_lines().push_back(std::move(line));
    }
    // A file refused whole changes no setting: its lines are not gone through.
    const std::vector<std::string> unread = accepted ? unread_lines() : std::vector<std::string>();
    if (!accepted) kept_values().clear();
    ini_begin("");
    serial_dir = saved_dir;
    const std::string file = name.empty() ? "" : "\"" + name + "\" ";
    for (const std::string& line : unread)
        con_printf("%s%s\n", file.c_str(), line.c_str());
    if (!unread.empty() && !name.empty()) {
        std::string& note = unread_note();
        note = "These lines of the settings file \"" + name +
               "\" were not taken; their settings keep their values, and a refused value is "
               "written back as it stands unless you change the setting:";
        for (const std::string& line : unread)
            note += "\n  " + line;
    }
    return accepted;
}

std::string ini_take_unread_note() {
    std::string note;
    note.swap(unread_note());
    return note;
}

// ---- Load, save, upgrade -----------------------------------------------------------

// Reads the settings file. Returns false when a file was there but refused by the
// walk (wrong version or foreign host).
static bool ini_load_file() {
    std::string host = path_to_host(settings_path);
    std::string text, why;
    // Anything but a regular file (a folder, a FIFO, a device) is refused
    // without waiting on it.
    const int read = file_read_telling(host, &text, INI_FILE_LIMIT, &why);
    if (read == READ_UNAVAILABLE && errno == ENOENT) {
        ini_load_ran = 1; // none yet: the exit writes the first
        return true;
    }
    if (read != READ_OK) {
        ini_load_ran = 0; // keep a file we could not read
        con_printf("Can't read settings file \"%s\" (%s)!\n", host.c_str(), why.c_str());
        return false;
    }
    ini_load_ran = 1;
    if (text.empty()) return true;
    bool accepted = true;
    serial_dir = SERIAL_READ;
    bool old_binary =
        text.size() >= 2 && static_cast<u8>(text[0]) == 0xC6 && static_cast<u8>(text[1]) == 0x02;
    if (!old_binary) accepted = ini_read_text(text, host);
    snd_audio_filter_setting();
    ini_loaded = 1;
    if (!accepted) ini_load_ran = 0; // a file this program does not understand is kept
    return accepted;
}

void ini_load() {
    if (!ini_load_file()) file_kept_note("settings", path_to_host(settings_path));
    // The variant and the notation may have changed.
    machine_adapt_opcode_tables();
}

// A file read as a start reads it, from the defaults: a key it lacks takes
// its default, not the value of the file read before.
static bool load_over_defaults() {
    ini_read_text(ini_default_text());
    return ini_load_file();
}

bool ini_load_named() {
    std::string host = path_to_host(settings_path);
    if (::access(host.c_str(), F_OK) != 0 && errno == ENOENT) {
        con_printf("Can't read settings file \"%s\" (%s)!\n", host.c_str(), std::strerror(errno));
        return false;
    }
    const bool read = load_over_defaults();
    if (!read) file_kept_note("settings", host);
    machine_adapt_opcode_tables();
    return read;
}

bool ini_save() {
    std::string text = ini_write_text();
    std::string host = path_to_host(settings_path);
    size_t slash = host.rfind('/');
    if (slash != std::string::npos && slash > 0 && !path_make_dirs(host.substr(0, slash))) {
        ui_report_failure("Settings not saved: can't create the folder " + host.substr(0, slash) +
                          ": " + std::strerror(errno) + "!\n");
        return false;
    }
    // A write-protected settings file is the user's to keep: skipped without
    // a word, as a file that cannot be opened for writing.
    if (file_write_protected(host)) return false;
    std::string error;
    bool ok = file_write_replace(host, text.data(), text.size(), &error);
    if (!ok) ui_report_failure("Settings not saved: " + error + "!\n");
    return ok;
}

void ini_save_at_exit() {
    if (upgrade_mode || lock_config || !ini_load_ran) return;
    ini_save();
}

int ini_upgrade_all() {
    upgrade_mode = 1;
    std::string dir = path_to_host("PROGDIR:Configs");
    DIR* d = opendir(dir.c_str());
    if (!d) {
        con_printf("Can't lock PROGDIR:Configs!\n");
        return 1;
    }
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        dirent* e = readdir(d);
        if (!e) {
            if (errno != 0) {
                closedir(d);
                con_printf("Can't examine path!\n");
                return 1;
            }
            break;
        }
        std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    int kept = 0;
    for (const std::string& name : names) {
        size_t n = name.size();
        bool ini = n > 4 && strcasecmp(name.c_str() + n - 4, ".ini") == 0;
        if (!ini) {
            con_printf("Ignoring %s.\n", name.c_str());
            continue;
        }
        std::string path = std::string("PROGDIR:Configs/") + name;
        if (path.size() >= INI_PATH_LEN) {
            con_printf("error!\n");
            kept++;
            continue;
        }
        std::snprintf(settings_path, sizeof settings_path, "%s", path.c_str());
        con_printf("Upgrading %s...", name.c_str());
        std::fflush(stdout);
        // Each file's size and width are its window's.
        display_mode = 0;
        if (!load_over_defaults()) {
            con_printf("not upgraded, file kept.\n");
            kept++;
            continue;
        }
        if (ini_save()) {
            con_printf("done.\n");
        } else {
            con_printf("failed, file kept.\n");
            kept++;
        }
    }
    con_printf("All done.\n");
    // A file left as it was is a job not done.
    return kept ? 10 : 0;
}

const std::string& ini_default_text() {
    // The defaults, not a refused line's value kept by a read before.
    static const std::string text = [] {
        std::unordered_map<std::string, KeptValue> kept;
        std::vector<std::string> foreign;
        kept.swap(kept_values());
        foreign.swap(foreign_lines());
        std::string written = ini_write_text();
        kept.swap(kept_values());
        foreign.swap(foreign_lines());
        return written;
    }();
    return text;
}
