#include "peripherals/floppy.h"

#include <optional>

#include "core/filekinds.h"
#include "core/files_in_use.h"
#include "core/frame.h"
#include "core/helpers.h"
#include "core/loader.h"
#include "core/machine_ops.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/own_outputs.h"
#include "core/questions.h"
#include "core/savestate_fields.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/cpu.h"
#include "peripherals/changed_media.h"
#include "platform/catalog.h"
#include "platform/paths.h"
#include "sound/effects.h"
#include "sound/sound_output.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>

FloppyDrive drives[FLOPPY_DRIVES];
u32 fdc_current_drive;
u32 fdc_mode;
i32 fdc_spin_down_frame = -1;
u32 floppy_shown_drive;
u32 disk_offset;
u8 disk_invalid;
const DiskSystem* disk_system_override;
void (*floppy_refresh_hook)(int scope, int drive);

namespace {

// By DiskLayout.
constexpr DiskGeometry GEOMETRIES[] = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {40, 10, 1, 256, 102400, 0, 256, 400},
    {77, 32, 0, 128, 315392, 4096, 1024, 304},
    {35, 9, 1, 256, 80640, 0, 256, 315},
};

// An image file is never larger than this (the TWIN's own format).
constexpr u64 IMAGE_FILE_LIMIT = 320320;

bool drive_ok(int drive) {
    return drive >= 0 && drive < FLOPPY_DRIVES;
}

// The drawer part of a path, without the separator ('/' kept after a volume's ':').
std::string drawer_part(const char* path) {
    const char* part = path_file_part(path);
    std::string drawer(path, static_cast<std::size_t>(part - path));
    if (!drawer.empty() && drawer.back() == '/') drawer.pop_back();
    return drawer;
}

bool twin_images() {
    return machine_traits().disk_images == DiskImages::TWIN;
}

} // namespace

const DiskGeometry& disk_geometry(DiskLayout layout) {
    const auto i = static_cast<std::size_t>(layout);
    return GEOMETRIES[i < std::size(GEOMETRIES) ? i : 0];
}

const DiskGeometry& floppy_geometry() {
    return disk_geometry(machine_traits().disk_layout);
}

int floppy_drive_count() {
    const i32 n = machine_desc().drives;
    return n < 0 ? 0 : n > FLOPPY_DRIVES ? FLOPPY_DRIVES : n;
}

// ---- positions ---------------------------------------------------------------------------

bool disk_position_offset(u32 track, u32 sector, u32* offset) {
    const DiskGeometry& g = floppy_geometry();
    const u32 index = static_cast<u8>(sector - g.first_sector);
    *offset = (track * g.sectors + index) * g.sector_bytes;
    return g.tracks != 0 && index < g.sectors && track < g.tracks;
}

void disk_image_offset(int drive, bool with_byte) {
    const DiskGeometry& g = floppy_geometry();
    if (g.tracks == 0 || !drive_ok(drive)) return;
    const FloppyDrive& d = drives[drive];
    disk_invalid = disk_position_offset(d.head_track, d.head_sector, &disk_offset) ? 0 : 1;
    if (with_byte) disk_offset += d.byte_index;
}

i32 disk_block_of(u32 offset) {
    const DiskGeometry& g = floppy_geometry();
    if (g.tracks == 0 || offset < g.reserved_bytes || offset >= g.image_bytes) return -1;
    return static_cast<i32>((offset - g.reserved_bytes) / g.block_bytes);
}

i32 disk_block_under_head(int drive) {
    if (floppy_geometry().tracks == 0 || !drive_ok(drive)) return 0;
    return disk_block_of(drives[drive].view_offset);
}

// ---- the disk system ---------------------------------------------------------------------

const DiskSystem* floppy_disk_system() {
    if (disk_system_override) return disk_system_override;
    return floppy_drive_count() ? machine_row().disks : nullptr;
}

