#include "core/objfile.h"

#include "core/loader.h"
#include "core/message.h"
#include "core/recording.h"
#include "core/seams_games.h"

#include <cctype>
#include <cstring>

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

void objfile_commit() {
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        if (stage_written[a]) guest_memory[a] = stage_data[a];
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
