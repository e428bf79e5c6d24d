// The animations and sound-chip logs of a recording keep its time in the real
// program: every emulated frame goes into them, also the frames that frame
// skipping does not show.
#include "tests/record/tools.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class UnshownFrames : public ProgramTest {
  protected:
    void ask(const std::string& line) {
        std::string result;
        // The Elektor's monitor image is missing here: the switch says so (rc 5).
        EXPECT_LE(send(line, &result), 5) << line << ": " << result;
    }
};

u32 be32_at(const std::vector<u8>& b, std::size_t at) {
    return at + 4 <= b.size() ? u32(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3] : 0;
}

// The graphic control extensions of a GIF: one per frame.
int gif_frames(const std::vector<u8>& b) {
    int n = 0;
    for (std::size_t i = 0; i + 2 < b.size(); i++)
        n += b[i] == 0x21 && b[i + 1] == 0xF9 && b[i + 2] == 0x04;
    return n;
}

// An Elektor recording of 300 frames, played once with every third frame
// shown, generates a YM file of 300 frames per sound chip and a GIF of the
// first picture and 300 frames, as with every frame shown.
TEST_F(UnshownFrames, FrameSkippingKeepsEveryFrameOfTheOutputs) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("QUIT");
    ASSERT_EQ(wait_exit(), 0) << log();
    ::close(fd);
    fd = -1;
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    std::string settings = test_read_file(ini);
    settings = std::regex_replace(settings, std::regex("\nframeskipping=[^\n]*"), "\nframeskipping=3");
    settings = std::regex_replace(settings, std::regex("\nloop=[^\n]*"), "\nloop=false");
    ASSERT_NE(settings.find("\nframeskipping=3"), std::string::npos);
    test_write_file(ini, settings);

    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("SETMACHINE ELEKTOR");
    ask("PAUSE");
    const fs::path state = home.path() / "take.cos", take = home.path() / "take.cor";
    ask("SAVEAS " + state.string());
    std::vector<u8> recording = read_bytes(state);
    ASSERT_GT(recording.size(), 3u);
    recording[2] = 1;                            // a recording follows the state
    recording.resize(recording.size() + 7 * 300); // 300 frames of untouched controls
    write_bytes(take, recording);
    for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.YM", "MACRO.ANIMS.GIF"})
        ask(std::string("MENU ") + item);
    ask("UNPAUSE");
    std::string said;
    ASSERT_EQ(send("OPEN " + take.string(), &said), 0) << said;
    // The outputs are in place when the playback has ended.
    const fs::path ym = home.path() / "take-1.ym", gif = home.path() / "take.gif";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!(fs::exists(ym) && fs::exists(gif)) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ask("QUIT");
    ASSERT_EQ(wait_exit(), 0) << log();

    EXPECT_EQ(be32_at(read_bytes(ym), 12), 300u) << "frames of the YM file";
    EXPECT_EQ(be32_at(read_bytes(home.path() / "take-2.ym"), 12), 300u);
    EXPECT_EQ(gif_frames(read_bytes(gif)), 301) << "the first picture and 300 frames";
}

} // namespace
