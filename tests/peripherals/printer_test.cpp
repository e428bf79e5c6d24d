// The dot-matrix printers: codes, wrapping, paper movement, perforation,
// page saving, the line printer and the ports that reach them.
#include "peripherals/printer.h"

#include "computers/pipbug.h"
#include "computers/pipbug_vdu.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "peripherals/device_link.h"
#include "peripherals/papertape.h"
#include "core/settings_vars.h"
#include "peripherals/printer_export.h"
#include "sound/effects.h"
#include "sound/sound_output.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct PageOut {
    int unit;
    u32 number;
    std::string text;
};
std::vector<PageOut> saved_pages, exported_texts;

class Printer : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        attach(PIPBUG);
        narrowprinter = 1;
        eachpage = 0;
        teletypesounds = 0;
        saved_pages.clear();
        exported_texts.clear();
        printer_page_out.picture = [](int unit, const PrinterPage& page) {
            saved_pages.push_back({unit, page.number, ""});
            return true;
        };
        printer_page_out.text = [](int unit, const PrinterPage& page) {
            exported_texts.push_back({unit, page.number, page.text});
            return true;
        };
        printer_setup_geometry();
    }
    void TearDown() override {
        printer_page_out = {printout_save_picture, printout_save_text};
        printer_kept_clear();
        fresh_state();
    }
    // The machine hands its devices their link as it wires itself.
    static void attach(u32 m) {
        machine = m;
        machine_bus_install();
    }
    static void print(const std::string& s, int seven_bit) {
        for (char c : s)
            printer_write_byte(static_cast<u8>(c), seven_bit);
    }
    static std::string line(int i) {
        return reinterpret_cast<const char*>(printer_units[0].text[i]);
    }
    static u8 dot(u32 x, u32 y, int unit = 0) {
        return printer_units[unit].page[x + y * printer_geometry.page_width];
    }
    // The glyph of `code` as drawn at x (narrow), 7 rows from `top`.
    static bool glyph_at(u8 code, u32 x, u32 top) {
        const u8* g = font5x7_glyph(code);
        for (u32 r = 0; r < 7; r++)
            for (u32 d = 0; d < 5; d++) {
                const u8 want = (g[r] & (0x10 >> d)) ? PRINTER_INK : PRINTER_PAPER;
                if (dot(x + d, top + r) != want) return false;
            }
        return true;
    }
};

TEST_F(Printer, EachPrinterTakesOnlyItsOwnCodes) {
    struct Case {
        u8 byte;
        int seven_bit;
        const char* text; // what the current line then holds
    };
    const Case cases[] = {
        {0x41, 0, ""},  {0x81, 0, "A"}, {0x60, 0, " "}, {0x9F, 0, "_"}, {0xA1, 0, ""},
        {0x40, 0, ""},  {0x40, 1, ""},  {0x00, 1, ""},  {0x41, 1, "A"}, {0xC1, 1, "A"},
        {0x61, 1, "A"}, {0x7B, 1, "["}, {0x0D, 1, ""},  {0x0D, 0, ""},  {0x7F, 1, ""},
    };
    for (const Case& c : cases) {
        printer_setup_geometry();
        printer_write_byte(c.byte, c.seven_bit);
        EXPECT_EQ(line(31), std::string(c.text) + "\n")
            << "byte " << int(c.byte) << " mode " << c.seven_bit;
        EXPECT_EQ(printer_units[0].carriage, *c.text ? 9u : 2u) << "byte " << int(c.byte);
    }
}

TEST_F(Printer, AGlyphIsDrawnAtTheHeadAndMovesUpWithThePaper) {
    printer_write_byte(0x81, 0); // EA "A"
    EXPECT_TRUE(glyph_at('A', 2, 374));
    printer_write_byte('\n', 1);
    EXPECT_TRUE(glyph_at('A', 2, 374 - 12));
    for (u32 x = 0; x < 228; x++)
        ASSERT_EQ(dot(x, 374), PRINTER_PAPER) << "fresh strip at " << x;
    EXPECT_EQ(line(30), "A\n");
    EXPECT_EQ(line(31), "\n");
    EXPECT_EQ(printer_units[0].lines_fed, 1u);
    EXPECT_EQ(printer_units[0].empty_lines, 30u);
}

