// The mini digital cassette recorder (MDCR) of the PHUNSY: a block-addressed
// digital tape of up to 128 blocks of 256 bytes, held whole in mdcr_image
// (an ".mdcr" file of the blocks one after the other).
//
// The monitor drives it bit by bit: the byte it last wrote to the data port
// is mdcr_control (bit 4 reverse motor, bit 5 forward motor, bit 6 write
// enable, bit 7 write data), and it reads the status in the control port's
// latch (port 256: bit 7 the bit clock, bit 6 the read data inverted, bit 5
// the end-of-tape sensor). mdcr_clock, called before every instruction with
// the cycles of the one before, moves the tape and the state machine.
//
// The tape in processor cycles from its start: block b's number field (170,
// b, 170) begins at 333334 + 233333 b, its data field (170, the checksum, the
// 256 bytes, 170) 25000 cycles later; a bit cell is 56 cycles, least
// significant bit first. Nothing is written back to the file until
// mdcr_save_image; a tape the guest wrote on is marked changed until then, and
// is not dropped unasked (peripherals/changed_media.h).
#pragma once

#include "core/types.h"
#include "platform/file_identity.h"

#include <cstddef>

constexpr u32 MDCR_IMAGE_SIZE = 32768, MDCR_BLOCK_SIZE = 256, MDCR_BLOCKS = 128;
constexpr i32 MDCR_FIRST_BLOCK = 333334, MDCR_BLOCK_SPACING = 233333, MDCR_DATA_OFFSET = 25000;
constexpr i32 MDCR_EMPTY_END = 666668; // the end of the tape without an image

enum MdcrMotion : u32 { MDCR_IDLE, MDCR_AT_START, MDCR_AT_END, MDCR_FORWARD, MDCR_REVERSE };
enum MdcrForward : u32 {
    MDCR_F_IDLE,
    MDCR_F_NUMBER_A,
    MDCR_F_NUMBER_B,
    MDCR_F_BLOCK_A,
    MDCR_F_BLOCK_B,
    MDCR_F_WRITE,
    MDCR_F_WRITE_ACTIVE,
    MDCR_F_INIT,
};
enum MdcrReverse : u32 { MDCR_R_L_GAP, MDCR_R_DATA, MDCR_R_S_GAP, MDCR_R_B_NUMBER };

extern u8 mdcr_image[MDCR_IMAGE_SIZE];
extern u32 mdcr_blocks; // blocks on the tape, 0 without an image
extern char mdcr_file_name[513];
// The guest wrote on the tape since it was inserted, created or updated.
extern u8 mdcr_changed;
extern u32 mdcr_state, mdcr_forward_state, mdcr_reverse_state;
extern i32 mdcr_position, mdcr_end; // processor cycles from the start of the tape
extern u32 mdcr_block;
extern i32 mdcr_bit_timer;
extern u32 mdcr_bit_count;
extern u8 mdcr_checksum, mdcr_shift;
extern i32 mdcr_write_timer;
extern u8 mdcr_prev_control, mdcr_control;
// Counts the changes the deck makes by itself (load, create): the deck
// window redraws everything when it moved.
extern u32 mdcr_serial;

// The status byte the guest reads (the latch of port 256).
u8& mdcr_status();

// One step of `step` processor cycles.
void mdcr_clock(u32 step);

// Inserts the image at `path` (no requester): 1 when it is on the deck; a
// refused file leaves the image, its name, position and state as they were.
// A file another medium holds (a disk, a papertape) is refused.
int mdcr_insert_file(const char* path);
// With `ask` the user chooses an image, else the one named by mdcr_file_name.
int mdcr_load_image(int ask);
// Asks for a name, writes 32768 zero bytes there and loads the new image.
void mdcr_create_image();
bool mdcr_create_at(const char* path);
// Writes the image back over its file: nonzero on success, the tape then
// unchanged (a warning otherwise). Only over the file the tape came from, as
// it was: one removed, replaced or changed since is kept, and the warning
// says so (in the window the tape may go under another name).
int mdcr_save_image();
// The file the tape on the deck came from (or was last written to), as it
// was then.
const FileIdentity& mdcr_file_identity();

// The tape taken off the deck, its changes dropped (the port's EJECTMDCR).
void mdcr_eject();

// "%d.%06d" seconds of `cycles` processor cycles at 3 microseconds each.
void tape_format_seconds(char* text, std::size_t size, i32 cycles);

// No tape, at the start, idle: the deck as the program starts, and as a
// switch or a set-up again leaves it (media_leave_machine).
void mdcr_reset();
// The PHUNSY's set-up: the deck idle, its motors off and nothing being read or
// written; the tape, its place and its file stay.
void mdcr_stop_deck();
