#include "core/recording.h"

#include <cstdlib>

u8* filebuf = nullptr;
u32 filebuf_cursor = 0;
u32 filebuf_size = 0;
u32 filebuf_length = 0;
char file_name_buffer[FILE_NAME_SIZE] = {};

u32 rec_state = REC_IDLE;
std::FILE* rec_file = nullptr;
u32 rec_length = 0;

void filebuf_free() {
    std::free(filebuf);
    filebuf = nullptr;
    filebuf_size = 0;
    filebuf_cursor = 0;
}

bool filebuf_alloc(u32 size) {
    if (size == 0) return true;
    filebuf_free();
    filebuf = static_cast<u8*>(std::calloc(size, 1));
    if (!filebuf) return false;
    filebuf_size = size;
    return true;
}

u8 rec_read_byte() {
    // The end of playback is noticed once per frame; reads past it in the
    // meantime must stay inside the buffer.
    u32 end = rec_length < filebuf_size ? rec_length : filebuf_size;
    if (!filebuf || filebuf_cursor >= end) return 0;
    return filebuf[filebuf_cursor++];
}

void rec_write_byte(u8 byte) {
    if (rec_file) std::fputc(byte, rec_file);
}

void rec_reset() {
    if (rec_file) std::fclose(rec_file);
    rec_file = nullptr;
    rec_state = REC_IDLE;
    rec_length = 0;
    filebuf_free();
    filebuf_length = 0;
    file_name_buffer[0] = '\0';
}

u8 rng_byte(u32 n) {
    if (rec_state == REC_PLAYBACK) {
        u8 byte = rec_read_byte();
        // A damaged recording must not hand out values the caller never asked for.
        return n ? static_cast<u8>(byte % n) : 0;
    }
    u8 byte = n ? static_cast<u8>(static_cast<u32>(std::rand()) % n) : 0;
    if (rec_state == REC_RECORDING) rec_write_byte(byte);
    return byte;
}
