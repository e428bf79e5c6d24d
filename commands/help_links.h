// The help document and web links. The help document is our HTML under the
// program home's help/ drawer, one anchor per node; it opens in the help
// viewer at the node of a menu (the Help key over a menu, the Help menu's
// manual item) or of a tool window (the Help key in it). Web links open in
// the desktop's browser; the addresses we choose point at sections of the
// project's README.
#pragma once

#include <string>

// The nodes of the menus 0..8 (Project, Edit, View, Macros, Debug, Tools,
// Peripherals, Settings, Help); every other number has the node "MAIN".
const char* help_node_of(int context);
// The help document's file on the host.
std::string help_document();
// Whether the help document is there (the Help menu's manual item follows it).
bool help_available();
// Pauses the emulation and shows the help document at the node of menu
// `context` (-1: its main node). Nothing (and no message) when it is missing.
void help_show(int context);
// The same at a named node (the Help key in a tool window).
void help_show_node(const char* node);
// The node of tool window `window` (a ToolWindow) on machine `m`, as its Help
// key opens it ("" none: the window has no section of its own).
const char* help_window_node(int window, int m);
// The help viewer holds the emulation paused while it is open (its own cause,
// never saved); once it is closed, that hold ends. Called every event pass.
void help_check_closed();
// Hands the Help key of the tool windows to help_show_node.
void help_install();

// Opens `address` in the desktop's browser; a failure beeps and says so on the
// console and in the status bar.
void open_url(const char* address);
// The help document's section of the coding guide and of the gaming guide of
// machine `m` ("" none: Type-right's coding guide).
const char* coding_guide_section(int m);
const char* gaming_guide_section(int m);
