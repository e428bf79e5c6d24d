// The program's batch modes, run as the real binary in a program home of the
// test's own: ASM's return codes, messages and files; DISGAME, UPGRADE and the
// help without a display, and what they leave alone.
#include "tests/support/child_wait.h"
#include "tests/support/checkout_paths.h"
#include "tests/support/fresh_state.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <fstream>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code = -1; // exit code, -1 when it did not end by itself in time
    std::string out, err;
};

class AsmProgram : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }

    // Runs the program with `args` in the test's folder and waits up to 30
    // seconds for its end. Without `display` it gets no display variables.
    // With `file_size_limit` every file it writes stops at that many bytes,
    // as on a full disk.
    // `meanwhile` is called with the child's id once it is started (to
    // break it, say).
    Outcome launch(std::vector<std::string> args, bool display, rlim_t file_size_limit = 0,
                   const std::function<void(pid_t)>& meanwhile = {}) {
        std::vector<std::string> env = {"BRINDLEMOX_HOME=" + home.path().string(),
                                        "XDG_RUNTIME_DIR=" + home.path().string(),
                                        "SDL_AUDIODRIVER=dummy"};
        if (display) env.push_back("QT_QPA_PLATFORM=offscreen");
        for (char** e = environ; *e; ++e) {
            const std::string var = *e;
            const std::string key = var.substr(0, var.find('='));
            if (key != "DISPLAY" && key != "WAYLAND_DISPLAY" && key != "QT_QPA_PLATFORM" &&
                key != "BRINDLEMOX_HOME" && key != "XDG_RUNTIME_DIR" && key != "SDL_AUDIODRIVER")
                env.push_back(var);
        }
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        args.insert(args.begin(), test_program());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string out = (home.path() / "stdout.log").string();
        const std::string err = (home.path() / "stderr.log").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = -1;
        // The child takes the limit, and SIGXFSZ ignored, with it: a write
        // past the limit fails instead of ending the program.
        rlimit was {};
        getrlimit(RLIMIT_FSIZE, &was);
        const rlimit limited = {file_size_limit ? file_size_limit : was.rlim_cur, was.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        const auto was_signal = std::signal(SIGXFSZ, file_size_limit ? SIG_IGN : SIG_DFL);
        const int spawned =
            posix_spawn(&pid, test_program(), &actions, nullptr, argv.data(), envp.data());
        setrlimit(RLIMIT_FSIZE, &was);
        std::signal(SIGXFSZ, was_signal);
        posix_spawn_file_actions_destroy(&actions);
        Outcome run;
        if (spawned != 0) return run;
        if (meanwhile) meanwhile(pid);
        run.code = wait_child(pid, TEST_HANG_SECONDS);
        run.out = test_read_file(out);
        run.err = test_read_file(err);
        return run;
    }
    Outcome assemble(const fs::path& source) { return launch({"ASM", source.string()}, true); }
    // `p.asm` assembled in `src` to a good object (returned), then its source
    // changed to `next`, one line before its end.
    std::string good_object_then(const fs::path& src, const std::string& next) {
        const std::string end = "        BCTA,un B\n        END B\n";
        test_write_file(src / "p.asm", "        ORG $0\nB       LODI,r1 5\n" + end);
        EXPECT_EQ(assemble(src / "p.asm").code, 0);
        test_write_file(src / "p.asm", "        ORG $0\nB       " + next + "\n" + end);
        return test_read_file(src / "p.bin");
    }
    // Assembles `source` in notation `notation`, chosen by a settings file of
    // the home made from the stock one.
    Outcome assemble_in(int notation, const fs::path& source) {
        return launch({in_notation(notation), "ASM", source.string()}, true);
    }
    // The argument that runs the program in notation `notation`: a settings
    // file of the home made from the stock one.
    std::string in_notation(int notation) {
        std::string ini = test_read_file(std::string(test_data()) + "/settings/default.ini");
        const std::size_t at = ini.find("\nnotation=");
        EXPECT_NE(at, std::string::npos);
        if (at != std::string::npos) ini.replace(at + 10, 1, std::to_string(notation));
        const std::string name = "notation" + std::to_string(notation) + ".ini";
        test_write_file(home.path() / "Configs" / name, ini);
        return "SETTINGS=" + name;
    }
    // `count` bytes of the object file beside `source`, from `address` on.
    static std::string object_bytes(const fs::path& source, std::size_t address, std::size_t count) {
        const std::string bin = test_read_file(fs::path(source).replace_extension(".bin"));
        return bin.substr(std::min(address, bin.size()), count);
    }

    TempHome home{"asm_program"};
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(AsmProgram, ReturnCodesMessagesAndFilesOfTheAsmMode) {
    struct Case {
        const char* name;
        const char* source;
        int code;
        const char* message; // on stderr, after the source's name
        bool writes;         // a listing is expected, and without errors the object file
        const char* verdict; // the last line: success only without errors
    };
    const Case cases[] = {
        {"clean", "        ORG $100\nBEGIN   LODI,r1 5\n        HALT\n        END BEGIN\n", 0,
         "Assembled 3 line(s) (0 warning(s), 0 error(s)).", true, "\nOK.\n"},
        {"warns", "        ORG $100\n        LODI,r1 5\n        HALT\n", 5,
         "Warning at line 4: missing END/.END directive!", true, "\nOK.\n"},
        {"fails", "        ORG $100\n        LODI,r1 5\n        LODI,r0 300\n        END\n", 10,
         "Error at line 3: immediate value out of range!", true,
         "no object file written.\n1 error(s) and 0 warning(s).\n"},
        {"absent", nullptr, 10, " for reading!", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = home.path() / "src";
        const fs::path source = dir / (std::string(c.name) + ".asm");
        if (c.source) test_write_file(source, c.source);
        const Outcome run = assemble(source);
        EXPECT_EQ(run.code, c.code) << run.err;
        // The file is named first, then the line of each problem.
        const std::size_t named = run.err.find(source.string());
        ASSERT_NE(named, std::string::npos) << run.err;
        EXPECT_TRUE(has(run.err.substr(named), c.message)) << run.err;
        if (c.verdict) {
            EXPECT_TRUE(has(run.err, c.verdict)) << run.err;
        }
        EXPECT_EQ(has(run.err, "OK."), c.code < 10) << run.err;
        const fs::path listing = dir / (std::string(c.name) + ".lst");
        const fs::path object = dir / (std::string(c.name) + ".bin");
        EXPECT_EQ(fs::exists(listing), c.writes);
        EXPECT_EQ(fs::exists(object), c.writes && c.code < 10);
        if (!c.writes || c.code == 10) continue;
        // The listing holds the same message, and the object file the code
        // from $0000 up to the last byte (the default machine keeps binaries).
        EXPECT_TRUE(has(test_read_file(listing), c.message)) << test_read_file(listing);
        const std::string bin = test_read_file(object);
        ASSERT_GE(bin.size(), 0x102u);
        EXPECT_EQ(bin.substr(0x100, 2), std::string("\x05\x05", 2));
    }
}

// Batch jobs need no display and leave the user's session files as they were;
// DISGAME never replaces an existing file (it may be the user's source).
TEST_F(AsmProgram, BatchJobsRunWithoutADisplayAndLeaveTheSessionFilesAlone) {
    const fs::path src = home.path() / "src";
    test_write_file(src / "prog.asm", "        ORG $0\nB       LODI,r1 5\n        BCTA,un B\n"
                                      "        END B\n");
    test_write_file(src / "warns.asm", "        ORG $0\n        HALT\n");
    // The session's files, as a session left them.
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    const fs::path scores = home.path() / "Configs" / "Brindlemox.hgh";
    const fs::path state = home.path() / "Games" / "AUTOSAVE.COS";
    test_write_file(ini, "Version=36.21\nmemorymap=6\n");
    test_write_file(scores, "scores of the last session");
    test_write_file(state, "state of the last session");

    Outcome run = launch({"ASM", (src / "prog.asm").string()}, false);
    EXPECT_EQ(run.code, 0) << run.err;
    ASSERT_TRUE(fs::exists(src / "prog.bin"));
    EXPECT_EQ(launch({"ASM", (src / "warns.asm").string()}, false).code, 5);

    // Onto the source it came from: refused, the source untouched.
    const std::string source = test_read_file(src / "prog.asm");
    run = launch({"DISGAME=" + (src / "prog.bin").string()}, false);
    EXPECT_EQ(run.code, 10);
    EXPECT_EQ(test_read_file(src / "prog.asm"), source);
    EXPECT_TRUE(has(run.err, (src / "prog.asm").string() + " exists; not overwritten.\n"))
        << run.err;
    EXPECT_FALSE(fs::exists(src / "prog.asm.tmp"));

    fs::copy_file(src / "prog.bin", src / "copy.bin");
    EXPECT_EQ(launch({"DISGAME", (src / "copy.bin").string()}, false).code, 0);
    EXPECT_TRUE(has(test_read_file(src / "copy.asm"), " LODI,r1 "));

    EXPECT_EQ(test_read_file(ini), "Version=36.21\nmemorymap=6\n");
    EXPECT_EQ(test_read_file(scores), "scores of the last session");
    EXPECT_EQ(test_read_file(state), "state of the last session");

    EXPECT_EQ(launch({"UPGRADE"}, false).code, 0);
}

// DISGAME writes its source beside its place under a fresh name: a file of
// the user's named like a temporary ("<source>.tmp") is never taken for one.
TEST_F(AsmProgram, DisgameLeavesAUsersFileNamedLikeATemporary) {
    const fs::path src = home.path() / "src";
    test_write_file(src / "tiny.bin", std::string("\x04\x12\x1B\x7E", 4));
    test_write_file(src / "tiny.asm.tmp", "the user's notes");
    for (int pass = 0; pass < 2; pass++) {
        fs::remove(src / "tiny.asm"); // the batch run keeps any file at its name
        EXPECT_EQ(launch({"DISGAME=" + (src / "tiny.bin").string()}, false).code, 0) << pass;
        EXPECT_TRUE(has(test_read_file(src / "tiny.asm"), " LODI,r0 ")) << pass;
        EXPECT_EQ(test_read_file(src / "tiny.asm.tmp"), "the user's notes") << pass;
    }
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(src))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"tiny.asm", "tiny.asm.tmp", "tiny.bin"}));
}