TEST_F(Printer, WideCharactersDoubleEveryDot) {
    narrowprinter = 0;
    printer_write_byte('A', 1);
    const u8* g = font5x7_glyph('A');
    for (u32 r = 0; r < 7; r++)
        for (u32 d = 0; d < 5; d++) {
            const u8 want = (g[r] & (0x10 >> d)) ? PRINTER_INK : PRINTER_PAPER;
            EXPECT_EQ(dot(2 + 2 * d, 374 + r), want);
            EXPECT_EQ(dot(3 + 2 * d, 374 + r), want);
        }
    EXPECT_EQ(printer_units[0].carriage, 16u);
}

TEST_F(Printer, LinesWrapAtThePaperEdge) {
    struct Case {
        int narrow;
        u32 per_line;
    };
    for (const Case c : {Case{0, 16}, Case{1, 32}}) {
        narrowprinter = c.narrow;
        printer_setup_geometry();
        const std::string full(c.per_line, 'X');
        print(full, 1);
        EXPECT_EQ(printer_units[0].lines_fed, 0u) << "a full line has not fed yet";
        EXPECT_EQ(line(31), full + "\n");
        printer_write_byte('Y', 1);
        EXPECT_EQ(printer_units[0].lines_fed, 1u);
        EXPECT_EQ(line(30), full + "\n");
        EXPECT_EQ(line(31), "Y\n");
        EXPECT_EQ(printer_units[0].carriage, c.narrow ? 9u : 16u)
            << "the wrapped character starts the new line";
    }
}

TEST_F(Printer, TheLastLineOfAPageIsPerforatedAndTheNextFeedSavesIt) {
    eachpage = 1;
    printer_write_byte('A', 1);
    for (int i = 0; i < 30; i++)
        printer_line_feed();
    EXPECT_EQ(dot(0, 383), PRINTER_PAPER);
    printer_line_feed(); // the 31st: lines fed 31
    EXPECT_EQ(printer_units[0].lines_fed, 31u);
    for (u32 x = 0; x < 228; x++)
        ASSERT_EQ(dot(x, 383), x % 2 ? PRINTER_PAPER : PRINTER_INK) << x;
    EXPECT_TRUE(saved_pages.empty());
    const u32 page = printer_units[0].page_number;
    printer_line_feed();
    ASSERT_EQ(saved_pages.size(), 1u);
    ASSERT_EQ(exported_texts.size(), 1u);
    EXPECT_EQ(exported_texts[0].number, page);
    EXPECT_EQ(exported_texts[0].text.rfind("A\n", 0), 0u) << exported_texts[0].text;
    EXPECT_EQ(printer_units[0].page_number, page + 1);
    EXPECT_EQ(printer_units[0].lines_fed, 0u);
    EXPECT_EQ(dot(0, 383), PRINTER_PAPER) << "the new page's first line is not perforated";
}

// A page begun is saved, with "eachpage" off too (the sheet its only copy);
// nothing on a unit the machine lacks.
TEST_F(Printer, FlushSavesOnlyAPageThatHoldsSomething) {
    struct Case {
        u32 machine;
        int eachpage, unit;
        bool print;
        bool saved;
    };
    const Case cases[] = {
        {PIPBUG, 1, 0, true, true},   {PIPBUG, 0, 0, true, true},  {PIPBUG, 1, 0, false, false},
        {PIPBUG, 0, 0, false, false},
        {PIPBUG, 1, 1, true, false},  {BINBUG, 1, 0, true, true},  {CD2650, 1, 0, true, true},
        {ARCADIA, 1, 0, true, false},
    };
    for (const Case& c : cases) {
        attach(c.machine);
        eachpage = 0;
        printer_setup_geometry();
        saved_pages.clear();
        exported_texts.clear();
        eachpage = c.eachpage;
        if (c.print && c.unit == 0)
            print("ABC", 1);
        else if (c.print)
            printer_units[c.unit].column = 3; // as after three characters
        printer_flush(c.unit);
        EXPECT_EQ(saved_pages.size(), c.saved ? 1u : 0u) << "machine " << c.machine;
        if (c.saved) {
            ASSERT_EQ(exported_texts.size(), 1u);
            EXPECT_EQ(exported_texts[0].text, "ABC\n") << "the lines of the page alone";
        }
    }
}

