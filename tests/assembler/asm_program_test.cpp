// The program's batch modes, run as the real binary in a program home of the
// test's own: ASM's return codes, messages and files; DISGAME, UPGRADE and the
// help without a display, and what they leave alone.
#include "tests/support/child_wait.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
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
    Outcome launch(std::vector<std::string> args, bool display) {
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
        args.insert(args.begin(), BRINDLEMOX_PROGRAM);
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
        const int spawned =
            posix_spawn(&pid, BRINDLEMOX_PROGRAM, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        Outcome run;
        if (spawned != 0) return run;
        run.code = wait_child(pid, 30);
        run.out = test_read_file(out);
        run.err = test_read_file(err);
        return run;
    }
    Outcome assemble(const fs::path& source) { return launch({"ASM", source.string()}, true); }

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

// A source with errors leaves the object of its last good assembly alone; the
// listing is written, its header line set apart from its dashes and its
// summary line ending the file.
TEST_F(AsmProgram, AFailedAssemblyKeepsTheLastGoodObjectAndItsListingReadsWell) {
    const fs::path src = home.path() / "src";
    test_write_file(src / "p.asm", "        ORG $0\nB       LODI,r1 5\n        BCTA,un B\n"
                                   "        END B\n");
    ASSERT_EQ(assemble(src / "p.asm").code, 0);
    const std::string good = test_read_file(src / "p.bin");
    ASSERT_EQ(good.substr(0, 2), std::string("\x05\x05", 2));

    test_write_file(src / "p.asm", "        ORG $0\nB       LODI,r1 7\n        LODI,r0 NOWHERE\n"
                                   "        BCTA,un B\n        END B\n");
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

} // namespace
