// The floppy drives window as its gadgets show it: following a guest's
// sector read byte by byte, map clicks, hover texts, the sector slider, the
// owner of a sector on each disk system, titles, the byte watch toggle and
// the cost of each refresh scope.
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "cpu/dbg_hooks.h"
#include "devicewindows/floppy_window.h"
#include "display/host.h"
#include "gui/main_window.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fdc_machine.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"
#include "tests/support/small_disk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

const DiskSystem ASKS{.image_from_file = [](const std::vector<u8>&, u8*) { return false; }};

class FloppyWindow : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
    // A machine switch closes the tool windows (the interface does so at its next pass).
    int open_on(u32 m, u32 map) {
        gui_close_subwindow(TW_FLOPPY);
        machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false);
        gui_open_floppy_window(0);
        return win = gui_subwin_window[TW_FLOPPY];
    }
    void post(GuiEventType type, int gid, int code, int x = 0, int y = 0) {
        GuiEvent e;
        e.type = type;
        e.gid = gid;
        e.code = code;
        e.x = x;
        e.y = y;
        gui_headless_post(win, e);
        gui_floppy_handle_input();
    }
    void click_map(int gid, int dx, int dy) {
        const GuiRect r = gui_gadget_rect(win, gid);
        post(GE_MOUSEBUTTON, gid, 1, r.left + dx, r.top + dy);
    }
    std::string text(int gid) const { return gui_get_text(win, gid); }
    static int rgb(int extra) { return static_cast<int>(display_colour_table[GUEST_COLOURS + extra]); }
    int win = 0;
};

} // namespace

TEST_F(FloppyWindow, FollowsAGuestSectorReadByteByByte) {
    open_on(BINBUG, MAP_BINBUG);
    ASSERT_NE(win, 0);
    fdc_machine::install();
    gui_floppy_window_refresh(3, 0);
    fdc_port_write(3, 12);
    fdc_port_write(0, 0x18); // Seek, load head
    fdc_port_write(2, 5);
    fdc_port_write(0, 0x84);
    const u32 start = 12 * 2560 + 4 * 256;
    for (u32 i = 0; i < 255; i++) {
        fdc_port_read(3);
        char hex[4], at[8];
        std::snprintf(hex, sizeof hex, "%02X", fdc_machine::pattern(start + i));
        std::snprintf(at, sizeof at, "%X", start + i + 1);
        ASSERT_EQ(text(GID_FD_CELL + static_cast<int>(i)), hex) << i;
        ASSERT_EQ(text(GID_FD_BYTE), at) << i;
        // The head mark (mint while reading) sits on the next byte to read.
        ASSERT_EQ(gui_headless_background(win, GID_FD_CELL + static_cast<int>(i) + 1), rgb(2)) << i;
        ASSERT_NE(gui_headless_background(win, GID_FD_CELL + static_cast<int>(i)), rgb(2)) << i;
    }
    EXPECT_EQ(text(GID_FD_TRACK), "12");
    EXPECT_EQ(text(GID_FD_SECTOR), "5");
    EXPECT_EQ(text(GID_FD_ROW), "$07C0x:");
    // The sector's map cell is mint while reading; when the transfer ends it
    // takes its block's state again (no listing read: state 0, black).
    EXPECT_EQ(floppy_map_pixels(0)[4 * 8 * FLOPPY_MAP_STRIDE + 12 * 8], GUEST_COLOURS + 2);
    fdc_port_read(3);
    EXPECT_EQ(fdc_mode, FDC_IDLE);
    EXPECT_EQ(floppy_map_pixels(0)[4 * 8 * FLOPPY_MAP_STRIDE + 12 * 8], GUEST_COLOURS + 9);
    EXPECT_EQ(text(GID_FD_SECTOR), "6");
}

