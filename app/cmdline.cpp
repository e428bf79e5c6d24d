#include "core/version.h"
#include "app/cmdline.h"

#include "core/message.h"
#include "core/recording.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "app/startup.h"
#include "platform/catalog.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

const char* const cmdline_template =
    "FILE,ASM/K,CLIPUNIT/K/N,DISGAME/K,FULLSCREEN/K,LOCKCONFIG/S,NOLOWLEVEL/S,PORT/K/N,PORTNAME/K,"
    "PRI/K/N,PUBSCREEN/K,SETTINGS/K,STARTUP/K,SYM/K,UPGRADE/S";

const char* const cmdline_version = program_name_version;

bool cmdline_upgrade = false;
bool cmdline_file_named = false;
bool cmdline_settings_given = false;
bool cmdline_fullscreen_given = false;
int cmdline_fullscreen = 0;
long cmdline_net_port = -1;
long cmdline_clip_unit = -1;

namespace {

struct Item {
    std::vector<std::string> names; // upper case
    bool keyword = false, sw = false, number = false, required = false, rest = false;
};

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<Item> read_template(const char* tmpl) {
    std::vector<Item> items;
    std::string all = tmpl;
    std::size_t pos = 0;
    while (pos <= all.size()) {
        std::size_t comma = all.find(',', pos);
        std::string part =
            all.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        Item it;
        std::size_t slash = part.find('/');
        std::string names = part.substr(0, slash);
        for (std::size_t i = slash; i != std::string::npos && i + 1 < part.size();
             i = part.find('/', i + 1)) {
            switch (std::toupper(static_cast<unsigned char>(part[i + 1]))) {
            case 'K':
                it.keyword = true;
                break;
            case 'S':
                it.sw = true;
                break;
            case 'N':
                it.number = true;
                break;
            case 'A':
                it.required = true;
                break;
            case 'F':
                it.rest = true;
                break;
            default:
                break;
            }
        }
        std::size_t p = 0;
        while (p <= names.size()) {
            std::size_t eq = names.find('=', p);
            it.names.push_back(
                upper(names.substr(p, eq == std::string::npos ? std::string::npos : eq - p)));
            if (eq == std::string::npos) break;
            p = eq + 1;
        }
        items.push_back(it);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return items;
}

int find_key(const std::vector<Item>& items, const std::string& word) {
    std::string w = upper(word);
    for (std::size_t i = 0; i < items.size(); ++i)
        for (const std::string& n : items[i].names)
            if (n == w) return static_cast<int>(i);
    return -1;
}

bool set_value(const Item& it, CmdArg& arg, const std::string& value, std::string* why) {
    if (it.number) {
        const char* s = value.c_str();
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(s, &end, 10);
        if (value.empty() || *end != '\0' || errno == ERANGE ||
            std::isspace(static_cast<unsigned char>(*s))) {
            if (why) *why = "bad number";
            return false;
        }
        arg.number = n;
    }
    arg.text = value;
    arg.given = true;
    return true;
}

} // namespace

// The rest of the line from word `a` on: its raw text when the caller has the
// line, else the words joined by blanks.
static std::string rest_from(int a, int argc, const char* const* argv, const char* const* rest) {
    if (rest) return rest[a] ? rest[a] : "";
    std::string joined;
    for (int i = a; i < argc; ++i) {
        if (i > a) joined += ' ';
        joined += argv[i] ? argv[i] : "";
    }
    return joined;
}

// What a /F item takes from word `a` on: the raw rest of the line, except
// that a rest that is one quoted word is that word without its quotes.
static std::string rest_value(int a, int argc, const char* const* argv, const char* const* rest) {
    if (rest && a == argc - 1 && rest[a] && rest[a][0] == '"' && argv[a]) return argv[a];
    return rest_from(a, argc, argv, rest);
}

bool cmdline_parse(const char* tmpl, int argc, const char* const* argv, std::vector<CmdArg>& out,
                   std::string* why, const char* const* rest) {
    const std::vector<Item> items = read_template(tmpl);
    out.assign(items.size(), CmdArg{});
    for (int a = 1; a < argc; ++a) {
        std::string word = argv[a] ? argv[a] : "";
        std::string key = word, inline_value;
        bool has_inline = false;
        std::size_t eq = word.find('=');
        if (eq != std::string::npos && eq > 0) {
            key = word.substr(0, eq);
            inline_value = word.substr(eq + 1);
            has_inline = true;
        }
        int k = find_key(items, key);
        if (k >= 0 && !(has_inline && items[k].sw)) {
            const Item& it = items[k];
            if (it.sw) {
                out[k].given = true;
                continue;
            }
            std::string value;
            if (it.rest && !has_inline) {
                if (a + 1 >= argc) {
                    if (why) *why = "value after keyword missing";
                    return false;
                }
                if (!set_value(it, out[k], rest_value(a + 1, argc, argv, rest), why)) return false;
                break;
            }
            if (has_inline) {
                value = inline_value;
            } else {
                if (a + 1 >= argc) {
                    if (why) *why = "value after keyword missing";
                    return false;
                }
                value = argv[++a];
            }
            if (!set_value(it, out[k], value, why)) return false;
            continue;
        }
        // A positional value: the first item taking values by position that is still free.
        int slot = -1;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (!items[i].keyword && !items[i].sw && !out[i].given) {
                slot = static_cast<int>(i);
                break;
            }
        if (slot < 0) {
            if (why) *why = "wrong number of arguments";
            return false;
        }
        if (items[slot].rest) {
            if (!set_value(items[slot], out[slot], rest_value(a, argc, argv, rest), why))
                return false;
            break;
        }
        if (!set_value(items[slot], out[slot], word, why)) return false;
        out[slot].by_position = true;
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].required && !out[i].given) {
            if (why) *why = "required argument missing";
            return false;
        }
    return true;
}

