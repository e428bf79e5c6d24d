// The four floppy drives and what every controller and disk system shares:
// the drive records with their whole disk images, the controller-side state
// (addressed drive, data mode, spin-down deadline), the image offset of a head
// position, the block under the head, drive selection, spin-down, and the
// insert, list and save operations that reach the machine's disk system.
//
// The drives know no machine: the current machine's disk layout (a trait)
// gives the geometry, and its disk system (a row) reads images and
// directories. What the interface shows of the drives it learns through
// floppy_refresh_hook, which the floppy window installs.
//
//   floppy_geometry().tracks;                 // 40 on a BINBUG disk
//   drives[0].head_track = 3; drives[0].head_sector = 2;
//   disk_image_offset(0, false);              // disk_offset = 3 * 2560 + 256
#pragma once

#include "core/machine_table.h"
#include "core/types.h"
#include "platform/file_identity.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct DiskSystem;

constexpr int FLOPPY_DRIVES = 4;
constexpr u32 FLOPPY_IMAGE_MAX = 315392; // the largest image (TWIN)
constexpr int FLOPPY_NAME_SIZE = 513;
constexpr int FLOPPY_ENTRIES = 100;      // directory entries cached at most
constexpr int FLOPPY_BLOCKS = 400;       // block map entries at most
constexpr u32 FLOPPY_WATCH_BYTES = FLOPPY_IMAGE_MAX / 8;

// Data modes of the controller's data register.
constexpr u32 FDC_IDLE = 0, FDC_READING = 1, FDC_WRITING = 2;

// Block-map states the directory listers write.
constexpr u8 BLOCK_LOST = 0, BLOCK_DIRECTORY = 1, BLOCK_FILE = 2, BLOCK_FREE = 3;

struct FloppyDrive {
    u8 present;     // a disk is in the drive
    u8 spinning;    // the motor runs
    u8 head_loaded; // the head rests on the disk
    u8 head_track;  // the track under the head, from 0
    u8 head_sector; // the current sector (numbered as the layout numbers them)
    u32 byte_index; // the next byte to transfer within the sector
    u32 view_offset; // image offset of the sector the window shows (the head's after a transfer)
    u32 write_protect; // drives 2 and 3; drives 0 and 1 follow their settings
    // The disk's file: its name, what the file was when the disk was read
    // from it or last written to, and whether the disk changed since. They
    // are one record with the image, so that a disk moved to another drive
    // (Swap disks) takes them along and is written back only over its own file.
    u8 changed; // the image was written since it was inserted, created or saved
    char file_name[FLOPPY_NAME_SIZE]; // host path; "" for a disk never saved
    FileIdentity file_identity;       // unknown for a disk that has no file
    u16 first_cluster[79];            // TWIN: each entry's first cluster
    u32 file_size[78];                // TWIN: each entry's size in bytes
    char name_cache[FLOPPY_ENTRIES][11]; // "" a free entry
    char ext_cache[FLOPPY_ENTRIES][5];
    u8 block_map[FLOPPY_BLOCKS];        // BLOCK_* per block or cluster
    u8 watch_bits[FLOPPY_WATCH_BYTES];  // one bit per image byte, bit n % 8 of byte n / 8
    u8 image[FLOPPY_IMAGE_MAX];
};
extern FloppyDrive drives[FLOPPY_DRIVES];

// The shape of a layout's disks.
struct DiskGeometry {
    u8 tracks;          // 0 when the machine has no disks
    u8 sectors;         // sectors per track
    u8 first_sector;    // number of a track's first sector (0 or 1)
    u32 sector_bytes;
    u32 image_bytes;
    u32 reserved_bytes; // bytes before the first block (the TWIN's track 0)
    u32 block_bytes;    // bytes per block of the block map
    u32 blocks;         // entries of the block map used
};
const DiskGeometry& disk_geometry(DiskLayout layout);
// The current machine's.
const DiskGeometry& floppy_geometry();
// Drives the current machine uses (0..4).
int floppy_drive_count();

