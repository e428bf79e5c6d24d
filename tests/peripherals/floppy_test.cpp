// The floppy drives: image offsets and positions off the disk of each
// layout, the block under the head, the spin-down deadline, and inserting
// and saving images through a disk system, from the loader too.
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "peripherals/floppy.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fdc_machine.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

int listings = 0;
int last_quiet = -1;

// A disk system that takes files of exactly the layout's image size.
const DiskSystem TEST_SYSTEM{
    .image_from_file =
        [](const std::vector<u8>& file, u8* image) {
            if (file.size() != floppy_geometry().image_bytes) {
                ui_warning("File is wrong size!");
                return false;
            }
            std::copy(file.begin(), file.end(), image);
            return true;
        },
    .list =
        [](int quiet, int) {
            ++listings;
            last_quiet = quiet;
        },
};

class FloppyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        listings = 0;
        last_quiet = -1;
    }
    void TearDown() override { fresh_state(); }
    TempHome home{"floppy"};
    std::string put(const char* name, u32 size, u8 fill) {
        const fs::path p = home.path() / name;
        test_write_file(p, std::string(size, static_cast<char>(fill)));
        return p.string();
    }
};

} // namespace

TEST_F(FloppyTest, OffsetsAndPositionsOffTheDiskFollowTheLayout) {
    struct Case {
        u32 machine;
        u8 track, sector;
        bool valid;
        u32 offset;
    };
    const Case cases[] = {
        {BINBUG, 0, 1, true, 0},         {BINBUG, 3, 2, true, 3 * 2560 + 256},
        {BINBUG, 39, 10, true, 102144},  {BINBUG, 0, 0, false, 0},
        {BINBUG, 0, 11, false, 0},       {BINBUG, 40, 1, false, 0},
        {CD2650, 34, 9, true, 80384},    {CD2650, 0, 10, false, 0},
        {CD2650, 35, 1, false, 0},       {TWIN, 76, 31, true, 315264},
        {TWIN, 1, 8, true, 5120},        {TWIN, 0, 32, false, 0},
        {TWIN, 77, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.machine << " " << int(c.track) << "/" << int(c.sector));
        machine = c.machine;
        drives[1].head_track = c.track;
        drives[1].head_sector = c.sector;
        drives[1].byte_index = 17;
        disk_image_offset(1, false);
        EXPECT_EQ(disk_invalid == 0, c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(disk_offset, c.offset);
        disk_image_offset(1, true);
        EXPECT_EQ(disk_offset, c.offset + 17);
    }
    // Other machines leave the offset alone.
    machine = PIPBUG;
    disk_offset = 1234;
    disk_image_offset(0, true);
    EXPECT_EQ(disk_offset, 1234u);

    // The block under the head: BINBUG sectors, TWIN 1 KB clusters after track 0.
    machine = TWIN;
    drives[0].view_offset = 5 * 128;
    EXPECT_EQ(disk_block_under_head(0), -1);
    drives[0].view_offset = 4096 + 8 * 128;
    EXPECT_EQ(disk_block_under_head(0), 1);
    machine = BINBUG;
    drives[0].view_offset = 3 * 2560 + 4 * 256;
    EXPECT_EQ(disk_block_under_head(0), 34);
}

TEST_F(FloppyTest, AnIdleDriveSpinsDownExactlyAtItsDeadline) {
    for (u32 region : {1u, 0u}) {
        SCOPED_TRACE(region);
        fresh_cpu(BINBUG, MAP_BINBUG);
        fdc_machine::install();
        emu_region = region;
        const u32 frames = region == 1 ? 20 : 24;
        frame_counter = 100;
        fdc_port_write(0, 0x08); // Restore, load head: an access
        drives[0].spinning = 1;
        for (u32 f = 1; f < frames; f++) {
            frame_counter = 100 + f;
            fdc_check_spin_down();
            ASSERT_EQ(drives[0].spinning, 1) << f;
        }
        frame_counter = 100 + frames;
        fdc_check_spin_down();
        EXPECT_EQ(drives[0].spinning, 0);
        EXPECT_EQ(drives[0].head_loaded, 0);
    }
    // A deadline missed is not acted on later; a select renews it.
    frame_counter = 500;
    fdc_port_write(0, 0x08);
    frame_counter = 600;
    fdc_check_spin_down();
    EXPECT_EQ(drives[0].spinning, 1);
    binbug_userdrives = 1;
    fdc_port_write(4, 1);
    EXPECT_EQ(fdc_current_drive, 0u);
    EXPECT_EQ(fdc_spin_down_frame, 600 + 24);
}

TEST_F(FloppyTest, InsertTakesTheWholeImageOrLeavesTheDriveAsItWas) {
    machine_switch(BINBUG, MAP_BINBUG, true, true, false);
    disk_system_override = &TEST_SYSTEM;
    EXPECT_FALSE(loader_reader_missing(KIND_RAW));

    const std::string good = put("good.raw", 102400, 0xE5);
    const std::string bad = put("bad.raw", 1000, 0x11);
    floppy_set_watch(0, 5, true);
    ui_take_tool_window_requests();
    EXPECT_EQ(disk_insert_dispatch(0, 0, good.c_str()), 1);
    EXPECT_TRUE(drives[0].present);
    EXPECT_STREQ(drives[0].file_name, good.c_str());
    EXPECT_EQ(drives[0].image[102399], 0xE5);
    EXPECT_FALSE(floppy_watched(0, 5));
    EXPECT_EQ(last_quiet, 1);
    EXPECT_TRUE(ui_take_tool_window_requests() & (1u << TW_FLOPPY));

    capture_output();
    EXPECT_EQ(disk_insert_dispatch(0, 0, bad.c_str()), 0);
    EXPECT_EQ(disk_insert_dispatch(0, 0, (home.path() / "missing.raw").c_str()), 0);
    EXPECT_EQ(captured_output(), "File is wrong size!\nCan't open file for input!\n");
    EXPECT_STREQ(drives[0].file_name, good.c_str()); // kept
    EXPECT_EQ(drives[0].image[0], 0xE5);

    // The loader puts a disk into the first empty drive.
    EXPECT_EQ(file_load_by_name(put("second.raw", 102400, 0x42).c_str(), 0), LOAD_MEDIUM);
    EXPECT_TRUE(drives[1].present);
    EXPECT_EQ(drives[1].image[77], 0x42);
    EXPECT_EQ(drives[0].image[77], 0xE5);

    // The requester's choice, and a cancelled requester that changes nothing;
    // the file drive 1 holds is refused for drive 0.
    put("third.raw", 102400, 0x43);
    gui_headless_answer_file_requests({{0, home.path().string(), "second.raw"},
                                       {0, home.path().string(), "third.raw"},
                                       {1, "", ""}});
    capture_output();
    EXPECT_EQ(disk_insert_dispatch(1, 0, nullptr), 0);
    EXPECT_EQ(captured_output(), "Can't insert " + (home.path() / "second.raw").string() +
                                     ": it is already the disk in drive 1.\n");
    EXPECT_EQ(drives[0].image[0], 0xE5);
    EXPECT_EQ(disk_insert_dispatch(1, 0, nullptr), 1);
    EXPECT_EQ(drives[0].image[0], 0x43);
    EXPECT_EQ(disk_insert_dispatch(1, 0, nullptr), 0);
    EXPECT_NE(gui_headless_file_requests()[0].find("Insert Disk|#?.RAW"), std::string::npos);
}

TEST_F(FloppyTest, SavingWritesWholeImagesAndKeepsTheOldFileOnFailure) {
    machine_switch(BINBUG, MAP_BINBUG, true, true, false);
    disk_system_override = &TEST_SYSTEM;
    const std::string path = put("disk.raw", 102400, 0x01);
    ASSERT_EQ(disk_insert_dispatch(0, 0, path.c_str()), 1);
    drives[0].image[3] = 0x99;
    drives[0].changed = 1;
    ASSERT_TRUE(disk_save_image(0));
    std::string saved = test_read_file(path);
    ASSERT_EQ(saved.size(), 102400u);
    EXPECT_EQ(static_cast<u8>(saved[3]), 0x99);
    EXPECT_EQ(drives[0].changed, 0);

    // A file that is no longer the disk's (a drawer of that name holds a
    // file) stays as it was, the drive keeps its name, and the user is warned.
    const fs::path blocked = home.path() / "blocked.raw";
    test_write_file(blocked / "inside", "x");
    std::snprintf(drives[0].file_name, sizeof drives[0].file_name, "%s", blocked.c_str());
    drives[0].image[3] = 0x77;
    drives[0].changed = 1;
    capture_output();
    EXPECT_FALSE(disk_save_image(0));
    EXPECT_EQ(captured_output(), "Can't write the disk in drive 0 back: its file " +
                                     blocked.string() +
                                     " was replaced by another file since it went in.\n");
    EXPECT_EQ(test_read_file(blocked / "inside"), "x");
    EXPECT_STREQ(drives[0].file_name, blocked.c_str());
    EXPECT_EQ(drives[0].changed, 1);

    // A disk without a name asks for one; cancelling keeps it unnamed.
    drives[1].present = 1;
    gui_headless_answer_file_requests({{1, "", ""}, {0, home.path().string(), "new"}});
    EXPECT_FALSE(disk_save_image(1));
    EXPECT_STREQ(drives[1].file_name, "");
    capture_output();
    EXPECT_TRUE(disk_save_image(1));
    EXPECT_EQ(captured_output(),
              "The disk in drive 1 was saved as " + (home.path() / "new.raw").string() + ".\n");
    EXPECT_EQ(fs::file_size(home.path() / "new.raw"), 102400u);
    EXPECT_STREQ(drives[1].file_name, (home.path() / "new.raw").c_str());

    // Nor is another drive's file taken for a disk saved under a new name.
    drives[2].present = 1;
    drives[2].image[3] = 0x55;
    gui_headless_answer_file_requests({{0, home.path().string(), "new.raw"}, {1, "", ""}});
    capture_output();
    EXPECT_FALSE(disk_save_image(2));
    EXPECT_EQ(captured_output(), "Can't write to " + (home.path() / "new.raw").string() +
                                     ": it is the disk in drive 1!\n");
    EXPECT_NE(test_read_file(home.path() / "new.raw")[3], 0x55);
}
