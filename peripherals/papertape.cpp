#include "peripherals/papertape.h"

#include "core/files_in_use.h"
#include "core/helpers.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/loader.h"
#include "core/notify.h"
#include "core/own_outputs.h"
#include "core/serial.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "peripherals/device_link.h"
#include "platform/catalog.h"
#include "platform/file_identity.h"
#include "platform/paths.h"
#include "sound/effects.h"

#include <cstdio>
#include <cstring>
#include <string>

u32 papertape_state[PAPERTAPE_UNITS];
u8 papertape_buffer[PAPERTAPE_UNITS][PAPERTAPE_SIZE];
u32 papertape_length[PAPERTAPE_UNITS];
u32 papertape_position[PAPERTAPE_UNITS];
char papertape_file_name[PAPERTAPE_UNITS][PAPERTAPE_NAME_SIZE];
u8 papertape_last_byte[PAPERTAPE_UNITS];

namespace {

// What each unit knows of its tape's file: what the file was when the tape
// went in (or was created), and whether anything was punched on the tape
// since. Only a punched tape goes back, and only over that same file, unless
// the user was told it had changed (`over_changed`) and then presses Eject:
// every other way (Quit, a load, Create) keeps the other file.
// `held_back`: the last write-back failed and the tape stayed in the unit.
struct UnitFile {
    FileIdentity took;
    bool punched = false;
    bool held_back = false;
    bool over_changed = false;
};
UnitFile unit_files[PAPERTAPE_UNITS];

// The tape in unit `u` comes from the file `path`, as it is now, unpunched.
void take_file(int u, const char* path) {
    unit_files[u].took = file_identity_at(path_to_host(path));
    unit_files[u].punched = false;
}

} // namespace

static bool unit_ok(int u) {
    return u >= 0 && u < PAPERTAPE_UNITS;
}

static void refresh() {
    ui_mark(UI_REFRESH_WINDOWS | UI_TITLE);
}

void papertape_reset() {
    for (int u = 0; u < PAPERTAPE_UNITS; u++) {
        papertape_state[u] = TAPE_EMPTY;
        papertape_length[u] = 0;
        papertape_position[u] = 0;
        papertape_file_name[u][0] = 0;
        unit_files[u] = UnitFile{};
    }
    papertape_last_byte[0] = papertape_last_byte[1] = 0;
}

// Whether unit u holds a tape of the file `path` (found as `at`): by the
// same name, or under another one (a link, "./", "..", a second hard link)
// as the file the tape came from or the one it would go back to.
static bool holds(int u, const char* path, const FileIdentity& at) {
    if (papertape_state[u] == TAPE_EMPTY) return false;
    if (std::strcmp(papertape_file_name[u], path) == 0) return true;
    return file_identity_same(at, unit_files[u].took) ||
           file_identity_same(at, file_identity_at(path_to_host(papertape_file_name[u])));
}

static bool bring_back(int u, bool eject = false);

int papertape_insert(int u, const char* path) {
    if (!unit_ok(u) || !path || !path[0]) return 0;
    const std::string host = path_to_host(path);
    // The reader and the punch may share a file; another medium's is refused.
    const std::string elsewhere = medium_holds_already(host, FileUse::papertape, -1);
    if (!elsewhere.empty()) {
        ui_warning(elsewhere.c_str());
        return 0;
    }
    const FileIdentity at = file_identity_at(host);
    // A punched tape's own file, under any name: what was punched goes back
    // first, to be read in.
    for (int v = 0; v < PAPERTAPE_UNITS; v++)
        if (holds(v, path, at) && !bring_back(v)) return 0;
    const bool same = holds(u, path, at);
    // A file longer than a tape holds is refused whole, before it is read.
    static u8 incoming[PAPERTAPE_SIZE];
    size_t got = 0;
    const int read = file_read_regular(host, PAPERTAPE_SIZE, [&](std::size_t n) {
        got = n;
        return incoming;
    });
    if (read == READ_UNAVAILABLE) {
        ui_warning("Can't open file for input!");
        return 0;
    }
    if (read == READ_TOO_LARGE) {
        ui_warning(cat_str(335, "File is too large!\n\n"));
        return 0;
    }
    if (read != READ_OK) {
        ui_warning("Can't read from file!");
        return 0;
    }
    // A tape already in the unit is closed first, so its punched frames are
    // kept; one that cannot go back stays, and the insert is refused.
    if (!same && !papertape_close(u)) return 0;
    std::memcpy(papertape_buffer[u], incoming, got);
    std::snprintf(papertape_file_name[u], PAPERTAPE_NAME_SIZE, "%s", path);
    papertape_length[u] = static_cast<u32>(got);
    papertape_position[u] = 0;
    papertape_state[u] = TAPE_STOPPED;
    take_file(u, path);
    // The window shows the new tape whole: it may have come in at the same
    // length and state as the one before, the position alone changed.
    ui_mark(UI_REFRESH_FORCED | UI_TITLE);
    return 1;
}

