// An output file that grows while a recording runs: written as a new file
// beside its place (file_replace_open: unnamed where it can be, never through
// a link) and renamed there when closed, so that a reader never sees half a
// file and a killed run leaves nothing. A write that fails marks the stream;
// closing a marked stream warns and removes the new file. Opening warns why
// it cannot.
#pragma once

#include "core/serial.h"
#include "core/types.h"

#include <cstdio>
#include <string>
#include <vector>

struct RecPatch;

struct RecStream {
    std::FILE* file = nullptr;
    std::string path;
    ReplaceFile replacement;
    bool failed = false;
    int first_errno = 0; // the reason of the first failure, 0 when the system gave none

    bool open(const std::string& host_path);
    bool is_open() const { return file != nullptr; }
    void write(const void* data, std::size_t size);
    void write(const std::vector<u8>& bytes) { write(bytes.data(), bytes.size()); }
    void write(const std::string& bytes) { write(bytes.data(), bytes.size()); }
    // Rewrites bytes at `at`, then goes on at the end.
    void patch(std::size_t at, const void* data, std::size_t size);
    void patch(const RecPatch& p);
    long size();
    // Renames into place; false (after a warning) when anything failed.
    bool close();
    // Closes and removes without a word.
    void discard();
    // Marks the stream failed, keeping the first errno as the reason.
    void fail();

  private:
    void forget_replacement(); // the exit path no longer removes the named file
};
