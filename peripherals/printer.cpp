#include "peripherals/printer.h"

#include "core/message.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "peripherals/device_link.h"
#include "peripherals/printer_export.h"
#include "sound/effects.h"
#include "sound/voice_update.h"

#include <cctype>
#include <cstring>
#include <string>
#include <zlib.h>

PrinterUnit printer_units[PRINTER_UNITS];
PrinterGeometry printer_geometry = {228, 384, 32, 32, 2, 12, 228, 384, 0};
u32 printer_view_serial;
u32 printer_printout;
u32 printer_scroll_x, printer_scroll_y;
// Whether the paper on the units is the line printer's (printer_geometry's kind).
static bool paper_line_printer;
// A unit whose saving failed is tried again by printer_finish_pages only
// once it printed since, or when a way out or a set-up finishes everything
// (printer_finish_all): one warning for each.
static bool retry_due[PRINTER_UNITS];

constexpr int EFFECT_PRINTER = 4;
constexpr u8 LF = 10;
// The EA and 7-bit printers' head and paper strip.
constexpr u32 EA_WIDTH = 228, EA_HEAD_TOP = 374, EA_STRIP_TOP = 372, EA_LAST_ROW = 383;
// The TWIN's line printer.
constexpr u32 TWIN_STRIP_TOP = 1276, TWIN_LAST_ROW = 1286, TWIN_HEAD_TOP = 1278;
constexpr u32 TWIN_CARRIAGE_LIMIT = 928, TWIN_MARGIN = 29, TWIN_BUFFER_LIMIT = 132;
constexpr u8 RIBBON_INK[4] = {7, 3, 13, 6};

static const PrinterGeometry TWIN_GEOMETRY = {982, 1287, 132, 117, 4, 11, 512, 462, 825};
static const PrinterGeometry EA_GEOMETRY = {228, 384, 32, 32, 2, 12, 228, 384, 0};

// The pica font: every dot of the 5 x 7 glyph at twice its column, so a
// character is drawn with half-step dots across nine columns; the middle dots
// between two set neighbours are set too, as the head overlaps them. Built
// from the attached terminal's font, again when another font is attached.
static u16 pica_font[64][7];
static bool pica_ready;
static const u8* (*pica_source)(u8 code);

const u16* printer_pica_glyph(u8 code) {
    if (!pica_ready || pica_source != device_link.glyph) {
        for (int c = 0; c < 64; c++) {
            const u8* g = device_glyph(static_cast<u8>(0x20 + c));
            for (int r = 0; r < 7; r++) {
                u16 w = 0;
                for (int d = 0; d < 5; d++)
                    if (g[r] & (0x10 >> d)) w |= static_cast<u16>(0x100 >> (2 * d));
                for (int d = 0; d < 4; d++)
                    if ((g[r] & (0x10 >> d)) && (g[r] & (0x08 >> d)))
                        w |= static_cast<u16>(0x80 >> (2 * d));
                pica_font[c][r] = w;
            }
        }
        pica_ready = true;
        pica_source = device_link.glyph;
    }
    return code >= 0x20 && code <= 0x5F ? pica_font[code - 0x20] : pica_font[0];
}

static u32 current_unit() {
    return twin_printerunit == 1 ? 1 : 0;
}

static void view_changed() {
    printer_view_serial++;
}

// Text lines end in the host's line end, the TWIN's as any other printer's.
static void end_text_line(PrinterUnit& p) {
    u8* line = p.text[p.text_line];
    u32 c = p.column;
    if (c + 3 > PRINTER_TEXT_WIDTH) c = PRINTER_TEXT_WIDTH - 3;
    line[c++] = LF;
    line[c] = 0;
    p.column = 0;
}

// Keeps the current text line terminated after a character went into it.
static void put_text(PrinterUnit& p, u8 code) {
    p.unsaved = 1;
    retry_due[&p - printer_units] = true;
    if (p.column + 3 >= PRINTER_TEXT_WIDTH) return;
    u8* line = p.text[p.text_line];
    line[p.column++] = code;
    line[p.column] = LF;
    line[p.column + 1] = 0;
}

