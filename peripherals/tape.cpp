#include "peripherals/tape.h"

#include "core/filekinds.h"
#include "core/frame.h"
#include "core/files_in_use.h"
#include "core/loader.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/own_outputs.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "platform/catalog.h"
#include "platform/file_identity.h"
#include "platform/paths.h"
#include "record/recorder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <stdio_ext.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

u32 tape_state;
std::FILE* tape_file;
char tape_file_name[513];
int tape_kind = KIND_WAV;
u32 tape_header_size;
u32 tape_sample_rate;
double tape_sample_period = 1.0;
double tape_accumulator;
u32 tape_position;
u32 tape_length;
std::vector<u8> tape_buffer;
u32 tape_buffer_size;
u8 tape_level = TAPE_SILENCE;
u8 tape_prev_level;
u32 tape_last_cycles, tape_last_edge;
i32 tape_reel_phase;
u32 tape_serial;
TapeHeader tape_header;

namespace {

constexpr u32 CREATED_RATE = 44100;
constexpr u32 MIN_RATE = 11025, MAX_RATE = 48000;
// Positions and lengths are 32-bit: a longer file is no tape.
constexpr std::uint64_t MAX_TAPE_FILE = 0x7FFFFFFF;
constexpr long NOWHERE = -1;

long file_offset = NOWHERE; // where tape_file stands, NOWHERE when not known
bool write_failed = false;  // the header or the file's end could not be written
// Recorded samples did not all reach the disk: the recording stops there.
bool samples_lost = false;
int write_errno = 0; // the system's reason for the first of those failures
// An inserted tape is read only until the user records on it: then it is
// opened for writing. Samples written since the header last got its sizes
// leave the tape unfinished.
bool writable = false;
bool unfinished = false;
// The file's first bytes up to the samples (at most TAPE_HEADER_WINDOW) as
// the deck read or last wrote them.
std::vector<u8> header_copy;

u32 be32(const u8* p) {
    return static_cast<u32>(p[0]) << 24 | static_cast<u32>(p[1]) << 16 |
           static_cast<u32>(p[2]) << 8 | p[3];
}
u32 le32(const u8* p) {
    return static_cast<u32>(p[3]) << 24 | static_cast<u32>(p[2]) << 16 |
           static_cast<u32>(p[1]) << 8 | p[0];
}
bool at(const u8* bytes, std::size_t offset, const char* four) {
    return std::memcmp(bytes + offset, four, 4) == 0;
}

// 8SVX and AIFF store signed samples: the file's form and the level differ by $80.
u8 sign_flip() {
    return tape_kind == KIND_WAV ? 0 : 0x80;
}

void changed() {
    tape_serial++;
    ui_mark(UI_REFRESH_WINDOWS);
}

const TapeRule* rule() {
    const auto choose = machine_row().tape;
    return choose ? choose() : nullptr;
}

void set_sense(bool on) {
    if (on)
        cpu_psu |= PSU_S;
    else
        cpu_psu &= static_cast<u8>(~PSU_S);
}

void apply_input(const TapeRule& r) {
    const bool high = tape_level >= tapeskewage;
    switch (r.input) {
    case TapeInput::MEMORY_LEVEL:
        guest_memory[r.in_address & 0x7FFF] = high ? 0xFF : 0x00;
        break;
    case TapeInput::LATCH_BIT7: {
        u8& latch = port_records[r.port % PORT_COUNT].last_value;
        latch = high ? static_cast<u8>(latch | 0x80) : static_cast<u8>(latch & 0x7F);
        break;
    }
    case TapeInput::SENSE_EDGES:
        if (tape_prev_level >= tapeskewage && !high) {
            set_sense(cpu_cycles - tape_last_edge <= r.edge_limit);
            tape_last_edge = cpu_cycles;
        }
        break;
    case TapeInput::SENSE_LEVEL:
        set_sense(high);
        break;
    case TapeInput::NONE:
        break;
    }
    tape_prev_level = tape_level;
}

void apply_output(const TapeRule& r) {
    switch (r.output) {
    case TapeOutput::MEMORY_BYTE:
        tape_level = guest_memory[r.out_address & 0x7FFF];
        break;
    case TapeOutput::SQUARE_WAVE: {
        const u32 period = (cpu_psu & PSU_F) ? r.period / 2 : r.period;
        if (period) tape_level = cpu_cycles % period < period / 2 ? TAPE_HIGH : TAPE_LOW;
        break;
    }
    case TapeOutput::LATCH_LEVELS: {
        const u8 latch = port_records[r.port % PORT_COUNT].last_value;
        tape_level = latch == 16 ? TAPE_LOW : latch == 24 ? TAPE_HIGH : TAPE_SILENCE;
        break;
    }
    case TapeOutput::LATCH_BIT0:
        tape_level = (port_records[r.port % PORT_COUNT].last_value & 1) ? TAPE_LOW : TAPE_HIGH;
        break;
    case TapeOutput::NONE:
        break;
    }
}

std::string host_name() {
    return path_to_host(tape_file_name);
}

// No write has failed on the tape in the deck.
void forget_failures() {
    write_failed = samples_lost = false;
    write_errno = 0;
}

// "Can't write to <file>: <the system's reason>!" for the first failed write.
std::string write_failure() {
    if (!write_errno) return "Can't write to " + host_name() + "!";
    return file_failure_text("Can't write to", host_name(), std::strerror(write_errno));
}

// A failed write: of samples, or of the header or the file's end.
void note_errno(bool header) {
    bool& failed = header ? write_failed : samples_lost;
    if (!failed) write_errno = errno;
    failed = true;
}

// Writes sample `slot` in the file's form, seeking first when the file does
// not stand there.
void write_slot(u32 slot, u8 stored) {
    const long want = static_cast<long>(tape_header_size) + static_cast<long>(slot);
    unfinished = true;
    if ((file_offset != want && std::fseek(tape_file, want, SEEK_SET) != 0) ||
        std::fputc(stored, tape_file) == EOF) {
        file_offset = NOWHERE;
        note_errno(false);
        return;
    }
    file_offset = want + 1;
}

// The samples the head passed, [from, to), recorded at the current level;
// none after a failed write.
void record_slots(u32 from, u32 to) {
    constexpr u32 MOST = 1u << 16; // what a stalled clock may leave behind
    if (to - from > MOST) from = to - MOST;
    const u8 stored = static_cast<u8>(tape_level ^ sign_flip());
    for (u32 slot = from; slot < to && !samples_lost; slot++) {
        if (tape_write_protect) {
            // Old samples stay; new tape gets silence.
            if (slot < tape_length) continue;
            write_slot(slot, static_cast<u8>(TAPE_SILENCE ^ sign_flip()));
            continue;
        }
        if (slot < tape_buffer_size) tape_buffer[slot] = stored;
        write_slot(slot, stored);
    }
    if (tape_write_protect) tape_level = TAPE_SILENCE;
    tape_length = std::max(tape_length, to); // past what reached the disk after a failure
}

// After a failed write the stream may still hold samples the disk refused:
// they go, and the tape is what the file holds, an even number of samples.
void keep_what_reached_disk() {
    __fpurge(tape_file);
    std::clearerr(tape_file);
    file_offset = NOWHERE;
    const int fd = fileno(tape_file);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    std::uint64_t held = size > tape_header_size ? size - tape_header_size : 0;
    held = std::min<std::uint64_t>(held, tape_length) & ~std::uint64_t{1};
    if (tape_header_size + held < size) {
        // Shorter, the file takes no new room; should it fail, the samples
        // past the header's count are only left over.
        const int ignored = ::ftruncate(fd, static_cast<off_t>(tape_header_size + held));
        (void)ignored;
    }
    tape_length = static_cast<u32>(held);
    tape_position = std::min(tape_position, tape_length);
    tape_accumulator = tape_position;
}

// Whether the tape's file is still the one in the deck, at its name, as the
// deck left it (what it wrote is on the disk): "" when it is, else what
// became of it.
std::string changed_under_deck() {
    const FileIdentity held = file_identity_of(fileno(tape_file));
    const std::string what = file_identity_change(host_name(), held, false);
    if (!what.empty()) return what;
    std::vector<u8> now(header_copy.size());
    if (held.size != static_cast<std::uint64_t>(tape_header_size) + tape_length ||
        ::pread(fileno(tape_file), now.data(), now.size(), 0) != static_cast<ssize_t>(now.size()) ||
        now != header_copy)
        return "was changed since it went in";
    return "";
}

void warn_file(const char* lead, const std::string& what) {
    ui_warning(file_identity_warning(lead, host_name(), what).c_str());
}

// The buffer again from the file, `tape_length` samples.
void reread_buffer() {
    tape_buffer_size = tape_length;
    tape_buffer.assign(tape_length, static_cast<u8>(TAPE_SILENCE ^ sign_flip()));
    file_offset = NOWHERE;
    if (!tape_file || tape_length == 0) return;
    std::fflush(tape_file);
    if (std::fseek(tape_file, static_cast<long>(tape_header_size), SEEK_SET) == 0) {
        const std::size_t got = std::fread(tape_buffer.data(), 1, tape_length, tape_file);
        (void)got; // a short read leaves silence
    }
    std::clearerr(tape_file);
}

// A size field of the header, into the file and the header's copy.
void put_bytes(long offset, const u8 (&b)[4], bool* ok) {
    if (static_cast<std::size_t>(offset) + 4 <= header_copy.size())
        std::memcpy(header_copy.data() + offset, b, 4);
    if (std::fseek(tape_file, offset, SEEK_SET) != 0 || std::fwrite(b, 1, 4, tape_file) != 4)
        *ok = false;
}
void put_be32(long offset, u32 v, bool* ok) {
    const u8 b[4] = {static_cast<u8>(v >> 24), static_cast<u8>(v >> 16), static_cast<u8>(v >> 8),
                     static_cast<u8>(v)};
    put_bytes(offset, b, ok);
}
void put_le32(long offset, u32 v, bool* ok) {
    const u8 b[4] = {static_cast<u8>(v), static_cast<u8>(v >> 8), static_cast<u8>(v >> 16),
                     static_cast<u8>(v >> 24)};
    put_bytes(offset, b, ok);
}

// The sizes of a tape of `s` samples into its header: the form, the
// sample count, and the chunk that holds the samples (and anything of its
// own before them, AIFF's offset and block size).
bool patch_header(u32 s) {
    bool ok = true;
    const TapeHeader& h = tape_header;
    const u32 form = s + tape_header_size - 8;
    const u32 chunk = s + tape_header_size - (h.data_size_at + 4);
    auto put = tape_kind == KIND_WAV ? put_le32 : put_be32;
    put(4, form, &ok);
    if (h.frames_at) put(h.frames_at, s, &ok);
    if (h.fact_at) put(h.fact_at, s, &ok);
    if (h.data_size_at) put(h.data_size_at, chunk, &ok);
    return ok;
}

// The tape in the deck again, now for writing: the same file, through the
// descriptor the deck holds (the caller made sure it still stands at its
// name). False, with the reason, when it cannot be written (a read-only
// drive, a write-protected file).
bool open_for_writing() {
    const std::string same_file = "/proc/self/fd/" + std::to_string(fileno(tape_file));
    // A write-protected file is not recorded on, even where the system would
    // let us write it.
    const bool protected_file = path_save_place(same_file) == PATH_SAVE_READ_ONLY;
    std::FILE* f = protected_file ? nullptr : std::fopen(same_file.c_str(), "rb+");
    int error = protected_file ? EACCES : f ? 0 : errno;
    if (error == ENOENT) { // no /proc: by its name
        f = std::fopen(path_to_host(tape_file_name).c_str(), "rb+");
        error = f ? 0 : errno;
    }
    if (!f) {
        const std::string why =
            std::string("Can't record on this tape: its file can't be written (") +
            std::strerror(error) + ").";
        ui_warning(why.c_str());
        return false;
    }
    std::fclose(tape_file);
    tape_file = f;
    file_offset = NOWHERE;
    writable = true;
    return true;
}

// The sizes into the header when samples were written since it last got
// them. The samples go to the disk first; where some could not, the header
// counts those that did. A file that is no longer the tape the deck wrote
// (removed, replaced, changed) is not written: false, with the warning.
bool finish_header() {
    if (!unfinished || !tape_file) return true;
    unfinished = false;
    if (!samples_lost && std::fflush(tape_file) != 0) note_errno(false);
    if (samples_lost) keep_what_reached_disk();
    const std::string what = changed_under_deck();
    if (!what.empty()) {
        warn_file("Can't finish the recording on this tape", what);
        samples_lost = false;
        return false;
    }
    if (!patch_header(tape_length) || std::fflush(tape_file) != 0) note_errno(true);
    return true;
}

// What was recorded since the header last got its sizes is finished, and the
// buffer read again. Samples that could not be written stop the deck, with
// the file's name and the system's reason: false when a warning was given.
bool finish_recording() {
    if (!unfinished) return true;
    const bool finished = finish_header();
    reread_buffer();
    if (!finished) return false;
    if (!samples_lost) return true;
    samples_lost = false;
    tape_state = CASSETTE_STOPPED;
    changed();
    const std::string text =
        write_failure() + " The tape was stopped at " + tape_position_text() + ".";
    ui_warning(text.c_str());
    return false;
}

void remember_drawer(const char* path) {
    const std::string drawer = std::filesystem::path(path).parent_path().string();
    if (!drawer.empty()) std::snprintf(tapes_path, sizeof tapes_path, "%s", drawer.c_str());
}

const char* kind_extension(int kind) {
    return file_kinds[kind].extension;
}

} // namespace

