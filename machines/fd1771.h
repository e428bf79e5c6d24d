// The FD1771 floppy disk controller: command decode, the three status
// layouts, head stepping, sector transfers through the data register, Read
// Address, and the narration of every register access ("verbosedisk").
//
// The chip knows no machine and no drive record: the board points
// fd1771_host at the drives it wires (one Fd1771Drive of field pointers per
// drive), at the controller-side state it shares with other disk interfaces,
// and at the services the chip calls (offsets, deadline, noises, narration,
// redraws). Every command completes at once; data bytes are ready at every
// access. The board maps the registers onto its ports:
//
//   fdc_command(v);          // port 12 write on the BINBUG, 128 on the CD2650
//   u8 s = fdc_read_status(); // the same port read
#pragma once

#include "core/types.h"

constexpr int FD1771_DRIVES = 4;

// Status bits.
constexpr u8 FDC_BUSY = 0x01, FDC_DRQ = 0x02, FDC_INDEX = 0x02, FDC_TRACK0 = 0x04,
             FDC_NOT_FOUND = 0x10, FDC_HEAD = 0x20, FDC_PROTECTED = 0x40, FDC_NOT_READY = 0x80;

// One drive as the controller moves it: the board points these at the
// drive's own record.
struct Fd1771Drive {
    u8* present;
    u8* spinning;
    u8* head_loaded;
    u8* track;
    u8* sector;
    u32* byte_index;
    u32* head_offset; // image offset of the sector under the head, set after every byte
    u8* image;
    u8* changed; // set when a write changes the image
};

struct Fd1771Host {
    Fd1771Drive drives[FD1771_DRIVES];
    u32* current_drive;  // the drive addressed by the drive select
    const u32* mode;     // data mode: 0 idle, 1 reading, 2 writing
    const u32* verbose;  // "verbosedisk"
    u8 highest_track;    // 39 on a BINBUG disk
    u8 last_sector;      // sectors are numbered 1..last_sector
    bool sector_end_flag; // the control register reports a sector end ($40)
    // The image offset of the drive's head track and sector (plus its byte
    // index with `with_byte`); false when that position lies off the disk.
    bool (*offset)(u32 drive, bool with_byte, u32* offset);
    bool (*write_protected)(u32 drive);
    bool (*watched)(u32 drive, u32 offset);
    void (*set_mode)(u32 mode);   // stores the data mode and redraws the drives
    void (*renew_deadline)();     // the addressed drive stays spun up a while
    void (*spin_up)(u32 drive);   // motor on, head loaded
    void (*play)(int effect);     // FD1771_SPIN, FD1771_STEP, FD1771_GRIND
    void (*stop)(int effect);
    void (*refresh)(int scope, u32 drive); // 1 a byte or register, 2 a bigger change
    u8 (*random)(u32 n);                   // a random number below n
    void (*print)(const char* format, ...) __attribute__((format(printf, 1, 2)));
};
extern Fd1771Host fd1771_host;
constexpr int FD1771_SPIN = 6, FD1771_STEP = 7, FD1771_GRIND = 8;

struct Fd1771 {
    u8 status;
    i32 status_type;    // 1, 2, 3 (type I, II, III), -1 none since reset
    i32 status_subtype; // 1 type I, a read, Read Address; 2 a write, Read Track; 3 Write Track
    u8 track_reg, sector_reg, data_reg;
    u8 read_value;      // the last data byte read
    i32 step_direction; // +1 in, -1 out, 0 undefined
    u8 multiple;        // multiple records of the last sector command
    u32 id_index;       // next Read Address byte 1..6, 0 none
    u8 sector_end;      // a transfer passed a sector's end
};
extern Fd1771 fdc;

// Step direction undefined, no Read Address, no status type; registers kept.
void fd1771_reset();

void fdc_command(u8 value);
void fdc_write_track_reg(u8 value);
void fdc_write_sector_reg(u8 value);
void fdc_write_data(u8 value);
u8 fdc_read_status();
u8 fdc_read_track_reg();
// The addressed drive's current sector (not the sector register).
u8 fdc_read_sector_reg();
u8 fdc_read_data();
u8 fdc_read_control();
// Sets the status of `type` and `subtype`; a type I status gets the drive's
// not-ready, head, track-zero and index bits added.
void fdc_set_status(u8 value, i32 type, i32 subtype);
// The bit decode of the status as "verbosedisk" prints it.
void fdc_print_status();