TEST_F(FloppyWindow, MapClicksShowTheClickedSectorAndAnEmptyDriveAsksForADisk) {
    open_on(TWIN, MAP_TWIN);
    ASSERT_NE(win, 0);
    drives[1].present = 1;
    click_map(GID_FD_MAP + 1, 13, 9);
    EXPECT_EQ(drives[1].view_offset, 12544u);
    EXPECT_EQ(drives[0].view_offset, 0u);
    EXPECT_EQ(text(GID_FD_ROW + 8), "$0310x:"); // drive 1's first row
    post(GE_MOUSEBUTTON, GID_FD_MAP + 1, 3, gui_gadget_rect(win, GID_FD_MAP + 1).left + 40,
         gui_gadget_rect(win, GID_FD_MAP + 1).top); // a right press does nothing
    EXPECT_EQ(drives[1].view_offset, 12544u);
    disk_system_override = &ASKS;
    drives[0].present = 0;
    click_map(GID_FD_MAP, 20, 20); // drive 0 is empty
    ASSERT_EQ(gui_headless_file_requests().size(), 1u);
    EXPECT_EQ(gui_headless_file_requests()[0].rfind("Insert Disk|#?.(IMG|TWIN)|load", 0), 0u);
    EXPECT_EQ(drives[0].view_offset, 0u);

    open_on(CD2650, MAP_CD2650);
    drives[0].present = 1;
    gui_floppy_window_refresh(3, 0);
    click_map(GID_FD_MAP, 17, 70);
    EXPECT_EQ(drives[0].view_offset, 6656u);
}

TEST_F(FloppyWindow, HoverTextsAndTheSliderNameTheSectorOnView) {
    open_on(TWIN, MAP_TWIN);
    drives[0].present = 1;
    std::memset(drives[0].image, 0, FLOPPY_IMAGE_MAX); // a blank disk in place of the new system disk
    drives[0].image[9216] = 0x0D;
    drives[0].view_offset = 9216;
    gui_floppy_window_refresh(2, 0);
    EXPECT_EQ(floppy_cell_hint(0), "Track: 2\nCluster: 5\nSector: 8\nByte: $2400\nContents: $0D (CR)");
    EXPECT_EQ(gui_headless_hint(win, GID_FD_CELL), floppy_cell_hint(0));
    drives[0].view_offset = 0;
    EXPECT_EQ(floppy_cell_hint(5), "Track: 0\nCluster: -\nSector: 0\nByte: $5\nContents: $00 (NUL)");
    EXPECT_EQ(floppy_cell_hint(128), "Track: 0\nCluster: -\nSector: 0\nByte: $0"); // drive 1 is empty

    open_on(BINBUG, MAP_BINBUG);
    drives[0].present = 0;
    drives[0].view_offset = 2560;
    EXPECT_EQ(floppy_cell_hint(255), "Track: 1\nSector: 1\nByte: $AFF");
    drives[0].present = 1;
    gui_floppy_window_refresh(3, 0);
    post(GE_GADGET, GID_FD_SLIDER, 17);
    EXPECT_EQ(drives[0].view_offset, 4352u);
    EXPECT_EQ(text(GID_FD_ROW), "$0110x:");
    EXPECT_EQ(text(GID_FD_ROW + 15), "$011Fx:");
    EXPECT_EQ(gui_get_value(win, GID_FD_SLIDER), 17);
    // Characters, except the two link bytes of every BINBUG sector.
    drives[0].image[4352] = 'A';
    drives[0].image[4354] = 'B';
    post(GE_GADGET, GID_FD_VIEW_AS, 1);
    EXPECT_EQ(text(GID_FD_CELL), "41");
    EXPECT_EQ(text(GID_FD_CELL + 2), "B");
}

