#include "sound/effects.h"

#include "core/frame.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "platform/catalog.h"
#include "platform/paths.h"
#include "sound/sound_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <unistd.h>

SoundSample snd_effect_table[SND_EFFECTS] = {
    {"PROGDIR:sounds/explode.8svx", {}, 0, 0}, {"PROGDIR:sounds/shoot.8svx", {}, 0, 0},
    {"PROGDIR:sounds/bang.8svx", {}, 0, 0},    {"PROGDIR:sounds/coin.8svx", {}, 0, 0},
    {"PROGDIR:sounds/printer.8svx", {}, 0, 0}, {"PROGDIR:sounds/click.8svx", {}, 0, 0},
    {"PROGDIR:sounds/spin.8svx", {}, 0, 0},    {"PROGDIR:sounds/step.8svx", {}, 0, 0},
    {"PROGDIR:sounds/grind.8svx", {}, 0, 0},   {"PROGDIR:sounds/punch.8svx", {}, 0, 0},
};

std::vector<std::int8_t> snd_square_buffer;
std::vector<std::int8_t> snd_noise_buffer;

static u32 be32(const u8* p) {
    return static_cast<u32>(p[0]) << 24 | static_cast<u32>(p[1]) << 16 |
           static_cast<u32>(p[2]) << 8 | p[3];
}

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

int snd_load_8svx(const std::string& path, SoundSample& out) {
    out.data.clear();
    out.rate = 0;
    out.peak = 0;
    // A FIFO or device put in a sound's place is refused, not waited on.
    const int fd = path_open_regular(path, nullptr);
    if (fd < 0) return SVX_OPEN;
    std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        return SVX_OPEN;
    }
    u8 header[8];
    const std::size_t got = std::fread(header, 1, sizeof header, file.get());
    if (got == 0 && std::ferror(file.get())) return SVX_HEADER_READ;
    if (got < sizeof header) return SVX_HEADER_SHORT;
    if (std::memcmp(header, "FORM", 4) != 0) return SVX_NOT_FORM;
    const u32 form_length = be32(header + 4);

    // A FORM longer than the file is short before anything is allocated for it.
    long here = std::ftell(file.get());
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return SVX_BODY_READ;
    const long size = std::ftell(file.get());
    if (std::fseek(file.get(), here, SEEK_SET) != 0) return SVX_BODY_READ;
    if (size < 0 || static_cast<u64>(size - here) < form_length) return SVX_BODY_SHORT;

    std::vector<u8> form;
    try {
        form.assign(form_length, 0);
    } catch (const std::bad_alloc&) {
        return SVX_NO_MEMORY;
    }
    const std::size_t read = std::fread(form.data(), 1, form_length, file.get());
    if (read < form_length) return std::ferror(file.get()) ? SVX_BODY_READ : SVX_BODY_SHORT;
    if (form_length < 4 || std::memcmp(form.data(), "8SVX", 4) != 0) return SVX_NOT_8SVX;

    const u8* vhdr = nullptr;
    std::size_t at = 4;
    while (at + 8 <= form_length) {
        const u8* chunk = form.data() + at;
        const std::size_t room = form_length - at - 8;
        const std::size_t length = std::min<std::size_t>(be32(chunk + 4), room);
        const u8* data = chunk + 8;
        if (std::memcmp(chunk, "VHDR", 4) == 0 && length >= 14) {
            vhdr = data;
        } else if (std::memcmp(chunk, "BODY", 4) == 0) {
            if (!vhdr) return SVX_NOT_8SVX;
            const u64 wanted = static_cast<u64>(be32(vhdr)) + be32(vhdr + 4);
            const std::size_t samples = static_cast<std::size_t>(std::min<u64>(wanted, length));
            if (samples == 0) return SVX_NOT_8SVX;
            try {
                out.data.assign(reinterpret_cast<const std::int8_t*>(data),
                                reinterpret_cast<const std::int8_t*>(data) + samples);
            } catch (const std::bad_alloc&) {
                return snd_output_mode == 1 ? SVX_NO_SAMPLE_MEMORY_CHANNELS : SVX_NO_SAMPLE_MEMORY;
            }
            out.rate = static_cast<u32>(vhdr[12]) << 8 | vhdr[13];
            out.peak = 0;
            for (const std::int8_t s : out.data)
                out.peak = static_cast<u8>(std::max<int>(out.peak, std::abs(s)));
            return SVX_OK;
        }
        at += 8 + length + (length & 1);
    }
    return SVX_NOT_8SVX; // no BODY
}

void snd_fill_waveforms() {
    snd_square_buffer.resize(SND_WAVE_BYTES);
    snd_noise_buffer.resize(SND_WAVE_BYTES);
    for (int i = 0; i < SND_WAVE_BYTES; i++) {
        snd_square_buffer[i] = static_cast<std::int8_t>((i & 1) ? -SND_WAVE_PEAK : SND_WAVE_PEAK);
        snd_noise_buffer[i] =
            static_cast<std::int8_t>((std::rand() % 65536) > 32767 ? SND_WAVE_PEAK : -SND_WAVE_PEAK);
    }
}

void snd_load_samples() {
    snd_fill_waveforms();
    for (SoundSample& effect : snd_effect_table) {
        const int code = snd_load_8svx(path_to_host(effect.file), effect);
        if (code != SVX_OK)
            con_printf("%s \"%s\" (%s %d)!\n", cat_str(428, "Can't load"), effect.file,
                       cat_str(631, "error code"), code);
    }
}

void snd_free_samples() {
    snd_square_buffer.clear();
    snd_square_buffer.shrink_to_fit();
    snd_noise_buffer.clear();
    snd_noise_buffer.shrink_to_fit();
    for (SoundSample& effect : snd_effect_table) {
        effect.data.clear();
        effect.data.shrink_to_fit();
        effect.rate = 0;
        effect.peak = 0;
    }
}

void snd_reload_samples() {
    snd_free_samples();
    snd_load_samples();
}

void snd_play_effect(int n) {
    if (n < 0 || n >= SND_EFFECTS) return;
    snd_voice_play(SND_FIRST_EFFECT + n, 0, 0.0f);
}

void snd_expire_effects() {
    for (int n = 0; n < SND_EFFECTS; n++) {
        const int voice = SND_FIRST_EFFECT + n;
        if (snd_voice_active[voice] && frame_counter >= snd_effect_table[n].end_frame)
            snd_voice_stop(voice);
    }
}
