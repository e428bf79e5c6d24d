#include "app/hooks.h"

#include "app/settings_table.h"
#include "app/shutdown.h"
#include "core/files_in_use.h"
#include "core/frame.h"
#include "core/held_things.h"
#include "core/hooks.h"
#include "core/loader.h"
#include "core/seams_services.h"
#include "core/settings.h"
#include "display/controls_panel.h"
#include "display/frame.h"
#include "display/host.h"
#include "input/host_key_labels.h"
#include "input/joysticks.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/netplay.h"
#include "input/paddles.h"
#include "peripherals/floppy.h"
#include "peripherals/mdcr.h"
#include "peripherals/changed_media.h"
#include "peripherals/papertape.h"
#include "peripherals/printer.h"
#include "peripherals/printer_export.h"
#include "peripherals/tape.h"
#include "platform/paths.h"
#include "record/recorder.h"
#include "sound/effects.h"
#include "sound/sound_latches.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"

namespace {

void sound_stop() {
    snd_close(0);
}
void sound_start() {
    snd_open(0);
}
void sound_follow_registers() {
    snd_update_voices(0);
}
void sound_reset() {
    snd_reset_latches();
    beeper_countdowns[0] = beeper_countdowns[1] = 0;
}

void picture_marked() {
    display_update_beam_marker(0); // drawn at the beam
    display_redraw_all();
}
void picture_unmarked() {
    display_update_beam_marker(1); // removed
    display_redraw_all();
}
void picture_after_state() {
    display_setup_geometry();
    display_reset_frame();
}

void release_deferred_key() {
    if (hostkey_clicked == -1) return;
    input_host_key_release(static_cast<u32>(hostkey_clicked));
    hostkey_clicked = -1;
}
bool slow_keys_held() {
    return host_ctrl_down() && host_key_down(RAW_KEY_SLOW);
}
void end_link() {
    net_command(0);
}
void type_keys(const unsigned char* text, int length) {
    guest_key_queue_append(text, length);
}

// The files the media hold, for the writers' check and for the media's own
// (core/files_in_use.h): the file each one took in and, when another file
// has come to its name since, that one too, which its write-back would reach.
void held_by(std::vector<FileInUse>* out, const std::string& what, int unit,
             const FileIdentity& took, const char* path) {
    const auto add = [&](const FileIdentity& id) {
        out->push_back({what, id});
        out->back().unit = unit;
    };
    add(took);
    const FileIdentity at = file_identity_at(path_to_host(path));
    if (at.known && !file_identity_same(at, took)) add(at);
}
void tape_in_deck(std::vector<FileInUse>* out) {
    if (tape_file) out->push_back({"the tape in the deck", file_identity_of(fileno(tape_file))});
}
void papertapes_in_units(std::vector<FileInUse>* out) {
    for (int u = 0; u < PAPERTAPE_UNITS; u++)
        if (papertape_state[u] != TAPE_EMPTY && papertape_file_name[u][0])
            held_by(out, "the papertape in unit " + std::to_string(u), u,
                    papertape_file_identity(u), papertape_file_name[u]);
}
void disks_in_drives(std::vector<FileInUse>* out) {
    for (int d = 0; d < FLOPPY_DRIVES; d++)
        if (drives[d].present && drives[d].file_name[0])
            held_by(out, "the disk in drive " + std::to_string(d), d, floppy_file_identity(d),
                    drives[d].file_name);
}
void mdcr_tape(std::vector<FileInUse>* out) {
    if (mdcr_blocks && mdcr_file_name[0])
        held_by(out, "the MDCR tape", 0, mdcr_file_identity(), mdcr_file_name);
}

// The held things and outputs in progress every way out walks
// (core/held_things.h).
std::string quoted_names(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& p : paths)
        names += (names.empty() ? "\"" : ", \"") + std::string(path_file_part(p.c_str())) + "\"";
    return names;
}
std::string running(const std::string& what, const std::vector<std::string>& paths) {
    return paths.empty() ? "" : what + " (" + quoted_names(paths) + ")";
}
// The punched papertapes that did not go back to their files (or will not,
// their files having changed), of any machine.
std::string papertapes_held_back() {
    std::string list;
    for (int u = 0; u < PAPERTAPE_UNITS; u++)
        if (papertape_held_back(u))
            list += (list.empty() ? "" : ", ") + std::string("unit ") + std::to_string(u) +
                    " (\"" + path_file_part(papertape_file_name[u]) + "\")";
    return list.empty() ? "" : "Papertapes not back in their files: " + list;
}
std::string papertapes_punching() {
    std::string list;
    for (int u = 0; u < PAPERTAPE_UNITS; u++)
        if (papertape_state[u] == TAPE_PUNCHING)
            list += (list.empty() ? "" : ", ") +
                    running("papertape unit " + std::to_string(u), {papertape_file_name[u]});
    return list;
}
void papertapes_write_back() {
    for (int u = 0; u < PAPERTAPE_UNITS; u++)
        papertape_close(u);
}
std::string cassette_recording() {
    return tape_state == CASSETTE_RECORDING ? running("tape deck", {tape_file_name}) : "";
}
void cassette_finish() {
    tape_close_sample_file();
}
std::string recorders_running() {
    return running("recorders", rec_running_files());
}
std::string pages_finished() {
    return printer_pages_finished();
}
// Pages a unit could not save: kept for the next start in a file of their
// own whatever becomes of the autosave (said as the autosave's keeping when
// it is written and they are beside it), lost only when that file could be
// written nowhere.
std::string pages_lost() {
    return app_printer_pages_kept() ? "" : printer_pages_unsaved();
}
bool pages_beside_autosave() {
    return held_autosave_written() &&
           app_printer_pages_file() == app_printer_pages_files().front();
}
std::string pages_kept() {
    return app_printer_pages_kept() && pages_beside_autosave() ? printer_pages_unsaved() : "";
}
std::string pages_kept_apart() {
    const std::string unsaved = printer_pages_unsaved();
    if (unsaved.empty() || !app_printer_pages_kept() || pages_beside_autosave()) return "";
    return unsaved + "; kept in \"" + app_printer_pages_file() + "\" for the next start";
}
std::string pages_half_printed() {
    // Pages that cannot be saved where they go are kept as the way out keeps
    // what the printers could not save.
    const std::string place = app_printer_pages_place();
    const std::string unsaved =
        place.empty() ? "dropped: no file to keep them for the next start can be written"
                      : "kept for the next start in \"" + place + "\"";
    std::string list;
    for (int u = 0; u < PRINTER_UNITS; u++)
        if (std::string page = printer_page_in_progress(u, unsaved); !page.empty())
            list += (list.empty() ? "" : ", ") + page;
    return list;
}

} // namespace

