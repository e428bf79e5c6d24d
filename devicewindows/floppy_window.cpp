#include "devicewindows/floppy_window.h"

#include "core/frame.h"
#include "core/helpers.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "debugger/debugger.h"
#include "display/host.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "peripherals/floppy.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int IMAGE_BINBUG_DIM = 518, IMAGE_CD2650_DIM = 520;
constexpr int MAP_ROWS = 128;
constexpr int NO_BLOCK = -1;

// What the window last showed of each drive.
struct Shown {
    bool valid = false;
    u8 head_track = 0, head_sector = 0;
    u32 byte_index = 0, view_offset = 0, mode = 0;
    i32 cluster = -2;
    i32 head_cell = -1; // map cell of the head, -1 none
    u8 cells[256] = {};
};
Shown shown[FLOPPY_DRIVES];
// What each status-bar indicator shows: the mode and track, -1 unknown.
i32 indicator_mode[FLOPPY_DRIVES] = {-1, -1, -1, -1};
i32 indicator_track[FLOPPY_DRIVES] = {-1, -1, -1, -1};
u8 picture_spinning = 0; // the motor state the drive picture shows
u8 map_pixels[2][MAP_ROWS * FLOPPY_MAP_STRIDE];

int window() {
    return gui_subwin_window[TW_FLOPPY];
}

bool twin() {
    return machine_traits().disk_layout == DiskLayout::TWIN;
}

bool cd2650() {
    return machine_traits().disk_layout == DiskLayout::CD2650;
}

bool binbug() {
    return machine_traits().disk_layout == DiskLayout::BINBUG;
}

i32* user_drives() {
    return cd2650() ? &cd2650_userdrives : binbug() ? &binbug_userdrives : nullptr;
}

// The drives the user set up, and any drive beyond them that a disk was put
// into (OPEN fills the first empty drive of the machine).
i32 drives_in_use() {
    const i32* n = user_drives();
    const i32 count = floppy_drive_count();
    i32 used = n && *n >= 1 && *n <= count ? *n : count;
    for (i32 d = used; d < count; d++)
        if (drive_has_disk(d)) used = d + 1;
    return used;
}

// The gadget `base` of drive `drive` (the TWIN's drive 1 has its own).
int gid_of(int base, int drive) {
    if (!twin() || drive == 0) return base;
    switch (base) {
    case GID_FD_FILENAME:
    case GID_FD_PROTECT:
    case GID_FD_SLIDER:
    case GID_FD_MAP:
        return base + 1;
    default:
        return base + GID_FD_DRIVE1;
    }
}

// The drive a gadget of the window belongs to.
int drive_of_gadget(int gid, int* base) {
    *base = gid;
    if (!twin()) return static_cast<int>(floppy_shown_drive);
    if (gid >= GID_FD_CREATE + GID_FD_DRIVE1 && gid <= GID_FD_CLUSTER + GID_FD_DRIVE1) {
        *base = gid - GID_FD_DRIVE1;
        return 1;
    }
    if (gid == GID_FD_FILENAME + 1 || gid == GID_FD_PROTECT + 1 || gid == GID_FD_SLIDER + 1 ||
        gid == GID_FD_MAP + 1) {
        *base = gid - 1;
        return 1;
    }
    return 0;
}

int cell_size() {
    return twin() ? 4 : 8;
}
int map_width() {
    return floppy_geometry().tracks * cell_size();
}
int map_height() {
    return floppy_geometry().sectors * cell_size();
}
u32 track_bytes() {
    const DiskGeometry& g = floppy_geometry();
    return g.sectors * g.sector_bytes;
}
u32 sector_bytes() {
    return floppy_geometry().sector_bytes;
}

// The controller's data mode as drive `drive` sees it: only the addressed
// drive reads or writes.
u32 mode_of(int drive) {
    return static_cast<u32>(drive) == fdc_current_drive ? fdc_mode : FDC_IDLE;
}

int rgb_of(int colour) {
    if (colour < 0 || colour >= EXTRA_PENS) return -1;
    return static_cast<int>(display_colour_table[GUEST_COLOURS + colour]);
}

u8 pen_of(int colour) {
    return static_cast<u8>(GUEST_COLOURS + colour);
}

// The map picture of the drive (the TWIN's drive 1 has the second).
u8* map_of(int drive) {
    return map_pixels[twin() && drive == 1 ? 1 : 0];
}

void set_text(int gid, const char* text) {
    gui_set_text(window(), gid, text);
}

// ---- the layout ----------------------------------------------------------------------------

GuiNode node(GuiKind kind, int gid = 0) {
    GuiNode n;
    n.kind = kind;
    n.gid = gid;
    return n;
}

GuiNode group(GuiKind kind, std::vector<GuiNode> children, const char* title = nullptr,
              bool framed = false) {
    GuiNode g = node(kind);
    g.children = std::move(children);
    if (title) g.text = title;
    g.framed = framed;
    return g;
}

GuiNode button(int gid, int number, const char* english) {
    GuiNode b = node(GK_BUTTON, gid);
    b.text = cat_str(number, english);
    return b;
}

