// The record of the program's own outputs in the running program, through its
// port: a writer whose record names what it wrote of (the assembler of its
// source, a playback of its recording) knows that thing however its path is
// spelled (plain, through a linked home or folder, with "./" or ".."), in a
// fresh home, a home reached through a link and a home whose record an
// earlier version wrote; and every saver records what it wrote, however its
// name was typed. An output is its writer's by what it holds, wherever it
// lies: moved, renamed or copied with its project.
#include "core/emu.h"
#include "core/machine_table.h"
#include "core/own_outputs.h"
#include "debugger/commands.h"
#include "tests/record/tools.h"
#include "tests/support/child_wait.h"
#include "tests/support/program_test.h"
#include "tests/support/row_name.h"
#include "tests/support/writer_lines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iterator>
#include <ostream>
#include <regex>
#include <set>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The ways a row spells its file F in its own folder Projects/W of the home R,
// also reached as the home L, and through the link R/lW to that folder. An
// earlier version's record could not name a thing spelled "link/..".
const struct {
    const char* name;
    const char* pattern;
    bool in_old_record;
} spellings[] = {
    {"plain", "R/Projects/W/F", true}, {"linked home", "L/Projects/W/F", true},
    {"linked folder", "R/lW/F", true}, {"./", "R/Projects/W/./F", true},
    {"..", "R/lW/../W/F", false},
};

// The state of the home when the second run comes: the record as this
// version wrote it, as the previous version did (without what the thing held
// and its folder), as the one before it did (the thing by its name as
// spelled), or as an older one did (no writer).
enum class Record { as_written, previous_version, spelled_version, older };

// What becomes of a project's outputs before their writer runs again.
enum class Move {
    folder_moved,
    renamed,
    copied_written_first,
    copied,
    thing_saved_anew,
    copy_changed,
    copied_alone,
    moved_alone,
    one_moved_alone
};
const struct {
    const char* name;
    Move move;
    bool across;   // to the other filesystem (a memory filesystem)
    bool edited;   // its thing edited before the next write
    bool own;      // whether the writer's next run replaces them
    bool own_one;  // the same for a writer of something that wrote one output
    bool of_thing; // only a writer of something (a source, a recording) meets it
} moves[] = {
    {"folder moved, another write, its thing edited", Move::folder_moved, false, true, true, true,
     false},
    {"folder moved, another write", Move::folder_moved, false, false, true, true, false},
    {"folder moved to another filesystem, its thing edited", Move::folder_moved, true, true, true,
     true, false},
    {"folder moved to another filesystem", Move::folder_moved, true, false, true, true, false},
    {"renamed, another write", Move::renamed, false, true, true, true, false},
    {"project copied, the original written again, the copy written, its thing edited after",
     Move::copied_written_first, false, true, true, true, false},
    // A copy of one output cannot be told from that output copied alone:
    // the window asks, the port and a batch run keep it.
    {"project copied, the original written again, its thing edited", Move::copied, false, true,
     true, false, false},
    {"project copied, the original written again", Move::copied, false, false, true, true, false},
    {"project copied to another filesystem, its thing edited", Move::copied, true, true, true,
     false, false},
    {"project copied to another filesystem", Move::copied, true, false, true, true, false},
    {"folder moved, the thing saved anew", Move::thing_saved_anew, false, true, true, true, true},
    {"copied, an output changed since", Move::copy_changed, false, false, false, false, false},
    {"one output copied alone beside another thing of the same name", Move::copied_alone, false,
     false, false, false, true},
    {"outputs moved alone beside another thing of the same name", Move::moved_alone, false, false,
     false, false, true},
    {"outputs moved alone to another filesystem beside another thing of the same name",
     Move::moved_alone, true, false, false, false, true},
    {"one output of several moved alone beside another thing of the same name",
     Move::one_moved_alone, false, false, false, false, true},
};

class OwnOutputsProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        fs::create_directories(real() / "Projects");
        fs::create_directory_symlink(real(), link());
    }
    void TearDown() override {
        ProgramTest::TearDown();
        std::error_code ec;
        if (!other_fs.empty()) fs::remove_all(other_fs, ec);
    }
    // A folder of this test's on the other filesystem (a memory filesystem).
    fs::path other() {
        if (other_fs.empty()) {
            char name[] = "/dev/shm/bmx-outputs-XXXXXX";
            EXPECT_NE(::mkdtemp(name), nullptr);
            other_fs = name;
            struct stat here, there;
            EXPECT_EQ(::stat(real().c_str(), &here), 0);
            EXPECT_EQ(::stat(name, &there), 0);
            EXPECT_NE(here.st_dev, there.st_dev) << name << " is on the home's filesystem";
        }
        return other_fs;
    }
    fs::path other_fs;
    // Waits until a file written now beside `file` (in the folder that holds
    // its folder) gets a later time of writing than `made`, as its filesystem
    // stamps it: a write of `file` from then on shows in its time.
    static void until_writes_show_after(const fs::path& file, fs::file_time_type made) {
        const fs::path probe = file.parent_path().parent_path() / ".time-probe";
        EXPECT_TRUE(wait_until(
            [&] {
                test_write_file(probe, "");
                return fs::last_write_time(probe) > made;
            },
            TEST_HANG_SECONDS, 1));
        fs::remove(probe);
    }
    fs::path real() const { return home.path() / "real"; }
    fs::path link() const { return home.path() / "link"; }
    fs::path record() const { return real() / "Configs" / "Outputs.txt"; }
    // A state of a voice sounding saved at `state`, a playback generating its WAV.
    void sounding_state_generating_wav(const fs::path& state) {
        ASSERT_EQ(ask("DEBUGGER E 18FD 40"), 0);
        ASSERT_EQ(ask("DEBUGGER E 18FE 0F"), 0);
        ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
        for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.WAV"})
            ASSERT_EQ(ask(std::string("MENU ") + item), 0) << item;
    }
    // The program on its port, in the program home `program_home`.
    void start_in(const fs::path& program_home) {
        pid = test_start_program(program_home, {"PORTNAME", "E2E"}, platform, audio);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(port_up());
    }
    // A new folder of the projects drawer for one row, and its link l<row>
    // beside the drawer: its name.
    std::string new_row() {
        const std::string row = "r" + std::to_string(rows++);
        fs::create_directories(real() / "Projects" / row);
        fs::create_directory_symlink(real() / "Projects" / row, real() / ("l" + row));
        return row;
    }
    std::string spelled(int spelling, const std::string& row, const std::string& leaf) const {
        std::string path;
        for (const char* c = spellings[spelling].pattern; *c; c++)
            path += *c == 'R'   ? real().string()
                    : *c == 'L' ? link().string()
                    : *c == 'W' ? row
                    : *c == 'F' ? leaf
                                : std::string(1, *c);
        return path;
    }
    // The record as the previous version wrote it (each writer's thing by
    // its name as spelled then: `thing`, made absolute and lexically
    // normal), or as an older one did (no writer).
    void rewrite_record(Record state, const std::string& thing) {
        if (state == Record::as_written) return;
        const std::string old = fs::path(thing).lexically_normal().string();
        std::istringstream lines(test_read_file(record()));
        std::string text;
        const std::regex writer(R"((@[A-Z]+)%20(\d+:\d+%20)?\S+ )");
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("#=", 0) != 0)
                text += (state == Record::previous_version
                             ? line
                             : std::regex_replace(line, writer,
                                                  state == Record::older ? std::string()
                                                                         : "$1%20" + old + " ")) +
                        "\n";
        test_write_file(record(), text);
    }
    int rows = 0;
    // `source` written with `text`, then its listing and object file written
    // anew at their places and noted by the record's owner as the assembler
    // notes them: an assembly as the record sees it, in this process, where
    // the program would take hundreds of times as long.
    static void assembled_here(const fs::path& source, const std::string& text) {
        test_write_file(source, text);
        const OwnWriter assembler{"ASM", source.string()};
        for (const auto& [suffix, output] :
             {std::pair<const char*, std::string>{".lst", "listing\n" + text},
              {".bin", "object\n" + text}}) {
            const fs::path at = fs::path(source).replace_extension(suffix);
            const fs::path made = at.string() + ".new"; // a new file, as the assembler's
            test_write_file(made, output);
            fs::rename(made, at);
            own_output_note(at, output.data(), output.size(), assembler);
        }
    }

    // A writer of the program's outputs: `make` puts version `v` of what the
    // outputs of `stem` in `dir` are made of (its thing, of suffix `thing`, or
    // for a saver, nullptr, the memory it saves), `write` writes them.
    struct Writer {
        std::string name;
        const char* thing;
        std::function<void(const fs::path& dir, const std::string& stem, int v)> make;
        std::function<int(const fs::path& dir, const std::string& stem, std::string* said)> write;
    };
    // The files of `dir` named `stem` that `w` wrote (all but its thing).
    static std::vector<fs::path> outputs_of(const Writer& w, const fs::path& dir,
                                            const std::string& stem) {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().stem() == stem && (!w.thing || entry.path().extension() != w.thing))
                found.push_back(entry.path());
        return found;
    }
    // `w`'s outputs made, then moved, renamed or copied as the move `m` says,
    // and written again where they are now: replaced as its own, or kept.
    void try_move(const Writer& w, int m);
    std::vector<std::string> answers; // each writer's, move's and answer's row
    // The moves from..to-1, by default all of them.
    void try_moves(const Writer& w, int from = 0, int to = static_cast<int>(std::size(moves))) {
        for (int m = from; m < to; m++)
            try_move(w, m);
    }
};

