// The emulated dot-matrix printers of the monitor-ROM computers.
//
// Two printer units keep their paper as a picture (one colour index per dot)
// and as text. Three kinds of printer feed them: the EA printer (a byte
// printer with its own 64-character code) and the 7-bit ASCII printer always
// print on unit 0 of a 228-dot paper; the TWIN's line printer prints a whole
// buffered line at once on the unit "twin_printerunit" chooses, 982 dots wide,
// with condensed and elongated characters.
//
// The print head sits at the bottom of the page picture: a line feed moves
// every row up by the line step and clears a fresh strip at the bottom.
//
//   printer_setup_geometry();            // at every machine set-up
//   printer_write_byte(0x81, 0);         // an "A" on the EA printer
//   printer_write_byte('\n', 1);         // a line feed on the 7-bit printer
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

constexpr int PRINTER_UNITS = 2;
constexpr int PRINTER_MAX_WIDTH = 982, PRINTER_MAX_HEIGHT = 1287;
constexpr int PRINTER_TEXT_LINES = 117, PRINTER_TEXT_WIDTH = 135;
constexpr int PRINTER_LINE_BUFFER = 133; // TWIN: at most 132 characters and a zero

// Colour indices on the paper.
constexpr u8 PRINTER_INK = 7;   // EA and 7-bit ink; the sheet above the paper
constexpr u8 PRINTER_PAPER = 8; // EA and 7-bit paper; TWIN margin marks and perforation
constexpr u8 TWIN_PAPER = 0;

struct PrinterUnit {
    u32 condensed;         // TWIN: alternate condensation at the start of each line
    u32 page_number;       // rises at every new page and whenever a page fills
    u32 column;            // characters in the current text line
    u32 text_line;         // index of the current text line
    u32 line_buffer_count; // TWIN: characters waiting in the line buffer
    u32 ribbon;            // TWIN: ribbon colour 0..3
    u32 lines_fed;         // line feeds on this page
    u32 empty_lines;       // text lines still empty since the page began
    u32 carriage;          // x of the print head in dots
    u32 line_step;         // rows the paper moves per line feed
    // Line feeds since the page on the sheet began (fresh paper, or the page
    // before it finished or filled while pages are saved as they fill): the
    // lines a saving of the page takes.
    u32 page_lines;
    // Set by every character printed, cleared once the page is saved: the
    // sheet holds printing that is saved nowhere.
    u32 unsaved;
    // Set when the page's last saving failed (the warning said why): the
    // sheet stays on the paper, its only copy, until it is ejected.
    u32 save_failed;
    u8 text[PRINTER_TEXT_LINES][PRINTER_TEXT_WIDTH]; // each line ends in LF and a zero
    u8 line_buffer[PRINTER_LINE_BUFFER];
    u8 page[PRINTER_MAX_WIDTH * PRINTER_MAX_HEIGHT]; // dot x, y at x + y * page_width
};
extern PrinterUnit printer_units[PRINTER_UNITS];

// The paper of the attached machine (printer_setup_geometry, device_link).
struct PrinterGeometry {
    u32 page_width, page_height; // dots, rows
    u32 line_length;             // characters per text line
    u32 lines_per_page;
    u32 carriage_start;
    u32 line_step;
    u32 view_width, view_height, view_top; // the part of the page the window shows
};
extern PrinterGeometry printer_geometry;

// The page column and row shown at the view's top-left corner; the geometry
// set-up puts them at the left and at view_top (the TWIN: the page's bottom).
extern u32 printer_scroll_x, printer_scroll_y;

// Bumped whenever the part of a page the printer window shows may have
// changed; the window redraws when it differs from what it drew last.
extern u32 printer_view_serial;

// Counts the printouts: each one begun (printer_begin_printout) on both
// units, whose pages and text are named apart from every earlier printout's.
extern u32 printer_printout;

// A page as its saving takes it: its number, the dots of its paper (a page
// kept from paper of another size keeps its own) and its text lines.
struct PrinterPage {
    u32 number = 0;
    u32 width = 0, height = 0;
    bool line_printer = false;
    std::vector<u8> dots; // dot x, y at x + y * width
    std::string text;
    // The printout it was printed in (printout_id), where it is saved; 0:
    // the one its unit prints when it is kept.
    u32 printout = 0;
};
// The sheet of `unit` as it stands, as a page (`page_only`: the text lines
// of the page alone, else every line on the sheet).
PrinterPage printer_sheet_page(int unit, int page_only);

