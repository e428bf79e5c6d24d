// ED in the running program, driven through its port: a relative name is
// looked up where ASM looks for it, in the projects drawer.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
namespace fs = std::filesystem;
class EditorProgram : public ProgramTest {
  protected:
    // Starts the program with a host editor that writes the words it was
    // given to `said`, whole before the file has its name.
    void start_with_editor() {
        const fs::path editor = home.path() / "editor.sh";
        test_write_file(editor, "#!/bin/sh\necho \"$@\" > '" + said.string() + ".part' && mv '" +
                                    said.string() + ".part' '" + said.string() + "'\n");
        fs::permissions(editor, fs::perms::owner_all);
        unsetenv("VISUAL");
        setenv("EDITOR", editor.c_str(), 1);
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        unsetenv("EDITOR");
        ASSERT_TRUE(port_up());
    }
    // What the editor was given, once it has been started.
    std::string editor_words() {
        wait_until([&] { return fs::exists(said); });
        return test_read_file(said);
    }

    const fs::path said = home.path() / "editor.args";
};
} // namespace

TEST_F(EditorProgram, ARelativeNameIsFoundInTheProjectsDrawer) {
    ASSERT_NO_FATAL_FAILURE(start_with_editor());
    test_write_file(home.path() / "Projects" / "prog.asm", "        HALT\n");
    std::string result;
    ASSERT_EQ(send("DEBUGGER ED prog", &result), 0) << result;
    EXPECT_EQ(editor_words(), (home.path() / "Projects" / "prog.asm").string() + "\n");
}

// ED opens the file that ASM assembles under the same name: "my.prog" is
// my.prog.asm, and a name found with ".2650" is that file.
TEST_F(EditorProgram, ANameStandsForTheFileAsmWouldAssemble) {
    ASSERT_NO_FATAL_FAILURE(start_with_editor());
    const fs::path projects = home.path() / "Projects";
    test_write_file(projects / "game.2650", "        HALT\n");
    for (const auto& [name, file] :
         {std::pair<const char*, const char*>{"my.prog", "my.prog.asm"}, {"game", "game.2650"}}) {
        SCOPED_TRACE(name);
        fs::remove(said);
        std::string result;
        ASSERT_EQ(send(std::string("DEBUGGER ED ") + name, &result), 0) << result;
        EXPECT_EQ(editor_words(), (projects / file).string() + "\n");
    }
}

// With no $VISUAL, no $EDITOR and no desktop opener on the PATH, nothing can
// be started: ED says so, and what to set, as an error.
TEST_F(EditorProgram, WithoutAnyEditorEdSaysWhatToSet) {
    const std::string path = std::getenv("PATH");
    unsetenv("VISUAL");
    unsetenv("EDITOR");
    setenv("PATH", home.path().c_str(), 1); // no xdg-open there
    const bool started = start({"PORTNAME", "E2E"});
    setenv("PATH", path.c_str(), 1);
    ASSERT_TRUE(started && port_up());
    std::string result;
    EXPECT_EQ(send("DEBUGGER ED prog", &result), 10);
    EXPECT_EQ(result, "Can't start the editor \"xdg-open\"! Set $VISUAL or $EDITOR to the editor "
                      "to use.\n\n");
}
