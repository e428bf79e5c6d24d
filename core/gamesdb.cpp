#include "core/gamesdb.h"
#include "core/helpers.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/loader.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "core/ui_host.h"
#include "core/zipfile.h"
#include "platform/gui.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

i32 known_game_id = -1;

u32 crc32_table[256];
u32 crc64_high, crc64_low;

char game_info_fields[GAME_INFO_FIELDS][81];
char game_overlay_text[512];

GameEntry games_found[GAMES_MAX];
int games_count;
u32 games_sort_index[GAMES_MAX];
int game_list_sel = -1;
int games_counters[GC_COUNTERS];

// ---- CRCs ------------------------------------------------------------------------------

void crc32_build_table() {
    for (u32 i = 0; i < 256; i++) {
        u32 c = i;
        for (int k = 0; k < 8; k++)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        crc32_table[i] = c;
    }
}

u32 crc32_update(const u8* buffer, i32 length, u32 previous) {
    if (length <= 0) return previous;
    if (crc32_table[1] == 0) crc32_build_table();
    u32 c = ~previous;
    for (i32 i = 0; i < length; i++)
        c = crc32_table[(c ^ buffer[i]) & 0xFF] ^ (c >> 8);
    return ~c;
}

u32 crc32(const u8* buffer, i32 length) {
    return length <= 0 ? 0 : crc32_update(buffer, length, 0);
}

namespace {

// CRC-64/WE table entry i (the CRC of byte i in the top byte), in two halves.
struct Crc64Tables {
    u32 high[256];
    u32 low[256];
};

constexpr Crc64Tables make_crc64_tables() {
    Crc64Tables t{};
    constexpr u64 poly = 0x42F0E1EBA9EA3693ull;
    for (u32 i = 0; i < 256; i++) {
        u64 c = static_cast<u64>(i) << 56;
        for (int k = 0; k < 8; k++)
            c = (c & 0x8000000000000000ull) ? (c << 1) ^ poly : c << 1;
        t.high[i] = static_cast<u32>(c >> 32);
        t.low[i] = static_cast<u32>(c);
    }
    return t;
}

constexpr Crc64Tables crc64_tables = make_crc64_tables();

} // namespace

void crc64(const u8* buffer, i32 length) {
    u32 high = 0xFFFFFFFFu, low = 0xFFFFFFFFu;
    for (i32 i = 0; i < length; i++) {
        const u32 index = ((high >> 24) ^ buffer[i]) & 0xFF;
        high = ((high << 8) | (low >> 24)) ^ crc64_tables.high[index];
        low = (low << 8) ^ crc64_tables.low[index];
    }
    crc64_high = ~high;
    crc64_low = ~low;
}

// ---- Identification -------------------------------------------------------------------

int game_identify_data(const u8* data, u32 size) {
    if (size == 0 || size > GAME_IDENTIFY_MAX_SIZE || !data) return -1;
    const u32 c32 = crc32(data, static_cast<i32>(size));
    crc64(data, static_cast<i32>(size));
    for (int r = 0; r < KNOWN_GAMES; r++) {
        const KnownGame& g = known_games_db[r];
        if (g.size == size && g.crc32 == c32 && g.crc64_high == crc64_high &&
            g.crc64_low == crc64_low)
            return r;
    }
    return -1;
}

int game_identify(i32* row) {
    *row = game_identify_data(filebuf, filebuf_length);
    return *row >= 0;
}

// ---- Game information --------------------------------------------------------------------

const char* game_language_text(int language) {
    switch (language) {
    case 0:
        return cat_str(476, "Miscellaneous");
    case 1:
        return cat_str(477, "Machine code");
    case 2:
        return "ASCII text";
    case 3:
        return "MicroWorld BASIC";
    case 5:
        return "FORTH";
    case 6:
        return "12K BASIC";
    case 7:
        return "2650 Micro BASIC";
    case 8:
        return "Compiler 2001";
    case 9:
        return "8K BASIC 1.3";
    case 10:
        return "TCT BASIC";
    default:
        return "?";
    }
}

