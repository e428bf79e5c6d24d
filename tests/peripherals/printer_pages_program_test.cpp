// The printer's automatic page saving in the running program, driven through
// its port: pages are named after the loaded program (or "Printer"), and no
// page ever replaces a file, an earlier printout's (this session's or an
// earlier one's) or the user's: a printout takes the next free number for its
// text and all its pictures, and says so.
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "peripherals/device_link.h"
#include "peripherals/printer.h"
#include "tests/record/tools.h"
#include "tests/support/blank_disks.h"
#include "tests/support/port_client.h"
#include "tests/support/printout_rows.h"
#include "tests/support/program_test.h"
#include "tests/support/x_display.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class PrinterPagesProgram : public ProgramTest {
  protected:
    // Whether the program can be run here as an ordinary user (nobody).
    static bool can_run_as_user() {
        return geteuid() == 0 && fs::exists("/usr/bin/setpriv") && fs::exists("/usr/bin/python3");
    }
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // A PIPBUG session, "eachpage" as the settings have it; without
    // `set_up`, what the start resumed (the autosave) runs on.
    void start_session(bool set_up = true) {
        if (fd >= 0) ::close(fd);
        fd = -1;
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        std::string result;
        if (set_up) send("SETMACHINE PIPBUG", &result);
        ASSERT_EQ(fine("GETMACHINE"), "PIPBUG");
    }
    // A session on what the start resumes (the autosave), whatever machine.
    void resume() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
    }
    void quit() {
        fine("QUIT");
        EXPECT_EQ(wait_exit(), 0);
    }
    // The guest prints `text` on the 7-bit printer and feeds the page until
    // it is full (and saved): what the port said meanwhile.
    std::string print_page(const std::string& text) {
        std::string said;
        char line[64];
        for (char c : text) {
            std::snprintf(line, sizeof line, "DEBUGGER \"WRITEPORT 19 %02X\"", c);
            said += fine(line);
        }
        for (int i = 0; i < 32; i++)
            said += fine("DEBUGGER \"WRITEPORT 19 0A\"");
        return said;
    }
    // The guest prints `text` as one line, the page going on.
    void print_line(const std::string& text) {
        for (const std::string& line : test_printing(text))
            fine(line);
    }
    // A first run writes the settings; "eachpage" is switched on in them.
    void save_each_page() {
        start_session();
        quit();
        const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
        std::string settings = test_read_file(ini);
        const std::size_t at = settings.find("eachpage=false");
        ASSERT_NE(at, std::string::npos);
        settings.replace(at, 14, "eachpage=true");
        test_write_file(ini, settings);
    }
    // The settings file's line `key=` (of a first run's settings) given `value`.
    void set_setting(const std::string& key, const std::string& value) {
        const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
        std::string settings = test_read_file(ini);
        const std::size_t at = settings.find("\n" + key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        const std::size_t end = settings.find('\n', at + 1);
        settings.replace(at + 1, end - at - 1, key + "=" + value);
        test_write_file(ini, settings);
    }
    // The guest of `machine` prints `text` as one line on its printer (the
    // unit the settings choose); the TWIN's line printer takes the character
    // on port $EB at each print request on port $EA.
    void print_on(u32 machine, const std::string& text) {
        if (machine == PIPBUG || machine == BINBUG) return print_line(text);
        ASSERT_TRUE(machine == TWIN || machine == CD2650) << "no way known to print on " << machine;
        char line[48];
        for (char c : text + (machine == TWIN ? "\r" : "\r\n")) {
            std::snprintf(line, sizeof line, "DEBUGGER \"WRITEPORT %s %02X\"",
                          machine == TWIN ? "EB" : "FC", c);
            fine(line);
            if (machine == TWIN) fine("DEBUGGER \"WRITEPORT EA 02\"");
        }
    }
    // The guest of `machine` prints more than a page of `lines`: `word`A,
    // enough lines to fill the page (the line printer feeds no empty one),
    // then `word`B on the next one.
    void print_pages_on(u32 machine, u32 lines, const std::string& word) {
        print_on(machine, word + "A");
        for (u32 i = 0; i < lines; i++)
            print_on(machine, ".");
        print_on(machine, word + "B");
    }
    // The two page pictures and the text of a printout of print_pages_on,
    // each read back: both words in the text, in order, and every picture
    // of `size`.
    void expect_two_pages(const std::string& word, const std::string& size) {
        const std::vector<std::string> texts = texts_saved();
        ASSERT_FALSE(texts.empty()) << "no text saved";
        const std::string first = test_first_picture(fs::path(texts.back()).stem().string());
        const std::string second = std::string(first).replace(first.rfind("-1"), 2, "-2");
        EXPECT_EQ(test_names_in(screenshots()), (std::set<std::string>{first, second}));
        const std::string text = test_read_file(projects() / texts.back());
        EXPECT_EQ(text.rfind(word + "A\n", 0), 0u) << text;
        EXPECT_NE(text.find("\n" + word + "B\n"), std::string::npos) << text;
        for (const std::string& picture : {first, second}) {
            int rc = -1; // ImageMagick comes with the build's packages: its reading is required
            EXPECT_EQ(
                run_tool("identify -format '%wx%h' '" + (screenshots() / picture).string() + "'",
                         &rc),
                size)
                << picture;
        }
    }
    // The printouts' texts in the projects drawer.
    std::vector<std::string> texts_saved() const {
        std::vector<std::string> texts;
        for (const std::string& name : test_names_in(projects()))
            if (fs::path(name).extension() == ".txt") texts.push_back(name);
        return texts;
    }
    fs::path projects() const { return home.path() / "Projects"; }
    fs::path screenshots() const { return home.path() / "Screenshots"; }
    static bool starts(const fs::path& file, const std::string& text) {
        return test_read_file(file).rfind(text, 0) == 0;
    }
};

} // namespace

