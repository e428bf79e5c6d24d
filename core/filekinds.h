// File kinds: the table of the 39 kinds of file the program reads or writes,
// and their detection by the file name's suffix. The kind number (the row
// index) is the key of every per-format switch: the loader, the drawer scan,
// the savers and the "Open..." requester.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

enum FileKindId : int {
    KIND_ILBM = 0,
    KIND_ACBM,
    KIND_BMP,
    KIND_PCX,
    KIND_GIF,
    KIND_TIFF,
    KIND_PNG,
    KIND_BIN,
    KIND_COS,
    KIND_COR,
    KIND_ANIM,
    KIND_ZIP,
    KIND_AOF,
    KIND_EOF,
    KIND_HEX,
    KIND_WAV,
    KIND_PSG,
    KIND_YM,
    KIND_ASM,
    KIND_8SVX,
    KIND_AIFF,
    KIND_MNG,
    KIND_MIDI,
    KIND_SMUS,
    KIND_TXT,
    KIND_TVC,
    KIND_MDCR,
    KIND_RAW,
    KIND_CMD,
    KIND_IMG,
    KIND_TWIN,
    KIND_MOD,
    KIND_SYM,
    KIND_IMAG,
    KIND_INFO,
    KIND_16SV,
    KIND_BPNF,
    KIND_SMS,
    KIND_PAP,
    FILE_KINDS,    // 39 rows
    KIND_NONE = 40 // a name that matches no row
};

struct FileKind {
    const char* extension;     // primary suffix with its dot, lower case
    const char* alt_extension; // second accepted suffix, or nullptr
    const char* pattern;       // file-requester pattern, upper case
    const char* icon;          // icon written beside a saved file, or nullptr
    const char* save_title;    // save-requester title; "" for kinds never saved and for disk
                               // images (their requester names the machine)
};

extern FileKind file_kinds[FILE_KINDS];

// Pattern of the "Open..." requester: every kind the loader takes.
extern const char* const OPEN_REQUESTER_PATTERN;

// Fills the save-requester titles from the catalog (once, at start-up).
void file_kinds_load_titles();

// Whether `name` ends in `suffix`, in any case.
bool file_name_ends_with(const char* name, const char* suffix);
// The kind of a file name, by its suffix alone (letter case ignored): 0..38,
// or KIND_NONE.
int file_type_from_name(const char* name);

// Adds or replaces the suffix of `name` in place; `size` is the buffer's size
// and the name is never made longer than fits. Mode 0 appends `ext` unless the
// name already ends in `ext` or in the primary suffix of another kind that
// cannot be loaded; any other mode removes the last "." and what follows and
// appends `infix` and `ext`, keeping a suffix that is `ext` in other letter
// case when there is no infix. False when the result would not fit (the name is
// then unchanged).
bool file_set_extension(const char* ext, char* name, std::size_t size, int mode, const char* infix);

// The same for a file to be read: after the suffix is added or replaced (with
// no infix), a name at which nothing is found takes the suffix of a file
// that is there under the same name with the suffix in other letter case
// (the savers keep a suffix as it was typed, so "X.BIN" is found for "X").
// PROGDIR: and RAM: names are looked up in their folders.
bool file_set_extension_found(const char* ext, char* name, std::size_t size, int mode);

// How savers name what they write, for their save requester: the name
// chosen with `ext` appended unless it ends in it already (in any case); and
// the name chosen as file_set_extension's mode 0 leaves it.
std::function<std::string(const std::string&)> file_suffix_adder(const char* ext);
std::function<std::string(const std::string&)> file_extension_adder(const char* ext);

// The suffix the "Open..." requester adds to a name without a dot on the
// current machine: ".tvc" on the Elektor, ".aof" on the monitor computers
// that load object files, ".bin" elsewhere.
const char* file_default_suffix(unsigned machine_number);

// Writes the icon of a saved file of file kind `kind`: nothing on Linux.
void file_write_icon(int kind, const char* path);