TEST_F(FloppyWindow, OwnersComeFromEachDiskSystemsDirectory) {
    // BINBUG: two entries of different directory sectors cover block 25; the
    // later sector wins. Within a sector the first match wins.
    open_on(BINBUG, MAP_BINBUG);
    FloppyDrive& d = drives[0];
    d.present = 1;
    auto binbug_entry = [&](int s, int e, const char* name, u8 t0, u8 s0, u8 t1, u8 s1) {
        std::snprintf(d.name_cache[s * 10 + e], 11, "%s", name);
        std::snprintf(d.ext_cache[s * 10 + e], 5, "CMD");
        u8* entry = d.image + s * 256 + 16 + 24 * e;
        entry[13] = t0, entry[14] = s0, entry[15] = t1, entry[16] = s1;
    };
    binbug_entry(0, 3, "FIRST", 2, 1, 2, 10);  // blocks 20-29
    binbug_entry(0, 4, "SECOND", 2, 5, 2, 7);  // blocks 24-26
    d.block_map[25] = BLOCK_FILE;
    d.view_offset = 25 * 256;
    EXPECT_EQ(floppy_owner(0).text, "FIRST.CMD");
    binbug_entry(4, 0, "LATER", 2, 6, 2, 6); // block 25
    EXPECT_EQ(floppy_owner(0).text, "LATER.CMD");
    EXPECT_EQ(floppy_owner(0).colour, 17);
    d.block_map[25] = BLOCK_LOST;
    EXPECT_EQ(floppy_owner(0).text, "(Lost)");
    d.block_map[25] = 9;
    EXPECT_EQ(floppy_owner(0).text, "(Unknown)");

    // CD2650: state 0 is unknown; a file's blocks come from its start and end.
    open_on(CD2650, MAP_CD2650);
    d.present = 1;
    d.view_offset = 40 * 256;
    EXPECT_EQ(floppy_owner(0).text, "(Unknown)");
    std::snprintf(d.name_cache[1], 11, "DOS");
    std::snprintf(d.ext_cache[1], 5, "SYS");
    u8* entry = d.image + 64;
    entry[28] = 2, entry[29] = 1, entry[30] = 4, entry[31] = 9; // blocks 18-44
    d.block_map[40] = BLOCK_FILE;
    EXPECT_EQ(floppy_owner(0).text, "DOS.SYS");
    gui_floppy_window_refresh(3, 0);
    EXPECT_EQ(text(GID_FD_FILENAME), "DOS.SYS");
    EXPECT_EQ(gui_headless_background(win, GID_FD_FILENAME), rgb(17));

    // TWIN: track 0 owns no cluster; the last three descriptors start 5 bytes in.
    open_on(TWIN, MAP_TWIN);
    std::memset(d.image, 0, 8192);
    d.present = 1;
    d.view_offset = 100;
    EXPECT_EQ(floppy_owner(0).text, "(Track zero)");
    EXPECT_EQ(floppy_owner(0).colour, 5);
    std::snprintf(d.name_cache[76], 11, "LATE");
    d.image[4014 + 1] = 0x80 >> 3; // cluster 11 in descriptor 76
    d.view_offset = 4096 + 11 * 1024;
    d.block_map[11] = BLOCK_FILE;
    EXPECT_EQ(floppy_owner(0).text, "LATE");
    d.image[4014 + 1] = 0;
    d.image[4009 + 1] = 0x80 >> 3; // where a descriptor without the gap would lie
    EXPECT_EQ(floppy_owner(0).text, "(File)");
}

TEST_F(FloppyWindow, TitlesButtonsAndTheWatchToggleFollowTheLayout) {
    open_on(TWIN, MAP_TWIN);
    std::snprintf(drives[1].file_name, FLOPPY_NAME_SIZE, "Work:B.IMG");
    drives[1].present = 1;
    gui_floppy_window_refresh(3, 1);
    EXPECT_EQ(gui_headless_title(win), "Floppy Disk Drives: B.IMG");
    std::snprintf(drives[0].file_name, FLOPPY_NAME_SIZE, "Disks/A.IMG");
    drives[0].present = 1;
    gui_floppy_window_refresh(3, 0);
    EXPECT_EQ(gui_headless_title(win), "Floppy Disk Drives: A.IMG & B.IMG");
    // Eject keeps the image; the cells go blank and the buttons grey.
    post(GE_GADGET, GID_FD_EJECT + GID_FD_DRIVE1, 0);
    EXPECT_FALSE(drives[1].present);
    EXPECT_TRUE(gui_get_disabled(win, GID_FD_UPDATE + GID_FD_DRIVE1));
    EXPECT_EQ(text(GID_FD_CELL + 128), "-");
    EXPECT_FALSE(gui_get_disabled(win, GID_FD_UPDATE));

    // The TWIN toggles marks silently; BINBUG warns while watching is off.
    watchreads = 0;
    watchwrites = 0;
    capture_output();
    post(GE_GADGET, GID_FD_CELL + 3, 0);
    EXPECT_TRUE(floppy_watched(0, 3));
    EXPECT_EQ(gui_headless_background(win, GID_FD_CELL + 3), rgb(4));
    EXPECT_EQ(captured_output(), "");

    open_on(BINBUG, MAP_BINBUG);
    // Another disk system: no TWIN disk stays in a BINBUG drive.
    EXPECT_EQ(gui_headless_title(win), "Floppy Disk Drive");
    EXPECT_FALSE(drives[0].present);
    floppy_clear_watch_bits(0);
    gui_floppy_window_refresh(3, 0);
    capture_output();
    post(GE_GADGET, GID_FD_CELL + 3, 0);
    post(GE_GADGET, GID_FD_CELL + 3, 0);
    EXPECT_FALSE(floppy_watched(0, 3));
    const std::string warning = "Warning: watching of reads and writes is currently turned off! "
                                "(WR and WW to enable.)\n";
    EXPECT_EQ(captured_output(), warning + warning);
    // A drive beyond the drives in use cannot be chosen.
    binbug_userdrives = 1;
    post(GE_GADGET, GID_FD_DRIVE, 1);
    EXPECT_EQ(floppy_shown_drive, 0u);
    EXPECT_EQ(gui_get_value(win, GID_FD_DRIVE), 0);
    post(GE_GADGET, GID_FD_DRIVES, 1);
    EXPECT_EQ(binbug_userdrives, 2);
    post(GE_GADGET, GID_FD_DRIVE, 1);
    EXPECT_EQ(floppy_shown_drive, 1u);
    // Escape closes; opening again raises instead of building a second.
    post(GE_RAWKEY, 0, 0x45);
    EXPECT_EQ(gui_subwin_window[TW_FLOPPY], 0);
    gui_open_floppy_window(0);
    const int first = gui_subwin_window[TW_FLOPPY];
    gui_open_floppy_window(0);
    EXPECT_EQ(gui_subwin_window[TW_FLOPPY], first);
    EXPECT_EQ(gui_headless_find_window("Floppy"), first);
    // No window on machines without drives.
    open_on(PIPBUG, MAP_PIPBUG_1);
    EXPECT_EQ(win, 0);
}

