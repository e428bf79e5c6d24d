// Loads made while the emulation is paused, through the main loop's own
// passes and the user's paths to them (the Open menu item and its file
// requester, the scripting port's commands): the picture and the title show
// what was loaded, and the machine stays where the file left it.
#include "app/mainloop.h"
#include "commands/arexx.h"
#include "commands/command_table.h"
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/settings_vars.h"
#include "gui/main_window.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"
#include "tests/support/png_frame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

class PausedLoad : public HomeTest {
  protected:
    // The machine's state as a state file holds it.
    static std::vector<u8> state_now() {
        std::vector<u8> bytes;
        EXPECT_TRUE(state_write_buffer(0, &bytes));
        return bytes;
    }
    // Saves the running machine as <home>/<name>: its bytes.
    std::vector<u8> save_state(const char* name) {
        std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s/%s", dir.c_str(), name);
        EXPECT_TRUE(state_save_file(FILE_KIND_COS, 0));
        return state_now();
    }
};

} // namespace

TEST_F(PausedLoad, TheOpenMenuShowsTheStatesPictureAndRunsNoFurther) {
    struct {
        u32 machine, map;
    } machines[] = {{ARCADIA, static_cast<u32>(machine_table[ARCADIA].default_memmap)},
                    {PONG, 28},
                    {PONG, 29}};
    gui_open_main_window(0);
    for (const auto& m : machines) {
        SCOPED_TRACE(m.map);
        emu_unpause();
        ASSERT_TRUE(machine_switch(static_cast<int>(m.machine), static_cast<int>(m.map), true, true,
                                   false));
        for (int i = 0; i < 30; ++i)
            emu_run_frame();
        emu_pause(PauseCause::user);
        const std::vector<u8> saved = save_state("a.cos");

        gui_headless_answer_file_requests({{0, dir, "a.cos"}});
        gui_headless_post(main_window, {GE_MENU, 0, cmd_row(Cmd::PROJECT_OPEN).plain, 0, 0, 0, {}});
        app_inner_pass(); // its event pass opens the state
        app_inner_pass(); // the next pass shows it
        EXPECT_EQ(gui_headless_answers_left(), 0);
        EXPECT_TRUE(emu_paused);
        const IndexedPicture shown = capture_guest_frame();
        const std::set<u8> colours(shown.pixels.begin(), shown.pixels.end());
        EXPECT_GT(colours.size(), 1u);
        EXPECT_TRUE(state_now() == saved) << "the machine ran on from the loaded state";
        // What is shown is the picture of the frame that runs next.
        emu_run_frame();
        EXPECT_EQ(compare_pictures(capture_guest_frame(), shown), "");
    }
}

// The title names the file that was loaded, also where a switch to another
// machine named that machine's own state file before.
TEST_F(PausedLoad, TheTitleNamesTheLoadedFile) {
    gui_open_main_window(0);
    save_state("arc.cos");
    std::string result;
    ASSERT_EQ(arexx_execute("SETMACHINE PONG", &result), 0) << result;
    gui_main_window_events();
    ASSERT_EQ(arexx_execute(("OPEN " + dir + "/arc.cos").c_str(), &result), 0) << result;
    gui_main_window_events();
    EXPECT_EQ(machine, ARCADIA);
    const std::string title = gui_headless_title(main_window);
    EXPECT_NE(title.find(": arc.cos"), std::string::npos) << title;
    EXPECT_EQ(title.find("AY-3-"), std::string::npos) << title;
}