GuiNode label(const char* text) {
    GuiNode l = node(GK_LABEL);
    l.text = text;
    return l;
}

GuiNode field(int gid, const char* caption, const char* initial, int chars) {
    GuiNode f = node(GK_STRING, gid);
    f.readonly = true;
    f.label = caption;
    f.text = initial;
    f.max_chars = chars;
    return f;
}

GuiNode checkbox(int gid, int number, const char* english, bool on) {
    GuiNode c = node(GK_CHECKBOX, gid);
    c.text = cat_str(number, english);
    c.value = on ? 1 : 0;
    c.selected = on;
    return c;
}

GuiNode chooser(int gid, const char* caption, std::vector<std::string> items, int value) {
    GuiNode c = node(GK_CHOOSER, gid);
    c.label = caption;
    c.items = std::move(items);
    c.value = value;
    return c;
}

GuiNode map_gadget(int drive) {
    GuiNode m = node(GK_PICTURE, gid_of(GID_FD_MAP, drive));
    m.min_w = map_width();
    m.min_h = map_height();
    m.centred = true;
    return m;
}

// The sector slider, the rows of byte cells and the owner field of a drive.
GuiNode sector_contents(int drive, bool framed) {
    const DiskGeometry& g = floppy_geometry();
    GuiNode box = group(GK_VGROUP, {}, cat_str(1013, "Sector Contents"), framed);
    GuiNode slider = node(GK_SLIDER, gid_of(GID_FD_SLIDER, drive));
    slider.min = 0;
    slider.max = static_cast<int>(g.tracks * g.sectors) - 1;
    slider.weight = 1;
    box.children.push_back(slider);
    const int rows = static_cast<int>(g.sector_bytes / 16);
    const int first_cell = twin() ? drive * 128 : 0;
    const int first_row = twin() ? drive * 8 : 0;
    for (int r = 0; r < rows; r++) {
        GuiNode row = node(GK_HGROUP);
        GuiNode address = node(GK_STRING, GID_FD_ROW + first_row + r);
        address.readonly = true;
        address.text = "-";
        address.max_chars = 7;
        row.children.push_back(address);
        for (int c = 0; c < 16; c++) {
            GuiNode cell = node(GK_BUTTON, GID_FD_CELL + first_cell + r * 16 + c);
            cell.min_w = 30; // wide enough for "##"
            cell.disabled = true;
            row.children.push_back(cell);
        }
        box.children.push_back(row);
    }
    GuiNode name = field(gid_of(GID_FD_FILENAME, drive), cat_str(1248, "Filename:"), "-", 0);
    name.weight = 1;
    box.children.push_back(name);
    return box;
}

GuiNode disk_buttons(int drive, bool protect_below) {
    GuiNode column = group(GK_VGROUP, {});
    if (!protect_below) column.children.push_back(node(GK_SPACE));
    column.children.push_back(button(gid_of(GID_FD_CREATE, drive), 974, "Create disk"));
    column.children.push_back(button(gid_of(GID_FD_INSERT, drive), 975, "Insert disk..."));
    column.children.push_back(button(gid_of(GID_FD_UPDATE, drive), 977, "Update disk..."));
    column.children.push_back(button(gid_of(GID_FD_EJECT, drive), 978, "Eject disk"));
    column.children.push_back(node(GK_SPACE));
    if (protect_below)
        column.children.push_back(checkbox(gid_of(GID_FD_PROTECT, drive), 979, "Write protect?",
                                           floppy_write_protected(drive)));
    return column;
}

GuiNode twin_drive(int drive) {
    GuiNode fields = group(GK_VGROUP, {field(gid_of(GID_FD_TRACK, drive), cat_str(982, "Track:"), "--", 2),
                                       field(gid_of(GID_FD_CLUSTER, drive), cat_str(1038, "Cluster:"), "---", 3),
                                       field(gid_of(GID_FD_SECTOR, drive), cat_str(983, "Sector:"), "--", 2),
                                       field(gid_of(GID_FD_BYTE, drive), cat_str(984, "Byte: $"), "-----", 5)});
    const char* of = cat_str(552, "of");
    GuiNode ofs = group(GK_VGROUP, {label(of), label(of), label(of), label(of)});
    GuiNode maxima = group(GK_VGROUP, {label(" 76"), label(" 303"), label(" 31"), label(" $4CFFF")});
    GuiNode head = group(GK_HGROUP, {fields, ofs, maxima}, cat_str(1009, "Head Position"), true);
    GuiNode top = group(GK_HGROUP, {disk_buttons(drive, true), label(" "),
                                    group(GK_VGROUP, {node(GK_SPACE), map_gadget(drive), node(GK_SPACE)}),
                                    group(GK_VGROUP, {node(GK_SPACE), head, node(GK_SPACE)})});
    return group(GK_VGROUP, {top, sector_contents(drive, false)},
                 drive == 0 ? cat_str(1236, "1st Drive") : cat_str(1237, "2nd Drive"), true);
}