// The round trip DISGAME then ASM: the object file would land on the image
// DISGAME read, which is kept (exit 10, the file named). Once it is out of
// the way, each later run (a new process) replaces its own object without a
// word; the object rewritten in place by the user since is kept again.
TEST_F(AsmProgram, AsmReplacesOnlyItsOwnEarlierOutputs) {
    const fs::path src = home.path() / "src";
    const std::string image("\x04\x12\xCC\x18\x00\x1B\x7E\x00\x00", 9);
    test_write_file(src / "tiny.bin", image);
    ASSERT_EQ(launch({"DISGAME=" + (src / "tiny.bin").string()}, false).code, 0);
    const Outcome run = launch({"ASM", (src / "tiny.asm").string()}, false);
    EXPECT_EQ(run.code, 10);
    EXPECT_EQ(test_read_file(src / "tiny.bin"), image);
    EXPECT_TRUE(has(run.err, "Kept " + (src / "tiny.bin").string() + ": the object file of "));

    fs::rename(src / "tiny.bin", src / "game.bin");
    for (int pass = 0; pass < 2; pass++)
        EXPECT_EQ(launch({"ASM", (src / "tiny.asm").string()}, false).code, 5) << pass;
    std::string changed = test_read_file(src / "tiny.bin");
    ASSERT_EQ(changed.size(), 0x7000u);
    changed[0] ^= 1;
    std::ofstream(src / "tiny.bin", std::ios::binary | std::ios::in) << changed.substr(0, 1);
    EXPECT_EQ(launch({"ASM", (src / "tiny.asm").string()}, false).code, 10);
    EXPECT_EQ(test_read_file(src / "tiny.bin"), changed);
}

// The runs of a break, each part a test of its own from a fresh home so that
// each stays well within a test's time on a busy host: the break held while
// the run assembles (b 1), the break once its outputs are written (b 2), and
// the breaks timed by a whole run (b 3 to 2 + TIMED) in SHARES shares, each
// taking every SHARES-th of them, so that early (short) and late (long)
// breaks are spread evenly. Every part first assembles the source once, as
// it stood before any break: the outputs its breaks must leave as they were,
// and the time of a whole run.
struct BreakRuns {
    int first, last, step; // the runs' b
};

void PrintTo(const BreakRuns& part, std::ostream* out) {
    *out << "b " << part.first << " to " << part.last << " by " << part.step;
}

class AsmBreak : public AsmProgram, public ::testing::WithParamInterface<BreakRuns> {
  public:
    static constexpr int TIMED = 12; // breaks at times from a whole run
    static constexpr int SHARES = 3; // tests they are taken in
    static_assert(TIMED % SHARES == 0, "every share has as many timed breaks");
    static std::vector<BreakRuns> parts() {
        std::vector<BreakRuns> all = {{1, 1, 1}, {2, 2, 1}};
        for (int share = 0; share < SHARES; share++)
            all.push_back({3 + share, 2 + TIMED - (SHARES - 1 - share), SHARES});
        return all;
    }
};

