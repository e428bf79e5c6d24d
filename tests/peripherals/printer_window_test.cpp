// The printer window and the page pictures and texts it saves.
#include "core/emu.h"
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/settings_vars.h"
#include "core/text_screen.h"
#include "devicewindows/printer_window.h"
#include "display/frame.h"
#include "gui/tool_windows.h"
#include "peripherals/printer.h"
#include "peripherals/printer_export.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "tests/record/tools.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"
#include "tests/support/small_disk.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fs = std::filesystem;

namespace {
int pages_saved[2];

class PrinterWindow : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override {
        printer_page_out = {printout_save_picture, printout_save_text};
        fresh_state();
    }
    TempHome home{"printerwin"};
    void on(u32 m, u32 map) {
        machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false);
        gui_open_printer_window();
        win = gui_subwin_window[TW_PRINTER];
    }
    void post(GuiEventType type, int gid, int code) {
        GuiEvent e;
        e.type = type;
        e.gid = gid;
        e.code = code;
        gui_headless_post(win, e);
        prn_handle_input();
    }
    int win = 0;
};
} // namespace

TEST_F(PrinterWindow, OpensOnlyWhereThereIsAPrinterAndTheTwinViewScrolls) {
    gui_open_printer_window(); // the Arcadia has none
    EXPECT_EQ(gui_subwin_window[TW_PRINTER], 0);

    on(TWIN, MAP_TWIN);
    ASSERT_NE(win, 0);
    EXPECT_EQ(printer_scroll_y, 825u); // the bottom of the page
    printer_scroll_y = 5;
    post(GE_RAWKEY, 0, 0x7A);
    EXPECT_EQ(printer_scroll_y, 0u);
    printer_scroll_y = 820;
    post(GE_WHEEL, 0, 1);
    EXPECT_EQ(printer_scroll_y, 825u);
    EXPECT_EQ(gui_get_value(win, GID_PRN_VSCROLL), 825);

    // LPT2 shows its own page number, ribbon and line width, and gets the printing.
    printer_units[1].page_number = 7;
    printer_units[1].ribbon = 2;
    post(GE_GADGET, GID_PRN_UNIT, 1);
    EXPECT_EQ(twin_printerunit, 1);
    EXPECT_EQ(gui_get_value(win, GID_PRN_PAGE), 7);
    EXPECT_EQ(gui_get_value(win, GID_PRN_RIBBON), 2);

    post(GE_RAWKEY, 0, 0x45); // Esc closes
    EXPECT_EQ(gui_subwin_window[TW_PRINTER], 0);

    on(PIPBUG, MAP_PIPBUG_1);
    printer_scroll_y = 0;
    post(GE_WHEEL, 0, 1); // the whole page shows: no scrolling
    EXPECT_EQ(printer_scroll_y, 0u);
}

TEST_F(PrinterWindow, SwitchingEachPageOffSavesUnfinishedPagesOnce) {
    on(TWIN, MAP_TWIN);
    pages_saved[0] = pages_saved[1] = 0;
    printer_page_out.picture = [](int unit, const PrinterPage&) { return ++pages_saved[unit] > 0; };
    printer_page_out.text = [](int, const PrinterPage&) { return true; };
    eachpage = 1;
    printer_units[0].column = 3; // something on LPT1 only
    gui_set_value(win, GID_PRN_EACHPAGE, 0);
    post(GE_GADGET, GID_PRN_EACHPAGE, 0);
    EXPECT_EQ(eachpage, 0u);
    EXPECT_EQ(pages_saved[0], 1);
    EXPECT_EQ(pages_saved[1], 0);
    gui_set_value(win, GID_PRN_EACHPAGE, 1);
    post(GE_GADGET, GID_PRN_EACHPAGE, 1);
    EXPECT_EQ(eachpage, 1u);
    EXPECT_EQ(pages_saved[0], 1); // switching on saves nothing

    // Eject with "eachpage" on saves the page and shows the next number.
    const u32 before = printer_units[0].page_number;
    twin_printerunit = 0;
    post(GE_GADGET, GID_PRN_EJECT, 0);
    EXPECT_EQ(pages_saved[0], 2);
    EXPECT_EQ(gui_get_value(win, GID_PRN_PAGE), static_cast<int>(before + 1));
}

TEST_F(PrinterWindow, ScreenTextsOfTheTerminals) {
    machine_switch(PIPBUG, MAP_PIPBUG_1, true, true, false);
    for (u8& c : vdu_text)
        c = vdu_blank_char;
    std::string text;
    machine_row().screen_text(&text);
    ASSERT_GE(text.size(), static_cast<std::size_t>(vdu_rows));
    EXPECT_EQ(text.substr(0, vdu_rows), std::string(vdu_rows, '\n'));
    EXPECT_EQ(text.find('\n', vdu_rows), std::string::npos); // the LED line has no LF

    machine_switch(TWIN, MAP_TWIN, true, true, false);
    for (u8& c : vdu_text)
        c = ' ';
    text.clear();
    machine_row().screen_text(&text);
    EXPECT_EQ(text, "");
    vdu_cell(0, 3) = 'A';
    vdu_cell(1, 4) = 'B';
    text.clear();
    machine_row().screen_text(&text);
    EXPECT_EQ(text, std::string("A\n B\n") + std::string(20, '\n'));

    machine_switch(BINBUG, MAP_BINBUG, true, true, false);
    std::fill(guest_memory + 0x7800, guest_memory + 0x7C00, 'x');
    guest_memory[0x7800] = 0; // a blank, not the end of the text
    text.clear();
    machine_row().screen_text(&text);
    EXPECT_EQ(text.size(), 16u * 65);
    EXPECT_EQ(text.substr(0, 3), " xx");
}

