// Saving a printer page as a picture and exporting its text: services the
// printers call when a page is ejected or fills with "eachpage" on.
//
// No owner provides these yet: peripherals/printer_export.cpp holds one plain
// stand-in for each that writes nothing. The owner that writes the real
// service replaces the stand-in.
#pragma once

// kind 0 ILBM, 1 ACBM, 2 BMP; ask shows the save requester.
void printer_save_page(int to_clipboard, int kind, int ask, int unit);
// unit -1 the current screen, 0 or 1 a printer unit; page_only limits the
// text to the finished page's lines.
void export_text(int to_clipboard, int ask, int unit, int page_only);

// What a finished page goes to (these two unless a test watches them).
struct PrinterPageOut {
    void (*save_page)(int to_clipboard, int kind, int ask, int unit);
    void (*export_text)(int to_clipboard, int ask, int unit, int page_only);
};
extern PrinterPageOut printer_page_out;
