// Sound recording: the guest's voices re-synthesised into one temporary 8-bit
// WAV file each (in the runtime folder, named after the process and made
// exclusively; the exit path removes them, and a later recording those of a
// killed run), written span by span whenever a voice
// starts, changes or stops, and mixed at the end into WAV, 8SVX and AIFF.
// Spans are timed in guest clock periods (frames on the machines without a
// processor), a second being what the frame clock (core/frame.h) makes it.
#include "record/recorder.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/machine_table.h"
#include "core/serial.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/cpu.h"
#include "platform/audio.h"
#include "platform/paths.h"
#include "sound/effects.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {
constexpr u32 WAVE_MAX = 44100;
constexpr u32 HEADER = 44;
constexpr u16 NOISE_START = 0xF0;

struct VoiceFile {
    std::FILE* file = nullptr;
    std::string path;
    u32 stamp = 0;  // guest time of the last write
    u32 length = 0; // sample bytes written
};
VoiceFile files[SND_VOICES];
std::vector<u8> waves[SND_TONE_VOICES];
u8 level_high = 255, level_low = 1;
u16 noise_register = NOISE_START;
bool running = false;
bool held = false; // running, but not taking spans while the clock restarts

u32 rate() {
    return snd_record_rate >= 22050 ? 22050 : 11025;
}

u32 now() {
    return machine_traits().no_processor ? frame_counter : cpu_cycles;
}

// Guest time units per second, by the frame clock.
double units_per_second() {
    const FrameClock clock = frame_clock();
    return clock.units_per_frame > 0 ? clock.units_per_second() : clock.rate;
}

void put_le(std::string& s, u32 v, int bytes) {
    for (int i = 0; i < bytes; i++)
        s.push_back(static_cast<char>(v >> (8 * i)));
}
void put_be(std::string& s, u32 v, int bytes) {
    for (int i = bytes - 1; i >= 0; i--)
        s.push_back(static_cast<char>(v >> (8 * i)));
}

void write_bytes(VoiceFile& vf, const u8* data, std::size_t n) {
    if (std::fwrite(data, 1, n, vf.file) != n) vf.length = 0; // a short file mixes as silence
}

void write_fill(VoiceFile& vf, u8 value, std::size_t n) {
    u8 block[1024];
    std::memset(block, value, sizeof block);
    while (n > 0) {
        const std::size_t k = std::min<std::size_t>(n, sizeof block);
        write_bytes(vf, block, k);
        n -= k;
    }
}

void close_all(bool remove) {
    for (int v = 0; v < SND_VOICES; v++) {
        VoiceFile& vf = files[v];
        if (vf.file) std::fclose(vf.file);
        if (remove && !vf.path.empty()) {
            std::error_code ec;
            std::filesystem::remove(vf.path, ec);
            app_exit_forget_file(vf.path);
        }
        vf = VoiceFile{};
    }
}

void feed_voice_start(int v, int volume, float f) {
    if (v < 9)
        snd_fill_channel_buffer(v, volume, f);
    else if (v < SND_TONE_VOICES)
        snd_fill_channel_buffer_b(v, volume, f);
}
} // namespace

std::string snd_wav_header(u32 n, u32 r) {
    std::string h = "RIFF";
    put_le(h, n + 36, 4);
    h += "WAVEfmt ";
    put_le(h, 16, 4);
    put_le(h, 1, 2);
    put_le(h, 1, 2);
    put_le(h, r, 4);
    put_le(h, r, 4);
    put_le(h, 1, 2);
    put_le(h, 8, 2);
    h += "data";
    put_le(h, n, 4);
    return h;
}

std::string snd_8svx_header(u32 n, u32 r) {
    std::string h = "FORM";
    put_be(h, n + 40 + (n & 1), 4);
    h += "8SVXVHDR";
    put_be(h, 20, 4);
    put_be(h, n, 4);
    put_be(h, 0, 4);
    put_be(h, 0, 4);
    put_be(h, r, 2);
    h.push_back(1);
    h.push_back(0);
    put_be(h, 0x00010000, 4);
    h += "BODY";
    put_be(h, n, 4);
    return h;
}

std::string snd_aiff_header(u32 n, u32 r) {
    std::string h = "FORM";
    put_be(h, n + 46 + (n & 1), 4);
    h += "AIFFCOMM";
    put_be(h, 18, 4);
    put_be(h, 1, 2);
    put_be(h, n, 4);
    put_be(h, 8, 2);
    // The rate as an 80-bit extended float.
    int exponent = 0;
    while ((r >> exponent) > 1) exponent++;
    put_be(h, 16383 + exponent, 2);
    const unsigned long long mantissa = static_cast<unsigned long long>(r) << (63 - exponent);
    put_be(h, static_cast<u32>(mantissa >> 32), 4);
    put_be(h, static_cast<u32>(mantissa), 4);
    h += "SSND";
    put_be(h, n + 8, 4);
    put_be(h, 0, 4);
    put_be(h, 0, 4);
    return h;
}

