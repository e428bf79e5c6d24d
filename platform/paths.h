// Host paths: the program home (PROGDIR:), the runtime folder (RAM:) and the
// translation of AmigaDOS-style names ("DRAWER:sub/file") into host paths.
//
// PROGDIR: is $BRINDLEMOX_HOME, else $XDG_DATA_HOME/brindlemox, else
// ~/.local/share/brindlemox. RAM: is $XDG_RUNTIME_DIR, else /tmp. Both are
// read from the environment on every call, so tests can redirect them.
#pragma once

#include <string>
#include <string_view>

// Host folder of PROGDIR:, without a trailing slash.
std::string path_progdir();

// Host folder of RAM:, without a trailing slash.
std::string path_ram();
// RAM: is this user's alone (as $XDG_RUNTIME_DIR is): a folder the user owns
// that no one else may write to. /tmp is shared.
bool path_ram_is_private();

// The host path of `name`. "PROGDIR:" and "RAM:" (any letter case) are
// replaced by their folders; everything else, including absolute and
// relative host paths and unknown volume names, is returned unchanged.
std::string path_to_host(std::string_view name);

// The file part of an AmigaDOS-style or host name: what follows its last ':'
// or '/' (the whole name when it has neither).
const char* path_file_part(const char* name);

// The host folder that holds the file `name` (a relative name's taken against
// the current folder); "" when it cannot be told.
std::string path_folder_of(std::string_view name);
// `name` as an absolute host path with "." and ".." taken out (a relative
// name taken against the current folder), as a message shows it; the name
// as given when it cannot be told.
std::string path_absolute(const std::string& name);

// Creates `dir` and any missing parents. True when it exists as a folder.
bool path_make_dirs(const std::string& dir);

// Creates the program home when it is missing. True when it exists.
bool path_make_progdir();

// A relative $BRINDLEMOX_HOME is made absolute against the current folder, so
// that the home stays the same folder after the program changes directory.
void path_fix_progdir();

// Takes an exclusive lock on the host file `host` (created when missing) and
// holds it until path_unlock_file: 1 taken, 0 another process holds it, -1 the
// file cannot be opened. The lock is taken on the file that is at the path
// once it is locked (a file removed or replaced meanwhile is let go).
int path_lock_file(const std::string& host);
// Whether the lock still holds: its open file is still the file at its path.
// A removed file with nothing in its place is made again and locked; once
// another file is at the path (another run may hold it) the lock is lost and
// let go: false from then on until path_lock_file.
bool path_lock_holds();
void path_unlock_file();

// Opens the host file `host` for reading when it is a regular file: the
// descriptor (close it with close()), with the file's size in `*size`. A
// folder, FIFO, device or socket is refused without blocking: -1, with errno
// set (EISDIR, EINVAL or that of the failed open).
int path_open_regular(const std::string& host, unsigned long long* size);
// The same for writing: a missing file is made, a regular one appended to
// (`append`) or emptied; anything else is refused as above, untouched, and so
// is a read-only file (path_save_place; EACCES).
int path_open_regular_write(const std::string& host, bool append);
// The same for a file in a folder others may write to: a link at the name is
// not followed (ELOOP) and a file another user owns is refused (EACCES).
int path_open_own_regular_write(const std::string& host, bool append);

// What is at `host` (its links followed) as the place of a file to be saved:
// PATH_SAVE_FREE when nothing is there or a regular file this user may write;
// PATH_SAVE_READ_ONLY for a regular file without any write permission (taken
// as write-protected by whoever runs the program, the superuser too) or that
// this user may not write; PATH_SAVE_FOLDER; PATH_SAVE_NOT_FILE for a FIFO, a
// device or a socket. Only the first is replaced by a save.
enum { PATH_SAVE_FREE, PATH_SAVE_READ_ONLY, PATH_SAVE_FOLDER, PATH_SAVE_NOT_FILE };
int path_save_place(const std::string& host);
// The folder a new file at `host` would be made in (the nearest of its
// folders that is there: a writer makes the rest) when it cannot be written
// (its permissions, a read-only file system), else "": a write there is
// known to fail before it is tried.
std::string path_unwritable_folder(const std::string& host);
// The words for a refusal of path_save_place ("Read-only file", "Is a
// directory", "Not a regular file"), "" for PATH_SAVE_FREE.
const char* path_save_refusal(int place);

// The folder of the files the program ships ("" when none is found): a
// "resources" folder beside the binary (the build folder links the
// checkout's), else the installed data folder "../share/brindlemox" seen from
// the binary's folder, else the data folder the build was configured to
// install into.
std::string path_resources();

// The same search from `exe_dir` with `data_dir` as the configured data
// folder; path_resources() calls it with the running binary's folder.
std::string path_find_resources(const std::string& exe_dir, const std::string& data_dir);