// ---- Headers ----------------------------------------------------------------------

i32 tape_extended_to_int(const u8* p) {
    const u32 e = (static_cast<u32>(p[0]) << 8 | p[1]) & 0x7FFF;
    const bool negative = p[0] & 0x80;
    const u32 m = be32(p + 2);
    if (e < 16383) return 0;
    if (e > 16414) return negative ? -2147483647 : 2147483647;
    const i32 v = static_cast<i32>(m >> (16414 - e));
    return negative ? -v : v;
}

namespace {

// The chunks of an IFF form from offset 12 up to the one holding the
// samples: `need` (VHDR, COMM, at least `need_size` bytes long) must come
// first; `body` gives the samples. The places of the chunks' data, or a
// refusal. Bytes inside a chunk are that chunk's: a name there is no chunk.
// Chunk sizes are measured against the header window, never against the
// file's size: recording only adds samples, so a tape reads the same before
// and after. A chunk that ends inside the window but past the file's end
// leaves the file too short; one whose size runs past the window is taken as
// a wrong size, and the chunks after it are looked for by name.
const char* find_chunks(const u8* b, std::size_t size, const char* need_id, u32 need_size,
                        const char* body, std::size_t* need_at, std::size_t* body_at) {
    *need_at = 0;
    std::size_t at = 12;
    while (at + 8 <= size) {
        const u32 length = be32(b + at + 4);
        if (std::memcmp(b + at, need_id, 4) == 0) {
            if (length < need_size) return "Unsupported file format!";
            *need_at = at + 8;
        }
        if (std::memcmp(b + at, body, 4) == 0) {
            if (!*need_at) return "Unsupported file format!";
            *body_at = at + 8;
            return nullptr;
        }
        const std::uint64_t next = at + 8 + static_cast<std::uint64_t>(length) + (length & 1);
        if (next > TAPE_HEADER_WINDOW) break;
        at = static_cast<std::size_t>(next);
    }
    // A chunk whose size runs past the header (some programs write a wrong
    // one into their comments): the chunks are looked for by name from
    // there on, past the chunks already walked whole. Past the file's end
    // nothing is found.
    auto find = [&](const char* id, std::size_t from) -> std::size_t {
        for (std::size_t i = from; i + 8 <= size; i++)
            if (std::memcmp(b + i, id, 4) == 0) return i;
        return 0;
    };
    std::size_t from = at;
    if (!*need_at) {
        const std::size_t need = find(need_id, at);
        if (need) {
            // Its own size when it ends inside the header, else the least it holds.
            const u32 length = be32(b + need + 4);
            if (length < need_size) return "Unsupported file format!";
            const std::uint64_t end = need + 8 + static_cast<std::uint64_t>(length) + (length & 1);
            from = end <= TAPE_HEADER_WINDOW ? static_cast<std::size_t>(end) : need + 8 + need_size;
            *need_at = need + 8;
        }
    } else if (*need_at - 8 == at) {
        from = at + 8 + need_size; // the chunk that runs past is the one needed
    }
    if (*need_at) {
        const std::size_t samples = find(body, from);
        if (samples) {
            *body_at = samples + 8;
            return nullptr;
        }
    }
    return *need_at || size < TAPE_HEADER_WINDOW ? "File is too short!" : "Unsupported file format!";
}

} // namespace

