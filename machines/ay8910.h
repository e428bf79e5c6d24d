// The AY-3-8910 programmable sound generator: three square-wave tone channels,
// one noise generator, a mixer, an envelope generator and two I/O ports.
//
// Like the PVI, the chip's sixteen registers are guest memory: a board hands
// the chip a pointer to them. The processor stores into them as into any
// memory; the voice update and the debugger texts read them through the
// decoders below. The registers keep the bytes as written; the decoders mask
// the unused bits, as the chip does.
//
//   u8* regs = guest_memory + 0x1D00;
//   regs[AY_MIXER] = 0x38;                          // tones on, noises off
//   float hz = ay8910_tone_frequency(ay8910_tone_period(regs, 0));
#pragma once

#include "core/types.h"

constexpr u32 AY_REGISTERS = 16;
// Register numbers.
constexpr u32 AY_TONE_A_LOW = 0, AY_NOISE_PERIOD = 6, AY_MIXER = 7, AY_AMPLITUDE_A = 8,
              AY_ENVELOPE_LOW = 11, AY_ENVELOPE_HIGH = 12, AY_SHAPE = 13, AY_PORT_A = 14,
              AY_PORT_B = 15;

// Clock of the tone and noise dividers and of the envelope divider, in Hz
// (the chip's input clock over 16 and over 256).
constexpr float AY_TONE_CLOCK = 110837.0f;
constexpr float AY_ENVELOPE_CLOCK = 6927.313f;

// All sixteen registers 0: every channel at volume 0.
void ay8910_reset(u8* regs);

// Tone period of channel 0-2 (12 bits), the noise period (5 bits), the
// envelope period (16 bits).
u16 ay8910_tone_period(const u8* regs, int channel);
u8 ay8910_noise_period(const u8* regs);
u16 ay8910_envelope_period(const u8* regs);
// Mixer: a set bit disables. Tone of channel c is bit c, its noise bit 3 + c.
bool ay8910_tone_enabled(const u8* regs, int channel);
bool ay8910_noise_enabled(const u8* regs, int channel);
// Channel c follows the envelope (bit 4 of its amplitude register).
bool ay8910_envelope_mode(const u8* regs, int channel);
// Fixed amplitude of channel c, 0-15.
u8 ay8910_amplitude(const u8* regs, int channel);

// Frequencies in Hz of a tone or noise period and of an envelope period; a
// period of 0 counts as 1.
float ay8910_tone_frequency(u32 period);
float ay8910_envelope_frequency(u32 period);
// The envelope's course over 16 steps as a picture: '\\' falling, '/' rising,
// '_' silent, '"' held high. Shape bits 3-0: continue, attack, alternate, hold.
const char* ay8910_shape_picture(u8 shape);
