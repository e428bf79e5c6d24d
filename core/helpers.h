// Small number and text helpers shared by the debugger, the monitors and the
// file formats, and the shifted-key remap of the host keyboard.
#pragma once

#include "cpu/cpu.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr i32 NUM_INVALID = 0x10014;         // result of a malformed binary or octal text
constexpr std::size_t FORMAT_LONG_SIZE = 21; // room for any "%ld" text and its NUL
constexpr std::size_t GROUPED_WIDTH = 13;    // characters written by format_number_grouped

// Two upper-case hex digits of the low 8 bits and a NUL (3 bytes).
void hex_byte_to_text(char* text, u32 value);
// Four upper-case hex digits of the low 16 bits, no NUL.
void hex_word_to_text(char* text, u32 value);
// The value in decimal ("%ld") into FORMAT_LONG_SIZE bytes; returns its length.
int format_long(char* text, long value);
// Reads a signed decimal number (as "%ld"); 1 when a number was read, else 0.
// Out-of-range numbers saturate.
int num_scan_long(const char* text, long* value);
// Reads an unsigned hex number (as strtoul base 16, saturating at $FFFFFFFF
// and wrapping negated ones modulo 2^32), stores it and returns the number of
// characters used (0 when none; the value is then 0).
int hex_parse(const char* text, u32* value);
// The value of `length` binary digits ("1"/"#" set, "0"/"." clear), a leading
// "-" negating; NUM_INVALID for any other character.
i32 num_bin_value(const char* text, int length);
// The value of an octal digit string, a leading "-" negating; NUM_INVALID for
// a "-" elsewhere. The digits are not checked.
i32 num_oct_value(const char* text);
// 13 characters, no NUL: the value right-aligned with digit grouping, such as
// "    1,234,567". Leading zeros and separators before the first digit are blanks.
void format_number_grouped(u64 value, char* text);

// The key a shifted key types: unless "lowercase" is on, while Shift is held
// and Ctrl is not, raw keys 75 to 80 become 91 to 96 (input/keys.h applies it
// to the host's modifiers).
int key_shift_remap(int raw_key, bool shift, bool ctrl, bool lowercase_on);

// Outcomes of file_read_regular.
enum ReadWhole : int {
    READ_OK = 0,
    READ_UNAVAILABLE = 1, // missing, unreadable, or a folder, FIFO, device or socket
    READ_TOO_LARGE = 2,   // larger than the limit; nothing was read
    READ_FAILED = 3       // no room for it, or the read stopped short
};

// The one whole-file reader: reads the regular host file `host` of at most
// `limit` bytes into the storage that `place(size)` returns (nullptr: no
// room). Never blocks on a FIFO, and reads nothing before the size was
// checked. A file that changed its length meanwhile fails.
int file_read_regular(const std::string& host, std::uint64_t limit,
                      const std::function<u8*(std::size_t size)>& place);
// Up to `n` bytes from the start of the regular host file `host` into `head`,
// nothing beyond them read: how many came, or -1 when the file is missing,
// unreadable or no regular file (a FIFO is not waited for).
long file_read_head(const std::string& host, u8* head, std::size_t n);
// The host path of a program name ("PROGDIR:typeright/lesson6_1.txt").
std::string file_host_path(const std::string& name);
// The one reader of line ends for the text files read line by line (the
// assembler's sources and includes, symbol files, HEX files): a UTF-8 byte-order mark
// at the start dropped, and each line end, CR LF, a lone CR or LF, made one LF.
std::string text_lf_lines(const std::string& text);
// The items as a message lists them: "a", "a and b", "a, b and c".
std::string text_listed(const std::vector<std::string>& items);