// The machine's drives numbered as every message numbers them, from 0
// (`from` 0), or counted from 1 (`from` 1).
std::vector<std::string> drive_labels(int from) {
    std::vector<std::string> labels;
    for (int d = 0; d < floppy_drive_count(); d++)
        labels.push_back(std::to_string(d + from));
    return labels;
}

GuiNode view_as_chooser() {
    return chooser(GID_FD_VIEW_AS, cat_str(628, "View as"),
                   {cat_str(629, "Hexadecimal"), cat_str(630, "Characters")}, viewdiskas ? 1 : 0);
}

const char* window_title() {
    return twin() ? cat_str(1041, "Floppy Disk Drives") : cat_str(1000, "Floppy Disk Drive");
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = window_title();
    d.help_node = machine_row().floppy_help ? machine_row().floppy_help : "floppydrive";
    d.accept_drops = true;
    GuiNode& root = d.root;
    root.kind = GK_VGROUP;
    const GuiNode verbose = checkbox(GID_FD_VERBOSE, 819, "Verbose output?", verbose_log != 0);
    if (twin()) {
        root.children = {twin_drive(0), label(""), twin_drive(1),
                         group(GK_HGROUP, {verbose, button(GID_FD_SWAP, 1189, "Swap disks"),
                                           node(GK_SPACE), view_as_chooser()})};
        return d;
    }
    const int shown_drive = static_cast<int>(floppy_shown_drive);
    root.children.push_back(group(GK_HGROUP, {node(GK_SPACE), map_gadget(0), node(GK_SPACE)}));
    GuiNode protect = group(GK_VGROUP, {node(GK_SPACE),
                                        checkbox(GID_FD_PROTECT, 979, "Write protect?",
                                                 floppy_write_protected(shown_drive)),
                                        node(GK_SPACE)});
    GuiNode head = group(GK_VGROUP,
                         {group(GK_HGROUP, {chooser(GID_FD_DRIVE, cat_str(1269, "Drive:"), drive_labels(0),
                                                    shown_drive),
                                            label(cat_str(552, "of")),
                                            chooser(GID_FD_DRIVES, "", drive_labels(1), drives_in_use() - 1)}),
                          field(GID_FD_TRACK, cat_str(982, "Track:"), "--", 2),
                          field(GID_FD_SECTOR, cat_str(983, "Sector:"), "--", 2),
                          field(GID_FD_BYTE, cat_str(984, "Byte: $"), "-----", 5)},
                         cat_str(1009, "Head Position"), true);
    root.children.push_back(group(GK_HGROUP, {disk_buttons(0, false), protect, head}));
    root.children.push_back(sector_contents(0, true));
    GuiNode picture = node(GK_IMAGE, GID_FD_PICTURE);
    picture.image = gui_image(cd2650() ? IMAGE_CD2650_DIM : IMAGE_BINBUG_DIM);
    picture.centred = true;
    root.children.push_back(group(GK_HGROUP, {view_as_chooser(), node(GK_SPACE), verbose,
                                              node(GK_SPACE), group(GK_VGROUP, {picture})}));
    return d;
}

// ---- the map ---------------------------------------------------------------------------------

void paint_cell(int drive, u32 track, u32 row, int colour) {
    if (!twin() && static_cast<u32>(drive) != floppy_shown_drive) return;
    const DiskGeometry& g = floppy_geometry();
    if (track >= g.tracks || row >= g.sectors || colour < 0) return;
    const int size = cell_size();
    const u32 quad = pen_of(colour) * 0x01010101u;
    u8* map = map_of(drive);
    for (int y = 0; y < size; y++) {
        u8* p = map + (static_cast<int>(row) * size + y) * FLOPPY_MAP_STRIDE + static_cast<int>(track) * size;
        for (int x = 0; x < size; x += 4)
            std::memcpy(p + x, &quad, 4);
    }
}

void blit_map(int drive) {
    if (!window() || (!twin() && static_cast<u32>(drive) != floppy_shown_drive)) return;
    const int gid = gid_of(GID_FD_MAP, drive);
    gui_display_attach(window(), gid, map_of(drive), map_width(), map_height(), FLOPPY_MAP_STRIDE,
                       display_colour_table, HOST_PENS);
    gui_display_refresh(window(), gid);
}

void fill_map(int drive, int colour) {
    std::memset(map_of(drive), pen_of(colour), MAP_ROWS * FLOPPY_MAP_STRIDE);
}

// The map cell of the head's track and sector; -1 off the disk.
i32 head_cell(int drive) {
    const FloppyDrive& d = drives[drive];
    u32 offset;
    if (!disk_position_offset(d.head_track, d.head_sector, &offset)) return -1;
    return static_cast<i32>(offset / sector_bytes());
}

// The state the block map gives the block at image offset `offset`; -1
// where no block holds it (the TWIN's track 0).
int block_state(int drive, u32 offset) {
    const i32 b = disk_block_of(offset);
    if (b < 0 || b >= FLOPPY_BLOCKS) return -1;
    return drives[drive].block_map[b];
}

