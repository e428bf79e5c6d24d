// Interface images: the 524-row image table (names, flags, sizes), loading
// rows on first use, and the machine picture of each memory map.
//
// Our own interface pictures are small PNG files under PROGDIR:images/ named
// after their rows ("reset" is images/reset.png); rows naming a ".gif" (game
// pictures and boxes) are looked up as named. A picture that is missing is
// drawn as an empty frame of the row's size: never fatal.
#pragma once

#include "core/emu.h"
#include "core/types.h"

#include <string>

constexpr int GUI_IMAGES = 524;

struct ImageRow {
    const char* name;
    bool transparent;  // drawn through its transparent colour
    bool aiss;         // looked up in images/aiss/ first
    int min_height;    // 0 = none
    int width, height; // the picture's size, also of the frame of a missing one
};

extern const char* const gui_image_names[GUI_IMAGES];
extern int gui_images[GUI_IMAGES]; // platform image handles, 0 until loaded
extern bool gui_image_missing[GUI_IMAGES];
extern const int gui_machine_picture_by_memmap[MEMMAPS];
extern int gui_button_height;

// Row `n` of the table (n in 0..523).
ImageRow gui_image_row(int n);
// The file the row is loaded from (host path; the AISS drawer when it has the file).
std::string gui_image_path(int n);
// Loads rows first..last whose image is not loaded yet; with `progress` each
// row counts one step of the "Loading..." gauge.
void gui_load_image(int first, int last, int progress);
// Loads rows first..last and, unless first2 is -1, first2..last2, while a
// window's gauge (gadget 366) counts them up to their number.
void gui_load_images_progress(int first, int last, int first2, int last2);
constexpr int GID_PROGRESS_GAUGE = 366;
extern int progress_window; // the "Loading..." window, 0 while closed
extern u32 progress_count;  // rows counted in the current run
// The handle of row n, loading it on first use (0 for a row out of range).
int gui_image(int n);
void gui_free_images();
// The picture number for the status bar and the game list.
int games_machine_label_id(int game, int map);
// The big picture number of memory map `map`, -1 (no image) for a map out of range.
int gui_machine_picture(u32 map);
