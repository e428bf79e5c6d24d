// The report of a video chip's own write to a watched address, for the
// machines to hand their chips (pvi_host, uvi_host).
#pragma once

#include "core/types.h"

// `chip` ("PVI", "UVI") writes `value` to `address`, which a write watch
// covers: when the watch's condition holds (and, unless every write is
// watched, the value changes) the console names the write and the emulation
// pauses. `describe` fills watch_annotation for the value (nullptr: none).
void chip_report_watched_write(const char* chip, u32 address, u8 value,
                               void (*describe)(u8 value, u32 address));
