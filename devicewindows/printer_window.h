// The printer output window (tool window TW_PRINTER): the page the emulated
// printer is printing, shown whole on the EA paper or through a scrolled view
// on the TWIN's line printer, with its save, copy, eject and demonstration
// buttons, the line width and ribbon choices and automatic page saving.
//
// The window follows printing by itself: its refresher redraws the view
// whenever printer_view_serial moved.
//
//   printer_window_register();   // once: gui_subwin_ops[TW_PRINTER]
//   gui_open_printer_window();   // the "Printer(s)..." menu item
#pragma once

#include "core/types.h"

// Gadget ids.
enum PrinterGadget : int {
    GID_PRN_DEMO = 160,
    GID_PRN_SAVE_ACBM = 161,
    GID_PRN_SAVE_ILBM = 162,
    GID_PRN_SAVE_TEXT = 163,
    GID_PRN_COPY_GRAPHICS = 164,
    GID_PRN_COPY_TEXT = 165,
    GID_PRN_EJECT = 166,
    GID_PRN_CONDENSED = 167,
    GID_PRN_RIBBON = 168,
    GID_PRN_WIDTH = 169,
    GID_PRN_UNIT = 170,
    GID_PRN_PICTURE = 171,
    GID_PRN_VSCROLL = 172,
    GID_PRN_HSCROLL = 173,
    GID_PRN_EACHPAGE = 174,
    GID_PRN_PAGE = 175,
};

void printer_window_register();
void gui_open_printer_window();
// Renders the visible part of the selected unit's page into the picture.
void printer_render_view();
// Shows the picture and the page number (nothing while the window is closed).
void prn_blit_page();
void prn_handle_input();
