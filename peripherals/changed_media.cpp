#include "peripherals/changed_media.h"

#include "core/questions.h"

#include "core/held_things.h"
#include "core/helpers.h"
#include "core/filekinds.h"
#include "core/loader.h"
#include "core/machine_table.h"
#include "core/savestate.h"
#include "core/serial.h"
#include "core/message.h"
#include "core/ui_host.h"
#include "peripherals/mdcr.h"
#include "platform/paths.h"

#include <cctype>
#include <vector>

namespace {

constexpr int MEDIA = FLOPPY_DRIVES + 1;

bool is_disk(int medium) {
    return medium >= 0 && medium < FLOPPY_DRIVES;
}

bool changed(int medium) {
    if (is_disk(medium)) return drive_has_disk(medium) && drives[medium].changed;
    return medium == MEDIUM_MDCR && machine_traits().mdcr && mdcr_changed;
}

std::string name(int medium) {
    if (is_disk(medium)) return floppy_disk_name(medium);
    return "\"" + std::string(path_file_part(mdcr_file_name)) + "\"";
}

// "the disk in drive 0", "the MDCR tape"
std::string what(int medium) {
    return is_disk(medium) ? "the disk in drive " + std::to_string(medium) : "the MDCR tape";
}

bool save(int medium) {
    return is_disk(medium) ? disk_save_image(medium) : mdcr_save_image() != 0;
}

// Its changes are let go: nothing asks about them again.
void forget(int medium) {
    if (is_disk(medium))
        drives[medium].changed = 0;
    else
        mdcr_changed = 0;
}

std::string kept_refusal; // the last refusal for a kept medium, until taken
u32 kept_refused;         // the media it names, one bit each


// The changed media, one bit each.
u32 changed_media() {
    u32 media = 0;
    for (int m = 0; m < MEDIA; m++)
        if (changed(m)) media |= 1u << m;
    return media;
}

// What the question about `medium` says: it, why it stands in the way, and
// the way on for where it is read (`action`: the window's button that lets
// it go).
std::string question_text(int medium, const char* action) {
    std::string sentence = what(medium);
    sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
    // A command of the port or a script reads the commands that end it.
    const std::string ways = ui_unattended ? media_ways_out(1u << medium, true)
                                           : (is_disk(medium) ? "Update disk..."
                                                              : "Update MDCR tape") +
                                                 std::string(" saves it first; ") + action +
                                                 " loses the changes";
    return sentence + " (" + name(medium) + ") was changed since it was inserted or updated.\n" +
           ways + ".";
}

// The media of `let_go`, one bit each.
u32 let_go_mask(const bool (&let_go)[MEDIA]) {
    u32 media = 0;
    for (int m = 0; m < MEDIA; m++)
        if (let_go[m]) media |= 1u << m;
    return media;
}

} // namespace

std::string media_refusal(u32 media) {
    std::vector<std::string> drives_named;
    bool tape = false;
    for (int m = 0; m < MEDIA; m++)
        if (media >> m & 1) {
            if (is_disk(m))
                drives_named.push_back(std::to_string(m));
            else
                tape = true;
        }
    std::vector<std::string> items;
    if (drives_named.size() == 1) items.push_back("the disk in drive " + drives_named[0]);
    if (drives_named.size() > 1) items.push_back("the disks in drives " + text_listed(drives_named));
    if (tape) items.push_back("the MDCR tape");
    const bool one = drives_named.size() + (tape ? 1 : 0) == 1;
    kept_refusal = text_listed(items) + (one ? " was" : " were") + " changed and not saved";
    kept_refused = media;
    return kept_refusal;
}

std::string media_take_refusal(u32* media) {
    std::string why;
    why.swap(kept_refusal);
    if (media) *media = kept_refused;
    kept_refused = 0;
    return why;
}

std::string media_ways_out(u32 media, bool port) {
    int count = 0;
    for (int m = 0; m < MEDIA; m++)
        count += media >> m & 1;
    std::string text;
    for (int m = 0; m < MEDIA; m++) {
        if (!(media >> m & 1)) continue;
        // Several: each way names its medium.
        const std::string it = count > 1 ? what(m) : "it", d = std::to_string(m);
        if (!text.empty()) text += "; ";
        if (!is_disk(m))
            text += port ? "UPDATEMDCR saves " + it + " first; EJECTMDCR drops its changes"
                         : "Update MDCR tape in the tape deck window (the port's UPDATEMDCR) "
                           "saves " + it + " first; the port's EJECTMDCR drops its changes";
        else if (port)
            text += "UPDATEDISK " + d + " saves " + it + " first; EJECTDISK " + d +
                    " drops its changes";
        else
            text += "Update disk... in the floppy window (the port's UPDATEDISK " + d + ") saves " +
                    it + " first; Eject disk (EJECTDISK " + d + ") drops its changes";
    }
    return text;
}

int media_changed_kinds() {
    int kinds = 0;
    for (int m = 0; m < MEDIA; m++)
        if (changed(m)) kinds |= is_disk(m) ? MEDIA_DISKS : MEDIA_TAPES;
    return kinds;
}

