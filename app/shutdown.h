// The single way out of the program: app_clean_exit writes what must survive
// the run, releases every process-lifetime resource in one fixed order
// (skipping whatever was never acquired) and ends the process. What it
// finishes and names is the one list of held things (core/held_things.h),
// which every other way out walks too.
//
// Return codes: 0 normal end, 1 failure (bad argument, no display, a fatal
// requester), 5 an ASM run with warnings, 10 an ASM run with errors or a
// DISGAME run that loaded nothing or found its listing's file already there.
#pragma once

#include "core/session.h"
#include "core/types.h"

#include <string>
#include <vector>

// The exit path that app_clean_exit runs (start-up installs it): writes what
// must survive the run, releases what was acquired and ends the process.
[[noreturn]] void app_exit_path(int code);

// Whether this run still holds the home's lock (path_lock_holds): once its
// file has been replaced by another run's, the run says so and becomes one
// that writes nothing at exit. The main loop asks now and then, the exit path
// before its writes.
void app_check_home_lock();

// What a session writes at its end ("its settings, its high scores or its
// autosave"), as the exit path decides it: the files a run on a home that
// another run holds leaves unwritten.
std::string app_session_files();

// Whether the way out, taken now, writes the autosave: the setting is on, the
// session writes its files (session_writes) and the guest stands between
// frames, and it neither failed already nor is kept aside. What the autosave
// keeps (held_kept) is said by this answer.
bool app_exit_autosaves();
// This run leaves the autosave there as it is, for `why` ("" writes it
// again): it keeps changed disks of an earlier run that this one did not
// bring back. Its way out says so in place of writing it.
void app_autosave_keep_aside(const std::string& why);
// Whether what the printers could not save is kept for the next start,
// whatever becomes of the autosave: false once it could be written nowhere
// on this way out.
bool app_printer_pages_kept();
// Where it is kept: beside the autosave ("AUTOSAVE.PAGES"), or, where that
// folder cannot be written, in the settings' folder under the same name; the
// first of these until it is written. The next start looks in both.
std::string app_printer_pages_file();
std::vector<std::string> app_printer_pages_files();
// What the printers hold unsaved written as the one file of kept pages the
// next start takes up, in the first of app_printer_pages_files that takes it
// (its path in `*written`), the others removed, or, where one cannot be,
// outranked by it; with nothing unsaved they are removed (outranked by a
// file that keeps none where one cannot be). "" when done, else why not.
std::string app_printer_pages_put(std::string* written = nullptr);
// Where a way out taken now would keep what the printers cannot save: the
// first of app_printer_pages_files whose folder can be written, "" when none
// can (or this run writes nothing).
std::string app_printer_pages_place();
// The start read a file of kept pages of `generation` (the next one written
// outranks it), or could not take one up: `left_alone` is neither written
// over nor removed.
void app_printer_pages_seen(u64 generation, const std::string& left_alone = "");
// Installs app_exit_autosaves and the autosave's writing ahead of a way out
// that says it keeps something (held_set_keeper).
void app_install_keeper();

// The exit path's steps as they ran, by name (tests read it; it is cleared by
// app_exit_reset).
extern std::vector<std::string> app_exit_steps;

// The session's autosave, settings and high scores, each written once: by the
// exit path, or ahead of it by the port's QUIT (session_set_write_ahead), in
// the exit path's order (the autosave while the windows are open, then the
// windows closed for their places, then the settings and the high scores).
// One that could not be written is named as everything a way out cannot
// finish is: on the console, in the reply of the port's command and in the
// notice of a window's Quit.
void app_exit_write_ahead();

// The last step: ends the process. Tests replace it with one that throws.
extern void (*app_exit_process)(int code);
// Forgets what was acquired and the steps taken (tests start clean with it).
void app_exit_reset();
