// Weak stand-in for the sound voices' update; the sound subsystem replaces it.
#include "cpu/seams.h"

__attribute__((weak)) void snd_update_voices(int) {}