// CTRL-C at any moment of an ASM run: the assembler's outputs (the listing
// and the machine's object file) are left as the earlier run wrote them, or,
// when the break came once the run was writing them, both are the new run's:
// never one of each, never fewer.
TEST_P(AsmBreak, ABreakLeavesTheOutputsAsTheyWereOrWhole) {
    const int first = GetParam().first, last = GetParam().last, step = GetParam().step;
    const fs::path src = home.path() / "src";
    std::string lines;
    for (int i = 0; i < 12000; i++)
        lines += "L" + std::to_string(10000 + i) + "  LODI,r1 " + std::to_string(i % 256) + "\n";
    auto source = [&](int origin) {
        test_write_file(src / "big.asm", "        ORG $" + std::to_string(origin) + "\n" + lines +
                                             "        END $0\n");
    };
    const fs::path outputs[] = {src / "big.lst", src / "big.bin"};
    source(0);
    const auto began = std::chrono::steady_clock::now();
    ASSERT_GE(launch({"ASM", (src / "big.asm").string()}, false).code, 0);
    const std::chrono::duration<double> whole = std::chrono::steady_clock::now() - began;
    std::vector<std::string> before;
    const auto written = [&] {
        for (std::size_t o = 0; o < std::size(outputs); o++)
            if (test_read_file(outputs[o]) == before[o]) return false;
        return true;
    };
    const auto gone = [](pid_t child) {
        siginfo_t ended{};
        return waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 ||
               ended.si_pid != 0;
    };
    // Whether the child takes a break (its handler is in place).
    const auto takes_breaks = [](pid_t child) {
        const std::string status = test_read_file("/proc/" + std::to_string(child) + "/status");
        const std::size_t at = status.find("SigCgt:");
        return at != std::string::npos &&
               (std::stoull(status.substr(at + 7, status.find('\n', at) - at - 7), nullptr, 16) >>
                (SIGINT - 1)) & 1;
    };
    // The break reaches the run held while it assembles (it said so and its
    // outputs are not written yet; a run that got past that point before it
    // was held, the test held up by a busy host, is tried again until one is
    // held there), or once its outputs are written.
    bool held = false;
    const auto while_assembling = [&](pid_t child) {
        wait_until([&] {
            return gone(child) || (takes_breaks(child) &&
                                   has(test_read_file(home.path() / "stderr.log"), "Assembling "));
        }, TEST_HANG_SECONDS, 1);
        ::kill(child, SIGSTOP);
        held = !gone(child) && test_read_file(outputs[0]) == before[0] &&
               test_read_file(outputs[1]) == before[1];
        ::kill(child, SIGINT);
        ::kill(child, SIGCONT);
    };
    const auto once_written = [&](pid_t child) {
        wait_until([&] { return gone(child) || written(); }, TEST_HANG_SECONDS, 1);
        ::kill(child, SIGINT);
    };
    // Then breaks at times from early in the run to well past its end, timed
    // by the first run: wherever they land, the outputs are as they were or
    // whole, as the run says it left them. Where they land is the host's
    // doing; what is judged is only what each leaves, so a timed share asserts
    // nothing of how many of its runs were broken. That the breaks reach the
    // run both while it assembles and once it has written its files is
    // asserted by the part of each: the held run is broken, the run broken
    // once written finishes.
    int kept = 0, finished = 0;
    for (int b = first, tries = 0; b <= last;
         b += (b != 1 || held || ++tries == 100) ? step : 0) {
        SCOPED_TRACE(b);
        before.clear();
        for (const fs::path& out : outputs)
            before.push_back(test_read_file(out));
        // Each run's outputs differ from the last's, a retry's too: a retry
        // that also missed the hold and finished must not leave what the
        // run before it left.
        source(b == 1 && tries ? 100 + tries : b);
        const double after = whole.count() * (0.3 + 2.2 * (b - 2) / TIMED);
        const Outcome run = launch({"ASM", (src / "big.asm").string()}, false, 0,
                                   b == 1   ? std::function<void(pid_t)>(while_assembling)
                                   : b == 2 ? std::function<void(pid_t)>(once_written)
                                            : [after](pid_t child) {
                                                  std::this_thread::sleep_for(std::chrono::duration<double>(after));
                                                  ::kill(child, SIGINT);
                                              });
        // A break before the program takes breaks ends it at once (code -1),
        // before it has written anything.
        const bool broken = has(run.err, "Assembly stopped by a break: no files written.") ||
                            (run.code < 0 && run.err.empty());
        (broken ? kept : finished)++;
        if (b == 1 && held) {
            EXPECT_TRUE(broken) << "a break while it assembled\n" << run.err;
        }
        if (b == 1 && tries == 99) {
            EXPECT_TRUE(held) << "no run was held while it assembled";
        }
        if (b == 2) {
            EXPECT_FALSE(broken) << "a break once the outputs were written\n" << run.err;
        }
        for (std::size_t o = 0; o < std::size(outputs); o++) {
            ASSERT_TRUE(fs::exists(outputs[o])) << outputs[o] << run.err;
            EXPECT_EQ(test_read_file(outputs[o]) == before[o], broken)
                << outputs[o] << ", code " << run.code << ": " << run.err;
        }
    }
    if (first == 1) {
        EXPECT_GT(kept, 0); // the break reached the run while it assembled
    }
    if (first == 2) {
        EXPECT_GT(finished, 0); // and once it had written its files
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBreak, AsmBreak, ::testing::ValuesIn(AsmBreak::parts()),
                         [](const ::testing::TestParamInfo<BreakRuns>& part) {
                             if (part.param.first == 1) return std::string("WhileItAssembles");
                             if (part.param.first == 2) return std::string("OnceWritten");
                             std::string name = "Timed";
                             for (int b = part.param.first; b <= part.param.last;
                                  b += part.param.step)
                                 name += "_" + std::to_string(b);
                             return name;
                         });

// An output that cannot be written (or that would be the source itself)
// fails the batch job as an error does: no "OK.", the file named with the
// reason, what was there kept; nor does a DISGAME that could not write its
// source end with 0.
TEST_F(AsmProgram, AnOutputThatCannotBeWrittenFailsTheBatchJob) {
    const fs::path src = home.path() / "src";
    const std::string good = good_object_then(src, "LODI,r1 7");

    // A write-protected object file, then a folder at the listing's name.
    fs::permissions(src / "p.bin", fs::perms::owner_read);
    for (const char* failed : {"p.bin: Read-only file!\n", "p.lst: Is a directory!\n"}) {
        const Outcome run = assemble(src / "p.asm");
        EXPECT_EQ(run.code, 10) << run.err;
        EXPECT_FALSE(has(run.err, "OK.")) << run.err;
        EXPECT_TRUE(has(run.err, "Can't write " + (src / failed).string())) << run.err;
        EXPECT_EQ(test_read_file(src / "p.bin"), good); // a failed run writes no object
        fs::permissions(src / "p.bin", fs::perms::owner_read | fs::perms::owner_write);
        fs::remove(src / "p.lst");
        fs::create_directory(src / "p.lst");
    }
    // A source named as its object file would be is not written over.
    test_write_file(src / "s.bin", "        ORG $0\n        HALT\n        END\n");
    EXPECT_EQ(assemble(src / "s.bin").code, 10);
    EXPECT_EQ(test_read_file(src / "s.bin"), "        ORG $0\n        HALT\n        END\n");

    // The disassembly of the whole memory, larger than the files may grow.
    fs::copy_file(src / "p.bin", src / "d.bin");
    const Outcome run = launch({"DISGAME=" + (src / "d.bin").string()}, false, 16384);
    EXPECT_EQ(run.code, 10) << run.err;
    EXPECT_TRUE(
        has(run.out + run.err, "Can't write " + (src / "d.asm").string() + ": File too large!"))
        << run.out << run.err;
    EXPECT_FALSE(fs::exists(src / "d.asm"));
}

// A source with errors leaves the object of its last good assembly alone; the
// listing is written, its header line set apart from its dashes and its
// summary line ending the file.
TEST_F(AsmProgram, AFailedAssemblyKeepsTheLastGoodObjectAndItsListingReadsWell) {
    const fs::path src = home.path() / "src";
    const std::string good = good_object_then(src, "LODI,r1 7\n        LODI,r0 NOWHERE");
    ASSERT_EQ(good.substr(0, 2), std::string("\x05\x05", 2));

    const Outcome run = assemble(src / "p.asm");
    EXPECT_EQ(run.code, 10) << run.err;
    EXPECT_TRUE(has(run.err, "Errors were found: no object file written.\n")) << run.err;
    EXPECT_EQ(test_read_file(src / "p.bin"), good);
    EXPECT_FALSE(fs::exists(src / "p.bin.tmp"));

    const std::string listing = test_read_file(src / "p.lst");
    EXPECT_TRUE(has(listing, "LODI,r0 NOWHERE")) << listing;
    const std::string first = listing.substr(0, listing.find('\n'));
    EXPECT_EQ(first.size(), 74u) << first;
    const std::size_t dashes = first.find_last_not_of('-');
    ASSERT_NE(dashes, std::string::npos);
    EXPECT_EQ(first[dashes], ' ') << first;
    EXPECT_GE(first.size() - dashes - 1, 3u) << first;
    ASSERT_FALSE(listing.empty());
    EXPECT_EQ(listing.back(), '\n');
    const std::size_t summary = listing.rfind("\n\nAssembled ");
    ASSERT_NE(summary, std::string::npos) << listing;
    EXPECT_EQ(listing.find('\n', summary + 2), listing.size() - 1) << listing;
    EXPECT_TRUE(has(listing.substr(summary), "(0 warning(s), 1 error(s)).\n")) << listing;
}

// DISGAME's body starts clean: its first line, an immediate load, carries no
// comment about the address that the code discovery decoded last.
TEST_F(AsmProgram, DisgameBodyStartsWithoutTheDiscoveryPassLeftovers) {
    const fs::path src = home.path() / "src";
    std::string bin(0x20, '\0');
    bin.replace(0, 5, std::string("\x04\x05\x1F\x00\x10", 5)); // LODI,r0 5 ; BCTA,un $0010
    bin.replace(0x10, 2, "\x1B\x7E");             // BCTR,un itself
    test_write_file(src / "dg.bin", bin);
    ASSERT_EQ(launch({"DISGAME", (src / "dg.bin").string()}, false).code, 0);
    const std::string source = test_read_file(src / "dg.asm");
    const std::size_t at = source.find("LODI,r0 5");
    ASSERT_NE(at, std::string::npos) << source;
    const std::string line = source.substr(at, source.find('\n', at) - at);
    EXPECT_EQ(line.find("//"), std::string::npos) << line;
    // The branch of the next line still names its target's memory.
    EXPECT_TRUE(has(source, "// $10 is ")) << source;
}

TEST_F(AsmProgram, TheHelpPrintsTheTemplateAndALinePerArgument) {
    for (const char* ask : {"?", "-h", "--help"}) {
        SCOPED_TRACE(ask);
        const Outcome run = launch({ask}, false);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out.rfind("FILE,ASM/K,", 0), 0u) << run.out;
        for (const char* key : {"\n  FILE ", "\n  ASM ", "\n  DISGAME ", "\n  SETTINGS ",
                                "\n  STARTUP ", "\n  PORTNAME ", "\n  SYM ", "\n  UPGRADE "})
            EXPECT_TRUE(has(run.out, key)) << key;
        EXPECT_EQ(run.err, "");
    }
}

