// Printer pages as pictures (IFF ILBM, IFF ACBM, BMP) and the text of a
// printer unit or of the running machine's screen, to files or the clipboard.
#include "peripherals/printer_export.h"
#include "platform/paths.h"

#include "core/filekinds.h"
#include "core/hiscore.h"
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
#include "platform/file_identity.h"
#include "record/recorder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <list>
#include <string>
#include <sys/stat.h>
#include <zlib.h>

PrinterPageOut printer_page_out = {printout_save_picture, printout_save_text};

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

Page page_of(const PrinterPage& page) {
    return {page.width, page.height, page.line_printer, page.dots.data()};
}

void rgb(u8 colour, u8 out[3]) {
    const int set = colourset >= 0 && colourset < PALETTE_SETS ? colourset : 0;
    out[0] = palette_get_red(set, colour);
    out[1] = palette_get_green(set, colour);
    out[2] = palette_get_blue(set, colour);
}
} // namespace

namespace {
std::vector<u8> iff_of(const Page& p, bool acbm) {
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

std::vector<u8> bmp_of(const Page& p) {
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
} // namespace

std::vector<u8> printer_page_iff(int unit, bool acbm) {
    return iff_of(page_of(unit), acbm);
}
std::vector<u8> printer_page_bmp(int unit) {
    return bmp_of(page_of(unit));
}
std::vector<u8> printer_page_iff(const PrinterPage& page, bool acbm) {
    return iff_of(page_of(page), acbm);
}
std::vector<u8> printer_page_bmp(const PrinterPage& page) {
    return bmp_of(page_of(page));
}

namespace {
// The file part of the program the user loaded, nullptr when none runs: a
// machine set up afresh, or the autosave a start resumed, names none.
const char* loaded_program() {
    if (!file_loaded || !game_file_name[0] || autosave_named(game_file_name)) return nullptr;
    return game_file_name;
}

// "LPT1"/"LPT2" on the line printer, else "Printer"; the loaded program's
// name when there is one (own_output_name puts the page's suffix in place of
// its own), with "-LPT2" for the second of two units, whose pages would
// otherwise meet the first's.
std::string default_base(int unit) {
    const std::string lpt = "LPT" + std::to_string(unit + 1);
    if (const char* program = loaded_program()) {
        std::string base = program;
        if (unit == 0 || device_link.printer_units < 2) return base;
        const std::size_t dot = base.rfind('.');
        return base.insert(dot == std::string::npos ? base.size() : dot, "-" + lpt);
    }
    if (device_link.line_printer) return lpt;
    return "Printer";
}

std::string join(const char* drawer, const std::string& name) {
    return rec_host_path(name.c_str(), drawer);
}

// The requester's choice with the kind's extension; false when cancelled.
bool ask_name(int kind, std::string* path) {
    char file[513] = {};
    if (const char* program = loaded_program())
        std::snprintf(file, sizeof file, "%s",
                      own_output_name(program, file_kinds[kind].extension).c_str());
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

// Whether anything is at `host`: a file, a folder, a link (also one that
// leads nowhere), a FIFO.
bool name_taken(const std::string& host) {
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0;
}

constexpr int NUMBERS = 1000; // a printout's number runs from 1 to 999

// The infix that numbers a file of printout `number`: none for the first of
// its name, "_2", "_3"... for later ones.
std::string numbered(int number) {
    return number > 1 ? "_" + std::to_string(number) : std::string();
}

// A printout is the only copy of what the guest printed, so no later one
// ever replaces its files. It keeps the name it began with at its first page
// (the loaded program's then) to its last, whatever a state saved or loaded
// halfway renames, and one number for its text and all its page pictures:
// the first under which neither its text file nor any page picture is there
// yet ("game.txt" and "game-1.ilbm", then "game_2.txt" and "game-1_2.ilbm").
// The program's own earlier printouts count as any file does, in this session,
// an earlier one or an earlier version's.
struct Printout {
    u32 id = 0;            // what its kept pages name it by (PrinterPage::printout)
    int unit = 0;
    u32 serial = 0;        // printer_printout it belongs to
    int units = 1;         // the units of the machine it was printed on, for the messages
    std::string base;      // the name it is called after ("game.aof", "Printer", "LPT2")
    int number = -1;       // 0: every number is taken; -1: none taken yet
    std::string earlier;   // a file that took the number before it, for the messages
    std::string text_file; // where its text went ("" none yet)
    std::string text;      // what that file holds, as the pages wrote it
    FileIdentity text_identity;
    // The pages whose picture and text were saved last, that picture and
    // where that text begins in `text`: a page saved again takes their place.
    u32 picture_page = 0, text_page = 0;
    int picture_kind = -1;
    std::string picture_file;
    FileIdentity picture_identity;
    bool picture_new = false; // that picture took a name nothing was at
    std::size_t page_text_from = 0;
    bool picture_told = false, text_told = false; // the console said where they went
};
// The printout each unit prints now, and the earlier ones whose pages are
// still kept unsaved: each page is saved in the printout it was printed in.
std::list<Printout> printouts;
Printout* current[PRINTER_UNITS];
u32 last_id = 0;

std::string text_name(const std::string& base, int number) {
    return join(projects_path,
                own_output_name(base, file_kinds[KIND_TXT].extension, numbered(number).c_str()));
}

std::string picture_name(const std::string& base, int kind, u32 page, int number) {
    const std::string infix = "-" + std::to_string(page) + numbered(number);
    return join(screenshots_path, own_output_name(base, file_kinds[kind].extension, infix.c_str()));
}

// The number of the page picture `file` when it is one of `stem`'s
// ("game-3.ilbm" 1, "game-3_2.bmp" 2), else 0.
int picture_number(const std::string& file, const std::string& stem) {
    if (file.compare(0, stem.size() + 1, stem + "-") != 0) return 0;
    std::size_t at = stem.size() + 1;
    const auto digits = [&] {
        const std::size_t from = at;
        while (at < file.size() && file[at] >= '0' && file[at] <= '9')
            at++;
        return at > from && at - from < 6;
    };
    if (!digits()) return 0;
    int number = 1;
    if (at < file.size() && file[at] == '_') {
        const std::size_t from = ++at;
        if (!digits()) return 0;
        number = std::atoi(file.c_str() + from);
    }
    return at < file.size() && file[at] == '.' && number < NUMBERS ? number : 0;
}

// The first number free for a printout called after `base`, 0 when none is;
// `*earlier` a file that took the number before it ("" for the first).
int free_printout_number(const std::string& base, std::string* earlier) {
    std::vector<std::string> taken(NUMBERS);
    const std::filesystem::path first = picture_name(base, KIND_ILBM, 1, 1);
    const std::string one = first.filename().string();
    const std::string tail = "-1" + std::string(file_kinds[KIND_ILBM].extension);
    const std::string stem = one.substr(0, one.size() - std::min(one.size(), tail.size()));
    std::error_code error;
    for (std::filesystem::directory_iterator it(first.parent_path(), error), end;
         !error && it != end; it.increment(error))
        taken[static_cast<std::size_t>(picture_number(it->path().filename().string(), stem))] =
            it->path().string();
    earlier->clear();
    for (int n = 1; n < NUMBERS; n++) {
        const std::string text = text_name(base, n);
        if (taken[static_cast<std::size_t>(n)].empty() && !name_taken(text)) return n;
        *earlier = taken[static_cast<std::size_t>(n)].empty() ? text : taken[static_cast<std::size_t>(n)];
    }
    return 0;
}

// A new printout on `unit`, named after what runs now.
Printout& printout_begin_on(int unit) {
    Printout& p = printouts.emplace_back();
    p.id = ++last_id;
    p.unit = unit;
    p.serial = printer_printout;
    p.units = device_link.printer_units;
    p.base = default_base(unit);
    current[unit] = &p;
    return p;
}

// The printout `unit` prints now, named when it began.
Printout& printout_now(int unit) {
    Printout* p = current[unit];
    return p && p->serial == printer_printout ? *p : printout_begin_on(unit);
}

// The printout `id` of `unit` (0: the one it prints now), numbered at its
// first page.
Printout& printout_of(int unit, u32 id = 0) {
    Printout* found = nullptr;
    if (id)
        for (Printout& p : printouts)
            if (p.id == id && p.unit == unit) found = &p;
    Printout& p = found ? *found : printout_now(unit);
    if (p.number < 0) p.number = free_printout_number(p.base, &p.earlier);
    return p;
}

const Printout* printout_find(int unit, u32 id) {
    for (const Printout& p : printouts)
        if (p.id == id && p.unit == unit) return &p;
    return nullptr;
}

// The first name of `named` from `number` on that nothing is at, "" when
// every one up to _999 is taken.
template <typename Named> std::string first_free(const Named& named, int number) {
    for (int n = number > 0 ? number : 1; n < NUMBERS; n++)
        if (!name_taken(named(n))) return named(n);
    return "";
}

// Writes `what` ("Page 2 of the printer") at `named(number)`, the name of
// the printout's own number, or where a file came there since the printout
// began, at the first free name of a later number; nothing is ever written
// over. The console says so, and once (`*told`) where a numbered printout's
// files go and which file (`earlier`) took the number before. The name
// written, "" when nothing was (after the warning).
template <typename Named>
std::string write_page_file(const Named& named, int number, const std::string& earlier,
                            const std::string& what, const void* data, std::size_t size,
                            bool* told) {
    const std::string wanted = named(number > 0 ? number : 1);
    const std::string path = first_free(named, number);
    if (path.empty()) {
        ui_warning((what + " was not saved: " + wanted +
                    " and its numbered names up to _999 are other files!")
                       .c_str());
        return "";
    }
    if (!write_whole(path, data, size)) return "";
    if (path != wanted) {
        con_printf("%s was saved as %s: %s is another file.\n", what.c_str(), path.c_str(),
                   wanted.c_str());
    } else if (number > 1 && !*told && !earlier.empty()) {
        con_printf("%s was saved as %s: its printout takes the number %d, as %s is there "
                   "already.\n",
                   what.c_str(), path.c_str(), number, earlier.c_str());
    }
    *told = true;
    return path;
}

// Whether the printout's text file is still as its pages left it: the same
// file, not written since by anyone else, holding what they wrote.
bool text_as_left(const Printout& p) {
    if (p.text_file.empty()) return false;
    int error = 0;
    if (file_identity_fate(p.text_file, p.text_identity, true, &error) != FileFate::same)
        return false;
    std::string now;
    return file_read_whole(p.text_file, &now, p.text.size() + 1) && now == p.text;
}

// Whether the page picture `p` saved last is still as it left it.
bool picture_as_left(const Printout& p) {
    int error = 0;
    return !p.picture_file.empty() &&
           file_identity_fate(p.picture_file, p.picture_identity, true, &error) == FileFate::same;
}

// Whether page `number` is `saved` (the one a picture or text was saved of
// last), whose file or lines a saving again replaces.
bool saved_before(u32 saved, u32 number) {
    return saved != 0 && saved == number;
}

// The picture of kind `kind` saved before of page `number`, still as it was
// left, which a saving again replaces; "" when none.
std::string picture_before(const Printout& p, int kind, u32 number) {
    return saved_before(p.picture_page, number) && p.picture_kind == kind && picture_as_left(p)
               ? p.picture_file
               : "";
}

// " of the printer", " of printer unit 2", on a machine of `units` units.
std::string unit_words(int unit, int units = device_link.printer_units) {
    return units > 1 ? " of printer unit " + std::to_string(unit + 1)
                     : std::string(" of the printer");
}

// "Page 3 of the printer", "Page 3 of printer unit 2", for the messages.
std::string page_words(const char* lead, int unit, u32 number,
                       int units = device_link.printer_units) {
    return std::string(lead) + std::to_string(number) + unit_words(unit, units);
}

// The picture of kind `kind` of `page` in the printout of `unit`, written
// where its own earlier picture is, else at a free name of the printout's
// number; false when it was not written (the warning said why).
bool save_picture(int unit, const PrinterPage& page, int kind) {
    const std::vector<u8> bytes =
        kind == KIND_BMP ? printer_page_bmp(page) : printer_page_iff(page, kind == KIND_ACBM);
    Printout& p = printout_of(unit, page.printout);
    std::string path = picture_before(p, kind, page.number);
    const bool replaces = !path.empty();
    if (replaces) {
        if (!write_whole(path, bytes.data(), bytes.size())) return false;
    } else {
        path = write_page_file(
            [&](int n) { return picture_name(p.base, kind, page.number, n); }, p.number, p.earlier,
            page_words("Page ", unit, page.number, p.units), bytes.data(), bytes.size(),
            &p.picture_told);
        if (path.empty()) return false;
    }
    p.picture_new = !replaces;
    p.picture_page = page.number;
    p.picture_kind = kind;
    p.picture_file = path;
    p.picture_identity = file_identity_at(path);
    file_write_icon(kind, path.c_str());
    return true;
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
    // A name the user chose was asked about by the requester; the automatic
    // one never replaces a file.
    if (!ask) {
        save_picture(unit, printer_sheet_page(unit, 1), kind);
        return;
    }
    std::string path;
    if (!ask_name(kind, &path)) return;
    const std::vector<u8> bytes =
        kind == KIND_BMP ? printer_page_bmp(unit) : printer_page_iff(unit, kind == KIND_ACBM);
    if (write_whole(path, bytes.data(), bytes.size())) file_write_icon(kind, path.c_str());
}

bool printout_save_picture(int unit, const PrinterPage& page) {
    return unit >= 0 && unit < PRINTER_UNITS && save_picture(unit, page, KIND_ILBM);
}

std::string printer_unit_text(int unit, int page_only) {
    const PrinterUnit& p = printer_units[unit];
    const u32 lines = printer_geometry.lines_per_page;
    u32 first = p.empty_lines;
    if (page_only) first = std::max(first, lines > p.page_lines + 1 ? lines - (p.page_lines + 1) : 0);
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
    if (unit < 0) {
        // The screen's text is no printout: a free name of its own.
        const std::string base = default_base(0);
        bool told = false;
        path = write_page_file([&](int n) { return text_name(base, n); }, 1, "",
                               "The screen's text", text.data(), text.size(), &told);
        if (!path.empty()) file_write_icon(KIND_TXT, path.c_str());
        return;
    }
    PrinterPage page;
    page.number = printer_units[unit].page_number;
    page.text = std::move(text);
    printout_save_text(unit, page);
}

bool printout_save_text(int unit, const PrinterPage& page) {
    if (unit < 0 || unit >= PRINTER_UNITS) return false;
    // The printout's first page starts its text file, later pages add to it
    // while it is still as the pages left it; once anything else changed it,
    // the next page starts another.
    Printout& p = printout_of(unit, page.printout);
    const std::string& text = page.text;
    if (text_as_left(p)) {
        // A page saved again replaces its own earlier lines.
        if (!saved_before(p.text_page, page.number)) p.page_text_from = p.text.size();
        const std::string whole = p.text.substr(0, p.page_text_from) + text;
        if (!write_whole(p.text_file, whole.data(), whole.size())) return false;
        p.text = whole;
        p.text_identity = file_identity_at(p.text_file);
        p.text_page = page.number;
        return true;
    }
    const std::string path =
        write_page_file([&](int n) { return text_name(p.base, n); }, p.number, p.earlier,
                        page_words("The text of page ", unit, page.number, p.units), text.data(),
                        text.size(), &p.text_told);
    if (path.empty()) return false;
    p.text_file = path;
    p.page_text_from = 0;
    p.text_page = page.number;
    p.text = text;
    p.text_identity = file_identity_at(path);
    file_write_icon(KIND_TXT, path.c_str());
    return true;
}

void printout_begin(const std::vector<u32>& kept) {
    // An earlier printout is forgotten once none of its pages waits.
    std::erase_if(printouts, [&](const Printout& p) {
        return std::find(kept.begin(), kept.end(), p.id) == kept.end();
    });
    for (int u = 0; u < PRINTER_UNITS; u++)
        printout_begin_on(u);
}

u32 printout_id(int unit) {
    return printout_now(unit).id;
}

std::string printer_pages_words(int unit, u32 first, u32 last) {
    if (first == last) return page_words("page ", unit, first);
    return "pages " + std::to_string(first) + " to " + std::to_string(last) + unit_words(unit);
}

std::string printout_pages_words(int unit, u32 id, const std::vector<u32>& pages) {
    const Printout* p = printout_find(unit, id);
    const int units = p ? p->units : device_link.printer_units;
    std::string words;
    // Runs of consecutive pages: "pages 1 to 3 and 5".
    for (std::size_t i = 0; i < pages.size();) {
        std::size_t j = i;
        while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1)
            j++;
        words += (words.empty() ? "" : " and ") + std::to_string(pages[i]) +
                 (j > i ? " to " + std::to_string(pages[j]) : "");
        i = j + 1;
    }
    words = (pages.size() > 1 ? "pages " : "page ") + words + unit_words(unit, units);
    // Pages of an earlier printout than the unit's own say which.
    if (p && &printout_now(unit) != p) words += " (printout \"" + p->base + "\")";
    return words;
}

// The pages `unit` holds unsaved, in order, each run of one printout.
static std::vector<std::pair<u32, std::vector<u32>>> pending_runs(int unit) {
    std::vector<std::pair<u32, std::vector<u32>>> runs;
    const auto add = [&](u32 id, u32 number) {
        if (runs.empty() || runs.back().first != id) runs.push_back({id, {}});
        runs.back().second.push_back(number);
    };
    const std::vector<u32> numbers = printer_kept_numbers(unit);
    const std::vector<u32> ids = printer_kept_printouts(unit);
    for (std::size_t i = 0; i < numbers.size(); i++)
        add(ids[i], numbers[i]);
    if (printer_sheet_pending(unit)) add(printout_id(unit), printer_units[unit].page_number);
    return runs;
}

std::string printer_pages_held(int unit) {
    std::string list;
    for (const auto& [id, pages] : pending_runs(unit))
        list += (list.empty() ? "" : ", ") + printout_pages_words(unit, id, pages);
    return list;
}

std::string printer_page_in_progress(int unit, const std::string& unsaved) {
    if (!printer_page_pending(unit)) return "";
    std::string list;
    const auto name = [](const std::string& file) {
        return "\"" + std::filesystem::path(file).filename().string() + "\"";
    };
    for (const auto& [id, pages] : pending_runs(unit)) {
        Printout& p = printout_of(unit, id);
        const auto free_at = [&](const auto& named) { return first_free(named, p.number); };
        const auto picture_of = [&](u32 page) {
            const std::string before = picture_before(p, KIND_ILBM, page);
            return before.empty()
                       ? free_at([&](int n) { return picture_name(p.base, KIND_ILBM, page, n); })
                       : before;
        };
        const std::string first = picture_of(pages.front());
        const std::string last = pages.size() > 1 ? picture_of(pages.back()) : "";
        const std::string text =
            text_as_left(p) ? p.text_file : free_at([&](int n) { return text_name(p.base, n); });
        std::string files;
        if (!first.empty()) files = name(first);
        if (!first.empty() && !last.empty()) files += " to " + name(last);
        if (!text.empty()) files += (files.empty() ? "" : " and ") + name(text);
        const std::string words = printout_pages_words(unit, id, pages);
        // A folder known not to take them: what becomes of them instead.
        std::string refused =
            path_unwritable_folder(first.empty() ? picture_name(p.base, KIND_ILBM, 1, 1) : first);
        if (refused.empty())
            refused = path_unwritable_folder(text.empty() ? text_name(p.base, 1) : text);
        if (!refused.empty()) {
            list += (list.empty() ? "" : ", ") + words + " (not to be saved: \"" + refused +
                    "\" cannot be written; " + unsaved + ")";
            continue;
        }
        list += (list.empty() ? "" : ", ") +
                (files.empty() ? words : words + " (saved as " + files + ")");
    }
    return list;
}

std::string printout_picture_of(int unit, u32 id, u32 number) {
    const Printout* p = printout_find(unit, id ? id : printout_id(unit));
    return p && saved_before(p->picture_page, number) ? p->picture_file : "";
}

std::string printout_text_of(int unit, u32 id, u32 number) {
    const Printout* p = printout_find(unit, id ? id : printout_id(unit));
    return p && saved_before(p->text_page, number) ? p->text_file : "";
}

void printout_take_back_picture(int unit, const PrinterPage& page) {
    Printout& p = printout_of(unit, page.printout);
    if (!p.picture_new || p.picture_page != page.number || !picture_as_left(p)) return;
    std::error_code error;
    std::filesystem::remove(p.picture_file, error);
    p.picture_page = 0;
    p.picture_file.clear();
    p.picture_new = false;
}

void printout_resume(int unit, const std::string& base) {
    Printout& p = printout_begin_on(unit);
    if (!base.empty()) p.base = base;
}

std::string printout_base(int unit) {
    return printout_now(unit).base;
}

namespace {
void put_identity(PrintoutRecord::Identity* out, const FileIdentity& id) {
    *out = {id.device, id.inode, id.size, static_cast<u64>(id.written_ns)};
}
FileIdentity identity_of(const PrintoutRecord::Identity& r) {
    FileIdentity id;
    id.known = true;
    id.device = r.device;
    id.inode = r.inode;
    id.size = r.size;
    id.written_ns = static_cast<std::int64_t>(r.written_ns);
    return id;
}
} // namespace

PrintoutRecord printout_record(int unit, u32 id) {
    Printout& p = printout_of(unit, id);
    PrintoutRecord r;
    r.base = p.base;
    r.units = static_cast<u32>(p.units);
    r.number = p.number > 0 ? static_cast<u32>(p.number) : 0;
    r.earlier = p.earlier;
    if (text_as_left(p)) {
        r.text_file = p.text_file;
        r.text_check = static_cast<u32>(
            crc32(0, reinterpret_cast<const Bytef*>(p.text.data()), static_cast<uInt>(p.text.size())));
        r.text_size = p.text.size();
        put_identity(&r.text_identity, p.text_identity);
        r.text_page = p.text_page;
        r.page_text_from = p.page_text_from;
    }
    if (picture_as_left(p)) {
        r.picture_file = p.picture_file;
        r.picture_page = p.picture_page;
        r.picture_kind = static_cast<u32>(p.picture_kind);
        put_identity(&r.picture_identity, p.picture_identity);
    }
    return r;
}

u32 printout_restore(int unit, const PrintoutRecord& r, bool now) {
    Printout* was = current[unit];
    Printout& p = printout_begin_on(unit);
    // An earlier printout than the one the unit prints now.
    if (!now) {
        p.serial = 0;
        current[unit] = was;
    }
    p.base = r.base;
    p.units = static_cast<int>(r.units);
    p.number = r.number > 0 && r.number < NUMBERS ? static_cast<int>(r.number) : -1;
    p.earlier = r.earlier;
    // Its text file goes on while it is as its pages left it.
    std::string text;
    int error = 0;
    if (!r.text_file.empty() &&
        file_identity_fate(r.text_file, identity_of(r.text_identity), true, &error) ==
            FileFate::same &&
        file_read_whole(r.text_file, &text, r.text_size + 1) && text.size() == r.text_size &&
        crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())) ==
            r.text_check &&
        r.page_text_from <= text.size()) {
        p.text_file = r.text_file;
        p.text = std::move(text);
        p.text_identity = file_identity_at(p.text_file);
        p.text_page = r.text_page;
        p.page_text_from = r.page_text_from;
        p.text_told = true;
    }
    if (!r.picture_file.empty() && r.picture_kind <= KIND_BMP &&
        file_identity_fate(r.picture_file, identity_of(r.picture_identity), true, &error) ==
            FileFate::same) {
        p.picture_file = r.picture_file;
        p.picture_page = r.picture_page;
        p.picture_kind = static_cast<int>(r.picture_kind);
        p.picture_identity = file_identity_at(p.picture_file);
        p.picture_told = true;
    }
    return p.id;
}
