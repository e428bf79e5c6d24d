#include "peripherals/mdcr.h"

#include "core/filekinds.h"
#include "core/files_in_use.h"
#include "core/helpers.h"
#include "core/loader.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/own_outputs.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/debug_state.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

u8 mdcr_image[MDCR_IMAGE_SIZE];
u32 mdcr_blocks;
char mdcr_file_name[513];
u8 mdcr_changed;
u32 mdcr_state, mdcr_forward_state, mdcr_reverse_state;
i32 mdcr_position, mdcr_end = MDCR_EMPTY_END;
u32 mdcr_block;
i32 mdcr_bit_timer;
u32 mdcr_bit_count;
u8 mdcr_checksum, mdcr_shift;
i32 mdcr_write_timer;
u8 mdcr_prev_control, mdcr_control;
u32 mdcr_serial;

namespace {

FileIdentity took; // what the tape's file was when it went on the deck or was last written

constexpr u8 CLOCK = 0x80, DATA = 0x40, SENSOR = 0x20;
constexpr u8 REVERSE = 0x10, FORWARD = 0x20, WRITE = 0x40, WRITE_DATA = 0x80;
constexpr i32 HALF_BIT = 28, BIT_CELL = 56;
constexpr u32 NUMBER_BITS = 24, BLOCK_BITS = 259 * 8;
constexpr u8 PREAMBLE = 170;

void say(const char* text) {
    if (tape_verbose) con_printf("%s", text);
}

// The block under the head, kept to the image.
u32 block_of(i32 offset) {
    const u32 b = static_cast<u32>(offset / MDCR_BLOCK_SPACING);
    return b < MDCR_BLOCKS ? b : MDCR_BLOCKS - 1;
}

u8 block_sum(u32 block) {
    u8 sum = 0;
    for (u32 i = 0; i < MDCR_BLOCK_SIZE; i++)
        sum = static_cast<u8>(sum + mdcr_image[block * MDCR_BLOCK_SIZE + i]);
    return sum;
}

// The guest changed the image: a tape on the deck is now changed.
void wrote() {
    if (mdcr_file_name[0]) mdcr_changed = 1;
}

void set_bits(u8 bits, bool on) {
    u8& s = mdcr_status();
    s = on ? static_cast<u8>(s | bits) : static_cast<u8>(s & ~bits);
}

// The byte of the field being read at bit `count`.
u8 field_byte(bool number, u32 count) {
    const u32 n = count / 8;
    if (number) return n == 1 ? static_cast<u8>(mdcr_block) : PREAMBLE;
    if (n == 0 || n == 258) return PREAMBLE;
    if (n == 1) return mdcr_checksum;
    return mdcr_image[mdcr_block * MDCR_BLOCK_SIZE + (n - 2)];
}

// First half of a bit cell: the clock rises and the data shows (inverted).
void read_half_a(i32 step, bool number) {
    if (mdcr_bit_timer <= HALF_BIT - 1) {
        mdcr_bit_timer += step;
        return;
    }
    set_bits(CLOCK, true);
    const u32 bits = number ? NUMBER_BITS : BLOCK_BITS;
    if (mdcr_bit_count < bits) {
        const bool one = (field_byte(number, mdcr_bit_count) >> (mdcr_bit_count % 8)) & 1;
        set_bits(DATA, !one);
        mdcr_forward_state = number ? MDCR_F_NUMBER_B : MDCR_F_BLOCK_B;
        mdcr_bit_timer += step - HALF_BIT;
    } else {
        mdcr_forward_state = MDCR_F_IDLE;
        say(number ? "MDCR forward state: Number read A -> idle\n"
                   : "MDCR forward state: Block read A -> idle\n");
    }
}

// Second half: the clock falls and the next bit comes.
void read_half_b(i32 step, bool number) {
    if (mdcr_bit_timer <= HALF_BIT - 1) {
        mdcr_bit_timer += step;
        return;
    }
    set_bits(CLOCK, false);
    mdcr_bit_count++;
    mdcr_forward_state = number ? MDCR_F_NUMBER_A : MDCR_F_BLOCK_A;
    mdcr_bit_timer += step - HALF_BIT;
}

void write_active(i32 step) {
    const u8 c = mdcr_control;
    if (!(c & WRITE)) {
        mdcr_forward_state = MDCR_F_IDLE;
        say("End of write. MDCR forward state: Write active -> idle\n");
    }
    mdcr_write_timer += step;
    if (mdcr_write_timer < 42) {
        mdcr_prev_control = c;
        return;
    }
    if (!((c ^ mdcr_prev_control) & WRITE_DATA)) return;
    mdcr_shift = static_cast<u8>(mdcr_shift >> 1);
    if (!(c & WRITE_DATA)) mdcr_shift |= 0x80;
    mdcr_write_timer = 0;
    mdcr_bit_count++;
    if (mdcr_bit_count % 8 != 0) return;
    const u32 n = mdcr_bit_count / 8;
    if (n == 2) {
        mdcr_checksum = static_cast<u8>(-mdcr_shift);
    } else if (n >= 3 && n <= 258) {
        const u32 block = mdcr_block < MDCR_BLOCKS ? mdcr_block : MDCR_BLOCKS - 1;
        mdcr_image[block * MDCR_BLOCK_SIZE + (n - 3)] = mdcr_shift;
        wrote();
        mdcr_checksum = static_cast<u8>(mdcr_checksum + mdcr_shift);
        say("Writing.\n");
    }
}

void forward(i32 step) {
    const u8 c = mdcr_control;
    if (!(c & FORWARD)) {
        mdcr_state = MDCR_IDLE;
        say("MDCR tape stopped. MDCR state: Forward -> idle\n");
        return;
    }
    mdcr_position += step;
    if (mdcr_position >= mdcr_end) {
        mdcr_position = mdcr_end;
        mdcr_state = MDCR_AT_END;
        say("End of MDCR tape reached. MDCR state: Forward -> At end\n");
        return;
    }
    switch (mdcr_forward_state) {
    case MDCR_F_IDLE: {
        if (c & WRITE) {
            mdcr_forward_state = MDCR_F_WRITE;
            say("MDCR tape started. MDCR forward state: Idle -> write\n");
        }
        const i32 p = mdcr_position - MDCR_FIRST_BLOCK;
        if (p < 0) break;
        if (p % MDCR_BLOCK_SPACING <= 5) {
            mdcr_block = block_of(p);
            mdcr_forward_state = MDCR_F_NUMBER_A;
            mdcr_bit_timer = 0;
            mdcr_bit_count = 0;
            say("MDCR forward state: Idle -> number read A\n");
        } else if (mdcr_position >= MDCR_FIRST_BLOCK + MDCR_DATA_OFFSET &&
                   (p - MDCR_DATA_OFFSET) % MDCR_BLOCK_SPACING <= 5) {
            mdcr_block = block_of(p);
            mdcr_forward_state = MDCR_F_BLOCK_A;
            mdcr_bit_timer = 0;
            mdcr_bit_count = 0;
            mdcr_checksum = block_sum(mdcr_block);
            say("MDCR forward state: Idle -> block read A\n");
        }
        break;
    }
    case MDCR_F_NUMBER_A:
        read_half_a(step, true);
        break;
    case MDCR_F_NUMBER_B:
        read_half_b(step, true);
        break;
    case MDCR_F_BLOCK_A:
        read_half_a(step, false);
        break;
    case MDCR_F_BLOCK_B:
        read_half_b(step, false);
        break;
    case MDCR_F_WRITE:
        if (!(c & WRITE)) {
            mdcr_forward_state = MDCR_F_IDLE;
            say("End of write. MDCR forward state: Write -> idle\n");
        } else if (mdcr_position <= 99) {
            mdcr_forward_state = MDCR_F_INIT;
            say("MDCR forward state: Write -> init. Clearing tape!\n");
            std::memset(mdcr_image, 0, sizeof mdcr_image);
            wrote();
        } else if (c & WRITE_DATA) {
            mdcr_forward_state = MDCR_F_WRITE_ACTIVE;
            mdcr_write_timer = 0;
            mdcr_bit_count = 1;
            mdcr_shift = 0;
            say("Detected first bit. MDCR forward state: Write -> write active\n");
        }
        break;
    case MDCR_F_WRITE_ACTIVE:
        write_active(step);
        break;
    default: // init
        if (!(c & WRITE)) {
            mdcr_forward_state = MDCR_F_IDLE;
            say("End of write. MDCR forward state: Init -> idle\n");
        }
        break;
    }
}

void reverse(i32 step) {
    if (!(mdcr_control & REVERSE)) {
        mdcr_state = MDCR_IDLE;
        say("Tape stopped. MDCR state: Reverse -> Idle\n");
        return;
    }
    mdcr_position -= step;
    mdcr_block = mdcr_position > MDCR_FIRST_BLOCK - 1 ? block_of(mdcr_position - MDCR_FIRST_BLOCK) : 0;
    if (mdcr_position > MDCR_FIRST_BLOCK) {
        const i32 o = (mdcr_position - MDCR_FIRST_BLOCK) % MDCR_BLOCK_SPACING;
        const bool clock = o % BIT_CELL <= HALF_BIT - 1;
        switch (mdcr_reverse_state) {
        case MDCR_R_S_GAP:
            if (o < 1333) {
                mdcr_reverse_state = MDCR_R_B_NUMBER;
                say("MDCR reverse state: S gap -> B number\n");
            }
            break;
        case MDCR_R_B_NUMBER:
            set_bits(CLOCK, clock);
            if (o > 140111) {
                mdcr_reverse_state = MDCR_R_L_GAP;
                set_bits(CLOCK, true);
                say("MDCR reverse state: B number -> L gap\n");
            }
            break;
        case MDCR_R_DATA:
            set_bits(CLOCK, clock);
            if (o <= 24999) {
                mdcr_reverse_state = MDCR_R_S_GAP;
                set_bits(CLOCK, true);
                say("MDCR reverse state: Data -> S gap\n");
            }
            break;
        default:
            if (o <= 140110) {
                mdcr_reverse_state = MDCR_R_DATA;
                say("MDCR reverse state: L gap -> data\n");
            }
            break;
        }
    } else {
        if (mdcr_reverse_state != MDCR_R_L_GAP) say("MDCR reverse state: L gap\n");
        mdcr_reverse_state = MDCR_R_L_GAP;
        set_bits(CLOCK, true);
    }
    if (mdcr_position <= 0) {
        mdcr_position = 0;
        mdcr_state = MDCR_AT_START;
        say("MDCR state: Reverse -> at start\n");
    }
}

void changed() {
    mdcr_serial++;
    ui_mark(UI_REFRESH_WINDOWS);
}

void remember_drawer(const char* path) {
    const std::string drawer = std::filesystem::path(path).parent_path().string();
    if (!drawer.empty()) std::snprintf(tapes_path, sizeof tapes_path, "%s", drawer.c_str());
}

} // namespace

