#include "platform/audio.h"
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {
// Room for a second-long frame (one frame per second) on top of the kept level.
constexpr std::uint64_t CAPACITY = 1u << 17;
constexpr int MAX_NUDGE = 4; // samples padded or dropped per frame to hold the level
constexpr int EMA_SHIFT = 4; // the level is averaged over about 16 frames

std::mutex lock; // the device takes samples on its own thread
std::int16_t ring[CAPACITY];
std::uint64_t head = 0, tail = 0; // samples taken, samples queued (ever)
std::int16_t last = 0;            // the last sample queued: padding holds it
int device_chunk = 1024;
bool level_known = false;
std::int64_t level_avg = 0; // scaled by 2^EMA_SHIFT

std::uint64_t carried = 0; // the part of a sample that the frames so far owed, in 1e-6
std::vector<std::int16_t> frame_samples;

// The gaps in the output, told apart by who made them. A gap is a run of
// takes that found the queue short. At the next frame it is the host's when
// the program's own time since the frame before (the time it ran, and the
// waits it asked for) is shorter than the time the queue held: had the host
// run it whenever it was ready, woken it on time and answered its calls at
// once, that frame would have come before the queue ran out. Else it is the
// program's own. Kept only while BRINDLEMOX_SOUND_GAPS names a file: each gap
// is a line there.
struct Gap {
    std::uint64_t at = 0, samples = 0; // in the samples given since the device started
};
std::uint64_t given = 0;   // samples the device took since it started
bool fed = false;          // a frame was queued since the device started
std::vector<Gap> pending;  // gaps since the last frame (under `lock`)
FILE* gap_log = nullptr;
bool gap_log_tried = false;
std::chrono::steady_clock::time_point last_frame;
std::uint64_t last_ran_ns = 0, last_waited_ns = 0, last_asked_us = 0, last_level = 0;

// The nanoseconds the calling thread has run, and waited to run (runnable
// but not running), as the kernel counts them; false where it does not.
bool thread_times_ns(std::uint64_t* ran_ns, std::uint64_t* waited_ns) {
    FILE* f = std::fopen("/proc/thread-self/schedstat", "r");
    if (!f) return false;
    unsigned long long ran = 0, waited = 0;
    const bool read = std::fscanf(f, "%llu %llu", &ran, &waited) == 2;
    std::fclose(f);
    *ran_ns = ran;
    *waited_ns = waited;
    return read;
}

// The times a frame is judged by, taken as it is queued.
struct FrameTimes {
    std::chrono::steady_clock::time_point at;
    std::uint64_t ran = 0, waited = 0, asked = 0;
    bool timed = false;
};

bool telling_gaps() {
    if (!gap_log_tried) {
        gap_log_tried = true;
        if (const char* name = std::getenv("BRINDLEMOX_SOUND_GAPS"); name && *name)
            gap_log = std::fopen(name, "a");
    }
    return gap_log != nullptr;
}

FrameTimes frame_times() {
    FrameTimes t;
    t.at = std::chrono::steady_clock::now();
    t.timed = thread_times_ns(&t.ran, &t.waited);
    t.asked = clock_waits_asked();
    return t;
}

// Tells the gaps taken up as this frame was queued (`level`: what the queue
// held after the frame before), the lock not held.
void tell_gaps(const std::vector<Gap>& gaps, std::uint64_t level, const FrameTimes& t) {
    if (!gaps.empty()) {
        const double took_ms =
            std::chrono::duration<double, std::milli>(t.at - last_frame).count();
        const double own_ms = static_cast<double>(t.ran - last_ran_ns) / 1e6 +
                              static_cast<double>(t.asked - last_asked_us) / 1e3;
        // Where the kernel does not tell, every gap is the program's.
        const double held_ms = t.timed ? std::max(0.0, took_ms - own_ms) : 0.0;
        const double covered_ms = 1000.0 * static_cast<double>(level) / AUDIO_OUTPUT_RATE;
        const char* who = took_ms - held_ms < covered_ms ? "host" : "program";
        for (const Gap& g : gaps)
            std::fprintf(gap_log, "%llu %llu %s %.1f %.1f %.1f %.1f\n",
                         static_cast<unsigned long long>(g.at),
                         static_cast<unsigned long long>(g.samples), who, took_ms, held_ms,
                         covered_ms, static_cast<double>(t.waited - last_waited_ns) / 1e6);
        std::fflush(gap_log);
    }
    last_frame = t.at;
    last_ran_ns = t.ran;
    last_waited_ns = t.waited;
    last_asked_us = t.asked;
}

void put(const std::int16_t* s, std::uint64_t n) {
    for (std::uint64_t i = 0; i < n; i++)
        ring[(tail + i) % CAPACITY] = s[i];
    tail += n;
    if (n) last = s[n - 1];
}

void pad(std::uint64_t n) {
    for (std::uint64_t i = 0; i < n; i++)
        ring[(tail + i) % CAPACITY] = last;
    tail += n;
}
} // namespace