// A directive's name in column 1 is the directive, so a first label named
// START takes the instruction after it for its operand: the error says what
// the name is and how to write the label. A directive there with its own
// operand still works.
TEST_F(AsmProgram, ADirectiveNameWrittenAsALabelIsNamedAsADirective) {
    const fs::path src = home.path() / "src";
    test_write_file(src / "start.asm", "ORG $100\nSTART   LODI,r0 5\n        BCTR,un START\n"
                                       "        END START\n");
    Outcome run = assemble(src / "start.asm");
    EXPECT_EQ(run.code, 10) << run.err;
    EXPECT_TRUE(has(run.err, "Error at line 2: START is a directive, not a label (write START: "
                             "to make it a label)!"))
        << run.err;
    EXPECT_TRUE(has(run.err, "(0 warning(s), 1 error(s))")) << run.err;

    test_write_file(src / "colon.asm", "ORG $100\nSTART:  LODI,r0 5\n        BCTR,un START\n"
                                       "        END START\n");
    run = assemble(src / "colon.asm");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(test_read_file(src / "colon.bin").substr(0x100, 4), "\x04\x05\x1B\x7C");
}

// A settings file named on the command line that is not there is refused by
// name: the job is not done on other settings.
TEST_F(AsmProgram, ASettingsFileThatIsNotThereIsRefusedByName) {
    const fs::path src = home.path() / "src";
    test_write_file(src / "tiny.bin", std::string("\x04\x05\x1B\x7E", 4));
    const Outcome run =
        launch({"SETTINGS=nosuch.ini", "DISGAME=" + (src / "tiny.bin").string()}, false);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(has(run.out + run.err, "Configs/nosuch.ini\" (No such file or directory)!"))
        << run.out << run.err;
    EXPECT_FALSE(fs::exists(src / "tiny.asm"));
    EXPECT_FALSE(fs::exists(home.path() / "Configs" / "nosuch.ini"));
}

// An indented word that is no mnemonic and no directive is a mistyped
// instruction, not a label: a syntax error in every notation, no object file.
TEST_F(AsmProgram, AnIndentedWordThatIsNoInstructionIsASyntaxError) {
    const char* const sources[5] = {" ORG $500\n LODI,R0 5\n HALTT\n LODI,R1 6\n END\n",
                                    " ORG $500\n LODI,R0 5\n\tHALTT\n END\n",
                                    " .LOC 16'500\n LOAD A,#5\n WAITT\n .END\n",
                                    " .LOC 16'500\n MOVE #5,r0\n HALTT\n .END\n",
                                    " ORG H'500'\n LD .0,#5\n\tHALTT\n END\n"};
    for (int n = 0; n < 5; n++) {
        const fs::path source = home.path() / ("typo" + std::to_string(n) + ".asm");
        test_write_file(source, sources[n]);
        const Outcome run = assemble_in(n, source);
        EXPECT_EQ(run.code, 10) << run.err;
        EXPECT_TRUE(has(run.err, "Error at line 3: syntax error!")) << run.err;
        EXPECT_FALSE(fs::exists(fs::path(source).replace_extension(".bin")));
    }
}

// A line's indentation takes no room from its 259 characters: a data line of
// that length assembles however far it is indented.
TEST_F(AsmProgram, IndentationTakesNoRoomFromALongLine) {
    std::string line = "DB 77";
    while (line.size() < 259)
        line += ",1";
    const fs::path source = home.path() / "long.asm";
    test_write_file(source, "\t\tORG $500\n\t\t\t    " + line + "\n\tEND\n");
    const Outcome run = assemble(source);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(object_bytes(source, 0x500, 2), std::string("\x4D\x01", 2));
}

// A mnemonic is a value ($40 for HALT), also as the first operand of an
// indented data directive.
TEST_F(AsmProgram, AMnemonicIsAValueOfAnIndentedDataDirective) {
    const fs::path source = home.path() / "data.asm";
    test_write_file(source, " ORG $500\n DB HALT\n\tDW HALT\n DB 1,HALT\n END\n");
    ASSERT_EQ(assemble(source).code, 0);
    EXPECT_EQ(object_bytes(source, 0x500, 5), std::string("\x40\x00\x40\x01\x40", 5));
}

