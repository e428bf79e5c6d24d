// Test support: the program itself, started offscreen as a child process in
// a program home and runtime folder of the test's own, and driven from
// outside through its scripting port (named "E2E").
//
//   class MyTest : public ProgramTest {};
//   TEST_F(MyTest, ...) { ASSERT_TRUE(start({"PORTNAME", "E2E"})); ASSERT_TRUE(port_up()); ... }
#pragma once

#include "tests/support/fresh_state.h"
#include "tests/support/hang_deadline.h"
#include "tests/support/indexed_png.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <sys/types.h>
#include <vector>

// Starts the program offscreen (or on the Qt platform `platform`; its sound
// through SDL's driver `audio`) with `args` in program home `home` (also its
// runtime folder; blank PIPBUG monitor images are put in its roms drawer), its
// standard output and error going to program.log there: the process id, or -1
// when it cannot be started. With a `prefix` (a command such as setpriv and
// its words) the program is started through it.
pid_t test_start_program(const std::filesystem::path& home, std::vector<std::string> args,
                         const char* platform = "offscreen", const char* audio = "dummy",
                         const std::vector<std::string>& prefix = {});

// The guest's time in clock periods that the debugger's processor view
// (DEBUGGER "V CPU") shows; 0 when it shows none.
std::uint32_t test_clocks_in_view(const std::string& view);

// Puts `bytes` (2650 code, say) into `image` from offset `at` on.
inline void put_bytes(std::string& image, unsigned at, std::initializer_list<unsigned> bytes) {
    for (unsigned b : bytes)
        image.at(at++) = static_cast<char>(b);
}

// While it lives, the programs started get `extra` added to the address
// sanitizer's options (those already set, such as CI's, stay in force); then
// the options are put back as they were.
class AddedAsanOptions {
  public:
    explicit AddedAsanOptions(const std::string& extra);
    ~AddedAsanOptions();
    AddedAsanOptions(const AddedAsanOptions&) = delete;
    AddedAsanOptions& operator=(const AddedAsanOptions&) = delete;

  private:
    bool had_ = false;
    std::string kept_;
};

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    // Kills the program when it still runs.
    void TearDown() override;
    // Starts the program with `args`, its standard output and error going to
    // program.log in the home; false when it cannot be started.
    bool start(std::vector<std::string> args);
    // Waits until the port answers (up to TEST_HANG_SECONDS).
    bool port_up();
    // Waits for the program to end: its exit code, or -1 when a signal ended it
    // or it was killed after TEST_HANG_SECONDS.
    int wait_exit();
    // One request over the kept connection: the return code; -1 without a port
    // or without a reply within TEST_HANG_SECONDS.
    int send(const std::string& line, std::string* result);
    // The file `name` of `bytes` put in the home: its path.
    std::string put(const std::string& name, const std::string& bytes);
    // One request over the kept connection: its return code, the reply's
    // text in `*said` when asked for.
    int ask(const std::string& line, std::string* said = nullptr);
    // One request the program must take, answering at most with a warning
    // (5), as a machine switch does when the machine's ROM images are missing.
    void request(const std::string& line);
    // The Arcadia game a1.bin (it stores $12 at $1800, then loops), put in
    // the home, opened, and reset to a code breakpoint at $0: the guest is
    // stopped in the middle of a frame. Check with ASSERT_NO_FATAL_FAILURE.
    void stop_mid_frame();
    // One request over connection `*over` (kept there as rexx_port_send keeps
    // it), waiting at most `seconds` for the reply: -1 without one.
    static int send_within(const std::string& line, std::string* result, int* over,
                           int seconds = TEST_HANG_SECONDS);
    // Sends `line` over connection `*over` again and again while it answers
    // `rc` (a wait that another client started is not up yet, or not over):
    // the first other answer, or `rc` when it still came after
    // TEST_HANG_SECONDS.
    static int send_while(int rc, const std::string& line, std::string* result, int* over);
    // The guest's time in clock periods, as the debugger's processor view
    // shows it (0 when it cannot be read).
    std::uint32_t guest_clocks();
    // Waits until the guest's clock has run `clocks` clock periods on from
    // where it is now (up to TEST_HANG_SECONDS): whether it did. Only its
    // steps forward count: a state loaded meanwhile (a playback's start or
    // its loop's seam) takes it back, and it runs on from there.
    bool guest_ran(std::uint32_t clocks);
    // At least `frames` frames of machine `m` in clock periods. A console's
    // frame is reckoned only while it runs (0 in its rows): there the
    // shortest a 2650 console has (an NTSC frame, 14,900 clocks) stands in.
    static std::uint32_t frame_clocks(unsigned m, unsigned frames);
    // Waits until the machine has run `frames` frames on from where it is now,
    // as the debugger's R F counts them (up to TEST_HANG_SECONDS): whether it
    // did. For the machines without a processor clock (the ball-and-paddle
    // chips, the Type-right). It stops the machine at a frame's end now and
    // then to read the count, and lets it run on (the debugger's G), so it
    // runs on afterwards too; a state loaded meanwhile (a playback's seam)
    // takes the count back, and it runs on from there.
    bool frames_ran(unsigned frames);
    // The picture shown now, saved with SAVEPNG as `name` in the home and
    // read back.
    IndexedPicture picture(const std::string& name);
    // What the program has printed so far.
    std::string log() const;
    // Waits until the program has printed `text` `times` times in all (up
    // to TEST_HANG_SECONDS): whether it did.
    bool printed(const std::string& text, int times = 1) const;

    TempHome home{"program"};
    pid_t pid = -1;
    int fd = -1;
    // What start() starts the program on, and through.
    const char* platform = "offscreen";
    const char* audio = "dummy"; // SDL's sound driver
    std::vector<std::string> prefix;
};
