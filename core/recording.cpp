#include "core/recording.h"

#include "core/serial.h"
#include "core/ui_host.h"
#include "platform/file_identity.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

namespace {
std::string rec_path;  // the host path of the recording file; "" when opened elsewhere
int rec_write_errno;   // the reason of the first write that failed, 0 while none did
FileIdentity rec_took; // the file as it was opened

std::string failure;    // the warning of the last open or close that failed, until taken

// Warns of a recording file that could not be written, and keeps the text
// (without its exclamation mark).
void failed(const std::string& path, const std::string& why) {
    failure = file_failure_text("Can't write to", path, why);
    ui_warning(failure.c_str());
    failure.pop_back();
}

void note_write_failure() {
    if (!rec_write_errno) rec_write_errno = errno ? errno : EIO;
}
} // namespace

void rec_write_byte(u8 byte) {
    if (rec_file && std::fputc(byte, rec_file) == EOF) note_write_failure();
}

bool rec_file_open(const std::string& host_path) {
    rec_file_close();
    rec_file = std::fopen(host_path.c_str(), "a+b");
    if (!rec_file) {
        failed(host_path, std::strerror(errno));
        return false;
    }
    rec_path = host_path;
    rec_write_errno = 0;
    rec_took = file_identity_of(fileno(rec_file));
    return true;
}

const std::string& rec_file_path() {
    return rec_path;
}

bool rec_file_close() {
    if (!rec_file) return true;
    if (std::fflush(rec_file) != 0 || std::ferror(rec_file)) note_write_failure();
    // What was written into a file that is no longer at its name is lost,
    // whether the writes failed or not.
    std::string why;
    int error = 0;
    switch (rec_path.empty() ? FileFate::same
                             : file_identity_fate(rec_path, rec_took, false, &error)) {
    case FileFate::removed: why = "it was removed during the recording"; break;
    case FileFate::unreachable: why = std::strerror(error); break;
    case FileFate::replaced: why = "another file took its place during the recording"; break;
    default: break;
    }
    if (why.empty() && rec_write_errno) why = std::strerror(rec_write_errno);
    if (std::fclose(rec_file) != 0 && why.empty()) why = std::strerror(errno);
    rec_file = nullptr;
    const std::string path = rec_path;
    rec_path.clear();
    rec_write_errno = 0;
    if (why.empty()) return true;
    failed(path, why);
    return false;
}

std::string rec_file_take_failure() {
    std::string told;
    told.swap(failure);
    return told;
}

void rec_reset() {
    rec_file_close();
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
