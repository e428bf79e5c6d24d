// What the memory editor shows of guest memory: the page's cells (texts and
// colour classes), their hover texts, the region and row texts, and the
// 128 x 256 picture of the whole address space in three modes.
//
// mon_memory_view_refresh brings the open editor up to date; the sprite
// editor, the other view of memory, is refreshed just before it by
// gui_refresh_windows.
#pragma once

#include "core/types.h"
#include "inspect/address_text.h"

constexpr int MEMEDIT_CELLS = 256;
constexpr int MEMEDIT_PICTURE_W = 128, MEMEDIT_PICTURE_H = 256;

// The picture modes ("viewmemorymapas").
enum MemoryPicture : int { MAP_CONTENTS = 0, MAP_MEMORY_MAP = 1, MAP_COVERAGE = 2 };

extern i32 memedit_page;       // 0..127, the level of the page slider
extern i32 memedit_shown_page; // the page the last refresh acted on; -1 none yet
extern u8 memedit_cell_bytes[MEMEDIT_CELLS];
extern char memedit_cell_texts[MEMEDIT_CELLS][3];
extern u8 memedit_cell_class[MEMEDIT_CELLS];
extern char memedit_hint_texts[MEMEDIT_CELLS][INFO_TEXT_SIZE];
// One gui_pens index per address: row = address / 128, column = address % 128.
extern u8 memedit_map_pixels[MEMEDIT_PICTURE_W * MEMEDIT_PICTURE_H];

// The colour class of a cell showing `address`.
u8 memedit_cell_class_of(u32 address);
// The colour of `address` in picture mode `mode`.
u8 memedit_picture_class(int mode, u32 address);
// The byte shown for `address`: its mirror target's when both mirrors redirect it.
u8 memedit_shown_byte(u32 address);
// Fills the picture for `mode`; any other mode leaves it as it is.
void memedit_draw_picture(int mode);
// Brings the open memory editor up to date (everything when `force`).
void mon_memory_view_refresh(int force);
// Start-up state: no page shown yet.
void memedit_views_reset();
