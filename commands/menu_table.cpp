// The menu strip of the main window, row by row, and the ARexx name and
// status-bar hint of every command id. Generated once from the menu layout;
// edit the rows here.
#include "commands/menu_table.h"

// clang-format off
const MenuRow menu_table[MENU_ROWS] = {
    {MR_TITLE, MK_SUBMENU, 283, -1, 0, "Project", 0, false, 0},
    {MR_ITEM, MK_ITEM, 0, -1, 57, "Reset to game (F5, Alt-R)", 0, false, 0},
    {MR_ITEM, MK_ITEM, 1, -1, 58, "Jump to BIOS", ',', false, 0},
    {MR_ITEM, MK_ITEM, 2, -1, 722, "Reinitialize machine", 'A', true, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 3, -1, 3, "Open...", 'O', false, 0},
    {MR_ITEM, MK_ITEM, 4, -1, 50, "Revert", 'R', false, 0},
    {MR_ITEM, MK_ITEM, 5, -1, 59, "Quickload state (Alt-L)", '(', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 6, -1, 60, "Save state as...", 'S', false, 0},
    {MR_ITEM, MK_SUBMENU, -1, -1, 389, "Save screenshot as", 0, false, 0},
    {MR_SUB, MK_ITEM, 9, -1, 64, "BMP...", 'Y', false, 0},
    {MR_SUB, MK_ITEM, 10, -1, 759, "GIF...", 'B', true, 0},
    {MR_SUB, MK_ITEM, 7, -1, 62, "IFF ACBM...", 'C', true, 0},
    {MR_SUB, MK_ITEM, 8, -1, 63, "IFF ILBM...", '_', false, 0},
    {MR_SUB, MK_ITEM, 11, -1, 326, "PCX...", 'D', true, 0},
    {MR_SUB, MK_ITEM, 12, -1, 0, "PNG...", 'E', true, 0},
    {MR_SUB, MK_ITEM, 13, -1, 0, "TIFF...", 'F', true, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 14, -1, 870, "ASCII text...", 0, false, 0},
    {MR_SUB, MK_ITEM, 15, -1, 0, "ASM...", 0, false, 0},
    {MR_ITEM, MK_ITEM, 16, -1, 61, "Quicksave state (Alt-S)", ')', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 17, -1, 255, "Audit games...", 'G', true, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 19, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 20, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 21, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 22, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 23, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 24, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 25, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 26, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 27, -1, 46, "Iconify", 'J', true, 0},
    {MR_ITEM, MK_ITEM, 29, -1, 67, "Quit (Shift-Esc)", 'Q', false, 0},
    {MR_TITLE, MK_SUBMENU, 284, -1, 19, "Edit", 0, false, 0},
    {MR_ITEM, MK_ITEM, 30, -1, 1291, "Memory...", '#', false, 0},
    {MR_ITEM, MK_ITEM, 31, -1, 338, "Palette...", '$', false, 0},
    {MR_ITEM, MK_TOGGLE, 32, -1, 1292, "Screen", 'N', true, 0},
    {MR_ITEM, MK_ITEM, 33, -1, 1293, "Sprites/characters...", '%', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 34, -1, 330, "Copy screenshot", 'C', false, 0},
    {MR_ITEM, MK_ITEM, 35, -1, 331, "Copy text", 'K', true, 0},
    {MR_ITEM, MK_ITEM, 36, -1, 364, "Paste text", 'V', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 37, -1, 714, "Empty clipboard", 0, false, 0},
    {MR_TITLE, MK_SUBMENU, 285, -1, 54, "View", 0, false, 0},
    {MR_ITEM, MK_ITEM, 38, -1, 390, "High score table...", '!', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_TOGGLE, 39, -1, 76, "Debugger?", '/', false, 0},
    {MR_ITEM, MK_TOGGLE, 41, -1, 49, "Pointer?", 'X', false, 0},
    {MR_ITEM, MK_TOGGLE, 42, -1, 256, "Sidebar?", 'I', false, 0},
    {MR_ITEM, MK_TOGGLE, 43, -1, 617, "Status bar?", 'D', false, 0},
    {MR_ITEM, MK_TOGGLE, 44, -1, 52, "Titlebar?", 'E', false, 0},
    {MR_ITEM, MK_TOGGLE, 45, -1, 363, "Toolbar?", 'H', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_TOGGLE, 46, -1, 694, "Built-in games?", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, -1, -1, 257, "Sort sidebar by", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 0, 258, "Game name?", 0, false, 1},
    {MR_SUB, MK_RADIO, -1, 1, 259, "Machine?", 0, false, 1},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, -1, -1, 491, "View speed as", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 2, 492, "Frames per second", 0, false, 2},
    {MR_SUB, MK_RADIO, -1, 3, 620, "KHz", 0, false, 2},
    {MR_SUB, MK_RADIO, -1, 4, 493, "Percentage", 0, false, 2},
    {MR_TITLE, MK_SUBMENU, 286, -1, 32, "Macros", 0, false, 0},
    {MR_ITEM, MK_ITEM, 47, -1, 71, "Start recording...", '{', false, 0},
    {MR_ITEM, MK_ITEM, 48, -1, 72, "Restart playback", 'L', true, 0},
    {MR_ITEM, MK_ITEM, 49, -1, 73, "Stop recording/playback", '}', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_TOGGLE, 50, -1, 74, "Loop playback?", 0, false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 294, -1, 1295, "Generate animations", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 52, -1, 0, "GIF", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 51, -1, 0, "IFF ANIM", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 53, -1, 0, "MNG", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 54, -1, 0, "PNG", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 295, -1, 1296, "Generate sound files", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 55, -1, 0, "IFF 8SVX", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 56, -1, 0, "IFF AIFF (Audio IFF)", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 57, -1, 0, "IFF SMUS", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 58, -1, 0, "MIDI", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 59, -1, 0, "PSG", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 60, -1, 0, "WAV", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 61, -1, 0, "YM", 0, false, 0},
    {MR_ITEM, MK_TOGGLE, 62, -1, 1294, "Generate during playback?", 0, false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 63, -1, 75, "Run ARexx script...", '.', false, 0},
    {MR_ITEM, MK_ITEM, 64, -1, 776, "Repeat last script", '>', false, 0},
    {MR_TITLE, MK_SUBMENU, 287, -1, 1067, "Debug", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 296, -1, 1068, "General", 0, false, 0},
    {MR_SUB, MK_ITEM, 65, -1, 0, "\"<message>", 0, false, 0},
    {MR_SUB, MK_ITEM, 66, -1, 0, "CLEARCOV", 0, false, 0},
    {MR_SUB, MK_ITEM, 67, -1, 0, "CLS", 0, false, 0},
    {MR_SUB, MK_ITEM, 68, -1, 0, "H|HELP|? [<page>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 69, -1, 0, "SAY|SPEAK|SPK <message>", 0, false, 0},
    {MR_SUB, MK_ITEM, 70, -1, 0, "SYS|SYSTEM", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 297, -1, 0, "Project", 0, false, 0},
    {MR_SUB, MK_ITEM, 71, -1, 0, "*<command>", 0, false, 0},
    {MR_SUB, MK_ITEM, 72, -1, 0, "ASM <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 73, -1, 0, "DISGAME [<start-addr> <end-addr>] [<filename>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 74, -1, 0, "ED|EDIT <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 75, -1, 0, "LOADBIN <start-addr> <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 76, -1, 0, "SAVEAOF|SAVEEOF <start-addr> <end-addr> [<filename> [<game-start> [<block-size>]]]", 0, false, 0},
    {MR_SUB, MK_ITEM, 77, -1, 0, "SAVEBIN <start-addr> <end-addr> <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 78, -1, 0, "SAVEBPNF <start-addr> <end-addr> <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 79, -1, 0, "SAVECMD|SAVEIMAG|SAVEMOD <start-addr> <end-addr> [<filename> [<game-start>]]", 0, false, 0},
    {MR_SUB, MK_ITEM, 80, -1, 0, "SAVEHEX <start-addr> <end-addr> <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 81, -1, 0, "SAVESMS <end-addr> <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 82, -1, 0, "SAVETVC <start-addr> <end-addr> [<filename> [<game-start>]]", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 298, -1, 1265, "Disk", 0, false, 0},
    {MR_SUB, MK_ITEM, 83, -1, 0, "DEL|DELETE <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 84, -1, 0, "DIR|LD|LDIR", 0, false, 0},
    {MR_SUB, MK_ITEM, 85, -1, 0, "EXTRACT [<filename>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 86, -1, 0, "INJECT <filename>", 0, false, 0},
    {MR_SUB, MK_ITEM, 87, -1, 0, "REN|RENAME <oldname> <newname>", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 5, 0, "DRIVE 0", 0, false, 3},
    {MR_SUB, MK_RADIO, -1, 6, 0, "DRIVE 1", 0, false, 3},
    {MR_SUB, MK_RADIO, -1, 7, 0, "DRIVE 2", 0, false, 3},
    {MR_SUB, MK_RADIO, -1, 8, 0, "DRIVE 3", 0, false, 3},
    {MR_ITEM, MK_SUBMENU, 299, -1, 19, "Edit", 0, false, 0},
    {MR_SUB, MK_ITEM, 89, -1, 0, "DOKE <address> [<value>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 90, -1, 0, "E|POKE [<address> [<value>]]", 0, false, 0},
    {MR_SUB, MK_ITEM, 91, -1, 0, "FPOKE <address> <value>", 0, false, 0},
    {MR_SUB, MK_ITEM, 92, -1, 0, "WRITEPORT <port>|CTRL|DATA <value>", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 300, -1, 54, "View", 0, false, 0},
    {MR_SUB, MK_ITEM, 93, -1, 0, "= [<addr>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 94, -1, 0, "COVER [<reporttype>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 95, -1, 0, "D|PEEK <start-addr> [<end-addr>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 96, -1, 0, "DIS [<start-addr> [<end-addr>]]", 0, false, 0},
    {MR_SUB, MK_ITEM, 97, -1, 0, "ERROR <number>", 0, false, 0},
    {MR_SUB, MK_ITEM, 98, -1, 0, "FPEEK <start-addr> [<end-addr>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 99, -1, 0, "HISTORY", 0, false, 0},
    {MR_SUB, MK_ITEM, 100, -1, 0, "IM [<start-addr> <end-addr>] [<filename>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 101, -1, 0, "READPORT <port>|CTRL|DATA", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 102, -1, 0, "V|VIEW BASIC", 0, false, 0},
    {MR_SUB, MK_ITEM, 103, -1, 0, "V|VIEW BIOS", 0, false, 0},
    {MR_SUB, MK_ITEM, 104, -1, 0, "V|VIEW CPU", 0, false, 0},
    {MR_SUB, MK_ITEM, 105, -1, 0, "V|VIEW PSG", 0, false, 0},
    {MR_SUB, MK_ITEM, 106, -1, 0, "V|VIEW RAM", 0, false, 0},
    {MR_SUB, MK_ITEM, 107, -1, 0, "V|VIEW SCRN", 0, false, 0},
    {MR_SUB, MK_ITEM, 108, -1, 0, "V|VIEW UDG", 0, false, 0},
    {MR_SUB, MK_ITEM, 109, -1, 0, "V|VIEW XVI", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 301, -1, 1069, "Log", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 110, -1, 0, "L A", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 111, -1, 0, "L B", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 112, -1, 0, "L C", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 113, -1, 0, "L I", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 114, -1, 0, "L N", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 115, -1, 0, "L S", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 116, -1, 0, "PL", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 117, -1, 0, "T", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 302, -1, 1070, "Run", 0, false, 0},
    {MR_SUB, MK_ITEM, 118, -1, 0, "G|P [<address>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 119, -1, 0, "GI", 0, false, 0},
    {MR_SUB, MK_ITEM, 120, -1, 0, "I ", 0, false, 0},
    {MR_SUB, MK_ITEM, 121, -1, 0, "J|JUMP <address>", 0, false, 0},
    {MR_SUB, MK_ITEM, 122, -1, 0, "O ", 0, false, 0},
    {MR_SUB, MK_ITEM, 123, -1, 0, "S ", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 124, -1, 0, "R <number>", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 125, -1, 0, "R F", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 126, -1, 0, "R I", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 127, -1, 0, "R L", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 128, -1, 0, "R R", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 129, -1, 0, "R S", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 303, -1, 1071, "Breakpoints", 0, false, 0},
    {MR_SUB, MK_ITEM, 130, -1, 0, "BP <start-addr> [<end-addr>] [<addr/reg> <condition> <value>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 131, -1, 0, "BC [<start-addr> [<end-addr>]]", 0, false, 0},
    {MR_SUB, MK_ITEM, 132, -1, 0, "BL", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 133, -1, 0, "FP <start-addr> [<end-addr>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 134, -1, 0, "FC [<start-addr> [<end-addr>]]", 0, false, 0},
    {MR_SUB, MK_ITEM, 135, -1, 0, "FL", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 136, -1, 0, "IP <start-port> [<end-port>] [<addr/reg> <condition> <value>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 137, -1, 0, "IC [<start-port> [<end-port>]]", 0, false, 0},
    {MR_SUB, MK_ITEM, 138, -1, 0, "IL", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 139, -1, 0, "WP <start-addr> [<end-addr>] [<addr/reg> <condition> <value>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 140, -1, 0, "WC [<start-addr> [<end-addr>]]", 0, false, 0},
    {MR_SUB, MK_ITEM, 141, -1, 0, "WL", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 142, -1, 0, "PB", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 143, -1, 0, "WR", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 9, 0, "WW NONE", 0, false, 4},
    {MR_SUB, MK_RADIO, -1, 10, 0, "WW SOME", 0, false, 4},
    {MR_SUB, MK_RADIO, -1, 11, 0, "WW ALL", 0, false, 4},
    {MR_ITEM, MK_SUBMENU, 304, -1, 1072, "Symbols", 0, false, 0},
    {MR_SUB, MK_ITEM, 145, -1, 0, "CLEARSYM [<label>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 146, -1, 0, "DEFSYM <label> <address> [C|D|P|U]", 0, false, 0},
    {MR_SUB, MK_ITEM, 147, -1, 0, "LOADSYM [<filename>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 148, -1, 0, "SAVESYM <filename>", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 305, -1, 53, "Tools", 0, false, 0},
    {MR_SUB, MK_ITEM, 149, -1, 0, "CO|COMP <1st-start> <1st-end> <2nd-start>", 0, false, 0},
    {MR_SUB, MK_ITEM, 150, -1, 0, "COPY|MOVE <source-start> <source-end> <target-start>", 0, false, 0},
    {MR_SUB, MK_ITEM, 151, -1, 0, "FILL <start-addr> <end-addr> <value>", 0, false, 0},
    {MR_SUB, MK_ITEM, 152, -1, 0, "FIND [[<start-addr> <end-addr>] <value>]", 0, false, 0},
    {MR_SUB, MK_ITEM, 153, -1, 0, "REL <source-addr> [*]<target-addr>", 0, false, 0},
    {MR_SUB, MK_ITEM, 154, -1, 0, "SWAP <1st-start> <1st-end> <2nd-start>", 0, false, 0},
    {MR_SUB, MK_ITEM, 155, -1, 0, "TRAIN [<value>]", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 306, -1, 38, "Settings", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 12, 0, "BASE 2|% (binary)", 0, false, 5},
    {MR_SUB, MK_RADIO, -1, 13, 0, "BASE 8|@ (octal)", 0, false, 5},
    {MR_SUB, MK_RADIO, -1, 14, 0, "BASE 10|! (decimal)", 0, false, 5},
    {MR_SUB, MK_RADIO, -1, 15, 0, "BASE 16|$ (hexadecimal)", 0, false, 5},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 16, 0, "CPU 0 (2650/2650A)", 0, false, 6},
    {MR_SUB, MK_RADIO, -1, 17, 0, "CPU 1 (2650B)", 0, false, 6},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 18, 0, "N 0 (non-extended Signetics)", 0, false, 7},
    {MR_SUB, MK_RADIO, -1, 19, 0, "N 1 (extended Signetics)", 0, false, 7},
    {MR_SUB, MK_RADIO, -1, 20, 0, "N 2 (old CALM)", 0, false, 7},
    {MR_SUB, MK_RADIO, -1, 21, 0, "N 3 (new CALM)", 0, false, 7},
    {MR_SUB, MK_RADIO, -1, 22, 0, "N 4 (IEEE-694)", 0, false, 7},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 23, 0, "TU 0 (cycles)", 0, false, 8},
    {MR_SUB, MK_RADIO, -1, 24, 0, "TU 1 (clocks)", 0, false, 8},
    {MR_SUB, MK_RADIO, -1, 25, 0, "TU 2 (pixels)", 0, false, 8},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 26, 0, "VB|VERBOSE 0", 0, false, 9},
    {MR_SUB, MK_RADIO, -1, 27, 0, "VB|VERBOSE 1", 0, false, 9},
    {MR_SUB, MK_RADIO, -1, 28, 0, "VB|VERBOSE 2", 0, false, 9},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 161, -1, 0, "GR", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 162, -1, 0, "WARN", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 307, -1, 84, "Graphics", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 29, 0, "DRAW 0", 0, false, 10},
    {MR_SUB, MK_RADIO, -1, 30, 0, "DRAW 1", 0, false, 10},
    {MR_SUB, MK_RADIO, -1, 31, 0, "DRAW 2", 0, false, 10},
    {MR_SUB, MK_RADIO, -1, 32, 0, "DRAW 3", 0, false, 10},
    {MR_SUB, MK_RADIO, -1, 33, 0, "DRAW 4", 0, false, 10},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 34, 0, "SPR 0", 0, false, 11},
    {MR_SUB, MK_RADIO, -1, 35, 0, "SPR 1", 0, false, 11},
    {MR_SUB, MK_RADIO, -1, 36, 0, "SPR 2", 0, false, 11},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 165, -1, 728, "Debugger...", 0, false, 0},
    {MR_TITLE, MK_SUBMENU, 288, -1, 53, "Tools", 0, false, 0},
    {MR_ITEM, MK_ITEM, 166, -1, 69, "CPU(s) monitor...", 'M', false, 0},
    {MR_ITEM, MK_ITEM, 167, -1, 688, "PSGs monitor...", '^', false, 0},
    {MR_ITEM, MK_ITEM, 168, -1, 689, "UVI/PVI(s) monitor...", '`', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 169, -1, 780, "Musical keyboard...", 'M', true, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 170, -1, 65, "Act as server", 'H', true, 0},
    {MR_ITEM, MK_ITEM, 171, -1, 66, "Connect as client...", 'I', true, 0},
    {MR_TITLE, MK_SUBMENU, 289, -1, 1244, "Peripherals", 0, false, 0},
    {MR_ITEM, MK_ITEM, 173, -1, 68, "Controls...", 'W', false, 0},
    {MR_ITEM, MK_ITEM, 174, -1, 375, "DIP switches...", '@', false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 308, -1, 307, "Left controller", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 37, 260, "Mouse/trackball", 0, false, 12},
    {MR_SUB, MK_RADIO, -1, 39, 261, "1st digital joystick", 0, false, 12},
    {MR_SUB, MK_RADIO, -1, 42, 365, "1st digital gamepad", 0, false, 12},
    {MR_SUB, MK_RADIO, -1, 44, 452, "1st analog gamepad", 0, false, 12},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 41, 263, "Analog joystick", 0, false, 12},
    {MR_SUB, MK_RADIO, -1, 40, 262, "2nd digital joystick", 0, false, 12},
    {MR_SUB, MK_RADIO, -1, 43, 366, "2nd digital gamepad", 0, false, 12},
    {MR_SUB, MK_RADIO, -1, 45, 453, "2nd analog gamepad", 0, false, 12},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 38, 264, "Keyboard", 0, false, 12},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 176, -1, 80, "Autofire?", 'B', false, 0},
    {MR_SUB, MK_TOGGLE, 177, -1, 81, "Autofire requires firebutton?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 178, -1, 450, "Force feedback?", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 309, -1, 308, "Right controller", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 46, 260, "Mouse/trackball", 0, false, 13},
    {MR_SUB, MK_RADIO, -1, 48, 261, "1st digital joystick", 0, false, 13},
    {MR_SUB, MK_RADIO, -1, 51, 365, "1st digital gamepad", 0, false, 13},
    {MR_SUB, MK_RADIO, -1, 53, 452, "1st analog gamepad", 0, false, 13},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 50, 263, "Analog joystick", 0, false, 13},
    {MR_SUB, MK_RADIO, -1, 49, 262, "2nd digital joystick", 0, false, 13},
    {MR_SUB, MK_RADIO, -1, 52, 366, "2nd digital gamepad", 0, false, 13},
    {MR_SUB, MK_RADIO, -1, 54, 453, "2nd analog gamepad", 0, false, 13},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 47, 264, "Keyboard", 0, false, 13},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 180, -1, 80, "Autofire?", 'Z', false, 0},
    {MR_SUB, MK_TOGGLE, 181, -1, 81, "Autofire requires firebutton?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 182, -1, 450, "Force feedback?", 0, false, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 183, -1, 789, "Cassette tape deck(s)...", 'O', true, 0},
    {MR_ITEM, MK_ITEM, 184, -1, 981, "Floppy disk drive(s)...", 'Z', true, 0},
    {MR_ITEM, MK_ITEM, 185, -1, 1320, "Industrial/scientific...", 0, false, 0},
    {MR_ITEM, MK_ITEM, 186, -1, 1238, "Papertape unit(s)...", 'P', true, 0},
    {MR_ITEM, MK_ITEM, 187, -1, 865, "Printer(s)...", 'Q', true, 0},
    {MR_TITLE, MK_SUBMENU, 290, -1, 38, "Settings", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, 310, -1, 0, "BIOS", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 55, 0, "Philips (Elektor TVGC)", 0, false, 14},
    {MR_SUB, MK_RADIO, -1, 56, 0, "Hobby Module", 0, false, 14},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 57, 0, "Artemis (PIP4K 3.93)", 0, false, 15},
    {MR_SUB, MK_RADIO, -1, 58, 0, "HYBUG", 0, false, 15},
    {MR_SUB, MK_RADIO, -1, 59, 0, "PIPBUG 1", 0, false, 15},
    {MR_SUB, MK_RADIO, -1, 60, 0, "PIPBUG 2 + PIPLA", 0, false, 15},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 61, 0, "BINBUG 3.5", 0, false, 16},
    {MR_SUB, MK_RADIO, -1, 62, 0, "BINBUG 3.6", 0, false, 16},
    {MR_SUB, MK_RADIO, -1, 63, 0, "BINBUG 6.1", 0, false, 16},
    {MR_SUB, MK_RADIO, -1, 64, 0, "GBUG + EDIT5800", 0, false, 16},
    {MR_SUB, MK_RADIO, -1, 65, 0, "MIKEBUG 3", 0, false, 16},
    {MR_SUB, MK_RADIO, -1, 66, 0, "MYBUG", 0, false, 16},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 67, 0, "IPL 1.1", 0, false, 17},
    {MR_SUB, MK_RADIO, -1, 68, 0, "POPMON", 0, false, 17},
    {MR_SUB, MK_RADIO, -1, 69, 0, "Supervisor", 0, false, 17},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 70, 0, "Mini-Monitor", 0, false, 18},
    {MR_SUB, MK_RADIO, -1, 71, 0, "PHUNSY", 0, false, 18},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 72, 142, "None", 0, false, 19},
    {MR_SUB, MK_RADIO, -1, 73, 0, "Selbstbaucomputer monitor 0.9", 0, false, 19},
    {MR_SUB, MK_RADIO, -1, 74, 0, "Selbstbaucomputer monitor 1.0", 0, false, 19},
    {MR_SUB, MK_RADIO, -1, 75, 0, "Selbstbaucomputer monitor 2.0", 0, false, 19},
    {MR_ITEM, MK_SUBMENU, -1, -1, 680, "Colours", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 194, -1, 275, "Artefacts?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 195, -1, 823, "Darken backgrounds?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 196, -1, 89, "Flag line emulation?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 197, -1, 384, "Inverse video?", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 76, 489, "Amber screen", 0, false, 20},
    {MR_SUB, MK_RADIO, -1, 77, 383, "Green screen", 0, false, 20},
    {MR_SUB, MK_RADIO, -1, 78, 265, "Greyscale", 0, false, 20},
    {MR_SUB, MK_RADIO, -1, 79, 814, "Pure colours", 0, false, 20},
    {MR_SUB, MK_RADIO, -1, 80, 834, "PVI colours", 0, false, 20},
    {MR_SUB, MK_RADIO, -1, 81, 815, "UVI colours", 0, false, 20},
    {MR_ITEM, MK_SUBMENU, 311, -1, 0, "DOS", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 82, 0, "MicroDOS 4.5a", 0, false, 21},
    {MR_SUB, MK_RADIO, -1, 83, 0, "VHS DOS 2.6a", 0, false, 21},
    {MR_SUB, MK_RADIO, -1, 84, 142, "None", 0, false, 21},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 85, 0, "EXOS", 0, false, 22},
    {MR_SUB, MK_RADIO, -1, 86, 0, "SDOS 2.0", 0, false, 22},
    {MR_SUB, MK_RADIO, -1, 87, 0, "SDOS 4.0", 0, false, 22},
    {MR_SUB, MK_RADIO, -1, 88, 0, "SDOS 4.2", 0, false, 22},
    {MR_SUB, MK_RADIO, -1, 89, 0, "TOS 1.0", 0, false, 22},
    {MR_SUB, MK_RADIO, -1, 90, 0, "UDOS 1.6", 0, false, 22},
    {MR_SUB, MK_RADIO, -1, 91, 142, "None", 0, false, 22},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 92, 0, "Central Data DOS", 0, false, 23},
    {MR_SUB, MK_RADIO, -1, 93, 0, "P1 DOS 1.1", 0, false, 23},
    {MR_SUB, MK_RADIO, -1, 94, 142, "None", 0, false, 23},
    {MR_ITEM, MK_SUBMENU, -1, -1, 681, "Emulator", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 202, -1, 104, "Autosave game?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 203, -1, 770, "Check for updates at startup?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 204, -1, 446, "Confirm on quit?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 205, -1, 39, "Create icons?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 206, -1, 357, "Echo I/O to console?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 207, -1, 678, "Identify emulator?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 208, -1, 747, "Power-on self-test?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 209, -1, 864, "Randomize memory?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 210, -1, 105, "Sense game?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 211, -1, 930, "Show tips at startup?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 212, -1, 723, "Use stub programs?", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 95, 1260, "Frame/line-based emulation", 0, false, 24},
    {MR_SUB, MK_RADIO, -1, 96, 1379, "Pixel-based emulation", 0, false, 24},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 97, 827, "Append to RAM:Brindlemox.log", 0, false, 25},
    {MR_SUB, MK_RADIO, -1, 98, 828, "Ignore RAM:Brindlemox.log", 0, false, 25},
    {MR_SUB, MK_RADIO, -1, 99, 829, "Replace RAM:Brindlemox.log", 0, false, 25},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 215, -1, 838, "Paths...", 'R', true, 0},
    {MR_ITEM, MK_SUBMENU, 312, -1, 763, "Filters", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 102, 386, "Scale2×/3×/4×", 0, false, 26},
    {MR_SUB, MK_RADIO, -1, 103, 764, "None", 0, false, 26},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 217, -1, 385, "Scanlines?", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, -1, -1, 84, "Graphics", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 107, 85, "1× size (Ctrl-F1)", 0, false, 27},
    {MR_SUB, MK_RADIO, -1, 108, 86, "2× size (Ctrl-F2)", 0, false, 27},
    {MR_SUB, MK_RADIO, -1, 109, 87, "3× size (Ctrl-F3)", 0, false, 27},
    {MR_SUB, MK_RADIO, -1, 110, 388, "4× size (Ctrl-F4)", 0, false, 27},
    {MR_SUB, MK_RADIO, -1, 111, 743, "5× size (Ctrl-F5)", 0, false, 27},
    {MR_SUB, MK_RADIO, -1, 112, 744, "6× size (Ctrl-F6)", 0, false, 27},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 222, -1, 778, "Blanking areas?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 223, -1, 824, "Blinking cursor?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 224, -1, 779, "Dejitter horizons?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 226, -1, 328, "Fill intersections?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 227, -1, 1368, "Full screen?", 'F', false, 0},
    {MR_SUB, MK_TOGGLE, 228, -1, 833, "Invert flashed characters?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 229, -1, 88, "Narrow?", 'N', false, 0},
    {MR_SUB, MK_TOGGLE, 230, -1, 449, "Rotate screen?", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 231, -1, 329, "Draw unlit LEDs?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 232, -1, 1020, "Show LEDs?", 0, false, 0},
    {MR_ITEM, MK_SUBMENU, -1, -1, 77, "Input", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 233, -1, 78, "Analog for guest?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 234, -1, 537, "Show controller positions?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 235, -1, 787, "Spring-loaded paddles?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 236, -1, 83, "Swapped? (Alt-J)", 'J', false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 238, -1, 963, "Rearrange gamepad buttons...", 0, false, 0},
    {MR_SUB, MK_ITEM, 239, -1, 82, "Redefine keys...", '*', false, 0},
    {MR_SUB, MK_ITEM, 240, -1, 79, "Sensitivity...", 'S', true, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 241, -1, 337, "Allow lowercase input?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 242, -1, 268, "Confine pointer?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 243, -1, 1319, "Erase deleted characters?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 244, -1, 627, "Insert coins automatically?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 245, -1, 970, "Pass right mouse button to guest?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 246, -1, 1233, "Queue keystrokes?", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 113, 750, "Host (Amiga) keyboard layout", 0, false, 28},
    {MR_SUB, MK_RADIO, -1, 114, 964, "EA 78ut4 keyboard layout", 0, false, 28},
    {MR_SUB, MK_RADIO, -1, 115, 965, "Teletype keyboard layout", 0, false, 28},
    {MR_ITEM, MK_SUBMENU, 313, -1, 90, "Machine", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 125, 91, "Emerson Arcadia 2001", '1', false, 29},
    {MR_SUB, MK_RADIO, -1, 126, 92, "Interton VC 4000", '2', false, 29},
    {MR_SUB, MK_RADIO, -1, 127, 93, "Elektor TV Games Computer", '3', false, 29},
    {MR_SUB, MK_RADIO, -1, 128, 266, "PIPBUG-based machine", '4', false, 29},
    {MR_SUB, MK_RADIO, -1, 129, 746, "BINBUG-based machine", '5', false, 29},
    {MR_SUB, MK_RADIO, -1, 130, 310, "Signetics Instructor 50", '6', false, 29},
    {MR_SUB, MK_RADIO, -1, 131, 0, "Signetics TWIN", '7', false, 29},
    {MR_SUB, MK_RADIO, -1, 132, 362, "Central Data 2650", '8', false, 29},
    {MR_SUB, MK_RADIO, -1, 133, 0, "PHUNSY", '9', false, 29},
    {MR_SUB, MK_RADIO, -1, 134, 0, "Selbstbaucomputer", '0', false, 29},
    {MR_SUB, MK_RADIO, -1, 135, 0, "MIKIT 2650 (Ctrl-Shift-F1)", 0, false, 29},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 136, 0, "Astro Wars (Ctrl-Shift-F2)", 0, false, 29},
    {MR_SUB, MK_RADIO, -1, 137, 0, "Galaxia (Ctrl-Shift-F3)", 0, false, 29},
    {MR_SUB, MK_RADIO, -1, 138, 0, "Laser Battle (Ctrl-Shift-F4)", 0, false, 29},
    {MR_SUB, MK_RADIO, -1, 139, 0, "Lazarian (Ctrl-Shift-F5)", 0, false, 29},
    {MR_SUB, MK_RADIO, -1, 140, 0, "Malzak 1 (Ctrl-Shift-F6)", 0, false, 29},
    {MR_SUB, MK_RADIO, -1, 141, 0, "Malzak 2 (Ctrl-Shift-F7)", 0, false, 29},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 142, 0, "AY-3-8500/8550 (Ctrl-Shift-F8)", 0, false, 29},
    {MR_SUB, MK_RADIO, -1, 143, 0, "AY-3-8600 (Ctrl-Shift-F9)", 0, false, 29},
    {MR_SUB, MK_RADIO, -1, 144, 0, "VTech Type-right (Ctrl-Shift-F10)", 0, false, 29},
    {MR_ITEM, MK_SUBMENU, -1, -1, 102, "Sound", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 250, -1, 253, "Enabled?", 'U', false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 251, -1, 509, "Adjust...", ':', false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 252, -1, 632, "Ambient sounds?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 253, -1, 103, "Filtered?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 254, -1, 374, "Retune tones?", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 145, 0, "AHI V4+", 0, false, 30},
    {MR_SUB, MK_RADIO, -1, 146, 0, "audio.device", 0, false, 30},
    {MR_ITEM, MK_SUBMENU, -1, -1, 94, "Speed", 0, false, 0},
    {MR_SUB, MK_ITEM, 256, -1, 509, "Adjust...", 'T', true, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 257, -1, 95, "Paused? (P)", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 258, -1, 270, "Autopause when inactive?", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 259, -1, 1266, "Exactly 50/60 FPS?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 260, -1, 769, "Limit refresh rate?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 261, -1, 98, "Turbo? (Alt-W)", 'T', false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 147, 96, "NTSC", '[', false, 31},
    {MR_SUB, MK_RADIO, -1, 148, 97, "PAL", ']', false, 31},
    {MR_ITEM, MK_SUBMENU, 314, -1, 99, "Sprites", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 264, -1, 100, "Collisions?", 'L', false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 152, 1375, "Multiplex", 0, false, 32},
    {MR_SUB, MK_RADIO, -1, 154, 1376, "Opaque", 0, false, 32},
    {MR_ITEM, MK_SUBMENU, 315, -1, 739, "Trainers", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 266, -1, 740, "Infinite lives?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 267, -1, 741, "Infinite time/ammo?", 0, false, 0},
    {MR_SUB, MK_TOGGLE, 268, -1, 742, "Invincibility?", 0, false, 0},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_ITEM, 269, -1, 768, "Skip level", '~', false, 0},
    {MR_ITEM, MK_SUBMENU, 316, -1, 820, "VDU", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 155, 0, "Elekterminal", 0, false, 33},
    {MR_SUB, MK_RADIO, -1, 156, 849, "Low Cost VDU (32-column)", 0, false, 33},
    {MR_SUB, MK_RADIO, -1, 157, 850, "Low Cost VDU (64-column)", 0, false, 33},
    {MR_SUB, MK_RADIO, -1, 158, 0, "Radio Bulletin", 0, false, 33},
    {MR_SUB, MK_RADIO, -1, 159, 0, "SVT-100", 0, false, 33},
    {MR_SUB, MK_RADIO, -1, 160, 0, "VT100", 0, false, 33},
    {MR_SUB, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_SUB, MK_RADIO, -1, 161, 0, "ASCII", 0, false, 34},
    {MR_SUB, MK_RADIO, -1, 162, 825, "Chessmen", 0, false, 34},
    {MR_SUB, MK_RADIO, -1, 163, 826, "Lowercase", 0, false, 34},
    {MR_TITLE, MK_SUBMENU, 291, -1, 45, "Help", 0, false, 0},
    {MR_ITEM, MK_ITEM, 272, -1, 291, "Game information...", '&', false, 0},
    {MR_ITEM, MK_ITEM, 273, -1, 657, "Host gamepads/mouse...", 'G', false, 0},
    {MR_ITEM, MK_ITEM, 274, -1, 644, "Host keyboard...", 'K', false, 0},
    {MR_ITEM, MK_ITEM, 275, -1, 533, "Opcodes...", 'U', true, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 276, -1, 397, "Coding Guide...", 'V', true, 0},
    {MR_ITEM, MK_ITEM, 277, -1, 252, "Gaming Guide...", 'W', true, 0},
    {MR_ITEM, MK_ITEM, 278, -1, 47, "Manual...", 'X', true, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 279, -1, 751, "Check for updates...", 'Y', true, 0},
    {MR_ITEM, MK_BAR, -1, -1, 0, "", 0, false, 0},
    {MR_ITEM, MK_ITEM, 280, -1, 756, "About ReAction...", 0, false, 0},
    {MR_ITEM, MK_ITEM, 281, -1, 106, "About Brindlemox...", '?', false, 0},
};

const MenuCommandName menu_plain_names[317] = {
    {"PROJECT.RESETTOGAME", 0, ""}, // 0
    {"PROJECT.JUMPTOBIOS", 0, ""}, // 1
    {"PROJECT.REINITIALIZE", 0, ""}, // 2
    {"PROJECT.OPEN", 0, ""}, // 3
    {"PROJECT.REVERT", 0, ""}, // 4
    {"PROJECT.QUICKLOAD", 0, ""}, // 5
    {"PROJECT.SAVECOS", 0, ""}, // 6
    {"PROJECT.SAVESCRN.ACBM", 0, ""}, // 7
    {"PROJECT.SAVESCRN.ILBM", 0, ""}, // 8
    {"PROJECT.SAVESCRN.BMP", 0, ""}, // 9
    {"PROJECT.SAVESCRN.GIF", 0, ""}, // 10
    {"PROJECT.SAVESCRN.PCX", 0, ""}, // 11
    {"PROJECT.SAVESCRN.PNG", 0, ""}, // 12
    {"PROJECT.SAVESCRN.TIFF", 0, ""}, // 13
    {"PROJECT.SAVESCRN.ASCII", 0, ""}, // 14
    {"PROJECT.SAVESCRN.ASM", 0, ""}, // 15
    {"PROJECT.QUICKSAVE", 0, ""}, // 16
    {"PROJECT.AUDIT", 0, ""}, // 17
    {"", 0, ""}, // 18
    {"PROJECT.RECENT1", 0, ""}, // 19
    {"PROJECT.RECENT2", 0, ""}, // 20
    {"PROJECT.RECENT3", 0, ""}, // 21
    {"PROJECT.RECENT4", 0, ""}, // 22
    {"PROJECT.RECENT5", 0, ""}, // 23
    {"PROJECT.RECENT6", 0, ""}, // 24
    {"PROJECT.RECENT7", 0, ""}, // 25
    {"PROJECT.RECENT8", 0, ""}, // 26
    {"PROJECT.ICONIFY", 0, ""}, // 27
    {"PROJECT.UNICONIFY", 0, ""}, // 28
    {"PROJECT.QUIT", 0, ""}, // 29
    {"EDIT.MEMORY", 0, ""}, // 30
    {"EDIT.PALETTE", 0, ""}, // 31
    {"EDIT.SCREEN", 0, ""}, // 32
    {"EDIT.SPRITES", 0, ""}, // 33
    {"EDIT.COPYSCREEN", 0, ""}, // 34
    {"EDIT.COPYTEXT", 0, ""}, // 35
    {"EDIT.PASTETEXT", 0, ""}, // 36
    {"EDIT.EMPTYCLIPBOARD", 0, ""}, // 37
    {"VIEW.HIGHSCORES", 0, ""}, // 38
    {"VIEW.DEBUGGER", 0, ""}, // 39
    {"VIEW.MENUBAR", 0, ""}, // 40
    {"VIEW.POINTER", 0, ""}, // 41
    {"VIEW.SIDEBAR", 0, ""}, // 42
    {"VIEW.STATUSBAR", 0, ""}, // 43
    {"VIEW.TITLEBAR", 0, ""}, // 44
    {"VIEW.TOOLBAR", 0, ""}, // 45
    {"VIEW.BUILTINGAMES", 0, ""}, // 46
    {"MACRO.STARTRECORDING", 0, ""}, // 47
    {"MACRO.RESTARTPLAYBACK", 0, ""}, // 48
    {"MACRO.STOP", 0, ""}, // 49
    {"MACRO.LOOP", 0, ""}, // 50
    {"MACRO.ANIMS.ANIM", 0, ""}, // 51
    {"MACRO.ANIMS.GIF", 0, ""}, // 52
    {"MACRO.ANIMS.MNG", 0, ""}, // 53
    {"MACRO.ANIMS.APNG", 0, ""}, // 54
    {"MACRO.SOUNDS.8SVX", 0, ""}, // 55
    {"MACRO.SOUNDS.AIFF", 0, ""}, // 56
    {"MACRO.SOUNDS.SMUS", 0, ""}, // 57
    {"MACRO.SOUNDS.MIDI", 0, ""}, // 58
    {"MACRO.SOUNDS.PSG", 0, ""}, // 59
    {"MACRO.SOUNDS.WAV", 0, ""}, // 60
    {"MACRO.SOUNDS.YM", 0, ""}, // 61
    {"MACRO.GENERATE", 0, ""}, // 62
    {"MACRO.RUNREXX", 0, ""}, // 63
    {"MACRO.REPEATREXX", 0, ""}, // 64
    {"", 1073, "Send message to other player"}, // 65
    {"", 1074, "Clear coverage report"}, // 66
    {"", 1076, "Clear screen (of console window)"}, // 67
    {"", 1078, "View help"}, // 68
    {"", 1079, "Speak message"}, // 69
    {"", 1080, "Quit emulator"}, // 70
    {"", 1144, "Execute host OS command"}, // 71
    {"", 1145, "Assemble source code"}, // 72
    {"", 1147, "Disassemble and show address range"}, // 73
    {"", 1148, "Edit source code"}, // 74
    {"", 1150, "Load binary to start-addr from filename"}, // 75
    {"", 1153, "Save address range as filename (AOF/EOF)"}, // 76
    {"", 1152, "Save address range as filename (BIN)"}, // 77
    {"", 1227, "Save address range as filename (BPNF)"}, // 78
    {"", 1154, "Save address range as filename (CMD/IMAG/MOD)"}, // 79
    {"", 1155, "Save address range as filename (Intel hex)"}, // 80
    {"", 1228, "Save address $0 to end-addr as filename (SMS)"}, // 81
    {"", 1158, "Save address range as filename (TVC)"}, // 82
    {"", 1186, "Delete file from floppy disk"}, // 83
    {"", 1146, "List files on floppy disk"}, // 84
    {"", 1149, "Extract files from floppy disk"}, // 85
    {"", 1263, "Inject file onto floppy disk"}, // 86
    {"", 1264, "Rename file on floppy disk"}, // 87
    {"", 0, ""}, // 88
    {"", 1081, "Change word at address to value"}, // 89
    {"", 1082, "Change byte at address to value"}, // 90
    {"", 1083, "Change byte on disk to value"}, // 91
    {"", 1084, "Write to I/O port"}, // 92
    {"", 1091, "List any or all known labels"}, // 93
    {"", 1092, "View coverage report"}, // 94
    {"", 1093, "Display address range as data"}, // 95
    {"", 1094, "Disassemble address range as code"}, // 96
    {"", 1095, "Show error message"}, // 97
    {"", 1096, "Display address range from disk"}, // 98
    {"", 1097, "View command history"}, // 99
    {"", 1098, "View address range as imagery"}, // 100
    {"", 1099, "Read from I/O port"}, // 101
    {"", 1100, "View BASIC variables"}, // 102
    {"", 1101, "View BIOS RAM"}, // 103
    {"", 1102, "View CPU status"}, // 104
    {"", 1103, "View PSGs/TMSes status"}, // 105
    {"", 1104, "View RAM"}, // 106
    {"", 1105, "View screen contents"}, // 107
    {"", 1106, "View user-defined graphics"}, // 108
    {"", 1107, "View UVI/PVI status"}, // 109
    {"", 1085, "Log illegal memory accesses on/off"}, // 110
    {"", 1086, "Log BIOS calls on/off"}, // 111
    {"", 1087, "Log inefficient code on/off"}, // 112
    {"", 1088, "Log illegal instructions on/off"}, // 113
    {"", 1089, "Log interrupts on/off"}, // 114
    {"", 1090, "Log subroutine calls on/off"}, // 115
    {"", 1133, "Pause after logging on/off"}, // 116
    {"", 1135, "Trace CPU on/off"}, // 117
    {"", 1120, "Pause/unpause & optionally set breakpoint"}, // 118
    {"", 1121, "Generate an interrupt"}, // 119
    {"", 1122, "Ignore next instruction"}, // 120
    {"", 1123, "Jump to address"}, // 121
    {"", 1124, "Step over subroutine"}, // 122
    {"", 1125, "Step next instruction"}, // 123
    {"", 1126, "Run to rasterline number"}, // 124
    {"", 1127, "Run to next frame"}, // 125
    {"", 1128, "Run to next interrupt"}, // 126
    {"", 1129, "Run to end of loop"}, // 127
    {"", 1130, "Run to next rasterline"}, // 128
    {"", 1131, "Run to end of subroutine"}, // 129
    {"", 1108, "Add code breakpoints to address range"}, // 130
    {"", 1109, "Clear code breakpoints from address range"}, // 131
    {"", 1110, "List all code breakpoints"}, // 132
    {"", 1111, "Add disk watchpoints to address range"}, // 133
    {"", 1112, "Clear disk watchpoints from address range"}, // 134
    {"", 1113, "List all disk watchpoints"}, // 135
    {"", 1114, "Add I/O port watchpoints to port range"}, // 136
    {"", 1115, "Clear I/O port watchpoints from port range"}, // 137
    {"", 1116, "List all I/O port watchpoints"}, // 138
    {"", 1117, "Add data watchpoints to address range"}, // 139
    {"", 1118, "Clear data watchpoints from address range"}, // 140
    {"", 1119, "List all data watchpoints"}, // 141
    {"", 1132, "Pause after breakpoints/watchpoints on/off"}, // 142
    {"", 1136, "Watch reads on/off"}, // 143
    {"", 0, ""}, // 144
    {"", 1075, "Clear symbol(s)"}, // 145
    {"", 1077, "Define symbol"}, // 146
    {"", 1151, "Load symbol table from filename"}, // 147
    {"", 1157, "Save symbol table as filename"}, // 148
    {"", 1137, "Compare memory blocks"}, // 149
    {"", 1138, "Copy memory from source to target"}, // 150
    {"", 1139, "Fill address range with value"}, // 151
    {"", 1140, "Find value in address range"}, // 152
    {"", 1141, "Calculate relative offset of target-addr"}, // 153
    {"", 1142, "Swap memory blocks"}, // 154
    {"", 1143, "Make trainer"}, // 155
    {"", 0, ""}, // 156
    {"", 0, ""}, // 157
    {"", 0, ""}, // 158
    {"", 0, ""}, // 159
    {"", 0, ""}, // 160
    {"", 1134, "Use guide ray on/off"}, // 161
    {"", 1378, "Assembler warnings on/off"}, // 162
    {"", 0, ""}, // 163
    {"", 0, ""}, // 164
    {"DEBUG.DEBUGGER", 0, ""}, // 165
    {"TOOLS.CPU", 0, ""}, // 166
    {"TOOLS.PSG", 0, ""}, // 167
    {"TOOLS.XVI", 0, ""}, // 168
    {"TOOLS.MUSIC", 0, ""}, // 169
    {"TOOLS.SERVER", 0, ""}, // 170
    {"TOOLS.CLIENT", 0, ""}, // 171
    {"TOOLS.RETROACHIEVEMENTS", 0, ""}, // 172
    {"PERIPHERALS.CONTROLS", 0, ""}, // 173
    {"PERIPHERALS.DIPSWITCHES", 0, ""}, // 174
    {"", 0, ""}, // 175
    {"PERIPHERALS.LEFT.AUTOFIRE", 0, ""}, // 176
    {"PERIPHERALS.LEFT.REQUIREBUTTON", 0, ""}, // 177
    {"PERIPHERALS.LEFT.FORCEFEEDBACK", 0, ""}, // 178
    {"", 0, ""}, // 179
    {"PERIPHERALS.RIGHT.AUTOFIRE", 0, ""}, // 180
    {"PERIPHERALS.RIGHT.REQUIREBUTTON", 0, ""}, // 181
    {"PERIPHERALS.RIGHT.FORCEFEEDBACK", 0, ""}, // 182
    {"PERIPHERALS.TAPEDECK", 0, ""}, // 183
    {"PERIPHERALS.FLOPPYDRIVE", 0, ""}, // 184
    {"PERIPHERALS.INDUSTRIAL", 0, ""}, // 185
    {"PERIPHERALS.PAPERTAPE", 0, ""}, // 186
    {"PERIPHERALS.PRINTER", 0, ""}, // 187
    {"", 0, ""}, // 188
    {"", 0, ""}, // 189
    {"", 0, ""}, // 190
    {"", 0, ""}, // 191
    {"", 0, ""}, // 192
    {"", 0, ""}, // 193
    {"SETTINGS.COLOURS.ARTEFACTS", 0, ""}, // 194
    {"SETTINGS.COLOURS.DARKENBG", 0, ""}, // 195
    {"SETTINGS.COLOURS.FLAGLINE", 0, ""}, // 196
    {"SETTINGS.COLOURS.INVERSE", 0, ""}, // 197
    {"", 0, ""}, // 198
    {"", 0, ""}, // 199
    {"", 0, ""}, // 200
    {"", 0, ""}, // 201
    {"SETTINGS.EMULATOR.AUTOSAVE", 0, ""}, // 202
    {"SETTINGS.EMULATOR.UPDATES", 0, ""}, // 203
    {"SETTINGS.EMULATOR.CONFIRMQUIT", 0, ""}, // 204
    {"SETTINGS.EMULATOR.ICONS", 0, ""}, // 205
    {"SETTINGS.EMULATOR.CONSOLE", 0, ""}, // 206
    {"SETTINGS.EMULATOR.IDENTIFY", 0, ""}, // 207
    {"SETTINGS.EMULATOR.POST", 0, ""}, // 208
    {"SETTINGS.EMULATOR.RANDOMIZE", 0, ""}, // 209
    {"SETTINGS.EMULATOR.SENSEGAME", 0, ""}, // 210
    {"SETTINGS.EMULATOR.SHOWTIPS", 0, ""}, // 211
    {"SETTINGS.EMULATOR.STUBS", 0, ""}, // 212
    {"", 0, ""}, // 213
    {"", 0, ""}, // 214
    {"SETTINGS.EMULATOR.PATHS", 0, ""}, // 215
    {"", 0, ""}, // 216
    {"SETTINGS.FILTERS.SCANLINES", 0, ""}, // 217
    {"SETTINGS.FILTERS.STRETCHWINDOWED", 0, ""}, // 218
    {"", 0, ""}, // 219
    {"", 0, ""}, // 220
    {"SETTINGS.GRAPHICS.BEZEL", 0, ""}, // 221
    {"SETTINGS.GRAPHICS.BLANKING", 0, ""}, // 222
    {"SETTINGS.GRAPHICS.BLINK", 0, ""}, // 223
    {"SETTINGS.GRAPHICS.DEJITTER", 0, ""}, // 224
    {"SETTINGS.GRAPHICS.SKIES", 0, ""}, // 225
    {"SETTINGS.GRAPHICS.INTERSECTIONS", 0, ""}, // 226
    {"SETTINGS.GRAPHICS.FULLSCREEN", 0, ""}, // 227
    {"SETTINGS.GRAPHICS.INVERTFLASHED", 0, ""}, // 228
    {"SETTINGS.GRAPHICS.NARROW", 0, ""}, // 229
    {"SETTINGS.GRAPHICS.ROTATE", 0, ""}, // 230
    {"SETTINGS.GRAPHICS.UNLIT", 0, ""}, // 231
    {"SETTINGS.GRAPHICS.SHOWLEDS", 0, ""}, // 232
    {"SETTINGS.INPUT.ANALOG", 0, ""}, // 233
    {"SETTINGS.INPUT.POSITIONS", 0, ""}, // 234
    {"SETTINGS.INPUT.SPRINGS", 0, ""}, // 235
    {"SETTINGS.INPUT.SWAPPED", 0, ""}, // 236
    {"SETTINGS.INPUT.CALIBRATE", 0, ""}, // 237
    {"SETTINGS.INPUT.REARRANGE", 0, ""}, // 238
    {"SETTINGS.INPUT.REDEFINE", 0, ""}, // 239
    {"SETTINGS.INPUT.SENSITIVITY", 0, ""}, // 240
    {"SETTINGS.INPUT.LOWERCASE", 0, ""}, // 241
    {"SETTINGS.INPUT.CONFINE", 0, ""}, // 242
    {"SETTINGS.INPUT.ERASEDELETED", 0, ""}, // 243
    {"SETTINGS.INPUT.AUTOCOIN", 0, ""}, // 244
    {"SETTINGS.INPUT.GUESTRMB", 0, ""}, // 245
    {"SETTINGS.INPUT.QUEUEKEYSTROKES", 0, ""}, // 246
    {"", 0, ""}, // 247
    {"", 0, ""}, // 248
    {"", 0, ""}, // 249
    {"SETTINGS.SOUND.ENABLED", 0, ""}, // 250
    {"SETTINGS.SOUND.ADJUST", 0, ""}, // 251
    {"SETTINGS.SOUND.AMBIENT", 0, ""}, // 252
    {"SETTINGS.SOUND.FILTERED", 0, ""}, // 253
    {"SETTINGS.SOUND.RETUNE", 0, ""}, // 254
    {"SETTINGS.SOUND.OUTPUT", 0, ""}, // 255
    {"SETTINGS.SPEED.ADJUST", 0, ""}, // 256
    {"SETTINGS.SPEED.PAUSED", 0, ""}, // 257
    {"SETTINGS.SPEED.AUTOPAUSE", 0, ""}, // 258
    {"SETTINGS.SPEED.EXACT", 0, ""}, // 259
    {"SETTINGS.SPEED.LIMITREFRESHES", 0, ""}, // 260
    {"SETTINGS.SPEED.TURBO", 0, ""}, // 261
    {"", 0, ""}, // 262
    {"", 0, ""}, // 263
    {"SETTINGS.SPRITES.COLLISIONS", 0, ""}, // 264
    {"", 0, ""}, // 265
    {"SETTINGS.TRAINERS.CHEATLIVES", 0, ""}, // 266
    {"SETTINGS.TRAINERS.CHEATTIME", 0, ""}, // 267
    {"SETTINGS.TRAINERS.INVINCIBILITY", 0, ""}, // 268
    {"SETTINGS.TRAINERS.SKIPLEVEL", 0, ""}, // 269
    {"", 0, ""}, // 270
    {"", 0, ""}, // 271
    {"HELP.GAMEINFO", 0, ""}, // 272
    {"HELP.HOSTPADS", 0, ""}, // 273
    {"HELP.HOSTKYBD", 0, ""}, // 274
    {"HELP.OPCODES", 0, ""}, // 275
    {"HELP.CODINGGUIDE", 0, ""}, // 276
    {"HELP.GAMINGGUIDE", 0, ""}, // 277
    {"HELP.MANUAL", 0, ""}, // 278
    {"HELP.UPDATE", 0, ""}, // 279
    {"HELP.REACTION", 0, ""}, // 280
    {"HELP.ABOUT", 0, ""}, // 281
    {"", 0, ""}, // 282
    {"", 0, ""}, // 283
    {"", 0, ""}, // 284
    {"", 0, ""}, // 285
    {"", 0, ""}, // 286
    {"", 0, ""}, // 287
    {"", 0, ""}, // 288
    {"", 0, ""}, // 289
    {"", 0, ""}, // 290
    {"", 0, ""}, // 291
    {"", 0, ""}, // 292
    {"", 0, ""}, // 293
    {"", 0, ""}, // 294
    {"", 0, ""}, // 295
    {"", 0, ""}, // 296
    {"", 0, ""}, // 297
    {"", 0, ""}, // 298
    {"", 0, ""}, // 299
    {"", 0, ""}, // 300
    {"", 0, ""}, // 301
    {"", 0, ""}, // 302
    {"", 0, ""}, // 303
    {"", 0, ""}, // 304
    {"", 0, ""}, // 305
    {"", 0, ""}, // 306
    {"", 0, ""}, // 307
    {"", 0, ""}, // 308
    {"", 0, ""}, // 309
    {"", 0, ""}, // 310
    {"", 0, ""}, // 311
    {"", 0, ""}, // 312
    {"", 0, ""}, // 313
    {"", 0, ""}, // 314
    {"", 0, ""}, // 315
    {"", 0, ""}, // 316
};

const MenuCommandName menu_check_names[164] = {
    {"VIEW.SORTBY.NAME", 0, ""}, // 0
    {"VIEW.SORTBY.MACHINE", 0, ""}, // 1
    {"VIEW.INDICATOR.FPS", 0, ""}, // 2
    {"VIEW.INDICATOR.KHZ", 0, ""}, // 3
    {"VIEW.INDICATOR.PERCENTAGE", 0, ""}, // 4
    {"", 1159, "Change debugger drive to unit 0"}, // 5
    {"", 1160, "Change debugger drive to unit 1"}, // 6
    {"", 1267, "Change debugger drive to unit 2"}, // 7
    {"", 1268, "Change debugger drive to unit 3"}, // 8
    {"", 1161, "Watch no writes"}, // 9
    {"", 1162, "Watch some writes"}, // 10
    {"", 1163, "Watch all writes"}, // 11
    {"", 1167, "Set default input base to binary"}, // 12
    {"", 1165, "Set default input base to octal"}, // 13
    {"", 1164, "Set default input base to decimal"}, // 14
    {"", 1166, "Set default input base to hexadecimal"}, // 15
    {"", 1168, "Set CPU to 2650/2650A"}, // 16
    {"", 1169, "Set CPU to 2650B"}, // 17
    {"", 1170, "Set notation to non-extended Signetics"}, // 18
    {"", 1171, "Set notation to extended Signetics"}, // 19
    {"", 1172, "Set notation to old CALM"}, // 20
    {"", 1173, "Set notation to new CALM"}, // 21
    {"", 1174, "Set notation to IEEE-694"}, // 22
    {"", 1178, "Set time unit to cycles"}, // 23
    {"", 1179, "Set time unit to clocks"}, // 24
    {"", 1180, "Set time unit to pixels"}, // 25
    {"", 1220, "Set verbosity to minimum"}, // 26
    {"", 1221, "Set table tracing mode"}, // 27
    {"", 1222, "Set verbosity to maximum"}, // 28
    {"", 1254, "Draw normally"}, // 29
    {"", 1255, "Show grid (most machines) or Teletext grid (Malzak)"}, // 30
    {"", 1256, "Show collision table (Arcadia/Interton/Elektor) or playfield grid (Malzak)"}, // 31
    {"", 1257, "Show CHARLINE table (Arcadia) or DMA read table (Interton/Elektor) or both grids (Malzak)"}, // 32
    {"", 1258, "Show DMA write table (Interton/Elektor)"}, // 33
    {"", 1175, "Set sprite mode to invisible"}, // 34
    {"", 1177, "Set sprite mode to numbered"}, // 35
    {"", 1176, "Set sprite mode to visible"}, // 36
    {"PERIPHERALS.LEFT.MOUSE", 0, ""}, // 37
    {"PERIPHERALS.LEFT.KEYBOARD", 0, ""}, // 38
    {"PERIPHERALS.LEFT.1STDJOY", 0, ""}, // 39
    {"PERIPHERALS.LEFT.2NDDJOY", 0, ""}, // 40
    {"PERIPHERALS.LEFT.2NDAJOY", 0, ""}, // 41
    {"PERIPHERALS.LEFT.1STDPAD", 0, ""}, // 42
    {"PERIPHERALS.LEFT.2NDDPAD", 0, ""}, // 43
    {"PERIPHERALS.LEFT.1STAPAD", 0, ""}, // 44
    {"PERIPHERALS.LEFT.2NDAPAD", 0, ""}, // 45
    {"PERIPHERALS.RIGHT.MOUSE", 0, ""}, // 46
    {"PERIPHERALS.RIGHT.KEYBOARD", 0, ""}, // 47
    {"PERIPHERALS.RIGHT.1STDJOY", 0, ""}, // 48
    {"PERIPHERALS.RIGHT.2NDDJOY", 0, ""}, // 49
    {"PERIPHERALS.RIGHT.2NDAJOY", 0, ""}, // 50
    {"PERIPHERALS.RIGHT.1STDPAD", 0, ""}, // 51
    {"PERIPHERALS.RIGHT.2NDDPAD", 0, ""}, // 52
    {"PERIPHERALS.RIGHT.1STAPAD", 0, ""}, // 53
    {"PERIPHERALS.RIGHT.2NDAPAD", 0, ""}, // 54
    {"SETTINGS.BIOS.PHILIPS", 0, ""}, // 55
    {"SETTINGS.BIOS.HOBBYMODULE", 0, ""}, // 56
    {"SETTINGS.BIOS.ARTEMIS", 0, ""}, // 57
    {"SETTINGS.BIOS.HYBUG", 0, ""}, // 58
    {"SETTINGS.BIOS.PIPBUG1", 0, ""}, // 59
    {"SETTINGS.BIOS.PIPBUG2", 0, ""}, // 60
    {"SETTINGS.BIOS.BINBUG35", 0, ""}, // 61
    {"SETTINGS.BIOS.BINBUG36", 0, ""}, // 62
    {"SETTINGS.BIOS.BINBUG61", 0, ""}, // 63
    {"SETTINGS.BIOS.GBUG", 0, ""}, // 64
    {"SETTINGS.BIOS.MIKEBUG", 0, ""}, // 65
    {"SETTINGS.BIOS.MYBUG", 0, ""}, // 66
    {"SETTINGS.BIOS.IPL", 0, ""}, // 67
    {"SETTINGS.BIOS.POPMON", 0, ""}, // 68
    {"SETTINGS.BIOS.SUPERVISOR", 0, ""}, // 69
    {"SETTINGS.BIOS.MINIMONITOR", 0, ""}, // 70
    {"SETTINGS.BIOS.PHUNSY", 0, ""}, // 71
    {"SETTINGS.BIOS.SELBSTNONE", 0, ""}, // 72
    {"SETTINGS.BIOS.SELBST09", 0, ""}, // 73
    {"SETTINGS.BIOS.SELBST10", 0, ""}, // 74
    {"SETTINGS.BIOS.SELBST20", 0, ""}, // 75
    {"SETTINGS.COLOURS.AMBER", 0, ""}, // 76
    {"SETTINGS.COLOURS.GREEN", 0, ""}, // 77
    {"SETTINGS.COLOURS.GREY", 0, ""}, // 78
    {"SETTINGS.COLOURS.PURE", 0, ""}, // 79
    {"SETTINGS.COLOURS.PVI", 0, ""}, // 80
    {"SETTINGS.COLOURS.UVI", 0, ""}, // 81
    {"SETTINGS.DOS.MICRODOS", 0, ""}, // 82
    {"SETTINGS.DOS.VHSDOS", 0, ""}, // 83
    {"SETTINGS.DOS.NOBINBUGDOS", 0, ""}, // 84
    {"SETTINGS.DOS.EXOS", 0, ""}, // 85
    {"SETTINGS.DOS.SDOS20", 0, ""}, // 86
    {"SETTINGS.DOS.SDOS40", 0, ""}, // 87
    {"SETTINGS.DOS.SDOS42", 0, ""}, // 88
    {"SETTINGS.DOS.TOS", 0, ""}, // 89
    {"SETTINGS.DOS.UDOS", 0, ""}, // 90
    {"SETTINGS.DOS.NOTWINDOS", 0, ""}, // 91
    {"SETTINGS.DOS.CDDOS", 0, ""}, // 92
    {"SETTINGS.DOS.P1DOS", 0, ""}, // 93
    {"SETTINGS.DOS.NOCD2650DOS", 0, ""}, // 94
    {"SETTINGS.EMULATOR.FRAMEBASED", 0, ""}, // 95
    {"SETTINGS.EMULATOR.PIXELBASED", 0, ""}, // 96
    {"SETTINGS.EMULATOR.APPENDLOG", 0, ""}, // 97
    {"SETTINGS.EMULATOR.IGNORELOG", 0, ""}, // 98
    {"SETTINGS.EMULATOR.REPLACELOG", 0, ""}, // 99
    {"SETTINGS.FILTERS.3D", 0, ""}, // 100
    {"SETTINGS.FILTERS.HQX", 0, ""}, // 101
    {"SETTINGS.FILTERS.SCALE2X", 0, ""}, // 102
    {"SETTINGS.FILTERS.NONE", 0, ""}, // 103
    {"SETTINGS.FILTERS.UNSTRETCHED", 0, ""}, // 104
    {"SETTINGS.FILTERS.STRETCH43", 0, ""}, // 105
    {"SETTINGS.FILTERS.STRETCHTOFIT", 0, ""}, // 106
    {"SETTINGS.GRAPHICS.1XSIZE", 0, ""}, // 107
    {"SETTINGS.GRAPHICS.2XSIZE", 0, ""}, // 108
    {"SETTINGS.GRAPHICS.3XSIZE", 0, ""}, // 109
    {"SETTINGS.GRAPHICS.4XSIZE", 0, ""}, // 110
    {"SETTINGS.GRAPHICS.5XSIZE", 0, ""}, // 111
    {"SETTINGS.GRAPHICS.6XSIZE", 0, ""}, // 112
    {"SETTINGS.INPUT.HOST", 0, ""}, // 113
    {"SETTINGS.INPUT.EA78UT4", 0, ""}, // 114
    {"SETTINGS.INPUT.TELETYPE", 0, ""}, // 115
    {"SETTINGS.LANGUAGE.ENG", 0, ""}, // 116
    {"SETTINGS.LANGUAGE.HOL", 0, ""}, // 117
    {"SETTINGS.LANGUAGE.FRA", 0, ""}, // 118
    {"SETTINGS.LANGUAGE.GER", 0, ""}, // 119
    {"SETTINGS.LANGUAGE.GRE", 0, ""}, // 120
    {"SETTINGS.LANGUAGE.ITA", 0, ""}, // 121
    {"SETTINGS.LANGUAGE.POL", 0, ""}, // 122
    {"SETTINGS.LANGUAGE.RUS", 0, ""}, // 123
    {"SETTINGS.LANGUAGE.SPA", 0, ""}, // 124
    {"SETTINGS.MACHINE.ARCADIA", 0, ""}, // 125
    {"SETTINGS.MACHINE.INTERTON", 0, ""}, // 126
    {"SETTINGS.MACHINE.ELEKTOR", 0, ""}, // 127
    {"SETTINGS.MACHINE.PIPBUG", 0, ""}, // 128
    {"SETTINGS.MACHINE.BINBUG", 0, ""}, // 129
    {"SETTINGS.MACHINE.INSTRUCTOR", 0, ""}, // 130
    {"SETTINGS.MACHINE.TWIN", 0, ""}, // 131
    {"SETTINGS.MACHINE.CD2650", 0, ""}, // 132
    {"SETTINGS.MACHINE.PHUNSY", 0, ""}, // 133
    {"SETTINGS.MACHINE.SELBST", 0, ""}, // 134
    {"SETTINGS.MACHINE.MIKIT", 0, ""}, // 135
    {"SETTINGS.MACHINE.ASTROWARS", 0, ""}, // 136
    {"SETTINGS.MACHINE.GALAXIA", 0, ""}, // 137
    {"SETTINGS.MACHINE.LASERBATTLE", 0, ""}, // 138
    {"SETTINGS.MACHINE.LAZARIAN", 0, ""}, // 139
    {"SETTINGS.MACHINE.MALZAK1", 0, ""}, // 140
    {"SETTINGS.MACHINE.MALZAK2", 0, ""}, // 141
    {"SETTINGS.MACHINE.8550", 0, ""}, // 142
    {"SETTINGS.MACHINE.8600", 0, ""}, // 143
    {"SETTINGS.MACHINE.TYPERIGHT", 0, ""}, // 144
    {"SETTINGS.SOUND.AHI", 0, ""}, // 145
    {"SETTINGS.SOUND.PAULA", 0, ""}, // 146
    {"SETTINGS.SPEED.NTSC", 0, ""}, // 147
    {"SETTINGS.SPEED.PAL", 0, ""}, // 148
    {"SETTINGS.SPEED.HIGH", 0, ""}, // 149
    {"SETTINGS.SPEED.NORMAL", 0, ""}, // 150
    {"SETTINGS.SPEED.LOW", 0, ""}, // 151
    {"SETTINGS.SPRITES.MULTIPLEX", 0, ""}, // 152
    {"SETTINGS.SPRITES.TRANSPARENT", 0, ""}, // 153
    {"SETTINGS.SPRITES.OPAQUE", 0, ""}, // 154
    {"SETTINGS.VDU.ELEKTERMINAL", 0, ""}, // 155
    {"SETTINGS.VDU.NARROW", 0, ""}, // 156
    {"SETTINGS.VDU.WIDE", 0, ""}, // 157
    {"SETTINGS.VDU.RADIOBULLETIN", 0, ""}, // 158
    {"SETTINGS.VDU.SVT100", 0, ""}, // 159
    {"SETTINGS.VDU.VT100", 0, ""}, // 160
    {"SETTINGS.VDU.ASCII", 0, ""}, // 161
    {"SETTINGS.VDU.CHESSMEN", 0, ""}, // 162
    {"SETTINGS.VDU.LOWERCASE", 0, ""}, // 163
};
// clang-format on
