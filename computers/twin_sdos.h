// The TWIN's disks: the ".img" and ".twin" image files, the SDOS layout (a
// file list on track 0, 1 KB clusters on tracks 1-76), the built-in system
// disks a new disk is formatted from, and the host-side file operations.
//
//   twin_sdos_format(0);                 // a new system disk in drive 0
//   twin_sdos_put_file("GAME.MOD", 0);   // a host file onto it
//   twin_sdos_list_directory(0, 0);      // the listing, with its checks
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

struct DiskSystem;
struct DiskFile;
struct GuestRom;

constexpr u32 SDOS_IMAGE_BYTES = 315392;  // 77 tracks of 32 sectors of 128 bytes
constexpr u32 SDOS_TWIN_BYTES = 320320;   // the same as 130-byte records with their addresses
constexpr u32 SDOS_CLUSTERS = 304;
constexpr u32 SDOS_CLUSTER_BYTES = 1024;
constexpr int SDOS_ENTRIES = 78;
constexpr u32 SDOS_SYSTEM_AREA = 0x1100;  // where a system disk keeps the master's $0100-$3FFF
constexpr u32 SDOS_SYSTEM_BYTES = 0x3F00;

// The images the TWIN reads from the roms/ drawer: the master's boot ROM,
// then the built-in system disk of each system version ("twin_dosversion" 0-5).
extern const GuestRom twin_roms[7];
// The system area of the chosen version into `out` (16128 bytes); false when
// no system is chosen or its disk cannot be read.
bool twin_system_area(u8* out);
// A system version chosen from the menu (0-5, 6 none): its built-in disk is
// read at once, so that a missing one is named now rather than at the next
// set-up, and drive 0's file list is read again with that system's commands.
// The master's memory and the disk in drive 0 change at the next set-up or
// the next new disk.
void twin_choose_dos(int version);

// Image offset of file entry `entry` (0-77) in the file list.
u32 twin_sdos_entry_offset(int entry);

// A ".img" or ".twin" file as a drive image; false after "File is wrong size!".
bool twin_image_from_file(const std::vector<u8>& file, u8* image);
// A new disk of the chosen version in the drive.
void twin_sdos_format(int drive);
// Whether `image` is a new disk as twin_sdos_format makes it.
bool twin_sdos_fresh(const u8* image);
// Reads the file list into the drive's caches and block map; unless `quiet`
// prints the listing and its consistency checks.
void twin_sdos_list_directory(int quiet, int drive);
// Entry `entry` as the host file it makes (DiskSystem::extract).
bool twin_sdos_extract_file(int entry, int drive, DiskFile* out);
// Host file `path` onto the disk in `drive`; refuses, before writing anything,
// what does not fit: false, the reason in `why` (printed when nullptr).
bool twin_sdos_put_file(const char* path, int drive, std::string* why = nullptr);
void twin_sdos_delete_file(int entry, int drive);
// Renames entry `entry`; 1 taken, 0 refused ("Filename is too long!").
int twin_sdos_check_filename(int entry, int drive, const char* name);

extern const DiskSystem twin_disk_system;
