// High scores: the score descriptors, the screen scan, the 4786-byte file and
// the exit-time autosave.
#include "core/hiscore.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/helpers.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/message_date.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/serial_seams.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <strings.h>

HiScoreRecord hiscores[HISCORE_SLOTS];

// Where each game shows its scores: addresses (0 ends), digits, stride.
struct ScoreDescriptor {
    u16 address[4];
    u8 digits;
    std::int8_t stride;
};

static const ScoreDescriptor descriptors[58] = {
    {{0x1800}, 5, 1},                         // 0
    {{0x1802, 0x180C}, 2, 1},                 // 1
    {{0x1825}, 2, 1},                         // 2
    {{0x1816, 0x181D}, 3, 1},                 // 3
    {{0x1805, 0x180A}, 2, 1},                 // 4
    {{0x1800, 0x180A}, 6, 1},                 // 5
    {{0x1810, 0x181E}, 2, 1},                 // 6: two characters, see score_of_two
    {{0x1831, 0x1839}, 4, 1},                 // 7
    {{0x1814, 0x1819}, 3, 1},                 // 8
    {{0x1811, 0x1816, 0x1800, 0x180B}, 4, 1}, // 9
    {{0x1800, 0x180E, 0x1860, 0x186E}, 2, 1}, // 10
    {{0x1800, 0x1809}, 6, 1},                 // 11
    {{0x1805, 0x180B}, 5, 1},                 // 12
    {{0x1826, 0x1856, 0x1896}, 5, 1},         // 13
    {{0x1810, 0x1819}, 6, 1},                 // 14
    {{0x1801}, 5, 1},                         // 15
    {{0x1801, 0x180B}, 5, 1},                 // 16
    {{0x1800, 0x180B}, 5, 1},                 // 17
    {{0x18CB}, 5, 1},                         // 18
    {{0x1810, 0x181A}, 6, 1},                 // 19
    {{0x1800, 0x180A}, 6, 1},                 // 20
    {{0x1810, 0x181B}, 5, 1},                 // 21
    {{0x1802}, 6, 1},                         // 22
    {{0x1801, 0x180B}, 4, 1},                 // 23
    {{0x1810, 0x181B}, 5, 1},                 // 24
    {{0x1800, 0x180B}, 5, 1},                 // 25
    {{0x1800, 0x1807}, 6, 1},                 // 26
    {{0x1800, 0x180B}, 5, 1},                 // 27
    {{0x1801, 0x180A}, 6, 1},                 // 28
    {{0x1AC1, 0x1ACC}, 2, 1},                 // 29
    {{0x1800, 0x1809}, 6, 1},                 // 30
    {{0x1819, 0x188B}, 5, 1},                 // 31
    {{0x1800, 0x180B}, 5, 1},                 // 32
    {{0x1800, 0x180B}, 5, 1},                 // 33
    {{0x1802, 0x1809}, 5, 1},                 // 34
    {{0x1800, 0x180B}, 5, 1},                 // 35
    {{0x1801, 0x1807}, 5, 1},                 // 36
    {{0x1812, 0x181C}, 2, 1},                 // 37
    {{0x1800, 0x180A}, 6, 1},                 // 38
    {{0x1806}, 4, 1},                         // 39
    {{0x180A, 0x1879}, 4, 1},                 // 40
    {{0x1800, 0x180C}, 4, 1},                 // 41
    {{0x1800, 0x180C}, 4, 1},                 // 42
    {{0x1AB0, 0x1ABC}, 4, 1},                 // 43
    {{0x1810, 0x181B}, 5, 1},                 // 44
    {{0x1807}, 6, 1},                         // 45
    {{0x1807}, 6, 1},                         // 46
    {{0x1800, 0x180A}, 5, 1},                 // 47
    {{0x1A07, 0x1A08}, 4, 16},                // 48
    {{0x1A2B}, 5, 1},                         // 49
    {{0x1810, 0x181B}, 5, 1},                 // 50
    {{0x1800, 0x180A}, 5, 1},                 // 51
    {{0x1B81, 0x1A61, 0x1921}, 5, -32},       // 52 Astro Wars
    {{0x1B81, 0x1A41, 0x1901}, 5, -32},       // 53 Galaxia
    {{0x1841, 0x1852, 0x1858}, 5, 1},         // 54 Laser Battle
    {{0x1841, 0x1852, 0x1858}, 5, 1},         // 55 Lazarian
    {{0x1843, 0x1850, 0x185D}, 6, 1},         // 56 Malzak 1
    {{0x1843, 0x1850, 0x185D}, 6, 1},         // 57 Malzak 2
};

