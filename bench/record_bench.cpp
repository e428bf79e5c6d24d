// Cost of one animation frame of the largest guest frame (904 x 356 colour
// indices: runs of all 24 colours, a new colour at one pixel in 32 on
// average, busier than the text screens and playfields of that size) as the
// APNG and GIF recorders write it, compression included. A 50 Hz frame period is 20 ms; the
// "frames_per_second" counter says how many such frames one host second encodes.
#include "display/frame.h"
#include "record/rec_formats.h"

#include <benchmark/benchmark.h>

static RecPicture largest_frame(u32 seed) {
    RecPicture pic;
    pic.width = GUEST_FRAME_COLUMNS;
    pic.height = GUEST_FRAME_ROWS;
    pic.pixels.resize(static_cast<std::size_t>(pic.width) * pic.height);
    u32 x = seed * 2654435761u + 1;
    for (u8& p : pic.pixels) {
        x = x * 1103515245u + 12345u;
        p = static_cast<u8>((x >> 27) == 0 ? (x >> 16) % 24 : (&p == pic.pixels.data() ? 0 : *(&p - 1)));
    }
    for (int c = 0; c < REC_PALETTE; c++)
        pic.rgb[c] = {static_cast<u8>(c * 10), static_cast<u8>(c * 5), static_cast<u8>(255 - c * 10)};
    return pic;
}

static void BM_ApngFrame(benchmark::State& state) {
    ApngAnimation apng;
    apng.begin(largest_frame(0), 60.0);
    const RecPicture pic = largest_frame(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(apng.frame(pic));
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ApngFrame)->Unit(benchmark::kMillisecond);

static void BM_GifFrame(benchmark::State& state) {
    GifAnimation gif;
    gif.begin(largest_frame(0), "Brindlemox 36.4", 60.0);
    const RecPicture pic = largest_frame(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(gif.frame(pic));
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GifFrame)->Unit(benchmark::kMillisecond);