const char* tape_read_header(const u8* b, std::size_t size, TapeHeader* out) {
    const char* const SHORT = "File is too short!";
    if (size < 20) return SHORT;
    TapeHeader h;
    std::size_t chunk = 0, body = 0;
    if (at(b, 0, "FORM") && at(b, 8, "8SVX")) {
        if (const char* refusal = find_chunks(b, size, "VHDR", 16, "BODY", &chunk, &body))
            return refusal;
        if (chunk + 16 > size) return SHORT;
        if (b[chunk + 14] != 1) return "Number of octaves must be 1!";
        if (b[chunk + 15] != 0) return "Compression must be 0!";
        h.kind = KIND_8SVX;
        h.rate = static_cast<u32>(b[chunk + 12]) << 8 | b[chunk + 13];
        h.frames_at = static_cast<u32>(chunk);
        h.data_size_at = static_cast<u32>(body - 4);
        h.header_size = static_cast<u32>(body);
    } else if (at(b, 0, "FORM") && at(b, 8, "AIFF")) {
        if (const char* refusal = find_chunks(b, size, "COMM", 18, "SSND", &chunk, &body))
            return refusal;
        if (chunk + 18 > size || body + 8 > size) return SHORT;
        if (b[chunk] != 0 || b[chunk + 1] != 1) return "Number of channels must be 1!";
        if (b[chunk + 6] != 0 || b[chunk + 7] != 8) return "Bits per sample must be 8!";
        const i32 rate = tape_extended_to_int(b + chunk + 8);
        h.kind = KIND_AIFF;
        h.rate = rate < 0 ? 0 : static_cast<u32>(rate);
        h.frames_at = static_cast<u32>(chunk + 2);
        h.data_size_at = static_cast<u32>(body - 4);
        const std::uint64_t start = body + 8 + static_cast<std::uint64_t>(be32(b + body));
        if (start > size) return SHORT;
        h.header_size = static_cast<u32>(start);
    } else if (at(b, 0, "RIFF") && at(b, 8, "WAVE") && at(b, 12, "fmt ")) {
        const u32 fmt = le32(b + 16);
        if (fmt != 16 && fmt != 18) return "Unsupported file format!";
        h.kind = KIND_WAV;
        h.header_size = fmt == 16 ? 44u : 58u;
        if (size < h.header_size) return SHORT;
        // The chunks stand where the header's size puts them: the samples'
        // size is written back into the "data" chunk found there.
        if (h.header_size == 58 && (!at(b, 38, "fact") || le32(b + 42) != 4))
            return "Unsupported file format!";
        if (!at(b, h.header_size - 8, "data")) return "Unsupported file format!";
        if (b[20] != 1 || b[21] != 0) return "Compression must be 1!";
        if (b[22] != 1 || b[23] != 0) return "Number of channels must be 1!";
        if (b[34] != 8 || b[35] != 0) return "Bits per sample must be 8!";
        h.rate = le32(b + 24);
        h.data_size_at = h.header_size - 4;
        if (h.header_size == 58) h.fact_at = 46;
    } else {
        return "Unsupported file format!";
    }
    if (h.rate < MIN_RATE || h.rate > MAX_RATE) return "Unsupported sample rate!";
    *out = h;
    return nullptr;
}

