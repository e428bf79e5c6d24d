#include "core/filekinds.h"

#include "core/emu.h"
#include "core/machine_ops.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <cstring>
#include <dirent.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>

// Rows in kind order; the save titles are filled from the catalog at start-up.
FileKind file_kinds[FILE_KINDS] = {
    {".ilbm", ".lbm", "#?.(ILBM|LBM)", "PROGDIR:icons/icon_iff", ""},
    {".acbm", nullptr, "#?.ACBM", "PROGDIR:icons/icon_iff", ""},
    {".bmp", nullptr, "#?.BMP", "PROGDIR:icons/icon_bmp", ""},
    {".pcx", nullptr, "#?.PCX", "PROGDIR:icons/icon_pcx", ""},
    {".gif", nullptr, "#?.GIF", "PROGDIR:icons/icon_gif", ""},
    {".tiff", ".tif", "#?.(TIFF|TIF)", "PROGDIR:icons/icon_tiff", ""},
    {".png", ".apng", "#?.(PNG|APNG)", "PROGDIR:icons/icon_png", ""},
    {".bin", ".rom", "#?.(BIN|ROM)", "PROGDIR:icons/icon_bin", ""},
    {".cos", nullptr, "#?.COS", "PROGDIR:icons/icon_cos", ""},
    {".cor", nullptr, "#?.COR", "PROGDIR:icons/icon_cor", ""},
    {".anim", nullptr, "#?.ANIM", "PROGDIR:icons/icon_iff", ""},
    {".zip", nullptr, "#?.ZIP", nullptr, ""},
    {".aof", ".obj", "#?.(AOF|OBJ)", "PROGDIR:icons/icon_aof", ""},
    {".eof", nullptr, "#?.EOF", nullptr, ""},
    {".hex", nullptr, "#?.HEX", nullptr, ""},
    {".wav", nullptr, "#?.(WAV|WAVE)", "PROGDIR:icons/icon_wav", ""},
    {".psg", nullptr, "#?.PSG", nullptr, ""},
    {".ym", nullptr, "#?.YM", nullptr, ""},
    {".asm", ".2650", "#?.ASM", nullptr, ""},
    {".8svx", ".8sv", "#?.(8SVX|8SV)", "PROGDIR:icons/icon_iff", ""},
    {".aiff", ".aif", "#?.(AIFF|AIF)", "PROGDIR:icons/icon_iff", ""},
    {".mng", nullptr, "#?.MNG", "PROGDIR:icons/icon_mng", ""},
    {".mid", ".midi", "#?.(MID|MIDI)", nullptr, ""},
    {".smus", nullptr, "#?.SMUS", "PROGDIR:icons/icon_iff", ""},
    {".txt", nullptr, "#?.TXT", nullptr, ""},
    {".tvc", nullptr, "#?.TVC", "PROGDIR:icons/icon_tvc", ""},
    {".mdcr", nullptr, "#?.MDCR", nullptr, ""},
    {".raw", nullptr, "#?.RAW", nullptr, ""},
    {".cmd", nullptr, "#?.CMD", nullptr, ""},
    {".img", nullptr, "#?.IMG", nullptr, ""},
    {".twin", nullptr, "#?.TWIN", nullptr, ""},
    {".mod", nullptr, "#?.MOD", nullptr, ""},
    {".sym", nullptr, "#?.SYM", nullptr, ""},
    {".imag", nullptr, "#?.IMAG", nullptr, ""},
    {".info", ".ico", "#?.(INFO|ICO)", nullptr, ""},
    {".16sv", nullptr, "#?.16SV", "PROGDIR:icons/icon_iff", ""},
    {".bpnf", ".bnpf", "#?.(BPNF|BNPF)", nullptr, ""},
    {".sms", nullptr, "#?.SMS", nullptr, ""},
    {".pap", nullptr, "#?.PAP", nullptr, ""},
};

const char* const OPEN_REQUESTER_PATTERN =
    "#?.(2650|8SV|8SVX|AIF|AIFF|AOF|ASM|BIN|BPNF|BNPF|CMD|COR|COS|EOF|HEX|IMAG|IMG|MDCR|MOD|OBJ|"
    "RAW|SMS|TVC|TWIN|WAV|ZIP)";

void file_kinds_load_titles() {
    struct Title {
        int kind, id;
        const char* text;
    };
    static constexpr Title titles[] = {
        {KIND_ILBM, 111, "Save Screenshot as IFF ILBM"},
        {KIND_ACBM, 112, "Save Screenshot as IFF ACBM"},
        {KIND_BMP, 113, "Save Screenshot as BMP"},
        {KIND_PCX, 327, "Save Screenshot as PCX"},
        {KIND_GIF, 760, "Save Screenshot as GIF"},
        {KIND_TIFF, 771, "Save Screenshot as TIFF"},
        {KIND_PNG, 772, "Save Screenshot as PNG"},
        {KIND_BIN, 114, "Save Game ROM"},
        {KIND_COS, 426, "Save State"},
        {KIND_COR, 427, "Start Recording"},
        {KIND_WAV, 807, "Create WAV Tape"},
        {KIND_ASM, 1052, "Save Assembler Source Code"},
        {KIND_8SVX, 805, "Create IFF 8SVX Tape"},
        {KIND_AIFF, 818, "Create IFF AIFF Tape"},
        {KIND_TXT, 869, "Save as ASCII Text"},
        {KIND_TVC, 929, "Save Program (TVC)"},
        {KIND_MDCR, 998, "Create MDCR Tape"},
        {KIND_PAP, 0, "Create Papertape"}, // no catalog entry
    };
    for (const Title& t : titles)
        file_kinds[t.kind].save_title = t.id ? cat_str(t.id, t.text) : t.text;
}

