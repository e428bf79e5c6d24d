#include "core/message_date.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

// Stand-in for the interface's date formatter: the real one also follows the
// date-order option; whoever writes it deletes this one.
const char* format_date_time_long() {
    static char text[80];
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    std::snprintf(text, sizeof text, "%d%s%02d%s%02d %s %d%s%d%s%d", t.tm_hour, ":", t.tm_min, ":",
                  t.tm_sec, cat_str(178, "on"), t.tm_mday, "/", t.tm_mon + 1, "/",
                  t.tm_year + 1900);
    return text;
}

char user_name[USER_NAME_SIZE] = "Brindlemox User";

void user_name_read() {
    const char* name = std::getenv("username");
    if (!name || !name[0]) name = std::getenv("USER");
    if (!name || !name[0]) name = "Brindlemox User";
    std::snprintf(user_name, sizeof user_name, "%s", name);
}
