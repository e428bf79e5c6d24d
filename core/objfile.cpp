#include "core/objfile.h"

#include "core/filekinds.h"
#include "core/loader.h"
#include "core/message.h"
#include "core/recording.h"
#include "core/seams_games.h"
#include "core/serial.h"
#include "core/ui_host.h"
#include "cpu/memory.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

u32 objfile_cursor;

namespace {

// The staged result of the last walk.
u8 stage_data[GUEST_MEMORY_SIZE];
u8 stage_written[GUEST_MEMORY_SIZE];
bool stage_has_start;
u16 stage_start;

u8 byte_at(u32 offset) {
    return static_cast<u8>(hex_char_value(static_cast<char>(filebuf[offset])) << 4 |
                           hex_char_value(static_cast<char>(filebuf[offset + 1])));
}

// The characters first..last must be present and all hexadecimal digits.
bool digits_present(u32 first, u32 last, u32 size, u32 report_first, u32 report_last) {
    if (last >= size) {
        con_printf("Error: block is cut short in bytes %u..%u!\n", report_first, report_last);
        return false;
    }
    if (!objfile_hex_digits_ok(first, last)) {
        con_printf("Error: illegal character found in bytes %u..%u!\n", report_first, report_last);
        return false;
    }
    return true;
}

void skip_separators(u32 size) {
    while (objfile_cursor < size &&
           (filebuf[objfile_cursor] == '\r' || filebuf[objfile_cursor] == '\n' ||
            filebuf[objfile_cursor] == ' '))
        objfile_cursor++;
}

void stage_bytes(u32 address, u32 first_char, u32 n) {
    for (u32 i = 0; i < n; i++) {
        stage_data[address + i] = byte_at(first_char + 2 * i);
        stage_written[address + i] = 1;
    }
}

} // namespace

int hex_char_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

bool objfile_hex_digits_ok(u32 first, u32 last) {
    for (u32 i = first; i <= last && i >= first; i++)
        if (!std::isxdigit(filebuf[i])) return false;
    return true;
}

u8 aof_check_byte(const u8* bytes, u32 n) {
    u8 c = 0;
    for (u32 i = 0; i < n; i++) {
        c ^= bytes[i];
        c = static_cast<u8>(c << 1 | c >> 7);
    }
    return c;
}

int objfile_read_aof_record(u32 size) {
    const u32 c = objfile_cursor;
    if (c >= size) return 0;
    if (filebuf[c] != ':') {
        con_printf("Error: block header not found!\n");
        return 1;
    }
    if (!digits_present(c + 1, c + 6, size, c + 1, c + 6)) return 1;
    const u32 address = static_cast<u32>(byte_at(c + 1)) << 8 | byte_at(c + 3);
    const u32 n = byte_at(c + 5);
    if (address > 0x7FFF || address + n > GUEST_MEMORY_SIZE) {
        con_printf("Error: address is out of range!\n");
        return 1;
    }
    if (n == 0) {
        stage_has_start = true;
        stage_start = static_cast<u16>(address);
        return -1;
    }
    if (!digits_present(c + 7, c + 10 + 2 * n, size, c + 7, c + 10 + 2 * n)) return 1;
    const u8 header[3] = {static_cast<u8>(address >> 8), static_cast<u8>(address),
                          static_cast<u8>(n)};
    if (byte_at(c + 7) != aof_check_byte(header, 3)) {
        con_printf("Error: BCC is incorrect!\n");
        return 1;
    }
    const u32 last = address + n - 1;
    if ((address & 0x6000) != (last & 0x6000))
        con_printf("Warning: Block $%04X..$%04X crosses a page boundary!\n", address, last);
    stage_bytes(address, c + 9, n);
    u8 data[255];
    for (u32 i = 0; i < n; i++)
        data[i] = byte_at(c + 9 + 2 * i);
    if (byte_at(c + 9 + 2 * n) != aof_check_byte(data, n)) {
        con_printf("Error: BCC is incorrect!\n");
        return 1;
    }
    objfile_cursor = c + 2 * n + 11;
    skip_separators(size);
    return -2;
}