void snd_set_levels(int v, int volume) {
    // The voice as heard before the mix's gain, in 64ths of its host volume.
    const int step = static_cast<int>(std::lround(snd_voice_peak(v, volume) / double{AUDIO_MAX_VOLUME}));
    level_high = static_cast<u8>(128 + step);
    level_low = static_cast<u8>(128 - step);
}

void snd_fill_channel_buffer(int v, int volume, float f) {
    if (v < 0 || v >= SND_TONE_VOICES) return;
    std::vector<u8>& w = waves[v];
    w.clear();
    if (!(f > 0.0f)) return;
    snd_set_levels(v, volume);
    const double h = rate() / (2.0 * f);
    u32 at = 0;
    for (int k = 1; k <= 64 && w.size() < WAVE_MAX; k++) {
        u32 end = static_cast<u32>(std::floor(k * h));
        if (end <= at) end = at + 1;
        if (end > WAVE_MAX) end = WAVE_MAX;
        w.insert(w.end(), end - at, (k & 1) ? level_high : level_low);
        at = end;
    }
}

void snd_fill_channel_buffer_b(int v, int volume, float f) {
    if (v < 0 || v >= SND_TONE_VOICES) return;
    std::vector<u8>& w = waves[v];
    w.clear();
    if (!(f > 0.0f)) return;
    snd_set_levels(v, volume);
    const double h = rate() / (2.0 * f);
    u32 at = 0;
    for (u32 k = 1; at < rate(); k++) {
        const u8 sample = (noise_register & 1) ? level_high : level_low;
        const u16 feedback = (noise_register ^ (noise_register >> 4)) & 1;
        noise_register = static_cast<u16>((noise_register >> 1) | (feedback << 8));
        u32 end = static_cast<u32>(std::floor(k * h));
        if (end <= at) end = at + 1;
        if (end > rate()) end = rate();
        w.insert(w.end(), end - at, sample);
        at = end;
    }
}

void snd_record_channel(int v, int silence) {
    if (!running || v < 0 || v >= SND_VOICES) return;
    VoiceFile& vf = files[v];
    if (!vf.file) return;
    const u32 t = now();
    const u32 elapsed = t - vf.stamp; // wraps like the clock
    if (elapsed == 0 || static_cast<i32>(elapsed) < 0) return;
    if (silence && snd_voice_active[v]) return;
    const double per_sample = units_per_second() / rate();
    const u32 n = static_cast<u32>(std::floor(elapsed / per_sample));
    // The stamp advances by what the samples cover, so short spans add up.
    vf.stamp += static_cast<u32>(std::llround(n * per_sample));
    if (n == 0) return;
    vf.length += n;
    if (silence) {
        write_fill(vf, 128, n);
    } else if (v < SND_TONE_VOICES) {
        const std::vector<u8>& w = waves[v];
        if (w.empty()) {
            write_fill(vf, 128, n);
            return;
        }
        for (u32 k = n / w.size(); k > 0; k--)
            write_bytes(vf, w.data(), w.size());
        write_bytes(vf, w.data(), n % w.size());
    } else {
        // An effect from its start, at its own rate (22050 Hz repeats its samples).
        const SoundSample& s = snd_effect_table[v - SND_FIRST_EFFECT];
        const u32 effect_rate = s.rate ? s.rate : 11025;
        const std::size_t e = s.data.size();
        std::vector<u8> out(n, 128);
        for (u32 i = 0; i < n && e > 0; i++) {
            std::size_t src = static_cast<std::size_t>(static_cast<unsigned long long>(i) *
                                                       effect_rate / rate());
            if (src >= e) {
                if (!snd_voice_loops[v]) break;
                src %= e;
            }
            out[i] = static_cast<u8>(s.data[src]) ^ 0x80;
        }
        write_bytes(vf, out.data(), out.size());
    }
}

namespace {
// Creates voice v's temporary file under a name of this process's own, made
// exclusively (never an existing file or link) and readable by the user alone.
bool create_voice_file(const std::string& dir, int v, VoiceFile& vf) {
    std::string name = dir + "/brindlemox-" + std::to_string(getpid()) + "-voice" +
                       std::to_string(v) + "-XXXXXX.wav";
    const int fd = mkostemps(name.data(), 4, O_CLOEXEC);
    if (fd < 0) return false;
    vf.path = name;
    app_exit_remove_file(name); // an interrupted run leaves none behind
    vf.file = fdopen(fd, "w+b");
    if (!vf.file) ::close(fd);
    return vf.file != nullptr;
}

// The voice files of runs that were killed while recording ("brindlemox-",
// the id of a process that is gone, "-voice") are removed.
void remove_orphaned_voice_files(const std::string& dir) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = readdir(d)) {
        char* end = nullptr;
        if (std::strncmp(e->d_name, "brindlemox-", 11) != 0) continue;
        const long id = std::strtol(e->d_name + 11, &end, 10);
        if (end == e->d_name + 11 || std::strncmp(end, "-voice", 6) != 0 || id <= 0) continue;
        if (::kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH) unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
}