void OwnOutputsProgram::try_move(const Writer& w, int m) {
    const auto& row = moves[m];
    if (row.of_thing && !w.thing) return; // a saver writes of nothing
    SCOPED_TRACE(w.name + ": " + row.name);
    const fs::path dir = real() / "Projects" / new_row();
    std::string said;
    w.make(dir, "a", 1);
    ASSERT_EQ(w.write(dir, "a", &said), 0) << said;
    const std::vector<fs::path> written = outputs_of(w, dir, "a");
    ASSERT_FALSE(written.empty()) << said;
    if (row.move == Move::one_moved_alone && written.size() < 2) return; // all moved alone
    const auto another_write = [&] {
        const fs::path other = real() / "Projects" / new_row();
        w.make(other, "o", 1);
        ASSERT_EQ(w.write(other, "o", &said), 0) << said;
    };
    // As a move does across filesystems: copied, then the original removed.
    const auto move_across = [](const fs::path& from, const fs::path& to) {
        fs::copy(from, to, fs::copy_options::recursive);
        fs::remove_all(from);
    };
    fs::path at = row.across ? other() / dir.filename() : dir;
    std::string stem = "a";
    std::size_t alone = 0; // the outputs moved or copied alone
    switch (row.move) {
    case Move::folder_moved:
    case Move::thing_saved_anew:
        if (row.across) {
            move_across(dir, at);
        } else {
            at += "-moved";
            fs::rename(dir, at);
        }
        if (row.move == Move::folder_moved) {
            ASSERT_NO_FATAL_FAILURE(another_write());
        }
        break;
    case Move::renamed:
        stem = "b";
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().stem() == "a")
                fs::rename(entry.path(), dir / ("b" + entry.path().extension().string()));
        ASSERT_NO_FATAL_FAILURE(another_write());
        break;
    case Move::copied_written_first:
    case Move::copied:
    case Move::copy_changed:
        at += "-copy";
        fs::copy(dir, at, fs::copy_options::recursive);
        if (row.move == Move::copy_changed) {
            std::ofstream(at / written[0].filename(), std::ios::app) << "the user's line\n";
            break;
        }
        w.make(dir, "a", 2);
        ASSERT_EQ(w.write(dir, "a", &said), 0) << said;
        if (row.move == Move::copied_written_first) { // its thing still a copy of what the outputs were made of
            ASSERT_EQ(w.write(at, stem, &said), 0) << said;
        }
        break;
    case Move::copied_alone:
    case Move::moved_alone:
    case Move::one_moved_alone:
        // The user's other project, a thing of the name.
        at = (row.across ? other() : real() / "Projects") / new_row();
        fs::create_directories(at);
        w.make(at, stem, 2);
        alone = row.move == Move::moved_alone ? written.size() : 1;
        for (std::size_t i = 0; i < alone; i++)
            if (row.move == Move::copied_alone)
                fs::copy_file(written[i], at / written[i].filename());
            else if (row.across)
                move_across(written[i], at / written[i].filename());
            else
                fs::rename(written[i], at / written[i].filename());
        break;
    }
    if (row.move == Move::thing_saved_anew) { // as an editor saves: a new file renamed over the old
        w.make(at, ".saved", 3);
        fs::rename(at / (".saved" + std::string(w.thing)), at / (stem + w.thing));
    } else if (row.edited) {
        w.make(at, stem, 3);
    }
    const std::vector<fs::path> there = outputs_of(w, at, stem);
    ASSERT_EQ(there.size(), alone ? alone : written.size());
    std::vector<std::string> before;
    for (const fs::path& output : there)
        before.push_back(test_read_file(output));
    const auto made = fs::last_write_time(there[0]);
    until_writes_show_after(there[0], made);
    const bool own = w.thing && written.size() == 1 ? row.own_one : row.own;
    const int rc = w.write(at, stem, &said);
    answers.push_back(w.name + " | " + row.name + " | " + std::to_string(rc));
    if (!own) {
        EXPECT_EQ(rc, 10) << said;
        for (std::size_t i = 0; i < there.size(); i++)
            EXPECT_EQ(test_read_file(there[i]), before[i]) << there[i];
        return;
    }
    EXPECT_EQ(rc, 0) << said;
    EXPECT_NE(fs::last_write_time(there[0]), made) << there[0] << " not written anew";
}