// The Arcadia slot whose score is one or two characters (the second database row's);
// no other machine's game scans it.
constexpr int TWO_CHARACTER_SLOT = 6;

// The file as last read or written; the unused last byte of each record keeps
// what was read.
static u8 file_image[HISCORE_FILE_SIZE];

static void set_text(char* field, size_t size, const char* text) {
    std::snprintf(field, size, "%s", text);
}

void hiscore_reset() {
    for (int s = 0; s < HISCORE_SLOTS; s++) {
        HiScoreRecord& r = hiscores[s];
        r = HiScoreRecord{};
        if (s < 58) {
            std::memcpy(r.address, descriptors[s].address, sizeof r.address);
            r.digits = descriptors[s].digits;
            r.stride = descriptors[s].stride;
        }
        set_text(r.when, sizeof r.when, "-");
        set_text(r.who, sizeof r.who, "-");
    }
    std::memset(file_image, 0, sizeof file_image);
}

namespace {
struct Init {
    Init() { hiscore_reset(); }
} init_table;
} // namespace

static bool slot_ok(int slot) {
    return slot >= 0 && slot < HISCORE_SLOTS;
}

// ---- Scanning -----------------------------------------------------------------------------

// The digit a screen character shows on the current machine, or -1.
static int digit_of(u8 c) {
    const auto digit = machine_row().score_digit;
    const int d = digit ? digit(c) : -1;
    return d >= 0 && d <= 9 ? d : -1;
}

static u8 screen_byte(i32 address) {
    return guest_memory[address & (GUEST_MEMORY_SIZE - 1)];
}

static u32 score_at(const HiScoreRecord& r, u16 address) {
    u32 place = 1;
    for (int i = 1; i < r.digits; i++)
        place *= 10;
    u32 value = 0;
    i32 a = address;
    for (int i = 0; i < r.digits; i++, a += r.stride) {
        int d = digit_of(screen_byte(a));
        if (d > 0) value += static_cast<u32>(d) * place;
        place /= 10;
    }
    return value;
}

// One digit, or two when the character after it is a digit too.
static u32 score_of_two(u16 address) {
    int first = digit_of(screen_byte(address));
    int second = digit_of(screen_byte(address + 1));
    if (first < 0) first = 0;
    return second >= 0 ? static_cast<u32>(first * 10 + second) : static_cast<u32>(first);
}

static void raise_record(HiScoreRecord& r, u32 value, bool set_who) {
    r.score = value;
    format_date_time_short(r.when);
    r.when[15] = 0;
    if (set_who) set_text(r.who, sizeof r.who, user_name);
}

void hiscore_scan(int slot) {
    if (!slot_ok(slot)) return;
    HiScoreRecord& r = hiscores[slot];
    u32 value = 0;
    if (const auto own = machine_row().own_score) {
        value = own();
    } else {
        for (int i = 0; i < 4 && r.address[i] != 0; i++) {
            u32 v =
                slot == TWO_CHARACTER_SLOT ? score_of_two(r.address[i]) : score_at(r, r.address[i]);
            if (v > value) value = v;
        }
    }
    if (static_cast<i32>(value) > static_cast<i32>(r.score)) raise_record(r, value, true);
}

void hiscore_raise(int slot, u32 value) {
    if (!slot_ok(slot) || emu_speed < 3 || rec_state == REC_PLAYBACK) return;
    HiScoreRecord& r = hiscores[slot];
    if (static_cast<i32>(value) > static_cast<i32>(r.score)) raise_record(r, value, false);
}

// The current machine's range of slots; false when it has none.
static bool machine_range(int* first, int* count) {
    *first = machine_desc().first_hiscore_row;
    *count = machine_desc().hiscore_rows;
    if (*first < 0 || *count <= 0) return false;
    if (*first + *count > HISCORE_SLOTS) *count = HISCORE_SLOTS - *first;
    return *count > 0;
}

int hiscore_count() {
    int first, count;
    if (!machine_range(&first, &count)) return 0;
    for (int s = first; s < first + count; s++)
        if (hiscores[s].score != 0) return 1;
    return 0;
}