void printer_plot_dot(int unit, u32 x, u32 y, u8 colour) {
    if (unit < 0 || unit >= PRINTER_UNITS) return;
    const PrinterGeometry& g = printer_geometry;
    if (x >= g.page_width || y >= g.page_height) return;
    printer_units[unit].page[x + y * g.page_width] = colour;
}

static void fill_rows(int unit, u32 first, u32 last, u8 colour) {
    const u32 w = printer_geometry.page_width;
    std::memset(printer_units[unit].page + first * w, colour, (last - first + 1) * w);
}

void printer_end_marks() {
    if (printer_units[0].lines_fed != 31) return;
    for (u32 x = 0; x < EA_WIDTH; x += 2)
        printer_plot_dot(0, x, EA_LAST_ROW, PRINTER_INK);
}

void twin_paper_marks(int unit) {
    const PrinterUnit& p = printer_units[unit];
    if (p.lines_fed == 116)
        for (u32 x = 0; x < printer_geometry.page_width; x += 2)
            printer_plot_dot(unit, x, TWIN_LAST_ROW, PRINTER_PAPER);
    for (u32 y = TWIN_STRIP_TOP + (p.lines_fed & 1); y <= TWIN_LAST_ROW; y += 2) {
        printer_plot_dot(unit, 30, y, PRINTER_PAPER);
        printer_plot_dot(unit, 952, y, PRINTER_PAPER);
    }
    if (p.lines_fed % 3 == 1) {
        static constexpr int WIDTHS[11] = {3, 7, 9, 9, 11, 11, 11, 9, 9, 7, 3};
        for (u32 left : {10u, 961u})
            for (int r = 0; r < 11; r++)
                for (int d = 0; d < WIDTHS[r]; d++)
                    printer_plot_dot(unit, left + 5 - WIDTHS[r] / 2 + d, TWIN_STRIP_TOP + r,
                                     PRINTER_PAPER);
    }
}

namespace {
// A page that filled and is not saved yet: its dots deflated (a page is
// mostly paper), or as they are when deflating failed.
struct KeptPage {
    u32 printout; // the printout it was printed in
    u32 number, width, height;
    bool line_printer, packed;
    std::vector<u8> dots;
    std::string text;
};
std::vector<KeptPage> kept[PRINTER_UNITS];

bool unit_ok(int unit) {
    return unit >= 0 && unit < PRINTER_UNITS;
}

// A run of pages of one printout that one saving saved, and where their
// pictures and text went.
struct SavedRun {
    u32 printout = 0;
    std::vector<u32> pages;
    std::string first_picture, last_picture, text;
};
using SavedRuns = std::vector<SavedRun>;
// The pages each unit saved while the guest printed (at once, or with
// "eachpage" on) that no finishing named yet.
SavedRuns saved_in_run[PRINTER_UNITS];
} // namespace

PrinterPage printer_sheet_page(int unit, int page_only) {
    const PrinterGeometry& g = printer_geometry;
    PrinterPage page;
    page.number = printer_units[unit].page_number;
    page.width = g.page_width;
    page.height = g.page_height;
    page.line_printer = paper_line_printer;
    const u8* dots = printer_units[unit].page;
    page.dots.assign(dots, dots + static_cast<std::size_t>(g.page_width) * g.page_height);
    page.text = printer_unit_text(unit, page_only);
    page.printout = printout_id(unit);
    return page;
}

void printer_keep_page(int unit, const PrinterPage& page) {
    if (!unit_ok(unit)) return;
    KeptPage k{page.printout ? page.printout : printout_id(unit),
               page.number,
               page.width,
               page.height,
               page.line_printer,
               true,
               {},
               page.text};
    uLongf size = compressBound(static_cast<uLong>(page.dots.size()));
    k.dots.resize(size);
    if (compress2(k.dots.data(), &size, page.dots.data(), static_cast<uLong>(page.dots.size()),
                  Z_BEST_SPEED) == Z_OK) {
        k.dots.resize(size);
    } else {
        k.packed = false;
        k.dots = page.dots;
    }
    k.dots.shrink_to_fit();
    kept[unit].push_back(std::move(k));
}

