// The cassette deck in the running program, driven through its port: OPEN
// puts a tape in the deck (and ejects the one before), QUIT ejects it, and
// the CD2650's motor port, written from the debugger at the monitor's save
// or load routine, records or plays it.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// `v` big-endian in `n` bytes (zeros before it when `n` is above 4).
std::string be(std::uint32_t v, int n) {
    std::string o;
    for (int i = n - 1; i >= 0; i--)
        o += static_cast<char>(i < 4 ? v >> (8 * i) : 0);
    return o;
}
std::string le(std::uint32_t v, int n) {
    std::string o;
    for (int i = 0; i < n; i++)
        o += static_cast<char>(v >> (8 * i));
    return o;
}
std::string form(const char* kind, const std::string& chunks) {
    return "FORM" + be(static_cast<std::uint32_t>(chunks.size() + 4), 4) + kind + chunks;
}
// A tone of `period` samples, `samples` of them, in the signed form (8SVX, AIFF).
std::string tone(std::size_t samples, std::size_t period) {
    std::string o;
    for (std::size_t i = 0; i < samples; i++)
        o += static_cast<char>(i % period < period / 2 ? 0x60 : 0xA0);
    return o;
}
// An 8SVX tape at 22050 Hz with a name of odd length before its samples (a
// pad byte follows it) and an odd number of samples (so does one).
std::string svx(const std::string& samples) {
    const auto n = static_cast<std::uint32_t>(samples.size());
    const std::string vhdr = "VHDR" + be(20, 4) + be(n, 4) + be(0, 8) + be(22050, 2) + "\x01" +
                             std::string(1, '\0') + be(0x10000, 4);
    const std::string name = "NAME" + be(5, 4) + "tones" + std::string(1, '\0');
    return form("8SVX", vhdr + name + "BODY" + be(n, 4) + samples + (n & 1 ? "\0"s : ""s));
}
std::string aiff(const std::string& samples) {
    const auto n = static_cast<std::uint32_t>(samples.size());
    const std::string rate("\x40\x0D\xAC\x44\0\0\0\0\0\0", 10); // 22050
    return form("AIFF", "COMM" + be(18, 4) + be(1, 2) + be(n, 4) + be(8, 2) + rate + "SSND" +
                            be(n + 8, 4) + be(0, 8) + samples);
}
std::string wav(const std::string& signed_samples) {
    std::string samples = signed_samples;
    for (char& c : samples)
        c = static_cast<char>(c ^ 0x80);
    const auto n = static_cast<std::uint32_t>(samples.size());
    return "RIFF" + le(n + 36, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(22050, 4) +
           le(22050, 4) + le(1, 2) + le(8, 2) + "data" + le(n, 4) + samples;
}

// Makes `folder` a read-only drive for this process and the programs it
// starts: a read-only bind mount of it in a mount namespace of the test's
// own. Where that is not allowed and the test does not run as root, the
// write bits go instead. False when neither can be done.
bool make_read_only(const fs::path& folder) {
    if (unshare(CLONE_NEWNS) == 0 &&
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0) {
        if (mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) ==
            0)
            return true;
        umount2(folder.c_str(), MNT_DETACH);
    }
    if (geteuid() == 0) return false;
    const fs::perms write_bits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const auto& entry : fs::directory_iterator(folder))
        fs::permissions(entry.path(), write_bits, fs::perm_options::remove);
    fs::permissions(folder, write_bits, fs::perm_options::remove);
    return true;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The CD2650's processor clocks in a second.
constexpr double CLOCKS_PER_SECOND = 1182720.0;
// `ms` milliseconds of the guest's own time in its clocks.
std::uint32_t guest_ms(int ms) { return static_cast<std::uint32_t>(ms * CLOCKS_PER_SECOND / 1000); }

