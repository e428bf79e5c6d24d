#include "computers/fdc_board.h"

#include "core/message.h"
#include "core/savestate_fields.h"
#include "core/serial.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "machines/fd1771.h"
#include "peripherals/floppy.h"

namespace {

FdcBoard board;

bool image_offset(u32 drive, bool with_byte, u32* out) {
    disk_image_offset(static_cast<int>(drive), with_byte);
    *out = disk_offset;
    // A byte index the guest left beyond its sector still stays inside the image.
    return !disk_invalid && disk_offset < floppy_geometry().image_bytes;
}

// What the window shows of the addressed drive, before an access.
struct Seen {
    u32 drive, mode, byte_index;
    u8 track, sector, status;
};

Seen seen() {
    const u32 d = fdc_current_drive < FLOPPY_DRIVES ? fdc_current_drive : 0;
    return {d, fdc_mode, drives[d].byte_index, drives[d].head_track, drives[d].head_sector,
            fdc.status};
}

// After every access: nothing changed, nothing redrawn; the status, mode or
// byte index, scope 1; the track or sector, scope 2; a window showing
// another drive turns to the addressed one, scope 3.
void redraw_after(const Seen& before) {
    const Seen now = seen();
    const bool moved = now.track != before.track || now.sector != before.sector;
    if (!moved && now.drive == before.drive && now.status == before.status &&
        now.mode == before.mode && now.byte_index == before.byte_index)
        return;
    if (floppy_shown_drive != now.drive) {
        floppy_shown_drive = now.drive;
        floppy_refresh(3, static_cast<int>(now.drive));
    } else {
        floppy_refresh(moved ? 2 : 1, static_cast<int>(now.drive));
    }
}

} // namespace

void fdc_board_install(const FdcBoard& b) {
    board = b;
    const DiskGeometry& g = floppy_geometry();
    Fd1771Host& h = fd1771_host;
    for (int d = 0; d < FD1771_DRIVES; d++) {
        FloppyDrive& f = drives[d];
        h.drives[d] = {&f.present,    &f.spinning,  &f.head_loaded, &f.head_track,
                       &f.head_sector, &f.byte_index, &f.view_offset, f.image, &f.changed};
    }
    h.current_drive = &fdc_current_drive;
    h.mode = &fdc_mode;
    h.verbose = &verbose_log;
    h.highest_track = static_cast<u8>(g.tracks ? g.tracks - 1 : 0);
    h.last_sector = g.sectors;
    h.sector_end_flag = b.sector_end_flag;
    h.offset = image_offset;
    h.write_protected = [](u32 d) { return floppy_write_protected(static_cast<int>(d)); };
    h.watched = [](u32 d, u32 at) { return floppy_watched(static_cast<int>(d), at); };
    h.set_mode = fdc_set_mode;
    h.renew_deadline = floppy_renew_deadline;
    h.spin_up = [](u32 d) { floppy_spin_up(static_cast<int>(d)); };
    h.play = floppy_play;
    h.stop = floppy_stop;
    h.refresh = [](int scope, u32 d) { floppy_refresh(scope, static_cast<int>(d)); };
    h.random = [](u32 n) { return rng_byte(n); };
    h.print = con_printf;
}

void fdc_board_setup(const FdcBoard& b) {
    fdc_board_install(b);
    floppy_drives_reset();
    fdc_reset();
    fdc.step_direction = 0;
    fdc.track_reg = 0;
    fdc.sector_end = 0;
    const int n = floppy_drive_count();
    if (debugger_drive >= n) debugger_drive = n > 0 ? n - 1 : 0;
}

u8 fdc_port_read(u32 reg) {
    const Seen before = seen();
    u8 value = 0;
    switch (reg) {
    case 0:
        value = fdc_read_status();
        break;
    case 1:
        value = fdc_read_track_reg();
        break;
    case 2:
        value = fdc_read_sector_reg();
        break;
    case 3:
        value = fdc_read_data();
        break;
    case 4:
        value = fdc_read_control();
        break;
    default:
        return 0;
    }
    redraw_after(before);
    return value;
}

void fdc_port_write(u32 reg, u8 value) {
    const Seen before = seen();
    switch (reg) {
    case 0:
        fdc_command(value);
        break;
    case 1:
        fdc_write_track_reg(value);
        break;
    case 2:
        fdc_write_sector_reg(value);
        break;
    case 3:
        fdc_write_data(value);
        break;
    case 4:
        floppy_select_drive(value, board.user_drives ? *board.user_drives : FLOPPY_DRIVES,
                            board.spun_down_text);
        break;
    default:
        return;
    }
    redraw_after(before);
}

void fdc_reset() {
    floppy_controller_reset();
    fd1771_reset();
}

void fdc_board_serialise(DiskLayout layout, int n, bool with_id_index, bool with_files) {
    const bool reading = state_reading();
    // The state's machine, not the running one: a state is checked before
    // the machine is switched to it.
    const DiskGeometry& g = disk_geometry(layout);
    const u32 bytes = g.image_bytes;
    for (int d = 0; d < n; d++) {
        FloppyDrive& f = drives[d];
        // A dry read stores nothing: each value checked or used is the
        // field's result, the file's and never the running drive's.
        u8 present = f.present;
        present = state_field_u8(&present);
        if (reading && present > 1) serial_mark_bad("drive state");
        if (present) state_field_bytes(f.image, bytes);
        floppy_file_field(d, present != 0, with_files, layout);
        u8 track = f.head_track, sector = f.head_sector;
        u32 index = f.byte_index;
        u8 protect = floppy_write_protected(d) ? 1 : 0;
        track = state_field_u8(&track);
        sector = state_field_u8(&sector);
        index = state_field_u32_full(&index);
        protect = state_field_u8(&protect);
        if (reading && (track >= g.tracks || sector > g.sectors || index > g.sector_bytes))
            serial_mark_bad("drive head");
        if (state_applying()) {
            f.present = present;
            f.head_track = track;
            f.head_sector = sector;
            f.byte_index = index;
            floppy_set_write_protect(d, protect != 0);
        }
    }
    state_latch_byte_of(&fdc_current_drive, static_cast<u32>(n > 0 ? n - 1 : 0), "drive unit");
    state_latch_byte_of(&fdc_mode, FDC_WRITING, "controller mode");
    if (with_id_index)
        state_latch_byte_of(&fdc.id_index, 6, "controller ID index");
    else if (state_applying())
        fdc.id_index = 0;
    u8 step = static_cast<u8>(fdc.step_direction);
    step = state_field_u8(&step);
    if (reading && step != 0 && step != 1 && step != 255) serial_mark_bad("step direction");
    if (state_applying()) fdc.step_direction = step == 255 ? -1 : step;
    for (int d = 0; d < n; d++) {
        state_field_u8(&drives[d].spinning);
        state_field_u8(&drives[d].head_loaded);
    }
    state_field_u8(&fdc.sector_reg);
    state_field_u8(&fdc.track_reg);
    state_field_u8(&fdc.multiple);
}