// ---- The deck -----------------------------------------------------------------------

void tape_cycles_per_sample() {
    // The tape's seconds are the frame clock's (core/frame.h): a sample lasts
    // what a second of the machine's frames runs, divided by the file's rate.
    const double units = frame_clock().units_per_second();
    if (rule() && units > 0.0 && tape_sample_rate) tape_sample_period = units / tape_sample_rate;
}

bool tape_create_at(int kind, const char* path) {
    if (!path || !path[0]) return false;
    if (kind != KIND_8SVX && kind != KIND_AIFF) kind = KIND_WAV;
    const std::string host = path_to_host(path);
    if (tape_state != CASSETTE_EMPTY) tape_close_sample_file();
    const std::string header = kind == KIND_8SVX   ? snd_8svx_header(0, CREATED_RATE)
                               : kind == KIND_AIFF ? snd_aiff_header(0, CREATED_RATE)
                                                   : snd_wav_header(0, CREATED_RATE);
    // The empty tape replaces the file as every save does (a write-protected
    // file, a FIFO or a device stays), then the deck records into it.
    std::string error;
    std::FILE* f = nullptr;
    if (file_write_replace(host, header.data(), header.size(), &error)) {
        f = std::fopen(host.c_str(), "rb+");
        if (!f) error = std::strerror(errno);
    }
    if (!f) {
        ui_warning(file_failure_text("Can't create", host, error).c_str());
        return false;
    }
    std::fseek(f, 0, SEEK_END);
    tape_file = f;
    std::snprintf(tape_file_name, sizeof tape_file_name, "%s", path);
    tape_kind = kind;
    tape_header_size = static_cast<u32>(header.size());
    tape_read_header(reinterpret_cast<const u8*>(header.data()), header.size(), &tape_header);
    header_copy.assign(header.begin(), header.end());
    tape_sample_rate = CREATED_RATE;
    tape_cycles_per_sample();
    tape_length = 0;
    tape_buffer.clear();
    tape_buffer_size = 0;
    tape_accumulator = 0;
    tape_position = 0;
    tape_reel_phase = 0;
    file_offset = static_cast<long>(header.size());
    forget_failures();
    writable = true;
    unfinished = false;
    tape_state = CASSETTE_STOPPED;
    changed();
    return true;
}