void hiscore_clear() {
    int first, count;
    if (!machine_range(&first, &count)) return;
    for (int s = first; s < first + count; s++) {
        HiScoreRecord& r = hiscores[s];
        r.score = r.play_seconds = r.play_micros = 0;
        set_text(r.when, sizeof r.when, "-");
        set_text(r.who, sizeof r.who, "-");
    }
}

// The file keeps the play time's seconds in 24 bits: it stops at the largest.
static constexpr u32 PLAY_SECONDS_MAX = 0xFFFFFF;

static u32 play_seconds_plus(u32 seconds, u64 more) {
    const u64 sum = u64(seconds) + more;
    return sum > PLAY_SECONDS_MAX ? PLAY_SECONDS_MAX : static_cast<u32>(sum);
}

void hiscore_add_play_time(int slot, u32 micros) {
    if (!slot_ok(slot)) return;
    HiScoreRecord& r = hiscores[slot];
    const u64 total = u64(r.play_micros) + micros;
    r.play_micros = static_cast<u32>(total % 1000000);
    r.play_seconds = play_seconds_plus(r.play_seconds, total / 1000000);
}

// ---- The file -------------------------------------------------------------------------------

static u32 get24(const u8* p) {
    return u32(p[0]) << 16 | u32(p[1]) << 8 | p[2];
}

static void put24(u8* p, u32 v) {
    p[0] = static_cast<u8>(v >> 16);
    p[1] = static_cast<u8>(v >> 8);
    p[2] = static_cast<u8>(v);
}

static void unpack(int record, int slot) {
    const u8* p = file_image + 1 + HISCORE_RECORD_SIZE * record;
    HiScoreRecord& r = hiscores[slot];
    r.score = get24(p);
    std::memcpy(r.when, p + 3, 15);
    r.when[15] = 0;
    r.play_seconds = get24(p + 18);
    r.play_micros = get24(p + 21);
    // A part of a second beyond 999999 is carried into the seconds.
    r.play_seconds = play_seconds_plus(r.play_seconds, r.play_micros / 1000000);
    r.play_micros %= 1000000;
    std::memcpy(r.who, p + 24, 30);
    r.who[30] = 0;
}

static void pack(int slot) {
    u8* p = file_image + 1 + HISCORE_RECORD_SIZE * slot;
    const HiScoreRecord& r = hiscores[slot];
    put24(p, r.score);
    std::memcpy(p + 3, r.when, 15);
    put24(p + 18, play_seconds_plus(r.play_seconds, 0));
    put24(p + 21, r.play_micros);
    std::memcpy(p + 24, r.who, 30);
}

u8 hiscore_load_ran = 0;

// Start-up could not take the file at `host`: says why, and that it stays as
// it is (the exit does not write the table over it).
static void keep_unread_file(const std::string& host, const std::string& why) {
    hiscore_load_ran = 0;
    con_printf("Can't read high-score file \"%s\" (%s)!\n", host.c_str(), why.c_str());
    file_kept_note("high scores", host);
}

void hiscore_load() {
    const std::string host = path_to_host(HISCORE_FILE_NAME);
    std::string data, why;
    // Anything but a regular file (a folder, a FIFO, a device) is refused
    // without waiting on it.
    const int read = file_read_telling(host, &data, HISCORE_FILE_SIZE, &why);
    if ((read == READ_UNAVAILABLE && errno == ENOENT) || (read == READ_OK && data.empty())) {
        hiscore_load_ran = 1; // none yet (or an empty one): the exit writes the table
        return;
    }
    if (read != READ_OK) {
        keep_unread_file(host, why);
        return;
    }
    if (data.size() != static_cast<size_t>(HISCORE_FILE_SIZE)) {
        keep_unread_file(host, std::to_string(data.size()) + " bytes, not " +
                                   std::to_string(HISCORE_FILE_SIZE));
        return;
    }
    u8 version = static_cast<u8>(data[0]);
    if (version != 16 && version != 15) {
        char text[160];
        std::snprintf(text, sizeof text,
                      cat_str(893, "Unsupported %s version (obsolete/future version)!"), "HGH");
        ui_warning(text);
        keep_unread_file(host, "version " + std::to_string(version));
        return;
    }
    hiscore_load_ran = 1;
    std::memcpy(file_image, data.data(), HISCORE_FILE_SIZE);
    if (version == 16) {
        for (int n = 0; n < HISCORE_SLOTS; n++)
            unpack(n, n);
    } else {
        // The older file has no slot 26: its records 26-85 are slots 27-86.
        for (int n = 0; n < 26; n++)
            unpack(n, n);
        for (int n = 26; n < HISCORE_SLOTS - 1; n++)
            unpack(n, n + 1);
    }
}