// Every way a new printout begins (a start that resumes the autosave, Revert,
// Reinitialize) leaves the earlier printouts whole: the new one takes the
// next number free for its text and its pictures alike, named "Printer"
// while no program the user loaded runs (the autosave is none).
TEST_F(PrinterPagesProgram, APrintoutNeverReplacesAnyFile) {
    ASSERT_NO_FATAL_FAILURE(save_each_page());
    start_session();
    print_page("ONE");
    quit();

    struct NewPrintout {
        const char* what;
        const char* command; // sent through the port; nullptr: a new session
        const char* removed; // an earlier printout's text the user removed first
        int number;          // the printout's number
    };
    std::vector<std::string> words = {"ONE"};
    for (const NewPrintout& row :
         {NewPrintout{"a start into the autosave", nullptr, nullptr, 2},
          NewPrintout{"Revert", "REVERT", nullptr, 3},
          NewPrintout{"Reinitialize", "MENU PROJECT.REINITIALIZE", "Printer_2.txt", 4}}) {
        SCOPED_TRACE(row.what);
        if (row.removed) fs::remove(projects() / row.removed);
        if (row.command)
            fine(row.command);
        else
            ASSERT_NO_FATAL_FAILURE(start_session(false));
        words.push_back("PAGE" + std::to_string(row.number));
        print_page(words.back());
        for (std::size_t i = 0; i < words.size(); i++) {
            const std::string n = i ? "_" + std::to_string(i + 1) : "";
            const std::string text = "Printer" + n + ".txt";
            if (!row.removed || text != row.removed) {
                EXPECT_TRUE(starts(projects() / text, words[i] + "\n")) << text;
            }
            EXPECT_TRUE(starts(screenshots() / ("Printer-1" + n + ".ilbm"), "FORM")) << n;
        }
        for (const fs::path& drawer : {projects(), screenshots()})
            for (const auto& e : fs::directory_iterator(drawer))
                EXPECT_EQ(e.path().filename().string().rfind("AUTOSAVE", 0), std::string::npos)
                    << e.path();
    }
    EXPECT_FALSE(fs::exists(projects() / "Printer_2.txt")) << "the user's removal stands";
    quit();
    start_session();

    // A loaded game: its name leads; the user's game.txt and game-1.ilbm
    // stay, and the port is told where the page went.
    fine("DEBUGGER \"SAVEAOF 0 10 game\"");
    test_write_file(projects() / "game.txt", "my notes\n");
    test_write_file(screenshots() / "game-1.ilbm", "my picture");
    fine("OPEN " + (projects() / "game.aof").string());
    const std::string said = print_page("HELLO");
    EXPECT_EQ(test_read_file(projects() / "game.txt"), "my notes\n");
    EXPECT_EQ(test_read_file(screenshots() / "game-1.ilbm"), "my picture");
    EXPECT_TRUE(starts(projects() / "game_2.txt", "HELLO\n"));
    EXPECT_TRUE(starts(screenshots() / "game-1_2.ilbm", "FORM"));
    EXPECT_NE(said.find("Page 1 of the printer was saved as " +
                        fs::canonical(screenshots() / "game-1_2.ilbm").string()),
              std::string::npos)
        << said;
    // The next page adds to the file the first went to; once the user
    // changed that file, it is theirs and the next page starts another.
    print_page("WORLD");
    EXPECT_NE(test_read_file(projects() / "game_2.txt").find("WORLD\n"), std::string::npos);
    EXPECT_TRUE(starts(screenshots() / "game-2_2.ilbm", "FORM"));
    EXPECT_FALSE(fs::exists(screenshots() / "game-2.ilbm")) << "the pages stay together";
    test_write_file(projects() / "game_2.txt", "edited\n");
    print_page("AGAIN");
    EXPECT_EQ(test_read_file(projects() / "game_2.txt"), "edited\n");
    EXPECT_TRUE(starts(projects() / "game_3.txt", "AGAIN\n"));
    // A page in progress when the machine is set up again (OPEN) is saved
    // once, under its own number, and its text follows the others.
    fine("DEBUGGER \"WRITEPORT 19 4C\"");
    fine("DEBUGGER \"WRITEPORT 19 0A\"");
    fine("OPEN " + (projects() / "game.aof").string());
    EXPECT_TRUE(starts(screenshots() / "game-4_2.ilbm", "FORM"));
    EXPECT_FALSE(fs::exists(screenshots() / "game-0_2.ilbm"));
    EXPECT_NE(test_read_file(projects() / "game_3.txt").find("L\n"), std::string::npos);
    quit();
}

// A page half printed when the program ends is saved as a machine switch
// saves it, whatever the way out: its picture under its own number, and its
// lines after the full page's in the text, beside the user's file at the
// printout's name. Left out: the window's Quit, which ends through the exit
// path the port's QUIT takes (DesktopProgram drives it).
TEST_F(PrinterPagesProgram, EveryWayOutSavesThePageInProgress) {
    ASSERT_NO_FATAL_FAILURE(save_each_page());

    struct WayOut {
        const char* what;
        int signal;          // sent to the program, or
        const char* command; // sent through the port, or neither: the X server ends
    };
    for (const WayOut& way :
         {WayOut{"QUIT", 0, "QUIT"}, WayOut{"SYS", 0, "DEBUGGER SYS"},
          WayOut{"SIGTERM", SIGTERM, nullptr}, WayOut{"SIGINT", SIGINT, nullptr},
          WayOut{"SIGHUP", SIGHUP, nullptr}, WayOut{"the display gone", 0, nullptr}}) {
        SCOPED_TRACE(way.what);
        for (const fs::path& drawer : {projects(), screenshots()})
            fs::remove_all(drawer);
        test_write_file(projects() / "Printer.txt", "the user's own\n");
        XDisplay x;
        const bool display = !way.signal && !way.command;
        if (display) {
            if (!XDisplay::available()) continue; // Xvfb is not installed
            ASSERT_TRUE(x.start());
            platform = "xcb";
        }
        start_session();
        platform = "offscreen";
        print_page("ONE");
        for (int i = 0; i < 5; i++) {
            fine("DEBUGGER \"WRITEPORT 19 4C\"");
            fine("DEBUGGER \"WRITEPORT 19 0A\"");
        }
        if (way.command)
            fine(way.command);
        else if (way.signal)
            ASSERT_EQ(::kill(pid, way.signal), 0);
        else
            x.stop();
        EXPECT_GE(wait_exit(), 0) << log();
        EXPECT_TRUE(starts(screenshots() / "Printer-1_2.ilbm", "FORM"));
        EXPECT_TRUE(starts(screenshots() / "Printer-2_2.ilbm", "FORM"));
        const std::string text = test_read_file(projects() / "Printer_2.txt");
        EXPECT_EQ(text.substr(0, 4), "ONE\n");
        EXPECT_NE(text.find("\nL\nL\nL\nL\nL\n"), std::string::npos) << text;
        EXPECT_EQ(test_read_file(projects() / "Printer.txt"), "the user's own\n");
        for (const fs::path& beside :
             {projects() / "Printer_3.txt", screenshots() / "Printer-1.ilbm",
              screenshots() / "Printer-3_2.ilbm"})
            EXPECT_FALSE(fs::exists(beside)) << beside;
    }
}

// The guest prints page after page, more of them than the record of the
// program's own outputs could keep entries: the file an earlier SAVEHEX named
// for itself (prog.hex for "prog.bin") is still the program's own, so that
// the same SAVEHEX writes over it again.
TEST_F(PrinterPagesProgram, ALongPrintoutLeavesOtherWritersTheirOutputs) {
    ASSERT_NO_FATAL_FAILURE(save_each_page());
    start_session();
    fine("DEBUGGER \"SAVEHEX 0 FF prog.bin\"");
    // $500: LODI,R0 $0A; WRTE,R0 $19; BCTA,UN $502.
    const char* loop[] = {"04", "0A", "D4", "19", "1F", "05", "02"};
    for (int i = 0; i < 7; i++)
        fine("DEBUGGER \"E " + std::to_string(500 + i) + " " + loop[i] + "\"");
    fine("DEBUGGER \"E IAR 500\"");
    const auto pages = [&] {
        std::error_code error;
        std::size_t n = 0;
        for (fs::directory_iterator it(screenshots(), error), end; !error && it != end;
             it.increment(error))
            n++;
        return n;
    };
    ASSERT_TRUE(wait_until([&] { return pages() >= 600; }, 4 * TEST_HANG_SECONDS)) << log();
    fine("PAUSE");
    ASSERT_GE(pages(), 600u);
    EXPECT_NE(fine("DEBUGGER \"SAVEHEX 0 FF prog.bin\"").find("OK."), std::string::npos);
    quit();
}

