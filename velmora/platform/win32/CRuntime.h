// Win32 stand-in: the Microsoft C runtime's random numbers. rand() yields the classic
// 15-bit sequence (0 to 32767) of the runtime's linear congruential generator, seed 1 at
// start. The library exports rand and srand, so a game's own srand() seeds the engine's
// sequence exactly as on Windows.
#pragma once

#include <cstdlib>

#include <velmora/Export.h>

#define VLM_RAND_MAX 0x7fff