bool cmdline_split_line(const char* line, std::vector<std::string>& words,
                        std::vector<std::string>& rests, std::string* why) {
    words.clear();
    rests.clear();
    const std::string text = line ? line : "";
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    for (;;) {
        while (i < n && blank(text[i]))
            ++i;
        if (i >= n) break;
        // The raw rest runs to the end of the line, without trailing blanks.
        std::size_t end = n;
        while (end > i && blank(text[end - 1]))
            --end;
        rests.push_back(text.substr(i, end - i));
        std::string word;
        bool quoted = false;
        while (i < n && (quoted || !blank(text[i]))) {
            const char c = text[i++];
            if (c == '"') {
                quoted = !quoted;
            } else if (quoted && c == '*' && i < n) {
                const char e = text[i++];
                switch (e) {
                case 'N':
                case 'n':
                    word += '\n';
                    break;
                case 'E':
                case 'e':
                    word += '\x1b';
                    break;
                case '"':
                case '*':
                    word += e;
                    break;
                default:
                    // Not an escape: the star stays, as in "8FF* 2".
                    word += '*';
                    --i;
                    break;
                }
            } else {
                word += c;
            }
        }
        if (quoted) {
            if (why) *why = "unmatched quotes";
            return false;
        }
        words.push_back(word);
    }
    return true;
}

bool cmdline_parse_line(const char* tmpl, const char* line, std::vector<CmdArg>& out,
                        std::string* why) {
    std::vector<std::string> words, rests;
    if (!cmdline_split_line(line, words, rests, why)) return false;
    std::vector<const char*> argv{""}, rest{""};
    for (std::size_t w = 0; w < words.size(); ++w) {
        argv.push_back(words[w].c_str());
        rest.push_back(rests[w].c_str());
    }
    return cmdline_parse(tmpl, static_cast<int>(argv.size()), argv.data(), out, why, rest.data());
}

// Whether any argument is one of `words`.
static bool asked(int argc, const char* const* argv, std::initializer_list<const char*> words) {
    for (int a = 1; a < argc; ++a)
        for (const char* w : words)
            if (argv[a] && std::strcmp(argv[a], w) == 0) return true;
    return false;
}

bool cmdline_help_asked(int argc, const char* const* argv) {
    return asked(argc, argv, {"?", "-h", "--help"});
}

bool cmdline_version_asked(int argc, const char* const* argv) {
    return asked(argc, argv, {"--version"});
}