const std::string source_v1 = "\tORG $900\n\tLODI,R0 1\n\tEND\n";
const std::string source_v2 = "\tORG $900\n\tLODI,R0 2\n\tEND\n";

// The assembler: its source opened by one spelling, changed, then assembled
// by another (OPEN by each spelling after the plain one, and "ASM <row>/p" on
// the debugger's line after each); the second run replaces its own listing
// and object, in a fresh home and one reached through a link, also where an
// earlier version wrote the record with the thing's name as spelled then.
// The record of a version before writers were kept gives the listing to the
// assembler (no other writer makes one); the object file, which a saver
// could have made, stays, with the reason that says so.
TEST_F(OwnOutputsProgram, TheAssemblerKnowsItsSourceHoweverItsPathIsSpelled) {
    for (const bool linked_home : {false, true}) {
        SCOPED_TRACE(linked_home ? "linked home" : "fresh home");
        start_in(linked_home ? link() : real());
        for (const Record state :
             {Record::as_written, Record::previous_version, Record::spelled_version})
            for (int s = 0; s < static_cast<int>(std::size(spellings)); s++) {
                if (state == Record::spelled_version && !spellings[s].in_old_record) continue;
                for (const bool plain_first : {false, true}) {
                    const std::string row = new_row();
                    const std::string first = spelled(plain_first ? 0 : s, row, "p.asm");
                    // The second run: OPEN by the other spelling, or ASM
                    // on the debugger's line by the name in the drawer.
                    const std::string second = plain_first ? "OPEN " + spelled(s, row, "p.asm")
                                                           : "DEBUGGER \"ASM " + row + "/p\"";
                    SCOPED_TRACE(std::string(spellings[s].name) +
                                 (plain_first ? " second" : " first") +
                                 (state == Record::as_written         ? ""
                                  : state == Record::previous_version ? ", previous record"
                                                                      : ", spelled record"));
                    const fs::path dir = real() / "Projects" / row;
                    test_write_file(dir / "p.asm", source_v1);
                    std::string said;
                    ASSERT_EQ(send("OPEN " + first, &said), 0) << said;
                    rewrite_record(state, first);
                    test_write_file(dir / "p.asm", source_v2);
                    EXPECT_EQ(send(second, &said), 0) << said;
                    EXPECT_NE(test_read_file(dir / "p.lst").find("LODI,R0 2"), std::string::npos);
                }
            }
        // A record of a version that kept no writers.
        const std::string row = new_row();
        const fs::path dir = real() / "Projects" / row;
        test_write_file(dir / "p.asm", source_v1);
        std::string said;
        ASSERT_EQ(send("OPEN " + spelled(0, row, "p.asm"), &said), 0) << said;
        rewrite_record(Record::older, "");
        test_write_file(dir / "p.asm", source_v2);
        const std::string object = test_read_file(dir / "p.bin");
        EXPECT_EQ(send("DEBUGGER \"ASM " + row + "/p\"", &said), 10) << said;
        EXPECT_NE(
            said.find("/p.bin: the object file of p.asm goes there, and that file was written by "
                      "an earlier version of the program, which did not record which "
                      "command wrote it."),
            std::string::npos)
            << said;
        EXPECT_EQ(test_read_file(dir / "p.bin"), object);
        fs::remove(dir / "p.bin");
        EXPECT_EQ(send("DEBUGGER \"ASM " + row + "/p\"", &said), 0) << "the listing: " << said;
        EXPECT_NE(test_read_file(dir / "p.lst").find("LODI,R0 2"), std::string::npos);
        ASSERT_EQ(send("QUIT", &said), 0) << said;
        EXPECT_EQ(wait_exit(), 0);
    }
    // Batch runs in a home reached through a link: the source named through
    // the link, then by its real path.
    const fs::path dir = real() / "Projects" / "batch";
    for (const fs::path& source : {link() / "Projects" / "batch" / "p.asm", dir / "p.asm"}) {
        SCOPED_TRACE(source.string());
        test_write_file(dir / "p.asm", source == dir / "p.asm" ? source_v2 : source_v1);
        pid = test_start_program(link(), {"ASM", source.string()});
        EXPECT_EQ(wait_exit(), 0) << test_read_file(real() / "program.log");
    }
    EXPECT_NE(test_read_file(dir / "p.lst").find("LODI,R0 2"), std::string::npos);
}

