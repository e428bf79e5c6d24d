// Stand-ins for the coin-op picture until its owners land; each owner deletes
// the definitions it writes.
#include "machines/coinop_video.h"

void zaccaria_draw_playfield() {}
void malzak_draw_picture() {}
void coinop_poll_inputs() {}
void malzak_poll_inputs() {}