void tape_create_sample_file(int kind) {
    if (kind != KIND_8SVX && kind != KIND_AIFF) kind = KIND_WAV;
    std::string suggested;
    if (load_start_known && game_file_name[0]) {
        suggested = own_output_name(game_file_name, kind_extension(kind));
    }
    char chosen[513] = "";
    if (ui_host.save_request(file_kinds[kind].save_title, file_kinds[kind].pattern, tapes_path,
                             suggested.c_str(), file_suffix_adder(kind_extension(kind)),
                             chosen) != 0)
        return;
    remember_drawer(chosen);
    tape_create_at(kind, chosen);
}

int tape_insert_file(const char* path) {
    if (!path || !path[0]) return 0;
    const std::string host = path_to_host(path);
    const std::string elsewhere = medium_holds_already(host, FileUse::tape, -1);
    if (!elsewhere.empty()) {
        ui_warning(elsewhere.c_str());
        return 0;
    }
    // The tape in the deck, named again, goes out finished and comes back in.
    if (tape_state != CASSETTE_EMPTY && path_to_host(tape_file_name) == host)
        tape_close_sample_file();

    // The new tape is read aside; the deck changes only once it is taken.
    // Read only: a tape on a read-only drive plays, and one that is only
    // played is never written. A folder, a FIFO or a device is refused
    // without waiting on it.
    unsigned long long length = 0;
    const int fd = path_open_regular(host, &length);
    std::FILE* f = fd >= 0 && length > 0 && length <= MAX_TAPE_FILE ? ::fdopen(fd, "rb") : nullptr;
    if (!f) {
        if (fd >= 0) ::close(fd);
        ui_warning(fd >= 0 && length > MAX_TAPE_FILE ? cat_str(335, "File is too large!\n\n")
                                                     : "Can't open file for input!");
        return 0;
    }
    const std::size_t size = static_cast<std::size_t>(length);
    u8 head[TAPE_HEADER_WINDOW];
    const std::size_t got = std::fread(head, 1, std::min(size, sizeof head), f);
    TapeHeader h;
    const char* refusal = got < std::min(size, sizeof head) ? "File is too short!"
                                                            : tape_read_header(head, got, &h);
    std::vector<u8> samples;
    if (!refusal) {
        samples.resize(size - h.header_size);
        if (std::fseek(f, static_cast<long>(h.header_size), SEEK_SET) != 0 ||
            std::fread(samples.data(), 1, samples.size(), f) != samples.size())
            refusal = "Can't read from file!";
    }
    if (refusal) {
        std::fclose(f);
        ui_warning(refusal);
        return 0;
    }

    if (tape_state != CASSETTE_EMPTY) tape_close_sample_file();
    tape_file = f;
    std::snprintf(tape_file_name, sizeof tape_file_name, "%s", path);
    tape_kind = h.kind;
    tape_header = h;
    tape_header_size = h.header_size;
    tape_sample_rate = h.rate;
    tape_length = static_cast<u32>(samples.size());
    tape_cycles_per_sample();
    tape_accumulator = 0;
    tape_position = 0;
    tape_reel_phase = 0;
    tape_buffer = std::move(samples);
    tape_buffer_size = tape_length;
    header_copy.assign(head, head + h.header_size);
    file_offset = NOWHERE;
    forget_failures();
    writable = false;
    unfinished = false;
    tape_state = CASSETTE_STOPPED;
    changed();
    return 1;
}

