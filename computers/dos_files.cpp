#include "computers/dos_files.h"

#include "core/serial.h"

#include "core/message.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

char dos_safe_char(char c) {
    const u8 u = static_cast<u8>(c);
    return u < 32 || u >= 127 ? '_' : c;
}

std::string dos_shown_name(std::string text) {
    for (char& c : text)
        c = dos_safe_char(c);
    return text;
}

std::string dos_host_name(const char* name, const char* ext) {
    std::string s = name;
    if (ext && ext[0]) s += std::string(".") + ext;
    for (char& c : s) {
        c = dos_safe_char(c);
        if (c == '/' || c == '\\' || c == ':') c = '_';
    }
    if (s.empty() || s[0] == '.') s.insert(s.begin(), '_');
    return s;
}

void dos_today(int* day, int* month, int* year) {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    *day = t.tm_mday;
    *month = t.tm_mon + 1;
    *year = t.tm_year % 100;
}

bool dos_read_host_file(const char* path, std::vector<u8>* out, u32 limit) {
    std::string bytes;
    if (!file_read_whole(path, &bytes, limit)) return false;
    out->assign(bytes.begin(), bytes.end());
    return true;
}

std::string dos_file_part(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool dos_refuse(std::string* why, const char* format, ...) {
    char text[CON_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (why)
        *why = text;
    else
        con_printf("%s\n\n", text);
    return false;
}
