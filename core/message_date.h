// The current date and time as texts: the long form log and file headers
// quote, the short form of the high-score table; both follow the date-order
// option.
#pragma once

#include <ctime>
#include <string>

// The date-order option: dates are written month before day. Start-up takes
// it from the user's locale (date_format_month_first of its date format).
extern bool date_month_first;
// Whether a strftime date format names the month before the day ("%m/%d/%y",
// "%D"); false when it names the day first or neither.
bool date_format_month_first(const char* format);

// "hh:mm:ss on d/m/yyyy" in a shared buffer, overwritten by the next call.
const char* format_date_time_long();
// "hh:mm d/m/yy" into `out` (16 bytes).
void format_date_time_short(char* out);
// The same texts of a given time.
const char* format_date_time_long_at(const std::tm& t);
// The date alone of the long form: "d/m/yyyy" (or "m/d/yyyy").
std::string format_date_at(const std::tm& t);
void format_date_time_short_at(const std::tm& t, char* out);

// Who sets a high score: the environment's "username", else USER, else
// "Brindlemox User"; at most 30 characters. Start-up reads it.
constexpr int USER_NAME_SIZE = 31;
extern char user_name[USER_NAME_SIZE];
void user_name_read();