// A printout is named when it begins and keeps that name for all its pages:
// saving what runs under another name (a state before the first page, a
// program halfway) leaves the pages' pictures and text under the name of what
// was loaded.
TEST_F(PrinterPagesProgram, APrintoutKeepsItsNameToTheEnd) {
    ASSERT_NO_FATAL_FAILURE(save_each_page());
    start_session();
    fine("DEBUGGER \"SAVEAOF 0 10 game\"");
    fine("OPEN " + (projects() / "game.aof").string());
    const std::string renames[] = {"SAVEAS " + (home.path() / "run1.cos").string(),
                                   "DEBUGGER \"SAVEAOF 0 10 other\""};
    int page = 0;
    for (const std::string& rename : renames) {
        SCOPED_TRACE(rename);
        fine(rename);
        print_page("PAGE" + std::to_string(++page));
        EXPECT_TRUE(starts(screenshots() / ("game-" + std::to_string(page) + ".ilbm"), "FORM"));
        EXPECT_NE(
            test_read_file(projects() / "game.txt").find("PAGE" + std::to_string(page) + "\n"),
            std::string::npos);
    }
    quit();
    for (const auto& e : fs::directory_iterator(screenshots()))
        EXPECT_EQ(e.path().filename().string().rfind("game-", 0), 0u) << e.path();
}

// The TWIN's two printer units under one loaded file: the second unit's
// pages are named apart and leave the first unit's printout whole, also in a
// later session.
TEST_F(PrinterPagesProgram, TheSecondUnitsPagesLeaveTheFirstUnitsPrintout) {
    ASSERT_NO_FATAL_FAILURE(save_each_page());
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    for (const char unit : {'0', '1'}) {
        SCOPED_TRACE(std::string("twin_printerunit=") + unit);
        std::string settings = test_read_file(ini);
        const std::size_t at = settings.find("twin_printerunit=");
        ASSERT_NE(at, std::string::npos);
        settings[at + 17] = unit;
        test_write_file(ini, settings);
        start_session();
        std::string result;
        send("SETMACHINE TWIN", &result);
        fine("DEBUGGER \"SAVEMOD 0 10 game\"");
        fine("OPEN " + (projects() / "game.mod").string());
        // The line printer takes a character from port $EB at each print
        // request on port $EA; a page is 117 lines.
        for (const char c : std::string(1, unit == '0' ? 'A' : 'B') + std::string(118, '\r')) {
            char line[40];
            std::snprintf(line, sizeof line, "DEBUGGER \"WRITEPORT EB %02X\"", c);
            fine(line);
            fine("DEBUGGER \"WRITEPORT EA 02\"");
        }
        quit();
    }
    // The line printer's text ends its lines as the host's text files do.
    for (const char* file : {"game.txt", "game-LPT2.txt"}) {
        const std::string text = test_read_file(projects() / file);
        EXPECT_EQ(text.find('\r'), std::string::npos) << file;
        EXPECT_EQ(text.substr(0, 2), std::string(file[4] == '.' ? "A\n" : "B\n")) << file;
    }
    EXPECT_TRUE(starts(screenshots() / "game-1.ilbm", "FORM"));
    EXPECT_TRUE(starts(screenshots() / "game-LPT2-1.ilbm", "FORM"));
}

// Every load that finishes the printer's pages begins a new printout named
// after the file loaded: the program files PIPBUG opens (its savers' own), a
// state and a source, each by OPEN, a recent file, Revert and the command
// line. The page in progress goes whole to the printout it was printed in,
// the next page to the new one, and no picture repeats a sheet already saved.
// The requester and a drop are PrinterQt's rows; left out: the game list,
// which hands its file to the same load as OPEN.
TEST_F(PrinterPagesProgram, EveryLoadBeginsAPrintoutNamedAfterWhatItLoaded) {
    ASSERT_TRUE(machine_switch(PIPBUG, MAP_PIPBUG_1, true, true, false));
    const std::vector<std::pair<std::string, std::string>> kinds = test_loaded_kinds();
    ASSERT_GE(kinds.size(), 4u); // HEX, AOF, the state, the source
    ASSERT_NO_FATAL_FAILURE(save_each_page());
    start_session();
    fine("DEBUGGER \"SAVEAOF 440 44F lead\"");
    const std::string lead = (projects() / "lead.aof").string();

    enum class Way { open, recent, revert, command_line };
    for (const auto& kind : kinds) {
        const fs::path made =
            test_make_loaded(kind, projects(), [&](const std::string& line) { fine(line); });
        ASSERT_TRUE(fs::exists(made)) << made;
        const std::string file = made.string(), stem = made.stem().string();
        for (const Way way : {Way::open, Way::recent, Way::revert, Way::command_line}) {
            SCOPED_TRACE(file + " way " + std::to_string(static_cast<int>(way)));
            std::string before = "lead", after = stem;
            if (way == Way::command_line) {
                quit();
                test_clear_printouts(projects(), screenshots());
                ASSERT_TRUE(start({"PORTNAME", "E2E", file}));
                ASSERT_TRUE(port_up());
                before.clear();
            } else {
                fine("OPEN " + file);
                if (way == Way::revert) {
                    before = stem;
                    after = stem + "_2";
                } else {
                    fine("OPEN " + lead); // the file is the second recent one
                }
                test_clear_printouts(projects(), screenshots());
                print_line("BEFORE");
                fine(way == Way::open     ? "OPEN " + file
                     : way == Way::recent ? std::string("MENU PROJECT.RECENT2")
                                          : std::string("MENU PROJECT.REVERT"));
            }
            print_line("AFTER");
            fine("MENU PROJECT.REINITIALIZE");

            std::set<std::string> pictures = {test_first_picture(after)};
            if (!before.empty()) {
                pictures.insert(test_first_picture(before));
                const std::string text = test_read_file(projects() / (before + ".txt"));
                EXPECT_EQ(text.rfind("BEFORE\n", 0), 0u) << text;
                EXPECT_EQ(text.find("AFTER"), std::string::npos) << text;
            }
            const std::string text = test_read_file(projects() / (after + ".txt"));
            EXPECT_EQ(text.rfind("AFTER\n", 0), 0u) << text;
            EXPECT_EQ(text.find("BEFORE"), std::string::npos) << text;
            EXPECT_EQ(test_names_in(screenshots()), pictures);
        }
    }
    quit();
}