int tape_load_sample_file(int ask) {
    char chosen[513] = "";
    if (ask) {
        if (ui_host.file_request(cat_str(809, "Insert Tape"), "#?.(IFF|8SVX|8SV|AIFF|AIF|WAV)", 0,
                                 tapes_path, "", chosen) != 0)
            return 0;
        remember_drawer(chosen);
    } else {
        std::snprintf(chosen, sizeof chosen, "%s", tape_file_name);
    }
    return tape_insert_file(chosen);
}

void tape_play() {
    if (tape_state == CASSETTE_EMPTY) return;
    tape_state = CASSETTE_PLAYING;
    tape_last_cycles = cpu_cycles;
    tape_prev_level = 0;
    tape_last_edge = cpu_cycles;
    changed();
}

void tape_record() {
    if (tape_state == CASSETTE_EMPTY) return;
    // What was recorded before (a recording that went on playing) gets its
    // sizes first: the file is then the tape the deck knows, and is checked
    // against it. A tape whose file was removed, replaced or changed since is
    // not written.
    if (!finish_recording()) {
        tape_state = CASSETTE_STOPPED;
        changed();
        return;
    }
    if (tape_file) {
        const std::string what = changed_under_deck();
        if (!what.empty()) {
            warn_file("Can't record on this tape", what);
            return;
        }
        if (!writable && !open_for_writing()) return;
    }
    tape_state = CASSETTE_RECORDING;
    tape_last_cycles = cpu_cycles;
    changed();
}