// ---- the owner of a block ----------------------------------------------------------------------

std::string entry_text(const FloppyDrive& d, int e) {
    return std::string(d.name_cache[e]) + "." + d.ext_cache[e];
}

// BINBUG DOS: ten directory sectors of ten 24-byte entries after a 16-byte
// header; a later directory sector's match wins, within one the first.
std::string binbug_owner(const FloppyDrive& d, i32 block) {
    std::string text = "(File)";
    for (int s = 0; s < 10; s++)
        for (int e = 0; e < 10; e++) {
            if (!d.name_cache[s * 10 + e][0]) continue;
            const u8* entry = d.image + s * 256 + 16 + 24 * e;
            const i32 first = entry[13] * 10 + entry[14] - 1;
            const i32 last = entry[15] * 10 + entry[16] - 1;
            if (first <= block && block <= last) {
                text = entry_text(d, s * 10 + e);
                break;
            }
        }
    return text;
}

// CD2650 DOS: 64 entries of 64 bytes on tracks 0 and 1; the first match wins.
std::string cd2650_owner(const FloppyDrive& d, i32 block) {
    for (int n = 0; n < 64; n++) {
        if (!d.name_cache[n][0]) continue;
        const u8* entry = d.image + n * 64;
        const i32 first = entry[28] * 9 + entry[29] - 1;
        const i32 last = entry[30] * 9 + entry[31] - 1;
        if (first <= block && block <= last) return entry_text(d, n);
    }
    return "(File)";
}

// TWIN SDOS: each file's cluster bitmap in its descriptor on track 0; the
// last sector's three descriptors start five bytes in.
std::string twin_owner(int drive, const FloppyDrive& d, i32 cluster) {
    for (int n = 0; n < 78; n++) {
        if (!d.name_cache[n][0]) continue;
        const u32 at = n < 75 ? 768 + 128 * (n / 3) + 41 * (n % 3) : 3973 + 41 * (n - 75);
        if (d.image[at + cluster / 8] & (0x80 >> (cluster % 8))) {
            std::string text = d.name_cache[n];
            const DiskSystem* s = floppy_disk_system();
            if (s && s->owner_note) s->owner_note(drive, n, &text);
            return text;
        }
    }
    return "(File)";
}

// Cell and owner colours by block state: lost, directory, file, free.
constexpr int STATE_COLOURS[4] = {7, 5, 17, 6};

// The extra colour of a byte cell of the drive at image offset `at`, with
// the head's byte at `head_byte`.
int cell_colour(int drive, u32 at, i32 head_byte, u32 index_in_sector) {
    static constexpr int MODE_COLOURS[3] = {1, 2, 3};
    const u32 mode = mode_of(drive);
    if (static_cast<i32>(at) == head_byte && mode <= 2) return MODE_COLOURS[mode];
    if (floppy_watched(drive, at)) return 4;
    if (binbug() && index_in_sector < 2) return 0;
    const int state = block_state(drive, at);
    if (twin() && state < 0) return 5;
    return state >= 0 && state <= 3 ? STATE_COLOURS[state] : -1;
}

// ---- the refresh -------------------------------------------------------------------------------

void refresh_indicator(int scope, int drive) {
    if (!main_window || !gui_status_bar_shown()) return;
    // A main window opened anew shows "--" everywhere.
    static int indicators_window = 0;
    if (indicators_window != main_window) {
        indicators_window = main_window;
        for (int d = 0; d < FLOPPY_DRIVES; d++)
            indicator_mode[d] = indicator_track[d] = -1;
    }
    const int gid = GID_DRIVE_0 + drive;
    if (drive >= floppy_drive_count()) {
        if (indicator_mode[drive] == -2) return;
        gui_set_text(main_window, gid, "--");
        gui_set_background(main_window, gid, -1);
        gui_set_disabled(main_window, gid, true);
        indicator_mode[drive] = -2;
        return;
    }
    const i32 mode = static_cast<i32>(mode_of(drive));
    const i32 track = drives[drive].head_track;
    if (scope <= 1 && mode == indicator_mode[drive] && track == indicator_track[drive]) return;
    static constexpr int COLOURS[3] = {1, 2, 3};
    char text[8];
    std::snprintf(text, sizeof text, "%02d", track);
    gui_set_text(main_window, gid, text);
    gui_set_disabled(main_window, gid, false);
    gui_set_background(main_window, gid, rgb_of(mode <= 2 ? COLOURS[mode] : 8));
    indicator_mode[drive] = mode;
    indicator_track[drive] = track;
}

void refresh_title(int drive) {
    std::string title = window_title();
    auto named = [](int d) { return drives[d].present && drives[d].file_name[0]; };
    auto last_part = [](int d) { return std::string(path_file_part(drives[d].file_name)); };
    if (twin()) {
        if (named(0)) title += ": " + last_part(0);
        if (named(1)) title += (named(0) ? " & " : ": ") + last_part(1);
    } else {
        gui_set_value(window(), GID_FD_DRIVE, drive);
        gui_set_value(window(), GID_FD_DRIVES, drives_in_use() - 1);
        if (named(drive)) title += ": " + last_part(drive);
    }
    gui_window_set_title(window(), title.c_str());
}