int objfile_read_hex_record(u32 size) {
    const u32 c = objfile_cursor;
    if (c >= size) return 0;
    if (filebuf[c] != ':') {
        con_printf("Error: block header not found!\n");
        return 1;
    }
    if (!digits_present(c + 1, c + 10, size, c + 1, c + 10)) return 1;
    const u32 n = byte_at(c + 1);
    const u32 address = static_cast<u32>(byte_at(c + 3)) << 8 | byte_at(c + 5);
    const u8 type = byte_at(c + 7);
    if (address > 0x7FFF || address + n > GUEST_MEMORY_SIZE) {
        con_printf("Error: address is out of range!\n");
        return 1;
    }
    if (n == 0 && (type == 0 || type == 1)) {
        con_printf("Found end-of-file block.\n");
        return -1;
    }
    if (type != 0) {
        // Extended addresses and start records have no meaning in a 32 KB
        // space: the file is refused rather than half loaded.
        con_printf("Unrecognized block type $%02X!\n", type);
        return 1;
    }
    if (!digits_present(c + 11, c + 10 + 2 * n, size, c + 10, c + 10 + 2 * n)) return 1;
    con_printf("Loading $%04X..$%04X.\n", address, address + n - 1);
    stage_bytes(address, c + 9, n);
    u32 sum = n + (address >> 8) + (address & 0xFF) + type;
    for (u32 i = 0; i < n; i++)
        sum += byte_at(c + 9 + 2 * i);
    if (byte_at(c + 9 + 2 * n) != static_cast<u8>(-sum)) {
        con_printf("Error: Checksum is incorrect!\n");
        return 1;
    }
    objfile_cursor = c + 2 * n + 11;
    skip_separators(size);
    return -2;
}

int objfile_parse(u32 size, int format) {
    std::memset(stage_written, 0, sizeof stage_written);
    stage_has_start = false;
    objfile_cursor = 0;
    if (!filebuf) size = 0;
    int answer = 1;
    bool end_found = false;
    while (objfile_cursor < size) {
        answer = format == OBJ_AOF ? objfile_read_aof_record(size) : objfile_read_hex_record(size);
        if (answer == -1) {
            end_found = true;
            break;
        }
        if (answer != -2) break;
    }
    const char* name = format == OBJ_AOF ? "AOF" : "Intel HEX";
    if (answer == 1) {
        con_printf("Failed to load %s file!\n\n", name);
        std::memset(stage_written, 0, sizeof stage_written);
        stage_has_start = false;
        return 0;
    }
    if (format == OBJ_HEX) con_printf("Successfully loaded %s file.\n\n", name);
    if (end_found) return 2;
    con_printf("Warning: no end-of-file block found.\n");
    return 1;
}

u8 load_start_known;

namespace {
u32 rom_kept, rom_kept_first, rom_kept_last;
} // namespace

bool load_is_rom(u32 address) {
    constexpr u32 ROM = MEM_UNWRITABLE | MEM_BIOS;
    return (mem_attributes[address & 0x7FFF] & ROM) == ROM;
}

void load_put(u32 address, u8 value) {
    address &= 0x7FFF;
    if (!load_is_rom(address)) {
        guest_memory[address] = value;
        return;
    }
    if (guest_memory[address] == value) return;
    if (rom_kept == 0 || address < rom_kept_first) rom_kept_first = address;
    if (rom_kept == 0 || address > rom_kept_last) rom_kept_last = address;
    rom_kept++;
}

void load_put_bytes(u32 address, const u8* bytes, u32 n) {
    for (u32 i = 0; i < n; i++)
        load_put(address + i, bytes[i]);
}

std::string load_take_rom_kept() {
    if (rom_kept == 0) return "";
    char text[160];
    std::snprintf(text, sizeof text,
                  "%u byte%s of the program at $%04X..$%04X would have changed the machine's ROM "
                  "and %s not loaded.",
                  rom_kept, rom_kept == 1 ? "" : "s", rom_kept_first, rom_kept_last,
                  rom_kept == 1 ? "was" : "were");
    rom_kept = 0;
    return text;
}

bool load_tell_rom_kept() {
    const std::string kept = load_take_rom_kept();
    if (kept.empty()) return false;
    ui_warning(kept.c_str());
    return true;
}

void objfile_commit() {
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        if (stage_written[a]) load_put(a, stage_data[a]);
    if (stage_has_start) {
        game_start_address = stage_start;
        load_start_known = 1;
    }
}

int objfile_load(u32 size, int format) {
    const int result = objfile_parse(size, format);
    if (result) objfile_commit();
    return result;
}

// ---- Writers --------------------------------------------------------------------------

namespace {
std::string write_failure; // what the last failed write said
} // namespace

