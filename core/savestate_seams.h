// State that save states carry but other subsystems own, and their own field
// lists. Until those subsystems exist, savestate_seams.cpp holds one plain
// stand-in for each; the owner that writes the real one deletes the stand-in
// and moves the declaration to its own header. Bytes the state names only by
// their role are plain byte arrays here, in file order.
#pragma once

#include "core/text_screen.h"
#include "cpu/cpu.h"

// ---- Input --------------------------------------------------------------------------

// ---- Computers ------------------------------------------------------------------------

// ---- Video-game machines --------------------------------------------------------------

// ---- File loader -------------------------------------------------------------------------
extern u32 loaded_image_size; // bytes of the game image loaded