std::size_t printer_kept_count(int unit) {
    return unit_ok(unit) ? kept[unit].size() : 0;
}

// One field of each page kept on `unit`, in order.
static std::vector<u32> kept_field(int unit, u32 KeptPage::*field) {
    std::vector<u32> values;
    if (unit_ok(unit))
        for (const KeptPage& k : kept[unit])
            values.push_back(k.*field);
    return values;
}

std::vector<u32> printer_kept_numbers(int unit) {
    return kept_field(unit, &KeptPage::number);
}

std::vector<u32> printer_kept_printouts(int unit) {
    return kept_field(unit, &KeptPage::printout);
}

PrinterPage printer_kept_page(int unit, std::size_t i) {
    const KeptPage& k = kept[unit][i];
    PrinterPage page;
    page.printout = k.printout;
    page.number = k.number;
    page.width = k.width;
    page.height = k.height;
    page.line_printer = k.line_printer;
    page.text = k.text;
    if (!k.packed) {
        page.dots = k.dots;
        return page;
    }
    page.dots.assign(static_cast<std::size_t>(k.width) * k.height, PRINTER_PAPER);
    uLongf size = static_cast<uLongf>(page.dots.size());
    uncompress(page.dots.data(), &size, k.dots.data(), static_cast<uLong>(k.dots.size()));
    return page;
}

void printer_kept_clear() {
    for (auto& list : kept)
        list.clear();
}

bool printer_sheet_pending(int unit) {
    if (!unit_ok(unit) || unit >= device_link.printer_units) return false;
    const PrinterUnit& p = printer_units[unit];
    return p.unsaved || (eachpage && (p.column != 0 || p.lines_fed != 0));
}

bool printer_page_pending(int unit) {
    return (unit_ok(unit) && !kept[unit].empty()) || printer_sheet_pending(unit);
}

// Saves `page` of `unit` whole, its picture and its text, or nothing of it:
// a picture whose text could not follow is taken back. A writer that could
// not save its part said why.
static bool save_one(int unit, const PrinterPage& page, SavedRuns* runs) {
    if (!printer_page_out.picture(unit, page)) return false;
    if (!printer_page_out.text(unit, page)) {
        printout_take_back_picture(unit, page);
        return false;
    }
    if (runs->empty() || runs->back().printout != page.printout) {
        runs->push_back({page.printout, {}, printout_picture_of(unit, page.printout, page.number),
                         "", ""});
    }
    SavedRun& run = runs->back();
    run.pages.push_back(page.number);
    run.last_picture = printout_picture_of(unit, page.printout, page.number);
    run.text = printout_text_of(unit, page.printout, page.number);
    return true;
}

// Saves what `unit` holds unsaved, in order: its kept pages, then the page
// on its sheet (unless `kept_only`). From the first that could not be saved
// on, everything stays as it is, to be saved later in the same order, and the
// unit is marked.
static bool flush_unit(int unit, SavedRuns* run, bool kept_only = false) {
    PrinterUnit& p = printer_units[unit];
    auto& list = kept[unit];
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < list.size()) {
        ok = save_one(unit, printer_kept_page(unit, done), run);
        if (ok) done++;
    }
    list.erase(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(done));
    if (ok && !kept_only && printer_sheet_pending(unit)) {
        ok = save_one(unit, printer_sheet_page(unit, 1), run);
        if (ok) p.unsaved = 0;
    }
    p.save_failed = ok ? 0 : 1;
    retry_due[unit] = ok;
    return ok;
}

void printer_flush(int unit) {
    SavedRuns run;
    if (printer_page_pending(unit)) flush_unit(unit, &run);
}

static std::string pages_finished;

const std::string& printer_pages_finished() {
    return pages_finished;
}

