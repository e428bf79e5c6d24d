// Every way out of the real program over every thing it holds (the
// program's own list of held things, core/held_things.h). Each thing is left
// where the way out cannot finish it (its file removed under it, its folder
// taken by a file, a disk changed and not saved), and each way out names it
// where it reports: the port's QUIT and the debugger's SYS sent through the
// port in their reply (rc 5), a signal on the console.
#include "core/emu.h"
#include "core/held_things.h"
#include "tests/record/tools.h"
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"
#include "tests/support/row_name.h"

#include <gtest/gtest.h>

#include <cctype>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class WaysOut : public ProgramTest {
  protected:
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_LE(send(line, &result), 5) << line << ": " << result;
        return result;
    }
    // Each row starts afresh: without the autosave, which brings a changed
    // disk back.
    void begin(const char* machine) {
        if (fd >= 0) ::close(fd);
        fd = -1;
        fs::remove(home.path() / "Games" / "AUTOSAVE.COS");
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        fine(std::string("SETMACHINE ") + machine);
    }
    // A first run writes the settings; `key` is switched on in them.
    void switch_on(const std::string& key) {
        begin("PIPBUG");
        fine("QUIT");
        EXPECT_EQ(wait_exit(), 0);
        const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
        std::string settings = test_read_file(ini);
        if (count_of(settings, "\n" + key + "=true\n")) return;
        const std::size_t at = settings.find("\n" + key + "=false\n");
        ASSERT_NE(at, std::string::npos) << settings;
        settings.replace(at + 1, key.size() + 6, key + "=true");
        test_write_file(ini, settings);
    }

    // How the test makes each held thing hold what a way out cannot finish:
    // what the way out must then name.
    using Hold = std::function<std::string()>;
    std::map<std::string, Hold> holds() {
        return {
            {"changed disks and MDCR tape",
             [this] {
                 begin("TWIN"); // its system disk in drive 0
                 fine("DEBUGGER \"FPOKE 10 55\"");
                 return std::string("Changed disks not saved: drive 0 (");
             }},
            {"recorders",
             [this] {
                 begin("PIPBUG");
                 // Recording on from a playback, under its name.
                 const fs::path games = home.path() / "Games", state = games / "s.cos";
                 fs::create_directories(games);
                 fine("SAVEAS " + state.string());
                 EXPECT_TRUE(write_recording(state, games / "take.cor", 2000,
                                             std::vector<u8>(6, 0)));
                 fine("OPEN " + (games / "take.cor").string());
                 fine("MENU MACRO.STARTRECORDING");
                 fs::remove(games / "take.cor");
                 return "Can't write to " + (games / "take.cor").string() +
                        ": it was removed during the recording";
             }},
            {"printer pages",
             [this] {
                 // An earlier row's way out kept its unsaved page for this
                 // start, which would bring it back first.
                 fs::remove(home.path() / "Games" / "AUTOSAVE.PAGES");
                 switch_on("eachpage");
                 begin("PIPBUG");
                 for (const char* byte : {"4C", "0A", "4C"})
                     fine(std::string("DEBUGGER \"WRITEPORT 19 ") + byte + "\"");
                 // An earlier row's printout leaves its text: this one would
                 // take the next number.
                 fs::remove_all(home.path() / "Projects");
                 const fs::path shots = home.path() / "Screenshots";
                 fs::remove_all(shots);
                 test_write_file(shots, "the user's file");
                 return "Can't write to " + (shots / "Printer-1.ilbm").string() +
                        ": Not a directory!";
             }},
            {"cassette",
             [this] {
                 begin("CD2650");
                 const fs::path tape = home.path() / "song.wav";
                 test_write_file(tape, std::string("RIFF$\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0"
                                                   "\x22\x56\0\0\x22\x56\0\0\1\0\x08\0data\0\0\0\0",
                                                   44));
                 fine("OPEN " + tape.string());
                 // The guest loops at $0500; the motor on at the monitor's
                 // save routine records.
                 fine("DEBUGGER \"FILL 500 5FF 0\"");
                 fine("DEBUGGER \"POKE 500 1B\"");
                 fine("DEBUGGER \"POKE 501 7E\"");
                 fine("PAUSE");
                 fine("DEBUGGER \"JUMP 1FD\"");
                 fine("DEBUGGER \"WRITEPORT DATA 8\"");
                 fine("DEBUGGER \"JUMP 500\"");
                 fine("UNPAUSE");
                 // A fifth of a second of the guest's time on the tape.
                 EXPECT_TRUE(guest_ran(frame_clocks(CD2650, 12))) << log();
                 fs::remove(tape);
                 return "Can't finish the recording on this tape: its file " + tape.string() +
                        " was removed since it went in.";
             }},
        };
    }
};