std::string base_name(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

void snd_rec_start() {
    if (running) return;
    const std::string dir = path_ram();
    remove_orphaned_voice_files(dir);
    const u32 r = rate();
    const std::string header = snd_wav_header(0, r);
    for (int v = 0; v < SND_VOICES; v++) {
        if (!snd_voice_in_mix(v)) continue;
        VoiceFile& vf = files[v];
        if (!create_voice_file(dir, v, vf) ||
            std::fwrite(header.data(), 1, HEADER, vf.file) != HEADER) {
            close_all(true);
            ui_warning("Can't open temporary output file!");
            return;
        }
        vf.stamp = now();
        vf.length = 0;
    }
    running = true;
    noise_register = NOISE_START;
    snd_record_hooks = {feed_voice_start, snd_record_channel};
    // Every sounding voice is started again, so that its buffer is filled.
    snd_update_voices(1);
}

bool snd_rec_running() {
    return running;
}

namespace {
// The sound files the mix becomes, each while its setting is on.
struct SoundOutput {
    const u32* on;
    int kind;
    std::string (*header)(u32, u32);
    bool is_unsigned;
};
const SoundOutput sound_outputs[] = {{&generate8svx, KIND_8SVX, snd_8svx_header, false},
                                     {&generateaiff, KIND_AIFF, snd_aiff_header, false},
                                     {&generatewav, KIND_WAV, snd_wav_header, true}};
} // namespace

void snd_rec_files(std::vector<std::string>* out) {
    if (!running && !held) return;
    for (const SoundOutput& o : sound_outputs)
        if (*o.on) out->push_back(rec_generated_path(o.kind, ""));
}

void snd_rec_clock_hold() {
    if (!running) return;
    for (int v = 0; v < SND_VOICES; v++)
        snd_record_channel(v, snd_voice_active[v] ? 0 : 1);
    running = false;
    held = true;
}

void snd_rec_clock_resume() {
    if (!held) return;
    held = false;
    running = true;
    for (VoiceFile& vf : files)
        vf.stamp = now();
    // The noise of the pass that begins is the first pass's.
    noise_register = NOISE_START;
}

void snd_mix(const u8* const* voices, int count, u32 n, signed char* out) {
    for (u32 i = 0; i < n; i++) {
        int sum = 0;
        for (int k = 0; k < count; k++)
            sum += voices[k][i] - 128;
        out[i] = snd_file_sample(sum);
    }
}

namespace {
// Reads the first n samples of every voice file (still open from its
// creation); false after a warning.
bool read_voices(u32 n, std::vector<std::vector<u8>>* data) {
    for (int v = 0; v < SND_VOICES; v++) {
        std::FILE* f = files[v].file;
        if (!f) continue;
        std::vector<u8> d(n);
        const bool ok = std::fseek(f, HEADER, SEEK_SET) == 0 && std::fread(d.data(), 1, n, f) == n;
        if (!ok) {
            char text[400];
            std::snprintf(text, sizeof text, "Can't read %d bytes from temporary file \"%s\"!",
                          static_cast<int>(n), base_name(files[v].path).c_str());
            ui_warning(text);
            return false;
        }
        data->push_back(std::move(d));
    }
    return true;
}
} // namespace

void snd_rec_stop() {
    snd_rec_clock_resume();
    if (!running) return;
    snd_record_hooks = {};
    // Every voice is written up to now: a sounding voice keeps its last span,
    // and all files end together.
    for (int v = 0; v < SND_VOICES; v++)
        snd_record_channel(v, snd_voice_active[v] ? 0 : 1);
    running = false;
    u32 n = 0xFFFFFFFFu;
    bool any = false;
    for (int v = 0; v < SND_VOICES; v++) {
        VoiceFile& vf = files[v];
        if (!vf.file) continue;
        vf.length &= ~1u;
        const std::string header = snd_wav_header(vf.length, rate());
        std::fseek(vf.file, 0, SEEK_SET);
        std::fwrite(header.data(), 1, HEADER, vf.file);
        std::fflush(vf.file);
        n = std::min(n, vf.length);
        any = true;
    }
    std::vector<std::vector<u8>> data;
    if (any && read_voices(n, &data)) {
        std::vector<const u8*> voices;
        for (const auto& d : data)
            voices.push_back(d.data());
        std::vector<signed char> mixed(n);
        snd_mix(voices.data(), static_cast<int>(voices.size()), n, mixed.data());
        for (const SoundOutput& o : sound_outputs) {
            if (!*o.on) continue;
            std::string file = o.header(n, rate());
            for (signed char s : mixed)
                file.push_back(static_cast<char>(o.is_unsigned ? static_cast<u8>(s + 128) : s));
            if (!o.is_unsigned && (n & 1)) file.push_back('\0');
            const std::string path = rec_generated_path(o.kind, "");
            if (rec_write_file(path, file.data(), file.size())) file_write_icon(o.kind, path.c_str());
        }
    }
    close_all(true);
}

void snd_rec_reset() {
    snd_record_hooks = {};
    running = held = false;
    close_all(true);
    for (auto& w : waves)
        w.clear();
    noise_register = NOISE_START;
}