void floppy_take_image(int drive, const u8* image, const char* path) {
    if (!drive_ok(drive)) return;
    FloppyDrive& d = drives[drive];
    std::memcpy(d.image, image, floppy_geometry().image_bytes);
    std::snprintf(d.file_name, sizeof d.file_name, "%s", path ? path : "");
    d.file_identity = d.file_name[0] ? file_identity_at(path_to_host(d.file_name)) : FileIdentity{};
    floppy_clear_watch_bits(drive);
    d.present = 1;
    d.changed = 0;
    disk_list_dispatch(1, drive);
    floppy_refresh(3, drive);
}

std::string floppy_disk_name(int drive) {
    if (!drive_ok(drive) || !drives[drive].file_name[0]) return "a new disk";
    return "\"" + std::string(path_file_part(drives[drive].file_name)) + "\"";
}

bool floppy_release_disk(int drive, const char* action) {
    return !drive_ok(drive) || media_release(drive, action);
}

void floppy_leave_machine(u32 new_machine) {
    if (new_machine >= MACHINES || floppy_drive_count() == 0) return;
    const bool same_system =
        machine_table[new_machine].traits.disk_layout == machine_traits().disk_layout;
    for (int d = 0; d < FLOPPY_DRIVES; d++) {
        if (!drives[d].present) continue;
        drives[d].present = 0;
        drives[d].changed = 0;
        if (!same_system) floppy_forget_file(d);
    }
}

int disk_insert_dispatch(int ask, int drive, const char* path) {
    const DiskSystem* system = floppy_disk_system();
    if (!system || !system->image_from_file || !drive_ok(drive) || drive >= floppy_drive_count())
        return 0;
    char chosen[FLOPPY_NAME_SIZE] = "";
    if (ask) {
        if (ui_host.file_request("Insert Disk",
                                 twin_images() ? "#?.(IMG|TWIN)" : "#?.RAW", 0, disks_path,
                                 path_file_part(drives[drive].file_name), chosen) != 0)
            return 0;
        const std::string drawer = drawer_part(chosen);
        if (!drawer.empty()) std::snprintf(disks_path, sizeof disks_path, "%s", drawer.c_str());
    } else {
        std::snprintf(chosen, sizeof chosen, "%s", path ? path : "");
    }
    const std::string elsewhere = medium_holds_already(path_to_host(chosen), FileUse::disk, drive);
    if (!elsewhere.empty()) {
        ui_warning(elsewhere.c_str());
        return 0;
    }
    std::vector<u8> file;
    const int read = file_read_regular(path_to_host(chosen), IMAGE_FILE_LIMIT, [&](std::size_t n) {
        file.resize(n);
        return file.data();
    });
    if (read == READ_UNAVAILABLE) {
        ui_warning("Can't open file for input!");
        return 0;
    }
    if (read == READ_TOO_LARGE) {
        ui_warning("File is wrong size!");
        return 0;
    }
    if (read != READ_OK) {
        ui_warning("Can't read from file!");
        return 0;
    }
    // Into a scratch image first: a refused file leaves the drive as it was.
    static std::vector<u8> scratch(FLOPPY_IMAGE_MAX);
    std::fill(scratch.begin(), scratch.end(), 0);
    if (!system->image_from_file(file, scratch.data())) return 0;
    floppy_take_image(drive, scratch.data(), chosen);
    ui_request_tool_window(TW_FLOPPY);
    return 1;
}

void disk_list_dispatch(int quiet, int drive) {
    const DiskSystem* system = floppy_disk_system();
    if (!system || !system->list || !drive_has_disk(drive)) return;
    system->list(quiet, drive);
}

bool disk_format_dispatch(int drive) {
    const DiskSystem* system = floppy_disk_system();
    if (!system || !system->format || !drive_ok(drive) || drive >= floppy_drive_count())
        return false;
    system->format(drive);
    return true;
}

