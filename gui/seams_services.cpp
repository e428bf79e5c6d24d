// Stand-ins for services that later parts of the program provide: each does
// the least its callers need and says so where the user would notice.
#include "gui/seams.h"

#include "core/message.h"
#include "core/seams_services.h"

// The real one is the screen editor.
u8 gui_screen_editing;