void refresh_cells(int scope, int drive, Shown& s, bool view_moved) {
    const FloppyDrive& d = drives[drive];
    const DiskGeometry& g = floppy_geometry();
    const u32 size = sector_bytes();
    disk_image_offset(drive, true);
    const i32 head_byte = disk_invalid ? -1 : static_cast<i32>(disk_offset);
    const int first = twin() ? drive * 128 : 0;
    // The head mark moves with the byte index, the sector and the data mode.
    const bool head_moved = d.byte_index != s.byte_index || d.head_track != s.head_track ||
                            d.head_sector != s.head_sector || mode_of(drive) != s.mode;
    for (u32 i = 0; i < size; i++) {
        const u32 at = d.view_offset + i;
        const int gid = GID_FD_CELL + first + static_cast<int>(i);
        const bool inside = at < g.image_bytes;
        const u8 byte = inside ? d.image[at] : 0;
        const bool head_cell = head_moved && (i == d.byte_index || i == s.byte_index);
        if (scope <= 1 && !view_moved && byte == s.cells[i] && !head_cell) continue;
        s.cells[i] = byte;
        if (!inside) { // a view the guest moved off the image
            set_text(gid, "--");
            gui_set_background(window(), gid, -1);
            gui_set_disabled(window(), gid, true);
            continue;
        }
        char text[4];
        if (viewdiskas && !(binbug() && (i == 0 || i == 1))) {
            latin1_char_utf8(dbg_guest_char_to_ascii(byte), text);
        } else {
            hex_byte_to_text(text, byte);
        }
        gui_set_disabled(window(), gid, false);
        set_text(gid, text);
        gui_set_background(window(), gid, rgb_of(cell_colour(drive, at, head_byte, i)));
        gui_set_hint(window(), gid, floppy_cell_hint(first + static_cast<int>(i)).c_str());
    }
}

void empty_drive(int drive) {
    const int first = twin() ? drive * 128 : 0;
    const int size = static_cast<int>(sector_bytes());
    for (int i = 0; i < size; i++) {
        const int gid = GID_FD_CELL + first + i;
        set_text(gid, "-");
        gui_set_background(window(), gid, -1);
        gui_set_disabled(window(), gid, true);
        gui_set_hint(window(), gid, floppy_cell_hint(first + i).c_str());
    }
    fill_map(drive, 8);
    blit_map(drive);
}

void refresh_map(int scope, int drive, Shown& s) {
    const DiskGeometry& g = floppy_geometry();
    const i32 head = head_cell(drive);
    bool painted = false;
    auto paint = [&](i32 cell) {
        if (cell < 0 || cell >= static_cast<i32>(g.tracks * g.sectors)) return;
        const u32 track = static_cast<u32>(cell) / g.sectors, row = static_cast<u32>(cell) % g.sectors;
        paint_cell(drive, track, row, floppy_map_colour(drive, track, row));
        painted = true;
    };
    if (scope >= 3) {
        for (i32 c = 0; c < static_cast<i32>(g.tracks * g.sectors); c++)
            paint(c);
    } else {
        paint(s.head_cell);
        if (head != s.head_cell) paint(head);
    }
    if (painted) blit_map(drive);
    s.head_cell = head;
}

void refresh_head_fields(int scope, int drive, Shown& s) {
    const FloppyDrive& d = drives[drive];
    const u32 mode = mode_of(drive);
    const bool all = scope >= 3 || mode != s.mode;
    static constexpr int COLOURS[3] = {1, 2, 0};
    const int background = rgb_of(mode <= 2 ? COLOURS[mode] : 8);
    auto show = [&](int base, const char* text) {
        const int gid = gid_of(base, drive);
        set_text(gid, text);
        gui_set_background(window(), gid, background);
    };
    char text[16];
    if (all || d.head_track != s.head_track) {
        std::snprintf(text, sizeof text, "%d", d.head_track);
        show(GID_FD_TRACK, text);
    }
    if (all || d.head_sector != s.head_sector) {
        std::snprintf(text, sizeof text, "%d", d.head_sector);
        show(GID_FD_SECTOR, text);
    }
    disk_image_offset(drive, true);
    const bool valid = !disk_invalid;
    if (all || d.head_track != s.head_track || d.head_sector != s.head_sector ||
        d.byte_index != s.byte_index) {
        if (valid)
            std::snprintf(text, sizeof text, "%X", disk_offset);
        else
            std::snprintf(text, sizeof text, "--");
        show(GID_FD_BYTE, text);
    }
    if (twin()) {
        const i32 cluster = !valid ? -3 : d.head_track == 0 ? -1 : (d.head_track - 1) * 4 + d.head_sector / 8;
        if (all || cluster != s.cluster) {
            if (cluster == -3)
                std::snprintf(text, sizeof text, "--");
            else if (cluster < 0)
                std::snprintf(text, sizeof text, "-");
            else
                std::snprintf(text, sizeof text, "%d", cluster);
            show(GID_FD_CLUSTER, text);
        }
        s.cluster = cluster;
    }
}

} // namespace

