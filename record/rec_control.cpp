// Recording control: starting and stopping input recordings with every
// generated output, the still pictures and the animations' per-frame writers.
#include "record/recorder.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/files_in_use.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/helpers.h"
#include "core/loader.h"
#include "core/machine_table.h"
#include "core/machine_titles.h"
#include "core/notify.h"
#include "core/own_outputs.h"
#include "core/questions.h"
#include "core/savestate.h"
#include "core/serial.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "display/controls_panel.h"
#include "platform/paths.h"
#include "record/rec_formats.h"
#include "record/rec_stream.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

char rec_picture_name[FILE_NAME_SIZE];

namespace {
// Whether a recording's outputs are generated; the recording, as it was named
// when they began (a load that fails meanwhile names another file), and what
// stood at each output's name then.
bool generating = false;
std::string generating_name;
std::vector<std::pair<std::string, FileIdentity>> outputs_found;
// Why the last save, picture or recording asked for did nothing, or what of
// a recording was not written; until taken.
std::string refusal;

// The writer of the outputs generated from `recording`: its playback (or
// its recording under way), of that recording.
OwnWriter playback_of(const char* recording) {
    return {"PLAYBACK", rec_host_path(recording[0] ? recording : "Untitled", games_path)};
}

// The pictures saved at names the program made (SAVEILBM .. SAVEPNG and
// their animations, the game's name with the kind's suffix).
const OwnWriter picture_saver{"PICTURE", ""};

// Whether the file that appeared at the output `path` while its recording
// ran stays (the output is then not written): the user is asked, Return
// keeping it; nobody to ask keeps it and says so. False for every other file.
bool output_kept(const std::string& path) {
    for (const auto& [output, found] : outputs_found) {
        if (output != path) continue;
        int error;
        if (found.known ? file_identity_fate(path, found, false, &error) != FileFate::replaced
                        : !file_identity_at(path).known)
            return false;
        if (own_output_is(path, playback_of(generating_name.c_str())))
            return false; // an earlier output of this recording's, unchanged
        const std::string question =
            path + " appeared while the recording ran.\nReplace it with the recording's output, "
                   "or keep it (the output is not written: playing the recording makes it again)?";
        return ui_ask(Question::output_appeared, question) != 1;
    }
    return false;
}

// The animations a picture command began, until each is written whole.
std::set<std::string> animations_saved;

// A generated output just written at `path` is recorded as the program's
// own, so that the next playback of its recording replaces it without
// asking; an animation a picture command saved, as that saver's. Other
// files of the recorders (sounds recorded by name) are not.
void note_generated(const std::string& path) {
    if (animations_saved.erase(path)) return own_output_note_file(path, picture_saver);
    if (!generating) return;
    for (const auto& found : outputs_found)
        if (found.first == path)
            return own_output_note_file(path, playback_of(generating_name.c_str()));
}
} // namespace

// ---- streams -----------------------------------------------------------------------
// A file of the recorders that was not written: the warning, whose text (the
// first since the last take, without its exclamation mark) is the reason
// rec_take_refusal gives.
static void write_failed(const std::string& text) {
    if (refusal.empty()) refusal = text.substr(0, text.size() - (text.back() == '!'));
    ui_warning(text.c_str());
}

// A failure of the file replacement, the file named once.
static void warn_replace_error(const std::string& path, const std::string& error) {
    write_failed(file_failure_text("Can't write to", path, error));
}

bool RecStream::open(const std::string& host_path) {
    discard();
    path = host_path;
    failed = false;
    first_errno = 0;
    const std::size_t slash = host_path.rfind('/');
    if (slash != std::string::npos && slash > 0) path_make_dirs(host_path.substr(0, slash));
    std::string error;
    if (!file_replace_open(host_path, &replacement, &error)) {
        warn_replace_error(host_path, error);
        return false;
    }
    // Where the new file has a name, an interrupted run removes it on its way out.
    if (!replacement.temp.empty()) app_exit_remove_file(replacement.temp);
    // The stream works on its own descriptor; the replacement keeps the one
    // it names and renames at the end.
    const int fd = ::dup(replacement.fd);
    file = fd >= 0 ? ::fdopen(fd, "w+b") : nullptr;
    if (!file) {
        if (fd >= 0) ::close(fd);
        forget_replacement();
        file_replace_abandon(&replacement);
        write_failed("Can't write to " + host_path + ": " + std::strerror(errno) + "!");
        return false;
    }
    return true;
}