// "page 1 of the printer saved as \"/…/Printer-1.ilbm\" and \"/…/Printer.txt\"",
// or of several pages "pages 1 to 3 … as \"…-1.ilbm\" to \"…-3.ilbm\" and …",
// one clause for each printout; `when` (" while it printed") follows "saved".
static std::string saved_clause(int unit, const SavedRuns& runs, const char* when = "") {
    std::string said;
    for (const SavedRun& run : runs) {
        if (run.pages.empty() || run.first_picture.empty() || run.last_picture.empty() ||
            run.text.empty())
            continue;
        said += (said.empty() ? "" : "; ") + printout_pages_words(unit, run.printout, run.pages) +
                " saved" + when + " as \"" + run.first_picture + "\"" +
                (run.pages.size() > 1 ? " to \"" + run.last_picture + "\"" : "") + " and \"" +
                run.text + "\"";
    }
    return said;
}

static std::string capitalised(std::string text) {
    if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

// Saves the pages waiting on `unit` while the guest prints: what is saved and
// what fails is said where the user is, never in a window (a script may be
// waiting on the port).
static void save_in_run(int unit) {
    SavedRuns runs;
    bool ok;
    {
        const UiRunReports quietly;
        ok = flush_unit(unit, &runs, true);
    }
    if (const std::string saved = saved_clause(unit, runs); !saved.empty()) {
        const std::string line = capitalised(saved) + ".";
        con_printf("%s\n", line.c_str());
        ui_status_text(line.c_str());
        auto& named = saved_in_run[unit];
        named.insert(named.end(), runs.begin(), runs.end());
    }
    if (!ok)
        ui_report_in_run("Printed pages not saved: " + printer_pages_held(unit) +
                         "; they wait on the printer, to be saved with its next pages or on "
                         "the way out.");
}
void printer_finish_pages() {
    pages_finished.clear();
    for (int u = 0; u < PRINTER_UNITS; u++) {
        // The pages saved while the guest printed are named with the rest.
        if (const std::string saved = saved_clause(u, saved_in_run[u], " while it printed");
            !saved.empty())
            pages_finished += (pages_finished.empty() ? "" : "; ") + saved;
        saved_in_run[u].clear();
        PrinterUnit& p = printer_units[u];
        // A sheet that holds printing saved nowhere keeps its lines, also on
        // a unit the machine now has not (kept with its paper as that goes).
        if (p.save_failed && !retry_due[u] && (printer_page_pending(u) || p.unsaved)) continue;
        if (!printer_page_pending(u) && p.unsaved) continue;
        if (printer_page_pending(u)) {
            const bool sheet = printer_sheet_pending(u);
            SavedRuns runs;
            const bool ok = flush_unit(u, &runs);
            const std::string saved = saved_clause(u, runs);
            if (!saved.empty()) {
                con_printf("%s.\n", capitalised(saved).c_str());
                pages_finished += (pages_finished.empty() ? "" : "; ") + saved;
            }
            // What could not be saved stays whole: the sheet goes on as it is.
            if (!ok) continue;
            if (sheet) p.page_number++;
        }
        p.lines_fed = p.column = p.page_lines = 0;
    }
}

void printer_finish_all() {
    for (bool& due : retry_due)
        due = true;
    printer_finish_pages();
}

void printer_finish_leaving() {
    UiWarningsGathered gathered;
    printer_finish_all();
    bool failed = false;
    for (int u = 0; u < PRINTER_UNITS; u++)
        failed = failed || (printer_units[u].save_failed && printer_page_pending(u));
    if (!failed) return;
    // Why the saving failed and what it leaves, said once.
    const std::string said = gathered.take() + printer_pages_unsaved() +
                             "; they wait on the printer, to be saved with its next pages or on "
                             "the way out.";
    ui_warning(said.c_str());
}

std::string printer_pages_unsaved() {
    std::string list;
    for (int u = 0; u < PRINTER_UNITS; u++) {
        const PrinterUnit& p = printer_units[u];
        if (!p.save_failed || !printer_page_pending(u)) continue;
        list += (list.empty() ? "" : ", ") + printer_pages_held(u);
    }
    return list.empty() ? "" : "Printed pages not saved: " + list;
}

// The sheet of a unit whose saving failed, kept as a page with the paper
// it was printed on, before that paper goes.
static void keep_sheet(int unit) {
    if (!printer_units[unit].unsaved) return;
    printer_keep_page(unit, printer_sheet_page(unit, 1));
    printer_units[unit].unsaved = 0;
}

static void clear_text(PrinterUnit& p) {
    for (auto& line : p.text) {
        line[0] = LF;
        line[1] = 0;
    }
}

// Fresh paper on `unit` under the next page number, what was on it saved or kept.
static void fresh_sheet(int unit) {
    const PrinterGeometry& g = printer_geometry;
    PrinterUnit& p = printer_units[unit];
    p.page_number++;
    p.lines_fed = p.page_lines = p.unsaved = 0;
    p.empty_lines = p.text_line = g.lines_per_page - 1;
    // A fresh sheet starts with the head at the left of an empty line.
    p.column = 0;
    p.carriage = g.carriage_start;
    if (device_link.line_printer) {
        fill_rows(unit, 0, TWIN_STRIP_TOP - 1, PRINTER_INK);
        fill_rows(unit, TWIN_STRIP_TOP, TWIN_LAST_ROW, TWIN_PAPER);
        twin_paper_marks(unit);
    } else {
        fill_rows(unit, 0, EA_STRIP_TOP - 1, PRINTER_INK);
        fill_rows(unit, EA_STRIP_TOP, EA_LAST_ROW, PRINTER_PAPER);
        if (unit == 0) printer_end_marks();
    }
    clear_text(p);
    view_changed();
}

void printer_new_page(int unit) {
    if (unit < 0 || unit >= PRINTER_UNITS) return;
    printer_flush(unit);
    // A sheet that could not be saved goes with the kept pages, not lost.
    if (printer_units[unit].save_failed) keep_sheet(unit);
    fresh_sheet(unit);
}

void printer_line_feed() {
    const int unit = static_cast<int>(current_unit());
    const PrinterGeometry& g = printer_geometry;
    PrinterUnit& p = printer_units[unit];
    if (p.lines_fed == g.lines_per_page - 1) {
        // The page filled: it is kept as it stands before the paper moves on,
        // and saved at once with "eachpage" on (or once enough wait), else
        // when the pages are finished.
        printer_keep_page(unit, printer_sheet_page(unit, 1));
        p.unsaved = 0;
        // A unit whose saving failed tries again once as many more wait.
        const std::size_t waiting = kept[unit].size();
        if ((eachpage && !p.save_failed) ||
            (waiting >= PRINTER_KEPT_AT_ONCE && waiting % PRINTER_KEPT_AT_ONCE == 0))
            save_in_run(unit);
        p.page_lines = 0;
        p.page_number++;
        p.lines_fed = 0;
    } else {
        p.lines_fed++;
        if (p.page_lines < g.lines_per_page - 1) p.page_lines++;
    }
    const u32 w = g.page_width;
    std::memmove(p.page, p.page + g.line_step * w, (g.page_height - g.line_step) * w);
    if (device_link.line_printer) {
        fill_rows(unit, TWIN_STRIP_TOP, TWIN_LAST_ROW, TWIN_PAPER);
        twin_paper_marks(unit);
    } else {
        fill_rows(unit, EA_STRIP_TOP, EA_LAST_ROW, PRINTER_PAPER);
        if (unit == 0) printer_end_marks();
    }
    for (u32 i = 0; i + 1 < g.lines_per_page; i++)
        std::memcpy(p.text[i], p.text[i + 1], g.line_length + 3);
    p.text[p.text_line][0] = LF;
    p.text[p.text_line][1] = 0;
    if (p.empty_lines > 0) p.empty_lines--;
    view_changed();
}

// The EA code of a byte, or -1 when the EA printer ignores it.
static int ea_code(u8 byte) {
    if (byte < 0x20) return byte;
    if (byte >= 0x60 && byte <= 0x9F) return byte - 0x40;
    return -1;
}

// The 7-bit printer has glyphs only for $20-$5F: $60-$7E print as their
// upper-case counterparts, DEL is a control.
static int ascii_code(u8 byte) {
    const int code = byte & 0x7F;
    if (code == 0x7F) return 0;
    return code >= 0x60 ? code - 0x20 : code;
}

void printer_write_byte(u8 byte, int seven_bit) {
    if (byte == 0 || byte == 0x40) return;
    const int code = seven_bit ? ascii_code(byte) : ea_code(byte);
    if (code < 0) return;
    PrinterUnit& p = printer_units[0];
    const u32 advance = narrowprinter ? 7 : 14;
    if (code == LF || p.carriage + advance >= EA_WIDTH) {
        p.carriage = printer_geometry.carriage_start;
        end_text_line(p);
        if (p.text_line < 31) p.text_line++;
        printer_line_feed();
    }
    if (code < 0x20) return;
    put_text(p, static_cast<u8>(code));
    const u8* glyph = device_glyph(static_cast<u8>(code));
    for (u32 r = 0; r < 7; r++)
        for (u32 d = 0; d < 5; d++) {
            const bool set = glyph[r] & (0x10 >> d);
            const u32 y = EA_HEAD_TOP + r;
            if (narrowprinter) {
                const u32 x = p.carriage + d;
                printer_plot_dot(0, x, y, set && x < EA_WIDTH ? PRINTER_INK : PRINTER_PAPER);
            } else {
                const u32 x = p.carriage + 2 * d;
                const u8 c = set && x + 1 < EA_WIDTH ? PRINTER_INK : PRINTER_PAPER;
                printer_plot_dot(0, x, y, c);
                printer_plot_dot(0, x + 1, y, c);
            }
        }
    p.carriage += advance;
    if (teletypesounds && code != ' ') snd_play_effect(EFFECT_PRINTER);
    view_changed();
}

// Draws one TWIN glyph at the head.
static void twin_glyph(int unit, u32 x0, u8 code, bool condensed, bool elongated, u8 ink) {
    const u8* small = device_glyph(code);
    const u16* pica = printer_pica_glyph(code);
    const u32 dots = condensed ? 5 : 9;
    for (u32 r = 0; r < 7; r++)
        for (u32 d = 0; d < dots; d++) {
            const bool set = condensed ? (small[r] & (0x10 >> d)) : (pica[r] & (0x100 >> d));
            const u8 c = set ? ink : TWIN_PAPER;
            const u32 y = TWIN_HEAD_TOP + r;
            if (elongated) {
                printer_plot_dot(unit, x0 + 2 * d, y, c);
                printer_plot_dot(unit, x0 + 2 * d + 1, y, c);
            } else {
                printer_plot_dot(unit, x0 + d, y, c);
            }
        }
}

void twin_print_line() {
    const int unit = static_cast<int>(current_unit());
    PrinterUnit& p = printer_units[unit];
    const u8 ink = RIBBON_INK[p.ribbon & 3];
    bool condensed = p.condensed != 0, elongate_rest = false, bell = false;
    u32 normal = 0, elongated_count = 0;
    const u32 count =
        p.line_buffer_count > TWIN_BUFFER_LIMIT ? TWIN_BUFFER_LIMIT : p.line_buffer_count;
    for (u32 i = 0; i < count; i++) {
        u8 ch = p.line_buffer[i];
        bool elongated = elongate_rest;
        if (ch & 0x80) {
            ch &= 0x7F;
            p.line_buffer[i] = ch;
            elongated = true;
        }
        if (ch < 0x20) {
            if (ch == 7) bell = true;
            if (ch == 14) elongate_rest = true;
            if (ch == 18) condensed = !condensed;
            continue;
        }
        if (ch >= 0x60) ch = static_cast<u8>(ch - 0x20);
        const u32 advance = (condensed ? 7u : 11u) * (elongated ? 2u : 1u);
        if (p.carriage + advance > TWIN_CARRIAGE_LIMIT) {
            end_text_line(p);
            p.carriage = printer_geometry.carriage_start;
            printer_line_feed();
        }
        put_text(p, ch); // on the line the character is printed on
        twin_glyph(unit, p.carriage + TWIN_MARGIN, ch, condensed, elongated, ink);
        p.carriage += advance;
        if (!condensed) {
            bool extra = false;
            if (elongated) {
                elongated_count++;
                extra = true;
            } else if (++normal % 2 == 1) {
                extra = true;
            }
            if (extra) {
                p.carriage++;
                if ((2 * normal + elongated_count) % 10 == 0) p.carriage++;
            }
        }
    }
    if (p.carriage > printer_geometry.carriage_start) {
        end_text_line(p);
        p.carriage = printer_geometry.carriage_start;
        printer_line_feed();
    }
    if (teletypesounds) snd_play_effect(EFFECT_PRINTER);
    if (bell) snd_start_beep(1);
    p.column = 0;
    if (p.text_line <= 115) p.text_line++;
    p.line_buffer_count = 0;
    view_changed();
}

void printer_test_line() {
    for (const char* s = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG.\r\n"; *s; s++)
        printer_write_byte(static_cast<u8>(*s), 1);
}

void printer_test_page() {
    std::string charset;
    for (int c = 0x20; c <= 0x39; c++)
        charset += static_cast<char>(c);
    charset += '0';
    for (int c = 0x3A; c <= 0x5F; c++)
        charset += static_cast<char>(c);
    const std::string lines[8] = {
        "DEFAULT CONDENSATION, UNELONGATED:",
        charset,
        "\x0E"
        "DEFAULT CONDENSATION, ELONGATED:",
        "\x0E" + charset,
        "\x12"
        "ALTERNATE CONDENSATION, UNELONGATED:",
        "\x12" + charset,
        "\x12\x0E"
        "ALTERNATE CONDENSATION, ELONGATED:",
        "\x12\x0E" + charset,
    };
    PrinterUnit& p = printer_units[current_unit()];
    for (const std::string& line : lines) {
        const std::string buffered = line + "\r";
        u32 n = 0;
        for (char c : buffered)
            if (n < TWIN_BUFFER_LIMIT) p.line_buffer[n++] = static_cast<u8>(c);
        p.line_buffer[n] = 0;
        p.line_buffer_count = n;
        twin_print_line();
    }
}

void printer_begin_printout() {
    printer_finish_pages();
    printer_printout++;
    std::vector<u32> waiting;
    for (int u = 0; u < PRINTER_UNITS; u++) {
        const std::vector<u32> ids = printer_kept_printouts(u);
        waiting.insert(waiting.end(), ids.begin(), ids.end());
    }
    printout_begin(waiting);
    for (int u = 0; u < PRINTER_UNITS; u++) {
        // A sheet that could not be saved is the only copy of its printing.
        if (printer_units[u].save_failed && printer_sheet_pending(u)) continue;
        printer_units[u].page_number = printer_units[u].line_buffer_count = 0;
        // The finishing above tried every unit that was due: one that failed
        // is not tried again (and warned again) for the fresh paper.
        fresh_sheet(u);
    }
}

void printer_setup_geometry() {
    // A page in progress goes under its own number, on the paper it was printed on.
    printer_finish_pages();
    const PrinterGeometry& paper = device_link.line_printer ? TWIN_GEOMETRY : EA_GEOMETRY;
    // A sheet that could not be saved cannot stay on paper of another size:
    // it is kept as a page of its own paper.
    if (paper.page_width != printer_geometry.page_width ||
        paper.page_height != printer_geometry.page_height)
        for (int u = 0; u < PRINTER_UNITS; u++)
            if (printer_units[u].save_failed) keep_sheet(u);
    printer_geometry = paper;
    paper_line_printer = device_link.line_printer;
    printer_scroll_x = 0;
    printer_scroll_y = printer_geometry.view_top;
    if (device_link.printer_units < 2) twin_printerunit = 0;
    for (int u = 0; u < PRINTER_UNITS; u++) {
        PrinterUnit& p = printer_units[u];
        p.line_step = printer_geometry.line_step;
        p.ribbon = static_cast<u32>(twin_ribbon[u] & 3);
        p.condensed = twin_condensed[u] ? 1 : 0;
    }
    printer_begin_printout();
}
