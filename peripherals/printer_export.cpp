// Printer pages as pictures (IFF ILBM, IFF ACBM, BMP) and the text of a
// printer unit or of the running machine's screen, to files or the clipboard.
#include "peripherals/printer_export.h"

#include "core/filekinds.h"
#include "core/loader.h"
#include "core/machine_ops.h"
#include "core/message.h"
#include "core/own_outputs.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "display/host.h"
#include "peripherals/device_link.h"
#include "peripherals/printer.h"
#include "record/recorder.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

PrinterPageOut printer_page_out = {printer_save_page, export_text};

namespace {
// The colour indices of the line printer's palette entries 0-5.
constexpr u8 TWIN_COLOURS[6] = {PRINTER_PAPER, PRINTER_INK, 0, 3, 13, 6};

void be16(std::vector<u8>& o, u32 v) {
    o.push_back(static_cast<u8>(v >> 8));
    o.push_back(static_cast<u8>(v));
}
void be32(std::vector<u8>& o, u32 v) {
    be16(o, v >> 16);
    be16(o, v & 0xFFFF);
}
void le16(std::vector<u8>& o, u32 v) {
    o.push_back(static_cast<u8>(v));
    o.push_back(static_cast<u8>(v >> 8));
}
void le32(std::vector<u8>& o, u32 v) {
    le16(o, v & 0xFFFF);
    le16(o, v >> 16);
}
void id(std::vector<u8>& o, const char* four) {
    for (int i = 0; i < 4; i++)
        o.push_back(static_cast<u8>(four[i]));
}

u8 palette_entry(u8 colour) {
    for (u8 e = 0; e < 6; e++)
        if (TWIN_COLOURS[e] == colour) return e;
    return 0;
}

struct Page {
    u32 width, height;
    bool twin;
    const u8* dots;
    u8 at(u32 x, u32 y) const { return dots[x + y * width]; }
    int colours() const { return twin ? 6 : 2; }
    u8 colour_index(int e) const { return twin ? TWIN_COLOURS[e] : (e ? PRINTER_INK : PRINTER_PAPER); }
    // Palette entry of a dot: ink or paper on the EA paper.
    u8 entry(u32 x, u32 y) const { return twin ? palette_entry(at(x, y)) : at(x, y) == PRINTER_INK; }
};

Page page_of(int unit) {
    const PrinterGeometry& g = printer_geometry;
    return {g.page_width, g.page_height, device_link.line_printer, printer_units[unit].page};
}

void rgb(u8 colour, u8 out[3]) {
    const int set = colourset >= 0 && colourset < PALETTE_SETS ? colourset : 0;
    out[0] = palette_get_red(set, colour);
    out[1] = palette_get_green(set, colour);
    out[2] = palette_get_blue(set, colour);
}
} // namespace

std::vector<u8> printer_page_iff(int unit, bool acbm) {
    const Page p = page_of(unit);
    const int planes = p.twin ? 3 : 1;
    const u32 rb = ((p.width + 7) / 8 + 1) & ~1u;
    std::vector<u8> body(static_cast<std::size_t>(rb) * p.height * planes, 0);
    for (u32 y = 0; y < p.height; y++)
        for (u32 x = 0; x < p.width; x++) {
            const u8 e = p.entry(x, y);
            for (int pl = 0; pl < planes; pl++) {
                if (!(e & (1 << pl))) continue;
                // ILBM: a row's planes one after the other; ACBM: whole planes.
                const std::size_t row = acbm ? static_cast<std::size_t>(pl) * p.height + y
                                             : static_cast<std::size_t>(y) * planes + pl;
                body[row * rb + x / 8] |= static_cast<u8>(0x80 >> (x & 7));
            }
        }
    const u32 cmap = p.twin ? 24 : 6;
    std::vector<u8> o;
    id(o, "FORM");
    be32(o, 0); // set below
    id(o, acbm ? "ACBM" : "ILBM");
    id(o, "BMHD");
    be32(o, 20);
    be16(o, p.width);
    be16(o, p.height);
    be32(o, 0);
    o.push_back(static_cast<u8>(planes));
    o.push_back(0);
    o.push_back(0);
    o.push_back(0);
    be16(o, 0);
    o.push_back(1);
    o.push_back(1);
    be16(o, p.width);
    be16(o, p.height);
    id(o, "CMAP");
    be32(o, cmap);
    for (u32 e = 0; e < cmap / 3; e++) {
        u8 c[3] = {0, 0, 0};
        if (static_cast<int>(e) < p.colours()) rgb(p.colour_index(static_cast<int>(e)), c);
        o.insert(o.end(), c, c + 3);
    }
    id(o, acbm ? "ABIT" : "BODY");
    be32(o, static_cast<u32>(body.size()));
    o.insert(o.end(), body.begin(), body.end());
    const u32 form = static_cast<u32>(o.size() - 8);
    o[4] = static_cast<u8>(form >> 24);
    o[5] = static_cast<u8>(form >> 16);
    o[6] = static_cast<u8>(form >> 8);
    o[7] = static_cast<u8>(form);
    return o;
}

