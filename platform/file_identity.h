// What a medium knows of the file it came from, so that it writes there again
// only while that file is still the one it took: the same file at its name
// (not removed, not replaced by another), and not changed by anyone else.
// The cassette deck holds its file open and compares the file at the name
// with the one it holds; the papertape units, the disk drives and the MDCR
// deck keep the identity they took in.
//
//   FileIdentity took = file_identity_at(host);   // on insert
//   const std::string refusal = file_identity_refusal("Not written", host, took);
//   if (!refusal.empty()) ui_warning(refusal.c_str());
#pragma once

#include <cstdint>
#include <string>

struct FileIdentity {
    bool known = false; // false: it could not be taken (`error` says why)
    int error = 0;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t written_ns = 0; // the time it was last written, in nanoseconds
};

// The identity of the file at the host path `host`, or of the open file `fd`.
FileIdentity file_identity_at(const std::string& host);
FileIdentity file_identity_of(int fd);
// Whether `a` and `b` are one file (the same device and inode), whatever
// names it was reached by: a link, a second hard link, "./" or "..". False
// when either could not be taken.
bool file_identity_same(const FileIdentity& a, const FileIdentity& b);

// What became of the file at `host` since `held` was taken: still the same,
// `held` never known, removed, out of reach (`*error` says why, as it does for
// `held` unknown), replaced by another file, or (with `compare_contents`:
// another size or time of writing) changed.
enum class FileFate { same, unknown, removed, unreachable, replaced, changed };
FileFate file_identity_fate(const std::string& host, const FileIdentity& held,
                            bool compare_contents, int* error);

// "" when the file at `host` is still `held`; else what became of it: "was
// removed since it went in", "was replaced by another file since it went in",
// "was changed since it went in" (with `compare_contents`: another size or
// time of writing), "can't be found (<the system's reason>)", or for an
// identity that could not be taken "can't be read (<reason>)".
std::string file_identity_change(const std::string& host, const FileIdentity& held,
                                 bool compare_contents);

// "<lead>: its file <host> <what>."
std::string file_identity_warning(const char* lead, const std::string& host,
                                  const std::string& what);

// The check every medium makes before it writes what it holds back over the
// file it took as `held` (a disk, an MDCR tape, a papertape): "" while the
// file at `host` is still that one, unchanged by anyone else; else the
// warning that says why it is not written ("<lead>: its file <host> was
// replaced by another file since it went in.").
std::string file_identity_refusal(const char* lead, const std::string& host,
                                  const FileIdentity& held);
