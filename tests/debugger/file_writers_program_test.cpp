// Every debugger command that writes a file, taken from the command table's
// `writes` column, in the running program through its port on the first
// machine of the machine table that allows it: a name typed with another
// kind's suffix ("x.txt", the user's notes) gets the command's own suffix in
// its place and the user's file stays; a second run replaces the command's own
// earlier output without asking; a file of the user's at the name the command
// made stays (rc 10), also where the command put its suffix on a name typed
// without one; a name that is only a suffix (".hidden") is refused.
// EXTRACT (files named by the disk, "" in the column) is
// tried by the disk refusal tests. The port's picture commands, one per still
// picture kind of the file kinds table, are held to the same rule. Two
// writers that meet at one name (the table's rows sharing a suffix, and the
// assembler's object file with the machine's saver of its suffix) each keep
// the other's output.
#include "core/filekinds.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "debugger/commands.h"
#include "tests/support/program_test.h"
#include "tests/support/writer_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class FileWritersProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
    }
    // The files of the projects drawer named `stem` with a suffix.
    std::set<std::string> files_of(const std::string& stem) const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(home.path() / "Projects"))
            if (entry.path().stem() == stem) found.insert(entry.path().extension().string());
        return found;
    }
};

const std::string notes = "; the user's notes\n\tORG $900\n\tDB 1\n\tEND\n"; // ASM reads them

} // namespace

TEST_F(FileWritersProgram, ANameTypedWithAnotherSuffixGetsTheCommandsOwn) {
    const fs::path projects = home.path() / "Projects";
    int tried = 0;
    std::set<int> done;
    const std::vector<DbgFileWriter> writers = dbg_file_writers();
    for (const MachineDesc& machine : machine_table) {
        if (!machine.keyword || !machine.keyword[0] || done.size() == writers.size()) continue;
        request(std::string("SETMACHINE ") + machine.keyword);
        int row = 0;
        for (const DbgFileWriter& w : writers) {
            const int index = row++;
            if (done.count(index)) continue;
            if (!w.suffixes[0]) { // names of another's: not the command's to make
                done.insert(index);
                continue;
            }
            SCOPED_TRACE(std::string(w.names) + " on " + machine.keyword);
            const std::string stem = "x" + std::to_string(index),
                              line = test_writer_line(w, stem + ".txt");
            ASSERT_NE(line, "") << "a command that writes a file takes <filename>";
            test_write_file(projects / (stem + ".txt"), notes);
            std::string result;
            const int rc = send("DEBUGGER \"" + line + "\"", &result);
            if (rc == 10 && result == "Wrong guest machine!\n\n") continue;
            done.insert(index);
            tried++;
            EXPECT_EQ(rc, 0) << line << ": " << result;
            EXPECT_EQ(test_read_file(projects / (stem + ".txt")), notes);
            std::set<std::string> made = files_of(stem);
            made.erase(".txt");
            ASSERT_FALSE(made.empty()) << line << ": " << result;
            const std::string own = std::string(" ") + w.suffixes + " ";
            const auto is_own = [&](const std::string& suffix) {
                return own.find(" " + suffix + " ") != std::string::npos;
            };
            EXPECT_TRUE(std::any_of(made.begin(), made.end(), is_own)) << "none of " << w.suffixes;
            // Its own earlier output goes without a question (none can be asked).
            EXPECT_EQ(send("DEBUGGER \"" + line + "\"", &result), 0) << result;
            // A file of the user's at the name made stays.
            const std::string other = "y" + std::to_string(index), theirs = *made.begin();
            test_write_file(projects / (other + ".txt"), notes);
            test_write_file(projects / (other + theirs), "the user's own\n");
            EXPECT_EQ(send("DEBUGGER \"" + test_writer_line(w, other + ".txt") + "\"", &result), 10)
                << result;
            EXPECT_EQ(test_read_file(projects / (other + theirs)), "the user's own\n");
            if (std::string(w.names) == "ASM") continue; // the name of a source to read
            // A name typed without a suffix gets the command's: the user's file
            // at the name so made stays, and the command's own goes again.
            const std::string bare = "z" + std::to_string(index);
            test_write_file(projects / (bare + theirs), "the user's own\n");
            EXPECT_EQ(send("DEBUGGER \"" + test_writer_line(w, bare) + "\"", &result), 10)
                << result;
            EXPECT_EQ(test_read_file(projects / (bare + theirs)), "the user's own\n");
            fs::remove(projects / (bare + theirs));
            EXPECT_EQ(send("DEBUGGER \"" + test_writer_line(w, bare) + "\"", &result), 0) << result;
            EXPECT_EQ(send("DEBUGGER \"" + test_writer_line(w, bare) + "\"", &result), 0) << result;
            // A name that is only a suffix names no file: no hidden file is made.
            EXPECT_EQ(send("DEBUGGER \"" + test_writer_line(w, ".hidden") + "\"", &result), 10)
                << result;
            for (const auto& entry : fs::directory_iterator(projects))
                EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        }
    }
    EXPECT_EQ(done.size(), writers.size()) << "a writer no machine allows";
    EXPECT_GE(tried, 10);
}