void RecStream::fail() {
    if (!failed || !first_errno) first_errno = errno;
    failed = true;
}

void RecStream::write(const void* data, std::size_t size) {
    if (!file || size == 0) return;
    if (std::fwrite(data, 1, size, file) != size) fail();
}

void RecStream::patch(std::size_t at, const void* data, std::size_t size) {
    if (!file) return;
    if (std::fseek(file, static_cast<long>(at), SEEK_SET) != 0) fail();
    write(data, size);
    std::fseek(file, 0, SEEK_END);
}

void RecStream::patch(const RecPatch& p) {
    patch(p.at, p.bytes.data(), p.bytes.size());
}

long RecStream::size() {
    if (!file) return 0;
    if (std::fseek(file, 0, SEEK_END) != 0) fail();
    return std::ftell(file);
}

bool RecStream::close() {
    if (!file) return false;
    if (!failed && std::fflush(file) != 0) fail();
    if (std::fclose(file) != 0 && !failed) fail();
    file = nullptr;
    forget_replacement();
    if (failed) {
        file_replace_abandon(&replacement);
        // The system's reason where it gave one (a full disk, a lost drive).
        write_failed("Can't write to " + path +
                     (first_errno ? ": " + file_replace_reason(replacement, first_errno) : "") + "!");
        return false;
    }
    if (output_kept(path)) {
        file_replace_abandon(&replacement);
        return false;
    }
    std::string error;
    if (file_replace_commit(&replacement, &error, false)) {
        note_generated(path);
        return true;
    }
    warn_replace_error(path, error);
    return false;
}

void RecStream::discard() {
    if (!file) return;
    std::fclose(file);
    file = nullptr;
    forget_replacement();
    file_replace_abandon(&replacement);
}

void RecStream::forget_replacement() {
    if (!replacement.temp.empty()) app_exit_forget_file(replacement.temp);
}

std::string rec_host_path(const char* name, const char* drawer) {
    if (std::strchr(name, '/') || std::strchr(name, ':')) return path_to_host(name);
    std::string dir = path_to_host(drawer);
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + name;
}

bool rec_write_file(const std::string& host_path, const void* data, std::size_t size) {
    if (output_kept(host_path)) return false;
    // A drawer named in the settings is made when it does not exist yet.
    const std::size_t slash = host_path.rfind('/');
    if (slash != std::string::npos && slash > 0) path_make_dirs(host_path.substr(0, slash));
    std::string error;
    if (file_write_replace(host_path, data, size, &error, false)) {
        note_generated(host_path);
        return true;
    }
    warn_replace_error(host_path, error);
    return false;
}

// ---- animations ----------------------------------------------------------------------
namespace {
struct Animations {
    RecStream gif, apng, mng, anim;
    GifAnimation gif_writer;
    ApngAnimation apng_writer;
    MngAnimation mng_writer;
    IffAnimation anim_writer;
};
Animations anims;

std::string title() {
    return machine_title(machine);
}

} // namespace

namespace {
// The output of `kind` for the recording named `recording`.
std::string generated_path(const char* recording, int kind, const char* infix) {
    const std::string name =
        own_output_name(recording[0] ? recording : "Untitled", file_kinds[kind].extension, infix);
    return rec_host_path(name.c_str(), games_path);
}
} // namespace

std::string rec_generated_path(int kind, const char* infix) {
    return generated_path(generating ? generating_name.c_str() : file_name_buffer, kind, infix);
}

std::vector<std::string> rec_generated_files(const char* recording, bool psg) {
    std::vector<std::string> files;
    const auto add = [&](int kind, const char* infix = "") {
        files.push_back(generated_path(recording, kind, infix));
    };
    for (const char* infix : {"-1", "-2"}) {
        if (psg && generatepsg) add(KIND_PSG, infix);
        if (psg && generateym) add(KIND_YM, infix);
    }
    if (generatemidi) add(KIND_MIDI);
    if (generatesmus) add(KIND_SMUS);
    if (generate8svx) add(KIND_8SVX);
    if (generateaiff) add(KIND_AIFF);
    if (generatewav) add(KIND_WAV);
    if (generatemng) add(KIND_MNG);
    if (generatepng) add(KIND_PNG);
    if (generategif) add(KIND_GIF);
    if (generateanim) add(KIND_ANIM);
    return files;
}