int papertape_load(int ask, int u) {
    if (!unit_ok(u)) return 0;
    char chosen[PAPERTAPE_NAME_SIZE] = "";
    if (ask) {
        if (ui_host.file_request(cat_str(1243, "Insert Papertape"), "#?", 0, tapes_path, "",
                                 chosen) != 0)
            return 0;
    } else {
        std::snprintf(chosen, sizeof chosen, "%s", papertape_file_name[u]);
    }
    return papertape_insert(u, chosen);
}

bool papertape_create_at(int u, const char* path) {
    if (!unit_ok(u) || !path || !path[0]) return false;
    // The tape in the unit goes back first; one that cannot stays.
    if (!papertape_close(u)) return false;
    std::string error;
    const std::string host = path_to_host(path);
    if (!file_write_replace(host, "", 0, &error)) {
        ui_warning(file_failure_text("Can't create", host, error).c_str());
        return false;
    }
    std::snprintf(papertape_file_name[u], PAPERTAPE_NAME_SIZE, "%s", path);
    papertape_length[u] = 0;
    papertape_position[u] = 0;
    papertape_state[u] = TAPE_STOPPED;
    take_file(u, path);
    refresh();
    return true;
}

void papertape_create(int u) {
    if (!unit_ok(u)) return;
    // The default name: the loaded program's, as a papertape.
    char suggested[PAPERTAPE_NAME_SIZE] = "";
    if (file_loaded && game_file_name[0]) {
        std::snprintf(suggested, sizeof suggested, "%s",
                      own_output_name(game_file_name, ".pap").c_str());
    }
    char chosen[PAPERTAPE_NAME_SIZE] = "";
    if (ui_host.save_request(file_kinds[KIND_PAP].save_title, "#?.PAP", tapes_path, suggested,
                             file_suffix_adder(".pap"), chosen) != 0)
        return;
    papertape_create_at(u, chosen);
}

void papertape_stop(int u) {
    if (!unit_ok(u)) return;
    if (papertape_state[u] == TAPE_READING || papertape_state[u] == TAPE_PUNCHING) {
        papertape_state[u] = TAPE_STOPPED;
        refresh();
    }
}

// Writes a punched tape back over its file: false, with a warning naming the
// file and why, when it was not written. Only an `eject` after the warning
// writes over a file that changed since the tape went in.
static bool write_back(int u, bool eject) {
    UnitFile& f = unit_files[u];
    const std::string host = path_to_host(papertape_file_name[u]);
    // While the program runs the tape stays in the unit, to be ejected again.
    const char* kept = app_exiting ? "" : "\nThe papertape stays in the unit: Eject ";
    std::string text = eject && f.over_changed
                           ? ""
                           : file_identity_refusal("Can't write the papertape back", host, f.took);
    if (!text.empty()) {
        f.over_changed = true;
        if (kept[0]) text += kept + std::string("writes it there all the same.");
        ui_warning(text.c_str());
        return false;
    }
    std::string error;
    const FileUseOwnWrite own(FileUse::papertape); // the reader may share the file
    if (!file_write_replace(host, papertape_buffer[u], papertape_length[u], &error)) {
        text = file_failure_text("Can't write the papertape to", host, error);
        if (kept[0]) text += kept + std::string("tries again.");
        ui_warning(text.c_str());
        return false;
    }
    return true;
}