TEST_F(FloppyWindow, EachRefreshScopeTouchesOnlyWhatChanged) {
    open_on(BINBUG, MAP_BINBUG);
    drives[0].present = 1;
    gui_floppy_window_refresh(3, 0);
    long before = gui_headless_setter_calls();
    gui_floppy_window_refresh(0, 0);
    EXPECT_EQ(gui_headless_setter_calls(), before); // nothing changed
    drives[0].image[40] = 0x12;
    before = gui_headless_setter_calls();
    gui_floppy_window_refresh(1, 0);
    EXPECT_EQ(gui_headless_setter_calls() - before, 4); // one cell: enable, text, colour, hint
    EXPECT_EQ(text(GID_FD_CELL + 40), "12");
    before = gui_headless_setter_calls();
    gui_floppy_window_refresh(2, 0);
    const long scope2 = gui_headless_setter_calls() - before;
    before = gui_headless_setter_calls();
    gui_floppy_window_refresh(3, 0);
    const long scope3 = gui_headless_setter_calls() - before;
    EXPECT_GE(scope2, 4 * 256);
    EXPECT_GT(scope3, scope2);
    // A head position the guest moved off the disk shows no byte position.
    drives[0].head_sector = 0;
    gui_floppy_window_refresh(1, 0);
    EXPECT_EQ(text(GID_FD_BYTE), "--");
    EXPECT_EQ(text(GID_FD_SECTOR), "0");
}

TEST_F(FloppyWindow, TheStatusBarIndicatorsShowTrackAndModeOfEachDrive) {
    machine_switch(BINBUG, MAP_BINBUG, true, true, false);
    gui_open_main_window(0);
    ASSERT_NE(main_window, 0);
    fdc_machine::install();
    fdc_port_write(3, 7);
    fdc_port_write(0, 0x18); // Seek track 7
    fdc_port_write(2, 1);
    fdc_port_write(0, 0x84);
    fdc_port_read(3);
    EXPECT_EQ(gui_get_text(main_window, GID_DRIVE_0), "07");
    EXPECT_EQ(gui_headless_background(main_window, GID_DRIVE_0), rgb(2)); // reading
    fdc_port_write(0, 0xD0);
    EXPECT_EQ(gui_headless_background(main_window, GID_DRIVE_0), rgb(1)); // idle
    gui_floppy_window_refresh(1, 3); // beyond the machine's two drives
    EXPECT_EQ(gui_get_text(main_window, GID_DRIVE_0 + 3), "--");
    EXPECT_TRUE(gui_get_disabled(main_window, GID_DRIVE_0 + 3));
    // The drive buttons open and close the window.
    GuiEvent e;
    e.type = GE_GADGET;
    e.gid = GID_DRIVE_0;
    gui_headless_post(main_window, e);
    gui_main_window_events();
    EXPECT_NE(gui_subwin_window[TW_FLOPPY], 0);
    gui_headless_post(main_window, e);
    gui_main_window_events();
    EXPECT_EQ(gui_subwin_window[TW_FLOPPY], 0);
}

