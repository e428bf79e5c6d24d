#include "core/zipfile.h"

#include "core/filekinds.h"
#include "core/helpers.h"
#include "core/ui_host.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <minizip/unzip.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// The first `n` bytes of a regular file; false when there are fewer or it is
// no regular file (a FIFO is not waited for).
bool read_head(const char* path, u8* head, std::size_t n) {
    return file_read_head(path_to_host(path), head, n) == static_cast<long>(n);
}

} // namespace

bool zip_is_archive(const char* path) {
    u8 magic[2];
    return read_head(path, magic, 2) && magic[0] == 'P' && magic[1] == 'K';
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
    u8 head[4];
    return read_head(path, head, 4) && head[0] == 'P' && head[1] == 'K' && head[2] == 5 &&
           head[3] == 6;
}

// The kind a member's name selects, or -1: the three characters after the
// first dot of its own name (a dot in the name of a folder it lies in does not
// count).
int member_kind(const char* name, bool games_only) {
    const char* slash = std::strrchr(name, '/');
    const char* dot = std::strchr(slash ? slash + 1 : name, '.');
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

// Reads the open member (opened raw) into `to`, which takes exactly `size`
// bytes: a stored member must hold just those bytes, a deflated one must
// inflate to just those bytes, and their CRC must be `crc`. A directory entry
// that understates the size therefore fails even when its CRC was taken over
// the shortened data.
enum MemberRead { MEMBER_WHOLE, MEMBER_CORRUPT, MEMBER_BAD_CRC };
MemberRead read_member(unzFile zip, int method, u8* to, std::size_t size, uLong crc) {
    if (method != 0 && method != Z_DEFLATED) return MEMBER_CORRUPT;
    z_stream z{};
    if (method == Z_DEFLATED && inflateInit2(&z, -MAX_WBITS) != Z_OK) return MEMBER_CORRUPT;
    u8 chunk[16384];
    u8 spill;
    std::size_t got = 0;
    bool ok = true, ended = method == 0;
    for (;;) {
        const int n = unzReadCurrentFile(zip, chunk, sizeof chunk);
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (method == 0) {
            if (static_cast<std::size_t>(n) > size - got) {
                ok = false;
                break;
            }
            std::memcpy(to + got, chunk, static_cast<std::size_t>(n));
            got += static_cast<std::size_t>(n);
            continue;
        }
        z.next_in = chunk;
        z.avail_in = static_cast<uInt>(n);
        while (ok && !ended && z.avail_in > 0) {
            // Past the expected size, one more byte of output is a lie found.
            const bool full = got == size;
            z.next_out = full ? &spill : to + got;
            z.avail_out =
                full ? 1u : static_cast<uInt>(std::min<std::size_t>(size - got, 1u << 30));
            const uInt before = z.avail_out;
            const int r = inflate(&z, Z_NO_FLUSH);
            const std::size_t made = before - z.avail_out;
            if (full && made > 0) ok = false;
            if (!full) got += made;
            if (r == Z_STREAM_END)
                ended = true;
            else if (r != Z_OK)
                ok = false;
        }
        if (!ok || (ended && z.avail_in > 0)) {
            ok = false;
            break;
        }
    }
    if (method == Z_DEFLATED) inflateEnd(&z);
    if (!ok || !ended || got != size) return MEMBER_CORRUPT;
    return ::crc32(0L, to, static_cast<uInt>(size)) == crc ? MEMBER_WHOLE : MEMBER_BAD_CRC;
}

} // namespace

int zip_extract_first(const char* path, bool games_only, bool quiet, ZipMember& member,
                      const ZipPlace& place) {
    member = ZipMember{};
    unzFile zip = nullptr;
    if (zip_is_archive(path)) zip = unzOpen64(path_to_host(path).c_str());
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
        // A name that does not fit the buffer arrives cut and unterminated:
        // such a member names no file we could load, so it is passed over,
        // as are folders ("folder.bin/") and empty members, which hold
        // nothing to load.
        if (info.size_filename < sizeof name && info.uncompressed_size > 0) {
            name[info.size_filename] = 0;
            const bool folder = info.size_filename > 0 && name[info.size_filename - 1] == '/';
            kind = folder ? -1 : member_kind(name, games_only);
            if (kind >= 0) break;
        }
        if (unzGoToNextFile(zip) != UNZ_OK) break;
    }
    if (kind < 0) {
        unzClose(zip);
        warn(quiet, cat_str(884, "No Signetics files found in ZIP archive!"));
        return 0;
    }
    member.name = name;
    member.kind = kind;
    // The size the directory gives is checked before a byte is inflated.
    u8* to = nullptr;
    if (info.uncompressed_size <= ZIP_MEMBER_MAX) {
        const std::size_t size = static_cast<std::size_t>(info.uncompressed_size);
        if (place) {
            to = place(kind, size);
        } else {
            member.data.resize(size);
            to = member.data.data();
        }
    }
    if (!to) {
        unzClose(zip);
        member.refusal = "too large";
        return 0;
    }
    int method = 0, level = 0;
    if (unzOpenCurrentFile2(zip, &method, &level, 1) != UNZ_OK) {
        unzClose(zip);
        warn_corrupt(quiet);
        return 0;
    }
    const std::size_t size = static_cast<std::size_t>(info.uncompressed_size);
    const MemberRead read = read_member(zip, method, to, size, info.crc);
    const int closed = unzCloseCurrentFile(zip);
    unzClose(zip);
    if (read != MEMBER_WHOLE || closed != UNZ_OK) {
        member.data.clear();
        if (read == MEMBER_BAD_CRC) member.refusal = "bad checksum";
        warn_corrupt(quiet);
        return 0;
    }
    return 1;
}
