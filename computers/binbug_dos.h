// The BINBUG disk systems' disks (MicroDOS and VHS DOS share one layout) on
// the host side: 40 tracks of 10 sectors of 256 bytes, each block a chain
// cell (next track, next sector, 254 data bytes); the file list is the chain
// of blocks 0-9, whose first block opens with the disk header; then 100
// directory entries of 24 bytes. Also the ".cmd" program files.
//
//   binbug_dos_format(0);             // a blank disk in drive 0
//   binbug_dos_put_file("prog.cmd", 0);
//   binbug_dos_list_directory(0, 0);  // the listing on the message output
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

struct DiskSystem;
struct DiskFile;
extern const DiskSystem binbug_disk_system;

constexpr u32 BINBUG_DISK_BYTES = 102400, BINBUG_SHORT_DISK_BYTES = 94720;

// An image file of 102400 bytes, or of 94720 (37 tracks, extended as a
// format links the last three tracks); else "File is wrong size!".
bool binbug_image_from_file(const std::vector<u8>& file, u8* image);
void binbug_dos_format(int drive);
// Whether `image` is a new disk as binbug_dos_format makes it (its date aside).
bool binbug_dos_fresh(const u8* image);
void binbug_dos_list_directory(int quiet, int drive);
bool binbug_dos_extract_file(int entry, int drive, DiskFile* out);
// Host file `path` onto the disk; false when refused, the reason in `why`
// (printed when nullptr).
bool binbug_dos_put_file(const char* path, int drive, std::string* why = nullptr);
void binbug_dos_delete_file(int entry, int drive);
int binbug_dos_check_filename(int entry, int drive, const char* name);

// The CMD files: parse (the loader's first step), commit, and the writer of
// SAVECMD (1 written).
int binbug_parse_cmd(u32 size);
void binbug_commit_cmd();
int binbug_save_cmd(const char* path, u32 start, u32 end, u32 exec);
