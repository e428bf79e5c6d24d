// The debugger's disk commands: the debugger drive, the directory, deleting,
// renaming, extracting and injecting files through the machine's disk
// system, reading and changing single bytes of the image, and the disk
// watchpoints that the floppy controllers test.
#include "computers/dos_files.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/own_outputs.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "core/user_prefs.h"
#include "cpu/dbg_hooks.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/debugger.h"
#include "debugger/literals.h"
#include "debugger/watch.h"
#include "machines/fd1771.h"
#include "peripherals/floppy.h"
#include "platform/file_identity.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr u32 NONE = DBG_NO_COUNT;

int drive() {
    return debugger_drive >= 0 && debugger_drive < FLOPPY_DRIVES ? debugger_drive : 0;
}

u32 image_size() {
    const i32 n = machine_desc().disk_image_bytes;
    return n > 0 ? static_cast<u32>(n) : 0;
}

// The machine has floppy drives; else "Wrong guest machine!".
bool disk_machine() {
    if (floppy_drive_count() > 0 && image_size() > 0) return true;
    dbg_wrong_machine();
    return false;
}

// The disk system with operation `op`; else "Wrong guest machine!".
template <typename Op> const DiskSystem* system_with(Op DiskSystem::*op) {
    const DiskSystem* s = floppy_disk_system();
    if (s && s->*op) return s;
    dbg_wrong_machine();
    return nullptr;
}

bool disk_inserted(int d = drive()) {
    if (drive_has_disk(d)) return true;
    dbg_refuse("No disk is inserted!\n\n");
    return false;
}

std::string trimmed(const char* text) {
    std::string s = text;
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// The name of directory entry `e` of the debugger drive as the commands
// compare it; "" for a free entry.
std::string entry_name(const DiskSystem& s, int e) {
    const FloppyDrive& d = drives[drive()];
    if (!d.name_cache[e][0]) return "";
    std::string name = trimmed(d.name_cache[e]);
    if (s.extensions) name += "." + trimmed(d.ext_cache[e]);
    return name;
}

int entry_count(const DiskSystem& s) {
    return s.entries < FLOPPY_ENTRIES ? s.entries : FLOPPY_ENTRIES;
}

// The first used entry named `name` (letter case ignored), -1 when none is.
int find_entry(const DiskSystem& s, const char* name) {
    for (int e = 0; e < entry_count(s); e++) {
        const std::string n = entry_name(s, e);
        if (!n.empty() && strcasecmp(n.c_str(), name) == 0) return e;
    }
    return -1;
}

void relist(const DiskSystem& s) {
    if (s.list) s.list(1, drive());
}

void failed() {
    dbg_refuse("Failed!\n\n");
}

enum class Extracted { written, unreadable, refused };

// The host files one EXTRACT has written, with the disk's name of each.
using ExtractedFiles = std::vector<std::pair<FileIdentity, std::string>>;

// Writes the file of entry `e` into the current drawer under the disk's name
// for it: this command's own earlier extract there is replaced, any other
// file only when the user says so (kept, and named, with nobody to ask). Two
// names of the disk can make one host name ("A/B" and "A_B"): a file that
// this command wrote just now (in `done`) is kept, and the later one named.
Extracted extract_entry(const DiskSystem& s, int e, ExtractedFiles* done) {
    DiskFile file;
    if (!s.extract(e, drive(), &file)) return Extracted::unreadable;
    const std::string host = path_absolute(file.name);
    const FileIdentity there = file_identity_at(host);
    for (const auto& [id, name] : *done) {
        if (!file_identity_same(id, there)) continue;
        dbg_refuse("Kept %s: EXTRACT wrote %s there just now, and %s is not written. Rename one "
                   "of them on the disk.\n\n",
                   host.c_str(), dos_shown_name(name).c_str(),
                   dos_shown_name(entry_name(s, e)).c_str());
        return Extracted::refused;
    }
    const OwnWriter writer{"EXTRACT", ""};
    if (!dbg_name_free(host, writer, true, "Rename the file on the disk, or move that file."))
        return Extracted::refused;
    std::string error;
    if (!file_write_replace(host, file.bytes.data(), file.bytes.size(), &error, false)) {
        dbg_refuse("%s\n\n", file_failure_text("Can't write", host, error).c_str());
        return Extracted::refused;
    }
    own_output_note(host, file.bytes.data(), file.bytes.size(), writer);
    done->emplace_back(file_identity_at(host), entry_name(s, e));
    return Extracted::written;
}

// A drive number operand (signed decimal) of one of the machine's drives;
// else "Invalid drive number!".
bool drive_operand(const char* text, int* out) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (end == text || *end || n < 0 || n >= floppy_drive_count()) {
        dbg_refuse("Invalid drive number!\n\n");
        return false;
    }
    *out = static_cast<int>(n);
    return true;
}

// A disk address or byte operand; NONE when unreadable, past every limit
// when negative or wider than 32 bits.
u32 disk_address(const char* text) {
    return dbg_parse_unsigned_operand(text);
}