namespace {

// A printer unit of a machine the machine table gives a printer, as the
// machine wires it (its device link).
struct PrinterRow {
    u32 machine;
    std::string keyword; // for SETMACHINE
    int unit;
    u32 lines;                                 // on a page
    std::string size;                          // the page picture's, "228x384"
    std::pair<std::string, std::string> saver; // of the machine's own object file
};

std::vector<PrinterRow> printer_rows() {
    std::vector<PrinterRow> rows;
    for (u32 m = 0; m < MACHINES; m++) {
        if (!machine_table[m].traits.has_printer) continue;
        EXPECT_TRUE(machine_switch(static_cast<int>(m), machine_table[m].default_memmap, true, true,
                                   false));
        for (int u = 0; u < device_link.printer_units; u++)
            rows.push_back({m, machine_table[m].keyword, u, printer_geometry.lines_per_page,
                            std::to_string(printer_geometry.page_width) + "x" +
                                std::to_string(printer_geometry.page_height),
                            test_program_savers(false).back()});
    }
    return rows;
}

// Each printer and unit: a test of its own, so that each stays well within a
// test's time on a busy host.
class PrinterSheets : public PrinterPagesProgram,
                      public ::testing::WithParamInterface<std::size_t> {};
} // namespace

// On default settings (pages not saved as they fill) the sheet and the pages
// that filled before it are the only copy of what the guest printed: every
// set-up, load and way out saves them first, in order, as pages of the
// printout they were printed in, pictures and text under the printout's
// names, on every printer and unit. QUIT's reply names where they went. The sheet does not come
// back with the autosave: the next session's page is a printout of its own, with nothing twice.
TEST_P(PrinterSheets, EverySheetIsSavedBeforeItGoes) {
    const std::vector<PrinterRow> rows = printer_rows();
    ASSERT_EQ(rows.size(), 5u); // PIPBUG, BINBUG, CD2650 and the TWIN's two units
    start_session();
    quit(); // the settings the first run writes: "eachpage" off
    ASSERT_NE(test_read_file(home.path() / "Configs" / "Brindlemox.ini").find("eachpage=false"),
              std::string::npos);

    struct Clears {
        const char* what;
        std::string before, line; // sent before the line is printed; what clears the sheet
        int signal;               // sent when no line is, or neither: the X server ends
        bool ends;                // the program
    };
    const std::string state = (home.path() / "s.cos").string();
    {
        const PrinterRow& row = rows[GetParam()];
        set_setting("twin_printerunit", std::to_string(row.unit));
        const std::string program = (projects() / ("p" + row.saver.second)).string();
        const Clears clears[] = {
            {"Reinitialize", "", "MENU PROJECT.REINITIALIZE", 0, false},
            {"OPEN of a program file", "", "OPEN " + program, 0, false},
            {"Quickload", "MENU PROJECT.QUICKSAVE", "MENU PROJECT.QUICKLOAD", 0, false},
            {"OPEN of a state", "SAVEAS " + state, "OPEN " + state, 0, false},
            {"Revert of a state", "", "MENU PROJECT.REVERT", 0, false},
            {"a machine switch", "",
             row.machine == PIPBUG ? "SETMACHINE BINBUG" : "SETMACHINE PIPBUG", 0, false},
            {"QUIT", "", "QUIT", 0, true},
            {"SYS", "", "DEBUGGER SYS", 0, true},
            {"SIGTERM", "", "", SIGTERM, true},
            {"SIGINT", "", "", SIGINT, true},
            {"SIGHUP", "", "", SIGHUP, true},
            {"the display gone", "", "", 0, true},
        };
        bool running = false;
        std::size_t n = 0;
        for (const Clears& c : clears) {
            SCOPED_TRACE(row.keyword + " unit " + std::to_string(row.unit) + ": " + c.what);
            XDisplay x;
            if (!running) {
                if (c.ends && c.line.empty() && !c.signal) {
                    if (!XDisplay::available()) continue; // Xvfb is not installed
                    ASSERT_TRUE(x.start());
                    platform = "xcb";
                }
                ASSERT_NO_FATAL_FAILURE(resume());
                platform = "offscreen";
                request("SETMACHINE " + row.keyword);
                ASSERT_EQ(fine("GETMACHINE"), row.keyword);
                fine("DEBUGGER \"" + row.saver.first + "440 44F p\"");
                running = true;
            }
            if (!c.before.empty()) fine(c.before);
            test_clear_printouts(projects(), screenshots());
            const std::string word = "SHEET" + std::to_string(++n);
            // The port answers once a frame: at full speed the pages print in
            // a fraction of the time.
            fine("TURBO ON");
            print_pages_on(row.machine, row.lines, word);

            std::string said;
            if (!c.line.empty()) {
                // A machine set up may warn of its missing ROM images.
                EXPECT_LE(send(c.line, &said), c.ends ? 0 : 5) << said;
            } else if (c.signal) {
                ASSERT_EQ(::kill(pid, c.signal), 0);
            } else {
                x.stop();
            }
            if (c.ends) {
                EXPECT_GE(wait_exit(), 0) << log();
                running = false;
            }

            // Two pages: their pictures and their text, of one printout.
            ASSERT_NO_FATAL_FAILURE(expect_two_pages(word, row.size));
            const std::string first =
                test_first_picture(fs::path(texts_saved().back()).stem().string());
            // Where they went is named: in QUIT's and SYS's reply, on the console.
            if (c.ends && !c.line.empty()) {
                EXPECT_NE(said.find("Saved on the way out: pages 1 to 2 of "), std::string::npos)
                    << said;
                EXPECT_NE(said.find(first + "\" to \""), std::string::npos) << said;
            }
            EXPECT_NE(log().find(first), std::string::npos);
            if (c.line.rfind("SETMACHINE", 0) == 0) {
                // The unit is chosen again on the machine that prints.
                quit();
                running = false;
            }
        }
        if (running) quit();
        EXPECT_EQ(n, std::size(clears) - (XDisplay::available() ? 0 : 1)) << row.keyword;
    }
    // The last session's sheet went at its way out; the autosave brings none
    // back to be saved again.
    test_clear_printouts(projects(), screenshots());
    ASSERT_NO_FATAL_FAILURE(resume());
    quit();
    EXPECT_TRUE(test_names_in(screenshots()).empty());
}

INSTANTIATE_TEST_SUITE_P(EveryPrinter, PrinterSheets, ::testing::Range(std::size_t{0}, std::size_t{5}));