bool objfile_write_file(const std::string& name, const void* data, std::size_t size, bool sync) {
    std::string error;
    if (file_write_replace(name, data, size, &error, sync)) return true;
    write_failure = file_failure_text("Can't open", name, error);
    return false;
}

std::string objfile_take_write_failure() {
    return std::exchange(write_failure, {});
}

namespace {

void put_hex_pair(std::string& out, u8 b) {
    static const char digits[] = "0123456789ABCDEF";
    out += digits[b >> 4];
    out += digits[b & 15];
}

bool write_file(const char* name, const std::string& data) {
    return objfile_write_file(name, data.data(), data.size());
}

// The range first..last cut to guest memory; false when nothing is left.
bool clamp_range(u32& first, u32& last) {
    if (last >= GUEST_MEMORY_SIZE) last = GUEST_MEMORY_SIZE - 1;
    return first <= last;
}

} // namespace

std::string objfile_aof_text(u32 first, u32 last, u32 start, u32 block_size) {
    std::string out;
    if (block_size < 1) block_size = 1;
    if (block_size > 255) block_size = 255;
    if (clamp_range(first, last))
        for (u32 a = first; a <= last;) {
            u32 count = std::min(last - a + 1, block_size);
            if ((a & 0x6000) != ((a + count - 1) & 0x6000)) count = (a | 0x1FFF) - a + 1;
            const u8 header[3] = {static_cast<u8>(a >> 8), static_cast<u8>(a),
                                  static_cast<u8>(count)};
            out += ':';
            for (u8 b : header)
                put_hex_pair(out, b);
            put_hex_pair(out, aof_check_byte(header, 3));
            for (u32 i = 0; i < count; i++)
                put_hex_pair(out, guest_memory[a + i]);
            put_hex_pair(out, aof_check_byte(guest_memory + a, count));
            out += "\r\n";
            a += count;
        }
    out += ':';
    put_hex_pair(out, static_cast<u8>(start >> 8));
    put_hex_pair(out, static_cast<u8>(start));
    out += "00\r\n";
    return out;
}

std::string objfile_hex_text(u32 first, u32 last) {
    std::string out;
    if (clamp_range(first, last))
        for (u32 a = first; a <= last;) {
            const u32 count = std::min(last - a + 1, 16u);
            u32 sum = count + (a >> 8) + (a & 0xFF);
            out += ':';
            put_hex_pair(out, static_cast<u8>(count));
            put_hex_pair(out, static_cast<u8>(a >> 8));
            put_hex_pair(out, static_cast<u8>(a));
            out += "00";
            for (u32 i = 0; i < count; i++) {
                put_hex_pair(out, guest_memory[a + i]);
                sum += guest_memory[a + i];
            }
            put_hex_pair(out, static_cast<u8>(-sum));
            out += "\r\n";
            a += count;
        }
    out += ":00000001FF\r\n";
    return out;
}

int objfile_save_aof(const char* name, u32 first, u32 last, u32 start, u32 block_size) {
    if (!write_file(name, objfile_aof_text(first, last, start, block_size))) return 0;
    file_write_icon(KIND_AOF, name);
    return 1;
}

int objfile_save_hex(const char* name, u32 first, u32 last) {
    return write_file(name, objfile_hex_text(first, last)) ? 1 : 0;
}

std::string objfile_tvc_data(u32 first, u32 last, u32 start) {
    std::string out;
    out += '\x02';
    out += static_cast<char>(first >> 8 & 0xFF);
    out += static_cast<char>(first & 0xFF);
    out += static_cast<char>(start >> 8 & 0xFF);
    out += static_cast<char>(start & 0xFF);
    if (clamp_range(first, last))
        out.append(reinterpret_cast<const char*>(guest_memory) + first, last - first + 1);
    return out;
}

int objfile_save_tvc(const char* name, u32 first, u32 last, u32 start) {
    if (!write_file(name, objfile_tvc_data(first, last, start))) return 0;
    file_write_icon(KIND_TVC, name);
    return 1;
}

int file_save_bin(const char* name, u32 first, u32 last) {
    std::string out;
    if (clamp_range(first, last))
        out.assign(reinterpret_cast<const char*>(guest_memory) + first, last - first + 1);
    if (!write_file(name, out)) return 0;
    file_write_icon(KIND_BIN, name);
    return 1;
}

