// The CD2650's disks on the host side: 35 tracks of 9 sectors of 256 bytes;
// blocks 0-17 hold the file list (64 entries of 64 bytes), files lie in
// contiguous runs of blocks from 18 on. Also the ".imag" memory images.
//
//   cd2650_dos_open(0);               // a new system disk in drive 0
//   cd2650_dos_list_directory(0, 0);  // the listing on the message output
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

struct DiskSystem;
struct DiskFile;
extern const DiskSystem cd2650_disk_system;

constexpr u32 CD2650_DISK_BYTES = 80640;

bool cd2650_image_from_file(const std::vector<u8>& file, u8* image);
void cd2650_dos_open(int drive);
// Whether `image` is a new disk as cd2650_dos_open makes it (its dates aside).
bool cd2650_dos_fresh(const u8* image);
void cd2650_dos_list_directory(int quiet, int drive);
bool cd2650_dos_extract_file(int entry, int drive, DiskFile* out);
// Host file `path` onto the disk; false when refused, the reason in `why`
// (printed when nullptr).
bool cd2650_dos_put_file(const char* path, int drive, std::string* why = nullptr);
void cd2650_dos_delete_file(int entry, int drive);
int cd2650_dos_check_filename(int entry, int drive, const char* name);

int cd2650_parse_imag(u32 size);
void cd2650_commit_imag();
int cd2650_save_imag(const char* path, u32 first, u32 last, u32 start);
