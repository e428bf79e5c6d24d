#include "platform/file_pattern.h"

#include <cctype>
#include <cstddef>
#include <cstring>

namespace {

constexpr std::size_t MAX_FILTERS = 64;

struct Parser {
    const std::string& p;
    std::size_t at = 0;
    bool failed = false;

    bool end() const { return at >= p.size(); }

    // Every pair of a and b, concatenated; fails when it grows too large.
    std::vector<std::string> join(const std::vector<std::string>& a,
                                  const std::vector<std::string>& b) {
        std::vector<std::string> out;
        if (a.size() * b.size() > MAX_FILTERS) {
            failed = true;
            return out;
        }
        for (const std::string& x : a)
            for (const std::string& y : b)
                out.push_back(x + y);
        return out;
    }

    // A shell filter for one literal character.
    static std::string literal(char c) {
        if (c == '*' || c == '?' || c == '[' || c == ']') return std::string("[") + c + "]";
        return std::string(1, c);
    }

    std::vector<std::string> item() {
        const char c = p[at++];
        switch (c) {
        case '?':
            return {"?"};
        case '%':
            return {""};
        case '#': {
            if (end()) {
                failed = true;
                return {};
            }
            item(); // any number of it: a shell filter can only say "anything"
            return {"*"};
        }
        case '\'':
            if (end()) {
                failed = true;
                return {};
            }
            return {literal(p[at++])};
        case '[': {
            std::string cls = "[";
            if (!end() && p[at] == '~') {
                cls += '!';
                ++at;
            }
            while (!end() && p[at] != ']')
                cls += p[at++];
            if (end()) {
                failed = true;
                return {};
            }
            ++at;
            return {cls + "]"};
        }
        case '(': {
            std::vector<std::string> alts = alternatives();
            if (end() || p[at] != ')') {
                failed = true;
                return {};
            }
            ++at;
            return alts;
        }
        case '~':
        case ')':
        case '|':
            failed = true;
            return {};
        default:
            return {literal(c)};
        }
    }

    std::vector<std::string> sequence() {
        std::vector<std::string> out{""};
        while (!failed && !end() && p[at] != '|' && p[at] != ')')
            out = join(out, item());
        return out;
    }

    std::vector<std::string> alternatives() {
        std::vector<std::string> out = sequence();
        while (!failed && !end() && p[at] == '|') {
            ++at;
            for (std::string& s : sequence())
                out.push_back(std::move(s));
            if (out.size() > MAX_FILTERS) failed = true;
        }
        return out;
    }
};

} // namespace

std::vector<std::string> file_pattern_globs(const std::string& pattern) {
    if (pattern.empty()) return {"*"};
    Parser parser{pattern};
    std::vector<std::string> out = parser.alternatives();
    if (parser.failed || !parser.end()) return {"*"};
    std::vector<std::string> unique;
    for (std::string& s : out) {
        if (s.empty()) continue; // only the empty name: never a file
        bool seen = false;
        for (const std::string& u : unique)
            seen = seen || u == s;
        if (!seen) unique.push_back(std::move(s));
    }
    if (unique.empty()) return {"*"};
    return unique;
}

