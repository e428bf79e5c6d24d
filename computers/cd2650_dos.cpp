#include "computers/cd2650_dos.h"

#include "computers/cd2650.h"
#include "computers/chunk_file.h"
#include "computers/dos_files.h"
#include "core/guest_roms.h"
#include "core/machine_ops.h"
#include "core/message.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "peripherals/floppy.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <strings.h>

namespace {

constexpr int TRACKS = 35, SECTORS = 9, BLOCKS = 315, FIRST_FILE_BLOCK = 18, ENTRIES = 64;
constexpr int LIST_BYTES = 4608, FILE_BYTES = 76032;
constexpr u32 DOS_BYTES = 6912, P1_DISK_BYTES = 22020;

u8* entry_at(int drive, int e) {
    return drives[drive].image + e * 64;
}

// A file's blocks: first..last, and whether they form a valid range.
struct Range {
    int first, last;
    bool sized, valid;
    int size() const { return sized ? (last - first + 1) * 256 : 0; }
};

Range range_of(const u8* e) {
    Range r;
    r.first = e[28] * SECTORS + e[29] - 1;
    r.last = e[30] * SECTORS + e[31] - 1;
    r.sized = r.first <= r.last && e[28] < TRACKS && e[30] < TRACKS && e[29] < 10 && e[31] < 10;
    r.valid = r.sized && e[29] >= 1 && e[31] >= 1;
    return r;
}

bool bad_range(const u8* e) {
    if (range_of(e).valid) return false;
    con_printf("Bad block range (tracks %d..%d, sectors %d..%d)!\n", e[28], e[30], e[29], e[31]);
    return true;
}

std::string field(const u8* p, int n, bool strip_bit7 = false) {
    std::string s;
    for (int i = 0; i < n && p[i]; i++)
        s += static_cast<char>(strip_bit7 ? p[i] & 0x7F : p[i]);
    return s;
}

std::string date_text(const u8* p) {
    return p[0] ? field(p, 8) : "--------";
}

std::string read_text(const u8* e) {
    const u8 level = e[20];
    if (level == 0) return "Public";
    if (level == 255) return "Supervisor";
    return level & 0x80 ? "User " + field(e + 20, 8, true) : "Code " + field(e + 20, 8);
}

std::string write_text(const u8* e) {
    const u8 level = e[20];
    if (level == 0) return "Public";
    if (level == 255) return "Supervisor";
    return e[12] & 0x80 ? "User " + field(e + 20, 8, true) : "Code " + field(e + 12, 8);
}

// "MM-DD-YY" of today.
void today(u8* out) {
    int d, m, y;
    dos_today(&d, &m, &y);
    char text[12];
    std::snprintf(text, sizeof text, "%02d-%02d-%02d", m % 100, d % 100, y % 100);
    std::memcpy(out, text, 8);
}

// The block map and the bytes used by files.
int map_blocks(int drive) {
    u8* map = drives[drive].block_map;
    for (int b = 0; b < BLOCKS; b++)
        map[b] = b < FIRST_FILE_BLOCK ? BLOCK_DIRECTORY : BLOCK_FREE;
    int used = 0;
    for (int e = 0; e < ENTRIES; e++) {
        const u8* en = entry_at(drive, e);
        if (!en[0]) continue;
        const Range r = range_of(en);
        used += r.size();
        if (r.first <= r.last)
            for (int b = r.first < 0 ? 0 : r.first; b <= r.last && b < BLOCKS; b++)
                map[b] = BLOCK_FILE;
    }
    return used;
}

// The name rules of put and rename; false after the complaint.
bool split_name(const char* name, std::string* base, std::string* ext, std::string* why) {
    const char* dot = std::strchr(name, '.');
    *base = dot ? std::string(name, dot) : std::string(name);
    *ext = dot ? std::string(dot + 1) : std::string();
    for (char c : *base)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return dos_refuse(why, "Illegal character '%c' in filename!", c);
    if (base->size() > 8) return dos_refuse(why, "Filename is too long!");
    if (base->empty()) return dos_refuse(why, "Filename is too short!");
    for (char c : *ext)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '$')
            return dos_refuse(why, "Illegal character '%c' in extension!", c);
    if (ext->size() > 4) return dos_refuse(why, "Extension is too long!");
    for (std::string* s : {base, ext})
        for (char& c : *s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return true;
}

void store_name(u8* e, const std::string& base, const std::string& ext) {
    std::memset(e, 0, 12);
    std::memcpy(e, base.data(), base.size());
    std::memcpy(e + 8, ext.data(), ext.size());
}

// A used entry of the drive, other than `except`, named `base`.`ext`
// (letter case ignored); -1 when none is.
int entry_named(int drive, const std::string& base, const std::string& ext, int except = -1) {
    for (int e = 0; e < ENTRIES; e++) {
        const u8* en = entry_at(drive, e);
        if (e != except && en[0] && strcasecmp(field(en, 8).c_str(), base.c_str()) == 0 &&
            strcasecmp(field(en + 8, 4).c_str(), ext.c_str()) == 0)
            return e;
    }
    return -1;
}

void set_blocks(u8* e, int first, int last) {
    e[28] = static_cast<u8>(first / SECTORS);
    e[29] = static_cast<u8>(first % SECTORS + 1);
    e[30] = static_cast<u8>(last / SECTORS);
    e[31] = static_cast<u8>(last % SECTORS + 1);
}

} // namespace

