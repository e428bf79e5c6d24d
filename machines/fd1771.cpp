#include "machines/fd1771.h"

#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"

Fd1771Host fd1771_host;
Fd1771 fdc;

namespace {

const Fd1771Host& h() {
    return fd1771_host;
}

bool verbose() {
    return h().verbose && *h().verbose;
}

u32 drive_number() {
    const u32 d = h().current_drive ? *h().current_drive : 0;
    return d < FD1771_DRIVES ? d : 0;
}

// The addressed drive; a board that wired no such drive gets an empty one.
struct Drive {
    u8 present = 0, spinning = 0, head_loaded = 0, track = 0, sector = 1;
    u32 byte_index = 0, head_offset = 0;
};
Drive no_drive;

u8& present() {
    u8* p = h().drives[drive_number()].present;
    return p ? *p : no_drive.present;
}
u8& spinning() {
    u8* p = h().drives[drive_number()].spinning;
    return p ? *p : no_drive.spinning;
}
u8& head_loaded() {
    u8* p = h().drives[drive_number()].head_loaded;
    return p ? *p : no_drive.head_loaded;
}
u8& head_track() {
    u8* p = h().drives[drive_number()].track;
    return p ? *p : no_drive.track;
}
u8& head_sector() {
    u8* p = h().drives[drive_number()].sector;
    return p ? *p : no_drive.sector;
}
u32& byte_index() {
    u32* p = h().drives[drive_number()].byte_index;
    return p ? *p : no_drive.byte_index;
}
u32& head_offset() {
    u32* p = h().drives[drive_number()].head_offset;
    return p ? *p : no_drive.head_offset;
}

u32 mode() {
    return h().mode ? *h().mode : 0;
}

void print(const char* text) {
    if (h().print) h().print("%s", text);
}

void set_mode(u32 m) {
    if (h().set_mode) h().set_mode(m);
}

void renew() {
    if (h().renew_deadline) h().renew_deadline();
}

void play(int effect) {
    if (h().play) h().play(effect);
}

void stop(int effect) {
    if (h().stop) h().stop(effect);
}

void refresh(int scope) {
    if (h().refresh) h().refresh(scope, drive_number());
}

// The position under the head: false when it lies off the disk.
bool offset(bool with_byte, u32* out) {
    *out = 0;
    return h().offset && h().offset(drive_number(), with_byte, out);
}

bool protected_drive() {
    return h().write_protected && h().write_protected(drive_number());
}

void yes_no(const char* question, bool yes) {
    if (h().print) h().print("%s%s", question, yes ? " Yes\n" : " No\n");
}

// Head load of type I commands by h, of sector commands by E.
void head_load(bool load, bool unload_otherwise) {
    if (load) {
        if (h().spin_up) {
            h().spin_up(drive_number());
        } else {
            spinning() = 1;
            head_loaded() = 1;
        }
    } else if (unload_otherwise) {
        head_loaded() = 0;
    }
}

void disagreement() {
    if (verbose() && fdc.track_reg != head_track())
        h().print("Track register ($%02X) does not agree with actual head position ($%02X)!\n",
                  fdc.track_reg, head_track());
}

void narrate_type1(const char* title, u8 v, bool step, bool seek) {
    if (!verbose()) return;
    h().print(title, v);
    yes_no(" Load head at beginning?", v & 0x08);
    yes_no(" Verify on last track?  ", v & 0x04);
    static const char* const rates[4] = {"12", "12", "20", "40"};
    h().print(" Stepping motor rate:     %s ms between steps\n", rates[v & 3]);
    if (step) yes_no(" Update track register?  ", v & 0x10);
    if (seek) h().print(" Desired track:           %d\n", fdc.data_reg);
}

void type1_status() {
    fdc_set_status(0, 1, 1);
}

void step_in(bool update) {
    fdc.step_direction = 1;
    if (head_track() < h().highest_track) {
        head_track()++;
        play(FD1771_STEP);
    } else if (logillegal && h().print) {
        h().print("Code at $%X attempted to step above track %d!\n\n", cpu_iar, head_track());
    }
    if (update) fdc.track_reg++;
}

void step_out(bool update) {
    fdc.step_direction = -1;
    if (head_track() > 0) {
        head_track()--;
        play(FD1771_STEP);
        if (update) fdc.track_reg--;
    } else if (logillegal && h().print) {
        h().print("Code at $%X attempted to step below track zero!\n\n", cpu_iar);
    }
}

void type1(u8 v) {
    const bool load = v & 0x08, update = v & 0x10;
    switch (v >> 4) {
    case 0: // Restore
        narrate_type1("Restore command ($%02X):\n", v, false, false);
        head_load(load, true);
        if (head_track() != 0) play(FD1771_STEP);
        fdc.track_reg = 0;
        head_track() = 0;
        break;
    case 1: // Seek
        narrate_type1("Seek command ($%02X):\n", v, false, true);
        disagreement();
        head_load(load, true);
        fdc.track_reg = fdc.data_reg;
        head_track() = fdc.data_reg;
        break;
    case 2:
    case 3: // Step
        narrate_type1("Step command ($%02X):\n", v, true, false);
        disagreement();
        if (fdc.step_direction == 0) {
            if (verbose())
                h().print("Code at $%X wants to step in an undefined direction!\n\n", cpu_iar);
            fdc.step_direction = h().random && h().random(2) ? 1 : -1;
        }
        head_load(load, true);
        if (fdc.step_direction > 0)
            step_in(update);
        else
            step_out(update);
        break;
    case 4:
    case 5: // Step In
        narrate_type1("Step In command ($%02X):\n", v, true, false);
        disagreement();
        head_load(load, true);
        step_in(update);
        break;
    default: // Step Out
        narrate_type1("Step Out command ($%02X):\n", v, true, false);
        disagreement();
        head_load(load, true);
        step_out(update);
        break;
    }
    type1_status();
}

void sector_command(u8 v, bool write) {
    if (verbose()) {
        print(write ? "Write Sector command:\n" : "Read Sector command:\n");
        yes_no(" Multiple records?      ", v & 0x10);
        yes_no(" IBM block length?      ", v & 0x08);
        yes_no(" HDL, HLT, 10 msec delay?", v & 0x04);
        if (write) {
            static const char* const marks[4] = {"B", "A", "9", "8"};
            h().print(" Data address mark:       $F%s\n", marks[v & 3]);
        }
        h().print(" Track register:          %d\n", fdc.track_reg);
        disagreement();
        h().print(" Desired sector:          %d\n", fdc.sector_reg);
        if (write) h().print(" Desired data:            %d\n", fdc.data_reg);
    }
    if (!write) fdc.id_index = 0;
    head_load(v & 0x04, false);
    fdc.multiple = (v & 0x10) ? 1 : 0;
    set_mode(write ? 2 : 1);
    byte_index() = 0;
    head_sector() = fdc.sector_reg;
    const i32 subtype = write ? 2 : 1;
    u32 at;
    if (!present()) {
        fdc_set_status(FDC_NOT_READY, 2, subtype);
    } else if (!offset(false, &at)) {
        fdc_set_status(FDC_NOT_FOUND, 2, subtype);
    } else {
        play(FD1771_GRIND);
        fdc_set_status(write && protected_drive() ? FDC_PROTECTED : FDC_DRQ, 2, subtype);
    }
}

void read_address(u8 v) {
    if (verbose()) h().print("Read Address command ($%02X).\n", v);
    head_loaded() = 1;
    set_mode(1);
    if (present()) {
        fdc.sector_reg = head_sector();
        fdc.id_index = 1;
        fdc_set_status(0, 3, 1);
    } else {
        fdc.id_index = 0;
        fdc_set_status(FDC_NOT_READY, 3, 1);
    }
}

void force_interrupt(u8 v) {
    if (verbose()) {
        h().print("Force Interrupt command ($%02X):\n", v);
        yes_no(" Not Ready to Ready transition?", v & 0x01);
        yes_no(" Ready to Not Ready transition?", v & 0x02);
        yes_no(" Index pulse?                  ", v & 0x04);
        yes_no(" Immediate interrupt?          ", v & 0x08);
    }
    if (fdc.status & FDC_BUSY) {
        set_mode(0);
        fdc_set_status(fdc.status & ~FDC_BUSY, 1, 1);
        refresh(2);
    } else {
        fdc_set_status(FDC_HEAD, 1, 1);
    }
}

// A transferred byte: narration and a debugger pause as the watch marks and
// switches say.
void log_and_watch(bool write, u32 at, u8 value, u8 stored) {
    const bool marked = h().watched && h().watched(drive_number(), at);
    bool watched;
    if (write)
        watched = marked && watchwrites &&
                  (watchwrites == 2 || (!protected_drive() && value != stored));
    else
        watched = marked && watchreads;
    if (verbose() || watched) {
        char where[CPU_ADDRESS_TEXT_SIZE], before[CPU_ADDRESS_TEXT_SIZE], name[8];
        cpu_format_address(cpu_iar, where, 1, 0, 15, 1);
        cpu_format_address(cpu_prev_iar, before, 1, 0, 15, 1);
        cpu_char_name(value, name);
        if (h().print)
            h().print(write ? "Instruction at %s (raster %d) wrote $%02X [%s] to floppy byte $%X. "
                              "Previous IAR/PC was %s.\n\n"
                            : "Instruction at %s (raster %d) read $%02X [%s] from floppy byte $%X. "
                              "Previous IAR/PC was %s.\n\n",
                      where, raster_line, value, name, at, before);
    }
    if (watched) dbg_request_pause(PAUSE_BREAK);
}

// After a transferred byte: the next byte, sector or the transfer's end.
void advance() {
    const i32 subtype = fdc.status_subtype;
    if (byte_index() < 255) {
        byte_index()++;
        fdc.sector_end = 0;
        fdc_set_status(FDC_BUSY | FDC_DRQ, 2, subtype);
    } else {
        byte_index() = 0;
        fdc.sector_end = 1;
        bool end = true;
        if (head_sector() >= h().last_sector) {
            head_sector() = 1;
        } else {
            head_sector()++;
            end = !fdc.multiple;
        }
        if (end) {
            set_mode(0);
            fdc_set_status(FDC_DRQ, 2, subtype);
            stop(FD1771_GRIND);
        } else {
            fdc_set_status(FDC_BUSY | FDC_DRQ, 2, subtype);
        }
    }
    u32 at;
    offset(false, &at);
    head_offset() = at;
    refresh(1);
}

bool ready() {
    return present() && spinning() && head_loaded();
}

} // namespace

