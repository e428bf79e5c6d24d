// Test support: a save state loaded into the machine as the file loader loads
// it, checked whole first and then committed, without the loader's refreshes
// of the interface, tapes and recordings.
#pragma once

#include "core/savestate.h"

#include <string>

// False with the refusal in *error when state_check refuses the state; a
// refused state changes nothing.
inline bool test_state_load(const u8* data, u32 size, std::string* error) {
    if (!state_check(data, size, error)) return false;
    if (state_commit(data, size)) return true;
    *error = "a checked state was not committed";
    return false;
}