namespace {

// The save requester for a disk of the current machine, opening in `drawer`:
// false when cancelled.
bool ask_image_name(int kind, const std::string& drawer, const char* suggested, char* name) {
    // Raw images of several machines share a kind: the title names the machine's.
    const std::string title = std::string("Save ") + machine_desc().keyword + " Floppy Disk";
    return ui_host.file_request(title.c_str(), file_kinds[kind].pattern, 1, drawer.c_str(),
                                suggested, name) == 0;
}

bool file_exists(const std::string& host) {
    struct stat st {};
    return ::lstat(host.c_str(), &st) == 0;
}

// The disk goes under `name` in place of the name it was given, and a file of
// that name is there: 1 replace it, 2 choose another name, 0 keep it (Return
// and Escape). With nobody to ask it is kept, and the reply says where the
// disk can go.
int ask_replace(int drive, const std::string& host) {
    const std::string d = std::to_string(drive);
    const std::string text = "The disk in drive " + d +
                             " is saved as a disk image under the name " + host +
                             ", which another file already has.\nReplace loses that file; "
                             "Save as... saves the disk under another name.";
    const int answer = ui_ask(Question::disk_name_taken, text);
    if (answer == 0) {
        // The way on, for where it is read: a port command or the window.
        const std::string way = ui_unattended ? "UPDATEDISK " + d + " <file> saves"
                                              : "\"Update disk...\" in the floppy window saves";
        const std::string refusal = "The disk in drive " + d + " was not saved: " + host +
                                    " is another file and was not replaced. " + way +
                                    " the disk under a name of your choice" +
                                    (ui_unattended ? "." : " (Save as...).");
        if (!ui_unattended_report(refusal.c_str(), nullptr) && !ui_host.question)
            ui_warning(refusal.c_str()); // a batch run has no questions at all
    }
    return answer;
}

} // namespace

bool disk_save_image(int drive, const char* name_given) {
    if (!drive_ok(drive) || floppy_drive_count() == 0) return false;
    FloppyDrive& d = drives[drive];
    const bool named = name_given && name_given[0];
    const int kind = twin_images() ? KIND_IMG : KIND_RAW;
    const char* ext = file_kinds[kind].extension;
    // The name the disk has (or the user gives it), and the one it is
    // written under: that name with the kind's extension.
    char given[FLOPPY_NAME_SIZE];
    if (named) {
        std::snprintf(given, sizeof given, "%s", name_given);
    } else if (d.file_name[0]) {
        std::snprintf(given, sizeof given, "%s", d.file_name);
    } else {
        char suggested[FLOPPY_NAME_SIZE] = "";
        if (load_start_known) {
            std::snprintf(suggested, sizeof suggested, "%s",
                          own_output_name(game_file_name, ext).c_str());
        }
        if (!ask_image_name(kind, disks_path, suggested, given)) return false;
    }
    char name[FLOPPY_NAME_SIZE];
    std::string host;
    // A name the user chose in the requester is written as chosen; the disk's
    // own file only while it is still the one the disk came from.
    for (bool chosen = named || !d.file_name[0];; chosen = true) {
        std::snprintf(name, sizeof name, "%s", given);
        file_set_extension(ext, name, sizeof name, 1, "");
        host = path_to_host(name);
        const std::string refusal =
            chosen || std::strcmp(name, d.file_name) != 0
                ? ""
                : file_identity_refusal(
                      ("Can't write the disk in drive " + std::to_string(drive) + " back").c_str(),
                      host, d.file_identity);
        // Another file under the new name is replaced only when the user says so.
        if (std::strcmp(name, given) != 0 && file_exists(host)) {
            const int answer = ask_replace(drive, host);
            if (answer == 2 &&
                ask_image_name(kind, path_folder_of(name), path_file_part(name), given))
                continue;
            if (answer != 1) return false;
        }
        std::string error;
        const FileUseOwnWrite own(FileUse::disk, drive);
        if (refusal.empty() &&
            file_write_replace(host, d.image, floppy_geometry().image_bytes, &error))
            break;
        ui_warning(refusal.empty() ? file_failure_text("Can't write to", host, error).c_str()
                                   : refusal.c_str());
        // A file that cannot be written (write-protected, on a full or
        // read-only disk): the disk may still go under another name.
        if (ui_nobody_to_ask() ||
            !ask_image_name(kind, path_folder_of(name), path_file_part(name), given))
            return false;
    }
    if (std::strcmp(name, given) != 0)
        con_printf("The disk in drive %d was saved as %s.\n", drive, host.c_str());
    std::snprintf(d.file_name, sizeof d.file_name, "%s", name);
    d.file_identity = file_identity_at(host);
    d.changed = 0;
    floppy_refresh(3, drive);
    return true;
}

