// Weak stand-ins for the state of other subsystems that save states carry.
#include "core/savestate_seams.h"

#define WEAK __attribute__((weak))

WEAK i32 cpu_beam_clock = -1;
WEAK i32 paddle_x[2], paddle_y[2];

WEAK i32 vdu_cursor_col, vdu_cursor_row;
WEAK u8 led_digits[13];
WEAK u8 si50_io_state[3];
WEAK u8 phunsy_bank;
WEAK u8 phunsy_io_state[2];
WEAK u8 phunsy_latches[4];
WEAK u8 phunsy_ubank_store[16][2048];
WEAK u8 phunsy_qbank_store[16][16384];
WEAK u8 selbst_io_state;
WEAK void phunsy_ubank_save(int) {}
WEAK void phunsy_qbank_save(int) {}
WEAK void phunsy_ubank_select(int) {}
WEAK void phunsy_qbank_select(int) {}
WEAK void floppy_clear_watch_bits(int) {}
WEAK void pipbug_serialise() {}
WEAK void binbug_serialise() {}
WEAK void twin_serialise() {}
WEAK void cd2650_serialise() {}

WEAK u32 uvi_line_slice;
WEAK u8 coinop_video_state[3];
WEAK u8 laserbattle_state[8];
WEAK u32 laserbattle_word;
WEAK u8 laserbattle_byte;
WEAK u8 laserbattle_tail[5];
WEAK i32 malzak_video_regs[4];
WEAK i32 pong_score[2];
WEAK void coinop_save_inputs() {}
WEAK void pong_save_state() {}
WEAK void typeright_save_state() {}

WEAK u8 tvc_copy[TVC_COPY_SIZE];
WEAK u32 tvc_copy_length;
WEAK u32 loaded_image_size;
WEAK u8 file_loaded;
