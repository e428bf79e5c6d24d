// The animations and sound-chip logs of a recording keep its time in the real
// program: every emulated frame goes into them, also the frames that frame
// skipping does not show.
#include "core/machine_table.h"
#include "tests/record/tools.h"
#include "tests/support/gif_frames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using UnshownFrames = RecordingProgram;

u32 be32_at(const std::vector<u8>& b, std::size_t at) {
    return at + 4 <= b.size() ? u32(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3] : 0;
}

// The hundredths of a second a GIF lasts.
u32 gif_hundredths(const std::vector<u8>& b) {
    std::vector<GifFrame> frames;
    u32 sum = 0;
    if (gif_read_frames(b, &frames) != "") return 0;
    for (const GifFrame& f : frames)
        sum += f.delay;
    return sum;
}

// An Elektor recording of 300 frames, played once with every third frame
// shown, generates a YM file of 300 frames per sound chip and a GIF that
// lasts the first picture and 300 frames, as with every frame shown.
TEST_F(UnshownFrames, FrameSkippingKeepsEveryFrameOfTheOutputs) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    request("QUIT");
    ASSERT_EQ(wait_exit(), 0) << log();
    ::close(fd);
    fd = -1;
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    std::string settings = test_read_file(ini);
    settings = std::regex_replace(settings, std::regex("\nframeskipping=[^\n]*"), "\nframeskipping=3");
    settings = std::regex_replace(settings, std::regex("\nloop=[^\n]*"), "\nloop=false");
    ASSERT_NE(settings.find("\nframeskipping=3"), std::string::npos);
    test_write_file(ini, settings);

    ASSERT_NO_FATAL_FAILURE(start_paused("SETMACHINE ELEKTOR"));
    ASSERT_NO_FATAL_FAILURE(save_take(300, std::vector<u8>(7, 0))); // untouched controls
    for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.YM", "MACRO.ANIMS.GIF"})
        request(std::string("MENU ") + item);
    request("UNPAUSE");
    const fs::path ym = home.path() / "take-1.ym", gif = home.path() / "take.gif";
    ASSERT_NO_FATAL_FAILURE(generate({ym, gif}));

    EXPECT_EQ(be32_at(read_bytes(ym), 12), 300u) << "frames of the YM file";
    EXPECT_EQ(be32_at(read_bytes(home.path() / "take-2.ym"), 12), 300u);
    EXPECT_EQ(gif_hundredths(read_bytes(gif)),
              u32(std::lround(301 * 100 / machine_table[ELEKTOR].refresh_rate[1])))
        << "the first picture and 300 frames";
}

} // namespace