bool cd2650_image_from_file(const std::vector<u8>& file, u8* image) {
    if (file.size() != CD2650_DISK_BYTES) {
        ui_warning("File is wrong size!");
        return false;
    }
    std::memcpy(image, file.data(), file.size());
    return true;
}

namespace {

// The two files of a new system disk, at the head of its directory; each
// entry keeps two dates (made and changed) at DATES.
constexpr u32 NEW_ENTRIES[2] = {0, 64};
constexpr u32 DATES = 40, DATES_BYTES = 16;

// A new disk as the set-up and the format make it (CD2650_DISK_BYTES in
// `img`), dated today.
void new_disk(u8* img) {
    std::memset(img, 0, CD2650_DISK_BYTES);
    if (cd2650_dosversion == 1) {
        guest_rom_read(cd2650_roms[CD2650_ROM_P1DISK], img);
    } else if (guest_rom_read(cd2650_roms[CD2650_ROM_DOS], img + LIST_BYTES)) {
        u8* dos = img + NEW_ENTRIES[0];
        u8* user = img + NEW_ENTRIES[1];
        store_name(dos, "DOS", "SYS");
        store_name(user, "USER", "NAME");
        for (u8* e : {dos, user}) {
            e[12] = e[20] = 255;
            today(e + DATES);
            today(e + DATES + 8);
        }
        set_blocks(dos, 2 * SECTORS, 4 * SECTORS + 8);
        set_blocks(user, 5 * SECTORS, 5 * SECTORS);
    }
}

} // namespace

void cd2650_dos_open(int drive) {
    std::vector<u8> img(CD2650_DISK_BYTES);
    new_disk(img.data());
    floppy_take_image(drive, img.data(), "");
}

bool cd2650_dos_fresh(const u8* image) {
    std::vector<u8> img(CD2650_DISK_BYTES);
    new_disk(img.data());
    // Its files carry the day the disk was made.
    if (cd2650_dosversion != 1)
        for (u32 e : NEW_ENTRIES)
            std::memcpy(img.data() + e + DATES, image + e + DATES, DATES_BYTES);
    return std::memcmp(img.data(), image, CD2650_DISK_BYTES) == 0;
}

void cd2650_dos_list_directory(int quiet, int drive) {
    if (drive < 0 || drive >= FLOPPY_DRIVES || !drives[drive].present) return;
    FloppyDrive& d = drives[drive];
    const int used = map_blocks(drive);
    if (!quiet)
        con_printf("Filename.Extn  Size Created  Modified Read          Write         Modified "
                   "by\n------------- ----- -------- -------- ------------- ------------- "
                   "-----------\n");
    for (int e = 0; e < ENTRIES; e++) {
        const u8* en = entry_at(drive, e);
        if (!en[0]) {
            d.name_cache[e][0] = 0;
            continue;
        }
        std::snprintf(d.name_cache[e], sizeof d.name_cache[e], "%s", field(en, 8).c_str());
        std::snprintf(d.ext_cache[e], sizeof d.ext_cache[e], "%s", field(en + 8, 4).c_str());
        if (quiet) continue;
        // Every text of the entry comes from the disk: it is shown made safe.
        const std::string texts[7] = {
            d.name_cache[e],       d.ext_cache[e], date_text(en + 40), date_text(en + 48),
            read_text(en),         write_text(en), en[32] ? field(en + 32, 8) : "None"};
        std::string t[7];
        for (int i = 0; i < 7; i++)
            t[i] = dos_shown_name(texts[i]);
        con_printf("%-8s.%-4s %5d %s %s %-13s %-13s %-8s\n", t[0].c_str(), t[1].c_str(),
                   range_of(en).size(), t[2].c_str(), t[3].c_str(), t[4].c_str(), t[5].c_str(),
                   t[6].c_str());
        bad_range(en);
    }
    if (!quiet && verbose_log) {
        con_printf("\nFilename.Extn Block(s)\n------------- --------\n");
        for (int e = 0; e < ENTRIES; e++) {
            const u8* en = entry_at(drive, e);
            if (!en[0]) continue;
            const Range r = range_of(en);
            const std::string name = dos_shown_name(d.name_cache[e]);
            const std::string ext = dos_shown_name(d.ext_cache[e]);
            if (r.first == r.last)
                con_printf("%-8s.%-4s      %3d\n", name.c_str(), ext.c_str(), r.first);
            else
                con_printf("%-8s.%-4s %3d..%3d\n", name.c_str(), ext.c_str(), r.first, r.last);
        }
    }
    if (!quiet)
        con_printf("\n%5d bytes used by files.\n%5d bytes reserved for file list.\n%5d bytes "
                   "free.\n%5d bytes total.\n\n",
                   used, LIST_BYTES, FILE_BYTES - used, static_cast<int>(CD2650_DISK_BYTES));
    floppy_shown_drive = static_cast<u32>(drive);
    floppy_refresh(3, drive);
}