void fd1771_reset() {
    fdc.step_direction = 0;
    fdc.id_index = 0;
    fdc.status_type = -1;
    fdc.status_subtype = -1;
}

void fdc_set_status(u8 value, i32 type, i32 subtype) {
    if (type == 1) {
        if (!present()) value |= FDC_NOT_READY;
        if (head_loaded()) value |= FDC_HEAD;
        if (head_track() == 0) value |= FDC_TRACK0;
        if (head_sector() == 1 && byte_index() == 0) value |= FDC_INDEX;
    }
    fdc.status = value;
    fdc.status_type = type;
    fdc.status_subtype = subtype;
    if (verbose()) {
        h().print("Setting status register to $%02X:\n", value);
        fdc_print_status();
    }
}

void fdc_print_status() {
    if (!h().print) return;
    const u8 s = fdc.status;
    auto bit = [&](const char* text, int n) { yes_no(text, s >> n & 1); };
    switch (fdc.status_type) {
    case 1:
        bit(" Bit 7: Not ready?       ", 7);
        bit(" Bit 6: Write protected? ", 6);
        bit(" Bit 5: Head engaged?    ", 5);
        bit(" Bit 4: Seek error?      ", 4);
        bit(" Bit 3: CRC error?       ", 3);
        bit(" Bit 2: Track zero?      ", 2);
        bit(" Bit 1: Index?           ", 1);
        bit(" Bit 0: Busy?            ", 0);
        return;
    case 2:
        bit(" Bit 7: Not ready?       ", 7);
        if (fdc.status_subtype == 2) {
            bit(" Bit 6: Write protected? ", 6);
            bit(" Bit 5: Write fault?     ", 5);
        } else {
            h().print("  6..5: Record type:      %d\n", s >> 5 & 3);
        }
        bit(" Bit 4: Record not found?", 4);
        bit(" Bit 3: CRC error?       ", 3);
        break;
    case 3:
        bit(" Bit 7: Not ready?       ", 7);
        if (fdc.status_subtype == 3) {
            bit(" Bit 6: Write protected? ", 6);
            bit(" Bit 5: Write fault?     ", 5);
        } else if (fdc.status_subtype == 1) {
            bit(" Bit 4: ID not found?    ", 4);
            bit(" Bit 3: CRC error?       ", 3);
        }
        break;
    default:
        return;
    }
    bit(" Bit 2: Lost data?       ", 2);
    bit(" Bit 1: DRQ?             ", 1);
    bit(" Bit 0: Busy?            ", 0);
}