// ---- what the window shows ----------------------------------------------------------------------

int floppy_map_colour(int drive, u32 track, u32 row) {
    const DiskGeometry& g = floppy_geometry();
    if (drive < 0 || drive >= FLOPPY_DRIVES || track >= g.tracks || row >= g.sectors) return -1;
    const FloppyDrive& d = drives[drive];
    if (!d.present) return 8;
    const u32 mode = mode_of(drive);
    if (mode != FDC_IDLE && static_cast<i32>(track * g.sectors + row) == head_cell(drive))
        return mode == FDC_READING ? 2 : mode == FDC_WRITING ? 0 : -1;
    const u32 offset = (track * g.sectors + row) * g.sector_bytes;
    const int state = block_state(drive, offset);
    if (twin() && state < 0) return 5;
    static constexpr int COLOURS[4] = {9, 5, 17, 6};
    return state >= 0 && state <= 3 ? COLOURS[state] : -1;
}

const u8* floppy_map_pixels(int drive) {
    return map_of(drive);
}

FloppyOwner floppy_owner(int drive) {
    if (drive < 0 || drive >= FLOPPY_DRIVES || !drives[drive].present) return {"-", -1};
    const FloppyDrive& d = drives[drive];
    const i32 block = disk_block_under_head(drive);
    if (twin() && block < 0) return {"(Track zero)", 5};
    const int state = block < 0 || block >= FLOPPY_BLOCKS ? -1 : d.block_map[block];
    const int colour = state >= 0 && state <= 3 ? STATE_COLOURS[state] : -1;
    switch (state) {
    case BLOCK_LOST:
        return {cd2650() ? "(Unknown)" : "(Lost)", colour};
    case BLOCK_DIRECTORY:
        return {"(Directory)", colour};
    case BLOCK_FREE:
        return {"(Free)", colour};
    case BLOCK_FILE:
        if (binbug()) return {binbug_owner(d, block), colour};
        if (cd2650()) return {cd2650_owner(d, block), colour};
        return {twin_owner(drive, d, block), colour};
    default:
        return {"(Unknown)", colour};
    }
}

std::string floppy_cell_hint(int i) {
    const DiskGeometry& g = floppy_geometry();
    if (g.tracks == 0 || i < 0 || i > 255) return "";
    const int drive = twin() ? i / 128 : static_cast<int>(floppy_shown_drive);
    const u32 b = twin() ? static_cast<u32>(i % 128) : static_cast<u32>(i);
    if (drive >= FLOPPY_DRIVES) return "";
    const FloppyDrive& d = drives[drive];
    const u32 v = d.view_offset, a = v + b;
    const u32 track = v / track_bytes();
    const u32 sector = v % track_bytes() / g.sector_bytes + g.first_sector;
    char text[96];
    const bool contents = d.present && a < g.image_bytes;
    char name[8] = "";
    if (contents) cpu_char_name(d.image[a], name);
    if (twin()) {
        char cluster[12] = "-";
        if (v >= g.reserved_bytes) std::snprintf(cluster, sizeof cluster, "%u", (v - g.reserved_bytes) / g.block_bytes);
        if (contents)
            std::snprintf(text, sizeof text, cat_str(1188, "Track: %d\nCluster: %s\nSector: %d\nByte: $%X\nContents: $%02X (%s)"),
                          track, cluster, sector, a, d.image[a], name);
        else
            std::snprintf(text, sizeof text, cat_str(1247, "Track: %d\nCluster: %s\nSector: %d\nByte: $%X"), track,
                          cluster, sector, a);
    } else if (contents) {
        std::snprintf(text, sizeof text, cat_str(1187, "Track: %d\nSector: %d\nByte: $%X\nContents: $%02X (%s)"), track,
                      sector, a, d.image[a], name);
    } else {
        std::snprintf(text, sizeof text, cat_str(1246, "Track: %d\nSector: %d\nByte: $%X"), track, sector, a);
    }
    return text;
}

void gui_floppy_indicators_refresh() {
    for (int d = 0; d < FLOPPY_DRIVES; d++)
        refresh_indicator(3, d);
}

