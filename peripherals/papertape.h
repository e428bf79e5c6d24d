// The two papertape units. Unit 0 is the teletype's reader and punch of the
// PIPBUG, BINBUG and TWIN (the terminal punches what it prints while the
// punch runs); unit 1 is the TWIN's high-speed reader.
//
// A tape is a ".pap" file of at most 32768 bytes, one byte per frame, held
// whole in papertape_buffer while it is in a unit. A tape something was
// punched on is written back over its file (through a temporary file, so a
// failed write keeps the old one) when the unit is closed, and only while
// that file is still the one the tape came from, unchanged since: a file
// removed, replaced or rewritten by another program meanwhile is named in a
// warning. A tape that cannot go back stays in its unit, frames and all, so
// that it can be ejected again (once space was freed; a file named as
// changed is then written all the same by Eject, and by nothing else). A
// tape only read, and the TWIN's
// reader (which never punches), leave their files as they are.
#pragma once

#include "core/types.h"
#include "platform/file_identity.h"

constexpr int PAPERTAPE_UNITS = 2;
constexpr u32 PAPERTAPE_SIZE = 32768;
constexpr int PAPERTAPE_NAME_SIZE = 513;

enum PapertapeState : u32 {
    TAPE_EMPTY = 0,
    TAPE_STOPPED = 1,
    TAPE_READING = 2,
    TAPE_PUNCHING = 3,
};

extern u32 papertape_state[PAPERTAPE_UNITS];
extern u8 papertape_buffer[PAPERTAPE_UNITS][PAPERTAPE_SIZE];
extern u32 papertape_length[PAPERTAPE_UNITS];
extern u32 papertape_position[PAPERTAPE_UNITS];
extern char papertape_file_name[PAPERTAPE_UNITS][PAPERTAPE_NAME_SIZE]; // host path
extern u8 papertape_last_byte[PAPERTAPE_UNITS]; // the frame each unit read or punched last

// Inserts the tape named by papertape_file_name[u] (with `ask`, the one the
// user chooses). 1 on success; otherwise a warning and the unit unchanged.
int papertape_load(int ask, int u);
// Inserts the file at `path` (no requester); 1 on success. A tape punched
// on and still in a unit (this one or the other) that came from the same
// file, under this name or another (a link, a second hard link), goes back
// to it first, staying where it is, so that the tape read in holds what was
// punched; while it cannot go back the insert is refused. So is a file that
// another medium holds (a disk, the MDCR tape, the cassette).
int papertape_insert(int u, const char* path);
// A new, empty tape under a name the user chooses; papertape_create_at with a
// name already chosen. The file exists (empty) from then on; a file that
// cannot be made is named in a warning with the system's reason.
void papertape_create(int u);
bool papertape_create_at(int u, const char* path);
void papertape_stop(int u);
// Empties the unit, writing a punched tape back over its file first. False
// (with a warning naming the file and why) when it was not written: the file
// is then left as it is, and the tape stays in the unit. A file that changed
// since the tape went in is never written over.
bool papertape_close(int u);
// The window's Eject: papertape_close, except that a file the user was
// already warned had changed is written over all the same.
bool papertape_eject(int u);
// Whether unit u holds a punched tape that is not going back to its file as
// things stand: its last write-back failed, or the file changed since.
bool papertape_held_back(int u);
// The file the tape in unit u came from (or last went back to), as it was then.
const FileIdentity& papertape_file_identity(int u);
void papertape_punch_run(int u);
void papertape_read_run(int u);
// One frame through the punch of unit 0 (the terminal's copy): honours
// "writeprotect4" and stops the unit at the end of the tape.
void papertape_punch(u8 c);
// The next frame from a reading unit, advancing; 128 when the unit is not
// reading. Reaching the end of the tape stops the unit.
u8 papertape_read(int u);
// The window title: "Papertape Unit(s)" and the tapes' file names (of both
// units when the machine has two).
void papertape_title(char* out, int size);
// The unit's picture, 228 x 180 colour indices (row-major), as the
// papertape window shows it: the nine frames around the position with
// their holes and characters, the arrow at the current frame and dotted
// lines at the ends of the tape.
constexpr int PAPERTAPE_PICTURE_WIDTH = 228, PAPERTAPE_PICTURE_HEIGHT = 180;
extern u8 papertape_picture[PAPERTAPE_UNITS][PAPERTAPE_PICTURE_WIDTH * PAPERTAPE_PICTURE_HEIGHT];
// Draws unit u's picture (the papertape window shows it when refreshed).
void papertape_draw_holes(int u);
// Both units empty (no file written). Test support: the program starts there.
void papertape_reset();