void floppy_eject(int drive) {
    if (!drive_ok(drive)) return;
    drives[drive].present = 0;
    drives[drive].changed = 0;
    floppy_refresh(3, drive);
}

const FileIdentity& floppy_file_identity(int drive) {
    static const FileIdentity none;
    return drive_ok(drive) ? drives[drive].file_identity : none;
}

void floppy_forget_file(int drive) {
    if (!drive_ok(drive)) return;
    drives[drive].file_name[0] = 0;
    drives[drive].file_identity = FileIdentity{};
}

namespace {

// Whether the disk's file holds the disk's image byte for byte; then the
// disk takes the file as it is now (the program wrote it there since, in
// another session: its identity is that file's).
bool file_is_disk(int drive) {
    FloppyDrive& d = drives[drive];
    const std::string host = path_to_host(d.file_name);
    const u32 bytes = floppy_geometry().image_bytes;
    std::vector<u8> file;
    const int read = file_read_regular(host, bytes, [&](std::size_t n) {
        file.resize(n);
        return file.data();
    });
    if (read != READ_OK || file.size() != bytes || std::memcmp(file.data(), d.image, bytes) != 0)
        return false;
    d.file_identity = file_identity_at(host);
    return true;
}

// Whether the disk's file is still the one the disk knows, or else holds the
// disk's image byte for byte (file_is_disk).
bool file_holds_disk(int drive) {
    int error = 0;
    const FloppyDrive& d = drives[drive];
    return file_identity_fate(path_to_host(d.file_name), d.file_identity, true, &error) ==
               FileFate::same ||
           file_is_disk(drive);
}

// The disk system of the machines whose disks have `layout`.
const DiskSystem* disk_system_of(DiskLayout layout) {
    for (u32 m = 0; m < MACHINES; m++)
        if (machine_table[m].traits.disk_layout == layout && machine_ops(m).disks)
            return machine_ops(m).disks;
    return nullptr;
}

// Whether a disk of `layout` holds nothing that a new disk lacks: every byte
// alike, or a new disk as the disk system's format or the machine's set-up
// makes it.
bool holds_nothing_new(const u8* image, DiskLayout layout) {
    const u8* end = image + disk_geometry(layout).image_bytes;
    if (std::all_of(image, end, [image](u8 b) { return b == *image; })) return true;
    const DiskSystem* system = disk_system_override ? disk_system_override : disk_system_of(layout);
    return system && system->fresh && system->fresh(image);
}

// Whether a state that a dry read went through brings a disk that is, or may
// come back, changed (floppy_state_brings_changes).
bool changes_seen = false;
// Per drive, the file each such disk came from ("" none), as the dry read
// found them (floppy_state_changed_disks).
std::optional<std::string> changes_seen_in[FLOPPY_DRIVES];

void seen_changed(int drive, const char* file) {
    changes_seen = true;
    changes_seen_in[drive] = file;
}

// A 64-bit value as two full words, high first.
u64 field_u64(u64 value) {
    u32 high = static_cast<u32>(value >> 32), low = static_cast<u32>(value);
    high = state_field_u32_full(&high);
    low = state_field_u32_full(&low);
    return static_cast<u64>(high) << 32 | low;
}

} // namespace

