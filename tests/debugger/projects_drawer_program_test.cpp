// The projects drawer that the settings name but that does not exist (a drive
// not plugged in, a folder removed): every command that reads or writes its
// files there is refused with rc 10 naming the drawer and why, and nothing
// lands in the program home instead; a full path needs no drawer, and once
// the drawer is there, it is used.
#include "core/settings.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

class ProjectsDrawerProgram : public ProgramTest {
  protected:
    // Every file of the home and its drawers.
    std::set<std::string> files() const {
        std::set<std::string> found;
        for (const auto& e : fs::recursive_directory_iterator(home.path()))
            if (e.is_regular_file()) found.insert(e.path().string());
        return found;
    }
};

} // namespace

TEST_F(ProjectsDrawerProgram, AMissingDrawerIsNamedAndNothingGoesElsewhere) {
    const fs::path drawer = home.path() / "unplugged" / "proj";
    fs::create_directories(home.path() / "Configs");
    std::string settings = ini_default_text();
    const std::string key = "\npath_projects=";
    const std::size_t at = settings.find(key);
    ASSERT_NE(at, std::string::npos);
    settings.replace(at + key.size(), settings.find('\n', at + 1) - at - key.size(),
                     drawer.string());
    test_write_file(home.path() / "Configs" / "Brindlemox.ini", settings);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up()) << log();
    request("SETMACHINE ARCADIA");
    const std::set<std::string> before = files();
    const std::string reason =
        "Can't lock directory \"" + drawer.string() + "\" (the projects drawer): ";
    for (const char* line :
         {"SAVEBIN 0 $F tst", "SAVEHEX 0 $F tst", "SAVEAOF 0 $F tst", "LOADBIN 0 tst",
          "LOADSYM tst", "SAVESYM tst", "DISGAME $0 $F tst", "IM $0 $F tst", "ASM tst.asm",
          "EDIT tst.asm"}) {
        SCOPED_TRACE(line);
        std::string said;
        EXPECT_EQ(ask(std::string("DEBUGGER \"") + line + "\"", &said), 10);
        EXPECT_NE(said.find(reason + "No such file or directory!"), std::string::npos) << said;
    }
    for (const std::string& f : files())
        EXPECT_EQ(before.count(f), 1u) << "written instead: " << f;

    // A name with its folder needs no drawer.
    const fs::path elsewhere = home.path() / "full";
    std::string said;
    EXPECT_EQ(ask("DEBUGGER \"SAVEBIN 0 $F " + elsewhere.string() + "\"", &said), 0) << said;
    EXPECT_EQ(fs::file_size(elsewhere.string() + ".bin"), 16u);

    fs::create_directories(drawer);
    EXPECT_EQ(ask("DEBUGGER \"SAVEBIN 0 $F tst\"", &said), 0) << said;
    EXPECT_EQ(fs::file_size(drawer / "tst.bin"), 16u);
    EXPECT_EQ(ask("DEBUGGER \"LOADBIN $100 tst\"", &said), 0) << said;
}