TEST_F(FloppyWindow, CreatingOverAChangedDiskAsksFirst) {
    static const DiskSystem blank{.format = [](int d) {
        static u8 zeros[FLOPPY_IMAGE_MAX];
        floppy_take_image(d, zeros, "");
    }};
    open_on(BINBUG, MAP_BINBUG);
    disk_system_override = &blank;
    drives[0].present = 1;
    drives[0].image[9] = 0x33;
    drives[0].changed = 1;
    app_acquired.host_gui = true; // requesters are shown
    gui_headless_answer_requesters({0, 2}); // Cancel, then Replace
    post(GE_GADGET, GID_FD_CREATE, 0);
    EXPECT_EQ(drives[0].image[9], 0x33);
    post(GE_GADGET, GID_FD_CREATE, 0);
    EXPECT_EQ(drives[0].image[9], 0);
    EXPECT_EQ(gui_headless_requesters().size(), 2u);
    post(GE_GADGET, GID_FD_CREATE, 0); // unchanged since: no question
    EXPECT_EQ(gui_headless_requesters().size(), 2u);
    app_acquired.host_gui = false;
}

namespace {
const GuiNode* find_gadget(const GuiNode& node, int gid) {
    if (node.gid == gid) return &node;
    for (const GuiNode& child : node.children)
        if (const GuiNode* found = find_gadget(child, gid)) return found;
    return nullptr;
}
} // namespace