std::string rec_outputs_refusal(const char* recording, bool psg) {
    // Every output in the way is gathered first, so that one refusal names
    // them all: the files in use, and the files that are not this playback's
    // own earlier outputs (plain ones, and those with a clause of whose they are).
    std::vector<std::string> in_use, others, named;
    std::vector<std::pair<std::string, std::string>> not_own; // path, whose ("" plain)
    for (const std::string& path : rec_generated_files(recording, psg)) {
        if (const std::string use = file_in_use(path); !use.empty()) {
            in_use.push_back(path + " is " + use);
            continue;
        }
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || own_output_is(path, playback_of(recording)))
            continue;
        // An earlier version's output is named as one.
        const std::string whose = own_output_not_own(path, "");
        not_own.emplace_back(path, whose);
        if (whose.empty())
            others.push_back(path);
        else
            named.push_back(path + " exists, " + whose);
    }
    const std::string recorded = path_file_part(recording);
    std::string in_use_why;
    if (!in_use.empty()) {
        in_use_why = text_listed(in_use) + ": no output of the playback of " + recorded +
                     " is written over " + (in_use.size() > 1 ? "them" : "it");
        if (!ui_nobody_to_ask()) ui_warning(("Not played: " + in_use_why + ".").c_str());
        if (!ui_nobody_to_ask() || not_own.empty()) return in_use_why;
    }
    if (not_own.empty()) return "";
    if (ui_nobody_to_ask()) {
        const bool one = not_own.size() == 1;
        std::string why = in_use_why.empty() ? "" : in_use_why + "; ";
        if (!others.empty())
            why += text_listed(others) + (others.size() > 1 ? " exist" : " exists");
        for (const std::string& clause : named)
            why += (why.empty() || why.back() == ' ' ? "" : "; ") + clause;
        // After a clause of whose a file is, a comma closes it.
        return why + (named.empty() ? " and" : ", and") + " nobody can be asked to replace " +
               (one ? "it" : "them") + ": the playback of " + recorded +
               " generates its files there, and " +
               (one ? "that file is not one it wrote" : "those files are not ones it wrote") +
               ". Move or rename " + (one ? "it" : "them") + " (or the recording) and play it again";
    }
    for (const auto& [path, whose] : not_own) {
        const std::string question = std::string(path_file_part(path.c_str())) +
                                     " already exists" + (whose.empty() ? "" : " and " + whose) +
                                     ".\nThe playback generates it anew: replace it?";
        if (ui_ask(Question::replace_file, question) != 1)
            return path + " exists and was kept";
    }
    return "";
}

