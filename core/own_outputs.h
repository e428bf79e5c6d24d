// The files the program wrote at names it made itself (the assembler's
// listing and object file, named after their source), so that a later run,
// also after a restart, replaces its own earlier output without asking while
// any other file at such a name stays the user's. The record lives in the
// program home and holds each file's device, inode, size and a check of its
// contents: a file reached by another name is still found, and a file the
// user put there later, or changed since, is not the program's any more.
//
//   if (!own_output_is(name)) ... ask, or refuse ...
//   if (file_write_replace(name, data, size)) own_output_note(name, data, size);
#pragma once

#include <cstddef>
#include <string>

// True when the file at `host` (its links followed) is one own_output_note
// recorded and is still as written: the same device and inode, no second
// name (a hard link the user made keeps a copy that a write in place would
// change), the same size and contents.
bool own_output_is(const std::string& host);
// Records the file at `host` that was just written with these `size` bytes.
// A record that cannot be written is no harm: the next run asks.
void own_output_note(const std::string& host, const void* data, std::size_t size);
