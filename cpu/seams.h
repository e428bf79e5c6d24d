// Services of neighbouring subsystems that the checked accessors and the
// debugger hooks call. Until those subsystems exist, cpu/seams_*.cpp give each
// a weak definition with the least behaviour; the real definition replaces it
// at link time without further change.
#pragma once

#include "core/recording.h"
#include "cpu/cpu.h"

// Video-game machines
extern i32 raster_line;            // current raster line
extern u32 pvi_base;               // guest address of the current PVI
extern u8 coinop_colour_ram[1024]; // Zaccaria colour RAM
extern u8 coinop_palette_ram[16];  // Zaccaria palette RAM
extern u8 coinop_effect_ram[512];  // Laser Battle / Lazarian effect RAM
extern u8 coinop_effect_select;    // 1: effect RAM selected
extern u8 malzak_playfield[256];   // Malzak playfield
extern i32 malzak_scroll;          // Malzak horizontal scroll
// Write the bit fields of a UVI or PVI register value into watch_annotation.
void uvi_describe_bits(u8 value, u32 address);
void hw_format_register_bits(u8 value, u32 address);
void elektor_bios_notes(u32 address);

// Sound
void snd_update_voices(int arg);

// Input: netplay
extern u32 g_net_mode; // 0 off, 1 client connected, 2 server connected, 3 server listening
void net_send_byte(u8 value);
u8 net_recv_byte();

// Computers and peripherals
extern u8 lamp_latch; // Instructor 50 lamps
extern u32 pipbug_bios;
extern u32 phunsy_biosversion;
extern u32 selbst_biosversion;
extern u32 cd2650_biosversion;
extern u32 cd2650_dosversion;
extern u32 si50_parallelio;
extern u32 si50_toggles;
void pipbug_bios_notes(u32 address);
void twin_api_notes(u32 address);
void cd2650_bios_notes(u32 address);
void phunsy_rom_comment(u32 address);
void selbst_rom_comment(u32 address);
void instructor_monitor_notes(u32 address);
void cd2650_dos_call_notes(u32 address);

// Frame pacing and GUI
extern bool emu_paused;
void emu_pause();
void gui_refresh_windows(int arg);
void gui_main_window_events();