// Held things no test here can make hold: what covers them instead.
const std::map<std::string, const char*> left_out = {
    {"papertapes", "nothing on the port sets a unit punching (the window's Record does); "
                   "DesktopProgram's papertape tests take them through the window's Quit and "
                   "the port's QUIT"},
};

} // namespace

// One test per held thing (its place in held_things()), each from a fresh
// home, so that each stays well within a test's time on a busy host. Each
// makes its own saved state for OPEN of another file, as its first run. The
// rows are counted here: a held thing added to the list fails every row until
// it is given one (ROWS) and a way to make it hold something (holds()).
class WaysOutOfAHeldThing : public WaysOut, public ::testing::WithParamInterface<std::size_t> {
  public:
    static constexpr std::size_t ROWS = 5;
    // The held thing's name in words run together ("ChangedDisksAndMDCRTape").
    static std::string row_name(const ::testing::TestParamInfo<std::size_t>& info) {
        return row_name_of(info.param < held_things().size() ? held_things()[info.param].name : "",
                           info.param);
    }
};

// The ways out of the program name every held thing they cannot finish;
// those of what runs (a machine switch, Reinitialize, OPEN of another file)
// finish and name what goes with the machine (HeldThing::with_machine), under
// the name of what ran, and keep the rest. Left out here: the window's Quit
// and the display going away (the quit window's and the desktop's tests).
TEST_P(WaysOutOfAHeldThing, EveryWayOutNamesTheHeldThingItCannotFinish) {
    ASSERT_FALSE(held_things().empty());
    ASSERT_EQ(held_things().size(), ROWS)
        << "the row count must be exactly the number of held things";
    const HeldThing& thing = held_things()[GetParam()];
    SCOPED_TRACE(thing.name);
    if (const auto out = left_out.find(thing.name); out != left_out.end())
        GTEST_SKIP() << thing.name << ": " << out->second;
    auto made = holds();
    const auto hold = made.find(thing.name);
    ASSERT_NE(hold, made.end()) << "no row makes " << thing.name << " hold anything";

    const fs::path other = home.path() / "other.cos";
    begin("PIPBUG");
    fine("SAVEAS " + other.string());
    fine("QUIT");
    EXPECT_EQ(wait_exit(), 0);
    struct Way {
        std::string command; // sent through the port, or
        int signal;          // sent to the program
        bool ends;           // the program ends
    };
    const Way ways[] = {{"QUIT", 0, true},
                        {"DEBUGGER SYS", 0, true},
                        {"", SIGTERM, true},
                        {"", SIGINT, true},
                        {"", SIGHUP, true},
                        {"SETMACHINE INSTRUCTOR", 0, false},
                        {"MENU PROJECT.REINITIALIZE", 0, false},
                        {"OPEN " + other.string(), 0, false}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.command.empty() ? strsignal(way.signal) : way.command);
        const std::string named = hold->second();
        ASSERT_FALSE(HasFatalFailure());
        std::string said;
        if (way.signal) {
            ASSERT_EQ(::kill(pid, way.signal), 0);
        } else if (way.ends) {
            EXPECT_EQ(send(way.command, &said), 5) << said;
        } else {
            send(way.command, &said);
            ::kill(pid, SIGKILL); // nothing more is finished on a way out
        }
        const int code = wait_exit();
        if (way.ends) {
            EXPECT_GE(code, 0) << log();
        }
        if (way.signal) said = log();
        EXPECT_EQ(count_of(said, named), way.ends || thing.with_machine ? 1 : 0)
            << named << "\nin: " << said;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryHeldThing, WaysOutOfAHeldThing,
                         ::testing::Range(std::size_t{0}, WaysOutOfAHeldThing::ROWS),
                         WaysOutOfAHeldThing::row_name);