void fdc_command(u8 v) {
    if (verbose()) h().print("Code at $%X issued ", cpu_iar);
    const bool read_sector = (v & 0xE3) == 0x80;
    const bool defined = v < 0x80 || read_sector || (v >= 0xA0 && v <= 0xBF) || v == 0xC4 ||
                         (v >= 0xD0 && v <= 0xDF) || v == 0xE4 || v == 0xE5 || v == 0xF4;
    if (!defined) {
        if (verbose()) h().print("undefined command ($%02x)!\n", v);
    } else {
        renew();
        if (v < 0x80)
            type1(v);
        else if (read_sector)
            sector_command(v, false);
        else if (v < 0xC0)
            sector_command(v, true);
        else if (v == 0xC4)
            read_address(v);
        else if (v < 0xE0)
            force_interrupt(v);
        else if (v < 0xF0) {
            if (h().print) {
                h().print("Read Track command ($%02X) (unimplemented!):\n", v);
                yes_no(" Synchronize to AM?      ", !(v & 1));
            }
            fdc_set_status(0, 3, 2);
        } else {
            if (h().print) h().print("Write Track command ($%02X) (unimplemented!)\n", v);
            fdc_set_status(0, 3, 3);
        }
    }
    if (verbose()) print("\n");
}

void fdc_write_track_reg(u8 value) {
    if (verbose()) {
        h().print("Code at $%X changed track register from %d to %d.\n", cpu_iar, fdc.track_reg,
                  value);
        if (value > h().highest_track) print("Track register is out of range!\n");
    }
    fdc.track_reg = value;
}

