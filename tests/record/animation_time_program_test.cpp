// How long the animations that a playback generates last, in the real
// program: each picture lasts one frame at the machine's own rate, whatever
// the format's unit of time, so that every animation lasts what the frames
// took, in the 60 Hz and the 50 Hz standards alike.
#include "core/machine_table.h"
#include "tests/record/music_notes.h"
#include "tests/record/tools.h"
#include "tests/support/gif_frames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

using AnimationTime = RecordingProgram;

struct Standard {
    const char* what;
    std::vector<std::string> set_up;
    double rate; // frames per second
};

} // namespace

// A five-second playback of 300 frames of the Arcadia in either standard, at
// its own rate and with "exactly 50/60" on, generating all four animations:
// the GIF (hundredths), the APNG (its own fractions), the ANIM (jiffies) and
// the MNG (the ticks its FRAM chunks give) last the first picture and 300 frames. No GIF frame is
// shorter than the two hundredths that players show as they are.
TEST_F(AnimationTime, EveryAnimationLastsWhatThePlaybackTook) {
    const double ntsc = machine_table[ARCADIA].refresh_rate[0], pal = machine_table[ARCADIA].refresh_rate[1];
    const Standard standards[] = {
        {"60 Hz", {"MENU SETTINGS.SPEED.NTSC"}, ntsc},
        {"50 Hz", {"MENU SETTINGS.SPEED.PAL"}, pal},
        {"exactly 60 Hz", {"MENU SETTINGS.SPEED.NTSC", "MENU SETTINGS.SPEED.EXACT"}, 60.0},
        {"exactly 50 Hz", {"MENU SETTINGS.SPEED.PAL"}, 50.0}, // exact still on
    };
    ASSERT_NO_FATAL_FAILURE(start_paused("SETMACHINE ARCADIA"));
    for (const char* item : {"MACRO.LOOP", "MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.ANIMS.APNG",
                             "MACRO.ANIMS.ANIM", "MACRO.ANIMS.MNG"})
        request(std::string("MENU ") + item);
    request("TURBO ON");
    request("UNPAUSE");
    int n = 0;
    for (const Standard& s : standards) {
        SCOPED_TRACE(s.what);
        for (const std::string& line : s.set_up)
            request(line);
        const fs::path state = home.path() / "take.cos";
        const fs::path take = home.path() / ("take" + std::to_string(++n) + ".cor");
        request("SAVEAS " + state.string());
        // Both sides' three bytes and the console's a frame, untouched.
        ASSERT_TRUE(write_recording(state, take, 300, std::vector<u8>(7, 0)));
        const auto output = [&take](const char* suffix) {
            return fs::path(take).replace_extension(suffix);
        };
        std::string said;
        ASSERT_EQ(send("OPEN " + take.string(), &said), 0) << said;
        // The playback's end writes them all.
        for (const char* suffix : {".gif", ".png", ".anim", ".mng"})
            ASSERT_TRUE(wait_until([&] { return fs::exists(output(suffix)); })) << suffix << log();

        const std::size_t pictures = 301;
        const double seconds = pictures / s.rate;
        std::vector<GifFrame> frames;
        ASSERT_EQ(gif_read_frames(read_bytes(output(".gif")), &frames), "");
        u32 hundredths = 0;
        for (const GifFrame& f : frames) {
            hundredths += f.delay;
            EXPECT_GE(f.delay, 2u);
        }
        EXPECT_EQ(hundredths, u32(std::lround(seconds * 100))) << "the GIF";

        const std::vector<double> apng = apng_delays(read_bytes(output(".png")));
        ASSERT_EQ(apng.size(), pictures) << "the first picture and 300 frames";
        double apng_seconds = 0;
        for (double d : apng)
            apng_seconds += d;
        EXPECT_NEAR(apng_seconds, seconds, 0.001) << "the APNG";

        // Each delta's time is how long the picture before it lasts; the
        // last, leading round to the second picture, is the next pass's.
        const std::vector<u32> anim = anim_times(read_bytes(output(".anim")));
        ASSERT_EQ(anim.size(), pictures + 1);
        u32 jiffies = 0;
        for (std::size_t i = 0; i + 1 < anim.size(); i++)
            jiffies += anim[i];
        EXPECT_EQ(jiffies, u32(std::lround(seconds * 60))) << "the ANIM";

        // The MNG's pictures last the delay its FRAM chunks set, in ticks;
        // its header gives the ticks a second and the play time.
        const std::vector<u8> mng = read_bytes(output(".mng"));
        const u32 ticks = be32_at(mng, 16 + 8), mng_frames = be32_at(mng, 16 + 16);
        ASSERT_GT(ticks, 0u);
        EXPECT_EQ(mng_frames, pictures);
        u64 mng_ticks = 0;
        for (std::size_t at = 8, delay = 1; at + 12 <= mng.size(); at += 12 + be32_at(mng, at)) {
            const std::string type(mng.begin() + long(at) + 4, mng.begin() + long(at) + 8);
            if (type == "FRAM" && mng[at + 10] != 0) delay = be32_at(mng, at + 14);
            if (type == "IHDR") mng_ticks += delay;
        }
        EXPECT_EQ(mng_ticks, be32_at(mng, 16 + 20)) << "the play time";
        EXPECT_NEAR(double(mng_ticks) / ticks, seconds, 1.0 / ticks) << "the MNG";
    }
}
