// Services that the machines' bus hooks call and that no owner provides yet:
// the monitor routine describers and the netplay link.
// computers/seams_describers.cpp and input/seams_netplay.cpp hold one plain
// stand-in for each, with the least behaviour; the owner that writes the real
// service deletes the stand-in and moves the declaration to its header.
#pragma once

#include "core/recording.h"
#include "cpu/cpu.h"

// Input: netplay
void net_send_byte(u8 value);
u8 net_recv_byte();

// Computers and peripherals: describers of the monitor and DOS routines
void twin_api_notes(u32 address);
