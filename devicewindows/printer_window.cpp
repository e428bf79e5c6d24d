#include "devicewindows/printer_window.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/machine_titles.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "display/host.h"
#include "gui/images.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "peripherals/device_link.h"
#include "peripherals/printer.h"
#include "peripherals/printer_export.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <algorithm>
#include <vector>

namespace {
constexpr u32 WHEEL_ROWS = 11;
// Interface image rows.
constexpr int IMAGE_BIG_TWIN = 26, IMAGE_SNAPSHOT = 282, IMAGE_COPYAS = 283, IMAGE_CANDY2 = 284;

std::vector<u8> picture; // screen pens, stride rows
int stride = 0;
u32 drawn_serial = 0;

bool twin() {
    return device_link.line_printer;
}

int unit() {
    return twin() && twin_printerunit == 1 ? 1 : 0;
}

int window() {
    return gui_subwin_window[TW_PRINTER];
}

u32 max_scroll_y() {
    const PrinterGeometry& g = printer_geometry;
    return g.page_height > g.view_height ? g.page_height - g.view_height : 0;
}
u32 max_scroll_x() {
    const PrinterGeometry& g = printer_geometry;
    return g.page_width > g.view_width ? g.page_width - g.view_width : 0;
}

GuiNode button(int gid, int number, const char* english, int image = 0) {
    GuiNode b;
    b.kind = GK_BUTTON;
    b.gid = gid;
    b.text = cat_str(number, english);
    b.image = image;
    b.weight = 1;
    return b;
}

GuiNode radio(int gid, int frame_number, const char* frame, std::vector<std::string> items,
              int value) {
    GuiNode group;
    group.kind = GK_VGROUP;
    group.framed = true;
    group.text = frame_number ? cat_str(frame_number, frame) : frame;
    GuiNode r;
    r.kind = GK_RADIO;
    r.gid = gid;
    r.items = std::move(items);
    r.value = value;
    r.vertical = true;
    group.children.push_back(r);
    return group;
}

GuiWindowDesc describe() {
    const PrinterGeometry& g = printer_geometry;
    const PrinterUnit& p = printer_units[unit()];
    GuiWindowDesc d;
    d.title = twin() ? cat_str(1051, "Centronics Model 306C Printer Output")
                     : cat_str(866, "EUY-10E023LE Printer Output");
    d.help_node = twin() ? "twin-printer" : "printer";
    GuiNode& root = d.root;
    root.kind = GK_HGROUP;

    GuiNode pic;
    pic.kind = GK_PICTURE;
    pic.gid = GID_PRN_PICTURE;
    pic.min_w = static_cast<int>(g.view_width);
    pic.min_h = static_cast<int>(g.view_height);
    GuiNode left;
    left.kind = GK_VGROUP;
    left.children.push_back(pic);
    if (twin()) {
        GuiNode h;
        h.kind = GK_SCROLLER;
        h.gid = GID_PRN_HSCROLL;
        h.value = static_cast<int>(printer_scroll_x);
        h.max = static_cast<int>(g.page_width);
        h.visible = static_cast<int>(g.view_width);
        left.children.push_back(h);
        GuiNode outer;
        outer.kind = GK_HGROUP;
        outer.children.push_back(left);
        GuiNode v;
        v.kind = GK_SCROLLER;
        v.gid = GID_PRN_VSCROLL;
        v.vertical = true;
        v.value = static_cast<int>(printer_scroll_y);
        v.max = static_cast<int>(g.page_height);
        v.visible = static_cast<int>(g.view_height);
        outer.children.push_back(v);
        root.children.push_back(outer);
    } else {
        root.children.push_back(left);
    }

    GuiNode right;
    right.kind = GK_VGROUP;
    GuiNode page_row;
    page_row.kind = GK_HGROUP;
    GuiNode page;
    page.kind = GK_INTEGER;
    page.gid = GID_PRN_PAGE;
    page.label = cat_str(1299, "Page:");
    page.readonly = true;
    page.max_chars = 4;
    page.value = static_cast<int>(p.page_number);
    page.max = 9999;
    page_row.children.push_back(page);
    GuiNode space;
    space.kind = GK_SPACE;
    page_row.children.push_back(space);
    if (twin())
        page_row.children.push_back(radio(GID_PRN_UNIT, 1054, "Unit", {"LPT1", "LPT2"}, unit()));
    else
        page_row.children.push_back(
            radio(GID_PRN_WIDTH, 867, "Characters per Line", {"16", "32"}, narrowprinter ? 1 : 0));
    right.children.push_back(page_row);

    GuiNode buttons;
    buttons.kind = GK_VGROUP;
    buttons.children = {
        button(GID_PRN_SAVE_ACBM, 112, "Save graphics as IFF ACBM..."),
        button(GID_PRN_SAVE_ILBM, 111, "Save graphics as IFF ILBM...", gui_image(IMAGE_SNAPSHOT)),
        button(GID_PRN_SAVE_TEXT, 868, "Save text..."),
        button(GID_PRN_COPY_GRAPHICS, 330, "Copy graphics", gui_image(IMAGE_COPYAS)),
        button(GID_PRN_COPY_TEXT, 331, "Copy text"),
        button(GID_PRN_EJECT, 803, "Eject page"),
        button(GID_PRN_DEMO, 1053, "Demonstrate"),
    };
    right.children.push_back(buttons);
    if (twin()) {
        right.children.push_back(radio(GID_PRN_CONDENSED, 1181, "Default Characters per Line",
                                       {cat_str(1182, "80 (normal)"), cat_str(1183, "132 (condensed)")},
                                       static_cast<int>(p.condensed)));
        right.children.push_back(radio(GID_PRN_RIBBON, 1184, "Ribbon",
                                       {cat_str(822, "Black"), cat_str(411, "Red"),
                                        cat_str(412, "Green"), cat_str(413, "Blue")},
                                       static_cast<int>(p.ribbon & 3)));
    }
    GuiNode each;
    each.kind = GK_CHECKBOX;
    each.gid = GID_PRN_EACHPAGE;
    each.text = cat_str(1298, "Automatically save each page?");
    each.value = eachpage ? 1 : 0;
    right.children.push_back(each);
    GuiNode picture_image;
    picture_image.kind = GK_IMAGE;
    picture_image.image = gui_image(twin() ? IMAGE_BIG_TWIN : IMAGE_CANDY2);
    picture_image.centred = true;
    right.children.push_back(picture_image);
    root.children.push_back(right);
    return d;
}

void show_view() {
    printer_render_view();
    prn_blit_page();
}

void set_scroll_y(u32 y) {
    printer_scroll_y = std::min(y, max_scroll_y());
    gui_set_value(window(), GID_PRN_VSCROLL, static_cast<int>(printer_scroll_y));
    show_view();
}

void wheel(int up) {
    if (!twin()) return;
    if (up)
        set_scroll_y(printer_scroll_y <= WHEEL_ROWS - 1 ? 0 : printer_scroll_y - WHEEL_ROWS);
    else
        set_scroll_y(printer_scroll_y + WHEEL_ROWS);
}

void gadget(int gid, int code) {
    const int u = unit();
    switch (gid) {
    case GID_PRN_DEMO:
        if (twin())
            printer_test_page();
        else
            printer_test_line();
        show_view();
        break;
    case GID_PRN_SAVE_ACBM:
        printer_save_page(0, 1, 1, u);
        break;
    case GID_PRN_SAVE_ILBM:
        printer_save_page(0, 0, 1, u);
        break;
    case GID_PRN_SAVE_TEXT:
        export_text(0, 1, u, 0);
        break;
    case GID_PRN_COPY_GRAPHICS:
        printer_save_page(1, 0, 1, u);
        break;
    case GID_PRN_COPY_TEXT:
        export_text(1, 1, u, 0);
        break;
    case GID_PRN_EJECT:
        printer_new_page(u);
        show_view();
        break;
    case GID_PRN_CONDENSED:
        twin_condensed[u] = code ? 1 : 0;
        printer_units[u].condensed = twin_condensed[u];
        break;
    case GID_PRN_RIBBON:
        twin_ribbon[u] = code & 3;
        printer_units[u].ribbon = static_cast<u32>(twin_ribbon[u]);
        break;
    case GID_PRN_WIDTH:
        narrowprinter = code ? 1 : 0;
        break;
    case GID_PRN_UNIT: {
        twin_printerunit = code ? 1 : 0;
        prefs_user_chose(&twin_printerunit);
        const PrinterUnit& p = printer_units[unit()];
        gui_set_radio_refresh(TW_PRINTER, GID_PRN_CONDENSED, p.condensed);
        gui_set_radio_refresh(TW_PRINTER, GID_PRN_RIBBON, p.ribbon & 3);
        show_view();
        break;
    }
    case GID_PRN_VSCROLL:
        printer_scroll_y = std::min(static_cast<u32>(std::max(code, 0)), max_scroll_y());
        show_view();
        break;
    case GID_PRN_HSCROLL:
        printer_scroll_x = std::min(static_cast<u32>(std::max(code, 0)), max_scroll_x());
        show_view();
        break;
    case GID_PRN_EACHPAGE: {
        const bool on = gui_get_value(window(), GID_PRN_EACHPAGE) != 0;
        // Switching off saves each unit's unfinished page once.
        if (eachpage && !on) {
            printer_flush(0);
            printer_flush(1);
        }
        eachpage = on ? 1 : 0;
        break;
    }
    default:
        break;
    }
}

void refresh(int force) {
    if (force || drawn_serial != printer_view_serial) show_view();
}

void release() {
    picture.clear();
}
} // namespace

