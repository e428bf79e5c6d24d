// The requesters, the modal bracket, the file requester's answers and the
// "Loading..." gauge, through the headless window layer.
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "app/shutdown.h"
#include "input/keys.h"
#include "platform/headless/gui_headless.h"
#include "platform/paths.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string title_while_open;
void note_title() {
    title_while_open = gui_headless_title(main_window);
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class Requesters : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        app_acquired.host_gui = true;
        title_while_open.clear();
    }
    void TearDown() override {
        app_acquired.host_gui = false;
        fresh_state();
    }
};

} // namespace

TEST_F(Requesters, EachFormHasItsTitleButtonAndAnswer) {
    gui_headless_answer_requesters({1, 0});
    EXPECT_EQ(gui_warning("Disk full!"), 1);
    EXPECT_EQ(gui_message("Saved."), 0);
    EXPECT_EQ(gui_requester("Tape", "Rewind?", "Yes|Later|No", 2), 0); // no answer left
    const auto& shown = gui_headless_requesters();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], "Warning|Disk full!|OK");
    EXPECT_EQ(shown[1], "Message|Saved.|OK");
    EXPECT_EQ(shown[2], "Tape|Rewind?|Yes|Later|No");
}

TEST_F(Requesters, TheFatalRequesterEndsTheProgramWithCodeOne) {
    app_exit_reset();
    app_exit_process = throw_exit;
    app_acquired.host_gui = true;
    int code = -1;
    try {
        gui_fatal("Out of memory!");
    } catch (const Exited& e) {
        code = e.code;
    }
    EXPECT_EQ(code, 1);
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    EXPECT_EQ(gui_headless_requesters()[0], "Fatal Error|Out of memory!|Quit");
    app_exit_reset();
}

TEST_F(Requesters, WithoutADisplayTheTextIsPrintedAndNobodyAsked) {
    app_acquired.host_gui = false;
    gui_headless_answer_requesters({1});
    capture_output();
    EXPECT_EQ(gui_warning("No display here."), 0);
    EXPECT_EQ(gui_message("Nor here."), 0);
    EXPECT_EQ(captured_output(), "No display here.\nNor here.\n");
    EXPECT_TRUE(gui_headless_requesters().empty());
    EXPECT_EQ(gui_headless_answers_left(), 1);
}

TEST_F(Requesters, TheTitleSaysSoOnlyWhileARequesterIsOpen) {
    gui_open_main_window(0);
    const std::string before = gui_headless_title(main_window);
    gui_headless_on_requester(note_title);
    gui_message("Hello");
    EXPECT_TRUE(ends_with(title_while_open, " (close subwindow)")) << title_while_open;
    EXPECT_EQ(gui_headless_title(main_window), before);
    EXPECT_EQ(gui_modal_active, 0);

    // The file requester leaves the title alone.
    title_while_open.clear();
    char path[513] = "";
    gui_file_request("Open", "#?", 0, "", "", path);
    EXPECT_EQ(title_while_open, before);
}

TEST_F(Requesters, TheModalBracketForgetsWhatArrivedMeanwhile) {
    gui_open_main_window(0);
    gui_modal_begin();
    EXPECT_EQ(gui_modal_active, 1);
    EXPECT_TRUE(ends_with(gui_headless_title(main_window), " (close subwindow)"));
    gui_headless_post(main_window, {GE_RAWKEY, 0, 0x20, 0, 0, 0, {}});
    host_key_set(0x20);
    gui_modal_end();
    EXPECT_EQ(gui_modal_active, 0);
    EXPECT_FALSE(ends_with(gui_headless_title(main_window), " (close subwindow)"));
    GuiEvent left;
    EXPECT_FALSE(gui_window_next_event(main_window, &left));
    EXPECT_EQ(host_key_down(0x20), 0);
}