int file_save_sms(const char* name, i32 last) {
    std::string out = "\x12";
    if (last >= static_cast<i32>(GUEST_MEMORY_SIZE)) last = GUEST_MEMORY_SIZE - 1;
    for (i32 a = 0; a <= last; a++) {
        const u8 b = guest_memory[a];
        if (b < 16)
            out += "0123456789ABCDEF"[b];
        else
            put_hex_pair(out, b);
        out += '\'';
    }
    out += '\x14';
    return write_file(name, out) ? 1 : 0;
}

int file_save_bpnf(const char* name, u32 first, u32 last) {
    std::string out;
    if (clamp_range(first, last))
        for (u32 a = first; a <= last; a++) {
            if (a != first) out += ' ';
            out += 'B';
            for (int bit = 7; bit >= 0; bit--)
                out += (guest_memory[a] >> bit & 1) ? 'P' : 'N';
            out += 'F';
        }
    return write_file(name, out) ? 1 : 0;
}

// ---- Hex-tape readers -------------------------------------------------------------------

namespace {
bool hex_digit(u8 c) {
    return std::isxdigit(c) != 0;
}
bool tape_space(u8 c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\v' || c == '\f';
}
bool stage_tape_byte(u32 address, u8 value) {
    if (address >= GUEST_MEMORY_SIZE) {
        con_printf("The tape reaches past $7FFF!\n\n");
        return false;
    }
    stage_data[address] = value;
    stage_written[address] = 1;
    return true;
}
} // namespace

int file_parse_sms(u32 size) {
    std::memset(stage_written, 0, sizeof stage_written);
    stage_has_start = false;
    if (!filebuf || size == 0 || filebuf[0] != 18) {
        con_printf("Invalid header!\n\n");
        return 0;
    }
    u32 pos = 1, address = 0;
    while (size >= 1 && pos < size - 1) {
        u32 digits;
        if (filebuf[pos + 1] == '\'')
            digits = 1;
        else if (size >= 2 && pos < size - 2 && filebuf[pos + 2] == '\'')
            digits = 2;
        else {
            con_printf("No byte end marker found!\n\n");
            return 0;
        }
        u32 value = 0;
        for (u32 i = 0; i < digits; i++) {
            if (!hex_digit(filebuf[pos + i])) {
                con_printf("Unexpected character!\n\n");
                return 0;
            }
            value =
                value << 4 | static_cast<u32>(hex_char_value(static_cast<char>(filebuf[pos + i])));
        }
        if (!stage_tape_byte(address++, static_cast<u8>(value))) return 0;
        pos += digits + 1;
    }
    if (pos >= size || filebuf[pos] != 20) {
        con_printf("Invalid footer!\n\n");
        return 0;
    }
    if (address == 0)
        con_printf("The SMS file holds no bytes.\n\n");
    else
        con_printf("Successfully loaded SMS file from $0..$%X.\n\n", address - 1);
    return 1;
}

int file_parse_bpnf(u32 size, u32 address) {
    std::memset(stage_written, 0, sizeof stage_written);
    stage_has_start = false;
    const u32 first = address;
    u32 pos = 0;
    if (!filebuf) size = 0;
    for (;;) {
        if (size < 10 || pos > size - 10) {
            con_printf("File is corrupt or truncated!\n\n");
            return 0;
        }
        if (filebuf[pos] != 'B') {
            con_printf("Unexpected character (expected 'B')!\n\n");
            return 0;
        }
        u8 value = 0;
        for (u32 i = 1; i <= 8; i++) {
            const u8 c = filebuf[pos + i];
            if (c != 'P' && c != 'N') {
                con_printf("Unexpected character (expected 'P' or 'N')!\n\n");
                return 0;
            }
            value = static_cast<u8>(value << 1 | (c == 'P'));
        }
        if (filebuf[pos + 9] != 'F') {
            con_printf("Unexpected character (expected 'F')!\n\n");
            return 0;
        }
        if (!stage_tape_byte(address++, value)) return 0;
        pos += 10;
        if (pos == size) break;
        if (!tape_space(filebuf[pos])) {
            con_printf("Unexpected character (expected whitespace)!\n\n");
            return 0;
        }
        while (pos < size && tape_space(filebuf[pos]))
            pos++;
        if (pos == size) {
            con_printf("Warning: extraneous whitespace at end of file.\n\n");
            break;
        }
    }
    con_printf("Successfully loaded BPNF file from $%X..$%X.\n\n", first, address - 1);
    return 1;
}

void file_commit_sms() {
    objfile_commit();
}
void file_commit_bpnf() {
    objfile_commit();
}
