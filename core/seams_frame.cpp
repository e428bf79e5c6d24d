// Stand-ins for the display, sound, input, window and debugger services that
// switching, pacing and the end of frame call, until their owners write them.
// Most do nothing.
#include "core/machine_table.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/message.h"

// ---- Input ------------------------------------------------------------------------
// The real one restores the musical keyboard's notes.
i32 input_deferred_release = -1;
void music_restore_default_notes() {}
i32 key_remap_six[2][6];
i32 key_remap_four[2][4];

// ---- Batch jobs -------------------------------------------------------------------------
// The assembler's batch run.
int (*asm_assemble_startup)(const char* path) = asm_assemble_batch;