// ---- controller-side state ------------------------------------------------------------
extern u32 fdc_current_drive;  // the drive the controller addresses
extern u32 fdc_mode;           // FDC_IDLE, FDC_READING, FDC_WRITING
extern i32 fdc_spin_down_frame; // frame_counter value at which it spins down; -1 none
extern u32 floppy_shown_drive;  // the drive the one-drive window layout shows
// Results of disk_image_offset.
extern u32 disk_offset;
extern u8 disk_invalid;

// Sets disk_offset to the image offset of the drive's head track and sector
// (plus its byte index with `with_byte`) and disk_invalid when that position
// lies outside the disk. Machines without disks leave both unchanged.
void disk_image_offset(int drive, bool with_byte);
// The same for any track and sector; true when the position lies on the disk.
bool disk_position_offset(u32 track, u32 sector, u32* offset);
// The block (or cluster) holding image offset `offset`; -1 where none does
// (the TWIN's track 0) or the offset lies beyond the image.
i32 disk_block_of(u32 offset);
// The block of the drive's view offset (the sector last transferred).
i32 disk_block_under_head(int drive);

// ---- the machine's disk system --------------------------------------------------------
// The disk system of the current machine's row; nullptr when it has none.
const DiskSystem* floppy_disk_system();
// A test's disk system in place of the machine's (nullptr: the machine's).
extern const DiskSystem* disk_system_override;

// Reads the image file `path` (with `ask`, the one chosen in the "Insert
// Disk" requester instead) into the drive through the disk system. A failed
// or cancelled insert changes nothing and returns 0 (after its warning); so
// does a file another drive or medium holds, under whatever name.
// Success: the image, the file name, cleared watch marks, the quiet listing,
// and the floppy window asked for; returns 1.
int disk_insert_dispatch(int ask, int drive, const char* path);
// Lists the drive's directory (quietly: only the caches and the block map).
void disk_list_dispatch(int quiet, int drive);
// Puts a blank disk into the drive; false when the machine cannot format.
bool disk_format_dispatch(int drive);
// Saves the drive's image under its file name with the kind's extension,
// asking for a name when it has none. Where that extension makes another name
// (a ".twin" disk is saved as ".img") and a file of that name exists, the user
// is asked whether to replace it or save elsewhere; with nobody to ask it is
// kept, and nothing written. The name written, when not the one given, is
// said on the console. A failed write leaves the old file and warns with the
// file's name and the system's reason. The disk goes back over its own file
// only while that is still the file it was read from or last written to: one
// removed, replaced or changed since is kept, and the warning says so (in the
// window the disk may go under another name). True when written.
// `name` (the port's UPDATEDISK) is written as the requester's choice would be.
bool disk_save_image(int drive, const char* name = nullptr);
// The disk in `drive` leaves it as it is (Eject disk, the port's EJECTDISK):
// its changes, if any, go with it. Ask floppy_release_disk first where the
// user can be asked; the port's command is the user's own choice.
void floppy_eject(int drive);
// The file the disk in `drive` came from or was last written to, as it was
// then (unknown for a disk that has no file).
const FileIdentity& floppy_file_identity(int drive);
// The disk in `drive` belongs to no file any more (one a state of an earlier
// version brought, a drive left for another disk system): its name and
// identity go together.
void floppy_forget_file(int drive);
// The save-state record of what the disk in `drive` knows of its file: its
// name, the file as it was when the disk took it or last went back to it,
// and whether the disk changed since. `present` is the drive's flag as the
// walk moved it. A state brings the record back with the disk, so that it is
// written back only over its own file and a change it holds is asked about
// and named as before: a disk that differs from its file (changed when the
// state was saved, or its file replaced or written since) comes back changed.
// Without `recorded` (a state of an earlier version, which kept no record) the
// disk comes back belonging to no file: changed, a new disk that only the
// state holds, unless it holds nothing a new disk lacks (every byte alike, or
// a new disk as the format or the machine's set-up makes it, its date aside).
// `layout` is the state's machine's disk layout (a state is checked before the
// machine is switched to it).
void floppy_file_field(int drive, bool present, bool recorded, DiskLayout layout);
// Whether `check`, a dry read of a state (state_check), read a whole state
// that brings a disk which is, or may come back, changed: one changed when it
// was saved, one whose file may no longer hold it, one of an earlier version
// that holds more than a new disk. False when the check refused the state.
// With `disks`, each drive's such disk by the file it came from ("" a disk
// of no file), none where the state brings no changed disk.
bool floppy_state_brings_changes(const std::function<bool()>& check,
                                 std::optional<std::string> (*disks)[FLOPPY_DRIVES] = nullptr);