// The port's picture commands, one for each still picture kind of the file
// kinds table (SAVEILBM .. SAVEPNG), name their files by the same rule.
TEST_F(FileWritersProgram, APictureNamedWithAnotherSuffixGetsItsKindsOwn) {
    const fs::path drawer = home.path();
    for (int kind = KIND_ILBM; kind <= KIND_PNG; kind++) {
        std::string word = file_kinds[kind].extension + 1;
        for (char& c : word)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        SCOPED_TRACE(word);
        const std::string mine = "p" + std::to_string(kind), theirs = "q" + std::to_string(kind);
        test_write_file(drawer / (mine + ".txt"), notes);
        std::string result;
        for (int pass = 0; pass < 2; pass++) // the second over its own picture
            EXPECT_EQ(send("SAVE" + word + " " + (drawer / (mine + ".txt")).string(), &result), 0)
                << result;
        EXPECT_EQ(test_read_file(drawer / (mine + ".txt")), notes);
        EXPECT_TRUE(fs::exists(drawer / (mine + file_kinds[kind].extension)));
        test_write_file(drawer / (theirs + file_kinds[kind].extension), "the user's own\n");
        EXPECT_EQ(send("SAVE" + word + " " + (drawer / (theirs + ".txt")).string(), &result), 10)
            << result;
        EXPECT_EQ(test_read_file(drawer / (theirs + file_kinds[kind].extension)),
                  "the user's own\n");
    }
}