// A load that does not happen (a corrupt object file, a program of another
// machine refused for a changed disk, which a switch would drop) leaves what
// runs printing on in its own printout: the page in progress is finished
// under its own number, the next page goes on under the same name and number,
// never a second printout.
TEST_F(PrinterPagesProgram, ALoadThatFailsLeavesThePrintoutWhole) {
    start_session();
    fine("DEBUGGER \"SAVEAOF 440 44F p\"");
    fine("OPEN " + (projects() / "p.aof").string()); // the first recent file, of PIPBUG
    request("SETMACHINE BINBUG");
    fine("OPEN " + put("blank.raw", test_blank_binbug_disk()));
    test_write_file(projects() / "notes.txt", "notes");
    fine("DEBUGGER INJECT notes.txt");
    test_write_file(projects() / "bad.aof", "this is no object file\n");
    test_clear_printouts(projects(), screenshots());

    const std::pair<const char*, std::string> loads[] = {
        {"a corrupt object file", "OPEN " + (projects() / "bad.aof").string()},
        {"a switch refused for a changed disk", "MENU PROJECT.RECENT1"},
    };
    std::vector<std::string> words = {"BEFORE"};
    print_line(words.back());
    std::string said;
    for (const auto& [what, line] : loads) {
        SCOPED_TRACE(what);
        EXPECT_EQ(send(line, &said), 10) << said;
        EXPECT_EQ(fine("GETMACHINE"), "BINBUG");
        words.push_back("AFTER" + std::to_string(words.size()));
        print_line(words.back());
    }
    send("QUIT", &said); // names the changed disk
    EXPECT_GE(wait_exit(), 0);

    const std::vector<std::string> printouts = texts_saved();
    ASSERT_EQ(printouts.size(), 1u) << said;
    const std::string text = test_read_file(projects() / printouts[0]);
    std::size_t at = 0;
    for (const std::string& word : words) {
        at = text.find(word + "\n", at);
        EXPECT_NE(at, std::string::npos) << word << " in " << text;
    }
    std::set<std::string> pages;
    const std::string first = test_first_picture(fs::path(printouts[0]).stem().string());
    for (std::size_t page = 1; page <= words.size(); page++)
        pages.insert(std::string(first).replace(first.rfind("-1"), 2, "-" + std::to_string(page)));
    EXPECT_EQ(test_names_in(screenshots()), pages);
}

// What a way out cannot save (the drawers read-only to an ordinary user) is
// kept beside the autosave and saved by the next start, both pages whole and
// numbered as any printout's, the reply saying so; with the autosave off
// the pages are kept all the same, in their own file beside it, and the
// reply names it. The next printout names the file that took its number,
// not one that is not there.
TEST_F(PrinterPagesProgram, WhatAWayOutCannotSaveIsKeptForTheNextStart) {
    if (!can_run_as_user())
        GTEST_SKIP() << "only the superuser can run the program as an ordinary user";
    struct Row {
        const char* autosave;
        const char* said; // after what is not saved
        bool back;        // the next start saves it
    };
    const std::string pages_file = (home.path() / "Games" / "AUTOSAVE.PAGES").string();
    const std::string kept_apart = "; kept in \"" + pages_file + "\" for the next start.";
    for (const Row& row : {Row{"true", "; the autosave keeps them for the next start.", true},
                           Row{"false", kept_apart.c_str(), true}}) {
        SCOPED_TRACE(std::string("autosave=") + row.autosave);
        prefix.clear();
        for (const char* kept : {"AUTOSAVE.COS", "AUTOSAVE.PAGES"})
            fs::remove(home.path() / "Games" / kept);
        start_session();
        quit();
        set_setting("autosave", row.autosave);
        test_clear_printouts(projects(), screenshots());
        ASSERT_EQ(std::system(("chown -R nobody:nogroup '" + home.path().string() + "'").c_str()),
                  0);
        prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        fs::permissions(screenshots(), fs::perms::owner_read | fs::perms::owner_exec);
        fs::permissions(projects(), fs::perms::owner_read | fs::perms::owner_exec);
        const std::string port = (home.path() / "brindlemox" / "E2E").string();
        std::string said;
        const auto as_user = [&](const std::string& line) {
            EXPECT_EQ(test_port_send_as_nobody(port, line, &said), 0) << line << ": " << said;
        };
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(wait_until([&] { return fs::exists(port); })) << log();
        as_user("SETMACHINE PIPBUG");
        std::vector<std::string> printing;
        for (const std::string& line : test_printing("KEPTA"))
            printing.push_back(line);
        for (int i = 0; i < 32; i++)
            printing.push_back("DEBUGGER \"WRITEPORT 19 0A\"");
        for (const std::string& line : test_printing("KEPTB"))
            printing.push_back(line);
        for (const std::string& line : printing)
            as_user(line);
        EXPECT_EQ(test_port_send_as_nobody(port, "QUIT", &said), 5) << said;
        EXPECT_NE(said.find(std::string("Printed pages not saved: pages 1 to 2 of the printer") +
                            row.said),
                  std::string::npos)
            << said;
        EXPECT_GE(wait_exit(), 0);
        EXPECT_TRUE(test_names_in(projects()).empty());

        fs::permissions(screenshots(), fs::perms::owner_all);
        fs::permissions(projects(), fs::perms::owner_all);
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(wait_until([&] { return fs::exists(port); })) << log();
        EXPECT_EQ(test_port_send_as_nobody(port, "QUIT", &said), 0) << said;
        EXPECT_GE(wait_exit(), 0);
        if (row.back) {
            ASSERT_NO_FATAL_FAILURE(expect_two_pages("KEPT", "228x384"));
            EXPECT_FALSE(fs::exists(home.path() / "Games" / "AUTOSAVE.PAGES"))
                << "once saved, they are not kept again";
        } else {
            EXPECT_TRUE(texts_saved().empty());
        }
        EXPECT_EQ(log().find("or another file of that name is there already"), std::string::npos);
    }
    prefix.clear();
}

namespace {

// The guest program that prints `pages` pages of `lines` lines on the
// printer of `machine` (the unit the settings choose), each line labelled
// with its number (two letters, "AA", "AB"...), then the line "ZZ" on the
// next page, and then sets the byte after it, where it waits: with
// the address of that byte. It runs at guest_origin(machine), in RAM, after
// the four bytes where the guest waits while it is written.
u32 guest_origin(u32 machine) {
    return machine == CD2650 ? 0x1504 : 0x444; // the CD2650's low 4 KiB are its ROM
}
std::pair<std::vector<u8>, u32> guest_printing(u32 machine, u32 pages, u32 lines) {
    // A character in R0 to the printer: the TWIN's line printer takes it on
    // port $EB at a print request on port $EA.
    const std::vector<u8> out = machine == TWIN
                                    ? std::vector<u8>{0xD4, 0xEB, 0x04, 0x02, 0xD4, 0xEA}
                                    : std::vector<u8>{0xD4, u8(machine == CD2650 ? 0xFC : 0x19)};
    const u8 end_line = machine == TWIN ? 0x0D : 0x0A;
    std::vector<u8> code = {0x76, 0x20, 0x07, 0x00, 0x05, u8(pages)}; // PPSU II; R3 = 0; R1 = pages
    const std::size_t page = code.size();
    code.insert(code.end(), {0x06, u8(lines)}); // R2 = lines
    const std::size_t line = code.size();
    const auto put = [&](std::initializer_list<u8> bytes) {
        code.insert(code.end(), bytes);
        code.insert(code.end(), out.begin(), out.end());
    };
    put({0x03, 0x50, 0x50, 0x50, 0x50, 0x44, 0x0F, 0x84, 0x41}); // 'A' + R3's high nibble
    put({0x03, 0x44, 0x0F, 0x84, 0x41});                         // 'A' + its low nibble
    put({0x04, end_line});
    code.insert(code.end(), {0x87, 0x01});                                  // R3 + 1
    code.insert(code.end(), {0xFA, u8((line - (code.size() + 2)) & 0x7F)}); // BDRR,R2
    code.insert(code.end(), {0xF9, u8((page - (code.size() + 2)) & 0x7F)}); // BDRR,R1
    put({0x04, 'Z'});
    put({0x04, 'Z'});
    put({0x04, end_line});
    const u32 done = guest_origin(machine) + static_cast<u32>(code.size()) + 7;
    code.insert(code.end(), {0x04, 0x5A, 0xCC, u8(done >> 8), u8(done), 0x1B, 0x7E}); // STRA; wait
    return {code, done};
}

// The text lines guest_printing prints, one printout's worth.
std::string guest_printed(u32 pages, u32 lines) {
    std::string text;
    for (u32 i = 0; i < pages * lines; i++)
        text += std::string{char('A' + (i >> 4 & 15)), char('A' + (i & 15)), '\n'};
    return text + "ZZ\n";
}

// A printout's text as its lines read, without the line printer's CRs and
// the empty lines.
std::string printed_lines(const std::string& text) {
    std::string lines, line;
    for (const char c : text) {
        if (c == '\r') continue;
        if (c != '\n') {
            line += c;
        } else if (!line.empty()) {
            lines += line + "\n";
            line.clear();
        }
    }
    return lines;
}

} // namespace

