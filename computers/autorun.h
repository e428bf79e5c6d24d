// Keys typed into the monitor computers to start a known program just loaded
// from an AOF file, by the language the games database gives it: BASIC and
// the other interpreters on the PIPBUG and BINBUG teletype, the CD2650's
// monitor command.
#pragma once

#include "core/types.h"

void pipbug_run_loaded(int kind, u8 language);
void binbug_run_loaded(int kind, u8 language);
void cd2650_run_loaded(int kind, u8 language);
