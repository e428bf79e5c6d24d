// A ball-and-paddle state opened in another session of the real program plays
// on exactly as the session that saved it did: Squash, whose ball takes the
// colour of the side to hit and whose rules depend on whose turn it is.
#include "tests/support/count_of.h"
#include "tests/support/checkout_paths.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The settings text with `key` set to `value` (the line replaced, or added).
std::string with_setting(const std::string& settings, const std::string& key,
                         const std::string& value) {
    const std::string head = key + "=";
    size_t at = 0;
    if (settings.compare(0, head.size(), head) != 0) {
        at = settings.find("\n" + head);
        if (at == std::string::npos) return settings + head + value + "\n";
        at++;
    }
    const size_t end = settings.find('\n', at);
    return settings.substr(0, at) + head + value +
           (end == std::string::npos ? "" : settings.substr(end));
}

// Frames compared after each save, and the pictures taken of them.
constexpr int FRAMES = 30;
constexpr int PICTURE_EVERY = 5;

class PongStates : public ProgramTest {
  protected:
    std::string ask(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    fs::path file(const std::string& name) const { return home.path() / name; }

    // Runs exactly one frame from a pause, waiting for the debugger's word
    // that it ended.
    void step() {
        const int before = count_of(log(), "Reached next frame");
        ask("DEBUGGER \"R F\"");
        ASSERT_TRUE(wait_until([&] { return count_of(log(), "Reached next frame") > before; },
                               TEST_HANG_SECONDS, 2))
            << "no frame ran";
    }
    // FRAMES frames from a pause, with pictures named <tag>_<frame>.png and the
    // state after them in <tag>_after.cos.
    void play_on(const std::string& tag) {
        for (int f = 1; f <= FRAMES; f++) {
            step();
            if (f % PICTURE_EVERY == 0)
                ask("SAVEPNG " + file(tag + "_" + std::to_string(f) + ".png").string());
        }
        ask("SAVEAS " + file(tag + "_after.cos").string());
    }
    void end_session() {
        ask("QUIT");
        EXPECT_EQ(wait_exit(), 0) << log();
        ::close(fd);
        fd = -1;
    }
};

TEST_F(PongStates, ASquashStateOpenedInAnotherSessionPlaysOn) {
    // The settings of a Squash game on the AY-3-8600 between two computer
    // players that never miss: no point ends, so no serve's random angle
    // comes into the frames compared.
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    end_session();
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    std::string settings = test_read_file(ini);
    for (const auto& [key, value] : {std::pair{"memorymap", "29"},
                                     {"pong_variant", "10"},
                                     {"robot_left", "4"},
                                     {"robot_right", "4"},
                                     {"autosave", "false"},
                                     {"showtips", "false"}})
        settings = with_setting(settings, key, value);
    test_write_file(ini, settings);

    // The first session saves at several moments of the rally and plays on.
    constexpr int MOMENTS = 4;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    EXPECT_EQ(ask("GETMACHINE"), "PONG");
    for (int m = 0; m < MOMENTS; m++) {
        ask("UNPAUSE");
        ASSERT_TRUE(frames_ran(18 + 15 * m)) << log();
        ask("PAUSE");
        ask("SAVEAS " + file("moment" + std::to_string(m) + ".cos").string());
        play_on("first" + std::to_string(m));
    }
    end_session();

    // A fresh session opens each state and plays on.
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("PAUSE");
    for (int m = 0; m < MOMENTS; m++) {
        SCOPED_TRACE("moment " + std::to_string(m));
        ask("OPEN " + file("moment" + std::to_string(m) + ".cos").string());
        play_on("again" + std::to_string(m));
        for (int f = PICTURE_EVERY; f <= FRAMES; f += PICTURE_EVERY) {
            const std::string frame = "_" + std::to_string(f) + ".png";
            EXPECT_TRUE(test_read_file(file("again" + std::to_string(m) + frame)) ==
                        test_read_file(file("first" + std::to_string(m) + frame)))
                << "frame " << f << " after the load differs";
        }
        EXPECT_TRUE(test_read_file(file("again" + std::to_string(m) + "_after.cos")) ==
                    test_read_file(file("first" + std::to_string(m) + "_after.cos")));
    }
    end_session();
}

// A state of the program before it kept the turn still opens, and plays.
TEST_F(PongStates, AnEarlierStateStillOpens) {
    const fs::path old = fs::path(test_data()) / "old_states" / "pong_8600_v33.cos";
    ASSERT_EQ(test_read_file(old)[1], 33);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("PAUSE");
    ask("OPEN " + old.string());
    EXPECT_EQ(ask("GETMACHINE"), "PONG");
    step();
    ask("SAVEAS " + file("now.cos").string());
    const std::string now = test_read_file(file("now.cos"));
    ASSERT_GT(now.size(), 1u);
    EXPECT_EQ(now[1], 34) << "saved again in today's form";
    end_session();
}

} // namespace