class TapeProgram : public ProgramTest {
  protected:
    std::string ask(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // The CD2650, its monitor image missing (the machine runs without it).
    void start_cd2650() {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        std::string result;
        send("SETMACHINE CD2650", &result);
        ask("DEBUGGER \"FILL 500 5FF 0\""); // the guest loops at $0500 meanwhile
        ask("DEBUGGER \"POKE 500 1B\"");
        ask("DEBUGGER \"POKE 501 7E\"");
    }
    // The motor on as the monitor's save ($01FD: record) or load ($028D:
    // play) routine turns it on, the guest running for `ms`, the motor off:
    // the reply to turning it on.
    int motor(const char* routine, int ms, std::string* reply) {
        ask("PAUSE");
        ask(std::string("DEBUGGER \"JUMP ") + routine + "\"");
        const int rc = send("DEBUGGER \"WRITEPORT DATA 8\"", reply);
        ask("DEBUGGER \"JUMP 500\"");
        ask("UNPAUSE");
        EXPECT_TRUE(guest_ran(guest_ms(ms))) << log();
        ask("PAUSE");
        ask("DEBUGGER \"WRITEPORT DATA 0\"");
        return rc;
    }
    // Whether SENSE is set, from the processor's view ("PSU: Sfi.." when set).
    bool sense() {
        const std::string view = ask("DEBUGGER \"VIEW CPU\"");
        const std::size_t psu = view.find("PSU: ");
        EXPECT_NE(psu, std::string::npos) << view;
        return psu != std::string::npos && view.compare(psu + 5, 1, "S") == 0;
    }
    void TearDown() override {
        ProgramTest::TearDown();
        if (mounted.empty()) return;
        umount2(mounted.c_str(), MNT_DETACH);
        std::error_code ec; // the write bits back, where they went instead
        fs::permissions(mounted, fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::path mounted; // a read-only drive made by the test
};

} // namespace

// Tapes that are put in, played and ejected keep every byte and their time
// stamps: the header is written only after a recording.
TEST_F(TapeProgram, InsertingPlayingAndEjectingLeaveATapeAsItWas) {
    const std::string samples = tone(1001, 10);
    const fs::path tapes[] = {home.path() / "odd.8svx", home.path() / "tone.aiff",
                              home.path() / "tone.wav"};
    test_write_file(tapes[0], svx(samples));
    test_write_file(tapes[1], aiff(samples.substr(0, 1000)));
    test_write_file(tapes[2], wav(samples));
    const auto then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    std::string before[3];
    for (int i = 0; i < 3; i++) {
        fs::last_write_time(tapes[i], then);
        before[i] = contents(tapes[i]);
    }
    start_cd2650();
    for (const fs::path& tape : tapes) {
        ask("OPEN " + tape.string()); // ejects the tape before it
        std::string reply;
        EXPECT_EQ(motor("28D", 50, &reply), 0) << reply;
    }
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(tapes[i].filename().string());
        EXPECT_TRUE(contents(tapes[i]) == before[i]);
        EXPECT_EQ(fs::last_write_time(tapes[i]), then);
    }
}

// A tape on a read-only drive plays; recording on it says why it cannot, and
// the tape stays as it was.
TEST_F(TapeProgram, ATapeOnAReadOnlyDrivePlaysAndRecordingSaysWhy) {
    const fs::path drive = home.path() / "drive";
    fs::create_directories(drive);
    const fs::path tape = drive / "fast.8svx";
    // 8 samples a cycle at 22050 Hz: the fast tone, which sets SENSE.
    test_write_file(tape, svx(tone(22050, 8)));
    const std::string before = contents(tape);
    if (!make_read_only(drive)) GTEST_SKIP() << "no read-only mount can be made here";
    mounted = drive;
    start_cd2650();
    ask("OPEN " + tape.string());
    EXPECT_FALSE(sense());
    std::string reply;
    EXPECT_EQ(motor("28D", 300, &reply), 0) << reply;
    EXPECT_TRUE(sense()) << "the tape did not play";
    EXPECT_EQ(motor("1FD", 50, &reply), 5);
    EXPECT_NE(reply.find("Can't record on this tape: its file can't be written ("),
              std::string::npos)
        << reply;
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_TRUE(contents(tape) == before);
}

// A tape whose VHDR or COMM chunk claims more bytes than the file holds is
// refused when it goes in. A tape recorded on goes in again with every
// sample, its header counting them.
TEST_F(TapeProgram, ATapeIsTakenOnlyWhenItReadsTheSameAfterARecording) {
    const fs::path vhdr = home.path() / "vhdr.8svx", comm = home.path() / "comm.aiff";
    // The VHDR claims 144 bytes of the 77 left; a BODY header stands in them.
    test_write_file(vhdr, form("8SVX", "VHDR" + be(144, 4) + be(0, 12) + be(22050, 2) + "\x01"s +
                                           std::string(1, '\0') + "BODY" + be(0, 4) +
                                           tone(12, 4)));
    // A COMM (found by name past a chunk whose size runs past any header)
    // claims one byte more than the file holds; an SSND header stands in it.
    const std::string comm_data = be(1, 2) + be(0, 4) + be(8, 2) + "\x40\x0D\xAC\x44"s +
                                  std::string(6, '\0') + "SSND" + be(8, 4) +
                                  std::string(8, '\0') + tone(9, 4);
    test_write_file(comm, form("AIFF", "JUNK" + be(0x7FFFFFF0, 4) + "COMM" +
                                           be(static_cast<std::uint32_t>(comm_data.size()) + 1, 4) +
                                           comm_data));
    const fs::path tape = home.path() / "odd.8svx";
    test_write_file(tape, svx(tone(1001, 10)));
    start_cd2650();
    std::string reply;
    for (const fs::path& refused : {vhdr, comm}) {
        EXPECT_EQ(send("OPEN " + refused.string(), &reply), 10) << refused;
        EXPECT_EQ(reply.find("File is too short!"), 0u) << reply;
    }
    ask("OPEN " + tape.string());
    EXPECT_EQ(motor("1FD", 500, &reply), 0) << reply;
    ask("OPEN " + tape.string()); // named again: ejected and put in again
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
    const std::string recorded = contents(tape);
    ASSERT_GT(recorded.size(), 62u + 1002);
    const std::uint32_t samples = static_cast<std::uint32_t>(recorded.size()) - 62;
    EXPECT_EQ(samples % 2, 0u);
    EXPECT_EQ(recorded.substr(4, 4), be(samples + 54, 4));
    EXPECT_EQ(recorded.substr(20, 4), be(samples, 4));
    EXPECT_EQ(recorded.substr(58, 4), be(samples, 4));
}

// A tape put in while another machine ran runs at the clock of the machine
// that runs now: the CD2650 records its samples at 1182720 clock periods a
// second whatever machine the tape went in on (here the PIPBUG's 1 MHz).
TEST_F(TapeProgram, ATapeRunsAtTheClockOfTheMachineThatRuns) {
    const fs::path tape = home.path() / "blank.wav";
    test_write_file(tape, wav(std::string(100, '\0')));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("SETMACHINE PIPBUG", &result); // its ROMs missing: a warning
    ask("OPEN " + tape.string());
    send("SETMACHINE CD2650", &result);
    ask("DEBUGGER \"FILL 500 5FF 0\""); // the guest loops at $0500
    ask("DEBUGGER \"POKE 500 1B\"");
    ask("DEBUGGER \"POKE 501 7E\"");
    ask("PAUSE");
    ask("DEBUGGER \"JUMP 1FD\""); // the monitor's save routine: the motor records
    const std::uint32_t from = guest_clocks();
    ask("DEBUGGER \"WRITEPORT DATA 8\"");
    ask("DEBUGGER \"JUMP 500\"");
    ask("UNPAUSE");
    ASSERT_TRUE(guest_ran(guest_ms(500))) << log();
    ask("PAUSE");
    const std::uint32_t to = guest_clocks();
    ask("DEBUGGER \"WRITEPORT DATA 0\"");
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
    const std::string recorded = contents(tape);
    ASSERT_GT(recorded.size(), 44u);
    const double samples = static_cast<double>(recorded.size() - 44);
    const double expected = (to - from) * 22050.0 / CLOCKS_PER_SECOND;
    ASSERT_GT(expected, 1000.0);
    EXPECT_NEAR(samples / expected, 1.0, 0.02) << samples << " samples in " << (to - from);
}

// A tape removed, replaced or cut short while it is in the deck is not
// recorded on: the motor's record says what became of the file, and what
// stands at its name afterwards is what was put there.
TEST_F(TapeProgram, ATapeChangedUnderTheDeckIsNotRecordedOn) {
    const std::string samples = tone(1001, 10);
    const fs::path removed = home.path() / "removed.8svx", replaced = home.path() / "replaced.aiff",
                   cut = home.path() / "cut.wav", other = home.path() / "other.aiff";
    test_write_file(removed, svx(samples));
    test_write_file(replaced, aiff(samples));
    test_write_file(cut, wav(samples));
    test_write_file(other, aiff(tone(100, 4)));
    const std::string replacement = contents(other);
    start_cd2650();
    const std::pair<fs::path, const char*> cases[] = {
        {removed, "was removed since it went in."},
        {replaced, "was replaced by another file since it went in."},
        {cut, "was changed since it went in."},
    };
    for (const auto& [tape, what] : cases) {
        SCOPED_TRACE(tape.filename().string());
        ask("OPEN " + tape.string());
        if (tape == removed) fs::remove(tape);
        if (tape == replaced) fs::rename(other, tape);
        if (tape == cut) fs::resize_file(tape, 0);
        std::string reply;
        EXPECT_EQ(motor("1FD", 300, &reply), 5) << reply;
        EXPECT_NE(reply.find("Can't record on this tape: its file " + tape.string() + " " + what),
                  std::string::npos)
            << reply;
    }
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_FALSE(fs::exists(removed));
    EXPECT_TRUE(contents(replaced) == replacement);
    EXPECT_EQ(fs::file_size(cut), 0u);
}
