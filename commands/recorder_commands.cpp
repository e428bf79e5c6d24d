#include "commands/recorder_commands.h"

#include "core/filekinds.h"
#include "debugger/screen_asm.h"
#include "gui/clipboard.h"
#include "peripherals/printer_export.h"
#include "record/recorder.h"

namespace {
// Runs a recorder's action: what it could not write (not a cancelled
// requester) is the action's failure.
template <typename Run> void failing_as(const char* what, Run run) {
    rec_take_refusal(); // only this action's
    run();
    if (const std::string why = rec_take_refusal(); !why.empty()) cmd_action_failed(what, why);
}
} // namespace

void act_save_state_as(const CmdRow&, const CmdCall&) {
    failing_as("the state was not saved", [] { rec_start(KIND_COS); });
}

void act_save_picture(const CmdRow& row, const CmdCall&) {
    failing_as("the picture was not saved", [&row] {
        rec_picture_name[0] = '\0';
        rec_save_picture(row.value, 1, 0, 0);
    });
}

void act_save_screen_asm(const CmdRow&, const CmdCall&) {
    if (const std::string why = file_save_screen_asm(); !why.empty())
        cmd_action_failed("the source was not saved", why);
}

void act_export_screen_text(const CmdRow&, const CmdCall&) {
    failing_as("the text was not saved", [] { export_text(0, 1, -1, 0); });
}

void act_copy_screenshot(const CmdRow&, const CmdCall&) {
    rec_save_picture(KIND_ILBM, 0, 1, 0);
}

void act_copy_text(const CmdRow&, const CmdCall&) {
    export_text(1, 0, -1, 0);
}

void act_paste_text(const CmdRow&, const CmdCall&) {
    if (const char* why = clip_paste_text()) cmd_action_failed("the text was not pasted", why);
}

void act_empty_clipboard(const CmdRow&, const CmdCall&) {
    clip_empty();
}

void act_start_recording(const CmdRow&, const CmdCall&) {
    failing_as("the recording was not started", [] { rec_start(KIND_COR); });
}

void act_stop_recorders(const CmdRow&, const CmdCall&) {
    failing_as("the recording was not written whole", [] { rec_stop_all(); });
}