void app_install_hooks() {
    session_set_exit_path(app_exit_path);
    session_set_write_ahead(app_exit_write_ahead);
    ini_set_walk(settings_walk);

    // Where a point has hooks of several layers, they run in this order.
    core_hooks_clear();
    core_hook_add(CoreHook::sound_stop, sound_stop);
    core_hook_add(CoreHook::sound_start, sound_start);
    core_hook_add(CoreHook::sound_changed, sound_follow_registers);
    core_hook_add(CoreHook::machine_leave, host_rumble_stop_all);
    core_hook_add(CoreHook::machine_reset, input_centre_paddles);
    core_hook_add(CoreHook::machine_reset, sound_reset);
    core_hook_add(CoreHook::state_loaded, picture_after_state);
    core_hook_add(CoreHook::state_loaded, snd_reset_latches);
    core_hook_add(CoreHook::geometry, display_setup_geometry);
    core_hook_add(CoreHook::picture_clear, display_clear_frame);
    core_hook_add(CoreHook::picture_setup, display_select_plotter);
    core_hook_add(CoreHook::palette, display_apply_palette);
    core_hook_add(CoreHook::picture_reset, display_reset_frame);
    core_hook_add(CoreHook::picture_redraw, display_redraw_all);
    core_hook_add(CoreHook::picture_keep, display_keep_frame);
    core_hook_add(CoreHook::picture_restore, display_restore_frame);
    core_hook_add(CoreHook::paused, sound_stop);
    core_hook_add(CoreHook::paused, picture_marked);
    core_hook_add(CoreHook::unpaused, sound_start);
    core_hook_add(CoreHook::unpaused, picture_unmarked);
    core_hook_add(CoreHook::frame_picture, display_blit);
    // Every frame that runs goes into the animations and logs of a recording,
    // whether it is shown or not (frame skipping, the refresh limit of the
    // fast speeds, no main window): they keep the recording's time.
    core_hook_add(CoreHook::frame_ending, display_recording_hooks);
    core_hook_add(CoreHook::frame_ending, snd_expire_effects);
    core_hook_add(CoreHook::frame_ended, snd_frame_ended);
    core_hook_add(CoreHook::frame_ended, release_deferred_key);
    core_hook_add(CoreHook::frame_ended, input_mouse_clicks_seen);
    core_hook_add(CoreHook::frame_ended, net_keep_frame_end);
    core_hook_add(CoreHook::link_end, end_link);
    files_in_use_clear();
    files_in_use_add(FileUse::tape, tape_in_deck);
    files_in_use_add(FileUse::papertape, papertapes_in_units);
    files_in_use_add(FileUse::disk, disks_in_drives);
    files_in_use_add(FileUse::mdcr, mdcr_tape);
    files_in_use_add(FileUse::playback, file_loaded_playback);
    files_in_use_add(FileUse::state, file_loaded_state);
    files_in_use_add(FileUse::recording, rec_files_in_use);
    // In the order a way out finishes them: the recorders before the tapes,
    // whose sounds they may be taking in.
    held_things_clear();
    held_things_add({"changed disks and MDCR tape", media_lost_at_end, nullptr, nullptr, false,
                     media_kept_at_end, nullptr, media_kept_older_at_end});
    app_install_keeper();
    held_things_add({"recorders", nullptr, recorders_running, rec_stop_all, true});
    held_things_add({"printer pages", pages_lost, pages_half_printed, printer_finish_all, true,
                     pages_kept, pages_finished, nullptr, true, pages_kept_apart,
                     printer_finish_leaving});
    held_things_add({"cassette", nullptr, cassette_recording, cassette_finish, false});
    held_things_add({"papertapes", papertapes_held_back, papertapes_punching,
                     papertapes_write_back, false});
    core_slow_keys_held = slow_keys_held;
    core_type_keys = type_keys;
}
