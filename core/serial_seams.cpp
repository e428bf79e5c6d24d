// Stand-ins for the services the stored formats call in subsystems that do
// not exist yet; each does the least its caller relies on.
#include "core/serial_seams.h"

#include <cstdio>
#include <ctime>

// Palettes: the real ones read and set the display's colours; this is a plain
// store, so that the settings round-trip.
static u8 seam_palette[6][24][3];

static bool palette_ok(int p, int c) {
    return p >= 0 && p < 6 && c >= 0 && c < 24;
}

u8 palette_get_red(int p, int c) {
    return palette_ok(p, c) ? seam_palette[p][c][0] : 0;
}
u8 palette_get_green(int p, int c) {
    return palette_ok(p, c) ? seam_palette[p][c][1] : 0;
}
u8 palette_get_blue(int p, int c) {
    return palette_ok(p, c) ? seam_palette[p][c][2] : 0;
}

void palette_set_red_grey(int p, int c, u8 v) {
    if (palette_ok(p, c)) seam_palette[p][c][0] = v;
}

void palette_set_green_grey(int p, int c, u8 v) {
    if (palette_ok(p, c)) seam_palette[p][c][1] = v;
}

void palette_set_blue_grey(int p, int c, u8 v) {
    if (palette_ok(p, c)) seam_palette[p][c][2] = v;
}

// The real one switches the host's audio filter as "ledfilter" says.
void snd_audio_filter_setting() {}

// The real one also follows the date-order option; this writes hours:minutes day/month/year.
void format_date_time_short(char* out) {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char text[64];
    std::snprintf(text, sizeof text, "%d%s%02d %d%s%d%s%02d", t.tm_hour, ":", t.tm_min, t.tm_mday,
                  "/", t.tm_mon + 1, "/", t.tm_year % 100);
    std::snprintf(out, 16, "%.15s", text);
}

// The real one is the user's name from the settings.
char user_name[31] = "Brindlemox User";
