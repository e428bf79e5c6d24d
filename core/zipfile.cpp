#include "core/zipfile.h"

#include "core/filekinds.h"
#include "core/ui_host.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <minizip/unzip.h>

#include <cctype>
#include <cstdio>
#include <cstring>

bool zip_is_archive(const char* path) {
    std::FILE* f = std::fopen(path_to_host(path).c_str(), "rb");
    if (!f) return false;
    char magic[2];
    const bool ok = std::fread(magic, 1, 2, f) == 2 && magic[0] == 'P' && magic[1] == 'K';
    std::fclose(f);
    return ok;
}

namespace {

void warn(bool quiet, const char* text) {
    if (!quiet) ui_warning(text);
}

void warn_corrupt(bool quiet) {
    char text[96];
    std::snprintf(text, sizeof text, cat_str(895, "Corrupt %s file!"), "ZIP");
    warn(quiet, text);
}

// An archive of nothing but its end record.
bool is_empty_archive(const char* path) {
    std::FILE* f = std::fopen(path_to_host(path).c_str(), "rb");
    if (!f) return false;
    u8 head[4];
    const bool empty = std::fread(head, 1, 4, f) == 4 && head[0] == 'P' && head[1] == 'K' &&
                       head[2] == 5 && head[3] == 6;
    std::fclose(f);
    return empty;
}

// The kind a member's name selects, or -1.
int member_kind(const char* name, bool games_only) {
    const char* dot = std::strchr(name, '.');
    if (!dot) return -1;
    char ext[4] = {0, 0, 0, 0};
    for (int i = 0; i < 3 && dot[1 + i]; i++)
        ext[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(dot[1 + i])));
    if (!std::strcmp(ext, "BIN") || !std::strcmp(ext, "ROM")) return KIND_BIN;
    if (!std::strcmp(ext, "TVC")) return KIND_TVC;
    if (games_only) return -1;
    if (!std::strcmp(ext, "AOF")) return KIND_AOF;
    if (!std::strcmp(ext, "COS")) return KIND_COS;
    if (!std::strcmp(ext, "COR")) return KIND_COR;
    if (!std::strcmp(ext, "EOF")) return KIND_EOF;
    return -1;
}

} // namespace

int zip_extract_first(const char* path, bool games_only, bool quiet, ZipMember& member) {
    unzFile zip = unzOpen64(path_to_host(path).c_str());
    if (!zip) {
        // The unzip interface refuses an archive without members; it holds
        // nothing to load rather than being unreadable.
        warn(quiet, is_empty_archive(path)
                        ? cat_str(884, "No Signetics files found in ZIP archive!")
                        : cat_str(883, "Can't open ZIP archive!"));
        return 0;
    }
    unz_global_info64 global;
    if (unzGetGlobalInfo64(zip, &global) == UNZ_OK && global.number_entry == 0) {
        unzClose(zip);
        warn(quiet, cat_str(884, "No Signetics files found in ZIP archive!"));
        return 0;
    }
    if (unzGoToFirstFile(zip) != UNZ_OK) {
        unzClose(zip);
        warn_corrupt(quiet);
        return 0;
    }
    unz_file_info64 info;
    char name[256];
    int kind = -1;
    for (;;) {
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK)
            break;
        kind = member_kind(name, games_only);
        if (kind >= 0) break;
        if (unzGoToNextFile(zip) != UNZ_OK) break;
    }
    if (kind < 0) {
        unzClose(zip);
        warn(quiet, cat_str(884, "No Signetics files found in ZIP archive!"));
        return 0;
    }
    if (info.uncompressed_size > ZIP_MEMBER_MAX || unzOpenCurrentFile(zip) != UNZ_OK) {
        unzClose(zip);
        warn_corrupt(quiet);
        return 0;
    }
    std::vector<u8> data(static_cast<std::size_t>(info.uncompressed_size));
    std::size_t got = 0;
    while (got < data.size()) {
        const int n =
            unzReadCurrentFile(zip, data.data() + got, static_cast<unsigned>(data.size() - got));
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    // The header's size must be the member's true size: no byte may be left
    // over, and the CRC of the whole member must check.
    u8 extra;
    const bool more = got == data.size() && unzReadCurrentFile(zip, &extra, 1) != 0;
    const int closed = unzCloseCurrentFile(zip);
    unzClose(zip);
    if (got < data.size() || more || closed != UNZ_OK) {
        warn_corrupt(quiet);
        return 0;
    }
    member.name = name;
    member.kind = kind;
    member.data = std::move(data);
    return 1;
}
