#include "core/message_date.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstdlib>

bool date_month_first = false;

bool date_format_month_first(const char* format) {
    if (!format) return false;
    const char* month = nullptr;
    const char* day = nullptr;
    for (const char* p = format; *p; p++) {
        if (*p != '%' || !p[1]) continue;
        p++;
        while (*p == 'E' || *p == 'O' || *p == '-' || *p == '_' || *p == '0' || *p == '^')
            if (!*++p) return false; // a modifier at the very end
        if (*p == 'D' && !month) month = p; // %D is %m/%d/%y
        if ((*p == 'm' || *p == 'b' || *p == 'B' || *p == 'h') && !month) month = p;
        if ((*p == 'd' || *p == 'e') && !day) day = p;
    }
    if (month && !day) return *month == 'D';
    return month && day && month < day;
}

namespace {
std::tm now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}
} // namespace

std::string format_date_at(const std::tm& t) {
    const int first = date_month_first ? t.tm_mon + 1 : t.tm_mday;
    const int second = date_month_first ? t.tm_mday : t.tm_mon + 1;
    char text[40];
    std::snprintf(text, sizeof text, "%d/%d/%d", first, second, t.tm_year + 1900);
    return text;
}

const char* format_date_time_long_at(const std::tm& t) {
    static char text[80];
    std::snprintf(text, sizeof text, "%d%s%02d%s%02d %s %s", t.tm_hour, ":", t.tm_min, ":",
                  t.tm_sec, cat_str(178, "on"), format_date_at(t).c_str());
    return text;
}

void format_date_time_short_at(const std::tm& t, char* out) {
    const int first = date_month_first ? t.tm_mon + 1 : t.tm_mday;
    const int second = date_month_first ? t.tm_mday : t.tm_mon + 1;
    char text[64];
    std::snprintf(text, sizeof text, "%d%s%02d %d%s%d%s%02d", t.tm_hour, ":", t.tm_min, first, "/",
                  second, "/", t.tm_year % 100);
    std::snprintf(out, 16, "%.15s", text);
}

const char* format_date_time_long() {
    return format_date_time_long_at(now());
}

void format_date_time_short(char* out) {
    format_date_time_short_at(now(), out);
}

char user_name[USER_NAME_SIZE] = "Brindlemox User";

void user_name_read() {
    const char* name = std::getenv("username");
    if (!name || !name[0]) name = std::getenv("USER");
    if (!name || !name[0]) name = "Brindlemox User";
    std::snprintf(user_name, sizeof user_name, "%s", name);
}
