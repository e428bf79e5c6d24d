// The files the program wrote at names it made itself (the assembler's
// listing and object file, named after their source; DISGAME's source and the
// debugger's saves, named after the game or given their own suffix; EXTRACT's
// files, named after the disk's; the pictures, animations and sounds
// generated from a recording, named after it), so that
// a later run, also after a restart, replaces its own earlier output without
// asking while any other file at such a name stays the user's. Each output is
// recorded as it is written (own_output_note, right after its write), never
// at the end of the run: a run that ends by any way out (a signal, the
// display going away) has left the record whole for the next. The record
// lives in the program home and holds each file's device, inode, size, a check of its
// contents and its writer, with the device, inode, real place, contents
// (size and check) and folder of what it wrote of. An output is known by
// what it holds, not where it lies: a file reached by another name, moved,
// renamed or copied with its project is still found, and no entry goes for
// its place alone (each write is appended; a record nearing the size the
// previous version reads is cleared of what is no longer on disk); a file the
// user put there later, or changed since, is not the program's any more,
// another writer's output is not this writer's, and an output moved or copied
// alone beside another source of its source's name is not that source's.
//
//   const OwnWriter me{"ASM", source};
//   if (!own_output_may_go(name, me, question)) ... kept ...
//   if (file_write_replace(name, data, size)) own_output_note(name, data, size, me);
#pragma once

#include <cstddef>
#include <string>

// Who wrote an output, and of what. A writer replaces without asking only
// its own earlier output of the same thing: the assembler ("ASM", of its
// source) its listing and object file of that source; a recording's
// generated outputs ("PLAYBACK", of the recording) those of that recording;
// a saver (a debugger command by its first name, "DISGAME", "EXTRACT", the
// pictures "PICTURE") what it saved at that name, `of` empty. Another
// command's output at the name is no more its own than the user's file is.
struct OwnWriter {
    std::string who;
    std::string of; // its name, as spelled; "" where the name itself is the thing
};

// True when the file at `host` (its links followed) holds exactly what
// own_output_note recorded `writer` writing, wherever it was written (moved,
// renamed, copied), and has no second name (a hard link the user made keeps a
// copy that a write in place would change). What the writer wrote of is the
// same thing when it is the same file (however its name is spelled: a link,
// "./", ".."; renamed or moved), a copy of it (holding what it held when the
// output was written: the source of a project copied whole), or a file of
// its name in its folder, wherever that folder went (an editor's new file at
// its place, in a project moved or renamed). Outputs that came with their
// project are its own whatever became of the source: every output of one
// write beside a source of its name, each as written (a project moved or
// copied whole, to any filesystem, its source edited since), or the one
// output of a one-output write whose source's folder left its place (the
// project moved). A source of the same name elsewhere is another thing (a
// listing copied alone beside it is the user's), and so is a source of
// another name: the listing of a.asm is not
// the assembler's own output of a.s. An entry of a record written
// before writers were kept names no writer: it is the output of the one
// writer that makes files of its suffix (a listing the assembler's), and
// where several can, nobody's own (the next write there asks once, then the
// file is that writer's).
bool own_output_is(const std::string& host, const OwnWriter& writer);
// The writer of an entry of a record written before writers were kept, the
// file at `path`: the one writer that makes files of its suffix (a listing
// the assembler, a sound a playback), "" where several can (an object file
// is the assembler's or a saver's, a PNG a playback's or a picture saver's,
// an ILBM also the printer's page, a text the printer's).
const char* own_output_upgraded_writer(const std::string& path);
// What a message says of the file at `host` that is not the writer's own:
// `other` ("is not the assembler's own output of p.asm"), or, for an output
// that an earlier version recorded without its writer, that it
// "was written by an earlier version of the program, which did not record
// which command wrote it".
std::string own_output_not_own(const std::string& host, const std::string& other);
// Before `writer` puts its file at `host`, a name it made itself rather than
// one the user gave (after its source or the game, or with its own suffix in
// place of the one typed): true when nothing is there, or only its own earlier
// output. Any other file is asked about in the window (Replace|Keep, Keep
// under Return and Escape; `question` says what is at stake), and with nobody
// to ask it stays: false when it stays.
bool own_output_may_go(const std::string& host, const OwnWriter& writer,
                       const std::string& question);
// The same for a name typed whole (its suffix given, or none to be added):
// only in the window is a file there that is not `writer`'s own earlier
// output asked about; from the port, a script or a batch run (nobody to ask,
// or no window) the name is written as given.
bool own_output_typed_may_go(const std::string& host, const OwnWriter& writer,
                             const std::string& question);
// Why `given`, a file name typed for a writer that puts its own suffix to
// it, names no file: its file part is empty or starts with a dot (".hidden"
// would be written as a hidden file named only by the suffix). "" when it
// names one, or is empty (no name typed: the writer names the file itself).
std::string own_output_name_refusal(const char* given);
// The one naming rule of every writer that names its own file (each debugger
// saver, IM, DISGAME, the assembler's listing and object, the printer's
// pages, the pictures and sounds of a recording): `base` (the name typed, or
// the game's, source's or recording's) with the writer's own `suffix` in
// place of the suffix it carries, `infix` before it. A name that already ends
// in `suffix`, in any letter case, keeps it as typed; a dot in a drawer's name
// is no suffix. With it a name typed with another kind's suffix ("a.txt",
// "q2.eof") never lands on that file, and own_output_may_go decides what may
// be at the name made.
std::string own_output_name(const std::string& base, const char* suffix, const char* infix = "");
// Whether `written`, the name a command writes, was made by the command
// rather than given: no name was `given`, the command put its suffix on a
// name typed without one, or the suffix typed was put aside for its own. Only
// a name typed whole, with the command's own suffix, is given.
bool own_output_name_made(const char* given, const std::string& written);
// Records the file at `host` that `writer` just wrote with these `size`
// bytes. A record that cannot be written is no harm: the next run asks.
void own_output_note(const std::string& host, const void* data, std::size_t size,
                     const OwnWriter& writer);
// The same for a file written by other means, read back from `host`.
void own_output_note_file(const std::string& host, const OwnWriter& writer);
