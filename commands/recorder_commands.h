// The recorders' menu items as command-table handlers: state and picture
// saves, input recording (started and stopped), screen text, and the
// clipboard items of the Edit menu. What a save or a recording could not
// write is the action's failure (cmd_action_failed).
#pragma once

#include "commands/command_table.h"

void act_save_state_as(const CmdRow&, const CmdCall&);
// The row's value is the picture's file kind.
void act_save_picture(const CmdRow& row, const CmdCall&);
// File > Save screen > ASM...: the screen as assembler source.
void act_save_screen_asm(const CmdRow&, const CmdCall&);
void act_export_screen_text(const CmdRow&, const CmdCall&);
void act_copy_screenshot(const CmdRow&, const CmdCall&);
void act_copy_text(const CmdRow&, const CmdCall&);
void act_paste_text(const CmdRow&, const CmdCall&);
void act_empty_clipboard(const CmdRow&, const CmdCall&);
void act_start_recording(const CmdRow&, const CmdCall&);
// Stop recording/playback: the recording and its outputs are written.
void act_stop_recorders(const CmdRow&, const CmdCall&);