namespace {
void compress_failed() {
    write_failed("Can't write to PNG file!");
    rec_stop_all();
}

bool start_animation(int kind, const std::string& path) {
    const RecPicture pic = rec_grab_picture();
    if (pic.width == 0 || pic.height == 0) return false;
    const double rate = frame_clock().rate;
    RecStream* s = nullptr;
    std::vector<u8> bytes;
    switch (kind) {
    case KIND_GIF:
        s = &anims.gif;
        bytes = anims.gif_writer.begin(pic, title(), rate);
        break;
    case KIND_PNG:
        s = &anims.apng;
        bytes = anims.apng_writer.begin(pic, rate);
        break;
    case KIND_MNG:
        s = &anims.mng;
        bytes = anims.mng_writer.begin(pic, rate);
        break;
    case KIND_ANIM:
        s = &anims.anim;
        bytes = anims.anim_writer.begin(pic, generate8svx != 0, rate);
        break;
    default:
        return false;
    }
    if (bytes.empty()) {
        compress_failed();
        return false;
    }
    if (!s->open(path)) return false; // not written: the per-frame writer skips it
    s->write(bytes);
    return true;
}

// Appends the bytes of the next frame; empty bytes mean compressing failed.
template <typename Writer>
void append_frame(RecStream& s, Writer& w, bool compressed) {
    if (!s.is_open()) return;
    const RecPicture pic = rec_grab_picture();
    const std::vector<u8> bytes = w.frame(pic);
    if (bytes.empty()) {
        if (compressed) compress_failed();
        return;
    }
    s.write(bytes);
}

// The sound recorded beside an ANIM becomes its first chunk.
void close_anim() {
    if (!anims.anim.is_open()) return;
    anims.anim.write(anims.anim_writer.finish());
    std::string svx;
    if (generate8svx) {
        const std::string svx_path = rec_generated_path(KIND_8SVX, "");
        if (!file_read_whole(svx_path, &svx, 1u << 30)) svx.clear();
        if (svx.size() & 1) svx.push_back('\0');
    }
    const long size = anims.anim.size();
    if (svx.empty()) {
        u8 be[4] = {u8(u32(size - 8) >> 24), u8(u32(size - 8) >> 16), u8(u32(size - 8) >> 8),
                    u8(size - 8)};
        anims.anim.patch(4, be, 4);
        anims.anim.close();
        return;
    }
    // Rebuild with the 8SVX form after the ANIM header.
    std::vector<u8> rest(static_cast<std::size_t>(size > 12 ? size - 12 : 0));
    if (std::fseek(anims.anim.file, 12, SEEK_SET) != 0 ||
        std::fread(rest.data(), 1, rest.size(), anims.anim.file) != rest.size())
        anims.anim.fail();
    if (anims.anim.failed) {
        anims.anim.close(); // warns with the reason and leaves no file
        return;
    }
    std::vector<u8> whole;
    rec_bytes::id(whole, "FORM");
    rec_bytes::be32(whole, static_cast<u32>(4 + svx.size() + rest.size()));
    rec_bytes::id(whole, "ANIM");
    whole.insert(whole.end(), svx.begin(), svx.end());
    whole.insert(whole.end(), rest.begin(), rest.end());
    const std::string path = anims.anim.path;
    anims.anim.discard();
    rec_write_file(path, whole.data(), whole.size());
}

void close_animations() {
    close_anim();
    if (anims.gif.is_open()) {
        RecPatch p;
        anims.gif.write(anims.gif_writer.finish(&p));
        anims.gif.patch(p);
        anims.gif.close();
    }
    if (anims.mng.is_open()) {
        RecPatch p;
        anims.mng.write(anims.mng_writer.finish(&p));
        anims.mng.patch(p);
        anims.mng.close();
    }
    if (anims.apng.is_open()) {
        RecPatch p;
        anims.apng.write(anims.apng_writer.finish(&p));
        anims.apng.patch(p);
        anims.apng.close();
    }
}
} // namespace

void rec_png_frame() {
    append_frame(anims.apng, anims.apng_writer, true);
}
void rec_anim_frame() {
    append_frame(anims.anim, anims.anim_writer, false);
}
void rec_gif_frame() {
    append_frame(anims.gif, anims.gif_writer, false);
}
void rec_mng_frame() {
    append_frame(anims.mng, anims.mng_writer, true);
}

// ---- stills ------------------------------------------------------------------------
namespace {
// The name a picture is written under: a name that already says the kind
// keeps it ("picture.lbm", and "picture.iff" for an ILBM, the usual suffix of
// IFF pictures); any other gets the kind's suffix.
std::string picture_name(int kind, const std::string& name) {
    const char* alt = file_kinds[kind].alt_extension;
    if ((alt && file_name_ends_with(name.c_str(), alt)) ||
        (kind == KIND_ILBM && file_name_ends_with(name.c_str(), ".iff")))
        return name;
    return own_output_name(name, file_kinds[kind].extension);
}
} // namespace

