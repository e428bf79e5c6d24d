#include "commands/recorder_commands.h"

#include "core/filekinds.h"
#include "debugger/screen_asm.h"
#include "gui/clipboard.h"
#include "peripherals/printer_export.h"
#include "record/recorder.h"

void act_save_state_as(const CmdRow&, const CmdCall&) {
    rec_start(KIND_COS);
}

void act_save_picture(const CmdRow& row, const CmdCall&) {
    rec_picture_name[0] = '\0';
    rec_save_picture(row.value, 1, 0, 0);
}

void act_save_screen_asm(const CmdRow&, const CmdCall&) {
    file_save_screen_asm();
}

void act_export_screen_text(const CmdRow&, const CmdCall&) {
    export_text(0, 1, -1, 0);
}

void act_copy_screenshot(const CmdRow&, const CmdCall&) {
    rec_save_picture(KIND_ILBM, 0, 1, 0);
}

void act_copy_text(const CmdRow&, const CmdCall&) {
    export_text(1, 0, -1, 0);
}

void act_paste_text(const CmdRow&, const CmdCall&) {
    clip_paste_text();
}

void act_empty_clipboard(const CmdRow&, const CmdCall&) {
    clip_empty();
}

void act_start_recording(const CmdRow&, const CmdCall&) {
    rec_start(KIND_COR);
}
