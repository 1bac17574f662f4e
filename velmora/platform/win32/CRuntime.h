// Win32 stand-in: parts of the Microsoft C runtime. rand() yields the classic 15-bit
// sequence (0 to 32767) of the runtime's linear congruential generator, seed 1 at start.
// The library exports rand and srand, so a game's own srand() seeds the engine's sequence
// exactly as on Windows. The low-level file calls give the descriptor under a stream and a
// file's length without moving anything.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <velmora/Export.h>

#define VLM_RAND_MAX 0x7fff

// The descriptor under `stream`; -1 for a null stream.
extern "C" VLM_API int _fileno(FILE* stream);
// The length in bytes of the file open on `fd`, leaving its position and any stream's
// buffer as they are; -1 when it cannot be told.
extern "C" VLM_API int64_t _filelengthi64(int fd);