void printer_render_view() {
    const PrinterGeometry& g = printer_geometry;
    const u32 w = g.view_width, h = g.view_height;
    stride = static_cast<int>((w + 15) & ~15u);
    picture.assign(static_cast<std::size_t>(stride) * h, pen_byte[PRINTER_PAPER]);
    const PrinterUnit& p = printer_units[unit()];
    const u32 sx = std::min(printer_scroll_x, max_scroll_x());
    const u32 sy = std::min(printer_scroll_y, max_scroll_y());
    for (u32 r = 0; r < h && sy + r < g.page_height; r++)
        for (u32 c = 0; c < w && sx + c < g.page_width; c++)
            picture[r * stride + c] = pen_byte[p.page[(sx + c) + (sy + r) * g.page_width]];
    drawn_serial = printer_view_serial;
}

void prn_blit_page() {
    const int win = window();
    if (!win || picture.empty()) return;
    const PrinterGeometry& g = printer_geometry;
    gui_display_attach(win, GID_PRN_PICTURE, picture.data(), static_cast<int>(g.view_width),
                       static_cast<int>(g.view_height), stride, display_colour_table, HOST_PENS);
    gui_display_refresh(win, GID_PRN_PICTURE);
    gui_set_value(win, GID_PRN_PAGE, static_cast<int>(printer_units[unit()].page_number));
}

void gui_open_printer_window() {
    if (!machine_traits().has_printer || gui_subwin_window[TW_PRINTER]) return;
    if (!gui_open_subwindow(TW_PRINTER, describe())) return;
    show_view();
}

static bool printer_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_RAWKEY:
        if (e.code == RAW_ESC) return true;
        if (e.code == RAW_WHEEL_UP || e.code == RAW_WHEEL_DOWN)
            wheel(e.code == RAW_WHEEL_UP);
        else
            gui_forward_raw_key(e.code);
        break;
    case GE_WHEEL:
        wheel(e.code < 0);
        break;
    case GE_GADGET:
        gadget(e.gid, e.code);
        break;
    default:
        break;
    }
    return false;
}

void prn_handle_input() {
    gui_tool_window_events(TW_PRINTER, printer_event);
}

void printer_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_PRINTER];
    ops.open = gui_open_printer_window;
    ops.input = prn_handle_input;
    ops.refresh = refresh;
    ops.release = release;
}
