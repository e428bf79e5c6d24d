// The source file of a disassembly appears only when complete: a run that is
// killed, broken off or fails mid-write leaves neither "<name>.asm" nor a
// temporary ("<name>.asm.tmp-" and six letters) behind, a stale temporary does
// not survive a run, and a file of the user's at "<name>.asm.tmp" is no
// temporary of the program's.
#include "app/mainloop.h"
#include "app/shutdown.h"
#include "debugger/disasm_file.h"
#include "tests/cpu/disasm_fixture_test.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The temporary files of prog.asm in `dir`: "prog.asm.tmp-" and six letters.
int temporaries(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        n += name.size() == 19 && name.rfind("prog.asm.tmp-", 0) == 0;
    }
    return n;
}

// What the sink saw while the listing was being written.
fs::path watched_dir;
int lines_written = 0;
bool temp_named_while_writing = false;
void (*on_first_line)() = nullptr;

std::string messages; // printed while no file was open

void watching_sink(const char* text) {
    if (!asm_output_file) {
        messages += text;
        return;
    }
    if (temporaries(watched_dir) > 0) temp_named_while_writing = true;
    if (lines_written++ == 0 && on_first_line) on_first_line();
}

bool unnamed_files_possible(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

class DisasmTempFile : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        dis_test_reset();
        app_exit_reset();
        app_exit_process = throw_exit;
        machine = INTERTON;
        memmap = 0;
        home.emplace("disasm-temp");
        dir = home->path();
        std::snprintf(projects_path, sizeof projects_path, "%s", dir.c_str());
        dis_test_poke(0x0000, {0x04, 0x12, 0x1B, 0x7E}); // LODI,r0 $12; BCTR,un $0000
        dis_unnamed_temp_file = GetParam();
        watched_dir = dir;
        lines_written = 0;
        messages.clear();
        temp_named_while_writing = false;
        on_first_line = nullptr;
    }
    void TearDown() override {
        dis_unnamed_temp_file = true;
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        home.reset();
        fresh_state();
    }
    // Disassembles into <dir>/prog.asm; false when the exit path ended the run.
    bool run() {
        con_push_sink(watching_sink);
        bool finished = true;
        try {
            dis_to_file(0x0000, 0x0100, (dir / "prog.bin").c_str());
        } catch (const Exited&) {
            finished = false;
        }
        con_pop_sink();
        return finished;
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Whether the file being written must have no name on this file system.
    bool expect_unnamed() const { return GetParam() && unnamed_files_possible(dir); }

    std::optional<TempHome> home;
    fs::path dir;
};

} // namespace

TEST_P(DisasmTempFile, AStaleTemporaryFileDoesNotSurviveARun) {
    std::ofstream(dir / "prog.asm.tmp-Stale1") << "left over from a run that was killed\n";
    std::ofstream(dir / "prog.asm.tmp") << "the user's own file\n";
    ASSERT_TRUE(run());
    EXPECT_EQ(temporaries(dir), 0);
    EXPECT_EQ(read(dir / "prog.asm.tmp"), "the user's own file\n");
    const std::string text = read(dir / "prog.asm");
    EXPECT_EQ(text.find("left over"), std::string::npos);
    EXPECT_NE(text.find("END"), std::string::npos) << "the listing is complete";
    EXPECT_GT(lines_written, 10);
    if (expect_unnamed()) {
        EXPECT_FALSE(temp_named_while_writing) << "a kill would leave it";
    }
    if (!GetParam()) {
        EXPECT_TRUE(temp_named_while_writing);
    }
}

// CTRL-C and SIGTERM end the run through the exit path at the next line; the
// exit path removes the temporary file, and nothing takes the final name.
TEST_P(DisasmTempFile, BreakingOffMidWriteLeavesNoFile) {
    void (*const breaks[])() = {app_signal_break, [] { std::raise(SIGTERM); },
                                [] { std::raise(SIGINT); }};
    app_install_break_handler();
    for (auto action : breaks) {
        app_exit_reset();
        lines_written = 0;
        on_first_line = action;
        EXPECT_FALSE(run()) << "the run went on to the end";
        EXPECT_EQ(asm_output_file, nullptr);
        EXPECT_EQ(temporaries(dir), 0);
        EXPECT_FALSE(fs::exists(dir / "prog.asm"));
        EXPECT_LT(lines_written, 10);
        if (!GetParam()) {
            EXPECT_NE(std::count(app_exit_steps.begin(), app_exit_steps.end(), "temporary files"),
                      0);
        }
        fs::current_path(dir); // the run had entered the projects drawer
    }
}

// A write that fails (here: the file-size limit) is reported, and nothing is left.
TEST_P(DisasmTempFile, AFailedWriteLeavesNoFile) {
    rlimit kept{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &kept), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = kept;
    small.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool finished = run();
    setrlimit(RLIMIT_FSIZE, &kept);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_TRUE(finished);
    EXPECT_EQ(temporaries(dir), 0);
    EXPECT_FALSE(fs::exists(dir / "prog.asm"));
    EXPECT_NE(messages.find("Can't write " + (dir / "prog.asm").string() + ": File too large!"),
              std::string::npos)
        << messages;
}

INSTANTIATE_TEST_SUITE_P(UnnamedOrNamed, DisasmTempFile, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Unnamed" : "NamedTemporary";
                         });
