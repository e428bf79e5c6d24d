// A projects drawer that the settings name but that does not exist: every
// command reading or writing its files there is refused (rc 10) naming the
// drawer and why, and nothing lands in the program home instead; a full path
// needs no drawer, and once the drawer is there it is used.
#include "core/settings.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
class ProjectsDrawerProgram : public ProgramTest {};
} // namespace

TEST_F(ProjectsDrawerProgram, AMissingDrawerIsNamedAndNothingGoesElsewhere) {
    const fs::path drawer = home.path() / "unplugged" / "proj";
    std::string settings = ini_default_text();
    const std::size_t at = settings.find("path_projects=PROGDIR:Projects");
    ASSERT_NE(at, std::string::npos);
    settings.replace(at + 14, 16, drawer.string());
    fs::create_directories(home.path() / "Configs");
    test_write_file(home.path() / "Configs" / "Brindlemox.ini", settings);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up()) << log();
    request("SETMACHINE ARCADIA");
    std::string said;
    for (const char* line : {"SAVEBIN 0 $F tst", "SAVEHEX 0 $F tst", "SAVESMS $F tst",
                             "LOADBIN 0 tst", "LOADSYM tst", "SAVESYM tst", "DISGAME $0 $F tst",
                             "IM $0 $F tst", "ASM tst.asm", "EDIT tst.asm"}) {
        EXPECT_EQ(ask(std::string("DEBUGGER \"") + line + "\"", &said), 10) << line;
        EXPECT_NE(said.find("Can't lock directory \"" + drawer.string() +
                            "\" (the projects drawer): No such file or directory!"),
                  std::string::npos)
            << line << ": " << said;
    }
    for (const auto& e : fs::recursive_directory_iterator(home.path()))
        EXPECT_NE(e.path().stem(), "tst") << "written instead: " << e.path();

    EXPECT_EQ(ask("DEBUGGER \"SAVEBIN 0 $F " + (home.path() / "full").string() + "\"", &said), 0)
        << said;
    fs::create_directories(drawer);
    EXPECT_EQ(ask("DEBUGGER \"SAVEBIN 0 $F tst\"", &said), 0) << said;
    EXPECT_EQ(fs::file_size(home.path() / "full.bin") + fs::file_size(drawer / "tst.bin"), 32u);
}
