// Test support: a fresh shared file buffer, for tests that hand bytes to a
// reader directly instead of loading a file.
#pragma once

#include "core/recording.h"

inline bool test_filebuf_alloc(u32 size) {
    return filebuf_alloc(size);
}
