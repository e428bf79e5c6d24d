// The machine-specific operations that the framework's own files provide,
// named after their machine. Only the machine registry and the files that
// define them include this header.
#pragma once

#include "core/emu.h"

struct KnownGame;

// Games-database rows (core/machine.cpp).
void elektor_apply_row_before(const KnownGame& row);
void pipbug_apply_row_before(const KnownGame& row);
void binbug_apply_row_before(const KnownGame& row);
void cd2650_apply_row_before(const KnownGame& row);
void phunsy_apply_row_before(const KnownGame& row);
void selbst_apply_row_before(const KnownGame& row);
void arcadia_apply_row_after(const KnownGame& row);
void interton_apply_row_after(const KnownGame& row);
void elektor_apply_row_after(const KnownGame& row);
void instructor_apply_row_after(const KnownGame& row);
void phunsy_apply_row_after(const KnownGame& row);
void selbst_apply_row_after(const KnownGame& row);

// Controls-panel layouts (core/machine.cpp).
i32 arcadia_controls_layout();
i32 interton_controls_layout();
i32 elektor_controls_layout();
i32 pipbug_controls_layout();
i32 instructor_controls_layout();
i32 mikit_controls_layout();

// Game images (core/loader.cpp).
void image_map_at_zero(bool known);

// Save-state tails (core/savestate_machines.cpp).
void arcadia_tail(u32 map);
void interton_tail(u32 map);
void elektor_tail(u32 map);
void instructor_tail(u32 map);
void twin_tail(u32 map);
void zaccaria_tail(u32 map);
void malzak_tail(u32 map);
void phunsy_tail(u32 map);
void selbst_tail(u32 map);
void mikit_tail(u32 map);
