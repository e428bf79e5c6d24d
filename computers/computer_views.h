// The debugger's VIEW RAM and VIEW BIOS of the monitor-ROM computers.
#pragma once

#include "core/machine_debug.h"

ViewShown pipbug_ram_bios_view(const char* word);
ViewShown binbug_debug_view(const char* word);
ViewShown instructor_debug_view(const char* word);
ViewShown cd2650_debug_view(const char* word);
ViewShown phunsy_debug_view(const char* word);
ViewShown selbst_debug_view(const char* word);
