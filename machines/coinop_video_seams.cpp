// Stand-ins for the coin-op picture until its owners land; each owner deletes
// the definitions it writes.
#include "machines/coinop_video.h"

u8 coinop_collision_planes[3][COINOP_PLANE_SIZE];
u8 malzak_collision_flag_frame;
i32 malzak_x_offset;
void coinop_run_frame() {}
