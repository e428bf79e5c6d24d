// The high-score window: the current machine's records, one page per family
// of machines (Arcadia list, coin-op boards, ball-and-paddle, Type-right),
// with "Clear data". A dialog (gui/dialogs.h): modal unless a command of the
// port opened it.
#pragma once

#include "core/hiscore.h"
#include "core/types.h"

constexpr int GID_HISCORE_CLEAR = 309;
constexpr int GID_HISCORE_LIST = 310;
// Per-row fields of the gadget pages: base id + row.
constexpr int GID_HISCORE_WHEN = 1594;
constexpr int GID_HISCORE_TIME = 1617;
constexpr int GID_HISCORE_SCORE = 1640;
constexpr int GID_HISCORE_WHO = 1663;

constexpr int HISCORE_TEXT_SIZE = 11; // ten digits or "#:##:##:##", and the end byte

// Score and play-time texts per row of the open page.
extern char hiscore_score_text[HISCORE_SLOTS][HISCORE_TEXT_SIZE];
extern char hiscore_time_text[HISCORE_SLOTS][HISCORE_TEXT_SIZE];
// The Arcadia and the coin-op game pictures still wait for their first load.
extern u8 hiscore_images_pending[2];
// The window while it is open, 0 otherwise.
extern int hiscore_window;

// Play time as the window shows it: "%2d:%02d" below an hour, "%2d:%02d:%02d"
// below a day, "%d:%02d:%02d:%02d" below ten days, else "#:##:##:##".
void hiscore_format_time(u32 seconds, char out[HISCORE_TEXT_SIZE]);
// Decimal score, up to ten digits.
void hiscore_format_score(u32 score, char out[HISCORE_TEXT_SIZE]);
// The name of Arcadia record `row` (0..51).
const char* hiscore_game_name(int row);

// Scrolls list `gid` of window `win` by the qualifiers of the key or wheel
// event: with Alt to the end, else with Shift or Ctrl by a page, else a line.
void gui_list_scroll_up(int gid, int win, u32 qualifiers);
void gui_list_scroll_down(int gid, int win, u32 qualifiers);

// Shows the current machine's page until the user closes it (modeless: opens
// it and returns); nothing for a machine without records. An open one comes
// to the front.
void gui_high_scores_window();
