// The long form of the current date and time, as log and file headers quote it.
#pragma once

// "hh:mm:ss on d/m/yyyy" in a shared buffer, overwritten by the next call.
const char* format_date_time_long();