void fdc_write_sector_reg(u8 value) {
    if (verbose()) {
        h().print("Code at $%X changed desired sector from %d to %d.\n", cpu_iar, fdc.sector_reg,
                  value);
        if (value == 0 || value > h().last_sector) print("Desired sector is out of range!\n");
    }
    fdc.sector_reg = value;
}

u8 fdc_read_status() {
    if (verbose()) {
        h().print("Code at $%X read $%02X from status register:\n", cpu_iar, fdc.status);
        fdc_print_status();
    }
    return fdc.status;
}

u8 fdc_read_track_reg() {
    if (verbose()) h().print("Code at $%X read %d from track register.\n", cpu_iar, fdc.track_reg);
    return fdc.track_reg;
}

u8 fdc_read_sector_reg() {
    const u8 sector = head_sector();
    if (verbose()) h().print("Code at $%X read %d from sector register.\n", cpu_iar, sector);
    return sector;
}

u8 fdc_read_control() {
    u8 value = 0x80;
    if (h().sector_end_flag) {
        value = fdc.sector_end ? 0x40 : 0x80;
        fdc.sector_end = 0;
    }
    if (verbose()) h().print("Code at $%X read $%02X from control register.\n", cpu_iar, value);
    return value;
}

u8 fdc_read_data() {
    if (fdc.id_index != 0 && present() && head_loaded() && mode() == 1) {
        static const char* const names[6] = {"track number", "side number", "sector number",
                                             "sector length", "1st CRC", "2nd CRC"};
        const u32 i = fdc.id_index;
        const u8 id[6] = {head_track(), 0, head_sector(), 16, 0, 0};
        const u8 value = id[i - 1];
        if (verbose()) h().print("Returning %s ($%02X).\n", names[i - 1], value);
        fdc.id_index = i == 6 ? 0 : i + 1;
        fdc.read_value = value;
        return value;
    }
    renew();
    u32 at;
    const bool valid = offset(true, &at);
    u8 value = 0;
    if (ready() && mode() != 1) {
        if (verbose()) print("Reading data register in wrong mode!\n");
    } else if (ready() && valid) {
        value = h().drives[drive_number()].image[at];
        log_and_watch(false, at, value, value);
        advance();
    } else if (mode() == 1) {
        if (!valid) {
            fdc_set_status(FDC_NOT_FOUND, 2, 1);
            if (verbose())
                h().print("Reading from invalid track %d and/or sector %d!\n", head_track(),
                          head_sector());
        } else {
            fdc_set_status(FDC_NOT_READY, 2, 1);
            if (verbose()) {
                if (!spinning()) print("Reading from non-spinning disk!\n");
                if (!present()) print("Reading from empty drive!\n");
                if (!head_loaded()) print("Reading without head loaded!\n");
            }
        }
    } else if (verbose()) {
        print("Reading data register in wrong mode!\n");
    }
    fdc.read_value = value;
    return value;
}

void fdc_write_data(u8 value) {
    renew();
    fdc.data_reg = value;
    if (mode() != 2) {
        if (verbose())
            h().print("Code at $%X wrote $%02X to FD1771 data register.\n", cpu_iar, value);
        return;
    }
    u32 at;
    const bool valid = offset(true, &at);
    if (!ready()) {
        fdc_set_status(FDC_NOT_READY, 2, 2);
        if (verbose()) {
            if (!spinning()) print("Writing to non-spinning disk!\n");
            if (!present()) print("Writing to empty drive!\n");
            if (!head_loaded()) print("Writing without head loaded!\n");
        }
    } else if (!valid) {
        fdc_set_status(FDC_NOT_FOUND, 2, 2);
        if (verbose())
            h().print("Writing to invalid track %d and/or sector %d!\n", head_track(),
                      head_sector());
    } else {
        u8* image = h().drives[drive_number()].image;
        log_and_watch(true, at, value, image[at]);
        if (!protected_drive() && image[at] != value) {
            image[at] = value;
            if (u8* changed = h().drives[drive_number()].changed) *changed = 1;
        }
        advance();
    }
}