bool rec_save_picture(int kind, int ask, int to_clipboard, int animation) {
    const bool still = kind >= KIND_ILBM && kind <= KIND_PNG;
    const bool animated = kind == KIND_ANIM || kind == KIND_MNG ||
                          (animation && (kind == KIND_GIF || kind == KIND_PNG));
    if (!still && !animated) return false;
    if (to_clipboard) {
        // Every kind goes to the clipboard as the IFF picture it takes.
        const std::vector<u8> iff = iff_picture(rec_grab_picture(), false, title());
        ui_host.clip_iff(iff.data(), iff.size());
        return true;
    }
    char name[FILE_NAME_SIZE];
    if (ask) {
        char file[FILE_NAME_SIZE];
        const char* part =
            path_file_part(rec_picture_name[0] ? rec_picture_name : file_name_buffer);
        std::snprintf(file, sizeof file, "%s",
                      part[0] ? own_output_name(part, file_kinds[kind].extension).c_str() : "");
        if (ui_host.save_request(
                file_kinds[kind].save_title, file_kinds[kind].pattern, screenshots_path, file,
                [kind](const std::string& n) { return picture_name(kind, n); }, name) != 0)
            return false;
    } else if (rec_picture_name[0]) {
        std::snprintf(name, sizeof name, "%s", rec_picture_name);
    } else {
        const char* part = path_file_part(file_name_buffer);
        std::snprintf(
            name, sizeof name, "%s",
            own_output_name(part[0] ? part : "Untitled", file_kinds[kind].extension).c_str());
    }
    const std::string path = rec_host_path(picture_name(kind, name).c_str(), screenshots_path);
    // A name made here (the game's, or the picture's suffix in place of the
    // one typed) replaces only an earlier picture of the program's.
    const bool made = !ask && own_output_name_made(rec_picture_name, path);
    if (made) {
        const std::string whose =
            own_output_not_own(path, "is not an earlier picture of the program's");
        if (!own_output_may_go(path, picture_saver,
                               path + " is in the place of the picture, and it " + whose +
                                   ".\nReplace loses that file; Keep leaves it as it is.")) {
            write_failed("Kept " + path + ": the picture goes there, and that file " + whose + "!");
            return false;
        }
    }
    if (animated) {
        if (!start_animation(kind, path)) return false;
        animations_saved.insert(path);
        return true;
    }
    const std::vector<u8> bytes = rec_encode_still(kind, rec_grab_picture(), title());
    if (bytes.empty()) {
        write_failed("Can't write to PNG file!");
        return false;
    }
    if (!rec_write_file(path, bytes.data(), bytes.size())) return false;
    own_output_note(path, bytes.data(), bytes.size(), picture_saver);
    file_write_icon(kind, path.c_str());
    return true;
}

// ---- control -----------------------------------------------------------------------
bool rec_generating() {
    return generating;
}

std::vector<std::string> rec_running_files() {
    std::vector<std::string> files;
    if (rec_state == REC_RECORDING && rec_file) files.push_back(rec_file_path());
    snd_rec_files(&files);
    for (const RecStream* s : {&anims.anim, &anims.gif, &anims.mng, &anims.apng})
        if (s->is_open()) files.push_back(s->path);
    music_files(&files);
    return files;
}

void rec_files_in_use(std::vector<FileInUse>* out) {
    const std::vector<std::string> files = rec_running_files();
    const bool recording = rec_state == REC_RECORDING && rec_file;
    for (std::size_t i = 0; i < files.size(); i++)
        out->push_back({recording && i == 0 ? "the recording under way"
                        : recording        ? "an output of the recording under way"
                                           : "an output of the playback under way",
                        file_identity_at(files[i]), files[i]});
}

std::string rec_take_refusal() {
    std::string why;
    why.swap(refusal);
    return why;
}

void rec_start_generating() {
    if (generating) return;
    generating_name = file_name_buffer;
    outputs_found.clear();
    for (const std::string& path :
         rec_generated_files(generating_name.c_str(), memmap_desc().traits.psg))
        outputs_found.emplace_back(path, file_identity_at(path));
    generating = true;
    display_recording_hooks_reset();
    if (memmap_desc().traits.psg && (generatepsg || generateym)) psg_logs_start();
    if (generatemidi) midi_start();
    if (generatesmus) smus_start();
    if (generate8svx || generateaiff || generatewav) snd_rec_start();
    if (generatemng) start_animation(KIND_MNG, rec_generated_path(KIND_MNG, ""));
    if (generatepng) start_animation(KIND_PNG, rec_generated_path(KIND_PNG, ""));
    if (generategif) start_animation(KIND_GIF, rec_generated_path(KIND_GIF, ""));
    if (generateanim) start_animation(KIND_ANIM, rec_generated_path(KIND_ANIM, ""));
}

void rec_stop_all() {
    if (rec_state == REC_IDLE && !generating) return;
    const FileUseOwnWrite own(FileUse::recording); // its files are written now
    const bool recording = rec_state == REC_RECORDING;
    if (recording && !rec_file_close() && refusal.empty()) refusal = rec_file_take_failure();
    if (rec_state == REC_PLAYBACK) ui_mark(UI_REFRESH_WINDOWS);
    snd_rec_stop(); // before the ANIM, which takes the 8SVX file in
    close_animations();
    midi_stop();
    smus_stop();
    psg_logs_stop();
    // Voices followed unheard for the outputs (the sound switched off) end with them.
    if (!snd_voices_followed()) snd_close(1);
    generating = false;
    generating_name.clear();
    outputs_found.clear();
    if (recording) games_audit_drawer(0);
    rec_state = REC_IDLE;
    ui_mark(UI_TOOLBAR | UI_MENUS | UI_TITLE);
}

