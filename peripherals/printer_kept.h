// What the printers hold unsaved (the pages a unit could not save and its
// sheet), in a file of its own beside the autosave, for the next start to
// save: the autosave state itself stays as every version reads it.
//
//   std::vector<u8> bytes = printer_kept_bytes();        // empty: nothing unsaved
//   printer_kept_restore(bytes.data(), bytes.size(), &why);
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

// Every unit's unsaved pages and sheet with the name of its printout;
// nothing when no unit holds anything unsaved. `generation` ranks the file
// among such files: each way out writes a newer one, which holds all that
// is kept, and the next start takes up the newest only (an older one that
// could not be removed holds pages saved or kept since).
std::vector<u8> printer_kept_bytes(u64 generation = 0);
// A file that keeps no page, of `generation`: it outranks an older file that
// could not be removed, whose pages were saved since.
std::vector<u8> printer_kept_none(u64 generation);
// The generation of a file of kept pages; 0 for an earlier version's (which
// wrote none) or anything else.
u64 printer_kept_generation(const u8* data, std::size_t size);
// Puts what `data` holds back on the units: each unit's pages after its kept
// ones, under the printout they were printed in, its sheet on the paper when
// the paper is of its size (else with the pages). False, with `*why`, for
// data that is not whole or not of this kind; nothing is changed then.
bool printer_kept_restore(const u8* data, std::size_t size, std::string* why);