// "Drive: 0 of 1": the drives numbered from 0 as the messages number them,
// out of the drives in use among the machine's; a disk is saved under the
// machine's own title.
TEST_F(FloppyWindow, DrivesAreNumberedAsMessagesNumberThemAndDisksSaveUnderTheMachinesTitle) {
    const auto labels = [&](int gid) {
        const GuiNode* node = find_gadget(gui_headless_desc(win)->root, gid);
        return node ? node->items : std::vector<std::string>{};
    };
    binbug_userdrives = 1;
    open_on(BINBUG, MAP_BINBUG);
    EXPECT_EQ(labels(GID_FD_DRIVE), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(labels(GID_FD_DRIVES), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(gui_get_value(win, GID_FD_DRIVE), 0);
    EXPECT_EQ(gui_get_value(win, GID_FD_DRIVES), 0);
    // A second disk opened goes into drive 1, which is then in use too: the
    // window counts it and shows it when it is picked.
    {
        TempHome home("floppywin");
        for (const char* name : {"a.raw", "b.raw"}) {
            test_write_file(home.path() / name, std::string(102400, '\xE5'));
            ASSERT_EQ(file_load_by_name((home.path() / name).c_str(), 1), LOAD_MEDIUM) << name;
        }
        ASSERT_TRUE(drives[1].present);
        gui_floppy_window_refresh(3, 0);
        EXPECT_EQ(gui_get_value(win, GID_FD_DRIVES), 1);
        post(GE_GADGET, GID_FD_DRIVE, 1);
        EXPECT_EQ(gui_get_value(win, GID_FD_DRIVE), 1);
        EXPECT_EQ(gui_get_value(win, GID_FD_DRIVES), 1);
    }

    cd2650_userdrives = 4;
    cd2650_biosversion = 0; // the IPL puts a new disk in drive 0
    open_on(CD2650, MAP_CD2650);
    EXPECT_EQ(labels(GID_FD_DRIVE), (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_EQ(labels(GID_FD_DRIVES), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(gui_get_value(win, GID_FD_DRIVES), 3);
    ASSERT_TRUE(drives[0].present);
    gui_headless_answer_file_requests({GuiFileAnswer{}});
    post(GE_GADGET, GID_FD_UPDATE, 0);
    ASSERT_FALSE(gui_headless_file_requests().empty());
    EXPECT_EQ(gui_headless_file_requests().back().rfind("Save CD2650 Floppy Disk|", 0), 0u)
        << gui_headless_file_requests().back();
}

namespace {
// A disk in the TWIN's own file format: each 128-byte sector after its track
// and sector numbers, the bytes from `seed`.
std::string twin_file(u8 seed) {
    std::string file;
    for (int t = 0; t < 77; t++)
        for (int s = 0; s < 32; s++) {
            file += static_cast<char>(t);
            file += static_cast<char>(s);
            file += std::string(128, static_cast<char>(seed + t));
        }
    return file;
}
} // namespace

// A disk from a ".twin" file goes back as an ".img" image beside it: another
// file of that name is replaced only when the user says so, "Save as..."
// chooses another name, and the name written is said.
TEST_F(FloppyWindow, UpdatingATwinDiskAsksBeforeItReplacesAnotherFileUnderTheImageName) {
    TempHome home("floppywin");
    const std::filesystem::path twin = home.path() / "disk.twin", img = home.path() / "disk.img";
    test_write_file(twin, twin_file(0x40));
    test_write_file(img, "an unrelated file");
    open_on(TWIN, MAP_TWIN);
    ASSERT_EQ(file_load_by_name(twin.c_str(), 1), LOAD_MEDIUM);
    const int d = std::strcmp(drives[0].file_name, twin.c_str()) == 0 ? 0 : 1;
    ASSERT_STREQ(drives[d].file_name, twin.c_str());
    const int update = GID_FD_UPDATE + (d == 1 ? GID_FD_DRIVE1 : 0);
    app_acquired.host_gui = true; // requesters are shown
    const std::string question =
        "Brindlemox|The disk in drive " + std::to_string(d) +
        " is saved as a disk image under the name " + img.string() +
        ", which another file already has.\nReplace loses that file; Save as... saves the disk "
        "under another name.|_Replace|_Save as...|_Cancel";

    gui_headless_answer_requesters({0}); // Cancel
    post(GE_GADGET, update, 0);
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    EXPECT_EQ(gui_headless_requesters().back(), question);
    EXPECT_EQ(test_read_file(img), "an unrelated file");
    EXPECT_STREQ(drives[d].file_name, twin.c_str());

    gui_headless_answer_requesters({2}); // Save as...
    gui_headless_answer_file_requests({{0, home.path().string(), "copy"}});
    capture_output();
    post(GE_GADGET, update, 0);
    const std::filesystem::path copy = home.path() / "copy.img";
    EXPECT_EQ(captured_output(),
              "The disk in drive " + std::to_string(d) + " was saved as " + copy.string() + ".\n");
    EXPECT_EQ(test_read_file(img), "an unrelated file");
    ASSERT_EQ(std::filesystem::file_size(copy), 315392u);
    EXPECT_EQ(test_read_file(copy)[4096], '\x41'); // track 1
    EXPECT_STREQ(drives[d].file_name, copy.c_str());
    post(GE_GADGET, update, 0); // its own name now: written without a question
    EXPECT_EQ(gui_headless_requesters().size(), 2u);

    // Told to, it replaces the other file.
    const std::size_t questions = gui_headless_requesters().size();
    post(GE_GADGET, GID_FD_EJECT + (d == 1 ? GID_FD_DRIVE1 : 0), 0);
    ASSERT_EQ(file_load_by_name(twin.c_str(), 1), LOAD_MEDIUM);
    ASSERT_STREQ(drives[d].file_name, twin.c_str());
    gui_headless_answer_requesters({1}); // Replace
    post(GE_GADGET, update, 0);
    EXPECT_EQ(gui_headless_requesters().size(), questions + 1);
    EXPECT_EQ(std::filesystem::file_size(img), 315392u);
    EXPECT_STREQ(drives[d].file_name, img.c_str());
    app_acquired.host_gui = false;
}

// A disk that cannot be written (the disk it goes to is full) is named in
// the warning with the system's reason, and its old file stays.
TEST_F(FloppyWindow, AnUpdateTheDiskRefusesNamesTheFileAndTheReason) {
    TempHome home("floppywin");
    SmallDisk small;
    if (!small.mount(home.path() / "small", "400k")) GTEST_SKIP() << "no small disk can be mounted";
    const std::filesystem::path raw = home.path() / "small" / "work.raw";
    test_write_file(raw, std::string(102400, '\xE5'));
    small.fill();
    open_on(BINBUG, MAP_BINBUG);
    ASSERT_EQ(file_load_by_name(raw.c_str(), 1), LOAD_MEDIUM);
    drives[0].image[5] = 0x12;
    drives[0].changed = 1;
    capture_output();
    post(GE_GADGET, GID_FD_UPDATE, 0);
    EXPECT_EQ(captured_output(), "Can't write to " + raw.string() + ": No space left on device!\n");
    EXPECT_EQ(test_read_file(raw), std::string(102400, '\xE5'));
    EXPECT_EQ(drives[0].changed, 1);
}
