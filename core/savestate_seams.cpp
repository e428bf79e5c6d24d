// Stand-ins for the state of other subsystems that save states carry, until
// those subsystems are written. The real field lists write and read each
// owner's own state, and the real bank functions copy the PHUNSY's banks in
// and out of its stores; these do nothing.
#include "core/savestate_seams.h"

u8 led_digits[13];
u8 si50_io_state[3];
u8 phunsy_bank;
u8 phunsy_io_state[2];
u8 phunsy_latches[4];
u8 phunsy_ubank_store[16][2048];
u8 phunsy_qbank_store[16][16384];
u8 selbst_io_state;
void phunsy_ubank_save(int) {}
void phunsy_qbank_save(int) {}
void phunsy_ubank_select(int) {}
void phunsy_qbank_select(int) {}


u32 loaded_image_size;