u8& mdcr_status() {
    return port_records[256].last_value;
}

void mdcr_clock(u32 cycles) {
    const i32 step = static_cast<i32>(cycles & 0xFFFF);
    switch (mdcr_state) {
    case MDCR_IDLE:
        mdcr_forward_state = MDCR_F_IDLE;
        if (mdcr_control & FORWARD) {
            mdcr_state = MDCR_FORWARD;
            say("MDCR state: Idle -> forward. Forward state: Idle\n");
        } else if (mdcr_control & REVERSE) {
            mdcr_state = MDCR_REVERSE;
            say("MDCR state: Idle -> reverse\n");
        }
        break;
    case MDCR_AT_START:
    case MDCR_AT_END: {
        const bool start = mdcr_state == MDCR_AT_START;
        if (mdcr_control & (start ? REVERSE : FORWARD)) {
            set_bits(SENSOR, true);
        } else {
            mdcr_state = MDCR_IDLE;
            set_bits(SENSOR, false);
            say(start ? "MDCR state: At start -> idle\n" : "MDCR state: At end -> idle\n");
        }
        break;
    }
    case MDCR_FORWARD:
        forward(step);
        break;
    case MDCR_REVERSE:
        reverse(step);
        break;
    default:
        mdcr_state = MDCR_IDLE;
        break;
    }
}