void cmdline_print_help(const char* me) {
    static constexpr struct {
        const char* key;
        const char* what;
    } lines[] = {
        {"FILE", "a file to load at start (game, program, state, tape, disk...)"},
        {"ASM", "assemble an assembler source into its object file and listing, then end"},
        {"CLIPUNIT", "the clipboard unit (0 to 255)"},
        {"DISGAME", "disassemble a game file into <name>.asm (never replaced), then end"},
        {"FULLSCREEN", "ON or OFF: start on the full screen or in a window"},
        {"LOCKCONFIG", "leave the settings file unwritten at exit"},
        {"NOLOWLEVEL", "read no game controllers"},
        {"PORT", "the netplay port (0 to 65535)"},
        {"PORTNAME", "the scripting port's exact name (default: the first free BRINDLEMOX.1..99)"},
        {"PRI", "the process priority (-128 to 5; below 0 runs nicer)"},
        {"PUBSCREEN", "the screen to open on (kept for scripts; no effect here)"},
        {"SETTINGS", "a settings file in PROGDIR:Configs/ to use (it names the machine)"},
        {"STARTUP", "a script to run once the main window is open"},
        {"SYM", "a symbol file to load at start"},
        {"UPGRADE", "rewrite every settings file in the current format, then end"},
    };
    std::printf("%s\n", cmdline_template);
    for (const auto& line : lines)
        std::printf("  %-10s  %s\n", line.key, line.what);
    const char* name = me && me[0] ? me : "brindlemox";
    std::printf("ASM, DISGAME and UPGRADE need no display. Keys take \"KEY value\" or "
                "\"KEY=value\".\n%s ? | -h | --help prints this; %s --version the version.\n",
                name, name);
}

static void copy_to(char* dst, std::size_t size, const std::string& s) {
    std::snprintf(dst, size, "%s", s.c_str());
}

