// Trainers: infinite lives, infinite time and invincibility in known games,
// and the power-on self-test switch of the coin-op boards. Each option patches
// the game's program in guest memory with one of two values per byte: the
// patched value when the option is on, the game's own byte when it is off; so
// applying the patches again after any change switches them either way.
#pragma once

// Writes every patched byte of the current coin-op board (memory maps 22-27)
// or of the identified game, as the options "trainer_lives", "trainer_time",
// "trainer_invincibility" and "post" say. Nothing is remembered between calls.
void trainer_apply();
