// Saving a printer page as a picture (IFF ILBM, IFF ACBM, BMP) and exporting
// the text of a printer unit or of the running machine's screen, to a file or
// the clipboard. The printers call them when a page is ejected or fills with
// "eachpage" on, and before a sheet holding printing saved nowhere goes; the
// printer window, the menus and the scripting port too.
//
// A file named without the requester is named after the program the user
// loaded (not the autosave a start resumed), else "LPT1" or "LPT2" on the
// line printer, else "Printer": pictures add "-" and the page number and go
// to the screenshots drawer; the text goes to the projects drawer, the
// printout's first page starting the file and later pages adding to it while
// it is as they left it. A printout (from one set-up of the paper to the
// next) is the only copy of what the guest printed: no later one replaces
// any file. It takes one number for its text and all its pictures, the first
// under which none of them is there ("game_2.txt", "game-1_2.ilbm"...), and a
// page whose name something took since goes to a later number; the console
// says where. A page saved again (switching "eachpage" off saves it, Eject
// later too) takes the place of its own earlier picture and text.
#pragma once

#include "core/types.h"
#include "peripherals/printer.h"

#include <string>
#include <vector>

// kind 0 ILBM, 1 ACBM, 2 BMP; ask shows the save requester.
void printer_save_page(int to_clipboard, int kind, int ask, int unit);
// unit -1 the current screen, 0 or 1 a printer unit; page_only limits the
// text to the finished page's lines.
void export_text(int to_clipboard, int ask, int unit, int page_only);

// The page of `unit` as file bytes: IFF (1 plane, or 3 on the line printer)
// and BMP (1 or 4 bits per pixel, rows padded to longwords).
std::vector<u8> printer_page_iff(int unit, bool acbm);
std::vector<u8> printer_page_bmp(int unit);
std::vector<u8> printer_page_iff(const PrinterPage& page, bool acbm);
std::vector<u8> printer_page_bmp(const PrinterPage& page);
// The text lines of `unit` (page_only: those of the finished page).
std::string printer_unit_text(int unit, int page_only);

// A new printout on both units (printer_begin_printout), named after what
// runs now; its number is the first free at its first page. The earlier
// printouts are forgotten but those of the pages `kept` names (their
// PrinterPage::printout), which are still to be saved in them.
void printout_begin(const std::vector<u32>& kept = {});
// The printout `unit` prints now (begun, named after what runs, when none is),
// as a page names it (PrinterPage::printout).
u32 printout_id(int unit);
// The pages `unit` holds unsaved, each run of one printout named with it:
// "pages 1 to 3 of the printer (printout \"Printer\"), page 1 of printer unit 1";
// "" when none.
std::string printer_pages_held(int unit);
// The pages in progress on `unit` that finishing the pages would save, for
// the list of what still runs: "page 2 of the printer (saved as
// \"game-2.ilbm\" and \"game.txt\")"; "" when there is none. Where a folder
// they go to cannot be written, what becomes of them instead, `unsaved`:
// "page 2 of the printer (not to be saved: \"/…/Screenshots\" cannot be
// written; kept for the next start in \"…\")".
std::string printer_page_in_progress(int unit,
                                     const std::string& unsaved = "they stay on the printer");

// "page 2 of the printer", "pages 1 to 3 of printer unit 2", for the messages.
std::string printer_pages_words(int unit, u32 first, u32 last);
// `pages` (in order) of printout `id` of `unit`, named as the machine it was
// printed on names its printer, with the printout's name when it is not the
// one the unit prints now: "pages 1 to 3 and 5 of the printer (printout \"Printer\")".
std::string printout_pages_words(int unit, u32 id, const std::vector<u32>& pages);
// The picture and the text file the automatic saving wrote page `number`
// of printout `id` (0: the one it prints now) of `unit` to last; "" when it
// wrote none.
std::string printout_picture_of(int unit, u32 id, u32 number);
std::string printout_text_of(int unit, u32 id, u32 number);
// The picture just saved of `page`, taken back when it took a name nothing
// was at (its text could not be saved: a page is saved whole or not at all).
void printout_take_back_picture(int unit, const PrinterPage& page);
// A printout the next start finishes, named `base` as it was named when it
// began ("game.aof", "Printer"), on `unit`: the pages a start brings back go
// to it (what an earlier version kept).
void printout_resume(int unit, const std::string& base);
// The name the printout of `unit` is called after.
std::string printout_base(int unit);

// What a printout is, for the pages a way out keeps for the next start: its
// name, number and the files its saved pages went to, so that the pages
// saved at the next start join it.
struct PrintoutRecord {
    struct Identity {
        u64 device = 0, inode = 0, size = 0, written_ns = 0;
    };
    std::string base;
    u32 units = 1;
    u32 number = 0; // 0: none taken yet
    std::string earlier;
    std::string text_file; // "" when it has none as its pages left it
    u32 text_check = 0;    // crc32 of what that file holds
    u64 text_size = 0;
    Identity text_identity;
    u32 text_page = 0;
    u64 page_text_from = 0;
    std::string picture_file; // the last page picture saved, "" none
    u32 picture_page = 0, picture_kind = 0;
    Identity picture_identity;
};
PrintoutRecord printout_record(int unit, u32 id);
// The printout `r` back on `unit`, its files taken up again while they are
// as its pages left them; `now`: the one the unit prints now. Its id.
u32 printout_restore(int unit, const PrintoutRecord& r, bool now);

// The automatic saving of `page` of `unit` as a page of the printout the
// unit prints: its picture (IFF ILBM) and its lines added to the printout's
// text. False when it was not saved (the warning said why).
bool printout_save_picture(int unit, const PrinterPage& page);
bool printout_save_text(int unit, const PrinterPage& page);

// What a finished page goes to (these two unless a test watches them).
struct PrinterPageOut {
    bool (*picture)(int unit, const PrinterPage& page);
    bool (*text)(int unit, const PrinterPage& page);
};
extern PrinterPageOut printer_page_out;
