// Interface images: the 524-row image table (names, flags, sizes), loading
// rows on first use, and the machine picture of each memory map.
//
// Our own interface pictures are small PNG files under PROGDIR:images/ named
// after their rows ("reset" is images/reset.png); rows naming a ".gif" (game
// pictures and boxes) are looked up as named. A picture that is missing is
// drawn as an empty frame of the row's size: never fatal.
#pragma once

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
extern const int gui_machine_picture_by_memmap[31];
extern int gui_button_height;

// Row `n` of the table (n in 0..523).
ImageRow gui_image_row(int n);
// The file the row is loaded from (host path; the AISS drawer when it has the file).
std::string gui_image_path(int n);
// Loads rows first..last whose image is not loaded yet.
void gui_load_image(int first, int last, int progress);
void gui_load_images_progress(int first, int last, int a, int b);
// The handle of row n, loading it on first use (0 for a row out of range).
int gui_image(int n);
void gui_free_images();
// The picture number for the status bar and the game list.
int games_machine_label_id(int game, int memmap);