// A record full by its size gives up first what is no longer on disk as it
// was written (each output rewritten at its place): a project assembled
// once, then another under a long path assembled anew until the record has
// to drop entries, keeps the first project's listing and object file the
// assembler's own, and the record stays within what the previous version
// reads.
TEST_F(OwnOutputsProgram, AFullRecordGivesUpTheOldestOfTheNewFilesFolderFirst) {
    start_in(real());
    const fs::path first = real() / "Projects" / new_row();
    test_write_file(first / "a.asm", source_v1);
    std::string said;
    ASSERT_EQ(send("OPEN " + (first / "a.asm").string(), &said), 0) << said;
    // A source named with nearly all the assembler takes: long lines in the record.
    fs::path busy = real() / "Projects";
    while (busy.string().size() < 400)
        busy /= std::string(std::min<std::size_t>(200, 400 - busy.string().size()), 'x');
    const auto lines = [&] {
        std::istringstream text(test_read_file(record()));
        return std::count(std::istreambuf_iterator<char>(text), {}, '\n');
    };
    const auto busy_source = [](int v) {
        return "\tORG $900\n\tLODI,R0 " + std::to_string(v % 100) + "\n\tLODI,R1 " +
               std::to_string(v / 100) + "\n\tEND\n";
    };
    // The record filled here to 900 kB, a few dozen assemblies short of
    // where it is cleared (960 kB), with assemblies of the busy source as the
    // program notes them (nearly 500 of them, each rewriting its outputs at
    // their places); the program itself then assembles it anew until the
    // record has to drop entries.
    ASSERT_EQ(::setenv("BRINDLEMOX_HOME", real().c_str(), 1), 0);
    int v = 0;
    while (fs::file_size(record()) < (900u << 10))
        assembled_here(busy / "b.asm", busy_source(v++));
    std::ptrdiff_t per_run = 0;
    bool dropped = false;
    for (const int first_run = v; v < first_run + 1000 && !dropped; v++) {
        const auto before = lines();
        test_write_file(busy / "b.asm", busy_source(v));
        ASSERT_EQ(send("OPEN " + (busy / "b.asm").string(), &said), 0) << v << said;
        const auto grew = lines() - before;
        if (v == first_run) per_run = grew;
        dropped = grew < per_run;
    }
    ASSERT_TRUE(dropped) << "the record never filled";
    EXPECT_LT(fs::file_size(record()), 1u << 20);
    const std::string listing = test_read_file(first / "a.lst");
    test_write_file(first / "a.asm", source_v2);
    EXPECT_EQ(send("DEBUGGER \"ASM " + first.filename().string() + "/a\"", &said), 0) << said;
    EXPECT_NE(test_read_file(first / "a.lst"), listing);
    EXPECT_EQ(send("OPEN " + (busy / "b.asm").string(), &said), 0) << said;
}