void tape_stop() {
    if (tape_state != CASSETTE_PLAYING && tape_state != CASSETTE_RECORDING) return;
    // A recording always ends on an even number of samples; one that wrote
    // nothing leaves the file as it was.
    if (tape_state == CASSETTE_RECORDING && unfinished && !samples_lost &&
        tape_position == tape_length && (tape_position & 1)) {
        record_slots(tape_position, tape_position + 1);
        tape_position = tape_length;
        tape_accumulator = tape_position;
    }
    // The header counts the samples at every stop, not only at eject: the
    // file on disk is a whole tape while it stays in the deck.
    finish_recording();
    tape_state = CASSETTE_STOPPED;
    changed();
}

bool tape_close_sample_file() {
    if (tape_state == CASSETTE_EMPTY) return true;
    tape_stop();
    finish_recording(); // a recording that played on and ran out
    if (tape_file) {
        if (writable && (std::fflush(tape_file) != 0 || std::ferror(tape_file))) note_errno(true);
        if (std::fclose(tape_file) != 0 && writable) note_errno(true);
    }
    tape_file = nullptr;
    const bool ok = !write_failed;
    if (!ok) ui_warning(write_failure().c_str());
    tape_buffer.clear();
    tape_buffer.shrink_to_fit();
    tape_position = 0;
    tape_length = 0;
    tape_accumulator = 0;
    tape_buffer_size = 0;
    header_copy.clear();
    file_offset = NOWHERE;
    forget_failures();
    writable = false;
    unfinished = false;
    tape_state = CASSETTE_EMPTY;
    changed();
    return ok;
}

void tape_wind_to(double position) {
    if (tape_state == CASSETTE_EMPTY) return;
    if (!(position > 0)) position = 0;
    if (position > tape_length) position = tape_length;
    tape_accumulator = position;
    tape_position = static_cast<u32>(position);
    ui_mark(UI_REFRESH_WINDOWS);
}

void tape_reset() {
    if (tape_file) std::fclose(tape_file);
    tape_file = nullptr;
    tape_state = CASSETTE_EMPTY;
    tape_file_name[0] = 0;
    tape_kind = KIND_WAV;
    tape_header_size = 0;
    tape_sample_rate = 0;
    tape_sample_period = 1.0;
    tape_accumulator = 0;
    tape_position = tape_length = tape_buffer_size = 0;
    tape_buffer.clear();
    tape_level = TAPE_SILENCE;
    tape_prev_level = 0;
    tape_last_cycles = tape_last_edge = 0;
    tape_reel_phase = 0;
    header_copy.clear();
    file_offset = NOWHERE;
    forget_failures();
    writable = false;
    unfinished = false;
}

// ---- The tick -----------------------------------------------------------------------

void tape_restart_clock() {
    tape_last_cycles = tape_last_edge = cpu_cycles;
}

void tape_sample_tick() {
    if (tape_state != CASSETTE_PLAYING && tape_state != CASSETTE_RECORDING) return;
    // The samples follow the clock of the machine that runs now: the tape may
    // have gone in on another machine, or before its fast clock was chosen.
    // The clock changes between frames only: it is read once a frame.
    static u32 clock_frame = ~0u;
    if (frame_counter != clock_frame) {
        clock_frame = frame_counter;
        tape_cycles_per_sample();
    }
    u32 elapsed = cpu_cycles - tape_last_cycles;
    if (static_cast<i32>(elapsed) < 0) elapsed = 0; // the clock went back: a reset or a state
    tape_last_cycles = cpu_cycles;
    tape_accumulator += elapsed / tape_sample_period;
    const u32 old = tape_position;
    if (tape_accumulator >= 4294967295.0) tape_accumulator = 4294967295.0;
    tape_position = static_cast<u32>(tape_accumulator);
    const TapeRule* r = tape_position > old || tape_verbose ? rule() : nullptr;
    if (tape_position > old) {
        // The sample the head has just passed moves between tape and machine.
        if (tape_state == CASSETTE_PLAYING) {
            if (tape_position <= tape_length && tape_position <= tape_buffer_size) {
                u8 level = static_cast<u8>(tape_buffer[tape_position - 1] ^ sign_flip());
                if (tape_invert) level = static_cast<u8>(~level);
                tape_level = level;
                if (r) apply_input(*r);
            } else {
                tape_position = tape_length;
                tape_accumulator = tape_length;
                tape_state = CASSETTE_STOPPED;
                tape_serial++;
                ui_mark(UI_REFRESH_WINDOWS);
            }
        } else {
            if (r) apply_output(*r);
            if (tape_invert) tape_level = static_cast<u8>(~tape_level);
            record_slots(old, tape_position);
            if (samples_lost) tape_stop(); // the disk is full, or gone
        }
    }
    if (tape_verbose && r) {
        if (tape_state == CASSETTE_PLAYING && r->trace_load) r->trace_load();
        if (tape_state == CASSETTE_RECORDING && r->trace_save) r->trace_save();
    }
}