// After a TEST the disassembler writes the old CALM branches on "all ones"
// and "not all ones" as JUMP,AO and JUMP,NO: they assemble back to the same
// bytes, as RET,AO and RET,NO do.
TEST_F(AsmProgram, OldCalmBranchesAfterATestAssembleBack) {
    const fs::path source = home.path() / "test.asm";
    test_write_file(source, "        .LOC     16'500\n"
                            "        TEST     A,#2'10000000\n"
                            "        JUMP,AO  .+16'506\n"
                            "        JUMP,NO  16'500\n"
                            "        CALL,AO  16'500\n"
                            "        .END\n");
    const Outcome run = assemble_in(2, source);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(object_bytes(source, 0x500, 10), std::string("\xF4\x80\x18\x02\x1E\x05\x00\x3C\x05\x00", 10));
}

// .ASCIZ and .ASCIZE end their text with a 0 byte in both CALM notations;
// .ASCIZE then moves on to an even address ($104), .ASCII adds nothing.
TEST_F(AsmProgram, TheCalmTextDirectivesEndTheirTextAsTheirNamesSay) {
    const fs::path source = home.path() / "src" / "texts.asm";
    test_write_file(source, "        .LOC    16'100\n"
                            "        .ASCIZE \"FG\"\n"
                            "        .ASCIZ  \"DE\"\n"
                            "        .ASCII  \"HI\"\n"
                            "        .DATA.8 16'77\n"
                            "        .END\n");
    for (int notation : {2, 3}) {
        SCOPED_TRACE(notation);
        const Outcome run = assemble_in(notation, source);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_TRUE(has(run.err, notation == 2 ? " as old CALM" : " as new CALM")) << run.err;
        EXPECT_EQ(object_bytes(source, 0x100, 3), std::string("FG\0", 3));
        EXPECT_EQ(object_bytes(source, 0x104, 6), std::string("DE\0HI\x77", 6));
    }
}