// Whether a set-up may put its own new disk into the drive: it is empty, or
// holds only what a set-up or a format put there (a disk with no file that
// nobody changed), which a new one replaces losing nothing.
bool floppy_takes_new_disk(int drive);
// The name a message gives the drive's disk: the file part of its file
// name in quotes, or "a new disk" for one never saved.
std::string floppy_disk_name(int drive);
// Before the disk in `drive` goes (replaced, ejected, or left behind on a
// switch to another machine): true when it may go. A disk changed and not
// saved is asked about ("Update disk...", `action`, Cancel) or named where
// nobody can be asked: media_release (changed_media.h).
bool floppy_release_disk(int drive, const char* action);
// A switch from the current machine to `new_machine`, or its set-up again:
// every drive is emptied (media_leave_machine asked first). For another disk
// system their file names go too, so that a later update cannot write one
// system's image under another's disk.
void floppy_leave_machine(u32 new_machine);
// The drive now holds `image` (image_bytes of the layout), taken from
// `path` ("" for a blank disk): marks cleared, unchanged, listed quietly.
void floppy_take_image(int drive, const u8* image, const char* path);

// ---- controller operations shared by the FD1771 boards and the TWIN ---------------------
// Stores the data mode and redraws the drives.
void fdc_set_mode(u32 mode);
// The addressed drive stays spun up for another 0.4 s.
void floppy_renew_deadline();
// The guest writes `value` to the drive-select port; `user_drives` drives
// may be chosen; `spun_down_text` narrates a drive stopped by the change.
void floppy_select_drive(u8 value, i32 user_drives, const char* spun_down_text);
// Once per frame: the addressed drive stops at its deadline.
void fdc_check_spin_down();
// Controller reset: idle, no deadline, drive 0, motors of the used drives off.
void floppy_controller_reset();
// Every drive idle, head at track 0 and the first sector, watch marks
// cleared; the disks stay in their drives (a disk leaves by an eject or with
// floppy_leave_machine, never by a set-up).
void floppy_drives_reset();
// Drive effects (sound/effects.h numbers).
constexpr int FLOPPY_SPIN = 6, FLOPPY_STEP = 7, FLOPPY_GRIND = 8;
// Plays an effect when the drive noises are on.
void floppy_play(int effect);
void floppy_stop(int effect);
// Motor on and head loaded (the spin noise when it was off).
void floppy_spin_up(int drive);
// Head unloaded and motor off, idle, the spin and grind noises stopped.
void floppy_spin_down(int drive);

// ---- watch marks ------------------------------------------------------------------------
bool floppy_watched(int drive, u32 offset);
void floppy_set_watch(int drive, u32 offset, bool on);
void floppy_clear_watch_bits(int drive);

// Drives 0 and 1 are protected by the settings "writeprotect" and
// "writeprotect2", drives 2 and 3 by their records.
bool floppy_write_protected(int drive);
void floppy_set_write_protect(int drive, bool on);

// Whether the drive holds a disk (false for a drive number out of range).
bool drive_has_disk(int drive);

// ---- the interface ------------------------------------------------------------------------
// Redraws what shows drive `drive`: scope 0 or 1 what changed, 2 the whole
// sector contents, 3 everything. Installed by the floppy window; nullptr: nothing.
extern void (*floppy_refresh_hook)(int scope, int drive);
void floppy_refresh(int scope, int drive);

// Everything back to the start-up state (no disks, no images, no hooks kept).
// Test support: the program starts there.
void floppy_reset();