bool hiscore_write_file() {
    file_image[0] = HISCORE_VERSION;
    for (int s = 0; s < HISCORE_SLOTS; s++)
        pack(s);
    std::string host = path_to_host(HISCORE_FILE_NAME);
    size_t slash = host.rfind('/');
    if (slash != std::string::npos && slash > 0 && !path_make_dirs(host.substr(0, slash))) {
        ui_report_failure("High scores not saved: can't create the folder " +
                          host.substr(0, slash) + ": " + std::strerror(errno) + "!\n");
        return false;
    }
    // A write-protected file is skipped without a word, as one that cannot be
    // opened for writing.
    if (file_write_protected(host)) return false;
    std::string error;
    if (file_write_replace(host, file_image, HISCORE_FILE_SIZE, &error)) return true;
    ui_report_failure("High scores not saved: " + error + "!\n");
    return false;
}

void hiscore_save() {
    if (hiscore_load_ran) hiscore_write_file();
}

// ---- Exit-time autosave ----------------------------------------------------------------------

// Each settings file has an autosave of its own: the name under Configs
// goes into the autosave's name one to one. A "/" (which a file name cannot
// hold) is written "%2F" and the "%" itself "%25"; every other character
// stands as it is, so a plain name keeps the name it always had.
std::string autosave_name(const std::string& settings) {
    constexpr const char* configs = "PROGDIR:Configs/";
    std::string name = settings;
    if (name.rfind(configs, 0) == 0) name.erase(0, std::strlen(configs));
    name = std::filesystem::path(name).lexically_normal().string();
    if (name == INI_FILE_NAME) return "AUTOSAVE.COS";
    std::string escaped;
    for (char c : name)
        escaped += c == '/' ? "%2F" : c == '%' ? "%25" : std::string(1, c);
    return "AUTOSAVE-" + escaped + ".COS";
}

bool autosave_named(const char* file) {
    const char* part = path_file_part(file ? file : "");
    const std::size_t n = std::strlen(part);
    const bool cos = n >= 4 && strcasecmp(part + n - 4, ".COS") == 0;
    return cos && (strcasecmp(part, "AUTOSAVE.COS") == 0 || strncasecmp(part, "AUTOSAVE-", 9) == 0);
}

std::string autosave_path() {
    const std::string name = autosave_name(settings_path);
    std::string path = games_path;
    if (!path.empty() && path.back() != '/' && path.back() != ':') path += '/';
    return path + name;
}

std::string autosave_pages_path() {
    std::string path = autosave_path();
    return path.substr(0, path.size() - 4) + ".PAGES";
}

std::string autosave_on_exit(const std::string& kept_aside) {
    if (upgrade_mode) return "";
    std::string unsaved;
    if (autosave) {
        const std::string path = autosave_path();
        // A state holds the machine between frames: one stopped in the middle
        // of a frame (at a breakpoint, single-stepping) is not saved. The
        // recorders still to be finished name their sound files after the
        // file in the buffer: it stays.
        std::string why = kept_aside;
        if (why.empty()) {
            if (emu_paused_mid_frame)
                why = "the guest is stopped in the middle of a frame";
            else if (path.size() >= FILE_NAME_SIZE)
                why = "name too long";
            else if (!state_save_aside(path.c_str(), FILE_KIND_COS, 0))
                why = state_save_error();
        }
        if (!why.empty()) {
            // What the next start does with what is there, judged by the
            // file as it is now.
            const std::string host = path_to_host(path);
            unsaved = "Autosave not written (" + why + "): ";
            if (state_file_is_newer(path))
                unsaved += "\"" + host +
                           "\" stays as it is for the newer version that made it, and the next "
                           "start of this one resumes no state. Saving a state over it (Save "
                           "state as...) makes it this version's autosave again; switching the "
                           "autosave off ends this.";
            else if (state_file_reads(path))
                unsaved += "the next start resumes the older \"" + host + "\".";
            else
                unsaved += "the next start resumes no state.";
        }
    }
    if (machine_row().leave) machine_row().leave();
    return unsaved;
}