// "~X" is X exclusive-or 255 wherever a term may stand, in every notation;
// a literal wider than 32 bits is an error at its line, not a value cut short.
TEST_F(AsmProgram, TildeStartsATermAndLiteralsPast32BitsAreErrors) {
    const struct {
        int notation;
        const char* source;
    } cases[] = {
        {0, "        ORG $100\n        DB ~$F\n        DATA ~0FH\n        DB 1+~0\n"
            "        DB (~%1111),HI(~0)+1\n        LODI,r0 ~$80\n        END\n"},
        {2, "        .LOC 16'100\n        .DATA.8 ~16'F,~0FH,1+~0,(~2'1111),HI(~0)+1\n"
            "        LOAD A,#~16'80\n        .END\n"},
        {4, "        ORG H'100'\n        DATA ~H'F',~0FH,1+~0,(~B'1111'),HI(~0)+1\n"
            "        LD .0,#~H'80'\n        END\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notation);
        const fs::path source = home.path() / "src" / ("tilde" + std::to_string(c.notation) + ".asm");
        test_write_file(source, c.source);
        const Outcome run = assemble_in(c.notation, source);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(object_bytes(source, 0x100, 7), "\xF0\xF0\xFF\xF0\x01\x04\x7F");
    }

    const fs::path wide = home.path() / "src" / "wide.asm";
    test_write_file(wide, "        ORG $100\n        DW $100000000\n        DB 4294967297\n"
                          "        DW $FFFFFFFF+2\n        DB !4294967295&1\n        END\n");
    const Outcome run = assemble(wide);
    EXPECT_EQ(run.code, 10) << run.err;
    EXPECT_TRUE(has(run.err, "Error at line 2: number wider than 32 bits!")) << run.err;
    EXPECT_TRUE(has(run.err, "Error at line 3: number wider than 32 bits!")) << run.err;
    // A result past 32 bits wraps, as it always has; a literal that fits is no error.
    EXPECT_FALSE(has(run.err, "Error at line 4")) << run.err;
    EXPECT_FALSE(has(run.err, "Error at line 5")) << run.err;
    EXPECT_TRUE(has(run.err, "(0 warning(s), 2 error(s))")) << run.err;
}

// INCLUDE and INCBIN take a relative name from beside the source first, then
// from the Projects drawer; when neither holds it the error names both.
TEST_F(AsmProgram, IncludesAreFoundBesideTheSourceThenInTheProjectsDrawer) {
    const fs::path src = home.path() / "elsewhere";
    const fs::path projects = home.path() / "Projects";
    const fs::path source = src / "inc.asm";
    test_write_file(source, "        ORG $100\n        INCLUDE defs.inc\n        LODI,r1 VAL\n"
                            "        INCBIN \"data.bin\"\n        END\n");
    test_write_file(src / "defs.inc", "VAL     EQU 7\n");
    test_write_file(src / "data.bin", "AB");
    test_write_file(projects / "defs.inc", "VAL     EQU 9\n");
    test_write_file(projects / "data.bin", "XY");
    Outcome run = assemble(source);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(object_bytes(source, 0x100, 4), "\x05\x07" "AB"); // the source's own neighbours

    fs::remove(src / "defs.inc");
    fs::remove(src / "data.bin");
    run = assemble(source);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(object_bytes(source, 0x100, 4), "\x05\x09" "XY"); // then the drawer's

    fs::remove(projects / "defs.inc");
    run = assemble(source);
    EXPECT_EQ(run.code, 10) << run.err;
    EXPECT_TRUE(has(run.err, "Error at line 2: can't open include file for reading (looked for " +
                                 (src / "defs.inc").string() + " and " +
                                 (projects / "defs.inc").string() + ")!"))
        << run.err;

    test_write_file(source, "        ORG $100\n        INCBIN nothing.bin\n        END\n");
    run = assemble(source);
    EXPECT_EQ(run.code, 10) << run.err;
    EXPECT_TRUE(has(run.err, "(looked for " + (src / "nothing.bin").string() + " and " +
                                 (projects / "nothing.bin").string() + ")!"))
        << run.err;
}

// The examples of the manual's assembler section (marked as such in the HTML)
// assemble as shown, each in the notation it names: the blocks as whole
// sources, the single lines inside an origin and an end of their notation.
TEST_F(AsmProgram, EveryExampleOfTheManualAssemblesInItsNotation) {
    const std::string manual =
        test_read_file(std::string(test_data()) + "/../../resources/help/index.html");
    const std::size_t from = manual.find("<a name=\"assembler\"");
    ASSERT_NE(from, std::string::npos);
    const std::string section = manual.substr(from, manual.find("<h2>", from) - from);
    const auto unescape = [](std::string text) {
        for (const auto& [entity, c] : {std::pair<const char*, char>{"&lt;", '<'},
                                        {"&gt;", '>'}, {"&quot;", '"'}, {"&amp;", '&'}})
            for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
                text.replace(at, std::strlen(entity), 1, c);
        return text;
    };
    const char* const frames[5][2] = {{"        ORG $100\n", "        END\n"},
                                      {"        ORG $100\n", "        END\n"},
                                      {"        .LOC 16'100\n", "        .END\n"},
                                      {"        .LOC 16'100\n", "        .END\n"},
                                      {"        ORG H'100'\n", "        END\n"}};
    const char* const names[5] = {" as non-extended Signetics", " as extended Signetics",
                                  " as old CALM", " as new CALM", " as IEEE-694"};
    const std::regex example(
        "<(pre|tt) class=\"asm-(example|line)\" data-notation=\"([0-4])\">\n?([^<]*)</\\1>");
    int blocks[5] = {}, count = 0;
    for (auto it = std::sregex_iterator(section.begin(), section.end(), example);
         it != std::sregex_iterator(); ++it, ++count) {
        const int notation = std::stoi((*it)[3]);
        const bool block = (*it)[2] == "example";
        std::string text = unescape((*it)[4]);
        SCOPED_TRACE(text);
        if (block)
            blocks[notation]++;
        else
            text = frames[notation][0] + std::string("        ") + text + "\n" + frames[notation][1];
        const fs::path source = home.path() / "manual" / ("example" + std::to_string(count) + ".asm");
        test_write_file(source, text);
        const Outcome run = assemble_in(notation, source);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_TRUE(has(run.err, names[notation])) << run.err;
    }
    // A block in each notation, and the single lines of the directives' table.
    for (int n = 0; n < 5; n++)
        EXPECT_GE(blocks[n], 1) << "no example in notation " << n;
    EXPECT_GE(count, 7);
}

// An included file is split into lines as the source is, whatever its line
// ends: a lone CR, CR LF, LF or a mix, after a byte-order mark or not. A
// comment on a line ends at that line's end, not at the file's.
TEST_F(AsmProgram, AnIncludedFileEndsItsLinesAsTheSourceDoes) {
    const fs::path source = home.path() / "src" / "ends.asm";
    test_write_file(source, "        ORG $100\n        INCLUDE cr.inc\n        INCLUDE crlf.inc\n"
                            "        INCLUDE mixed.inc\n        END\n");
    test_write_file(source.parent_path() / "cr.inc", "LODI,R0 5 ; load\rLODI,R1 6\rHALT\r");
    test_write_file(source.parent_path() / "crlf.inc",
                    "\xEF\xBB\xBF LODI,R2 7 ; two\r\n LODI,R3 8\r\n");
    test_write_file(source.parent_path() / "mixed.inc", " NOP ; one\r HALT ; two\r\n NOP\n HALT");
    const Outcome run = assemble(source);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(has(run.err, "(0 warning(s), 0 error(s))")) << run.err;
    EXPECT_EQ(object_bytes(source, 0x100, 13),
              std::string("\x04\x05\x05\x06\x40\x06\x07\x07\x08\xC0\x40\xC0\x40", 13));
    const std::string listing = test_read_file(fs::path(source).replace_extension(".lst"));
    EXPECT_TRUE(has(listing, "0102  0506    :LODI,R1 6\n")) << listing;
}

// Every opcode, and every mask of the six status instructions, disassembled by
// DISGAME in each notation assembles back to the same bytes. Before each
// instruction that ends a flow a conditional branch makes the next one code.
TEST_F(AsmProgram, EveryOpcodeDisassembledInEachNotationAssemblesBack) {
    const auto length = [](int op) {
        if (op == 0x10 || op == 0x11 || op == 0x90 || op == 0x91 || op == 0xB6 || op == 0xB7 ||
            (op >= 0xC4 && op <= 0xC7))
            return 1; // data bytes on the 2650
        const int low = op & 0x0F, high = op >> 4;
        if (!(op & 0x10)) return low < 4 ? 1 : low < 12 ? 2 : 3;
        if (low >= 12) return 3;
        if (low >= 8) return 2;
        if (low >= 4) return high == 1 || high == 3 || high == 9 ? 1 : 2;
        return 1;
    };
    const auto ends_flow = [](int op) {
        for (int end : {0x17, 0x37, 0x40, 0x9F, 0x9B, 0x1B, 0x1F, 0x10, 0x11, 0x90, 0x91, 0xB6,
                        0xB7, 0xC4, 0xC5, 0xC6, 0xC7})
            if (op == end) return true;
        return false;
    };
    std::string code;
    const auto put = [&](int op, int operand, int count) {
        if (ends_flow(op)) code += {'\x18', static_cast<char>(count)}; // BCTR,eq past it
        code += static_cast<char>(op);
        for (int i = 1; i < count; i++)
            code += static_cast<char>(operand); // addresses and branches: $0000 and the next
    };
    for (int op = 0; op < 256; op++)
        put(op, 0, length(op));
    for (int op : {0x74, 0x75, 0x76, 0x77, 0xB4, 0xB5})
        for (int mask = 0; mask < 256; mask++)
            put(op, mask, 2);
    code += '\x40';
    for (int n = 0; n < 5; n++) {
        SCOPED_TRACE(n);
        const fs::path bin = home.path() / "src" / ("all" + std::to_string(n) + ".bin");
        test_write_file(bin, code);
        ASSERT_EQ(launch({in_notation(n), "DISGAME=" + bin.string()}, false).code, 0);
        fs::remove(bin);
        const fs::path source = fs::path(bin).replace_extension(".asm");
        // The status instructions were decoded as such, not as data bytes.
        const std::string text = test_read_file(source);
        EXPECT_TRUE(has(text, " 74 07 ") && has(text, " B5 FF ")) << text.substr(0, 2000);
        const Outcome run = assemble_in(n, source);
        EXPECT_NE(run.code, 10) << run.err.substr(0, 2000);
        const std::string back = object_bytes(source, 0, code.size());
        const auto differ = std::mismatch(code.begin(), code.end(), back.begin(), back.end());
        EXPECT_EQ(back.size(), code.size());
        EXPECT_TRUE(differ.first == code.end())
            << "first difference at $" << std::hex << (differ.first - code.begin());
    }
}

// In column 1 a data directive takes a mnemonic as its value, as it does
// indented; a directive's name before an instruction with operands it cannot
// take is still named as a directive.
TEST_F(AsmProgram, AMnemonicIsAValueOfADataDirectiveInColumnOne) {
    const fs::path source = home.path() / "src" / "column1.asm";
    test_write_file(source,
                    " ORG $100\nDB HALT\nDW HALT\nDATA NOP, HALT\nBYTE 5\nSTART NOP\n END\n");
    Outcome run = assemble(source);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(object_bytes(source, 0x100, 6), std::string("\x40\x00\x40\xC0\x40\x05", 6));
    EXPECT_FALSE(has(run.err, "Assuming start address")) << run.err;

    test_write_file(source, " ORG $100\nFCB RETC,un\nDB LODI,r1 6\n END\n");
    run = assemble(source);
    EXPECT_EQ(run.code, 10);
    EXPECT_TRUE(has(run.err, "Error at line 2: FCB is a directive, not a label")) << run.err;
    EXPECT_TRUE(has(run.err, "Error at line 3: DB is a directive, not a label")) << run.err;
    EXPECT_TRUE(has(run.err, "(0 warning(s), 2 error(s))")) << run.err;
}

} // namespace