// start..end inside the image, else the range message.
bool disk_range(u32 start, u32 end) {
    if (start != NONE && end != NONE && start <= end && end < image_size()) return true;
    if (start != NONE && end != NONE && start > end && start < image_size())
        dbg_order_message();
    else
        dbg_range_message(0, image_size() - 1);
    return false;
}

void warn_watching_off() {
    if (!watchreads && !watchwrites)
        con_printf("Warning: watching of reads and writes is currently turned off! (WR and WW "
                   "to enable.)\n\n");
}

} // namespace

void dbg_cmd_drive() {
    if (dbg_lone_question()) {
        con_printf("DRIVE 0: %s\nDRIVE 1: %s\n", "Change debugger drive to unit 0",
                   "Change debugger drive to unit 1");
        con_printf("DRIVE 2: %s\nDRIVE 3: %s\n", "Change debugger drive to unit 2",
                   "Change debugger drive to unit 3");
        dbg_usage();
        return;
    }
    if (dbg_arg2[0]) {
        dbg_usage();
        return;
    }
    if (!disk_machine()) return;
    if (dbg_arg1[0]) {
        int n;
        if (!drive_operand(dbg_arg1, &n)) return;
        debugger_drive = n;
        prefs_user_chose(&debugger_drive);
        dbg_ok();
        return;
    }
    con_printf("Current drive is #%d.\n\n", drive());
    // The FD1771 machines tell their controller's registers too.
    if (verbose_log && machine_traits().disk_images == DiskImages::RAW)
        con_printf("Track register: $%02X\nDesired sector: $%02X\nData register:  $%02X\nStep "
                   "direction: %d\nMulti sectors?  %s\n\n",
                   fdc.track_reg, fdc.sector_reg, fdc.data_reg, fdc.step_direction,
                   fdc.multiple ? "Yes" : "No");
}

// The debugger drive's directory, or the named drive's.
void dbg_cmd_dir() {
    if (dbg_lone_question() || dbg_arg2[0]) {
        dbg_usage();
        return;
    }
    if (!disk_machine()) return;
    int d = drive();
    if (dbg_arg1[0] && !drive_operand(dbg_arg1, &d)) return;
    const DiskSystem* s = system_with(&DiskSystem::list);
    if (!s || !disk_inserted(d)) return;
    s->list(0, d);
}

void dbg_cmd_delete() {
    if (dbg_lone_question() || dbg_arg_count() != 1) {
        dbg_usage();
        return;
    }
    // No drives, or none in the debugger's drive: its Debug menu row refused the line.
    const DiskSystem* s = system_with(&DiskSystem::remove);
    if (!s) return;
    relist(*s);
    const int e = find_entry(*s, dbg_arg1);
    if (e < 0) {
        failed();
        return;
    }
    s->remove(e, drive());
    relist(*s);
    dbg_ok();
}

void dbg_cmd_rename() {
    if (dbg_lone_question() || dbg_arg_count() != 2) {
        dbg_usage();
        return;
    }
    // No drives, or none in the debugger's drive: its Debug menu row refused the line.
    const DiskSystem* s = system_with(&DiskSystem::rename);
    if (!s) return;
    relist(*s);
    const int e = find_entry(*s, dbg_arg1);
    if (e < 0 || !s->rename(e, drive(), dbg_arg2)) {
        failed();
        return;
    }
    relist(*s);
    dbg_ok();
}

void dbg_cmd_extract() {
    if (dbg_lone_question() || dbg_arg_count() > 1) {
        dbg_usage();
        return;
    }
    // No drives, or none in the debugger's drive: its Debug menu row refused the line.
    const DiskSystem* s = system_with(&DiskSystem::extract);
    if (!s) return;
    relist(*s);
    bool unreadable = false, refused = false;
    ExtractedFiles written;
    auto extract = [&](int e) {
        const Extracted done = e < 0 ? Extracted::unreadable : extract_entry(*s, e, &written);
        unreadable |= done == Extracted::unreadable;
        refused |= done == Extracted::refused;
    };
    if (!dbg_enter_projects(nullptr)) return; // the disk's names, in the drawer
    if (dbg_arg1[0]) {
        extract(find_entry(*s, dbg_arg1));
    } else {
        for (int e = 0; e < entry_count(*s); e++)
            if (!entry_name(*s, e).empty()) extract(e);
    }
    dir_restore();
    // A file kept or not written was named with its reason.
    if (unreadable)
        failed();
    else if (!refused)
        dbg_ok();
}

void dbg_cmd_inject() {
    if (dbg_lone_question() || dbg_arg_count() != 1) {
        dbg_usage();
        return;
    }
    // No drives, or none in the debugger's drive: its Debug menu row refused the line.
    const DiskSystem* s = system_with(&DiskSystem::put);
    if (!s) return;
    relist(*s);
    if (!dbg_enter_projects(dbg_arg1)) return;
    std::string why;
    // A file that cannot be read (missing, or a folder, a FIFO or a device,
    // refused without waiting on it) is said to be so before its name is judged.
    const int host = path_open_regular(dbg_arg1, nullptr);
    if (host >= 0) ::close(host);
    const bool put = host >= 0 && s->put(dbg_arg1, drive(), &why);
    if (host < 0) why = std::string("Can't open file \"") + dbg_arg1 + "\" for input!";
    dir_restore();
    if (!put) dbg_refuse("%s\n\n", why.empty() ? "Failed!" : why.c_str());
}

