// The files the program has in use: the tape in the deck, a papertape in a
// unit, an inserted disk or MDCR tape, the recording being played, the state
// just loaded, the files a recording under way writes. The layers that hold
// them add a lister each at start-up (app_install_hooks); every writer asks
// before it replaces a file (the shared writer in core/serial.cpp, the save
// requesters), so that no output of one writer is ever written over a file
// another one holds. Files are
// told apart by their identity (device and inode), so that a link or another
// spelling of the name is the same file. A file in use that is not there
// yet (an output written when its recording stops) is told by its place: the
// same name in the same folder.
//
//   files_in_use_add(FileUse::tape, tape_files_in_use);  // at start-up
//   file_in_use("/home/me/Games/song.wav");             // "the tape in the deck"
//   { const FileUseOwnWrite own(FileUse::disk); ... }    // a disk's own update
#pragma once

#include "platform/file_identity.h"

#include <string>
#include <utility>
#include <vector>

enum class FileUse : int { tape, papertape, disk, mdcr, playback, state, recording, count };

// One file in use, and what it is for a message ("the tape in the deck").
struct FileInUse {
    FileInUse(std::string w, const FileIdentity& i, std::string p = {})
        : what(std::move(w)), id(i), path(std::move(p)) {}
    std::string what;
    FileIdentity id;
    std::string path; // its host path, for a file not there yet; may be ""
    int unit = -1;    // the drive or unit of a medium that has several
};
using FileUseLister = void (*)(std::vector<FileInUse>* out);

void files_in_use_add(FileUse use, FileUseLister lister);
// Forgets every lister (the application adds them again).
void files_in_use_clear();

// What the file at the host path `host` is to the program ("the tape in the
// deck"), or "" when it is none of the files in use. Where nothing is there,
// a file in use that is not there yet under the same name in the same folder.
// The files of a use whose own write runs now (FileUseOwnWrite) don't count.
std::string file_in_use(const std::string& host);

// Before medium `use` (its drive or unit `unit`; -1: any of its units may
// share a file, as the papertape reader and punch do) takes the file at
// `host`: "" when no other medium holds that file, under whatever name;
// else the warning refusing it, which names the medium that holds it
// ("Can't insert /home/me/work.raw: it is already the disk in drive 0.").
// One file held in two places would lose one holder's changes to the other's.
std::string medium_holds_already(const std::string& host, FileUse use, int unit);
// The drive or unit of medium `use` that holds the file at `host`, -1 when
// none does.
int medium_unit_holding(const std::string& host, FileUse use);

// While one lives, the files of `use` are not counted: the medium (or the
// state saver) writes its own file, as an update or a save over it does.
// With `unit`, only that drive's or unit's: the disk in drive 0 saved under
// another name is still refused the file of the disk in drive 1.
class FileUseOwnWrite {
  public:
    explicit FileUseOwnWrite(FileUse use, int unit = ANY_UNIT);
    ~FileUseOwnWrite();
    FileUseOwnWrite(const FileUseOwnWrite&) = delete;
    FileUseOwnWrite& operator=(const FileUseOwnWrite&) = delete;
    static constexpr int NONE = -2, ANY_UNIT = -1;

  private:
    FileUse use_;
    int was_;
};
