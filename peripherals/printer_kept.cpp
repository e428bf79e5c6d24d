#include "peripherals/printer_kept.h"

#include "peripherals/device_link.h"
#include "peripherals/printer.h"
#include "peripherals/printer_export.h"

#include <cstring>
#include <zlib.h>

namespace {

constexpr char MAGIC[8] = {'B', 'M', 'X', 'P', 'A', 'G', 'E', 'S'};
constexpr u32 VERSION = 1;
constexpr u32 MAX_NAME = 4096;
constexpr u32 MAX_PAGES = 1u << 20;

// The counters of a unit's sheet, in the order they are written.
u32* const sheet_fields[] = {
    &printer_units[0].page_number, &printer_units[0].column,      &printer_units[0].text_line,
    &printer_units[0].lines_fed,   &printer_units[0].empty_lines, &printer_units[0].carriage,
    &printer_units[0].page_lines,
};
constexpr std::size_t SHEET_FIELDS = sizeof sheet_fields / sizeof sheet_fields[0];

u32* sheet_field(int unit, std::size_t i) {
    const auto offset = reinterpret_cast<u8*>(sheet_fields[i]) -
                        reinterpret_cast<u8*>(&printer_units[0]);
    return reinterpret_cast<u32*>(reinterpret_cast<u8*>(&printer_units[unit]) + offset);
}

void put32(std::vector<u8>& o, u32 v) {
    for (int s = 24; s >= 0; s -= 8)
        o.push_back(static_cast<u8>(v >> s));
}
void put_bytes(std::vector<u8>& o, const void* data, std::size_t n) {
    put32(o, static_cast<u32>(n));
    const u8* b = static_cast<const u8*>(data);
    o.insert(o.end(), b, b + n);
}
void put_page(std::vector<u8>& o, const PrinterPage& page) {
    put32(o, page.number);
    put32(o, page.width);
    put32(o, page.height);
    put32(o, page.line_printer ? 1 : 0);
    // The dots deflated: a page is mostly paper.
    uLongf size = compressBound(static_cast<uLong>(page.dots.size()));
    std::vector<u8> packed(size);
    if (compress2(packed.data(), &size, page.dots.data(), static_cast<uLong>(page.dots.size()),
                  Z_BEST_SPEED) != Z_OK)
        size = 0; // read back as not whole: the file is not written
    packed.resize(size);
    put_bytes(o, packed.data(), packed.size());
    put_bytes(o, page.text.data(), page.text.size());
}

// Reads what put32 and put_bytes wrote; `ok` falls at the first short read.
struct Reader {
    const u8* at;
    const u8* end;
    bool ok = true;
    u32 get32() {
        if (end - at < 4) ok = false;
        if (!ok) return 0;
        const u32 v = static_cast<u32>(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
        at += 4;
        return v;
    }
    std::string bytes(u32 limit) {
        const u32 n = get32();
        if (!ok || n > limit || static_cast<std::size_t>(end - at) < n) {
            ok = false;
            return "";
        }
        std::string s(reinterpret_cast<const char*>(at), n);
        at += n;
        return s;
    }
    bool page(PrinterPage* page) {
        page->number = get32();
        page->width = get32();
        page->height = get32();
        const u32 line_printer = get32();
        if (!ok || page->width == 0 || page->height == 0 || page->width > PRINTER_MAX_WIDTH ||
            page->height > PRINTER_MAX_HEIGHT || line_printer > 1)
            return ok = false;
        page->line_printer = line_printer != 0;
        const std::size_t area = static_cast<std::size_t>(page->width) * page->height;
        const std::string packed = bytes(static_cast<u32>(compressBound(area)));
        page->dots.assign(area, PRINTER_PAPER);
        uLongf size = static_cast<uLongf>(area);
        if (ok && (uncompress(page->dots.data(), &size,
                              reinterpret_cast<const Bytef*>(packed.data()),
                              static_cast<uLong>(packed.size())) != Z_OK ||
                   size != area))
            ok = false;
        page->text = bytes(PRINTER_TEXT_LINES * PRINTER_TEXT_WIDTH);
        return ok;
    }
};

// What one unit brings back.
struct UnitKept {
    int unit = -1;
    std::string base;
    std::vector<PrinterPage> pages;
    bool has_sheet = false;
    PrinterPage sheet;
    u32 fields[SHEET_FIELDS] = {};
    std::string text; // the sheet's text lines, as the unit holds them
};

} // namespace

std::vector<u8> printer_kept_bytes() {
    std::vector<u8> o;
    for (int u = 0; u < PRINTER_UNITS; u++) {
        const PrinterUnit& p = printer_units[u];
        const bool sheet = p.unsaved != 0;
        if (printer_kept_count(u) == 0 && !sheet) continue;
        if (o.empty()) {
            for (const char c : MAGIC)
                o.push_back(static_cast<u8>(c));
            put32(o, VERSION);
        }
        put32(o, static_cast<u32>(u));
        const std::string base = printout_base(u);
        put_bytes(o, base.data(), base.size());
        put32(o, static_cast<u32>(printer_kept_count(u)));
        for (std::size_t i = 0; i < printer_kept_count(u); i++)
            put_page(o, printer_kept_page(u, i));
        put32(o, sheet ? 1 : 0);
        if (!sheet) continue;
        put_page(o, printer_sheet_page(u, 1));
        for (std::size_t i = 0; i < SHEET_FIELDS; i++)
            put32(o, *sheet_field(u, i));
        put_bytes(o, p.text, sizeof p.text);
    }
    return o;
}

bool printer_kept_restore(const u8* data, std::size_t size, std::string* why) {
    Reader r{data, data + size};
    if (size < sizeof MAGIC + 4 || std::memcmp(data, MAGIC, sizeof MAGIC) != 0) {
        *why = "not a file of kept printer pages";
        return false;
    }
    r.at += sizeof MAGIC;
    if (r.get32() != VERSION) {
        *why = "made by another version of Brindlemox";
        return false;
    }
    std::vector<UnitKept> units;
    while (r.ok && r.at < r.end) {
        UnitKept k;
        const u32 unit = r.get32();
        if (unit >= PRINTER_UNITS) r.ok = false;
        k.unit = static_cast<int>(unit);
        k.base = r.bytes(MAX_NAME);
        const u32 count = r.get32();
        if (count > MAX_PAGES) r.ok = false;
        for (u32 i = 0; r.ok && i < count; i++) {
            PrinterPage page;
            if (r.page(&page)) k.pages.push_back(std::move(page));
        }
        const u32 sheet = r.get32();
        if (sheet > 1) r.ok = false;
        k.has_sheet = r.ok && sheet == 1;
        if (k.has_sheet) {
            r.page(&k.sheet);
            for (u32& f : k.fields)
                f = r.get32();
            k.text = r.bytes(sizeof printer_units[0].text);
            if (k.text.size() != sizeof printer_units[0].text) r.ok = false;
        }
        if (r.ok) units.push_back(std::move(k));
    }
    if (!r.ok) {
        *why = "it is not whole";
        return false;
    }
    const PrinterGeometry& g = printer_geometry;
    for (UnitKept& k : units) {
        printer_units[k.unit].save_failed = 0; // tried again by the next finishing
        printout_resume(k.unit, k.base);
        for (const PrinterPage& page : k.pages)
            printer_keep_page(k.unit, page);
        if (!k.has_sheet) continue;
        PrinterUnit& p = printer_units[k.unit];
        // The sheet goes back on paper of its own size, as it was, unless
        // the paper there holds printing saved nowhere: then with the pages.
        const bool fits = k.sheet.width == g.page_width && k.sheet.height == g.page_height &&
                          k.sheet.line_printer == device_link.line_printer &&
                          k.unit < device_link.printer_units && !printer_sheet_pending(k.unit);
        if (!fits) {
            printer_keep_page(k.unit, k.sheet);
            continue;
        }
        std::memcpy(p.page, k.sheet.dots.data(), k.sheet.dots.size());
        for (std::size_t i = 0; i < SHEET_FIELDS; i++)
            *sheet_field(k.unit, i) = k.fields[i];
        std::memcpy(p.text, k.text.data(), sizeof p.text);
        for (auto& line : p.text)
            line[PRINTER_TEXT_WIDTH - 1] = 0;
        if (p.text_line >= PRINTER_TEXT_LINES) p.text_line = PRINTER_TEXT_LINES - 1;
        if (p.empty_lines >= PRINTER_TEXT_LINES) p.empty_lines = PRINTER_TEXT_LINES - 1;
        if (p.column + 3 > PRINTER_TEXT_WIDTH) p.column = 0;
        if (p.lines_fed >= g.lines_per_page) p.lines_fed = 0;
        if (p.page_lines >= g.lines_per_page) p.page_lines = g.lines_per_page - 1;
        if (p.carriage >= g.page_width) p.carriage = g.carriage_start;
        p.unsaved = 1;
        printer_view_serial++;
    }
    return true;
}