TEST_F(Requesters, TheFileRequesterJoinsDrawerAndFileOrSaysWhyNot) {
    const std::string long_drawer = "/" + std::string(499, 'd');
    struct Case {
        const char* what;
        GuiFileAnswer answer;
        int result;
        std::string path; // expected contents afterwards
        int beeps;
    };
    const Case cases[] = {
        {"a file", {0, "/home/u/games", "race.bin"}, 0, "/home/u/games/race.bin", 0},
        {"drawer with a slash", {0, "/home/u/", "race.bin"}, 0, "/home/u/race.bin", 0},
        {"volume", {0, "PROGDIR:", "race.bin"}, 0, "PROGDIR:race.bin", 0},
        {"no drawer", {0, "", "race.bin"}, 0, "race.bin", 0},
        {"no file name", {0, "/home/u/games", ""}, 5, "untouched", 0},
        {"cancelled", {1, "", ""}, 1, "untouched", 0},
        {"not shown", {-1, "", ""}, 1, "untouched", 1},
        {"512 bytes fit",
         {0, long_drawer, std::string(11, 'f')},
         0,
         long_drawer + "/" + std::string(11, 'f'),
         0},
        {"513 bytes do not", {0, long_drawer, std::string(12, 'f')}, 1, "untouched", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gui_headless_reset();
        gui_headless_answer_file_requests({c.answer});
        char path[513] = "untouched";
        EXPECT_EQ(gui_file_request("Open", "#?.bin", 0, "/tmp", "x.bin", path), c.result);
        EXPECT_EQ(std::string(path), c.path);
        EXPECT_EQ(gui_headless_beeps(), c.beeps);
    }
}

TEST_F(Requesters, TheFileRequesterStartsInTheHostDrawer) {
    char path[513] = "";
    gui_file_request("Save state", "#?.cos", 1, "PROGDIR:states", "a.cos", path);
    gui_file_request("Script", "", 0, "/tmp", "", path);
    const auto& shown = gui_headless_file_requests();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Save state|#?.cos|save|" + path_progdir() + "/states|a.cos");
    EXPECT_EQ(shown[1], "Script|#?|load|/tmp|");
}

TEST_F(Requesters, TheLoadingGaugeCountsEveryImageOfBothRanges) {
    struct Case {
        int first, last, first2, last2, total;
    };
    const Case cases[] = {{0, 91, -1, -1, 92}, {121, 172, 173, 178, 58}, {179, 202, -1, 5, 24}};
    for (const Case& c : cases) {
        gui_free_images();
        gui_headless_reset();
        gui_load_image(c.first, c.first, 0); // one already loaded counts all the same
        gui_load_images_progress(c.first, c.last, c.first2, c.last2);
        const GuiWindowDesc* d = gui_headless_last_closed_desc();
        ASSERT_NE(d, nullptr);
        ASSERT_EQ(d->root.children.size(), 1u);
        const GuiNode& gauge = d->root.children[0];
        EXPECT_EQ(gauge.kind, GK_FUELGAUGE);
        EXPECT_EQ(gauge.gid, GID_PROGRESS_GAUGE);
        EXPECT_EQ(gauge.text, "Loading...");
        EXPECT_EQ(gauge.max, c.total);
        EXPECT_EQ(gui_headless_last_closed_value(GID_PROGRESS_GAUGE), c.total);
        EXPECT_EQ(progress_window, 0);
        EXPECT_EQ(gui_headless_open_count(), 0);
        for (int n = c.first; n <= c.last; ++n)
            EXPECT_NE(gui_images[n], 0) << n;
    }
}

TEST_F(Requesters, WithoutADisplayTheImagesLoadWithoutAGauge) {
    app_acquired.host_gui = false;
    gui_load_images_progress(0, 91, -1, -1);
    EXPECT_EQ(gui_headless_last_closed_desc(), nullptr);
    EXPECT_EQ(progress_count, 92u);
    EXPECT_NE(gui_images[91], 0);
}
