#include "computers/binbug_dos.h"

#include "computers/chunk_file.h"
#include "computers/dos_files.h"
#include "core/emu.h"
#include "core/machine_ops.h"
#include "core/message.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "peripherals/floppy.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <strings.h>
#include <vector>

namespace {

constexpr int BLOCKS = 400, TRACKS = 40, SECTORS = 10, DATA = 254, ENTRIES = 100;
constexpr int FILE_LIST_BYTES = 2540, CAPACITY = 99060, TOTAL = 101600;
// A text file (extension SRC or TXT) starts with STX and ends at ETX; the
// bytes after ETX in its last block are no part of it.
constexpr u8 STX = 0x02, ETX = 0x03;

bool is_text(const char* ext) {
    return strcasecmp(ext, "SRC") == 0 || strcasecmp(ext, "TXT") == 0;
}

u8* image(int drive) {
    return drives[drive].image;
}
u8* block(int drive, int b) {
    return image(drive) + b * 256;
}
// Block number of a track and sector (sectors from 1); -1 outside the disk.
int block_of(int track, int sector) {
    if (track < 0 || track >= TRACKS || sector < 1 || sector > SECTORS) return -1;
    return track * SECTORS + sector - 1;
}
u8* entry_at(int drive, int e) {
    return image(drive) + (e / 10) * 256 + 16 + (e % 10) * 24;
}
int bcd(u8 v) {
    return (v >> 4) > 9 || (v & 15) > 9 ? 0 : (v >> 4) * 10 + (v & 15);
}
u8 to_bcd(int v) {
    return static_cast<u8>((v / 10 % 10) << 4 | v % 10);
}
int blocks_of_entry(const u8* e) {
    return e[17] << 8 | e[18];
}
void link(u8* cell, int next_block) {
    cell[0] = static_cast<u8>(next_block / SECTORS);
    cell[1] = static_cast<u8>(next_block % SECTORS + 1);
}
// Blocks first..last of an image each linked to the next, as a format
// links them; the last ends its chain.
void link_as_formatted(u8* img, int first, int last) {
    for (int b = first; b <= last; b++)
        link(img + b * 256, b + 1);
    img[last * 256] = 0xFF;
}

// ---- walking a chain --------------------------------------------------------------------------

struct Walk {
    bool error = false;
    int count = 0;
    int last = -1;
    std::vector<u8> data;     // the blocks' data bytes, with the load flag
    std::vector<u32> offsets; // image offset of each loaded block
};

// The lister's walk: marks each block in the block map; every fault ends it
// with a message (those after the walk also in a quiet one).
Walk walk_chain(int drive, int start, int end, int size, u8 mark, bool load, bool quiet) {
    Walk w;
    auto say = [&](const char* text, int n) {
        w.error = true;
        if (!quiet) con_printf(text, n);
    };
    if (start < 0 || start >= BLOCKS) say("Invalid start block!\n", 0);
    if (end < 0 || end >= BLOCKS) say("Invalid end block!\n", 0);
    if (size >= CAPACITY + 1) say("Excessive length!\n", 0);
    if (w.error) return w;
    u8* map = drives[drive].block_map;
    int b = start;
    for (;;) {
        if (map[b] != BLOCK_LOST) {
            say("Block at $%Xxx is used more than once!\n", b);
            break;
        }
        map[b] = mark;
        w.count++;
        w.last = b;
        const u8 nt = block(drive, b)[0], ns = block(drive, b)[1];
        if (nt >= TRACKS && nt != 0xFF) {
            say("Block at $%Xxx has an invalid next track field!\n", b);
            break;
        }
        if (ns < 1 || ns > SECTORS) {
            say("Block at $%Xxx has an invalid next sector field!\n", b);
            break;
        }
        const int next = nt == 0xFF ? -1 : block_of(nt, ns);
        if (next == b) {
            say("Block at $%Xxx has a circular reference!\n", b);
            break;
        }
        if (load) {
            w.data.insert(w.data.end(), block(drive, b) + 2, block(drive, b) + 256);
            w.offsets.push_back(static_cast<u32>(b) * 256);
        }
        if (verbose_log && !quiet) {
            if (next < 0)
                con_printf(" $%5Xxx: Next block:  None\n", b);
            else
                con_printf(" $%5Xxx: Next block: $%3Xxx\n", b, next);
        }
        if (next < 0 || w.count > 390) break;
        b = next;
    }
    if (w.count > 390) {
        w.error = true;
        con_printf("Too many blocks!\n");
    }
    if (w.count * DATA != size) {
        w.error = true;
        con_printf("Incorrect size (stored %d vs. calculated %d bytes)!\n", size, w.count * DATA);
    }
    if (w.last >= 0 && w.last / SECTORS != end / SECTORS) {
        w.error = true;
        con_printf("Incorrect end track (stored %d vs. calculated %d)!\n", end / SECTORS,
                   w.last / SECTORS);
    }
    if (w.last >= 0 && w.last % SECTORS != end % SECTORS) {
        w.error = true;
        con_printf("Incorrect end sector (stored %d vs. calculated %d!)!\n", end % SECTORS + 1,
                   w.last % SECTORS + 1);
    }
    return w;
}

// The CMD records of a loaded file: their start address, 0 when the blocks
// end first.
u32 check_records(const Walk& w, bool* error) {
    auto image_address = [&](size_t at) {
        const size_t i = at / DATA;
        return i < w.offsets.size() ? w.offsets[i] + 2 + static_cast<u32>(at % DATA) : 0u;
    };
    size_t at = 0;
    while (at + 3 <= w.data.size()) {
        const u32 address = static_cast<u32>(w.data[at] << 8 | w.data[at + 1]);
        const u32 length = w.data[at + 2];
        if (address > 0x7FFF) {
            *error = true;
            con_printf("Invalid load start address of $%X!\n", address);
        }
        if (address + length > 0x8000) {
            *error = true;
            con_printf("Invalid load end address of $%X!\n", address + length);
        }
        if (length > 251) {
            *error = true;
            con_printf("Unexpected chunk size of %d!\n", length);
        }
        if (length == 0) {
            if (verbose_log)
                con_printf("           Start addr:  $%4X        found at $%5X..$%X+\n", address,
                           image_address(at), image_address(at + 2));
            return address;
        }
        if (verbose_log)
            con_printf("           Chunk addr:  $%4X..$%4X found at $%5X+\n", address,
                       address + length - 1, image_address(at));
        at += 3 + length;
    }
    return 0;
}

// The chain of a file from its start block: the blocks up to its end block
// or the chain's end, checked as the lister checks; empty after a message
// when it loops or leaves the disk.
std::vector<int> file_blocks(int drive, int start, int end) {
    std::vector<int> out;
    bool seen[BLOCKS] = {};
    int b = start;
    while (b >= 0 && b < BLOCKS && !seen[b] && out.size() < BLOCKS) {
        seen[b] = true;
        out.push_back(b);
        if (b == end) return out;
        const u8 nt = block(drive, b)[0];
        if (nt == 0xFF) return out;
        b = block_of(nt, block(drive, b)[1]);
    }
    con_printf("The file's chain of blocks is broken!\n\n");
    return {};
}

void entry_range(int drive, int e, int* start, int* end) {
    const u8* d = entry_at(drive, e);
    *start = d[13] * SECTORS + d[14] - 1;
    *end = d[15] * SECTORS + d[16] - 1;
}

// A name "NAME.EXT" split and checked; false after the complaint.
bool split_name(const char* name, std::string* base, std::string* ext, std::string* why) {
    const char* dot = std::strchr(name, '.');
    *base = dot ? std::string(name, dot) : std::string(name);
    *ext = dot ? std::string(dot + 1) : std::string();
    if (base->size() > 10) return dos_refuse(why, "Filename is too long!");
    if (ext->size() > 3) return dos_refuse(why, "Extension is too long!");
    // An empty name would free the entry.
    if (base->empty()) return dos_refuse(why, "Filename is too short!");
    for (std::string* s : {base, ext})
        for (char& c : *s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return true;
}

void store_name(u8* e, const std::string& base, const std::string& ext) {
    std::memset(e, 0, 13);
    std::memcpy(e, base.data(), base.size());
    std::memcpy(e + 10, ext.data(), ext.size());
}

// A used entry of the drive, other than `except`, named `base`.`ext`
// (letter case ignored); -1 when none is.
int entry_named(int drive, const std::string& base, const std::string& ext, int except = -1) {
    for (int e = 0; e < ENTRIES; e++) {
        const u8* en = entry_at(drive, e);
        if (e == except || en[0] < 1 || en[0] > 127) continue;
        char n[11], x[4];
        std::snprintf(n, sizeof n, "%.10s", reinterpret_cast<const char*>(en));
        std::snprintf(x, sizeof x, "%.3s", reinterpret_cast<const char*>(en + 10));
        if (strcasecmp(n, base.c_str()) == 0 && strcasecmp(x, ext.c_str()) == 0) return e;
    }
    return -1;
}

} // namespace

// ---- the operations ---------------------------------------------------------------------------

bool binbug_image_from_file(const std::vector<u8>& file, u8* out) {
    if (file.size() != BINBUG_DISK_BYTES && file.size() != BINBUG_SHORT_DISK_BYTES) {
        ui_warning("File is wrong size!");
        return false;
    }
    std::memcpy(out, file.data(), file.size());
    if (file.size() == BINBUG_SHORT_DISK_BYTES) {
        std::memset(out + BINBUG_SHORT_DISK_BYTES, 0xE5,
                    BINBUG_DISK_BYTES - BINBUG_SHORT_DISK_BYTES);
        link_as_formatted(out, 370, BLOCKS - 1);
    }
    return true;
}

namespace {

// Where the header keeps the day the disk was formatted (three BCD bytes).
constexpr u32 FORMAT_DATE = 13, FORMAT_DATE_BYTES = 3;

// A new disk as the format makes it, undated (BINBUG_DISK_BYTES in `img`).
void new_disk(u8* img) {
    std::memset(img, 0xE5, BINBUG_DISK_BYTES);
    link_as_formatted(img, 0, 9);
    link_as_formatted(img, 10, BLOCKS - 1);
    const u8 header[11] = {1, 1, 39, 10, 390 >> 8, 390 & 0xFF, 40, 10, 0x42, 0x51, 0x21};
    std::memcpy(img + 2, header, 11);
    std::memset(img + FORMAT_DATE, 0, FORMAT_DATE_BYTES);
}

} // namespace

void binbug_dos_format(int drive) {
    std::vector<u8> blank(BINBUG_DISK_BYTES);
    u8* img = blank.data();
    new_disk(img);
    if (guest_memory[0x70FC] == 0xFF)
        std::memcpy(img + FORMAT_DATE, guest_memory + 0x70FD, FORMAT_DATE_BYTES);
    floppy_take_image(drive, img, "");
}

bool binbug_dos_fresh(const u8* image) {
    std::vector<u8> blank(BINBUG_DISK_BYTES);
    new_disk(blank.data());
    std::memcpy(blank.data() + FORMAT_DATE, image + FORMAT_DATE, FORMAT_DATE_BYTES);
    return std::memcmp(blank.data(), image, BINBUG_DISK_BYTES) == 0;
}

void binbug_dos_list_directory(int quiet, int drive) {
    if (drive < 0 || drive >= FLOPPY_DRIVES || !drives[drive].present) return;
    FloppyDrive& d = drives[drive];
    const u8* h = image(drive);
    std::memset(d.block_map, BLOCK_LOST, sizeof d.block_map);
    const int hd = bcd(h[13]), hm = bcd(h[14]), hy = bcd(h[15]);
    if (!quiet) {
        const std::string identity =
            dos_shown_name(std::string(reinterpret_cast<const char*>(h + 10), 3));
        con_printf("Tracks on disk:    %d\nSectors per track: %d\nDisk identity:     "
                   "\"%s\"\n\nFilename  .Ext  Start..Finish  Size Type   Date",
                   h[8], h[9], identity.c_str());
        if (verbose_log)
            con_printf("\n-------------------------------------------------\n(File List)    $    "
                       "%d..$  9FF  %d n/a  %2d/%2d/%2d\n",
                       2, FILE_LIST_BYTES, hd, hm, hy);
        else
            con_printf("   StAdr\n-------------------------------------------------------\n(File "
                       "List)    $    %d..$  9FF  %d n/a  %2d/%2d/%2d  n/a\n",
                       2, FILE_LIST_BYTES, hd, hm, hy);
    }
    walk_chain(drive, 0, 9, FILE_LIST_BYTES, BLOCK_DIRECTORY, false, quiet);

    const int f = h[2] * SECTORS + h[3] - 1, l = h[4] * SECTORS + h[5] - 1;
    const int free_size = (h[6] << 8 | h[7]) * DATA;
    if (!quiet) {
        con_printf("(Free Area)    $%5X..$%5X %5d n/a  %2d/%2d/%2d", f * 256 + 2, l * 256 + 255,
                   free_size, hd, hm, hy);
        con_printf(verbose_log ? "\n" : "  n/a\n");
    }
    walk_chain(drive, f, l, free_size, BLOCK_FREE, false, quiet);

    int used = 0;
    for (int e = 0; e < ENTRIES; e++) {
        const u8* en = entry_at(drive, e);
        if (en[0] < 1 || en[0] > 127) {
            d.name_cache[e][0] = 0;
            continue;
        }
        std::snprintf(d.name_cache[e], sizeof d.name_cache[e], "%.10s",
                      reinterpret_cast<const char*>(en));
        std::snprintf(d.ext_cache[e], sizeof d.ext_cache[e], "%.3s",
                      reinterpret_cast<const char*>(en + 10));
        int s, t;
        entry_range(drive, e, &s, &t);
        const int size = blocks_of_entry(en) * DATA;
        used += size;
        if (!quiet)
            con_printf("%-10s.%-3s $%5X..$%5X %5d $%02X  %2d/%2d/%2d ",
                       dos_shown_name(d.name_cache[e]).c_str(),
                       dos_shown_name(d.ext_cache[e]).c_str(), s * 256 + 2, t * 256 + 255, size,
                       en[19], bcd(en[21]), bcd(en[22]), bcd(en[23]));
        if (std::strcmp(d.ext_cache[e], "CMD") == 0) {
            if (!quiet && verbose_log) con_printf("\n");
            Walk w = walk_chain(drive, s, t, size, BLOCK_FILE, true, quiet);
            u32 start = 0;
            if (!quiet) start = check_records(w, &w.error);
            if (!quiet && !verbose_log)
                con_printf(w.error ? "Start address: $%X\n" : "$%4X\n", start);
        } else {
            if (!quiet) con_printf(verbose_log ? "\n" : " n/a\n");
            walk_chain(drive, s, t, size, BLOCK_FILE, false, quiet);
        }
    }
    if (!quiet) {
        con_printf("\n%6d bytes used by files.\n%6d bytes reserved for file list.\n%6d bytes "
                   "free.\n%6d bytes in lost blocks.\n%6d bytes total.\n\n",
                   used, FILE_LIST_BYTES, free_size, CAPACITY - used - free_size, TOTAL);
        if (verbose_log)
            for (int b = 0; b < BLOCKS; b++) {
                const int t = b / SECTORS, s = b % SECTORS + 1;
                const int et = s == SECTORS ? t + 1 : t, es = s == SECTORS ? 1 : s + 1;
                const u8 nt = block(drive, b)[0], ns = block(drive, b)[1];
                if (nt != et && nt != 0xFF)
                    con_printf("Track %d, sector %d has an unexpected 'track of next block' "
                               "number in header (found %d vs. expected %d)!\n",
                               t, s, nt, et);
                if (ns != es)
                    con_printf("Track %d, sector %d has an unexpected 'sector of next block' "
                               "number in header (found %d vs. expected %d)!\n",
                               t, s, ns, es);
            }
    }
    floppy_shown_drive = static_cast<u32>(drive);
    floppy_refresh(3, drive);
}

bool binbug_dos_extract_file(int entry, int drive, DiskFile* file) {
    const FloppyDrive& d = drives[drive];
    if (entry < 0 || entry >= ENTRIES || !d.name_cache[entry][0]) return false;
    int s, t;
    entry_range(drive, entry, &s, &t);
    const std::vector<int> chain = file_blocks(drive, s, t);
    if (chain.empty()) return false;
    const bool text = is_text(d.ext_cache[entry]);
    std::vector<u8>& out = file->bytes;
    out.clear();
    for (size_t i = 0; i < chain.size(); i++) {
        if (verbose_log) con_printf("Extracting $%Xxx...\n", chain[i]);
        const u8* data = block(drive, chain[i]) + 2;
        int first = 0, last = DATA;
        if (text && i == 0 && data[0] == STX) first = 1;
        if (text && i + 1 == chain.size()) {
            const void* etx = std::memchr(data + first, ETX, static_cast<size_t>(last - first));
            if (etx) last = static_cast<int>(static_cast<const u8*>(etx) - data);
        }
        out.insert(out.end(), data + first, data + last);
    }
    file->name = dos_host_name(d.name_cache[entry], d.ext_cache[entry]);
    return true;
}

bool binbug_dos_put_file(const char* path, int drive, std::string* why) {
    std::string base, ext;
    if (!split_name(dos_file_part(path).c_str(), &base, &ext, why)) return false;
    u8* h = image(drive);
    const int free_blocks = h[6] << 8 | h[7];
    // A text file goes on between STX and ETX, as the DOS's own programs
    // write one, so that it comes back as it was.
    const bool text = is_text(ext.c_str());
    const std::uintmax_t room = static_cast<std::uintmax_t>(free_blocks) * DATA;
    std::error_code ec;
    const auto host_size = std::filesystem::file_size(path, ec);
    if (!ec && host_size + (text ? 2 : 0) > room) return dos_refuse(why, "Disk is too full!");
    if (entry_named(drive, base, ext) >= 0) return dos_refuse(why, "File already exists on disk!");
    int slot = -1;
    for (int e = 0; e < ENTRIES && slot < 0; e++) {
        const u8 first = entry_at(drive, e)[0];
        if (first < 1 || first > 127) slot = e;
    }
    if (slot < 0) return dos_refuse(why, "No free entries in directory table!");
    std::vector<u8> bytes;
    if (ec || !dos_read_host_file(path, &bytes, static_cast<u32>(room)))
        return dos_refuse(why, "Can't open file \"%s\" for input!", path);
    if (text) {
        // An ETX inside would end the text there.
        if (!bytes.empty() && std::memchr(bytes.data(), ETX, bytes.size()))
            return dos_refuse(why,
                              "File \"%s\" holds the byte $03, which ends a text file on this "
                              "disk: give it another extension than SRC or TXT!",
                              path);
        bytes.insert(bytes.begin(), STX);
        bytes.push_back(ETX);
        if (bytes.size() > room) return dos_refuse(why, "Disk is too full!");
    }
    const int needed = bytes.empty() ? 1 : static_cast<int>((bytes.size() + DATA - 1) / DATA);
    // The blocks from the start of the free chain, checked before anything changes.
    const int first = block_of(h[2], h[3]);
    std::vector<int> run;
    bool seen[BLOCKS] = {};
    for (int b = first; static_cast<int>(run.size()) < needed;) {
        if (b < 0 || seen[b]) break;
        seen[b] = true;
        run.push_back(b);
        if (block(drive, b)[0] == 0xFF) break;
        b = block_of(block(drive, b)[0], block(drive, b)[1]);
    }
    if (needed > free_blocks || static_cast<int>(run.size()) < needed)
        return dos_refuse(why, "Disk is too full!");
    const u8 after[2] = {block(drive, run.back())[0], block(drive, run.back())[1]};
    for (int i = 0; i < needed; i++) {
        u8* data = block(drive, run[i]) + 2;
        const size_t from = static_cast<size_t>(i) * DATA;
        const size_t n = bytes.size() - from < static_cast<size_t>(DATA) ? bytes.size() - from : DATA;
        std::memset(data, 0, DATA);
        if (from < bytes.size()) std::memcpy(data, bytes.data() + from, n);
    }
    block(drive, run.back())[0] = 0xFF;
    h[2] = after[0];
    h[3] = after[1];
    const int left = free_blocks - needed;
    h[6] = static_cast<u8>(left >> 8);
    h[7] = static_cast<u8>(left);
    u8* en = entry_at(drive, slot);
    std::memset(en, 0, 24);
    store_name(en, base, ext);
    en[13] = static_cast<u8>(run.front() / SECTORS);
    en[14] = static_cast<u8>(run.front() % SECTORS + 1);
    en[15] = static_cast<u8>(run.back() / SECTORS);
    en[16] = static_cast<u8>(run.back() % SECTORS + 1);
    en[17] = static_cast<u8>(needed >> 8);
    en[18] = static_cast<u8>(needed);
    int day, month, year;
    dos_today(&day, &month, &year);
    en[21] = to_bcd(day);
    en[22] = to_bcd(month);
    en[23] = to_bcd(year);
    drives[drive].changed = 1;
    con_printf("%s.\n\n", "OK");
    binbug_dos_list_directory(0, drive);
    return true;
}

void binbug_dos_delete_file(int entry, int drive) {
    if (entry < 0 || entry >= ENTRIES) return;
    int s, t;
    entry_range(drive, entry, &s, &t);
    const std::vector<int> chain = file_blocks(drive, s, t);
    if (chain.empty()) return;
    for (int b : chain)
        std::memset(block(drive, b) + 2, 0xE5, DATA);
    u8* h = image(drive);
    const int free_blocks = h[6] << 8 | h[7];
    const int last_free = block_of(h[4], h[5]);
    if (free_blocks == 0 || last_free < 0) {
        h[2] = static_cast<u8>(chain.front() / SECTORS);
        h[3] = static_cast<u8>(chain.front() % SECTORS + 1);
    } else {
        link(block(drive, last_free), chain.front());
    }
    block(drive, chain.back())[0] = 0xFF;
    h[4] = static_cast<u8>(chain.back() / SECTORS);
    h[5] = static_cast<u8>(chain.back() % SECTORS + 1);
    const int now_free = free_blocks + static_cast<int>(chain.size());
    h[6] = static_cast<u8>(now_free >> 8);
    h[7] = static_cast<u8>(now_free);
    std::memset(entry_at(drive, entry), 0, 24);
    drives[drive].changed = 1;
}

int binbug_dos_check_filename(int entry, int drive, const char* name) {
    std::string base, ext;
    if (entry < 0 || entry >= ENTRIES || !split_name(name, &base, &ext, nullptr)) return 0;
    // Two entries of one name could not be told apart (an extraction of one
    // would write over the other's file).
    if (entry_named(drive, base, ext, entry) >= 0)
        return dos_refuse(nullptr, "File already exists on disk!");
    store_name(entry_at(drive, entry), base, ext);
    drives[drive].changed = 1;
    return 1;
}

// ---- CMD files ------------------------------------------------------------------------------------

namespace {
constexpr ChunkFormat CMD = {"CMD", 3, 251, 251};
ChunkFileLoad cmd_load{CMD};
} // namespace

int binbug_parse_cmd(u32 size) {
    return cmd_load.parse(size);
}

void binbug_commit_cmd() {
    cmd_load.commit();
}

int binbug_save_cmd(const char* path, u32 start, u32 end, u32 exec) {
    return chunk_file_save(CMD, path, start, end, exec) ? 1 : 0;
}

const DiskSystem binbug_disk_system = {
    .image_from_file = binbug_image_from_file,
    .list = binbug_dos_list_directory,
    .format = binbug_dos_format,
    .fresh = binbug_dos_fresh,
    .extract = binbug_dos_extract_file,
    .put = binbug_dos_put_file,
    .remove = binbug_dos_delete_file,
    .rename = binbug_dos_check_filename,
    .entries = ENTRIES,
    .extensions = true,
};
