// Text and pictures exchanged with other programs through the clipboard unit
// "clipunit".
//
// Text goes out as an IFF FTXT form holding one CHRS chunk and comes in from
// the CHRS chunks of FTXT forms, typed into the guest's key queue with the
// conversions each terminal machine needs. Pictures (the screen, a printer
// page) are written by their owners as raw IFF bytes through clip_open,
// clip_do_io and clip_close. Every failure of the clipboard is told by a beep.
//
//   clip_text = "HELLO\n"; clip_write_text();   // Copy text
//   clip_paste_text();                         // Paste text
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

constexpr u32 CLIP_READ_PIECE = 5120; // CHRS data is queued in pieces of this size

extern std::string clip_text; // the text clip_write_text writes
extern u8 clip_open_error;    // 0 while a raw connection is open, 0xFF when not

// An FTXT form with one CHRS chunk holding `text` (IFF-85: big-endian sizes,
// odd chunks padded to an even length).
std::vector<u8> iff_ftxt_form(const std::string& text);
// The data of every CHRS chunk of every FTXT form in `iff`, in order (also
// inside CAT and LIST groups). False when the bytes are not an IFF file or a
// chunk runs past its container; what was read before the fault is kept.
bool iff_ftxt_chars(const std::vector<u8>& iff, std::string* out);

// Raw connection for pictures: bytes written between open and close make one clip.
void clip_open();
void clip_do_io(const void* data, u32 length);
void clip_close();

void clip_write_text();
// An empty FTXT form (a CHRS chunk of length 0).
void clip_empty();
// Types the clipboard's text into the key queue of a guest that takes it
// (nothing on another guest, nor while a recording plays back). Why the
// clipboard's text could not be typed (told by a beep too); nullptr when it was.
const char* clip_paste_text();
// Whether the running guest takes pasted text.
bool clip_guest_takes_text();
// Queues one pasted piece with the running machine's conversions; stops at
// the first byte without room (the queue tells the user once).
void clip_queue_piece(const u8* bytes, u32 count);