TEST_F(Printer, EjectStartsAFreshPage) {
    print("HELLO\nHI", 1);
    const u32 page = printer_units[0].page_number;
    EXPECT_EQ(page, 1u) << "a machine's first page is page 1";
    printer_new_page(0);
    EXPECT_EQ(printer_units[0].page_number, page + 1);
    EXPECT_EQ(printer_units[0].lines_fed, 0u);
    EXPECT_EQ(printer_units[0].carriage, 2u);
    EXPECT_EQ(printer_units[0].column, 0u);
    printer_write_byte('A', 1);
    EXPECT_EQ(line(31), "A\n");
    for (int i = 0; i < 31; i++)
        EXPECT_EQ(line(i), "\n");
    EXPECT_EQ(dot(100, 0), PRINTER_INK);
    EXPECT_EQ(dot(100, 372), PRINTER_PAPER);
}

TEST_F(Printer, OnlyPrintedCharactersOtherThanSpaceSoundThePrinter) {
    teletypesounds = 1;
    snd_effect_table[4].data.assign(100, 20);
    const int voice = SND_FIRST_EFFECT + 4;
    printer_write_byte(' ', 1);
    EXPECT_FALSE(snd_voice_active[voice]);
    printer_write_byte('\n', 1);
    EXPECT_FALSE(snd_voice_active[voice]);
    printer_write_byte('A', 1);
    EXPECT_TRUE(snd_voice_active[voice]);
    snd_effect_table[4].data.clear();
}

TEST_F(Printer, ThePipbugPortsReachThePrinters) {
    ASSERT_TRUE(machine_switch(PIPBUG, 9, false, true, false));
    struct Case {
        u32 port;
        u8 value;
        i32 peripheral;
        u32 bios;
        const char* text;
    };
    const Case cases[] = {
        {25, 'A', 0, 2, "A\n"},  {25, 'A', 2, 2, "A\n"}, {257, 0x81, 0, 2, "A\n"},
        {257, 0x81, 1, 2, "\n"}, {257, 'A', 0, 2, "\n"}, {257, 0x81, 0, 3, "\n"},
    };
    for (const Case& c : cases) {
        pipbug_peripheral = c.peripheral;
        pipbug_bios = c.bios;
        printer_setup_geometry();
        pipbug_io_write(c.port, c.value);
        EXPECT_EQ(line(31), c.text) << "port " << c.port << " peripheral " << c.peripheral;
    }
}

TEST_F(Printer, TheTwinHasItsOwnPaperAndUnit) {
    twin_printerunit = 1;
    printer_setup_geometry();
    EXPECT_EQ(twin_printerunit, 0) << "other machines print on unit 0";
    attach(TWIN);
    twin_printerunit = 1;
    printer_setup_geometry();
    EXPECT_EQ(twin_printerunit, 1);
    EXPECT_EQ(printer_geometry.page_width, 982u);
    EXPECT_EQ(printer_geometry.lines_per_page, 117u);
    EXPECT_EQ(printer_units[1].carriage, 4u);
    EXPECT_EQ(dot(500, 1280, 1), TWIN_PAPER);
    EXPECT_EQ(dot(30, 1276, 1), PRINTER_PAPER) << "margin line";
    EXPECT_EQ(dot(30, 1277, 1), TWIN_PAPER);
}