bool cd2650_dos_extract_file(int entry, int drive, DiskFile* out) {
    const FloppyDrive& d = drives[drive];
    if (entry < 0 || entry >= ENTRIES || !d.name_cache[entry][0]) return false;
    const u8* en = entry_at(drive, entry);
    if (bad_range(en)) return false;
    const Range r = range_of(en);
    const u8* first = d.image + r.first * 256;
    out->bytes.assign(first, first + r.size());
    out->name = dos_host_name(d.name_cache[entry], d.ext_cache[entry]);
    return true;
}

void cd2650_dos_delete_file(int entry, int drive) {
    if (entry < 0 || entry >= ENTRIES) return;
    u8* en = entry_at(drive, entry);
    const Range r = range_of(en);
    if (r.valid) std::memset(drives[drive].image + r.first * 256, 0, static_cast<size_t>(r.size()));
    std::memset(en, 0, 64);
    drives[drive].changed = 1;
}

int cd2650_dos_check_filename(int entry, int drive, const char* name) {
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

bool cd2650_dos_put_file(const char* path, int drive, std::string* why) {
    std::string base, ext;
    if (!split_name(dos_file_part(path).c_str(), &base, &ext, why)) return false;
    const int used = map_blocks(drive);
    const int free_bytes = FILE_BYTES - used;
    std::error_code ec;
    const auto host_size = std::filesystem::file_size(path, ec);
    if (!ec && host_size > static_cast<std::uintmax_t>(free_bytes < 0 ? 0 : free_bytes))
        return dos_refuse(why, "Disk is too full!");
    if (entry_named(drive, base, ext) >= 0) return dos_refuse(why, "File already exists on disk!");
    int slot = -1;
    for (int e = 0; e < ENTRIES && slot < 0; e++)
        if (!entry_at(drive, e)[0]) slot = e;
    if (slot < 0) return dos_refuse(why, "No free entries in directory table!");
    const int needed = ec || host_size == 0 ? 1 : static_cast<int>((host_size + 255) / 256);
    const u8* map = drives[drive].block_map;
    int first = -1;
    for (int b = FIRST_FILE_BLOCK, run = 0; b < BLOCKS; b++) {
        run = map[b] == BLOCK_FREE ? run + 1 : 0;
        if (run == needed) {
            first = b - needed + 1;
            break;
        }
    }
    if (first < 0) return dos_refuse(why, "Not enough contiguous free blocks!");
    std::vector<u8> bytes;
    if (ec || !dos_read_host_file(path, &bytes, static_cast<u32>(needed) * 256))
        return dos_refuse(why, "Can't open file \"%s\" for input!", path);
    u8* run = drives[drive].image + first * 256;
    std::memset(run, 0, static_cast<size_t>(needed) * 256);
    if (!bytes.empty()) std::memcpy(run, bytes.data(), bytes.size());
    u8* en = entry_at(drive, slot);
    std::memset(en, 0, 64);
    store_name(en, base, ext);
    set_blocks(en, first, first + needed - 1);
    today(en + 40);
    today(en + 48);
    drives[drive].changed = 1;
    con_printf("%s.\n\n", "OK");
    cd2650_dos_list_directory(0, drive);
    return true;
}

// ---- IMAG files -------------------------------------------------------------------------------

namespace {
constexpr ChunkFormat IMAG = {"IMAG", 4, 0, 0};
ChunkFileLoad imag_load{IMAG};
} // namespace

int cd2650_parse_imag(u32 size) {
    return imag_load.parse(size);
}

void cd2650_commit_imag() {
    imag_load.commit();
}

int cd2650_save_imag(const char* path, u32 first, u32 last, u32 start) {
    return chunk_file_save(IMAG, path, first, last, start) ? 1 : 0;
}

const DiskSystem cd2650_disk_system = {
    .image_from_file = cd2650_image_from_file,
    .list = cd2650_dos_list_directory,
    .format = cd2650_dos_open,
    .fresh = cd2650_dos_fresh,
    .extract = cd2650_dos_extract_file,
    .put = cd2650_dos_put_file,
    .remove = cd2650_dos_delete_file,
    .rename = cd2650_dos_check_filename,
    .entries = ENTRIES,
    .extensions = true,
};
