// The debugger's loaders in the running program, driven through its port: the
// suffix they add finds a file whatever the letter case of its suffix, as
// the savers keep a suffix typed in upper case.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class LoadSuffixProgram : public ProgramTest {
  protected:
    // A debugger line over the port: its output, its return code checked.
    std::string debugger(const std::string& line, int rc = 0) {
        std::string result;
        EXPECT_EQ(send("DEBUGGER \"" + line + "\"", &result), rc) << line << ": " << result;
        return result;
    }
};

} // namespace

// SAVEBIN and SAVESYM with the names X.BIN and S.SYM, then LOADBIN and LOADSYM
// with the names X and S.
TEST_F(LoadSuffixProgram, LoadbinAndLoadsymFindAFileSavedWithAnUpperCaseSuffix) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    for (const char* line : {"E 1800 12", "E 1801 34", "SAVEBIN 1800 1801 X.BIN", "DEFSYM FOO 1234",
                             "SAVESYM S.SYM", "E 1800 0", "E 1801 0", "LOADSYM"}) // labels gone
        debugger(line);
    const fs::path projects = home.path() / "Projects";
    ASSERT_TRUE(fs::exists(projects / "X.BIN") && fs::exists(projects / "S.SYM"));
    ASSERT_FALSE(fs::exists(projects / "X.bin") || fs::exists(projects / "S.sym"));

    EXPECT_EQ(debugger("LOADBIN 1800 X"), "OK.\n\n");
    EXPECT_EQ(debugger("D 1800 1801").substr(0, 13), "$1800: 12 34 ");
    const std::string loaded = debugger("LOADSYM S");
    EXPECT_NE(loaded.find("Adding user-defined unknown label FOO as $1234.\nOK.\n\n"),
              std::string::npos)
        << loaded;
    // A name found nowhere still fails.
    EXPECT_EQ(debugger("LOADBIN 1800 Y", 10), "Failed!\n\n");
}