void floppy_file_field(int drive, bool present, bool recorded, DiskLayout layout) {
    if (!drive_ok(drive)) return;
    FloppyDrive& d = drives[drive];
    if (!recorded || !present) {
        // A disk of an earlier state holds what no file is known to hold:
        // the user's work, unless it holds nothing a new disk lacks. A dry
        // read stored no image: the one just read is the state's.
        if (state_applying()) {
            floppy_forget_file(drive);
            d.changed = present && !holds_nothing_new(d.image, layout) ? 1 : 0;
        } else if (present && serial_dry()) {
            const u8* image = serial_behind(disk_geometry(layout).image_bytes);
            if (!image || !holds_nothing_new(image, layout)) seen_changed(drive, "");
        }
        return;
    }
    // Read aside: a dry read stores nothing, and what is read is taken only
    // as a whole.
    u8 changed = d.changed;
    changed = state_field_u8(&changed);
    u16 length = static_cast<u16>(std::strlen(d.file_name));
    length = state_field_u16(&length);
    if (state_reading() && (changed > 1 || length >= FLOPPY_NAME_SIZE)) {
        serial_mark_bad("disk file");
        return;
    }
    char name[FLOPPY_NAME_SIZE] = {};
    if (!state_reading()) std::memcpy(name, d.file_name, length);
    state_field_bytes(reinterpret_cast<u8*>(name), length);
    // A dry read stores nothing: the name is the one just read.
    if (serial_dry() && length < FLOPPY_NAME_SIZE)
        if (const u8* read = serial_behind(length)) std::memcpy(name, read, length);
    FileIdentity id = d.file_identity;
    u8 known = id.known ? 1 : 0;
    known = state_field_u8(&known);
    id.known = known != 0;
    id.device = field_u64(id.device);
    id.inode = field_u64(id.inode);
    id.size = field_u64(id.size);
    id.written_ns = static_cast<std::int64_t>(field_u64(static_cast<u64>(id.written_ns)));
    name[length] = 0;
    if (!state_applying()) {
        // A disk that was changed, or whose file may no longer hold it.
        int error = 0;
        const auto fate = [&] { return file_identity_fate(path_to_host(name), id, true, &error); };
        if (serial_dry() && (changed || (name[0] && fate() != FileFate::same)))
            seen_changed(drive, name);
        return;
    }
    std::memcpy(d.file_name, name, length + 1);
    d.file_identity = name[0] ? id : FileIdentity{};
    // What the disk holds and its file lacks: the change it had, unless its
    // file holds the disk as it is now (saved since, from another session
    // whose autosave was not written), or a file that is no longer the one it
    // was when the state was saved and does not hold the disk as it is.
    d.changed = name[0] ? changed ? !file_is_disk(drive) : !file_holds_disk(drive) : changed;
}

bool floppy_state_brings_changes(const std::function<bool()>& check,
                                 std::optional<std::string> (*disks)[FLOPPY_DRIVES]) {
    changes_seen = false;
    for (auto& d : changes_seen_in)
        d.reset();
    const bool read = check();
    const bool seen = changes_seen;
    changes_seen = false;
    if (disks)
        for (int d = 0; d < FLOPPY_DRIVES; d++)
            (*disks)[d] = read ? changes_seen_in[d] : std::nullopt;
    return read && seen;
}

bool floppy_takes_new_disk(int drive) {
    if (!drive_ok(drive)) return false;
    const FloppyDrive& d = drives[drive];
    return !d.present || (!d.file_name[0] && !d.changed);
}

// ---- the controller side ------------------------------------------------------------------

void floppy_play(int effect) {
    if (teletypesounds) snd_play_effect(effect);
}

void floppy_stop(int effect) {
    snd_voice_stop(16 + effect);
}

void floppy_spin_up(int drive) {
    if (!drive_ok(drive)) return;
    FloppyDrive& d = drives[drive];
    if (!d.spinning) floppy_play(FLOPPY_SPIN);
    d.spinning = 1;
    d.head_loaded = 1;
}

void floppy_spin_down(int drive) {
    if (!drive_ok(drive)) return;
    fdc_set_mode(FDC_IDLE);
    floppy_stop(FLOPPY_GRIND);
    floppy_stop(FLOPPY_SPIN);
    drives[drive].head_loaded = 0;
    drives[drive].spinning = 0;
    floppy_refresh(1, drive);
}

void fdc_set_mode(u32 mode) {
    fdc_mode = mode;
    for (int d = 0; d < FLOPPY_DRIVES; d++)
        floppy_refresh(2, d);
}

void floppy_renew_deadline() {
    fdc_spin_down_frame = static_cast<i32>(frame_counter + (emu_region == 1 ? 20 : 24));
}