const char* media_kinds_name(int kinds) {
    switch (kinds) {
    case MEDIA_DISKS:
        return "disks";
    case MEDIA_TAPES:
        return "tapes";
    case MEDIA_DISKS | MEDIA_TAPES:
        return "disks and tapes";
    default:
        return "";
    }
}

// The disks the older autosave brings back (held_older_autosave): each
// changed disk whose drive it holds changed, of the same file; none while
// there is no such autosave.
static u32 disks_kept_older() {
    const std::string older = held_older_autosave();
    std::optional<std::string> in_state[FLOPPY_DRIVES];
    if (older.empty() || !media_changed_in_state(older, &in_state)) return 0;
    u32 drives_kept = 0;
    for (int d = 0; d < FLOPPY_DRIVES; d++)
        if (changed(d) && in_state[d] && *in_state[d] == drives[d].file_name) drives_kept |= 1u << d;
    return drives_kept;
}

// The changed media of `kinds`, the disks of `drive_mask` only.
static std::string changed_text(int kinds, u32 drive_mask) {
    std::string list;
    int named = 0;
    for (int m = 0; m < MEDIA; m++) {
        const int kind = is_disk(m) ? MEDIA_DISKS : MEDIA_TAPES;
        if (!(kinds & kind) || !changed(m) || (is_disk(m) && !(drive_mask >> m & 1))) continue;
        named |= kind;
        if (!list.empty()) list += ", ";
        list += (is_disk(m) ? "drive " + std::to_string(m) : std::string("MDCR tape")) + " (" +
                name(m) + ")";
    }
    if (list.empty()) return "";
    return std::string("Changed ") + media_kinds_name(named) + " not saved: " + list;
}

std::string media_changed_text(int kinds) {
    return changed_text(kinds, ~0u);
}

// A state holds the disks in the drives and no MDCR tape: the autosave
// brings the disks back, changed as they are, and the tape is lost.
std::string media_lost_at_end() {
    if (held_autosave_written()) return media_changed_text(MEDIA_TAPES);
    return changed_text(MEDIA_DISKS | MEDIA_TAPES, ~disks_kept_older());
}

std::string media_kept_older_at_end() {
    return changed_text(MEDIA_DISKS, disks_kept_older());
}

std::string media_kept_at_end() {
    return media_changed_text(MEDIA_DISKS);
}

namespace {
int kept_unasked; // MediaKeptUnasked scopes alive
} // namespace

MediaKeptUnasked::MediaKeptUnasked() {
    kept_unasked++;
}

MediaKeptUnasked::~MediaKeptUnasked() {
    kept_unasked--;
}

bool media_changed_in_state(const std::string& path,
                            std::optional<std::string> (*disks)[FLOPPY_DRIVES]) {
    std::string data;
    if (!file_read_whole(path_to_host(path), &data, load_kind_max_size(KIND_COS))) return false;
    return floppy_state_brings_changes(
        [&data] {
            std::string why;
            const auto* bytes = reinterpret_cast<const u8*>(data.data());
            return state_check(bytes, static_cast<u32>(data.size()), &why);
        },
        disks);
}

bool media_release(int medium, const char* action) {
    if (!changed(medium)) return true;
    if (kept_unasked) return false;
    const char* update = is_disk(medium) ? "Update disk..." : "Update MDCR tape";
    const std::string text = question_text(medium, action);
    // Nobody to ask answers with the last button: Cancel.
    for (;;) {
        const int answer = ui_ask(Question::changed_medium, text, update, action);
        if (answer == 1) {
            if (save(medium)) return true;
            continue; // not saved: asked again
        }
        return answer == 2;
    }
}

void media_update_all() {
    for (int m = 0; m < MEDIA; m++)
        if (changed(m)) save(m);
}

std::string media_release_all() {
    const u32 held = changed_media();
    if (!held) return "";
    if (kept_unasked) return media_refusal(held);
    // Nobody to ask: every one is named at once, with its way on, and kept.
    if (ui_nobody_to_ask()) {
        std::string text;
        for (int m = 0; m < MEDIA; m++)
            if (held >> m & 1) text += (text.empty() ? "" : "\n") + question_text(m, "Drop");
        ui_ask(Question::changed_medium, text, "Update", "Drop");
        return media_refusal(held);
    }
    bool let_go[MEDIA] = {};
    for (int m = 0; m < MEDIA; m++) {
        if (!changed(m)) continue;
        // Kept: what still stands in the way is named, this one and those not asked yet.
        if (!media_release(m, "Drop")) return media_refusal(changed_media() & ~let_go_mask(let_go));
        let_go[m] = changed(m); // not saved: dropped as it is
    }
    // Asked once: the set-up that follows drops them without asking again.
    for (int m = 0; m < MEDIA; m++)
        if (let_go[m]) forget(m);
    return "";
}

void media_leave_machine(u32 new_machine) {
    // The switch asked about every changed medium first (media_release_all),
    // which forgot each one the user let go: none is left changed here.
    floppy_leave_machine(new_machine);
    forget(MEDIUM_MDCR);
    mdcr_reset();
}

namespace {
int states_loading; // MediaFromState scopes alive
} // namespace

MediaFromState::MediaFromState() {
    states_loading++;
}

MediaFromState::~MediaFromState() {
    states_loading--;
}

bool media_leave_with(u32 new_machine) {
    return states_loading > 0 || new_machine != machine;
}
