// The settings file: key=value lines, written in one fixed order and read by
// the same walk (ini_process) whose direction is serial_dir. Reading is by
// key, as a person types: each field operation finds its key's line wherever
// it stands (blanks around the key and "=", any letter case, a BOM, CR LF),
// so a file edited by hand (a comment, a line removed, added or moved) reads
// whole; a key with no line keeps its setting, and a line that cannot be
// taken is named (file, line, why) and its value kept for the next write.
//
// Usage: ini_load() at start-up, ini_save_at_exit() at shut-down,
// ini_upgrade_all() for the UPGRADE switch.
#pragma once

#include "cpu/cpu.h"

#include <string>

constexpr const char* INI_VERSION = "36.21";
constexpr int INI_PATH_LEN = 513;
constexpr const char* INI_FILE_NAME = "Brindlemox.ini"; // in PROGDIR:Configs

extern char settings_path[INI_PATH_LEN]; // "PROGDIR:Configs/Brindlemox.ini"
extern u8 ini_loaded; // a settings file was read (also one starting with $C6 $02)
// Start-up ran ini_load and the user's file may be replaced at exit: set when
// the file was read or does not exist, clear when it exists but could not be
// read, is no settings file or is refused (another version or host).
extern u8 ini_load_ran;

// Reads the settings file; one that is kept unchanged at exit (unreadable or
// refused) is reported with the message that the settings will not be saved.
void ini_load();
// Reads a settings file the user named, from the defaults (a key it lacks
// takes its default, not the value of the file read before). One that is not
// there, cannot be read or is refused gives false with its name said: the
// user asked for its settings, and no other file's may stand in for them.
bool ini_load_named();
// Writes the settings. False (with a message, on the way out also one for the
// exit notice) when the file could not be written; the old file is then kept.
bool ini_save();
// The shut-down step: writes the settings unless UPGRADE or LOCKCONFIG is in
// effect or start-up never read them.
void ini_save_at_exit();
// UPGRADE: rewrites every "*.ini" of PROGDIR:Configs and returns the process
// return code (0; 10 when a file was kept as it was, unread or unwritten; 1
// when the drawer cannot be read); the caller exits with it.
int ini_upgrade_all();

// The walk over all settings, in the direction serial_dir, on the text given to
// ini_begin. Returns false when the walk stopped at a wrong version or host.
// The walk knows every subsystem's settings: the application installs it
// (before it, there is no setting to walk and every walk fails).
bool ini_process();
void ini_set_walk(bool (*walk)());

// The whole settings text as ini_save writes it, and the same text read back
// (false when the walk refused it). Used by ini_load/ini_save and by tests.
// The lines a read could not take are said on the console, one a line,
// after `name` (the file's) when one is given.
std::string ini_write_text();
bool ini_read_text(const std::string& text, const std::string& name = {});
// For the window at start-up: the lines the last read of a settings file
// could not take, with the file's name ("" when it took every line), once.
std::string ini_take_unread_note();
// The settings text of the program's built-in defaults (taken by the first call,
// which start-up makes before any setting is read).
const std::string& ini_default_text();

// ---- The walk's text ----------------------------------------------------------
// Reading: the walk reads `text`. Writing: it appends to an internal text.
void ini_begin(const std::string& text);
// The first line of the text that holds a key and "=" is `key`'s (the key's
// case and the blanks around it ignored); lines before it without a key
// (blank lines, comments, a BOM) do not count.
bool ini_first_key_is(const char* key);

// ---- Field operations ------------------------------------------------------------
// Whether a text setting can hold `text` (no CR or LF: each value is one line).
bool ini_text_storable(const char* text);
void ini_field_text(const char* key, char* buffer, int size);
void ini_field_bool(const char* key, u32* setting);
void ini_field_bool(const char* key, bool* setting);
void ini_field_int(const char* key, i32* setting, i32 min, i32 max);
void ini_field_word(const char* key, u16* setting, i32 min, i32 max);
void ini_field_byte(const char* key, u8* setting);
void ini_field_colour(const char* key, u8* red, u8* green, u8* blue);
// A value the walk refuses on reading after its field operation took it
// (a check of its own): its line is named with `why`, and the setting, kept
// as `setting` (its value as written), gets the line's value back when it is
// written unchanged.
void ini_refuse_value(const char* key, const std::string& why, const std::string& setting);
// Reading: whether the text has a line of `key` that its field took, not refused.
bool ini_line_taken(const char* key);
// Writing: whether the last read refused `key`'s line and keeps its value to
// write back.
bool ini_keeps_refused(const char* key);

// For settings whose variable is unsigned 32-bit.
inline void ini_field_int(const char* key, u32* setting, i32 min, i32 max) {
    i32 v = static_cast<i32>(*setting);
    ini_field_int(key, &v, min, max);
    *setting = static_cast<u32>(v);
}
