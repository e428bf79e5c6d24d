// Test support: a fresh shared file buffer, for tests that hand bytes to a
// reader directly instead of loading a file (the loader hands the buffer the
// bytes it read).
#pragma once

#include "core/recording.h"

#include <cstdlib>

// Frees the current buffer and allocates `size` zeroed bytes as the new one,
// the cursor at 0; size 0 does nothing. False when the allocation failed.
inline bool test_filebuf_alloc(u32 size) {
    if (size == 0) return true;
    filebuf_free();
    filebuf = static_cast<u8*>(std::calloc(size, 1));
    if (!filebuf) return false;
    filebuf_size = size;
    return true;
}