TEST_F(Printer, ALongTwinLineWrapsBeforeItsEnd) {
    attach(TWIN);
    printer_setup_geometry();
    PrinterUnit& p = printer_units[0];
    for (u32 i = 0; i < 132; i++)
        p.line_buffer[i] = 'M';
    p.line_buffer_count = 132;
    twin_print_line();
    EXPECT_EQ(p.lines_fed, 2u) << "one wrap, then the end of the line";
    const std::string first = reinterpret_cast<const char*>(p.text[114]);
    const std::string second = reinterpret_cast<const char*>(p.text[115]);
    ASSERT_GE(first.size(), 2u);
    EXPECT_EQ(first.substr(first.size() - 2), "M\n");
    EXPECT_EQ(first.size() - 1 + second.size() - 1, 132u) << "every character kept once";
    EXPECT_LT(first.size() - 1, 132u);
    EXPECT_EQ(p.line_buffer_count, 0u);
}

TEST_F(Printer, TwinControlsCondenseAndElongate) {
    attach(TWIN);
    printer_setup_geometry();
    PrinterUnit& p = printer_units[0];
    // Condensed characters advance 7 dots, elongated condensed 14.
    p.line_buffer_count = 0;
    for (u8 c : std::string("\x12"
                            "AB\x0E"
                            "C"))
        p.line_buffer[p.line_buffer_count++] = c;
    twin_print_line();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.text[115])), "ABC\n");
    // The C was elongated: its leftmost dot column is doubled at 4 + 29 + 14.
    const u8* g = font5x7_glyph('C');
    const u32 x0 = 4 + 29 + 14, y = 1278 - 11; // one line feed up
    for (u32 r = 0; r < 7; r++) {
        const bool set = g[r] & 0x10;
        EXPECT_EQ(dot(x0, y + r), set ? 7 : TWIN_PAPER) << r;
        EXPECT_EQ(dot(x0 + 1, y + r), set ? 7 : TWIN_PAPER) << r;
    }
}

// Only the machines with printers or papertape units hand over a link; a
// switch away from one leaves none, and the paper follows the link.
TEST_F(Printer, EachMachineHandsItsDevicesTheirLink) {
    struct Want {
        u8 printers, tapes;
        bool line_printer;
    };
    const auto want = [](u32 m) {
        switch (m) {
        case PIPBUG:
        case BINBUG:
            return Want{1, 1, false};
        case CD2650:
            return Want{1, 0, false};
        case TWIN:
            return Want{2, 2, true};
        default:
            return Want{0, 0, false};
        }
    };
    for (u32 m : {u32{TWIN}, u32{ARCADIA}, u32{PIPBUG}, u32{TWIN}, u32{CD2650}, u32{BINBUG},
                  u32{ELEKTOR}, u32{PHUNSY}}) {
        twin_printerunit = 1;
        ASSERT_TRUE(machine_switch(static_cast<int>(m), machine_table[m].default_memmap, false,
                                   true, false));
        const Want w = want(m);
        EXPECT_EQ(device_link.printer_units, w.printers) << "machine " << m;
        EXPECT_EQ(device_link.papertape_units, w.tapes) << "machine " << m;
        EXPECT_EQ(device_link.line_printer, w.line_printer) << "machine " << m;
        EXPECT_EQ(device_link.glyph != nullptr, w.printers != 0) << "machine " << m;
        EXPECT_EQ(printer_geometry.page_width, w.line_printer ? 982u : 228u) << "machine " << m;
        EXPECT_EQ(twin_printerunit, w.printers == 2 ? 1 : 0) << "machine " << m;
        char title[100];
        papertape_title(title, sizeof title);
        EXPECT_STREQ(title, w.tapes == 2 ? "Papertape Units" : "Papertape Unit");
    }
}

TEST_F(Printer, TheDemonstrationLineIsThePangram) {
    printer_test_line();
    EXPECT_EQ(line(29), "THE QUICK BROWN FOX JUMPS OVER T\n");
    EXPECT_EQ(line(30), "HE LAZY DOG.\n");
    EXPECT_EQ(line(31), "\n");
}

} // namespace
