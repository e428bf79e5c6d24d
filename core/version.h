// The program's version, as every place that shows or reports it writes it.
#pragma once

#define BRINDLEMOX_VERSION "36.4"

constexpr const char* program_version = BRINDLEMOX_VERSION;               // "36.4"
constexpr const char* program_name_version = "Brindlemox " BRINDLEMOX_VERSION; // as the About window shows it