// A punched tape goes back to its file and stays in the unit, as if it had
// come from the file as it is now. False when it was not written: it is
// then held back, punched frames and all. A tape only read keeps its file as
// it is, whatever became of it.
static bool bring_back(int u, bool eject) {
    UnitFile& f = unit_files[u];
    if (!f.punched) return true;
    if (!write_back(u, eject)) {
        f.held_back = true;
        refresh();
        return false;
    }
    take_file(u, papertape_file_name[u]);
    f.held_back = f.over_changed = false;
    return true;
}

static bool empty_unit(int u, bool eject) {
    if (!unit_ok(u) || papertape_state[u] == TAPE_EMPTY) return true;
    papertape_stop(u);
    if (!bring_back(u, eject)) return false;
    papertape_state[u] = TAPE_EMPTY;
    papertape_length[u] = 0;
    papertape_position[u] = 0;
    unit_files[u] = UnitFile{};
    refresh();
    return true;
}

bool papertape_close(int u) {
    return empty_unit(u, false);
}

bool papertape_eject(int u) {
    return empty_unit(u, true);
}

bool papertape_held_back(int u) {
    if (!unit_ok(u) || papertape_state[u] == TAPE_EMPTY || !unit_files[u].punched) return false;
    const UnitFile& f = unit_files[u];
    return f.held_back ||
           !file_identity_change(path_to_host(papertape_file_name[u]), f.took, true).empty();
}

const FileIdentity& papertape_file_identity(int u) {
    static const FileIdentity none;
    return unit_ok(u) ? unit_files[u].took : none;
}

void papertape_punch_run(int u) {
    if (!unit_ok(u) || papertape_state[u] == TAPE_EMPTY) return;
    papertape_state[u] = TAPE_PUNCHING;
    refresh();
}

void papertape_read_run(int u) {
    if (!unit_ok(u) || papertape_state[u] == TAPE_EMPTY) return;
    papertape_state[u] = TAPE_READING;
    refresh();
}

void papertape_punch(u8 c) {
    if (papertape_state[0] != TAPE_PUNCHING) return;
    u32& pos = papertape_position[0];
    u32& len = papertape_length[0];
    if (pos >= PAPERTAPE_SIZE) { // never written past the end
        papertape_stop(0);
        return;
    }
    if (papertape_write_protect) {
        // The protected punch only runs blank tape out at the end.
        papertape_last_byte[0] = 0;
        if (pos == len) {
            papertape_buffer[0][pos] = 0;
            unit_files[0].punched = true;
        }
    } else {
        papertape_last_byte[0] = c;
        papertape_buffer[0][pos] = c;
        unit_files[0].punched = true;
        if (teletypesounds) snd_play_effect(9);
    }
    if (pos == len) len++;
    pos++;
    if (pos >= PAPERTAPE_SIZE)
        papertape_stop(0);
    else
        ui_mark(UI_REFRESH_WINDOWS);
}

u8 papertape_read(int u) {
    if (!unit_ok(u) || papertape_state[u] != TAPE_READING) return 0x80;
    if (papertape_position[u] >= papertape_length[u]) {
        papertape_stop(u);
        return 0x80;
    }
    const u8 c = papertape_buffer[u][papertape_position[u]++];
    papertape_last_byte[u] = c;
    if (papertape_position[u] >= papertape_length[u])
        papertape_stop(u);
    else
        ui_mark(UI_REFRESH_WINDOWS);
    return c;
}

void papertape_title(char* out, int size) {
    if (!out || size <= 0) return;
    const bool both = device_link.papertape_units > 1;
    std::string title = both ? cat_str(1245, "Papertape Units") : cat_str(1239, "Papertape Unit");
    bool named0 = false;
    for (int u = 0; u < (both ? 2 : 1); u++) {
        if (papertape_state[u] == TAPE_EMPTY) continue;
        const char* name = papertape_file_name[u];
        const char* part = name;
        for (const char* p = name; *p; p++)
            if (*p == '/' || *p == '\\' || *p == ':') part = p + 1;
        title += (u == 1 && named0) ? " & " : ": ";
        title += part;
        if (u == 0 && part[0]) named0 = true;
    }
    std::snprintf(out, static_cast<size_t>(size), "%s", title.c_str());
}

// ---- The picture ---------------------------------------------------------------