TEST_F(PrinterWindow, AutomaticSavesAreNamedAfterTheUnitAndPage) {
    on(TWIN, MAP_TWIN);
    std::snprintf(screenshots_path, sizeof screenshots_path, "%s", home.path().c_str());
    std::snprintf(projects_path, sizeof projects_path, "%s", home.path().c_str());
    file_loaded = 0;
    printer_units[1].page_number = 1;
    const char line1[] = "FIRST\n";
    std::memcpy(printer_units[1].text[printer_geometry.lines_per_page - 1], line1, sizeof line1);
    printer_units[1].empty_lines = printer_geometry.lines_per_page - 1;
    export_text(0, 0, 1, 0);
    printer_units[1].page_number = 2;
    printer_units[1].lines_fed = 0;
    const char line2[] = "SECOND\n";
    std::memcpy(printer_units[1].text[printer_geometry.lines_per_page - 1], line2, sizeof line2);
    export_text(0, 0, 1, 1);
    const std::vector<u8> txt = read_bytes(home.path() / "LPT2.txt");
    EXPECT_EQ(std::string(txt.begin(), txt.end()), "FIRST\nSECOND\n");

    printer_save_page(0, 0, 0, 1);
    printer_save_page(0, 1, 0, 1);
    printer_save_page(0, 2, 0, 1);
    for (const char* name : {"LPT2-2.ilbm", "LPT2-2.acbm", "LPT2-2.bmp"})
        EXPECT_TRUE(fs::exists(home.path() / name)) << name;
    const std::vector<u8> bmp = read_bytes(home.path() / "LPT2-2.bmp");
    EXPECT_EQ(bmp.size(), 78u + 492u * 1287u); // 4 bits a dot, rows padded to longwords
    if (!tool_present("/usr/bin/ilbmtoppm") || !tool_present("/usr/bin/convert")) return;
    int rc;
    run_tool("ilbmtoppm '" + (home.path() / "LPT2-2.ilbm").string() + "' > '" +
                 (home.path() / "p.ppm").string() + "'",
             &rc);
    EXPECT_EQ(rc, 0);
    const std::string size =
        run_tool("/usr/bin/identify -format '%w %h' '" + (home.path() / "LPT2-2.bmp").string() + "'", &rc);
    EXPECT_EQ(size, "982 1287");
}

TEST_F(PrinterWindow, ScreenTextsOfTheCoinOpBoards) {
    ASSERT_TRUE(machine_switch(ZACCARIA, MAP_ASTRO_WARS, true, true, false));
    std::fill(guest_memory + 0x1800, guest_memory + 0x1C00, 32); // blanks
    guest_memory[0x1801] = 193; // "A": row 0, column 1
    guest_memory[0x1BE0] = 194; // "B": row 31, column 0
    const u8 rotated = display_rotated;
    display_rotated = 0;
    std::string text;
    machine_row().screen_text(&text);
    ASSERT_EQ(text.size(), 32u * 33);
    EXPECT_EQ(text.substr(0, 33), " A" + std::string(30, ' ') + "\n");
    EXPECT_EQ(text.substr(31 * 33, 33), "B" + std::string(31, ' ') + "\n");
    // Shown turned, each line is a column read from the bottom up.
    display_rotated = 1;
    text.clear();
    machine_row().screen_text(&text);
    ASSERT_EQ(text.size(), 32u * 33);
    EXPECT_EQ(text.substr(0, 33), "B" + std::string(31, ' ') + "\n");
    EXPECT_EQ(text.substr(33, 33), std::string(31, ' ') + "A\n");
    display_rotated = rotated;

    // Malzak: 24 rows of 64, trailing blanks dropped.
    ASSERT_TRUE(machine_switch(MALZAK, MAP_MALZAK_2, true, true, false));
    std::fill(guest_memory + 0x1800, guest_memory + 0x1E00, ' ');
    std::memcpy(guest_memory + 0x1800 + 64, "  HI", 4);
    text.clear();
    machine_row().screen_text(&text);
    EXPECT_EQ(text, "\n  HI\n" + std::string(22, '\n'));
}

// Text saved onto a read-only drive is refused with the file named once and
// the system's reason.
TEST_F(PrinterWindow, SavingTextWhereNoFileCanBeMadeNamesTheFileOnce) {
    SmallDisk drive;
    if (!drive.mount(home.path() / "ro", "64k") || !drive.make_read_only())
        GTEST_SKIP() << "no read-only drive can be made here";
    on(TWIN, MAP_TWIN);
    ASSERT_NE(win, 0);
    const std::string ro = (home.path() / "ro").string();
    gui_headless_answer_file_requests({{0, ro, "listing"}});
    capture_output();
    post(GE_GADGET, GID_PRN_SAVE_TEXT, 0);
    EXPECT_EQ(captured_output(), "Can't write to " + ro + "/listing.txt: Read-only file system!\n");
}