// Years of daily use: 50,000 edit-and-assemble cycles over 1,000 projects,
// each assembly's listing and object file written anew at their places and
// noted by the record's owner as the assembler notes them, with a snapshot
// saved under a name of its own every 30 cycles. The record stays within
// what the previous version reads, and the daily loop in the oldest project,
// the newest and a new one answers in the program as on a fresh home.
TEST_F(OwnOutputsProgram, YearsOfDailyUseLeaveEveryProjectsLoopAsOnAFreshHome) {
    // A home in memory: the years go by in seconds.
    const fs::path years = other() / "home";
    fs::create_directories(years / "Projects");
    ASSERT_EQ(::setenv("BRINDLEMOX_HOME", years.c_str(), 1), 0);
    // The record fills within the first few thousand cycles (a few hundred
    // bytes each) and is cleared again and again after that. The cycles are
    // calls into the kernel for the most part, and a host busy with other
    // work gives this one process a fifth of a core: the cycles are as many
    // as stay well within a test's time there. A quarter of them with the
    // sanitizers, which make each cycle several times slower.
#ifdef __SANITIZE_ADDRESS__
    constexpr int projects = 1000, cycles = 12500;
#else
    constexpr int projects = 1000, cycles = 50000;
#endif
    int snapshots = 0;
    for (int c = 0; c < cycles; c++) {
        const fs::path dir = years / "Projects" / ("p" + std::to_string(c / (cycles / projects)));
        const std::string v = std::to_string(c);
        assembled_here(dir / "a.asm", "\tORG $900\n\tLODI,R0 " + v + "\n\tEND\n");
        if (c % 30 == 0) {
            const fs::path shot =
                years / "Screenshots" / ("shot" + std::to_string(snapshots++) + ".png");
            const std::string picture = "picture " + v;
            test_write_file(shot, picture);
            own_output_note(shot, picture.data(), picture.size(), {"PICTURE", ""});
        }
    }
    const auto size = fs::file_size(years / "Configs" / "Outputs.txt");
    RecordProperty("record_bytes", std::to_string(size));
    EXPECT_LT(size, 1u << 20) << "more than the previous version reads";
    start_in(years);
    for (const std::string project : {"p0", "p999", "new"}) {
        SCOPED_TRACE(project);
        const fs::path dir = years / "Projects" / project;
        std::string said;
        for (int v = 1; v <= 2; v++) {
            test_write_file(dir / "a.asm",
                            "\tORG $900\n\tLODI,R0 " + std::to_string(v) + "\n\tEND\n");
            EXPECT_EQ(send("DEBUGGER \"ASM " + project + "/a\"", &said), 0) << said;
        }
        EXPECT_NE(test_read_file(dir / "a.lst").find("LODI,R0 2"), std::string::npos);
    }
    std::string said;
    ASSERT_EQ(send("QUIT", &said), 0) << said;
    EXPECT_EQ(wait_exit(), 0);
}

// A playback generates anew over what it generated from the same recording
// opened by another spelling, also where the record's entry is of a version
// that kept no writers (a WAV only a playback makes); such an entry of a
// kind that another writer makes too is kept.
TEST_F(OwnOutputsProgram, APlaybackKnowsItsRecordingHoweverItsPathIsSpelled) {
    start_in(real());
    const fs::path state = home.path() / "take.cos";
    ASSERT_NO_FATAL_FAILURE(sounding_state_generating_wav(state));
    const auto play = [&](const std::string& take) {
        std::string said;
        const int rc = ask("OPEN " + take, &said);
        if (rc == 0) {
            // Stopped while it plays: some of its frames played, most not.
            EXPECT_TRUE(guest_ran(frame_clocks(ARCADIA, 10))) << log();
            EXPECT_EQ(ask("MENU MACRO.STOP", &said), 0) << said;
        }
        return rc;
    };
    for (const Record record_state : {Record::as_written, Record::older})
        for (int s = 0; s < static_cast<int>(std::size(spellings)); s++) {
            if (record_state == Record::older && s != 0) continue;
            SCOPED_TRACE(std::string(spellings[s].name) +
                         (record_state == Record::older ? ", older record" : ""));
            const std::string row = new_row();
            const fs::path dir = real() / "Projects" / row;
            ASSERT_TRUE(write_recording(state, dir / "take.cor", 500, std::vector<u8>(6, 0)));
            ASSERT_EQ(play(spelled(s, row, "take.cor")), 0);
            rewrite_record(record_state, "");
            const auto made = fs::last_write_time(dir / "take.wav");
            until_writes_show_after(dir / "take.wav", made);
            EXPECT_EQ(play(spelled(0, row, "take.cor")), 0);
            EXPECT_NE(fs::last_write_time(dir / "take.wav"), made) << "not generated anew";
        }
    // A GIF of that older record, which a picture saver could have made too,
    // stays, named as an earlier version's.
    ASSERT_EQ(ask("MENU MACRO.ANIMS.GIF"), 0);
    const std::string row = new_row();
    const fs::path dir = real() / "Projects" / row;
    ASSERT_TRUE(write_recording(state, dir / "take.cor", 500, std::vector<u8>(6, 0)));
    ASSERT_EQ(play(spelled(0, row, "take.cor")), 0);
    rewrite_record(Record::older, "");
    const std::string gif = test_read_file(dir / "take.gif");
    std::string said;
    EXPECT_EQ(ask("OPEN " + spelled(0, row, "take.cor"), &said), 10);
    EXPECT_NE(said.find("take.gif exists, was written by an earlier version of the program, which "
                        "did not record which command wrote it, and nobody can be asked"),
              std::string::npos)
        << said;
    EXPECT_EQ(test_read_file(dir / "take.gif"), gif);
}