u8 papertape_picture[PAPERTAPE_UNITS][PAPERTAPE_PICTURE_WIDTH * PAPERTAPE_PICTURE_HEIGHT];

namespace {

// '#' outline, '-' inside (filled only for a punched bit).
constexpr const char* DATA_HOLE[10] = {"....##....", "..##--##..", ".#------#.", ".#------#.",
                                       "#--------#", "#--------#", ".#------#.", ".#------#.",
                                       "..##--##..", "....##...."};
constexpr const char* FEED_HOLE[6] = {"..##..", ".####.", "######", "######", ".####.", "..##.."};
constexpr const char* ARROW[10] = {"##........", "####......", "######....", "########..",
                                   "##########", "##########", "########..", "######....",
                                   "####......", "##........"};

constexpr u8 HOLE_INK = 9, UNPUNCHED_INK = 7;

struct Canvas {
    u8* px;
    void dot(int x, int y, u8 colour) const {
        if (x >= 0 && x < PAPERTAPE_PICTURE_WIDTH && y >= 0 && y < PAPERTAPE_PICTURE_HEIGHT)
            px[y * PAPERTAPE_PICTURE_WIDTH + x] = colour;
    }
    template <size_t N>
    void pattern(const char* const (&rows)[N], int x0, int y0, u8 outline, int fill) const {
        for (size_t r = 0; r < N; r++)
            for (int c = 0; rows[r][c]; c++) {
                if (rows[r][c] == '#')
                    dot(x0 + c, static_cast<int>(y0 + r), outline);
                else if (rows[r][c] == '-' && fill >= 0)
                    dot(x0 + c, static_cast<int>(y0 + r), static_cast<u8>(fill));
            }
    }
    void dotted_line(int y) const {
        for (int x = 0; x < PAPERTAPE_PICTURE_WIDTH; x += 2)
            dot(x, y, HOLE_INK);
    }
};

u8 background(int u) {
    switch (papertape_state[u]) {
    case TAPE_EMPTY:
        return 8;
    case TAPE_READING:
        return 6;
    case TAPE_PUNCHING:
        return u == 0 && papertape_write_protect ? 3 : 0;
    default:
        return 2;
    }
}

// The frame's character at double size. The font has glyphs for $20-$5F:
// lower case shows as upper case, and anything unprintable as a solid block.
void draw_char(const Canvas& cv, u8 frame, int x0, int y0) {
    const u8 code = frame & 0x7F;
    const bool printable = code >= 32 && code <= 122;
    const u8* glyph = device_glyph(code >= 0x60 ? static_cast<u8>(code - 0x20) : code);
    for (int r = 0; r < 7; r++)
        for (int c = 0; c < 5; c++) {
            if (printable && !(glyph[r] & (0x10 >> c))) continue;
            for (int dy = 0; dy < 2; dy++)
                for (int dx = 0; dx < 2; dx++)
                    cv.dot(x0 + 2 * c + dx, y0 + 2 * r + dy, HOLE_INK);
        }
}

} // namespace

void papertape_draw_holes(int u) {
    if (!unit_ok(u)) return;
    const Canvas cv{papertape_picture[u]};
    std::memset(cv.px, background(u), sizeof papertape_picture[u]);
    const std::int64_t position = papertape_position[u], length = papertape_length[u];
    for (int row = 0; row < 9; row++) {
        const std::int64_t f = position - 4 + row;
        if (f < 0 || f >= length) continue;
        const u8 frame = papertape_buffer[u][f];
        for (int i = 0; i < 8; i++) {
            const bool punched = frame & (0x80 >> i);
            const int x = (i < 5 ? 26 : 46) + 20 * i;
            cv.pattern(DATA_HOLE, x, row * 20 + 6, punched ? HOLE_INK : UNPUNCHED_INK,
                       punched ? HOLE_INK : -1);
        }
        cv.pattern(FEED_HOLE, 128, row * 20 + 8, HOLE_INK, -1);
        draw_char(cv, frame, 208, row * 20 + 4);
    }
    cv.pattern(ARROW, 8, 86, HOLE_INK, -1);
    if (position < 4) cv.dotted_line(static_cast<int>((4 - position) * 20 + 1));
    if (position + 4 >= length) cv.dotted_line(static_cast<int>((length - position + 4) * 20 + 1));
}
