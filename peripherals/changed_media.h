// The media the guest writes on and the user keeps in files: the disks in the
// floppy drives (media 0..3, by drive) and the tape on the PHUNSY's MDCR deck
// (MEDIUM_MDCR). One changed and not saved is never dropped without a word:
// before it goes the user is asked whether to update it first, to let it go
// or (where the operation allows) to keep it; where nobody can be asked (a
// command of the port, a signal, no display) it is named on the console and
// in the reply of the running command.
//
// Every way out names them (core/held_things.h) with the other held things.
//
//   if (!media_release(MEDIUM_MDCR, "Replace")) return; // kept
//   media_changed_text(); // "Changed disks not saved: drive 0 (\"work.raw\")"
#pragma once

#include "core/types.h"
#include "peripherals/floppy.h"

#include <optional>
#include <string>
#include <vector>

constexpr int MEDIUM_MDCR = FLOPPY_DRIVES;
constexpr int MEDIA_DISKS = 1, MEDIA_TAPES = 2;

// The current machine's changed media of `kinds` (MEDIA_DISKS, MEDIA_TAPES)
// named for a message, under a heading ("Changed disks not saved: drive 0
// (\"work.raw\"), drive 1 (a new disk)"; "tapes" for the MDCR tape, "disks
// and tapes" for both); "" when none.
std::string media_changed_text(int kinds = MEDIA_DISKS | MEDIA_TAPES);
// What ending the program does with them (the held things' `lost` and
// `kept`, core/held_things.h): a state holds the disks and no MDCR tape, so
// the autosave, when it is written, brings the changed disks back, changed,
// into the next start; the rest is lost.
// When the autosave due could not be written, the changed disks the older
// autosave brings back (the same drive, of the same file) are left out of
// `lost` and named by media_kept_older_at_end (the held things' `kept_older`).
std::string media_lost_at_end();
std::string media_kept_at_end();
std::string media_kept_older_at_end();
// The kinds of the current machine's changed media (MEDIA_DISKS and
// MEDIA_TAPES, 0 none), and their name for a message: "disks", "tapes",
// "disks and tapes" ("" for 0).
int media_changed_kinds();
const char* media_kinds_name(int kinds);
// Before `medium` goes (replaced, ejected, or dropped by a set-up of the
// machine): true when it may go. One changed and not saved is named, and the
// user may update it first (asked again when that fails or is cancelled),
// let it go with `action`, or keep it (false: Cancel, Escape, the close
// gadget). With nobody to ask it is named on the console and in the reply,
// with the port's commands that save or drop it, and kept
// (Question::changed_medium).
bool media_release(int medium, const char* action);
// Why a load or a set-up that would drop `media` (one bit per medium: 1u <<
// drive, 1u << MEDIUM_MDCR) is refused while they are kept, naming every one:
// "the disk in drive 0 was changed and not saved", "the disks in drives 0
// and 1 and the MDCR tape were changed and not saved". The last such reason
// is kept for media_take_refusal.
std::string media_refusal(u32 media);
// The reason of the last refusal for kept media (a load or a set-up
// refused), forgotten once taken; "" when there was none since. `*media`:
// the media it names, one bit each.
std::string media_take_refusal(u32* media = nullptr);
// How the user saves or drops each changed medium of `media` (one bit each)
// from where the message is read: the port's commands (`port`: "UPDATEDISK 0
// saves it first; EJECTDISK 0 drops its changes", "UPDATEMDCR saves it
// first; EJECTMDCR drops its changes"), else the window's buttons and the
// port's commands beside them, for a message read in the window and on the
// console alike. Several are joined by "; ", each naming its medium.
std::string media_ways_out(u32 media, bool port);
// Every changed medium saved in turn (one never saved asks for a name).
void media_update_all();
// Before a state load or a switch to another machine (which drop the
// media): each changed medium is offered for saving first ("Drop", may be
// kept). With nobody to ask, every changed medium is named at once in one
// report, each with its way on, and all are kept.
// "" when every one may go: those let go unsaved are not asked about again
// by the set-up that follows. Otherwise why the load is refused, naming every
// medium still in the way (media_refusal), and nothing was let go.
std::string media_release_all();
// A switch from the current machine to `new_machine`, or a state loaded,
// after media_release_all: the drives are emptied (floppy_leave_machine) and
// the MDCR tape goes. The machine's own set-up takes no medium out: what
// leaves, leaves here.
void media_leave_machine(u32 new_machine);

// Whether the state file `path` (the autosave) brings back a changed disk
// when it is loaded (floppy_state_brings_changes); false when it is missing
// or would be refused. With `disks`, each drive's such disk by its file
// (floppy_state_brings_changes).
bool media_changed_in_state(const std::string& path,
                            std::optional<std::string> (*disks)[FLOPPY_DRIVES] = nullptr);
// While one lives, a changed medium is kept without asking: whatever would
// let it go (a load, a switch) is refused, for the reason media_refusal gives.
class MediaKeptUnasked {
  public:
    MediaKeptUnasked();
    ~MediaKeptUnasked();
    MediaKeptUnasked(const MediaKeptUnasked&) = delete;
    MediaKeptUnasked& operator=(const MediaKeptUnasked&) = delete;
};

// While one lives, a state is being loaded: it brings its own media (the
// disks it holds, no MDCR tape), so the set-up it makes takes the current
// ones out, even of the machine that runs.
class MediaFromState {
  public:
    MediaFromState();
    ~MediaFromState();
    MediaFromState(const MediaFromState&) = delete;
    MediaFromState& operator=(const MediaFromState&) = delete;
};
// Whether a set-up of `new_machine` takes the current machine's disks and
// MDCR tape out (media_release_all first, then media_leave_machine): a switch
// to another machine and a state load do. A set-up of the machine that runs
// (Reinitialize, a program loaded into it) keeps every medium where it is,
// changed or not, unasked. The papertapes and the cassette stay through
// every switch.
bool media_leave_with(u32 new_machine);