void gui_floppy_window_refresh(int scope, int drive) {
    if (drive < 0 || drive >= FLOPPY_DRIVES) return;
    refresh_indicator(scope, drive);
    if (!window() || drive >= floppy_drive_count()) return;
    if (!twin() && static_cast<u32>(drive) != floppy_shown_drive) return;
    FloppyDrive& d = drives[drive];
    Shown& s = shown[drive];
    if (!s.valid) scope = 3;
    if (!twin() && d.spinning != picture_spinning) {
        const int dim = cd2650() ? IMAGE_CD2650_DIM : IMAGE_BINBUG_DIM;
        gui_set_image(window(), GID_FD_PICTURE, gui_image(d.spinning ? dim + 1 : dim));
        picture_spinning = d.spinning;
    }
    const DiskGeometry& g = floppy_geometry();
    if (scope >= 3) {
        refresh_title(drive);
        const u32 present = d.present ? 1u : 0u, protect = floppy_write_protected(drive) ? 1u : 0u;
        gui_set_disabled_refresh(TW_FLOPPY, gid_of(GID_FD_UPDATE, drive), present);
        gui_set_enabled_refresh(TW_FLOPPY, gid_of(GID_FD_EJECT, drive), present);
        gui_set_value(window(), gid_of(GID_FD_PROTECT, drive), protect != 0);
        gui_set_selected_refresh(TW_FLOPPY, gid_of(GID_FD_PROTECT, drive), protect);
    }
    const bool view_moved = d.view_offset != s.view_offset;
    if (scope >= 3 || view_moved) {
        const int rows = static_cast<int>(g.sector_bytes / 16);
        const int first_row = twin() ? drive * 8 : 0;
        for (int r = 0; r < rows; r++) {
            char text[16];
            std::snprintf(text, sizeof text, "$%04Xx:", d.view_offset / 16 + r);
            set_text(GID_FD_ROW + first_row + r, text);
        }
        gui_set_value(window(), gid_of(GID_FD_SLIDER, drive), static_cast<int>(d.view_offset / g.sector_bytes));
    }
    if (d.present) {
        refresh_cells(scope, drive, s, view_moved || scope >= 2);
        refresh_map(scope, drive, s);
    } else if (scope >= 3) {
        empty_drive(drive);
    }
    refresh_head_fields(scope, drive, s);
    if (scope >= 2 || view_moved) {
        const FloppyOwner owner = floppy_owner(drive);
        const int gid = gid_of(GID_FD_FILENAME, drive);
        set_text(gid, owner.text.c_str());
        gui_set_background(window(), gid, rgb_of(owner.colour));
    }
    s.valid = true;
    s.head_track = d.head_track;
    s.head_sector = d.head_sector;
    s.byte_index = d.byte_index;
    s.view_offset = d.view_offset;
    s.mode = mode_of(drive);
}

// ---- commands -----------------------------------------------------------------------------------

