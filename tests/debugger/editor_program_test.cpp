// ED in the running program, driven through its port: a relative name is
// looked up where ASM looks for it, in the projects drawer.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {
namespace fs = std::filesystem;
class EditorProgram : public ProgramTest {};
} // namespace

TEST_F(EditorProgram, ARelativeNameIsFoundInTheProjectsDrawer) {
    const fs::path editor = home.path() / "editor.sh", said = home.path() / "editor.args";
    // The words are written whole before the file has its name.
    test_write_file(editor, "#!/bin/sh\necho \"$@\" > '" + said.string() + ".part' && mv '" +
                                said.string() + ".part' '" + said.string() + "'\n");
    fs::permissions(editor, fs::perms::owner_all);
    unsetenv("VISUAL");
    setenv("EDITOR", editor.c_str(), 1);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    unsetenv("EDITOR");
    ASSERT_TRUE(port_up());
    test_write_file(home.path() / "Projects" / "prog.asm", "        HALT\n");
    std::string result;
    ASSERT_EQ(send("DEBUGGER ED prog", &result), 0) << result;
    for (int tries = 0; tries < 100 && !fs::exists(said); tries++)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(test_read_file(said), (home.path() / "Projects" / "prog.asm").string() + "\n");
}
