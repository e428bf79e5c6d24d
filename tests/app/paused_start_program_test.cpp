// A session quit paused starts paused, showing the picture it was quit with;
// one quit while stopped in the middle of a frame says that it saved no state.
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

namespace {

class PausedStart : public ProgramTest {};

TEST_F(PausedStart, TheRestoredPictureIsDrawn) {
    // An Interton program that colours the background and loops.
    std::string image("\x04\x2D\xCC\x1F\xC6\x1B\x7E", 7);
    image.resize(2048, '\0');
    test_write_file(home.path() / "colour.bin", image);
    std::string result;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    EXPECT_EQ(send("SETMACHINE INTERTON", &result), 0) << result;
    EXPECT_EQ(send("OPEN " + (home.path() / "colour.bin").string(), &result), 0) << result;
    EXPECT_EQ(send("PAUSE", &result), 0);
    const IndexedPicture quit_with = picture("quit.png");
    EXPECT_EQ(send("QUIT", &result), 0);
    ASSERT_EQ(wait_exit(), 0) << log();
    ::close(fd);
    fd = -1;

    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const IndexedPicture shown = picture("start.png");
    EXPECT_EQ(shown.width, quit_with.width);
    EXPECT_EQ(shown.height, quit_with.height);
    EXPECT_EQ(shown.pixels, quit_with.pixels);
    const std::set<u8> colours(shown.pixels.begin(), shown.pixels.end());
    EXPECT_GT(colours.size(), 1u);
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

// A machine chosen while paused shows its first picture at once, not the
// flat grey of a display no frame has drawn.
TEST_F(PausedStart, AMachineSwitchedWhilePausedShowsItsPicture) {
    std::string result;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ASSERT_EQ(send("PAUSE", &result), 0);
    for (const char* m : {"INTERTON", "ARCADIA", "ELEKTOR", "PIPBUG", "BINBUG", "INSTRUCTOR", "TWIN",
                          "CD2650", "ZACCARIA", "MALZAK", "PHUNSY", "PONG", "SELBST", "MIKIT",
                          "TYPERIGHT"}) {
        SCOPED_TRACE(m);
        // Machines whose ROMs are missing say so (rc 5) and run without them.
        ASSERT_LT(send(std::string("SETMACHINE ") + m, &result), 10) << result;
        const IndexedPicture shown = picture(std::string(m) + ".png");
        ASSERT_FALSE(shown.pixels.empty());
        const std::set<u8> colours(shown.pixels.begin(), shown.pixels.end());
        const bool flat_grey = colours.size() == 1 && *colours.begin() < shown.palette.size() &&
                               shown.palette[*colours.begin()] == 0xBBBBBB;
        EXPECT_FALSE(flat_grey);
        // The consoles draw their title or playfield in the first frame.
        const std::string name = m;
        if (name == "INTERTON" || name == "ARCADIA" || name == "PONG") {
            EXPECT_GT(colours.size(), 1u);
        }
    }
    EXPECT_EQ(send("GETVERSION", &result), 0);
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

// A state opened while paused shows its picture at once (the picture of the
// frame that runs next), and the machine stays where the state left it; a
// recording opened while paused that switches the machine shows that
// machine's picture.
TEST_F(PausedStart, AStateOpenedWhilePausedShowsItsPicture) {
    std::string result;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const auto path = [&](const std::string& name) { return (home.path() / name).string(); };
    IndexedPicture last;
    for (const char* setup : {"SETMACHINE ARCADIA", "SETMACHINE PONG", "MENU SETTINGS.MACHINE.8600"}) {
        SCOPED_TRACE(setup);
        ASSERT_EQ(send(setup, &result), 0) << result;
        ASSERT_EQ(send("UNPAUSE", &result), 0);
        ASSERT_TRUE(frames_ran(18)) << log(); // the machine draws and plays on
        ASSERT_EQ(send("PAUSE", &result), 0);
        ASSERT_EQ(send("SAVEAS " + path("a.cos"), &result), 0) << result;
        ASSERT_EQ(send("OPEN " + path("a.cos"), &result), 0) << result;
        const IndexedPicture after = picture("after.png");
        const std::set<u8> colours(after.pixels.begin(), after.pixels.end());
        EXPECT_GT(colours.size(), 1u);
        ASSERT_EQ(send("SAVEAS " + path("again.cos"), &result), 0) << result;
        EXPECT_TRUE(test_read_file(home.path() / "again.cos") == test_read_file(home.path() / "a.cos"));
        // One frame on, the machine draws what was shown.
        const int frames = count_of(log(), "Reached next frame");
        ASSERT_EQ(send("DEBUGGER \"R F\"", &result), 0) << result;
        ASSERT_TRUE(printed("Reached next frame", frames + 1)) << log();
        EXPECT_TRUE(picture("next.png").pixels == after.pixels);
        last = after;
    }
    // The last state as a recording of a few frames, opened on another machine.
    ASSERT_EQ(send("PAUSE", &result), 0);
    std::string take = test_read_file(home.path() / "a.cos");
    take[2] = 1;
    take.append(18 * 20, '\0');
    test_write_file(home.path() / "take.cor", take);
    ASSERT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    ASSERT_EQ(send("OPEN " + path("take.cor"), &result), 0) << result;
    EXPECT_EQ(send("GETMACHINE", &result), 0);
    EXPECT_EQ(result, "PONG");
    // Its inputs (none held) move the bats: the court is what stays.
    const IndexedPicture played = picture("played.png");
    EXPECT_EQ(played.width, last.width);
    const std::set<u8> colours(played.pixels.begin(), played.pixels.end());
    EXPECT_GT(colours.size(), 1u);
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

// Stopped at a breakpoint in the middle of a frame the machine is not saved:
// QUIT answers 5 naming the older autosave that the next start resumes, and
// a break says the same on the console; the older autosave stays as it was.
TEST_F(PausedStart, QuitAtABreakpointNamesTheAutosaveItDoesNotWrite) {
    test_write_file(home.path() / "a1.bin", std::string("\x04\x12\xCC\x18\x00\x1B\x7E", 7));
    const std::filesystem::path older = home.path() / "Games" / "AUTOSAVE.COS";
    const std::string named = "Autosave not written (the guest is stopped in the middle of a "
                              "frame): the next start resumes the older \"" +
                              older.string() + "\".\n";
    std::string result, kept;
    for (const char* way : {"none", "QUIT", "SIGTERM"}) {
        SCOPED_TRACE(way);
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        ASSERT_EQ(send("UNPAUSE", &result), 0) << result; // a session quit stopped starts paused
        ASSERT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
        ASSERT_EQ(send("OPEN " + (home.path() / "a1.bin").string(), &result), 0) << result;
        if (way == std::string("none")) {
            EXPECT_EQ(send("QUIT", &result), 0) << result;
        } else {
            ASSERT_EQ(send("DEBUGGER \"E 1 0\"", &result), 0) << result;
            ASSERT_EQ(send("DEBUGGER \"BP 0\"", &result), 0) << result;
            ASSERT_EQ(send("MENU PROJECT.RESETTOGAME", &result), 0) << result;
            ASSERT_TRUE(printed("Hit code breakpoint at $0")) << log();
            if (way == std::string("QUIT")) {
                EXPECT_EQ(send("QUIT", &result), 5) << result;
                EXPECT_NE(result.find(named), std::string::npos) << result;
            } else {
                kill(pid, SIGTERM);
            }
        }
        EXPECT_EQ(wait_exit(), 0) << log();
        ::close(fd);
        fd = -1;
        if (kept.empty()) {
            kept = test_read_file(older);
            ASSERT_FALSE(kept.empty()) << log();
        } else {
            EXPECT_NE(log().find(named), std::string::npos) << log();
            EXPECT_EQ(test_read_file(older), kept);
        }
    }
}

} // namespace