namespace {

void create_disk(int drive) {
    if (drive >= floppy_drive_count() || !floppy_release_disk(drive, "Replace")) return;
    disk_format_dispatch(drive);
    gui_floppy_window_refresh(3, drive);
}

// The whole records change places: each disk takes its file's name and
// identity and its changed mark along.
void swap_disks() {
    static FloppyDrive spare;
    spare = drives[0];
    drives[0] = drives[1];
    drives[1] = spare;
    std::swap(write_protect[0], write_protect[1]);
    gui_floppy_window_refresh(3, 0);
    gui_floppy_window_refresh(3, 1);
}

void toggle_watch(int i) {
    int drive = static_cast<int>(floppy_shown_drive);
    u32 p = drives[drive].view_offset + static_cast<u32>(i);
    if (twin()) {
        drive = i / 128;
        p = drives[drive].view_offset + static_cast<u32>(i % 128);
    }
    if (p >= floppy_geometry().image_bytes) return;
    floppy_set_watch(drive, p, !floppy_watched(drive, p));
    if (!twin() && !watchreads && !watchwrites)
        con_printf("%s\n", cat_str(902, "Warning: watching of reads and writes is currently turned off! (WR and WW to enable.)"));
    gui_floppy_window_refresh(2, drive);
}

void choose_drive(int choice) {
    if (choice < 0 || choice >= drives_in_use()) {
        gui_set_value(window(), GID_FD_DRIVE, static_cast<int>(floppy_shown_drive));
        return;
    }
    if (static_cast<u32>(choice) == floppy_shown_drive) return;
    floppy_shown_drive = static_cast<u32>(choice);
    gui_floppy_window_refresh(3, choice);
}

void choose_drive_count(int entry) {
    i32* setting = user_drives();
    if (!setting || entry < 0 || entry >= floppy_drive_count()) return;
    *setting = entry + 1;
    prefs_user_chose(setting);
    if (cd2650() && cd2650_dosversion == 1) {
        guest_memory[0x60BE] = static_cast<u8>(entry);
        gui_refresh_windows(0);
    }
    if (fdc_current_drive >= static_cast<u32>(*setting)) fdc_current_drive = static_cast<u32>(entry);
    if (floppy_shown_drive >= static_cast<u32>(*setting)) {
        floppy_shown_drive = static_cast<u32>(entry);
        gui_floppy_window_refresh(3, entry);
    }
}

void gadget(int gid, int code) {
    int base;
    const int drive = drive_of_gadget(gid, &base);
    if (gid >= GID_FD_CELL && gid < GID_FD_CELL + 256) {
        toggle_watch(gid - GID_FD_CELL);
        return;
    }
    switch (base) {
    case GID_FD_CREATE:
        create_disk(drive);
        break;
    case GID_FD_INSERT:
        if (floppy_release_disk(drive, "Replace")) disk_insert_dispatch(1, drive, nullptr);
        break;
    case GID_FD_UPDATE:
        disk_save_image(drive);
        break;
    case GID_FD_EJECT:
        if (floppy_release_disk(drive, "Eject")) floppy_eject(drive);
        break;
    case GID_FD_SWAP:
        if (twin()) swap_disks();
        break;
    case GID_FD_VERBOSE:
        verbose_log = gui_get_value(window(), GID_FD_VERBOSE) ? 1 : 0;
        break;
    case GID_FD_PROTECT:
        floppy_set_write_protect(drive, gui_get_value(window(), gid) != 0);
        break;
    case GID_FD_SLIDER:
        drives[drive].view_offset = static_cast<u32>(code < 0 ? 0 : code) * sector_bytes();
        if (drives[drive].view_offset >= floppy_geometry().image_bytes) drives[drive].view_offset = 0;
        gui_floppy_window_refresh(2, drive);
        break;
    case GID_FD_DRIVE:
        if (!twin()) choose_drive(code);
        break;
    case GID_FD_DRIVES:
        if (!twin()) choose_drive_count(code);
        break;
    case GID_FD_VIEW_AS:
        viewdiskas = code ? 1 : 0;
        if (twin()) {
            gui_floppy_window_refresh(2, 0);
            gui_floppy_window_refresh(2, 1);
        } else {
            gui_floppy_window_refresh(2, static_cast<int>(floppy_shown_drive));
        }
        break;
    default:
        break;
    }
}

// A left press on a map shows the clicked sector; on an empty drive's map it
// asks for a disk to insert.
void map_click(const GuiEvent& e) {
    if (e.code != 1) return;
    int drive = -1, gid = 0;
    if (gui_point_in_gadget(GID_FD_MAP, e.x, e.y)) {
        drive = twin() ? 0 : static_cast<int>(floppy_shown_drive);
        gid = GID_FD_MAP;
    } else if (twin() && gui_point_in_gadget(GID_FD_MAP + 1, e.x, e.y)) {
        drive = 1;
        gid = GID_FD_MAP + 1;
    }
    if (drive < 0) return;
    if (!drives[drive].present) {
        disk_insert_dispatch(1, drive, nullptr);
        return;
    }
    const GuiRect r = gui_gadget_rect(window(), gid);
    const u32 track = static_cast<u32>((e.x - r.left) / cell_size());
    const u32 row = static_cast<u32>((e.y - r.top) / cell_size());
    const DiskGeometry& g = floppy_geometry();
    if (track >= g.tracks || row >= g.sectors) return;
    drives[drive].view_offset = (track * g.sectors + row) * g.sector_bytes;
    gui_floppy_window_refresh(2, drive);
}

void refresh_open(int force) {
    if (twin()) {
        gui_floppy_window_refresh(force ? 3 : 0, 0);
        gui_floppy_window_refresh(force ? 3 : 0, 1);
    } else {
        gui_floppy_window_refresh(force ? 3 : 0, static_cast<int>(floppy_shown_drive));
    }
}

void release() {
    for (Shown& s : shown)
        s.valid = false;
}

void open_from_menu() {
    gui_open_floppy_window(1);
}

} // namespace

void gui_open_floppy_window(int recheck) {
    if (floppy_drive_count() == 0 || floppy_geometry().tracks == 0) return;
    if (window()) {
        gui_window_activate(window());
        return;
    }
    if (floppy_shown_drive >= static_cast<u32>(drives_in_use())) floppy_shown_drive = 0;
    if (recheck) {
        disk_list_dispatch(1, 0);
        if (twin()) disk_list_dispatch(1, 1);
    }
    picture_spinning = 0;
    release();
    if (!gui_open_subwindow(TW_FLOPPY, describe())) return;
    fill_map(0, 8);
    fill_map(1, 8);
    refresh_open(1);
}

void gui_floppy_window_toggle() {
    if (window())
        gui_close_subwindow(TW_FLOPPY);
    else
        gui_open_floppy_window(0);
}

static bool floppy_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_RAWKEY:
        return gui_closing_key(e.code & 0xFF);
    case GE_GADGET:
        gadget(e.gid, e.code);
        break;
    case GE_MOUSEBUTTON:
        map_click(e);
        break;
    case GE_DROP:
        if (gui_take_drop(e) == GuiDrop::FAILED) gui_beep();
        break;
    default:
        break;
    }
    return false;
}

void gui_floppy_handle_input() {
    if (gui_tool_window_events(TW_FLOPPY, floppy_event)) gui_flush_main_port();
}

void floppy_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_FLOPPY];
    ops.open = open_from_menu;
    ops.input = gui_floppy_handle_input;
    ops.refresh = refresh_open;
    ops.release = release;
    floppy_refresh_hook = gui_floppy_window_refresh;
    for (int d = 0; d < FLOPPY_DRIVES; d++)
        indicator_mode[d] = indicator_track[d] = -1;
}
