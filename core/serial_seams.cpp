// Stand-ins for the services the stored formats call in subsystems that do
// not exist yet; each does the least its caller relies on.
#include "core/serial_seams.h"

#include <cstdio>
#include <ctime>

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