int mdcr_insert_file(const char* path) {
    if (!path || !path[0]) return 0;
    const std::string host = path_to_host(path);
    const std::string elsewhere = medium_holds_already(host, FileUse::mdcr, 0);
    if (!elsewhere.empty()) {
        ui_warning(elsewhere.c_str());
        return 0;
    }
    const FileIdentity file = file_identity_at(host);
    static u8 incoming[MDCR_IMAGE_SIZE];
    std::size_t size = 0;
    const int read = file_read_regular(host, MDCR_IMAGE_SIZE, [&](std::size_t n) {
        size = n;
        return incoming;
    });
    if (read == READ_UNAVAILABLE || (read == READ_OK && size == 0)) {
        ui_warning("Can't open file for input!");
        return 0;
    }
    if (read == READ_TOO_LARGE || (read == READ_OK && size % MDCR_BLOCK_SIZE != 0)) {
        ui_warning("File is wrong size!");
        return 0;
    }
    if (read != READ_OK) {
        ui_warning("Can't read 32K from file!");
        return 0;
    }
    std::memcpy(mdcr_image, incoming, size);
    std::memset(mdcr_image + size, 0, sizeof mdcr_image - size);
    std::snprintf(mdcr_file_name, sizeof mdcr_file_name, "%s", path);
    took = file;
    mdcr_blocks = static_cast<u32>(size / MDCR_BLOCK_SIZE);
    // The end lies after the last block's data field, so every block can be read.
    mdcr_end = MDCR_FIRST_BLOCK + static_cast<i32>(mdcr_blocks) * MDCR_BLOCK_SPACING;
    mdcr_position = 0;
    mdcr_state = MDCR_IDLE;
    mdcr_forward_state = MDCR_F_IDLE;
    mdcr_reverse_state = MDCR_R_L_GAP;
    mdcr_block = 0;
    mdcr_changed = 0;
    changed();
    return 1;
}