void game_size_text(u32 size, char* out, std::size_t out_size) {
    if (size % 256) {
        std::snprintf(out, out_size, cat_str(158, "%d bytes"), static_cast<int>(size));
        return;
    }
    char whole[16] = "";
    if (size >= 1024 || size == 0) std::snprintf(whole, sizeof whole, "%ld", long(size / 1024));
    static const char* const latin[4] = {"", "\xC2\xBC", "\xC2\xBD", "\xC2\xBE"};
    static const char* const plain[4] = {"", ".25", ".5", ".75"};
    const u32 quarter = (size % 1024) / 256;
    std::snprintf(out, out_size, "%s%s%s", whole, locale_latin1 ? latin[quarter] : plain[quarter],
                  cat_str(169, "K"));
}

static const KnownGame* loaded_row() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return nullptr;
    const KnownGame& g = known_games_db[known_game_id];
    return g.name ? &g : nullptr;
}

void game_info_text() {
    auto set = [](int field, const char* text) {
        std::snprintf(game_info_fields[field], sizeof game_info_fields[field], "%s", text);
    };
    const char* game = machine_row().game_text ? machine_row().game_text() : nullptr;
    std::snprintf(game_overlay_text, sizeof game_overlay_text, "%s", game ? game : "");
    const MemmapDesc& map = memmap_desc();
    set(3, map.name);
    bool size_known = false;
    u32 size = 0;
    const char* na = cat_str(176, "n/a");
    if (machine_traits().maps_are_games) {
        known_game_id = -1;
        set(0, map.name);
        set(1, map.maker_year);
        set(2, "-");
        set(5, na);
        set(6, machine_row().program_kind ? machine_row().program_kind : na);
        if (machine_desc().coinop) {
            size_known = true;
            size = static_cast<u32>(map.rom_size);
        }
    } else if (const KnownGame* g = loaded_row()) {
        set(0, g->name);
        set(1, g->credits ? g->credits : "");
        set(2, g->reference ? g->reference : "-");
        std::snprintf(game_info_fields[5], sizeof game_info_fields[5], "$%08lX/$%08lX%08lX",
                      static_cast<unsigned long>(g->crc32),
                      static_cast<unsigned long>(g->crc64_high),
                      static_cast<unsigned long>(g->crc64_low));
        set(6, game_language_text(g->language));
        size_known = true;
        size = g->size;
    } else {
        set(0, "-");
        for (int f : {1, 2, 4, 5, 6})
            set(f, "?");
    }
    if (machine_traits().no_processor) {
        set(4, na);
        set(7, na);
        return;
    }
    if (size_known) game_size_text(size, game_info_fields[4], sizeof game_info_fields[4]);
    std::snprintf(game_info_fields[7], sizeof game_info_fields[7], "$%X", game_start_address);
    ui_mark(UI_STATUS);
}

// ---- Game list ---------------------------------------------------------------------------

void games_list_entries() {
    std::memset(games_counters, 0, sizeof games_counters);
    auto make = [](int i, const char* label, u32 picture, int m, int map) {
        GameEntry& e = games_found[i];
        e.path[0] = 0;
        std::snprintf(e.label, sizeof e.label, "%s", label);
        e.game_row = -1;
        e.picture = picture;
        e.entry_machine = static_cast<std::int8_t>(m);
        e.entry_memmap = static_cast<std::int8_t>(map);
    };
    char label[97];
    std::snprintf(label, sizeof label, ": (%s)", cat_str(474, "root"));
    make(0, label, 18, -1, -2);
    std::snprintf(label, sizeof label, "/ (%s)", cat_str(475, "parent"));
    make(1, label, 19, -1, -2);
    games_count = 2;
    if (viewbuiltin) {
        struct Board {
            const char* name;
            int m, map;
            u32 picture;
        };
        static constexpr Board boards[8] = {
            {"Astro Wars", 8, 22, 8},       {"Galaxia", 8, 23, 9},    {"Laser Battle", 8, 24, 10},
            {"Lazarian", 8, 25, 10},        {"Malzak 1", 9, 26, 11},  {"Malzak 2", 9, 27, 11},
            {"AY-3-8500/8550", 11, 28, 13}, {"AY-3-8600", 11, 29, 13}};
        for (const Board& b : boards)
            make(games_count++, b.name, b.picture, b.m, b.map);
    }
    for (int i = 0; i < games_count; i++)
        games_sort_index[i] = static_cast<u32>(i);
}