// A saver records what it wrote however its name was typed: whole, with its
// suffix, then without (the saver puts it on), it replaces its own file.
TEST_F(OwnOutputsProgram, ASaverRecordsWhatItWroteHoweverItsNameWasTyped) {
    start_in(real());
    const struct {
        const char *line, *suffix, *end;
    } savers[] = {{"SAVEPNG b", ".png", ""},
                  {"DEBUGGER \"SAVEBIN $900 $90F c", ".bin", "\""},
                  {"DEBUGGER \"SAVESYM d", ".sym", "\""}};
    for (const auto& saver : savers) {
        std::string said, line = saver.line;
        EXPECT_EQ(send(line + saver.suffix + saver.end, &said), 0) << line << said;
        EXPECT_EQ(send(line + saver.end, &said), 0) << line << said;
    }
}

// The writers whose outputs are moved, a test each: the assembler through
// the port and from the command line (two outputs a write), a playback of
// its recording (one), and each command of the debugger command table's
// `writes` column but ASM. The assembler from the command line starts a
// program for each write, and its moves are three tests.
struct MovedRow {
    std::string writer;
    int from = 0, to = static_cast<int>(std::size(moves)); // its moves from..to-1
};

void PrintTo(const MovedRow& row, std::ostream* out) {
    *out << row.writer << ", moves " << row.from << " to " << row.to - 1;
}

std::vector<MovedRow> moved_rows() {
    std::vector<MovedRow> rows{{"ASM through the port"}, {"PLAYBACK"}};
    const int all = static_cast<int>(std::size(moves));
    for (int part = 0; part < 3; part++)
        rows.push_back({"ASM from the command line", all * part / 3, all * (part + 1) / 3});
    for (const DbgFileWriter& row : dbg_file_writers()) {
        const std::string who = test_writer_name(row);
        if (row.suffixes[0] && who != "ASM" &&
            std::none_of(rows.begin(), rows.end(), [&](const MovedRow& r) { return r.writer == who; }))
            rows.push_back({who});
    }
    return rows;
}

class OwnOutputsMoved : public OwnOutputsProgram,
                        public ::testing::WithParamInterface<MovedRow> {
  protected:
    // The file `stem` of the project `dir` as a debugger command names it:
    // in the projects drawer by its name there.
    std::string in_project(const fs::path& dir, const std::string& stem) const {
        return dir.parent_path() == real() / "Projects" ? dir.filename().string() + "/" + stem
                                                        : (dir / stem).string();
    }
    static void source(const fs::path& dir, const std::string& stem, int v) {
        test_write_file(dir / (stem + ".asm"),
                        "\tORG $900\n\tLODI,R0 " + std::to_string(v) + "\n\tEND\n");
    }
    // The debugger's saver `who` on the first machine that takes it (each
    // version of its thing is another byte at $900): false when none does.
    bool saver_moves(const std::string& who) {
        std::vector<DbgFileWriter> rows = dbg_file_writers();
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const DbgFileWriter& r) {
            return test_writer_name(r) == who;
        });
        if (row == rows.end()) return false;
        const Writer saver{who, nullptr,
                           [&](const auto&, const auto&, int v) {
                               ASSERT_EQ(ask("DEBUGGER \"E 900 " + std::to_string(v) + "\""), 0);
                           },
                           [&](const auto& dir, const auto& stem, std::string* said) {
                               return send("DEBUGGER \"" +
                                               test_writer_line(*row, in_project(dir, stem)) + "\"",
                                           said);
                           }};
        for (const MachineDesc& machine : machine_table) {
            if (!machine.keyword || !machine.keyword[0]) continue;
            request(std::string("SETMACHINE ") + machine.keyword);
            std::string said;
            if (saver.write(real() / "Projects" / new_row(), "a", &said) == 10 &&
                said == "Wrong guest machine!\n\n")
                continue;
            try_moves(saver);
            return true;
        }
        return false;
    }
};

