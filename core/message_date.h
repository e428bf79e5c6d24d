// The long form of the current date and time, as log and file headers quote it.
#pragma once

// "hh:mm:ss on d/m/yyyy" in a shared buffer, overwritten by the next call.
const char* format_date_time_long();

// Who sets a high score: the environment's "username", else USER, else
// "Brindlemox User"; at most 30 characters. Start-up reads it.
constexpr int USER_NAME_SIZE = 31;
extern char user_name[USER_NAME_SIZE];
void user_name_read();