// A page that filled is kept, compressed, until it is saved: at once with
// "eachpage" on, else when the pages are finished, flushed or ejected, and
// once PRINTER_KEPT_AT_ONCE of them wait. A unit whose saving failed keeps
// them all, in order, with its sheet, each page with its printout. What is
// saved while the guest prints is named on the console and the status line,
// and what fails then too and in the port's next answer: never in a window.
constexpr std::size_t PRINTER_KEPT_AT_ONCE = 64;
std::size_t printer_kept_count(int unit);
// The page numbers of the kept pages of `unit`, in order.
std::vector<u32> printer_kept_numbers(int unit);
// The printouts the kept pages of `unit` were printed in, in order.
std::vector<u32> printer_kept_printouts(int unit);
// Kept page `i` of `unit` as a page.
PrinterPage printer_kept_page(int unit, std::size_t i);
// Puts `page` after the kept pages of `unit` (one a start brings back).
void printer_keep_page(int unit, const PrinterPage& page);
// Test support: forgets every kept page, as a fresh process starts (the
// tests reset the printers between cases; the program never drops a page).
void printer_kept_clear();

// A byte from the guest: seven_bit 0 = EA printer, 1 = 7-bit printer.
void printer_write_byte(u8 byte, int seven_bit);
// Feeds the current unit (twin_printerunit) by one line.
void printer_line_feed();
// Ejects and starts a fresh page (the page number rises).
void printer_new_page(int unit);
// Saves the page as picture and text when the machine has that unit and the
// page holds anything: with "eachpage" on a page begun, whatever it holds; with
// it off, printing that is saved nowhere (the sheet is then its only copy).
void printer_flush(int unit);
// Whether unit `unit` has a page that printer_flush would save: a kept page,
// or the sheet.
bool printer_page_pending(int unit);
// Whether the sheet of `unit` itself holds what printer_flush would save.
bool printer_sheet_pending(int unit);
// What the units hold whose saving failed (their kept pages and sheet), one
// clause ("Printed pages not saved: pages 1 to 3 of the printer"); "" when
// nothing.
std::string printer_pages_unsaved();
// Flushes both units and leaves each page saved as ejected (the next line
// starts the next page number), so that a page is saved once, under its own
// number, before a load or a machine set-up starts afresh or the program
// ends; the console names where each went (printer_pages_finished).
void printer_finish_pages();
// printer_finish_pages with every unit whose saving failed tried again (a
// unit that failed is otherwise tried again only once it printed since): the
// held things' "printer pages" finish, at every way out and set-up.
void printer_finish_all();
// printer_finish_all as the machine goes (a switch, Reinitialize, a load):
// a unit that could not save is named with its pages, once, after why.
void printer_finish_leaving();
// Where the pages the last printer_finish_pages saved went, one clause
// ("page 1 of the printer saved as \"/…/Printer-1.ilbm\" and \"/…/Printer.txt\""),
// "" when it saved none.
const std::string& printer_pages_finished();
// Begins a new printout on both units: the pages in progress finished under
// the printout they belong to, then fresh paper from page 1, the new printout
// named after what runs now. Every set-up of the paper and every load that
// finishes the pages (the loader) begins one. A sheet whose saving failed
// (the warning said why) stays on the paper, the only copy of it.
void printer_begin_printout();
// The paper of the attached machine on both units, with a new printout.
void printer_setup_geometry();
// Stores a colour index in the page (dots outside the page are ignored).
void printer_plot_dot(int unit, u32 x, u32 y, u8 colour);
// Prints the TWIN line buffer of the current unit.
void twin_print_line();
// The "Demonstrate" button: a test line on the 7-bit printer, or a test page
// through the TWIN line printer.
void printer_test_line();
void printer_test_page();
// The TWIN's tractor-feed marks on the fresh paper row.
void twin_paper_marks(int unit);
// The EA paper's perforation on the last line.
void printer_end_marks();

// The glyph of code $20-$5F in the TWIN's 9 x 7 pica font: one word per row,
// bit 8 the leftmost dot.
const u16* printer_pica_glyph(u8 code);
