// Stand-ins until the page pictures and text export are written: they write nothing.
#include "peripherals/printer_export.h"

void printer_save_page(int, int, int, int) {}
void export_text(int, int, int, int) {}

PrinterPageOut printer_page_out = {printer_save_page, export_text};