std::vector<u8> printer_page_bmp(int unit) {
    const Page p = page_of(unit);
    const u32 bits = p.twin ? 4 : 1;
    const u32 stride = ((p.width * bits + 7) / 8 + 3) & ~3u;
    const u32 offset = 54 + 4 * p.colours();
    std::vector<u8> o = {'B', 'M'};
    le32(o, offset + stride * p.height);
    le32(o, 0);
    le32(o, offset);
    le32(o, 40);
    le32(o, p.width);
    le32(o, p.height);
    le16(o, 1);
    le16(o, bits);
    le32(o, 0);
    le32(o, 0);
    le32(o, 2835);
    le32(o, 2835);
    le32(o, static_cast<u32>(p.colours()));
    le32(o, 0);
    for (int e = 0; e < p.colours(); e++) {
        u8 c[3];
        rgb(p.colour_index(e), c);
        o.insert(o.end(), {c[2], c[1], c[0], 0});
    }
    for (u32 y = p.height; y-- > 0;) {
        std::vector<u8> row(stride, 0);
        for (u32 x = 0; x < p.width; x++) {
            const u8 e = p.entry(x, y);
            if (bits == 1) {
                if (e) row[x / 8] |= static_cast<u8>(0x80 >> (x & 7));
            } else {
                row[x / 2] |= static_cast<u8>(x & 1 ? e : e << 4);
            }
        }
        o.insert(o.end(), row.begin(), row.end());
    }
    return o;
}

namespace {
// "LPT1"/"LPT2" on the line printer, else "Printer"; the loaded file's name
// when known (own_output_name puts the page's suffix in place of its own),
// with "-LPT2" for the second of two units, whose pages would otherwise
// replace the first's.
std::string default_base(int unit) {
    const std::string lpt = "LPT" + std::to_string(unit + 1);
    if (file_loaded && game_file_name[0]) {
        std::string base = game_file_name;
        if (unit == 0 || device_link.printer_units < 2) return base;
        const std::size_t dot = base.rfind('.');
        return base.insert(dot == std::string::npos ? base.size() : dot, "-" + lpt);
    }
    if (device_link.line_printer) return lpt;
    return "Printer";
}

// Per unit, the name its printout's page files take. A printout keeps one
// name for all its pages: the one it began with at its first page (the loaded
// file's then), whatever a state saved or loaded halfway renames.
std::string printout_base[PRINTER_UNITS];
std::string page_base(int unit) {
    if (unit < 0) return default_base(0); // the screen's text: no printout
    std::string& base = printout_base[unit];
    if (printer_units[unit].page_number <= 1 || base.empty()) base = default_base(unit);
    return base;
}

std::string join(const char* drawer, const std::string& name) {
    return rec_host_path(name.c_str(), drawer);
}

// The requester's choice with the kind's extension; false when cancelled.
bool ask_name(int kind, std::string* path) {
    char file[513] = {};
    if (file_loaded && game_file_name[0])
        std::snprintf(file, sizeof file, "%s",
                      own_output_name(game_file_name, file_kinds[kind].extension).c_str());
    char chosen[513];
    const char* drawer = kind == KIND_TXT ? projects_path : screenshots_path;
    if (ui_host.save_request(file_kinds[kind].save_title, file_kinds[kind].pattern, drawer, file,
                             file_extension_adder(file_kinds[kind].extension), chosen) != 0)
        return false;
    *path = join(drawer, chosen);
    return true;
}

bool write_whole(const std::string& path, const void* data, std::size_t size) {
    return rec_write_file(path, data, size);
}

// Per unit, the file the automatic text of its pages goes to since its last
// page 1 ("" while none was written).
std::string page_text_file[PRINTER_UNITS];

// Whether anything is at `host`: a file, a folder, a link (also one that
// leads nowhere), a FIFO.
bool name_taken(const std::string& host) {
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0;
}

// Where an automatic page meant for `wanted` goes: there when nothing is at
// the name or only the program's own earlier output (own_output_is: a page
// of this session or an earlier one), else at the first such name of
// "<name>_2.<ext>" to "<name>_999.<ext>", so that no other file there (the
// user's own) is ever replaced; "" when every one is taken.
std::string free_page_name(const std::string& wanted) {
    auto free = [](const std::string& name) { return !name_taken(name) || own_output_is(name); };
    if (free(wanted)) return wanted;
    const std::size_t slash = wanted.rfind('/');
    std::size_t dot = wanted.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = wanted.size();
    for (int n = 2; n < 1000; n++) {
        const std::string other =
            wanted.substr(0, dot) + "_" + std::to_string(n) + wanted.substr(dot);
        if (free(other)) return other;
    }
    return "";
}

// Writes `what` ("Page 2 of the printer") at `wanted` or the free name that
// takes its place, saying so when it went elsewhere, and records it as the
// program's own: the name written, "" when nothing was (after the warning).
std::string write_page_file(const std::string& wanted, const std::string& what, const void* data,
                            std::size_t size) {
    const std::string path = free_page_name(wanted);
    if (path.empty()) {
        ui_warning((what + " was not saved: " + wanted +
                    " and its numbered names up to _999 are other files!")
                       .c_str());
        return "";
    }
    if (!write_whole(path, data, size)) return "";
    own_output_note(path, data, size);
    if (path != wanted)
        con_printf("%s was saved as %s: %s is another file.\n", what.c_str(), path.c_str(),
                   wanted.c_str());
    return path;
}

// "Page 3 of the printer", "Page 3 of printer unit 2", for the messages.
std::string page_words(const char* lead, int unit) {
    const std::string page = std::to_string(printer_units[unit].page_number);
    return std::string(lead) + page +
           (device_link.printer_units > 1 ? " of printer unit " + std::to_string(unit + 1)
                                          : std::string(" of the printer"));
}
} // namespace

