#include "display/colour_names.h"

#include "platform/catalog.h"

const char* colour_names_short[8] = {"white", "yellow", "purple", "red",
                                     "cyan",  "green",  "blue",   "black"};
const char* colour_names[24] = {
    "White",     "Yellow",      "Bright Purple", "Bright Red", "Bright Cyan", "Bright Green",
    "Bright Blue", "Black #1",  "Grey #1",       "Brown",      "Dark Purple", "Dark Red",
    "Dark Cyan", "Dark Green",  "Dark Blue",     "Black #2",   "Grey #2",     "Grey #3",
    "Grey #4",   "Grey #5",     "Grey #6",       "Grey #7",    "Orange",      "Pink"};

void display_colour_names() {
    static const int short_numbers[8] = {210, 211, 212, 213, 214, 215, 216, 217};
    static const int long_numbers[24] = {340, 341, 342, 343, 344, 345, 346, 347,
                                         348, 349, 350, 351, 352, 353, 354, 355,
                                         481, 482, 483, 484, 485, 486, 487, 488};
    // The tables start with the English texts, the catalog's defaults.
    for (int i = 0; i < 8; i++)
        colour_names_short[i] = cat_str(short_numbers[i], colour_names_short[i]);
    for (int i = 0; i < 24; i++)
        colour_names[i] = cat_str(long_numbers[i], colour_names[i]);
}
