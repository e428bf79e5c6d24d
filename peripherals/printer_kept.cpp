#include "peripherals/printer_kept.h"

#include "peripherals/device_link.h"
#include "peripherals/printer.h"
#include "peripherals/printer_export.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace {

constexpr char MAGIC[8] = {'B', 'M', 'X', 'P', 'A', 'G', 'E', 'S'};
// 1: one printout a unit, named; 2: each page with its printout, the
// printouts with their numbers and files; 3: as 2, after the file's
// generation (the newest of several such files holds what is kept).
constexpr u32 VERSION = 3, VERSION_UNRANKED = 2, VERSION_ONE_PRINTOUT = 1;
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

void put64(std::vector<u8>& o, u64 v) {
    put32(o, static_cast<u32>(v >> 32));
    put32(o, static_cast<u32>(v));
}
void put_string(std::vector<u8>& o, const std::string& s) {
    put_bytes(o, s.data(), s.size());
}
void put_identity(std::vector<u8>& o, const PrintoutRecord::Identity& id) {
    for (const u64 v : {id.device, id.inode, id.size, id.written_ns})
        put64(o, v);
}
void put_printout(std::vector<u8>& o, const PrintoutRecord& r) {
    put_string(o, r.base);
    put32(o, r.units);
    put32(o, r.number);
    put_string(o, r.earlier);
    put_string(o, r.text_file);
    put32(o, r.text_check);
    put64(o, r.text_size);
    put_identity(o, r.text_identity);
    put32(o, r.text_page);
    put64(o, r.page_text_from);
    put_string(o, r.picture_file);
    put32(o, r.picture_page);
    put32(o, r.picture_kind);
    put_identity(o, r.picture_identity);
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
    u64 get64() {
        const u64 high = get32();
        return high << 32 | get32();
    }
    void identity(PrintoutRecord::Identity* id) {
        id->device = get64();
        id->inode = get64();
        id->size = get64();
        id->written_ns = get64();
    }
    PrintoutRecord printout() {
        PrintoutRecord r;
        r.base = bytes(MAX_NAME);
        r.units = get32();
        r.number = get32();
        r.earlier = bytes(MAX_NAME);
        r.text_file = bytes(MAX_NAME);
        r.text_check = get32();
        r.text_size = get64();
        identity(&r.text_identity);
        r.text_page = get32();
        r.page_text_from = get64();
        r.picture_file = bytes(MAX_NAME);
        r.picture_page = get32();
        r.picture_kind = get32();
        identity(&r.picture_identity);
        if (r.units < 1 || r.units > PRINTER_UNITS) ok = false;
        return r;
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

// What one unit brings back: its printouts (one, named, from the first
// version) and its pages, each with the index of its printout.
struct UnitKept {
    int unit = -1;
    std::string base;
    std::vector<PrintoutRecord> printouts;
    std::vector<u32> page_printout;
    u32 sheet_printout = 0;
    std::vector<PrinterPage> pages;
    bool has_sheet = false;
    PrinterPage sheet;
    u32 fields[SHEET_FIELDS] = {};
    std::string text; // the sheet's text lines, as the unit holds them
};

} // namespace

std::vector<u8> printer_kept_none(u64 generation) {
    std::vector<u8> o;
    for (const char c : MAGIC)
        o.push_back(static_cast<u8>(c));
    put32(o, VERSION);
    put64(o, generation);
    return o;
}

u64 printer_kept_generation(const u8* data, std::size_t size) {
    Reader r{data, data + size};
    if (size < sizeof MAGIC + 4 || std::memcmp(data, MAGIC, sizeof MAGIC) != 0) return 0;
    r.at += sizeof MAGIC;
    if (r.get32() != VERSION) return 0;
    const u64 generation = r.get64();
    return r.ok ? generation : 0;
}

std::vector<u8> printer_kept_bytes(u64 generation) {
    std::vector<u8> o;
    for (int u = 0; u < PRINTER_UNITS; u++) {
        const PrinterUnit& p = printer_units[u];
        const bool sheet = p.unsaved != 0;
        if (printer_kept_count(u) == 0 && !sheet) continue;
        if (o.empty()) o = printer_kept_none(generation);
        put32(o, static_cast<u32>(u));
        // The printouts of its pages and sheet, each once, in order.
        std::vector<u32> ids = printer_kept_printouts(u);
        const u32 sheet_id = printout_id(u);
        if (sheet) ids.push_back(sheet_id);
        std::vector<u32> printouts;
        for (const u32 id : ids)
            if (std::find(printouts.begin(), printouts.end(), id) == printouts.end())
                printouts.push_back(id);
        const auto index_of = [&](u32 id) {
            return static_cast<u32>(std::find(printouts.begin(), printouts.end(), id) -
                                    printouts.begin());
        };
        put32(o, static_cast<u32>(printouts.size()));
        for (const u32 id : printouts)
            put_printout(o, printout_record(u, id));
        put32(o, static_cast<u32>(printer_kept_count(u)));
        for (std::size_t i = 0; i < printer_kept_count(u); i++) {
            const PrinterPage page = printer_kept_page(u, i);
            put32(o, index_of(page.printout));
            put_page(o, page);
        }
        put32(o, sheet ? 1 : 0);
        if (!sheet) continue;
        put32(o, index_of(sheet_id));
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
    const u32 version = r.get32();
    if (version != VERSION && version != VERSION_UNRANKED && version != VERSION_ONE_PRINTOUT) {
        *why = "made by another version of Brindlemox";
        return false;
    }
    if (version == VERSION) r.get64(); // its generation
    std::vector<UnitKept> units;
    while (r.ok && r.at < r.end) {
        UnitKept k;
        const u32 unit = r.get32();
        if (unit >= PRINTER_UNITS) r.ok = false;
        k.unit = static_cast<int>(unit);
        if (version == VERSION_ONE_PRINTOUT) {
            k.base = r.bytes(MAX_NAME);
        } else {
            const u32 printouts = r.get32();
            if (printouts > MAX_PAGES + 1) r.ok = false;
            for (u32 i = 0; r.ok && i < printouts; i++)
                k.printouts.push_back(r.printout());
        }
        // A page's printout is one of the unit's.
        const auto printout_index = [&] {
            if (version == VERSION_ONE_PRINTOUT) return 0u;
            const u32 index = r.get32();
            if (index >= k.printouts.size()) r.ok = false;
            return index;
        };
        const u32 count = r.get32();
        if (count > MAX_PAGES) r.ok = false;
        for (u32 i = 0; r.ok && i < count; i++) {
            const u32 index = printout_index();
            PrinterPage page;
            if (r.page(&page)) {
                k.pages.push_back(std::move(page));
                k.page_printout.push_back(index);
            }
        }
        const u32 sheet = r.get32();
        if (sheet > 1) r.ok = false;
        k.has_sheet = r.ok && sheet == 1;
        if (k.has_sheet) {
            k.sheet_printout = printout_index();
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
        // The sheet goes back on paper of its own size, as it was, unless
        // the paper there holds printing saved nowhere: then with the pages.
        const bool fits = k.has_sheet && k.sheet.width == g.page_width &&
                          k.sheet.height == g.page_height &&
                          k.sheet.line_printer == device_link.line_printer &&
                          k.unit < device_link.printer_units && !printer_sheet_pending(k.unit);
        // Each page goes to the printout it was printed in; the one of a
        // sheet back on the paper goes on as the unit's own.
        std::vector<u32> ids;
        if (version == VERSION_ONE_PRINTOUT) {
            printout_resume(k.unit, k.base);
            ids.push_back(printout_id(k.unit));
        }
        for (std::size_t i = 0; i < k.printouts.size(); i++)
            ids.push_back(printout_restore(k.unit, k.printouts[i], fits && i == k.sheet_printout));
        for (std::size_t i = 0; i < k.pages.size(); i++) {
            k.pages[i].printout = ids[k.page_printout[i]];
            printer_keep_page(k.unit, k.pages[i]);
        }
        if (!k.has_sheet) continue;
        PrinterUnit& p = printer_units[k.unit];
        if (!fits) {
            k.sheet.printout = ids[k.sheet_printout];
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