void printer_save_page(int to_clipboard, int kind, int ask, int unit) {
    if (unit < 0 || unit >= PRINTER_UNITS || kind < KIND_ILBM || kind > KIND_BMP) return;
    if (to_clipboard) {
        // The clipboard takes IFF pictures: a BMP goes there as ILBM too.
        const std::vector<u8> iff = printer_page_iff(unit, kind == KIND_ACBM);
        ui_host.clip_iff(iff.data(), iff.size());
        return;
    }
    std::string path;
    if (ask) {
        if (!ask_name(kind, &path)) return;
    } else {
        const std::string page = "-" + std::to_string(printer_units[unit].page_number);
        path = join(screenshots_path,
                    own_output_name(page_base(unit), file_kinds[kind].extension, page.c_str()));
    }
    const std::vector<u8> bytes =
        kind == KIND_BMP ? printer_page_bmp(unit) : printer_page_iff(unit, kind == KIND_ACBM);
    // A name the user chose was asked about by the requester; the automatic
    // one never replaces a file.
    if (!ask)
        path = write_page_file(path, page_words("Page ", unit), bytes.data(), bytes.size());
    else if (!write_whole(path, bytes.data(), bytes.size()))
        path.clear();
    if (!path.empty()) file_write_icon(kind, path.c_str());
}

std::string printer_unit_text(int unit, int page_only) {
    const PrinterUnit& p = printer_units[unit];
    const u32 lines = printer_geometry.lines_per_page;
    u32 first = p.empty_lines;
    if (page_only && p.page_number > 1) first = lines > p.lines_fed + 1 ? lines - (p.lines_fed + 1) : 0;
    std::string text;
    for (u32 i = first; i < lines && i < PRINTER_TEXT_LINES; i++)
        text += reinterpret_cast<const char*>(p.text[i]);
    return text;
}

void export_text(int to_clipboard, int ask, int unit, int page_only) {
    std::string text;
    if (unit < 0) {
        const auto screen = machine_row().screen_text;
        if (!screen) return;
        screen(&text);
    } else if (unit < PRINTER_UNITS) {
        text = printer_unit_text(unit, page_only);
    } else {
        return;
    }
    if (to_clipboard) {
        ui_host.clip_text(text.c_str());
        return;
    }
    std::string path;
    if (ask) {
        if (!ask_name(KIND_TXT, &path)) return;
        if (!write_whole(path, text.data(), text.size())) return;
        file_write_icon(KIND_TXT, path.c_str());
        return;
    }
    // The automatic saving: page 1 starts a file, later pages add to it while
    // it is still as this unit's pages left it.
    const int u = unit < 0 ? 0 : unit;
    std::string& file = page_text_file[u];
    const bool first_page = unit < 0 || printer_units[unit].page_number <= 1;
    std::string whole;
    if (!first_page && !file.empty() && own_output_is(file) &&
        file_read_whole(file, &whole, 64u << 20)) {
        whole += text;
        if (write_whole(file, whole.data(), whole.size()))
            own_output_note(file, whole.data(), whole.size());
        return;
    }
    const std::string name = own_output_name(page_base(unit), file_kinds[KIND_TXT].extension);
    const std::string what =
        unit < 0 ? std::string("The screen's text") : page_words("The text of page ", unit);
    file = write_page_file(join(projects_path, name), what, text.data(), text.size());
    if (file.empty()) return;
    file_write_icon(KIND_TXT, file.c_str());
}
