// Stand-ins for the state of other subsystems that save states carry, until
// those subsystems are written.
#include "core/savestate_seams.h"

u32 loaded_image_size;