int mdcr_load_image(int ask) {
    char chosen[513] = "";
    if (ask) {
        if (ui_host.file_request(cat_str(809, "Insert MDCR Tape"), "#?.MDCR", 0, tapes_path, "",
                                 chosen) != 0)
            return 0;
        remember_drawer(chosen);
    } else {
        std::snprintf(chosen, sizeof chosen, "%s", mdcr_file_name);
    }
    return mdcr_insert_file(chosen);
}

bool mdcr_create_at(const char* path) {
    if (!path || !path[0]) return false;
    static const u8 zeros[MDCR_IMAGE_SIZE] = {};
    std::string error;
    const std::string host = path_to_host(path);
    if (!file_write_replace(host, zeros, sizeof zeros, &error)) {
        ui_warning(file_failure_text("Can't create", host, error).c_str());
        return false;
    }
    mdcr_position = 0;
    mdcr_state = MDCR_IDLE;
    mdcr_block = 0;
    changed();
    return mdcr_insert_file(path) != 0;
}

// The save requester titled `title` for a tape's name, opening in `drawer`
// with `suggested` offered: true with the name chosen in `chosen` (sizeof
// mdcr_file_name bytes), whose drawer is remembered.
static bool ask_tape_name(const char* title, const std::string& drawer, const char* suggested,
                          char* chosen) {
    if (ui_host.save_request(title, "#?.MDCR", drawer.c_str(), suggested,
                             file_suffix_adder(".mdcr"), chosen) != 0)
        return false;
    remember_drawer(chosen);
    return true;
}

void mdcr_create_image() {
    std::string suggested;
    if (load_start_known && game_file_name[0]) {
        suggested = own_output_name(game_file_name, ".mdcr");
    }
    char chosen[sizeof mdcr_file_name] = "";
    if (ask_tape_name(file_kinds[KIND_MDCR].save_title, tapes_path, suggested.c_str(), chosen))
        mdcr_create_at(chosen);
}

int mdcr_save_image() {
    if (!mdcr_file_name[0]) return 0;
    char name[sizeof mdcr_file_name];
    std::snprintf(name, sizeof name, "%s", mdcr_file_name);
    // Over its own file only while that is still the one the tape came from;
    // a name the user chose in the requester is written as chosen.
    for (bool chosen = false;; chosen = true) {
        std::string error;
        const std::string host = path_to_host(name);
        const std::string refusal =
            chosen ? "" : file_identity_refusal("Can't write the MDCR tape back", host, took);
        const FileUseOwnWrite own(FileUse::mdcr);
        if (refusal.empty() &&
            file_write_replace(host, mdcr_image, mdcr_blocks * MDCR_BLOCK_SIZE, &error)) {
            took = file_identity_at(host);
            break;
        }
        ui_warning(refusal.empty() ? file_failure_text("Can't write to", host, error).c_str()
                                   : refusal.c_str());
        // A file that cannot be written (write-protected, on a full or
        // read-only disk): the tape may still go under another name.
        const std::string offered = path_file_part(name);
        if (ui_nobody_to_ask() ||
            !ask_tape_name("Save MDCR Tape", path_folder_of(name), offered.c_str(), name))
            return 0;
    }
    if (std::strcmp(name, mdcr_file_name) != 0) {
        con_printf("The MDCR tape was saved as %s.\n", path_to_host(name).c_str());
        std::snprintf(mdcr_file_name, sizeof mdcr_file_name, "%s", name);
        changed();
    }
    mdcr_changed = 0;
    return 1;
}

const FileIdentity& mdcr_file_identity() {
    return took;
}

void tape_format_seconds(char* text, std::size_t size, i32 cycles) {
    if (!text || size == 0) return;
    const std::int64_t us = static_cast<std::int64_t>(cycles) * 3;
    std::snprintf(text, size, "%d.%06d", static_cast<int>(us / 1000000),
                  static_cast<int>(us % 1000000));
}

void mdcr_reset() {
    mdcr_blocks = 0;
    mdcr_file_name[0] = 0;
    took = FileIdentity{};
    mdcr_changed = 0;
    mdcr_end = MDCR_EMPTY_END;
    mdcr_position = 0;
    std::memset(mdcr_image, 0, sizeof mdcr_image);
    mdcr_stop_deck();
}

void mdcr_eject() {
    mdcr_reset();
    changed();
}

void mdcr_stop_deck() {
    mdcr_state = MDCR_IDLE;
    mdcr_forward_state = MDCR_F_IDLE;
    mdcr_reverse_state = MDCR_R_L_GAP;
    mdcr_block = 0;
    mdcr_bit_timer = 0;
    mdcr_bit_count = 0;
    mdcr_checksum = mdcr_shift = 0;
    mdcr_write_timer = 0;
    mdcr_prev_control = mdcr_control = 0;
}