namespace {

// What the program's own kinds are called, by file-name extension: the
// kind's own name, and the family that names a pattern of several kinds.
struct KindName {
    const char *extension, *name, *family;
};
constexpr KindName KIND_NAMES[] = {
    {"ILBM", "IFF ILBM pictures", "Pictures"},
    {"LBM", "IFF ILBM pictures", "Pictures"},
    {"ACBM", "IFF ACBM pictures", "Pictures"},
    {"BMP", "BMP pictures", "Pictures"},
    {"PCX", "PCX pictures", "Pictures"},
    {"GIF", "GIF pictures", "Pictures"},
    {"TIFF", "TIFF pictures", "Pictures"},
    {"TIF", "TIFF pictures", "Pictures"},
    {"PNG", "PNG pictures", "Pictures"},
    {"APNG", "PNG pictures", "Pictures"},
    {"ANIM", "IFF ANIM animations", "Animations"},
    {"MNG", "MNG animations", "Animations"},
    {"BIN", "Game images", "Game images"},
    {"ROM", "Game images", "Game images"},
    {"COS", "Saved states", "Saved states"},
    {"COR", "Recordings", "Recordings"},
    {"ZIP", "ZIP archives", "ZIP archives"},
    {"AOF", "Object files", "Programs"},
    {"OBJ", "Object files", "Programs"},
    {"EOF", "Elektor object files", "Programs"},
    {"HEX", "Intel hex files", "Programs"},
    {"TVC", "TVC programs", "Programs"},
    {"CMD", "BINBUG programs", "Programs"},
    {"MOD", "TWIN programs", "Programs"},
    {"IMAG", "CD2650 programs", "Programs"},
    {"BPNF", "BPNF PROM images", "Programs"},
    {"BNPF", "BPNF PROM images", "Programs"},
    {"WAV", "WAV sounds", "Sounds"},
    {"WAVE", "WAV sounds", "Sounds"},
    {"IFF", "IFF sounds", "Sounds"},
    {"8SVX", "IFF 8SVX sounds", "Sounds"},
    {"8SV", "IFF 8SVX sounds", "Sounds"},
    {"16SV", "IFF 16SV sounds", "Sounds"},
    {"AIFF", "AIFF sounds", "Sounds"},
    {"AIF", "AIFF sounds", "Sounds"},
    {"PSG", "PSG register logs", "Music"},
    {"YM", "YM music", "Music"},
    {"MID", "MIDI files", "Music"},
    {"MIDI", "MIDI files", "Music"},
    {"SMUS", "IFF SMUS music", "Music"},
    {"MDCR", "MDCR tapes", "Tapes"},
    {"SMS", "SMS tapes", "Tapes"},
    {"PAP", "Papertapes", "Papertapes"},
    {"IMG", "Disk images", "Disk images"},
    {"TWIN", "TWIN disk images", "Disk images"},
    {"RAW", "Raw disk images", "Disk images"},
    {"ASM", "Assembler sources", "Assembler sources"},
    {"2650", "Assembler sources", "Assembler sources"},
    {"TXT", "Text files", "Text files"},
    {"SYM", "Symbol files", "Symbol files"},
    {"INFO", "Icons", "Icons"},
    {"ICO", "Icons", "Icons"},
    {"REXX", "REXX scripts", "REXX scripts"},
};

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The extension of a filter that is "*." and letters or digits only, upper
// case; "" for any other filter.
std::string plain_extension(const std::string& glob) {
    if (glob.size() < 3 || glob.compare(0, 2, "*.") != 0) return "";
    std::string ext;
    for (std::size_t i = 2; i < glob.size(); i++) {
        const unsigned char c = static_cast<unsigned char>(glob[i]);
        if (!std::isalnum(c)) return "";
        ext += static_cast<char>(std::toupper(c));
    }
    return ext;
}

const KindName* kind_named(const std::string& extension) {
    for (const KindName& k : KIND_NAMES)
        if (extension == k.extension) return &k;
    return nullptr;
}

// A readable name for the files `globs` match.
std::string name_of(const std::vector<std::string>& globs) {
    if (globs.size() == 1 && globs[0] == "*") return "All files";
    std::string name, family;
    bool one_name = true, one_family = true, all_known = true;
    for (const std::string& g : globs) {
        const std::string ext = plain_extension(g);
        if (ext.empty()) return "Matching files";
        const KindName* k = kind_named(ext);
        all_known = all_known && k;
        const std::string n = k ? k->name : ext + " files";
        const std::string f = k ? k->family : n;
        if (name.empty()) {
            name = n;
            family = f;
        }
        one_name = one_name && n == name;
        one_family = one_family && f == family;
    }
    if (one_name) return name;
    if (one_family) return family;
    return all_known ? "Supported files" : "Matching files";
}

} // namespace

std::vector<std::string> file_pattern_dialog_filters(const std::string& pattern) {
    const std::vector<std::string> globs = file_pattern_globs(pattern);
    std::string line;
    for (const std::string& g : globs)
        line += (line.empty() ? "" : " ") + lower(g);
    std::vector<std::string> filters{name_of(globs) + " (" + line + ")"};
    if (line != "*") filters.push_back("All files (*)");
    return filters;
}
