// A source chosen with Project > Open is assembled; one that does not
// assemble is said in the window, with its first error and its listing.
#include "app/mainloop.h"
#include "commands/command_table.h"
#include "core/loader.h"
#include "core/session.h"
#include "cpu/memory.h"
#include "gui/main_window.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class OpenSource : public HomeTest {
  protected:
    // Requesters are shown, as in a session with its windows.
    void SetUp() override {
        HomeTest::SetUp();
        app_acquired.host_gui = true;
    }
    void TearDown() override {
        app_acquired.host_gui = false;
        HomeTest::TearDown();
    }
    // Project > Open with `name` chosen in the file requester.
    void open(const std::string& name) {
        gui_headless_answer_file_requests({{0, dir, name}});
        gui_headless_post(main_window, {GE_MENU, 0, cmd_row(Cmd::PROJECT_OPEN).plain, 0, 0, 0, {}});
        app_inner_pass();
    }
};

} // namespace

TEST_F(OpenSource, ASourceThatFailsIsSaidInTheWindow) {
    std::filesystem::create_directories(home / "Games"); // the game list's drawer
    gui_open_main_window(0);
    test_write_file(home / "good.asm", "        ORG $100\n        LODI,r0 $42\n        END\n");
    test_write_file(home / "bad.asm", "        ORG $100\n        LODI,r0 $55\n"
                                      "        LODI,r1 300\n        LODA,r1 NOWHERE\n        END\n");
    open("good.asm");
    EXPECT_EQ(guest_memory[0x101], 0x42);
    EXPECT_TRUE(gui_headless_requesters().empty());

    open("bad.asm");
    EXPECT_EQ(guest_memory[0x101], 0x42); // the guest as it was
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    EXPECT_EQ(gui_headless_requesters()[0],
              "Warning|bad.asm did not assemble (2 error(s)).\n"
              "Error at line 3: immediate value out of range!\n"
              "The listing has every error: " + (home / "bad.lst").string() + "|OK");
}
