// An FD1771 controller wired to the four floppy drives, as the BINBUG and the
// CD2650 have it: the chip's host filled from the drive records, the five
// registers as port offsets 0-4 (command/status, track, sector, data, drive
// select/control), the window redrawn after each access as far as it changed,
// the controller reset and the per-frame spin-down.
//
//   fdc_board_install({.user_drives = &binbug_userdrives, ...}); // at bus install
//   case 12 ... 16: return fdc_port_read(port - 12);
#pragma once

#include "core/machine_table.h"
#include "core/types.h"

struct FdcBoard {
    const i32* user_drives = nullptr;        // drives the user enabled (a setting)
    const char* spun_down_text = nullptr;    // a change of drive stopped the old one ("%d")
    bool sector_end_flag = false;            // the control register reports a sector end
};

// Wires the chip to the drives for the current machine's disk layout.
void fdc_board_install(const FdcBoard& board);
// The machine's set-up: the board wired, the controller reset with no step
// direction, every drive's head at track 0 and the first sector, motors
// off, watch marks cleared, no disk in any drive. The debugger's drive is
// limited to the machine's drives.
void fdc_board_setup(const FdcBoard& board);
// Register `reg` (0-4) read or written by the guest.
u8 fdc_port_read(u32 reg);
void fdc_port_write(u32 reg, u8 value);
// The controller and the drives' motors back to their reset state.
void fdc_reset();
// The drives' and the controller's save-state fields of a machine with `n`
// drives of `layout`: for each drive, whether a disk is in, its image and
// (`with_files`: states from version 45 on) what it knows of its file
// (floppy_file_field), the head's track, sector and byte index and the write
// protection; the addressed drive, the data
// mode, the ID index (`with_id_index`: states from version 44 on), the step
// direction, each drive's motor and head, the sector and track registers and
// the multiple-records flag. A value out of range marks the state bad.
void fdc_board_serialise(DiskLayout layout, int n, bool with_id_index, bool with_files);
