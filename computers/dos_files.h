// What the host sides of the guest disk systems share: host file names made
// from directory entries, today's date, and reading a host file to put on a
// disk.
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

// A character of a disk's name as the host sees it: control characters,
// Delete and the bytes from 128 up become "_", so that no name steers a
// terminal or breaks a line of text.
char dos_safe_char(char c);
// A directory entry's name or a disk's identity as the listings print it,
// each character made safe as on extraction.
std::string dos_shown_name(std::string text);
// "name.ext" (or "name" without an extension) as a safe file name in the
// current drawer: path separators, colons and unsafe characters become
// "_", and so does a leading ".", so that a directory entry can name no
// other drawer and no hidden file.
std::string dos_host_name(const char* name, const char* ext);
// Today: day 1-31, month 1-12, year modulo 100.
void dos_today(int* day, int* month, int* year);
// Reads host file `path` whole (at most `limit` bytes); false when it cannot
// be opened or read, or is larger.
bool dos_read_host_file(const char* path, std::vector<u8>* out, u32 limit);
// The file part of a host path.
std::string dos_file_part(const char* path);
// Refuses a put or rename: the reason (without the blank line that follows a
// message) into `why` for the caller to give, or printed when `why` is
// nullptr. Returns false.
bool dos_refuse(std::string* why, const char* format, ...) __attribute__((format(printf, 2, 3)));