int (*game_picture_number)(int game_row, int map) = nullptr;

static u32 entry_picture(int row, int map) {
    return game_picture_number ? static_cast<u32>(game_picture_number(row, map)) : 0;
}

static GameEntry& new_entry(const char* path) {
    GameEntry& e = games_found[games_count];
    std::snprintf(e.path, sizeof e.path, "%s", path);
    games_sort_index[games_count] = static_cast<u32>(games_count);
    games_count++;
    return e;
}

// The file part of a path with its first "_" doubled (a single one would
// mark a shortcut key in the list).
static void state_label(const char* path, char* out, std::size_t size) {
    const char* slash = std::strrchr(path, '/');
    const char* file = slash ? slash + 1 : path;
    std::size_t o = 0;
    bool doubled = false;
    for (const char* p = file; *p && o + 1 < size; p++) {
        out[o++] = *p;
        if (*p == '_' && !doubled && o + 1 < size) {
            out[o++] = '_';
            doubled = true;
        }
    }
    out[o] = 0;
}

static void count_unknown(const char* path, int verbose) {
    games_counters[GC_UNKNOWN_FILES]++;
    if (verbose) con_printf("%s is unknown.\n", path);
}

// Games and states are told by their contents; every other kind by its name.
static bool identified_by_content(int kind) {
    switch (kind) {
    case KIND_BIN:
    case KIND_AOF:
    case KIND_TVC:
    case KIND_COS:
    case KIND_COR:
        return true;
    default:
        return false;
    }
}

// Counts a file of a kind told by its name.
static void count_kind(const char* path, int kind, int verbose) {
    switch (kind) {
    case KIND_EOF:
    case KIND_HEX:
    case KIND_ASM:
    case KIND_CMD:
    case KIND_MOD:
    case KIND_SYM:
    case KIND_IMAG:
    case KIND_BPNF:
    case KIND_SMS:
        games_counters[GC_OTHER_PROGRAMS]++;
        break;
    case KIND_RAW:
    case KIND_IMG:
    case KIND_TWIN:
        games_counters[GC_DISKS]++;
        break;
    case KIND_WAV:
    case KIND_8SVX:
    case KIND_AIFF:
    case KIND_MDCR:
    case KIND_16SV:
    case KIND_PAP:
        games_counters[GC_TAPES]++;
        break;
    case KIND_INFO:
        games_counters[GC_ICONS]++;
        break;
    case KIND_NONE:
        count_unknown(path, verbose);
        break;
    default: // pictures, animations, music, sound logs and text
        games_counters[GC_MEDIA]++;
        break;
    }
}

// The bytes of a state's header the list reads: the memory map at 3, the
// game's row at 36 and 37.
constexpr std::size_t STATE_LIST_HEADER = 38;

// A state or recording: told by its header, whatever its length.
static bool header_only(int kind) {
    return kind == KIND_COS || kind == KIND_COR;
}