bool file_name_ends_with(const char* name, const char* suffix) {
    const std::size_t len = std::strlen(name), n = std::strlen(suffix);
    return len >= n && strcasecmp(name + len - n, suffix) == 0;
}

int file_type_from_name(const char* name) {
    for (int k = 0; k < FILE_KINDS; k++) {
        if (file_name_ends_with(name, file_kinds[k].extension)) return k;
        if (file_kinds[k].alt_extension && file_name_ends_with(name, file_kinds[k].alt_extension))
            return k;
    }
    return KIND_NONE;
}

// Kinds the loader takes: a save must never keep one of their suffixes for a
// file of another kind, or it would overwrite the image it was named after.
static bool kind_is_loadable(int kind) {
    switch (kind) {
    case KIND_BIN:
    case KIND_COS:
    case KIND_COR:
    case KIND_ZIP:
    case KIND_AOF:
    case KIND_EOF:
    case KIND_HEX:
    case KIND_WAV:
    case KIND_ASM:
    case KIND_8SVX:
    case KIND_AIFF:
    case KIND_TVC:
    case KIND_MDCR:
    case KIND_RAW:
    case KIND_CMD:
    case KIND_IMG:
    case KIND_TWIN:
    case KIND_MOD:
    case KIND_SYM:
    case KIND_IMAG:
    case KIND_BPNF:
    case KIND_SMS:
    case KIND_PAP:
        return true;
    default:
        return false;
    }
}

bool file_set_extension(const char* ext, char* name, std::size_t size, int mode,
                        const char* infix) {
    std::size_t len = std::strlen(name);
    if (mode == 0) {
        for (int k = 0; k < FILE_KINDS; k++) {
            const char* primary = file_kinds[k].extension;
            const bool own = strcasecmp(primary, ext) == 0;
            if (!own && kind_is_loadable(k)) continue;
            if (len > std::strlen(primary) && file_name_ends_with(name, primary)) return true;
        }
        // A name ending in a suffix of no kind's own (such as the caller's
        // own suffix outside the table) also stays.
        if (len > std::strlen(ext) && file_name_ends_with(name, ext)) return true;
        if (len + std::strlen(ext) + 1 > size) return false;
        std::strcat(name, ext);
        return true;
    }
    // Only a dot in the file part counts: a drawer name may hold one too.
    const char* dot = std::strrchr(name, '.');
    const char* sep = std::strrchr(name, '/');
    const char* vol = std::strrchr(name, ':');
    if (dot && ((sep && dot < sep) || (vol && dot < vol))) dot = nullptr;
    if (dot && !infix[0] && strcasecmp(dot, ext) == 0) return true;
    const std::size_t keep = dot ? static_cast<std::size_t>(dot - name) : len;
    if (keep + std::strlen(infix) + std::strlen(ext) + 1 > size) return false;
    name[keep] = 0;
    std::strcat(name, infix);
    std::strcat(name, ext);
    return true;
}

bool file_set_extension_found(const char* ext, char* name, std::size_t size, int mode) {
    if (!file_set_extension(ext, name, size, mode, "")) return false;
    const std::string host = path_to_host(name);
    struct stat st;
    const std::size_t n = std::strlen(ext);
    if (lstat(host.c_str(), &st) == 0 || !file_name_ends_with(name, ext)) return true;
    // The drawer holds the file under another spelling of the suffix: the
    // first such name in byte order (upper case before lower).
    const std::size_t slash = host.rfind('/');
    const std::string drawer = slash == std::string::npos ? "." : host.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? host : host.substr(slash + 1);
    const std::size_t stem = file.size() - n;
    DIR* d = opendir(drawer.c_str());
    if (!d) return true;
    std::string found;
    while (const dirent* e = readdir(d)) {
        const std::string entry = e->d_name;
        if (entry.size() == file.size() && entry.compare(0, stem, file, 0, stem) == 0 &&
            strcasecmp(entry.c_str() + stem, ext) == 0 && (found.empty() || entry < found))
            found = entry;
    }
    closedir(d);
    if (!found.empty()) std::memcpy(name + std::strlen(name) - n, found.c_str() + stem, n);
    return true;
}

std::function<std::string(const std::string&)> file_suffix_adder(const char* ext) {
    return [ext](const std::string& name) {
        return file_name_ends_with(name.c_str(), ext) ? name : name + ext;
    };
}

std::function<std::string(const std::string&)> file_extension_adder(const char* ext) {
    return [ext](const std::string& name) {
        std::string out(name.size() + std::strlen(ext) + 1, '\0');
        std::memcpy(out.data(), name.c_str(), name.size() + 1);
        file_set_extension(ext, out.data(), out.size(), 0, "");
        out.resize(std::strlen(out.c_str()));
        return out;
    };
}

const char* file_default_suffix(unsigned machine_number) {
    return machine_number < MACHINES ? machine_ops(machine_number).save_suffix : ".bin";
}

// Icons beside saved files: Linux file managers keep no sidecar icons, so the
// "createicons" option has nothing to write.
void file_write_icon(int, const char*) {}
