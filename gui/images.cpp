#include "gui/images.h"

#include "core/machine_titles.h"
#include "app/shutdown.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "input/controls.h"
#include "input/picture_choice.h"

#include <cstring>
#include <sys/stat.h>

int gui_images[GUI_IMAGES] = {};
bool gui_image_missing[GUI_IMAGES] = {};
int gui_button_height = 0;
int progress_window = 0;
u32 progress_count = 0;

// The big pictures (images 20-36) for the windows that show the machine in
// full; the maps without one show the small Arcadia picture.
const int gui_machine_picture_by_memmap[MEMMAPS] = {
    21, 21, 21, 21, 22, 22, 20, 20, 20, 23, 23, 24, 26, 0,  25, 25,
    27, 0,  0,  32, 34, 35, 28, 29, 30, 30, 31, 31, 33, 33, 36,
};

static bool in(int n, int a, int b) {
    return n >= a && n <= b;
}

ImageRow gui_image_row(int n) {
    ImageRow r{};
    if (n < 0 || n >= GUI_IMAGES) return r;
    r.name = gui_image_names[n];
    // Toolbar and tool-window symbols.
    r.aiss = in(n, 39, 78) || in(n, 207, 279);
    r.transparent = r.aiss || in(n, 17, 19) || n == 37 || n == 38 || n == 95 || n == 179 ||
                    n == 203 || n == 204;
    if (in(n, 0, 19) || in(n, 173, 178))
        r.min_height = 11;
    else if (n == 37 || n == 38)
        r.min_height = 9;
    else if (n == 39 || n == 40)
        r.min_height = 24;
    else if (in(n, 121, 172) || in(n, 319, 378))
        r.min_height = 10;
    if (in(n, 0, 16) || in(n, 173, 178)) {
        r.width = 32;
        r.height = 16;
    } else if (in(n, 17, 19) || n == 37 || n == 38) {
        r.width = 16;
        r.height = 12;
    } else if (in(n, 20, 36)) {
        r.width = 96;
        r.height = 72;
    } else if (in(n, 121, 172) || in(n, 319, 378)) {
        r.width = 64;
        r.height = 48;
    } else if (in(n, 385, 512)) {
        r.width = 64;
        r.height = 80;
    } else if (in(n, 285, 309)) { // the cassette deck and its reel frames
        r.width = 128;
        r.height = 80;
    } else if (in(n, 310, 318)) { // the tape's level lamps
        r.width = 20;
        r.height = 20;
    } else {
        r.width = 24;
        r.height = 24;
    }
    // The controller pictures have the sizes their key rectangles fit.
    int w = 0, h = 0;
    if (controls_picture_size(n, &w, &h)) {
        r.width = w;
        r.height = h;
        r.min_height = 0;
    }
    return r;
}

static bool is_file(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string gui_image_path(int n) {
    ImageRow r = gui_image_row(n);
    if (!r.name) return {};
    std::string file = r.name;
    if (file.find('.') == std::string::npos) file += ".png";
    std::string images = path_progdir() + "/images/";
    if (r.aiss && is_file(images + "aiss/" + file)) return images + "aiss/" + file;
    return images + file;
}

void gui_load_image(int first, int last, int progress) {
    if (first < 0) first = 0;
    if (last >= GUI_IMAGES) last = GUI_IMAGES - 1;
    for (int n = first; n <= last; ++n) {
        if (progress) {
            ++progress_count;
            if (progress_window) {
                gui_set_value(progress_window, GID_PROGRESS_GAUGE,
                              static_cast<int>(progress_count));
                gui_host_pump();
            }
        }
        if (gui_images[n]) continue;
        ImageRow r = gui_image_row(n);
        int h = r.height < r.min_height ? r.min_height : r.height;
        bool missing = false;
        gui_images[n] = gui_image_load(gui_image_path(n).c_str(), r.width, h, &missing);
        gui_image_missing[n] = missing;
        if (n == 37 || n == 38) {
            int w = 0, ih = 0;
            gui_image_size(gui_images[n], &w, &ih);
            if (ih + 12 > gui_button_height) gui_button_height = ih + 12;
        }
    }
}

static int range_size(int first, int last) {
    return last >= first ? last - first + 1 : 0;
}

void gui_load_images_progress(int first, int last, int first2, int last2) {
    const int total = range_size(first, last) + (first2 != -1 ? range_size(first2, last2) : 0);
    if (app_acquired.host_gui) {
        GuiWindowDesc d;
        d.title = machine_title(0);
        GuiNode gauge;
        gauge.kind = GK_FUELGAUGE;
        gauge.gid = GID_PROGRESS_GAUGE;
        gauge.min = 0;
        gauge.max = total;
        gauge.text = cat_str(685, "Loading...");
        gauge.min_w = 256;
        d.root.kind = GK_VGROUP;
        d.root.children.push_back(gauge);
        progress_window = gui_window_open(d); // without it the images load all the same
    }
    progress_count = 0;
    gui_load_image(first, last, 1);
    if (first2 != -1) gui_load_image(first2, last2, 1);
    if (progress_window) gui_window_close(progress_window);
    progress_window = 0;
}

int gui_image(int n) {
    if (n < 0 || n >= GUI_IMAGES) return 0;
    if (!gui_images[n]) gui_load_image(n, n, 0);
    return gui_images[n];
}

void gui_free_images() {
    for (int n = 0; n < GUI_IMAGES; ++n) {
        if (gui_images[n]) gui_image_free(gui_images[n]);
        gui_images[n] = 0;
        gui_image_missing[n] = false;
    }
    gui_button_height = 0;
}

int games_machine_label_id(int game, int map) {
    return game_image_number(game, map);
}

int gui_machine_picture(u32 map) {
    return map < MEMMAPS ? gui_machine_picture_by_memmap[map] : -1;
}