// Every writer × every move of its project, within the home's filesystem and
// to another, its thing edited before the next write or not (a writer a test,
// in a program of its own, so that each stays well within a test's time on a
// busy host). What holds exactly what its writer wrote is its own wherever it
// lies, and outputs that came with their project are the project's; what was
// changed since is not, nor is an output moved or copied alone beside
// another thing of its name.
TEST_P(OwnOutputsMoved, AnOutputMovedRenamedOrCopiedWithItsProjectIsStillItsWritersOwn) {
    const std::string& writer = GetParam().writer;
    if (writer == "ASM from the command line") {
        // Each run a program of its own.
        try_moves({writer, ".asm", source,
                   [&](const auto& dir, const auto& stem, std::string* said) {
                       pid = test_start_program(real(), {"ASM", (dir / (stem + ".asm")).string()});
                       const int rc = wait_exit();
                       *said = test_read_file(real() / "program.log");
                       return rc;
                   }},
                  GetParam().from, GetParam().to);
    } else {
        start_in(real());
        if (writer == "ASM through the port") {
            try_moves({writer, ".asm", source,
                       [&](const auto& dir, const auto& stem, std::string* said) {
                           return send("DEBUGGER \"ASM " + in_project(dir, stem) + "\"", said);
                       }});
        } else if (writer == "PLAYBACK") {
            const fs::path state = home.path() / "take.cos";
            ASSERT_NO_FATAL_FAILURE(sounding_state_generating_wav(state));
            // Each take its own length and pitch: a take of another row is no
            // copy of this one's, nor is what it generates.
            int takes = 0;
            try_moves({writer, ".cor",
                       [&](const auto& dir, const auto& stem, int v) {
                           char pitch[32];
                           std::snprintf(pitch, sizeof pitch, "DEBUGGER \"E 18FD %02X\"",
                                         0x20 + takes);
                           ASSERT_EQ(ask(pitch), 0);
                           ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
                           ASSERT_TRUE(write_recording(state, dir / (stem + ".cor"),
                                                       400 + v + 4 * takes++,
                                                       std::vector<u8>(6, 0)));
                       },
                       [&](const auto& dir, const auto& stem, std::string* said) {
                           const int rc = ask("OPEN " + (dir / (stem + ".cor")).string(), said);
                           if (rc == 0) {
                               // Stopped while it plays: some of its frames played, most not.
                               EXPECT_TRUE(guest_ran(frame_clocks(ARCADIA, 10))) << log();
                               EXPECT_EQ(ask("MENU MACRO.STOP"), 0);
                           }
                           return rc;
                       }});
        } else {
            EXPECT_TRUE(saver_moves(writer)) << writer << ": no machine takes it";
        }
        std::string said;
        ASSERT_EQ(send("QUIT", &said), 0) << said;
        EXPECT_EQ(wait_exit(), 0);
    }
    std::string table;
    for (const std::string& answer : answers)
        table += answer + "\n";
    RecordProperty("answers", table);
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, OwnOutputsMoved, ::testing::ValuesIn(moved_rows()),
                         [](const ::testing::TestParamInfo<MovedRow>& info) {
                             const MovedRow& row = info.param;
                             const bool part = row.to - row.from < static_cast<int>(std::size(moves));
                             return row_name_of(row.writer, info.index) +
                                    (part ? "Moves" + std::to_string(row.from) + "To" +
                                                std::to_string(row.to - 1)
                                          : "");
                         });

// The savers above are the debugger's commands that write files: most of
// them, not none, are found in its table.
TEST(OwnOutputsMovedRows, TheSaversAreTheDebuggersWriters) {
    EXPECT_GE(moved_rows().size(), 5u + 9u) << "savers tried";
}

} // namespace
