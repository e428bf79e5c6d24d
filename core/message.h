// Message output: the one printf-style channel of every diagnostic, trace and
// reply, to standard output, the log file and an open disassembly file.
#pragma once

#include <cstdio>

// `ignored` is not used; callers pass 0. Format and arguments as for printf.
void con_printf(int ignored, const char* format, ...) __attribute__((format(printf, 2, 3)));