// ---- Texts --------------------------------------------------------------------------

void tape_format_time(double samples, char* out, std::size_t size) {
    if (!out || size == 0) return;
    double seconds = tape_sample_rate ? samples / tape_sample_rate : 0.0;
    if (!(seconds > 0)) seconds = 0;
    const double us = std::floor(seconds * 1e6 + 0.5);
    if (us >= 1000.0 * 60e6) {
        std::snprintf(out, size, "###:##.######");
        return;
    }
    const auto whole = static_cast<std::uint64_t>(us);
    const std::uint64_t minutes = whole / 60000000u, rest = whole % 60000000u;
    std::snprintf(out, size, "%u:%02u.%06u", static_cast<unsigned>(minutes),
                  static_cast<unsigned>(rest / 1000000u), static_cast<unsigned>(rest % 1000000u));
}

const char* tape_position_text() {
    static char text[24];
    // The head runs a part of a sample ahead of the last one recorded: it
    // shows no further than the tape goes.
    tape_format_time(std::min<double>(tape_accumulator, tape_length), text, sizeof text);
    return text;
}

void tape_deck_title(char* out, std::size_t size) {
    if (!out || size == 0) return;
    std::string title = machine_traits().mdcr ? cat_str(791, "Cassette Tape Decks")
                                              : cat_str(790, "Cassette Tape Deck");
    if (tape_state != CASSETTE_EMPTY) {
        const char* part = tape_file_name;
        for (const char* p = tape_file_name; *p; p++)
            if (*p == ':' || *p == '/' || *p == '\\') part = p + 1;
        title += ": ";
        title += part;
    }
    std::snprintf(out, size, "%s", title.c_str());
}

// ---- The waveform -------------------------------------------------------------------

u8 tape_picture[TAPE_PICTURE_WIDTH * TAPE_PICTURE_HEIGHT];

int tape_playhead_column() {
    if (tape_buffer_size == 0) return 0;
    const double column = tape_accumulator * TAPE_PICTURE_WIDTH / tape_buffer_size;
    return column >= TAPE_PICTURE_WIDTH - 1 ? TAPE_PICTURE_WIDTH - 1
           : column > 0                    ? static_cast<int>(column)
                                           : 0;
}

void tape_draw_picture() {
    constexpr int W = TAPE_PICTURE_WIDTH, H = TAPE_PICTURE_HEIGHT;
    constexpr u8 BAR = 7, INK = 9;
    u8 background = 8;
    if (tape_state == CASSETTE_STOPPED) background = 2;
    if (tape_state == CASSETTE_PLAYING) background = 6;
    if (tape_state == CASSETTE_RECORDING) background = tape_write_protect ? 3 : 0;
    std::memset(tape_picture, background, sizeof tape_picture);
    const int t = 255 - tapeskewage;
    auto plot = [](int x, int level, u8 colour) {
        tape_picture[(127 - level / 2) * W + x] = colour;
    };
    if (tape_state != CASSETTE_EMPTY && tape_buffer_size > 0 &&
        tape_buffer.size() >= tape_buffer_size) {
        for (int x = 0; x < W; x++) {
            const auto index = static_cast<u32>(x * static_cast<double>(tape_buffer_size) / W);
            u8 v = static_cast<u8>(tape_buffer[std::min(index, tape_buffer_size - 1)] ^ sign_flip());
            if (tape_invert) v = static_cast<u8>(~v);
            if (v < t)
                for (int level = v; level < t; level += 2)
                    plot(x, level, BAR);
            else
                for (int level = t + 1; level <= v; level += 2)
                    plot(x, level, BAR);
        }
        const int head = tape_playhead_column();
        for (int y = 0; y < H; y++)
            tape_picture[y * W + head] = INK;
    }
    for (int x = 0; x < W; x++)
        plot(x, t, INK);
}