void dbg_cmd_fpeek() {
    const int n = dbg_arg_count();
    if (dbg_lone_question() || n < 1 || n > 2) {
        dbg_usage();
        return;
    }
    // No drives, or none in the debugger's drive: its Debug menu row refused the line.
    const u32 start = disk_address(dbg_arg1);
    u32 end = n == 2                   ? disk_address(dbg_arg2)
              : start >= image_size() ? start // refused below, not wrapped
                                      : start + 255;
    if (end != NONE && (end & 15) != 15) end = (end & ~15u) + 15;
    if (!disk_range(start, end)) return;
    const u32 size = image_size();
    const u8* image = drives[drive()].image;
    for (u32 row = start; row <= end; row += 16) {
        char line[96];
        int at = std::snprintf(line, sizeof line, "$%05X: ", row);
        char text[17];
        for (u32 i = 0; i < 16; i++) {
            const u32 a = row + i;
            // A row that starts off the grid may run past the image's end.
            if (a < size) {
                at += std::snprintf(line + at, sizeof line - at, i == 8 ? " %02X " : "%02X ",
                                    image[a]);
                text[i] = static_cast<char>(dbg_guest_char_to_ascii(image[a]));
            } else {
                at += std::snprintf(line + at, sizeof line - at, i == 8 ? " -- " : "-- ");
                text[i] = ' ';
            }
        }
        text[16] = '\0';
        con_printf("%s%s\n", line, text);
    }
    con_printf("\n");
}

void dbg_cmd_fpoke() {
    if (dbg_lone_question() || dbg_arg_count() != 2) {
        dbg_usage();
        return;
    }
    // No drives, or none in the debugger's drive: its Debug menu row refused the line.
    const u32 address = disk_address(dbg_arg1);
    if (!disk_range(address, address)) return;
    const u32 value = disk_address(dbg_arg2);
    if (value > 255) { // NONE included: an operand that could not be read has said why
        if (!dbg_operand_said()) dbg_refuse("Value is out of bounds (limit is %d)!\n\n", 255);
        return;
    }
    FloppyDrive& d = drives[drive()];
    d.image[address] = static_cast<u8>(value);
    d.changed = 1;
    dbg_ok();
    floppy_refresh(2, drive());
}

void dbg_cmd_fp() {
    const int n = dbg_arg_count();
    if (dbg_lone_question() || n < 1 || n > 2) {
        dbg_usage();
        return;
    }
    if (!disk_machine()) return;
    const u32 start = disk_address(dbg_arg1);
    const u32 end = n == 2 ? disk_address(dbg_arg2) : start;
    if (!disk_range(start, end)) return;
    if (n == 1) {
        if (floppy_watched(drive(), start)) {
            con_printf("Watchpoint is already set!\n\n");
            return;
        }
        floppy_set_watch(drive(), start, true);
        con_printf("Added data watchpoint at $%X.\n\n", start);
    } else {
        for (u32 a = start; a <= end; a++)
            floppy_set_watch(drive(), a, true);
        dbg_ok();
    }
    warn_watching_off();
    floppy_refresh(2, drive());
}

void dbg_cmd_fc() {
    const int n = dbg_arg_count();
    if (dbg_lone_question() || n > 2) {
        dbg_usage();
        return;
    }
    if (!disk_machine()) return;
    if (n == 0) {
        bool any = false;
        for (u32 a = 0; a < image_size() && !any; a++)
            any = floppy_watched(drive(), a);
        if (any) {
            floppy_clear_watch_bits(drive());
            con_printf("Cleared all data watchpoints.\n\n");
        } else {
            dbg_refuse("No watchpoints to clear!\n\n");
            return;
        }
    } else {
        const u32 start = disk_address(dbg_arg1);
        const u32 end = n == 2 ? disk_address(dbg_arg2) : start;
        if (!disk_range(start, end)) return;
        if (n == 1) {
            if (!floppy_watched(drive(), start)) {
                dbg_refuse("Watchpoint not found at $%X!\n\n", start);
                return;
            }
            floppy_set_watch(drive(), start, false);
            con_printf("Cleared data watchpoint at $%X.\n\n", start);
        } else {
            bool any = false;
            for (u32 a = start; a <= end; a++) {
                any = any || floppy_watched(drive(), a);
                floppy_set_watch(drive(), a, false);
            }
            dbg_cleared_range(any, "watchpoints", start, end);
        }
    }
    floppy_refresh(2, drive());
}

void dbg_cmd_fl() {
    if (!disk_machine()) return;
    bool any = false;
    for (u32 a = 0; a < image_size(); a++) {
        if (!floppy_watched(drive(), a)) continue;
        con_printf("$%X\n", a);
        any = true;
    }
    if (any)
        con_printf("\n");
    else
        con_printf("%s.\n\n", "None");
}
