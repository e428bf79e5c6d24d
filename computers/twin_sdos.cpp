#include "computers/twin_sdos.h"
#include "computers/dos_files.h"
#include "computers/twin.h"
#include "computers/dos_files.h"
#include "computers/twin_mod.h"

#include "core/emu.h"
#include "core/guest_roms.h"
#include "core/machine_ops.h"
#include "core/machine_titles.h"
#include "core/message.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "peripherals/floppy.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

const GuestRom twin_roms[7] = {
    {"twin_boot.bin", 256, "TWIN, the master's boot ROM at $0000", 0},
    {"twin_exos.bin", 217344, "TWIN, system disk \"EXOS\"", 0},
    {"twin_sdos20.bin", 75136, "TWIN, system disk \"SDOS 2.0\"", 0},
    {"twin_sdos40.bin", 118784, "TWIN, system disk \"SDOS 4.0\"", 0},
    {"twin_sdos42.bin", 143616, "TWIN, system disk \"SDOS 4.2\"", 0},
    {"twin_tos10.bin", 85632, "TWIN, system disk \"TOS 1.0\"", 0},
    {"twin_udos16.bin", 288768, "TWIN, system disk \"UDOS 1.6\"", 0},
};

namespace {

constexpr u32 LIST_COUNT = 2, LIST_IDENTIFIER = 3, LIST_BAD = 52, LIST_ALLOCATED = 90,
              LIST_NAMES = 128, BITMAP_BYTES = 38;
constexpr u32 ENTRY_SECTORS = 38, ENTRY_LAST = 40, ENTRY_BYTES = 41;

u32 free_bytes[2];

// The chosen version's built-in disk; empty when none is chosen or it is missing.
// A missing one is looked up again each time: it may have been put in since.
const std::vector<u8>& system_disk() {
    static std::vector<u8> disk;
    static i32 version = -1;
    if (version != twin_dosversion || disk.empty()) {
        disk.clear();
        version = twin_dosversion;
        if (version >= 0 && version <= 5) {
            const GuestRom& rom = twin_roms[1 + version];
            disk.resize(rom.size);
            if (!guest_rom_read(rom, disk.data())) disk.clear();
        }
    }
    return disk;
}

bool bit(const u8* bitmap, u32 cluster) {
    return (bitmap[cluster / 8] >> (7 - cluster % 8)) & 1;
}

void set_bit(u8* bitmap, u32 cluster, bool on) {
    const u8 mask = static_cast<u8>(0x80 >> (cluster % 8));
    if (on)
        bitmap[cluster / 8] |= mask;
    else
        bitmap[cluster / 8] &= static_cast<u8>(~mask);
}

u8* entry_of(u8* image, int entry) {
    return image + twin_sdos_entry_offset(entry);
}

u32 file_size(const u8* e) {
    const i32 size = ((e[ENTRY_SECTORS] << 8) | e[ENTRY_SECTORS + 1]) * 128 - 128 + e[ENTRY_LAST];
    return size < 0 ? 0 : static_cast<u32>(size);
}

u32 cluster_count(const u8* e) {
    u32 n = 0;
    for (u32 c = 0; c < SDOS_CLUSTERS; c++)
        n += bit(e, c);
    return n;
}

// The name of entry `entry` as the listing shows it, "" for a free entry.
std::string entry_name(const u8* image, int entry) {
    const u8* n = image + LIST_NAMES + 8 * entry;
    if (n[0] == 0) return "";
    std::string name;
    for (int i = 0; i < 8; i++)
        name.push_back(i == 0 && n[0] == 0x0F ? '@' : static_cast<char>(n[i]));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

// An entry of the disk `image`, other than `except`, named `name` (letter
// case and the blanks that pad a name ignored); -1 when none is.
int entry_named(const u8* image, std::string name, int except = -1) {
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    for (int e = 0; e < SDOS_ENTRIES; e++) {
        const std::string at = entry_name(image, e);
        if (e != except && !at.empty() && strcasecmp(at.c_str(), name.c_str()) == 0) return e;
    }
    return -1;
}

void append_ranges(std::string* out, const bool* member) {
    bool any = false;
    for (u32 c = 0; c < SDOS_CLUSTERS;) {
        if (!member[c]) {
            c++;
            continue;
        }
        u32 end = c;
        while (end + 1 < SDOS_CLUSTERS && member[end + 1])
            end++;
        char piece[24];
        if (end == c)
            std::snprintf(piece, sizeof piece, "%s%u", any ? ", " : "", c);
        else
            std::snprintf(piece, sizeof piece, "%s%u-%u", any ? ", " : "", c, end);
        out->append(piece);
        any = true;
        c = end + 1;
    }
    out->append(any ? "\n" : "None\n");
}

void print_text(const std::string& text) {
    con_printf("%s", text.c_str());
}

// The name a disk file gets on the host: the DOS's ";" before the kind
// becomes ".", and the name is made safe as every disk system's is.
std::string host_name(std::string name) {
    for (char& ch : name)
        if (ch == ';') ch = '.';
    return dos_host_name(name.c_str(), nullptr);
}

bool drive_ok(int drive) {
    return drive >= 0 && drive < 2 && drives[drive].present;
}

} // namespace

u32 twin_sdos_entry_offset(int entry) {
    if (entry >= 75) return 3973 + 41 * static_cast<u32>(entry - 75);
    return 768 + 128 * static_cast<u32>(entry / 3) + 41 * static_cast<u32>(entry % 3);
}

bool twin_system_area(u8* out) {
    const std::vector<u8>& disk = system_disk();
    if (disk.size() < SDOS_SYSTEM_AREA + SDOS_SYSTEM_BYTES) return false;
    std::memcpy(out, disk.data() + SDOS_SYSTEM_AREA, SDOS_SYSTEM_BYTES);
    return true;
}

void twin_choose_dos(int version) {
    if (version < 0 || version > 6) return;
    twin_dosversion = version;
    if (machine != TWIN) return;
    system_disk();
    guest_roms_report();
    twin_sdos_list_directory(1, 0);
}

bool twin_image_from_file(const std::vector<u8>& file, u8* image) {
    if (file.size() == SDOS_IMAGE_BYTES) {
        std::memcpy(image, file.data(), SDOS_IMAGE_BYTES);
        return true;
    }
    if (file.size() != SDOS_TWIN_BYTES) {
        ui_warning("File is wrong size!");
        return false;
    }
    for (u32 t = 0; t < 77; t++)
        for (u32 s = 0; s < 32; s++) {
            const u32 at = t * 4160 + s * 130;
            if (file[at] != t)
                con_printf("Warning: bad track number in TWIN file at byte $%X (calculated %d vs. "
                           "stored %d)!\n",
                           at, t, file[at]);
            if (file[at + 1] != s)
                con_printf("Warning: bad sector number in TWIN file at byte $%X (calculated %d vs. "
                           "stored %d)!\n",
                           at + 1, s, file[at + 1]);
            std::memcpy(image + t * 4096 + s * 128, file.data() + at + 2, 128);
        }
    return true;
}

namespace {

// A new disk of the chosen version as the set-up and the format make it
// (SDOS_IMAGE_BYTES in `image`).
void new_disk(u8* image) {
    std::memset(image, 0, SDOS_IMAGE_BYTES);
    if (twin_has_dos()) {
        std::string title = machine_title(TWIN);
        for (char& ch : title)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        std::memcpy(image + LIST_IDENTIFIER, title.data(), title.size());
        image[LIST_IDENTIFIER + title.size()] = 13;
        const std::vector<u8>& disk = system_disk();
        if (!disk.empty()) {
            static const char* const system_names[6] = {"EXOS", "SDOS", "SDOS",
                                                        "SDOS", "TOS",  "UDOS"};
            image[LIST_COUNT] = 1;
            image[LIST_ALLOCATED] = image[LIST_ALLOCATED + 1] = 0xFF;
            std::memset(image + LIST_NAMES, ' ', 8);
            const char* name = system_names[twin_dosversion];
            std::memcpy(image + LIST_NAMES, name, std::strlen(name));
            u8* e = entry_of(image, 0);
            e[0] = e[1] = 0xFF;
            e[ENTRY_SECTORS] = 0;
            e[ENTRY_SECTORS + 1] = 128;
            e[ENTRY_LAST] = 128;
            std::memcpy(image, disk.data(), disk.size());
        }
    }
}

} // namespace

void twin_sdos_format(int drive) {
    if (drive < 0 || drive >= 2) return;
    static u8 image[SDOS_IMAGE_BYTES];
    new_disk(image);
    floppy_take_image(drive, image, "");
}

bool twin_sdos_fresh(const u8* image) {
    static u8 made[SDOS_IMAGE_BYTES];
    new_disk(made);
    return std::memcmp(made, image, SDOS_IMAGE_BYTES) == 0;
}

void twin_sdos_list_directory(int quiet, int drive) {
    if (!drive_ok(drive)) return;
    FloppyDrive& d = drives[drive];
    const u8* img = d.image;
    bool in_file[SDOS_CLUSTERS] = {}, allocated[SDOS_CLUSTERS] = {}, bad[SDOS_CLUSTERS] = {};
    u8 users[SDOS_CLUSTERS] = {};
    int names = 0;
    for (int e = 0; e < SDOS_ENTRIES; e++) {
        const std::string name = entry_name(img, e);
        std::snprintf(d.name_cache[e], sizeof d.name_cache[e], "%s", name.c_str());
        d.ext_cache[e][0] = 0;
        const u8* entry = img + twin_sdos_entry_offset(e);
        d.file_size[e] = name.empty() ? 0 : file_size(entry);
        d.first_cluster[e] = 0;
        if (name.empty()) continue;
        names++;
        bool first = true;
        for (u32 c = 0; c < SDOS_CLUSTERS; c++)
            if (bit(entry, c)) {
                if (first) d.first_cluster[e] = static_cast<u16>(c);
                first = false;
                in_file[c] = true;
                if (users[c] < 255) users[c]++;
            }
    }
    for (int e = SDOS_ENTRIES; e < FLOPPY_ENTRIES; e++)
        d.name_cache[e][0] = d.ext_cache[e][0] = 0;
    u32 used = 0, bad_count = 0;
    for (u32 c = 0; c < SDOS_CLUSTERS; c++) {
        allocated[c] = bit(img + LIST_ALLOCATED, c);
        bad[c] = bit(img + LIST_BAD, c);
        d.block_map[c] = BLOCK_FREE;
        if (bad[c]) {
            d.block_map[c] = BLOCK_LOST;
            bad_count++;
        } else if (in_file[c] || allocated[c]) {
            d.block_map[c] = BLOCK_FILE;
            used++;
        }
    }
    free_bytes[drive] = (SDOS_CLUSTERS - used - bad_count) * SDOS_CLUSTER_BYTES;
    if (drive == 0) twin_sdos_commands(1);
    if (!quiet) {
        std::string identifier;
        for (u32 i = LIST_IDENTIFIER; i < LIST_BAD && img[i] != 13; i++)
            identifier.push_back(static_cast<char>(img[i]));
        con_printf("Millisecond ID:  %d\nNumber of files: %d", (img[0] << 8) | img[1], img[LIST_COUNT]);
        if (img[LIST_COUNT] != names) con_printf(" (!)");
        con_printf("\nDisk identifier: \"%s\"\n\n", dos_shown_name(identifier).c_str());
        std::string text = "Filename Cmd(s)    Size Clusters\n-------- ------- ------ --------\n";
        char line[96];
        std::snprintf(line, sizeof line, "(Bad)            %6u ", bad_count * SDOS_CLUSTER_BYTES);
        text += line;
        append_ranges(&text, bad);
        std::snprintf(line, sizeof line, "(Used)           %6u ", used * SDOS_CLUSTER_BYTES);
        text += line;
        append_ranges(&text, allocated);
        print_text(text);
        for (int e = 0; e < SDOS_ENTRIES; e++) {
            if (!d.name_cache[e][0]) continue;
            const u8* entry = img + twin_sdos_entry_offset(e);
            std::string commands;
            twin_sdos_overlay_commands(drive, e, 1, &commands);
            text.clear();
            const std::string shown = dos_shown_name(d.name_cache[e]);
            if (!commands.empty())
                std::snprintf(line, sizeof line, "%8s %s %6u", shown.c_str(), commands.c_str(),
                              d.file_size[e]);
            else
                std::snprintf(line, sizeof line, "%8s         %6u", shown.c_str(), d.file_size[e]);
            text += line;
            const u32 n = cluster_count(entry), size = d.file_size[e];
            const bool odd = size + 1023 < n * 1024 || size > n * 1024 || entry[ENTRY_LAST] > 128;
            text += odd ? "!" : " ";
            bool member[SDOS_CLUSTERS];
            for (u32 c = 0; c < SDOS_CLUSTERS; c++)
                member[c] = bit(entry, c);
            append_ranges(&text, member);
            print_text(text);
            // A program file tells its header.
            const u8* first = img + 4096 + d.first_cluster[e] * SDOS_CLUSTER_BYTES;
            if (verbose_log && n > 0 && std::memcmp(first, "MOD", 3) == 0)
                twin_mod_process(first, SDOS_CLUSTER_BYTES, true, nullptr);
        }
        con_printf("\n%6u bytes used by files.\n  4096 bytes reserved for file list.\n%6u bad "
                   "bytes.\n%6u bytes free.\n%6u bytes total.\n\n",
                   used * SDOS_CLUSTER_BYTES, bad_count * SDOS_CLUSTER_BYTES, free_bytes[drive],
                   SDOS_IMAGE_BYTES);
        bool complained = false;
        for (u32 c = 0; c < SDOS_CLUSTERS; c++) {
            const int n = users[c];
            if (allocated[c] && n > 1) {
                con_printf("Cluster %u is used by %d files!\n", c, n);
                complained = true;
            } else if (allocated[c] && n == 0) {
                con_printf("Cluster %u is marked as allocated but is not used by any file!\n", c);
                complained = true;
            } else if (!allocated[c] && n > 0) {
                con_printf("Cluster %u is not marked as allocated but is used by %d file(s)!\n", c, n);
                complained = true;
            }
            if (n > 0 && bad[c]) {
                con_printf("Bad cluster %u is in use!\n", c);
                complained = true;
            }
        }
        if (complained) con_printf("\n");
    }
    floppy_refresh(3, drive);
}

bool twin_sdos_extract_file(int entry, int drive, DiskFile* out) {
    if (!drive_ok(drive) || entry < 0 || entry >= SDOS_ENTRIES) return false;
    const FloppyDrive& d = drives[drive];
    const std::string name = entry_name(d.image, entry);
    if (name.empty()) return false;
    const u8* e = d.image + twin_sdos_entry_offset(entry);
    const u32 n = cluster_count(e), size = file_size(e);
    const bool consistent = n * 1024 <= size + 1023 && size <= n * 1024;
    std::vector<u8>& data = out->bytes;
    data.clear();
    u32 done = 0;
    for (u32 c = 0; c < SDOS_CLUSTERS; c++) {
        if (!bit(e, c)) continue;
        const u32 at = 4096 + c * SDOS_CLUSTER_BYTES;
        u32 length = SDOS_CLUSTER_BYTES;
        if (++done == n && consistent) length = size % 1024 ? size % 1024 : 1024;
        if (verbose_log) con_printf("Extracting $%X..$%X...\n", at, at + length - 1);
        data.insert(data.end(), d.image + at, d.image + at + length);
    }
    out->name = host_name(name);
    return true;
}

bool twin_sdos_put_file(const char* path, int drive, std::string* why) {
    if (!drive_ok(drive) || !path) return dos_refuse(why, "Failed!");
    const std::string name = dos_file_part(path);
    if (name.size() > 8) return dos_refuse(why, "Filename is too long!");
    std::string data;
    const bool readable = file_read_whole(path, &data, SDOS_IMAGE_BYTES + 1);
    twin_sdos_list_directory(1, drive);
    // Every file takes one cluster at least.
    const u32 clusters = data.empty() ? 1 : static_cast<u32>((data.size() + 1023) / 1024);
    // A file too large to be read at all is larger than any disk.
    std::error_code ec;
    const auto host_size = std::filesystem::file_size(path, ec);
    if (readable ? clusters * SDOS_CLUSTER_BYTES > free_bytes[drive]
                 : !ec && host_size > SDOS_IMAGE_BYTES)
        return dos_refuse(why, "Disk is too full!");
    FloppyDrive& d = drives[drive];
    if (entry_named(d.image, name) >= 0) return dos_refuse(why, "File already exists on disk!");
    int slot = -1;
    for (int e = 0; e < SDOS_ENTRIES && slot < 0; e++)
        if (!d.name_cache[e][0]) slot = e;
    if (slot < 0) return dos_refuse(why, "No free entries in directory table!");
    if (!readable) return dos_refuse(why, "Can't open file \"%s\" for input!", path);
    u8* e = entry_of(d.image, slot);
    std::memset(e, 0, ENTRY_BYTES);
    u32 taken = 0;
    for (u32 c = 0; c < SDOS_CLUSTERS && taken < clusters; c++) {
        if (d.block_map[c] != BLOCK_FREE) continue;
        set_bit(d.image + LIST_ALLOCATED, c, true);
        set_bit(e, c, true);
        u8* at = d.image + 4096 + c * SDOS_CLUSTER_BYTES;
        std::memset(at, 0, SDOS_CLUSTER_BYTES);
        const u32 from = taken * SDOS_CLUSTER_BYTES;
        if (from < data.size()) {
            const u32 length = static_cast<u32>(data.size() - from) < SDOS_CLUSTER_BYTES
                                   ? static_cast<u32>(data.size() - from)
                                   : SDOS_CLUSTER_BYTES;
            std::memcpy(at, data.data() + from, length);
        }
        taken++;
    }
    d.image[LIST_COUNT]++;
    u8* slot_name = d.image + LIST_NAMES + 8 * slot;
    std::memset(slot_name, ' ', 8);
    for (size_t i = 0; i < name.size(); i++)
        slot_name[i] = static_cast<u8>(std::toupper(static_cast<unsigned char>(name[i])));
    const u32 size = static_cast<u32>(data.size());
    const u32 sectors = size == 0 ? 1 : (size + 127) / 128;
    e[ENTRY_SECTORS] = static_cast<u8>(sectors >> 8);
    e[ENTRY_SECTORS + 1] = static_cast<u8>(sectors);
    e[ENTRY_LAST] = static_cast<u8>(size == 0 ? 0 : size % 128 ? size % 128 : 128);
    d.changed = 1;
    con_printf("%s.\n\n", "OK");
    twin_sdos_list_directory(0, drive);
    return true;
}

void twin_sdos_delete_file(int entry, int drive) {
    if (!drive_ok(drive) || entry < 0 || entry >= SDOS_ENTRIES) return;
    FloppyDrive& d = drives[drive];
    u8* e = entry_of(d.image, entry);
    d.image[LIST_COUNT]--;
    std::memset(d.image + LIST_NAMES + 8 * entry, 0, 8);
    for (u32 c = 0; c < SDOS_CLUSTERS; c++)
        if (bit(e, c)) {
            set_bit(d.image + LIST_ALLOCATED, c, false);
            std::memset(d.image + 4096 + c * SDOS_CLUSTER_BYTES, 0, SDOS_CLUSTER_BYTES);
        }
    std::memset(e, 0, ENTRY_BYTES);
    d.changed = 1;
    twin_sdos_list_directory(1, drive);
}

int twin_sdos_check_filename(int entry, int drive, const char* name) {
    if (!drive_ok(drive) || entry < 0 || entry >= SDOS_ENTRIES || !name) return 0;
    const size_t length = std::strlen(name);
    if (length > 8) {
        con_printf("Filename is too long!\n\n");
        return 0;
    }
    // Two entries of one name could not be told apart (an extraction of one
    // would write over the other's file).
    if (entry_named(drives[drive].image, name, entry) >= 0)
        return dos_refuse(nullptr, "File already exists on disk!");
    u8* slot = drives[drive].image + LIST_NAMES + 8 * entry;
    std::memset(slot, ' ', 8);
    for (size_t i = 0; i < length; i++)
        slot[i] = static_cast<u8>(std::toupper(static_cast<unsigned char>(name[i])));
    drives[drive].changed = 1;
    twin_sdos_list_directory(1, drive);
    return 1;
}

const DiskSystem twin_disk_system{
    .image_from_file = twin_image_from_file,
    .list = twin_sdos_list_directory,
    .format = twin_sdos_format,
    .fresh = twin_sdos_fresh,
    .extract = twin_sdos_extract_file,
    .put = twin_sdos_put_file,
    .remove = twin_sdos_delete_file,
    .rename = twin_sdos_check_filename,
    .owner_note = [](int drive, int entry, std::string* text) {
        std::string commands;
        twin_sdos_overlay_commands(drive, entry, 0, &commands);
        text->append(commands);
    },
    .entries = SDOS_ENTRIES,
};