void games_scan_file(const char* path, u32 size, int verbose) {
    if (games_count > GAMES_MAX - 1) return;
    std::vector<u8> data;
    int kind;
    if (zip_is_archive(path)) {
        ZipMember member;
        if (!zip_extract_first(path, true, true, member)) return;
        data = std::move(member.data);
        kind = member.kind;
    } else {
        kind = file_type_from_name(path);
        if (kind == KIND_ZIP) return; // a ".zip" that is not an archive
        // A kind told by its name alone (a picture or animation the recorders
        // wrote, a disk image, a tape) is counted whatever its size.
        if (!identified_by_content(kind)) {
            count_kind(path, kind, verbose);
            return;
        }
        if (size == 0) {
            count_unknown(path, verbose);
            return;
        }
        if (header_only(kind)) {
            // A state or recording is told by its header, whatever its length:
            // only the header is read.
            data.resize(STATE_LIST_HEADER);
            const long got = file_read_head(path_to_host(path), data.data(), data.size());
            if (got < 0) return;
            data.resize(static_cast<std::size_t>(got));
        } else {
            // Game images are told by their checksums, which no larger file has.
            if (size > GAME_IDENTIFY_MAX_SIZE) {
                count_unknown(path, verbose);
                return;
            }
            const int read = file_read_regular(path_to_host(path), GAME_IDENTIFY_MAX_SIZE,
                                               [&data](std::size_t n) {
                                                   data.resize(n);
                                                   return data.data();
                                               });
            if (read == READ_TOO_LARGE) {
                count_unknown(path, verbose);
                return;
            }
            if (read != READ_OK) return;
        }
    }
    if (data.empty() || (!header_only(kind) && data.size() > GAME_IDENTIFY_MAX_SIZE)) {
        count_unknown(path, verbose);
        return;
    }
    switch (kind) {
    case KIND_BIN:
    case KIND_AOF:
    case KIND_TVC: {
        const int row = game_identify_data(data.data(), static_cast<u32>(data.size()));
        if (row < 0) {
            games_counters[GC_UNKNOWN_PROGRAMS]++;
            if (verbose) con_printf("%s is an unknown AOF/BIN/TVC.\n", path);
            break;
        }
        const KnownGame& g = known_games_db[row];
        GameEntry& e = new_entry(path);
        std::snprintf(e.label, sizeof e.label, "%s", g.name ? g.name : "");
        e.entry_machine = static_cast<std::int8_t>(g.machine);
        e.entry_memmap = static_cast<std::int8_t>(g.memmap);
        e.game_row = static_cast<std::int16_t>(row);
        e.picture = entry_picture(row, g.memmap);
        games_counters[GC_KNOWN]++;
        break;
    }
    case KIND_COS:
    case KIND_COR: {
        // A state naming no memory map cannot be offered.
        if (data.size() < 4 || data[3] >= MEMMAPS || memmap_is_empty(data[3])) {
            count_unknown(path, verbose);
            break;
        }
        const u8 map = data[3];
        const int m = memmap_table[map].machine;
        int row = -1;
        if (!machine_table[m].traits.no_processor && data.size() >= STATE_LIST_HEADER) {
            row = data[36] << 8 | data[37];
            if (row >= KNOWN_GAMES) row = -1;
        }
        GameEntry& e = new_entry(path);
        state_label(path, e.label, sizeof e.label);
        e.entry_machine = static_cast<std::int8_t>(m);
        e.entry_memmap = static_cast<std::int8_t>(map);
        e.game_row = static_cast<std::int16_t>(row);
        e.picture = entry_picture(row, map);
        games_counters[GC_STATES]++;
        break;
    }
    default:
        count_kind(path, kind, verbose);
        break;
    }
}

void games_dir_report(char* buffer, std::size_t size) {
    const char* format = cat_str(371, "In directory \"%s\":\n"
                                      "\n"
                                      "%d known AOF/BIN/TVC file(s).\n"
                                      "%d unknown AOF/BIN/TVC file(s).\n"
                                      "%d state(s)/recording(s).\n"
                                      "%d ASM/BPNF/CMD/EOF/HEX/IMAG/MOD/SMS/SYM file(s).\n"
                                      "%d IMG/RAW/TWIN file(s).\n"
                                      "%d 8SVX/16SV/AIFF/MDCR/WAV file(s).\n"
                                      "%d screenshot/animation/MIDI/PSG/SMUS/TXT/YM file(s).\n"
                                      "%d icon(s).\n"
                                      "%d unknown file(s).\n"
                                      "%d directory/ies.\n");
    const int* c = games_counters;
    std::snprintf(buffer, size, format, games_path, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7],
                  c[8], c[9]);
}