// Every page goes into the printout it was printed in, under its printer's
// name and paper, whatever fails in between: a picture or text folder that
// cannot be written (a print of more than 64 pages, whose pages are saved at
// once while it runs), a switch to other paper after a failed saving, a way
// out that writes no autosave (the autosave off, its folder read-only, the
// guest stopped at a breakpoint), a print saved in part at 64 pages. A
// failure while the guest prints is said in the port's next answer and never
// holds the port in a window; a failed saving writes no part of a page; each
// message counts the pages it names; the pages are kept whatever becomes of
// the autosave, and the next start saves them in their printouts, whole and
// in order. The printers and units are the machine table's.
namespace {

enum class Fails { pictures, texts, other_paper, autosave_off, games, breakpoint, at_64 };
struct Failure {
    const char* what;
    Fails fails;
    const char* read_only; // while the guest prints
    u32 pages;             // that fill
};
const Failure failures[] = {
    {"the picture folder read-only", Fails::pictures, "Screenshots", 65},
    {"the text folder read-only", Fails::texts, "Projects", 65},
    {"a switch to other paper", Fails::other_paper, "Screenshots", 2},
    {"the autosave off", Fails::autosave_off, "Screenshots", 2},
    {"the autosave's folder read-only", Fails::games, "Screenshots", 2},
    {"a way out at a breakpoint", Fails::breakpoint, "Screenshots", 2},
    {"saved at 64, then the picture folder read-only", Fails::at_64, "", 65},
};

// One failure on every printer and unit: a test of its own each, so that
// each stays well within a test's time on a busy host.
class PrinterPagesFailing : public PrinterPagesProgram,
                            public ::testing::WithParamInterface<std::size_t> {};

} // namespace