void rec_restart_playback() {
    if (rec_state != REC_PLAYBACK || !filebuf) return;
    filebuf_cursor = 0;
    filebuf_length = rec_length;
    // The sound outputs run on through the restart of the guest's clocks, as
    // the animations do.
    snd_rec_clock_hold();
    music_clock_hold();
    file_load_kept_recording();
    snd_rec_clock_resume();
    music_clock_resume();
    // Each pass begins as the first did: what sounded at the end of the last
    // pass stops (no effect is in the state), and the voices the state holds
    // begin at once, heard by the sound outputs. The host's output runs on.
    snd_restart();
}

namespace {
// Why the recording being played may not be recorded over from the part
// played so far, "" when it may: its file is written as any save is (not a
// write-protected file, nor one another part of the program holds), and only
// while the name still leads to it.
std::string played_file_refusal() {
    const std::string path = path_to_host(file_name_buffer);
    std::vector<FileInUse> played;
    file_loaded_playback(&played);
    int lost;
    if (file_identity_at(path).known &&
        (played.empty() || file_identity_fate(path, played[0].id, false, &lost) != FileFate::same))
        return path + " is no longer the recording being played";
    const FileUseOwnWrite own(FileUse::playback); // its own file
    std::string target, error;
    return file_save_target(path, &target, &error) ? "" : error;
}
} // namespace

void rec_start(int kind) {
    if (emu_paused_mid_frame) return;
    if (kind != KIND_COS && kind != KIND_COR) return;
    if (rec_state == REC_PLAYBACK && kind == KIND_COR) {
        // Go on recording from the part played so far, in the played file.
        refusal = played_file_refusal();
        if (!refusal.empty()) {
            ui_warning(("Not recorded: " + refusal + ".").c_str());
            return;
        }
        // The part played replaces the file as every save does: a write that
        // fails leaves the recording as it was. The rest is appended as it is made.
        const std::string host = path_to_host(file_name_buffer);
        const u32 played = filebuf_cursor < rec_length ? filebuf_cursor : rec_length;
        std::string error;
        {
            const FileUseOwnWrite own(FileUse::playback);
            if (!file_write_replace(host, filebuf, filebuf ? played : 0, &error)) {
                warn_replace_error(host, error);
                return;
            }
        }
        if (!rec_file_open(host)) {
            refusal = rec_file_take_failure();
            return;
        }
        rec_state = REC_RECORDING;
        ui_mark(UI_TOOLBAR | UI_MENUS | UI_TITLE | UI_REFRESH_WINDOWS);
        return;
    }
    // A playback goes on while the requester is open, and after it is put
    // away; the state saved ends it (state_save_file).
    char file[FILE_NAME_SIZE];
    const char* part = path_file_part(file_name_buffer);
    std::snprintf(file, sizeof file, "%s",
                  part[0] ? own_output_name(part, file_kinds[kind].extension).c_str() : "");
    char chosen[FILE_NAME_SIZE];
    // A recording writes its outputs beside it: the requester asks about each.
    SaveAlso outputs;
    if (kind == KIND_COR)
        outputs = [](const std::string& written) {
            return rec_generated_files(written.c_str(), memmap_desc().traits.psg);
        };
    const FileUseOwnWrite own(FileUse::state); // a save over the state just loaded
    if (ui_host.save_request_also(file_kinds[kind].save_title, file_kinds[kind].pattern,
                                  games_path, file, file_suffix_adder(file_kinds[kind].extension),
                                  outputs, chosen) != 0) {
        ui_mark(UI_TOOLBAR);
        return;
    }
    if (!state_save_as(chosen, kind, 1))
        refusal = state_save_error();
    else if (kind == KIND_COR && rec_state != REC_RECORDING)
        refusal = rec_file_take_failure(); // the state is there, the recording could not go on
    ui_mark(UI_MENUS);
    if (kind == KIND_COR && rec_state == REC_RECORDING) {
        rec_start_generating();
        ui_mark(UI_TOOLBAR | UI_MENUS | UI_SPEED);
    }
}

void recorders_reset() {
    anims.gif.discard();
    anims.apng.discard();
    anims.mng.discard();
    anims.anim.discard();
    anims = Animations{};
    generating = false;
    generating_name.clear();
    outputs_found.clear();
    refusal.clear();
    rec_picture_name[0] = '\0';
    snd_rec_reset();
    music_reset();
}