void games_sort_swap(int i, int j) {
    const u32 t = games_sort_index[i];
    games_sort_index[i] = games_sort_index[j];
    games_sort_index[j] = t;
}

static void bubble_pass(bool by_label) {
    const int count = games_count;
    for (int r = 0; r < count - 1; r++) {
        for (int j = 2; j < count - r - 1; j++) {
            const GameEntry& a = games_found[games_sort_index[j]];
            const GameEntry& b = games_found[games_sort_index[j + 1]];
            const bool greater =
                by_label ? strcasecmp(a.label, b.label) > 0 : a.entry_machine > b.entry_machine;
            if (greater) games_sort_swap(j, j + 1);
        }
    }
}

void games_list_sort() {
    if (games_sort_by) {
        bubble_pass(true);
        bubble_pass(false);
    } else {
        bubble_pass(false);
        bubble_pass(true);
    }
}

// ---- Opening an entry --------------------------------------------------------------------------

static bool is_separator(char c) {
    return c == '/' || c == ':';
}

void games_parent_path(char* path, std::size_t size) {
    std::size_t n = std::strlen(path);
    if (n == 0 || (n == 1 && path[0] == '/')) {
        std::snprintf(path, size, "/");
        return;
    }
    if (path[n - 1] != '/') {
        if (n + 2 > size) return;
        path[n++] = '/';
        path[n] = 0;
    }
    if (n >= 2 && is_separator(path[n - 2])) {
        path[n - 1] = 0; // "Work:/" and "//": only the final "/" goes
        return;
    }
    for (std::size_t i = n - 1; i-- > 0;) {
        if (is_separator(path[i])) {
            path[i + 1] = 0;
            return;
        }
    }
    path[0] = 0;
}

void games_add_part(char* path, std::size_t size, const char* part) {
    const std::size_t n = std::strlen(path);
    const bool needs = n && !is_separator(path[n - 1]);
    if (n + (needs ? 1 : 0) + std::strlen(part) + 1 > size) return; // does not fit: unchanged
    if (needs) std::strcat(path, "/");
    std::strcat(path, part);
}

void games_split_path(const char* path) {
    const char* file = path;
    for (const char* p = path; *p; p++)
        if (is_separator(*p)) file = p + 1;
    std::size_t drawer = static_cast<std::size_t>(file - path);
    // The drawer keeps a volume's ":" and a lone root "/", not a trailing "/".
    if (drawer > 1 && path[drawer - 1] == '/') drawer--;
    if (drawer >= sizeof games_path) return;
    std::snprintf(game_file_name, 513, "%s", file);
    std::memcpy(games_path, path, drawer);
    games_path[drawer] = 0;
}

void games_open_entry() {
    if (game_list_sel < 0 || game_list_sel >= games_count) return;
    const GameEntry& e = games_found[games_sort_index[game_list_sel]];
    if (e.entry_memmap == -2) {
        if (games_sort_index[game_list_sel] == 0)
            std::snprintf(games_path, sizeof games_path, "/"); // the host's root drawer
        else
            games_parent_path(games_path, sizeof games_path);
        games_audit_drawer(0);
    } else if (e.entry_memmap == -1) {
        games_add_part(games_path, sizeof games_path, e.path);
        games_audit_drawer(0);
    } else if (e.path[0]) {
        // The file names the title and heads the recent files once it is what
        // runs (file_name_running): a load that fails, or a tape or disk taken
        // beside, leaves the name of what runs.
        if (!file_load_request(load_request_chosen(e.path))) {
            ui_mark(UI_TITLE);
            ui_beep();
        }
    } else if (static_cast<u32>(e.entry_memmap) == memmap) {
        ui_reinitialize();
    } else {
        emu_set_memory_map(e.entry_machine, e.entry_memmap);
    }
    games_select_loaded();
}