namespace {
// Queues the frame's `share` samples from frame_samples, holding the level
// (the lock held).
void queue_share(std::uint64_t share) {
    const std::uint64_t chunk = static_cast<std::uint64_t>(device_chunk);
    const std::uint64_t target = 2 * chunk + share;
    const std::uint64_t level = tail - head;
    if (level < chunk / 2) {
        // Starting, or the device ran dry: back to the kept level at once.
        pad(target - level);
        level_known = false;
    } else if (level > target + 2 * chunk) {
        // Frames come faster than real time (turbo): this frame is not heard.
        return;
    }
    if (tail - head + share > CAPACITY) return;

    const std::int64_t now = static_cast<std::int64_t>(tail - head);
    if (!level_known) {
        level_avg = now << EMA_SHIFT;
        level_known = true;
    } else {
        level_avg += now - (level_avg >> EMA_SHIFT);
    }
    const std::int64_t avg = level_avg >> EMA_SHIFT;
    const std::int64_t low = static_cast<std::int64_t>(target - chunk);
    const std::int64_t high = static_cast<std::int64_t>(target + chunk);
    std::uint64_t skip = 0;
    if (avg < low) {
        pad(MAX_NUDGE);
        level_avg += std::int64_t{MAX_NUDGE} << EMA_SHIFT;
    } else if (avg > high) {
        skip = std::min<std::uint64_t>(MAX_NUDGE, share);
        level_avg -= static_cast<std::int64_t>(skip) << EMA_SHIFT;
    }
    put(frame_samples.data() + skip, share - skip);
}
} // namespace

void audio_queue_reset(int chunk) {
    std::lock_guard<std::mutex> hold(lock);
    head = tail = 0;
    last = 0;
    device_chunk = std::max(chunk, 1);
    level_known = false;
    level_avg = 0;
    carried = 0;
    given = 0;
    fed = false;
    pending.clear();
}

int audio_queue_level() {
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<int>(tail - head);
}

// The kept level, on average: two device chunks and one frame, give or take a
// chunk (where it settles depends on when the device takes); below half a
// chunk the device is about to run dry.
void audio_queue_frame(std::uint32_t frame_us) {
    carried += static_cast<std::uint64_t>(AUDIO_OUTPUT_RATE) * frame_us;
    const std::uint64_t share = carried / 1000000;
    carried %= 1000000;
    frame_samples.resize(share);
    audio_mix(frame_samples.data(), static_cast<int>(share), AUDIO_OUTPUT_RATE);
    // The gaps are taken up in the same hold of the lock as the frame is
    // queued: a take between the two would tell one gap as two. Untold, they
    // are dropped.
    const bool telling = telling_gaps();
    const FrameTimes times = telling ? frame_times() : FrameTimes{};
    std::vector<Gap> gaps;
    std::uint64_t level = 0;
    {
        std::lock_guard<std::mutex> hold(lock);
        gaps.swap(pending);
        level = last_level;
        queue_share(share);
        fed = true;
        last_level = tail - head;
    }
    if (telling) tell_gaps(gaps, level, times);
}

int audio_queue_take(std::int16_t* out, int n) {
    if (n <= 0) return 0;
    std::lock_guard<std::mutex> hold(lock);
    const std::uint64_t have = std::min<std::uint64_t>(tail - head, static_cast<std::uint64_t>(n));
    for (std::uint64_t i = 0; i < have; i++)
        out[i] = ring[(head + i) % CAPACITY];
    head += have;
    std::fill(out + have, out + n, std::int16_t{0});
    if (fed && have < static_cast<std::uint64_t>(n)) {
        const std::uint64_t from = given + have, samples = static_cast<std::uint64_t>(n) - have;
        if (!pending.empty() && pending.back().at + pending.back().samples == from)
            pending.back().samples += samples; // the same gap, run on
        else
            pending.push_back({from, samples});
    }
    given += static_cast<std::uint64_t>(n);
    return static_cast<int>(have);
}
