// Object files and hex tapes, both directions: the Signetics absolute object
// format (AOF, ".aof" and ".obj") and Intel HEX (".hex"), both ASCII records
// of hexadecimal digit pairs, and the SMS and BPNF hex tapes. The readers take
// the shared file buffer; the writers take guest memory.
//
// A walk never writes guest memory record by record: the records go into a
// staging image first, and only a walk that succeeded is committed. So a
// faulty file changes nothing, and the loader can check a file before it
// switches the machine.
#pragma once

#include "cpu/cpu.h"

#include <cstddef>
#include <string>

enum ObjFormat : int { OBJ_AOF = 0, OBJ_HEX = 1 };

extern u32 objfile_cursor; // read position of the walk in the file buffer
// A loaded program gave its start address (game_start_address); a machine's
// set-up clears it.
extern u8 load_start_known;

// Walks the `size` bytes of the file buffer in `format` and, unless it failed,
// writes the loaded bytes (and for AOF the start address) into the guest.
// 0 failed, 1 loaded without an end record, 2 loaded up to an end record.
int objfile_load(u32 size, int format);

// The walk alone: messages are printed, the result is kept in the staging
// image, nothing in the guest changes. Same results as objfile_load.
int objfile_parse(u32 size, int format);
// Writes the staged bytes of the last walk into guest memory (load_put), and
// the AOF start address into game_start_address when an end record gave one.
void objfile_commit();

// The one way a program reaches guest memory: every program file kind, the
// assembler's result and the debugger's LOADBIN write through load_put, and
// the action that loaded ends with load_tell_rom_kept. The machine's own ROM
// (its monitor or BIOS: an unwritable address marked BIOS) keeps its bytes: a
// byte aimed there is not written, one that would have changed it is counted,
// and the count is told once, as one warning (rc 5 on the port).
bool load_is_rom(u32 address);
void load_put(u32 address, u8 value);
void load_put_bytes(u32 address, const u8* bytes, u32 n);
// The warning naming the bytes kept out of ROM since the last call ("" when
// none); the count starts again.
std::string load_take_rom_kept();
// Gives that warning, if there is one (true then).
bool load_tell_rom_kept();

// One record at the cursor: -2 a data record was staged (the cursor stands on
// the next record), -1 the end record was reached, 0 the cursor already stood
// at the end, 1 an error (its message printed).
int objfile_read_aof_record(u32 size);
int objfile_read_hex_record(u32 size);

// Value of a hexadecimal digit; any other character gives 0.
int hex_char_value(char c);
// True when every file-buffer character from `first` to `last` inclusive is a
// hexadecimal digit (also when first > last).
bool objfile_hex_digits_ok(u32 first, u32 last);

// The AOF check byte of `n` bytes: c = (c XOR b) rotated left by one, from 0.
u8 aof_check_byte(const u8* bytes, u32 n);

// ---- Writers (each writes through a temporary file: 1 written, else 0 and
// objfile_take_write_failure() says why) ---------------------------------------------
// Writes `size` bytes of `data` to `name` whole or not at all (file_write_replace).
// False when it could not: the failure, "Can't open <name>: <reason>!", is kept
// for objfile_take_write_failure. The debugger's savers write through it.
bool objfile_write_file(const std::string& name, const void* data, std::size_t size,
                        bool sync = true);
// The failure of the last write that failed since the last take; "" when none.
std::string objfile_take_write_failure();
// AOF data records of at most block_size bytes (never across an 8 KB page),
// then the end record with the start address.
int objfile_save_aof(const char* name, u32 first, u32 last, u32 start, u32 block_size);
// Intel HEX data records of at most 16 bytes, then ":00000001FF".
int objfile_save_hex(const char* name, u32 first, u32 last);
// The texts the two writers write.
std::string objfile_aof_text(u32 first, u32 last, u32 start, u32 block_size);
std::string objfile_hex_text(u32 first, u32 last);
// The Elektor's program file: the byte 2, the load address and the start
// address (high byte first each), then the bytes first..last.
std::string objfile_tvc_data(u32 first, u32 last, u32 start);
int objfile_save_tvc(const char* name, u32 first, u32 last, u32 start);
// The bytes first..last as they are.
int file_save_bin(const char* name, u32 first, u32 last);
// SMS tape of $0000..last: DC2, each byte in hex with an apostrophe, DC4.
int file_save_sms(const char* name, i32 last);
// BPNF tape of first..last: "B", bits 7..0 as P or N, "F", blank-separated.
int file_save_bpnf(const char* name, u32 first, u32 last);
