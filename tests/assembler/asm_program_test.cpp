// The program's ASM mode, run as the real binary (offscreen, in a program home
// of the test's own): its return codes, its messages on stderr, and the
// listing and object file it leaves beside the source.
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
    std::string err;
};

class AsmProgram : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }

    // Runs `brindlemox ASM source` and waits up to 30 seconds for its end.
    Outcome assemble(const fs::path& source) {
        setenv("BRINDLEMOX_HOME", home.path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::vector<std::string> args = {BRINDLEMOX_PROGRAM, "ASM", source.string()};
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
            posix_spawn(&pid, BRINDLEMOX_PROGRAM, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        Outcome run;
        if (spawned != 0) return run;
        for (int i = 0; i < 3000; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        run.err = test_read_file(err);
        return run;
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
        bool writes;         // listing and object file are expected
    };
    const Case cases[] = {
        {"clean", "        ORG $100\nBEGIN   LODI,r1 5\n        HALT\n        END BEGIN\n", 0,
         "Assembled 3 line(s) (0 warning(s), 0 error(s)).", true},
        {"warns", "        ORG $100\n        LODI,r1 5\n        HALT\n", 5,
         "Warning at line 4: missing END/.END directive!", true},
        {"fails", "        ORG $100\n        LODI,r1 5\n        LODI,r0 300\n        END\n", 10,
         "Error at line 3: immediate value out of range!", true},
        {"absent", nullptr, 10, " for reading!", false},
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
        const fs::path listing = dir / (std::string(c.name) + ".lst");
        const fs::path object = dir / (std::string(c.name) + ".bin");
        EXPECT_EQ(fs::exists(listing), c.writes);
        EXPECT_EQ(fs::exists(object), c.writes);
        if (!c.writes) continue;
        // The listing holds the same message, and the object file the code
        // from $0000 up to the last byte (the default machine keeps binaries).
        EXPECT_TRUE(has(test_read_file(listing), c.message)) << test_read_file(listing);
        const std::string bin = test_read_file(object);
        ASSERT_GE(bin.size(), 0x102u);
        EXPECT_EQ(bin.substr(0x100, 2), std::string("\x05\x05", 2));
    }
}

} // namespace