// Every pair of writers that meet at one name, each trying the other's
// output: the rows of the command table's `writes` column that share a
// suffix (DISGAME and IM), and ASM, whose object file takes the machine's
// suffix, with the saver of that suffix on each machine (SAVEAOF, SAVEHEX,
// SAVETVC, SAVECMD as the TWIN's .mod, SAVEBIN). A name made by both: the
// second writer is refused and the first one's file stays; each writer
// replaces its own output again. Meeting on one machine is enough for a pair.
TEST_F(FileWritersProgram, AnotherWritersOutputAtTheNameStays) {
    const fs::path projects = home.path() / "Projects";
    const std::vector<DbgFileWriter> writers = dbg_file_writers();
    const auto suffixes_of = [](const DbgFileWriter& w, u32 m) {
        std::set<std::string> all;
        std::istringstream words(w.suffixes);
        for (std::string word; words >> word;)
            all.insert(word);
        if (std::string(w.names) == "ASM") all.insert(machine_debug(m).object_suffix);
        return all;
    };
    std::set<std::pair<int, int>> pairs, met;
    int stem = 0;
    for (u32 m = 0; m < MACHINES; m++) {
        const MachineDesc& machine = machine_table[m];
        if (!machine.keyword || !machine.keyword[0]) continue;
        // The pairs that may meet here, by the suffixes each may write.
        std::vector<std::pair<int, int>> here;
        for (int a = 0; a < static_cast<int>(writers.size()); a++)
            for (int b = a + 1; b < static_cast<int>(writers.size()); b++) {
                std::set<std::string> both;
                const auto sa = suffixes_of(writers[a], m), sb = suffixes_of(writers[b], m);
                std::set_intersection(sa.begin(), sa.end(), sb.begin(), sb.end(),
                                      std::inserter(both, both.end()));
                if (both.empty() || !writers[a].suffixes[0] || !writers[b].suffixes[0]) continue;
                pairs.insert({a, b});
                if (!met.count({a, b})) here.push_back({a, b});
            }
        if (here.empty()) continue;
        request(std::string("SETMACHINE ") + machine.keyword);
        // What a writer makes of "<stem>.txt" on this machine (its suffixes;
        // none where the machine refuses it), and the line that writes it.
        std::map<int, std::set<std::string>> made;
        const auto write = [&](int w, const std::string& name, std::string* said) {
            test_write_file(projects / (name + ".txt"), notes);
            return send("DEBUGGER \"" + test_writer_line(writers[w], name + ".txt") + "\"", said);
        };
        const auto learn = [&](int w) {
            if (made.count(w)) return made[w];
            const std::string name = "s" + std::to_string(stem++);
            std::string said;
            std::set<std::string>& found = made[w];
            const int rc = write(w, name, &said); // 5: the ROM kept from an object's bytes
            if (rc >= 0 && rc <= 5) found = files_of(name);
            found.erase(".txt");
            return found;
        };
        for (const auto& [a, b] : here) {
            const auto ma = learn(a), mb = learn(b);
            std::set<std::string> shared;
            std::set_intersection(ma.begin(), ma.end(), mb.begin(), mb.end(),
                                  std::inserter(shared, shared.end()));
            if (shared.empty()) continue;
            met.insert({a, b});
            const std::string suffix = *shared.begin();
            for (const auto& [first, second] : {std::pair{a, b}, std::pair{b, a}}) {
                SCOPED_TRACE(std::string(writers[first].names) + " then " + writers[second].names +
                             " at " + suffix + " on " + machine.keyword);
                const std::string name = "p" + std::to_string(stem++);
                std::string said;
                ASSERT_LE(write(first, name, &said), 5) << said;
                ASSERT_TRUE(fs::exists(projects / (name + suffix))) << said;
                const std::string output = test_read_file(projects / (name + suffix));
                EXPECT_EQ(write(second, name, &said), 10) << said;
                EXPECT_EQ(test_read_file(projects / (name + suffix)), output);
                EXPECT_NE(said.find("Kept " + (projects / (name + suffix)).string()),
                          std::string::npos)
                    << said;
                EXPECT_LE(write(first, name, &said), 5) << "its own again: " << said;
                EXPECT_EQ(said.find("Kept "), std::string::npos) << said;
            }
        }
    }
    EXPECT_EQ(met, pairs) << "a pair of writers that met on no machine";
    EXPECT_GE(met.size(), 6u);
}

// A record of the program's outputs written before it knew their writers
// (an older version's lines: device inode size check path) names no
// writer: an object file, which the assembler and a saver both make, is
// nobody's own, so no writer replaces it unasked; once a writer is let
// write there, the file is that writer's.
TEST_F(FileWritersProgram, AnOutputOfAnOlderRecordIsNobodysOwn) {
    const fs::path projects = home.path() / "Projects";
    request("SETMACHINE PIPBUG");
    const fs::path old = projects / "old.aof";
    const std::string saved = ":0409000499\n"; // SAVEAOF's, as an older version left it
    test_write_file(old, saved);
    test_write_file(projects / "old.txt", notes);
    struct stat st;
    ASSERT_EQ(::stat(old.c_str(), &st), 0);
    std::uint64_t check = 0xCBF29CE484222325ull;
    for (const unsigned char c : saved)
        check = (check ^ c) * 0x100000001B3ull;
    char line[200];
    std::snprintf(line, sizeof line, "%llu %llu %zu %016llx %s\n",
                  static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino), saved.size(),
                  static_cast<unsigned long long>(check), old.c_str());
    test_write_file(home.path() / "Configs" / "Outputs.txt", std::string("# older\n") + line);
    std::string said;
    for (const char* writer : {"ASM old.txt", "SAVEAOF $900 $90F old.txt"}) {
        EXPECT_EQ(send(std::string("DEBUGGER \"") + writer + "\"", &said), 10) << writer << said;
        EXPECT_EQ(test_read_file(old), saved) << writer;
    }
    // Written as a name typed whole, it is SAVEAOF's own from then on.
    EXPECT_EQ(send("DEBUGGER \"SAVEAOF $900 $90F " + old.string() + "\"", &said), 0) << said;
    EXPECT_EQ(send("DEBUGGER \"SAVEAOF $900 $90F old.txt\"", &said), 0) << said;
    EXPECT_EQ(send("DEBUGGER \"ASM old.txt\"", &said), 10) << said;
}