// A binary image holds every byte the source emitted: code placed before an
// origin set back for the last part is in it, and room reserved at the end
// still counts, as before.
TEST_F(AsmProgram, TheBinaryImageReachesTheHighestByteEmitted) {
    const fs::path dir = home.path() / "src";
    const struct {
        const char* name;
        const char* source;
        std::size_t size;
    } cases[] = {
        {"back", "        ORG $100\n        DB 1,2,3\n        ORG $10\n        DB 4\n        END\n",
         0x103},
        {"reserve", "        ORG $100\n        DB 1,2,3\n        RES 5\n        END\n", 0x108},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path source = dir / (std::string(c.name) + ".asm");
        test_write_file(source, c.source);
        const Outcome run = assemble(source);
        EXPECT_LT(run.code, 10) << run.err;
        const std::string bin = test_read_file(fs::path(source).replace_extension(".bin"));
        EXPECT_EQ(bin.size(), c.size);
        EXPECT_EQ(object_bytes(source, 0x100, 3), std::string("\x01\x02\x03", 3));
    }
    EXPECT_EQ(object_bytes(dir / "back.asm", 0x10, 1), std::string("\x04", 1));
}

// Pass 1 only measures. A source whose origin, reservation, fill or alignment
// waits for a label further down (it counts 0 in pass 1) gives the object file,
// listing code and symbol table of the same source with the value written in:
// nothing pass 1 stored at the places it took stays behind, in any notation.
// An origin that pass 2 finds elsewhere than pass 1 is an error: no object.
TEST_F(AsmProgram, PassOneLeavesNothingBehindWhenALabelFurtherDownPlacesCode) {
    const fs::path dir = home.path() / "src";
    const struct {
        const char* name;
        int notation;
        const char* source; // `@` stands for the operand
        const char *forward, *literal;
    } cases[] = {
        {"org", 0, "\tORG @\nMAIN:\tLODI,R0 5\n\tBCTR,UN MAIN\nTOP\tEQU $500\n\tEND TOP\n", "TOP",
         "$500"},
        {"res", 1, "\tORG $500\n\tRES @\nL:\tDB 1\n\tBR L\nN\tEQU 4\n\tEND L\n", "N", "4"},
        {"orgf", 0, "\tORG $500\n\tORGF @,$AA\n\tHALT\n\tORG $520\n\tHALT\nN\tEQU 4\n\tEND\n",
         "$510-N", "$50C"},
        {"loc", 2, "\t.LOC @\nMAIN:\tLOAD A,#5\n\tJUMP MAIN\nTOP:\t.EQU 16'500\n\t.END MAIN\n",
         "TOP", "16'500"},
        {"align", 3, "\t.LOC 16'501\n\t.ALIGN @\nL:\t.DATA.8 1\nN:\t.EQU 16\n\t.END L\n", "N",
         "16"},
        {"ieee", 4, "\tORG @\nMAIN:\tLD .0,#5\n\tBR /MAIN\nTOP:\tEQU H'500'\n\tEND MAIN\n", "TOP",
         "H'500'"},
    };
    // The listing's address and code columns and its user labels with their
    // values (whether a label is used differs between the two sources).
    const auto code_and_labels = [](const std::string& listing) {
        static const std::regex code_line("^[0-9A-F]{4}  .{8}:");
        const std::size_t labels = std::min(listing.find(";User-defined:"), listing.size());
        std::istringstream lines(listing.substr(0, labels));
        std::string kept;
        for (std::string line; std::getline(lines, line);)
            if (std::regex_search(line, code_line)) kept += line.substr(0, 15) + "\n";
        return kept + std::regex_replace(listing.substr(labels), std::regex(" +;Unused"), "");
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string settings = in_notation(c.notation);
        std::string objects[2], listings[2];
        for (int forward = 0; forward < 2; forward++) {
            std::string text = c.source;
            text.replace(text.find('@'), 1, forward ? c.forward : c.literal);
            const fs::path source = dir / (std::string(c.name) + std::to_string(forward) + ".asm");
            test_write_file(source, text);
            const Outcome run = launch({settings, "ASM", source.string()}, true);
            EXPECT_EQ(run.code, 0) << run.err;
            objects[forward] = test_read_file(fs::path(source).replace_extension(".bin"));
            listings[forward] =
                code_and_labels(test_read_file(fs::path(source).replace_extension(".lst")));
        }
        ASSERT_GT(objects[0].size(), 0x500u);
        EXPECT_EQ(objects[1].size(), objects[0].size());
        const auto differ = std::mismatch(objects[0].begin(), objects[0].end(), objects[1].begin(),
                                          objects[1].end());
        EXPECT_EQ(differ.first - objects[0].begin(), objects[0].end() - objects[0].begin())
            << "the objects differ at this offset";
        EXPECT_EQ(listings[1], listings[0]);
    }

    const fs::path moved = dir / "moved.asm";
    test_write_file(moved, "\tORG TOP\n\tDB 1,2,3\nTOP:\tHALT\n\tEND\n");
    const Outcome run = assemble(moved);
    EXPECT_EQ(run.code, 10) << run.err;
    EXPECT_TRUE(has(run.err, "Error at line 3: label used before its value was known")) << run.err;
    EXPECT_FALSE(fs::exists(fs::path(moved).replace_extension(".bin")));
}

