#include "gui/images.h"
#include "tests/support/checkout_paths.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class Images : public HomeTest {
  protected:
    void touch(const std::string& rel) {
        fs::create_directories((home / rel).parent_path());
        std::ofstream(home / rel) << "png";
    }
};

} // namespace

TEST_F(Images, AMissingPictureIsAnEmptyFrameOfTheRowsSize) {
    gui_load_image(39, 40, 0);
    ASSERT_NE(gui_images[39], 0);
    EXPECT_TRUE(gui_image_missing[39]);
    int w = 0, h = 0;
    gui_image_size(gui_images[39], &w, &h);
    EXPECT_EQ(w, gui_image_row(39).width);
    EXPECT_EQ(h, 24);
    // A game picture keeps its ".gif" name; the interface pictures are PNGs.
    EXPECT_EQ(gui_image_path(319), dir + "/images/games/3dattack.gif");
    EXPECT_EQ(gui_image_path(37), dir + "/images/ok.png");
}

TEST_F(Images, PicturesLoadOnceAndPreferTheAissDrawer) {
    touch("images/ok.png");
    touch("images/reset.png");
    touch("images/aiss/reset.png");
    int handle = gui_image(37);
    EXPECT_FALSE(gui_image_missing[37]);
    EXPECT_EQ(gui_image(37), handle); // loaded on first use only
    EXPECT_EQ(gui_headless_image_path(handle), dir + "/images/ok.png");
    EXPECT_GT(gui_button_height, 12);

    gui_image(39);
    EXPECT_EQ(gui_headless_image_path(gui_images[39]), dir + "/images/aiss/reset.png");
    // "ok" is no AISS row: its own drawer only.
    touch("images/aiss/ok.png");
    EXPECT_EQ(gui_image_path(37), dir + "/images/ok.png");
    EXPECT_EQ(gui_image(600), 0);
}

TEST_F(Images, EveryMemoryMapShowsItsMachinesPicture) {
    EXPECT_STREQ(gui_image_row(games_machine_label_id(-1, 0)).name, "sml-interton");
    EXPECT_STREQ(gui_image_row(games_machine_label_id(-1, 23)).name, "sml-galaxia");
    EXPECT_EQ(games_machine_label_id(-1, 31), 0);
    // The big picture of the high-score window shows the same machine as the
    // small one; the maps without a machine of their own (Artemis, the two
    // empty maps) show the small Arcadia picture in both places.
    for (int m = 0; m < 31; m++) {
        const std::string small = gui_image_row(games_machine_label_id(-1, m)).name;
        const std::string big = gui_image_row(gui_machine_picture_by_memmap[m]).name;
        if (m == 13 || m == 17 || m == 18) {
            EXPECT_EQ(small, "sml-arcadia") << m;
            EXPECT_EQ(big, "sml-arcadia") << m;
        } else {
            ASSERT_EQ(big.rfind("big-", 0), 0u) << m << " " << big;
            EXPECT_EQ(small, "sml-" + big.substr(4)) << m;
        }
    }
    EXPECT_EQ(gui_image_row(GUI_IMAGES).name, nullptr);
    EXPECT_EQ(gui_image_row(-1).name, nullptr);
}

TEST_F(Images, TheShippedPicturesCoverEveryInterfaceRow) {
    const fs::path shipped =
        fs::path(test_data()).parent_path().parent_path() / "resources" / "images";
    ASSERT_TRUE(fs::is_directory(shipped));
    for (int n = 0; n < GUI_IMAGES; ++n) {
        std::string name = gui_image_row(n).name;
        if (name.find('.') != std::string::npos) continue; // games and boxes are not ours
        EXPECT_TRUE(fs::is_regular_file(shipped / (name + ".png"))) << name;
    }
}