int cmdline_take(int argc, const char* const* argv) {
    const char* me = argc > 0 && argv[0] ? argv[0] : "Brindlemox";
    std::vector<CmdArg> arg;
    cmdline_upgrade = cmdline_file_named = cmdline_settings_given = false;
    cmdline_fullscreen_given = false;
    cmdline_net_port = -1;
    cmdline_clip_unit = -1;
    // A file name is never taken from a word like "--bogus": that is an
    // option this program does not have.
    const auto usage = [me] {
        con_printf("%s: %s\n[[FILE] <file>|ASM <file>|DISGAME <file>]\n[CLIPUNIT  <unit>]\n"
                   "[FULLSCREEN ON|OFF]\n[LOCKCONFIG|UPGRADE]\n[NOLOWLEVEL]\n[PORT      <port>]\n"
                   "[PORTNAME  <name>]\n[PRI       <priority>]\n[PUBSCREEN <screen>]\n"
                   "[SETTINGS  <file>]\n[STARTUP   <file>]\n[SYM       <file>]\n",
                   me, cat_str(153, "Usage"));
        return 1;
    };
    if (!cmdline_parse(cmdline_template, argc, argv, arg, nullptr) ||
        (arg[ARG_FILE].by_position && arg[ARG_FILE].text.rfind("--", 0) == 0))
        return usage();
    // UPGRADE works on the settings files alone. Any word that is no key
    // takes FILE's place in the template: a file named beside UPGRADE (so, a
    // stray word), or ASM's or DISGAME's, would be dropped without a word.
    if (arg[ARG_UPGRADE].given &&
        (arg[ARG_FILE].given || arg[ARG_ASM].given || arg[ARG_DISGAME].given))
        return usage();
    // A value cut to fit its buffer would name another file: refuse it.
    static constexpr struct {
        CmdItem item;
        const char* key;
        std::size_t room; // characters the value may have
    } sized[] = {
        {ARG_FILE, "FILE", FILE_NAME_SIZE - 1},
        {ARG_ASM, "ASM", STARTUP_PATH_LEN - 1},
        {ARG_DISGAME, "DISGAME", FILE_NAME_SIZE - 1},
        {ARG_PORTNAME, "PORTNAME", STARTUP_PATH_LEN - 1},
        {ARG_PUBSCREEN, "PUBSCREEN", PUBSCREEN_NAME_LEN - 1},
        {ARG_SETTINGS, "SETTINGS", INI_PATH_LEN - sizeof "PROGDIR:Configs/"},
        {ARG_STARTUP, "STARTUP", STARTUP_PATH_LEN - 1},
        {ARG_SYM, "SYM", STARTUP_PATH_LEN - 1},
    };
    for (const auto& s : sized)
        if (arg[s.item].given && arg[s.item].text.size() > s.room) {
            con_printf("%s: %s is longer than %zu characters!\n", me, s.key, s.room);
            return 1;
        }
    if (arg[ARG_ASM].given) {
        copy_to(asm_source_path, sizeof asm_source_path, arg[ARG_ASM].text);
        startup_mode = 1;
    }
    if (arg[ARG_DISGAME].given && !arg[ARG_ASM].given) {
        copy_to(file_name_buffer, sizeof file_name_buffer, arg[ARG_DISGAME].text);
        startup_mode = 2;
        cmdline_file_named = true;
    }
    if (arg[ARG_CLIPUNIT].given) {
        if (arg[ARG_CLIPUNIT].number < 0 || arg[ARG_CLIPUNIT].number > 255) {
            con_printf("%s: Clipboard unit number range is 0 to 255!\n", me);
            return 1;
        }
        cmdline_clip_unit = arg[ARG_CLIPUNIT].number;
    }
    if (arg[ARG_FULLSCREEN].given) {
        std::string v = arg[ARG_FULLSCREEN].text;
        for (char& c : v)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (v == "ON")
            cmdline_fullscreen = 1;
        else if (v == "OFF")
            cmdline_fullscreen = 0;
        else {
            con_printf("%s: FULLSCREEN must be ON or OFF!\n", me);
            return 1;
        }
        cmdline_fullscreen_given = true;
    }
    if (arg[ARG_LOCKCONFIG].given) lock_config = 1;
    if (arg[ARG_UPGRADE].given) {
        if (lock_config) {
            con_printf("%s: %s\n[[FILE]    <file>]\n[LOCKCONFIG|UPGRADE]\n[NOLOWLEVEL]\n"
                       "[PORT      <port>]\n[PORTNAME  <name>]\n[PRI       <priority>]\n"
                       "[PUBSCREEN <screen>]\n[SETTINGS  <file>]\n[STARTUP   <file>]\n",
                       me, cat_str(153, "Usage"));
            return 1;
        }
        cmdline_upgrade = true;
        return 0;
    }
    if (arg[ARG_PUBSCREEN].given)
        copy_to(pubscreen_name[0], sizeof pubscreen_name[0], arg[ARG_PUBSCREEN].text);
    if (arg[ARG_PRI].given) {
        if (arg[ARG_PRI].number < -128 || arg[ARG_PRI].number > 5) {
            con_printf("%s: Priority range is -128 to 5!\n", me);
            return 1;
        }
        task_priority = static_cast<int>(arg[ARG_PRI].number);
        task_priority_given = 1;
    }
    if (arg[ARG_NOLOWLEVEL].given) use_lowlevel = 0;
    if (arg[ARG_PORT].given) {
        if (arg[ARG_PORT].number < 0 || arg[ARG_PORT].number > 65535) {
            con_printf("%s: Port number range is 0 to 65535!\n", me);
            return 1;
        }
        cmdline_net_port = arg[ARG_PORT].number;
    }
    if (arg[ARG_PORTNAME].given)
        copy_to(rexx_port_name, sizeof rexx_port_name, arg[ARG_PORTNAME].text);
    if (arg[ARG_SETTINGS].given) {
        std::snprintf(settings_path, sizeof settings_path, "PROGDIR:Configs/%s",
                      arg[ARG_SETTINGS].text.c_str());
        cmdline_settings_given = true;
    }
    if (arg[ARG_STARTUP].given)
        copy_to(rexx_script_path, sizeof rexx_script_path, arg[ARG_STARTUP].text);
    if (arg[ARG_SYM].given) copy_to(startup_sym_path, sizeof startup_sym_path, arg[ARG_SYM].text);
    if (arg[ARG_FILE].given) {
        copy_to(file_name_buffer, sizeof file_name_buffer, arg[ARG_FILE].text);
        cmdline_file_named = true;
    }
    return 0;
}