// Once a source includes another, every error and warning names the file it
// is in and the line in that file: in an include nested two deep, after each
// include returns, at the missing END, in each notation that includes and
// whatever the included file's line ends. The caret line shows that line, and
// the listing holds the same message. A source without an include keeps the
// plain line numbers.
TEST_F(AsmProgram, MessagesNameTheIncludedFileAndItsOwnLine) {
    const fs::path dir = home.path() / "src";
    const struct {
        int notation;
        const char *include, *origin, *data, *ignored, *warning, *end_warning, *line_end;
    } cases[] = {
        {0, "INCLUDE", "ORG", "DB", "PAGE", "ignoring directive PAGE", "missing END/.END directive",
         "\n"},
        {1, "INCL", "ORG", "DATA", "PAGE", "ignoring directive PAGE", "missing END/.END directive",
         "\r"},
        {2, ".INCLUDE", ".LOC", ".DATA.8", ".TITLE", "ignoring directive", "missing .END directive",
         "\r\n"},
        {3, ".INCLUDE", ".LOC", ".DATA.8", ".TITLE", "ignoring directive", "missing .END directive",
         "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notation);
        const std::string tab = "\t", data = tab + c.data + " ";
        const fs::path main = dir / ("main" + std::to_string(c.notation) + ".asm");
        test_write_file(main,
                        tab + c.origin + " 0\n" + tab + c.include + " a.inc\n" + data + "300\n");
        test_write_file(dir / "a.inc",
                        data + "1\n" + tab + c.include + " b.inc\n" + data + "301\n");
        const std::string b =
            tab + c.ignored + "\n" + data + "302\n" + tab + c.include + " none.inc\n";
        test_write_file(dir / "b.inc", std::regex_replace(b, std::regex("\n"), c.line_end));
        const Outcome run = assemble_in(c.notation, main);
        EXPECT_EQ(run.code, 10) << run.err;
        const std::string listing = test_read_file(fs::path(main).replace_extension(".lst"));
        const std::string messages[] = {
            std::string("Warning at line 1 of b.inc: ") + c.warning + "!\n$0001:  " + c.ignored +
                "\n",
            "Error at line 2 of b.inc: immediate value out of range!\n$0001:  " +
                std::string(c.data) + " 302\n",
            "Error at line 3 of b.inc: can't open include file for reading (looked for ",
            "Error at line 3 of a.inc: immediate value out of range!\n$0002:  " +
                std::string(c.data) + " 301\n",
            "Error at line 3 of " + main.string() + ": immediate value out of range!\n",
            "Warning at line 4 of " + main.string() + ": " + c.end_warning + "!\n",
        };
        for (const std::string& message : messages) {
            EXPECT_TRUE(has(run.err, message)) << message << "\n---\n" << run.err;
            const std::string head = message.substr(0, message.find('\n'));
            EXPECT_TRUE(has(listing, "*** " + head)) << head << "\n---\n" << listing;
        }
    }

    // Without an include, in every notation, the line is the source's alone.
    for (int notation = 0; notation <= 4; notation++) {
        SCOPED_TRACE(notation);
        const char* data = notation == 2 || notation == 3 ? ".DATA.8"
                           : notation == 4                ? "DATA"
                                                          : "DB";
        const char* origin = notation == 2 || notation == 3 ? ".LOC" : "ORG";
        const fs::path plain = dir / ("plain" + std::to_string(notation) + ".asm");
        test_write_file(plain,
                        std::string("\t") + origin + " 0\n\t" + data + " 1\n\t" + data + " 300\n");
        const Outcome run = assemble_in(notation, plain);
        EXPECT_TRUE(has(run.err, "\nError at line 3: immediate value out of range!\n")) << run.err;
        EXPECT_TRUE(has(run.err, "\nWarning at line 4: missing ")) << run.err;
    }
}

// Every fault is told once and counted once: those of the include directives,
// which show while the includes are read, too. Each message sits in the
// listing right above its line; a failed INCLUDE is passed over and what
// follows it assembles. The missing END, past the last line, has no caret
// line. The summary counts
// the lines of the source and its includes, without the marks between them.
TEST_F(AsmProgram, EachFaultIsToldOnceAboveItsLineAndTheSummaryCountsTheLinesWritten) {
    const struct {
        const char* name;
        int notation;
        const char *source, *sub; // sub.inc beside the source (nullptr: none)
        const char* message;      // start of the one message (`@` the source's path)
        const char* next;         // the console line after it
        const char* listed;       // the source line of the listing line after it
        int lines, warnings, errors;
    } cases[] = {
        {"quote", 0, "\tORG 0\nA\tLODI,R0 1\n\tINCLUDE \"sub\n\tRETC,UN\n\tEND\n", nullptr,
         "Error at line 3: unexpected end of line!", "$0002:  INCLUDE \"sub", "\tINCLUDE \"sub", 2,
         0, 1},
        {"binquote", 1, "\tORG 0\n\tINCBIN 'sub.inc\n\tEND\n", "x",
         "Error at line 2: unexpected end of line!", "$0000:  INCBIN 'sub.inc", "\tINCBIN 'sub.inc",
         1, 0, 1},
        {"eol", 0, "\tORG 0\n\tINCLUDE \"sub.inc\" 1\n\tEND\n", "\tDB 1\n",
         "Error at line 2: EOL expected!", "$0000:  INCLUDE \"sub.inc\" 1",
         "\tINCLUDE \"sub.inc\" 1", 1, 0, 1},
        {"nobin", 0, "\tORG 0\n\tDB 1\n\tINCBIN none.bin\n\tEND\n", nullptr,
         "Error at line 3: can't open include file for reading (", "$0001:  INCBIN none.bin",
         "\tINCBIN none.bin", 2, 0, 1},
        {"noinc", 0,
         "\tORG 0\n\tINCLUDE none.inc\n\tBCTA,UN L\nL\tRETC,UN\n\tINCLUDE sub.inc\n\tEND\n",
         "\tDB 1\n", "Error at line 2: can't open include file for reading (",
         "$0000:  INCLUDE none.inc", "\tINCLUDE none.inc", 6, 0, 1},
        {"calm", 3, "\t.LOC 0\n\t.INCLUDE none.inc\n\t.INCLUDE sub.inc\n", "\t.DATA.8 1\r\n",
         "Warning at line 4 of @: missing .END directive!",
         "Assembled 4 line(s) (1 warning(s), 1 error(s)).", nullptr, 4, 1, 1},
        {"self", 0, "\tORG 0\n\tINCLUDE sub.inc\n\tEND\n", "\tDB 1\n\tINCLUDE sub.inc\n",
         "Error at line 2 of sub.inc: too many includes!", "$0100:  INCLUDE sub.inc",
         "\tINCLUDE sub.inc", 2 + 2 * 256, 0, 1},
        {"noend", 0, "\tORG 0\n\tINCLUDE sub.inc\n\tINCLUDE sub.inc\n\tDB 2\n", "\tDB 1\n\n",
         "Warning at line 5 of @: missing END/.END directive!",
         "Assembled 8 line(s) (1 warning(s), 0 error(s)).", nullptr, 8, 1, 0},
        {"crlf", 0, "\tORG 0\n\tINCLUDE sub.inc\n\tDB 300\n\tEND\n\tDB 4\n", "\tDB 1\r\n\tDB 2",
         "Error at line 3 of @: immediate value out of range!", "$0002:  DB 300", "\tDB 300", 5, 0,
         1},
        // A comment that reads as the end of an include is only a comment.
        {"mark", 0, "\tORG 0\n\tINCLUDE sub.inc\n\tEND\n",
         "\tDB 1\n;END INCLUDE sub.inc\n\tDB 300\n",
         "Error at line 3 of sub.inc: immediate value out of range!", "$0001:  DB 300", "\tDB 300",
         5, 0, 1},
    };
    // The lines of `text` that begin with `start`, each with the line after it.
    const auto lines_after = [](const std::string& text, const std::string& start) {
        std::vector<std::string> found;
        std::istringstream lines(text);
        for (std::string line, next; std::getline(lines, line);)
            if (line.rfind(start, 0) == 0) found.push_back(std::getline(lines, next) ? next : "");
        return found;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = home.path() / "src" / c.name, source = dir / "main.asm";
        test_write_file(source, c.source);
        if (c.sub) test_write_file(dir / "sub.inc", c.sub);
        const Outcome run = assemble_in(c.notation, source);
        EXPECT_EQ(run.code, c.errors ? 10 : 5) << run.err;
        const std::string message = std::regex_replace(c.message, std::regex("@"), source.string());
        EXPECT_EQ(lines_after(run.err, message), std::vector<std::string>{c.next}) << run.err;
        const std::string listing = test_read_file(dir / "main.lst");
        std::vector<std::string> listed = lines_after(listing, "*** " + message);
        if (c.listed)
            for (std::string& line : listed)
                line.erase(0, std::min<std::size_t>(15, line.size())); // the address and code
        EXPECT_EQ(listed, std::vector<std::string>{c.listed ? c.listed : ""}) << listing;
        const std::string summary = "Assembled " + std::to_string(c.lines) + " line(s) (" +
                                    std::to_string(c.warnings) + " warning(s), " +
                                    std::to_string(c.errors) + " error(s)).\n";
        EXPECT_TRUE(has(run.err, summary)) << summary << run.err;
        EXPECT_TRUE(has(listing, summary)) << summary;
    }
}