TEST_P(PrinterPagesFailing, EveryPageReachesItsPrintoutWhateverFails) {
    if (!can_run_as_user())
        GTEST_SKIP() << "only the superuser can run the program as an ordinary user";
    const std::vector<PrinterRow> rows = printer_rows();
    ASSERT_GE(rows.size(), 5u);
    const std::string port = (home.path() / "brindlemox" / "E2E").string();
    const auto as_user = [&](const std::vector<std::string>& lines) {
        return test_port_send_all_as_nobody(port, lines);
    };
    const auto start_as_user = [&] {
        prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(wait_until([&] { return fs::exists(port); })) << log();
    };
    const auto writable = [&](const char* folder, bool yes) {
        fs::permissions(home.path() / folder,
                        yes ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_exec);
    };
    // The guest of `machine` (set up by `keyword`) prints: the answers from
    // the start of its run to its end.
    const auto print = [&](const std::string& keyword, u32 machine, u32 pages, u32 lines,
                           bool stop_at_end) {
        const auto [code, done] = guest_printing(machine, pages, lines);
        // The guest waits in a loop of its own with interrupts off (PPSU II;
        // BCTR,UN $) while the program is written: running at full speed, the
        // port answers at once, where paused it answers at the pause's pace.
        const u32 wait = guest_origin(machine) - 4;
        std::vector<std::string> load = {"SETMACHINE " + keyword, "PAUSE"};
        char line[64];
        const u8 waiting[] = {0x76, 0x20, 0x1B, 0x7E};
        for (u32 i = 0; i < 4; i++) {
            std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%02X\"", wait + i, waiting[i]);
            load.push_back(line);
        }
        std::snprintf(line, sizeof line, "DEBUGGER \"J %X\"", wait);
        load.push_back(line);
        load.push_back("TURBO ON");
        load.push_back("DEBUGGER G");
        for (std::size_t i = 0; i < code.size(); i++) {
            std::snprintf(line, sizeof line, "DEBUGGER \"E $%zX $%02X\"", guest_origin(machine) + i,
                          code[i]);
            load.push_back(line);
        }
        std::snprintf(line, sizeof line, "DEBUGGER \"E $%X 0\"", done);
        load.push_back(line);
        if (stop_at_end) {
            std::snprintf(line, sizeof line, "DEBUGGER \"BP %X\"", done - 2);
            load.push_back(line);
        }
        const std::size_t set_up = load.size();
        std::snprintf(line, sizeof line, "DEBUGGER \"J %X\"", guest_origin(machine));
        load.push_back(line);
        // The port answers once a frame: a batch of looks at the byte spans
        // a few frames, and more follow until the guest set it.
        const std::vector<std::string> looks(40, "PEEK " + std::to_string(done));
        load.insert(load.end(), looks.begin(), looks.end());
        std::string answers;
        bool finished = false, held = false;
        // What of the load is not answered yet goes again first (a client
        // cut off on a busy host answers only part of its batch), then the looks.
        std::size_t next = 0; // the first line of the load not answered yet
        for (int batches = 0; batches < 200 && !finished && !held; batches++) {
            const auto replies = as_user(
                next < load.size() ? std::vector<std::string>(load.begin() + next, load.end()) : looks);
            for (const auto& [rc, said] : replies) {
                if (next < load.size()) {
                    const std::size_t line = next++;
                    if (line < set_up) {
                        EXPECT_LE(rc, line == 0 ? 5 : 0) << load[line] << ": " << said; // a missing ROM
                        continue;
                    }
                }
                answers += std::to_string(rc) + " " + said + "\n";
                finished =
                    finished || (said.size() >= 2 && said.compare(said.size() - 2, 2, "90") == 0);
                held = held || said == "A requester is open.\n";
            }
        }
        if (!held) {
            EXPECT_NE(answers.find("90\n"), std::string::npos)
                << "the guest did not finish printing; of the load " << next << " of " << load.size()
                << " lines were answered; the last answers:\n"
                << answers.substr(answers.size() > 300 ? answers.size() - 300 : 0);
        }
        return answers;
    };

    const Failure& f = failures[GetParam()];
    for (const PrinterRow& row : rows) {
        {
            SCOPED_TRACE(row.keyword + " unit " + std::to_string(row.unit) + ", " + f.what);
            prefix.clear();
            for (const fs::path& kept :
                 {home.path() / "Games" / "AUTOSAVE.COS", home.path() / "Games" / "AUTOSAVE.PAGES",
                  home.path() / "Configs" / "AUTOSAVE.PAGES"})
                fs::remove(kept);
            if (!fs::exists(home.path() / "Configs" / "Brindlemox.ini")) {
                start_session();
                quit();
            }
            set_setting("autosave", f.fails == Fails::autosave_off ? "false" : "true");
            set_setting("twin_printerunit", std::to_string(row.unit));
            test_clear_printouts(projects(), screenshots());
            ASSERT_EQ(
                std::system(("chown -R nobody:nogroup '" + home.path().string() + "'").c_str()), 0);
            if (f.read_only[0]) writable(f.read_only, false);
            if (f.fails == Fails::games) writable("Games", false);
            ASSERT_NO_FATAL_FAILURE(start_as_user());
            const std::string words = row.machine == TWIN
                                          ? " of printer unit " + std::to_string(row.unit + 1)
                                          : std::string(" of the printer");
            const std::string base =
                row.machine == TWIN ? "LPT" + std::to_string(row.unit + 1) : std::string("Printer");
            const std::string run =
                print(row.keyword, row.machine, f.pages, row.lines, f.fails == Fails::breakpoint);
            // A failure while it prints is said in the port's answers, which
            // no window holds.
            if (run.find("A requester is open") != std::string::npos) {
                ADD_FAILURE() << "a window holds the port: " << run;
                ::kill(pid, SIGKILL); // it would answer nothing else, QUIT included
                wait_exit();
                for (const char* folder : {"Screenshots", "Projects", "Games"})
                    writable(folder, true);
                continue;
            }
            if (f.pages > 64 && f.read_only[0]) {
                EXPECT_NE(run.find("5 Can't write to"), std::string::npos) << run;
                EXPECT_NE(run.find("Printed pages not saved: pages 1 to 64" + words +
                                   "; they wait on the printer"),
                          std::string::npos)
                    << run;
            }
            // A page is saved whole or not at all.
            if (f.fails == Fails::pictures) {
                EXPECT_TRUE(test_names_in(projects()).empty());
            }
            if (f.fails == Fails::texts) {
                EXPECT_TRUE(test_names_in(screenshots()).empty());
            }

            // The other paper: the TWIN's first unit, or the PIPBUG's.
            const u32 other = row.machine == TWIN ? PIPBUG : TWIN;
            const std::string other_words =
                other == TWIN ? " of printer unit 1" : std::string(" of the printer");
            const std::string other_base = other == TWIN ? "LPT1" : "Printer";
            if (f.fails == Fails::other_paper) {
                // Its set-up says that the first paper's pages are not saved.
                print(other == TWIN ? "TWIN" : "PIPBUG", other, 2, other == TWIN ? 117 : 32, false);
            }
            if (f.fails == Fails::at_64) writable("Screenshots", false);

            std::string said;
            EXPECT_EQ(test_port_send_as_nobody(port, "QUIT", &said), 5) << said;
            EXPECT_GE(wait_exit(), 0);
            const std::string last = std::to_string(f.pages + 1);
            const std::string kept_in = f.fails == Fails::games
                                            ? (home.path() / "Configs" / "AUTOSAVE.PAGES").string()
                                            : (home.path() / "Games" / "AUTOSAVE.PAGES").string();
            std::string unsaved = "Printed pages not saved: pages " +
                                  std::string(f.fails == Fails::at_64 ? "65" : "1") + " to " +
                                  last + words;
            if (f.fails == Fails::other_paper) {
                // Each printout's pages counted apart, named as its printer names them.
                const std::string mine = "pages 1 to 3" + words + " (printout \"" + base + "\")";
                const std::string theirs = "pages 1 to 3" + other_words;
                unsaved = "Printed pages not saved: " + (row.machine == TWIN && row.unit == 1
                                                             ? theirs + ", " + mine
                                                             : mine + ", " + theirs);
            }
            const bool autosave_kept = f.fails != Fails::autosave_off && f.fails != Fails::games &&
                                       f.fails != Fails::breakpoint;
            EXPECT_NE(
                said.find(unsaved + (autosave_kept
                                         ? "; the autosave keeps them for the next start."
                                         : "; kept in \"" + kept_in + "\" for the next start.")),
                std::string::npos)
                << said;
            if (f.fails == Fails::at_64) {
                EXPECT_NE(said.find("pages 1 to 64" + words + " saved while it printed as \""),
                          std::string::npos)
                    << said;
            }
            EXPECT_TRUE(fs::exists(kept_in));

            // The next start saves them, each printout whole and in order.
            for (const char* folder : {"Screenshots", "Projects", "Games"})
                writable(folder, true);
            ASSERT_NO_FATAL_FAILURE(start_as_user());
            EXPECT_EQ(test_port_send_as_nobody(port, "QUIT", &said), 0) << said;
            EXPECT_GE(wait_exit(), 0);
            prefix.clear();
            EXPECT_FALSE(fs::exists(kept_in)) << "once saved, they are not kept again";
            std::set<std::string> texts, pictures;
            const auto expect_printout = [&](const std::string& name, u32 pages, u32 lines) {
                texts.insert(name + ".txt");
                const std::string first = test_first_picture(name);
                for (u32 page = 1; page <= pages + 1; page++)
                    pictures.insert(std::string(first).replace(first.rfind("-1"), 2,
                                                               "-" + std::to_string(page)));
                EXPECT_EQ(printed_lines(test_read_file(projects() / (name + ".txt"))),
                          guest_printed(pages, lines))
                    << name;
            };
            expect_printout(base, f.fails == Fails::other_paper ? 2 : f.pages, row.lines);
            if (f.fails == Fails::other_paper)
                expect_printout(other_base, 2, other == TWIN ? 117 : 32);
            std::set<std::string> saved_texts;
            for (const std::string& text : texts_saved())
                saved_texts.insert(text);
            EXPECT_EQ(saved_texts, texts);
            EXPECT_EQ(test_names_in(screenshots()), pictures);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFailure, PrinterPagesFailing,
                         ::testing::Range(std::size_t{0}, std::size(failures)));

namespace {

// The port lines by which the guest of `machine` prints `text` as one line
// on its printer (the unit the settings choose), as print_on sends them.
std::vector<std::string> printing_on(u32 machine, const std::string& text) {
    if (machine == PIPBUG || machine == BINBUG) return test_printing(text);
    std::vector<std::string> lines;
    char line[48];
    for (char c : text + (machine == TWIN ? "\r" : "\r\n")) {
        std::snprintf(line, sizeof line, "DEBUGGER \"WRITEPORT %s %02X\"",
                      machine == TWIN ? "EB" : "FC", c);
        lines.push_back(line);
        if (machine == TWIN) lines.push_back("DEBUGGER \"WRITEPORT EA 02\"");
    }
    return lines;
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

} // namespace

// The machine going (a switch to another machine, Reinitialize) finishes the
// pages once: a saving that fails is tried once and said once, by one
// message that counts the pages left waiting on the printer, on every
// printer and unit of the machine table; the way out then saves them.
TEST_F(PrinterPagesProgram, AMachineThatGoesTriesItsPagesOnceAndCountsThem) {
    if (!can_run_as_user())
        GTEST_SKIP() << "only the superuser can run the program as an ordinary user";
    const std::vector<PrinterRow> rows = printer_rows();
    ASSERT_GE(rows.size(), 5u);
    start_session();
    quit();
    const std::string port = (home.path() / "brindlemox" / "E2E").string();
    for (const PrinterRow& row : rows) {
        const std::string other = row.machine == PIPBUG ? "TWIN" : "PIPBUG";
        for (const std::string& goes :
             {"SETMACHINE " + other, std::string("MENU PROJECT.REINITIALIZE")}) {
            SCOPED_TRACE(row.keyword + " unit " + std::to_string(row.unit) + ", " + goes);
            prefix.clear();
            for (const char* kept : {"AUTOSAVE.COS", "AUTOSAVE.PAGES"})
                fs::remove(home.path() / "Games" / kept);
            set_setting("twin_printerunit", std::to_string(row.unit));
            test_clear_printouts(projects(), screenshots());
            ASSERT_EQ(
                std::system(("chown -R nobody:nogroup '" + home.path().string() + "'").c_str()), 0);
            prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
            ASSERT_TRUE(start({"PORTNAME", "E2E"}));
            ASSERT_TRUE(wait_until([&] { return fs::exists(port); })) << log();
            std::vector<std::string> lines = {"SETMACHINE " + row.keyword};
            for (const std::string& line : printing_on(row.machine, "WAITS"))
                lines.push_back(line);
            const auto replies = test_port_send_all_as_nobody(port, lines);
            ASSERT_EQ(replies.size(), lines.size());
            for (std::size_t i = 1; i < replies.size(); i++)
                ASSERT_EQ(replies[i].first, 0) << lines[i] << ": " << replies[i].second;
            fs::permissions(screenshots(), fs::perms::owner_read | fs::perms::owner_exec);
            std::string said;
            EXPECT_EQ(test_port_send_as_nobody(port, goes, &said), 5) << said;
            EXPECT_EQ(count_of(said, "Can't write"), 1u) << said;
            const std::string words = row.machine == TWIN
                                          ? " of printer unit " + std::to_string(row.unit + 1)
                                          : std::string(" of the printer");
            EXPECT_EQ(count_of(said, "Printed pages not saved: page 1" + words +
                                         "; they wait on the printer"),
                      1u)
                << said;
            fs::permissions(screenshots(), fs::perms::owner_all);
            EXPECT_EQ(test_port_send_as_nobody(port, "QUIT", &said), 0) << said;
            EXPECT_GE(wait_exit(), 0);
            prefix.clear();
            std::string printed;
            for (const std::string& text : texts_saved())
                printed += test_read_file(projects() / text);
            EXPECT_EQ(count_of(printed, "WAITS"), 1u) << printed;
        }
    }
}

// However two files of kept pages come to be (beside the autosave and in
// the settings' folder: a way out could not remove the older one, its
// folder read-only), each page they keep comes back exactly once: saved
// once, in its printout, and neither file is left once all is saved.
TEST_F(PrinterPagesProgram, PagesKeptInTwoPlacesComeBackOnce) {
    if (!can_run_as_user())
        GTEST_SKIP() << "only the superuser can run the program as an ordinary user";
    const std::string port = (home.path() / "brindlemox" / "E2E").string();
    const auto writable = [&](const char* folder, bool yes) {
        fs::permissions(home.path() / folder,
                        yes ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_exec);
    };
    struct Way {
        const char* what;
        std::vector<std::vector<const char*>> runs; // each run's read-only folders
        std::vector<std::string> words;             // what each prints
    };
    const Way ways[] = {
        {"kept beside the autosave, then its folder read-only at the next start",
         {{"Screenshots"}, {"Games"}},
         {"ONE", ""}},
        {"kept beside the autosave, then its folder read-only as more cannot be saved",
         {{"Screenshots"}, {"Screenshots", "Games"}},
         {"ONE", "TWO"}},
        {"kept in the settings' folder, then beside the autosave, the first left",
         {{"Screenshots", "Games"}, {"Screenshots", "Configs"}},
         {"ONE", "TWO"}},
    };
    start_session();
    quit();
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        for (const fs::path& kept :
             {home.path() / "Games" / "AUTOSAVE.PAGES", home.path() / "Configs" / "AUTOSAVE.PAGES"})
            fs::remove(kept);
        test_clear_printouts(projects(), screenshots());
        ASSERT_EQ(std::system(("chown -R nobody:nogroup '" + home.path().string() + "'").c_str()),
                  0);
        for (std::size_t i = 0; i < way.runs.size(); i++) {
            for (const char* folder : {"Screenshots", "Projects", "Games", "Configs"})
                writable(folder, true);
            for (const char* folder : way.runs[i])
                writable(folder, false);
            prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
            ASSERT_TRUE(start({"PORTNAME", "E2E"}));
            ASSERT_TRUE(wait_until([&] { return fs::exists(port); })) << log();
            std::vector<std::string> lines = {"SETMACHINE PIPBUG"};
            if (!way.words[i].empty()) {
                for (const std::string& line : test_printing(way.words[i]))
                    lines.push_back(line);
                for (int f = 0; f < 32; f++)
                    lines.push_back("DEBUGGER \"WRITEPORT 19 0A\"");
            }
            lines.push_back("QUIT");
            EXPECT_EQ(test_port_send_all_as_nobody(port, lines).size(), lines.size());
            EXPECT_GE(wait_exit(), 0);
            prefix.clear();
        }
        for (const char* folder : {"Screenshots", "Projects", "Games", "Configs"})
            writable(folder, true);
        // Two starts with every folder writable: the first saves what is
        // kept, the second finds nothing more.
        for (int again = 0; again < 2; again++) {
            prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
            ASSERT_TRUE(start({"PORTNAME", "E2E"}));
            ASSERT_TRUE(wait_until([&] { return fs::exists(port); })) << log();
            std::string said;
            EXPECT_EQ(test_port_send_as_nobody(port, "QUIT", &said), 0) << said;
            EXPECT_GE(wait_exit(), 0);
            prefix.clear();
        }
        std::string printed;
        for (const std::string& text : texts_saved())
            printed += test_read_file(projects() / text);
        for (const std::string& word : way.words)
            if (!word.empty()) {
                EXPECT_EQ(count_of(printed, word + "\n"), 1u) << word << ": " << printed;
            }
        EXPECT_FALSE(fs::exists(home.path() / "Games" / "AUTOSAVE.PAGES"));
        EXPECT_FALSE(fs::exists(home.path() / "Configs" / "AUTOSAVE.PAGES"));
    }
}
