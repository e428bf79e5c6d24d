// Every debugger command that writes a file, taken from the command table's
// `writes` column, in the running program through its port on the first
// machine of the machine table that allows it: a name typed with another
// kind's suffix ("x.txt", the user's notes) gets the command's own suffix in
// its place and the user's file stays; a second run replaces the command's own
// earlier output without asking; a file of the user's at the name the command
// made stays (rc 10). EXTRACT (files named by the disk, "" in the column) is
// tried by the disk refusal tests. The port's picture commands, one per still
// picture kind of the file kinds table, are held to the same rule.
#include "core/filekinds.h"
#include "core/machine_table.h"
#include "debugger/commands.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

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

// The command line of `w` writing `file`: its argument words up to
// <filename>, a range where the words name one; "" when it takes no file name.
std::string line_for(const DbgFileWriter& w, const std::string& file) {
    std::string names = w.names, line = names.substr(0, names.find('|'));
    std::istringstream words(w.arguments);
    for (std::string word; words >> word;) {
        std::erase(word, '[');
        std::erase(word, ']');
        if (word == "<filename>") return line + " " + file;
        line += word.find("end") != std::string::npos ? " $90F" : " $900";
    }
    return "";
}

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
            const std::string stem = "x" + std::to_string(index), line = line_for(w, stem + ".txt");
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
            EXPECT_EQ(send("DEBUGGER \"" + line_for(w, other + ".txt") + "\"", &result), 10)
                << result;
            EXPECT_EQ(test_read_file(projects / (other + theirs)), "the user's own\n");
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
