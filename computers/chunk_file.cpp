#include "computers/chunk_file.h"

#include "core/emu.h"
#include "core/loader.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/message.h"
#include "core/serial.h"

bool chunk_file_parse(const ChunkFormat& f, const u8* data, u32 size,
                      std::vector<ParsedChunk>* chunks, i32* start) {
    chunks->clear();
    *start = -1;
    u32 at = 0;
    while (at < size) {
        if (size - at < f.header) {
            con_printf("Warning: incomplete chunk header at end of file.\n");
            break;
        }
        const u32 address = static_cast<u32>(data[at] << 8 | data[at + 1]);
        const u32 length =
            f.header == 4 ? static_cast<u32>(data[at + 2] << 8 | data[at + 3]) : data[at + 2];
        at += f.header;
        // A chunk that would reach past the guest's 32 KB is refused whole.
        if (address > 0x7FFF) con_printf("Invalid chunk header (invalid chunk load address)!\n");
        if (address > 0x7FFF || address + length > 0x8000) {
            con_printf("Invalid chunk header (invalid chunk end address)!\n\n");
            return false;
        }
        if (length == 0) {
            *start = static_cast<i32>(address);
            con_printf("Successfully loaded %s file.\n\n", f.name);
            return true;
        }
        if (f.longest && length > f.longest) con_printf("Warning: excessively long chunk.\n");
        u32 n = length;
        if (n > size - at) {
            n = size - at;
            con_printf("Warning: truncated chunk.\n");
        }
        chunks->push_back({static_cast<u16>(address), std::vector<u8>(data + at, data + at + n)});
        at += n;
    }
    con_printf("Warning: no end-of-file chunk found.\n\n");
    return true;
}

void chunk_file_commit(std::vector<ParsedChunk>* chunks, i32 start) {
    for (const ParsedChunk& c : *chunks)
        load_put_bytes(c.address, c.bytes.data(), static_cast<u32>(c.bytes.size()));
    chunks->clear();
    if (start >= 0) {
        game_start_address = static_cast<u16>(start);
        load_start_known = 1;
    }
}

bool chunk_file_save(const ChunkFormat& f, const std::string& path, u32 first, u32 last,
                     u32 start) {
    std::vector<u8> out;
    auto header = [&](u32 address, u32 length) {
        out.push_back(static_cast<u8>(address >> 8));
        out.push_back(static_cast<u8>(address));
        if (f.header == 4) out.push_back(static_cast<u8>(length >> 8));
        out.push_back(static_cast<u8>(length));
    };
    for (u32 a = first; a <= last && last < GUEST_MEMORY_SIZE;) {
        const u32 left = last - a + 1;
        const u32 n = f.written && left > f.written ? f.written : left;
        header(a, n);
        out.insert(out.end(), guest_memory + a, guest_memory + a + n);
        a += n;
    }
    header(start, 0);
    return objfile_write_file(path, out.data(), out.size(), false);
}

int ChunkFileLoad::parse(u32 size) {
    return filebuf && chunk_file_parse(format, filebuf, size, &chunks, &start) ? 1 : 0;
}