void floppy_select_drive(u8 value, i32 user_drives, const char* spun_down_text) {
    const u32 old = fdc_current_drive;
    if (value < user_drives && value < FLOPPY_DRIVES) {
        if (verbose_log)
            con_printf("Code at $%X changed drive unit from %d to %d!\n", cpu_iar, old, value);
        if (value != old && old < FLOPPY_DRIVES &&
            (drives[old].spinning || drives[old].head_loaded)) {
            floppy_spin_down(static_cast<int>(old));
            fdc_spin_down_frame = -1;
            if (verbose_log && spun_down_text) con_printf(spun_down_text, old);
        }
        fdc_current_drive = value;
    } else if (verbose_log) {
        con_printf("Code at $%X attempted to change drive unit from %d to %d!\n", cpu_iar, old,
                   value);
    }
    floppy_renew_deadline();
    if (floppy_shown_drive != fdc_current_drive) {
        floppy_shown_drive = fdc_current_drive;
        floppy_refresh(3, static_cast<int>(fdc_current_drive));
    }
}

void fdc_check_spin_down() {
    const u32 d = fdc_current_drive;
    if (d >= FLOPPY_DRIVES || !drives[d].spinning) return;
    if (static_cast<i32>(frame_counter) != fdc_spin_down_frame) return;
    floppy_spin_down(static_cast<int>(d));
    if (verbose_log)
        con_printf("Floppy drive #%d has unloaded head and spun down due to inactivity.\n", d);
}

void floppy_controller_reset() {
    fdc_mode = FDC_IDLE;
    fdc_spin_down_frame = -1;
    fdc_current_drive = 0;
    floppy_stop(FLOPPY_GRIND);
    floppy_stop(FLOPPY_SPIN);
    for (int d = 0; d < floppy_drive_count(); d++) {
        drives[d].spinning = 0;
        drives[d].byte_index = 0;
    }
}

void floppy_drives_reset() {
    const DiskGeometry& g = floppy_geometry();
    for (int d = 0; d < FLOPPY_DRIVES; d++) {
        FloppyDrive& f = drives[d];
        floppy_clear_watch_bits(d);
        f.byte_index = 0;
        f.head_track = 0;
        f.head_sector = g.first_sector;
        f.view_offset = 0;
        f.spinning = 0;
        f.head_loaded = 0;
    }
}

// ---- watch marks ----------------------------------------------------------------------------

bool floppy_watched(int drive, u32 offset) {
    return drive_ok(drive) && offset < FLOPPY_IMAGE_MAX &&
           (drives[drive].watch_bits[offset >> 3] >> (offset & 7) & 1);
}

void floppy_set_watch(int drive, u32 offset, bool on) {
    if (!drive_ok(drive) || offset >= FLOPPY_IMAGE_MAX) return;
    u8& byte = drives[drive].watch_bits[offset >> 3];
    const u8 bit = static_cast<u8>(1u << (offset & 7));
    byte = on ? byte | bit : byte & ~bit;
}

void floppy_clear_watch_bits(int drive) {
    if (drive_ok(drive)) std::memset(drives[drive].watch_bits, 0, FLOPPY_WATCH_BYTES);
}

bool floppy_write_protected(int drive) {
    if (drive == 0 || drive == 1) return write_protect[drive] != 0;
    return drive_ok(drive) && drives[drive].write_protect != 0;
}

void floppy_set_write_protect(int drive, bool on) {
    if (drive == 0 || drive == 1)
        write_protect[drive] = on ? 1 : 0;
    else if (drive_ok(drive))
        drives[drive].write_protect = on ? 1 : 0;
}

bool drive_has_disk(int drive) {
    return drive_ok(drive) && drives[drive].present;
}

void floppy_refresh(int scope, int drive) {
    if (floppy_refresh_hook) floppy_refresh_hook(scope, drive);
}

void floppy_reset() {
    static const FloppyDrive empty{};
    for (FloppyDrive& d : drives)
        d = empty;
    fdc_current_drive = 0;
    fdc_mode = FDC_IDLE;
    fdc_spin_down_frame = -1;
    floppy_shown_drive = 0;
    disk_offset = 0;
    disk_invalid = 0;
    disk_system_override = nullptr;
}
